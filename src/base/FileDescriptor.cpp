// SPDX-License-Identifier: GPL-2.0-or-later

#include "base/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace vorda::base {

int UniqueFd::close() {
    if (fd_ < 0) return 0;
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) == 0) return 0;
    return errno != 0 ? errno : EIO;
}

int openFile(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace vorda::base
