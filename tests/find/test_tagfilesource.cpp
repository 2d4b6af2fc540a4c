// SPDX-License-Identifier: GPL-2.0-or-later

// Find and replace on real MP3 files in a scratch folder: the audio is made by lame, the ID3v2
// tags are written and read back by mutagen, the ID3v1 tags are read as bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FindTestSupport.h"
#include "TestSupport.h"
#include "app/Settings.h"
#include "find/FindReplace.h"
#include "find/TagFileSource.h"
#include "tags/AudioFile.h"

using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::find;
using namespace findtest;
namespace fs = std::filesystem;

namespace {

using testsupport::readBytes;
using testsupport::shellQuote;
using testsupport::writeBytes;

// Runs a command; its standard output, with a failed expectation when it fails.
std::string run(const std::string& command) {
    int status = 0;
    std::string out = testsupport::commandOutput(command, &status);
    EXPECT_EQ(status, 0) << command;
    return out;
}

constexpr const char* kWriteTags = R"(
import sys
from mutagen.id3 import ID3, Frames, COMM
tag = ID3()
for arg in sys.argv[2:]:
    frame, text = arg.split('=', 1)
    if frame == 'COMM':
        tag.add(COMM(encoding=1, lang='eng', desc='', text=text))
    else:
        tag.add(Frames[frame](encoding=1, text=text))
tag.save(sys.argv[1], v1=0, v2_version=3)
)";

constexpr const char* kReadTags = R"(
import sys
from mutagen.id3 import ID3
tag = ID3(sys.argv[1], load_v1=False)
for key in sorted(tag.keys()):
    sys.stdout.write(key.split(':')[0] + '=' + str(tag[key]) + '\n')
)";

// An ID3v1 tag from ISO-8859-1 fields.
std::string v1Tag(const std::string& title, const std::string& artist, const std::string& comment = "") {
    auto field = [](std::string s, size_t n) {
        s.resize(n, '\0');
        return s;
    };
    return "TAG" + field(title, 30) + field(artist, 30) + field("", 30) + field("", 4) + field(comment, 30) + '\xFF';
}

class TagFileSourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Half a second of a 440 Hz tone through lame.
        const testsupport::TempFolder scratch;
        const fs::path folder = scratch.dir();
        std::string pcm;
        for (int i = 0; i < 22050; ++i) {
            const auto sample = static_cast<int16_t>(8000 * std::sin(i * 2 * M_PI * 440 / 44100));
            pcm += static_cast<char>(sample & 0xFF);
            pcm += static_cast<char>((sample >> 8) & 0xFF);
        }
        writeBytes((folder / "tone.raw").string(), pcm);
        run("lame -r -s 44.1 --bitwidth 16 -m m -b 64 --silent " + shellQuote((folder / "tone.raw").string()) + " " +
            shellQuote((folder / "tone.mp3").string()) + " 2>/dev/null");
        audio_ = readBytes((folder / "tone.mp3").string());
    }

    void SetUp() override {
        options_.useId3v1 = TagUse::IfWanted;
        options_.useId3v2 = TagUse::IfWanted;
        options_.useLyrics3 = TagUse::IfWanted;
        options_.keepInSync = false;
        scratch_ = std::make_unique<testsupport::TempFolder>();
        folder_ = scratch_->dir();
        writeBytes((folder_ / "write.py").string(), kWriteTags);
        writeBytes((folder_ / "read.py").string(), kReadTags);
        ASSERT_GT(audio_.size(), 1000u);
    }
    void TearDown() override { scratch_.reset(); }

    // A file of the audio with an ID3v2 tag of the frames given ("TIT2=Song") and an ID3v1 tag.
    std::string make(const std::string& name, const std::vector<std::string>& frames, const std::string& v1 = "") {
        const std::string path = (folder_ / name).string();
        writeBytes(path, audio_);
        if (!frames.empty()) {
            std::string command =
                "/usr/bin/python3 " + shellQuote((folder_ / "write.py").string()) + " " + shellQuote(path);
            for (const std::string& frame : frames) command += " " + shellQuote(frame);
            run(command);
        }
        if (!v1.empty()) std::ofstream(path, std::ios::binary | std::ios::app) << v1;
        return path;
    }

    // The ID3v2 text frames as mutagen reads them.
    std::map<std::string, std::string> frames(const std::string& path) {
        std::map<std::string, std::string> out;
        std::istringstream lines(run("PYTHONIOENCODING=utf-8 /usr/bin/python3 " +
                                     shellQuote((folder_ / "read.py").string()) + " " + shellQuote(path)));
        for (std::string line; std::getline(lines, line);) {
            const size_t eq = line.find('=');
            if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
        }
        return out;
    }

    // A field of the file's ID3v1 tag as bytes, without its trailing zeros.
    static std::string v1Field(const std::string& path, size_t offset, size_t width) {
        const std::string bytes = readBytes(path);
        if (bytes.size() < 128 || bytes.compare(bytes.size() - 128, 3, "TAG") != 0) return "(no tag)";
        std::string field = bytes.substr(bytes.size() - 128 + offset, width);
        return field.substr(0, field.find('\0'));
    }

    static inline std::string audio_;
    TagOptions options_;
    std::unique_ptr<testsupport::TempFolder> scratch_;
    fs::path folder_;
};

