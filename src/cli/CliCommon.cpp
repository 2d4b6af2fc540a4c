#include "cli/CliCommon.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "app/IniFile.h"
#include "app/Routines.h"
#include "app/Settings.h"

namespace vorda::cli {

ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& flags,
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

std::string ExecutableFolder() {
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return {};
    buffer.resize(static_cast<size_t>(n));
    return GetFolder(buffer);
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::string cwd(4096, '\0');
    if (!::getcwd(cwd.data(), cwd.size())) return path;
    cwd.resize(cwd.find('\0'));
    return AddBackslash(cwd) + path;
}

int LoadSettings(const ParsedArgs& args) {
    std::string path;
    if (auto it = args.values.find("--settings"); it != args.values.end()) {
        path = it->second;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            PrintError("cannot read settings file " + ToDisplayUtf8(path));
            return exitFailed;
        }
    } else {
        path = DefaultSettingsPath(RemoveBackslash(ExecutableFolder()));
    }
    // Reading only: IniFile touches the disk when written to, which never happens here.
    const IniFile ini(path);
    settings().Load(ini);
    if (const std::string notice = SettingsFileNotice(ini, false); !notice.empty()) PrintError(notice);
    return exitOk;
}

std::string JsonString(const std::string& text) {
    const std::string valid = ToDisplayUtf8(text);
    std::string out;
    out.reserve(valid.size() + 2);
    out += '"';
    for (const char c : valid) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"') {
            out += "\\\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (u < 0x20 || u == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", u);
            out += buf;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

int PrintUsage(const Command& command) {
    std::fputs(command.usage, stdout);
    return exitOk;
}

int UsageError(const Command& command, const std::string& error) {
    if (!error.empty()) PrintError(error);
    std::fputs(command.usage, stderr);
    return exitUsage;
}

void PrintError(const std::string& message) { std::fprintf(stderr, "vorda-cli: %s\n", message.c_str()); }

}  // namespace vorda::cli
