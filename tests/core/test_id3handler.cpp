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
#include "app/Settings.h"
#include "editing/FieldEdit.h"
#include "tags/clsFile.h"
#include "tags/clsID3.h"

using namespace vorda;
using namespace id3test;

namespace {

// Compares file contents without printing kilobytes of binary on a mismatch.
#define EXPECT_BYTES(a, b) EXPECT_TRUE((a) == (b)) << "contents differ"

class ID3HandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Settings& s = settings();
        s.UseID3v1 = tuIfNeeded;
        s.UseID3v2 = tuIfNeeded;
        s.UseLyrics3 = tuIfNeeded;
        s.bTAGKeepSync = true;
        s.bPadTrackNr = true;
        s.iTrackDigits = 2;
        s.lAddPaddingSize = 512;
        s.lMaxPaddingSize = 2048;
        s.bIgnoreReadOnly = false;
        s.bSetAttributes = false;
    }
    // Writes the file and reads it into file_.
    std::string Make(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.File(name);
        WriteBytes(path, bytes);
        EXPECT_TRUE(file_.ReadFile(path, true));
        return path;
    }
    clsID3& Handler() { return dynamic_cast<clsID3&>(file_.Tag()); }

    SettingsGuard guard_;
    Scratch dir_;
    clsFile file_;
    const std::string audio_ = Audio(12);
};

TEST_F(ID3HandlerTest, IfNeededWritesOnlyTheTagsTheValuesNeed) {
    // Nothing added: values have nowhere to go and nothing is written.
    const std::string path = Make("a.mp3", audio_);
    EXPECT_FALSE(file_.Tag().SetValue(tvTitle, "Song"));
    EXPECT_EQ(file_.PutTags(), 0);
    EXPECT_BYTES(ReadBytes(path), audio_);

    // Both added, short values: ID3v1 alone carries them.
    file_.Tag().Add(tkAll);
    EXPECT_TRUE(file_.Tag().SetValue(tvTitle, "Song"));
    file_.Tag().SetValue(tvArtist, "Band");
    EXPECT_EQ(file_.PutTags(), 0);
    EXPECT_BYTES(ReadBytes(path), audio_ + V1Tag("Song", "Band"));
    EXPECT_EQ(file_.Tag().tagType(), "ID3v1.");

    // A composer needs ID3v2; a value ID3v1 cannot hold keeps it needed.
    ASSERT_TRUE(file_.ReadFile(path, true));
    file_.Tag().SetValue(tvComposer, "Someone");
    file_.Tag().SetValue(tvTitle, "Привет");
    EXPECT_EQ(file_.PutTags(), 0);
    ASSERT_TRUE(file_.ReadFile(path, true));
    EXPECT_EQ(file_.Tag().GetValue(tvTitle), "Привет");
    EXPECT_EQ(file_.Tag().GetValue(tvV1Title), "??????");
    EXPECT_EQ(file_.Tag().tagType(), "ID3v1. ID3v2.3.0");
    EXPECT_EQ(file_.Audio().StartPos(), file_.Tag().tagSize());

    // Back to plain values: the ID3v2 tag goes again, the audio stays.
    file_.Tag().SetValue(tvComposer, "");
    file_.Tag().SetValue(tvTitle, "Song 2");
    EXPECT_EQ(file_.PutTags(), 0);
    EXPECT_BYTES(ReadBytes(path), audio_ + V1Tag("Song 2", "Band"));
}

TEST_F(ID3HandlerTest, TagOptionsAddAndRemoveTags) {
    Settings& s = settings();
    const std::string path = Make("a.mp3", V23Tag({{"TIT2", "Title"}}, 100) + audio_);
    s.UseID3v1 = tuAlways;
    s.UseID3v2 = tuIfWanted;
    file_.Tag().SetValue(tvArtist, "Band");
    EXPECT_EQ(file_.PutTags(), 0);
    ASSERT_TRUE(file_.ReadFile(path, true));
    EXPECT_TRUE(file_.Tag().hasTag(tkID3v1));
    EXPECT_EQ(file_.Tag().GetValue(tvV1Title), "Title");  // kept in sync
    EXPECT_EQ(file_.Tag().GetValue(tvV2Artist), "Band");

    s.UseID3v1 = tuNever;
    s.UseID3v2 = tuNever;
    file_.Tag().SetValue(tvTitle, "Other");
    EXPECT_EQ(file_.PutTags(), 0);
    EXPECT_BYTES(ReadBytes(path), audio_);
    EXPECT_FALSE(file_.Tag().hasTag(tkAll));
    EXPECT_EQ(file_.Audio().StartPos(), 0);

    // "Always" with no values still gives an (empty, padded) ID3v2 tag.
    s.UseID3v2 = tuAlways;
    ASSERT_TRUE(file_.ReadFile(path, true));
    file_.Tag().Add(tkID3v2);
    EXPECT_EQ(file_.PutTags(), 0);
    EXPECT_EQ(ReadBytes(path).size(), audio_.size() + 10 + 512);
}

