// SPDX-License-Identifier: GPL-2.0-or-later

// freedb benchmark: the two pieces of a lookup that run on the user-interface thread besides
// waiting for the server. "query": the query command for 99 selected rows of the file list (their
// Duration cells read into an album, disc id and frame offsets). "entry": a 99-track entry as the
// server sends it (about 6 KB in one piece, every title continued over a second line) read by the
// client up to its result, and that result taken into the review. Prints the best and the median
// time of each in microseconds.
//
// Usage: bench_freedb [ROUNDS]   (default: 2000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/FileList.h"
#include "app/Settings.h"
#include "app/UserInterface.h"
#include "freedb/AlbumLookup.h"
#include "freedb/CddbClient.h"

using namespace vorda::app;
using namespace vorda::freedb;

using Clock = std::chrono::steady_clock;

namespace {

class SilentInterface : public UserInterface {
public:
    MessageAnswer ask(const std::string&, MessageButtons, MessageIcon, const std::string&) override {
        return MessageAnswer::Yes;
    }
    void setStatus(int, const std::string&) override {}
    void setProgress(long long, long long) override {}
};

std::string entry() {
    std::string text = "210 rock 9a0c1b63 CD database entry follows (until terminating `.')\r\n# xmcd\r\n";
    text += "DISCID=9a0c1b63\r\nDTITLE=Some Artist / Some Album With A Longer Name\r\nDYEAR=1997\r\n";
    for (int k = 0; k < 99; ++k) {
        const std::string name = "TTITLE" + std::to_string(k) + "=";
        text += name + "Guest Artist " + std::to_string(k) + " / The title of track " + std::to_string(k) + "\r\n";
        text += name + " (continued on a second line of the entry)\r\n";
    }
    text += "EXTD= YEAR: 1997 ID3G: 17\r\n";
    for (int k = 0; k < 99; ++k) text += "EXTT" + std::to_string(k) + "=\r\n";
    text += "PLAYORDER=\r\n.\r\n";
    return text;
}

struct Figures {
    double best = 0;
    double median = 0;
};

template <typename Run>
Figures measure(int rounds, Run run) {
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(rounds));
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        run();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    return {micros.front(), micros[micros.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    Settings settings;
    SilentInterface ui;

    FileList list;
    for (int i = 1; i <= 99; ++i) {
        const int row = list.addRow("track " + std::to_string(i) + ".mp3");
        list.setCellContent(row, ListColumn::Duration, std::to_string(2 + i % 7) + ":" + std::to_string(10 + i % 50));
        list.setSelected(row, true);
    }
    AlbumLookup lookup(ui, settings);
    std::string query;
    const Figures queryTime = measure(rounds, [&] {
        lookup.reset();
        lookup.addSelectedRows(list);
        query = lookup.album().queryCommand();
    });

    const std::string bytes = entry();
    size_t values = 0;
    const Figures entryTime = measure(rounds, [&] {
        CddbClient client;
        client.setQuery(query);
        static_cast<void>(client.start());
        static_cast<void>(client.connected());
        static_cast<void>(client.received("201 server ready\r\n"));
        static_cast<void>(client.received("200 Hello and welcome\r\n"));
        static_cast<void>(client.received("200 rock 9a0c1b63 Some Artist / Some Album\r\n"));
        for (const ClientEvent& event : client.received(bytes).events)
            if (const auto* result = std::get_if<ReceivedResult>(&event)) {
                lookup.review().takeResult(result->values);
                values = result->values.size();
            }
    });

    std::printf("query_99_files_us best %.1f median %.1f (%zu bytes)\n", queryTime.best, queryTime.median,
                query.size());
    std::printf("entry_99_tracks_us best %.1f median %.1f (%zu bytes, %zu values)\n", entryTime.best, entryTime.median,
                bytes.size(), values);
    return values == 0 ? 1 : 0;
}
