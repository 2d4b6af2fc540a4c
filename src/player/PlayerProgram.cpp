// SPDX-License-Identifier: GPL-2.0-or-later

#include "player/PlayerProgram.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "base/Text.h"

namespace vorda::player {

namespace {

bool isKnownPlayer(std::string_view name) {
    return std::find(kKnownPlayers.begin(), kKnownPlayers.end(), name) != kKnownPlayers.end();
}

std::optional<PlayerProgram> programAt(std::string path) {
    if (!isExecutableFile(path)) return std::nullopt;
    PlayerProgram program;
    program.name = playerNameOf(path);
    program.path = std::move(path);
    return program;
}

}  // namespace

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    return S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string findOnSearchPath(std::string_view name, std::string_view searchPath) {
    if (name.empty() || name.find('/') != std::string_view::npos) return {};
    while (!searchPath.empty()) {
        const size_t colon = searchPath.find(':');
        const std::string_view folder = searchPath.substr(0, colon);
        searchPath = colon == std::string_view::npos ? std::string_view() : searchPath.substr(colon + 1);
        if (folder.empty() || folder.front() != '/') continue;
        const std::string candidate = base::addBackslash(folder) + std::string(name);
        if (isExecutableFile(candidate)) return candidate;
    }
    return {};
}

std::optional<PlayerProgram> findPlayerProgram(const std::string& configuredPath, std::string_view searchPath) {
    if (!configuredPath.empty()) {
        const bool bareName = configuredPath.find('/') == std::string::npos;
        if (auto program = programAt(bareName ? findOnSearchPath(configuredPath, searchPath) : configuredPath))
            return program;
    }
    for (const std::string_view name : kKnownPlayers) {
        if (auto program = programAt(findOnSearchPath(name, searchPath))) return program;
    }
    return std::nullopt;
}

std::string playerNameOf(const std::string& programPath) {
    std::string name = base::getFileName(programPath);
    if (isKnownPlayer(name)) return name;
    const std::unique_ptr<char, decltype(&std::free)> target(::realpath(programPath.c_str(), nullptr), &std::free);
    if (target) {
        std::string targetName = base::getFileName(target.get());
        if (isKnownPlayer(targetName)) return targetName;
    }
    return name;
}

std::string busNameOf(std::string_view playerName) {
    // Each dot-separated element of a bus name holds letters, digits, "_" and "-" only, and does not
    // start with a digit.
    std::string busName(kBusNamePrefix);
    bool elementStart = true;
    for (const char c : playerName) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '-';
        const bool digit = c >= '0' && c <= '9';
        if (c == '.' && !elementStart) {
            busName += c;
            elementStart = true;
            continue;
        }
        if (elementStart && digit) busName += '_';
        busName += letter || digit ? c : '_';
        elementStart = false;
    }
    if (elementStart) busName += '_';
    return busName;
}

std::optional<CommandLine> enqueueCommandLine(const PlayerProgram& program, const std::string& fileUri,
                                              std::string_view searchPath) {
    const std::string& name = program.name;
    if (name == "audacious") return CommandLine{program.path, {"-e", fileUri}};
    if (name == "vlc") return CommandLine{program.path, {"--one-instance", "--playlist-enqueue", fileUri}};
    if (name == "strawberry" || name == "clementine") return CommandLine{program.path, {"-a", fileUri}};
    if (name == "rhythmbox") {
        std::string client = base::getFolder(program.path) + "rhythmbox-client";
        if (!isExecutableFile(client)) client = findOnSearchPath("rhythmbox-client", searchPath);
        if (client.empty()) return std::nullopt;
        return CommandLine{client, {"--enqueue", fileUri}};
    }
    return std::nullopt;
}

}  // namespace vorda::player
