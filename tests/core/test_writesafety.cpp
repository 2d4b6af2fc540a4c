// SPDX-License-Identifier: GPL-2.0-or-later

// Tag writes against crashes, other programs and odd files: a process killed halfway through
// its largest write leaves every file as before or as intended (for mutagen too), a file
// changed after it was read is not overwritten, links and non-audio files are handled, hard
// links, owners and extended attributes survive, leftovers of killed runs are tidied, and a
// tag claiming more than the file holds is repaired.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ID3TestSupport.h"
#include "app/Settings.h"
#include "base/FileOps.h"
#include "tags/AudioFile.h"
#include "tags/TagFileWriter.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

using namespace id3test;
using testsupport::haveMutagen;
using testsupport::shellQuote;

namespace {

std::string shell(const std::string& command) { return id3test::commandOutput(command); }

// Title and picture size as mutagen reads the file ("error" when it cannot).
std::string mutagen(const std::string& path) {
    return shell("/usr/bin/python3 -c 'import sys\nfrom mutagen.id3 import ID3\ntry:\n t=ID3(sys.argv[1])\n"
                 " p=t.getall(\"APIC\")\n print(str(t.get(\"TIT2\",\"\")) + \"|\" + str(len(p[0].data) if p else 0))\n"
                 "except Exception as e:\n print(\"error\")' " +
                 shellQuote(path) + " 2>&1");
}

// Lowers, for one scope, the size up to which this process may write files: a write past it
// fails with EFBIG (SIGXFSZ is ignored meanwhile). Nothing may be reported inside the scope,
// as the test's own output may be a file too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : signal_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit lower = saved_;
        lower.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, signal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*signal_)(int);
};

struct Outcome {
    bool killed = false;
    int status = -1;
    std::string err;
};

class WriteSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ini_ = dir_.file("settings.ini");
        writeBytes(ini_, "[Tags]\nUseID3v1=1\nUseID3v2=1\nUseLyrics3=3\nbTAGKeepSync=False\n"
                         "[ID3v2]\nlAddPaddingSize=2048\nlMaxPaddingSize=1000000\n");
    }

    // The options of the settings file above, for the writes of the tests themselves.
    static TagOptions options() {
        TagOptions o;
        o.useId3v1 = TagUse::IfWanted;
        o.useId3v2 = TagUse::IfWanted;
        o.useLyrics3 = TagUse::Never;
        o.keepInSync = false;
        o.addPaddingSize = 2048;
        o.maxPaddingSize = 1000000;
        return o;
    }

    // vorda-cli with args, under the cut shim when env is not empty ("WRITE_CUT_MIN=... ").
    Outcome cli(const std::string& env, const std::vector<std::string>& args) {
        std::string command = "exec env " + env;
        if (!env.empty()) {
            // A sanitizer build's runtime wants to be the first library; the shim is preloaded
            // ahead of it on purpose, so that check is turned off for the child.
            const char* asan = std::getenv("ASAN_OPTIONS");
            command += " ASAN_OPTIONS=" + shellQuote(std::string(asan ? asan : "") + ":verify_asan_link_order=0");
            command += " LD_PRELOAD=" + shellQuote(VORDA_WRITE_CUT_SHIM);
        }
        command += " " + shellQuote(VORDA_CLI_PATH);
        for (const std::string& a : args) command += " " + shellQuote(a);
        command += " 2>" + shellQuote(dir_.file("err.txt")) + " >/dev/null </dev/null";
        const int raw = std::system(command.c_str());
        Outcome o;
        o.killed = WIFSIGNALED(raw);
        o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        o.err = readBytes(dir_.file("err.txt"));
        return o;
    }
    Outcome set(const std::string& env, const std::string& path, const std::string& assignment) {
        return cli(env, {"set", "--settings", ini_, assignment, path});
    }

    // A tag with a title, a picture of pictureBytes behind it and room, the audio, an ID3v1 tag.
    std::string taggedFile(const std::string& name, size_t pictureBytes, size_t padding = 600) {
        const std::string path = dir_.file(name);
        std::string picture(pictureBytes, '\0');
        for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<char>((i * 7919) >> 3);
        writeBytes(path,
                   v23Tag({{"TIT2", "Old title"}, {"APIC", std::string("image/png\0\x03\0", 12) + picture}}, padding) +
                       audio_ + v1Tag("Old title"));
        return path;
    }

    static void expectFileReads(const std::string& path, const std::string& title, size_t picture) {
        AudioFile f;
        f.setOptions(options());
        ASSERT_TRUE(f.readFile(path, true));
        EXPECT_EQ(f.tag().getValue(ValueKey::V2Title), title);
        if (haveMutagen()) {
            EXPECT_EQ(mutagen(path), title + "|" + std::to_string(picture) + "\n");
        }
    }

    std::vector<std::string> tempLeftovers() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_.dir()))
            if (e.path().filename().string().rfind(".~vorda-", 0) == 0) names.push_back(e.path().filename());
        return names;
    }

    Scratch dir_;
    std::string ini_;
    const std::string audio_ = mp3Audio(300, 11);
};

