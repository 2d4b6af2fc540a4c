// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli player: drives the media player as the file list's "Media player" menu does.
#pragma once

#include "cli/CommandLine.h"

namespace vorda::cli {

extern const Command kPlayerCommand;

}  // namespace vorda::cli
