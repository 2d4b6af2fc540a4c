// SPDX-License-Identifier: GPL-2.0-or-later

// Helpers of the ID3 handler tests: scratch folders, synthetic MPEG audio and tags.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "app/Settings.h"
#include "tags/AudioFile.h"
#include "tags/Id3v2Text.h"

namespace id3test {

using Scratch = testsupport::TempFolder;
using testsupport::commandOutput;
using testsupport::inodeOf;
using testsupport::readBytes;
using testsupport::writeBytes;

// MPEG-1 layer III frames, 128 kbit/s, 44.1 kHz: 417 bytes each, with varying payload.
inline std::string mp3Audio(int frames, uint32_t seed = 1) {
    std::string out;
    for (int f = 0; f < frames; ++f) {
        out.append("\xFF\xFB\x90\x00", 4);
        for (int i = 0; i < 413; ++i) {
            seed = seed * 1103515245u + 12345u;
            out += static_cast<char>((seed >> 16) & 0x7F);
        }
    }
    return out;
}

// An ID3v2.3 tag with ISO-8859-1 text frames and padding.
inline std::string v23Tag(const std::vector<std::pair<std::string, std::string>>& frames, size_t padding) {
    std::string body;
    for (const auto& [id, text] : frames)
        body += id + vorda::tags::id3v2::writeBigEndian(static_cast<uint32_t>(text.size() + 1), 4) +
                std::string(2, '\0') + '\0' + text;
    body += std::string(padding, '\0');
    return std::string("ID3\x03\x00\x00", 6) + vorda::tags::id3v2::writeSynchsafe(static_cast<uint32_t>(body.size())) +
           body;
}

// A 128-byte ID3v1 tag (version 1.1 when track is not 0).
inline std::string v1Tag(const std::string& title, const std::string& artist = "", int track = 0, int genre = 255) {
    auto field = [](std::string s, size_t n) {
        s.resize(n, '\0');
        return s;
    };
    std::string tag = "TAG" + field(title, 30) + field(artist, 30) + field("", 30) + field("", 4) + field("", 30);
    tag += static_cast<char>(genre);
    if (track > 0) {
        tag[125] = '\0';
        tag[126] = static_cast<char>(track);
    }
    return tag;
}

// A value of the file's tags as the file object reads them ("<unreadable>" when it cannot).
inline std::string tagValue(const std::string& path, int key) {
    vorda::tags::AudioFile f;
    if (!f.readFile(path, true)) return "<unreadable>";
    return f.tag().getValue(key);
}

// Restores the program-wide settings when a test ends.
class SettingsGuard {
public:
    SettingsGuard() : saved_(vorda::app::settings()) {}
    ~SettingsGuard() { vorda::app::settings() = saved_; }

private:
    vorda::app::Settings saved_;
};

}  // namespace id3test
