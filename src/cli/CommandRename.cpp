// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandRename.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/FileList.h"
#include "app/Settings.h"
#include "base/FileOps.h"
#include "cli/CommandSort.h"
#include "naming/PatternEngine.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;

namespace vorda::cli {

namespace {

int runRename(const std::vector<std::string>& argv) {
    const ParsedArgs args = parseArgs(argv, {"--detect", "--dry-run"}, {"--settings", "--in", "--out"});
    if (args.help) return printUsage(kRenameCommand);
    if (!args.error.empty()) return usageError(kRenameCommand, args.error);
    if (!args.values.contains("--out") || args.values.at("--out").empty())
        return usageError(kRenameCommand, "--out is required");
    if (args.values.contains("--in") && args.flags.contains("--detect"))
        return usageError(kRenameCommand, "give --in or --detect, not both");
    if (args.operands.empty()) return usageError(kRenameCommand, "no files given");
    if (const int loaded = loadSettings(args); loaded != exitOk) return loaded;

    Settings& s = settings();
    SortInputs in = SortInputs::fromSettings(s);
    in.method = foRename;
    in.fixFilenames = true;
    in.outPattern = args.values.at("--out");
    if (const std::string message = checkPatternOnFocusLoss(PatternKind::Output, in.outPattern); !message.empty())
        return usageError(kRenameCommand, "--out: " + message);
    if (const auto it = args.values.find("--in"); it != args.values.end()) {
        in.inPattern = it->second;
        in.detectInPattern = false;
        if (const std::string message = checkPatternOnFocusLoss(PatternKind::Input, in.inPattern); !message.empty())
            return usageError(kRenameCommand, "--in: " + message);
    } else if (args.flags.contains("--detect")) {
        in.detectInPattern = true;
    }

    FileList rows;
    BatchNamingInterface ui;
    ListCommands list(rows, ui, s);
    SortCommands commands(list, ui, s);
    const bool listed = listFiles(list, args.operands);
    if (rows.count() == 0) return exitFailed;

    if (args.flags.contains("--dry-run")) {
        printPlan(inRunOrder(commands.planRename(true, in.inPattern, in.outPattern, in), foRename));
        return listed ? exitOk : exitFailed;
    }
    commands.sortAllFiles(in);
    if (!ui.summary().empty()) std::fprintf(stderr, "%s\n", ui.summary().c_str());
    return listed && commands.failed() == 0 && ui.problems() == 0 ? exitOk : exitFailed;
}

}  // namespace

const Command kRenameCommand{
    "rename", "rename files from their tags with an output pattern",
    "Usage: vorda-cli rename --out PATTERN [--in PATTERN | --detect] [--settings FILE] [--dry-run] FILE...\n"
    "\n"
    "Renames each FILE in its folder to the name the output pattern gives (\"Rename All\").\n"
    "Values missing from the tags are read from the file name with the input pattern.\n"
    "\n"
    "  --out PATTERN     the output pattern, such as \"<artist> - <track> - <title>\"\n"
    "  --in PATTERN      the input pattern (default: the settings' current one)\n"
    "  --detect          choose the best matching input pattern of the settings per file\n"
    "  --settings FILE   read this settings file instead of the user's (fixing options, input\n"
    "                    patterns, what to do when a name is taken: asking means keeping the file)\n"
    "  --dry-run         print \"source<TAB>destination\" per file in order and change nothing\n"
    "                    (control characters written as \\n, \\t, \\x1b)\n"
    "\n"
    "Files that take each other's names (a to b while b goes to c, or two files swapping\n"
    "names) are renamed without losing any; a file of this run is never replaced.\n"
    "\n"
    "Messages go to standard error. Exit status 1 when a file could not be read or renamed.\n",
    runRename};

}  // namespace vorda::cli
