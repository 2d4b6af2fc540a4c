// SPDX-License-Identifier: GPL-2.0-or-later

// The MPEG audio reader. It works on the file's head and tail buffers: the frame search
// looks at the head from the start position on, grown only as far as needed (at most the
// search limit and one frame), and the trailing tags are found in the tail.
#include "tags/MpegAudioInfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/Text.h"
#include "tags/FileBytes.h"
#include "tags/MpegFrameHeader.h"

namespace vorda::tags {

namespace {

// The longest frame of any version and layer (MPEG-2 layer 2, 160 kbit/s, 8000 Hz, padded).
constexpr int64_t kMaxFrameLength = 2881;
// How far the frame search asks the head to reach beyond where it looks (the head grows in
// larger steps by itself).
constexpr int64_t kFirstChunk = 1024;
// A Lyrics3 v1 block holds at most 5100 bytes of lyrics between its markers.
constexpr int64_t kLyrics3v1Max = 5100 + 11 + 9;

uint32_t bigEndian32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

uint32_t littleEndian32(const uint8_t* p) {
    return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | uint32_t(p[0]);
}

// Reads through the file's buffers at given offsets.
class InputFile {
public:
    explicit InputFile(FileBytes& bytes) : bytes_(bytes) {}

    int64_t size() const { return bytes_.size(); }
    FileBytes& bytes() { return bytes_; }

    // Copies exactly n bytes at offset; false when they are not all there.
    bool readAt(int64_t offset, void* buffer, size_t n) {
        const uint8_t* p = bytes_.bytes(offset, n);
        if (!p) return false;
        std::memcpy(buffer, p, n);
        return true;
    }

    bool hasText(int64_t offset, const char* text) { return bytes_.hasText(offset, text); }

private:
    FileBytes& bytes_;
};

// The bytes of the file as far as they are asked for, never past limit. They come from the
// head buffer of the file, which grows as needed.
class Window {
public:
    Window(InputFile& file, int64_t limit) : bytes_(file.bytes()), limit_(std::min(limit, file.size())) {}

