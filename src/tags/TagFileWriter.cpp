// SPDX-License-Identifier: GPL-2.0-or-later

// In-place tag writes and atomic rebuilds of tagged files.
#include "tags/TagFileWriter.h"

#include "tags/FileBytes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <set>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/Errors.h"
#include "base/FileDescriptor.h"

using namespace vorda::base;

namespace vorda::tags {

FileIdentity FileIdentity::of(const struct stat& st) {
    FileIdentity id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = static_cast<int64_t>(st.st_size);
    id.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return id;
}

namespace {

int lastErrno() { return errno != 0 ? errno : EIO; }

int writeAt(int fd, int64_t offset, const char* data, size_t n) {
    size_t done = 0;
    while (done < n) {
        const ssize_t put = ::pwrite(fd, data + done, n - done, static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return put == 0 ? EIO : lastErrno();
        done += static_cast<size_t>(put);
    }
    return 0;
}

int writeAll(int fd, const char* data, size_t n) {
    size_t done = 0;
    while (done < n) {
        const ssize_t put = ::write(fd, data + done, n - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return put == 0 ? EIO : lastErrno();
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
    void advance(int64_t bytes) {
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
int copyRange(int in, int out, int64_t offset, int64_t length, Writeback& writeback) {
    // The kernel copy first (it may share extents); plain reads and writes when it cannot.
    bool kernelCopy = true;
    while (length > 0 && kernelCopy) {
        off_t from = static_cast<off_t>(offset);
        const auto step = static_cast<size_t>(std::min(length, Writeback::kStep));
        const ssize_t n = ::copy_file_range(in, &from, out, nullptr, step, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 &&
            (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == ENOTSUP)) {
            kernelCopy = false;
            break;
        }
        if (n < 0) return lastErrno();
        if (n == 0) return EIO;  // the file became shorter
        offset += n;
        length -= n;
        writeback.advance(n);
    }
    if (length <= 0) return 0;
    std::vector<char> buffer(static_cast<size_t>(1) << 20);
    while (length > 0) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(length, static_cast<int64_t>(buffer.size())));
        const ssize_t got = ::pread(in, buffer.data(), want, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return lastErrno();
        if (got == 0) return EIO;
        if (const int error = writeAll(out, buffer.data(), static_cast<size_t>(got)); error != 0) return error;
        offset += got;
        length -= got;
        writeback.advance(got);
    }
    return 0;
}

// The folder part of a path ("." for a bare name).
std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

int64_t fileLength(const std::string& path, int* error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (error) *error = lastErrno();
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        if (error) *error = EINVAL;
        return -1;
    }
    if (error) *error = 0;
    return static_cast<int64_t>(st.st_size);
}

int64_t id3v2SizeAt(const std::string& path, int64_t offset, int* error) {
    FileBytes file;
    if (!file.open(path)) {
        if (error) *error = file.error();
        return -1;
    }
    return id3v2SizeAt(file, offset, error);
}

int64_t id3v2SizeAt(FileBytes& file, int64_t offset, int* error) {
    if (error) *error = 0;
    const uint8_t* h = offset < 0 ? nullptr : file.bytes(offset, 10);
    if (h == nullptr) {
        // A read error is an error; a file too short for a header has no tag there.
        if (error && offset >= 0 && offset + 10 <= file.size()) *error = file.error() != 0 ? file.error() : EIO;
        return -1;
    }
    if (std::memcmp(h, "ID3", 3) != 0 || h[3] < 2 || h[3] > 4 || h[4] == 0xFF) return -1;
    for (int i = 6; i < 10; ++i)
        if (h[i] >= 0x80) return -1;
    const int64_t body = (int64_t(h[6]) << 21) | (int64_t(h[7]) << 14) | (int64_t(h[8]) << 7) | int64_t(h[9]);
    const bool footer = h[3] == 4 && (h[5] & 0x10) != 0;
    return 10 + body + (footer ? 10 : 0);
}

int writeInPlace(const std::string& path, int64_t headOffset, const std::string& head, int64_t tailOffset,
                 const std::string& tail) {
    FileBytes file;
    if (!file.open(path, true)) return file.error();
    return writeInPlace(file, headOffset, head, tailOffset, tail);
}

namespace {

// The part of a region that changes: [first, last) of the new bytes differ from the old ones.
void changedSpan(std::string_view before, std::string_view after, size_t& first, size_t& last) {
    const size_t common = std::min(before.size(), after.size());
    first = 0;
    while (first < common && before[first] == after[first]) ++first;
    last = after.size();
    if (before.size() == after.size())
        while (last > first && before[last - 1] == after[last - 1]) --last;
}

}  // namespace

namespace {

// True when the bytes [first, last) of a file lie within one page (or there are none).
bool withinOnePage(int64_t first, int64_t last) { return last <= first || first / kPageSize == (last - 1) / kPageSize; }

}  // namespace

int writeInPlace(FileBytes& file, int64_t headOffset, const std::string& head, int64_t tailOffset,
                 const std::string& tail) {
    if (!file.isOpen()) return file.error() != 0 ? file.error() : EBADF;
    if (file.writeError() != 0) return file.writeError();
    const int fd = file.fd();
    const int64_t length = file.size();
    const auto headLength = static_cast<int64_t>(head.size());
    if (headOffset < 0 || tailOffset < headOffset + headLength || tailOffset > length) return EINVAL;

    // Only the bytes that change are written; the old ones are kept so that a failed write can
    // be undone.
    size_t headFirst = 0;
    size_t headLast = 0;
    std::string oldHead;
    if (!head.empty()) {
        const std::string_view before = file.text(headOffset, head.size());
        if (before.size() != head.size()) return file.error() != 0 ? file.error() : EIO;
        changedSpan(before, head, headFirst, headLast);
        oldHead.assign(before.substr(headFirst, headLast - headFirst));
    }
    const auto oldTailLength = static_cast<size_t>(length - tailOffset);
    const std::string_view beforeTail = file.text(tailOffset, oldTailLength);
    if (beforeTail.size() != oldTailLength) return file.error() != 0 ? file.error() : EIO;
    size_t tailFirst = 0;
    size_t tailLast = 0;
    changedSpan(beforeTail, tail, tailFirst, tailLast);
    const std::string oldTail(beforeTail.substr(tailFirst));

    // A process can be killed between the pages of one write, and between a write and the cut
    // of the file. Each region is therefore changed by one write within one page, or by the cut
    // alone; anything larger is rebuilt, which never shows a half-written state.
    const int64_t newLength = tailOffset + static_cast<int64_t>(tail.size());
    const bool tailOneStep = tail.empty() || tail.size() == oldTailLength || oldTailLength == 0;
    if (!withinOnePage(headOffset + static_cast<int64_t>(headFirst), headOffset + static_cast<int64_t>(headLast)) ||
        !withinOnePage(tailOffset + static_cast<int64_t>(tailFirst), tailOffset + static_cast<int64_t>(tailLast)) ||
        !tailOneStep)
        return kNeedsRebuild;

    int result = 0;
    bool headWritten = false;
    if (headLast > headFirst) {
        result =
            writeAt(fd, headOffset + static_cast<int64_t>(headFirst), head.data() + headFirst, headLast - headFirst);
        headWritten = true;
    }
    if (result == 0 && tailLast > tailFirst)
        result =
            writeAt(fd, tailOffset + static_cast<int64_t>(tailFirst), tail.data() + tailFirst, tailLast - tailFirst);
    if (result == 0 && newLength < length && ::ftruncate(fd, static_cast<off_t>(newLength)) != 0) result = lastErrno();
    if (result != 0) {
        // Put everything back; the first error is the one reported.
        if (headWritten)
            static_cast<void>(
                writeAt(fd, headOffset + static_cast<int64_t>(headFirst), oldHead.data(), oldHead.size()));
        static_cast<void>(writeAt(fd, tailOffset + static_cast<int64_t>(tailFirst), oldTail.data(), oldTail.size()));
        static_cast<void>(::ftruncate(fd, static_cast<off_t>(length)));
        return result;
    }
    return file.close();
}

namespace {

void syncFolder(const std::string& folder) {
    const UniqueFd fd(openFile(folder, O_RDONLY | O_DIRECTORY));
    if (fd.get() >= 0) static_cast<void>(::fsync(fd.get()));
}

std::string baseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ---------------------------------------------------------------- undo copies
//
// An in-place rewrite of more than one page first copies the bytes it overwrites into an undo
// file beside the file, flushed to disk together with its folder entry, and holds a lock on it
// while it writes. An undo file that no process holds, and that is complete, belongs to a
// rewrite that did not finish: its bytes are put back. An incomplete one was never acted on.
//
// Layout: magic, device, inode, old length, first rewritten offset, name length (8 bytes
// each, host order), the file's name, the old bytes from that offset to the old end, magic.

constexpr char kUndoMagic[8] = {'V', 'R', 'D', 'U', 'N', 'D', 'O', '1'};
constexpr const char* kUndoInfix = "undo-";

struct UndoHeader {
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t length = 0;
    uint64_t from = 0;
    uint64_t nameLength = 0;
};

std::string undoHeaderBytes(const UndoHeader& h, const std::string& name) {
    std::string out(kUndoMagic, sizeof kUndoMagic);
    for (const uint64_t v : {h.device, h.inode, h.length, h.from, h.nameLength})
        out.append(reinterpret_cast<const char*>(&v), sizeof v);
    return out + name;
}

int readAt(int fd, int64_t offset, char* to, size_t n) {
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd, to + done, n - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return got == 0 ? EIO : lastErrno();
        done += static_cast<size_t>(got);
    }
    return 0;
}

// Copies length bytes from offset of in to offset at of out, front to back.
int copyBetween(int in, int64_t from, int out, int64_t at, int64_t length) {
    if (length <= 0) return 0;
    std::vector<char> buffer(static_cast<size_t>(1) << 20);
    while (length > 0) {
        const auto n = static_cast<size_t>(std::min<int64_t>(length, static_cast<int64_t>(buffer.size())));
        if (const int error = readAt(in, from, buffer.data(), n); error != 0) return error;
        if (const int error = writeAt(out, at, buffer.data(), n); error != 0) return error;
        from += static_cast<int64_t>(n);
        at += static_cast<int64_t>(n);
        length -= static_cast<int64_t>(n);
    }
    return 0;
}

// Puts the old bytes of an undo file back into its file, or drops an undo file that was never
// acted on. The undo file is locked by the caller.
void replayUndo(const std::string& folder, const std::string& undoPath, int undo) {
    struct stat st {};
    if (::fstat(undo, &st) != 0) return;
    const auto total = static_cast<int64_t>(st.st_size);
    const int64_t fixed = static_cast<int64_t>(sizeof kUndoMagic) + 5 * 8;
    std::string head(static_cast<size_t>(fixed), '\0');
    UndoHeader h;
    bool complete = total >= fixed + static_cast<int64_t>(sizeof kUndoMagic) &&
                    readAt(undo, 0, head.data(), head.size()) == 0 &&
                    std::memcmp(head.data(), kUndoMagic, sizeof kUndoMagic) == 0;
    if (complete) {
        uint64_t* fields[] = {&h.device, &h.inode, &h.length, &h.from, &h.nameLength};
        for (size_t i = 0; i < 5; ++i) std::memcpy(fields[i], head.data() + sizeof kUndoMagic + 8 * i, 8);
        complete = h.nameLength > 0 && h.nameLength < 4096 && h.from <= h.length && h.length < (uint64_t(1) << 62) &&
                   static_cast<uint64_t>(total) ==
                       static_cast<uint64_t>(fixed) + h.nameLength + (h.length - h.from) + sizeof kUndoMagic;
    }
    char tailMagic[sizeof kUndoMagic] = {};
    complete = complete &&
               readAt(undo, total - static_cast<int64_t>(sizeof kUndoMagic), tailMagic, sizeof tailMagic) == 0 &&
               std::memcmp(tailMagic, kUndoMagic, sizeof kUndoMagic) == 0;
    if (complete) {
        std::string name(static_cast<size_t>(h.nameLength), '\0');
        if (readAt(undo, fixed, name.data(), name.size()) != 0 || name.find('/') != std::string::npos) return;
        const UniqueFd target(openFile(folder + "/" + name, O_RDWR | O_NOFOLLOW | O_NONBLOCK));
        struct stat ts {};
        // A file that is gone or was replaced since is not ours to change.
        if (target.get() >= 0 && ::fstat(target.get(), &ts) == 0 && S_ISREG(ts.st_mode) &&
            static_cast<uint64_t>(ts.st_dev) == h.device && static_cast<uint64_t>(ts.st_ino) == h.inode) {
            const int64_t dataAt = fixed + static_cast<int64_t>(h.nameLength);
            if (copyBetween(undo, dataAt, target.get(), static_cast<int64_t>(h.from),
                            static_cast<int64_t>(h.length - h.from)) != 0 ||
                ::ftruncate(target.get(), static_cast<off_t>(h.length)) != 0 || ::fsync(target.get()) != 0)
                return;  // kept for the next try
        }
    }
    ::unlink(undoPath.c_str());
    syncFolder(folder);
}

// The folders already tidied by this process.
std::mutex& tidyMutex() {
    static std::mutex m;
    return m;
}
std::unordered_set<std::string>& tidiedFolders() {
    static std::unordered_set<std::string> folders;
    return folders;
}

// Rewrites the file in place from the pieces, behind an undo copy. in is open for writing.
int rewriteWithUndo(const std::string& target, int in, const struct stat& st, const std::vector<Piece>& pieces) {
    const auto length = static_cast<int64_t>(st.st_size);
    // The leading pieces that leave bytes where they are need no rewrite.
    int64_t from = 0;
    size_t firstPiece = 0;
    for (; firstPiece < pieces.size(); ++firstPiece) {
        const Piece& p = pieces[firstPiece];
        if (p.length > 0 && p.offset == from) {
            from += p.length;
        } else if (p.length == 0 && p.bytes.empty()) {
            continue;
        } else {
            break;
        }
    }
    const std::string folder = folderOf(target);
    std::string undoPath = folder + "/" + kTempPrefix + kUndoInfix + "XXXXXX";
    UniqueFd undo(::mkostemp(undoPath.data(), O_CLOEXEC));
    if (undo.get() < 0) return lastErrno();
    int result = ::flock(undo.get(), LOCK_EX) == 0 ? 0 : lastErrno();
    UndoHeader h;
    h.device = static_cast<uint64_t>(st.st_dev);
    h.inode = static_cast<uint64_t>(st.st_ino);
    h.length = static_cast<uint64_t>(length);
    h.from = static_cast<uint64_t>(std::min(from, length));
    const std::string name = baseName(target);
    h.nameLength = name.size();
    const std::string header = undoHeaderBytes(h, name);
    const auto dataAt = static_cast<int64_t>(header.size());
    if (result == 0) result = writeAll(undo.get(), header.data(), header.size());
    if (result == 0)
        result =
            copyBetween(in, static_cast<int64_t>(h.from), undo.get(), dataAt, length - static_cast<int64_t>(h.from));
    if (result == 0)
        result = writeAt(undo.get(), dataAt + length - static_cast<int64_t>(h.from), kUndoMagic, sizeof kUndoMagic);
    if (result == 0 && ::fsync(undo.get()) != 0) result = lastErrno();
    if (result != 0) {
        ::unlink(undoPath.c_str());
        return result;
    }
    syncFolder(folder);

    // The new content from the first rewritten byte on; bytes of the original come from the
    // undo copy, which holds them unchanged while the file is overwritten.
    int64_t at = static_cast<int64_t>(h.from);
    for (size_t i = firstPiece; i < pieces.size() && result == 0; ++i) {
        const Piece& p = pieces[i];
        if (p.length > 0) {
            // Bytes in front of the first rewritten one are still in the file; the rest are
            // read from the undo copy.
            const auto kept = static_cast<int64_t>(h.from);
            const int64_t front = std::clamp<int64_t>(kept - p.offset, 0, p.length);
            if (front > 0) result = copyBetween(in, p.offset, in, at, front);
            if (result == 0 && front < p.length)
                result = copyBetween(undo.get(), dataAt + p.offset + front - kept, in, at + front, p.length - front);
            at += p.length;
        } else {
            result = writeAt(in, at, p.bytes.data(), p.bytes.size());
            at += static_cast<int64_t>(p.bytes.size());
        }
    }
    if (result == 0 && ::ftruncate(in, static_cast<off_t>(at)) != 0) result = lastErrno();
    if (result == 0 && ::fsync(in) != 0) result = lastErrno();
    if (result != 0) {
        // Put the old bytes back now; if even that fails, the undo file stays for the next try.
        if (copyBetween(undo.get(), dataAt, in, static_cast<int64_t>(h.from), length - static_cast<int64_t>(h.from)) ==
                0 &&
            ::ftruncate(in, static_cast<off_t>(length)) == 0 && ::fsync(in) == 0)
            ::unlink(undoPath.c_str());
        return result;
    }
    ::unlink(undoPath.c_str());
    syncFolder(folder);
    return 0;
}

// True when the open file is still what was seen at the start: same inode under the same
// name, same length and modification time.
bool stillTheSame(int fd, const std::string& path, const struct stat& seen) {
    struct stat now {};
    struct stat named {};
    if (::fstat(fd, &now) != 0 || ::stat(path.c_str(), &named) != 0) return false;
    return FileIdentity::of(now) == FileIdentity::of(seen) && named.st_dev == seen.st_dev &&
           named.st_ino == seen.st_ino;
}

// ---------------------------------------------------------------- deferred rebuilds

struct Pending {
    std::string path;    // as given
    std::string target;  // the real file
    std::string temp;
    FileIdentity source;  // the original that was rebuilt
    int64_t bytes = 0;
    dev_t device = 0;  // of the temporary file
    ino_t inode = 0;   // of the temporary file
};

// The pending rebuilds of the thread's outermost DeferredRebuilds.
// The old content of an original that a batch replaced, kept under its temporary name to take
// a later rebuild's content in the same folder: writing over an existing file's blocks costs a
// fraction of making a new file and freeing the old one. Only a file with one name and no
// extended attributes is kept, and reused only when nobody else holds it open; it is locked
// against the tidying of other processes while kept.
struct Spare {
    std::string folder;
    std::string temp;
    int fd = -1;
    uid_t owner = 0;
    gid_t group = 0;
    int64_t size = 0;
};

// The pending rebuilds of the thread's outermost DeferredRebuilds.
struct DeferredState {
    bool active = false;
    std::vector<Pending> pending;
    int64_t bytes = 0;
    std::vector<DeferredRebuilds::Failure> failures;
    std::vector<Spare> spares;
    int64_t spareBytes = 0;
    // True while batches are committed small to turn their old copies into spares: until a
    // commit keeps none (their files cannot be reused, or they lie in other folders).
    bool recycling = true;
};

DeferredState& deferred() {
    thread_local DeferredState state;
    return state;
}

// While spares are being made, a batch is committed at this many files when the spares run out.
constexpr size_t kRecycleBatch = 64;
constexpr size_t kMaxSpares = 64;
constexpr int64_t kMaxSpareBytes = int64_t(256) << 20;

void dropSpare(Spare& spare) {
    ::unlink(spare.temp.c_str());
    ::close(spare.fd);
    spare.fd = -1;
}

void dropSpares() {
    DeferredState& d = deferred();
    for (Spare& spare : d.spares) dropSpare(spare);
    d.spares.clear();
    d.spareBytes = 0;
}

// True when no other process holds the open file open: a write lease is granted only then.
// A lease break (another process opening it meanwhile) is signalled with a signal that is
// ignored unless handled, never with the fatal default.
bool openedByNobodyElse(int fd) {
    if (::fcntl(fd, F_SETSIG, SIGURG) != 0) return false;
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) != 0) return false;
    static_cast<void>(::fcntl(fd, F_SETLEASE, F_UNLCK));
    return true;
}

// A spare for a file of this folder, owner and group; false when there is none. Its exchange
// is durable by now (the commit flushed the folder), so it no longer stands for its original.
// It is made private first: who opened it before, a player of the old content, shows by the
// lease check and keeps it; nobody else may open it after.
bool takeSpare(const std::string& folder, const struct stat& original, Spare& taken) {
    DeferredState& d = deferred();
    for (auto it = d.spares.begin(); it != d.spares.end();) {
        if (it->folder != folder || it->owner != original.st_uid || it->group != original.st_gid) {
            ++it;
            continue;
        }
        Spare spare = std::move(*it);
        it = d.spares.erase(it);
        d.spareBytes -= spare.size;
        if (::fchmod(spare.fd, 0600) == 0 && openedByNobodyElse(spare.fd)) {
            taken = std::move(spare);
            return true;
        }
        const bool held = errno == EAGAIN;
        dropSpare(spare);
        if (!held) {
            // Leases are not to be had here: no old copy can be reused.
            d.recycling = false;
            dropSpares();
            return false;
        }
    }
    return false;
}

// After the exchange of a pending file with its original, the old copy lies under the
// temporary name: kept as a spare when it may be reused, removed otherwise. False when the
// original was replaced by another program between the check and the exchange (the old copy is
// then theirs).
bool keepOldCopy(const Pending& p, bool keep) {
    struct stat st {};
    if (::lstat(p.temp.c_str(), &st) != 0) return true;  // gone: nothing to keep
    if (!(FileIdentity::of(st) == p.source)) return false;
    DeferredState& d = deferred();
    keep = keep && S_ISREG(st.st_mode) && st.st_nlink == 1 && d.spares.size() < kMaxSpares &&
           d.spareBytes + static_cast<int64_t>(st.st_size) <= kMaxSpareBytes;
    if (keep) {
        UniqueFd fd(openFile(p.temp, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
        struct stat opened {};
        // Locked before it is looked at: a tidy of another process may have removed it.
        if (fd.get() >= 0 && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && ::fstat(fd.get(), &opened) == 0 &&
            opened.st_ino == st.st_ino && opened.st_dev == st.st_dev && opened.st_nlink == 1 &&
            ::flistxattr(fd.get(), nullptr, 0) == 0) {
            Spare spare;
            spare.folder = folderOf(p.target);
            spare.temp = p.temp;
            spare.owner = opened.st_uid;
            spare.group = opened.st_gid;
            spare.size = static_cast<int64_t>(opened.st_size);
            spare.fd = fd.get();
            static_cast<void>(fd.release());
            d.spareBytes += spare.size;
            d.spares.push_back(std::move(spare));
            return true;
        }
    }
    ::unlink(p.temp.c_str());
    return true;
}

// Puts the pending file in place of its original: exchanged with it where the file system can
// (the old copy stays whole under the temporary name), renamed over it elsewhere. Sets
// *exchanged accordingly.
int putInPlace(const Pending& p, bool* exchanged) {
    *exchanged = false;
    if (::renameat2(AT_FDCWD, p.temp.c_str(), AT_FDCWD, p.target.c_str(), RENAME_EXCHANGE) == 0) {
        *exchanged = true;
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return lastErrno();
    return ::rename(p.temp.c_str(), p.target.c_str()) == 0 ? 0 : lastErrno();
}

// Flushes, checks and puts every pending file in place; failures are kept in the state.
void commitPending() {
    DeferredState& d = deferred();
    if (d.pending.empty()) return;
    // Spares the batch did not use belong to folders it left.
    dropSpares();
    // One flush per file system holds every temporary file's bytes (a temporary file lies in
    // its original's folder, on the file system of the folder).
    std::map<dev_t, int> flushed;  // device -> 0 or errno
    for (const Pending& p : d.pending) {
        if (flushed.count(p.device) != 0) continue;
        const UniqueFd fd(openFile(p.temp, O_RDONLY));
        flushed[p.device] = fd.get() >= 0 && ::syncfs(fd.get()) == 0 ? 0 : lastErrno();
    }
    std::set<std::string> folders;
    for (const Pending& p : d.pending) {
        int error = flushed[p.device];
        struct stat now {};
        // The original must still be the file that was rebuilt.
        if (error == 0 && (::stat(p.target.c_str(), &now) != 0 || !(FileIdentity::of(now) == p.source)))
            error = errorNumber(WriteError::FileChanged);
        bool exchanged = false;
        if (error == 0) error = putInPlace(p, &exchanged);
        if (error == 0 && exchanged && !keepOldCopy(p, d.recycling)) {
            // Another program replaced the original just before the exchange: its file goes
            // back, unless the name has changed hands again.
            struct stat named {};
            if (::stat(p.target.c_str(), &named) == 0 && named.st_dev == p.device && named.st_ino == p.inode &&
                ::renameat2(AT_FDCWD, p.temp.c_str(), AT_FDCWD, p.target.c_str(), RENAME_EXCHANGE) == 0)
                error = errorNumber(WriteError::FileChanged);
        }
        if (error != 0) {
            ::unlink(p.temp.c_str());
            d.failures.push_back({p.path, error});
        } else {
            folders.insert(folderOf(p.target));
        }
    }
    // Before any old copy is reused, the exchanges must be durable: a crash must not find an
    // original's name on its old inode again once that holds another file's bytes.
    for (const std::string& folder : folders) syncFolder(folder);
    d.recycling = d.recycling && !d.spares.empty();
    d.pending.clear();
    d.bytes = 0;
}

const Pending* findPending(const std::string& path) {
    const DeferredState& d = deferred();
    for (const Pending& p : d.pending)
        if (p.path == path || p.target == path) return &p;
    return nullptr;
}

}  // namespace

DeferredRebuilds::DeferredRebuilds() {
    DeferredState& d = deferred();
    if (d.active) return;
    d.active = active_ = true;
    d.failures.clear();
}

DeferredRebuilds::~DeferredRebuilds() {
    if (!active_) return;
    commitPending();
    dropSpares();
    DeferredState& d = deferred();
    d.active = false;
    d.recycling = true;
    d.failures.clear();
}

std::vector<DeferredRebuilds::Failure> DeferredRebuilds::commit() {
    if (!active_) return {};
    commitPending();
    dropSpares();
    return std::exchange(deferred().failures, {});
}

std::string pendingContent(const std::string& path) {
    if (deferred().pending.empty()) return {};
    const Pending* p = findPending(path);
    return p ? p->temp : std::string();
}

void commitIfPending(const std::string& path) {
    if (!deferred().pending.empty() && findPending(path) != nullptr) commitPending();
}

int rebuildFile(const std::string& path, const std::vector<Piece>& pieces, const FileIdentity& expected) {
    commitIfPending(path);
    // Rebuild the file a link points to, not the link. A name that is no link is replaced
    // where it is, whatever links its folders are reached through.
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return lastErrno();
    std::string target = path;
    if (S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) == nullptr) return lastErrno();
        target = resolved;
        if (::stat(target.c_str(), &st) != 0) return lastErrno();
    }
    // Never opened unless regular: opening a device may act on it.
    if (!S_ISREG(st.st_mode)) return EINVAL;
    const std::string folder = folderOf(target);
    tidyFolder(folder);

    // Opened for writing: the rewrite in place needs it, and it proves the permission to change
    // the file that a rebuild needs as well.
    const UniqueFd in(openFile(target, O_RDWR | O_NONBLOCK | O_NOCTTY | (target == path ? O_NOFOLLOW : 0)));
    if (in.get() < 0) return lastErrno();
    if (::fstat(in.get(), &st) != 0) return lastErrno();
    if (!S_ISREG(st.st_mode)) return EINVAL;
    if (expected.known() && !(FileIdentity::of(st) == expected)) return errorNumber(WriteError::FileChanged);
    const auto length = static_cast<int64_t>(st.st_size);
    for (const Piece& piece : pieces)
        if (piece.length > 0 && (piece.offset < 0 || piece.offset + piece.length > length)) return EINVAL;

    // A new inode would part the names of a file with hard links, and one that cannot get the
    // original's owner would change hands: such files are rewritten where they are.
    if (st.st_nlink > 1) return rewriteWithUndo(target, in.get(), st, pieces);

    // In a batch, the old copy of an earlier file of the folder takes the content when there is
    // one (it is locked already).
    DeferredState& state = deferred();
    Spare spare;
    const bool reused = state.active && takeSpare(folder, st, spare);
    std::string temp = reused ? spare.temp : folder + "/" + kTempPrefix + "XXXXXX";
    UniqueFd out(reused ? spare.fd : ::mkostemp(temp.data(), O_CLOEXEC));
    if (out.get() < 0) return lastErrno();
    // Held while the temporary file is written: a folder tidy of another process leaves it be.
    if (!reused) static_cast<void>(::flock(out.get(), LOCK_EX));

    int result = 0;
    bool inPlace = false;
    if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) && ::fchown(out.get(), st.st_uid, st.st_gid) != 0)
        inPlace = true;
    if (!inPlace && !copyExtendedAttributes(in.get(), out.get())) inPlace = true;
    if (inPlace) {
        static_cast<void>(out.close());  // the temporary file goes unused
        ::unlink(temp.c_str());
        return rewriteWithUndo(target, in.get(), st, pieces);
    }
    Writeback writeback(out.get());
    for (const Piece& piece : pieces) {
        if (piece.length > 0) {
            result = copyRange(in.get(), out.get(), piece.offset, piece.length, writeback);
        } else {
            result = writeAll(out.get(), piece.bytes.data(), piece.bytes.size());
            writeback.advance(static_cast<int64_t>(piece.bytes.size()));
        }
        if (result != 0) break;
    }
    int64_t bytes = 0;
    for (const Piece& piece : pieces)
        bytes += piece.length > 0 ? piece.length : static_cast<int64_t>(piece.bytes.size());
    // A reused file held more: its end goes.
    if (result == 0 && reused && spare.size > bytes && ::ftruncate(out.get(), static_cast<off_t>(bytes)) != 0)
        result = lastErrno();
    if (result == 0 && ::fchmod(out.get(), st.st_mode & 07777) != 0) result = lastErrno();
    if (result == 0 && state.active) {
        // Flushed and put in place with the other pending files.
        struct stat written {};
        if (::fstat(out.get(), &written) != 0) result = lastErrno();
        if (result == 0) result = out.close();
        if (result != 0) {
            ::unlink(temp.c_str());
            return result;
        }
        state.pending.push_back({path, target, temp, FileIdentity::of(st), bytes, written.st_dev, written.st_ino});
        state.bytes += bytes;
        // While old copies are being reused, a batch ends when they run out.
        const bool recycle = state.recycling && state.spares.empty() && state.pending.size() >= kRecycleBatch;
        if (recycle || state.pending.size() >= DeferredRebuilds::kMaxPending ||
            state.bytes >= DeferredRebuilds::kMaxPendingBytes)
            commitPending();
        return 0;
    }
    if (result == 0 && ::fsync(out.get()) != 0) result = lastErrno();
    // Another program that changed or replaced the file meanwhile keeps its change.
    if (result == 0 && !stillTheSame(in.get(), target, st)) result = errorNumber(WriteError::FileChanged);
    if (result == 0) result = out.close();
    if (result == 0 && ::rename(temp.c_str(), target.c_str()) != 0) result = lastErrno();
    if (result != 0) {
        ::unlink(temp.c_str());
        return result;
    }
    // Make the rename itself durable.
    syncFolder(folder);
    return 0;
}

void tidyFolder(const std::string& folder) {
    const std::string key = folder.empty() ? "." : folder;
    {
        const std::lock_guard<std::mutex> lock(tidyMutex());
        if (!tidiedFolders().insert(key).second) return;
    }
    DIR* dir = ::opendir(key.c_str());
    if (dir == nullptr) return;
    const std::string_view prefix = kTempPrefix;
    const std::string undoPrefix = std::string(kTempPrefix) + kUndoInfix;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        // Vorda's own names: the rebuild's and undo files, and the copies of the file operations.
        if (name.substr(0, prefix.size()) == prefix || name.substr(0, 11) == ".vorda-tmp-") names.emplace_back(name);
    }
    ::closedir(dir);
    const time_t now = ::time(nullptr);
    for (const std::string& name : names) {
        const std::string path = key + "/" + name;
        const UniqueFd fd(openFile(path, O_RDWR | O_NOFOLLOW | O_NONBLOCK));
        struct stat st {};
        if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
        // Held by a running process: still being written.
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
        if (std::string_view(name).substr(0, undoPrefix.size()) == undoPrefix) {
            replayUndo(key, path, fd.get());
        } else if (now - st.st_mtime >= kStaleAfterSeconds) {
            ::unlink(path.c_str());
        }
    }
}

}  // namespace vorda::tags
