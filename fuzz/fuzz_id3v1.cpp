// SPDX-License-Identifier: GPL-2.0-or-later

// Fuzzes the ID3v1 / Lyrics3 reader and writer: the input becomes a file that is read, changed
// (a field chosen by the first byte), written, and read again. The bytes in front of the
// trailing tags must survive every write, a second save must change nothing, and no older tag
// may come back after a removal.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tags/Id3v1Tag.h"

using namespace vorda::tags;

namespace {

const std::string& InputPath() {
    static const std::string path = [] {
        char name[] = "/tmp/vorda-fuzz-id3v1-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd < 0) std::abort();
        ::close(fd);
        std::atexit([] { std::remove(InputPath().c_str()); });
        return std::string(name);
    }();
    return path;
}

std::string ReadAll(const std::string& path) {
    std::string bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buffer[4096];
    while (size_t got = std::fread(buffer, 1, sizeof buffer, f)) bytes.append(buffer, got);
    std::fclose(f);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = InputPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);

    vorda::tags::Id3v1Tag ClsTag;
    ClsTag.getID3v1(path);
    if (ClsTag.lyricsSize() + ClsTag.size() > ClsTag.fileLength()) std::abort();
    (void)ClsTag.genre();
    (void)ClsTag.version();
    (void)ClsTag.losesCharacters();
    (void)ClsTag.genLyrics3Code(vorda::tags::TagUse::IfNeeded);
    if (ClsTag.genID3v1Code().size() != 128) std::abort();

    const std::string before = ReadAll(path);
    const auto audioLength = static_cast<size_t>(ClsTag.tailPosition() - 1);
    const uint8_t choice = size > 0 ? data[0] : 0;
    const std::string text(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
    switch (choice % 6) {
    case 0: ClsTag.setTitle(text + text); break;
    case 1: ClsTag.setComment(text); break;
    case 2: ClsTag.setLyrics(text); break;
    case 3: ClsTag.setTrack(text); break;
    case 4: ClsTag.setGenre(text); break;
    default: break;
    }
    const bool keep = choice % 6 != 5;
    if (ClsTag.writeTags(path, keep, static_cast<vorda::tags::TagUse>((choice >> 3) % 4)) != 0) return 0;
    const std::string after = ReadAll(path);
    if (after.compare(0, audioLength, before, 0, audioLength) != 0) std::abort();
    // A save is a fixed point: saving again what was just saved changes no byte.
    if (ClsTag.writeTags(path, keep, static_cast<vorda::tags::TagUse>((choice >> 3) % 4)) != 0) return 0;
    if (ReadAll(path) != after) std::abort();

    vorda::tags::Id3v1Tag again;
    again.getID3v1(path);
    if (again.hasID3v1() != keep) std::abort();
    // What was written reads back to values that write the same bytes again.
    const auto mode = static_cast<vorda::tags::TagUse>((choice >> 3) % 4);
    if (again.writeTags(path, keep, mode) != 0) return 0;
    const std::string second = ReadAll(path);
    vorda::tags::Id3v1Tag third;
    third.getID3v1(path);
    if (third.writeTags(path, keep, mode) != 0) return 0;
    if (ReadAll(path) != second) std::abort();
    return 0;
}