TEST_F(TagFileSourceTest, ReplaceAllWritesEveryMatchingFileAndLeavesTheOthersUntouched) {
    const std::string a = make("a.mp3", {"TIT2=Love Song", "TPE1=The Lovers", "COMM=all you need is LOVE"},
                               v1Tag("Love Song", "The Lovers"));
    const std::string b = make("b.mp3", {"TIT2=Other", "TCOM=love"}, v1Tag("Other", ""));
    const std::string before = readBytes(b);
    TagFileSource source({{a}, {(folder_ / "missing.mp3").string()}, {b}});
    source.setOptions(options_);
    FindReplace engine(source);
    engine.setOptions(searchOptions("love", {SearchField::Title, SearchField::Artist, SearchField::Comment},
                                    {SearchTag::Id3v1, SearchTag::Id3v2}));

    const BatchResult result = engine.replaceAll("Hate");
    EXPECT_EQ(result.rows, std::vector<int>{0});
    EXPECT_EQ(result.writes.written, 1);
    EXPECT_EQ(result.writes.failed, 0);
    const auto tags = frames(a);
    EXPECT_EQ(tags.at("TIT2"), "Hate Song");
    EXPECT_EQ(tags.at("TPE1"), "The Haters");
    EXPECT_EQ(tags.at("COMM"), "all you need is Hate");
    EXPECT_EQ(v1Field(a, 3, 30), "Hate Song");
    EXPECT_EQ(v1Field(a, 33, 30), "The Haters");
    // Its composer matches too, but that box is not checked.
    EXPECT_TRUE(readBytes(b) == before);

    // The audio after the tag is the audio lame made.
    const std::string written = readBytes(a);
    EXPECT_NE(written.find(audio_.substr(0, 2000)), std::string::npos);
}

TEST_F(TagFileSourceTest, AValueShownInBothTagsIsEditedOnce) {
    // No artist frame in the ID3v2 tag: its Artist field shows the ID3v1 artist.
    const std::string path = make("a.mp3", {"TIT2=Song"}, v1Tag("Song", "banana"));
    TagFileSource source({{path}});
    source.setOptions(options_);
    FindReplace engine(source);
    engine.setOptions(searchOptions("a", {SearchField::Artist}, {SearchTag::Id3v1, SearchTag::Id3v2}));

    const BatchResult result = engine.replaceAll("aa");
    EXPECT_EQ(result.writes.written, 1);
    EXPECT_EQ(v1Field(path, 33, 30), "baanaanaa");
    EXPECT_EQ(frames(path).at("TPE1"), "baanaanaa");

    EXPECT_EQ(engine.trim(2, TextSide::End).writes.written, 1);
    EXPECT_EQ(v1Field(path, 33, 30), "baanaan");
    EXPECT_EQ(frames(path).at("TPE1"), "baanaan");
}

TEST_F(TagFileSourceTest, ValuesTooLongForID3v1AreCutAtWholeCharacters) {
    const std::string path = make("a.mp3", {"TIT2=Song", "COMM=note"}, v1Tag("Song", "", "note"));
    TagFileSource source({{path}});
    source.setOptions(options_);
    FindReplace engine(source);
    engine.setOptions(searchOptions("NOTE", {SearchField::Comment}, {SearchTag::Id3v1, SearchTag::Id3v2}));
    std::string accents;
    for (int i = 0; i < 40; ++i) accents += "\xC3\xA9";

    ASSERT_EQ(engine.replaceAll(accents).writes.written, 1);
    EXPECT_EQ(frames(path).at("COMM"), accents);
    EXPECT_EQ(v1Field(path, 97, 30), std::string(30, '\xE9'));  // ISO-8859-1 on disk
    ASSERT_TRUE(source.open(0));
    EXPECT_EQ(source.value(ValueKey::V1Comment), accents.substr(0, 60));
}

