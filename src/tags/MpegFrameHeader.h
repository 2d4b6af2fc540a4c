// SPDX-License-Identifier: GPL-2.0-or-later

// Decoding of one 4-byte MPEG audio frame header, and the sizes derived from it.
#pragma once

#include <cstdint>

namespace vorda::tags {

struct MpegFrameHeader {
    // Version code of the header bits: 0 = 2.5, 2 = 2, 3 = 1 (1 is reserved).
    int versionBits = 0;
    float version = 0;  // 1, 2 or 2.5
    int layer = 0;      // 1, 2 or 3
    bool crc = false;   // protected by a CRC (protection bit 0)
    int bitRateIndex = 0;
    long bitRate = 0;  // bits per second
    int sampleRateIndex = 0;
    long sampleRate = 0;  // Hz
    int padding = 0;
    bool privateBit = false;
    int channelMode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    bool copyright = false;
    bool original = false;
    int emphasis = 0;  // 0 none, 1 50/15 microseconds, 3 CCITT J.17

    // True when the bytes form a valid header: frame sync, no reserved version,
    // layer, sample rate or emphasis, and neither the free-format nor the bad bit-rate index.
    static bool isValidHeader(const uint8_t* b);
    // Decodes b into h; false (h untouched) when the header is not valid.
    static bool parse(const uint8_t* b, MpegFrameHeader& h);

    // Bytes of the whole frame, header and padding included.
    long frameLength() const;
    // PCM samples per channel that one frame holds.
    long samplesPerFrame() const;
    // Bytes of layer 3 side information (what lies between the header, with its
    // CRC, and a Xing or Info header in the first frame).
    long sideInfoSize() const;
    // True when another header belongs to the same stream (version, layer, sample rate).
    bool sameStream(const MpegFrameHeader& other) const;

    const char* channelModeText() const;
    const char* emphasisText() const;
};

}  // namespace vorda::tags
