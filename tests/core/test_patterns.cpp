// The pattern engine: reading values out of names, choosing the input pattern, cleaning typed
// patterns, a file's values, expansion, new names and destination folders.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "IniTestSupport.h"
#include "app/Routines.h"
#include "naming/FileValues.h"
#include "naming/NamingText.h"
#include "naming/PatternEngine.h"
#include "tags/clsFile.h"

using namespace vorda;

namespace {

class MapTag : public clsTag {
public:
    explicit MapTag(std::map<int, std::string> values) : values_(std::move(values)) {}
    bool hasTag(int) const override { return true; }
    std::string tagType() const override { return "map"; }
    bool tagRead(clsFile&) override { return true; }
    int tagWrite() override { return 0; }
    long tagSize() const override { return 0; }
    long tagPosition() const override { return 0; }
    void setTagPosition(long) override {}
    std::string GetValue(int key, const std::string&) override {
        auto it = values_.find(key);
        return it == values_.end() ? std::string() : it->second;
    }
    bool SetValue(int, const std::string&, const std::string&) override { return false; }
    int RemoveJunk() override { return 0; }
    void Reset() override {}
    void Add(int) override {}
    void Remove(int) override {}

private:
    std::map<int, std::string> values_;
};

class FixedAudio : public clsAudio {
public:
    bool ReadInfo(const std::string&, long) override { return true; }
    std::string GetInfo(int index) const override {
        if (index == aiBitRate) return " 128000 ";
        if (index == aiSampleRate) return "44100";
        return {};
    }
    void Reset() override {}
    long StartPos() const override { return 0; }
    bool SetPosition(long) override { return true; }
    bool IsValid() const override { return true; }
    std::string AudioType() const override { return "MPEG"; }
};

// A file object on a real file in a private folder, with a tag of the given values.
struct TaggedFile {
    initest::TempDir dir;
    clsFile file;
    TaggedFile(const std::string& name, std::map<int, std::string> tags) {
        initest::WriteText(dir / name, "data");
        EXPECT_TRUE(file.ReadFile(dir / name, false));
        file.SetTag(std::make_unique<MapTag>(std::move(tags)));
        file.SetAudio(std::make_unique<FixedAudio>());
    }
};

Settings Defaults() {
    Settings s;
    s.Replaces.clear();
    return s;
}

FileValues Values(std::string artist, std::string title, std::string album = "", std::string track = "") {
    FileValues v;
    v.name = "old name.mp3";
    v.folder = "/music/";
    v.artist = std::move(artist);
    v.title = std::move(title);
    v.album = std::move(album);
    v.track = std::move(track);
    return v;
}

}  // namespace

TEST(PatternExtraction, ValuesEndAtTheFirstFollowingSeparator)
{
    const Settings s = Defaults();
    EXPECT_EQ(ExtractValue("ABBA - SOS.mp3", "<artist>", "<artist> - <title>", s), "ABBA");
    EXPECT_EQ(ExtractValue("ABBA - SOS.mp3", "<title>", "<artist> - <title>", s), "SOS");
    EXPECT_EQ(ExtractValue("A - B - C.mp3", "<artist>", "<artist> - <title>", s), "A");
    EXPECT_EQ(ExtractValue("A - B - C.mp3", "<title>", "<artist> - <title>", s), "B - C");
    EXPECT_EQ(ExtractValue("01. X - Y.mp3", "<track>", "<track>. <artist> - <title>", s), "01");
    EXPECT_EQ(ExtractValue("01. X - Y.mp3", "<artist>", "<track>. <artist> - <title>", s), "X");
    // Dummies swallow text that belongs to no value.
    EXPECT_EQ(ExtractValue("[web] Kraftwerk - Radio.mp3", "<artist>", "[<dummy>] <artist> - <title>", s),
              "Kraftwerk");
    EXPECT_EQ(ExtractValue("x [web] Kraftwerk - Radio.mp3", "<artist>", "<dummy> [web] <artist> - <title>", s),
              "Kraftwerk");
    EXPECT_EQ(ExtractValue("Kraftwerk - 1978 - Radio.mp3", "<title>", "<artist> - <dummy> - <title>", s), "Radio");
}

