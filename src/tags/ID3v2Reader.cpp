#include "tags/ID3v2Reader.h"

#include <algorithm>
#include <cstdint>

#include "tags/FileBytes.h"
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

bool FindID3v2Bytes(FileBytes& file, std::string_view& tag, long& offset) {
    tag = {};
    offset = -1;
    const int64_t length = file.Size();
    if (length < 10) return false;
    const std::string_view head = file.Text(0, static_cast<size_t>(std::min<int64_t>(length, kID3v2SearchRange + 9)));
    const long found = FindID3v2Header(head);
    if (found < 0) return false;
    const auto* h = reinterpret_cast<const unsigned char*>(head.data() + found);
    uint64_t total = 10 + static_cast<uint64_t>(id3v2::ReadSynchsafe(h + 6));
    if (h[3] == 4 && (h[5] & 0x10)) total += 10;  // footer
    const auto available = static_cast<uint64_t>(length - found);
    if (total > available) total = available;
    tag = file.Text(found, static_cast<size_t>(total));
    if (tag.size() < 10) return false;
    offset = found;
    return true;
}

bool ReadID3v2Bytes(const std::string& path, std::string& tag, long& offset) {
    tag.clear();
    FileBytes file;
    std::string_view view;
    if (!file.Open(path) || !FindID3v2Bytes(file, view, offset)) return false;
    tag.assign(view);
    return true;
}

}  // namespace vorda
