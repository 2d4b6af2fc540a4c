// SPDX-License-Identifier: GPL-2.0-or-later

// The CDDB conversation without a network: a scripted server answers each command the client
// sends, its answers cut into pieces in every way a connection may deliver them.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>

#include "freedb/CddbClient.h"

using namespace vorda::freedb;

namespace {

constexpr const char* kGreeting = "201 cddb.test CDDBP server v1.5PL3 ready at Sun Dec 06 23:00:00 2026\r\n";
constexpr const char* kHelloOk = "200 Hello and welcome johndoe@localhost running test 1\r\n";
constexpr const char* kQuery = "cddb query d026c03 3 0 15000 28500 620";
constexpr const char* kEntry = "210 rock d026c03 CD database entry follows (until terminating `.')\r\n"
                               "# xmcd\r\n"
                               "#\r\n"
                               "DISCID=d026c03\r\n"
                               "DTITLE=Some Artist / Some Album\r\n"
                               "DYEAR=1997\r\n"
                               "TTITLE0=Intro\r\n"
                               "TTITLE1=Guest / Second\r\n"
                               "TTITLE2=Third\r\n"
                               "EXTD= YEAR: 1997 ID3G: 17\r\n"
                               "EXTT0=\r\n"
                               "PLAYORDER=\r\n"
                               ".\r\n";

// Cuts one answer of the server into the pieces the client receives.
using Splitter = std::function<std::vector<std::string>(const std::string&)>;

std::vector<std::string> whole(const std::string& bytes) { return {bytes}; }

std::vector<std::string> byteByByte(const std::string& bytes) {
    std::vector<std::string> pieces;
    for (const char c : bytes) pieces.emplace_back(1, c);
    return pieces;
}

struct Server {
    std::string greeting = kGreeting;
    // Command prefix and answer; each answer is used once, the first unused one that matches.
    std::vector<std::pair<std::string, std::string>> answers;
};

// Runs a lookup against a scripted server and writes down everything the client does and says.
class Lookup {
public:
    explicit Lookup(Server server, Splitter split = whole) : server_(std::move(server)), split_(std::move(split)) {}

    // The match to read when several are offered (by position), none to stop there.
    std::optional<size_t> choose;
    CddbClient client;
    std::vector<std::string> log;

    std::vector<std::string> run(const std::string& query = kQuery) {
        client.setQuery(query);
        take(client.start());
        drain();
        return log;
    }

    void take(const ClientOutput& out) {
        for (const TransportAction& action : out.actions) {
            if (const auto* to = std::get_if<ConnectTo>(&action)) {
                log.push_back("connect " + to->host + ":" + std::to_string(to->port));
                work_.push_back([this] {
                    take(client.connected());
                    deliver(server_.greeting);
                });
            } else if (const auto* line = std::get_if<SendLine>(&action)) {
                EXPECT_TRUE(line->bytes.ends_with("\r\n"));
                const std::string command = line->bytes.substr(0, line->bytes.size() - 2);
                log.push_back("send " + command);
                for (auto& [prefix, answer] : server_.answers) {
                    if (!prefix.empty() && command.starts_with(prefix)) {
                        prefix.clear();
                        work_.push_back([this, answer = answer] { deliver(answer); });
                        break;
                    }
                }
            } else {
                log.push_back("close");
            }
        }
        for (const ClientEvent& event : out.events) {
            if (const auto* e = std::get_if<StatusChange>(&event)) {
                log.push_back("status " + std::to_string(static_cast<int>(e->status)));
            } else if (const auto* e = std::get_if<MultipleMatches>(&event)) {
                log.push_back("matches " + std::to_string(e->matches.size()));
                for (const FreedbQuery& match : e->matches) log.push_back("match " + match.chooserLine());
                if (choose && *choose < e->matches.size()) {
                    const FreedbQuery chosen = e->matches[*choose];
                    work_.push_back([this, chosen] { take(client.sendRead(chosen.genre(), chosen.discId())); });
                }
            } else if (const auto* e = std::get_if<ReceivedResult>(&event)) {
                log.push_back("result");
                for (const DbValue& value : e->values) log.push_back("value " + value.id + "=" + value.value);
            } else if (std::holds_alternative<NoMatches>(event)) {
                log.push_back("no matches");
            } else if (const auto* e = std::get_if<ClientError>(&event)) {
                log.push_back("error " + std::to_string(e->code) + " " + e->description);
            } else if (const auto* e = std::get_if<ConnectionFailed>(&event)) {
                log.push_back("failed " + std::to_string(e->code) + " " + e->description);
            }
        }
    }

