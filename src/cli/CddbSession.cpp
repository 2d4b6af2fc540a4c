// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CddbSession.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <memory>

#include "freedb/SocketErrors.h"

using namespace vorda::freedb;

namespace vorda::cli {

namespace {

// The number of the socket error table for an errno of the socket calls.
int socketErrorNumber(int error) {
    SocketErrc number = SocketErrc::NoRecovery;
    switch (error) {
    case ECONNREFUSED: number = SocketErrc::ConnectionRefused; break;
    case ETIMEDOUT: number = SocketErrc::TimedOut; break;
    case ECONNRESET:
    case EPIPE: number = SocketErrc::ConnectionReset; break;
    case ECONNABORTED: number = SocketErrc::ConnectionAborted; break;
    case ENETUNREACH: number = SocketErrc::NetworkUnreachable; break;
    case ENETDOWN: number = SocketErrc::NetworkDown; break;
    case ENETRESET: number = SocketErrc::NetworkReset; break;
    case EHOSTUNREACH: number = SocketErrc::HostUnreachable; break;
    case EADDRINUSE: number = SocketErrc::AddressInUse; break;
    case EADDRNOTAVAIL: number = SocketErrc::AddressNotAvailable; break;
    case EAFNOSUPPORT: number = SocketErrc::AddressFamilyNotSupported; break;
    case EACCES:
    case EPERM: number = SocketErrc::PermissionDenied; break;
    case ENOBUFS:
    case ENOMEM: number = SocketErrc::NoBufferSpace; break;
    case EMFILE:
    case ENFILE: number = SocketErrc::TooManyOpenFiles; break;
    case EINVAL: number = SocketErrc::InvalidArgument; break;
    case EINTR: number = SocketErrc::InterruptedCall; break;
    default: break;
    }
    return static_cast<int>(number);
}

// The number of the socket error table for a failed name lookup (getaddrinfo's code).
int lookupErrorNumber(int code, int error) {
    switch (code) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
    case EAI_FAMILY: return static_cast<int>(SocketErrc::HostNotFound);
    case EAI_AGAIN: return static_cast<int>(SocketErrc::TryAgain);
    case EAI_MEMORY: return static_cast<int>(SocketErrc::OutOfMemory);
    case EAI_SYSTEM: return socketErrorNumber(error);
    default: return static_cast<int>(SocketErrc::NoRecovery);
    }
}

// What is left of the time until deadline, for poll() (never negative, rounded up).
int pollTimeout(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, 60'000));
}

struct AddressListFree {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};

}  // namespace

void CddbSession::setLimits(std::chrono::milliseconds connect, std::chrono::milliseconds answer) {
    connectLimit_ = connect;
    answerLimit_ = answer;
}

std::vector<ClientEvent> CddbSession::run(ClientOutput output) {
    events_.clear();
    take(std::move(output));
    for (;;) {
        if (connectPending_) {
            connectPending_ = false;
            connect(host_, port_);
        } else if (socket_.valid() && client_.waitsForServer()) {
            await();
        } else {
            break;
        }
    }
    return std::move(events_);
}

void CddbSession::take(ClientOutput output) {
    int sendError = 0;
    for (const TransportAction& action : output.actions) {
        if (const auto* to = std::get_if<ConnectTo>(&action)) {
            static_cast<void>(socket_.close());
            connectPending_ = true;
            host_ = to->host;
            port_ = to->port;
        } else if (const auto* line = std::get_if<SendLine>(&action)) {
            sendError = socket_.valid() ? send(line->bytes) : static_cast<int>(SocketErrc::WrongProtocolOrState);
            if (sendError != 0) break;
        } else {
            static_cast<void>(socket_.close());
            connectPending_ = false;
        }
    }
    std::move(output.events.begin(), output.events.end(), std::back_inserter(events_));
    if (sendError != 0) {
        static_cast<void>(socket_.close());
        take(client_.connectionFailed(sendError, socketErrorText(sendError)));
    }
}

void CddbSession::connect(const std::string& host, int port) {
    deadline_ = Clock::now() + connectLimit_;
    const auto failed = [this](int number) { take(client_.connectionFailed(number, socketErrorText(number))); };
    if (port < 1 || port > 65535) return failed(static_cast<int>(SocketErrc::ArgumentOutOfRange));

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int lookup = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (lookup != 0) return failed(lookupErrorNumber(lookup, errno));
    const std::unique_ptr<addrinfo, AddressListFree> addresses(found);

    int error = ECONNREFUSED;
    for (const addrinfo* address = addresses.get(); address != nullptr; address = address->ai_next) {
        base::UniqueFd fd(
            ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol));
        if (!fd.valid()) {
            error = errno;
            continue;
        }
        if (::connect(fd.get(), address->ai_addr, address->ai_addrlen) != 0) {
            if (errno != EINPROGRESS) {
                error = errno;
                continue;
            }
            pollfd wait{fd.get(), POLLOUT, 0};
            int ready = 0;
            while ((ready = ::poll(&wait, 1, pollTimeout(deadline_))) < 0 && errno == EINTR) {
            }
            if (ready == 0) {
                take(client_.timedOut());
                return;
            }
            socklen_t length = sizeof error;
            if (ready < 0) {
                error = errno;
                continue;
            }
            if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
            if (error != 0) continue;
        }
        socket_ = std::move(fd);
        deadline_ = Clock::now() + answerLimit_;
        answerEnd_ = Clock::now() + CddbClient::kWholeAnswerLimit;
        take(client_.connected());
        return;
    }
    failed(socketErrorNumber(error));
}

void CddbSession::await() {
    const Clock::time_point limit = std::min(deadline_, answerEnd_);
    if (Clock::now() >= limit) {
        take(client_.timedOut());
        return;
    }
    pollfd wait{socket_.get(), POLLIN, 0};
    const int ready = ::poll(&wait, 1, pollTimeout(limit));
    if (ready == 0 || (ready < 0 && errno == EINTR)) return;
    const auto failed = [this](int error) {
        static_cast<void>(socket_.close());
        const int number = socketErrorNumber(error);
        take(client_.connectionFailed(number, socketErrorText(number)));
    };
    if (ready < 0) return failed(errno);

    char buffer[16 * 1024];
    const ssize_t got = ::recv(socket_.get(), buffer, sizeof buffer, 0);
    if (got > 0) {
        deadline_ = Clock::now() + answerLimit_;
        take(client_.received(std::string_view(buffer, static_cast<size_t>(got))));
    } else if (got == 0 || errno == ECONNRESET) {
        // A reset by the server ends the stream like a close.
        static_cast<void>(socket_.close());
        take(client_.connectionClosed());
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        failed(errno);
    }
}

int CddbSession::send(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(socket_.get(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n >= 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return socketErrorNumber(errno);
        pollfd wait{socket_.get(), POLLOUT, 0};
        if (::poll(&wait, 1, pollTimeout(deadline_)) == 0) return static_cast<int>(SocketErrc::TimedOut);
    }
    // A command sent starts the limits for its answer.
    deadline_ = Clock::now() + answerLimit_;
    answerEnd_ = Clock::now() + CddbClient::kWholeAnswerLimit;
    return 0;
}

}  // namespace vorda::cli
