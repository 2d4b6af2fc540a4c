// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/ListCommands.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <utility>

#include "base/FileOps.h"
#include "base/Text.h"

using namespace vorda::base;
using namespace vorda::tags;

namespace vorda::app {

namespace {

// Playlists larger than this are not read at all (no real playlist comes near it).
constexpr long long kMaxPlaylistBytes = 64LL * 1024 * 1024;

bool statPath(const std::string& path, struct stat& st) {
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    return ::stat(path.c_str(), &st) == 0;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return statPath(path, st) && S_ISREG(st.st_mode);
}

// Whole megabytes of a byte count, each division truncating (the running total of a scan).
long long truncatedMb(long long bytes) { return bytes / 1024 / 1024; }

// Whole megabytes of a byte count with the kilobytes rounded half to even first (the totals
// of the list). Totals add bytes and convert once, so small files count and nothing is lost
// to rounding per file.
long long roundedMb(long long bytes) {
    long long kb = bytes / 1024;
    const long long rest = bytes % 1024;
    if (rest > 512 || (rest == 512 && (kb % 2) != 0)) ++kb;
    return kb / 1024;
}

// A row a folder scan added, with the size the scan's stat call found (ascending rows).
struct ScannedRow {
    int row;
    long long size;
    std::string path;  // the row counts only while it still shows this file
};

// The megabytes of every existing file of the list: the rows of scanned with the sizes given
// (the scan has just asked for them), every other row asked of the file system.
long long totalMbOf(const FileList& list, const std::vector<ScannedRow>& scanned) {
    long long bytes = 0;
    size_t next = 0;
    for (int row = 1; row <= list.count(); ++row) {
        while (next < scanned.size() && scanned[next].row < row) ++next;
        if (next < scanned.size() && scanned[next].row == row && list.getFullPath(row) == scanned[next].path) {
            bytes += scanned[next].size;
            continue;
        }
        struct stat st {};
        if (!statPath(list.getFullPath(row), st)) continue;
        if (S_ISREG(st.st_mode)) bytes += static_cast<long long>(st.st_size);
    }
    return roundedMb(bytes);
}

std::string totalText(long long files, long long mb) {
    return "Total: " + std::to_string(files) + " files (" + std::to_string(mb) + " MB)";
}

// Seconds as a plain decimal number with up to 7 significant digits and no exponent.
std::string formatSeconds(double seconds) {
    if (!(seconds > 0) || !std::isfinite(seconds)) return "0";
    const int magnitude = static_cast<int>(std::floor(std::log10(seconds)));
    const int decimals = std::clamp(6 - magnitude, 0, 15);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, seconds);
    std::string text(buf);
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
    }
    return text;
}

