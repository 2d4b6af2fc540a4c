// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli scan: lists the files of folders as the window's file list shows them.
#pragma once

#include "cli/CommandLine.h"

namespace vorda::cli {

extern const Command kScanCommand;

}  // namespace vorda::cli
