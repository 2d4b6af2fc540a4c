// SPDX-License-Identifier: GPL-2.0-or-later

// The ID3 tag handler on real files: actions, tag options, value rules, in-place writes,
// rebuilds, junk removal and failures that must leave the file as it was.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "ID3TestSupport.h"
#include "editing/FieldEdit.h"
#include "tags/AudioFile.h"
#include "tags/Id3TagHandler.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::editing;

using namespace id3test;

namespace {

// Compares file contents without printing kilobytes of binary on a mismatch.
#define EXPECT_BYTES(a, b) EXPECT_TRUE((a) == (b)) << "contents differ"

class ID3HandlerTest : public ::testing::Test {
protected:
    // Changes one option of the file object.
    template <typename Change>
    void setOption(Change change) {
        change(options_);
        file_.setOptions(options_);
    }
    // Writes the file and reads it into file_.
    std::string make(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.file(name);
        writeBytes(path, bytes);
        EXPECT_TRUE(file_.readFile(path, true));
        return path;
    }
    Id3TagHandler& handler() { return dynamic_cast<Id3TagHandler&>(file_.tag()); }

    TagOptions options_;
    Scratch dir_;
    AudioFile file_;
    const std::string audio_ = mp3Audio(12);
};

TEST_F(ID3HandlerTest, IfNeededWritesOnlyTheTagsTheValuesNeed) {
    // Nothing added: values have nowhere to go and nothing is written.
    const std::string path = make("a.mp3", audio_);
    EXPECT_FALSE(file_.tag().setValue(ValueKey::Title, "Song"));
    EXPECT_EQ(file_.putTags(), 0);
    EXPECT_BYTES(readBytes(path), audio_);

    // Both added, short values: ID3v1 alone carries them.
    file_.tag().add(TagKind::All);
    EXPECT_TRUE(file_.tag().setValue(ValueKey::Title, "Song"));
    file_.tag().setValue(ValueKey::Artist, "Band");
    EXPECT_EQ(file_.putTags(), 0);
    EXPECT_BYTES(readBytes(path), audio_ + v1Tag("Song", "Band"));
    EXPECT_EQ(file_.tag().tagType(), "ID3v1.");

    // A composer needs ID3v2; a value ID3v1 cannot hold keeps it needed.
    ASSERT_TRUE(file_.readFile(path, true));
    file_.tag().setValue(ValueKey::Composer, "Someone");
    file_.tag().setValue(ValueKey::Title, "Привет");
    EXPECT_EQ(file_.putTags(), 0);
    ASSERT_TRUE(file_.readFile(path, true));
    EXPECT_EQ(file_.tag().getValue(ValueKey::Title), "Привет");
    EXPECT_EQ(file_.tag().getValue(ValueKey::V1Title), "??????");
    EXPECT_EQ(file_.tag().tagType(), "ID3v1. ID3v2.3.0");
    EXPECT_EQ(file_.audio().startPos(), file_.tag().tagSize());

    // Back to plain values: the ID3v2 tag goes again, the audio stays.
    file_.tag().setValue(ValueKey::Composer, "");
    file_.tag().setValue(ValueKey::Title, "Song 2");
    EXPECT_EQ(file_.putTags(), 0);
    EXPECT_BYTES(readBytes(path), audio_ + v1Tag("Song 2", "Band"));
}

TEST_F(ID3HandlerTest, TagOptionsAddAndRemoveTags) {
    const std::string path = make("a.mp3", v23Tag({{"TIT2", "Title"}}, 100) + audio_);
    setOption([](TagOptions& o) { o.useId3v1 = TagUse::Always; });
    setOption([](TagOptions& o) { o.useId3v2 = TagUse::IfWanted; });
    file_.tag().setValue(ValueKey::Artist, "Band");
    EXPECT_EQ(file_.putTags(), 0);
    ASSERT_TRUE(file_.readFile(path, true));
    EXPECT_TRUE(file_.tag().hasTag(TagKind::Id3v1));
    EXPECT_EQ(file_.tag().getValue(ValueKey::V1Title), "Title");  // kept in sync
    EXPECT_EQ(file_.tag().getValue(ValueKey::V2Artist), "Band");

    setOption([](TagOptions& o) { o.useId3v1 = TagUse::Never; });
    setOption([](TagOptions& o) { o.useId3v2 = TagUse::Never; });
    file_.tag().setValue(ValueKey::Title, "Other");
    EXPECT_EQ(file_.putTags(), 0);
    EXPECT_BYTES(readBytes(path), audio_);
    EXPECT_FALSE(file_.tag().hasTag(TagKind::All));
    EXPECT_EQ(file_.audio().startPos(), 0);

    // "Always" with no values still gives an (empty, padded) ID3v2 tag.
    setOption([](TagOptions& o) { o.useId3v2 = TagUse::Always; });
    ASSERT_TRUE(file_.readFile(path, true));
    file_.tag().add(TagKind::Id3v2);
    EXPECT_EQ(file_.putTags(), 0);
    EXPECT_EQ(readBytes(path).size(), audio_.size() + 10 + 512);
}

TEST_F(ID3HandlerTest, AddAndRemoveFollowTheTagsPresent) {
    make("a.mp3", audio_ + v1Tag("T"));
    Id3TagHandler& h = handler();
    h.add(TagKind::Lyrics3);
    EXPECT_EQ(h.lyrics3Action(), Id3TagHandler::Action::Add);
    h.add(TagKind::All);
    EXPECT_EQ(h.id3v1Action(), Id3TagHandler::Action::None);  // present already
    EXPECT_EQ(h.id3v2Action(), Id3TagHandler::Action::Add);
    h.remove(TagKind::Id3v2);
    EXPECT_EQ(h.id3v2Action(), Id3TagHandler::Action::None);
    h.remove(TagKind::Id3v1);
    EXPECT_EQ(h.id3v1Action(), Id3TagHandler::Action::Remove);
    h.remove(TagKind::All);
    h.add(3);
    h.remove(7);
    EXPECT_FALSE(h.hasTag(3));

    // Lyrics3 cannot be added without an ID3v1 tag.
    make("b.mp3", audio_);
    handler().add(TagKind::Lyrics3);
    EXPECT_EQ(handler().lyrics3Action(), Id3TagHandler::Action::None);
}

TEST_F(ID3HandlerTest, InPlaceWriteKeepsSizeAndUsesThePadding) {
    setOption([](TagOptions& o) { o.useId3v2 = TagUse::IfWanted; });
    const std::string path =
        make("a.mp3", v23Tag({{"TIT2", "Title"}, {"TPE1", "Band"}}, 500) + audio_ + v1Tag("Title", "Band"));
    const auto size = readBytes(path).size();
    const ino_t inode = inodeOf(path);
    file_.tag().setValue(ValueKey::Title, "Title longer");
    EXPECT_EQ(file_.putTags(), 0);
    const std::string after = readBytes(path);
    EXPECT_EQ(after.size(), size);
    EXPECT_EQ(inodeOf(path), inode);  // no rebuild
    EXPECT_EQ(handler().id3v2().padding(), 493);
    EXPECT_BYTES(after.substr(file_.tag().tagSize(), audio_.size()), audio_);
    ASSERT_TRUE(file_.readFile(path, true));
    EXPECT_EQ(file_.tag().getValue(ValueKey::V2Title), "Title longer");
    EXPECT_EQ(file_.tag().getValue(ValueKey::V1Title), "Title longer");
}

TEST_F(ID3HandlerTest, RebuildGivesTheConfiguredPadding) {
    setOption([](TagOptions& o) { o.addPaddingSize = 300; });
    const std::string path = make("a.mp3", v23Tag({{"TIT2", "T"}}, 0) + audio_);
    ::chmod(path.c_str(), 0640);
    file_.tag().setValue(ValueKey::Title, "A much longer title than before");
    EXPECT_EQ(file_.putTags(), 0);
    const std::string after = readBytes(path);
    const long size = file_.tag().tagSize();
    EXPECT_EQ(handler().id3v2().padding(), 300);
    EXPECT_BYTES(after.substr(static_cast<size_t>(size)), audio_);
    EXPECT_EQ(file_.audio().startPos(), size);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.dir()), {}), 1);

    // Too much padding: rebuilt smaller, even at the same frame size.
    setOption([](TagOptions& o) { o.maxPaddingSize = 100; });
    ASSERT_TRUE(file_.readFile(path, true));
    file_.tag().setValue(ValueKey::Title, "B much longer title than before");
    EXPECT_EQ(file_.putTags(), 0);
    EXPECT_EQ(handler().id3v2().padding(), 300);  // still over the limit, as the options forbid
    setOption([](TagOptions& o) { o.addPaddingSize = 50; });
    ASSERT_TRUE(file_.readFile(path, true));
    file_.tag().setValue(ValueKey::Title, "C much longer title than before");
    EXPECT_EQ(file_.putTags(), 0);
    EXPECT_EQ(readBytes(path).size(), file_.tag().tagSize() + audio_.size());
    EXPECT_EQ(handler().id3v2().padding(), 50);
}

