// SPDX-License-Identifier: GPL-2.0-or-later

// The field edit language ("l-=", "l+=", "r-=", "r+=") and the character filter.
#include "editing/FieldEdit.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "base/Text.h"

using namespace vorda::base;

namespace vorda::editing {

namespace {

// The text split into its UTF-8 characters (a stray byte counts as one character).
std::vector<std::string_view> characters(std::string_view text) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < text.size()) {
        size_t n = 1;
        while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80 &&
               (static_cast<unsigned char>(text[i]) & 0xC0) == 0xC0 && n < 4)
            ++n;
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

// The integer part of a decimal number written in text (blanks around it allowed, an
// optional sign, digits with an optional fraction); false when text is no such number.
bool integerPart(std::string_view text, long long& value) {
    text = trimView(text, " ");
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    size_t digits = 0;
    long long number = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        if (number < 1000000000000LL) number = number * 10 + (text[digits] - '0');
        ++digits;
    }
    size_t fraction = 0;
    if (digits < text.size() && text[digits] == '.') {
        fraction = 1;
        while (digits + fraction < text.size() && text[digits + fraction] >= '0' && text[digits + fraction] <= '9')
            ++fraction;
        if (fraction == 1 && digits == 0) return false;  // "." alone
    }
    if (digits + fraction != text.size() || digits + fraction == 0) return false;
    value = negative ? -number : number;
    return true;
}

std::string join(const std::vector<std::string_view>& chars, size_t from, size_t to) {
    std::string out;
    for (size_t i = from; i < to; ++i) out += chars[i];
    return out;
}

}  // namespace

std::string applyFieldEdit(const std::string& newText, const std::string& oldValue, bool apply) {
    if (!apply) return oldValue;
    const std::string_view command = std::string_view(newText).substr(0, 3);
    const std::string rest = newText.size() > 3 ? newText.substr(3) : std::string();
    long long n = 0;
    if ((command == "l-=" || command == "r-=") && integerPart(rest, n)) {
        const std::vector<std::string_view> chars = characters(oldValue);
        const size_t cut =
            n <= 0 ? 0 : static_cast<size_t>(std::min<long long>(n, static_cast<long long>(chars.size())));
        if (command == "l-=") return join(chars, cut, chars.size());
        return join(chars, 0, chars.size() - cut);
    }
    if (command == "l+=") return rest + oldValue;
    if (command == "r+=") return oldValue + rest;
    return newText;
}

std::string filterChars(const std::string& text, const std::string& set, bool keep) {
    const std::vector<std::string_view> members = characters(set);
    std::string out;
    for (const std::string_view c : characters(text)) {
        bool inSet = false;
        for (const std::string_view m : members)
            if (m == c) {
                inSet = true;
                break;
            }
        if (inSet == keep) out += c;
    }
    return out;
}

}  // namespace vorda::editing
