// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "IniTestSupport.h"
#include "base/IniFile.h"

using namespace vorda::base;

using namespace std::string_literals;
using initest::readText;
using initest::writeText;

TEST(IniFile, ReadsLikeTheProfileFunctions) {
    initest::TempDir dir;
    writeText(dir / "s.ini", "orphan=before any section\n"
                             "[ General ]\n"
                             "; Key=comment\n"
                             "  Key  =  value with blanks  \n"
                             "key=second one is ignored\n"
                             "Quoted=\"  kept blanks  \"\n"
                             "Single='x'\n"
                             "HalfQuote=\"x\n"
                             "noequals\n"
                             "[general]\n"
                             "Other=repeated section is ignored\n"
                             "[Win]\r\n"
                             "Crlf=yes\r\n");
    IniFile ini(dir / "s.ini");
    EXPECT_EQ(ini.read("GENERAL", "KEY", "d"), "value with blanks");
    EXPECT_EQ(ini.read("General", " key ", "d"), "value with blanks");
    EXPECT_EQ(ini.read("General", "Quoted", "d"), "  kept blanks  ");
    EXPECT_EQ(ini.read("General", "Single", "d"), "x");
    EXPECT_EQ(ini.read("General", "HalfQuote", "d"), "\"x");
    EXPECT_EQ(ini.read("General", "noequals", "d"), "d");
    EXPECT_EQ(ini.read("General", "; Key", "d"), "d");
    EXPECT_EQ(ini.read("General", "Other", "d"), "d");
    EXPECT_EQ(ini.read("General", "orphan", "d"), "d");
    EXPECT_EQ(ini.read("Win", "Crlf", "d"), "yes");
    EXPECT_EQ(ini.read("Missing", "Crlf", "d"), "d");
    EXPECT_EQ(IniFile(dir / "none.ini").read("General", "Key", "def"), "def");
}

TEST(IniFile, LongValuesComeBackWhole) {
    initest::TempDir dir;
    std::string deep = "/";
    for (int i = 0; i < 40; ++i) deep += "Folder number " + std::to_string(i) + "/";
    std::string longUtf8;
    for (int i = 0; i < 250; ++i) longUtf8 += "é";
    IniFile ini(dir / "s.ini");
    ASSERT_TRUE(ini.write("S", "Deep", deep));
    ASSERT_TRUE(ini.write("S", "U", longUtf8));
    IniFile again(dir / "s.ini");
    EXPECT_EQ(again.read("S", "Deep", ""), deep);
    EXPECT_EQ(again.read("S", "U", ""), longUtf8);
}

TEST(IniFile, WritingChangesOnlyTheOneLine) {
    initest::TempDir dir;
    const std::string path = dir / "s.ini";
    writeText(path, "; my settings\n"
                    "[General]\n"
                    "  bUseTags   =  True\n"
                    "Odd    spacing = kept\n"
                    "\n"
                    "[Tags]\n"
                    "x=1\n"
                    "\n"
                    "\n"
                    "[Last]\n"
                    "y=2");
    ::chmod(path.c_str(), 0640);
    IniFile ini(path);
    ASSERT_TRUE(ini.write("general", "BUSETAGS", "False"));
    ASSERT_TRUE(ini.write("Tags", "New", "v"));
    ASSERT_TRUE(ini.write("Last", "z", "3"));
    ASSERT_TRUE(ini.write("Fresh", "k", "w"));
    EXPECT_EQ(readText(path), "; my settings\n"
                              "[General]\n"
                              "  bUseTags   =False\n"
                              "Odd    spacing = kept\n"
                              "\n"
                              "[Tags]\n"
                              "x=1\n"
                              "New=v\n"
                              "\n"
                              "\n"
                              "[Last]\n"
                              "y=2\n"
                              "z=3\n"
                              "[Fresh]\n"
                              "k=w\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(IniFile(path).read("Tags", "new", ""), "v");
}

TEST(IniFile, WritingKeepsCrLfAndCreatesMissingFilesAndFolders) {
    initest::TempDir dir;
    writeText(dir / "w.ini", "[A]\r\nk=1\r\n");
    IniFile win(dir / "w.ini");
    ASSERT_TRUE(win.write("A", "j", "2"));
    ASSERT_TRUE(win.write("B", "k", "3"));
    EXPECT_EQ(readText(dir / "w.ini"), "[A]\r\nk=1\r\nj=2\r\n[B]\r\nk=3\r\n");

    const std::string nested = dir / "new/sub/settings.ini";
    IniFile fresh(nested);
    ASSERT_TRUE(fresh.write("S", "k", "v"));
    EXPECT_EQ(readText(nested), "[S]\nk=v\n");
    // No temporary file is left behind.
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir / "new/sub"), std::filesystem::directory_iterator()), 1);
}

