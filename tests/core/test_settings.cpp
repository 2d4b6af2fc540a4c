// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "IniTestSupport.h"
#include "app/Settings.h"
#include "base/Text.h"

using namespace vorda::base;
using namespace vorda::app;

using namespace std::string_literals;
using initest::readText;
using initest::writeText;

namespace {

Settings loadFrom(const std::string& path) {
    Settings s;
    s.load(IniFile(path));
    return s;
}

void expectDefaults(const Settings& s) {
    const Settings d;
    EXPECT_EQ(s.inPatterns, std::vector<std::string>{""});
    EXPECT_EQ(s.replaces, d.replaces);
    EXPECT_EQ(s.fileTypes, std::vector<std::string>{"mp3"});
    EXPECT_EQ(s.currentPathPattern, "<uletter>/<artist>/");
    EXPECT_EQ(s.currentAlbumPattern, "<uletter>/<artist>/<album> (<year>)/");
    EXPECT_EQ(s.removedChars, defaultRemovedChars());
    EXPECT_EQ(s.targetDir, d.targetDir);
    EXPECT_EQ(s.remoteHost, "gnudb.gnudb.org");
    EXPECT_EQ(s.remotePort, 8880);
    EXPECT_EQ(s.userHost, "localhost");
    EXPECT_EQ(s.method, 4);
    EXPECT_EQ(s.fixFilenames, 1);
    EXPECT_TRUE(s.useTags);
    EXPECT_EQ(s.colSize[0], 400);
}

}  // namespace

TEST(Settings, FreshStartAndUnusableFilesGiveTheDefaults) {
    initest::TempDir dir;
    expectDefaults(loadFrom(dir / "missing.ini"));
    std::filesystem::create_directory(dir / "folder.ini");
    expectDefaults(loadFrom(dir / "folder.ini"));
}

TEST(Settings, DamagedFileKeepsWhatCanBeReadThroughLoadAndSave) {
    initest::TempDir dir;
    const std::string path = dir / "settings.ini";
    const std::string damaged = "[General]\nMethod=2\nsTargetDir=/music/sorted/\n\0\xFF\x01\n"
                                "[OutPatterns]\nsCurrentOutPattern=<track>\xB6-\xB6<title>\nnofOutPatterns=1\n"
                                "sOutPattern0=<artist>\nsOutPattern1=<title>\n"
                                "[Bookmarks]\nFavouriteDir0=/music/a/\nFavouriteDir3=/music/d/\n"s;
    writeText(path, damaged);
    Settings s = loadFrom(path);
    EXPECT_EQ(s.method, 2);
    EXPECT_EQ(s.targetDir, "/music/sorted/");
    EXPECT_EQ(s.currentOutPattern, "<track> - <title>");
    EXPECT_EQ(s.outPatterns, (std::vector<std::string>{"<artist>", "<title>"}));
    EXPECT_EQ(s.favouriteDir[0], "/music/a/");
    EXPECT_EQ(s.favouriteDir[3], "/music/d/");

    // What the window saves at exit keeps all of it, and the damaged file is kept beside it.
    IniFile ini(path);
    s.saveMain(ini);
    EXPECT_EQ(readText(path + ".bak"), damaged);
    EXPECT_EQ(readText(path).find('\0'), std::string::npos);
    const Settings again = loadFrom(path);
    EXPECT_EQ(again.targetDir, "/music/sorted/");
    EXPECT_EQ(again.currentOutPattern, "<track> - <title>");
    EXPECT_EQ(again.outPatterns, s.outPatterns);
    EXPECT_EQ(again.favouriteDir, s.favouriteDir);
    EXPECT_EQ(IniFile(path).fileCondition(), IniFile::Condition::Ok);
}

TEST(Settings, LongFoldersAndPatternsComeBackWhole) {
    initest::TempDir dir;
    Settings s;
    s.targetDir = "/";
    for (int i = 0; i < 30; ++i) s.targetDir += "A rather long folder name " + std::to_string(i) + "/";
    s.currentAlbumPattern = "";
    for (int i = 0; i < 40; ++i) s.currentAlbumPattern += "<artist> - <album> ";
    s.favouriteDir[2] = s.targetDir + "Bookmarked/";
    IniFile ini(dir / "settings.ini");
    s.saveMain(ini);
    const Settings back = loadFrom(dir / "settings.ini");
    ASSERT_GT(back.targetDir.size(), 199u);
    EXPECT_EQ(back.targetDir, s.targetDir);
    EXPECT_EQ(back.currentAlbumPattern, s.currentAlbumPattern);
    EXPECT_EQ(back.favouriteDir[2], s.favouriteDir[2]);
}

