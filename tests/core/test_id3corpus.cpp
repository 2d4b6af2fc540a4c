// SPDX-License-Identifier: GPL-2.0-or-later

// The real-world files of the shared corpus read through the file object (tag handler and audio
// reader together): no crash, and the seven general values as mutagen reads them (ID3v2 with
// the ID3v1 values filling in what ID3v2 lacks, as the handler does).
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ID3TestSupport.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace {

std::string runCapture(const std::string& command) { return id3test::commandOutput(command); }

std::string fromHex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

std::string trimEnd(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

bool allDigits(const std::string& s) {
    return !s.empty() && s.size() <= 9 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

constexpr const char* kFields[] = {"title", "artist", "album", "year", "track", "comment", "genre"};

// For every file mutagen can read: field name -> UTF-8 value ("" when mutagen has none).
std::map<std::string, std::map<std::string, std::string>> mutagenValues(const std::vector<std::string>& files) {
    std::string command =
        "/usr/bin/python3 -c '\n"
        "import sys\n"
        "from mutagen.id3 import ID3\n"
        "def first(t, key, attr=\"text\"):\n"
        "    f = t.get(key)\n"
        "    v = getattr(f, attr, None) if f is not None else None\n"
        "    return str(v[0]) if v else \"\"\n"
        "def values(t):\n"
        "    comms = t.getall(\"COMM\")\n"
        "    plain = [c for c in comms if c.desc == \"\"]\n"
        "    comm = (plain or comms or [None])[0]\n"
        "    return [first(t, \"TIT2\"), first(t, \"TPE1\"), first(t, \"TALB\"), first(t, \"TDRC\")[:4],\n"
        "            first(t, \"TRCK\"), str(comm.text[0]) if comm is not None and comm.text else \"\",\n"
        "            first(t, \"TCON\", \"genres\")]\n"
        "for path in sys.argv[1:]:\n"
        "    try:\n"
        "        merged = values(ID3(path))\n"
        "    except Exception:\n"
        "        continue\n"
        "    try:\n"
        "        v2 = values(ID3(path, load_v1=False))\n"
        "    except Exception:\n"
        "        v2 = [\"\"] * 7\n"
        "    # the ID3v2 value, else what ID3v1 adds\n"
        "    out = [a or b for a, b in zip(v2, merged)]\n"
        "    print(path + \"\\t\" + \"\\t\".join(v.encode(\"utf-8\", \"surrogatepass\").hex() for v in out))\n"
        "'";
    for (const std::string& f : files) command += " '" + f + "'";
    std::map<std::string, std::map<std::string, std::string>> result;
    std::istringstream lines(runCapture(command + " 2>/dev/null"));
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> parts;
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, '\t')) parts.push_back(cell);
        if (parts.size() == 7) parts.emplace_back();  // an empty last value leaves no cell
        if (parts.size() != 8) continue;
        auto& values = result[parts[0]];
        for (size_t i = 0; i < 7; ++i) values[kFields[i]] = fromHex(parts[i + 1]);
    }
    return result;
}

}  // namespace

TEST(ID3Corpus, EveryFileReadsThroughTheFileObjectLikeMutagen) {
    const std::filesystem::path corpus = VORDA_CORPUS_DIR;
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(corpus))
        if (entry.is_regular_file() && entry.path().filename() != "README.md") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());

    const bool haveMutagen = std::system("/usr/bin/python3 -c 'import mutagen' 2>/dev/null") == 0;
    if (!haveMutagen) std::fprintf(stderr, "mutagen not found: the corpus is only read, not compared\n");
    const auto peers = haveMutagen ? mutagenValues(files) : decltype(mutagenValues(files)){};
    if (haveMutagen) EXPECT_GE(peers.size(), 10u);

    // Files with other extensions (bare tags) are read through links named .mp3.
    std::string links = (std::filesystem::temp_directory_path() / "vorda_corpus_XXXXXX").string();
    ASSERT_NE(::mkdtemp(links.data()), nullptr);
    size_t compared = 0;
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        std::string asMp3 = path;
        if (std::filesystem::path(path).extension() != ".mp3") {
            asMp3 = links + "/" + std::filesystem::path(path).filename().string() + ".mp3";
            std::filesystem::create_symlink(path, asMp3);
        }
        AudioFile file;
        ASSERT_TRUE(file.readFile(asMp3, true));
        const std::map<std::string, std::string> ours = {
            {"title", file.tag().getValue(tvTitle)}, {"artist", file.tag().getValue(tvArtist)},
            {"album", file.tag().getValue(tvAlbum)}, {"year", file.tag().getValue(tvYear)},
            {"track", file.tag().getValue(tvTrack)}, {"comment", file.tag().getValue(tvComment)},
            {"genre", file.tag().getValue(tvGenre)}};
        for (int i = -1; i <= 12; ++i) file.audio().getInfo(i);
        EXPECT_EQ(file.fileSize(), static_cast<int64_t>(std::filesystem::file_size(path)));

        const auto peer = peers.find(path);
        if (peer == peers.end()) continue;
        ++compared;
        for (const char* field : kFields) {
            const std::string theirs = trimEnd(peer->second.at(field));
            // Only values mutagen reads are compared.
            if (theirs.empty()) continue;
            std::string mine = trimEnd(ours.at(field));
            if (std::string(field) == "year") {
                mine = mine.substr(0, 4);
                // mutagen writes the year as a four-digit time stamp ("0" becomes "0000").
                if (allDigits(mine) && allDigits(theirs)) {
                    EXPECT_EQ(std::stoi(mine), std::stoi(theirs)) << field;
                    continue;
                }
            }
            EXPECT_EQ(mine, theirs) << field;
        }
    }
    std::filesystem::remove_all(links);
    if (haveMutagen) EXPECT_GE(compared, 10u);
}
