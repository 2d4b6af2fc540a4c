// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandFind.h"

#include <cstdio>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/Settings.h"
#include "base/Text.h"
#include "cli/CliCommon.h"
#include "find/FindReplace.h"
#include "find/SearchFields.h"
#include "find/TagFileSource.h"

using namespace vorda::base;
using namespace vorda::app;
using namespace vorda::find;

namespace vorda::cli {

namespace {

// The name of a field on the command line: its caption in lower case without blanks.
std::string fieldName(SearchField field) {
    std::string name;
    for (const char c : fieldCaption(field))
        if (c != ' ') name += c;
    return asciiLower(name);
}

bool searchedAnywhere(SearchField field) {
    for (int t = 0; t < kSearchTagCount; ++t)
        if (fieldValueKey(static_cast<SearchTag>(t), field)) return true;
    return false;
}

// The field names separated by commas; with a line break after every seventh for the help.
std::string fieldNames(bool wrapped = false) {
    std::string names;
    int count = 0;
    for (int f = 0; f < kSearchFieldCount; ++f) {
        const auto field = static_cast<SearchField>(f);
        if (!searchedAnywhere(field)) continue;
        if (count > 0) names += wrapped && count % 7 == 0 ? ",\n" : ", ";
        names += fieldName(field);
        ++count;
    }
    return names;
}

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> items;
    size_t start = 0;
    while (true) {
        const size_t comma = list.find(',', start);
        const std::string item = trim(list.substr(start, comma == std::string::npos ? comma : comma - start));
        if (!item.empty()) items.push_back(asciiLower(item));
        if (comma == std::string::npos) return items;
        start = comma + 1;
    }
}

// The mistake in a --tags list ("" when none); the named tags are checked in options.
std::string takeTags(const std::string& list, SearchOptions& options) {
    options.tags = {};
    const std::vector<std::string> names = splitList(list);
    if (names.empty()) return "--tags names no tag";
    for (const std::string& name : names) {
        if (name == "v1" || name == "id3v1")
            options.setTag(SearchTag::Id3v1, true);
        else if (name == "v2" || name == "id3v2")
            options.setTag(SearchTag::Id3v2, true);
        else if (name == "lyrics3")
            options.setTag(SearchTag::Lyrics3, true);
        else
            return "unknown tag " + name + " (v1, v2, lyrics3)";
    }
    return {};
}

// The mistake in a --fields list ("" when none); the named fields are checked in options.
std::string takeFields(const std::string& list, SearchOptions& options) {
    options.fields = {};
    const std::vector<std::string> names = splitList(list);
    if (names.empty()) return "--fields names no field";
    for (const std::string& name : names) {
        bool known = false;
        for (int f = 0; f < kSearchFieldCount && !known; ++f) {
            const auto field = static_cast<SearchField>(f);
            if (searchedAnywhere(field) && name == fieldName(field)) {
                options.setField(field, true);
                known = true;
            }
        }
        if (!known) return "unknown field " + name + " (" + fieldNames() + ")";
    }
    return {};
}

// The given files as the rows of the search: each read and written under the settings' tag
// options; files that cannot be read or written are named on stderr as they are met.
class GivenFiles final : public TagFileSource {
public:
    explicit GivenFiles(const std::vector<std::string>& given) : given_(given) {
        for (const std::string& file : given) rows().push_back({absolutePath(file), true});
        setOptions(tagOptions(settings()));
    }

    [[nodiscard]] bool open(int row) override {
        openRow_ = row;
        if (TagFileSource::open(row)) return true;
        printError("cannot read " + toDisplayUtf8(given_[static_cast<size_t>(row)]) + "; it is not searched");
        failed_ = true;
        return false;
    }
    [[nodiscard]] std::error_code save() override {
        const std::error_code error = TagFileSource::save();
        if (error) {
            printFileError(toDisplayUtf8(given_[static_cast<size_t>(openRow_)]), error.value(), error.message());
            failed_ = true;
        }
        return error;
    }
    const std::string& given(int row) const { return given_[static_cast<size_t>(row)]; }
    bool failed() const { return failed_; }

private:
    const std::vector<std::string>& given_;
    int openRow_ = 0;  // the row open read last, which save writes
    bool failed_ = false;
};

// The options shared by find and replace.
struct SearchLine {
    std::optional<std::string> settingsFile;
    std::optional<std::string> findText;
    bool matchCase = false;
    std::optional<std::string> tags;
    std::optional<std::string> fields;

