// SPDX-License-Identifier: GPL-2.0-or-later

// The main window's "Export" menu offscreen: the direct exports of the selected rows with a
// built-in template, their target picker answered by the test, a failed write reported, and the
// export dialog opened on the right type.
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../gui/GuiTestSupport.h"
#include "ExportTestSupport.h"
#include "app/qt/MainWindow.h"
#include "export/qt/ExportDialog.h"

using namespace vorda::exports;
using listtest::TempDir;
using testsupport::readBytes;
using vorda::app::MainWindow;

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

class ExportWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        files_ = std::make_unique<TempDir>();
        const std::filesystem::path dir = files_->path();
        exporttest::makeTaggedMp3(dir / "a/01 One.mp3", {{"TPE1", "Band"}, {"TIT2", "One"}, {"TRCK", "1"}});
        exporttest::makeTaggedMp3(dir / "a/02 Two.mp3", {{"TPE1", "Band"}, {"TIT2", "Two; \"quoted\""}});
        exporttest::makeTaggedMp3(dir / "b/03 Three.mp3", {{"TPE1", "Other\nLine"}, {"TIT2", "Three"}, {"TRCK", "3"}});
        paths_ = {dir / "a/01 One.mp3", dir / "a/02 Two.mp3", dir / "b/03 Three.mp3"};
    }

    void init() {
        w_ = std::make_unique<MainWindow>();
        w_->addFiles(paths_, false);
        QCOMPARE(w_->list().count(), 3);
        // Rows in the order of the paths; the second one stays out of the selection.
        for (int row = 1; row <= 3; ++row) QCOMPARE(w_->list().getFullPath(row), paths_[row - 1]);
        w_->list().clearSelection();
        w_->list().setSelected(1, true);
        w_->list().setSelected(3, true);
    }
    void cleanup() { w_.reset(); }

    void everyExportEntryIsEnabled() {
        for (const char* name :
             {"mnuExportEditor", "mnuExportCSV", "mnuExportHTML", "mnuExportM3U", "mnuExportPLS", "mnuExportCDCover"})
            QVERIFY2(guitest::child<QAction>(*w_, name)->isEnabled(), name);
    }

    void directExportsWriteTheSelectedRowsOnly() {
        TempDir out;
        std::vector<ExportType> asked;
        std::string target;
        w_->exportTargetBox = [&](ExportType type, const std::string&) {
            asked.push_back(type);
            return target;
        };

        target = out / "list.csv";
        guitest::child<QAction>(*w_, "mnuExportCSV")->trigger();
        const std::vector<std::string> records = splitLines(exporttest::runCheck("check_csv.py", {target}));
        // Header, rows 1 and 3, the empty line after the end section, the checker's last newline.
        QCOMPARE(records.size(), size_t{5});
        QVERIFY(records[1].starts_with("[\"01 One.mp3\", \"Band\", \"\", \"One\", \"01\""));
        QVERIFY(records[2].starts_with("[\"03 Three.mp3\", \"Other\\nLine\", \"\", \"Three\", \"03\""));

        target = out / "list.m3u";
        guitest::child<QAction>(*w_, "mnuExportM3U")->trigger();
        const std::string m3u = readBytes(target);
        QVERIFY(m3u.starts_with("#EXTM3U\r\n#EXTINF:"));
        QVERIFY(m3u.find(paths_[0] + "\r\n") != std::string::npos);
        QVERIFY(m3u.find(paths_[2] + "\r\n") != std::string::npos);
        QVERIFY(m3u.find(paths_[1]) == std::string::npos);
        // A line break in a tag cannot add an entry to a playlist.
        QVERIFY(m3u.find("Other Line") != std::string::npos);

        target = out / "list.pls";
        guitest::child<QAction>(*w_, "mnuExportPLS")->trigger();
        QVERIFY(readBytes(target).find("NumberOfEntries=2\r\n") != std::string::npos);

        target = out / "list.html";
        guitest::child<QAction>(*w_, "mnuExportHTML")->trigger();
        const std::vector<std::string> html =
            splitLines(exporttest::runCheck("check_html.py", {target, "OddRow", "EvenRow"}));
        QCOMPARE(html.front(), std::string("balanced"));
        // Rows 1 and 3 are odd places of the list.
        QVERIFY2(html[2].find("\"OddRow\": [\"1Band") != std::string::npos, html[2].c_str());
        QVERIFY2(html[2].find("\"EvenRow\": []") != std::string::npos, html[2].c_str());

        QCOMPARE(asked, (std::vector<ExportType>{ExportType::Csv, ExportType::M3u, ExportType::Pls, ExportType::Html}));
    }

    void cancelledOrFailedExportsLeaveNoFile() {
        TempDir out;
        w_->exportTargetBox = [](ExportType, const std::string&) { return std::string(); };
        guitest::child<QAction>(*w_, "mnuExportCSV")->trigger();
        QVERIFY(std::filesystem::is_empty(out.path()));

        // An old export stays whole when the new one cannot be written.
        const std::string old = out / "kept.csv";
        testsupport::writeBytes(old, "old export\r\n");
        std::filesystem::permissions(out.path(),
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        w_->exportTargetBox = [&](ExportType, const std::string&) { return old; };
        if (::access(out.path().c_str(), W_OK) == 0) {
            // A user who may write anywhere: a folder that does not exist makes the write fail instead.
            w_->exportTargetBox = [&](ExportType, const std::string&) { return out / "gone/list.csv"; };
        }
        auto boxes = guitest::boxScript({QMessageBox::Ok});
        guitest::child<QAction>(*w_, "mnuExportCSV")->trigger();
        std::filesystem::permissions(out.path(), std::filesystem::perms::owner_all);
        const QString message = boxes->texts.value(0);
        QVERIFY2(message.startsWith(QStringLiteral("Could not write \"")), qPrintable(message));
        QCOMPARE(readBytes(old), std::string("old export\r\n"));
        QVERIFY(!std::filesystem::exists(out / "gone"));
    }

    void dialogEntriesOpenTheDialogOnTheirType() {
        std::vector<ExportType> shown;
        std::vector<QString> previews;
        w_->runExportDialog = [&](ExportDialog& dialog) {
            QCOMPARE(dialog.objectName(), QStringLiteral("frmExportList"));
            shown.push_back(dialog.currentType());
            // The preview is built from the files of the window's list, all of them by default.
            dialog.selectType(ExportType::M3u);
            auto* preview = guitest::child<QTextBrowser>(dialog, "txtPreview");
            QTRY_VERIFY(preview->toPlainText().contains(QStringLiteral("03 Three.mp3")));
            previews.push_back(preview->toPlainText());
        };
        guitest::child<QAction>(*w_, "mnuExportCDCover")->trigger();
        guitest::child<QAction>(*w_, "mnuExportEditor")->trigger();
        QCOMPARE(shown, (std::vector<ExportType>{ExportType::CdCover, ExportType::M3u}));
        QCOMPARE(previews.size(), size_t{2});
        QVERIFY(previews[0].contains(QStringLiteral("02 Two.mp3")));
    }

private:
    std::unique_ptr<TempDir> files_;
    std::vector<std::string> paths_;
    std::unique_ptr<MainWindow> w_;
};

int main(int argc, char** argv) { return guitest::run<ExportWindowTest>(argc, argv); }

#include "tst_export_window.moc"