TEST_F(ID3HandlerTest, AddAndRemoveFollowTheTagsPresent) {
    Make("a.mp3", audio_ + V1Tag("T"));
    clsID3& h = Handler();
    h.Add(tkLyrics3);
    EXPECT_EQ(h.Lyrics3Action(), clsID3::acAdd);
    h.Add(tkAll);
    EXPECT_EQ(h.ID3v1Action(), clsID3::acNone);  // present already
    EXPECT_EQ(h.ID3v2Action(), clsID3::acAdd);
    h.Remove(tkID3v2);
    EXPECT_EQ(h.ID3v2Action(), clsID3::acNone);
    h.Remove(tkID3v1);
    EXPECT_EQ(h.ID3v1Action(), clsID3::acRemove);
    h.Remove(tkAll);
    h.Add(3);
    h.Remove(7);
    EXPECT_FALSE(h.hasTag(3));

    // Lyrics3 cannot be added without an ID3v1 tag.
    Make("b.mp3", audio_);
    Handler().Add(tkLyrics3);
    EXPECT_EQ(Handler().Lyrics3Action(), clsID3::acNone);
}

TEST_F(ID3HandlerTest, InPlaceWriteKeepsSizeAndUsesThePadding) {
    settings().UseID3v2 = tuIfWanted;
    const std::string path = Make("a.mp3", V23Tag({{"TIT2", "Title"}, {"TPE1", "Band"}}, 500) + audio_ + V1Tag("Title", "Band"));
    const auto size = ReadBytes(path).size();
    const ino_t inode = Inode(path);
    file_.Tag().SetValue(tvTitle, "Title longer");
    EXPECT_EQ(file_.PutTags(), 0);
    const std::string after = ReadBytes(path);
    EXPECT_EQ(after.size(), size);
    EXPECT_EQ(Inode(path), inode);  // no rebuild
    EXPECT_EQ(Handler().ID3v2().Padding(), 493);
    EXPECT_BYTES(after.substr(file_.Tag().tagSize(), audio_.size()), audio_);
    ASSERT_TRUE(file_.ReadFile(path, true));
    EXPECT_EQ(file_.Tag().GetValue(tvV2Title), "Title longer");
    EXPECT_EQ(file_.Tag().GetValue(tvV1Title), "Title longer");
}

TEST_F(ID3HandlerTest, RebuildGivesTheConfiguredPadding) {
    settings().lAddPaddingSize = 300;
    const std::string path = Make("a.mp3", V23Tag({{"TIT2", "T"}}, 0) + audio_);
    ::chmod(path.c_str(), 0640);
    file_.Tag().SetValue(tvTitle, "A much longer title than before");
    EXPECT_EQ(file_.PutTags(), 0);
    const std::string after = ReadBytes(path);
    const long size = file_.Tag().tagSize();
    EXPECT_EQ(Handler().ID3v2().Padding(), 300);
    EXPECT_BYTES(after.substr(static_cast<size_t>(size)), audio_);
    EXPECT_EQ(file_.Audio().StartPos(), size);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.dir()), {}), 1);

    // Too much padding: rebuilt smaller, even at the same frame size.
    settings().lMaxPaddingSize = 100;
    ASSERT_TRUE(file_.ReadFile(path, true));
    file_.Tag().SetValue(tvTitle, "B much longer title than before");
    EXPECT_EQ(file_.PutTags(), 0);
    EXPECT_EQ(Handler().ID3v2().Padding(), 300);  // still over the limit, as the options forbid
    settings().lAddPaddingSize = 50;
    ASSERT_TRUE(file_.ReadFile(path, true));
    file_.Tag().SetValue(tvTitle, "C much longer title than before");
    EXPECT_EQ(file_.PutTags(), 0);
    EXPECT_EQ(ReadBytes(path).size(), file_.Tag().tagSize() + audio_.size());
    EXPECT_EQ(Handler().ID3v2().Padding(), 50);
}

