// SPDX-License-Identifier: GPL-2.0-or-later

// The ID3 tag handler: value rules, tag options, in-place writes, rebuilds and junk removal.
#include "tags/Id3TagHandler.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Errors.h"
#include "base/Text.h"
#include "tags/AudioFile.h"
#include "tags/FileBytes.h"
#include "tags/Id3v2Reader.h"
#include "tags/TagFileWriter.h"

using namespace vorda::base;

namespace vorda::tags {

namespace {

// Number of characters (code points) of UTF-8 text.
size_t charCount(std::string_view text) {
    size_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

// Where the frames of an ID3v2 tag at offset really end, for a tag whose header claims more
// bytes than the file holds: after the last frame that fits, and the zero bytes behind it.
int64_t framesEnd(FileBytes& file, int64_t offset, int64_t limit) {
    const uint8_t* h = file.bytes(offset, 10);
    if (h == nullptr) return offset;
    const int version = h[3];
    const int64_t headerLength = version == 2 ? 6 : 10;
    const int idLength = version == 2 ? 3 : 4;
    int64_t p = offset + 10;
    while (p + headerLength <= limit) {
        const uint8_t* f = file.bytes(p, static_cast<size_t>(headerLength));
        if (f == nullptr) break;
        bool valid = true;
        for (int i = 0; i < idLength; ++i)
            valid = valid && ((f[i] >= 'A' && f[i] <= 'Z') || (f[i] >= '0' && f[i] <= '9'));
        if (!valid) break;
        int64_t size = 0;
        if (version == 2)
            size = (int64_t(f[3]) << 16) | (int64_t(f[4]) << 8) | int64_t(f[5]);
        else if (version == 4 && ((f[4] | f[5] | f[6] | f[7]) & 0x80) == 0)
            size = (int64_t(f[4]) << 21) | (int64_t(f[5]) << 14) | (int64_t(f[6]) << 7) | int64_t(f[7]);
        else
            size = (int64_t(f[4]) << 24) | (int64_t(f[5]) << 16) | (int64_t(f[6]) << 8) | int64_t(f[7]);
        if (p + headerLength + size > limit) break;
        p += headerLength + size;
    }
    while (p < limit) {
        const auto n = static_cast<size_t>(std::min<int64_t>(limit - p, 65536));
        const uint8_t* chunk = file.bytes(p, n);
        if (chunk == nullptr) break;
        size_t zeros = 0;
        while (zeros < n && chunk[zeros] == 0) ++zeros;
        p += static_cast<int64_t>(zeros);
        if (zeros < n) break;
    }
    return p;
}

// Bytes past the end of a junk region that a tag header starting in it may reach into.
constexpr int64_t kHeaderLookahead = 4;

}  // namespace

Id3TagHandler::Id3TagHandler() {
    v1_.setGenreHandler(&genres_);
    v2_.setGenreHandler(&genres_);
}

// ---------------------------------------------------------------- state

bool Id3TagHandler::hasTag(int kind) const {
    switch (kind) {
    case TagKind::All: return v1_.hasID3v1() || v2_.hasID3v2();
    case TagKind::Id3v1: return v1_.hasID3v1();
    case TagKind::Id3v2: return v2_.hasID3v2();
    case TagKind::Lyrics3: return v1_.hasLyrics3();
    default: return false;
    }
}

std::string Id3TagHandler::tagType() const {
    // "ID3v1." for version 1.0 and "ID3v1.1" (the "#.#" pattern), then the ID3v2 version.
    std::string text;
    if (v1_.hasID3v1()) text = v1_.trackNr() > 0 ? "ID3v1.1" : "ID3v1.";
    if (v2_.hasID3v2()) {
        if (!text.empty()) text += ' ';
        text += "ID3v2." + std::to_string(v2_.version()) + "." + std::to_string(v2_.revision());
    }
    return text;
}

bool Id3TagHandler::tagRead(AudioFile& file) {
    file_ = &file;
    v1Action_ = v2Action_ = lyricsAction_ = Action::None;
    if (FileBytes* bytes = file.readingBytes()) {
        const bool v1 = v1_.getID3v1(*bytes);
        v2_.getID3v2(*bytes);
        return v1;
    }
    const bool v1 = v1_.getID3v1(file.fullPath());
    v2_.getID3v2(file.fullPath());
    return v1;
}

void Id3TagHandler::reset() {
    v1_.reset();
    v2_.reset();
    v2_.setHasID3v2(false);
    v2_.setPosition(0);
    v2_.setSize(0);
    v1Action_ = v2Action_ = lyricsAction_ = Action::None;
}

void Id3TagHandler::add(int kind) {
    switch (kind) {
    case TagKind::All:
        if (!v1_.hasID3v1()) v1Action_ = Action::Add;
        if (!v2_.hasID3v2()) v2Action_ = Action::Add;
        break;
    case TagKind::Id3v1:
        if (!v1_.hasID3v1()) v1Action_ = Action::Add;
        break;
    case TagKind::Id3v2:
        if (!v2_.hasID3v2()) v2Action_ = Action::Add;
        break;
    case TagKind::Lyrics3:
        if (!v1_.hasLyrics3() && (v1_.hasID3v1() || v1Action_ == Action::Add)) lyricsAction_ = Action::Add;
        break;
    default: break;
    }
}

void Id3TagHandler::remove(int kind) {
    auto removeOne = [](bool present, Action& action) {
        if (present)
            action = Action::Remove;
        else if (action == Action::Add)
            action = Action::None;
    };
    switch (kind) {
    case TagKind::All:
        remove(TagKind::Id3v1);
        remove(TagKind::Id3v2);
        remove(TagKind::Lyrics3);
        break;
    case TagKind::Id3v1:
        removeOne(v1_.hasID3v1(), v1Action_);
        // A Lyrics3 block cannot stay without the ID3v1 tag behind it.
        if (v1_.hasID3v1()) remove(TagKind::Lyrics3);
        break;
    case TagKind::Id3v2: removeOne(v2_.hasID3v2(), v2Action_); break;
    case TagKind::Lyrics3: removeOne(v1_.hasLyrics3(), lyricsAction_); break;
    default: break;
    }
}

bool Id3TagHandler::v1Written() const {
    if (v1Action_ == Action::Remove) return false;
    // "Always" adds the tag at the write.
    return v1_.hasID3v1() || v1Action_ == Action::Add || options_.useId3v1 == TagUse::Always;
}

bool Id3TagHandler::v2Written() const {
    if (v2Action_ == Action::Remove) return false;
    if (v2_.hasID3v2() || v2Action_ == Action::Add) return true;
    // "Always" adds the tag at the write; under "If needed" the values are held so that the
    // write can tell whether the ID3v1 tag alone can carry them.
    const TagUse use = options_.useId3v2;
    return use == TagUse::Always || (use == TagUse::IfNeeded && v1Written());
}

// ---------------------------------------------------------------- values

std::string Id3TagHandler::getValue(int key, const std::string& param) {
    auto either = [](std::string v2, const std::string& v1) { return v2.empty() ? v1 : v2; };
    switch (key) {
    case ValueKey::Title: return either(v2_.title(), v1_.title());
    case ValueKey::Artist: return either(v2_.artist(), v1_.artist());
    case ValueKey::Album: return either(v2_.album(), v1_.album());
    case ValueKey::Year: return either(v2_.year(), v1_.year());
    case ValueKey::Track: return either(v2_.track(), v1_.track());
    case ValueKey::Comment: return either(v2_.comment(), v1_.comment());
    case ValueKey::Composer: return v2_.composer();
    case ValueKey::OrgArtist: return v2_.orgArtist();
    case ValueKey::Copyright: return v2_.copyright();
    case ValueKey::Url: return v2_.url();
    case ValueKey::EncodedBy: return v2_.encodedBy();
    case ValueKey::V1Title: return v1_.title();
    case ValueKey::V1Artist: return v1_.artist();
    case ValueKey::V1Album: return v1_.album();
    case ValueKey::V1Year: return v1_.year();
    case ValueKey::V1Track: return v1_.track();
    case ValueKey::V1Comment: return v1_.comment();
    case ValueKey::V1Genre: return v1_.genre();
    case ValueKey::Genre: return either(v2_.genre(), v1_.genre());
    case ValueKey::V2Title: return v2_.title();
    case ValueKey::V2Artist: return v2_.artist();
    case ValueKey::V2Album: return v2_.album();
    case ValueKey::V2Track: return v2_.track();
    case ValueKey::V2Year: return v2_.year();
    case ValueKey::V2Comment: return v2_.comment();
    case ValueKey::V2Genre: return v2_.genre();
    case ValueKey::V2Frame: return param.empty() ? v2_.framesInFile() : v2_.getFrameContent(param);
    case ValueKey::Mood: return v1_.mood();
    case ValueKey::Situation: return v1_.situation();
    case ValueKey::Lyrics: return v1_.lyrics();
    case ValueKey::Quality: return v1_.quality();
    case ValueKey::Author: return v1_.author();
    case ValueKey::Images: return v1_.images();
    case ValueKey::OtherInfo: return v1_.otherInfo();
    default: return {};
    }
}

std::string Id3TagHandler::paddedTrack(const std::string& track) const {
    const TagOptions& s = options_;
    if (!s.padTrackNumber || s.trackDigits < 1) return track;
    return padTrackNumber(track, s.trackDigits);
}

bool Id3TagHandler::setValue(int key, const std::string& value, const std::string& param) {
    const bool v1 = v1Written();
    const bool v2 = v2Written();
    switch (key) {
    case ValueKey::Title:
        if (v1) v1_.setTitle(value);
        if (v2) v2_.setTitle(value);
        return v1 || v2;
    case ValueKey::Artist:
        if (v1) v1_.setArtist(value);
        if (v2) v2_.setArtist(value);
        return v1 || v2;
    case ValueKey::Album:
        if (v1) v1_.setAlbum(value);
        if (v2) v2_.setAlbum(value);
        return v1 || v2;
    case ValueKey::Year:
        if (v1) v1_.setYear(value);
        if (v2) v2_.setYear(value);
        return v1 || v2;
    case ValueKey::Track:
        if (v1) v1_.setTrack(value);
        if (v2) v2_.setTrack(paddedTrack(value));
        return v1 || v2;
    case ValueKey::Comment:
        if (v1) v1_.setComment(value);
        if (v2) v2_.setComment(value);
        return v1 || v2;
    case ValueKey::Genre:
        if (v1) v1_.setGenre(value);
        if (v2) v2_.setGenre(value);
        return v1 || v2;
    default: break;
    }
    if (key >= ValueKey::Composer && key <= ValueKey::EncodedBy) {
        if (!v2) return false;
        if (key == ValueKey::Composer) v2_.setComposer(value);
        if (key == ValueKey::OrgArtist) v2_.setOrgArtist(value);
        if (key == ValueKey::Copyright) v2_.setCopyright(value);
        if (key == ValueKey::Url) v2_.setURL(value);
        if (key == ValueKey::EncodedBy) v2_.setEncodedBy(value);
        return true;
    }
    if ((key >= ValueKey::V1Title && key <= ValueKey::V1Genre) ||
        (key >= ValueKey::Mood && key <= ValueKey::OtherInfo)) {
        if (!v1) return false;
        switch (key) {
        case ValueKey::V1Title: v1_.setTitle(value); break;
        case ValueKey::V1Artist: v1_.setArtist(value); break;
        case ValueKey::V1Album: v1_.setAlbum(value); break;
        case ValueKey::V1Year: v1_.setYear(value); break;
        case ValueKey::V1Track: v1_.setTrack(value); break;
        case ValueKey::V1Comment: v1_.setComment(value); break;
        case ValueKey::V1Genre: v1_.setGenre(value); break;
        case ValueKey::Mood: v1_.setMood(value); break;
        case ValueKey::Situation: v1_.setSituation(value); break;
        case ValueKey::Lyrics: v1_.setLyrics(value); break;
        case ValueKey::Quality: v1_.setQuality(value); break;
        case ValueKey::Author: v1_.setAuthor(value); break;
        case ValueKey::Images: v1_.setImages(value); break;
        case ValueKey::OtherInfo: v1_.setOtherInfo(value); break;
        default: break;
        }
        return true;
    }
    if (key >= ValueKey::V2Title && key <= ValueKey::V2Frame) {
        if (!v2) return false;
        switch (key) {
        case ValueKey::V2Title: v2_.setTitle(value); break;
        case ValueKey::V2Artist: v2_.setArtist(value); break;
        case ValueKey::V2Album: v2_.setAlbum(value); break;
        case ValueKey::V2Track: v2_.setTrack(paddedTrack(value)); break;
        case ValueKey::V2Year: v2_.setYear(value); break;
        case ValueKey::V2Comment: v2_.setComment(value); break;
        case ValueKey::V2Genre: v2_.setGenre(value); break;
        case ValueKey::V2Frame:
            if (param.empty()) return false;
            v2_.setFrameContent(param, value);
            break;
        default: break;
        }
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- writing

bool Id3TagHandler::isID3v2Needed() const {
    if (!v2_.framesInFile().empty() || v2_.holdsHiddenData()) return true;
    // Without an ID3v1 tag after the write, the ID3v2 tag is the only place for the values.
    const bool anyValue = !v2_.frames().empty();
    if (anyValue && !v1Written()) return true;

    auto longOrOther = [](const std::string& v2, const std::string& v1, size_t limit) {
        return !v2.empty() && (v2 != v1 || charCount(v2) >= limit);
    };
    if (longOrOther(v2_.artist(), v1_.artist(), 31) || longOrOther(v2_.album(), v1_.album(), 31) ||
        longOrOther(v2_.title(), v1_.title(), 31))
        return true;
    if (longOrOther(v2_.comment(), v1_.comment(), 29)) return true;
    if (longOrOther(v2_.year(), v1_.year(), 5)) return true;
    const std::string genre = v2_.genre();
    if (!genre.empty() && genre != v1_.genre()) return true;
    if (!v2_.composer().empty() || !v2_.copyright().empty() || !v2_.encodedBy().empty() || !v2_.orgArtist().empty() ||
        !v2_.url().empty())
        return true;
    const std::string track = v2_.track();
    if (!track.empty()) {
        if (track.find_first_of("-/") != std::string::npos) return true;
        // A track ID3v1 cannot hold as a number (too large, or not a number at all).
        if (!isAllDigits(track) || track.size() > 3 || std::stoi(track) > 255) return true;
    }
    // Characters ISO-8859-1 cannot hold would become "?" in ID3v1.
    for (const std::string& value : {v2_.title(), v2_.artist(), v2_.album(), v2_.comment(), v2_.year(), genre})
        if (!Id3v1Tag::fitsLatin1(value)) return true;
    return false;
}

void Id3TagHandler::applyOptions() {
    const TagOptions& s = options_;
    if (s.useId3v1 == TagUse::Always) add(TagKind::Id3v1);
    if (s.useId3v1 == TagUse::Never) remove(TagKind::Id3v1);

    if (s.useId3v2 == TagUse::Always) add(TagKind::Id3v2);
    if (s.useId3v2 == TagUse::Never) remove(TagKind::Id3v2);
    if (s.useId3v2 == TagUse::IfNeeded) {
        if (isID3v2Needed())
            add(TagKind::Id3v2);
        else
            remove(TagKind::Id3v2);
    }

    if (s.useLyrics3 == TagUse::Always) add(TagKind::Lyrics3);
    if (s.useLyrics3 == TagUse::Never) remove(TagKind::Lyrics3);
    if (s.useLyrics3 == TagUse::IfNeeded) {
        if (v1_.isLyrics3Needed())
            add(TagKind::Lyrics3);
        else
            remove(TagKind::Lyrics3);
    }
}

void Id3TagHandler::keepInSync(bool v1Removed, bool v2Removed) {
    // The values of a tag the user removes go with it: they are not copied into the other tag
    // (nor into one an option adds again, which starts empty).
    if (v1Removed || v2Removed) return;
    // A field whose ID3v2 frame holds what the field cannot show (an encrypted title, say) is
    // left alone in both tags: its frame neither feeds the ID3v1 tag nor is overwritten.
    const std::pair<int, std::vector<std::string>> fields[] = {
        {ValueKey::Album, {"TALB"}},       {ValueKey::Artist, {"TPE1"}}, {ValueKey::Comment, {"COMM"}},
        {ValueKey::Genre, {"TCON"}},       {ValueKey::Title, {"TIT2"}},  {ValueKey::Track, {"TRCK"}},
        {ValueKey::Year, {"TYER", "TDRC"}}};
    for (const auto& [key, ids] : fields) {
        if (std::any_of(ids.begin(), ids.end(), [this](const std::string& id) { return v2_.fieldHidesContent(id); }))
            continue;
        setValue(key, getValue(key));
    }
}

int Id3TagHandler::tagWrite() {
    if (file_ == nullptr || file_->fullPath().empty()) return 0;
    const TagOptions& s = options_;
    const std::string path = file_->fullPath();

    const bool v1Removed = v1Action_ == Action::Remove;
    const bool v2Removed = v2Action_ == Action::Remove;
    applyOptions();
    if (s.keepInSync) keepInSync(v1Removed, v2Removed);
    if (!v1_.changed() && !v2_.changed() && v1Action_ == Action::None && v2Action_ == Action::None &&
        lyricsAction_ == Action::None)
        return 0;

    // A rebuild of this file still pending in a batch goes in place first.
    commitIfPending(path);
    // The layout as it is on disk now; the tag must still be where it was read. The file is
    // opened once for the checks and the in-place write (a rebuild opens it again).
    FileBytes file;
    if (!file.open(path, true)) return file.error();
    // Only the file that was read is written: another program's change since is never
    // overwritten with the values read before it.
    if (!(FileIdentity::of(file.status()) == file_->readIdentity())) return errorNumber(WriteError::FileChanged);
    const bool hadV2 = v2_.hasID3v2();
    // A tag goes only into a file that has one or holds MPEG audio, never into a text file
    // that merely has a music name.
    if (!hadV2 && !v1_.hasID3v1() && !v1_.hasLyrics3() && !file_->audio().isValid())
        return errorNumber(WriteError::NotAudio);
    int error = 0;
    int64_t tailStart = Id3v1Tag::findTailStart(file, &error);
    if (tailStart < 0) return error;
    // A file without an ID3v1 tag that gets none keeps whatever ends it; a Lyrics3 block left
    // there without its tag goes only when a new ID3v1 tag takes its place.
    if (!v1_.hasID3v1() && v1Action_ != Action::Add) tailStart = file.size();
    const int64_t headOffset = hadV2 ? v2_.position() - 1 : 0;
    int64_t oldHead = hadV2 ? v2_.size() : 0;
    // A tag whose header claims more than the file holds ends, in truth, after its last frame:
    // what follows is kept, and the file is rebuilt with a true header (or none).
    bool beyondEnd = false;
    if (hadV2) {
        if (headOffset < 0) return errorNumber(WriteError::FileChanged);
        const int64_t onDisk = id3v2SizeAt(file, headOffset, &error);
        if (error != 0) return error;
        if (onDisk > oldHead && headOffset + onDisk > file.size()) {
            beyondEnd = true;
            oldHead = framesEnd(file, headOffset, tailStart) - headOffset;
        } else if (onDisk != oldHead) {
            return errorNumber(WriteError::FileChanged);
        }
    }
    const int64_t audioLength = tailStart - headOffset - oldHead;
    if (audioLength < 0) return EINVAL;  // sizes that cannot be: nothing is written

    if (v1_.hasID3v1() && v1Action_ == Action::None) v1Action_ = Action::Keep;
    if (hadV2 && v2Action_ == Action::None) v2Action_ = Action::Keep;
    if (v1_.hasLyrics3() && lyricsAction_ == Action::None) lyricsAction_ = Action::Keep;

    const bool writeV1 = v1Action_ == Action::Add || v1Action_ == Action::Keep;
    std::string tail;
    int64_t lyricsLength = 0;
    if (writeV1) {
        if (lyricsAction_ == Action::Add || lyricsAction_ == Action::Keep) tail = v1_.genLyrics3Code(s.useLyrics3);
        lyricsLength = static_cast<int64_t>(tail.size());
        tail += v1_.genID3v1Code();
    }

    int64_t newSize = 0;  // T: header and frames
    if (v2Action_ == Action::Add || v2Action_ == Action::Keep) {
        const size_t frames = v2_.framesSize();
        if (s.useId3v2 != TagUse::IfNeeded || frames > 0) {
            newSize = 10 + static_cast<int64_t>(frames);
        } else {
            remove(TagKind::Id3v2);
        }
    }
    const bool writeV2 = newSize > 0;
    const int64_t padding = oldHead - newSize;
    // A tag behind junk moves to the start of the file, where every reader looks for it; the
    // junk stays, behind the new tag.
    bool rebuild = beyondEnd || v2Action_ == Action::Remove || (v2Action_ == Action::Add && !hadV2) ||
                   (writeV2 && s.maxPaddingSize >= 0 && padding > s.maxPaddingSize) || newSize > oldHead ||
                   (writeV2 && headOffset > 0);

    std::string head;
    if (writeV2) {
        head = v2_.render(rebuild ? static_cast<long>(std::max<long long>(s.addPaddingSize, 0))
                                  : static_cast<long>(padding));
        // Empty only for a tag too large for its header (or no frames and no room at all,
        // which is no tag).
        if (head.empty() && newSize > 10) return EFBIG;
    }

    int64_t newLength = 0;
    file_->sizeChanged();
    if (!rebuild) {
        error = writeInPlace(file, headOffset, head, tailStart, tail);
        newLength = tailStart + static_cast<int64_t>(tail.size());
        // A change too large to put down in place safely: the same layout, through a rebuild.
        rebuild = error == kNeedsRebuild;
    }
    if (rebuild) {
        file.close();
        std::vector<Piece> pieces;
        pieces.push_back(Piece::literal(head));
        if (headOffset > 0) pieces.push_back(Piece::range(0, headOffset));
        pieces.push_back(Piece::range(headOffset + oldHead, audioLength));
        pieces.push_back(Piece::literal(tail));
        error = rebuildFile(path, pieces, file_->readIdentity());
        newLength = headOffset + static_cast<int64_t>(head.size()) + audioLength + static_cast<int64_t>(tail.size());
    }
    if (error != 0) return error;
    file_->noteWritten();

    // The audio moved by the change of the tag's size.
    AudioInfo& audio = file_->audio();
    const int64_t audioShift = static_cast<int64_t>(head.size()) - oldHead;
    if (rebuild && audioShift != 0 && audio.isValid() && audio.startPos() >= headOffset + oldHead)
        audio.setPosition(static_cast<long>(audio.startPos() + audioShift));

    if (!head.empty()) {
        v2_.setHasID3v2(true);
        v2_.setPosition(1);
        v2_.markWritten();
    } else if ((rebuild && hadV2) || !hadV2) {
        v2_.reset();
        v2_.setHasID3v2(false);
        v2_.setPosition(0);
        v2_.setSize(0);
    }
    finishWrite(writeV1, lyricsLength, newLength);
    return 0;
}

void Id3TagHandler::finishWrite(bool v1Written, int64_t lyricsLength, int64_t fileLength) {
    if (v1Written)
        v1_.setWritten(true, lyricsLength, fileLength);
    else if (v1Action_ == Action::Remove || v1_.hasID3v1())
        v1_.setWritten(false, 0, fileLength);
    else
        v1_.setFileLength(fileLength);
    v1_.setUnchanged();
    v2_.setUnchanged();
    v1Action_ = v2Action_ = lyricsAction_ = Action::None;
}

// ---------------------------------------------------------------- junk

int Id3TagHandler::removeJunk() {
    if (file_ == nullptr || file_->fullPath().empty()) return 0;
    AudioInfo& audio = file_->audio();
    // Only where a first frame was found is it known what is junk.
    if (audio.audioType() != "MPEG" || !audio.isValid()) return 0;
    const std::string path = file_->fullPath();

    commitIfPending(path);
    FileBytes file;
    if (!file.open(path)) return file.error();
    const int64_t length = file.size();
    const bool hasV2 = v2_.hasID3v2();
    const int64_t tagStart = v2_.position() - 1;  // 0-based
    const int64_t tagSize = v2_.size();
    const int64_t first = audio.startPos();
    if (first < 0 || first > length) return errorNumber(WriteError::FileChanged);
    int error = 0;
    if (hasV2) {
        if (tagStart < 0) return errorNumber(WriteError::FileChanged);
        const int64_t onDisk = id3v2SizeAt(file, tagStart, &error);
        if (error != 0) return error;
        if (onDisk > tagSize && tagStart + onDisk > length) return errorNumber(WriteError::TagBeyondEnd);
        if (onDisk != tagSize) return errorNumber(WriteError::FileChanged);
    }

    // The junk [from, to) goes, up to the first byte of a tag header in it: a tag that cannot
    // be read (or a second one) is still a tag, and it stays with everything behind it.
    std::vector<Piece> pieces;
    int64_t removedInFront = 0;  // in front of the tag
    int64_t removed = 0;
    auto dropJunk = [&](int64_t from, int64_t to) {
        const std::string_view bytes =
            file.text(from, static_cast<size_t>(std::min(to + kHeaderLookahead, length) - from));
        if (bytes.empty() && to > from) {
            error = file.error() != 0 ? file.error() : EIO;
            return;
        }
        int64_t cut = to;
        for (size_t at = bytes.find("ID3"); at != std::string_view::npos && from + static_cast<int64_t>(at) < to;
             at = bytes.find("ID3", at + 1)) {
            if (looksLikeID3v2Header(bytes.substr(at))) {
                cut = from + static_cast<int64_t>(at);
                break;
            }
        }
        removed += cut - from;
        if (cut < to) pieces.push_back(Piece::range(cut, to - cut));
    };
    if (hasV2 && tagStart > 0) {
        dropJunk(0, tagStart);
        removedInFront = removed;
        if (first > tagStart + tagSize) {
            // Junk in front of the tag and between it and the audio.
            pieces.push_back(Piece::range(tagStart, tagSize));
            dropJunk(tagStart + tagSize, first);
            pieces.push_back(Piece::range(first, length - first));
        } else {
            // Junk in front of the tag only; the audio follows the tag.
            pieces.push_back(Piece::range(tagStart, length - tagStart));
        }
    } else if (!hasV2 && first >= 1) {
        dropJunk(0, first);
        pieces.push_back(Piece::range(first, length - first));
    } else {
        return 0;
    }
    if (error != 0) return error;
    if (removed == 0) return 0;
    file.close();
    error = rebuildFile(path, pieces, file_->readIdentity());
    file_->sizeChanged();
    if (error != 0) return error;
    file_->noteWritten();

    if (hasV2) setTagPosition(static_cast<long>(tagStart - removedInFront + 1));
    audio.setPosition(static_cast<long>(first - removed));
    v1_.setFileLength(length - removed);
    return 0;
}

}  // namespace vorda::tags
