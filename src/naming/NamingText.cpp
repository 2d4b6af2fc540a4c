// SPDX-License-Identifier: GPL-2.0-or-later

#include "naming/NamingText.h"

#include "base/Text.h"

using namespace vorda::base;

namespace vorda::naming {

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    size_t pos = 0;
    for (size_t hit; (hit = text.find(from, pos)) != std::string_view::npos; pos = hit + from.size()) {
        result.append(text.substr(pos, hit - pos));
        result.append(to);
    }
    result.append(text.substr(pos));
    return result;
}

std::string replaceUntilGone(std::string_view text, std::string_view from, std::string_view to) {
    std::string result(text);
    if (from.empty() || to.size() >= from.size()) return result;
    while (result.find(from) != std::string::npos) result = replaceAll(result, from, to);
    return result;
}

std::string removeFirst(std::string_view text, std::string_view what) {
    std::string result(text);
    if (what.empty()) return result;
    const size_t hit = result.find(what);
    if (hit != std::string::npos) result.erase(hit, what.size());
    return result;
}

std::string trimSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

size_t utf8Offset(std::string_view text, size_t n) {
    size_t pos = 0;
    for (size_t i = 0; i < n && pos < text.size(); ++i) {
        const size_t length = utf8SequenceAt(text, pos);
        pos += length == 0 ? 1 : length;
    }
    return pos;
}

std::string utf8DropFirst(std::string_view text, size_t n) { return std::string(text.substr(utf8Offset(text, n))); }

std::string utf8DropLast(std::string_view text, size_t n) {
    const size_t count = utf8CharCount(text);
    if (n >= count) return {};
    return std::string(text.substr(0, utf8Offset(text, count - n)));
}

std::string utf8FirstChar(std::string_view text) { return std::string(text.substr(0, utf8Offset(text, 1))); }

bool utf8SetContains(std::string_view set, char32_t ch) {
    for (size_t pos = 0; pos < set.size();) {
        char32_t cp = 0;
        const size_t length = utf8SequenceAt(set, pos, &cp);
        if (length == 0) {
            ++pos;
            continue;
        }
        if (cp == ch) return true;
        pos += length;
    }
    return false;
}

bool utf8SetContains(std::string_view set, std::string_view ch) {
    if (ch.empty()) return false;
    for (size_t pos = 0; pos < set.size();) {
        const size_t length = utf8SequenceAt(set, pos);
        const size_t step = length == 0 ? 1 : length;
        if (set.substr(pos, step) == ch) return true;
        pos += step;
    }
    return false;
}

size_t controlCharAt(std::string_view text, size_t pos) {
    if (pos >= text.size()) return 0;
    const auto c = static_cast<unsigned char>(text[pos]);
    if (c < 0x20 || c == 0x7F) return 1;
    if (c == 0xC2 && pos + 1 < text.size()) {
        const auto next = static_cast<unsigned char>(text[pos + 1]);
        if (next >= 0x80 && next <= 0x9F) return 2;
    }
    return 0;
}

namespace {

template <typename Replace>
std::string mapControlChars(std::string_view text, Replace replace) {
    std::string result;
    result.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = controlCharAt(text, pos);
        if (length == 0) {
            result += text[pos++];
            continue;
        }
        replace(result, text.substr(pos, length));
        pos += length;
    }
    return result;
}

}  // namespace

std::string controlCharsToSpaces(std::string_view text) {
    return mapControlChars(text, [](std::string& out, std::string_view) { out += ' '; });
}

std::string stripControlChars(std::string_view text) {
    return mapControlChars(text, [](std::string&, std::string_view) {});
}

std::string escapeControlChars(std::string_view text) {
    static const char* const kHex = "0123456789abcdef";
    std::string result;
    result.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = controlCharAt(text, pos);
        const auto c = static_cast<unsigned char>(text[pos]);
        if (length == 0) {
            result += text[pos++];
            continue;
        }
        if (c == '\n') {
            result += "\\n";
        } else if (c == '\r') {
            result += "\\r";
        } else if (c == '\t') {
            result += "\\t";
        } else if (length == 2) {
            const auto cp = static_cast<unsigned char>(text[pos + 1]);
            result += "\\u00";
            result += kHex[cp >> 4];
            result += kHex[cp & 0xF];
        } else {
            result += "\\x";
            result += kHex[c >> 4];
            result += kHex[c & 0xF];
        }
        pos += length;
    }
    return result;
}

}  // namespace vorda::naming
