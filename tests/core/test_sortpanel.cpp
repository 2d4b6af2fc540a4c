// The sorting panel's method switch and target-folder rules, and the folder bookmarks.
#include <gtest/gtest.h>

#include "app/Bookmarks.h"
#include "app/SortPanel.h"

using vorda::Bookmarks;
using vorda::SortPanel;

TEST(SortPanel, MethodSwitchKeepsTheTargetWhileRenaming) {
    SortPanel panel;
    panel.Load(vorda::smCopy, "/music/sorted/");
    EXPECT_EQ(panel.Text(), "/music/sorted/");
    EXPECT_FALSE(panel.Locked());

    panel.Type("/music/new");
    panel.SetMethod(vorda::smRename, "/music/incoming/");
    EXPECT_TRUE(panel.Locked());
    EXPECT_EQ(panel.Text(), "/music/incoming/");
    EXPECT_EQ(panel.SavedFolder(), "/music/new");
    // A second click on "Rename" does not take the file's folder as the target.
    panel.SetMethod(vorda::smRename, "/music/incoming/");
    EXPECT_EQ(panel.SavedFolder(), "/music/new");
    panel.FileShown("/music/other/");
    EXPECT_EQ(panel.Text(), "/music/other/");
    // The locked box ignores typing, browsing and focus changes.
    panel.Type("/x");
    panel.Browsed("/y/");
    panel.FocusLost();
    EXPECT_EQ(panel.Text(), "/music/other/");

    panel.SetMethod(vorda::smMove, "");
    EXPECT_EQ(panel.Text(), "/music/new");
    panel.FileShown("/music/third/");
    EXPECT_EQ(panel.Text(), "/music/new");
    EXPECT_EQ(panel.StoredMethod(), vorda::smMove);
}

TEST(SortPanel, TypingBrowsingAndFocusLoss) {
    SortPanel panel;
    panel.Load(vorda::smCopy, "/a/");
    panel.Type("/music/<bad>|name*?\"x");
    EXPECT_EQ(panel.Text(), "/music/badnamex");
    EXPECT_EQ(panel.SavedFolder(), "/a/");
    panel.FocusLost();
    EXPECT_EQ(panel.Text(), "/music/badnamex/");
    EXPECT_EQ(panel.SavedFolder(), "/music/badnamex/");
    panel.FocusLost();
    EXPECT_EQ(panel.Text(), "/music/badnamex/");

    // An emptied box stays empty, so that a run can still ask for a target.
    panel.Type("");
    panel.FocusLost();
    EXPECT_EQ(panel.Text(), "");
    EXPECT_EQ(panel.SavedFolder(), "/music/badnamex/");

    panel.Browsed("");
    EXPECT_EQ(panel.Text(), "");
    panel.Browsed("/media/usb");
    EXPECT_EQ(panel.Text(), "/media/usb/");
    EXPECT_EQ(panel.SavedFolder(), "/media/usb/");
}

TEST(SortPanel, SetAsTargetFolder) {
    SortPanel panel;
    panel.Load(vorda::smCopy, "/a/");
    panel.SetAsTarget("/home/me/Music");
    EXPECT_EQ(panel.Text(), "/home/me/Music/");
    EXPECT_EQ(panel.SavedFolder(), "/home/me/Music/");
    panel.SetAsTarget("");
    EXPECT_EQ(panel.SavedFolder(), "/home/me/Music/");

    // While renaming only the saved folder changes; leaving rename shows it.
    panel.SetMethod(vorda::smRename, "/in/");
    panel.SetAsTarget("/out");
    EXPECT_EQ(panel.Text(), "/in/");
    panel.SetMethod(vorda::smCopy, "");
    EXPECT_EQ(panel.Text(), "/out/");
}

TEST(SortPanel, CaptionsAndStoredMethod) {
    EXPECT_EQ(SortPanel::ButtonOfMethod(2), 0);
    EXPECT_EQ(SortPanel::ButtonOfMethod(1), 1);
    EXPECT_EQ(SortPanel::ButtonOfMethod(4), 2);
    EXPECT_EQ(SortPanel::ButtonOfMethod(3), -1);
    EXPECT_EQ(SortPanel::MethodOfButton(0), 2);
    EXPECT_EQ(SortPanel::MethodOfButton(2), 4);

    const vorda::MethodCaptions copy = SortPanel::CaptionsFor(vorda::smCopy);
    EXPECT_EQ(copy.sortAll, "Copy All");
    EXPECT_EQ(copy.sortSelected, "Copy Selected");
    EXPECT_EQ(copy.menuSortSelected, "Copy selected file(s)");
    EXPECT_EQ(copy.popSort, "Copy selected file(s) using...");
    EXPECT_EQ(copy.targetLabel, "Target folder:");
    EXPECT_TRUE(copy.browseEnabled);
    const vorda::MethodCaptions move = SortPanel::CaptionsFor(vorda::smMove);
    EXPECT_EQ(move.menuSortAll, "Move all files");
    EXPECT_EQ(move.popSortAlbum, "Move selected file(s) as album");
    const vorda::MethodCaptions rename = SortPanel::CaptionsFor(vorda::smRename);
    EXPECT_EQ(rename.sortAll, "Rename All");
    EXPECT_EQ(rename.popSortAlbum, "Sort selected file(s) as album");
    EXPECT_FALSE(rename.popSortAlbumEnabled);
    EXPECT_EQ(rename.targetLabel, "File location:");
    EXPECT_FALSE(rename.browseEnabled);

    SortPanel panel;
    panel.Load(7, "/t/");
    EXPECT_FALSE(panel.Locked());
    EXPECT_EQ(panel.StoredMethod(), vorda::smRename);
    EXPECT_EQ(SortPanel::CaptionsFor(7).sortAll, "Sort All");
}

TEST(Bookmarks, StoreToolTipsAndScanFolder) {
    Bookmarks marks;
    marks.Load({"/music", "", "", "", "/data/"});
    EXPECT_EQ(marks.ToolTip(0), "/music");
    EXPECT_EQ(marks.ToolTip(1), "Click the right mousebutton to bookmark current folder!");
    EXPECT_EQ(marks.ScanFolder(0), "/music/");
    EXPECT_EQ(marks.ScanFolder(4), "/data/");
    EXPECT_EQ(marks.ScanFolder(1), "");

    EXPECT_TRUE(marks.Store(1, "/home/me/Music"));
    EXPECT_EQ(marks.ToolTip(1), "/home/me/Music");
    EXPECT_FALSE(marks.Store(1, ""));
    EXPECT_EQ(marks.Folder(1), "/home/me/Music");
    EXPECT_FALSE(marks.Store(5, "/x"));
    EXPECT_FALSE(marks.Store(-1, "/x"));
    EXPECT_EQ(marks.Folder(5), "");
    EXPECT_EQ(marks.Folders()[1], "/home/me/Music");
}
