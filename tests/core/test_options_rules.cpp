// SPDX-License-Identifier: GPL-2.0-or-later

// The options dialog's and the replace editor's rules without their widgets: typing rules,
// corrections, padding messages, the file-type list, what OK changes and writes, and the
// replace list's checks and storage.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "IniTestSupport.h"
#include "app/OptionsRules.h"
#include "app/ReplaceListRules.h"
#include "app/Settings.h"
#include "base/IniFile.h"

using namespace vorda::base;
using namespace vorda::app;

using initest::readText;
using initest::TempDir;

namespace {

// The "section/key" names of a settings file.
std::set<std::string> keysOf(const std::string& path) {
    std::set<std::string> keys;
    std::istringstream in(readText(path));
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 1 && line.front() == '[')
            section = line.substr(1, line.size() - 2);
        else if (const size_t eq = line.find('='); eq != std::string::npos)
            keys.insert(section + "/" + line.substr(0, eq));
    }
    return keys;
}

Settings loadFrom(const std::string& path) {
    Settings s;
    s.load(IniFile(path));
    return s;
}

}  // namespace

TEST(OptionsRules, TypingRulesOfTheBoxes) {
    EXPECT_TRUE(acceptsText(InputRule::Digits, ""));
    EXPECT_TRUE(acceptsText(InputRule::Digits, "0512"));
    EXPECT_FALSE(acceptsText(InputRule::Digits, "-1"));
    EXPECT_FALSE(acceptsText(InputRule::Digits, "1 2"));

    // A minus only at the very start, and only one.
    EXPECT_TRUE(acceptsText(InputRule::SignedDigits, "-"));
    EXPECT_TRUE(acceptsText(InputRule::SignedDigits, "-1"));
    EXPECT_TRUE(acceptsText(InputRule::SignedDigits, "2048"));
    EXPECT_FALSE(acceptsText(InputRule::SignedDigits, "--1"));
    EXPECT_FALSE(acceptsText(InputRule::SignedDigits, "1-"));

    EXPECT_TRUE(acceptsText(InputRule::NonZeroDigits, "3"));
    EXPECT_FALSE(acceptsText(InputRule::NonZeroDigits, "0"));
    EXPECT_FALSE(acceptsText(InputRule::NonZeroDigits, "10"));

    EXPECT_TRUE(acceptsText(InputRule::FileType, "m4a"));
    for (char c : std::string("<>?\\/:\"|*")) {
        EXPECT_FALSE(acceptsText(InputRule::FileType, std::string("mp") + c)) << c;
        EXPECT_FALSE(acceptsText(InputRule::NameText, std::string(1, c))) << c;
    }
    EXPECT_TRUE(acceptsText(InputRule::NameText, " feat. Ä"));

    EXPECT_TRUE(swallowsEnter(InputRule::Digits));
    EXPECT_TRUE(swallowsEnter(InputRule::SignedDigits));
    EXPECT_FALSE(swallowsEnter(InputRule::NonZeroDigits));
    EXPECT_FALSE(swallowsEnter(InputRule::FileType));
}

TEST(OptionsRules, NumberBoxesAreCorrectedWhenTheyLoseTheFocus) {
    EXPECT_EQ(leadingNumber("  42abc"), 42);
    EXPECT_EQ(leadingNumber("-7"), -7);
    EXPECT_EQ(leadingNumber("x1"), 0);
    EXPECT_EQ(leadingNumber("99999999999999999999"), 2147483647);

    EXPECT_EQ(correctNumberText(NumberBox::MaxFNameLength, "0"), "1");
    EXPECT_EQ(correctNumberText(NumberBox::MaxFNameLength, "300"), "255");
    EXPECT_EQ(correctNumberText(NumberBox::MaxFNameLength, ""), "1");
    EXPECT_EQ(correctNumberText(NumberBox::MaxFNameLength, "0120"), "120");
    EXPECT_EQ(correctNumberText(NumberBox::MaxPadding, "-5"), "-1");
    EXPECT_EQ(correctNumberText(NumberBox::MaxPadding, "-"), "0");
    EXPECT_EQ(correctNumberText(NumberBox::MaxPadding, "-1"), "-1");
    EXPECT_EQ(correctNumberText(NumberBox::AlbumSize, ""), "0");
    EXPECT_EQ(correctNumberText(NumberBox::AlbumSize, "99999999999"), "2147483647");
    EXPECT_EQ(correctNumberText(NumberBox::TrackDigits, ""), "1");
    EXPECT_EQ(correctNumberText(NumberBox::TrackDigits, "99999"), "255");
}

