// SPDX-License-Identifier: GPL-2.0-or-later

// The batch tag commands on real files: fixing tags from names, numbering tracks, removing
// tags under each tag option, removing junk, and the failure report of a loop.
#include <gtest/gtest.h>

#include <filesystem>

#include "BatchTestSupport.h"
#include "editing/BatchTagCommands.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::editing;

using batchtest::contains;
using batchtest::hasV1;
using batchtest::ListBench;
using id3test::mp3Audio;
using id3test::readBytes;
using id3test::v1Tag;
using id3test::v23Tag;

namespace {

constexpr auto& value = id3test::tagValue;

struct BatchTags : ::testing::Test {
    ListBench b;
    BatchTagCommands batch{b.cmds, b.ui};
    const std::string audio = mp3Audio(12, 7);
};

TEST_F(BatchTags, FixSeveralFilesFromNamesAndCleansExistingValues) {
    settings().trackDigits = 2;
    settings().useId3v1 = settings().useId3v2 = TagUse::IfWanted;
    const std::string a = b.add("01 - Some Artist - First Song.mp3", audio);
    const std::string c = b.add("02 - Other - x.mp3", v23Tag({{"TIT2", "second   song"}}, 64) + audio);
    const std::string gone = b.add("03 - Gone - y.mp3", audio);
    std::filesystem::remove(gone);
    b.selectAll();

    const BatchResult r = batch.fixTags(TagSwitches{}, false, "<track> - <artist> - <title>");
    EXPECT_EQ(r.processed, 2);
    EXPECT_EQ(r.failed, 0);
    EXPECT_EQ(b.ui.maxProgress, 2);  // the missing file is not counted
    ASSERT_GE(b.ui.status.size(), 2u);
    EXPECT_EQ(b.ui.status.front(), "Fixing tags...");
    EXPECT_EQ(b.ui.status.back(), "All tags fixed!");
    EXPECT_TRUE(b.ui.asked.empty());

    EXPECT_EQ(value(a, ValueKey::Track), "01");
    EXPECT_EQ(value(a, ValueKey::Artist), "Some Artist");
    EXPECT_EQ(value(a, ValueKey::Title), "First Song");
    EXPECT_EQ(value(c, ValueKey::Title), "Second Song");  // kept, but cleaned
    EXPECT_EQ(value(c, ValueKey::Artist), "Other");
    EXPECT_TRUE(contains(readBytes(a), audio));
    EXPECT_TRUE(contains(readBytes(c), audio));
    EXPECT_EQ(b.list.getCellContent(1, ListColumn::Artist), "Some Artist");
    if (batchtest::haveMutagen()) {
        const std::string m = batchtest::mutagenFrames(a);
        EXPECT_TRUE(contains(m, "TPE1=Some Artist")) << m;
        EXPECT_TRUE(contains(m, "TIT2=First Song")) << m;
        EXPECT_TRUE(contains(m, "TRCK=01")) << m;
    }
}

TEST_F(BatchTags, FixedTrackFallsBackToTheName) {
    EXPECT_EQ(fixedTrack("7", "/m/x.mp3"), "7");
    EXPECT_EQ(fixedTrack("3/12", "/m/x.mp3"), "3/12");
    EXPECT_EQ(fixedTrack("", "/m/a5 b12 c34.mp3"), "12");
    EXPECT_EQ(fixedTrack("x", "/m/a5 b.mp3"), "5");
    EXPECT_EQ(fixedTrack("0", "/m99/none.mp3"), "0");
    EXPECT_EQ(fixedTrack("-", "/m99/none.mp3"), "");
}

TEST_F(BatchTags, FixWithUseTagsUncheckedRemovesBothTags) {
    const std::string a = b.add("a.mp3", v23Tag({{"TIT2", "t"}}, 32) + audio + v1Tag("t"));
    const std::string c = b.add("c.mp3", audio + v1Tag("u"));
    b.selectAll();
    TagSwitches off;
    off.chkID3v2 = false;
    batch.fixTags(off, false, "<artist> - <title>");
    EXPECT_EQ(readBytes(a), audio);
    EXPECT_EQ(readBytes(c), audio);
}

TEST_F(BatchTags, AdvancedFixFillsEachTagOnItsOwn) {
    settings().advancedMode = true;
    settings().useId3v1 = settings().useId3v2 = TagUse::IfWanted;
    const std::string a = b.add("Band - Tune.mp3", audio);
    const std::string c = b.add("Crew - Song.mp3", audio);
    b.selectAll();
    TagSwitches both;
    both.chkID3v1 = true;
    batch.fixTags(both, false, "<artist> - <title>");
    for (const auto& [path, artist, title] : {std::tuple{a, "Band", "Tune"}, std::tuple{c, "Crew", "Song"}}) {
        EXPECT_EQ(value(path, ValueKey::V2Artist), artist);
        EXPECT_EQ(value(path, ValueKey::V1Artist), artist);
        EXPECT_EQ(value(path, ValueKey::V1Title), title);
        const std::string bytes = readBytes(path);
        EXPECT_TRUE(hasV1(bytes));
        EXPECT_EQ(bytes.compare(0, 3, "ID3"), 0);
    }
}

TEST_F(BatchTags, OneFileFixStaysInMemoryUntilSaved) {
    const std::string a = b.add("Band - Tune.mp3", audio);
    b.list.setSelected(1, true);
    ASSERT_TRUE(b.cmds.showFile(1));
    int taken = 0, shown = 0;
    batch.takePaneValues = [&](AudioFile&) { ++taken; };
    batch.showFixedTags = [&](AudioFile& f) {
        ++shown;
        EXPECT_EQ(f.tag().getValue(ValueKey::Artist), "Band");
    };
    batch.fixTags(TagSwitches{}, false, "<artist> - <title>");
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(readBytes(a), audio);  // nothing written yet
    EXPECT_EQ(b.cmds.filCurrent().putTags(), 0);
    EXPECT_EQ(value(a, ValueKey::Title), "Tune");
}

TEST_F(BatchTags, DetectedPatternGoesToTheBox) {
    settings().inPatterns = {"<track> - <artist> - <title>", "<artist> - <title>"};
    b.add("05 - Band - Tune.mp3", audio);
    b.add("06 - Crew - Song.mp3", audio);
    b.selectAll();
    std::vector<std::string> detected;
    batch.inPatternDetected = [&](const std::string& p) { detected.push_back(p); };
    batch.fixTags(TagSwitches{}, true, "<artist> - <title>");
    ASSERT_EQ(detected.size(), 2u);
    EXPECT_EQ(detected[0], "<track> - <artist> - <title>");
    EXPECT_EQ(value(b.dir.file("06 - Crew - Song.mp3"), ValueKey::Artist), "Crew");
}

TEST_F(BatchTags, NumberTracksInListOrder) {
    // The tag options decide which tags take the number: a file without tags gets none under
    // "If needed", so every file here has a tag.
    const std::string p1 = b.add("z.mp3", v23Tag({{"TIT2", "z"}}, 16) + audio);
    const std::string p2 = b.add("a.mp3", v23Tag({{"TRCK", "99"}}, 16) + audio);
    const std::string p3 = b.add("m.mp3", audio + v1Tag("x", "", 4));
    b.selectAll();
    batch.inputBox = [](const std::string& prompt, const std::string& def, std::string& answer) {
        EXPECT_EQ(prompt, BatchTagCommands::kStartPrompt);
        EXPECT_EQ(def, "1");
        answer = "7";
        return true;
    };
    const BatchResult r = batch.addTrackNumbers();
    EXPECT_EQ(r.processed, 3);
    EXPECT_EQ(value(p1, ValueKey::Track), "07");
    EXPECT_EQ(value(p2, ValueKey::Track), "08");
    EXPECT_EQ(value(p3, ValueKey::Track), "9");
    EXPECT_EQ(value(p3, ValueKey::V1Track), "9");
    for (const auto& p : {p1, p2, p3}) EXPECT_TRUE(contains(readBytes(p), audio));
    if (batchtest::haveMutagen()) {
        EXPECT_TRUE(contains(batchtest::mutagenFrames(p2), "TRCK=08"));
    }
}

TEST_F(BatchTags, NumberTracksNamesFilesWithoutATagForTheNumber) {
    const std::string bare = b.add("bare.mp3", audio);
    const std::string tagged = b.add("t.mp3", v23Tag({{"TIT2", "t"}}, 16) + audio);
    b.selectAll();
    BatchResult r = batch.numberTracks(1);
    EXPECT_EQ(r.processed, 1);
    EXPECT_EQ(r.failed, 0);
    EXPECT_EQ(r.unchanged, std::vector<std::string>{bare});
    EXPECT_EQ(readBytes(bare), audio);
    EXPECT_EQ(value(tagged, ValueKey::Track), "02");
    ASSERT_FALSE(b.ui.asked.empty());
    EXPECT_EQ(b.ui.asked.back(),
              std::string("1 file ") + BatchTagCommands::kNoTagForTrack + "\r\n\r\nFirst file: " + bare);

    // Adding the tag first numbers every file.
    b.ui.asked.clear();
    r = batch.numberTracks(5, {TagKind::Id3v1});
    EXPECT_EQ(r.processed, 2);
    EXPECT_TRUE(r.unchanged.empty());
    EXPECT_TRUE(b.ui.asked.empty());
    EXPECT_EQ(value(bare, ValueKey::V1Track), "5");
    EXPECT_TRUE(hasV1(readBytes(bare)));
    EXPECT_EQ(value(tagged, ValueKey::Track), "06");
}

TEST_F(BatchTags, InvalidEmptyAndCancelledStartValues) {
    const std::string p = b.add("a.mp3", audio);
    b.selectAll();
    for (const char* answer : {"255", "-1", "", "abc", "0"}) {
        b.ui.asked.clear();
        batch.inputBox = [&](const std::string&, const std::string&, std::string& out) {
            out = answer;
            return true;
        };
        batch.addTrackNumbers();
        const bool invalid = std::string(answer) == "255" || std::string(answer) == "-1";
        ASSERT_EQ(b.ui.asked.size(), invalid ? 1u : 0u) << answer;
        if (invalid) {
            EXPECT_EQ(b.ui.asked[0], "Invalid start value of the track counter!");
        }
    }
    batch.inputBox = [](const std::string&, const std::string&, std::string&) { return false; };
    batch.addTrackNumbers();
    EXPECT_EQ(readBytes(p), audio);
}

TEST_F(BatchTags, FailedFilesAreReportedOnceAndTheOthersStayWritten) {
    const std::string tagged = v23Tag({{"TIT2", "t"}}, 16) + audio;
    const std::string p1 = b.add("1.mp3", tagged);
    const std::string p2 = b.add("2.mp3", tagged);
    const std::string p3 = b.add("3.mp3", tagged);
    b.selectAll();
    std::filesystem::remove(p2);
    const BatchResult r = batch.numberTracks(1);
    EXPECT_EQ(r.processed, 2);
    EXPECT_EQ(r.failed, 1);
    ASSERT_EQ(b.ui.asked.size(), 1u);
    EXPECT_TRUE(contains(b.ui.asked[0], "Numbering tracks failed for 1 file.")) << b.ui.asked[0];
    EXPECT_TRUE(contains(b.ui.asked[0], "First error: " + p2 + ": Error ")) << b.ui.asked[0];
    EXPECT_EQ(b.ui.icons[0], MessageIcon::Error);
    EXPECT_EQ(value(p1, ValueKey::Track), "01");
    EXPECT_EQ(value(p3, ValueKey::Track), "03");
}

TEST_F(BatchTags, RemoveTagsAsksAndHonoursTheTagOptions) {
    const std::string full = v23Tag({{"TIT2", "t"}, {"TPE1", "a"}}, 32) + audio + v1Tag("t", "a");
    // No: nothing removed.
    const std::string p1 = b.add("1.mp3", full);
    const std::string p2 = b.add("2.mp3", full);
    b.selectAll();
    b.ui.answers = {MessageAnswer::No};
    batch.removeTags();
    ASSERT_EQ(b.ui.asked.size(), 1u);
    EXPECT_EQ(b.ui.asked[0], BatchTagCommands::kRemoveQuestion);
    EXPECT_EQ(readBytes(p1), full);

    for (TagUse option : {TagUse::IfNeeded, TagUse::IfWanted, TagUse::Always, TagUse::Never}) {
        settings().useId3v1 = option;
        id3test::writeBytes(p1, full);
        id3test::writeBytes(p2, full);
        b.ui.answers = {MessageAnswer::Yes};
        const BatchResult r = batch.removeTags();
        EXPECT_EQ(r.processed, 2);
        for (const auto& p : {p1, p2}) {
            const std::string bytes = readBytes(p);
            EXPECT_NE(bytes.compare(0, 3, "ID3"), 0) << static_cast<int>(option);
            EXPECT_EQ(hasV1(bytes), option == TagUse::Always) << static_cast<int>(option);
            EXPECT_EQ(bytes.substr(0, audio.size()), audio) << static_cast<int>(option);
            if (option == TagUse::Always) {
                EXPECT_EQ(value(p, ValueKey::V1Title), "");
            }
            if (batchtest::haveMutagen()) {
                EXPECT_EQ(batchtest::mutagenFrames(p), "");
            }
        }
    }
}

TEST_F(BatchTags, RemoveTagsOnOneFileShowsItAgain) {
    const std::string p = b.add("1.mp3", v23Tag({{"TIT2", "t"}}, 8) + audio);
    b.list.setSelected(1, true);
    int shown = 0;
    b.cmds.fileShown = [&](AudioFile& f) {
        ++shown;
        EXPECT_FALSE(f.tag().hasTag(TagKind::Id3v2));
    };
    batch.removeTags();
    EXPECT_TRUE(b.ui.asked.empty());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(readBytes(p), audio);
}

TEST_F(BatchTags, RemoveJunkKeepsTagsAndAudio) {
    const std::string tag = v23Tag({{"TIT2", "kept"}}, 16);
    const std::string p1 = b.add("1.mp3", std::string(300, 'J') + audio);
    const std::string p2 = b.add("2.mp3", std::string(100, '\x01') + tag + audio);
    b.selectAll();
    const BatchResult r = batch.removeJunk();
    EXPECT_EQ(r.failed, 0);
    EXPECT_TRUE(b.ui.asked.empty());
    EXPECT_EQ(readBytes(p1), audio);
    EXPECT_EQ(readBytes(p2), tag + audio);
    EXPECT_EQ(value(p2, ValueKey::Title), "kept");
}

TEST_F(BatchTags, ExtractTagsShowsOnlyASingleFile) {
    b.add("1.mp3", audio);
    b.add("2.mp3", audio);
    int shown = 0;
    b.cmds.fileShown = [&](AudioFile&) { ++shown; };
    b.selectAll();
    batch.extractTags();
    EXPECT_EQ(shown, 0);
    b.list.clearSelection();
    b.list.setSelected(2, true);
    b.cmds.bMultiChange = false;
    batch.extractTags();
    EXPECT_EQ(shown, 1);
}

}  // namespace
