// The options dialog's and the replace editor's rules without their widgets: typing rules,
// corrections, padding messages, the file-type list, what OK changes and writes, and the
// replace list's checks and storage.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "IniTestSupport.h"
#include "app/IniFile.h"
#include "app/OptionsRules.h"
#include "app/ReplaceListRules.h"
#include "app/Settings.h"

using namespace vorda;
using initest::ReadText;
using initest::TempDir;

namespace {

// The "section/key" names of a settings file.
std::set<std::string> KeysOf(const std::string& path)
{
    std::set<std::string> keys;
    std::istringstream in(ReadText(path));
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 1 && line.front() == '[') section = line.substr(1, line.size() - 2);
        else if (const size_t eq = line.find('='); eq != std::string::npos) keys.insert(section + "/" + line.substr(0, eq));
    }
    return keys;
}

Settings LoadFrom(const std::string& path)
{
    Settings s;
    s.Load(IniFile(path));
    return s;
}

}  // namespace

TEST(OptionsRules, TypingRulesOfTheBoxes)
{
    EXPECT_TRUE(AcceptsText(InputRule::Digits, ""));
    EXPECT_TRUE(AcceptsText(InputRule::Digits, "0512"));
    EXPECT_FALSE(AcceptsText(InputRule::Digits, "-1"));
    EXPECT_FALSE(AcceptsText(InputRule::Digits, "1 2"));

    // A minus only at the very start, and only one.
    EXPECT_TRUE(AcceptsText(InputRule::SignedDigits, "-"));
    EXPECT_TRUE(AcceptsText(InputRule::SignedDigits, "-1"));
    EXPECT_TRUE(AcceptsText(InputRule::SignedDigits, "2048"));
    EXPECT_FALSE(AcceptsText(InputRule::SignedDigits, "--1"));
    EXPECT_FALSE(AcceptsText(InputRule::SignedDigits, "1-"));

    EXPECT_TRUE(AcceptsText(InputRule::NonZeroDigits, "3"));
    EXPECT_FALSE(AcceptsText(InputRule::NonZeroDigits, "0"));
    EXPECT_FALSE(AcceptsText(InputRule::NonZeroDigits, "10"));

    EXPECT_TRUE(AcceptsText(InputRule::FileType, "m4a"));
    for (char c : std::string("<>?\\/:\"|*")) {
        EXPECT_FALSE(AcceptsText(InputRule::FileType, std::string("mp") + c)) << c;
        EXPECT_FALSE(AcceptsText(InputRule::NameText, std::string(1, c))) << c;
    }
    EXPECT_TRUE(AcceptsText(InputRule::NameText, " feat. Ä"));

    EXPECT_TRUE(SwallowsEnter(InputRule::Digits));
    EXPECT_TRUE(SwallowsEnter(InputRule::SignedDigits));
    EXPECT_FALSE(SwallowsEnter(InputRule::NonZeroDigits));
    EXPECT_FALSE(SwallowsEnter(InputRule::FileType));
}

TEST(OptionsRules, NumberBoxesAreCorrectedWhenTheyLoseTheFocus)
{
    EXPECT_EQ(LeadingNumber("  42abc"), 42);
    EXPECT_EQ(LeadingNumber("-7"), -7);
    EXPECT_EQ(LeadingNumber("x1"), 0);
    EXPECT_EQ(LeadingNumber("99999999999999999999"), 2147483647);

    EXPECT_EQ(CorrectNumberText(NumberBox::MaxFNameLength, "0"), "1");
    EXPECT_EQ(CorrectNumberText(NumberBox::MaxFNameLength, "300"), "255");
    EXPECT_EQ(CorrectNumberText(NumberBox::MaxFNameLength, ""), "1");
    EXPECT_EQ(CorrectNumberText(NumberBox::MaxFNameLength, "0120"), "120");
    EXPECT_EQ(CorrectNumberText(NumberBox::MaxPadding, "-5"), "-1");
    EXPECT_EQ(CorrectNumberText(NumberBox::MaxPadding, "-"), "0");
    EXPECT_EQ(CorrectNumberText(NumberBox::MaxPadding, "-1"), "-1");
    EXPECT_EQ(CorrectNumberText(NumberBox::AlbumSize, ""), "0");
    EXPECT_EQ(CorrectNumberText(NumberBox::AlbumSize, "99999999999"), "2147483647");
    EXPECT_EQ(CorrectNumberText(NumberBox::TrackDigits, ""), "1");
    EXPECT_EQ(CorrectNumberText(NumberBox::TrackDigits, "99999"), "255");
}

