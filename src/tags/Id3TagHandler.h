// SPDX-License-Identifier: GPL-2.0-or-later

// The tag handler of MPEG files: the ID3v1 tag with its Lyrics3 block at the end of the
// file and the ID3v2 tag at its start. It decides at each write which tags the file gets,
// whether the tags are written in place or the file is rebuilt, and how much padding the
// ID3v2 tag keeps; it also removes junk in front of the audio.
#pragma once

#include <cstdint>
#include <string>

#include "tags/GenreList.h"
#include "tags/Id3v1Tag.h"
#include "tags/Id3v2Tag.h"
#include "tags/TagHandler.h"

namespace vorda::tags {

class Id3TagHandler final : public TagHandler {
public:
    // Pending actions of a tag.
    enum class Action : int { Remove = -1, None = 0, Add = 1, Keep = 2 };

    Id3TagHandler();
    Id3TagHandler(const Id3TagHandler&) = delete;
    Id3TagHandler& operator=(const Id3TagHandler&) = delete;

    bool hasTag(int kind) const override;
    std::string tagType() const override;
    bool tagRead(AudioFile& file) override;
    int tagWrite() override;
    long tagSize() const override { return v2_.size(); }
    long tagPosition() const override { return v2_.position(); }
    void setTagPosition(long position) override { v2_.setPosition(position); }
    std::string getValue(int key, const std::string& param = std::string()) override;
    bool setValue(int key, const std::string& value, const std::string& param = std::string()) override;
    int removeJunk() override;
    void reset() override;
    void add(int kind) override;
    void remove(int kind) override;
    void setOptions(const TagOptions& options) override { options_ = options; }
    const TagOptions& options() const { return options_; }

    // The tag objects and the pending actions, for inspection.
    const Id3v1Tag& id3v1() const { return v1_; }
    const Id3v2Tag& id3v2() const { return v2_; }
    Action id3v1Action() const { return v1Action_; }
    Action id3v2Action() const { return v2Action_; }
    Action lyrics3Action() const { return lyricsAction_; }

    // True when the ID3v2 tag must be kept under the option "If needed": it holds something
    // the ID3v1 tag (as it will be written) cannot.
    bool isID3v2Needed() const;

private:
    bool v1Written() const;
    bool v2Written() const;
    std::string paddedTrack(const std::string& track) const;
    void applyOptions();
    void keepInSync(bool v1Removed, bool v2Removed);
    void finishWrite(bool v1Written, int64_t lyricsLength, int64_t fileLength);

    TagOptions options_;
    GenreTable genres_;
    Id3v1Tag v1_;
    Id3v2Tag v2_;
    AudioFile* file_ = nullptr;
    Action v1Action_ = Action::None;
    Action v2Action_ = Action::None;
    Action lyricsAction_ = Action::None;
};

}  // namespace vorda::tags
