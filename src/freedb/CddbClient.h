// SPDX-License-Identifier: GPL-2.0-or-later

// The CDDB conversation with a freedb server (the line-based cddbp dialogue at protocol level
// 1), without any input or output of its own: it is told what happened to the connection and
// what the server sent, and answers with what the connection should do and what the user of the
// lookup should hear.
//
// A lookup: start() asks for a connection; connected(); the greeting is answered with
// "cddb hello", the hello's answer with the query; an exact match is read at once, several
// matches are reported (MultipleMatches) and one of them is read with sendRead(); the entry ends
// the conversation with ReceivedResult. Every failure ends it with one ConnectionFailed (before
// the connection was up) or one ClientError, every "no match" with NoMatches.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "freedb/FreedbQuery.h"
#include "freedb/FreedbResult.h"

namespace vorda::freedb {

// Where the conversation stands; the numbers are those the status texts are indexed by.
enum class Status : int {
    Disconnected = 0,
    Connected = 1,
    Handshaking = 2,
    Ready = 3,  // never reached: kept for the status texts
    QuerySent = 4,
    ReadSent = 5,
    ResultReceived = 6,
};

// The codes of failures found by the client itself; the server's failures carry its codes.
enum class ClientErrc : int {
    TimedOut = -1,        // "Connection attempt timed out."
    ConnectionLost = -2,  // the server closed the connection while an answer was awaited
    AnswerTooLarge = -3,  // a line over kMaxLineBytes or an answer over kMaxAnswerBytes
    NoAnswer = -4,        // connected, but the server did not answer within the limit
    NothingToQuery = -5,  // start() without a query
};

struct ClientSettings {
    std::string remoteHost = "gnudb.gnudb.org";
    int remotePort = 8880;
    std::string appName = "test";
    std::string appVersion = "1";
    std::string userName = "johndoe";
    std::string userHost = "localhost";
};

// What the connection is to do.
struct ConnectTo {
    std::string host;
    int port = 0;
};
struct SendLine {
    std::string bytes;  // one command ended by CR LF
};
struct Disconnect {};
using TransportAction = std::variant<ConnectTo, SendLine, Disconnect>;

// What the user of the lookup hears.
struct StatusChange {
    Status status;
};
struct MultipleMatches {
    std::vector<FreedbQuery> matches;
};
struct ReceivedResult {
    std::vector<DbValue> values;
};
struct NoMatches {};
struct ClientError {
    int code;
    std::string description;
};
struct ConnectionFailed {
    int code;  // the socket's error number, or ClientErrc::TimedOut
    std::string description;
};
using ClientEvent =
    std::variant<StatusChange, MultipleMatches, ReceivedResult, NoMatches, ClientError, ConnectionFailed>;

// The actions are carried out before the events are told.
struct ClientOutput {
    std::vector<TransportAction> actions;
    std::vector<ClientEvent> events;
};

class CddbClient {
public:
    static constexpr size_t kMaxLineBytes = 64 * 1024;
    static constexpr size_t kMaxAnswerBytes = 4 * 1024 * 1024;
    static constexpr int kMaxHellos = 3;
    // How long making the connection may take, and how long the server may stay silent while an
    // answer is awaited (the limit starts again with every step of the conversation).
    static constexpr std::chrono::milliseconds kConnectLimit{10'000};
    static constexpr std::chrono::milliseconds kAnswerLimit{30'000};
    // However the server spreads it out, an answer (the greeting, or the answer to a command)
    // that has not ended this long after it was awaited ends the conversation.
    static constexpr std::chrono::milliseconds kWholeAnswerLimit{60'000};

    CddbClient() = default;
    explicit CddbClient(ClientSettings settings) : settings_(std::move(settings)) {}

    [[nodiscard]] ClientSettings& settings() { return settings_; }
    [[nodiscard]] const ClientSettings& settings() const { return settings_; }
    void setQuery(std::string query) { query_ = std::move(query); }
    [[nodiscard]] const std::string& query() const { return query_; }

    // Starts a conversation (dropping one still open): a connection to the server is asked for.
    [[nodiscard]] ClientOutput start();
    // The connection asked for by start() is up.
    [[nodiscard]] ClientOutput connected();
    // Bytes the server sent, in any pieces.
    [[nodiscard]] ClientOutput received(std::string_view bytes);
    // The connection failed (the socket's error number and text) or the server closed it.
    [[nodiscard]] ClientOutput connectionFailed(int code, std::string_view description);
    [[nodiscard]] ClientOutput connectionClosed();
    // The time limit passed while waitsForServer().
    [[nodiscard]] ClientOutput timedOut();
    // Asks for the entry of one match (genre and disc id are used without surrounding blanks).
    [[nodiscard]] ClientOutput sendRead(std::string_view genre, std::string_view discId);
    // Ends the conversation.
    [[nodiscard]] ClientOutput close();

    [[nodiscard]] Status status() const { return status_; }
    // True while the connection is being made or an answer of the server is awaited (not while
    // the caller chooses among several matches).
    [[nodiscard]] bool waitsForServer() const { return connecting_ || (connected_ && awaitingAnswer_); }
    [[nodiscard]] bool isConnected() const { return connected_; }
    [[nodiscard]] const std::vector<FreedbQuery>& matches() const { return matches_; }
    [[nodiscard]] const FreedbResult& result() const { return result_; }

private:
    // Each returns false when the conversation ended and nothing more is to be handled.
    [[nodiscard]] bool handleLine(std::string_view raw, ClientOutput& out);
    [[nodiscard]] bool sendHello(ClientOutput& out);
    void sendCommand(std::string command, ClientOutput& out);
    void requestEntry(std::string_view genre, std::string_view discId, ClientOutput& out);
    void setStatus(Status status, ClientOutput& out);
    void endConversation(ClientOutput& out);
    void fail(int code, std::string description, ClientOutput& out);

    ClientSettings settings_;
    std::string query_;

    bool connecting_ = false;
    bool connected_ = false;
    bool awaitingAnswer_ = false;
    Status status_ = Status::Disconnected;
    int lastCode_ = 0;
    int hellos_ = 0;
    std::string line_;  // received bytes not yet ended by a line break
    bool afterCarriageReturn_ = false;
    size_t answerBytes_ = 0;  // received since the last command
    std::vector<FreedbQuery> matches_;
    FreedbResult result_;
};

}  // namespace vorda::freedb
