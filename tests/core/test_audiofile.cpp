// SPDX-License-Identifier: GPL-2.0-or-later

// The file object on real folders: reading, handler dispatch, size and truncation,
// move/rename/copy with the overwrite question, and the attribute rules of putTags.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FakeTagSupport.h"
#include "TestSupport.h"
#include "base/FileOps.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;

namespace {

void write(const std::string& path, const std::string& data) { testsupport::writeBytes(path, data); }
std::string read(const std::string& path) { return testsupport::readBytes(path); }

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

mode_t mode(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// A tag handler that records what the file object asks of it.
class RecordingTag : public fakes::ValueTag {
public:
    struct Log {
        int writes = 0;
        int resets = 0;
        int reads = 0;
        mode_t modeAtWrite = 0;
        TagOptions options;
    };
    RecordingTag(Log& log, std::string path, int result = 0)
        : ValueTag({}, false), log_(log), path_(std::move(path)), result_(result) {}
    bool tagRead(AudioFile&) override {
        ++log_.reads;
        return true;
    }
    int tagWrite() override {
        ++log_.writes;
        log_.modeAtWrite = mode(path_);
        return result_;
    }
    std::string getValue(int, const std::string&) override { return "value"; }
    void reset() override { ++log_.resets; }
    void setOptions(const TagOptions& options) override { log_.options = options; }

private:
    Log& log_;
    std::string path_;
    int result_;
};

class ClsFileTest : public ::testing::Test {
protected:
    void SetUp() override { options_.recycleFiles = false; }
    void TearDown() override { AudioFile::setDefaultOverwriteQuestion(nullptr); }
    // A scripted overwrite question that records what it was asked.
    AudioFile::OverwriteQuestion answer(int answer) {
        return [this, answer](const std::string& s, const std::string& d) {
            asked_.push_back(s + " -> " + d);
            return answer;
        };
    }
    TagOptions options_;
    testsupport::TempFolder scratch_;
    const std::string dir_ = scratch_.path();
    std::vector<std::string> asked_;
};

}  // namespace

TEST_F(ClsFileTest, ReadFileBindsOnlyExistingFiles) {
    AudioFile f;
    f.setOptions(options_);
    write(dir_ + "empty.mp3", "");
    ASSERT_TRUE(f.readFile(dir_ + "empty.mp3", true));
    EXPECT_EQ(f.fullPath(), dir_ + "empty.mp3");
    EXPECT_EQ(f.path(), dir_);
    EXPECT_EQ(f.name(), "empty.mp3");
    EXPECT_EQ(f.fileSize(), 0);

    EXPECT_FALSE(f.readFile(dir_ + "missing.mp3", true));
    EXPECT_FALSE(f.readFile(dir_, true));
    EXPECT_FALSE(f.readFile(dir_ + "..", true));
    EXPECT_FALSE(f.readFile("", true));
    EXPECT_EQ(f.fullPath(), dir_ + "empty.mp3");  // unchanged by the failures

    RecordingTag::Log log;
    f.setTag(std::make_unique<RecordingTag>(log, f.fullPath()));
    f.reset();
    EXPECT_EQ(f.fullPath(), "");
    EXPECT_EQ(log.resets, 1);
    EXPECT_EQ(f.fileSize(), 0);
    EXPECT_EQ(f.tag().getValue(ValueKey::Title), "value");  // Reset keeps the handler object
}

TEST_F(ClsFileTest, HandlersFollowTheExtension) {
    for (const std::string name : {"song.MP3", "song.mp2", "song.ogg", "song.wma", "noext", "mp3"}) {
        SCOPED_TRACE(name);
        write(dir_ + name, std::string(64, '\xff'));
        AudioFile f;
        f.setOptions(options_);
        RecordingTag::Log log;
        f.setTag(std::make_unique<RecordingTag>(log, dir_ + name));
        ASSERT_TRUE(f.readFile(dir_ + name, false));
        // readFile chose fresh handlers: the recording tag is gone.
        for (int key = 0; key < kValueKeyCount; ++key) EXPECT_EQ(f.tag().getValue(key), "") << key;
        EXPECT_EQ(f.tag().getValue(ValueKey::V2Frame, "TIT2"), "");
        EXPECT_FALSE(f.tag().hasTag(TagKind::Id3v1));
        const bool mpeg = name == std::string("song.MP3") || name == std::string("song.mp2");
        if (mpeg) {
            // MPEG files get the ID3 handler and the MPEG reader, which finds no audio here.
            EXPECT_EQ(f.audio().audioType(), "MPEG");
            EXPECT_FALSE(f.audio().isValid());
            EXPECT_EQ(f.tag().tagType(), "");
        } else {
            for (int i = -1; i <= kAudioInfoCount; ++i) EXPECT_EQ(f.audio().getInfo(static_cast<AudioKey>(i)), "");
            EXPECT_EQ(f.audio().audioType(), "");
        }
        EXPECT_EQ(log.reads, 0);
        EXPECT_EQ(f.fileSize(), 64);
    }
    EXPECT_STREQ(kValueKeyNames[ValueKey::Title], "tvTitle");
    EXPECT_STREQ(kValueKeyNames[ValueKey::V2Frame], "tvV2Frame");
    EXPECT_STREQ(kValueKeyNames[ValueKey::OtherInfo], "tvOtherInfo");
    EXPECT_STREQ(kAudioInfoNames[static_cast<int>(AudioKey::SampleRate)], "aiSampleRate");
}

TEST_F(ClsFileTest, OptionsReachEveryHandlerTheFileTakes) {
    TagOptions options;
    options.useId3v1 = TagUse::Always;
    options.trackDigits = 3;
    AudioFile f;
    f.setOptions(options);
    RecordingTag::Log log;
    f.setTag(std::make_unique<RecordingTag>(log, dir_ + "a.mp3"));
    EXPECT_EQ(log.options.useId3v1, TagUse::Always);
    EXPECT_EQ(log.options.trackDigits, 3);
    options.trackDigits = 5;
    f.setOptions(options);
    EXPECT_EQ(log.options.trackDigits, 5);
    EXPECT_EQ(f.options().trackDigits, 5);

    // The handler readFile chooses follows them too: "Always" gives the bare file an ID3v1 tag
    // and the track its digits.
    write(dir_ + "a.mp3", std::string(64, '\0'));
    ASSERT_TRUE(f.readFile(dir_ + "a.mp3", true));
    f.tag().add(TagKind::Id3v2);
    EXPECT_TRUE(f.tag().setValue(ValueKey::V1Title, "Only with ID3v1"));
    EXPECT_TRUE(f.tag().setValue(ValueKey::Track, "7"));
    EXPECT_EQ(f.tag().getValue(ValueKey::V2Track), "00007");
    options.useId3v1 = TagUse::IfWanted;
    f.setOptions(options);
    EXPECT_FALSE(f.tag().setValue(ValueKey::V1Title, "Nowhere to go"));
}

TEST_F(ClsFileTest, FileSizeAndSetFileLength) {
    AudioFile f;
    f.setOptions(options_);
    write(dir_ + "a.mp3", "0123456789");
    ASSERT_TRUE(f.readFile(dir_ + "a.mp3", false));
    EXPECT_FALSE(f.setFileLength(10));
    EXPECT_FALSE(f.setFileLength(11));
    EXPECT_FALSE(f.setFileLength(-1));
    EXPECT_EQ(read(dir_ + "a.mp3"), "0123456789");
    EXPECT_TRUE(f.setFileLength(4));
    EXPECT_EQ(read(dir_ + "a.mp3"), "0123");
    EXPECT_TRUE(f.setFileLength(0));
    EXPECT_EQ(f.fileSize(), 0);

    // Sizes past 2 GiB (a sparse file costs no space).
    const int fd = ::open((dir_ + "big.bin").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const int64_t big = (int64_t{3} << 30) + 5;
    ASSERT_EQ(::ftruncate(fd, big), 0);
    ::close(fd);
    ASSERT_TRUE(f.readFile(dir_ + "big.bin", false));
    EXPECT_EQ(f.fileSize(), big);
    EXPECT_TRUE(f.setFileLength(big - 5));
    EXPECT_EQ(f.fileSize(), big - 5);
}

TEST_F(ClsFileTest, MoveAsksBeforeReplacingAndFollowsTheFile) {
    ASSERT_TRUE(createFolderTree(dir_ + "target"));
    write(dir_ + "a.mp3", "mine");
    write(dir_ + "target/a.mp3", "theirs");
    AudioFile f;
    f.setOptions(options_);
    ASSERT_TRUE(f.readFile(dir_ + "a.mp3", false));

    // Nothing to do: empty, the own folder (however spelled), the root.
    EXPECT_EQ(f.move(""), 0);
    EXPECT_EQ(f.move(dir_), 0);
    EXPECT_EQ(f.move(dir_.substr(0, dir_.size() - 1)), 0);
    EXPECT_EQ(f.move(dir_ + "target/../"), 0);
    EXPECT_EQ(f.move("/"), 0);
    EXPECT_EQ(f.fullPath(), dir_ + "a.mp3");
    EXPECT_TRUE(asked_.empty());

    // Without a question the answer is "skip".
    EXPECT_EQ(f.move(dir_ + "target"), -1);
    f.setOverwriteQuestion(answer(FileExistAction::Skip));
    EXPECT_EQ(f.move(dir_ + "target"), -1);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0], dir_ + "a.mp3 -> " + dir_ + "target/a.mp3");
    EXPECT_EQ(read(dir_ + "target/a.mp3"), "theirs");
    EXPECT_EQ(f.fullPath(), dir_ + "a.mp3");

