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

// One second of MPEG-1 layer III frames (128 kbit/s, 44.1 kHz).
std::string AudioFrames() {
    std::string out;
    uint32_t seed = 7;
    for (int f = 0; f < 38; ++f) {
        out.append("\xFF\xFB\x90\x00", 4);
        for (int i = 0; i < 413; ++i) {
            seed = seed * 1103515245u + 12345u;
            out += static_cast<char>((seed >> 16) & 0x7F);
        }
    }
    return out;
}

bool MakeTemplate(const std::string& path) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << AudioFrames();
    const std::string script =
        "import sys\nfrom mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TDRC, COMM\n"
        "t=ID3()\nt.add(TIT2(encoding=0,text='Title'))\nt.add(TPE1(encoding=0,text='Artist'))\n"
        "t.add(TALB(encoding=0,text='Album'))\nt.add(TRCK(encoding=0,text='3'))\n"
        "t.add(TDRC(encoding=0,text='2001'))\nt.add(COMM(encoding=0,lang='eng',desc='',text='Comment'))\n"
        "t.save(sys.argv[1], v1=2, v2_version=3, padding=lambda info: 1024)\n";
    const std::string command = "/usr/bin/python3 -c \"$VORDA_SCRIPT\" '" + path + "'";
    ::setenv("VORDA_SCRIPT", script.c_str(), 1);
    return std::system(command.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
    const std::string folder = argc > 2 ? argv[2] : "/tmp/vorda-bench-savemany";
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;

    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder + "/files");
    const std::string base = folder + "/template.mp3";
    if (!MakeTemplate(base)) {
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
        const auto start = std::chrono::steady_clock::now();
        const auto outcome = save.run(panes);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
