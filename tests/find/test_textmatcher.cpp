// SPDX-License-Identifier: GPL-2.0-or-later

// Matching without and with case, replacing every match, and the Trim edit of a value.
#include <gtest/gtest.h>

#include <string>

#include "find/TextEdits.h"
#include "find/TextMatcher.h"

using namespace vorda::find;

namespace {

TEST(TextMatcher, LettersMatchWhateverTheirCaseInEveryScriptUnlessCaseMustMatch) {
    struct Case {
        const char* needle;
        const char* text;
        size_t start;
        size_t length;
    };
    const Case cases[] = {
        {"love", "Love Song", 0, 4},
        {"\xC3\xA9t\xC3\xA9", "L'\xC3\x89T\xC3\x89", 2, 5},  // ete / ETE with acute accents
        {"stra\xC3\x9F"
         "e",
         "STRA\xE1\xBA\x9E"
         "E 5",
         0, 8},  // sharp s and capital sharp s
        {"\xCF\x83\xCE\xBF\xCF\x86\xCE\xBF\xCF\x82", "\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x9F\xCE\xA3", 0, 10},  // final sigma
        {"\xD0\xBC\xD0\xB8\xD1\x80", "\xD0\x9C\xD0\x98\xD0\xA0!", 0, 6},                                  // Cyrillic
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.needle);
        const auto span = TextMatcher(c.needle, false).find(c.text);
        ASSERT_TRUE(span.has_value());
        EXPECT_EQ(*span, (TextSpan{c.start, c.length}));
        EXPECT_FALSE(TextMatcher(c.needle, true).find(c.text).has_value());
    }
    EXPECT_EQ(TextMatcher("Love", true).find("Love Song"), (TextSpan{0, 4}));
}

TEST(TextMatcher, FindsFromAnOffsetAndNeverSplitsACharacter) {
    const TextMatcher matcher("\xC3\xA9", false);  // e acute
    const std::string text = "\xC3\x89t\xC3\xA9";
    EXPECT_EQ(matcher.find(text), (TextSpan{0, 2}));
    EXPECT_EQ(matcher.find(text, 1), (TextSpan{3, 2}));  // an offset inside a character moves on
    EXPECT_FALSE(matcher.find(text, 4).has_value());
    EXPECT_FALSE(matcher.find(text, 99).has_value());
    // The lead byte of e acute alone, as a broken value might hold it, is not half of e acute.
    EXPECT_FALSE(TextMatcher("\xC3", true).find(text).has_value());
    EXPECT_EQ(TextMatcher("\xC3", true).find("a\xC3z"), (TextSpan{1, 1}));
}

TEST(TextMatcher, ReplaceAllGoesOnAfterEachReplacementAndKeepsEveryOtherByte) {
    int count = 0;
    EXPECT_EQ(TextMatcher("a", false).replaceAll("banana", "aa", &count), "baanaanaa");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(TextMatcher("A", false).replaceAll("aAa", "xAx", &count), "xAxxAxxAx");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(TextMatcher("aa", true).replaceAll("aaaaa", "b", &count), "bba");
    EXPECT_EQ(count, 2);

    // Around the matches: an invalid byte, a decomposed accent, a character outside the BMP.
    const std::string value = "\xFF\xC3\x89"
                              "cole e\xCC\x81 \xF0\x9F\x8E\xB5 \xC3\x89"
                              "COLE";
    EXPECT_EQ(TextMatcher("\xC3\xA9"
                          "cole",
                          false)
                  .replaceAll(value, "X", &count),
              "\xFFX e\xCC\x81 \xF0\x9F\x8E\xB5 X");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(TextMatcher("zzz", false).replaceAll(value, "X", &count), value);
    EXPECT_EQ(count, 0);
}

TEST(TextEdits, TrimRemovesWholeCharactersFromEitherSide) {
    const std::string value = "e\xCC\x81t\xC3\xA9 \xF0\x9F\x8E\xB5";  // decomposed e acute, t, e acute, space, note
    EXPECT_EQ(trimText(value, 1, TextSide::Beginning), "t\xC3\xA9 \xF0\x9F\x8E\xB5");
    EXPECT_EQ(trimText(value, 2, TextSide::End), "e\xCC\x81t\xC3\xA9");
    EXPECT_EQ(trimText(value, 0, TextSide::End), value);
    EXPECT_EQ(trimText(value, 5, TextSide::Beginning), "");
    EXPECT_EQ(trimText(value, 50, TextSide::End), "");
    EXPECT_EQ(trimText("ab\xFF", 1, TextSide::End), "ab");
    EXPECT_EQ(trimText("", 3, TextSide::End), "");
}

}  // namespace
