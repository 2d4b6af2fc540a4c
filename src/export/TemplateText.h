// SPDX-License-Identifier: GPL-2.0-or-later

// The placeholders of export templates and a section text split into literal text and placeholders,
// so that every placeholder is filled in one pass and a value is never read as template text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorda::exports {

enum class Placeholder : int {
    // Tag values.
    Artist,
    Album,
    Title,
    Track,
    Year,
    Genre,
    Comment,
    Composer,
    Copyright,
    Encoder,
    Link,
    // Audio information.
    BitRate,
    ChannelMode,
    Layer,
    MpegVersion,
    Original,
    SampleRate,
    Seconds,
    Duration,
    // The file.
    FileDate,
    FileSize,
    FileName,
    RelFilePath,
    FilePath,
    // The export itself.
    RowNr,
    OddEven,
    TotFiles,
    TodayDate,
    TodayTime,
};

// The placeholder written as text ("<artist>"); nothing for any other text.
std::optional<Placeholder> placeholderNamed(std::string_view text);
// Its text in templates ("<artist>").
std::string_view placeholderText(Placeholder placeholder);
// True for the placeholders that stand for a value of the exported file (tags, audio, file).
bool isFilePlaceholder(Placeholder placeholder);

class TemplateText {
public:
    struct Piece {
        std::string literal;                     // the text, when placeholder is empty
        std::optional<Placeholder> placeholder;  // the placeholder this piece stands for
    };

    TemplateText() = default;
    // Splits text at the placeholders it names (case-sensitive; "<unknown>" stays literal text).
    explicit TemplateText(std::string_view text);

    const std::vector<Piece>& pieces() const { return pieces_; }

    // Appends the text to out with each placeholder replaced by what fill appends for it.
    // fill(Placeholder, std::string& out) returns false to keep the placeholder as literal text.
    template <class Fill>
    void render(std::string& out, Fill&& fill) const {
        for (const Piece& piece : pieces_) {
            if (!piece.placeholder) {
                out += piece.literal;
            } else if (!fill(*piece.placeholder, out)) {
                out += placeholderText(*piece.placeholder);
            }
        }
    }

private:
    std::vector<Piece> pieces_;
};

}  // namespace vorda::exports
