// SPDX-License-Identifier: GPL-2.0-or-later

// MP3 files of the awkward kinds met in real collections, built byte by byte at test time:
// unsynchronised and extended-header ID3v2 tags, version 2.2 tags, broken frames, Xing and VBRI
// headers, MPEG-2 and MPEG-2.5 streams, APEv2 and Lyrics3v2 blocks in front of an ID3v1 tag,
// an empty file and a file too short for a frame.
#pragma once

#include <string>
#include <vector>

namespace testdata {

struct AwkwardFile {
    std::string name;
    // The title the file's tags carry (ID3v2 first, else ID3v1); "" for none.
    std::string title;
    // True when the file holds MPEG audio a reader should find.
    bool hasAudio = true;
};

// Writes every awkward file into folder (which must exist) and describes them.
std::vector<AwkwardFile> writeAwkwardFiles(const std::string& folder);

}  // namespace testdata
