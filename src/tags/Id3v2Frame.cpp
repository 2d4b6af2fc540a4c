// SPDX-License-Identifier: GPL-2.0-or-later

#include "tags/Id3v2Frame.h"

#include "tags/Id3v2Text.h"

namespace vorda::tags {

using namespace id3v2;

namespace {

std::string upToZero(const std::string& s) { return s.substr(0, s.find('\0')); }

void stripTrailingZeros(std::string& s) {
    while (!s.empty() && s.back() == '\0') s.pop_back();
}

// Status flag bits of version 2.3 (tag alter, file alter, read only) and their 2.4 places.
uint8_t statusForVersion(uint8_t status, int from, int to) {
    if (from == to) return status;
    if (from < 4 && to >= 4)
        return static_cast<uint8_t>(((status & 0x80) ? 0x40 : 0) | ((status & 0x40) ? 0x20 : 0) |
                                    ((status & 0x20) ? 0x10 : 0));
    return static_cast<uint8_t>(((status & 0x40) ? 0x80 : 0) | ((status & 0x20) ? 0x40 : 0) |
                                ((status & 0x10) ? 0x20 : 0));
}

}  // namespace

Id3v2Frame::Id3v2Frame(std::string id, uint8_t status, uint8_t format, int flagVersion)
    : id_(std::move(id)),
      kind_(naturalKind(id_)),
      status_(status),
      format_(format),
      flagVersion_(flagVersion >= 4 ? 4 : 3) {
    if (kind_ == Kind::Comment) language_ = "eng";
}

Id3v2Frame::Kind Id3v2Frame::naturalKind(std::string_view id) {
    if (id == "TXXX") return Kind::UserText;
    if (id == "WXXX") return Kind::UserUrl;
    if (id == "COMM" || id == "USLT") return Kind::Comment;
    if (!id.empty() && id[0] == 'T') return Kind::Text;
    if (!id.empty() && id[0] == 'W') return Kind::Url;
    return Kind::Binary;
}

namespace {

// A frame header and payload laid out for a tag of version 3 or 4.
std::string frameBytes(std::string_view id, std::string_view payload, uint8_t status, uint8_t format, int version) {
    std::string out(id);
    const auto size = static_cast<uint32_t>(payload.size());
    out += version >= 4 ? writeSynchsafe(size) : writeBigEndian(size, 4);
    out.push_back(static_cast<char>(status));
    out.push_back(static_cast<char>(format));
    out.append(payload);
    return out;
}

}  // namespace

Id3v2Frame Id3v2Frame::fromPayload(const std::string& id, std::string_view payload, uint8_t status, uint8_t format,
                                   int version) {
    Id3v2Frame f(id, status, format, version);
    f.decode(payload);
    if (payload.size() <= kMaxSynchsafe) {
        f.raw_ = frameBytes(id, payload, status, format, f.flagVersion_);
        f.rawVersion_ = f.flagVersion_;
    }
    return f;
}

Id3v2Frame Id3v2Frame::fromTagFrame(std::string_view id, std::string_view payload, uint8_t status, uint8_t format,
                                    int version, bool tagUnsynchronised, std::string_view sizeBytes) {
    const bool v4 = version >= 4;
    std::string_view body = payload;
    std::string resynchronised;
    uint8_t written = format;
    if (v4 && ((format & 0x02) || tagUnsynchronised)) {
        resynchronised = removeUnsynchronisation(body);
        body = resynchronised;
        // The tag-wide flag is not written again; the frame then says it for itself.
        written |= 0x02;
    }
    Id3v2Frame f(std::string(id), status, written, version);
    // The bytes to write back: a plain size in a version 2.4 tag stays as it was read, so that
    // the tag reads back the way it was read.
    f.raw_ = frameBytes(id, payload, status, written, f.flagVersion_);
    if (sizeBytes.size() == 4) f.raw_.replace(4, 4, sizeBytes);
    f.rawVersion_ = f.flagVersion_;

    // Bytes between the header and the content, in the order of their flags.
    const bool compressed = f.flgCompressed();
    size_t extra = 0;
    if (v4)
        extra = (f.flgGroupingIdentity() ? 1 : 0) + (f.flgEncrypted() ? 1 : 0) + ((format & 0x01) ? 4 : 0);
    else
        extra = (compressed ? 4 : 0) + (f.flgEncrypted() ? 1 : 0) + (f.flgGroupingIdentity() ? 1 : 0);
    if (f.flgEncrypted() || body.size() < extra) {
        f.markUnreadable();
        return f;
    }
    body.remove_prefix(extra);
    std::string inflated;
    if (compressed) {
        if (!inflate(body, kMaxInflatedFrame, inflated)) {
            f.markUnreadable();
            return f;
        }
        body = inflated;
    }
    f.decode(body);
    return f;
}

void Id3v2Frame::markUnreadable() {
    kind_ = Kind::Binary;
    unreadable_ = true;
    language_.clear();
    description_.clear();
    text_.clear();
}

void Id3v2Frame::decode(std::string_view payload) {
    language_.clear();
    description_.clear();
    text_.clear();
    if (kind_ == Kind::Binary) {
        text_.assign(payload);
        return;
    }
    if (kind_ == Kind::Url) {
        std::string_view url = payload;
        if (!url.empty() && url[0] == '\0') url.remove_prefix(1);
        text_ = latin1ToUtf8Text(url.substr(0, url.find('\0')));
        return;
    }
    if (payload.empty()) {
        if (kind_ == Kind::Comment) language_ = "eng";
        return;
    }
    const auto enc = static_cast<uint8_t>(payload[0]);
    if (!isValidEncoding(enc)) return markUnreadable();

    size_t start = 1;
    if (kind_ == Kind::Comment) {
        if (payload.size() < 4) return markUnreadable();
        language_.assign(payload.substr(1, 3));
        start = 4;
    }
    if (kind_ == Kind::Text) {
        text_ = decodeStringList(enc, payload.substr(1));
        stripTrailingZeros(text_);
        return;
    }
    // Frames with a description in front of their content.
    const size_t term = findTerminator(enc, payload, start);
    if (term == std::string_view::npos) {
        description_ = decodeString(enc, payload.substr(start));
        return;
    }
    description_ = decodeString(enc, payload.substr(start, term - start));
    const std::string_view rest = payload.substr(term + terminatorSize(enc));
    if (kind_ == Kind::UserUrl) {
        text_ = latin1ToUtf8Text(rest.substr(0, rest.find('\0')));
    } else {
        text_ = decodeStringList(enc, rest);
        stripTrailingZeros(text_);
    }
}

std::string Id3v2Frame::data() const {
    switch (kind_) {
    case Kind::Text:
    case Kind::Comment: return upToZero(text_);
    case Kind::UserText:
        // Without a description the value alone, as setData takes it; the full form only when
        // the value itself holds a character 0 (several strings), so that it reads back the same.
        if (description_.empty() && text_.find('\0') == std::string::npos) return text_;
        return description_ + '\0' + text_;
    default: return text_;
    }
}

void Id3v2Frame::setData(std::string_view content) {
    const Kind kind = kind_;
    const std::string language = language_;
    const std::string description = description_;
    const std::string text = text_;
    if (unreadable_) {
        kind_ = naturalKind(id_);
        description_.clear();
        language_ = kind_ == Kind::Comment ? "eng" : "";
    }
    if (kind_ == Kind::UserText) {
        const size_t zero = content.find('\0');
        if (zero != std::string_view::npos) {
            description_.assign(content.substr(0, zero));
            content.remove_prefix(zero + 1);
        }
    }
    text_.assign(content);
    if (!unreadable_ && kind_ == kind && language_ == language && description_ == description && text_ == text)
        return;  // nothing changed: the bytes read stay
    unreadable_ = false;
    raw_.clear();
    rawVersion_ = 0;
    format_ = 0;
}

bool Id3v2Frame::contentEmpty() const {
    if (kind_ == Kind::UserText) return description_.empty() && text_.empty();
    return text_.empty();
}

bool Id3v2Frame::isEmpty() const { return raw_.empty() && contentEmpty(); }

bool Id3v2Frame::hidesContent() const {
    if (unreadable_) return true;
    return (kind_ == Kind::Text || kind_ == Kind::Comment) && !text_.empty() && text_[0] == '\0';
}

std::string Id3v2Frame::payload(int version) const {
    std::string out;
    appendPayload(out, version);
    return out;
}

void Id3v2Frame::appendPayload(std::string& out, int version) const {
    switch (kind_) {
    case Kind::Text: {
        const uint8_t enc = chooseEncoding(text_, version);
        out.push_back(static_cast<char>(enc));
        out += encodeString(enc, text_);
        break;
    }
    case Kind::UserText:
    case Kind::Comment: {
        const uint8_t enc = chooseEncoding(description_ + text_, version);
        out.push_back(static_cast<char>(enc));
        if (kind_ == Kind::Comment) out += language_.size() == 3 ? language_ : std::string("eng");
        out += encodeString(enc, description_);
        out += terminator(enc);
        out += encodeString(enc, text_);
        break;
    }
    case Kind::UserUrl: {
        const uint8_t enc = chooseEncoding(description_, version);
        out.push_back(static_cast<char>(enc));
        out += encodeString(enc, description_);
        out += terminator(enc);
        out += urlToLatin1(text_);
        break;
    }
    case Kind::Url: out += urlToLatin1(text_); break;
    case Kind::Binary: out += text_; break;
    }
}

size_t Id3v2Frame::payloadSize(int version) const {
    // Binary payloads (pictures among them) are counted without being copied.
    return kind_ == Kind::Binary ? text_.size() : payload(version).size();
}

size_t Id3v2Frame::codeSize(int version) const {
    if (writesReadBytes(version)) return raw_.size();
    if (contentEmpty() || id_.size() != 4) return 0;
    const size_t payload = payloadSize(version);
    if (payload > (version >= 4 ? size_t{kMaxSynchsafe} : size_t{0xFFFFFFFFu})) return 0;
    return 10 + payload;
}

std::string Id3v2Frame::sFieldCode(int version) const {
    std::string out;
    appendFieldCode(out, version);
    return out;
}

void Id3v2Frame::appendFieldCode(std::string& out, int version) const {
    if (writesReadBytes(version)) {
        out += raw_;
        return;
    }
    if (contentEmpty() || id_.size() != 4) return;
    const size_t headerAt = out.size();
    out += id_;
    out.append(4, '\0');  // the size, filled in below
    const int target = version >= 4 ? 4 : 3;
    out.push_back(static_cast<char>(statusForVersion(status_, flagVersion_, target)));
    // The payload below is plain, whatever format flags the frame was given.
    out.push_back('\0');
    appendPayload(out, version);
    const size_t payload = out.size() - headerAt - 10;
    if (payload > (version >= 4 ? size_t{kMaxSynchsafe} : size_t{0xFFFFFFFFu})) {
        out.resize(headerAt);  // too large for its size field: not written
        return;
    }
    const std::string size = version >= 4 ? writeSynchsafe(static_cast<uint32_t>(payload))
                                          : writeBigEndian(static_cast<uint32_t>(payload), 4);
    out.replace(headerAt + 4, 4, size);
}

}  // namespace vorda::tags
