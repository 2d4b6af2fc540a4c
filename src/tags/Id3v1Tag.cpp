// SPDX-License-Identifier: GPL-2.0-or-later

#include "tags/Id3v1Tag.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/FileDescriptor.h"
#include "base/Text.h"
#include "tags/FileBytes.h"

using namespace vorda::base;

namespace vorda::tags {

namespace {

constexpr std::string_view kTagId = "TAG";
constexpr std::string_view kLyricsBegin = "LYRICSBEGIN";
constexpr std::string_view kLyrics200 = "LYRICS200";
constexpr std::string_view kLyricsEnd = "LYRICSEND";
constexpr int64_t kLyrics3V2Trailer = 15;  // six size digits and "LYRICS200"
// How many older ID3v1 tags and Lyrics3 blocks in front of the last ones are taken as part of
// the trailing region; a bound for hostile files, far above what any tagger leaves.
constexpr int kMaxStackedBlocks = 1000;

const GenreTable& builtInGenres() {
    static const GenreTable table;
    return table;
}

// Reads exactly n bytes at offset; false on a short read or an error (errno is kept).
bool readAt(int fd, int64_t offset, size_t n, std::string& out) {
    out.assign(n, '\0');
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd, out.data() + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

// The same through an open file's buffers.
bool readAt(FileBytes& file, int64_t offset, size_t n, std::string& out) {
    const std::string_view bytes = file.text(offset, n);
    if (bytes.size() != n) {
        errno = file.error() != 0 ? file.error() : EIO;
        return false;
    }
    out.assign(bytes);
    return true;
}

int writeAt(int fd, int64_t offset, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t put = ::pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
        if (put < 0) {
            if (errno == EINTR) continue;
            return errno ? errno : EIO;
        }
        if (put == 0) return EIO;
        done += static_cast<size_t>(put);
    }
    return 0;
}

int64_t lengthOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

int64_t digitsValue(std::string_view digits) {
    int64_t value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

std::string zeroPadded(int64_t value, int width) {
    std::string digits = std::to_string(value);
    if (digits.size() < static_cast<size_t>(width)) digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return digits;
}

// An ID3v1 text field: everything from the first zero byte on is dropped, and so are the
// trailing blanks most writers pad with.
std::string v1Field(std::string_view raw) {
    const size_t zero = raw.find('\0');
    if (zero != std::string_view::npos) raw = raw.substr(0, zero);
    const size_t end = raw.find_last_not_of(' ');
    raw = end == std::string_view::npos ? std::string_view() : raw.substr(0, end + 1);
    return latin1ToUtf8(raw);
}

// The first count characters of UTF-8 text.
std::string leftChars(const std::string& text, size_t count) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80) {
            if (chars == count) return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}

// Number of single-byte characters the text takes on disk.
size_t diskLength(const std::string& text) { return utf8ToLatin1(text).size(); }

// An ID3v1 field on disk: cut to width or padded with zero bytes.
std::string fitField(const std::string& text, size_t width) {
    std::string bytes = utf8ToLatin1(text);
    bytes.resize(width, '\0');
    return bytes;
}

// The value of the leading number of the text (blanks and a sign allowed in front).
int64_t leadingNumber(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    int64_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (value < 1000000) value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return negative ? -value : value;
}

}  // namespace

Id3v1Tag::Id3v1Tag() = default;

const GenreTable& Id3v1Tag::genres() const { return genres_ ? *genres_ : builtInGenres(); }

void Id3v1Tag::setGenreHandler(const GenreTable* genres) { genres_ = genres; }

std::string Id3v1Tag::genre() const { return genres().genre(genreNr_); }

std::string Id3v1Tag::track() const { return track_ > 0 ? std::to_string(track_) : std::string(); }

double Id3v1Tag::version() const {
    if (!hasID3v1_) return 0.0;
    return track_ > 0 ? 1.1 : 1.0;
}

// ---------------------------------------------------------------- setters

void Id3v1Tag::setText(std::string& field, std::string value) {
    // A zero byte ends a field on disk, so a value never holds one.
    std::erase(value, '\0');
    if (field == value) return;
    field = std::move(value);
    changed_ = true;
}

void Id3v1Tag::setTitle(const std::string& value) { setText(title_, leftChars(value, kMaxLongField)); }
void Id3v1Tag::setArtist(const std::string& value) { setText(artist_, leftChars(value, kMaxLongField)); }
void Id3v1Tag::setAlbum(const std::string& value) { setText(album_, leftChars(value, kMaxLongField)); }
void Id3v1Tag::setComment(const std::string& value) { setText(comment_, leftChars(value, kFieldWidth)); }
void Id3v1Tag::setYear(const std::string& value) { setText(year_, leftChars(value, kYearWidth)); }
void Id3v1Tag::setAuthor(const std::string& value) { setText(author_, leftChars(value, kMaxLongField)); }
void Id3v1Tag::setMood(const std::string& value) { setText(mood_, value); }
void Id3v1Tag::setSituation(const std::string& value) { setText(situation_, value); }
void Id3v1Tag::setLyrics(const std::string& value) { setText(lyrics_, value); }
void Id3v1Tag::setQuality(const std::string& value) { setText(quality_, value); }
void Id3v1Tag::setImages(const std::string& value) { setText(images_, value); }
void Id3v1Tag::setOtherInfo(const std::string& value) { setText(otherInfo_, value); }

void Id3v1Tag::setGenre(const std::string& name) {
    // The name the genre byte shows already (empty for a number without a name, 148 to 254
    // included) leaves the byte as it is: writing back the shown values changes nothing.
    if (name == genre()) return;
    setGenreNr(static_cast<uint8_t>(genres().genreId(name)));
}

void Id3v1Tag::setGenreNr(uint8_t number) {
    if (genreNr_ == number) return;
    genreNr_ = number;
    changed_ = true;
}

void Id3v1Tag::setTrack(const std::string& value) {
    int64_t number = leadingNumber(value);
    if (number < 0) number = 0;
    if (number > 255) number = 255;
    if (track_ == static_cast<int>(number)) return;
    track_ = static_cast<int>(number);
    changed_ = true;
}

void Id3v1Tag::setHasID3v1(bool value) {
    hasID3v1_ = value;
    changed_ = true;
}

void Id3v1Tag::setHasLyrics3(bool value) {
    if (!hasID3v1_ || hasLyrics3_ == value) return;
    hasLyrics3_ = value;
    changed_ = true;
}

void Id3v1Tag::setLyricsSize(int64_t value) {
    if (!hasLyrics3_ || lyricsSize_ == value) return;
    lyricsSize_ = value;
    changed_ = true;
}

void Id3v1Tag::lyricsReset() {
    mood_.clear();
    situation_.clear();
    lyrics_.clear();
    quality_.clear();
    author_.clear();
    images_.clear();
    otherInfo_.clear();
    unknownFields_.clear();
    hasLyrics3_ = false;
    lyricsSize_ = 0;
    lyrics3Version_ = 0;
}

void Id3v1Tag::reset() {
    title_.clear();
    artist_.clear();
    album_.clear();
    comment_.clear();
    year_.clear();
    track_ = 0;
    genreNr_ = GenreTable::kNoGenre;
    hasID3v1_ = false;
    changed_ = false;
    lyricsReset();
}

// ---------------------------------------------------------------- reading

bool Id3v1Tag::getID3v1(const std::string& path) {
    FileBytes file;
    if (!file.open(path)) {
        reset();
        fileLength_ = 0;
        tailStart_ = 0;
        return false;
    }
    return getID3v1(file);
}

bool Id3v1Tag::getID3v1(FileBytes& file) {
    reset();
    fileLength_ = 0;
    tailStart_ = 0;
    if (!file.isOpen()) return false;
    return readFrom(file);
}

bool Id3v1Tag::readFrom(FileBytes& fd) {
    const int64_t length = fd.size();
    fileLength_ = length;
    tailStart_ = length;
    const int errorBefore = fd.error();
    std::string tag;
    if (length < kTagSize || !fd.hasText(length - kTagSize, kTagId)) {
        // No tag. Lyrics3 blocks left at the end without their tag are still no audio: a new
        // tag replaces them instead of taking them for its own.
        tailStart_ = stackStart(fd, length);
        return errorBefore != 0 || fd.error() == 0;
    }
    if (!readAt(fd, length - kTagSize, static_cast<size_t>(kTagSize), tag)) return false;

    hasID3v1_ = true;
    std::string comment = tag.substr(97, 30);
    if (tag[125] == '\0') {  // ID3v1.1: a zero in front of the track byte
        track_ = static_cast<unsigned char>(tag[126]);
        comment[29] = '\0';
    }
    genreNr_ = static_cast<uint8_t>(tag[127]);
    title_ = v1Field(std::string_view(tag).substr(3, 30));
    artist_ = v1Field(std::string_view(tag).substr(33, 30));
    album_ = v1Field(std::string_view(tag).substr(63, 30));
    year_ = v1Field(std::string_view(tag).substr(93, 4));
    comment_ = v1Field(comment);

    const int64_t lyricsEnd = length - kTagSize;
    tailStart_ = stackStart(fd, lyricsEnd - readLyrics3(fd, lyricsEnd));
    // A read that failed on the way leaves the extent of the region unknown.
    return errorBefore != 0 || fd.error() == 0;
}

int64_t Id3v1Tag::stackStart(FileBytes& fd, int64_t end) {
    for (int round = 0; round < kMaxStackedBlocks; ++round) {
        Id3v1Tag older;
        if (const int64_t lyrics = older.readLyrics3(fd, end); lyrics > 0) {
            end -= lyrics;
        } else if (end >= kTagSize && fd.hasText(end - kTagSize, kTagId)) {
            end -= kTagSize;
        } else {
            break;
        }
    }
    return end;
}

int64_t Id3v1Tag::readLyrics3(FileBytes& fd, int64_t end) {
    const int64_t markerAt = end - 9;
    std::string marker;
    if (markerAt < 0 || !readAt(fd, markerAt, 9, marker)) return 0;
    if (marker == kLyrics200) return readLyrics3V2(fd, end);
    if (marker == kLyricsEnd) return readLyrics3V1(fd, end);
    return 0;
}

int64_t Id3v1Tag::readLyrics3V2(FileBytes& fd, int64_t end) {
    // The size counts from "LYRICSBEGIN" to the end of the last field.
    const int64_t sizeAt = end - kLyrics3V2Trailer;
    std::string sizeDigits;
    if (sizeAt < 0 || !readAt(fd, sizeAt, 6, sizeDigits) || !isAllDigits(sizeDigits)) return 0;
    const int64_t size = digitsValue(sizeDigits);
    const int64_t begin = sizeAt - size;
    if (size < static_cast<int64_t>(kLyricsBegin.size()) || begin < 0) return 0;
    std::string block;
    if (!readAt(fd, begin, static_cast<size_t>(size), block)) return 0;
    if (std::string_view(block).substr(0, kLyricsBegin.size()) != kLyricsBegin) return 0;

    // Walk the fields into a scratch object: a block whose fields do not add up to its size
    // is damaged and taken as no block at all (the ID3v1 fields stay as read).
    Id3v1Tag found;
    std::string_view fields = std::string_view(block).substr(kLyricsBegin.size());
    while (!fields.empty()) {
        if (fields.size() < 8 || !isAllDigits(fields.substr(3, 5))) return 0;
        const std::string_view id = fields.substr(0, 3);
        const auto dataSize = static_cast<size_t>(digitsValue(fields.substr(3, 5)));
        if (dataSize > fields.size() - 8) return 0;
        const std::string_view data = fields.substr(8, dataSize);
        std::string raw(data);
        std::erase(raw, '\0');  // as in the ID3v1 fields, a zero byte is no text
        const std::string text = latin1ToUtf8(trim(raw, " "));
        if (id == "IND") {
            // indications are derived from the lyrics when written
        } else if (id == "LYR") {
            found.lyrics_ = text;
        } else if (id == "INF") {
            found.otherInfo_ = text;
        } else if (id == "AUT") {
            found.author_ = text;
        } else if (id == "EAL") {
            found.album_ = text;
        } else if (id == "EAR") {
            found.artist_ = text;
        } else if (id == "ETT") {
            found.title_ = text;
        } else if (id == "IMG") {
            found.images_ = text;
        } else if (id == "QUA") {
            found.quality_ = text;
        } else if (id == "SIT") {
            found.situation_ = text;
        } else if (id == "MOO") {
            found.mood_ = text;
        } else {
            found.unknownFields_.append(fields.substr(0, 8 + dataSize));
        }
        fields.remove_prefix(8 + dataSize);
    }

    lyrics_ = std::move(found.lyrics_);
    otherInfo_ = std::move(found.otherInfo_);
    author_ = std::move(found.author_);
    if (!found.album_.empty()) album_ = std::move(found.album_);
    if (!found.artist_.empty()) artist_ = std::move(found.artist_);
    if (!found.title_.empty()) title_ = std::move(found.title_);
    images_ = std::move(found.images_);
    quality_ = std::move(found.quality_);
    situation_ = std::move(found.situation_);
    mood_ = std::move(found.mood_);
    unknownFields_ = std::move(found.unknownFields_);
    hasLyrics3_ = true;
    lyricsSize_ = size + kLyrics3V2Trailer;
    lyrics3Version_ = 2;
    return lyricsSize_;
}

int64_t Id3v1Tag::readLyrics3V1(FileBytes& fd, int64_t end) {
    const int64_t endMarkerAt = end - static_cast<int64_t>(kLyricsEnd.size());
    int64_t from = endMarkerAt - static_cast<int64_t>(kMaxLyrics3V1Text + kLyricsBegin.size());
    if (from < 0) from = 0;
    std::string window;
    if (!readAt(fd, from, static_cast<size_t>(endMarkerAt - from), window)) return 0;
    // The begin marker nearest to the end marker: one further back belongs to an older block
    // stacked in front of this one.
    const size_t begin = window.rfind(kLyricsBegin);
    if (begin == std::string::npos) return 0;
    lyrics_ = latin1ToUtf8(std::string_view(window).substr(begin + kLyricsBegin.size()));
    hasLyrics3_ = true;
    lyricsSize_ = static_cast<int64_t>(window.size() - begin + kLyricsEnd.size());
    lyrics3Version_ = 1;
    return lyricsSize_;
}

// ---------------------------------------------------------------- generating

std::string Id3v1Tag::genID3v1Code() const {
    std::string tag(kTagId);
    tag += fitField(title_, kFieldWidth);
    tag += fitField(artist_, kFieldWidth);
    tag += fitField(album_, kFieldWidth);
    tag += fitField(year_, kYearWidth);
    tag += fitField(comment_, kFieldWidth);
    tag += static_cast<char>(genreNr_);
    if (track_ > 0) {
        tag[125] = '\0';
        tag[126] = static_cast<char>(track_);
    }
    return tag;
}

bool Id3v1Tag::isLyrics3Needed() const {
    return !unknownFields_.empty() || diskLength(artist_) > kFieldWidth || diskLength(album_) > kFieldWidth ||
           diskLength(title_) > kFieldWidth || !author_.empty() || !images_.empty() || !otherInfo_.empty() ||
           !lyrics_.empty() || !mood_.empty() || !quality_.empty() || !situation_.empty();
}

std::string Id3v1Tag::genLyrics3Code(TagUse useLyrics3) const {
    if (useLyrics3 == TagUse::Never) return {};
    if (useLyrics3 == TagUse::IfNeeded && !isLyrics3Needed()) return {};

    std::string block(kLyricsBegin);
    // A field's size has five digits and the block's six: longer data is cut to fit, so
    // the sizes on disk always describe the block exactly.
    auto addField = [&block](std::string_view id, const std::string& text) {
        if (block.size() + 8 > kMaxLyrics3Block) return;
        std::string data = utf8ToLatin1(text);
        const size_t room = kMaxLyrics3Block - block.size() - 8;
        if (data.size() > kMaxLyrics3Field) data.resize(kMaxLyrics3Field);
        if (data.size() > room) data.resize(room);
        block += id;
        block += zeroPadded(static_cast<int64_t>(data.size()), 5);
        block += data;
    };

    std::string indications = "00";
    if (!lyrics_.empty()) {
        indications = "10";
        if (lyrics_.find(']') != std::string::npos && lyrics_.find(':') != std::string::npos) indications = "11";
    }
    addField("IND", indications);
    if (!lyrics_.empty()) addField("LYR", lyrics_);
    if (!otherInfo_.empty()) addField("INF", otherInfo_);
    if (!author_.empty()) addField("AUT", author_);
    if (diskLength(album_) > kFieldWidth) addField("EAL", album_);
    if (diskLength(artist_) > kFieldWidth) addField("EAR", artist_);
    if (diskLength(title_) > kFieldWidth) addField("ETT", title_);
    if (!images_.empty()) addField("IMG", images_);
    if (!quality_.empty()) addField("QUA", quality_);
    if (!situation_.empty()) addField("SIT", situation_);
    if (!mood_.empty()) addField("MOO", mood_);
    if (block.size() + unknownFields_.size() <= kMaxLyrics3Block) block += unknownFields_;

    block += zeroPadded(static_cast<int64_t>(block.size()), 6);
    block += kLyrics200;
    return block;
}

// ---------------------------------------------------------------- text fit

bool Id3v1Tag::fitsLatin1(std::string_view utf8) {
    bool lossy = false;
    utf8ToLatin1(utf8, &lossy);
    return !lossy;
}

bool Id3v1Tag::losesCharacters() const {
    for (const std::string* field : {&title_, &artist_, &album_, &comment_, &year_, &mood_, &situation_, &lyrics_,
                                     &quality_, &author_, &images_, &otherInfo_})
        if (!fitsLatin1(*field)) return true;
    return false;
}

// ---------------------------------------------------------------- writing

int64_t Id3v1Tag::findTailStart(const std::string& path, int* error) {
    FileBytes file;
    if (!file.open(path)) {
        if (error) *error = file.error() != 0 ? file.error() : EIO;
        return -1;
    }
    return findTailStart(file, error);
}

int64_t Id3v1Tag::findTailStart(FileBytes& file, int* error) {
    Id3v1Tag probe;
    if (!file.isOpen() || !probe.readFrom(file)) {
        if (error) *error = file.error() != 0 ? file.error() : EIO;
        return -1;
    }
    if (error) *error = 0;
    return probe.tailPosition() - 1;
}

int Id3v1Tag::writeTail(const std::string& path, int64_t offset, std::string_view block) {
    UniqueFd fd(openFile(path, O_RDWR));
    if (fd.get() < 0) return errno ? errno : EIO;
    const int64_t length = lengthOf(fd.get());
    if (length < 0) return errno ? errno : EIO;
    if (offset < 0 || offset > length) return EINVAL;

    // Keep the old tail so that a failed write can be undone.
    std::string oldTail;
    if (!readAt(fd.get(), offset, static_cast<size_t>(length - offset), oldTail)) return errno ? errno : EIO;

    const int64_t newLength = offset + static_cast<int64_t>(block.size());
    int result = writeAt(fd.get(), offset, block);
    if (result == 0 && newLength < length && ::ftruncate(fd.get(), static_cast<off_t>(newLength)) != 0)
        result = errno ? errno : EIO;
    if (result != 0) {
        // Best effort: put the old tail back at its old length; the first error is reported.
        const bool restored =
            writeAt(fd.get(), offset, oldTail) == 0 && ::ftruncate(fd.get(), static_cast<off_t>(length)) == 0;
        static_cast<void>(restored);
        return result;
    }
    return fd.close();
}

int Id3v1Tag::writeTags(const std::string& path, bool keepID3v1, TagUse useLyrics3) {
    int error = 0;
    const int64_t tailStart = findTailStart(path, &error);
    if (tailStart < 0) return error;
    std::string lyrics3;
    std::string tail;
    if (keepID3v1) {
        lyrics3 = genLyrics3Code(useLyrics3);
        tail = lyrics3 + genID3v1Code();
    }
    const int result = writeTail(path, tailStart, tail);
    if (result != 0) return result;
    setWritten(keepID3v1, static_cast<int64_t>(lyrics3.size()), tailStart + static_cast<int64_t>(tail.size()));
    return 0;
}

int Id3v1Tag::removeTags(const std::string& path) { return writeTags(path, false, TagUse::Never); }

void Id3v1Tag::setWritten(bool id3v1Written, int64_t lyrics3Length, int64_t fileLength) {
    if (!id3v1Written) {
        reset();
    } else {
        hasID3v1_ = true;
        if (lyrics3Length > 0) {
            hasLyrics3_ = true;
            lyricsSize_ = lyrics3Length;
            lyrics3Version_ = 2;
        } else {
            lyricsReset();
        }
    }
    fileLength_ = fileLength;
    tailStart_ = fileLength - (id3v1Written ? kTagSize + lyrics3Length : 0);
    setUnchanged();
}

}  // namespace vorda::tags
