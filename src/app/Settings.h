// SPDX-License-Identifier: GPL-2.0-or-later

// Every persistent setting of Vorda, held in program-wide variables named after their keys,
// with the encoding rules of the settings file (spaces stored as U+00B6, typed reading rules,
// indexed lists).
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "base/IniFile.h"
#include "tags/TagOptions.h"

namespace vorda::app {

// The pilcrow that stands for a space in stored values (character 182).
inline constexpr const char* kSpaceMark = "\xC2\xB6";

// Encodes text for the settings file: every space becomes U+00B6.
std::string encodeSettingValue(const std::string& value);
// Decodes a stored value: every U+00B6 (or a lone Latin-1 byte 0xB6) becomes a space.
std::string decodeSettingValue(const std::string& stored);

// Primitive operations on a settings file.
void writeSetting(base::IniFile& ini, const std::string& section, const std::string& key, const std::string& value);
void writeSetting(base::IniFile& ini, const std::string& section, const std::string& key, bool value);
void writeSetting(base::IniFile& ini, const std::string& section, const std::string& key, long long value);
// Without these, a string literal would pick the bool form and an int would be ambiguous.
void writeSetting(base::IniFile& ini, const std::string& section, const std::string& key, const char* value);
void writeSetting(base::IniFile& ini, const std::string& section, const std::string& key, int value);
// Real values (sizes in twips) in their shortest exact decimal form.
void writeSetting(base::IniFile& ini, const std::string& section, const std::string& key, double value);
std::string getSetting(const base::IniFile& ini, const std::string& section, const std::string& key,
                       const std::string& def);

// Typed reading rules.
// Boolean keys: "True"/"False" in any case, or a number (non-zero is true); anything else gives def.
bool getBoolSetting(const base::IniFile& ini, const std::string& section, const std::string& key, bool def);
// Check-box keys: the leading numeric part rounded to a 16-bit integer, then 0, 1 or 2
// (other numbers give def).
int getCheckSetting(const base::IniFile& ini, const std::string& section, const std::string& key, int def);
// Integer keys: a whole number; text that is not a number gives def.
long long getIntSetting(const base::IniFile& ini, const std::string& section, const std::string& key, long long def);
// The leading numeric part of the text ("8880abc" -> 8880), def when there is none.
long long getLeadingNumberSetting(const base::IniFile& ini, const std::string& section, const std::string& key,
                                  long long def);
// Real keys (sizes in twips): a number; anything else gives def.
double getRealSetting(const base::IniFile& ini, const std::string& section, const std::string& key, double def);

// Indexed lists: count key holds the highest index; entries are name0 ... nameN.
// A negative count reads as 0; a count above kMaxListIndex (a damaged file) is limited to it.
inline constexpr long long kMaxListIndex = 32767;
std::vector<std::string> readSettingList(const base::IniFile& ini, const std::string& section,
                                         const std::string& countKey, const std::string& entryKey);
// An empty list is written as count 0 with one empty entry.
void writeSettingList(base::IniFile& ini, const std::string& section, const std::string& countKey,
                      const std::string& entryKey, const std::vector<std::string>& entries);

// File-exists actions and tag use options belong to the file objects.
using tags::FileExistAction;
using tags::TagUse;
// Case rules of file names (iCaseChange) and tag fields (TAGCaseChange); the numbers are stored.
enum class CaseChange : int {
    NoChanges = 0,
    EveryWord = 1,    // "First letter in every word uppercase."
    FirstLetter = 2,  // names: artist, title and album before expansion; tags: the field's first letter
    Upper = 3,
    Lower = 4
};

struct Settings {
    // [General]
    bool advancedMode = false;
    int fixFilenames = 1;     // check-box state 0/1/2
    int scanSubFolders = 0;   // check-box state
    int detectInPattern = 1;  // check-box state
    int useAlbumPattern = 1;  // check-box state
    bool sortToExistingFolders = true;
    int method = 4;  // 2 Copy, 1 Move, 4 Rename
    int fileExistAction = FileExistAction::Ask;
    std::string targetDir;  // default: defaultFolder()
    std::string lastDir;    // default: defaultFolder()
    bool useTags = true;
    bool readTags = true;
    bool autoReadTags = true;
    bool recycleFiles = true;
    long long albumSize = 5;
    bool useReplace = false;
    bool useRemoveChars = false;
    std::string removedChars;  // default: defaultRemovedChars()
    bool scoreToSpace = true;
    bool percent20ToSpace = true;
    bool fixSpaces = true;
    bool fixMisses = true;
    bool padTrackNumber = true;
    int trackDigits = 2;
    bool lowerCaseFirst = false;
    CaseChange caseChange = CaseChange::EveryWord;
    bool limitFileNameLength = false;
    int maxFileNameLength = 250;
    bool lowerCaseExtension = true;
    bool ignoreReadOnly = false;
    bool changeAttributes = false;
    bool readOnly = false;
    bool hidden = false;
    bool archive = false;
    std::string folderPattern = "<artist> - <album> (<year>)";
    // Held only while the program runs (never stored; set by the options dialog):
    bool autoRemoveJunk = false;  // remove junk data before the first MPEG frame when tags are saved
    int emptyFieldAction = 0;     // a field of the output pattern is empty: 0 don't sort, 1 ask, 2 sort anyway

