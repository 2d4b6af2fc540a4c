// SPDX-License-Identifier: GPL-2.0-or-later

// One planned file of a sort run.
#pragma once

#include <string>

namespace vorda::naming {

struct SortInfo {
    std::string sFile;         // full path of the source file, unchanged
    std::string sGeneralPath;  // full general destination (folder and name), blanks trimmed
    std::string sAlbumPath;    // full album destination, blanks trimmed; empty without album pattern
    std::string sAlbum;        // the album tag value, blanks trimmed: the grouping key
};

}  // namespace vorda::naming
