// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "NamingTestSupport.h"
#include "base/FileOps.h"
#include "base/Text.h"
#include "naming/SortCommands.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;

using listtest::TempDir;
using namingtest::exists;
using namingtest::filesBelow;
using namingtest::writeMp3;

namespace {

struct SortFixture : ::testing::Test, namingtest::ListFixture {
    TempDir dir;
    SortCommands commands{list, ui, s};
    std::string src = dir / "src/";
    std::string target = dir / "target/";

    void SetUp() override {
        s.recycleFiles = false;
        listtest::makeFolder(target);
    }

    SortInputs inputs(FileMethod method) {
        SortInputs in = SortInputs::fromSettings(s);
        in.method = method;
        in.targetDir = target;
        in.fixFilenames = false;
        in.detectInPattern = false;
        return in;
    }
    // Files by artist Art: five of album A, three of album B.
    void makeAlbums() {
        for (int i = 1; i <= 8; ++i) {
            const std::string album = i <= 5 ? "A" : "B";
            const std::string path = src + "f" + std::to_string(i) + ".mp3";
            writeMp3(path, "Art", album, "Song " + std::to_string(i), std::to_string(i), "2001");
            add(path);
        }
    }
};

TEST_F(SortFixture, CopyAllSortsAlbumsOfAlbumSizeIntoAlbumFolders) {
    makeAlbums();
    ui.answers = {MessageAnswer::Yes};  // the confirmation
    commands.sortAllFiles(inputs(FileMethod::Copy));

    ASSERT_FALSE(ui.questions.empty());
    EXPECT_EQ(ui.questions[0].text, "Are you sure you want to sort (copy) all files like this?\n\nGeneral files: \n" +
                                        target + "<uletter>/<artist>/\n\nAlbums: \n" + target +
                                        "<uletter>/<artist>/<album> (<year>)/");
    EXPECT_EQ(ui.questions[0].buttons, MessageButtons::YesNo);
    std::vector<std::string> expected;
    for (int i = 1; i <= 5; ++i) expected.push_back("A/Art/A (2001)/f" + std::to_string(i) + ".mp3");
    for (int i = 6; i <= 8; ++i) expected.push_back("A/Art/f" + std::to_string(i) + ".mp3");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(filesBelow(target), expected);
    EXPECT_EQ(filesBelow(src).size(), 8u);  // a copy leaves the sources
    const auto statuses = ui.panelTexts(3);
    EXPECT_EQ(statuses.front(), "Copying file(s)...");
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Sorting file 8 of 8, please be patient..."), statuses.end());
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "8 files sorted."), statuses.end());
    EXPECT_EQ(statuses.back(), "Copying done!");
    EXPECT_EQ(rows.count(), 8);
}

TEST_F(SortFixture, MoveWithFixedNamesRemovesMovedRows) {
    makeAlbums();
    s.albumSize = 6;  // no album is big enough: everything to the artist folder
    SortInputs in = inputs(FileMethod::Move);
    in.fixFilenames = true;
    in.outPattern = "<track> <title>";
    ui.answers = {MessageAnswer::Yes};
    commands.sortAllFiles(in);
    EXPECT_NE(ui.questions[0].text.find("\n\nFixing and renaming all files as: \n<track> <title>"), std::string::npos);
    EXPECT_EQ(filesBelow(target).size(), 8u);
    EXPECT_TRUE(exists(target + "A/Art/01 Song 1.mp3"));
    EXPECT_TRUE(filesBelow(src).empty());
    EXPECT_EQ(rows.count(), 0);
    EXPECT_GT(ui.panesCleared, 0);
    EXPECT_EQ(ui.lastOf(3), "Moving done!");
}

