// SPDX-License-Identifier: GPL-2.0-or-later

// A process killed at any moment while it rewrites tags leaves every file whole: the audio
// unchanged and each tag one that was written (in place or through a rebuild).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ID3TestSupport.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;

using namespace id3test;

namespace {

// Growing by a little fits the padding (in place); the long one and the step back from it
// rebuild the file (too large, then too much padding).
const std::vector<std::string>& titles() {
    static const std::vector<std::string> titles = {"short", std::string(40, 'm'), std::string(1000, 'L')};
    return titles;
}

TagOptions writeOptions() {
    TagOptions o;
    o.useId3v1 = TagUse::IfWanted;
    o.useId3v2 = TagUse::IfWanted;
    o.useLyrics3 = TagUse::Never;
    o.keepInSync = true;
    o.addPaddingSize = 50;
    o.maxPaddingSize = 100;
    return o;
}

void rewriteForever(const std::vector<std::string>& paths) {
    for (size_t round = 0;; ++round) {
        for (const std::string& path : paths) {
            AudioFile f;
            f.setOptions(writeOptions());
            if (!f.readFile(path, true)) continue;
            f.tag().setValue(ValueKey::Title, titles()[round % titles().size()]);
            f.putTags();
        }
    }
}

TEST(KillSafetyTest, KilledWritersLeaveEveryFileWhole) {
    Scratch dir;
    const std::string audio = mp3Audio(200, 7);
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        paths.push_back(dir.file("f" + std::to_string(i) + ".mp3"));
        writeBytes(paths.back(), v23Tag({{"TIT2", "short"}}, 50) + audio + v1Tag("short"));
    }
    std::set<std::string> v1Titles;
    for (const std::string& t : titles()) v1Titles.insert(t.substr(0, 30));

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delay(5, 120);
    const auto started = std::chrono::steady_clock::now();
    int rounds = 0;
    while (std::chrono::steady_clock::now() - started < std::chrono::seconds(6)) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            rewriteForever(paths);
            ::_exit(0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ++rounds;

        for (const std::string& path : paths) {
            SCOPED_TRACE(path + " after round " + std::to_string(rounds));
            AudioFile f;
            f.setOptions(writeOptions());
            ASSERT_TRUE(f.readFile(path, true));
            ASSERT_TRUE(f.tag().hasTag(TagKind::Id3v2));
            ASSERT_TRUE(f.tag().hasTag(TagKind::Id3v1));
            const std::string title = f.tag().getValue(ValueKey::V2Title);
            EXPECT_NE(std::find(titles().begin(), titles().end(), title), titles().end()) << title.size();
            EXPECT_TRUE(v1Titles.count(f.tag().getValue(ValueKey::V1Title)) == 1);
            const std::string bytes = readBytes(path);
            const auto start = static_cast<size_t>(f.tag().tagSize());
            ASSERT_EQ(bytes.size(), start + audio.size() + 128);
            EXPECT_TRUE(bytes.compare(start, audio.size(), audio) == 0) << "audio damaged";
        }
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(rounds, 5);
}

}  // namespace
