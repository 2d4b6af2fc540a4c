// SPDX-License-Identifier: GPL-2.0-or-later

// ID3v1 / ID3v1.1 tags, Lyrics3 blocks and the genre table, on real files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "../support/TagBytes.h"
#include "PeerSupport.h"
#include "TestSupport.h"
#include "app/Settings.h"
#include "tags/GenreList.h"
#include "tags/Id3v1Tag.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace fs = std::filesystem;
using tagbytes::lyrics3Block;
using tagbytes::lyrics3Field;
using testsupport::haveMutagen;
using testsupport::readBytes;
using testsupport::writeBytes;
using vorda::tags::GenreTable;
using vorda::tags::Id3v1Tag;

namespace {

// Some fake MPEG frames (128 kbit/s, 44.1 kHz headers followed by zero bytes).
std::string fakeAudio(int frames = 3) {
    std::string audio;
    for (int i = 0; i < frames; ++i) {
        audio += std::string("\xFF\xFB\x90\x00", 4);
        audio += std::string(413, '\0');
    }
    return audio;
}

// A raw ID3v1 tag from its fields (already padded as the writer under test wants).
std::string rawTag(std::string title, std::string artist, std::string album, std::string year, std::string comment,
                   char genre) {
    title.resize(30, '\0');
    artist.resize(30, '\0');
    album.resize(30, '\0');
    year.resize(4, '\0');
    comment.resize(30, '\0');
    return "TAG" + title + artist + album + year + comment + genre;
}

class ID3v1Test : public ::testing::Test {
protected:
    void SetUp() override { audio_ = fakeAudio(); }

    std::string make(const std::string& tail, const std::string& name = "a.mp3") {
        const fs::path p = dir_ / name;
        writeBytes(p, audio_ + tail);
        return p.string();
    }
    // The file still starts with the untouched audio; returns what follows it.
    std::string tailAfterAudio(const std::string& path) {
        const std::string bytes = readBytes(path);
        EXPECT_GE(bytes.size(), audio_.size());
        EXPECT_EQ(bytes.substr(0, audio_.size()), audio_) << "audio bytes changed";
        return bytes.size() >= audio_.size() ? bytes.substr(audio_.size()) : std::string();
    }

    testsupport::TempFolder scratch_;
    const fs::path dir_ = scratch_.dir();
    std::string audio_;
};

}  // namespace

TEST(GenresTest, NamesAndLookups) {
    const GenreTable g;
    EXPECT_EQ(g.genre(0), "Blues");
    EXPECT_EQ(g.genre(67), "Psychadelic");
    EXPECT_EQ(g.genre(118), "Rhytmic Soul");
    EXPECT_EQ(g.genre(147), "Synthpop");
    EXPECT_EQ(g.genre(148), "");
    EXPECT_EQ(g.genre(-1), "");
    EXPECT_EQ(g.genre(255), "");
    for (int i = 0; i < GenreTable::kCount; ++i) EXPECT_EQ(g.genreId(g.genre(i)), i) << g.genre(i);
    EXPECT_EQ(g.genreId("rock"), 17);
    EXPECT_EQ(g.genreId("CHRISTIAN GANGSTA RAP"), 136);
    EXPECT_EQ(g.genreId("Rock  "), 17);
    EXPECT_EQ(g.genreId("Roc"), 255);
    EXPECT_EQ(g.genreId(" Rock"), 255);
    EXPECT_EQ(g.genreId(""), 255);
    EXPECT_EQ(g.genreId("   "), 255);
    EXPECT_EQ(g.genreId("Contemporary Christian!"), 255);  // longer than 22
    EXPECT_TRUE(g.hasGenre("jazz+funk"));
    EXPECT_FALSE(g.hasGenre("Polka Rock"));
}