TEST_F(ID3HandlerTest, RemovingID3v1TakesTheLyrics3BlockAlong) {
    const std::string path = make("a.mp3", audio_ + v1Tag("x"));
    const std::string longTitle(40, 'L');
    file_.tag().setValue(ValueKey::Title, longTitle);
    file_.tag().setValue(ValueKey::Lyrics, "la la");
    EXPECT_EQ(file_.putTags(), 0);
    ASSERT_TRUE(file_.readFile(path, true));
    ASSERT_TRUE(file_.tag().hasTag(TagKind::Lyrics3));
    EXPECT_EQ(file_.tag().getValue(ValueKey::Title), longTitle);
    EXPECT_EQ(file_.tag().getValue(ValueKey::Lyrics), "la la");

    const auto before = readBytes(path).size();
    const long lyrics = handler().id3v1().lyricsSize();
    ASSERT_GT(lyrics, 0);
    file_.tag().remove(TagKind::Id3v1);
    EXPECT_EQ(handler().lyrics3Action(), Id3TagHandler::Action::Remove);
    EXPECT_EQ(file_.putTags(), 0);
    // The 40-character title made the ID3v2 tag needed; it stays.
    const std::string after = readBytes(path);
    EXPECT_EQ(after.size(), before - 128 - lyrics);
    EXPECT_TRUE(after.substr(after.size() - audio_.size()) == audio_);
}

