// SPDX-License-Identifier: GPL-2.0-or-later

// The tags at the end of an MPEG file: the 128-byte ID3v1 / ID3v1.1 tag and, directly in
// front of it, an optional Lyrics3 block (version 2 read and written, version 1 read).
//
// Values are UTF-8 in memory and ISO-8859-1 on disk; characters ISO-8859-1 cannot hold are
// written as "?" (losesCharacters tells when that would happen). Every size found in a file
// is checked against the file before it is used: a damaged block is not a block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tags/GenreList.h"
#include "tags/TagOptions.h"

namespace vorda::tags {

class FileBytes;

class Id3v1Tag {
public:
    static constexpr int64_t kTagSize = 128;   // the ID3v1 tag
    static constexpr size_t kFieldWidth = 30;  // title, artist, album, comment on disk
    static constexpr size_t kYearWidth = 4;
    static constexpr size_t kMaxLongField = 250;        // title, artist, album, author in memory
    static constexpr size_t kMaxLyrics3V1Text = 5100;   // text of a version 1 Lyrics3 block
    static constexpr size_t kMaxLyrics3Field = 99999;   // five size digits
    static constexpr size_t kMaxLyrics3Block = 999999;  // six size digits

    Id3v1Tag();

    // ---- readable values
    // 128 with an ID3v1 tag, else 0.
    int64_t size() const { return hasID3v1_ ? kTagSize : 0; }
    const std::string& title() const { return title_; }
    const std::string& artist() const { return artist_; }
    const std::string& album() const { return album_; }
    const std::string& comment() const { return comment_; }
    const std::string& year() const { return year_; }
    // The name of genreNr from the genre table; empty for 255 or a number without a name.
    std::string genre() const;
    uint8_t genreNr() const { return genreNr_; }
    // The track as text: empty for 0, else the decimal number.
    std::string track() const;
    int trackNr() const { return track_; }
    bool hasID3v1() const { return hasID3v1_; }
    bool changed() const { return changed_; }
    // 0 without a tag, 1.1 with a track, else 1.0.
    double version() const;
    const std::string& mood() const { return mood_; }
    const std::string& situation() const { return situation_; }
    const std::string& lyrics() const { return lyrics_; }
    const std::string& quality() const { return quality_; }
    const std::string& author() const { return author_; }
    const std::string& images() const { return images_; }
    const std::string& otherInfo() const { return otherInfo_; }
    // Size in bytes of the Lyrics3 block as found in the file; 0 without one.
    int64_t lyricsSize() const { return hasLyrics3_ ? lyricsSize_ : 0; }
    bool hasLyrics3() const { return hasLyrics3_; }
    // 1 or 2 for the block found; 0 without one.
    int lyrics3Version() const { return hasLyrics3_ ? lyrics3Version_ : 0; }
    // Lyrics3 fields with other identifiers, raw bytes as on disk (identifier, five-digit
    // size, data, one after the other); written back unchanged.
    const std::string& unknownLyrics3Fields() const { return unknownFields_; }

    // ---- settable values. A setter stores a value only when it differs from the stored one
    // and then sets Changed. Title, Artist, Album and Author keep their first 250 characters,
    // Comment the first 30, Year the first 4; the other Lyrics3 fields keep everything.
    void setTitle(const std::string& value);
    void setArtist(const std::string& value);
    void setAlbum(const std::string& value);
    void setComment(const std::string& value);
    void setYear(const std::string& value);
    // Looks the name up in the genre table (255 when unknown). The name Genre() shows now
    // changes nothing, so a genre byte without a name survives edits of the other fields.
    void setGenre(const std::string& name);
    void setGenreNr(uint8_t number);
    // The leading number of the text, clamped to 0..255; empty or non-numeric text gives 0.
    void setTrack(const std::string& value);
    // Always sets Changed.
    void setHasID3v1(bool value);
    void setMood(const std::string& value);
    void setSituation(const std::string& value);
    void setLyrics(const std::string& value);
    void setQuality(const std::string& value);
    void setAuthor(const std::string& value);
    void setImages(const std::string& value);
    void setOtherInfo(const std::string& value);
    // Takes effect only while hasLyrics3 is true.
    void setLyricsSize(int64_t value);
    // Takes effect only while hasID3v1 is true.
    void setHasLyrics3(bool value);