TEST(ID3v1Values, SettersLimitsAndChanged) {
    Id3v1Tag t;
    EXPECT_FALSE(t.changed());
    EXPECT_EQ(t.genreNr(), 255);
    t.setTitle(std::string(300, 'x'));
    EXPECT_EQ(t.title().size(), 250u);
    EXPECT_TRUE(t.changed());
    t.setUnchanged();
    t.setTitle(std::string(260, 'x'));  // same after the cut: no change
    EXPECT_FALSE(t.changed());
    // A zero byte would end the field on disk: values never keep one.
    Id3v1Tag z;
    z.setTitle(std::string("\0a\0b", 4));
    z.setLyrics(std::string("l\0a", 3));
    EXPECT_EQ(z.title(), "ab");
    EXPECT_EQ(z.lyrics(), "la");
    t.setAuthor(std::string(255, 'a') + "\xC3\xA9");
    EXPECT_EQ(t.author().size(), 250u);
    t.setTitle(std::string(249, 'x') + "\xC3\xA9\xC3\xA9");  // cut on characters, not bytes
    EXPECT_EQ(t.title(), std::string(249, 'x') + "\xC3\xA9");
    t.setComment(std::string(40, 'c'));
    EXPECT_EQ(t.comment().size(), 30u);
    t.setYear("19991");
    EXPECT_EQ(t.year(), "1999");
    t.setLyrics(std::string(1000, 'l'));
    EXPECT_EQ(t.lyrics().size(), 1000u);

    for (auto [text, nr] : std::vector<std::pair<std::string, int>>{
             {"7/12", 7}, {"300", 255}, {"-3", 0}, {"abc", 0}, {"", 0}, {" 12", 12}}) {
        t.setTrack(text);
        EXPECT_EQ(t.trackNr(), nr) << text;
    }
    EXPECT_EQ(t.track(), "12");
    t.setGenre("hard rock");
    EXPECT_EQ(t.genreNr(), 79);
    EXPECT_EQ(t.genre(), "Hard Rock");
    t.setGenre("Nonsense");
    EXPECT_EQ(t.genreNr(), 255);
    EXPECT_EQ(t.genre(), "");

    t.setHasLyrics3(true);  // no effect without an ID3v1 tag
    EXPECT_FALSE(t.hasLyrics3());
    t.setHasID3v1(true);
    t.setLyricsSize(50);  // no effect without Lyrics3
    EXPECT_EQ(t.lyricsSize(), 0);
    t.setHasLyrics3(true);
    t.setLyricsSize(50);
    EXPECT_EQ(t.lyricsSize(), 50);
    EXPECT_DOUBLE_EQ(t.version(), 1.1);
    t.reset();
    EXPECT_FALSE(t.hasID3v1() || t.hasLyrics3() || t.changed());
    EXPECT_EQ(t.title(), "");
    EXPECT_EQ(t.lyrics(), "");
    EXPECT_DOUBLE_EQ(t.version(), 0.0);
}

