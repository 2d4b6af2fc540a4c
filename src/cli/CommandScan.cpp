// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandScan.h"

#include <cstdio>
#include <string>

#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/Settings.h"
#include "app/UserInterface.h"
#include "base/Text.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace vorda::cli {

namespace {

// Keeps the last text of each status panel; answers questions like SilentUserInterface.
class StatusRecorder : public SilentUserInterface {
public:
    void setStatus(int panel, const std::string& text) override {
        if (panel >= 1 && panel <= 3) panels[panel] = text;
    }
    std::string panels[4];
};

// A cell as the window shows it, kept on one output line: control characters (tabs and line
// breaks among them) are written out, so a value can neither add a column or a line nor send
// escape sequences to the terminal.
std::string cellText(const std::string& cell) { return lineText(toDisplayUtf8(cell)); }

int runScan(const std::vector<std::string>& argv) {
    const ParsedArgs args = parseArgs(argv, {"--recursive"}, {"--settings"});
    if (!args.error.empty()) return usageError(kScanCommand, args.error);
    if (args.help) return printUsage(kScanCommand);
    if (args.operands.empty()) return usageError(kScanCommand, "no folder given");
    if (const int status = loadSettings(args); status != exitOk) return status;

    FileList list;
    StatusRecorder ui;
    ListCommands commands(list, ui, settings());
    const bool recursive = args.flags.count("--recursive") != 0;
    int status = exitOk;
    for (const std::string& folder : args.operands) {
        const std::string path = absolutePath(folder);
        if (!isDirectory(path)) {
            printError("not a folder: " + toDisplayUtf8(folder));
            status = exitFailed;
            continue;
        }
        ui.panels[1].clear();
        ui.panels[3].clear();
        commands.scanFolder(addBackslash(path), recursive);
        std::fprintf(stderr, "%s\n%s\n", lineText(ui.panels[1]).c_str(), lineText(ui.panels[3]).c_str());
    }

    std::string line;
    for (int row = 1; row <= list.count(); ++row) {
        line.clear();
        for (int col = 1; col <= kColumnCount; ++col) {
            if (col > 1) line += '\t';
            line += cellText(list.getCellContent(row, col));
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    std::fflush(stdout);
    return status;
}

}  // namespace

const Command kScanCommand{"scan", "list the files of folders as the file list shows them",
                           "Usage: vorda-cli scan [--recursive] [--settings FILE] FOLDER...\n"
                           "\n"
                           "Scans each FOLDER for the file types of the settings (playlists found are imported)\n"
                           "and prints one line per listed file: the 14 cells of its row, separated by tabs:\n"
                           "Filename, Path, Size, Artist, Album, Title, Track, Year, Genre, Comment,\n"
                           "Bitrate (kbps), Samplerate (kHz), Tags, Duration. Control characters in names and\n"
                           "values are written out (\\n, \\t, \\x1b), so each file is one line.\n"
                           "The status texts of each scan (totals and time) go to standard error.\n"
                           "\n"
                           "Options:\n"
                           "  --recursive      scan the subfolders too\n"
                           "  --settings FILE  read the settings from FILE instead of the user's settings file\n"
                           "  -h, --help       show this help\n",
                           runScan};

}  // namespace vorda::cli
