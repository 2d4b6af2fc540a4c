// SPDX-License-Identifier: GPL-2.0-or-later

// Desktop services that the core reaches through hooks or that only the windows need:
// the freedesktop.org trash, where the settings file and the program's data live,
// and the desktop's file-type icons.
#pragma once

#include <string>
#include <unordered_map>

#include <QIcon>

namespace vorda::platform {

// Installs the trash as the handler of shellFileOperation's deletions with undo.
void installTrashHandler();

// Moves one file or folder to the user's trash. Returns 0 or an errno value
// (ENOENT when the path is missing, EACCES when its folder is not writable, EIO otherwise).
int moveToTrash(const std::string& path);

// The folder of the running program, without a final "/". Needs a QCoreApplication.
std::string executableFolder();

// The program data folder (templates/, help/), ending with "/": the executable's folder when
// it holds templates/ or help/, else <prefix>/share/vorda/ relative to the executable's bin folder.
std::string programDataFolder();

// Small file-type icons, fetched once per lower-case extension (the whole name when
// it has no dot).
class FileIconCache {
public:
    QIcon iconFor(const std::string& fileName);
    int cachedCount() const { return static_cast<int>(icons_.size()); }

private:
    std::unordered_map<std::string, QIcon> icons_;
};

}  // namespace vorda::platform
