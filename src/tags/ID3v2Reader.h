// Finds and reads the bytes of an ID3v2 tag near the start of a file.
#pragma once

#include <string>
#include <string_view>

namespace vorda {

// How far into a file the "ID3" of a tag may start (0-based offsets 0..1023).
inline constexpr long kID3v2SearchRange = 1024;

// True when the 10 bytes at the start of header form a valid ID3v2 header: "ID3", major version
// 2 to 4, revision not 0xFF, every size byte below 0x80.
bool IsValidID3v2Header(std::string_view header);

// The 0-based offset of the first valid ID3v2 header starting within the first 1024 bytes of
// head; -1 when there is none.
long FindID3v2Header(std::string_view head);

// Reads the bytes of a file's ID3v2 tag: header, body and footer, cut at the end of the file when
// the declared size runs past it. offset gets the 0-based position of the header. False when the
// file cannot be read or has no tag in its first 1024 bytes.
bool ReadID3v2Bytes(const std::string& path, std::string& tag, long& offset);

class FileBytes;
// The same on an open file, without copying: tag views the file's buffer (valid until the next
// read through it).
bool FindID3v2Bytes(FileBytes& file, std::string_view& tag, long& offset);

}  // namespace vorda
