// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandTracks.h"

#include <string>
#include <vector>

#include "app/Settings.h"
#include "cli/CliCommon.h"
#include "cli/CommandFix.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::editing;

namespace vorda::cli {

namespace {

ExitStatus runTracks(const std::vector<std::string>& argv) {
    std::optional<std::string> settingsFile;
    std::optional<std::string> start;
    std::vector<TagKind> adds;
    CommandLine line("tracks [--settings FILE] [--add KIND]... --start N FILE...",
                     "Gives the FILEs the track numbers N, N+1, ... in the order given and writes their\n"
                     "tags (padded as the settings say). N is a whole number from 1 to 254.\n",
                     "A file that fails prints \"vorda-cli: FILE: error N: TEXT\" on stderr; the exit status\n"
                     "is then 1. A file without a tag for the track (and none added with --add, nor one the\n"
                     "tag options always use) is left unchanged and named on stderr; the exit status is then 1.\n"
                     "\n"
                     "Example:\n"
                     "  vorda-cli tracks --add tkID3v2 --start 1 01.mp3 02.mp3 03.mp3\n");
    line.addSettings(settingsFile);
    line.addRepeated("--add", "KIND",
                     "add a tag of this kind first (tkAll, tkID3v1, tkID3v2, tkLyrics3;\nmay be repeated)",
                     [&adds](const std::string& value) { return takeTagKind(value, adds); });
    line.addValue("--start", "N", "the first track number", start);
    const ParsedArguments args = line.parse(argv);
    if (!args.mistake.empty()) return line.usageError(args.mistake);
    if (args.help) return line.printHelp();
    if (!start) return line.usageError("--start is required");
    if (args.operands.empty()) return line.usageError("no file given");
    const long first = BatchTagCommands::parseStartValue(*start);
    if (first <= 0 || first >= 255) return line.usageError(BatchTagCommands::kInvalidStart);
    if (!loadSettings(settingsFile)) return ExitStatus::Failed;

    FileList list;
    SilentUserInterface ui;
    ListCommands cmds(list, ui, settings());
    const bool listed = listGivenFiles(cmds, args.operands);
    BatchTagCommands batch(cmds, ui, settings());
    const BatchResult result = batch.numberTracks(first, std::vector<int>(adds.begin(), adds.end()));
    const bool written = printFailures(result);
    for (const std::string& path : result.unchanged) printNoTagFor(path, "the track number", true);
    return listed && written && result.unchanged.empty() ? ExitStatus::Ok : ExitStatus::Failed;
}

}  // namespace

const Command kTracksCommand{"tracks", "number the tracks of files in the order given", runTracks};

}  // namespace vorda::cli
