// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli freedb: looks the given files up as one album on a freedb server, prints what the
// server found and, when asked, writes it into the files (and renames them) as the review dialog
// does.
#pragma once

#include "cli/CommandLine.h"

namespace vorda::cli {

extern const Command kFreedbCommand;

}  // namespace vorda::cli
