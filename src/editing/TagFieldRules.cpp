// SPDX-License-Identifier: GPL-2.0-or-later

// The typing rules of the tag editor's text fields.
#include "editing/TagFieldRules.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

#include "base/Text.h"

using namespace vorda::base;

namespace vorda::editing {

bool isNumericText(const std::string& text) {
    std::string_view t = trimView(text);
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) t.remove_prefix(1);
    size_t digits = 0, i = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    }
    return digits > 0 && i == t.size();
}

bool fieldAcceptsChar(int index, const std::string& character) {
    if (character == "\b") return true;
    const char* set = nullptr;
    if (index == 3 || index == 4) set = kV2NumberChars;
    if (index == 14 || index == 15) set = kV1NumberChars;
    if (set == nullptr) return true;
    return character.size() == 1 && std::string_view(set).find(character[0]) != std::string_view::npos;
}

std::optional<std::string> fieldPageStep(int index, const std::string& text, bool up) {
    if (index != 3 && index != 4 && index != 14 && index != 15) return std::nullopt;
    if (!isNumericText(text)) return std::nullopt;
    const double value = std::strtod(trim(text).c_str(), nullptr);
    if (!std::isfinite(value) || std::fabs(value) > 1e15) return std::nullopt;
    const long long whole = static_cast<long long>(std::floor(value));
    if (up) return std::to_string(whole + 1);
    if (whole > 0) return std::to_string(whole - 1);
    return std::nullopt;
}

std::string fieldDescription(int index) {
    static const char* const names[] = {"Title",    "Artist",          "Album",     "Year",  "Track",      "Comments",
                                        "Composer", "Original artist", "Copyright", "Link",  "Encoded by", "Title",
                                        "Artist",   "Album",           "Year",      "Track", "Comment"};
    if (index < 0 || index > 16) return {};
    return names[index];
}

LengthWarning id3v1LengthWarning(int index, const std::string& text, bool id3v1Enabled) {
    LengthWarning w;
    if (index < 11 || index > 13) return w;
    const std::string name = fieldDescription(index);
    w.toolTip = name;
    if (id3v1Enabled && utf8CharCount(text) > static_cast<size_t>(kID3v1FieldWidth)) {
        w.warn = true;
        w.toolTip =
            name + " (More than " + std::to_string(kID3v1FieldWidth) + " characters - Lyrics3 tag will be added)";
    }
    return w;
}

}  // namespace vorda::editing
