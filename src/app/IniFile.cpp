#include "app/IniFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/Routines.h"

namespace vorda {

namespace {

constexpr const char* kBlanks = " \t\r\v\f";
constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view TrimBlanks(std::string_view text)
{
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// A section header's name (without brackets and blanks); false when the line is none.
bool ParseSectionHeader(std::string_view trimmed, std::string_view* name)
{
    if (trimmed.empty() || trimmed.front() != '[') return false;
    const size_t close = trimmed.rfind(']');
    if (close == std::string_view::npos || close == 0) return false;
    *name = TrimBlanks(trimmed.substr(1, close - 1));
    return true;
}

// A key line's key and raw value; false for blank lines, comments and lines without "=".
bool ParseKeyLine(std::string_view trimmed, std::string_view* key, std::string_view* value)
{
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return false;
    const size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos) return false;
    *key = TrimBlanks(trimmed.substr(0, eq));
    *value = TrimBlanks(trimmed.substr(eq + 1));
    return !key->empty();
}

// Quotes around a whole value are dropped, as the classic profile functions do.
std::string_view StripQuotes(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The text that goes behind "=": a value that reading would change (surrounding blanks
// trimmed, surrounding quotes stripped) is wrapped in quotes so it comes back as written.
// Line breaks would split the line (and could plant other keys); they become spaces.
// NUL bytes would make the whole file unreadable; they are dropped.
std::string StoredForm(const std::string& value)
{
    std::string text;
    text.reserve(value.size() + 2);
    for (char c : value) {
        if (c == '\0') continue;
        text += (c == '\r' || c == '\n') ? ' ' : c;
    }
    const bool quoted = text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front();
    if (!text.empty() && (IsBlank(text.front()) || IsBlank(text.back()) || quoted)) return '"' + text + '"';
    return text;
}

bool WriteAll(int fd, const std::string& data)
{
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

// Replaces path by data in one step: a temporary file in the same folder, flushed to disk and
// renamed over the original with the original's permissions. The original is never missing or
// half-written, and a failure leaves it as it was. A symbolic link is followed, so the file it
// names is replaced and the link stays.
bool WriteFileAtomicallyLocal(const std::string& path, const std::string& data)
{
    if (path.empty()) return false;
    std::string target = path;
    struct stat linkInfo {};
    if (::lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }

    std::string folder = GetFolder(target);
    if (folder.empty()) folder = "./";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    struct stat original {};
    const bool exists = ::stat(target.c_str(), &original) == 0;
    if (exists && !S_ISREG(original.st_mode)) return false;
    mode_t mode;
    if (exists) {
        mode = original.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    std::string tempName = folder + "." + GetFileName(target) + ".XXXXXX";
    const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, data);
    if (ok && exists && ::fchown(fd, original.st_uid, original.st_gid) != 0) {
        // Only a privileged process can hand the file back to another owner; the content matters more.
    }
    ok = ok && ::fchmod(fd, mode) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tempName.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tempName.c_str());
        return false;
    }
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

void IniFile::Reload()
{
    LoadFromDisk();
}

void IniFile::EnsureLoaded() const
{
    if (!loaded_) LoadFromDisk();
}

void IniFile::LoadFromDisk() const
{
    loaded_ = true;
    lines_.clear();
    ends_.clear();
    bom_.clear();
    newline_ = "\n";
    sections_.clear();
    state_ = State::Missing;
    if (path_.empty()) return;

    // Non-blocking, so that a named pipe in the file's place cannot hang the program.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        state_ = (errno == ENOENT || errno == ENOTDIR) ? State::Missing : State::Unreadable;
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<unsigned long long>(st.st_size) > kMaxFileBytes) {
        ::close(fd);
        state_ = State::Unreadable;
        return;
    }
    std::string data;
    char buffer[65536];
    bool failed = false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            failed = true;
            break;
        }
        if (n == 0) break;
        data.append(buffer, static_cast<size_t>(n));
        if (data.size() > kMaxFileBytes) {
            failed = true;
            break;
        }
    }
    ::close(fd);
    if (failed) {
        state_ = State::Unreadable;
        return;
    }

