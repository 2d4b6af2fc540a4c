// SPDX-License-Identifier: GPL-2.0-or-later

// The typing rules of the tag editor's text fields: which characters a field accepts, the
// Page Up / Page Down steps of the number fields, the descriptions and the ID3v1 length warning.
#pragma once

#include <optional>
#include <string>

namespace vorda::editing {

// The characters of the year and track fields (3, 4) and of the ID3v1 year and track (14, 15).
inline constexpr const char* kV2NumberChars = "0123456789/-";
inline constexpr const char* kV1NumberChars = "0123456789";
// The width of an ID3v1 text field.
inline constexpr int kID3v1FieldWidth = 30;

// True when field index accepts the typed character (one UTF-8 character, or "\b").
bool fieldAcceptsChar(int index, const std::string& character);

// Page Up (up true) or Page Down in a number field (3, 4, 14, 15): the new text, or nothing when
// the key changes nothing (another field, text that is no number, Page Down at 0).
std::optional<std::string> fieldPageStep(int index, const std::string& text, bool up);

// The description label's text for a field; GenreDescription for both genre boxes.
std::string fieldDescription(int index);
inline constexpr const char* kGenreDescription = "Genre";

// The ID3v1 length warning of fields 11, 12, 13.
struct LengthWarning {
    bool warn = false;    // light yellow background
    std::string toolTip;  // "" for fields without the warning
};
LengthWarning id3v1LengthWarning(int index, const std::string& text, bool id3v1Enabled);

// Whether text is a number (blanks around it, a sign, digits with an optional fraction).
bool isNumericText(const std::string& text);

}  // namespace vorda::editing
