#include "app/Bookmarks.h"

#include "app/Routines.h"

namespace vorda {

std::string Bookmarks::Folder(int i) const {
    if (i < 0 || i >= kCount) return {};
    return folders_[static_cast<size_t>(i)];
}

std::string Bookmarks::ToolTip(int i) const {
    const std::string folder = Folder(i);
    return folder.empty() ? std::string(kEmptyToolTip) : folder;
}

bool Bookmarks::Store(int i, const std::string& folder) {
    if (i < 0 || i >= kCount || folder.empty()) return false;
    folders_[static_cast<size_t>(i)] = folder;
    return true;
}

std::string Bookmarks::ScanFolder(int i) const {
    const std::string folder = Folder(i);
    return folder.empty() ? std::string() : AddBackslash(folder);
}

}  // namespace vorda
