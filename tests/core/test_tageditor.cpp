// SPDX-License-Identifier: GPL-2.0-or-later

// The tag editor: the panes' rules, the typing rules, the confirmation text and both save
// paths (one file, several files) in both display modes, checked with Vorda and mutagen, with
// the audio bytes compared after every save.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "ID3TestSupport.h"
#include "ListTestSupport.h"
#include "app/ListCommands.h"
#include "editing/SaveTagsCommand.h"
#include "editing/TagFieldRules.h"
#include "editing/TagPanes.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::editing;

using id3test::mp3Audio;
using id3test::readBytes;
using id3test::v1Tag;
using id3test::v23Tag;
using id3test::writeBytes;
using testsupport::haveMutagen;

namespace {

std::string shell(const std::string& command) { return id3test::commandOutput(command); }

// Title, artist and album as mutagen reads the ID3v2 tag ("none" without one).
std::string mutagen(const std::string& path) {
    // mutagen falls back to an ID3v1 tag: "none" means no ID3v2 header at the start.
    return shell("/usr/bin/python3 -c 'import sys\nfrom mutagen.id3 import ID3\n"
                 "if open(sys.argv[1],\"rb\").read(3)!=b\"ID3\":\n  print(\"none\"); sys.exit()\n"
                 "t=ID3(sys.argv[1])\n"
                 "print(\"|\".join(str(t[k]) if k in t else \"\" for k in (\"TIT2\",\"TPE1\",\"TALB\")))' '" +
                 path + "' 2>&1");
}

constexpr auto& value = id3test::tagValue;

bool has(const std::string& path, int kind) {
    AudioFile f;
    f.setOptions(tagOptions(settings()));
    return f.readFile(path, true) && f.tag().hasTag(kind);
}

class TagEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        Settings& s = settings();
        s.useId3v1 = TagUse::IfWanted;
        s.useId3v2 = TagUse::IfWanted;
        s.useLyrics3 = TagUse::IfWanted;
        s.tagKeepSync = false;
        s.advancedMode = true;
        s.ignoreReadOnly = false;
        s.changeAttributes = false;
        s.readTags = true;
    }

    // A file with an ID3v2.3 tag (padding room), the audio and an ID3v1 tag; returns its path.
    std::string makeFile(const std::string& name, const std::string& title, uint32_t seed = 1) {
        const std::string path = dir_.file(name);
        audio_[path] = mp3Audio(12, seed);
        writeBytes(path, v23Tag({{"TIT2", title}, {"TPE1", "Artist"}, {"TALB", "Album"}}, 400) + audio_[path] +
                             v1Tag(title, "Artist"));
        EXPECT_TRUE(cmds_.addToFileList(name, dir_.dir() + "/"));
        cmds_.nrTotalFiles = list_.count();
        return path;
    }

    void expectAudioIntact(const std::string& path) {
        AudioFile f;
        f.setOptions(tagOptions(settings()));
        ASSERT_TRUE(f.readFile(path, true));
        const std::string bytes = readBytes(path);
        const std::string& audio = audio_[path];
        const auto start = static_cast<size_t>(f.tag().tagSize());
        EXPECT_TRUE(bytes.size() >= start + audio.size() && bytes.compare(start, audio.size(), audio) == 0)
            << "audio bytes changed in " << path;
    }

    // Selects one row and shows it, as a click does.
    void showRow(int row) {
        list_.clearSelection();
        list_.setSelected(row, true);
        cmds_.bMultiChange = false;
        clearTagPanes(panes_, settings().advancedMode, false);
        ASSERT_TRUE(cmds_.showFile(row));
        showTagsInPanes(panes_, cmds_.filCurrent(), settings().advancedMode);
    }
    void selectAll() {
        cmds_.selectAllFiles();
        clearTagPanes(panes_, settings().advancedMode, true);
    }
    SaveTagsCommand::Outcome save() {
        SaveTagsCommand save(cmds_, ui_, settings());
        return save.run(panes_);
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
    const std::string path = makeFile("a.mp3", "Song");
    showRow(1);
    EXPECT_TRUE(panes_.enabled[TagSwitch::Id3v1]);
    EXPECT_TRUE(panes_.enabled[TagSwitch::Id3v2]);
    EXPECT_FALSE(panes_.enabled[TagSwitch::Lyrics3]);
    EXPECT_EQ(panes_.txtField[TagField::Title], "Song");
    EXPECT_EQ(panes_.txtField[TagField::V1Artist], "Artist");
    EXPECT_FALSE(panes_.anyMark());
    // Typing marks; an enable box and its remove box are never both checked.
    panes_.setField(TagField::Album, "X");
    EXPECT_TRUE(panes_.chkField[TagField::Album]);
    panes_.setRemove(TagSwitch::Id3v1, true);
    EXPECT_FALSE(panes_.enabled[TagSwitch::Id3v1]);
    EXPECT_FALSE(panes_.fieldEditable(TagField::V1Title));
    panes_.setEnabled(TagSwitch::Id3v1, true);
    EXPECT_FALSE(panes_.remove[TagSwitch::Id3v1]);

    // Simple mode: "Use tags" checked, combined keys, no ID3v1 pane.
    settings().advancedMode = false;
    showRow(1);
    EXPECT_TRUE(panes_.enabled[TagSwitch::Id3v2]);
    EXPECT_EQ(panes_.txtField[TagField::Artist], "Artist");
    EXPECT_EQ(panes_.txtField[TagField::V1Title], "");
    EXPECT_EQ(fieldKey(TagField::V1Title, false), -1);
    EXPECT_EQ(fieldKey(TagField::Year, true), ValueKey::V2Year);

    // Clearing for several rows shows the remove boxes in advanced mode only.
    clearTagPanes(panes_, true, true);
    EXPECT_EQ(panes_.removeVisible, (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(panes_.cmbGenre, "");
    EXPECT_EQ(panes_.cmbV1Genre, "");

    const auto info = fileInfoTexts(cmds_.filCurrent());
    EXPECT_EQ(info[InfoBox::KBit], "128 kbps (CBR)");
    EXPECT_EQ(info[InfoBox::Quality].substr(0, 8), "44100Hz ");
    EXPECT_EQ(info[InfoBox::Type].substr(0, 19), "MPEG 1.0 layer 3 ID");
    EXPECT_EQ(info[InfoBox::Size], "Size: " + std::to_string(readBytes(path).size()) + "b");
    EXPECT_EQ(info[InfoBox::Length], "Duration: 00:00");
}

TEST(TagEditorRules, GenresListsTypingAndWarnings) {
    const auto& genres = genreList();
    ASSERT_EQ(genres.size(), 148u);
    for (size_t i = 1; i < genres.size(); ++i) EXPECT_LT(genres[i - 1].first, genres[i].first);
    EXPECT_NE(std::find(genres.begin(), genres.end(), std::make_pair(std::string("Rock"), 17)), genres.end());
    EXPECT_EQ(lyricsChoices(LyricsControl::Quality).back(), "Excellent!");

    EXPECT_TRUE(fieldAcceptsChar(3, "-"));
    EXPECT_FALSE(fieldAcceptsChar(14, "-"));
    EXPECT_FALSE(fieldAcceptsChar(15, "a"));
    EXPECT_TRUE(fieldAcceptsChar(15, "\b"));
    EXPECT_TRUE(fieldAcceptsChar(0, "ü"));
    EXPECT_EQ(fieldPageStep(4, "1", false), std::optional<std::string>("0"));
    EXPECT_EQ(fieldPageStep(4, "0", false), std::nullopt);
    EXPECT_EQ(fieldPageStep(15, "07", true), std::optional<std::string>("8"));
    EXPECT_EQ(fieldPageStep(3, "2001-05", true), std::nullopt);
    EXPECT_EQ(fieldPageStep(0, "7", true), std::nullopt);
    EXPECT_EQ(fieldDescription(5), "Comments");
    EXPECT_EQ(fieldDescription(9), "Link");

    EXPECT_FALSE(id3v1LengthWarning(11, std::string(30, 'x'), true).warn);
    const LengthWarning w = id3v1LengthWarning(12, std::string(31, 'x'), true);
    EXPECT_TRUE(w.warn);
    EXPECT_EQ(w.toolTip, "Artist (More than 30 characters - Lyrics3 tag will be added)");
    EXPECT_EQ(id3v1LengthWarning(13, "short", true).toolTip, "Album");

    EXPECT_EQ(writeErrorText(EACCES),
              "Error 13 occured while writing tags. Permission denied. \r\nMake sure the file is not in use.");
    EXPECT_EQ(writeErrorText(28), "Error 28 occured while writing tags.");
    EXPECT_EQ(elapsedSecondsText(0.25), "0.25");
    EXPECT_EQ(elapsedSecondsText(0), "0");
}

TEST(TagEditorRules, ConfirmationTextListsMarkedFieldsAndTagActions) {
    TagPanes p;
    clearTagPanes(p, true, true);
    p.setRemove(TagSwitch::Id3v1, true);
    p.setEnabled(TagSwitch::Id3v2, true);
    p.setField(TagField::Title, "T");
    p.setField(TagField::Track, "5");
    p.setGenre(false, "Rock");
    p.setEnabled(TagSwitch::Lyrics3, true);
    p.lyrics[LyricsControl::Mood] = "Happy";
    EXPECT_EQ(saveConfirmationText(p, true),
              "The following attributes will be changed for ALL selected files:\r\n\r\nID3v1 tags will be REMOVED!"
              "\r\n\r\nID3v2 (will be added if nonexistent):\r\nTitle: \"T\"\r\nGenre: \"Rock\"\r\nTrack: \"5\""
              "\r\n\r\nLyrics3 (will be added if nonexistent):\r\nMood: \"Happy\"");
    clearTagPanes(p, false, true);
    p.setField(TagField::Composer, "C");
    p.setRemove(TagSwitch::Lyrics3, true);
    EXPECT_EQ(saveConfirmationText(p, false),
              "The following attributes will be changed for ALL selected files:\r\n\r\nComposer: \"C\""
              "\r\n\r\nLyrics3 tags will be REMOVED!");
}

// ---------------------------------------------------------------- one file

TEST_F(TagEditorTest, SingleFileAdvancedWritesMarkedFieldsAndRemovesUncheckedTags) {
    const std::string path = makeFile("a.mp3", "Song");
    showRow(1);
    panes_.setField(TagField::Title, "r+= (Live)");
    panes_.setField(TagField::Year, "2001-05x");
    panes_.setEnabled(TagSwitch::Id3v1, false);
    ASSERT_EQ(save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_EQ(value(path, ValueKey::V2Title), "Song (Live)");
    EXPECT_EQ(value(path, ValueKey::V2Year), "2001-05");
    EXPECT_EQ(value(path, ValueKey::V2Artist), "Artist");  // unmarked, kept
    EXPECT_FALSE(has(path, TagKind::Id3v1));
    expectAudioIntact(path);
    if (haveMutagen()) {
        EXPECT_EQ(mutagen(path), "Song (Live)|Artist|Album\n");
    }
    EXPECT_EQ(ui_.lastOf(3).rfind("All tags saved in ", 0), 0u);
    EXPECT_EQ(list_.getCellContent(1, ListColumn::Title), "Song (Live)");
    EXPECT_TRUE(ui_.questions.empty());
}

TEST_F(TagEditorTest, SingleFileSimpleModeWritesEveryTagOrRemovesThemAll) {
    settings().advancedMode = false;
    const std::string path = makeFile("a.mp3", "Song");
    showRow(1);
    panes_.setField(TagField::Artist, "l+=The ");
    ASSERT_EQ(save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_EQ(value(path, ValueKey::V2Artist), "The Artist");
    EXPECT_EQ(value(path, ValueKey::V1Artist), "The Artist");
    expectAudioIntact(path);

    showRow(1);
    panes_.setEnabled(TagSwitch::Id3v2, false);  // "Use tags" off
    ASSERT_EQ(save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_FALSE(has(path, TagKind::Id3v1));
    EXPECT_FALSE(has(path, TagKind::Id3v2));
    EXPECT_EQ(readBytes(path), audio_[path]);
    if (haveMutagen()) {
        EXPECT_EQ(mutagen(path), "none\n");
    }
}

TEST_F(TagEditorTest, SingleReadOnlyFileIsRefusedWithOneMessage) {
    const std::string path = makeFile("a.mp3", "Song");
    const std::string before = readBytes(path);
    ::chmod(path.c_str(), 0444);
    showRow(1);
    panes_.setField(TagField::Title, "New");
    save();
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].text, "You are trying to save tags to a read-only file!\r\n"
                                     "This is not allowed according to the current settings. ");
    EXPECT_EQ(ui_.questions[0].icon, MessageIcon::Information);
    EXPECT_EQ(readBytes(path), before);
    ::chmod(path.c_str(), 0644);
}

TEST_F(TagEditorTest, AFileChangedAfterItWasShownIsNotOverwritten) {
    const std::string path = makeFile("a.mp3", "Song");
    showRow(1);
    // Another program puts an album into the tag's room while the file is shown.
    const std::string theirs = v23Tag({{"TIT2", "Song"}, {"TPE1", "Artist"}, {"TALB", "Their album"}}, 394) +
                               audio_[path] + v1Tag("Song", "Artist");
    ASSERT_EQ(theirs.size(), readBytes(path).size());
    writeBytes(path, theirs);
    panes_.setField(TagField::Title, "Mine");
    EXPECT_EQ(save(), SaveTagsCommand::Outcome::Failed);
    EXPECT_EQ(readBytes(path), theirs);
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_NE(ui_.questions[0].text.find("changed by another program"), std::string::npos) << ui_.questions[0].text;

    // Shown again, the edit goes through and keeps the other program's album.
    showRow(1);
    panes_.setField(TagField::Title, "Mine");
    ASSERT_EQ(save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_EQ(value(path, ValueKey::V2Title), "Mine");
    EXPECT_EQ(value(path, ValueKey::V2Album), "Their album");
}

// ---------------------------------------------------------------- several files

TEST_F(TagEditorTest, SeveralFilesApplyTheEditLanguageToEachStoredValue) {
    const std::string a = makeFile("a.mp3", "One", 1);
    const std::string b = makeFile("b.mp3", "Two", 2);
    const std::string c = makeFile("c.mp3", "Abc", 3);
    selectAll();
    panes_.setEnabled(TagSwitch::Id3v2, true);
    panes_.setField(TagField::Title, "l+=Live ");
    panes_.setField(TagField::Track, "7x");
    // Cancel writes nothing.
    ui_.answers = {MessageAnswer::Cancel};
    const std::string before = readBytes(a);
    EXPECT_EQ(save(), SaveTagsCommand::Outcome::Canceled);
    EXPECT_EQ(readBytes(a), before);
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(ui_.questions[0].text, "The following attributes will be changed for ALL selected files:\r\n\r\n"
                                     "ID3v2 (will be added if nonexistent):\r\nTitle: \"l+=Live \"\r\nTrack: \"7x\"");

    ui_.answers = {MessageAnswer::Ok};
    ASSERT_EQ(save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_EQ(value(a, ValueKey::V2Title), "Live One");
    EXPECT_EQ(value(b, ValueKey::V2Title), "Live Two");
    EXPECT_EQ(value(c, ValueKey::V2Track), "07");   // padded by the tag options
    EXPECT_EQ(value(c, ValueKey::V1Title), "Abc");  // the ID3v1 switch was off: left alone
    EXPECT_EQ(panes_.txtField[TagField::Track], "7");

    panes_.clearMarks();
    panes_.setField(TagField::Title, "r-=9");
    ui_.answers = {MessageAnswer::Ok};
    ASSERT_EQ(save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_EQ(value(c, ValueKey::V2Title), "");
    panes_.setField(TagField::Title, "l-=x");
    ui_.answers = {MessageAnswer::Ok};
    save();
    EXPECT_EQ(value(a, ValueKey::V2Title), "l-=x");
    for (const std::string& p : {a, b, c}) {
        expectAudioIntact(p);
        if (haveMutagen()) {
            EXPECT_EQ(mutagen(p), "l-=x|Artist|Album\n");
        }
    }
    EXPECT_EQ(list_.getCellContent(2, ListColumn::Title), "l-=x");
    EXPECT_EQ(ui_.lastOf(3).rfind("All tags saved in ", 0), 0u);
}

TEST_F(TagEditorTest, SeveralFilesRemoveBoxesAndLyricsWriteOnlyTypedValues) {
    const std::string a = makeFile("a.mp3", "One", 1);
    const std::string b = makeFile("b.mp3", "Two", 2);
    {  // a has Lyrics3 values beforehand
        AudioFile f;
        f.setOptions(tagOptions(settings()));
        ASSERT_TRUE(f.readFile(a, true));
        f.tag().add(TagKind::Lyrics3);
        f.tag().setValue(ValueKey::Author, "Writer");
        f.tag().setValue(ValueKey::Lyrics, "First line\r\nSecond line");
        ASSERT_EQ(f.putTags(), 0);
    }
    selectAll();
    panes_.setRemove(TagSwitch::Id3v2, true);
    panes_.setEnabled(TagSwitch::Id3v1, true);
    panes_.setField(TagField::V1Year, "19x99");
    panes_.setEnabled(TagSwitch::Lyrics3, true);
    panes_.lyrics[LyricsControl::Mood] = "Happy";
    ui_.answers = {MessageAnswer::Ok};
    ASSERT_EQ(save(), SaveTagsCommand::Outcome::Saved);
    for (const std::string& p : {a, b}) {
        EXPECT_FALSE(has(p, TagKind::Id3v2));
        EXPECT_EQ(value(p, ValueKey::V1Year), "1999");
        EXPECT_EQ(value(p, ValueKey::Mood), "Happy");
        // The confirmation lists only the mood: every other Lyrics3 value stays as it was.
        EXPECT_EQ(value(p, ValueKey::Author), p == a ? "Writer" : "");
        EXPECT_EQ(value(p, ValueKey::Lyrics), p == a ? "First line\r\nSecond line" : "");
        expectAudioIntact(p);
        if (haveMutagen()) {
            EXPECT_EQ(mutagen(p), "none\n");
        }
    }
}

TEST_F(TagEditorTest, SeveralFilesSimpleModeWritesGeneralFieldsIntoEveryTag) {
    settings().advancedMode = false;
    const std::string a = makeFile("a.mp3", "One", 1);
    const std::string b = makeFile("b.mp3", "Two", 2);
    selectAll();
    panes_.setField(TagField::Album, "Best of");
    panes_.setGenre(false, "Rock");
    ui_.answers = {MessageAnswer::Ok};
    ASSERT_EQ(save(), SaveTagsCommand::Outcome::Saved);
    for (const std::string& p : {a, b}) {
        EXPECT_EQ(value(p, ValueKey::V1Album), "Best of");
        EXPECT_EQ(value(p, ValueKey::V2Album), "Best of");
        EXPECT_EQ(value(p, ValueKey::V1Genre), "Rock");
        expectAudioIntact(p);
    }
    EXPECT_EQ(value(a, ValueKey::Title), "One");
}

TEST_F(TagEditorTest, SeveralFilesReportFailuresOnceAndKeepTheWrittenFiles) {
    const std::string a = makeFile("a.mp3", "One", 1);
    const std::string b = makeFile("b.mp3", "Two", 2);
    const std::string c = makeFile("c.mp3", "Three", 3);
    const std::string d = makeFile("d.mp3", "Four", 4);
    ::chmod(b.c_str(), 0444);
    std::remove(c.c_str());
    selectAll();
    panes_.setEnabled(TagSwitch::Id3v2, true);
    panes_.setField(TagField::Artist, "Band");
    ui_.answers = {MessageAnswer::Ok};
    SaveTagsCommand save(cmds_, ui_, settings());
    EXPECT_EQ(save.run(panes_), SaveTagsCommand::Outcome::Failed);
    EXPECT_EQ(save.filesSaved(), 2);
    EXPECT_EQ(save.filesFailed(), 2);
    EXPECT_EQ(value(a, ValueKey::V2Artist), "Band");
    EXPECT_EQ(value(d, ValueKey::V2Artist), "Band");
    EXPECT_EQ(value(b, ValueKey::V2Artist), "Artist");
    ASSERT_EQ(ui_.questions.size(), 2u);
    EXPECT_EQ(ui_.questions[1].icon, MessageIcon::Error);
    EXPECT_EQ(ui_.questions[1].text.rfind(
                  "Tags could not be saved to 2 of 4 files.\r\n\r\nFirst error: " + b + "\r\nThe file is read-only", 0),
              0u);
    EXPECT_EQ(ui_.lastOf(3).rfind("Tags saved to 2 of 4 files in ", 0), 0u);
    ::chmod(b.c_str(), 0644);
}

TEST_F(TagEditorTest, SeveralFilesGetThePendingPictureAsFrontCover) {
    const std::string png = std::string("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16) + std::string(30, '\x07');
    const std::string oldFront = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(20, 'J') + "\xFF\xD9";
    const std::string back = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(20, 'B') + "\xFF\xD9";
    auto apic = [](const std::string& data, char type) {
        return std::string("image/jpeg") + '\0' + type + '\0' + data;
    };
    const std::string a = dir_.file("a.mp3");
    audio_[a] = mp3Audio(12, 1);
    writeBytes(
        a, v23Tag({{"TIT2", "One"}, {"APIC", apic(oldFront, '\x03')}, {"APIC", apic(back, '\x04')}}, 400) + audio_[a]);
    ASSERT_TRUE(cmds_.addToFileList("a.mp3", dir_.dir() + "/"));
    const std::string b = makeFile("b.mp3", "Two", 2);
    selectAll();
    panes_.pendingPicture = png;
    panes_.pendingPictureMime = "image/png";
    // Only the picture: no tag switch is needed for it.
    ui_.answers = {MessageAnswer::Ok};
    ASSERT_EQ(save(), SaveTagsCommand::Outcome::Saved);
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].text, "The following attributes will be changed for ALL selected files:\r\n\r\n"
                                     "Front cover (image/png, 46 bytes) will be added.");
    for (const std::string& p : {a, b}) {
        expectAudioIntact(p);
        if (!haveMutagen()) continue;
        const std::string frames =
            shell("/usr/bin/python3 -c 'import sys\nfrom mutagen.id3 import ID3\nt=ID3(sys.argv[1])\n"
                  "print(sorted(\"%d|%s|%s\" % (f.type, f.mime, f.data.hex()) for f in t.getall(\"APIC\")))' '" +
                  p + "'");
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
    EXPECT_EQ(value(a, ValueKey::V2Title), "One");
    EXPECT_EQ(value(b, ValueKey::V1Title), "Two");

    // A removed ID3v2 tag gets no picture.
    panes_.setRemove(TagSwitch::Id3v2, true);
    ui_.answers = {MessageAnswer::Ok};
    ASSERT_EQ(save(), SaveTagsCommand::Outcome::Saved);
    EXPECT_FALSE(has(b, TagKind::Id3v2));
    EXPECT_EQ(ui_.questions[1].text.find("Front cover"), std::string::npos);
    expectAudioIntact(b);
}

TEST_F(TagEditorTest, NothingHappensWithoutRowsOrSwitches) {
    EXPECT_EQ(save(), SaveTagsCommand::Outcome::Nothing);
    makeFile("a.mp3", "One");
    makeFile("b.mp3", "Two");
    selectAll();
    panes_ = TagPanes();
    EXPECT_EQ(save(), SaveTagsCommand::Outcome::Nothing);
    EXPECT_TRUE(ui_.questions.empty());
}

}  // namespace
