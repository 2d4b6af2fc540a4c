// SPDX-License-Identifier: GPL-2.0-or-later

// What the find engine needs of the files it searches: rows, the tags of one row's file at a
// time, and writing them back. The window gives it the main list; the tests give it a script.
#pragma once

#include <string>
#include <system_error>

#include "find/SearchFields.h"
#include "tags/TagHandler.h"

namespace vorda::find {

class SearchSource {
public:
    virtual ~SearchSource() = default;

    // Rows are numbered from 0.
    virtual int rowCount() const = 0;
    virtual bool isSelected(int row) const = 0;
    // The name a message gives the row's file (its path).
    virtual std::string rowName(int row) const = 0;

    // Reads the row's file with its tags; the calls below then concern that file. False when
    // it cannot be read: it then has no values.
    [[nodiscard]] virtual bool open(int row) = 0;
    virtual bool hasTag(SearchTag tag) const = 0;
    virtual std::string value(tags::ValueKey key) const = 0;
    // False when the file's tags do not take the value.
    [[nodiscard]] virtual bool setValue(tags::ValueKey key, const std::string& value) = 0;
    // Writes the file's tags.
    [[nodiscard]] virtual std::error_code save() = 0;
};

}  // namespace vorda::find
