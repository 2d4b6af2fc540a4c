// Read-modify-write-reread on arbitrary files: the input is written as an .mp3 file, its
// tags are read, a value is changed and the tags are written back. Whatever the tags were,
// every byte that is not a tag (the audio, and anything in front of the tag) must be where
// the new layout puts it, unchanged: the new tag at the start of the file, then whatever lay in
// front of the old tag, then the audio. Saving the file again as it was read back changes no
// byte.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/Settings.h"
#include "tags/clsFile.h"
#include "tags/clsID3v1.h"

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        std::string tmpl = "/tmp/vorda_fuzz_roundtrip_XXXXXX";
        if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
        return tmpl;
    }();
    return folder;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Folder() + "/input.mp3";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    vorda::Settings& s = vorda::settings();
    s.UseID3v1 = vorda::tuIfWanted;
    s.UseID3v2 = vorda::tuIfWanted;
    s.lAddPaddingSize = size % 3 == 0 ? 0 : 64;
    s.lMaxPaddingSize = size % 2 == 0 ? 128 : -1;
    s.bTAGKeepSync = size % 5 < 2;

    vorda::clsFile file;
    if (!file.ReadFile(path, true)) return 0;
    const std::string before = ReadAll(path);
    const int64_t tailStart = vorda::clsID3v1::FindTailStart(path);
    const bool hadTag = file.Tag().hasTag(vorda::tkID3v2);
    const int64_t tagStart = hadTag ? file.Tag().tagPosition() - 1 : 0;
    const int64_t headEnd = tagStart + (hadTag ? file.Tag().tagSize() : 0);

    file.Tag().Add(vorda::tkAll);
    file.Tag().SetValue(vorda::tvTitle, "x" + file.Tag().GetValue(vorda::tvTitle));
    file.Tag().SetValue(vorda::tvV2Frame, "fuzz", "TXXX");
    if (file.PutTags() != 0) {
        // A refused write leaves the file as it was.
        if (ReadAll(path) != before) std::abort();
        return 0;
    }
    if (tailStart < headEnd) std::abort();  // such a file must have been refused

    vorda::clsFile again;
    if (!again.ReadFile(path, true)) std::abort();
    if (!again.Tag().hasTag(vorda::tkID3v2) || again.Tag().tagPosition() != 1) std::abort();
    const std::string after = ReadAll(path);
    const std::string prefix = before.substr(0, static_cast<size_t>(tagStart));
    const std::string audio = before.substr(static_cast<size_t>(headEnd), static_cast<size_t>(tailStart - headEnd));
    const auto newTagEnd = static_cast<size_t>(again.Tag().tagSize());
    const size_t newHeadEnd = newTagEnd + prefix.size();
    if (after.compare(newTagEnd, prefix.size(), prefix) != 0) std::abort();
    if (after.size() < newHeadEnd + audio.size() || after.compare(newHeadEnd, audio.size(), audio) != 0) std::abort();
    if (again.Tag().GetValue(vorda::tvV2Title).empty()) std::abort();

    // A save is a fixed point: the same values written again leave every byte as it is.
    again.Tag().SetValue(vorda::tvTitle, again.Tag().GetValue(vorda::tvTitle));
    if (again.PutTags() != 0 || ReadAll(path) != after) std::abort();
    return 0;
}
