#include "naming/mdlFixFileName.h"

#include <utf8proc.h>

#include <vector>

#include "app/Routines.h"
#include "naming/NamingText.h"
#include "naming/PatternEngine.h"
#include "tags/clsFile.h"

namespace vorda {

using namespace naming;

namespace {

// One character of a UTF-8 text: a code point, or a byte that starts no valid sequence.
struct Unit {
    char32_t cp = 0;
    bool stray = false;
};

std::vector<Unit> Decode(std::string_view text)
{
    std::vector<Unit> units;
    units.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        char32_t cp = 0;
        const size_t length = Utf8SequenceAt(text, pos, &cp);
        if (length == 0) {
            units.push_back({static_cast<unsigned char>(text[pos]), true});
            ++pos;
        } else {
            units.push_back({cp, false});
            pos += length;
        }
    }
    return units;
}

std::string Encode(const std::vector<Unit>& units)
{
    std::string text;
    text.reserve(units.size());
    for (const Unit& unit : units) {
        if (unit.stray)
            text += static_cast<char>(unit.cp);
        else
            AppendUtf8(text, unit.cp);
    }
    return text;
}

bool IsWordChar(const Unit& unit)
{
    if (unit.stray) return false;
    if (unit.cp == U'@') return true;
    switch (utf8proc_category(static_cast<utf8proc_int32_t>(unit.cp))) {
    case UTF8PROC_CATEGORY_LU:
    case UTF8PROC_CATEGORY_LL:
    case UTF8PROC_CATEGORY_LT:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_LO:
    case UTF8PROC_CATEGORY_ND: return true;
    default: return false;
    }
}

void Raise(Unit& unit)
{
    if (!unit.stray) unit.cp = static_cast<char32_t>(utf8proc_toupper(static_cast<utf8proc_int32_t>(unit.cp)));
}

std::string CollapseSpaces(std::string_view text)
{
    return ReplaceUntilGone(text, "  ", " ");
}

std::string ApplyReplaces(std::string text, const Settings& s)
{
    for (const auto& [from, to] : s.Replaces)
        if (!from.empty()) text = ReplaceAll(text, from, to);
    return s.bFixSpaces ? CollapseSpaces(text) : text;
}

// Steps shared by both clean-ups: removed characters, "%20", underscores, double spaces.
std::string BasicCleanup(std::string text, const Settings& s)
{
    if (s.bUseRemoveChars) text = RemoveChars(text, s.sRemovedChars, false);
    if (s.b20toSpace) text = ReplaceAll(text, "%20", " ");
    if (s.bScoreToSpace) text = ReplaceAll(text, "_", " ");
    if (s.bFixSpaces) text = CollapseSpaces(text);
    return text;
}

std::string UpperFirst(std::string_view text)
{
    const std::string first = Utf8FirstChar(text);
    return UCase(first) + std::string(text.substr(first.size()));
}

}  // namespace

std::string ProperCase(std::string_view text)
{
    if (Trim(text).empty()) return std::string(text);
    std::vector<Unit> units = Decode(text);
    Raise(units.front());
    const size_t last = units.size() - 1;
    for (size_t i = 0; i < units.size(); ++i) {
        const char32_t c = units[i].stray ? 0 : units[i].cp;
        if (c != U' ' && c != U'+' && c != U'-' && c != U'.') continue;
        size_t j = i;
        while (j < last && !IsWordChar(units[j])) ++j;
        Raise(units[j]);
    }
    return Encode(units);
}

std::string RemoveChars(std::string_view text, std::string_view set, bool keep)
{
    std::string result;
    result.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = Utf8SequenceAt(text, pos);
        const std::string_view ch = text.substr(pos, length == 0 ? 1 : length);
        if (Utf8SetContains(set, ch) == keep) result.append(ch);
        pos += ch.size();
    }
    return result;
}

std::string FixFileName(std::string_view text, const Settings& s, bool keepCapitals)
{
    std::string name = BasicCleanup(std::string(text), s);

    if (s.bFixMisses) {
        name = ReplaceUntilGone(name, "--", "-");
        name = ReplaceUntilGone(name, " - - ", " - ");
        name = ReplaceAll(name, "() - ", "");
        name = ReplaceAll(name, " - ()", "");
        name = ReplaceAll(name, "() ", "");
        name = ReplaceAll(name, " ()", "");
        if (name.find(" - ") == std::string::npos) name = ReplaceAll(name, " -", " - ");
        if (name.find(" - ") == std::string::npos) name = ReplaceAll(name, "- ", " - ");
        if (name.find(" - ") == std::string::npos) name = ReplaceAll(name, "-", " - ");
        name = TrimSpaces(name);
        if (name.rfind("- ", 0) == 0) name.erase(0, 2);
        if (name.size() >= 2 && name.compare(name.size() - 2, 2, " -") == 0) name.erase(name.size() - 2);
    }

    switch (s.iCaseChange) {
    case ccEveryWord:
        if (s.bLCaseFirst || (!keepCapitals && name == UCase(name))) name = LCase(name);
        name = ProperCase(name);
        break;
    case ccUpper: name = UCase(name); break;
    case ccLower: name = LCase(name); break;
    default: break;
    }

    if (s.bUseReplace) name = ApplyReplaces(std::move(name), s);
    if (s.bFixMisses) name = TrimSpaces(name);
    return name;
}

std::string FixTagField(std::string_view text, const Settings& s)
{
    std::string value(text);
    if (s.bFixSpaces) value = TrimSpaces(value);
    if (value.empty()) return value;
    value = BasicCleanup(std::move(value), s);

    if (s.bFixMisses) {
        value = RemoveFirst(value, "() - ");
        value = RemoveFirst(value, " - ()");
        value = TrimSpaces(value);
    }

    if ((s.TAGCaseChange == ccEveryWord || s.TAGCaseChange == ccFirstLetter) && s.bTAGLCaseFirst)
        value = LCase(value);
    switch (s.TAGCaseChange) {
    case ccEveryWord: value = ProperCase(value); break;
    case ccFirstLetter: value = UpperFirst(value); break;
    case ccUpper: value = UCase(value); break;
    case ccLower: value = LCase(value); break;
    default: break;
    }

    if (s.bUseReplace) value = ApplyReplaces(std::move(value), s);
    if (s.bFixMisses) value = TrimSpaces(value);
    return value;
}

std::string FixedFieldValue(clsFile& file, int key, const std::string& placeholder, const std::string& name,
                            const std::string& inPattern, const Settings& s)
{
    std::string value = FixTagField(file.Tag().GetValue(key), s);
    if (value.empty()) value = FixTagField(ExtractValue(name, placeholder, inPattern, s), s);
    return value;
}

}  // namespace vorda
