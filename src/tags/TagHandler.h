// SPDX-License-Identifier: GPL-2.0-or-later

// The tag-handler interface: every tag format Vorda reads is reached through it.
#pragma once

#include <string>

#include "tags/TagOptions.h"

namespace vorda::tags {

class AudioFile;

// Tag kinds (argument of hasTag, Add and Remove).
namespace tag_kind {
enum TagKind : int { All = 0, Id3v1 = 1, Id3v2 = 2, Lyrics3 = 4 };
}  // namespace tag_kind
using tag_kind::TagKind;

// Value keys of getValue and setValue.
namespace value_key {
enum ValueKey : int {
    Title = 0,
    Artist = 1,
    Album = 2,
    Year = 3,
    Track = 4,
    Comment = 5,
    Composer = 6,
    OrgArtist = 7,
    Copyright = 8,
    Url = 9,
    EncodedBy = 10,
    V1Title = 11,
    V1Artist = 12,
    V1Album = 13,
    V1Year = 14,
    V1Track = 15,
    V1Comment = 16,
    V1Genre = 17,
    Genre = 18,
    V2Title = 19,
    V2Artist = 20,
    V2Album = 21,
    V2Track = 22,
    V2Year = 23,
    V2Comment = 24,
    V2Genre = 25,
    V2Frame = 26,
    Mood = 27,
    Situation = 28,
    Lyrics = 29,
    Quality = 30,
    Author = 31,
    Images = 32,
    OtherInfo = 33
};
}  // namespace value_key
using value_key::ValueKey;
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
    // Empty for an unknown key. The parameter matters only for ValueKey::V2Frame.
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
