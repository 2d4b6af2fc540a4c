#include <gtest/gtest.h>

#include <climits>

#include "IniTestSupport.h"
#include "app/Routines.h"

using namespace vorda;

TEST(Routines, PathPartsSplitAtTheLastDotAndSlash)
{
    EXPECT_EQ(GetExtension("/music/a.b.MP3"), "MP3");
    EXPECT_EQ(GetExtension("noext"), "noext");
    // A dot in a folder name starts no extension.
    EXPECT_EQ(GetExtension("/my.music/track"), "/my.music/track");
    EXPECT_EQ(RemoveExtension("/music/song.mp3"), "/music/song");
    EXPECT_EQ(RemoveExtension(".hidden"), ".hidden");
    EXPECT_EQ(RemoveExtension("/music/.hidden"), "/music/.hidden");
    EXPECT_EQ(RemoveExtension("/my.music/track"), "/my.music/track");
    EXPECT_EQ(ChangeExtension("/music/song.MP3", "mp3"), "/music/song.mp3");
    EXPECT_EQ(ChangeExtension("/my.music/track", "m3u"), "/my.music/track.m3u");

    EXPECT_EQ(GetFileName("/music/song.mp3"), "song.mp3");
    EXPECT_EQ(GetFileName("/music/"), "/music/");
    EXPECT_EQ(GetFileName("song.mp3"), "song.mp3");
    EXPECT_EQ(GetFolder("/music/song.mp3"), "/music/");
    EXPECT_EQ(GetFolder("song.mp3"), "");
    EXPECT_EQ(AddBackslash("/music"), "/music/");
    EXPECT_EQ(AddBackslash("/music/"), "/music/");
    EXPECT_EQ(AddBackslash(""), "");
    EXPECT_EQ(RemoveBackslash("/music/"), "/music");
    EXPECT_EQ(RemoveBackslash("/"), "/");
}

TEST(Routines, PathExistsAndIsDirectoryFollowTheFileSystem)
{
    initest::TempDir dir;
    initest::WriteText(dir / "file", "x");
    EXPECT_TRUE(PathExists(dir / "file"));
    EXPECT_FALSE(IsDirectory(dir / "file"));
    EXPECT_TRUE(IsDirectory(dir.path()));
    EXPECT_FALSE(PathExists(dir / "missing"));
    EXPECT_FALSE(PathExists(""));
}

TEST(Routines, CountingDigitsAndDurations)
{
    EXPECT_EQ(CountOccurrences("aaaa", "aa"), 2);
    EXPECT_EQ(CountOccurrences("abc", ""), 0);
    EXPECT_TRUE(IsAllDigits("0123"));
    EXPECT_FALSE(IsAllDigits(""));
    EXPECT_FALSE(IsAllDigits("12a"));
    EXPECT_EQ(FormatDuration(185), "03:05");
    EXPECT_EQ(FormatDuration(0), "00:00");
    EXPECT_EQ(FormatDuration(6001), "100:01");
    EXPECT_EQ(FormatDuration(LLONG_MIN).substr(0, 1), "-");
}

TEST(Routines, PadTrackNumberPadsOnlyTheLeadingDigits)
{
    EXPECT_EQ(PadTrackNumber("7", 2), "07");
    EXPECT_EQ(PadTrackNumber("7/12", 2), "07/12");
    EXPECT_EQ(PadTrackNumber("123", 2), "123");
    EXPECT_EQ(PadTrackNumber("007", 2), "07");
    EXPECT_EQ(PadTrackNumber("0", 3), "000");
    EXPECT_EQ(PadTrackNumber("A1", 2), "A1");
    EXPECT_EQ(PadTrackNumber("", 2), "");
    const std::string huge(400, '9');
    EXPECT_EQ(PadTrackNumber(huge + "x", 2), huge + "x");
}

TEST(Routines, CaseMappingIsUnicodeAwareAndKeepsInvalidBytes)
{
    EXPECT_EQ(LCase("ÄÖÜ École ΣΑΣ"), "äöü école σασ");
    EXPECT_EQ(UCase("äöü école"), "ÄÖÜ ÉCOLE");
    EXPECT_EQ(LCase("A\xFF" "B"), "a\xFF" "b");
    EXPECT_EQ(AsciiLower("MP3 Ä"), "mp3 Ä");
    EXPECT_TRUE(EqualsNoCase("General", "gENERAL"));
    EXPECT_FALSE(EqualsNoCase("General", "Genera"));
    EXPECT_EQ(Trim(" \t a b \t"), "a b");
    EXPECT_EQ(Trim("   "), "");
}

TEST(Routines, Utf8AndLatin1Conversions)
{
    EXPECT_EQ(Latin1ToUtf8("caf\xE9"), "café");
    bool lossy = true;
    EXPECT_EQ(Utf8ToLatin1("café", &lossy), "caf\xE9");
    EXPECT_FALSE(lossy);
    EXPECT_EQ(Utf8ToLatin1("a€b", &lossy), "a?b");
    EXPECT_TRUE(lossy);

    EXPECT_TRUE(IsValidUtf8("aé€😀"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
    EXPECT_EQ(ToDisplayUtf8("a\xE9z"), "a\xEF\xBF\xBDz");

    EXPECT_EQ(Utf8CharCount("a\xE9€"), 3u);
    EXPECT_EQ(Utf8Left("ééé", 2), "éé");
    EXPECT_EQ(Utf8Left("ab", 5), "ab");
}

TEST(Routines, HomeExpansion)
{
    initest::ScopedEnv home("HOME", "/home/tester");
    EXPECT_EQ(HomeFolder(), "/home/tester");
    EXPECT_EQ(ExpandHome("~/Music"), "/home/tester/Music");
    EXPECT_EQ(ExpandHome("/x/~/y"), "/x/~/y");
    EXPECT_EQ(ExpandHome("~user"), "~user");
}

TEST(Routines, FormatGrouped2)
{
    EXPECT_EQ(FormatGrouped2(3.45), "3.45");
    EXPECT_EQ(FormatGrouped2(1234.5), "1 234.50");
    EXPECT_EQ(FormatGrouped2(0), "0.00");
    EXPECT_EQ(FormatGrouped2(999.999), "1 000.00");
    EXPECT_EQ(FormatGrouped2(-1234567.891), "-1 234 567.89");
    EXPECT_EQ(FormatGrouped2(-0.001), "0.00");
    EXPECT_EQ(FormatGrouped2(123456789012.0), "123 456 789 012.00");
}
