// SPDX-License-Identifier: GPL-2.0-or-later

// An event-driven TCP client socket: properties for the remote and local end, a numeric state,
// methods that return at once, and signals that report the connection, arriving data, finished
// sends and errors on the thread of the object. Misuse (wrong state, bad argument, unsupported
// data) is refused with an error code of socketCategory(); failures of the network set
// SocketState::Error and are reported by errorOccurred() with the numbers of the same table.
#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QVariant>
#include <optional>
#include <system_error>

class QHostInfo;
class QTcpSocket;

namespace vorda::freedb {

enum class SocketState : int {
    Closed = 0,
    Open = 1,
    Listening = 2,
    ResolvingHost = 4,
    HostResolved = 5,
    Connecting = 6,
    Connected = 7,
    Closing = 8,
    Error = 9,
};

class SocketMaster : public QObject {
    Q_OBJECT

public:
    explicit SocketMaster(QObject* parent = nullptr);
    ~SocketMaster() override;

    [[nodiscard]] QString remoteHost() const { return remoteHost_; }
    // Refused with InvalidOperation unless the socket is closed.
    [[nodiscard]] std::error_code setRemoteHost(const QString& host);
    [[nodiscard]] int remotePort() const { return remotePort_; }
    // Refused with InvalidOperation unless closed, with ArgumentOutOfRange outside 0 ... 65535.
    [[nodiscard]] std::error_code setRemotePort(int port);
    // The dotted address of the peer, once connected.
    [[nodiscard]] QString remoteHostIp() const { return remoteHostIp_; }
    [[nodiscard]] SocketState state() const { return state_; }
    [[nodiscard]] static QString localHostName();
    [[nodiscard]] static QString localIp();
    [[nodiscard]] qint64 bytesReceived() const { return received_.size(); }
    [[nodiscard]] qintptr socketHandle() const;
    [[nodiscard]] QString tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }

    // Starts a connection to the given (or the set) host and port. The port must be numeric
    // (else UnsupportedType) and 1 ... 65535 (else ArgumentOutOfRange); the socket must be
    // closed (else InvalidOperation). An address connects at once; a name is looked up first.
    [[nodiscard]] std::error_code connectToHost(const QString& host = {}, const QVariant& port = {});
    // Closes the socket, drops what is buffered and returns to SocketState::Closed.
    void closeSocket();
    // Queues data for sending: text as UTF-8, bytes as they are, numbers and Booleans by their
    // memory image; anything else is refused with UnsupportedType. Needs a connection
    // (else WrongProtocolOrState).
    [[nodiscard]] std::error_code sendData(const QVariant& data);
    // Takes (or, peeking, copies) at most maxLength bytes (all without a limit) from the front of
    // what was received. Needs a connection, or data left after the peer closed
    // (else WrongProtocolOrState); a negative maxLength is refused with ArgumentOutOfRange.
    [[nodiscard]] std::error_code getData(QByteArray& data, std::optional<qint64> maxLength = std::nullopt);
    [[nodiscard]] std::error_code peekData(QByteArray& data, std::optional<qint64> maxLength = std::nullopt) const;

signals:
    // In the order the events are numbered: the peer closed the connection; the connection is
    // established; data arrived (the total now waiting); a failure; all queued data was sent;
    // progress of sending.
    void closed();
    void connected();
    void dataArrival(qint64 bytesWaiting);
    void errorOccurred(int number, const QString& description);
    void sendComplete();
    void sendProgress(qint64 bytesSent, qint64 bytesRemaining);
    // Every change of state().
    void stateChanged(vorda::freedb::SocketState state);

private:
    void setState(SocketState state);
    void connectToAddress(const QHostAddress& address);
    void hostLookedUp(const QHostInfo& info);
    void reportError(int number);
    void socketConnected();
    void socketReadyRead();
    void socketDisconnected();
    void socketError(QAbstractSocket::SocketError error);
    void socketBytesWritten(qint64 bytes);
    [[nodiscard]] std::error_code readableState() const;

    QTcpSocket* socket_;
    SocketState state_ = SocketState::Closed;
    QString remoteHost_;
    int remotePort_ = 0;
    QString remoteHostIp_;
    QString tag_;
    QByteArray received_;
    qint64 sentTotal_ = 0;
    int lookupId_ = -1;
};

}  // namespace vorda::freedb
