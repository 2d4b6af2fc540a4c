// SPDX-License-Identifier: GPL-2.0-or-later

// File operations on the local file system: POSIX calls, results as errno values.
#include "base/FileOps.h"

#include "base/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

namespace vorda::base {

namespace {

class WriteErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "vorda-write"; }
    std::string message(int error) const override {
        switch (static_cast<WriteError>(error)) {
        case WriteError::FileChanged:
            return "The file was changed by another program after it was read; nothing was written. Read it again "
                   "and repeat the change.";
        case WriteError::NotAudio:
            return "The file holds neither an ID3 tag nor MPEG audio; no tag is written into it.";
        case WriteError::TagBeyondEnd: return "The ID3v2 tag claims more bytes than the file holds.";
        }
        return "Unknown write error " + std::to_string(error);
    }
};

}  // namespace

const std::error_category& writeErrorCategory() {
    static const WriteErrorCategory category;
    return category;
}

std::error_code make_error_code(WriteError error) { return {static_cast<int>(error), writeErrorCategory()}; }

std::error_code errorCodeOf(int error) {
    switch (error) {
    case errorNumber(WriteError::FileChanged):
    case errorNumber(WriteError::NotAudio):
    case errorNumber(WriteError::TagBeyondEnd): return make_error_code(static_cast<WriteError>(error));
    default: return {error, std::generic_category()};
    }
}

bool copyExtendedAttributes(int fromFd, int toFd) {
    ssize_t size = ::flistxattr(fromFd, nullptr, 0);
    if (size < 0) return errno == ENOTSUP || errno == EOPNOTSUPP;
    if (size == 0) return true;
    std::string names(static_cast<size_t>(size), '\0');
    size = ::flistxattr(fromFd, names.data(), names.size());
    if (size < 0) return false;
    names.resize(static_cast<size_t>(size));
    std::string value;
    for (size_t p = 0; p < names.size();) {
        const char* name = names.c_str() + p;
        p += std::strlen(name) + 1;
        const ssize_t n = ::fgetxattr(fromFd, name, nullptr, 0);
        if (n < 0) return false;
        value.resize(static_cast<size_t>(n));
        const ssize_t got = n == 0 ? 0 : ::fgetxattr(fromFd, name, value.data(), value.size());
        if (got < 0) return false;
        if (::fsetxattr(toFd, name, value.data(), static_cast<size_t>(got), 0) != 0) return false;
    }
    return true;
}

namespace {

namespace fs = std::filesystem;

std::mutex& trashMutex() {
    static std::mutex m;
    return m;
}

TrashHandler& installedTrashHandler() {
    static TrashHandler handler;
    return handler;
}

// The folder part of a path including its final "/", or "./" for a bare name.
std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return "./";
    return path.substr(0, slash + 1);
}

// The last component of a path, ignoring trailing slashes.
std::string lastComponent(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

int errnoOr(int fallback) { return errno != 0 ? errno : fallback; }

// Writes the whole buffer, retrying after interruptions and short writes.
int writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errnoOr(EIO);
        }
        if (n == 0) return ENOSPC;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

// Flushes a folder's entries to disk; best effort (some file systems refuse).
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A temporary file beside the target; its name stays short so that a target name of
// the longest legal length still leaves room for it.
int makeTempFile(const std::string& folder, std::string& tempPath) {
    std::string pattern = folder + ".vorda-tmp-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    tempPath.assign(buf.data());
    return fd;
}

// The permission bits a newly created file gets from the process's umask.
mode_t defaultFileMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            const unsigned long mask = std::strtoul(line.c_str() + 6, nullptr, 8);
            return static_cast<mode_t>(0666 & ~mask);
        }
    }
    return 0644;
}

