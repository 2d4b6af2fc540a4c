// SPDX-License-Identifier: GPL-2.0-or-later

// A CDDB server on 127.0.0.1 for the tests: it greets, writes down every command it receives and
// answers each with the first unused scripted answer whose prefix the command starts with.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

// The answers of a server that knows the three-track album of the tests (200, 180 and 240 s).
inline const QByteArray kHelloOk = "200 Hello and welcome\r\n";
inline const QByteArray kEntry = "210 rock d026c03 CD database entry follows (until terminating `.')\r\n"
                                 "# xmcd\r\n"
                                 "DISCID=d026c03\r\n"
                                 "DTITLE=Some Artist / Some Album\r\n"
                                 "TTITLE0=Intro\r\n"
                                 "TTITLE1=Guest / Second\r\n"
                                 "TTITLE2=Third\r\n"
                                 "EXTD= YEAR: 1997 ID3G: 17\r\n"
                                 ".\r\n";
inline const QByteArray kQuery = "cddb query d026c03 3 0 15000 28500 620";

// A mono MPEG-1 layer III stream at 32 kbit/s (104-byte frames) of a little over the given time.
inline void writeMp3(const QString& path, int seconds) {
    const int frames = (seconds * 1000 + 500) / 26 + 1;
    QByteArray frame(104, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x10';
    frame[3] = '\xC0';
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < frames; ++i) file.write(frame);
}

struct ScriptedAnswer {
    QByteArray prefix;
    QByteArray bytes;
    bool closeAfter = false;  // close the connection once the answer is out
    int delayMs = 0;
};

class CddbTestServer : public QObject {
public:
    QByteArray greeting = "201 cddb.test CDDBP server v1.5PL3 ready at Sun Dec 06 23:00:00 2026\r\n";
    QList<ScriptedAnswer> answers;
    bool trickle = false;  // write every answer one byte at a time
    QList<QByteArray> commands;
    int connections = 0;

    CddbTestServer() {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                ++connections;
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readCommands(socket); });
                if (!greeting.isEmpty()) write(socket, greeting, false);
            }
        });
    }

    bool listen() { return server_.listen(QHostAddress::LocalHost, 0); }
    quint16 port() const { return server_.serverPort(); }

    static ScriptedAnswer answer(const char* prefix, const QByteArray& bytes) { return {prefix, bytes}; }

private:
    void readCommands(QTcpSocket* socket) {
        buffer_ += socket->readAll();
        for (qsizetype end; (end = buffer_.indexOf("\r\n")) >= 0;) {
            const QByteArray command = buffer_.left(end);
            buffer_.remove(0, end + 2);
            commands.append(command);
            for (ScriptedAnswer& answer : answers) {
                if (!answer.prefix.isEmpty() && command.startsWith(answer.prefix)) {
                    answer.prefix.clear();
                    if (answer.delayMs > 0)
                        QTimer::singleShot(answer.delayMs, socket,
                                           [this, socket, answer] { write(socket, answer.bytes, answer.closeAfter); });
                    else
                        write(socket, answer.bytes, answer.closeAfter);
                    break;
                }
            }
        }
    }

    void write(QTcpSocket* socket, const QByteArray& bytes, bool closeAfter) {
        if (!trickle) {
            socket->write(bytes);
            if (closeAfter) socket->disconnectFromHost();
            return;
        }
        for (qsizetype i = 0; i < bytes.size(); ++i)
            QTimer::singleShot(static_cast<int>(i), socket, [socket, byte = bytes.mid(i, 1)] {
                socket->write(byte);
                socket->flush();
            });
        if (closeAfter)
            QTimer::singleShot(static_cast<int>(bytes.size()) + 1, socket, [socket] { socket->disconnectFromHost(); });
    }

    QTcpServer server_;
    QByteArray buffer_;
};
