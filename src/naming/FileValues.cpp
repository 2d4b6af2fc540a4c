// SPDX-License-Identifier: GPL-2.0-or-later

#include "naming/FileValues.h"

#include <array>
#include <string_view>
#include <utility>
#include <vector>

#include "app/FileList.h"
#include "base/Text.h"
#include "naming/FileNameFixer.h"
#include "naming/PatternEngine.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace vorda::naming {

using namespace naming;

namespace {

// A value placed into a name or folder: "/" would start a new folder, NUL would cut the path,
// and a line break, tab or escape has no business in a name (it becomes a space).
std::string nameSafe(std::string_view value) {
    std::string safe;
    safe.reserve(value.size());
    for (char c : value)
        if (c != '/' && c != '\0') safe += c;
    return controlCharsToSpaces(safe);
}

// What an expansion left: the text, and whether a placeholder of the pattern had no value.
struct Expansion {
    std::string text;
    bool emptyValue = false;
};

Expansion expand(const FileValues& v, std::string_view pattern) {
    const std::string letter = utf8FirstChar(v.artist);
    const std::array<std::pair<std::string_view, const std::string*>, 9> table{{
        {"<artist>", &v.artist},
        {"<title>", &v.title},
        {"<album>", &v.album},
        {"<track>", &v.track},
        {"<year>", &v.year},
        {"<genre>", &v.genre},
        {"<comment>", &v.comment},
        {"<bitrate>", &v.bitrate},
        {"<samplerate>", &v.samplerate},
    }};
    const std::string lower = lowerCase(letter);
    const std::string upper = upperCase(letter);

    Expansion out;
    std::string& result = out.text;
    result.reserve(pattern.size() + 64);
    size_t pos = 0;
    while (pos < pattern.size()) {
        const size_t open = pattern.find('<', pos);
        if (open == std::string_view::npos) {
            result.append(pattern.substr(pos));
            break;
        }
        result.append(pattern.substr(pos, open - pos));
        const std::string* text = nullptr;
        size_t length = 0;
        for (const auto& [placeholder, value] : table) {
            if (pattern.compare(open, placeholder.size(), placeholder) == 0) {
                text = value;
                length = placeholder.size();
                break;
            }
        }
        if (!text && pattern.compare(open, 9, "<lletter>") == 0) text = &lower, length = 9;
        if (!text && pattern.compare(open, 9, "<uletter>") == 0) text = &upper, length = 9;
        if (text) {
            result += *text;
            out.emptyValue = out.emptyValue || text->empty();
            pos = open + length;
        } else {
            result += '<';
            pos = open + 1;
        }
    }
    return out;
}

// Closes the gaps that empty values leave between the separators of a pattern: doubled
// spaces, a dash with nothing on one side, empty brackets, blanks at both ends.
std::string closeGaps(std::string text) {
    text = replaceUntilGone(text, "  ", " ");
    text = replaceUntilGone(text, " - - ", " - ");
    for (const char* debris : {"() - ", " - ()", "() ", " ()", "()"}) text = replaceAll(text, debris, "");
    text = trim(text, " ");
    if (text.rfind("- ", 0) == 0) text.erase(0, 2);
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, " -") == 0) text.erase(text.size() - 2);
    return trim(text, " ");
}

std::string cutAtSlash(const std::string& track) {
    const size_t slash = track.find('/');
    return slash == std::string::npos ? track : track.substr(0, slash);
}

// Joins the components of a folder text that can neither climb nor vanish.
std::string safeRelativeFolder(std::string_view folder) {
    std::string result;
    size_t pos = 0;
    while (pos <= folder.size()) {
        size_t slash = folder.find('/', pos);
        if (slash == std::string_view::npos) slash = folder.size();
        const std::string_view part = folder.substr(pos, slash - pos);
        if (!part.empty() && part != "." && part != "..") {
            result.append(part);
            result += '/';
        }
        pos = slash + 1;
    }
    return result;
}

