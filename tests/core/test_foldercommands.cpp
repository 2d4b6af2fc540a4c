#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "NamingTestSupport.h"
#include "app/FileOps.h"
#include "app/Routines.h"
#include "naming/FolderCommands.h"
#include "naming/mdlFixFileName.h"

using namespace vorda;
using listtest::TempDir;
using namingtest::Exists;
using namingtest::WriteMp3;

namespace {

TEST(MakeSafeFolderName, ReplacesIllegalCharactersAndTrimsTheEnd) {
    EXPECT_EQ(MakeSafeFolderName("AC/DC: Live?"), "AC,DC  Live");
    EXPECT_EQ(MakeSafeFolderName("  a\\b<c>d|e*f\"g  "), "  a b c d e fg");
    EXPECT_EQ(MakeSafeFolderName("x***"), "x");
}

TEST(FixRowsAfterFolderRename, MovesRowsOfTheFolderAndItsSubfolders) {
    FileList list;
    for (const char* path : {"/m/old/", "/m/old/sub/", "/m/older/", "/m/other/"}) {
        const int row = list.AddRow("a.mp3");
        list.SetCellContent(row, colPath, path);
    }
    EXPECT_EQ(FixRowsAfterFolderRename(list, "/m/old/", "/m/new/"), 2);
    EXPECT_EQ(list.GetCellContent(1, colPath), "/m/new/");
    EXPECT_EQ(list.GetCellContent(2, colPath), "/m/new/sub/");
    EXPECT_EQ(list.GetCellContent(3, colPath), "/m/older/");
    EXPECT_EQ(list.GetCellContent(4, colPath), "/m/other/");
}

struct FolderFixture : ::testing::Test, namingtest::ListFixture {
    TempDir dir;
    std::string folder = dir / "Old Folder/";
    std::vector<std::string> treePaths;
    int refreshes = 0;

