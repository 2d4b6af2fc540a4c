// SPDX-License-Identifier: GPL-2.0-or-later

// The null audio reader, for files that are not MPEG audio.
#pragma once

#include "tags/AudioInfo.h"

namespace vorda::tags {

class NoAudioInfo final : public AudioInfo {
public:
    bool readInfo(const std::string&, long) override { return false; }
    std::string getInfo(AudioKey) const override { return {}; }
    void reset() override {}
    long startPos() const override { return 0; }
    bool setPosition(long) override { return false; }
    bool isValid() const override { return false; }
    std::string audioType() const override { return {}; }
};

}  // namespace vorda::tags
