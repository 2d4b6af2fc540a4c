// SPDX-License-Identifier: GPL-2.0-or-later

#include "player/qt/MprisRemote.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <cstdlib>
#include <memory>

#include "player/FileUri.h"

namespace vorda::player {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kTrackListInterface = QStringLiteral("org.mpris.MediaPlayer2.TrackList");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
// AddTrack's "after" for a list that is still empty: insert at the start.
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
const QString kNoReply = QStringLiteral("org.freedesktop.DBus.Error.NoReply");
const QString kTimedOut = QStringLiteral("org.freedesktop.DBus.Error.Timeout");

constexpr std::chrono::milliseconds kBusPollInterval{50};

// A value as a reply carries it, out of its variant wrappers.
QVariant unwrapped(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return unwrapped(value.value<QDBusVariant>().variant());
    return value;
}

QString quotedProgram(const std::string& path) { return QStringLiteral("\"%1\"").arg(QFile::decodeName(path.c_str())); }

}  // namespace

MprisRemote::MprisRemote(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus)) {}

RemoteOutcome MprisRemote::play() { return playerMethod("Play"); }
RemoteOutcome MprisRemote::playPause() { return playerMethod("PlayPause"); }
RemoteOutcome MprisRemote::stop() { return playerMethod("Stop"); }
RemoteOutcome MprisRemote::next() { return playerMethod("Next"); }
RemoteOutcome MprisRemote::previous() { return playerMethod("Previous"); }

ShuffleState MprisRemote::shuffle() {
    Command command;
    const auto player = locate(command);
    if (!player) return {RemoteOutcome::NotFound, false};
    const auto value = property(command, player->service, kPlayerInterface, QStringLiteral("Shuffle"));
    if (!value) return {RemoteOutcome::Failed, false};
    if (value->metaType() != QMetaType::fromType<bool>()) {
        fail(RemoteOutcome::Failed, QStringLiteral("The player's shuffle state is not a yes or no value"));
        return {RemoteOutcome::Failed, false};
    }
    return {RemoteOutcome::Done, value->toBool()};
}

RemoteOutcome MprisRemote::setShuffle(bool on) {
    Command command;
    const auto player = locate(command);
    if (!player) return RemoteOutcome::NotFound;
    const QVariantList arguments{kPlayerInterface, QStringLiteral("Shuffle"), QVariant::fromValue(QDBusVariant(on))};
    if (!call(command, player->service, kPropertiesInterface, QStringLiteral("Set"), arguments))
        return RemoteOutcome::Failed;
    return RemoteOutcome::Done;
}

RemoteOutcome MprisRemote::enqueue(const std::string& path) {
    return enqueueFiles({path}, EnqueueMode::AppendAll).front();
}

RemoteOutcome MprisRemote::enqueueAndPlay(const std::string& path) {
    return enqueueFiles({path}, EnqueueMode::PlayFirst).front();
}

std::vector<RemoteOutcome> MprisRemote::enqueueFiles(const std::vector<std::string>& paths, EnqueueMode mode) {
    Command command;
    std::vector<RemoteOutcome> outcomes;
    outcomes.reserve(paths.size());
    for (size_t i = 0; i < paths.size(); ++i)
        outcomes.push_back(enqueueOne(command, paths[i], mode == EnqueueMode::PlayFirst && i == 0));
    return outcomes;
}

RemoteOutcome MprisRemote::openFile(const std::string& path) {
    Command command;
    const auto player = locate(command);
    if (!player) return RemoteOutcome::NotFound;
    const std::string uri = fileUri(path);
    if (uri.empty()) return fail(RemoteOutcome::Failed, QStringLiteral("No location can be made of the file name"));
    if (!call(command, player->service, kPlayerInterface, QStringLiteral("OpenUri"), {QString::fromStdString(uri)}))
        return RemoteOutcome::Failed;
    return RemoteOutcome::Done;
}

RemoteOutcome MprisRemote::ensurePlayer() {
    Command command;
    return locate(command) ? RemoteOutcome::Done : RemoteOutcome::NotFound;
}

std::string MprisRemote::searchPath() const {
    if (options_.searchPath) return *options_.searchPath;
    const char* path = std::getenv("PATH");
    return path ? std::string(path) : std::string();
}

RemoteOutcome MprisRemote::fail(RemoteOutcome outcome, QString why) {
    lastError_ = std::move(why);
    return outcome;
}