TEST_F(SortFixture, RefusalsStopBeforeAnyFileIsTouched) {
    commands.sortAllFiles(inputs(FileMethod::Copy));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, "There are no files in the list.");
    EXPECT_EQ(ui.questions[0].icon, MessageIcon::Information);

    makeAlbums();
    std::filesystem::remove(target);
    ui.questions.clear();
    ui.answers = {MessageAnswer::No};  // confirmation declined
    commands.sortAllFiles(inputs(FileMethod::Copy));
    EXPECT_FALSE(exists(target));

    ui.questions.clear();
    SortInputs in = inputs(FileMethod::Copy);
    in.targetDir = "  ";
    ui.answers = {MessageAnswer::Yes, MessageAnswer::Ok};
    commands.sortAllFiles(in);
    EXPECT_EQ(ui.questions.back().text, "You must choose a target directory first!");

    ui.questions.clear();
    ui.answers = {MessageAnswer::Yes, MessageAnswer::No};  // confirmation, then "create it?" declined
    commands.sortAllFiles(inputs(FileMethod::Move));
    EXPECT_EQ(ui.questions.back().text,
              "The target directory \"" + target + "\" does not exist!\nWould you like to create it?");
    EXPECT_FALSE(exists(target));

    // A file standing where the target folder should be cannot become a folder.
    listtest::writeFile(dir / "plain", "x");
    ui.questions.clear();
    in.targetDir = dir / "plain";
    ui.answers = {MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::Ok};
    commands.sortAllFiles(in);
    EXPECT_EQ(ui.questions.back().text, "Failed to create folder \"" + dir / "plain/" + "\".");
    EXPECT_EQ(filesBelow(src).size(), 8u);

    // Yes creates the target and the run goes on.
    ui.questions.clear();
    ui.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    commands.sortAllFiles(inputs(FileMethod::Copy));
    EXPECT_EQ(filesBelow(target).size(), 8u);
}

TEST_F(SortFixture, ExistingDestinationsFollowTheOverwriteAnswers) {
    for (int i = 1; i <= 4; ++i) {
        writeMp3(src + "f" + std::to_string(i) + ".mp3", "Bob", "", "t" + std::to_string(i));
        add(src + "f" + std::to_string(i) + ".mp3");
        listtest::writeFile(target + "B/Bob/f" + std::to_string(i) + ".mp3", "old");
    }
    SortInputs in = inputs(FileMethod::Move);
    in.useAlbumPattern = false;
    ui.answers = {MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::No,
                  MessageAnswer::Cancel};  // confirm, replace, skip, cancel
    commands.sortAllFiles(in);
    EXPECT_EQ(ui.questions[1].text, "The file \"" + target +
                                        "B/Bob/f1.mp3\" already exists!\n"
                                        "Do you want to replace it with: \n\"" +
                                        src + "f1.mp3\" ?");
    EXPECT_EQ(ui.questions[1].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(ui.questions[1].icon, MessageIcon::Question);
    EXPECT_NE(id3test::readBytes(target + "B/Bob/f1.mp3"), "old");
    EXPECT_FALSE(exists(src + "f1.mp3"));
    EXPECT_EQ(id3test::readBytes(target + "B/Bob/f2.mp3"), "old");
    EXPECT_TRUE(exists(src + "f2.mp3"));
    EXPECT_TRUE(exists(src + "f3.mp3"));
    EXPECT_TRUE(exists(src + "f4.mp3"));
    EXPECT_EQ(commands.handled(), 2);
    EXPECT_TRUE(commands.cancelled());
    const auto statuses = ui.panelTexts(3);
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "2 files sorted."), statuses.end());
    EXPECT_EQ(rows.count(), 3);  // only the moved file's row went

    // "Never replace" skips silently and still counts the files.
    s.fileExistAction = FileExistAction::Skip;
    ui.questions.clear();
    ui.answers = {MessageAnswer::Yes};
    commands.sortAllFiles(in);
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(commands.handled(), 3);
    EXPECT_TRUE(exists(src + "f3.mp3"));

    // "Always replace" replaces without asking.
    s.fileExistAction = FileExistAction::Replace;
    ui.questions.clear();
    ui.answers = {MessageAnswer::Yes};
    commands.sortAllFiles(in);
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_FALSE(exists(src + "f3.mp3"));
    EXPECT_NE(id3test::readBytes(target + "B/Bob/f3.mp3"), "old");
}

