// SPDX-License-Identifier: GPL-2.0-or-later

#include "cli/CommandFreedb.h"

#include <cstdio>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/Settings.h"
#include "base/Text.h"
#include "cli/CddbSession.h"
#include "cli/CliCommon.h"
#include "cli/CommandSort.h"
#include "freedb/AlbumLookup.h"
#include "naming/PatternEngine.h"

using namespace vorda::app;
using namespace vorda::freedb;
using namespace vorda::naming;

namespace vorda::cli {

namespace {

// "HOST", "HOST:PORT", "[ADDRESS]" or "[ADDRESS]:PORT" (an IPv6 address with colons of its own
// is given in brackets, or alone without a port); the mistake to report, or "".
std::string takeServer(const std::string& text, std::string& host, long long& port) {
    std::string portText;
    if (text.starts_with('[')) {
        const size_t close = text.find(']');
        if (close == std::string::npos) return "--server: no \"]\" after the address";
        host = text.substr(1, close - 1);
        const std::string rest = text.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':')) return "--server: \"" + text + "\" is no HOST[:PORT]";
        if (!rest.empty()) portText = rest.substr(1);
        if (rest == ":") return "--server: no port after \":\"";
    } else if (const size_t colon = text.find(':');
               colon != std::string::npos && text.find(':', colon + 1) == std::string::npos) {
        host = text.substr(0, colon);
        portText = text.substr(colon + 1);
        if (portText.empty()) return "--server: no port after \":\"";
    } else {
        host = text;
    }
    if (host.empty()) return "--server: no host";
    if (portText.empty()) return {};
    if (!base::isAllDigits(portText) || portText.size() > 5 || std::stoll(portText) < 1 || std::stoll(portText) > 65535)
        return "--server: the port must be a number from 1 to 65535";
    port = std::stoll(portText);
    return {};
}

// The batch answers of the naming commands; counts the files a rename left under their names
// because the new name was taken.
class FreedbInterface final : public BatchNamingInterface {
public:
    MessageAnswer ask(const std::string& text, MessageButtons buttons, MessageIcon icon,
                      const std::string& title) override {
        const MessageAnswer answer = BatchNamingInterface::ask(text, buttons, icon, title);
        if (buttons == MessageButtons::YesNoCancel && answer != MessageAnswer::Yes) ++namesKept_;
        return answer;
    }
    [[nodiscard]] int namesKept() const { return namesKept_; }

private:
    int namesKept_ = 0;
};

// What the lookup ended with.
enum class Outcome { Result, Matches, NoMatch, Failed };

struct Ending {
    Outcome outcome = Outcome::Failed;
    std::vector<FreedbQuery> matches;
    std::vector<DbValue> values;
};

// Tells the events of a step of the conversation as the window's messages (on stderr) and says
// how the step ended.
Ending tellEvents(const std::vector<ClientEvent>& events, AlbumLookup& lookup, const ClientSettings& server) {
    Ending ending;
    for (const ClientEvent& event : events) {
        std::visit(
            [&](const auto& e) {
                using E = std::decay_t<decltype(e)>;
                if constexpr (std::is_same_v<E, MultipleMatches>) {
                    ending = {Outcome::Matches, e.matches, {}};
                } else if constexpr (std::is_same_v<E, ReceivedResult>) {
                    ending = {Outcome::Result, {}, e.values};
                } else if constexpr (std::is_same_v<E, NoMatches>) {
                    lookup.tellNoMatches();
                    ending.outcome = Outcome::NoMatch;
                } else if constexpr (std::is_same_v<E, ClientError>) {
                    lookup.tellError(e.code, e.description);
                    ending.outcome = Outcome::Failed;
                } else if constexpr (std::is_same_v<E, ConnectionFailed>) {
                    lookup.tellConnectionFailed();
                    printError(server.remoteHost + ":" + std::to_string(server.remotePort) + ": error " +
                               std::to_string(e.code) + ": " + e.description);
                    ending.outcome = Outcome::Failed;
                }
            },
            event);
    }
    return ending;
}