TEST(IniFile, ValuesThatReadingWouldChangeRoundTrip) {
    initest::TempDir dir;
    IniFile ini(dir / "s.ini");
    const std::string values[] = {"  blanks  ", "\"quoted\"", "'single'", "\"\"", "\t", "a=b;c"};
    for (const std::string& v : values) {
        ASSERT_TRUE(ini.write("S", "k", v));
        EXPECT_EQ(IniFile(dir / "s.ini").read("S", "k", "d"), v);
    }
    // A line break must not plant another key; a NUL must not spoil the file.
    ASSERT_TRUE(ini.write("S", "k", "a\n[S]\nevil=1"));
    ASSERT_TRUE(ini.write("S", "n", std::string("x\0y", 3)));
    IniFile again(dir / "s.ini");
    EXPECT_EQ(again.read("S", "evil", "none"), "none");
    EXPECT_EQ(again.read("S", "k", ""), "a [S] evil=1");
    EXPECT_EQ(again.read("S", "n", ""), "xy");
}

TEST(IniFile, WritesSeeChangesMadeThroughOtherObjects) {
    initest::TempDir dir;
    IniFile first(dir / "s.ini");
    IniFile second(dir / "s.ini");
    ASSERT_TRUE(first.write("S", "a", "1"));
    ASSERT_TRUE(second.write("S", "b", "2"));
    first.beginUpdate();
    ASSERT_TRUE(first.write("S", "c", "3"));
    EXPECT_EQ(readText(dir / "s.ini"), "[S]\na=1\nb=2\n");  // nothing written before endUpdate
    EXPECT_TRUE(first.endUpdate());
    EXPECT_EQ(readText(dir / "s.ini"), "[S]\na=1\nb=2\nc=3\n");
}

