// SPDX-License-Identifier: GPL-2.0-or-later

// The ID3v1 genre table shared by the ID3v1 and ID3v2 classes: 148 names numbered 0 to 147
// (the genre byte of an ID3v1 tag).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorda::tags {

class GenreTable {
public:
    // Number of named genres (0 .. kCount - 1).
    static constexpr int kCount = 148;
    // The number that stands for "no genre".
    static constexpr int kNoGenre = 255;
    // Width of one entry of the table (names are padded with spaces to it).
    static constexpr size_t kEntryWidth = 22;

    // The name of a genre number; empty for any number without a name.
    std::string genre(int number) const;
    // The number of the genre with this name, ignoring letter case; 255 when the name is
    // empty, longer than 22 characters or not in the table. Trailing spaces are allowed (the
    // table pads its names with them); a name that is only the beginning of a table name, or
    // that starts with a blank, is not found.
    int genreId(std::string_view name) const;
    // True when genreId finds the name.
    bool hasGenre(std::string_view name) const;
};

}  // namespace vorda::tags
