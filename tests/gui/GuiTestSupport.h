// SPDX-License-Identifier: GPL-2.0-or-later

// Widget tests run in a private home (settings, music, trash, cache) on the offscreen platform,
// optionally with one screen of a given size.
#pragma once

#include <memory>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSize>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "../support/PrivateHome.h"
#include "app/Settings.h"
#include "app/qt/OptionsSupport.h"
#include "base/IniFile.h"

namespace guitest {

// Points HOME and the XDG folders into home; a valid screen size gives the offscreen platform one
// screen of that size. Call before the QApplication is made.
inline bool usePrivateHome(const QTemporaryDir& home, QSize screen = QSize()) {
    vorda::testsupport::PrivateHomeOptions options;
    options.screen = screen;
    return vorda::testsupport::usePrivateHome(home, options);
}

// The private home of this test program (see run()).
inline QString& homePathStore() {
    static QString path;
    return path;
}
inline QString homePath() { return homePathStore(); }

struct RunOptions {
    // A valid size gives the offscreen platform one screen of that size.
    QSize screen;
    // The user's music folder is the private home itself.
    bool musicInHome = false;
};

// The main() of a widget test: the private home exists before anything reads it.
template <typename Test>
int run(int argc, char** argv, const RunOptions& run = {}) {
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    homePathStore() = home.path();
    vorda::testsupport::PrivateHomeOptions options;
    options.screen = run.screen;
    if (run.musicInHome) options.musicDir = QFile::encodeName(home.path());
    if (!vorda::testsupport::usePrivateHome(home, options)) return 1;
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

inline QString settingsFile() { return QString::fromStdString(vorda::app::settingsFilePath()); }

inline void writeKeys(const QString& section, const QList<QPair<QString, QString>>& keys) {
    QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
    vorda::base::IniFile ini(settingsFile().toStdString());
    for (const auto& kv : keys) ini.write(section.toStdString(), kv.first.toStdString(), kv.second.toStdString());
}

// A stored setting as the program reads it ("<missing>" when it is not there).
inline QString readKey(const QString& section, const QString& key) {
    vorda::base::IniFile ini(settingsFile().toStdString());
    return QString::fromStdString(vorda::app::getSetting(ini, section.toStdString(), key.toStdString(), "<missing>"));
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
inline void writeFile(const QString& path, qint64 bytes = 2048) { writeFile(path, QByteArray(bytes, 'x')); }

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void loseFocus(QWidget* box) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
}

// The control (widget, menu or menu item) named name under parent; a missing one ends the test run.
template <typename T = QWidget>
T* child(const QObject& parent, const QString& name) {
    T* found = parent.findChild<T*>(name);
    if (!found) qFatal("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
}
template <typename T = QWidget>
T* child(const QObject& parent, const char* name) {
    return child<T>(parent, QString::fromLatin1(name));
}

// The cells of a column (1-based) of the window's file list, top to bottom.
inline QStringList column(const QObject& window, int col) {
    QStringList cells;
    const QAbstractItemModel* m = child<QTableView>(window, "lstFiles2")->model();
    for (int r = 0; r < m->rowCount(); ++r) cells << m->index(r, col - 1).data().toString();
    return cells;
}

// Clicks row (0-based) of the window's file list, as a user does.
inline void clickRow(const QObject& window, int row, Qt::KeyboardModifiers modifiers = {}) {
    auto* list = child<QTableView>(window, "lstFiles2");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualRect(list->model()->index(row, 0)).center());
}

// The items of the list pop-up's "Sort selected file(s) using..." menu, one per output pattern.
inline int popSortItemCount(const QObject& window) {
    return static_cast<int>(
        window.findChildren<QAction*>(QRegularExpression(QStringLiteral("^mnuPopSortPatterns\\d+$"))).size());
}

// Answers the message boxes that come up while the test holds the script, in order, with the
// given buttons (their escape button beyond the list) and records their titles, texts and icons.
struct BoxScript {
    QList<QMessageBox::StandardButton> answers;
    QStringList titles, texts;
    QList<QMessageBox::Icon> icons;
};
inline QMessageBox* shownBox() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && box->isVisible()) return box;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) return box;
    return nullptr;
}
inline void watchBoxes(std::shared_ptr<BoxScript> script, int ticks) {
    QTimer::singleShot(20, [script, ticks] {
        if (script.use_count() == 1) return;  // the test no longer holds it
        if (QMessageBox* box = shownBox()) {
            script->titles << box->windowTitle();
            script->texts << box->text();
            script->icons << box->icon();
            QAbstractButton* button =
                script->answers.isEmpty() ? box->escapeButton() : box->button(script->answers.takeFirst());
            if (!button) button = box->buttons().value(0);
            button->click();
        }
        if (ticks > 0) watchBoxes(script, ticks - 1);
    });
}
inline std::shared_ptr<BoxScript> boxScript(QList<QMessageBox::StandardButton> answers = {}) {
    auto script = std::make_shared<BoxScript>();
    script->answers = answers;
    watchBoxes(script, 200);
    return script;
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