    // Makes the bytes up to end available; false when end lies past the limit.
    bool ensure(int64_t end) {
        if (end <= loaded()) return true;
        if (end > limit_) return false;
        return bytes_.head(end);
    }
    int64_t loaded() const { return std::min(bytes_.headLength(), limit_); }
    const uint8_t* at(int64_t offset) const { return bytes_.headData() + offset; }

private:
    FileBytes& bytes_;
    int64_t limit_;
};

// Skips ID3v2 tags that begin at pos (or, the caller having pointed at the last byte
// of a tag, at pos + 1); answers where the audio may begin.
int64_t skipLeadingId3v2(InputFile& file, int64_t pos) {
    for (int round = 0; round < 16; ++round) {
        bool skipped = false;
        for (int64_t at : {pos, pos + 1}) {
            uint8_t h[10];
            if (!file.readAt(at, h, sizeof h)) continue;
            if (std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF) continue;
            if ((h[6] | h[7] | h[8] | h[9]) & 0x80) continue;
            const int64_t body = (int64_t(h[6]) << 21) | (int64_t(h[7]) << 14) | (int64_t(h[8]) << 7) | h[9];
            const int64_t footer = (h[3] >= 4 && (h[5] & 0x10)) ? 10 : 0;
            pos = at + 10 + body + footer;
            skipped = true;
            break;
        }
        if (!skipped) break;
    }
    return pos;
}

// Where the tags appended to the audio begin: ID3v1, Lyrics3 v2 and v1, APE (v1 and
// v2) and an ID3v2 tag with a footer, in any order and nesting.
int64_t trailingTagsStart(InputFile& file) {
    int64_t end = file.size();
    for (int round = 0; round < 16; ++round) {
        if (end >= 128 && file.hasText(end - 128, "TAG")) {
            end -= 128;
            continue;
        }
        uint8_t ape[32];
        if (end >= 32 && file.readAt(end - 32, ape, sizeof ape) && std::memcmp(ape, "APETAGEX", 8) == 0) {
            // The size counts the items and the footer; a header is flagged in bit 31.
            const int64_t total =
                int64_t(littleEndian32(ape + 12)) + ((littleEndian32(ape + 20) & 0x80000000u) ? 32 : 0);
            if (total >= 32 && total <= end) {
                end -= total;
                continue;
            }
        }
        char ly[15];
        if (end >= 15 && file.readAt(end - 15, ly, sizeof ly) && std::memcmp(ly + 6, "LYRICS200", 9) == 0 &&
            base::isAllDigits(std::string_view(ly, 6))) {
            const int64_t total = std::stoll(std::string(ly, 6)) + 15;
            if (total <= end && file.hasText(end - total, "LYRICSBEGIN")) {
                end -= total;
                continue;
            }
        }
        if (end >= 20 && file.hasText(end - 9, "LYRICSEND")) {
            const int64_t from = std::max<int64_t>(0, end - kLyrics3v1Max);
            std::vector<char> block(size_t(end - 9 - from));
            if (file.readAt(from, block.data(), block.size())) {
                static const char kBegin[] = "LYRICSBEGIN";
                auto it = std::find_end(block.begin(), block.end(), kBegin, kBegin + 11);
                if (it != block.end()) {
                    end = from + (it - block.begin());
                    continue;
                }
            }
        }
        uint8_t f[10];
        if (end >= 20 && file.readAt(end - 10, f, sizeof f) && std::memcmp(f, "3DI", 3) == 0 &&
            !((f[6] | f[7] | f[8] | f[9]) & 0x80)) {
            const int64_t total = ((int64_t(f[6]) << 21) | (int64_t(f[7]) << 14) | (int64_t(f[8]) << 7) | f[9]) + 20;
            if (total <= end) {
                end -= total;
                continue;
            }
        }
        break;
    }
    return end;
}

// The first frame at or after start: a valid header whose successor, where the
// audio is long enough to hold one, is a header of the same stream. -1 when none
// begins within the search limit.
int64_t findFirstFrame(Window& window, int64_t start, int64_t audioEnd, MpegFrameHeader& header) {
    const int64_t last = std::min(start + MpegAudioInfo::kSearchLimit - 1, audioEnd - 4);
    int64_t p = start;
    while (p <= last) {
        if (p + 4 > window.loaded() && !window.ensure(std::min(p + 4 + kFirstChunk, last + 4))) return -1;
        // Only a 0xFF byte can begin a header.
        const int64_t scanEnd = std::min(window.loaded() - 3, last + 1);
        const void* hit = std::memchr(window.at(p), 0xFF, size_t(scanEnd - p));
        if (!hit) {
            p = scanEnd;
            continue;
        }
        const int64_t at = p + (static_cast<const uint8_t*>(hit) - window.at(p));
        p = at + 1;
        MpegFrameHeader h;
        if (!MpegFrameHeader::parse(window.at(at), h)) continue;
        const int64_t next = at + h.frameLength();
        if (next + 4 <= audioEnd) {
            MpegFrameHeader n;
            if (!window.ensure(next + 4) || !MpegFrameHeader::parse(window.at(next), n) || !h.sameStream(n)) continue;
        }
        header = h;
        return at;
    }
    return -1;
}

}  // namespace

bool MpegAudioInfo::readInfo(const std::string& path, long startPosition) {
    FileBytes bytes;
    if (!bytes.open(path)) {
        reset();
        return false;
    }
    return readInfo(bytes, startPosition);
}

bool MpegAudioInfo::readInfo(FileBytes& bytes, long startPosition) {
    reset();
    if (!bytes.isOpen()) return false;
    InputFile file(bytes);
    const int64_t size = file.size();

    // The 1-based start position, at least 1, as a 0-based offset.
    int64_t start = int64_t(std::max(startPosition, 1L)) - 1;
    if (start >= size) return false;
    start = skipLeadingId3v2(file, start);
    if (start + 4 > size) return false;

    audioEnd_ = trailingTagsStart(file);
    if (audioEnd_ < start + 4) audioEnd_ = size;

    Window window(file, start + kSearchLimit + kMaxFrameLength + 4);
    MpegFrameHeader h;
    const int64_t frame = findFirstFrame(window, start, audioEnd_, h);
    if (frame < 0) return false;

    isValid_ = true;
    position_ = long(frame);
    mpegVersion_ = h.version;
    layerVersion_ = h.layer;
    sampleRate_ = h.sampleRate;
    bitRate_ = h.bitRate;
    crc_ = h.crc;
    padding_ = h.padding;
    privateBit_ = h.privateBit;
    channelMode_ = h.channelModeText();
    copyright_ = h.copyright;
    original_ = h.original;
    emphasis_ = h.emphasisText();

    // A Xing or Info header behind the side information of the first layer 3 frame,
    // or a VBRI header 32 bytes behind the frame header.
    enum class VbrHeader { None, Xing, Info, VBRI } kind = VbrHeader::None;
    int64_t frames = -1;
    int64_t streamBytes = -1;
    if (h.layer == 3) {
        // Encoders put the header right behind the side information; with a CRC, some
        // count its two bytes and some (LAME among them) do not.
        const auto isXingAt = [&](int64_t at) {
            return window.ensure(at + 8) &&
                   (std::memcmp(window.at(at), "Xing", 4) == 0 || std::memcmp(window.at(at), "Info", 4) == 0);
        };
        int64_t x = frame + 4 + h.sideInfoSize();
        if (!isXingAt(x) && h.crc && isXingAt(x + 2)) x += 2;
        if (isXingAt(x)) {
            kind = std::memcmp(window.at(x), "Info", 4) == 0 ? VbrHeader::Info : VbrHeader::Xing;
            const uint32_t flags = bigEndian32(window.at(x + 4));
            int64_t field = x + 8;
            if (flags & 0x1) {
                if (window.ensure(field + 4)) frames = bigEndian32(window.at(field));
                field += 4;
            }
            if ((flags & 0x2) && window.ensure(field + 4)) streamBytes = bigEndian32(window.at(field));
        } else {
            const int64_t v = frame + 36;
            if (window.ensure(v + 18) && std::memcmp(window.at(v), "VBRI", 4) == 0) {
                kind = VbrHeader::VBRI;
                streamBytes = bigEndian32(window.at(v + 10));
                frames = bigEndian32(window.at(v + 14));
            }
        }
    }
    // "Info" is what encoders write into a constant-bit-rate stream.
    isVbr_ = kind == VbrHeader::Xing || kind == VbrHeader::VBRI;

    const int64_t audioBytes = audioEnd_ - frame;
    if (frames > 0 && sampleRate_ > 0) {
        const double seconds = double(frames) * double(h.samplesPerFrame()) / double(sampleRate_);
        duration_ = long(seconds);
        if (isVbr_) {
            // The byte count of a Xing header includes its own frame, the frame count does not.
            const int64_t own = kind == VbrHeader::Xing ? h.frameLength() : 0;
            const int64_t bytes = (streamBytes > own ? streamBytes : audioBytes) - own;
            bitRate_ = long(std::llround(double(std::max<int64_t>(bytes, 0)) * 8.0 / seconds));
        }
    } else if (bitRate_ > 0) {
        // Constant bit rate (or a Xing header without a frame count): the audio bytes
        // at the header's bit rate.
        duration_ = long(audioBytes * 8 / bitRate_);
    }
    return true;
}

std::string MpegAudioInfo::getInfo(AudioKey key) const {
    auto flag = [](bool b) { return std::string(b ? "-1" : "0"); };
    switch (key) {
    case AudioKey::Version:
        if (mpegVersion_ == std::floor(mpegVersion_)) return std::to_string(long(mpegVersion_));
        return mpegVersion_ == 2.5f ? std::string("2.5") : std::to_string(mpegVersion_);
    case AudioKey::BitRate: return std::to_string(bitRate_);
    case AudioKey::ChannelMode: return channelMode_;
    case AudioKey::Copyright: return flag(copyright_);
    case AudioKey::Crc: return flag(crc_);
    case AudioKey::Duration: return std::to_string(duration_);
    case AudioKey::Emphasis: return emphasis_;
    case AudioKey::Vbr: return flag(isVbr_);
    case AudioKey::Layer: return std::to_string(layerVersion_);
    case AudioKey::Original: return flag(original_);
    case AudioKey::Private: return flag(privateBit_);
    case AudioKey::SampleRate: return std::to_string(sampleRate_);
    default: return {};
    }
}

void MpegAudioInfo::reset() { *this = MpegAudioInfo(); }

bool MpegAudioInfo::setPosition(long position) {
    position_ = position;
    return false;
}

}  // namespace vorda::tags
