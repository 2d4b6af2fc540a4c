// SPDX-License-Identifier: GPL-2.0-or-later

// Loads the settings from arbitrary bytes and writes keys into a copy of them: nothing may crash,
// a key just written must read back as written, and a damaged copy is kept before it is replaced.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "app/Settings.h"
#include "base/IniFile.h"
#include "base/Text.h"

using namespace vorda::base;
using namespace vorda::app;

namespace {

// One private folder per fuzzing process, on a RAM disk when there is one (the writes flush).
const std::string& WorkFolder() {
    static const std::string folder = [] {
        std::string pattern =
            (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/vorda-fuzz-ini-XXXXXX");
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern + "/";
    }();
    return folder;
}

void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) std::abort();
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += static_cast<size_t>(n);
    }
    close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string path = WorkFolder() + "settings.ini";
    const std::string copy = WorkFolder() + "copy.ini";
    WriteInput(path, data, size);
    WriteInput(copy, data, size);

    vorda::app::Settings loaded;
    loaded.load(vorda::base::IniFile(path));

    // A value made from the input's first bytes, written into the first section the input names.
    const std::string value = input.substr(0, 64);
    std::string section = "General";
    if (const size_t open = input.find('['), close = input.find(']'); open < close && close != std::string::npos)
        section = input.substr(open + 1, close - open - 1);
    ::unlink((copy + ".bak").c_str());
    vorda::base::IniFile ini(copy);
    const bool damaged = ini.fileCondition() == vorda::base::IniFile::Condition::Damaged;
    const bool written = ini.write(section, "sFuzzKey", value);
    if (written && damaged) {
        // The damaged file was kept whole before it was replaced.
        std::ifstream in(copy + ".bak", std::ios::binary);
        const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (kept != input) {
            std::fprintf(stderr, "a damaged file was replaced without keeping it\n");
            std::abort();
        }
    }
    loaded.saveVisual(ini, false, false);

    const bool plain = value.find_first_of(std::string("\0\r\n", 3)) == std::string::npos &&
                       section.find_first_of(std::string("\0\r\n]=", 5)) == std::string::npos &&
                       vorda::base::isValidUtf8(value);
    if (written && plain) {
        const std::string back = vorda::base::IniFile(copy).read(section, "sFuzzKey", std::string("\x01missing"));
        if (back != value) {
            std::fprintf(stderr, "wrote [%s] sFuzzKey=%s, read back %s\n", section.c_str(), value.c_str(),
                         back.c_str());
            std::abort();
        }
    }
    return 0;
}
