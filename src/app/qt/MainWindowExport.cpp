// SPDX-License-Identifier: GPL-2.0-or-later

// The main window's "Export" menu: the direct exports of the selected files with a built-in
// template, and the export dialog.
#include <QAction>
#include <QApplication>
#include <QCursor>

#include <string>
#include <system_error>
#include <vector>

#include "app/Settings.h"
#include "app/qt/MainWindow.h"
#include "base/Text.h"
#include "export/ListExport.h"
#include "export/qt/ExportDialog.h"

using namespace vorda::base;
using namespace vorda::exports;
using namespace vorda::platform;

namespace vorda::app {

namespace {

// Shows the wait cursor while the files of the list are read.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void MainWindow::setupExports() {
    auto bind = [this](QAction* item, auto command) {
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, command);
    };
    bind(exportEditorItem_, [this] { showExportDialog(ExportType::M3u); });
    bind(exportCsvItem_, [this] { exportSelectedFiles(ExportType::Csv); });
    bind(exportHtmlItem_, [this] { exportSelectedFiles(ExportType::Html); });
    bind(exportM3uItem_, [this] { exportSelectedFiles(ExportType::M3u); });
    bind(exportPlsItem_, [this] { exportSelectedFiles(ExportType::Pls); });
    bind(exportCdCoverItem_, [this] { showExportDialog(ExportType::CdCover); });
}

void MainWindow::exportSelectedFiles(ExportType type) {
    const std::string& startFolder = settings().lastDir;
    const std::string path =
        exportTargetBox ? exportTargetBox(type, startFolder) : askExportTarget(this, type, startFolder);
    if (trim(path).empty()) return;
    // Without its built-in template the menu entry has nothing to write, and says nothing.
    ExportTemplate tpl;
    if (loadBuiltInTemplate(programDataFolder(), type, tpl)) return;

    std::error_code error;
    {
        const WaitCursor wait;
        // Only the selected rows are exported: the others are not read.
        const std::vector<ExportRow> rows = rowsOfList(list_, tagOptions(settings()), 0, true);
        error = exportSelectedRows(tpl, type, rows, path, trackDigitsOf(settings()));
    }
    if (error) ask("Could not write \"" + path + "\": " + error.message(), MessageButtons::Ok, MessageIcon::Error);
}

void MainWindow::showExportDialog(ExportType type) {
    ExportDialog dialog(
        programDataFolder(), settings().lastDir,
        [this](long maxRows) {
            const WaitCursor wait;
            return rowsOfList(list_, tagOptions(settings()), maxRows);
        },
        trackDigitsOf(settings()), this);
    if (type != dialog.currentType()) dialog.selectType(type);
    if (runExportDialog)
        runExportDialog(dialog);
    else
        dialog.exec();
}

}  // namespace vorda::app
