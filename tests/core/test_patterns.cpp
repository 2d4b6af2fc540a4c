// SPDX-License-Identifier: GPL-2.0-or-later

// The pattern engine: reading values out of names, choosing the input pattern, cleaning typed
// patterns, a file's values, expansion, new names and destination folders.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FakeTagSupport.h"
#include "IniTestSupport.h"
#include "base/Text.h"
#include "naming/FileValues.h"
#include "naming/PatternEngine.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;

namespace {

// A file object on a real file in a private folder, with a tag of the given values.
struct TaggedFile {
    initest::TempDir dir;
    AudioFile file;
    TaggedFile(const std::string& name, std::map<int, std::string> tags) {
        initest::writeText(dir / name, "data");
        EXPECT_TRUE(file.readFile(dir / name, false));
        file.setTag(std::make_unique<fakes::ValueTag>(std::move(tags)));
        file.setAudio(std::make_unique<fakes::ValueAudio>(
            std::map<AudioKey, std::string>{{AudioKey::BitRate, " 128000 "}, {AudioKey::SampleRate, "44100"}}));
    }
};

Settings defaults() {
    Settings s;
    s.replaces.clear();
    return s;
}

FileValues values(std::string artist, std::string title, std::string album = "", std::string track = "") {
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

TEST(PatternExtraction, ValuesEndAtTheFirstFollowingSeparator) {
    const Settings s = defaults();
    EXPECT_EQ(extractValue("ABBA - SOS.mp3", "<artist>", "<artist> - <title>", s), "ABBA");
    EXPECT_EQ(extractValue("ABBA - SOS.mp3", "<title>", "<artist> - <title>", s), "SOS");
    EXPECT_EQ(extractValue("A - B - C.mp3", "<artist>", "<artist> - <title>", s), "A");
    EXPECT_EQ(extractValue("A - B - C.mp3", "<title>", "<artist> - <title>", s), "B - C");
    EXPECT_EQ(extractValue("01. X - Y.mp3", "<track>", "<track>. <artist> - <title>", s), "01");
    EXPECT_EQ(extractValue("01. X - Y.mp3", "<artist>", "<track>. <artist> - <title>", s), "X");
    // Dummies swallow text that belongs to no value.
    EXPECT_EQ(extractValue("[web] Kraftwerk - Radio.mp3", "<artist>", "[<dummy>] <artist> - <title>", s), "Kraftwerk");
    EXPECT_EQ(extractValue("x [web] Kraftwerk - Radio.mp3", "<artist>", "<dummy> [web] <artist> - <title>", s),
              "Kraftwerk");
    EXPECT_EQ(extractValue("Kraftwerk - 1978 - Radio.mp3", "<title>", "<artist> - <dummy> - <title>", s), "Radio");
}

TEST(PatternExtraction, LiteralPrefixSuffixAndExtensions) {
    const Settings s = defaults();
    // The prefix is dropped by its length, not compared.
    EXPECT_EQ(extractValue("CD2 Song.mp3", "<title>", "CD1 <title>", s), "Song");
    EXPECT_EQ(extractValue("Émile Song.mp3", "<title>", "Ébène<title>", s), "Song");
    EXPECT_EQ(extractValue("Song (live).mp3", "<title>", "<title> (live)", s), "Song");
    // Six or more characters after the dot are not an extension.
    EXPECT_EQ(extractValue("x.backup", "<title>", "<title>", s), "x.backup");
    EXPECT_EQ(extractValue("x.mpeg", "<title>", "<title>", s), "x");
    // Underscores and %20 count as spaces in both the name and the pattern.
    EXPECT_EQ(extractValue("Daft_Punk_-_Aerodynamic.mp3", "<title>", "<artist> - <title>", s), "Aerodynamic");
    EXPECT_EQ(extractValue("Daft%20Punk%20-%20One.mp3", "<artist>", "<artist>_-_<title>", s), "Daft Punk");
}

TEST(PatternExtraction, MissingPartsGiveEmptyValues) {
    const Settings s = defaults();
    EXPECT_EQ(extractValue("ABBA - SOS.mp3", "<album>", "<artist> - <title>", s), "");
    EXPECT_EQ(extractValue("   ", "<title>", "<title>", s), "");
    EXPECT_EQ(extractValue("NoSeparator.mp3", "<title>", "<artist> - <title>", s), "");
    EXPECT_EQ(extractValue("NoSeparator.mp3", "<artist>", "<artist> - <title>", s), "");
    // Folders of the pattern are matched against the last components of a path.
    EXPECT_EQ(extractValue("/m/Abba/Gold/01 - SOS.mp3", "<album>", "<artist>/<album>/<track> - <title>", s), "Gold");
    EXPECT_EQ(extractValue("/m/Abba/Gold/01 - SOS.mp3", "<title>", "<title>", s), "01 - SOS");
}

TEST(PatternDetection, PicksThePerfectOrTheFirstBestPattern) {
    const Settings s = defaults();
    const std::vector<std::string> list{"<track> - <artist> - <title>", "<artist> - <title>"};
    EXPECT_EQ(detectInPattern("/m/01 - A - B.mp3", list, "box", s), list[0]);
    EXPECT_EQ(detectInPattern("/m/A - B.mp3", list, "box", s), list[1]);
    EXPECT_EQ(detectionScore("/m/A - B.mp3", list[0], s), 0);
    EXPECT_EQ(detectionScore("/m/A - B - C.mp3", "<year> - <artist> - <title>", s), 50000);
    // The folders of a path take part when the pattern has folders.
    const std::vector<std::string> folders{"<artist> - <album> - <title>", "<artist>/<album>/<track> - <title>"};
    EXPECT_EQ(detectInPattern("/Music/A/B/01 - T.mp3", folders, "box", s), folders[1]);
    // Ties go to the earlier entry; nothing matching gives the first entry.
    EXPECT_EQ(detectInPattern("/m/x.mp3", {"<a> - <b>", "<a> + <b>"}, "box", s), "<a> - <b>");
    EXPECT_EQ(detectInPattern("/m/a + b + c.mp3", {"<a> - <b> - <c>", "<a> + <b> = <c>"}, "box", s), "<a> + <b> = <c>");
    // A blank path or a list without patterns gives the box text.
    EXPECT_EQ(detectInPattern(" ", list, "box", s), "box");
    EXPECT_EQ(detectInPattern("/m/A - B.mp3", {"", " "}, "box", s), "box");
}

TEST(PatternChecks, TypedPatternsAreCleanedAndValidated) {
    std::string p = "<<artist>> - <<<title>>>";
    EXPECT_TRUE(validatePattern(p, kInPatternIllegal));
    EXPECT_EQ(p, "<artist> - <title>");
    p = "<>a<>*?:|\"\\b";
    EXPECT_TRUE(validatePattern(p, kInPatternIllegal));
    EXPECT_EQ(p, "ab");
    p = "<artist>//<<album";
    EXPECT_FALSE(validatePattern(p, kFolderPatternIllegal));
    EXPECT_EQ(p, "<artist>/<album");

    std::string text = "<<artist> - <title>";
    EXPECT_EQ(checkPatternOnFocusLoss(PatternKind::Input, text), "");
    EXPECT_EQ(text, "<artist> - <title>");
    text = "<artist - <title>/";
    bool info = true;
    EXPECT_EQ(checkPatternOnFocusLoss(PatternKind::Output, text, &info),
              "The current OutPattern is invalid! \nIt must contain exactly as many \"<\" as \">\" and it cannot "
              "contain any of these characters: ?\\/:\"|*");
    EXPECT_FALSE(info);
    EXPECT_EQ(text, "<artist - <title>");
    text = "<a";
    EXPECT_EQ(checkPatternOnFocusLoss(PatternKind::Input, text),
              "The current InPattern is invalid! \nIt must contain exactly as many \"<\" as \">\" and it cannot "
              "contain any of these characters: ?\\:\"|*");

    EXPECT_FALSE(patternKeyAllowed(PatternKind::Input, U':'));
    EXPECT_TRUE(patternKeyAllowed(PatternKind::Input, U'/'));
    EXPECT_FALSE(patternKeyAllowed(PatternKind::Output, U'/'));
    EXPECT_FALSE(patternKeyAllowed(PatternKind::Album, U':'));
    EXPECT_FALSE(patternKeyAllowed(PatternKind::Path, U'\\'));
    EXPECT_TRUE(patternKeyAllowed(PatternKind::Path, U'é'));
    EXPECT_FALSE(newNameKeyAllowed(U'<'));
    EXPECT_TRUE(newNameKeyAllowed(U'-'));
}

TEST(PatternChecks, FolderPatternsAreNormalised) {
    std::string message = "old";
    EXPECT_EQ(normalizeFolderPattern("<uletter>/<artist>", &message), "<uletter>/<artist>/");
    EXPECT_EQ(message, "");
    EXPECT_EQ(normalizeFolderPattern("/srv/music//<artist>/"), "/srv/music/<artist>/");
    EXPECT_EQ(normalizeFolderPattern("~/m:usic/<artist>"), "~/music/<artist>/");
    // Nothing stays nothing, not the root folder.
    EXPECT_EQ(normalizeFolderPattern(""), "");
    EXPECT_EQ(normalizeFolderPattern("*?"), "");

    std::string text = "<artist/<album>";
    bool info = false;
    const std::string shown = checkPatternOnFocusLoss(PatternKind::Path, text, &info);
    EXPECT_EQ(text, "<artist/<album>/");
    EXPECT_TRUE(info);
    EXPECT_EQ(shown, "The current AlbumPattern is invalid! \nIt must contain exactly as many \"<\" as \">\" and it "
                     "cannot contain any of these characters: ?\\:\"|*");
}

TEST(FileValuesRecord, TagsFirstThenTheNameWithTrackPadding) {
    Settings s = defaults();
    TaggedFile f("Name Artist - Name Title.mp3", {{ValueKey::Artist, "  Tag Artist "},
                                                  {ValueKey::Track, "7/12"},
                                                  {ValueKey::Genre, "Pop"},
                                                  {ValueKey::Year, "1999"}});
    FileValues v = getFileValues(f.file, "<artist> - <title>", 4, s);
    EXPECT_EQ(v.index, 4);
    EXPECT_EQ(v.name, "Name Artist - Name Title.mp3");
    EXPECT_EQ(v.folder, f.dir.path());
    EXPECT_EQ(v.artist, "Tag Artist");
    EXPECT_EQ(v.title, "Name Title");  // no tag value: read from the name
    EXPECT_EQ(v.track, "07/12");
    EXPECT_EQ(v.genre, "Pop");
    EXPECT_EQ(v.bitrate, "128000");
    EXPECT_EQ(v.samplerate, "44100");

    s.trackDigits = 3;
    EXPECT_EQ(getFileValues(f.file, "<artist> - <title>", 1, s).track, "007/12");
    s.padTrackNumber = false;
    EXPECT_EQ(getFileValues(f.file, "<artist> - <title>", 1, s).track, "7/12");

    // Without tags every value comes from the name, unpadded.
    s.padTrackNumber = true;
    s.useTags = false;
    TaggedFile g("3 - Kraftwerk - Radio.mp3", {{ValueKey::Artist, "Tag"}});
    v = getFileValues(g.file, "<track> - <artist> - <title>", 1, s);
    EXPECT_EQ(v.artist, "Kraftwerk");
    EXPECT_EQ(v.track, "3");
    EXPECT_EQ(v.bitrate, "");
}

TEST(PatternExpansion, PlaceholdersLettersAndCleanUp) {
    Settings s = defaults();
    FileValues v = values("abba", "sos", "gold", "03");
    v.year = "1992";
    v.genre = "Pop";
    v.comment = "c";
    v.bitrate = "128000";
    v.samplerate = "44100";
    EXPECT_EQ(replacePlaceholders(v, "<uletter><lletter> <artist>|<title>|<album>|<track>|<year>|<genre>|<comment>|"
                                     "<bitrate>|<samplerate>|<other>"),
              "Aa abba|sos|gold|03|1992|Pop|c|128000|44100|<other>");
    v.artist = "élan";
    EXPECT_EQ(replacePlaceholders(v, "<uletter>/<lletter>"), "É/é");
    v.artist = "";
    EXPECT_EQ(replacePlaceholders(v, "[<uletter>]<artist>[<lletter>]"), "[][]");
    // A value is text: placeholder texts inside it are not expanded again.
    v.artist = "<title>";
    EXPECT_EQ(replacePlaceholders(v, "<artist>"), "<title>");

    v = values("abba", "sos", "gold", "7/12");
    EXPECT_EQ(applyPattern(v, "<track> - <artist> - <title>", s), "7 - Abba - Sos");
    EXPECT_EQ(applyPattern(v, "", s), "");
    // With empty values the clean-up closes the gaps.
    EXPECT_EQ(applyPattern(values("", "sos"), "<artist> - <title>", s), "Sos");
    s.caseChange = CaseChange::FirstLetter;
    v = values("mcCARTNEY", "yesterday", "HELP");
    EXPECT_EQ(applyPattern(v, "<artist> - <title> - <album>", s), "McCARTNEY - Yesterday - HELP");
    s.lowerCaseFirst = true;
    EXPECT_EQ(applyPattern(v, "<artist> - <title> - <album>", s), "Mccartney - Yesterday - Help");
}

TEST(NewFileName, ExtensionsLengthAndIllegalCharacters) {
    Settings s = defaults();
    FileValues v = values("abba", "sos");
    v.name = "x.Mp3";
    EXPECT_EQ(buildNewFileName(v, "<artist> - <title>", s), "Abba - Sos.mp3");
    EXPECT_EQ(buildNewFileName(v, "<artist> - <title>.OGG", s), "Abba - Sos.ogg");
    s.lowerCaseExtension = false;
    EXPECT_EQ(buildNewFileName(v, "<artist> - <title>", s), "Abba - Sos.Mp3");
    // A "short extension" that holds a placeholder is part of the name.
    EXPECT_EQ(buildNewFileName(v, "<artist>.<title>", s), "Abba.Sos.Mp3");
    v.name = "x.backup";
    EXPECT_EQ(buildNewFileName(v, "<artist>", s), "Abba");
    v.name = "README";
    EXPECT_EQ(buildNewFileName(v, "<artist>", s), "Abba");
    v.artist = "..";
    EXPECT_EQ(buildNewFileName(v, "<artist>", s), "");
    v.name = "";
    EXPECT_EQ(buildNewFileName(v, "<artist>", s), "");

    v = values("AC/DC", "What? Why: \"Now\" | * \\ <x>");
    v.name = "a.mp3";
    s.lowerCaseExtension = true;
    EXPECT_EQ(buildNewFileName(v, "<artist> - <title>", s), "ACDC - What Why Now    X.mp3");

    s.limitFileNameLength = true;
    s.maxFileNameLength = 10;
    v = values("abcde", "fghij");  // "Abcde - Fghij": 13 characters
    v.name = "a.mp3";
    EXPECT_EQ(buildNewFileName(v, "<artist> - <title>", s), "Abcde - F~.mp3");
    v = values("Ééééé", "Жжж");
    v.name = "a.mp3";
    EXPECT_EQ(buildNewFileName(v, "<artist> - <title>", s), "Ééééé - Ж~.mp3");
}

TEST(DestinationFolders, TagValuesNeverLeaveTheTarget) {
    const Settings s = defaults();
    const std::string pattern = "<uletter>/<artist>/<album>/";
    // The case rule works on each value, so every folder name made of one gets its capital.
    EXPECT_EQ(buildDestinationFolder("/t", values("abba", "", "gold"), pattern, s), "/t/A/Abba/Gold/");
    // "/" inside a value creates no folder; "." and ".." values do not climb; empty values leave
    // no empty folder level.
    EXPECT_EQ(buildDestinationFolder("/t/", values("AC/DC", "", "../../etc"), pattern, s), "/t/A/ACDC/....Etc/");
    EXPECT_EQ(buildDestinationFolder("/t/", values("..", "", ".."), "<artist>/<album>/", s), "/t/");
    EXPECT_EQ(buildDestinationFolder("/t/", values("/Etc", "", "."), "<artist>/<album>/", s), "/t/Etc/");
    EXPECT_EQ(buildDestinationFolder("/t/", values("", "", ""), "<artist>/<album>/", s), "/t/");
    EXPECT_EQ(buildDestinationFolder("/t/", values("~", "", "Xy"), "<artist>/<album>/", s), "/t/~/Xy/");
    // Only the pattern decides whether a folder is absolute.
    EXPECT_EQ(buildDestinationFolder("/t/", values("Abba", "", "gold"), "/srv/<artist>/", s), "/srv/Abba/");
    EXPECT_EQ(buildDestinationFolder("/t/", values("Abba", "", ""), "~/<artist>/", s),
              addBackslash(homeFolder()) + "Abba/");
    EXPECT_EQ(buildDestinationFolder("/t", values("abba", ""), "", s), "/t/");
    EXPECT_EQ(applyFolderPattern(values("..", ""), "<artist>", s), "");
}

TEST(PatternExpansion, RulesCleanTheValuesAndKeepTheTypedText) {
    Settings s = defaults();
    // Fixing (underscores, dashes) and case rules never touch the folders the user typed.
    EXPECT_EQ(buildDestinationFolder("/t/", values("the_band", "", "best-of"),
                                     "/media/user/1234-ABCD/music_lib/<artist>/"
                                     "<album>/",
                                     s),
              "/media/user/1234-ABCD/music_lib/The Band/Best - Of/");
    s.caseChange = CaseChange::Upper;
    EXPECT_EQ(applyPattern(values("abba", "sos"), "Hits_of <artist> -- <title>", s), "Hits_of ABBA -- SOS");
    s.caseChange = CaseChange::EveryWord;
    // A value in capitals keeps them when the whole name is not in capitals, as before.
    EXPECT_EQ(applyPattern(values("ABBA", "sos"), "<artist> - <title>", s), "ABBA - Sos");
    EXPECT_EQ(applyPattern(values("ABBA", "SOS"), "<artist> - <title>", s), "Abba - Sos");
    // Gaps of empty values close inside their own folder; a folder of typed text stays.
    EXPECT_EQ(applyFolderPattern(values("", "", "Gold"), "Music - x/<artist> - <album>/", s), "Music - x/Gold/");

    // Control characters: from values they become spaces, from the pattern they go.
    FileValues v = values("a\tb", "line\none\x1b[0m\x7f\xC2\x85"
                                  "end");
    v.name = "x.mp3";
    EXPECT_EQ(buildNewFileName(v, "<artist>\x01 - <title>", s), "A B - Line One [0m End.mp3");
    EXPECT_EQ(buildDestinationFolder("/t/", v, "<artist>\n/", s), "/t/A B/");
    EXPECT_EQ(vorda::base::escapeControlChars("a\nb\tc\x1b\x7f\xC2\x9b\xC3\xA9\\"),
              "a\\nb\\tc\\x1b\\x7f\\u009b\xC3\xA9\\");
}

TEST(ValuesFromNames, LegacyBytesAreReadAsLatin1) {
    const Settings s = defaults();
    EXPECT_EQ(extractValue("caf\xE9 - song.mp3", "<artist>", "<artist> - <title>", s), "caf\xC3\xA9");
    EXPECT_EQ(extractValue("/m/d\xFCsseldorf/caf\xE9 - s.mp3", "<album>", "<album>/<artist> - <title>", s),
              "d\xC3\xBCsseldorf");
    // UTF-8 names stay as they are.
    EXPECT_EQ(extractValue("caf\xC3\xA9 - song.mp3", "<artist>", "<artist> - <title>", s), "caf\xC3\xA9");
    EXPECT_EQ(detectionScore("/m/\xE9t\xE9 - x.mp3", "<artist> - <title>", s), 100000);
    TaggedFile f("caf\xE9 - song.mp3", {});
    EXPECT_EQ(getFileValues(f.file, "<artist> - <title>", 1, s).artist, "caf\xC3\xA9");
}

TEST(PatternPreview, ShowsTheBuiltNameOnlyWhenFixing) {
    const Settings s = defaults();
    TaggedFile f("old.mp3", {{ValueKey::Artist, "abba"}, {ValueKey::Title, "sos"}, {ValueKey::Track, "1"}});
    EXPECT_EQ(previewNewName(true, f.file, "<title>", 1, "<track> <artist> - <title>", "old.mp3", s),
              "01 Abba - Sos.mp3");
    EXPECT_EQ(previewNewName(false, f.file, "<title>", 1, "<track> <artist> - <title>", "old.mp3", s), "old.mp3");
}
