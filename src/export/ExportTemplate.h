// SPDX-License-Identifier: GPL-2.0-or-later

// Export templates: the three text sections of an export (start, row, end), the kinds of export
// with their titles and built-in template files, and the template file format.
//
// A template file holds the sections between marker lines, each marker alone on its line:
//   *** STARTDATA ***  ... *** END OF STARTDATA ***
//   *** ROWDATA ***    ... *** END OF ROWDATA ***
//   *** ENDDATA ***    ... *** END OF ENDDATA ***
// Lines outside the sections are ignored. A section's text is its lines joined with CR LF.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vorda::exports {

// The kinds of export; the numbers are those of the menus and the type list of the dialog.
enum class ExportType : int { M3u = 0, Pls = 1, CdCover = 2, Csv = 3, Html = 4, Custom = 5 };
inline constexpr int kExportTypeCount = 6;

struct ExportTemplate {
    std::string startData;  // written once before the rows
    std::string rowData;    // written once per exported file
    std::string endData;    // written once after the rows

    bool operator==(const ExportTemplate&) const = default;
};

// The type with the given number; nothing for a number outside 0..5.
std::optional<ExportType> exportTypeOf(int number);
// "M3U playlist", "PLS playlist", "CD Cover", "CSV file", "HTML file", "Custom"; "" for an unknown number.
std::string exportTitle(int type);
// The file name of the type's built-in template ("m3u_template.txt", ...).
std::string builtInTemplateName(ExportType type);
// dataFolder (ending with "/") + "templates/" + the built-in template name.
std::string builtInTemplatePath(const std::string& dataFolder, ExportType type);
// The filters of the target-file dialog, one per entry ("M3U Playlist (*.m3u)").
std::vector<std::string> targetFileFilters(ExportType type);

// The sections of a template file's text (LF or CR LF line ends; a UTF-8 byte-order mark is skipped).
// A section that is missing is empty and does not hide the sections after it; a section whose end
// marker is missing runs to the end of the text.
ExportTemplate parseTemplateText(std::string_view text);

// Reads a template file into tpl. On failure tpl holds three empty sections and the result says why
// (ENOENT for an empty or missing path, EINVAL for a pipe or device, EFBIG for a file too large to be
// a template).
[[nodiscard]] std::error_code loadTemplateFile(const std::string& path, ExportTemplate& tpl);
// loadTemplateFile for the built-in template of the type below dataFolder.
[[nodiscard]] std::error_code loadBuiltInTemplate(const std::string& dataFolder, ExportType type, ExportTemplate& tpl);

// The text of a template file holding tpl: each marker and each section on their own lines, every
// line ending with CR LF, nothing before the first marker. parseTemplateText gives tpl back.
std::string templateFileText(const ExportTemplate& tpl);
// Writes templateFileText(tpl) to path through a temporary file renamed over it.
[[nodiscard]] std::error_code saveTemplateFile(const std::string& path, const ExportTemplate& tpl);

// The text with every line break (LF, CR LF or a lone CR) written as CR LF.
std::string withCrLf(std::string_view text);

}  // namespace vorda::exports
