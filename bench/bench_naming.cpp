// SPDX-License-Identifier: GPL-2.0-or-later

// Naming benchmark: "Rename All" over 10,000 tagged files, then "Move All" of the same files into
// an artist/album tree on the same file system. Prints the wall time of each run and the time the
// pattern engine alone takes for the same names and folders (values, names, destination folders
// of files already read), so its share of the run can be seen.
//
// Usage: bench_naming [FILES] [FOLDER]   (defaults: 10000, a new folder below /tmp)
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/Settings.h"
#include "app/UserInterface.h"
#include "base/FileOps.h"
#include "naming/FileValues.h"
#include "naming/SortCommands.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;
using namespace vorda::bench;

namespace {

class YesInterface : public UserInterface {
public:
    MessageAnswer ask(const std::string&, MessageButtons buttons, MessageIcon, const std::string&) override {
        return buttons == MessageButtons::YesNo
                   ? MessageAnswer::Yes
                   : (buttons == MessageButtons::YesNoCancel ? MessageAnswer::No : MessageAnswer::Ok);
    }
    void setStatus(int, const std::string&) override {}
    void setProgress(long long, long long) override {}
};

// A small MPEG file with an ID3v2.3 tag.
std::string mp3File(const std::string& artist, const std::string& album, const std::string& title, int track) {
    std::string body;
    for (const auto& [id, text] : std::vector<std::pair<std::string, std::string>>{
             {"TPE1", artist}, {"TALB", album}, {"TIT2", title}, {"TRCK", std::to_string(track)}, {"TYER", "2004"}})
        body += textFrame(id, text);
    body += std::string(256, '\0');
    std::string file = id3v23Tag(body);
    for (int f = 0; f < 4; ++f) file += std::string("\xFF\xFB\x90\x00", 4) + std::string(413, '\x55');
    return file;
}

// Pattern-engine time for every row: values, new name and destination folders, on files read beforehand.
double engineTime(const FileList& rows, const Settings& s, const SortInputs& in, bool folders) {
    std::vector<std::unique_ptr<AudioFile>> files;
    for (int i = 1; i <= rows.count(); ++i) {
        files.push_back(std::make_unique<AudioFile>());
        files.back()->readFile(rows.getFullPath(i), true);
    }
    size_t sink = 0;
    const auto start = Clock::now();
    for (size_t i = 0; i < files.size(); ++i) {
        const FileValues v = getFileValues(*files[i], in.inPattern, static_cast<long>(i + 1), s);
        sink += buildNewFileName(v, in.outPattern, s).size();
        if (folders) {
            sink += buildDestinationFolder(in.targetDir, v, in.pathPattern, s).size();
            sink += buildDestinationFolder(in.targetDir, v, in.albumPattern, s).size();
        }
    }
    const double t = secondsSince(start);
    if (sink == 0) std::puts("");
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    std::string root = argc > 2 ? argv[2] : std::string();
    if (root.empty()) {
        char tmpl[] = "/tmp/vorda-bench-naming-XXXXXX";
        if (!::mkdtemp(tmpl)) return 1;
        root = tmpl;
    }
    const std::string src = root + "/src/";
    const std::string target = root + "/sorted/";
    std::filesystem::create_directories(src);

    auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        const std::string artist = "Artist " + std::to_string(i % 100);
        const std::string album = "Album " + std::to_string(i % 1000);
        std::ofstream(src + "file" + std::to_string(i) + ".mp3", std::ios::binary)
            << mp3File(artist, album, "Title " + std::to_string(i), i % 10 + 1);
    }
    std::printf("generate %d files: %.3f s\n", count, secondsSince(start));

    Settings s;
    s.recycleFiles = false;
    s.fileExistAction = FileExistAction::Skip;
    FileList rows;
    YesInterface ui;
    ListCommands list(rows, ui, s);
    SortCommands commands(list, ui, s);

    start = Clock::now();
    list.scanFolder(src, false);
    std::printf("list %d files (scan): %.3f s\n", rows.count(), secondsSince(start));

    SortInputs in = SortInputs::fromSettings(s);
    in.fixFilenames = true;
    in.detectInPattern = false;
    in.outPattern = "<artist> - <track> - <title>";
    in.targetDir = target;
    in.pathPattern = "<artist>/";
    in.albumPattern = "<artist>/<album>/";

    // Rename All.
    in.method = FileMethod::Rename;
    const double renameEngine = engineTime(rows, s, in, false);
    start = Clock::now();
    const auto renamePlan = commands.planRename(true, in.inPattern, in.outPattern, in);
    const double renamePlanning = secondsSince(start);
    start = Clock::now();
    commands.sortAllFiles(in);
    const double renameRun = secondsSince(start);
    std::printf("Rename All: %.3f s wall (%ld files, %ld failed); planning alone (read + names) %.3f s; "
                "pattern engine alone %.3f s = %.1f%% of the run\n",
                renameRun, commands.handled(), commands.failed(), renamePlanning, renameEngine,
                100.0 * renameEngine / renameRun);
    if (renamePlan.size() != static_cast<size_t>(count)) return 1;

    // Move All into artist/album folders (album size 5: albums of 10 files get their own folder).
    in.method = FileMethod::Move;
    in.fixFilenames = false;
    const double moveEngine = engineTime(rows, s, in, true);
    start = Clock::now();
    const auto movePlan =
        commands.planSort(true, target, in.pathPattern, in.albumPattern, in.inPattern, in.outPattern, in);
    const double movePlanning = secondsSince(start);
    start = Clock::now();
    commands.sortAllFiles(in);
    const double moveRun = secondsSince(start);
    std::printf("Move All: %.3f s wall (%ld files, %ld failed, %d rows left); planning alone (read + plan) %.3f s; "
                "pattern engine alone %.3f s = %.1f%% of the run\n",
                moveRun, commands.handled(), commands.failed(), rows.count(), movePlanning, moveEngine,
                100.0 * moveEngine / moveRun);
    std::error_code ec;
    if (argc <= 2) std::filesystem::remove_all(root, ec);
    return movePlan.size() == static_cast<size_t>(count) && commands.failed() == 0 ? 0 : 1;
}