TEST_F(SortFixture, AFileSortedOntoItselfStaysAndIsReported) {
    writeMp3(target + "a.mp3", "Cy", "", "one");
    writeMp3(target + "b.mp3", "Cy", "", "two");
    add(target + "a.mp3");
    add(target + "b.mp3");
    const std::string before = id3test::readBytes(target + "a.mp3");
    SortInputs in = inputs(FileMethod::Move);
    in.pathPattern = "";
    in.useAlbumPattern = false;
    ui.answers = {MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::Yes, MessageAnswer::Cancel};
    commands.sortAllFiles(in);
    ASSERT_GE(ui.questions.size(), 5u);
    EXPECT_EQ(ui.questions[2].text, "Error " + std::to_string(kErrSameFile) + " occured while sorting \"" + target +
                                        "a.mp3\".\nMake sure the file is not in use. Press OK to continue with next "
                                        "file or Cancel to abort.");
    EXPECT_EQ(ui.questions[2].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(ui.questions[2].icon, MessageIcon::Error);
    EXPECT_EQ(id3test::readBytes(target + "a.mp3"), before);
    EXPECT_TRUE(exists(target + "b.mp3"));
    EXPECT_EQ(commands.failed(), 2);
    EXPECT_EQ(commands.handled(), 1);  // Cancel in the error box: the second file is not counted
    EXPECT_EQ(rows.count(), 2);
}

TEST_F(SortFixture, FailedOperationsKeepTheSourceAndAskToGoOn) {
    for (int i = 1; i <= 3; ++i) {
        writeMp3(src + "f" + std::to_string(i) + ".mp3", "Dee", "", "t");
        add(src + "f" + std::to_string(i) + ".mp3");
        // A folder stands where each file should go: replacing it fails.
        listtest::makeFolder(target + "D/Dee/f" + std::to_string(i) + ".mp3/inner");
    }
    s.fileExistAction = FileExistAction::Replace;
    SortInputs in = inputs(FileMethod::Move);
    in.useAlbumPattern = false;
    ui.answers = {MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::Cancel};
    commands.sortAllFiles(in);
    ASSERT_EQ(ui.questions.size(), 3u);
    EXPECT_EQ(ui.questions[1].text.rfind("Error ", 0), 0u);
    EXPECT_NE(ui.questions[1].text.find(" occured while sorting \"" + src + "f1.mp3\"."), std::string::npos);
    EXPECT_NE(ui.questions[2].text.find(src + "f2.mp3"), std::string::npos);
    EXPECT_EQ(filesBelow(src).size(), 3u);
    EXPECT_TRUE(filesBelow(target).empty());
    EXPECT_EQ(commands.failed(), 2);
    EXPECT_EQ(commands.handled(), 1);
    EXPECT_EQ(rows.count(), 3);
}

TEST_F(SortFixture, AnErrorInsideTheRunEndsItWithAMessage) {
    struct FailingWindow : listtest::RecordingUI {
        void setProgress(long long, long long max) override {
            if (max > 0) throw std::runtime_error("the progress bar is gone");
        }
    } window;
    SortCommands failing{list, window, s};
    makeAlbums();
    window.answers = {MessageAnswer::Yes};
    failing.sortAllFiles(inputs(FileMethod::Copy));

    EXPECT_TRUE(failing.cancelled());
    ASSERT_EQ(window.questions.size(), 2u);
    EXPECT_EQ(window.questions[1].icon, MessageIcon::Error);
    EXPECT_NE(window.questions[1].text.find("the progress bar is gone"), std::string::npos);
    EXPECT_TRUE(filesBelow(target).empty());
    EXPECT_EQ(filesBelow(src).size(), 8u);
}

TEST_F(SortFixture, TagValuesNeverLeaveTheTargetFolder) {
    writeMp3(src + "a.mp3", "../../..", "/etc", "x/../../y", "1", "..");
    writeMp3(src + "b.mp3", "/tmp/evil", "..", "..", "2");
    add(src + "a.mp3");
    add(src + "b.mp3");
    SortInputs in = inputs(FileMethod::Copy);
    in.fixFilenames = true;
    in.outPattern = "<title>";
    in.pathPattern = "<artist>/<album>/";
    in.albumPattern = "<album>/<year>/";
    s.albumSize = 1;
    const auto plan = commands.planSort(true, target, in.pathPattern, in.albumPattern, in.inPattern, in.outPattern, in);
    ASSERT_EQ(plan.size(), 2u);
    for (const auto& p : plan) {
        const std::string normal = std::filesystem::path(p.destination).lexically_normal().string();
        EXPECT_EQ(normal.rfind(target, 0), 0u) << p.destination;
    }
    ui.answers = {MessageAnswer::Yes};
    commands.sortAllFiles(in);
    EXPECT_EQ(filesBelow(target).size(), 2u);
    EXPECT_EQ(filesBelow(dir.path()).size(), 4u);  // two sources, two copies, nothing elsewhere
}

TEST_F(SortFixture, TwoFilesWithOneDestinationDoNotOverwriteEachOther) {
    writeMp3(src + "one/a.mp3", "Eve", "", "Same");
    writeMp3(src + "two/a.mp3", "Eve", "", "Same");
    add(src + "one/a.mp3");
    add(src + "two/a.mp3");
    const std::string first = id3test::readBytes(src + "one/a.mp3");
    SortInputs in = inputs(FileMethod::Move);
    in.useAlbumPattern = false;
    const auto plan = commands.planSort(true, target, in.pathPattern, "", in.inPattern, in.outPattern, in);
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0].destination, plan[1].destination);
    ui.answers = {MessageAnswer::Yes, MessageAnswer::No};  // confirm; keep the first file when asked about the second
    commands.sortAllFiles(in);
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[1].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(id3test::readBytes(target + "E/Eve/a.mp3"), first);
    EXPECT_TRUE(exists(src + "two/a.mp3"));
    EXPECT_EQ(rows.count(), 1);
}

