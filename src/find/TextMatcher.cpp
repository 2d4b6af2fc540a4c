// SPDX-License-Identifier: GPL-2.0-or-later

#include "find/TextMatcher.h"

#include <algorithm>

#include <utf8proc.h>

#include "base/Text.h"

using namespace vorda::base;

namespace vorda::find {

namespace {

// A byte that starts no valid UTF-8 sequence matches only itself: its key lies outside Unicode.
constexpr char32_t kLoneByte = 0x80000000u;

// The simple case folding of one character: the full folding when that is one character,
// else the lower case (capital sharp s folds to "ss" in full and to sharp s here).
char32_t foldCase(char32_t c) {
    utf8proc_int32_t folded[4];
    int boundary = 0;
    const utf8proc_ssize_t n =
        utf8proc_decompose_char(static_cast<utf8proc_int32_t>(c), folded, 4, UTF8PROC_CASEFOLD, &boundary);
    if (n == 1) return static_cast<char32_t>(folded[0]);
    return static_cast<char32_t>(utf8proc_tolower(static_cast<utf8proc_int32_t>(c)));
}

}  // namespace

TextMatcher::TextMatcher(std::string_view needle, bool matchCase) : matchCase_(matchCase) {
    for (const Unit& unit : units(needle)) needle_.push_back(unit.key);
}

std::vector<TextMatcher::Unit> TextMatcher::units(std::string_view text) const {
    std::vector<Unit> out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t c = 0;
        const size_t n = utf8SequenceAt(text, pos, &c);
        if (n == 0) {
            out.push_back({kLoneByte | static_cast<unsigned char>(text[pos]), pos});
            ++pos;
            continue;
        }
        out.push_back({matchCase_ ? c : foldCase(c), pos});
        pos += n;
    }
    return out;
}

size_t TextMatcher::search(const std::vector<Unit>& units, size_t first) const {
    if (needle_.empty() || first >= units.size()) return units.size();
    const auto found = std::search(units.begin() + static_cast<std::ptrdiff_t>(first), units.end(), needle_.begin(),
                                   needle_.end(), [](const Unit& u, char32_t key) { return u.key == key; });
    return static_cast<size_t>(found - units.begin());
}

std::optional<TextSpan> TextMatcher::find(std::string_view text, size_t from) const {
    if (needle_.empty()) return std::nullopt;
    const std::vector<Unit> all = units(text);
    const auto first =
        std::lower_bound(all.begin(), all.end(), from, [](const Unit& u, size_t offset) { return u.offset < offset; });
    const size_t index = search(all, static_cast<size_t>(first - all.begin()));
    if (index >= all.size()) return std::nullopt;
    const size_t end = index + needle_.size() < all.size() ? all[index + needle_.size()].offset : text.size();
    return TextSpan{all[index].offset, end - all[index].offset};
}

std::string TextMatcher::replaceAll(std::string_view text, std::string_view replacement, int* count) const {
    if (count != nullptr) *count = 0;
    if (needle_.empty()) return std::string(text);
    const std::vector<Unit> all = units(text);
    std::string out;
    size_t copied = 0;  // bytes of text already in out
    size_t index = search(all, 0);
    while (index < all.size()) {
        const size_t after = index + needle_.size();
        const size_t end = after < all.size() ? all[after].offset : text.size();
        out.append(text.substr(copied, all[index].offset - copied));
        out.append(replacement);
        copied = end;
        if (count != nullptr) ++*count;
        index = search(all, after);
    }
    out.append(text.substr(copied));
    return out;
}

}  // namespace vorda::find
