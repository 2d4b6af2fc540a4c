// SPDX-License-Identifier: GPL-2.0-or-later

// Takes a picture of the main window for the README and the manual: the window opens in a
// private home on an offscreen screen of the given size, lists FOLDER (with its subfolders),
// sorted by file name, selects one row through the list as a user would, shows that file's
// front cover on the "ID3v2+" page and writes the window as a PNG. scripts/window-picture.sh
// makes the folder and runs this.
//
//   window_picture FOLDER OUT.png [WIDTH=1280] [HEIGHT=800] [ROW=3] [TAB=1]
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>

#include "../tests/support/PrivateHome.h"
#include "app/qt/MainWindow.h"
#include "editing/qt/FramesPage.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

namespace {

// Lets the window settle: layouts, the folder tree's background loading, repaints.
void settle(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_picture FOLDER OUT.png [WIDTH] [HEIGHT] [ROW]\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString out = QString::fromLocal8Bit(argv[2]);
    const int width = argc > 3 ? std::atoi(argv[3]) : 1280;
    const int height = argc > 4 ? std::atoi(argv[4]) : 800;
    const int row = argc > 5 ? std::atoi(argv[5]) : 3;
    const int tab = argc > 6 ? std::atoi(argv[6]) : 1;

    QTemporaryDir home;
    if (!home.isValid()) return 1;
    // A screen of exactly the picture's size, without window frames: the window fills it.
    vorda::testsupport::PrivateHomeOptions options;
    options.screen = QSize(width, height);
    options.frameMargins = false;
    options.musicDir = QFile::encodeName(folder);
    if (!vorda::testsupport::usePrivateHome(home, options)) return 1;
    QDir().mkpath(home.path() + QStringLiteral("/.config/vorda"));
    QFile ini(home.path() + QStringLiteral("/.config/vorda/settings.ini"));
    if (!ini.open(QIODevice::WriteOnly)) return 1;
    // The Path column is left out: the folder is a temporary one.
    ini.write(QStringLiteral("[General]\nbScanSubFolders=1\nsTreeDir=%1/\n[Visual]\nFormWidth=%2\nFormHeight=%3\n"
                             "ColVisible2=False\n")
                  .arg(folder)
                  .arg(width * 15)
                  .arg(height * 15)
                  .toUtf8());
    ini.close();

    QApplication app(argc, argv);
    vorda::app::MainWindow w;
    w.show();
    w.startUp();
    // The tree starts at the folder's parent rather than at "/", which lists the temporary
    // folders of the machine.
    auto* tree = w.findChild<QTreeView*>(QStringLiteral("DirTree"));
    auto* files = w.findChild<QTableView*>(QStringLiteral("lstFiles2"));
    auto* tagArea = w.findChild<QTabWidget*>(QStringLiteral("tabTAGs"));
    auto* tagSplitter = w.findChild<QSplitter*>(QStringLiteral("picResizeTags"));
    if (!tree || !files || !tagArea || !tagSplitter) {
        std::fprintf(stderr, "window_picture: the window lacks a control it pictures\n");
        return 1;
    }
    tree->setRootIndex(tree->currentIndex().parent());
    tree->expandAll();
    settle(300);
    tree->expandAll();
    // Album by album, each in track order.
    w.sortByColumnClick(vorda::app::ListColumn::Track);
    w.sortByColumnClick(vorda::app::ListColumn::Album);
    if (w.list().count() < row) {
        std::fprintf(stderr, "window_picture: %s lists %d files\n", argv[1], w.list().count());
        return 1;
    }
    files->setFocus();
    files->selectRow(row - 1);
    settle(100);
    tagArea->setCurrentIndex(tab);  // 1, "ID3v2+": the frames and the cover
    // Room for the whole cover under the list, as a user would drag the splitter.
    const int total = tagSplitter->height();
    tagSplitter->setSizes({total - 290, 290});
    if (auto* frames = w.findChild<vorda::editing::FramesPage*>(QStringLiteral("picFrames")))
        frames->showID3v2Frame("APIC");
    settle(500);
    // The smallest PNG Qt writes (quality 0: strongest compression).
    if (!w.grab().save(out, "PNG", 0)) {
        std::fprintf(stderr, "window_picture: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
