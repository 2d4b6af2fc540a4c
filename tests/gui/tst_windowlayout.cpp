// SPDX-License-Identifier: GPL-2.0-or-later

// The main window on a 1600 x 1000 screen: stored sizes kept on the screen, the first start's
// layout, sorting by a column, listing that can be stopped, and the folder tree at the folder shown.
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include "../core/ID3TestSupport.h"
#include "GuiTestSupport.h"
#include "app/Settings.h"
#include "app/qt/FileListModel.h"
#include "app/qt/MainWindow.h"
#include "app/qt/OptionsSupport.h"
#include "base/IniFile.h"
#include "editing/qt/TagEditor.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

using namespace guitest;
using vorda::app::MainWindow;

namespace {

double storedNumber(const char* key) {
    vorda::base::IniFile ini(settingsFile().toStdString());
    return vorda::app::getRealSetting(ini, "Visual", key, -1);
}

QRect screenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

void writeMp3(const QString& path, const std::string& track, int frames = 4) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    std::vector<std::pair<std::string, std::string>> frameList = {{"TIT2", "Song"}};
    if (!track.empty()) frameList.push_back({"TRCK", track});
    id3test::writeBytes(path.toStdString(), id3test::v23Tag(frameList, 64) + id3test::mp3Audio(frames));
}

void writeBlob(const QString& path, qint64 bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QVERIFY(f.resize(bytes));
}

}  // namespace

