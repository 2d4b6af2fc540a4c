// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli junk: removes junk in front of the ID3v2 tag and the audio of MPEG files.
#pragma once

#include "cli/CommandLine.h"

namespace vorda::cli {

extern const Command kJunkCommand;

}  // namespace vorda::cli