TEST(Settings, NoticeSaysWhatHappensToAnUnusableFile) {
    initest::TempDir dir;
    EXPECT_EQ(settingsFileNotice(IniFile(dir / "missing.ini"), true), "");
    writeText(dir / "ok.ini", "[General]\nMethod=2\n");
    EXPECT_EQ(settingsFileNotice(IniFile(dir / "ok.ini"), true), "");

    writeText(dir / "bad.ini", "[General]\nMethod=2\0\n"s);
    const std::string window = settingsFileNotice(IniFile(dir / "bad.ini"), true);
    EXPECT_NE(window.find(dir / "bad.ini"), std::string::npos);
    EXPECT_NE(window.find("could not be read completely: it holds zero bytes"), std::string::npos);
    EXPECT_NE(window.find(dir / "bad.ini.bak"), std::string::npos);
    const std::string cli = settingsFileNotice(IniFile(dir / "bad.ini"), false);
    EXPECT_NE(cli.find("zero bytes"), std::string::npos);
    EXPECT_EQ(cli.find(".bak"), std::string::npos);  // the command line never writes

    ::chmod((dir / "ok.ini").c_str(), 0444);
    EXPECT_NE(settingsFileNotice(IniFile(dir / "ok.ini"), true).find("is read-only"), std::string::npos);
    EXPECT_EQ(settingsFileNotice(IniFile(dir / "ok.ini"), false), "");
    ::chmod((dir / "bad.ini").c_str(), 0444);
    EXPECT_NE(settingsFileNotice(IniFile(dir / "bad.ini"), true).find("is read-only and is left as it is"),
              std::string::npos);

    std::filesystem::create_directory(dir / "folder.ini");
    EXPECT_NE(
        settingsFileNotice(IniFile(dir / "folder.ini"), true).find("could not be read (it is not a regular file)"),
        std::string::npos);
}

TEST(Settings, DefaultRemovedCharsHoldsThe112Characters) {
    const std::string chars = defaultRemovedChars();
    EXPECT_TRUE(isValidUtf8(chars));
    EXPECT_EQ(utf8CharCount(chars), 112u);
    for (const char* kept : {"ä", "¶", "§", "Ø", "ü", "a", " "}) EXPECT_EQ(chars.find(kept), std::string::npos) << kept;
    for (const char* removed : {"^", "{", "}", "~", "\x7F", "€", "\xC2\x81", "\xC2\x9D", "Ÿ", "¡", "ÿ", "ß", "Ç"})
        EXPECT_NE(chars.find(removed), std::string::npos) << removed;
}

TEST(Settings, SpacesAreStoredAsPilcrowsAndComeBack) {
    initest::TempDir dir;
    const std::string path = dir / "settings.ini";
    Settings s;
    s.replaces = {{" - ", "-"}, {"  ", " "}};
    IniFile ini(path);
    s.saveReplaces(ini);
    const std::string text = readText(path);
    EXPECT_NE(text.find("sOldString0=\xC2\xB6-\xC2\xB6\n"), std::string::npos) << text;
    EXPECT_NE(text.find("nofReplaces=1\n"), std::string::npos);
    EXPECT_EQ(loadFrom(path).replaces, s.replaces);

    EXPECT_EQ(decodeSettingValue("a\xB6"
                                 "b"),
              "a b");                                       // old ANSI file
    EXPECT_EQ(decodeSettingValue("\xC3\xB6"), "\xC3\xB6");  // "ö" ends in the byte 0xB6 too
    EXPECT_EQ(encodeSettingValue("a b"), "a\xC2\xB6"
                                         "b");
}

