// SPDX-License-Identifier: GPL-2.0-or-later

// Fuzzes the MPEG audio reader: the input becomes a file, read from several start positions.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tags/MpegAudioInfo.h"

using namespace vorda::tags;

namespace {

// An unlinked temporary file reached through /proc, so that no run leaves a file behind.
struct InputFile {
    int fd = -1;
    std::string path;
    InputFile() {
        char name[] = "/tmp/vorda-fuzz-mpeg-XXXXXX";
        fd = ::mkstemp(name);
        if (fd < 0) std::abort();
        ::unlink(name);
        path = "/proc/self/fd/" + std::to_string(fd);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static InputFile input;
    if (::ftruncate(input.fd, 0) != 0) return 0;
    if (size > 0 && ::pwrite(input.fd, data, size, 0) != ssize_t(size)) return 0;

    // Without a leading tag, at the start, behind a would-be tag sized by the first byte, past the end.
    const long derived = size > 0 ? long(data[0]) * 16 : 0;
    vorda::tags::MpegAudioInfo reader;
    for (long start : {-1L, 0L, 1L, derived, long(size) + 1}) {
        reader.readInfo(input.path, start);
        for (int i = -1; i <= vorda::tags::kAudioInfoCount; ++i)
            (void)reader.getInfo(static_cast<vorda::tags::AudioKey>(i));
        // A frame is only ever reported where its header lies inside the file.
        if (reader.isValid() && (reader.startPos() < 0 || reader.startPos() + 4 > long(size))) std::abort();
    }
    return 0;
}
