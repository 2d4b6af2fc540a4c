// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "NamingTestSupport.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

using listtest::TempDir;
using namingtest::exists;
using namingtest::filesBelow;
using namingtest::writeMp3;

namespace {

struct CliNaming : ::testing::Test {
    TempDir dir;
    std::string out;
    std::string err;
    std::string settingsFile = dir / "settings.ini";

    void SetUp() override {
        // Album size 2, no case change, files to the trash never (deleting is not involved).
        listtest::writeFile(settingsFile, "[General]\nlAlbumSize=2\niCaseChange=0\nbDetectInPattern=0\n");
    }
    int Run(const std::vector<std::string>& args) {
        const testsupport::CliRun run = testsupport::runCli(args, dir.dir());
        out = run.out;
        err = run.err;
        return run.status;
    }
};

TEST_F(CliNaming, SortDryRunPrintsThePlanAndTouchesNothing) {
    writeMp3(dir / "in/1.mp3", "Kim", "Alb", "A", "1", "2000");
    writeMp3(dir / "in/2.mp3", "Lou", "Solo", "B", "2", "2001");
    writeMp3(dir / "in/3.mp3", "Kim", "Alb", "C", "3", "2000");
    const std::string t = dir / "t";
    EXPECT_EQ(Run({"sort", "--settings", settingsFile, "--copy", "--target", t, "--dry-run", dir / "in/1.mp3",
                   dir / "in/2.mp3", dir / "in/3.mp3"}),
              0);
    // Album Alb has two files (the album size): its group comes first, in album folders.
    EXPECT_EQ(out, dir / "in/1.mp3\t" + t + "/K/Kim/Alb (2000)/1.mp3\n" + dir / "in/3.mp3\t" + t +
                       "/K/Kim/Alb (2000)/3.mp3\n" + dir / "in/2.mp3\t" + t + "/L/Lou/2.mp3\n");
    EXPECT_FALSE(exists(t));

    EXPECT_EQ(Run({"sort", "--settings", settingsFile, "--move", "--target", t, "--album-pattern", "", "--path-pattern",
                   "<artist>", "--out", "<track>.<title>", "--dry-run", dir / "in/2.mp3"}),
              0);
    EXPECT_EQ(out, dir / "in/2.mp3\t" + t + "/Lou/02.B.mp3\n");
}

TEST_F(CliNaming, SortMovesAndReportsConflictsAndFailures) {
    writeMp3(dir / "in/1.mp3", "Max", "", "A");
    writeMp3(dir / "in/2.mp3", "Max", "", "B");
    const std::string t = dir / "t/";
    listtest::writeFile(t + "M/Max/1.mp3", "old");
    EXPECT_EQ(Run({"sort", "--settings", settingsFile, "--move", "--target", t, "--exists", "skip", dir / "in/1.mp3",
                   dir / "in/2.mp3"}),
              0);
    EXPECT_EQ(id3test::readBytes(t + "M/Max/1.mp3"), "old");
    EXPECT_TRUE(exists(dir / "in/1.mp3"));
    EXPECT_TRUE(exists(t + "M/Max/2.mp3"));
    EXPECT_NE(err.find("2 files sorted."), std::string::npos);

    EXPECT_EQ(
        Run({"sort", "--settings", settingsFile, "--move", "--target", t, "--exists", "replace", dir / "in/1.mp3"}), 0);
    EXPECT_NE(id3test::readBytes(t + "M/Max/1.mp3"), "old");
    EXPECT_FALSE(exists(dir / "in/1.mp3"));

    // A missing file and a file that cannot be moved: exit status 1, the others still done.
    writeMp3(dir / "in/3.mp3", "Max", "", "C");
    listtest::makeFolder(t + "M/Max/3.mp3/x");
    EXPECT_EQ(Run({"sort", "--settings", settingsFile, "--move", "--target", t, "--exists", "replace", dir / "in/3.mp3",
                   dir / "in/none.mp3"}),
              1);
    EXPECT_TRUE(exists(dir / "in/3.mp3"));
    EXPECT_NE(err.find("occured while sorting"), std::string::npos);
    EXPECT_NE(err.find("cannot read"), std::string::npos);

    EXPECT_EQ(Run({"sort", "--copy", "--move", "--target", t, dir / "in/3.mp3"}), 2);
    EXPECT_EQ(Run({"sort", "--help"}), 0);
    EXPECT_NE(out.find("Usage: vorda-cli sort"), std::string::npos);
}

TEST_F(CliNaming, RenameRenamesInPlace) {
    writeMp3(dir / "Nia - First.mp3", "", "", "", "7");
    writeMp3(dir / "x.mp3", "Oz", "", "Tune", "8");
    EXPECT_EQ(Run({"rename", "--settings", settingsFile, "--in", "<artist> - <title>", "--out",
                   "<track> <artist> <title>", "--dry-run", dir / "Nia - First.mp3", dir / "x.mp3"}),
              0);
    EXPECT_EQ(out, dir / "Nia - First.mp3\t" + dir / "07 Nia First.mp3\n" + dir / "x.mp3\t" + dir / "08 Oz Tune.mp3\n");
    EXPECT_TRUE(exists(dir / "x.mp3"));

    EXPECT_EQ(Run({"rename", "--settings", settingsFile, "--in", "<artist> - <title>", "--out",
                   "<track> <artist> <title>", dir / "Nia - First.mp3", dir / "x.mp3"}),
              0);
    EXPECT_TRUE(exists(dir / "07 Nia First.mp3"));
    EXPECT_TRUE(exists(dir / "08 Oz Tune.mp3"));

    // A name that is taken is not overwritten (asking means keeping): status 1.
    writeMp3(dir / "y.mp3", "Oz", "", "Tune", "8");
    EXPECT_EQ(Run({"rename", "--settings", settingsFile, "--out", "<track> <artist> <title>", dir / "y.mp3"}), 1);
    EXPECT_TRUE(exists(dir / "y.mp3"));
    EXPECT_EQ(Run({"rename", "--in", "a", "--detect", "--out", "b", dir / "y.mp3"}), 2);
    EXPECT_EQ(Run({"rename", "--help"}), 0);
    EXPECT_NE(out.find("Usage: vorda-cli rename"), std::string::npos);
}

// The title of the MPEG file at path ("" when it cannot be read).
std::string titleOf(const std::string& path) {
    vorda::tags::AudioFile f;
    return f.readFile(path, true) ? f.tag().getValue(vorda::tags::ValueKey::Title) : std::string();
}

bool hasControlCharacter(const std::string& text, bool lineBreaksAllowed) {
    return std::any_of(text.begin(), text.end(), [&](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && !(lineBreaksAllowed && c == '\n') && c != '\t') || u == 0x7F;
    });
}

