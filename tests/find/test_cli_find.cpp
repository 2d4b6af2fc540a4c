// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli find and replace through the program, on MP3 files in a scratch folder; the tags
// written are read back by mutagen.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "ID3TestSupport.h"
#include "PeerSupport.h"
#include "TestSupport.h"

namespace {

using testsupport::readBytes;
using testsupport::runCli;

class CliFindTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::writeBytes(settings_, ""); }

    // An MP3 file of synthesised frames with an ID3v2.3 tag of the frames given and, when
    // v1Title is not empty, an ID3v1 tag.
    std::string make(const std::string& name, const std::vector<std::pair<std::string, std::string>>& frames,
                     const std::string& v1Title = "") {
        const std::string path = folder_.file(name);
        std::string bytes = id3test::v23Tag(frames, 128) + id3test::mp3Audio(20);
        if (!v1Title.empty()) bytes += id3test::v1Tag(v1Title);
        testsupport::writeBytes(path, bytes);
        return path;
    }

    testsupport::CliRun cli(const std::string& command, std::vector<std::string> args) {
        args.insert(args.begin(), {command, "--settings", settings_});
        return runCli(args, out_.dir());
    }

    testsupport::TempFolder folder_;
    testsupport::TempFolder out_;
    const std::string settings_ = out_.file("settings.ini");
};

TEST_F(CliFindTest, FindPrintsTheMatchingFilesInTheOrderGivenUnderTheCaseTagAndFieldRules) {
    const std::string a = make("a.mp3", {{"TIT2", "Love Song"}, {"TPE1", "Band"}});
    const std::string b = make("b.mp3", {{"TIT2", "Other"}, {"TCOM", "lovers"}});
    const std::string c = make("c.mp3", {{"TIT2", "Other"}}, "old LOVE");
    // Upper-case E acute in the tag (ISO-8859-1), lower case searched.
    const std::string d = make("d.mp3", {{"TALB", "L'\xC9T\xC9"}});

    auto found = [&](std::vector<std::string> args) {
        for (const std::string& f : {c, b, a, d}) args.push_back(f);
        const testsupport::CliRun run = cli("find", args);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    };
    EXPECT_EQ(found({"--find", "love"}), c + "\n" + b + "\n" + a + "\n");
    EXPECT_EQ(found({"--find", "love", "--match-case"}), b + "\n");
    EXPECT_EQ(found({"--find", "love", "--tags", "v2"}), b + "\n" + a + "\n");
    EXPECT_EQ(found({"--find", "love", "--fields", "title,album"}), c + "\n" + a + "\n");
    EXPECT_EQ(found({"--find", "love", "--tags", "lyrics3"}), "");
    EXPECT_EQ(found({"--find", "l'\xC3\xA9t\xC3\xA9"}), d + "\n");

    // A file that cannot be read is named; the others are still searched.
    const testsupport::CliRun missing = cli("find", {"--find", "love", folder_.file("gone.mp3"), a});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, a + "\n");
    EXPECT_NE(missing.err.find("gone.mp3"), std::string::npos);

    // Mistakes of the command line: nothing to find, a field never searched, an unknown tag.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--find", "", a}, {"--find", "x", "--fields", "track", a}, {"--find", "x", "--tags", "v3", a}, {a}}) {
        const testsupport::CliRun run = cli("find", args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(CliFindTest, ReplaceWritesEveryMatchKeepsTheRestAndReportsAReadOnlyFile) {
    const std::string a = make("a.mp3", {{"TIT2", "banana \xF1"}, {"TPE1", "Anna"}}, "banana");
    const std::string locked = make("locked.mp3", {{"TIT2", "banana"}});
    const std::string none = make("none.mp3", {{"TIT2", "cherry"}});
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    const std::string lockedBytes = readBytes(locked), noneBytes = readBytes(none);

    const testsupport::CliRun run =
        cli("replace", {"--find", "A", "--with", "aa", "--fields", "title", a, locked, none});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Changed 2 values in 1 file.\n");
    EXPECT_NE(run.err.find("locked.mp3"), std::string::npos);
    EXPECT_NE(run.err.find("read-only"), std::string::npos);
    EXPECT_EQ(readBytes(locked), lockedBytes);
    EXPECT_EQ(readBytes(none), noneBytes);

    const peers::Values v2 = peers::mutagenTagValues({a})[a];
    EXPECT_EQ(v2.at("title"), "baanaanaa \xC3\xB1");  // the letter after the matches kept
    EXPECT_EQ(v2.at("artist"), "Anna");               // not a searched field
    // The settings keep both tags equal: the ID3v1 title follows the ID3v2 one.
    EXPECT_EQ(peers::mutagenId3v1(a).at("TIT2"), "baanaanaa \xC3\xB1");

    // A value longer than ID3v1 holds: the ID3v1 title is cut at 30 whole characters.
    std::string accents;
    for (int i = 0; i < 20; ++i) accents += "\xC3\xA9";
    const testsupport::CliRun longer =
        cli("replace", {"--find", "baanaanaa", "--with", accents + accents, "--match-case", a});
    EXPECT_EQ(longer.status, 0) << longer.err;
    EXPECT_EQ(longer.out, "Changed 2 values in 1 file.\n");
    EXPECT_EQ(peers::mutagenTagValues({a})[a].at("title"), accents + accents + " \xC3\xB1");
    EXPECT_EQ(peers::mutagenId3v1(a).at("TIT2"), accents + accents.substr(0, 20));

    // Nothing to replace with is a mistake of the command line; an empty replacement is not.
    EXPECT_EQ(cli("replace", {"--find", "Anna", a}).status, 2);
    const testsupport::CliRun removed = cli("replace", {"--find", "nn", "--with", "", "--fields", "artist", a});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(peers::mutagenTagValues({a})[a].at("artist"), "Aa");
}

}  // namespace
