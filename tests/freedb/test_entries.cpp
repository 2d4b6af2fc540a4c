// SPDX-License-Identifier: GPL-2.0-or-later

// Reading match lines and database entries as a freedb server writes them.

#include <gtest/gtest.h>

#include "freedb/FreedbQuery.h"
#include "freedb/FreedbResult.h"

using vorda::freedb::DbValue;
using vorda::freedb::FreedbQuery;
using vorda::freedb::FreedbResult;

namespace vorda::freedb {
void PrintTo(const DbValue& value, std::ostream* out) { *out << value.id << "=" << value.value; }
}  // namespace vorda::freedb

namespace {

std::vector<DbValue> parse(std::initializer_list<const char*> lines) {
    FreedbResult result;
    for (const char* line : lines) result.parseAndAdd(line);
    return result.values();
}

}  // namespace

TEST(FreedbQuery, MatchLinesKeepTheirBlanksAndMissingPartsStayEmpty) {
    const FreedbQuery match = FreedbQuery::fromLine("rock d026c03 Some Artist / Some Album");
    EXPECT_EQ(match.genre(), "rock ");
    EXPECT_EQ(match.discId(), "d026c03");
    EXPECT_EQ(match.artist(), "Some Artist ");
    EXPECT_EQ(match.album(), " Some Album");

    const FreedbQuery slashes = FreedbQuery::fromLine("misc 0a0b0c0d AC/DC / Back/In Black");
    EXPECT_EQ(slashes.artist(), "AC");
    EXPECT_EQ(slashes.album(), "DC / Back/In Black");

    EXPECT_EQ(FreedbQuery::fromLine("rock"), FreedbQuery());
    const FreedbQuery noId = FreedbQuery::fromLine("rock d026c03");
    EXPECT_EQ(noId.genre(), "rock ");
    EXPECT_EQ(noId.discId(), "");
    const FreedbQuery noSlash = FreedbQuery::fromLine("rock d026c03 Untitled");
    EXPECT_EQ(noSlash.discId(), "d026c03");
    EXPECT_EQ(noSlash.artist(), "");
    EXPECT_EQ(noSlash.album(), "");
    // A slash before the tenth character does not start the album.
    EXPECT_EQ(FreedbQuery::fromLine("a/b 12 c / d").album(), " d");
}

TEST(FreedbResult, TitlesAreCountedAndSplitIntoArtistAndTitle) {
    EXPECT_EQ(parse({"TTITLE0=Intro", "TTITLE1=silent", "TTITLE2=Someone / Song", "TTITLE3=Plain / "}),
              (std::vector<DbValue>{{"TTITLE1", "Intro"},
                                    {"TTITLE2", "Song"},
                                    {"TARTIST2", "Someone"},
                                    {"TTITLE3", ""},
                                    {"TARTIST3", "Plain"}}));
    // The number written in the name does not matter, only the order.
    EXPECT_EQ(parse({"TTITLE7=Only"}), (std::vector<DbValue>{{"TTITLE1", "Only"}}));
}

TEST(FreedbResult, AlbumTitleAndYear) {
    EXPECT_EQ(parse({"DTITLE= Artist Name  /  Album / Volume 2 ", "DTITLE=Another / One"}),
              (std::vector<DbValue>{{"ARTIST", "Artist Name"}, {"ALBUM", "Album / Volume 2 Another / One"}}));
    EXPECT_TRUE(parse({"DTITLE=No Slash"}).empty());

    EXPECT_EQ(parse({"EXTD= YEAR: 1997 ID3G: 17", "EXTD= YEAR: 2001"}), (std::vector<DbValue>{{"YEAR", "1997"}}));
    EXPECT_EQ(parse({"EXTD=year:  2 0 0 3 rest"}), (std::vector<DbValue>{{"YEAR", "2003"}}));
    EXPECT_EQ(parse({"EXTD=YEAR: 0 ID3G: 17"}), std::vector<DbValue>{});
    EXPECT_EQ(parse({"EXTD=ID3G: 17"}), std::vector<DbValue>{});
    EXPECT_EQ(parse({"EXTD=YEAR: 0042"}), (std::vector<DbValue>{{"YEAR", "42"}}));
}

TEST(FreedbResult, ContinuedValuesAreJoinedWithoutShiftingLaterTracks) {
    EXPECT_EQ(parse({"DTITLE=Artist / A title that goes on and", "TTITLE0=First part of a long", "TTITLE0= title",
                     "TTITLE1=Second", "DTITLE= on", "EXTD=ID3G: 17 YE", "EXTD=AR: 1999"}),
              (std::vector<DbValue>{{"ARTIST", "Artist"},
                                    {"ALBUM", "A title that goes on and on"},
                                    {"TTITLE1", "First part of a long title"},
                                    {"TTITLE2", "Second"},
                                    {"YEAR", "1999"}}));
    // Silence is decided on the whole value.
    EXPECT_EQ(parse({"TTITLE0=sil", "TTITLE0=ent", "TTITLE1=Next"}), (std::vector<DbValue>{{"TTITLE1", "Next"}}));
}

TEST(FreedbResult, FirstValueOfANameWinsAndOddLinesAreIgnored) {
    FreedbResult result;
    EXPECT_TRUE(result.addValue("GENRE", "rock"));
    EXPECT_FALSE(result.addValue("genre", "jazz"));
    for (const char* line : {"# xmcd", "#DISCID=bad", "no equals sign", "=nameless", "EMPTY=", "GENRE=pop",
                             "DGENRE=Rock", "ARTIST=Direct", "DTITLE=From / Title", "Weird=a=b"})
        result.parseAndAdd(line);
    EXPECT_EQ(result.values(),
              (std::vector<DbValue>{
                  {"GENRE", "rock"}, {"DGENRE", "Rock"}, {"ARTIST", "Direct"}, {"ALBUM", "Title"}, {"Weird", "a=b"}}));
    EXPECT_EQ(result.value("artist"), "Direct");
    EXPECT_EQ(result.value("YEAR"), std::nullopt);

    result.reset();
    EXPECT_TRUE(result.values().empty());
    EXPECT_TRUE(result.addValue("GENRE", "jazz"));
}
