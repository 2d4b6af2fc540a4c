// SPDX-License-Identifier: GPL-2.0-or-later

// A private home for programs that open the main window outside a user's session (widget
// tests, window benchmarks, the window picture): settings, music, trash and cache live in a
// temporary folder, on the offscreen platform, optionally with one screen of a given size.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

namespace vorda::testsupport {

struct PrivateHomeOptions {
    // A valid size gives the offscreen platform one screen of that size.
    QSize screen;
    // Whether windows on that screen get a frame.
    bool frameMargins = true;
    // The user's music folder (XDG_MUSIC_DIR); left as it is when empty.
    QByteArray musicDir;
};

// Points HOME and the XDG folders into home. Call before the QApplication is made. False when
// the screen file cannot be written.
inline bool usePrivateHome(const QTemporaryDir& home, const PrivateHomeOptions& options = {}) {
    const QByteArray path = QFile::encodeName(home.path());
    qputenv("HOME", path);
    qputenv("XDG_CONFIG_HOME", path + "/.config");
    qputenv("XDG_DATA_HOME", path + "/.local/share");
    qputenv("XDG_CACHE_HOME", path + "/.cache");
    if (!options.musicDir.isEmpty()) qputenv("XDG_MUSIC_DIR", options.musicDir);
    if (!options.screen.isValid()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }
    QFile screens(home.path() + QStringLiteral("/screens.json"));
    if (!screens.open(QIODevice::WriteOnly)) return false;
    screens.write(QStringLiteral(R"({"screens": [{"name": "main", "x": 0, "y": 0, "width": %1, "height": %2, )"
                                 R"("logicalDpi": 96}]%3})")
                      .arg(options.screen.width())
                      .arg(options.screen.height())
                      .arg(options.frameMargins ? QString() : QStringLiteral(R"(, "windowFrameMargins": false)"))
                      .toUtf8());
    screens.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    return true;
}

}  // namespace vorda::testsupport
