// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "cli/CliCommon.h"

namespace vorda::cli {

namespace {

// A mistake found while CLI11 reads the arguments, thrown by an option's callback.
struct Mistake {
    std::string message;
};

// CLI11 reads "--name=" as "--name" followed by the next argument as its value. A NUL byte, which
// no argument can hold, after the "=" keeps the empty value empty; it is taken off again from
// everything read back.
constexpr char kEmptyValueMark = '\0';

std::string marked(const std::string& arg) {
    return arg.starts_with("--") && arg.ends_with('=') ? arg + kEmptyValueMark : arg;
}

std::string unmarked(std::string text) {
    if (!text.empty() && text.back() == kEmptyValueMark) text.pop_back();
    return text;
}

// The help layout of vorda-cli: "Usage: vorda-cli ..." first, then the description, the commands,
// the options ("  --name VALUE  what it does") and the notes.
class HelpFormatter : public CLI::Formatter {
public:
    explicit HelpFormatter(std::string synopsis) : synopsis_(std::move(synopsis)) {}

    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override {
        std::string out = "Usage: vorda-cli " + synopsis_ + "\n";
        if (!app->get_description().empty()) out += "\n" + app->get_description();
        out += make_subcommands(app, mode);
        out += make_groups(app, mode);
        if (!app->get_footer().empty()) out += "\n" + app->get_footer();
        return out;
    }
    std::string make_option_name(const CLI::Option* option, bool) const override {
        std::string names = option->get_name(false, true);
        if (const size_t comma = names.find(','); comma != std::string::npos) names.insert(comma + 1, " ");
        return names;
    }
    std::string make_option_opts(const CLI::Option* option) const override {
        return option->get_expected_max() == 0 ? std::string() : " " + option->get_option_text();
    }

private:
    std::string synopsis_;
};

// Lines up the descriptions two spaces after the longest name of the help.
void useHelpFormatter(CLI::App& app, const std::string& synopsis) {
    auto formatter = std::make_shared<HelpFormatter>(synopsis);
    size_t widest = 0;
    for (const CLI::Option* option : app.get_options())
        widest = std::max(
            widest, formatter->make_option_name(option, false).size() + formatter->make_option_opts(option).size());
    for (const CLI::App* command : app.get_subcommands({})) widest = std::max(widest, command->get_name().size());
    formatter->column_width(2 + widest + 2);
    app.formatter(formatter);
}

}  // namespace

CommandLine::CommandLine(std::string synopsis, std::string description, std::string notes)
    : synopsis_(std::move(synopsis)), description_(std::move(description)), notes_(std::move(notes)) {}

void CommandLine::addFlag(std::string name, std::string help, bool& given) {
    options_.push_back({std::move(name), {}, std::move(help), OptionKind::Flag, &given, nullptr, {}});
}

void CommandLine::addValue(std::string name, std::string valueName, std::string help,
                           std::optional<std::string>& value) {
    options_.push_back(
        {std::move(name), std::move(valueName), std::move(help), OptionKind::Value, nullptr, &value, {}});
}

void CommandLine::addRepeated(std::string name, std::string valueName, std::string help,
                              std::function<std::string(const std::string&)> take) {
    options_.push_back({std::move(name), std::move(valueName), std::move(help), OptionKind::Repeated, nullptr, nullptr,
                        std::move(take)});
}

void CommandLine::addSettings(std::optional<std::string>& file) {
    addValue("--settings", "FILE", "read the settings from FILE instead of the user's settings file", file);
}

ParsedArguments CommandLine::parse(const std::vector<std::string>& args) const {
    CLI::App app;
    // -h and --help are left to CLI11's unknown arguments below, where their order against an
    // unknown option tells whether the help was asked for before the mistake.
    app.set_help_flag();
    app.allow_extras();
    // CLI11 reads the arguments from the back of this list and takes off each one it has read.
    std::vector<std::string> pending;
    pending.reserve(args.size());
    for (auto arg = args.rbegin(); arg != args.rend(); ++arg) pending.push_back(marked(*arg));
    // The argument CLI11 has just read; right for flags, which take nothing after them.
    const auto current = [&]() -> const std::string& { return args[args.size() - pending.size() - 1]; };

    for (const Option& option : options_) {
        CLI::Option* added = nullptr;
        switch (option.kind) {
        case OptionKind::Flag:
            added = app.add_option(option.name, [&current, &option](const CLI::results_t&) {
                // CLI11 takes "--flag=VALUE" too; a flag takes no value here.
                if (current() != option.name) throw Mistake{"unknown option " + current()};
                *option.given = true;
                return true;
            });
            added->expected(0);
            break;
        case OptionKind::Value:
            added = app.add_option(option.name, [&option](const CLI::results_t& results) {
                *option.value = unmarked(results.back());
                return true;
            });
            break;
        case OptionKind::Repeated:
            added = app.add_option(option.name, [&option](const CLI::results_t& results) {
                if (std::string mistake = option.take(unmarked(results.back())); !mistake.empty())
                    throw Mistake{std::move(mistake)};
                return true;
            });
            break;
        }
        // Each occurrence is taken as it is read, so that the first mistake is the first one given.
        added->trigger_on_parse()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    }

    std::string thrown;
    try {
        app.parse(pending);
    } catch (const Mistake& mistake) {
        thrown = mistake.message;
    } catch (const CLI::ArgumentMismatch&) {
        // Only a value option as the last argument lacks its value.
        thrown = "option " + args.back() + " needs a value";
    } catch (const CLI::ParseError& error) {
        thrown = error.what();
    }

    // What CLI11 left: operands, "--", -h/--help and unknown options, in the order given; when it
    // stopped at a mistake, only what came before it.
    ParsedArguments parsed;
    bool optionsEnded = false;
    for (std::string arg : app.remaining()) {
        arg = unmarked(std::move(arg));
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(std::move(arg));
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            parsed.help = true;
        } else {
            parsed.mistake = "unknown option " + arg;
            return parsed;
        }
    }
    parsed.mistake = thrown;
    return parsed;
}

