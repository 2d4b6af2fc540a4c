// SPDX-License-Identifier: GPL-2.0-or-later

// Reads arbitrary bytes as an export template file and expands it for every kind of export, with
// tag values cut from the same bytes. Checks that placeholder splitting loses no text, that a
// template written back reads the same, and that values are inserted once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "export/ExportGenerator.h"
#include "export/ExportTemplate.h"
#include "export/TemplateText.h"

using namespace vorda::exports;

namespace {

bool hasMarkerLine(std::string_view text) {
    for (std::string_view marker : {"*** STARTDATA ***", "*** END OF STARTDATA ***", "*** ROWDATA ***",
                                    "*** END OF ROWDATA ***", "*** ENDDATA ***", "*** END OF ENDDATA ***"}) {
        if (text.find(marker) != std::string_view::npos) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Splitting at placeholders and putting the text back together gives the text again.
    std::string rebuilt;
    TemplateText(bytes).render(rebuilt, [](Placeholder, std::string&) { return false; });
    if (rebuilt != bytes) std::abort();

    const ExportTemplate tpl = parseTemplateText(bytes);
    // Sections in CR LF form, holding no marker, survive a save and a load unchanged.
    if (withCrLf(tpl.startData) == tpl.startData && withCrLf(tpl.rowData) == tpl.rowData &&
        withCrLf(tpl.endData) == tpl.endData && !hasMarkerLine(tpl.startData) && !hasMarkerLine(tpl.rowData) &&
        !hasMarkerLine(tpl.endData) && !tpl.startData.starts_with("\xEF\xBB\xBF")) {
        if (parseTemplateText(templateFileText(tpl)) != tpl) std::abort();
    }

    // Rows whose values are pieces of the input, so values full of placeholders are tried too.
    std::vector<ExportRow> rows(3);
    const size_t third = size / 3;
    rows[0].artist = std::string(bytes.substr(0, third));
    rows[0].title = "<artist>";
    rows[1].readable = size % 2 == 0;
    rows[1].comment = std::string(bytes.substr(third, third));
    rows[1].selected = true;
    rows[2].album = std::string(bytes.substr(2 * third));
    rows[2].folder = "/";
    rows[2].durationSeconds = static_cast<long long>(size) * 977;
    rows[2].fileSize = static_cast<std::uint64_t>(size) << 20;
    rows[2].track = std::string(bytes.substr(0, size < 8 ? size : 8));

    for (int type = 0; type < kExportTypeCount; ++type) {
        ExportOptions options;
        options.type = static_cast<ExportType>(type);
        options.allFiles = type % 2 == 0;
        options.trackDigits = type;
        options.now = 0;
        options.cover.front.title = std::string(bytes.substr(0, third));
        options.cover.back.backPicture = std::string(bytes.substr(third));
        options.cover.sides.fontSize = static_cast<double>(size) / 7.0;
        const std::string text = generateExportCode(tpl, rows, options);
        // A row template of just "<title>" gives the first row's title as it is: "<artist>", not the artist.
        if (options.type == ExportType::Custom) {
            options.allFiles = true;
            const std::string once = generateExportCode({"", "<title>", ""}, {rows[0]}, options);
            if (once != "\r\n<artist>\r\n") std::abort();
        }
        (void)text;
    }
    return 0;
}
