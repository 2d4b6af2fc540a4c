// An INI store with the semantics of the classic private-profile functions:
// sections and keys match without regard to ASCII letter case, blanks around "="
// are ignored, a missing file, section or key yields the default, values are read
// through a 200-character buffer (so at most 199 characters come back), and writing
// one key keeps every other line of the file as it was.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace vorda {

class IniFile {
public:
    // Maximum number of characters a read returns (the 200-character buffer less its terminator).
    static constexpr size_t kMaxValueChars = 199;
    // Files larger than this are treated as unreadable (defaults everywhere).
    static constexpr size_t kMaxFileBytes = 4 * 1024 * 1024;

    explicit IniFile(std::string path);

    const std::string& Path() const { return path_; }

    // Reads a key; def when the file, section or key is missing. Cut to kMaxValueChars characters.
    std::string Read(const std::string& section, const std::string& key, const std::string& def) const;
    // Writes a key, creating file and section as needed. The file is replaced atomically
    // (temporary file in the same folder, flushed, renamed). Returns false when writing failed.
    bool Write(const std::string& section, const std::string& key, const std::string& value);

    // Re-reads the file from disk (reads use a cached copy that Write keeps current).
    void Reload();

    // Groups many writes into one replacement of the file: between BeginUpdate and the matching
    // EndUpdate, Write only changes the cached copy; EndUpdate writes the file once and returns
    // false when that failed (or when a write in between failed). Calls may nest.
    void BeginUpdate();
    bool EndUpdate();

private:
    enum class State { Missing, Ok, Garbage, Unreadable };
    struct Section {
        size_t header;                     // line of "[name]"
        size_t end;                        // one past the section's last line
        std::unordered_map<std::string, size_t> keys;  // lower-case key -> line (first occurrence)
    };

    void EnsureLoaded() const;
    void LoadFromDisk() const;
    void BuildIndex() const;
    const Section* FindSection(const std::string& lowerName) const;
    bool ApplyWrite(const std::string& section, const std::string& key, const std::string& value);
    bool Flush();

    std::string path_;
    mutable bool loaded_ = false;
    mutable std::vector<std::string> lines_;  // lines without their line ends
    mutable std::vector<std::string> ends_;   // the line end of each line ("\r\n", "\n" or "" for the last)
    mutable std::string bom_;                 // a UTF-8 byte-order mark the file starts with
    mutable std::string newline_ = "\n";      // line end for added lines: the file's own
    mutable State state_ = State::Missing;
    mutable std::unordered_map<std::string, Section> sections_;  // lower-case name (first occurrence)
    int updateDepth_ = 0;
    bool updateFailed_ = false;
    bool dirty_ = false;
};

}  // namespace vorda
