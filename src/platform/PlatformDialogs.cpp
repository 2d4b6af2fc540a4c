// SPDX-License-Identifier: GPL-2.0-or-later

#include "platform/PlatformDialogs.h"

#include <unistd.h>
#include <cstdlib>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileDialog>

#include "base/FileOps.h"
#include "base/Text.h"

using namespace vorda::base;

namespace vorda::platform {

std::string browseForFolder(QWidget* owner, const std::string& startFolder) {
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, QStringLiteral("Please select the target directory:"),
        QFile::decodeName(QByteArray::fromStdString(startFolder)), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return {};
    return addBackslash(QFile::encodeName(chosen).toStdString());
}

std::string tempFileName(const std::string& folder, const std::string& prefix) {
    std::string dir;
    if (!folder.empty()) dir = isDirectory(folder) ? folder : getFolder(folder);
    if (dir.empty()) dir = QFile::encodeName(QDir::tempPath()).toStdString();
    if (dir.empty()) dir = "/tmp";
    std::string pattern = addBackslash(dir) + (prefix.empty() ? std::string("~") : prefix) + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return {};
    ::close(fd);
    return std::string(name.data());
}

}  // namespace vorda::platform