    f.setOverwriteQuestion(answer(FileExistAction::Replace));
    EXPECT_EQ(f.move(dir_ + "target//"), 0);
    EXPECT_EQ(f.fullPath(), dir_ + "target/a.mp3");
    EXPECT_EQ(read(dir_ + "target/a.mp3"), "mine");
    EXPECT_FALSE(exists(dir_ + "a.mp3"));

    // A failed move keeps the old path.
    EXPECT_EQ(f.move(dir_ + "missing/"), ENOENT);
    EXPECT_EQ(f.fullPath(), dir_ + "target/a.mp3");
    EXPECT_EQ(read(f.fullPath()), "mine");
}

TEST_F(ClsFileTest, RenameComparesNamesExactly) {
    write(dir_ + "a.mp3", "lower");
    AudioFile f;
    f.setOptions(options_);
    f.setOverwriteQuestion(answer(FileExistAction::Skip));
    ASSERT_TRUE(f.readFile(dir_ + "a.mp3", false));
    EXPECT_EQ(f.rename("a.mp3"), 0);
    EXPECT_EQ(f.rename("other/folder/"), 0);
    EXPECT_EQ(f.rename(""), 0);

    // Only the case changes and no other file has that name: renamed without a question.
    EXPECT_EQ(f.rename("A.mp3"), 0);
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(f.fullPath(), dir_ + "A.mp3");
    EXPECT_EQ(read(dir_ + "A.mp3"), "lower");

    // Another file whose name differs only in case is another file: the question comes.
    write(dir_ + "a.mp3", "second");
    EXPECT_EQ(f.rename("a.mp3"), -1);
    EXPECT_EQ(asked_.size(), 1u);
    EXPECT_EQ(read(dir_ + "a.mp3"), "second");
    EXPECT_EQ(read(dir_ + "A.mp3"), "lower");

    // The new name loses any folder part; a hard link of the same file is no other file.
    ASSERT_EQ(::link((dir_ + "A.mp3").c_str(), (dir_ + "link.mp3").c_str()), 0);
    EXPECT_EQ(f.rename("/elsewhere/link.mp3"), 0);
    EXPECT_EQ(asked_.size(), 1u);
    EXPECT_EQ(f.fullPath(), dir_ + "link.mp3");
    EXPECT_EQ(read(f.fullPath()), "lower");

    f.setOverwriteQuestion(answer(FileExistAction::Replace));
    EXPECT_EQ(f.rename("a.mp3"), 0);
    EXPECT_EQ(read(dir_ + "a.mp3"), "lower");
    EXPECT_EQ(f.fullPath(), dir_ + "a.mp3");
}

