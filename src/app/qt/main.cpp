// SPDX-License-Identifier: GPL-2.0-or-later

// The desktop program: the main window, given the files and folders named on the command line.
#include <string>
#include <vector>

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include "app/qt/MainWindow.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    QApplication::setApplicationName(QStringLiteral("Vorda"));
    QApplication::setOrganizationName(QStringLiteral("Vorda"));
    QApplication::setOrganizationDomain(QStringLiteral("vorda.org"));
    QApplication::setApplicationVersion(QStringLiteral(VORDA_VERSION));
    // The desktop entry and the icon installed with the program.
    QGuiApplication::setDesktopFileName(QStringLiteral("vorda"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vorda")));

    // Paths keep their bytes as the shell gave them.
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) paths.emplace_back(argv[i]);

    vorda::app::MainWindow window;
    window.show();
    // The files are listed once the window is up, so it paints and answers meanwhile.
    QTimer::singleShot(0, &window, [&window, &paths] { window.startUp(paths); });
    return app.exec();
}
