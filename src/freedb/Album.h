// SPDX-License-Identifier: GPL-2.0-or-later

// An album described by the playing times of its tracks, as a CDDB server knows it: the tracks
// follow each other without gaps from second 0, the disc id and the "cddb query" command.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorda::freedb {

class Album {
public:
    static constexpr int kMaxTracks = 99;

    void reset();
    // Appends a track of the given length (negative lengths count as 0); false, and nothing is
    // added, once the album holds kMaxTracks tracks.
    [[nodiscard]] bool addTrack(std::int64_t seconds);

    [[nodiscard]] int trackCount() const { return static_cast<int>(lengths_.size()); }
    [[nodiscard]] std::int64_t totalSeconds() const { return total_; }
    // Start and length of track 1 ... trackCount() in seconds.
    [[nodiscard]] std::int64_t trackStart(int track) const;
    [[nodiscard]] std::int64_t trackLength(int track) const;

    [[nodiscard]] std::uint32_t discId() const;
    // "cddb query <id> <count> <start frames>... <total seconds>", in lower case.
    [[nodiscard]] std::string queryCommand() const;

private:
    std::vector<std::int64_t> lengths_;
    std::int64_t total_ = 0;
};

// The seconds of a duration written as minutes, a colon and two digits of seconds ("03:25" is
// 205, "100:05" is 6005); nothing for any other text.
[[nodiscard]] std::optional<std::int64_t> durationSeconds(std::string_view text);

}  // namespace vorda::freedb
