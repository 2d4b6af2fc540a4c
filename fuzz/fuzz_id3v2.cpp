// SPDX-License-Identifier: GPL-2.0-or-later

// Parses an ID3v2 tag from arbitrary bytes, renders it, and parses the result again. A rendered
// tag must read back to the same tag: rendering it a second time gives the same bytes. Setting
// the title then changes no byte of any other frame, nor of what could not be parsed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tags/GenreList.h"
#include "tags/Id3v2Reader.h"
#include "tags/Id3v2Tag.h"

using namespace vorda::tags;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    static const vorda::tags::GenreTable genres;

    // The tag may start anywhere in the first 1024 bytes, as in a file.
    const long offset = vorda::tags::findID3v2Header(input);
    vorda::tags::Id3v2Tag ClsTag;
    ClsTag.setGenreHandler(&genres);
    if (!ClsTag.parseTag(input.substr(offset < 0 ? 0 : static_cast<size_t>(offset)))) return 0;
    (void)ClsTag.framesInFile();
    (void)ClsTag.genre();
    (void)ClsTag.year();
    const std::string first = ClsTag.render(16);
    if (first.empty()) return 0;

    vorda::tags::Id3v2Tag again;
    again.setGenreHandler(&genres);
    if (!again.parseTag(first)) std::abort();
    if (again.render(16) != first) std::abort();
    if (again.title() != ClsTag.title() || again.comment() != ClsTag.comment() || again.genre() != ClsTag.genre())
        std::abort();

    auto others = [](const vorda::tags::Id3v2Tag& t) {
        std::vector<std::string> frames;
        for (const vorda::tags::Id3v2Frame& f : t.frames())
            if (f.id() != "TIT2") frames.push_back(f.sFieldCode(t.writeVersion()));
        frames.push_back(t.unparsed());
        return frames;
    };
    const std::vector<std::string> before = others(again);
    again.setTitle(again.title() + "x");
    const std::string retitled = again.render(0);
    if (retitled.empty()) return 0;
    vorda::tags::Id3v2Tag third;
    third.setGenreHandler(&genres);
    if (!third.parseTag(retitled)) std::abort();
    if (third.title() != again.title() || others(third) != before) std::abort();
    return 0;
}
