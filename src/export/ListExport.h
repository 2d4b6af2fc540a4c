// SPDX-License-Identifier: GPL-2.0-or-later

// The file list as the export sees it: each row's file read with its tags into an ExportRow, and
// the export of the selected rows with a template, as the direct menu entries and vorda-cli do it.
#pragma once

#include <string>
#include <system_error>
#include <vector>

#include "export/ExportGenerator.h"
#include "tags/TagOptions.h"

namespace vorda::app {
class FileList;
struct Settings;
}  // namespace vorda::app

namespace vorda::exports {

// The row of the file at path: its tag values, audio information, name, folder, size and time.
// The file is read under the tag options; one that cannot be read gives a row that is not readable
// (and so never exported).
ExportRow rowFromFile(const std::string& path, const tags::TagOptions& options, bool selected = false);

// The rows of the list in list order, each with the list's selection; maxRows > 0 gives the
// first maxRows rows only (a preview). Every row's file is read once; with selectedOnly the rows
// that are not selected are not read and come out not readable (an export of the selected rows
// still numbers them by their place in the list).
std::vector<ExportRow> rowsOfList(const app::FileList& list, const tags::TagOptions& options, long maxRows = 0,
                                  bool selectedOnly = false);

// The digits "<track>" is padded to: the settings' track digits when track numbers are padded,
// else 0 (no padding).
int trackDigitsOf(const app::Settings& settings);

// Exports the selected rows with the template as the kind of export writes them, to path (whose
// folder must exist), through a temporary file renamed over the target.
[[nodiscard]] std::error_code exportSelectedRows(const ExportTemplate& tpl, ExportType type,
                                                 const std::vector<ExportRow>& rows, const std::string& path,
                                                 int trackDigits);

}  // namespace vorda::exports
