// SPDX-License-Identifier: GPL-2.0-or-later

// The tag editor's panes without widgets: the txtField values with their chkField marks, the
// two genre boxes, the tag switches with their enable and remove boxes, the Lyrics3 page and
// the "File info" page. The window mirrors its controls into a TagPanes and back; the rules of
// showing a file, clearing the panes and the confirmation text of a save work on it.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace vorda::tags {
class AudioFile;
}

namespace vorda::editing {

// txtField(0..16): 0..10 the ID3v2/general pane, 11..16 the ID3v1 pane.
inline constexpr int kFieldCount = 17;
namespace tag_field {
enum TagField : int {
    Title = 0,
    Artist,
    Album,
    Year,
    Track,
    Comment,
    Composer,
    OrgArtist,
    Copyright,
    Url,
    EncodedBy,
    V1Title = 11,
    V1Artist,
    V1Album,
    V1Year,
    V1Track,
    V1Comment
};
}  // namespace tag_field
using tag_field::TagField;

// The Lyrics3 page's controls: cmbLyrMood, cmbLyrSituation, cmbLyrQuality, txtLyrOther,
// txtLyrAuthor, txtLyrLyrics.
inline constexpr int kLyricsCount = 6;
namespace lyrics_control {
enum LyricsControl : int { Mood = 0, Situation, Quality, Other, Author, Lyrics };
}  // namespace lyrics_control
using lyrics_control::LyricsControl;
// The value key of each Lyrics3 control.
int lyricsKey(int control);

// The "File info" boxes: txtfHeader, txtfType, txtfkBit, txtfCopyrighted, txtfOriginal,
// txtfCRCs, txtfEmphasis, txtfQuality, txtfLength, txtfSize.
inline constexpr int kInfoCount = 10;
namespace info_box {
enum InfoBox : int { Header = 0, Type, KBit, Copyrighted, Original, Crcs, Emphasis, Quality, Length, Size };
}  // namespace info_box
using info_box::InfoBox;

// The tag switches, by position: ID3v1, ID3v2 ("Use tags" in simple mode), Lyrics3.
inline constexpr int kSwitchCount = 3;
namespace tag_switch {
enum TagSwitch : int { Id3v1 = 0, Id3v2 = 1, Lyrics3 = 2 };
}  // namespace tag_switch
using tag_switch::TagSwitch;
// The tag kind of a switch (TagKind::Id3v1, TagKind::Id3v2, TagKind::Lyrics3).
int switchKind(int tagSwitch);

// The value key of field index in the display mode; -1 for an index the mode does not use
// (the ID3v1 pane in simple mode) or outside 0..16.
int fieldKey(int index, bool advanced);
// The value key of a genre box (v1 = cmbV1Genre); -1 for cmbV1Genre in simple mode.
int genreKey(bool v1, bool advanced);

// The genre names of the ID3v1 table in alphabetical order, each with its genre number.
const std::vector<std::pair<std::string, int>>& genreList();
// The fixed lists of the three Lyrics3 combo boxes (control LyricsControl::Mood, LyricsControl::Situation,
// LyricsControl::Quality).
const std::vector<std::string>& lyricsChoices(int control);

struct TagPanes {
    std::array<std::string, kFieldCount> txtField{};
    std::array<bool, kFieldCount> chkField{};
    std::string cmbGenre;    // ID3v2/general genre
    std::string cmbV1Genre;  // ID3v1 genre
    bool chkGenre = false;
    bool chkV1Genre = false;
    // Enable and remove boxes, indexed by TagSwitch.
    std::array<bool, kSwitchCount> enabled{};
    std::array<bool, kSwitchCount> remove{};
    std::array<bool, kSwitchCount> removeVisible{};
    std::array<std::string, kLyricsCount> lyrics{};
    std::array<std::string, kInfoCount> fileInfo{};
    // A picture chosen on the "ID3v2+" page while several rows are selected: the image's bytes
    // and MIME type, added as the front cover to every file the next several-files save writes.
    std::string pendingPicture;
    std::string pendingPictureMime;

    // Typing into a field or a genre box marks it (rule of the marks: edited since shown).
    void setField(int index, const std::string& text);
    void setGenre(bool v1, const std::string& text);
    void clearMarks();
    bool anyMark() const;
    // A click on an enable box: checking it unchecks its remove box.
    void setEnabled(int tagSwitch, bool on);
    // A click on a remove box: checking it unchecks its enable box.
    void setRemove(int tagSwitch, bool on);
    // Whether the field (0..16) can be edited: its pane's enable box is checked.
    bool fieldEditable(int index) const;
    bool anySwitch() const;
};

// Clears the panes: every switch and mark off, every text empty, both genre boxes at their
// first entry. With several rows selected the remove boxes are shown (unchecked): all three in
// advanced mode, the Lyrics3 one in simple mode; simple mode checks "Use tags".
void clearTagPanes(TagPanes& panes, bool advanced, bool multiChange);

// Fills the panes from a file whose tags were read, by the mode's rules, then clears every mark.
void showTagsInPanes(TagPanes& panes, tags::AudioFile& file, bool advanced);

// The ten "File info" texts of a read file.
std::array<std::string, kInfoCount> fileInfoTexts(tags::AudioFile& file);

// The text of the OK/Cancel question before saving several files.
std::string saveConfirmationText(const TagPanes& panes, bool advanced);

}  // namespace vorda::editing
