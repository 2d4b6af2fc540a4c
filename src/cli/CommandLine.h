// SPDX-License-Identifier: GPL-2.0-or-later

// The command line of one vorda-cli command: its options, its help text and the reading of its
// arguments (on CLI11).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vorda::cli {

// Exit statuses of vorda-cli and of every command.
// freedb only: several matches were listed for a choice (3), the server knows no match (4).
enum class ExitStatus : int { Ok = 0, Failed = 1, Usage = 2, MatchesListed = 3, NoMatch = 4 };

// One command of vorda-cli: its name, a one-line summary for the program's help, and the function
// that runs it on the arguments after the command name.
struct Command {
    const char* name;
    const char* summary;
    ExitStatus (*run)(const std::vector<std::string>& args);
};

// What parse() found in a command's arguments.
struct ParsedArguments {
    bool help = false;                  // -h or --help came before any mistake
    std::string mistake;                // the first mistake, in the order given ("" when none)
    std::vector<std::string> operands;  // the arguments that are no options, in order
};

// Options are long: "--name VALUE" or "--name=VALUE" (the value is taken as it is, even when it
// starts with "-"); a flag takes no value. "-h" and "--help" ask for the help, "--" ends the
// options, and "-" alone is an operand. Every other argument that starts with "-" before "--"
// is an unknown option.
class CommandLine {
public:
    // synopsis: what follows "Usage: vorda-cli " on the help's first line; description: the
    // paragraphs between it and the list of options; notes: the paragraphs after that list
    // (every line of both ending with "\n").
    CommandLine(std::string synopsis, std::string description, std::string notes = {});

    void addFlag(std::string name, std::string help, bool& given);
    // The value of an option given several times is the last one.
    void addValue(std::string name, std::string valueName, std::string help, std::optional<std::string>& value);
    // An option that may be given several times: take() receives each value in the order given
    // and returns "" when it took it, else the mistake to report.
    void addRepeated(std::string name, std::string valueName, std::string help,
                     std::function<std::string(const std::string&)> take);
    // "--settings FILE", the settings file to read instead of the user's.
    void addSettings(std::optional<std::string>& file);

    // Sets the options' targets from args and returns the rest. Never throws for any argument.
    [[nodiscard]] ParsedArguments parse(const std::vector<std::string>& args) const;

    // "Usage: vorda-cli SYNOPSIS", the description and the list of options.
    [[nodiscard]] std::string help() const;
    // Writes the help on stdout; returns ExitStatus::Ok.
    ExitStatus printHelp() const;
    // Writes "vorda-cli: MISTAKE" (unless empty) and the help on stderr; returns ExitStatus::Usage.
    ExitStatus usageError(const std::string& mistake) const;

    // The help of vorda-cli itself: its commands with their summaries and its own options.
    [[nodiscard]] static std::string programHelp(const std::vector<const Command*>& commands);

private:
    enum class OptionKind { Flag, Value, Repeated };
    struct Option {
        std::string name;
        std::string valueName;
        std::string help;
        OptionKind kind;
        bool* given = nullptr;
        std::optional<std::string>* value = nullptr;
        std::function<std::string(const std::string&)> take;
    };

    std::string synopsis_;
    std::string description_;
    std::string notes_;
    std::vector<Option> options_;
};

}  // namespace vorda::cli
