// SPDX-License-Identifier: GPL-2.0-or-later

// The edits of the dialog's Trim and Add pages on one value. A character is what a reader
// sees as one: a letter with its combining accents is removed as a whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorda::find {

enum class TextSide : int { Beginning = 0, End = 1 };

// The value without count characters at the given side; empty when it has no more.
std::string trimText(std::string_view value, size_t count, TextSide side);

// The value with text put before it or after it.
std::string addText(std::string_view value, std::string_view text, TextSide side);

}  // namespace vorda::find
