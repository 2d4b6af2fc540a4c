// SPDX-License-Identifier: GPL-2.0-or-later

#include "export/ExportTemplate.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <fstream>

#include "base/FileOps.h"
#include "base/Text.h"

using namespace vorda::base;

namespace vorda::exports {

namespace {

struct TypeInfo {
    const char* title;
    const char* fileName;
    std::vector<std::string> filters;
};

const std::array<TypeInfo, kExportTypeCount>& typeTable() {
    static const std::array<TypeInfo, kExportTypeCount> table{{
        {"M3U playlist", "m3u_template.txt", {"M3U Playlist (*.m3u)"}},
        {"PLS playlist", "pls_template.txt", {"PLS Playlist (*.pls)"}},
        {"CD Cover", "cdcover_template.txt", {"HTML File (*.html)", "HTML File (*.htm)"}},
        {"CSV file", "csv_template.txt", {"CSV File (*.csv)"}},
        {"HTML file", "html_template.txt", {"HTML File (*.html)", "HTML File (*.htm)"}},
        {"Custom", "custom_template.txt", {"Custom File (*.txt)"}},
    }};
    return table;
}

const TypeInfo& infoOf(ExportType type) { return typeTable()[static_cast<size_t>(type)]; }

// A template is a few kilobytes; anything this large is not one.
constexpr long long kMaxTemplateBytes = 16LL * 1024 * 1024;

constexpr std::string_view kCrLf = "\r\n";

struct Markers {
    std::string_view begin;
    std::string_view end;
};
constexpr Markers kStartMarkers{"*** STARTDATA ***", "*** END OF STARTDATA ***"};
constexpr Markers kRowMarkers{"*** ROWDATA ***", "*** END OF ROWDATA ***"};
constexpr Markers kEndMarkers{"*** ENDDATA ***", "*** END OF ENDDATA ***"};

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

// Collects the lines between the markers, searching from next; next moves past the section only
// when its begin marker was found.
std::string collectSection(const std::vector<std::string_view>& lines, size_t& next, const Markers& markers) {
    size_t i = next;
    while (i < lines.size() && lines[i] != markers.begin) ++i;
    if (i == lines.size()) return {};
    ++i;
    std::string text;
    while (i < lines.size() && lines[i] != markers.end) {
        text += lines[i];
        text += kCrLf;
        ++i;
    }
    next = i < lines.size() ? i + 1 : i;
    if (text.ends_with(kCrLf)) text.resize(text.size() - kCrLf.size());
    return text;
}

}  // namespace

std::optional<ExportType> exportTypeOf(int number) {
    if (number < 0 || number >= kExportTypeCount) return std::nullopt;
    return static_cast<ExportType>(number);
}

std::string exportTitle(int type) {
    const auto known = exportTypeOf(type);
    return known ? infoOf(*known).title : std::string();
}

std::string builtInTemplateName(ExportType type) { return infoOf(type).fileName; }

std::string builtInTemplatePath(const std::string& dataFolder, ExportType type) {
    return addBackslash(dataFolder) + "templates/" + builtInTemplateName(type);
}

std::vector<std::string> targetFileFilters(ExportType type) { return infoOf(type).filters; }

ExportTemplate parseTemplateText(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::vector<std::string_view> lines = splitLines(text);
    ExportTemplate tpl;
    size_t next = 0;
    tpl.startData = collectSection(lines, next, kStartMarkers);
    tpl.rowData = collectSection(lines, next, kRowMarkers);
    tpl.endData = collectSection(lines, next, kEndMarkers);
    return tpl;
}

std::error_code loadTemplateFile(const std::string& path, ExportTemplate& tpl) {
    tpl = {};
    if (trim(path).empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {errno, std::system_category()};
    if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
    // A pipe or a device would block the reading or never end.
    if (!S_ISREG(st.st_mode)) return std::make_error_code(std::errc::invalid_argument);
    if (st.st_size > kMaxTemplateBytes) return std::make_error_code(std::errc::file_too_large);
    std::ifstream in(path, std::ios::binary);
    if (!in) return {errno != 0 ? errno : EIO, std::system_category()};
    std::string text(static_cast<size_t>(st.st_size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    // A read cut short keeps what was read.
    text.resize(static_cast<size_t>(in.gcount()));
    tpl = parseTemplateText(text);
    return {};
}

std::error_code loadBuiltInTemplate(const std::string& dataFolder, ExportType type, ExportTemplate& tpl) {
    return loadTemplateFile(builtInTemplatePath(dataFolder, type), tpl);
}

std::string templateFileText(const ExportTemplate& tpl) {
    std::string out;
    const auto section = [&out](const Markers& markers, const std::string& text) {
        out.append(markers.begin).append(kCrLf);
        out.append(withCrLf(text)).append(kCrLf);
        out.append(markers.end).append(kCrLf);
    };
    section(kStartMarkers, tpl.startData);
    section(kRowMarkers, tpl.rowData);
    section(kEndMarkers, tpl.endData);
    return out;
}

std::error_code saveTemplateFile(const std::string& path, const ExportTemplate& tpl) {
    const int error = writeFileAtomically(path, templateFileText(tpl));
    if (error != 0) return {error, std::system_category()};
    return {};
}

std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += kCrLf;
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += kCrLf;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace vorda::exports
