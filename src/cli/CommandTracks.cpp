// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandTracks.h"

#include <string>
#include <vector>

#include "app/Settings.h"
#include "cli/CommandFix.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::editing;

namespace vorda::cli {

namespace {

int runTracks(const std::vector<std::string>& argv) {
    std::vector<std::string> rest = argv;
    std::vector<int> adds;
    std::string kindError;
    if (!takeTagKinds(rest, "--add", adds, kindError)) return usageError(kTracksCommand, kindError);
    const ParsedArgs args = parseArgs(rest, {}, {"--settings", "--start"});
    if (!args.error.empty()) return usageError(kTracksCommand, args.error);
    if (args.help) return printUsage(kTracksCommand);
    if (!args.values.count("--start")) return usageError(kTracksCommand, "--start is required");
    if (args.operands.empty()) return usageError(kTracksCommand, "no file given");
    const long start = BatchTagCommands::parseStartValue(args.values.at("--start"));
    if (start <= 0 || start >= 255) return usageError(kTracksCommand, BatchTagCommands::kInvalidStart);
    if (const int status = loadSettings(args); status != exitOk) return status;

    int status = exitOk;
    FileList list;
    SilentUserInterface ui;
    ListCommands cmds(list, ui, settings());
    listGivenFiles(cmds, args.operands, &status);
    BatchTagCommands batch(cmds, ui, settings());
    const BatchResult result = batch.numberTracks(start, adds);
    printFailures(result, &status);
    for (const std::string& path : result.unchanged) {
        printNoTagFor(path, "the track number", true);
        status = exitFailed;
    }
    return status;
}

}  // namespace

const Command kTracksCommand{"tracks", "number the tracks of files in the order given",
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
                             runTracks};

}  // namespace vorda::cli