TEST(OptionsRules, PaddingChecks) {
    PaddingCorrection c = correctAddPadding("5000", "2048");
    EXPECT_EQ(c.text, "2048");
    EXPECT_EQ(c.message, "You can not add more padding then maximum allowed padding (2048)!");

    c = correctAddPadding("0100", "2048");
    EXPECT_EQ(c.text, "100");
    EXPECT_TRUE(c.message.empty());

    // No limit accepts any padding.
    c = correctAddPadding("999999", "-1");
    EXPECT_EQ(c.text, "999999");
    EXPECT_TRUE(c.message.empty());

    EXPECT_EQ(checkPaddingOnOk(600, 512),
              "The \"Maximum padding limit\" must be greater than or equal to \"Padding to add...\".");
    EXPECT_EQ(checkPaddingOnOk(512, 512), "");
    EXPECT_EQ(checkPaddingOnOk(100000, -1), "");

    EXPECT_EQ(lyricsFieldMaxLength(TagUse::Never), 30);
    EXPECT_EQ(lyricsFieldMaxLength(TagUse::Always), 250);
}

TEST(OptionsRules, FileTypeList) {
    FileTypeList list({"mp3"});
    EXPECT_FALSE(list.add(""));
    EXPECT_FALSE(list.add("*.ogg"));
    EXPECT_FALSE(list.add("..."));
    EXPECT_TRUE(list.add("M3U"));    // stored as the lower-case extension
    EXPECT_TRUE(list.add(".flac"));  // without its dot
    EXPECT_EQ(list.types(), (std::vector<std::string>{"mp3", "m3u", "flac"}));

    list.setShowAll(true);
    list.setShowAll(true);
    EXPECT_TRUE(list.showsAll());
    EXPECT_EQ(list.types().back(), "*");
    EXPECT_EQ(list.types().size(), 4u);
    EXPECT_FALSE(list.removeAt(3));  // "*" goes only through "Show all files."
    EXPECT_FALSE(list.removeAt(9));
    EXPECT_TRUE(list.removeAt(0));
    list.setShowAll(false);
    EXPECT_EQ(list.types(), (std::vector<std::string>{"m3u", "flac"}));
}

