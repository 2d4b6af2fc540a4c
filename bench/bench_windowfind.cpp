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
#include "BenchSupport.h"
#include "app/Settings.h"
#include "app/qt/MainWindow.h"
#include "find/FindReplace.h"
#include "find/TagFileSource.h"
#include "find/qt/FindDialog.h"

using namespace vorda::app;
using namespace vorda::find;
using namespace vorda::bench;

namespace fs = std::filesystem;

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
            const auto start = Clock::now();
            if (round % 4 < 2) {
                findText->setText(from);
                replaceText->setText(to);
                find->click();
                QApplication::processEvents();
                const double seconds = secondsSince(start);
                windowRates.push_back(count / seconds);
                std::printf("window round: %d files in %.3f s = %.0f files/s; %s\n", count, seconds, windowRates.back(),
                            result->text().toUtf8().constData());
            } else {
                SearchOptions search = dialog->searchOptions();
                search.findText = from;
                engine.setOptions(search);
                const BatchResult done = engine.replaceAll(to);
                const double seconds = secondsSince(start);
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
