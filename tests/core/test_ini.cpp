#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "IniTestSupport.h"
#include "app/IniFile.h"

using namespace vorda;
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

TEST(IniFile, ValuesAreCutTo199CharactersNeverInsideASequence)
{
    initest::TempDir dir;
    std::string longAscii(250, 'a');
    std::string longUtf8;
    for (int i = 0; i < 250; ++i) longUtf8 += "é";
    WriteText(dir / "s.ini", "[S]\nA=" + longAscii + "\nU=" + longUtf8 + "\n");
    IniFile ini(dir / "s.ini");
    EXPECT_EQ(ini.Read("S", "A", ""), std::string(199, 'a'));
    const std::string cut = ini.Read("S", "U", "");
    EXPECT_EQ(cut.size(), 398u);
    EXPECT_EQ(cut, longUtf8.substr(0, 398));
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
    EXPECT_FALSE(folder.Write("S", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.ini"));

    // A file past the size limit.
    const std::string huge = "[S]\nk=v\n" + std::string(IniFile::kMaxFileBytes, 'x');
    WriteText(dir / "huge.ini", huge);
    IniFile big(dir / "huge.ini");
    EXPECT_EQ(big.Read("S", "k", "d"), "d");
    EXPECT_FALSE(big.Write("S", "k", "w"));
    EXPECT_EQ(ReadText(dir / "huge.ini"), huge);

    // Binary garbage reads as missing; writing still works line by line.
    const std::string garbage("[S]\nk=v\n\x01\x00\xFF\xFE\n", 13);
    WriteText(dir / "garbage.ini", garbage);
    IniFile junk(dir / "garbage.ini");
    EXPECT_EQ(junk.Read("S", "k", "d"), "d");
    EXPECT_TRUE(junk.Write("S", "k", "w"));
    EXPECT_EQ(ReadText(dir / "garbage.ini"), std::string("[S]\nk=w\n\x01\x00\xFF\xFE\n", 13));

    // No read permission (root reads everything, so only as a normal user).
    if (::geteuid() != 0) {
        WriteText(dir / "locked.ini", "[S]\nk=v\n");
        ::chmod((dir / "locked.ini").c_str(), 0);
        IniFile locked(dir / "locked.ini");
        EXPECT_EQ(locked.Read("S", "k", "d"), "d");
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