TEST(OptionsRules, OkCopiesTheControlsAndWritesExactlyTheOptionsKeys) {
    TempDir dir;
    const std::string path = dir / "settings.ini";
    initest::writeText(path, "[General]\nMethod=2\nsTargetDir=/keep/\n[Visual]\nFormState=2\n");
    IniFile ini(path);
    Settings s;
    s.load(ini);

    OptionsForm f = formFromSettings(s);
    EXPECT_EQ(f.txtMaxPadding, "2048");
    EXPECT_EQ(f.optExists, 0);
    f.chkReadTags = false;
    f.chkAutoRemJunk = true;
    f.txtMaxFNameLength = "300";
    f.txtTrackDigits = "3";
    f.txtRemoveChars = " #";
    f.optChange = 3;
    f.cmbUseLyrics3 = static_cast<int>(TagUse::Never);
    f.txtAddPaddingSize = "1024";
    f.txtMaxPadding = "-1";
    f.txtFreeDBPort = "8000x";
    f.txtFreeDBServer = "cddb.example.org";
    f.optExists = 1;
    f.optID3Empty = 2;
    f.txtAlbumSize = "7";
    f.lstFiletypes = {};

    ASSERT_EQ(applyOptionsForm(f, s, ini), "");
    EXPECT_EQ(f.txtMaxFNameLength, "255");  // the box shows its corrected value
    EXPECT_FALSE(s.readTags);
    EXPECT_TRUE(s.autoRemoveJunk);
    EXPECT_EQ(s.maxFileNameLength, 255);
    EXPECT_EQ(s.caseChange, CaseChange::Upper);
    EXPECT_EQ(s.maxPaddingSize, -1);
    EXPECT_EQ(s.remotePort, 8000);
    EXPECT_EQ(s.fileExistAction, FileExistAction::Skip);
    EXPECT_EQ(s.emptyFieldAction, 2);
    EXPECT_EQ(s.fileTypes, std::vector<std::string>{"mp3"});

    std::set<std::string> expected = {"General/Method", "General/sTargetDir", "Visual/FormState"};
    for (const char* k : {"bSortToExistingFolders",
                          "feaFileExistAction",
                          "bUseTags",
                          "bReadTags",
                          "bAutoReadTags",
                          "bRecycleFiles",
                          "lAlbumSize",
                          "bUseReplace",
                          "bUseRemoveChars",
                          "sRemovedChars",
                          "bScoreToSpace",
                          "b20toSpace",
                          "bFixSpaces",
                          "bFixMisses",
                          "bPadTrackNr",
                          "iTrackDigits",
                          "bLCaseFirst",
                          "iCaseChange",
                          "bLimitFNameLength",
                          "iMaxFNameLength",
                          "bLowExtension",
                          "bIgnoreReadOnly",
                          "bSetAttributes",
                          "bReadOnly",
                          "bHidden",
                          "bArchive"})
        expected.insert(std::string("General/") + k);
    for (const char* k : {"FileTypes/nofFileTypes", "FileTypes/sFileType0", "Tags/bTAGKeepSync", "Tags/bTAGLCaseFirst",
                          "Tags/TAGCaseChange", "Tags/UseID3v1", "Tags/UseID3v2", "Tags/UseLyrics3",
                          "ID3v2/lAddPaddingSize", "ID3v2/lMaxPaddingSize", "freedb/RemoteHost", "freedb/RemotePort",
                          "freedb/ApplyFormatting", "freedb/UserName", "freedb/UserHost",
                          // The settings store writes the media player's program path with the options.
                          "Player/PlayerPath"})
        expected.insert(k);
    EXPECT_EQ(keysOf(path), expected);

    const Settings back = loadFrom(path);
    EXPECT_FALSE(back.readTags);
    EXPECT_FALSE(back.autoRemoveJunk);  // held only while the program runs
    EXPECT_EQ(back.emptyFieldAction, 0);
    EXPECT_EQ(back.trackDigits, 3);
    EXPECT_EQ(back.removedChars, " #");
    EXPECT_EQ(back.useLyrics3, TagUse::Never);
    EXPECT_EQ(back.addPaddingSize, 1024);
    EXPECT_EQ(back.remoteHost, "cddb.example.org");
    EXPECT_EQ(back.fileTypes, std::vector<std::string>{"mp3"});
    EXPECT_EQ(back.targetDir, "/keep/");
    EXPECT_EQ(back.method, 2);
}

TEST(OptionsRules, RefusedOkChangesNothing) {
    TempDir dir;
    const std::string path = dir / "settings.ini";
    IniFile ini(path);
    Settings s;
    OptionsForm f = formFromSettings(s);
    f.chkUseTags = false;
    f.txtAddPaddingSize = "4096";
    f.txtMaxPadding = "-20";  // corrected to -1: no limit, so this one passes
    EXPECT_EQ(applyOptionsForm(f, s, ini), "");
    EXPECT_EQ(f.txtMaxPadding, "-1");

    initest::writeText(path, "[General]\nbUseTags=True\n");
    ini.reload();
    Settings t;
    t.load(ini);
    f = formFromSettings(t);
    f.chkUseTags = false;
    f.txtAddPaddingSize = "4096";
    f.txtMaxPadding = "2048";
    EXPECT_EQ(applyOptionsForm(f, t, ini),
              "The \"Maximum padding limit\" must be greater than or equal to \"Padding to add...\".");
    EXPECT_TRUE(t.useTags);
    EXPECT_EQ(t.addPaddingSize, 512);
    EXPECT_EQ(readText(path), "[General]\nbUseTags=True\n");
}