// ---------------------------------------------------------------- crashes

TEST_F(WriteSafetyTest, KillHalfwayThroughTheLargestWriteLeavesEveryFileBeforeOrAfter) {
    constexpr size_t kPicture = 3 << 20;
    struct Case {
        std::string what;
        std::string assignment;  // the change
        std::string nth;         // which large write is cut
    };
    // A longer title with room (once written over the picture in place), a title too long
    // for the room (a rebuild: cut in the tag and in the copy of the audio).
    const std::vector<Case> cases = {
        {"grow within the room, first large write", "tvV2Title=Longer new title", "1"},
        {"grow within the room, second large write", "tvV2Title=Longer new title", "2"},
        {"grow past the room, the tag", "tvV2Title=" + std::string(900, 'T'), "1"},
        {"grow past the room, the audio", "tvV2Title=" + std::string(900, 'T'), "2"},
    };
    int crashes = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = taggedFile("crash.mp3", kPicture);
        const std::string before = readBytes(path);
        const std::string expected = dir_.file("expected.mp3");
        writeBytes(expected, before);
        ASSERT_EQ(set("", expected, c.assignment).status, 0);
        const std::string after = readBytes(expected);
        ASSERT_NE(after, before);

        const Outcome o = set("WRITE_CUT_MIN=8192 WRITE_CUT_NTH=" + c.nth, path, c.assignment);
        if (o.killed) ++crashes;
        // The next run in the folder finds the file whole, and leaves no leftover behind.
        AudioFile reread;
        reread.setOptions(options());
        ASSERT_TRUE(reread.readFile(path, true));
        const std::string now = readBytes(path);
        EXPECT_TRUE(now == before || now == after) << "torn file, size " << now.size();
        expectFileReads(path, now == after ? c.assignment.substr(10) : "Old title", kPicture);
        std::filesystem::remove(expected);
    }
    EXPECT_GE(crashes, 3);
}

TEST_F(WriteSafetyTest, KilledRewriteOfAHardLinkedFileIsUndoneAtTheNextRead) {
    constexpr size_t kPicture = 1 << 20;
    const std::string path = taggedFile("linked.mp3", kPicture);
    const std::string other = dir_.file("other-name.mp3");
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    const std::string before = readBytes(path);
    const std::string title = "tvV2Title=" + std::string(900, 'H');

    // Cut in the rewrite of the file itself (the undo copy is the first large write).
    const Outcome o = set("WRITE_CUT_MIN=8192 WRITE_CUT_NTH=3", path, title);
    EXPECT_TRUE(o.killed);
    AudioFile f;
    f.setOptions(options());
    ASSERT_TRUE(f.readFile(other, true));  // puts the old bytes back
    EXPECT_EQ(readBytes(path), before);
    EXPECT_TRUE(tempLeftovers().empty());
    expectFileReads(other, "Old title", kPicture);

    // Done without a crash, both names show the new tag and stay one file.
    ASSERT_EQ(set("", path, title).status, 0);
    EXPECT_EQ(inodeOf(path), inodeOf(other));
    expectFileReads(other, std::string(900, 'H'), kPicture);
    EXPECT_TRUE(tempLeftovers().empty());
}

