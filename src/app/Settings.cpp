#include "app/Settings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include <sys/stat.h>

#include "app/Routines.h"

namespace vorda {

namespace {

constexpr const char* kGeneral = "General";

std::string_view TrimView(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The whole text as a finite number (decimal point ".", whatever the locale).
bool ParseNumber(std::string_view text, double* value)
{
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return false;
    double parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

// The leading numeric part (blanks, sign, digits, decimals, exponent) of the text.
bool ParseLeadingNumber(std::string_view text, double* value)
{
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
    return ParseNumber(text.substr(0, end), value);
}

// Rounds half to even, as the classic integer conversions do; false outside [lo, hi].
bool RoundToRange(double value, double lo, double hi, long long* out)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= lo && rounded <= hi)) return false;
    *out = static_cast<long long>(rounded);
    return true;
}

std::string FormatReal(double value)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

// Integer keys whose variables are narrower than long long: out-of-range values give def.
int GetRangedSetting(const IniFile& ini, const std::string& section, const std::string& key, int def, long long lo,
                     long long hi)
{
    const long long value = GetIntSetting(ini, section, key, def);
    return (value < lo || value > hi) ? def : static_cast<int>(value);
}

int GetInt16Setting(const IniFile& ini, const std::string& section, const std::string& key, int def)
{
    return GetRangedSetting(ini, section, key, def, -32768, 32767);
}

long long GetInt32Setting(const IniFile& ini, const std::string& section, const std::string& key, long long def)
{
    const long long value = GetIntSetting(ini, section, key, def);
    return (value < -2147483648LL || value > 2147483647LL) ? def : value;
}

std::string ConfigHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return AddBackslash(xdg);
    return AddBackslash(HomeFolder()) + ".config/";
}

// XDG_MUSIC_DIR from user-dirs.dirs: "$HOME/..." or an absolute path, shell-quoted.
std::string XdgMusicDir()
{
    std::ifstream in(ConfigHome() + "user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        std::string_view text = TrimView(line);
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
        if (value.substr(0, 5) == "$HOME") return RemoveBackslash(HomeFolder()) + value.substr(5);
        return value.empty() || value.front() != '/' ? std::string() : value;
    }
    return {};
}

// Windows-1252 characters 0x80 to 0x9F; the five unassigned positions keep their C1 code points.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::vector<std::pair<std::string, std::string>> ReadReplaces(const IniFile& ini)
{
    long long count = GetIntSetting(ini, "Replaces", "nofReplaces", 0);
    count = count < 0 ? 0 : (count > kMaxListIndex ? kMaxListIndex : count);
    std::vector<std::pair<std::string, std::string>> pairs;
    pairs.reserve(static_cast<size_t>(count) + 1);
    for (long long i = 0; i <= count; ++i) {
        const std::string n = std::to_string(i);
        pairs.emplace_back(GetSetting(ini, "Replaces", "sOldString" + n, ""),
                           GetSetting(ini, "Replaces", "sNewString" + n, ""));
    }
    return pairs;
}

}  // namespace

// ---------------------------------------------------------------- encoding

