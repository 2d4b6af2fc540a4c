// SPDX-License-Identifier: GPL-2.0-or-later

// "Save tags" from the window: one edited field saved into N selected files whose ID3v2 tags
// have room, with the window's progress bar, status bar and list rows updating as in use.
// The window is opened offscreen in a private home; the files are copies of one file tagged by
// mutagen (ID3v2.3 with 1 KB padding and ID3v1). The same save is then timed through the
// several-files command alone, on the window's list but without any screen update, so the cost
// of the updates shows as a share of the window run.
//
//   bench_windowsave [FILES=5000] [FOLDER=/tmp/vorda-bench-windowsave] [ROUNDS=7]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "../tests/support/PrivateHome.h"
#include "BenchSupport.h"
#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/Settings.h"
#include "app/UserInterface.h"
#include "app/qt/MainWindow.h"
#include "editing/SaveTagsCommand.h"
#include "editing/TagPanes.h"
#include "editing/qt/TagEditor.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;
using namespace vorda::bench;

namespace fs = std::filesystem;

namespace {

// Answers OK and counts the progress updates; shows nothing.
class SilentUI : public UserInterface {
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

// When the confirmation was answered: the save loop runs from there.
Clock::time_point answeredAt;

// Clicks OK (or Yes) on the confirmation as soon as it is up.
void answerNextQuestion() {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        QAbstractButton* button = box->button(QMessageBox::Ok);
        if (!button) button = box->button(QMessageBox::Yes);
        if (!button) return;
        timer->stop();
        timer->deleteLater();
        answeredAt = Clock::now();
        button->click();
    });
    timer->start();
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
    const std::string folder = argc > 2 ? argv[2] : "/tmp/vorda-bench-windowsave";
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 7;

    // The window reads and writes its settings in a private home.
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    vorda::testsupport::PrivateHomeOptions options;
    options.musicDir = QFile::encodeName(home.path());
    if (!vorda::testsupport::usePrivateHome(home, options)) return 1;
    QApplication app(argc, argv);

    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder + "/files");
    const std::string base = folder + "/template.mp3";
    if (!makeTemplate(base)) {
        std::fprintf(stderr, "mutagen could not tag %s\n", base.c_str());
        return 1;
    }
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%05d.mp3", i);
        paths.push_back(folder + "/files/" + name);
        fs::copy_file(base, paths.back());
    }

    std::vector<double> windowRates, loopRates, commandRates;
    {
        MainWindow w;
        w.show();
        QApplication::processEvents();
        w.addFiles(paths, false);
        QApplication::processEvents();
        w.findChild<QAction*>(QStringLiteral("mnuSelectAll"))->trigger();
        QApplication::processEvents();
        if (w.list().selectedCount() != count || !w.commands().bMultiChange) {
            std::fprintf(stderr, "selection failed: %d of %d selected\n", static_cast<int>(w.list().selectedCount()),
                         count);
            return 1;
        }
        TagEditor* editor = w.tagEditor();
        int barUpdates = 0;
        QObject::connect(w.findChild<QProgressBar*>(QStringLiteral("ProgressBar")), &QProgressBar::valueChanged,
                         [&barUpdates](int) { ++barUpdates; });

        // The same save through the command alone, on the window's list, with no screen update.
        SilentUI ui;
        ListCommands cmds(w.list(), ui, settings());
        cmds.nrTotalFiles = w.list().count();
        cmds.bMultiChange = true;

        // Window and command rounds take turns so both meet the same state of the disk cache.
        for (int round = 0; round < rounds; ++round) {
            // One edited field: the title, marked by typing.
            editor->txtField[TagField::Title]->setText(QString("Window title %1").arg(round));
            if (!editor->collect().chkField[TagField::Title]) {
                std::fprintf(stderr, "the title field was not marked\n");
                return 1;
            }
            answerNextQuestion();
            barUpdates = 0;
            auto start = Clock::now();
            editor->cmdSaveTags->click();
            const auto end = Clock::now();
            double seconds = std::chrono::duration<double>(end - start).count();
            const double loopSeconds = std::chrono::duration<double>(end - answeredAt).count();
            windowRates.push_back(count / seconds);
            loopRates.push_back(count / loopSeconds);
            AudioFile check;
            check.readFile(paths.back(), true);
            std::printf("window round %d: %d files in %.3f s = %.0f files/s (%.3f s = %.0f files/s after the "
                        "confirmation); %d progress bar changes; last file's title \"%s\"\n",
                        round + 1, count, seconds, windowRates.back(), loopSeconds, loopRates.back(), barUpdates,
                        check.tag().getValue(ValueKey::V2Title).c_str());
            QApplication::processEvents();

            TagPanes panes;
            clearTagPanes(panes, settings().advancedMode, true);
            panes.setField(TagField::Title, "Command title " + std::to_string(round));
            ui.progressCalls = 0;
            SaveTagsCommand save(cmds, ui, settings());
            start = Clock::now();
            const auto outcome = save.run(panes);
            seconds = secondsSince(start);
            commandRates.push_back(save.filesSaved() / seconds);
            std::printf(
                "command round %d: %d files saved (%d failed) in %.3f s = %.0f files/s; %lld progress calls%s\n",
                round + 1, save.filesSaved(), save.filesFailed(), seconds, commandRates.back(), ui.progressCalls,
                outcome == SaveTagsCommand::Outcome::Saved ? "" : " (not saved)");
        }
        w.close();
    }
    const double windowRate = median(windowRates), loopRate = median(loopRates), commandRate = median(commandRates);
    std::printf("medians: from the window %.0f files/s with the confirmation, %.0f files/s after it "
                "(target >= 5000); command alone %.0f files/s; the window's progress, status and row updates "
                "cost %.1f%% of the save loop\n",
                windowRate, loopRate, commandRate, commandRate > 0 ? 100.0 * (1.0 - loopRate / commandRate) : 0.0);
    fs::remove_all(folder, ec);
    return 0;
}
