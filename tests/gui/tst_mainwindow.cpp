// SPDX-License-Identifier: GPL-2.0-or-later

// The main window: settings at start-up and close, scans from the folder tree, drops,
// removal and deletion through keys, column layout, sorting and the list model.
#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QtTest>

#include "GuiTestSupport.h"
#include "app/Settings.h"
#include "app/qt/FileListModel.h"
#include "app/qt/MainWindow.h"
#include "app/qt/OptionsSupport.h"
#include "base/IniFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

using namespace guitest;
using vorda::app::MainWindow;

namespace {

QString trashFiles() { return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash/files/"); }

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QFile::remove(settingsFile());
        QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash")).removeRecursively();
    }

    void freshStartUsesDefaultsAndSavesOnClose() {
        QVERIFY(!QFile::exists(settingsFile()));
        MainWindow w;
        QCOMPARE(w.panelText(1), QStringLiteral("Total: 0 files"));
        QCOMPARE(w.panelText(2), QStringLiteral("Filesize: 0 kB"));
        // No stored size: three quarters of the screen, centred.
        QCOMPARE(w.size(), QSize(1200, 750));
        QCOMPARE(w.geometry().center(), QPoint(799, 499));
        QCOMPARE(w.minimumSize(), QSize(699, 633));  // 10480 x 9495 twips
        QVERIFY(guitest::child<QTableView>(w, "lstFiles2")->showGrid());
        QVERIFY(guitest::child<QTreeView>(w, "DirTree")->isVisibleTo(&w));
        for (int col = 1; col <= 14; ++col) {
            QVERIFY(w.columnVisible(col));
            QCOMPARE(guitest::child<QTableView>(w, "lstFiles2")->horizontalHeader()->visualIndex(col - 1), col - 1);
        }
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.close());

