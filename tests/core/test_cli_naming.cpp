#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "NamingTestSupport.h"

using listtest::TempDir;
using namingtest::Exists;
using namingtest::FilesBelow;
using namingtest::WriteMp3;

namespace {

struct CliNaming : ::testing::Test {
    TempDir dir;
    std::string out;
    std::string err;
    std::string settingsFile = dir / "settings.ini";

    void SetUp() override {
        // Album size 2, no case change, files to the trash never (deleting is not involved).
        listtest::WriteFile(settingsFile, "[General]\nlAlbumSize=2\niCaseChange=0\nbDetectInPattern=0\n");
    }
    int Run(const std::vector<std::string>& args) {
        auto quote = [](const std::string& a) {
            std::string q = "'";
            for (char c : a) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
            return q + "'";
        };
        std::string command = quote(VORDA_CLI_PATH);
        for (const auto& a : args) command += " " + quote(a);
        command += " >" + quote(dir / "out.txt") + " 2>" + quote(dir / "err.txt") + " </dev/null";
        const int raw = std::system(command.c_str());
        out = id3test::ReadBytes(dir / "out.txt");
        err = id3test::ReadBytes(dir / "err.txt");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
};

TEST_F(CliNaming, SortDryRunPrintsThePlanAndTouchesNothing) {
    WriteMp3(dir / "in/1.mp3", "Kim", "Alb", "A", "1", "2000");
    WriteMp3(dir / "in/2.mp3", "Lou", "Solo", "B", "2", "2001");
    WriteMp3(dir / "in/3.mp3", "Kim", "Alb", "C", "3", "2000");
    const std::string t = dir / "t";
    EXPECT_EQ(Run({"sort", "--settings", settingsFile, "--copy", "--target", t, "--dry-run", dir / "in/1.mp3",
                   dir / "in/2.mp3", dir / "in/3.mp3"}),
              0);
    // Album Alb has two files (the album size): its group comes first, in album folders.
    EXPECT_EQ(out, dir / "in/1.mp3\t" + t + "/K/Kim/Alb (2000)/1.mp3\n" + dir / "in/3.mp3\t" + t +
                       "/K/Kim/Alb (2000)/3.mp3\n" + dir / "in/2.mp3\t" + t + "/L/Lou/2.mp3\n");
    EXPECT_FALSE(Exists(t));

    EXPECT_EQ(Run({"sort", "--settings", settingsFile, "--move", "--target", t, "--album-pattern", "",
                   "--path-pattern", "<artist>", "--out", "<track>.<title>", "--dry-run", dir / "in/2.mp3"}),
              0);
    EXPECT_EQ(out, dir / "in/2.mp3\t" + t + "/Lou/02.B.mp3\n");
}

TEST_F(CliNaming, SortMovesAndReportsConflictsAndFailures) {
    WriteMp3(dir / "in/1.mp3", "Max", "", "A");
    WriteMp3(dir / "in/2.mp3", "Max", "", "B");
    const std::string t = dir / "t/";
    listtest::WriteFile(t + "M/Max/1.mp3", "old");
    EXPECT_EQ(Run({"sort", "--settings", settingsFile, "--move", "--target", t, "--exists", "skip", dir / "in/1.mp3",
                   dir / "in/2.mp3"}),
              0);
    EXPECT_EQ(id3test::ReadBytes(t + "M/Max/1.mp3"), "old");
    EXPECT_TRUE(Exists(dir / "in/1.mp3"));
    EXPECT_TRUE(Exists(t + "M/Max/2.mp3"));
    EXPECT_NE(err.find("2 files sorted."), std::string::npos);

    EXPECT_EQ(Run({"sort", "--settings", settingsFile, "--move", "--target", t, "--exists", "replace",
                   dir / "in/1.mp3"}),
              0);
    EXPECT_NE(id3test::ReadBytes(t + "M/Max/1.mp3"), "old");
    EXPECT_FALSE(Exists(dir / "in/1.mp3"));

    // A missing file and a file that cannot be moved: exit status 1, the others still done.
    WriteMp3(dir / "in/3.mp3", "Max", "", "C");
    listtest::MakeFolder(t + "M/Max/3.mp3/x");
    EXPECT_EQ(Run({"sort", "--settings", settingsFile, "--move", "--target", t, "--exists", "replace",
                   dir / "in/3.mp3", dir / "in/none.mp3"}),
              1);
    EXPECT_TRUE(Exists(dir / "in/3.mp3"));
    EXPECT_NE(err.find("occured while sorting"), std::string::npos);
    EXPECT_NE(err.find("cannot read"), std::string::npos);

    EXPECT_EQ(Run({"sort", "--copy", "--move", "--target", t, dir / "in/3.mp3"}), 2);
    EXPECT_EQ(Run({"sort", "--help"}), 0);
    EXPECT_NE(out.find("Usage: vorda-cli sort"), std::string::npos);
}

TEST_F(CliNaming, RenameRenamesInPlace) {
    WriteMp3(dir / "Nia - First.mp3", "", "", "", "7");
    WriteMp3(dir / "x.mp3", "Oz", "", "Tune", "8");
    EXPECT_EQ(Run({"rename", "--settings", settingsFile, "--in", "<artist> - <title>", "--out",
                   "<track> <artist> <title>", "--dry-run", dir / "Nia - First.mp3", dir / "x.mp3"}),
              0);
    EXPECT_EQ(out, dir / "Nia - First.mp3\t" + dir / "07 Nia First.mp3\n" + dir / "x.mp3\t" + dir / "08 Oz Tune.mp3\n");
    EXPECT_TRUE(Exists(dir / "x.mp3"));

    EXPECT_EQ(Run({"rename", "--settings", settingsFile, "--in", "<artist> - <title>", "--out",
                   "<track> <artist> <title>", dir / "Nia - First.mp3", dir / "x.mp3"}),
              0);
    EXPECT_TRUE(Exists(dir / "07 Nia First.mp3"));
    EXPECT_TRUE(Exists(dir / "08 Oz Tune.mp3"));

    // A name that is taken is not overwritten (asking means keeping): status 1.
    WriteMp3(dir / "y.mp3", "Oz", "", "Tune", "8");
    EXPECT_EQ(Run({"rename", "--settings", settingsFile, "--out", "<track> <artist> <title>", dir / "y.mp3"}), 1);
    EXPECT_TRUE(Exists(dir / "y.mp3"));
    EXPECT_EQ(Run({"rename", "--in", "a", "--detect", "--out", "b", dir / "y.mp3"}), 2);
    EXPECT_EQ(Run({"rename", "--help"}), 0);
    EXPECT_NE(out.find("Usage: vorda-cli rename"), std::string::npos);
}

}  // namespace