TEST_F(ID3HandlerTest, ValueRulesOfBothSides) {
    const std::string path = make("a.mp3", v23Tag({{"TIT2", "V2"}}, 200) + audio_ + v1Tag("V1", "Art", 3));
    TagHandler& t = file_.tag();
    EXPECT_EQ(t.getValue(ValueKey::Title), "V2");
    EXPECT_EQ(t.getValue(ValueKey::Artist), "Art");  // falls back to ID3v1
    EXPECT_EQ(t.getValue(ValueKey::Track), "3");
    EXPECT_EQ(t.tagType(), "ID3v1.1 ID3v2.3.0");

    t.setValue(ValueKey::Track, "7/12");
    EXPECT_EQ(t.getValue(ValueKey::V2Track), "07/12");
    EXPECT_EQ(t.getValue(ValueKey::V1Track), "7");
    // The same padding rule as the file list and the patterns, long digit runs included.
    t.setValue(ValueKey::Track, "0000000000007");
    EXPECT_EQ(t.getValue(ValueKey::V2Track), "07");
    setOption([](TagOptions& o) { o.trackDigits = 0; });
    t.setValue(ValueKey::V2Track, "007");
    EXPECT_EQ(t.getValue(ValueKey::V2Track), "007");
    setOption([](TagOptions& o) {
        o.trackDigits = 2;
        o.padTrackNumber = false;
    });
    t.setValue(ValueKey::V2Track, "7/12");
    EXPECT_EQ(t.getValue(ValueKey::V2Track), "7/12");
    t.setValue(ValueKey::V1Genre, "No such genre");
    EXPECT_EQ(handler().id3v1().genreNr(), 255);
    t.setValue(ValueKey::Genre, "Rock");
    EXPECT_EQ(t.getValue(ValueKey::V1Genre), "Rock");
    t.setValue(ValueKey::V1Comment, std::string(40, 'c'));
    EXPECT_EQ(t.getValue(ValueKey::V1Comment).size(), 30u);
    EXPECT_TRUE(t.setValue(ValueKey::V2Frame, "120", "TBPM"));
    EXPECT_FALSE(t.setValue(ValueKey::V2Frame, "x"));
    EXPECT_EQ(t.getValue(ValueKey::V2Frame, "TBPM"), "120");
    EXPECT_NE(t.getValue(ValueKey::V2Frame).find("TBPM"), std::string::npos);
    EXPECT_EQ(t.getValue(99), "");

    // A side that is being removed takes no values.
    t.remove(TagKind::Id3v2);
    EXPECT_FALSE(t.setValue(ValueKey::Composer, "x"));
    EXPECT_EQ(t.getValue(ValueKey::Composer), "");
}

