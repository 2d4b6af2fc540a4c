// SPDX-License-Identifier: GPL-2.0-or-later

// Decoding of one 4-byte MPEG audio frame header (ISO/IEC 11172-3 and 13818-3).
#include "tags/MpegFrameHeader.h"

namespace vorda::tags {

namespace {

// kbit/s by bit-rate index 0..15 (0 is free format, 15 is invalid; both are refused).
constexpr int kBitRatesV1[3][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},  // layer 1
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},     // layer 2
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},      // layer 3
};
// Versions 2 and 2.5.
constexpr int kBitRatesV2[3][16] = {
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},  // layer 1
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},       // layer 2
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},       // layer 3
};
// Hz by sample-rate index, for the version codes 0 (2.5), 2 (2) and 3 (1).
constexpr long kSampleRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

}  // namespace

bool MpegFrameHeader::isValidHeader(const uint8_t* b) {
    if (b[0] != 0xFF || b[1] < 0xE0) return false;
    if ((b[1] & 0x18) == 0x08) return false;  // reserved version
    if ((b[1] & 0x06) == 0x00) return false;  // reserved layer
    const int bitRateIndex = b[2] >> 4;
    if (bitRateIndex == 0 || bitRateIndex == 15) return false;
    if ((b[2] & 0x0C) == 0x0C) return false;  // reserved sample rate
    if ((b[3] & 0x03) == 0x02) return false;  // reserved emphasis
    return true;
}

bool MpegFrameHeader::parse(const uint8_t* b, MpegFrameHeader& h) {
    if (!isValidHeader(b)) return false;
    MpegFrameHeader r;
    r.versionBits = (b[1] >> 3) & 0x03;
    r.version = r.versionBits == 3 ? 1.0f : (r.versionBits == 2 ? 2.0f : 2.5f);
    r.layer = 4 - ((b[1] >> 1) & 0x03);
    r.crc = (b[1] & 0x01) == 0;
    r.bitRateIndex = b[2] >> 4;
    const auto& table = r.versionBits == 3 ? kBitRatesV1 : kBitRatesV2;
    r.bitRate = static_cast<long>(table[r.layer - 1][r.bitRateIndex]) * 1000;
    r.sampleRateIndex = (b[2] >> 2) & 0x03;
    r.sampleRate = kSampleRates[r.versionBits][r.sampleRateIndex];
    r.padding = (b[2] >> 1) & 0x01;
    r.privateBit = (b[2] & 0x01) != 0;
    r.channelMode = b[3] >> 6;
    r.copyright = (b[3] & 0x08) != 0;
    r.original = (b[3] & 0x04) != 0;
    r.emphasis = b[3] & 0x03;
    h = r;
    return true;
}

long MpegFrameHeader::frameLength() const {
    if (sampleRate <= 0) return 0;
    if (layer == 1) return (12 * bitRate / sampleRate + padding) * 4;
    if (layer == 3 && versionBits != 3) return 72 * bitRate / sampleRate + padding;
    return 144 * bitRate / sampleRate + padding;
}

long MpegFrameHeader::samplesPerFrame() const {
    if (layer == 1) return 384;
    if (layer == 3 && versionBits != 3) return 576;
    return 1152;
}

long MpegFrameHeader::sideInfoSize() const {
    const bool mono = channelMode == 3;
    if (versionBits == 3) return mono ? 17 : 32;
    return mono ? 9 : 17;
}

bool MpegFrameHeader::sameStream(const MpegFrameHeader& other) const {
    return versionBits == other.versionBits && layer == other.layer && sampleRateIndex == other.sampleRateIndex;
}

const char* MpegFrameHeader::channelModeText() const {
    static const char* const kModes[4] = {"Stereo", "JStereo", "DStereo", "Mono"};
    return kModes[channelMode & 0x03];
}

const char* MpegFrameHeader::emphasisText() const {
    static const char* const kEmphasis[4] = {"None", "50/15 micros", "?", "CCIT J.17"};
    return kEmphasis[emphasis & 0x03];
}

}  // namespace vorda::tags
