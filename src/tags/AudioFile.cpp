// SPDX-License-Identifier: GPL-2.0-or-later

// One file on disk with its tag handler and audio reader.
#include "tags/AudioFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "base/FileOps.h"
#include "base/Text.h"
#include "tags/FileBytes.h"
#include "tags/Id3TagHandler.h"
#include "tags/MpegAudioInfo.h"
#include "tags/NoAudioInfo.h"
#include "tags/NoTagHandler.h"

using namespace vorda::base;

namespace vorda::tags {

namespace {

AudioFile::OverwriteQuestion& defaultQuestion() {
    static AudioFile::OverwriteQuestion question;
    return question;
}

// True when something (a file, a folder, even a dangling link) stands at the path.
bool entryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

// True when both paths name the same file on disk (same device and inode).
bool sameFileOnDisk(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    if (a.empty() || b.empty()) return false;
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Tidies the folder of a path once per process (see tidyFolder).
void tidyFolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    tidyFolder(slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash));
}

// The extension of a file name in lower case; empty when the name has no dot.
std::string lowerExtension(const std::string& fileName) {
    if (fileName.find('.') == std::string::npos) return {};
    return asciiLower(getExtension(fileName));
}

}  // namespace

AudioFile::AudioFile()
    : tag_(std::make_unique<Id3TagHandler>()), audio_(std::make_unique<MpegAudioInfo>()), ask_(defaultQuestion()) {}

AudioFile::~AudioFile() = default;

void AudioFile::setTag(std::unique_ptr<TagHandler> tag) {
    if (!tag) return;
    tag_ = std::move(tag);
    tag_->setOptions(options_);
}

void AudioFile::setOptions(const TagOptions& options) {
    options_ = options;
    tag_->setOptions(options_);
}

void AudioFile::setAudio(std::unique_ptr<AudioInfo> audio) {
    if (audio) audio_ = std::move(audio);
}

void AudioFile::setDefaultOverwriteQuestion(OverwriteQuestion question) { defaultQuestion() = std::move(question); }