TEST_F(SortFixture, ARunNeverReplacesItsOwnFilesAndSwapsNamesWithoutLoss) {
    // x and y swap names; z wants y's new name too.
    writeMp3(src + "x.mp3", "Ivy", "", "y");
    writeMp3(src + "y.mp3", "Ivy", "", "x");
    writeMp3(src + "z.mp3", "Ivy", "", "y");
    for (const char* n : {"x", "y", "z"}) add(src + n + ".mp3");
    s.caseChange = CaseChange::NoChanges;
    SortInputs in = inputs(FileMethod::Rename);
    in.fixFilenames = true;
    in.outPattern = "<title>";
    ui.answers = {MessageAnswer::No, MessageAnswer::Ok};  // z: keep the file that has just been given the name
    commands.sortAllFiles(in);
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(
        ui.questions[0].text,
        "The file \"" + src + "y.mp3\" already exists!\nDo you want to replace it with: \n\"" + src + "z.mp3\" ?");
    // Every file is still there, and no temporary name is left behind.
    EXPECT_EQ(filesBelow(src), (std::vector<std::string>{"x.mp3", "y.mp3", "z.mp3"}));
    AudioFile f;
    ASSERT_TRUE(f.readFile(src + "x.mp3", true));
    EXPECT_EQ(f.tag().getValue(ValueKey::Title), "x");
    ASSERT_TRUE(f.readFile(src + "y.mp3", true));
    EXPECT_EQ(f.tag().getValue(ValueKey::Title), "y");
    EXPECT_EQ(rows.getCellContent(1, ListColumn::Filename), "y.mp3");
    EXPECT_EQ(rows.getCellContent(2, ListColumn::Filename), "x.mp3");
    EXPECT_EQ(rows.getCellContent(3, ListColumn::Filename), "z.mp3");
    EXPECT_EQ(commands.failed(), 1);

    // Copies: "always replace" skips a destination that this run wrote or that is a listed file.
    s.fileExistAction = FileExistAction::Replace;
    rows.clear();
    writeMp3(src + "c/a.mp3", "Jo", "", "Same");
    writeMp3(src + "c/b.mp3", "Jo", "", "Same");
    add(src + "c/a.mp3");
    add(src + "c/b.mp3");
    SortInputs copy = inputs(FileMethod::Copy);
    copy.fixFilenames = true;
    copy.outPattern = "<title>";
    copy.useAlbumPattern = false;
    ui.questions.clear();
    ui.answers = {MessageAnswer::Yes, MessageAnswer::Ok};
    commands.sortAllFiles(copy);
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[1].text, "The file \"" + target + "J/Jo/Same.mp3\" was not replaced with \"" + src +
                                        "c/b.mp3\": another file of this run has just been given this name.");
    EXPECT_EQ(ui.questions[1].icon, MessageIcon::Warning);
    EXPECT_EQ(id3test::readBytes(target + "J/Jo/Same.mp3"), id3test::readBytes(src + "c/a.mp3"));
    EXPECT_EQ(commands.handled(), 2);
}

