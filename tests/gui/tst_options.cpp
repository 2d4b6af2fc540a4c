// SPDX-License-Identifier: GPL-2.0-or-later

// The options dialog and the replace-list editor, driven offscreen: captions and pages, typing
// rules, focus-loss corrections and their messages, OK writing the options keys to the real
// settings file, Cancel changing nothing, the file-type list and the replace editor's checks.
#include <functional>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "GuiTestSupport.h"
#include "app/Settings.h"
#include "app/qt/OptionsDialog.h"
#include "app/qt/OptionsSupport.h"
#include "app/qt/ReplaceListDialog.h"
#include "base/IniFile.h"
#include "platform/PlatformServices.h"

using namespace vorda::base;
using namespace vorda::app;
using namespace vorda::platform;

using namespace guitest;
using vorda::app::OptionsDialog;
using vorda::app::ReplaceListDialog;

namespace {

// Starts from the given settings file (none when empty) and loads it into settings().
void startWith(const QByteArray& content) {
    QFile::remove(settingsFile());
    if (!content.isEmpty()) writeFile(settingsFile(), content);
    vorda::app::settings().load(vorda::base::IniFile(settingsFile().toStdString()));
}

// Every key of settings() that any dialog or the window stores, as file text.
QByteArray snapshot() {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/s.ini").toStdString();
    vorda::base::IniFile ini(path);
    const vorda::app::Settings& s = vorda::app::settings();
    s.saveOptions(ini);
    s.saveMain(ini);
    s.saveReplaces(ini);
    s.savePatternLists(ini);
    return readFile(QString::fromStdString(path)) + QByteArray::number(s.autoRemoveJunk) +
           QByteArray::number(s.emptyFieldAction);
}

// Runs action on the next visible top-level widget of type T (a message box, an editor).
template <typename T>
void whenShown(std::function<void(T*)> action) {
    QTimer::singleShot(30, [action] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* w = qobject_cast<T*>(top);
            if (w && w->isVisible()) {
                action(w);
                return;
            }
        }
        whenShown<T>(action);
    });
}

void retype(QLineEdit* box, const QString& text) {
    box->clear();
    QTest::keyClicks(box, text);
}

void choosePage(OptionsDialog& dlg, const QString& name) {
    dlg.treeOptions->setCurrentItem(dlg.treeOptions->findItems(name, Qt::MatchExactly).value(0));
}

