// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli fix and tracks on real files, checked with Vorda and mutagen.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "BatchTestSupport.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

using batchtest::contains;
using batchtest::hasV1;
using id3test::mp3Audio;
using id3test::readBytes;
using id3test::v1Tag;
using id3test::v23Tag;

namespace {

struct CliBatch : ::testing::Test {
    int Run(const std::vector<std::string>& args) { return testsupport::runCli(args, dir.dir()).status; }
    std::string settings(const std::string& tags) {
        const std::string path = dir.file("settings.ini");
        id3test::writeBytes(path, "[InPatterns]\nsCurrentInPattern=<track>" + std::string("\xC2\xB6") + "-" +
                                      "\xC2\xB6<artist>\xC2\xB6-\xC2\xB6<title>\n[Tags]\n" + tags);
        return path;
    }
    static std::string value(const std::string& path, int key) { return id3test::tagValue(path, key); }
    std::string make(const std::string& name, const std::string& bytes) {
        id3test::writeBytes(dir.file(name), bytes);
        return dir.file(name);
    }
    id3test::Scratch dir;
    const std::string audio = mp3Audio(9, 5);
};

TEST_F(CliBatch, FixUsesTheSettingsPatternAndTagOptions) {
    const std::string ini = settings("UseID3v1=1\nUseID3v2=1\n");
    const std::string a = make("03 - Band - Song.mp3", audio);
    const std::string b = make("04 - Crew - Tune.mp3", audio + v1Tag("old title"));
    ASSERT_EQ(Run({"fix", "--settings", ini, a, b}), 0) << readBytes(dir.file("err.txt"));
    EXPECT_EQ(value(a, vorda::tags::ValueKey::Artist), "Band");
    EXPECT_EQ(value(a, vorda::tags::ValueKey::Track), "03");
    EXPECT_EQ(value(b, vorda::tags::ValueKey::Title), "Old Title");
    for (const auto& p : {a, b}) {
        const std::string bytes = readBytes(p);
        EXPECT_EQ(bytes.compare(0, 3, "ID3"), 0);
        EXPECT_TRUE(hasV1(bytes));
        EXPECT_TRUE(contains(bytes, audio));
    }
    if (batchtest::haveMutagen()) {
        EXPECT_TRUE(contains(batchtest::mutagenFrames(a), "TPE1=Band"));
    }

    // --in overrides the pattern; a missing file fails with status 1 and the others are written.
    const std::string c = make("Solo - Piece.mp3", audio);
    EXPECT_EQ(Run({"fix", "--settings", ini, "--in", "<artist> - <title>", c, dir.file("missing.mp3")}), 1);
    EXPECT_TRUE(contains(readBytes(dir.file("err.txt")), "missing.mp3"));
    EXPECT_EQ(value(c, vorda::tags::ValueKey::Title), "Piece");
}

TEST_F(CliBatch, FixAdvancedAndUsageErrors) {
    const std::string ini = settings("UseID3v1=1\nUseID3v2=1\n");
    const std::string a = make("Band - Song.mp3", audio);
    ASSERT_EQ(Run({"fix", "--settings", ini, "--advanced", "--in", "<artist> - <title>", a}), 0);
    EXPECT_EQ(value(a, vorda::tags::ValueKey::V1Artist), "Band");
    EXPECT_EQ(value(a, vorda::tags::ValueKey::V2Title), "Song");
    EXPECT_EQ(Run({"fix", "--in", "x", "--detect", a}), 2);
    EXPECT_EQ(Run({"fix"}), 2);
    EXPECT_EQ(Run({"fix", "--help"}), 0);
}

TEST_F(CliBatch, TracksNumbersInTheOrderGiven) {
    const std::string ini = settings("");
    const std::string tagged = v23Tag({{"TIT2", "t"}}, 32) + audio;
    const std::string z = make("z.mp3", tagged);
    const std::string a = make("a.mp3", tagged);
    ASSERT_EQ(Run({"tracks", "--settings", ini, "--start", "5", z, a}), 0) << readBytes(dir.file("err.txt"));
    EXPECT_EQ(value(z, vorda::tags::ValueKey::Track), "05");
    EXPECT_EQ(value(a, vorda::tags::ValueKey::Track), "06");
    EXPECT_TRUE(contains(readBytes(a), audio));
    if (batchtest::haveMutagen()) {
        EXPECT_TRUE(contains(batchtest::mutagenFrames(a), "TRCK=06"));
    }
    EXPECT_EQ(Run({"tracks", "--start", "255", a}), 2);
    EXPECT_EQ(Run({"tracks", "--start", "0", a}), 2);
    EXPECT_EQ(Run({"tracks", a}), 2);
}

TEST_F(CliBatch, FilesWithoutTagsAreNamedAndLeftUnchangedUnlessTagsAreAdded) {
    const std::string ini = settings("");
    const std::string bare = make("bare.mp3", audio);
    const std::string tagged = make("tagged.mp3", v23Tag({{"TIT2", "t"}}, 32) + audio);
    const std::string err = dir.file("err.txt");

    // set: nothing can be stored in a file without tags; it stays as it was and the run fails.
    EXPECT_EQ(Run({"set", "--settings", ini, "tvTitle=New", "tvV1Year=1999", bare, tagged}), 1);
    EXPECT_EQ(readBytes(bare), audio);
    EXPECT_TRUE(contains(readBytes(err), bare + ": left unchanged: tvTitle, tvV1Year"));
    EXPECT_TRUE(contains(readBytes(err), "--add KIND"));
    // The tagged file takes the title; its missing ID3v1 tag is named for the year alone.
    EXPECT_EQ(value(tagged, vorda::tags::ValueKey::Title), "New");
    EXPECT_TRUE(contains(readBytes(err), tagged + ": not written: tvV1Year"));
    EXPECT_FALSE(contains(readBytes(err), tagged + ": left unchanged"));

    // tracks: the same, and --add creates the tag that takes the number.
    EXPECT_EQ(Run({"tracks", "--settings", ini, "--start", "3", bare, tagged}), 1);
    EXPECT_EQ(readBytes(bare), audio);
    EXPECT_EQ(value(tagged, vorda::tags::ValueKey::Track), "04");
    EXPECT_TRUE(contains(readBytes(err), bare + ": left unchanged: the track number"));
    ASSERT_EQ(Run({"tracks", "--settings", ini, "--add", "tkID3v2", "--start", "7", bare}), 0) << readBytes(err);
    EXPECT_EQ(value(bare, vorda::tags::ValueKey::Track), "07");
    EXPECT_TRUE(contains(readBytes(bare), audio));
    if (batchtest::haveMutagen()) {
        EXPECT_TRUE(contains(batchtest::mutagenFrames(bare), "TRCK=07"));
    }
    EXPECT_EQ(Run({"tracks", "--settings", ini, "--add", "tkNone", "--start", "1", bare}), 2);

    // A tag option that always writes a tag lets the values through without --add.
    const std::string always = settings("UseID3v2=2\n");
    const std::string fresh = make("fresh.mp3", audio);
    ASSERT_EQ(Run({"set", "--settings", always, "tvTitle=Kept", fresh}), 0) << readBytes(err);
    EXPECT_EQ(value(fresh, vorda::tags::ValueKey::Title), "Kept");
}

}  // namespace
