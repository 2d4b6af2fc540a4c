// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "NamingTestSupport.h"
#include "base/FileOps.h"
#include "base/Text.h"
#include "naming/FileNameFixer.h"
#include "naming/FolderCommands.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;

using listtest::TempDir;
using namingtest::exists;
using namingtest::writeMp3;

namespace {

TEST(MakeSafeFolderName, ReplacesIllegalCharactersAndTrimsTheEnd) {
    EXPECT_EQ(makeSafeFolderName("AC/DC: Live?"), "AC,DC  Live");
    EXPECT_EQ(makeSafeFolderName("  a\\b<c>d|e*f\"g  "), "  a b c d e fg");
    EXPECT_EQ(makeSafeFolderName("x***"), "x");
}

TEST(FixRowsAfterFolderRename, MovesRowsOfTheFolderAndItsSubfolders) {
    FileList list;
    for (const char* path : {"/m/old/", "/m/old/sub/", "/m/older/", "/m/other/"}) {
        const int row = list.addRow("a.mp3");
        list.setCellContent(row, ListColumn::Path, path);
    }
    EXPECT_EQ(fixRowsAfterFolderRename(list, "/m/old/", "/m/new/"), 2);
    EXPECT_EQ(list.getCellContent(1, ListColumn::Path), "/m/new/");
    EXPECT_EQ(list.getCellContent(2, ListColumn::Path), "/m/new/sub/");
    EXPECT_EQ(list.getCellContent(3, ListColumn::Path), "/m/older/");
    EXPECT_EQ(list.getCellContent(4, ListColumn::Path), "/m/other/");
}

struct FolderFixture : ::testing::Test, namingtest::ListFixture {
    TempDir dir;
    std::string folder = dir / "Old Folder/";
    std::vector<std::string> treePaths;
    int refreshes = 0;