std::optional<MprisRemote::Located> MprisRemote::locate(Command& command) {
    // The program comes first: a player on the bus is only used when its program is there too.
    auto program = findPlayerProgram(options_.configuredPath, searchPath());
    if (!program) {
        fail(RemoteOutcome::NotFound, QStringLiteral("No media player program was found"));
        return std::nullopt;
    }
    if (!bus_.isConnected()) {
        // Nothing started could be reached.
        fail(RemoteOutcome::NotFound, QStringLiteral("There is no session bus to reach the media player on"));
        return std::nullopt;
    }
    if (auto service = serviceOnBus(*program)) return Located{std::move(*program), std::move(*service)};
    if (command.startGaveUp) {
        fail(RemoteOutcome::NotFound, QStringLiteral("The media player did not start"));
        return std::nullopt;
    }

    // A start still under way (asked for by a command this one interrupted) is waited for, not
    // repeated.
    const auto now = std::chrono::steady_clock::now();
    if (!pendingStart_ || pendingStart_->programPath != program->path || now >= pendingStart_->deadline) {
        QProcess starter;
        starter.setProgram(QFile::decodeName(program->path.c_str()));
        starter.setStandardInputFile(QProcess::nullDevice());
        starter.setStandardOutputFile(QProcess::nullDevice());
        starter.setStandardErrorFile(QProcess::nullDevice());
        if (!starter.startDetached()) {
            pendingStart_.reset();
            fail(
                RemoteOutcome::NotFound,
                QStringLiteral("%1 could not be started: %2").arg(quotedProgram(program->path), starter.errorString()));
            return std::nullopt;
        }
        pendingStart_ = PendingStart{program->path, now + options_.startLimit};
    }
    auto service = waitForService(*program, pendingStart_->deadline);
    if (!service) {
        command.startGaveUp = true;
        fail(RemoteOutcome::NotFound,
             QStringLiteral("%1 did not show up on the session bus in time").arg(quotedProgram(program->path)));
        return std::nullopt;
    }
    pendingStart_.reset();
    return Located{std::move(*program), std::move(*service)};
}

std::optional<QString> MprisRemote::serviceOnBus(const PlayerProgram& program) {
    const QDBusMessage request =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames"));
    const QDBusMessage reply = bus_.call(request, QDBus::Block, static_cast<int>(options_.callLimit.count()));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
    const QStringList names = reply.arguments().constFirst().toStringList();
    // A player running more than once may add an instance part: org.mpris.MediaPlayer2.vlc.instance42.
    const QString name = QString::fromStdString(busNameOf(program.name));
    if (names.contains(name)) return name;
    const QString instancePrefix = name + QLatin1Char('.');
    for (const QString& registered : names) {
        if (registered.startsWith(instancePrefix)) return registered;
    }
    return std::nullopt;
}

std::optional<QString> MprisRemote::waitForService(const PlayerProgram& program,
                                                   std::chrono::steady_clock::time_point deadline) {
    std::optional<QString> found;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(kBusPollInterval);
    connect(&poll, &QTimer::timeout, &loop, [&] {
        found = serviceOnBus(program);
        if (found || std::chrono::steady_clock::now() >= deadline) loop.quit();
    });
    poll.start();
    loop.exec();
    return found;
}

std::optional<QDBusMessage> MprisRemote::call(Command& command, const QString& service, const QString& interface,
                                              const QString& method, const QVariantList& arguments) {
    // Once the player has let a request run out of time, this command asks it nothing more.
    if (command.callGaveUp) return std::nullopt;
    QDBusMessage request = QDBusMessage::createMethodCall(service, kObjectPath, interface, method);
    request.setArguments(arguments);
    QDBusMessage reply = bus_.call(request, QDBus::Block, static_cast<int>(options_.callLimit.count()));
    if (reply.type() == QDBusMessage::ReplyMessage) return reply;
    if (reply.errorName() == kNoReply || reply.errorName() == kTimedOut) command.callGaveUp = true;
    fail(RemoteOutcome::Failed, QStringLiteral("The media player refused %1.%2: %3")
                                    .arg(interface.section(QLatin1Char('.'), -1), method,
                                         reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage()));
    return std::nullopt;
}

std::optional<QVariant> MprisRemote::property(Command& command, const QString& service, const QString& interface,
                                              const QString& name) {
    const auto reply = call(command, service, kPropertiesInterface, QStringLiteral("Get"), {interface, name});
    if (!reply) return std::nullopt;
    if (reply->arguments().isEmpty()) {
        fail(RemoteOutcome::Failed, QStringLiteral("The media player sent no value for %1").arg(name));
        return std::nullopt;
    }
    return unwrapped(reply->arguments().constFirst());
}

RemoteOutcome MprisRemote::playerMethod(const char* method) {
    Command command;
    const auto player = locate(command);
    if (!player) return RemoteOutcome::NotFound;
    if (!call(command, player->service, kPlayerInterface, QString::fromLatin1(method))) return RemoteOutcome::Failed;
    return RemoteOutcome::Done;
}

