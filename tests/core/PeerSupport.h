// SPDX-License-Identifier: GPL-2.0-or-later

// What mutagen reads from MP3 files, as the reference the readers are compared with. One Python
// run serves a whole list of files: its start-up dominates the cost.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "tags/MpegAudioInfo.h"

namespace peers {

// The stream parameters of the first frame, the bit rate and the length.
struct AudioPeer {
    bool ok = false;
    std::string version;
    int layer = 0, mode = 0;
    long bitRate = 0, sampleRate = 0, offset = 0;
    double length = 0;
};

inline std::vector<AudioPeer> mutagenAudio(const std::vector<std::string>& paths) {
    static const std::string script =
        "import sys, mutagen.mp3 as m\n"
        "for p in sys.argv[1:]:\n"
        "  try:\n"
        "    i = m.MP3(p).info\n"
        "    print(\"OK\", i.version, i.layer, i.bitrate, i.sample_rate, i.mode, i.length, i.frame_offset)\n"
        "  except Exception:\n"
        "    print(\"ERR\")\n";
    std::istringstream in(testsupport::runPython(script, paths));
    std::vector<AudioPeer> result(paths.size());
    for (AudioPeer& p : result) {
        std::string line, word;
        std::getline(in, line);
        std::istringstream fields(line);
        fields >> word;
        p.ok = word == "OK" &&
               (fields >> p.version >> p.layer >> p.bitRate >> p.sampleRate >> p.mode >> p.length >> p.offset);
    }
    return result;
}

// Equal stream parameters and first-frame offset, bit rate within 1 kbit/s, length within a second.
inline void expectAudioLikeMutagen(const AudioPeer& p, const vorda::tags::MpegAudioInfo& m) {
    if (!p.ok) return;
    static const char* const modes[4] = {"Stereo", "JStereo", "DStereo", "Mono"};
    ASSERT_TRUE(m.isValid());
    EXPECT_EQ(m.getInfo(vorda::tags::AudioKey::Version), p.version);
    EXPECT_EQ(m.layerVersion(), p.layer);
    EXPECT_EQ(m.sampleRate(), p.sampleRate);
    EXPECT_EQ(m.channelMode(), modes[p.mode & 3]);
    EXPECT_EQ(m.startPos(), p.offset);
    EXPECT_NEAR(m.bitRate(), p.bitRate, 1000);
    EXPECT_NEAR(m.duration(), p.length, 1.0);
}

using Values = std::map<std::string, std::string>;

inline constexpr const char* kTagFields[] = {"title", "artist", "album", "year", "track", "comment", "genre"};

inline std::string fromHex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

// The seven general values of every file mutagen reads: the ID3v2 value, else what ID3v1 adds
// ("" when it has none). Files mutagen cannot read are missing from the map.
inline std::map<std::string, Values> mutagenTagValues(const std::vector<std::string>& files) {
    static const std::string script =
        "import sys\n"
        "from mutagen.id3 import ID3\n"
        "def first(t, key, attr='text'):\n"
        "    f = t.get(key)\n"
        "    v = getattr(f, attr, None) if f is not None else None\n"
        "    return str(v[0]) if v else ''\n"
        "def values(t):\n"
        "    comms = t.getall('COMM')\n"
        "    plain = [c for c in comms if c.desc == '']\n"
        "    comm = (plain or comms or [None])[0]\n"
        "    return [first(t, 'TIT2'), first(t, 'TPE1'), first(t, 'TALB'), first(t, 'TDRC')[:4],\n"
        "            first(t, 'TRCK'), str(comm.text[0]) if comm is not None and comm.text else '',\n"
        "            first(t, 'TCON', 'genres')]\n"
        "for path in sys.argv[1:]:\n"
        "    try:\n"
        "        merged = values(ID3(path))\n"
        "    except Exception:\n"
        "        continue\n"
        "    try:\n"
        "        v2 = values(ID3(path, load_v1=False))\n"
        "    except Exception:\n"
        "        v2 = [''] * 7\n"
        "    out = [a or b for a, b in zip(v2, merged)]\n"
        "    print(path + '\\t' + '\\t'.join(v.encode('utf-8', 'surrogatepass').hex() for v in out))\n";
    std::map<std::string, Values> result;
    std::istringstream lines(testsupport::runPython(script, files));
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> parts;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) parts.push_back(cell);
        if (parts.size() == 7) parts.emplace_back();  // an empty last value leaves no cell
        if (parts.size() != 8) continue;
        Values& values = result[parts[0]];
        for (size_t i = 0; i < 7; ++i) values[kTagFields[i]] = fromHex(parts[i + 1]);
    }
    return result;
}

// The ID3v1 fields as mutagen reads them from the last 128 bytes, keyed by frame name (genre as
// its number); empty without an ID3v1 tag.
inline Values mutagenId3v1(const std::string& path) {
    static const std::string script = "import sys\n"
                                      "from mutagen.id3 import ParseID3v1\n"
                                      "data = open(sys.argv[1], 'rb').read()\n"
                                      "frames = ParseID3v1(data[-128:]) if len(data) >= 128 else None\n"
                                      "for key, frame in (frames or {}).items():\n"
                                      "    print(key[:4] + '=' + str(frame.text[0]))\n";
    Values values;
    for (auto& [key, value] : testsupport::keyValueLines(testsupport::runPython(script, {path}))) values[key] = value;
    return values;
}

}  // namespace peers
