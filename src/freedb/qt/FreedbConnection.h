// SPDX-License-Identifier: GPL-2.0-or-later

// A freedb lookup over a real connection: the CDDB conversation fed from a SocketMaster, with
// the time limits that keep it from waiting forever. Everything returns at once; the outcome
// arrives as signals on the object's thread, one at a time and in order (a signal raised while a
// slot of an earlier one still runs, for example inside a modal dialog, waits for it).
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "freedb/CddbClient.h"
#include "freedb/qt/SocketMaster.h"

namespace vorda::freedb {

class FreedbConnection : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kConnectLimit = CddbClient::kConnectLimit;
    static constexpr std::chrono::milliseconds kAnswerLimit = CddbClient::kAnswerLimit;

    explicit FreedbConnection(QObject* parent = nullptr);
    ~FreedbConnection() override;

    [[nodiscard]] ClientSettings& settings() { return client_.settings(); }
    // How long the connection may take, how long the server may stay silent while an answer is
    // awaited, and how long the whole answer may take.
    void setLimits(std::chrono::milliseconds connect, std::chrono::milliseconds answer,
                   std::chrono::milliseconds wholeAnswer = CddbClient::kWholeAnswerLimit);

    // Starts a lookup with this "cddb query" command (see Album::queryCommand()).
    void sendQuery(const std::string& query);
    // Reads the entry of one of several matches.
    void sendRead(const FreedbQuery& match);
    void closeConnection();

    [[nodiscard]] Status status() const { return client_.status(); }
    [[nodiscard]] const std::string& query() const { return client_.query(); }
    [[nodiscard]] const SocketMaster& socket() const { return socket_; }

signals:
    void multipleMatches(const std::vector<vorda::freedb::FreedbQuery>& matches);
    void receivedResult(const std::vector<vorda::freedb::DbValue>& values);
    void noMatches();
    // A failure after the connection was made: the server's code and text, or a ClientErrc.
    void errorOccurred(int code, const QString& description);
    // No connection could be made (socket error number, or ClientErrc::TimedOut).
    void connectionFailed(int code, const QString& description);
    void statusChanged(vorda::freedb::Status status);

private:
    void run(ClientOutput output);
    void tell();
    void updateTimer(bool progressed, bool commandSent);

    CddbClient client_;
    SocketMaster socket_;
    QTimer timer_;
    QTimer wholeAnswerTimer_;
    std::chrono::milliseconds connectLimit_ = kConnectLimit;
    std::chrono::milliseconds answerLimit_ = kAnswerLimit;
    std::chrono::milliseconds wholeAnswerLimit_ = CddbClient::kWholeAnswerLimit;
    std::deque<ClientEvent> pending_;
    bool telling_ = false;
};

}  // namespace vorda::freedb
