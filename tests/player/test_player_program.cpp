// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <filesystem>

#include "PlayerTestSupport.h"
#include "player/PlayerProgram.h"

using namespace vorda::player;
using playertest::TempFolder;
using playertest::writeFile;
using playertest::writeProgram;

namespace {

std::string pathList(std::initializer_list<std::string> folders) {
    std::string list;
    for (const std::string& folder : folders) list += (list.empty() ? "" : ":") + folder;
    return list;
}

}  // namespace

TEST(PlayerProgram, ConfiguredProgramComesFirstWhenItIsOne) {
    TempFolder root;
    const std::string bin = root / "bin";
    writeProgram(bin + "/vlc");
    const std::string chosen = writeProgram(root / "opt/player/myplayer");

    auto program = findPlayerProgram(chosen, bin);
    ASSERT_TRUE(program);
    EXPECT_EQ(program->path, chosen);
    EXPECT_EQ(program->name, "myplayer");

    // A bare name is a program on the search path.
    program = findPlayerProgram("vlc", bin);
    ASSERT_TRUE(program);
    EXPECT_EQ(program->path, bin + "/vlc");

    // Not executable, a folder, missing: the search path decides.
    const std::string plain = writeFile(root / "opt/plain", "#!/bin/sh\n", false);
    for (const std::string& configured : {plain, root / "opt", root / "opt/missing", std::string("nosuchplayer")}) {
        program = findPlayerProgram(configured, bin);
        ASSERT_TRUE(program) << configured;
        EXPECT_EQ(program->path, bin + "/vlc") << configured;
    }
}

TEST(PlayerProgram, KnownPlayersAreTriedInTheirOrderAlongTheSearchPath) {
    TempFolder root;
    const std::string first = root / "first", second = root / "second";
    writeProgram(first + "/rhythmbox");
    writeProgram(first + "/clementine");
    writeProgram(second + "/vlc");
    writeFile(first + "/vlc", "not a program", false);

    auto program = findPlayerProgram("", pathList({first, second}));
    ASSERT_TRUE(program);
    EXPECT_EQ(program->path, second + "/vlc");
    EXPECT_EQ(program->name, "vlc");

    writeProgram(second + "/audacious");
    writeProgram(first + "/audacious");
    program = findPlayerProgram("", pathList({first, second}));
    ASSERT_TRUE(program);
    EXPECT_EQ(program->path, first + "/audacious");

    EXPECT_FALSE(findPlayerProgram("", root / "empty"));
    EXPECT_FALSE(findPlayerProgram("", ""));
}

TEST(PlayerProgram, EmptyAndRelativeSearchPathEntriesAreNotSearched) {
    TempFolder root;
    writeProgram(root / "vlc");
    writeProgram(root / "sub/vlc");
    const auto oldFolder = std::filesystem::current_path();
    std::filesystem::current_path(root.path());
    const auto fromEmptyEntries = findPlayerProgram("", "::");
    const auto fromRelativeEntry = findPlayerProgram("", "sub:./");
    std::filesystem::current_path(oldFolder);
    EXPECT_FALSE(fromEmptyEntries);
    EXPECT_FALSE(fromRelativeEntry);
    EXPECT_EQ(findOnSearchPath("vlc", root.path() + "/"), root / "vlc");
}

TEST(PlayerProgram, LinkToAKnownPlayerIsNamedAfterIt) {
    TempFolder root;
    const std::string vlc = writeProgram(root / "real/vlc");
    std::filesystem::create_directories(root / "bin");
    std::filesystem::create_symlink(vlc, root / "bin/media-player");
    std::filesystem::create_symlink(vlc, root / "bin/vlc");
    const std::string other = writeProgram(root / "real/other-player");
    std::filesystem::create_symlink(other, root / "bin/player");

    EXPECT_EQ(playerNameOf(root / "bin/media-player"), "vlc");
    EXPECT_EQ(playerNameOf(root / "bin/vlc"), "vlc");
    EXPECT_EQ(playerNameOf(root / "bin/player"), "player");
}

TEST(PlayerProgram, BusNamesAreValid) {
    EXPECT_EQ(busNameOf("vlc"), "org.mpris.MediaPlayer2.vlc");
    EXPECT_EQ(busNameOf("audacious"), "org.mpris.MediaPlayer2.audacious");
    EXPECT_EQ(busNameOf("my player+"), "org.mpris.MediaPlayer2.my_player_");
    EXPECT_EQ(busNameOf("2play.3"), "org.mpris.MediaPlayer2._2play._3");
    EXPECT_EQ(busNameOf("a..b."), "org.mpris.MediaPlayer2.a._b._");
    EXPECT_EQ(busNameOf(""), "org.mpris.MediaPlayer2._");
}

TEST(PlayerProgram, EnqueueCommandLinesOfTheKnownPlayers) {
    TempFolder root;
    const std::string uri = "file:///music/a%20b.mp3";
    const struct {
        const char* name;
        std::vector<std::string> arguments;
    } players[] = {
        {"audacious", {"-e", uri}},
        {"vlc", {"--one-instance", "--playlist-enqueue", uri}},
        {"strawberry", {"-a", uri}},
        {"clementine", {"-a", uri}},
    };
    for (const auto& player : players) {
        const PlayerProgram program{root / player.name, player.name};
        const auto commandLine = enqueueCommandLine(program, uri, "");
        ASSERT_TRUE(commandLine) << player.name;
        EXPECT_EQ(commandLine->program, program.path);
        EXPECT_EQ(commandLine->arguments, player.arguments) << player.name;
    }
    EXPECT_FALSE(enqueueCommandLine(PlayerProgram{root / "myplayer", "myplayer"}, uri, ""));
}

TEST(PlayerProgram, RhythmboxEnqueuesThroughItsClient) {
    TempFolder root;
    const std::string bin = root / "bin", other = root / "other";
    const PlayerProgram rhythmbox{writeProgram(bin + "/rhythmbox"), "rhythmbox"};
    const std::string uri = "file:///music/a.mp3";

    EXPECT_FALSE(enqueueCommandLine(rhythmbox, uri, other));

    writeProgram(other + "/rhythmbox-client");
    auto commandLine = enqueueCommandLine(rhythmbox, uri, other);
    ASSERT_TRUE(commandLine);
    EXPECT_EQ(commandLine->program, other + "/rhythmbox-client");
    EXPECT_EQ(commandLine->arguments, (std::vector<std::string>{"--enqueue", uri}));

    // The client beside the program belongs to it.
    writeProgram(bin + "/rhythmbox-client");
    commandLine = enqueueCommandLine(rhythmbox, uri, other);
    ASSERT_TRUE(commandLine);
    EXPECT_EQ(commandLine->program, bin + "/rhythmbox-client");
}
