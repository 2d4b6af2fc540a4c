// SPDX-License-Identifier: GPL-2.0-or-later

// File operations on real folders: move, copy, rename, delete, attributes, atomic writes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "base/FileOps.h"

using namespace vorda::base;

namespace {

void write(const std::string& path, const std::string& data) { testsupport::writeBytes(path, data); }
std::string read(const std::string& path) { return testsupport::readBytes(path); }

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

mode_t mode(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    return names;
}

class FileOpsTest : public ::testing::Test {
protected:
    void TearDown() override { setTrashHandler(nullptr); }
    testsupport::TempFolder scratch_;
    const std::string dir_ = scratch_.path();
};

}  // namespace

TEST_F(FileOpsTest, MoveRenameAndCopyReplaceWithoutAsking) {
    write(dir_ + "a.mp3", "AAA");
    write(dir_ + "b.mp3", "BBB");
    ASSERT_TRUE(createFolderTree(dir_ + "sub"));

    EXPECT_EQ(shellFileOperation(dir_ + "a.mp3", dir_ + "sub/a.mp3", FileOperation::Move, false), 0);
    EXPECT_FALSE(exists(dir_ + "a.mp3"));
    EXPECT_EQ(read(dir_ + "sub/a.mp3"), "AAA");

    EXPECT_EQ(shellFileOperation(dir_ + "sub/a.mp3", dir_ + "b.mp3", FileOperation::Copy, false), 0);
    EXPECT_EQ(read(dir_ + "b.mp3"), "AAA");
    EXPECT_EQ(read(dir_ + "sub/a.mp3"), "AAA");

    EXPECT_EQ(shellFileOperation(dir_ + "b.mp3", dir_ + "sub/a.mp3", FileOperation::Rename, false), 0);
    EXPECT_FALSE(exists(dir_ + "b.mp3"));
    EXPECT_EQ(read(dir_ + "sub/a.mp3"), "AAA");

    // A folder moves and copies with everything in it.
    write(dir_ + "sub/c.txt", "C");
    EXPECT_EQ(shellFileOperation(dir_ + "sub", dir_ + "copy", FileOperation::Copy, false), 0);
    EXPECT_EQ(read(dir_ + "copy/c.txt"), "C");
    EXPECT_EQ(shellFileOperation(dir_ + "copy", dir_ + "moved", FileOperation::Move, false), 0);
    EXPECT_EQ(read(dir_ + "moved/a.mp3"), "AAA");
    EXPECT_FALSE(exists(dir_ + "copy"));
}

TEST_F(FileOpsTest, SameFileIsNeverTruncatedOrDeleted) {
    write(dir_ + "a.mp3", "payload");
    ASSERT_EQ(::link((dir_ + "a.mp3").c_str(), (dir_ + "hard.mp3").c_str()), 0);
    const std::vector<std::string> aliases = {dir_ + "a.mp3", dir_ + "./a.mp3", dir_ + "hard.mp3"};
    for (const auto& alias : aliases) {
        for (int op : {FileOperation::Copy, FileOperation::Move, FileOperation::Rename}) {
            SCOPED_TRACE(alias + " op " + std::to_string(op));
            EXPECT_EQ(shellFileOperation(dir_ + "a.mp3", alias, op, false), 0);
            EXPECT_EQ(read(dir_ + "a.mp3"), "payload");
        }
    }
}

TEST_F(FileOpsTest, CopyKeepsPermissionsAndTimesAndLeavesNoTemporaryFile) {
    write(dir_ + "src.mp3", std::string(300000, 'x'));
    ASSERT_EQ(::chmod((dir_ + "src.mp3").c_str(), 0640), 0);
    const struct timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir_ + "src.mp3").c_str(), times, 0), 0);

    ASSERT_EQ(shellFileOperation(dir_ + "src.mp3", dir_ + "dst.mp3", FileOperation::Copy, false), 0);
    struct stat st {};
    ASSERT_EQ(::stat((dir_ + "dst.mp3").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 500);
    EXPECT_EQ(read(dir_ + "dst.mp3"), std::string(300000, 'x'));
    EXPECT_EQ(entries(dir_).size(), 2u);
}

