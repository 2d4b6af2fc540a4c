// SPDX-License-Identifier: GPL-2.0-or-later

// The rules of the pattern-list editor without its widgets: the list of one pattern kind with
// its duplicate checks, the clean-up of typed and in-place edited patterns, the help texts
// of the four pattern boxes, and how an edited list reaches the settings and the settings file.
#pragma once

#include <string>
#include <vector>

#include "app/Settings.h"
#include "base/IniFile.h"
#include "naming/PatternEngine.h"

namespace vorda::naming {

class PatternListRules {
public:
    // Empties the list.
    void reset() { patterns_.clear(); }
    void setIllegalChars(std::string chars) { illegal_ = std::move(chars); }
    const std::string& illegalChars() const { return illegal_; }
    // Appends a pattern as the caller gives it (filling the editor from the settings).
    void addPattern(std::string text) { patterns_.push_back(std::move(text)); }

    // "Add": appends a non-empty text that is not in the list yet. Returns the message to show
    // ("" when there is none: added, or an empty text that is ignored).
    std::string add(const std::string& text);
    // "Update": replaces the pattern at index, with the same checks.
    std::string update(int index, const std::string& text);
    // "Delete": removes the pattern at index.
    bool removeAt(int index);
    // "Up" and "Down": the pattern's new index (the same index when it cannot move, -1 when
    // index is not a pattern).
    int moveUp(int index);
    int moveDown(int index);

    // Leaving the edit box: cleans text in place; the message to show when it is invalid.
    std::string validate(std::string& text) const;
    // An in-place edit of the pattern at index: the cleaned text replaces the pattern unless it
    // duplicates another one. text receives what the item shows afterwards; the result is the
    // message to show ("" when none).
    std::string editInPlace(int index, std::string& text);

    int count() const { return static_cast<int>(patterns_.size()); }
    const std::vector<std::string>& patterns() const { return patterns_; }

    static std::string existsMessage(const std::string& text);
    // The illegal characters and the help text the editor gets for a pattern box.
    static std::string illegalCharsFor(PatternKind kind);
    static std::string helpText(PatternKind kind);

private:
    bool contains(const std::string& text, int except = -1) const;
    bool valid(int index) const { return index >= 0 && index < count(); }

    std::vector<std::string> patterns_;
    std::string illegal_;
};

// The stored list of a pattern box.
std::vector<std::string>& patternList(app::Settings& s, PatternKind kind);
// Takes the outcome of the editor: an empty list (Cancel, or every entry deleted) changes
// nothing; otherwise it becomes the kind's list and every pattern list is written to ini.
// True when the list was taken.
bool applyPatternListEdit(app::Settings& s, base::IniFile& ini, PatternKind kind,
                          const std::vector<std::string>& patterns);

}  // namespace vorda::naming
