// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandSet.h"

#include <cerrno>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "base/FileOps.h"
#include "cli/CliCommon.h"
#include "editing/FieldEdit.h"
#include "tags/AudioFile.h"
#include "tags/TagFileWriter.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::editing;

namespace vorda::cli {

namespace {

struct Assignment {
    int key = 0;
    std::string param;  // the frame of ValueKey::V2Frame
    std::string value;
};

std::optional<int> valueKeyOf(const std::string& name) {
    for (int key = 0; key < kValueKeyCount; ++key)
        if (name == kValueKeyNames[key]) return key;
    return std::nullopt;
}

// True when the operand has the form of an assignment ("tv...=").
bool looksLikeAssignment(const std::string& operand) {
    const auto equals = operand.find('=');
    return operand.starts_with("tv") && equals != std::string::npos && equals > 2;
}

ExitStatus runSet(const std::vector<std::string>& argv) {
    std::optional<std::string> settingsFile;
    std::vector<TagKind> adds;
    std::vector<TagKind> removes;
    CommandLine line("set [--settings FILE] [--add KIND]... [--remove KIND]... [KEY=VALUE]... FILE...",
                     "For each FILE: reads its tags, marks the tags of each --add KIND to be created and of\n"
                     "each --remove KIND to be deleted, sets each KEY to VALUE and writes the tags under the\n"
                     "tag options of the settings (UseID3v1, UseID3v2, UseLyrics3, padding).\n"
                     "\n"
                     "KIND is tkAll, tkID3v1, tkID3v2 or tkLyrics3. KEY is a value key (tvTitle, tvArtist,\n"
                     "tvV1Year, tvV2Comment, tvMood, ...); tvV2Frame:ID=VALUE sets the ID3v2 frame ID.\n"
                     "VALUE replaces the stored value, except:\n"
                     "  l+=TEXT  puts TEXT in front of it      r+=TEXT  appends TEXT\n"
                     "  l-=N     removes its first N characters  r-=N   removes its last N characters\n"
                     "Values go only to tags that the file has or that are added: a file without tags\n"
                     "needs --add (for example --add tkAll), unless the tag options always use a tag.\n",
                     "A value that finds no tag is named on stderr (\"FILE: not written: KEY ...\"; \"left\n"
                     "unchanged\" when nothing could be stored and the file was not written); the exit\n"
                     "status is then 1.\n"
                     "A file that fails prints \"vorda-cli: FILE: error N: TEXT\" on stderr; the exit status\n"
                     "is then 1, and the other files are still written.\n"
                     "\n"
                     "Examples:\n"
                     "  vorda-cli set --add tkAll tvArtist=Band \"tvTitle=A Song\" song.mp3\n"
                     "  vorda-cli set \"tvComment=r+= (live)\" *.mp3\n"
                     "  vorda-cli set --remove tkID3v1 \"tvV2Frame:TCOM=A Composer\" song.mp3\n");
    line.addSettings(settingsFile);
    line.addRepeated("--add", "KIND", "add a tag of this kind (may be repeated)",
                     [&adds](const std::string& value) { return takeTagKind(value, adds); });
    line.addRepeated("--remove", "KIND", "remove the tag of this kind (may be repeated)",
                     [&removes](const std::string& value) { return takeTagKind(value, removes); });
    const ParsedArguments args = line.parse(argv);
    if (args.help) return line.printHelp();
    if (!args.mistake.empty()) return line.usageError(args.mistake);

    std::vector<Assignment> assignments;
    size_t first = 0;
    for (; first < args.operands.size() && looksLikeAssignment(args.operands[first]); ++first) {
        const std::string& operand = args.operands[first];
        const auto equals = operand.find('=');
        std::string name = operand.substr(0, equals);
        Assignment a;
        if (const auto colon = name.find(':'); colon != std::string::npos) {
            a.param = name.substr(colon + 1);
            name.resize(colon);
        }
        const std::optional<int> key = valueKeyOf(name);
        if (!key) return line.usageError("unknown value key " + name);
        a.key = *key;
        if (a.key == ValueKey::V2Frame && a.param.empty())
            return line.usageError("tvV2Frame needs a frame: tvV2Frame:ID=VALUE");
        a.value = operand.substr(equals + 1);
        assignments.push_back(std::move(a));
    }
    if (first >= args.operands.size()) return line.usageError("no file given");
    if (!loadSettings(settingsFile)) return ExitStatus::Failed;

    ExitStatus status = ExitStatus::Ok;
    // The rebuilt files are made durable and put in place together.
    tags::DeferredRebuilds batch;
    std::map<std::string, std::string> given;  // absolute path -> operand
    for (size_t i = first; i < args.operands.size(); ++i) {
        const std::string path = absolutePath(args.operands[i]);
        given[path] = args.operands[i];
        auto fail = [&](int error, const std::string& text) {
            printFileError(args.operands[i], error, text);
            status = ExitStatus::Failed;
        };
        AudioFile file;
        file.setOptions(tagOptions(settings()));
        if (!file.readFile(path, true)) {
            fail(ENOENT, errorText(ENOENT));
            continue;
        }
        TagHandler& tag = file.tag();
        for (const TagKind kind : adds) tag.add(kind);
        for (const TagKind kind : removes) tag.remove(kind);
        std::string unstored;
        size_t unstoredCount = 0;
        for (const Assignment& a : assignments) {
            if (tag.setValue(a.key, applyFieldEdit(a.value, tag.getValue(a.key, a.param), true), a.param)) continue;
            if (unstoredCount++ > 0) unstored += ", ";
            unstored += kValueKeyNames[a.key] + (a.param.empty() ? std::string() : ":" + a.param);
        }
        if (unstoredCount > 0) {
            // When nothing asked for could be stored, the file stays as it is.
            const bool nothing = adds.empty() && removes.empty() && unstoredCount == assignments.size();
            printNoTagFor(args.operands[i], unstored, nothing);
            status = ExitStatus::Failed;
            if (nothing) continue;
        }
        if (file.getAttributes() == FileAttribute::ReadOnly && !settings().ignoreReadOnly) {
            fail(EACCES, "You are trying to save tags to a read-only file!");
            continue;
        }
        if (const int error = file.putTags(); error != 0) fail(error, errorText(error));
    }
    for (const tags::DeferredRebuilds::Failure& f : batch.commit()) {
        printFileError(given[f.path], f.error, errorText(f.error));
        status = ExitStatus::Failed;
    }
    return status;
}

}  // namespace

const Command kSetCommand{"set", "change tag values, add and remove tags", runSet};

}  // namespace vorda::cli
