// SPDX-License-Identifier: GPL-2.0-or-later

// The tag editor in the main window (offscreen): field marks, the typing filters, Page Up/Down,
// Up/Down through the list, the length warning, the switches, the modes and "Save tags".
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
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

std::string makeMp3(const QTemporaryDir& dir, const std::string& name, const std::string& title) {
    const std::string path = dir.path().toStdString() + "/" + name;
    id3test::writeBytes(path, id3test::v23Tag({{"TIT2", title}, {"TPE1", "Artist"}}, 300) + id3test::mp3Audio(8) +
                                  id3test::v1Tag(title, "Artist"));
    return path;
}

std::string storedValue(const std::string& path, int key) {
    AudioFile f;
    f.setOptions(tagOptions(settings()));
    return f.readFile(path, true) ? f.tag().getValue(key) : std::string("<unreadable>");
}

}  // namespace

class TestTagEditor : public QObject {
    Q_OBJECT
private slots:
    void init() {
        settings() = Settings();
        settings().useId3v1 = TagUse::IfWanted;
        settings().useId3v2 = TagUse::IfWanted;
        settings().useLyrics3 = TagUse::IfWanted;
        dir_ = std::make_unique<QTemporaryDir>();
        paths_ = {makeMp3(*dir_, "a.mp3", "Alpha"), makeMp3(*dir_, "b.mp3", "Beta"), makeMp3(*dir_, "c.mp3", "Gamma")};
        w_ = std::make_unique<MainWindow>();
        w_->addFiles(paths_, false);
        QCOMPARE(w_->list().count(), 3);
        ed_ = w_->tagEditor();
        QVERIFY(ed_);
    }
    void cleanup() {
        w_.reset();
        dir_.reset();
    }

    void showingClearsMarksAndTypingSetsThem() {
        showRow(1);
        QCOMPARE(ed_->txtField[0]->text(), QStringLiteral("Alpha"));
        for (QCheckBox* mark : ed_->chkField) QVERIFY(!mark->isChecked());
        QVERIFY(!ed_->chkGenre->isChecked());
        QTest::keyClicks(ed_->txtField[2], "Album");
        QVERIFY(ed_->chkField[2]->isChecked());
        QVERIFY(!ed_->chkField[1]->isChecked());
        ed_->cmbGenre->setEditText(QStringLiteral("Rock"));
        QVERIFY(ed_->chkGenre->isChecked());
        QCOMPARE(ed_->cmbGenre->itemText(0).toStdString(), genreList().front().first);
        QCOMPARE(ed_->cmbGenre->itemData(0).toInt(), genreList().front().second);
    }

    void filtersAndPageKeys() {
        guitest::child<QAction>(*w_, "mnuAdvancedMode")->setChecked(true);  // the ID3v1 pane
        showRow(1);
        ed_->txtField[14]->clear();
        QTest::keyClicks(ed_->txtField[14], "19a9-");
        QCOMPARE(ed_->txtField[14]->text(), QStringLiteral("199"));
        ed_->txtField[3]->clear();
        QTest::keyClicks(ed_->txtField[3], "2001-05x");
        QCOMPARE(ed_->txtField[3]->text(), QStringLiteral("2001-05"));
        QTest::keyClick(ed_->txtField[3], Qt::Key_Backspace);
        QCOMPARE(ed_->txtField[3]->text(), QStringLiteral("2001-0"));

        ed_->txtField[4]->setText(QStringLiteral("1"));
        QTest::keyClick(ed_->txtField[4], Qt::Key_PageDown);
        QCOMPARE(ed_->txtField[4]->text(), QStringLiteral("0"));
        QTest::keyClick(ed_->txtField[4], Qt::Key_PageDown);
        QCOMPARE(ed_->txtField[4]->text(), QStringLiteral("0"));
        ed_->txtField[15]->setText(QStringLiteral("07"));
        QTest::keyClick(ed_->txtField[15], Qt::Key_PageUp);
        QCOMPARE(ed_->txtField[15]->text(), QStringLiteral("8"));
    }

