// SPDX-License-Identifier: GPL-2.0-or-later

// The "ID3v2+" page's work without widgets: the list of additional ID3v2 frames, a frame's
// content as text or as an attached picture, deleting and exporting frames, adding a
// picture, and copying values between the ID3v1 and ID3v2 tags of one or several files.
// Every frame access goes through the tag handler's ValueKey::V2Frame key.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/ListCommands.h"
#include "app/UserInterface.h"
#include "editing/BatchTagCommands.h"

namespace vorda::tags {
class AudioFile;
}

namespace vorda::editing {

// The identifiers of the frames that are not edited as named fields ("ID" or "ID#n"), in the
// order of the tag.
std::vector<std::string> frameList(tags::AudioFile& file);

// True for an attached-picture frame: "APIC", "PIC" and their "#n" forms.
bool isPictureFrame(const std::string& id);

// A text-like frame's content as the page shows it: the last non-blank segment of the
// zero-separated content, cut before any remaining character 0.
std::string frameContentText(const std::string& content);

// Image formats recognised by their first bytes.
enum class ImageFormat { Unknown, JPEG, PNG, GIF, BMP };
ImageFormat detectImageFormat(std::string_view bytes);
// "jpg", "png", "gif", "bmp"; "" for Unknown.
std::string imageExtension(ImageFormat format);
// "image/jpeg", "image/png", "image/gif", "image/bmp"; "" for Unknown.
std::string imageMimeType(ImageFormat format);
// The format a MIME type names ("image/jpg" and "image/jpeg" are JPEG), case-insensitive.
ImageFormat formatOfMimeType(const std::string& mime);

// An attached picture taken apart.
struct PictureData {
    std::string mime;                           // lower case, as stored
    int pictureType = 0;                        // 3 = front cover
    std::string description;                    // raw bytes, in the frame's text encoding
    std::string bytes;                          // the picture's own bytes, unchanged
    ImageFormat format = ImageFormat::Unknown;  // the real format, by magic bytes, else by MIME type
    // The picture can be shown: its bytes are a known image format, or its MIME type names one.
    bool showable() const { return format != ImageFormat::Unknown; }
};
// Splits an APIC payload (encoding, MIME type, 0, picture type, description, 0, data). Frames
// read from version 2.2 tags arrive in this layout too. False when content is too short.
bool parsePicture(const std::string& content, PictureData& picture);
// An APIC payload: Latin-1 encoding, the MIME type, the picture type, an empty description.
std::string buildPicturePayload(const std::string& bytes, const std::string& mime, int pictureType = 3);

// What the page shows for one frame (showID3v2Frame).
struct FrameView {
    std::string id;
    bool isPicture = false;  // a picture frame with a showable picture
    std::string text;        // text-like frames: the text shown
    PictureData picture;     // picture frames
};
FrameView showID3v2Frame(tags::AudioFile& file, const std::string& id);

// Removes the frames (in memory; the next save writes), from the last to the first so the
// "ID#n" names of the others stay valid. Returns the number removed.
int deleteFrames(tags::AudioFile& file, std::vector<std::string> ids);

// Replaces the content of the file at path with bytes (created when missing). 0 or an errno value.
int writeFileBytes(const std::string& path, std::string_view bytes);
// The name an exported picture is written under: chosen when its extension already names the
// picture's real format ("jpeg" counts as "jpg"), chosen with another image extension replaced,
// else chosen with the real extension appended.
std::string pictureExportPath(const std::string& chosen, ImageFormat format);
// Export: a picture's own bytes under pictureExportPath, or the text. *written receives the
// path written. 0 or an errno value.
int exportFrame(const FrameView& view, const std::string& chosen, std::string* written = nullptr);
// The save dialog's filter for a view: "JPEG Picture (*.jpg)" ... or the text filter.
std::string exportFilter(const FrameView& view);

// Adds an attached picture (front cover) to the file's ID3v2 tag, in memory: the image's bytes
// and the MIME type of its real format. An existing front cover with an empty description is
// replaced, any other picture kept. The ID3v2 tag is added when the file has none.
// Returns false (tag unchanged) when the bytes are not a JPEG, PNG, GIF or BMP image.
bool addPicture(tags::AudioFile& file, const std::string& imageBytes);
// The same with an image file; false when it cannot be read or is no image. *error gets the reason.
bool addPictureFile(tags::AudioFile& file, const std::string& imagePath, std::string* error = nullptr);
// Reads an image file for addPicture: its bytes and the MIME type of its real format. False when
// it cannot be read or is no JPEG, PNG, GIF or BMP image; *error gets the reason.
bool readPictureFile(const std::string& imagePath, std::string& bytes, std::string& mime, std::string* error = nullptr);

// One-file copies on the screen (nothing is written).
// ID3v2 -> ID3v1: the first 30 characters of title, artist, album and comment; year and track
// as their leading number ("0" and no number give "").
struct V1Texts {
    std::string title, artist, album, year, track, comment;
};
V1Texts copyToV1Texts(const std::string& title, const std::string& artist, const std::string& album,
                      const std::string& year, const std::string& track, const std::string& comment);
// The leading number of text as VB's Val gives it, as text; "" for 0 or no number.
std::string leadingNumberText(const std::string& text);

// Copies between the tags of every selected file, writing each file itself.
class TagCopyCommands {
public:
    TagCopyCommands(app::ListCommands& cmds, app::UserInterface& ui);
    // Files with an ID3v1 tag get an ID3v2 tag with its title, artist, album, comment, year,
    // genre and track. Files without one are left alone.
    BatchResult copyToV2Several();
    // Files with an ID3v2 tag get an ID3v1 tag with its values (cut to the ID3v1 widths).
    BatchResult copyToV1Several();

    static constexpr const char* kNotOnMultiple = "This action cannot be performed on multiple files!";

private:
    BatchResult copySeveral(int sourceKind, int targetKind, const int (*pairs)[2], int count);
    app::ListCommands& cmds_;
    app::UserInterface& ui_;
};

}  // namespace vorda::editing
