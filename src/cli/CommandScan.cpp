// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandScan.h"

#include <cstdio>
#include <string>

#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/Settings.h"
#include "app/UserInterface.h"
#include "base/Text.h"
#include "cli/CliCommon.h"

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

ExitStatus runScan(const std::vector<std::string>& argv) {
    std::optional<std::string> settingsFile;
    bool recursive = false;
    CommandLine line("scan [--recursive] [--settings FILE] FOLDER...",
                     "Scans each FOLDER for the file types of the settings (playlists found are imported)\n"
                     "and prints one line per listed file: the 14 cells of its row, separated by tabs:\n"
                     "Filename, Path, Size, Artist, Album, Title, Track, Year, Genre, Comment,\n"
                     "Bitrate (kbps), Samplerate (kHz), Tags, Duration. Control characters in names and\n"
                     "values are written out (\\n, \\t, \\x1b), so each file is one line.\n"
                     "The status texts of each scan (totals and time) go to standard error.\n",
                     "A FOLDER that is no folder is named on stderr; the exit status is then 1.\n");
    line.addFlag("--recursive", "scan the subfolders too", recursive);
    line.addSettings(settingsFile);
    const ParsedArguments args = line.parse(argv);
    if (!args.mistake.empty()) return line.usageError(args.mistake);
    if (args.help) return line.printHelp();
    if (args.operands.empty()) return line.usageError("no folder given");
    if (!loadSettings(settingsFile)) return ExitStatus::Failed;

    FileList list;
    StatusRecorder ui;
    ListCommands commands(list, ui, settings());
    ExitStatus status = ExitStatus::Ok;
    for (const std::string& folder : args.operands) {
        const std::string path = absolutePath(folder);
        if (!isDirectory(path)) {
            printError("not a folder: " + toDisplayUtf8(folder));
            status = ExitStatus::Failed;
            continue;
        }
        ui.panels[1].clear();
        ui.panels[3].clear();
        commands.scanFolder(addBackslash(path), recursive);
        std::fprintf(stderr, "%s\n%s\n", lineText(ui.panels[1]).c_str(), lineText(ui.panels[3]).c_str());
    }

    std::string out;
    for (int row = 1; row <= list.count(); ++row) {
        out.clear();
        for (int col = 1; col <= kColumnCount; ++col) {
            if (col > 1) out += '\t';
            out += cellText(list.getCellContent(row, col));
        }
        out += '\n';
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
    std::fflush(stdout);
    return status;
}

}  // namespace

const Command kScanCommand{"scan", "list the files of folders as the file list shows them", runScan};

}  // namespace vorda::cli
