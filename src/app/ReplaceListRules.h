// SPDX-License-Identifier: GPL-2.0-or-later

// The rules of the replace-list editor without its widgets: adding, updating, deleting and
// moving find/replace pairs, the checks made on OK, and how an edited list reaches the
// settings and the settings file.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/Settings.h"
#include "base/IniFile.h"

namespace vorda::app {

class ReplaceListRules {
public:
    using Pair = std::pair<std::string, std::string>;  // find text, replacement

    // A problem found by Check: the pair to select and the message to show.
    struct Problem {
        int index = -1;  // -1: no problem
        std::string message;
    };

    // Empties the list.
    void reset() { pairs_.clear(); }
    // Appends a pair as the caller gives it (filling the editor from the settings).
    void addReplace(std::string find, std::string replacement);

    // "Add": appends the pair when the find text is not empty and the pair is not in the list.
    [[nodiscard]] bool add(const std::string& find, const std::string& replacement);
    // "Update": replaces the pair at index under the same conditions.
    [[nodiscard]] bool update(int index, const std::string& find, const std::string& replacement);
    // "Delete": removes the pair at index.
    bool removeAt(int index);
    // "Up" and "Down": move the pair at index by one place; return its new index
    // (the same index when it cannot move, -1 when index is not a pair).
    int moveUp(int index);
    int moveDown(int index);

    // The OK check: the first pair, in list order, whose find text is empty or equals its
    // replacement.
    Problem check() const;

    int getTotalReplaces() const { return static_cast<int>(pairs_.size()); }
    const std::string& getOldString(int i) const { return pairs_.at(static_cast<size_t>(i)).first; }
    const std::string& getNewString(int i) const { return pairs_.at(static_cast<size_t>(i)).second; }
    const std::vector<Pair>& pairs() const { return pairs_; }

    // A replacement text without the characters a file name cannot hold.
    static std::string cleanReplacement(std::string_view text);

private:
    bool contains(const std::string& find, const std::string& replacement) const;
    bool valid(int index) const { return index >= 0 && index < static_cast<int>(pairs_.size()); }

    std::vector<Pair> pairs_;
};

// The pairs the editor opens with: the settings' replace list without the empty pair that
// stands for "no replaces".
std::vector<ReplaceListRules::Pair> replacesForEditor(const Settings& s);

// Takes the outcome of the editor: nothing changes when it was cancelled; otherwise the list
// becomes the replace list of s and is written to ini (an empty list is stored as count 0 with
// one empty pair, and the list in memory becomes empty).
void applyReplaceEdit(Settings& s, base::IniFile& ini, bool cancelled,
                      const std::vector<ReplaceListRules::Pair>& pairs);

}  // namespace vorda::app
