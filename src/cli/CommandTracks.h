// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli tracks: numbers the tracks of files in the order given.
#pragma once

#include "cli/CommandLine.h"

namespace vorda::cli {

extern const Command kTracksCommand;

}  // namespace vorda::cli
