// The tag editor: the panes' rules, the typing rules, the confirmation text and both save
// paths (one file, several files) in both display modes, checked with Vorda and mutagen, with
// the audio bytes compared after every save.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <map>
#include <optional>
#include <cstdio>
#include <string>

#include "ID3TestSupport.h"
#include "ListTestSupport.h"
#include "app/ListCommands.h"
#include "editing/SaveTagsCommand.h"
#include "editing/TagFieldRules.h"
#include "editing/TagPanes.h"
#include "tags/clsFile.h"

using namespace vorda;
using id3test::Audio;
using id3test::ReadBytes;
using id3test::V1Tag;
using id3test::V23Tag;
using id3test::WriteBytes;

namespace {

std::string Shell(const std::string& command) { return id3test::CommandOutput(command); }

bool HaveMutagen() { return std::system("/usr/bin/python3 -c 'import mutagen' 2>/dev/null") == 0; }

// Title, artist and album as mutagen reads the ID3v2 tag ("none" without one).
std::string Mutagen(const std::string& path) {
    // mutagen falls back to an ID3v1 tag: "none" means no ID3v2 header at the start.
    return Shell("/usr/bin/python3 -c 'import sys\nfrom mutagen.id3 import ID3\n"
                 "if open(sys.argv[1],\"rb\").read(3)!=b\"ID3\":\n  print(\"none\"); sys.exit()\n"
                 "t=ID3(sys.argv[1])\n"
                 "print(\"|\".join(str(t[k]) if k in t else \"\" for k in (\"TIT2\",\"TPE1\",\"TALB\")))' '" +
                 path + "' 2>&1");
}

std::string Value(const std::string& path, int key) {
    clsFile f;
    if (!f.ReadFile(path, true)) return "<unreadable>";
    return f.Tag().GetValue(key);
}

bool Has(const std::string& path, int kind) {
    clsFile f;
    return f.ReadFile(path, true) && f.Tag().hasTag(kind);
}

class TagEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        Settings& s = settings();
        s.UseID3v1 = tuIfWanted;
        s.UseID3v2 = tuIfWanted;
        s.UseLyrics3 = tuIfWanted;
        s.bTAGKeepSync = false;
        s.bAdvancedMode = true;
        s.bIgnoreReadOnly = false;
        s.bSetAttributes = false;
        s.bReadTags = true;
    }

    // A file with an ID3v2.3 tag (padding room), the audio and an ID3v1 tag; returns its path.
    std::string MakeFile(const std::string& name, const std::string& title, uint32_t seed = 1) {
        const std::string path = dir_.File(name);
        audio_[path] = Audio(12, seed);
        WriteBytes(path, V23Tag({{"TIT2", title}, {"TPE1", "Artist"}, {"TALB", "Album"}}, 400) + audio_[path] +
                             V1Tag(title, "Artist"));
        EXPECT_TRUE(cmds_.AddToFileList(name, dir_.dir() + "/"));
        cmds_.NrTotalFiles = list_.Count();
        return path;
    }

    void ExpectAudioIntact(const std::string& path) {
        clsFile f;
        ASSERT_TRUE(f.ReadFile(path, true));
        const std::string bytes = ReadBytes(path);
        const std::string& audio = audio_[path];
        const auto start = static_cast<size_t>(f.Tag().tagSize());
        EXPECT_TRUE(bytes.size() >= start + audio.size() && bytes.compare(start, audio.size(), audio) == 0)
            << "audio bytes changed in " << path;
    }

    // Selects one row and shows it, as a click does.
    void ShowRow(int row) {
        list_.ClearSelection();
        list_.SetSelected(row, true);
        cmds_.bMultiChange = false;
        ClearTagPanes(panes_, settings().bAdvancedMode, false);
        ASSERT_TRUE(cmds_.ShowFile(row));
        ShowTagsInPanes(panes_, cmds_.filCurrent(), settings().bAdvancedMode);
    }
    void SelectAll() {
        cmds_.SelectAllFiles();
        ClearTagPanes(panes_, settings().bAdvancedMode, true);
    }
    SaveTagsCommand::Outcome Save() {
        SaveTagsCommand save(cmds_, ui_, settings());
        return save.Run(panes_);
    }

    id3test::SettingsGuard guard_;
    id3test::Scratch dir_;
    std::map<std::string, std::string> audio_;
    FileList list_;
    listtest::RecordingUI ui_;
    ListCommands cmds_{list_, ui_, settings()};
    TagPanes panes_;
};

