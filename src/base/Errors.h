// SPDX-License-Identifier: GPL-2.0-or-later

// Error numbers of tag writes that no errno value describes, as std::error_code values of
// their own category, and the file-system help that the tag writer and the other atomic
// writers share.
#pragma once

#include <string>
#include <system_error>
#include <type_traits>

namespace vorda::base {

// Vorda's own error numbers, above every errno value; the numbers are what the write calls
// return where they give an errno value otherwise.
enum class WriteError : int {
    FileChanged = 2001,   // another program changed or replaced the file after it was read
    NotAudio = 2002,      // neither an ID3 tag nor MPEG audio: no tag is written into it
    TagBeyondEnd = 2003,  // an ID3v2 tag that claims more bytes than the file holds
};

// The category of WriteError; its messages are the texts shown to the user.
const std::error_category& writeErrorCategory();
std::error_code make_error_code(WriteError error);

// The number a write call returns for the error.
constexpr int errorNumber(WriteError error) { return static_cast<int>(error); }
// The error code of such a number: a WriteError or else an errno value (0 is no error).
std::error_code errorCodeOf(int error);

// Copies the extended attributes (user, security and ACL entries) of one open file to another;
// false when one cannot be set (a security or trusted attribute without the privilege, or a
// file system without them).
[[nodiscard]] bool copyExtendedAttributes(int fromFd, int toFd);

}  // namespace vorda::base

template <>
struct std::is_error_code_enum<vorda::base::WriteError> : std::true_type {};