TEST_F(ID3HandlerTest, KeepSyncCopiesTheMainFieldsToBothTags) {
    const std::string path = make("a.mp3", v23Tag({{"TIT2", "New"}, {"TYER", "1999"}}, 200) + audio_ + v1Tag("Old"));
    file_.tag().setValue(ValueKey::V2Artist, "Band");
    EXPECT_EQ(file_.putTags(), 0);
    ASSERT_TRUE(file_.readFile(path, true));
    EXPECT_EQ(file_.tag().getValue(ValueKey::V1Title), "New");
    EXPECT_EQ(file_.tag().getValue(ValueKey::V1Artist), "Band");
    EXPECT_EQ(file_.tag().getValue(ValueKey::V1Year), "1999");

    setOption([](TagOptions& o) { o.keepInSync = false; });
    file_.tag().setValue(ValueKey::V2Title, "Only v2");
    EXPECT_EQ(file_.putTags(), 0);
    ASSERT_TRUE(file_.readFile(path, true));
    EXPECT_EQ(file_.tag().getValue(ValueKey::V1Title), "New");
    EXPECT_EQ(file_.tag().getValue(ValueKey::V2Title), "Only v2");
}

TEST_F(ID3HandlerTest, TagBehindJunkIsFoundAndRewrittenAtTheStart) {
    const std::string tag = v23Tag({{"TIT2", "T"}, {"TCOM", "C"}}, 40);
    for (const size_t junkSize : {size_t{100}, size_t{500}, size_t{2047}, size_t{20000}}) {
        SCOPED_TRACE(junkSize);
        std::string junk(junkSize, 'J');
        junk[junkSize / 2] = '\xFF';  // a lone frame sync in the junk is no audio
        const std::string path = make("a.mp3", junk + tag + audio_);
        ASSERT_EQ(file_.tag().tagPosition(), static_cast<long>(junkSize) + 1);
        ASSERT_EQ(file_.tag().getValue(ValueKey::Title), "T");
        EXPECT_EQ(file_.audio().startPos(), static_cast<long>(junkSize + tag.size()));

        // Even a change that would fit in place moves the tag in front of the junk.
        file_.tag().setValue(ValueKey::Title, "T2");
        EXPECT_EQ(file_.putTags(), 0);
        const auto size = static_cast<size_t>(file_.tag().tagSize());
        EXPECT_EQ(file_.tag().tagPosition(), 1);
        EXPECT_EQ(file_.audio().startPos(), static_cast<long>(size + junkSize));
        std::string after = readBytes(path);
        ASSERT_EQ(after.size(), size + junkSize + audio_.size());
        EXPECT_BYTES(after.substr(size, junkSize), junk);
        EXPECT_BYTES(after.substr(size + junkSize), audio_);
        ASSERT_TRUE(file_.readFile(path, true));
        EXPECT_EQ(file_.tag().tagPosition(), 1);
        EXPECT_EQ(file_.tag().getValue(ValueKey::Title), "T2");
        EXPECT_EQ(file_.tag().getValue(ValueKey::Composer), "C");
        EXPECT_EQ(file_.audio().startPos(), static_cast<long>(size + junkSize));

        // A write in place now, then the tag's removal: the junk stays, the audio too.
        file_.tag().setValue(ValueKey::Title, "T3");
        EXPECT_EQ(file_.putTags(), 0);
        EXPECT_EQ(readBytes(path).size(), after.size());
        ASSERT_TRUE(file_.readFile(path, true));
        file_.tag().remove(TagKind::Id3v2);
        EXPECT_EQ(file_.putTags(), 0);
        EXPECT_BYTES(readBytes(path), junk + audio_);
    }
}