TEST(Settings, TypedReadingRules) {
    initest::TempDir dir;
    const std::string path = dir / "settings.ini";
    writeText(path, "[general]\n"
                    "bUseTags=fALSE\nbReadTags=0\nbAutoReadTags=yes\nbRecycleFiles=-1\n"
                    "bFixFilenames=2.4\nbScanSubFolders=3\nbDetectInPattern=0abc\nbUseAlbumPattern=x\n"
                    "lAlbumSize=abc\niTrackDigits=99999\niMaxFNameLength= 100 \nMethod=7\nfeaFileExistAction=8\n"
                    "sRemovedChars=^{}\n"
                    "[FileTypes]\nnofFileTypes=0\n"
                    "[freedb]\nRemotePort=8881abc\n"
                    "[Visual]\nFormWidth=12000.5\nColSize1=50\nColSize2=900\nColVisible3=False\nColPosition4=9\n"
                    "ColSize5=wide\n");
    const Settings s = loadFrom(path);
    EXPECT_FALSE(s.useTags);
    EXPECT_FALSE(s.readTags);
    EXPECT_TRUE(s.autoReadTags);  // not a boolean: default
    EXPECT_TRUE(s.recycleFiles);
    EXPECT_EQ(s.fixFilenames, 2);
    EXPECT_EQ(s.scanSubFolders, 0);  // 3 is no check-box state: default
    EXPECT_EQ(s.detectInPattern, 0);
    EXPECT_EQ(s.useAlbumPattern, 1);
    EXPECT_EQ(s.albumSize, 5);
    EXPECT_EQ(s.trackDigits, 2);
    EXPECT_EQ(s.maxFileNameLength, 100);
    EXPECT_EQ(s.method, 7);
    EXPECT_EQ(s.fileExistAction, FileExistAction::Ask);
    EXPECT_EQ(s.removedChars, "^{}");
    EXPECT_EQ(s.fileTypes, std::vector<std::string>{"mp3"});
    EXPECT_EQ(s.remotePort, 8881);
    EXPECT_EQ(s.formWidth, 12000.5);
    EXPECT_EQ(s.colSize[0], 120);
    EXPECT_EQ(s.colSize[1], 900);
    EXPECT_FALSE(s.colVisible[2]);
    EXPECT_EQ(s.colPosition[3], 9);
    EXPECT_EQ(s.colSize[4], 400);

    IniFile ini(path);
    EXPECT_EQ(getLeadingNumberSetting(ini, "freedb", "RemotePort", 1), 8881);
    EXPECT_EQ(getLeadingNumberSetting(ini, "freedb", "Missing", 1), 1);
    EXPECT_EQ(getIntSetting(ini, "general", "bFixFilenames", 0), 2);
}

TEST(Settings, ListsRoundTrip) {
    initest::TempDir dir;
    const std::string path = dir / "settings.ini";
    Settings s;
    s.inPatterns = {"<artist> - <title>", " <track> "};
    s.outPatterns = {};
    s.fileTypes = {"mp3", "ogg", "*"};
    IniFile ini(path);
    s.savePatternLists(ini);
    s.saveOptions(ini);
    const std::string text = readText(path);
    EXPECT_NE(text.find("nofOutPatterns=0\nsOutPattern0=\n"), std::string::npos) << text;
    const Settings back = loadFrom(path);
    EXPECT_EQ(back.inPatterns, s.inPatterns);
    EXPECT_EQ(back.outPatterns, std::vector<std::string>{""});
    EXPECT_EQ(back.fileTypes, s.fileTypes);

    // A damaged count neither loops for ever nor goes negative.
    writeText(path, "[InPatterns]\nnofInPatterns=-5\n[OutPatterns]\nnofOutPatterns=99999999999\n");
    const Settings damaged = loadFrom(path);
    EXPECT_EQ(damaged.inPatterns.size(), 1u);
    EXPECT_EQ(damaged.outPatterns.size(), static_cast<size_t>(kMaxListIndex) + 1);
}

