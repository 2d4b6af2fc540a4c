// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ListTestSupport.h"
#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/Settings.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

using listtest::TempDir;
using listtest::writeFile;

namespace {

struct PlaylistFixture : ::testing::Test {
    PlaylistFixture() : commands(list, ui, settings) {
        settings.autoReadTags = false;
        for (const char* name : {"a.mp3", "b.mp3", "sub/c.mp3", "sub/d e.mp3", "caf\xC3\xA9.mp3"})
            writeFile(dir / ("lists/" + std::string(name)), "x");
    }
    std::vector<std::string> import(const std::string& name, const std::string& text) {
        list.clear();
        writeFile(dir / ("lists/" + name), text);
        commands.importPlaylist(dir / ("lists/" + name));
        std::vector<std::string> paths;
        for (int row = 1; row <= list.count(); ++row) paths.push_back(list.getFullPath(row));
        return paths;
    }
    std::string in(const std::string& rel) const { return dir / ("lists/" + rel); }

    TempDir dir;
    FileList list;
    listtest::RecordingUI ui;
    Settings settings;
    ListCommands commands;
};

}  // namespace

TEST_F(PlaylistFixture, M3UEntriesResolveAgainstThePlaylistFolder) {
    const std::string text = "#EXTM3U\r\n"
                             "#EXTINF:123,Artist - Title\r\n"
                             "a.mp3\r\n"
                             "\r\n"
                             "   \r\n"
                             "sub\\c.mp3\r\n"                // written on Windows
                             "C:\\Music\\a.mp3\r\n"          // a drive names nothing here
                             "\\\\server\\share\\a.mp3\r\n"  // nor does a network path
                             "missing.mp3\r\n"
                             "sub\r\n"  // a folder is no file
                             "sub/\r\n" +
                             in("b.mp3") + "\r" +  // absolute, lone CR line end
                             "file://" + dir.path() +
                             "lists/sub/d%20e.mp3\n"
                             "file://localhost" +
                             dir.path() +
                             "lists/caf%C3%A9.mp3\n"
                             "file://otherhost/x/a.mp3\n"
                             "a.mp3";  // no final line end
    EXPECT_EQ(import("list.m3u", text),
              (std::vector<std::string>{in("a.mp3"), in("sub/c.mp3"), in("b.mp3"), in("sub/d e.mp3"),
                                        in("caf\xC3\xA9.mp3"), in("a.mp3")}));
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(PlaylistFixture, M3U8IsUtf8AndEntriesAreNotTrimmed) {
    EXPECT_EQ(import("list.m3u8", "\xEF\xBB\xBF"
                                  "caf\xC3\xA9.mp3\n a.mp3\nb.mp3 \n"),
              (std::vector<std::string>{in("caf\xC3\xA9.mp3")}));
    EXPECT_EQ(import("UPPER.M3U", "a.mp3\n"), (std::vector<std::string>{in("a.mp3")}));
}

TEST_F(PlaylistFixture, PlsEntriesAreFileKeysInAnyCase) {
    const std::string text = "[playlist]\n"
                             "File1=a.mp3\n"
                             "Title1=b.mp3\n"
                             "file2=sub/c.mp3\n"
                             "FILE3=" +
                             in("b.mp3") +
                             "\n"
                             "File4\n"
                             "Fil=a.mp3\n"
                             "Length1=100\n"
                             "File5=file://" +
                             dir.path() +
                             "lists/sub/d%20e.mp3\n"
                             "NumberOfEntries=5\n"
                             "Version=2\n";
    EXPECT_EQ(import("list.pls", text),
              (std::vector<std::string>{in("a.mp3"), in("sub/c.mp3"), in("b.mp3"), in("sub/d e.mp3")}));
    // The "=" may stand right after "FILE".
    EXPECT_EQ(import("odd.pls", "FILE=a.mp3\nfilex=b.mp3\n"), (std::vector<std::string>{in("a.mp3"), in("b.mp3")}));
}

TEST_F(PlaylistFixture, OtherTypesBlankPathsAndEmptyFilesDoNothing) {
    EXPECT_TRUE(import("list.txt", "a.mp3\n").empty());
    EXPECT_TRUE(import("list.m3u", "  \r\n\r\n").empty());
    EXPECT_TRUE(import("list.pls", "").empty());
    commands.importPlaylist("   ");
    commands.importPlaylist(dir / "lists/none.m3u");
    EXPECT_EQ(list.count(), 0);
}

TEST_F(PlaylistFixture, GarbageAndHugePlaylistsAreSafe) {
    // An entry with a NUL must not be taken for the name in front of it.
    EXPECT_TRUE(import("nul.m3u", std::string("a.mp3\0junk\n", 11)).empty());

    std::mt19937 random(1234);
    std::string garbage(200000, '\0');
    for (char& c : garbage) c = static_cast<char>(random() & 0xFF);
    import("garbage.m3u", garbage);
    import("garbage.pls", "File1=" + garbage);

    std::string many;
    for (int i = 0; i < 100000; ++i) many += (i % 1000 == 0 ? "a.mp3" : "missing" + std::to_string(i) + ".mp3") + "\n";
    EXPECT_EQ(import("many.m3u", many).size(), 100u);

    // A playlist past 64 MiB is not read at all.
    writeFile(in("huge.m3u"), "a.mp3\n");
    std::filesystem::resize_file(in("huge.m3u"), 65ULL * 1024 * 1024);
    list.clear();
    commands.importPlaylist(in("huge.m3u"));
    EXPECT_EQ(list.count(), 0);
}

TEST_F(PlaylistFixture, EntriesAreListedUnderTheirCleanAbsoluteFolder) {
    writeFile(dir / "Tree/A/t.mp3", "x");
    const std::string text = "../Tree/A/t.mp3\n"
                             "./../Tree//A/./t.mp3\n"
                             "..\\Tree\\A\\t.mp3\n" +
                             dir.path() +
                             "lists/../Tree/A/t.mp3\n"
                             "file://" +
                             dir.path() + "lists/sub/../../Tree/A/t.mp3\n";
    for (const char* name : {"list.m3u", "list.m3u8"}) {
        EXPECT_EQ(import(name, text), std::vector<std::string>(5, dir / "Tree/A/t.mp3")) << name;
        for (int row = 1; row <= list.count(); ++row)
            EXPECT_EQ(list.getCellContent(row, ListColumn::Path), dir / "Tree/A/");
    }
    EXPECT_EQ(import("list.pls", "[playlist]\nFile1=../Tree/A/t.mp3\n"),
              (std::vector<std::string>{dir / "Tree/A/t.mp3"}));

    // Behind a symbolic link ".." leads where the link points; such an entry keeps its spelling.
    std::filesystem::create_directory_symlink(dir / "Tree/A", in("link"));
    EXPECT_EQ(import("link.m3u", "link/../A/t.mp3\nlink/./t.mp3\n"),
              (std::vector<std::string>{in("link/../A/t.mp3"), in("link/t.mp3")}));
}