TEST_F(ID3HandlerTest, RemoveJunkNeverRemovesATagHeader) {
    // A readable tag behind 2047 bytes of junk: the junk goes, the tag stays.
    const std::string tag = v23Tag({{"TIT2", "Kept"}}, 30);
    std::string path = make("a.mp3", std::string(2047, 'j') + tag + audio_);
    EXPECT_EQ(file_.tag().removeJunk(), 0);
    EXPECT_BYTES(readBytes(path), tag + audio_);
    EXPECT_EQ(file_.tag().tagPosition(), 1);
    EXPECT_EQ(file_.audio().startPos(), static_cast<long>(tag.size()));

    // A tag whose size bytes have bit 7 set cannot be read; the junk in front of it goes, the
    // tag with everything behind it stays.
    std::string broken = tag;
    broken[8] = '\x81';
    path = make("b.mp3", std::string(300, 'j') + broken + audio_);
    ASSERT_FALSE(file_.tag().hasTag(TagKind::Id3v2));
    ASSERT_TRUE(file_.audio().isValid());
    EXPECT_EQ(file_.tag().removeJunk(), 0);
    EXPECT_BYTES(readBytes(path), broken + audio_);
    EXPECT_EQ(file_.audio().startPos(), static_cast<long>(broken.size()));
    path = make("c.mp3", broken + audio_);
    EXPECT_EQ(file_.tag().removeJunk(), 0);
    EXPECT_BYTES(readBytes(path), broken + audio_);

    // A second tag between the first and the audio stays; the junk in front of it goes.
    const std::string second = v23Tag({{"TIT2", "Second"}}, 0);
    path = make("d.mp3", std::string(40, 'j') + tag + std::string(60, 'k') + second + std::string(20, 'k') + audio_);
    EXPECT_EQ(file_.tag().removeJunk(), 0);
    EXPECT_BYTES(readBytes(path), tag + second + std::string(20, 'k') + audio_);
    EXPECT_EQ(file_.audio().startPos(), static_cast<long>(tag.size() + second.size() + 20));
    ASSERT_TRUE(file_.readFile(path, true));
    EXPECT_EQ(file_.tag().getValue(ValueKey::Title), "Kept");
}

TEST_F(ID3HandlerTest, EditsLeaveValuesTheyDoNotTouch) {
    // An ID3v1 genre byte without a name (148..254) survives an edit of another field, with
    // the tags kept in step.
    std::string path = make("a.mp3", v23Tag({{"TIT2", "T"}, {"TCOM", "C"}}, 100) + audio_ + v1Tag("T", "", 0, 200));
    file_.tag().setValue(ValueKey::Title, "New");
    EXPECT_EQ(file_.putTags(), 0);
    std::string bytes = readBytes(path);
    EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 200);
    EXPECT_EQ(bytes.substr(bytes.size() - 125, 3), "New");
    path = make("b.mp3", audio_ + v1Tag("T", "", 0, 254));
    file_.tag().setValue(ValueKey::Artist, "Band");
    EXPECT_EQ(file_.putTags(), 0);
    EXPECT_EQ(static_cast<unsigned char>(readBytes(path).back()), 254);

    // A Lyrics3 block left without its ID3v1 tag stays through a write of the ID3v2 tag alone.
    const std::string leftOver = "LYRICSBEGINwordsLYRICSEND";
    path = make("d.mp3", v23Tag({{"TIT2", "T"}}, 100) + audio_ + leftOver);
    file_.tag().setValue(ValueKey::Title, "New");
    EXPECT_EQ(file_.putTags(), 0);
    bytes = readBytes(path);
    EXPECT_EQ(bytes.substr(bytes.size() - leftOver.size()), leftOver);

    // Removing the tags while "Always" adds an ID3v1 tag: the new tag starts empty.
    setOption([](TagOptions& o) { o.useId3v1 = TagUse::Always; });
    path = make("c.mp3", v23Tag({{"TIT2", "Old title"}, {"TPE1", "Old artist"}, {"TALB", "Old album"}}, 0) + audio_);
    file_.tag().remove(TagKind::All);
    EXPECT_EQ(file_.putTags(), 0);
    EXPECT_BYTES(readBytes(path), audio_ + v1Tag(""));
    ASSERT_TRUE(file_.readFile(path, true));
    EXPECT_EQ(file_.tag().getValue(ValueKey::Title), "");
    EXPECT_EQ(file_.tag().getValue(ValueKey::Artist), "");
}

TEST_F(ID3HandlerTest, RemoveJunkCases) {
    // No tag, first frame at 300.
    std::string path = make("a.mp3", std::string(300, 'j') + audio_ + v1Tag("t"));
    ASSERT_EQ(file_.audio().startPos(), 300);
    EXPECT_EQ(file_.tag().removeJunk(), 0);
    EXPECT_BYTES(readBytes(path), audio_ + v1Tag("t"));
    EXPECT_EQ(file_.audio().startPos(), 0);

    // Tag at 101, frame 50 bytes after it: 150 bytes shorter.
    const std::string tag = v23Tag({{"TIT2", "T"}}, 20);
    path = make("b.mp3", std::string(100, 'j') + tag + std::string(50, 'k') + audio_);
    EXPECT_EQ(file_.tag().removeJunk(), 0);
    EXPECT_BYTES(readBytes(path), tag + audio_);
    EXPECT_EQ(file_.tag().tagPosition(), 1);
    EXPECT_EQ(file_.audio().startPos(), static_cast<long>(tag.size()));
    ASSERT_TRUE(file_.readFile(path, true));
    EXPECT_EQ(file_.audio().startPos(), static_cast<long>(tag.size()));

    // Tag at 1: the junk after it stays; so does a file without any audio.
    const std::string kept = tag + std::string(50, 'k') + audio_;
    path = make("c.mp3", kept);
    EXPECT_EQ(file_.tag().removeJunk(), 0);
    EXPECT_BYTES(readBytes(path), kept);
    path = make("d.mp3", std::string(3000, 'z'));
    EXPECT_EQ(file_.tag().removeJunk(), 0);
    EXPECT_BYTES(readBytes(path), std::string(3000, 'z'));
}

