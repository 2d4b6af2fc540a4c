// SPDX-License-Identifier: GPL-2.0-or-later

// The sorting panel's method switch and target-folder rules, and the folder bookmarks.
#include <gtest/gtest.h>

#include "app/Bookmarks.h"
#include "app/SortPanel.h"

using namespace vorda::app;

using vorda::app::Bookmarks;
using vorda::app::SortPanel;

TEST(SortPanel, MethodSwitchKeepsTheTargetWhileRenaming) {
    SortPanel panel;
    panel.load(static_cast<int>(FileMethod::Copy), "/music/sorted/");
    EXPECT_EQ(panel.text(), "/music/sorted/");
    EXPECT_FALSE(panel.locked());

    panel.type("/music/new");
    panel.setMethod(FileMethod::Rename, "/music/incoming/");
    EXPECT_TRUE(panel.locked());
    EXPECT_EQ(panel.text(), "/music/incoming/");
    EXPECT_EQ(panel.savedFolder(), "/music/new");
    // A second click on "Rename" does not take the file's folder as the target.
    panel.setMethod(FileMethod::Rename, "/music/incoming/");
    EXPECT_EQ(panel.savedFolder(), "/music/new");
    panel.fileShown("/music/other/");
    EXPECT_EQ(panel.text(), "/music/other/");
    // The locked box ignores typing, browsing and focus changes.
    panel.type("/x");
    panel.browsed("/y/");
    panel.focusLost();
    EXPECT_EQ(panel.text(), "/music/other/");

    panel.setMethod(FileMethod::Move, "");
    EXPECT_EQ(panel.text(), "/music/new");
    panel.fileShown("/music/third/");
    EXPECT_EQ(panel.text(), "/music/new");
    EXPECT_EQ(panel.storedMethod(), 1);
}

TEST(SortPanel, TypingBrowsingAndFocusLoss) {
    SortPanel panel;
    panel.load(static_cast<int>(FileMethod::Copy), "/a/");
    panel.type("/music/<bad>|name*?\"x");
    EXPECT_EQ(panel.text(), "/music/badnamex");
    EXPECT_EQ(panel.savedFolder(), "/a/");
    panel.focusLost();
    EXPECT_EQ(panel.text(), "/music/badnamex/");
    EXPECT_EQ(panel.savedFolder(), "/music/badnamex/");
    panel.focusLost();
    EXPECT_EQ(panel.text(), "/music/badnamex/");

    // An emptied box stays empty, so that a run can still ask for a target.
    panel.type("");
    panel.focusLost();
    EXPECT_EQ(panel.text(), "");
    EXPECT_EQ(panel.savedFolder(), "/music/badnamex/");

    panel.browsed("");
    EXPECT_EQ(panel.text(), "");
    panel.browsed("/media/usb");
    EXPECT_EQ(panel.text(), "/media/usb/");
    EXPECT_EQ(panel.savedFolder(), "/media/usb/");
}

TEST(SortPanel, SetAsTargetFolder) {
    SortPanel panel;
    panel.load(static_cast<int>(FileMethod::Copy), "/a/");
    panel.setAsTarget("/home/me/Music");
    EXPECT_EQ(panel.text(), "/home/me/Music/");
    EXPECT_EQ(panel.savedFolder(), "/home/me/Music/");
    panel.setAsTarget("");
    EXPECT_EQ(panel.savedFolder(), "/home/me/Music/");

    // While renaming only the saved folder changes; leaving rename shows it.
    panel.setMethod(FileMethod::Rename, "/in/");
    panel.setAsTarget("/out");
    EXPECT_EQ(panel.text(), "/in/");
    panel.setMethod(FileMethod::Copy, "");
    EXPECT_EQ(panel.text(), "/out/");
}

TEST(SortPanel, ButtonsAndStoredMethod) {
    EXPECT_EQ(SortPanel::buttonOfMethod(FileMethod::Copy), 0);
    EXPECT_EQ(SortPanel::buttonOfMethod(FileMethod::Move), 1);
    EXPECT_EQ(SortPanel::buttonOfMethod(FileMethod::Rename), 2);
    EXPECT_EQ(SortPanel::buttonOfMethod(static_cast<FileMethod>(3)), -1);
    EXPECT_EQ(SortPanel::methodOfButton(0), FileMethod::Copy);
    EXPECT_EQ(SortPanel::methodOfButton(2), FileMethod::Rename);

    SortPanel panel;
    panel.load(7, "/t/");
    EXPECT_FALSE(panel.locked());
    EXPECT_EQ(panel.storedMethod(), 4);
    EXPECT_EQ(SortPanel::captionsFor(static_cast<FileMethod>(7)).sortAll, "Sort All");
}

TEST(Bookmarks, StoreToolTipsAndScanFolder) {
    Bookmarks marks;
    marks.load({"/music", "", "", "", "/data/"});
    EXPECT_EQ(marks.toolTip(0), "/music");
    EXPECT_EQ(marks.toolTip(1), "Click the right mousebutton to bookmark current folder!");
    EXPECT_EQ(marks.scanFolder(0), "/music/");
    EXPECT_EQ(marks.scanFolder(4), "/data/");
    EXPECT_EQ(marks.scanFolder(1), "");

    EXPECT_TRUE(marks.store(1, "/home/me/Music"));
    EXPECT_EQ(marks.toolTip(1), "/home/me/Music");
    EXPECT_FALSE(marks.store(1, ""));
    EXPECT_EQ(marks.folder(1), "/home/me/Music");
    EXPECT_FALSE(marks.store(5, "/x"));
    EXPECT_FALSE(marks.store(-1, "/x"));
    EXPECT_EQ(marks.folder(5), "");
    EXPECT_EQ(marks.folders()[1], "/home/me/Music");
}
