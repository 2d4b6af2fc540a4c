// SPDX-License-Identifier: GPL-2.0-or-later

// Helpers of the sort, rename and folder command tests: small tagged MPEG files and a list
// with its commands on a scripted user interface.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "ID3TestSupport.h"
#include "ListTestSupport.h"
#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/Settings.h"

namespace namingtest {

// Writes an MPEG file with an ID3v2.3 tag holding the given values (empty ones are left out).
inline void writeMp3(const std::string& path, const std::string& artist, const std::string& album,
                     const std::string& title, const std::string& track = "", const std::string& year = "") {
    std::vector<std::pair<std::string, std::string>> frames;
    if (!artist.empty()) frames.emplace_back("TPE1", artist);
    if (!album.empty()) frames.emplace_back("TALB", album);
    if (!title.empty()) frames.emplace_back("TIT2", title);
    if (!track.empty()) frames.emplace_back("TRCK", track);
    if (!year.empty()) frames.emplace_back("TYER", year);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    id3test::writeBytes(path, id3test::v23Tag(frames, 32) + id3test::mp3Audio(2, static_cast<uint32_t>(path.size())));
}

inline bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// Every regular file below folder, relative to it, sorted.
inline std::vector<std::string> filesBelow(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        if (e.is_regular_file()) files.push_back(std::filesystem::relative(e.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

// A file list with its commands, a scripted user interface and settings of its own.
struct ListFixture {
    vorda::app::Settings s;
    vorda::app::FileList rows;
    listtest::RecordingUI ui;
    vorda::app::ListCommands list{rows, ui, s};

    void add(const std::string& path) {
        list.addToFileList(std::filesystem::path(path).filename().string(),
                           std::filesystem::path(path).parent_path().string() + "/");
    }
    // The texts of every message box shown, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> texts;
        for (const auto& q : ui.questions) texts.push_back(q.text);
        return texts;
    }
};

}  // namespace namingtest
