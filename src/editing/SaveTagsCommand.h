// SPDX-License-Identifier: GPL-2.0-or-later

// "Save tags": writes the tag editor's edits to the one selected file or to every selected
// file, with the confirmation, the messages, the progress and the closing status text.
#pragma once

#include <chrono>
#include <string>

#include "app/ListCommands.h"
#include "app/Settings.h"
#include "app/UserInterface.h"
#include "editing/TagPanes.h"

namespace vorda::tags {
class TagHandler;
}

namespace vorda::editing {

// Writes the marked fields of the mode's key set into a tag: advanced mode writes the ID3v1
// pane (v1 true) or the ID3v2 pane, simple mode the general pane. Each value goes through
// the field edit language relative to the stored one.
void writeMarkedFields(tags::TagHandler& tag, const TagPanes& panes, bool advanced, bool v1);

class SaveTagsCommand {
public:
    enum class Outcome { Nothing, Canceled, Saved, Failed };

    SaveTagsCommand(app::ListCommands& commands, app::UserInterface& ui, app::Settings& settings);

    // The save of the window's "Save tags": one file when bMultiChange is off, else every
    // selected row. The number fields of panes are filtered as the save writes them (the window
    // shows them back); after a single-file save the file is shown again.
    Outcome run(TagPanes& panes);

    // After a several-files save: files written, and files that failed (not readable,
    // read-only, or a write error), with the first failure's text.
    int filesSaved() const { return saved_; }
    int filesFailed() const { return failed_; }
    const std::string& firstError() const { return firstError_; }

    // The shortest interval between two progress and status updates of the several-files loop.
    static constexpr std::chrono::milliseconds kUpdateInterval{30};

private:
    // What a save does with each tag switch's tag in every selected file.
    enum class SwitchAction { Leave = 0, Update = 1, Remove = -1 };

    Outcome saveOne(TagPanes& panes, bool advanced);
    Outcome saveMany(TagPanes& panes, bool advanced);
    void applyToFile(tags::AudioFile& file, const TagPanes& panes, bool advanced,
                     const SwitchAction actions[kSwitchCount]);
    void finish(std::chrono::steady_clock::time_point started);
    void noteFailure(const std::string& path, const std::string& text);

    app::ListCommands& cmds_;
    app::UserInterface& ui_;
    app::Settings& settings_;
    int saved_ = 0;
    int failed_ = 0;
    std::string firstError_;
};

// "Error n occured while writing tags." with the permission-denied addition for EACCES and EPERM.
std::string writeErrorText(int error);
// Seconds as the status text shows them: a plain decimal number, at most six significant digits.
std::string elapsedSecondsText(double seconds);

}  // namespace vorda::editing