    void upAndDownStepThroughTheList() {
        showRow(1);
        QTest::keyClick(ed_->txtField[0], Qt::Key_Down);
        QCOMPARE(w_->list().firstSelected(), 2);
        QCOMPARE(w_->list().selectedCount(), 1);
        QCOMPARE(ed_->txtField[0]->text(), QStringLiteral("Beta"));
        QTest::keyClick(ed_->txtField[5], Qt::Key_Up);
        QCOMPARE(ed_->txtField[0]->text(), QStringLiteral("Alpha"));
        QTest::keyClick(ed_->txtField[5], Qt::Key_Up);  // bounded by the first row
        QCOMPARE(w_->list().firstSelected(), 1);
        QTest::keyClick(ed_->txtField[0], Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(w_->list().selectedCount(), 2);
    }

    void descriptionsWarningAndCommentHeight() {
        guitest::child<QAction>(*w_, "mnuAdvancedMode")->setChecked(true);
        showRow(1);
        QFocusEvent in(QEvent::FocusIn), out(QEvent::FocusOut);
        QApplication::sendEvent(ed_->txtField[5], &in);
        QCOMPARE(ed_->lblDescription->text(), QStringLiteral("Comments"));
        QCOMPARE(ed_->txtField[5]->height(), 61);
        QApplication::sendEvent(ed_->txtField[5], &out);
        QCOMPARE(ed_->txtField[5]->height(), 19);

        ed_->txtField[11]->setText(QString(31, QLatin1Char('x')));
        QCOMPARE(ed_->txtField[11]->toolTip(),
                 QStringLiteral("Title (More than 30 characters - Lyrics3 tag will be added)"));
        QCOMPARE(ed_->txtField[11]->palette().color(QPalette::Base), QColor(255, 255, 192));
        ed_->txtField[11]->setText(QString(30, QLatin1Char('x')));
        QCOMPARE(ed_->txtField[11]->toolTip(), QStringLiteral("Title"));
    }

    void switchesAndModes() {
        guitest::child<QAction>(*w_, "mnuAdvancedMode")->setChecked(true);
        showRow(1);
        QVERIFY(ed_->chkEnable[TagSwitch::Id3v1]->isChecked());
        ed_->chkRemove[TagSwitch::Id3v1]->setChecked(true);
        QVERIFY(!ed_->chkEnable[TagSwitch::Id3v1]->isChecked());
        QVERIFY(ed_->txtField[11]->isReadOnly());
        ed_->chkEnable[TagSwitch::Id3v1]->setChecked(true);
        QVERIFY(!ed_->chkRemove[TagSwitch::Id3v1]->isChecked());
        QVERIFY(!ed_->txtField[11]->isReadOnly());

        w_->commands().selectAllFiles();
        QVERIFY(!ed_->chkRemove[TagSwitch::Id3v2]->isHidden());
        guitest::child<QAction>(*w_, "mnuAdvancedMode")->setChecked(false);
        QVERIFY(!settings().advancedMode);
        QCOMPARE(ed_->chkEnable[TagSwitch::Id3v2]->text(), QStringLiteral("Use tags"));
        QVERIFY(ed_->chkEnable[TagSwitch::Id3v2]->isChecked());
        QVERIFY(ed_->chkRemove[TagSwitch::Id3v2]->isHidden());
        QVERIFY(ed_->picEditID3v1->isHidden());
    }

    void saveTagsForOneFileAndForSeveral() {
        showRow(2);
        ed_->txtField[0]->setText(QStringLiteral("r+= (Live)"));
        QVERIFY(guitest::child<QAction>(*w_, "mnuSaveTags")->isEnabled());
        guitest::child<QAction>(*w_, "mnuSaveTags")->trigger();
        QCOMPARE(storedValue(paths_[1], ValueKey::Title), std::string("Beta (Live)"));
        QCOMPARE(ed_->txtField[0]->text(), QStringLiteral("Beta (Live)"));
        QVERIFY(!ed_->chkField[0]->isChecked());
        QVERIFY(w_->panelText(3).startsWith(QStringLiteral("All tags saved in ")));

        w_->commands().selectAllFiles();
        ed_->txtField[1]->setText(QStringLiteral("Band"));
        guitest::answerOk();
        ed_->cmdSaveTags->click();
        for (const std::string& p : paths_) QCOMPARE(storedValue(p, ValueKey::Artist), std::string("Band"));
        QCOMPARE(storedValue(paths_[0], ValueKey::Title), std::string("Alpha"));
    }

private:
    void showRow(int row) {
        FileList& list = w_->list();
        list.clearSelection();
        list.setSelected(row, true);
        w_->commands().mouseDown(false);
        QVERIFY(w_->commands().rowClicked(row));
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::vector<std::string> paths_;
    std::unique_ptr<MainWindow> w_;
    TagEditor* ed_ = nullptr;
};

int main(int argc, char** argv) { return guitest::run<TestTagEditor>(argc, argv); }

#include "tst_tageditor.moc"
