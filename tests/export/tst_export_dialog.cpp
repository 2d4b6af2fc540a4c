// SPDX-License-Identifier: GPL-2.0-or-later

// The export dialog offscreen: type switch, template files, cover colours and fonts, and the export
// with its missing-folder question. File pickers and questions answer from a script.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QtTest>

#include <deque>
#include <filesystem>
#include <sstream>
#include <string>

#include "ExportTestSupport.h"
#include "export/qt/ExportDialog.h"

using namespace vorda::exports;
using listtest::TempDir;
using testsupport::readBytes;

namespace {

class ScriptedDialog : public ExportDialog {
public:
    using ExportDialog::ExportDialog;

    std::deque<std::string> paths;   // answers of every file picker, in order
    std::deque<QColor> colors;       // an invalid colour cancels
    std::deque<bool> folderAnswers;  // the missing-folder question
    std::optional<QFont> font;
    QStringList told;
    std::string lastTargetStart;

protected:
    std::string next() {
        if (paths.empty()) return {};
        std::string path = paths.front();
        paths.pop_front();
        return path;
    }
    std::string chooseTargetFile(ExportType, const std::string& startFolder) override {
        lastTargetStart = startFolder;
        return next();
    }
    std::string chooseTemplateToOpen(const std::string&) override { return next(); }
    std::string chooseTemplateToSave(const std::string&) override { return next(); }
    std::string choosePicture(const std::string&) override { return next(); }
    std::optional<QColor> chooseColor(const QColor&) override {
        const QColor c = colors.empty() ? QColor() : colors.front();
        if (!colors.empty()) colors.pop_front();
        if (!c.isValid()) return std::nullopt;
        return c;
    }
    std::optional<QFont> chooseFont(const QFont&) override { return font; }
    bool askCreateFolder() override {
        const bool yes = !folderAnswers.empty() && folderAnswers.front();
        if (!folderAnswers.empty()) folderAnswers.pop_front();
        return yes;
    }
    void tell(const QString& text, bool) override { told << text; }
};

std::vector<ExportRow> listRows(long maxRows) {
    std::vector<ExportRow> rows;
    for (int i = 1; i <= 3; ++i) {
        ExportRow row;
        row.selected = i == 2;
        row.artist = "Artist " + std::to_string(i);
        row.album = "Album";
        row.title = "Title " + std::to_string(i);
        row.fileName = std::to_string(i) + ".mp3";
        row.folder = "/music/";
        rows.push_back(row);
        if (maxRows > 0 && static_cast<long>(rows.size()) == maxRows) break;
    }
    return rows;
}

template <class W>
W* child(QWidget& dialog, const char* name) {
    W* w = dialog.findChild<W*>(QString::fromLatin1(name));
    if (!w) qFatal("no control %s", name);
    return w;
}

}  // namespace

