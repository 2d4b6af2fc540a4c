// One ID3v2 frame. Text-bearing frames are held decoded (UTF-8) with their description and
// language; every other frame, and every compressed, encrypted or grouped frame, is held as
// the bytes it was read with. Parsing and rendering work on byte buffers only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorda {

class clsV2Field {
public:
    // How the content of a frame is held.
    enum class Kind {
        Text,      // T*** but TXXX: one or more strings
        UserText,  // TXXX: description and value
        Url,       // W*** but WXXX: a URL without encoding byte
        UserUrl,   // WXXX: description and URL
        Comment,   // COMM, USLT: language, description and text
        Binary     // everything else: the payload byte for byte
    };

    // A new frame (four-character identifier) with the given flag bytes laid out as in a tag of
    // flagVersion (3 or 4). Its content is empty until SetData.
    clsV2Field(std::string id, uint8_t status, uint8_t format, int flagVersion);

    // Builds a frame from a payload read from a tag of the given version, after unsynchronisation
    // and the data length indicator have been dealt with. An opaque frame (compressed, encrypted
    // or grouped) keeps the payload as it is. A text-bearing payload that cannot be parsed is
    // kept as bytes too.
    static clsV2Field FromPayload(const std::string& id, std::string_view payload, uint8_t status,
                                  uint8_t format, int version);

    const std::string& ID() const { return id_; }
    Kind kind() const { return kind_; }
    uint8_t StatusFlags() const { return status_; }
    uint8_t FormatFlags() const { return format_; }
    int FlagVersion() const { return flagVersion_; }

    bool flgTagAltPreserve() const { return status_ & (flagVersion_ >= 4 ? 0x40 : 0x80); }
    bool flgFileAltPreserve() const { return status_ & (flagVersion_ >= 4 ? 0x20 : 0x40); }
    bool flgReadOnly() const { return status_ & (flagVersion_ >= 4 ? 0x10 : 0x20); }
    bool flgCompressed() const { return format_ & (flagVersion_ >= 4 ? 0x08 : 0x80); }
    bool flgEncrypted() const { return format_ & (flagVersion_ >= 4 ? 0x04 : 0x40); }
    bool flgGroupingIdentity() const { return format_ & (flagVersion_ >= 4 ? 0x40 : 0x20); }
    // Compressed, encrypted or grouped: the payload is kept byte for byte and never decoded.
    bool IsOpaque() const { return flgCompressed() || flgEncrypted() || flgGroupingIdentity(); }

    // The content as the program holds it: text frames their first string, TXXX the description,
    // a character 0 and the value (the value alone when there is no description), URL frames
    // the URL, COMM and USLT the text, other frames their bytes. SetData(data()) changes nothing.
    std::string data() const;
    // Replaces the content (same forms as data). The description and language of WXXX, COMM and
    // USLT stay; TXXX takes "description\0value", or only the value when there is no character 0.
    // An opaque frame becomes a plain one.
    void SetData(std::string_view content);
    // True when the frame holds nothing worth writing.
    bool IsEmpty() const;

    const std::string& Description() const { return description_; }
    const std::string& Language() const { return language_; }
    // All strings of a text frame joined by '\0' (the first one is what data gives).
    const std::string& FullText() const { return text_; }
    void SetLanguage(std::string language) { language_ = std::move(language); }
    void SetDescription(std::string description) { description_ = std::move(description); }

    // The payload as written into a tag of the given version (3 or 4).
    std::string Payload(int version) const;
    // The frame's bytes (header and payload) for a tag of the given version; empty when the
    // frame is empty or too large for its size field.
    std::string sFieldCode(int version) const;
    // The same, appended to out (the payload is copied once, straight into out).
    void AppendFieldCode(std::string& out, int version) const;
    // Length of sFieldCode(version), counted without copying a binary payload.
    size_t CodeSize(int version) const;

private:
    static Kind NaturalKind(std::string_view id);
    void AppendPayload(std::string& out, int version) const;
    size_t PayloadSize(int version) const;

    std::string id_;
    Kind kind_;
    uint8_t status_;
    uint8_t format_;
    int flagVersion_;
    std::string language_;
    std::string description_;
    std::string text_;  // decoded text, URL, or the payload bytes of a binary frame
};

}  // namespace vorda
