// SPDX-License-Identifier: GPL-2.0-or-later

#include "tags/Id3v2Tag.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "base/Text.h"
#include "tags/FileBytes.h"
#include "tags/GenreList.h"
#include "tags/Id3v2Reader.h"
#include "tags/Id3v2Text.h"

namespace vorda::tags {

using namespace vorda::base;
using namespace id3v2;

namespace {

// Identifiers of the named fields: Title, Artist, Album, Track, Year, Genre, Comment,
// Copyright, Composer, encodedBy, URL, orgArtist.
constexpr std::array<std::string_view, 12> kMainIDs = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON",
                                                       "COMM", "TCOP", "TCOM", "TENC", "WXXX", "TOPE"};

constexpr std::string_view kFrames22 =
    "BUF|CNT|COM|CRA|CRM|ETC|EQU|GEO|IPL|LNK|MCI|MLL|PIC|POP|REV|RVA|SLT|STC|TAL|TBP|TCM|TCO|TCR|TDA|"
    "TDY|TEN|TFT|TIM|TKE|TLA|TLE|TMT|TOA|TOF|TOL|TOR|TOT|TP1|TP2|TP3|TP4|TPA|TPB|TRC|TRD|TRK|TSI|TSS|"
    "TT1|TT2|TT3|TXT|TYE|UFI|ULT|WAF|WAR|WAS|WCM|WCP|WPB";
constexpr std::string_view kFrames23 =
    "AENC|APIC|COMM|COMR|ENCR|EQUA|ETCO|GEOB|GRID|IPLS|LINK|MCDI|MLLT|OWNE|PRIV|PCNT|POPM|POSS|RBUF|"
    "RVAD|RVRB|SYLT|SYTC|TALB|TBPM|TCOM|TCON|TCOP|TDAT|TDLY|TENC|TEXT|TFLT|TIT1|TIT2|TIT3|TKEY|TLAN|"
    "TLEN|TMED|TOAL|TOFN|TOLY|TOPE|TORY|TOWN|TPE1|TPE2|TPE3|TPE4|TPOS|TPUB|TRCK|TRDA|TRSN|TRSO|TSIZ|"
    "TSRC|TSSE|TXXX|TYER|UFID|USER|USLT|WCOM|WCOP|WOAF|WOAR|WOAS|WORS|WPAY|WPUB|WXXX";
constexpr std::string_view kFrames24 =
    "AENC|APIC|ASPI|COMM|COMR|ENCR|EQU2|ETCO|GEOB|GRID|LINK|MCDI|MLLT|OWNE|PRIV|PCNT|POPM|POSS|RBUF|"
    "RVA2|RVRB|SEEK|SIGN|SYLT|SYTC|TALB|TBPM|TCOM|TCON|TCOP|TDEN|TDLY|TDOR|TDRC|TDRL|TDTG|TENC|TEXT|"
    "TFLT|TIPL|TIT1|TIT2|TIT3|TKEY|TLAN|TLEN|TMCL|TMED|TMOO|TOAL|TOFN|TOLY|TOPE|TOWN|TPE1|TPE2|TPE3|"
    "TPE4|TPOS|TPRO|TPUB|TRCK|TRSN|TRSO|TSOA|TSOP|TSOT|TSRC|TSSE|TSST|TXXX|UFID|USER|USLT|WCOM|WCOP|"
    "WOAF|WOAR|WOAS|WORS|WPAY|WPUB|WXXX";

// The four-character twins of version 2.2 frames, the iTunes additions among them. LNK becomes
// LINK with the frame it names renamed too (see linkToLink).
const std::unordered_map<std::string_view, std::string_view>& twins22() {
    static const std::unordered_map<std::string_view, std::string_view> map = {
        {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
        {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"},
        {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"},
        {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"},
        {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"},
        {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"},
        {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
        {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"},
        {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"},
        {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"},
        {"WPB", "WPUB"}, {"WXX", "WXXX"}, {"TCP", "TCMP"}, {"TST", "TSOT"}, {"TSP", "TSOP"}, {"TSA", "TSOA"},
        {"TS2", "TSO2"}, {"TSC", "TSOC"}};
    return map;
}

// The four-character identifier a version 2.2 frame is held and written under. A frame without
// a twin (CRM, the encrypted meta frame, whose content cannot be converted without its key, and
// frames of other programs) keeps its payload under the experimental identifier "X" + its own.
std::string twin22(std::string_view id) {
    const auto& map = twins22();
    const auto it = map.find(id);
    return it == map.end() ? "X" + std::string(id) : std::string(it->second);
}

// A version 2.2 LNK payload as a LINK payload: the three-character identifier of the frame it
// names becomes that frame's four-character one; URL and further data stay.
std::string linkToLink(std::string_view lnk) {
    if (lnk.size() < 3) return std::string(lnk);
    return twin22(lnk.substr(0, 3)) + std::string(lnk.substr(3));
}

// A version 2.2 picture (image format of three characters) as an APIC payload (MIME type).
std::string pictureToApic(std::string_view pic) {
    if (pic.size() < 5) return {};
    std::string format = asciiLower(pic.substr(1, 3));
    format.erase(std::remove_if(format.begin(), format.end(), [](char c) { return c == '\0' || c == ' '; }),
                 format.end());
    std::string mime;
    if (format == "jpg" || format == "jpeg")
        mime = "image/jpeg";
    else if (format.empty())
        mime = "image/";
    else
        mime = "image/" + format;
    std::string out(1, pic[0]);
    out += mime;
    out.push_back('\0');
    out.append(pic.substr(4));
    return out;
}

// The first count characters of UTF-8 text.
std::string firstChars(const std::string& s, size_t count) {
    size_t i = 0;
    for (size_t n = 0; i < s.size() && n < count; ++n) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    }
    return s.substr(0, i);
}

}  // namespace

Id3v2Tag::Id3v2Tag() = default;

// ------------------------------------------------------------------ frame addressing

int Id3v2Tag::primaryIndex(const std::string& id) const {
    int first = -1;
    for (size_t i = 0; i < frames_.size(); ++i) {
        if (frames_[i].id() != id) continue;
        if (first < 0) first = static_cast<int>(i);
        if (id != "COMM") return first;
        if (frames_[i].kind() == Id3v2Frame::Kind::Comment && frames_[i].description().empty())
            return static_cast<int>(i);
    }
    return first;
}

int Id3v2Tag::findFrame(const std::string& key) const {
    std::string id = key;
    long n = 0;
    const size_t hash = key.find('#');
    if (hash != std::string::npos) {
        id = key.substr(0, hash);
        const std::string number = key.substr(hash + 1);
        if (!isAllDigits(number) || number.size() > 6) return -1;
        n = std::stol(number);
        if (n < 1) return -1;
    }
    if (id.size() == 3) id = isValidFrameId(id) ? twin22(id) : std::string();
    if (id.size() != 4) return -1;
    if (n == 0) return primaryIndex(id);
    for (size_t i = 0; i < frames_.size(); ++i)
        if (frames_[i].id() == id && --n == 0) return static_cast<int>(i);
    return -1;
}

bool Id3v2Tag::isPrimaryOfMainField(size_t index) const {
    const std::string& id = frames_[index].id();
    const bool main =
        std::find(kMainIDs.begin(), kMainIDs.end(), id) != kMainIDs.end() || (id == "TDRC" && version_ >= 4);
    return main && primaryIndex(id) == static_cast<int>(index);
}

std::string Id3v2Tag::framesInFile() const {
    std::string out;
    std::unordered_map<std::string, int> seen;
    for (size_t i = 0; i < frames_.size(); ++i) {
        const std::string& id = frames_[i].id();
        const int occurrence = ++seen[id];
        if (isPrimaryOfMainField(i)) continue;
        if (primaryIndex(id) == static_cast<int>(i))
            out += id;
        else
            out += id + "#" + std::to_string(occurrence);
        out += '|';
    }
    return out;
}

std::string Id3v2Tag::getFrameContent(const std::string& key) const {
    const int i = findFrame(key);
    return i < 0 ? std::string() : frames_[static_cast<size_t>(i)].data();
}

void Id3v2Tag::setFrameContent(const std::string& key, const std::string& data, uint8_t flag1, uint8_t flag2) {
    const int i = findFrame(key);
    if (data.empty()) {
        if (i >= 0) {
            frames_.erase(frames_.begin() + i);
            changed_ = true;
        }
        return;
    }
    if (i >= 0) {
        Id3v2Frame& frame = frames_[static_cast<size_t>(i)];
        if (frame.data() == data) return;
        frame.setData(data);
        changed_ = true;
        return;
    }
    std::string id = key.substr(0, key.find('#'));
    if (id.size() == 3 && isValidFrameId(id)) id = twin22(id);
    if (id.size() != 4 || !isValidFrameId(id)) return;
    Id3v2Frame frame(id, flag1, flag2, writeVersion());
    frame.setData(data);
    frames_.push_back(std::move(frame));
    changed_ = true;
}

// ------------------------------------------------------------------ named fields

bool Id3v2Tag::fieldHidesContent(const std::string& id) const {
    const int i = primaryIndex(id);
    return i >= 0 && frames_[static_cast<size_t>(i)].hidesContent();
}

bool Id3v2Tag::holdsHiddenData() const {
    return !unparsed_.empty() ||
           std::any_of(frames_.begin(), frames_.end(), [](const Id3v2Frame& f) { return f.hidesContent(); });
}

void Id3v2Tag::setField(const std::string& id, const std::string& v) {
    if (v.empty() && fieldHidesContent(id)) return;
    setFrameContent(id, v);
}

void Id3v2Tag::setComment(const std::string& v) {
    if (v.empty() || v == comment()) {
        if (v.empty()) setField("COMM", v);
        return;
    }
    const int i = primaryIndex("COMM");
    if (i >= 0 && frames_[static_cast<size_t>(i)].description().empty() &&
        frames_[static_cast<size_t>(i)].kind() == Id3v2Frame::Kind::Comment) {
        setFrameContent("COMM", v);
        return;
    }
    // Only comments with a description (iTunNORM and the like): they stay, the comment is added.
    Id3v2Frame frame("COMM", 0, 0, writeVersion());
    frame.setData(v);
    frames_.push_back(std::move(frame));
    changed_ = true;
}

std::string Id3v2Tag::year() const {
    std::string year = getFrameContent("TYER");
    if (year.empty()) year = firstChars(getFrameContent("TDRC"), 4);
    return year;
}

void Id3v2Tag::setYear(const std::string& v) {
    if (v.empty()) {
        setField("TYER", v);
        setField("TDRC", v);
        return;
    }
    if (v == year()) return;
    if (version_ >= 4) {
        setFrameContent("TDRC", v);
        setFrameContent("TYER", std::string());
    } else {
        setFrameContent("TYER", v);
    }
}

std::string Id3v2Tag::genre() const {
    const std::string s = getFrameContent("TCON");
    if (s.empty()) return s;
    auto nameOf = [this](std::string_view digits) -> std::string {
        if (!genres_ || !isAllDigits(digits) || digits.size() > 3) return {};
        return genres_->genre(std::stoi(std::string(digits)));
    };
    std::string t = s;
    std::string refName;
    if (s.size() >= 3 && s[0] == '(' && s[1] != '(') {
        const size_t close = s.find(')');
        if (close != std::string::npos && close >= 2) {
            const std::string inner = s.substr(1, close - 1);
            const std::string rest = trim(std::string_view(s).substr(close + 1));
            if (isAllDigits(inner)) {
                refName = nameOf(inner);
                t = rest;
            } else if (inner == "RX" || inner == "CR") {
                refName = inner == "RX" ? "Remix" : "Cover";
                t = rest;
            }
        }
    } else if (s.size() >= 2 && s[0] == '(' && s[1] == '(') {
        t = s.substr(1);  // "((" stands for a text that begins with "("
    }
    if (isAllDigits(t)) {
        const std::string name = nameOf(t);
        if (!name.empty()) t = name;
    }
    if (!refName.empty() && !equalsNoCase(refName, t)) return refName;
    return t;
}

void Id3v2Tag::setGenre(const std::string& v) {
    if (v.empty()) {
        setField("TCON", v);
        return;
    }
    if (v == genre()) return;
    const int id = genres_ ? genres_->genreId(v) : GenreTable::kNoGenre;
    // Version 2.4 has no "(n)" references; names outside the table are written as they are.
    if (id == GenreTable::kNoGenre || version_ >= 4)
        setFrameContent("TCON", v);
    else
        setFrameContent("TCON", "(" + std::to_string(id) + ")" + v);
}

// ------------------------------------------------------------------ state

void Id3v2Tag::reset() {
    frames_.clear();
    unparsed_.clear();
    version_ = 3;
    revision_ = 0;
    flags_ = 0;
    padding_ = 0;
    changed_ = false;
}

bool Id3v2Tag::isFrame(std::string_view id, int version) {
    if (id.empty() || id.find('|') != std::string_view::npos) return false;
    const std::string_view list = version == 2 ? kFrames22 : version == 3 ? kFrames23 : kFrames24;
    size_t pos = 0;
    while (pos <= list.size()) {
        size_t end = list.find('|', pos);
        if (end == std::string_view::npos) end = list.size();
        if (list.substr(pos, end - pos) == id) return true;
        pos = end + 1;
    }
    return false;
}

void Id3v2Tag::markWritten() {
    if (version_ < 3) revision_ = 0;
    flags_ = version_ < 3 ? 0 : (flags_ & ~(0x80 | 0x40 | 0x10));
    version_ = writeVersion();
    changed_ = false;
}

// ------------------------------------------------------------------ reading

bool Id3v2Tag::getID3v2(const std::string& path) {
    FileBytes file;
    if (!file.open(path)) {
        reset();
        hasID3v2_ = false;
        position_ = 0;
        size_ = 0;
        return false;
    }
    return getID3v2(file);
}

bool Id3v2Tag::getID3v2(FileBytes& file) {
    reset();
    hasID3v2_ = false;
    position_ = 0;
    size_ = 0;
    std::string_view bytes;
    long offset = -1;
    if (!findID3v2Bytes(file, bytes, offset)) return false;
    if (!parseTag(bytes)) return false;
    position_ = offset + 1;
    return true;
}

bool Id3v2Tag::parseTag(std::string_view bytes) {
    frames_.clear();
    unparsed_.clear();
    hasID3v2_ = false;
    size_ = 0;
    padding_ = 0;
    if (!isValidID3v2Header(bytes)) return false;
    const auto* h = reinterpret_cast<const unsigned char*>(bytes.data());
    version_ = h[3];
    revision_ = h[4];
    flags_ = h[5];
    const uint64_t declared = readSynchsafe(h + 6);
    uint64_t body = declared;
    if (version_ == 4 && (flags_ & 0x10)) body += 10;  // footer
    cutByEnd_ = body > bytes.size() - 10;
    body = std::min<uint64_t>(body, bytes.size() - 10);
    hasID3v2_ = true;
    size_ = static_cast<long>(10 + body);
    std::string_view area = bytes.substr(10, static_cast<size_t>(std::min(declared, body)));

    std::string decoded;
    const bool unsynchronised = (flags_ & 0x80) != 0;
    if (unsynchronised && version_ < 4) {
        decoded = removeUnsynchronisation(area);
        area = decoded;
    }
    if (version_ == 2) {
        // Bit 0x40 of a version 2.2 tag marks a compression scheme that was never defined: such a
        // body can neither be read nor carried into the version 2.3 tag it would be written as
        // (its bytes would read as frames there), so it counts as padding.
        if (flags_ & 0x40)
            padding_ = static_cast<long>(area.size());
        else
            parseFrames22(area);
        return true;
    }
    if (flags_ & 0x40) {  // extended header
        if (area.size() < 4) {
            keepUnparsed(area, 0);
            return true;
        }
        // Some writers set the flag without writing an extended header: frames follow at once.
        const auto* e = reinterpret_cast<const unsigned char*>(area.data());
        const uint64_t skip = isValidFrameId(area.substr(0, 4)) ? 0
                              : version_ == 3                   ? 4ull + readBigEndian(e, 4)
                                                                : readSynchsafe(e);
        if ((skip != 0 && skip < 4) || skip > area.size()) {
            keepUnparsed(area, 0);
            return true;
        }
        area.remove_prefix(static_cast<size_t>(skip));
    }
    parseFrames(area, unsynchronised);
    return true;
}

void Id3v2Tag::addParsedFrame(Id3v2Frame frame) {
    if (!frame.isEmpty()) frames_.push_back(std::move(frame));
}

void Id3v2Tag::parseFrames(std::string_view area, bool tagUnsynchronised) {
    const size_t lastNonZero = area.find_last_not_of('\0');
    // Where a frame may end: at the end of the frames, in the padding, or where another frame starts.
    // Another frame starts at end: a whole header before the padding with a valid identifier
    // and, in a tag cut by the end of the file (where a frame that does not fit is left out), a
    // size that fits. Whatever padding follows the content never decides it.
    const uint64_t contentEnd = lastNonZero == std::string_view::npos ? 0 : lastNonZero + 1;
    auto frameAt = [&](uint64_t end) {
        if (end + 10 > contentEnd || !isValidFrameId(area.substr(static_cast<size_t>(end), 4))) return false;
        if (!cutByEnd_) return true;
        const auto* f = reinterpret_cast<const unsigned char*>(area.data() + end + 4);
        uint64_t n = readBigEndian(f, 4);
        if (((f[0] | f[1] | f[2] | f[3]) & 0x80) == 0) n = std::min<uint64_t>(n, readSynchsafe(f));
        return n <= area.size() - end - 10;
    };
    auto plausibleEnd = [&](uint64_t end) {
        if (end == area.size()) return true;
        if (end > area.size()) return false;
        if (lastNonZero == std::string_view::npos || end > lastNonZero) return true;
        return frameAt(end);
    };
    // The plain reading must lead to another frame or end with the content of the tag (a few zero
    // bytes of its own allowed), never further into the padding: how much padding follows must
    // not decide how a tag reads, or a rewritten tag would read differently.
    auto plausiblePlainEnd = [&](uint64_t end) {
        if (frameAt(end)) return true;
        return end >= contentEnd && end <= contentEnd + 4;
    };
    size_t p = 0;
    while (p + 10 <= area.size()) {
        if (!isValidFrameId(area.substr(p, 4))) break;
        const auto* h = reinterpret_cast<const unsigned char*>(area.data() + p);
        const uint32_t plain = readBigEndian(h + 4, 4);
        uint32_t size = plain;
        bool guessedPlain = false;
        if (version_ >= 4 && ((h[4] | h[5] | h[6] | h[7]) & 0x80) == 0) {
            // Synchsafe as the standard says, unless only the plain reading leads to the next frame
            // (some writers put plain sizes into version 2.4 tags).
            const uint32_t synchsafe = readSynchsafe(h + 4);
            guessedPlain =
                synchsafe != plain && !plausibleEnd(p + 10ull + synchsafe) && plausiblePlainEnd(p + 10ull + plain);
            size = guessedPlain ? plain : synchsafe;
        }
        const std::string_view id = area.substr(p, 4);
        const uint8_t status = h[8];
        const uint8_t format = h[9];
        size_t length = size;
        size_t next = p + 10 + length;
        if (size > area.size() - p - 10) {
            if (cutByEnd_) break;
            next = cutShortFrame(area, p, 10, length);
            if (length == 0) {
                p = next;
                continue;
            }
        }
        const std::string_view payload = area.substr(p + 10, length);
        const size_t p0 = p;
        p = next;
        // A size that could be read both ways and was read as plain goes back synchsafe, so that
        // it reads the same without the guess.
        const std::string_view sizeBytes =
            length == size && !guessedPlain ? area.substr(p0 + 4, 4) : std::string_view();
        addParsedFrame(Id3v2Frame::fromTagFrame(id, payload, status, format, version_,
                                                tagUnsynchronised && version_ >= 4, sizeBytes));
    }
    if (p < area.size() && area.size() - p < 10) p = skipCutHeader(area, p, 4);
    keepUnparsed(area, p);
}

void Id3v2Tag::keepUnparsed(std::string_view area, size_t p) {
    // Everything up to the last non-zero byte: zero bytes after it are padding, so the same
    // bytes are kept whatever padding a rewritten tag puts behind them.
    const size_t last = area.find_last_not_of('\0');
    const size_t end = (cutByEnd_ || last == std::string_view::npos || last < p) ? p : last + 1;
    unparsed_.assign(area.substr(p, end - p));
    padding_ = static_cast<long>(area.size() - end);
}

size_t Id3v2Tag::cutShortFrame(std::string_view area, size_t p, size_t head, size_t& size) const {
    // A frame that runs past the end of the tag is what the tag holds of it up to the padding;
    // it is written back with that size, so it reads the same once padding follows it. A header
    // with nothing after it but zero bytes holds nothing and is left out.
    const size_t last = area.find_last_not_of('\0');
    if (last == std::string_view::npos || last < p + head) {
        size = 0;
        return std::min(area.size(), p + head);
    }
    size = last + 1 - p - head;
    return last + 1;
}

size_t Id3v2Tag::skipCutHeader(std::string_view area, size_t p, size_t idLength) {
    // A frame header cut by the end of the tag holds nothing: it is left out (trailing bytes that
    // are no header stay as unparsed bytes).
    if (area.size() - p >= idLength && isValidFrameId(area.substr(p, idLength))) return area.size();
    return p;
}

void Id3v2Tag::parseFrames22(std::string_view area) {
    size_t p = 0;
    while (p + 6 <= area.size()) {
        const std::string_view id = area.substr(p, 3);
        if (!isValidFrameId(id)) break;
        size_t size = readBigEndian(reinterpret_cast<const unsigned char*>(area.data() + p + 3), 3);
        size_t next = p + 6 + size;
        if (size > area.size() - p - 6) {
            if (cutByEnd_) break;
            next = cutShortFrame(area, p, 6, size);
        }
        std::string_view payload = area.substr(p + 6, size);
        p = next;
        if (size == 0) continue;
        std::string converted;
        if (id == "PIC") {
            converted = pictureToApic(payload);
            if (converted.empty()) continue;
            payload = converted;
        } else if (id == "LNK") {
            converted = linkToLink(payload);
            payload = converted;
        }
        addParsedFrame(Id3v2Frame::fromPayload(twin22(id), payload, 0, 0, 3));
    }
    if (p < area.size() && area.size() - p < 6) p = skipCutHeader(area, p, 3);
    keepUnparsed(area, p);
}

// ------------------------------------------------------------------ writing

std::string Id3v2Tag::generateTag() const {
    std::string out;
    out.reserve(framesSize());
    const int version = writeVersion();
    for (const Id3v2Frame& frame : frames_) frame.appendFieldCode(out, version);
    out += unparsed_;
    return out;
}

size_t Id3v2Tag::framesSize() const {
    size_t total = 0;
    const int version = writeVersion();
    for (const Id3v2Frame& frame : frames_) total += frame.codeSize(version);
    return total + unparsed_.size();
}

std::string Id3v2Tag::generateHeader() const {
    const long body = size_ - 10;
    if (body <= 0 || static_cast<unsigned long>(body) > kMaxSynchsafe) return {};
    std::string out = "ID3";
    out.push_back(static_cast<char>(writeVersion()));
    out.push_back(static_cast<char>(version_ < 3 ? 0 : revision_));
    // Unsynchronisation, extended header and footer are never written.
    out.push_back(static_cast<char>(version_ < 3 ? 0 : (flags_ & ~(0x80 | 0x40 | 0x10))));
    out += writeSynchsafe(static_cast<uint32_t>(body));
    return out;
}

std::string Id3v2Tag::render(long padding) {
    // Header, frames and padding built in one buffer: the frames are copied once.
    padding_ = std::max(padding, 0L);
    std::string out(10, '\0');
    out.reserve(10 + framesSize() + static_cast<size_t>(padding_));
    const int version = writeVersion();
    for (const Id3v2Frame& frame : frames_) frame.appendFieldCode(out, version);
    out += unparsed_;
    size_ = static_cast<long>(out.size()) + padding_;
    const std::string header = generateHeader();
    if (header.empty()) return {};
    out.replace(0, 10, header);
    out.append(static_cast<size_t>(padding_), '\0');
    return out;
}

}  // namespace vorda::tags
