// SPDX-License-Identifier: GPL-2.0-or-later

// One file on disk: its path, its tag handler and its audio reader, and the file
// operations the rest of Vorda needs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "tags/AudioInfo.h"
#include "tags/TagFileWriter.h"
#include "tags/TagHandler.h"
#include "tags/TagOptions.h"

namespace vorda::tags {

class FileBytes;

class AudioFile {
public:
    // The overwrite question: (source, destination) -> FileExistAction::Replace, FileExistAction::Skip or
    // FileExistAction::Cancel.
    using OverwriteQuestion = std::function<int(const std::string& source, const std::string& destination)>;

    AudioFile();
    ~AudioFile();
    AudioFile(const AudioFile&) = delete;
    AudioFile& operator=(const AudioFile&) = delete;

    TagHandler& tag() { return *tag_; }
    const TagHandler& tag() const { return *tag_; }
    AudioInfo& audio() { return *audio_; }
    const AudioInfo& audio() const { return *audio_; }
    void setTag(std::unique_ptr<TagHandler> tag);
    void setAudio(std::unique_ptr<AudioInfo> audio);

    // Length in bytes, 0 when the file does not exist. Known from readFile until the file is
    // written, truncated, moved or renamed through this object (or sizeChanged is called);
    // asked of the file system otherwise.
    int64_t fileSize() const;
    // Forgets the length known from readFile (the tag handlers call it after writing).
    void sizeChanged() { knownSize_ = -1; }
    // The open file while readFile runs, for the handlers to read through; nullptr otherwise.
    FileBytes* readingBytes() const { return reading_; }
    // The file as readFile found it (or as this object last wrote it): a write refuses to act
    // on a file that differs from it. Unknown when the file could not be opened.
    const FileIdentity& readIdentity() const { return identity_; }
    // Takes the file's present state as the one read (the tag handlers call it after writing).
    void noteWritten();
    const std::string& fullPath() const { return fullPath_; }
    // Folder of fullPath, ending with "/".
    std::string path() const;
    // File name with extension.
    std::string name() const;

    void reset();
    void setAttributes(int attributes);
    int getAttributes() const;
    // Truncates the file; only shortens. False when nothing was done or it failed.
    bool setFileLength(int64_t newLength);
    // 0 on success or nothing to do, an errno value on failure, -1 when overwriting was declined.
    int move(const std::string& targetFolder);
    int rename(const std::string& newName);
    int copy(const std::string& targetPath);
    // The options the tag handler and the file operations follow from now on; the caller
    // sets them before each read or write so that a changed option acts at once.
    void setOptions(const TagOptions& options);
    const TagOptions& options() const { return options_; }
    // Binds the object to a file, chooses the handlers, reads tags (when readTags) and audio info.
    bool readFile(const std::string& path, bool readTags);
    // Writes the tags back with the read-only and attribute rules.
    int putTags();

    // The question asked before moving, renaming or copying over an existing file.
    // Without one, the answer is FileExistAction::Skip.
    void setOverwriteQuestion(OverwriteQuestion question) { ask_ = std::move(question); }
    // The default question for every new file object (the main window installs its own).
    static void setDefaultOverwriteQuestion(OverwriteQuestion question);

private:
    void selectHandlers();
    int askOverwrite(const std::string& source, const std::string& destination) const;

    std::unique_ptr<TagHandler> tag_;
    std::unique_ptr<AudioInfo> audio_;
    std::string fullPath_;
    TagOptions options_;
    OverwriteQuestion ask_;
    int64_t knownSize_ = -1;
    FileIdentity identity_;
    FileBytes* reading_ = nullptr;
};

}  // namespace vorda::tags
