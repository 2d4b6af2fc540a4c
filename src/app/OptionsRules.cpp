// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/OptionsRules.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "base/Text.h"

using namespace vorda::base;

namespace vorda::app {

namespace {

constexpr long long kInt32Max = INT_MAX;
constexpr long long kInt32Min = INT_MIN;

bool allOf(std::string_view text, std::string_view allowed) {
    return std::all_of(text.begin(), text.end(),
                       [allowed](char c) { return allowed.find(c) != std::string_view::npos; });
}

bool noneOf(std::string_view text, std::string_view refused) {
    return text.find_first_of(refused) == std::string_view::npos;
}

long long clamp(long long v, long long lo, long long hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

bool acceptsText(InputRule rule, std::string_view text) {
    switch (rule) {
    case InputRule::Digits: return allOf(text, "0123456789");
    case InputRule::SignedDigits:
        if (!text.empty() && text.front() == '-') text.remove_prefix(1);
        return allOf(text, "0123456789");
    case InputRule::NonZeroDigits: return allOf(text, "123456789");
    case InputRule::FileType:
    case InputRule::NameText: return noneOf(text, kNameIllegalChars);
    }
    return false;
}

bool swallowsEnter(InputRule rule) { return rule == InputRule::Digits || rule == InputRule::SignedDigits; }

std::string removeCharsOf(std::string_view text, std::string_view chars) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (chars.find(c) == std::string_view::npos) out += c;
    return out;
}

long long leadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kInt32Max + 1) value = kInt32Max + 1;  // saturate; clamped below
    }
    return clamp(negative ? -value : value, kInt32Min, kInt32Max);
}

std::string correctNumberText(NumberBox box, std::string_view text) {
    long long v = leadingNumber(text);
    switch (box) {
    case NumberBox::MaxFNameLength: v = clamp(v, 1, 255); break;
    case NumberBox::MaxPadding:
        if (v < -1) v = -1;
        break;
    case NumberBox::TrackDigits: v = clamp(v, 1, 255); break;
    case NumberBox::AddPaddingSize:
    case NumberBox::AlbumSize:
        if (v < 0) v = 0;
        break;
    }
    return std::to_string(v);
}

PaddingCorrection correctAddPadding(std::string_view addText, std::string_view maxText) {
    PaddingCorrection result;
    const long long add = leadingNumber(correctNumberText(NumberBox::AddPaddingSize, addText));
    const long long max = leadingNumber(correctNumberText(NumberBox::MaxPadding, maxText));
    result.text = std::to_string(add);
    if (max >= 0 && add > max) {
        result.message = "You can not add more padding then maximum allowed padding (" + std::to_string(max) + ")!";
        result.text = std::to_string(max);
    }
    return result;
}

std::string checkPaddingOnOk(long long addPadding, long long maxPadding) {
    if (maxPadding >= 0 && maxPadding < addPadding)
        return "The \"Maximum padding limit\" must be greater than or equal to \"Padding to add...\".";
    return {};
}

int lyricsFieldMaxLength(TagUse useLyrics3) { return useLyrics3 == TagUse::Never ? 30 : 250; }

// ---------------------------------------------------------------- file types

bool FileTypeList::add(std::string_view text) {
    if (text.empty() || text.find('*') != std::string_view::npos) return false;
    // Entries are matched against lower-case extensions without their dot.
    size_t start = 0;
    while (start < text.size() && text[start] == '.') ++start;
    const std::string type = lowerCase(text.substr(start));
    if (type.empty()) return false;
    types_.push_back(type);
    return true;
}

bool FileTypeList::removeAt(int index) {
    if (index < 0 || index >= static_cast<int>(types_.size()) || types_[index] == "*") return false;
    types_.erase(types_.begin() + index);
    return true;
}

void FileTypeList::setShowAll(bool on) {
    if (on) {
        if (!showsAll()) types_.push_back("*");
    } else {
        types_.erase(std::remove(types_.begin(), types_.end(), "*"), types_.end());
    }
}

bool FileTypeList::showsAll() const { return std::find(types_.begin(), types_.end(), "*") != types_.end(); }

// ---------------------------------------------------------------- the form

int existsOptionOf(int fileExistAction) {
    switch (fileExistAction) {
    case FileExistAction::Skip: return 1;
    case FileExistAction::Replace: return 2;
    default: return 0;
    }
}

int fileExistActionOf(int optExists) {
    switch (optExists) {
    case 1: return FileExistAction::Skip;
    case 2: return FileExistAction::Replace;
    default: return FileExistAction::Ask;
    }
}

