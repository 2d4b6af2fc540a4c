// SPDX-License-Identifier: GPL-2.0-or-later

// "Replace All" of the find dialog from the window: FILES listed files, one in ten holding the
// text in its title, every file read and the matching ones written and shown again in the list.
// The window is opened offscreen in a private home; the files are copies of two files tagged by
// mutagen (ID3v2.3 with 1 KB padding and ID3v1), one with the text and one without. Rounds
// replace "Love" by "Hate" and back, so every round has the same matches. The same replacement
// is then timed through the find engine alone on the same files, so the window's share shows.
//
//   bench_windowfind [FILES=10000] [FOLDER=/tmp/vorda-bench-windowfind] [ROUNDS=7]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "../tests/support/PrivateHome.h"
#include "app/Settings.h"
#include "app/qt/MainWindow.h"
#include "find/FindReplace.h"
#include "find/TagFileSource.h"
#include "find/qt/FindDialog.h"

using namespace vorda::app;
using namespace vorda::find;

namespace fs = std::filesystem;

namespace {

// One second of MPEG-1 layer III frames (128 kbit/s, 44.1 kHz).
std::string audioFrames() {
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

bool makeTemplate(const std::string& path, const std::string& title) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << audioFrames();
    const std::string script =
        "import sys\nfrom mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TDRC, COMM\n"
        "t=ID3()\nt.add(TIT2(encoding=0,text=sys.argv[2]))\nt.add(TPE1(encoding=0,text='Artist'))\n"
        "t.add(TALB(encoding=0,text='Album'))\nt.add(TRCK(encoding=0,text='3'))\n"
        "t.add(TDRC(encoding=0,text='2001'))\nt.add(COMM(encoding=0,lang='eng',desc='',text='Comment'))\n"
        "t.save(sys.argv[1], v1=2, v2_version=3, padding=lambda info: 1024)\n";
    ::setenv("VORDA_SCRIPT", script.c_str(), 1);
    const std::string command = "/usr/bin/python3 -c \"$VORDA_SCRIPT\" '" + path + "' '" + title + "'";
    return std::system(command.c_str()) == 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const std::string folder = argc > 2 ? argv[2] : "/tmp/vorda-bench-windowfind";
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 7;

    QTemporaryDir home;
    if (!home.isValid()) return 1;
    vorda::testsupport::PrivateHomeOptions options;
    options.musicDir = QFile::encodeName(home.path());
    if (!vorda::testsupport::usePrivateHome(home, options)) return 1;
    QApplication app(argc, argv);

    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder + "/files");
    const std::string matching = folder + "/matching.mp3", other = folder + "/other.mp3";
    if (!makeTemplate(matching, "Love Song") || !makeTemplate(other, "Another Song")) {
        std::fprintf(stderr, "mutagen could not tag the templates\n");
        return 1;
    }
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%05d.mp3", i);
        paths.push_back(folder + "/files/" + name);
        fs::copy_file(i % 10 == 0 ? matching : other, paths.back());
    }

    std::vector<double> windowRates, engineRates;
    {
        MainWindow w;
        w.show();
        QApplication::processEvents();
        w.addFiles(paths, false);
        QApplication::processEvents();
        w.findChild<QAction*>(QStringLiteral("mnuFindReplace"))->trigger();
        FindDialog* dialog = w.findDialog();
        auto* findText = dialog->findChild<QLineEdit*>(QStringLiteral("txtFind"));
        auto* replaceText = dialog->findChild<QLineEdit*>(QStringLiteral("txtReplace"));
        auto* result = dialog->findChild<QLabel*>(QStringLiteral("lblResult"));
        dialog->findChild<QCheckBox*>(QStringLiteral("chkReplaceAll"))->setChecked(true);
        auto* find = dialog->findChild<QPushButton*>(QStringLiteral("cmdFind"));

        // The engine alone on the same files: a list of paths, the same settings.
        std::vector<TagFileRow> rows;
        for (const std::string& path : paths) rows.push_back({path, false});
        TagFileSource source(rows);
        source.setOptions(tagOptions(settings()));
        FindReplace engine(source);

        const char* texts[2] = {"Love", "Hate"};
        for (int round = 0; round < 2 * rounds; ++round) {
            const char* from = texts[round % 2];
            const char* to = texts[1 - round % 2];
            const auto start = std::chrono::steady_clock::now();
            if (round % 4 < 2) {
                findText->setText(from);
                replaceText->setText(to);
                find->click();
                QApplication::processEvents();
                const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                windowRates.push_back(count / seconds);
                std::printf("window round: %d files in %.3f s = %.0f files/s; %s\n", count, seconds, windowRates.back(),
                            result->text().toUtf8().constData());
            } else {
                SearchOptions search = dialog->searchOptions();
                search.findText = from;
                engine.setOptions(search);
                const BatchResult done = engine.replaceAll(to);
                const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                engineRates.push_back(count / seconds);
                std::printf("engine round: %d files in %.3f s = %.0f files/s; %s\n", count, seconds, engineRates.back(),
                            changeSummary(done).c_str());
            }
        }
        w.close();
    }
    const double windowRate = median(windowRates), engineRate = median(engineRates);
    std::printf("medians: Replace All from the window %.0f files/s (target >= 5000), the engine alone %.0f "
                "files/s; the window's share %.1f%%\n",
                windowRate, engineRate, engineRate > 0 ? 100.0 * (1.0 - windowRate / engineRate) : 0.0);
    fs::remove_all(folder, ec);
    return 0;
}
