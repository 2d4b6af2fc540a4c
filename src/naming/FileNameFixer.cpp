// SPDX-License-Identifier: GPL-2.0-or-later

#include "naming/FileNameFixer.h"

#include <utf8proc.h>

#include <vector>

#include "base/Text.h"
#include "naming/PatternEngine.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace vorda::naming {

using namespace naming;

namespace {

// One character of a UTF-8 text: a code point, or a byte that starts no valid sequence.
struct Unit {
    char32_t cp = 0;
    bool stray = false;
};

std::vector<Unit> decode(std::string_view text) {
    std::vector<Unit> units;
    units.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        char32_t cp = 0;
        const size_t length = utf8SequenceAt(text, pos, &cp);
        if (length == 0) {
            units.push_back({static_cast<unsigned char>(text[pos]), true});
            ++pos;
        } else {
            units.push_back({cp, false});
            pos += length;
        }
    }
    return units;
}

std::string encode(const std::vector<Unit>& units) {
    std::string text;
    text.reserve(units.size());
    for (const Unit& unit : units) {
        if (unit.stray)
            text += static_cast<char>(unit.cp);
        else
            appendUtf8(text, unit.cp);
    }
    return text;
}

bool isWordChar(const Unit& unit) {
    if (unit.stray) return false;
    if (unit.cp == U'@') return true;
    switch (utf8proc_category(static_cast<utf8proc_int32_t>(unit.cp))) {
    case UTF8PROC_CATEGORY_LU:
    case UTF8PROC_CATEGORY_LL:
    case UTF8PROC_CATEGORY_LT:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_LO:
    case UTF8PROC_CATEGORY_ND: return true;
    default: return false;
    }
}

void raise(Unit& unit) {
    if (!unit.stray) unit.cp = static_cast<char32_t>(utf8proc_toupper(static_cast<utf8proc_int32_t>(unit.cp)));
}

std::string collapseSpaces(std::string_view text) { return replaceUntilGone(text, "  ", " "); }

std::string applyReplaces(std::string text, const Settings& s) {
    for (const auto& [from, to] : s.replaces)
        if (!from.empty()) text = replaceAll(text, from, to);
    return s.fixSpaces ? collapseSpaces(text) : text;
}

// Steps shared by both clean-ups: removed characters, "%20", underscores, double spaces.
std::string basicCleanup(std::string text, const Settings& s) {
    if (s.useRemoveChars) text = removeChars(text, s.removedChars, false);
    if (s.percent20ToSpace) text = replaceAll(text, "%20", " ");
    if (s.scoreToSpace) text = replaceAll(text, "_", " ");
    if (s.fixSpaces) text = collapseSpaces(text);
    return text;
}

std::string upperFirst(std::string_view text) {
    const std::string first = utf8FirstChar(text);
    return upperCase(first) + std::string(text.substr(first.size()));
}

}  // namespace

std::string properCase(std::string_view text) {
    if (trim(text).empty()) return std::string(text);
    std::vector<Unit> units = decode(text);
    raise(units.front());
    const size_t last = units.size() - 1;
    for (size_t i = 0; i < units.size(); ++i) {
        const char32_t c = units[i].stray ? 0 : units[i].cp;
        if (c != U' ' && c != U'+' && c != U'-' && c != U'.') continue;
        size_t j = i;
        while (j < last && !isWordChar(units[j])) ++j;
        raise(units[j]);
    }
    return encode(units);
}

std::string removeChars(std::string_view text, std::string_view set, bool keep) {
    std::string result;
    result.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = utf8SequenceAt(text, pos);
        const std::string_view ch = text.substr(pos, length == 0 ? 1 : length);
        if (utf8SetContains(set, ch) == keep) result.append(ch);
        pos += ch.size();
    }
    return result;
}

std::string fixFileName(std::string_view text, const Settings& s, bool keepCapitals) {
    std::string name = basicCleanup(std::string(text), s);

    if (s.fixMisses) {
        name = replaceUntilGone(name, "--", "-");
        name = replaceUntilGone(name, " - - ", " - ");
        name = replaceAll(name, "() - ", "");
        name = replaceAll(name, " - ()", "");
        name = replaceAll(name, "() ", "");
        name = replaceAll(name, " ()", "");
        if (name.find(" - ") == std::string::npos) name = replaceAll(name, " -", " - ");
        if (name.find(" - ") == std::string::npos) name = replaceAll(name, "- ", " - ");
        if (name.find(" - ") == std::string::npos) name = replaceAll(name, "-", " - ");
        name = trim(name, " ");
        if (name.rfind("- ", 0) == 0) name.erase(0, 2);
        if (name.size() >= 2 && name.compare(name.size() - 2, 2, " -") == 0) name.erase(name.size() - 2);
    }

    switch (s.caseChange) {
    case CaseChange::EveryWord:
        if (s.lowerCaseFirst || (!keepCapitals && name == upperCase(name))) name = lowerCase(name);
        name = properCase(name);
        break;
    case CaseChange::Upper: name = upperCase(name); break;
    case CaseChange::Lower: name = lowerCase(name); break;
    default: break;
    }

    if (s.useReplace) name = applyReplaces(std::move(name), s);
    if (s.fixMisses) name = trim(name, " ");
    return name;
}

std::string fixTagField(std::string_view text, const Settings& s) {
    std::string value(text);
    if (s.fixSpaces) value = trim(value, " ");
    if (value.empty()) return value;
    value = basicCleanup(std::move(value), s);

    if (s.fixMisses) {
        value = removeFirst(value, "() - ");
        value = removeFirst(value, " - ()");
        value = trim(value, " ");
    }

    if ((s.tagCaseChange == CaseChange::EveryWord || s.tagCaseChange == CaseChange::FirstLetter) && s.tagLowerCaseFirst)
        value = lowerCase(value);
    switch (s.tagCaseChange) {
    case CaseChange::EveryWord: value = properCase(value); break;
    case CaseChange::FirstLetter: value = upperFirst(value); break;
    case CaseChange::Upper: value = upperCase(value); break;
    case CaseChange::Lower: value = lowerCase(value); break;
    default: break;
    }

    if (s.useReplace) value = applyReplaces(std::move(value), s);
    if (s.fixMisses) value = trim(value, " ");
    return value;
}

std::string fixedFieldValue(AudioFile& file, int key, const std::string& placeholder, const std::string& name,
                            const std::string& inPattern, const Settings& s) {
    std::string value = fixTagField(file.tag().getValue(key), s);
    if (value.empty()) value = fixTagField(extractValue(name, placeholder, inPattern, s), s);
    return value;
}

}  // namespace vorda::naming
