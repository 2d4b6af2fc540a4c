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
#include "app/FileList.h"
#include "app/qt/MainWindow.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string bigEndian(uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string Synchsafe(uint32_t value) {
    std::string out;
    for (int i = 3; i >= 0; --i) out += static_cast<char>((value >> (7 * i)) & 0x7F);
    return out;
}

std::string TextFrame(const std::string& id, const std::string& text) {
    return id + bigEndian(static_cast<uint32_t>(text.size() + 1), 4) + std::string(2, '\0') + '\0' + text;
}

std::string taggedFile(int folder, int index) {
    std::string body = TextFrame("TIT2", "Title " + std::to_string(index)) +
                       TextFrame("TPE1", "Artist " + std::to_string(folder / 10)) +
                       TextFrame("TALB", "Album " + std::to_string(folder)) +
                       TextFrame("TRCK", std::to_string(index % 100 + 1)) + TextFrame("TYER", "1999") +
                       TextFrame("TCON", "(17)");
    body += std::string(1024, '\0');
    std::string out = std::string("ID3\x03\x00\x00", 6) + Synchsafe(static_cast<uint32_t>(body.size())) + body;
    uint32_t seed = static_cast<uint32_t>(index) * 7 + 1;
    for (int f = 0; f < 6; ++f) {
        out.append("\xFF\xFB\x90\x00", 4);
        for (int i = 0; i < 413; ++i) {
            seed = seed * 1103515245u + 12345u;
            out += static_cast<char>((seed >> 16) & 0x7F);
        }
    }
    return out;
}

bool MakeTree(const fs::path& tree, int files) {
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

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }
double CpuSeconds(const rusage& r) { return Seconds(r.ru_utime) + Seconds(r.ru_stime); }

// Wall-clock and processor seconds of one `vorda-cli scan --recursive`, its output thrown away.
double TimeCli(const std::string& cli, const std::string& settingsFile, const std::string& tree, double& cpu) {
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
    cpu = CpuSeconds(usage);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "vorda-cli failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(Clock::now() - started).count();
}

// Seconds (wall-clock and processor) from the paths given to the window until its rows are
// listed and painted.
double TimeWindow(MainWindow& w, const std::string& tree, int& rows, double& cpu) {
    w.list().clear();
    QApplication::processEvents();
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const auto started = Clock::now();
    w.startUp({tree});
    QApplication::processEvents();
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    getrusage(RUSAGE_SELF, &after);
    cpu = CpuSeconds(after) - CpuSeconds(before);
    rows = w.list().count();
    return seconds;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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
    MakeTree(tree, files);

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
    TimeCli(cli, settingsFile, tree.string(), cpu);
    TimeWindow(w, tree.string(), rows, cpu);
    std::vector<double> cliSeconds, windowSeconds, cliCpu, windowCpu;
    for (int r = 0; r < rounds; ++r) {
        cliSeconds.push_back(TimeCli(cli, settingsFile, tree.string(), cpu));
        cliCpu.push_back(cpu);
        windowSeconds.push_back(TimeWindow(w, tree.string(), rows, cpu));
        windowCpu.push_back(cpu);
    }
    const double cliBest = *std::min_element(cliSeconds.begin(), cliSeconds.end());
    const double windowBest = *std::min_element(windowSeconds.begin(), windowSeconds.end());
    std::printf("files=%d listed=%d rounds=%d\n", files, rows, rounds);
    std::printf("cli_seconds=%.3f (median %.3f)\n", cliBest, Median(cliSeconds));
    std::printf("window_seconds=%.3f (median %.3f)\n", windowBest, Median(windowSeconds));
    std::printf("window_to_cli_ratio=%.2f (median %.2f)\n", windowBest / cliBest,
                Median(windowSeconds) / Median(cliSeconds));
    // Processor time moves much less than wall-clock time on a shared machine.
    const double cliCpuBest = *std::min_element(cliCpu.begin(), cliCpu.end());
    const double windowCpuBest = *std::min_element(windowCpu.begin(), windowCpu.end());
    std::printf("cli_cpu_seconds=%.3f window_cpu_seconds=%.3f window_to_cli_cpu_ratio=%.2f\n", cliCpuBest,
                windowCpuBest, windowCpuBest / cliCpuBest);
    return rows == files ? 0 : 1;
}
