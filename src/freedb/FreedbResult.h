// SPDX-License-Identifier: GPL-2.0-or-later

// The values of one database entry ("cddb read" answer): ARTIST, ALBUM, YEAR, GENRE,
// TTITLEk and TARTISTk for the counted tracks k = 1, 2, ..., and the entry's other names.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vorda::freedb {

struct DbValue {
    std::string id;
    std::string value;
    friend bool operator==(const DbValue&, const DbValue&) = default;
};

class FreedbResult {
public:
    void reset();

    // Stores a value unless its name (compared without regard to case) already has one.
    [[nodiscard]] bool addValue(std::string_view name, std::string_view value);

    // Takes one "NAME=value" line of the entry. A name met again continues the value of its
    // first line (long values are written over several lines); comment lines ("#...") and lines
    // without "=" are ignored.
    void parseAndAdd(std::string_view line);

    // The values in the order the entry gives them; the first value of a name wins.
    [[nodiscard]] const std::vector<DbValue>& values() const;
    [[nodiscard]] std::optional<std::string> value(std::string_view name) const;

private:
    struct Item {
        bool fromEntry = false;  // an entry line (derived into values) or a value added as it is
        std::string name;
        std::string value;
    };

    void rebuild() const;

    std::vector<Item> items_;
    std::unordered_map<std::string, size_t> entryIndex_;  // upper-case name -> entry item

    mutable bool stale_ = false;
    mutable std::vector<DbValue> values_;
    mutable std::unordered_map<std::string, size_t> valueIndex_;  // upper-case name -> value
};

}  // namespace vorda::freedb
