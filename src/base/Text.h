// SPDX-License-Identifier: GPL-2.0-or-later

// Text and path routines shared by every layer. All text is UTF-8; comparisons are exact.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorda::base {

// The text after the last "."; the whole text when there is no dot.
std::string getExtension(std::string_view path);
// The text before the last "."; unchanged when there is no dot or the dot is the first character.
std::string removeExtension(std::string_view path);
// Replaces the extension (as removeExtension sees it) by newExt; appends "." + newExt when there is none.
// A dot inside a folder name never starts an extension.
std::string changeExtension(std::string_view path, std::string_view newExt);
// The text after the last "/"; the whole text when that is empty.
std::string getFileName(std::string_view path);
// The text up to and including the last "/"; empty when there is none.
std::string getFolder(std::string_view path);
// Appends "/" unless the text already ends with one (an empty text stays empty).
std::string addBackslash(std::string_view path);
// Removes one trailing "/" (the root "/" stays).
std::string removeBackslash(std::string_view path);
// True when the path's attributes can be read (follows symbolic links).
bool pathExists(const std::string& path);
// True when the path exists and is a folder.
bool isDirectory(const std::string& path);
// Number of non-overlapping occurrences of what in text (0 for an empty what).
int countOccurrences(std::string_view text, std::string_view what);
// Not empty and only the digits 0-9.
bool isAllDigits(std::string_view text);
// Whole minutes and the remaining seconds, each at least "00", joined by ":" (185 -> "03:05").
std::string formatDuration(long long seconds);
// The leading digits of a track padded with zeros to digits digits, the rest appended unchanged.
std::string padTrackNumber(std::string_view track, int digits);

// Unicode-aware case mapping (utf8proc). Invalid UTF-8 bytes pass through unchanged.
std::string lowerCase(std::string_view text);
std::string upperCase(std::string_view text);
// ASCII-only lower case, for extensions and keys.
std::string asciiLower(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);

// The characters trim() removes unless told otherwise.
inline constexpr std::string_view kBlanks = " \t";
// The text without the characters of blanks at both ends (a view into text).
std::string_view trimView(std::string_view text, std::string_view blanks = kBlanks);
// The same as a string of its own; trim(text, " ") removes spaces only.
std::string trim(std::string_view text, std::string_view blanks = kBlanks);

// Replaces every occurrence of from (left to right, non-overlapping); nothing for an empty from.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
// Replaces from by to again and again until from no longer occurs (to must be shorter than from).
std::string replaceUntilGone(std::string_view text, std::string_view from, std::string_view to);
// Removes the first occurrence of what only.
std::string removeFirst(std::string_view text, std::string_view what);

// ISO-8859-1 <-> UTF-8. Characters that ISO-8859-1 cannot hold become '?' and set *lossy.
std::string latin1ToUtf8(std::string_view latin1);
std::string utf8ToLatin1(std::string_view utf8, bool* lossy = nullptr);
// Valid UTF-8 stays; every invalid byte becomes U+FFFD (for showing names that are not UTF-8).
std::string toDisplayUtf8(std::string_view bytes);
bool isValidUtf8(std::string_view bytes);
// Length of the valid UTF-8 sequence that starts at pos (shortest form, no surrogates,
// at most U+10FFFF); 0 when the byte there starts none. *cp receives the code point.
size_t utf8SequenceAt(std::string_view text, size_t pos, char32_t* cp = nullptr);
// Appends the UTF-8 form of a code point (nothing for values outside Unicode).
void appendUtf8(std::string& out, char32_t cp);
// Number of characters; every byte that is not part of a valid sequence counts as one.
size_t utf8CharCount(std::string_view text);
// The first maxChars characters (counted as utf8CharCount does); never cuts inside a sequence.
std::string utf8Left(std::string_view text, size_t maxChars);
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

// "~/" at the start of a typed folder or pattern means the home folder.
std::string expandHome(std::string_view path);
// The user's home folder ($HOME, else the password database).
std::string homeFolder();

// Formats a number like the picture "### ### ##0.00": two decimals, thousands separated by a space.
std::string formatGrouped2(double value);

}  // namespace vorda::base
