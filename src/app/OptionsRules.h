// SPDX-License-Identifier: GPL-2.0-or-later

// The rules of the options dialog without its widgets: what the boxes accept while typing,
// how a box is corrected when it loses the focus, the padding checks and their messages,
// the file-type list, and what OK changes and writes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/Settings.h"
#include "base/IniFile.h"

namespace vorda::app {

// The characters a file name cannot hold: refused in file types and in replacement texts.
inline constexpr std::string_view kNameIllegalChars = "<>?\\/:\"|*";

// What a text box accepts while the user types or pastes.
enum class InputRule {
    Digits,         // 0-9 only (txtAddPaddingSize, txtAlbumSize, txtMaxFNameLength)
    SignedDigits,   // 0-9 and one leading minus (txtMaxPadding)
    NonZeroDigits,  // 1-9 only (txtTrackDigits)
    FileType,       // anything but kNameIllegalChars (txtFiletypes)
    NameText,       // anything but kNameIllegalChars (the replacement text of a replace pair)
};

// Whether a box governed by rule may hold this text. An edit (a typed character or a paste)
// that would make the text unacceptable is refused as a whole. Deleting never makes an
// acceptable text unacceptable.
bool acceptsText(InputRule rule, std::string_view text);
// Whether Enter is swallowed in a box of this rule (the number boxes but the track digits).
bool swallowsEnter(InputRule rule);
// The text with every character of chars removed.
std::string removeCharsOf(std::string_view text, std::string_view chars);

// The number boxes of the dialog, each with its correction on losing the focus.
enum class NumberBox { AddPaddingSize, AlbumSize, MaxFNameLength, MaxPadding, TrackDigits };

// The leading number of a text: blanks, an optional sign, digits; 0 when there is none.
// Values beyond the 32-bit range are held at its limits.
long long leadingNumber(std::string_view text);
// The corrected text of a number box: its leading number, then the box's limits
// (file-name length 1 to 255, maximum padding at least -1, track digits 1 to 255).
std::string correctNumberText(NumberBox box, std::string_view text);

// The focus-loss check of "Padding to add": when the maximum is not negative and the padding
// exceeds it, the box is set to the maximum and the message is shown.
struct PaddingCorrection {
    std::string text;     // the new text of txtAddPaddingSize
    std::string message;  // empty when nothing is to be shown
};
PaddingCorrection correctAddPadding(std::string_view addText, std::string_view maxText);
// The OK check: the message that keeps the dialog open, empty when the two values fit.
std::string checkPaddingOnOk(long long addPadding, long long maxPadding);

// The maximum length of the tag editor's fields 11 and 12: 30 when Lyrics3 is never used.
int lyricsFieldMaxLength(TagUse useLyrics3);

// The list of visible file types with its editing rules.
class FileTypeList {
public:
    explicit FileTypeList(std::vector<std::string> types = {}) : types_(std::move(types)) {}

    // Adds a typed extension: refused when empty or holding "*"; stored in lower case and
    // without leading dots. Returns whether it was added.
    [[nodiscard]] bool add(std::string_view text);
    // Removes the entry at index unless it is "*". Returns whether it was removed.
    [[nodiscard]] bool removeAt(int index);
    // "Show all files.": adds "*" when on (unless present), removes it when off.
    void setShowAll(bool on);
    bool showsAll() const;
    const std::vector<std::string>& types() const { return types_; }

private:
    std::vector<std::string> types_;
};

// Every control of the options dialog as a plain value.
struct OptionsForm {
    // General
    bool chkAutoReadTags = true;
    bool chkReadTags = true;
    bool chkAutoRemJunk = false;
    bool chkIgnoreReadOnly = false;
    bool chkRecycle = true;
    std::vector<std::string> lstFiletypes;
    // Filename
    bool chkUseTags = true;
    bool chkLowext = true;
    bool chkFNameLength = false;
    std::string txtMaxFNameLength;
    bool chkSetAttributes = false;
    bool chkReadOnly = false;
    bool chkHidden = false;
    bool chkArchive = false;
    bool chkFNamelcaseFirst = false;
    int optChange = 1;
    // Formatting (file names and tags)
    bool chkUndtospace = true;
    bool chk20tospace = true;
    bool chkSpaces = true;
    bool chkMisses = true;
    bool chkPadTrackNr = true;
    std::string txtTrackDigits;
    bool chkRemoveChars = false;
    std::string txtRemoveChars;
    bool chkReplace = false;
    // Tag
    bool chkKeepSync = true;
    bool chkID3lcaseFirst = false;
    int optID3CaseChange = 1;
    int cmbUseID3v1 = static_cast<int>(TagUse::IfNeeded);
    int cmbUseID3v2 = static_cast<int>(TagUse::IfNeeded);
    int cmbUseLyrics3 = static_cast<int>(TagUse::IfNeeded);
    std::string txtAddPaddingSize;
    std::string txtMaxPadding;
    // freedb
    std::string txtFreeDBServer;
    std::string txtFreeDBPort;
    std::string txtFreeDBUser;
    std::string txtFreeDBHost;
    bool chkFreeDBFormatting = false;
    // Media player ("" finds one)
    std::string txtPlayerPath;
    // Sorting
    bool chkSortToExistingFolders = true;
    std::string txtAlbumSize;
    int optExists = 0;    // 0 Prompt, 1 Skip, 2 Replace
    int optID3Empty = 0;  // 0 don't sort, 1 ask, 2 sort anyway

    bool operator==(const OptionsForm&) const = default;
};

// The option index of a file-exists action and back (Prompt 1, Replace 2, Skip 4).
int existsOptionOf(int fileExistAction);
int fileExistActionOf(int optExists);

// The controls as the dialog opens them.
OptionsForm formFromSettings(const Settings& s);

// OK: corrects the number boxes of the form (their texts change as the boxes would), checks the
// padding values, and when they fit copies every control into s and writes the options keys to
// ini. Returns the message that keeps the dialog open (s and ini untouched then), else "".
std::string applyOptionsForm(OptionsForm& form, Settings& s, base::IniFile& ini);

}  // namespace vorda::app
