// SPDX-License-Identifier: GPL-2.0-or-later

#include "freedb/FreedbResult.h"

#include "base/Text.h"

namespace vorda::freedb {

namespace {

// The year an EXTD value names after "YEAR:", written without leading zeros; empty when it
// names none or 0.
std::string yearOf(std::string_view extended) {
    const size_t at = base::asciiLower(extended).find("year:");
    if (at == std::string::npos) return {};
    std::string digits;
    bool leading = true;
    for (const char c : extended.substr(at + 5)) {
        if (c == ' ') continue;
        if (c < '0' || c > '9') break;
        if (leading && c == '0') continue;
        leading = false;
        digits += c;
    }
    return digits;
}

}  // namespace

void FreedbResult::reset() {
    items_.clear();
    entryIndex_.clear();
    stale_ = true;
}

bool FreedbResult::addValue(std::string_view name, std::string_view value) {
    if (this->value(name)) return false;
    items_.push_back({false, std::string(name), std::string(value)});
    stale_ = true;
    return true;
}

void FreedbResult::parseAndAdd(std::string_view line) {
    if (line.empty() || line.front() == '#') return;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view name = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);

    const auto [it, added] = entryIndex_.try_emplace(base::asciiLower(name), items_.size());
    if (added)
        items_.push_back({true, std::string(name), std::string(value)});
    else
        items_[it->second].value += value;
    stale_ = true;
}

const std::vector<DbValue>& FreedbResult::values() const {
    if (stale_) rebuild();
    return values_;
}

std::optional<std::string> FreedbResult::value(std::string_view name) const {
    if (stale_) rebuild();
    const auto it = valueIndex_.find(base::asciiLower(name));
    if (it == valueIndex_.end()) return std::nullopt;
    return values_[it->second].value;
}

void FreedbResult::rebuild() const {
    values_.clear();
    valueIndex_.clear();
    const auto store = [this](std::string name, std::string_view value) {
        if (valueIndex_.try_emplace(base::asciiLower(name), values_.size()).second)
            values_.push_back({std::move(name), std::string(value)});
    };

    int tracks = 0;
    for (const Item& item : items_) {
        const std::string_view value = item.value;
        if (!item.fromEntry) {
            store(item.name, value);
        } else if (item.name == "DTITLE") {
            if (const size_t slash = value.find('/'); slash != std::string_view::npos) {
                store("ARTIST", base::trim(value.substr(0, slash)));
                store("ALBUM", base::trim(value.substr(slash + 1)));
            }
        } else if (item.name == "EXTD") {
            if (const std::string year = yearOf(value); !year.empty()) store("YEAR", year);
        } else if (item.name.starts_with("TTITLE")) {
            if (value == "silent") continue;
            const std::string k = std::to_string(++tracks);
            if (const size_t slash = value.find('/'); slash != std::string_view::npos) {
                store("TTITLE" + k, base::trim(value.substr(slash + 1)));
                store("TARTIST" + k, base::trim(value.substr(0, slash)));
            } else {
                store("TTITLE" + k, value);
            }
        } else if (!item.name.empty() && !value.empty()) {
            store(item.name, value);
        }
    }
    stale_ = false;
}

}  // namespace vorda::freedb
