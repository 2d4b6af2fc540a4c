// SPDX-License-Identifier: GPL-2.0-or-later

// The owner of an open file descriptor, and opening a file the way every writer does.
#pragma once

#include <string>
#include <utility>

namespace vorda::base {

// Closes its descriptor when it goes out of scope; -1 holds none.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { static_cast<void>(close()); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            static_cast<void>(close());
            fd_ = other.release();
        }
        return *this;
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    [[nodiscard]] int release() { return std::exchange(fd_, -1); }
    // Closes now; 0, or the errno of a failed close (a write that did not reach the disk).
    [[nodiscard]] int close();

private:
    int fd_;
};

// open(2) with O_CLOEXEC added, tried again when a signal interrupts it; -1 and errno on failure.
int openFile(const std::string& path, int flags);

}  // namespace vorda::base
