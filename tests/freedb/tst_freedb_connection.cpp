// SPDX-License-Identifier: GPL-2.0-or-later

// Whole lookups over real connections to a scripted CDDB server on 127.0.0.1.

#include <QSignalSpy>
#include <QtTest>

#include "CddbTestServer.h"
#include "freedb/qt/FreedbConnection.h"

using namespace vorda::freedb;

Q_DECLARE_METATYPE(ScriptedAnswer)

namespace {

const QByteArray kGreeting = CddbTestServer().greeting;

// Everything a lookup told, one line per signal.
class Outcome : public QObject {
public:
    QStringList heard;
    QList<int> statuses;
    std::vector<DbValue> values;
    std::vector<FreedbQuery> matches;

    explicit Outcome(FreedbConnection& lookup) {
        connect(&lookup, &FreedbConnection::statusChanged, this,
                [this](Status status) { statuses.append(static_cast<int>(status)); });
        connect(&lookup, &FreedbConnection::multipleMatches, this, [this](const std::vector<FreedbQuery>& m) {
            matches = m;
            heard.append(QString("matches %1").arg(m.size()));
        });
        connect(&lookup, &FreedbConnection::receivedResult, this, [this](const std::vector<DbValue>& v) {
            values = v;
            heard.append("result");
        });
        connect(&lookup, &FreedbConnection::noMatches, this, [this] { heard.append("no matches"); });
        connect(&lookup, &FreedbConnection::errorOccurred, this,
                [this](int code, const QString& text) { heard.append(QString("error %1 %2").arg(code).arg(text)); });
        connect(&lookup, &FreedbConnection::connectionFailed, this,
                [this](int code, const QString& text) { heard.append(QString("failed %1 %2").arg(code).arg(text)); });
    }

    QString value(const char* id) const {
        for (const DbValue& v : values)
            if (v.id == id) return QString::fromStdString(v.value);
        return "(none)";
    }
};

}  // namespace