RemoteOutcome MprisRemote::enqueueOne(Command& command, const std::string& path, bool play) {
    if (command.callGaveUp) return RemoteOutcome::Failed;
    const auto player = locate(command);
    if (!player) return RemoteOutcome::NotFound;
    const std::string uri = fileUri(path);
    if (uri.empty()) return fail(RemoteOutcome::Failed, QStringLiteral("No location can be made of the file name"));
    const QString location = QString::fromStdString(uri);

    const auto hasTrackList = property(command, player->service, kRootInterface, QStringLiteral("HasTrackList"));
    if (!hasTrackList) return RemoteOutcome::Failed;
    if (hasTrackList->toBool()) {
        const auto reply =
            call(command, player->service, kPropertiesInterface, QStringLiteral("GetAll"), {kTrackListInterface});
        if (!reply) return RemoteOutcome::Failed;
        QVariantMap trackList;
        if (!reply->arguments().isEmpty())
            trackList = qdbus_cast<QVariantMap>(reply->arguments().constFirst().value<QDBusArgument>());
        if (trackList.value(QStringLiteral("CanEditTracks")).toBool()) {
            const QVariant tracksValue = unwrapped(trackList.value(QStringLiteral("Tracks")));
            QList<QDBusObjectPath> tracks;
            if (tracksValue.canConvert<QDBusArgument>())
                tracks = qdbus_cast<QList<QDBusObjectPath>>(tracksValue.value<QDBusArgument>());
            else
                tracks = tracksValue.value<QList<QDBusObjectPath>>();
            const QDBusObjectPath after = tracks.isEmpty() ? QDBusObjectPath(kNoTrack) : tracks.constLast();
            // Made current as it is added, the new track plays next whatever the shuffle state, so
            // shuffle is left alone.
            if (!call(command, player->service, kTrackListInterface, QStringLiteral("AddTrack"),
                      {location, QVariant::fromValue(after), play}))
                return RemoteOutcome::Failed;
            if (play && !call(command, player->service, kPlayerInterface, QStringLiteral("Play")))
                return RemoteOutcome::Failed;
            return RemoteOutcome::Done;
        }
    }

    // Without an editable track list: opening a file adds it to the list and plays it; a file that
    // is only added goes through the player's own command line.
    if (play) {
        if (!call(command, player->service, kPlayerInterface, QStringLiteral("OpenUri"), {location}))
            return RemoteOutcome::Failed;
        return RemoteOutcome::Done;
    }
    const auto commandLine = enqueueCommandLine(player->program, uri, searchPath());
    if (!commandLine)
        return fail(
            RemoteOutcome::Failed,
            QStringLiteral("%1 offers no way to add files to its list").arg(quotedProgram(player->program.path)));
    return runCommandLine(command, *commandLine);
}

RemoteOutcome MprisRemote::runCommandLine(Command& command, const CommandLine& commandLine) {
    auto* process = new QProcess(this);
    process->setProgram(QFile::decodeName(commandLine.program.c_str()));
    QStringList arguments;
    for (const std::string& argument : commandLine.arguments) arguments << QFile::decodeName(argument.c_str());
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());

    bool ended = false;
    QEventLoop loop;
    connect(process, &QProcess::finished, &loop, [&] {
        ended = true;
        loop.quit();
    });
    connect(process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) loop.quit();
    });
    QTimer::singleShot(options_.callLimit, &loop, &QEventLoop::quit);
    process->start();
    if (process->state() != QProcess::NotRunning && !ended) loop.exec();

    const QString program = quotedProgram(commandLine.program);
    if (!ended && process->state() != QProcess::NotRunning) {
        // Left to finish on its own; this command waits for it no longer.
        connect(process, &QProcess::finished, process, &QObject::deleteLater);
        command.callGaveUp = true;
        return fail(RemoteOutcome::Failed, QStringLiteral("%1 did not finish in time").arg(program));
    }
    const std::unique_ptr<QProcess> ownedProcess(process);
    if (process->error() == QProcess::FailedToStart)
        return fail(RemoteOutcome::Failed,
                    QStringLiteral("%1 could not be started: %2").arg(program, process->errorString()));
    if (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0) {
        const QString said =
            QString::fromLocal8Bit(process->readAllStandardError()).trimmed().section(QLatin1Char('\n'), 0, 0);
        return fail(RemoteOutcome::Failed, QStringLiteral("%1 ended with status %2%3")
                                               .arg(program)
                                               .arg(process->exitCode())
                                               .arg(said.isEmpty() ? QString() : QStringLiteral(": ") + said));
    }
    return RemoteOutcome::Done;
}

}  // namespace vorda::player
