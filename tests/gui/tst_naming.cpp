// SPDX-License-Identifier: GPL-2.0-or-later

// The naming panel of the main window: pattern boxes, the new-name preview, the method switch,
// the pattern-list editor, sort and rename runs on real files, and the folder-tree commands.
#include <memory>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "GuiTestSupport.h"
#include "app/Settings.h"
#include "app/qt/MainWindow.h"
#include "app/qt/OptionsSupport.h"
#include "app/qt/PatternListDialog.h"
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

std::string str(const QString& s) { return s.toStdString(); }

// Fills the window's list with the files and shows the first one.
void listFiles(MainWindow& w, const QStringList& paths) {
    std::vector<std::string> files;
    for (const QString& p : paths) files.push_back(str(p));
    w.commands().clearFileList();
    w.addFiles(files, false);
    w.list().clearSelection();
    w.list().setSelected(1, true);
    w.commands().rowClicked(1);
}

}  // namespace

class TestNaming : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QFile::remove(settingsFile());
        vorda::app::settings() = vorda::app::Settings();
    }

    void patternBoxesFilterKeysAndCheckOnFocusLoss() {
        MainWindow w;
        guitest::child<QComboBox>(w, "cmbInPattern")->setEditText(QString());
        QTest::keyClicks(guitest::child<QComboBox>(w, "cmbInPattern"), "<a>?:*|/<b>");
        QCOMPARE(guitest::child<QComboBox>(w, "cmbInPattern")->currentText(), QStringLiteral("<a>/<b>"));
        guitest::child<QComboBox>(w, "cmbOutPattern")->setEditText(QString());
        QTest::keyClicks(guitest::child<QComboBox>(w, "cmbOutPattern"), "<a>/\\<b>");
        QCOMPARE(guitest::child<QComboBox>(w, "cmbOutPattern")->currentText(), QStringLiteral("<a><b>"));
        guitest::child<QLineEdit>(w, "txtNewName")->clear();
        QTest::keyClicks(guitest::child<QLineEdit>(w, "txtNewName"), "a/b:c<d>e?");
        QCOMPARE(guitest::child<QLineEdit>(w, "txtNewName")->text(), QStringLiteral("abcde"));

        // Input box: cleaned, and a plain message when unbalanced.
        guitest::child<QComboBox>(w, "cmbInPattern")->setEditText(QStringLiteral("<<artist>> - <title"));
        auto script = boxScript({QMessageBox::Ok});
        loseFocus(guitest::child<QComboBox>(w, "cmbInPattern"));
        QCOMPARE(guitest::child<QComboBox>(w, "cmbInPattern")->currentText(), QStringLiteral("<artist> - <title"));
        QCOMPARE(script->texts.size(), 1);
        QVERIFY(script->texts[0].startsWith(QStringLiteral("The current InPattern is invalid! \nIt must contain")));
        QCOMPARE(script->icons[0], QMessageBox::NoIcon);
        // A valid pattern passes silently.
        guitest::child<QComboBox>(w, "cmbOutPattern")->setEditText(QStringLiteral("<<artist>>"));
        script = boxScript({});
        loseFocus(guitest::child<QComboBox>(w, "cmbOutPattern"));
        QCOMPARE(guitest::child<QComboBox>(w, "cmbOutPattern")->currentText(), QStringLiteral("<artist>"));
        QVERIFY(script->texts.isEmpty());
        // Folder boxes get their final "/" and report with the information icon.
        guitest::child<QComboBox>(w, "cmbPathPattern")->setEditText(QStringLiteral("<artist>"));
        loseFocus(guitest::child<QComboBox>(w, "cmbPathPattern"));
        QCOMPARE(guitest::child<QComboBox>(w, "cmbPathPattern")->currentText(), QStringLiteral("<artist>/"));
        guitest::child<QComboBox>(w, "cmbAlbumPattern")->setEditText(QStringLiteral("<album"));
        script = boxScript({QMessageBox::Ok});
        loseFocus(guitest::child<QComboBox>(w, "cmbAlbumPattern"));
        QCOMPARE(script->texts.size(), 1);
        QVERIFY(script->texts[0].startsWith(QStringLiteral("The current AlbumPattern is invalid!")));
        QCOMPARE(script->icons[0], QMessageBox::Information);
    }

    void methodSwitchChangesCaptionsAndBoxes() {
        QTemporaryDir dir;
        writeFile(dir.filePath("in/A - B.mp3"));
        MainWindow w;
        listFiles(w, {dir.filePath("in/A - B.mp3")});
        auto* target = guitest::child<QLineEdit>(w, "txtTargetDir");
        auto* browse = guitest::child<QPushButton>(w, "cmdTargetDir");
        auto* album = guitest::child<QAction>(w, "mnuPopSortAlbum");
        guitest::child<QRadioButton>(w, "optMethod0")->click();
        QCOMPARE(guitest::child<QPushButton>(w, "cmdSortSelected")->text(), QStringLiteral("Copy Selected"));
        QCOMPARE(guitest::child<QMenu>(w, "mnuPopSort")->title(), QStringLiteral("Copy selected file(s) using..."));
        QVERIFY(album->isEnabled());
        QCOMPARE(guitest::child<QLabel>(w, "lblTargetDir")->text(), QStringLiteral("Target folder:"));
        QVERIFY(browse->isEnabled() && !target->isReadOnly());
        target->setText(dir.filePath("out/"));
        w.targetFolderChosen(str(dir.filePath("out")));
        guitest::child<QRadioButton>(w, "optMethod1")->click();
        QCOMPARE(album->text(), QStringLiteral("Move selected file(s) as album"));
        guitest::child<QTabWidget>(w, "tabQSettings")->setCurrentIndex(0);
        guitest::child<QRadioButton>(w, "optMethod2")->click();
        QCOMPARE(guitest::child<QAction>(w, "mnuSortSelected")->text(), QStringLiteral("Rename selected file(s)"));
        QVERIFY(!album->isEnabled());
        QCOMPARE(target->text(), dir.filePath("in/"));
        QVERIFY(target->isReadOnly() && !browse->isEnabled());
        QCOMPARE(guitest::child<QTabWidget>(w, "tabQSettings")->currentIndex(), 1);
        // Copy brings the saved folder back.
        guitest::child<QRadioButton>(w, "optMethod0")->click();
        QCOMPARE(target->text(), dir.filePath("out/"));
    }

    void previewAndDetectionFollowTheBoxes() {
        QTemporaryDir dir;
        writeFile(dir.filePath("01 - Abba - Sos.mp3"));
        vorda::app::settings().inPatterns = {"<track> - <artist> - <title>", "<artist> - <title>"};
        MainWindow w;
        vorda::app::settings().inPatterns = {"<track> - <artist> - <title>", "<artist> - <title>"};
        guitest::child<QCheckBox>(w, "chkDetectInPattern")->setChecked(true);
        guitest::child<QCheckBox>(w, "chkFixFilenames")->setChecked(true);
        guitest::child<QComboBox>(w, "cmbOutPattern")->setEditText(QStringLiteral("<title> (<artist>)"));
        listFiles(w, {dir.filePath("01 - Abba - Sos.mp3")});
        QCOMPARE(guitest::child<QComboBox>(w, "cmbInPattern")->currentText(),
                 QStringLiteral("<track> - <artist> - <title>"));
        QCOMPARE(guitest::child<QLineEdit>(w, "txtOldName")->text(), QStringLiteral("01 - Abba - Sos.mp3"));
        QCOMPARE(guitest::child<QLineEdit>(w, "txtNewName")->text(), QStringLiteral("Sos (Abba).mp3"));
        guitest::child<QComboBox>(w, "cmbOutPattern")->setEditText(QStringLiteral("<track>. <title>.MP3"));
        QCOMPARE(guitest::child<QLineEdit>(w, "txtNewName")->text(), QStringLiteral("01. Sos.mp3"));
        guitest::child<QCheckBox>(w, "chkFixFilenames")->click();
        QCOMPARE(guitest::child<QLineEdit>(w, "txtNewName")->text(), QStringLiteral("01 - Abba - Sos.mp3"));
    }

    void patternEditorChecksDuplicatesAndValidates() {
        vorda::app::PatternListDialog dialog;
        dialog.reset();
        dialog.setIllegalChars("?\\:\"|*");
        dialog.addPattern("<artist> - <title>");
        dialog.addPattern("<title>");
        dialog.showInfo("help");
        QVERIFY(!dialog.fraInfo->isHidden());
        QCOMPARE(dialog.lvwView->count(), 2);

        dialog.txtPattern->setText(QStringLiteral("<artist> - <title>"));
        auto script = boxScript({QMessageBox::Ok});
        dialog.cmdAdd->click();
        QCOMPARE(script->texts, QStringList{QStringLiteral("The pattern \"<artist> - <title>\" already exists!")});
        QCOMPARE(dialog.lvwView->count(), 2);

        // An unbalanced pattern is cleaned, reported and not added.
        dialog.txtPattern->setText(QStringLiteral("<<track>> <title:"));
        script = boxScript({QMessageBox::Ok});
        dialog.cmdAdd->click();
        QCOMPARE(dialog.txtPattern->text(), QStringLiteral("<track> <title"));
        QCOMPARE(script->texts.size(), 1);
        QCOMPARE(script->texts[0], QStringLiteral("The current pattern is invalid! \nIt must contain exactly as many "
                                                  "\"<\" as \">\" and it cannot contain any of these characters: "
                                                  "?\\:\"|*"));
        QCOMPARE(dialog.lvwView->count(), 2);
        dialog.txtPattern->setText(QStringLiteral("<track>. <title>"));
        dialog.cmdAdd->click();
        QCOMPARE(dialog.lvwView->count(), 3);

        // In place: a duplicate is refused and the item keeps its text; a valid edit is cleaned.
        script = boxScript({QMessageBox::Ok});
        dialog.lvwView->item(1)->setText(QStringLiteral("<artist> - <title>"));
        QCOMPARE(dialog.lvwView->item(1)->text(), QStringLiteral("<title>"));
        QCOMPARE(script->texts.size(), 1);
        dialog.lvwView->item(1)->setText(QStringLiteral("<<year>>"));
        QCOMPARE(dialog.lvwView->item(1)->text(), QStringLiteral("<year>"));

        dialog.lvwView->setCurrentRow(2);
        dialog.cmdUp->click();
        QCOMPARE(dialog.lvwView->currentRow(), 1);
        QCOMPARE(dialog.lvwView->item(1)->text(), QStringLiteral("<track>. <title>"));
        dialog.cmdDelete->click();
        QCOMPARE(dialog.lvwView->count(), 2);
        dialog.cmdCancel->click();
        QVERIFY(dialog.patterns().empty());
    }

    void editButtonWritesTheListAndReloadsTheBox() {
        MainWindow w;
        guitest::child<QComboBox>(w, "cmbOutPattern")->setEditText(QStringLiteral("<title>"));
        // Cancel changes nothing.
        QTimer::singleShot(50, [] {
            auto* dialog = qobject_cast<vorda::app::PatternListDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->cmdCancel->click();
        });
        guitest::child<QPushButton>(w, "cmdEditOutPatterns")->click();
        QCOMPARE(guitest::child<QComboBox>(w, "cmbOutPattern")->count(), 1);
        QCOMPARE(readKey("OutPatterns", "nofOutPatterns"), QStringLiteral("<missing>"));

        QTimer::singleShot(50, [] {
            auto* dialog = qobject_cast<vorda::app::PatternListDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QVERIFY(dialog->lblInfo->text().startsWith(QStringLiteral("Output patterns may be arranged")));
            for (const char* p : {"<artist> - <title>", "<track> <title>"}) {
                dialog->txtPattern->setText(QString::fromLatin1(p));
                dialog->cmdAdd->click();
            }
            dialog->cmdOK->click();
        });
        guitest::child<QPushButton>(w, "cmdEditOutPatterns")->click();
        QCOMPARE(guitest::child<QComboBox>(w, "cmbOutPattern")->count(), 2);
        QCOMPARE(guitest::child<QComboBox>(w, "cmbOutPattern")->itemText(1), QStringLiteral("<track> <title>"));
        QCOMPARE(guitest::child<QComboBox>(w, "cmbOutPattern")->currentText(), QStringLiteral("<title>"));
        QCOMPARE(readKey("OutPatterns", "nofOutPatterns"), QStringLiteral("1"));
        QCOMPARE(guitest::popSortItemCount(w), 2);
        QCOMPARE(guitest::child<QAction>(w, "mnuPopSortPatterns1")->text(), QStringLiteral("<track> <title>"));
        QVERIFY(guitest::child<QAction>(w, "mnuPopSortPatterns1")->isEnabled());
    }

    void copyAndMoveRunsFromTheWindow() {
        QTemporaryDir dir;
        const QString a = dir.filePath("in/Abba - Sos.mp3");
        const QString b = dir.filePath("in/Queen - Bohemian.mp3");
        writeFile(a);
        writeFile(b);
        MainWindow w;
        guitest::child<QRadioButton>(w, "optMethod0")->click();
        w.targetFolderChosen(str(dir.filePath("out")));
        guitest::child<QComboBox>(w, "cmbInPattern")->setEditText(QStringLiteral("<artist> - <title>"));
        guitest::child<QComboBox>(w, "cmbPathPattern")->setEditText(QStringLiteral("<artist>/"));
        guitest::child<QCheckBox>(w, "chkAlbumPattern")->setChecked(false);
        guitest::child<QCheckBox>(w, "chkDetectInPattern")->setChecked(false);
        guitest::child<QCheckBox>(w, "chkFixFilenames")->setChecked(true);
        guitest::child<QComboBox>(w, "cmbOutPattern")->setEditText(QStringLiteral("<title>"));
        listFiles(w, {a, b});

        // No at the confirmation: nothing happens.
        auto script = boxScript({QMessageBox::No});
        guitest::child<QPushButton>(w, "cmdSort")->click();
        QCOMPARE(script->texts.size(), 1);
        QVERIFY(
            script->texts[0].startsWith(QStringLiteral("Are you sure you want to sort (copy) all files like this?")));
        QVERIFY(script->texts[0].contains(QStringLiteral("Fixing and renaming all files as: \n<title>")));
        QVERIFY(!QFile::exists(dir.filePath("out")));

        // Yes, then create the missing target folder.
        script = boxScript({QMessageBox::Yes, QMessageBox::Yes});
        guitest::child<QPushButton>(w, "cmdSort")->click();
        QVERIFY2(script->texts.size() == 2, qPrintable(script->texts.join(QStringLiteral(" || "))));
        QVERIFY(script->texts[1].contains(QStringLiteral("does not exist!")));
        QVERIFY(QFile::exists(dir.filePath("out/Abba/Sos.mp3")));
        QVERIFY(QFile::exists(dir.filePath("out/Queen/Bohemian.mp3")));
        QCOMPARE(w.panelText(3), QStringLiteral("Copying done!"));
        QCOMPARE(w.list().count(), 2);

        // Again: the first destination exists (No = skip), the second Cancel ends the run.
        script = boxScript({QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel});
        w.sortAll();
        QCOMPARE(script->texts.size(), 3);
        QVERIFY(script->texts[1].contains(QStringLiteral("already exists!")));
        QCOMPARE(script->icons[1], QMessageBox::Question);

        // Move of the selected row through the pop-up entry: the row goes.
        guitest::child<QRadioButton>(w, "optMethod1")->click();
        guitest::child<QComboBox>(w, "cmbOutPattern")->setEditText(QStringLiteral("<artist>"));
        vorda::app::settings().outPatterns = {"<title>", "<artist> = <title>"};
        w.list().clearSelection();
        w.list().setSelected(2, true);
        guitest::child<QTableView>(w, "lstFiles2")
            ->setCurrentIndex(guitest::child<QTableView>(w, "lstFiles2")->model()->index(1, 0));
        w.list().setSelected(2, true);
        script = boxScript({});
        w.sortSelectedUsing(1);
        QVERIFY(script->texts.isEmpty());
        QVERIFY(QFile::exists(dir.filePath("out/Queen/Queen = Bohemian.mp3")));
        QVERIFY(!QFile::exists(b));
        QCOMPARE(w.list().count(), 1);
        QCOMPARE(QString::fromStdString(w.list().getCellContent(1, vorda::app::ListColumn::Filename)),
                 QStringLiteral("Abba - Sos.mp3"));
    }

    void renameOneFileStepsToTheNext() {
        QTemporaryDir dir;
        const QString a = dir.filePath("A - One.mp3");
        const QString b = dir.filePath("B - Two.mp3");
        writeFile(a);
        writeFile(b);
        MainWindow w;
        guitest::child<QRadioButton>(w, "optMethod2")->click();
        listFiles(w, {a, b});
        // The name typed is text of the pattern: the clean-up rules leave it as typed.
        guitest::child<QLineEdit>(w, "txtNewName")->setText(QStringLiteral("First song_1.mp3"));
        auto script = boxScript({});
        QTest::keyClick(guitest::child<QLineEdit>(w, "txtNewName"), Qt::Key_Return);
        QVERIFY2(script->texts.isEmpty(), qPrintable(script->texts.join(QStringLiteral(" || "))));
        QVERIFY(QFile::exists(dir.filePath("First song_1.mp3")));
        QVERIFY(!QFile::exists(a));
        QCOMPARE(QString::fromStdString(w.list().getCellContent(1, vorda::app::ListColumn::Filename)),
                 QStringLiteral("First song_1.mp3"));
        QVERIFY(w.list().selected(2) && !w.list().selected(1));
        QCOMPARE(w.currentRow(), 2);
        QCOMPARE(guitest::child<QLineEdit>(w, "txtOldName")->text(), QStringLiteral("B - Two.mp3"));
        QCOMPARE(w.panelText(3), QStringLiteral("Renaming done!"));
    }

    void folderRenamesFromTheTreeFixTheRows() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("Old");
        writeFile(folder + QStringLiteral("/Abba - Sos.mp3"));
        MainWindow w;
        guitest::child<QCheckBox>(w, "chkDetectInPattern")->setChecked(false);
        guitest::child<QComboBox>(w, "cmbInPattern")->setEditText(QStringLiteral("<artist> - <title>"));
        QVERIFY(w.selectTreeFolder(str(folder)));
        listFiles(w, {folder + QStringLiteral("/Abba - Sos.mp3")});

        // custom...: the input box gives the new name.
        w.folderInputBox = [](const std::string& prompt, const std::string&, std::string& answer) {
            if (prompt != "Please enter the new folder name:" || answer != "Old") return false;
            answer = "New: Live?";
            return true;
        };
        w.renameTreeFolderCustom();
        const QString renamed = dir.filePath("New  Live");
        QVERIFY(QFileInfo(renamed).isDir());
        QCOMPARE(QString::fromStdString(w.treePath()), renamed);
        QCOMPARE(QString::fromStdString(w.list().getCellContent(1, vorda::app::ListColumn::Path)),
                 renamed + QLatin1Char('/'));

        // pattern: the caption is the folder pattern's name for the shown file of this folder.
        vorda::app::settings().folderPattern = "<artist> (<title>)";
        w.commands().showFile(1);
        w.prepareTreePopup();
        QVERIFY(guitest::child<QAction>(w, "mnuRenFolderPattern")->isEnabled());
        QCOMPARE(guitest::child<QAction>(w, "mnuRenFolderPattern")->text(), QStringLiteral("Abba (Sos)"));
        guitest::child<QAction>(w, "mnuRenFolderPattern")->trigger();
        QVERIFY(QFileInfo(dir.filePath("Abba (Sos)")).isDir());
        QCOMPARE(QString::fromStdString(w.list().getCellContent(1, vorda::app::ListColumn::Path)),
                 dir.filePath("Abba (Sos)/"));

        // Another folder of the tree: no caption.
        QVERIFY(w.selectTreeFolder(str(dir.path())));
        w.prepareTreePopup();
        QVERIFY(!guitest::child<QAction>(w, "mnuRenFolderPattern")->isEnabled());
        QCOMPARE(guitest::child<QAction>(w, "mnuRenFolderPattern")->text(),
                 QStringLiteral("<No file selected from this folder>"));

        // New folder, then a second time with the same name.
        QVERIFY(w.selectTreeFolder(str(dir.path())));
        w.folderInputBox = [](const std::string&, const std::string&, std::string& answer) {
            answer = "Fresh";
            return true;
        };
        w.newTreeFolder();
        QVERIFY(QFileInfo(dir.filePath("Fresh")).isDir());
        auto script = boxScript({QMessageBox::Ok});
        w.newTreeFolder();
        QCOMPARE(script->texts, QStringList{QStringLiteral("A folder with this name already exist!")});
    }

    void folderFromTagsDialogCreatesAFolder() {
        QTemporaryDir dir;
        writeFile(dir.filePath("in/Abba - Sos.mp3"));
        QDir().mkpath(dir.filePath("target"));
        MainWindow w;
        guitest::child<QCheckBox>(w, "chkDetectInPattern")->setChecked(false);
        guitest::child<QComboBox>(w, "cmbInPattern")->setEditText(QStringLiteral("<artist> - <title>"));
        guitest::child<QRadioButton>(w, "optMethod0")->click();
        w.targetFolderChosen(str(dir.filePath("target")));
        listFiles(w, {dir.filePath("in/Abba - Sos.mp3")});
        vorda::app::settings().folderPattern = "<artist>";
        QString preview;
        QTimer::singleShot(50, [&preview] {
            auto* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog && dialog->objectName() == QStringLiteral("frmID3Folder"));
            auto* pattern = dialog->findChild<QLineEdit*>(QStringLiteral("txtFolderPattern"));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("txtNewFolder"));
            QTest::keyClicks(pattern, " <title>?:");
            preview = name->text();
            dialog->findChild<QPushButton*>(QStringLiteral("cmdCreateFolder"))->click();
        });
        guitest::child<QAction>(w, "mnuFolderFromID3")->trigger();
        QCOMPARE(preview, QStringLiteral("Abba Sos"));
        QVERIFY(QFileInfo(dir.filePath("target/Abba Sos")).isDir());
        QCOMPARE(readKey("General", "sFolderPattern"), QStringLiteral("<artist> <title>"));
    }
};

int main(int argc, char** argv) { return guitest::run<TestNaming>(argc, argv, {QSize(), true}); }

#include "tst_naming.moc"
