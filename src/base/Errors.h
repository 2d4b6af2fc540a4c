// SPDX-License-Identifier: GPL-2.0-or-later

// Error numbers of tag writes that no errno value describes, and the file-system help that the
// tag writer and the other atomic writers share.
#pragma once

namespace vorda::base {

// Vorda's own error numbers, above every errno value (errorText of the file operations knows their text).
enum VordaError : int {
    erFileChanged = 2001,   // another program changed or replaced the file after it was read
    erNotAudio = 2002,      // neither an ID3 tag nor MPEG audio: no tag is written into it
    erTagBeyondEnd = 2003,  // an ID3v2 tag that claims more bytes than the file holds
};

// Copies the extended attributes (user, security and ACL entries) of one open file to another;
// false when one cannot be set (a security or trusted attribute without the privilege, or a
// file system without them).
bool copyExtendedAttributes(int fromFd, int toFd);

}  // namespace vorda::base