TEST_F(WriteSafetyTest, SmallChangesStayInPlaceAndLargeOnesAreRebuilt) {
    const std::string path = taggedFile("a.mp3", 200000);
    const ino_t inode = inodeOf(path);
    // The title frame ahead of the picture keeps its length: one small write in place.
    ASSERT_EQ(set("", path, "tvV2Title=New title").status, 0);
    EXPECT_EQ(inodeOf(path), inode);
    expectFileReads(path, "New title", 200000);
    // A longer title moves the picture: the same layout, written through a new file.
    const auto size = std::filesystem::file_size(path);
    ASSERT_EQ(set("", path, "tvV2Title=A much longer title").status, 0);
    EXPECT_NE(inodeOf(path), inode);
    EXPECT_EQ(std::filesystem::file_size(path), size);
    expectFileReads(path, "A much longer title", 200000);
    const std::string bytes = readBytes(path);
    AudioFile f;
    f.setOptions(options());
    ASSERT_TRUE(f.readFile(path, true));
    EXPECT_EQ(bytes.compare(static_cast<size_t>(f.tag().tagSize()), audio_.size(), audio_), 0);
}

TEST_F(WriteSafetyTest, AWriteTheFileSystemRefusesIsReportedAndChangesNothing) {
    const std::string path = taggedFile("a.mp3", 1000);
    const std::string before = readBytes(path);
    // Titles of the same length: each change is one small write in place, into the ID3v1 tag
    // at the end of the file or into the ID3v2 tag at its start; the limit refuses it.
    const std::pair<int, rlim_t> cases[] = {{ValueKey::V1Title, before.size() - 128}, {ValueKey::V2Title, 16}};
    for (const auto& [key, limit] : cases) {
        SCOPED_TRACE(key);
        AudioFile f;
        f.setOptions(options());
        ASSERT_TRUE(f.readFile(path, true));
        f.tag().setValue(key, "New title");
        int result = 0;
        {
            FileSizeLimit refuse(limit);
            result = f.putTags();
        }
        EXPECT_NE(result, 0);
        EXPECT_EQ(readBytes(path), before);
        EXPECT_TRUE(tempLeftovers().empty());
    }
}

// ---------------------------------------------------------------- other programs

TEST_F(WriteSafetyTest, AFileChangedAfterItWasReadIsNotOverwritten) {
    const std::string path = taggedFile("a.mp3", 1000);
    // Another program puts an album into the padding: same length, new content.
    AudioFile f;
    f.setOptions(options());
    ASSERT_TRUE(f.readFile(path, true));
    const std::string theirs = v23Tag({{"TIT2", "Old title"},
                                       {"APIC", std::string("image/png\0\x03\0", 12) + std::string(1000, 'p')},
                                       {"TALB", "Their album"}},
                                      600 - 22) +
                               audio_ + v1Tag("Old title");
    ASSERT_EQ(theirs.size(), readBytes(path).size());
    writeBytes(path, theirs);
    f.tag().setValue(ValueKey::V2Title, "Mine");
    EXPECT_EQ(f.putTags(), errorNumber(WriteError::FileChanged));
    EXPECT_EQ(readBytes(path), theirs);
    EXPECT_NE(errorText(errorNumber(WriteError::FileChanged)).find("changed by another program"), std::string::npos);

    // Replaced by a rename: the new file is left alone too, also when the change is a rebuild.
    AudioFile g;
    g.setOptions(options());
    ASSERT_TRUE(g.readFile(path, true));
    const std::string replacement = dir_.file("replacement.mp3");
    writeBytes(replacement, theirs);
    ASSERT_EQ(::rename(replacement.c_str(), path.c_str()), 0);
    g.tag().setValue(ValueKey::V2Title, std::string(2000, 'x'));
    EXPECT_EQ(g.putTags(), errorNumber(WriteError::FileChanged));
    EXPECT_EQ(readBytes(path), theirs);

    // Read again, the edit goes through.
    ASSERT_TRUE(g.readFile(path, true));
    g.tag().setValue(ValueKey::V2Title, "Mine");
    ASSERT_EQ(g.putTags(), 0);
    AudioFile h;
    h.setOptions(options());
    ASSERT_TRUE(h.readFile(path, true));
    EXPECT_EQ(h.tag().getValue(ValueKey::V2Album), "Their album");
    EXPECT_EQ(h.tag().getValue(ValueKey::V2Title), "Mine");
}

