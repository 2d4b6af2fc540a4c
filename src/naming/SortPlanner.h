// SPDX-License-Identifier: GPL-2.0-or-later

// The sort planner: groups the files of a sort run by album and decides for each whether it
// goes to its album destination or to its general destination. It never touches files; its only
// contact with the disk is the test whether an album folder already exists.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "naming/SortInfo.h"

namespace vorda::naming {

class SortPlanner {
public:
    // Answers whether a folder (given with its trailing "/") exists.
    using FolderExistsTest = std::function<bool(const std::string& folder)>;

    SortPlanner();

    void addFile(const std::string& source, const std::string& album, const std::string& general,
                 const std::string& albumDestination);
    // Drops every record; the album size and the sort-to-existing flag stay.
    void reset();
    // A negative size is ignored.
    void albumSize(long size);
    long albumSize() const { return albumSize_; }
    long totalItems() const { return itemCount_; }
    void sortToExistingFolders(bool on) { sortToExisting_ = on; }
    bool sortToExistingFolders() const { return sortToExisting_; }
    // The plan, album group by album group in order of first appearance.
    void getSortList(std::vector<std::string>& sources, std::vector<std::string>& destinations) const;

    // Replaces the folder-existence test (pathExists by default).
    void setFolderExistsTest(FolderExistsTest test);

private:
    struct Group {
        std::vector<SortInfo> records;
    };

    long itemCount_ = 0;
    std::vector<Group> groups_;
    std::unordered_map<std::string, size_t> groupIndex_;  // lower-cased key -> index into groups_
    long albumSize_ = 0;
    bool sortToExisting_ = false;
    FolderExistsTest folderExists_;
};

// Marks every destination that an earlier entry of the same plan already uses (compared as
// normalised paths), so that a run treats the later file as "destination exists" instead of
// overwriting the file it has just put there.
std::vector<bool> repeatedDestinations(const std::vector<std::string>& destinations);

}  // namespace vorda::naming
