// SPDX-License-Identifier: GPL-2.0-or-later

// vorda-cli freedb against a scripted CDDB server on 127.0.0.1: what it prints, its messages and
// exit statuses for every way a conversation can end, and what --write and --rename leave in the
// files (read back by mutagen when it is installed, else through the tag layer).

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include "CddbTestServer.h"

namespace {

struct CliRun {
    int status = -1;
    QByteArray out;
    QString err;
};

const QByteArray kThreeMatches = "211 close matches found\r\n"
                                 "rock d026c03 First / One\r\n"
                                 "jazz d026c04 Second / Two\r\n"
                                 "misc 0d026c05 Third / Three\r\n"
                                 ".\r\n";

// The VALUE lines of kEntry read as a match of the genre.
QByteArray values(const QByteArray& genre) {
    return "VALUE\tGENRE\t" + genre +
           "\n"
           "VALUE\tDISCID\td026c03\n"
           "VALUE\tARTIST\tSome Artist\n"
           "VALUE\tALBUM\tSome Album\n"
           "VALUE\tTTITLE1\tIntro\n"
           "VALUE\tTTITLE2\tSecond\n"
           "VALUE\tTARTIST2\tGuest\n"
           "VALUE\tTTITLE3\tThird\n"
           "VALUE\tYEAR\t1997\n";
}

bool haveMutagen() { return QProcess::execute("/usr/bin/python3", {"-c", "import mutagen.id3"}) == 0; }

// The ID3v2 frames mutagen reads from a file, as "ID=text" joined by "|", in frame-id order (the
// strings of a frame joined by "/").
QByteArray mutagenFrames(const QString& path) {
    QProcess peer;
    peer.start("/usr/bin/python3",
               {"-c",
                "import sys, mutagen.id3\n"
                "t = mutagen.id3.ID3(sys.argv[1])\n"
                "print('|'.join(k[:4] + '=' + '/'.join(map(str, t[k].text)) for k in sorted(t.keys())))",
                path});
    if (!peer.waitForFinished(20000)) return "(mutagen hangs)";
    return peer.readAllStandardOutput().trimmed();
}

}  // namespace

class FreedbCliTest : public QObject {
    Q_OBJECT

    QTemporaryDir music_;
    QString settingsFile_;

    QMap<QString, qint64> sizes_;  // of the bare album files

    qint64 bareSize(const QString& file) const { return sizes_.value(file, -1); }

    QStringList album() const {
        return {music_.filePath("t1.mp3"), music_.filePath("t2.mp3"), music_.filePath("t3.mp3")};
    }

    // Runs vorda-cli with the event loop going, so that the server in this process can answer.
    CliRun run(const QStringList& args, int limitMs = 30000) {
        QProcess cli;
        cli.start(VORDA_CLI_PATH, args);
        CliRun result;
        if (!cli.waitForStarted(10000)) return result;
        QElapsedTimer clock;
        clock.start();
        while (cli.state() != QProcess::NotRunning && clock.elapsed() < limitMs) QTest::qWait(10);
        if (cli.state() != QProcess::NotRunning) {
            cli.kill();
            cli.waitForFinished();
            return result;
        }
        result.status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
        result.out = cli.readAllStandardOutput();
        result.err = QString::fromUtf8(cli.readAllStandardError());
        return result;
    }

    CliRun lookUp(const CddbTestServer& server, QStringList options = {}) {
        options.prepend(QString("127.0.0.1:%1").arg(server.port()));
        options.prepend("--server");
        options.prepend(settingsFile_);
        options.prepend("--settings");
        options.prepend("freedb");
        return run(options + album());
    }

private slots:
    void initTestCase() {
        QVERIFY(music_.isValid());
        settingsFile_ = music_.filePath("settings.ini");
        QFile ini(settingsFile_);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        // The files are bare audio: the writes add an ID3v2 tag.
        ini.write("[Tags]\nUseID3v2=2\n");
    }

    void init() {
        for (const QString& name : QDir(music_.path()).entryList({"*.mp3"}, QDir::Files))
            QFile::remove(music_.filePath(name));
        const int lengths[] = {200, 180, 240};
        for (int i = 0; i < 3; ++i) {
            writeMp3(album()[i], lengths[i]);
            sizes_[album()[i]] = QFileInfo(album()[i]).size();
        }
    }

