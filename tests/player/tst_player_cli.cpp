// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli player against the test player on a private session bus: the files enqueued in order,
// enqueue-play, the transport commands, open, no player, a player that does not answer.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>
#include <unistd.h>

#include "ID3TestSupport.h"
#include "PrivateBus.h"
#include "player/FileUri.h"

using playertest::kMprisPrefix;

namespace {

const QString kNotFound = QStringLiteral("Media player could not be found!");

QString uriOf(const QString& path) {
    return QString::fromStdString(vorda::player::fileUri(QFile::encodeName(path).toStdString()));
}

struct CliRun {
    int status = -1;
    QString out;
    QString err;
    qint64 milliseconds = 0;
};

}  // namespace

class PlayerCliTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const QString failure = bus_.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("music")));
        writeSettings(QString());
    }
    void cleanup() {
        if (stoppedPlayer_ > 0) ::kill(static_cast<pid_t>(stoppedPlayer_), SIGKILL);
        stoppedPlayer_ = 0;
        QVERIFY(bus_.quitPlayers());
    }

    void enqueueKeepsTheOrderAndEnqueuePlayPlaysTheFirst() {
        // The player is not running: the command starts it.
        playertest::writePlayer(path("bin/vlc"), "vlc", "--shuffle --track file:///music/before.mp3");
        const QStringList files = {song("b one.mp3"), song("a #two?.mp3"), song("c 100%.mp3")};
        const CliRun play = cli(QStringList{"enqueue-play"} + files);
        QVERIFY2(play.status == 0, qPrintable(play.err));
        QCOMPARE(ask("Playlist"),
                 QStringList({"file:///music/before.mp3", uriOf(files[0]), uriOf(files[1]), uriOf(files[2])}));
        QCOMPARE(ask("Current"), QStringList{uriOf(files[0])});
        QCOMPARE(ask("Status"), QStringList{"Playing"});
        // Shuffle was on before and still is.
        CliRun shuffle = cli({"shuffle"});
        QCOMPARE(shuffle.status, 0);
        QCOMPARE(shuffle.out, QStringLiteral("on\n"));

        // Relative names are taken from the current folder; enqueue adds at the end and plays nothing new.
        for (const char* name : {"d.mp3", "e.mp3", "f.mp3"}) song(QString::fromLatin1(name));
        const CliRun more = cli({"enqueue", "music/d.mp3", "music/e.mp3", "music/f.mp3"});
        QVERIFY2(more.status == 0, qPrintable(more.err));
        const QStringList list = ask("Playlist");
        QCOMPARE(list.mid(4),
                 QStringList({uriOf(path("music/d.mp3")), uriOf(path("music/e.mp3")), uriOf(path("music/f.mp3"))}));
        QCOMPARE(ask("Current"), QStringList{uriOf(files[0])});

        // A file that is not there is named and not sent; the others are.
        const CliRun missing = cli({"enqueue", "music/gone.mp3", "music/d.mp3"});
        QCOMPARE(missing.status, 1);
        QVERIFY(missing.err.contains(QStringLiteral("music/gone.mp3")));
        QCOMPARE(ask("Playlist").size(), 8);
        QCOMPARE(ask("Playlist").constLast(), uriOf(path("music/d.mp3")));
    }

    void transportCommandsAndShuffle() {
        // The configured program is used; the known players on PATH are not looked at.
        const QString program =
            playertest::writePlayer(path("opt/myplayer"), "myplayer", "--track file:///1.mp3 --track file:///2.mp3");
        playertest::writeScript(path("bin/vlc"), QStringLiteral("exit 1"));
        writeSettings(program);
        QVERIFY(bus_.startPlayer(program, "myplayer"));
        for (const char* command : {"play", "pause", "next", "previous", "stop"}) {
            const CliRun run = cli({command});
            QVERIFY2(run.status == 0 && run.err.isEmpty(), qPrintable(command + (": " + run.err)));
        }
        QCOMPARE(cli({"shuffle", "on"}).status, 0);
        QCOMPARE(cli({"shuffle"}).out, QStringLiteral("on\n"));
        QCOMPARE(cli({"shuffle", "off"}).status, 0);
        QCOMPARE(cli({"shuffle"}).out, QStringLiteral("off\n"));
        QCOMPARE(ask("Calls", "myplayer"), QStringList({"Play", "PlayPause", "Next", "Previous", "Stop",
                                                        "Set Shuffle true", "Set Shuffle false"}));

        // Mistakes in the command line reach no player.
        for (const QStringList& wrong :
             {QStringList{"rewind"}, QStringList{"shuffle", "maybe"}, QStringList{"play", "x.mp3"}, QStringList{"open"},
              QStringList{"enqueue"}, QStringList{}})
            QCOMPARE(cli(wrong).status, 2);
        QCOMPARE(ask("Calls", "myplayer").size(), 7);
    }

    void openSendsTheFilesUri() {
        QVERIFY(bus_.startPlayer(playertest::writePlayer(path("bin/strawberry"), "strawberry"), "strawberry"));
        // A name that is not UTF-8, with the characters a URI gives meaning to.
        const QByteArray name = QFile::encodeName(path("music/")) + "a b#?%\xC3\xA9\xFF.mp3";
        id3test::writeBytes(name.toStdString(), id3test::mp3Audio(4));
        // The name goes to the program byte for byte through a pattern of the shell.
        const CliRun run = cli({"open"}, QStringLiteral("music/a\\ b#*"));
        ::unlink(name.constData());
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(ask("Calls", "strawberry"),
                 QStringList{QStringLiteral("OpenUri file://%1/music/a%20b%23%3F%25%C3%A9%FF.mp3").arg(dir_->path())});

        const CliRun gone = cli({"open", path("music/gone.mp3")});
        QCOMPARE(gone.status, 1);
        QCOMPARE(ask("Calls", "strawberry").size(), 1);
    }

    void withoutAPlayerEveryCommandSaysSo() {
        // A player of the right name runs, but no program is found: it is not used.
        QVERIFY(bus_.startPlayer(playertest::writePlayer(path("elsewhere/vlc"), "vlc"), "vlc"));
        for (const QStringList& command : {QStringList{"play"}, QStringList{"pause"}, QStringList{"stop"},
                                           QStringList{"next"}, QStringList{"previous"}, QStringList{"shuffle"},
                                           QStringList{"shuffle", "on"}, QStringList{"open", song("x.mp3")}}) {
            const CliRun run = cli(command);
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.startsWith(kNotFound + QLatin1Char('\n')), qPrintable(run.err));
            QVERIFY(run.out.isEmpty());
        }
        // Once per file.
        const CliRun run = cli({"enqueue-play", song("x.mp3"), song("y.mp3")});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err.count(kNotFound), 2);
        QCOMPARE(ask("Calls"), QStringList());
    }

    void aPlayerThatNeverAnswersCostsBoundedTime() {
        QVERIFY(bus_.startPlayer(playertest::writePlayer(path("bin/vlc"), "vlc"), "vlc"));
        stoppedPlayer_ = bus_.connection().interface()->servicePid(kMprisPrefix + "vlc").value();
        QVERIFY(stoppedPlayer_ > 0);
        QCOMPARE(::kill(static_cast<pid_t>(stoppedPlayer_), SIGSTOP), 0);

        const CliRun run = cli({"enqueue", song("1.mp3"), song("2.mp3"), song("3.mp3"), song("4.mp3")});
        QCOMPARE(run.status, 1);
        QVERIFY(!run.err.contains(kNotFound));
        QVERIFY(run.err.contains(QStringLiteral("1.mp3")));
        // One wait of a few seconds for the whole command, not one per file.
        QVERIFY2(run.milliseconds < 9000, qPrintable(QString::number(run.milliseconds)));
    }