TEST(OptionsRules, PaddingChecks)
{
    PaddingCorrection c = CorrectAddPadding("5000", "2048");
    EXPECT_EQ(c.text, "2048");
    EXPECT_EQ(c.message, "You can not add more padding then maximum allowed padding (2048)!");

    c = CorrectAddPadding("0100", "2048");
    EXPECT_EQ(c.text, "100");
    EXPECT_TRUE(c.message.empty());

    // No limit accepts any padding.
    c = CorrectAddPadding("999999", "-1");
    EXPECT_EQ(c.text, "999999");
    EXPECT_TRUE(c.message.empty());

    EXPECT_EQ(CheckPaddingOnOk(600, 512),
              "The \"Maximum padding limit\" must be greater than or equal to \"Padding to add...\".");
    EXPECT_EQ(CheckPaddingOnOk(512, 512), "");
    EXPECT_EQ(CheckPaddingOnOk(100000, -1), "");

    EXPECT_EQ(LyricsFieldMaxLength(tuNever), 30);
    EXPECT_EQ(LyricsFieldMaxLength(tuAlways), 250);
}

TEST(OptionsRules, FileTypeList)
{
    FileTypeList list({"mp3"});
    EXPECT_FALSE(list.Add(""));
    EXPECT_FALSE(list.Add("*.ogg"));
    EXPECT_FALSE(list.Add("..."));
    EXPECT_TRUE(list.Add("M3U"));   // stored as the lower-case extension
    EXPECT_TRUE(list.Add(".flac"));  // without its dot
    EXPECT_EQ(list.Types(), (std::vector<std::string>{"mp3", "m3u", "flac"}));

    list.SetShowAll(true);
    list.SetShowAll(true);
    EXPECT_TRUE(list.ShowsAll());
    EXPECT_EQ(list.Types().back(), "*");
    EXPECT_EQ(list.Types().size(), 4u);
    EXPECT_FALSE(list.RemoveAt(3));  // "*" goes only through "Show all files."
    EXPECT_FALSE(list.RemoveAt(9));
    EXPECT_TRUE(list.RemoveAt(0));
    list.SetShowAll(false);
    EXPECT_EQ(list.Types(), (std::vector<std::string>{"m3u", "flac"}));
}

