// "Save tags" for one file and for several files.
#include "editing/SaveTagsCommand.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <system_error>

#include "app/FileOps.h"
#include "editing/BatchTagCommands.h"
#include "editing/FieldEdit.h"
#include "editing/FrameCommands.h"
#include "editing/TagFieldRules.h"
#include "tags/TagFileWriter.h"
#include "tags/clsFile.h"

namespace vorda {

namespace {

constexpr const char* kCRLF = "\r\n";
enum Action { acLeave = 0, acUpdate = 1, acRemove = -1 };

std::string& Field(TagPanes& panes, int index) { return panes.txtField[static_cast<size_t>(index)]; }

bool IsReadOnlyForSave(const std::string& path, const Settings& s) {
    return GetFileAttributes(path) == faReadOnly && !s.bIgnoreReadOnly;
}

}  // namespace

std::string WriteErrorText(int error) {
    std::string text = "Error " + std::to_string(error) + " occured while writing tags.";
    if (error == EACCES || error == EPERM) text += " Permission denied. " + std::string(kCRLF) + "Make sure the file is not in use.";
    if (error == erFileChanged || error == erNotAudio || error == erTagBeyondEnd) text += std::string(kCRLF) + ErrorText(error);
    return text;
}

std::string ElapsedSecondsText(double seconds) {
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

void WriteMarkedFields(clsTag& tag, const TagPanes& panes, bool advanced, bool v1) {
    const int first = advanced && v1 ? 11 : 0;
    const int last = advanced && v1 ? 16 : 10;
    auto write = [&tag](int key, const std::string& text) {
        if (key < 0) return;
        tag.SetValue(key, ApplyFieldEdit(text, tag.GetValue(key), true));
    };
    for (int i = first; i <= last; ++i)
        if (panes.chkField[static_cast<size_t>(i)]) write(FieldKey(i, advanced), panes.txtField[static_cast<size_t>(i)]);
    const bool genreMarked = advanced && v1 ? panes.chkV1Genre : panes.chkGenre;
    if (genreMarked) write(GenreKey(advanced && v1, advanced), advanced && v1 ? panes.cmbV1Genre : panes.cmbGenre);
}

SaveTagsCommand::SaveTagsCommand(ListCommands& commands, UserInterface& ui, Settings& settings)
    : cmds_(commands), ui_(ui), settings_(settings) {}

SaveTagsCommand::Outcome SaveTagsCommand::Run(TagPanes& panes) {
    saved_ = failed_ = 0;
    firstError_.clear();
    if (cmds_.List().Count() == 0) return Outcome::Nothing;
    const bool advanced = settings_.bAdvancedMode;
    try {
        return cmds_.bMultiChange ? SaveMany(panes, advanced) : SaveOne(panes, advanced);
    } catch (const std::exception& e) {
        int number = 0;
        if (const auto* se = dynamic_cast<const std::system_error*>(&e)) number = se->code().value();
        if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) number = ENOMEM;
        ui_.SetProgress(0, 0);
        ui_.Ask("Error while saving tag." + std::string(kCRLF) + kCRLF + "Error: " + std::to_string(number) + kCRLF +
                    e.what(),
                mbOK, miError);
        return Outcome::Failed;
    }
}

SaveTagsCommand::Outcome SaveTagsCommand::SaveOne(TagPanes& panes, bool advanced) {
    const auto started = std::chrono::steady_clock::now();
    FileList& list = cmds_.List();
    const int row = list.FirstSelected();
    const std::string path = row > 0 ? list.GetFullPath(row) : std::string();
    if (path.empty()) return Outcome::Nothing;

    if (IsReadOnlyForSave(path, settings_)) {
        ui_.Ask("You are trying to save tags to a read-only file!" + std::string(kCRLF) +
                    "This is not allowed according to the current settings. ",
                mbOK, miInformation);
    }
    clsFile& file = cmds_.filCurrent();
    // Without bReadTags the shown file's tags were never read: writing the edits over an
    // unread tag would drop every other value, so the tags are read first.
    if (file.FullPath() != path || !settings_.bReadTags) {
        if (!file.ReadFile(path, true)) {
            ui_.Ask(WriteErrorText(ENOENT), mbOK, miError);
            return Outcome::Failed;
        }
    }
    ui_.SetStatus(3, "Saving tags...");

    clsTag& tag = file.Tag();
    auto writeLyrics = [&] {
        if (panes.enabled[swLyrics3]) {
            tag.Add(tkLyrics3);
            for (int c = 0; c < kLyricsCount; ++c) tag.SetValue(LyricsKey(c), panes.lyrics[static_cast<size_t>(c)]);
        } else {
            tag.Remove(tkLyrics3);
        }
    };
    if (advanced) {
        if (panes.enabled[swID3v1]) {
            tag.Add(tkID3v1);
            Field(panes, 15) = FilterChars(Field(panes, 15), kV1NumberChars, true);
            Field(panes, 14) = FilterChars(Field(panes, 14), kV1NumberChars, true);
            WriteMarkedFields(tag, panes, true, true);
        } else {
            tag.Remove(tkID3v1);
        }
        writeLyrics();
        if (panes.enabled[swID3v2]) {
            tag.Add(tkID3v2);
            Field(panes, 4) = FilterChars(Field(panes, 4), kV2NumberChars, true);
            Field(panes, 3) = FilterChars(Field(panes, 3), kV2NumberChars, true);
            WriteMarkedFields(tag, panes, true, false);
        } else {
            tag.Remove(tkID3v2);
        }
    } else {
        Field(panes, 4) = FilterChars(Field(panes, 4), kV2NumberChars, true);
        Field(panes, 3) = FilterChars(Field(panes, 3), kV2NumberChars, true);
        if (panes.enabled[swID3v2])
            tag.Add(tkAll);
        else
            tag.Remove(tkAll);
        writeLyrics();
        WriteMarkedFields(tag, panes, false, false);
    }

    const int result = file.PutTags();
    if (result != 0) {
        ui_.SetProgress(0, 0);
        ui_.Ask(WriteErrorText(result), mbOK, miError);
        return Outcome::Failed;
    }
    saved_ = 1;
    cmds_.UpdateListItem(row, file);
    cmds_.ShowFile(row);
    Finish(started);
    return Outcome::Saved;
}

void SaveTagsCommand::ApplyToFile(clsFile& file, const TagPanes& panes, bool advanced, const int actions[kSwitchCount]) {
    clsTag& tag = file.Tag();
    auto lyrics = [&] {
        if (actions[swLyrics3] == acUpdate) {
            tag.Add(tkLyrics3);
            // Only the values the confirmation listed (the ones typed): an empty box leaves each
            // file's own value alone.
            for (int c = 0; c < kLyricsCount; ++c) {
                const std::string& typed = panes.lyrics[static_cast<size_t>(c)];
                if (typed.empty()) continue;
                const int key = LyricsKey(c);
                tag.SetValue(key, ApplyFieldEdit(typed, tag.GetValue(key), true));
            }
        } else if (actions[swLyrics3] == acRemove) {
            tag.Remove(tkLyrics3);
        }
    };
    if (advanced) {
        if (actions[swID3v1] == acUpdate) {
            tag.Add(tkID3v1);
            WriteMarkedFields(tag, panes, true, true);
        } else if (actions[swID3v1] == acRemove) {
            tag.Remove(tkID3v1);
        }
        lyrics();
        if (actions[swID3v2] == acUpdate) {
            tag.Add(tkID3v2);
            WriteMarkedFields(tag, panes, true, false);
        } else if (actions[swID3v2] == acRemove) {
            tag.Remove(tkID3v2);
        }
    } else {
        if (actions[swID3v2] == acUpdate) {
            tag.Add(tkAll);
            WriteMarkedFields(tag, panes, false, false);
        } else if (actions[swID3v2] == acRemove) {
            tag.Remove(tkAll);
        }
        lyrics();
    }
    // A picture chosen for all selected files: the front cover, unless the ID3v2 tag goes.
    if (!panes.pendingPicture.empty() && actions[swID3v2] != acRemove) AddPicture(file, panes.pendingPicture);
}

SaveTagsCommand::Outcome SaveTagsCommand::SaveMany(TagPanes& panes, bool advanced) {
    const auto started = std::chrono::steady_clock::now();
    if (!panes.AnySwitch() && panes.pendingPicture.empty()) return Outcome::Nothing;
    ui_.SetStatus(3, "Saving tags...");
    if (ui_.Ask(SaveConfirmationText(panes, advanced), mbOKCancel, miInformation) != anOK) return Outcome::Canceled;

    int actions[kSwitchCount];
    for (int s = 0; s < kSwitchCount; ++s)
        actions[s] = panes.remove[static_cast<size_t>(s)] ? acRemove : (panes.enabled[static_cast<size_t>(s)] ? acUpdate : acLeave);

    FileList& list = cmds_.List();
    const long long total = list.SelectedCount();
    ui_.SetProgress(0, total);
    const std::string v1Chars = std::string(kV1NumberChars) + "*";
    const std::string v2Chars = std::string(kV2NumberChars) + "*";
    Field(panes, 15) = FilterChars(Field(panes, 15), v1Chars, true);
    Field(panes, 14) = FilterChars(Field(panes, 14), v1Chars, true);
    Field(panes, 4) = FilterChars(Field(panes, 4), v2Chars, true);
    Field(panes, 3) = FilterChars(Field(panes, 3), v2Chars, true);

    clsFile& file = cmds_.filCurrent();
    long long done = 0;
    auto lastUpdate = std::chrono::steady_clock::now();
    tagfile::DeferredRebuilds batch;
    for (int row = 1; row <= list.Count(); ++row) {
        if (!list.Selected(row)) continue;
        const std::string path = list.GetFullPath(row);
        if (!file.ReadFile(path, true)) {
            NoteFailure(path, "The file could not be read.");
        } else if (IsReadOnlyForSave(path, settings_)) {
            NoteFailure(path, "The file is read-only; saving to it is not allowed according to the current settings.");
        } else {
            ApplyToFile(file, panes, advanced, actions);
            const int result = file.PutTags();
            if (result == 0) {
                ++saved_;
                cmds_.UpdateListItem(row, file);
            } else {
                NoteFailure(path, WriteErrorText(result));
                // The row shows what the file holds, not the edits that failed to reach it.
                if (file.ReadFile(path, true)) cmds_.UpdateListItem(row, file);
            }
        }
        if (done < total) ++done;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastUpdate >= kUpdateInterval) {
            lastUpdate = now;
            ui_.SetProgress(done, total);
        }
    }
    // Rebuilt files that could not be put in place after all.
    for (const tagfile::DeferredRebuilds::Failure& f : batch.Commit()) {
        if (saved_ > 0) --saved_;
        NoteFailure(f.path, WriteErrorText(f.error));
        ShowFileAgain(cmds_, f.path);
    }
    ui_.SetProgress(done, total);
    Finish(started);
    if (failed_ > 0) {
        ui_.Ask("Tags could not be saved to " + std::to_string(failed_) + " of " + std::to_string(saved_ + failed_) +
                    " files." + kCRLF + kCRLF + "First error: " + firstError_,
                mbOK, miError);
        return Outcome::Failed;
    }
    return Outcome::Saved;
}

void SaveTagsCommand::NoteFailure(const std::string& path, const std::string& text) {
    if (failed_++ == 0) firstError_ = path + kCRLF + text;
}

void SaveTagsCommand::Finish(std::chrono::steady_clock::time_point started) {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ui_.SetProgress(0, 0);
    if (failed_ == 0)
        ui_.SetStatus(3, "All tags saved in " + ElapsedSecondsText(elapsed) + " seconds.");
    else
        ui_.SetStatus(3, "Tags saved to " + std::to_string(saved_) + " of " + std::to_string(saved_ + failed_) +
                             " files in " + ElapsedSecondsText(elapsed) + " seconds.");
}

}  // namespace vorda
