// SPDX-License-Identifier: GPL-2.0-or-later

// "Save tags" into many selected files: one edited field written into N files whose ID3v2
// tags have room (in place), through the several-files save command as the window runs it.
// The files are copies of one file tagged by mutagen (ID3v2.3 with 1 KB padding and ID3v1).
//
//   bench_savemany [FILES=5000] [FOLDER=/tmp/vorda-bench-savemany] [ROUNDS=3]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "BenchSupport.h"
#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/Settings.h"
#include "app/UserInterface.h"
#include "editing/SaveTagsCommand.h"
#include "editing/TagPanes.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::editing;
using namespace vorda::bench;

namespace fs = std::filesystem;

namespace {

// Answers OK and counts how often the loop updates the progress bar.
class CountingUI : public UserInterface {
public:
    MessageAnswer ask(const std::string&, MessageButtons, MessageIcon, const std::string&) override {
        return MessageAnswer::Ok;
    }
    void setStatus(int panel, const std::string& text) override {
        if (panel == 3) status = text;
    }
    void setProgress(long long, long long) override { ++progressCalls; }
    long long progressCalls = 0;
    std::string status;
};

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
    const std::string folder = argc > 2 ? argv[2] : "/tmp/vorda-bench-savemany";
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;

    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder + "/files");
    const std::string base = folder + "/template.mp3";
    if (!makeTemplate(base)) {
        std::fprintf(stderr, "mutagen could not tag %s\n", base.c_str());
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%05d.mp3", i);
        fs::copy_file(base, folder + "/files/" + name);
    }

    Settings& s = settings();
    s.advancedMode = true;
    s.useId3v1 = TagUse::IfWanted;
    s.useId3v2 = TagUse::IfWanted;
    s.useLyrics3 = TagUse::IfWanted;

    FileList list;
    CountingUI ui;
    ListCommands cmds(list, ui, s);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%05d.mp3", i);
        cmds.addToFileList(name, folder + "/files/");
    }
    cmds.nrTotalFiles = list.count();
    cmds.selectAllFiles();

    double best = 0;
    for (int round = 0; round < rounds; ++round) {
        TagPanes panes;
        clearTagPanes(panes, true, true);
        panes.setEnabled(TagSwitch::Id3v2, true);
        panes.setField(TagField::Title, "Saved title " + std::to_string(round));
        ui.progressCalls = 0;
        SaveTagsCommand save(cmds, ui, s);
        const auto start = Clock::now();
        const auto outcome = save.run(panes);
        const double seconds = secondsSince(start);
        const double rate = save.filesSaved() / seconds;
        best = std::max(best, rate);
        std::printf("round %d: %d files saved (%d failed) in %.3f s = %.0f files/s; %lld progress updates; \"%s\"%s\n",
                    round + 1, save.filesSaved(), save.filesFailed(), seconds, rate, ui.progressCalls,
                    ui.status.c_str(), outcome == SaveTagsCommand::Outcome::Saved ? "" : " (not saved)");
    }
    AudioFile check;
    check.readFile(folder + "/files/00000.mp3", true);
    std::printf("best: %.0f files/s (target >= 5000); first file's title now \"%s\"\n", best,
                check.tag().getValue(ValueKey::V2Title).c_str());
    fs::remove_all(folder, ec);
    return 0;
}
