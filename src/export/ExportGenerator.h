// SPDX-License-Identifier: GPL-2.0-or-later

// Builds the text of an export from a template and the rows of the file list, and writes it.
//
// The start section, then each exported row's section, then the end section, each followed by
// CR LF. Placeholders are filled in one pass: a value from a tag or a file is inserted as it is
// (escaped for the kind of file) and never read as template text again, so "<album>" inside an
// artist stays "<album>". Row sections fill "<rownr>" (1, 2, ... over the exported rows) and
// "<oddeven>" ("OddRow"/"EvenRow" by the row's position in the list); start and end sections fill
// "<totfiles>", "<todaydate>", "<todaytime>" and the file placeholders of the first exported file
// (empty text when no file is exported).
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "export/CoverStyle.h"
#include "export/ExportRow.h"
#include "export/ExportTemplate.h"

namespace vorda::exports {

struct ExportOptions {
    ExportType type = ExportType::Custom;  // decides the escaping of values and the cover style
    bool allFiles = true;                  // every readable row, or the selected ones only
    int trackDigits = 0;                   // >= 1: "<track>" padded to this many leading digits
    std::optional<std::time_t> now;        // the moment of "<todaydate>"/"<todaytime>"; else the clock
    CoverStyle cover;                      // the cover settings of a CD cover export
};

// A value from a tag or a file as the kind of export writes it: HTML and CD cover escape & < > " ';
// CSV quotes a value holding ';', ',', a quote or a line break (doubling its quotes); the line-based
// playlists (M3U, PLS) write a line break in a value as a blank; Custom inserts it unchanged.
std::string escapeValue(ExportType type, std::string_view value);

// The export text of the rows (in list order) under the template; without the final CR LF that
// writeExport adds. Rows that are not readable, or not selected when options.allFiles is false,
// are skipped; a row whose text is only blanks writes no line but still takes its row number.
// "<totfiles>" is the number of rows (all files) or of selected rows.
std::string generateExportCode(const ExportTemplate& tpl, const std::vector<ExportRow>& rows,
                               const ExportOptions& options);

// Writes text followed by CR LF to path through a temporary file in the same folder that is renamed
// over the target: the target is never left half-written or emptied.
[[nodiscard]] std::error_code writeExport(const std::string& path, std::string_view text);

}  // namespace vorda::exports
