// SPDX-License-Identifier: GPL-2.0-or-later

// The media player remote against the test player (mpris_test_player) on a private session bus.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <signal.h>

#include "PrivateBus.h"
#include "player/FileUri.h"
#include "player/qt/MprisRemote.h"

using namespace vorda::player;
using namespace std::chrono_literals;

namespace {

using playertest::kMprisPrefix;
using playertest::writeScript;

QString uriOf(const QString& path) { return QString::fromStdString(fileUri(QFile::encodeName(path).toStdString())); }

std::vector<std::string> pathsOf(const QStringList& paths) {
    std::vector<std::string> result;
    for (const QString& path : paths) result.push_back(QFile::encodeName(path).toStdString());
    return result;
}

}  // namespace

class PlayerRemoteTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void enqueueAndPlayThroughTheTrackList();
    void enqueueAndPlayWithoutTrackList();
    void enqueueThroughTheCommandLine_data();
    void enqueueThroughTheCommandLine();
    void enqueueCommandLineThatFails();
    void configuredPlayerWithoutAWayToEnqueue();
    void transportCommandsAndShuffle();
    void openFileSendsItsUri();
    void noPlayerProgram();
    void runningPlayerWithoutItsProgramIsNotUsed();
    void noSessionBus();
    void startsThePlayerAndKeepsTheEventLoopRunning();
    void startedPlayerThatNeverAppearsIsWaitedForOnce();
    void playerThatNeverAnswersCostsOneTimeout();

private:
    QDBusConnection bus() const { return bus_.connection(); }
    // A program in the test's bin folder that runs the test player under name with arguments.
    QString writePlayer(const QString& name, const QString& arguments = QString(), const QString& folder = "bin");
    bool startPlayer(const QString& program, const QString& name) { return bus_.startPlayer(program, name); }
    QStringList testPlayer(const QString& name, const QString& method) { return bus_.ask(name, method); }
    QStringList mprisNames() const { return bus_.mprisNames(); }
    RemoteOptions optionsFor(const QString& folder = "bin") const;
    QString path(const QString& relative) const { return dir_->filePath(relative); }

    playertest::PrivateBus bus_;
    std::unique_ptr<QTemporaryDir> dir_;
    QList<qint64> stoppedPlayers_;
};

void PlayerRemoteTest::initTestCase() {
    // A bus of its own: the tests never reach a player the user runs.
    const QString failure = bus_.start();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void PlayerRemoteTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("bin")));
    QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("empty")));
}

void PlayerRemoteTest::cleanup() {
    for (const qint64 pid : std::as_const(stoppedPlayers_)) ::kill(static_cast<pid_t>(pid), SIGKILL);
    stoppedPlayers_.clear();
    QVERIFY(bus_.quitPlayers());
}

QString PlayerRemoteTest::writePlayer(const QString& name, const QString& arguments, const QString& folder) {
    return playertest::writePlayer(path(folder + QLatin1Char('/') + name), name, arguments);
}

RemoteOptions PlayerRemoteTest::optionsFor(const QString& folder) const {
    RemoteOptions options;
    options.searchPath = QFile::encodeName(path(folder)).toStdString();
    options.startLimit = 10s;
    options.callLimit = 3s;
    return options;
}

void PlayerRemoteTest::enqueueAndPlayThroughTheTrackList() {
    writePlayer(QStringLiteral("vlc"), QStringLiteral("--shuffle --track file:///music/before.mp3"));
    const QStringList files = {path("a b.mp3"), path("#2?.mp3"), path("c%20.mp3")};
    MprisRemote remote(bus());
    remote.setOptions(optionsFor());

    // The remote starts the player itself.
    const auto outcomes = remote.enqueueFiles(pathsOf(files), EnqueueMode::PlayFirst);
    QCOMPARE(outcomes, std::vector<RemoteOutcome>(3, RemoteOutcome::Done));

    const QString vlc = QStringLiteral("vlc");
    QCOMPARE(testPlayer(vlc, "Playlist"), QStringList({QStringLiteral("file:///music/before.mp3"), uriOf(files[0]),
                                                       uriOf(files[1]), uriOf(files[2])}));
    QCOMPARE(testPlayer(vlc, "Current"), QStringList{uriOf(files[0])});
    QCOMPARE(testPlayer(vlc, "Status"), QStringList{QStringLiteral("Playing")});
    QCOMPARE(testPlayer(vlc, "Calls"),
             QStringList({QStringLiteral("AddTrack %1 after file:///music/before.mp3 current").arg(uriOf(files[0])),
                          QStringLiteral("Play"),
                          QStringLiteral("AddTrack %1 after %2").arg(uriOf(files[1]), uriOf(files[0])),
                          QStringLiteral("AddTrack %1 after %2").arg(uriOf(files[2]), uriOf(files[1]))}));
    const ShuffleState shuffle = remote.shuffle();
    QCOMPARE(shuffle.outcome, RemoteOutcome::Done);
    QVERIFY(shuffle.on);

    // Into an empty list the first file goes at the start.
    QVERIFY(startPlayer(writePlayer(QStringLiteral("clementine"), QString(), "bin2"), QStringLiteral("clementine")));
    remote.setOptions(optionsFor("bin2"));
    QCOMPARE(remote.enqueue(pathsOf({files[1]}).front()), RemoteOutcome::Done);
    QCOMPARE(testPlayer(QStringLiteral("clementine"), "Calls"),
             QStringList{
                 QStringLiteral("AddTrack %1 after /org/mpris/MediaPlayer2/TrackList/NoTrack").arg(uriOf(files[1]))});
    QCOMPARE(testPlayer(QStringLiteral("clementine"), "Status"), QStringList{QStringLiteral("Stopped")});
}

