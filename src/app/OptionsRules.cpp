// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/OptionsRules.h"

#include <algorithm>
#include <climits>

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
    case feaSkip: return 1;
    case feaReplace: return 2;
    default: return 0;
    }
}

int fileExistActionOf(int optExists) {
    switch (optExists) {
    case 1: return feaSkip;
    case 2: return feaReplace;
    default: return feaAsk;
    }
}

OptionsForm formFromSettings(const Settings& s) {
    OptionsForm f;
    f.chkAutoReadTags = s.autoReadTags;
    f.chkReadTags = s.readTags;
    f.chkAutoRemJunk = s.autoRemoveJunk;
    f.chkIgnoreReadOnly = s.ignoreReadOnly;
    f.chkRecycle = s.recycleFiles;
    f.lstFiletypes = s.fileTypes;

    f.chkUseTags = s.useTags;
    f.chkLowext = s.lowerCaseExtension;
    f.chkFNameLength = s.limitFileNameLength;
    f.txtMaxFNameLength = std::to_string(s.maxFileNameLength);
    f.chkSetAttributes = s.changeAttributes;
    f.chkReadOnly = s.readOnly;
    f.chkHidden = s.hidden;
    f.chkArchive = s.archive;
    f.chkFNamelcaseFirst = s.lowerCaseFirst;
    f.optChange = static_cast<int>(s.caseChange);

    f.chkUndtospace = s.scoreToSpace;
    f.chk20tospace = s.percent20ToSpace;
    f.chkSpaces = s.fixSpaces;
    f.chkMisses = s.fixMisses;
    f.chkPadTrackNr = s.padTrackNumber;
    f.txtTrackDigits = std::to_string(s.trackDigits);
    f.chkRemoveChars = s.useRemoveChars;
    f.txtRemoveChars = s.removedChars;
    f.chkReplace = s.useReplace;

    f.chkKeepSync = s.tagKeepSync;
    f.chkID3lcaseFirst = s.tagLowerCaseFirst;
    f.optID3CaseChange = static_cast<int>(s.tagCaseChange);
    f.cmbUseID3v1 = static_cast<int>(s.useId3v1);
    f.cmbUseID3v2 = static_cast<int>(s.useId3v2);
    f.cmbUseLyrics3 = static_cast<int>(s.useLyrics3);
    f.txtAddPaddingSize = std::to_string(s.addPaddingSize);
    f.txtMaxPadding = std::to_string(s.maxPaddingSize);

    f.txtFreeDBServer = s.remoteHost;
    f.txtFreeDBPort = std::to_string(s.remotePort);
    f.txtFreeDBUser = s.userName;
    f.txtFreeDBHost = s.userHost;
    f.chkFreeDBFormatting = s.applyFormatting;
    f.txtPlayerPath = s.playerPath;

    f.chkSortToExistingFolders = s.sortToExistingFolders;
    f.txtAlbumSize = std::to_string(s.albumSize);
    f.optExists = existsOptionOf(s.fileExistAction);
    f.optID3Empty = s.emptyFieldAction;
    return f;
}

std::string applyOptionsForm(OptionsForm& f, Settings& s, IniFile& ini) {
    f.txtMaxFNameLength = correctNumberText(NumberBox::MaxFNameLength, f.txtMaxFNameLength);
    f.txtTrackDigits = correctNumberText(NumberBox::TrackDigits, f.txtTrackDigits);
    f.txtAddPaddingSize = correctNumberText(NumberBox::AddPaddingSize, f.txtAddPaddingSize);
    f.txtMaxPadding = correctNumberText(NumberBox::MaxPadding, f.txtMaxPadding);
    f.txtAlbumSize = correctNumberText(NumberBox::AlbumSize, f.txtAlbumSize);

    const long long addPadding = leadingNumber(f.txtAddPaddingSize);
    const long long maxPadding = leadingNumber(f.txtMaxPadding);
    std::string message = checkPaddingOnOk(addPadding, maxPadding);
    if (!message.empty()) return message;

    s.autoReadTags = f.chkAutoReadTags;
    s.readTags = f.chkReadTags;
    s.autoRemoveJunk = f.chkAutoRemJunk;
    s.ignoreReadOnly = f.chkIgnoreReadOnly;
    s.recycleFiles = f.chkRecycle;
    s.fileTypes = f.lstFiletypes.empty() ? std::vector<std::string>{"mp3"} : f.lstFiletypes;

    s.useTags = f.chkUseTags;
    s.lowerCaseExtension = f.chkLowext;
    s.limitFileNameLength = f.chkFNameLength;
    s.maxFileNameLength = static_cast<int>(leadingNumber(f.txtMaxFNameLength));
    s.changeAttributes = f.chkSetAttributes;
    s.readOnly = f.chkReadOnly;
    s.hidden = f.chkHidden;
    s.archive = f.chkArchive;
    s.lowerCaseFirst = f.chkFNamelcaseFirst;
    s.caseChange = static_cast<CaseChange>(f.optChange);

    s.scoreToSpace = f.chkUndtospace;
    s.percent20ToSpace = f.chk20tospace;
    s.fixSpaces = f.chkSpaces;
    s.fixMisses = f.chkMisses;
    s.padTrackNumber = f.chkPadTrackNr;
    s.trackDigits = static_cast<int>(leadingNumber(f.txtTrackDigits));
    s.useRemoveChars = f.chkRemoveChars;
    s.removedChars = f.txtRemoveChars;
    s.useReplace = f.chkReplace;

    s.tagKeepSync = f.chkKeepSync;
    s.tagLowerCaseFirst = f.chkID3lcaseFirst;
    s.tagCaseChange = static_cast<CaseChange>(f.optID3CaseChange);
    s.useId3v1 = static_cast<TagUse>(f.cmbUseID3v1);
    s.useId3v2 = static_cast<TagUse>(f.cmbUseID3v2);
    s.useLyrics3 = static_cast<TagUse>(f.cmbUseLyrics3);
    s.addPaddingSize = addPadding;
    s.maxPaddingSize = maxPadding;

    s.remoteHost = f.txtFreeDBServer;
    s.remotePort = clamp(leadingNumber(f.txtFreeDBPort), 0, 65535);
    s.userName = f.txtFreeDBUser;
    s.userHost = f.txtFreeDBHost;
    s.applyFormatting = f.chkFreeDBFormatting;
    s.playerPath = trim(f.txtPlayerPath);

    s.sortToExistingFolders = f.chkSortToExistingFolders;
    s.albumSize = leadingNumber(f.txtAlbumSize);
    s.fileExistAction = fileExistActionOf(f.optExists);
    s.emptyFieldAction = f.optID3Empty;

    s.saveOptions(ini);
    return {};
}

}  // namespace vorda::app