class TestWindowLayout : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(settingsFile()); }

    // ---- size and place

    void storedSizesStayOnTheScreen_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QSize>("expected");  // an empty size: the whole free area at most
        QTest::newRow("fits, used as stored") << "22500"
                                              << "13500" << QSize(1500, 900);
        QTest::newRow("a billion twips") << "1e9"
                                         << "1e9" << QSize();
        QTest::newRow("wider than the screen") << "60000"
                                               << "9495" << QSize();
        QTest::newRow("below the minimum") << "3000"
                                           << "2000" << QSize(699, 633);
        QTest::newRow("negative: not a size") << "-500"
                                              << "-500" << QSize(1200, 750);
        QTest::newRow("not a number") << "wide"
                                      << "tall" << QSize(1200, 750);
    }
    void storedSizesStayOnTheScreen() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QSize, expected);
        writeKeys("Visual", {{"FormWidth", width}, {"FormHeight", height}});
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
        if (expected.isValid()) QCOMPARE(w.size(), expected);
        QVERIFY2(screenArea().contains(w.frameGeometry()), "the window reaches off the screen");
        QVERIFY(w.width() >= w.minimumWidth() && w.height() >= w.minimumHeight());
        w.close();
        // What is stored again is what was shown.
        QCOMPARE(storedNumber("FormWidth"), w.width() * 15.0);
        QCOMPARE(storedNumber("FormHeight"), w.height() * 15.0);
    }

    void placementRules() {
        const QRect area(0, 0, 1600, 1000);
        const QSize minimum(699, 633);
        QCOMPARE(MainWindow::placeOnScreen(area, QSize(1500, 900), minimum), QRect(50, 50, 1500, 900));
        QCOMPARE(MainWindow::placeOnScreen(area, QSize(32767, 32767), minimum), area);
        QCOMPARE(MainWindow::placeOnScreen(QRect(1600, 0, 1280, 720), QSize(1500, 900), minimum),
                 QRect(1600, 0, 1280, 720));  // a second screen to the right
        // A screen smaller than the minimum: the minimum wins, from the area's corner.
        QCOMPARE(MainWindow::placeOnScreen(QRect(0, 0, 640, 480), QSize(100, 100), minimum), QRect(0, 0, 699, 633));
    }

    void maximisedStaysMaximised() {
        writeKeys("Visual", {{"FormWidth", "1e9"}, {"FormHeight", "1e9"}, {"FormState", "2"}});
        MainWindow w;
        QVERIFY(w.windowState() & Qt::WindowMaximized);
        QVERIFY(w.width() <= screenArea().width());
    }

    // ---- first start

    void firstStartFitsTheScreenAndGivesTheListTheRoom() {
        QTemporaryDir music(homePath() + QStringLiteral("/firstXXXXXX"));
        const QString longName = QStringLiteral("01 - A rather long title of a song, live at some place.mp3");
        writeMp3(music.filePath(longName), "1");
        writeMp3(music.filePath("b.mp3"), "2");
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.size(), QSize(screenArea().width() * 3 / 4, screenArea().height() * 3 / 4));
        QVERIFY(guitest::child<QTableView>(w, "lstFiles2")->height() >
                guitest::child<QTabWidget>(w, "tabTAGs")->height());
        QVERIFY(guitest::child<QTreeView>(w, "DirTree")->width() >= 180);

        // No file shown: every box of the tag editor is empty, the genre boxes too.
        vorda::editing::TagEditor* ed = w.tagEditor();
        QCOMPARE(ed->cmbGenre->currentText(), QString());
        QCOMPARE(ed->cmbV1Genre->currentText(), QString());
        for (QLineEdit* field : ed->txtField) QCOMPARE(field->text(), QString());

        // Columns never sized take their content's width once the list is filled.
        w.startUp({music.path().toStdString()});
        QHeaderView* header = guitest::child<QTableView>(w, "lstFiles2")->horizontalHeader();
        const int nameWidth = guitest::child<QTableView>(w, "lstFiles2")->fontMetrics().horizontalAdvance(longName);
        QVERIFY2(header->sectionSize(0) >= std::min(nameWidth, 360), "the Filename column cuts its text");
        QVERIFY(header->sectionSize(6) < 100);  // Track: narrow content, narrow column
        w.sortByColumnClick(1);
        guitest::child<QTableView>(w, "lstFiles2")->selectRow(0);
        QCoreApplication::processEvents();
        QCOMPARE(ed->txtField[0]->text(), QStringLiteral("Song"));
        w.close();
        QCOMPARE(storedNumber("ColSize1"), header->sectionSize(0) * 15.0);

        // Stored widths are used as stored.
        writeKeys("Visual", {{"ColSize1", "1500"}});
        MainWindow again;
        again.startUp({music.path().toStdString()});
        QCOMPARE(guitest::child<QTableView>(again, "lstFiles2")->horizontalHeader()->sectionSize(0), 100);
    }

    // ---- sorting

    void sortingComparesAsPeopleExpect() {
        QTemporaryDir dir(homePath() + QStringLiteral("/sortXXXXXX"));
        writeMp3(dir.filePath(QString::fromUtf8("zebra.mp3")), "10");
        writeMp3(dir.filePath(QString::fromUtf8("Banana.mp3")), "2");
        writeMp3(dir.filePath(QString::fromUtf8("\xC3\x84pfel.mp3")), "1/12");
        writeMp3(dir.filePath(QString::fromUtf8("apple.mp3")), "");
        writeMp3(dir.filePath(QString::fromUtf8("track 10.mp3")), "3");
        writeMp3(dir.filePath(QString::fromUtf8("track 2.mp3")), "9");
        {
            vorda::base::IniFile ini(settingsFile().toStdString());
            ini.write("General", "bPadTrackNr", "False");  // track numbers as they are stored
        }
        MainWindow w;
        w.show();
        w.startUp({dir.path().toStdString()});
        QCOMPARE(w.list().count(), 6);

        w.sortByColumnClick(1);
        QCOMPARE(column(w, 1), QStringList({QString::fromUtf8("\xC3\x84pfel.mp3"), "apple.mp3", "Banana.mp3",
                                            "track 2.mp3", "track 10.mp3", "zebra.mp3"}));
        w.sortByColumnClick(7);
        QCOMPARE(column(w, 7), QStringList({"", "1/12", "2", "3", "9", "10"}));
        w.sortByColumnClick(7);  // the same column again: descending
        QCOMPARE(column(w, 7), QStringList({"10", "9", "3", "2", "1/12", ""}));

        // A rescan keeps the rows in the order the header shows.
        QVERIFY(w.selectTreeFolder(dir.path().toStdString()));
        QCOMPARE(w.list().count(), 6);
        QCOMPARE(column(w, 7), QStringList({"10", "9", "3", "2", "1/12", ""}));
        QCOMPARE(guitest::child<QTableView>(w, "lstFiles2")->horizontalHeader()->sortIndicatorSection(), 6);
        QCOMPARE(guitest::child<QTableView>(w, "lstFiles2")->horizontalHeader()->sortIndicatorOrder(),
                 Qt::DescendingOrder);
    }

    void numberColumnsSortByTheirNumbers() {
        QTemporaryDir dir(homePath() + QStringLiteral("/sizesXXXXXX"));
        writeBlob(dir.filePath("ten.mp3"), 10 * 1024 * 1024);
        writeBlob(dir.filePath("two.mp3"), 2 * 1024 * 1024);
        writeBlob(dir.filePath("small.mp3"), 900 * 1024);
        MainWindow w;
        w.startUp({dir.path().toStdString()});
        w.sortByColumnClick(3);
        QCOMPARE(column(w, 3), QStringList({"0.88 MB", "2.00 MB", "10.00 MB"}));

        // Cells as the list shows them, through the model's ordering.
        vorda::app::FileList list;
        const char* const durations[] = {"100:00", "09:59", "", "75:00", "10:00"};
        const char* const sizes[] = {"1 234.50 MB", "999.00 MB", "", "3.45 MB", "12.00 MB"};
        const char* const bitrates[] = {"320", "96", "", "128", "1000"};
        for (int i = 0; i < 5; ++i) {
            const int row = list.addRow("f" + std::to_string(i));
            list.setCellContent(row, vorda::app::ListColumn::Duration, durations[i]);
            list.setCellContent(row, vorda::app::ListColumn::Size, sizes[i]);
            list.setCellContent(row, vorda::app::ListColumn::Bitrate, bitrates[i]);
        }
        using Model = vorda::app::FileListModel;
        QCOMPARE(Model::sortedOrder(list, vorda::app::ListColumn::Duration, true), (std::vector<int>{3, 2, 5, 4, 1}));
        QCOMPARE(Model::sortedOrder(list, vorda::app::ListColumn::Size, true), (std::vector<int>{3, 4, 5, 2, 1}));
        QCOMPARE(Model::sortedOrder(list, vorda::app::ListColumn::Bitrate, false), (std::vector<int>{5, 1, 4, 2, 3}));
        QVERIFY(list.reorder({2, 1, 3, 4, 5}));
        QCOMPARE(list.getCellContent(1, 1), std::string("f1"));
        QVERIFY(!list.reorder({1, 1, 3, 4, 5}));  // not a permutation: nothing moves
        QVERIFY(!list.reorder({1, 2}));
        QCOMPARE(list.getCellContent(1, 1), std::string("f1"));
    }

    // ---- listing

    void listingCanBeStoppedAndTakesNoOtherInput() {
        QTemporaryDir dir(homePath() + QStringLiteral("/manyXXXXXX"));
        for (int i = 0; i < 1500; ++i) writeBlob(dir.filePath(QStringLiteral("f%1.mp3").arg(i, 4, 10, QChar('0'))), 64);
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        // At the first repaint: Delete (refused while listing), then the Stop button.
        bool stopShown = false;
        QTimer::singleShot(0, &w, [&] {
            stopShown = guitest::child<QPushButton>(w, "cmdStopScan")->isVisible();
            QTest::keyClick(guitest::child<QTableView>(w, "lstFiles2"), Qt::Key_Delete);
            QTest::mouseClick(guitest::child<QPushButton>(w, "cmdStopScan"), Qt::LeftButton);
        });
        w.dropPaths({dir.path().toStdString()});
        QVERIFY(stopShown);
        QVERIFY(!w.scanning());
        QVERIFY(!guitest::child<QPushButton>(w, "cmdStopScan")->isVisible());
        const int listed = w.list().count();
        QVERIFY2(listed > 0 && listed < 1500, qPrintable(QString::number(listed)));
        QCOMPARE(w.panelText(1), QStringLiteral("Total: %1 files (0 MB)").arg(listed));
        QVERIFY(w.panelText(3).startsWith(QStringLiteral("Scanned %1 files in ").arg(listed)));
        QCOMPARE(w.panelText(4), QStringLiteral("Progress"));

        // Esc stops a scan as well; afterwards keys reach the list again.
        guitest::child<QAction>(w, "mnuClearList")->trigger();
        QTimer::singleShot(0, &w, [&] { QTest::keyClick(guitest::child<QTableView>(w, "lstFiles2"), Qt::Key_Escape); });
        w.dropPaths({dir.path().toStdString()});
        QVERIFY(w.list().count() < 1500);
        guitest::child<QAction>(w, "mnuClearList")->trigger();
        w.dropPaths({dir.path().toStdString()});
        QCOMPARE(w.list().count(), 1500);  // nothing left over from the last stop

        // The status text is shown whole.
        QLabel* status = w.findChild<QLabel*>(QStringLiteral("StatusBarPanel3"));
        QVERIFY(status);
        QVERIFY(status->width() >= status->fontMetrics().horizontalAdvance(status->text()));
    }

    void treeOpensAtTheFolderShown() {
        QTemporaryDir dir(homePath() + QStringLiteral("/deepXXXXXX"));
        const QString deep = dir.filePath("a/b/c/d/e/f/g/h/i/j/album");
        writeMp3(deep + "/one.mp3", "1");
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.startUp({deep.toStdString()});
        QCOMPARE(w.treePath(), deep.toStdString());
        QCOMPARE(w.list().count(), 1);
        QTreeView* tree = guitest::child<QTreeView>(w, "DirTree");
        QTRY_VERIFY(tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex()).center()));
    }
};

int main(int argc, char** argv) { return guitest::run<TestWindowLayout>(argc, argv, {QSize(1600, 1000)}); }

#include "tst_windowlayout.moc"