ExitStatus runFreedb(const std::vector<std::string>& argv) {
    std::optional<std::string> settingsFile, server, match, rename;
    bool write = false;
    CommandLine line("freedb [--settings FILE] [--server HOST[:PORT]] [--match N] [--write] [--rename PATTERN] FILE...",
                     "Looks the FILEs up on a freedb server as the tracks of one album, in the order given (each\n"
                     "file's playing time makes the disc's table of contents). Prints the query sent as\n"
                     "\"QUERY<TAB>command\", each close match the server offers as \"MATCH<TAB>n<TAB>artist - album\n"
                     "[genre, discid]\" (n from 1), and each value of the entry read as \"VALUE<TAB>NAME<TAB>value\"\n"
                     "in the order received (control characters written as \\n, \\t, \\x1b).\n",
                     "A single close match is read at once; of several, --match N reads match N, and without it\n"
                     "the command ends after the MATCH lines. --write writes the artist, album, title, track\n"
                     "number, year and genre (not the comment) into each file as the freedb dialog does; --rename\n"
                     "then renames each file in its folder with the output pattern.\n"
                     "\n"
                     "Messages go to standard error. Exit status: 0 when an entry was read (and written), 1 when\n"
                     "the server could not be reached, answered with an error, or a file could not be read or\n"
                     "written (its values finding no tag under the tag options included) or renamed (its new\n"
                     "name taken), 2 when the command line is wrong, 3 when several matches were listed without\n"
                     "--match, 4 when the server knows no match.\n"
                     "\n"
                     "Example:\n"
                     "  vorda-cli freedb --server gnudb.gnudb.org:8880 --write 01.mp3 02.mp3 03.mp3 04.mp3\n");
    line.addSettings(settingsFile);
    line.addValue("--server", "HOST[:PORT]", "the freedb server (default: the settings' server and port)", server);
    line.addValue("--match", "N", "read the Nth of several close matches", match);
    line.addFlag("--write", "write the entry's values into the files", write);
    line.addValue("--rename", "PATTERN", "after writing, rename each file with this output pattern", rename);
    const ParsedArguments args = line.parse(argv);
    if (args.help) return line.printHelp();
    if (!args.mistake.empty()) return line.usageError(args.mistake);
    if (args.operands.empty()) return line.usageError("no files given");
    if (args.operands.size() > static_cast<size_t>(Album::kMaxTracks))
        return line.usageError("an album holds at most " + std::to_string(Album::kMaxTracks) + " tracks");
    size_t chosen = 0;
    if (match) {
        if (!base::isAllDigits(*match) || match->empty() || match->size() > 4 || std::stoul(*match) == 0)
            return line.usageError("--match: N must be a number from 1");
        chosen = std::stoul(*match);
    }
    std::string outPattern;
    if (rename) {
        if (!write) return line.usageError("--rename needs --write");
        outPattern = *rename;
        if (const std::string message = checkPatternOnFocusLoss(PatternKind::Output, outPattern); !message.empty())
            return line.usageError("--rename: " + message);
    }
    std::string host;
    long long port = 0;
    if (server)
        if (const std::string mistake = takeServer(*server, host, port); !mistake.empty())
            return line.usageError(mistake);
    if (!loadSettings(settingsFile)) return ExitStatus::Failed;

    Settings& s = settings();
    // The playing times come from the list's Duration cells, which are filled only from read tags.
    s.autoReadTags = true;
    if (server) {
        s.remoteHost = host;
        if (port != 0) s.remotePort = port;
    }
    FileList rows;
    FreedbInterface ui;
    ListCommands list(rows, ui, s);
    // Every track makes the disc id: an album with a file missing is not looked up.
    if (!listFiles(list, args.operands)) return ExitStatus::Failed;
    for (int row = 1; row <= rows.count(); ++row) rows.setSelected(row, true);

    AlbumLookup lookup(ui, s);
    lookup.addSelectedRows(rows);
    const std::string query = lookup.album().queryCommand();
    std::printf("QUERY\t%s\n", query.c_str());
    std::fflush(stdout);

    CddbClient client(lookup.clientSettings());
    client.setQuery(query);
    CddbSession session(client);
    Ending ending = tellEvents(session.run(client.start()), lookup, client.settings());
    if (ending.outcome == Outcome::Matches) {
        for (size_t n = 0; n < ending.matches.size(); ++n)
            std::printf("MATCH\t%zu\t%s\n", n + 1, lineText(ending.matches[n].chooserLine()).c_str());
        std::fflush(stdout);
        if (ending.matches.empty()) {
            // A list of close matches that holds none.
            static_cast<void>(client.close());
            lookup.tellNoMatches();
            return ExitStatus::NoMatch;
        }
        if (ending.matches.size() > 1 && chosen == 0) {
            static_cast<void>(client.close());
            printError(std::to_string(ending.matches.size()) + " matches: choose one with --match N");
            return ExitStatus::MatchesListed;
        }
        if (chosen > ending.matches.size()) {
            static_cast<void>(client.close());
            printError("--match " + std::to_string(chosen) + ": the server found " +
                       std::to_string(ending.matches.size()) + " matches");
            return ExitStatus::Usage;
        }
        const FreedbQuery& read = ending.matches[chosen == 0 ? 0 : chosen - 1];
        ending = tellEvents(session.run(client.sendRead(read.genre(), read.discId())), lookup, client.settings());
    }
    switch (ending.outcome) {
    case Outcome::NoMatch: return ExitStatus::NoMatch;
    case Outcome::Result: break;
    default: return ExitStatus::Failed;
    }
    for (const DbValue& value : ending.values)
        std::printf("VALUE\t%s\t%s\n", lineText(value.id).c_str(), lineText(value.value).c_str());
    std::fflush(stdout);
    if (!write) return ExitStatus::Ok;

    AlbumReview& review = lookup.review();
    review.takeResult(ending.values);
    review.ticks = {.artist = true,
                    .album = true,
                    .title = true,
                    .trackNumber = true,
                    .year = true,
                    .genre = true,
                    .comment = false,
                    .rename = rename.has_value()};
    const int problems = ui.problems();
    const ReviewWriting writing = lookup.writeReview(review, outPattern);
    for (const std::string& path : writing.valuesWithoutTag)
        printError(base::toDisplayUtf8(path) +
                   ": not written: the entry's values found no tag to hold them; choose in the settings' tag "
                   "options (UseID3v1, UseID3v2, UseLyrics3) to always use a tag");
    const bool allWritten = writing.filesWritten == rows.count() && ui.problems() == problems;
    // The writing passes over a file it cannot read again without a word; say how far it got.
    if (!allWritten)
        printError(std::to_string(writing.filesWritten) + " of " + std::to_string(rows.count()) + " files written");
    return allWritten && writing.valuesWithoutTag.empty() && ui.namesKept() == 0 ? ExitStatus::Ok : ExitStatus::Failed;
}

}  // namespace

const Command kFreedbCommand{"freedb", "look the files up as an album on a freedb server", runFreedb};

}  // namespace vorda::cli