// Every control, changed alone to a value other than its default, survives OK (form ->
// settings -> settings file) and the next opening of the dialog, in memory and from the file.
// The two controls that are held only while the program runs come back from the file at their
// defaults.
TEST(OptionsRules, EveryControlRoundTripsThroughTheSettingsFile) {
    struct Change {
        const char* control;
        void (*apply)(OptionsForm&);
        bool stored = true;
    };
    const Change changes[] = {
        {"chkAutoReadTags", [](OptionsForm& f) { f.chkAutoReadTags = false; }},
        {"chkReadTags", [](OptionsForm& f) { f.chkReadTags = false; }},
        {"chkAutoRemJunk", [](OptionsForm& f) { f.chkAutoRemJunk = true; }, false},
        {"chkIgnoreReadOnly", [](OptionsForm& f) { f.chkIgnoreReadOnly = true; }},
        {"chkRecycle", [](OptionsForm& f) { f.chkRecycle = false; }},
        {"lstFiletypes",
         [](OptionsForm& f) {
             f.lstFiletypes = {"ogg", "mp3", "*"};
         }},
        {"chkUseTags", [](OptionsForm& f) { f.chkUseTags = false; }},
        {"chkLowext", [](OptionsForm& f) { f.chkLowext = false; }},
        {"chkFNameLength", [](OptionsForm& f) { f.chkFNameLength = true; }},
        {"txtMaxFNameLength", [](OptionsForm& f) { f.txtMaxFNameLength = "96"; }},
        {"chkSetAttributes", [](OptionsForm& f) { f.chkSetAttributes = true; }},
        {"chkReadOnly", [](OptionsForm& f) { f.chkReadOnly = true; }},
        {"chkHidden", [](OptionsForm& f) { f.chkHidden = true; }},
        {"chkArchive", [](OptionsForm& f) { f.chkArchive = true; }},
        {"chkFNamelcaseFirst", [](OptionsForm& f) { f.chkFNamelcaseFirst = true; }},
        {"optChange", [](OptionsForm& f) { f.optChange = static_cast<int>(CaseChange::Lower); }},
        {"chkUndtospace", [](OptionsForm& f) { f.chkUndtospace = false; }},
        {"chk20tospace", [](OptionsForm& f) { f.chk20tospace = false; }},
        {"chkSpaces", [](OptionsForm& f) { f.chkSpaces = false; }},
        {"chkMisses", [](OptionsForm& f) { f.chkMisses = false; }},
        {"chkPadTrackNr", [](OptionsForm& f) { f.chkPadTrackNr = false; }},
        {"txtTrackDigits", [](OptionsForm& f) { f.txtTrackDigits = "4"; }},
        {"chkRemoveChars", [](OptionsForm& f) { f.chkRemoveChars = true; }},
        {"txtRemoveChars", [](OptionsForm& f) { f.txtRemoveChars = " !\xC3\xA9"; }},
        {"chkReplace", [](OptionsForm& f) { f.chkReplace = true; }},
        {"chkKeepSync", [](OptionsForm& f) { f.chkKeepSync = false; }},
        {"chkID3lcaseFirst", [](OptionsForm& f) { f.chkID3lcaseFirst = true; }},
        {"optID3CaseChange", [](OptionsForm& f) { f.optID3CaseChange = static_cast<int>(CaseChange::NoChanges); }},
        {"cmbUseID3v1", [](OptionsForm& f) { f.cmbUseID3v1 = static_cast<int>(TagUse::Never); }},
        {"cmbUseID3v2", [](OptionsForm& f) { f.cmbUseID3v2 = static_cast<int>(TagUse::Always); }},
        {"cmbUseLyrics3", [](OptionsForm& f) { f.cmbUseLyrics3 = static_cast<int>(TagUse::IfWanted); }},
        {"txtAddPaddingSize", [](OptionsForm& f) { f.txtAddPaddingSize = "0"; }},
        {"txtMaxPadding", [](OptionsForm& f) { f.txtMaxPadding = "-1"; }},
        {"txtFreeDBServer", [](OptionsForm& f) { f.txtFreeDBServer = "cddb.example.org"; }},
        {"txtFreeDBPort", [](OptionsForm& f) { f.txtFreeDBPort = "65535"; }},
        {"txtFreeDBUser", [](OptionsForm& f) { f.txtFreeDBUser = "Jane Doe"; }},
        {"txtFreeDBHost", [](OptionsForm& f) { f.txtFreeDBHost = "desk top"; }},
        {"chkFreeDBFormatting", [](OptionsForm& f) { f.chkFreeDBFormatting = true; }},
        {"txtPlayerPath", [](OptionsForm& f) { f.txtPlayerPath = "/opt/my player/bin/play"; }},
        {"chkSortToExistingFolders", [](OptionsForm& f) { f.chkSortToExistingFolders = false; }},
        {"txtAlbumSize", [](OptionsForm& f) { f.txtAlbumSize = "12"; }},
        {"optExists skip", [](OptionsForm& f) { f.optExists = 1; }},
        {"optExists replace", [](OptionsForm& f) { f.optExists = 2; }},
        {"optID3Empty", [](OptionsForm& f) { f.optID3Empty = 1; }, false},
    };

    const OptionsForm opened = formFromSettings(Settings{});
    for (const Change& change : changes) {
        SCOPED_TRACE(change.control);
        TempDir dir;
        const std::string path = dir / "settings.ini";
        IniFile ini(path);
        Settings s;
        OptionsForm f = opened;
        change.apply(f);
        ASSERT_FALSE(f == opened);  // the row really changes its control
        const OptionsForm typed = f;

        // The trace names the control; the forms themselves print as bytes only.
        ASSERT_EQ(applyOptionsForm(f, s, ini), "");
        EXPECT_TRUE(f == typed) << "an accepted value is corrected";
        EXPECT_TRUE(formFromSettings(s) == typed) << "lost in the settings";
        EXPECT_TRUE(formFromSettings(loadFrom(path)) == (change.stored ? typed : opened)) << "lost in the file";
    }
}

