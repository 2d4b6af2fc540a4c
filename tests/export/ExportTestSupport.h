// SPDX-License-Identifier: GPL-2.0-or-later

// Helpers of the export tests: real MP3 files tagged by mutagen, and the Python checkers that parse
// what an export wrote.
#pragma once

#include <sys/resource.h>

#include <csignal>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "ID3TestSupport.h"
#include "ListTestSupport.h"
#include "TestSupport.h"

namespace exporttest {

// Runs one of the scripts in checks/ with /usr/bin/python3 and returns what it prints.
inline std::string runCheck(const std::string& script, const std::vector<std::string>& args) {
    std::string command = "/usr/bin/python3 " + testsupport::shellQuote(std::string(VORDA_EXPORT_CHECKS_DIR) + script);
    for (const std::string& arg : args) command += " " + testsupport::shellQuote(arg);
    return testsupport::commandOutput(command + " 2>&1");
}

// Writes an MP3 of synthetic MPEG-1 layer III frames and gives it ID3v2.4 text frames through
// mutagen (frame id -> UTF-8 text).
inline void makeTaggedMp3(const std::string& path, const std::map<std::string, std::string>& frames,
                          int audioFrames = 400) {
    listtest::writeFile(path, id3test::mp3Audio(audioFrames));
    std::vector<std::string> args{path};
    for (const auto& [id, text] : frames) {
        args.push_back(id);
        args.push_back(text);
    }
    const std::string out = runCheck("tag_mp3.py", args);
    if (!out.empty()) std::fprintf(stderr, "tag_mp3.py: %s\n", out.c_str());
}

// Runs work under a file-size limit, so that a write beyond it fails like one on a full disk.
template <class Work>
void withFileSizeLimit(rlim_t bytes, Work&& work) {
    struct rlimit saved {};
    if (::getrlimit(RLIMIT_FSIZE, &saved) != 0) std::abort();
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &small) != 0) std::abort();
    work();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
}

}  // namespace exporttest
