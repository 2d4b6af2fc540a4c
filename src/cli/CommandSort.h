// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli sort: copies or moves files into a folder tree built from their tags.
#pragma once

#include <string>
#include <vector>

#include "app/ListCommands.h"
#include "app/UserInterface.h"
#include "cli/CommandLine.h"
#include "naming/SortCommands.h"

namespace vorda::cli {

extern const Command kSortCommand;

// The user interface of the non-interactive naming commands: it goes on where the window would
// ask (Yes to the confirmation and to creating the target folder, OK to continue after an
// error), declines to overwrite when asked, and writes every message to standard error.
class BatchNamingInterface : public app::UserInterface {
public:
    app::MessageAnswer ask(const std::string& text, app::MessageButtons buttons, app::MessageIcon icon,
                           const std::string& title) override;
    void setStatus(int panel, const std::string& text) override;
    void setProgress(long long, long long) override {}

    // Number of messages that reported a failure.
    [[nodiscard]] int problems() const { return problems_; }
    // The last "... files sorted." / "... files renamed." text.
    [[nodiscard]] const std::string& summary() const { return summary_; }

private:
    int problems_ = 0;
    std::string summary_;
};

// Lists each file (as given on the command line); false when one of them cannot be read
// (a message names it on standard error).
[[nodiscard]] bool listFiles(app::ListCommands& list, const std::vector<std::string>& files);
// Writes a plan as "source<TAB>destination" lines on standard output.
void printPlan(const std::vector<naming::PlannedMove>& plan);
// Writes the summary of a run ("N files sorted.") on stderr and returns its exit status: Failed
// when a file could not be listed or moved, or a message reported a problem.
[[nodiscard]] ExitStatus reportRun(bool listed, const naming::SortCommands& commands, const BatchNamingInterface& ui);

}  // namespace vorda::cli
