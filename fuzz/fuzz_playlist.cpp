// SPDX-License-Identifier: GPL-2.0-or-later

// Imports arbitrary bytes as an M3U and as a PLS playlist into a fresh file list.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/Settings.h"
#include "app/UserInterface.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace {

const std::string& WorkFolder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/vorda-fuzz-playlist-XXXXXX";
        if (!::mkdtemp(pattern.data())) std::abort();
        // A few real files for entries to find.
        for (const char* name : {"/a.mp3", "/b.mp3", "/c.txt"}) {
            if (FILE* f = std::fopen((pattern + name).c_str(), "wb")) std::fclose(f);
        }
        static std::string made;
        made = pattern;
        std::atexit([] {
            for (const char* name : {"/a.mp3", "/b.mp3", "/c.txt", "/list.m3u", "/list.pls"})
                std::remove((made + name).c_str());
            ::rmdir(made.c_str());
        });
        return pattern + "/";
    }();
    return folder;
}

void ImportAs(const std::string& path, const uint8_t* data, size_t size) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return;
    }
    vorda::app::FileList list;
    vorda::app::SilentUserInterface ui;
    vorda::app::Settings settings;
    settings.autoReadTags = false;
    vorda::app::ListCommands commands(list, ui, settings);
    commands.importPlaylist(path);
    for (int row = 1; row <= list.count(); ++row) {
        if (list.getFullPath(row).empty()) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& folder = WorkFolder();
    ImportAs(folder + "list.m3u", data, size);
    ImportAs(folder + "list.pls", data, size);
    return 0;
}