TEST_F(ClsFileTest, CopyNeverOverwritesItsOwnSource) {
    ASSERT_TRUE(createFolderTree(dir_ + "sub"));
    write(dir_ + "a.mp3", "source");
    write(dir_ + "sub/b.mp3", "old");
    AudioFile::setDefaultOverwriteQuestion(answer(FileExistAction::Skip));
    AudioFile f;  // takes the default question
    f.setOptions(options_);
    ASSERT_TRUE(f.readFile(dir_ + "a.mp3", false));

    EXPECT_EQ(f.copy(""), 0);
    EXPECT_EQ(f.copy(dir_ + "a.mp3"), 0);
    EXPECT_EQ(f.copy(dir_ + "sub/../a.mp3"), 0);
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(read(dir_ + "a.mp3"), "source");

    EXPECT_EQ(f.copy(dir_ + "sub/b.mp3"), -1);
    EXPECT_EQ(read(dir_ + "sub/b.mp3"), "old");
    f.setOverwriteQuestion(answer(FileExistAction::Replace));
    EXPECT_EQ(f.copy(dir_ + "sub/b.mp3"), 0);
    EXPECT_EQ(read(dir_ + "sub/b.mp3"), "source");
    EXPECT_EQ(f.copy(dir_ + "sub/A.mp3"), 0);
    EXPECT_EQ(asked_.size(), 2u);
    EXPECT_EQ(f.fullPath(), dir_ + "a.mp3");
    EXPECT_EQ(f.copy(dir_ + "none/c.mp3"), ENOENT);
}

