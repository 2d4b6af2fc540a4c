// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli: Vorda's command-line companion. The first argument names the command; each command
// is one entry of the table below, implemented in its own Command*.cpp file, and reads the
// arguments after its name with a CommandLine.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommon.h"
#include "cli/CommandExport.h"
#include "cli/CommandFind.h"
#include "cli/CommandFix.h"
#include "cli/CommandFreedb.h"
#include "cli/CommandInfo.h"
#include "cli/CommandJunk.h"
#include "cli/CommandLine.h"
#ifdef VORDA_PLAYER_REMOTE
#include "cli/CommandPlayer.h"
#endif
#include "cli/CommandRename.h"
#include "cli/CommandScan.h"
#include "cli/CommandSet.h"
#include "cli/CommandSort.h"
#include "cli/CommandTracks.h"

using namespace vorda::cli;

namespace {

const std::vector<const Command*> kCommands{
    &kScanCommand,   &kInfoCommand, &kSetCommand,    &kJunkCommand, &kFixCommand,     &kTracksCommand,
    &kRenameCommand, &kSortCommand, &kExportCommand, &kFindCommand, &kReplaceCommand, &kFreedbCommand,
#ifdef VORDA_PLAYER_REMOTE
    &kPlayerCommand,
#endif
};

ExitStatus run(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::fputs(CommandLine::programHelp(kCommands).c_str(), stderr);
        return ExitStatus::Usage;
    }
    const std::string& name = args.front();
    if (name == "-h" || name == "--help") {
        std::fputs(CommandLine::programHelp(kCommands).c_str(), stdout);
        return ExitStatus::Ok;
    }
    if (name == "--version") {
        std::printf("vorda-cli %s\n", VORDA_VERSION);
        return ExitStatus::Ok;
    }
    for (const Command* command : kCommands) {
        if (name == command->name) return command->run(std::vector<std::string>(args.begin() + 1, args.end()));
    }
    printError((name.starts_with("-") ? "unknown option " : "unknown command ") + name);
    std::fputs(CommandLine::programHelp(kCommands).c_str(), stderr);
    return ExitStatus::Usage;
}

}  // namespace

int main(int argc, char** argv) { return static_cast<int>(run(std::vector<std::string>(argv + 1, argv + argc))); }