TEST(IniFile, UnusableFilesReadAsMissingAndAreNotDestroyed) {
    initest::TempDir dir;
    // A folder in the file's place.
    std::filesystem::create_directory(dir / "folder.ini");
    IniFile folder(dir / "folder.ini");
    EXPECT_EQ(folder.read("S", "k", "d"), "d");
    EXPECT_EQ(folder.fileCondition(), IniFile::Condition::Unreadable);
    EXPECT_FALSE(folder.write("S", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.ini"));

    // No read permission (root reads everything, so only as a normal user).
    if (::geteuid() != 0) {
        writeText(dir / "locked.ini", "[S]\nk=v\n");
        ::chmod((dir / "locked.ini").c_str(), 0);
        IniFile locked(dir / "locked.ini");
        EXPECT_EQ(locked.read("S", "k", "d"), "d");
        EXPECT_EQ(locked.fileCondition(), IniFile::Condition::Unreadable);
        EXPECT_FALSE(locked.problem().empty());
        EXPECT_FALSE(locked.write("S", "k", "w"));
        ::chmod((dir / "locked.ini").c_str(), 0600);
        EXPECT_EQ(readText(dir / "locked.ini"), "[S]\nk=v\n");
    }
}

TEST(IniFile, WritingThroughASymbolicLinkKeepsTheLink) {
    initest::TempDir dir;
    writeText(dir / "real.ini", "[S]\nk=1\n");
    std::filesystem::create_symlink(dir / "real.ini", dir / "link.ini");
    IniFile ini(dir / "link.ini");
    ASSERT_TRUE(ini.write("S", "k", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(readText(dir / "real.ini"), "[S]\nk=2\n");
}

TEST(IniFile, DamagedFileIsReadAsFarAsItCanBeAndKeptBeforeItIsReplaced) {
    initest::TempDir dir;
    const std::string path = dir / "settings.ini";
    const std::string damaged = "[General]\n"
                                "sTargetDir=/music/deep/\n"
                                "[Bookmarks]\n"
                                "FavouriteDir0=/a\0junk=1\n"
                                "FavouriteDir1=/b\n"
                                "[Old]\n"
                                "Name=caf\xE9 \xB6\n"s;
    writeText(path, damaged);

    IniFile ini(path);
    EXPECT_EQ(ini.fileCondition(), IniFile::Condition::Damaged);
    EXPECT_NE(ini.problem().find("zero bytes"), std::string::npos);
    EXPECT_NE(ini.problem().find("not UTF-8"), std::string::npos);
    // A zero byte ends its own line, nothing more; other bytes are read as ISO-8859-1.
    EXPECT_EQ(ini.read("General", "sTargetDir", "d"), "/music/deep/");
    EXPECT_EQ(ini.read("Bookmarks", "FavouriteDir0", "d"), "/a");
    EXPECT_EQ(ini.read("Bookmarks", "junk", "d"), "d");
    EXPECT_EQ(ini.read("Bookmarks", "FavouriteDir1", "d"), "/b");
    EXPECT_EQ(ini.read("Old", "Name", "d"), "caf\xC3\xA9 \xC2\xB6");
    EXPECT_FALSE(std::filesystem::exists(ini.backupPath()));

    // The first write keeps the damaged file, then replaces it by what was read of it.
    ASSERT_TRUE(ini.write("General", "Method", "2"));
    EXPECT_EQ(readText(dir / "settings.ini.bak"), damaged);
    EXPECT_EQ(readText(path),
              "[General]\nsTargetDir=/music/deep/\nMethod=2\n[Bookmarks]\nFavouriteDir0=/a\nFavouriteDir1=/b\n"
              "[Old]\nName=caf\xC3\xA9 \xC2\xB6\n");
    IniFile mended(path);
    EXPECT_EQ(mended.fileCondition(), IniFile::Condition::Ok);
    EXPECT_TRUE(mended.problem().empty());

    // A sound file is written without touching the backup.
    writeText(dir / "settings.ini.bak", "older");
    ASSERT_TRUE(mended.write("General", "Method", "1"));
    EXPECT_EQ(readText(dir / "settings.ini.bak"), "older");

    // Values written with bytes that are not UTF-8 never make the file damaged.
    ASSERT_TRUE(mended.write("Old", "Raw", "caf\xE9"));
    EXPECT_EQ(IniFile(path).fileCondition(), IniFile::Condition::Ok);
    EXPECT_EQ(IniFile(path).read("Old", "Raw", "d"), "caf\xC3\xA9");
}

TEST(IniFile, OversizedFileReadsItsWholeLinesAndIsNeverReplacedWithoutABackup) {
    initest::TempDir dir;
    const std::string path = dir / "settings.ini";
    std::string huge = "[S]\nk=v\n[T]\n";
    while (huge.size() <= IniFile::kMaxFileBytes + 100) huge += "; filler line of a file that grew too large\n";
    huge += "late=lost\n";
    writeText(path, huge);
    IniFile ini(path);
    EXPECT_EQ(ini.fileCondition(), IniFile::Condition::Damaged);
    EXPECT_NE(ini.problem().find("larger than 4 MB"), std::string::npos);
    EXPECT_EQ(ini.read("S", "k", "d"), "v");
    EXPECT_EQ(ini.read("T", "late", "d"), "d");

    // Without a place for the backup nothing is written.
    std::filesystem::create_directory(dir / "settings.ini.bak");
    EXPECT_FALSE(ini.write("S", "k", "w"));
    EXPECT_EQ(readText(path), huge);
    std::filesystem::remove(dir / "settings.ini.bak");

    ASSERT_TRUE(ini.write("S", "k", "w"));
    EXPECT_EQ(readText(dir / "settings.ini.bak"), huge);
    EXPECT_LE(std::filesystem::file_size(path), IniFile::kMaxFileBytes);
    EXPECT_EQ(IniFile(path).read("S", "k", "d"), "w");
}

TEST(IniFile, ReadOnlyFileIsReadAndNeverWritten) {
    initest::TempDir dir;
    const std::string path = dir / "settings.ini";
    writeText(path, "[S]\nk=v\n");
    ::chmod(path.c_str(), 0444);
    IniFile ini(path);
    EXPECT_TRUE(ini.isReadOnly());
    EXPECT_EQ(ini.fileCondition(), IniFile::Condition::Ok);
    EXPECT_EQ(ini.read("S", "k", "d"), "v");
    EXPECT_FALSE(ini.write("S", "k", "w"));
    ini.beginUpdate();
    ini.write("S", "other", "x");
    EXPECT_FALSE(ini.endUpdate());
    EXPECT_EQ(readText(path), "[S]\nk=v\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);

    // Read-only through a link as well; a writable file is not.
    std::filesystem::create_symlink(path, dir / "link.ini");
    EXPECT_TRUE(IniFile(dir / "link.ini").isReadOnly());
    ::chmod(path.c_str(), 0644);
    EXPECT_FALSE(IniFile(path).isReadOnly());
    EXPECT_FALSE(IniFile(dir / "missing.ini").isReadOnly());
}