void PlayerRemoteTest::enqueueAndPlayWithoutTrackList() {
    const QString audacious = QStringLiteral("audacious");
    QVERIFY(startPlayer(writePlayer(audacious, QStringLiteral("--no-tracklist --shuffle")), audacious));
    const QStringList files = {path("1.mp3"), path("2.mp3"), path("3.mp3")};
    MprisRemote remote(bus());
    remote.setOptions(optionsFor());

    QCOMPARE(remote.enqueueFiles(pathsOf(files), EnqueueMode::PlayFirst),
             std::vector<RemoteOutcome>(3, RemoteOutcome::Done));
    QCOMPARE(testPlayer(audacious, "Playlist"), QStringList({uriOf(files[0]), uriOf(files[1]), uriOf(files[2])}));
    QCOMPARE(testPlayer(audacious, "Current"), QStringList{uriOf(files[0])});
    QCOMPARE(testPlayer(audacious, "Status"), QStringList{QStringLiteral("Playing")});
    QCOMPARE(testPlayer(audacious, "Calls"), QStringList({QStringLiteral("OpenUri ") + uriOf(files[0]),
                                                          QStringLiteral("CommandLine ") + uriOf(files[1]),
                                                          QStringLiteral("CommandLine ") + uriOf(files[2])}));
    QVERIFY(remote.shuffle().on);
}

void PlayerRemoteTest::enqueueThroughTheCommandLine_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("client");
    QTest::newRow("audacious") << QStringLiteral("audacious") << false;
    QTest::newRow("vlc") << QStringLiteral("vlc") << false;
    QTest::newRow("strawberry") << QStringLiteral("strawberry") << false;
    QTest::newRow("clementine") << QStringLiteral("clementine") << false;
    QTest::newRow("rhythmbox") << QStringLiteral("rhythmbox") << true;
}

void PlayerRemoteTest::enqueueThroughTheCommandLine() {
    QFETCH(QString, name);
    QFETCH(bool, client);
    const QString program = writePlayer(name, QStringLiteral("--no-tracklist"));
    if (client) writePlayer(name + QStringLiteral("-client"), QStringLiteral("--name ") + name);
    QVERIFY(startPlayer(program, name));
    const QStringList files = {path("x.mp3"), path("y y.mp3"), path("z.mp3")};
    MprisRemote remote(bus());
    remote.setOptions(optionsFor());

    QCOMPARE(remote.enqueueFiles(pathsOf(files), EnqueueMode::AppendAll),
             std::vector<RemoteOutcome>(3, RemoteOutcome::Done));
    QCOMPARE(testPlayer(name, "Calls"), QStringList({QStringLiteral("CommandLine ") + uriOf(files[0]),
                                                     QStringLiteral("CommandLine ") + uriOf(files[1]),
                                                     QStringLiteral("CommandLine ") + uriOf(files[2])}));
    QCOMPARE(testPlayer(name, "Status"), QStringList{QStringLiteral("Stopped")});
}

void PlayerRemoteTest::enqueueCommandLineThatFails() {
    const QString rhythmbox = QStringLiteral("rhythmbox");
    QVERIFY(startPlayer(writePlayer(rhythmbox, QStringLiteral("--no-tracklist")), rhythmbox));
    writeScript(path("bin/rhythmbox-client"), QStringLiteral("echo 'cannot reach the player' >&2\nexit 3"));
    MprisRemote remote(bus());
    remote.setOptions(optionsFor());

    QCOMPARE(remote.enqueue(pathsOf({path("a.mp3")}).front()), RemoteOutcome::Failed);
    QVERIFY2(remote.lastError().contains(QStringLiteral("cannot reach the player")), qPrintable(remote.lastError()));
    QVERIFY(testPlayer(rhythmbox, "Playlist").isEmpty());
}

