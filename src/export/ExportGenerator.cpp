// SPDX-License-Identifier: GPL-2.0-or-later

#include "export/ExportGenerator.h"

#include "base/FileOps.h"

using namespace vorda::base;

namespace vorda::exports {

namespace {

bool isBlankText(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

void appendHtmlEscaped(std::string& out, std::string_view value) {
    for (const char c : value) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
}

void appendCsvField(std::string& out, std::string_view value) {
    if (value.find_first_of(";,\"\r\n") == std::string_view::npos) {
        out += value;
        return;
    }
    out += '"';
    for (const char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void appendOnOneLine(std::string& out, std::string_view value) {
    for (const char c : value) out += c == '\r' || c == '\n' ? ' ' : c;
}

void appendEscaped(std::string& out, ExportType type, std::string_view value) {
    switch (type) {
    case ExportType::Html:
    case ExportType::CdCover: appendHtmlEscaped(out, value); return;
    case ExportType::Csv: appendCsvField(out, value); return;
    case ExportType::M3u:
    case ExportType::Pls: appendOnOneLine(out, value); return;
    case ExportType::Custom: break;
    }
    out += value;
}

// Fills the start or end section.
std::string frameSection(const std::string& text, const ExportRow* first, long totalFiles, std::time_t now,
                         const ExportOptions& options) {
    const std::string styled =
        options.type == ExportType::CdCover ? applyCoverStyle(withCrLf(text), options.cover) : withCrLf(text);
    std::string out;
    TemplateText(styled).render(out, [&](Placeholder p, std::string& to) {
        switch (p) {
        case Placeholder::RowNr:
        case Placeholder::OddEven: return false;
        case Placeholder::TotFiles: to += std::to_string(totalFiles); return true;
        case Placeholder::TodayDate: to += formatDate(now); return true;
        case Placeholder::TodayTime: to += formatTime(now); return true;
        default: break;
        }
        if (first) appendEscaped(to, options.type, fileFieldValue(*first, p, options.trackDigits));
        return true;
    });
    return out;
}

}  // namespace

std::string escapeValue(ExportType type, std::string_view value) {
    std::string out;
    appendEscaped(out, type, value);
    return out;
}

std::string generateExportCode(const ExportTemplate& tpl, const std::vector<ExportRow>& rows,
                               const ExportOptions& options) {
    const TemplateText rowText(withCrLf(tpl.rowData));
    std::string body;
    std::string line;
    const ExportRow* first = nullptr;
    long rowNr = 0;
    long selectedCount = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const ExportRow& row = rows[i];
        if (row.selected) ++selectedCount;
        if (!row.readable || !(options.allFiles || row.selected)) continue;
        ++rowNr;
        if (!first) first = &row;
        const bool oddPosition = (i + 1) % 2 == 1;
        line.clear();
        rowText.render(line, [&](Placeholder p, std::string& to) {
            switch (p) {
            case Placeholder::RowNr: to += std::to_string(rowNr); return true;
            case Placeholder::OddEven: to += oddPosition ? "OddRow" : "EvenRow"; return true;
            case Placeholder::TotFiles:
            case Placeholder::TodayDate:
            case Placeholder::TodayTime: return false;
            default: break;
            }
            appendEscaped(to, options.type, fileFieldValue(row, p, options.trackDigits));
            return true;
        });
        if (isBlankText(line)) continue;
        body += line;
        body += "\r\n";
    }

    const long totalFiles = options.allFiles ? static_cast<long>(rows.size()) : selectedCount;
    const std::time_t now = options.now ? *options.now : std::time(nullptr);
    std::string out = frameSection(tpl.startData, first, totalFiles, now, options);
    out += "\r\n";
    out += body;
    out += frameSection(tpl.endData, first, totalFiles, now, options);
    return out;
}

std::error_code writeExport(const std::string& path, std::string_view text) {
    std::string data;
    data.reserve(text.size() + 2);
    data.append(text).append("\r\n");
    const int error = writeFileAtomically(path, data);
    if (error != 0) return {error, std::system_category()};
    return {};
}

}  // namespace vorda::exports