TEST(PatternExtraction, LiteralPrefixSuffixAndExtensions)
{
    const Settings s = Defaults();
    // The prefix is dropped by its length, not compared.
    EXPECT_EQ(ExtractValue("CD2 Song.mp3", "<title>", "CD1 <title>", s), "Song");
    EXPECT_EQ(ExtractValue("Émile Song.mp3", "<title>", "Ébène<title>", s), "Song");
    EXPECT_EQ(ExtractValue("Song (live).mp3", "<title>", "<title> (live)", s), "Song");
    // Six or more characters after the dot are not an extension.
    EXPECT_EQ(ExtractValue("x.backup", "<title>", "<title>", s), "x.backup");
    EXPECT_EQ(ExtractValue("x.mpeg", "<title>", "<title>", s), "x");
    // Underscores and %20 count as spaces in both the name and the pattern.
    EXPECT_EQ(ExtractValue("Daft_Punk_-_Aerodynamic.mp3", "<title>", "<artist> - <title>", s), "Aerodynamic");
    EXPECT_EQ(ExtractValue("Daft%20Punk%20-%20One.mp3", "<artist>", "<artist>_-_<title>", s), "Daft Punk");
}

TEST(PatternExtraction, MissingPartsGiveEmptyValues)
{
    const Settings s = Defaults();
    EXPECT_EQ(ExtractValue("ABBA - SOS.mp3", "<album>", "<artist> - <title>", s), "");
    EXPECT_EQ(ExtractValue("   ", "<title>", "<title>", s), "");
    EXPECT_EQ(ExtractValue("NoSeparator.mp3", "<title>", "<artist> - <title>", s), "");
    EXPECT_EQ(ExtractValue("NoSeparator.mp3", "<artist>", "<artist> - <title>", s), "");
    // Folders of the pattern are matched against the last components of a path.
    EXPECT_EQ(ExtractValue("/m/Abba/Gold/01 - SOS.mp3", "<album>", "<artist>/<album>/<track> - <title>", s), "Gold");
    EXPECT_EQ(ExtractValue("/m/Abba/Gold/01 - SOS.mp3", "<title>", "<title>", s), "01 - SOS");
}

TEST(PatternDetection, PicksThePerfectOrTheFirstBestPattern)
{
    const Settings s = Defaults();
    const std::vector<std::string> list{"<track> - <artist> - <title>", "<artist> - <title>"};
    EXPECT_EQ(DetectInPattern("/m/01 - A - B.mp3", list, "box", s), list[0]);
    EXPECT_EQ(DetectInPattern("/m/A - B.mp3", list, "box", s), list[1]);
    EXPECT_EQ(DetectionScore("/m/A - B.mp3", list[0], s), 0);
    EXPECT_EQ(DetectionScore("/m/A - B - C.mp3", "<year> - <artist> - <title>", s), 50000);
    // The folders of a path take part when the pattern has folders.
    const std::vector<std::string> folders{"<artist> - <album> - <title>", "<artist>/<album>/<track> - <title>"};
    EXPECT_EQ(DetectInPattern("/Music/A/B/01 - T.mp3", folders, "box", s), folders[1]);
    // Ties go to the earlier entry; nothing matching gives the first entry.
    EXPECT_EQ(DetectInPattern("/m/x.mp3", {"<a> - <b>", "<a> + <b>"}, "box", s), "<a> - <b>");
    EXPECT_EQ(DetectInPattern("/m/a + b + c.mp3", {"<a> - <b> - <c>", "<a> + <b> = <c>"}, "box", s),
              "<a> + <b> = <c>");
    // A blank path or a list without patterns gives the box text.
    EXPECT_EQ(DetectInPattern(" ", list, "box", s), "box");
    EXPECT_EQ(DetectInPattern("/m/A - B.mp3", {"", " "}, "box", s), "box");
}

