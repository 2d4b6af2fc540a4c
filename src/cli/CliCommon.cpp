// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CliCommon.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "app/Settings.h"
#include "base/IniFile.h"
#include "base/Text.h"
#include "tags/TagHandler.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace vorda::cli {

std::string executableFolder() {
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return {};
    buffer.resize(static_cast<size_t>(n));
    return getFolder(buffer);
}

std::string absolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::string cwd(4096, '\0');
    if (!::getcwd(cwd.data(), cwd.size())) return path;
    cwd.resize(cwd.find('\0'));
    return addBackslash(cwd) + path;
}

std::optional<TagKind> tagKindOf(const std::string& name) {
    if (name == "tkAll" || name == "0") return TagKind::All;
    if (name == "tkID3v1" || name == "1") return TagKind::Id3v1;
    if (name == "tkID3v2" || name == "2") return TagKind::Id3v2;
    if (name == "tkLyrics3" || name == "4") return TagKind::Lyrics3;
    return std::nullopt;
}

std::string takeTagKind(const std::string& value, std::vector<TagKind>& kinds) {
    const std::optional<TagKind> kind = tagKindOf(value);
    if (!kind) return "unknown tag kind " + value;
    kinds.push_back(*kind);
    return {};
}

void printNoTagFor(const std::string& file, const std::string& keys, bool unchanged) {
    printError(file + (unchanged ? ": left unchanged: " : ": not written: ") + keys +
               " found no tag to hold it; give --add KIND, or choose in the settings' tag options "
               "(UseID3v1, UseID3v2, UseLyrics3) to always use a tag");
}

bool loadSettings(const std::optional<std::string>& settingsFile) {
    std::string path;
    if (settingsFile) {
        path = *settingsFile;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            printError("cannot read settings file " + toDisplayUtf8(path));
            return false;
        }
    } else {
        path = defaultSettingsPath(removeBackslash(executableFolder()));
    }
    // Reading only: IniFile touches the disk when written to, which never happens here.
    const IniFile ini(path);
    settings().load(ini);
    if (const std::string notice = settingsFileNotice(ini, false); !notice.empty()) printError(notice);
    return true;
}

std::string lineText(const std::string& text) { return base::escapeControlChars(text); }

void printError(const std::string& message) { std::fprintf(stderr, "vorda-cli: %s\n", lineText(message).c_str()); }

void printFileError(const std::string& file, int error, const std::string& text) {
    printError(file + ": error " + std::to_string(error) + ": " + text);
}

}  // namespace vorda::cli
