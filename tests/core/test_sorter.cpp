// SPDX-License-Identifier: GPL-2.0-or-later

// The sort planner: album grouping, the album-size threshold, sorting to existing folders, and
// repeated destinations within one plan.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "IniTestSupport.h"
#include "naming/SortPlanner.h"

using namespace vorda::naming;

namespace {

struct Plan {
    std::vector<std::string> sources;
    std::vector<std::string> destinations;
};

Plan planOf(const SortPlanner& sorter) {
    Plan plan;
    sorter.getSortList(plan.sources, plan.destinations);
    return plan;
}

// Adds file "name" of album with destinations "g/name" and "a/<album>/name".
void add(SortPlanner& sorter, const std::string& name, const std::string& album) {
    sorter.addFile("/src/" + name, album, " /g/" + name + " ", "/a/" + album + "/" + name);
}

}  // namespace

TEST(SortPlanner, LargeAlbumsGoToTheAlbumDestinationGroupByGroup) {
    SortPlanner sorter;
    sorter.setFolderExistsTest([](const std::string&) { return false; });
    sorter.albumSize(5);
    add(sorter, "x1", "X");
    add(sorter, "y1", "Y");
    for (int i = 2; i <= 6; ++i) add(sorter, "x" + std::to_string(i), "X");
    add(sorter, "y2", "Y");
    EXPECT_EQ(sorter.totalItems(), 8);

    const Plan plan = planOf(sorter);
    ASSERT_EQ(plan.sources.size(), 8u);
    EXPECT_EQ(plan.sources[0], "/src/x1");
    EXPECT_EQ(plan.sources[5], "/src/x6");
    EXPECT_EQ(plan.sources[6], "/src/y1");
    EXPECT_EQ(plan.destinations[0], "/a/X/x1");
    EXPECT_EQ(plan.destinations[5], "/a/X/x6");
    EXPECT_EQ(plan.destinations[6], "/g/y1");  // blanks around the general destination trimmed
    EXPECT_EQ(plan.destinations[7], "/g/y2");
    // The plan can be read again unchanged.
    EXPECT_EQ(planOf(sorter).destinations, plan.destinations);
}

TEST(SortPlanner, ThresholdAndAlbumKeys) {
    SortPlanner sorter;
    sorter.setFolderExistsTest([](const std::string&) { return false; });
    EXPECT_EQ(sorter.albumSize(), 0);
    EXPECT_FALSE(sorter.sortToExistingFolders());
    sorter.albumSize(3);
    sorter.albumSize(-3);
    EXPECT_EQ(sorter.albumSize(), 3);

    // Keys ignore letter case (any script) and surrounding blanks.
    sorter.addFile("/s/1", "Live", "/g/1", "/a/1");
    sorter.addFile("/s/2", "élan", "/g/2", "/a/2");
    sorter.addFile("/s/3", "live ", "/g/3", "/a/3");
    sorter.addFile("/s/4", " LIVE", "/g/4", "");
    sorter.addFile("/s/5", "ÉLAN", "/g/5", "/a/5");
    // Files without an album never get the album destination by count.
    for (int i = 6; i <= 9; ++i) sorter.addFile("/s/" + std::to_string(i), " ", "/g/e", "/a/e");
    Plan plan = planOf(sorter);
    EXPECT_EQ(plan.sources,
              (std::vector<std::string>{"/s/1", "/s/3", "/s/4", "/s/2", "/s/5", "/s/6", "/s/7", "/s/8", "/s/9"}));
    // An album of exactly the threshold qualifies; an empty album destination never does.
    EXPECT_EQ(plan.destinations[0], "/a/1");
    EXPECT_EQ(plan.destinations[1], "/a/3");
    EXPECT_EQ(plan.destinations[2], "/g/4");
    EXPECT_EQ(plan.destinations[3], "/g/2");
    EXPECT_EQ(plan.destinations[5], "/g/e");

    sorter.albumSize(0);
    EXPECT_EQ(planOf(sorter).destinations[0], "/g/1");

    sorter.sortToExistingFolders(true);
    sorter.reset();
    EXPECT_EQ(sorter.totalItems(), 0);
    EXPECT_EQ(sorter.albumSize(), 0);
    EXPECT_TRUE(sorter.sortToExistingFolders());
    plan = planOf(sorter);
    EXPECT_TRUE(plan.sources.empty());
    EXPECT_TRUE(plan.destinations.empty());
}

TEST(SortPlanner, ExistingAlbumFoldersOnRealDisk) {
    initest::TempDir dir;
    std::filesystem::create_directories(dir / "Abba/Gold");
    initest::writeText(dir / "Abba/file", "x");

    SortPlanner sorter;
    sorter.albumSize(0);
    sorter.addFile("/s/1", "Gold", dir / "g/1", dir / "Abba/Gold/1");
    sorter.addFile("/s/2", "", dir / "g/2", dir / "Abba/Gold/2");    // no album: existing folder still counts
    sorter.addFile("/s/3", "New", dir / "g/3", dir / "Abba/New/3");  // not there yet
    sorter.addFile("/s/4", "F", dir / "g/4", dir / "Abba/file/4");   // a file, not a folder
    sorter.addFile("/s/5", "Gold2", dir / "g/5", "");

    Plan plan = planOf(sorter);
    EXPECT_EQ(plan.destinations,
              (std::vector<std::string>{dir / "g/1", dir / "g/2", dir / "g/3", dir / "g/4", dir / "g/5"}));
    sorter.sortToExistingFolders(true);
    plan = planOf(sorter);
    EXPECT_EQ(plan.destinations, (std::vector<std::string>{dir / "Abba/Gold/1", dir / "Abba/Gold/2", dir / "g/3",
                                                           dir / "g/4", dir / "g/5"}));

    // The test is made once per record with the folder part, trailing "/" included.
    std::vector<std::string> asked;
    sorter.setFolderExistsTest([&](const std::string& folder) {
        asked.push_back(folder);
        return false;
    });
    planOf(sorter);
    EXPECT_EQ(asked, (std::vector<std::string>{dir / "Abba/Gold/", dir / "Abba/Gold/", dir / "Abba/New/",
                                               dir / "Abba/file/"}));
}

TEST(SortPlanner, RepeatedDestinationsAreMarked) {
    EXPECT_EQ(repeatedDestinations({"/t/a.mp3", "/t/b.mp3", "/t/x/../a.mp3", "/t//b.mp3", "/t/A.mp3"}),
              (std::vector<bool>{false, false, true, true, false}));
    EXPECT_TRUE(repeatedDestinations({}).empty());
}
