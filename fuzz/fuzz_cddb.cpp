// SPDX-License-Identifier: GPL-2.0-or-later

// Plays arbitrary bytes as everything a CDDB server says during one lookup (an exact match leads
// on to the entry; of several matches none is chosen), once in one piece and
// once cut into pieces chosen by the first byte. Nothing may crash, both runs must do and tell the
// same, nothing may be done or told after the lookup ended, and every command sent must be one
// line whose words are parted by single blanks.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "freedb/CddbClient.h"

using namespace vorda::freedb;

namespace {

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

class Run {
public:
    // What was done and what was told, each in order (how they interleave depends on the cuts).
    std::vector<std::string> done;
    std::vector<std::string> log;

    void take(const ClientOutput& out) {
        if (ended_) check(out.actions.empty() && out.events.empty(), "a lookup went on after it ended");
        for (const TransportAction& action : out.actions) {
            if (const auto* line = std::get_if<SendLine>(&action)) {
                const std::string& bytes = line->bytes;
                check(bytes.size() >= 2 && bytes.ends_with("\r\n"), "a command without its line end");
                const std::string_view command(bytes.data(), bytes.size() - 2);
                check(command.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos,
                      "a command of several lines");
                if (command.starts_with("cddb read") || command.starts_with("cddb hello"))
                    check(command.find("  ") == std::string_view::npos && !command.ends_with(' '),
                          "a command with an empty word");
                done.push_back("send " + bytes);
            } else {
                done.push_back(std::holds_alternative<ConnectTo>(action) ? "connect" : "close");
            }
        }
        for (const ClientEvent& event : out.events) {
            if (const auto* e = std::get_if<StatusChange>(&event)) {
                log.push_back("status " + std::to_string(static_cast<int>(e->status)));
            } else if (const auto* e = std::get_if<MultipleMatches>(&event)) {
                log.push_back("matches " + std::to_string(e->matches.size()));
                for (const FreedbQuery& match : e->matches) log.push_back(match.chooserLine());
            } else if (const auto* e = std::get_if<ReceivedResult>(&event)) {
                for (const DbValue& value : e->values) log.push_back(value.id + "=" + value.value);
                ended_ = true;
            } else if (std::holds_alternative<NoMatches>(event)) {
                log.push_back("no matches");
                ended_ = true;
            } else if (const auto* e = std::get_if<ClientError>(&event)) {
                log.push_back("error " + std::to_string(e->code) + e->description);
                ended_ = true;
            }
        }
    }

    void play(std::string_view stream, uint8_t cuts) {
        client_.setQuery("cddb query d026c03 3 0 15000 28500 620");
        take(client_.start());
        take(client_.connected());
        uint32_t state = cuts * 2654435761u + 1;
        while (!stream.empty()) {
            size_t length = stream.size();
            if (cuts != 0) {
                state = state * 1103515245u + 12345u;
                length = std::min<size_t>(length, 1 + (state >> 16) % 64);
            }
            take(client_.received(stream.substr(0, length)));
            stream.remove_prefix(length);
        }
        take(client_.connectionClosed());
    }

private:
    CddbClient client_;
    bool ended_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
    Run whole;
    whole.play(stream, 0);
    Run pieces;
    pieces.play(stream, data[0]);
    if (whole.log != pieces.log || whole.done != pieces.done) {
        for (const auto* run : {&whole, &pieces}) {
            std::fprintf(stderr, "--\n");
            for (const std::string& line : run->done) std::fprintf(stderr, "%s", line.c_str());
            for (const std::string& line : run->log) std::fprintf(stderr, "%s\n", line.c_str());
        }
        check(false, "the same answers cut differently gave another lookup");
    }
    return 0;
}
