// Filename fixing: the clean-up of names and tag fields under every formatting option.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "IniTestSupport.h"
#include "naming/mdlFixFileName.h"
#include "tags/clsFile.h"

using namespace vorda;

namespace {

Settings Defaults() {
    Settings s;
    s.Replaces.clear();
    return s;
}

// A tag with only a title.
class TitleOnlyTag : public clsTag {
public:
    explicit TitleOnlyTag(std::string title) : title_(std::move(title)) {}
    std::string GetValue(int key, const std::string&) override { return key == tvTitle ? title_ : std::string(); }
    bool hasTag(int) const override { return true; }
    std::string tagType() const override { return "title"; }
    bool tagRead(clsFile&) override { return true; }
    int tagWrite() override { return 0; }
    long tagSize() const override { return 0; }
    long tagPosition() const override { return 0; }
    void setTagPosition(long) override {}
    bool SetValue(int, const std::string&, const std::string&) override { return false; }
    int RemoveJunk() override { return 0; }
    void Reset() override {}
    void Add(int) override {}
    void Remove(int) override {}

private:
    std::string title_;
};

}  // namespace

TEST(FixFileName, DefaultsSpaceAndCapitaliseAndMendDashes)
{
    const Settings s = Defaults();
    EXPECT_EQ(FixFileName("artist_-_title", s), "Artist - Title");
    EXPECT_EQ(FixFileName("ABBA--SOS", s), "Abba - Sos");
    EXPECT_EQ(FixFileName("Song () - Remix", s), "Song Remix");
    EXPECT_EQ(FixFileName("Song - () x", s), "Song X");
    EXPECT_EQ(FixFileName("- Title -", s), "Title");
    EXPECT_EQ(FixFileName("a -b", s), "A - B");
    EXPECT_EQ(FixFileName("a- b", s), "A - B");
    EXPECT_EQ(FixFileName("a - - b", s), "A - B");
    EXPECT_EQ(FixFileName("  Daft%20Punk   -  One ", s), "Daft Punk - One");
    EXPECT_EQ(FixFileName("McCartney - Yesterday", s), "McCartney - Yesterday");
    EXPECT_EQ(FixFileName("", s), "");
}

TEST(FixFileName, OptionsSwitchTheirStepsOff)
{
    Settings s = Defaults();
    s.bScoreToSpace = false;
    s.b20toSpace = false;
    s.bFixSpaces = false;
    s.bFixMisses = false;
    s.iCaseChange = ccNoChanges;
    EXPECT_EQ(FixFileName(" a_b%20c  --d ", s), " a_b%20c  --d ");
    s.iCaseChange = ccFirstLetter;  // applied before expansion, not here
    EXPECT_EQ(FixFileName("abc def", s), "abc def");
}

TEST(CaseConversion, ProperCaseMarksWordsAfterSpacesPlusMinusAndDots)
{
    EXPECT_EQ(ProperCase("rock'n'roll"), "Rock'n'roll");
    EXPECT_EQ(ProperCase("rock+roll rock.roll rock-roll"), "Rock+Roll Rock.Roll Rock-Roll");
    EXPECT_EQ(ProperCase("the 3rd man"), "The 3rd Man");
    EXPECT_EQ(ProperCase("x (ähm) @home"), "X (Ähm) @home");
    EXPECT_EQ(ProperCase("élan vital"), "Élan Vital");
    EXPECT_EQ(ProperCase("жизнь и судьба"), "Жизнь И Судьба");
    EXPECT_EQ(ProperCase("a -"), "A -");
    EXPECT_EQ(ProperCase("   "), "   ");
    EXPECT_EQ(ProperCase(""), "");
    // Bytes that are not UTF-8 pass through untouched.
    EXPECT_EQ(ProperCase("a \xff" "b"), "A \xff" "B");
}

TEST(CaseConversion, FileNameCodesWorkOnAllLetters)
{
    Settings s = Defaults();
    EXPECT_EQ(FixFileName("ÉCOLE ÖFFENTLICH", s), "École Öffentlich");
    s.bLCaseFirst = true;
    EXPECT_EQ(FixFileName("McCartney", s), "Mccartney");
    s.iCaseChange = ccUpper;
    EXPECT_EQ(FixFileName("жук é straße", s), "ЖУК É STRAẞE");
    s.iCaseChange = ccLower;
    EXPECT_EQ(FixFileName("ЖУК É ÀB", s), "жук é àb");
}