TEST_F(TagFileSourceTest, SteppingFindsEveryCaseOfAWordAndReplaceChangesOnlyTheCurrentOne) {
    const std::string path = make("a.mp3", {"TIT2=\xC3\x89"
                                            "COLE, \xC3\x89"
                                            "cole, \xC3\xA9"
                                            "cole"});
    TagFileSource source({{path, true}});
    source.setOptions(options_);
    FindReplace engine(source);
    SearchOptions o = searchOptions("\xC3\xA9"
                                    "cole",
                                    {SearchField::Title}, {SearchTag::Id3v1, SearchTag::Id3v2});
    o.scope = FileScope::SelectedFiles;
    engine.setOptions(o);

    std::vector<size_t> starts;
    while (engine.findNext() == FindOutcome::Found) starts.push_back(engine.currentMatch()->span.start);
    EXPECT_EQ(starts, (std::vector<size_t>{0, 8, 16}));

    ASSERT_EQ(engine.findNext(), FindOutcome::Found);
    ASSERT_EQ(engine.findNext(), FindOutcome::Found);
    const ReplaceResult result = engine.replaceCurrent("Schule");
    EXPECT_TRUE(result.replaced);
    EXPECT_EQ(result.writes.written, 1);
    EXPECT_EQ(frames(path).at("TIT2"), "\xC3\x89"
                                       "COLE, Schule, \xC3\xA9"
                                       "cole");
    ASSERT_EQ(result.next, FindOutcome::Found);
    EXPECT_EQ(engine.currentMatch()->span.start, 16u);
}

TEST_F(TagFileSourceTest, AReadOnlyFileIsWrittenOnlyWhenTheOptionsIgnoreReadOnlyAndStaysReadOnly) {
    const std::string path = make("a.mp3", {"TIT2=Love Song"}, v1Tag("Love Song", ""));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const std::string before = readBytes(path);
    TagFileSource source({{path}});
    source.setOptions(options_);
    FindReplace engine(source);
    engine.setOptions(searchOptions("love", {SearchField::Title}, {SearchTag::Id3v1, SearchTag::Id3v2}));

    BatchResult result = engine.replaceAll("Hate");
    EXPECT_EQ(result.writes.failed, 1);
    EXPECT_EQ(result.writes.firstError, readOnlyError());
    EXPECT_EQ(result.fieldsWritten, 0);
    EXPECT_TRUE(readBytes(path) == before);

    options_.ignoreReadOnly = true;
    source.setOptions(options_);
    result = engine.replaceAll("Hate");
    EXPECT_EQ(result.writes.written, 1);
    EXPECT_EQ(frames(path).at("TIT2"), "Hate Song");
    EXPECT_EQ(v1Field(path, 3, 30), "Hate Song");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);
}

TEST_F(TagFileSourceTest, Lyrics3FieldsAreSearchedInTheLyrics3BlockOnly) {
    const std::string path = make("a.mp3", {}, v1Tag("Rain", "Someone"));
    {
        AudioFile file;
        ASSERT_TRUE(file.readFile(path, true));
        file.tag().add(TagKind::Lyrics3);
        ASSERT_TRUE(file.tag().setValue(ValueKey::Mood, "rainy"));
        ASSERT_EQ(file.tag().tagWrite(), 0);
    }
    TagFileSource source({{path}});
    source.setOptions(options_);
    FindReplace engine(source);
    engine.setOptions(searchOptions("rain", {SearchField::Mood, SearchField::Title}, {SearchTag::Lyrics3}));
    ASSERT_EQ(engine.findNext(), FindOutcome::Found);
    EXPECT_EQ(engine.currentMatch()->key, ValueKey::Mood);
    EXPECT_EQ(engine.findNext(), FindOutcome::NotFound);

    EXPECT_EQ(engine.add("Sunny, ", TextSide::Beginning).writes.written, 1);
    AudioFile file;
    ASSERT_TRUE(file.readFile(path, true));
    EXPECT_EQ(file.tag().getValue(ValueKey::Mood), "Sunny, rainy");
    EXPECT_EQ(file.tag().getValue(ValueKey::V1Title), "Rain");
}

}  // namespace
