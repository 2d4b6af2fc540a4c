// SPDX-License-Identifier: GPL-2.0-or-later

// The socket object against real listening sockets on 127.0.0.1.

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include "freedb/SocketErrors.h"
#include "freedb/qt/SocketMaster.h"

using vorda::freedb::SocketErrc;
using vorda::freedb::SocketMaster;
using vorda::freedb::SocketState;

namespace {

QList<int> statesOf(const QSignalSpy& spy) {
    QList<int> states;
    for (const QList<QVariant>& arguments : spy) states.append(static_cast<int>(arguments.at(0).value<SocketState>()));
    return states;
}

// A port nobody listens on.
quint16 closedPort() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) return 0;
    return server.serverPort();
}

}  // namespace

class SocketMasterTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<SocketState>(); }

    void addressConnectsWithoutLookupAndNameIsLookedUp_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QList<int>>("states");
        QTest::newRow("address") << "127.0.0.1" << QList<int>{6, 7};
        QTest::newRow("name") << "localhost" << QList<int>{4, 5, 6, 7};
    }

    void addressConnectsWithoutLookupAndNameIsLookedUp() {
        QFETCH(QString, host);
        QFETCH(QList<int>, states);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        SocketMaster socket;
        QSignalSpy stateSpy(&socket, &SocketMaster::stateChanged);
        QSignalSpy connectedSpy(&socket, &SocketMaster::connected);
        QVERIFY(!socket.connectToHost(host, server.serverPort()));
        QTRY_COMPARE(connectedSpy.count(), 1);
        QCOMPARE(statesOf(stateSpy), states);
        QCOMPARE(socket.state(), SocketState::Connected);
        QCOMPARE(socket.remoteHostIp(), QString("127.0.0.1"));
        QCOMPARE(socket.remotePort(), int(server.serverPort()));
        QVERIFY(socket.socketHandle() >= 0);

        socket.closeSocket();
        QCOMPARE(statesOf(stateSpy).mid(states.size()), (QList<int>{8, 0}));
        QCOMPARE(socket.remoteHostIp(), QString());
        QCOMPARE(socket.socketHandle(), qintptr(-1));
    }

    void failuresAreReportedWithTheirNumbers() {
        SocketMaster socket;
        QSignalSpy errorSpy(&socket, &SocketMaster::errorOccurred);
        const quint16 port = closedPort();
        QVERIFY(port != 0);
        QVERIFY(!socket.connectToHost("127.0.0.1", port));
        QTRY_COMPARE(errorSpy.count(), 1);
        QCOMPARE(errorSpy.at(0).at(0).toInt(), 10061);
        QCOMPARE(errorSpy.at(0).at(1).toString(), QString("Connection refused."));
        QCOMPARE(socket.state(), SocketState::Error);
        // Only a close makes the object usable again.
        QCOMPARE(socket.connectToHost("127.0.0.1", port), std::error_code(SocketErrc::InvalidOperation));
        socket.closeSocket();
        QCOMPARE(socket.state(), SocketState::Closed);

        QSignalSpy stateSpy(&socket, &SocketMaster::stateChanged);
        QVERIFY(!socket.connectToHost("no-such-host.invalid", 8880));
        QTRY_COMPARE_WITH_TIMEOUT(errorSpy.count(), 2, 30000);
        QCOMPARE(errorSpy.at(1).at(0).toInt(), 11001);
        QCOMPARE(errorSpy.at(1).at(1).toString(), QString("Host not found."));
        QCOMPARE(statesOf(stateSpy), (QList<int>{4, 9}));
    }

    void misuseIsRefusedWithTheTableNumbers() {
        SocketMaster socket;
        QByteArray data;
        const auto refused = [](std::error_code code, SocketErrc expected) {
            return code == std::error_code(expected) && code.message() == vorda::freedb::socketErrorText(int(expected));
        };
        QVERIFY(refused(socket.getData(data), SocketErrc::WrongProtocolOrState));
        QVERIFY(refused(socket.sendData(QString("cddb hello")), SocketErrc::WrongProtocolOrState));
        QVERIFY(refused(socket.connectToHost("127.0.0.1", 0), SocketErrc::ArgumentOutOfRange));
        QVERIFY(refused(socket.connectToHost("127.0.0.1", 70000), SocketErrc::ArgumentOutOfRange));
        QVERIFY(refused(socket.connectToHost("127.0.0.1", "port"), SocketErrc::UnsupportedType));
        QVERIFY(refused(socket.connectToHost("127.0.0.1", QDate(2026, 1, 1)), SocketErrc::UnsupportedType));
        QVERIFY(refused(socket.setRemotePort(-1), SocketErrc::ArgumentOutOfRange));
        QVERIFY(refused(socket.setRemotePort(65536), SocketErrc::ArgumentOutOfRange));
        QCOMPARE(socket.state(), SocketState::Closed);

        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QVERIFY(!socket.setRemoteHost("127.0.0.1"));
        QVERIFY(!socket.setRemotePort(server.serverPort()));
        QVERIFY(!socket.connectToHost(QString(), QString::number(server.serverPort())));
        QTRY_COMPARE(socket.state(), SocketState::Connected);
        QVERIFY(refused(socket.connectToHost(), SocketErrc::InvalidOperation));
        QVERIFY(refused(socket.setRemoteHost("localhost"), SocketErrc::InvalidOperation));
        QVERIFY(refused(socket.setRemotePort(8880), SocketErrc::InvalidOperation));
        QVERIFY(refused(socket.sendData(QVariant::fromValue(QPoint(1, 2))), SocketErrc::UnsupportedType));
        QVERIFY(refused(socket.getData(data, -1), SocketErrc::ArgumentOutOfRange));
        QVERIFY(!socket.getData(data));
        QVERIFY(data.isEmpty());
    }

    void dataInPiecesAndSendsAreReported() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        SocketMaster socket;
        QSignalSpy arrivalSpy(&socket, &SocketMaster::dataArrival);
        QSignalSpy completeSpy(&socket, &SocketMaster::sendComplete);
        QSignalSpy progressSpy(&socket, &SocketMaster::sendProgress);
        QSignalSpy closedSpy(&socket, &SocketMaster::closed);
        QVERIFY(!socket.connectToHost("127.0.0.1", server.serverPort()));
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket* peer = server.nextPendingConnection();
        QTRY_COMPARE(socket.state(), SocketState::Connected);

        peer->write("abc");
        QTRY_COMPARE(arrivalSpy.count(), 1);
        peer->write("defg");
        QTRY_COMPARE(arrivalSpy.count(), 2);
        // Each arrival tells how much is waiting in all.
        QCOMPARE(arrivalSpy.at(0).at(0).toLongLong(), 3);
        QCOMPARE(arrivalSpy.at(1).at(0).toLongLong(), 7);
        QCOMPARE(socket.bytesReceived(), 7);
        QByteArray data;
        QVERIFY(!socket.getData(data, 2));
        QCOMPARE(data, QByteArray("ab"));
        QVERIFY(!socket.peekData(data));
        QCOMPARE(data, QByteArray("cdefg"));
        QCOMPARE(socket.bytesReceived(), 5);

        QVERIFY(!socket.sendData(QString("cddb hello\r\n")));
        QVERIFY(!socket.sendData(qint32(0x01020304)));
        QTRY_COMPARE(peer->bytesAvailable(), qint64(16));
        QCOMPARE(peer->readAll(), QByteArray("cddb hello\r\n\x04\x03\x02\x01", 16));
        QVERIFY(completeSpy.count() >= 1);
        QCOMPARE(progressSpy.last().at(1).toLongLong(), 0);

        // After the peer closes, what is left can still be taken, then nothing.
        peer->write("hij");
        peer->disconnectFromHost();
        QTRY_COMPARE(closedSpy.count(), 1);
        QCOMPARE(socket.state(), SocketState::Closing);
        QVERIFY(!socket.getData(data));
        QCOMPARE(data, QByteArray("cdefghij"));
        QCOMPARE(socket.getData(data), std::error_code(SocketErrc::WrongProtocolOrState));
        socket.closeSocket();
        QCOMPARE(socket.state(), SocketState::Closed);
    }
};

QTEST_GUILESS_MAIN(SocketMasterTest)
#include "tst_freedb_socket.moc"
