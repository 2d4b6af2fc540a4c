// Parses an ID3v2 tag from arbitrary bytes, renders it, and parses the result again. A rendered
// tag must read back to the same tag: rendering it a second time gives the same bytes. Setting
// the title then changes no byte of any other frame, nor of what could not be parsed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tags/ID3v2Reader.h"
#include "tags/clsGenres.h"
#include "tags/clsID3v2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    static const vorda::clsGenres genres;

    // The tag may start anywhere in the first 1024 bytes, as in a file.
    const long offset = vorda::FindID3v2Header(input);
    vorda::clsID3v2 tag;
    tag.SetGenreHandler(&genres);
    if (!tag.ParseTag(input.substr(offset < 0 ? 0 : static_cast<size_t>(offset)))) return 0;
    (void)tag.FramesInFile();
    (void)tag.Genre();
    (void)tag.Year();
    const std::string first = tag.Render(16);
    if (first.empty()) return 0;

    vorda::clsID3v2 again;
    again.SetGenreHandler(&genres);
    if (!again.ParseTag(first)) std::abort();
    if (again.Render(16) != first) std::abort();
    if (again.Title() != tag.Title() || again.Comment() != tag.Comment() || again.Genre() != tag.Genre())
        std::abort();

    auto others = [](const vorda::clsID3v2& t) {
        std::vector<std::string> frames;
        for (const vorda::clsV2Field& f : t.Frames())
            if (f.ID() != "TIT2") frames.push_back(f.sFieldCode(t.WriteVersion()));
        frames.push_back(t.Unparsed());
        return frames;
    };
    const std::vector<std::string> before = others(again);
    again.setTitle(again.Title() + "x");
    const std::string retitled = again.Render(0);
    if (retitled.empty()) return 0;
    vorda::clsID3v2 third;
    third.SetGenreHandler(&genres);
    if (!third.ParseTag(retitled)) std::abort();
    if (third.Title() != again.Title() || others(third) != before) std::abort();
    return 0;
}
