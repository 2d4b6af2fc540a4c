#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "IniTestSupport.h"
#include "app/IniFile.h"

using namespace vorda;
using namespace std::string_literals;
using initest::ReadText;
using initest::WriteText;

TEST(IniFile, ReadsLikeTheProfileFunctions)
{
    initest::TempDir dir;
    WriteText(dir / "s.ini",
              "orphan=before any section\n"
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
    EXPECT_EQ(ini.Read("GENERAL", "KEY", "d"), "value with blanks");
    EXPECT_EQ(ini.Read("General", " key ", "d"), "value with blanks");
    EXPECT_EQ(ini.Read("General", "Quoted", "d"), "  kept blanks  ");
    EXPECT_EQ(ini.Read("General", "Single", "d"), "x");
    EXPECT_EQ(ini.Read("General", "HalfQuote", "d"), "\"x");
    EXPECT_EQ(ini.Read("General", "noequals", "d"), "d");
    EXPECT_EQ(ini.Read("General", "; Key", "d"), "d");
    EXPECT_EQ(ini.Read("General", "Other", "d"), "d");
    EXPECT_EQ(ini.Read("General", "orphan", "d"), "d");
    EXPECT_EQ(ini.Read("Win", "Crlf", "d"), "yes");
    EXPECT_EQ(ini.Read("Missing", "Crlf", "d"), "d");
    EXPECT_EQ(IniFile(dir / "none.ini").Read("General", "Key", "def"), "def");
}

TEST(IniFile, LongValuesComeBackWhole)
{
    initest::TempDir dir;
    std::string deep = "/";
    for (int i = 0; i < 40; ++i) deep += "Folder number " + std::to_string(i) + "/";
    std::string longUtf8;
    for (int i = 0; i < 250; ++i) longUtf8 += "é";
    IniFile ini(dir / "s.ini");
    ASSERT_TRUE(ini.Write("S", "Deep", deep));
    ASSERT_TRUE(ini.Write("S", "U", longUtf8));
    IniFile again(dir / "s.ini");
    EXPECT_EQ(again.Read("S", "Deep", ""), deep);
    EXPECT_EQ(again.Read("S", "U", ""), longUtf8);
}

TEST(IniFile, WritingChangesOnlyTheOneLine)
{
    initest::TempDir dir;
    const std::string path = dir / "s.ini";
    WriteText(path,
              "; my settings\n"
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
    ASSERT_TRUE(ini.Write("general", "BUSETAGS", "False"));
    ASSERT_TRUE(ini.Write("Tags", "New", "v"));
    ASSERT_TRUE(ini.Write("Last", "z", "3"));
    ASSERT_TRUE(ini.Write("Fresh", "k", "w"));
    EXPECT_EQ(ReadText(path),
              "; my settings\n"
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
    EXPECT_EQ(IniFile(path).Read("Tags", "new", ""), "v");
}

TEST(IniFile, WritingKeepsCrLfAndCreatesMissingFilesAndFolders)
{
    initest::TempDir dir;
    WriteText(dir / "w.ini", "[A]\r\nk=1\r\n");
    IniFile win(dir / "w.ini");
    ASSERT_TRUE(win.Write("A", "j", "2"));
    ASSERT_TRUE(win.Write("B", "k", "3"));
    EXPECT_EQ(ReadText(dir / "w.ini"), "[A]\r\nk=1\r\nj=2\r\n[B]\r\nk=3\r\n");

    const std::string nested = dir / "new/sub/settings.ini";
    IniFile fresh(nested);
    ASSERT_TRUE(fresh.Write("S", "k", "v"));
    EXPECT_EQ(ReadText(nested), "[S]\nk=v\n");
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "new/sub"),
                            std::filesystem::directory_iterator()), 1);
}

TEST(IniFile, ValuesThatReadingWouldChangeRoundTrip)
{
    initest::TempDir dir;
    IniFile ini(dir / "s.ini");
    const std::string values[] = {"  blanks  ", "\"quoted\"", "'single'", "\"\"", "\t", "a=b;c"};
    for (const std::string& v : values) {
        ASSERT_TRUE(ini.Write("S", "k", v));
        EXPECT_EQ(IniFile(dir / "s.ini").Read("S", "k", "d"), v);
    }
    // A line break must not plant another key; a NUL must not spoil the file.
    ASSERT_TRUE(ini.Write("S", "k", "a\n[S]\nevil=1"));
    ASSERT_TRUE(ini.Write("S", "n", std::string("x\0y", 3)));
    IniFile again(dir / "s.ini");
    EXPECT_EQ(again.Read("S", "evil", "none"), "none");
    EXPECT_EQ(again.Read("S", "k", ""), "a [S] evil=1");
    EXPECT_EQ(again.Read("S", "n", ""), "xy");
}

