// SPDX-License-Identifier: GPL-2.0-or-later

// vorda_bench: the Vorda side of the speed benchmarks, and a timer for whole commands.
//
//   vorda_bench scan SETTINGS FOLDER                  AudioFile::readFile over every .mp3, in process
//   vorda_bench save SETTINGS FOLDER TITLE            readFile + setValue(ValueKey::Title) + putTags per file
//   vorda_bench rebuild SETTINGS FILE PRISTINE ROUNDS a tag grown beyond its room vs copying the file
//   vorda_bench time RUNS ERRFILE -- COMMAND...       wall time and peak memory of a command
//
// SETTINGS is a settings file as vorda-cli reads it. Results go to standard error as
// "key=value" words, so the driving script can pick them up.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/Settings.h"
#include "base/IniFile.h"
#include "tags/AudioFile.h"
#include "tags/AudioInfo.h"
#include "tags/TagHandler.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace fs = std::filesystem;
using namespace vorda::bench;

namespace {

bool loadSettingsFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        std::fprintf(stderr, "cannot read settings file %s\n", path.c_str());
        return false;
    }
    const IniFile ini(path);
    settings().load(ini);
    return true;
}

// The same values the TagLib loop reads: seven tag fields and four audio properties.
int scan(const std::string& folder) {
    const auto start = Clock::now();
    const double cpuStart = cpuSeconds();
    long files = 0;
    long withTitle = 0;
    size_t bytes = 0;
    std::string line;
    for (const std::string& path : mp3Files(folder)) {
        AudioFile file;
        if (!file.readFile(path, true)) continue;
        ++files;
        TagHandler& tag = file.tag();
        line = path;
        for (const int key : {ValueKey::Title, ValueKey::Artist, ValueKey::Album, ValueKey::Year, ValueKey::Track,
                              ValueKey::Comment, ValueKey::Genre}) {
            line += '\t';
            line += tag.getValue(key);
        }
        if (!tag.getValue(ValueKey::Title).empty()) ++withTitle;
        const AudioInfo& audio = file.audio();
        for (const AudioKey info :
             {AudioKey::BitRate, AudioKey::SampleRate, AudioKey::Duration, AudioKey::ChannelMode}) {
            line += '\t';
            line += audio.getInfo(info);
        }
        bytes += line.size();
    }
    const double seconds = secondsSince(start);
    const double cpu = cpuSeconds() - cpuStart;
    std::fprintf(stderr,
                 "files=%ld with_title=%ld seconds=%.4f files_per_second=%.0f cpu_seconds=%.4f "
                 "files_per_cpu_second=%.0f text_bytes=%zu\n",
                 files, withTitle, seconds, files / seconds, cpu, files / cpu, bytes);
    return 0;
}

// Changes the title of every file. A file counts as written in place when it kept its inode and
// its length (a rebuild renames a new file over the old one).
int save(const std::string& folder, const std::string& title) {
    const std::vector<std::string> files = mp3Files(folder);
    const auto start = Clock::now();
    const double cpuStart = cpuSeconds();
    long saved = 0;
    long failed = 0;
    long inPlace = 0;
    int firstError = 0;
    for (const std::string& path : files) {
        struct stat before {};
        ::stat(path.c_str(), &before);
        AudioFile file;
        if (!file.readFile(path, true)) {
            ++failed;
            continue;
        }
        file.tag().setValue(ValueKey::Title, title);
        if (const int error = file.putTags(); error != 0) {
            ++failed;
            if (firstError == 0) firstError = error;
            continue;
        }
        ++saved;
        struct stat after {};
        ::stat(path.c_str(), &after);
        if (after.st_ino == before.st_ino && after.st_size == before.st_size) ++inPlace;
    }
    const double seconds = secondsSince(start);
    const double cpu = cpuSeconds() - cpuStart;
    std::fprintf(stderr,
                 "files=%ld failed=%ld first_error=%d in_place=%ld seconds=%.4f files_per_second=%.0f "
                 "cpu_seconds=%.4f files_per_cpu_second=%.0f\n",
                 saved, failed, firstError, inPlace, seconds, saved / seconds, cpu, saved / cpu);
    return failed == 0 ? 0 : 1;
}

