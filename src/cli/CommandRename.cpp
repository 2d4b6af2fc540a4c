// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandRename.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/FileList.h"
#include "app/Settings.h"
#include "base/FileOps.h"
#include "cli/CliCommon.h"
#include "cli/CommandSort.h"
#include "naming/PatternEngine.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;

namespace vorda::cli {

namespace {

ExitStatus runRename(const std::vector<std::string>& argv) {
    std::optional<std::string> settingsFile, outPattern, inPattern;
    bool detect = false;
    bool dryRun = false;
    CommandLine line("rename --out PATTERN [--in PATTERN | --detect] [--settings FILE] [--dry-run] FILE...",
                     "Renames each FILE in its folder to the name the output pattern gives (\"Rename All\").\n"
                     "Values missing from the tags are read from the file name with the input pattern.\n"
                     "Files that take each other's names (a to b while b goes to c, or two files swapping\n"
                     "names) are renamed without losing any; a file of this run is never replaced.\n",
                     "Messages go to standard error. Exit status 1 when a file could not be read or renamed.\n"
                     "\n"
                     "Example:\n"
                     "  vorda-cli rename --out \"<track> - <artist> - <title>\" --dry-run *.mp3\n");
    line.addValue("--out", "PATTERN", "the output pattern, such as \"<artist> - <track> - <title>\"", outPattern);
    line.addValue("--in", "PATTERN", "the input pattern (default: the settings' current one)", inPattern);
    line.addFlag("--detect", "choose the best matching input pattern of the settings per file", detect);
    line.addValue("--settings", "FILE",
                  "read this settings file instead of the user's (fixing options, input\n"
                  "patterns, what to do when a name is taken: asking means keeping the file)",
                  settingsFile);
    line.addFlag("--dry-run",
                 "print \"source<TAB>destination\" per file in order and change nothing\n"
                 "(control characters written as \\n, \\t, \\x1b)",
                 dryRun);
    const ParsedArguments args = line.parse(argv);
    if (args.help) return line.printHelp();
    if (!args.mistake.empty()) return line.usageError(args.mistake);
    if (!outPattern || outPattern->empty()) return line.usageError("--out is required");
    if (inPattern && detect) return line.usageError("give --in or --detect, not both");
    if (args.operands.empty()) return line.usageError("no files given");
    if (!loadSettings(settingsFile)) return ExitStatus::Failed;

    Settings& s = settings();
    SortInputs in = SortInputs::fromSettings(s);
    in.method = app::FileMethod::Rename;
    in.fixFilenames = true;
    in.outPattern = *outPattern;
    if (const std::string message = checkPatternOnFocusLoss(PatternKind::Output, in.outPattern); !message.empty())
        return line.usageError("--out: " + message);
    if (inPattern) {
        in.inPattern = *inPattern;
        in.detectInPattern = false;
        if (const std::string message = checkPatternOnFocusLoss(PatternKind::Input, in.inPattern); !message.empty())
            return line.usageError("--in: " + message);
    } else if (detect) {
        in.detectInPattern = true;
    }

    FileList rows;
    BatchNamingInterface ui;
    ListCommands list(rows, ui, s);
    SortCommands commands(list, ui, s);
    const bool listed = listFiles(list, args.operands);
    if (rows.count() == 0) return ExitStatus::Failed;

    if (dryRun) {
        printPlan(inRunOrder(commands.planRename(true, in.inPattern, in.outPattern, in), app::FileMethod::Rename));
        return listed ? ExitStatus::Ok : ExitStatus::Failed;
    }
    commands.sortAllFiles(in);
    return reportRun(listed, commands, ui);
}

}  // namespace

const Command kRenameCommand{"rename", "rename files from their tags with an output pattern", runRename};

}  // namespace vorda::cli
