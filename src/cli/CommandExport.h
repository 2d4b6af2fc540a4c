// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli export: exports files with a built-in or a given template, as the export dialog does.
#pragma once

#include "cli/CommandLine.h"

namespace vorda::cli {

extern const Command kExportCommand;

}  // namespace vorda::cli