void PlayerRemoteTest::configuredPlayerWithoutAWayToEnqueue() {
    // A known player on the search path that is not running is not started: the configured one is used.
    const QString starts = path("starts");
    writeScript(path("bin/vlc"), QStringLiteral("echo started >> '%1'").arg(starts));
    const QString myPlayer = QStringLiteral("myplayer");
    const QString program = writePlayer(myPlayer, QStringLiteral("--no-tracklist"), "opt");
    QVERIFY(startPlayer(program, myPlayer));
    MprisRemote remote(bus());
    RemoteOptions options = optionsFor();
    options.configuredPath = QFile::encodeName(program).toStdString();
    remote.setOptions(options);

    const std::vector<std::string> files = pathsOf({path("a.mp3"), path("b.mp3")});
    QCOMPARE(remote.enqueue(files[0]), RemoteOutcome::Failed);
    QCOMPARE(remote.enqueueAndPlay(files[1]), RemoteOutcome::Done);
    QCOMPARE(testPlayer(myPlayer, "Calls"), QStringList{QStringLiteral("OpenUri ") + uriOf(path("b.mp3"))});
    QVERIFY(!QFile::exists(starts));
}

void PlayerRemoteTest::transportCommandsAndShuffle() {
    const QString vlc = QStringLiteral("vlc");
    QVERIFY(startPlayer(writePlayer(vlc, QStringLiteral("--track file:///1.mp3 --track file:///2.mp3")), vlc));
    MprisRemote remote(bus());
    remote.setOptions(optionsFor());

    QCOMPARE(remote.play(), RemoteOutcome::Done);
    QCOMPARE(remote.playPause(), RemoteOutcome::Done);
    QCOMPARE(testPlayer(vlc, "Status"), QStringList{QStringLiteral("Paused")});
    QCOMPARE(remote.next(), RemoteOutcome::Done);
    QCOMPARE(testPlayer(vlc, "Current"), QStringList{QStringLiteral("file:///2.mp3")});
    QCOMPARE(remote.previous(), RemoteOutcome::Done);
    QCOMPARE(remote.stop(), RemoteOutcome::Done);
    QCOMPARE(remote.shuffle().on, false);
    QCOMPARE(remote.setShuffle(true), RemoteOutcome::Done);
    const ShuffleState shuffle = remote.shuffle();
    QCOMPARE(shuffle.outcome, RemoteOutcome::Done);
    QCOMPARE(shuffle.on, true);
    QCOMPARE(remote.setShuffle(false), RemoteOutcome::Done);
    QCOMPARE(remote.shuffle().on, false);
    QCOMPARE(testPlayer(vlc, "Calls"),
             QStringList({"Play", "PlayPause", "Next", "Previous", "Stop", "Set Shuffle true", "Set Shuffle false"}));
}

void PlayerRemoteTest::openFileSendsItsUri() {
    const QString strawberry = QStringLiteral("strawberry");
    QVERIFY(startPlayer(writePlayer(strawberry), strawberry));
    MprisRemote remote(bus());
    remote.setOptions(optionsFor());

    // A name that is not UTF-8, with the characters a URI gives meaning to.
    const std::string folder = QFile::encodeName(dir_->path()).toStdString();
    QVERIFY(QRegularExpression(QStringLiteral("^[A-Za-z0-9/._-]+$")).match(dir_->path()).hasMatch());
    QCOMPARE(remote.openFile(folder + "/a b#?%\xC3\xA9\xFF.mp3"), RemoteOutcome::Done);
    QCOMPARE(testPlayer(strawberry, "Calls"),
             QStringList{QStringLiteral("OpenUri file://%1/a%20b%23%3F%25%C3%A9%FF.mp3").arg(dir_->path())});
}

void PlayerRemoteTest::noPlayerProgram() {
    MprisRemote remote(bus());
    remote.setOptions(optionsFor("empty"));
    QCOMPARE(remote.play(), RemoteOutcome::NotFound);
    QCOMPARE(remote.playPause(), RemoteOutcome::NotFound);
    QCOMPARE(remote.stop(), RemoteOutcome::NotFound);
    QCOMPARE(remote.next(), RemoteOutcome::NotFound);
    QCOMPARE(remote.previous(), RemoteOutcome::NotFound);
    QCOMPARE(remote.shuffle().outcome, RemoteOutcome::NotFound);
    QCOMPARE(remote.setShuffle(true), RemoteOutcome::NotFound);
    QCOMPARE(remote.openFile(QFile::encodeName(path("a.mp3")).toStdString()), RemoteOutcome::NotFound);
    QCOMPARE(remote.enqueueFiles(pathsOf({path("a.mp3"), path("b.mp3")}), EnqueueMode::PlayFirst),
             std::vector<RemoteOutcome>(2, RemoteOutcome::NotFound));
    QCOMPARE(remote.ensurePlayer(), RemoteOutcome::NotFound);
    QVERIFY(mprisNames().isEmpty());
}

