// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ListTestSupport.h"

using namespace vorda::app;

using listtest::makeSizedFile;
using listtest::TempDir;
using listtest::writeFile;
using namespace std::string_literals;

namespace {

using CliResult = testsupport::CliRun;

struct CliFixture : ::testing::Test {
    CliResult Run(const std::vector<std::string>& args) { return testsupport::runCli(args, dir.dir()); }
    std::vector<std::string> splitLines(const std::string& text) {
        std::vector<std::string> lines;
        std::stringstream ss(text);
        for (std::string line; std::getline(ss, line);) lines.push_back(line);
        return lines;
    }
    std::string writeSettings(const std::string& fileTypes) {
        std::string ini = "[General]\nbAutoReadTags=True\n[FileTypes]\n";
        std::vector<std::string> types;
        std::stringstream ss(fileTypes);
        for (std::string t; std::getline(ss, t, ',');) types.push_back(t);
        ini += "nofFileTypes=" + std::to_string(types.size() - 1) + "\n";
        for (size_t i = 0; i < types.size(); ++i) ini += "sFileType" + std::to_string(i) + "=" + types[i] + "\n";
        writeFile(dir / "settings.ini", ini);
        return dir / "settings.ini";
    }

    TempDir dir;
    TempDir music;
};

}  // namespace

TEST_F(CliFixture, HelpAndUsageErrors) {
    for (const char* flag : {"--help", "-h"}) {
        const auto r = Run({flag});
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("scan"), std::string::npos);
        EXPECT_NE(r.out.find("info"), std::string::npos);
    }
    for (const char* command : {"scan", "info"}) {
        const auto r = Run({command, "--help"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("Usage: vorda-cli " + std::string(command), 0), 0u) << r.out;
        EXPECT_EQ(Run({command, "-h"}).status, 0);
    }
    const std::vector<std::vector<std::string>> wrong{
        {},       {"frobnicate"}, {"--frobnicate"},      {"scan", "--frobnicate", music.path()},
        {"scan"}, {"info"},       {"scan", "--settings"}};
    for (const auto& args : wrong) {
        const auto r = Run(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.err.find("Usage: vorda-cli"), std::string::npos);
        EXPECT_TRUE(r.out.empty());
    }
}

