// SPDX-License-Identifier: GPL-2.0-or-later

// The album as a CDDB server knows it: disc id, query command and the durations it is made of.

#include <gtest/gtest.h>

#include "freedb/Album.h"

using vorda::freedb::Album;
using vorda::freedb::durationSeconds;

namespace {

Album albumOf(std::initializer_list<std::int64_t> lengths) {
    Album album;
    for (const auto length : lengths) EXPECT_TRUE(album.addTrack(length));
    return album;
}

}  // namespace

TEST(Album, ThreeTracksGiveTheKnownIdAndQuery) {
    const Album album = albumOf({200, 180, 240});
    EXPECT_EQ(album.trackStart(1), 0);
    EXPECT_EQ(album.trackStart(3), 380);
    EXPECT_EQ(album.totalSeconds(), 620);
    EXPECT_EQ(album.discId(), 0x0D026C03u);
    EXPECT_EQ(album.queryCommand(), "cddb query d026c03 3 0 15000 28500 620");
}

TEST(Album, IdIsWrittenWithoutLeadingZeros) {
    EXPECT_EQ(albumOf({1}).queryCommand(), "cddb query 101 1 0 1");
    EXPECT_EQ(Album().queryCommand(), "cddb query 0 0 0");
    // Starts 0, 300, 600, 900: n = 3 + 6 + 9 = 18 = 0x12, t = 1200 = 0x4B0.
    EXPECT_EQ(albumOf({300, 300, 300, 300}).discId(), 0x1204B004u);
}

TEST(Album, HoldsAtMost99TracksAndResets) {
    Album album;
    for (int i = 0; i < Album::kMaxTracks; ++i) ASSERT_TRUE(album.addTrack(10));
    EXPECT_FALSE(album.addTrack(10));
    EXPECT_EQ(album.trackCount(), 99);
    EXPECT_EQ(album.totalSeconds(), 990);
    const std::string query = album.queryCommand();
    EXPECT_EQ(std::count(query.begin(), query.end(), ' '), 2 + 1 + 99 + 1);
    EXPECT_TRUE(query.ends_with(" 73500 990")) << query;  // track 99 starts at 980 s

    album.reset();
    EXPECT_EQ(album.trackCount(), 0);
    EXPECT_EQ(album.queryCommand(), "cddb query 0 0 0");
    EXPECT_TRUE(album.addTrack(-5));
    EXPECT_EQ(album.totalSeconds(), 0);
}

TEST(Album, DurationCellsAreReadWhole) {
    EXPECT_EQ(durationSeconds("03:25"), 205);
    EXPECT_EQ(durationSeconds("100:05"), 6005);
    EXPECT_EQ(durationSeconds("0:07"), 7);
    for (const char* bad : {"", "12", "3:5", "ab:cd", "-1:00", "03:25:00", ":30", "03:2x", "1234567890:00"})
        EXPECT_EQ(durationSeconds(bad), std::nullopt) << bad;
}