    void deliver(const std::string& bytes) {
        for (const std::string& piece : split_(bytes)) take(client.received(piece));
    }

    void drain() {
        while (!work_.empty()) {
            auto next = std::move(work_.front());
            work_.pop_front();
            next();
        }
    }

private:
    Server server_;
    Splitter split_;
    std::deque<std::function<void()>> work_;
};

Server exactServer() {
    return {kGreeting,
            {{"cddb hello", kHelloOk},
             {"cddb query", "200 rock d026c03 Some Artist / Some Album\r\n"},
             {"cddb read", kEntry}}};
}

Server inexactServer() {
    return {kGreeting,
            {{"cddb hello", kHelloOk},
             {"cddb query", "211 close matches found\r\n"
                            "rock d026c03 Some Artist / Some Album\r\n"
                            "misc 0a026c03 Other Artist / Other Album\r\n"
                            ".\r\n"},
             {"cddb read misc 0a026c03", kEntry}}};
}

// Every line ending of a server's answers replaced, e.g. by a bare line feed.
Server withLineEnds(Server server, const std::string& ending) {
    const auto replace = [&](std::string& text) {
        for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += ending.size())
            text.replace(at, 2, ending);
    };
    replace(server.greeting);
    for (auto& [prefix, answer] : server.answers) replace(answer);
    return server;
}

size_t countOf(const std::vector<std::string>& log, const std::string& prefix) {
    return static_cast<size_t>(
        std::count_if(log.begin(), log.end(), [&](const std::string& line) { return line.starts_with(prefix); }));
}

}  // namespace

TEST(CddbClient, ExactMatchIsReadAndParsed) {
    const std::vector<std::string> expected = {
        "connect gnudb.gnudb.org:8880",
        "status 1",
        "send cddb hello johndoe localhost test 1",
        "status 2",
        "send cddb query d026c03 3 0 15000 28500 620",
        "status 4",
        "send cddb read rock d026c03",
        "status 5",
        "close",
        "status 0",
        "status 6",
        "result",
        "value GENRE=rock",
        "value DISCID=d026c03",
        "value ARTIST=Some Artist",
        "value ALBUM=Some Album",
        "value DYEAR=1997",
        "value TTITLE1=Intro",
        "value TTITLE2=Second",
        "value TARTIST2=Guest",
        "value TTITLE3=Third",
        "value YEAR=1997",
    };
    EXPECT_EQ(Lookup(exactServer()).run(), expected);
}

