// SPDX-License-Identifier: GPL-2.0-or-later

// What every core test needs: a private scratch folder, whole-file I/O, and the peers (mutagen
// under /usr/bin/python3, programs on the PATH) run through the shell.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

// A unique folder below the system temporary folder (or another one), removed with everything in it (permissions
// a test took away are given back first).
class TempFolder {
public:
    explicit TempFolder(const std::filesystem::path& below = std::filesystem::temp_directory_path()) {
        std::string pattern = (below / "vorda-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        dir_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        ::chmod(dir_.c_str(), 0700);
        for (auto it = std::filesystem::recursive_directory_iterator(
                 dir_, std::filesystem::directory_options::skip_permission_denied, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
        }
        std::filesystem::remove_all(dir_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder without and with a closing "/".
    const std::string& dir() const { return dir_; }
    std::string path() const { return dir_ + "/"; }
    std::string file(const std::string& name) const { return dir_ + "/" + name; }
    std::string operator/(const std::string& name) const { return file(name); }

private:
    std::string dir_;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline ino_t inodeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// One shell word.
inline std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// What a shell command prints on its standard output (and its exit status, -1 when killed).
inline std::string commandOutput(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    const int rc = ::pclose(pipe);
    if (status != nullptr) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

inline bool haveProgram(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline bool haveMutagen() {
    static const bool have = std::system("/usr/bin/python3 -c 'import mutagen.id3, mutagen.mp3' >/dev/null 2>&1") == 0;
    return have;
}

// What a Python script (run by /usr/bin/python3, UTF-8 output) prints, standard error included.
inline std::string runPython(const std::string& script, const std::vector<std::string>& args = {}) {
    std::string command = "PYTHONIOENCODING=utf-8 /usr/bin/python3 -c " + shellQuote(script);
    for (const std::string& a : args) command += " " + shellQuote(a);
    return commandOutput(command + " 2>&1");
}

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The "KEY=value" lines of a text, in order.
inline std::vector<std::pair<std::string, std::string>> keyValueLines(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (const size_t eq = line.find('='); eq != std::string::npos)
            out.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    return out;
}

#ifdef VORDA_CLI_PATH
struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs vorda-cli without input; its output goes through files in folder.
inline CliRun runCli(const std::vector<std::string>& args, const std::string& folder) {
    const std::string out = folder + "/out.txt", err = folder + "/err.txt";
    std::string command = shellQuote(VORDA_CLI_PATH);
    for (const std::string& a : args) command += " " + shellQuote(a);
    command += " >" + shellQuote(out) + " 2>" + shellQuote(err) + " </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readBytes(out), readBytes(err)};
}
#endif

}  // namespace testsupport
