// SPDX-License-Identifier: GPL-2.0-or-later

#include "freedb/AlbumReview.h"

#include <charconv>

namespace vorda::freedb {

namespace {

// The k of a name made of the prefix and a number, 0 when the name is not of that form.
int trackOf(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix) || name.size() == prefix.size()) return 0;
    const std::string_view digits = name.substr(prefix.size());
    int k = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), k);
    return error == std::errc() && end == digits.data() + digits.size() ? k : 0;
}

}  // namespace

void AlbumReview::reset() {
    rows.clear();
    album.clear();
    year.clear();
    genre.clear();
    comment.clear();
    // The album, year and genre boxes keep their state: typing ticks them.
    ticks.artist = ticks.title = ticks.trackNumber = ticks.comment = true;
    ticks.rename = false;
}

int AlbumReview::addFile(std::string file, std::string track) {
    rows.push_back({std::move(file), std::move(track), {}, {}});
    return static_cast<int>(rows.size());
}

void AlbumReview::setAllArtist(std::string_view text) {
    const std::string artist = clean(text);
    for (ReviewRow& row : rows)
        if (row.artist.empty()) row.artist = artist;
}

void AlbumReview::setArtist(int k, std::string_view text) {
    if (k >= 1 && k <= static_cast<int>(rows.size())) rows[static_cast<size_t>(k - 1)].artist = clean(text);
}

void AlbumReview::setTitle(int k, std::string_view text) {
    if (k >= 1 && k <= static_cast<int>(rows.size())) rows[static_cast<size_t>(k - 1)].title = clean(text);
}

void AlbumReview::takeResult(const std::vector<DbValue>& values) {
    for (const DbValue& value : values) {
        const std::string_view id = value.id;
        if (id == "ALBUM")
            setAlbum(value.value);
        else if (id == "ARTIST")
            setAllArtist(value.value);
        else if (id == "YEAR")
            setYear(value.value);
        else if (id == "GENRE")
            setGenre(value.value);
        else if (const int artistOf = trackOf(id, "TARTIST"))
            setArtist(artistOf, value.value);
        else if (const int titleOf = trackOf(id, "TTITLE"))
            setTitle(titleOf, value.value);
    }
}

std::string AlbumReview::clean(std::string_view text) const {
    return formatter_ ? formatter_(text) : std::string(text);
}

}  // namespace vorda::freedb
