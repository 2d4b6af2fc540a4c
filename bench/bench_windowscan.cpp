// SPDX-License-Identifier: GPL-2.0-or-later

// Listing a folder tree given on the command line: the window (offscreen, in a private home,
// "Scan subfolders" on) against `vorda-cli scan --recursive` over the same tree, in the same
// run, rounds interleaved after a warm-up of each. Prints the best and median seconds of both
// and the window's time as a ratio to the command line's.
//
// The tree is generated once (100 files a folder, each an ID3v2.3 tag with title, artist,
// album, track, year and genre, 1 KB of padding, and a few MPEG audio frames).
//
//   bench_windowscan VORDA_CLI [FILES=50000] [FOLDER=/tmp/vorda-bench-windowscan] [ROUNDS=3]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QTemporaryDir>

#include "../tests/support/PrivateHome.h"
#include "BenchSupport.h"
#include "app/FileList.h"
#include "app/qt/MainWindow.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;
using namespace vorda::bench;

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string taggedFile(int folder, int index) {
    std::string body = textFrame("TIT2", "Title " + std::to_string(index)) +
                       textFrame("TPE1", "Artist " + std::to_string(folder / 10)) +
                       textFrame("TALB", "Album " + std::to_string(folder)) +
                       textFrame("TRCK", std::to_string(index % 100 + 1)) + textFrame("TYER", "1999") +
                       textFrame("TCON", "(17)");
    body += std::string(1024, '\0');
    return id3v23Tag(body) + audioFrames(6, static_cast<uint32_t>(index) * 7 + 1);
}

bool makeTree(const fs::path& tree, int files) {
    const fs::path marker = tree / ".complete";
    std::ifstream done(marker);
    int count = 0;
    if (done >> count && count == files) return true;
    std::fprintf(stderr, "generating %d files in %s\n", files, tree.c_str());
    fs::remove_all(tree);
    for (int i = 0; i < files; ++i) {
        const int folder = i / 100;
        const fs::path dir = tree / ("Artist " + std::to_string(folder / 10)) / ("Album " + std::to_string(folder));
        if (i % 100 == 0) fs::create_directories(dir);
        char name[64];
        std::snprintf(name, sizeof name, "%02d - Title %d.mp3", i % 100 + 1, i);
        std::ofstream(dir / name, std::ios::binary) << taggedFile(folder, i);
    }
    std::ofstream(marker) << files;
    return true;
}

// Wall-clock and processor seconds of one `vorda-cli scan --recursive`, its output thrown away.
double timeCli(const std::string& cli, const std::string& settingsFile, const std::string& tree, double& cpu) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = {cli, "scan", "--recursive", "--settings", settingsFile, tree};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto started = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        std::perror("posix_spawn");
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    cpu = cpuSeconds(usage);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "vorda-cli failed\n");
        std::exit(1);
    }
    return secondsSince(started);
}

// Seconds (wall-clock and processor) from the paths given to the window until its rows are
// listed and painted.
double timeWindow(MainWindow& w, const std::string& tree, int& rows, double& cpu) {
    w.list().clear();
    QApplication::processEvents();
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const auto started = Clock::now();
    w.startUp({tree});
    QApplication::processEvents();
    const double seconds = secondsSince(started);
    getrusage(RUSAGE_SELF, &after);
    cpu = cpuSeconds(after) - cpuSeconds(before);
    rows = w.list().count();
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_windowscan VORDA_CLI [FILES] [FOLDER] [ROUNDS]\n");
        return 2;
    }
    const std::string cli = fs::absolute(argv[1]).string();
    const int files = argc > 2 ? std::atoi(argv[2]) : 50000;
    const fs::path folder = argc > 3 ? fs::path(argv[3]) : fs::path("/tmp/vorda-bench-windowscan");
    const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    const fs::path tree = folder / ("tree" + std::to_string(files));
    fs::create_directories(folder);
    makeTree(tree, files);

    QTemporaryDir home;
    if (!home.isValid()) return 1;
    vorda::testsupport::PrivateHomeOptions options;
    options.musicDir = QFile::encodeName(home.path());
    if (!vorda::testsupport::usePrivateHome(home, options)) return 1;
    const std::string settingsFile = home.path().toStdString() + "/.config/vorda/settings.ini";
    fs::create_directories(fs::path(settingsFile).parent_path());
    std::ofstream(settingsFile) << "[General]\nbReadTags=True\nbAutoReadTags=True\nbUseTags=True\n"
                                   "bScanSubFolders=1\nsTreeDir="
                                << folder.string() << "/\n"
                                << "[FileTypes]\nnofFileTypes=0\nsFileType0=mp3\n";

    QApplication app(argc, argv);
    MainWindow w;
    w.show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();

    // Warm-up of both (the cache holds the tree afterwards), then interleaved rounds.
    int rows = 0;
    double cpu = 0;
    timeCli(cli, settingsFile, tree.string(), cpu);
    timeWindow(w, tree.string(), rows, cpu);
    std::vector<double> cliSeconds, windowSeconds, cliCpu, windowCpu;
    for (int r = 0; r < rounds; ++r) {
        cliSeconds.push_back(timeCli(cli, settingsFile, tree.string(), cpu));
        cliCpu.push_back(cpu);
        windowSeconds.push_back(timeWindow(w, tree.string(), rows, cpu));
        windowCpu.push_back(cpu);
    }
    const double cliBest = *std::min_element(cliSeconds.begin(), cliSeconds.end());
    const double windowBest = *std::min_element(windowSeconds.begin(), windowSeconds.end());
    std::printf("files=%d listed=%d rounds=%d\n", files, rows, rounds);
    std::printf("cli_seconds=%.3f (median %.3f)\n", cliBest, median(cliSeconds));
    std::printf("window_seconds=%.3f (median %.3f)\n", windowBest, median(windowSeconds));
    std::printf("window_to_cli_ratio=%.2f (median %.2f)\n", windowBest / cliBest,
                median(windowSeconds) / median(cliSeconds));
    // Processor time moves much less than wall-clock time on a shared machine.
    const double cliCpuBest = *std::min_element(cliCpu.begin(), cliCpu.end());
    const double windowCpuBest = *std::min_element(windowCpu.begin(), windowCpu.end());
    std::printf("cli_cpu_seconds=%.3f window_cpu_seconds=%.3f window_to_cli_cpu_ratio=%.2f\n", cliCpuBest,
                windowCpuBest, windowCpuBest / cliCpuBest);
    return rows == files ? 0 : 1;
}
