// SPDX-License-Identifier: GPL-2.0-or-later

#include "base/Text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utf8proc.h>

namespace vorda::base {

namespace {

// Position of the dot that starts the extension: the last "." of the file-name part (a dot in
// a folder name is no extension); npos when there is none.
size_t extensionDot(std::string_view path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return dot;
    const size_t slash = path.rfind('/');
    if (slash != std::string_view::npos && slash > dot) return std::string_view::npos;
    return dot;
}

}  // namespace

std::string getExtension(std::string_view path) {
    const size_t dot = extensionDot(path);
    if (dot == std::string_view::npos) return std::string(path);
    return std::string(path.substr(dot + 1));
}

std::string removeExtension(std::string_view path) {
    const size_t dot = extensionDot(path);
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    if (dot == std::string_view::npos || dot == nameStart) return std::string(path);
    return std::string(path.substr(0, dot));
}

std::string changeExtension(std::string_view path, std::string_view newExt) {
    std::string result = removeExtension(path);
    result += '.';
    result += newExt;
    return result;
}

std::string getFileName(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || slash + 1 == path.size()) return std::string(path);
    return std::string(path.substr(slash + 1));
}

std::string getFolder(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    return std::string(path.substr(0, slash + 1));
}

std::string addBackslash(std::string_view path) {
    std::string result(path);
    if (!result.empty() && result.back() != '/') result += '/';
    return result;
}

std::string removeBackslash(std::string_view path) {
    if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return std::string(path);
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int countOccurrences(std::string_view text, std::string_view what) {
    if (what.empty()) return 0;
    int count = 0;
    size_t pos = text.find(what);
    while (pos != std::string_view::npos) {
        ++count;
        pos = text.find(what, pos + what.size());
    }
    return count;
}

bool isAllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string formatDuration(long long seconds) {
    // Unsigned arithmetic so that the most negative value has a magnitude too.
    const bool negative = seconds < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(seconds) : static_cast<unsigned long long>(seconds);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s%02llu:%02llu", negative ? "-" : "", magnitude / 60, magnitude % 60);
    return buffer;
}

std::string padTrackNumber(std::string_view track, int digits) {
    size_t run = 0;
    while (run < track.size() && track[run] >= '0' && track[run] <= '9') ++run;
    if (run == 0) return std::string(track);

    // The number without its own leading zeros, then padded; working on the digit text keeps
    // arbitrarily long runs exact.
    std::string_view number = track.substr(0, run);
    const size_t firstNonZero = number.find_first_not_of('0');
    number = firstNonZero == std::string_view::npos ? std::string_view("0") : number.substr(firstNonZero);
    std::string result;
    if (digits > 0 && number.size() < static_cast<size_t>(digits))
        result.assign(static_cast<size_t>(digits) - number.size(), '0');
    result += number;
    result += track.substr(run);
    return result;
}

// ---------------------------------------------------------------- UTF-8

size_t utf8SequenceAt(std::string_view text, size_t pos, char32_t* cp) {
    if (pos >= text.size()) return 0;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        if (cp) *cp = lead;
        return 1;
    }
    size_t length;
    char32_t value;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    if (cp) *cp = value;
    return length;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF) return;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

size_t utf8CharCount(std::string_view text) {
    size_t count = 0;
    for (size_t pos = 0; pos < text.size(); ++count) {
        const size_t length = utf8SequenceAt(text, pos);
        pos += length ? length : 1;
    }
    return count;
}

std::string utf8Left(std::string_view text, size_t maxChars) {
    size_t pos = 0;
    for (size_t count = 0; pos < text.size() && count < maxChars; ++count) {
        const size_t length = utf8SequenceAt(text, pos);
        pos += length ? length : 1;
    }
    return std::string(text.substr(0, pos));
}

bool isValidUtf8(std::string_view bytes) {
    for (size_t pos = 0; pos < bytes.size();) {
        const size_t length = utf8SequenceAt(bytes, pos);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

std::string toDisplayUtf8(std::string_view bytes) {
    std::string result;
    result.reserve(bytes.size());
    for (size_t pos = 0; pos < bytes.size();) {
        const size_t length = utf8SequenceAt(bytes, pos);
        if (length == 0) {
            result += "\xEF\xBF\xBD";
            ++pos;
        } else {
            result.append(bytes.substr(pos, length));
            pos += length;
        }
    }
    return result;
}

std::string latin1ToUtf8(std::string_view latin1) {
    std::string result;
    result.reserve(latin1.size());
    for (char c : latin1) appendUtf8(result, static_cast<unsigned char>(c));
    return result;
}

std::string utf8ToLatin1(std::string_view utf8, bool* lossy) {
    std::string result;
    result.reserve(utf8.size());
    bool lost = false;
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        const size_t length = utf8SequenceAt(utf8, pos, &cp);
        if (length == 0 || cp > 0xFF) {
            result += '?';
            lost = true;
        } else {
            result += static_cast<char>(cp);
        }
        pos += length ? length : 1;
    }
    if (lossy) *lossy = lost;
    return result;
}

// ---------------------------------------------------------------- case

namespace {

template <typename Map>
std::string mapCase(std::string_view text, Map map) {
    std::string result;
    result.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        char32_t cp = 0;
        const size_t length = utf8SequenceAt(text, pos, &cp);
        if (length == 0) {
            result += text[pos++];
            continue;
        }
        const utf8proc_int32_t mapped = map(static_cast<utf8proc_int32_t>(cp));
        utf8proc_uint8_t encoded[4];
        const utf8proc_ssize_t written = utf8proc_encode_char(mapped, encoded);
        if (written > 0)
            result.append(reinterpret_cast<const char*>(encoded), static_cast<size_t>(written));
        else
            result.append(text.substr(pos, length));
        pos += length;
    }
    return result;
}

char asciiLowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string lowerCase(std::string_view text) { return mapCase(text, utf8proc_tolower); }

std::string upperCase(std::string_view text) { return mapCase(text, utf8proc_toupper); }

std::string asciiLower(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = asciiLowerChar(c);
    return result;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLowerChar(a[i]) != asciiLowerChar(b[i])) return false;
    return true;
}

// ---------------------------------------------------------------- trimming and replacing

std::string_view trimView(std::string_view text, std::string_view blanks) {
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::string trim(std::string_view text, std::string_view blanks) { return std::string(trimView(text, blanks)); }

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

// ---------------------------------------------------------------- control characters

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

// ---------------------------------------------------------------- home

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

std::string expandHome(std::string_view path) {
    if (path.substr(0, 2) != "~/") return std::string(path);
    return addBackslash(homeFolder()) + std::string(path.substr(2));
}

// ---------------------------------------------------------------- numbers

std::string formatGrouped2(double value) {
    if (!std::isfinite(value)) value = 0;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string text = buffer;
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        text.erase(0, 1);
    }
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? ".00" : text.substr(dot);
    std::string grouped;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) grouped += ' ';
        grouped += whole[i];
    }
    // A value that rounds to zero shows no sign.
    if (negative && whole.find_first_not_of('0') == std::string::npos &&
        fraction.find_first_not_of("0.") == std::string::npos)
        negative = false;
    return (negative ? "-" : "") + grouped + fraction;
}

}  // namespace vorda::base
