// SPDX-License-Identifier: GPL-2.0-or-later

#include "platform/PlatformServices.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QStandardPaths>

#include "base/FileOps.h"
#include "base/Text.h"

using namespace vorda::base;

namespace vorda::platform {

namespace {

// Percent-encodes a path's bytes as a .trashinfo Path value wants them.
std::string percentEncodePath(const std::string& path) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
            c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// The home trash for a name that Qt cannot carry unchanged (not valid UTF-8): the entry is
// written by hand and the file renamed into the trash under its real bytes.
int moveToHomeTrashByName(const std::string& path) {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::string dataHome = (xdg && *xdg == '/') ? std::string(xdg) : homeFolder() + "/.local/share";
    const std::string trash = removeBackslash(dataHome) + "/Trash";
    if (!createFolderTree(trash + "/files") || !createFolderTree(trash + "/info")) return EACCES;

    std::string absolute = path;
    if (absolute.empty() || absolute[0] != '/') {
        absolute = addBackslash(QFile::encodeName(QDir::currentPath()).toStdString()) + absolute;
    }
    absolute = removeBackslash(absolute);
    const std::string base = getFileName(absolute);
    const std::string date = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toStdString();
    for (int n = 0; n < 10000; ++n) {
        const std::string name = n == 0 ? base : base + "." + std::to_string(n);
        const std::string info = trash + "/info/" + name + ".trashinfo";
        const std::string target = trash + "/files/" + name;
        struct stat st {};
        if (lstat(target.c_str(), &st) == 0) continue;
        int fd = ::open(info.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return errno;
        }
        const std::string text = "[Trash Info]\nPath=" + percentEncodePath(absolute) + "\nDeletionDate=" + date + "\n";
        const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::close(fd);
        if (!written) {
            ::unlink(info.c_str());
            return EIO;
        }
        if (::rename(absolute.c_str(), target.c_str()) != 0) {
            const int error = errno;
            ::unlink(info.c_str());
            return error;
        }
        return 0;
    }
    return EEXIST;
}

}  // namespace

int moveToTrash(const std::string& path) {
    struct stat st {};
    if (path.empty() || lstat(path.c_str(), &st) != 0) return ENOENT;
    const QByteArray bytes = QByteArray::fromStdString(path);
    const QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) != bytes) return moveToHomeTrashByName(path);
    // The trash lives in the data folder, which a fresh account may not have yet.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (QFile::moveToTrash(name)) return 0;
    if (lstat(path.c_str(), &st) != 0) return ENOENT;
    std::string folder = getFolder(removeBackslash(path));
    if (folder.empty()) folder = ".";
    if (::access(folder.c_str(), W_OK) != 0) return EACCES;
    return EIO;
}

void installTrashHandler() {
    setTrashHandler([](const std::string& path) { return moveToTrash(path); });
}

std::string executableFolder() { return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString(); }

std::string programDataFolder() {
    const QString appDir = QCoreApplication::applicationDirPath();
    QString folder = appDir;
    if (!QDir(appDir + QStringLiteral("/templates")).exists() && !QDir(appDir + QStringLiteral("/help")).exists()) {
        folder = QDir::cleanPath(appDir + QStringLiteral("/../share/vorda"));
    }
    return addBackslash(QFile::encodeName(folder).toStdString());
}

QIcon FileIconCache::iconFor(const std::string& fileName) {
    const std::string key = lowerCase(getExtension(fileName));
    auto found = icons_.find(key);
    if (found != icons_.end()) return found->second;

    static QMimeDatabase mimeDb;
    const QMimeType type =
        mimeDb.mimeTypeForFile(QString::fromStdString(toDisplayUtf8(fileName)), QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull()) {
        static QFileIconProvider provider;
        icon = provider.icon(QAbstractFileIconProvider::File);
    }
    icons_.emplace(key, icon);
    return icon;
}

}  // namespace vorda::platform
