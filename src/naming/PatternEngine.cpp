// SPDX-License-Identifier: GPL-2.0-or-later

#include "naming/PatternEngine.h"

#include <cmath>
#include <limits>

#include "base/Text.h"

using namespace vorda::base;
using namespace vorda::app;

namespace vorda::naming {

using namespace naming;

namespace {

struct PatternPiece {
    std::string placeholder;  // "<name>"
    std::string separator;    // the literal text up to the next placeholder
};

// Splits a pattern that starts with "<" into its placeholders and the separators after them.
std::vector<PatternPiece> splitPattern(std::string_view pattern) {
    std::vector<PatternPiece> pieces;
    if (pattern.empty() || pattern.find('<') == std::string_view::npos) return pieces;
    std::string_view rest = pattern.substr(1);
    while (true) {
        const size_t next = rest.find('<');
        const std::string_view piece = rest.substr(0, next);
        const size_t close = piece.find('>');
        if (close == std::string_view::npos)
            pieces.push_back({"<" + std::string(piece), std::string()});
        else
            pieces.push_back({"<" + std::string(piece.substr(0, close + 1)), std::string(piece.substr(close + 1))});
        if (next == std::string_view::npos) break;
        rest = rest.substr(next + 1);
    }
    return pieces;
}

// Keeps as many trailing components of name as the pattern has folder levels, strips a short
// extension, drops the pattern's literal prefix and suffix from both, and applies the "%20" and
// underscore rules to both.
void prepareForMatching(std::string& name, std::string& pattern, const Settings& s) {
    const int levels = countOccurrences(pattern, "/");
    std::string kept;
    if (levels > 0 && name.find('/') != std::string::npos) {
        size_t cut = name.size();
        bool found = true;
        for (int i = 0; i <= levels; ++i) {
            if (cut == 0) {
                found = false;
                break;
            }
            cut = name.rfind('/', cut - 1);
            if (cut == std::string::npos) {
                found = false;
                break;
            }
        }
        kept = found ? name.substr(cut + 1) : name;
    } else {
        const size_t slash = name.rfind('/');
        kept = slash == std::string::npos ? name : name.substr(slash + 1);
    }
    if (!kept.empty()) name = kept;

    if (utf8CharCount(getExtension(name)) < 6) name = removeExtension(name);

    const size_t open = pattern.find('<');
    if (open != std::string::npos && open > 0) {
        name = utf8DropFirst(name, utf8CharCount(std::string_view(pattern).substr(0, open)));
        pattern.erase(0, open);
    }
    const size_t close = pattern.rfind('>');
    if (close != std::string::npos) {
        const size_t suffix = utf8CharCount(std::string_view(pattern).substr(close + 1));
        if (suffix >= 1 && suffix <= utf8CharCount(name)) {
            name = utf8DropLast(name, suffix);
            pattern.erase(close + 1);
        }
    }

    if (s.percent20ToSpace) {
        name = replaceAll(name, "%20", " ");
        pattern = replaceAll(pattern, "%20", " ");
    }
    if (s.scoreToSpace) {
        name = replaceAll(name, "_", " ");
        pattern = replaceAll(pattern, "_", " ");
    }
}

// Reads a placeholder's value from a prepared name and pattern. The split is non-greedy: each
// value ends at the first occurrence of the separator that follows it. A separator missing from
// the name gives "".
std::string extractPrepared(std::string_view name, std::string_view placeholder, std::string_view pattern) {
    const std::vector<PatternPiece> pieces = splitPattern(pattern);
    if (pieces.empty()) return {};
    size_t wanted = 0;
    for (size_t i = 0; i < pieces.size(); ++i)
        if (pieces[i].placeholder == placeholder) wanted = i;

    size_t pos = 0;
    for (size_t i = 0; i < wanted; ++i) {
        const size_t hit = name.find(pieces[i].separator, pos);
        if (hit == std::string_view::npos) return {};
        pos = hit + pieces[i].separator.size();
    }
    size_t end = name.size();
    if (!pieces[wanted].separator.empty()) {
        end = name.find(pieces[wanted].separator, pos);
        if (end == std::string_view::npos) return {};
    }
    if (end <= pos) return {};
    return trim(name.substr(pos, end - pos), " ");
}

}  // namespace

std::string textOfName(const std::string& name) {
    // A name that is not UTF-8 comes from a system that wrote names in a legacy code page;
    // ISO-8859-1 keeps every byte as the character it most likely was.
    return isValidUtf8(name) ? name : latin1ToUtf8(name);
}

std::string_view patternIllegalChars(PatternKind kind) {
    switch (kind) {
    case PatternKind::Input: return kInPatternIllegal;
    case PatternKind::Output: return kOutPatternIllegal;
    case PatternKind::Path:
    case PatternKind::Album: return kFolderPatternIllegal;
    case PatternKind::Folder: break;
    }
    return {};
}

bool patternKeyAllowed(PatternKind kind, char32_t ch) {
    for (char c : patternIllegalChars(kind))
        if (static_cast<char32_t>(c) == ch) return false;
    return true;
}

bool newNameKeyAllowed(char32_t ch) {
    for (char c : kNewNameRefusedKeys)
        if (static_cast<char32_t>(c) == ch) return false;
    return true;
}

bool validatePattern(std::string& pattern, std::string_view illegal) {
    bool changed = true;
    while (changed) {
        const std::string before = pattern;
        pattern = replaceUntilGone(pattern, "<<", "<");
        pattern = replaceUntilGone(pattern, ">>", ">");
        pattern = replaceAll(pattern, "<>", "");
        changed = pattern != before;
    }
    // The illegal characters are all ASCII, so removing bytes never cuts a UTF-8 sequence.
    std::string cleaned;
    cleaned.reserve(pattern.size());
    for (char c : pattern)
        if (illegal.find(c) == std::string_view::npos) cleaned += c;
    pattern = replaceUntilGone(cleaned, "//", "/");
    return countOccurrences(pattern, "<") == countOccurrences(pattern, ">");
}

std::string invalidPatternMessage(PatternKind kind) {
    std::string name = "AlbumPattern";
    if (kind == PatternKind::Input) name = "InPattern";
    if (kind == PatternKind::Output) name = "OutPattern";
    std::string_view illegal = patternIllegalChars(kind);
    if (illegal.empty()) illegal = kFolderPatternIllegal;
    return "The current " + name +
           " is invalid! \n"
           "It must contain exactly as many \"<\" as \">\" and it cannot contain any of these characters: " +
           std::string(illegal);
}

std::string normalizeFolderPattern(const std::string& pattern, std::string* message) {
    if (message) message->clear();
    std::string q = pattern;
    const bool valid = validatePattern(q, kFolderPatternIllegal);
    // Cleaning comes before the final "/" so that a pattern of nothing but illegal characters
    // does not turn into "/", the root folder.
    if (!q.empty() && q.back() != '/') q += '/';
    if (!valid && message) *message = invalidPatternMessage(PatternKind::Album);
    return q;
}

std::string checkPatternOnFocusLoss(PatternKind kind, std::string& text, bool* informationIcon) {
    if (informationIcon) *informationIcon = false;
    switch (kind) {
    case PatternKind::Input:
    case PatternKind::Output:
        return validatePattern(text, patternIllegalChars(kind)) ? std::string() : invalidPatternMessage(kind);
    case PatternKind::Path:
    case PatternKind::Album: {
        std::string message;
        text = normalizeFolderPattern(text, &message);
        if (informationIcon) *informationIcon = !message.empty();
        return message;
    }
    case PatternKind::Folder: break;
    }
    return {};
}

std::string extractValue(const std::string& name, const std::string& placeholder, const std::string& pattern,
                         const Settings& s) {
    if (trim(name).empty() || placeholder.empty() || lowerCase(pattern).find(placeholder) == std::string::npos)
        return {};
    std::string preparedName = textOfName(name);
    std::string preparedPattern = pattern;
    prepareForMatching(preparedName, preparedPattern, s);
    return extractPrepared(preparedName, placeholder, preparedPattern);
}

long detectionScore(const std::string& fullPath, const std::string& pattern, const Settings& s) {
    if (trim(pattern).empty() || trim(fullPath).empty()) return 0;
    std::string name = textOfName(fullPath);
    std::string prepared = pattern;
    prepareForMatching(name, prepared, s);

    std::vector<std::string> separators;
    for (PatternPiece& piece : splitPattern(prepared)) separators.push_back(std::move(piece.separator));
    if (separators.size() > 1 && separators.back().empty()) separators.pop_back();
    if (separators.empty()) return 0;

    long score = 0;
    size_t pos = 0;
    for (const std::string& separator : separators) {
        const size_t hit = name.find(separator, pos);
        if (hit == std::string::npos) {
            pos = 0;
        } else {
            ++score;
            pos = hit + separator.size();
        }
    }
    if (pattern.find("<track>") != std::string::npos && !isAllDigits(extractPrepared(name, "<track>", prepared)))
        --score;
    if (pattern.find("<year>") != std::string::npos && !isAllDigits(extractPrepared(name, "<year>", prepared))) --score;
    // nearbyint rounds halves to even in the default rounding mode.
    return static_cast<long>(
        std::nearbyint(static_cast<double>(score) / static_cast<double>(separators.size()) * 100000.0));
}

std::string detectInPattern(const std::string& fullPath, const std::vector<std::string>& patterns,
                            const std::string& boxText, const Settings& s) {
    if (trim(fullPath).empty()) return boxText;
    const std::string* first = nullptr;
    const std::string* best = nullptr;
    long bestScore = std::numeric_limits<long>::min();
    for (const std::string& entry : patterns) {
        if (trim(entry).empty()) continue;
        if (!first) first = &entry;
        const long score = detectionScore(fullPath, entry, s);
        if (score == 100000) return entry;
        if (score > bestScore) {
            bestScore = score;
            best = &entry;
        }
    }
    if (!first) return boxText;
    return bestScore > 0 ? *best : *first;
}

std::string detectInPattern(const std::string& fullPath, const Settings& s) {
    return detectInPattern(fullPath, s.inPatterns, s.currentInPattern, s);
}

}  // namespace vorda::naming
