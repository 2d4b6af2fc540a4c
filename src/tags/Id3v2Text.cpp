// SPDX-License-Identifier: GPL-2.0-or-later

#include "tags/Id3v2Text.h"

#include <zlib.h>

#include <vector>

namespace vorda::tags::id3v2 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes UTF-8 leniently: each invalid or truncated sequence gives one U+FFFD.
std::vector<char32_t> codePoints(std::string_view s) {
    std::vector<char32_t> cps;
    cps.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        if (b0 < 0x80) {
            cps.push_back(b0);
            ++i;
            continue;
        }
        size_t len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if ((b0 & 0xE0) == 0xC0) {
            len = 2;
            cp = b0 & 0x1F;
            min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            len = 3;
            cp = b0 & 0x0F;
            min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            len = 4;
            cp = b0 & 0x07;
            min = 0x10000;
        }
        bool ok = len != 0 && i + len <= s.size();
        for (size_t k = 1; ok && k < len; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (b & 0x3F);
        }
        if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (ok) {
            cps.push_back(cp);
            i += len;
        } else {
            cps.push_back(kReplacement);
            ++i;
        }
    }
    return cps;
}

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    const size_t n = bytes.size() / 2;
    auto unit = [&](size_t k) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[2 * k]);
        const auto b = static_cast<unsigned char>(bytes[2 * k + 1]);
        return bigEndian ? static_cast<char32_t>((a << 8) | b) : static_cast<char32_t>((b << 8) | a);
    };
    for (size_t k = 0; k < n; ++k) {
        const char32_t u = unit(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < n) {
            const char32_t lo = unit(k + 1);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                ++k;
                continue;
            }
        }
        appendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
    }
    return out;
}

void appendUtf16Le(std::string& out, char32_t cp) {
    auto put = [&](char32_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>((u >> 8) & 0xFF));
    };
    if (cp >= 0x10000) {
        cp -= 0x10000;
        put(0xD800 + (cp >> 10));
        put(0xDC00 + (cp & 0x3FF));
    } else {
        put(cp);
    }
}

}  // namespace

size_t findTerminator(uint8_t enc, std::string_view bytes, size_t from) {
    if (terminatorSize(enc) == 1) {
        const size_t p = bytes.find('\0', from);
        return p;
    }
    for (size_t i = from; i + 1 < bytes.size(); i += 2)
        if (bytes[i] == '\0' && bytes[i + 1] == '\0') return i;
    return std::string_view::npos;
}

namespace {

std::string decodeStringBody(uint8_t enc, std::string_view bytes);

}  // namespace

// A byte-order mark that is left at the start of a value after the encoding's own (a doubled
// mark, as some writers produce) is no text: it is dropped, so every value reads back the same
// after it was written in another encoding.
std::string decodeString(uint8_t enc, std::string_view bytes) {
    std::string out = decodeStringBody(enc, bytes);
    size_t skip = 0;
    while (out.compare(skip, 3, "\xEF\xBB\xBF") == 0) skip += 3;
    if (skip > 0) out.erase(0, skip);
    return out;
}

namespace {

std::string decodeStringBody(uint8_t enc, std::string_view bytes) {
    switch (enc) {
    case Encoding::Utf16: {
        bool bigEndian = false;
        if (bytes.size() >= 2) {
            const auto a = static_cast<unsigned char>(bytes[0]);
            const auto b = static_cast<unsigned char>(bytes[1]);
            if (a == 0xFF && b == 0xFE) {
                bytes.remove_prefix(2);
            } else if (a == 0xFE && b == 0xFF) {
                bigEndian = true;
                bytes.remove_prefix(2);
            }
        }
        return decodeUtf16(bytes, bigEndian);
    }
    case Encoding::Utf16Be:
        if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
            static_cast<unsigned char>(bytes[1]) == 0xFF)
            bytes.remove_prefix(2);
        return decodeUtf16(bytes, true);
    case Encoding::Utf8: {
        if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        std::string out;
        out.reserve(bytes.size());
        for (char32_t cp : codePoints(bytes)) appendUtf8(out, cp);
        return out;
    }
    default: return latin1ToUtf8Text(bytes);
    }
}

}  // namespace

