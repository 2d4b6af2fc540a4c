// SPDX-License-Identifier: GPL-2.0-or-later

// The options that steer how tags are written and files are handled: which tags a file
// gets, how the ID3v2 tag is padded, how track numbers are written and what becomes of the
// file's attributes. The caller builds them from its settings and hands them to the file.
#pragma once

namespace vorda::tags {

// When a tag is written (the numbers are stored in the settings file).
enum class TagUse : int {
    IfNeeded = 0,  // only when it holds something the other tag cannot
    IfWanted = 1,  // when the file has it or the user adds it
    Always = 2,    // added at every write
    Never = 3      // removed at every write
};

// Answers to the question whether an existing file is overwritten (the numbers are stored in
// the settings file).
namespace file_exist_action {
enum FileExistAction { Ask = 1, Replace = 2, Skip = 4, Cancel = 8 };
}  // namespace file_exist_action
using file_exist_action::FileExistAction;

struct TagOptions {
    TagUse useId3v1 = TagUse::IfNeeded;
    TagUse useId3v2 = TagUse::IfNeeded;
    TagUse useLyrics3 = TagUse::IfNeeded;
    // The values of the ID3v1 and ID3v2 tags are made equal at each write.
    bool keepInSync = true;
    // Track numbers in the ID3v2 tag lose leading zeros and get trackDigits digits.
    bool padTrackNumber = true;
    int trackDigits = 2;
    // Padding of an ID3v2 tag written anew, and the most an ID3v2 tag written in place keeps.
    long long addPaddingSize = 512;
    long long maxPaddingSize = 2048;
    // A read-only file is written anyway (and gets its attributes back).
    bool ignoreReadOnly = false;
    // After a write the file gets the attributes below instead of keeping its own.
    bool changeAttributes = false;
    bool readOnly = false;
    bool hidden = false;
    bool archive = false;
    // A file replaced by a move, rename or copy goes to the trash instead of being deleted.
    bool recycleFiles = true;
};

}  // namespace vorda::tags
