// SPDX-License-Identifier: GPL-2.0-or-later

// The error numbers of the socket layer and their texts: the numbers the socket object raises
// for misuse, and the numbers its Error event reports for failures of the network itself.
#pragma once

#include <string_view>
#include <system_error>

namespace vorda::freedb {

enum class SocketErrc : int {
    OutOfMemory = 7,
    WrongProtocolOrState = 40006,
    ArgumentOutOfRange = 40014,
    UnsupportedType = 40018,
    InvalidOperation = 40020,

    InterruptedCall = 10004,
    PermissionDenied = 10013,
    BadAddress = 10014,
    InvalidArgument = 10022,
    TooManyOpenFiles = 10024,
    WouldBlock = 10035,
    InProgress = 10036,
    AlreadyInProgress = 10037,
    NotASocket = 10038,
    DestinationRequired = 10039,
    MessageTooLong = 10040,
    WrongProtocolType = 10041,
    BadProtocolOption = 10042,
    ProtocolNotSupported = 10043,
    SocketTypeNotSupported = 10044,
    OperationNotSupported = 10045,
    ProtocolFamilyNotSupported = 10046,
    AddressFamilyNotSupported = 10047,
    AddressInUse = 10048,
    AddressNotAvailable = 10049,
    NetworkDown = 10050,
    NetworkUnreachable = 10051,
    NetworkReset = 10052,
    ConnectionAborted = 10053,
    ConnectionReset = 10054,
    NoBufferSpace = 10055,
    AlreadyConnected = 10056,
    NotConnected = 10057,
    Shutdown = 10058,
    TimedOut = 10060,
    ConnectionRefused = 10061,
    HostUnreachable = 10065,
    TooManyProcesses = 10067,
    SystemNotReady = 10091,
    VersionNotSupported = 10092,
    NotInitialised = 10093,
    HostNotFound = 11001,
    TryAgain = 11002,
    NoRecovery = 11003,
    NoData = 11004,
};

// The text of an error number; "Unknown error." for a number the table does not hold.
[[nodiscard]] std::string_view socketErrorText(int number);

// The category whose codes are the numbers above; message() gives socketErrorText().
[[nodiscard]] const std::error_category& socketCategory();

// NOLINTNEXTLINE(readability-identifier-naming): the name the standard library looks up
[[nodiscard]] inline std::error_code make_error_code(SocketErrc e) { return {static_cast<int>(e), socketCategory()}; }

}  // namespace vorda::freedb

template <>
struct std::is_error_code_enum<vorda::freedb::SocketErrc> : std::true_type {};
