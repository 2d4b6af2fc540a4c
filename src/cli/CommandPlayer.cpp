// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandPlayer.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "base/Text.h"
#include "cli/CliCommon.h"
#include "player/RemoteOutcome.h"
#include "player/qt/StandaloneRemote.h"

using namespace vorda::base;
using namespace vorda::app;
using namespace vorda::player;

namespace vorda::cli {

namespace {

bool isFile(const std::string& path) { return pathExists(path) && !isDirectory(path); }

// What the user is told when a request did not end Done; the exit status of the request.
ExitStatus report(RemoteOutcome outcome, const StandaloneRemote& session, const std::string& what) {
    switch (outcome) {
    case RemoteOutcome::Done: return ExitStatus::Ok;
    case RemoteOutcome::NotFound:
        std::fprintf(stderr, "%s\n", std::string(kNotFoundMessage).c_str());
        printError(session.lastError());
        return ExitStatus::Failed;
    case RemoteOutcome::Failed: break;
    }
    printError("cannot " + what + ": " + session.lastError());
    return ExitStatus::Failed;
}

// Sends the files to the player in their order; the missing ones are named and left out.
ExitStatus enqueue(StandaloneRemote& session, const std::vector<std::string>& files, EnqueueMode mode) {
    ExitStatus status = ExitStatus::Ok;
    std::vector<std::string> paths;
    std::vector<std::string> shown;
    for (const std::string& file : files) {
        const std::string path = absolutePath(file);
        if (!isFile(path)) {
            printError("no such file: " + toDisplayUtf8(file) + "; it is not sent to the player");
            status = ExitStatus::Failed;
            continue;
        }
        paths.push_back(path);
        shown.push_back(toDisplayUtf8(file));
    }
    if (paths.empty()) return status;

    const std::vector<RemoteOutcome> outcomes = session.remote().enqueueFiles(paths, mode);
    bool failed = false;
    for (size_t i = 0; i < outcomes.size(); ++i) {
        if (outcomes[i] == RemoteOutcome::NotFound) {
            // Once per file, as the window shows it.
            std::fprintf(stderr, "%s\n", std::string(kNotFoundMessage).c_str());
        } else if (outcomes[i] == RemoteOutcome::Failed) {
            printError("cannot add " + shown[i] + " to the player's list");
            failed = true;
        }
        if (outcomes[i] != RemoteOutcome::Done) status = ExitStatus::Failed;
    }
    // The reason of the last failure (the ones before it were mostly the same).
    if (status == ExitStatus::Failed && (failed || outcomes.back() != RemoteOutcome::Done))
        printError(session.lastError());
    return status;
}

ExitStatus runPlayer(const std::vector<std::string>& argv) {
    std::optional<std::string> settingsFile;
    CommandLine line("player [--settings FILE] (play | pause | stop | next | previous | shuffle [on|off] |\n"
                     "       enqueue FILE... | enqueue-play FILE... | open FILE)",
                     "Drives the media player through its remote interface (MPRIS on the session bus), starting it\n"
                     "when it does not run and waiting at most 10 seconds for it. The player is the program of\n"
                     "[Player] PlayerPath in the settings, else the first of audacious, vlc, strawberry, clementine\n"
                     "and rhythmbox found on PATH.\n"
                     "  play, stop, next, previous  the player's transport commands\n"
                     "  pause                       pauses, or goes on after a pause\n"
                     "  shuffle                     prints the shuffle state (on or off); with on or off, sets it\n"
                     "  enqueue FILE...             adds the files, in the order given, to the end of the play list\n"
                     "  enqueue-play FILE...        the same, and plays the first of them (shuffle stays as it was)\n"
                     "  open FILE                   has the player open and play the file\n",
                     "Without a player, \"Media player could not be found!\" goes to stderr (once per file for the\n"
                     "enqueue commands). The exit status is 1 then, when the player refuses a request or does not\n"
                     "answer within a few seconds, and when a FILE does not exist (it is not sent).\n");
    line.addSettings(settingsFile);
    const ParsedArguments args = line.parse(argv);
    if (!args.mistake.empty()) return line.usageError(args.mistake);
    if (args.help) return line.printHelp();
    if (args.operands.empty()) return line.usageError("no player command given");
    const std::string& command = args.operands.front();
    const std::vector<std::string> rest(args.operands.begin() + 1, args.operands.end());

    const bool takesFiles = command == "enqueue" || command == "enqueue-play";
    const bool transport =
        command == "play" || command == "pause" || command == "stop" || command == "next" || command == "previous";
    if (!takesFiles && !transport && command != "shuffle" && command != "open")
        return line.usageError("unknown player command " + command);
    if (transport && !rest.empty()) return line.usageError(command + " takes no argument");
    if (takesFiles && rest.empty()) return line.usageError("no file given");
    if (command == "open" && rest.size() != 1) return line.usageError("open takes one file");
    if (command == "shuffle" && (rest.size() > 1 || (rest.size() == 1 && rest[0] != "on" && rest[0] != "off")))
        return line.usageError("shuffle takes on or off");
    if (!loadSettings(settingsFile)) return ExitStatus::Failed;

    RemoteOptions options;
    options.configuredPath = settings().playerPath;
    StandaloneRemote session(options);
    MprisRemote& remote = session.remote();

    if (command == "play") return report(remote.play(), session, "play");
    if (command == "pause") return report(remote.playPause(), session, "pause");
    if (command == "stop") return report(remote.stop(), session, "stop");
    if (command == "next") return report(remote.next(), session, "go to the next track");
    if (command == "previous") return report(remote.previous(), session, "go to the previous track");
    if (command == "shuffle") {
        if (!rest.empty()) return report(remote.setShuffle(rest[0] == "on"), session, "set shuffle");
        const ShuffleState state = remote.shuffle();
        if (state.outcome == RemoteOutcome::Done) std::printf("%s\n", state.on ? "on" : "off");
        return report(state.outcome, session, "read the shuffle state");
    }
    if (command == "open") {
        const std::string path = absolutePath(rest[0]);
        if (!isFile(path)) {
            printError("no such file: " + toDisplayUtf8(rest[0]));
            return ExitStatus::Failed;
        }
        return report(remote.openFile(path), session, "open " + toDisplayUtf8(rest[0]));
    }
    return enqueue(session, rest, command == "enqueue" ? EnqueueMode::AppendAll : EnqueueMode::PlayFirst);
}

}  // namespace

const Command kPlayerCommand{"player", "drive the media player: play, pause, stop, enqueue or open files", runPlayer};

}  // namespace vorda::cli
