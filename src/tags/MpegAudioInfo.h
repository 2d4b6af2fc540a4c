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
    bool ReadInfo(FileBytes& bytes, long startPosition);
    std::string getInfo(AudioKey key) const override;
    void reset() override;
    long startPos() const override { return Position_; }
    // Sets the 0-based offset of the first frame (after the audio moved); reports false.
    bool setPosition(long position) override;
    bool isValid() const override { return IsValid_; }
    std::string audioType() const override { return "MPEG"; }

    // The fields one by one.
    long position() const { return Position_; }
    long bitRate() const { return BitRate_; }
    long sampleRate() const { return SampleRate_; }
    const std::string& channelMode() const { return ChannelMode_; }
    float mpegVersion() const { return MPEGversion_; }
    long layerVersion() const { return LayerVersion_; }
    long padding() const { return Padding_; }
    bool privat() const { return Privat_; }
    bool copyright() const { return Copyright_; }
    bool crc() const { return CRC_; }
    bool original() const { return Original_; }
    const std::string& emphasis() const { return Emphasis_; }
    bool isVbr() const { return IsVBR_; }
    long duration() const { return Duration_; }

    // Where the audio ends: the file length less the ID3v1, Lyrics3 (v1 and v2), APE
    // and appended ID3v2 tags at its end, as found by the last readInfo.
    int64_t audioEnd() const { return AudioEnd_; }

private:
    long Position_ = 0;
    long BitRate_ = 0;
    long SampleRate_ = 0;
    std::string ChannelMode_;
    float MPEGversion_ = 0;
    long LayerVersion_ = 0;
    long Padding_ = 0;
    bool Privat_ = false;
    bool Copyright_ = false;
    bool CRC_ = false;
    bool Original_ = false;
    std::string Emphasis_;
    bool IsValid_ = false;
    bool IsVBR_ = false;
    long Duration_ = 0;
    int64_t AudioEnd_ = 0;
};

}  // namespace vorda::tags