TEST(ID3v1Values, Lyrics3BlockGeneration) {
    Id3v1Tag t;
    EXPECT_FALSE(t.isLyrics3Needed());
    EXPECT_EQ(t.genLyrics3Code(vorda::tags::TagUse::IfNeeded), "");
    EXPECT_EQ(t.genLyrics3Code(vorda::tags::TagUse::Always), lyrics3Block(lyrics3Field("IND", "00")));
    t.setTitle(std::string(40, 'T'));
    EXPECT_TRUE(t.isLyrics3Needed());
    EXPECT_EQ(t.genLyrics3Code(vorda::tags::TagUse::Never), "");
    EXPECT_EQ(t.genLyrics3Code(vorda::tags::TagUse::IfNeeded),
              lyrics3Block(lyrics3Field("IND", "00") + "ETT00040" + std::string(40, 'T')));
    t.setLyrics("la la");
    EXPECT_NE(t.genLyrics3Code(vorda::tags::TagUse::IfNeeded).find("IND0000210LYR00005la la"), std::string::npos);
    t.setLyrics("[00:12]la la");
    EXPECT_NE(t.genLyrics3Code(vorda::tags::TagUse::IfNeeded).find("IND0000211"), std::string::npos);
    // Field order: IND LYR INF AUT EAL EAR ETT IMG QUA SIT MOO.
    t.setMood("m");
    t.setSituation("s");
    t.setQuality("q");
    t.setImages("i");
    t.setArtist(std::string(31, 'A'));
    t.setAlbum(std::string(31, 'B'));
    t.setAuthor("au");
    t.setOtherInfo("o");
    const std::string code = t.genLyrics3Code(vorda::tags::TagUse::IfWanted);
    size_t last = 0;
    for (const char* id : {"IND", "LYR", "INF", "AUT", "EAL", "EAR", "ETT", "IMG", "QUA", "SIT", "MOO"}) {
        const size_t at = code.find(std::string(id) + "000");
        ASSERT_NE(at, std::string::npos) << id;
        EXPECT_GT(at, last) << id;
        last = at;
    }
    // A field longer than five size digits allow is cut so that the sizes stay true.
    t.setLyrics(std::string(120000, 'x'));
    EXPECT_NE(t.genLyrics3Code(vorda::tags::TagUse::IfNeeded).find("LYR99999xxx"), std::string::npos);
}

TEST_F(ID3v1Test, ID3v1RoundTripEveryField) {
    const std::string path = make("");
    Id3v1Tag w;
    w.setTitle("Caf\xC3\xA9 Title");
    w.setArtist("The Artist");
    w.setAlbum(std::string(30, 'B'));
    w.setYear("1999");
    w.setComment(std::string(30, 'c'));
    w.setGenre("Rock");
    ASSERT_EQ(w.writeTags(path, true, vorda::tags::TagUse::IfNeeded), 0);
    const std::string tail = tailAfterAudio(path);
    ASSERT_EQ(tail.size(), 128u);
    EXPECT_EQ(tail.substr(3, 10), "Caf\xE9 Title");  // ISO-8859-1 on disk, zero padded
    EXPECT_EQ(tail[13], '\0');

    Id3v1Tag r;
    ASSERT_TRUE(r.getID3v1(path));
    EXPECT_TRUE(r.hasID3v1());
    EXPECT_FALSE(r.hasLyrics3());
    EXPECT_EQ(r.title(), "Caf\xC3\xA9 Title");
    EXPECT_EQ(r.artist(), "The Artist");
    EXPECT_EQ(r.album(), std::string(30, 'B'));
    EXPECT_EQ(r.year(), "1999");
    EXPECT_EQ(r.comment(), std::string(30, 'c'));
    EXPECT_EQ(r.genreNr(), 17);
    EXPECT_EQ(r.track(), "");
    EXPECT_DOUBLE_EQ(r.version(), 1.0);
    EXPECT_EQ(r.size(), 128);
    EXPECT_EQ(r.id3v1Position(), static_cast<int64_t>(audio_.size()) + 1);
    EXPECT_EQ(r.tailPosition(), r.id3v1Position());

    // ID3v1.1: track 7 cuts a 30-character comment to 28.
    r.setTrack("7");
    ASSERT_EQ(r.writeTags(path, true, vorda::tags::TagUse::IfNeeded), 0);
    const std::string tail11 = tailAfterAudio(path);
    ASSERT_EQ(tail11.size(), 128u);
    EXPECT_EQ(tail11[125], '\0');
    EXPECT_EQ(tail11[126], '\x07');
    Id3v1Tag r2;
    r2.getID3v1(path);
    EXPECT_EQ(r2.comment(), std::string(28, 'c'));
    EXPECT_EQ(r2.track(), "7");
    EXPECT_DOUBLE_EQ(r2.version(), 1.1);
}

