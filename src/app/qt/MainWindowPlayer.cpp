// SPDX-License-Identifier: GPL-2.0-or-later

// The file list's "Media player" pop-up: the selected files enqueued or opened in the media
// player, and its transport commands. The remote keeps the window's event loop running while it
// waits for a starting player, so the window stays usable meanwhile.
#include <QAction>
#include <QDBusConnection>

#include <string>
#include <vector>

#include "app/Settings.h"
#include "app/qt/MainWindow.h"
#include "base/Text.h"
#include "player/qt/MprisRemote.h"

using namespace vorda::base;
using namespace vorda::player;

namespace vorda::app {

void MainWindow::setupPlayer() {
    auto bind = [this](QAction* item, auto command) {
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, command);
    };
    bind(playerEnqueuePlayItem_, [this] { enqueueSelectedInPlayer(true); });
    bind(playerEnqueueItem_, [this] { enqueueSelectedInPlayer(false); });
    bind(playerOpenFileItem_, [this] { openCurrentInPlayer(); });
    bind(playerNextItem_, [this] { playerDone(playerRemote().next()); });
    bind(playerPreviousItem_, [this] { playerDone(playerRemote().previous()); });
    bind(playerPlayItem_, [this] { playerDone(playerRemote().play()); });
    bind(playerPauseItem_, [this] { playerDone(playerRemote().playPause()); });
    bind(playerStopItem_, [this] { playerDone(playerRemote().stop()); });
}

MprisRemote& MainWindow::playerRemote() {
    // The session bus is reached at the first use of the menu, not when the window opens.
    if (!player_) player_ = new MprisRemote(QDBusConnection::sessionBus(), this);
    // The program may have been chosen in the options dialog since the last command.
    RemoteOptions options = player_->options();
    options.configuredPath = settings().playerPath;
    player_->setOptions(std::move(options));
    return *player_;
}

void MainWindow::playerDone(RemoteOutcome outcome, bool tellNotFound) {
    if (outcome == RemoteOutcome::Done) return;
    // Why, for the curious; a player that is not there is also said in a message.
    setStatus(3, player_->lastError().toStdString());
    if (outcome == RemoteOutcome::NotFound && tellNotFound)
        ask(std::string(kNotFoundMessage), MessageButtons::Ok, MessageIcon::Error, std::string(kNotFoundTitle));
}

void MainWindow::enqueueSelectedInPlayer(bool playFirst) {
    std::vector<std::string> paths;
    for (int row = 1; row <= list_.count(); ++row) {
        if (list_.selected(row)) paths.push_back(list_.getFullPath(row));
    }
    if (paths.empty()) return;
    const std::vector<RemoteOutcome> outcomes =
        playerRemote().enqueueFiles(paths, playFirst ? EnqueueMode::PlayFirst : EnqueueMode::AppendAll);
    // One message for each file the player could not be found for.
    for (const RemoteOutcome outcome : outcomes) playerDone(outcome);
}

void MainWindow::openCurrentInPlayer() {
    if (list_.count() == 0) return;
    const std::string path = list_.getFullPath(currentRow());
    if (!pathExists(path) || cmds_.bMultiChange) return;
    // A player that cannot be found is not said here: opening a file just does nothing then.
    playerDone(playerRemote().openFile(path), false);
}

}  // namespace vorda::app
