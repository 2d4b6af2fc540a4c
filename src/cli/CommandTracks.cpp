#include "cli/CommandTracks.h"

#include <string>
#include <vector>

#include "app/Settings.h"
#include "cli/CommandFix.h"

namespace vorda::cli {

namespace {

int RunTracks(const std::vector<std::string>& argv) {
    const ParsedArgs args = ParseArgs(argv, {}, {"--settings", "--start"});
    if (!args.error.empty()) return UsageError(kTracksCommand, args.error);
    if (args.help) return PrintUsage(kTracksCommand);
    if (!args.values.count("--start")) return UsageError(kTracksCommand, "--start is required");
    if (args.operands.empty()) return UsageError(kTracksCommand, "no file given");
    const long start = BatchTagCommands::ParseStartValue(args.values.at("--start"));
    if (start <= 0 || start >= 255) return UsageError(kTracksCommand, BatchTagCommands::kInvalidStart);
    if (const int status = LoadSettings(args); status != exitOk) return status;

    int status = exitOk;
    FileList list;
    SilentUserInterface ui;
    ListCommands cmds(list, ui, settings());
    ListGivenFiles(cmds, args.operands, &status);
    BatchTagCommands batch(cmds, ui, settings());
    PrintFailures(batch.NumberTracks(start), &status);
    return status;
}

}  // namespace

const Command kTracksCommand{
    "tracks", "number the tracks of files in the order given",
    "Usage: vorda-cli tracks [--settings FILE] --start N FILE...\n"
    "\n"
    "Gives the FILEs the track numbers N, N+1, ... in the order given and writes their\n"
    "tags (padded as the settings say). N is a whole number from 1 to 254. A file that\n"
    "fails prints \"vorda-cli: FILE: error N: TEXT\" on stderr; the exit status is then 1.\n"
    "\n"
    "Options:\n"
    "  --settings FILE  read the settings from FILE\n"
    "  --start N        the first track number\n"
    "  -h, --help       show this help\n",
    RunTracks};

}  // namespace vorda::cli
