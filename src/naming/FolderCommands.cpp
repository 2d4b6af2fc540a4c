// SPDX-License-Identifier: GPL-2.0-or-later

// Folders from tags and the folder-tree commands.
#include "naming/FolderCommands.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "base/FileOps.h"
#include "base/Text.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace vorda::naming {

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// The folder name a pattern gives: the built file name without a short "extension"
// (text after the last dot shorter than 6 characters).
std::string folderNameFromPattern(const FileValues& values, const std::string& pattern, const Settings& s) {
    std::string name = buildNewFileName(values, pattern, s);
    if (utf8CharCount(getExtension(name)) < 6) name = removeExtension(name);
    return name;
}

// A name that can stand for a folder of its own below its parent.
bool usableFolderName(const std::string& name) { return !name.empty() && name != "." && name != ".."; }

std::string withoutFinalSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

const char* const kFolderExists = "A folder with this name already exist!";

}  // namespace

std::string makeSafeFolderName(const std::string& text) {
    std::string s = replaceAll(text, "\\", " ");
    s = replaceAll(s, "/", ",");
    s = replaceAll(s, ":", " ");
    s = replaceAll(s, "?", "");
    s = replaceAll(s, "\"", "");
    s = replaceAll(s, "<", " ");
    s = replaceAll(s, ">", " ");
    s = replaceAll(s, "|", " ");
    s = replaceAll(s, "*", " ");
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

int fixRowsAfterFolderRename(FileList& list, const std::string& oldFolder, const std::string& newFolder) {
    if (oldFolder.empty() || oldFolder == newFolder) return 0;
    int changed = 0;
    for (int row = 1; row <= list.count(); ++row) {
        const std::string path = list.getCellContent(row, ListColumn::Path);
        // The folder itself and every folder below it moved with the rename.
        if (path.compare(0, oldFolder.size(), oldFolder) != 0) continue;
        list.setCellContent(row, ListColumn::Path, newFolder + path.substr(oldFolder.size()));
        ++changed;
    }
    return changed;
}

int renameFolderOnDisk(const std::string& oldFolder, const std::string& newFolder) {
    const std::string from = withoutFinalSlashes(oldFolder);
    const std::string to = withoutFinalSlashes(newFolder);
    if (from.empty() || to.empty()) return ENOENT;
    if (from == to) return 0;
    // RENAME_NOREPLACE: rename(2) alone would silently replace an empty folder of that name.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without RENAME_NOREPLACE: check, then rename.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// ---------------------------------------------------------------- Id3FolderDialog

Id3FolderCommand::Id3FolderCommand(ListCommands& list, UserInterface& ui, Settings& settings)
    : lc_(list), ui_(ui), settings_(settings) {}

std::string Id3FolderCommand::helpText() {
    return "Here you can create a folder with information from the tag(s) in a file. "
           "First you define the pattern you want to use. You can see the result changing "
           "as you type the pattern. "
           "You can use the following placeholders in the folder pattern: \n\n"
           "<album>    <artist>    <comment>    <genre>    <samplerate>\n"
           "<bitrate>      <title>      <track>          <year>";
}

bool Id3FolderCommand::keyAllowed(char32_t ch) {
    switch (ch) {
    case U'?':
    case U'\\':
    case U'/':
    case U':':
    case U'"':
    case U'|':
    case U'*': return false;
    default: return true;
    }
}

bool Id3FolderCommand::open(const std::string& inPattern, const std::string& targetBoxText) {
    if (lc_.list().count() == 0 || lc_.filCurrent().fullPath().empty()) return false;
    values_ = getFileValues(lc_.filCurrent(), inPattern, -1, settings_);
    target_ = targetBoxText;
    renameMode_ = false;
    setFolderPattern(settings_.folderPattern);
    return true;
}

void Id3FolderCommand::setFolderPattern(const std::string& pattern) {
    pattern_ = pattern;
    newFolder_ = folderNameFromPattern(values_, pattern_, settings_);
}

void Id3FolderCommand::browsed(const std::string& folder) {
    if (!folder.empty()) target_ = addBackslash(folder);
}

std::string Id3FolderCommand::buttonCaption() const { return renameMode_ ? "Rename &Folder" : "Create &Folder"; }

void Id3FolderCommand::platformError(int error) {
    lc_.bBlockDirUpdate = false;
    ui_.ask("Error while creating folder " + quoted(target_ + newFolder_) + "!\nError " + std::to_string(error) + ": " +
                errorText(error),
            MessageButtons::Ok, MessageIcon::Error, "Vorda");
}

void Id3FolderCommand::finish(const std::string& newPath) {
    if (tree.refresh) tree.refresh();
    if (renameMode_) {
        if (tree.setPath) tree.setPath(newPath);
        lc_.bBlockDirUpdate = false;
    }
}

Id3FolderCommand::Result Id3FolderCommand::execute() {
    if (newFolder_.empty()) return Result::Stay;  // the button is disabled then
    settings_.folderPattern = pattern_;
    if (savePattern) savePattern();
    return renameMode_ ? rename() : create();
}

Id3FolderCommand::Result Id3FolderCommand::create() {
    if (!pathExists(target_)) {
        ui_.ask("The target folder does not exist!", MessageButtons::Ok, MessageIcon::Information, "Vorda");
        return Result::Stay;
    }
    const std::string full = target_ + newFolder_;
    if (pathExists(full)) {
        ui_.ask("The folder " + quoted(full) + " already exists!", MessageButtons::Ok, MessageIcon::Information,
                "Vorda");
        finish(full);
        return Result::Close;
    }
    if (!createFolderTree(full)) {
        ui_.ask("Failed to create folder " + quoted(full) + "!", MessageButtons::Ok, MessageIcon::Error, "Vorda");
        return Result::Stay;
    }
    finish(full);
    return Result::Close;
}

Id3FolderCommand::Result Id3FolderCommand::rename() {
    const std::string oldFolder = values_.folder;
    const std::string safe = makeSafeFolderName(newFolder_);
    const std::string newFolder = getFolder(removeBackslash(oldFolder)) + safe + "/";
    if (!pathExists(oldFolder)) {
        ui_.ask("Invalid source folder " + quoted(oldFolder) + "!\nPlease select another folder.", MessageButtons::Ok,
                MessageIcon::Error, "Vorda");
        return Result::Stay;
    }
    // "." and ".." would name the parent or the folder itself, not a sibling.
    if (!usableFolderName(safe)) {
        platformError(EINVAL);
        return Result::Stay;
    }
    if (ui_.ask("Are you sure you want to rename: \n" + quoted(oldFolder) + "\n to \n" + quoted(newFolder) + " ?",
                MessageButtons::YesNo, MessageIcon::Question, "Vorda") != MessageAnswer::Yes)
        return Result::Stay;
    if ((getFileAttributes(oldFolder) & FileAttribute::ReadOnly) != 0) {
        if (!settings_.ignoreReadOnly &&
            ui_.ask("The folder is read-only. Do you want to rename it anyway?", MessageButtons::YesNo,
                    MessageIcon::Question, "Vorda") != MessageAnswer::Yes)
            return Result::Stay;
        setFileAttributes(oldFolder, 0);
    }
    lc_.bBlockDirUpdate = true;
    const int error = renameFolderOnDisk(oldFolder, newFolder);
    if (error != 0) {
        platformError(error);
        return Result::Stay;
    }
    fixRowsAfterFolderRename(lc_.list(), oldFolder, newFolder);
    values_.folder = newFolder;
    finish(newFolder);
    return Result::Close;
}

// ---------------------------------------------------------------- folder tree

FolderTreeCommands::FolderTreeCommands(ListCommands& list, UserInterface& ui, Settings& settings)
    : lc_(list), ui_(ui), settings_(settings) {}

std::string FolderTreeCommands::patternCaption(AudioFile& file, const std::string& inPattern, const Settings& s) {
    if (file.fullPath().empty()) return {};
    return folderNameFromPattern(getFileValues(file, inPattern, -1, s), s.folderPattern, s);
}

void FolderTreeCommands::newFolder(const std::string& treePath) {
    std::string answer = "New folder";
    if (!inputBox || !inputBox("Please enter folder name: ", "Vorda", answer) || answer.empty()) return;
    const std::string path = addBackslash(treePath) + answer;
    if (pathExists(path)) {
        ui_.ask(kFolderExists, MessageButtons::Ok, MessageIcon::Information, "Vorda");
        return;
    }
    createFolderTree(path);
}

void FolderTreeCommands::renameCustom(const std::string& treePath) {
    const std::string p = withoutFinalSlashes(treePath);
    std::string answer = getFileName(p);
    if (!inputBox || !inputBox("Please enter the new folder name:", "Vorda", answer)) return;
    if (answer.empty() || answer == p) return;
    const std::string safe = makeSafeFolderName(answer);
    if (!usableFolderName(safe)) return;
    renameTo(p, getFolder(p) + safe);
}

void FolderTreeCommands::renamePattern(const std::string& treePath, const std::string& caption) {
    const std::string p = withoutFinalSlashes(treePath);
    const std::string safe = makeSafeFolderName(caption);
    if (!usableFolderName(safe)) return;
    const std::string newPath = getFolder(p) + safe;
    if (newPath == p) return;
    renameTo(p, newPath);
}

void FolderTreeCommands::renameTo(const std::string& path, const std::string& newPath) {
    if (pathExists(newPath)) {
        ui_.ask(kFolderExists, MessageButtons::Ok, MessageIcon::Information, "Vorda");
        return;
    }
    lc_.bBlockDirUpdate = true;
    const int error = renameFolderOnDisk(path, newPath);
    if (error != 0) {
        lc_.bBlockDirUpdate = false;
        ui_.ask("Could not rename the folder " + quoted(path) + ".\nError " + std::to_string(error) + ": " +
                    errorText(error),
                MessageButtons::Ok, MessageIcon::Error, "Vorda");
        return;
    }
    if (tree.refresh) tree.refresh();
    if (tree.setPath) tree.setPath(newPath);
    lc_.bBlockDirUpdate = false;
    fixRowsAfterFolderRename(lc_.list(), path + "/", newPath + "/");
}

void FolderTreeCommands::deleteFolder(const std::string& treePath) {
    if (ui_.ask("Are you sure you want to delete the folder \n" + quoted(treePath) + "?", MessageButtons::YesNo,
                MessageIcon::Question, "Vorda") != MessageAnswer::Yes)
        return;
    if (shellFileOperation(treePath, "", FileOperation::Delete, settings_.recycleFiles) != 0)
        ui_.ask("Error: Could not delete folder.", MessageButtons::Ok, MessageIcon::Information, "Vorda");
}

}  // namespace vorda::naming
