// SPDX-License-Identifier: GPL-2.0-or-later

// The file list's "Media player" pop-up on the real main window offscreen, against the test player
// on a private session bus: the selected rows enqueued in list order, enqueue and play, open file,
// the transport entries, and the message when there is no player.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <string>
#include <vector>

#include "../gui/GuiTestSupport.h"
#include "ID3TestSupport.h"
#include "PrivateBus.h"
#include "app/Settings.h"
#include "app/qt/MainWindow.h"
#include "player/FileUri.h"

using vorda::app::MainWindow;

namespace {

QString uriOf(const std::string& path) { return QString::fromStdString(vorda::player::fileUri(path)); }

// Answers every message box with OK as soon as it is up, keeping its title and text.
class MessageRecorder : public QObject {
public:
    MessageRecorder() {
        connect(&poll_, &QTimer::timeout, this, [this] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(top);
                if (!box || !box->isVisible()) continue;
                messages << box->windowTitle() + QStringLiteral(": ") + box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        poll_.start(20);
    }
    QStringList messages;

private:
    QTimer poll_;
};

}  // namespace

class PlayerWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const QString failure = bus_.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(dir_.isValid());
        // No player of the machine is ever found: the known players are looked for in the test's folder.
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("bin")));
        qputenv("PATH", QFile::encodeName(dir_.filePath(QStringLiteral("bin"))));
        for (const char* name : {"01 one.mp3", "02 two #2.mp3", "03 three.mp3", "04 four.mp3"}) {
            const std::string path = QFile::encodeName(dir_.filePath(QString::fromLatin1(name))).toStdString();
            id3test::writeBytes(path, id3test::mp3Audio(8));
            paths_.push_back(path);
        }
    }

    void init() {
        w_ = std::make_unique<MainWindow>();
        w_->resize(900, 700);
        w_->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
        w_->addFiles(paths_, false);
        w_->sortByColumnClick(1);
        QCOMPARE(w_->list().count(), 4);
        for (int row = 1; row <= 4; ++row) QCOMPARE(w_->list().getFullPath(row), paths_[row - 1]);
        vorda::app::settings().playerPath.clear();
        recorder_ = std::make_unique<MessageRecorder>();
    }
    void cleanup() {
        recorder_.reset();
        w_.reset();
        QVERIFY(bus_.quitPlayers());
        QFile::remove(dir_.filePath(QStringLiteral("bin/vlc")));
    }

    void enqueueTheSelectedRowsInListOrder() {
        for (const char* name : {"mnuWAEnqueuePlay", "mnuWAEnqueue", "mnuWAOpenFile", "mnuWANext", "mnuWAPrevious",
                                 "mnuWAPlay", "mnuWAPause", "mnuWAStop"})
            QVERIFY2(guitest::child<QAction>(*w_, name)->isEnabled(), name);
        QCOMPARE(guitest::child<QMenu>(*w_, "mnuWinamp")->title(), QStringLiteral("Media player"));

        // Not running: the window starts the player, and goes on while it comes up.
        playertest::writePlayer(dir_.filePath(QStringLiteral("bin/vlc")), "vlc",
                                "--shuffle --appear-after 500 --track file:///before.mp3");
        clickRow(4);
        clickRow(1, Qt::ControlModifier);
        clickRow(3, Qt::ControlModifier);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start(10);
        guitest::child<QAction>(*w_, "mnuWAEnqueuePlay")->trigger();
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));

        const QStringList added = {uriOf(paths_[0]), uriOf(paths_[2]), uriOf(paths_[3])};
        QCOMPARE(bus_.ask("vlc", "Playlist"), QStringList{"file:///before.mp3"} + added);
        QCOMPARE(bus_.ask("vlc", "Current"), QStringList{added[0]});
        QCOMPARE(bus_.ask("vlc", "Status"), QStringList{"Playing"});
        QVERIFY(!bus_.ask("vlc", "Calls").join(' ').contains(QStringLiteral("Shuffle")));

        // Enqueue adds the selected rows at the end and leaves the current track alone.
        clickRow(2);
        guitest::child<QAction>(*w_, "mnuWAEnqueue")->trigger();
        QCOMPARE(bus_.ask("vlc", "Playlist").constLast(), uriOf(paths_[1]));
        QCOMPARE(bus_.ask("vlc", "Current"), QStringList{added[0]});
        QCOMPARE(recorder_->messages, QStringList());
    }

    void openFileAndTheTransportEntries() {
        playertest::writePlayer(dir_.filePath(QStringLiteral("bin/vlc")), "vlc");
        QVERIFY(bus_.startPlayer(dir_.filePath(QStringLiteral("bin/vlc")), "vlc"));
        // With several rows selected "Open file" does nothing; with one it opens that one.
        clickRow(1);
        clickRow(2, Qt::ControlModifier);
        QVERIFY(w_->commands().bMultiChange);
        guitest::child<QAction>(*w_, "mnuWAOpenFile")->trigger();
        clickRow(2);
        guitest::child<QAction>(*w_, "mnuWAOpenFile")->trigger();
        for (const char* name : {"mnuWAPlay", "mnuWAPause", "mnuWANext", "mnuWAPrevious", "mnuWAStop"})
            guitest::child<QAction>(*w_, name)->trigger();
        QCOMPARE(bus_.ask("vlc", "Calls"),
                 QStringList({"OpenUri " + uriOf(paths_[1]), "Play", "PlayPause", "Next", "Previous", "Stop"}));
        QCOMPARE(recorder_->messages, QStringList());
    }

    void withoutAPlayerEveryEntrySaysSoButOpenFile() {
        const QString notFound = QStringLiteral("Player Not Found: Media player could not be found!");
        clickRow(1);
        clickRow(2, Qt::ControlModifier);
        clickRow(4, Qt::ControlModifier);
        guitest::child<QAction>(*w_, "mnuWAEnqueuePlay")->trigger();
        QCOMPARE(recorder_->messages, QStringList(3, notFound));
        guitest::child<QAction>(*w_, "mnuWAEnqueue")->trigger();
        QCOMPARE(recorder_->messages.size(), 6);

        recorder_->messages.clear();
        for (const char* name : {"mnuWAPlay", "mnuWAPause", "mnuWANext", "mnuWAPrevious", "mnuWAStop"})
            guitest::child<QAction>(*w_, name)->trigger();
        QCOMPARE(recorder_->messages, QStringList(5, notFound));
        QVERIFY(!w_->panelText(3).isEmpty());

        recorder_->messages.clear();
        clickRow(3);
        guitest::child<QAction>(*w_, "mnuWAOpenFile")->trigger();
        QTest::qWait(100);
        QCOMPARE(recorder_->messages, QStringList());
    }

    void theProgramOfTheSettingsIsUsed() {
        // A known player on PATH is not started when another program is configured.
        const QString starts = dir_.filePath(QStringLiteral("starts"));
        playertest::writeScript(dir_.filePath(QStringLiteral("bin/vlc")),
                                QStringLiteral("echo started >> '%1'").arg(starts));
        const QString program = playertest::writePlayer(dir_.filePath(QStringLiteral("opt/myplayer")), "myplayer");
        vorda::app::settings().playerPath = QFile::encodeName(program).toStdString();
        clickRow(3);
        guitest::child<QAction>(*w_, "mnuWAPlay")->trigger();
        QCOMPARE(bus_.ask("myplayer", "Calls"), QStringList{"Play"});
        QVERIFY(!QFile::exists(starts));
    }

private:
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        auto* list = guitest::child<QTableView>(*w_, "lstFiles2");
        const QModelIndex index = list->model()->index(row - 1, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualRect(index).center());
        QCoreApplication::processEvents();
    }

    playertest::PrivateBus bus_;
    QTemporaryDir dir_;
    std::vector<std::string> paths_;
    std::unique_ptr<MainWindow> w_;
    std::unique_ptr<MessageRecorder> recorder_;
};

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid() || !guitest::usePrivateHome(home)) return 1;
    QApplication app(argc, argv);
    PlayerWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_player_window.moc"
