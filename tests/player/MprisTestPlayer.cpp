// SPDX-License-Identifier: GPL-2.0-or-later

// A media player for the remote's tests: it owns org.mpris.MediaPlayer2.<name> on the session bus,
// offers the MPRIS root and Player interfaces and, unless told not to, an editable TrackList, and
// keeps a list of every call it took. Tests read that list, its play list and its state through
// org.vorda.TestPlayer.
//
//   mpris_test_player [--name NAME] [--no-tracklist] [--shuffle] [--track URI]... [--appear-after MS]
//                     [-e|-a|--enqueue|--playlist-enqueue URI]... [--one-instance]
//
// The name defaults to the program's file name. Started while a player of that name runs, it
// hands the files to be enqueued to that player, as the real players' command lines do, and ends.
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <cstdio>

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kTestInterface = QStringLiteral("org.vorda.TestPlayer");

struct Track {
    QString id;
    QString uri;
};

// The player's state, shared by its interfaces.
class Player : public QObject {
    Q_OBJECT

public:
    bool offersTrackList = true;
    bool shuffle = false;
    QString status = QStringLiteral("Stopped");
    QList<Track> tracks;
    int current = -1;
    QStringList calls;

    void record(const QString& call) { calls << call; }

    int indexOf(const QString& id) const {
        for (int i = 0; i < tracks.size(); ++i) {
            if (tracks[i].id == id) return i;
        }
        return -1;
    }

    // Adds uri after the track with id after ("" or an unknown id: at the start); returns its index.
    int insert(const QString& uri, const QString& after) {
        const int at = indexOf(after) + 1;
        tracks.insert(at, Track{QStringLiteral("/org/vorda/TestPlayer/Track/%1").arg(nextId_++), uri});
        if (current >= at) ++current;
        return at;
    }

private:
    int nextId_ = 1;
};

class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(QString Identity READ identity)

public:
    explicit RootAdaptor(Player* player) : QDBusAbstractAdaptor(player), player_(player) {}
    bool hasTrackList() const { return player_->offersTrackList; }
    bool canQuit() const { return true; }
    QString identity() const { return QCoreApplication::applicationName(); }

public slots:
    void Raise() { player_->record(QStringLiteral("Raise")); }
    void Quit() { QTimer::singleShot(0, qApp, &QCoreApplication::quit); }

private:
    Player* player_;
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)

public:
    explicit PlayerAdaptor(Player* player) : QDBusAbstractAdaptor(player), player_(player) {}
    bool shuffle() const { return player_->shuffle; }
    void setShuffle(bool on) {
        player_->record(QStringLiteral("Set Shuffle %1").arg(on ? QStringLiteral("true") : QStringLiteral("false")));
        player_->shuffle = on;
    }
    QString playbackStatus() const { return player_->status; }

public slots:
    void Play() {
        player_->record(QStringLiteral("Play"));
        if (player_->current < 0 && !player_->tracks.isEmpty()) player_->current = 0;
        if (player_->current >= 0) player_->status = QStringLiteral("Playing");
    }
    void Pause() {
        player_->record(QStringLiteral("Pause"));
        if (player_->status == QStringLiteral("Playing")) player_->status = QStringLiteral("Paused");
    }
    void PlayPause() {
        player_->record(QStringLiteral("PlayPause"));
        player_->status =
            player_->status == QStringLiteral("Playing") ? QStringLiteral("Paused") : QStringLiteral("Playing");
    }
    void Stop() {
        player_->record(QStringLiteral("Stop"));
        player_->status = QStringLiteral("Stopped");
    }
    void Next() {
        player_->record(QStringLiteral("Next"));
        if (player_->current + 1 < player_->tracks.size()) ++player_->current;
    }
    void Previous() {
        player_->record(QStringLiteral("Previous"));
        if (player_->current > 0) --player_->current;
    }
    // Adds the file at the end and plays it.
    void OpenUri(const QString& uri) {
        player_->record(QStringLiteral("OpenUri ") + uri);
        const QString last = player_->tracks.isEmpty() ? QString() : player_->tracks.constLast().id;
        player_->current = player_->insert(uri, last);
        player_->status = QStringLiteral("Playing");
    }

private:
    Player* player_;
};

class TrackListAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.TrackList")
    Q_PROPERTY(QList<QDBusObjectPath> Tracks READ tracks)
    Q_PROPERTY(bool CanEditTracks READ canEditTracks)

public:
    explicit TrackListAdaptor(Player* player) : QDBusAbstractAdaptor(player), player_(player) {}
    QList<QDBusObjectPath> tracks() const {
        QList<QDBusObjectPath> ids;
        for (const Track& track : player_->tracks) ids << QDBusObjectPath(track.id);
        return ids;
    }
    bool canEditTracks() const { return true; }