    // [fileTypes]
    std::vector<std::string> fileTypes{"mp3"};

    // Patterns: current box texts and stored lists.
    std::string currentInPattern = "<artist> - <title>";
    std::string currentOutPattern = "<artist> - <track> - <title>";
    std::string currentPathPattern = "<uletter>/<artist>/";
    std::string currentAlbumPattern = "<uletter>/<artist>/<album> (<year>)/";
    std::vector<std::string> inPatterns{""};
    std::vector<std::string> outPatterns{""};
    std::vector<std::string> pathPatterns{""};
    std::vector<std::string> albumPatterns{""};

    // [Tags]
    bool tagKeepSync = true;
    bool tagLowerCaseFirst = false;
    CaseChange tagCaseChange = CaseChange::EveryWord;
    TagUse useId3v1 = TagUse::IfNeeded;
    TagUse useId3v2 = TagUse::IfNeeded;
    TagUse useLyrics3 = TagUse::IfNeeded;

    // [ID3v2]
    long long addPaddingSize = 512;
    long long maxPaddingSize = 2048;

    // [Replaces]
    std::vector<std::pair<std::string, std::string>> replaces{{"", ""}};

    // [Bookmarks]
    std::array<std::string, 5> favouriteDir{};

    // [freedb]
    std::string remoteHost = "gnudb.gnudb.org";
    long long remotePort = 8880;
    bool applyFormatting = false;
    std::string userName = "johndoe";
    std::string userHost = "localhost";

    // [Player]
    std::string playerPath;

    // [Visual] (window layout; loaded and saved by the main window)
    int formState = 0;
    double formWidth = 10480;
    double formHeight = 9495;
    double treeSplit = 2085;
    bool viewDirTree = true;
    bool viewTagInfo = true;
    bool showGrid = true;
    std::array<bool, 14> colVisible{true, true, true, true, true, true, true, true, true, true, true, true, true, true};
    std::array<double, 14> colSize{400, 400, 400, 400, 400, 400, 400, 400, 400, 400, 400, 400, 400, 400};
    std::array<int, 14> colPosition{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};

    Settings();  // fills the defaults that depend on the machine (folders, removed characters)

    // Loads every key (defaults for whatever is missing or unreadable).
    void load(const base::IniFile& ini);
    // Saves the keys the options dialog owns.
    void saveOptions(base::IniFile& ini) const;
    // Saves the keys the main window owns (check boxes, method, folders, current patterns,
    // bookmarks). The window layout keys are written by the window itself.
    void saveMain(base::IniFile& ini) const;
    // Saves the pattern lists / the replace list.
    void savePatternLists(base::IniFile& ini) const;
    void saveReplaces(base::IniFile& ini) const;
    // Saves the window layout keys of [Visual]: formState only when the window is not minimised
    // (2 when maximised, else 0), formWidth/formHeight only in the normal state, then treeSplit,
    // the view toggles, showGrid and every colVisible; colPosition and colSize only for shown columns.
    void saveVisual(base::IniFile& ini, bool minimized, bool maximized) const;
};

// The default of removedChars (112 characters, UTF-8).
std::string defaultRemovedChars();
// The user's Music folder (XDG), else the home folder; ends with "/".
std::string defaultFolder();
// Where settings.ini lives: beside the executable when one stands there (portable mode),
// else $XDG_CONFIG_HOME/vorda/settings.ini (or ~/.config/vorda/settings.ini).
std::string defaultSettingsPath(const std::string& executableDir);

// What the user is told once when the settings file cannot be used as it is ("" when it can):
// damaged (read in part), unreadable (defaults), or read-only (never written). forWindow says
// that the program saves settings (the window); vorda-cli only reads them.
std::string settingsFileNotice(const base::IniFile& ini, bool forWindow);

// The options of the file objects as the settings give them now.
tags::TagOptions tagOptions(const Settings& s);

// The program-wide settings.
Settings& settings();

}  // namespace vorda::app
