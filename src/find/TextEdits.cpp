// SPDX-License-Identifier: GPL-2.0-or-later

#include "find/TextEdits.h"

#include <vector>

#include <utf8proc.h>

#include "base/Text.h"

using namespace vorda::base;

namespace vorda::find {

namespace {

// Byte offsets at which the characters of the text begin, and the text's length at the end.
// A byte that starts no valid UTF-8 sequence is a character of its own.
std::vector<size_t> characterBounds(std::string_view text) {
    std::vector<size_t> bounds;
    utf8proc_int32_t state = 0;
    utf8proc_int32_t previous = -1;
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = 0;
        const size_t n = utf8SequenceAt(text, pos, &cp);
        if (n == 0) {
            bounds.push_back(pos);
            previous = -1;
            state = 0;
            ++pos;
            continue;
        }
        const auto c = static_cast<utf8proc_int32_t>(cp);
        if (previous < 0 || utf8proc_grapheme_break_stateful(previous, c, &state)) bounds.push_back(pos);
        previous = c;
        pos += n;
    }
    bounds.push_back(text.size());
    return bounds;
}

}  // namespace

std::string trimText(std::string_view value, size_t count, TextSide side) {
    if (count == 0) return std::string(value);
    const std::vector<size_t> bounds = characterBounds(value);
    const size_t characters = bounds.size() - 1;
    if (count >= characters) return {};
    if (side == TextSide::Beginning) return std::string(value.substr(bounds[count]));
    return std::string(value.substr(0, bounds[characters - count]));
}

std::string addText(std::string_view value, std::string_view text, TextSide side) {
    std::string out;
    out.reserve(value.size() + text.size());
    if (side == TextSide::Beginning) {
        out.append(text);
        out.append(value);
    } else {
        out.append(value);
        out.append(text);
    }
    return out;
}

}  // namespace vorda::find
