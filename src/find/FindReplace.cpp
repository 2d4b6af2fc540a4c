// SPDX-License-Identifier: GPL-2.0-or-later

#include "find/FindReplace.h"

#include <string>
#include <utility>

using namespace vorda::tags;

namespace vorda::find {

namespace {

constexpr const char* kCRLF = "\r\n";

}  // namespace

void WriteReport::note(const std::string& file, std::error_code result) {
    if (!result) {
        ++written;
        return;
    }
    if (failed++ == 0) {
        firstFailedFile = file;
        firstError = result;
    }
}

std::string WriteReport::message() const {
    if (failed == 0) return {};
    return "Tags could not be saved to " + std::to_string(failed) + " of " + std::to_string(written + failed) +
           " files." + kCRLF + kCRLF + "First error: " + firstFailedFile + kCRLF + firstError.message();
}

std::string notFoundMessage(std::string_view findText) {
    return "Could not find \"" + std::string(findText) + "\" in current scope!";
}

std::string nothingToFindMessage() { return "There is no text to find: type it in the box \"Find:\" first."; }

std::string changeSummary(const BatchResult& result) {
    auto count = [](int n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    return "Changed " + count(result.fieldsWritten, "value", "values") + " in " +
           count(result.writes.written, "file", "files") + ".";
}

FindReplace::FindReplace(SearchSource& source) : source_(source) {}

void FindReplace::setOptions(SearchOptions options) {
    if (options == options_) return;
    options_ = std::move(options);
    slots_.clear();
    for (int t = 0; t < kSearchTagCount; ++t) {
        const auto tag = static_cast<SearchTag>(t);
        if (!options_.tag(tag)) continue;
        for (int f = 0; f < kSearchFieldCount; ++f) {
            const auto field = static_cast<SearchField>(f);
            if (!options_.field(field)) continue;
            if (const auto key = fieldValueKey(tag, field)) slots_.push_back({tag, field, *key});
        }
    }
    reset();
}

void FindReplace::reset() {
    walking_ = false;
    rows_.clear();
    cursor_ = {};
    current_.reset();
}

std::vector<int> FindReplace::rowsInScope() const {
    std::vector<int> rows;
    const int count = source_.rowCount();
    for (int row = 0; row < count; ++row)
        if (options_.scope == FileScope::AllFiles || source_.isSelected(row)) rows.push_back(row);
    return rows;
}

FindOutcome FindReplace::findNext() {
    current_.reset();
    const TextMatcher matcher(options_.findText, options_.matchCase);
    if (matcher.empty()) {
        reset();
        return FindOutcome::NothingToFind;
    }
    if (!walking_) {
        rows_ = rowsInScope();
        cursor_ = {};
        walking_ = true;
    }
    for (; cursor_.rowIndex < rows_.size(); ++cursor_.rowIndex, cursor_.slot = 0, cursor_.offset = 0) {
        const int row = rows_[cursor_.rowIndex];
        if (row >= source_.rowCount() || !source_.open(row)) continue;
        for (; cursor_.slot < slots_.size(); ++cursor_.slot, cursor_.offset = 0) {
            const Slot& slot = slots_[cursor_.slot];
            if (!source_.hasTag(slot.tag)) continue;
            std::string value = source_.value(slot.key);
            const std::optional<TextSpan> span = matcher.find(value, cursor_.offset);
            if (!span) continue;
            cursor_.offset = span->start + span->length;
            current_ = Match{row, source_.rowName(row), slot.tag, slot.field, slot.key, std::move(value), *span};
            return FindOutcome::Found;
        }
    }
    reset();
    return FindOutcome::NotFound;
}

ReplaceResult FindReplace::replaceCurrent(std::string_view replacement) {
    ReplaceResult result;
    // Only the match found: the list may have been sorted or shortened since, and the file
    // changed on disk.
    if (current_ && current_->row < source_.rowCount() && source_.rowName(current_->row) == current_->file &&
        source_.open(current_->row) && source_.value(current_->key) == current_->value) {
        const Match& match = *current_;
        std::string value = match.value;
        value.replace(match.span.start, match.span.length, replacement);
        if (source_.setValue(match.key, value)) {
            result.replaced = true;
            result.writes.note(source_.rowName(match.row), source_.save());
            // The stepping goes on behind the inserted text.
            cursor_.offset = match.span.start + replacement.size();
        }
    }
    result.next = findNext();
    return result;
}

BatchResult FindReplace::selectMatching() {
    reset();
    BatchResult result;
    const TextMatcher matcher(options_.findText, options_.matchCase);
    if (matcher.empty()) {
        result.outcome = FindOutcome::NothingToFind;
        return result;
    }
    for (const int row : rowsInScope()) {
        if (!source_.open(row)) continue;
        for (const Slot& slot : slots_) {
            if (source_.hasTag(slot.tag) && matcher.find(source_.value(slot.key))) {
                result.rows.push_back(row);
                break;
            }
        }
    }
    if (!result.rows.empty()) result.outcome = FindOutcome::Found;
    return result;
}

BatchResult FindReplace::editFields(const ValueEdit& edit) {
    reset();
    BatchResult result;
    bool matched = false;
    struct Read {
        ValueKey key;
        std::string value;
    };
    std::vector<Read> read;
    for (const int row : rowsInScope()) {
        if (!source_.open(row)) continue;
        // Every value first: through the combined keys one tag's value can show in the
        // other's field, and it must be edited once, not once more after its first edit.
        read.clear();
        for (const Slot& slot : slots_)
            if (source_.hasTag(slot.tag)) read.push_back({slot.key, source_.value(slot.key)});
        int changed = 0;
        for (const Read& field : read) {
            int edits = 0;
            const std::string value = edit(field.value, edits);
            if (edits == 0) continue;
            matched = true;
            if (value == field.value || !source_.setValue(field.key, value)) continue;
            ++changed;
            result.replacements += edits;
        }
        if (changed == 0) continue;
        result.fieldsChanged += changed;
        result.rows.push_back(row);
        const std::error_code error = source_.save();
        if (!error) result.fieldsWritten += changed;
        result.writes.note(source_.rowName(row), error);
    }
    if (matched) result.outcome = FindOutcome::Found;
    return result;
}

BatchResult FindReplace::replaceAll(std::string_view replacement) {
    const TextMatcher matcher(options_.findText, options_.matchCase);
    if (matcher.empty()) {
        reset();
        BatchResult result;
        result.outcome = FindOutcome::NothingToFind;
        return result;
    }
    return editFields(
        [&](const std::string& value, int& edits) { return matcher.replaceAll(value, replacement, &edits); });
}

BatchResult FindReplace::trim(size_t count, TextSide side) {
    return editFields([&](const std::string& value, int& edits) {
        std::string trimmed = trimText(value, count, side);
        edits = trimmed != value ? 1 : 0;
        return trimmed;
    });
}

BatchResult FindReplace::add(std::string_view text, TextSide side) {
    return editFields([&](const std::string& value, int& edits) {
        if (value.empty() || text.empty()) {
            edits = 0;
            return value;
        }
        edits = 1;
        return addText(value, text, side);
    });
}

}  // namespace vorda::find