TEST_F(CliNaming, ARunKeepsEveryFileWhenNamesCollideOrChain) {
    // Three files that map to one name: "replace" keeps the first and names the other two.
    for (const char* n : {"1", "2", "3"}) writeMp3(dir / "in/" + n + ".mp3", "Pat", "", std::string("Song") + n);
    const std::string t = dir / "t/";
    EXPECT_EQ(Run({"sort", "--settings", settingsFile, "--move", "--target", t, "--album-pattern", "", "--out",
                   "<artist>", "--exists", "replace", dir / "in/1.mp3", dir / "in/2.mp3", dir / "in/3.mp3"}),
              1);
    EXPECT_EQ(titleOf(t + "P/Pat/Pat.mp3"), "Song1");
    EXPECT_EQ(filesBelow(dir / "in"), (std::vector<std::string>{"2.mp3", "3.mp3"}));
    EXPECT_NE(err.find("was not replaced with \"" + dir / "in/2.mp3\""), std::string::npos) << err;
    EXPECT_NE(err.find("3 files sorted."), std::string::npos);
    for (const char* n : {"2", "3"}) writeMp3(dir / "skip/" + std::string(n) + ".mp3", "Pat", "", "Other");
    // "skip" leaves them quietly in place too.
    EXPECT_EQ(Run({"sort", "--settings", settingsFile, "--move", "--target", t, "--album-pattern", "", "--out",
                   "<artist>", "--exists", "skip", dir / "in/2.mp3", dir / "in/3.mp3"}),
              0);
    EXPECT_EQ(filesBelow(dir / "in").size(), 2u);
    EXPECT_EQ(titleOf(t + "P/Pat/Pat.mp3"), "Song1");

    // A chain (a takes b's name while b takes c's) and a cycle (x and y swap names): the files
    // are renamed in an order, and through a temporary name, that loses none of them.
    const std::string r = dir / "r/";
    writeMp3(r + "a.mp3", "", "", "b");
    writeMp3(r + "b.mp3", "", "", "c");
    writeMp3(r + "x.mp3", "", "", "y");
    writeMp3(r + "y.mp3", "", "", "x");
    ASSERT_EQ(Run({"rename", "--settings", settingsFile, "--in", "<artist>", "--out", "<title>", "--dry-run",
                   r + "a.mp3", r + "b.mp3"}),
              0);
    EXPECT_EQ(out, r + "b.mp3\t" + r + "c.mp3\n" + r + "a.mp3\t" + r + "b.mp3\n");  // b makes room first
    for (const char* exists : {"replace", "skip"}) {
        ASSERT_EQ(Run({"rename", "--settings", settingsFile, "--in", "<artist>", "--out", "<title>", r + "a.mp3",
                       r + "b.mp3", r + "x.mp3", r + "y.mp3"}),
                  0)
            << exists << err;
        EXPECT_EQ(filesBelow(r), (std::vector<std::string>{"b.mp3", "c.mp3", "x.mp3", "y.mp3"}));
        EXPECT_EQ(titleOf(r + "b.mp3"), "b");
        EXPECT_EQ(titleOf(r + "c.mp3"), "c");
        EXPECT_EQ(titleOf(r + "x.mp3"), "x");
        EXPECT_EQ(titleOf(r + "y.mp3"), "y");
        // Back to the start for the next round.
        std::filesystem::rename(r + "b.mp3", r + "a.mp3");
        std::filesystem::rename(r + "c.mp3", r + "b.mp3");
        std::filesystem::rename(r + "x.mp3", r + "tmp.mp3");
        std::filesystem::rename(r + "y.mp3", r + "x.mp3");
        std::filesystem::rename(r + "tmp.mp3", r + "y.mp3");
        listtest::writeFile(settingsFile, std::string("[General]\nlAlbumSize=2\niCaseChange=0\nbDetectInPattern=0\n") +
                                              "feaFileExistAction=4\n");
    }

    // The same chain as a move into the files' own folder.
    EXPECT_EQ(Run({"sort", "--settings", settingsFile, "--move", "--target", r, "--path-pattern", "", "--album-pattern",
                   "", "--out", "<title>", "--exists", "replace", r + "a.mp3", r + "b.mp3"}),
              0)
        << err;
    EXPECT_EQ(titleOf(r + "b.mp3"), "b");
    EXPECT_EQ(titleOf(r + "c.mp3"), "c");
    EXPECT_FALSE(exists(r + "a.mp3"));
}

