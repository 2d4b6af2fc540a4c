// SPDX-License-Identifier: GPL-2.0-or-later

// The file list's selection and the tag editor: whatever moves the selection (mouse, arrows,
// pages, type-ahead, Shift, Ctrl+A, the List menu, code), the panes show the one selected file
// or switch to several-files mode, and "Save tags" writes into exactly the selected files.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "../core/ID3TestSupport.h"
#include "GuiTestSupport.h"
#include "app/Settings.h"
#include "app/qt/MainWindow.h"
#include "editing/qt/TagEditor.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

namespace {

const char* const kNames[] = {"Alpha", "Bravo",  "Charlie", "Delta", "Echo", "Foxtrot",  "Golf",  "Hotel",
                              "India", "Juliet", "Kilo",    "Lima",  "Mike", "November", "Oscar", "Papa"};

std::string storedTitle(const std::string& path) {
    AudioFile f;
    f.setOptions(tagOptions(settings()));
    return f.readFile(path, true) ? f.tag().getValue(ValueKey::Title) : std::string("<unreadable>");
}

}  // namespace

class TestListSelection : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        settings() = Settings();
        settings().useId3v1 = TagUse::IfWanted;
        settings().useId3v2 = TagUse::IfWanted;
        dir_ = std::make_unique<QTemporaryDir>();
        std::vector<std::string> paths;
        for (const char* name : kNames) {
            const std::string path =
                dir_->path().toStdString() + "/" + QString::fromLatin1(name).toLower().toStdString() + ".mp3";
            id3test::writeBytes(path,
                                id3test::v23Tag({{"TIT2", name}, {"TPE1", "Artist"}}, 300) + id3test::mp3Audio(8));
            paths.push_back(path);
            titles_[path] = name;
        }
        w_ = std::make_unique<MainWindow>();
        w_->resize(900, 700);
        w_->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
        w_->addFiles(paths, false);
        w_->sortByColumnClick(1);
        QCOMPARE(w_->list().count(), 16);
        list_ = guitest::child<QTableView>(*w_, "lstFiles2");
        ed_ = w_->tagEditor();
    }
    void cleanupTestCase() {
        w_.reset();
        dir_.reset();
    }

    // Each way of moving the selection, starting with one file shown; then a title is typed
    // and saved, and only the selected files may receive it.
    void everyWayOfMovingTheSelectionShowsWhatIsSaved_data() {
        QTest::addColumn<QString>("way");
        for (const char* way : {"click", "down", "up", "typeahead", "pagedown", "shiftdown", "shiftup", "ctrla",
                                "ctrlclick", "menuselectall", "menuinvert", "invertone", "programmatic",
                                "programmaticmany", "tagareadown", "tagareashift"}) {
            QTest::newRow(way) << QString::fromLatin1(way);
        }
    }
    void everyWayOfMovingTheSelectionShowsWhatIsSaved() {
        QFETCH(QString, way);
        const int start = way == QLatin1String("up") || way == QLatin1String("shiftup") ? 3 : 1;
        clickRow(start);
        QCOMPARE(ed_->txtField[0]->text(), QString::fromStdString(titleOfRow(start)));
        QVERIFY(!w_->commands().bMultiChange);

        const std::map<QString, std::function<void()>> ways = {
            {"click", [&] { clickRow(6); }},
            {"down", [&] { QTest::keyClick(list_, Qt::Key_Down); }},
            {"up", [&] { QTest::keyClick(list_, Qt::Key_Up); }},
            {"typeahead", [&] { QTest::keyClicks(list_, "e"); }},
            {"pagedown", [&] { QTest::keyClick(list_, Qt::Key_PageDown); }},
            {"shiftdown", [&] { QTest::keyClick(list_, Qt::Key_Down, Qt::ShiftModifier); }},
            {"shiftup", [&] { QTest::keyClick(list_, Qt::Key_Up, Qt::ShiftModifier); }},
            {"ctrla", [&] { QTest::keyClick(list_, Qt::Key_A, Qt::ControlModifier); }},
            {"ctrlclick", [&] { clickRow(4, Qt::ControlModifier); }},
            {"menuselectall", [&] { guitest::child<QAction>(*w_, "mnuSelectAll")->trigger(); }},
            {"menuinvert", [&] { guitest::child<QAction>(*w_, "mnuSelInvert")->trigger(); }},
            {"invertone",
             [&] {
                 // Every row but one selected, then inverted: that one row is left.
                 for (int r = 1; r <= 16; ++r) w_->list().setSelected(r, r != 9);
                 guitest::child<QAction>(*w_, "mnuSelInvert")->trigger();
             }},
            {"programmatic",
             [&] {
                 list_->selectionModel()->select(list_->model()->index(10, 0),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
             }},
            {"programmaticmany", [&] { w_->list().setSelected(12, true); }},
            {"tagareadown", [&] { QTest::keyClick(ed_->txtField[1], Qt::Key_Down); }},
            {"tagareashift", [&] { QTest::keyClick(ed_->txtField[1], Qt::Key_Down, Qt::ShiftModifier); }},
        };
        ways.at(way)();
        QCoreApplication::processEvents();  // a change made from code is followed on the next turn
        const std::vector<int> selected = selectedRows();
        QVERIFY(!selected.empty());
        if (way != QLatin1String("click") && way != QLatin1String("programmatic") && way != QLatin1String("invertone"))
            QVERIFY2(selected != std::vector<int>{start}, "the way did not move the selection");

        // The panes follow the selection.
        if (selected.size() == 1) {
            QVERIFY(!w_->commands().bMultiChange);
            QCOMPARE(ed_->txtField[0]->text(), QString::fromStdString(titleOfRow(selected.front())));
            QCOMPARE(w_->currentRow(), selected.front());
        } else {
            QVERIFY(w_->commands().bMultiChange);
            QCOMPARE(ed_->txtField[0]->text(), QString());
        }

        // The save reaches exactly the selected files.
        const std::string typed = "Typed " + way.toStdString();
        ed_->txtField[0]->setText(QString::fromStdString(typed));
        if (selected.size() > 1) guitest::answerOk();
        guitest::child<QAction>(*w_, "mnuSaveTags")->trigger();
        for (int row = 1; row <= 16; ++row) {
            const std::string path = w_->list().getFullPath(row);
            const bool chosen = std::find(selected.begin(), selected.end(), row) != selected.end();
            if (chosen) titles_[path] = typed;
            QCOMPARE(storedTitle(path), titles_[path]);
        }
        QVERIFY(w_->panelText(3).startsWith(QStringLiteral("All tags saved")));
    }

    // A selection changed from code and saved before the event loop ran: nothing is written
    // into a file the panes never showed.
    void saveRightAfterAChangeFromCodeWritesNothingUnseen() {
        clickRow(2);
        const std::string bravo = w_->list().getFullPath(2);
        const std::string before = storedTitle(bravo);
        ed_->txtField[0]->setText(QStringLiteral("Meant for row two"));
        w_->list().setSelected(2, false);
        w_->list().setSelected(7, true);
        const std::string seventh = w_->list().getFullPath(7);
        const std::string seventhBefore = storedTitle(seventh);
        guitest::child<QAction>(*w_, "mnuSaveTags")->trigger();
        QCOMPARE(storedTitle(seventh), seventhBefore);
        QCOMPARE(storedTitle(bravo), before);
        QCOMPARE(ed_->txtField[0]->text(), QString::fromStdString(seventhBefore));
    }

    // A row whose file vanished is removed when it is selected, and nothing else is shown.
    void vanishedFileLeavesThePanesEmpty() {
        const std::string last = w_->list().getFullPath(16);
        QVERIFY(QFile::remove(QString::fromStdString(last)));
        clickRow(16);
        QCOMPARE(w_->list().count(), 15);
        QCOMPARE(guitest::child<QLineEdit>(*w_, "txtOldName")->text(), QStringLiteral("The File Does Not Exist!"));
        QCOMPARE(ed_->txtField[0]->text(), QString());
        QCOMPARE(w_->list().selectedCount(), 0);
    }

private:
    void clickRow(int row, Qt::KeyboardModifiers mods = {}) {
        const QModelIndex index = list_->model()->index(row - 1, 0);
        list_->scrollTo(index);
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, mods, list_->visualRect(index).center());
        list_->setFocus();
    }
    std::string titleOfRow(int row) { return storedTitle(w_->list().getFullPath(row)); }
    std::vector<int> selectedRows() const {
        std::vector<int> rows;
        for (int r = 1; r <= w_->list().count(); ++r)
            if (w_->list().selected(r)) rows.push_back(r);
        return rows;
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MainWindow> w_;
    QTableView* list_ = nullptr;
    TagEditor* ed_ = nullptr;
    std::map<std::string, std::string> titles_;
};

int main(int argc, char** argv) { return guitest::run<TestListSelection>(argc, argv); }

#include "tst_listselection.moc"
