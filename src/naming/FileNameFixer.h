// SPDX-License-Identifier: GPL-2.0-or-later

// Clean-up of names built from tags and of tag values taken from names: the "Formatting"
// options, the case conversions and the replace list.
#pragma once

#include <string>
#include <string_view>

#include "app/Settings.h"

namespace vorda::tags {
class AudioFile;
}

namespace vorda::naming {

// Cleans a file or folder name, or one value put into a pattern. keepCapitals stops the "every
// word" case rule from lowering a text without lower-case letters first (for a value whose
// whole name has lower-case letters elsewhere).
std::string fixFileName(std::string_view text, const app::Settings& s = app::settings(), bool keepCapitals = false);
// Cleans a single tag value.
std::string fixTagField(std::string_view text, const app::Settings& s = app::settings());
// Raises the first letter of every word. Words start after a space, "+", "-" or "."; the first
// letter or digit (or "@") after such a boundary is raised, so "3rd" keeps its lower-case r.
// Letters and digits are Unicode letters and decimal digits.
std::string properCase(std::string_view text);
// With keep false, removes every character of set from text; with keep true, keeps only those.
std::string removeChars(std::string_view text, std::string_view set, bool keep);
// The value the tag-fixing command writes: the file's tag value for key, cleaned; when that is
// empty, the placeholder's value read from name with the input pattern, cleaned.
std::string fixedFieldValue(tags::AudioFile& file, int key, const std::string& placeholder, const std::string& name,
                            const std::string& inPattern, const app::Settings& s = app::settings());

}  // namespace vorda::naming
