#include "cli/CommandTracks.h"

#include <string>
#include <vector>

#include "app/Settings.h"
#include "cli/CommandFix.h"

namespace vorda::cli {

namespace {

int RunTracks(const std::vector<std::string>& argv) {
    std::vector<std::string> rest = argv;
    std::vector<int> adds;
    std::string kindError;
    if (!TakeTagKinds(rest, "--add", adds, kindError)) return UsageError(kTracksCommand, kindError);
    const ParsedArgs args = ParseArgs(rest, {}, {"--settings", "--start"});
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
    const BatchResult result = batch.NumberTracks(start, adds);
    PrintFailures(result, &status);
    for (const std::string& path : result.unchanged) {
        PrintNoTagFor(path, "the track number", true);
        status = exitFailed;
    }
    return status;
}

}  // namespace

const Command kTracksCommand{
    "tracks", "number the tracks of files in the order given",
    "Usage: vorda-cli tracks [--settings FILE] [--add KIND]... --start N FILE...\n"
    "\n"
    "Gives the FILEs the track numbers N, N+1, ... in the order given and writes their\n"
    "tags (padded as the settings say). N is a whole number from 1 to 254. A file that\n"
    "fails prints \"vorda-cli: FILE: error N: TEXT\" on stderr; the exit status is then 1.\n"
    "A file without a tag for the track (and none added with --add, nor one the tag\n"
    "options always use) is left unchanged and named on stderr; the exit status is then 1.\n"
    "\n"
    "Options:\n"
    "  --settings FILE  read the settings from FILE\n"
    "  --add KIND       add a tag of this kind first (tkAll, tkID3v1, tkID3v2, tkLyrics3;\n"
    "                   may be repeated)\n"
    "  --start N        the first track number\n"
    "  -h, --help       show this help\n",
    RunTracks};

}  // namespace vorda::cli