TEST_F(FileOpsTest, FailuresReturnErrnoAndKeepTheSource) {
    write(dir_ + "a.mp3", "AAA");
    EXPECT_EQ(shellFileOperation(dir_ + "missing.mp3", dir_ + "x.mp3", FileOperation::Move, false), ENOENT);
    EXPECT_EQ(shellFileOperation(dir_ + "missing.mp3", dir_ + "x.mp3", FileOperation::Copy, false), ENOENT);
    EXPECT_EQ(shellFileOperation(dir_ + "missing.mp3", "", FileOperation::Delete, false), ENOENT);
    for (int op : {FileOperation::Move, FileOperation::Copy, FileOperation::Rename}) {
        EXPECT_EQ(shellFileOperation(dir_ + "a.mp3", dir_ + "nofolder/a.mp3", op, false), ENOENT);
        EXPECT_EQ(read(dir_ + "a.mp3"), "AAA");
    }
    ASSERT_TRUE(createFolderTree(dir_ + "folder"));
    EXPECT_EQ(shellFileOperation(dir_ + "a.mp3", dir_ + "folder", FileOperation::Copy, false), EISDIR);
    EXPECT_EQ(shellFileOperation(dir_ + "a.mp3", dir_ + "x", 99, false), EINVAL);
    EXPECT_EQ(read(dir_ + "a.mp3"), "AAA");
    EXPECT_EQ(entries(dir_).size(), 2u);  // no temporary file left behind

    // A copy that runs out of room (here: the file-size limit) keeps the old destination.
    write(dir_ + "big.mp3", std::string(200000, 'b'));
    write(dir_ + "old.mp3", "old");
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = shellFileOperation(dir_ + "big.mp3", dir_ + "old.mp3", FileOperation::Copy, false);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(result, EFBIG);
    EXPECT_EQ(read(dir_ + "old.mp3"), "old");
    EXPECT_EQ(entries(dir_).size(), 4u);
}

TEST_F(FileOpsTest, MoveAcrossFileSystemsCopiesThenDeletes) {
    struct stat tmp {};
    struct stat shm {};
    if (::stat(dir_.c_str(), &tmp) != 0 || ::stat("/dev/shm", &shm) != 0 || tmp.st_dev == shm.st_dev)
        GTEST_SKIP() << "/dev/shm is not another file system here";
    const testsupport::TempFolder otherFileSystem("/dev/shm");
    const std::string other = otherFileSystem.path();

    write(dir_ + "a.mp3", "cross");
    ASSERT_EQ(::chmod((dir_ + "a.mp3").c_str(), 0604), 0);
    const struct timespec times[2] = {{1000000000, 0}, {1100000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir_ + "a.mp3").c_str(), times, 0), 0);
    EXPECT_EQ(shellFileOperation(dir_ + "a.mp3", other + "a.mp3", FileOperation::Move, false), 0);
    EXPECT_FALSE(exists(dir_ + "a.mp3"));
    EXPECT_EQ(read(other + "a.mp3"), "cross");
    struct stat st {};
    ASSERT_EQ(::stat((other + "a.mp3").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);

    ASSERT_TRUE(createFolderTree(dir_ + "tree"));
    write(dir_ + "tree/in.txt", "inside");
    EXPECT_EQ(shellFileOperation(dir_ + "tree", other + "tree", FileOperation::Move, false), 0);
    EXPECT_FALSE(exists(dir_ + "tree"));
    EXPECT_EQ(read(other + "tree/in.txt"), "inside");

    // A missing target folder on the other file system leaves the source alone.
    write(dir_ + "b.mp3", "stay");
    EXPECT_EQ(shellFileOperation(dir_ + "b.mp3", other + "none/b.mp3", FileOperation::Move, false), ENOENT);
    EXPECT_EQ(read(dir_ + "b.mp3"), "stay");
}

