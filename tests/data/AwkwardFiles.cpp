// SPDX-License-Identifier: GPL-2.0-or-later

#include "AwkwardFiles.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "../support/TagBytes.h"

namespace testdata {
namespace {

using namespace std::string_literals;
using namespace tagbytes;

std::string littleEndian(uint32_t value) {
    std::string out;
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// ---------------------------------------------------------------- MPEG audio

// One layer III frame: header bytes 1 and 2 as given, mode joint stereo, no CRC; the payload
// is zero but for a running counter so no two frames are equal.
std::string frame(uint8_t versionByte, uint8_t rateByte, size_t length, uint32_t counter) {
    std::string f = "\xFF"s + static_cast<char>(versionByte) + static_cast<char>(rateByte) + '\x40';
    f.resize(length, '\0');
    f[length - 1] = static_cast<char>(counter & 0x7F);
    return f;
}

// MPEG-1, 44.1 kHz, 128 kbit/s: 417 bytes a frame.
std::string mpeg1Frame(uint32_t counter) { return frame(0xFB, 0x90, 417, counter); }

std::string mpeg1Stream(int frames) {
    std::string out;
    for (int i = 0; i < frames; ++i) out += mpeg1Frame(static_cast<uint32_t>(i));
    return out;
}

// Frames at 64, 128 and 192 kbit/s in turn (208, 417 and 626 bytes), behind a first frame
// holding a Xing or VBRI header with the counts of the frames that follow it.
std::string vbrStream(int frames, bool vbri) {
    static const uint8_t rates[] = {0x50, 0x90, 0xB0};
    static const size_t lengths[] = {208, 417, 626};
    std::string audio;
    for (int i = 0; i < frames; ++i) audio += frame(0xFB, rates[i % 3], lengths[i % 3], static_cast<uint32_t>(i));
    std::string first = mpeg1Frame(0);
    const auto total = static_cast<uint32_t>(audio.size() + first.size());
    std::string header;
    if (vbri) {
        header = "VBRI"s + bigEndian(1, 2) + bigEndian(0, 2) + bigEndian(75, 2) + bigEndian(total, 4) +
                 bigEndian(static_cast<uint32_t>(frames), 4) + bigEndian(0, 2) + bigEndian(1, 2) + bigEndian(2, 2) +
                 bigEndian(0, 2);
    } else {
        header = "Xing"s + bigEndian(3, 4) + bigEndian(static_cast<uint32_t>(frames), 4) + bigEndian(total, 4);
    }
    first.replace(36, header.size(), header);  // behind the 32 bytes of side information
    return first + audio;
}

// ---------------------------------------------------------------- ID3v2

std::string latin1(const std::string& text) { return '\0' + text; }
std::string utf8(const std::string& text) { return '\x03' + text; }
std::string commentLatin1(const std::string& text) { return "\0eng\0"s + text; }

// Every 0xFF is followed by a 0x00, so no false frame sync shows in the bytes.
std::string unsynchronise(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        const bool ff = static_cast<uint8_t>(bytes[i]) == 0xFF;
        const bool next = i + 1 < bytes.size();
        if (ff && (!next || static_cast<uint8_t>(bytes[i + 1]) >= 0xE0 || bytes[i + 1] == '\0')) out += '\0';
    }
    return out;
}

uint32_t crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<uint8_t>(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// ---------------------------------------------------------------- trailing tags

std::string field(std::string text, size_t size) {
    text.resize(size, '\0');
    return text;
}

// ID3v1.1 with a track number.
std::string id3v1(const std::string& title, const std::string& artist, const std::string& album,
                  const std::string& year, const std::string& comment, int track, int genre) {
    std::string comment28 = field(comment, 28);
    return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) + comment28 + '\0' +
           static_cast<char>(track) + static_cast<char>(genre);
}

std::string apeItem(const std::string& key, const std::string& value) {
    return littleEndian(static_cast<uint32_t>(value.size())) + littleEndian(0) + key + '\0' + value;
}

// An APEv2 tag with header and footer.
std::string apeV2(const std::vector<std::string>& items) {
    std::string body;
    for (const std::string& item : items) body += item;
    auto block = [&](uint32_t flags) {
        return "APETAGEX"s + littleEndian(2000) + littleEndian(static_cast<uint32_t>(body.size() + 32)) +
               littleEndian(static_cast<uint32_t>(items.size())) + littleEndian(flags) + std::string(8, '\0');
    };
    return block(0xA0000000u) + body + block(0x80000000u);
}

void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

std::vector<AwkwardFile> writeAwkwardFiles(const std::string& folder) {
    std::vector<AwkwardFile> files;
    auto add = [&](const std::string& name, const std::string& bytes, const std::string& title, bool audio = true) {
        write(folder + "/" + name, bytes);
        files.push_back({name, title, audio});
    };

    // Version 2.3, the whole tag unsynchronised: the Latin-1 texts hold 0xFF bytes.
    const std::string unsynchBody = frameBytes(3, "TIT2", latin1("Caf\xE9 \xFF\xFB\xFF")) +
                                    frameBytes(3, "TPE1", latin1("Nina \xFFlston")) +
                                    frameBytes(3, "TALB", latin1("100% Jazz")) + frameBytes(3, "TRCK", latin1("03")) +
                                    frameBytes(3, "TLEN", latin1("216000"));
    add("v23-unsynchronised.mp3", tagBytes(3, unsynchronise(unsynchBody), 0x80, 0) + mpeg1Stream(40),
        "Caf\xC3\xA9 \xC3\xBF\xC3\xBB\xC3\xBF");

    // Version 2.4 with an extended header carrying a CRC of the frames and padding.
    const std::string v24Frames = frameBytes(4, "TIT2", utf8("One Second of Silence")) +
                                  frameBytes(4, "TPE1", utf8("Snild Dolkow")) +
                                  frameBytes(4, "TALB", utf8("Bug Reports")) + frameBytes(4, "TDRC", utf8("2023")) +
                                  frameBytes(4, "TCON", utf8("Relaxation")) +
                                  frameBytes(4, "COMM", "\x03"s + "eng" + '\0' + "This is a comment!");
    const std::string padded = v24Frames + std::string(64, '\0');
    const std::string crc = bigEndian(crc32(padded) >> 28, 1) + synchsafe(crc32(padded));
    add("v24-extended-header.mp3",
        tagBytes(4, synchsafe(12) + '\x01' + '\x20' + '\x05' + crc + padded, 0x40, 0) + mpeg1Stream(40),
        "One Second of Silence");

    // Version 2.4 with one frame unsynchronised on its own (format flag 0x02).
    add("v24-frame-unsynchronised.mp3",
        tagBytes(4,
                 frameBytes(4, "TIT2", unsynchronise(latin1("Flags \xFF\xE2 Set")), 0, 0x02) +
                     frameBytes(4, "TPE1", utf8("Band")),
                 0, 16) +
            mpeg1Stream(40),
        "Flags \xC3\xBF\xC3\xA2 Set");

    // Version 2.2: three-letter frame names and sizes of three bytes.
    add("v22.mp3",
        tagBytes(2,
                 frameBytes(2, "TT2", latin1("Robust")) + frameBytes(2, "TP1", latin1("Anais")) +
                     frameBytes(2, "TAL", latin1("Hymns for the Exiled")) + frameBytes(2, "TRK", latin1("03/11")) +
                     frameBytes(2, "TYE", latin1("2004")) + frameBytes(2, "COM", commentLatin1("Waterbug Records")) +
                     frameBytes(2, "TCO", latin1("(17)")),
                 0, 32) +
            mpeg1Stream(40),
        "Robust");

    // Broken frames: a POPM without its terminator and a last frame whose size runs past the tag.
    add("v23-broken-frames.mp3",
        tagBytes(3,
                 frameBytes(3, "TIT2", latin1("Robust")) + frameBytes(3, "POPM", "no terminator") +
                     frameBytes(3, "TCOM", latin1("pjat lain")) + "TPE1" + bigEndian(5000, 4) + "\0\0\0Cut"s,
                 0, 0) +
            mpeg1Stream(40),
        "Robust");

    // A tag and no audio behind it.
    add("tag-only.mp3", tagBytes(3, frameBytes(3, "TIT2", latin1("Only a tag")), 0, 100), "Only a tag", false);

    add("xing.mp3", tagBytes(3, frameBytes(3, "TIT2", latin1("Xing VBR")), 0, 200) + vbrStream(600, false), "Xing VBR");
    add("vbri.mp3", vbrStream(600, true) + id3v1("VBRI VBR", "Fraunhofer", "", "2007", "Ripped", 4, 3), "VBRI VBR");

    // MPEG-2 at 22.05 kHz, 64 kbit/s, and MPEG-2.5 at 11.025 kHz, 32 kbit/s: 208 bytes a frame.
    std::string mpeg2, mpeg25;
    for (uint32_t i = 0; i < 500; ++i) {
        mpeg2 += frame(0xF3, 0x80, 208, i);
        mpeg25 += frame(0xE3, 0x40, 208, i);
    }
    add("mpeg2.mp3", mpeg2 + id3v1("Half Rate", "Low", "Quiet", "1999", "", 2, 12), "Half Rate");
    add("mpeg25.mp3", tagBytes(3, frameBytes(3, "TIT2", latin1("Quarter Rate")), 0, 10) + mpeg25, "Quarter Rate");

    // Tags of other tools in front of the ID3v1 tag.
    const std::string ape = apeV2({apeItem("Title", "APE title"), apeItem("Artist", "APE artist")});
    const std::string lyrics =
        lyrics3Block(lyrics3Field("IND", "00") + lyrics3Field("LYR", "Some words\r\nand more") +
                     lyrics3Field("ETT", "The whole long title from Lyrics3") + lyrics3Field("EAR", "Lyrics Artist"));
    add("apev2-lyrics3v2-id3v1.mp3",
        tagBytes(3,
                 frameBytes(3, "TIT2", latin1("Robust")) + frameBytes(3, "PRIV", "owner\0data"s) +
                     frameBytes(3, "PRIV", "x\0y"s),
                 0, 20) +
            mpeg1Stream(40) + ape + lyrics +
            id3v1("The whole long title from Lyri", "Lyrics Artist", "A song EP", "2005", "", 1, 35),
        "Robust");
    add("apev2-id3v1.mp3",
        mpeg1Stream(40) + ape + id3v1("Behind APE", "V1 Artist", "V1 Album", "2001", "v1 comment", 7, 17),
        "Behind APE");

    // Both tags: the ID3v2 tag lacks what ID3v1 has.
    add("id3v1v2-combined.mp3",
        tagBytes(3, frameBytes(3, "TIT2", latin1("Both Tags")) + frameBytes(3, "TPE1", latin1("V2 Artist")), 0, 50) +
            mpeg1Stream(40) + id3v1("Both Tags", "V1 Artist", "V1 Album", "2004", "From ID3v1", 5, 8),
        "Both Tags");

    add("no-tags.mp3", mpeg1Stream(60), "");
    add("empty.mp3", "", "", false);
    // A frame header with too few bytes behind it: the reader takes the lone header as the
    // start of the audio (mutagen wants more).
    add("too-short.mp3", mpeg1Frame(0).substr(0, 40), "");
    return files;
}

}  // namespace testdata