TEST_F(SortFixture, RenameAllRenamesAndRefreshesRows) {
    writeMp3(src + "x.mp3", "Fay", "", "Hello", "3");
    writeMp3(src + "y.mp3", "Fay", "", "World", "4");
    add(src + "x.mp3");
    add(src + "y.mp3");
    SortInputs in = inputs(FileMethod::Rename);
    commands.sortAllFiles(in);  // Fix filenames off: nothing happens
    EXPECT_TRUE(exists(src + "x.mp3"));
    EXPECT_EQ(ui.lastOf(3), "Renaming done!");
    EXPECT_TRUE(ui.questions.empty());

    in.fixFilenames = true;
    in.outPattern = "<artist> - <track> - <title>";
    commands.sortAllFiles(in);
    EXPECT_TRUE(exists(src + "Fay - 03 - Hello.mp3"));
    EXPECT_TRUE(exists(src + "Fay - 04 - World.mp3"));
    EXPECT_EQ(rows.getCellContent(1, ListColumn::Filename), "Fay - 03 - Hello.mp3");
    EXPECT_EQ(rows.getCellContent(2, ListColumn::Filename), "Fay - 04 - World.mp3");
    const auto statuses = ui.panelTexts(3);
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Renaming file 2 of 2, please be patient..."),
              statuses.end());
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "2 files renamed."), statuses.end());
}

TEST_F(SortFixture, RenameFailuresAskToGoOnOrAbort) {
    for (const char* n : {"a", "b", "c"}) {
        writeMp3(src + n + ".mp3", "Gus", "", "Same");
        add(src + std::string(n) + ".mp3");
    }
    SortInputs in = inputs(FileMethod::Rename);
    in.fixFilenames = true;
    in.outPattern = "<title>";
    // a becomes Same.mp3; b would overwrite it: No to the overwrite, OK; c: No, Cancel.
    ui.answers = {MessageAnswer::No, MessageAnswer::Ok, MessageAnswer::No, MessageAnswer::Cancel};
    commands.sortAllFiles(in);
    ASSERT_EQ(ui.questions.size(), 4u);
    EXPECT_EQ(ui.questions[1].text, "Error -1 occured while renaming \"" + src +
                                        "b.mp3\".\nMake sure the file is not in use. Press OK to continue with next "
                                        "file or Cancel to abort.");
    EXPECT_TRUE(exists(src + "Same.mp3"));
    EXPECT_TRUE(exists(src + "b.mp3"));
    EXPECT_TRUE(exists(src + "c.mp3"));
    EXPECT_EQ(rows.getCellContent(2, ListColumn::Filename), "b.mp3");
    EXPECT_EQ(commands.failed(), 2);
    EXPECT_TRUE(commands.cancelled());
}