TEST_F(ID3v1Test, PaddingBlanksZerosAndLossyText) {
    std::string comment = "note  ";
    comment.resize(28, ' ');
    comment += std::string("\0\0", 2);  // v1.1 marker with track 0
    const std::string path = make(rawTag("Hello      ", "Art\0junk", std::string(30, ' '), "99  ", comment, '\xFF'));
    Id3v1Tag r;
    ASSERT_TRUE(r.getID3v1(path));
    EXPECT_EQ(r.title(), "Hello");
    EXPECT_EQ(r.artist(), "Art");
    EXPECT_EQ(r.album(), "");
    EXPECT_EQ(r.year(), "99");
    EXPECT_EQ(r.comment(), "note");
    EXPECT_EQ(r.trackNr(), 0);
    EXPECT_DOUBLE_EQ(r.version(), 1.0);
    EXPECT_EQ(r.genre(), "");

    EXPECT_FALSE(r.losesCharacters());
    r.setTitle("\xE6\x97\xA5\xE6\x9C\xAC x");  // two CJK characters
    EXPECT_TRUE(r.losesCharacters());
    EXPECT_FALSE(Id3v1Tag::fitsLatin1("\xE6\x97\xA5"));
    EXPECT_TRUE(Id3v1Tag::fitsLatin1("\xC3\xA9"));
    ASSERT_EQ(r.writeTags(path, true, vorda::tags::TagUse::IfNeeded), 0);
    Id3v1Tag back;
    back.getID3v1(path);
    EXPECT_EQ(back.title(), "?? x");
}

TEST_F(ID3v1Test, Lyrics3V2WriteReadAndUnknownFields) {
    const std::string unknown = lyrics3Field("XYZ", std::string("ab\xFF  ", 5));
    const std::string path =
        make(lyrics3Block(lyrics3Field("IND", "10") + lyrics3Field("LYR", "  old lyrics ") + unknown) +
             rawTag("Short", "Artist", "Album", "2001", "", '\x05'));
    Id3v1Tag t;
    ASSERT_TRUE(t.getID3v1(path));
    ASSERT_TRUE(t.hasLyrics3());
    EXPECT_EQ(t.lyrics3Version(), 2);
    EXPECT_EQ(t.lyrics(), "old lyrics");  // trimmed
    EXPECT_EQ(t.unknownLyrics3Fields(), unknown);
    EXPECT_EQ(t.lyrics3Position() + t.lyricsSize(), t.id3v1Position());
    EXPECT_EQ(t.tailPosition(), static_cast<int64_t>(audio_.size()) + 1);

    const std::string longTitle = std::string(35, 'T') + "\xC3\xA9";
    t.setTitle(longTitle);
    t.setArtist(std::string(45, 'A'));
    t.setAlbum(std::string(250, 'L'));
    t.setLyrics("[01:02]new");
    t.setAuthor("Writer");
    t.setMood("calm");
    t.setSituation("night");
    t.setQuality("good");
    t.setImages("cover.jpg");
    t.setOtherInfo("info");
    ASSERT_EQ(t.writeTags(path, true, vorda::tags::TagUse::IfNeeded), 0);
    const std::string tail = tailAfterAudio(path);
    EXPECT_EQ(static_cast<int64_t>(tail.size()), t.lyricsSize() + 128);
    EXPECT_NE(tail.find(unknown), std::string::npos);  // byte for byte

    Id3v1Tag r;
    ASSERT_TRUE(r.getID3v1(path));
    ASSERT_TRUE(r.hasLyrics3());
    EXPECT_EQ(r.title(), longTitle);
    EXPECT_EQ(r.artist(), std::string(45, 'A'));
    EXPECT_EQ(r.album(), std::string(250, 'L'));
    EXPECT_EQ(r.lyrics(), "[01:02]new");
    EXPECT_EQ(r.author(), "Writer");
    EXPECT_EQ(r.mood(), "calm");
    EXPECT_EQ(r.situation(), "night");
    EXPECT_EQ(r.quality(), "good");
    EXPECT_EQ(r.images(), "cover.jpg");
    EXPECT_EQ(r.otherInfo(), "info");
    EXPECT_EQ(r.unknownLyrics3Fields(), unknown);
    EXPECT_EQ(r.lyricsSize(), t.lyricsSize());
    EXPECT_EQ(r.genreNr(), 5);
    EXPECT_EQ(tail.substr(tail.size() - 128 + 3, 30), std::string(30, 'T'));  // ID3v1 keeps 30

    // "Never!" drops the block; the file shrinks, the audio stays.
    ASSERT_EQ(r.writeTags(path, true, vorda::tags::TagUse::Never), 0);
    EXPECT_EQ(tailAfterAudio(path).size(), 128u);
    EXPECT_FALSE(r.hasLyrics3());
    // Removal leaves exactly the audio.
    ASSERT_EQ(r.removeTags(path), 0);
    EXPECT_EQ(tailAfterAudio(path), "");
    EXPECT_FALSE(r.hasID3v1());
    ASSERT_EQ(r.removeTags(path), 0);  // nothing to remove
    EXPECT_EQ(readBytes(path), audio_);
}

