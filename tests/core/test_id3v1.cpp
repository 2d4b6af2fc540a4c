// ID3v1 / ID3v1.1 tags, Lyrics3 blocks and the genre table, on real files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>
#include <vector>
#include <string>

#include "app/Settings.h"
#include "tags/clsGenres.h"
#include "tags/clsID3v1.h"

namespace fs = std::filesystem;
using vorda::clsGenres;
using vorda::clsID3v1;

namespace {

std::string ReadBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& p, const std::string& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Some fake MPEG frames (128 kbit/s, 44.1 kHz headers followed by zero bytes).
std::string FakeAudio(int frames = 3)
{
    std::string audio;
    for (int i = 0; i < frames; ++i) {
        audio += std::string("\xFF\xFB\x90\x00", 4);
        audio += std::string(413, '\0');
    }
    return audio;
}

// A raw ID3v1 tag from its fields (already padded as the writer under test wants).
std::string RawTag(std::string title, std::string artist, std::string album, std::string year,
                   std::string comment, char genre)
{
    title.resize(30, '\0');
    artist.resize(30, '\0');
    album.resize(30, '\0');
    year.resize(4, '\0');
    comment.resize(30, '\0');
    return "TAG" + title + artist + album + year + comment + genre;
}

std::string Lyrics3Field(const std::string& id, const std::string& data)
{
    char size[6];
    std::snprintf(size, sizeof size, "%05zu", data.size());
    return id + size + data;
}

std::string Lyrics3Block(const std::string& fields)
{
    const std::string body = "LYRICSBEGIN" + fields;
    char size[7];
    std::snprintf(size, sizeof size, "%06zu", body.size());
    return body + size + "LYRICS200";
}

class ID3v1Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vorda-id3v1-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        audio_ = FakeAudio();
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Make(const std::string& tail, const std::string& name = "a.mp3")
    {
        const fs::path p = dir_ / name;
        WriteBytes(p, audio_ + tail);
        return p.string();
    }
    // The file still starts with the untouched audio; returns what follows it.
    std::string TailAfterAudio(const std::string& path)
    {
        const std::string bytes = ReadBytes(path);
        EXPECT_GE(bytes.size(), audio_.size());
        EXPECT_EQ(bytes.substr(0, audio_.size()), audio_) << "audio bytes changed";
        return bytes.size() >= audio_.size() ? bytes.substr(audio_.size()) : std::string();
    }

    fs::path dir_;
    std::string audio_;
};

}  // namespace

TEST(GenresTest, NamesAndLookups)
{
    const clsGenres g;
    EXPECT_EQ(g.Genre(0), "Blues");
    EXPECT_EQ(g.Genre(67), "Psychadelic");
    EXPECT_EQ(g.Genre(118), "Rhytmic Soul");
    EXPECT_EQ(g.Genre(147), "Synthpop");
    EXPECT_EQ(g.Genre(148), "");
    EXPECT_EQ(g.Genre(-1), "");
    EXPECT_EQ(g.Genre(255), "");
    for (int i = 0; i < clsGenres::kCount; ++i) EXPECT_EQ(g.GenreID(g.Genre(i)), i) << g.Genre(i);
    EXPECT_EQ(g.GenreID("rock"), 17);
    EXPECT_EQ(g.GenreID("CHRISTIAN GANGSTA RAP"), 136);
    EXPECT_EQ(g.GenreID("Rock  "), 17);
    EXPECT_EQ(g.GenreID("Roc"), 255);
    EXPECT_EQ(g.GenreID(" Rock"), 255);
    EXPECT_EQ(g.GenreID(""), 255);
    EXPECT_EQ(g.GenreID("   "), 255);
    EXPECT_EQ(g.GenreID("Contemporary Christian!"), 255);  // longer than 22
    EXPECT_TRUE(g.HasGenre("jazz+funk"));
    EXPECT_FALSE(g.HasGenre("Polka Rock"));
}

