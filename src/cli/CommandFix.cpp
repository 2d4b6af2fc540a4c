// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandFix.h"

#include <cerrno>
#include <cstdio>

#include "app/Settings.h"
#include "base/FileOps.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::editing;

namespace vorda::cli {

void listGivenFiles(ListCommands& cmds, const std::vector<std::string>& given, int* status) {
    for (const std::string& name : given) {
        const std::string path = absolutePath(name);
        const size_t slash = path.rfind('/');
        if (!cmds.addToFileList(path.substr(slash + 1), path.substr(0, slash + 1))) {
            printFileError(name, ENOENT, errorText(ENOENT));
            *status = exitFailed;
        }
    }
    cmds.list().selectAll();
    cmds.bMultiChange = cmds.list().count() > 1;
}

void printFailures(const BatchResult& result, int* status) {
    for (const auto& [path, error] : result.failures) {
        printFileError(path, error, errorText(error));
        *status = exitFailed;
    }
}

namespace {

int runFix(const std::vector<std::string>& argv) {
    const ParsedArgs args = parseArgs(argv, {"--detect", "--advanced"}, {"--settings", "--in"});
    if (!args.error.empty()) return usageError(kFixCommand, args.error);
    if (args.help) return printUsage(kFixCommand);
    if (args.operands.empty()) return usageError(kFixCommand, "no file given");
    const bool detect = args.flags.count("--detect") > 0;
    if (detect && args.values.count("--in")) return usageError(kFixCommand, "--in and --detect exclude each other");
    if (const int status = loadSettings(args); status != exitOk) return status;

    Settings& s = settings();
    s.advancedMode = args.flags.count("--advanced") > 0;
    const std::string inPattern = args.values.count("--in") ? args.values.at("--in") : s.currentInPattern;
    TagSwitches switches;  // simple mode: "Use tags" checked
    if (s.advancedMode) switches.chkID3v1 = switches.chkID3v2 = true;

    int status = exitOk;
    FileList list;
    SilentUserInterface ui;
    ListCommands cmds(list, ui, s);
    listGivenFiles(cmds, args.operands, &status);
    BatchTagCommands batch(cmds, ui, s);
    printFailures(batch.fixSelectedFiles(switches, detect, inPattern), &status);
    return status;
}

}  // namespace

const Command kFixCommand{
    "fix", "complete and clean up the tags of MPEG files from their names",
    "Usage: vorda-cli fix [--settings FILE] [--in PATTERN | --detect] [--advanced] FILE...\n"
    "\n"
    "Completes and cleans the tags of each FILE as \"Fix tags\" does for several selected\n"
    "files: every empty field is read from the file name with the input pattern, every\n"
    "field is cleaned by the tag formatting options, the track is taken from the name when\n"
    "it is no number, and the tags are written. Without --advanced both ID3 tags are used\n"
    "(\"Use tags\" checked); with it, the ID3v1 and the ID3v2 fields are fixed each on their own.\n"
    "The tag options of the settings decide which tags the files keep.\n"
    "A file that fails prints \"vorda-cli: FILE: error N: TEXT\" on stderr; the exit status is then 1.\n"
    "\n"
    "Options:\n"
    "  --settings FILE  read the settings from FILE\n"
    "  --in PATTERN     the input pattern (default: the current one of the settings)\n"
    "  --detect         choose the best input pattern of the settings' list for each file\n"
    "  --advanced       advanced mode: fix the ID3v1 and ID3v2 fields separately\n"
    "  -h, --help       show this help\n",
    runFix};

}  // namespace vorda::cli