private:
    QString path(const QString& relative) const { return dir_->filePath(relative); }

    // A short MP3 file in the music folder; its path.
    QString song(const QString& name) const {
        const QString file = path(QStringLiteral("music/") + name);
        id3test::writeBytes(QFile::encodeName(file).toStdString(), id3test::mp3Audio(4));
        return file;
    }

    void writeSettings(const QString& playerPath) {
        QFile file(path("settings.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Player]\nPlayerPath=" + QFile::encodeName(playerPath) + "\n");
    }

    // vorda-cli player ARGS with the test's bin folder as its PATH, in the test's folder; a pattern
    // is expanded by the shell and added after the arguments.
    CliRun cli(const QStringList& arguments, const QString& pattern = QString()) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PATH"), path("bin"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir_->path());
        const QStringList all = QStringList{"player", "--settings", path("settings.ini")} + arguments;
        if (pattern.isEmpty()) {
            process.setProgram(QStringLiteral(VORDA_CLI_PATH));
            process.setArguments(all);
        } else {
            process.setProgram(QStringLiteral("/bin/sh"));
            process.setArguments(
                QStringList{"-c", QStringLiteral("exec \"$0\" \"$@\" ") + pattern, QStringLiteral(VORDA_CLI_PATH)} +
                all);
        }
        QElapsedTimer clock;
        clock.start();
        process.start();
        CliRun run;
        if (!process.waitForFinished(60000)) return run;
        run.milliseconds = clock.elapsed();
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QStringList ask(const QString& method, const QString& player = QStringLiteral("vlc")) const {
        return bus_.ask(player, method);
    }

    playertest::PrivateBus bus_;
    std::unique_ptr<QTemporaryDir> dir_;
    qint64 stoppedPlayer_ = 0;
};

QTEST_GUILESS_MAIN(PlayerCliTest)
#include "tst_player_cli.moc"
