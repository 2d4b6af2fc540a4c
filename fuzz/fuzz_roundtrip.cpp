// SPDX-License-Identifier: GPL-2.0-or-later

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

#include "tags/AudioFile.h"
#include "tags/Id3v1Tag.h"
#include "tags/Id3v2Text.h"

using namespace vorda::tags;

namespace {

const std::string& folder() {
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
    const std::string path = folder() + "/input.mp3";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    vorda::tags::TagOptions options;
    options.useId3v1 = vorda::tags::TagUse::IfWanted;
    options.useId3v2 = vorda::tags::TagUse::IfWanted;
    options.addPaddingSize = size % 3 == 0 ? 0 : 64;
    options.maxPaddingSize = size % 2 == 0 ? 128 : -1;
    options.keepInSync = size % 5 < 2;

    vorda::tags::AudioFile file;
    file.setOptions(options);
    if (!file.readFile(path, true)) return 0;
    const std::string before = ReadAll(path);
    const int64_t tailStart = vorda::tags::Id3v1Tag::findTailStart(path);
    const bool hadTag = file.tag().hasTag(vorda::tags::TagKind::Id3v2);
    const int64_t tagStart = hadTag ? file.tag().tagPosition() - 1 : 0;
    const int64_t headEnd = tagStart + (hadTag ? file.tag().tagSize() : 0);

    file.tag().add(vorda::tags::TagKind::All);
    file.tag().setValue(vorda::tags::ValueKey::Title, "x" + file.tag().getValue(vorda::tags::ValueKey::Title));
    file.tag().setValue(vorda::tags::ValueKey::V2Frame, "fuzz", "TXXX");
    if (file.putTags() != 0) {
        // A refused write leaves the file as it was.
        if (ReadAll(path) != before) std::abort();
        return 0;
    }
    // A tag whose header claims more than the file holds ends after its last whole frame; what
    // follows stays in the file, so the layout checks below do not apply to it.
    bool beyondEnd = false;
    if (hadTag && before.size() >= static_cast<size_t>(tagStart) + 10) {
        const auto* h = reinterpret_cast<const unsigned char*>(before.data() + tagStart);
        const uint64_t declared =
            10ull + vorda::tags::id3v2::readSynchsafe(h + 6) + ((h[3] == 4 && (h[5] & 0x10)) ? 10 : 0);
        beyondEnd = static_cast<uint64_t>(tagStart) + declared > before.size();
    }
    if (tailStart < headEnd && !beyondEnd) std::abort();  // such a file must have been refused

    vorda::tags::AudioFile again;
    again.setOptions(options);
    if (!again.readFile(path, true)) std::abort();
    if (!again.tag().hasTag(vorda::tags::TagKind::Id3v2) || again.tag().tagPosition() != 1) std::abort();
    const std::string after = ReadAll(path);
    // A save is a fixed point: the same values written again leave every byte as it is.
    auto saveAgain = [&] {
        again.tag().setValue(vorda::tags::ValueKey::Title, again.tag().getValue(vorda::tags::ValueKey::Title));
        if (again.putTags() != 0 || ReadAll(path) != after) std::abort();
    };
    if (beyondEnd) {
        saveAgain();
        return 0;
    }
    const std::string prefix = before.substr(0, static_cast<size_t>(tagStart));
    const std::string audio = before.substr(static_cast<size_t>(headEnd), static_cast<size_t>(tailStart - headEnd));
    const auto newTagEnd = static_cast<size_t>(again.tag().tagSize());
    const size_t newHeadEnd = newTagEnd + prefix.size();
    if (after.compare(newTagEnd, prefix.size(), prefix) != 0) std::abort();
    if (after.size() < newHeadEnd + audio.size() || after.compare(newHeadEnd, audio.size(), audio) != 0) std::abort();
    if (again.tag().getValue(vorda::tags::ValueKey::V2Title).empty()) std::abort();
    // Audio whose last 128 bytes read as an ID3v1 tag now stands right before the new one: it is
    // then a second, stacked tag, which the next save removes like any other stacked copy.
    if (vorda::tags::Id3v1Tag::findTailStart(path) < static_cast<int64_t>(newHeadEnd + audio.size())) return 0;
    saveAgain();
    return 0;
}
