// SPDX-License-Identifier: GPL-2.0-or-later

// The values of one file used to expand naming patterns, and the expansion itself: new file
// names and destination folders built from tags.
#pragma once

#include <string>

#include "app/Settings.h"

namespace vorda::tags {
class AudioFile;
}
namespace vorda::app {
class FileList;
}

namespace vorda::naming {

struct FileValues {
    long index = 0;      // the file's row in the file list
    std::string name;    // file name with extension
    std::string folder;  // folder, ending with "/"
    std::string album;
    std::string artist;
    std::string title;
    std::string track;
    std::string comment;
    std::string year;
    std::string genre;
    std::string bitrate;
    std::string samplerate;
};

// The values of a file: its tags and audio information (when useTags is on), with the values
// that are still empty read from the file name by the input pattern; the track is padded to
// trackDigits digits when padTrackNumber is on. With useTags off every value comes from the name.
FileValues getFileValues(tags::AudioFile& file, const std::string& inPattern, long listIndex,
                         const app::Settings& s = app::settings());

// Replaces every placeholder of pattern by its value, in one pass: a value is inserted as text
// and never expanded again. "<lletter>"/"<uletter>" are the artist's first character in
// lower/upper case.
std::string replacePlaceholders(const FileValues& values, const std::string& pattern);

// Expands a pattern into a name: the case rule for artist, title and album (caseChange 2), the
// track cut before "/", the filename clean-up of each value, the expansion. The text written in
// the pattern is kept as typed; only where a value is empty are the gaps around it closed
// ("Fix common mistakes"). A tag value is text, not a path: every "/" inside a value is removed,
// so only the "/" written in the pattern separates folders, and control characters in a value
// become spaces (none is left in the result).
std::string applyPattern(const FileValues& values, const std::string& pattern,
                         const app::Settings& s = app::settings());

// applyPattern for a path, album or folder pattern, folder by folder, made safe as a relative folder: empty
// components and components "." and ".." are dropped, so the result never climbs out of the
// folder it is joined to. It begins with "/" only when the pattern does; a non-empty result ends
// with "/".
std::string applyFolderPattern(const FileValues& values, const std::string& pattern,
                               const app::Settings& s = app::settings());

// The destination folder of a file (ending with "/"): a pattern that begins with "/" gives an
// absolute folder, one that begins with "~/" a folder below the home folder, any other is joined
// to targetDir ("~/" there is the home folder too). An empty pattern gives targetDir itself.
std::string buildDestinationFolder(const std::string& targetDir, const FileValues& values, const std::string& pattern,
                                   const app::Settings& s = app::settings());

// The new file name from the output pattern: the pattern's own short extension (up to 5
// characters, no placeholder in it) replaces the file's, else the file keeps its extension;
// lowerCaseExtension, limitFileNameLength/maxFileNameLength; the characters <>?\/:"|* are removed.
// "" when the record has no file name, or when the name would be "." or "..".
std::string buildNewFileName(const FileValues& values, const std::string& outPattern,
                             const app::Settings& s = app::settings());

// The text of the new-name box: the built name when "Fix filenames" is checked, else the old name.
std::string previewNewName(bool fixFilenames, tags::AudioFile& file, const std::string& inPattern, long listIndex,
                           const std::string& outPattern, const std::string& oldName,
                           const app::Settings& s = app::settings());

// Number of selected rows of the list.
int countSelectedFiles(const app::FileList& list);

}  // namespace vorda::naming
