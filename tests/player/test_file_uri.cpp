// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "PlayerTestSupport.h"
#include "player/FileUri.h"

using vorda::player::fileUri;

TEST(FileUri, ReservedAndNonAsciiBytesAreEscaped) {
    EXPECT_EQ(fileUri("/music/Artist - Title.mp3"), "file:///music/Artist%20-%20Title.mp3");
    EXPECT_EQ(fileUri("/m/#1?x=100%&y;[z]+'.mp3"), "file:///m/%231%3Fx%3D100%25%26y%3B%5Bz%5D%2B%27.mp3");
    EXPECT_EQ(fileUri("/m/Caf\xC3\xA9 \xE9t\xE9\xFF.mp3"), "file:///m/Caf%C3%A9%20%E9t%E9%FF.mp3");
    EXPECT_EQ(fileUri("/m/A-z_0.9~"), "file:///m/A-z_0.9~");
    EXPECT_EQ(fileUri(""), "");
}

TEST(FileUri, RelativePathsAreTakenFromTheCurrentFolder) {
    playertest::TempFolder folder;
    const auto oldFolder = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    const std::string uri = fileUri("sub/a b.mp3");
    std::filesystem::current_path(oldFolder);
    EXPECT_EQ(uri, fileUri(folder.path() + "/sub/a b.mp3"));
    EXPECT_EQ(uri.rfind("file:///", 0), 0u);
}

// Python's own URI parser must give back every byte of names holding anything but "/" and NUL.
TEST(FileUri, AnotherParserDecodesTheExactBytes) {
    playertest::TempFolder folder;
    std::vector<std::string> paths = {"/tmp/a b/#?%25/%/x.mp3", "/\xFF\xFE/\xC3\x28/\x80.mp3", "/"};
    std::string everyByte = "/";
    for (int c = 1; c < 256; ++c) {
        if (c != '/') everyByte += static_cast<char>(c);
    }
    paths.push_back(everyByte);

    const std::string uris = folder / "uris", decoded = folder / "decoded";
    {
        std::ofstream out(uris, std::ios::binary);
        for (const std::string& path : paths) out << fileUri(path) << '\n';
    }
    const std::string script = "import sys, urllib.parse\n"
                               "out = open(sys.argv[2], 'wb')\n"
                               "for line in open(sys.argv[1], 'rb').read().decode('ascii').splitlines():\n"
                               "    parts = urllib.parse.urlsplit(line)\n"
                               "    assert parts.scheme == 'file' and parts.netloc == '' and not parts.query "
                               "and not parts.fragment, line\n"
                               "    out.write(urllib.parse.unquote_to_bytes(parts.path) + b'\\0')\n";
    const std::string scriptPath = playertest::writeFile(folder / "decode.py", script, false);
    const std::string command = "/usr/bin/python3 '" + scriptPath + "' '" + uris + "' '" + decoded + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);

    std::ifstream in(decoded, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> back;
    for (size_t start = 0, end; (end = all.find('\0', start)) != std::string::npos; start = end + 1)
        back.push_back(all.substr(start, end - start));
    EXPECT_EQ(back, paths);
}
