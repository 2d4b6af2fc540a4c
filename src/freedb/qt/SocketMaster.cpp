// SPDX-License-Identifier: GPL-2.0-or-later

#include "freedb/qt/SocketMaster.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <algorithm>

#include "freedb/SocketErrors.h"

namespace vorda::freedb {

namespace {

// Qt's socket errors as the numbers of the error table.
int errorNumber(QAbstractSocket::SocketError error) {
    using S = QAbstractSocket;
    switch (error) {
    case S::ConnectionRefusedError:
    case S::ProxyConnectionRefusedError: return static_cast<int>(SocketErrc::ConnectionRefused);
    case S::RemoteHostClosedError:
    case S::ProxyConnectionClosedError: return static_cast<int>(SocketErrc::ConnectionReset);
    case S::HostNotFoundError:
    case S::ProxyNotFoundError: return static_cast<int>(SocketErrc::HostNotFound);
    case S::SocketAccessError: return static_cast<int>(SocketErrc::PermissionDenied);
    case S::SocketResourceError: return static_cast<int>(SocketErrc::NoBufferSpace);
    case S::SocketTimeoutError:
    case S::ProxyConnectionTimeoutError: return static_cast<int>(SocketErrc::TimedOut);
    case S::DatagramTooLargeError: return static_cast<int>(SocketErrc::MessageTooLong);
    case S::NetworkError: return static_cast<int>(SocketErrc::NetworkUnreachable);
    case S::AddressInUseError: return static_cast<int>(SocketErrc::AddressInUse);
    case S::SocketAddressNotAvailableError: return static_cast<int>(SocketErrc::AddressNotAvailable);
    case S::UnsupportedSocketOperationError: return static_cast<int>(SocketErrc::OperationNotSupported);
    case S::UnfinishedSocketOperationError: return static_cast<int>(SocketErrc::InProgress);
    case S::TemporaryError: return static_cast<int>(SocketErrc::WouldBlock);
    case S::OperationError: return static_cast<int>(SocketErrc::InvalidArgument);
    default: return static_cast<int>(SocketErrc::NoRecovery);
    }
}

// Numbers and Booleans: what is sent as it lies in memory, and what may name a port.
bool isPlainValue(int typeId) {
    switch (typeId) {
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double: return true;
    default: return false;
    }
}

// A port given as a number or as text holding one; nothing for any other value.
std::optional<qlonglong> numericPort(const QVariant& port) {
    bool ok = false;
    qlonglong value = 0;
    if (port.typeId() == QMetaType::QString)
        value = port.toString().trimmed().toLongLong(&ok);
    else if (port.typeId() == QMetaType::QByteArray)
        value = port.toByteArray().trimmed().toLongLong(&ok);
    else if (isPlainValue(port.typeId()) && port.typeId() != QMetaType::Bool)
        value = port.toLongLong(&ok);
    if (!ok) return std::nullopt;
    return value;
}

// The bytes sent for a value: text as UTF-8, bytes unchanged, numbers and Booleans as they lie
// in memory; nothing for any other type.
std::optional<QByteArray> bytesOf(const QVariant& data) {
    if (data.typeId() == QMetaType::QString) return data.toString().toUtf8();
    if (data.typeId() == QMetaType::QByteArray) return data.toByteArray();
    if (isPlainValue(data.typeId()))
        return QByteArray(static_cast<const char*>(data.constData()), data.metaType().sizeOf());
    return std::nullopt;
}

}  // namespace

SocketMaster::SocketMaster(QObject* parent) : QObject(parent), socket_(new QTcpSocket(this)) {
    connect(socket_, &QTcpSocket::connected, this, &SocketMaster::socketConnected);
    connect(socket_, &QTcpSocket::readyRead, this, &SocketMaster::socketReadyRead);
    connect(socket_, &QTcpSocket::disconnected, this, &SocketMaster::socketDisconnected);
    connect(socket_, &QTcpSocket::errorOccurred, this, &SocketMaster::socketError);
    connect(socket_, &QTcpSocket::bytesWritten, this, &SocketMaster::socketBytesWritten);
}

SocketMaster::~SocketMaster() {
    if (lookupId_ >= 0) QHostInfo::abortHostLookup(lookupId_);
    socket_->disconnect(this);
    socket_->abort();
}

std::error_code SocketMaster::setRemoteHost(const QString& host) {
    if (state_ != SocketState::Closed) return SocketErrc::InvalidOperation;
    remoteHost_ = host;
    return {};
}

std::error_code SocketMaster::setRemotePort(int port) {
    if (state_ != SocketState::Closed) return SocketErrc::InvalidOperation;
    if (port < 0 || port > 65535) return SocketErrc::ArgumentOutOfRange;
    remotePort_ = port;
    return {};
}

QString SocketMaster::localHostName() { return QHostInfo::localHostName(); }

QString SocketMaster::localIp() {
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    const auto isIpv4 = [](const QHostAddress& a) { return a.protocol() == QAbstractSocket::IPv4Protocol; };
    const auto outside = std::find_if(addresses.begin(), addresses.end(),
                                      [&](const QHostAddress& a) { return isIpv4(a) && !a.isLoopback(); });
    if (outside != addresses.end()) return outside->toString();
    const auto any = std::find_if(addresses.begin(), addresses.end(), isIpv4);
    return any != addresses.end() ? any->toString() : QString();
}

qintptr SocketMaster::socketHandle() const { return socket_->socketDescriptor(); }

std::error_code SocketMaster::connectToHost(const QString& host, const QVariant& port) {
    if (state_ != SocketState::Closed) return SocketErrc::InvalidOperation;
    if (port.isValid()) {
        const std::optional<qlonglong> number = numericPort(port);
        if (!number) return SocketErrc::UnsupportedType;
        if (*number < 1 || *number > 65535) return SocketErrc::ArgumentOutOfRange;
        remotePort_ = static_cast<int>(*number);
    }
    if (!host.isEmpty()) remoteHost_ = host;

    if (QHostAddress address; address.setAddress(remoteHost_)) {
        connectToAddress(address);
        return {};
    }
    setState(SocketState::ResolvingHost);
    lookupId_ = QHostInfo::lookupHost(remoteHost_, this, [this](const QHostInfo& info) { hostLookedUp(info); });
    return {};
}

void SocketMaster::hostLookedUp(const QHostInfo& info) {
    if (info.lookupId() != lookupId_ || state_ != SocketState::ResolvingHost) return;
    lookupId_ = -1;
    const QList<QHostAddress> addresses = info.addresses();
    if (info.error() != QHostInfo::NoError || addresses.isEmpty()) {
        setState(SocketState::Error);
        reportError(static_cast<int>(info.error() == QHostInfo::UnknownError ? SocketErrc::NoRecovery
                                                                             : SocketErrc::HostNotFound));
        return;
    }
    // The first address of the host, an IPv4 one when it has one.
    const auto ipv4 = std::find_if(addresses.begin(), addresses.end(),
                                   [](const QHostAddress& a) { return a.protocol() == QAbstractSocket::IPv4Protocol; });
    setState(SocketState::HostResolved);
    connectToAddress(ipv4 != addresses.end() ? *ipv4 : addresses.front());
}

void SocketMaster::connectToAddress(const QHostAddress& address) {
    setState(SocketState::Connecting);
    socket_->connectToHost(address, static_cast<quint16>(remotePort_));
}

void SocketMaster::closeSocket() {
    if (state_ == SocketState::Closed) return;
    setState(SocketState::Closing);
    if (lookupId_ >= 0) {
        QHostInfo::abortHostLookup(lookupId_);
        lookupId_ = -1;
    }
    socket_->abort();
    remoteHostIp_.clear();
    received_.clear();
    sentTotal_ = 0;
    setState(SocketState::Closed);
}

std::error_code SocketMaster::sendData(const QVariant& data) {
    if (state_ != SocketState::Connected) return SocketErrc::WrongProtocolOrState;
    const std::optional<QByteArray> bytes = bytesOf(data);
    if (!bytes) return SocketErrc::UnsupportedType;
    if (!bytes->isEmpty()) socket_->write(*bytes);
    return {};
}

std::error_code SocketMaster::readableState() const {
    if (state_ == SocketState::Connected) return {};
    if ((state_ == SocketState::Closing || state_ == SocketState::Error) && !received_.isEmpty()) return {};
    return SocketErrc::WrongProtocolOrState;
}

std::error_code SocketMaster::getData(QByteArray& data, std::optional<qint64> maxLength) {
    if (const std::error_code error = peekData(data, maxLength)) return error;
    received_.remove(0, data.size());
    return {};
}

std::error_code SocketMaster::peekData(QByteArray& data, std::optional<qint64> maxLength) const {
    if (const std::error_code error = readableState()) return error;
    if (maxLength && *maxLength < 0) return SocketErrc::ArgumentOutOfRange;
    data = maxLength ? received_.left(*maxLength) : received_;
    return {};
}

void SocketMaster::setState(SocketState state) {
    if (state_ == state) return;
    state_ = state;
    emit stateChanged(state);
}

void SocketMaster::reportError(int number) { emit errorOccurred(number, QString::fromUtf8(socketErrorText(number))); }

void SocketMaster::socketConnected() {
    if (state_ != SocketState::Connecting) return;
    remoteHostIp_ = socket_->peerAddress().toString();
    remotePort_ = socket_->peerPort();
    setState(SocketState::Connected);
    emit connected();
}

void SocketMaster::socketReadyRead() {
    if (state_ != SocketState::Connected) return;
    const QByteArray data = socket_->readAll();
    if (data.isEmpty()) return;
    received_ += data;
    emit dataArrival(received_.size());
}

void SocketMaster::socketDisconnected() {
    if (state_ != SocketState::Connected) return;
    setState(SocketState::Closing);
    emit closed();
}

void SocketMaster::socketError(QAbstractSocket::SocketError error) {
    // The peer's close is reported by closed(); after a close nothing more is reported.
    if (state_ == SocketState::Closed || state_ == SocketState::Closing || state_ == SocketState::Error) return;
    if (error == QAbstractSocket::RemoteHostClosedError && state_ == SocketState::Connected) return;
    setState(SocketState::Error);
    reportError(errorNumber(error));
}

void SocketMaster::socketBytesWritten(qint64 bytes) {
    sentTotal_ += bytes;
    const qint64 remaining = socket_->bytesToWrite();
    emit sendProgress(sentTotal_, remaining);
    if (remaining == 0) {
        sentTotal_ = 0;
        emit sendComplete();
    }
}

}  // namespace vorda::freedb