TEST(ID3v1Values, SettersLimitsAndChanged)
{
    clsID3v1 t;
    EXPECT_FALSE(t.Changed());
    EXPECT_EQ(t.GenreNr(), 255);
    t.SetTitle(std::string(300, 'x'));
    EXPECT_EQ(t.Title().size(), 250u);
    EXPECT_TRUE(t.Changed());
    t.SetUnchanged();
    t.SetTitle(std::string(260, 'x'));  // same after the cut: no change
    EXPECT_FALSE(t.Changed());
    // A zero byte would end the field on disk: values never keep one.
    clsID3v1 z;
    z.SetTitle(std::string("\0a\0b", 4));
    z.SetLyrics(std::string("l\0a", 3));
    EXPECT_EQ(z.Title(), "ab");
    EXPECT_EQ(z.Lyrics(), "la");
    t.SetAuthor(std::string(255, 'a') + "\xC3\xA9");
    EXPECT_EQ(t.Author().size(), 250u);
    t.SetTitle(std::string(249, 'x') + "\xC3\xA9\xC3\xA9");  // cut on characters, not bytes
    EXPECT_EQ(t.Title(), std::string(249, 'x') + "\xC3\xA9");
    t.SetComment(std::string(40, 'c'));
    EXPECT_EQ(t.Comment().size(), 30u);
    t.SetYear("19991");
    EXPECT_EQ(t.Year(), "1999");
    t.SetLyrics(std::string(1000, 'l'));
    EXPECT_EQ(t.Lyrics().size(), 1000u);

    for (auto [text, nr] : std::vector<std::pair<std::string, int>>{
             {"7/12", 7}, {"300", 255}, {"-3", 0}, {"abc", 0}, {"", 0}, {" 12", 12}}) {
        t.SetTrack(text);
        EXPECT_EQ(t.TrackNr(), nr) << text;
    }
    EXPECT_EQ(t.Track(), "12");
    t.SetGenre("hard rock");
    EXPECT_EQ(t.GenreNr(), 79);
    EXPECT_EQ(t.Genre(), "Hard Rock");
    t.SetGenre("Nonsense");
    EXPECT_EQ(t.GenreNr(), 255);
    EXPECT_EQ(t.Genre(), "");

    t.SetHasLyrics3(true);  // no effect without an ID3v1 tag
    EXPECT_FALSE(t.HasLyrics3());
    t.SetHasID3v1(true);
    t.SetLyricsSize(50);  // no effect without Lyrics3
    EXPECT_EQ(t.LyricsSize(), 0);
    t.SetHasLyrics3(true);
    t.SetLyricsSize(50);
    EXPECT_EQ(t.LyricsSize(), 50);
    EXPECT_DOUBLE_EQ(t.Version(), 1.1);
    t.Reset();
    EXPECT_FALSE(t.HasID3v1() || t.HasLyrics3() || t.Changed());
    EXPECT_EQ(t.Title(), "");
    EXPECT_EQ(t.Lyrics(), "");
    EXPECT_DOUBLE_EQ(t.Version(), 0.0);
}

TEST(ID3v1Values, Lyrics3BlockGeneration)
{
    clsID3v1 t;
    EXPECT_FALSE(t.isLyrics3Needed());
    EXPECT_EQ(t.GenLyrics3Code(vorda::tuIfNeeded), "");
    EXPECT_EQ(t.GenLyrics3Code(vorda::tuAlways), Lyrics3Block(Lyrics3Field("IND", "00")));
    t.SetTitle(std::string(40, 'T'));
    EXPECT_TRUE(t.isLyrics3Needed());
    EXPECT_EQ(t.GenLyrics3Code(vorda::tuNever), "");
    EXPECT_EQ(t.GenLyrics3Code(vorda::tuIfNeeded),
              Lyrics3Block(Lyrics3Field("IND", "00") + "ETT00040" + std::string(40, 'T')));
    t.SetLyrics("la la");
    EXPECT_NE(t.GenLyrics3Code(vorda::tuIfNeeded).find("IND0000210LYR00005la la"), std::string::npos);
    t.SetLyrics("[00:12]la la");
    EXPECT_NE(t.GenLyrics3Code(vorda::tuIfNeeded).find("IND0000211"), std::string::npos);
    // Field order: IND LYR INF AUT EAL EAR ETT IMG QUA SIT MOO.
    t.SetMood("m");
    t.SetSituation("s");
    t.SetQuality("q");
    t.SetImages("i");
    t.SetArtist(std::string(31, 'A'));
    t.SetAlbum(std::string(31, 'B'));
    t.SetAuthor("au");
    t.SetOtherInfo("o");
    const std::string code = t.GenLyrics3Code(vorda::tuIfWanted);
    size_t last = 0;
    for (const char* id : {"IND", "LYR", "INF", "AUT", "EAL", "EAR", "ETT", "IMG", "QUA", "SIT", "MOO"}) {
        const size_t at = code.find(std::string(id) + "000");
        ASSERT_NE(at, std::string::npos) << id;
        EXPECT_GT(at, last) << id;
        last = at;
    }
    // A field longer than five size digits allow is cut so that the sizes stay true.
    t.SetLyrics(std::string(120000, 'x'));
    EXPECT_NE(t.GenLyrics3Code(vorda::tuIfNeeded).find("LYR99999xxx"), std::string::npos);
}

