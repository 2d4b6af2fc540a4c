// SPDX-License-Identifier: GPL-2.0-or-later

// A lookup's values taken into the rows and boxes of the review.

#include <gtest/gtest.h>

#include "freedb/AlbumReview.h"

using namespace vorda::freedb;

namespace {

AlbumReview threeFiles() {
    AlbumReview review;
    review.reset();
    for (const char* file : {"01.mp3", "02.mp3", "03.mp3"}) review.addFile(file, std::string("0") + file[1]);
    return review;
}

std::vector<std::string> artists(const AlbumReview& review) {
    std::vector<std::string> result;
    for (const ReviewRow& row : review.rows) result.push_back(row.artist);
    return result;
}

}  // namespace

TEST(AlbumReview, ResultFillsRowsTrackArtistsWinAndStrayTracksAreLeftOut) {
    AlbumReview review = threeFiles();
    review.takeResult({{"GENRE", "rock"},
                       {"ARTIST", "Band"},
                       {"ALBUM", "Record"},
                       {"TTITLE1", "Intro"},
                       {"TTITLE2", "Song"},
                       {"TARTIST2", "Guest"},
                       {"TTITLE4", "Bonus"},
                       {"TARTIST0", "Nobody"},
                       {"TTITLE2x", "odd"},
                       {"YEAR", "1997"},
                       {"DISCID", "d026c03"}});
    EXPECT_EQ(artists(review), (std::vector<std::string>{"Band", "Guest", "Band"}));
    EXPECT_EQ(review.rows[0].title, "Intro");
    EXPECT_EQ(review.rows[1].title, "Song");
    EXPECT_EQ(review.rows[2].title, "");
    EXPECT_EQ(review.rows[2].file, "03.mp3");
    EXPECT_EQ(review.rows[2].track, "03");
    EXPECT_EQ(review.album, "Record");
    EXPECT_EQ(review.genre, "rock");
    EXPECT_EQ(review.year, "1997");

    // A per-track artist given before the album's artist is kept.
    AlbumReview early = threeFiles();
    early.takeResult({{"TARTIST3", "Guest"}, {"ARTIST", "Band"}});
    EXPECT_EQ(artists(early), (std::vector<std::string>{"Band", "Band", "Guest"}));
}

TEST(AlbumReview, FormatterCleansEverythingButTheYearAndResetKeepsTypedBoxes) {
    AlbumReview review = threeFiles();
    review.setFormatter([](std::string_view text) { return "<" + std::string(text) + ">"; });
    review.takeResult({{"ARTIST", "a"}, {"ALBUM", "b"}, {"GENRE", "c"}, {"YEAR", "1997"}, {"TTITLE1", "d"}});
    EXPECT_EQ(review.rows[0].artist, "<a>");
    EXPECT_EQ(review.rows[0].title, "<d>");
    EXPECT_EQ(review.album, "<b>");
    EXPECT_EQ(review.genre, "<c>");
    EXPECT_EQ(review.year, "1997");

    review.ticks = {false, true, false, false, true, true, false, true};
    review.reset();
    EXPECT_TRUE(review.rows.empty() && review.album.empty() && review.year.empty());
    const ReviewTicks& t = review.ticks;
    EXPECT_TRUE(t.artist && t.title && t.trackNumber && t.comment && !t.rename);
    EXPECT_TRUE(t.album && t.year && t.genre);
}