    // ---- operations
    // The shared genre table (not owned; it must outlive this object). nullptr: a private one.
    void setGenreHandler(const GenreTable* genres);
    // Empties the Lyrics3 fields and the unknown-field store; no Lyrics3 block.
    void lyricsReset();
    // Empties every field: no tag, track 0, genre 255, not changed, no Lyrics3 block.
    void reset();
    void setUnchanged() { changed_ = false; }
    // Reads the ID3v1 tag and the Lyrics3 block of the file. False when the file could not
    // be opened or read (the object then holds whatever was read, usually nothing).
    bool getID3v1(const std::string& path);
    // The same on a file already open.
    bool getID3v1(FileBytes& file);
    // The ID3v1 tag to write: exactly 128 bytes (ISO-8859-1).
    std::string genID3v1Code() const;
    // True when the fields need a Lyrics3 block: a Lyrics3 field or an unknown field is set,
    // or title, artist or album is longer than the 30 characters of ID3v1.
    bool isLyrics3Needed() const;
    // The Lyrics3 v2 block to write under the given use of Lyrics3, or empty.
    std::string genLyrics3Code(TagUse useLyrics3) const;

    // ---- positions and sizes as found at the last read (or left by the last write)
    // Length of the file.
    int64_t fileLength() const { return fileLength_; }
    // 1-based position of "TAG"; 0 without an ID3v1 tag.
    int64_t id3v1Position() const { return hasID3v1_ ? fileLength_ - kTagSize + 1 : 0; }
    // 1-based position of "LYRICSBEGIN"; 0 without a Lyrics3 block.
    int64_t lyrics3Position() const { return hasLyrics3_ ? id3v1Position() - lyricsSize_ : 0; }
    // 1-based position of the first byte of the trailing region; fileLength() + 1 when the
    // file has none. The region is the ID3v1 tag with its Lyrics3 block and every older ID3v1
    // tag and Lyrics3 block stacked directly in front of them (taggers that append a new tag
    // instead of replacing the old one leave such files), or, in a file without an ID3v1 tag,
    // the Lyrics3 blocks left at its end: a write replaces all of them, so that no older tag
    // comes back when the tag is removed and a second save changes nothing.
    int64_t tailPosition() const { return tailStart_ + 1; }

    // ---- text that does not fit the single-byte code page
    static bool fitsLatin1(std::string_view utf8);
    // True when writing would turn a character of any field into "?".
    bool losesCharacters() const;

    // ---- writing. Each returns 0 or an errno value; no byte in front of the trailing
    // region ever changes.
    // Replaces the trailing region of the file, as it is on disk now, by the current fields:
    // the Lyrics3 block (under the option value given) and the ID3v1 tag when keepID3v1,
    // nothing otherwise. On success the object describes the file as written.
    int writeTags(const std::string& path, bool keepID3v1, TagUse useLyrics3);
    // Removes the ID3v1 tag and the Lyrics3 block from the file; the object is reset.
    int removeTags(const std::string& path);
    // 0-based offset at which the trailing region of the file begins (its length when there
    // is none), or -1 with *error set when the file cannot be read.
    static int64_t findTailStart(const std::string& path, int* error = nullptr);
    static int64_t findTailStart(FileBytes& file, int* error = nullptr);
    // Writes block at the 0-based offset (at most the file's length: in place over what is
    // there, or appended) and cuts the file after it when it was longer. When the write
    // fails, the old bytes are put back. Bytes in front of offset are never touched.
    static int writeTail(const std::string& path, int64_t offset, std::string_view block);
    // Records a write made by the caller (writeTail): whether an ID3v1 tag was written, the
    // length of the Lyrics3 block written in front of it (0: none) and the new file length.
    // Clears Changed.
    void setWritten(bool id3v1Written, int64_t lyrics3Length, int64_t fileLength);
    // Records a new file length after bytes in front of the trailing region were removed.
    void setFileLength(int64_t fileLength) {
        tailStart_ += fileLength - fileLength_;
        fileLength_ = fileLength;
    }

private:
    bool readFrom(FileBytes& file);
    // Each reads the Lyrics3 block that ends at the 0-based offset end into the fields and
    // answers its size in bytes; 0 when no (undamaged) block ends there.
    int64_t readLyrics3(FileBytes& file, int64_t end);
    int64_t readLyrics3V2(FileBytes& file, int64_t end);
    int64_t readLyrics3V1(FileBytes& file, int64_t end);
    // Where the older ID3v1 tags and Lyrics3 blocks stacked in front of the 0-based offset end
    // begin (end itself when there are none).
    static int64_t stackStart(FileBytes& file, int64_t end);
    void setText(std::string& field, std::string value);
    const GenreTable& genres() const;

    const GenreTable* genres_ = nullptr;
    bool hasID3v1_ = false;
    bool changed_ = false;
    std::string artist_, album_, title_, comment_, year_;
    uint8_t genreNr_ = GenreTable::kNoGenre;
    int track_ = 0;
    bool hasLyrics3_ = false;
    int64_t lyricsSize_ = 0;
    int lyrics3Version_ = 0;
    std::string mood_, situation_, lyrics_, quality_, author_, images_, otherInfo_;
    std::string unknownFields_;
    int64_t fileLength_ = 0;
    int64_t tailStart_ = 0;  // 0-based start of the trailing region
};

}  // namespace vorda::tags
