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
#include "tags/clsFile.h"

namespace vorda {

class ListCommands {
public:
    ListCommands(FileList& list, UserInterface& ui, Settings& settings);

    FileList& List() { return list_; }
    clsFile& filCurrent() { return filCurrent_; }

    // Main-window state shared with other commands.
    int NrTotalFiles = 0;
    bool bMultiChange = false;
    bool bBlockDirUpdate = false;
    // Set (from the user interface, while a scan repaints) to end a running scan, playlist
    // import or drop early; the rows added so far stay. Cleared when a drop or scan starts.
    bool bStopScan = false;

    // Seams for the window and the naming engine, used by ShowFile after a successful read:
    // FileShown shows the tags, audio information and pattern detection of filCurrent;
    // NewNameBuilder gives the new-name box text (without one, the new name is the old name).
    std::function<void(clsFile& file)> FileShown;
    std::function<std::string(clsFile& file)> NewNameBuilder;

    // Reads folder + name and appends a row; false (nothing added) when it cannot be read.
    bool AddToFileList(const std::string& name, const std::string& folder);
    // Adds every matching file of folder (and its subfolders, breadth first); imports playlists.
    void ScanFolder(const std::string& folder, bool subFolders);
    // Adds every file an M3U, M3U8 or PLS playlist names.
    void ImportPlaylist(const std::string& path);
    // Fills the cells of row from a read file object.
    void UpdateListItem(int row, const clsFile& file);
    void UpdateTotals();
    long long TotalMB() const;

    // Files and folders dropped onto the list (or given on the command line of the window).
    void DropPaths(const std::vector<std::string>& paths, bool scanSubFolders);
    // The "Add files..." result: folder ("/"-terminated or not) and names; playlists = second filter.
    void AddChosenFiles(const std::vector<std::string>& fullPaths, bool playlistFilter);

    // ShowFile's list part: reads the row into filCurrent; false (row removed,
    // "The File Does Not Exist!" in the old-name box) when it cannot be read.
    bool ShowFile(int row);

    // Selection and multi-change rules.
    void MouseDown(bool shiftOrCtrl);
    void MouseDrag(double deltaYTwips);
    // A click on a row (after the view updated the selection). Returns true when the
    // single file was shown.
    bool RowClicked(int row);
    void SelectAllFiles();
    void InvertSelection();

    // List commands.
    void ClearFileList();
    void RemoveSelectedFromList();
    // "Delete file(s)": asks, then deletes (to the trash when bRecycleFiles).
    void DeleteSelectedFiles();
    void RemoveNonexistentFiles();

    // The "Scanned ... files in ... seconds." text of the last scan ("" before any).
    const std::string& LastScanText() const { return lastScanText_; }

private:
    // AddToFileList for a path already known to be a regular file.
    bool AddCheckedFile(const std::string& name, const std::string& path);

    FileList& list_;
    UserInterface& ui_;
    Settings& settings_;
    clsFile filCurrent_;
    std::string lastScanText_;
};

}  // namespace vorda
