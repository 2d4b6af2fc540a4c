// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CliCommon.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "app/Settings.h"
#include "base/IniFile.h"
#include "base/Text.h"
#include "naming/NamingText.h"
#include "tags/TagHandler.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;

namespace vorda::cli {

ParsedArgs parseArgs(const std::vector<std::string>& args, const std::vector<std::string>& flags,
                     const std::vector<std::string>& valueOptions) {
    ParsedArgs out;
    auto known = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            out.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            out.help = true;
        } else if (known(flags, arg)) {
            out.flags.insert(arg);
        } else if (known(valueOptions, arg)) {
            if (i + 1 >= args.size()) {
                out.error = "option " + arg + " needs a value";
                return out;
            }
            out.values[arg] = args[++i];
        } else if (const size_t eq = arg.find('='); eq != std::string::npos && known(valueOptions, arg.substr(0, eq))) {
            out.values[arg.substr(0, eq)] = arg.substr(eq + 1);
        } else {
            out.error = "unknown option " + arg;
            return out;
        }
    }
    return out;
}

std::string executableFolder() {
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return {};
    buffer.resize(static_cast<size_t>(n));
    return getFolder(buffer);
}

std::string absolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::string cwd(4096, '\0');
    if (!::getcwd(cwd.data(), cwd.size())) return path;
    cwd.resize(cwd.find('\0'));
    return addBackslash(cwd) + path;
}

int tagKindOf(const std::string& name) {
    if (name == "tkAll" || name == "0") return tkAll;
    if (name == "tkID3v1" || name == "1") return tkID3v1;
    if (name == "tkID3v2" || name == "2") return tkID3v2;
    if (name == "tkLyrics3" || name == "4") return tkLyrics3;
    return -1;
}

bool takeTagKinds(std::vector<std::string>& args, const std::string& option, std::vector<int>& kinds,
                  std::string& error) {
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        std::string value;
        if (arg == option) {
            if (i + 1 >= args.size()) {
                error = "option " + option + " needs a value";
                return false;
            }
            value = args[++i];
        } else if (arg.starts_with(option + "=")) {
            value = arg.substr(option.size() + 1);
        } else {
            rest.push_back(arg);
            continue;
        }
        const int kind = tagKindOf(value);
        if (kind < 0) {
            error = "unknown tag kind " + value;
            return false;
        }
        kinds.push_back(kind);
    }
    args = std::move(rest);
    return true;
}

void printNoTagFor(const std::string& file, const std::string& keys, bool unchanged) {
    printError(file + (unchanged ? ": left unchanged: " : ": not written: ") + keys +
               " found no tag to hold it; give --add KIND, or choose in the settings' tag options "
               "(UseID3v1, UseID3v2, UseLyrics3) to always use a tag");
}

int loadSettings(const ParsedArgs& args) {
    std::string path;
    if (auto it = args.values.find("--settings"); it != args.values.end()) {
        path = it->second;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            printError("cannot read settings file " + toDisplayUtf8(path));
            return exitFailed;
        }
    } else {
        path = defaultSettingsPath(removeBackslash(executableFolder()));
    }
    // Reading only: IniFile touches the disk when written to, which never happens here.
    const IniFile ini(path);
    settings().load(ini);
    if (const std::string notice = settingsFileNotice(ini, false); !notice.empty()) printError(notice);
    return exitOk;
}

std::string jsonString(const std::string& text) {
    const std::string valid = toDisplayUtf8(text);
    std::string out;
    out.reserve(valid.size() + 2);
    out += '"';
    for (size_t i = 0; i < valid.size(); ++i) {
        const char c = valid[i];
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"') {
            out += "\\\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (u < 0x20 || u == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", u);
            out += buf;
        } else if (u == 0xC2 && i + 1 < valid.size() && static_cast<unsigned char>(valid[i + 1]) <= 0x9F &&
                   static_cast<unsigned char>(valid[i + 1]) >= 0x80) {
            // C1 controls are legal in JSON strings but act on terminals: written out too.
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned char>(valid[++i]));
            out += buf;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

int printUsage(const Command& command) {
    std::fputs(command.usage, stdout);
    return exitOk;
}

int usageError(const Command& command, const std::string& error) {
    if (!error.empty()) printError(error);
    std::fputs(command.usage, stderr);
    return exitUsage;
}

std::string lineText(const std::string& text) { return naming::escapeControlChars(text); }

void printError(const std::string& message) { std::fprintf(stderr, "vorda-cli: %s\n", lineText(message).c_str()); }

void printFileError(const std::string& file, int error, const std::string& text) {
    printError(file + ": error " + std::to_string(error) + ": " + text);
}

}  // namespace vorda::cli