TEST_F(CliFixture, ScanPrintsTheRowsAndStatusTexts) {
    writeFile(music / "b.dat", "x");
    writeFile(music / "README", "x");
    writeFile(music / "skip.txt", "x");
    makeSizedFile(music / "sub/c.dat", 3 * 1024 * 1024 + 500000);
    writeFile(music / "sub/tab\tname.dat", "x");
    writeFile(music / "bad\xE9.dat", "x");
    const std::string settings = writeSettings("dat,readme");

    auto r = Run({"scan", "--settings", settings, music.path()});
    EXPECT_EQ(r.status, 0) << r.err;
    auto lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_EQ(lines[0], "README\t" + music.path() + "\t0.00 MB\t\t\t\t\t\t\t\t\t\t\t");
    EXPECT_EQ(lines[1].substr(0, 6), "b.dat\t");
    EXPECT_EQ(lines[2].substr(0, lines[2].find('\t')), "bad\xEF\xBF\xBD.dat");
    const auto err = splitLines(r.err);
    ASSERT_EQ(err.size(), 2u) << r.err;
    EXPECT_EQ(err[0], "Total: 3 files (0 MB)");
    EXPECT_EQ(err[1].rfind("Scanned 3 files in ", 0), 0u);

    r = Run({"scan", "--recursive", "--settings=" + settings, music.path()});
    EXPECT_EQ(r.status, 0);
    lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3], "c.dat\t" + music.path() + "sub/\t3.48 MB\t\t\t\t\t\t\t\t\t\t\t");
    EXPECT_EQ(lines[4].substr(0, 14), "tab\\tname.dat\t");
    for (const auto& line : lines) EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 13) << line;

    r = Run({"scan", "--settings", settings, music / "nothing"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(Run({"scan", "--settings", dir / "absent.ini", music.path()}).status, 1);
}

TEST_F(CliFixture, InfoPrintsJsonPerFileAndErrors) {
    writeFile(music / "notes \"q\".txt", "hello");
    const std::string settings = writeSettings("mp3");
    const auto r = Run({"info", "--settings", settings, music / "notes \"q\".txt", music / "gone.mp3", music.path(),
                        std::string("bad\x01\xFF.mp3")});
    EXPECT_EQ(r.status, 1);
    const auto lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 4u) << r.out;
    const std::string& json = lines[0];
    EXPECT_EQ(json.rfind("{\"path\":\"" + music.path() +
                             "notes \\\"q\\\".txt\",\"size\":5,\"tagType\":\"\","
                             "\"hasTag\":{\"tkID3v1\":false,\"tkID3v2\":false,\"tkLyrics3\":false},"
                             "\"values\":{\"tvTitle\":\"\",\"tvArtist\":\"\"",
                         0),
              0u)
        << json;
    EXPECT_NE(json.find("\"tvEncodedBy\":\"\",\"tvV1Title\":\"\""), std::string::npos);
    EXPECT_NE(json.find("\"tvV2Genre\":\"\",\"tvMood\":\"\""), std::string::npos);  // no ValueKey::V2Frame value
    EXPECT_NE(json.find("\"tvOtherInfo\":\"\"},\"frames\":\"\",\"audio\":{\"aiVersion\":\"\""), std::string::npos);
    EXPECT_NE(json.find("\"aiSampleRate\":\"\"},\"startPos\":0,\"audioType\":\"\"}"), std::string::npos);
    EXPECT_EQ(lines[1].rfind("{\"path\":\"" + music.path() + "gone.mp3\",\"error\":\"", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("{\"path\":\"" + music.path() + "\",\"error\":\"", 0), 0u);
    EXPECT_EQ(lines[3].rfind("{\"path\":\"bad\\u0001\xEF\xBF\xBD.mp3\",\"error\":\"", 0), 0u) << lines[3];

    const auto one = Run({"info", "--settings", settings, music / "notes \"q\".txt"});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(splitLines(one.out).size(), 1u);
}

TEST_F(CliFixture, UnusableSettingsAreReportedOnStderrAndNeverWritten) {
    writeFile(music / "a.dat", "x");
    writeFile(music / "b.txt", "x");
    const std::string path = dir / "settings.ini";
    const std::string damaged = "[FileTypes]\nnofFileTypes=1\nsFileType0=dat\nsFileType1=txt\0junk\n"s;
    writeFile(path, damaged);
    auto r = Run({"scan", "--settings", path, music.path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(splitLines(r.out).size(), 2u) << r.out;  // both types were read
    auto err = splitLines(r.err);
    ASSERT_EQ(err.size(), 3u) << r.err;
    EXPECT_EQ(err[0], "vorda-cli: The settings file " + path +
                          " could not be read completely: it holds zero bytes. What could be read is used.");
    EXPECT_EQ(testsupport::readBytes(path), damaged);
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));

    // A sound read-only file is only read: nothing to say.
    writeFile(path, "[FileTypes]\nsFileType0=dat\n");
    ::chmod(path.c_str(), 0444);
    r = Run({"scan", "--settings", path, music.path()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(splitLines(r.err).size(), 2u) << r.err;
}

// Every command has a help that starts with its usage, and every option a help names is one the
// command reads.
TEST_F(CliFixture, EveryOptionAHelpNamesIsRead) {
    const auto top = Run({"--help"});
    ASSERT_EQ(top.status, 0);
    std::vector<std::string> commands;
    const auto lines = splitLines(top.out);
    for (auto line = std::find(lines.begin(), lines.end(), "Commands:") + 1; line < lines.end() && !line->empty();
         ++line)
        commands.push_back(line->substr(2, line->find(' ', 2) - 2));
    std::vector<std::string> expected{"scan",   "info", "set",    "junk", "fix",     "tracks",
                                      "rename", "sort", "export", "find", "replace", "freedb"};
#ifdef VORDA_PLAYER_REMOTE
    expected.push_back("player");
#endif
    EXPECT_EQ(commands, expected);
    EXPECT_EQ(Run({"--version"}).out, "vorda-cli "s + VORDA_VERSION + "\n");

    for (const std::string& command : commands) {
        const auto help = Run({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind("Usage: vorda-cli " + command + " ", 0), 0u) << help.out;
        EXPECT_NE(help.out.find("\nOptions:\n"), std::string::npos) << help.out;
        std::set<std::string> options;
        for (size_t at = help.out.find("--"); at != std::string::npos; at = help.out.find("--", at + 2)) {
            const size_t end = help.out.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2);
            if (end > at + 2) options.insert(help.out.substr(at, end - at));
        }
        EXPECT_TRUE(options.contains("--help")) << command;
        for (const std::string& option : options) {
            const auto r = Run({command, option});
            EXPECT_EQ(r.err.find("unknown option"), std::string::npos) << command << " " << option << "\n" << r.err;
        }
    }
}

// What every command reads the same way: "--name VALUE" and "--name=VALUE" (an empty value
// included), "--" before operands that start with "-", operands as they are written.
TEST_F(CliFixture, ArgumentsAreReadAsWritten) {
    writeFile(music / "-dash.dat", "x");
    writeFile(music / "[a,b].dat", "x");
    const std::string settings = writeSettings("dat");

    // An empty value after "=" stays empty: the next argument is no value.
    auto r = Run({"info", "--settings=", music / "-dash.dat"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "vorda-cli: cannot read settings file \n");
    // The last of a repeated option counts.
    r = Run({"info", "--settings", dir / "absent.ini", "--settings=" + settings, music / "[a,b].dat"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"path\":\"" + music.path() + "[a,b].dat\",\"size\":1,", 0), 0u) << r.out;

    // Operands may start with "-" after "--"; before it, they are unknown options. "-" alone is
    // an operand.
    r = Run({"info", "--settings", settings, "--", music / "-dash.dat", "--"});
    EXPECT_EQ(r.status, 1);
    auto lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_EQ(lines[0].rfind("{\"path\":\"" + music.path() + "-dash.dat\",\"size\":1,", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("{\"path\":\"--\",\"error\":", 0), 0u) << lines[1];
    for (const std::vector<std::string>& args : {std::vector<std::string>{"info", "-dash.dat"},
                                                 {"info", "-1"},
                                                 {"info", "---x"},
                                                 {"scan", "--recursive=yes"},
                                                 {"rename", "--dry-run=false", "--out", "<title>", "a.mp3"},
                                                 {"set", "--frob=1", "a.mp3"}}) {
        r = Run(args);
        EXPECT_EQ(r.status, 2) << args[1];
        EXPECT_EQ(splitLines(r.err).front(), "vorda-cli: unknown option " + args[1]) << r.err;
    }
    r = Run({"scan", "--settings", settings, "-", music.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("vorda-cli: not a folder: -\n"), std::string::npos) << r.err;

    // A value is taken as it is, even when it looks like an option.
    r = Run({"tracks", "--start", "--settings", settings, music / "[a,b].dat"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(splitLines(r.err).front(), "vorda-cli: Invalid start value of the track counter!") << r.err;
    r = Run({"set", "--add", "--remove", "a.mp3"});
    EXPECT_EQ(splitLines(r.err).front(), "vorda-cli: unknown tag kind --remove") << r.err;
    EXPECT_EQ(splitLines(Run({"fix", "--in"}).err).front(), "vorda-cli: option --in needs a value");
}

// The JSON of info reads back in a peer (Python's json) with its keys in their order; the names
// of files come back as they are, with U+FFFD for bytes that are not UTF-8, and no control
// character reaches the terminal.
TEST_F(CliFixture, InfoLinesAreJsonThatAPeerReads) {
    const std::string name = "q\"b\\s/n\nt\td\x7F"
                             "c\xC2\x85"
                             "e\xFF.dat";
    writeFile(music / name, "hello");
    const auto r = Run({"info", "--settings", writeSettings("dat"), music / name, music / "gone.dat"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("q\\\"b\\\\s/n\\u000At\\u0009d\\u007Fc\\u0085e\xEF\xBF\xBD.dat\""), std::string::npos)
        << r.out;
    EXPECT_FALSE(std::any_of(r.out.begin(), r.out.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && c != '\n') || u == 0x7F;
    }));

    writeFile(dir / "info.jsonl", r.out);
    const std::string read = testsupport::runPython(
        "import json, sys\n"
        "for line in open(sys.argv[1], encoding='utf-8'):\n"
        "    o = json.loads(line)\n"
        "    print(o['path'].encode('utf-8').hex(), ','.join(o.keys()), len(o.get('values', ())),"
        " o.get('size'), o.get('hasTag'))\n",
        {dir / "info.jsonl"});
    const auto hex = [](const std::string& bytes) {
        std::string out;
        for (const char c : bytes) {
            char two[3];
            std::snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(c));
            out += two;
        }
        return out;
    };
    std::string expected = music / name;
    expected.replace(expected.size() - 5, 1, "\xEF\xBF\xBD");
    const auto peer = splitLines(read);
    ASSERT_EQ(peer.size(), 2u) << read;
    EXPECT_EQ(peer[0], hex(expected) + " path,size,tagType,hasTag,values,frames,audio,startPos,audioType 33 5"
                                       " {'tkID3v1': False, 'tkID3v2': False, 'tkLyrics3': False}");
    EXPECT_EQ(peer[1], hex(music / "gone.dat") + " path,error 0 None None");
}
