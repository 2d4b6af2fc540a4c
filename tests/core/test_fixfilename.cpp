// SPDX-License-Identifier: GPL-2.0-or-later

// Filename fixing: the clean-up of names and tag fields under every formatting option.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FakeTagSupport.h"
#include "IniTestSupport.h"
#include "naming/FileNameFixer.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;

namespace {

Settings defaults() {
    Settings s;
    s.replaces.clear();
    return s;
}

}  // namespace

TEST(FixFileName, DefaultsSpaceAndCapitaliseAndMendDashes) {
    const Settings s = defaults();
    EXPECT_EQ(fixFileName("artist_-_title", s), "Artist - Title");
    EXPECT_EQ(fixFileName("ABBA--SOS", s), "Abba - Sos");
    EXPECT_EQ(fixFileName("Song () - Remix", s), "Song Remix");
    EXPECT_EQ(fixFileName("Song - () x", s), "Song X");
    EXPECT_EQ(fixFileName("- Title -", s), "Title");
    EXPECT_EQ(fixFileName("a -b", s), "A - B");
    EXPECT_EQ(fixFileName("a- b", s), "A - B");
    EXPECT_EQ(fixFileName("a - - b", s), "A - B");
    EXPECT_EQ(fixFileName("  Daft%20Punk   -  One ", s), "Daft Punk - One");
    EXPECT_EQ(fixFileName("McCartney - Yesterday", s), "McCartney - Yesterday");
    EXPECT_EQ(fixFileName("", s), "");
}

TEST(FixFileName, OptionsSwitchTheirStepsOff) {
    Settings s = defaults();
    s.scoreToSpace = false;
    s.percent20ToSpace = false;
    s.fixSpaces = false;
    s.fixMisses = false;
    s.caseChange = CaseChange::NoChanges;
    EXPECT_EQ(fixFileName(" a_b%20c  --d ", s), " a_b%20c  --d ");
    s.caseChange = CaseChange::FirstLetter;  // applied before expansion, not here
    EXPECT_EQ(fixFileName("abc def", s), "abc def");
}

TEST(CaseConversion, ProperCaseMarksWordsAfterSpacesPlusMinusAndDots) {
    EXPECT_EQ(properCase("rock'n'roll"), "Rock'n'roll");
    EXPECT_EQ(properCase("rock+roll rock.roll rock-roll"), "Rock+Roll Rock.Roll Rock-Roll");
    EXPECT_EQ(properCase("the 3rd man"), "The 3rd Man");
    EXPECT_EQ(properCase("x (ähm) @home"), "X (Ähm) @home");
    EXPECT_EQ(properCase("élan vital"), "Élan Vital");
    EXPECT_EQ(properCase("жизнь и судьба"), "Жизнь И Судьба");
    EXPECT_EQ(properCase("a -"), "A -");
    EXPECT_EQ(properCase("   "), "   ");
    EXPECT_EQ(properCase(""), "");
    // Bytes that are not UTF-8 pass through untouched.
    EXPECT_EQ(properCase("a \xff"
                         "b"),
              "A \xff"
              "B");
}

TEST(CaseConversion, FileNameCodesWorkOnAllLetters) {
    Settings s = defaults();
    EXPECT_EQ(fixFileName("ÉCOLE ÖFFENTLICH", s), "École Öffentlich");
    s.lowerCaseFirst = true;
    EXPECT_EQ(fixFileName("McCartney", s), "Mccartney");
    s.caseChange = CaseChange::Upper;
    EXPECT_EQ(fixFileName("жук é straße", s), "ЖУК É STRAẞE");
    s.caseChange = CaseChange::Lower;
    EXPECT_EQ(fixFileName("ЖУК É ÀB", s), "жук é àb");
}

