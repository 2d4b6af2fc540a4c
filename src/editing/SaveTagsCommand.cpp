// SPDX-License-Identifier: GPL-2.0-or-later

// "Save tags" for one file and for several files.
#include "editing/SaveTagsCommand.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <system_error>

#include "base/FileOps.h"
#include "editing/BatchTagCommands.h"
#include "editing/FieldEdit.h"
#include "editing/FrameCommands.h"
#include "editing/TagFieldRules.h"
#include "tags/AudioFile.h"
#include "tags/TagFileWriter.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace vorda::editing {

namespace {

constexpr const char* kCRLF = "\r\n";

std::string& field(TagPanes& panes, int index) { return panes.txtField[static_cast<size_t>(index)]; }

bool isReadOnlyForSave(const std::string& path, const Settings& s) {
    return getFileAttributes(path) == FileAttribute::ReadOnly && !s.ignoreReadOnly;
}

}  // namespace

std::string writeErrorText(int error) {
    std::string text = "Error " + std::to_string(error) + " occured while writing tags.";
    if (error == EACCES || error == EPERM)
        text += " Permission denied. " + std::string(kCRLF) + "Make sure the file is not in use.";
    if (errorCodeOf(error).category() == writeErrorCategory()) text += std::string(kCRLF) + errorText(error);
    return text;
}

std::string elapsedSecondsText(double seconds) {
    if (!(seconds > 0) || !std::isfinite(seconds)) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", seconds);
    std::string text(buf);
    if (text.find('e') != std::string::npos) {
        std::snprintf(buf, sizeof buf, "%.9f", seconds);
        text = buf;
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
    }
    return text;
}

void writeMarkedFields(TagHandler& tag, const TagPanes& panes, bool advanced, bool v1) {
    const int first = advanced && v1 ? 11 : 0;
    const int last = advanced && v1 ? 16 : 10;
    auto write = [&tag](int key, const std::string& text) {
        if (key < 0) return;
        tag.setValue(key, applyFieldEdit(text, tag.getValue(key), true));
    };
    for (int i = first; i <= last; ++i)
        if (panes.chkField[static_cast<size_t>(i)])
            write(fieldKey(i, advanced), panes.txtField[static_cast<size_t>(i)]);
    const bool genreMarked = advanced && v1 ? panes.chkV1Genre : panes.chkGenre;
    if (genreMarked) write(genreKey(advanced && v1, advanced), advanced && v1 ? panes.cmbV1Genre : panes.cmbGenre);
}

SaveTagsCommand::SaveTagsCommand(ListCommands& commands, UserInterface& ui, Settings& settings)
    : cmds_(commands), ui_(ui), settings_(settings) {}

SaveTagsCommand::Outcome SaveTagsCommand::run(TagPanes& panes) {
    saved_ = failed_ = 0;
    firstError_.clear();
    if (cmds_.list().count() == 0) return Outcome::Nothing;
    const bool advanced = settings_.advancedMode;
    try {
        return cmds_.bMultiChange ? saveMany(panes, advanced) : saveOne(panes, advanced);
    } catch (const std::exception& e) {
        int number = 0;
        if (const auto* se = dynamic_cast<const std::system_error*>(&e)) number = se->code().value();
        if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) number = ENOMEM;
        ui_.setProgress(0, 0);
        ui_.ask("Error while saving tag." + std::string(kCRLF) + kCRLF + "Error: " + std::to_string(number) + kCRLF +
                    e.what(),
                MessageButtons::Ok, MessageIcon::Error);
        return Outcome::Failed;
    }
}

