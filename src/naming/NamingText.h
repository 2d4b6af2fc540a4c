// SPDX-License-Identifier: GPL-2.0-or-later

// Small text helpers shared by the pattern engine and the filename fixing.
#pragma once

#include <string>
#include <string_view>

namespace vorda::naming {

// Replaces every occurrence of from (left to right, non-overlapping); nothing for an empty from.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
// Replaces from by to again and again until from no longer occurs (to must be shorter than from).
std::string replaceUntilGone(std::string_view text, std::string_view from, std::string_view to);
// Removes the first occurrence of what only.
std::string removeFirst(std::string_view text, std::string_view what);
// Removes spaces (only spaces) at both ends.
std::string trimSpaces(std::string_view text);
// Byte offset of character index n (counted as utf8CharCount counts); text.size() past the end.
size_t utf8Offset(std::string_view text, size_t n);
// The text without its first / last n characters.
std::string utf8DropFirst(std::string_view text, size_t n);
std::string utf8DropLast(std::string_view text, size_t n);
// The first character (one code point, or one stray byte).
std::string utf8FirstChar(std::string_view text);
// True when the code point ch occurs in set (UTF-8).
bool utf8SetContains(std::string_view set, char32_t ch);
// True when the character ch (one code point's bytes, or one stray byte) occurs in set.
bool utf8SetContains(std::string_view set, std::string_view ch);

// Length in bytes of the control character at pos (C0, DEL, or a C1 code point written in
// UTF-8); 0 when the text there is no control character.
size_t controlCharAt(std::string_view text, size_t pos);
// Every control character replaced by one space.
std::string controlCharsToSpaces(std::string_view text);
// Every control character removed.
std::string stripControlChars(std::string_view text);
// The text on one line for terminals and scripts: line feed, carriage return and tab become
// "\n", "\r", "\t", the other C0 characters and DEL "\xHH", C1 characters "\u00HH". Every other
// byte is kept, so escaping twice changes nothing more.
std::string escapeControlChars(std::string_view text);

}  // namespace vorda::naming
