// SPDX-License-Identifier: GPL-2.0-or-later

// Find and replace in the tags of the files of a list: stepping from match to match, selecting
// the matching files, replacing the current match or every match, and the Trim and Add edits of
// the checked fields. The engine keeps where the stepping goes on between clicks.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "find/SearchFields.h"
#include "find/SearchSource.h"
#include "find/TextEdits.h"
#include "find/TextMatcher.h"

namespace vorda::find {

enum class FileScope : int { AllFiles = 0, SelectedFiles = 1 };

// The dialog's settings that decide what is searched. Changing any of them starts the search
// again at the first file.
struct SearchOptions {
    std::string findText;
    bool matchCase = false;
    FileScope scope = FileScope::AllFiles;
    std::array<bool, kSearchTagCount> tags{};
    std::array<bool, kSearchFieldCount> fields{};

    bool tag(SearchTag t) const { return tags[static_cast<size_t>(t)]; }
    bool field(SearchField f) const { return fields[static_cast<size_t>(f)]; }
    void setTag(SearchTag t, bool on) { tags[static_cast<size_t>(t)] = on; }
    void setField(SearchField f, bool on) { fields[static_cast<size_t>(f)] = on; }
    bool operator==(const SearchOptions&) const = default;
};

// One place where the text was found: the value as it was read and the matched bytes in it.
struct Match {
    int row = 0;
    std::string file;  // the row's file when the match was found
    SearchTag tag = SearchTag::Id3v1;
    SearchField field = SearchField::Artist;
    tags::ValueKey key = tags::ValueKey::Title;
    std::string value;
    TextSpan span;
};

enum class FindOutcome { Found, NotFound, NothingToFind };

// The writes of one run: each failure is counted, the first one is kept for the message.
struct WriteReport {
    int written = 0;
    int failed = 0;
    std::string firstFailedFile;
    std::error_code firstError;

    void note(const std::string& file, std::error_code result);
    // "Tags could not be saved to N of M files." with the first error; empty when none failed.
    std::string message() const;
};

struct ReplaceResult {
    bool replaced = false;
    WriteReport writes;
    // The stepping on to the next match (currentMatch) after the replacement.
    FindOutcome next = FindOutcome::NotFound;
};

struct BatchResult {
    // Found when the text was found (Trim and Add: when a value changed).
    FindOutcome outcome = FindOutcome::NotFound;
    // The matching rows, or the rows whose file changed.
    std::vector<int> rows;
    int fieldsChanged = 0;
    int replacements = 0;
    // The values changed in the files that were written.
    int fieldsWritten = 0;
    WriteReport writes;
};

class FindReplace {
public:
    explicit FindReplace(SearchSource& source);

    // Takes the dialog's settings; different ones start the search again.
    void setOptions(SearchOptions options);
    const SearchOptions& options() const { return options_; }
    // Starts the search again at the first file (the dialog opened, an option changed).
    void reset();

    // Steps to the next match after the current one. NotFound after the last match: the next
    // call starts again at the first file. The files in scope are the ones selected when the
    // stepping started, so showing a match may change the selection.
    FindOutcome findNext();
    // The match the last findNext found; none once the stepping ended or started again.
    const std::optional<Match>& currentMatch() const { return current_; }

    // Every row in scope with a match in a searched field; the search starts again afterwards.
    BatchResult selectMatching();
    // Replaces the current match only, writes its file and steps on. Without a current match
    // (or when its value changed meanwhile) nothing is replaced and this only steps on.
    ReplaceResult replaceCurrent(std::string_view replacement);
    // Replaces every match in the searched fields of the files in scope and writes each file
    // changed. Each value is taken as the file held it before any field of it changed.
    BatchResult replaceAll(std::string_view replacement);
    // Removes count characters from one side of, or adds text to, every searched field that has
    // a value (the find text plays no part).
    BatchResult trim(size_t count, TextSide side);
    BatchResult add(std::string_view text, TextSide side);

private:
    struct Slot {
        SearchTag tag;
        SearchField field;
        tags::ValueKey key;
    };
    struct Cursor {
        size_t rowIndex = 0;
        size_t slot = 0;
        size_t offset = 0;
    };
    // An edit of one value: the new value; edits receives how many changes it made.
    using ValueEdit = std::function<std::string(const std::string& value, int& edits)>;

    std::vector<int> rowsInScope() const;
    BatchResult editFields(const ValueEdit& edit);

    SearchSource& source_;
    SearchOptions options_;
    std::vector<Slot> slots_;
    bool walking_ = false;
    std::vector<int> rows_;
    Cursor cursor_;
    std::optional<Match> current_;
};

// "Could not find "x" in current scope!" and the answer to an empty find text.
std::string notFoundMessage(std::string_view findText);
std::string nothingToFindMessage();
// What a Replace All, Trim or Add changed: "Changed 3 values in 2 files." (values and files that
// were written; failures are reported with WriteReport::message).
std::string changeSummary(const BatchResult& result);

}  // namespace vorda::find
