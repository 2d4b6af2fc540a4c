// SPDX-License-Identifier: GPL-2.0-or-later

// The tag editor's field edit language and its character filter, shared by every place
// that writes a typed value relative to a file's stored value.
#pragma once

#include <string>

namespace vorda::editing {

// The value to store for a field: newText applied to the stored value oldValue.
//   apply false        -> oldValue
//   "l-=N" (N numeric) -> oldValue without its first N characters
//   "l+=TEXT"          -> TEXT followed by oldValue
//   "r-=N" (N numeric) -> oldValue without its last N characters (empty when shorter)
//   "r+=TEXT"          -> oldValue followed by TEXT
//   anything else      -> newText
// N is the integer part of a decimal number; a negative N removes nothing. Characters are
// counted as Unicode characters of the UTF-8 text.
std::string applyFieldEdit(const std::string& newText, const std::string& oldValue, bool apply);

// keep true: the characters of text that occur in set, in their order; keep false: text
// without any character of set.
std::string filterChars(const std::string& text, const std::string& set, bool keep);

}  // namespace vorda::editing