TEST(CddbClient, InexactMatchesAreOfferedAndTheChosenOneIsReadWithSingleBlanks) {
    Lookup lookup(inexactServer());
    lookup.choose = 1;
    const auto log = lookup.run();
    const auto at = std::find(log.begin(), log.end(), "matches 2");
    ASSERT_NE(at, log.end());
    EXPECT_EQ(*(at + 1), "match Some Artist  -  Some Album [rock , d026c03]");
    EXPECT_EQ(*(at + 2), "match Other Artist  -  Other Album [misc , 0a026c03]");
    EXPECT_EQ(*(at + 3), "send cddb read misc 0a026c03");
    EXPECT_EQ(log.back(), "value YEAR=1997");

    // Without a choice the conversation waits for one, without a time limit.
    Lookup waiting(inexactServer());
    EXPECT_EQ(waiting.run().back(), "match Other Artist  -  Other Album [misc , 0a026c03]");
    EXPECT_EQ(waiting.client.status(), Status::QuerySent);
    EXPECT_FALSE(waiting.client.waitsForServer());
    ClientOutput late = waiting.client.timedOut();
    EXPECT_TRUE(late.actions.empty() && late.events.empty());
    // Closing then is quiet, and a read after it is refused once.
    waiting.take(waiting.client.close());
    waiting.take(waiting.client.sendRead("rock", "d026c03"));
    EXPECT_EQ(std::vector<std::string>(waiting.log.end() - 3, waiting.log.end()),
              (std::vector<std::string>{"close", "status 0", "error -2 The server closed the connection."}));

    // A "." without match lines offers none.
    Server none = inexactServer();
    none.answers[1].second = "211 close matches found\r\n.\r\n";
    EXPECT_EQ(Lookup(none).run().back(), "matches 0");
}

TEST(CddbClient, AnswersCutAnywhereOrEndedDifferentlyGiveTheSameConversation) {
    for (const bool exact : {true, false}) {
        const Server server = exact ? exactServer() : inexactServer();
        Lookup reference(server);
        reference.choose = 1;
        const auto expected = reference.run();
        ASSERT_EQ(expected.back(), "value YEAR=1997");

        for (const std::string ending : {"\n", "\r", "\r\n"}) {
            const Server ended = withLineEnds(server, ending);
            // Every answer cut once at every position, then every answer byte by byte.
            size_t longest = 0;
            for (const auto& [prefix, answer] : ended.answers) longest = std::max(longest, answer.size());
            for (size_t cut = 0; cut <= longest + 1; ++cut) {
                Lookup lookup(ended, [cut](const std::string& bytes) {
                    if (cut >= bytes.size()) return std::vector<std::string>{bytes};
                    return std::vector<std::string>{bytes.substr(0, cut), bytes.substr(cut)};
                });
                lookup.choose = 1;
                ASSERT_EQ(lookup.run(), expected) << "cut at " << cut << ", ending " << ending.size();
            }
            Lookup trickle(ended, byteByByte);
            trickle.choose = 1;
            ASSERT_EQ(trickle.run(), expected);
        }
    }
}

TEST(CddbClient, EveryRefusalEndsTheConversationOnce) {
    struct Case {
        const char* what;
        std::string greeting;
        std::vector<std::pair<std::string, std::string>> answers;
        std::string outcome;
    };
    const std::string full = "Error while connecting; too many users, permission denied or system full.";
    const std::vector<Case> cases = {
        {"too many users", "432 No connections allowed: permission denied\r\n", {}, "error 432 " + full},
        {"system full", "433 No connections allowed: X users allowed, Y currently active\r\n", {}, "error 433 " + full},
        {"load too high", "434 No connections allowed: system load too high\r\n", {}, "error 434 " + full},
        {"greeting with another failure", "530 Server error\r\n", {}, "error 530 Unknown error."},
        {"hello refused",
         kGreeting,
         {{"cddb hello", "431 Handshake not successful, closing connection\r\n"}},
         "error 431 Handshake failed."},
        {"hello failed", kGreeting, {{"cddb hello", "500 Command syntax error\r\n"}}, "error 500 Handshake failed."},
        {"no match", kGreeting, {{"cddb hello", kHelloOk}, {"cddb query", "202 No match found\r\n"}}, "no matches"},
        {"corrupt entry",
         kGreeting,
         {{"cddb hello", kHelloOk}, {"cddb query", "403 Database entry is corrupt\r\n"}},
         "no matches"},
        {"query refused",
         kGreeting,
         {{"cddb hello", kHelloOk}, {"cddb query", "500 Command syntax error\r\n"}},
         "error 500 Unknown error."},
        {"entry not found",
         kGreeting,
         {{"cddb hello", kHelloOk},
          {"cddb query", "200 rock d026c03 A / B\r\n"},
          {"cddb read", "401 rock d026c03 No such CD entry in database\r\n"}},
         "error 401 Unknown error."},
        {"exact match without disc id",
         kGreeting,
         {{"cddb hello", kHelloOk}, {"cddb query", "200 rock\r\n"}},
         "error 200 Unknown error."},
    };
    for (const Case& c : cases) {
        const auto log = Lookup(Server{c.greeting, c.answers}).run();
        ASSERT_GE(log.size(), 3u) << c.what;
        EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
                  (std::vector<std::string>{"close", "status 0", c.outcome}))
            << c.what;
        EXPECT_EQ(countOf(log, "error") + countOf(log, "no matches"), 1u) << c.what;
    }

    // "Already shook hands" counts as a welcome.
    Server again = exactServer();
    again.answers[0].second = "402 Already shook hands\r\n";
    EXPECT_EQ(Lookup(again).run().back(), "value YEAR=1997");
}