// Copies one regular file. The data goes to a temporary file in the target folder which is
// flushed and then renamed over the destination, so the destination is either the old file
// or the complete copy. Permissions, owner (where allowed) and times are kept.
int copyRegularFile(const std::string& source, const std::string& destination) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return errnoOr(EIO);
    struct stat src {};
    if (::fstat(in, &src) != 0) {
        const int e = errnoOr(EIO);
        ::close(in);
        return e;
    }
    struct stat dst {};
    if (::stat(destination.c_str(), &dst) == 0) {
        if (sameFile(src, dst)) {  // copying a file onto itself: nothing to do
            ::close(in);
            return 0;
        }
        if (S_ISDIR(dst.st_mode)) {
            ::close(in);
            return EISDIR;
        }
    }

    const std::string folder = folderOf(destination);
    std::string tempPath;
    const int out = makeTempFile(folder, tempPath);
    if (out < 0) {
        const int e = errnoOr(EIO);
        ::close(in);
        return e;
    }

    int error = 0;
    std::vector<char> buffer(1 << 18);
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errnoOr(EIO);
            break;
        }
        if (n == 0) break;
        error = writeAll(out, buffer.data(), static_cast<size_t>(n));
        if (error != 0) break;
    }
    ::close(in);

    if (error == 0) {
        // The owner can only be kept with the right privileges; failing that is normal.
        if (::fchown(out, src.st_uid, src.st_gid) != 0) { /* keep the copier's ownership */
        }
        if (::fchmod(out, src.st_mode & 07777) != 0) error = errnoOr(EIO);
    }
    if (error == 0) {
        const struct timespec times[2] = {src.st_atim, src.st_mtim};
        if (::futimens(out, times) != 0) error = errnoOr(EIO);
    }
    if (error == 0 && ::fsync(out) != 0) error = errnoOr(EIO);
    if (::close(out) != 0 && error == 0) error = errnoOr(EIO);
    if (error == 0 && ::rename(tempPath.c_str(), destination.c_str()) != 0) error = errnoOr(EIO);
    if (error != 0) {
        ::unlink(tempPath.c_str());
        return error;
    }
    syncFolder(folder);
    return 0;
}

// Copies a folder with everything in it: first into a temporary folder beside the target,
// which is then renamed into place, so a failure leaves no half-copied tree under the name.
int copyFolder(const std::string& source, const std::string& destination) {
    struct stat src {};
    struct stat dst {};
    if (::stat(source.c_str(), &src) != 0) return errnoOr(ENOENT);
    if (::stat(destination.c_str(), &dst) == 0 && sameFile(src, dst)) return 0;

    std::string pattern = folderOf(destination) + ".vorda-tmp-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) return errnoOr(EIO);
    const std::string tempPath(buf.data());

    std::error_code ec;
    fs::copy(fs::path(source), fs::path(tempPath), fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    if (!ec) {
        ::chmod(tempPath.c_str(), src.st_mode & 07777);
        const struct timespec times[2] = {src.st_atim, src.st_mtim};
        ::utimensat(AT_FDCWD, tempPath.c_str(), times, 0);
        if (::rename(tempPath.c_str(), destination.c_str()) != 0) ec.assign(errnoOr(EIO), std::generic_category());
    }
    if (ec) {
        std::error_code ignored;
        fs::remove_all(fs::path(tempPath), ignored);
        return ec.value() != 0 ? ec.value() : EIO;
    }
    return 0;
}

int copyPath(const std::string& source, const std::string& destination) {
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0) return errnoOr(ENOENT);
    if (S_ISDIR(st.st_mode)) return copyFolder(source, destination);
    // Pipes and devices are not copied (opening a pipe would wait for a writer).
    if (!S_ISREG(st.st_mode)) return EINVAL;
    return copyRegularFile(source, destination);
}

int removeForGood(const std::string& path) {
    std::error_code ec;
    fs::remove_all(fs::path(path), ec);
    return ec ? (ec.value() != 0 ? ec.value() : EIO) : 0;
}

int movePath(const std::string& source, const std::string& destination) {
    if (::rename(source.c_str(), destination.c_str()) == 0) return 0;
    if (errno != EXDEV) return errnoOr(EIO);

    // Another file system (or another mount of the same one): copy, then delete the source.
    struct stat src {};
    struct stat dst {};
    if (::lstat(source.c_str(), &src) != 0) return errnoOr(ENOENT);
    if (::stat(destination.c_str(), &dst) == 0) {
        struct stat followed {};
        if (::stat(source.c_str(), &followed) == 0 && sameFile(followed, dst)) return 0;
    }
    if (S_ISLNK(src.st_mode)) {
        // A link is moved as a link.
        std::error_code ec;
        const fs::path target = fs::read_symlink(fs::path(source), ec);
        if (ec) return ec.value();
        // Made under a temporary name first, so an existing destination is replaced in one step.
        std::string tempPath;
        const int fd = makeTempFile(folderOf(destination), tempPath);
        if (fd < 0) return errnoOr(EIO);
        ::close(fd);
        ::unlink(tempPath.c_str());
        if (::symlink(target.c_str(), tempPath.c_str()) != 0) return errnoOr(EIO);
        if (::rename(tempPath.c_str(), destination.c_str()) != 0) {
            const int e = errnoOr(EIO);
            ::unlink(tempPath.c_str());
            return e;
        }
    } else {
        const int copied = copyPath(source, destination);
        if (copied != 0) return copied;
    }
    const int removed = removeForGood(source);
    if (removed != 0) {
        // A file that could not be unlinked is still whole: take the copy back so it does not
        // exist twice. A folder may have lost part of its contents; then the copy is kept.
        if (!S_ISDIR(src.st_mode)) removeForGood(destination);
        return removed;
    }
    return 0;
}

}  // namespace

