// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli rename: renames files in place from their tags and names with an output pattern.
#pragma once

#include "cli/CommandLine.h"

namespace vorda::cli {

extern const Command kRenameCommand;

}  // namespace vorda::cli