TEST(CddbClient, HandshakeIsRepeatedWhenAskedButNotForever) {
    Server once = exactServer();
    once.answers.insert(once.answers.begin() + 1, {"cddb query", "409 No handshake\r\n"});
    once.answers.push_back({"cddb hello", kHelloOk});
    const auto log = Lookup(once).run();
    EXPECT_EQ(countOf(log, "send cddb hello"), 2u);
    EXPECT_EQ(log.back(), "value YEAR=1997");

    Server stubborn{kGreeting, {}};
    for (int i = 0; i < 5; ++i) {
        stubborn.answers.push_back({"cddb hello", kHelloOk});
        stubborn.answers.push_back({"cddb query", "409 No handshake\r\n"});
    }
    const auto endless = Lookup(stubborn).run();
    EXPECT_EQ(countOf(endless, "send cddb hello"), 3u);
    EXPECT_EQ(endless.back(), "error 409 Handshake failed.");
}

TEST(CddbClient, EntryLinesAreDecodedAndContinued) {
    Server server = exactServer();
    server.answers[2].second = "210 rock d026c03 CD database entry follows\r\n"
                               "DTITLE=Caf\xe9 Tacuba / Re\r\n"
                               "TTITLE0=Un t\xc3\xadtulo que sigue \r\n"
                               "TTITLE0=en la l\xc3\xadnea siguiente\r\n"
                               "TTITLE1=D" +
                               std::string(1, '\0') +
                               "os\r\n"
                               ".\r\n";
    const auto log = Lookup(server).run();
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
              (std::vector<std::string>{"value ARTIST=Caf\xc3\xa9 Tacuba", "value ALBUM=Re",
                                        "value TTITLE1=Un t\xc3\xadtulo que sigue en la l\xc3\xadnea siguiente",
                                        "value TTITLE2=Dos"}));
}

TEST(CddbClient, UntrustedServerIsBounded) {
    // An endless line ends the conversation at the line limit, once.
    Server endless = exactServer();
    endless.answers[2].second =
        "210 rock d026c03 CD database entry follows\r\nTTITLE0=" + std::string(CddbClient::kMaxLineBytes + 10, 'x');
    auto log = Lookup(endless, [](const std::string& bytes) {
                   std::vector<std::string> pieces;
                   for (size_t at = 0; at < bytes.size(); at += 1000) pieces.push_back(bytes.substr(at, 1000));
                   return pieces;
               }).run();
    EXPECT_EQ(log.back(), "error -3 A line of the server's answer is too long.");
    EXPECT_EQ(countOf(log, "error"), 1u);

    // So does an answer of endless short lines.
    Server flood = exactServer();
    std::string lines = "211 close matches found\r\n";
    while (lines.size() <= CddbClient::kMaxAnswerBytes) lines += "rock 12345678 A / B\r\n";
    flood.answers[1].second = lines;
    Lookup flooded(flood);
    log = flooded.run();
    EXPECT_EQ(log.back(), "error -3 The server's answer is too large.");
    EXPECT_EQ(countOf(log, "error"), 1u);
    // Nothing more is heard from a conversation that ended.
    const ClientOutput after = flooded.client.received(".\r\n200 rock 1 A / B\r\n");
    EXPECT_TRUE(after.actions.empty() && after.events.empty());
}