    void exactMatchIsPrintedAndWrittenWithoutTheComment() {
        // A comment already in the file stays: the comment box is not ticked.
        if (haveMutagen())
            QCOMPARE(QProcess::execute("/usr/bin/python3",
                                       {"-c",
                                        "import sys, mutagen.id3\n"
                                        "t = mutagen.id3.ID3()\n"
                                        "t.add(mutagen.id3.COMM(encoding=3, lang='eng', desc='', text='keep me'))\n"
                                        "t.save(sys.argv[1])",
                                        album()[1]}),
                     0);
        CddbTestServer server;
        server.answers = exactAnswers();
        QVERIFY(server.listen());
        const CliRun cli = lookUp(server, {"--write"});
        QVERIFY2(cli.status == 0, qPrintable(cli.err));
        QCOMPARE(cli.out, "QUERY\t" + kQuery + "\n" + values("rock"));
        QCOMPARE(server.commands.value(0), QByteArray("cddb hello johndoe localhost test 1"));
        QCOMPARE(server.commands.value(1), kQuery);
        QCOMPARE(server.commands.value(2), QByteArray("cddb read rock d026c03"));

        if (!haveMutagen()) QSKIP("mutagen is not installed");
        QCOMPARE(mutagenFrames(album()[0]),
                 QByteArray("TALB=Some Album|TCON=Rock/rock|TDRC=1997|TIT2=Intro|TPE1=Some Artist|TRCK=01"));
        QCOMPARE(mutagenFrames(album()[1]),
                 QByteArray("COMM=keep me|TALB=Some Album|TCON=rock|TDRC=1997|TIT2=Second|TPE1=Guest|TRCK=02"));
    }