TEST_F(ID3v1Test, Lyrics3V1ReadReplaceAndRemove) {
    const std::string path = make("LYRICSBEGINline one\r\nline two LYRICSEND" + rawTag("T", "A", "", "", "", '\x01'));
    Id3v1Tag t;
    ASSERT_TRUE(t.getID3v1(path));
    ASSERT_TRUE(t.hasLyrics3());
    EXPECT_EQ(t.lyrics3Version(), 1);
    EXPECT_EQ(t.lyrics(), "line one\r\nline two ");
    EXPECT_EQ(t.lyricsSize(), 11 + 19 + 9);
    EXPECT_EQ(Id3v1Tag::findTailStart(path), static_cast<int64_t>(audio_.size()));

    ASSERT_EQ(t.writeTags(path, true, vorda::tags::TagUse::IfNeeded), 0);  // rewritten as version 2
    tailAfterAudio(path);
    Id3v1Tag r;
    r.getID3v1(path);
    EXPECT_EQ(r.lyrics3Version(), 2);
    EXPECT_EQ(r.lyrics(), "line one\r\nline two");

    // A version 1 text of the full 5100 bytes is found too.
    const std::string big =
        make("LYRICSBEGIN" + std::string(5100, 'x') + "LYRICSEND" + rawTag("T", "", "", "", "", 0), "b.mp3");
    Id3v1Tag b;
    b.getID3v1(big);
    EXPECT_EQ(b.lyrics().size(), 5100u);
    ASSERT_EQ(b.removeTags(big), 0);
    EXPECT_EQ(readBytes(big), audio_);
}