TEST_F(ID3v1Test, ID3v1RoundTripEveryField)
{
    const std::string path = Make("");
    clsID3v1 w;
    w.SetTitle("Caf\xC3\xA9 Title");
    w.SetArtist("The Artist");
    w.SetAlbum(std::string(30, 'B'));
    w.SetYear("1999");
    w.SetComment(std::string(30, 'c'));
    w.SetGenre("Rock");
    ASSERT_EQ(w.WriteTags(path, true, vorda::tuIfNeeded), 0);
    const std::string tail = TailAfterAudio(path);
    ASSERT_EQ(tail.size(), 128u);
    EXPECT_EQ(tail.substr(3, 10), "Caf\xE9 Title");  // ISO-8859-1 on disk, zero padded
    EXPECT_EQ(tail[13], '\0');

    clsID3v1 r;
    ASSERT_TRUE(r.GetID3v1(path));
    EXPECT_TRUE(r.HasID3v1());
    EXPECT_FALSE(r.HasLyrics3());
    EXPECT_EQ(r.Title(), "Caf\xC3\xA9 Title");
    EXPECT_EQ(r.Artist(), "The Artist");
    EXPECT_EQ(r.Album(), std::string(30, 'B'));
    EXPECT_EQ(r.Year(), "1999");
    EXPECT_EQ(r.Comment(), std::string(30, 'c'));
    EXPECT_EQ(r.GenreNr(), 17);
    EXPECT_EQ(r.Track(), "");
    EXPECT_DOUBLE_EQ(r.Version(), 1.0);
    EXPECT_EQ(r.Size(), 128);
    EXPECT_EQ(r.ID3v1Position(), static_cast<int64_t>(audio_.size()) + 1);
    EXPECT_EQ(r.TailPosition(), r.ID3v1Position());

    // ID3v1.1: track 7 cuts a 30-character comment to 28.
    r.SetTrack("7");
    ASSERT_EQ(r.WriteTags(path, true, vorda::tuIfNeeded), 0);
    const std::string tail11 = TailAfterAudio(path);
    ASSERT_EQ(tail11.size(), 128u);
    EXPECT_EQ(tail11[125], '\0');
    EXPECT_EQ(tail11[126], '\x07');
    clsID3v1 r2;
    r2.GetID3v1(path);
    EXPECT_EQ(r2.Comment(), std::string(28, 'c'));
    EXPECT_EQ(r2.Track(), "7");
    EXPECT_DOUBLE_EQ(r2.Version(), 1.1);
}

TEST_F(ID3v1Test, PaddingBlanksZerosAndLossyText)
{
    std::string comment = "note  ";
    comment.resize(28, ' ');
    comment += std::string("\0\0", 2);  // v1.1 marker with track 0
    const std::string path = Make(RawTag("Hello      ", "Art\0junk", std::string(30, ' '), "99  ", comment, '\xFF'));
    clsID3v1 r;
    ASSERT_TRUE(r.GetID3v1(path));
    EXPECT_EQ(r.Title(), "Hello");
    EXPECT_EQ(r.Artist(), "Art");
    EXPECT_EQ(r.Album(), "");
    EXPECT_EQ(r.Year(), "99");
    EXPECT_EQ(r.Comment(), "note");
    EXPECT_EQ(r.TrackNr(), 0);
    EXPECT_DOUBLE_EQ(r.Version(), 1.0);
    EXPECT_EQ(r.Genre(), "");

    EXPECT_FALSE(r.LosesCharacters());
    r.SetTitle("\xE6\x97\xA5\xE6\x9C\xAC x");  // two CJK characters
    EXPECT_TRUE(r.LosesCharacters());
    EXPECT_FALSE(clsID3v1::FitsLatin1("\xE6\x97\xA5"));
    EXPECT_TRUE(clsID3v1::FitsLatin1("\xC3\xA9"));
    ASSERT_EQ(r.WriteTags(path, true, vorda::tuIfNeeded), 0);
    clsID3v1 back;
    back.GetID3v1(path);
    EXPECT_EQ(back.Title(), "?? x");
}

