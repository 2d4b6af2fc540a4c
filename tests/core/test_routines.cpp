// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <climits>

#include "IniTestSupport.h"
#include "base/Text.h"

using namespace vorda::base;

TEST(Routines, PathPartsSplitAtTheLastDotAndSlash) {
    EXPECT_EQ(getExtension("/music/a.b.MP3"), "MP3");
    EXPECT_EQ(getExtension("noext"), "noext");
    // A dot in a folder name starts no extension.
    EXPECT_EQ(getExtension("/my.music/track"), "/my.music/track");
    EXPECT_EQ(removeExtension("/music/song.mp3"), "/music/song");
    EXPECT_EQ(removeExtension(".hidden"), ".hidden");
    EXPECT_EQ(removeExtension("/music/.hidden"), "/music/.hidden");
    EXPECT_EQ(removeExtension("/my.music/track"), "/my.music/track");
    EXPECT_EQ(changeExtension("/music/song.MP3", "mp3"), "/music/song.mp3");
    EXPECT_EQ(changeExtension("/my.music/track", "m3u"), "/my.music/track.m3u");

    EXPECT_EQ(getFileName("/music/song.mp3"), "song.mp3");
    EXPECT_EQ(getFileName("/music/"), "/music/");
    EXPECT_EQ(getFileName("song.mp3"), "song.mp3");
    EXPECT_EQ(getFolder("/music/song.mp3"), "/music/");
    EXPECT_EQ(getFolder("song.mp3"), "");
    EXPECT_EQ(addBackslash("/music"), "/music/");
    EXPECT_EQ(addBackslash("/music/"), "/music/");
    EXPECT_EQ(addBackslash(""), "");
    EXPECT_EQ(removeBackslash("/music/"), "/music");
    EXPECT_EQ(removeBackslash("/"), "/");
}

TEST(Routines, PathExistsAndIsDirectoryFollowTheFileSystem) {
    initest::TempDir dir;
    initest::writeText(dir / "file", "x");
    EXPECT_TRUE(pathExists(dir / "file"));
    EXPECT_FALSE(isDirectory(dir / "file"));
    EXPECT_TRUE(isDirectory(dir.path()));
    EXPECT_FALSE(pathExists(dir / "missing"));
    EXPECT_FALSE(pathExists(""));
}

TEST(Routines, CountingDigitsAndDurations) {
    EXPECT_EQ(countOccurrences("aaaa", "aa"), 2);
    EXPECT_EQ(countOccurrences("abc", ""), 0);
    EXPECT_TRUE(isAllDigits("0123"));
    EXPECT_FALSE(isAllDigits(""));
    EXPECT_FALSE(isAllDigits("12a"));
    EXPECT_EQ(formatDuration(185), "03:05");
    EXPECT_EQ(formatDuration(0), "00:00");
    EXPECT_EQ(formatDuration(6001), "100:01");
    EXPECT_EQ(formatDuration(LLONG_MIN).substr(0, 1), "-");
}

TEST(Routines, PadTrackNumberPadsOnlyTheLeadingDigits) {
    EXPECT_EQ(padTrackNumber("7", 2), "07");
    EXPECT_EQ(padTrackNumber("7/12", 2), "07/12");
    EXPECT_EQ(padTrackNumber("123", 2), "123");
    EXPECT_EQ(padTrackNumber("007", 2), "07");
    EXPECT_EQ(padTrackNumber("0", 3), "000");
    EXPECT_EQ(padTrackNumber("A1", 2), "A1");
    EXPECT_EQ(padTrackNumber("", 2), "");
    const std::string huge(400, '9');
    EXPECT_EQ(padTrackNumber(huge + "x", 2), huge + "x");
}

TEST(Routines, TrimRemovesOnlyTheChosenBlanksAtBothEnds) {
    EXPECT_EQ(trim(" \t a b \t "), "a b");
    EXPECT_EQ(trim("\t a \t", " "), "\t a \t");
    EXPECT_EQ(trim("  a  ", " "), "a");
    EXPECT_EQ(trim("   "), "");
    EXPECT_EQ(trim(""), "");
    EXPECT_EQ(trimView("\r key \f", " \t\r\v\f"), "key");
    const std::string kept = "\xC2\xA0x\xC2\xA0";  // no-break spaces are text, not blanks
    EXPECT_EQ(trim(kept), kept);
}

TEST(Routines, CaseMappingIsUnicodeAwareAndKeepsInvalidBytes) {
    EXPECT_EQ(lowerCase("ÄÖÜ École ΣΑΣ"), "äöü école σασ");
    EXPECT_EQ(upperCase("äöü école"), "ÄÖÜ ÉCOLE");
    EXPECT_EQ(lowerCase("A\xFF"
                        "B"),
              "a\xFF"
              "b");
    EXPECT_EQ(asciiLower("MP3 Ä"), "mp3 Ä");
    EXPECT_TRUE(equalsNoCase("General", "gENERAL"));
    EXPECT_FALSE(equalsNoCase("General", "Genera"));
}

TEST(Routines, Utf8AndLatin1Conversions) {
    EXPECT_EQ(latin1ToUtf8("caf\xE9"), "café");
    bool lossy = true;
    EXPECT_EQ(utf8ToLatin1("café", &lossy), "caf\xE9");
    EXPECT_FALSE(lossy);
    EXPECT_EQ(utf8ToLatin1("a€b", &lossy), "a?b");
    EXPECT_TRUE(lossy);

    EXPECT_TRUE(isValidUtf8("aé€😀"));
    EXPECT_FALSE(isValidUtf8("\xC0\x80"));          // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));          // cut short
    EXPECT_EQ(toDisplayUtf8("a\xE9z"), "a\xEF\xBF\xBDz");

    EXPECT_EQ(utf8CharCount("a\xE9€"), 3u);
    EXPECT_EQ(utf8Left("ééé", 2), "éé");
    EXPECT_EQ(utf8Left("ab", 5), "ab");
}

TEST(Routines, HomeExpansion) {
    initest::ScopedEnv home("HOME", "/home/tester");
    EXPECT_EQ(homeFolder(), "/home/tester");
    EXPECT_EQ(expandHome("~/Music"), "/home/tester/Music");
    EXPECT_EQ(expandHome("/x/~/y"), "/x/~/y");
    EXPECT_EQ(expandHome("~user"), "~user");
}

TEST(Routines, FormatGrouped2) {
    EXPECT_EQ(formatGrouped2(3.45), "3.45");
    EXPECT_EQ(formatGrouped2(1234.5), "1 234.50");
    EXPECT_EQ(formatGrouped2(0), "0.00");
    EXPECT_EQ(formatGrouped2(999.999), "1 000.00");
    EXPECT_EQ(formatGrouped2(-1234567.891), "-1 234 567.89");
    EXPECT_EQ(formatGrouped2(-0.001), "0.00");
    EXPECT_EQ(formatGrouped2(123456789012.0), "123 456 789 012.00");
}
