// SPDX-License-Identifier: GPL-2.0-or-later

// The sort and rename commands of the main window: copying or moving the listed files into a
// folder tree built from their tags, renaming them in place, the album sort, the overwrite
// question and the target-folder check. Written against the file list and the UserInterface
// port; the window (and vorda-cli) fill a SortInputs record from their boxes.
#pragma once

#include <string>
#include <vector>

#include "app/ListCommands.h"
#include "app/Settings.h"
#include "app/SortPanel.h"
#include "app/UserInterface.h"

namespace vorda::tags {
class AudioFile;
}

namespace vorda::naming {

// What the boxes of the naming panel hold when a command starts.
struct SortInputs {
    app::FileMethod method = app::FileMethod::Rename;  // optMethod
    std::string targetDir;                             // txtTargetDir
    std::string inPattern;                             // input pattern box
    std::string outPattern;                            // output pattern box
    std::string pathPattern;                           // path pattern box
    std::string albumPattern;                          // album pattern box
    std::string newName;                               // txtNewName (the one-file output pattern)
    bool fixFilenames = true;                          // chkFixFilenames
    bool useAlbumPattern = true;                       // chkAlbumPattern
    bool detectInPattern = false;                      // chkDetectInPattern
    int currentRow = 0;                                // the list's current row (0 when none)

    // The boxes as the settings hold them (current patterns, check boxes, method, target).
    static SortInputs fromSettings(const app::Settings& s);
};

// The question when a file would take the name of another, answered as the settings'
// fileExistAction says (asking the user for FileExistAction::Ask): FileExistAction::Replace, FileExistAction::Skip or
// FileExistAction::Cancel.
int askFileExistAction(app::UserInterface& ui, int fileExistAction, const std::string& source,
                       const std::string& destination);

// One planned file operation: source path and destination path.
struct PlannedMove {
    std::string source;
    std::string destination;
};

// One file of a run: where it is, where it goes, and its row (0 when the run leaves the rows alone).
struct RunStep {
    std::string source;
    std::string destination;
    int row = 0;
};

// The error code reported when a file would be copied or moved onto itself.
inline constexpr int kErrSameFile = 22;  // EINVAL

class SortCommands {
public:
    SortCommands(app::ListCommands& list, app::UserInterface& ui, app::Settings& settings);

    // cmdSort / mnuSortAll: the "all files" command.
    void sortAllFiles(const SortInputs& in);
    // cmdSortSelected / mnuSortSelected: the "selected files" command (one-file stepping included).
    void sortSelectedFiles(const SortInputs& in);
    // An entry of mnuPopSortPatterns: the selected files with output pattern outPatterns[index].
    // Does nothing for an index outside the list or an empty entry.
    void sortSelectedUsing(const SortInputs& in, size_t outPatternIndex);
    // mnuPopSortAlbum: every selected file into its album folder (copy and move only).
    void sortSelectedAsAlbum(const SortInputs& in);

    // The run itself. boxes supplies the check boxes, the current row and the new-name box.
    void sortFiles(bool all, app::FileMethod method, const std::string& target, const std::string& pathPattern,
                   const std::string& albumPattern, const std::string& inPattern, const std::string& outPattern,
                   const SortInputs& boxes);

    // The overwrite question: FileExistAction::Replace, FileExistAction::Skip or FileExistAction::Cancel.
    int askFileExistAction(const std::string& source, const std::string& destination);
    // The target folder exists or was created on request; false (after a message) to stop.
    [[nodiscard]] bool targetDirReady(const std::string& folder);
    // One file to its destination; the file operation's result (0 = done, -1 = declined).
    int sortFile(tags::AudioFile& file, const std::string& destination, app::FileMethod method);

    // The plan of a copy or move run without touching anything: sources and destinations in
    // the order the run handles them. target is used as given (no check, no creation).
    std::vector<PlannedMove> planSort(bool all, const std::string& target, const std::string& pathPattern,
                                      const std::string& albumPattern, const std::string& inPattern,
                                      const std::string& outPattern, const SortInputs& boxes);
    // The new paths of a multi-file rename run (all rows, or the selected ones).
    std::vector<PlannedMove> planRename(bool all, const std::string& inPattern, const std::string& outPattern,
                                        const SortInputs& boxes);

    // Results of the last run: files handled (as the status message counts them), files whose
    // operation failed, and whether the run was cancelled.
    long handled() const { return handled_; }
    long failed() const { return failed_; }
    bool cancelled() const { return cancelled_; }
    // The current row after a command (the one-file stepping moves it); 0 when none.
    int currentRow() const { return currentRow_; }

private:
    // The confirmation of the copy and move commands; true to go on.
    [[nodiscard]] bool confirm(bool all, const std::string& target, const SortInputs& in);
    void runCommand(bool all, const SortInputs& in);
    // Moves, copies or renames the files of a run. A run never replaces a file of its own: a
    // destination that is one of its files, or that an earlier file of the run was given, gets
    // the overwrite question, and "always replace" skips it with a message. Files that take each
    // other's names (chains and cycles) are handled in an order, or through temporary names, in
    // which none is lost.
    void runSteps(app::FileMethod method, const std::vector<RunStep>& steps);
    std::vector<RunStep> renameSteps(bool all, const std::string& inPattern, const std::string& outPattern,
                                     const SortInputs& boxes);
    void runRenameOne(int row, const std::string& inPattern, const std::string& outPattern, const SortInputs& boxes);
    // Reads row i into filCurrent; false when it cannot be read.
    [[nodiscard]] bool readRow(int row);
    std::string inPatternFor(const std::string& inPattern, const SortInputs& boxes);
    void status(const std::string& text);
    void afterMove();

    app::ListCommands& lc_;
    app::FileList& list_;
    app::UserInterface& ui_;
    app::Settings& settings_;
    long handled_ = 0;
    long failed_ = 0;
    bool cancelled_ = false;
    int currentRow_ = 0;
};

// A plan in the order a run of the method handles it (files that give up their names to other
// files of the plan first; see SortCommands::runSteps).
std::vector<PlannedMove> inRunOrder(const std::vector<PlannedMove>& plan, app::FileMethod method);

// The status message shown while a method runs ("Moving file(s)...") and when it is done
// ("Moving done!"); "" for a method other than 1, 2 or 4.
std::string sortRunningText(app::FileMethod method);
std::string sortDoneText(app::FileMethod method);

}  // namespace vorda::naming