int shellFileOperation(const std::string& source, const std::string& destination, int operation, bool useTrash) {
    if (source.empty()) return ENOENT;
    struct stat st {};
    if (::lstat(source.c_str(), &st) != 0) return errnoOr(ENOENT);

    switch (operation) {
    case FileOperation::Move:
    case FileOperation::Rename:
        if (destination.empty()) return ENOENT;
        if (destination == source) return 0;
        return movePath(source, destination);
    case FileOperation::Copy:
        if (destination.empty()) return ENOENT;
        if (destination == source) return 0;
        return copyPath(source, destination);
    case FileOperation::Delete: {
        if (useTrash) {
            TrashHandler handler;
            {
                std::lock_guard<std::mutex> lock(trashMutex());
                handler = installedTrashHandler();
            }
            if (handler) return handler(source);
        }
        return removeForGood(source);
    }
    default: return EINVAL;
    }
}

int moveAside(const std::string& path, std::string& tempPath) {
    tempPath.clear();
    if (path.empty()) return ENOENT;
    std::string reserved;
    const int fd = makeTempFile(folderOf(path), reserved);
    if (fd < 0) return errnoOr(EIO);
    ::close(fd);
    // The empty file only reserved the name; the rename replaces it in one step.
    if (::rename(path.c_str(), reserved.c_str()) != 0) {
        const int e = errnoOr(EIO);
        ::unlink(reserved.c_str());
        return e;
    }
    tempPath = reserved;
    return 0;
}

void setTrashHandler(TrashHandler handler) {
    std::lock_guard<std::mutex> lock(trashMutex());
    installedTrashHandler() = std::move(handler);
}

bool createFolderTree(const std::string& folder) {
    if (folder.empty()) return false;
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    std::error_code ec;
    fs::create_directories(fs::path(path), ec);
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int getFileAttributes(const std::string& path) {
    if (path.empty()) return 0;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    int attributes = 0;
    if ((st.st_mode & S_IWUSR) == 0) attributes |= FileAttribute::ReadOnly;
    const std::string name = lastComponent(path);
    if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FileAttribute::Hidden;
    return attributes;
}

void setFileAttributes(const std::string& path, int attributes) {
    if (path.empty()) return;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return;
    mode_t mode = st.st_mode & 07777;
    if ((attributes & FileAttribute::ReadOnly) != 0)
        mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
    else
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777)) ::chmod(path.c_str(), mode);
}

std::string errorText(int error) { return errorCodeOf(error).message(); }

int replaceFileAtomically(const std::string& path, const std::function<int(int fd)>& fill) {
    if (path.empty()) return ENOENT;
    // A file kept as a link into another folder stays a link: write its target.
    std::string target = path;
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr) target = resolved;
    }

    struct stat original {};
    const bool exists = ::stat(target.c_str(), &original) == 0;
    // Only a regular file is replaced: a folder, a pipe or a device in its place stays.
    if (exists && S_ISDIR(original.st_mode)) return EISDIR;
    if (exists && !S_ISREG(original.st_mode)) return EINVAL;

    const std::string folder = folderOf(target);
    std::string tempPath;
    UniqueFd fd(makeTempFile(folder, tempPath));
    if (!fd.valid()) return errnoOr(EIO);

    int error = fill(fd.get());
    if (error == 0) {
        if (exists) {
            if (::fchown(fd.get(), original.st_uid, original.st_gid) != 0) { /* keep the writer's ownership */
            }
            const UniqueFd from(openFile(target, O_RDONLY | O_NONBLOCK));
            if (from.valid()) static_cast<void>(copyExtendedAttributes(from.get(), fd.get()));  // as far as allowed
            if (::fchmod(fd.get(), original.st_mode & 07777) != 0) error = errnoOr(EIO);
        } else if (::fchmod(fd.get(), defaultFileMode()) != 0) {
            error = errnoOr(EIO);
        }
    }
    if (error == 0 && ::fsync(fd.get()) != 0) error = errnoOr(EIO);
    const int closed = fd.close();
    if (error == 0) error = closed;
    if (error == 0 && ::rename(tempPath.c_str(), target.c_str()) != 0) error = errnoOr(EIO);
    if (error != 0) {
        ::unlink(tempPath.c_str());
        return error;
    }
    syncFolder(folder);
    return 0;
}

int writeFileAtomically(const std::string& path, const std::string& data) {
    return replaceFileAtomically(path, [&data](int fd) { return writeAll(fd, data.data(), data.size()); });
}

}  // namespace vorda::base
