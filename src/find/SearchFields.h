// SPDX-License-Identifier: GPL-2.0-or-later

// The fields the find dialog can search and the tag value each one reads and writes in each
// kind of tag. Track and genre have a box but are never searched.
#pragma once

#include <optional>
#include <string_view>

#include "tags/TagHandler.h"

namespace vorda::find {

// The tags searched, in the order they are searched.
enum class SearchTag : int { Id3v1 = 0, Id3v2 = 1, Lyrics3 = 2 };
inline constexpr int kSearchTagCount = 3;

// The field boxes of the dialog, numbered as they are stored.
enum class SearchField : int {
    Artist = 0,
    Album = 1,
    Title = 2,
    Track = 3,
    Year = 4,
    Genre = 5,
    Comment = 6,
    Url = 7,
    Composer = 8,
    OriginalArtist = 9,
    Copyright = 10,
    EncodedBy = 11,
    Mood = 12,
    Situation = 13,
    Quality = 14,
};
inline constexpr int kSearchFieldCount = 15;

// The value key read and written for the field in that tag; none when the tag does not carry
// the field. The ID3v2 column uses the combined keys, so a file without an ID3v2 value of a
// field is searched in its ID3v1 value there as well (and a write goes to both tags).
std::optional<tags::ValueKey> fieldValueKey(SearchTag tag, SearchField field);

// The caption of the field's box ("Original Artist") and of the tag's box ("ID3v2").
std::string_view fieldCaption(SearchField field);
std::string_view tagCaption(SearchTag tag);

// The tag kind of the tag handler's hasTag for the tag.
tags::TagKind tagKind(SearchTag tag);

}  // namespace vorda::find
