// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandInfo.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "app/Settings.h"
#include "base/FileOps.h"
#include "base/Text.h"
#include "cli/CliCommon.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace vorda::cli {

namespace {

using Json = nlohmann::ordered_json;

// A JSON string value: bytes that are not UTF-8 become U+FFFD.
Json text(const std::string& bytes) { return toDisplayUtf8(bytes); }

// The object as one line of compact JSON that is safe on a terminal: besides what JSON escapes,
// DEL and the C1 controls (legal in JSON strings, but they act on terminals) are written as
// \u00XX, and every control character takes that one form, with upper-case digits.
std::string jsonLine(const Json& object) {
    const std::string json = object.dump(-1, ' ', false, Json::error_handler_t::replace);
    std::string line;
    line.reserve(json.size() + 1);
    const auto escape = [&line](unsigned char c) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\u%04X", c);
        line += buffer;
    };
    for (size_t i = 0; i < json.size(); ++i) {
        const auto c = static_cast<unsigned char>(json[i]);
        if (c == '\\') {
            switch (const char next = json[++i]) {
            case 'b': escape('\b'); break;
            case 'f': escape('\f'); break;
            case 'n': escape('\n'); break;
            case 'r': escape('\r'); break;
            case 't': escape('\t'); break;
            case 'u':
                line += "\\u";
                for (const char digit : json.substr(i + 1, 4)) line += static_cast<char>(std::toupper(digit));
                i += 4;
                break;
            default: line += '\\', line += next;
            }
        } else if (c == 0x7F) {
            escape(c);
        } else if (c == 0xC2 && i + 1 < json.size() && static_cast<unsigned char>(json[i + 1]) <= 0x9F &&
                   static_cast<unsigned char>(json[i + 1]) >= 0x80) {
            escape(static_cast<unsigned char>(json[++i]));
        } else {
            line += static_cast<char>(c);
        }
    }
    return line + '\n';
}

// The JSON object of one file; an object with the path and the error when it cannot be read.
Json describeFile(const std::string& given) {
    const auto failure = [&given](const std::string& error) {
        return Json{{"path", text(given)}, {"error", text(error)}};
    };
    const std::string path = absolutePath(given);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return failure(errorText(errno));
    if (S_ISDIR(st.st_mode)) return failure(errorText(EISDIR));
    if (!S_ISREG(st.st_mode)) return failure("not a regular file");
    AudioFile file;
    file.setOptions(tagOptions(settings()));
    if (!file.readFile(path, true)) return failure("the file could not be read");
    TagHandler& tag = file.tag();
    const AudioInfo& audio = file.audio();

    // The keys are the names of the value keys and audio fields: data, kept as they are.
    Json values = Json::object();
    for (int key = 0; key < kValueKeyCount; ++key) {
        if (key != ValueKey::V2Frame) values[kValueKeyNames[key]] = text(tag.getValue(key));
    }
    Json audioFields = Json::object();
    for (int index = 0; index < kAudioInfoCount; ++index)
        audioFields[kAudioInfoNames[index]] = text(audio.getInfo(static_cast<AudioKey>(index)));
    return Json{
        {"path", text(given)},
        {"size", file.fileSize()},
        {"tagType", text(tag.tagType())},
        {"hasTag",
         {{"tkID3v1", tag.hasTag(TagKind::Id3v1)},
          {"tkID3v2", tag.hasTag(TagKind::Id3v2)},
          {"tkLyrics3", tag.hasTag(TagKind::Lyrics3)}}},
        {"values", std::move(values)},
        {"frames", text(tag.getValue(ValueKey::V2Frame, std::string()))},
        {"audio", std::move(audioFields)},
        {"startPos", audio.startPos()},
        {"audioType", text(audio.audioType())},
    };
}

ExitStatus runInfo(const std::vector<std::string>& argv) {
    std::optional<std::string> settingsFile;
    CommandLine line("info [--settings FILE] FILE...",
                     "Reads each FILE and prints one JSON object per line with its path (as given), size,\n"
                     "tag type, the tag kinds it has, every tag value (\"values\", by value key), the list of\n"
                     "its ID3v2 frames (\"frames\"), the audio information (\"audio\"), the position of the\n"
                     "first audio frame (\"startPos\") and the audio type. Text that is not UTF-8 is shown\n"
                     "with U+FFFD, control characters as \\u00XX.\n",
                     "A file that cannot be read gives {\"path\":...,\"error\":...}; the exit status is then 1.\n");
    line.addSettings(settingsFile);
    const ParsedArguments args = line.parse(argv);
    if (!args.mistake.empty()) return line.usageError(args.mistake);
    if (args.help) return line.printHelp();
    if (args.operands.empty()) return line.usageError("no file given");
    if (!loadSettings(settingsFile)) return ExitStatus::Failed;

    ExitStatus status = ExitStatus::Ok;
    for (const std::string& path : args.operands) {
        const Json object = describeFile(path);
        if (object.contains("error")) status = ExitStatus::Failed;
        const std::string out = jsonLine(object);
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
    std::fflush(stdout);
    return status;
}

}  // namespace

const Command kInfoCommand{"info", "print the tags and audio information of files as JSON", runInfo};

}  // namespace vorda::cli
