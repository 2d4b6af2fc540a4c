// SPDX-License-Identifier: GPL-2.0-or-later

// Temporary folders holding small programs, for the tests of the media player core.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace playertest {

// A folder that is removed with everything in it at the end of the test.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorda-player-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;  // a leftover temporary folder is no test failure
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes a shell script (mode 0755) or a plain file (mode 0644); returns its path.
inline std::string writeFile(const std::string& path, const std::string& content, bool executable = true) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
    ::chmod(path.c_str(), executable ? 0755 : 0644);
    return path;
}

inline std::string writeProgram(const std::string& path) { return writeFile(path, "#!/bin/sh\nexit 0\n"); }

}  // namespace playertest
