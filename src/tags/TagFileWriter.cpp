// In-place tag writes and atomic rebuilds of tagged files.
#include "tags/TagFileWriter.h"

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

// Reads exactly n bytes at offset; false (errno set, EIO for a short file) otherwise.
bool ReadAt(int fd, int64_t offset, size_t n, std::string& out) {
    out.resize(n);
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd, out.data() + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
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

int64_t LengthOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

// Copies length bytes from offset of in to the current end of out.
int CopyRange(int in, int out, int64_t offset, int64_t length) {
    // The kernel copy first (it may share extents); plain reads and writes when it cannot.
    bool kernelCopy = true;
    while (length > 0 && kernelCopy) {
        off_t from = static_cast<off_t>(offset);
        const ssize_t n = ::copy_file_range(in, &from, out, nullptr, static_cast<size_t>(length), 0);
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
    if (error) *error = 0;
    const Fd fd(OpenFile(path, O_RDONLY));
    if (fd.get() < 0) {
        if (error) *error = Errno();
        return -1;
    }
    std::string header;
    if (offset < 0 || !ReadAt(fd.get(), offset, 10, header)) return -1;
    const auto* h = reinterpret_cast<const unsigned char*>(header.data());
    if (header.compare(0, 3, "ID3") != 0 || h[3] < 2 || h[3] > 4 || h[4] == 0xFF) return -1;
    for (int i = 6; i < 10; ++i)
        if (h[i] >= 0x80) return -1;
    const int64_t body = (int64_t(h[6]) << 21) | (int64_t(h[7]) << 14) | (int64_t(h[8]) << 7) | int64_t(h[9]);
    const bool footer = h[3] == 4 && (h[5] & 0x10) != 0;
    return 10 + body + (footer ? 10 : 0);
}

int WriteInPlace(const std::string& path, int64_t headOffset, const std::string& head, int64_t tailOffset,
                 const std::string& tail) {
    Fd fd(OpenFile(path, O_RDWR));
    if (fd.get() < 0) return Errno();
    const int64_t length = LengthOf(fd.get());
    if (length < 0) return Errno();
    const auto headLength = static_cast<int64_t>(head.size());
    if (headOffset < 0 || tailOffset < headOffset + headLength || tailOffset > length) return EINVAL;

    // The old bytes of both regions, so that a failed write can be undone.
    std::string oldHead;
    std::string oldTail;
    if (!head.empty() && !ReadAt(fd.get(), headOffset, head.size(), oldHead)) return Errno();
    if (!ReadAt(fd.get(), tailOffset, static_cast<size_t>(length - tailOffset), oldTail)) return Errno();

    int result = 0;
    bool headWritten = false;
    if (!head.empty()) {
        result = WriteAt(fd.get(), headOffset, head.data(), head.size());
        headWritten = true;
    }
    const int64_t newLength = tailOffset + static_cast<int64_t>(tail.size());
    if (result == 0) result = WriteAt(fd.get(), tailOffset, tail.data(), tail.size());
    if (result == 0 && newLength < length && ::ftruncate(fd.get(), static_cast<off_t>(newLength)) != 0)
        result = Errno();
    if (result == 0) result = ::fdatasync(fd.get()) == 0 ? 0 : Errno();
    if (result != 0) {
        // Put everything back; the first error is the one reported.
        if (headWritten) static_cast<void>(WriteAt(fd.get(), headOffset, oldHead.data(), oldHead.size()));
        static_cast<void>(WriteAt(fd.get(), tailOffset, oldTail.data(), oldTail.size()));
        static_cast<void>(::ftruncate(fd.get(), static_cast<off_t>(length)));
        return result;
    }
    return fd.Close();
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
    for (const Piece& piece : pieces) {
        if (piece.length > 0)
            result = CopyRange(in.get(), out.get(), piece.offset, piece.length);
        else
            result = WriteAll(out.get(), piece.bytes.data(), piece.bytes.size());
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
