// SPDX-License-Identifier: GPL-2.0-or-later

// The tag-handler interface: every tag format Vorda reads is reached through it.
#pragma once

#include <string>

#include "tags/TagOptions.h"

namespace vorda::tags {

class AudioFile;

// Tag kinds (argument of hasTag, Add and Remove).
enum TagKind : int { tkAll = 0, tkID3v1 = 1, tkID3v2 = 2, tkLyrics3 = 4 };

// Value keys of getValue and setValue.
enum ValueKey : int {
    tvTitle = 0,
    tvArtist = 1,
    tvAlbum = 2,
    tvYear = 3,
    tvTrack = 4,
    tvComment = 5,
    tvComposer = 6,
    tvOrgArtist = 7,
    tvCopyright = 8,
    tvURL = 9,
    tvEncodedBy = 10,
    tvV1Title = 11,
    tvV1Artist = 12,
    tvV1Album = 13,
    tvV1Year = 14,
    tvV1Track = 15,
    tvV1Comment = 16,
    tvV1Genre = 17,
    tvGenre = 18,
    tvV2Title = 19,
    tvV2Artist = 20,
    tvV2Album = 21,
    tvV2Track = 22,
    tvV2Year = 23,
    tvV2Comment = 24,
    tvV2Genre = 25,
    tvV2Frame = 26,
    tvMood = 27,
    tvSituation = 28,
    tvLyrics = 29,
    tvQuality = 30,
    tvAuthor = 31,
    tvImages = 32,
    tvOtherInfo = 33
};
inline constexpr int kValueKeyCount = 34;
// The names of the value keys, indexed by key ("tvTitle" ...).
extern const char* const kValueKeyNames[kValueKeyCount];

class TagHandler {
public:
    virtual ~TagHandler() = default;

    virtual bool hasTag(int kind) const = 0;
    virtual std::string tagType() const = 0;
    virtual bool tagRead(AudioFile& file) = 0;
    // 0 on success or when there was nothing to write, else an error number (errno).
    virtual int tagWrite() = 0;
    virtual long tagSize() const = 0;
    virtual long tagPosition() const = 0;
    virtual void setTagPosition(long position) = 0;
    // Empty for an unknown key. The parameter matters only for tvV2Frame.
    virtual std::string getValue(int key, const std::string& param = std::string()) = 0;
    virtual bool setValue(int key, const std::string& value, const std::string& param = std::string()) = 0;
    virtual int removeJunk() = 0;
    virtual void reset() = 0;
    virtual void add(int kind) = 0;
    virtual void remove(int kind) = 0;
    // The options the next reads, value changes and writes follow.
    virtual void setOptions(const TagOptions& options) = 0;
};

}  // namespace vorda::tags