void PlayerRemoteTest::runningPlayerWithoutItsProgramIsNotUsed() {
    const QString vlc = QStringLiteral("vlc");
    QVERIFY(startPlayer(writePlayer(vlc, QString(), "elsewhere"), vlc));
    MprisRemote remote(bus());
    remote.setOptions(optionsFor("empty"));
    QCOMPARE(remote.play(), RemoteOutcome::NotFound);
    QCOMPARE(remote.enqueue(QFile::encodeName(path("a.mp3")).toStdString()), RemoteOutcome::NotFound);
    QCOMPARE(testPlayer(vlc, "Calls"), QStringList());

    remote.setOptions(optionsFor("elsewhere"));
    QCOMPARE(remote.play(), RemoteOutcome::Done);
    QCOMPARE(testPlayer(vlc, "Calls"), QStringList{QStringLiteral("Play")});
}

void PlayerRemoteTest::noSessionBus() {
    const QString starts = path("starts");
    writeScript(path("bin/vlc"), QStringLiteral("echo started >> '%1'").arg(starts));
    MprisRemote remote(QDBusConnection(QStringLiteral("never-connected")));
    remote.setOptions(optionsFor());
    QCOMPARE(remote.play(), RemoteOutcome::NotFound);
    QCOMPARE(remote.enqueue(QFile::encodeName(path("a.mp3")).toStdString()), RemoteOutcome::NotFound);
    QVERIFY(!QFile::exists(starts));
}

void PlayerRemoteTest::startsThePlayerAndKeepsTheEventLoopRunning() {
    const QString vlc = QStringLiteral("vlc");
    writePlayer(vlc, QStringLiteral("--appear-after 600"));
    MprisRemote remote(bus());
    remote.setOptions(optionsFor());
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(10);

    QCOMPARE(remote.play(), RemoteOutcome::Done);
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QCOMPARE(testPlayer(vlc, "Calls"), QStringList{QStringLiteral("Play")});
    // Running now: the next request neither starts nor waits.
    QCOMPARE(remote.ensurePlayer(), RemoteOutcome::Done);
    QCOMPARE(mprisNames(), QStringList{kMprisPrefix + vlc});
}

void PlayerRemoteTest::startedPlayerThatNeverAppearsIsWaitedForOnce() {
    const QString starts = path("starts");
    writeScript(path("bin/audacious"), QStringLiteral("echo started >> '%1'").arg(starts));
    MprisRemote remote(bus());
    RemoteOptions options = optionsFor();
    options.startLimit = 1500ms;
    remote.setOptions(options);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(10);

    QElapsedTimer clock;
    clock.start();
    const auto outcomes = remote.enqueueFiles(pathsOf({path("a.mp3"), path("b.mp3"), path("c.mp3"), path("d.mp3")}),
                                              EnqueueMode::PlayFirst);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(outcomes, std::vector<RemoteOutcome>(4, RemoteOutcome::NotFound));
    QVERIFY2(elapsed >= 1400 && elapsed < 4500, qPrintable(QString::number(elapsed)));
    QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
    QFile startLog(starts);
    QVERIFY(startLog.open(QIODevice::ReadOnly));
    QCOMPARE(startLog.readAll(), QByteArray("started\n"));

    // A later command tries again.
    QCOMPARE(remote.play(), RemoteOutcome::NotFound);
    startLog.seek(0);
    QCOMPARE(startLog.readAll(), QByteArray("started\nstarted\n"));
}

void PlayerRemoteTest::playerThatNeverAnswersCostsOneTimeout() {
    const QString vlc = QStringLiteral("vlc");
    QVERIFY(startPlayer(writePlayer(vlc), vlc));
    const uint pid = bus().interface()->servicePid(kMprisPrefix + vlc).value();
    QVERIFY(pid > 0);
    stoppedPlayers_ << pid;
    QCOMPARE(::kill(static_cast<pid_t>(pid), SIGSTOP), 0);

    MprisRemote remote(bus());
    RemoteOptions options = optionsFor();
    options.callLimit = 800ms;
    remote.setOptions(options);

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(remote.play(), RemoteOutcome::Failed);
    QVERIFY(!remote.lastError().isEmpty());
    QCOMPARE(remote.enqueueFiles(pathsOf({path("a.mp3"), path("b.mp3"), path("c.mp3"), path("d.mp3"), path("e.mp3")}),
                                 EnqueueMode::PlayFirst),
             std::vector<RemoteOutcome>(5, RemoteOutcome::Failed));
    const qint64 elapsed = clock.elapsed();
    // Two commands, one timeout each.
    QVERIFY2(elapsed >= 1500 && elapsed < 3500, qPrintable(QString::number(elapsed)));
}

QTEST_GUILESS_MAIN(PlayerRemoteTest)
#include "tst_player_remote.moc"