TEST(PatternChecks, TypedPatternsAreCleanedAndValidated)
{
    std::string p = "<<artist>> - <<<title>>>";
    EXPECT_TRUE(ValidatePattern(p, kInPatternIllegal));
    EXPECT_EQ(p, "<artist> - <title>");
    p = "<>a<>*?:|\"\\b";
    EXPECT_TRUE(ValidatePattern(p, kInPatternIllegal));
    EXPECT_EQ(p, "ab");
    p = "<artist>//<<album";
    EXPECT_FALSE(ValidatePattern(p, kFolderPatternIllegal));
    EXPECT_EQ(p, "<artist>/<album");

    std::string text = "<<artist> - <title>";
    EXPECT_EQ(CheckPatternOnFocusLoss(PatternKind::Input, text), "");
    EXPECT_EQ(text, "<artist> - <title>");
    text = "<artist - <title>/";
    bool info = true;
    EXPECT_EQ(CheckPatternOnFocusLoss(PatternKind::Output, text, &info),
              "The current OutPattern is invalid! \nIt must contain exactly as many \"<\" as \">\" and it cannot "
              "contain any of these characters: ?\\/:\"|*");
    EXPECT_FALSE(info);
    EXPECT_EQ(text, "<artist - <title>");
    text = "<a";
    EXPECT_EQ(CheckPatternOnFocusLoss(PatternKind::Input, text),
              "The current InPattern is invalid! \nIt must contain exactly as many \"<\" as \">\" and it cannot "
              "contain any of these characters: ?\\:\"|*");

    EXPECT_FALSE(PatternKeyAllowed(PatternKind::Input, U':'));
    EXPECT_TRUE(PatternKeyAllowed(PatternKind::Input, U'/'));
    EXPECT_FALSE(PatternKeyAllowed(PatternKind::Output, U'/'));
    EXPECT_FALSE(PatternKeyAllowed(PatternKind::Album, U':'));
    EXPECT_FALSE(PatternKeyAllowed(PatternKind::Path, U'\\'));
    EXPECT_TRUE(PatternKeyAllowed(PatternKind::Path, U'é'));
    EXPECT_FALSE(NewNameKeyAllowed(U'<'));
    EXPECT_TRUE(NewNameKeyAllowed(U'-'));
}

TEST(PatternChecks, FolderPatternsAreNormalised)
{
    std::string message = "old";
    EXPECT_EQ(NormalizeFolderPattern("<uletter>/<artist>", &message), "<uletter>/<artist>/");
    EXPECT_EQ(message, "");
    EXPECT_EQ(NormalizeFolderPattern("/srv/music//<artist>/"), "/srv/music/<artist>/");
    EXPECT_EQ(NormalizeFolderPattern("~/m:usic/<artist>"), "~/music/<artist>/");
    // Nothing stays nothing, not the root folder.
    EXPECT_EQ(NormalizeFolderPattern(""), "");
    EXPECT_EQ(NormalizeFolderPattern("*?"), "");

    std::string text = "<artist/<album>";
    bool info = false;
    const std::string shown = CheckPatternOnFocusLoss(PatternKind::Path, text, &info);
    EXPECT_EQ(text, "<artist/<album>/");
    EXPECT_TRUE(info);
    EXPECT_EQ(shown, "The current AlbumPattern is invalid! \nIt must contain exactly as many \"<\" as \">\" and it "
                     "cannot contain any of these characters: ?\\:\"|*");
}

TEST(FileValuesRecord, TagsFirstThenTheNameWithTrackPadding)
{
    Settings s = Defaults();
    TaggedFile f("Name Artist - Name Title.mp3",
                 {{tvArtist, "  Tag Artist "}, {tvTrack, "7/12"}, {tvGenre, "Pop"}, {tvYear, "1999"}});
    FileValues v = GetFileValues(f.file, "<artist> - <title>", 4, s);
    EXPECT_EQ(v.index, 4);
    EXPECT_EQ(v.name, "Name Artist - Name Title.mp3");
    EXPECT_EQ(v.folder, f.dir.path());
    EXPECT_EQ(v.artist, "Tag Artist");
    EXPECT_EQ(v.title, "Name Title");  // no tag value: read from the name
    EXPECT_EQ(v.track, "07/12");
    EXPECT_EQ(v.genre, "Pop");
    EXPECT_EQ(v.bitrate, "128000");
    EXPECT_EQ(v.samplerate, "44100");

    s.iTrackDigits = 3;
    EXPECT_EQ(GetFileValues(f.file, "<artist> - <title>", 1, s).track, "007/12");
    s.bPadTrackNr = false;
    EXPECT_EQ(GetFileValues(f.file, "<artist> - <title>", 1, s).track, "7/12");

    // Without tags every value comes from the name, unpadded.
    s.bPadTrackNr = true;
    s.bUseTags = false;
    TaggedFile g("3 - Kraftwerk - Radio.mp3", {{tvArtist, "Tag"}});
    v = GetFileValues(g.file, "<track> - <artist> - <title>", 1, s);
    EXPECT_EQ(v.artist, "Kraftwerk");
    EXPECT_EQ(v.track, "3");
    EXPECT_EQ(v.bitrate, "");
}

