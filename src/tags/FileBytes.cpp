// SPDX-License-Identifier: GPL-2.0-or-later

// Buffered reading of a file's head and tail.
#include "tags/FileBytes.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace vorda::tags {

FileBytes::~FileBytes() { close(); }

bool FileBytes::open(const std::string& path, bool forWriting) {
    close();
    error_ = 0;
    writeError_ = EBADF;
    if (path.empty()) {
        error_ = ENOENT;
        return false;
    }
    // O_NONBLOCK: a FIFO under a music name must not hang the reader; regular files ignore it.
    const int readOnly = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    int fd = -1;
    if (forWriting) {
        // Only a regular file is ever opened for writing: opening a device or a FIFO can act.
        struct stat named {};
        if (::stat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) {
            error_ = ::stat(path.c_str(), &named) != 0 ? errno : EINVAL;
            return false;
        }
        do {
            fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        } while (fd < 0 && errno == EINTR);
        writeError_ = fd < 0 ? errno : 0;
    }
    while (fd < 0) {
        fd = ::open(path.c_str(), readOnly);
        if (fd < 0 && errno != EINTR) {
            error_ = errno;
            return false;
        }
    }
    const bool status = ::fstat(fd, &st_) == 0;
    if (!status || !S_ISREG(st_.st_mode)) {
        error_ = status ? EINVAL : errno;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<int64_t>(st_.st_size);
    return true;
}

int FileBytes::close() {
    headLength_ = 0;
    tailFrom_ = -1;
    size_ = 0;
    if (fd_ < 0) return 0;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : (errno != 0 ? errno : EIO);
}

bool FileBytes::readExactly(int64_t offset, uint8_t* to, size_t n) {
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, to + done, n - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            error_ = got == 0 ? EIO : errno;  // shorter than its length said: it changed under us
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

bool FileBytes::head(int64_t end) {
    if (end <= headLength()) return true;
    if (fd_ < 0 || end > size_) return false;
    // Room for what follows too: a tag is followed by the first frames and the Xing header.
    const int64_t want = std::min(size_, std::max({end + static_cast<int64_t>(kHeadChunk / 2), 2 * headLength(),
                                                   static_cast<int64_t>(kHeadChunk)}));
    if (static_cast<size_t>(want) > headCapacity_) {
        std::unique_ptr<uint8_t[]> bigger(new uint8_t[static_cast<size_t>(want)]);
        if (headLength_ > 0) std::memcpy(bigger.get(), head_.get(), headLength_);
        head_ = std::move(bigger);
        headCapacity_ = static_cast<size_t>(want);
    }
    if (!readExactly(headLength(), head_.get() + headLength_, static_cast<size_t>(want - headLength()))) return false;
    headLength_ = static_cast<size_t>(want);
    return true;
}

bool FileBytes::growTail(int64_t from) {
    from = std::max<int64_t>(from, 0);
    const int64_t oldFrom = tailFrom_ < 0 ? size_ : tailFrom_;
    if (from >= oldFrom) return true;
    std::unique_ptr<uint8_t[]> bigger(new uint8_t[static_cast<size_t>(size_ - from)]);
    if (oldFrom < size_)
        std::memcpy(bigger.get() + (oldFrom - from), tail_.get(), static_cast<size_t>(size_ - oldFrom));
    if (!readExactly(from, bigger.get(), static_cast<size_t>(oldFrom - from))) return false;
    tail_ = std::move(bigger);
    tailFrom_ = from;
    return true;
}

const uint8_t* FileBytes::bytes(int64_t offset, size_t n) {
    if (fd_ < 0 || offset < 0 || offset > size_ || static_cast<int64_t>(n) > size_ - offset) return nullptr;
    if (n == 0) {
        static const uint8_t nothing = 0;
        return &nothing;
    }
    const int64_t end = offset + static_cast<int64_t>(n);
    if (end <= headLength()) return head_.get() + offset;
    if (tailFrom_ >= 0 && offset >= tailFrom_) return tail_.get() + (offset - tailFrom_);

    const auto headChunk = static_cast<int64_t>(kHeadChunk);
    const auto tailChunk = static_cast<int64_t>(kTailChunk);
    // A small file is read whole, in one go.
    if (size_ <= headChunk + tailChunk) return head(size_) ? head_.get() + offset : nullptr;
    // At the end of the file, or just in front of what is loaded there: the tail grows backwards.
    if (end > size_ - tailChunk || (tailFrom_ >= 0 && end > tailFrom_ - tailChunk)) {
        const int64_t loaded = tailFrom_ < 0 ? 0 : size_ - tailFrom_;
        const int64_t from = std::min(offset, size_ - std::max(tailChunk, 2 * loaded));
        return growTail(from) ? tail_.get() + (offset - tailFrom_) : nullptr;
    }
    // Right behind the head: the head grows.
    if (offset <= headLength() + headChunk) return head(end) ? head_.get() + offset : nullptr;
    // Anywhere else: a read of its own.
    if (n > scratchCapacity_) {
        scratch_.reset(new uint8_t[n]);
        scratchCapacity_ = n;
    }
    return readExactly(offset, scratch_.get(), n) ? scratch_.get() : nullptr;
}

std::string_view FileBytes::text(int64_t offset, size_t n) {
    const uint8_t* p = bytes(offset, n);
    return p ? std::string_view(reinterpret_cast<const char*>(p), n) : std::string_view();
}

bool FileBytes::hasText(int64_t offset, std::string_view text) {
    const uint8_t* p = bytes(offset, text.size());
    return p && std::memcmp(p, text.data(), text.size()) == 0;
}

}  // namespace vorda::tags
