// SPDX-License-Identifier: GPL-2.0-or-later

// The find engine over a scripted list of files: stepping, its resets, selecting matches,
// replacing, Trim and Add, and how write failures are reported.
#include <gtest/gtest.h>

#include <string>
#include <system_error>
#include <vector>

#include "FindTestSupport.h"
#include "find/FindReplace.h"

using namespace vorda::tags;
using namespace vorda::find;
using namespace findtest;

namespace {

// Where each findNext stops: "row:key:start", or "-" for not found.
std::vector<std::string> stepAll(FindReplace& engine, int clicks) {
    std::vector<std::string> stops;
    for (int i = 0; i < clicks; ++i) {
        if (engine.findNext() != FindOutcome::Found) {
            stops.push_back("-");
            continue;
        }
        const Match& m = *engine.currentMatch();
        stops.push_back(std::to_string(m.row) + ":" + kValueKeyNames[m.key] + ":" + std::to_string(m.span.start));
    }
    return stops;
}

class FindReplaceTest : public ::testing::Test {
protected:
    ScriptedSource source_;
    FindReplace engine_{source_};
};

TEST_F(FindReplaceTest, StepsThroughEveryMatchOfTheCheckedFieldsThenSaysNotFoundAndStartsAgain) {
    source_.files = {
        {"a.mp3", {{ValueKey::V1Title, "Love Song"}, {ValueKey::Title, "Love love"}, {ValueKey::Comment, "love"}}},
        {"b.mp3", {{ValueKey::Artist, "Nobody"}}},
        {"c.mp3", {{ValueKey::V1Artist, "LOVE"}, {ValueKey::Mood, "in love"}, {ValueKey::Composer, "lovelace"}}},
    };
    // Composer stays unchecked; Track and Genre are never searched even when checked.
    source_.files[1].values[ValueKey::Track] = "love";
    source_.files[1].values[ValueKey::Genre] = "love";
    source_.files[2].values[ValueKey::V1Genre] = "love";
    engine_.setOptions(searchOptions("love", {SearchField::Artist, SearchField::Title, SearchField::Comment,
                                              SearchField::Mood, SearchField::Track, SearchField::Genre}));
    const std::vector<std::string> expected = {"0:tvV1Title:0",  "0:tvTitle:0", "0:tvTitle:5", "0:tvComment:0",
                                               "2:tvV1Artist:0", "2:tvMood:3",  "-",           "0:tvV1Title:0"};
    EXPECT_EQ(stepAll(engine_, 8), expected);

    // Only the Track box: nothing, and the message says so.
    engine_.setOptions(searchOptions("love", {SearchField::Track}));
    EXPECT_EQ(engine_.findNext(), FindOutcome::NotFound);
    EXPECT_FALSE(engine_.currentMatch().has_value());
    EXPECT_EQ(notFoundMessage("love"), "Could not find \"love\" in current scope!");
}

TEST_F(FindReplaceTest, TagsTheFileDoesNotHaveAndUnreadableFilesAreNotSearched) {
    source_.files = {
        {"a.mp3", {{ValueKey::V1Title, "x"}, {ValueKey::Title, "x"}}},
        {"gone.mp3", {{ValueKey::Title, "x"}}},
    };
    source_.files[0].tags = {SearchTag::Id3v2};
    source_.files[1].readable = false;
    engine_.setOptions(searchOptions("X", {SearchField::Title}));
    EXPECT_EQ(stepAll(engine_, 2), (std::vector<std::string>{"0:tvTitle:0", "-"}));
    EXPECT_EQ(engine_.selectMatching().rows, std::vector<int>{0});
}

TEST_F(FindReplaceTest, ChangedOptionsStartAgainAtTheFirstFileButTheSameOnesDoNot) {
    source_.files = {{"a.mp3", {{ValueKey::Title, "one"}}}, {"b.mp3", {{ValueKey::Title, "One"}}}};
    SearchOptions options = searchOptions("one", {SearchField::Title});
    engine_.setOptions(options);
    EXPECT_EQ(stepAll(engine_, 2), (std::vector<std::string>{"0:tvTitle:0", "1:tvTitle:0"}));
    engine_.setOptions(options);
    EXPECT_EQ(stepAll(engine_, 1), std::vector<std::string>{"-"});

    EXPECT_EQ(stepAll(engine_, 1), std::vector<std::string>{"0:tvTitle:0"});
    options.matchCase = true;
    engine_.setOptions(options);
    EXPECT_EQ(stepAll(engine_, 2), (std::vector<std::string>{"0:tvTitle:0", "-"}));

    EXPECT_EQ(stepAll(engine_, 1), std::vector<std::string>{"0:tvTitle:0"});
    engine_.reset();
    EXPECT_EQ(stepAll(engine_, 1), std::vector<std::string>{"0:tvTitle:0"});
}

TEST_F(FindReplaceTest, SelectedFilesScopeKeepsTheFilesSelectedWhenSteppingStarted) {
    source_.files = {
        {"a.mp3", {{ValueKey::Title, "hit"}}},
        {"b.mp3", {{ValueKey::Title, "hit hit"}}},
        {"c.mp3", {{ValueKey::Title, "hit"}}},
        {"d.mp3", {{ValueKey::Title, "hit"}}},
    };
    SearchOptions options = searchOptions("hit", {SearchField::Title});
    options.scope = FileScope::SelectedFiles;
    engine_.setOptions(options);
    EXPECT_EQ(stepAll(engine_, 1), std::vector<std::string>{"-"});  // nothing selected

    source_.files[1].selected = source_.files[3].selected = true;
    ASSERT_EQ(engine_.findNext(), FindOutcome::Found);
    // Showing the match selects its row only; the stepping still covers both rows.
    source_.files[3].selected = false;
    EXPECT_EQ(stepAll(engine_, 3), (std::vector<std::string>{"1:tvTitle:4", "3:tvTitle:0", "-"}));
    EXPECT_EQ(engine_.selectMatching().rows, std::vector<int>{1});
}

TEST_F(FindReplaceTest, EmptyFindTextFindsReplacesAndSelectsNothing) {
    source_.files = {{"a.mp3", {{ValueKey::Title, "text"}}}};
    engine_.setOptions(searchOptions("", {SearchField::Title}));
    EXPECT_EQ(engine_.findNext(), FindOutcome::NothingToFind);
    EXPECT_EQ(engine_.selectMatching().outcome, FindOutcome::NothingToFind);
    const BatchResult replaced = engine_.replaceAll("x");
    EXPECT_EQ(replaced.outcome, FindOutcome::NothingToFind);
    EXPECT_EQ(engine_.replaceCurrent("x").next, FindOutcome::NothingToFind);
    EXPECT_EQ(source_.files[0].saves, 0);
    EXPECT_EQ(source_.reads, 0);
    EXPECT_FALSE(nothingToFindMessage().empty());
}

TEST_F(FindReplaceTest, SelectMatchingListsEachMatchingRowOnce) {
    source_.files = {
        {"a.mp3", {{ValueKey::Title, "Blue"}, {ValueKey::Artist, "Blue"}}},
        {"b.mp3", {{ValueKey::Title, "Red"}}},
        {"c.mp3", {{ValueKey::Comment, "blues"}}},
    };
    engine_.setOptions(searchOptions("BLUE", {SearchField::Title, SearchField::Artist, SearchField::Comment}));
    const BatchResult result = engine_.selectMatching();
    EXPECT_EQ(result.outcome, FindOutcome::Found);
    EXPECT_EQ(result.rows, (std::vector<int>{0, 2}));
    EXPECT_EQ(source_.files[0].saves + source_.files[2].saves, 0);
    // The search starts again afterwards.
    EXPECT_EQ(stepAll(engine_, 1), std::vector<std::string>{"0:tvArtist:0"});
}

TEST_F(FindReplaceTest, ReplaceChangesTheCurrentMatchOnlyWritesItAndStepsOn) {
    source_.files = {{"a.mp3", {{ValueKey::Title, "banana"}}}, {"b.mp3", {{ValueKey::Title, "Ana"}}}};
    engine_.setOptions(searchOptions("a", {SearchField::Title}));

    // Without a current match Replace only finds the first one.
    ReplaceResult result = engine_.replaceCurrent("aa");
    EXPECT_FALSE(result.replaced);
    ASSERT_EQ(result.next, FindOutcome::Found);
    EXPECT_EQ(engine_.currentMatch()->span, (TextSpan{1, 1}));
    EXPECT_EQ(source_.files[0].saves, 0);

    result = engine_.replaceCurrent("aa");
    EXPECT_TRUE(result.replaced);
    EXPECT_EQ(result.writes.written, 1);
    EXPECT_EQ(source_.files[0].values[ValueKey::Title], "baanana");
    // Stepping goes on behind the inserted text.
    ASSERT_EQ(result.next, FindOutcome::Found);
    EXPECT_EQ(engine_.currentMatch()->span, (TextSpan{4, 1}));

    engine_.findNext();  // skip the third a
    result = engine_.replaceCurrent("");
    EXPECT_EQ(source_.files[0].values[ValueKey::Title], "baanan");
    ASSERT_EQ(result.next, FindOutcome::Found);
    EXPECT_EQ(engine_.currentMatch()->row, 1);
    EXPECT_EQ(engine_.currentMatch()->span, (TextSpan{0, 1}));

    // A value changed since it was found is not replaced blindly.
    source_.files[1].values[ValueKey::Title] = "Bob";
    result = engine_.replaceCurrent("X");
    EXPECT_FALSE(result.replaced);
    EXPECT_EQ(source_.files[1].values[ValueKey::Title], "Bob");
    EXPECT_EQ(result.next, FindOutcome::NotFound);

    // The list sorted anew since the match was found: its row now holds another file with the
    // same value, which was never shown as the match and is left alone.
    source_.files = {{"c.mp3", {{ValueKey::Title, "cat"}}}, {"d.mp3", {{ValueKey::Title, "cat"}}}};
    ASSERT_EQ(engine_.findNext(), FindOutcome::Found);
    ASSERT_EQ(engine_.currentMatch()->row, 0);
    std::swap(source_.files[0], source_.files[1]);
    result = engine_.replaceCurrent("X");
    EXPECT_FALSE(result.replaced);
    EXPECT_EQ(source_.files[0].values[ValueKey::Title], "cat");
    EXPECT_EQ(source_.files[0].saves, 0);

    // Files taken off the list since: nothing is read beyond its end.
    engine_.setOptions(searchOptions("c", {SearchField::Title}));
    ASSERT_EQ(engine_.findNext(), FindOutcome::Found);
    source_.files.clear();
    result = engine_.replaceCurrent("X");
    EXPECT_FALSE(result.replaced);
    EXPECT_EQ(result.next, FindOutcome::NotFound);
}

TEST_F(FindReplaceTest, ReplaceAllEditsEachValueAsReadWritesEachChangedFileOnceAndReportsFailuresAtTheEnd) {
    source_.files = {
        {"a.mp3", {{ValueKey::V1Title, "banana"}, {ValueKey::Title, "Banana"}, {ValueKey::Comment, "x"}}},
        {"/music/locked.mp3", {{ValueKey::Title, "a"}}},
        {"c.mp3", {{ValueKey::Title, "none"}}},
        {"d.mp3", {{ValueKey::Artist, "aardvark"}}},
        {"/music/locked2.mp3", {{ValueKey::Title, "a"}}},
    };
    source_.files[1].saveError = std::make_error_code(std::errc::permission_denied);
    source_.files[4].saveError = std::make_error_code(std::errc::read_only_file_system);
    engine_.setOptions(searchOptions("A", {SearchField::Title, SearchField::Artist, SearchField::Comment}));

    const BatchResult result = engine_.replaceAll("aa");
    EXPECT_EQ(result.outcome, FindOutcome::Found);
    EXPECT_EQ(result.rows, (std::vector<int>{0, 1, 3, 4}));
    EXPECT_EQ(result.fieldsChanged, 5);
    EXPECT_EQ(result.replacements, 3 + 3 + 1 + 3 + 1);
    EXPECT_EQ(source_.files[0].values[ValueKey::V1Title], "baanaanaa");
    EXPECT_EQ(source_.files[0].values[ValueKey::Title], "Baanaanaa");
    EXPECT_EQ(source_.files[3].values[ValueKey::Artist], "aaaardvaark");
    for (const ScriptedFile& file : source_.files) EXPECT_LE(file.saves, 1) << file.name;
    EXPECT_EQ(source_.files[2].saves, 0);
    // Files written stay written; the failures are counted and the first one is named.
    EXPECT_EQ(result.writes.written, 2);
    EXPECT_EQ(result.writes.failed, 2);
    EXPECT_EQ(source_.files[1].values[ValueKey::Title], "a");
    EXPECT_EQ(result.writes.message(), "Tags could not be saved to 2 of 4 files.\r\n\r\nFirst error: "
                                       "/music/locked.mp3\r\n" +
                                           std::make_error_code(std::errc::permission_denied).message());
}

TEST_F(FindReplaceTest, TrimAndAddEditTheCheckedFieldsOfTheFilesInScope) {
    source_.files = {
        {"a.mp3",
         {{ValueKey::Title, "01 Intro"},
          {ValueKey::V1Title, "01 Intro"},
          {ValueKey::Comment, ""},
          {ValueKey::Album, "01 Album"}}},
        {"b.mp3", {{ValueKey::Title, "7"}}},
        {"c.mp3", {{ValueKey::Title, "02 Outro"}}},
    };
    SearchOptions options = searchOptions("", {SearchField::Title, SearchField::Comment});
    options.scope = FileScope::SelectedFiles;
    source_.files[0].selected = source_.files[1].selected = true;
    engine_.setOptions(options);

    BatchResult result = engine_.trim(3, TextSide::Beginning);
    EXPECT_EQ(result.rows, (std::vector<int>{0, 1}));
    EXPECT_EQ(source_.files[0].values[ValueKey::Title], "Intro");
    EXPECT_EQ(source_.files[0].values[ValueKey::V1Title], "Intro");
    EXPECT_EQ(source_.files[0].values[ValueKey::Album], "01 Album");
    EXPECT_EQ(source_.files[1].values[ValueKey::Title], "");
    EXPECT_EQ(source_.files[2].values[ValueKey::Title], "02 Outro");

    result = engine_.add(" (live)", TextSide::End);
    EXPECT_EQ(result.rows, std::vector<int>{0});  // empty values stay empty
    EXPECT_EQ(source_.files[0].values[ValueKey::Title], "Intro (live)");
    EXPECT_EQ(source_.files[0].values[ValueKey::Comment], "");
    EXPECT_EQ(result.fieldsChanged, 2);

    EXPECT_EQ(engine_.trim(0, TextSide::End).outcome, FindOutcome::NotFound);
    EXPECT_EQ(engine_.add("", TextSide::End).outcome, FindOutcome::NotFound);
}

}  // namespace