TEST_F(WriteSafetyTest, ARebuildWhoseSourceGrowsWhileCopyingDoesNotReplaceIt) {
    const std::string path = taggedFile("a.mp3", 300000);
    const std::string before = readBytes(path);
    // 100,000 bytes appended at the first large write of the rebuild.
    const Outcome o =
        set("WRITE_CUT_MIN=8192 WRITE_CUT_APPEND=" + shellQuote(path), path, "tvV2Title=" + std::string(900, 'x'));
    EXPECT_FALSE(o.killed);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("changed by another program"), std::string::npos) << o.err;
    const std::string now = readBytes(path);
    ASSERT_EQ(now.size(), before.size() + 100000);
    EXPECT_EQ(now.compare(0, before.size(), before), 0);
    EXPECT_TRUE(tempLeftovers().empty());
}

TEST_F(WriteSafetyTest, BatchedRebuildsLandTogetherAndSkipFilesChangedMeanwhile) {
    const std::vector<std::string> paths = {taggedFile("a.mp3", 2000), taggedFile("b.mp3", 2000),
                                            taggedFile("c.mp3", 2000)};
    const std::string oldA = readBytes(paths[0]);
    const std::string longTitle(900, 'B');
    vorda::tags::DeferredRebuilds batch;
    for (const std::string& path : paths) {
        AudioFile f;
        f.setOptions(options());
        ASSERT_TRUE(f.readFile(path, true));
        f.tag().setValue(ValueKey::V2Title, longTitle);
        ASSERT_EQ(f.putTags(), 0);
    }
    // Not yet in place, but read as written; a second write of a pending file puts the batch
    // in place first.
    EXPECT_EQ(readBytes(paths[0]), oldA);
    AudioFile again;
    again.setOptions(options());
    ASSERT_TRUE(again.readFile(paths[1], true));
    EXPECT_EQ(again.tag().getValue(ValueKey::V2Title), longTitle);
    again.tag().setValue(ValueKey::V2Artist, "Second write");
    ASSERT_EQ(again.putTags(), 0);
    EXPECT_NE(readBytes(paths[0]), oldA);
    EXPECT_TRUE(batch.commit().empty());

    // Another program appends to a file whose rebuild is pending: that file keeps its change.
    for (const std::string& path : paths) {
        AudioFile f;
        f.setOptions(options());
        ASSERT_TRUE(f.readFile(path, true));
        f.tag().setValue(ValueKey::V2Title, std::string(3000, 'C'));
        ASSERT_EQ(f.putTags(), 0);
    }
    const std::string theirs = readBytes(paths[2]) + "appended";
    writeBytes(paths[2], theirs);
    const auto failures = batch.commit();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].path, paths[2]);
    EXPECT_EQ(failures[0].error, errorNumber(WriteError::FileChanged));
    EXPECT_EQ(readBytes(paths[2]), theirs);
    expectFileReads(paths[0], std::string(3000, 'C'), 2000);
    AudioFile b;
    b.setOptions(options());
    ASSERT_TRUE(b.readFile(paths[1], true));
    EXPECT_EQ(b.tag().getValue(ValueKey::V2Artist), "Second write");
    EXPECT_TRUE(tempLeftovers().empty());
}