// Per round: FILE is restored from PRISTINE (flushed, untimed); a comment larger than any padding
// is saved, which makes Vorda rebuild the file; then the same file is copied (plain, and flushed
// like the rebuild flushes its temporary file). Best rate of the rounds for each.
int rebuild(const std::string& path, const std::string& pristine, int rounds) {
    const std::string copyPath = path + ".copy";
    const std::string comment(8192, 'c');
    double bestRebuild = 0;
    double bestCopy = 0;
    double bestCopyFlushed = 0;
    for (int r = 0; r < rounds; ++r) {
        fs::copy_file(pristine, path, fs::copy_options::overwrite_existing);
        if (!flushFile(path)) std::fprintf(stderr, "cannot flush %s\n", path.c_str());
        const double megabytes = static_cast<double>(fs::file_size(path)) / (1024.0 * 1024.0);

        auto start = Clock::now();
        AudioFile file;
        if (!file.readFile(path, true)) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 1;
        }
        file.tag().setValue(ValueKey::Comment, comment + std::to_string(r));
        const int error = file.putTags();
        const double rebuildSeconds = secondsSince(start);
        const double grownBy = static_cast<double>(fs::file_size(path)) / (1024.0 * 1024.0) - megabytes;
        if (error != 0) {
            std::fprintf(stderr, "rebuild failed with error %d\n", error);
            return 1;
        }

        fs::remove(copyPath);
        start = Clock::now();
        fs::copy_file(path, copyPath);
        const double copySeconds = secondsSince(start);
        fs::remove(copyPath);
        start = Clock::now();
        fs::copy_file(path, copyPath);
        if (!flushFile(copyPath)) std::fprintf(stderr, "cannot flush %s\n", copyPath.c_str());
        const double flushedSeconds = secondsSince(start);
        fs::remove(copyPath);

        bestRebuild = std::max(bestRebuild, megabytes / rebuildSeconds);
        bestCopy = std::max(bestCopy, megabytes / copySeconds);
        bestCopyFlushed = std::max(bestCopyFlushed, megabytes / flushedSeconds);
        std::fprintf(stderr,
                     "round=%d megabytes=%.1f grown_kb=%.1f rebuild_seconds=%.4f copy_seconds=%.4f "
                     "copy_fsync_seconds=%.4f\n",
                     r, megabytes, grownBy * 1024.0, rebuildSeconds, copySeconds, flushedSeconds);
    }
    std::fprintf(stderr, "rebuild_mb_per_second=%.1f copy_mb_per_second=%.1f copy_fsync_mb_per_second=%.1f\n",
                 bestRebuild, bestCopy, bestCopyFlushed);
    return 0;
}

// Runs the command RUNS times (standard output discarded, standard error appended to ERRFILE)
// and reports each wall time and processor time (best and median), and the largest peak
// resident size.
int timeCommand(int runs, const std::string& errFile, const std::vector<std::string>& command) {
    std::vector<double> times;
    std::vector<double> cpuTimes;
    long maxRssKb = 0;
    for (int r = 0; r < runs; ++r) {
        const auto start = Clock::now();
        const pid_t pid = ::fork();
        if (pid < 0) return 1;
        if (pid == 0) {
            const int out = ::open("/dev/null", O_WRONLY);
            const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (out < 0 || err < 0) ::_exit(127);
            ::dup2(out, 1);
            ::dup2(err, 2);
            std::vector<char*> argv;
            for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        struct rusage usage {};
        if (::wait4(pid, &status, 0, &usage) < 0) return 1;
        const double seconds = secondsSince(start);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "command failed (status %d)\n", status);
            return 1;
        }
        const double cpu = cpuSeconds(usage);
        times.push_back(seconds);
        cpuTimes.push_back(cpu);
        maxRssKb = std::max(maxRssKb, usage.ru_maxrss);
        std::fprintf(stderr, "run=%d seconds=%.4f cpu_seconds=%.4f max_rss_kb=%ld\n", r, seconds, cpu, usage.ru_maxrss);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    std::fprintf(stderr,
                 "best_seconds=%.4f median_seconds=%.4f best_cpu_seconds=%.4f median_cpu_seconds=%.4f "
                 "max_rss_kb=%ld\n",
                 times.front(), times[times.size() / 2], cpuTimes.front(), cpuTimes[cpuTimes.size() / 2], maxRssKb);
    return 0;
}

int usage() {
    std::fputs("Usage: vorda_bench scan SETTINGS FOLDER\n"
               "       vorda_bench save SETTINGS FOLDER TITLE\n"
               "       vorda_bench rebuild SETTINGS FILE PRISTINE ROUNDS\n"
               "       vorda_bench time RUNS ERRFILE -- COMMAND...\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    const std::string& command = args[0];
    try {
        if (command == "time" && args.size() >= 5 && args[3] == "--")
            return timeCommand(std::max(1, std::stoi(args[1])), args[2],
                               std::vector<std::string>(args.begin() + 4, args.end()));
        if (args.size() < 2 || !loadSettingsFile(args[1])) return usage();
        if (command == "scan" && args.size() == 3) return scan(args[2]);
        if (command == "save" && args.size() == 4) return save(args[2], args[3]);
        if (command == "rebuild" && args.size() == 5) return rebuild(args[2], args[3], std::stoi(args[4]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorda_bench: %s\n", e.what());
        return 1;
    }
    return usage();
}