SaveTagsCommand::Outcome SaveTagsCommand::saveOne(TagPanes& panes, bool advanced) {
    const auto started = std::chrono::steady_clock::now();
    FileList& list = cmds_.list();
    const int row = list.firstSelected();
    const std::string path = row > 0 ? list.getFullPath(row) : std::string();
    if (path.empty()) return Outcome::Nothing;

    if (isReadOnlyForSave(path, settings_)) {
        ui_.ask("You are trying to save tags to a read-only file!" + std::string(kCRLF) +
                    "This is not allowed according to the current settings. ",
                MessageButtons::Ok, MessageIcon::Information);
    }
    AudioFile& file = cmds_.filCurrent();
    file.setOptions(tagOptions(settings_));
    // Without readTags the shown file's tags were never read: writing the edits over an
    // unread tag would drop every other value, so the tags are read first.
    if (file.fullPath() != path || !settings_.readTags) {
        if (!file.readFile(path, true)) {
            ui_.ask(writeErrorText(ENOENT), MessageButtons::Ok, MessageIcon::Error);
            return Outcome::Failed;
        }
    }
    ui_.setStatus(3, "Saving tags...");

    TagHandler& tag = file.tag();
    auto writeLyrics = [&] {
        if (panes.enabled[TagSwitch::Lyrics3]) {
            tag.add(TagKind::Lyrics3);
            for (int c = 0; c < kLyricsCount; ++c) tag.setValue(lyricsKey(c), panes.lyrics[static_cast<size_t>(c)]);
        } else {
            tag.remove(TagKind::Lyrics3);
        }
    };
    if (advanced) {
        if (panes.enabled[TagSwitch::Id3v1]) {
            tag.add(TagKind::Id3v1);
            field(panes, 15) = filterChars(field(panes, 15), kV1NumberChars, true);
            field(panes, 14) = filterChars(field(panes, 14), kV1NumberChars, true);
            writeMarkedFields(tag, panes, true, true);
        } else {
            tag.remove(TagKind::Id3v1);
        }
        writeLyrics();
        if (panes.enabled[TagSwitch::Id3v2]) {
            tag.add(TagKind::Id3v2);
            field(panes, 4) = filterChars(field(panes, 4), kV2NumberChars, true);
            field(panes, 3) = filterChars(field(panes, 3), kV2NumberChars, true);
            writeMarkedFields(tag, panes, true, false);
        } else {
            tag.remove(TagKind::Id3v2);
        }
    } else {
        field(panes, 4) = filterChars(field(panes, 4), kV2NumberChars, true);
        field(panes, 3) = filterChars(field(panes, 3), kV2NumberChars, true);
        if (panes.enabled[TagSwitch::Id3v2])
            tag.add(TagKind::All);
        else
            tag.remove(TagKind::All);
        writeLyrics();
        writeMarkedFields(tag, panes, false, false);
    }

    const int result = file.putTags();
    if (result != 0) {
        ui_.setProgress(0, 0);
        ui_.ask(writeErrorText(result), MessageButtons::Ok, MessageIcon::Error);
        return Outcome::Failed;
    }
    saved_ = 1;
    cmds_.updateListItem(row, file);
    cmds_.showFile(row);
    finish(started);
    return Outcome::Saved;
}

void SaveTagsCommand::applyToFile(AudioFile& file, const TagPanes& panes, bool advanced,
                                  const SwitchAction actions[kSwitchCount]) {
    TagHandler& tag = file.tag();
    auto lyrics = [&] {
        if (actions[TagSwitch::Lyrics3] == SwitchAction::Update) {
            tag.add(TagKind::Lyrics3);
            // Only the values the confirmation listed (the ones typed): an empty box leaves each
            // file's own value alone.
            for (int c = 0; c < kLyricsCount; ++c) {
                const std::string& typed = panes.lyrics[static_cast<size_t>(c)];
                if (typed.empty()) continue;
                const int key = lyricsKey(c);
                tag.setValue(key, applyFieldEdit(typed, tag.getValue(key), true));
            }
        } else if (actions[TagSwitch::Lyrics3] == SwitchAction::Remove) {
            tag.remove(TagKind::Lyrics3);
        }
    };
    if (advanced) {
        if (actions[TagSwitch::Id3v1] == SwitchAction::Update) {
            tag.add(TagKind::Id3v1);
            writeMarkedFields(tag, panes, true, true);
        } else if (actions[TagSwitch::Id3v1] == SwitchAction::Remove) {
            tag.remove(TagKind::Id3v1);
        }
        lyrics();
        if (actions[TagSwitch::Id3v2] == SwitchAction::Update) {
            tag.add(TagKind::Id3v2);
            writeMarkedFields(tag, panes, true, false);
        } else if (actions[TagSwitch::Id3v2] == SwitchAction::Remove) {
            tag.remove(TagKind::Id3v2);
        }
    } else {
        if (actions[TagSwitch::Id3v2] == SwitchAction::Update) {
            tag.add(TagKind::All);
            writeMarkedFields(tag, panes, false, false);
        } else if (actions[TagSwitch::Id3v2] == SwitchAction::Remove) {
            tag.remove(TagKind::All);
        }
        lyrics();
    }
    // A picture chosen for all selected files: the front cover, unless the ID3v2 tag goes.
    if (!panes.pendingPicture.empty() && actions[TagSwitch::Id3v2] != SwitchAction::Remove)
        addPicture(file, panes.pendingPicture);
}

