// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandSort.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/FileList.h"
#include "app/Settings.h"
#include "base/FileOps.h"
#include "base/Text.h"
#include "naming/PatternEngine.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;

namespace vorda::cli {

namespace {

// A message box text as one line: its line breaks become spaces (the names in it are written
// out already).
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

}  // namespace

int BatchNamingInterface::ask(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string&) {
    switch (buttons) {
    case mbYesNo: return anYes;  // the run was asked for on the command line
    case mbYesNoCancel: printError(oneLine(text) + " (not replaced)"); return anNo;
    default:
        if (icon == miError || icon == miInformation || icon == miWarning) ++problems_;
        printError(oneLine(text));
        return anOK;
    }
}

void BatchNamingInterface::setStatus(int panel, const std::string& text) {
    if (panel == 3 && (text.ends_with(" files sorted.") || text.ends_with(" files renamed."))) summary_ = text;
}

bool listFiles(ListCommands& list, const std::vector<std::string>& files) {
    bool all = true;
    for (const std::string& operand : files) {
        const std::string path = absolutePath(operand);
        if (!list.addToFileList(getFileName(path), getFolder(path))) {
            printError("cannot read " + operand);
            all = false;
        }
    }
    return all;
}

void printPlan(const std::vector<PlannedMove>& plan) {
    for (const PlannedMove& p : plan)
        std::printf("%s\t%s\n", lineText(p.source).c_str(), lineText(p.destination).c_str());
}

namespace {

// A path or album pattern given on the command line, cleaned as the pattern boxes clean it.
bool folderPatternOption(const ParsedArgs& args, const std::string& option, std::string& pattern, std::string& error) {
    const auto it = args.values.find(option);
    if (it == args.values.end()) return true;
    std::string message;
    pattern = normalizeFolderPattern(it->second, &message);
    if (!message.empty()) error = option + ": " + message;
    return message.empty();
}

int runSort(const std::vector<std::string>& argv) {
    const ParsedArgs args =
        parseArgs(argv, {"--copy", "--move", "--dry-run"},
                  {"--settings", "--target", "--path-pattern", "--album-pattern", "--out", "--exists"});
    if (args.help) return printUsage(kSortCommand);
    if (!args.error.empty()) return usageError(kSortCommand, args.error);
    const bool copy = args.flags.contains("--copy");
    const bool move = args.flags.contains("--move");
    if (copy == move) return usageError(kSortCommand, "give exactly one of --copy and --move");
    if (!args.values.contains("--target") || args.values.at("--target").empty())
        return usageError(kSortCommand, "--target is required");
    if (args.operands.empty()) return usageError(kSortCommand, "no files given");
    if (const int loaded = loadSettings(args); loaded != exitOk) return loaded;

    Settings& s = settings();
    SortInputs in = SortInputs::fromSettings(s);
    in.method = copy ? foCopy : foMove;
    in.targetDir = addBackslash(absolutePath(expandHome(args.values.at("--target"))));
    std::string error;
    if (!folderPatternOption(args, "--path-pattern", in.pathPattern, error) ||
        !folderPatternOption(args, "--album-pattern", in.albumPattern, error))
        return usageError(kSortCommand, error);
    in.useAlbumPattern = !in.albumPattern.empty();
    in.fixFilenames = args.values.contains("--out");
    if (in.fixFilenames) {
        in.outPattern = args.values.at("--out");
        if (const std::string message = checkPatternOnFocusLoss(PatternKind::Output, in.outPattern); !message.empty())
            return usageError(kSortCommand, "--out: " + message);
    }
    if (const auto it = args.values.find("--exists"); it != args.values.end()) {
        if (it->second == "skip")
            s.fileExistAction = feaSkip;
        else if (it->second == "replace")
            s.fileExistAction = feaReplace;
        else
            return usageError(kSortCommand, "--exists takes skip or replace");
    }

    FileList rows;
    BatchNamingInterface ui;
    ListCommands list(rows, ui, s);
    SortCommands commands(list, ui, s);
    const bool listed = listFiles(list, args.operands);
    if (rows.count() == 0) return exitFailed;

    if (args.flags.contains("--dry-run")) {
        const std::vector<PlannedMove> plan =
            commands.planSort(true, in.targetDir, in.pathPattern, in.albumPattern, in.inPattern, in.outPattern, in);
        printPlan(inRunOrder(plan, in.method));
        return listed ? exitOk : exitFailed;
    }
    commands.sortAllFiles(in);
    if (!ui.summary().empty()) std::fprintf(stderr, "%s\n", ui.summary().c_str());
    return listed && commands.failed() == 0 && ui.problems() == 0 ? exitOk : exitFailed;
}

}  // namespace

const Command kSortCommand{
    "sort", "copy or move files into a folder tree built from their tags",
    "Usage: vorda-cli sort --copy|--move --target DIR [--path-pattern P] [--album-pattern A]\n"
    "                      [--out PATTERN] [--exists skip|replace] [--settings FILE] [--dry-run] FILE...\n"
    "\n"
    "Copies or moves each FILE below DIR into the folder its path pattern gives; albums with\n"
    "enough files (the settings' album size) go to the folder of the album pattern instead.\n"
    "\n"
    "  --copy, --move        the method\n"
    "  --target DIR          the target folder (created when missing)\n"
    "  --path-pattern P      the path pattern (default: the settings' current one)\n"
    "  --album-pattern A     the album pattern (default: the settings' current one;\n"
    "                        '' sorts without album folders)\n"
    "  --out PATTERN         renames the files with this output pattern (without it files\n"
    "                        keep their names)\n"
    "  --exists skip|replace what to do when a destination exists (default: the settings'\n"
    "                        choice; asking means skipping here). A file of this run is\n"
    "                        never replaced: replace skips it with a message\n"
    "  --settings FILE       read this settings file instead of the user's\n"
    "  --dry-run             print \"source<TAB>destination\" per file in the order of the run\n"
    "                        and change nothing (control characters written as \\n, \\t, \\x1b)\n"
    "\n"
    "Messages go to standard error. Exit status 1 when a file could not be read, copied or moved.\n",
    runSort};

}  // namespace vorda::cli
