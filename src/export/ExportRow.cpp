// SPDX-License-Identifier: GPL-2.0-or-later

#include "export/ExportRow.h"

#include <cstdio>

#include "base/Text.h"

using namespace vorda::base;

namespace vorda::exports {

namespace {

std::string formatLocal(std::time_t moment, const char* format) {
    std::tm local{};
    if (!::localtime_r(&moment, &local)) return {};
    char buffer[64];
    const size_t n = std::strftime(buffer, sizeof buffer, format, &local);
    return std::string(buffer, n);
}

}  // namespace

std::string formatFileSize(std::uint64_t bytes) {
    const std::string digits = std::to_string(bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0));
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 + 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
        out += digits[i];
    }
    return out + " kB";
}

std::string formatDate(std::time_t moment) { return formatLocal(moment, "%Y-%m-%d"); }
std::string formatTime(std::time_t moment) { return formatLocal(moment, "%H:%M:%S"); }
std::string formatDateTime(std::time_t moment) { return formatLocal(moment, "%Y-%m-%d %H:%M:%S"); }

std::string relativeFolder(std::string_view folder) {
    while (folder.starts_with('/')) folder.remove_prefix(1);
    while (folder.ends_with('/')) folder.remove_suffix(1);
    return std::string(folder);
}

std::string fileFieldValue(const ExportRow& row, Placeholder placeholder, int trackDigits) {
    switch (placeholder) {
    case Placeholder::Artist: return row.artist;
    case Placeholder::Album: return row.album;
    case Placeholder::Title: return row.title;
    case Placeholder::Track:
        return trackDigits >= 1 && !row.track.empty() ? padTrackNumber(row.track, trackDigits) : row.track;
    case Placeholder::Year: return row.year;
    case Placeholder::Genre: return row.genre;
    case Placeholder::Comment: return row.comment;
    case Placeholder::Composer: return row.composer;
    case Placeholder::Copyright: return row.copyright;
    case Placeholder::Encoder: return row.encoder;
    case Placeholder::Link: return row.link;
    case Placeholder::BitRate: return row.bitRate;
    case Placeholder::ChannelMode: return row.channelMode;
    case Placeholder::Layer: return "Layer " + row.layer;
    case Placeholder::MpegVersion: return "MPEG " + row.mpegVersion;
    case Placeholder::Original: return row.original;
    case Placeholder::SampleRate: return row.sampleRate;
    case Placeholder::Seconds: return row.durationSeconds < 0 ? std::string() : std::to_string(row.durationSeconds);
    case Placeholder::Duration: return row.durationSeconds < 0 ? std::string() : formatDuration(row.durationSeconds);
    case Placeholder::FileDate: return formatDateTime(row.modified);
    case Placeholder::FileSize: return formatFileSize(row.fileSize);
    case Placeholder::FileName: return row.fileName;
    case Placeholder::RelFilePath: return relativeFolder(row.folder);
    case Placeholder::FilePath: return removeBackslash(row.folder);
    case Placeholder::RowNr:
    case Placeholder::OddEven:
    case Placeholder::TotFiles:
    case Placeholder::TodayDate:
    case Placeholder::TodayTime: break;
    }
    return {};
}

}  // namespace vorda::exports