namespace {

// The settings' file types: an emptied list shows MP3 files again.
std::vector<std::string> fileTypesOf(const std::vector<std::string>& types) {
    return types.empty() ? std::vector<std::string>{"mp3"} : types;
}

std::string portText(long long port) { return std::to_string(port); }
long long portOf(const std::string& text) { return clamp(leadingNumber(text), 0, 65535); }

// A setting the control shows as it is.
struct AsShown {
    template <class T>
    const T& operator()(const T& value) const {
        return value;
    }
};
std::string trimmed(const std::string& text) { return trim(text); }

// Every option of the dialog once: its control in the form and the setting it shows. Form and
// Values are OptionsForm and Settings, const on the side that is only read. The visitor has one
// member per kind of pairing:
//   same(control, setting)                 the same type on both sides
//   code(index, setting)                   an option index or list index for a stored enum code
//   number(text, setting, box)             a number box and its integer, corrected as box
//   mapped(control, setting, show, take)   show: setting -> control, take: control -> setting
// Settings::saveOptions stores these settings but autoRemoveJunk and emptyFieldAction, which
// are held only while the program runs.
template <class Form, class Values, class Visitor>
void visitOptions(Form& f, Values& s, Visitor&& v) {
    // General
    v.same(f.chkAutoReadTags, s.autoReadTags);
    v.same(f.chkReadTags, s.readTags);
    v.same(f.chkAutoRemJunk, s.autoRemoveJunk);
    v.same(f.chkIgnoreReadOnly, s.ignoreReadOnly);
    v.same(f.chkRecycle, s.recycleFiles);
    v.mapped(f.lstFiletypes, s.fileTypes, AsShown{}, fileTypesOf);
    // Filename
    v.same(f.chkUseTags, s.useTags);
    v.same(f.chkLowext, s.lowerCaseExtension);
    v.same(f.chkFNameLength, s.limitFileNameLength);
    v.number(f.txtMaxFNameLength, s.maxFileNameLength, NumberBox::MaxFNameLength);
    v.same(f.chkSetAttributes, s.changeAttributes);
    v.same(f.chkReadOnly, s.readOnly);
    v.same(f.chkHidden, s.hidden);
    v.same(f.chkArchive, s.archive);
    v.same(f.chkFNamelcaseFirst, s.lowerCaseFirst);
    v.code(f.optChange, s.caseChange);
    // Formatting
    v.same(f.chkUndtospace, s.scoreToSpace);
    v.same(f.chk20tospace, s.percent20ToSpace);
    v.same(f.chkSpaces, s.fixSpaces);
    v.same(f.chkMisses, s.fixMisses);
    v.same(f.chkPadTrackNr, s.padTrackNumber);
    v.number(f.txtTrackDigits, s.trackDigits, NumberBox::TrackDigits);
    v.same(f.chkRemoveChars, s.useRemoveChars);
    v.same(f.txtRemoveChars, s.removedChars);
    v.same(f.chkReplace, s.useReplace);
    // Tag
    v.same(f.chkKeepSync, s.tagKeepSync);
    v.same(f.chkID3lcaseFirst, s.tagLowerCaseFirst);
    v.code(f.optID3CaseChange, s.tagCaseChange);
    v.code(f.cmbUseID3v1, s.useId3v1);
    v.code(f.cmbUseID3v2, s.useId3v2);
    v.code(f.cmbUseLyrics3, s.useLyrics3);
    v.number(f.txtAddPaddingSize, s.addPaddingSize, NumberBox::AddPaddingSize);
    v.number(f.txtMaxPadding, s.maxPaddingSize, NumberBox::MaxPadding);
    // freedb
    v.same(f.txtFreeDBServer, s.remoteHost);
    v.mapped(f.txtFreeDBPort, s.remotePort, portText, portOf);
    v.same(f.txtFreeDBUser, s.userName);
    v.same(f.txtFreeDBHost, s.userHost);
    v.same(f.chkFreeDBFormatting, s.applyFormatting);
    // Media player
    v.mapped(f.txtPlayerPath, s.playerPath, AsShown{}, trimmed);
    // Sorting
    v.same(f.chkSortToExistingFolders, s.sortToExistingFolders);
    v.number(f.txtAlbumSize, s.albumSize, NumberBox::AlbumSize);
    v.mapped(f.optExists, s.fileExistAction, existsOptionOf, fileExistActionOf);
    v.same(f.optID3Empty, s.emptyFieldAction);
}

// Settings -> controls, as the dialog opens.
struct ShowSettings {
    template <class T>
    void same(T& control, const T& setting) const {
        control = setting;
    }
    template <class Code>
    void code(int& index, const Code& setting) const {
        index = static_cast<int>(setting);
    }
    template <class Int>
    void number(std::string& text, const Int& setting, NumberBox) const {
        text = std::to_string(setting);
    }
    template <class C, class S, class Show, class Take>
    void mapped(C& control, const S& setting, Show show, Take) const {
        control = show(setting);
    }
};

// Controls -> settings, on OK (the number boxes corrected before).
struct TakeControls {
    template <class T>
    void same(const T& control, T& setting) const {
        setting = control;
    }
    template <class Code>
    void code(const int& index, Code& setting) const {
        setting = static_cast<Code>(index);
    }
    template <class Int>
    void number(const std::string& text, Int& setting, NumberBox) const {
        setting = static_cast<Int>(leadingNumber(text));
    }
    template <class C, class S, class Show, class Take>
    void mapped(const C& control, S& setting, Show, Take take) const {
        setting = take(control);
    }
};

// The corrections of the number boxes on OK, as when they lose the focus.
struct CorrectNumberBoxes {
    template <class... Any>
    void same(Any&&...) const {}
    template <class... Any>
    void code(Any&&...) const {}
    template <class... Any>
    void mapped(Any&&...) const {}
    template <class Int>
    void number(std::string& text, const Int&, NumberBox box) const {
        text = correctNumberText(box, text);
    }
};

}  // namespace

OptionsForm formFromSettings(const Settings& s) {
    OptionsForm f;
    visitOptions(f, s, ShowSettings{});
    return f;
}

std::string applyOptionsForm(OptionsForm& f, Settings& s, IniFile& ini) {
    visitOptions(f, std::as_const(s), CorrectNumberBoxes{});
    std::string message = checkPaddingOnOk(leadingNumber(f.txtAddPaddingSize), leadingNumber(f.txtMaxPadding));
    if (!message.empty()) return message;

    visitOptions(std::as_const(f), s, TakeControls{});
    s.saveOptions(ini);
    return {};
}

}  // namespace vorda::app
