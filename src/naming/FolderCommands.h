// SPDX-License-Identifier: GPL-2.0-or-later

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

namespace vorda::naming {

// Turns any text into a usable folder name: \ : < > | * become blanks, / becomes ",",
// ? and " go; then trailing blanks are removed.
std::string makeSafeFolderName(const std::string& text);

// Row fix-up after a folder rename (both folders end with "/"): every row whose Path cell is
// oldFolder or lies below it gets newFolder in its place. Returns the number of rows changed.
int fixRowsAfterFolderRename(app::FileList& list, const std::string& oldFolder, const std::string& newFolder);

// Renames a folder on disk without ever replacing another folder. 0 or an errno value
// (EEXIST when something else already stands under the new name).
int renameFolderOnDisk(const std::string& oldFolder, const std::string& newFolder);

// What the window does with its folder tree.
struct FolderTreeHooks {
    std::function<void()> refresh;                         // re-reads the tree
    std::function<void(const std::string& path)> setPath;  // selects a folder
};

// An input box: shows prompt with the answer's text as the default; false on Cancel.
using InputBoxFunction = std::function<bool(const std::string& prompt, const std::string& title, std::string& answer)>;

// The dialog Id3FolderDialog without widgets.
class Id3FolderCommand {
public:
    // What the dialog does after the command.
    enum class Result { Stay, Close };

    Id3FolderCommand(app::ListCommands& list, app::UserInterface& ui, app::Settings& settings);

    static std::string helpText();
    // The key filter of the pattern and new-name boxes.
    static bool keyAllowed(char32_t ch);

    // Opening: takes the values of filCurrent (read with inPattern) and the target box's text.
    // False (nothing to show) when the list has no rows or no file is current.
    [[nodiscard]] bool open(const std::string& inPattern, const std::string& targetBoxText);

    // The pattern box changed: the new-name box follows.
    void setFolderPattern(const std::string& pattern);
    const std::string& folderPattern() const { return pattern_; }
    void setNewFolder(const std::string& name) { newFolder_ = name; }
    const std::string& newFolder() const { return newFolder_; }
    bool createEnabled() const { return !newFolder_.empty(); }
    void setTargetFolder(const std::string& folder) { target_ = folder; }
    const std::string& targetFolder() const { return target_; }
    // The browse answer: a non-empty folder becomes the target, with a final "/".
    void browsed(const std::string& folder);
    void setRenameMode(bool on) { renameMode_ = on; }
    bool renameMode() const { return renameMode_; }
    // "Create &Folder" or "Rename &Folder".
    std::string buttonCaption() const;
    // lblCurrentFolder: the file's folder in double quotes.
    std::string currentFolderCaption() const { return "\"" + values_.folder + "\""; }

    // cmdCreateFolder. Close means the dialog closes.
    Result execute();

    FolderTreeHooks tree;
    // Called after folderPattern was set (the window writes the settings file).
    std::function<void()> savePattern;

private:
    Result create();
    Result rename();
    void finish(const std::string& newPath);
    void platformError(int error);

    app::ListCommands& lc_;
    app::UserInterface& ui_;
    app::Settings& settings_;
    FileValues values_;
    std::string pattern_;
    std::string newFolder_;
    std::string target_;
    bool renameMode_ = false;
};

// The folder tree's pop-up commands.
class FolderTreeCommands {
public:
    FolderTreeCommands(app::ListCommands& list, app::UserInterface& ui, app::Settings& settings);

    // mnuRenNewFolder
    void newFolder(const std::string& treePath);
    // mnuRenFolderCustom
    void renameCustom(const std::string& treePath);
    // mnuRenFolderPattern: caption is the item's caption (see patternCaption).
    void renamePattern(const std::string& treePath, const std::string& caption);
    // mnuDelFolder
    void deleteFolder(const std::string& treePath);

    // The caption of the "pattern" item: the folder name folderPattern gives for file.
    static std::string patternCaption(tags::AudioFile& file, const std::string& inPattern, const app::Settings& s);

    InputBoxFunction inputBox;
    FolderTreeHooks tree;

private:
    void renameTo(const std::string& path, const std::string& newPath);

    app::ListCommands& lc_;
    app::UserInterface& ui_;
    app::Settings& settings_;
};

}  // namespace vorda::naming
