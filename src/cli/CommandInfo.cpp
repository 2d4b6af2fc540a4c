// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandInfo.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "app/Settings.h"
#include "base/FileOps.h"
#include "base/Text.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace vorda::cli {

namespace {

const char* Bool(bool value) { return value ? "true" : "false"; }

// The JSON line of one file, or "" with error set when it cannot be read.
std::string describeFile(const std::string& given, std::string& error) {
    const std::string path = absolutePath(given);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = errorText(errno);
        return {};
    }
    if (S_ISDIR(st.st_mode)) {
        error = errorText(EISDIR);
        return {};
    }
    if (!S_ISREG(st.st_mode)) {
        error = "not a regular file";
        return {};
    }
    AudioFile file;
    if (!file.readFile(path, true)) {
        error = "the file could not be read";
        return {};
    }
    TagHandler& tag = file.tag();
    const AudioInfo& audio = file.audio();

    std::string json = "{\"path\":" + jsonString(given);
    json += ",\"size\":" + std::to_string(file.fileSize());
    json += ",\"tagType\":" + jsonString(tag.tagType());
    json += ",\"hasTag\":{\"tkID3v1\":" + std::string(Bool(tag.hasTag(tkID3v1))) +
            ",\"tkID3v2\":" + Bool(tag.hasTag(tkID3v2)) + ",\"tkLyrics3\":" + Bool(tag.hasTag(tkLyrics3)) + "}";
    json += ",\"values\":{";
    bool first = true;
    for (int key = 0; key < kValueKeyCount; ++key) {
        if (key == tvV2Frame) continue;
        if (!first) json += ',';
        first = false;
        json += jsonString(kValueKeyNames[key]) + ":" + jsonString(tag.getValue(key));
    }
    json += "},\"frames\":" + jsonString(tag.getValue(tvV2Frame, std::string()));
    json += ",\"audio\":{";
    for (int index = 0; index < kAudioInfoCount; ++index) {
        if (index > 0) json += ',';
        json += jsonString(kAudioInfoNames[index]) + ":" + jsonString(audio.getInfo(index));
    }
    json += "},\"startPos\":" + std::to_string(audio.startPos());
    json += ",\"audioType\":" + jsonString(audio.audioType()) + "}";
    return json;
}

int runInfo(const std::vector<std::string>& argv) {
    const ParsedArgs args = parseArgs(argv, {}, {"--settings"});
    if (!args.error.empty()) return usageError(kInfoCommand, args.error);
    if (args.help) return printUsage(kInfoCommand);
    if (args.operands.empty()) return usageError(kInfoCommand, "no file given");
    if (const int status = loadSettings(args); status != exitOk) return status;

    int status = exitOk;
    for (const std::string& path : args.operands) {
        std::string error;
        std::string line = describeFile(path, error);
        if (line.empty()) {
            line = "{\"path\":" + jsonString(path) + ",\"error\":" + jsonString(error) + "}";
            status = exitFailed;
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    std::fflush(stdout);
    return status;
}

}  // namespace

const Command kInfoCommand{"info", "print the tags and audio information of files as JSON",
                           "Usage: vorda-cli info [--settings FILE] FILE...\n"
                           "\n"
                           "Reads each FILE and prints one JSON object per line with its size, tag kinds,\n"
                           "every tag value, the ID3v2 frame list and the audio information.\n"
                           "A file that cannot be read gives {\"path\":...,\"error\":...} and exit status 1.\n"
                           "\n"
                           "Options:\n"
                           "  --settings FILE  read the settings from FILE instead of the user's settings file\n"
                           "  -h, --help       show this help\n",
                           runInfo};

}  // namespace vorda::cli
