// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/SortPanel.h"

#include <cstring>

#include "base/Text.h"

using namespace vorda::base;

namespace vorda::app {

bool SortPanel::isRefusedTargetChar(char c) { return c != '\0' && std::strchr(kRefusedTargetChars, c) != nullptr; }

std::string SortPanel::filtered(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (!isRefusedTargetChar(c)) out += c;
    }
    return out;
}

int SortPanel::buttonOfMethod(FileMethod method) {
    switch (method) {
    case FileMethod::Copy: return 0;
    case FileMethod::Move: return 1;
    case FileMethod::Rename: return 2;
    default: return -1;
    }
}

FileMethod SortPanel::methodOfButton(int button) {
    switch (button) {
    case 0: return FileMethod::Copy;
    case 1: return FileMethod::Move;
    default: return FileMethod::Rename;
    }
}

MethodCaptions SortPanel::captionsFor(FileMethod method) {
    MethodCaptions c;
    if (method == FileMethod::Copy || method == FileMethod::Move) {
        const std::string verb = method == FileMethod::Copy ? "Copy" : "Move";
        c.sortAll = verb + " All";
        c.sortSelected = verb + " Selected";
        c.menuSortAll = verb + " all files";
        c.menuSortSelected = verb + " selected file(s)";
        c.popSort = verb + " selected file(s) using...";
        c.popSortAlbum = verb + " selected file(s) as album";
        c.popSortAlbumEnabled = true;
        c.targetLabel = "Target folder:";
        c.browseEnabled = true;
    } else if (method == FileMethod::Rename) {
        c.sortAll = "Rename All";
        c.sortSelected = "Rename Selected";
        c.menuSortAll = "Rename all files";
        c.menuSortSelected = "Rename selected file(s)";
        c.popSort = "Rename selected file(s) using...";
        c.popSortAlbum = "Sort selected file(s) as album";
        c.popSortAlbumEnabled = false;
        c.targetLabel = "File location:";
        c.browseEnabled = false;
    } else {
        // No method chosen (a stored value the switch never produces): the design captions.
        c.sortAll = "Sort All";
        c.sortSelected = "Sort Selected";
        c.menuSortAll = "Sort all files";
        c.menuSortSelected = "Sort selected file(s)";
        c.popSort = "Sort selected file(s) using...";
        c.popSortAlbum = "Sort selected file(s) as album";
        c.targetLabel = "Target Folder:";
        c.popSortAlbumEnabled = false;  // no method, nothing to sort with
    }
    return c;
}

void SortPanel::load(int storedMethod, const std::string& targetDir) {
    method_ = static_cast<FileMethod>(storedMethod);
    text_ = targetDir;
    saved_ = targetDir;
}

void SortPanel::setMethod(FileMethod method, const std::string& currentFileFolder) {
    if (method == FileMethod::Rename) {
        // The folder typed so far is kept: leaving rename brings it back.
        if (method_ != FileMethod::Rename) saved_ = text_;
        text_ = currentFileFolder;
    } else {
        text_ = saved_;
    }
    method_ = method;
}

int SortPanel::storedMethod() const {
    const FileMethod method = method_ == FileMethod::Copy || method_ == FileMethod::Move ? method_ : FileMethod::Rename;
    return static_cast<int>(method);
}

void SortPanel::type(const std::string& text) {
    if (locked()) return;
    text_ = filtered(text);
}

void SortPanel::browsed(const std::string& folder) {
    if (folder.empty() || locked()) return;
    text_ = addBackslash(filtered(folder));
    saved_ = text_;
}

void SortPanel::focusLost() {
    if (locked() || text_.empty()) return;
    text_ = addBackslash(text_);
    saved_ = text_;
}

void SortPanel::setAsTarget(const std::string& treeFolder) {
    if (treeFolder.empty()) return;
    saved_ = addBackslash(treeFolder);
    if (!locked()) text_ = saved_;
}

void SortPanel::fileShown(const std::string& fileFolder) {
    if (locked()) text_ = fileFolder;
}

}  // namespace vorda::app