TEST(OptionsRules, OkCopiesTheControlsAndWritesExactlyTheOptionsKeys)
{
    TempDir dir;
    const std::string path = dir / "settings.ini";
    initest::WriteText(path, "[General]\nMethod=2\nsTargetDir=/keep/\n[Visual]\nFormState=2\n");
    IniFile ini(path);
    Settings s;
    s.Load(ini);

    OptionsForm f = FormFromSettings(s);
    EXPECT_EQ(f.txtMaxPadding, "2048");
    EXPECT_EQ(f.optExists, 0);
    f.chkReadTags = false;
    f.chkAutoRemJunk = true;
    f.txtMaxFNameLength = "300";
    f.txtTrackDigits = "3";
    f.txtRemoveChars = " #";
    f.optChange = 3;
    f.cmbUseLyrics3 = tuNever;
    f.txtAddPaddingSize = "1024";
    f.txtMaxPadding = "-1";
    f.txtFreeDBPort = "8000x";
    f.txtFreeDBServer = "cddb.example.org";
    f.optExists = 1;
    f.optID3Empty = 2;
    f.txtAlbumSize = "7";
    f.lstFiletypes = {};

    ASSERT_EQ(ApplyOptionsForm(f, s, ini), "");
    EXPECT_EQ(f.txtMaxFNameLength, "255");  // the box shows its corrected value
    EXPECT_FALSE(s.bReadTags);
    EXPECT_TRUE(s.bAutoRemJunk);
    EXPECT_EQ(s.iMaxFNameLength, 255);
    EXPECT_EQ(s.iCaseChange, 3);
    EXPECT_EQ(s.lMaxPaddingSize, -1);
    EXPECT_EQ(s.RemotePort, 8000);
    EXPECT_EQ(s.feaFileExistAction, feaSkip);
    EXPECT_EQ(s.iEmptyFieldAction, 2);
    EXPECT_EQ(s.FileTypes, std::vector<std::string>{"mp3"});

    std::set<std::string> expected = {"General/Method", "General/sTargetDir", "Visual/FormState"};
    for (const char* k : {"bSortToExistingFolders", "feaFileExistAction", "bUseTags", "bReadTags", "bAutoReadTags",
                          "bRecycleFiles", "lAlbumSize", "bUseReplace", "bUseRemoveChars", "sRemovedChars",
                          "bScoreToSpace", "b20toSpace", "bFixSpaces", "bFixMisses", "bPadTrackNr", "iTrackDigits",
                          "bLCaseFirst", "iCaseChange", "bLimitFNameLength", "iMaxFNameLength", "bLowExtension",
                          "bIgnoreReadOnly", "bSetAttributes", "bReadOnly", "bHidden", "bArchive"})
        expected.insert(std::string("General/") + k);
    for (const char* k : {"FileTypes/nofFileTypes", "FileTypes/sFileType0", "Tags/bTAGKeepSync", "Tags/bTAGLCaseFirst",
                          "Tags/TAGCaseChange", "Tags/UseID3v1", "Tags/UseID3v2", "Tags/UseLyrics3",
                          "ID3v2/lAddPaddingSize", "ID3v2/lMaxPaddingSize", "freedb/RemoteHost", "freedb/RemotePort",
                          "freedb/ApplyFormatting", "freedb/UserName", "freedb/UserHost",
                          // The settings store writes the media player's program path with the options.
                          "Player/PlayerPath"})
        expected.insert(k);
    EXPECT_EQ(KeysOf(path), expected);

    const Settings back = LoadFrom(path);
    EXPECT_FALSE(back.bReadTags);
    EXPECT_FALSE(back.bAutoRemJunk);  // held only while the program runs
    EXPECT_EQ(back.iEmptyFieldAction, 0);
    EXPECT_EQ(back.iTrackDigits, 3);
    EXPECT_EQ(back.sRemovedChars, " #");
    EXPECT_EQ(back.UseLyrics3, tuNever);
    EXPECT_EQ(back.lAddPaddingSize, 1024);
    EXPECT_EQ(back.RemoteHost, "cddb.example.org");
    EXPECT_EQ(back.FileTypes, std::vector<std::string>{"mp3"});
    EXPECT_EQ(back.sTargetDir, "/keep/");
    EXPECT_EQ(back.Method, 2);
}

TEST(OptionsRules, RefusedOkChangesNothing)
{
    TempDir dir;
    const std::string path = dir / "settings.ini";
    IniFile ini(path);
    Settings s;
    OptionsForm f = FormFromSettings(s);
    f.chkUseTags = false;
    f.txtAddPaddingSize = "4096";
    f.txtMaxPadding = "-20";  // corrected to -1: no limit, so this one passes
    EXPECT_EQ(ApplyOptionsForm(f, s, ini), "");
    EXPECT_EQ(f.txtMaxPadding, "-1");

    initest::WriteText(path, "[General]\nbUseTags=True\n");
    ini.Reload();
    Settings t;
    t.Load(ini);
    f = FormFromSettings(t);
    f.chkUseTags = false;
    f.txtAddPaddingSize = "4096";
    f.txtMaxPadding = "2048";
    EXPECT_EQ(ApplyOptionsForm(f, t, ini),
              "The \"Maximum padding limit\" must be greater than or equal to \"Padding to add...\".");
    EXPECT_TRUE(t.bUseTags);
    EXPECT_EQ(t.lAddPaddingSize, 512);
    EXPECT_EQ(ReadText(path), "[General]\nbUseTags=True\n");
}