TEST_F(ID3HandlerTest, RemovingID3v1TakesTheLyrics3BlockAlong) {
    const std::string path = Make("a.mp3", audio_ + V1Tag("x"));
    const std::string longTitle(40, 'L');
    file_.Tag().SetValue(tvTitle, longTitle);
    file_.Tag().SetValue(tvLyrics, "la la");
    EXPECT_EQ(file_.PutTags(), 0);
    ASSERT_TRUE(file_.ReadFile(path, true));
    ASSERT_TRUE(file_.Tag().hasTag(tkLyrics3));
    EXPECT_EQ(file_.Tag().GetValue(tvTitle), longTitle);
    EXPECT_EQ(file_.Tag().GetValue(tvLyrics), "la la");

    const auto before = ReadBytes(path).size();
    const long lyrics = Handler().ID3v1().LyricsSize();
    ASSERT_GT(lyrics, 0);
    file_.Tag().Remove(tkID3v1);
    EXPECT_EQ(Handler().Lyrics3Action(), clsID3::acRemove);
    EXPECT_EQ(file_.PutTags(), 0);
    // The 40-character title made the ID3v2 tag needed; it stays.
    const std::string after = ReadBytes(path);
    EXPECT_EQ(after.size(), before - 128 - lyrics);
    EXPECT_TRUE(after.substr(after.size() - audio_.size()) == audio_);
}

TEST_F(ID3HandlerTest, ValueRulesOfBothSides) {
    const std::string path = Make("a.mp3", V23Tag({{"TIT2", "V2"}}, 200) + audio_ + V1Tag("V1", "Art", 3));
    clsTag& t = file_.Tag();
    EXPECT_EQ(t.GetValue(tvTitle), "V2");
    EXPECT_EQ(t.GetValue(tvArtist), "Art");  // falls back to ID3v1
    EXPECT_EQ(t.GetValue(tvTrack), "3");
    EXPECT_EQ(t.tagType(), "ID3v1.1 ID3v2.3.0");

    t.SetValue(tvTrack, "7/12");
    EXPECT_EQ(t.GetValue(tvV2Track), "07/12");
    EXPECT_EQ(t.GetValue(tvV1Track), "7");
    settings().bPadTrackNr = false;
    t.SetValue(tvV2Track, "7/12");
    EXPECT_EQ(t.GetValue(tvV2Track), "7/12");
    t.SetValue(tvV1Genre, "No such genre");
    EXPECT_EQ(Handler().ID3v1().GenreNr(), 255);
    t.SetValue(tvGenre, "Rock");
    EXPECT_EQ(t.GetValue(tvV1Genre), "Rock");
    t.SetValue(tvV1Comment, std::string(40, 'c'));
    EXPECT_EQ(t.GetValue(tvV1Comment).size(), 30u);
    EXPECT_TRUE(t.SetValue(tvV2Frame, "120", "TBPM"));
    EXPECT_FALSE(t.SetValue(tvV2Frame, "x"));
    EXPECT_EQ(t.GetValue(tvV2Frame, "TBPM"), "120");
    EXPECT_NE(t.GetValue(tvV2Frame).find("TBPM"), std::string::npos);
    EXPECT_EQ(t.GetValue(99), "");

    // A side that is being removed takes no values.
    t.Remove(tkID3v2);
    EXPECT_FALSE(t.SetValue(tvComposer, "x"));
    EXPECT_EQ(t.GetValue(tvComposer), "");
}

TEST_F(ID3HandlerTest, KeepSyncCopiesTheMainFieldsToBothTags) {
    const std::string path = Make("a.mp3", V23Tag({{"TIT2", "New"}, {"TYER", "1999"}}, 200) + audio_ + V1Tag("Old"));
    file_.Tag().SetValue(tvV2Artist, "Band");
    EXPECT_EQ(file_.PutTags(), 0);
    ASSERT_TRUE(file_.ReadFile(path, true));
    EXPECT_EQ(file_.Tag().GetValue(tvV1Title), "New");
    EXPECT_EQ(file_.Tag().GetValue(tvV1Artist), "Band");
    EXPECT_EQ(file_.Tag().GetValue(tvV1Year), "1999");

    settings().bTAGKeepSync = false;
    file_.Tag().SetValue(tvV2Title, "Only v2");
    EXPECT_EQ(file_.PutTags(), 0);
    ASSERT_TRUE(file_.ReadFile(path, true));
    EXPECT_EQ(file_.Tag().GetValue(tvV1Title), "New");
    EXPECT_EQ(file_.Tag().GetValue(tvV2Title), "Only v2");
}