// ---------------------------------------------------------------- panes and typing rules

TEST_F(TagEditorTest, ShowingAFileFillsTheModesFieldsAndClearsTheMarks) {
    const std::string path = MakeFile("a.mp3", "Song");
    ShowRow(1);
    EXPECT_TRUE(panes_.enabled[swID3v1]);
    EXPECT_TRUE(panes_.enabled[swID3v2]);
    EXPECT_FALSE(panes_.enabled[swLyrics3]);
    EXPECT_EQ(panes_.txtField[fldTitle], "Song");
    EXPECT_EQ(panes_.txtField[fldV1Artist], "Artist");
    EXPECT_FALSE(panes_.AnyMark());
    // Typing marks; an enable box and its remove box are never both checked.
    panes_.SetField(fldAlbum, "X");
    EXPECT_TRUE(panes_.chkField[fldAlbum]);
    panes_.SetRemove(swID3v1, true);
    EXPECT_FALSE(panes_.enabled[swID3v1]);
    EXPECT_FALSE(panes_.FieldEditable(fldV1Title));
    panes_.SetEnabled(swID3v1, true);
    EXPECT_FALSE(panes_.remove[swID3v1]);

    // Simple mode: "Use tags" checked, combined keys, no ID3v1 pane.
    settings().bAdvancedMode = false;
    ShowRow(1);
    EXPECT_TRUE(panes_.enabled[swID3v2]);
    EXPECT_EQ(panes_.txtField[fldArtist], "Artist");
    EXPECT_EQ(panes_.txtField[fldV1Title], "");
    EXPECT_EQ(FieldKey(fldV1Title, false), -1);
    EXPECT_EQ(FieldKey(fldYear, true), tvV2Year);

    // Clearing for several rows shows the remove boxes in advanced mode only.
    ClearTagPanes(panes_, true, true);
    EXPECT_EQ(panes_.removeVisible, (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(panes_.cmbGenre, "");
    EXPECT_EQ(panes_.cmbV1Genre, "");

    const auto info = FileInfoTexts(cmds_.filCurrent());
    EXPECT_EQ(info[ifkBit], "128 kbps (CBR)");
    EXPECT_EQ(info[ifQuality].substr(0, 8), "44100Hz ");
    EXPECT_EQ(info[ifType].substr(0, 19), "MPEG 1.0 layer 3 ID");
    EXPECT_EQ(info[ifSize], "Size: " + std::to_string(ReadBytes(path).size()) + "b");
    EXPECT_EQ(info[ifLength], "Duration: 00:00");
}

TEST(TagEditorRules, GenresListsTypingAndWarnings) {
    const auto& genres = GenreList();
    ASSERT_EQ(genres.size(), 148u);
    for (size_t i = 1; i < genres.size(); ++i) EXPECT_LT(genres[i - 1].first, genres[i].first);
    EXPECT_NE(std::find(genres.begin(), genres.end(), std::make_pair(std::string("Rock"), 17)), genres.end());
    EXPECT_EQ(LyricsChoices(lyQuality).back(), "Excellent!");

    EXPECT_TRUE(FieldAcceptsChar(3, "-"));
    EXPECT_FALSE(FieldAcceptsChar(14, "-"));
    EXPECT_FALSE(FieldAcceptsChar(15, "a"));
    EXPECT_TRUE(FieldAcceptsChar(15, "\b"));
    EXPECT_TRUE(FieldAcceptsChar(0, "ü"));
    EXPECT_EQ(FieldPageStep(4, "1", false), std::optional<std::string>("0"));
    EXPECT_EQ(FieldPageStep(4, "0", false), std::nullopt);
    EXPECT_EQ(FieldPageStep(15, "07", true), std::optional<std::string>("8"));
    EXPECT_EQ(FieldPageStep(3, "2001-05", true), std::nullopt);
    EXPECT_EQ(FieldPageStep(0, "7", true), std::nullopt);
    EXPECT_EQ(FieldDescription(5), "Comments");
    EXPECT_EQ(FieldDescription(9), "Link");

    EXPECT_FALSE(ID3v1LengthWarning(11, std::string(30, 'x'), true).warn);
    const LengthWarning w = ID3v1LengthWarning(12, std::string(31, 'x'), true);
    EXPECT_TRUE(w.warn);
    EXPECT_EQ(w.toolTip, "Artist (More than 30 characters - Lyrics3 tag will be added)");
    EXPECT_EQ(ID3v1LengthWarning(13, "short", true).toolTip, "Album");

    EXPECT_EQ(WriteErrorText(EACCES), "Error 13 occured while writing tags. Permission denied. \r\nMake sure the file is not in use.");
    EXPECT_EQ(WriteErrorText(28), "Error 28 occured while writing tags.");
    EXPECT_EQ(ElapsedSecondsText(0.25), "0.25");
    EXPECT_EQ(ElapsedSecondsText(0), "0");
}

TEST(TagEditorRules, ConfirmationTextListsMarkedFieldsAndTagActions) {
    TagPanes p;
    ClearTagPanes(p, true, true);
    p.SetRemove(swID3v1, true);
    p.SetEnabled(swID3v2, true);
    p.SetField(fldTitle, "T");
    p.SetField(fldTrack, "5");
    p.SetGenre(false, "Rock");
    p.SetEnabled(swLyrics3, true);
    p.lyrics[lyMood] = "Happy";
    EXPECT_EQ(SaveConfirmationText(p, true),
              "The following attributes will be changed for ALL selected files:\r\n\r\nID3v1 tags will be REMOVED!"
              "\r\n\r\nID3v2 (will be added if nonexistent):\r\nTitle: \"T\"\r\nGenre: \"Rock\"\r\nTrack: \"5\""
              "\r\n\r\nLyrics3 (will be added if nonexistent):\r\nMood: \"Happy\"");
    ClearTagPanes(p, false, true);
    p.SetField(fldComposer, "C");
    p.SetRemove(swLyrics3, true);
    EXPECT_EQ(SaveConfirmationText(p, false),
              "The following attributes will be changed for ALL selected files:\r\n\r\nComposer: \"C\""
              "\r\n\r\nLyrics3 tags will be REMOVED!");
}

// ---------------------------------------------------------------- one file

TEST_F(TagEditorTest, SingleFileAdvancedWritesMarkedFieldsAndRemovesUncheckedTags) {
    const std::string path = MakeFile("a.mp3", "Song");
    ShowRow(1);
    panes_.SetField(fldTitle, "r+= (Live)");
    panes_.SetField(fldYear, "2001-05x");
    panes_.SetEnabled(swID3v1, false);
    ASSERT_EQ(Save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_EQ(Value(path, tvV2Title), "Song (Live)");
    EXPECT_EQ(Value(path, tvV2Year), "2001-05");
    EXPECT_EQ(Value(path, tvV2Artist), "Artist");  // unmarked, kept
    EXPECT_FALSE(Has(path, tkID3v1));
    ExpectAudioIntact(path);
    if (HaveMutagen()) EXPECT_EQ(Mutagen(path), "Song (Live)|Artist|Album\n");
    EXPECT_EQ(ui_.LastOf(3).rfind("All tags saved in ", 0), 0u);
    EXPECT_EQ(list_.GetCellContent(1, colTitle), "Song (Live)");
    EXPECT_TRUE(ui_.questions.empty());
}

TEST_F(TagEditorTest, SingleFileSimpleModeWritesEveryTagOrRemovesThemAll) {
    settings().bAdvancedMode = false;
    const std::string path = MakeFile("a.mp3", "Song");
    ShowRow(1);
    panes_.SetField(fldArtist, "l+=The ");
    ASSERT_EQ(Save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_EQ(Value(path, tvV2Artist), "The Artist");
    EXPECT_EQ(Value(path, tvV1Artist), "The Artist");
    ExpectAudioIntact(path);

    ShowRow(1);
    panes_.SetEnabled(swID3v2, false);  // "Use tags" off
    ASSERT_EQ(Save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_FALSE(Has(path, tkID3v1));
    EXPECT_FALSE(Has(path, tkID3v2));
    EXPECT_EQ(ReadBytes(path), audio_[path]);
    if (HaveMutagen()) EXPECT_EQ(Mutagen(path), "none\n");
}

TEST_F(TagEditorTest, SingleReadOnlyFileIsRefusedWithOneMessage) {
    const std::string path = MakeFile("a.mp3", "Song");
    const std::string before = ReadBytes(path);
    ::chmod(path.c_str(), 0444);
    ShowRow(1);
    panes_.SetField(fldTitle, "New");
    Save();
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].text, "You are trying to save tags to a read-only file!\r\n"
                                     "This is not allowed according to the current settings. ");
    EXPECT_EQ(ui_.questions[0].icon, miInformation);
    EXPECT_EQ(ReadBytes(path), before);
    ::chmod(path.c_str(), 0644);
}

TEST_F(TagEditorTest, AFileChangedAfterItWasShownIsNotOverwritten) {
    const std::string path = MakeFile("a.mp3", "Song");
    ShowRow(1);
    // Another program puts an album into the tag's room while the file is shown.
    const std::string theirs = V23Tag({{"TIT2", "Song"}, {"TPE1", "Artist"}, {"TALB", "Their album"}}, 394) +
                               audio_[path] + V1Tag("Song", "Artist");
    ASSERT_EQ(theirs.size(), ReadBytes(path).size());
    WriteBytes(path, theirs);
    panes_.SetField(fldTitle, "Mine");
    EXPECT_EQ(Save(), SaveTagsCommand::Outcome::Failed);
    EXPECT_EQ(ReadBytes(path), theirs);
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_NE(ui_.questions[0].text.find("changed by another program"), std::string::npos) << ui_.questions[0].text;

    // Shown again, the edit goes through and keeps the other program's album.
    ShowRow(1);
    panes_.SetField(fldTitle, "Mine");
    ASSERT_EQ(Save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_EQ(Value(path, tvV2Title), "Mine");
    EXPECT_EQ(Value(path, tvV2Album), "Their album");
}

// ---------------------------------------------------------------- several files

TEST_F(TagEditorTest, SeveralFilesApplyTheEditLanguageToEachStoredValue) {
    const std::string a = MakeFile("a.mp3", "One", 1);
    const std::string b = MakeFile("b.mp3", "Two", 2);
    const std::string c = MakeFile("c.mp3", "Abc", 3);
    SelectAll();
    panes_.SetEnabled(swID3v2, true);
    panes_.SetField(fldTitle, "l+=Live ");
    panes_.SetField(fldTrack, "7x");
    // Cancel writes nothing.
    ui_.answers = {anCancel};
    const std::string before = ReadBytes(a);
    EXPECT_EQ(Save(), SaveTagsCommand::Outcome::Canceled);
    EXPECT_EQ(ReadBytes(a), before);
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].buttons, mbOKCancel);
    EXPECT_EQ(ui_.questions[0].text, "The following attributes will be changed for ALL selected files:\r\n\r\n"
                                     "ID3v2 (will be added if nonexistent):\r\nTitle: \"l+=Live \"\r\nTrack: \"7x\"");

    ui_.answers = {anOK};
    ASSERT_EQ(Save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_EQ(Value(a, tvV2Title), "Live One");
    EXPECT_EQ(Value(b, tvV2Title), "Live Two");
    EXPECT_EQ(Value(c, tvV2Track), "07");  // padded by the tag options
    EXPECT_EQ(Value(c, tvV1Title), "Abc");  // the ID3v1 switch was off: left alone
    EXPECT_EQ(panes_.txtField[fldTrack], "7");

    panes_.ClearMarks();
    panes_.SetField(fldTitle, "r-=9");
    ui_.answers = {anOK};
    ASSERT_EQ(Save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_EQ(Value(c, tvV2Title), "");
    panes_.SetField(fldTitle, "l-=x");
    ui_.answers = {anOK};
    Save();
    EXPECT_EQ(Value(a, tvV2Title), "l-=x");
    for (const std::string& p : {a, b, c}) {
        ExpectAudioIntact(p);
        if (HaveMutagen()) EXPECT_EQ(Mutagen(p), "l-=x|Artist|Album\n");
    }
    EXPECT_EQ(list_.GetCellContent(2, colTitle), "l-=x");
    EXPECT_EQ(ui_.LastOf(3).rfind("All tags saved in ", 0), 0u);
}

TEST_F(TagEditorTest, SeveralFilesRemoveBoxesAndLyricsWriteOnlyTypedValues) {
    const std::string a = MakeFile("a.mp3", "One", 1);
    const std::string b = MakeFile("b.mp3", "Two", 2);
    {  // a has Lyrics3 values beforehand
        clsFile f;
        ASSERT_TRUE(f.ReadFile(a, true));
        f.Tag().Add(tkLyrics3);
        f.Tag().SetValue(tvAuthor, "Writer");
        f.Tag().SetValue(tvLyrics, "First line\r\nSecond line");
        ASSERT_EQ(f.PutTags(), 0);
    }
    SelectAll();
    panes_.SetRemove(swID3v2, true);
    panes_.SetEnabled(swID3v1, true);
    panes_.SetField(fldV1Year, "19x99");
    panes_.SetEnabled(swLyrics3, true);
    panes_.lyrics[lyMood] = "Happy";
    ui_.answers = {anOK};
    ASSERT_EQ(Save(), SaveTagsCommand::Outcome::Saved);
    for (const std::string& p : {a, b}) {
        EXPECT_FALSE(Has(p, tkID3v2));
        EXPECT_EQ(Value(p, tvV1Year), "1999");
        EXPECT_EQ(Value(p, tvMood), "Happy");
        // The confirmation lists only the mood: every other Lyrics3 value stays as it was.
        EXPECT_EQ(Value(p, tvAuthor), p == a ? "Writer" : "");
        EXPECT_EQ(Value(p, tvLyrics), p == a ? "First line\r\nSecond line" : "");
        ExpectAudioIntact(p);
        if (HaveMutagen()) EXPECT_EQ(Mutagen(p), "none\n");
    }
}

TEST_F(TagEditorTest, SeveralFilesSimpleModeWritesGeneralFieldsIntoEveryTag) {
    settings().bAdvancedMode = false;
    const std::string a = MakeFile("a.mp3", "One", 1);
    const std::string b = MakeFile("b.mp3", "Two", 2);
    SelectAll();
    panes_.SetField(fldAlbum, "Best of");
    panes_.SetGenre(false, "Rock");
    ui_.answers = {anOK};
    ASSERT_EQ(Save(), SaveTagsCommand::Outcome::Saved);
    for (const std::string& p : {a, b}) {
        EXPECT_EQ(Value(p, tvV1Album), "Best of");
        EXPECT_EQ(Value(p, tvV2Album), "Best of");
        EXPECT_EQ(Value(p, tvV1Genre), "Rock");
        ExpectAudioIntact(p);
    }
    EXPECT_EQ(Value(a, tvTitle), "One");
}

TEST_F(TagEditorTest, SeveralFilesReportFailuresOnceAndKeepTheWrittenFiles) {
    const std::string a = MakeFile("a.mp3", "One", 1);
    const std::string b = MakeFile("b.mp3", "Two", 2);
    const std::string c = MakeFile("c.mp3", "Three", 3);
    const std::string d = MakeFile("d.mp3", "Four", 4);
    ::chmod(b.c_str(), 0444);
    std::remove(c.c_str());
    SelectAll();
    panes_.SetEnabled(swID3v2, true);
    panes_.SetField(fldArtist, "Band");
    ui_.answers = {anOK};
    SaveTagsCommand save(cmds_, ui_, settings());
    EXPECT_EQ(save.Run(panes_), SaveTagsCommand::Outcome::Failed);
    EXPECT_EQ(save.FilesSaved(), 2);
    EXPECT_EQ(save.FilesFailed(), 2);
    EXPECT_EQ(Value(a, tvV2Artist), "Band");
    EXPECT_EQ(Value(d, tvV2Artist), "Band");
    EXPECT_EQ(Value(b, tvV2Artist), "Artist");
    ASSERT_EQ(ui_.questions.size(), 2u);
    EXPECT_EQ(ui_.questions[1].icon, miError);
    EXPECT_EQ(ui_.questions[1].text.rfind("Tags could not be saved to 2 of 4 files.\r\n\r\nFirst error: " + b +
                                              "\r\nThe file is read-only",
                                          0),
              0u);
    EXPECT_EQ(ui_.LastOf(3).rfind("Tags saved to 2 of 4 files in ", 0), 0u);
    ::chmod(b.c_str(), 0644);
}

TEST_F(TagEditorTest, SeveralFilesGetThePendingPictureAsFrontCover) {
    const std::string png = std::string("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16) + std::string(30, '\x07');
    const std::string oldFront = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(20, 'J') + "\xFF\xD9";
    const std::string back = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(20, 'B') + "\xFF\xD9";
    auto apic = [](const std::string& data, char type) {
        return std::string("image/jpeg") + '\0' + type + '\0' + data;
    };
    const std::string a = dir_.File("a.mp3");
    audio_[a] = Audio(12, 1);
    WriteBytes(a, V23Tag({{"TIT2", "One"}, {"APIC", apic(oldFront, '\x03')}, {"APIC", apic(back, '\x04')}}, 400) +
                      audio_[a]);
    ASSERT_TRUE(cmds_.AddToFileList("a.mp3", dir_.dir() + "/"));
    const std::string b = MakeFile("b.mp3", "Two", 2);
    SelectAll();
    panes_.pendingPicture = png;
    panes_.pendingPictureMime = "image/png";
    // Only the picture: no tag switch is needed for it.
    ui_.answers = {anOK};
    ASSERT_EQ(Save(), SaveTagsCommand::Outcome::Saved);
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].text, "The following attributes will be changed for ALL selected files:\r\n\r\n"
                                     "Front cover (image/png, 46 bytes) will be added.");
    for (const std::string& p : {a, b}) {
        ExpectAudioIntact(p);
        if (!HaveMutagen()) continue;
        const std::string frames = Shell(
            "/usr/bin/python3 -c 'import sys\nfrom mutagen.id3 import ID3\nt=ID3(sys.argv[1])\n"
            "print(sorted(\"%d|%s|%s\" % (f.type, f.mime, f.data.hex()) for f in t.getall(\"APIC\")))' '" + p + "'");
        auto hex = [](const std::string& bytes) {
            static const char* digits = "0123456789abcdef";
            std::string out;
            for (unsigned char ch : bytes) out += std::string{digits[ch >> 4], digits[ch & 15]};
            return out;
        };
        const std::string front = "'3|image/png|" + hex(png) + "'";
        if (p == a)
            EXPECT_EQ(frames, "[" + front + ", '4|image/jpeg|" + hex(back) + "']\n");  // the old front cover replaced
        else
            EXPECT_EQ(frames, "[" + front + "]\n");
    }
    EXPECT_EQ(Value(a, tvV2Title), "One");
    EXPECT_EQ(Value(b, tvV1Title), "Two");

    // A removed ID3v2 tag gets no picture.
    panes_.SetRemove(swID3v2, true);
    ui_.answers = {anOK};
    ASSERT_EQ(Save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_FALSE(Has(b, tkID3v2));
    EXPECT_EQ(ui_.questions[1].text.find("Front cover"), std::string::npos);
    ExpectAudioIntact(b);
}

TEST_F(TagEditorTest, NothingHappensWithoutRowsOrSwitches) {
    EXPECT_EQ(Save(), SaveTagsCommand::Outcome::Nothing);
    MakeFile("a.mp3", "One");
    MakeFile("b.mp3", "Two");
    SelectAll();
    panes_ = TagPanes();
    EXPECT_EQ(Save(), SaveTagsCommand::Outcome::Nothing);
    EXPECT_TRUE(ui_.questions.empty());
}

}  // namespace