class ExportDialogTest : public QObject {
    Q_OBJECT

private slots:
    void opensWithTheM3uTemplateAndSwitchesTypes() {
        ScriptedDialog dialog(VORDA_DATA_DIR, "/tmp", listRows, 0);
        QCOMPARE(dialog.objectName(), QStringLiteral("frmExportList"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Export..."));
        auto* types = child<QComboBox>(dialog, "cmbExportType");
        QCOMPARE(types->count(), 6);
        QCOMPARE(types->itemText(2), QStringLiteral("CD Cover"));
        QCOMPARE(child<QPlainTextEdit>(dialog, "txtStartData")->toPlainText(), QStringLiteral("#EXTM3U"));
        QVERIFY(child<QLineEdit>(dialog, "txtTemplate")->text().endsWith(QStringLiteral("templates/m3u_template.txt")));
        QVERIFY(child<QPlainTextEdit>(dialog, "txtVariables")
                    ->toPlainText()
                    .contains(QStringLiteral("<filepath>\t<totfiles>")));

        dialog.show();
        types->setCurrentIndex(static_cast<int>(ExportType::CdCover));
        QVERIFY(child<QWidget>(dialog, "picCDCover")->isVisible());
        QVERIFY(!child<QWidget>(dialog, "picCustom")->isVisible());
        types->setCurrentIndex(static_cast<int>(ExportType::Csv));
        QVERIFY(!child<QWidget>(dialog, "picCDCover")->isVisible());
        QVERIFY(child<QPlainTextEdit>(dialog, "txtRowData")
                    ->toPlainText()
                    .startsWith(QStringLiteral("<filename>;<artist>;")));

        // A data folder without templates leaves the boxes empty.
        ScriptedDialog bare("/nonexistent/", "/tmp", listRows, 0);
        QVERIFY(child<QPlainTextEdit>(bare, "txtStartData")->toPlainText().isEmpty());
        QVERIFY(child<QPlainTextEdit>(bare, "txtRowData")->toPlainText().isEmpty());
    }

    void templatesSaveAndLoadBackWithEmptySections() {
        TempDir dir;
        ScriptedDialog dialog(VORDA_DATA_DIR, dir.path(), listRows, 0);
        child<QPlainTextEdit>(dialog, "txtStartData")->setPlainText(QString());
        child<QPlainTextEdit>(dialog, "txtRowData")->setPlainText(QStringLiteral("<rownr>\n<title>"));
        child<QPlainTextEdit>(dialog, "txtEndData")->setPlainText(QString());
        dialog.paths = {dir / "mine.txt"};
        QTest::mouseClick(child<QPushButton>(dialog, "cmdSaveTemplateAs"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(dialog, "txtTemplate")->text(), QString::fromStdString(dir / "mine.txt"));
        QCOMPARE(readBytes(dir / "mine.txt"),
                 std::string("*** STARTDATA ***\r\n\r\n*** END OF STARTDATA ***\r\n"
                             "*** ROWDATA ***\r\n<rownr>\r\n<title>\r\n*** END OF ROWDATA ***\r\n"
                             "*** ENDDATA ***\r\n\r\n*** END OF ENDDATA ***\r\n"));

        // Loading fills the three boxes and the template path, and shows the editor.
        child<QComboBox>(dialog, "cmbExportType")->setCurrentIndex(static_cast<int>(ExportType::CdCover));
        dialog.paths = {dir / "mine.txt"};
        QTest::mouseClick(child<QPushButton>(dialog, "cmdOpenTemplate"), Qt::LeftButton);
        QCOMPARE(child<QPlainTextEdit>(dialog, "txtStartData")->toPlainText(), QString());
        QCOMPARE(child<QPlainTextEdit>(dialog, "txtRowData")->toPlainText(), QStringLiteral("<rownr>\n<title>"));
        QCOMPARE(child<QPlainTextEdit>(dialog, "txtEndData")->toPlainText(), QString());
        QVERIFY(!child<QWidget>(dialog, "picCDCover")->isVisibleTo(&dialog));
        QVERIFY(child<QWidget>(dialog, "picCustom")->isVisibleTo(&dialog));

        // A cancelled or failed load changes nothing.
        QVERIFY(!dialog.loadTemplate());
        dialog.paths = {dir / "missing.txt"};
        QVERIFY(!dialog.loadTemplate());
        QCOMPARE(dialog.told.size(), 1);
        QCOMPARE(child<QPlainTextEdit>(dialog, "txtRowData")->toPlainText(), QStringLiteral("<rownr>\n<title>"));
    }

    void coverColoursFontsAndPictureReachTheExport() {
        TempDir dir;
        ScriptedDialog dialog(VORDA_DATA_DIR, dir.path(), listRows, 0);
        child<QComboBox>(dialog, "cmbExportType")->setCurrentIndex(static_cast<int>(ExportType::CdCover));
        dialog.colors = {QColor(255, 0, 0), QColor(128, 128, 128), QColor()};
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCFbackcolor"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCBtextcolor"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCStextcolor"), Qt::LeftButton);  // cancelled
        QCOMPARE(child<QLineEdit>(dialog, "txtCFbackcolor")->text(), QStringLiteral("#ff0000"));
        QCOMPARE(child<QLineEdit>(dialog, "txtCBtextcolor")->text(), QStringLiteral("#808080"));
        QCOMPARE(child<QLineEdit>(dialog, "txtCStextcolor")->text(), QString());
        QFont chosen(QStringLiteral("DejaVu Serif"));
        chosen.setPointSizeF(8.25);
        dialog.font = chosen;
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCBfont"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(dialog, "txtCBfont")->text(), QStringLiteral("DejaVu Serif"));
        child<QLineEdit>(dialog, "txtCStitle")->setText(QStringLiteral("<album> (<artist>)"));

        dialog.paths = {dir / "back.png", dir / "cover.html"};
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCBbackpicture"), Qt::LeftButton);
        QCOMPARE(dialog.exportNow(), ExportDialog::ExportOutcome::Written);
        const std::string page = readBytes(dir / "cover.html");
        QVERIFY(page.find("#CoverFront { background-color:#ff0000; font-family:Arial; font-size:10pt;  }") !=
                std::string::npos);
        QVERIFY(page.find("#CoverBack { background:URL(\"" + dir.path() +
                          "back.png\"); color:#808080; "
                          "font-family:DejaVu Serif; font-size:8.25pt;  }") != std::string::npos);
        QVERIFY(page.find(">Album (Artist 1)<") != std::string::npos);
        const std::vector<std::string> check = [&] {
            std::vector<std::string> lines;
            std::istringstream in(exporttest::runCheck("check_html.py", {dir / "cover.html"}));
            for (std::string line; std::getline(in, line);) lines.push_back(line);
            return lines;
        }();
        QVERIFY(!check.empty());
        QCOMPARE(QString::fromStdString(check[0]), QStringLiteral("balanced"));
    }

    void exportAsksForAMissingFolder() {
        TempDir dir;
        ScriptedDialog dialog(VORDA_DATA_DIR, dir.path(), listRows, 0);
        child<QComboBox>(dialog, "cmbExportType")->setCurrentIndex(static_cast<int>(ExportType::Custom));
        child<QPlainTextEdit>(dialog, "txtStartData")->setPlainText(QStringLiteral("<totfiles>"));
        child<QPlainTextEdit>(dialog, "txtRowData")->setPlainText(QStringLiteral("<rownr> <artist>"));
        child<QPlainTextEdit>(dialog, "txtEndData")->setPlainText(QStringLiteral("end"));

        QCOMPARE(dialog.exportNow(), ExportDialog::ExportOutcome::Cancelled);
        QCOMPARE(dialog.lastTargetStart, dir.path());

        const std::string target = dir / "new/deeper/list.txt";
        dialog.paths = {target};
        dialog.folderAnswers = {false};
        QCOMPARE(dialog.exportNow(), ExportDialog::ExportOutcome::FolderDeclined);
        QVERIFY(!std::filesystem::exists(dir / "new"));

        dialog.paths = {target};
        dialog.folderAnswers = {true};
        QCOMPARE(dialog.exportNow(), ExportDialog::ExportOutcome::Written);
        QCOMPARE(readBytes(target), std::string("3\r\n1 Artist 1\r\n2 Artist 2\r\n3 Artist 3\r\nend\r\n"));

        child<QRadioButton>(dialog, "optWhichFiles1")->setChecked(true);
        dialog.paths = {target};
        QCOMPARE(dialog.exportNow(), ExportDialog::ExportOutcome::Written);
        QCOMPARE(readBytes(target), std::string("1\r\n1 Artist 2\r\nend\r\n"));

        // A folder that cannot be made: a file stands where it should be.
        listtest::writeFile(dir / "blocker", "x");
        dialog.paths = {dir / "blocker/sub/list.txt"};
        dialog.folderAnswers = {true};
        QCOMPARE(dialog.exportNow(), ExportDialog::ExportOutcome::FolderNotCreated);
        QCOMPARE(dialog.told.last(), QStringLiteral("Could not create folder!"));

        // The preview follows the boxes.
        child<QPlainTextEdit>(dialog, "txtRowData")->setPlainText(QStringLiteral("[<title>]"));
        QTRY_VERIFY(child<QTextBrowser>(dialog, "txtPreview")->toPlainText().contains(QStringLiteral("[Title 2]")));
    }
};

QTEST_MAIN(ExportDialogTest)
#include "tst_export_dialog.moc"
