// SPDX-License-Identifier: GPL-2.0-or-later

#include "tags/Id3v2Reader.h"

#include <algorithm>
#include <cstdint>

#include "tags/FileBytes.h"
#include "tags/Id3v2Text.h"
#include "tags/MpegFrameHeader.h"

namespace vorda::tags {

namespace {

// The longest MPEG audio frame (MPEG-2 layer 2, 160 kbit/s, 8000 Hz, padded) and a header behind
// it: how far past a candidate frame the search looks for its successor.
constexpr int64_t kFrameLookahead = 2881 + 4;

enum class HeadScan { Tag, Audio, None, NeedMore };

// Walks head from its first byte to the first ID3v2 header or the first MPEG audio frame,
// whichever comes first. complete: head ends where the file ends, or reaches far enough past the
// search range to decide every candidate in it.
HeadScan scanHead(std::string_view head, bool complete, long& found) {
    const auto* b = reinterpret_cast<const uint8_t*>(head.data());
    const size_t size = head.size();
    const size_t reach = std::min(size, static_cast<size_t>(kID3v2SearchRange));
    for (size_t i = 0; i < reach; ++i) {
        if (b[i] == 'I') {
            if (i + 10 > size) {
                if (!complete) return HeadScan::NeedMore;
                continue;
            }
            if (isValidID3v2Header(head.substr(i, 10))) {
                found = static_cast<long>(i);
                return HeadScan::Tag;
            }
        } else if (b[i] == 0xFF) {
            MpegFrameHeader h;
            if (i + 4 > size) {
                if (!complete) return HeadScan::NeedMore;
                continue;
            }
            if (!MpegFrameHeader::parse(b + i, h)) continue;
            // A lone header is audio only when its successor lies past the end of the file.
            const size_t next = i + static_cast<size_t>(h.frameLength());
            if (next + 4 > size) {
                if (!complete) return HeadScan::NeedMore;
                return HeadScan::Audio;
            }
            MpegFrameHeader n;
            if (MpegFrameHeader::parse(b + next, n) && h.sameStream(n)) return HeadScan::Audio;
        }
    }
    return complete || size >= static_cast<size_t>(kID3v2SearchRange) ? HeadScan::None : HeadScan::NeedMore;
}

}  // namespace

bool isValidID3v2Header(std::string_view header) {
    if (!looksLikeID3v2Header(header) || header.size() < 10) return false;
    const auto* b = reinterpret_cast<const unsigned char*>(header.data());
    return ((b[6] | b[7] | b[8] | b[9]) & 0x80) == 0;
}

bool looksLikeID3v2Header(std::string_view header) {
    if (header.size() < 5 || header.substr(0, 3) != "ID3") return false;
    const auto* b = reinterpret_cast<const unsigned char*>(header.data());
    return b[3] >= 2 && b[3] <= 4 && b[4] != 0xFF;
}

long findID3v2Header(std::string_view head) {
    long found = -1;
    return scanHead(head, true, found) == HeadScan::Tag ? found : -1;
}

bool findID3v2Bytes(FileBytes& file, std::string_view& tag, long& offset) {
    tag = {};
    offset = -1;
    const int64_t length = file.size();
    if (length < 10) return false;
    // Most files begin with their tag or their audio, which the first read of the head decides;
    // only junk in front makes the search read as far as its range.
    long found = -1;
    const int64_t first = std::min<int64_t>(length, static_cast<int64_t>(FileBytes::kHeadChunk));
    HeadScan scan = scanHead(file.text(0, static_cast<size_t>(first)), first == length, found);
    if (scan == HeadScan::NeedMore) {
        const int64_t whole = std::min<int64_t>(length, kID3v2SearchRange + kFrameLookahead);
        const std::string_view head = file.text(0, static_cast<size_t>(whole));
        if (head.size() != static_cast<size_t>(whole)) return false;
        scan = scanHead(head, true, found);
    }
    if (scan != HeadScan::Tag) return false;
    const auto* h = file.bytes(found, 10);
    if (h == nullptr) return false;
    uint64_t total = 10 + static_cast<uint64_t>(id3v2::readSynchsafe(h + 6));
    if (h[3] == 4 && (h[5] & 0x10)) total += 10;  // footer
    const auto available = static_cast<uint64_t>(length - found);
    if (total > available) total = available;
    tag = file.text(found, static_cast<size_t>(total));
    if (tag.size() < 10) return false;
    offset = found;
    return true;
}

bool readID3v2Bytes(const std::string& path, std::string& tag, long& offset) {
    tag.clear();
    FileBytes file;
    std::string_view view;
    if (!file.open(path) || !findID3v2Bytes(file, view, offset)) return false;
    tag.assign(view);
    return true;
}

}  // namespace vorda::tags