TEST_F(ID3v1Test, StackedTagsAreReplacedAndRemovedTogether) {
    // Taggers that append a tag instead of replacing the old one leave older ID3v1 tags and
    // Lyrics3 blocks in front of the newest; only the newest is read, and a write replaces all.
    const std::string oldTag = rawTag("Old title", "Old artist", "Old album", "", "", 0);
    const std::string newTag = rawTag("New title", "New artist", "", "", "", 17);
    const std::string oldLyrics = lyrics3Block(lyrics3Field("IND", "10") + lyrics3Field("LYR", "old words"));
    const std::string newLyrics = lyrics3Block(lyrics3Field("IND", "10") + lyrics3Field("LYR", "new words"));
    const std::vector<std::pair<std::string, std::string>> stacks = {
        {oldTag + newTag, ""},
        {oldLyrics + oldTag + newTag, ""},
        {oldLyrics + oldTag + newLyrics + newTag, "new words"},
        {"LYRICSBEGINold wordsLYRICSEND" + oldTag + "LYRICSBEGINnew wordsLYRICSEND" + newTag, "new words"},
        {oldLyrics + newLyrics + newTag, "new words"},
        {oldTag + oldTag + oldLyrics + oldTag + newTag, ""},
    };
    int n = 0;
    for (const auto& [stack, lyrics] : stacks) {
        SCOPED_TRACE(n);
        const std::string path = make(stack, "s" + std::to_string(n++) + ".mp3");
        Id3v1Tag t;
        ASSERT_TRUE(t.getID3v1(path));
        EXPECT_EQ(t.title(), "New title");
        EXPECT_EQ(t.album(), "");
        EXPECT_EQ(t.lyrics(), lyrics);
        EXPECT_EQ(t.tailPosition(), static_cast<int64_t>(audio_.size()) + 1);
        EXPECT_EQ(Id3v1Tag::findTailStart(path), static_cast<int64_t>(audio_.size()));

        // Rewritten: one tag (and one block) where the stack was.
        t.setComment("written");
        ASSERT_EQ(t.writeTags(path, true, vorda::tags::TagUse::IfNeeded), 0);
        EXPECT_EQ(tailAfterAudio(path), t.genLyrics3Code(vorda::tags::TagUse::IfNeeded) + t.genID3v1Code());
        EXPECT_EQ(t.tailPosition(), static_cast<int64_t>(audio_.size()) + 1);

        // Removed: no older tag comes back.
        writeBytes(path, audio_ + stack);
        ASSERT_TRUE(t.getID3v1(path));
        ASSERT_EQ(t.removeTags(path), 0);
        EXPECT_EQ(readBytes(path), audio_);
        Id3v1Tag r;
        ASSERT_TRUE(r.getID3v1(path));
        EXPECT_FALSE(r.hasID3v1());
        EXPECT_EQ(r.title(), "");
    }
}

TEST_F(ID3v1Test, SavingWhatWasSavedChangesNoByte) {
    const std::string tag = rawTag("Title", "Artist", "", "", "", 0);
    const std::string block = lyrics3Block(lyrics3Field("IND", "10") + lyrics3Field("LYR", "words"));
    const std::vector<std::string> tails = {
        // Lyrics3 blocks that hold a second begin marker, in their text or in front of them.
        lyrics3Block(lyrics3Field("IND", "10") + lyrics3Field("LYR", "a LYRICSBEGIN b")) + tag,
        "LYRICSBEGINx" + block + tag,
        "LYRICSBEGINoldLYRICSEND" + block + tag,
        block + "LYRICSBEGINnewLYRICSEND" + tag,
        "LYRICSBEGINLYRICSBEGINtwiceLYRICSEND" + tag,
        "LYRICSBEGIN" + lyrics3Field("LYR", "x") + "LYRICSEND" + block + tag,
        // An old tag and a damaged block in front of the newest tag.
        tag + "000010LYRICS200" + tag,
        tag + tag,
        // Lyrics3 blocks left at the end without their tag: a new tag replaces them.
        block,
        "LYRICSBEGINleft overLYRICSEND",
        tag + block,
    };
    int n = 0;
    for (const std::string& tail : tails) {
        for (int mode = 0; mode <= 3; ++mode) {
            for (const bool keep : {true, false}) {
                SCOPED_TRACE(::testing::Message() << "tail " << n << " mode " << mode << " keep " << keep);
                const std::string path = make(tail, "f" + std::to_string(n) + ".mp3");
                Id3v1Tag t;
                ASSERT_TRUE(t.getID3v1(path));
                const auto front = static_cast<size_t>(t.tailPosition() - 1);
                ASSERT_EQ(t.writeTags(path, keep, static_cast<vorda::tags::TagUse>(mode)), 0);
                const std::string once = readBytes(path);
                EXPECT_EQ(once.substr(0, front), (audio_ + tail).substr(0, front));
                Id3v1Tag again;
                ASSERT_TRUE(again.getID3v1(path));
                EXPECT_EQ(again.hasID3v1(), keep);
                ASSERT_EQ(again.writeTags(path, keep, static_cast<vorda::tags::TagUse>(mode)), 0);
                EXPECT_TRUE(readBytes(path) == once) << "the second save changed the file";
            }
        }
        ++n;
    }
}

