// SPDX-License-Identifier: GPL-2.0-or-later

// What a lookup's result becomes before it is written into the files: one row per file of the
// album (in the order the files were given) and the album-wide values, each with the box that
// says whether it is written.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "freedb/FreedbResult.h"

namespace vorda::freedb {

struct ReviewRow {
    std::string file;  // the file's name as the list shows it
    std::string track;
    std::string artist;
    std::string title;
};

// Which values are written (and whether the files are renamed afterwards).
struct ReviewTicks {
    bool artist = true;
    bool album = false;
    bool title = true;
    bool trackNumber = true;
    bool year = false;
    bool genre = false;
    bool comment = true;
    bool rename = false;
};

class AlbumReview {
public:
    // Cleans a received text before it is shown (none: shown as received).
    using Formatter = std::function<std::string(std::string_view)>;

    std::vector<ReviewRow> rows;
    std::string album;
    std::string year;
    std::string genre;
    std::string comment;
    ReviewTicks ticks;

    void setFormatter(Formatter formatter) { formatter_ = std::move(formatter); }

    // Empties rows and values, ticks the artist, title, track number and comment boxes and clears
    // the rename box.
    void reset();
    // Adds the next row (k = 1, 2, ...) with an empty artist and title; returns k.
    int addFile(std::string file, std::string track);

    void setAlbum(std::string_view text) { album = clean(text); }
    void setGenre(std::string_view text) { genre = clean(text); }
    void setYear(std::string_view text) { year = text; }
    // The album's artist goes into every row that has none yet.
    void setAllArtist(std::string_view text);
    // Row k's artist and title; nothing happens for a k outside 1 ... rows.size().
    void setArtist(int k, std::string_view text);
    void setTitle(int k, std::string_view text);

    // Takes a lookup's values in their order: ALBUM, ARTIST, TARTISTk, YEAR, GENRE, TTITLEk.
    // Since the per-track artists come with the titles, after the album's artist, they override
    // it. Other names are left out.
    void takeResult(const std::vector<DbValue>& values);

private:
    [[nodiscard]] std::string clean(std::string_view text) const;

    Formatter formatter_;
};

}  // namespace vorda::freedb
