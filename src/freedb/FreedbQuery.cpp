// SPDX-License-Identifier: GPL-2.0-or-later

#include "freedb/FreedbQuery.h"

namespace vorda::freedb {

FreedbQuery FreedbQuery::fromLine(std::string_view line) {
    constexpr auto kNone = std::string_view::npos;
    FreedbQuery query;
    const size_t firstBlank = line.find(' ');
    if (firstBlank == kNone) return query;
    query.genre_ = line.substr(0, firstBlank + 1);

    const size_t secondBlank = line.find(' ', firstBlank + 1);
    if (secondBlank != kNone) {
        query.discId_ = line.substr(firstBlank + 1, secondBlank - firstBlank - 1);
        if (const size_t slash = line.find('/', secondBlank + 1); slash != kNone)
            query.artist_ = line.substr(secondBlank + 1, slash - secondBlank - 1);
    }
    // The album follows the first slash from the tenth character on.
    if (line.size() > 9)
        if (const size_t slash = line.find('/', 9); slash != kNone) query.album_ = line.substr(slash + 1);
    return query;
}

std::string FreedbQuery::chooserLine() const { return artist_ + " - " + album_ + " [" + genre_ + ", " + discId_ + "]"; }

}  // namespace vorda::freedb
