// SPDX-License-Identifier: GPL-2.0-or-later

// Helpers shared by the speed benchmarks: clocks, the median of a run's figures, the bytes of
// synthesised tags (built on the tests' hand-made tag bytes) and audio, template files tagged
// by mutagen, and the .mp3 files of a tree.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../tests/support/TagBytes.h"

namespace vorda::bench {

using Clock = std::chrono::steady_clock;

// Wall-clock seconds from START until now.
inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double toSeconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// Processor time (user and system) of a usage record.
inline double cpuSeconds(const rusage& usage) { return toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime); }

// Processor time of this process so far (user and system): less disturbed than the wall clock
// when other work shares the machine.
inline double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return cpuSeconds(usage);
}

// The median of the figures (the upper one of an even count), 0 when there are none.
inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// An ID3v2.3 text frame in Latin-1.
inline std::string textFrame(const std::string& id, const std::string& text) {
    return tagbytes::frameBytes(3, id, '\0' + text);
}

// An ID3v2.3 tag holding BODY (frames and padding).
inline std::string id3v23Tag(const std::string& body) { return tagbytes::tagBytes(3, body); }

// FRAMES MPEG-1 layer III frames (128 kbit/s, 44.1 kHz) of pseudo-random bytes from SEED; the
// default is one second.
inline std::string audioFrames(int frames = 38, uint32_t seed = 7) {
    std::string out;
    for (int f = 0; f < frames; ++f) {
        out.append("\xFF\xFB\x90\x00", 4);
        for (int i = 0; i < 413; ++i) {
            seed = seed * 1103515245u + 12345u;
            out += static_cast<char>((seed >> 16) & 0x7F);
        }
    }
    return out;
}

// Writes one second of audio to PATH and has mutagen tag it: ID3v2.3 with TITLE, an artist,
// album, track, year and comment, 1 KB of padding, and an ID3v1 tag.
[[nodiscard]] inline bool makeTemplate(const std::string& path, const std::string& title = "Title") {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << audioFrames();
    const std::string script =
        "import sys\nfrom mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TDRC, COMM\n"
        "t=ID3()\nt.add(TIT2(encoding=0,text=sys.argv[2]))\nt.add(TPE1(encoding=0,text='Artist'))\n"
        "t.add(TALB(encoding=0,text='Album'))\nt.add(TRCK(encoding=0,text='3'))\n"
        "t.add(TDRC(encoding=0,text='2001'))\nt.add(COMM(encoding=0,lang='eng',desc='',text='Comment'))\n"
        "t.save(sys.argv[1], v1=2, v2_version=3, padding=lambda info: 1024)\n";
    ::setenv("VORDA_SCRIPT", script.c_str(), 1);
    const std::string command = "/usr/bin/python3 -c \"$VORDA_SCRIPT\" '" + path + "' '" + title + "'";
    return std::system(command.c_str()) == 0;
}

// Every .mp3 under the folder, sorted, so each tool sees the same files in the same order.
inline std::vector<std::string> mp3Files(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".mp3") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Writes the file's data to the disk; false when it cannot be opened or flushed.
[[nodiscard]] inline bool flushFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace vorda::bench