const char* const kPaddingOkMessage =
    "The \"Maximum padding limit\" must be greater than or equal to \"Padding to add...\".";

}  // namespace

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void init() { startWith({}); }

    void storedOptionsAndPages() {
        startWith("[General]\nbReadTags=False\nfeaFileExistAction=4\n[FileTypes]\nnofFileTypes=1\n"
                  "sFileType0=mp3\nsFileType1=*\n[Tags]\nUseID3v2=2\n");
        OptionsDialog dlg;
        QCOMPARE(dlg.lblActiveSetting->text(), QStringLiteral("General settings"));
        QCOMPARE(dlg.treeOptions->topLevelItemCount(), 5);
        QVERIFY(!dlg.chkReadTags->isChecked());
        QVERIFY(dlg.chkAllFileTypes->isChecked());  // the list holds "*"
        QCOMPARE(dlg.lstFiletypes->count(), 2);
        QVERIFY(dlg.optExists[1]->isChecked());  // Skip
        QCOMPARE(dlg.cmbUseID3v2->currentText(), QStringLiteral("Always"));
        QVERIFY(!dlg.chkAutoRemJunk->isChecked());

        QVERIFY(!dlg.chkHidden->isEnabled());
        QVERIFY(!dlg.chkArchive->isEnabled());
        QVERIFY(dlg.chkReadOnly->isEnabled());
        QVERIFY(dlg.findChild<QCheckBox*>(QStringLiteral("chkFreeDBFormatting")));

        dlg.show();
        QVERIFY(!dlg.fraFormatting->isVisible());
        for (const QString& page : {QStringLiteral("Filename"), QStringLiteral("Tag")}) {
            choosePage(dlg, page);
            QCOMPARE(dlg.lblActiveSetting->text(), page + QStringLiteral(" settings"));
            QVERIFY(dlg.fraFormatting->isVisible());
        }
        choosePage(dlg, QStringLiteral("Sorting"));
        QCOMPARE(dlg.picTab->currentIndex(), 4);
        QVERIFY(!dlg.fraFormatting->isVisible());
    }

    void typingRulesAndEnter() {
        OptionsDialog dlg;
        dlg.show();
        retype(dlg.txtMaxPadding, QStringLiteral("-5-x9"));
        QCOMPARE(dlg.txtMaxPadding->text(), QStringLiteral("-59"));
        dlg.txtMaxPadding->setCursorPosition(1);
        QTest::keyClicks(dlg.txtMaxPadding, QStringLiteral("-"));  // not at the start
        QCOMPARE(dlg.txtMaxPadding->text(), QStringLiteral("-59"));
        retype(dlg.txtAddPaddingSize, QStringLiteral("1-2a3"));
        QCOMPARE(dlg.txtAddPaddingSize->text(), QStringLiteral("123"));
        retype(dlg.txtTrackDigits, QStringLiteral("0304"));
        QCOMPARE(dlg.txtTrackDigits->text(), QStringLiteral("34"));
        retype(dlg.txtFiletypes, QStringLiteral("o*g<g"));
        QCOMPARE(dlg.txtFiletypes->text(), QStringLiteral("ogg"));
        QTest::keyClick(dlg.txtMaxFNameLength, Qt::Key_Backspace);  // Backspace always works
        dlg.txtAlbumSize->clear();
        dlg.txtAlbumSize->insert(QStringLiteral("12ab"));  // a paste with letters is refused
        QCOMPARE(dlg.txtAlbumSize->text(), QString());

        // Enter does nothing in the number boxes; elsewhere it presses OK.
        QTest::keyClick(dlg.txtAddPaddingSize, Qt::Key_Return);
        QTest::keyClick(dlg.txtMaxPadding, Qt::Key_Enter);
        QVERIFY(dlg.isVisible());
        dlg.txtAddPaddingSize->setText(QStringLiteral("100"));
        QTest::keyClick(dlg.txtFreeDBUser, Qt::Key_Return);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void focusLossCorrections() {
        OptionsDialog dlg;
        dlg.show();
        const std::pair<QLineEdit*, std::pair<QString, QString>> cases[] = {
            {dlg.txtMaxFNameLength, {"0", "1"}}, {dlg.txtMaxFNameLength, {"300", "255"}},
            {dlg.txtMaxPadding, {"-", "0"}},     {dlg.txtMaxPadding, {"-7", "-1"}},
            {dlg.txtAlbumSize, {"", "0"}},       {dlg.txtTrackDigits, {"", "1"}}};
        for (const auto& [box, c] : cases) {
            box->setText(c.first);
            loseFocus(box);
            QCOMPARE(box->text(), c.second);
        }

        dlg.txtMaxPadding->setText(QStringLiteral("2048"));
        dlg.txtAddPaddingSize->setText(QStringLiteral("5000"));
        auto boxes = boxScript({QMessageBox::Ok});
        loseFocus(dlg.txtAddPaddingSize);
        QCOMPARE(boxes->texts.value(0),
                 QStringLiteral("You can not add more padding then maximum allowed padding (2048)!"));
        QCOMPARE(boxes->titles.value(0), QStringLiteral("Vorda"));
        QCOMPARE(boxes->icons.value(0), QMessageBox::Information);
        QCOMPARE(dlg.txtAddPaddingSize->text(), QStringLiteral("2048"));

        // No limit: any padding is accepted without a message.
        dlg.txtMaxPadding->setText(QStringLiteral("-1"));
        dlg.txtAddPaddingSize->setText(QStringLiteral("99999"));
        loseFocus(dlg.txtAddPaddingSize);
        QCOMPARE(dlg.txtAddPaddingSize->text(), QStringLiteral("99999"));
    }

    void okWritesTheOptionsKeys() {
        startWith("[General]\nMethod=2\n[Visual]\nFormState=2\n[Replaces]\nnofReplaces=0\nsOldString0=a\n"
                  "sNewString0=b\n");
        OptionsDialog dlg;
        QSignalSpy lengths(&dlg, &OptionsDialog::tagFieldMaxLengthChanged);
        dlg.show();
        dlg.chkUseTags->setChecked(false);
        dlg.optChange[4]->setChecked(true);
        dlg.optExists[2]->setChecked(true);
        dlg.cmbUseLyrics3->setCurrentIndex(3);
        dlg.txtMaxFNameLength->setText(QStringLiteral("0"));  // OK corrects what it copies
        dlg.txtRemoveChars->setText(QStringLiteral(" ~"));
        dlg.txtFreeDBServer->setText(QStringLiteral("cddb.example.org"));
        dlg.chkAutoRemJunk->setChecked(true);
        dlg.cmdOk->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(lengths.count(), 1);
        QCOMPARE(lengths.at(0).at(0).toInt(), 30);

        const vorda::app::Settings& s = vorda::app::settings();
        QVERIFY(!s.useTags);
        QCOMPARE(s.caseChange, vorda::app::CaseChange::Lower);
        QCOMPARE(s.fileExistAction, int(vorda::app::FileExistAction::Replace));
        QCOMPARE(s.maxFileNameLength, 1);
        QVERIFY(s.autoRemoveJunk);

        const QByteArray file = readFile(settingsFile());
        QVERIFY(file.startsWith("[General]\nMethod=2\n"));
        for (const char* line :
             {"bUseTags=False\n", "iCaseChange=4\n", "feaFileExistAction=2\n", "iMaxFNameLength=1\n",
              "sRemovedChars=\xC2\xB6~\n", "UseLyrics3=3\n", "RemoteHost=cddb.example.org\n", "lMaxPaddingSize=2048\n",
              "nofFileTypes=0\n", "sFileType0=mp3\n", "[Visual]\nFormState=2\n", "sOldString0=a\n"})
            QVERIFY2(file.contains(line), line);
        QVERIFY(!file.contains("AutoRemJunk"));
        QVERIFY(!file.contains("sTargetDir"));  // a key of the main window
        QVERIFY(!file.contains("sCurrentInPattern"));

        vorda::app::Settings back;
        back.load(vorda::base::IniFile(settingsFile().toStdString()));
        QVERIFY(!back.useTags);
        QCOMPARE(back.removedChars, std::string(" ~"));
    }

    void playerProgramBox() {
        startWith("[Player]\nPlayerPath=/opt/old player\n");
        OptionsDialog dlg;
        dlg.show();
        QCOMPARE(dlg.txtPlayerPath->text(), QStringLiteral("/opt/old player"));
        // The picker starts from the box and fills it; cancelled, it leaves the box alone.
        std::vector<std::string> asked;
        std::string answer = "/usr/local/bin/my player";
        dlg.choosePlayerProgram = [&](const std::string& current) {
            asked.push_back(current);
            return answer;
        };
        dlg.cmdPlayerPath->click();
        answer.clear();
        dlg.cmdPlayerPath->click();
        QCOMPARE(asked, (std::vector<std::string>{"/opt/old player", "/usr/local/bin/my player"}));
        QCOMPARE(dlg.txtPlayerPath->text(), QStringLiteral("/usr/local/bin/my player"));
        dlg.cmdOk->click();
        QCOMPARE(vorda::app::settings().playerPath, std::string("/usr/local/bin/my player"));
        vorda::app::Settings back;
        back.load(vorda::base::IniFile(settingsFile().toStdString()));
        QCOMPARE(back.playerPath, std::string("/usr/local/bin/my player"));

        // Emptied, the program is looked for again.
        OptionsDialog again;
        again.show();
        again.txtPlayerPath->setText(QStringLiteral("  "));
        again.cmdOk->click();
        QCOMPARE(vorda::app::settings().playerPath, std::string());
        QVERIFY(readFile(settingsFile()).contains("[Player]\nPlayerPath=\n"));
    }

    void okRefusedByPaddingAndCancel() {
        startWith("[ID3v2]\nlMaxPaddingSize=2048\n");
        const QByteArray before = readFile(settingsFile());
        const QByteArray memory = snapshot();
        {
            OptionsDialog dlg;
            dlg.show();
            dlg.chkRecycle->setChecked(false);
            dlg.txtAddPaddingSize->setText(QStringLiteral("4096"));
            auto boxes = boxScript({QMessageBox::Ok});
            dlg.cmdOk->click();
            QCOMPARE(boxes->texts.value(0), QString::fromUtf8(kPaddingOkMessage));
            QCOMPARE(boxes->icons.value(0), QMessageBox::Information);
            QVERIFY(dlg.isVisible());  // stays open
            QCOMPARE(readFile(settingsFile()), before);
            QCOMPARE(snapshot(), memory);

            // Cancel after changing every page changes nothing.
            dlg.chkUseTags->setChecked(false);
            dlg.chkAllFileTypes->setChecked(true);
            dlg.cmbUseID3v1->setCurrentIndex(3);
            dlg.txtFreeDBPort->setText(QStringLiteral("1"));
            dlg.optID3Empty[2]->setChecked(true);
            dlg.chkAutoRemJunk->setChecked(true);
            dlg.cmdCancel->click();
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        }
        QCOMPARE(readFile(settingsFile()), before);
        QCOMPARE(snapshot(), memory);

        // Without a settings file, Cancel creates none.
        startWith({});
        OptionsDialog dlg;
        dlg.show();
        dlg.chkReadTags->setChecked(false);
        dlg.cmdCancel->click();
        QVERIFY(!QFile::exists(settingsFile()));
        QVERIFY(vorda::app::settings().readTags);
    }

    void fileTypeList() {
        OptionsDialog dlg;
        dlg.show();
        QCOMPARE(dlg.lstFiletypes->count(), 1);  // "mp3"
        dlg.txtFiletypes->setText(QStringLiteral(".OGG"));
        dlg.cmdFiletypeAdd->click();
        QCOMPARE(dlg.lstFiletypes->item(1)->text(), QStringLiteral("ogg"));
        QVERIFY(dlg.txtFiletypes->text().isEmpty());
        dlg.cmdFiletypeAdd->click();  // nothing typed: nothing added
        QCOMPARE(dlg.lstFiletypes->count(), 2);

        dlg.chkAllFileTypes->setChecked(true);
        QCOMPARE(dlg.lstFiletypes->item(2)->text(), QStringLiteral("*"));
        dlg.lstFiletypes->setCurrentRow(2);
        dlg.cmdFiletypeRem->click();
        QCOMPARE(dlg.lstFiletypes->count(), 3);  // "*" stays
        dlg.chkAllFileTypes->setChecked(false);
        QCOMPARE(dlg.lstFiletypes->count(), 2);

        QTest::mouseClick(dlg.lstFiletypes->viewport(), Qt::LeftButton, {},
                          dlg.lstFiletypes->visualItemRect(dlg.lstFiletypes->item(1)).center());
        QCOMPARE(dlg.txtFiletypes->text(), QStringLiteral("ogg"));

        // Removing every type and pressing OK leaves "mp3".
        while (dlg.lstFiletypes->count() > 0) {
            dlg.lstFiletypes->setCurrentRow(0);
            dlg.cmdFiletypeRem->click();
        }
        dlg.cmdOk->click();
        QCOMPARE(vorda::app::settings().fileTypes, std::vector<std::string>{"mp3"});
        const QByteArray file = readFile(settingsFile());
        QVERIFY(file.contains("nofFileTypes=0\n"));
        QVERIFY(file.contains("sFileType0=mp3\n"));
    }

    void replaceEditorChecks() {
        ReplaceListDialog ed;
        ed.reset();
        ed.addReplace("Feat.", "feat.");
        ed.addReplace("x", "x");
        ed.show();
        auto boxes = boxScript({QMessageBox::Ok});
        ed.cmdOK->click();
        QCOMPARE(boxes->texts.value(0), QStringLiteral("There is no need to replace a string with itself!"));
        QVERIFY(ed.isVisible());
        QVERIFY(ed.wasCanceled());
        QCOMPARE(ed.lvwReplaces->indexOfTopLevelItem(ed.lvwReplaces->selectedItems().value(0)), 1);

        ed.cmdDelete->click();  // the offending pair is selected
        ed.addReplace("", "y");
        boxes = boxScript({QMessageBox::Ok});
        ed.cmdOK->click();
        QCOMPARE(boxes->texts.value(0), QStringLiteral("The find string cannot be empty!"));
        QCOMPARE(boxes->icons.value(0), QMessageBox::Information);
        QCOMPARE(ed.lvwReplaces->indexOfTopLevelItem(ed.lvwReplaces->selectedItems().value(0)), 1);
        ed.cmdDelete->click();

        // The replacement refuses the characters a file name cannot hold.
        retype(ed.txtNew, QStringLiteral("a/b*c"));
        QCOMPARE(ed.txtNew->text(), QStringLiteral("abc"));
        ed.txtNew->setText(QStringLiteral("1:2"));
        loseFocus(ed.txtNew);
        QCOMPARE(ed.txtNew->text(), QStringLiteral("12"));

        retype(ed.txtOld, QStringLiteral(" & "));
        retype(ed.txtNew, QStringLiteral(" and "));
        ed.cmdAdd->click();
        ed.cmdAdd->click();  // the same pair again is not added
        QCOMPARE(ed.lvwReplaces->topLevelItemCount(), 2);
        ed.cmdUp->click();  // the new pair is selected and moves up
        QCOMPARE(ed.lvwReplaces->topLevelItem(0)->text(0), QStringLiteral(" & "));
        QTest::mouseClick(ed.lvwReplaces->viewport(), Qt::LeftButton, {},
                          ed.lvwReplaces->visualItemRect(ed.lvwReplaces->topLevelItem(1)).center());
        QCOMPARE(ed.txtOld->text(), QStringLiteral("Feat."));
        ed.txtNew->setText(QStringLiteral("ft."));
        ed.cmdUpdate->click();
        QCOMPARE(ed.lvwReplaces->topLevelItem(1)->text(1), QStringLiteral("ft."));
        ed.cmdOK->click();
        QVERIFY(!ed.wasCanceled());
        QCOMPARE(ed.getTotalReplaces(), 2);
        QCOMPARE(ed.getNewString(1), std::string("ft."));
    }

    void editReplacesFromTheOptionsDialog() {
        startWith("[Replaces]\nnofReplaces=0\nsOldString0=_\nsNewString0=-\n");
        OptionsDialog dlg;
        dlg.show();
        QStringList shown;
        whenShown<ReplaceListDialog>([&shown](ReplaceListDialog* ed) {
            shown << ed->lvwReplaces->topLevelItem(0)->text(0);
            ed->txtOld->setText(QStringLiteral(" - "));
            ed->txtNew->setText(QStringLiteral("-"));
            ed->cmdAdd->click();
            ed->cmdOK->click();
        });
        dlg.cmdEditReplaces->click();
        QCOMPARE(shown, QStringList{QStringLiteral("_")});
        QCOMPARE(vorda::app::settings().replaces.size(), size_t(2));
        QVERIFY(readFile(settingsFile()).contains("nofReplaces=1\n"));
        QVERIFY(readFile(settingsFile()).contains("sOldString1=\xC2\xB6-\xC2\xB6\n"));

        // A cancelled editor changes nothing.
        const QByteArray before = readFile(settingsFile());
        whenShown<ReplaceListDialog>([](ReplaceListDialog* ed) {
            ed->cmdDelete->click();
            ed->cmdCancel->click();
        });
        dlg.cmdEditReplaces->click();
        QCOMPARE(readFile(settingsFile()), before);
        QCOMPARE(vorda::app::settings().replaces.size(), size_t(2));

        // Deleting every pair stores an empty list.
        whenShown<ReplaceListDialog>([](ReplaceListDialog* ed) {
            while (ed->lvwReplaces->topLevelItemCount() > 0) {
                ed->lvwReplaces->setCurrentItem(ed->lvwReplaces->topLevelItem(0));
                ed->cmdDelete->click();
            }
            ed->cmdOK->click();
        });
        dlg.cmdEditReplaces->click();
        QVERIFY(vorda::app::settings().replaces.empty());
        vorda::app::Settings back;
        back.load(vorda::base::IniFile(settingsFile().toStdString()));
        QCOMPARE(back.replaces.size(), size_t(1));
        QCOMPARE(back.replaces[0].first, std::string());
    }
};

int main(int argc, char** argv) { return guitest::run<TestOptions>(argc, argv); }

#include "tst_options.moc"