TEST(Settings, SaveAndLoadRoundTripEveryOwner) {
    initest::TempDir dir;
    const std::string path = dir / "settings.ini";
    writeText(path, "; kept\n[General]\nsFolderPattern=<album>\n");
    Settings s;
    s.advancedMode = true;
    s.fixFilenames = 2;
    s.method = 0;  // no method chosen: saved as Rename
    s.targetDir = "/music/ target /";
    s.favouriteDir[3] = "/fav/";
    s.currentInPattern = "<title>";
    s.useReplace = true;
    s.trackDigits = 3;
    s.removedChars = "#$";
    s.useId3v2 = TagUse::Always;
    s.maxPaddingSize = -1;
    s.remotePort = 8000;
    s.playerPath = "/usr/bin/vlc";
    IniFile ini(path);
    s.saveMain(ini);
    s.saveOptions(ini);
    const Settings back = loadFrom(path);
    EXPECT_TRUE(back.advancedMode);
    EXPECT_EQ(back.fixFilenames, 2);
    EXPECT_EQ(back.method, 4);
    EXPECT_EQ(back.targetDir, "/music/ target /");
    EXPECT_EQ(back.favouriteDir[3], "/fav/");
    EXPECT_EQ(back.currentInPattern, "<title>");
    EXPECT_TRUE(back.useReplace);
    EXPECT_EQ(back.trackDigits, 3);
    EXPECT_EQ(back.removedChars, "#$");
    EXPECT_EQ(back.useId3v2, TagUse::Always);
    EXPECT_EQ(back.maxPaddingSize, -1);
    EXPECT_EQ(back.remotePort, 8000);
    EXPECT_EQ(back.playerPath, "/usr/bin/vlc");
    EXPECT_EQ(back.folderPattern, "<album>");
    EXPECT_EQ(readText(path).rfind("; kept\n[General]\nsFolderPattern=<album>\n", 0), 0u);

    // A literal is written as text, not as a boolean.
    writeSetting(ini, "General", "sLastDir", "/x y/");
    EXPECT_EQ(getSetting(IniFile(path), "General", "sLastDir", ""), "/x y/");
}

TEST(Settings, SaveVisualFollowsTheWindowState) {
    initest::TempDir dir;
    const std::string path = dir / "settings.ini";
    writeText(path, "[Visual]\nFormState=0\nFormWidth=11111\nFormHeight=7777\nColSize2=800\nColPosition2=5\n");
    Settings s = loadFrom(path);
    s.formWidth = 20000;
    s.colVisible[1] = false;
    s.colSize[1] = 0;
    s.treeSplit = 3000.25;
    IniFile ini(path);

    s.saveVisual(ini, true, false);  // minimised: state and size stay
    Settings back = loadFrom(path);
    EXPECT_EQ(back.formWidth, 11111);
    EXPECT_EQ(back.treeSplit, 3000.25);
    EXPECT_FALSE(back.colVisible[1]);
    EXPECT_EQ(back.colSize[1], 800);  // a hidden column keeps its stored size and position
    EXPECT_EQ(back.colPosition[1], 5);

    s.saveVisual(ini, false, true);  // maximised: state 2, size stays
    back = loadFrom(path);
    EXPECT_EQ(back.formState, 2);
    EXPECT_EQ(back.formWidth, 11111);

    s.saveVisual(ini, false, false);
    back = loadFrom(path);
    EXPECT_EQ(back.formState, 0);
    EXPECT_EQ(back.formWidth, 20000);
    EXPECT_EQ(back.formHeight, s.formHeight);
}

TEST(Settings, FoldersFollowXdg) {
    initest::TempDir dir;
    initest::ScopedEnv home("HOME", dir / "home");
    initest::ScopedEnv config("XDG_CONFIG_HOME", dir / "config");
    std::filesystem::create_directories(dir / "home");
    EXPECT_EQ(defaultFolder(), dir / "home/");
    std::filesystem::create_directories(dir / "home/Music");
    EXPECT_EQ(defaultFolder(), dir / "home/Music/");
    std::filesystem::create_directories(dir / "config");
    std::filesystem::create_directories(dir / "home/Mü sik");
    writeText(dir / "config/user-dirs.dirs", "# comment\nXDG_MUSIC_DIR=\"$HOME/Mü sik\"\n");
    EXPECT_EQ(defaultFolder(), dir / "home/Mü sik/");

    EXPECT_EQ(defaultSettingsPath(dir / "bin"), dir / "config/vorda/settings.ini");
    std::filesystem::create_directories(dir / "bin");
    writeText(dir / "bin/settings.ini", "");
    EXPECT_EQ(defaultSettingsPath(dir / "bin"), dir / "bin/settings.ini");
}