        QVERIFY(QFile::exists(settingsFile()));
        QCOMPARE(readKey("Visual", "FormState"), QStringLiteral("0"));
        QCOMPARE(readKey("Visual", "FormWidth"), QStringLiteral("18000"));
        QCOMPARE(readKey("Visual", "FormHeight"), QStringLiteral("11250"));
        QCOMPARE(readKey("Visual", "TreeSplit"), QStringLiteral("3600"));  // a fifth of the window
        QCOMPARE(readKey("Visual", "ViewDirTree"), QStringLiteral("True"));
        QCOMPARE(readKey("Visual", "ViewTagInfo"), QStringLiteral("True"));
        QCOMPARE(readKey("Visual", "ShowGrid"), QStringLiteral("True"));
        QCOMPARE(readKey("Visual", "ColVisible14"), QStringLiteral("True"));
        QCOMPARE(readKey("Visual", "ColPosition14"), QStringLiteral("14"));
        QCOMPARE(readKey("Visual", "ColSize1"), QStringLiteral("3000"));  // a column never sized: its default width
        QCOMPARE(readKey("General", "Method"), QStringLiteral("4"));
        QVERIFY(readKey("General", "sLastDir") != QStringLiteral("<missing>"));
        QCOMPARE(readKey("General", "sTreeDir"), QString::fromStdString(vorda::app::defaultFolder()));
    }

    void storedLayoutIsRestored() {
        writeKeys("Visual", {{"FormWidth", "12000"},
                             {"FormHeight", "10500"},
                             {"TreeSplit", "3000"},
                             {"ShowGrid", "False"},
                             {"ViewDirTree", "False"},
                             {"ViewTagInfo", "False"},
                             {"ColSize3", "50"},
                             {"ColSize5", "900"},
                             {"ColPosition5", "1"}});
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.size(), QSize(800, 700));
        QVERIFY(!guitest::child<QTableView>(w, "lstFiles2")->showGrid());
        QVERIFY(!guitest::child<QTreeView>(w, "DirTree")->isVisible());
        QVERIFY(!guitest::child<QToolButton>(w, "cmdFavourite0")->isVisible());  // the bookmarks go with the tree
        QVERIFY(!guitest::child<QTabWidget>(w, "tabTAGs")->isVisible());
        QVERIFY(!guitest::child<QAction>(w, "mnuDirTree")->isChecked());
        QVERIFY(!guitest::child<QAction>(w, "mnuTagInfo")->isChecked());
        QHeaderView* header = guitest::child<QTableView>(w, "lstFiles2")->horizontalHeader();
        QCOMPARE(header->sectionSize(2), 8);  // raised to 120 twips
        QCOMPARE(header->sectionSize(4), 60);
        QCOMPARE(header->visualIndex(4), 0);
        guitest::child<QAction>(w, "mnuDirTree")->trigger();
        QVERIFY(guitest::child<QTreeView>(w, "DirTree")->isVisible());
        QCOMPARE(guitest::child<QSplitter>(w, "picResizeDir")->sizes().value(0), 200);
        guitest::child<QAction>(w, "mnuFileGrid")->trigger();
        QVERIFY(guitest::child<QTableView>(w, "lstFiles2")->showGrid());
        w.close();
        QCOMPARE(readKey("Visual", "ShowGrid"), QStringLiteral("True"));
        QCOMPARE(readKey("Visual", "ViewDirTree"), QStringLiteral("True"));
        QCOMPARE(readKey("Visual", "ViewTagInfo"), QStringLiteral("False"));
        QCOMPARE(readKey("Visual", "TreeSplit"), QStringLiteral("3000"));
        QCOMPARE(readKey("Visual", "ColPosition5"), QStringLiteral("1"));
        QCOMPARE(readKey("Visual", "ColSize5"), QStringLiteral("900"));
    }

    void maximisedAndMinimisedCloseRules() {
        writeKeys("Visual", {{"FormWidth", "12000"}, {"FormHeight", "10500"}, {"FormState", "0"}});
        {
            MainWindow w;
            w.showMaximized();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.close();
        }
        QCOMPARE(readKey("Visual", "FormState"), QStringLiteral("2"));
        QCOMPARE(readKey("Visual", "FormWidth"), QStringLiteral("12000"));
        QCOMPARE(readKey("Visual", "FormHeight"), QStringLiteral("10500"));
        {
            MainWindow w;  // starts maximised from the stored state
            QVERIFY(w.windowState() & Qt::WindowMaximized);
            w.showMinimized();
            w.close();
        }
        QCOMPARE(readKey("Visual", "FormState"), QStringLiteral("2"));
        QCOMPARE(readKey("Visual", "FormWidth"), QStringLiteral("12000"));
    }

    void hiddenColumnKeepsStoredPositionAndSize() {
        writeKeys("Visual", {{"ColVisible4", "False"}, {"ColPosition4", "2"}, {"ColSize4", "900"}});
        MainWindow w;
        w.show();
        QHeaderView* header = guitest::child<QTableView>(w, "lstFiles2")->horizontalHeader();
        QVERIFY(!w.columnVisible(4));
        QVERIFY(!guitest::child<QAction>(w, "mnuCols4")->isChecked());
        QCOMPARE(header->visualIndex(3), 13);
        QCOMPARE(header->sectionSize(3), 0);
        w.close();
        QCOMPARE(readKey("Visual", "ColVisible4"), QStringLiteral("False"));
        QCOMPARE(readKey("Visual", "ColPosition4"), QStringLiteral("2"));
        QCOMPARE(readKey("Visual", "ColSize4"), QStringLiteral("900"));
        QCOMPARE(readKey("Visual", "ColPosition5"), QStringLiteral("4"));

        // Showing it again reads its place and width back; hiding another moves that one last.
        guitest::child<QAction>(w, "mnuCols4")->trigger();
        QVERIFY(w.columnVisible(4));
        QCOMPARE(header->visualIndex(3), 1);
        QCOMPARE(header->sectionSize(3), 60);
        guitest::child<QAction>(w, "mnuCols1")->trigger();
        QVERIFY(!w.columnVisible(1));
        QCOMPARE(header->visualIndex(0), 13);
    }

    void treeSelectionScansTheFolder() {
        QTemporaryDir music(homePath() + QStringLiteral("/scanXXXXXX"));
        writeFile(music.filePath("a.mp3"));
        writeFile(music.filePath("b.mp3"), 3 * 1024 * 1024);
        writeFile(music.filePath("notes.txt"));
        writeFile(music.filePath("sub/c.mp3"));
        MainWindow w;
        w.show();
        QVERIFY(w.selectTreeFolder(music.path().toStdString()));
        QCOMPARE(w.treePath(), music.path().toStdString());
        QCOMPARE(guitest::child<QTableView>(w, "lstFiles2")->model()->rowCount(), 2);
        QStringList names = column(w, 1);
        names.sort();
        QCOMPARE(names, QStringList({"a.mp3", "b.mp3"}));
        QCOMPARE(column(w, 2), QStringList({music.path() + "/", music.path() + "/"}));
        QVERIFY(column(w, 3).contains(QStringLiteral("3.00 MB")));
        QCOMPARE(w.panelText(1), QStringLiteral("Total: 2 files (3 MB)"));
        QVERIFY(w.panelText(3).startsWith(QStringLiteral("Scanned 2 files in ")));

        // A new folder replaces the rows; a blocked update leaves them.
        QVERIFY(w.selectTreeFolder(music.filePath("sub").toStdString()));
        QCOMPARE(column(w, 1), QStringList({"c.mp3"}));
        w.commands().bBlockDirUpdate = true;
        QVERIFY(w.selectTreeFolder(music.path().toStdString()));
        QCOMPARE(column(w, 1), QStringList({"c.mp3"}));
        w.commands().bBlockDirUpdate = false;

        // "Recursive Scan" walks the subfolders.
        guitest::child<QAction>(w, "mnuRecursiveScan")->trigger();
        QCOMPARE(guitest::child<QTableView>(w, "lstFiles2")->model()->rowCount(), 3);

        // The start-up scan goes to the stored folder; named paths are added instead.
        w.close();
        QCOMPARE(readKey("General", "sTreeDir"), music.path() + "/");
        MainWindow again;
        again.startUp();
        QCOMPARE(guitest::child<QTableView>(again, "lstFiles2")->model()->rowCount(), 2);
        MainWindow withPaths;
        withPaths.startUp({music.filePath("sub/c.mp3").toStdString()});
        QCOMPARE(column(withPaths, 1), QStringList({"c.mp3"}));
        QCOMPARE(withPaths.treePath(), music.filePath("sub").toStdString());  // the folder shown
        QCOMPARE(withPaths.panelText(1), QStringLiteral("Total: 1 files (0 MB)"));
    }

    void dropOfFoldersAndFiles() {
        QTemporaryDir dir(homePath() + QStringLiteral("/dropXXXXXX"));
        writeFile(dir.filePath("album/one.mp3"));
        writeFile(dir.filePath("album/two.mp3"));
        writeFile(dir.filePath("album/deeper/three.mp3"));
        writeFile(dir.filePath("loose.mp3"));
        writeFile(dir.filePath("cover.jpg"));
        MainWindow w;
        w.show();
        QWidget* target = guitest::child<QTableView>(w, "lstFiles2")->viewport();

        QMimeData text;
        text.setText(QStringLiteral("not a file"));
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &refused);
        QVERIFY(!refused.isAccepted());

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(dir.filePath("album")), QUrl::fromLocalFile(dir.filePath("loose.mp3")),
                       QUrl::fromLocalFile(dir.filePath("cover.jpg"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QStringList names = column(w, 1);
        names.sort();
        // Folders follow "Scan subfolders" (off); a dropped file is added whatever its type.
        QCOMPARE(names, QStringList({"cover.jpg", "loose.mp3", "one.mp3", "two.mp3"}));
        QCOMPARE(w.panelText(1), QStringLiteral("Total: 4 files (0 MB)"));

        // A second drop adds to the list.
        QMimeData more;
        more.setUrls({QUrl::fromLocalFile(dir.filePath("album/deeper/three.mp3"))});
        QDragEnterEvent enter2(QPoint(5, 5), Qt::CopyAction, &more, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter2);  // a drop goes to the widget that took the drag
        QDropEvent drop2(QPointF(5, 5), Qt::CopyAction, &more, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop2);
        QCOMPARE(guitest::child<QTableView>(w, "lstFiles2")->model()->rowCount(), 5);
    }

    void removeAndDeleteThroughKeys() {
        QTemporaryDir dir(homePath() + QStringLiteral("/delXXXXXX"));
        for (const char* name : {"k1.mp3", "k2.mp3", "k3.mp3", "k4.mp3"}) writeFile(dir.filePath(name));
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.sortByColumnClick(1);
        w.selectTreeFolder(dir.path().toStdString());
        w.sortByColumnClick(1);  // second click on the same column: descending
        w.sortByColumnClick(1);  // and back
        QCOMPARE(column(w, 1), QStringList({"k1.mp3", "k2.mp3", "k3.mp3", "k4.mp3"}));
        QTableView* list = guitest::child<QTableView>(w, "lstFiles2");
        QItemSelectionModel* sel = list->selectionModel();

        // Delete removes the selected rows from the list only.
        sel->select(list->model()->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QVERIFY(w.list().selected(1));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(column(w, 1), QStringList({"k2.mp3", "k3.mp3", "k4.mp3"}));
        QVERIFY(QFile::exists(dir.filePath("k1.mp3")));

        // Shift+Delete asks; No keeps everything.
        sel->select(QItemSelection(list->model()->index(1, 0), list->model()->index(2, 13)),
                    QItemSelectionModel::ClearAndSelect);
        auto boxes = boxScript({QMessageBox::No});
        QTest::keyClick(list, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(boxes->texts.value(0),
                 QStringLiteral("Are you sure you want to move ALL selected file(s) to recycle bin?"));
        QCOMPARE(list->model()->rowCount(), 3);

        // Yes moves the files to the trash and their rows go.
        boxes = boxScript({QMessageBox::Yes});
        QTest::keyClick(list, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(column(w, 1), QStringList({"k2.mp3"}));
        QVERIFY(!QFile::exists(dir.filePath("k3.mp3")));
        QVERIFY(QFile::exists(trashFiles() + "k3.mp3"));
        QVERIFY(QFile::exists(trashFiles() + "k4.mp3"));
        QCOMPARE(w.panelText(1), QStringLiteral("Total: 1 files (0 MB)"));

        // "Remove nonexistent files" drops rows whose file vanished.
        QFile::remove(dir.filePath("k2.mp3"));
        guitest::child<QAction>(w, "mnuNonExistent")->trigger();
        QCOMPARE(list->model()->rowCount(), 0);
    }

    void selectionCommandsReachTheView() {
        QTemporaryDir dir(homePath() + QStringLiteral("/selXXXXXX"));
        for (const char* name : {"s1.mp3", "s2.mp3", "s3.mp3"}) writeFile(dir.filePath(name));
        MainWindow w;
        w.show();
        w.selectTreeFolder(dir.path().toStdString());
        w.sortByColumnClick(1);
        QItemSelectionModel* sel = guitest::child<QTableView>(w, "lstFiles2")->selectionModel();
        sel->select(guitest::child<QTableView>(w, "lstFiles2")->model()->index(1, 0),
                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        guitest::child<QAction>(w, "mnuSelInvert")->trigger();
        QTRY_COMPARE(sel->selectedRows().size(), 2);
        QVERIFY(w.list().selected(1) && !w.list().selected(2) && w.list().selected(3));
        QVERIFY(w.commands().bMultiChange);
        guitest::child<QAction>(w, "mnuSelectAll")->trigger();
        QTRY_COMPARE(sel->selectedRows().size(), 3);
        guitest::child<QAction>(w, "mnuClearList")->trigger();
        QCOMPARE(guitest::child<QTableView>(w, "lstFiles2")->model()->rowCount(), 0);
        QCOMPARE(w.panelText(1), QStringLiteral("Total: 0 files (0 MB)"));
    }

    void treeDeleteKeys() {
        QTemporaryDir dir(homePath() + QStringLiteral("/treeXXXXXX"));
        writeFile(dir.filePath("gone/x.mp3"));
        writeFile(dir.filePath("erased/y.mp3"));
        MainWindow w;
        w.show();
        QVERIFY(w.selectTreeFolder(dir.filePath("gone").toStdString()));
        guitest::child<QTreeView>(w, "DirTree")->setFocus();
        QTest::keyClick(guitest::child<QTreeView>(w, "DirTree"), Qt::Key_Delete);  // to the trash at once
        QVERIFY(!QFileInfo::exists(dir.filePath("gone")));
        QVERIFY(QFileInfo::exists(trashFiles() + "gone/x.mp3"));
        QCOMPARE(w.treePath(), dir.path().toStdString());

        QVERIFY(w.selectTreeFolder(dir.filePath("erased").toStdString()));
        auto boxes = boxScript({QMessageBox::No});
        QTest::keyClick(guitest::child<QTreeView>(w, "DirTree"), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(boxes->texts.value(0),
                 QStringLiteral("Are you sure you want to delete the selected directory from your harddrive?"));
        QVERIFY(QFileInfo::exists(dir.filePath("erased/y.mp3")));
        boxes = boxScript({QMessageBox::Yes});
        QTest::keyClick(guitest::child<QTreeView>(w, "DirTree"), Qt::Key_Delete, Qt::ShiftModifier);
        QVERIFY(!QFileInfo::exists(dir.filePath("erased")));
        QVERIFY(!QFileInfo::exists(trashFiles() + "erased"));
    }

    void mouseAndArrowKeysShowFiles() {
        QTemporaryDir dir(homePath() + QStringLiteral("/showXXXXXX"));
        writeFile(dir.filePath("m1.mp3"), 2048);
        writeFile(dir.filePath("m2.mp3"), 5120);
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.selectTreeFolder(dir.path().toStdString());
        QHeaderView* header = guitest::child<QTableView>(w, "lstFiles2")->horizontalHeader();
        const QPoint onFilename(header->sectionViewportPosition(0) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, onFilename);
        QCOMPARE(column(w, 1), QStringList({"m1.mp3", "m2.mp3"}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, onFilename);
        QCOMPARE(column(w, 1), QStringList({"m2.mp3", "m1.mp3"}));
        QVERIFY(!w.sortAscending());

        clickRow(w, 1);
        QVERIFY(w.list().selected(2));
        QCOMPARE(w.panelText(2), QStringLiteral("Filesize: 2 kB"));
        QVERIFY(!w.commands().bMultiChange);
        QTest::keyClick(guitest::child<QTableView>(w, "lstFiles2"), Qt::Key_Up);
        QCOMPARE(w.panelText(2), QStringLiteral("Filesize: 5 kB"));
        QVERIFY(w.list().selected(1) && !w.list().selected(2));
        clickRow(w, 1, Qt::ControlModifier);
        QCOMPARE(w.list().selectedCount(), 2);
        QVERIFY(w.commands().bMultiChange);
    }

    void trashKeepsNamesThatAreNotUtf8() {
        QTemporaryDir dir(homePath() + QStringLiteral("/rawXXXXXX"));
        const std::string raw = dir.path().toStdString() + "/caf\xE9.mp3";
        FILE* file = std::fopen(raw.c_str(), "wb");
        QVERIFY(file);
        std::fputs("data", file);
        std::fclose(file);
        QCOMPARE(vorda::platform::moveToTrash(raw), 0);
        struct stat st {};
        QVERIFY(::lstat(raw.c_str(), &st) != 0);
        const std::string trashed = QFile::encodeName(trashFiles()).toStdString() + "caf\xE9.mp3";
        QVERIFY(::lstat(trashed.c_str(), &st) == 0);
        const std::string infoPath = QFile::encodeName(trashFiles()).toStdString() + "../info/caf\xE9.mp3.trashinfo";
        FILE* in = std::fopen(infoPath.c_str(), "rb");
        QVERIFY(in);
        char buffer[512] = {};
        std::fread(buffer, 1, sizeof buffer - 1, in);
        std::fclose(in);
        QVERIFY(QByteArray(buffer).contains("/caf%E9.mp3\n"));
        QCOMPARE(vorda::platform::moveToTrash(raw), ENOENT);
    }

    void modelPublishesAppendedRowsInBatches() {
        MainWindow w;
        vorda::app::FileListModel* model = w.listModel();
        QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
        for (int i = 0; i < 50000; ++i) w.list().addRow("row" + std::to_string(i) + ".mp3");
        QCOMPARE(model->rowCount(), 0);
        model->flushPendingRows();
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(model->rowCount(), 50000);
        QCOMPARE(model->index(49999, 0).data().toString(), QStringLiteral("row49999.mp3"));
        QVERIFY(!model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());

        // Selection flows both ways.
        w.list().selectAll();
        QTRY_COMPARE(guitest::child<QTableView>(w, "lstFiles2")->selectionModel()->selectedRows().size(), 50000);
        guitest::child<QTableView>(w, "lstFiles2")
            ->selectionModel()
            ->select(model->index(7, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(w.list().selectedCount(), 1);
        QVERIFY(w.list().selected(8));

        // A name that is not UTF-8 is shown with a replacement character.
        w.list().clear();
        w.list().addRow("bad\xFFname.mp3");
        model->flushPendingRows();
        QCOMPARE(model->index(0, 0).data().toString(), QString::fromUtf8("bad\xEF\xBF\xBDname.mp3"));
    }
};

int main(int argc, char** argv) { return guitest::run<TestMainWindow>(argc, argv, {QSize(1600, 1000)}); }

#include "tst_mainwindow.moc"
