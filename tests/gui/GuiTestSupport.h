// SPDX-License-Identifier: GPL-2.0-or-later

// Widget tests run in a private home (settings, music, trash, cache) on the offscreen platform,
// optionally with one screen of a given size.
#pragma once

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSize>
#include <QTemporaryDir>
#include <QTimer>

#include "../support/PrivateHome.h"

namespace guitest {

// Points HOME and the XDG folders into home; a valid screen size gives the offscreen platform one
// screen of that size. Call before the QApplication is made.
inline bool usePrivateHome(const QTemporaryDir& home, QSize screen = QSize()) {
    vorda::testsupport::PrivateHomeOptions options;
    options.screen = screen;
    return vorda::testsupport::usePrivateHome(home, options);
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

// The items of the list pop-up's "Sort selected file(s) using..." menu, one per output pattern.
inline int popSortItemCount(const QObject& window) {
    return static_cast<int>(
        window.findChildren<QAction*>(QRegularExpression(QStringLiteral("^mnuPopSortPatterns\\d+$"))).size());
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