TEST(IniFile, WritesSeeChangesMadeThroughOtherObjects)
{
    initest::TempDir dir;
    IniFile first(dir / "s.ini");
    IniFile second(dir / "s.ini");
    ASSERT_TRUE(first.Write("S", "a", "1"));
    ASSERT_TRUE(second.Write("S", "b", "2"));
    first.BeginUpdate();
    ASSERT_TRUE(first.Write("S", "c", "3"));
    EXPECT_EQ(ReadText(dir / "s.ini"), "[S]\na=1\nb=2\n");  // nothing written before EndUpdate
    EXPECT_TRUE(first.EndUpdate());
    EXPECT_EQ(ReadText(dir / "s.ini"), "[S]\na=1\nb=2\nc=3\n");
}

TEST(IniFile, UnusableFilesReadAsMissingAndAreNotDestroyed)
{
    initest::TempDir dir;
    // A folder in the file's place.
    std::filesystem::create_directory(dir / "folder.ini");
    IniFile folder(dir / "folder.ini");
    EXPECT_EQ(folder.Read("S", "k", "d"), "d");
    EXPECT_EQ(folder.FileCondition(), IniFile::Condition::Unreadable);
    EXPECT_FALSE(folder.Write("S", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.ini"));

    // No read permission (root reads everything, so only as a normal user).
    if (::geteuid() != 0) {
        WriteText(dir / "locked.ini", "[S]\nk=v\n");
        ::chmod((dir / "locked.ini").c_str(), 0);
        IniFile locked(dir / "locked.ini");
        EXPECT_EQ(locked.Read("S", "k", "d"), "d");
        EXPECT_EQ(locked.FileCondition(), IniFile::Condition::Unreadable);
        EXPECT_FALSE(locked.Problem().empty());
        EXPECT_FALSE(locked.Write("S", "k", "w"));
        ::chmod((dir / "locked.ini").c_str(), 0600);
        EXPECT_EQ(ReadText(dir / "locked.ini"), "[S]\nk=v\n");
    }
}

TEST(IniFile, WritingThroughASymbolicLinkKeepsTheLink)
{
    initest::TempDir dir;
    WriteText(dir / "real.ini", "[S]\nk=1\n");
    std::filesystem::create_symlink(dir / "real.ini", dir / "link.ini");
    IniFile ini(dir / "link.ini");
    ASSERT_TRUE(ini.Write("S", "k", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(ReadText(dir / "real.ini"), "[S]\nk=2\n");
}

TEST(IniFile, DamagedFileIsReadAsFarAsItCanBeAndKeptBeforeItIsReplaced)
{
    initest::TempDir dir;
    const std::string path = dir / "settings.ini";
    const std::string damaged = "[General]\n"
                                "sTargetDir=/music/deep/\n"
                                "[Bookmarks]\n"
                                "FavouriteDir0=/a\0junk=1\n"
                                "FavouriteDir1=/b\n"
                                "[Old]\n"
                                "Name=caf\xE9 \xB6\n"s;
    WriteText(path, damaged);

    IniFile ini(path);
    EXPECT_EQ(ini.FileCondition(), IniFile::Condition::Damaged);
    EXPECT_NE(ini.Problem().find("zero bytes"), std::string::npos);
    EXPECT_NE(ini.Problem().find("not UTF-8"), std::string::npos);
    // A zero byte ends its own line, nothing more; other bytes are read as ISO-8859-1.
    EXPECT_EQ(ini.Read("General", "sTargetDir", "d"), "/music/deep/");
    EXPECT_EQ(ini.Read("Bookmarks", "FavouriteDir0", "d"), "/a");
    EXPECT_EQ(ini.Read("Bookmarks", "junk", "d"), "d");
    EXPECT_EQ(ini.Read("Bookmarks", "FavouriteDir1", "d"), "/b");
    EXPECT_EQ(ini.Read("Old", "Name", "d"), "caf\xC3\xA9 \xC2\xB6");
    EXPECT_FALSE(std::filesystem::exists(ini.BackupPath()));

    // The first write keeps the damaged file, then replaces it by what was read of it.
    ASSERT_TRUE(ini.Write("General", "Method", "2"));
    EXPECT_EQ(ReadText(dir / "settings.ini.bak"), damaged);
    EXPECT_EQ(ReadText(path),
              "[General]\nsTargetDir=/music/deep/\nMethod=2\n[Bookmarks]\nFavouriteDir0=/a\nFavouriteDir1=/b\n"
              "[Old]\nName=caf\xC3\xA9 \xC2\xB6\n");
    IniFile mended(path);
    EXPECT_EQ(mended.FileCondition(), IniFile::Condition::Ok);
    EXPECT_TRUE(mended.Problem().empty());

    // A sound file is written without touching the backup.
    WriteText(dir / "settings.ini.bak", "older");
    ASSERT_TRUE(mended.Write("General", "Method", "1"));
    EXPECT_EQ(ReadText(dir / "settings.ini.bak"), "older");

    // Values written with bytes that are not UTF-8 never make the file damaged.
    ASSERT_TRUE(mended.Write("Old", "Raw", "caf\xE9"));
    EXPECT_EQ(IniFile(path).FileCondition(), IniFile::Condition::Ok);
    EXPECT_EQ(IniFile(path).Read("Old", "Raw", "d"), "caf\xC3\xA9");
}

TEST(IniFile, OversizedFileReadsItsWholeLinesAndIsNeverReplacedWithoutABackup)
{
    initest::TempDir dir;
    const std::string path = dir / "settings.ini";
    std::string huge = "[S]\nk=v\n[T]\n";
    while (huge.size() <= IniFile::kMaxFileBytes + 100) huge += "; filler line of a file that grew too large\n";
    huge += "late=lost\n";
    WriteText(path, huge);
    IniFile ini(path);
    EXPECT_EQ(ini.FileCondition(), IniFile::Condition::Damaged);
    EXPECT_NE(ini.Problem().find("larger than 4 MB"), std::string::npos);
    EXPECT_EQ(ini.Read("S", "k", "d"), "v");
    EXPECT_EQ(ini.Read("T", "late", "d"), "d");

    // Without a place for the backup nothing is written.
    std::filesystem::create_directory(dir / "settings.ini.bak");
    EXPECT_FALSE(ini.Write("S", "k", "w"));
    EXPECT_EQ(ReadText(path), huge);
    std::filesystem::remove(dir / "settings.ini.bak");

    ASSERT_TRUE(ini.Write("S", "k", "w"));
    EXPECT_EQ(ReadText(dir / "settings.ini.bak"), huge);
    EXPECT_LE(std::filesystem::file_size(path), IniFile::kMaxFileBytes);
    EXPECT_EQ(IniFile(path).Read("S", "k", "d"), "w");
}

TEST(IniFile, ReadOnlyFileIsReadAndNeverWritten)
{
    initest::TempDir dir;
    const std::string path = dir / "settings.ini";
    WriteText(path, "[S]\nk=v\n");
    ::chmod(path.c_str(), 0444);
    IniFile ini(path);
    EXPECT_TRUE(ini.IsReadOnly());
    EXPECT_EQ(ini.FileCondition(), IniFile::Condition::Ok);
    EXPECT_EQ(ini.Read("S", "k", "d"), "v");
    EXPECT_FALSE(ini.Write("S", "k", "w"));
    ini.BeginUpdate();
    ini.Write("S", "other", "x");
    EXPECT_FALSE(ini.EndUpdate());
    EXPECT_EQ(ReadText(path), "[S]\nk=v\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);

    // Read-only through a link as well; a writable file is not.
    std::filesystem::create_symlink(path, dir / "link.ini");
    EXPECT_TRUE(IniFile(dir / "link.ini").IsReadOnly());
    ::chmod(path.c_str(), 0644);
    EXPECT_FALSE(IniFile(path).IsReadOnly());
    EXPECT_FALSE(IniFile(dir / "missing.ini").IsReadOnly());
}