TEST_F(ClsFileTest, NamesThatAreNotUtf8) {
    ASSERT_TRUE(createFolderTree(dir_ + "\xff"));
    write(dir_ + "\xfe\xff.mp3", "raw");
    AudioFile f;
    f.setOptions(options_);
    ASSERT_TRUE(f.readFile(dir_ + "\xfe\xff.mp3", true));
    EXPECT_EQ(f.name(), "\xfe\xff.mp3");
    EXPECT_EQ(f.rename("\xff\xff.mp3"), 0);
    EXPECT_EQ(f.copy(dir_ + "\xff/copy \xfe.mp3"), 0);
    EXPECT_EQ(f.move(dir_ + "\xff"), 0);
    EXPECT_EQ(f.fullPath(), dir_ + "\xff/\xff\xff.mp3");
    EXPECT_EQ(read(f.fullPath()), "raw");
    EXPECT_EQ(read(dir_ + "\xff/copy \xfe.mp3"), "raw");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST_F(ClsFileTest, PutTagsReadOnlyAndAttributeRules) {
    struct Case {
        const char* name;
        mode_t mode;
        bool ignoreReadOnly, setAttributes, readOnly;
        int expectWrites;
        mode_t modeAtWrite, modeAfter;
    };
    const Case cases[] = {
        {"plain.mp3", 0644, false, false, false, 1, 0644, 0644},
        // Exactly read-only: left alone unless the option says to ignore it.
        {"ro.mp3", 0444, false, false, false, 0, 0, 0444},
        {"ro.mp3", 0444, true, false, false, 1, 0644, 0444},
        // Read-only and hidden is not "exactly read-only": written, then restored.
        {".ro.mp3", 0444, false, false, false, 1, 0644, 0444},
        // New attributes from the options replace the old ones.
        {"ro.mp3", 0444, true, true, false, 1, 0644, 0644},
        {"plain.mp3", 0664, false, true, true, 1, 0664, 0444},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " mode " + std::to_string(c.mode));
        const std::string path = dir_ + c.name;
        write(path, "data");
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        options_.ignoreReadOnly = c.ignoreReadOnly;
        options_.changeAttributes = c.setAttributes;
        options_.readOnly = c.readOnly;
        options_.hidden = true;  // never set on Linux
        options_.archive = true;
        AudioFile f;
        f.setOptions(options_);
        ASSERT_TRUE(f.readFile(path, false));
        RecordingTag::Log log;
        f.setTag(std::make_unique<RecordingTag>(log, path));
        EXPECT_EQ(f.putTags(), 0);
        EXPECT_EQ(log.writes, c.expectWrites);
        if (c.expectWrites) {
            EXPECT_EQ(log.modeAtWrite, c.modeAtWrite);
        }
        EXPECT_EQ(mode(path), c.modeAfter);
        EXPECT_TRUE(exists(path));
        std::filesystem::remove(path);
    }

    // The handler's error is the result, and the attributes still come back.
    write(dir_ + "fail.mp3", "x");
    ::chmod((dir_ + "fail.mp3").c_str(), 0444);
    options_.ignoreReadOnly = true;
    options_.changeAttributes = false;
    AudioFile f;
    f.setOptions(options_);
    ASSERT_TRUE(f.readFile(dir_ + "fail.mp3", false));
    RecordingTag::Log log;
    f.setTag(std::make_unique<RecordingTag>(log, dir_ + "fail.mp3", ENOSPC));
    EXPECT_EQ(f.putTags(), ENOSPC);
    EXPECT_EQ(mode(dir_ + "fail.mp3"), 0444u);
}
