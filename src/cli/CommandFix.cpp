// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandFix.h"

#include <cerrno>
#include <cstdio>

#include "app/Settings.h"
#include "base/FileOps.h"
#include "cli/CliCommon.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::editing;

namespace vorda::cli {

bool listGivenFiles(ListCommands& cmds, const std::vector<std::string>& given) {
    bool all = true;
    for (const std::string& name : given) {
        const std::string path = absolutePath(name);
        const size_t slash = path.rfind('/');
        if (!cmds.addToFileList(path.substr(slash + 1), path.substr(0, slash + 1))) {
            printFileError(name, ENOENT, errorText(ENOENT));
            all = false;
        }
    }
    cmds.list().selectAll();
    cmds.bMultiChange = cmds.list().count() > 1;
    return all;
}

bool printFailures(const BatchResult& result) {
    for (const auto& [path, error] : result.failures) printFileError(path, error, errorText(error));
    return result.failures.empty();
}

namespace {

ExitStatus runFix(const std::vector<std::string>& argv) {
    std::optional<std::string> settingsFile;
    std::optional<std::string> inPattern;
    bool detect = false;
    bool advanced = false;
    CommandLine line("fix [--settings FILE] [--in PATTERN | --detect] [--advanced] FILE...",
                     "Completes and cleans the tags of each FILE as \"Fix tags\" does for several selected\n"
                     "files: every empty field is read from the file name with the input pattern, every\n"
                     "field is cleaned by the tag formatting options, the track is taken from the name when\n"
                     "it is no number, and the tags are written. Without --advanced both ID3 tags are used\n"
                     "(\"Use tags\" checked); with it, the ID3v1 and the ID3v2 fields are fixed each on their own.\n"
                     "The tag options of the settings decide which tags the files keep.\n",
                     "A file that fails prints \"vorda-cli: FILE: error N: TEXT\" on stderr; the exit status is\n"
                     "then 1, and the other files are still fixed.\n"
                     "\n"
                     "Example:\n"
                     "  vorda-cli fix --in \"<track> - <artist> - <title>\" *.mp3\n");
    line.addSettings(settingsFile);
    line.addValue("--in", "PATTERN", "the input pattern (default: the current one of the settings)", inPattern);
    line.addFlag("--detect", "choose the best input pattern of the settings' list for each file", detect);
    line.addFlag("--advanced", "advanced mode: fix the ID3v1 and ID3v2 fields separately", advanced);
    const ParsedArguments args = line.parse(argv);
    if (!args.mistake.empty()) return line.usageError(args.mistake);
    if (args.help) return line.printHelp();
    if (args.operands.empty()) return line.usageError("no file given");
    if (detect && inPattern) return line.usageError("--in and --detect exclude each other");
    if (!loadSettings(settingsFile)) return ExitStatus::Failed;

    Settings& s = settings();
    s.advancedMode = advanced;
    TagSwitches switches;  // simple mode: "Use tags" checked
    if (s.advancedMode) switches.chkID3v1 = switches.chkID3v2 = true;

    FileList list;
    SilentUserInterface ui;
    ListCommands cmds(list, ui, s);
    const bool listed = listGivenFiles(cmds, args.operands);
    BatchTagCommands batch(cmds, ui, s);
    const bool written =
        printFailures(batch.fixSelectedFiles(switches, detect, inPattern.value_or(s.currentInPattern)));
    return listed && written ? ExitStatus::Ok : ExitStatus::Failed;
}

}  // namespace

const Command kFixCommand{"fix", "complete and clean up the tags of MPEG files from their names", runFix};

}  // namespace vorda::cli
