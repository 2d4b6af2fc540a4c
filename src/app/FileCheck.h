// SPDX-License-Identifier: GPL-2.0-or-later

// The file-existence test of the commands, which reports unexpected errors to the user.
#pragma once

#include <string>

#include "app/UserInterface.h"

namespace vorda::app {

// True when the file's date can be read. A missing file or path (ENOENT, ENOTDIR) and an
// unavailable device (ENXIO, ENODEV) give false silently; any other error is shown through
// ui as "Error Number: " & number & " " & description with the title "Error" and gives false.
bool fileExists(const std::string& path, UserInterface& ui);

}  // namespace vorda::app
