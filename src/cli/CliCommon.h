// SPDX-License-Identifier: GPL-2.0-or-later

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
int printUsage(const Command& command);
// Prints the error and the command's usage on stderr; returns exitUsage.
int usageError(const Command& command, const std::string& error);

struct ParsedArgs {
    bool help = false;
    std::set<std::string> flags;                // given flags, by long name ("--recursive")
    std::map<std::string, std::string> values;  // given value options ("--settings" -> FILE)
    std::vector<std::string> operands;
    std::string error;  // not empty when the arguments are wrong
};

// Parses a command's arguments. flags and valueOptions hold long names ("--recursive");
// "--name=value" and "--name value" both work, "--" ends the options, "-h" and "--help" ask for help.
ParsedArgs parseArgs(const std::vector<std::string>& args, const std::vector<std::string>& flags,
                     const std::vector<std::string>& valueOptions);

// A tag kind by name (tkAll, tkID3v1, tkID3v2, tkLyrics3) or number; -1 when unknown.
int tagKindOf(const std::string& name);

// Takes every "--add KIND" (or "--add=KIND") before "--" out of args into kinds. False (with
// error) for a missing or unknown kind.
bool takeTagKinds(std::vector<std::string>& args, const std::string& option, std::vector<int>& kinds,
                  std::string& error);

// The stderr line for a file whose values found no tag to hold them (keys: the value keys).
void printNoTagFor(const std::string& file, const std::string& keys, bool unchanged);

// Loads the program-wide settings: the file given with --settings, else the user's settings file.
// Never writes a settings file. Returns exitOk, or exitFailed (message on stderr) when a file
// given with --settings cannot be read.
int loadSettings(const ParsedArgs& args);

// The folder that holds the running executable, ending with "/" ("" when unknown).
std::string executableFolder();

// An absolute form of a path given on the command line (relative to the working folder).
std::string absolutePath(const std::string& path);

// A JSON string literal for text; bytes that are not UTF-8 become U+FFFD.
std::string jsonString(const std::string& text);

// Writes "vorda-cli: <message>" to stderr, on one line (control characters written out).
void printError(const std::string& message);
// Writes "vorda-cli: FILE: error N: TEXT" to stderr, on one line.
void printFileError(const std::string& file, int error, const std::string& text);
// A name or value for line-wise output: control characters written out ("\n", "\t", "\x1b").
std::string lineText(const std::string& text);

}  // namespace vorda::cli
