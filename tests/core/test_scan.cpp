// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>

#include "FakeTagSupport.h"
#include "ListTestSupport.h"
#include "app/FileList.h"
#include "app/ListCommands.h"
#include "app/Settings.h"
#include "base/FileOps.h"
#include "base/Text.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

using listtest::makeFolder;
using listtest::makeSizedFile;
using listtest::TempDir;
using listtest::writeFile;

namespace {

struct ListFixture : ::testing::Test {
    ListFixture() : commands(list, ui, settings) { settings.autoReadTags = false; }

    std::vector<std::string> paths() const {
        std::vector<std::string> paths;
        for (int row = 1; row <= list.count(); ++row) paths.push_back(list.getFullPath(row));
        return paths;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> names;
        for (int row = 1; row <= list.count(); ++row) names.push_back(list.getCellContent(row, ListColumn::Filename));
        return names;
    }

    TempDir dir;
    FileList list;
    listtest::RecordingUI ui;
    Settings settings;
    ListCommands commands;
};

const std::regex kScannedText(R"(Scanned (\d+) files in \d+(\.\d+)? seconds\.)");

}  // namespace

TEST_F(ListFixture, RecursiveScanIsBreadthFirstFolderByFolder) {
    writeFile(dir / "b.mp3", "x");
    writeFile(dir / "a.mp3", "x");
    writeFile(dir / "one/c.mp3", "x");
    writeFile(dir / "one/deep/e.mp3", "x");
    writeFile(dir / "two/d.mp3", "x");
    commands.scanFolder(dir.path(), true);
    EXPECT_EQ(paths(), (std::vector<std::string>{dir / "a.mp3", dir / "b.mp3", dir / "one/c.mp3", dir / "two/d.mp3",
                                                 dir / "one/deep/e.mp3"}));
    EXPECT_EQ(list.getCellContent(3, ListColumn::Path), dir / "one/");
    EXPECT_EQ(commands.nrTotalFiles, 5);
    std::smatch m;
    const std::string text = commands.lastScanText();
    ASSERT_TRUE(std::regex_match(text, m, kScannedText)) << text;
    EXPECT_EQ(m[1], "5");
    EXPECT_EQ(ui.lastOf(3), text);
    EXPECT_EQ(ui.lastOf(1), "Total: 5 files (0 MB)");

    list.clear();
    commands.nrTotalFiles = 0;
    commands.scanFolder(dir.path(), false);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.mp3", "b.mp3"}));
}

TEST_F(ListFixture, FolderFormsAndMissingFolders) {
    writeFile(dir / "a.mp3", "x");
    commands.scanFolder(dir.path() + "/", false);  // doubled final "/"
    EXPECT_EQ(paths(), (std::vector<std::string>{dir / "a.mp3"}));
    commands.scanFolder(removeBackslash(dir.path()), false);  // without the final "/"
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.getFullPath(2), dir / "a.mp3");

    ui.statuses.clear();
    commands.scanFolder(dir / "missing/", true);
    commands.scanFolder(dir / "a.mp3", true);  // a file is no folder
    EXPECT_EQ(list.count(), 2);
    EXPECT_TRUE(ui.statuses.empty());
}

TEST_F(ListFixture, FileTypesMatchTheLowerCaseExtensionExactly) {
    for (const char* name : {"README", "song.MP3", "notes.txt", "x.Mp3", "cover.jpg"}) writeFile(dir / name, "x");
    settings.fileTypes = {"mp3", "readme"};
    commands.scanFolder(dir.path(), false);
    EXPECT_EQ(names(), (std::vector<std::string>{"README", "song.MP3", "x.Mp3"}));

    list.clear();
    settings.fileTypes = {"MP3", "TXT"};  // capitals never match
    commands.scanFolder(dir.path(), false);
    EXPECT_EQ(list.count(), 0);

    settings.fileTypes = {"*"};
    commands.scanFolder(dir.path(), false);
    EXPECT_EQ(list.count(), 5);
}

