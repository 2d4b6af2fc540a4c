// SPDX-License-Identifier: GPL-2.0-or-later

#include "freedb/CddbClient.h"

#include "base/Text.h"

namespace vorda::freedb {

namespace {

constexpr std::string_view kUnknownError = "Unknown error.";
constexpr std::string_view kHandshakeFailed = "Handshake failed.";
constexpr std::string_view kServerFull = "Error while connecting; too many users, permission denied or system full.";
constexpr std::string_view kServerClosed = "The server closed the connection.";

// The server splits commands at single blanks: a word of a command holds no blank or control
// character.
std::string commandWord(std::string_view text) {
    std::string word(text);
    for (char& c : word)
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) c = '_';
    return word.empty() ? "_" : word;
}

// The code a line starts with, 0 when it starts with none (match lines, entry lines, ".").
int ownCode(std::string_view line) {
    if (line.size() < 3) return 0;
    int code = 0;
    for (size_t i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9') return 0;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> result;
    size_t pos = 0;
    while ((pos = line.find_first_not_of(" \t", pos)) != std::string_view::npos) {
        const size_t end = std::min(line.find_first_of(" \t", pos), line.size());
        result.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return result;
}

}  // namespace

ClientOutput CddbClient::start() {
    ClientOutput out;
    if (connected_ || connecting_) out.actions.emplace_back(Disconnect{});
    connected_ = connecting_ = awaitingAnswer_ = false;
    line_.clear();
    afterCarriageReturn_ = false;
    lastCode_ = 0;
    hellos_ = 0;
    answerBytes_ = 0;
    matches_.clear();
    status_ = Status::Disconnected;
    if (query_.empty()) {
        out.events.emplace_back(
            ConnectionFailed{static_cast<int>(ClientErrc::NothingToQuery), "There is no query to send."});
        return out;
    }
    connecting_ = true;
    out.actions.emplace_back(ConnectTo{settings_.remoteHost, settings_.remotePort});
    return out;
}

ClientOutput CddbClient::connected() {
    ClientOutput out;
    if (!connecting_) return out;
    connecting_ = false;
    connected_ = awaitingAnswer_ = true;
    answerBytes_ = 0;
    setStatus(Status::Connected, out);
    return out;
}

ClientOutput CddbClient::received(std::string_view bytes) {
    ClientOutput out;
    for (const char c : bytes) {
        if (!connected_) break;
        if (++answerBytes_ > kMaxAnswerBytes) {
            fail(static_cast<int>(ClientErrc::AnswerTooLarge), "The server's answer is too large.", out);
            break;
        }
        if (c == '\n' && afterCarriageReturn_) {
            afterCarriageReturn_ = false;
            continue;
        }
        afterCarriageReturn_ = c == '\r';
        if (c == '\r' || c == '\n') {
            const std::string raw = std::move(line_);
            line_.clear();
            if (!handleLine(raw, out)) break;
            continue;
        }
        if (line_.size() >= kMaxLineBytes) {
            fail(static_cast<int>(ClientErrc::AnswerTooLarge), "A line of the server's answer is too long.", out);
            break;
        }
        line_ += c;
    }
    return out;
}

ClientOutput CddbClient::connectionFailed(int code, std::string_view description) {
    ClientOutput out;
    if (connecting_) {
        connecting_ = awaitingAnswer_ = false;
        out.actions.emplace_back(Disconnect{});
        out.events.emplace_back(ConnectionFailed{code, std::string(description)});
    } else if (connected_ && awaitingAnswer_) {
        fail(code, std::string(description), out);
    } else if (connected_) {
        endConversation(out);
    }
    return out;
}

ClientOutput CddbClient::connectionClosed() {
    if (connecting_) return connectionFailed(static_cast<int>(ClientErrc::ConnectionLost), kServerClosed);
    ClientOutput out;
    if (!connected_) return out;
    // The end of the stream ends its last line.
    if (!line_.empty()) {
        const std::string raw = std::move(line_);
        line_.clear();
        if (!handleLine(raw, out)) return out;
    }
    if (awaitingAnswer_)
        fail(static_cast<int>(ClientErrc::ConnectionLost), std::string(kServerClosed), out);
    else
        endConversation(out);
    return out;
}

ClientOutput CddbClient::timedOut() {
    ClientOutput out;
    if (connecting_) {
        connecting_ = awaitingAnswer_ = false;
        out.actions.emplace_back(Disconnect{});
        out.events.emplace_back(
            ConnectionFailed{static_cast<int>(ClientErrc::TimedOut), "Connection attempt timed out."});
    } else if (connected_ && awaitingAnswer_) {
        fail(static_cast<int>(ClientErrc::NoAnswer), "The server did not answer in time.", out);
    }
    return out;
}

ClientOutput CddbClient::sendRead(std::string_view genre, std::string_view discId) {
    ClientOutput out;
    if (!connected_)
        out.events.emplace_back(ClientError{static_cast<int>(ClientErrc::ConnectionLost), std::string(kServerClosed)});
    else
        requestEntry(genre, discId, out);
    return out;
}

ClientOutput CddbClient::close() {
    ClientOutput out;
    endConversation(out);
    return out;
}

bool CddbClient::handleLine(std::string_view raw, ClientOutput& out) {
    // A line as the server sent it, as UTF-8: kept when it is valid UTF-8, else read as ISO-8859-1.
    // A NUL is no text: written into a tag it would end the value early for some readers only.
    std::string line = base::isValidUtf8(raw) ? std::string(raw) : base::latin1ToUtf8(raw);
    std::erase(line, '\0');
    // Lines without a code of their own (match lines, entry lines, ".") belong to the answer
    // whose code came last; the single-line answers are taken only from a line carrying them.
    const int own = ownCode(line);
    if (own > 0) lastCode_ = own;
    const int code = lastCode_;

    switch (status_) {
    case Status::Connected:
        if (own == 200 || own == 201) {
            if (!sendHello(out)) return false;
            result_.reset();
            setStatus(Status::Handshaking, out);
        } else if (own >= 432 && own <= 434) {
            fail(own, std::string(kServerFull), out);
            return false;
        } else if (own >= 400) {
            fail(own, std::string(kUnknownError), out);
            return false;
        }
        return true;

    case Status::Handshaking:
        if (own == 200 || own == 402) {
            sendCommand(query_, out);
            setStatus(Status::QuerySent, out);
        } else if (own >= 400) {
            fail(own, std::string(kHandshakeFailed), out);
            return false;
        }
        return true;

    case Status::QuerySent:
        if (line == ".") {
            hellos_ = 0;
            awaitingAnswer_ = false;
            out.events.emplace_back(MultipleMatches{matches_});
        } else if (own == 200) {
            hellos_ = 0;
            const auto parts = words(line);
            if (parts.size() < 3) {
                fail(own, std::string(kUnknownError), out);
                return false;
            }
            requestEntry(parts[1], parts[2], out);
        } else if (code == 211) {
            hellos_ = 0;
            if (own == 0) matches_.push_back(FreedbQuery::fromLine(line));
        } else if (own == 409) {
            if (!sendHello(out)) return false;
            setStatus(Status::Handshaking, out);
        } else if (own == 202 || own == 403) {
            endConversation(out);
            out.events.emplace_back(NoMatches{});
            return false;
        } else if (own >= 400) {
            fail(own, std::string(kUnknownError), out);
            return false;
        }
        return true;

    case Status::ReadSent:
        if (code == 210 && line == ".") {
            endConversation(out);
            setStatus(Status::ResultReceived, out);
            out.events.emplace_back(ReceivedResult{result_.values()});
            return false;
        }
        if (code == 210 && own == 0) {
            result_.parseAndAdd(line);
        } else if (own >= 400) {
            fail(own, std::string(kUnknownError), out);
            return false;
        }
        return true;

    case Status::Disconnected:
    case Status::Ready:
    case Status::ResultReceived: return true;
    }
    return true;
}

bool CddbClient::sendHello(ClientOutput& out) {
    // A server that keeps asking for the handshake instead of answering the query is left.
    if (hellos_ >= kMaxHellos) {
        fail(lastCode_, std::string(kHandshakeFailed), out);
        return false;
    }
    sendCommand("cddb hello " + commandWord(settings_.userName) + ' ' + commandWord(settings_.userHost) + ' ' +
                    commandWord(settings_.appName) + ' ' + commandWord(settings_.appVersion),
                out);
    ++hellos_;
    return true;
}

void CddbClient::sendCommand(std::string command, ClientOutput& out) {
    for (char& c : command)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    out.actions.emplace_back(SendLine{std::move(command) + "\r\n"});
    answerBytes_ = 0;
    awaitingAnswer_ = true;
}

void CddbClient::requestEntry(std::string_view genre, std::string_view discId, ClientOutput& out) {
    const std::string cleanGenre = base::trim(genre);
    (void)result_.addValue("GENRE", cleanGenre);
    sendCommand("cddb read " + commandWord(cleanGenre) + ' ' + commandWord(base::trim(discId)), out);
    setStatus(Status::ReadSent, out);
}

void CddbClient::setStatus(Status status, ClientOutput& out) {
    status_ = status;
    out.events.emplace_back(StatusChange{status});
}

void CddbClient::endConversation(ClientOutput& out) {
    if (connected_ || connecting_) out.actions.emplace_back(Disconnect{});
    connected_ = connecting_ = awaitingAnswer_ = false;
    hellos_ = 0;
    line_.clear();
    afterCarriageReturn_ = false;
    setStatus(Status::Disconnected, out);
}

void CddbClient::fail(int code, std::string description, ClientOutput& out) {
    endConversation(out);
    out.events.emplace_back(ClientError{code, std::move(description)});
}

}  // namespace vorda::freedb
