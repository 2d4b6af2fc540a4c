// SPDX-License-Identifier: GPL-2.0-or-later

// The audio-information interface.
#pragma once

#include <string>

namespace vorda::tags {

enum AudioKey : int {
    aiVersion = 0,
    aiBitRate = 1,
    aiChannelMode = 2,
    aiCopyright = 3,
    aiCRC = 4,
    aiDuration = 5,
    aiEmphasis = 6,
    aiVBR = 7,
    aiLayer = 8,
    aiOriginal = 9,
    aiPrivate = 10,
    aiSampleRate = 11
};
inline constexpr int kAudioInfoCount = 12;
extern const char* const kAudioInfoNames[kAudioInfoCount];

class AudioInfo {
public:
    virtual ~AudioInfo() = default;

    virtual bool readInfo(const std::string& path, long startPosition) = 0;
    // Decimal text; booleans as "-1"/"0"; empty for an index outside 0..11.
    virtual std::string getInfo(int index) const = 0;
    virtual void reset() = 0;
    virtual long startPos() const = 0;
    virtual bool setPosition(long position) = 0;
    virtual bool isValid() const = 0;
    // "MPEG" for the MPEG reader, empty for the null reader.
    virtual std::string audioType() const = 0;
};

}  // namespace vorda::tags
