// SPDX-License-Identifier: GPL-2.0-or-later

// The media player remote: drives a player program through its MPRIS 2 interfaces on the D-Bus
// session bus, starting the program when it is not running. Every request first finds the
// program (the configured one, else a known player on PATH), then the player on the bus; a player
// on the bus whose program is not found is not used.
//
// Requests are synchronous for the caller but keep the event loop running while they wait for a
// starting player or an enqueue command, so other requests may run meanwhile; the remote must
// outlive them (give it the window as parent).
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariant>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "player/PlayerProgram.h"
#include "player/RemoteOutcome.h"

class QDBusMessage;

namespace vorda::player {

struct RemoteOptions {
    std::string configuredPath;                   // [Player] PlayerPath; "" finds a known player
    std::optional<std::string> searchPath;        // the PATH to look in; nothing: this process's PATH
    std::chrono::milliseconds startLimit{10000};  // how long a started player may take to show up
    std::chrono::milliseconds callLimit{3000};    // how long the player may take to answer a request
};

struct ShuffleState {
    RemoteOutcome outcome = RemoteOutcome::NotFound;
    bool on = false;
};

enum class EnqueueMode { AppendAll, PlayFirst };

class MprisRemote : public QObject {
    Q_OBJECT

public:
    explicit MprisRemote(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    void setOptions(RemoteOptions options) { options_ = std::move(options); }
    [[nodiscard]] const RemoteOptions& options() const { return options_; }

    // The transport commands of the player.
    [[nodiscard]] RemoteOutcome play();
    [[nodiscard]] RemoteOutcome playPause();
    [[nodiscard]] RemoteOutcome stop();
    [[nodiscard]] RemoteOutcome next();
    [[nodiscard]] RemoteOutcome previous();

    [[nodiscard]] ShuffleState shuffle();
    [[nodiscard]] RemoteOutcome setShuffle(bool on);

    // Adds the file at the end of the player's list.
    [[nodiscard]] RemoteOutcome enqueue(const std::string& path);
    // Adds the file at the end of the player's list and plays it; the shuffle state stays as it was.
    [[nodiscard]] RemoteOutcome enqueueAndPlay(const std::string& path);
    // Adds the files in their order (PlayFirst: and plays the first). One outcome per file. When a
    // player started for the first file does not show up in time, or the player does not answer in
    // time, the later files are not waited for again: they end NotFound or Failed at once.
    [[nodiscard]] std::vector<RemoteOutcome> enqueueFiles(const std::vector<std::string>& paths, EnqueueMode mode);
    // Has the player open and play the file.
    [[nodiscard]] RemoteOutcome openFile(const std::string& path);

    // Makes sure the player runs, starting its program when it is not on the bus and waiting for it
    // (the event loop keeps running meanwhile). Done or NotFound.
    [[nodiscard]] RemoteOutcome ensurePlayer();

    // Why the last request that did not end Done ended as it did.
    [[nodiscard]] const QString& lastError() const { return lastError_; }

private:
    // What one user command has learnt about the player so far.
    struct Command {
        bool startGaveUp = false;  // a started player did not show up within the limit
        bool callGaveUp = false;   // the player did not answer within the limit
    };
    struct Located {
        PlayerProgram program;
        QString service;
    };
    struct PendingStart {
        std::string programPath;
        std::chrono::steady_clock::time_point deadline;
    };

    [[nodiscard]] std::string searchPath() const;
    [[nodiscard]] std::optional<Located> locate(Command& command);
    [[nodiscard]] std::optional<QString> serviceOnBus(const PlayerProgram& program);
    [[nodiscard]] std::optional<QString> waitForService(const PlayerProgram& program,
                                                        std::chrono::steady_clock::time_point deadline);
    [[nodiscard]] std::optional<QDBusMessage> call(Command& command, const QString& service, const QString& interface,
                                                   const QString& method, const QVariantList& arguments = {});
    [[nodiscard]] std::optional<QVariant> property(Command& command, const QString& service, const QString& interface,
                                                   const QString& name);
    [[nodiscard]] RemoteOutcome playerMethod(const char* method);
    [[nodiscard]] RemoteOutcome enqueueOne(Command& command, const std::string& path, bool play);
    [[nodiscard]] RemoteOutcome runCommandLine(Command& command, const CommandLine& commandLine);
    RemoteOutcome fail(RemoteOutcome outcome, QString why);

    QDBusConnection bus_;
    RemoteOptions options_;
    QString lastError_;
    std::optional<PendingStart> pendingStart_;
};

}  // namespace vorda::player