TEST_F(SortFixture, RenameSelectedUsesTheNewNameBoxAndStepsToTheNextRow) {
    writeMp3(src + "a.mp3", "Hal", "", "One");
    writeMp3(src + "b.mp3", "Hal", "", "Two");
    add(src + "a.mp3");
    add(src + "b.mp3");
    rows.setSelected(1, true);
    SortInputs in = inputs(FileMethod::Rename);
    in.currentRow = 1;
    in.newName = "My: Name?.mp3";
    commands.sortSelectedFiles(in);
    EXPECT_TRUE(exists(src + "My Name.mp3"));
    EXPECT_EQ(rows.getCellContent(1, ListColumn::Filename), "My Name.mp3");
    EXPECT_FALSE(rows.selected(1));
    EXPECT_TRUE(rows.selected(2));
    EXPECT_EQ(commands.currentRow(), 2);
    EXPECT_EQ(ui.newName, "b.mp3");

    // A failing one-file rename shows its own message.
    writeMp3(src + "Taken.mp3", "x", "", "y");
    in.currentRow = 2;
    in.newName = "Taken.mp3";
    ui.answers = {MessageAnswer::No, MessageAnswer::Ok};
    commands.sortSelectedFiles(in);
    ASSERT_FALSE(ui.questions.empty());
    EXPECT_EQ(ui.questions.back().text, "Error -1 occured while renaming file. Make sure the file is not in use.");
    EXPECT_EQ(ui.questions.back().buttons, MessageButtons::Ok);
}

TEST_F(SortFixture, PopupPatternAndAlbumSortWorkOnTheSelection) {
    writeMp3(src + "a.mp3", "Ivy", "Tour", "One", "1", "1999");
    writeMp3(src + "b.mp3", "Ivy", "Tour", "Two", "2", "1999");
    writeMp3(src + "c.mp3", "Ivy", "Tour", "Three", "3", "1999");
    for (const char* n : {"a", "b", "c"}) add(src + n + ".mp3");
    rows.setSelected(1, true);
    rows.setSelected(2, true);
    s.outPatterns = {"<title>", "<track>"};
    SortInputs in = inputs(FileMethod::Rename);
    in.fixFilenames = true;
    in.currentRow = 1;
    commands.sortSelectedUsing(in, 1);
    EXPECT_TRUE(exists(src + "01.mp3"));
    EXPECT_TRUE(exists(src + "02.mp3"));
    EXPECT_TRUE(exists(src + "c.mp3"));
    commands.sortSelectedUsing(in, 5);  // no such entry: nothing
    EXPECT_TRUE(ui.questions.empty());

    // The album sort puts every selected file into its album folder, whatever the album size.
    in = inputs(FileMethod::Move);
    in.outPattern = "<title>";
    commands.sortSelectedAsAlbum(in);
    EXPECT_EQ(filesBelow(target), (std::vector<std::string>{"I/Ivy/Tour (1999)/One.mp3", "I/Ivy/Tour (1999)/Two.mp3"}));
    EXPECT_EQ(rows.count(), 1);
    in.method = FileMethod::Rename;
    commands.sortSelectedAsAlbum(in);  // disabled for renaming
    EXPECT_TRUE(exists(src + "c.mp3"));

    // Two files with one album name: "always replace" keeps the first one copied.
    writeMp3(src + "d.mp3", "Ivy", "Tour", "Three", "4", "1999");
    add(src + "d.mp3");
    rows.selectAll();
    s.fileExistAction = FileExistAction::Replace;
    in.method = FileMethod::Copy;
    commands.sortSelectedAsAlbum(in);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].icon, MessageIcon::Warning);
    EXPECT_EQ(id3test::readBytes(target + "I/Ivy/Tour (1999)/Three.mp3"), id3test::readBytes(src + "c.mp3"));
}

}  // namespace