TEST_F(ID3v1Test, Lyrics3V2WriteReadAndUnknownFields)
{
    const std::string unknown = Lyrics3Field("XYZ", std::string("ab\xFF  ", 5));
    const std::string path =
        Make(Lyrics3Block(Lyrics3Field("IND", "10") + Lyrics3Field("LYR", "  old lyrics ") + unknown) +
             RawTag("Short", "Artist", "Album", "2001", "", '\x05'));
    clsID3v1 t;
    ASSERT_TRUE(t.GetID3v1(path));
    ASSERT_TRUE(t.HasLyrics3());
    EXPECT_EQ(t.Lyrics3Version(), 2);
    EXPECT_EQ(t.Lyrics(), "old lyrics");  // trimmed
    EXPECT_EQ(t.UnknownLyrics3Fields(), unknown);
    EXPECT_EQ(t.Lyrics3Position() + t.LyricsSize(), t.ID3v1Position());
    EXPECT_EQ(t.TailPosition(), static_cast<int64_t>(audio_.size()) + 1);

    const std::string longTitle = std::string(35, 'T') + "\xC3\xA9";
    t.SetTitle(longTitle);
    t.SetArtist(std::string(45, 'A'));
    t.SetAlbum(std::string(250, 'L'));
    t.SetLyrics("[01:02]new");
    t.SetAuthor("Writer");
    t.SetMood("calm");
    t.SetSituation("night");
    t.SetQuality("good");
    t.SetImages("cover.jpg");
    t.SetOtherInfo("info");
    ASSERT_EQ(t.WriteTags(path, true, vorda::tuIfNeeded), 0);
    const std::string tail = TailAfterAudio(path);
    EXPECT_EQ(static_cast<int64_t>(tail.size()), t.LyricsSize() + 128);
    EXPECT_NE(tail.find(unknown), std::string::npos);  // byte for byte

    clsID3v1 r;
    ASSERT_TRUE(r.GetID3v1(path));
    ASSERT_TRUE(r.HasLyrics3());
    EXPECT_EQ(r.Title(), longTitle);
    EXPECT_EQ(r.Artist(), std::string(45, 'A'));
    EXPECT_EQ(r.Album(), std::string(250, 'L'));
    EXPECT_EQ(r.Lyrics(), "[01:02]new");
    EXPECT_EQ(r.Author(), "Writer");
    EXPECT_EQ(r.Mood(), "calm");
    EXPECT_EQ(r.Situation(), "night");
    EXPECT_EQ(r.Quality(), "good");
    EXPECT_EQ(r.Images(), "cover.jpg");
    EXPECT_EQ(r.OtherInfo(), "info");
    EXPECT_EQ(r.UnknownLyrics3Fields(), unknown);
    EXPECT_EQ(r.LyricsSize(), t.LyricsSize());
    EXPECT_EQ(r.GenreNr(), 5);
    EXPECT_EQ(tail.substr(tail.size() - 128 + 3, 30), std::string(30, 'T'));  // ID3v1 keeps 30

    // "Never!" drops the block; the file shrinks, the audio stays.
    ASSERT_EQ(r.WriteTags(path, true, vorda::tuNever), 0);
    EXPECT_EQ(TailAfterAudio(path).size(), 128u);
    EXPECT_FALSE(r.HasLyrics3());
    // Removal leaves exactly the audio.
    ASSERT_EQ(r.RemoveTags(path), 0);
    EXPECT_EQ(TailAfterAudio(path), "");
    EXPECT_FALSE(r.HasID3v1());
    ASSERT_EQ(r.RemoveTags(path), 0);  // nothing to remove
    EXPECT_EQ(ReadBytes(path), audio_);
}

TEST_F(ID3v1Test, Lyrics3V1ReadReplaceAndRemove)
{
    const std::string path = Make("LYRICSBEGINline one\r\nline two LYRICSEND" + RawTag("T", "A", "", "", "", '\x01'));
    clsID3v1 t;
    ASSERT_TRUE(t.GetID3v1(path));
    ASSERT_TRUE(t.HasLyrics3());
    EXPECT_EQ(t.Lyrics3Version(), 1);
    EXPECT_EQ(t.Lyrics(), "line one\r\nline two ");
    EXPECT_EQ(t.LyricsSize(), 11 + 19 + 9);
    EXPECT_EQ(clsID3v1::FindTailStart(path), static_cast<int64_t>(audio_.size()));

    ASSERT_EQ(t.WriteTags(path, true, vorda::tuIfNeeded), 0);  // rewritten as version 2
    TailAfterAudio(path);
    clsID3v1 r;
    r.GetID3v1(path);
    EXPECT_EQ(r.Lyrics3Version(), 2);
    EXPECT_EQ(r.Lyrics(), "line one\r\nline two");

    // A version 1 text of the full 5100 bytes is found too.
    const std::string big = Make("LYRICSBEGIN" + std::string(5100, 'x') + "LYRICSEND" + RawTag("T", "", "", "", "", 0), "b.mp3");
    clsID3v1 b;
    b.GetID3v1(big);
    EXPECT_EQ(b.Lyrics().size(), 5100u);
    ASSERT_EQ(b.RemoveTags(big), 0);
    EXPECT_EQ(ReadBytes(big), audio_);
}