TEST_F(ID3HandlerTest, TagBehindJunkIsFoundAndRewrittenAtTheStart) {
    const std::string tag = V23Tag({{"TIT2", "T"}, {"TCOM", "C"}}, 40);
    for (const size_t junkSize : {size_t{100}, size_t{500}, size_t{2047}, size_t{20000}}) {
        SCOPED_TRACE(junkSize);
        std::string junk(junkSize, 'J');
        junk[junkSize / 2] = '\xFF';  // a lone frame sync in the junk is no audio
        const std::string path = Make("a.mp3", junk + tag + audio_);
        ASSERT_EQ(file_.Tag().tagPosition(), static_cast<long>(junkSize) + 1);
        ASSERT_EQ(file_.Tag().GetValue(tvTitle), "T");
        EXPECT_EQ(file_.Audio().StartPos(), static_cast<long>(junkSize + tag.size()));

        // Even a change that would fit in place moves the tag in front of the junk.
        file_.Tag().SetValue(tvTitle, "T2");
        EXPECT_EQ(file_.PutTags(), 0);
        const auto size = static_cast<size_t>(file_.Tag().tagSize());
        EXPECT_EQ(file_.Tag().tagPosition(), 1);
        EXPECT_EQ(file_.Audio().StartPos(), static_cast<long>(size + junkSize));
        std::string after = ReadBytes(path);
        ASSERT_EQ(after.size(), size + junkSize + audio_.size());
        EXPECT_BYTES(after.substr(size, junkSize), junk);
        EXPECT_BYTES(after.substr(size + junkSize), audio_);
        ASSERT_TRUE(file_.ReadFile(path, true));
        EXPECT_EQ(file_.Tag().tagPosition(), 1);
        EXPECT_EQ(file_.Tag().GetValue(tvTitle), "T2");
        EXPECT_EQ(file_.Tag().GetValue(tvComposer), "C");
        EXPECT_EQ(file_.Audio().StartPos(), static_cast<long>(size + junkSize));

        // A write in place now, then the tag's removal: the junk stays, the audio too.
        file_.Tag().SetValue(tvTitle, "T3");
        EXPECT_EQ(file_.PutTags(), 0);
        EXPECT_EQ(ReadBytes(path).size(), after.size());
        ASSERT_TRUE(file_.ReadFile(path, true));
        file_.Tag().Remove(tkID3v2);
        EXPECT_EQ(file_.PutTags(), 0);
        EXPECT_BYTES(ReadBytes(path), junk + audio_);
    }
}

TEST_F(ID3HandlerTest, RemoveJunkNeverRemovesATagHeader) {
    // A readable tag behind 2047 bytes of junk: the junk goes, the tag stays.
    const std::string tag = V23Tag({{"TIT2", "Kept"}}, 30);
    std::string path = Make("a.mp3", std::string(2047, 'j') + tag + audio_);
    EXPECT_EQ(file_.Tag().RemoveJunk(), 0);
    EXPECT_BYTES(ReadBytes(path), tag + audio_);
    EXPECT_EQ(file_.Tag().tagPosition(), 1);
    EXPECT_EQ(file_.Audio().StartPos(), static_cast<long>(tag.size()));

    // A tag whose size bytes have bit 7 set cannot be read; the junk in front of it goes, the
    // tag with everything behind it stays.
    std::string broken = tag;
    broken[8] = '\x81';
    path = Make("b.mp3", std::string(300, 'j') + broken + audio_);
    ASSERT_FALSE(file_.Tag().hasTag(tkID3v2));
    ASSERT_TRUE(file_.Audio().IsValid());
    EXPECT_EQ(file_.Tag().RemoveJunk(), 0);
    EXPECT_BYTES(ReadBytes(path), broken + audio_);
    EXPECT_EQ(file_.Audio().StartPos(), static_cast<long>(broken.size()));
    path = Make("c.mp3", broken + audio_);
    EXPECT_EQ(file_.Tag().RemoveJunk(), 0);
    EXPECT_BYTES(ReadBytes(path), broken + audio_);

    // A second tag between the first and the audio stays; the junk in front of it goes.
    const std::string second = V23Tag({{"TIT2", "Second"}}, 0);
    path = Make("d.mp3", std::string(40, 'j') + tag + std::string(60, 'k') + second + std::string(20, 'k') + audio_);
    EXPECT_EQ(file_.Tag().RemoveJunk(), 0);
    EXPECT_BYTES(ReadBytes(path), tag + second + std::string(20, 'k') + audio_);
    EXPECT_EQ(file_.Audio().StartPos(), static_cast<long>(tag.size() + second.size() + 20));
    ASSERT_TRUE(file_.ReadFile(path, true));
    EXPECT_EQ(file_.Tag().GetValue(tvTitle), "Kept");
}

