// SPDX-License-Identifier: GPL-2.0-or-later

#include "base/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/FileDescriptor.h"
#include "base/FileOps.h"
#include "base/Text.h"

namespace vorda::base {

namespace {

// Blanks around INI names and values, a carriage return of Windows line ends included.
constexpr std::string_view kLineBlanks = " \t\r\v\f";
constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// A section header's name (without brackets and blanks); false when the line is none.
bool parseSectionHeader(std::string_view trimmed, std::string_view* name) {
    if (trimmed.empty() || trimmed.front() != '[') return false;
    const size_t close = trimmed.rfind(']');
    if (close == std::string_view::npos || close == 0) return false;
    *name = trimView(trimmed.substr(1, close - 1), kLineBlanks);
    return true;
}

// A key line's key and raw value; false for blank lines, comments and lines without "=".
bool parseKeyLine(std::string_view trimmed, std::string_view* key, std::string_view* value) {
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return false;
    const size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos) return false;
    *key = trimView(trimmed.substr(0, eq), kLineBlanks);
    *value = trimView(trimmed.substr(eq + 1), kLineBlanks);
    return !key->empty();
}

// Quotes around a whole value are dropped, as the classic profile functions do.
std::string_view stripQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Valid UTF-8 stays; every other byte is taken as the ISO-8859-1 character it would be there.
std::string repairedUtf8(std::string_view text) {
    if (isValidUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (size_t i = 0; i < text.size();) {
        const size_t n = utf8SequenceAt(text, i);
        if (n == 0) {
            appendUtf8(out, static_cast<unsigned char>(text[i]));
            ++i;
        } else {
            out.append(text, i, n);
            i += n;
        }
    }
    return out;
}

// The text that goes behind "=": a value that reading would change (surrounding blanks
// trimmed, surrounding quotes stripped) is wrapped in quotes so it comes back as written.
// Line breaks would split the line (and could plant other keys); they become spaces.
// NUL bytes would cut the line; they are dropped. Bytes that are not UTF-8 would make the file
// read as damaged; they are stored as the characters that reading would make of them.
std::string storedForm(const std::string& value) {
    std::string text;
    text.reserve(value.size() + 2);
    for (char c : repairedUtf8(value)) {
        if (c == '\0') continue;
        text += (c == '\r' || c == '\n') ? ' ' : c;
    }
    const bool quoted =
        text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front();
    if (!text.empty() && (isBlank(text.front()) || isBlank(text.back()) || quoted)) return '"' + text + '"';
    return text;
}

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Copies every byte of the file at source into fd; 0 or an errno value.
int copyInto(int fd, const std::string& source) {
    const UniqueFd in(openFile(source, O_RDONLY | O_NONBLOCK));
    if (!in.valid()) return errno != 0 ? errno : EIO;
    struct stat st {};
    if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return EINVAL;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno != 0 ? errno : EIO;
        if (n == 0) return 0;
        if (!writeAll(fd, std::string(buffer, static_cast<size_t>(n)))) return errno != 0 ? errno : EIO;
    }
}

// Replaces the file at path by what fill writes, creating its folder first when it is missing.
bool replaceFile(const std::string& path, const std::function<int(int fd)>& fill) {
    if (path.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(getFolder(path).empty() ? std::string("./") : getFolder(path), ec);
    return replaceFileAtomically(path, fill) == 0;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

void IniFile::reload() { loadFromDisk(); }

void IniFile::ensureLoaded() const {
    if (!loaded_) loadFromDisk();
}

void IniFile::loadFromDisk() const {
    loaded_ = true;
    lines_.clear();
    ends_.clear();
    bom_.clear();
    newline_ = "\n";
    sections_.clear();
    state_ = Condition::Missing;
    readOnly_ = false;
    problem_.clear();
    if (path_.empty()) return;

    // Non-blocking, so that a named pipe in the file's place cannot hang the program.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) return;
        state_ = Condition::Unreadable;
        problem_ = std::strerror(error);
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        state_ = Condition::Unreadable;
        problem_ = "it is not a regular file";
        return;
    }
    readOnly_ = (st.st_mode & S_IWUSR) == 0 || ::access(path_.c_str(), W_OK) != 0;
    std::string data;
    char buffer[65536];
    int readError = 0;
    while (data.size() <= kMaxFileBytes) {
        const size_t want = std::min(sizeof buffer, kMaxFileBytes + 1 - data.size());
        const ssize_t n = ::read(fd, buffer, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            readError = errno;
            break;
        }
        if (n == 0) break;
        data.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    if (readError != 0) {
        state_ = Condition::Unreadable;
        problem_ = std::strerror(readError);
        return;
    }

    // Past the limit only whole lines are read.
    const bool tooLarge = data.size() > kMaxFileBytes;
    if (tooLarge) {
        data.resize(kMaxFileBytes);
        const size_t lastEnd = data.rfind('\n');
        data.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
    }
    bool zeroBytes = false;
    bool notUtf8 = false;
    std::string_view rest(data);
    if (rest.substr(0, 3) == kUtf8Bom) {
        bom_ = kUtf8Bom;
        rest.remove_prefix(3);
    }
    bool newlineKnown = false;
    while (!rest.empty()) {
        const size_t lf = rest.find('\n');
        std::string_view line = rest.substr(0, lf);
        const bool crlf = lf != std::string_view::npos && !line.empty() && line.back() == '\r';
        if (crlf) line.remove_suffix(1);
        // A zero byte ends its own line, nothing more.
        if (const size_t zero = line.find('\0'); zero != std::string_view::npos) {
            line = line.substr(0, zero);
            zeroBytes = true;
        }
        if (!isValidUtf8(line)) {
            lines_.push_back(repairedUtf8(line));
            notUtf8 = true;
        } else {
            lines_.emplace_back(line);
        }
        if (lf == std::string_view::npos) {
            ends_.emplace_back();
            break;
        }
        ends_.emplace_back(crlf ? "\r\n" : "\n");
        if (!newlineKnown) {
            newline_ = ends_.back();
            newlineKnown = true;
        }
        rest.remove_prefix(lf + 1);
    }
    state_ = Condition::Ok;
    const auto addProblem = [this](const std::string& text) {
        if (!problem_.empty()) problem_ += ", ";
        problem_ += text;
    };
    if (zeroBytes) addProblem("it holds zero bytes");
    if (notUtf8) addProblem("it holds text that is not UTF-8");
    if (tooLarge) addProblem("it is larger than " + std::to_string(kMaxFileBytes / (1024 * 1024)) + " MB");
    if (!problem_.empty()) state_ = Condition::Damaged;
    buildIndex();
}

void IniFile::buildIndex() const {
    sections_.clear();
    Section* current = nullptr;  // null before any section and inside repeated sections
    Section* open = nullptr;     // the section whose end is still to be found
    for (size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view trimmed = trimView(lines_[i], kLineBlanks);
        std::string_view name;
        if (parseSectionHeader(trimmed, &name)) {
            if (open) open->end = i;
            open = nullptr;
            auto [it, inserted] = sections_.try_emplace(asciiLower(name), Section{i, lines_.size(), {}});
            current = inserted ? &it->second : nullptr;
            open = current;
            continue;
        }
        std::string_view key;
        std::string_view value;
        if (current && parseKeyLine(trimmed, &key, &value)) current->keys.try_emplace(asciiLower(key), i);
    }
    if (open) open->end = lines_.size();
}

const IniFile::Section* IniFile::findSection(const std::string& lowerName) const {
    const auto it = sections_.find(lowerName);
    return it == sections_.end() ? nullptr : &it->second;
}

IniFile::Condition IniFile::fileCondition() const {
    ensureLoaded();
    return state_;
}

bool IniFile::isReadOnly() const {
    ensureLoaded();
    return readOnly_;
}

std::string IniFile::problem() const {
    ensureLoaded();
    return problem_;
}

std::string IniFile::read(const std::string& section, const std::string& key, const std::string& def) const {
    ensureLoaded();
    // Names are looked up as writing stores them.
    const Section* found = findSection(asciiLower(repairedUtf8(trimView(section, kLineBlanks))));
    if (!found) return def;
    const auto keyIt = found->keys.find(asciiLower(repairedUtf8(trimView(key, kLineBlanks))));
    if (keyIt == found->keys.end()) return def;
    std::string_view name;
    std::string_view value;
    parseKeyLine(trimView(lines_[keyIt->second], kLineBlanks), &name, &value);
    return std::string(stripQuotes(value));
}

bool IniFile::applyWrite(const std::string& section, const std::string& key, const std::string& value) {
    if (state_ == Condition::Unreadable || readOnly_) return false;
    const std::string sectionName = repairedUtf8(trimView(section, kLineBlanks));
    const std::string keyName = repairedUtf8(trimView(key, kLineBlanks));
    if (keyName.empty()) return false;
    const std::string stored = storedForm(value);

    const auto insertLine = [this](size_t pos, std::string text) {
        if (pos == lines_.size() && !ends_.empty() && ends_.back().empty()) ends_.back() = newline_;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(text));
        ends_.insert(ends_.begin() + static_cast<std::ptrdiff_t>(pos), newline_);
    };

    if (const Section* found = findSection(asciiLower(sectionName))) {
        const auto keyIt = found->keys.find(asciiLower(keyName));
        if (keyIt != found->keys.end()) {
            // Keep the key as the file spells it, with its spacing; replace what follows "=".
            std::string& line = lines_[keyIt->second];
            line = line.substr(0, line.find('=') + 1) + stored;
        } else {
            size_t last = found->header;
            for (size_t i = found->header + 1; i < found->end; ++i)
                if (!trimView(lines_[i], kLineBlanks).empty()) last = i;
            insertLine(last + 1, keyName + "=" + stored);
        }
    } else {
        insertLine(lines_.size(), "[" + sectionName + "]");
        insertLine(lines_.size(), keyName + "=" + stored);
    }
    buildIndex();
    if (state_ == Condition::Missing) state_ = Condition::Ok;
    dirty_ = true;
    return true;
}

bool IniFile::flush() {
    dirty_ = false;
    std::string data = bom_;
    for (size_t i = 0; i < lines_.size(); ++i) {
        data += lines_[i];
        data += ends_[i];
    }
    // A file past the size limit would not read whole; refuse to make one. A damaged file is
    // kept before it is replaced by what could be read of it.
    if (data.size() > kMaxFileBytes || (state_ == Condition::Damaged && !keepBackup()) ||
        !replaceFile(path_, [&data](int fd) { return writeAll(fd, data) ? 0 : (errno != 0 ? errno : EIO); })) {
        loadFromDisk();
        return false;
    }
    state_ = Condition::Ok;
    problem_.clear();
    return true;
}

bool IniFile::keepBackup() const {
    return replaceFile(backupPath(), [this](int fd) { return copyInto(fd, path_); });
}

bool IniFile::write(const std::string& section, const std::string& key, const std::string& value) {
    if (updateDepth_ > 0) {
        ensureLoaded();
        if (!applyWrite(section, key, value)) updateFailed_ = true;
        return !updateFailed_;
    }
    // Start from the file as it is now, so that writes through other objects are kept.
    loadFromDisk();
    if (!applyWrite(section, key, value)) return false;
    return flush();
}

void IniFile::beginUpdate() {
    if (updateDepth_++ == 0) {
        loadFromDisk();
        updateFailed_ = false;
        dirty_ = false;
    }
}

bool IniFile::endUpdate() {
    if (updateDepth_ == 0) return true;
    if (--updateDepth_ > 0) return !updateFailed_;
    if (dirty_ && !flush()) updateFailed_ = true;
    return !updateFailed_;
}

}  // namespace vorda::base
