#include "naming/FileValues.h"

#include <array>
#include <string_view>
#include <utility>
#include <vector>

#include "app/FileList.h"
#include "app/Routines.h"
#include "naming/NamingText.h"
#include "naming/PatternEngine.h"
#include "naming/mdlFixFileName.h"
#include "tags/clsFile.h"

namespace vorda {

using namespace naming;

namespace {

// A value placed into a name or folder: "/" would start a new folder, NUL would cut the path.
std::string NameSafe(std::string_view value)
{
    std::string safe;
    safe.reserve(value.size());
    for (char c : value)
        if (c != '/' && c != '\0') safe += c;
    return safe;
}

std::string Expand(const FileValues& v, std::string_view pattern, bool namesOnly)
{
    auto value = [namesOnly](const std::string& text) { return namesOnly ? NameSafe(text) : text; };
    const std::string artist = value(v.artist);
    const std::string letter = Utf8FirstChar(artist);
    const std::array<std::pair<std::string_view, std::string>, 11> table{{
        {"<artist>", artist},
        {"<title>", value(v.title)},
        {"<album>", value(v.album)},
        {"<track>", value(v.track)},
        {"<year>", value(v.year)},
        {"<genre>", value(v.genre)},
        {"<comment>", value(v.comment)},
        {"<bitrate>", value(v.bitrate)},
        {"<samplerate>", value(v.samplerate)},
        {"<lletter>", LCase(letter)},
        {"<uletter>", UCase(letter)},
    }};

    std::string result;
    result.reserve(pattern.size() + 64);
    size_t pos = 0;
    while (pos < pattern.size()) {
        const size_t open = pattern.find('<', pos);
        if (open == std::string_view::npos) {
            result.append(pattern.substr(pos));
            break;
        }
        result.append(pattern.substr(pos, open - pos));
        bool replaced = false;
        for (const auto& [placeholder, text] : table) {
            if (pattern.compare(open, placeholder.size(), placeholder) == 0) {
                result += text;
                pos = open + placeholder.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            result += '<';
            pos = open + 1;
        }
    }
    return result;
}

std::string CutAtSlash(const std::string& track)
{
    const size_t slash = track.find('/');
    return slash == std::string::npos ? track : track.substr(0, slash);
}

// Joins the components of a folder text that can neither climb nor vanish.
std::string SafeRelativeFolder(std::string_view folder)
{
    std::string result;
    size_t pos = 0;
    while (pos <= folder.size()) {
        size_t slash = folder.find('/', pos);
        if (slash == std::string_view::npos) slash = folder.size();
        const std::string_view part = folder.substr(pos, slash - pos);
        if (!part.empty() && part != "." && part != "..") {
            result.append(part);
            result += '/';
        }
        pos = slash + 1;
    }
    return result;
}

bool HasDot(std::string_view name)
{
    return name.find('.') != std::string_view::npos;
}

}  // namespace

FileValues GetFileValues(clsFile& file, const std::string& inPattern, long listIndex, const Settings& s)
{
    FileValues v;
    v.index = listIndex;
    v.name = file.name();
    v.folder = file.Path();

    struct Slot {
        std::string* value;
        const char* placeholder;
    };
    const std::array<Slot, 9> slots{{{&v.album, "<album>"},
                                     {&v.artist, "<artist>"},
                                     {&v.bitrate, "<bitrate>"},
                                     {&v.comment, "<comment>"},
                                     {&v.genre, "<genre>"},
                                     {&v.samplerate, "<samplerate>"},
                                     {&v.title, "<title>"},
                                     {&v.track, "<track>"},
                                     {&v.year, "<year>"}}};

    if (s.bUseTags) {
        clsTag& tag = file.Tag();
        v.artist = Trim(tag.GetValue(tvArtist));
        v.title = Trim(tag.GetValue(tvTitle));
        v.album = Trim(tag.GetValue(tvAlbum));
        v.genre = Trim(tag.GetValue(tvGenre));
        v.comment = Trim(tag.GetValue(tvComment));
        v.year = Trim(tag.GetValue(tvYear));
        v.track = Trim(tag.GetValue(tvTrack));
        v.bitrate = Trim(file.Audio().GetInfo(aiBitRate));
        v.samplerate = Trim(file.Audio().GetInfo(aiSampleRate));
    }
    for (const Slot& slot : slots)
        if (slot.value->empty()) *slot.value = ExtractValue(v.name, slot.placeholder, inPattern, s);
    if (s.bUseTags && !v.track.empty() && s.bPadTrackNr && s.iTrackDigits > 0)
        v.track = PadTrackNumber(v.track, s.iTrackDigits);
    return v;
}

std::string ReplacePlaceholders(const FileValues& values, const std::string& pattern)
{
    return Expand(values, pattern, false);
}

std::string ApplyPattern(const FileValues& values, const std::string& pattern, const Settings& s)
{
    if (pattern.empty()) return {};
    FileValues v = values;
    if (s.iCaseChange == ccFirstLetter) {
        for (std::string* field : {&v.artist, &v.title, &v.album}) {
            if (s.bLCaseFirst) *field = LCase(*field);
            const std::string first = Utf8FirstChar(*field);
            *field = UCase(first) + field->substr(first.size());
        }
    }
    v.track = CutAtSlash(v.track);
    return FixFileName(Expand(v, pattern, true), s);
}

std::string ApplyFolderPattern(const FileValues& values, const std::string& pattern, const Settings& s)
{
    const std::string folder = SafeRelativeFolder(ApplyPattern(values, pattern, s));
    return !pattern.empty() && pattern.front() == '/' ? "/" + folder : folder;
}

std::string BuildDestinationFolder(const std::string& targetDir, const FileValues& values,
                                   const std::string& pattern, const Settings& s)
{
    const std::string target = AddBackslash(ExpandHome(targetDir));
    if (Trim(pattern).empty()) return target;
    if (pattern.front() == '/') return ApplyFolderPattern(values, pattern, s);
    if (pattern.rfind("~/", 0) == 0)
        return AddBackslash(HomeFolder()) + ApplyFolderPattern(values, pattern.substr(2), s);
    return target + ApplyFolderPattern(values, pattern, s);
}

std::string BuildNewFileName(const FileValues& values, const std::string& outPattern, const Settings& s)
{
    if (values.name.empty()) return {};

    // A name without a dot has no extension (not the whole name as one).
    std::string extension = HasDot(values.name) ? GetExtension(values.name) : std::string();
    std::string pattern = outPattern;
    const std::string patternExtension = HasDot(outPattern) ? GetExtension(outPattern) : std::string();
    const size_t patternExtensionLength = Utf8CharCount(patternExtension);
    if (patternExtensionLength > 0 && patternExtensionLength < 6 &&
        patternExtension.find_first_of("<>") == std::string::npos) {
        extension = patternExtension;
        pattern = RemoveExtension(pattern);
    } else if (Utf8CharCount(extension) > 5) {
        extension.clear();
    }

    std::string body = ApplyPattern(values, pattern, s);
    if (!extension.empty()) extension = "." + (s.bLowExtension ? LCase(extension) : extension);
    if (s.bLimitFNameLength && s.iMaxFNameLength > 0 && Utf8CharCount(body) > static_cast<size_t>(s.iMaxFNameLength))
        body = Utf8Left(body, static_cast<size_t>(s.iMaxFNameLength - 1)) + "~";

    std::string name;
    for (char c : body + extension)
        if (kFileNameIllegal.find(c) == std::string_view::npos) name += c;
    // "." and ".." name folders, never a file: such a name is no name.
    if (name == "." || name == "..") name.clear();
    return name;
}

std::string PreviewNewName(bool fixFilenames, clsFile& file, const std::string& inPattern, long listIndex,
                           const std::string& outPattern, const std::string& oldName, const Settings& s)
{
    if (!fixFilenames) return oldName;
    return BuildNewFileName(GetFileValues(file, inPattern, listIndex, s), outPattern, s);
}

int CountSelectedFiles(const FileList& list)
{
    return list.SelectedCount();
}

}  // namespace vorda
