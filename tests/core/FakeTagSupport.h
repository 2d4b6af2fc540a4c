// SPDX-License-Identifier: GPL-2.0-or-later

// A tag handler and an audio reader that hold given values, for file objects whose tags and
// stream the test decides.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>

#include "tags/AudioFile.h"

namespace fakes {

class ValueTag : public vorda::tags::TagHandler {
public:
    explicit ValueTag(std::map<int, std::string> tagValues = {}, bool hasEveryKind = true)
        : values(std::move(tagValues)), everyKind(hasEveryKind) {}
    bool hasTag(int kind) const override { return everyKind || kinds.count(kind) != 0; }
    std::string tagType() const override { return "fake"; }
    bool tagRead(vorda::tags::AudioFile&) override { return true; }
    int tagWrite() override { return 0; }
    long tagSize() const override { return 0; }
    long tagPosition() const override { return 0; }
    void setTagPosition(long) override {}
    std::string getValue(int key, const std::string& = std::string()) override {
        const auto it = values.find(key);
        return it == values.end() ? std::string() : it->second;
    }
    bool setValue(int, const std::string&, const std::string& = std::string()) override { return false; }
    int removeJunk() override { return 0; }
    void reset() override {}
    void add(int) override {}
    void remove(int) override {}
    void setOptions(const vorda::tags::TagOptions&) override {}

    std::map<int, std::string> values;
    std::set<int> kinds;  // the kinds it holds unless everyKind
    bool everyKind;
};

class ValueAudio : public vorda::tags::AudioInfo {
public:
    explicit ValueAudio(std::map<vorda::tags::AudioKey, std::string> audioInfo = {}) : info(std::move(audioInfo)) {}
    bool readInfo(const std::string&, long) override { return true; }
    std::string getInfo(vorda::tags::AudioKey key) const override {
        const auto it = info.find(key);
        return it == info.end() ? std::string() : it->second;
    }
    void reset() override {}
    long startPos() const override { return 0; }
    bool setPosition(long) override { return true; }
    bool isValid() const override { return true; }
    std::string audioType() const override { return "MPEG"; }

    std::map<vorda::tags::AudioKey, std::string> info;
};

}  // namespace fakes