public slots:
    void AddTrack(const QString& uri, const QDBusObjectPath& afterTrack, bool setAsCurrent) {
        const int index = player_->indexOf(afterTrack.path());
        player_->record(QStringLiteral("AddTrack %1 after %2%3")
                            .arg(uri, index < 0 ? afterTrack.path() : player_->tracks[index].uri,
                                 setAsCurrent ? QStringLiteral(" current") : QString()));
        const int at = player_->insert(uri, afterTrack.path());
        if (setAsCurrent) player_->current = at;
    }
    void GoTo(const QDBusObjectPath& trackId) {
        player_->record(QStringLiteral("GoTo ") + trackId.path());
        const int index = player_->indexOf(trackId.path());
        if (index >= 0) player_->current = index;
    }

private:
    Player* player_;
};

class TestAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.vorda.TestPlayer")

public:
    explicit TestAdaptor(Player* player) : QDBusAbstractAdaptor(player), player_(player) {}

public slots:
    QStringList Calls() const { return player_->calls; }
    QStringList Playlist() const {
        QStringList uris;
        for (const Track& track : player_->tracks) uris << track.uri;
        return uris;
    }
    QString Current() const { return player_->current >= 0 ? player_->tracks[player_->current].uri : QString(); }
    QString Status() const { return player_->status; }
    // What a second start of the program with files to enqueue hands over.
    void CommandLineEnqueue(const QString& uri) {
        player_->record(QStringLiteral("CommandLine ") + uri);
        const QString last = player_->tracks.isEmpty() ? QString() : player_->tracks.constLast().id;
        player_->insert(uri, last);
    }

private:
    Player* player_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString name = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    Player player;
    QStringList initialTracks;
    QStringList toEnqueue;
    int appearAfter = 0;
    const QStringList arguments = app.arguments().mid(1);
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QStringLiteral("--name") && hasValue) {
            name = arguments[++i];
        } else if (argument == QStringLiteral("--no-tracklist")) {
            player.offersTrackList = false;
        } else if (argument == QStringLiteral("--shuffle")) {
            player.shuffle = true;
        } else if (argument == QStringLiteral("--track") && hasValue) {
            initialTracks << arguments[++i];
        } else if (argument == QStringLiteral("--appear-after") && hasValue) {
            appearAfter = arguments[++i].toInt();
        } else if ((argument == QStringLiteral("-e") || argument == QStringLiteral("-a") ||
                    argument == QStringLiteral("--enqueue") || argument == QStringLiteral("--playlist-enqueue")) &&
                   hasValue) {
            toEnqueue << arguments[++i];
        } else if (argument != QStringLiteral("--one-instance")) {
            std::fprintf(stderr, "mpris_test_player: unknown argument %s\n", qPrintable(argument));
            return 2;
        }
    }
    app.setApplicationName(name);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "mpris_test_player: no session bus\n");
        return 3;
    }
    const QString service = QStringLiteral("org.mpris.MediaPlayer2.") + name;
    if (!toEnqueue.isEmpty() && bus.interface()->isServiceRegistered(service)) {
        for (const QString& uri : toEnqueue) {
            const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(service, kObjectPath, kTestInterface,
                                                                               QStringLiteral("CommandLineEnqueue"))
                                                << uri);
            if (reply.type() != QDBusMessage::ReplyMessage) {
                std::fprintf(stderr, "mpris_test_player: %s\n", qPrintable(reply.errorMessage()));
                return 4;
            }
        }
        return 0;
    }

    for (const QString& uri : initialTracks + toEnqueue)
        player.insert(uri, player.tracks.isEmpty() ? QString() : player.tracks.constLast().id);
    new RootAdaptor(&player);
    new PlayerAdaptor(&player);
    if (player.offersTrackList) new TrackListAdaptor(&player);
    new TestAdaptor(&player);

    QTimer::singleShot(appearAfter, &app, [&] {
        if (!bus.registerObject(kObjectPath, &player, QDBusConnection::ExportAdaptors) ||
            !bus.registerService(service)) {
            std::fprintf(stderr, "mpris_test_player: %s is taken\n", qPrintable(service));
            app.exit(5);
        }
    });
    // Ends with the bus it serves.
    QTimer busCheck;
    QObject::connect(&busCheck, &QTimer::timeout, &app, [&] {
        if (!bus.isConnected()) app.quit();
    });
    busCheck.start(200);
    return app.exec();
}

#include "MprisTestPlayer.moc"
