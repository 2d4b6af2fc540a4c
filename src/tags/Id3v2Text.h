// SPDX-License-Identifier: GPL-2.0-or-later

// Byte-level helpers of the ID3v2 format: the four text encodings, string terminators,
// synchsafe integers and unsynchronisation. Text inside Vorda is UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorda::tags::id3v2 {

// Text encoding bytes of ID3v2 frames.
namespace encoding {
enum Encoding : uint8_t { Latin1 = 0, Utf16 = 1, Utf16Be = 2, Utf8 = 3 };
}  // namespace encoding
using encoding::Encoding;

inline bool isValidEncoding(uint8_t enc) { return enc <= Encoding::Utf8; }

// Length of the string terminator of an encoding (2 for the UTF-16 forms, else 1).
inline size_t terminatorSize(uint8_t enc) { return (enc == Encoding::Utf16 || enc == Encoding::Utf16Be) ? 2 : 1; }

// Offset of the terminator of the string that starts at from (UTF-16 terminators are searched
// on even distances from from); npos when the string runs to the end of bytes.
size_t findTerminator(uint8_t enc, std::string_view bytes, size_t from = 0);

// Decodes one string (no terminator) of the given encoding to UTF-8. UTF-16 with BOM takes its
// byte order from the BOM (little-endian when it has none). Malformed input never fails: an odd
// last byte is dropped, unpaired surrogates and invalid UTF-8 become U+FFFD.
std::string decodeString(uint8_t enc, std::string_view bytes);

// Decodes a run of terminated strings (as a text frame holds them) into UTF-8 joined by '\0';
// a terminator at the very end is not a separator.
std::string decodeStringList(uint8_t enc, std::string_view bytes);

// Encodes UTF-8 text (which may hold '\0' separators) in an encoding; UTF-16 with BOM puts a
// little-endian BOM in front of every string. No terminator is appended.
std::string encodeString(uint8_t enc, std::string_view utf8);
// The terminator bytes of an encoding.
std::string terminator(uint8_t enc);

// True when every character of the UTF-8 text lies in ISO-8859-1.
bool fitsLatin1(std::string_view utf8);
// The encoding text is written with: ISO-8859-1 when it fits, else UTF-16 with BOM in a
// version 2.3 tag and UTF-8 in a version 2.4 tag.
uint8_t chooseEncoding(std::string_view utf8, int version);

// ISO-8859-1 bytes as UTF-8.
std::string latin1ToUtf8Text(std::string_view latin1);
// A URL for a frame without encoding byte: ISO-8859-1 where possible, other characters
// percent-encoded as their UTF-8 bytes.
std::string urlToLatin1(std::string_view utf8);

// Synchsafe integers: 7 bits per byte, most significant first.
uint32_t readSynchsafe(const unsigned char* p, size_t count = 4);
std::string writeSynchsafe(uint32_t value, size_t count = 4);
uint32_t readBigEndian(const unsigned char* p, size_t count);
std::string writeBigEndian(uint32_t value, size_t count);
// The largest value a four-byte synchsafe integer holds.
inline constexpr uint32_t kMaxSynchsafe = (1u << 28) - 1;

// Undoes unsynchronisation: every 0xFF 0x00 becomes 0xFF.
std::string removeUnsynchronisation(std::string_view bytes);

// Inflates a zlib stream (a compressed frame). False when the stream is damaged, cut short, or
// would inflate to more than limit bytes; out then holds nothing useful.
bool inflate(std::string_view compressed, size_t limit, std::string& out);
// The most a compressed frame is inflated to: larger frames read as unreadable.
inline constexpr size_t kMaxInflatedFrame = size_t{64} << 20;

// Four (or, for version 2.2, three) characters A-Z and 0-9.
bool isValidFrameId(std::string_view id);

}  // namespace vorda::tags::id3v2