// A run over many files in one folder: every file is whole and its own, whatever the run
// reuses on the way; a file another program holds open keeps reading its old bytes.
TEST_F(WriteSafetyTest, ALargeBatchLeavesEachFileItsOwnBytesAttributesAndOpenReaders) {
    std::vector<std::string> paths;
    std::vector<mode_t> modes;
    for (int i = 0; i < 150; ++i) {
        // Pictures of several sizes: the files grow, shrink and stay as large as others.
        paths.push_back(taggedFile("f" + std::to_string(i) + ".mp3", i % 3 == 0 ? 20000 : 1000 + 40 * i));
        if (i == 1) ::chmod(paths.back().c_str(), 0600);
        if (i == 2) ::chmod(paths.back().c_str(), 0640);
        struct stat st {};
        ASSERT_EQ(::stat(paths.back().c_str(), &st), 0);
        modes.push_back(st.st_mode & 07777);
    }
    const bool haveXattr = ::setxattr(paths[1].c_str(), "user.rating", "5", 1, 0) == 0;
    // Held open by players through the whole run, early and late in it.
    std::vector<std::pair<int, std::string>> held;
    for (const size_t i : {size_t(0), size_t(70), size_t(149)}) {
        held.emplace_back(::open(paths[i].c_str(), O_RDONLY | O_CLOEXEC), readBytes(paths[i]));
        ASSERT_GE(held.back().first, 0);
    }

    std::vector<std::string> args = {"set", "--settings", ini_, "tvV2Title=" + std::string(900, 'N')};
    args.insert(args.end(), paths.begin(), paths.end());
    const Outcome o = cli("", args);
    ASSERT_EQ(o.status, 0) << o.err;

    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        AudioFile f;
        f.setOptions(options());
        ASSERT_TRUE(f.readFile(paths[i], true));
        EXPECT_EQ(f.tag().getValue(ValueKey::V2Title), std::string(900, 'N'));
        const std::string bytes = readBytes(paths[i]);
        const auto start = static_cast<size_t>(f.tag().tagSize());
        ASSERT_EQ(bytes.size(), start + audio_.size() + 128);
        EXPECT_TRUE(bytes.compare(start, audio_.size(), audio_) == 0) << "audio damaged";
        struct stat st {};
        ASSERT_EQ(::stat(paths[i].c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, modes[i]);
        EXPECT_EQ(st.st_nlink, 1u);
        char value[8] = {};
        if (haveXattr) {
            EXPECT_EQ(::getxattr(paths[i].c_str(), "user.rating", value, sizeof value), i == 1 ? 1 : -1);
        }
    }
    for (const auto& [fd, before] : held) {
        std::string now(before.size() + 1, '\0');
        EXPECT_EQ(::pread(fd, now.data(), now.size(), 0), static_cast<ssize_t>(before.size()));
        now.resize(before.size());
        EXPECT_TRUE(now == before) << "an open reader's file changed";
        ::close(fd);
    }
    EXPECT_TRUE(tempLeftovers().empty());
    if (haveMutagen()) {
        EXPECT_EQ(mutagen(paths[0]), std::string(900, 'N') + "|20000\n");
        EXPECT_EQ(mutagen(paths[149]), std::string(900, 'N') + "|" + std::to_string(1000 + 40 * 149) + "\n");
    }

    // Killed while the audio of a late file is copied: each file is old or new and whole, and
    // what the run leaves under its own names goes at a later run once it is old.
    std::vector<std::string> before;
    for (const std::string& path : paths) before.push_back(readBytes(path));
    args[3] = "tvV2Title=" + std::string(1500, 'K');
    const std::string cut = "WRITE_CUT_MIN=" + std::to_string(audio_.size()) + " WRITE_CUT_NTH=100";
    ASSERT_TRUE(cli(cut, args).killed);
    int changed = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        AudioFile f;
        f.setOptions(options());
        ASSERT_TRUE(f.readFile(paths[i], true));
        const std::string title = f.tag().getValue(ValueKey::V2Title);
        if (title == std::string(1500, 'K')) {
            ++changed;
            const std::string bytes = readBytes(paths[i]);
            const auto start = static_cast<size_t>(f.tag().tagSize());
            ASSERT_EQ(bytes.size(), start + audio_.size() + 128);
            EXPECT_TRUE(bytes.compare(start, audio_.size(), audio_) == 0) << "audio damaged";
        } else {
            EXPECT_TRUE(readBytes(paths[i]) == before[i]) << "torn file";
        }
    }
    EXPECT_LT(changed, 100);
    ASSERT_FALSE(tempLeftovers().empty());
    const struct timeval old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    for (const std::string& name : tempLeftovers()) ASSERT_EQ(::utimes(dir_.file(name).c_str(), old), 0);
    EXPECT_EQ(set("", paths[0], "tvV2Title=Next").status, 0);
    EXPECT_TRUE(tempLeftovers().empty());
}