    void SetUp() override {
        s.bRecycleFiles = false;
        s.iCaseChange = ccNoChanges;
        WriteMp3(folder + "a.mp3", "AC/DC", "Live: Vol.2", "T", "1", "1992");
        WriteMp3(folder + "sub/b.mp3", "x", "y", "z");
        Add(folder + "a.mp3");
        Add(folder + "sub/b.mp3");
        list.ShowFile(1);
    }
    template <class C>
    void Hook(C& command) {
        command.Tree.Refresh = [this] { ++refreshes; };
        command.Tree.SetPath = [this](const std::string& p) { treePaths.push_back(p); };
    }
};

TEST_F(FolderFixture, DialogPreviewsTheNameAndCreatesTheFolder) {
    ID3FolderCommand dialog(list, ui, s);
    Hook(dialog);
    ASSERT_TRUE(dialog.Open("<artist> - <title>", dir.path()));
    EXPECT_EQ(dialog.CurrentFolderCaption(), "\"" + folder + "\"");
    EXPECT_EQ(dialog.FolderPattern(), "<artist> - <album> (<year>)");
    EXPECT_EQ(dialog.NewFolder(), "ACDC - Live Vol.2 (1992)");
    dialog.SetFolderPattern("<album> vol.2");
    EXPECT_EQ(dialog.NewFolder(), "Live Vol.2 vol");  // a short tail after the last dot goes
    EXPECT_FALSE(ID3FolderCommand::KeyAllowed(U'/'));
    EXPECT_TRUE(ID3FolderCommand::KeyAllowed(U'<'));
    dialog.SetNewFolder("");
    EXPECT_FALSE(dialog.CreateEnabled());

    dialog.SetFolderPattern("<artist>");
    dialog.SetTargetFolder(dir / "missing/");
    EXPECT_EQ(dialog.Execute(), ID3FolderCommand::Stay);
    EXPECT_EQ(ui.questions.back().text, "The target folder does not exist!");
    EXPECT_EQ(s.sFolderPattern, "<artist>");  // saved by the button

    dialog.Browsed(dir.path() + "made");
    listtest::MakeFolder(dir / "made");
    EXPECT_EQ(dialog.TargetFolder(), dir / "made/");
    EXPECT_EQ(dialog.Execute(), ID3FolderCommand::Close);
    EXPECT_TRUE(Exists(dir / "made/ACDC"));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(dialog.Execute(), ID3FolderCommand::Close);
    EXPECT_EQ(ui.questions.back().text, "The folder \"" + dir / "made/ACDC" + "\" already exists!");
}

TEST_F(FolderFixture, DialogRenamesTheFileFolderAndFixesRows) {
    ID3FolderCommand dialog(list, ui, s);
    Hook(dialog);
    ASSERT_TRUE(dialog.Open("", dir.path()));
    dialog.SetRenameMode(true);
    EXPECT_EQ(dialog.ButtonCaption(), "Rename &Folder");
    dialog.SetNewFolder("AC/DC: Live?");
    const std::string renamed = dir / "AC,DC  Live/";
    ui.answers = {anNo};
    EXPECT_EQ(dialog.Execute(), ID3FolderCommand::Stay);
    EXPECT_EQ(ui.questions.back().text,
              "Are you sure you want to rename: \n\"" + folder + "\"\n to \n\"" + renamed + "\" ?");
    EXPECT_TRUE(Exists(folder));

    ui.answers = {anYes};
    EXPECT_EQ(dialog.Execute(), ID3FolderCommand::Close);
    EXPECT_FALSE(Exists(folder));
    EXPECT_TRUE(Exists(renamed + "sub/b.mp3"));
    EXPECT_EQ(rows.GetCellContent(1, colPath), renamed);
    EXPECT_EQ(rows.GetCellContent(2, colPath), renamed + "sub/");
    EXPECT_EQ(treePaths, std::vector<std::string>{renamed});
    EXPECT_FALSE(list.bBlockDirUpdate);
}

TEST_F(FolderFixture, DialogRenameRefusesWhatWouldLoseOrMisplaceAFolder) {
    ID3FolderCommand dialog(list, ui, s);
    ASSERT_TRUE(dialog.Open("", dir.path()));
    dialog.SetRenameMode(true);
    // A sibling of that name exists (even empty): it is never replaced.
    listtest::MakeFolder(dir / "Taken");
    dialog.SetNewFolder("Taken");
    ui.answers = {anYes, anOK};
    EXPECT_EQ(dialog.Execute(), ID3FolderCommand::Stay);
    EXPECT_EQ(ui.questions.back().text.rfind("Error while creating folder \"" + dir.path() + "Taken\"!\nError " +
                                                 std::to_string(EEXIST) + ": ", 0),
              0u);
    EXPECT_EQ(ui.questions.back().icon, miError);
    EXPECT_TRUE(Exists(folder + "a.mp3"));
    EXPECT_FALSE(list.bBlockDirUpdate);

    dialog.SetNewFolder("..");
    ui.questions.clear();
    EXPECT_EQ(dialog.Execute(), ID3FolderCommand::Stay);
    EXPECT_EQ(ui.questions.size(), 1u);  // refused before the question
    EXPECT_TRUE(Exists(folder + "a.mp3"));

    // A read-only folder: No keeps it; Yes renames it.
    if (::geteuid() != 0) {
        ::chmod(folder.c_str(), 0555);
        dialog.SetNewFolder("Fresh");
        ui.answers = {anYes, anNo};
        EXPECT_EQ(dialog.Execute(), ID3FolderCommand::Stay);
        EXPECT_EQ(ui.questions.back().text, "The folder is read-only. Do you want to rename it anyway?");
        ui.answers = {anYes, anYes};
        EXPECT_EQ(dialog.Execute(), ID3FolderCommand::Close);
        EXPECT_TRUE(Exists(dir / "Fresh/a.mp3"));
    }

    std::filesystem::remove_all(dir / "Fresh");
    std::filesystem::remove_all(folder);
    ui.questions.clear();
    ui.answers = {anOK};
    EXPECT_EQ(dialog.Execute(), ID3FolderCommand::Stay);
    EXPECT_EQ(ui.questions.back().text.rfind("Invalid source folder \"", 0), 0u);
}

TEST_F(FolderFixture, TreeCommandsCreateRenameAndDelete) {
    FolderTreeCommands tree(list, ui, s);
    Hook(tree);
    std::vector<std::string> answers;
    std::vector<std::string> defaults;
    tree.InputBox = [&](const std::string&, const std::string&, std::string& answer) {
        defaults.push_back(answer);
        if (answers.empty()) return false;
        answer = answers.front();
        answers.erase(answers.begin());
        return true;
    };

    tree.NewFolder(folder);  // Cancel
    EXPECT_EQ(defaults.back(), "New folder");
    answers = {"sub"};
    tree.NewFolder(folder);
    EXPECT_EQ(ui.questions.back().text, "A folder with this name already exist!");
    answers = {"Fresh"};
    tree.NewFolder(RemoveBackslash(folder));
    EXPECT_TRUE(Exists(folder + "Fresh"));

    answers = {"Old Folder"};
    ui.questions.clear();
    tree.RenameCustom(RemoveBackslash(folder));
    EXPECT_EQ(defaults.back(), "Old Folder");
    EXPECT_EQ(ui.questions.back().text, "A folder with this name already exist!");

    answers = {"AC/DC?"};
    tree.RenameCustom(RemoveBackslash(folder));
    const std::string renamed = dir / "AC,DC/";
    EXPECT_TRUE(Exists(renamed + "a.mp3"));
    EXPECT_EQ(rows.GetCellContent(1, colPath), renamed);
    EXPECT_EQ(rows.GetCellContent(2, colPath), renamed + "sub/");
    EXPECT_EQ(treePaths.back(), dir / "AC,DC");

    ui.questions.clear();
    tree.RenamePattern(dir / "AC,DC", "AC,DC");  // already carries that name
    EXPECT_TRUE(ui.questions.empty());
    tree.RenamePattern(dir / "AC,DC", FolderTreeCommands::PatternCaption(list.filCurrent(), "", s));
    EXPECT_TRUE(Exists(dir / "ACDC - Live Vol.2 (1992)/a.mp3"));

    ui.answers = {anNo};
    tree.DeleteFolder(dir / "ACDC - Live Vol.2 (1992)");
    EXPECT_EQ(ui.questions.back().text,
              "Are you sure you want to delete the folder \n\"" + dir / "ACDC - Live Vol.2 (1992)" + "\"?");
    EXPECT_TRUE(Exists(dir / "ACDC - Live Vol.2 (1992)"));
    ui.answers = {anYes};
    tree.DeleteFolder(dir / "ACDC - Live Vol.2 (1992)");
    EXPECT_FALSE(Exists(dir / "ACDC - Live Vol.2 (1992)"));
    ui.answers = {anYes, anOK};
    tree.DeleteFolder(dir / "gone");
    EXPECT_EQ(ui.questions.back().text, "Error: Could not delete folder.");
}

}  // namespace
