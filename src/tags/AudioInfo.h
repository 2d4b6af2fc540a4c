// SPDX-License-Identifier: GPL-2.0-or-later

// The audio-information interface.
#pragma once

#include <string>

namespace vorda::tags {

// The audio values a reader gives (the numbers index kAudioInfoNames).
enum class AudioKey : int {
    Version = 0,
    BitRate = 1,
    ChannelMode = 2,
    Copyright = 3,
    Crc = 4,
    Duration = 5,
    Emphasis = 6,
    Vbr = 7,
    Layer = 8,
    Original = 9,
    Private = 10,
    SampleRate = 11
};
inline constexpr int kAudioInfoCount = 12;
extern const char* const kAudioInfoNames[kAudioInfoCount];

class AudioInfo {
public:
    virtual ~AudioInfo() = default;

    virtual bool readInfo(const std::string& path, long startPosition) = 0;
    // Decimal text; booleans as "-1"/"0"; empty for a key outside the known ones.
    virtual std::string getInfo(AudioKey key) const = 0;
    virtual void reset() = 0;
    virtual long startPos() const = 0;
    virtual bool setPosition(long position) = 0;
    virtual bool isValid() const = 0;
    // "MPEG" for the MPEG reader, empty for the null reader.
    virtual std::string audioType() const = 0;
};

}  // namespace vorda::tags
