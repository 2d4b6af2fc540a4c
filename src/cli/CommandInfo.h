// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli info: everything the file object reads from files, one JSON object per file.
#pragma once

#include "cli/CommandLine.h"

namespace vorda::cli {

extern const Command kInfoCommand;

}  // namespace vorda::cli