std::string EncodeSettingValue(const std::string& value)
{
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

std::string DecodeSettingValue(const std::string& stored)
{
    std::string result;
    result.reserve(stored.size());
    for (size_t pos = 0; pos < stored.size();) {
        char32_t cp = 0;
        const size_t length = Utf8SequenceAt(stored, pos, &cp);
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

void WriteSetting(IniFile& ini, const std::string& section, const std::string& key, const std::string& value)
{
    ini.Write(section, key, EncodeSettingValue(value));
}

void WriteSetting(IniFile& ini, const std::string& section, const std::string& key, bool value)
{
    WriteSetting(ini, section, key, std::string(value ? "True" : "False"));
}

void WriteSetting(IniFile& ini, const std::string& section, const std::string& key, long long value)
{
    WriteSetting(ini, section, key, std::to_string(value));
}

void WriteSetting(IniFile& ini, const std::string& section, const std::string& key, const char* value)
{
    WriteSetting(ini, section, key, std::string(value ? value : ""));
}

void WriteSetting(IniFile& ini, const std::string& section, const std::string& key, int value)
{
    WriteSetting(ini, section, key, static_cast<long long>(value));
}

void WriteSetting(IniFile& ini, const std::string& section, const std::string& key, double value)
{
    WriteSetting(ini, section, key, FormatReal(value));
}

std::string GetSetting(const IniFile& ini, const std::string& section, const std::string& key,
                       const std::string& def)
{
    return DecodeSettingValue(ini.Read(section, key, def));
}

bool GetBoolSetting(const IniFile& ini, const std::string& section, const std::string& key, bool def)
{
    const std::string text = GetSetting(ini, section, key, def ? "True" : "False");
    const std::string_view trimmed = TrimView(text);
    if (EqualsNoCase(trimmed, "true")) return true;
    if (EqualsNoCase(trimmed, "false")) return false;
    double number = 0;
    return ParseNumber(trimmed, &number) ? number != 0 : def;
}

int GetCheckSetting(const IniFile& ini, const std::string& section, const std::string& key, int def)
{
    double number = 0;
    long long state = 0;
    if (!ParseLeadingNumber(GetSetting(ini, section, key, std::to_string(def)), &number) ||
        !RoundToRange(number, -32768, 32767, &state))
        return def;
    return (state >= 0 && state <= 2) ? static_cast<int>(state) : def;
}

long long GetIntSetting(const IniFile& ini, const std::string& section, const std::string& key, long long def)
{
    const std::string text = GetSetting(ini, section, key, std::to_string(def));
    std::string_view trimmed = TrimView(text);
    if (!trimmed.empty() && trimmed.front() == '+') trimmed.remove_prefix(1);
    long long whole = 0;
    const auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), whole);
    if (ec == std::errc() && end == trimmed.data() + trimmed.size() && !trimmed.empty()) return whole;
    double number = 0;
    long long rounded = 0;
    // Bounds that a double holds exactly and that stay inside long long.
    if (ParseNumber(TrimView(text), &number) && RoundToRange(number, -9.2e18, 9.2e18, &rounded)) return rounded;
    return def;
}

long long GetLeadingNumberSetting(const IniFile& ini, const std::string& section, const std::string& key,
                                  long long def)
{
    double number = 0;
    long long rounded = 0;
    if (ParseLeadingNumber(GetSetting(ini, section, key, std::to_string(def)), &number) &&
        RoundToRange(number, -9.2e18, 9.2e18, &rounded))
        return rounded;
    return def;
}

double GetRealSetting(const IniFile& ini, const std::string& section, const std::string& key, double def)
{
    double number = 0;
    return ParseNumber(TrimView(GetSetting(ini, section, key, FormatReal(def))), &number) ? number : def;
}

std::vector<std::string> ReadSettingList(const IniFile& ini, const std::string& section,
                                         const std::string& countKey, const std::string& entryKey)
{
    long long count = GetIntSetting(ini, section, countKey, 0);
    count = count < 0 ? 0 : (count > kMaxListIndex ? kMaxListIndex : count);
    std::vector<std::string> entries;
    entries.reserve(static_cast<size_t>(count) + 1);
    for (long long i = 0; i <= count; ++i) entries.push_back(GetSetting(ini, section, entryKey + std::to_string(i), ""));
    return entries;
}

void WriteSettingList(IniFile& ini, const std::string& section, const std::string& countKey,
                      const std::string& entryKey, const std::vector<std::string>& entries)
{
    ini.BeginUpdate();
    if (entries.empty()) {
        WriteSetting(ini, section, countKey, 0LL);
        WriteSetting(ini, section, entryKey + "0", std::string());
    } else {
        WriteSetting(ini, section, countKey, static_cast<long long>(entries.size()) - 1);
        for (size_t i = 0; i < entries.size(); ++i) WriteSetting(ini, section, entryKey + std::to_string(i), entries[i]);
    }
    ini.EndUpdate();
}

// ---------------------------------------------------------------- defaults and places

std::string DefaultRemovedChars()
{
    std::string chars = "^{}~\x7F";
    for (char32_t cp : kCp1252High) AppendUtf8(chars, cp);
    constexpr std::u32string_view kKept = U"\u00A7\u00B6\u00C4\u00C5\u00C6\u00C8\u00C9\u00D6\u00D8\u00DC"
                                          U"\u00E0\u00E1\u00E4\u00E5\u00E6\u00E8\u00E9\u00F6\u00F8\u00FC";
    for (char32_t cp = 0xA1; cp <= 0xFF; ++cp)
        if (kKept.find(cp) == std::u32string_view::npos) AppendUtf8(chars, cp);
    return chars;
}

std::string DefaultFolder()
{
    const std::string music = XdgMusicDir();
    if (!music.empty() && IsDirectory(music)) return AddBackslash(music);
    const std::string home = AddBackslash(HomeFolder());
    if (IsDirectory(home + "Music")) return home + "Music/";
    return home;
}

std::string DefaultSettingsPath(const std::string& executableDir)
{
    if (!executableDir.empty()) {
        const std::string portable = AddBackslash(executableDir) + "settings.ini";
        struct stat st {};
        if (::stat(portable.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return portable;
    }
    return ConfigHome() + "vorda/settings.ini";
}

std::string SettingsFileNotice(const IniFile& ini, bool forWindow)
{
    const std::string file = "The settings file " + ToDisplayUtf8(ini.Path());
    switch (ini.FileCondition()) {
    case IniFile::Condition::Unreadable:
        return file + " could not be read (" + ini.Problem() + "). The default settings are used" +
               (forWindow ? " and the file is left as it is." : ".");
    case IniFile::Condition::Damaged: {
        std::string text = file + " could not be read completely: " + ini.Problem() + ". What could be read is used.";
        if (!forWindow) return text;
        if (ini.IsReadOnly()) return text + " The file is read-only and is left as it is.";
        return text + " Before settings are saved, the file is kept as " + ToDisplayUtf8(ini.BackupPath()) + ".";
    }
    case IniFile::Condition::Ok:
        if (forWindow && ini.IsReadOnly())
            return file + " is read-only. It is read but never written, so changed settings are not kept.";
        return {};
    case IniFile::Condition::Missing:
        return {};
    }
    return {};
}

Settings& settings()
{
    static Settings instance;
    return instance;
}

// ---------------------------------------------------------------- Settings

Settings::Settings() : sTargetDir(DefaultFolder()), sLastDir(sTargetDir), sRemovedChars(DefaultRemovedChars()) {}

void Settings::Load(const IniFile& ini)
{
    const Settings d;  // the defaults
    Settings s = d;
    const char* g = kGeneral;

    s.bAdvancedMode = GetBoolSetting(ini, g, "bAdvancedMode", d.bAdvancedMode);
    s.bFixFilenames = GetCheckSetting(ini, g, "bFixFilenames", d.bFixFilenames);
    s.bScanSubFolders = GetCheckSetting(ini, g, "bScanSubFolders", d.bScanSubFolders);
    s.bDetectInPattern = GetCheckSetting(ini, g, "bDetectInPattern", d.bDetectInPattern);
    s.bUseAlbumPattern = GetCheckSetting(ini, g, "bUseAlbumPattern", d.bUseAlbumPattern);
    s.bSortToExistingFolders = GetBoolSetting(ini, g, "bSortToExistingFolders", d.bSortToExistingFolders);
    // Any other method leaves the three method buttons clear, so the value is kept as stored.
    s.Method = GetInt16Setting(ini, g, "Method", d.Method);
    s.feaFileExistAction = GetInt16Setting(ini, g, "feaFileExistAction", d.feaFileExistAction);
    if (s.feaFileExistAction != feaAsk && s.feaFileExistAction != feaReplace && s.feaFileExistAction != feaSkip)
        s.feaFileExistAction = d.feaFileExistAction;
    s.sTargetDir = GetSetting(ini, g, "sTargetDir", d.sTargetDir);
    s.sLastDir = GetSetting(ini, g, "sLastDir", d.sLastDir);
    s.bUseTags = GetBoolSetting(ini, g, "bUseTags", d.bUseTags);
    s.bReadTags = GetBoolSetting(ini, g, "bReadTags", d.bReadTags);
    s.bAutoReadTags = GetBoolSetting(ini, g, "bAutoReadTags", d.bAutoReadTags);
    s.bRecycleFiles = GetBoolSetting(ini, g, "bRecycleFiles", d.bRecycleFiles);
    s.lAlbumSize = GetInt32Setting(ini, g, "lAlbumSize", d.lAlbumSize);
    s.bUseReplace = GetBoolSetting(ini, g, "bUseReplace", d.bUseReplace);
    s.bUseRemoveChars = GetBoolSetting(ini, g, "bUseRemoveChars", d.bUseRemoveChars);
    s.sRemovedChars = GetSetting(ini, g, "sRemovedChars", d.sRemovedChars);
    for (size_t pos; (pos = s.sRemovedChars.find(kSpaceMark)) != std::string::npos;) s.sRemovedChars.erase(pos, 2);
    s.bScoreToSpace = GetBoolSetting(ini, g, "bScoreToSpace", d.bScoreToSpace);
    s.b20toSpace = GetBoolSetting(ini, g, "b20toSpace", d.b20toSpace);
    s.bFixSpaces = GetBoolSetting(ini, g, "bFixSpaces", d.bFixSpaces);
    s.bFixMisses = GetBoolSetting(ini, g, "bFixMisses", d.bFixMisses);
    s.bPadTrackNr = GetBoolSetting(ini, g, "bPadTrackNr", d.bPadTrackNr);
    s.iTrackDigits = GetInt16Setting(ini, g, "iTrackDigits", d.iTrackDigits);
    s.bLCaseFirst = GetBoolSetting(ini, g, "bLCaseFirst", d.bLCaseFirst);
    s.iCaseChange = GetInt16Setting(ini, g, "iCaseChange", d.iCaseChange);
    s.bLimitFNameLength = GetBoolSetting(ini, g, "bLimitFNameLength", d.bLimitFNameLength);
    s.iMaxFNameLength = GetInt16Setting(ini, g, "iMaxFNameLength", d.iMaxFNameLength);
    s.bLowExtension = GetBoolSetting(ini, g, "bLowExtension", d.bLowExtension);
    s.bIgnoreReadOnly = GetBoolSetting(ini, g, "bIgnoreReadOnly", d.bIgnoreReadOnly);
    s.bSetAttributes = GetBoolSetting(ini, g, "bSetAttributes", d.bSetAttributes);
    s.bReadOnly = GetBoolSetting(ini, g, "bReadOnly", d.bReadOnly);
    s.bHidden = GetBoolSetting(ini, g, "bHidden", d.bHidden);
    s.bArchive = GetBoolSetting(ini, g, "bArchive", d.bArchive);

    s.FileTypes = ReadSettingList(ini, "FileTypes", "nofFileTypes", "sFileType");
    if (s.FileTypes[0].empty()) s.FileTypes[0] = "mp3";
    s.sFolderPattern = GetSetting(ini, g, "sFolderPattern", d.sFolderPattern);

    s.sCurrentInPattern = GetSetting(ini, "InPatterns", "sCurrentInPattern", d.sCurrentInPattern);
    s.InPatterns = ReadSettingList(ini, "InPatterns", "nofInPatterns", "sInPattern");
    s.sCurrentOutPattern = GetSetting(ini, "OutPatterns", "sCurrentOutPattern", d.sCurrentOutPattern);
    s.OutPatterns = ReadSettingList(ini, "OutPatterns", "nofOutPatterns", "sOutPattern");
    s.sCurrentPathPattern = GetSetting(ini, "PathPatterns", "sCurrentPathPattern", d.sCurrentPathPattern);
    s.PathPatterns = ReadSettingList(ini, "PathPatterns", "nofPathPatterns", "sPathPattern");
    s.sCurrentAlbumPattern = GetSetting(ini, "AlbumPatterns", "sCurrentAlbumPattern", d.sCurrentAlbumPattern);
    s.AlbumPatterns = ReadSettingList(ini, "AlbumPatterns", "nofAlbumPatterns", "sAlbumPattern");

    s.bTAGKeepSync = GetBoolSetting(ini, "Tags", "bTAGKeepSync", d.bTAGKeepSync);
    s.bTAGLCaseFirst = GetBoolSetting(ini, "Tags", "bTAGLCaseFirst", d.bTAGLCaseFirst);
    s.TAGCaseChange = GetInt16Setting(ini, "Tags", "TAGCaseChange", d.TAGCaseChange);
    s.UseID3v1 = GetRangedSetting(ini, "Tags", "UseID3v1", d.UseID3v1, tuIfNeeded, tuNever);
    s.UseID3v2 = GetRangedSetting(ini, "Tags", "UseID3v2", d.UseID3v2, tuIfNeeded, tuNever);
    s.UseLyrics3 = GetRangedSetting(ini, "Tags", "UseLyrics3", d.UseLyrics3, tuIfNeeded, tuNever);
    s.lAddPaddingSize = GetInt32Setting(ini, "ID3v2", "lAddPaddingSize", d.lAddPaddingSize);
    s.lMaxPaddingSize = GetInt32Setting(ini, "ID3v2", "lMaxPaddingSize", d.lMaxPaddingSize);

    s.Replaces = ReadReplaces(ini);

    for (size_t i = 0; i < s.FavouriteDir.size(); ++i)
        s.FavouriteDir[i] = GetSetting(ini, "Bookmarks", "FavouriteDir" + std::to_string(i), "");

    s.RemoteHost = GetSetting(ini, "freedb", "RemoteHost", d.RemoteHost);
    s.RemotePort = GetLeadingNumberSetting(ini, "freedb", "RemotePort", d.RemotePort);
    if (s.RemotePort < 1 || s.RemotePort > 65535) s.RemotePort = d.RemotePort;
    s.ApplyFormatting = GetBoolSetting(ini, "freedb", "ApplyFormatting", d.ApplyFormatting);
    s.UserName = GetSetting(ini, "freedb", "UserName", d.UserName);
    s.UserHost = GetSetting(ini, "freedb", "UserHost", d.UserHost);

    s.PlayerPath = GetSetting(ini, "Player", "PlayerPath", d.PlayerPath);

    s.FormState = GetInt16Setting(ini, "Visual", "FormState", d.FormState);
    s.FormWidth = GetRealSetting(ini, "Visual", "FormWidth", d.FormWidth);
    s.FormHeight = GetRealSetting(ini, "Visual", "FormHeight", d.FormHeight);
    s.TreeSplit = GetRealSetting(ini, "Visual", "TreeSplit", d.TreeSplit);
    s.ViewDirTree = GetBoolSetting(ini, "Visual", "ViewDirTree", d.ViewDirTree);
    s.ViewTagInfo = GetBoolSetting(ini, "Visual", "ViewTagInfo", d.ViewTagInfo);
    s.ShowGrid = GetBoolSetting(ini, "Visual", "ShowGrid", d.ShowGrid);
    for (size_t i = 0; i < s.ColVisible.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        s.ColVisible[i] = GetBoolSetting(ini, "Visual", "ColVisible" + n, d.ColVisible[i]);
        s.ColSize[i] = GetRealSetting(ini, "Visual", "ColSize" + n, d.ColSize[i]);
        if (s.ColSize[i] < 120) s.ColSize[i] = 120;
        s.ColPosition[i] = GetInt16Setting(ini, "Visual", "ColPosition" + n, d.ColPosition[i]);
    }

    *this = std::move(s);
}

void Settings::SaveOptions(IniFile& ini) const
{
    const char* g = kGeneral;
    ini.BeginUpdate();
    WriteSetting(ini, g, "bSortToExistingFolders", bSortToExistingFolders);
    WriteSetting(ini, g, "feaFileExistAction", feaFileExistAction);
    WriteSetting(ini, g, "bUseTags", bUseTags);
    WriteSetting(ini, g, "bReadTags", bReadTags);
    WriteSetting(ini, g, "bAutoReadTags", bAutoReadTags);
    WriteSetting(ini, g, "bRecycleFiles", bRecycleFiles);
    WriteSetting(ini, g, "lAlbumSize", lAlbumSize);
    WriteSetting(ini, g, "bUseReplace", bUseReplace);
    WriteSetting(ini, g, "bUseRemoveChars", bUseRemoveChars);
    WriteSetting(ini, g, "sRemovedChars", sRemovedChars);
    WriteSetting(ini, g, "bScoreToSpace", bScoreToSpace);
    WriteSetting(ini, g, "b20toSpace", b20toSpace);
    WriteSetting(ini, g, "bFixSpaces", bFixSpaces);
    WriteSetting(ini, g, "bFixMisses", bFixMisses);
    WriteSetting(ini, g, "bPadTrackNr", bPadTrackNr);
    WriteSetting(ini, g, "iTrackDigits", iTrackDigits);
    WriteSetting(ini, g, "bLCaseFirst", bLCaseFirst);
    WriteSetting(ini, g, "iCaseChange", iCaseChange);
    WriteSetting(ini, g, "bLimitFNameLength", bLimitFNameLength);
    WriteSetting(ini, g, "iMaxFNameLength", iMaxFNameLength);
    WriteSetting(ini, g, "bLowExtension", bLowExtension);
    WriteSetting(ini, g, "bIgnoreReadOnly", bIgnoreReadOnly);
    WriteSetting(ini, g, "bSetAttributes", bSetAttributes);
    WriteSetting(ini, g, "bReadOnly", bReadOnly);
    WriteSetting(ini, g, "bHidden", bHidden);
    WriteSetting(ini, g, "bArchive", bArchive);

    WriteSettingList(ini, "FileTypes", "nofFileTypes", "sFileType", FileTypes);

    WriteSetting(ini, "Tags", "bTAGKeepSync", bTAGKeepSync);
    WriteSetting(ini, "Tags", "bTAGLCaseFirst", bTAGLCaseFirst);
    WriteSetting(ini, "Tags", "TAGCaseChange", TAGCaseChange);
    WriteSetting(ini, "Tags", "UseID3v1", UseID3v1);
    WriteSetting(ini, "Tags", "UseID3v2", UseID3v2);
    WriteSetting(ini, "Tags", "UseLyrics3", UseLyrics3);
    WriteSetting(ini, "ID3v2", "lAddPaddingSize", lAddPaddingSize);
    WriteSetting(ini, "ID3v2", "lMaxPaddingSize", lMaxPaddingSize);

    WriteSetting(ini, "freedb", "RemoteHost", RemoteHost);
    WriteSetting(ini, "freedb", "RemotePort", RemotePort);
    WriteSetting(ini, "freedb", "ApplyFormatting", ApplyFormatting);
    WriteSetting(ini, "freedb", "UserName", UserName);
    WriteSetting(ini, "freedb", "UserHost", UserHost);

    WriteSetting(ini, "Player", "PlayerPath", PlayerPath);
    ini.EndUpdate();
}

void Settings::SaveMain(IniFile& ini) const
{
    const char* g = kGeneral;
    ini.BeginUpdate();
    WriteSetting(ini, g, "bAdvancedMode", bAdvancedMode);
    WriteSetting(ini, g, "bFixFilenames", bFixFilenames);
    WriteSetting(ini, g, "bDetectInPattern", bDetectInPattern);
    WriteSetting(ini, g, "bUseAlbumPattern", bUseAlbumPattern);
    WriteSetting(ini, g, "Method", (Method == 2 || Method == 1) ? Method : 4);
    WriteSetting(ini, g, "sLastDir", sLastDir);
    WriteSetting(ini, g, "sTargetDir", sTargetDir);
    WriteSetting(ini, g, "bScanSubFolders", bScanSubFolders);
    WriteSetting(ini, "InPatterns", "sCurrentInPattern", sCurrentInPattern);
    WriteSetting(ini, "OutPatterns", "sCurrentOutPattern", sCurrentOutPattern);
    WriteSetting(ini, "PathPatterns", "sCurrentPathPattern", sCurrentPathPattern);
    WriteSetting(ini, "AlbumPatterns", "sCurrentAlbumPattern", sCurrentAlbumPattern);
    for (size_t i = 0; i < FavouriteDir.size(); ++i)
        WriteSetting(ini, "Bookmarks", "FavouriteDir" + std::to_string(i), FavouriteDir[i]);
    ini.EndUpdate();
}

void Settings::SavePatternLists(IniFile& ini) const
{
    ini.BeginUpdate();
    WriteSettingList(ini, "InPatterns", "nofInPatterns", "sInPattern", InPatterns);
    WriteSettingList(ini, "OutPatterns", "nofOutPatterns", "sOutPattern", OutPatterns);
    WriteSettingList(ini, "PathPatterns", "nofPathPatterns", "sPathPattern", PathPatterns);
    WriteSettingList(ini, "AlbumPatterns", "nofAlbumPatterns", "sAlbumPattern", AlbumPatterns);
    ini.EndUpdate();
}

void Settings::SaveReplaces(IniFile& ini) const
{
    ini.BeginUpdate();
    if (Replaces.empty()) {
        WriteSetting(ini, "Replaces", "nofReplaces", 0LL);
        WriteSetting(ini, "Replaces", "sOldString0", std::string());
        WriteSetting(ini, "Replaces", "sNewString0", std::string());
    } else {
        WriteSetting(ini, "Replaces", "nofReplaces", static_cast<long long>(Replaces.size()) - 1);
        for (size_t i = 0; i < Replaces.size(); ++i) {
            const std::string n = std::to_string(i);
            WriteSetting(ini, "Replaces", "sOldString" + n, Replaces[i].first);
            WriteSetting(ini, "Replaces", "sNewString" + n, Replaces[i].second);
        }
    }
    ini.EndUpdate();
}

void Settings::SaveVisual(IniFile& ini, bool minimized, bool maximized) const
{
    ini.BeginUpdate();
    if (!minimized) {
        WriteSetting(ini, "Visual", "FormState", maximized ? 2 : 0);
        if (!maximized) {
            WriteSetting(ini, "Visual", "FormWidth", FormWidth);
            WriteSetting(ini, "Visual", "FormHeight", FormHeight);
        }
    }
    WriteSetting(ini, "Visual", "TreeSplit", TreeSplit);
    WriteSetting(ini, "Visual", "ViewDirTree", ViewDirTree);
    WriteSetting(ini, "Visual", "ViewTagInfo", ViewTagInfo);
    WriteSetting(ini, "Visual", "ShowGrid", ShowGrid);
    for (size_t i = 0; i < ColVisible.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        WriteSetting(ini, "Visual", "ColVisible" + n, ColVisible[i]);
        if (ColVisible[i]) {
            WriteSetting(ini, "Visual", "ColPosition" + n, ColPosition[i]);
            WriteSetting(ini, "Visual", "ColSize" + n, ColSize[i]);
        }
    }
    ini.EndUpdate();
}

}  // namespace vorda
