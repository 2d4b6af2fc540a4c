// SPDX-License-Identifier: GPL-2.0-or-later

// Find and replace from the main window offscreen, on MP3 files in a scratch folder: the menu
// entry, stepping from match to match with the tag editor's field that holds each one, the
// matching rows selected, Replace All and Add written to the files (read back by mutagen) and
// shown again in the list, and a read-only file reported while the others are written.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "ID3TestSupport.h"
#include "PeerSupport.h"
#include "TestSupport.h"
#include "app/FileList.h"
#include "app/qt/MainWindow.h"
#include "editing/TagPanes.h"
#include "editing/qt/TagEditor.h"
#include "find/qt/FindDialog.h"
#include "tags/AudioFile.h"

using namespace vorda::tags;
using namespace vorda::editing;
using vorda::app::MainWindow;
using vorda::find::FindDialog;

namespace {

// Reads the text of the next message box and presses its OK button.
void readNextMessage(QStringList& texts, int triesLeft = 100) {
    QTimer::singleShot(20, [&texts, triesLeft] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) {
                texts << box->text();
                box->button(QMessageBox::Ok)->click();
                return;
            }
        }
        if (triesLeft > 0) readNextMessage(texts, triesLeft - 1);
    });
}

// An MP3 file of synthesised frames with an ID3v2.3 tag of the frames given and, when title is
// not empty, an ID3v1 tag.
void makeMp3(const std::string& path, const std::vector<std::pair<std::string, std::string>>& frames,
             const std::string& v1Title = "", const std::string& v1Artist = "") {
    std::string bytes = id3test::v23Tag(frames, 256) + id3test::mp3Audio(40);
    if (!v1Title.empty()) bytes += id3test::v1Tag(v1Title, v1Artist);
    testsupport::writeBytes(path, bytes);
}

}  // namespace

class FindWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        files_ = std::make_unique<testsupport::TempFolder>();
        paths_ = {files_->file("1 love.mp3"), files_->file("2 other.mp3"), files_->file("3 mood.mp3"),
                  files_->file("4 none.mp3")};
        makeMp3(paths_[0], {{"TIT2", "Love Song"}, {"TPE1", "Band"}}, "Love Song", "Band");
        makeMp3(paths_[1], {{"TIT2", "Other"}, {"TCOM", "Glove Maker"}});
        makeMp3(paths_[2], {{"TIT2", "Rain"}}, "Rain");  // Lyrics3 goes before an ID3v1 tag
        {
            AudioFile file;
            QVERIFY(file.readFile(paths_[2], true));
            file.tag().add(TagKind::Lyrics3);
            QVERIFY(file.tag().setValue(ValueKey::Mood, "Lovely"));
            QCOMPARE(file.tag().tagWrite(), 0);
        }
        makeMp3(paths_[3], {{"TIT2", "Nothing here"}});
        w_ = std::make_unique<MainWindow>();
        w_->addFiles(paths_, false);
        QCOMPARE(w_->list().count(), 4);
        for (int row = 1; row <= 4; ++row) QCOMPARE(w_->list().getFullPath(row), paths_[row - 1]);
    }
    void cleanup() {
        w_.reset();
        files_.reset();
    }

    void theMenuEntryOpensOneDialogAndSteppingFocusesEachMatchingField() {
        auto* item = guitest::child<QAction>(*w_, "mnuFindReplace");
        QVERIFY(item->isEnabled());
        QCOMPARE(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
        item->trigger();
        FindDialog* dialog = w_->findDialog();
        QVERIFY(dialog != nullptr);
        QVERIFY(dialog->isVisible());
        item->trigger();
        QCOMPARE(w_->findDialog(), dialog);

        w_->setAdvancedMode(true);
        guitest::child<QCheckBox>(*dialog, "chkLyrics3")->setChecked(true);
        for (const int field : {8, 12})
            guitest::child<QCheckBox>(*dialog, QString("chkSearchFrame_%1").arg(field))->setChecked(true);
        guitest::child<QLineEdit>(*dialog, "txtFind")->setText("LOVE");
        auto* find = guitest::child<QPushButton>(*dialog, "cmdFind");
        TagEditor* editor = w_->tagEditor();
        auto* pages = guitest::child<QTabWidget>(*w_, "tabTAGs");

        struct Step {
            int row;
            QWidget* field;
            QString selected;
        };
        const Step steps[] = {
            {1, editor->txtField[TagField::V1Title], "Love"},  // ID3v1 comes first
            {1, editor->txtField[TagField::Title], "Love"},
            {2, editor->txtField[TagField::Composer], "love"},
            {3, editor->cmbLyrMood, ""},
        };
        for (const Step& step : steps) {
            find->click();
            QCOMPARE(w_->list().selectedCount(), 1);
            QCOMPARE(w_->list().firstSelected(), step.row);
            QCOMPARE(w_->focusWidget(), step.field);
            QVERIFY(pages->currentWidget()->isAncestorOf(step.field));
            if (auto* line = qobject_cast<QLineEdit*>(step.field)) QCOMPARE(line->selectedText(), step.selected);
        }
        QCOMPARE(editor->cmbLyrMood->currentText(), QString("Lovely"));

        QStringList messages;
        readNextMessage(messages);
        find->click();
        QCOMPARE(messages, QStringList{"Could not find \"LOVE\" in current scope!"});
        // The search starts again at the first file.
        find->click();
        QCOMPARE(w_->focusWidget(), editor->txtField[TagField::V1Title]);

        // Simple mode has one pane: the ID3v1 match is in its general field.
        w_->setAdvancedMode(false);
        dialog->hide();
        item->trigger();
        find->click();
        QCOMPARE(w_->focusWidget(), editor->txtField[TagField::Title]);

        // Nothing to find says so.
        guitest::child<QLineEdit>(*dialog, "txtFind")->clear();
        readNextMessage(messages);
        find->click();
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages.last().startsWith("There is no text to find"));
    }

    void selectMatchingReplaceAllAndAddWriteTheFilesAndShowTheirRows() {
        guitest::child<QAction>(*w_, "mnuFindReplace")->trigger();
        FindDialog* dialog = w_->findDialog();
        guitest::child<QCheckBox>(*dialog, "chkSearchFrame_8")->setChecked(true);  // Composer
        guitest::child<QLineEdit>(*dialog, "txtFind")->setText("love");
        guitest::child<QCheckBox>(*dialog, "chkSelectMatches")->setChecked(true);
        auto* find = guitest::child<QPushButton>(*dialog, "cmdFind");
        find->click();
        QCOMPARE(w_->list().selectedCount(), 2);
        QVERIFY(w_->list().selected(1) && w_->list().selected(2));
        QCOMPARE(guitest::child<QLabel>(*dialog, "lblResult")->text(), QString("2 matching files."));

        // Only the selected files, one of them now shown in the tag editor.
        w_->list().clearSelection();
        w_->list().setSelected(1, true);
        guitest::child<QCheckBox>(*dialog, "chkSelectMatches")->setChecked(false);
        guitest::child<QCheckBox>(*dialog, "chkReplaceAll")->setChecked(true);
        guitest::child<QRadioButton>(*dialog, "optFiles_1")->setChecked(true);
        guitest::child<QLineEdit>(*dialog, "txtReplace")->setText("Hate");
        const std::string untouched = testsupport::readBytes(paths_[1]);
        find->click();
        QCOMPARE(guitest::child<QLabel>(*dialog, "lblResult")->text(), QString("Changed 2 values in 1 file."));
        QCOMPARE(testsupport::readBytes(paths_[1]), untouched);
        QCOMPARE(peers::mutagenTagValues({paths_[0]})[paths_[0]]["title"], std::string("Hate Song"));
        QCOMPARE(peers::mutagenId3v1(paths_[0])["TIT2"], std::string("Hate Song"));
        QCOMPARE(w_->list().getCellContent(1, vorda::app::ListColumn::Title), std::string("Hate Song"));
        QTRY_COMPARE(w_->tagEditor()->txtField[TagField::Title]->text(), QString("Hate Song"));

        // Add at the end of the artist of every file.
        guitest::child<QRadioButton>(*dialog, "optFiles_0")->setChecked(true);
        for (int field = 0; field < 15; ++field)
            guitest::child<QCheckBox>(*dialog, QString("chkSearchFrame_%1").arg(field))->setChecked(field == 0);
        guitest::child<QTabWidget>(*dialog, "TabStrip")->setCurrentIndex(2);
        guitest::child<QLineEdit>(*dialog, "txtAddText")->setText(" & Friends");
        guitest::child<QRadioButton>(*dialog, "optAddSide_1")->setChecked(true);
        find->click();
        // Only the first file has an artist: empty values stay empty. Its values all fit ID3v1, so
        // under the default tag options its last write kept that tag alone.
        QCOMPARE(guitest::child<QLabel>(*dialog, "lblResult")->text(), QString("Changed 1 value in 1 file."));
        const auto values = peers::mutagenTagValues({paths_[0], paths_[1]});
        QCOMPARE(values.at(paths_[0]).at("artist"), std::string("Band & Friends"));
        QCOMPARE(values.at(paths_[1]).at("artist"), std::string());
        QCOMPARE(w_->list().getCellContent(1, vorda::app::ListColumn::Artist), std::string("Band & Friends"));
    }

    void aReadOnlyFileIsReportedOnceAndTheOthersAreWritten() {
        QCOMPARE(::chmod(paths_[1].c_str(), 0444), 0);
        const std::string locked = testsupport::readBytes(paths_[1]);
        guitest::child<QAction>(*w_, "mnuFindReplace")->trigger();
        FindDialog* dialog = w_->findDialog();
        for (const int field : {2, 8})
            guitest::child<QCheckBox>(*dialog, QString("chkSearchFrame_%1").arg(field))->setChecked(true);
        guitest::child<QLineEdit>(*dialog, "txtFind")->setText("o");
        guitest::child<QLineEdit>(*dialog, "txtReplace")->setText("0");
        guitest::child<QCheckBox>(*dialog, "chkReplaceAll")->setChecked(true);
        QStringList messages;
        readNextMessage(messages);
        guitest::child<QPushButton>(*dialog, "cmdFind")->click();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].startsWith("Tags could not be saved to 1 of 3 files.\r\n\r\nFirst error: " +
                                        QString::fromStdString(paths_[1])),
                 qPrintable(messages[0]));
        QVERIFY(messages[0].contains("read-only"));
        QCOMPARE(testsupport::readBytes(paths_[1]), locked);
        const auto values = peers::mutagenTagValues({paths_[0], paths_[2], paths_[3]});
        QCOMPARE(values.at(paths_[0]).at("title"), std::string("L0ve S0ng"));
        QCOMPARE(values.at(paths_[2]).at("title"), std::string("Rain"));
        QCOMPARE(values.at(paths_[3]).at("title"), std::string("N0thing here"));
        QCOMPARE(w_->list().getCellContent(2, vorda::app::ListColumn::Title), std::string("Other"));
        QCOMPARE(guitest::child<QLabel>(*dialog, "lblResult")->text(), QString("Changed 3 values in 2 files."));
    }

private:
    std::unique_ptr<testsupport::TempFolder> files_;
    std::vector<std::string> paths_;
    std::unique_ptr<MainWindow> w_;
};

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    if (!guitest::usePrivateHome(home)) return 1;
    QApplication app(argc, argv);
    FindWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_find_window.moc"