TEST(PatternExpansion, PlaceholdersLettersAndCleanUp)
{
    Settings s = Defaults();
    FileValues v = Values("abba", "sos", "gold", "03");
    v.year = "1992";
    v.genre = "Pop";
    v.comment = "c";
    v.bitrate = "128000";
    v.samplerate = "44100";
    EXPECT_EQ(ReplacePlaceholders(v, "<uletter><lletter> <artist>|<title>|<album>|<track>|<year>|<genre>|<comment>|"
                                     "<bitrate>|<samplerate>|<other>"),
              "Aa abba|sos|gold|03|1992|Pop|c|128000|44100|<other>");
    v.artist = "élan";
    EXPECT_EQ(ReplacePlaceholders(v, "<uletter>/<lletter>"), "É/é");
    v.artist = "";
    EXPECT_EQ(ReplacePlaceholders(v, "[<uletter>]<artist>[<lletter>]"), "[][]");
    // A value is text: placeholder texts inside it are not expanded again.
    v.artist = "<title>";
    EXPECT_EQ(ReplacePlaceholders(v, "<artist>"), "<title>");

    v = Values("abba", "sos", "gold", "7/12");
    EXPECT_EQ(ApplyPattern(v, "<track> - <artist> - <title>", s), "7 - Abba - Sos");
    EXPECT_EQ(ApplyPattern(v, "", s), "");
    // With empty values the clean-up closes the gaps.
    EXPECT_EQ(ApplyPattern(Values("", "sos"), "<artist> - <title>", s), "Sos");
    s.iCaseChange = 2;
    v = Values("mcCARTNEY", "yesterday", "HELP");
    EXPECT_EQ(ApplyPattern(v, "<artist> - <title> - <album>", s), "McCARTNEY - Yesterday - HELP");
    s.bLCaseFirst = true;
    EXPECT_EQ(ApplyPattern(v, "<artist> - <title> - <album>", s), "Mccartney - Yesterday - Help");
}

TEST(NewFileName, ExtensionsLengthAndIllegalCharacters)
{
    Settings s = Defaults();
    FileValues v = Values("abba", "sos");
    v.name = "x.Mp3";
    EXPECT_EQ(BuildNewFileName(v, "<artist> - <title>", s), "Abba - Sos.mp3");
    EXPECT_EQ(BuildNewFileName(v, "<artist> - <title>.OGG", s), "Abba - Sos.ogg");
    s.bLowExtension = false;
    EXPECT_EQ(BuildNewFileName(v, "<artist> - <title>", s), "Abba - Sos.Mp3");
    // A "short extension" that holds a placeholder is part of the name.
    EXPECT_EQ(BuildNewFileName(v, "<artist>.<title>", s), "Abba.Sos.Mp3");
    v.name = "x.backup";
    EXPECT_EQ(BuildNewFileName(v, "<artist>", s), "Abba");
    v.name = "README";
    EXPECT_EQ(BuildNewFileName(v, "<artist>", s), "Abba");
    v.artist = "..";
    EXPECT_EQ(BuildNewFileName(v, "<artist>", s), "");
    v.name = "";
    EXPECT_EQ(BuildNewFileName(v, "<artist>", s), "");

    v = Values("AC/DC", "What? Why: \"Now\" | * \\ <x>");
    v.name = "a.mp3";
    s.bLowExtension = true;
    EXPECT_EQ(BuildNewFileName(v, "<artist> - <title>", s), "ACDC - What Why Now    X.mp3");

    s.bLimitFNameLength = true;
    s.iMaxFNameLength = 10;
    v = Values("abcde", "fghij");  // "Abcde - Fghij": 13 characters
    v.name = "a.mp3";
    EXPECT_EQ(BuildNewFileName(v, "<artist> - <title>", s), "Abcde - F~.mp3");
    v = Values("Ééééé", "Жжж");
    v.name = "a.mp3";
    EXPECT_EQ(BuildNewFileName(v, "<artist> - <title>", s), "Ééééé - Ж~.mp3");
}

TEST(DestinationFolders, TagValuesNeverLeaveTheTarget)
{
    const Settings s = Defaults();
    const std::string pattern = "<uletter>/<artist>/<album>/";
    // The case rule works on each value, so every folder name made of one gets its capital.
    EXPECT_EQ(BuildDestinationFolder("/t", Values("abba", "", "gold"), pattern, s), "/t/A/Abba/Gold/");
    // "/" inside a value creates no folder; "." and ".." values do not climb; empty values leave
    // no empty folder level.
    EXPECT_EQ(BuildDestinationFolder("/t/", Values("AC/DC", "", "../../etc"), pattern, s), "/t/A/ACDC/....Etc/");
    EXPECT_EQ(BuildDestinationFolder("/t/", Values("..", "", ".."), "<artist>/<album>/", s), "/t/");
    EXPECT_EQ(BuildDestinationFolder("/t/", Values("/Etc", "", "."), "<artist>/<album>/", s), "/t/Etc/");
    EXPECT_EQ(BuildDestinationFolder("/t/", Values("", "", ""), "<artist>/<album>/", s), "/t/");
    EXPECT_EQ(BuildDestinationFolder("/t/", Values("~", "", "Xy"), "<artist>/<album>/", s), "/t/~/Xy/");
    // Only the pattern decides whether a folder is absolute.
    EXPECT_EQ(BuildDestinationFolder("/t/", Values("Abba", "", "gold"), "/srv/<artist>/", s), "/srv/Abba/");
    EXPECT_EQ(BuildDestinationFolder("/t/", Values("Abba", "", ""), "~/<artist>/", s),
              AddBackslash(HomeFolder()) + "Abba/");
    EXPECT_EQ(BuildDestinationFolder("/t", Values("abba", ""), "", s), "/t/");
    EXPECT_EQ(ApplyFolderPattern(Values("..", ""), "<artist>", s), "");
}