TEST_F(ID3v1Test, StackedTagsAreReplacedAndRemovedTogether)
{
    // Taggers that append a tag instead of replacing the old one leave older ID3v1 tags and
    // Lyrics3 blocks in front of the newest; only the newest is read, and a write replaces all.
    const std::string oldTag = RawTag("Old title", "Old artist", "Old album", "", "", 0);
    const std::string newTag = RawTag("New title", "New artist", "", "", "", 17);
    const std::string oldLyrics = Lyrics3Block(Lyrics3Field("IND", "10") + Lyrics3Field("LYR", "old words"));
    const std::string newLyrics = Lyrics3Block(Lyrics3Field("IND", "10") + Lyrics3Field("LYR", "new words"));
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
        const std::string path = Make(stack, "s" + std::to_string(n++) + ".mp3");
        clsID3v1 t;
        ASSERT_TRUE(t.GetID3v1(path));
        EXPECT_EQ(t.Title(), "New title");
        EXPECT_EQ(t.Album(), "");
        EXPECT_EQ(t.Lyrics(), lyrics);
        EXPECT_EQ(t.TailPosition(), static_cast<int64_t>(audio_.size()) + 1);
        EXPECT_EQ(clsID3v1::FindTailStart(path), static_cast<int64_t>(audio_.size()));

        // Rewritten: one tag (and one block) where the stack was.
        t.SetComment("written");
        ASSERT_EQ(t.WriteTags(path, true, vorda::tuIfNeeded), 0);
        EXPECT_EQ(TailAfterAudio(path), t.GenLyrics3Code(vorda::tuIfNeeded) + t.GenID3v1Code());
        EXPECT_EQ(t.TailPosition(), static_cast<int64_t>(audio_.size()) + 1);

        // Removed: no older tag comes back.
        WriteBytes(path, audio_ + stack);
        ASSERT_TRUE(t.GetID3v1(path));
        ASSERT_EQ(t.RemoveTags(path), 0);
        EXPECT_EQ(ReadBytes(path), audio_);
        clsID3v1 r;
        ASSERT_TRUE(r.GetID3v1(path));
        EXPECT_FALSE(r.HasID3v1());
        EXPECT_EQ(r.Title(), "");
    }
}

TEST_F(ID3v1Test, SavingWhatWasSavedChangesNoByte)
{
    const std::string tag = RawTag("Title", "Artist", "", "", "", 0);
    const std::string block = Lyrics3Block(Lyrics3Field("IND", "10") + Lyrics3Field("LYR", "words"));
    const std::vector<std::string> tails = {
        // Lyrics3 blocks that hold a second begin marker, in their text or in front of them.
        Lyrics3Block(Lyrics3Field("IND", "10") + Lyrics3Field("LYR", "a LYRICSBEGIN b")) + tag,
        "LYRICSBEGINx" + block + tag,
        "LYRICSBEGINoldLYRICSEND" + block + tag,
        block + "LYRICSBEGINnewLYRICSEND" + tag,
        "LYRICSBEGINLYRICSBEGINtwiceLYRICSEND" + tag,
        "LYRICSBEGIN" + Lyrics3Field("LYR", "x") + "LYRICSEND" + block + tag,
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
        for (int mode = vorda::tuIfNeeded; mode <= vorda::tuNever; ++mode) {
            for (const bool keep : {true, false}) {
                SCOPED_TRACE(::testing::Message() << "tail " << n << " mode " << mode << " keep " << keep);
                const std::string path = Make(tail, "f" + std::to_string(n) + ".mp3");
                clsID3v1 t;
                ASSERT_TRUE(t.GetID3v1(path));
                const auto front = static_cast<size_t>(t.TailPosition() - 1);
                ASSERT_EQ(t.WriteTags(path, keep, mode), 0);
                const std::string once = ReadBytes(path);
                EXPECT_EQ(once.substr(0, front), (audio_ + tail).substr(0, front));
                clsID3v1 again;
                ASSERT_TRUE(again.GetID3v1(path));
                EXPECT_EQ(again.HasID3v1(), keep);
                ASSERT_EQ(again.WriteTags(path, keep, mode), 0);
                EXPECT_TRUE(ReadBytes(path) == once) << "the second save changed the file";
            }
        }
        ++n;
    }
}

