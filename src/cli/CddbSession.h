// SPDX-License-Identifier: GPL-2.0-or-later

// A CDDB conversation over a TCP connection of its own, for vorda-cli: the CddbClient is fed from
// a POSIX socket (non-blocking connect, poll) until it has something to tell, with the time limits
// the window uses. The caller waits meanwhile, which is what a command-line program wants.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "base/FileDescriptor.h"
#include "freedb/CddbClient.h"

namespace vorda::cli {

class CddbSession {
public:
    explicit CddbSession(freedb::CddbClient& client) : client_(client) {}
    CddbSession(const CddbSession&) = delete;
    CddbSession& operator=(const CddbSession&) = delete;

    void setLimits(std::chrono::milliseconds connect, std::chrono::milliseconds answer);

    // Carries out the client's output (start(), sendRead(), ...) and goes on with the
    // conversation while the client waits for the server. Returns every event told meanwhile, in
    // order; the last one says why it stopped (the matches to choose from, the result, no match,
    // an error), unless the client had nothing to wait for.
    [[nodiscard]] std::vector<freedb::ClientEvent> run(freedb::ClientOutput output);

private:
    using Clock = std::chrono::steady_clock;

    void take(freedb::ClientOutput output);
    // Connects to host:port (each address the name stands for in turn) before the deadline; the
    // client hears the outcome.
    void connect(const std::string& host, int port);
    // Waits until the server sends something, closes the connection or the deadline passes.
    void await();
    // Sends a command; 0, or the number of the socket error table that stopped it.
    [[nodiscard]] int send(const std::string& bytes);

    freedb::CddbClient& client_;
    std::chrono::milliseconds connectLimit_ = freedb::CddbClient::kConnectLimit;
    std::chrono::milliseconds answerLimit_ = freedb::CddbClient::kAnswerLimit;
    base::UniqueFd socket_;
    Clock::time_point deadline_;   // the wait for the next bytes of an answer ends
    Clock::time_point answerEnd_;  // the wait for the whole answer ends
    bool connectPending_ = false;
    std::string host_;
    int port_ = 0;
    std::vector<freedb::ClientEvent> events_;
};

}  // namespace vorda::cli
