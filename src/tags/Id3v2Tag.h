// SPDX-License-Identifier: GPL-2.0-or-later

// The ID3v2 tag at the start of an MPEG file (versions 2.2, 2.3 and 2.4 read; 2.3 and 2.4
// written): its frames, the twelve named fields the program edits, and the bytes to write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tags/Id3v2Frame.h"

namespace vorda::tags {

class GenreTable;
class FileBytes;

class Id3v2Tag {
public:
    Id3v2Tag();

    // Named fields. Reading gives the content of the frame that backs the field (empty when
    // there is none); setting an empty text removes that frame, unless the frame holds content
    // the field cannot show (see fieldHidesContent).
    std::string title() const { return getFrameContent("TIT2"); }
    std::string artist() const { return getFrameContent("TPE1"); }
    std::string album() const { return getFrameContent("TALB"); }
    std::string comment() const { return getFrameContent("COMM"); }
    std::string year() const;
    std::string genre() const;
    std::string track() const { return getFrameContent("TRCK"); }
    std::string composer() const { return getFrameContent("TCOM"); }
    std::string copyright() const { return getFrameContent("TCOP"); }
    std::string orgArtist() const { return getFrameContent("TOPE"); }
    std::string encodedBy() const { return getFrameContent("TENC"); }
    std::string url() const { return getFrameContent("WXXX"); }
    void setTitle(const std::string& v) { setField("TIT2", v); }
    void setArtist(const std::string& v) { setField("TPE1", v); }
    void setAlbum(const std::string& v) { setField("TALB", v); }
    void setComment(const std::string& v);
    void setYear(const std::string& v);
    void setGenre(const std::string& v);
    void setTrack(const std::string& v) { setField("TRCK", v); }
    void setComposer(const std::string& v) { setField("TCOM", v); }
    void setCopyright(const std::string& v) { setField("TCOP", v); }
    void setOrgArtist(const std::string& v) { setField("TOPE", v); }
    void setEncodedBy(const std::string& v) { setField("TENC", v); }
    void setURL(const std::string& v) { setField("WXXX", v); }

    // The frames that are not named fields, each followed by "|". The first frame of an
    // identifier is listed by its identifier, every further one as "ID#n" (the n-th frame with
    // that identifier, counted from 1); both forms address the frame in getFrameContent and
    // setFrameContent.
    std::string framesInFile() const;

    bool hasID3v2() const { return hasID3v2_; }
    void setHasID3v2(bool v) { hasID3v2_ = v; }
    // Total size in bytes, header included.
    long size() const { return size_; }
    void setSize(long v) { size_ = v; }
    bool changed() const { return changed_; }
    // Version and revision as read (a new tag: 3 and 0).
    int version() const { return version_; }
    int revision() const { return revision_; }
    int flags() const { return flags_; }
    // 1-based position of "ID3" in the file; 0 when there is no tag.
    long position() const { return position_; }
    void setPosition(long v) { position_ = v; }
    long padding() const { return padding_; }
    // A negative value is ignored.
    void setPadding(long v) {
        if (v >= 0) padding_ = v;
    }
    bool isNeeded() const { return false; }
    int frameHeadSize() const { return version_ > 2 ? 10 : 6; }

    void setGenreHandler(const GenreTable* genres) { genres_ = genres; }
    void setUnchanged() { changed_ = false; }

    // Content of a frame addressed as "ID" or "ID#n" (see framesInFile). "ID" is the first frame
    // with that identifier, for COMM the first one with an empty description when there is one.
    // Three-character identifiers of version 2.2 address their four-character twins.
    std::string getFrameContent(const std::string& key) const;
    // Empty data removes the frame; otherwise the frame gets the data, or a new frame with the
    // identifier and flag bytes is appended. Changed is set unless nothing changed.
    void setFrameContent(const std::string& key, const std::string& data, uint8_t flag1 = 0, uint8_t flag2 = 0);
    void reset();
    // Finds the tag in the first 1024 bytes of the file and reads it. False when there is none.
    bool getID3v2(const std::string& path);
    // The same on a file already open.
    bool getID3v2(FileBytes& file);
    // The identifier is a standard frame of that version (2, 3, else 4).
    static bool isFrame(std::string_view id, int version);

    // The frames in the layout of writeVersion, in order.
    std::string generateTag() const;
    // Length of generateTag, counted without copying picture and other binary payloads.
    size_t framesSize() const;
    // The 10-byte header for the current Size, or empty when Size leaves no body.
    std::string generateHeader() const;

    // Reads a tag from bytes that begin with its header (the bytes may be cut short). False when
    // the header is not a valid ID3v2 header. Position is left alone.
    bool parseTag(std::string_view bytes);
    // The whole tag to write: header, frames and padding zero bytes. Sets Padding and Size.
    std::string render(long padding);
    // The version tags are written in: 2.2 tags are written as 2.3.
    int writeVersion() const { return version_ <= 3 ? 3 : 4; }
    // Records that the tag was written as Render made it: the version becomes writeVersion and
    // the flags lose unsynchronisation, extended header and footer; Changed is cleared.
    void markWritten();

    const std::vector<Id3v2Frame>& frames() const { return frames_; }
    // The bytes after the last frame that could be read, up to the padding (a frame behind a
    // malformed identifier and all after it). They are written back after the frames.
    const std::string& unparsed() const { return unparsed_; }
    // The frame behind the named field of a main identifier (TDRC too) holds content the field
    // does not show: it is encrypted, cannot be inflated or decoded, or its first string is
    // empty. Such a field reads as empty and is neither synchronised nor cleared.
    bool fieldHidesContent(const std::string& id) const;
    // The tag holds something the named fields do not show: unparsed bytes or such a frame.
    bool holdsHiddenData() const;

private:
    // Index of the frame a key addresses, or -1.
    int findFrame(const std::string& key) const;
    // Index of the frame that backs the named field of a main identifier, or -1.
    int primaryIndex(const std::string& id) const;
    bool isPrimaryOfMainField(size_t index) const;
    void setField(const std::string& id, const std::string& v);
    // Keeps what follows the last frame read at p: unparsed bytes up to the padding.
    void keepUnparsed(std::string_view area, size_t p);
    // For a frame at p (header of head bytes) whose size runs past the area: sets size to the
    // part the frame keeps and returns where the walk goes on.
    size_t cutShortFrame(std::string_view area, size_t p, size_t head, size_t& size) const;
    // For a header at p cut by the end of the area: where the walk ends.
    static size_t skipCutHeader(std::string_view area, size_t p, size_t idLength);
    void parseFrames(std::string_view area, bool tagUnsynchronised);
    void parseFrames22(std::string_view area);
    void addParsedFrame(Id3v2Frame frame);

    std::vector<Id3v2Frame> frames_;
    std::string unparsed_;
    // The tag's size runs past the bytes read (the end of the file): what follows the frames
    // that fit is not known to belong to the tag, so it is neither kept nor read.
    bool cutByEnd_ = false;
    const GenreTable* genres_ = nullptr;
    bool changed_ = false;
    bool hasID3v2_ = false;
    long position_ = 0;
    long size_ = 0;
    long padding_ = 0;
    int version_ = 3;
    int revision_ = 0;
    int flags_ = 0;
};

}  // namespace vorda::tags