TEST_F(ID3v1Test, GenreByteWithoutNameSurvivesOtherEdits)
{
    const std::string path = Make(RawTag("Title", "", "", "", "", static_cast<char>(200)));
    clsID3v1 t;
    ASSERT_TRUE(t.GetID3v1(path));
    EXPECT_EQ(t.GenreNr(), 200);
    EXPECT_EQ(t.Genre(), "");
    t.SetGenre(t.Genre());  // the shown value written back
    EXPECT_FALSE(t.Changed());
    t.SetTitle("Other title");
    ASSERT_EQ(t.WriteTags(path, true, vorda::tuIfNeeded), 0);
    EXPECT_EQ(static_cast<unsigned char>(ReadBytes(path).back()), 200);

    t.SetGenre("Rock");  // set: the byte follows
    EXPECT_EQ(t.GenreNr(), 17);
    t.SetGenre("");
    EXPECT_EQ(t.GenreNr(), 255);
}

TEST_F(ID3v1Test, HostileSizesAndShortFiles)
{
    const std::string tag = RawTag("Title", "Artist", "", "", "", 0);
    const std::string good = Lyrics3Block(Lyrics3Field("IND", "00") + Lyrics3Field("ETT", std::string(40, 'E')));
    std::string notDigits = good;
    notDigits[notDigits.size() - 13] = 'x';
    std::string tooBig = good;
    tooBig.replace(tooBig.size() - 15, 6, "999999");
    std::string wrongBegin = good;
    wrongBegin.replace(tooBig.size() - 15, 6, "000030");
    std::string fieldOverrun = Lyrics3Block(Lyrics3Field("IND", "00") + "ETT00900short");
    std::string badFieldSize = Lyrics3Block(Lyrics3Field("IND", "00") + "ETT0x040" + std::string(40, 'E'));
    int n = 0;
    for (const std::string& damaged : {notDigits, tooBig, wrongBegin, fieldOverrun, badFieldSize,
                                       std::string("LYRICS200"), std::string("LYRICSEND")}) {
        const std::string path = Make(damaged + tag, "d" + std::to_string(n++) + ".mp3");
        clsID3v1 t;
        ASSERT_TRUE(t.GetID3v1(path));
        EXPECT_TRUE(t.HasID3v1());
        EXPECT_FALSE(t.HasLyrics3()) << n;
        EXPECT_EQ(t.Title(), "Title");
        // A damaged block is not part of the tags: writing keeps it, like the audio.
        t.SetTitle(std::string(35, 'N'));
        ASSERT_EQ(t.WriteTags(path, true, vorda::tuIfNeeded), 0);
        const std::string after = ReadBytes(path);
        EXPECT_EQ(after.substr(0, audio_.size() + damaged.size()), audio_ + damaged);
        ASSERT_EQ(t.RemoveTags(path), 0);
        EXPECT_EQ(ReadBytes(path), audio_ + damaged);
    }
    // Files too short for a tag, a tag alone, and a tag with "LYRICS200" but no room for a size.
    for (const std::string& bytes : {std::string(), std::string("TAG"), std::string(127, 'T'),
                                     std::string("LYRICS200") + tag, "LYRICSBEGIN" + std::string("LYRICS200") + tag}) {
        const fs::path p = dir_ / "short.mp3";
        WriteBytes(p, bytes);
        clsID3v1 t;
        EXPECT_TRUE(t.GetID3v1(p.string()));
        EXPECT_EQ(t.HasID3v1(), bytes.size() >= 128);
        EXPECT_FALSE(t.HasLyrics3());
        EXPECT_EQ(t.FileLength(), static_cast<int64_t>(bytes.size()));
        ASSERT_EQ(t.RemoveTags(p.string()), 0);
        EXPECT_EQ(ReadBytes(p), bytes.size() >= 128 ? bytes.substr(0, bytes.size() - 128) : bytes);
    }
    clsID3v1 none;
    EXPECT_FALSE(none.GetID3v1((dir_ / "missing.mp3").string()));
    EXPECT_EQ(none.WriteTags((dir_ / "missing.mp3").string(), true, vorda::tuIfNeeded), ENOENT);
    EXPECT_FALSE(fs::exists(dir_ / "missing.mp3"));
    EXPECT_EQ(clsID3v1::WriteTail(Make(""), static_cast<int64_t>(audio_.size()) + 1, "x"), EINVAL);
}

