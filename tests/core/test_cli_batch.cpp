// vorda-cli fix and tracks on real files, checked with Vorda and mutagen.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "BatchTestSupport.h"
#include "tags/clsFile.h"

using batchtest::Contains;
using batchtest::HasV1;
using id3test::Audio;
using id3test::ReadBytes;
using id3test::V1Tag;
using id3test::V23Tag;

namespace {

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct CliBatch : ::testing::Test {
    int Run(const std::vector<std::string>& args) {
        std::string command = Quote(VORDA_CLI_PATH);
        for (const auto& a : args) command += " " + Quote(a);
        command += " >" + Quote(dir.File("out.txt")) + " 2>" + Quote(dir.File("err.txt")) + " </dev/null";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string Settings(const std::string& tags) {
        const std::string path = dir.File("settings.ini");
        id3test::WriteBytes(path, "[InPatterns]\nsCurrentInPattern=<track>" + std::string("\xC2\xB6") + "-" +
                                      "\xC2\xB6<artist>\xC2\xB6-\xC2\xB6<title>\n[Tags]\n" + tags);
        return path;
    }
    std::string Value(const std::string& path, int key) {
        vorda::clsFile f;
        f.ReadFile(path, true);
        return f.Tag().GetValue(key);
    }
    std::string Make(const std::string& name, const std::string& bytes) {
        id3test::WriteBytes(dir.File(name), bytes);
        return dir.File(name);
    }
    id3test::Scratch dir;
    const std::string audio = Audio(9, 5);
};

TEST_F(CliBatch, FixUsesTheSettingsPatternAndTagOptions) {
    const std::string ini = Settings("UseID3v1=1\nUseID3v2=1\n");
    const std::string a = Make("03 - Band - Song.mp3", audio);
    const std::string b = Make("04 - Crew - Tune.mp3", audio + V1Tag("old title"));
    ASSERT_EQ(Run({"fix", "--settings", ini, a, b}), 0) << ReadBytes(dir.File("err.txt"));
    EXPECT_EQ(Value(a, vorda::tvArtist), "Band");
    EXPECT_EQ(Value(a, vorda::tvTrack), "03");
    EXPECT_EQ(Value(b, vorda::tvTitle), "Old Title");
    for (const auto& p : {a, b}) {
        const std::string bytes = ReadBytes(p);
        EXPECT_EQ(bytes.compare(0, 3, "ID3"), 0);
        EXPECT_TRUE(HasV1(bytes));
        EXPECT_TRUE(Contains(bytes, audio));
    }
    if (batchtest::HaveMutagen()) EXPECT_TRUE(Contains(batchtest::MutagenFrames(a), "TPE1=Band"));

    // --in overrides the pattern; a missing file fails with status 1 and the others are written.
    const std::string c = Make("Solo - Piece.mp3", audio);
    EXPECT_EQ(Run({"fix", "--settings", ini, "--in", "<artist> - <title>", c, dir.File("missing.mp3")}), 1);
    EXPECT_TRUE(Contains(ReadBytes(dir.File("err.txt")), "missing.mp3"));
    EXPECT_EQ(Value(c, vorda::tvTitle), "Piece");
}

TEST_F(CliBatch, FixAdvancedAndUsageErrors) {
    const std::string ini = Settings("UseID3v1=1\nUseID3v2=1\n");
    const std::string a = Make("Band - Song.mp3", audio);
    ASSERT_EQ(Run({"fix", "--settings", ini, "--advanced", "--in", "<artist> - <title>", a}), 0);
    EXPECT_EQ(Value(a, vorda::tvV1Artist), "Band");
    EXPECT_EQ(Value(a, vorda::tvV2Title), "Song");
    EXPECT_EQ(Run({"fix", "--in", "x", "--detect", a}), 2);
    EXPECT_EQ(Run({"fix"}), 2);
    EXPECT_EQ(Run({"fix", "--help"}), 0);
}

TEST_F(CliBatch, TracksNumbersInTheOrderGiven) {
    const std::string ini = Settings("");
    const std::string tagged = V23Tag({{"TIT2", "t"}}, 32) + audio;
    const std::string z = Make("z.mp3", tagged);
    const std::string a = Make("a.mp3", tagged);
    ASSERT_EQ(Run({"tracks", "--settings", ini, "--start", "5", z, a}), 0) << ReadBytes(dir.File("err.txt"));
    EXPECT_EQ(Value(z, vorda::tvTrack), "05");
    EXPECT_EQ(Value(a, vorda::tvTrack), "06");
    EXPECT_TRUE(Contains(ReadBytes(a), audio));
    if (batchtest::HaveMutagen()) EXPECT_TRUE(Contains(batchtest::MutagenFrames(a), "TRCK=06"));
    EXPECT_EQ(Run({"tracks", "--start", "255", a}), 2);
    EXPECT_EQ(Run({"tracks", "--start", "0", a}), 2);
    EXPECT_EQ(Run({"tracks", a}), 2);
}

TEST_F(CliBatch, FilesWithoutTagsAreNamedAndLeftUnchangedUnlessTagsAreAdded) {
    const std::string ini = Settings("");
    const std::string bare = Make("bare.mp3", audio);
    const std::string tagged = Make("tagged.mp3", V23Tag({{"TIT2", "t"}}, 32) + audio);
    const std::string err = dir.File("err.txt");

    // set: nothing can be stored in a file without tags; it stays as it was and the run fails.
    EXPECT_EQ(Run({"set", "--settings", ini, "tvTitle=New", "tvV1Year=1999", bare, tagged}), 1);
    EXPECT_EQ(ReadBytes(bare), audio);
    EXPECT_TRUE(Contains(ReadBytes(err), bare + ": left unchanged: tvTitle, tvV1Year"));
    EXPECT_TRUE(Contains(ReadBytes(err), "--add KIND"));
    // The tagged file takes the title; its missing ID3v1 tag is named for the year alone.
    EXPECT_EQ(Value(tagged, vorda::tvTitle), "New");
    EXPECT_TRUE(Contains(ReadBytes(err), tagged + ": not written: tvV1Year"));
    EXPECT_FALSE(Contains(ReadBytes(err), tagged + ": left unchanged"));

    // tracks: the same, and --add creates the tag that takes the number.
    EXPECT_EQ(Run({"tracks", "--settings", ini, "--start", "3", bare, tagged}), 1);
    EXPECT_EQ(ReadBytes(bare), audio);
    EXPECT_EQ(Value(tagged, vorda::tvTrack), "04");
    EXPECT_TRUE(Contains(ReadBytes(err), bare + ": left unchanged: the track number"));
    ASSERT_EQ(Run({"tracks", "--settings", ini, "--add", "tkID3v2", "--start", "7", bare}), 0) << ReadBytes(err);
    EXPECT_EQ(Value(bare, vorda::tvTrack), "07");
    EXPECT_TRUE(Contains(ReadBytes(bare), audio));
    if (batchtest::HaveMutagen()) EXPECT_TRUE(Contains(batchtest::MutagenFrames(bare), "TRCK=07"));
    EXPECT_EQ(Run({"tracks", "--settings", ini, "--add", "tkNone", "--start", "1", bare}), 2);

    // A tag option that always writes a tag lets the values through without --add.
    const std::string always = Settings("UseID3v2=2\n");
    const std::string fresh = Make("fresh.mp3", audio);
    ASSERT_EQ(Run({"set", "--settings", always, "tvTitle=Kept", fresh}), 0) << ReadBytes(err);
    EXPECT_EQ(Value(fresh, vorda::tvTitle), "Kept");
}

}  // namespace
