// The ID3v2 tag at the start of an MPEG file (versions 2.2, 2.3 and 2.4 read; 2.3 and 2.4
// written): its frames, the twelve named fields the program edits, and the bytes to write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tags/clsV2Field.h"

namespace vorda {

class clsGenres;
class FileBytes;

class clsID3v2 {
public:
    clsID3v2();

    // Named fields. Reading gives the content of the frame that backs the field (empty when
    // there is none); setting an empty text removes that frame, unless the frame holds content
    // the field cannot show (see FieldHidesContent).
    std::string Title() const { return GetFrameContent("TIT2"); }
    std::string Artist() const { return GetFrameContent("TPE1"); }
    std::string Album() const { return GetFrameContent("TALB"); }
    std::string Comment() const { return GetFrameContent("COMM"); }
    std::string Year() const;
    std::string Genre() const;
    std::string Track() const { return GetFrameContent("TRCK"); }
    std::string Composer() const { return GetFrameContent("TCOM"); }
    std::string Copyright() const { return GetFrameContent("TCOP"); }
    std::string OrgArtist() const { return GetFrameContent("TOPE"); }
    std::string EncodedBy() const { return GetFrameContent("TENC"); }
    std::string URL() const { return GetFrameContent("WXXX"); }
    void setTitle(const std::string& v) { SetField("TIT2", v); }
    void setArtist(const std::string& v) { SetField("TPE1", v); }
    void setAlbum(const std::string& v) { SetField("TALB", v); }
    void setComment(const std::string& v);
    void setYear(const std::string& v);
    void setGenre(const std::string& v);
    void setTrack(const std::string& v) { SetField("TRCK", v); }
    void setComposer(const std::string& v) { SetField("TCOM", v); }
    void setCopyright(const std::string& v) { SetField("TCOP", v); }
    void setOrgArtist(const std::string& v) { SetField("TOPE", v); }
    void setEncodedBy(const std::string& v) { SetField("TENC", v); }
    void setURL(const std::string& v) { SetField("WXXX", v); }

    // The frames that are not named fields, each followed by "|". The first frame of an
    // identifier is listed by its identifier, every further one as "ID#n" (the n-th frame with
    // that identifier, counted from 1); both forms address the frame in GetFrameContent and
    // SetFrameContent.
    std::string FramesInFile() const;

    bool HasID3v2() const { return hasID3v2_; }
    void setHasID3v2(bool v) { hasID3v2_ = v; }
    // Total size in bytes, header included.
    long Size() const { return size_; }
    void setSize(long v) { size_ = v; }
    bool Changed() const { return changed_; }
    // Version and revision as read (a new tag: 3 and 0).
    int Version() const { return version_; }
    int Revision() const { return revision_; }
    int flags() const { return flags_; }
    // 1-based position of "ID3" in the file; 0 when there is no tag.
    long Position() const { return position_; }
    void setPosition(long v) { position_ = v; }
    long Padding() const { return padding_; }
    // A negative value is ignored.
    void setPadding(long v) {
        if (v >= 0) padding_ = v;
    }
    bool isNeeded() const { return false; }
    int FrameHeadSize() const { return version_ > 2 ? 10 : 6; }

    void SetGenreHandler(const clsGenres* genres) { genres_ = genres; }
    void SetUnchanged() { changed_ = false; }

    // Content of a frame addressed as "ID" or "ID#n" (see FramesInFile). "ID" is the first frame
    // with that identifier, for COMM the first one with an empty description when there is one.
    // Three-character identifiers of version 2.2 address their four-character twins.
    std::string GetFrameContent(const std::string& key) const;
    // Empty data removes the frame; otherwise the frame gets the data, or a new frame with the
    // identifier and flag bytes is appended. Changed is set unless nothing changed.
    void SetFrameContent(const std::string& key, const std::string& data, uint8_t flag1 = 0,
                         uint8_t flag2 = 0);
    void Reset();
    // Finds the tag in the first 1024 bytes of the file and reads it. False when there is none.
    bool GetID3v2(const std::string& path);
    // The same on a file already open.
    bool GetID3v2(FileBytes& file);
    // The identifier is a standard frame of that version (2, 3, else 4).
    static bool IsFrame(std::string_view id, int version);

    // The frames in the layout of WriteVersion, in order.
    std::string GenerateTag() const;
    // Length of GenerateTag, counted without copying picture and other binary payloads.
    size_t FramesSize() const;
    // The 10-byte header for the current Size, or empty when Size leaves no body.
    std::string GenerateHeader() const;

    // Reads a tag from bytes that begin with its header (the bytes may be cut short). False when
    // the header is not a valid ID3v2 header. Position is left alone.
    bool ParseTag(std::string_view bytes);
    // The whole tag to write: header, frames and padding zero bytes. Sets Padding and Size.
    std::string Render(long padding);
    // The version tags are written in: 2.2 tags are written as 2.3.
    int WriteVersion() const { return version_ <= 3 ? 3 : 4; }
    // Records that the tag was written as Render made it: the version becomes WriteVersion and
    // the flags lose unsynchronisation, extended header and footer; Changed is cleared.
    void MarkWritten();

    const std::vector<clsV2Field>& Frames() const { return frames_; }
    // The bytes after the last frame that could be read, up to the padding (a frame behind a
    // malformed identifier and all after it). They are written back after the frames.
    const std::string& Unparsed() const { return unparsed_; }
    // The frame behind the named field of a main identifier (TDRC too) holds content the field
    // does not show: it is encrypted, cannot be inflated or decoded, or its first string is
    // empty. Such a field reads as empty and is neither synchronised nor cleared.
    bool FieldHidesContent(const std::string& id) const;
    // The tag holds something the named fields do not show: unparsed bytes or such a frame.
    bool HoldsHiddenData() const;

private:
    // Index of the frame a key addresses, or -1.
    int FindFrame(const std::string& key) const;
    // Index of the frame that backs the named field of a main identifier, or -1.
    int PrimaryIndex(const std::string& id) const;
    bool IsPrimaryOfMainField(size_t index) const;
    void SetField(const std::string& id, const std::string& v);
    // Keeps what follows the last frame read at p: unparsed bytes up to the padding.
    void KeepUnparsed(std::string_view area, size_t p);
    // For a frame at p (header of head bytes) whose size runs past the area: sets size to the
    // part the frame keeps and returns where the walk goes on.
    size_t CutShortFrame(std::string_view area, size_t p, size_t head, size_t& size) const;
    // For a header at p cut by the end of the area: where the walk ends.
    static size_t SkipCutHeader(std::string_view area, size_t p, size_t idLength);
    void ParseFrames(std::string_view area, bool tagUnsynchronised);
    void ParseFrames22(std::string_view area);
    void AddParsedFrame(clsV2Field frame);

    std::vector<clsV2Field> frames_;
    std::string unparsed_;
    // The tag's size runs past the bytes read (the end of the file): what follows the frames
    // that fit is not known to belong to the tag, so it is neither kept nor read.
    bool cutByEnd_ = false;
    const clsGenres* genres_ = nullptr;
    bool changed_ = false;
    bool hasID3v2_ = false;
    long position_ = 0;
    long size_ = 0;
    long padding_ = 0;
    int version_ = 3;
    int revision_ = 0;
    int flags_ = 0;
};

}  // namespace vorda
