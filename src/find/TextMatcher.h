// SPDX-License-Identifier: GPL-2.0-or-later

// Looking for a text in tag values and replacing it. Without "match case" letters match
// whatever their case in any script (e-acute and E-acute, sharp s and capital sharp s, final
// and capital sigma, Cyrillic). Matches always begin and end on whole characters, and
// replacing changes only the matched bytes: everything around them stays byte for byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorda::find {

// A piece of a text, in bytes.
struct TextSpan {
    size_t start = 0;
    size_t length = 0;
    bool operator==(const TextSpan&) const = default;
};

class TextMatcher {
public:
    TextMatcher(std::string_view needle, bool matchCase);

    // True for an empty needle, which matches nothing.
    bool empty() const { return needle_.empty(); }

    // The first match that begins at or after the byte offset from.
    std::optional<TextSpan> find(std::string_view text, size_t from = 0) const;

    // Every match replaced, scanning from left to right and going on after each inserted
    // replacement (a replacement holding the needle is not searched again). count receives
    // the number of replacements.
    std::string replaceAll(std::string_view text, std::string_view replacement, int* count = nullptr) const;

private:
    struct Unit {
        char32_t key;
        size_t offset;
    };
    std::vector<Unit> units(std::string_view text) const;
    // Index of the first match in units at or after index first; units.size() when none.
    size_t search(const std::vector<Unit>& units, size_t first) const;

    std::vector<char32_t> needle_;
    bool matchCase_;
};

}  // namespace vorda::find
