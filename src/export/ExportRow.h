// SPDX-License-Identifier: GPL-2.0-or-later

// One row of the file list as the export sees it, and the text forms of its values.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "export/TemplateText.h"

namespace vorda::exports {

struct ExportRow {
    bool selected = false;  // the row is selected in the list
    bool readable = true;   // the file could be read; a row that could not is never exported

    // Tag values (the combined values of the tag handler).
    std::string artist;
    std::string album;
    std::string title;
    std::string track;  // as stored; padded on export when ExportOptions::trackDigits asks for it
    std::string year;
    std::string genre;
    std::string comment;
    std::string composer;
    std::string copyright;
    std::string encoder;
    std::string link;

    // Audio information as the MPEG reader gives it.
    std::string bitRate;             // bits per second ("128000")
    std::string channelMode;         // "Stereo", "Joint Stereo", ...
    std::string layer;               // "3"
    std::string mpegVersion;         // "1", "2", "2.5"
    std::string original;            // "-1" or "0"
    std::string sampleRate;          // Hz
    long long durationSeconds = -1;  // whole seconds; negative when the file has no audio information

    // The file.
    std::string fileName;        // with its extension
    std::string folder;          // ending with "/"
    std::uint64_t fileSize = 0;  // bytes
    std::time_t modified = 0;    // last modification
};

// The size in kilobytes (bytes / 1024, rounded), digits grouped by three with spaces, and " kB":
// "0 kB", "2 kB", "1 234 kB".
std::string formatFileSize(std::uint64_t bytes);
// Local date and time: "YYYY-MM-DD", "HH:MM:SS" and "YYYY-MM-DD HH:MM:SS".
std::string formatDate(std::time_t moment);
std::string formatTime(std::time_t moment);
std::string formatDateTime(std::time_t moment);
// The folder without its leading and trailing "/" ("/music/rock/" -> "music/rock"; "/" -> "").
std::string relativeFolder(std::string_view folder);

// The value of a file placeholder for the row, unescaped; "" for the placeholders of the export
// itself (row number, totals, today). trackDigits >= 1 pads a non-empty track number's leading digits.
std::string fileFieldValue(const ExportRow& row, Placeholder placeholder, int trackDigits);

}  // namespace vorda::exports
