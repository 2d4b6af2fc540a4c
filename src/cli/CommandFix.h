// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli fix: completes and cleans the tags of MPEG files from their names, as the window's
// "Fix tags" does for several selected files.
#pragma once

#include <string>
#include <vector>

#include "app/FileList.h"
#include "app/ListCommands.h"
#include "cli/CommandLine.h"
#include "editing/BatchTagCommands.h"

namespace vorda::cli {

extern const Command kFixCommand;

// Lists the given files as selected rows, in the order given (several rows: bMultiChange).
// Files that cannot be listed print "vorda-cli: FILE: error N: TEXT"; false when there was one.
[[nodiscard]] bool listGivenFiles(app::ListCommands& cmds, const std::vector<std::string>& given);
// Prints every failure of a batch result; false when there was one.
[[nodiscard]] bool printFailures(const editing::BatchResult& result);

}  // namespace vorda::cli
