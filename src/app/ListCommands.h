// SPDX-License-Identifier: GPL-2.0-or-later

// The file list's commands and the main-window state they share: scanning folders,
// importing playlists, adding files, filling rows, totals, selection modes and the
// removal commands. Written against the UserInterface port, never against widgets.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/FileList.h"
#include "app/Settings.h"
#include "app/UserInterface.h"
#include "tags/AudioFile.h"

namespace vorda::app {

class ListCommands {
public:
    ListCommands(FileList& list, UserInterface& ui, Settings& settings);

    FileList& list() { return list_; }
    tags::AudioFile& filCurrent() { return filCurrent_; }
    // The options of the file objects as the settings give them now.
    tags::TagOptions fileOptions() const { return tagOptions(settings_); }

    // Main-window state shared with other commands.
    int nrTotalFiles = 0;
    bool bMultiChange = false;
    bool bBlockDirUpdate = false;
    // Set (from the user interface, while a scan repaints) to end a running scan, playlist
    // import or drop early; the rows added so far stay. Cleared when a drop or scan starts.
    bool bStopScan = false;

    // Seams for the window and the naming engine, used by showFile after a successful read:
    // fileShown shows the tags, audio information and pattern detection of filCurrent;
    // newNameBuilder gives the new-name box text (without one, the new name is the old name).
    std::function<void(tags::AudioFile& file)> fileShown;
    std::function<std::string(tags::AudioFile& file)> newNameBuilder;

    // Reads folder + name and appends a row; false (nothing added) when it cannot be read.
    bool addToFileList(const std::string& name, const std::string& folder);
    // Adds every matching file of folder (and its subfolders, breadth first); imports playlists.
    void scanFolder(const std::string& folder, bool subFolders);
    // Adds every file an M3U, M3U8 or PLS playlist names.
    void importPlaylist(const std::string& path);
    // Fills the cells of row from a read file object.
    void updateListItem(int row, const tags::AudioFile& file);
    void updateTotals();
    long long totalMb() const;

    // Files and folders dropped onto the list (or given on the command line of the window).
    void dropPaths(const std::vector<std::string>& paths, bool scanSubFolders);
    // The "Add files..." result: folder ("/"-terminated or not) and names; playlists = second filter.
    void addChosenFiles(const std::vector<std::string>& fullPaths, bool playlistFilter);

    // showFile's list part: reads the row into filCurrent; false (row removed,
    // "The File Does Not Exist!" in the old-name box) when it cannot be read.
    bool showFile(int row);

    // Selection and multi-change rules.
    void mouseDown(bool shiftOrCtrl);
    void mouseDrag(double deltaYTwips);
    // A click on a row (after the view updated the selection). Returns true when the
    // single file was shown.
    bool rowClicked(int row);
    void selectAllFiles();
    void invertSelection();

    // List commands.
    void clearFileList();
    void removeSelectedFromList();
    // "Delete file(s)": asks, then deletes (to the trash when recycleFiles).
    void deleteSelectedFiles();
    void removeNonexistentFiles();

    // The "Scanned ... files in ... seconds." text of the last scan ("" before any).
    const std::string& lastScanText() const { return lastScanText_; }

private:
    // addToFileList for a path already known to be a regular file.
    bool addCheckedFile(const std::string& name, const std::string& path);

    FileList& list_;
    UserInterface& ui_;
    Settings& settings_;
    tags::AudioFile filCurrent_;
    std::string lastScanText_;
};

}  // namespace vorda::app