TEST(PatternExpansion, RulesCleanTheValuesAndKeepTheTypedText)
{
    Settings s = Defaults();
    // Fixing (underscores, dashes) and case rules never touch the folders the user typed.
    EXPECT_EQ(BuildDestinationFolder("/t/", Values("the_band", "", "best-of"), "/media/user/1234-ABCD/music_lib/<artist>/"
                                     "<album>/", s),
              "/media/user/1234-ABCD/music_lib/The Band/Best - Of/");
    s.iCaseChange = 3;
    EXPECT_EQ(ApplyPattern(Values("abba", "sos"), "Hits_of <artist> -- <title>", s), "Hits_of ABBA -- SOS");
    s.iCaseChange = 1;
    // A value in capitals keeps them when the whole name is not in capitals, as before.
    EXPECT_EQ(ApplyPattern(Values("ABBA", "sos"), "<artist> - <title>", s), "ABBA - Sos");
    EXPECT_EQ(ApplyPattern(Values("ABBA", "SOS"), "<artist> - <title>", s), "Abba - Sos");
    // Gaps of empty values close inside their own folder; a folder of typed text stays.
    EXPECT_EQ(ApplyFolderPattern(Values("", "", "Gold"), "Music - x/<artist> - <album>/", s), "Music - x/Gold/");

    // Control characters: from values they become spaces, from the pattern they go.
    FileValues v = Values("a\tb", "line\none\x1b[0m\x7f\xC2\x85" "end");
    v.name = "x.mp3";
    EXPECT_EQ(BuildNewFileName(v, "<artist>\x01 - <title>", s), "A B - Line One [0m End.mp3");
    EXPECT_EQ(BuildDestinationFolder("/t/", v, "<artist>\n/", s), "/t/A B/");
    EXPECT_EQ(naming::EscapeControlChars("a\nb\tc\x1b\x7f\xC2\x9b\xC3\xA9\\"), "a\\nb\\tc\\x1b\\x7f\\u009b\xC3\xA9\\");
}

TEST(ValuesFromNames, LegacyBytesAreReadAsLatin1)
{
    const Settings s = Defaults();
    EXPECT_EQ(ExtractValue("caf\xE9 - song.mp3", "<artist>", "<artist> - <title>", s), "caf\xC3\xA9");
    EXPECT_EQ(ExtractValue("/m/d\xFCsseldorf/caf\xE9 - s.mp3", "<album>", "<album>/<artist> - <title>", s),
              "d\xC3\xBCsseldorf");
    // UTF-8 names stay as they are.
    EXPECT_EQ(ExtractValue("caf\xC3\xA9 - song.mp3", "<artist>", "<artist> - <title>", s), "caf\xC3\xA9");
    EXPECT_EQ(DetectionScore("/m/\xE9t\xE9 - x.mp3", "<artist> - <title>", s), 100000);
    TaggedFile f("caf\xE9 - song.mp3", {});
    EXPECT_EQ(GetFileValues(f.file, "<artist> - <title>", 1, s).artist, "caf\xC3\xA9");
}

TEST(PatternPreview, ShowsTheBuiltNameOnlyWhenFixing)
{
    const Settings s = Defaults();
    TaggedFile f("old.mp3", {{tvArtist, "abba"}, {tvTitle, "sos"}, {tvTrack, "1"}});
    EXPECT_EQ(PreviewNewName(true, f.file, "<title>", 1, "<track> <artist> - <title>", "old.mp3", s),
              "01 Abba - Sos.mp3");
    EXPECT_EQ(PreviewNewName(false, f.file, "<title>", 1, "<track> <artist> - <title>", "old.mp3", s), "old.mp3");
}
