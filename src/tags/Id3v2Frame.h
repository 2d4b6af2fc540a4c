// SPDX-License-Identifier: GPL-2.0-or-later

// One ID3v2 frame. Text-bearing frames are held decoded (UTF-8) with their description and
// language; every other frame is held as its payload bytes. A frame read from a tag also keeps
// the bytes it was read with and writes exactly those back until its content is set, so a
// frame nobody touched never changes. Parsing and rendering work on byte buffers only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorda::tags {

class Id3v2Frame {
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
    // flagVersion (3 or 4). Its content is empty until setData.
    Id3v2Frame(std::string id, uint8_t status, uint8_t format, int flagVersion);

    // Builds a frame from a plain payload (no frame flags in effect) that goes into a tag of the
    // given version (3 or 4) as it is. A text-bearing payload that cannot be decoded reads as
    // empty (see Unreadable); the payload is kept either way.
    static Id3v2Frame fromPayload(const std::string& id, std::string_view payload, uint8_t status, uint8_t format,
                                  int version);
    // Builds a frame as it stands in a tag of version 3 or 4: payload is everything after the
    // 10-byte frame header (in a version 2.3 tag after the tag-wide unsynchronisation was undone);
    // tagUnsynchronised says that a version 2.4 tag has every frame unsynchronised. Unsynchronised
    // frames are resynchronised, a group byte is skipped and compressed frames are inflated for
    // reading; an encrypted frame, or one that cannot be inflated or decoded, reads as empty.
    // sizeBytes: the four size bytes as read, kept when they still give the payload's length
    // (empty: the size is written for the payload).
    static Id3v2Frame fromTagFrame(std::string_view id, std::string_view payload, uint8_t status, uint8_t format,
                                   int version, bool tagUnsynchronised, std::string_view sizeBytes = {});

    const std::string& id() const { return id_; }
    Kind kind() const { return kind_; }
    uint8_t statusFlags() const { return status_; }
    uint8_t formatFlags() const { return format_; }
    int flagVersion() const { return flagVersion_; }

    bool flgTagAltPreserve() const { return status_ & (flagVersion_ >= 4 ? 0x40 : 0x80); }
    bool flgFileAltPreserve() const { return status_ & (flagVersion_ >= 4 ? 0x20 : 0x40); }
    bool flgReadOnly() const { return status_ & (flagVersion_ >= 4 ? 0x10 : 0x20); }
    bool flgCompressed() const { return format_ & (flagVersion_ >= 4 ? 0x08 : 0x80); }
    bool flgEncrypted() const { return format_ & (flagVersion_ >= 4 ? 0x04 : 0x40); }
    bool flgGroupingIdentity() const { return format_ & (flagVersion_ >= 4 ? 0x40 : 0x20); }
    // The content cannot be read (encrypted, not inflatable, or text that cannot be decoded):
    // data is empty and the frame is written back as it was read.
    bool unreadable() const { return unreadable_; }
    // The frame holds something that data does not show: it is unreadable, or its first string
    // is empty while further strings follow.
    bool hidesContent() const;
    // The frame is written back byte for byte as it was read (its content was never set).
    bool keepsReadBytes() const { return !raw_.empty(); }

    // The content as the program holds it: text frames their first string, TXXX the description,
    // a character 0 and the value (the value alone when there is no description), URL frames
    // the URL, COMM and USLT the text, other frames their bytes. setData(data()) changes nothing.
    std::string data() const;
    // Replaces the content (same forms as data). The description and language of WXXX, COMM and
    // USLT stay; TXXX takes "description\0value", or only the value when there is no character 0.
    // Unless the content stays the same, the frame is then written plainly (no compression,
    // encryption, grouping or unsynchronisation) from its content.
    void setData(std::string_view content);
    // True when the frame holds nothing worth writing.
    bool isEmpty() const;

    const std::string& description() const { return description_; }
    const std::string& language() const { return language_; }
    // All strings of a text frame joined by '\0' (the first one is what data gives).
    const std::string& fullText() const { return text_; }
    void setLanguage(std::string language) { language_ = std::move(language); }
    void setDescription(std::string description) { description_ = std::move(description); }

    // The payload as written into a tag of the given version (3 or 4).
    std::string payload(int version) const;
    // The frame's bytes (header and payload) for a tag of the given version; empty when the
    // frame is empty or too large for its size field.
    std::string sFieldCode(int version) const;
    // The same, appended to out (the payload is copied once, straight into out).
    void appendFieldCode(std::string& out, int version) const;
    // Length of sFieldCode(version), counted without copying a binary payload.
    size_t codeSize(int version) const;

private:
    static Kind naturalKind(std::string_view id);
    // Reads the content from a plain payload.
    void decode(std::string_view payload);
    void markUnreadable();
    bool contentEmpty() const;
    // The bytes read are what a tag of that version gets.
    bool writesReadBytes(int version) const { return !raw_.empty() && rawVersion_ == (version >= 4 ? 4 : 3); }
    void appendPayload(std::string& out, int version) const;
    size_t payloadSize(int version) const;

    std::string id_;
    Kind kind_;
    uint8_t status_;
    uint8_t format_;
    int flagVersion_;
    std::string language_;
    std::string description_;
    std::string text_;  // decoded text, URL, or the payload bytes of a binary frame
    bool unreadable_ = false;
    std::string raw_;     // the frame (header and payload) as read, until the content is set
    int rawVersion_ = 0;  // the tag version raw_ is laid out for
};

}  // namespace vorda::tags