TEST(ReplaceListRules, EditingAndChecks) {
    ReplaceListRules r;
    EXPECT_FALSE(r.add("", "x"));
    EXPECT_TRUE(r.add(" - ", "-"));
    EXPECT_FALSE(r.add(" - ", "-"));  // already in the list
    EXPECT_TRUE(r.add(" - ", "_"));   // another pair with the same find text
    EXPECT_TRUE(r.add("Feat.", "feat."));
    EXPECT_EQ(r.getTotalReplaces(), 3);

    EXPECT_FALSE(r.update(1, "Feat.", "feat."));  // would duplicate pair 2
    EXPECT_FALSE(r.update(1, "", "y"));
    EXPECT_FALSE(r.update(7, "a", "b"));
    EXPECT_TRUE(r.update(1, "&", "and"));
    EXPECT_EQ(r.getOldString(1), "&");

    EXPECT_EQ(r.moveUp(0), 0);
    EXPECT_EQ(r.moveDown(2), 2);
    EXPECT_EQ(r.moveUp(2), 1);
    EXPECT_EQ(r.getOldString(1), "Feat.");
    EXPECT_EQ(r.moveDown(0), 1);
    EXPECT_EQ(r.getOldString(1), " - ");
    EXPECT_EQ(r.moveUp(-1), -1);
    EXPECT_TRUE(r.removeAt(2));
    EXPECT_FALSE(r.removeAt(2));
    EXPECT_EQ(r.check().index, -1);

    // Pairs given by the caller are checked on OK, in list order.
    r.addReplace("x", "x");
    r.addReplace("", "y");
    ReplaceListRules::Problem p = r.check();
    EXPECT_EQ(p.index, 2);
    EXPECT_EQ(p.message, "There is no need to replace a string with itself!");
    r.removeAt(2);
    p = r.check();
    EXPECT_EQ(p.index, 2);
    EXPECT_EQ(p.message, "The find string cannot be empty!");

    EXPECT_EQ(ReplaceListRules::cleanReplacement("a<b>c?d\\e/f:g\"h|i*j"), "abcdefghij");
}

TEST(ReplaceListRules, EditedListReachesSettingsAndFile) {
    TempDir dir;
    const std::string path = dir / "settings.ini";
    IniFile ini(path);
    Settings s;
    EXPECT_TRUE(replacesForEditor(s).empty());  // a fresh start has no pairs to edit

    applyReplaceEdit(s, ini, true, {{"a", "b"}});
    EXPECT_EQ(s.replaces, (std::vector<ReplaceListRules::Pair>{{"", ""}}));
    EXPECT_FALSE(initest::readText(path).size());

    applyReplaceEdit(s, ini, false, {{" - ", "-"}, {"Feat.", "feat."}});
    Settings back = loadFrom(path);
    EXPECT_EQ(back.replaces, (std::vector<ReplaceListRules::Pair>{{" - ", "-"}, {"Feat.", "feat."}}));
    EXPECT_EQ(replacesForEditor(back), back.replaces);
    EXPECT_NE(readText(path).find("sOldString0=\xC2\xB6-\xC2\xB6"), std::string::npos);

    // Deleting every pair empties the list, in memory and in the file.
    applyReplaceEdit(back, ini, false, {});
    EXPECT_TRUE(back.replaces.empty());
    const Settings again = loadFrom(path);
    EXPECT_TRUE(replacesForEditor(again).empty());
}