TEST_F(ID3HandlerTest, FailuresLeaveTheFileAsItWas) {
    // The file cannot grow: the rebuild fails, the original stays, no temporary file remains.
    const std::string original = v23Tag({{"TIT2", "T"}}, 0) + audio_ + v1Tag("T");
    std::string path = make("a.mp3", original);
    file_.tag().setValue(ValueKey::Title, std::string(200, 'g'));
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 2000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = file_.putTags();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(result, EFBIG);
    EXPECT_BYTES(readBytes(path), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.dir()), {}), 1);

    // The file vanished between reading and writing.
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_EQ(file_.putTags(), ENOENT);

    // The tag changed on disk since it was read: nothing is overwritten.
    path = make("b.mp3", original);
    const std::string other = v23Tag({{"TIT2", "Other title"}}, 0) + audio_;
    writeBytes(path, other);
    file_.tag().setValue(ValueKey::Title, "x");
    EXPECT_NE(file_.putTags(), 0);
    EXPECT_BYTES(readBytes(path), other);

    // A tag whose size reaches past the audio: the audio length would be negative.
    // (The tag claims to end inside the ID3v1 tag.)
    std::string damaged = v23Tag({{"TIT2", "T"}}, 0) + audio_.substr(0, 500) + v1Tag("T");
    const std::string size = vorda::tags::id3v2::writeSynchsafe(static_cast<uint32_t>(damaged.size() - 10 - 64));
    damaged.replace(6, 4, size);
    path = make("c.mp3", damaged);
    file_.tag().setValue(ValueKey::Title, "x");
    EXPECT_EQ(file_.putTags(), EINVAL);
    EXPECT_BYTES(readBytes(path), damaged);
}

TEST_F(ID3HandlerTest, RebuildFollowsSymbolicLinks) {
    const std::string target = dir_.file("real.mp3");
    writeBytes(target, v23Tag({{"TIT2", "T"}}, 0) + audio_);
    const std::string link = dir_.file("link.mp3");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_TRUE(file_.readFile(link, true));
    file_.tag().setValue(ValueKey::Title, std::string(50, 'q'));
    EXPECT_EQ(file_.putTags(), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    ASSERT_TRUE(file_.readFile(target, true));
    EXPECT_EQ(file_.tag().getValue(ValueKey::Title), std::string(50, 'q'));
}

TEST(FieldEditTest, EditLanguageAndFilter) {
    EXPECT_EQ(applyFieldEdit("new", "old", false), "old");
    EXPECT_EQ(applyFieldEdit("new", "old", true), "new");
    EXPECT_EQ(applyFieldEdit("l+=01 ", "Song", true), "01 Song");
    EXPECT_EQ(applyFieldEdit("r+= (live)", "Song", true), "Song (live)");
    EXPECT_EQ(applyFieldEdit("l-=3", "01 Song", true), "Song");
    EXPECT_EQ(applyFieldEdit("l-=2.7", "Äbc", true), "c");
    EXPECT_EQ(applyFieldEdit("l-=9", "abc", true), "");
    EXPECT_EQ(applyFieldEdit("r-=5", "Song (x)", true), "Son");
    EXPECT_EQ(applyFieldEdit("r-=2", "Sö€", true), "S");
    EXPECT_EQ(applyFieldEdit("r-=9", "abc", true), "");
    EXPECT_EQ(applyFieldEdit("r-=x", "abc", true), "r-=x");
    EXPECT_EQ(applyFieldEdit("L+=x", "abc", true), "L+=x");
    EXPECT_EQ(applyFieldEdit("l+=", "abc", true), "abc");
    EXPECT_EQ(filterChars("a1b2ö3", "0123456789", true), "123");
    EXPECT_EQ(filterChars("a1b2ö3", "ö1", false), "ab23");
}

}  // namespace