std::string CommandLine::help() const {
    CLI::App app(description_);
    app.footer(notes_);
    app.set_help_flag();
    for (const Option& option : options_) {
        CLI::Option* added = app.add_option(option.name, CLI::callback_t{}, option.help);
        if (option.kind == OptionKind::Flag)
            added->expected(0);
        else
            added->option_text(option.valueName);
    }
    app.set_help_flag("-h,--help", "show this help");
    useHelpFormatter(app, synopsis_);
    return app.help();
}

ExitStatus CommandLine::printHelp() const {
    std::fputs(help().c_str(), stdout);
    return ExitStatus::Ok;
}

ExitStatus CommandLine::usageError(const std::string& mistake) const {
    if (!mistake.empty()) printError(mistake);
    std::fputs(help().c_str(), stderr);
    return ExitStatus::Usage;
}

std::string CommandLine::programHelp(const std::vector<const Command*>& commands) {
    CLI::App app;
    for (const Command* command : commands) app.add_subcommand(command->name, command->summary)->group("Commands");
    app.set_help_flag("-h,--help", "show this help (\"vorda-cli COMMAND --help\" for a command)");
    app.add_option("--version", CLI::callback_t{}, "show the version")->expected(0);
    app.footer("Every command but junk reads the settings of Vorda (a settings.ini beside the program,\n"
               "else $XDG_CONFIG_HOME/vorda/settings.ini, ~/.config/vorda/settings.ini by default) or\n"
               "the file given with --settings FILE, and never writes them. Names and values printed\n"
               "line by line have their control characters written out (\\n, \\t, \\x1b), so that each\n"
               "file takes one line.\n"
               "\n"
               "Exit status: 0 when everything was done, 1 when a file, folder or settings file could\n"
               "not be read or written (the others are still done), 2 when the command line is wrong.\n");
    useHelpFormatter(app, "COMMAND [OPTIONS] [ARGUMENTS]");
    return app.help();
}

}  // namespace vorda::cli
