// SPDX-License-Identifier: GPL-2.0-or-later

#include "freedb/Album.h"

#include <cstdio>

namespace vorda::freedb {

namespace {

std::uint32_t digitSum(std::int64_t value) {
    std::uint32_t sum = 0;
    for (; value > 0; value /= 10) sum += static_cast<std::uint32_t>(value % 10);
    return sum;
}

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

void Album::reset() {
    lengths_.clear();
    total_ = 0;
}

bool Album::addTrack(std::int64_t seconds) {
    if (trackCount() >= kMaxTracks) return false;
    if (seconds < 0) seconds = 0;
    lengths_.push_back(seconds);
    total_ += seconds;
    return true;
}

std::int64_t Album::trackStart(int track) const {
    std::int64_t start = 0;
    for (int i = 1; i < track && i <= trackCount(); ++i) start += lengths_[static_cast<size_t>(i - 1)];
    return start;
}

std::int64_t Album::trackLength(int track) const {
    if (track < 1 || track > trackCount()) return 0;
    return lengths_[static_cast<size_t>(track - 1)];
}

std::uint32_t Album::discId() const {
    std::uint32_t n = 0;
    std::int64_t start = 0;
    for (const std::int64_t length : lengths_) {
        n += digitSum(start);
        start += length;
    }
    const auto t = static_cast<std::uint32_t>(total_);
    return ((n % 255) << 24) | (t << 8) | static_cast<std::uint32_t>(trackCount());
}

std::string Album::queryCommand() const {
    char id[16];
    std::snprintf(id, sizeof id, "%x", discId());
    std::string command = "cddb query " + std::string(id) + ' ' + std::to_string(trackCount());
    std::int64_t start = 0;
    for (const std::int64_t length : lengths_) {
        command += ' ' + std::to_string(start * 75);
        start += length;
    }
    command += ' ' + std::to_string(total_);
    return command;
}

std::optional<std::int64_t> durationSeconds(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view minutes = text.substr(0, colon);
    const std::string_view seconds = text.substr(colon + 1);
    // Nine digits of minutes are far beyond any recording and keep the sum in range.
    if (!allDigits(minutes) || minutes.size() > 9 || !allDigits(seconds) || seconds.size() != 2) return std::nullopt;
    return std::stoll(std::string(minutes)) * 60 + std::stoll(std::string(seconds));
}

}  // namespace vorda::freedb
