// SPDX-License-Identifier: GPL-2.0-or-later

// The byte work behind tag writing: replacing the tag regions of a file in place, and
// rebuilding a file through a temporary file that is renamed over it in one step.
//
// Every function returns 0 or an errno value. A failure leaves the file as it was: the
// in-place writer puts the old bytes back, the rebuild never touches the original before
// the final rename.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vorda::tags {
class FileBytes;
}

namespace vorda::tags {

// What tells a file apart from its earlier and later states: the same inode with the same
// length and the same modification time is taken to be unchanged (a change of its mode alone,
// as the read-only handling makes, is no change of its content).
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    int64_t size = -1;     // -1: nothing known
    int64_t modified = 0;  // nanoseconds

    static FileIdentity of(const struct stat& st);
    bool known() const { return size >= 0; }
    bool operator==(const FileIdentity&) const = default;
};

// The largest changed span an in-place write puts down as it is: one write within one page of
// the file, which a killed process leaves either undone or complete.
inline constexpr int64_t kPageSize = 4096;

// One piece of a rebuilt file: either a range of the original file or literal bytes.
struct Piece {
    int64_t offset = 0;  // 0-based offset in the original (range pieces)
    int64_t length = 0;  // number of bytes of the original (range pieces)
    std::string bytes;   // literal bytes (used when length is 0)

    static Piece range(int64_t offset, int64_t length) { return {offset, length, {}}; }
    static Piece literal(std::string bytes) { return {0, 0, std::move(bytes)}; }
};

// The ID3v2 tag as it stands on disk at a 0-based offset: its total size (header, body and
// footer), or -1 when no valid ID3v2 header is there. *error gets an errno value when the
// file cannot be read (0 otherwise).
int64_t id3v2SizeAt(const std::string& path, int64_t offset, int* error);
// The same on an open file (one small read, usually served by its buffer).
int64_t id3v2SizeAt(FileBytes& file, int64_t offset, int* error);

// Length of the file, or -1 with *error set.
int64_t fileLength(const std::string& path, int* error);

// Writes head at headOffset over exactly head.size() old bytes, then tail at tailOffset
// (over the old trailing region, appending when longer) and cuts the file after it.
// Bytes outside [headOffset, headOffset + head.size()) and [tailOffset, end) never change.
// When any step fails, the old bytes and the old length are put back.
// Only the bytes that differ from what is on disk are written, and only when each region's
// changed bytes lie within one page (a kill leaves each tag old or new, never half of each)
// and the tail keeps its length or goes away; otherwise nothing is written and the result is
// kNeedsRebuild. There is no flush: the audio is never touched.
int writeInPlace(const std::string& path, int64_t headOffset, const std::string& head, int64_t tailOffset,
                 const std::string& tail);
// The same on a file opened for writing (FileBytes::Open with forWriting), which it closes
// unless the result is kNeedsRebuild.
int writeInPlace(FileBytes& file, int64_t headOffset, const std::string& head, int64_t tailOffset,
                 const std::string& tail);
// writeInPlace's answer when the change is too large to be put down in place safely.
inline constexpr int kNeedsRebuild = -2;

// Rebuilds the file from the pieces: a temporary file (mkstemp) in the same folder gets the
// new content, is flushed to disk, gets the original's permissions, owner, group and extended
// attributes, and is renamed over the original. A symbolic link is followed: the file it
// points to is rebuilt and the link stays a link. Range pieces are checked against the file's
// length before anything is written. When expected is known, the file must still be that one
// (WriteError::FileChanged otherwise), before the copy and until the rename.
// A file with several hard links, or one whose owner, group or attributes the temporary file
// cannot get, is rewritten in place instead, behind an undo copy of the bytes it overwrites
// that is flushed first and put back by tidyFolder when the write did not finish.
int rebuildFile(const std::string& path, const std::vector<Piece>& pieces, const FileIdentity& expected = {});

// A run that rebuilds many files makes them durable together. While a DeferredRebuilds object
// lives, rebuildFile writes the temporary file and leaves it pending; Commit (or the end of the
// object, or too many pending files) flushes all of them with one flush of their file system,
// exchanges each with its original when the original is still the file that was rebuilt, and
// flushes each folder once. Every original is still replaced only by a durable complete copy.
// The old copies that nobody else holds open, with one name and no extended attributes, take
// the content of later rebuilds in their folder (overwriting a file is much cheaper than making
// one and freeing another); the others are removed at once, the unused ones by Commit and the
// end of the object. A killed run leaves old copies under Vorda's temporary names, which
// tidyFolder removes. While old copies are reused, a batch is committed when they run out.
// A pending file reads as its new content (pendingContent); writing it again commits first.
class DeferredRebuilds {
public:
    struct Failure {
        std::string path;  // as given to rebuildFile
        int error = 0;
    };
    static constexpr size_t kMaxPending = 500;
    static constexpr int64_t kMaxPendingBytes = int64_t(512) << 20;

    // Only the outermost object of a thread's nested ones defers; inner ones do nothing.
    DeferredRebuilds();
    ~DeferredRebuilds();
    DeferredRebuilds(const DeferredRebuilds&) = delete;
    DeferredRebuilds& operator=(const DeferredRebuilds&) = delete;

    // Puts every pending file in place; the files that could not be, since the object was made
    // or since the last Commit.
    std::vector<Failure> commit();

private:
    bool active_ = false;
};

// The temporary file holding the pending new content of path, or "" when path is not pending.
std::string pendingContent(const std::string& path);
// Commits the pending rebuilds when path is one of them (before it is written again).
void commitIfPending(const std::string& path);

// Vorda's own leftovers in a folder: puts back the old bytes of in-place rewrites that a killed
// process did not finish, and removes temporary files of killed rebuilds (those no process
// holds and that are older than kStaleAfterSeconds). Runs once per folder and process; cheap
// to call again.
void tidyFolder(const std::string& folder);
inline constexpr int kStaleAfterSeconds = 600;
// The name prefix of Vorda's temporary and undo files.
inline constexpr const char* kTempPrefix = ".~vorda-";

}  // namespace vorda::tags
