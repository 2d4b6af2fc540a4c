// SPDX-License-Identifier: GPL-2.0-or-later

// An INI store with the semantics of the classic private-profile functions:
// sections and keys match without regard to ASCII letter case, blanks around "="
// are ignored, a missing file, section or key yields the default, values come back
// whole, and writing one key keeps every other line of the file as it was.
// A damaged file (zero bytes, text that is not UTF-8, past the size limit) is read as far
// as it can be and is kept as "<name>.bak" before it is first replaced; a read-only file
// is read and never written.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace vorda::base {

class IniFile {
public:
    // Only this much of a file is read; the lines past it are lost (the file counts as damaged),
    // and no larger file is written.
    static constexpr size_t kMaxFileBytes = 4 * 1024 * 1024;

    // How the file read: not there, whole, only in part, or not at all (defaults everywhere).
    enum class Condition { Missing, Ok, Damaged, Unreadable };

    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }
    // Where a damaged file is kept before it is first replaced.
    std::string backupPath() const { return path_ + ".bak"; }

    Condition fileCondition() const;
    // The file exists but is not to be changed: its owner has no write permission, or this
    // process may not write it.
    bool isReadOnly() const;
    // What was wrong with a damaged or unreadable file ("" otherwise).
    std::string problem() const;

    // Reads a key; def when the file, section or key is missing. In a damaged file a line is read
    // up to its first zero byte, and bytes that are not UTF-8 are taken as ISO-8859-1.
    std::string read(const std::string& section, const std::string& key, const std::string& def) const;
    // Writes a key, creating file and section as needed. The file is replaced atomically
    // (temporary file in the same folder, flushed, renamed); a damaged file is first copied to
    // backupPath(). Returns false when writing failed, and always for a read-only or unreadable file.
    bool write(const std::string& section, const std::string& key, const std::string& value);

    // Re-reads the file from disk (reads use a cached copy that Write keeps current).
    void reload();

    // Groups many writes into one replacement of the file: between beginUpdate and the matching
    // endUpdate, Write only changes the cached copy; endUpdate writes the file once and returns
    // false when that failed (or when a write in between failed). Calls may nest.
    void beginUpdate();
    bool endUpdate();

private:
    struct Section {
        size_t header;                                 // line of "[name]"
        size_t end;                                    // one past the section's last line
        std::unordered_map<std::string, size_t> keys;  // lower-case key -> line (first occurrence)
    };

    void ensureLoaded() const;
    void loadFromDisk() const;
    void buildIndex() const;
    const Section* findSection(const std::string& lowerName) const;
    bool applyWrite(const std::string& section, const std::string& key, const std::string& value);
    bool flush();
    bool keepBackup() const;

    std::string path_;
    mutable bool loaded_ = false;
    mutable std::vector<std::string> lines_;  // lines without their line ends
    mutable std::vector<std::string> ends_;   // the line end of each line ("\r\n", "\n" or "" for the last)
    mutable std::string bom_;                 // a UTF-8 byte-order mark the file starts with
    mutable std::string newline_ = "\n";      // line end for added lines: the file's own
    mutable Condition state_ = Condition::Missing;
    mutable bool readOnly_ = false;
    mutable std::string problem_;
    mutable std::unordered_map<std::string, Section> sections_;  // lower-case name (first occurrence)
    int updateDepth_ = 0;
    bool updateFailed_ = false;
    bool dirty_ = false;
};

}  // namespace vorda::base
