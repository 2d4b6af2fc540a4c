// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/Bookmarks.h"

#include "base/Text.h"

using namespace vorda::base;

namespace vorda::app {

std::string Bookmarks::folder(int i) const {
    if (i < 0 || i >= kCount) return {};
    return folders_[static_cast<size_t>(i)];
}

std::string Bookmarks::toolTip(int i) const {
    const std::string path = folder(i);
    return path.empty() ? std::string(kEmptyToolTip) : path;
}

bool Bookmarks::store(int i, const std::string& folder) {
    if (i < 0 || i >= kCount || folder.empty()) return false;
    folders_[static_cast<size_t>(i)] = folder;
    return true;
}

std::string Bookmarks::scanFolder(int i) const {
    const std::string path = folder(i);
    return path.empty() ? std::string() : addBackslash(path);
}

}  // namespace vorda::app
