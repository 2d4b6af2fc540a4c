// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
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
    EXPECT_NE(json.find("\"tvV2Genre\":\"\",\"tvMood\":\"\""), std::string::npos);  // no tvV2Frame value
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
