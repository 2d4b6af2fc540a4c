// SPDX-License-Identifier: GPL-2.0-or-later

#include "freedb/AlbumLookup.h"

#include <algorithm>

#include "base/FileOps.h"
#include "base/Text.h"
#include "naming/FileNameFixer.h"
#include "naming/FileValues.h"
#include "naming/PatternEngine.h"
#include "naming/SortCommands.h"
#include "tags/AudioFile.h"

using namespace vorda::app;
using namespace vorda::base;
using namespace vorda::tags;

namespace vorda::freedb {

AlbumLookup::AlbumLookup(UserInterface& ui, const Settings& s) : ui_(ui), s_(s) { reset(); }

void AlbumLookup::reset() {
    album_.reset();
    files_.clear();
    review_.reset();
    if (s_.applyFormatting)
        review_.setFormatter([this](std::string_view text) { return naming::fixTagField(text, s_); });
    else
        review_.setFormatter({});
}

void AlbumLookup::addFile(AlbumFile file, const std::string& shownName, std::int64_t seconds) {
    // The album holds at most 99 tracks; later files are neither looked up nor written.
    if (!album_.addTrack(seconds)) return;
    files_.push_back(std::move(file));
    const std::string k = std::to_string(files_.size());
    review_.addFile(shownName, s_.padTrackNumber && s_.trackDigits >= 1 ? padTrackNumber(k, s_.trackDigits) : k);
}

void AlbumLookup::addSelectedRows(const FileList& list) {
    for (int row = 1; row <= list.count(); ++row) {
        if (!list.selected(row)) continue;
        // A Duration cell that holds no time (a file without audio) counts as 0 seconds.
        const auto seconds = durationSeconds(list.getCellContent(row, ListColumn::Duration));
        addFile({list.getFullPath(row), row}, list.getCellContent(row, ListColumn::Filename), seconds.value_or(0));
    }
}

bool AlbumLookup::confirmAlbum() {
    if (album_.trackCount() == 0) {
        ui_.ask("No files selected. You have to select a complete album.", MessageButtons::Ok,
                MessageIcon::Information);
        reset();
        return false;
    }
    if (album_.trackCount() < 4 &&
        ui_.ask("It seems like you have selected very few files. Are you sure the selected files makes a complete "
                "album?",
                MessageButtons::YesNo, MessageIcon::Question) != MessageAnswer::Yes) {
        reset();
        return false;
    }
    return true;
}

ClientSettings AlbumLookup::clientSettings() const {
    ClientSettings server;
    server.remoteHost = s_.remoteHost;
    server.remotePort = static_cast<int>(s_.remotePort);
    server.userName = s_.userName;
    server.userHost = s_.userHost;
    return server;
}

std::string AlbumLookup::statusText(Status status, const ClientSettings& server, std::string_view query) {
    switch (status) {
    case Status::Disconnected: return "Status: freedb, disconnected";
    case Status::Connected:
        return "Status: freedb, connecting to " + server.remoteHost + ":" + std::to_string(server.remotePort);
    case Status::Handshaking: return "Status: freedb, handshaking...";
    case Status::Ready: return "Status: freedb ready...";
    case Status::QuerySent: return "Status: freedb, query sent " + std::string(query);
    case Status::ReadSent: return "Status: freedb, read sent waiting for reply...";
    case Status::ResultReceived: return "Status: freedb, received result";
    }
    return {};
}

void AlbumLookup::tellConnectionFailed() {
    ui_.ask("Could not connect to server!\nPlease make sure you are connected to the Internet.", MessageButtons::Ok,
            MessageIcon::Information);
}

void AlbumLookup::tellError(int code, std::string_view description) {
    ui_.ask("freedb returned error " + std::to_string(code) + ": " + std::string(description), MessageButtons::Ok,
            MessageIcon::Information);
}

void AlbumLookup::tellNoMatches() {
    ui_.ask("freedb found no matches for the selected album.", MessageButtons::Ok, MessageIcon::Information);
}

ReviewWriting AlbumLookup::writeReview(const AlbumReview& review, const std::string& outPattern,
                                       const FileWritten& written) {
    const ReviewTicks& ticks = review.ticks;
    ReviewWriting result;
    const size_t rows = std::min(review.rows.size(), files_.size());
    for (size_t i = 0; i < rows; ++i) {
        const ReviewRow& row = review.rows[i];
        AudioFile file;
        file.setOptions(tagOptions(s_));
        if (!file.readFile(files_[i].fullPath, true)) continue;
        file.setOverwriteQuestion([this](const std::string& source, const std::string& destination) {
            return naming::askFileExistAction(ui_, s_.fileExistAction, source, destination);
        });
        TagHandler& tag = file.tag();
        bool allStored = true;
        const auto set = [&tag, &allStored](bool ticked, int key, const std::string& value) {
            if (ticked && !tag.setValue(key, value) && !value.empty()) allStored = false;
        };
        set(ticks.artist, ValueKey::Artist, row.artist);
        set(ticks.album, ValueKey::Album, review.album);
        set(ticks.year, ValueKey::Year, review.year);
        set(ticks.genre, ValueKey::Genre, review.genre);
        set(ticks.trackNumber, ValueKey::Track, row.track);
        set(ticks.comment, ValueKey::Comment, review.comment);
        set(ticks.title, ValueKey::Title, row.title);
        if (!allStored) result.valuesWithoutTag.push_back(file.fullPath());
        const auto fail = [this](const std::string& reason) {
            ui_.ask("Error while updating tags with freedb data:\n" + reason, MessageButtons::Ok, MessageIcon::Error);
        };
        const auto failWith = [&fail](int error) { fail("Error " + std::to_string(error) + ": " + errorText(error)); };
        // The tag layer leaves a read-only file alone without a word; here that is a file not written.
        if (file.getAttributes() == FileAttribute::ReadOnly && !s_.ignoreReadOnly) {
            fail(file.name() + " is read-only; writing to it is not allowed according to the current settings.");
            return result;
        }
        if (const int error = file.putTags()) {
            failWith(error);
            return result;
        }
        int renameError = 0;
        if (ticks.rename) {
            const std::string inPattern = naming::detectInPattern(file.fullPath(), s_);
            const long index = files_[i].row > 0 ? files_[i].row : static_cast<long>(i + 1);
            const naming::FileValues values = naming::getFileValues(file, inPattern, index, s_);
            const std::string newName = naming::buildNewFileName(values, outPattern, s_);
            // An overwrite the user declined (-1) leaves the file under its name.
            if (!newName.empty() && newName != file.name()) renameError = std::max(file.rename(newName), 0);
        }
        ++result.filesWritten;
        if (written) written(static_cast<int>(i + 1), file);
        if (renameError != 0) {
            failWith(renameError);
            return result;
        }
    }
    return result;
}

}  // namespace vorda::freedb
