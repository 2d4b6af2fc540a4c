// SPDX-License-Identifier: GPL-2.0-or-later

#include "find/SearchFields.h"

#include <array>

using namespace vorda::tags;

namespace vorda::find {

namespace {

// One row per field: its caption and its key in ID3v1, ID3v2 and Lyrics3 (-1: not there).
struct FieldRow {
    std::string_view caption;
    std::array<int, kSearchTagCount> keys;
};

constexpr std::array<FieldRow, kSearchFieldCount> kFields{{
    {"Artist", {ValueKey::V1Artist, ValueKey::Artist, -1}},
    {"Album", {ValueKey::V1Album, ValueKey::Album, -1}},
    {"Title", {ValueKey::V1Title, ValueKey::Title, -1}},
    {"Track", {-1, -1, -1}},
    {"Year", {ValueKey::V1Year, ValueKey::Year, -1}},
    {"Genre", {-1, -1, -1}},
    {"Comment", {ValueKey::V1Comment, ValueKey::Comment, -1}},
    {"URL", {-1, ValueKey::Url, -1}},
    {"Composer", {-1, ValueKey::Composer, -1}},
    {"Original Artist", {-1, ValueKey::OrgArtist, -1}},
    {"Copyright", {-1, ValueKey::Copyright, -1}},
    {"Encoded by", {-1, ValueKey::EncodedBy, -1}},
    {"Mood", {-1, -1, ValueKey::Mood}},
    {"Situation", {-1, -1, ValueKey::Situation}},
    {"Quality", {-1, -1, ValueKey::Quality}},
}};

const FieldRow* rowOf(SearchField field) {
    const auto index = static_cast<size_t>(field);
    return index < kFields.size() ? &kFields[index] : nullptr;
}

}  // namespace

std::optional<ValueKey> fieldValueKey(SearchTag tag, SearchField field) {
    const FieldRow* row = rowOf(field);
    const auto column = static_cast<size_t>(tag);
    if (row == nullptr || column >= row->keys.size() || row->keys[column] < 0) return std::nullopt;
    return static_cast<ValueKey>(row->keys[column]);
}

std::string_view fieldCaption(SearchField field) {
    const FieldRow* row = rowOf(field);
    return row != nullptr ? row->caption : std::string_view();
}

std::string_view tagCaption(SearchTag tag) {
    switch (tag) {
    case SearchTag::Id3v1: return "ID3v1";
    case SearchTag::Id3v2: return "ID3v2";
    case SearchTag::Lyrics3: return "Lyrics3";
    }
    return {};
}

TagKind tagKind(SearchTag tag) {
    switch (tag) {
    case SearchTag::Id3v1: return TagKind::Id3v1;
    case SearchTag::Id3v2: return TagKind::Id3v2;
    case SearchTag::Lyrics3: return TagKind::Lyrics3;
    }
    return TagKind::All;
}

}  // namespace vorda::find
