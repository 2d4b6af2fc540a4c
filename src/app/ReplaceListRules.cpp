// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/ReplaceListRules.h"

#include <algorithm>

#include "app/OptionsRules.h"

using namespace vorda::base;

namespace vorda::app {

void ReplaceListRules::addReplace(std::string find, std::string replacement) {
    pairs_.emplace_back(std::move(find), std::move(replacement));
}

bool ReplaceListRules::contains(const std::string& find, const std::string& replacement) const {
    return std::find(pairs_.begin(), pairs_.end(), Pair(find, replacement)) != pairs_.end();
}

bool ReplaceListRules::add(const std::string& find, const std::string& replacement) {
    if (find.empty() || contains(find, replacement)) return false;
    pairs_.emplace_back(find, replacement);
    return true;
}

bool ReplaceListRules::update(int index, const std::string& find, const std::string& replacement) {
    if (!valid(index) || find.empty() || contains(find, replacement)) return false;
    pairs_[static_cast<size_t>(index)] = Pair(find, replacement);
    return true;
}

bool ReplaceListRules::removeAt(int index) {
    if (!valid(index)) return false;
    pairs_.erase(pairs_.begin() + index);
    return true;
}

int ReplaceListRules::moveUp(int index) {
    if (!valid(index)) return -1;
    if (index == 0) return index;
    std::swap(pairs_[static_cast<size_t>(index)], pairs_[static_cast<size_t>(index - 1)]);
    return index - 1;
}

int ReplaceListRules::moveDown(int index) {
    if (!valid(index)) return -1;
    if (index + 1 >= static_cast<int>(pairs_.size())) return index;
    std::swap(pairs_[static_cast<size_t>(index)], pairs_[static_cast<size_t>(index + 1)]);
    return index + 1;
}

ReplaceListRules::Problem ReplaceListRules::check() const {
    for (size_t i = 0; i < pairs_.size(); ++i) {
        if (pairs_[i].first.empty()) return {static_cast<int>(i), "The find string cannot be empty!"};
        if (pairs_[i].first == pairs_[i].second)
            return {static_cast<int>(i), "There is no need to replace a string with itself!"};
    }
    return {};
}

std::string ReplaceListRules::cleanReplacement(std::string_view text) { return removeCharsOf(text, kNameIllegalChars); }

std::vector<ReplaceListRules::Pair> replacesForEditor(const Settings& s) {
    std::vector<ReplaceListRules::Pair> pairs;
    for (const auto& p : s.replaces)
        if (!p.first.empty() || !p.second.empty()) pairs.push_back(p);
    return pairs;
}

void applyReplaceEdit(Settings& s, IniFile& ini, bool cancelled, const std::vector<ReplaceListRules::Pair>& pairs) {
    if (cancelled) return;
    s.replaces = pairs;
    s.saveReplaces(ini);
}

}  // namespace vorda::app