TEST_F(ID3v1Test, WriteTailForCallers)
{
    // The tag handler writes the blocks itself after rebuilding: in place and shorter.
    const std::string path = Make(std::string(300, 'Z'));
    clsID3v1 t;
    t.SetTitle("X");
    const std::string block = t.GenID3v1Code();
    ASSERT_EQ(clsID3v1::WriteTail(path, static_cast<int64_t>(audio_.size()), block), 0);
    EXPECT_EQ(TailAfterAudio(path), block);
    t.SetWritten(true, 0, static_cast<int64_t>(audio_.size() + 128));
    EXPECT_TRUE(t.HasID3v1());
    EXPECT_FALSE(t.Changed());
    EXPECT_EQ(t.ID3v1Position(), static_cast<int64_t>(audio_.size()) + 1);
}

// ---------------------------------------------------------------- mutagen as the peer

namespace {

bool HaveMutagen()
{
    static const bool have = std::system("/usr/bin/python3 -c 'import mutagen' >/dev/null 2>&1") == 0;
    return have;
}

// Runs a Python script with the path as its argument; its output as "KEY=value" lines.
std::map<std::string, std::string> RunPython(const fs::path& dir, const std::string& script, const std::string& path)
{
    const fs::path scriptFile = dir / "peer.py";
    WriteBytes(scriptFile, script);
    const std::string command =
        "PYTHONIOENCODING=utf-8 /usr/bin/python3 '" + scriptFile.string() + "' '" + path + "' 2>&1";
    std::map<std::string, std::string> values;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return values;
    std::string output;
    char buffer[512];
    while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
    EXPECT_EQ(pclose(pipe), 0) << output;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(start, end - start);
        const size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
        start = end + 1;
    }
    return values;
}

// The ID3v1 fields as mutagen reads them from the last 128 bytes (genre as its number).
const char* const kMutagenReadV1 = R"(import sys
from mutagen.id3 import ParseID3v1
with open(sys.argv[1], 'rb') as f:
    data = f.read()
frames = ParseID3v1(data[-128:]) if len(data) >= 128 else None
for key, frame in (frames or {}).items():
    print(key[:4] + '=' + str(frame.text[0]))
)";

}  // namespace

TEST_F(ID3v1Test, MutagenReadsWhatVordaWrites)
{
    if (!HaveMutagen()) GTEST_SKIP() << "mutagen is not installed for /usr/bin/python3";
    const std::string path = Make("");
    clsID3v1 w;
    w.SetTitle("Caf\xC3\xA9 Society and a title over thirty");
    w.SetArtist("Vorda Artist");
    w.SetAlbum("Album Name");
    w.SetYear("2004");
    w.SetComment("Peer comment");
    w.SetTrack("9");
    w.SetGenre("Hard Rock");
    w.SetLyrics("words");
    ASSERT_EQ(w.WriteTags(path, true, vorda::tuIfNeeded), 0);
    ASSERT_TRUE(w.HasLyrics3());
    const auto tags = RunPython(dir_, R"(import sys, mutagen.mp3
tags = mutagen.mp3.MP3(sys.argv[1]).tags
for key in tags.keys():
    print(key[:4] + '=' + str(tags[key].text[0]))
)", path);
    EXPECT_EQ(tags.at("TIT2"), "Caf\xC3\xA9 Society and a title over");  // 30 characters
    EXPECT_EQ(tags.at("TPE1"), "Vorda Artist");
    EXPECT_EQ(tags.at("TALB"), "Album Name");
    EXPECT_EQ(tags.at("TDRC"), "2004");
    EXPECT_EQ(tags.at("COMM"), "Peer comment");
    EXPECT_EQ(tags.at("TRCK"), "9");
    EXPECT_EQ(tags.at("TCON"), "Hard Rock");
}

