// SPDX-License-Identifier: GPL-2.0-or-later

#include "naming/SortPlanner.h"

#include <filesystem>
#include <unordered_set>

#include "base/Text.h"

using namespace vorda::base;

namespace vorda::naming {

SortPlanner::SortPlanner() : folderExists_([](const std::string& folder) { return pathExists(folder); }) {}

void SortPlanner::addFile(const std::string& source, const std::string& album, const std::string& general,
                          const std::string& albumDestination) {
    SortInfo info{source, trim(general), trim(albumDestination), trim(album)};
    const std::string key = lowerCase(info.sAlbum);
    const auto found = groupIndex_.find(key);
    if (found != groupIndex_.end()) {
        groups_[found->second].records.push_back(std::move(info));
    } else {
        groupIndex_.emplace(key, groups_.size());
        groups_.push_back(Group{{std::move(info)}});
    }
    ++itemCount_;
}

void SortPlanner::reset() {
    groups_.clear();
    groupIndex_.clear();
    itemCount_ = 0;
}

void SortPlanner::albumSize(long size) {
    if (size >= 0) albumSize_ = size;
}

void SortPlanner::setFolderExistsTest(FolderExistsTest test) {
    if (test) folderExists_ = std::move(test);
}

void SortPlanner::getSortList(std::vector<std::string>& sources, std::vector<std::string>& destinations) const {
    sources.assign(static_cast<size_t>(itemCount_), std::string());
    destinations.assign(static_cast<size_t>(itemCount_), std::string());
    size_t i = 0;
    for (const Group& group : groups_) {
        const bool bigEnough = albumSize_ > 0 && static_cast<long>(group.records.size()) >= albumSize_;
        for (const SortInfo& info : group.records) {
            sources[i] = info.sFile;
            const std::string albumFolder = getFolder(info.sAlbumPath);
            if (!info.sAlbum.empty() && bigEnough && !info.sAlbumPath.empty())
                destinations[i] = info.sAlbumPath;
            else if (sortToExisting_ && !albumFolder.empty() && folderExists_(albumFolder))
                destinations[i] = info.sAlbumPath;
            else
                destinations[i] = info.sGeneralPath;
            ++i;
        }
    }
}

std::vector<bool> repeatedDestinations(const std::vector<std::string>& destinations) {
    std::vector<bool> repeated(destinations.size(), false);
    std::unordered_set<std::string> seen;
    for (size_t i = 0; i < destinations.size(); ++i) {
        const std::string normal = std::filesystem::path(destinations[i]).lexically_normal().string();
        repeated[i] = !seen.insert(normal).second;
    }
    return repeated;
}

}  // namespace vorda::naming
