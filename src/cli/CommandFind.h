// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli find and vorda-cli replace: the find dialog's "Select matching files" and "Replace
// All" on the files given.
#pragma once

#include "cli/CommandLine.h"

namespace vorda::cli {

extern const Command kFindCommand;
extern const Command kReplaceCommand;

}  // namespace vorda::cli
