// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/Settings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include <sys/stat.h>

#include "base/Text.h"

using namespace vorda::base;

namespace vorda::app {

namespace {

constexpr const char* kGeneral = "General";

// The whole text as a finite number (decimal point ".", whatever the locale).
bool parseNumber(std::string_view text, double* value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return false;
    double parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

// The leading numeric part (blanks, sign, digits, decimals, exponent) of the text.
bool parseLeadingNumber(std::string_view text, double* value) {
    size_t pos = text.find_first_not_of(" \t");
    if (pos == std::string_view::npos) return false;
    text.remove_prefix(pos);
    size_t end = 0;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    const auto digits = [&](size_t from) {
        size_t to = from;
        while (to < text.size() && text[to] >= '0' && text[to] <= '9') ++to;
        return to;
    };
    size_t afterInt = digits(end);
    bool any = afterInt > end;
    end = afterInt;
    if (end < text.size() && text[end] == '.') {
        const size_t afterFraction = digits(end + 1);
        if (afterFraction > end + 1 || any) {
            any = any || afterFraction > end + 1;
            end = afterFraction;
        }
    }
    if (!any) return false;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        size_t expStart = end + 1;
        if (expStart < text.size() && (text[expStart] == '+' || text[expStart] == '-')) ++expStart;
        const size_t afterExp = digits(expStart);
        if (afterExp > expStart) end = afterExp;
    }
    return parseNumber(text.substr(0, end), value);
}

// Rounds half to even, as the classic integer conversions do; false outside [lo, hi].
bool roundToRange(double value, double lo, double hi, long long* out) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= lo && rounded <= hi)) return false;
    *out = static_cast<long long>(rounded);
    return true;
}

std::string formatReal(double value) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

// Integer keys whose variables are narrower than long long: out-of-range values give def.
int getRangedSetting(const IniFile& ini, const std::string& section, const std::string& key, int def, long long lo,
                     long long hi) {
    const long long value = getIntSetting(ini, section, key, def);
    return (value < lo || value > hi) ? def : static_cast<int>(value);
}

// A tag use option of [Tags]; a number outside the known uses gives def.
TagUse getTagUseSetting(const IniFile& ini, const std::string& key, TagUse def) {
    return static_cast<TagUse>(getRangedSetting(ini, "Tags", key, static_cast<int>(def),
                                                static_cast<int>(TagUse::IfNeeded), static_cast<int>(TagUse::Never)));
}

int getInt16Setting(const IniFile& ini, const std::string& section, const std::string& key, int def) {
    return getRangedSetting(ini, section, key, def, -32768, 32767);
}

long long getInt32Setting(const IniFile& ini, const std::string& section, const std::string& key, long long def) {
    const long long value = getIntSetting(ini, section, key, def);
    return (value < -2147483648LL || value > 2147483647LL) ? def : value;
}

std::string configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return addBackslash(xdg);
    return addBackslash(homeFolder()) + ".config/";
}

// XDG_MUSIC_DIR from user-dirs.dirs: "$HOME/..." or an absolute path, shell-quoted.
std::string xdgMusicDir() {
    std::ifstream in(configHome() + "user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        std::string_view text = trimView(line);
        constexpr std::string_view kKey = "XDG_MUSIC_DIR=";
        if (text.substr(0, kKey.size()) != kKey) continue;
        text.remove_prefix(kKey.size());
        if (text.size() < 2 || text.front() != '"') return {};
        std::string value;
        bool closed = false;
        for (size_t i = 1; i < text.size(); ++i) {
            if (text[i] == '\\' && i + 1 < text.size()) {
                value += text[++i];
            } else if (text[i] == '"') {
                closed = true;
                break;
            } else {
                value += text[i];
            }
        }
        if (!closed) return {};
        if (value.substr(0, 5) == "$HOME") return removeBackslash(homeFolder()) + value.substr(5);
        return value.empty() || value.front() != '/' ? std::string() : value;
    }
    return {};
}

