// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli: Vorda's command-line companion. Each command is one entry of the table below,
// implemented in its own Command*.cpp file.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/CliCommon.h"
#include "cli/CommandFix.h"
#include "cli/CommandInfo.h"
#include "cli/CommandJunk.h"
#include "cli/CommandRename.h"
#include "cli/CommandScan.h"
#include "cli/CommandSet.h"
#include "cli/CommandSort.h"
#include "cli/CommandTracks.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;
using namespace vorda::editing;

namespace {

using vorda::cli::Command;

const Command* const kCommands[] = {
    &vorda::cli::kScanCommand, &vorda::cli::kInfoCommand,   &vorda::cli::kSetCommand,    &vorda::cli::kJunkCommand,
    &vorda::cli::kFixCommand,  &vorda::cli::kTracksCommand, &vorda::cli::kRenameCommand, &vorda::cli::kSortCommand,
};

void printProgramUsage(FILE* out) {
    std::fputs("Usage: vorda-cli COMMAND [OPTIONS] [ARGUMENTS]\n\nCommands:\n", out);
    for (const Command* command : kCommands) std::fprintf(out, "  %-8s %s\n", command->name, command->summary);
    std::fputs("\nOptions:\n"
               "  -h, --help     show this help (\"vorda-cli COMMAND --help\" for a command)\n"
               "  --version      show the version\n",
               out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printProgramUsage(stderr);
        return vorda::cli::exitUsage;
    }
    const std::string name = argv[1];
    if (name == "-h" || name == "--help") {
        printProgramUsage(stdout);
        return vorda::cli::exitOk;
    }
    if (name == "--version") {
        std::printf("vorda-cli %s\n", VORDA_VERSION);
        return vorda::cli::exitOk;
    }
    for (const Command* command : kCommands) {
        if (name == command->name) return command->run(std::vector<std::string>(argv + 2, argv + argc));
    }
    vorda::cli::printError((name.starts_with("-") ? "unknown option " : "unknown command ") + name);
    printProgramUsage(stderr);
    return vorda::cli::exitUsage;
}