class FreedbConnectionTest : public QObject {
    Q_OBJECT

private slots:
    void exactMatchByAddressAndByName_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("trickle");
        QTest::newRow("address") << "127.0.0.1" << false;
        QTest::newRow("name") << "localhost" << false;
        QTest::newRow("one byte at a time") << "127.0.0.1" << true;
    }

    void exactMatchByAddressAndByName() {
        QFETCH(QString, host);
        QFETCH(bool, trickle);
        CddbTestServer server;
        server.answers = exactAnswers();
        server.trickle = trickle;
        QVERIFY(server.listen());

        FreedbConnection lookup;
        lookup.settings().remoteHost = host.toStdString();
        lookup.settings().remotePort = server.port();
        Outcome outcome(lookup);
        lookup.sendQuery(kQuery.toStdString());
        QTRY_COMPARE_WITH_TIMEOUT(outcome.heard, QStringList{"result"}, 20000);
        QCOMPARE(outcome.statuses, (QList<int>{1, 2, 4, 5, 0, 6}));
        QCOMPARE(server.commands,
                 (QList<QByteArray>{"cddb hello johndoe localhost test 1", kQuery, "cddb read rock d026c03"}));
        QCOMPARE(outcome.value("GENRE"), QString("rock"));
        QCOMPARE(outcome.value("ARTIST"), QString("Some Artist"));
        QCOMPARE(outcome.value("TARTIST2"), QString("Guest"));
        QCOMPARE(outcome.value("TTITLE3"), QString("Third"));
        QCOMPARE(outcome.value("YEAR"), QString("1997"));
        QCOMPARE(lookup.socket().state(), SocketState::Closed);
    }

    void chosenMatchIsReadWhileTheLoopKeepsRunning() {
        CddbTestServer server;
        server.answers = {CddbTestServer::answer("cddb hello", kHelloOk),
                          CddbTestServer::answer("cddb query", "211 close matches found\r\n"
                                                               "rock d026c03 First / One\r\n"
                                                               "jazz d026c04 Second / Two\r\n"
                                                               "misc 0d026c05 Third / Three\r\n"
                                                               ".\r\n"),
                          {"cddb read", kEntry, false, 600}};
        QVERIFY(server.listen());

        FreedbConnection lookup;
        lookup.settings().remoteHost = "127.0.0.1";
        lookup.settings().remotePort = server.port();
        Outcome outcome(lookup);
        connect(&lookup, &FreedbConnection::multipleMatches, &lookup,
                [&lookup](const std::vector<FreedbQuery>& matches) { lookup.sendRead(matches.at(2)); });
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(50);
        lookup.sendQuery(kQuery.toStdString());
        QTRY_COMPARE_WITH_TIMEOUT(outcome.heard, (QStringList{"matches 3", "result"}), 20000);
        QCOMPARE(outcome.matches.at(2).chooserLine(), std::string("Third  -  Three [misc , 0d026c05]"));
        QCOMPARE(server.commands.last(), QByteArray("cddb read misc 0d026c05"));
        QCOMPARE(outcome.value("GENRE"), QString("misc"));
        // The delayed answer was awaited without holding the event loop.
        QVERIFY2(ticks >= 8, qPrintable(QString::number(ticks)));
    }

    void everyFailureIsHeardOnce_data() {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<QList<ScriptedAnswer>>("answers");
        QTest::addColumn<QString>("heard");
        const QList<ScriptedAnswer> hello = {CddbTestServer::answer("cddb hello", kHelloOk)};
        QTest::newRow("no match") << kGreeting
                                  << (hello + QList{CddbTestServer::answer("cddb query", "202 No match\r\n")})
                                  << "no matches";
        QTest::newRow("silent server") << QByteArray() << QList<ScriptedAnswer>{}
                                       << "error -4 The server did not answer in time.";
        QTest::newRow("closed in the middle of the entry")
            << kGreeting
            << (hello + QList{CddbTestServer::answer("cddb query", "200 rock d026c03 A / B\r\n"),
                              ScriptedAnswer{"cddb read", kEntry.left(120), true}})
            << "error -2 The server closed the connection.";
        QTest::newRow("endless line") << kGreeting
                                      << (hello + QList{CddbTestServer::answer(
                                                      "cddb query", "211 close matches\r\n" + QByteArray(300000, 'x'))})
                                      << "error -3 A line of the server's answer is too long.";
    }

    void everyFailureIsHeardOnce() {
        QFETCH(QByteArray, greeting);
        QFETCH(QList<ScriptedAnswer>, answers);
        QFETCH(QString, heard);
        CddbTestServer server;
        server.greeting = greeting;
        server.answers = answers;
        QVERIFY(server.listen());

        FreedbConnection lookup;
        lookup.settings().remoteHost = "127.0.0.1";
        lookup.settings().remotePort = server.port();
        lookup.setLimits(std::chrono::seconds(10), std::chrono::milliseconds(300));
        Outcome outcome(lookup);
        lookup.sendQuery(kQuery.toStdString());
        QTRY_VERIFY_WITH_TIMEOUT(!outcome.heard.isEmpty(), 20000);
        QTest::qWait(400);
        QCOMPARE(outcome.heard, QStringList{heard});
        QCOMPARE(outcome.statuses.last(), 0);
        QCOMPARE(lookup.socket().state(), SocketState::Closed);
    }

    void answerDrippingForEverIsGivenUp() {
        // Each byte well within the wait for the next, but the greeting never ends.
        QTcpServer dripping;
        QVERIFY(dripping.listen(QHostAddress::LocalHost, 0));
        QTimer drip;
        connect(&dripping, &QTcpServer::newConnection, this, [&] {
            QTcpSocket* socket = dripping.nextPendingConnection();
            connect(&drip, &QTimer::timeout, socket, [socket] { socket->write("2"); });
        });
        drip.start(50);

        FreedbConnection lookup;
        lookup.settings().remoteHost = "127.0.0.1";
        lookup.settings().remotePort = dripping.serverPort();
        lookup.setLimits(std::chrono::seconds(10), std::chrono::milliseconds(300), std::chrono::milliseconds(1500));
        Outcome outcome(lookup);
        lookup.sendQuery(kQuery.toStdString());
        QTRY_VERIFY_WITH_TIMEOUT(!outcome.heard.isEmpty(), 10000);
        QCOMPARE(outcome.heard, QStringList{"error -4 The server did not answer in time."});
        QCOMPARE(lookup.socket().state(), SocketState::Closed);
    }

    void refusedConnectionIsHeardOnce() {
        quint16 port = 0;
        {
            CddbTestServer gone;
            QVERIFY(gone.listen());
            port = gone.port();
        }
        FreedbConnection lookup;
        lookup.settings().remoteHost = "127.0.0.1";
        lookup.settings().remotePort = port;
        lookup.setLimits(std::chrono::milliseconds(300), std::chrono::milliseconds(300));
        Outcome outcome(lookup);
        lookup.sendQuery(kQuery.toStdString());
        QTRY_VERIFY(!outcome.heard.isEmpty());
        QTest::qWait(400);
        QCOMPARE(outcome.heard, QStringList{"failed 10061 Connection refused."});
        QVERIFY(outcome.statuses.isEmpty());

        // A port the socket cannot use is refused at once, in the same way.
        lookup.settings().remotePort = 0;
        lookup.sendQuery(kQuery.toStdString());
        QCOMPARE(outcome.heard.last(), QString("failed 40014 The argument passed to a function was not in the "
                                               "correct format or in the specified range."));
    }
};

QTEST_GUILESS_MAIN(FreedbConnectionTest)
#include "tst_freedb_connection.moc"