TEST(ReplaceListRules, EditingAndChecks)
{
    ReplaceListRules r;
    EXPECT_FALSE(r.Add("", "x"));
    EXPECT_TRUE(r.Add(" - ", "-"));
    EXPECT_FALSE(r.Add(" - ", "-"));  // already in the list
    EXPECT_TRUE(r.Add(" - ", "_"));   // another pair with the same find text
    EXPECT_TRUE(r.Add("Feat.", "feat."));
    EXPECT_EQ(r.GetTotalReplaces(), 3);

    EXPECT_FALSE(r.Update(1, "Feat.", "feat."));  // would duplicate pair 2
    EXPECT_FALSE(r.Update(1, "", "y"));
    EXPECT_FALSE(r.Update(7, "a", "b"));
    EXPECT_TRUE(r.Update(1, "&", "and"));
    EXPECT_EQ(r.GetOldString(1), "&");

    EXPECT_EQ(r.MoveUp(0), 0);
    EXPECT_EQ(r.MoveDown(2), 2);
    EXPECT_EQ(r.MoveUp(2), 1);
    EXPECT_EQ(r.GetOldString(1), "Feat.");
    EXPECT_EQ(r.MoveDown(0), 1);
    EXPECT_EQ(r.GetOldString(1), " - ");
    EXPECT_EQ(r.MoveUp(-1), -1);
    EXPECT_TRUE(r.Delete(2));
    EXPECT_FALSE(r.Delete(2));
    EXPECT_EQ(r.Check().index, -1);

    // Pairs given by the caller are checked on OK, in list order.
    r.AddReplace("x", "x");
    r.AddReplace("", "y");
    ReplaceListRules::Problem p = r.Check();
    EXPECT_EQ(p.index, 2);
    EXPECT_EQ(p.message, "There is no need to replace a string with itself!");
    r.Delete(2);
    p = r.Check();
    EXPECT_EQ(p.index, 2);
    EXPECT_EQ(p.message, "The find string cannot be empty!");

    EXPECT_EQ(ReplaceListRules::CleanReplacement("a<b>c?d\\e/f:g\"h|i*j"), "abcdefghij");
}

TEST(ReplaceListRules, EditedListReachesSettingsAndFile)
{
    TempDir dir;
    const std::string path = dir / "settings.ini";
    IniFile ini(path);
    Settings s;
    EXPECT_TRUE(ReplacesForEditor(s).empty());  // a fresh start has no pairs to edit

    ApplyReplaceEdit(s, ini, true, {{"a", "b"}});
    EXPECT_EQ(s.Replaces, (std::vector<ReplaceListRules::Pair>{{"", ""}}));
    EXPECT_FALSE(initest::ReadText(path).size());

    ApplyReplaceEdit(s, ini, false, {{" - ", "-"}, {"Feat.", "feat."}});
    Settings back = LoadFrom(path);
    EXPECT_EQ(back.Replaces, (std::vector<ReplaceListRules::Pair>{{" - ", "-"}, {"Feat.", "feat."}}));
    EXPECT_EQ(ReplacesForEditor(back), back.Replaces);
    EXPECT_NE(ReadText(path).find("sOldString0=\xC2\xB6-\xC2\xB6"), std::string::npos);

    // Deleting every pair empties the list, in memory and in the file.
    ApplyReplaceEdit(back, ini, false, {});
    EXPECT_TRUE(back.Replaces.empty());
    const Settings again = LoadFrom(path);
    EXPECT_TRUE(ReplacesForEditor(again).empty());
}