std::string decodeStringList(uint8_t enc, std::string_view bytes) {
    std::string out;
    size_t pos = 0;
    bool first = true;
    while (pos < bytes.size()) {
        size_t end = findTerminator(enc, bytes, pos);
        if (end == std::string_view::npos) end = bytes.size();
        if (!first) out.push_back('\0');
        out += decodeString(enc, bytes.substr(pos, end - pos));
        first = false;
        pos = end + terminatorSize(enc);
    }
    return out;
}

std::string encodeString(uint8_t enc, std::string_view utf8) {
    std::string out;
    switch (enc) {
    case Encoding::Utf8:
        for (char32_t cp : codePoints(utf8)) appendUtf8(out, cp);
        return out;
    case Encoding::Utf16:
    case Encoding::Utf16Be: {
        // Every string of a list is encoded on its own; in UTF-16 with BOM each gets its BOM.
        size_t pos = 0;
        while (true) {
            size_t end = utf8.find('\0', pos);
            if (end == std::string_view::npos) end = utf8.size();
            if (pos != 0) out.append(2, '\0');
            std::string le;
            for (char32_t cp : codePoints(utf8.substr(pos, end - pos))) appendUtf16Le(le, cp);
            if (enc == Encoding::Utf16) {
                out += "\xFF\xFE";
                out += le;
            } else {
                for (size_t i = 0; i + 1 < le.size(); i += 2) {
                    out.push_back(le[i + 1]);
                    out.push_back(le[i]);
                }
            }
            if (end >= utf8.size()) break;
            pos = end + 1;
        }
        return out;
    }
    default:
        for (char32_t cp : codePoints(utf8)) out.push_back(cp <= 0xFF ? static_cast<char>(cp) : '?');
        return out;
    }
}

std::string terminator(uint8_t enc) { return std::string(terminatorSize(enc), '\0'); }

bool fitsLatin1(std::string_view utf8) {
    for (char32_t cp : codePoints(utf8))
        if (cp > 0xFF) return false;
    return true;
}

uint8_t chooseEncoding(std::string_view utf8, int version) {
    if (fitsLatin1(utf8)) return Encoding::Latin1;
    return version >= 4 ? Encoding::Utf8 : Encoding::Utf16;
}

std::string latin1ToUtf8Text(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (char c : latin1) appendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

std::string urlToLatin1(std::string_view utf8) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (char32_t cp : codePoints(utf8)) {
        if (cp <= 0xFF) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        std::string bytes;
        appendUtf8(bytes, cp);
        for (char b : bytes) {
            const auto u = static_cast<unsigned char>(b);
            out.push_back('%');
            out.push_back(kHex[u >> 4]);
            out.push_back(kHex[u & 0x0F]);
        }
    }
    return out;
}

uint32_t readSynchsafe(const unsigned char* p, size_t count) {
    uint32_t v = 0;
    for (size_t i = 0; i < count; ++i) v = (v << 7) | (p[i] & 0x7F);
    return v;
}

std::string writeSynchsafe(uint32_t value, size_t count) {
    std::string out(count, '\0');
    for (size_t i = 0; i < count; ++i) out[count - 1 - i] = static_cast<char>((value >> (7 * i)) & 0x7F);
    return out;
}

uint32_t readBigEndian(const unsigned char* p, size_t count) {
    uint32_t v = 0;
    for (size_t i = 0; i < count; ++i) v = (v << 8) | p[i];
    return v;
}

std::string writeBigEndian(uint32_t value, size_t count) {
    std::string out(count, '\0');
    for (size_t i = 0; i < count; ++i) out[count - 1 - i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string removeUnsynchronisation(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes[i]);
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == '\0') ++i;
    }
    return out;
}

bool inflate(std::string_view compressed, size_t limit, std::string& out) {
    out.clear();
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    // A frame lies inside a tag, whose size field stays below 2^28: the length fits a uInt.
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    zs.avail_in = static_cast<uInt>(compressed.size());
    // The output grows as it arrives, so a hostile size announced in front costs nothing.
    char chunk[16384];
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        zs.next_out = reinterpret_cast<Bytef*>(chunk);
        zs.avail_out = sizeof chunk;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) break;  // damaged, or cut short (no progress)
        const size_t n = sizeof chunk - zs.avail_out;
        if (n > limit - out.size()) {
            rc = Z_MEM_ERROR;
            break;
        }
        out.append(chunk, n);
    }
    inflateEnd(&zs);
    return rc == Z_STREAM_END;
}

bool isValidFrameId(std::string_view id) {
    if (id.size() != 3 && id.size() != 4) return false;
    for (char c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

}  // namespace vorda::tags::id3v2