// Windows-1252 characters 0x80 to 0x9F; the five unassigned positions keep their C1 code points.
constexpr char32_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::vector<std::pair<std::string, std::string>> readReplaces(const IniFile& ini) {
    long long count = getIntSetting(ini, "Replaces", "nofReplaces", 0);
    count = count < 0 ? 0 : (count > kMaxListIndex ? kMaxListIndex : count);
    std::vector<std::pair<std::string, std::string>> pairs;
    pairs.reserve(static_cast<size_t>(count) + 1);
    for (long long i = 0; i <= count; ++i) {
        const std::string n = std::to_string(i);
        pairs.emplace_back(getSetting(ini, "Replaces", "sOldString" + n, ""),
                           getSetting(ini, "Replaces", "sNewString" + n, ""));
    }
    return pairs;
}

}  // namespace

// ---------------------------------------------------------------- encoding

std::string encodeSettingValue(const std::string& value) {
    std::string result;
    result.reserve(value.size());
    for (char c : value) {
        if (c == ' ')
            result += kSpaceMark;
        else
            result += c;
    }
    return result;
}

std::string decodeSettingValue(const std::string& stored) {
    std::string result;
    result.reserve(stored.size());
    for (size_t pos = 0; pos < stored.size();) {
        char32_t cp = 0;
        const size_t length = utf8SequenceAt(stored, pos, &cp);
        if (length == 0) {
            // A byte that is no UTF-8: a lone 0xB6 is the mark as an ANSI file holds it.
            result += static_cast<unsigned char>(stored[pos]) == 0xB6 ? ' ' : stored[pos];
            ++pos;
            continue;
        }
        if (cp == 0xB6)
            result += ' ';
        else
            result.append(stored, pos, length);
        pos += length;
    }
    return result;
}

// ---------------------------------------------------------------- primitives

void writeSetting(IniFile& ini, const std::string& section, const std::string& key, const std::string& value) {
    ini.write(section, key, encodeSettingValue(value));
}

void writeSetting(IniFile& ini, const std::string& section, const std::string& key, bool value) {
    writeSetting(ini, section, key, std::string(value ? "True" : "False"));
}

void writeSetting(IniFile& ini, const std::string& section, const std::string& key, long long value) {
    writeSetting(ini, section, key, std::to_string(value));
}

void writeSetting(IniFile& ini, const std::string& section, const std::string& key, const char* value) {
    writeSetting(ini, section, key, std::string(value ? value : ""));
}

void writeSetting(IniFile& ini, const std::string& section, const std::string& key, int value) {
    writeSetting(ini, section, key, static_cast<long long>(value));
}

void writeSetting(IniFile& ini, const std::string& section, const std::string& key, double value) {
    writeSetting(ini, section, key, formatReal(value));
}

std::string getSetting(const IniFile& ini, const std::string& section, const std::string& key, const std::string& def) {
    return decodeSettingValue(ini.read(section, key, def));
}

bool getBoolSetting(const IniFile& ini, const std::string& section, const std::string& key, bool def) {
    const std::string text = getSetting(ini, section, key, def ? "True" : "False");
    const std::string_view trimmed = trimView(text);
    if (equalsNoCase(trimmed, "true")) return true;
    if (equalsNoCase(trimmed, "false")) return false;
    double number = 0;
    return parseNumber(trimmed, &number) ? number != 0 : def;
}

int getCheckSetting(const IniFile& ini, const std::string& section, const std::string& key, int def) {
    double number = 0;
    long long state = 0;
    if (!parseLeadingNumber(getSetting(ini, section, key, std::to_string(def)), &number) ||
        !roundToRange(number, -32768, 32767, &state))
        return def;
    return (state >= 0 && state <= 2) ? static_cast<int>(state) : def;
}

long long getIntSetting(const IniFile& ini, const std::string& section, const std::string& key, long long def) {
    const std::string text = getSetting(ini, section, key, std::to_string(def));
    std::string_view trimmed = trimView(text);
    if (!trimmed.empty() && trimmed.front() == '+') trimmed.remove_prefix(1);
    long long whole = 0;
    const auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), whole);
    if (ec == std::errc() && end == trimmed.data() + trimmed.size() && !trimmed.empty()) return whole;
    double number = 0;
    long long rounded = 0;
    // Bounds that a double holds exactly and that stay inside long long.
    if (parseNumber(trimView(text), &number) && roundToRange(number, -9.2e18, 9.2e18, &rounded)) return rounded;
    return def;
}