TEST_F(CliNaming, ControlCharactersNeverReachNamesOrOutputLines) {
    const std::string forged = "Evil\n" + dir / "in/victim.mp3\t" + dir / "elsewhere.mp3";
    writeMp3(dir / "in/1.mp3", "Art\x1b[31m", "", forged);
    writeMp3(dir / "in/victim.mp3", "Vic", "", "Tim");
    ASSERT_EQ(Run({"rename", "--settings", settingsFile, "--out", "<artist> - <title>", "--dry-run", dir / "in/1.mp3",
                   dir / "in/victim.mp3"}),
              0);
    // One line per file, no raw control character: the tag cannot forge a plan line.
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\t'), 2) << out;
    EXPECT_FALSE(hasControlCharacter(out, true));

    ASSERT_EQ(Run({"rename", "--settings", settingsFile, "--out", "<artist> - <title>", dir / "in/1.mp3"}), 0) << err;
    const auto names = filesBelow(dir / "in");
    ASSERT_EQ(names.size(), 2u);
    for (const auto& name : names) EXPECT_FALSE(hasControlCharacter(name, false)) << name;
    EXPECT_EQ(names[0].rfind("Art [31m - Evil ", 0), 0u) << names[0];

    // scan writes control characters out; the file name itself is one cell.
    writeMp3(dir / "s/raw\x1b"
                   "name.mp3",
             "A\tB", "", "x\ny");
    ASSERT_EQ(Run({"scan", "--settings", settingsFile, dir / "s"}), 0) << err;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_NE(out.find("raw\\x1bname.mp3\t"), std::string::npos) << out;
    EXPECT_NE(out.find("\tA\\tB\t"), std::string::npos) << out;
    EXPECT_NE(out.find("\tx\\ny\t"), std::string::npos) << out;

    // info escapes as JSON does, the C1 characters included.
    // (The frame is ISO-8859-1: the bytes C2 9B read as "\xC3\x82" and the C1 character U+009B.)
    writeMp3(dir / "j/1.mp3", "", "",
             "a\x1b"
             "b\xC2\x9b"
             "c");
    ASSERT_EQ(Run({"info", "--settings", settingsFile, dir / "j/1.mp3"}), 0) << err;
    EXPECT_NE(out.find("a\\u001Bb\xC3\x82\\u009Bc"), std::string::npos) << out;
    EXPECT_FALSE(hasControlCharacter(out, true));

    // Messages about such files stay on one line each.
    writeMp3(dir / "c/taken\nname.mp3", "Zed", "", "Same");
    writeMp3(dir / "c/Same.mp3", "Zed", "", "Same");
    EXPECT_EQ(Run({"rename", "--settings", settingsFile, "--out", "<title>", dir / "c/taken\nname.mp3"}), 1);
    EXPECT_NE(err.find("taken\\nname.mp3"), std::string::npos) << err;
    EXPECT_FALSE(hasControlCharacter(err, true));
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 3) << err;  // not replaced, error, summary
}