TEST_F(ID3v1Test, VordaReadsWhatMutagenWrites)
{
    if (!HaveMutagen()) GTEST_SKIP() << "mutagen is not installed for /usr/bin/python3";
    const std::string path = Make("");
    RunPython(dir_, R"(import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, TRCK, TCON, COMM
t = ID3()
t.add(TIT2(encoding=3, text='M\u00fctagen Title'))
t.add(TPE1(encoding=3, text='Peer Artist'))
t.add(TALB(encoding=3, text='Peer Album'))
t.add(TDRC(encoding=3, text='1987'))
t.add(TRCK(encoding=3, text='12/14'))
t.add(TCON(encoding=3, text='Rock'))
t.save(sys.argv[1], v1=2)
)", path);
    clsID3v1 r;
    ASSERT_TRUE(r.GetID3v1(path));
    ASSERT_TRUE(r.HasID3v1());
    EXPECT_EQ(r.Title(), "M\xC3\xBCtagen Title");
    EXPECT_EQ(r.Artist(), "Peer Artist");
    EXPECT_EQ(r.Album(), "Peer Album");
    EXPECT_EQ(r.Year(), "1987");
    EXPECT_EQ(r.Track(), "12");
    EXPECT_EQ(r.Genre(), "Rock");
    EXPECT_FALSE(r.HasLyrics3());
}

TEST_F(ID3v1Test, CorpusFilesReadLikeMutagen)
{
    const fs::path corpus = VORDA_CORPUS_DIR;
    if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        if (entry.path().extension() != ".mp3") continue;
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        clsID3v1 t;
        EXPECT_TRUE(t.GetID3v1(path));
        EXPECT_LE(t.LyricsSize() + t.Size(), t.FileLength());
        EXPECT_EQ(clsID3v1::FindTailStart(path), t.TailPosition() - 1);
        if (!t.HasID3v1() || !HaveMutagen()) continue;
        const auto peer = RunPython(dir_, kMutagenReadV1, path);
        auto peerValue = [&peer](const char* key) { return peer.count(key) ? peer.at(key) : std::string(); };
        // Lyrics3 extended fields are longer versions of the 30-byte ones.
        auto same = [&t](const std::string& ours, const std::string& theirs) {
            return ours == theirs || (t.HasLyrics3() && ours.rfind(theirs, 0) == 0);
        };
        EXPECT_TRUE(same(t.Title(), peerValue("TIT2"))) << t.Title();
        EXPECT_TRUE(same(t.Artist(), peerValue("TPE1"))) << t.Artist();
        EXPECT_TRUE(same(t.Album(), peerValue("TALB"))) << t.Album();
        EXPECT_EQ(t.Comment(), peerValue("COMM"));
        EXPECT_EQ(t.Track(), peerValue("TRCK"));
        if (!peerValue("TDRC").empty()) {
            EXPECT_EQ(std::stol(t.Year()), std::stol(peerValue("TDRC")));
        }
        EXPECT_EQ(t.GenreNr() == 255 ? std::string() : std::to_string(t.GenreNr()), peerValue("TCON"));
        ++compared;
    }
    if (HaveMutagen()) {
        EXPECT_GE(compared, 5);
    }
}

TEST_F(ID3v1Test, CorpusTrailingTagsOfOtherToolsSurviveAnID3v1Write)
{
    // An APEv2 tag (and, where the file has one, a Lyrics3 block) stands in front of the ID3v1
    // tag: a rewrite of the ID3v1 tag keeps every byte in front of the tail it owns.
    const fs::path source = fs::path(VORDA_CORPUS_DIR) / "apev2-lyricsv2.mp3";
    if (!fs::exists(source)) GTEST_SKIP() << "no corpus file " << source;
    const fs::path copy = dir_ / "apev2-lyricsv2.mp3";
    fs::copy_file(source, copy);
    const std::string before = ReadBytes(copy);
    clsID3v1 t;
    ASSERT_TRUE(t.GetID3v1(copy.string()));
    EXPECT_EQ(t.HasLyrics3(), before.find("LYRICS200") != std::string::npos);
    const std::string title = t.Title(), artist = t.Artist(), album = t.Album();
    EXPECT_FALSE(artist.empty());
    const size_t keep = static_cast<size_t>(t.TailPosition() - 1);
    ASSERT_NE(before.find("APETAGEX"), std::string::npos);
    EXPECT_LT(before.rfind("APETAGEX"), keep);  // the APEv2 tag is not part of the tail
    t.SetComment("changed");
    ASSERT_EQ(t.WriteTags(copy.string(), true, vorda::tuIfNeeded), 0);
    const std::string after = ReadBytes(copy);
    EXPECT_EQ(after.substr(0, keep), before.substr(0, keep));
    clsID3v1 r;
    ASSERT_TRUE(r.GetID3v1(copy.string()));
    EXPECT_EQ(r.Comment(), "changed");
    EXPECT_EQ(r.Title(), title);
    EXPECT_EQ(r.Artist(), artist);
    EXPECT_EQ(r.Album(), album);
}
