// The tag handler of MPEG files: the ID3v1 tag with its Lyrics3 block at the end of the
// file and the ID3v2 tag at its start. It decides at each write which tags the file gets,
// whether the tags are written in place or the file is rebuilt, and how much padding the
// ID3v2 tag keeps; it also removes junk in front of the audio.
#pragma once

#include <cstdint>
#include <string>

#include "tags/clsGenres.h"
#include "tags/clsID3v1.h"
#include "tags/clsID3v2.h"
#include "tags/clsTag.h"

namespace vorda {

class clsID3 final : public clsTag {
public:
    // Pending actions of a tag.
    enum Action : int { acRemove = -1, acNone = 0, acAdd = 1, acKeep = 2 };

    clsID3();
    clsID3(const clsID3&) = delete;
    clsID3& operator=(const clsID3&) = delete;

    bool hasTag(int kind) const override;
    std::string tagType() const override;
    bool tagRead(clsFile& file) override;
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

    // The tag objects and the pending actions, for inspection.
    const clsID3v1& id3v1() const { return v1_; }
    const clsID3v2& id3v2() const { return v2_; }
    int id3v1Action() const { return v1Action_; }
    int id3v2Action() const { return v2Action_; }
    int lyrics3Action() const { return lyricsAction_; }

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

    clsGenres genres_;
    clsID3v1 v1_;
    clsID3v2 v2_;
    clsFile* file_ = nullptr;
    int v1Action_ = acNone;
    int v2Action_ = acNone;
    int lyricsAction_ = acNone;
};

}  // namespace vorda