TEST_F(CliNaming, AbsolutePatternsKeepTheFoldersAsTyped) {
    writeMp3(dir / "in/1.mp3", "the band", "", "a song");
    listtest::writeFile(settingsFile, "[General]\nlAlbumSize=2\niCaseChange=1\nbDetectInPattern=0\n");
    const std::string typed = dir / "media/user/1234-ABCD/music_lib/";
    ASSERT_EQ(Run({"sort", "--settings", settingsFile, "--copy", "--target", dir / "t", "--album-pattern", "",
                   "--path-pattern", typed + "<artist>", "--out", "<artist> - <title>", dir / "in/1.mp3"}),
              0)
        << err;
    EXPECT_TRUE(exists(typed + "The Band/The Band - A Song.mp3")) << namingtest::filesBelow(dir / "media").size();
    EXPECT_FALSE(exists(dir / "media/user/1234 - ABCD"));
}

TEST_F(CliNaming, LegacyNamesAreReadAsLatin1) {
    const std::string legacy = dir / "caf\xE9 - song.mp3";
    writeMp3(legacy, "", "", "", "1");
    ASSERT_EQ(Run({"fix", "--settings", settingsFile, "--in", "<artist> - <title>", legacy}), 0) << err;
    vorda::tags::AudioFile f;
    ASSERT_TRUE(f.readFile(legacy, true));
    EXPECT_EQ(f.tag().getValue(vorda::tags::ValueKey::Artist), "Caf\xC3\xA9");
    EXPECT_EQ(f.tag().getValue(vorda::tags::ValueKey::Title), "Song");
    ASSERT_EQ(Run({"rename", "--settings", settingsFile, "--out", "<artist> - <title>", legacy}), 0) << err;
    EXPECT_TRUE(exists(dir / "Caf\xC3\xA9 - Song.mp3"));
}

// "--name=" gives an empty value, as "--name ''" does: the file after it stays a file.
TEST_F(CliNaming, AnEmptyValueAfterAnEqualsSignIsEmpty) {
    writeMp3(dir / "in/1.mp3", "Kim", "Alb", "A", "1", "2000");
    writeMp3(dir / "in/2.mp3", "Kim", "Alb", "B", "2", "2000");
    const std::string t = dir / "t";
    const std::string plan = dir / "in/1.mp3\t" + t + "/K/Kim/1.mp3\n" + dir / "in/2.mp3\t" + t + "/K/Kim/2.mp3\n";
    for (const std::vector<std::string>& albumPattern :
         {std::vector<std::string>{"--album-pattern", ""}, {"--album-pattern="}}) {
        std::vector<std::string> args{"sort", "--settings", settingsFile, "--copy", "--target=" + t, "--dry-run"};
        args.insert(args.end(), albumPattern.begin(), albumPattern.end());
        args.insert(args.end(), {dir / "in/1.mp3", dir / "in/2.mp3"});
        EXPECT_EQ(Run(args), 0) << err;
        EXPECT_EQ(out, plan);
    }
}

}  // namespace