TEST_F(ID3HandlerTest, EditsLeaveValuesTheyDoNotTouch) {
    // An ID3v1 genre byte without a name (148..254) survives an edit of another field, with
    // the tags kept in step.
    std::string path = Make("a.mp3", V23Tag({{"TIT2", "T"}, {"TCOM", "C"}}, 100) + audio_ +
                                         V1Tag("T", "", 0, 200));
    file_.Tag().SetValue(tvTitle, "New");
    EXPECT_EQ(file_.PutTags(), 0);
    std::string bytes = ReadBytes(path);
    EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 200);
    EXPECT_EQ(bytes.substr(bytes.size() - 125, 3), "New");
    path = Make("b.mp3", audio_ + V1Tag("T", "", 0, 254));
    file_.Tag().SetValue(tvArtist, "Band");
    EXPECT_EQ(file_.PutTags(), 0);
    EXPECT_EQ(static_cast<unsigned char>(ReadBytes(path).back()), 254);

    // A Lyrics3 block left without its ID3v1 tag stays through a write of the ID3v2 tag alone.
    const std::string leftOver = "LYRICSBEGINwordsLYRICSEND";
    path = Make("d.mp3", V23Tag({{"TIT2", "T"}}, 100) + audio_ + leftOver);
    file_.Tag().SetValue(tvTitle, "New");
    EXPECT_EQ(file_.PutTags(), 0);
    bytes = ReadBytes(path);
    EXPECT_EQ(bytes.substr(bytes.size() - leftOver.size()), leftOver);

    // Removing the tags while "Always" adds an ID3v1 tag: the new tag starts empty.
    settings().UseID3v1 = tuAlways;
    path = Make("c.mp3", V23Tag({{"TIT2", "Old title"}, {"TPE1", "Old artist"}, {"TALB", "Old album"}}, 0) + audio_);
    file_.Tag().Remove(tkAll);
    EXPECT_EQ(file_.PutTags(), 0);
    EXPECT_BYTES(ReadBytes(path), audio_ + V1Tag(""));
    ASSERT_TRUE(file_.ReadFile(path, true));
    EXPECT_EQ(file_.Tag().GetValue(tvTitle), "");
    EXPECT_EQ(file_.Tag().GetValue(tvArtist), "");
}

TEST_F(ID3HandlerTest, RemoveJunkCases) {
    // No tag, first frame at 300.
    std::string path = Make("a.mp3", std::string(300, 'j') + audio_ + V1Tag("t"));
    ASSERT_EQ(file_.Audio().StartPos(), 300);
    EXPECT_EQ(file_.Tag().RemoveJunk(), 0);
    EXPECT_BYTES(ReadBytes(path), audio_ + V1Tag("t"));
    EXPECT_EQ(file_.Audio().StartPos(), 0);

    // Tag at 101, frame 50 bytes after it: 150 bytes shorter.
    const std::string tag = V23Tag({{"TIT2", "T"}}, 20);
    path = Make("b.mp3", std::string(100, 'j') + tag + std::string(50, 'k') + audio_);
    EXPECT_EQ(file_.Tag().RemoveJunk(), 0);
    EXPECT_BYTES(ReadBytes(path), tag + audio_);
    EXPECT_EQ(file_.Tag().tagPosition(), 1);
    EXPECT_EQ(file_.Audio().StartPos(), static_cast<long>(tag.size()));
    ASSERT_TRUE(file_.ReadFile(path, true));
    EXPECT_EQ(file_.Audio().StartPos(), static_cast<long>(tag.size()));

    // Tag at 1: the junk after it stays; so does a file without any audio.
    const std::string kept = tag + std::string(50, 'k') + audio_;
    path = Make("c.mp3", kept);
    EXPECT_EQ(file_.Tag().RemoveJunk(), 0);
    EXPECT_BYTES(ReadBytes(path), kept);
    path = Make("d.mp3", std::string(3000, 'z'));
    EXPECT_EQ(file_.Tag().RemoveJunk(), 0);
    EXPECT_BYTES(ReadBytes(path), std::string(3000, 'z'));
}

