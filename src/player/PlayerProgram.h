// SPDX-License-Identifier: GPL-2.0-or-later

// The media player program the remote drives: which program it is, the bus name its remote
// interface appears under, and the command line that adds a file to its play list.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorda::player {

// The players looked for on PATH when no program is configured, in this order.
inline constexpr std::array<std::string_view, 5> kKnownPlayers = {"audacious", "vlc", "strawberry", "clementine",
                                                                  "rhythmbox"};

// Where every remote player's bus name starts.
inline constexpr std::string_view kBusNamePrefix = "org.mpris.MediaPlayer2.";

struct PlayerProgram {
    std::string path;  // the program file, as found
    std::string name;  // what it calls itself on the bus ("vlc" for /usr/bin/vlc)
};

// A program to run with its arguments (argument 0 not included).
struct CommandLine {
    std::string program;
    std::vector<std::string> arguments;
};

// True when path names a regular file (after links) that this process may execute.
[[nodiscard]] bool isExecutableFile(const std::string& path);

// The first directory of searchPath (a PATH value) holding an executable file called name; "" when
// none does. Empty and relative entries are skipped: a player is never taken from whatever the
// current folder happens to be.
[[nodiscard]] std::string findOnSearchPath(std::string_view name, std::string_view searchPath);

// The player program: configuredPath when it names an executable program (a bare name is looked up
// on searchPath), else the first of kKnownPlayers on searchPath. Nothing when there is none.
[[nodiscard]] std::optional<PlayerProgram> findPlayerProgram(const std::string& configuredPath,
                                                             std::string_view searchPath);

// The program's name as the bus sees it: the file name of programPath, or of the file a link
// points to when only that one is a known player ("/usr/local/bin/player" -> "vlc").
[[nodiscard]] std::string playerNameOf(const std::string& programPath);

// org.mpris.MediaPlayer2.<name>, with every character a bus name may not hold replaced by "_".
[[nodiscard]] std::string busNameOf(std::string_view playerName);

// The command line that adds the file at fileUri to the end of the running player's list, for the
// known players; nothing for any other program. rhythmbox is driven through rhythmbox-client, found
// beside the program or on searchPath.
[[nodiscard]] std::optional<CommandLine> enqueueCommandLine(const PlayerProgram& program, const std::string& fileUri,
                                                            std::string_view searchPath);

}  // namespace vorda::player
