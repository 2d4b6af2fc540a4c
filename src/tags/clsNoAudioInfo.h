// The null audio reader, for files that are not MPEG audio.
#pragma once

#include "tags/clsAudio.h"

namespace vorda {

class clsNoAudioInfo final : public clsAudio {
public:
    bool ReadInfo(const std::string&, long) override { return false; }
    std::string GetInfo(int) const override { return {}; }
    void Reset() override {}
    long StartPos() const override { return 0; }
    bool SetPosition(long) override { return false; }
    bool IsValid() const override { return false; }
    std::string AudioType() const override { return {}; }
};

}  // namespace vorda