long long getLeadingNumberSetting(const IniFile& ini, const std::string& section, const std::string& key,
                                  long long def) {
    double number = 0;
    long long rounded = 0;
    if (parseLeadingNumber(getSetting(ini, section, key, std::to_string(def)), &number) &&
        roundToRange(number, -9.2e18, 9.2e18, &rounded))
        return rounded;
    return def;
}

double getRealSetting(const IniFile& ini, const std::string& section, const std::string& key, double def) {
    double number = 0;
    return parseNumber(trimView(getSetting(ini, section, key, formatReal(def))), &number) ? number : def;
}

std::vector<std::string> readSettingList(const IniFile& ini, const std::string& section, const std::string& countKey,
                                         const std::string& entryKey) {
    long long count = getIntSetting(ini, section, countKey, 0);
    count = count < 0 ? 0 : (count > kMaxListIndex ? kMaxListIndex : count);
    std::vector<std::string> entries;
    entries.reserve(static_cast<size_t>(count) + 1);
    for (long long i = 0; i <= count; ++i)
        entries.push_back(getSetting(ini, section, entryKey + std::to_string(i), ""));
    return entries;
}

void writeSettingList(IniFile& ini, const std::string& section, const std::string& countKey,
                      const std::string& entryKey, const std::vector<std::string>& entries) {
    ini.beginUpdate();
    if (entries.empty()) {
        writeSetting(ini, section, countKey, 0LL);
        writeSetting(ini, section, entryKey + "0", std::string());
    } else {
        writeSetting(ini, section, countKey, static_cast<long long>(entries.size()) - 1);
        for (size_t i = 0; i < entries.size(); ++i)
            writeSetting(ini, section, entryKey + std::to_string(i), entries[i]);
    }
    ini.endUpdate();
}

// ---------------------------------------------------------------- defaults and places

std::string defaultRemovedChars() {
    std::string chars = "^{}~\x7F";
    for (char32_t cp : kCp1252High) appendUtf8(chars, cp);
    constexpr std::u32string_view kKept = U"\u00A7\u00B6\u00C4\u00C5\u00C6\u00C8\u00C9\u00D6\u00D8\u00DC"
                                          U"\u00E0\u00E1\u00E4\u00E5\u00E6\u00E8\u00E9\u00F6\u00F8\u00FC";
    for (char32_t cp = 0xA1; cp <= 0xFF; ++cp)
        if (kKept.find(cp) == std::u32string_view::npos) appendUtf8(chars, cp);
    return chars;
}

std::string defaultFolder() {
    const std::string music = xdgMusicDir();
    if (!music.empty() && isDirectory(music)) return addBackslash(music);
    const std::string home = addBackslash(homeFolder());
    if (isDirectory(home + "Music")) return home + "Music/";
    return home;
}

