// SPDX-License-Identifier: GPL-2.0-or-later

// A session bus of the test's own (a private dbus-daemon) with test players on it, for the tests of
// the media player remote, of vorda-cli player and of the window's "Media player" menu. Needs
// VORDA_TEST_PLAYER (the mpris_test_player program) and VORDA_DBUS_DAEMON.
#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace playertest {

inline const QString kMprisPrefix = QStringLiteral("org.mpris.MediaPlayer2.");

// Writes an executable shell script with body; returns its path ("" when it cannot be written).
inline QString writeScript(const QString& path, const QString& body) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return QString();
    file.write("#!/bin/sh\n" + body.toUtf8() + "\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return path;
}

// A program at path that runs the test player under name with arguments; returns its path.
inline QString writePlayer(const QString& path, const QString& name, const QString& arguments = QString()) {
    return writeScript(
        path, QStringLiteral("exec '%1' --name %2 %3 \"$@\"").arg(QStringLiteral(VORDA_TEST_PLAYER), name, arguments));
}

class PrivateBus {
public:
    PrivateBus() = default;
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(kConnectionName);
        daemon_.kill();
        daemon_.waitForFinished();
    }

    // Starts the daemon and points DBUS_SESSION_BUS_ADDRESS at it, for this process (its session
    // bus, when nothing used it yet) and the programs it starts. Empty when all went well, else
    // what went wrong.
    QString start() {
        if (!dir_.isValid()) return QStringLiteral("no temporary folder");
        QFile config(dir_.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly)) return config.errorString();
        config.write(
            QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                           "<busconfig><type>session</type><listen>unix:dir=%1</listen><auth>EXTERNAL</auth>\n"
                           "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                           "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                .arg(dir_.path())
                .toUtf8());
        config.close();
        daemon_.setProgram(QStringLiteral(VORDA_DBUS_DAEMON));
        daemon_.setArguments({QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                              QStringLiteral("--print-address=1")});
        daemon_.start();
        if (!daemon_.waitForStarted()) return daemon_.errorString();
        QElapsedTimer clock;
        clock.start();
        while (!daemon_.canReadLine() && clock.elapsed() < 10000) daemon_.waitForReadyRead(100);
        const QByteArray address = daemon_.readLine().trimmed();
        if (address.isEmpty()) return QStringLiteral("the bus daemon told no address");
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        if (!QDBusConnection::connectToBus(QString::fromUtf8(address), kConnectionName).isConnected())
            return QStringLiteral("cannot connect to the private bus");
        return QString();
    }

    QDBusConnection connection() const { return QDBusConnection(kConnectionName); }

    QStringList mprisNames() const {
        return connection().interface()->registeredServiceNames().value().filter(
            QRegularExpression(QStringLiteral("^org\\.mpris\\.")));
    }

    bool waitForName(const QString& name, bool present) const {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            if (connection().interface()->isServiceRegistered(name).value() == present) return true;
            QTest::qWait(20);
        }
        return false;
    }

    // Starts program, a test player that calls itself name, and waits for it on the bus.
    bool startPlayer(const QString& program, const QString& name) const {
        return QProcess::startDetached(program, {}) && waitForName(kMprisPrefix + name, true);
    }

    // What the test player name answers to method of its test interface (a list, or one text).
    QStringList ask(const QString& name, const QString& method) const {
        const QDBusMessage reply = connection().call(
            QDBusMessage::createMethodCall(kMprisPrefix + name, QStringLiteral("/org/mpris/MediaPlayer2"),
                                           QStringLiteral("org.vorda.TestPlayer"), method),
            QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {QStringLiteral("error: ") + reply.errorMessage()};
        const QVariant value = reply.arguments().constFirst();
        return value.metaType() == QMetaType::fromType<QString>() ? QStringList{value.toString()}
                                                                  : value.toStringList();
    }

    // Asks every player on the bus to quit; true when all are gone within a few seconds.
    bool quitPlayers() const {
        for (const QString& name : mprisNames()) {
            const QDBusMessage quit =
                QDBusMessage::createMethodCall(name, QStringLiteral("/org/mpris/MediaPlayer2"),
                                               QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Quit"));
            connection().call(quit, QDBus::Block, 2000);
        }
        QElapsedTimer clock;
        clock.start();
        while (!mprisNames().isEmpty() && clock.elapsed() < 5000) QTest::qWait(20);
        return mprisNames().isEmpty();
    }

private:
    static inline const QString kConnectionName = QStringLiteral("vorda-player-test");
    QProcess daemon_;
    QTemporaryDir dir_;
};

}  // namespace playertest
