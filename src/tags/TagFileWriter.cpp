// In-place tag writes and atomic rebuilds of tagged files.
#include "tags/TagFileWriter.h"

#include "tags/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <vector>

namespace vorda::tagfile {

namespace {

int Errno() { return errno != 0 ? errno : EIO; }

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now; 0 or the errno of close.
    int Close() {
        if (fd_ < 0) return 0;
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : Errno();
    }

private:
    int fd_;
};

int OpenFile(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int WriteAt(int fd, int64_t offset, const char* data, size_t n) {
    size_t done = 0;
    while (done < n) {
        const ssize_t put = ::pwrite(fd, data + done, n - done, static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return put == 0 ? EIO : Errno();
        done += static_cast<size_t>(put);
    }
    return 0;
}

int WriteAll(int fd, const char* data, size_t n) {
    size_t done = 0;
    while (done < n) {
        const ssize_t put = ::write(fd, data + done, n - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return put == 0 ? EIO : Errno();
        done += static_cast<size_t>(put);
    }
    return 0;
}

// Starts writing a new file's bytes to disk while more are being copied, so that the flush at
// the end has little left to wait for.
class Writeback {
public:
    static constexpr int64_t kStep = 8 << 20;
    explicit Writeback(int fd) : fd_(fd) {}
    void Advance(int64_t bytes) {
        written_ += bytes;
        if (written_ - started_ < kStep) return;
        // Only a hint: the flush at the end reports errors.
        static_cast<void>(::sync_file_range(fd_, started_, written_ - started_, SYNC_FILE_RANGE_WRITE));
        started_ = written_;
    }

private:
    int fd_;
    int64_t written_ = 0;
    int64_t started_ = 0;
};

// Copies length bytes from offset of in to the current end of out.
int CopyRange(int in, int out, int64_t offset, int64_t length, Writeback& writeback) {
    // The kernel copy first (it may share extents); plain reads and writes when it cannot.
    bool kernelCopy = true;
    while (length > 0 && kernelCopy) {
        off_t from = static_cast<off_t>(offset);
        const auto step = static_cast<size_t>(std::min(length, Writeback::kStep));
        const ssize_t n = ::copy_file_range(in, &from, out, nullptr, step, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                      errno == ENOTSUP)) {
            kernelCopy = false;
            break;
        }
        if (n < 0) return Errno();
        if (n == 0) return EIO;  // the file became shorter
        offset += n;
        length -= n;
        writeback.Advance(n);
    }
    std::vector<char> buffer(static_cast<size_t>(1) << 20);
    while (length > 0) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(length, static_cast<int64_t>(buffer.size())));
        const ssize_t got = ::pread(in, buffer.data(), want, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Errno();
        if (got == 0) return EIO;
        if (const int error = WriteAll(out, buffer.data(), static_cast<size_t>(got)); error != 0) return error;
        offset += got;
        length -= got;
        writeback.Advance(got);
    }
    return 0;
}

// The folder part of a path ("." for a bare name).
std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

int64_t FileLength(const std::string& path, int* error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (error) *error = Errno();
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        if (error) *error = EINVAL;
        return -1;
    }
    if (error) *error = 0;
    return static_cast<int64_t>(st.st_size);
}

int64_t ID3v2SizeAt(const std::string& path, int64_t offset, int* error) {
    FileBytes file;
    if (!file.Open(path)) {
        if (error) *error = file.Error();
        return -1;
    }
    return ID3v2SizeAt(file, offset, error);
}

int64_t ID3v2SizeAt(FileBytes& file, int64_t offset, int* error) {
    if (error) *error = 0;
    const uint8_t* h = offset < 0 ? nullptr : file.Bytes(offset, 10);
    if (h == nullptr) {
        // A read error is an error; a file too short for a header has no tag there.
        if (error && offset >= 0 && offset + 10 <= file.Size()) *error = file.Error() != 0 ? file.Error() : EIO;
        return -1;
    }
    if (std::memcmp(h, "ID3", 3) != 0 || h[3] < 2 || h[3] > 4 || h[4] == 0xFF) return -1;
    for (int i = 6; i < 10; ++i)
        if (h[i] >= 0x80) return -1;
    const int64_t body = (int64_t(h[6]) << 21) | (int64_t(h[7]) << 14) | (int64_t(h[8]) << 7) | int64_t(h[9]);
    const bool footer = h[3] == 4 && (h[5] & 0x10) != 0;
    return 10 + body + (footer ? 10 : 0);
}

int WriteInPlace(const std::string& path, int64_t headOffset, const std::string& head, int64_t tailOffset,
                 const std::string& tail) {
    FileBytes file;
    if (!file.Open(path, true)) return file.Error();
    return WriteInPlace(file, headOffset, head, tailOffset, tail);
}

namespace {

// The part of a region that changes: [first, last) of the new bytes differ from the old ones.
void ChangedSpan(std::string_view before, std::string_view after, size_t& first, size_t& last) {
    const size_t common = std::min(before.size(), after.size());
    first = 0;
    while (first < common && before[first] == after[first]) ++first;
    last = after.size();
    if (before.size() == after.size())
        while (last > first && before[last - 1] == after[last - 1]) --last;
}

}  // namespace

int WriteInPlace(FileBytes& file, int64_t headOffset, const std::string& head, int64_t tailOffset,
                 const std::string& tail) {
    if (!file.IsOpen()) return file.Error() != 0 ? file.Error() : EBADF;
    if (file.WriteError() != 0) return file.WriteError();
    const int fd = file.fd();
    const int64_t length = file.Size();
    const auto headLength = static_cast<int64_t>(head.size());
    if (headOffset < 0 || tailOffset < headOffset + headLength || tailOffset > length) return EINVAL;

    // Only the bytes that change are written; the old ones are kept so that a failed write can
    // be undone.
    size_t headFirst = 0;
    size_t headLast = 0;
    std::string oldHead;
    if (!head.empty()) {
        const std::string_view before = file.Text(headOffset, head.size());
        if (before.size() != head.size()) return file.Error() != 0 ? file.Error() : EIO;
        ChangedSpan(before, head, headFirst, headLast);
        oldHead.assign(before.substr(headFirst, headLast - headFirst));
    }
    const auto oldTailLength = static_cast<size_t>(length - tailOffset);
    const std::string_view beforeTail = file.Text(tailOffset, oldTailLength);
    if (beforeTail.size() != oldTailLength) return file.Error() != 0 ? file.Error() : EIO;
    size_t tailFirst = 0;
    size_t tailLast = 0;
    ChangedSpan(beforeTail, tail, tailFirst, tailLast);
    const std::string oldTail(beforeTail.substr(tailFirst));

    // No flush: the tag regions are overwritten where they are (an overwrite cannot be made
    // atomic by flushing), and the audio is never touched.
    int result = 0;
    bool headWritten = false;
    if (headLast > headFirst) {
        result = WriteAt(fd, headOffset + static_cast<int64_t>(headFirst), head.data() + headFirst, headLast - headFirst);
        headWritten = true;
    }
    const int64_t newLength = tailOffset + static_cast<int64_t>(tail.size());
    if (result == 0 && tailLast > tailFirst)
        result = WriteAt(fd, tailOffset + static_cast<int64_t>(tailFirst), tail.data() + tailFirst, tailLast - tailFirst);
    if (result == 0 && newLength < length && ::ftruncate(fd, static_cast<off_t>(newLength)) != 0) result = Errno();
    if (result != 0) {
        // Put everything back; the first error is the one reported.
        if (headWritten)
            static_cast<void>(WriteAt(fd, headOffset + static_cast<int64_t>(headFirst), oldHead.data(), oldHead.size()));
        static_cast<void>(WriteAt(fd, tailOffset + static_cast<int64_t>(tailFirst), oldTail.data(), oldTail.size()));
        static_cast<void>(::ftruncate(fd, static_cast<off_t>(length)));
        return result;
    }
    return file.Close();
}

int RebuildFile(const std::string& path, const std::vector<Piece>& pieces) {
    // Rebuild the file a link points to, not the link.
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return Errno();
    const std::string target = resolved;

    const Fd in(OpenFile(target, O_RDONLY));
    if (in.get() < 0) return Errno();
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) return Errno();
    if (!S_ISREG(st.st_mode)) return EINVAL;
    // The original must be writable by us, as an in-place write would need.
    if (::access(target.c_str(), W_OK) != 0) return Errno();
    const auto length = static_cast<int64_t>(st.st_size);
    for (const Piece& piece : pieces)
        if (piece.length > 0 && (piece.offset < 0 || piece.offset + piece.length > length)) return EINVAL;