// The leading number of a decimal text; false when there is none.
bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    value = std::strtod(begin, &end);
    return end != begin && std::isfinite(value);
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && asciiLower(text.substr(0, prefix.size())) == prefix;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes %XX escapes; a malformed escape is kept as it stands.
std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int hi = hexDigit(text[i + 1]);
            const int lo = hexDigit(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// An absolute path without "." and ".." parts and without doubled "/", when that spelling names
// the same file as the given one (a ".." behind a symbolic link may lead elsewhere; such a path
// is kept as it is).
std::string cleanPath(const std::string& path) {
    if (path.empty() || path.front() != '/') return path;
    std::vector<std::string_view> parts;
    const std::string_view all(path);
    for (size_t pos = 1; pos <= all.size();) {
        size_t end = all.find('/', pos);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view part = all.substr(pos, end - pos);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = end + 1;
    }
    std::string clean;
    for (const std::string_view part : parts) {
        clean += '/';
        clean += part;
    }
    if (clean.empty() || path.back() == '/') clean += '/';
    if (clean == path) return path;
    struct stat given {};
    struct stat cleaned {};
    const bool givenExists = ::stat(path.c_str(), &given) == 0;
    const bool cleanedExists = ::stat(clean.c_str(), &cleaned) == 0;
    if (givenExists != cleanedExists) return path;
    if (givenExists && (given.st_dev != cleaned.st_dev || given.st_ino != cleaned.st_ino)) return path;
    return clean;
}

// The path a playlist entry names, "" when it names nothing on this system.
std::string resolvePlaylistEntry(const std::string& entry, const std::string& playlistFolder) {
    if (entry.empty() || entry.find('\0') != std::string::npos) return {};
    if (startsWithNoCase(entry, "file://")) {
        std::string_view rest(entry);
        rest.remove_prefix(7);
        if (startsWithNoCase(rest, "localhost/")) rest.remove_prefix(9);
        if (rest.empty() || rest.front() != '/') return {};  // another host
        std::string path = percentDecode(rest);
        if (path.find('\0') != std::string::npos) return {};
        return cleanPath(path);
    }
    if (entry.size() >= 2 && entry[0] == '\\' && entry[1] == '\\') return {};  // a network path
    std::string path = entry;
    std::replace(path.begin(), path.end(), '\\', '/');
    const unsigned char first = static_cast<unsigned char>(path[0]);
    if (path.size() >= 2 && path[1] == ':' && ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z')))
        return {};  // a drive letter
    return cleanPath(path[0] == '/' ? path : playlistFolder + path);
}

bool isPlaylistType(const std::string& lowerExt) {
    return lowerExt == "m3u" || lowerExt == "pls" || lowerExt == "m3u8";
}

struct DirEntry {
    std::string name;
    unsigned char type;
};

// The entries of a folder without "." and "..", sorted by name; false when it cannot be read.
bool readFolder(const std::string& folder, std::vector<DirEntry>& entries) {
    entries.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return false;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name(e->d_name);
        if (name == "." || name == "..") continue;
        entries.push_back({std::string(name), e->d_type});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return true;
}

}  // namespace

ListCommands::ListCommands(FileList& list, UserInterface& ui, Settings& settings)
    : list_(list), ui_(ui), settings_(settings) {}

bool ListCommands::addToFileList(const std::string& name, const std::string& folder) {
    if (name.empty()) return false;
    const std::string path = (folder.empty() ? folder : addBackslash(folder)) + name;
    // Only regular files: a folder, a device or a FIFO named in a playlist is no file to list
    // (and opening a FIFO would block).
    if (!isRegularFile(path)) return false;
    return addCheckedFile(name, path);
}

bool ListCommands::addCheckedFile(const std::string& name, const std::string& path) {
    AudioFile file;
    file.setOptions(tagOptions(settings_));
    if (!file.readFile(path, settings_.autoReadTags)) return false;
    const int row = list_.addRow(name);
    updateListItem(row, file);
    return true;
}

void ListCommands::scanFolder(const std::string& folder, bool subFolders) {
    const auto started = std::chrono::steady_clock::now();

    std::string root = folder;
    while (root.size() >= 2 && root.ends_with("//")) root.pop_back();
    root = addBackslash(root);
    struct stat st {};
    if (!statPath(root, st) || !S_ISDIR(st.st_mode)) return;

    // Folders are known by their real location, so a link back into the walk is not followed.
    std::set<std::pair<dev_t, ino_t>> visited{{st.st_dev, st.st_ino}};
    std::vector<std::string> folders{root};
    std::vector<DirEntry> entries;
    long long runningBytes = 0;
    // The rows this scan added and the sizes its stat calls gave, for the totals at the end.
    std::vector<ScannedRow> scanned;

    for (size_t i = 0; i < folders.size() && !bStopScan; ++i) {
        const std::string current = folders[i];
        if (!readFolder(current, entries)) continue;  // unreadable: skipped silently

        if (subFolders) {
            for (const DirEntry& e : entries) {
                if (e.type != DT_DIR && e.type != DT_LNK && e.type != DT_UNKNOWN) continue;
                struct stat sub {};
                if (!statPath(current + e.name, sub) || !S_ISDIR(sub.st_mode)) continue;
                if (!visited.insert({sub.st_dev, sub.st_ino}).second) continue;
                folders.push_back(current + e.name + "/");
            }
        }

        // Progress: the folders walked so far (subfolders found later make the total grow),
        // in thousandths of a folder.
        const long long perFolder = 1000;
        const long long total = static_cast<long long>(folders.size()) * perFolder;
        for (size_t k = 0; k < entries.size() && !bStopScan; ++k) {
            const DirEntry& e = entries[k];
            if (e.type == DT_DIR) continue;
            const std::string ext = lowerCase(getExtension(e.name));
            const std::string* matched = nullptr;
            for (const std::string& type : settings_.fileTypes) {
                if (type == "*" || type == ext) {
                    matched = &type;
                    break;
                }
            }
            if (!matched) continue;
            struct stat fst {};
            const std::string path = current + e.name;
            if (!statPath(path, fst) || !S_ISREG(fst.st_mode)) continue;

            if (isPlaylistType(*matched)) {
                importPlaylist(path);
            } else if (addCheckedFile(e.name, path)) {
                ++nrTotalFiles;
                scanned.push_back({list_.count(), static_cast<long long>(fst.st_size), path});
            }
            runningBytes += static_cast<long long>(fst.st_size);
            ui_.setStatus(1, totalText(nrTotalFiles, truncatedMb(runningBytes)));
            ui_.setProgress(static_cast<long long>(i) * perFolder +
                                static_cast<long long>(k) * perFolder / static_cast<long long>(entries.size()),
                            total);
        }
    }
    ui_.setProgress(0, 0);

    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    lastScanText_ = "Scanned " + std::to_string(nrTotalFiles) + " files in " + formatSeconds(elapsed) + " seconds.";
    ui_.setStatus(3, lastScanText_);
    // The totals of every existing file, without asking again for the sizes just read.
    nrTotalFiles = list_.count();
    ui_.setStatus(1, totalText(nrTotalFiles, totalMbOf(list_, scanned)));
}

void ListCommands::importPlaylist(const std::string& path) {
    if (trimView(path).empty()) return;
    const std::string ext = lowerCase(getExtension(path));
    const bool pls = ext == "pls";
    if (!pls && ext != "m3u" && ext != "m3u8") return;

    struct stat st {};
    if (!statPath(path, st) || !S_ISREG(st.st_mode) || st.st_size > kMaxPlaylistBytes) return;
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    std::string raw(static_cast<size_t>(st.st_size), '\0');
    in.read(raw.data(), static_cast<std::streamsize>(raw.size()));
    raw.resize(static_cast<size_t>(in.gcount()));

    // Line ends: CR LF and lone CR both become LF.
    std::string text;
    text.reserve(raw.size() + 1);
    size_t start = raw.starts_with("\xEF\xBB\xBF") ? 3 : 0;  // a UTF-8 byte-order mark
    for (size_t i = start; i < raw.size(); ++i) {
        if (raw[i] == '\r') {
            text += '\n';
            if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
        } else {
            text += raw[i];
        }
    }
    raw.clear();
    raw.shrink_to_fit();
    text = trim(text);
    if (text.empty()) return;
    if (text.back() != '\n') text += '\n';

    const std::string folder = getFolder(path);
    const std::string_view all(text);
    size_t pos = 0;
    while (pos < all.size()) {
        const size_t end = all.find('\n', pos);
        const std::string_view line = all.substr(pos, end - pos);
        pos = end + 1;
        if (bStopScan) break;
        if (trimView(line).empty()) continue;

        std::string entry;
        if (pls) {
            if (line.size() < 4 || asciiLower(line.substr(0, 4)) != "file") continue;
            const size_t eq = line.find('=', 3);
            if (eq == std::string_view::npos) continue;
            entry = std::string(line.substr(eq + 1));
        } else {
            if (line.front() == '#') continue;
            entry = std::string(line);
        }

        const std::string full = resolvePlaylistEntry(entry, folder);
        const size_t slash = full.rfind('/');
        const std::string name = slash == std::string::npos ? full : full.substr(slash + 1);
        if (name.empty()) continue;
        addToFileList(name, slash == std::string::npos ? std::string() : full.substr(0, slash + 1));
    }
}

void ListCommands::updateListItem(int row, const AudioFile& constFile) {
    if (row < 1 || row > list_.count() || constFile.fullPath().empty()) return;
    // The handler interfaces read through non-const members; the file object itself is not changed.
    AudioFile& file = const_cast<AudioFile&>(constFile);

    std::array<std::string, kColumnCount> cells = list_.at(row).cells;
    cells[ListColumn::Filename - 1] = file.name();
    cells[ListColumn::Path - 1] = file.path();
    cells[ListColumn::Size - 1] = trim(formatGrouped2(static_cast<double>(file.fileSize()) / 1024.0 / 1024.0) + " MB");

    if (settings_.autoReadTags) {
        TagHandler& tag = file.tag();
        const AudioInfo& audio = file.audio();
        cells[ListColumn::Artist - 1] = tag.getValue(ValueKey::Artist);
        cells[ListColumn::Album - 1] = tag.getValue(ValueKey::Album);
        cells[ListColumn::Title - 1] = tag.getValue(ValueKey::Title);
        std::string track = tag.getValue(ValueKey::Track);
        if (settings_.padTrackNumber && settings_.trackDigits >= 1 && !track.empty())
            track = padTrackNumber(track, settings_.trackDigits);
        cells[ListColumn::Track - 1] = track;
        cells[ListColumn::Year - 1] = tag.getValue(ValueKey::Year);
        cells[ListColumn::Genre - 1] = tag.getValue(ValueKey::Genre);
        cells[ListColumn::Comment - 1] = tag.getValue(ValueKey::Comment);

        // An audio value the reader does not give (the null reader) leaves its cell empty.
        double number = 0;
        cells[ListColumn::Bitrate - 1] = parseNumber(audio.getInfo(AudioKey::BitRate), number)
                                             ? std::to_string(static_cast<long long>(number / 1000.0))
                                             : std::string();
        if (parseNumber(audio.getInfo(AudioKey::SampleRate), number)) {
            const long long tenths = std::llround(number / 100.0);
            const long long whole = tenths / 10;
            const long long fraction = std::llabs(tenths % 10);
            cells[ListColumn::Samplerate - 1] =
                (tenths < 0 && whole == 0 ? "-" : "") + std::to_string(whole) + "." + std::to_string(fraction);
        } else {
            cells[ListColumn::Samplerate - 1].clear();
        }
        cells[ListColumn::Duration - 1] = parseNumber(audio.getInfo(AudioKey::Duration), number)
                                              ? formatDuration(static_cast<long long>(number))
                                              : std::string();

        std::string tags;
        if (tag.hasTag(TagKind::Id3v1)) tags = "ID3v1";
        if (tag.hasTag(TagKind::Lyrics3)) tags += "+Lyrics";
        if (tag.hasTag(TagKind::Id3v2)) tags = tags.empty() ? std::string("ID3v2") : tags + " & ID3v2";
        cells[ListColumn::Tags - 1] = tags;
    }
    list_.setCells(row, cells);
}

long long ListCommands::totalMb() const { return totalMbOf(list_, {}); }

void ListCommands::updateTotals() {
    nrTotalFiles = list_.count();
    ui_.setStatus(1, totalText(nrTotalFiles, totalMb()));
}

void ListCommands::dropPaths(const std::vector<std::string>& paths, bool scanSubFolders) {
    for (const std::string& given : paths) {
        if (bStopScan) break;
        // Names are used as they are: a Linux name may begin or end with a blank.
        if (trimView(given).empty()) continue;
        std::string path = given;
        if (path.front() != '/') {
            char cwd[4096];
            if (::getcwd(cwd, sizeof cwd)) path = addBackslash(cwd) + path;
        }
        path = cleanPath(path);
        if (isDirectory(path)) {
            scanFolder(addBackslash(path), scanSubFolders);
        } else if (isPlaylistType(lowerCase(getExtension(path)))) {
            importPlaylist(path);
        } else {
            addToFileList(getFileName(path), getFolder(path));
        }
    }
    updateTotals();
}

void ListCommands::addChosenFiles(const std::vector<std::string>& fullPaths, bool playlistFilter) {
    std::vector<std::string> chosen;
    for (const std::string& p : fullPaths)
        if (!trimView(p).empty()) chosen.push_back(p);
    if (chosen.empty()) return;
    settings_.lastDir = removeBackslash(getFolder(chosen.front()));
    for (const std::string& path : chosen) {
        if (playlistFilter)
            importPlaylist(path);
        else
            addToFileList(getFileName(path), getFolder(path));
    }
    updateTotals();
}

bool ListCommands::showFile(int row) {
    const std::string path = list_.getFullPath(row);
    ui_.clearPanes();
    filCurrent_.setOptions(tagOptions(settings_));
    if (path.empty() || !isRegularFile(path) || !filCurrent_.readFile(path, settings_.readTags)) {
        filCurrent_.reset();
        if (row >= 1 && row <= list_.count()) list_.removeRow(row);
        updateTotals();
        ui_.setOldName("The File Does Not Exist!");
        return false;
    }
    if (fileShown) fileShown(filCurrent_);
    ui_.setStatus(2, "Filesize: " + std::to_string(filCurrent_.fileSize() / 1024) + " kB");

    std::string oldName = filCurrent_.name();
    if (oldName.empty()) oldName = getFileName(path);
    std::string newName = newNameBuilder ? newNameBuilder(filCurrent_) : oldName;
    if (newName.empty()) newName = oldName;
    ui_.setOldName(oldName);
    ui_.setNewName(newName);
    return true;
}

void ListCommands::mouseDown(bool shiftOrCtrl) { bMultiChange = shiftOrCtrl; }

void ListCommands::mouseDrag(double deltaYTwips) {
    if (bMultiChange) return;
    if (std::fabs(deltaYTwips) >= 45) {
        bMultiChange = true;
        ui_.clearPanes();
    }
}

bool ListCommands::rowClicked(int row) {
    if (nrTotalFiles == 0 || row < 1 || row > list_.count()) return false;
    if (!bMultiChange && list_.count() >= 1) {
        if (list_.selected(row - 1) || list_.selected(row + 1)) bMultiChange = true;
    }
    if (!bMultiChange) return showFile(row);
    ui_.clearPanes();
    if (!filCurrent_.fullPath().empty()) filCurrent_.reset();
    return false;
}

void ListCommands::selectAllFiles() {
    list_.selectAll();
    bMultiChange = true;
    ui_.clearPanes();
}

void ListCommands::invertSelection() {
    list_.invertSelection();
    bMultiChange = true;
    ui_.clearPanes();
}

void ListCommands::clearFileList() {
    list_.clear();
    nrTotalFiles = 0;
    ui_.setStatus(1, "Total: 0 files (0 MB)");
    ui_.clearPanes();
}

void ListCommands::removeSelectedFromList() {
    list_.removeRowsIf([](int, const FileList::Row& r) { return r.selected; });
    ui_.clearPanes();
    updateTotals();
    filCurrent_.reset();
}

void ListCommands::deleteSelectedFiles() {
    if (list_.count() == 0) return;
    const std::string question = settings_.recycleFiles
                                     ? "Are you sure you want to move ALL selected file(s) to recycle bin?"
                                     : "Are you sure you want to delete ALL selected file(s) from your harddrive?";
    if (ui_.ask(question, MessageButtons::YesNo, MessageIcon::Question) != MessageAnswer::Yes) return;

    // Walk from the end; only rows whose file is really gone are removed afterwards.
    std::vector<char> deleted(static_cast<size_t>(list_.count()) + 1, 0);
    int failed = 0;
    std::string firstError;
    for (int row = list_.count(); row >= 1; --row) {
        if (!list_.selected(row)) continue;
        const std::string path = list_.getFullPath(row);
        struct stat st {};
        // A listed name that has become a folder is never deleted with everything in it.
        const int status = (statPath(path, st) && S_ISDIR(st.st_mode))
                               ? EISDIR
                               : shellFileOperation(path, "", FileOperation::Delete, settings_.recycleFiles);
        if (status == 0) {
            deleted[static_cast<size_t>(row)] = 1;
        } else if (failed++ == 0) {
            firstError = path + ": Error " + std::to_string(status) + " " + errorText(status);
        }
        ui_.repaint();
    }
    list_.removeRowsIf([&deleted](int row, const FileList::Row&) { return deleted[static_cast<size_t>(row)] != 0; });
    ui_.clearPanes();
    updateTotals();
    filCurrent_.reset();
    if (failed > 0) {
        ui_.ask("Delete failed for " + std::to_string(failed) + (failed == 1 ? " file." : " files.") +
                    "\r\n\r\nFirst error: " + firstError,
                MessageButtons::Ok, MessageIcon::Error);
    }
}

void ListCommands::removeNonexistentFiles() {
    list_.removeRowsIf([](int, const FileList::Row& r) {
        return !pathExists(r.cells[ListColumn::Path - 1] + r.cells[ListColumn::Filename - 1]);
    });
    updateTotals();
}

}  // namespace vorda::app