bool hasDot(std::string_view name) { return name.find('.') != std::string_view::npos; }

}  // namespace

FileValues getFileValues(AudioFile& file, const std::string& inPattern, long listIndex, const Settings& s) {
    FileValues v;
    v.index = listIndex;
    v.name = file.name();
    v.folder = file.path();

    struct Slot {
        std::string* value;
        const char* placeholder;
    };
    const std::array<Slot, 9> slots{{{&v.album, "<album>"},
                                     {&v.artist, "<artist>"},
                                     {&v.bitrate, "<bitrate>"},
                                     {&v.comment, "<comment>"},
                                     {&v.genre, "<genre>"},
                                     {&v.samplerate, "<samplerate>"},
                                     {&v.title, "<title>"},
                                     {&v.track, "<track>"},
                                     {&v.year, "<year>"}}};

    if (s.useTags) {
        TagHandler& tag = file.tag();
        v.artist = trim(tag.getValue(ValueKey::Artist));
        v.title = trim(tag.getValue(ValueKey::Title));
        v.album = trim(tag.getValue(ValueKey::Album));
        v.genre = trim(tag.getValue(ValueKey::Genre));
        v.comment = trim(tag.getValue(ValueKey::Comment));
        v.year = trim(tag.getValue(ValueKey::Year));
        v.track = trim(tag.getValue(ValueKey::Track));
        v.bitrate = trim(file.audio().getInfo(AudioKey::BitRate));
        v.samplerate = trim(file.audio().getInfo(AudioKey::SampleRate));
    }
    for (const Slot& slot : slots)
        if (slot.value->empty()) *slot.value = extractValue(v.name, slot.placeholder, inPattern, s);
    if (s.useTags && !v.track.empty() && s.padTrackNumber && s.trackDigits > 0)
        v.track = padTrackNumber(v.track, s.trackDigits);
    return v;
}

std::string replacePlaceholders(const FileValues& values, const std::string& pattern) {
    return expand(values, pattern).text;
}

namespace {

// The values as they go into names: the case rule for artist, title and album (caseChange 2)
// and the track cut before "/".
FileValues nameValues(const FileValues& values, const Settings& s) {
    FileValues v = values;
    if (s.caseChange == CaseChange::FirstLetter) {
        for (std::string* field : {&v.artist, &v.title, &v.album}) {
            if (s.lowerCaseFirst) *field = lowerCase(*field);
            const std::string first = utf8FirstChar(*field);
            *field = upperCase(first) + field->substr(first.size());
        }
    }
    v.track = cutAtSlash(v.track);
    return v;
}

// The values cleaned for a pattern, each on its own (only those the pattern uses). The "every
// word" rule lowers a value in capitals only when the whole expansion has no lower-case letters,
// as it would for one shouting name.
FileValues cleanValues(const FileValues& v, const std::string& pattern, const Settings& s) {
    bool keepCapitals = false;
    if (s.caseChange == CaseChange::EveryWord && !s.lowerCaseFirst) {
        const std::string raw = expand(v, pattern).text;
        keepCapitals = raw != upperCase(raw);
    }
    FileValues clean = v;
    const bool letters = pattern.find("letter>") != std::string::npos;
    const std::array<std::pair<std::string_view, std::string*>, 9> fields{{
        {"<artist>", &clean.artist},
        {"<title>", &clean.title},
        {"<album>", &clean.album},
        {"<track>", &clean.track},
        {"<year>", &clean.year},
        {"<genre>", &clean.genre},
        {"<comment>", &clean.comment},
        {"<bitrate>", &clean.bitrate},
        {"<samplerate>", &clean.samplerate},
    }};
    for (const auto& [placeholder, field] : fields)
        if (pattern.find(placeholder) != std::string::npos || (letters && field == &clean.artist))
            *field = fixFileName(nameSafe(*field), s, keepCapitals);
    return clean;
}

// Expands one name (or one folder name) from cleaned values; the text written in the pattern
// stays as typed.
std::string expandName(const FileValues& clean, std::string_view pattern, const Settings& s) {
    if (pattern.empty()) return {};
    const Expansion expanded = expand(clean, pattern);
    std::string text = stripControlChars(expanded.text);
    if (expanded.emptyValue && s.fixMisses) text = closeGaps(std::move(text));
    return text;
}

}  // namespace

