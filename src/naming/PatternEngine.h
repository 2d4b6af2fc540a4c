// SPDX-License-Identifier: GPL-2.0-or-later

// Naming patterns: the pattern kinds and their character rules, the clean-up and checks of
// typed patterns, reading values out of file names with an input pattern, and choosing the
// best matching input pattern for a file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/Settings.h"

namespace vorda::naming {

// The pattern boxes of the main window, plus the folder pattern of the folder commands.
enum class PatternKind { Input, Output, Path, Album, Folder };

// Illegal characters of each kind. "/" separates folders in input, path and album patterns;
// the backslash and the colon are illegal everywhere.
inline constexpr std::string_view kInPatternIllegal = "?\\:\"|*";
inline constexpr std::string_view kOutPatternIllegal = "?\\/:\"|*";
inline constexpr std::string_view kFolderPatternIllegal = "?\\:\"|*";
// Characters removed from every new file name.
inline constexpr std::string_view kFileNameIllegal = "<>?\\/:\"|*";
// Keys the new-name box refuses.
inline constexpr std::string_view kNewNameRefusedKeys = "/\\:?\"<>|*";

// The illegal set of a kind (the folder pattern has none of its own: "" ).
std::string_view patternIllegalChars(PatternKind kind);
// The key filter of a pattern box: false for the keys the box refuses while typing.
bool patternKeyAllowed(PatternKind kind, char32_t ch);
// The key filter of the new-name box.
bool newNameKeyAllowed(char32_t ch);

// Cleans a typed pattern in place: "<<" and ">>" collapse, "<>" goes, the illegal characters go
// and doubled "/" become one. True when the pattern holds as many "<" as ">".
bool validatePattern(std::string& pattern, std::string_view illegal);

// The message shown when a pattern of the kind fails validation.
std::string invalidPatternMessage(PatternKind kind);

// Cleans a path or album pattern: a leading "/" (absolute pattern) stays, a final "/" is added,
// then the pattern is validated. An empty pattern stays empty (no folders are created).
// When validation fails and message is given, *message receives the text to show
// (with the information icon); otherwise it is cleared.
std::string normalizeFolderPattern(const std::string& pattern, std::string* message = nullptr);

// What a pattern box does when it loses the focus. The cleaned text replaces text; the result is
// the message to show, empty when there is none. *informationIcon tells whether the message
// carries the information icon (path and album boxes) or none (input and output boxes).
std::string checkPatternOnFocusLoss(PatternKind kind, std::string& text, bool* informationIcon = nullptr);

// The text of a file name or path for reading values from it: the name itself when it is UTF-8,
// else its bytes read as ISO-8859-1.
std::string textOfName(const std::string& name);

// Reads the value of placeholder (such as "<artist>") out of a file name or path with an input
// pattern; "" when the pattern has no such placeholder or the name does not follow the pattern.
// The value is always UTF-8 (see textOfName).
std::string extractValue(const std::string& name, const std::string& placeholder, const std::string& pattern,
                         const app::Settings& s = app::settings());

// Scores an input pattern against a full path (100000 is a perfect match, 0 or less none).
long detectionScore(const std::string& fullPath, const std::string& pattern, const app::Settings& s = app::settings());

// The best matching entry of patterns for the file (the first of the best; a perfect match ends
// the search). Empty entries never match. boxText is the result when the path is blank or the
// list holds no pattern.
std::string detectInPattern(const std::string& fullPath, const std::vector<std::string>& patterns,
                            const std::string& boxText, const app::Settings& s = app::settings());
// The same with the settings' input-pattern list and current input pattern.
std::string detectInPattern(const std::string& fullPath, const app::Settings& s = app::settings());

}  // namespace vorda::naming
