// SPDX-License-Identifier: GPL-2.0-or-later

// Finds and reads the bytes of an ID3v2 tag near the start of a file.
#pragma once

#include <string>
#include <string_view>

namespace vorda::tags {

// How far into a file the "ID3" of a tag may start (0-based offsets below this), the reach of
// the search for the first audio frame.
inline constexpr long kID3v2SearchRange = 102400;

// True when the 10 bytes at the start of header form a valid ID3v2 header: "ID3", major version
// 2 to 4, revision not 0xFF, every size byte below 0x80.
bool isValidID3v2Header(std::string_view header);

// True when the bytes at the start of header look like the beginning of an ID3v2 header of any
// kind: "ID3", a major version 2 to 4 and a revision other than 0xFF, whatever its flags and
// size bytes hold. Bytes that begin like this are a tag's, even one that cannot be read.
bool looksLikeID3v2Header(std::string_view header);

// The 0-based offset of the first valid ID3v2 header in head that starts in front of the first
// MPEG audio frame (a valid frame header followed by a frame header of the same stream) and
// within the first kID3v2SearchRange bytes; -1 when there is none. Junk of any length within
// that range may lie in front of the tag.
long findID3v2Header(std::string_view head);

// Reads the bytes of a file's ID3v2 tag: header, body and footer, cut at the end of the file when
// the declared size runs past it. offset gets the 0-based position of the header. False when the
// file cannot be read or has no tag in front of its audio (see findID3v2Header).
bool readID3v2Bytes(const std::string& path, std::string& tag, long& offset);

class FileBytes;
// The same on an open file, without copying: tag views the file's buffer (valid until the next
// read through it).
bool findID3v2Bytes(FileBytes& file, std::string_view& tag, long& offset);

}  // namespace vorda::tags