// ---------------------------------------------------------------- links and odd files

TEST_F(WriteSafetyTest, LinksToTextFilesAndDevicesAreNeverWritten) {
    const std::string text = dir_.file("notes.txt");
    const std::string content = "shopping list\nmilk\n";
    writeBytes(text, content);
    const std::string link = dir_.file("song.mp3");
    ASSERT_EQ(::symlink(text.c_str(), link.c_str()), 0);
    const std::string plain = dir_.file("plain.mp3");
    writeBytes(plain, content);

    // Settings under which every command writes both tags.
    const std::string always = dir_.file("always.ini");
    writeBytes(always, "[Tags]\nUseID3v1=2\nUseID3v2=2\nUseLyrics3=3\n");
    for (const std::string& target : {link, plain}) {
        SCOPED_TRACE(target);
        Outcome o = cli("", {"set", "--settings", always, "tvTitle=Hello", target});
        EXPECT_EQ(o.status, 1);
        EXPECT_NE(o.err.find("neither an ID3 tag nor MPEG audio"), std::string::npos) << o.err;
        o = cli("", {"set", "--settings", ini_, "--add", "tkAll", "tvTitle=Hello", target});
        EXPECT_EQ(o.status, 1);
        o = cli("", {"tracks", "--settings", always, "--start", "1", target});
        EXPECT_EQ(o.status, 1);
        o = cli("", {"fix", "--settings", always, "--in", "<title>", target});
        EXPECT_EQ(o.status, 1);
    }
    EXPECT_EQ(readBytes(text), content);
    EXPECT_EQ(readBytes(plain), content);

    const std::string device = dir_.file("null.mp3");
    ASSERT_EQ(::symlink("/dev/null", device.c_str()), 0);
    EXPECT_NE(cli("", {"set", "--settings", ini_, "--add", "tkAll", "tvTitle=x", device}).status, 0);
}

TEST_F(WriteSafetyTest, LinksToMusicChangeTheFileAndStayLinks) {
    std::filesystem::create_directory(dir_.file("music"));
    const std::string real = dir_.file("music/real.mp3");
    writeBytes(real, v23Tag({{"TIT2", "Old"}}, 100) + audio_);
    const std::string link = dir_.file("link.mp3");
    ASSERT_EQ(::symlink("music/real.mp3", link.c_str()), 0);

    ASSERT_EQ(set("", link, "tvV2Title=New").status, 0);                       // in place
    ASSERT_EQ(set("", link, "tvV2Title=" + std::string(500, 'R')).status, 0);  // rebuilt
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    expectFileReads(real, std::string(500, 'R'), 0);
    EXPECT_TRUE(tempLeftovers().empty());
}

TEST_F(WriteSafetyTest, RebuildKeepsAttributesAndOtherOwnersFilesAreChangedInPlace) {
    const std::string path = taggedFile("a.mp3", 5000);
    ::chmod(path.c_str(), 0640);
    const bool haveXattr = ::setxattr(path.c_str(), "user.rating", "5", 1, 0) == 0;
    ASSERT_EQ(set("", path, "tvV2Title=" + std::string(900, 'A')).status, 0);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (haveXattr) {
        char value[8] = {};
        EXPECT_EQ(::getxattr(path.c_str(), "user.rating", value, sizeof value), 1);
        EXPECT_EQ(value[0], '5');
    }

    // A group-writable file of another owner, changed by a member of the group.
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to create a file of another owner";
    constexpr uid_t kOwner = 4242;
    constexpr uid_t kWriter = 4343;
    constexpr gid_t kGroup = 4444;
    ASSERT_EQ(::chmod(dir_.dir().c_str(), 0777), 0);
    const std::string shared = taggedFile("shared.mp3", 5000);
    ASSERT_EQ(::chown(shared.c_str(), kOwner, kGroup), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 0664), 0);
    const ino_t inode = inodeOf(shared);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kGroup, kGroup, kGroup) != 0 ||
            ::setresuid(kWriter, kWriter, kWriter) != 0)
            ::_exit(3);
        AudioFile f;
        f.setOptions(options());
        if (!f.readFile(shared, true)) ::_exit(4);
        f.tag().setValue(ValueKey::V2Title, std::string(900, 'G'));
        ::_exit(f.putTags() == 0 ? 0 : 5);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_EQ(::stat(shared.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOwner);
    EXPECT_EQ(st.st_gid, kGroup);
    EXPECT_EQ(inodeOf(shared), inode);
    expectFileReads(shared, std::string(900, 'G'), 5000);
    EXPECT_TRUE(tempLeftovers().empty());
}