std::string applyPattern(const FileValues& values, const std::string& pattern, const Settings& s) {
    if (pattern.empty()) return {};
    return expandName(cleanValues(nameValues(values, s), pattern, s), pattern, s);
}

std::string applyFolderPattern(const FileValues& values, const std::string& pattern, const Settings& s) {
    // Folder by folder, so that a gap left by an empty value is closed within its own folder
    // name and folders without placeholders keep their names exactly.
    const FileValues clean = cleanValues(nameValues(values, s), pattern, s);
    const std::string_view text = pattern;
    std::string expanded;
    for (size_t pos = 0; pos <= text.size();) {
        size_t slash = text.find('/', pos);
        if (slash == std::string_view::npos) slash = text.size();
        expanded += expandName(clean, text.substr(pos, slash - pos), s);
        expanded += '/';
        pos = slash + 1;
    }
    const std::string folder = safeRelativeFolder(expanded);
    return !pattern.empty() && pattern.front() == '/' ? "/" + folder : folder;
}

std::string buildDestinationFolder(const std::string& targetDir, const FileValues& values, const std::string& pattern,
                                   const Settings& s) {
    const std::string target = addBackslash(expandHome(targetDir));
    if (trim(pattern).empty()) return target;
    if (pattern.front() == '/') return applyFolderPattern(values, pattern, s);
    if (pattern.rfind("~/", 0) == 0)
        return addBackslash(homeFolder()) + applyFolderPattern(values, pattern.substr(2), s);
    return target + applyFolderPattern(values, pattern, s);
}

std::string buildNewFileName(const FileValues& values, const std::string& outPattern, const Settings& s) {
    if (values.name.empty()) return {};

    // A name without a dot has no extension (not the whole name as one).
    std::string extension = hasDot(values.name) ? getExtension(values.name) : std::string();
    std::string pattern = outPattern;
    const std::string patternExtension = hasDot(outPattern) ? getExtension(outPattern) : std::string();
    const size_t patternExtensionLength = utf8CharCount(patternExtension);
    if (patternExtensionLength > 0 && patternExtensionLength < 6 &&
        patternExtension.find_first_of("<>") == std::string::npos) {
        extension = patternExtension;
        pattern = removeExtension(pattern);
    } else if (utf8CharCount(extension) > 5) {
        extension.clear();
    }

    std::string body = applyPattern(values, pattern, s);
    if (!extension.empty()) extension = "." + (s.lowerCaseExtension ? lowerCase(extension) : extension);
    if (s.limitFileNameLength && s.maxFileNameLength > 0 &&
        utf8CharCount(body) > static_cast<size_t>(s.maxFileNameLength))
        body = utf8Left(body, static_cast<size_t>(s.maxFileNameLength - 1)) + "~";

    std::string name;
    for (char c : stripControlChars(body + extension))
        if (kFileNameIllegal.find(c) == std::string_view::npos) name += c;
    // "." and ".." name folders, never a file: such a name is no name.
    if (name == "." || name == "..") name.clear();
    return name;
}

std::string previewNewName(bool fixFilenames, AudioFile& file, const std::string& inPattern, long listIndex,
                           const std::string& outPattern, const std::string& oldName, const Settings& s) {
    if (!fixFilenames) return oldName;
    return buildNewFileName(getFileValues(file, inPattern, listIndex, s), outPattern, s);
}

int countSelectedFiles(const FileList& list) { return list.selectedCount(); }

}  // namespace vorda::naming