TEST(CddbClient, ConnectionEventsEndTheWaitOnce) {
    CddbClient client;
    client.settings().remoteHost = "cddb.test";
    client.settings().remotePort = 8000;
    client.settings().userName = "john doe";

    // Nothing to ask: no connection is made.
    ClientOutput out = client.start();
    EXPECT_TRUE(out.actions.empty());
    ASSERT_EQ(out.events.size(), 1u);
    EXPECT_EQ(std::get<ConnectionFailed>(out.events[0]).code, static_cast<int>(ClientErrc::NothingToQuery));

    client.setQuery(kQuery);
    out = client.start();
    ASSERT_EQ(out.actions.size(), 1u);
    EXPECT_EQ(std::get<ConnectTo>(out.actions[0]).host, "cddb.test");
    EXPECT_EQ(std::get<ConnectTo>(out.actions[0]).port, 8000);
    EXPECT_TRUE(client.waitsForServer());

    out = client.timedOut();
    ASSERT_EQ(out.events.size(), 1u);
    EXPECT_EQ(std::get<ConnectionFailed>(out.events[0]).description, "Connection attempt timed out.");
    EXPECT_TRUE(std::holds_alternative<Disconnect>(out.actions.at(0)));
    EXPECT_FALSE(client.waitsForServer());
    EXPECT_TRUE(client.timedOut().events.empty());

    (void)client.start();
    out = client.connectionFailed(10061, "Connection refused.");
    ASSERT_EQ(out.events.size(), 1u);
    EXPECT_EQ(std::get<ConnectionFailed>(out.events[0]).code, 10061);
    EXPECT_TRUE(client.connectionClosed().events.empty());

    // Connected, greeted: the hello's words hold no blank; a silent server runs into the limit.
    (void)client.start();
    (void)client.connected();
    out = client.received(kGreeting);
    EXPECT_EQ(std::get<SendLine>(out.actions.at(0)).bytes, "cddb hello john_doe localhost test 1\r\n");
    out = client.timedOut();
    EXPECT_EQ(std::get<ClientError>(out.events.back()).code, static_cast<int>(ClientErrc::NoAnswer));

    // A server that closes in the middle of the entry is reported once.
    Server cut = exactServer();
    cut.answers[2].second = "210 rock d026c03 CD database entry follows\r\nDTITLE=A / B\r\nTTI";
    Lookup lookup(cut);
    lookup.run();
    lookup.take(lookup.client.connectionClosed());
    EXPECT_EQ(lookup.log.back(), "error -2 The server closed the connection.");
    lookup.take(lookup.client.connectionClosed());
    lookup.take(lookup.client.connectionFailed(10054, "Connection reset by peer."));
    EXPECT_EQ(countOf(lookup.log, "error"), 1u);

    // The last line needs no line break when the server closes after it.
    Server unended = exactServer();
    unended.answers[2].second = "210 rock d026c03 CD database entry follows\r\nDTITLE=A / B\r\n.";
    Lookup closing(unended);
    closing.run();
    closing.take(closing.client.connectionClosed());
    EXPECT_EQ(closing.log.back(), "value ALBUM=B");

    // A new lookup drops the open conversation and its matches.
    Lookup restarted(inexactServer());
    restarted.run();
    ASSERT_EQ(restarted.client.matches().size(), 2u);
    out = restarted.client.start();
    EXPECT_TRUE(std::holds_alternative<Disconnect>(out.actions.at(0)));
    EXPECT_TRUE(std::holds_alternative<ConnectTo>(out.actions.at(1)));
    EXPECT_TRUE(restarted.client.matches().empty());
}
