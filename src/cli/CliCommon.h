// Shared pieces of vorda-cli's commands: argument parsing, settings loading, output helpers.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vorda::cli {

// Exit statuses of every command.
enum ExitStatus : int { exitOk = 0, exitFailed = 1, exitUsage = 2 };

// One command of vorda-cli: its name, a one-line summary for the program's help, its full usage
// text, and the function that runs it on the arguments after the command name.
struct Command {
    const char* name;
    const char* summary;
    const char* usage;
    int (*run)(const std::vector<std::string>& args);
};

// Prints the command's usage on stdout (exitOk) for a help request.
int PrintUsage(const Command& command);
// Prints the error and the command's usage on stderr; returns exitUsage.
int UsageError(const Command& command, const std::string& error);

struct ParsedArgs {
    bool help = false;
    std::set<std::string> flags;                 // given flags, by long name ("--recursive")
    std::map<std::string, std::string> values;   // given value options ("--settings" -> FILE)
    std::vector<std::string> operands;
    std::string error;                           // not empty when the arguments are wrong
};

// Parses a command's arguments. flags and valueOptions hold long names ("--recursive");
// "--name=value" and "--name value" both work, "--" ends the options, "-h" and "--help" ask for help.
ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& flags,
                     const std::vector<std::string>& valueOptions);

// Loads the program-wide settings: the file given with --settings, else the user's settings file.
// Never writes a settings file. Returns exitOk, or exitFailed (message on stderr) when a file
// given with --settings cannot be read.
int LoadSettings(const ParsedArgs& args);

// The folder that holds the running executable, ending with "/" ("" when unknown).
std::string ExecutableFolder();

// An absolute form of a path given on the command line (relative to the working folder).
std::string AbsolutePath(const std::string& path);

// A JSON string literal for text; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(const std::string& text);

// Writes "vorda-cli: <message>" to stderr.
void PrintError(const std::string& message);

}  // namespace vorda::cli