    void addTo(CommandLine& line) {
        line.addSettings(settingsFile);
        line.addValue("--find", "TEXT", "the text to look for (not empty)", findText);
        line.addFlag("--match-case", "letters match only in the same case", matchCase);
        line.addValue("--tags", "LIST", "the tags searched: v1, v2, lyrics3, separated by commas\n(default: every tag)",
                      tags);
        line.addValue("--fields", "LIST",
                      "the fields searched, separated by commas (default: every field):\n" + fieldNames(true), fields);
    }

    // The search the options give, or the mistake in them.
    std::string options(SearchOptions& out) const {
        if (!findText) return "--find is required";
        if (findText->empty()) return "the text to find is empty";
        out.findText = *findText;
        out.matchCase = matchCase;
        out.scope = FileScope::AllFiles;
        out.tags.fill(true);
        out.fields.fill(true);
        if (tags)
            if (std::string mistake = takeTags(*tags, out); !mistake.empty()) return mistake;
        if (fields)
            if (std::string mistake = takeFields(*fields, out); !mistake.empty()) return mistake;
        return {};
    }
};

const char* const kSearchNotes =
    "Without --match-case letters match whatever their case, in any script. The ID3v2 value of a\n"
    "field a file has only in its ID3v1 tag is that ID3v1 value; track and genre are never searched.\n";

ExitStatus runFind(const std::vector<std::string>& argv) {
    SearchLine search;
    CommandLine line("find [--settings FILE] --find TEXT [--match-case] [--tags LIST] [--fields LIST] FILE...",
                     "Prints each given FILE (as given, one a line) whose searched fields hold TEXT, in the\n"
                     "order given, as the find dialog's \"Select matching files\" selects them.\n" +
                         std::string(kSearchNotes),
                     "A file that cannot be read is named on stderr and the exit status is 1.\n"
                     "\n"
                     "Example:\n"
                     "  vorda-cli find --find live --fields title,album *.mp3\n");
    search.addTo(line);
    const ParsedArguments args = line.parse(argv);
    if (!args.mistake.empty()) return line.usageError(args.mistake);
    if (args.help) return line.printHelp();
    SearchOptions options;
    if (const std::string mistake = search.options(options); !mistake.empty()) return line.usageError(mistake);
    if (args.operands.empty()) return line.usageError("no file given");
    if (!loadSettings(search.settingsFile)) return ExitStatus::Failed;

    GivenFiles files(args.operands);
    FindReplace engine(files);
    engine.setOptions(options);
    const BatchResult result = engine.selectMatching();
    for (const int row : result.rows) std::printf("%s\n", lineText(files.given(row)).c_str());
    return files.failed() ? ExitStatus::Failed : ExitStatus::Ok;
}

ExitStatus runReplace(const std::vector<std::string>& argv) {
    SearchLine search;
    std::optional<std::string> with;
    CommandLine line("replace [--settings FILE] --find TEXT --with TEXT [--match-case] [--tags LIST]\n"
                     "                  [--fields LIST] FILE...",
                     "Replaces every TEXT in the searched fields of the given FILEs by the --with text (which\n"
                     "may be empty), as the find dialog's \"Replace All\" does, writes each file changed and\n"
                     "prints \"Changed N values in M files.\" " +
                         std::string("Replacing goes from left to right and on after each\n"
                                     "replacement; everything around a match stays as it was.\n") +
                         kSearchNotes,
                     "A file that cannot be read or written is named on stderr (\"vorda-cli: FILE: error N:\n"
                     "TEXT\" for a write) and the exit status is 1; the other files are written.\n"
                     "\n"
                     "Example:\n"
                     "  vorda-cli replace --find \"feat.\" --with \"ft.\" --fields artist,title *.mp3\n");
    search.addTo(line);
    line.addValue("--with", "TEXT", "the replacement", with);
    const ParsedArguments args = line.parse(argv);
    if (!args.mistake.empty()) return line.usageError(args.mistake);
    if (args.help) return line.printHelp();
    SearchOptions options;
    if (const std::string mistake = search.options(options); !mistake.empty()) return line.usageError(mistake);
    if (!with) return line.usageError("--with is required");
    if (args.operands.empty()) return line.usageError("no file given");
    if (!loadSettings(search.settingsFile)) return ExitStatus::Failed;

    GivenFiles files(args.operands);
    FindReplace engine(files);
    engine.setOptions(options);
    const BatchResult result = engine.replaceAll(*with);
    std::printf("%s\n", changeSummary(result).c_str());
    return files.failed() ? ExitStatus::Failed : ExitStatus::Ok;
}

}  // namespace

const Command kFindCommand{"find", "print the files whose tags hold a text", runFind};
const Command kReplaceCommand{"replace", "replace a text in the tags of files", runReplace};

}  // namespace vorda::cli
