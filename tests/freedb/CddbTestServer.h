// SPDX-License-Identifier: GPL-2.0-or-later

// A CDDB server on 127.0.0.1 for the tests: it greets, writes down every command it receives and
// answers each with the first unused scripted answer whose prefix the command starts with.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
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
        // One queue per connection, written a byte per tick: an answer to a command the client
        // sends before the previous answer is out (it may answer a line at its CR, before the LF)
        // follows that answer instead of being interleaved with it.
        Trickle& out = trickles_[socket];
        out.pending += bytes;
        out.closeAfter = out.closeAfter || closeAfter;
        if (!out.timer) {
            out.timer = new QTimer(socket);
            connect(out.timer, &QTimer::timeout, socket, [this, socket] {
                Trickle& queued = trickles_[socket];
                if (!queued.pending.isEmpty()) {
                    socket->write(queued.pending.left(1));
                    socket->flush();
                    queued.pending.remove(0, 1);
                }
                if (queued.pending.isEmpty()) {
                    queued.timer->stop();
                    if (queued.closeAfter) socket->disconnectFromHost();
                }
            });
        }
        out.timer->start(1);
    }

    struct Trickle {
        QByteArray pending;
        bool closeAfter = false;
        QTimer* timer = nullptr;
    };

    QHash<QTcpSocket*, Trickle> trickles_;
    QTcpServer server_;
    QByteArray buffer_;
};

// The dialogue of an exact match of the album: hello, query, read.
inline QList<ScriptedAnswer> exactAnswers() {
    return {CddbTestServer::answer("cddb hello", kHelloOk),
            CddbTestServer::answer("cddb query", "200 rock d026c03 Some Artist / Some Album\r\n"),
            CddbTestServer::answer("cddb read", kEntry)};
}
