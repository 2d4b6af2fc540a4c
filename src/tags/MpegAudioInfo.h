// SPDX-License-Identifier: GPL-2.0-or-later

// The audio-information reader for MPEG audio files (mp3, mp2): finds the first
// frame, decodes its header, detects a Xing/Info or VBRI header and derives the
// bit rate and the playing time.
#pragma once

#include <cstdint>
#include <string>

#include "tags/AudioInfo.h"

namespace vorda::tags {

class FileBytes;

class MpegAudioInfo final : public AudioInfo {
public:
    // How far past the start position a first frame is looked for.
    static constexpr long kSearchLimit = 102400;

    // startPosition: 1-based position where the search begins, the audio being expected
    // right behind it; what the file object passes (tag position + tag size - 1, so -1
    // without a leading tag) and a 0-based audio offset both work. An ID3v2 tag found
    // where the search begins is skipped.
    bool readInfo(const std::string& path, long startPosition) override;
    // The same on a file already open (the file object reads tags and audio information
    // through one set of buffers).
    bool readInfo(FileBytes& bytes, long startPosition);
    std::string getInfo(AudioKey key) const override;
    void reset() override;
    long startPos() const override { return position_; }
    // Sets the 0-based offset of the first frame (after the audio moved); reports false.
    bool setPosition(long position) override;
    bool isValid() const override { return isValid_; }
    std::string audioType() const override { return "MPEG"; }

    // The fields one by one.
    long position() const { return position_; }
    long bitRate() const { return bitRate_; }
    long sampleRate() const { return sampleRate_; }
    const std::string& channelMode() const { return channelMode_; }
    float mpegVersion() const { return mpegVersion_; }
    long layerVersion() const { return layerVersion_; }
    long padding() const { return padding_; }
    bool privat() const { return privateBit_; }
    bool copyright() const { return copyright_; }
    bool crc() const { return crc_; }
    bool original() const { return original_; }
    const std::string& emphasis() const { return emphasis_; }
    bool isVbr() const { return isVbr_; }
    long duration() const { return duration_; }

    // Where the audio ends: the file length less the ID3v1, Lyrics3 (v1 and v2), APE
    // and appended ID3v2 tags at its end, as found by the last readInfo.
    int64_t audioEnd() const { return audioEnd_; }

private:
    long position_ = 0;
    long bitRate_ = 0;
    long sampleRate_ = 0;
    std::string channelMode_;
    float mpegVersion_ = 0;
    long layerVersion_ = 0;
    long padding_ = 0;
    bool privateBit_ = false;
    bool copyright_ = false;
    bool crc_ = false;
    bool original_ = false;
    std::string emphasis_;
    bool isValid_ = false;
    bool isVbr_ = false;
    long duration_ = 0;
    int64_t audioEnd_ = 0;
};

}  // namespace vorda::tags
