// SPDX-License-Identifier: GPL-2.0-or-later

// One match of an inexact "cddb query" answer: "genre discid artist / album".
#pragma once

#include <string>
#include <string_view>

namespace vorda::freedb {

class FreedbQuery {
public:
    FreedbQuery() = default;

    // The fields keep the blanks around them as the line has them: the genre ends with the blank
    // after it, the artist normally ends and the album starts with a blank. A field whose
    // delimiters are missing stays empty.
    [[nodiscard]] static FreedbQuery fromLine(std::string_view line);

    [[nodiscard]] const std::string& genre() const { return genre_; }
    [[nodiscard]] const std::string& discId() const { return discId_; }
    [[nodiscard]] const std::string& artist() const { return artist_; }
    [[nodiscard]] const std::string& album() const { return album_; }

    // The line a chooser shows: artist - album [genre, discid], the fields as parsed.
    [[nodiscard]] std::string chooserLine() const;

    friend bool operator==(const FreedbQuery&, const FreedbQuery&) = default;

private:
    std::string genre_;
    std::string discId_;
    std::string artist_;
    std::string album_;
};

}  // namespace vorda::freedb