    std::string temp = FolderOf(target) + "/.~vorda-XXXXXX";
    Fd out(::mkstemp(temp.data()));
    if (out.get() < 0) return Errno();

    int result = 0;
    Writeback writeback(out.get());
    for (const Piece& piece : pieces) {
        if (piece.length > 0) {
            result = CopyRange(in.get(), out.get(), piece.offset, piece.length, writeback);
        } else {
            result = WriteAll(out.get(), piece.bytes.data(), piece.bytes.size());
            writeback.Advance(static_cast<int64_t>(piece.bytes.size()));
        }
        if (result != 0) break;
    }
    if (result == 0 && ::fchmod(out.get(), st.st_mode & 07777) != 0) result = Errno();
    if (result == 0 && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()))
        static_cast<void>(::fchown(out.get(), st.st_uid, st.st_gid));  // kept where allowed
    if (result == 0 && ::fsync(out.get()) != 0) result = Errno();
    if (result == 0) result = out.Close();
    if (result == 0 && ::rename(temp.c_str(), target.c_str()) != 0) result = Errno();
    if (result != 0) {
        ::unlink(temp.c_str());
        return result;
    }
    // Make the rename itself durable.
    const Fd folder(OpenFile(FolderOf(target), O_RDONLY | O_DIRECTORY));
    if (folder.get() >= 0) static_cast<void>(::fsync(folder.get()));
    return 0;
}

}  // namespace vorda::tagfile
