#include "app/OptionsRules.h"

#include <algorithm>
#include <climits>

#include "app/Routines.h"

namespace vorda {

namespace {

constexpr long long kInt32Max = INT_MAX;
constexpr long long kInt32Min = INT_MIN;

bool allOf(std::string_view text, std::string_view allowed)
{
    return std::all_of(text.begin(), text.end(),
                       [allowed](char c) { return allowed.find(c) != std::string_view::npos; });
}

bool noneOf(std::string_view text, std::string_view refused)
{
    return text.find_first_of(refused) == std::string_view::npos;
}

long long clamp(long long v, long long lo, long long hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

bool acceptsText(InputRule rule, std::string_view text)
{
    switch (rule) {
    case InputRule::Digits:
        return allOf(text, "0123456789");
    case InputRule::SignedDigits:
        if (!text.empty() && text.front() == '-') text.remove_prefix(1);
        return allOf(text, "0123456789");
    case InputRule::NonZeroDigits:
        return allOf(text, "123456789");
    case InputRule::FileType:
    case InputRule::NameText:
        return noneOf(text, kNameIllegalChars);
    }
    return false;
}

bool swallowsEnter(InputRule rule) { return rule == InputRule::Digits || rule == InputRule::SignedDigits; }

std::string removeCharsOf(std::string_view text, std::string_view chars)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (chars.find(c) == std::string_view::npos) out += c;
    return out;
}

long long leadingNumber(std::string_view text)
{
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

std::string correctNumberText(NumberBox box, std::string_view text)
{
    long long v = leadingNumber(text);
    switch (box) {
    case NumberBox::MaxFNameLength:
        v = clamp(v, 1, 255);
        break;
    case NumberBox::MaxPadding:
        if (v < -1) v = -1;
        break;
    case NumberBox::TrackDigits:
        v = clamp(v, 1, 255);
        break;
    case NumberBox::AddPaddingSize:
    case NumberBox::AlbumSize:
        if (v < 0) v = 0;
        break;
    }
    return std::to_string(v);
}

PaddingCorrection correctAddPadding(std::string_view addText, std::string_view maxText)
{
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

std::string checkPaddingOnOk(long long addPadding, long long maxPadding)
{
    if (maxPadding >= 0 && maxPadding < addPadding)
        return "The \"Maximum padding limit\" must be greater than or equal to \"Padding to add...\".";
    return {};
}

int lyricsFieldMaxLength(int useLyrics3) { return useLyrics3 == tuNever ? 30 : 250; }

// ---------------------------------------------------------------- file types

bool FileTypeList::add(std::string_view text)
{
    if (text.empty() || text.find('*') != std::string_view::npos) return false;
    // Entries are matched against lower-case extensions without their dot.
    size_t start = 0;
    while (start < text.size() && text[start] == '.') ++start;
    const std::string type = lowerCase(text.substr(start));
    if (type.empty()) return false;
    types_.push_back(type);
    return true;
}

bool FileTypeList::removeAt(int index)
{
    if (index < 0 || index >= static_cast<int>(types_.size()) || types_[index] == "*") return false;
    types_.erase(types_.begin() + index);
    return true;
}

void FileTypeList::setShowAll(bool on)
{
    if (on) {
        if (!showsAll()) types_.push_back("*");
    } else {
        types_.erase(std::remove(types_.begin(), types_.end(), "*"), types_.end());
    }
}

bool FileTypeList::showsAll() const { return std::find(types_.begin(), types_.end(), "*") != types_.end(); }

// ---------------------------------------------------------------- the form

int existsOptionOf(int feaFileExistAction)
{
    switch (feaFileExistAction) {
    case feaSkip: return 1;
    case feaReplace: return 2;
    default: return 0;
    }
}

int fileExistActionOf(int optExists)
{
    switch (optExists) {
    case 1: return feaSkip;
    case 2: return feaReplace;
    default: return feaAsk;
    }
}

OptionsForm formFromSettings(const Settings& s)
{
    OptionsForm f;
    f.chkAutoReadTags = s.bAutoReadTags;
    f.chkReadTags = s.bReadTags;
    f.chkAutoRemJunk = s.bAutoRemJunk;
    f.chkIgnoreReadOnly = s.bIgnoreReadOnly;
    f.chkRecycle = s.bRecycleFiles;
    f.lstFiletypes = s.fileTypes;

    f.chkUseTags = s.bUseTags;
    f.chkLowext = s.bLowExtension;
    f.chkFNameLength = s.bLimitFNameLength;
    f.txtMaxFNameLength = std::to_string(s.iMaxFNameLength);
    f.chkSetAttributes = s.bSetAttributes;
    f.chkReadOnly = s.bReadOnly;
    f.chkHidden = s.bHidden;
    f.chkArchive = s.bArchive;
    f.chkFNamelcaseFirst = s.bLCaseFirst;
    f.optChange = s.iCaseChange;

    f.chkUndtospace = s.bScoreToSpace;
    f.chk20tospace = s.b20toSpace;
    f.chkSpaces = s.bFixSpaces;
    f.chkMisses = s.bFixMisses;
    f.chkPadTrackNr = s.bPadTrackNr;
    f.txtTrackDigits = std::to_string(s.iTrackDigits);
    f.chkRemoveChars = s.bUseRemoveChars;
    f.txtRemoveChars = s.sRemovedChars;
    f.chkReplace = s.bUseReplace;

    f.chkKeepSync = s.bTAGKeepSync;
    f.chkID3lcaseFirst = s.bTAGLCaseFirst;
    f.optID3CaseChange = s.tagCaseChange;
    f.cmbUseID3v1 = s.useID3v1;
    f.cmbUseID3v2 = s.useID3v2;
    f.cmbUseLyrics3 = s.useLyrics3;
    f.txtAddPaddingSize = std::to_string(s.lAddPaddingSize);
    f.txtMaxPadding = std::to_string(s.lMaxPaddingSize);

    f.txtFreeDBServer = s.remoteHost;
    f.txtFreeDBPort = std::to_string(s.remotePort);
    f.txtFreeDBUser = s.userName;
    f.txtFreeDBHost = s.userHost;
    f.chkFreeDBFormatting = s.applyFormatting;

    f.chkSortToExistingFolders = s.bSortToExistingFolders;
    f.txtAlbumSize = std::to_string(s.lAlbumSize);
    f.optExists = existsOptionOf(s.feaFileExistAction);
    f.optID3Empty = s.iEmptyFieldAction;
    return f;
}

std::string applyOptionsForm(OptionsForm& f, Settings& s, IniFile& ini)
{
    f.txtMaxFNameLength = correctNumberText(NumberBox::MaxFNameLength, f.txtMaxFNameLength);
    f.txtTrackDigits = correctNumberText(NumberBox::TrackDigits, f.txtTrackDigits);
    f.txtAddPaddingSize = correctNumberText(NumberBox::AddPaddingSize, f.txtAddPaddingSize);
    f.txtMaxPadding = correctNumberText(NumberBox::MaxPadding, f.txtMaxPadding);
    f.txtAlbumSize = correctNumberText(NumberBox::AlbumSize, f.txtAlbumSize);

    const long long addPadding = leadingNumber(f.txtAddPaddingSize);
    const long long maxPadding = leadingNumber(f.txtMaxPadding);
    std::string message = checkPaddingOnOk(addPadding, maxPadding);
    if (!message.empty()) return message;

    s.bAutoReadTags = f.chkAutoReadTags;
    s.bReadTags = f.chkReadTags;
    s.bAutoRemJunk = f.chkAutoRemJunk;
    s.bIgnoreReadOnly = f.chkIgnoreReadOnly;
    s.bRecycleFiles = f.chkRecycle;
    s.fileTypes = f.lstFiletypes.empty() ? std::vector<std::string>{"mp3"} : f.lstFiletypes;

    s.bUseTags = f.chkUseTags;
    s.bLowExtension = f.chkLowext;
    s.bLimitFNameLength = f.chkFNameLength;
    s.iMaxFNameLength = static_cast<int>(leadingNumber(f.txtMaxFNameLength));
    s.bSetAttributes = f.chkSetAttributes;
    s.bReadOnly = f.chkReadOnly;
    s.bHidden = f.chkHidden;
    s.bArchive = f.chkArchive;
    s.bLCaseFirst = f.chkFNamelcaseFirst;
    s.iCaseChange = f.optChange;

    s.bScoreToSpace = f.chkUndtospace;
    s.b20toSpace = f.chk20tospace;
    s.bFixSpaces = f.chkSpaces;
    s.bFixMisses = f.chkMisses;
    s.bPadTrackNr = f.chkPadTrackNr;
    s.iTrackDigits = static_cast<int>(leadingNumber(f.txtTrackDigits));
    s.bUseRemoveChars = f.chkRemoveChars;
    s.sRemovedChars = f.txtRemoveChars;
    s.bUseReplace = f.chkReplace;

    s.bTAGKeepSync = f.chkKeepSync;
    s.bTAGLCaseFirst = f.chkID3lcaseFirst;
    s.tagCaseChange = f.optID3CaseChange;
    s.useID3v1 = f.cmbUseID3v1;
    s.useID3v2 = f.cmbUseID3v2;
    s.useLyrics3 = f.cmbUseLyrics3;
    s.lAddPaddingSize = addPadding;
    s.lMaxPaddingSize = maxPadding;

    s.remoteHost = f.txtFreeDBServer;
    s.remotePort = clamp(leadingNumber(f.txtFreeDBPort), 0, 65535);
    s.userName = f.txtFreeDBUser;
    s.userHost = f.txtFreeDBHost;
    s.applyFormatting = f.chkFreeDBFormatting;

    s.bSortToExistingFolders = f.chkSortToExistingFolders;
    s.lAlbumSize = leadingNumber(f.txtAlbumSize);
    s.feaFileExistAction = fileExistActionOf(f.optExists);
    s.iEmptyFieldAction = f.optID3Empty;

    s.saveOptions(ini);
    return {};
}

}  // namespace vorda
