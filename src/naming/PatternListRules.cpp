// SPDX-License-Identifier: GPL-2.0-or-later

#include "naming/PatternListRules.h"

#include <utility>

using namespace vorda::base;
using namespace vorda::app;

namespace vorda::naming {

namespace {

// The three lines of placeholders shown in every help text.
const std::string kPlaceholderTable = "<album>" + std::string(9, ' ') + "<artist>" + std::string(6, ' ') +
                                      "<bitrate>\n<comment>" + std::string(4, ' ') + "<genre>" + std::string(4, ' ') +
                                      "<samplerate>\n<title>" + std::string(13, ' ') + "<track>" + std::string(5, ' ') +
                                      "<year>";

const char* const kLetterLines = "<lletter> - First letter of the artist in lower case.\n"
                                 "<uletter> - First letter of the artist in upper case.";

}  // namespace

std::string PatternListRules::existsMessage(const std::string& text) {
    return "The pattern \"" + text + "\" already exists!";
}

bool PatternListRules::contains(const std::string& text, int except) const {
    for (int i = 0; i < count(); ++i) {
        if (i != except && patterns_[static_cast<size_t>(i)] == text) return true;
    }
    return false;
}

std::string PatternListRules::add(const std::string& text) {
    if (text.empty()) return {};
    if (contains(text)) return existsMessage(text);
    patterns_.push_back(text);
    return {};
}

std::string PatternListRules::update(int index, const std::string& text) {
    if (!valid(index) || text.empty()) return {};
    if (contains(text, index)) return existsMessage(text);
    patterns_[static_cast<size_t>(index)] = text;
    return {};
}

bool PatternListRules::removeAt(int index) {
    if (!valid(index)) return false;
    patterns_.erase(patterns_.begin() + index);
    return true;
}

int PatternListRules::moveUp(int index) {
    if (!valid(index)) return -1;
    if (index == 0) return index;
    std::swap(patterns_[static_cast<size_t>(index)], patterns_[static_cast<size_t>(index - 1)]);
    return index - 1;
}

int PatternListRules::moveDown(int index) {
    if (!valid(index)) return -1;
    if (index + 1 >= count()) return index;
    std::swap(patterns_[static_cast<size_t>(index)], patterns_[static_cast<size_t>(index + 1)]);
    return index + 1;
}

std::string PatternListRules::validate(std::string& text) const {
    if (validatePattern(text, illegal_)) return {};
    return "The current pattern is invalid! \n"
           "It must contain exactly as many \"<\" as \">\" and it cannot contain any of these characters: " +
           illegal_;
}

std::string PatternListRules::editInPlace(int index, std::string& text) {
    if (!valid(index)) return {};
    std::string message = validate(text);
    if (contains(text, index)) {
        // The item keeps its old text; a duplicate is never stored.
        const std::string refused = text;
        text = patterns_[static_cast<size_t>(index)];
        return message.empty() ? existsMessage(refused) : message + "\n\n" + existsMessage(refused);
    }
    patterns_[static_cast<size_t>(index)] = text;
    return message;
}

std::string PatternListRules::illegalCharsFor(PatternKind kind) { return std::string(patternIllegalChars(kind)); }

std::string PatternListRules::helpText(PatternKind kind) {
    const std::string table = kPlaceholderTable;
    switch (kind) {
    case PatternKind::Input:
        return "IMPORTANT: The order of the input patterns matters since the autodetect function always selects the "
               "first of the best matching patterns. \n"
               "This means that you should always place the longest and most complex patterns first in the list. \n\n"
               "You may type a placeholder several times in a pattern but it is only the first instance that is used. "
               "\n\nThese placeholders can be used:\n" +
               table + "\n<dummy> - All dummy parts will be ignored.";
    case PatternKind::Output:
        return "Output patterns may be arranged as you wish, the order is not important. \n"
               "It is allowed to use a placeholder several times in an output pattern. \n\n"
               "These placeholders can be used:\n" +
               table +
               "\n\nTIP: You can quickly rename files using any output pattern by selecting the files, clicking the "
               "right mousebutton and selecting \"Rename selected file(s) using...\" followed by the output pattern "
               "you want to use.";
    case PatternKind::Path:
        return "The general pattern defines how directories will be created when copying or moving files. \n"
               "Using an empty pattern no directories will be created. \n"
               "It is allowed to use a placeholder several times in these patterns. \n\n"
               "These placeholders can be used:\n" +
               table + "\n" + kLetterLines;
    case PatternKind::Album:
        return "The albums pattern can be used to sort albums in a different way than other files. \n"
               "This is useful if you want the albums to be sorted to a different directory or using a different "
               "format. \n"
               "It is allowed to use a placeholder several times in these patterns. \n\n"
               "These placeholders can be used:\n" +
               table + "\n" + kLetterLines;
    case PatternKind::Folder: break;
    }
    return {};
}

std::vector<std::string>& patternList(Settings& s, PatternKind kind) {
    switch (kind) {
    case PatternKind::Input: return s.inPatterns;
    case PatternKind::Output: return s.outPatterns;
    case PatternKind::Path: return s.pathPatterns;
    default: return s.albumPatterns;
    }
}

bool applyPatternListEdit(Settings& s, IniFile& ini, PatternKind kind, const std::vector<std::string>& patterns) {
    if (patterns.empty() || kind == PatternKind::Folder) return false;
    patternList(s, kind) = patterns;
    s.savePatternLists(ini);
    return true;
}

}  // namespace vorda::naming
