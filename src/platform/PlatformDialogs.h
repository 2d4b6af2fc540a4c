// SPDX-License-Identifier: GPL-2.0-or-later

// Platform services that the commands reach through the main window: the folder picker and
// unique temporary file names.
#pragma once

#include <string>

class QWidget;

namespace vorda::platform {

// The folder picker, owned by owner, with the title "Please select the target directory:".
// Returns the chosen folder ending with "/", or "" when cancelled.
std::string browseForFolder(QWidget* owner, const std::string& startFolder = {});

// Creates a new, empty file with a unique name and returns its path ("" on failure).
// The prefix defaults to "~". The file goes into folder when it names an existing folder,
// else into the folder part of the given path; an empty folder means the system's
// temporary folder.
std::string tempFileName(const std::string& folder, const std::string& prefix);

}  // namespace vorda::platform