    state_ = data.find('\0') == std::string::npos ? State::Ok : State::Garbage;
    std::string_view rest(data);
    if (rest.substr(0, 3) == kUtf8Bom) {
        bom_ = kUtf8Bom;
        rest.remove_prefix(3);
    }
    bool newlineKnown = false;
    while (!rest.empty()) {
        const size_t lf = rest.find('\n');
        if (lf == std::string_view::npos) {
            lines_.emplace_back(rest);
            ends_.emplace_back();
            break;
        }
        std::string_view line = rest.substr(0, lf);
        const bool crlf = !line.empty() && line.back() == '\r';
        if (crlf) line.remove_suffix(1);
        lines_.emplace_back(line);
        ends_.emplace_back(crlf ? "\r\n" : "\n");
        if (!newlineKnown) {
            newline_ = ends_.back();
            newlineKnown = true;
        }
        rest.remove_prefix(lf + 1);
    }
    BuildIndex();
}

void IniFile::BuildIndex() const
{
    sections_.clear();
    Section* current = nullptr;  // null before any section and inside repeated sections
    Section* open = nullptr;     // the section whose end is still to be found
    for (size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view trimmed = TrimBlanks(lines_[i]);
        std::string_view name;
        if (ParseSectionHeader(trimmed, &name)) {
            if (open) open->end = i;
            open = nullptr;
            auto [it, inserted] = sections_.try_emplace(AsciiLower(name), Section{i, lines_.size(), {}});
            current = inserted ? &it->second : nullptr;
            open = current;
            continue;
        }
        std::string_view key;
        std::string_view value;
        if (current && ParseKeyLine(trimmed, &key, &value)) current->keys.try_emplace(AsciiLower(key), i);
    }
    if (open) open->end = lines_.size();
}

const IniFile::Section* IniFile::FindSection(const std::string& lowerName) const
{
    const auto it = sections_.find(lowerName);
    return it == sections_.end() ? nullptr : &it->second;
}

std::string IniFile::Read(const std::string& section, const std::string& key, const std::string& def) const
{
    EnsureLoaded();
    if (state_ != State::Ok) return def;
    const Section* found = FindSection(AsciiLower(TrimBlanks(section)));
    if (!found) return def;
    const auto keyIt = found->keys.find(AsciiLower(TrimBlanks(key)));
    if (keyIt == found->keys.end()) return def;
    std::string_view name;
    std::string_view value;
    ParseKeyLine(TrimBlanks(lines_[keyIt->second]), &name, &value);
    return Utf8Left(StripQuotes(value), kMaxValueChars);
}

bool IniFile::ApplyWrite(const std::string& section, const std::string& key, const std::string& value)
{
    if (state_ == State::Unreadable) return false;
    const std::string sectionName(TrimBlanks(section));
    const std::string keyName(TrimBlanks(key));
    if (keyName.empty()) return false;
    const std::string stored = StoredForm(value);

    const auto insertLine = [this](size_t pos, std::string text) {
        if (pos == lines_.size() && !ends_.empty() && ends_.back().empty()) ends_.back() = newline_;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(text));
        ends_.insert(ends_.begin() + static_cast<std::ptrdiff_t>(pos), newline_);
    };

    if (const Section* found = FindSection(AsciiLower(sectionName))) {
        const auto keyIt = found->keys.find(AsciiLower(keyName));
        if (keyIt != found->keys.end()) {
            // Keep the key as the file spells it, with its spacing; replace what follows "=".
            std::string& line = lines_[keyIt->second];
            line = line.substr(0, line.find('=') + 1) + stored;
        } else {
            size_t last = found->header;
            for (size_t i = found->header + 1; i < found->end; ++i)
                if (!TrimBlanks(lines_[i]).empty()) last = i;
            insertLine(last + 1, keyName + "=" + stored);
        }
    } else {
        insertLine(lines_.size(), "[" + sectionName + "]");
        insertLine(lines_.size(), keyName + "=" + stored);
    }
    BuildIndex();
    if (state_ == State::Missing) state_ = State::Ok;
    dirty_ = true;
    return true;
}

bool IniFile::Flush()
{
    dirty_ = false;
    std::string data = bom_;
    for (size_t i = 0; i < lines_.size(); ++i) {
        data += lines_[i];
        data += ends_[i];
    }
    // A file past the size limit would read as missing; refuse to make one.
    if (data.size() > kMaxFileBytes || !WriteFileAtomicallyLocal(path_, data)) {
        LoadFromDisk();
        return false;
    }
    return true;
}

bool IniFile::Write(const std::string& section, const std::string& key, const std::string& value)
{
    if (updateDepth_ > 0) {
        EnsureLoaded();
        if (!ApplyWrite(section, key, value)) updateFailed_ = true;
        return !updateFailed_;
    }
    // Start from the file as it is now, so that writes through other objects are kept.
    LoadFromDisk();
    if (!ApplyWrite(section, key, value)) return false;
    return Flush();
}

void IniFile::BeginUpdate()
{
    if (updateDepth_++ == 0) {
        LoadFromDisk();
        updateFailed_ = false;
        dirty_ = false;
    }
}

bool IniFile::EndUpdate()
{
    if (updateDepth_ == 0) return true;
    if (--updateDepth_ > 0) return !updateFailed_;
    if (dirty_ && !Flush()) updateFailed_ = true;
    return !updateFailed_;
}

}  // namespace vorda
