// SPDX-License-Identifier: GPL-2.0-or-later

#include "freedb/qt/FreedbConnection.h"

#include <iterator>
#include <type_traits>

namespace vorda::freedb {

namespace {

QString text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

}  // namespace

FreedbConnection::FreedbConnection(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { run(client_.timedOut()); });
    wholeAnswerTimer_.setSingleShot(true);
    connect(&wholeAnswerTimer_, &QTimer::timeout, this, [this] { run(client_.timedOut()); });
    connect(&socket_, &SocketMaster::connected, this, [this] { run(client_.connected()); });
    connect(&socket_, &SocketMaster::dataArrival, this, [this] {
        QByteArray data;
        if (socket_.getData(data)) return;
        run(client_.received(std::string_view(data.constData(), static_cast<size_t>(data.size()))));
    });
    connect(&socket_, &SocketMaster::closed, this, [this] { run(client_.connectionClosed()); });
    connect(&socket_, &SocketMaster::errorOccurred, this, [this](int number, const QString& description) {
        run(client_.connectionFailed(number, description.toStdString()));
    });
}

FreedbConnection::~FreedbConnection() {
    socket_.disconnect(this);
    socket_.closeSocket();
}

void FreedbConnection::setLimits(std::chrono::milliseconds connect, std::chrono::milliseconds answer,
                                 std::chrono::milliseconds wholeAnswer) {
    connectLimit_ = connect;
    answerLimit_ = answer;
    wholeAnswerLimit_ = wholeAnswer;
}

void FreedbConnection::sendQuery(const std::string& query) {
    client_.setQuery(query);
    run(client_.start());
}

void FreedbConnection::sendRead(const FreedbQuery& match) { run(client_.sendRead(match.genre(), match.discId())); }

void FreedbConnection::closeConnection() { run(client_.close()); }

void FreedbConnection::run(ClientOutput output) {
    bool progressed = false;
    bool commandSent = false;
    // The socket refuses a request at once only when it cannot be made at all (a port out of
    // range, no connection to send on): that ends the conversation like a failed connection.
    const auto refuse = [&](const std::error_code& refused) {
        socket_.closeSocket();
        ClientOutput failed = client_.connectionFailed(refused.value(), refused.message());
        std::move(failed.events.begin(), failed.events.end(), std::back_inserter(output.events));
    };
    for (const TransportAction& action : output.actions) {
        if (const auto* to = std::get_if<ConnectTo>(&action)) {
            socket_.closeSocket();
            if (const std::error_code refused = socket_.connectToHost(text(to->host), to->port)) {
                refuse(refused);
                break;
            }
        } else if (const auto* line = std::get_if<SendLine>(&action)) {
            if (const std::error_code refused = socket_.sendData(QByteArray::fromStdString(line->bytes))) {
                refuse(refused);
                break;
            }
            commandSent = true;
        } else {
            socket_.closeSocket();
        }
        progressed = true;
    }
    updateTimer(progressed, commandSent);
    std::move(output.events.begin(), output.events.end(), std::back_inserter(pending_));
    tell();
}

void FreedbConnection::updateTimer(bool progressed, bool commandSent) {
    // While connecting, the limit runs from the request; once connected, it starts again with
    // every step of the conversation (data received, a command sent). The limit of a whole
    // answer runs from the connection (the greeting) or from the command sent.
    if (!client_.waitsForServer()) {
        timer_.stop();
        wholeAnswerTimer_.stop();
    } else if (client_.isConnected()) {
        timer_.start(answerLimit_);
        if (commandSent || !wholeAnswerTimer_.isActive()) wholeAnswerTimer_.start(wholeAnswerLimit_);
    } else if (progressed) {
        timer_.start(connectLimit_);
        wholeAnswerTimer_.stop();
    }
}

void FreedbConnection::tell() {
    if (telling_) return;
    telling_ = true;
    while (!pending_.empty()) {
        const ClientEvent event = std::move(pending_.front());
        pending_.pop_front();
        std::visit(
            [this](const auto& e) {
                using E = std::decay_t<decltype(e)>;
                if constexpr (std::is_same_v<E, StatusChange>)
                    emit statusChanged(e.status);
                else if constexpr (std::is_same_v<E, MultipleMatches>)
                    emit multipleMatches(e.matches);
                else if constexpr (std::is_same_v<E, ReceivedResult>)
                    emit receivedResult(e.values);
                else if constexpr (std::is_same_v<E, NoMatches>)
                    emit noMatches();
                else if constexpr (std::is_same_v<E, ClientError>)
                    emit errorOccurred(e.code, text(e.description));
                else
                    emit connectionFailed(e.code, text(e.description));
            },
            event);
    }
    telling_ = false;
}

}  // namespace vorda::freedb