    void closeMatches_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("matchLines");
        QTest::addColumn<QByteArray>("read");
        const QByteArray threeLines = "MATCH\t1\tFirst  -  One [rock , d026c03]\n"
                                      "MATCH\t2\tSecond  -  Two [jazz , d026c04]\n"
                                      "MATCH\t3\tThird  -  Three [misc , 0d026c05]\n";
        QTest::newRow("one match is read at once")
            << QByteArray("211 close matches found\r\nrock d026c03 First / One\r\n.\r\n") << QStringList() << 0
            << QByteArray("MATCH\t1\tFirst  -  One [rock , d026c03]\n") << QByteArray("cddb read rock d026c03");
        QTest::newRow("three matches are listed") << kThreeMatches << QStringList() << 3 << threeLines << QByteArray();
        QTest::newRow("--match 2") << kThreeMatches << QStringList{"--match", "2"} << 0 << threeLines
                                   << QByteArray("cddb read jazz d026c04");
        QTest::newRow("--match beyond the list")
            << kThreeMatches << QStringList{"--match", "4"} << 2 << threeLines << QByteArray();
    }

    void closeMatches() {
        QFETCH(QByteArray, answer);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QByteArray, matchLines);
        QFETCH(QByteArray, read);
        CddbTestServer server;
        server.answers = {CddbTestServer::answer("cddb hello", kHelloOk), CddbTestServer::answer("cddb query", answer),
                          CddbTestServer::answer("cddb read", kEntry)};
        QVERIFY(server.listen());
        const CliRun cli = lookUp(server, options);
        QVERIFY2(cli.status == status, qPrintable(cli.err));
        const QByteArray printed = "QUERY\t" + kQuery + "\n" + matchLines;
        QCOMPARE(cli.out.left(printed.size()), printed);
        QCOMPARE(server.commands.value(2), read);
        if (status == 0) QVERIFY(cli.out.endsWith(values(read.split(' ').value(2))));
        if (status == 3) QVERIFY2(cli.err.contains("--match"), qPrintable(cli.err));
        // Nothing is written without --write.
        for (const QString& file : album()) QCOMPARE(QFileInfo(file).size(), bareSize(file));
    }

    void endsWithoutResult_data() {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<QByteArray>("helloAnswer");
        QTest::addColumn<QByteArray>("queryAnswer");
        QTest::addColumn<QByteArray>("readAnswer");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QByteArray greeting = CddbTestServer().greeting;
        const QByteArray exact = "200 rock d026c03 Some Artist / Some Album\r\n";
        QTest::newRow("no match") << greeting << kHelloOk << QByteArray("202 No match found\r\n") << QByteArray() << 4
                                  << "freedb found no matches for the selected album.";
        QTest::newRow("corrupt entry") << greeting << kHelloOk << QByteArray("403 Database entry is corrupt\r\n")
                                       << QByteArray() << 4 << "freedb found no matches for the selected album.";
        QTest::newRow("greeting refused")
            << QByteArray("432 No connections allowed: permission denied\r\n") << kHelloOk << QByteArray()
            << QByteArray() << 1
            << "freedb returned error 432: Error while connecting; too many users, permission denied or system full.";
        QTest::newRow("hello refused") << greeting << QByteArray("431 Handshake not successful, closing connection\r\n")
                                       << QByteArray() << QByteArray() << 1
                                       << "freedb returned error 431: Handshake failed.";
        QTest::newRow("closed mid-entry") << greeting << kHelloOk << exact << kEntry.left(kEntry.indexOf("TTITLE1"))
                                          << 1 << "freedb returned error -2: The server closed the connection.";
        QTest::newRow("endless line") << greeting << kHelloOk << exact
                                      << "210 rock d026c03\r\nTTITLE0=" + QByteArray(70000, 'x') << 1
                                      << "freedb returned error -3: A line of the server's answer is too long.";
    }

    void endsWithoutResult() {
        QFETCH(QByteArray, greeting);
        QFETCH(QByteArray, helloAnswer);
        QFETCH(QByteArray, queryAnswer);
        QFETCH(QByteArray, readAnswer);
        QFETCH(int, status);
        QFETCH(QString, message);
        CddbTestServer server;
        server.greeting = greeting;
        server.answers = {CddbTestServer::answer("cddb hello", helloAnswer),
                          CddbTestServer::answer("cddb query", queryAnswer)};
        // The answers that end the dialogue close the connection after them; the endless line stays open.
        if (!readAnswer.isEmpty()) server.answers.append({"cddb read", readAnswer, readAnswer.endsWith("\r\n")});
        QVERIFY(server.listen());
        const CliRun cli = lookUp(server, {"--write"});
        QCOMPARE(cli.status, status);
        QCOMPARE(cli.out, "QUERY\t" + kQuery + "\n");
        QCOMPARE(cli.err, "vorda-cli: " + message + "\n");
        // No file was touched.
        for (const QString& file : album()) QCOMPARE(QFileInfo(file).size(), bareSize(file));
    }

    void tricklingServerIsReadWhole() {
        CddbTestServer server;
        server.trickle = true;
        server.answers = {CddbTestServer::answer("cddb hello", kHelloOk),
                          CddbTestServer::answer("cddb query", kThreeMatches),
                          CddbTestServer::answer("cddb read", kEntry)};
        QVERIFY(server.listen());
        const CliRun cli = lookUp(server, {"--match", "3", "--write", "--rename", "<track> <title>"});
        QVERIFY2(cli.status == 0, qPrintable(cli.err));
        QVERIFY(cli.out.endsWith(values("misc")));
        QCOMPARE(server.commands.value(2), QByteArray("cddb read misc 0d026c05"));
        // Each file was renamed from the values just written.
        QCOMPARE(QDir(music_.path()).entryList({"*.mp3"}, QDir::Files, QDir::Name),
                 (QStringList{"01 Intro.mp3", "02 Second.mp3", "03 Third.mp3"}));
    }

    void readOnlyFileEndsTheWriting() {
        QFile::setPermissions(album()[1], QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        CddbTestServer server;
        server.answers = exactAnswers();
        QVERIFY(server.listen());
        const CliRun cli = lookUp(server, {"--write"});
        QFile::setPermissions(album()[1], QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(cli.status, 1);
        QCOMPARE(cli.err,
                 QString("vorda-cli: Error while updating tags with freedb data: t2.mp3 is read-only; writing to "
                         "it is not allowed according to the current settings.\n"
                         "vorda-cli: 1 of 3 files written\n"));
        QVERIFY(QFileInfo(album()[0]).size() > bareSize(album()[0]));
        QCOMPARE(QFileInfo(album()[1]).size(), bareSize(album()[1]));
        QCOMPARE(QFileInfo(album()[2]).size(), bareSize(album()[2]));
    }

    void filesWithoutATagAreNotWritten() {
        // Under the default tag options a bare file takes no tag for these values: the entry
        // would go nowhere, and the command must not claim it was written.
        const QString ifNeeded = music_.filePath("if-needed.ini");
        QFile ini(ifNeeded);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Tags]\nUseID3v2=0\nUseID3v1=0\n");
        ini.close();
        CddbTestServer server;
        server.answers = exactAnswers();
        QVERIFY(server.listen());
        const CliRun cli = run(QStringList{"freedb", "--settings", ifNeeded, "--server",
                                           QString("127.0.0.1:%1").arg(server.port()), "--write"} +
                               album());
        QCOMPARE(cli.status, 1);
        for (const QString& file : album()) {
            QVERIFY2(cli.err.contains(QDir(music_.path()).relativeFilePath(file) + ": not written"),
                     qPrintable(cli.err));
            QCOMPARE(QFileInfo(file).size(), bareSize(file));
        }
    }

    void renameOntoATakenNameKeepsBothFiles() {
        // Every file asks for the album's name: the first gets it, the others stay as they were.
        CddbTestServer server;
        server.answers = exactAnswers();
        QVERIFY(server.listen());
        const CliRun cli = lookUp(server, {"--write", "--rename", "<album>"});
        QCOMPARE(cli.status, 1);
        QVERIFY2(cli.err.contains("already exists"), qPrintable(cli.err));
        QCOMPARE(QDir(music_.path()).entryList({"*.mp3"}, QDir::Files, QDir::Name),
                 (QStringList{"Some Album.mp3", "t2.mp3", "t3.mp3"}));
        // The tags were written before the rename was refused.
        for (const QString& file : {music_.filePath("t2.mp3"), music_.filePath("t3.mp3")})
            QVERIFY(QFileInfo(file).size() > bareSize(file));
    }

    void unreachableOrSilentServer() {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();
        CliRun cli = run(QStringList{"freedb", "--server", QString("127.0.0.1:%1").arg(port)} + album());
        QCOMPARE(cli.status, 1);
        QCOMPARE(cli.err, QString("vorda-cli: Could not connect to server! Please make sure you are connected to the "
                                  "Internet.\nvorda-cli: 127.0.0.1:%1: error 10061: Connection refused.\n")
                              .arg(port));

        // Connected, but the greeting never comes: the answer limit ends the wait.
        CddbTestServer silent;
        silent.greeting.clear();
        QVERIFY(silent.listen());
        QElapsedTimer clock;
        clock.start();
        cli = run(QStringList{"freedb", "--server", QString("127.0.0.1:%1").arg(silent.port())} + album(), 60000);
        QCOMPARE(cli.status, 1);
        QCOMPARE(cli.err, QString("vorda-cli: freedb returned error -4: The server did not answer in time.\n"));
        QVERIFY(clock.elapsed() >= 29000);

        // A greeting that never ends, a byte every half second: each byte comes well within the
        // wait for the next, but the whole answer has a limit of its own.
        QTcpServer dripping;
        QVERIFY(dripping.listen(QHostAddress::LocalHost, 0));
        QTimer drip;
        connect(&dripping, &QTcpServer::newConnection, this, [&] {
            QTcpSocket* socket = dripping.nextPendingConnection();
            connect(&drip, &QTimer::timeout, socket, [socket] { socket->write("2"); });
        });
        drip.start(500);
        clock.restart();
        cli = run(QStringList{"freedb", "--server", QString("127.0.0.1:%1").arg(dripping.serverPort())} + album(),
                  120000);
        QCOMPARE(cli.status, 1);
        QCOMPARE(cli.err, QString("vorda-cli: freedb returned error -4: The server did not answer in time.\n"));
        QVERIFY(clock.elapsed() < 90000);
    }

    void wrongUsage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mistake");
        QTest::newRow("no files") << QStringList{"freedb"} << "no files given";
        QTest::newRow("match 0") << QStringList{"freedb", "--match", "0", "a.mp3"}
                                 << "--match: N must be a number from 1";
        QTest::newRow("rename alone") << QStringList{"freedb", "--rename", "<title>", "a.mp3"}
                                      << "--rename needs --write";
        QTest::newRow("port 0") << QStringList{"freedb", "--server", "host:0", "a.mp3"}
                                << "--server: the port must be a number from 1 to 65535";
        QTest::newRow("empty host") << QStringList{"freedb", "--server", ":8880", "a.mp3"} << "--server: no host";
    }

    void wrongUsage() {
        QFETCH(QStringList, args);
        QFETCH(QString, mistake);
        const CliRun cli = run(args);
        QCOMPARE(cli.status, 2);
        QVERIFY(cli.out.isEmpty());
        QVERIFY2(cli.err.startsWith("vorda-cli: " + mistake + "\nUsage: vorda-cli freedb"), qPrintable(cli.err));
    }
};

QTEST_GUILESS_MAIN(FreedbCliTest)

#include "tst_freedb_cli.moc"
