// SPDX-License-Identifier: GPL-2.0-or-later

// Tag bytes built by hand, apart from the writers under test: ID3v2 frames and headers and
// Lyrics3 blocks, as the tests and the awkward files put them into files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tagbytes {

inline std::string bigEndian(uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// Four bytes of seven bits each.
inline std::string synchsafe(uint32_t value) {
    std::string out;
    for (int shift = 21; shift >= 0; shift -= 7) out += static_cast<char>((value >> shift) & 0x7F);
    return out;
}

// A frame of an ID3v2 tag of the version: 2.2 has three-byte sizes and no flags, 2.4 synchsafe
// sizes unless plainSize asks for the plain ones some writers put there.
inline std::string frameBytes(int version, const std::string& id, const std::string& payload, uint8_t status = 0,
                              uint8_t format = 0, bool plainSize = false) {
    const auto n = static_cast<uint32_t>(payload.size());
    if (version == 2) return id + bigEndian(n, 3) + payload;
    return id + (version == 4 && !plainSize ? synchsafe(n) : bigEndian(n, 4)) + static_cast<char>(status) +
           static_cast<char>(format) + payload;
}

// An ID3v2 header of the version and flags, the body, then padding zero bytes.
inline std::string tagBytes(int version, const std::string& body, uint8_t flags = 0, size_t padding = 0) {
    return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
           synchsafe(static_cast<uint32_t>(body.size() + padding)) + body + std::string(padding, '\0');
}

// A Lyrics3 v2 field: identifier, five digits of size, the data.
inline std::string lyrics3Field(const std::string& id, const std::string& data) {
    const std::string size = std::to_string(data.size());
    return id + std::string(5 - size.size(), '0') + size + data;
}

// A Lyrics3 v2 block around the fields, with its six digits of size.
inline std::string lyrics3Block(const std::string& fields) {
    const std::string body = "LYRICSBEGIN" + fields;
    const std::string size = std::to_string(body.size());
    return body + std::string(6 - size.size(), '0') + size + "LYRICS200";
}

}  // namespace tagbytes
