// SPDX-License-Identifier: GPL-2.0-or-later

// How a request to the media player ended, and what the user is told when there is no player.
#pragma once

#include <string_view>

namespace vorda::player {

enum class RemoteOutcome : int {
    Done = 0,      // the player took the request
    NotFound = 1,  // no player program, or the player did not come up on the bus in time
    Failed = 2,    // the player is there but refused the request, did not answer in time, or
                   // offers no way to do it
};

inline constexpr std::string_view kNotFoundMessage = "Media player could not be found!";
inline constexpr std::string_view kNotFoundTitle = "Player Not Found";

}  // namespace vorda::player