TEST(CaseConversion, TagFieldCodes)
{
    Settings s = Defaults();
    EXPECT_EQ(FixTagField("hello wORLD", s), "Hello WORLD");
    s.bTAGLCaseFirst = true;
    EXPECT_EQ(FixTagField("hello wORLD", s), "Hello World");
    s.TAGCaseChange = ccFirstLetter;
    EXPECT_EQ(FixTagField("éCOLE de MUSIQUE", s), "École de musique");
    s.bTAGLCaseFirst = false;
    EXPECT_EQ(FixTagField("éCOLE de MUSIQUE", s), "ÉCOLE de MUSIQUE");
    s.TAGCaseChange = ccUpper;
    EXPECT_EQ(FixTagField("жук", s), "ЖУК");
    s.TAGCaseChange = ccLower;
    EXPECT_EQ(FixTagField("ЖУК", s), "жук");
    s.TAGCaseChange = ccNoChanges;
    EXPECT_EQ(FixTagField("aBc", s), "aBc");
}

TEST(FixTagField, MistakesOnceAndDashesLeftAlone)
{
    Settings s = Defaults();
    s.TAGCaseChange = ccNoChanges;
    EXPECT_EQ(FixTagField("  Song () - Remix () - x ", s), "Song Remix () - x");
    EXPECT_EQ(FixTagField("a--b_c", s), "a--b c");
    EXPECT_EQ(FixTagField("   ", s), "");
    s.bFixSpaces = false;
    s.bFixMisses = false;
    EXPECT_EQ(FixTagField("  a  ", s), "  a  ");
}

TEST(ReplaceList, AppliedAfterTheCaseConversion)
{
    Settings s = Defaults();
    s.bUseReplace = true;
    s.Replaces = {{"Feat.", "feat."}, {"", "never"}, {" & ", " and "}};
    EXPECT_EQ(FixFileName("abba feat. x & y", s), "Abba feat. X and Y");
    EXPECT_EQ(FixTagField("abba feat. x & y", s), "Abba feat. X and Y");
    // Spaces a replacement doubles are collapsed again, and the ends trimmed.
    s.Replaces = {{"x", "  "}};
    s.iCaseChange = ccNoChanges;
    EXPECT_EQ(FixFileName("a x b x", s), "a b");
    s.bUseReplace = false;
    EXPECT_EQ(FixFileName("a x b", s), "a x b");
}

TEST(RemovedCharacters, RemovedFromNamesAndFields)
{
    EXPECT_EQ(RemoveChars("a~b^cä", "^~ä", false), "abc");
    EXPECT_EQ(RemoveChars("a~b^cä", "^~ä", true), "~^ä");
    EXPECT_EQ(RemoveChars("x", "", false), "x");

    Settings s = Defaults();
    s.bUseRemoveChars = true;
    s.sRemovedChars = "~^ä";
    EXPECT_EQ(FixFileName("a~b ^cä", s), "Ab C");
    EXPECT_EQ(FixFileName("~^ä", s), "");
    EXPECT_EQ(FixTagField("~x", s), "X");
    // The default set keeps common accented letters and drops symbols such as © and the en dash.
    s.sRemovedChars = Settings().sRemovedChars;
    EXPECT_EQ(FixFileName("Café© – über", s), "Café Über");
}

TEST(FixedFieldValue, TagValueFirstThenTheName)
{
    initest::TempDir dir;
    initest::WriteText(dir / "x.mp3", "x");
    clsFile file;
    ASSERT_TRUE(file.ReadFile(dir / "x.mp3", false));
    file.SetTag(std::make_unique<TitleOnlyTag>("  the title "));
    const Settings s = Defaults();
    EXPECT_EQ(FixedFieldValue(file, tvTitle, "<title>", "a_-_b.mp3", "<artist> - <title>", s), "The Title");
    EXPECT_EQ(FixedFieldValue(file, tvArtist, "<artist>", "a_b_-_c.mp3", "<artist> - <title>", s), "A B");
    EXPECT_EQ(FixedFieldValue(file, tvAlbum, "<album>", "a - b.mp3", "<artist> - <title>", s), "");
}