TEST_F(FileOpsTest, NamesAreBytesUsedExactlyAsGiven) {
    const std::string odd = dir_ + "\xff\xfe name.mp3";
    write(odd, "bytes");
    EXPECT_EQ(shellFileOperation(odd, dir_ + "\xff.mp3", FileOperation::Rename, false), 0);
    EXPECT_EQ(read(dir_ + "\xff.mp3"), "bytes");
    EXPECT_EQ(shellFileOperation(dir_ + "\xff.mp3", dir_ + "\xfe copy.mp3", FileOperation::Copy, false), 0);
    EXPECT_EQ(read(dir_ + "\xfe copy.mp3"), "bytes");
    ASSERT_TRUE(createFolderTree(dir_ + "\xff dir"));
    EXPECT_EQ(shellFileOperation(dir_ + "\xff.mp3", dir_ + "\xff dir/\xff.mp3", FileOperation::Move, false), 0);
    EXPECT_EQ(read(dir_ + "\xff dir/\xff.mp3"), "bytes");
    EXPECT_EQ(shellFileOperation(dir_ + "\xfe copy.mp3", "", FileOperation::Delete, false), 0);
    EXPECT_FALSE(exists(dir_ + "\xfe copy.mp3"));

    // Blanks at either end belong to the name.
    write(dir_ + " padded.mp3 ", "blank");
    write(dir_ + "padded.mp3", "other");
    EXPECT_EQ(shellFileOperation(dir_ + " padded.mp3 ", dir_ + " moved.mp3", FileOperation::Move, false), 0);
    EXPECT_EQ(read(dir_ + " moved.mp3"), "blank");
    EXPECT_EQ(read(dir_ + "padded.mp3"), "other");
}

TEST_F(FileOpsTest, DeleteUsesTheTrashHandlerOnlyWhenAskedTo) {
    write(dir_ + "a.mp3", "A");
    std::vector<std::string> trashed;
    setTrashHandler([&](const std::string& path) {
        trashed.push_back(path);
        return path.find("locked") != std::string::npos ? EACCES : 0;
    });
    EXPECT_EQ(shellFileOperation(dir_ + "a.mp3", "", FileOperation::Delete, true), 0);
    ASSERT_EQ(trashed.size(), 1u);
    EXPECT_EQ(trashed[0], dir_ + "a.mp3");
    EXPECT_TRUE(exists(dir_ + "a.mp3"));  // the handler owns what happens to it

    write(dir_ + "locked.mp3", "L");
    EXPECT_EQ(shellFileOperation(dir_ + "locked.mp3", "", FileOperation::Delete, true), EACCES);

    EXPECT_EQ(shellFileOperation(dir_ + "a.mp3", "", FileOperation::Delete, false), 0);
    EXPECT_FALSE(exists(dir_ + "a.mp3"));
    EXPECT_EQ(trashed.size(), 2u);

    setTrashHandler(nullptr);
    ASSERT_TRUE(createFolderTree(dir_ + "tree/deep/er"));
    write(dir_ + "tree/deep/er/f.txt", "f");
    EXPECT_EQ(shellFileOperation(dir_ + "tree", "", FileOperation::Delete, true), 0);
    EXPECT_FALSE(exists(dir_ + "tree"));
}

TEST_F(FileOpsTest, CreateFolderTreeMakesEveryMissingParent) {
    EXPECT_TRUE(createFolderTree(dir_ + "a/b/c/"));
    EXPECT_TRUE(std::filesystem::is_directory(dir_ + "a/b/c"));
    EXPECT_TRUE(createFolderTree(dir_ + "a/b"));  // exists already
    write(dir_ + "file", "x");
    EXPECT_FALSE(createFolderTree(dir_ + "file"));
    EXPECT_FALSE(createFolderTree(dir_ + "file/sub"));
    EXPECT_FALSE(createFolderTree(""));
}

