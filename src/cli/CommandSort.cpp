// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandSort.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/FileList.h"
#include "app/Settings.h"
#include "base/FileOps.h"
#include "base/Text.h"
#include "cli/CliCommon.h"
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

MessageAnswer BatchNamingInterface::ask(const std::string& text, MessageButtons buttons, MessageIcon icon,
                                        const std::string&) {
    switch (buttons) {
    case MessageButtons::YesNo: return MessageAnswer::Yes;  // the run was asked for on the command line
    case MessageButtons::YesNoCancel: printError(oneLine(text) + " (not replaced)"); return MessageAnswer::No;
    default:
        if (icon == MessageIcon::Error || icon == MessageIcon::Information || icon == MessageIcon::Warning) ++problems_;
        printError(oneLine(text));
        return MessageAnswer::Ok;
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

ExitStatus reportRun(bool listed, const SortCommands& commands, const BatchNamingInterface& ui) {
    if (!ui.summary().empty()) std::fprintf(stderr, "%s\n", ui.summary().c_str());
    return listed && commands.failed() == 0 && ui.problems() == 0 ? ExitStatus::Ok : ExitStatus::Failed;
}

namespace {

// A path or album pattern given on the command line, cleaned as the pattern boxes clean it;
// the mistake to report, or "".
std::string takeFolderPattern(const std::optional<std::string>& given, const std::string& option,
                              std::string& pattern) {
    if (!given) return {};
    std::string message;
    pattern = normalizeFolderPattern(*given, &message);
    return message.empty() ? std::string() : option + ": " + message;
}

ExitStatus runSort(const std::vector<std::string>& argv) {
    std::optional<std::string> settingsFile, target, pathPattern, albumPattern, outPattern, exists;
    bool copy = false;
    bool move = false;
    bool dryRun = false;
    CommandLine line(
        "sort --copy|--move --target DIR [--path-pattern P] [--album-pattern A]\n"
        "                      [--out PATTERN] [--exists skip|replace] [--settings FILE] [--dry-run] FILE...",
        "Copies or moves each FILE below DIR into the folder its path pattern gives; albums with\n"
        "enough files (the settings' album size) go to the folder of the album pattern instead.\n"
        "Files that take each other's places are moved in an order that loses none of them; a\n"
        "file of this run is never replaced.\n",
        "Messages go to standard error. Exit status 1 when a file could not be read, copied or moved.\n"
        "\n"
        "Examples:\n"
        "  vorda-cli sort --copy --target ~/Music --dry-run *.mp3\n"
        "  vorda-cli sort --move --target ~/Music --path-pattern \"<artist>\" --album-pattern '' \\\n"
        "                 --out \"<track> - <title>\" *.mp3\n");
    line.addFlag("--copy", "copy the files", copy);
    line.addFlag("--move", "move the files", move);
    line.addValue("--target", "DIR", "the target folder (created when missing)", target);
    line.addValue("--path-pattern", "P", "the path pattern (default: the settings' current one)", pathPattern);
    line.addValue("--album-pattern", "A",
                  "the album pattern (default: the settings' current one;\n'' sorts without album folders)",
                  albumPattern);
    line.addValue("--out", "PATTERN", "renames the files with this output pattern (without it files\nkeep their names)",
                  outPattern);
    line.addValue("--exists", "skip|replace",
                  "what to do when a destination exists (default: the settings'\n"
                  "choice; asking means skipping here). A file of this run is\n"
                  "never replaced: replace skips it with a message",
                  exists);
    line.addSettings(settingsFile);
    line.addFlag("--dry-run",
                 "print \"source<TAB>destination\" per file in the order of the run\n"
                 "and change nothing (control characters written as \\n, \\t, \\x1b)",
                 dryRun);
    const ParsedArguments args = line.parse(argv);
    if (args.help) return line.printHelp();
    if (!args.mistake.empty()) return line.usageError(args.mistake);
    if (copy == move) return line.usageError("give exactly one of --copy and --move");
    if (!target || target->empty()) return line.usageError("--target is required");
    if (args.operands.empty()) return line.usageError("no files given");
    if (!loadSettings(settingsFile)) return ExitStatus::Failed;

    Settings& s = settings();
    SortInputs in = SortInputs::fromSettings(s);
    in.method = copy ? app::FileMethod::Copy : app::FileMethod::Move;
    in.targetDir = addBackslash(absolutePath(expandHome(*target)));
    if (std::string mistake = takeFolderPattern(pathPattern, "--path-pattern", in.pathPattern); !mistake.empty())
        return line.usageError(mistake);
    if (std::string mistake = takeFolderPattern(albumPattern, "--album-pattern", in.albumPattern); !mistake.empty())
        return line.usageError(mistake);
    in.useAlbumPattern = !in.albumPattern.empty();
    in.fixFilenames = outPattern.has_value();
    if (in.fixFilenames) {
        in.outPattern = *outPattern;
        if (const std::string message = checkPatternOnFocusLoss(PatternKind::Output, in.outPattern); !message.empty())
            return line.usageError("--out: " + message);
    }
    if (exists) {
        if (*exists == "skip")
            s.fileExistAction = FileExistAction::Skip;
        else if (*exists == "replace")
            s.fileExistAction = FileExistAction::Replace;
        else
            return line.usageError("--exists takes skip or replace");
    }

    FileList rows;
    BatchNamingInterface ui;
    ListCommands list(rows, ui, s);
    SortCommands commands(list, ui, s);
    const bool listed = listFiles(list, args.operands);
    if (rows.count() == 0) return ExitStatus::Failed;

    if (dryRun) {
        const std::vector<PlannedMove> plan =
            commands.planSort(true, in.targetDir, in.pathPattern, in.albumPattern, in.inPattern, in.outPattern, in);
        printPlan(inRunOrder(plan, in.method));
        return listed ? ExitStatus::Ok : ExitStatus::Failed;
    }
    commands.sortAllFiles(in);
    return reportRun(listed, commands, ui);
}

}  // namespace

const Command kSortCommand{"sort", "copy or move files into a folder tree built from their tags", runSort};

}  // namespace vorda::cli
