// SPDX-License-Identifier: GPL-2.0-or-later

// The tag editor's panes: showing a file, clearing, the file information and the confirmation.
#include "editing/TagPanes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/Text.h"
#include "tags/AudioFile.h"
#include "tags/GenreList.h"

using namespace vorda::base;
using namespace vorda::tags;

namespace vorda::editing {

namespace {

constexpr const char* kCRLF = "\r\n";

// The number in a value the readers give as decimal text; 0 for anything else.
double numberOf(const std::string& text) {
    const std::string t = trim(text);
    if (t.empty()) return 0;
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    return end != nullptr && *end == '\0' ? v : 0;
}

}  // namespace

int lyricsKey(int control) {
    static const int keys[kLyricsCount] = {ValueKey::Mood,      ValueKey::Situation, ValueKey::Quality,
                                           ValueKey::OtherInfo, ValueKey::Author,    ValueKey::Lyrics};
    return control >= 0 && control < kLyricsCount ? keys[control] : -1;
}

int switchKind(int tagSwitch) {
    static const int kinds[kSwitchCount] = {TagKind::Id3v1, TagKind::Id3v2, TagKind::Lyrics3};
    return tagSwitch >= 0 && tagSwitch < kSwitchCount ? kinds[tagSwitch] : -1;
}

int fieldKey(int index, bool advanced) {
    static const int advancedKeys[kFieldCount] = {
        ValueKey::V2Title,   ValueKey::V2Artist, ValueKey::V2Album,   ValueKey::V2Year,    ValueKey::V2Track,
        ValueKey::V2Comment, ValueKey::Composer, ValueKey::OrgArtist, ValueKey::Copyright, ValueKey::Url,
        ValueKey::EncodedBy, ValueKey::V1Title,  ValueKey::V1Artist,  ValueKey::V1Album,   ValueKey::V1Year,
        ValueKey::V1Track,   ValueKey::V1Comment};
    static const int simpleKeys[11] = {ValueKey::Title,     ValueKey::Artist,  ValueKey::Album,    ValueKey::Year,
                                       ValueKey::Track,     ValueKey::Comment, ValueKey::Composer, ValueKey::OrgArtist,
                                       ValueKey::Copyright, ValueKey::Url,     ValueKey::EncodedBy};
    if (index < 0 || index >= kFieldCount) return -1;
    if (advanced) return advancedKeys[index];
    return index <= 10 ? simpleKeys[index] : -1;
}

int genreKey(bool v1, bool advanced) {
    if (!advanced) return v1 ? -1 : ValueKey::Genre;
    return v1 ? ValueKey::V1Genre : ValueKey::V2Genre;
}

const std::vector<std::pair<std::string, int>>& genreList() {
    static const std::vector<std::pair<std::string, int>> list = [] {
        std::vector<std::pair<std::string, int>> out;
        const GenreTable genres;
        for (int n = 0; n < GenreTable::kCount; ++n) {
            const std::string name = trim(genres.genre(n));
            if (!name.empty()) out.emplace_back(name, n);
        }
        std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        return out;
    }();
    return list;
}

const std::vector<std::string>& lyricsChoices(int control) {
    static const std::vector<std::string> mood{"Classics", "Crazy", "Happy",  "Normal", "Relaxing",
                                               "Sad",      "Slow",  "Upbeat", "Wild"};
    static const std::vector<std::string> situation{"Background", "Dance", "Dinner",   "Driving",
                                                    "Party",      "Rave",  "Romantic", "Seasonal"};
    static const std::vector<std::string> quality{"Terrible", "Bad", "Fair", "Good", "Very Good", "Excellent!"};
    static const std::vector<std::string> none;
    switch (control) {
    case LyricsControl::Mood: return mood;
    case LyricsControl::Situation: return situation;
    case LyricsControl::Quality: return quality;
    default: return none;
    }
}

// ---------------------------------------------------------------- TagPanes

void TagPanes::setField(int index, const std::string& text) {
    if (index < 0 || index >= kFieldCount) return;
    txtField[static_cast<size_t>(index)] = text;
    chkField[static_cast<size_t>(index)] = true;
}

void TagPanes::setGenre(bool v1, const std::string& text) {
    (v1 ? cmbV1Genre : cmbGenre) = text;
    (v1 ? chkV1Genre : chkGenre) = true;
}

void TagPanes::clearMarks() {
    chkField.fill(false);
    chkGenre = chkV1Genre = false;
}

bool TagPanes::anyMark() const {
    return chkGenre || chkV1Genre || std::any_of(chkField.begin(), chkField.end(), [](bool b) { return b; });
}

void TagPanes::setEnabled(int tagSwitch, bool on) {
    if (tagSwitch < 0 || tagSwitch >= kSwitchCount) return;
    enabled[static_cast<size_t>(tagSwitch)] = on;
    if (on) remove[static_cast<size_t>(tagSwitch)] = false;
}

void TagPanes::setRemove(int tagSwitch, bool on) {
    if (tagSwitch < 0 || tagSwitch >= kSwitchCount) return;
    remove[static_cast<size_t>(tagSwitch)] = on;
    if (on) enabled[static_cast<size_t>(tagSwitch)] = false;
}

bool TagPanes::fieldEditable(int index) const {
    if (index < 0 || index >= kFieldCount) return false;
    return index <= 10 ? enabled[TagSwitch::Id3v2] : enabled[TagSwitch::Id3v1];
}

bool TagPanes::anySwitch() const {
    for (int i = 0; i < kSwitchCount; ++i)
        if (enabled[static_cast<size_t>(i)] || remove[static_cast<size_t>(i)]) return true;
    return false;
}

// ---------------------------------------------------------------- show and clear

void clearTagPanes(TagPanes& panes, bool advanced, bool multiChange) {
    panes = TagPanes();
    // Both genre boxes stay empty: no genre is shown where no file is.
    // The remove boxes serve several files only; "Remove v1!" and "Remove v2!" advanced mode only.
    panes.removeVisible = {advanced && multiChange, advanced && multiChange, multiChange};
    if (!advanced) panes.enabled[TagSwitch::Id3v2] = true;
}

void showTagsInPanes(TagPanes& panes, AudioFile& file, bool advanced) {
    TagHandler& tag = file.tag();
    auto fill = [&](int index) {
        panes.txtField[static_cast<size_t>(index)] = tag.getValue(fieldKey(index, advanced));
    };

    if (advanced) {
        panes.setEnabled(TagSwitch::Id3v1, tag.hasTag(TagKind::Id3v1));
        if (tag.hasTag(TagKind::Id3v1)) {
            for (int i = 11; i <= 16; ++i) fill(i);
            panes.cmbV1Genre = tag.getValue(ValueKey::V1Genre);
        }
    }
    panes.setEnabled(TagSwitch::Lyrics3, tag.hasTag(TagKind::Lyrics3));
    if (tag.hasTag(TagKind::Lyrics3)) {
        for (int c = 0; c < kLyricsCount; ++c) panes.lyrics[static_cast<size_t>(c)] = tag.getValue(lyricsKey(c));
    }
    const bool showGeneral = !advanced || tag.hasTag(TagKind::Id3v2);
    panes.setEnabled(TagSwitch::Id3v2, showGeneral);
    if (showGeneral) {
        for (int i = 0; i <= 10; ++i) fill(i);
        panes.cmbGenre = tag.getValue(genreKey(false, advanced));
    }
    panes.clearMarks();
}

std::array<std::string, kInfoCount> fileInfoTexts(AudioFile& file) {
    const AudioInfo& audio = file.audio();
    std::array<std::string, kInfoCount> t;
    t[InfoBox::Header] = "Header: " + std::to_string(audio.startPos()) + "b";

    char version[32];
    std::snprintf(version, sizeof version, "%.1f", numberOf(audio.getInfo(AudioKey::Version)));
    t[InfoBox::Type] = audio.audioType() + " " + version;
    const std::string layer = audio.getInfo(AudioKey::Layer);
    if (!layer.empty()) t[InfoBox::Type] += " layer " + layer;
    t[InfoBox::Type] += " " + file.tag().tagType();

    const std::string bitRate = trim(audio.getInfo(AudioKey::BitRate));
    if (bitRate == "-1")
        t[InfoBox::KBit] = "??? kbps";
    else if (bitRate == "0")
        t[InfoBox::KBit] = "free kbps";
    else
        t[InfoBox::KBit] = std::to_string(static_cast<long long>(numberOf(bitRate)) / 1000) + " kbps";
    t[InfoBox::KBit] += numberOf(audio.getInfo(AudioKey::Vbr)) != 0 ? " (VBR)" : " (CBR)";

    t[InfoBox::Copyrighted] =
        numberOf(audio.getInfo(AudioKey::Copyright)) == 0 ? "Copyrighted: No" : "Copyrighted: Yes";
    t[InfoBox::Original] = numberOf(audio.getInfo(AudioKey::Original)) == 0 ? "Original: No" : "Original: Yes";
    // The reader gives "-1" when the frames carry a CRC (protection bit 0).
    t[InfoBox::Crcs] = numberOf(audio.getInfo(AudioKey::Crc)) != 0 ? "CRCs: Yes" : "CRCs: No";
    t[InfoBox::Emphasis] = "Emphasis: " + audio.getInfo(AudioKey::Emphasis);
    const std::string rate = trim(audio.getInfo(AudioKey::SampleRate));
    t[InfoBox::Quality] =
        (numberOf(rate) == 0 ? std::string("?") : rate) + "Hz " + audio.getInfo(AudioKey::ChannelMode);
    t[InfoBox::Length] =
        "Duration: " + formatDuration(static_cast<long long>(numberOf(audio.getInfo(AudioKey::Duration))));
    t[InfoBox::Size] = "Size: " + std::to_string(file.fileSize()) + "b";
    return t;
}

// ---------------------------------------------------------------- confirmation

std::string saveConfirmationText(const TagPanes& p, bool advanced) {
    auto line = [](const char* label, const std::string& text) {
        return std::string(kCRLF) + label + "\"" + text + "\"";
    };
    auto field = [&](int i) -> const std::string& { return p.txtField[static_cast<size_t>(i)]; };
    auto marked = [&](int i) { return p.chkField[static_cast<size_t>(i)]; };

    auto generalLines = [&] {
        std::string out;
        static const char* const labels[] = {"Title: ", "Artist: ", "Album: ", "Year: "};
        for (int i = 0; i <= 3; ++i)
            if (marked(i)) out += line(labels[i], field(i));
        if (p.chkGenre) out += line("Genre: ", p.cmbGenre);
        if (marked(4)) out += line("Track: ", field(4));
        if (marked(5)) out += line("Comments: ", field(5));
        static const char* const more[] = {"Composer: ", "Original Artist: ", "Copyright: ", "URL: ", "Encoded By: "};
        for (int i = 6; i <= 10; ++i)
            if (marked(i)) out += line(more[i - 6], field(i));
        return out;
    };

    std::string text = "The following attributes will be changed for ALL selected files:";
    if (advanced) {
        if (p.remove[TagSwitch::Id3v1]) {
            text += std::string(kCRLF) + kCRLF + "ID3v1 tags will be REMOVED!";
        } else if (p.enabled[TagSwitch::Id3v1]) {
            text += std::string(kCRLF) + kCRLF + "ID3v1 (will be added if nonexistent):";
            static const char* const labels[] = {"Title: ", "Artist: ", "Album: ", "Year: "};
            for (int i = 11; i <= 14; ++i)
                if (marked(i)) text += line(labels[i - 11], field(i));
            if (p.chkV1Genre) text += line("Genre: ", p.cmbV1Genre);
            if (marked(15)) text += line("Track: ", field(15));
            if (marked(16)) text += line("Comments: ", field(16));
        }
        if (p.remove[TagSwitch::Id3v2]) {
            text += std::string(kCRLF) + kCRLF + "ID3v2 tags will be REMOVED!";
        } else if (p.enabled[TagSwitch::Id3v2]) {
            text += std::string(kCRLF) + kCRLF + "ID3v2 (will be added if nonexistent):" + generalLines();
        }
    } else {
        text += kCRLF + generalLines();
    }
    if (p.remove[TagSwitch::Lyrics3]) {
        text += std::string(kCRLF) + kCRLF + "Lyrics3 tags will be REMOVED!";
    } else if (p.enabled[TagSwitch::Lyrics3]) {
        text += std::string(kCRLF) + kCRLF + "Lyrics3 (will be added if nonexistent):";
        static const char* const labels[kLyricsCount] = {
            "Mood: ", "Situation: ", "Quality: ", "Other: ", "Lyrics author: ", "Lyrics: "};
        for (int c = 0; c < kLyricsCount; ++c)
            if (!p.lyrics[static_cast<size_t>(c)].empty()) text += line(labels[c], p.lyrics[static_cast<size_t>(c)]);
    }
    if (!p.pendingPicture.empty() && !p.remove[TagSwitch::Id3v2])
        text += std::string(kCRLF) + kCRLF + "Front cover (" + p.pendingPictureMime + ", " +
                std::to_string(p.pendingPicture.size()) + " bytes) will be added.";
    return text;
}

}  // namespace vorda::editing