std::string defaultSettingsPath(const std::string& executableDir) {
    if (!executableDir.empty()) {
        const std::string portable = addBackslash(executableDir) + "settings.ini";
        struct stat st {};
        if (::stat(portable.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return portable;
    }
    return configHome() + "vorda/settings.ini";
}

std::string settingsFileNotice(const IniFile& ini, bool forWindow) {
    const std::string file = "The settings file " + toDisplayUtf8(ini.path());
    switch (ini.fileCondition()) {
    case IniFile::Condition::Unreadable:
        return file + " could not be read (" + ini.problem() + "). The default settings are used" +
               (forWindow ? " and the file is left as it is." : ".");
    case IniFile::Condition::Damaged: {
        std::string text = file + " could not be read completely: " + ini.problem() + ". What could be read is used.";
        if (!forWindow) return text;
        if (ini.isReadOnly()) return text + " The file is read-only and is left as it is.";
        return text + " Before settings are saved, the file is kept as " + toDisplayUtf8(ini.backupPath()) + ".";
    }
    case IniFile::Condition::Ok:
        if (forWindow && ini.isReadOnly())
            return file + " is read-only. It is read but never written, so changed settings are not kept.";
        return {};
    case IniFile::Condition::Missing: return {};
    }
    return {};
}

tags::TagOptions tagOptions(const Settings& s) {
    tags::TagOptions options;
    options.useId3v1 = s.useId3v1;
    options.useId3v2 = s.useId3v2;
    options.useLyrics3 = s.useLyrics3;
    options.keepInSync = s.tagKeepSync;
    options.padTrackNumber = s.padTrackNumber;
    options.trackDigits = s.trackDigits;
    options.addPaddingSize = s.addPaddingSize;
    options.maxPaddingSize = s.maxPaddingSize;
    options.ignoreReadOnly = s.ignoreReadOnly;
    options.changeAttributes = s.changeAttributes;
    options.readOnly = s.readOnly;
    options.hidden = s.hidden;
    options.archive = s.archive;
    options.recycleFiles = s.recycleFiles;
    return options;
}

Settings& settings() {
    static Settings instance;
    return instance;
}

// ---------------------------------------------------------------- Settings

Settings::Settings() : targetDir(defaultFolder()), lastDir(targetDir), removedChars(defaultRemovedChars()) {}

void Settings::load(const IniFile& ini) {
    const Settings d;  // the defaults
    Settings s = d;
    const char* g = kGeneral;

    s.advancedMode = getBoolSetting(ini, g, "bAdvancedMode", d.advancedMode);
    s.fixFilenames = getCheckSetting(ini, g, "bFixFilenames", d.fixFilenames);
    s.scanSubFolders = getCheckSetting(ini, g, "bScanSubFolders", d.scanSubFolders);
    s.detectInPattern = getCheckSetting(ini, g, "bDetectInPattern", d.detectInPattern);
    s.useAlbumPattern = getCheckSetting(ini, g, "bUseAlbumPattern", d.useAlbumPattern);
    s.sortToExistingFolders = getBoolSetting(ini, g, "bSortToExistingFolders", d.sortToExistingFolders);
    // Any other method leaves the three method buttons clear, so the value is kept as stored.
    s.method = getInt16Setting(ini, g, "Method", d.method);
    s.fileExistAction = getInt16Setting(ini, g, "feaFileExistAction", d.fileExistAction);
    if (s.fileExistAction != FileExistAction::Ask && s.fileExistAction != FileExistAction::Replace &&
        s.fileExistAction != FileExistAction::Skip)
        s.fileExistAction = d.fileExistAction;
    s.targetDir = getSetting(ini, g, "sTargetDir", d.targetDir);
    s.lastDir = getSetting(ini, g, "sLastDir", d.lastDir);
    s.useTags = getBoolSetting(ini, g, "bUseTags", d.useTags);
    s.readTags = getBoolSetting(ini, g, "bReadTags", d.readTags);
    s.autoReadTags = getBoolSetting(ini, g, "bAutoReadTags", d.autoReadTags);
    s.recycleFiles = getBoolSetting(ini, g, "bRecycleFiles", d.recycleFiles);
    s.albumSize = getInt32Setting(ini, g, "lAlbumSize", d.albumSize);
    s.useReplace = getBoolSetting(ini, g, "bUseReplace", d.useReplace);
    s.useRemoveChars = getBoolSetting(ini, g, "bUseRemoveChars", d.useRemoveChars);
    s.removedChars = getSetting(ini, g, "sRemovedChars", d.removedChars);
    for (size_t pos; (pos = s.removedChars.find(kSpaceMark)) != std::string::npos;) s.removedChars.erase(pos, 2);
    s.scoreToSpace = getBoolSetting(ini, g, "bScoreToSpace", d.scoreToSpace);
    s.percent20ToSpace = getBoolSetting(ini, g, "b20toSpace", d.percent20ToSpace);
    s.fixSpaces = getBoolSetting(ini, g, "bFixSpaces", d.fixSpaces);
    s.fixMisses = getBoolSetting(ini, g, "bFixMisses", d.fixMisses);
    s.padTrackNumber = getBoolSetting(ini, g, "bPadTrackNr", d.padTrackNumber);
    s.trackDigits = getInt16Setting(ini, g, "iTrackDigits", d.trackDigits);
    s.lowerCaseFirst = getBoolSetting(ini, g, "bLCaseFirst", d.lowerCaseFirst);
    s.caseChange = static_cast<CaseChange>(getInt16Setting(ini, g, "iCaseChange", static_cast<int>(d.caseChange)));
    s.limitFileNameLength = getBoolSetting(ini, g, "bLimitFNameLength", d.limitFileNameLength);
    s.maxFileNameLength = getInt16Setting(ini, g, "iMaxFNameLength", d.maxFileNameLength);
    s.lowerCaseExtension = getBoolSetting(ini, g, "bLowExtension", d.lowerCaseExtension);
    s.ignoreReadOnly = getBoolSetting(ini, g, "bIgnoreReadOnly", d.ignoreReadOnly);
    s.changeAttributes = getBoolSetting(ini, g, "bSetAttributes", d.changeAttributes);
    s.readOnly = getBoolSetting(ini, g, "bReadOnly", d.readOnly);
    s.hidden = getBoolSetting(ini, g, "bHidden", d.hidden);
    s.archive = getBoolSetting(ini, g, "bArchive", d.archive);

    s.fileTypes = readSettingList(ini, "FileTypes", "nofFileTypes", "sFileType");
    if (s.fileTypes[0].empty()) s.fileTypes[0] = "mp3";
    s.folderPattern = getSetting(ini, g, "sFolderPattern", d.folderPattern);

    s.currentInPattern = getSetting(ini, "InPatterns", "sCurrentInPattern", d.currentInPattern);
    s.inPatterns = readSettingList(ini, "InPatterns", "nofInPatterns", "sInPattern");
    s.currentOutPattern = getSetting(ini, "OutPatterns", "sCurrentOutPattern", d.currentOutPattern);
    s.outPatterns = readSettingList(ini, "OutPatterns", "nofOutPatterns", "sOutPattern");
    s.currentPathPattern = getSetting(ini, "PathPatterns", "sCurrentPathPattern", d.currentPathPattern);
    s.pathPatterns = readSettingList(ini, "PathPatterns", "nofPathPatterns", "sPathPattern");
    s.currentAlbumPattern = getSetting(ini, "AlbumPatterns", "sCurrentAlbumPattern", d.currentAlbumPattern);
    s.albumPatterns = readSettingList(ini, "AlbumPatterns", "nofAlbumPatterns", "sAlbumPattern");

    s.tagKeepSync = getBoolSetting(ini, "Tags", "bTAGKeepSync", d.tagKeepSync);
    s.tagLowerCaseFirst = getBoolSetting(ini, "Tags", "bTAGLCaseFirst", d.tagLowerCaseFirst);
    s.tagCaseChange =
        static_cast<CaseChange>(getInt16Setting(ini, "Tags", "TAGCaseChange", static_cast<int>(d.tagCaseChange)));
    s.useId3v1 = getTagUseSetting(ini, "UseID3v1", d.useId3v1);
    s.useId3v2 = getTagUseSetting(ini, "UseID3v2", d.useId3v2);
    s.useLyrics3 = getTagUseSetting(ini, "UseLyrics3", d.useLyrics3);
    s.addPaddingSize = getInt32Setting(ini, "ID3v2", "lAddPaddingSize", d.addPaddingSize);
    s.maxPaddingSize = getInt32Setting(ini, "ID3v2", "lMaxPaddingSize", d.maxPaddingSize);

    s.replaces = readReplaces(ini);

    for (size_t i = 0; i < s.favouriteDir.size(); ++i)
        s.favouriteDir[i] = getSetting(ini, "Bookmarks", "FavouriteDir" + std::to_string(i), "");

    s.remoteHost = getSetting(ini, "freedb", "RemoteHost", d.remoteHost);
    s.remotePort = getLeadingNumberSetting(ini, "freedb", "RemotePort", d.remotePort);
    if (s.remotePort < 1 || s.remotePort > 65535) s.remotePort = d.remotePort;
    s.applyFormatting = getBoolSetting(ini, "freedb", "ApplyFormatting", d.applyFormatting);
    s.userName = getSetting(ini, "freedb", "UserName", d.userName);
    s.userHost = getSetting(ini, "freedb", "UserHost", d.userHost);

    s.playerPath = getSetting(ini, "Player", "PlayerPath", d.playerPath);

    s.formState = getInt16Setting(ini, "Visual", "FormState", d.formState);
    s.formWidth = getRealSetting(ini, "Visual", "FormWidth", d.formWidth);
    s.formHeight = getRealSetting(ini, "Visual", "FormHeight", d.formHeight);
    s.treeSplit = getRealSetting(ini, "Visual", "TreeSplit", d.treeSplit);
    s.viewDirTree = getBoolSetting(ini, "Visual", "ViewDirTree", d.viewDirTree);
    s.viewTagInfo = getBoolSetting(ini, "Visual", "ViewTagInfo", d.viewTagInfo);
    s.showGrid = getBoolSetting(ini, "Visual", "ShowGrid", d.showGrid);
    for (size_t i = 0; i < s.colVisible.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        s.colVisible[i] = getBoolSetting(ini, "Visual", "ColVisible" + n, d.colVisible[i]);
        s.colSize[i] = getRealSetting(ini, "Visual", "ColSize" + n, d.colSize[i]);
        if (s.colSize[i] < 120) s.colSize[i] = 120;
        s.colPosition[i] = getInt16Setting(ini, "Visual", "ColPosition" + n, d.colPosition[i]);
    }

    *this = std::move(s);
}

void Settings::saveOptions(IniFile& ini) const {
    const char* g = kGeneral;
    ini.beginUpdate();
    writeSetting(ini, g, "bSortToExistingFolders", sortToExistingFolders);
    writeSetting(ini, g, "feaFileExistAction", fileExistAction);
    writeSetting(ini, g, "bUseTags", useTags);
    writeSetting(ini, g, "bReadTags", readTags);
    writeSetting(ini, g, "bAutoReadTags", autoReadTags);
    writeSetting(ini, g, "bRecycleFiles", recycleFiles);
    writeSetting(ini, g, "lAlbumSize", albumSize);
    writeSetting(ini, g, "bUseReplace", useReplace);
    writeSetting(ini, g, "bUseRemoveChars", useRemoveChars);
    writeSetting(ini, g, "sRemovedChars", removedChars);
    writeSetting(ini, g, "bScoreToSpace", scoreToSpace);
    writeSetting(ini, g, "b20toSpace", percent20ToSpace);
    writeSetting(ini, g, "bFixSpaces", fixSpaces);
    writeSetting(ini, g, "bFixMisses", fixMisses);
    writeSetting(ini, g, "bPadTrackNr", padTrackNumber);
    writeSetting(ini, g, "iTrackDigits", trackDigits);
    writeSetting(ini, g, "bLCaseFirst", lowerCaseFirst);
    writeSetting(ini, g, "iCaseChange", static_cast<int>(caseChange));
    writeSetting(ini, g, "bLimitFNameLength", limitFileNameLength);
    writeSetting(ini, g, "iMaxFNameLength", maxFileNameLength);
    writeSetting(ini, g, "bLowExtension", lowerCaseExtension);
    writeSetting(ini, g, "bIgnoreReadOnly", ignoreReadOnly);
    writeSetting(ini, g, "bSetAttributes", changeAttributes);
    writeSetting(ini, g, "bReadOnly", readOnly);
    writeSetting(ini, g, "bHidden", hidden);
    writeSetting(ini, g, "bArchive", archive);

    writeSettingList(ini, "FileTypes", "nofFileTypes", "sFileType", fileTypes);

    writeSetting(ini, "Tags", "bTAGKeepSync", tagKeepSync);
    writeSetting(ini, "Tags", "bTAGLCaseFirst", tagLowerCaseFirst);
    writeSetting(ini, "Tags", "TAGCaseChange", static_cast<int>(tagCaseChange));
    writeSetting(ini, "Tags", "UseID3v1", static_cast<int>(useId3v1));
    writeSetting(ini, "Tags", "UseID3v2", static_cast<int>(useId3v2));
    writeSetting(ini, "Tags", "UseLyrics3", static_cast<int>(useLyrics3));
    writeSetting(ini, "ID3v2", "lAddPaddingSize", addPaddingSize);
    writeSetting(ini, "ID3v2", "lMaxPaddingSize", maxPaddingSize);

    writeSetting(ini, "freedb", "RemoteHost", remoteHost);
    writeSetting(ini, "freedb", "RemotePort", remotePort);
    writeSetting(ini, "freedb", "ApplyFormatting", applyFormatting);
    writeSetting(ini, "freedb", "UserName", userName);
    writeSetting(ini, "freedb", "UserHost", userHost);

    writeSetting(ini, "Player", "PlayerPath", playerPath);
    ini.endUpdate();
}

void Settings::saveMain(IniFile& ini) const {
    const char* g = kGeneral;
    ini.beginUpdate();
    writeSetting(ini, g, "bAdvancedMode", advancedMode);
    writeSetting(ini, g, "bFixFilenames", fixFilenames);
    writeSetting(ini, g, "bDetectInPattern", detectInPattern);
    writeSetting(ini, g, "bUseAlbumPattern", useAlbumPattern);
    writeSetting(ini, g, "Method", (method == 2 || method == 1) ? method : 4);
    writeSetting(ini, g, "sLastDir", lastDir);
    writeSetting(ini, g, "sTargetDir", targetDir);
    writeSetting(ini, g, "bScanSubFolders", scanSubFolders);
    writeSetting(ini, "InPatterns", "sCurrentInPattern", currentInPattern);
    writeSetting(ini, "OutPatterns", "sCurrentOutPattern", currentOutPattern);
    writeSetting(ini, "PathPatterns", "sCurrentPathPattern", currentPathPattern);
    writeSetting(ini, "AlbumPatterns", "sCurrentAlbumPattern", currentAlbumPattern);
    for (size_t i = 0; i < favouriteDir.size(); ++i)
        writeSetting(ini, "Bookmarks", "FavouriteDir" + std::to_string(i), favouriteDir[i]);
    ini.endUpdate();
}

void Settings::savePatternLists(IniFile& ini) const {
    ini.beginUpdate();
    writeSettingList(ini, "InPatterns", "nofInPatterns", "sInPattern", inPatterns);
    writeSettingList(ini, "OutPatterns", "nofOutPatterns", "sOutPattern", outPatterns);
    writeSettingList(ini, "PathPatterns", "nofPathPatterns", "sPathPattern", pathPatterns);
    writeSettingList(ini, "AlbumPatterns", "nofAlbumPatterns", "sAlbumPattern", albumPatterns);
    ini.endUpdate();
}

void Settings::saveReplaces(IniFile& ini) const {
    ini.beginUpdate();
    if (replaces.empty()) {
        writeSetting(ini, "Replaces", "nofReplaces", 0LL);
        writeSetting(ini, "Replaces", "sOldString0", std::string());
        writeSetting(ini, "Replaces", "sNewString0", std::string());
    } else {
        writeSetting(ini, "Replaces", "nofReplaces", static_cast<long long>(replaces.size()) - 1);
        for (size_t i = 0; i < replaces.size(); ++i) {
            const std::string n = std::to_string(i);
            writeSetting(ini, "Replaces", "sOldString" + n, replaces[i].first);
            writeSetting(ini, "Replaces", "sNewString" + n, replaces[i].second);
        }
    }
    ini.endUpdate();
}

void Settings::saveVisual(IniFile& ini, bool minimized, bool maximized) const {
    ini.beginUpdate();
    if (!minimized) {
        writeSetting(ini, "Visual", "FormState", maximized ? 2 : 0);
        if (!maximized) {
            writeSetting(ini, "Visual", "FormWidth", formWidth);
            writeSetting(ini, "Visual", "FormHeight", formHeight);
        }
    }
    writeSetting(ini, "Visual", "TreeSplit", treeSplit);
    writeSetting(ini, "Visual", "ViewDirTree", viewDirTree);
    writeSetting(ini, "Visual", "ViewTagInfo", viewTagInfo);
    writeSetting(ini, "Visual", "ShowGrid", showGrid);
    for (size_t i = 0; i < colVisible.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        writeSetting(ini, "Visual", "ColVisible" + n, colVisible[i]);
        if (colVisible[i]) {
            writeSetting(ini, "Visual", "ColPosition" + n, colPosition[i]);
            writeSetting(ini, "Visual", "ColSize" + n, colSize[i]);
        }
    }
    ini.endUpdate();
}

}  // namespace vorda::app
