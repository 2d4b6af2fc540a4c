// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli set: changes tag values, adds and removes tags of MPEG files.
#pragma once

#include "cli/CommandLine.h"

namespace vorda::cli {

extern const Command kSetCommand;

}  // namespace vorda::cli