TEST_F(ListFixture, OddEntriesAreListedOrSkippedAsFilesDeserve) {
    writeFile(dir / "empty.mp3", "");
    writeFile(dir / "three.mp3", "ID3");
    makeFolder(dir / "folder.mp3");
    ASSERT_EQ(::mkfifo((dir / "pipe.mp3").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir / "three.mp3", dir / "link.mp3");
    std::filesystem::create_symlink(dir / "gone.mp3", dir / "dangling.mp3");
    const std::string latin1 = "caf\xE9.mp3";  // not UTF-8
    writeFile(dir / latin1, "x");
    commands.scanFolder(dir.path(), true);
    EXPECT_EQ(names(), (std::vector<std::string>{latin1, "empty.mp3", "link.mp3", "three.mp3"}));
    EXPECT_EQ(list.getFullPath(1), dir / latin1);
    EXPECT_TRUE(pathExists(list.getFullPath(1)));
    EXPECT_EQ(list.getCellContent(2, ListColumn::Size), "0.00 MB");
}

TEST_F(ListFixture, SymbolicLinksNeverLoopOrDuplicate) {
    writeFile(dir / "top.mp3", "x");
    writeFile(dir / "sub/inner.mp3", "x");
    std::filesystem::create_directory_symlink(dir.path(), dir / "sub/loop");
    std::filesystem::create_directory_symlink(dir / "sub", dir / "sub/self");
    TempDir outside;
    writeFile(outside / "far.mp3", "x");
    std::filesystem::create_directory_symlink(removeBackslash(outside.path()), dir / "sub/far");
    commands.scanFolder(dir.path(), true);
    EXPECT_EQ(paths(), (std::vector<std::string>{dir / "top.mp3", dir / "sub/inner.mp3", dir / "sub/far/far.mp3"}));
}

TEST_F(ListFixture, UnreadableFoldersAreSkippedSilently) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    writeFile(dir / "a.mp3", "x");
    writeFile(dir / "locked/b.mp3", "x");
    ::chmod((dir / "locked").c_str(), 0);
    commands.scanFolder(dir.path(), true);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.mp3"}));
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(ListFixture, PlaylistMetDuringScanIsImportedAndItsSizeCounted) {
    writeFile(dir / "music/a.mp3", "x");
    writeFile(dir / "other/b.mp3", "x");
    // A playlist of just over 2 MB naming a file in another folder.
    writeFile(dir / "music/list.m3u", "../other/b.mp3\n" + std::string(2 * 1024 * 1024 + 10, '#') + "\n");
    settings.fileTypes = {"mp3", "m3u"};
    commands.scanFolder(dir / "music/", false);
    EXPECT_EQ(paths(), (std::vector<std::string>{dir / "music/a.mp3", dir / "other/b.mp3"}));
    const auto totals = ui.panelTexts(1);
    ASSERT_EQ(totals.size(), 3u);
    EXPECT_EQ(totals[0], "Total: 1 files (0 MB)");
    EXPECT_EQ(totals[1], "Total: 1 files (2 MB)");  // the playlist is not counted as a file
    EXPECT_EQ(totals[2], "Total: 2 files (0 MB)");  // updateTotals
    EXPECT_EQ(commands.lastScanText().rfind("Scanned 1 files in ", 0), 0u);

    list.clear();
    settings.fileTypes = {"*"};  // matched by "*", a playlist is an ordinary file
    commands.scanFolder(dir / "music/", false);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.mp3", "list.m3u"}));
}

TEST_F(ListFixture, TotalsAddTheBytesBeforeConvertingToMegabytes) {
    makeSizedFile(dir / "a.mp3", 1024 * 1024 - 1);  // 1023.999 kB
    makeSizedFile(dir / "b.mp3", 1024 * 1024 - 1);
    commands.scanFolder(dir.path(), false);
    const auto totals = ui.panelTexts(1);
    ASSERT_EQ(totals.size(), 3u);
    EXPECT_EQ(totals[0], "Total: 1 files (0 MB)");
    EXPECT_EQ(totals[1], "Total: 2 files (1 MB)");  // running: truncated
    EXPECT_EQ(totals[2], "Total: 2 files (2 MB)");  // final: kilobytes rounded first
    EXPECT_EQ(commands.totalMb(), 2);

    // Half a kilobyte of the sum rounds to the even neighbour.
    list.clear();
    makeSizedFile(dir / "a.mp3", 1023 * 1024 + 512);
    makeSizedFile(dir / "b.mp3", 1024 + 512);  // 1026 kB together
    commands.scanFolder(dir.path(), false);
    EXPECT_EQ(commands.totalMb(), 1);
    ::unlink((dir / "a.mp3").c_str());  // a vanished file counts nothing
    EXPECT_EQ(commands.totalMb(), 0);

    // Many small files: each under a megabyte, together far more.
    commands.clearFileList();
    ui.statuses.clear();
    for (int i = 0; i < 2000; ++i) makeSizedFile(dir / ("many/" + std::to_string(i) + ".mp3"), 650 * 1024);
    commands.scanFolder(dir / "many/", false);
    EXPECT_EQ(ui.panelTexts(1).back(), "Total: 2000 files (1269 MB)");
    EXPECT_EQ(ui.panelTexts(1)[1998], "Total: 1999 files (1268 MB)");
    commands.updateTotals();
    EXPECT_EQ(ui.lastOf(1), "Total: 2000 files (1269 MB)");
}

TEST_F(ListFixture, UpdateListItemFormatsEveryColumn) {
    makeSizedFile(dir / "big.dat", 1294467072LL);  // 1234.5 MB
    AudioFile file;
    ASSERT_TRUE(file.readFile(dir / "big.dat", false));
    auto tag = std::make_unique<fakes::ValueTag>(std::map<int, std::string>{}, false);
    tag->values = {{ValueKey::Artist, "Artist"}, {ValueKey::Album, "Album"}, {ValueKey::Title, "Title"},
                   {ValueKey::Track, "7/12"},    {ValueKey::Year, "1999"},   {ValueKey::Genre, "Rock"},
                   {ValueKey::Comment, "c"}};
    tag->kinds = {TagKind::Id3v1, TagKind::Lyrics3, TagKind::Id3v2};
    fakes::ValueTag* tagPtr = tag.get();
    auto audio = std::make_unique<fakes::ValueAudio>();
    audio->info = {{AudioKey::BitRate, "128999"}, {AudioKey::SampleRate, "44100"}, {AudioKey::Duration, "185"}};
    fakes::ValueAudio* audioPtr = audio.get();
    file.setTag(std::move(tag));
    file.setAudio(std::move(audio));

    settings.autoReadTags = true;
    const int row = list.addRow("big.dat");
    commands.updateListItem(row, file);
    const std::vector<std::string> expected{
        "big.dat", dir.path(), "1 234.50 MB",          "Artist", "Album", "Title", "07/12", "1999", "Rock", "c",
        "128",     "44.1",     "ID3v1+Lyrics & ID3v2", "03:05"};
    for (int col = 1; col <= kColumnCount; ++col) EXPECT_EQ(list.getCellContent(row, col), expected[col - 1]) << col;

    const std::pair<std::set<int>, std::string> kinds[] = {{{}, ""},
                                                           {{TagKind::Id3v1}, "ID3v1"},
                                                           {{TagKind::Lyrics3}, "+Lyrics"},
                                                           {{TagKind::Id3v2}, "ID3v2"},
                                                           {{TagKind::Id3v1, TagKind::Id3v2}, "ID3v1 & ID3v2"},
                                                           {{TagKind::Lyrics3, TagKind::Id3v2}, "+Lyrics & ID3v2"}};
    for (const auto& [set, text] : kinds) {
        tagPtr->kinds = set;
        commands.updateListItem(row, file);
        EXPECT_EQ(list.getCellContent(row, ListColumn::Tags), text);
    }

    audioPtr->info = {{AudioKey::BitRate, "0"}, {AudioKey::SampleRate, "22050"}, {AudioKey::Duration, "4500"}};
    tagPtr->values[ValueKey::Track] = "123";
    commands.updateListItem(row, file);
    EXPECT_EQ(list.getCellContent(row, ListColumn::Bitrate), "0");
    EXPECT_EQ(list.getCellContent(row, ListColumn::Samplerate), "22.1");
    EXPECT_EQ(list.getCellContent(row, ListColumn::Duration), "75:00");
    EXPECT_EQ(list.getCellContent(row, ListColumn::Track), "123");

    settings.padTrackNumber = false;
    tagPtr->values[ValueKey::Track] = "7";
    audioPtr->info.clear();  // what the null reader gives: no audio cells
    commands.updateListItem(row, file);
    EXPECT_EQ(list.getCellContent(row, ListColumn::Track), "7");
    EXPECT_EQ(list.getCellContent(row, ListColumn::Bitrate), "");
    EXPECT_EQ(list.getCellContent(row, ListColumn::Samplerate), "");
    EXPECT_EQ(list.getCellContent(row, ListColumn::Duration), "");

    // Without automatic tag reading only name, folder and size are filled.
    settings.autoReadTags = false;
    const int plain = list.addRow("big.dat");
    commands.updateListItem(plain, file);
    EXPECT_EQ(list.getCellContent(plain, ListColumn::Size), "1 234.50 MB");
    EXPECT_EQ(list.getCellContent(plain, ListColumn::Artist), "");
    EXPECT_EQ(list.getCellContent(plain, ListColumn::Tags), "");

    AudioFile unread;  // a file object that holds no file changes nothing
    commands.updateListItem(plain, unread);
    commands.updateListItem(99, file);
    EXPECT_EQ(list.getCellContent(plain, ListColumn::Filename), "big.dat");
}

TEST_F(ListFixture, ShowFileFillsNamesAndSizeOrDropsAVanishedRow) {
    makeSizedFile(dir / "a.mp3", 5000);
    writeFile(dir / "b.mp3", "x");
    commands.scanFolder(dir.path(), false);
    ASSERT_TRUE(commands.showFile(1));
    EXPECT_EQ(ui.lastOf(2), "Filesize: 4 kB");
    EXPECT_EQ(ui.oldName, "a.mp3");
    EXPECT_EQ(ui.newName, "a.mp3");
    EXPECT_EQ(commands.filCurrent().fullPath(), dir / "a.mp3");

    commands.newNameBuilder = [](AudioFile& f) { return "new " + f.name(); };
    std::string shown;
    commands.fileShown = [&shown](AudioFile& f) { shown = f.name(); };
    ASSERT_TRUE(commands.showFile(2));
    EXPECT_EQ(ui.newName, "new b.mp3");
    EXPECT_EQ(shown, "b.mp3");

    ::unlink((dir / "a.mp3").c_str());
    EXPECT_FALSE(commands.showFile(1));
    EXPECT_EQ(ui.oldName, "The File Does Not Exist!");
    EXPECT_EQ(names(), (std::vector<std::string>{"b.mp3"}));
    EXPECT_EQ(ui.lastOf(1), "Total: 1 files (0 MB)");
}

TEST_F(ListFixture, SelectionAndMultiChangeRules) {
    for (const char* n : {"1.mp3", "2.mp3", "3.mp3", "4.mp3"}) writeFile(dir / n, "x");
    commands.scanFolder(dir.path(), false);

    commands.mouseDown(true);
    EXPECT_TRUE(commands.bMultiChange);
    commands.mouseDown(false);
    EXPECT_FALSE(commands.bMultiChange);
    const int cleared = ui.panesCleared;
    commands.mouseDrag(-44.9);
    EXPECT_FALSE(commands.bMultiChange);
    commands.mouseDrag(-45);
    EXPECT_TRUE(commands.bMultiChange);
    EXPECT_EQ(ui.panesCleared, cleared + 1);

    // A lone selected row is shown.
    commands.mouseDown(false);
    list.setSelected(2, true);
    EXPECT_TRUE(commands.rowClicked(2));
    EXPECT_EQ(ui.oldName, "2.mp3");

    // Ctrl-click on a neighbour of a selected row: multi-change, current file let go.
    list.setSelected(3, true);
    EXPECT_FALSE(commands.rowClicked(3));
    EXPECT_TRUE(commands.bMultiChange);
    EXPECT_EQ(commands.filCurrent().fullPath(), "");

    // A selected row that is no neighbour does not switch modes.
    commands.mouseDown(false);
    list.clearSelection();
    list.setSelected(1, true);
    list.setSelected(4, true);
    EXPECT_TRUE(commands.rowClicked(4));
    EXPECT_FALSE(commands.bMultiChange);

    commands.mouseDown(false);
    commands.selectAllFiles();
    EXPECT_EQ(list.selectedCount(), 4);
    EXPECT_TRUE(commands.bMultiChange);
    list.setSelected(2, false);
    commands.invertSelection();
    EXPECT_EQ(list.selectedCount(), 1);
    EXPECT_TRUE(list.selected(2));

    commands.nrTotalFiles = 0;  // nothing counted: clicks do nothing
    EXPECT_FALSE(commands.rowClicked(2));
}

TEST_F(ListFixture, RemovalCommands) {
    for (const char* n : {"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"}) writeFile(dir / n, "x");
    commands.scanFolder(dir.path(), false);

    list.setSelected(2, true);
    list.setSelected(3, true);
    commands.showFile(1);
    commands.removeSelectedFromList();
    EXPECT_EQ(names(), (std::vector<std::string>{"1.mp3", "4.mp3", "5.mp3"}));
    EXPECT_EQ(commands.nrTotalFiles, 3);
    EXPECT_EQ(commands.filCurrent().fullPath(), "");
    EXPECT_TRUE(pathExists(dir / "2.mp3"));

    ::unlink((dir / "4.mp3").c_str());
    commands.removeNonexistentFiles();
    EXPECT_EQ(names(), (std::vector<std::string>{"1.mp3", "5.mp3"}));
    EXPECT_EQ(ui.lastOf(1), "Total: 2 files (0 MB)");

    commands.clearFileList();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(commands.nrTotalFiles, 0);
    EXPECT_EQ(ui.lastOf(1), "Total: 0 files (0 MB)");
}

TEST_F(ListFixture, DeleteWalksFromTheEndAndKeepsRowsThatFailed) {
    for (const char* n : {"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"}) writeFile(dir / n, "x");
    commands.scanFolder(dir.path(), false);
    for (int row : {2, 3, 5}) list.setSelected(row, true);

    std::vector<std::string> trashed;
    const std::string failing = dir / "3.mp3";
    setTrashHandler([&](const std::string& path) {
        trashed.push_back(path);
        if (path == failing) return EACCES;
        return ::unlink(path.c_str()) == 0 ? 0 : errno;
    });
    settings.recycleFiles = true;
    ui.answers = {MessageAnswer::No};
    commands.deleteSelectedFiles();
    EXPECT_EQ(list.count(), 5);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, "Are you sure you want to move ALL selected file(s) to recycle bin?");
    EXPECT_EQ(ui.questions[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(ui.questions[0].icon, MessageIcon::Question);
    EXPECT_EQ(ui.questions[0].title, "Vorda");

    ui.answers = {MessageAnswer::Yes};
    commands.deleteSelectedFiles();
    setTrashHandler(nullptr);
    EXPECT_EQ(trashed, (std::vector<std::string>{dir / "5.mp3", dir / "3.mp3", dir / "2.mp3"}));
    EXPECT_EQ(names(), (std::vector<std::string>{"1.mp3", "3.mp3", "4.mp3"}));
    EXPECT_TRUE(list.selected(2));
    EXPECT_EQ(commands.nrTotalFiles, 3);
    // The failure is reported once, with the count and the first error.
    ASSERT_EQ(ui.questions.size(), 3u);
    EXPECT_EQ(ui.questions[2].text, "Delete failed for 1 file.\r\n\r\nFirst error: " + failing + ": Error " +
                                        std::to_string(EACCES) + " " + errorText(EACCES));
    EXPECT_EQ(ui.questions[2].buttons, MessageButtons::Ok);
    EXPECT_EQ(ui.questions[2].icon, MessageIcon::Error);

    settings.recycleFiles = false;
    ui.answers = {MessageAnswer::Yes};
    commands.deleteSelectedFiles();
    EXPECT_EQ(ui.questions.back().text, "Are you sure you want to delete ALL selected file(s) from your harddrive?");
    EXPECT_FALSE(pathExists(dir / "3.mp3"));
    EXPECT_EQ(names(), (std::vector<std::string>{"1.mp3", "4.mp3"}));

    // Files that cannot go (a name that became a folder, a file in a locked folder) are
    // counted; the first one met (from the end) is named.
    writeFile(dir / "locked/6.mp3", "x");
    commands.addToFileList("6.mp3", dir / "locked/");
    commands.addToFileList("1.mp3", dir.path());
    ::unlink((dir / "1.mp3").c_str());
    makeFolder(dir / "1.mp3");
    ::chmod((dir / "locked").c_str(), 0500);
    list.selectAll();
    ui.answers = {MessageAnswer::Yes};
    const size_t before = ui.questions.size();
    commands.deleteSelectedFiles();
    ::chmod((dir / "locked").c_str(), 0700);
    const bool root = ::geteuid() == 0;  // root may delete from a locked folder
    ASSERT_EQ(ui.questions.size(), before + 2);
    EXPECT_EQ(ui.questions.back().text.rfind(root ? "Delete failed for 2 files." : "Delete failed for 3 files.", 0), 0u)
        << ui.questions.back().text;
    EXPECT_NE(ui.questions.back().text.find("First error: " + dir / "1.mp3: Error " + std::to_string(EISDIR)),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "1.mp3"));
    EXPECT_EQ(list.count(), root ? 2 : 3);

    commands.clearFileList();
    const size_t asked = ui.questions.size();
    commands.deleteSelectedFiles();  // nothing listed: not even a question
    EXPECT_EQ(ui.questions.size(), asked);

    // Nothing fails: no message after the question.
    writeFile(dir / "7.mp3", "x");
    commands.addToFileList("7.mp3", dir.path());
    list.selectAll();
    ui.answers = {MessageAnswer::Yes};
    commands.deleteSelectedFiles();
    EXPECT_EQ(ui.questions.size(), asked + 1);
    EXPECT_EQ(list.count(), 0);
}

TEST_F(ListFixture, DroppedAndChosenPaths) {
    writeFile(dir / "folder/a.mp3", "x");
    writeFile(dir / "folder/sub/b.mp3", "x");
    writeFile(dir / "notes.txt", "x");
    writeFile(dir / "c.mp3", "x");
    writeFile(dir / "list.pls", "[playlist]\nFile1=c.mp3\n");
    commands.dropPaths({dir / "folder", dir / "notes.txt", dir / "list.pls", "   "}, true);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.mp3", "b.mp3", "notes.txt", "c.mp3"}));
    EXPECT_EQ(commands.nrTotalFiles, 4);

    list.clear();
    commands.addChosenFiles({dir / "list.pls"}, false);  // the filter decides, not the extension
    EXPECT_EQ(names(), (std::vector<std::string>{"list.pls"}));
    EXPECT_EQ(settings.lastDir, removeBackslash(dir.path()));
    commands.addChosenFiles({dir / "list.pls", dir / "list.pls"}, true);
    EXPECT_EQ(names(), (std::vector<std::string>{"list.pls", "c.mp3", "c.mp3"}));
    EXPECT_EQ(ui.lastOf(1), "Total: 3 files (0 MB)");
}