int64_t AudioFile::fileSize() const {
    if (knownSize_ >= 0) return knownSize_;
    const std::string pending = pendingContent(fullPath_);
    struct stat st {};
    if (fullPath_.empty() || ::stat((pending.empty() ? fullPath_ : pending).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return static_cast<int64_t>(st.st_size);
}

std::string AudioFile::path() const { return getFolder(fullPath_); }

std::string AudioFile::name() const { return getFileName(fullPath_); }

void AudioFile::noteWritten() {
    knownSize_ = -1;
    // A rebuild still pending in a batch becomes the file as it is: its identity is kept by the rename.
    const std::string pending = pendingContent(fullPath_);
    const std::string& current = pending.empty() ? fullPath_ : pending;
    struct stat st {};
    identity_ = !current.empty() && ::stat(current.c_str(), &st) == 0 ? FileIdentity::of(st) : FileIdentity();
}

void AudioFile::reset() {
    fullPath_.clear();
    knownSize_ = -1;
    identity_ = {};
    tag_->reset();
    audio_->reset();
}

void AudioFile::setAttributes(int attributes) { setFileAttributes(fullPath_, attributes); }

int AudioFile::getAttributes() const { return getFileAttributes(fullPath_); }

bool AudioFile::setFileLength(int64_t newLength) {
    knownSize_ = -1;
    if (newLength < 0 || fileSize() <= newLength) return false;
    const int fd = ::open(fullPath_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool done = ::ftruncate(fd, static_cast<off_t>(newLength)) == 0;
    const bool closed = ::close(fd) == 0;
    noteWritten();
    return done && closed;
}

int AudioFile::askOverwrite(const std::string& source, const std::string& destination) const {
    return ask_ ? ask_(source, destination) : FileExistAction::Skip;
}

int AudioFile::move(const std::string& targetFolder) {
    knownSize_ = -1;
    if (targetFolder.empty() || fullPath_.empty()) return 0;
    // One final "/", however many were typed.
    std::string folder = targetFolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    folder = addBackslash(folder);
    if (folder == path() || folder == "/") return 0;

    const std::string destination = folder + name();
    // The same file reached through another spelling of its folder: already there.
    if (sameFileOnDisk(fullPath_, destination)) return 0;
    if (entryExists(destination) && askOverwrite(fullPath_, destination) != FileExistAction::Replace) return -1;

    const int result = shellFileOperation(fullPath_, destination, FileOperation::Move, options_.recycleFiles);
    if (result == 0) fullPath_ = destination;
    return result;
}

int AudioFile::rename(const std::string& newName) {
    knownSize_ = -1;
    if (fullPath_.empty()) return 0;
    const auto slash = newName.rfind('/');
    const std::string fileName = slash == std::string::npos ? newName : newName.substr(slash + 1);
    if (fileName.empty() || fileName == name()) return 0;
    if (fileName == "." || fileName == "..") return EINVAL;

    const std::string destination = path() + fileName;
    // Another file under the new name needs the user's consent; the same file seen under
    // another name (a case-insensitive file system, a hard link) is renamed directly.
    if (entryExists(destination) && !sameFileOnDisk(fullPath_, destination) &&
        askOverwrite(fullPath_, destination) != FileExistAction::Replace)
        return -1;

    const int result = shellFileOperation(fullPath_, destination, FileOperation::Rename, options_.recycleFiles);
    if (result == 0) fullPath_ = destination;
    return result;
}

int AudioFile::copy(const std::string& targetPath) {
    if (targetPath.empty() || fullPath_.empty() || targetPath == fullPath_) return 0;
    if (sameFileOnDisk(fullPath_, targetPath)) return 0;
    if (entryExists(targetPath) && askOverwrite(fullPath_, targetPath) != FileExistAction::Replace) return -1;
    return shellFileOperation(fullPath_, targetPath, FileOperation::Copy, options_.recycleFiles);
}

void AudioFile::selectHandlers() {
    const std::string extension = lowerExtension(name());
    if (extension == "mp3" || extension == "mp2") {
        tag_ = std::make_unique<Id3TagHandler>();
        audio_ = std::make_unique<MpegAudioInfo>();
    } else {
        tag_ = std::make_unique<NoTagHandler>();
        audio_ = std::make_unique<NoAudioInfo>();
    }
    tag_->setOptions(options_);
}

bool AudioFile::readFile(const std::string& path, bool readTags) {
    // Only a regular file (or a link to one) is read; folders, pipes and devices are not files.
    // The file is opened once: the tag handler and the audio reader read through its buffers.
    // Leftovers of a killed write in this folder are dealt with first: an unfinished in-place
    // rewrite is undone before the file is read.
    tidyFolderOf(path);
    FileBytes bytes;
    identity_ = {};
    // A file rebuilt in a batch that is not yet in place reads as its new content.
    const std::string pending = pendingContent(path);
    if (!bytes.open(pending.empty() ? path : pending)) {
        // A regular file that cannot be opened (no read permission) is still a file, with
        // nothing read from it.
        struct stat st {};
        if (path.empty() || bytes.error() == EINVAL || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return false;
        knownSize_ = static_cast<int64_t>(st.st_size);
    } else {
        knownSize_ = bytes.size();
        identity_ = FileIdentity::of(bytes.status());
    }

    fullPath_ = path;
    selectHandlers();
    struct Reading {
        FileBytes*& slot;
        ~Reading() { slot = nullptr; }
    } reading{reading_};
    reading_ = &bytes;
    if (readTags) tag_->tagRead(*this);
    const long start = tag_->tagPosition() + tag_->tagSize() - 1;
    if (auto* mpeg = dynamic_cast<MpegAudioInfo*>(audio_.get()))
        mpeg->readInfo(bytes, start);
    else
        audio_->readInfo(fullPath_, start);
    return true;
}

int AudioFile::putTags() {
    const TagOptions& s = options_;
    const int original = getAttributes();
    if (original == FileAttribute::ReadOnly && !s.ignoreReadOnly) return 0;
    if (original != 0) setAttributes(0);

    const int result = tag_->tagWrite();
    knownSize_ = -1;
    // Attributes go to the file as it will stay, not to one a pending rebuild replaces.
    if (s.changeAttributes || original != 0) commitIfPending(fullPath_);

    if (s.changeAttributes) {
        int attributes = 0;
        if (s.readOnly) attributes |= FileAttribute::ReadOnly;
        if (s.hidden) attributes |= FileAttribute::Hidden;
        if (s.archive) attributes |= FileAttribute::Archive;
        setAttributes(attributes);
    } else if (original != 0) {
        setAttributes(original);
    }
    return result;
}

}  // namespace vorda::tags