TEST_F(ID3HandlerTest, FailuresLeaveTheFileAsItWas) {
    // The file cannot grow: the rebuild fails, the original stays, no temporary file remains.
    const std::string original = V23Tag({{"TIT2", "T"}}, 0) + audio_ + V1Tag("T");
    std::string path = Make("a.mp3", original);
    file_.Tag().SetValue(tvTitle, std::string(200, 'g'));
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 2000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = file_.PutTags();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(result, EFBIG);
    EXPECT_BYTES(ReadBytes(path), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.dir()), {}), 1);

    // The file vanished between reading and writing.
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_EQ(file_.PutTags(), ENOENT);

    // The tag changed on disk since it was read: nothing is overwritten.
    path = Make("b.mp3", original);
    const std::string other = V23Tag({{"TIT2", "Other title"}}, 0) + audio_;
    WriteBytes(path, other);
    file_.Tag().SetValue(tvTitle, "x");
    EXPECT_NE(file_.PutTags(), 0);
    EXPECT_BYTES(ReadBytes(path), other);

    // A tag whose size reaches past the audio: the audio length would be negative.
    // (The tag claims to end inside the ID3v1 tag.)
    std::string damaged = V23Tag({{"TIT2", "T"}}, 0) + audio_.substr(0, 500) + V1Tag("T");
    const std::string size = vorda::id3v2::WriteSynchsafe(static_cast<uint32_t>(damaged.size() - 10 - 64));
    damaged.replace(6, 4, size);
    path = Make("c.mp3", damaged);
    file_.Tag().SetValue(tvTitle, "x");
    EXPECT_EQ(file_.PutTags(), EINVAL);
    EXPECT_BYTES(ReadBytes(path), damaged);
}

TEST_F(ID3HandlerTest, RebuildFollowsSymbolicLinks) {
    const std::string target = dir_.File("real.mp3");
    WriteBytes(target, V23Tag({{"TIT2", "T"}}, 0) + audio_);
    const std::string link = dir_.File("link.mp3");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_TRUE(file_.ReadFile(link, true));
    file_.Tag().SetValue(tvTitle, std::string(50, 'q'));
    EXPECT_EQ(file_.PutTags(), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    ASSERT_TRUE(file_.ReadFile(target, true));
    EXPECT_EQ(file_.Tag().GetValue(tvTitle), std::string(50, 'q'));
}

TEST(FieldEditTest, EditLanguageAndFilter) {
    EXPECT_EQ(ApplyFieldEdit("new", "old", false), "old");
    EXPECT_EQ(ApplyFieldEdit("new", "old", true), "new");
    EXPECT_EQ(ApplyFieldEdit("l+=01 ", "Song", true), "01 Song");
    EXPECT_EQ(ApplyFieldEdit("r+= (live)", "Song", true), "Song (live)");
    EXPECT_EQ(ApplyFieldEdit("l-=3", "01 Song", true), "Song");
    EXPECT_EQ(ApplyFieldEdit("l-=2.7", "Äbc", true), "c");
    EXPECT_EQ(ApplyFieldEdit("l-=9", "abc", true), "");
    EXPECT_EQ(ApplyFieldEdit("r-=5", "Song (x)", true), "Son");
    EXPECT_EQ(ApplyFieldEdit("r-=2", "Sö€", true), "S");
    EXPECT_EQ(ApplyFieldEdit("r-=9", "abc", true), "");
    EXPECT_EQ(ApplyFieldEdit("r-=x", "abc", true), "r-=x");
    EXPECT_EQ(ApplyFieldEdit("L+=x", "abc", true), "L+=x");
    EXPECT_EQ(ApplyFieldEdit("l+=", "abc", true), "abc");
    EXPECT_EQ(FilterChars("a1b2ö3", "0123456789", true), "123");
    EXPECT_EQ(FilterChars("a1b2ö3", "ö1", false), "ab23");
}

}  // namespace
