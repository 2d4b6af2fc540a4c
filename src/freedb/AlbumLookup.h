// SPDX-License-Identifier: GPL-2.0-or-later

// A freedb lookup as the user runs it, apart from the connection: the album made of the chosen
// files (their list rows and playing times), the questions before asking the server, the status
// texts and messages of the conversation, and writing a reviewed result into the files (with the
// optional rename by an output pattern).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/FileList.h"
#include "app/Settings.h"
#include "app/UserInterface.h"
#include "freedb/Album.h"
#include "freedb/AlbumReview.h"
#include "freedb/CddbClient.h"

namespace vorda::tags {
class AudioFile;
}

namespace vorda::freedb {

// One file of the album: where it is and the list row that shows it (0 when none does).
struct AlbumFile {
    std::string fullPath;
    int row = 0;
};

// How far the writing of a review got.
struct ReviewWriting {
    int filesWritten = 0;
    // The files of which a ticked, non-empty value found no tag to hold it (the tag options add
    // none), as their full paths.
    std::vector<std::string> valuesWithoutTag;
};

class AlbumLookup {
public:
    // Told after a file of the album was written (and renamed): its place k (1, 2, ...) in the
    // album and the file object as it now is.
    using FileWritten = std::function<void(int k, tags::AudioFile& file)>;

    AlbumLookup(app::UserInterface& ui, const app::Settings& s);

    // Starts a new album and an empty review (cleaned with the tag-field rules when the settings
    // ask for formatting).
    void reset();
    // Adds a file of the given playing time; the review gets its row (the track number k).
    void addFile(AlbumFile file, const std::string& shownName, std::int64_t seconds);
    // The selected rows of the list, in list order, with the time of their Duration cell.
    void addSelectedRows(const app::FileList& list);
    // The questions before a lookup: none selected (stop), fewer than four (asks whether the
    // album is complete). False when the lookup is not to go on; the album is then reset.
    [[nodiscard]] bool confirmAlbum();

    [[nodiscard]] const Album& album() const { return album_; }
    [[nodiscard]] const std::vector<AlbumFile>& files() const { return files_; }
    [[nodiscard]] AlbumReview& review() { return review_; }

    // The connection settings the lookup uses (server, port, user and host from the settings).
    [[nodiscard]] ClientSettings clientSettings() const;

    // The status-bar text of a step of the conversation.
    [[nodiscard]] static std::string statusText(Status status, const ClientSettings& server, std::string_view query);
    // The messages of the conversation's ends.
    void tellConnectionFailed();
    void tellError(int code, std::string_view description);
    void tellNoMatches();

    // Writes the review into the files in album order: the ticked values through the tag
    // handler, then the rename when ticked (a name taken by another file asks the settings'
    // overwrite question). A file that cannot be read is passed over; the first failure to write
    // or rename (a read-only file the settings keep unwritten included) is told and ends the
    // writing (files written before keep their tags).
    ReviewWriting writeReview(const AlbumReview& review, const std::string& outPattern,
                              const FileWritten& written = {});

private:
    app::UserInterface& ui_;
    const app::Settings& s_;
    Album album_;
    AlbumReview review_;
    std::vector<AlbumFile> files_;
};

}  // namespace vorda::freedb