SaveTagsCommand::Outcome SaveTagsCommand::saveMany(TagPanes& panes, bool advanced) {
    const auto started = std::chrono::steady_clock::now();
    if (!panes.anySwitch() && panes.pendingPicture.empty()) return Outcome::Nothing;
    ui_.setStatus(3, "Saving tags...");
    if (ui_.ask(saveConfirmationText(panes, advanced), MessageButtons::OkCancel, MessageIcon::Information) !=
        MessageAnswer::Ok)
        return Outcome::Canceled;

    SwitchAction actions[kSwitchCount];
    for (int s = 0; s < kSwitchCount; ++s)
        actions[s] = panes.remove[static_cast<size_t>(s)]
                         ? SwitchAction::Remove
                         : (panes.enabled[static_cast<size_t>(s)] ? SwitchAction::Update : SwitchAction::Leave);

    FileList& list = cmds_.list();
    const long long total = list.selectedCount();
    ui_.setProgress(0, total);
    const std::string v1Chars = std::string(kV1NumberChars) + "*";
    const std::string v2Chars = std::string(kV2NumberChars) + "*";
    field(panes, 15) = filterChars(field(panes, 15), v1Chars, true);
    field(panes, 14) = filterChars(field(panes, 14), v1Chars, true);
    field(panes, 4) = filterChars(field(panes, 4), v2Chars, true);
    field(panes, 3) = filterChars(field(panes, 3), v2Chars, true);

    AudioFile& file = cmds_.filCurrent();
    file.setOptions(tagOptions(settings_));
    long long done = 0;
    auto lastUpdate = std::chrono::steady_clock::now();
    tags::DeferredRebuilds batch;
    for (int row = 1; row <= list.count(); ++row) {
        if (!list.selected(row)) continue;
        const std::string path = list.getFullPath(row);
        if (!file.readFile(path, true)) {
            noteFailure(path, "The file could not be read.");
        } else if (isReadOnlyForSave(path, settings_)) {
            noteFailure(path, "The file is read-only; saving to it is not allowed according to the current settings.");
        } else {
            applyToFile(file, panes, advanced, actions);
            const int result = file.putTags();
            if (result == 0) {
                ++saved_;
                cmds_.updateListItem(row, file);
            } else {
                noteFailure(path, writeErrorText(result));
                // The row shows what the file holds, not the edits that failed to reach it.
                if (file.readFile(path, true)) cmds_.updateListItem(row, file);
            }
        }
        if (done < total) ++done;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastUpdate >= kUpdateInterval) {
            lastUpdate = now;
            ui_.setProgress(done, total);
        }
    }
    // Rebuilt files that could not be put in place after all.
    for (const tags::DeferredRebuilds::Failure& f : batch.commit()) {
        if (saved_ > 0) --saved_;
        noteFailure(f.path, writeErrorText(f.error));
        showFileAgain(cmds_, f.path);
    }
    ui_.setProgress(done, total);
    finish(started);
    if (failed_ > 0) {
        ui_.ask("Tags could not be saved to " + std::to_string(failed_) + " of " + std::to_string(saved_ + failed_) +
                    " files." + kCRLF + kCRLF + "First error: " + firstError_,
                MessageButtons::Ok, MessageIcon::Error);
        return Outcome::Failed;
    }
    return Outcome::Saved;
}

void SaveTagsCommand::noteFailure(const std::string& path, const std::string& text) {
    if (failed_++ == 0) firstError_ = path + kCRLF + text;
}

void SaveTagsCommand::finish(std::chrono::steady_clock::time_point started) {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ui_.setProgress(0, 0);
    if (failed_ == 0)
        ui_.setStatus(3, "All tags saved in " + elapsedSecondsText(elapsed) + " seconds.");
    else
        ui_.setStatus(3, "Tags saved to " + std::to_string(saved_) + " of " + std::to_string(saved_ + failed_) +
                             " files in " + elapsedSecondsText(elapsed) + " seconds.");
}

}  // namespace vorda::editing