    void SetUp() override {
        s.recycleFiles = false;
        s.caseChange = CaseChange::NoChanges;
        writeMp3(folder + "a.mp3", "AC/DC", "Live: Vol.2", "T", "1", "1992");
        writeMp3(folder + "sub/b.mp3", "x", "y", "z");
        add(folder + "a.mp3");
        add(folder + "sub/b.mp3");
        list.showFile(1);
    }
    template <class C>
    void hook(C& command) {
        command.tree.refresh = [this] { ++refreshes; };
        command.tree.setPath = [this](const std::string& p) { treePaths.push_back(p); };
    }
};

TEST_F(FolderFixture, DialogPreviewsTheNameAndCreatesTheFolder) {
    Id3FolderCommand dialog(list, ui, s);
    hook(dialog);
    ASSERT_TRUE(dialog.open("<artist> - <title>", dir.path()));
    EXPECT_EQ(dialog.currentFolderCaption(), "\"" + folder + "\"");
    EXPECT_EQ(dialog.folderPattern(), "<artist> - <album> (<year>)");
    EXPECT_EQ(dialog.newFolder(), "ACDC - Live Vol.2 (1992)");
    dialog.setFolderPattern("<album> vol.2");
    EXPECT_EQ(dialog.newFolder(), "Live Vol.2 vol");  // a short tail after the last dot goes
    EXPECT_FALSE(Id3FolderCommand::keyAllowed(U'/'));
    EXPECT_TRUE(Id3FolderCommand::keyAllowed(U'<'));
    dialog.setNewFolder("");
    EXPECT_FALSE(dialog.createEnabled());

    dialog.setFolderPattern("<artist>");
    dialog.setTargetFolder(dir / "missing/");
    EXPECT_EQ(dialog.execute(), Id3FolderCommand::Result::Stay);
    EXPECT_EQ(ui.questions.back().text, "The target folder does not exist!");
    EXPECT_EQ(s.folderPattern, "<artist>");  // saved by the button

    dialog.browsed(dir.path() + "made");
    listtest::makeFolder(dir / "made");
    EXPECT_EQ(dialog.targetFolder(), dir / "made/");
    EXPECT_EQ(dialog.execute(), Id3FolderCommand::Result::Close);
    EXPECT_TRUE(exists(dir / "made/ACDC"));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(dialog.execute(), Id3FolderCommand::Result::Close);
    EXPECT_EQ(ui.questions.back().text, "The folder \"" + dir / "made/ACDC" + "\" already exists!");
}

TEST_F(FolderFixture, DialogRenamesTheFileFolderAndFixesRows) {
    Id3FolderCommand dialog(list, ui, s);
    hook(dialog);
    ASSERT_TRUE(dialog.open("", dir.path()));
    dialog.setRenameMode(true);
    EXPECT_EQ(dialog.buttonCaption(), "Rename &Folder");
    dialog.setNewFolder("AC/DC: Live?");
    const std::string renamed = dir / "AC,DC  Live/";
    ui.answers = {MessageAnswer::No};
    EXPECT_EQ(dialog.execute(), Id3FolderCommand::Result::Stay);
    EXPECT_EQ(ui.questions.back().text,
              "Are you sure you want to rename: \n\"" + folder + "\"\n to \n\"" + renamed + "\" ?");
    EXPECT_TRUE(exists(folder));

    ui.answers = {MessageAnswer::Yes};
    EXPECT_EQ(dialog.execute(), Id3FolderCommand::Result::Close);
    EXPECT_FALSE(exists(folder));
    EXPECT_TRUE(exists(renamed + "sub/b.mp3"));
    EXPECT_EQ(rows.getCellContent(1, ListColumn::Path), renamed);
    EXPECT_EQ(rows.getCellContent(2, ListColumn::Path), renamed + "sub/");
    EXPECT_EQ(treePaths, std::vector<std::string>{renamed});
    EXPECT_FALSE(list.bBlockDirUpdate);
}

TEST_F(FolderFixture, DialogRenameRefusesWhatWouldLoseOrMisplaceAFolder) {
    Id3FolderCommand dialog(list, ui, s);
    ASSERT_TRUE(dialog.open("", dir.path()));
    dialog.setRenameMode(true);
    // A sibling of that name exists (even empty): it is never replaced.
    listtest::makeFolder(dir / "Taken");
    dialog.setNewFolder("Taken");
    ui.answers = {MessageAnswer::Yes, MessageAnswer::Ok};
    EXPECT_EQ(dialog.execute(), Id3FolderCommand::Result::Stay);
    EXPECT_EQ(
        ui.questions.back().text.rfind(
            "Error while creating folder \"" + dir.path() + "Taken\"!\nError " + std::to_string(EEXIST) + ": ", 0),
        0u);
    EXPECT_EQ(ui.questions.back().icon, MessageIcon::Error);
    EXPECT_TRUE(exists(folder + "a.mp3"));
    EXPECT_FALSE(list.bBlockDirUpdate);

    dialog.setNewFolder("..");
    ui.questions.clear();
    EXPECT_EQ(dialog.execute(), Id3FolderCommand::Result::Stay);
    EXPECT_EQ(ui.questions.size(), 1u);  // refused before the question
    EXPECT_TRUE(exists(folder + "a.mp3"));

    // A read-only folder: No keeps it; Yes renames it.
    if (::geteuid() != 0) {
        ::chmod(folder.c_str(), 0555);
        dialog.setNewFolder("Fresh");
        ui.answers = {MessageAnswer::Yes, MessageAnswer::No};
        EXPECT_EQ(dialog.execute(), Id3FolderCommand::Result::Stay);
        EXPECT_EQ(ui.questions.back().text, "The folder is read-only. Do you want to rename it anyway?");
        ui.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
        EXPECT_EQ(dialog.execute(), Id3FolderCommand::Result::Close);
        EXPECT_TRUE(exists(dir / "Fresh/a.mp3"));
    }

    std::filesystem::remove_all(dir / "Fresh");
    std::filesystem::remove_all(folder);
    ui.questions.clear();
    ui.answers = {MessageAnswer::Ok};
    EXPECT_EQ(dialog.execute(), Id3FolderCommand::Result::Stay);
    EXPECT_EQ(ui.questions.back().text.rfind("Invalid source folder \"", 0), 0u);
}

TEST_F(FolderFixture, TreeCommandsCreateRenameAndDelete) {
    FolderTreeCommands tree(list, ui, s);
    hook(tree);
    std::vector<std::string> answers;
    std::vector<std::string> defaults;
    tree.inputBox = [&](const std::string&, const std::string&, std::string& answer) {
        defaults.push_back(answer);
        if (answers.empty()) return false;
        answer = answers.front();
        answers.erase(answers.begin());
        return true;
    };

    tree.newFolder(folder);  // Cancel
    EXPECT_EQ(defaults.back(), "New folder");
    answers = {"sub"};
    tree.newFolder(folder);
    EXPECT_EQ(ui.questions.back().text, "A folder with this name already exist!");
    answers = {"Fresh"};
    tree.newFolder(removeBackslash(folder));
    EXPECT_TRUE(exists(folder + "Fresh"));

    answers = {"Old Folder"};
    ui.questions.clear();
    tree.renameCustom(removeBackslash(folder));
    EXPECT_EQ(defaults.back(), "Old Folder");
    EXPECT_EQ(ui.questions.back().text, "A folder with this name already exist!");

    answers = {"AC/DC?"};
    tree.renameCustom(removeBackslash(folder));
    const std::string renamed = dir / "AC,DC/";
    EXPECT_TRUE(exists(renamed + "a.mp3"));
    EXPECT_EQ(rows.getCellContent(1, ListColumn::Path), renamed);
    EXPECT_EQ(rows.getCellContent(2, ListColumn::Path), renamed + "sub/");
    EXPECT_EQ(treePaths.back(), dir / "AC,DC");

    ui.questions.clear();
    tree.renamePattern(dir / "AC,DC", "AC,DC");  // already carries that name
    EXPECT_TRUE(ui.questions.empty());
    tree.renamePattern(dir / "AC,DC", FolderTreeCommands::patternCaption(list.filCurrent(), "", s));
    EXPECT_TRUE(exists(dir / "ACDC - Live Vol.2 (1992)/a.mp3"));

    ui.answers = {MessageAnswer::No};
    tree.deleteFolder(dir / "ACDC - Live Vol.2 (1992)");
    EXPECT_EQ(ui.questions.back().text,
              "Are you sure you want to delete the folder \n\"" + dir / "ACDC - Live Vol.2 (1992)" + "\"?");
    EXPECT_TRUE(exists(dir / "ACDC - Live Vol.2 (1992)"));
    ui.answers = {MessageAnswer::Yes};
    tree.deleteFolder(dir / "ACDC - Live Vol.2 (1992)");
    EXPECT_FALSE(exists(dir / "ACDC - Live Vol.2 (1992)"));
    ui.answers = {MessageAnswer::Yes, MessageAnswer::Ok};
    tree.deleteFolder(dir / "gone");
    EXPECT_EQ(ui.questions.back().text, "Error: Could not delete folder.");
}

}  // namespace
