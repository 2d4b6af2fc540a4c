// The batch tag commands on real files: fixing tags from names, numbering tracks, removing
// tags under each tag option, removing junk, and the failure report of a loop.
#include <gtest/gtest.h>

#include <filesystem>

#include "BatchTestSupport.h"
#include "editing/BatchTagCommands.h"
#include "tags/clsFile.h"

using namespace vorda;
using batchtest::Contains;
using batchtest::HasV1;
using batchtest::ListBench;
using id3test::Audio;
using id3test::ReadBytes;
using id3test::V1Tag;
using id3test::V23Tag;

namespace {

std::string Value(const std::string& path, int key) {
    clsFile f;
    f.ReadFile(path, true);
    return f.Tag().GetValue(key);
}

struct BatchTags : ::testing::Test {
    ListBench b;
    BatchTagCommands batch{b.cmds, b.ui};
    const std::string audio = Audio(12, 7);
};

TEST_F(BatchTags, FixSeveralFilesFromNamesAndCleansExistingValues) {
    settings().iTrackDigits = 2;
    settings().UseID3v1 = settings().UseID3v2 = tuIfWanted;
    const std::string a = b.Add("01 - Some Artist - First Song.mp3", audio);
    const std::string c = b.Add("02 - Other - x.mp3", V23Tag({{"TIT2", "second   song"}}, 64) + audio);
    const std::string gone = b.Add("03 - Gone - y.mp3", audio);
    std::filesystem::remove(gone);
    b.SelectAll();

    const BatchResult r = batch.FixTags(TagSwitches{}, false, "<track> - <artist> - <title>");
    EXPECT_EQ(r.processed, 2);
    EXPECT_EQ(r.failed, 0);
    EXPECT_EQ(b.ui.maxProgress, 2);  // the missing file is not counted
    ASSERT_GE(b.ui.status.size(), 2u);
    EXPECT_EQ(b.ui.status.front(), "Fixing tags...");
    EXPECT_EQ(b.ui.status.back(), "All tags fixed!");
    EXPECT_TRUE(b.ui.asked.empty());

    EXPECT_EQ(Value(a, tvTrack), "01");
    EXPECT_EQ(Value(a, tvArtist), "Some Artist");
    EXPECT_EQ(Value(a, tvTitle), "First Song");
    EXPECT_EQ(Value(c, tvTitle), "Second Song");  // kept, but cleaned
    EXPECT_EQ(Value(c, tvArtist), "Other");
    EXPECT_TRUE(Contains(ReadBytes(a), audio));
    EXPECT_TRUE(Contains(ReadBytes(c), audio));
    EXPECT_EQ(b.list.GetCellContent(1, colArtist), "Some Artist");
    if (batchtest::HaveMutagen()) {
        const std::string m = batchtest::MutagenFrames(a);
        EXPECT_TRUE(Contains(m, "TPE1=Some Artist")) << m;
        EXPECT_TRUE(Contains(m, "TIT2=First Song")) << m;
        EXPECT_TRUE(Contains(m, "TRCK=01")) << m;
    }
}

TEST_F(BatchTags, FixedTrackFallsBackToTheName) {
    EXPECT_EQ(FixedTrack("7", "/m/x.mp3"), "7");
    EXPECT_EQ(FixedTrack("3/12", "/m/x.mp3"), "3/12");
    EXPECT_EQ(FixedTrack("", "/m/a5 b12 c34.mp3"), "12");
    EXPECT_EQ(FixedTrack("x", "/m/a5 b.mp3"), "5");
    EXPECT_EQ(FixedTrack("0", "/m99/none.mp3"), "0");
    EXPECT_EQ(FixedTrack("-", "/m99/none.mp3"), "");
}

TEST_F(BatchTags, FixWithUseTagsUncheckedRemovesBothTags) {
    const std::string a = b.Add("a.mp3", V23Tag({{"TIT2", "t"}}, 32) + audio + V1Tag("t"));
    const std::string c = b.Add("c.mp3", audio + V1Tag("u"));
    b.SelectAll();
    TagSwitches off;
    off.chkID3v2 = false;
    batch.FixTags(off, false, "<artist> - <title>");
    EXPECT_EQ(ReadBytes(a), audio);
    EXPECT_EQ(ReadBytes(c), audio);
}

TEST_F(BatchTags, AdvancedFixFillsEachTagOnItsOwn) {
    settings().bAdvancedMode = true;
    settings().UseID3v1 = settings().UseID3v2 = tuIfWanted;
    const std::string a = b.Add("Band - Tune.mp3", audio);
    const std::string c = b.Add("Crew - Song.mp3", audio);
    b.SelectAll();
    TagSwitches both;
    both.chkID3v1 = true;
    batch.FixTags(both, false, "<artist> - <title>");
    for (const auto& [path, artist, title] : {std::tuple{a, "Band", "Tune"}, std::tuple{c, "Crew", "Song"}}) {
        EXPECT_EQ(Value(path, tvV2Artist), artist);
        EXPECT_EQ(Value(path, tvV1Artist), artist);
        EXPECT_EQ(Value(path, tvV1Title), title);
        const std::string bytes = ReadBytes(path);
        EXPECT_TRUE(HasV1(bytes));
        EXPECT_EQ(bytes.compare(0, 3, "ID3"), 0);
    }
}

TEST_F(BatchTags, OneFileFixStaysInMemoryUntilSaved) {
    const std::string a = b.Add("Band - Tune.mp3", audio);
    b.list.SetSelected(1, true);
    ASSERT_TRUE(b.cmds.ShowFile(1));
    int taken = 0, shown = 0;
    batch.TakePaneValues = [&](clsFile&) { ++taken; };
    batch.ShowFixedTags = [&](clsFile& f) {
        ++shown;
        EXPECT_EQ(f.Tag().GetValue(tvArtist), "Band");
    };
    batch.FixTags(TagSwitches{}, false, "<artist> - <title>");
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(ReadBytes(a), audio);  // nothing written yet
    EXPECT_EQ(b.cmds.filCurrent().PutTags(), 0);
    EXPECT_EQ(Value(a, tvTitle), "Tune");
}

TEST_F(BatchTags, DetectedPatternGoesToTheBox) {
    settings().InPatterns = {"<track> - <artist> - <title>", "<artist> - <title>"};
    b.Add("05 - Band - Tune.mp3", audio);
    b.Add("06 - Crew - Song.mp3", audio);
    b.SelectAll();
    std::vector<std::string> detected;
    batch.InPatternDetected = [&](const std::string& p) { detected.push_back(p); };
    batch.FixTags(TagSwitches{}, true, "<artist> - <title>");
    ASSERT_EQ(detected.size(), 2u);
    EXPECT_EQ(detected[0], "<track> - <artist> - <title>");
    EXPECT_EQ(Value(b.dir.File("06 - Crew - Song.mp3"), tvArtist), "Crew");
}

TEST_F(BatchTags, NumberTracksInListOrder) {
    // The tag options decide which tags take the number: a file without tags gets none under
    // "If needed", so every file here has a tag.
    const std::string p1 = b.Add("z.mp3", V23Tag({{"TIT2", "z"}}, 16) + audio);
    const std::string p2 = b.Add("a.mp3", V23Tag({{"TRCK", "99"}}, 16) + audio);
    const std::string p3 = b.Add("m.mp3", audio + V1Tag("x", "", 4));
    b.SelectAll();
    batch.InputBox = [](const std::string& prompt, const std::string& def, std::string& answer) {
        EXPECT_EQ(prompt, BatchTagCommands::kStartPrompt);
        EXPECT_EQ(def, "1");
        answer = "7";
        return true;
    };
    const BatchResult r = batch.AddTrackNumbers();
    EXPECT_EQ(r.processed, 3);
    EXPECT_EQ(Value(p1, tvTrack), "07");
    EXPECT_EQ(Value(p2, tvTrack), "08");
    EXPECT_EQ(Value(p3, tvTrack), "9");
    EXPECT_EQ(Value(p3, tvV1Track), "9");
    for (const auto& p : {p1, p2, p3}) EXPECT_TRUE(Contains(ReadBytes(p), audio));
    if (batchtest::HaveMutagen()) EXPECT_TRUE(Contains(batchtest::MutagenFrames(p2), "TRCK=08"));
}

TEST_F(BatchTags, NumberTracksNamesFilesWithoutATagForTheNumber) {
    const std::string bare = b.Add("bare.mp3", audio);
    const std::string tagged = b.Add("t.mp3", V23Tag({{"TIT2", "t"}}, 16) + audio);
    b.SelectAll();
    BatchResult r = batch.NumberTracks(1);
    EXPECT_EQ(r.processed, 1);
    EXPECT_EQ(r.failed, 0);
    EXPECT_EQ(r.unchanged, std::vector<std::string>{bare});
    EXPECT_EQ(ReadBytes(bare), audio);
    EXPECT_EQ(Value(tagged, tvTrack), "02");
    ASSERT_FALSE(b.ui.asked.empty());
    EXPECT_EQ(b.ui.asked.back(), std::string("1 file ") + BatchTagCommands::kNoTagForTrack +
                                              "\r\n\r\nFirst file: " + bare);

    // Adding the tag first numbers every file.
    b.ui.asked.clear();
    r = batch.NumberTracks(5, {tkID3v1});
    EXPECT_EQ(r.processed, 2);
    EXPECT_TRUE(r.unchanged.empty());
    EXPECT_TRUE(b.ui.asked.empty());
    EXPECT_EQ(Value(bare, tvV1Track), "5");
    EXPECT_TRUE(HasV1(ReadBytes(bare)));
    EXPECT_EQ(Value(tagged, tvTrack), "06");
}

TEST_F(BatchTags, InvalidEmptyAndCancelledStartValues) {
    const std::string p = b.Add("a.mp3", audio);
    b.SelectAll();
    for (const char* answer : {"255", "-1", "", "abc", "0"}) {
        b.ui.asked.clear();
        batch.InputBox = [&](const std::string&, const std::string&, std::string& out) {
            out = answer;
            return true;
        };
        batch.AddTrackNumbers();
        const bool invalid = std::string(answer) == "255" || std::string(answer) == "-1";
        ASSERT_EQ(b.ui.asked.size(), invalid ? 1u : 0u) << answer;
        if (invalid) EXPECT_EQ(b.ui.asked[0], "Invalid start value of the track counter!");
    }
    batch.InputBox = [](const std::string&, const std::string&, std::string&) { return false; };
    batch.AddTrackNumbers();
    EXPECT_EQ(ReadBytes(p), audio);
}

TEST_F(BatchTags, FailedFilesAreReportedOnceAndTheOthersStayWritten) {
    const std::string tagged = V23Tag({{"TIT2", "t"}}, 16) + audio;
    const std::string p1 = b.Add("1.mp3", tagged);
    const std::string p2 = b.Add("2.mp3", tagged);
    const std::string p3 = b.Add("3.mp3", tagged);
    b.SelectAll();
    std::filesystem::remove(p2);
    const BatchResult r = batch.NumberTracks(1);
    EXPECT_EQ(r.processed, 2);
    EXPECT_EQ(r.failed, 1);
    ASSERT_EQ(b.ui.asked.size(), 1u);
    EXPECT_TRUE(Contains(b.ui.asked[0], "Numbering tracks failed for 1 file.")) << b.ui.asked[0];
    EXPECT_TRUE(Contains(b.ui.asked[0], "First error: " + p2 + ": Error ")) << b.ui.asked[0];
    EXPECT_EQ(b.ui.icons[0], miError);
    EXPECT_EQ(Value(p1, tvTrack), "01");
    EXPECT_EQ(Value(p3, tvTrack), "03");
}

TEST_F(BatchTags, RemoveTagsAsksAndHonoursTheTagOptions) {
    const std::string full = V23Tag({{"TIT2", "t"}, {"TPE1", "a"}}, 32) + audio + V1Tag("t", "a");
    // No: nothing removed.
    const std::string p1 = b.Add("1.mp3", full);
    const std::string p2 = b.Add("2.mp3", full);
    b.SelectAll();
    b.ui.answers = {anNo};
    batch.RemoveTags();
    ASSERT_EQ(b.ui.asked.size(), 1u);
    EXPECT_EQ(b.ui.asked[0], BatchTagCommands::kRemoveQuestion);
    EXPECT_EQ(ReadBytes(p1), full);

    for (int option : {tuIfNeeded, tuIfWanted, tuAlways, tuNever}) {
        settings().UseID3v1 = option;
        id3test::WriteBytes(p1, full);
        id3test::WriteBytes(p2, full);
        b.ui.answers = {anYes};
        const BatchResult r = batch.RemoveTags();
        EXPECT_EQ(r.processed, 2);
        for (const auto& p : {p1, p2}) {
            const std::string bytes = ReadBytes(p);
            EXPECT_NE(bytes.compare(0, 3, "ID3"), 0) << option;
            EXPECT_EQ(HasV1(bytes), option == tuAlways) << option;
            EXPECT_EQ(bytes.substr(0, audio.size()), audio) << option;
            if (option == tuAlways) EXPECT_EQ(Value(p, tvV1Title), "");
            if (batchtest::HaveMutagen()) EXPECT_EQ(batchtest::MutagenFrames(p), "");
        }
    }
}

TEST_F(BatchTags, RemoveTagsOnOneFileShowsItAgain) {
    const std::string p = b.Add("1.mp3", V23Tag({{"TIT2", "t"}}, 8) + audio);
    b.list.SetSelected(1, true);
    int shown = 0;
    b.cmds.FileShown = [&](clsFile& f) {
        ++shown;
        EXPECT_FALSE(f.Tag().hasTag(tkID3v2));
    };
    batch.RemoveTags();
    EXPECT_TRUE(b.ui.asked.empty());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(ReadBytes(p), audio);
}

TEST_F(BatchTags, RemoveJunkKeepsTagsAndAudio) {
    const std::string tag = V23Tag({{"TIT2", "kept"}}, 16);
    const std::string p1 = b.Add("1.mp3", std::string(300, 'J') + audio);
    const std::string p2 = b.Add("2.mp3", std::string(100, '\x01') + tag + audio);
    b.SelectAll();
    const BatchResult r = batch.RemoveJunk();
    EXPECT_EQ(r.failed, 0);
    EXPECT_TRUE(b.ui.asked.empty());
    EXPECT_EQ(ReadBytes(p1), audio);
    EXPECT_EQ(ReadBytes(p2), tag + audio);
    EXPECT_EQ(Value(p2, tvTitle), "kept");
}

TEST_F(BatchTags, ExtractTagsShowsOnlyASingleFile) {
    b.Add("1.mp3", audio);
    b.Add("2.mp3", audio);
    int shown = 0;
    b.cmds.FileShown = [&](clsFile&) { ++shown; };
    b.SelectAll();
    batch.ExtractTags();
    EXPECT_EQ(shown, 0);
    b.list.ClearSelection();
    b.list.SetSelected(2, true);
    b.cmds.bMultiChange = false;
    batch.ExtractTags();
    EXPECT_EQ(shown, 1);
}

}  // namespace