// ---------------------------------------------------------------- leftovers and damaged tags

TEST_F(WriteSafetyTest, StaleTemporaryFilesOfKilledRunsAreRemovedOnlyWhenNobodyWritesThem) {
    const std::string path = taggedFile("a.mp3", 1000);
    // A killed rebuild leaves its temporary file.
    EXPECT_TRUE(set("WRITE_CUT_MIN=8192", path, "tvV2Title=" + std::string(900, 'x')).killed);
    ASSERT_EQ(tempLeftovers().size(), 1u);
    const std::string killed = dir_.file(tempLeftovers()[0]);
    const std::string fresh = dir_.file(".~vorda-fresh1");
    const std::string held = dir_.file(".~vorda-held01");
    const std::string foreign = dir_.file(".~other-file");
    writeBytes(fresh, "x");
    writeBytes(held, "x");
    writeBytes(foreign, "x");
    const struct timeval old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    for (const std::string& p : {killed, held, foreign}) ASSERT_EQ(::utimes(p.c_str(), old), 0);
    const int lock = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);

    EXPECT_EQ(set("", path, "tvV2Title=Next").status, 0);
    EXPECT_FALSE(std::filesystem::exists(killed));
    EXPECT_TRUE(std::filesystem::exists(fresh));    // may be a running write's
    EXPECT_TRUE(std::filesystem::exists(held));     // is a running write's
    EXPECT_TRUE(std::filesystem::exists(foreign));  // not Vorda's
    ::close(lock);
}

TEST_F(WriteSafetyTest, ATagClaimingMoreThanTheFileHoldsIsRepairedByRewriteAndRemoval) {
    // The header claims 1 MB more than there is; the audio follows the frames directly.
    std::string tag = v23Tag({{"TIT2", "Broken"}, {"TPE1", "Artist"}}, 0);
    const uint32_t claimed = static_cast<uint32_t>(tag.size() - 10 + audio_.size() + 1000000);
    tag.replace(6, 4, id3v2::writeSynchsafe(claimed));
    const std::string damaged = tag + audio_ + v1Tag("Broken");
    const std::string a = dir_.file("a.mp3");
    const std::string b = dir_.file("b.mp3");
    writeBytes(a, damaged);
    writeBytes(b, damaged);

    ASSERT_EQ(set("", a, "tvV2Title=Fixed").status, 0) << readBytes(dir_.file("err.txt"));
    AudioFile f;
    f.setOptions(options());
    ASSERT_TRUE(f.readFile(a, true));
    EXPECT_EQ(f.tag().getValue(ValueKey::V2Title), "Fixed");
    EXPECT_EQ(f.tag().getValue(ValueKey::V2Artist), "Artist");
    const std::string bytes = readBytes(a);
    ASSERT_EQ(bytes.size(), static_cast<size_t>(f.tag().tagSize()) + audio_.size() + 128);
    EXPECT_EQ(bytes.compare(static_cast<size_t>(f.tag().tagSize()), audio_.size(), audio_), 0);
    if (haveMutagen()) {
        EXPECT_EQ(mutagen(a), "Fixed|0\n");
    }

    ASSERT_EQ(cli("", {"set", "--settings", ini_, "--remove", "tkAll", b}).status, 0);
    EXPECT_EQ(readBytes(b), audio_);
}

}  // namespace
