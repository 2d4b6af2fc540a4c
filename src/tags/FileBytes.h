// SPDX-License-Identifier: GPL-2.0-or-later

// One open file read through two buffers: its head (from byte 0, grown as far as the readers
// ask) and its tail (the last bytes, grown backwards). Reading a typical MP3 file's tags and
// audio information this way costs one read at each end: the ID3v2 tag, the first frames and
// the Xing header come from the head, ID3v1, Lyrics3 and APE from the tail.
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vorda::tags {

class FileBytes {
public:
    // The first read of the head and of the tail.
    static constexpr size_t kHeadChunk = 16384;
    static constexpr size_t kTailChunk = 4096;

    FileBytes() = default;
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    // Opens a regular file for reading (forWriting: for reading and writing, and when that is
    // refused, for reading only, keeping the refusal for writeError). Never blocks on a FIFO.
    // False, with Error set, when the file cannot be opened or is not a regular file.
    bool open(const std::string& path, bool forWriting = false);
    bool isOpen() const { return fd_ >= 0; }
    // Closes the file (0, or the errno value of a failed close) and forgets the buffers.
    int close();

    int fd() const { return fd_; }
    // errno value of the failed Open or read; 0 when none failed.
    int error() const { return error_; }
    // 0 when the file is open for writing, else why it is not (an errno value).
    int writeError() const { return writeError_; }
    // The status of the file as it was opened.
    const struct stat& status() const { return st_; }
    int64_t size() const { return size_; }

    // The n bytes at offset, or nullptr when the file does not hold them all or they cannot be
    // read. The pointer stays valid until the next call of Bytes, Text, Head or Invalidate.
    const uint8_t* bytes(int64_t offset, size_t n);
    // The same as text; empty when not all there.
    std::string_view text(int64_t offset, size_t n);
    // True when the n bytes at offset are there and equal text.
    bool hasText(int64_t offset, std::string_view text);
    // Makes the head cover [0, end) (end at most the file's length); false when it cannot.
    bool head(int64_t end);
    const uint8_t* headData() const { return head_.get(); }
    int64_t headLength() const { return static_cast<int64_t>(headLength_); }

private:
    bool readExactly(int64_t offset, uint8_t* to, size_t n);
    bool growTail(int64_t from);

    int fd_ = -1;
    int error_ = 0;
    int writeError_ = EBADF;
    struct stat st_ {};
    int64_t size_ = 0;

    std::unique_ptr<uint8_t[]> head_;
    size_t headLength_ = 0;
    size_t headCapacity_ = 0;
    std::unique_ptr<uint8_t[]> tail_;  // the bytes [tailFrom_, size_)
    int64_t tailFrom_ = -1;            // -1: nothing loaded
    std::unique_ptr<uint8_t[]> scratch_;
    size_t scratchCapacity_ = 0;
};

}  // namespace vorda::tags
