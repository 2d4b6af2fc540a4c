// Folders from tags and the folder-tree commands.
#include "naming/FolderCommands.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "app/FileOps.h"
#include "app/Routines.h"
#include "naming/NamingText.h"
#include "tags/clsFile.h"

namespace vorda {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The folder name a pattern gives: the built file name without a short "extension"
// (text after the last dot shorter than 6 characters).
std::string FolderNameFromPattern(const FileValues& values, const std::string& pattern, const Settings& s) {
    std::string name = BuildNewFileName(values, pattern, s);
    if (Utf8CharCount(GetExtension(name)) < 6) name = RemoveExtension(name);
    return name;
}

// A name that can stand for a folder of its own below its parent.
bool UsableFolderName(const std::string& name) { return !name.empty() && name != "." && name != ".."; }

std::string WithoutFinalSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

const char* const kFolderExists = "A folder with this name already exist!";

}  // namespace

std::string MakeSafeFolderName(const std::string& text) {
    using naming::ReplaceAll;
    std::string s = ReplaceAll(text, "\\", " ");
    s = ReplaceAll(s, "/", ",");
    s = ReplaceAll(s, ":", " ");
    s = ReplaceAll(s, "?", "");
    s = ReplaceAll(s, "\"", "");
    s = ReplaceAll(s, "<", " ");
    s = ReplaceAll(s, ">", " ");
    s = ReplaceAll(s, "|", " ");
    s = ReplaceAll(s, "*", " ");
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

int FixRowsAfterFolderRename(FileList& list, const std::string& oldFolder, const std::string& newFolder) {
    if (oldFolder.empty() || oldFolder == newFolder) return 0;
    int changed = 0;
    for (int row = 1; row <= list.Count(); ++row) {
        const std::string path = list.GetCellContent(row, colPath);
        // The folder itself and every folder below it moved with the rename.
        if (path.compare(0, oldFolder.size(), oldFolder) != 0) continue;
        list.SetCellContent(row, colPath, newFolder + path.substr(oldFolder.size()));
        ++changed;
    }
    return changed;
}

int RenameFolderOnDisk(const std::string& oldFolder, const std::string& newFolder) {
    const std::string from = WithoutFinalSlashes(oldFolder);
    const std::string to = WithoutFinalSlashes(newFolder);
    if (from.empty() || to.empty()) return ENOENT;
    if (from == to) return 0;
    // RENAME_NOREPLACE: rename(2) alone would silently replace an empty folder of that name.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without RENAME_NOREPLACE: check, then rename.
    struct stat st{};
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// ---------------------------------------------------------------- frmID3Folder

ID3FolderCommand::ID3FolderCommand(ListCommands& list, UserInterface& ui, Settings& settings)
    : lc_(list), ui_(ui), settings_(settings) {}

std::string ID3FolderCommand::HelpText() {
    return "Here you can create a folder with information from the tag(s) in a file. "
           "First you define the pattern you want to use. You can see the result changing "
           "as you type the pattern. "
           "You can use the following placeholders in the folder pattern: \n\n"
           "<album>    <artist>    <comment>    <genre>    <samplerate>\n"
           "<bitrate>      <title>      <track>          <year>";
}

bool ID3FolderCommand::KeyAllowed(char32_t ch) {
    switch (ch) {
    case U'?': case U'\\': case U'/': case U':': case U'"': case U'|': case U'*': return false;
    default: return true;
    }
}

bool ID3FolderCommand::Open(const std::string& inPattern, const std::string& targetBoxText) {
    if (lc_.List().Count() == 0 || lc_.filCurrent().FullPath().empty()) return false;
    values_ = GetFileValues(lc_.filCurrent(), inPattern, -1, settings_);
    target_ = targetBoxText;
    renameMode_ = false;
    SetFolderPattern(settings_.sFolderPattern);
    return true;
}

void ID3FolderCommand::SetFolderPattern(const std::string& pattern) {
    pattern_ = pattern;
    newFolder_ = FolderNameFromPattern(values_, pattern_, settings_);
}

void ID3FolderCommand::Browsed(const std::string& folder) {
    if (!folder.empty()) target_ = AddBackslash(folder);
}

std::string ID3FolderCommand::ButtonCaption() const { return renameMode_ ? "Rename &Folder" : "Create &Folder"; }

void ID3FolderCommand::PlatformError(int error) {
    lc_.bBlockDirUpdate = false;
    ui_.Ask("Error while creating folder " + Quoted(target_ + newFolder_) + "!\nError " + std::to_string(error) + ": " +
                ErrorText(error),
            mbOK, miError, "Vorda");
}

void ID3FolderCommand::Finish(const std::string& newPath) {
    if (Tree.Refresh) Tree.Refresh();
    if (renameMode_) {
        if (Tree.SetPath) Tree.SetPath(newPath);
        lc_.bBlockDirUpdate = false;
    }
}

ID3FolderCommand::Result ID3FolderCommand::Execute() {
    if (newFolder_.empty()) return Stay;  // the button is disabled then
    settings_.sFolderPattern = pattern_;
    if (SavePattern) SavePattern();
    return renameMode_ ? Rename() : Create();
}

ID3FolderCommand::Result ID3FolderCommand::Create() {
    if (!PathExists(target_)) {
        ui_.Ask("The target folder does not exist!", mbOK, miInformation, "Vorda");
        return Stay;
    }
    const std::string full = target_ + newFolder_;
    if (PathExists(full)) {
        ui_.Ask("The folder " + Quoted(full) + " already exists!", mbOK, miInformation, "Vorda");
        Finish(full);
        return Close;
    }
    if (!CreateFolderTree(full)) {
        ui_.Ask("Failed to create folder " + Quoted(full) + "!", mbOK, miError, "Vorda");
        return Stay;
    }
    Finish(full);
    return Close;
}

ID3FolderCommand::Result ID3FolderCommand::Rename() {
    const std::string oldFolder = values_.folder;
    const std::string safe = MakeSafeFolderName(newFolder_);
    const std::string newFolder = GetFolder(RemoveBackslash(oldFolder)) + safe + "/";
    if (!PathExists(oldFolder)) {
        ui_.Ask("Invalid source folder " + Quoted(oldFolder) + "!\nPlease select another folder.", mbOK, miError, "Vorda");
        return Stay;
    }
    // "." and ".." would name the parent or the folder itself, not a sibling.
    if (!UsableFolderName(safe)) {
        PlatformError(EINVAL);
        return Stay;
    }
    if (ui_.Ask("Are you sure you want to rename: \n" + Quoted(oldFolder) + "\n to \n" + Quoted(newFolder) + " ?",
                mbYesNo, miQuestion, "Vorda") != anYes)
        return Stay;
    if ((GetFileAttributes(oldFolder) & faReadOnly) != 0) {
        if (!settings_.bIgnoreReadOnly &&
            ui_.Ask("The folder is read-only. Do you want to rename it anyway?", mbYesNo, miQuestion, "Vorda") != anYes)
            return Stay;
        SetFileAttributes(oldFolder, 0);
    }
    lc_.bBlockDirUpdate = true;
    const int error = RenameFolderOnDisk(oldFolder, newFolder);
    if (error != 0) {
        PlatformError(error);
        return Stay;
    }
    FixRowsAfterFolderRename(lc_.List(), oldFolder, newFolder);
    values_.folder = newFolder;
    Finish(newFolder);
    return Close;
}

// ---------------------------------------------------------------- folder tree

FolderTreeCommands::FolderTreeCommands(ListCommands& list, UserInterface& ui, Settings& settings)
    : lc_(list), ui_(ui), settings_(settings) {}

std::string FolderTreeCommands::PatternCaption(clsFile& file, const std::string& inPattern, const Settings& s) {
    if (file.FullPath().empty()) return {};
    return FolderNameFromPattern(GetFileValues(file, inPattern, -1, s), s.sFolderPattern, s);
}

void FolderTreeCommands::NewFolder(const std::string& treePath) {
    std::string answer = "New folder";
    if (!InputBox || !InputBox("Please enter folder name: ", "Vorda", answer) || answer.empty()) return;
    const std::string path = AddBackslash(treePath) + answer;
    if (PathExists(path)) {
        ui_.Ask(kFolderExists, mbOK, miInformation, "Vorda");
        return;
    }
    CreateFolderTree(path);
}

void FolderTreeCommands::RenameCustom(const std::string& treePath) {
    const std::string p = WithoutFinalSlashes(treePath);
    std::string answer = GetFileName(p);
    if (!InputBox || !InputBox("Please enter the new folder name:", "Vorda", answer)) return;
    if (answer.empty() || answer == p) return;
    const std::string safe = MakeSafeFolderName(answer);
    if (!UsableFolderName(safe)) return;
    RenameTo(p, GetFolder(p) + safe);
}

void FolderTreeCommands::RenamePattern(const std::string& treePath, const std::string& caption) {
    const std::string p = WithoutFinalSlashes(treePath);
    const std::string safe = MakeSafeFolderName(caption);
    if (!UsableFolderName(safe)) return;
    const std::string newPath = GetFolder(p) + safe;
    if (newPath == p) return;
    RenameTo(p, newPath);
}

void FolderTreeCommands::RenameTo(const std::string& path, const std::string& newPath) {
    if (PathExists(newPath)) {
        ui_.Ask(kFolderExists, mbOK, miInformation, "Vorda");
        return;
    }
    lc_.bBlockDirUpdate = true;
    const int error = RenameFolderOnDisk(path, newPath);
    if (error != 0) {
        lc_.bBlockDirUpdate = false;
        ui_.Ask("Could not rename the folder " + Quoted(path) + ".\nError " + std::to_string(error) + ": " +
                    ErrorText(error),
                mbOK, miError, "Vorda");
        return;
    }
    if (Tree.Refresh) Tree.Refresh();
    if (Tree.SetPath) Tree.SetPath(newPath);
    lc_.bBlockDirUpdate = false;
    FixRowsAfterFolderRename(lc_.List(), path + "/", newPath + "/");
}

void FolderTreeCommands::DeleteFolder(const std::string& treePath) {
    if (ui_.Ask("Are you sure you want to delete the folder \n" + Quoted(treePath) + "?", mbYesNo, miQuestion,
                "Vorda") != anYes)
        return;
    if (ShellFileOperation(treePath, "", foDelete, settings_.bRecycleFiles) != 0)
        ui_.Ask("Error: Could not delete folder.", mbOK, miInformation, "Vorda");
}

}  // namespace vorda
