#include "tags/clsV2Field.h"

#include "tags/ID3v2Text.h"

namespace vorda {

using namespace id3v2;

namespace {

std::string UpToZero(const std::string& s) { return s.substr(0, s.find('\0')); }

void StripTrailingZeros(std::string& s) {
    while (!s.empty() && s.back() == '\0') s.pop_back();
}

// Status flag bits of version 2.3 (tag alter, file alter, read only) and their 2.4 places.
uint8_t StatusForVersion(uint8_t status, int from, int to) {
    if (from == to) return status;
    if (from < 4 && to >= 4)
        return static_cast<uint8_t>(((status & 0x80) ? 0x40 : 0) | ((status & 0x40) ? 0x20 : 0) |
                                    ((status & 0x20) ? 0x10 : 0));
    return static_cast<uint8_t>(((status & 0x40) ? 0x80 : 0) | ((status & 0x20) ? 0x40 : 0) |
                                ((status & 0x10) ? 0x20 : 0));
}

}  // namespace

clsV2Field::clsV2Field(std::string id, uint8_t status, uint8_t format, int flagVersion)
    : id_(std::move(id)),
      kind_(NaturalKind(id_)),
      status_(status),
      format_(format),
      flagVersion_(flagVersion >= 4 ? 4 : 3) {
    if (IsOpaque()) kind_ = Kind::Binary;
    if (kind_ == Kind::Comment) language_ = "eng";
}

clsV2Field::Kind clsV2Field::NaturalKind(std::string_view id) {
    if (id == "TXXX") return Kind::UserText;
    if (id == "WXXX") return Kind::UserUrl;
    if (id == "COMM" || id == "USLT") return Kind::Comment;
    if (!id.empty() && id[0] == 'T') return Kind::Text;
    if (!id.empty() && id[0] == 'W') return Kind::Url;
    return Kind::Binary;
}

clsV2Field clsV2Field::FromPayload(const std::string& id, std::string_view payload, uint8_t status,
                                   uint8_t format, int version) {
    clsV2Field f(id, status, format, version);
    f.language_.clear();
    auto keepBytes = [&f, payload]() {
        f.kind_ = Kind::Binary;
        f.language_.clear();
        f.description_.clear();
        f.text_.assign(payload);
        return f;
    };
    if (f.kind_ == Kind::Binary) return keepBytes();
    if (f.kind_ == Kind::Url) {
        std::string_view url = payload;
        if (!url.empty() && url[0] == '\0') url.remove_prefix(1);
        f.text_ = Latin1ToUtf8Text(url.substr(0, url.find('\0')));
        return f;
    }
    if (payload.empty()) return keepBytes();
    const auto enc = static_cast<uint8_t>(payload[0]);
    if (!IsValidEncoding(enc)) return keepBytes();

    size_t start = 1;
    if (f.kind_ == Kind::Comment) {
        if (payload.size() < 4) return keepBytes();
        f.language_.assign(payload.substr(1, 3));
        start = 4;
    }
    if (f.kind_ == Kind::Text) {
        f.text_ = DecodeStringList(enc, payload.substr(1));
        StripTrailingZeros(f.text_);
        return f;
    }
    // Frames with a description in front of their content.
    const size_t term = FindTerminator(enc, payload, start);
    if (term == std::string_view::npos) {
        f.description_ = DecodeString(enc, payload.substr(start));
        return f;
    }
    f.description_ = DecodeString(enc, payload.substr(start, term - start));
    const std::string_view rest = payload.substr(term + TerminatorSize(enc));
    if (f.kind_ == Kind::UserUrl) {
        f.text_ = Latin1ToUtf8Text(rest.substr(0, rest.find('\0')));
    } else {
        f.text_ = DecodeStringList(enc, rest);
        StripTrailingZeros(f.text_);
    }
    return f;
}

std::string clsV2Field::data() const {
    switch (kind_) {
    case Kind::Text:
    case Kind::Comment:
        return UpToZero(text_);
    case Kind::UserText:
        // Without a description the value alone, as SetData takes it; the full form only when
        // the value itself holds a character 0 (several strings), so that it reads back the same.
        if (description_.empty() && text_.find('\0') == std::string::npos) return text_;
        return description_ + '\0' + text_;
    default:
        return text_;
    }
}

void clsV2Field::SetData(std::string_view content) {
    if (IsOpaque() || (kind_ == Kind::Binary && NaturalKind(id_) != Kind::Binary)) {
        kind_ = NaturalKind(id_);
        format_ = 0;
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
}

bool clsV2Field::IsEmpty() const {
    if (kind_ == Kind::UserText) return description_.empty() && text_.empty();
    return text_.empty();
}

std::string clsV2Field::Payload(int version) const {
    std::string out;
    AppendPayload(out, version);
    return out;
}

void clsV2Field::AppendPayload(std::string& out, int version) const {
    switch (kind_) {
    case Kind::Text: {
        const uint8_t enc = ChooseEncoding(text_, version);
        out.push_back(static_cast<char>(enc));
        out += EncodeString(enc, text_);
        break;
    }
    case Kind::UserText:
    case Kind::Comment: {
        const uint8_t enc = ChooseEncoding(description_ + text_, version);
        out.push_back(static_cast<char>(enc));
        if (kind_ == Kind::Comment) out += language_.size() == 3 ? language_ : std::string("eng");
        out += EncodeString(enc, description_);
        out += Terminator(enc);
        out += EncodeString(enc, text_);
        break;
    }
    case Kind::UserUrl: {
        const uint8_t enc = ChooseEncoding(description_, version);
        out.push_back(static_cast<char>(enc));
        out += EncodeString(enc, description_);
        out += Terminator(enc);
        out += UrlToLatin1(text_);
        break;
    }
    case Kind::Url:
        out += UrlToLatin1(text_);
        break;
    case Kind::Binary:
        out += text_;
        break;
    }
}

size_t clsV2Field::PayloadSize(int version) const {
    // Binary payloads (pictures among them) are counted without being copied.
    return kind_ == Kind::Binary ? text_.size() : Payload(version).size();
}

size_t clsV2Field::CodeSize(int version) const {
    if (IsEmpty() || id_.size() != 4) return 0;
    const size_t payload = PayloadSize(version);
    if (payload > (version >= 4 ? size_t{kMaxSynchsafe} : size_t{0xFFFFFFFFu})) return 0;
    return 10 + payload;
}

std::string clsV2Field::sFieldCode(int version) const {
    std::string out;
    AppendFieldCode(out, version);
    return out;
}

void clsV2Field::AppendFieldCode(std::string& out, int version) const {
    if (IsEmpty() || id_.size() != 4) return;
    const size_t headerAt = out.size();
    out += id_;
    out.append(4, '\0');  // the size, filled in below
    const int target = version >= 4 ? 4 : 3;
    out.push_back(static_cast<char>(StatusForVersion(status_, flagVersion_, target)));
    // Format flags only mean something in the layout they were read with; a frame that moves
    // between layouts is never opaque, so its format byte is cleared.
    out.push_back(static_cast<char>(target == flagVersion_ ? format_ : 0));
    AppendPayload(out, version);
    const size_t payload = out.size() - headerAt - 10;
    if (payload > (version >= 4 ? size_t{kMaxSynchsafe} : size_t{0xFFFFFFFFu})) {
        out.resize(headerAt);  // too large for its size field: not written
        return;
    }
    const std::string size = version >= 4 ? WriteSynchsafe(static_cast<uint32_t>(payload))
                                          : WriteBigEndian(static_cast<uint32_t>(payload), 4);
    out.replace(headerAt + 4, 4, size);
}

}  // namespace vorda
