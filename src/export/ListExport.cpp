// SPDX-License-Identifier: GPL-2.0-or-later

#include "export/ListExport.h"

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "app/FileList.h"
#include "app/Settings.h"
#include "base/Text.h"
#include "tags/AudioFile.h"
#include "tags/TagHandler.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace vorda::exports {

ExportRow rowFromFile(const std::string& path, const TagOptions& options, bool selected) {
    ExportRow row;
    row.selected = selected;
    AudioFile file;
    file.setOptions(options);
    if (!file.readFile(path, true)) {
        row.readable = false;
        return row;
    }
    TagHandler& tag = file.tag();
    row.artist = tag.getValue(ValueKey::Artist);
    row.album = tag.getValue(ValueKey::Album);
    row.title = tag.getValue(ValueKey::Title);
    row.track = tag.getValue(ValueKey::Track);
    row.year = tag.getValue(ValueKey::Year);
    row.genre = tag.getValue(ValueKey::Genre);
    row.comment = tag.getValue(ValueKey::Comment);
    row.composer = tag.getValue(ValueKey::Composer);
    row.copyright = tag.getValue(ValueKey::Copyright);
    row.encoder = tag.getValue(ValueKey::EncodedBy);
    row.link = tag.getValue(ValueKey::Url);
    const AudioInfo& audio = file.audio();
    row.bitRate = audio.getInfo(AudioKey::BitRate);
    row.channelMode = audio.getInfo(AudioKey::ChannelMode);
    row.layer = audio.getInfo(AudioKey::Layer);
    row.mpegVersion = audio.getInfo(AudioKey::Version);
    row.original = audio.getInfo(AudioKey::Original);
    row.sampleRate = audio.getInfo(AudioKey::SampleRate);
    const std::string seconds = audio.getInfo(AudioKey::Duration);
    row.durationSeconds = isAllDigits(seconds) && seconds.size() < 18 ? std::stoll(seconds) : -1;
    row.fileName = file.name();
    row.folder = file.path();
    row.fileSize = static_cast<std::uint64_t>(file.fileSize());
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) row.modified = st.st_mtime;
    return row;
}

std::vector<ExportRow> rowsOfList(const FileList& list, const TagOptions& options, long maxRows, bool selectedOnly) {
    long count = list.count();
    if (maxRows > 0 && maxRows < count) count = maxRows;
    std::vector<ExportRow> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int i = 1; i <= count; ++i) {
        const bool selected = list.selected(i);
        if (selectedOnly && !selected) {
            ExportRow skipped;
            skipped.readable = false;
            rows.push_back(skipped);
            continue;
        }
        rows.push_back(rowFromFile(list.getFullPath(i), options, selected));
    }
    return rows;
}

int trackDigitsOf(const Settings& settings) { return settings.padTrackNumber ? settings.trackDigits : 0; }

std::error_code exportSelectedRows(const ExportTemplate& tpl, ExportType type, const std::vector<ExportRow>& rows,
                                   const std::string& path, int trackDigits) {
    ExportOptions options;
    options.type = type;
    options.allFiles = false;
    options.trackDigits = trackDigits;
    return writeExport(path, generateExportCode(tpl, rows, options));
}

}  // namespace vorda::exports