TEST(CaseConversion, TagFieldCodes) {
    Settings s = defaults();
    EXPECT_EQ(fixTagField("hello wORLD", s), "Hello WORLD");
    s.tagLowerCaseFirst = true;
    EXPECT_EQ(fixTagField("hello wORLD", s), "Hello World");
    s.tagCaseChange = CaseChange::FirstLetter;
    EXPECT_EQ(fixTagField("éCOLE de MUSIQUE", s), "École de musique");
    s.tagLowerCaseFirst = false;
    EXPECT_EQ(fixTagField("éCOLE de MUSIQUE", s), "ÉCOLE de MUSIQUE");
    s.tagCaseChange = CaseChange::Upper;
    EXPECT_EQ(fixTagField("жук", s), "ЖУК");
    s.tagCaseChange = CaseChange::Lower;
    EXPECT_EQ(fixTagField("ЖУК", s), "жук");
    s.tagCaseChange = CaseChange::NoChanges;
    EXPECT_EQ(fixTagField("aBc", s), "aBc");
}

TEST(FixTagField, MistakesOnceAndDashesLeftAlone) {
    Settings s = defaults();
    s.tagCaseChange = CaseChange::NoChanges;
    EXPECT_EQ(fixTagField("  Song () - Remix () - x ", s), "Song Remix () - x");
    EXPECT_EQ(fixTagField("a--b_c", s), "a--b c");
    EXPECT_EQ(fixTagField("   ", s), "");
    s.fixSpaces = false;
    s.fixMisses = false;
    EXPECT_EQ(fixTagField("  a  ", s), "  a  ");
}

TEST(ReplaceList, AppliedAfterTheCaseConversion) {
    Settings s = defaults();
    s.useReplace = true;
    s.replaces = {{"Feat.", "feat."}, {"", "never"}, {" & ", " and "}};
    EXPECT_EQ(fixFileName("abba feat. x & y", s), "Abba feat. X and Y");
    EXPECT_EQ(fixTagField("abba feat. x & y", s), "Abba feat. X and Y");
    // Spaces a replacement doubles are collapsed again, and the ends trimmed.
    s.replaces = {{"x", "  "}};
    s.caseChange = CaseChange::NoChanges;
    EXPECT_EQ(fixFileName("a x b x", s), "a b");
    s.useReplace = false;
    EXPECT_EQ(fixFileName("a x b", s), "a x b");
}

TEST(RemovedCharacters, RemovedFromNamesAndFields) {
    EXPECT_EQ(removeChars("a~b^cä", "^~ä", false), "abc");
    EXPECT_EQ(removeChars("a~b^cä", "^~ä", true), "~^ä");
    EXPECT_EQ(removeChars("x", "", false), "x");

    Settings s = defaults();
    s.useRemoveChars = true;
    s.removedChars = "~^ä";
    EXPECT_EQ(fixFileName("a~b ^cä", s), "Ab C");
    EXPECT_EQ(fixFileName("~^ä", s), "");
    EXPECT_EQ(fixTagField("~x", s), "X");
    // The default set keeps common accented letters and drops symbols such as © and the en dash.
    s.removedChars = Settings().removedChars;
    EXPECT_EQ(fixFileName("Café© – über", s), "Café Über");
}

TEST(FixedFieldValue, TagValueFirstThenTheName) {
    initest::TempDir dir;
    initest::writeText(dir / "x.mp3", "x");
    AudioFile file;
    ASSERT_TRUE(file.readFile(dir / "x.mp3", false));
    file.setTag(std::make_unique<fakes::ValueTag>(std::map<int, std::string>{{ValueKey::Title, "  the title "}}));
    const Settings s = defaults();
    EXPECT_EQ(fixedFieldValue(file, ValueKey::Title, "<title>", "a_-_b.mp3", "<artist> - <title>", s), "The Title");
    EXPECT_EQ(fixedFieldValue(file, ValueKey::Artist, "<artist>", "a_b_-_c.mp3", "<artist> - <title>", s), "A B");
    EXPECT_EQ(fixedFieldValue(file, ValueKey::Album, "<album>", "a - b.mp3", "<artist> - <title>", s), "");
}