TEST_F(ID3v1Test, GenreByteWithoutNameSurvivesOtherEdits) {
    const std::string path = make(rawTag("Title", "", "", "", "", static_cast<char>(200)));
    Id3v1Tag t;
    ASSERT_TRUE(t.getID3v1(path));
    EXPECT_EQ(t.genreNr(), 200);
    EXPECT_EQ(t.genre(), "");
    t.setGenre(t.genre());  // the shown value written back
    EXPECT_FALSE(t.changed());
    t.setTitle("Other title");
    ASSERT_EQ(t.writeTags(path, true, vorda::tags::TagUse::IfNeeded), 0);
    EXPECT_EQ(static_cast<unsigned char>(readBytes(path).back()), 200);

    t.setGenre("Rock");  // set: the byte follows
    EXPECT_EQ(t.genreNr(), 17);
    t.setGenre("");
    EXPECT_EQ(t.genreNr(), 255);
}

TEST_F(ID3v1Test, HostileSizesAndShortFiles) {
    const std::string tag = rawTag("Title", "Artist", "", "", "", 0);
    const std::string good = lyrics3Block(lyrics3Field("IND", "00") + lyrics3Field("ETT", std::string(40, 'E')));
    std::string notDigits = good;
    notDigits[notDigits.size() - 13] = 'x';
    std::string tooBig = good;
    tooBig.replace(tooBig.size() - 15, 6, "999999");
    std::string wrongBegin = good;
    wrongBegin.replace(tooBig.size() - 15, 6, "000030");
    std::string fieldOverrun = lyrics3Block(lyrics3Field("IND", "00") + "ETT00900short");
    std::string badFieldSize = lyrics3Block(lyrics3Field("IND", "00") + "ETT0x040" + std::string(40, 'E'));
    int n = 0;
    for (const std::string& damaged : {notDigits, tooBig, wrongBegin, fieldOverrun, badFieldSize,
                                       std::string("LYRICS200"), std::string("LYRICSEND")}) {
        const std::string path = make(damaged + tag, "d" + std::to_string(n++) + ".mp3");
        Id3v1Tag t;
        ASSERT_TRUE(t.getID3v1(path));
        EXPECT_TRUE(t.hasID3v1());
        EXPECT_FALSE(t.hasLyrics3()) << n;
        EXPECT_EQ(t.title(), "Title");
        // A damaged block is not part of the tags: writing keeps it, like the audio.
        t.setTitle(std::string(35, 'N'));
        ASSERT_EQ(t.writeTags(path, true, vorda::tags::TagUse::IfNeeded), 0);
        const std::string after = readBytes(path);
        EXPECT_EQ(after.substr(0, audio_.size() + damaged.size()), audio_ + damaged);
        ASSERT_EQ(t.removeTags(path), 0);
        EXPECT_EQ(readBytes(path), audio_ + damaged);
    }
    // Files too short for a tag, a tag alone, and a tag with "LYRICS200" but no room for a size.
    for (const std::string& bytes : {std::string(), std::string("TAG"), std::string(127, 'T'),
                                     std::string("LYRICS200") + tag, "LYRICSBEGIN" + std::string("LYRICS200") + tag}) {
        const fs::path p = dir_ / "short.mp3";
        writeBytes(p, bytes);
        Id3v1Tag t;
        EXPECT_TRUE(t.getID3v1(p.string()));
        EXPECT_EQ(t.hasID3v1(), bytes.size() >= 128);
        EXPECT_FALSE(t.hasLyrics3());
        EXPECT_EQ(t.fileLength(), static_cast<int64_t>(bytes.size()));
        ASSERT_EQ(t.removeTags(p.string()), 0);
        EXPECT_EQ(readBytes(p), bytes.size() >= 128 ? bytes.substr(0, bytes.size() - 128) : bytes);
    }
    Id3v1Tag none;
    EXPECT_FALSE(none.getID3v1((dir_ / "missing.mp3").string()));
    EXPECT_EQ(none.writeTags((dir_ / "missing.mp3").string(), true, vorda::tags::TagUse::IfNeeded), ENOENT);
    EXPECT_FALSE(fs::exists(dir_ / "missing.mp3"));
    EXPECT_EQ(Id3v1Tag::writeTail(make(""), static_cast<int64_t>(audio_.size()) + 1, "x"), EINVAL);
}

