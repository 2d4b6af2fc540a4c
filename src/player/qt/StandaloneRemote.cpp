// SPDX-License-Identifier: GPL-2.0-or-later

#include "player/qt/StandaloneRemote.h"

#include <QCoreApplication>

namespace vorda::player {

StandaloneRemote::StandaloneRemote(RemoteOptions options) {
    if (!QCoreApplication::instance()) application_ = std::make_unique<QCoreApplication>(argc_, argv_);
    remote_ = std::make_unique<MprisRemote>(QDBusConnection::sessionBus());
    remote_->setOptions(std::move(options));
}

// The remote goes before the application it runs in.
StandaloneRemote::~StandaloneRemote() { remote_.reset(); }

std::string StandaloneRemote::lastError() const { return remote_->lastError().toStdString(); }

}  // namespace vorda::player
