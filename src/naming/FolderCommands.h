// Folders from tags and the folder-tree commands: the logic of the "Create/Rename folder from
// ID3" dialog, "New folder", "Rename as" (custom and pattern) and "Delete", with the row fix-up
// that keeps the file list in step with a renamed folder. Questions and messages go through the
// UserInterface port; the window supplies the input box and the folder-tree hooks.
#pragma once

#include <functional>
#include <string>

#include "app/ListCommands.h"
#include "app/Settings.h"
#include "app/UserInterface.h"
#include "naming/FileValues.h"

namespace vorda {

// Turns any text into a usable folder name: \ : < > | * become blanks, / becomes ",",
// ? and " go; then trailing blanks are removed.
std::string MakeSafeFolderName(const std::string& text);

// Row fix-up after a folder rename (both folders end with "/"): every row whose Path cell is
// oldFolder or lies below it gets newFolder in its place. Returns the number of rows changed.
int FixRowsAfterFolderRename(FileList& list, const std::string& oldFolder, const std::string& newFolder);

// Renames a folder on disk without ever replacing another folder. 0 or an errno value
// (EEXIST when something else already stands under the new name).
int RenameFolderOnDisk(const std::string& oldFolder, const std::string& newFolder);

// What the window does with its folder tree.
struct FolderTreeHooks {
    std::function<void()> Refresh;                        // re-reads the tree
    std::function<void(const std::string& path)> SetPath; // selects a folder
};

// An input box: shows prompt with the answer's text as the default; false on Cancel.
using InputBoxFunction = std::function<bool(const std::string& prompt, const std::string& title, std::string& answer)>;

// The dialog frmID3Folder without widgets.
class ID3FolderCommand {
public:
    enum Result { Stay, Close };

    ID3FolderCommand(ListCommands& list, UserInterface& ui, Settings& settings);

    static std::string HelpText();
    // The key filter of the pattern and new-name boxes.
    static bool KeyAllowed(char32_t ch);

    // Opening: takes the values of filCurrent (read with inPattern) and the target box's text.
    // False (nothing to show) when the list has no rows or no file is current.
    bool Open(const std::string& inPattern, const std::string& targetBoxText);

    // The pattern box changed: the new-name box follows.
    void SetFolderPattern(const std::string& pattern);
    const std::string& FolderPattern() const { return pattern_; }
    void SetNewFolder(const std::string& name) { newFolder_ = name; }
    const std::string& NewFolder() const { return newFolder_; }
    bool CreateEnabled() const { return !newFolder_.empty(); }
    void SetTargetFolder(const std::string& folder) { target_ = folder; }
    const std::string& TargetFolder() const { return target_; }
    // The browse answer: a non-empty folder becomes the target, with a final "/".
    void Browsed(const std::string& folder);
    void SetRenameMode(bool on) { renameMode_ = on; }
    bool RenameMode() const { return renameMode_; }
    // "Create &Folder" or "Rename &Folder".
    std::string ButtonCaption() const;
    // lblCurrentFolder: the file's folder in double quotes.
    std::string CurrentFolderCaption() const { return "\"" + values_.folder + "\""; }

    // cmdCreateFolder. Close means the dialog closes.
    Result Execute();

    FolderTreeHooks Tree;
    // Called after sFolderPattern was set (the window writes the settings file).
    std::function<void()> SavePattern;

private:
    Result Create();
    Result Rename();
    void Finish(const std::string& newPath);
    void PlatformError(int error);

    ListCommands& lc_;
    UserInterface& ui_;
    Settings& settings_;
    FileValues values_;
    std::string pattern_;
    std::string newFolder_;
    std::string target_;
    bool renameMode_ = false;
};

// The folder tree's pop-up commands.
class FolderTreeCommands {
public:
    FolderTreeCommands(ListCommands& list, UserInterface& ui, Settings& settings);

    // mnuRenNewFolder
    void NewFolder(const std::string& treePath);
    // mnuRenFolderCustom
    void RenameCustom(const std::string& treePath);
    // mnuRenFolderPattern: caption is the item's caption (see PatternCaption).
    void RenamePattern(const std::string& treePath, const std::string& caption);
    // mnuDelFolder
    void DeleteFolder(const std::string& treePath);

    // The caption of the "pattern" item: the folder name sFolderPattern gives for file.
    static std::string PatternCaption(clsFile& file, const std::string& inPattern, const Settings& s);

    InputBoxFunction InputBox;
    FolderTreeHooks Tree;

private:
    void RenameTo(const std::string& path, const std::string& newPath);

    ListCommands& lc_;
    UserInterface& ui_;
    Settings& settings_;
};

}  // namespace vorda