TEST_F(ID3v1Test, WriteTailForCallers) {
    // The tag handler writes the blocks itself after rebuilding: in place and shorter.
    const std::string path = make(std::string(300, 'Z'));
    Id3v1Tag t;
    t.setTitle("X");
    const std::string block = t.genID3v1Code();
    ASSERT_EQ(Id3v1Tag::writeTail(path, static_cast<int64_t>(audio_.size()), block), 0);
    EXPECT_EQ(tailAfterAudio(path), block);
    t.setWritten(true, 0, static_cast<int64_t>(audio_.size() + 128));
    EXPECT_TRUE(t.hasID3v1());
    EXPECT_FALSE(t.changed());
    EXPECT_EQ(t.id3v1Position(), static_cast<int64_t>(audio_.size()) + 1);
}

// ---------------------------------------------------------------- mutagen as the peer

TEST_F(ID3v1Test, MutagenReadsWhatVordaWrites) {
    if (!haveMutagen()) GTEST_SKIP() << "mutagen is not installed for /usr/bin/python3";
    const std::string path = make("");
    Id3v1Tag w;
    w.setTitle("Caf\xC3\xA9 Society and a title over thirty");
    w.setArtist("Vorda Artist");
    w.setAlbum("Album Name");
    w.setYear("2004");
    w.setComment("Peer comment");
    w.setTrack("9");
    w.setGenre("Hard Rock");
    w.setLyrics("words");
    ASSERT_EQ(w.writeTags(path, true, vorda::tags::TagUse::IfNeeded), 0);
    ASSERT_TRUE(w.hasLyrics3());
    const auto tags = peers::mutagenId3v1(path);
    EXPECT_EQ(tags.at("TIT2"), "Caf\xC3\xA9 Society and a title over");  // 30 characters
    EXPECT_EQ(tags.at("TPE1"), "Vorda Artist");
    EXPECT_EQ(tags.at("TALB"), "Album Name");
    EXPECT_EQ(tags.at("TDRC"), "2004");
    EXPECT_EQ(tags.at("COMM"), "Peer comment");
    EXPECT_EQ(tags.at("TRCK"), "9");
    EXPECT_EQ(tags.at("TCON"), "79");  // Hard Rock
}

TEST_F(ID3v1Test, VordaReadsWhatMutagenWrites) {
    if (!haveMutagen()) GTEST_SKIP() << "mutagen is not installed for /usr/bin/python3";
    const std::string path = make("");
    testsupport::runPython(R"(import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, TRCK, TCON, COMM
t = ID3()
t.add(TIT2(encoding=3, text='M\u00fctagen Title'))
t.add(TPE1(encoding=3, text='Peer Artist'))
t.add(TALB(encoding=3, text='Peer Album'))
t.add(TDRC(encoding=3, text='1987'))
t.add(TRCK(encoding=3, text='12/14'))
t.add(TCON(encoding=3, text='Rock'))
t.save(sys.argv[1], v1=2)
)",
                           {path});
    Id3v1Tag r;
    ASSERT_TRUE(r.getID3v1(path));
    ASSERT_TRUE(r.hasID3v1());
    EXPECT_EQ(r.title(), "M\xC3\xBCtagen Title");
    EXPECT_EQ(r.artist(), "Peer Artist");
    EXPECT_EQ(r.album(), "Peer Album");
    EXPECT_EQ(r.year(), "1987");
    EXPECT_EQ(r.track(), "12");
    EXPECT_EQ(r.genre(), "Rock");
    EXPECT_FALSE(r.hasLyrics3());
}
