// SPDX-License-Identifier: GPL-2.0-or-later

// The media player remote for a program that has no Qt application of its own (the command line):
// it makes the core application the remote's bus connection and waits need, for as long as it lives.
#pragma once

#include <memory>
#include <string>

#include "player/qt/MprisRemote.h"

class QCoreApplication;

namespace vorda::player {

class StandaloneRemote {
public:
    // Uses the application that runs already, else makes one.
    explicit StandaloneRemote(RemoteOptions options);
    ~StandaloneRemote();
    StandaloneRemote(const StandaloneRemote&) = delete;
    StandaloneRemote& operator=(const StandaloneRemote&) = delete;

    MprisRemote& remote() { return *remote_; }
    // MprisRemote::lastError() as UTF-8.
    [[nodiscard]] std::string lastError() const;

private:
    int argc_ = 1;
    char programName_[10] = "vorda-cli";
    char* argv_[2] = {programName_, nullptr};
    std::unique_ptr<QCoreApplication> application_;
    std::unique_ptr<MprisRemote> remote_;
};

}  // namespace vorda::player
