// SPDX-License-Identifier: GPL-2.0-or-later

// Widget tests run in a private home (settings, music, trash, cache) on the offscreen platform,
// optionally with one screen of a given size.
#pragma once

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSize>
#include <QTemporaryDir>
#include <QTimer>

namespace guitest {

// Points HOME and the XDG folders into home; a valid screen size gives the offscreen platform one
// screen of that size. Call before the QApplication is made. False when the screen file cannot
// be written.
inline bool usePrivateHome(const QTemporaryDir& home, QSize screen = QSize()) {
    const QByteArray path = QFile::encodeName(home.path());
    qputenv("HOME", path);
    qputenv("XDG_CONFIG_HOME", path + "/.config");
    qputenv("XDG_DATA_HOME", path + "/.local/share");
    qputenv("XDG_CACHE_HOME", path + "/.cache");
    if (!screen.isValid()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }
    QFile screens(home.path() + QStringLiteral("/screens.json"));
    if (!screens.open(QIODevice::WriteOnly)) return false;
    screens.write(QStringLiteral(R"({"screens": [{"name": "main", "x": 0, "y": 0, "width": %1, "height": %2, )"
                                 R"("logicalDpi": 96}]})")
                      .arg(screen.width())
                      .arg(screen.height())
                      .toUtf8());
    screens.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    return true;
}

// Presses OK on the next message box, trying again until it is up (about two seconds).
inline void answerOk(int triesLeft = 100) {
    QTimer::singleShot(20, [triesLeft] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) {
                box->button(QMessageBox::Ok)->click();
                return;
            }
        }
        if (triesLeft > 0) answerOk(triesLeft - 1);
    });
}

}  // namespace guitest
