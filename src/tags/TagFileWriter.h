// The byte work behind tag writing: replacing the tag regions of a file in place, and
// rebuilding a file through a temporary file that is renamed over it in one step.
//
// Every function returns 0 or an errno value. A failure leaves the file as it was: the
// in-place writer puts the old bytes back, the rebuild never touches the original before
// the final rename.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vorda {
class FileBytes;
}

namespace vorda::tagfile {

// One piece of a rebuilt file: either a range of the original file or literal bytes.
struct Piece {
    int64_t offset = 0;  // 0-based offset in the original (range pieces)
    int64_t length = 0;  // number of bytes of the original (range pieces)
    std::string bytes;   // literal bytes (used when length is 0)

    static Piece Range(int64_t offset, int64_t length) { return {offset, length, {}}; }
    static Piece Bytes(std::string bytes) { return {0, 0, std::move(bytes)}; }
};

// The ID3v2 tag as it stands on disk at a 0-based offset: its total size (header, body and
// footer), or -1 when no valid ID3v2 header is there. *error gets an errno value when the
// file cannot be read (0 otherwise).
int64_t ID3v2SizeAt(const std::string& path, int64_t offset, int* error);
// The same on an open file (one small read, usually served by its buffer).
int64_t ID3v2SizeAt(FileBytes& file, int64_t offset, int* error);

// Length of the file, or -1 with *error set.
int64_t FileLength(const std::string& path, int* error);

// Writes head at headOffset over exactly head.size() old bytes, then tail at tailOffset
// (over the old trailing region, appending when longer) and cuts the file after it.
// Bytes outside [headOffset, headOffset + head.size()) and [tailOffset, end) never change.
// When any step fails, the old bytes and the old length are put back.
// Only the bytes that differ from what is on disk are written. There is no flush: an overwrite
// cannot be made atomic by one, and the audio is never touched.
int WriteInPlace(const std::string& path, int64_t headOffset, const std::string& head, int64_t tailOffset,
                 const std::string& tail);
// The same on a file opened for writing (FileBytes::Open with forWriting), which it closes.
int WriteInPlace(FileBytes& file, int64_t headOffset, const std::string& head, int64_t tailOffset,
                 const std::string& tail);

// Rebuilds the file from the pieces: a temporary file (mkstemp) in the same folder gets the
// new content, is flushed to disk, gets the original's permissions and owner, and is renamed
// over the original. A symbolic link is followed: the file it points to is rebuilt. Range
// pieces are checked against the file's length before anything is written.
int RebuildFile(const std::string& path, const std::vector<Piece>& pieces);

}  // namespace vorda::tagfile
