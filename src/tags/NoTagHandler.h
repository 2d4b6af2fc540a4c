// SPDX-License-Identifier: GPL-2.0-or-later

// The null tag handler, for files of types that carry no tags Vorda knows.
#pragma once

#include "tags/TagHandler.h"

namespace vorda::tags {

class NoTagHandler final : public TagHandler {
public:
    bool hasTag(int) const override { return false; }
    std::string tagType() const override { return {}; }
    bool tagRead(AudioFile&) override { return false; }
    int tagWrite() override { return 0; }
    long tagSize() const override { return 0; }
    long tagPosition() const override { return 0; }
    void setTagPosition(long) override {}
    std::string getValue(int, const std::string& = std::string()) override { return {}; }
    bool setValue(int, const std::string&, const std::string& = std::string()) override { return false; }
    int removeJunk() override { return 0; }
    void reset() override {}
    void add(int) override {}
    void remove(int) override {}
    // Without tags there is nothing the options steer.
    void setOptions(const TagOptions&) override {}
};

}  // namespace vorda::tags
