// SPDX-License-Identifier: GPL-2.0-or-later

// The tag commands that work on every selected file at once: fixing (completing and cleaning)
// tags, numbering tracks, removing all tags, removing junk in front of the audio and showing
// the selected file's tags again. Written against the UserInterface port and the file list;
// the window and vorda-cli drive the same code.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/ListCommands.h"
#include "app/Settings.h"
#include "app/UserInterface.h"

namespace vorda::tags {
class AudioFile;
}

namespace vorda::editing {

// The six tag switches of the tag editor (enable box and remove box per tag kind).
// In simple mode chkID3v2 is the "Use tags" box and decides for both ID3 tags.
struct TagSwitches {
    bool chkID3v1 = false;
    bool chkID3v1Rem = false;
    bool chkID3v2 = true;
    bool chkID3v2Rem = false;
    bool chkLyrics3 = false;
    bool chkLyrics3Rem = false;
};

// What the fix does with each tag kind, fixed once before the loop.
enum class TagAction : int { Remove = -1, Leave = 0, Add = 1 };
struct TagActions {
    TagAction v1 = TagAction::Leave;
    TagAction v2 = TagAction::Leave;
    TagAction lyrics3 = TagAction::Leave;
};
// Advanced mode: each ID3 tag by its own pair (remove wins); simple mode: "Use tags" adds or
// removes both ID3 tags. Lyrics3 by its pair in both modes.
TagActions fixTagActions(const TagSwitches& switches, bool advancedMode);

// Completes and cleans the tags of one file already read into file (tags read): applies the tag
// actions (MPEG files only), fills every empty field from the file name by the input pattern,
// cleans every field and fixes the track. Nothing is written.
void fixFileTags(tags::AudioFile& file, const TagActions& actions, bool advancedMode, const std::string& inPattern,
                 const app::Settings& s = app::settings());

// The track the fix keeps: the value itself when it is all digits or a non-zero number, else
// the first two-digit run of the bare file name (no folder, no extension), else its first
// digit, else empty.
std::string fixedTrack(const std::string& track, const std::string& fileName);

// The outcome of a loop over several files. Failures are collected and reported once at the end.
struct BatchResult {
    int processed = 0;                                  // files that were read and handled
    int failed = 0;                                     // files whose write (or read) failed
    std::string firstError;                             // "path: Error n ..." of the first failure
    std::vector<std::pair<std::string, int>> failures;  // every failed path with its error number
    std::vector<std::string> unchanged;                 // files left as they were: no tag could hold the value
    void addFailure(const std::string& path, int error);
};

// The message shown once after a loop in which some files failed ("" when none failed):
// "<what> failed for N file(s)." CR LF CR LF "First error: " + firstError.
std::string failureMessage(const BatchResult& result, const std::string& what);

// Reads the file at path again into every list row that shows it.
void showFileAgain(app::ListCommands& cmds, const std::string& path);

class BatchTagCommands {
public:
    BatchTagCommands(app::ListCommands& cmds, app::UserInterface& ui, app::Settings& s = app::settings());

    // ---- hooks of the window (all optional)
    // One-file fix: takes the values typed in the panes into the working object first (in
    // advanced mode after reducing the ID3v1 track field to its digits).
    std::function<void(tags::AudioFile& file)> takePaneValues;
    // One-file fix: shows the fixed values of the working object in the panes (no re-read).
    std::function<void(tags::AudioFile& file)> showFixedTags;
    // The detected input pattern for the input-pattern box.
    std::function<void(const std::string& pattern)> inPatternDetected;
    // The input box of "Add tracknumbers...": false when cancelled; answer receives the text.
    std::function<bool(const std::string& prompt, const std::string& defaultText, std::string& answer)> inputBox;

    // ---- "Fix tags": status "Fixing tags...", then "All tags fixed!". With several rows
    // selected (bMultiChange) every selected existing file is fixed and written; with one, the
    // shown file (filCurrent) is fixed in memory and written by the next "Save tags".
    // inPattern is the input-pattern box text; detect the "Detect input pattern" box.
    BatchResult fixTags(const TagSwitches& switches, bool detect, const std::string& inPattern);
    // The several-files part of fixTags on every selected row, whatever their number.
    BatchResult fixSelectedFiles(const TagSwitches& switches, bool detect, const std::string& inPattern);

    // ---- "Add tracknumbers...": asks the start value, then numberTracks.
    BatchResult addTrackNumbers();
    // Gives the selected rows, top to bottom, the tracks start, start+1, ... and writes them.
    // The tags of addKinds are added first. A file without a tag that takes the track (and none
    // added, nor one the tag options create) is left unchanged and listed in the result.
    BatchResult numberTracks(long start, const std::vector<int>& addKinds = {});
    // The start value typed into the input box: 0 for empty or non-numeric text.
    static long parseStartValue(const std::string& answer);

    // ---- "Remove tags": asks with several rows, removes ID3v1, ID3v2 and Lyrics3 and writes
    // (the tag options still apply inside the write), then shows the selected file again.
    BatchResult removeTags();

    // ---- "Remove Junk": removeJunk on every selected file, no question.
    BatchResult removeJunk();

    // ---- "Extract tags": with one row selected, shows it again (re-reading its tags).
    void extractTags();

    // The texts of the commands.
    static constexpr const char* kFixing = "Fixing tags...";
    static constexpr const char* kFixed = "All tags fixed!";
    static constexpr const char* kStartPrompt =
        "Please enter the start value of the track counter. (All existing tracknumbers in the selected "
        "file(s) will be overwritten.)";
    static constexpr const char* kInvalidStart = "Invalid start value of the track counter!";
    static constexpr const char* kNoTagForTrack =
        "had no tag to hold a track number and stayed unchanged. Check the tags to use in the options.";
    static constexpr const char* kRemoveQuestion =
        "Are you really sure you want to remove all tags from the selected files?";

private:
    // The loop shared by the per-file commands: reads each row's file into the working object,
    // runs action (0 or an error number; index counts the rows from 0), refreshes the row and
    // advances the progress bar. A file that cannot be read counts as failed (ENOENT).
    using RowAction = std::function<int(tags::AudioFile& file, const std::string& path, size_t index)>;
    BatchResult forEachRow(const std::vector<int>& rows, const RowAction& action);

    // Reports the failures of a finished loop once (error icon); nothing when none failed.
    void reportFailures(const BatchResult& result, const std::string& what);

    app::ListCommands& cmds_;
    app::UserInterface& ui_;
    app::Settings& s_;
};

}  // namespace vorda::editing