TEST_F(FileOpsTest, AttributesMapToWritePermissionAndDotNames) {
    write(dir_ + "a.mp3", "A");
    ASSERT_EQ(::chmod((dir_ + "a.mp3").c_str(), 0664), 0);
    EXPECT_EQ(getFileAttributes(dir_ + "a.mp3"), 0);

    setFileAttributes(dir_ + "a.mp3", FileAttribute::ReadOnly | FileAttribute::Hidden | FileAttribute::Archive);
    EXPECT_EQ(mode(dir_ + "a.mp3"), 0444u);
    EXPECT_EQ(getFileAttributes(dir_ + "a.mp3"), FileAttribute::ReadOnly);
    EXPECT_TRUE(exists(dir_ + "a.mp3"));  // hidden is never set by renaming

    setFileAttributes(dir_ + "a.mp3", 0);
    EXPECT_EQ(mode(dir_ + "a.mp3"), 0644u);
    EXPECT_EQ(getFileAttributes(dir_ + "a.mp3"), 0);

    write(dir_ + ".hidden.mp3", "H");
    ASSERT_EQ(::chmod((dir_ + ".hidden.mp3").c_str(), 0444), 0);
    EXPECT_EQ(getFileAttributes(dir_ + ".hidden.mp3"), FileAttribute::ReadOnly | FileAttribute::Hidden);
    EXPECT_EQ(getFileAttributes(dir_ + "missing"), 0);
    setFileAttributes(dir_ + "missing", FileAttribute::ReadOnly);  // ignored
    EXPECT_FALSE(exists(dir_ + "missing"));
}

TEST_F(FileOpsTest, WriteFileAtomicallyReplacesInOneStep) {
    EXPECT_EQ(writeFileAtomically(dir_ + "settings.ini", "one"), 0);
    EXPECT_EQ(read(dir_ + "settings.ini"), "one");

    ASSERT_EQ(::chmod((dir_ + "settings.ini").c_str(), 0600), 0);
    EXPECT_EQ(writeFileAtomically(dir_ + "settings.ini", "two"), 0);
    EXPECT_EQ(read(dir_ + "settings.ini"), "two");
    EXPECT_EQ(mode(dir_ + "settings.ini"), 0600u);
    if (::setxattr((dir_ + "settings.ini").c_str(), "user.origin", "me", 2, 0) == 0) {
        EXPECT_EQ(writeFileAtomically(dir_ + "settings.ini", "two"), 0);
        char value[4] = {};
        EXPECT_EQ(::getxattr((dir_ + "settings.ini").c_str(), "user.origin", value, sizeof value), 2);
    }

    // A link stays a link; its target gets the text.
    ASSERT_EQ(::symlink("settings.ini", (dir_ + "link.ini").c_str()), 0);
    EXPECT_EQ(writeFileAtomically(dir_ + "link.ini", "three"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir_ + "link.ini"));
    EXPECT_EQ(read(dir_ + "settings.ini"), "three");

    EXPECT_EQ(writeFileAtomically(dir_ + "none/x.ini", "x"), ENOENT);
    EXPECT_EQ(entries(dir_).size(), 2u);

    // Only a regular file is replaced; a pipe or a folder under the name stays what it is.
    ASSERT_EQ(::mkfifo((dir_ + "pipe.ini").c_str(), 0600), 0);
    EXPECT_EQ(writeFileAtomically(dir_ + "pipe.ini", "x"), EINVAL);
    EXPECT_EQ(writeFileAtomically(dir_, "x"), EISDIR);
    EXPECT_TRUE(std::filesystem::is_fifo(dir_ + "pipe.ini"));
    // A writer that fails leaves the old content and no temporary file behind.
    EXPECT_EQ(replaceFileAtomically(dir_ + "settings.ini", [](int) { return ENOSPC; }), ENOSPC);
    EXPECT_EQ(read(dir_ + "settings.ini"), "three");
    EXPECT_EQ(entries(dir_).size(), 3u);
}

TEST(WriteErrors, TravelAsErrorCodesWithTheirNumbersAndTexts) {
    const std::error_code changed = WriteError::FileChanged;
    EXPECT_EQ(changed.value(), 2001);
    EXPECT_EQ(&changed.category(), &writeErrorCategory());
    EXPECT_EQ(errorCodeOf(errorNumber(WriteError::NotAudio)), std::error_code(WriteError::NotAudio));
    EXPECT_EQ(errorCodeOf(2003).message(), "The ID3v2 tag claims more bytes than the file holds.");
    EXPECT_EQ(errorText(2001), changed.message());
    EXPECT_EQ(errorCodeOf(ENOENT), std::make_error_code(std::errc::no_such_file_or_directory));
    EXPECT_EQ(errorText(ENOENT), std::string(std::strerror(ENOENT)));
    EXPECT_FALSE(errorCodeOf(0));
}
