#include "tags/ID3v2Reader.h"

#include <algorithm>
#include <cstdint>
#include <fstream>

#include "tags/ID3v2Text.h"

namespace vorda {

bool IsValidID3v2Header(std::string_view header) {
    if (header.size() < 10 || header.substr(0, 3) != "ID3") return false;
    const auto* b = reinterpret_cast<const unsigned char*>(header.data());
    if (b[3] < 2 || b[3] > 4 || b[4] == 0xFF) return false;
    return ((b[6] | b[7] | b[8] | b[9]) & 0x80) == 0;
}

long FindID3v2Header(std::string_view head) {
    for (size_t i = 0; i < static_cast<size_t>(kID3v2SearchRange) && i + 10 <= head.size(); ++i) {
        i = head.find("ID3", i);
        if (i == std::string_view::npos || i >= static_cast<size_t>(kID3v2SearchRange)) break;
        if (IsValidID3v2Header(head.substr(i, 10))) return static_cast<long>(i);
    }
    return -1;
}

bool ReadID3v2Bytes(const std::string& path, std::string& tag, long& offset) {
    tag.clear();
    offset = -1;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    if (length < 10) return false;
    in.seekg(0);
    std::string head(static_cast<size_t>(std::min<std::streamoff>(length, kID3v2SearchRange + 9)), '\0');
    if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) return false;
    const long found = FindID3v2Header(head);
    if (found < 0) return false;
    const auto* h = reinterpret_cast<const unsigned char*>(head.data() + found);
    uint64_t total = 10 + static_cast<uint64_t>(id3v2::ReadSynchsafe(h + 6));
    if (h[3] == 4 && (h[5] & 0x10)) total += 10;  // footer
    const auto available = static_cast<uint64_t>(length - found);
    if (total > available) total = available;
    tag.assign(static_cast<size_t>(total), '\0');
    in.seekg(found);
    if (!in.read(tag.data(), static_cast<std::streamsize>(total))) {
        tag.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
        if (tag.size() < 10) return false;
    }
    offset = found;
    return true;
}

}  // namespace vorda
