// SPDX-License-Identifier: GPL-2.0-or-later

// The sort and rename commands.
#include "naming/SortCommands.h"

#include <sys/stat.h>

#include <cerrno>
#include <exception>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "base/FileOps.h"
#include "base/Text.h"
#include "naming/FileValues.h"
#include "naming/PatternEngine.h"
#include "naming/SortPlanner.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace vorda::naming {

namespace {

// True when something (a file, a folder, even a dangling link) stands at the path.
bool entryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

// True when both paths name one file: the same text, or the same device and inode.
bool sameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    if (a == b) return true;
    struct stat sa {};
    struct stat sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool isFileMethod(FileMethod method) {
    return method == FileMethod::Move || method == FileMethod::Copy || method == FileMethod::Rename;
}

// The file operation that carries out a method.
int fileOperationOf(FileMethod method) {
    switch (method) {
    case FileMethod::Move: return FileOperation::Move;
    case FileMethod::Copy: return FileOperation::Copy;
    default: return FileOperation::Rename;
    }
}

// A path in a message: quoted, with control characters written out so it stays on one line.
std::string quotedPath(const std::string& text) { return "\"" + base::escapeControlChars(text) + "\""; }

// Why "always replace" kept a destination: the run itself put a file there, or it is a listed file.
std::string ownFileKeptText(const std::string& destination, const std::string& source, bool justWritten) {
    return "The file " + quotedPath(destination) + " was not replaced with " + quotedPath(source) +
           (justWritten ? ": another file of this run has just been given this name."
                        : ": it is one of the files of this run.");
}

// A path as the run compares it ("a//b" and "a/./b" are "a/b").
std::string normalPath(const std::string& path) {
    return path.empty() ? path : std::filesystem::path(path).lexically_normal().string();
}

// The order in which a run handles its files. A file whose name another file of the run takes
// goes first, so that no file is replaced before it has moved away; a copy never moves a file,
// so it keeps the plan's order. Files whose names form a cycle cannot all go first: one file of
// each cycle is marked in aside and moves to a temporary name before the run starts.
std::vector<size_t> runOrder(const std::vector<RunStep>& steps, bool moves, std::vector<bool>& aside) {
    const size_t n = steps.size();
    aside.assign(n, false);
    std::vector<size_t> order;
    order.reserve(n);
    if (!moves) {
        for (size_t k = 0; k < n; ++k) order.push_back(k);
        return order;
    }
    std::unordered_map<std::string, size_t> bySource;
    for (size_t k = 0; k < n; ++k) bySource.emplace(normalPath(steps[k].source), k);
    // The step whose file stands where step k goes (n when none).
    auto occupant = [&](size_t k) {
        if (steps[k].destination.empty()) return n;
        const auto it = bySource.find(normalPath(steps[k].destination));
        return it == bySource.end() || it->second == k ? n : it->second;
    };
    enum class Visit : char { Fresh, OnChain, Placed };
    std::vector<Visit> state(n, Visit::Fresh);
    std::vector<size_t> chain;
    for (size_t k = 0; k < n; ++k) {
        if (state[k] != Visit::Fresh) continue;
        chain.clear();
        for (size_t cur = k;;) {
            state[cur] = Visit::OnChain;
            chain.push_back(cur);
            const size_t next = occupant(cur);
            if (next == n || state[next] == Visit::Placed) break;
            if (state[next] == Visit::OnChain) {
                aside[next] = true;
                break;
            }
            cur = next;
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            order.push_back(*it);
            state[*it] = Visit::Placed;
        }
    }
    return order;
}

const char* const kContinueOrAbort =
    "Make sure the file is not in use. Press OK to continue with next file or Cancel to abort.";

}  // namespace

SortInputs SortInputs::fromSettings(const Settings& s) {
    SortInputs in;
    in.method = static_cast<FileMethod>(s.method);
    in.targetDir = s.targetDir;
    in.inPattern = s.currentInPattern;
    in.outPattern = s.currentOutPattern;
    in.pathPattern = s.currentPathPattern;
    in.albumPattern = s.currentAlbumPattern;
    in.fixFilenames = s.fixFilenames == 1;
    in.useAlbumPattern = s.useAlbumPattern == 1;
    in.detectInPattern = s.detectInPattern == 1;
    return in;
}

std::vector<PlannedMove> inRunOrder(const std::vector<PlannedMove>& plan, FileMethod method) {
    std::vector<RunStep> steps;
    steps.reserve(plan.size());
    for (const PlannedMove& p : plan) steps.push_back({p.source, p.destination, 0});
    std::vector<bool> aside;
    std::vector<PlannedMove> ordered;
    ordered.reserve(plan.size());
    for (const size_t k : runOrder(steps, method != FileMethod::Copy, aside)) ordered.push_back(plan[k]);
    return ordered;
}

std::string sortRunningText(FileMethod method) {
    switch (method) {
    case FileMethod::Move: return "Moving file(s)...";
    case FileMethod::Copy: return "Copying file(s)...";
    case FileMethod::Rename: return "Renaming file(s)...";
    default: return {};
    }
}

std::string sortDoneText(FileMethod method) {
    switch (method) {
    case FileMethod::Move: return "Moving done!";
    case FileMethod::Copy: return "Copying done!";
    case FileMethod::Rename: return "Renaming done!";
    default: return {};
    }
}

int askFileExistAction(UserInterface& ui, int fileExistAction, const std::string& source,
                       const std::string& destination) {
    switch (fileExistAction) {
    case FileExistAction::Ask: {
        const MessageAnswer answer =
            ui.ask("The file " + quotedPath(destination) + " already exists!\nDo you want to replace it with: \n" +
                       quotedPath(source) + " ?",
                   MessageButtons::YesNoCancel, MessageIcon::Question, "Vorda");
        if (answer == MessageAnswer::Yes) return FileExistAction::Replace;
        if (answer == MessageAnswer::No) return FileExistAction::Skip;
        return FileExistAction::Cancel;
    }
    case FileExistAction::Replace: return FileExistAction::Replace;
    default: return FileExistAction::Skip;
    }
}

SortCommands::SortCommands(ListCommands& list, UserInterface& ui, Settings& settings)
    : lc_(list), list_(list.list()), ui_(ui), settings_(settings) {
    // Renames and copies of the file object ask the same overwrite question as the sort run.
    lc_.filCurrent().setOverwriteQuestion([this](const std::string& source, const std::string& destination) {
        return askFileExistAction(source, destination);
    });
}

void SortCommands::status(const std::string& text) { ui_.setStatus(3, text); }

bool SortCommands::readRow(int row) {
    const std::string path = list_.getFullPath(row);
    lc_.filCurrent().setOptions(tagOptions(settings_));
    return !path.empty() && lc_.filCurrent().readFile(path, settings_.useTags);
}

std::string SortCommands::inPatternFor(const std::string& inPattern, const SortInputs& boxes) {
    if (!boxes.detectInPattern) return inPattern;
    return detectInPattern(lc_.filCurrent().fullPath(), settings_);
}

int SortCommands::askFileExistAction(const std::string& source, const std::string& destination) {
    return naming::askFileExistAction(ui_, settings_.fileExistAction, source, destination);
}

bool SortCommands::targetDirReady(const std::string& folder) {
    if (folder.empty()) {
        ui_.ask("You must choose a target directory first!", MessageButtons::Ok, MessageIcon::Information, "Vorda");
        return false;
    }
    // Something that is not a folder cannot take files: it counts as missing (and creating
    // the folder then fails with a message instead of every file failing on its own).
    if (!isDirectory(folder)) {
        if (ui_.ask("The target directory " + quotedPath(folder) + " does not exist!\nWould you like to create it?",
                    MessageButtons::YesNo, MessageIcon::Question, "Vorda") != MessageAnswer::Yes)
            return false;
        if (!createFolderTree(folder)) {
            ui_.ask("Failed to create folder " + quotedPath(folder) + ".", MessageButtons::Ok, MessageIcon::Information,
                    "Vorda");
            return false;
        }
    }
    return true;
}

int SortCommands::sortFile(AudioFile& file, const std::string& destination, FileMethod method) {
    if (destination.empty() || !isFileMethod(method)) return 0;
    file.setOptions(tagOptions(settings_));
    if (settings_.changeAttributes) {
        int attributes = 0;
        if (settings_.readOnly) attributes |= FileAttribute::ReadOnly;
        if (settings_.hidden) attributes |= FileAttribute::Hidden;
        if (settings_.archive) attributes |= FileAttribute::Archive;
        file.setAttributes(attributes);
    }
    switch (method) {
    case FileMethod::Move: {
        const std::string source = file.fullPath();
        if (entryExists(destination) || sameFile(source, destination)) {
            if (askFileExistAction(source, destination) != FileExistAction::Replace) return -1;
            // Moving a file onto itself would do nothing at best: it is refused, the file stays.
            if (sameFile(source, destination)) return kErrSameFile;
        }
        const int result = shellFileOperation(source, destination, FileOperation::Move, settings_.recycleFiles);
        if (result == 0) file.readFile(destination, settings_.useTags);
        return result;
    }
    case FileMethod::Copy: return file.copy(destination);
    default: return file.rename(destination);
    }
}

std::vector<PlannedMove> SortCommands::planSort(bool all, const std::string& target, const std::string& pathPattern,
                                                const std::string& albumPattern, const std::string& inPattern,
                                                const std::string& outPattern, const SortInputs& boxes) {
    SortPlanner sorter;
    sorter.albumSize(settings_.albumSize);
    sorter.sortToExistingFolders(settings_.sortToExistingFolders);
    AudioFile& file = lc_.filCurrent();
    for (int i = 1; i <= list_.count(); ++i) {
        if (!all && !list_.selected(i)) continue;
        const std::string path = list_.getFullPath(i);
        if (!readRow(i)) {
            // A file that is gone gets no destination; the run reports it like any failure.
            sorter.addFile(path, "", "", "");
            continue;
        }
        const FileValues values = getFileValues(file, inPatternFor(inPattern, boxes), i, settings_);
        std::string name = boxes.fixFilenames ? buildNewFileName(values, outPattern, settings_) : file.name();
        if (name.empty()) name = file.name();
        // Folders come from the patterns only: a tag value never adds a folder level or climbs out.
        std::string albumDestination;
        if (boxes.useAlbumPattern)
            albumDestination = buildDestinationFolder(target, values, albumPattern, settings_) + name;
        const std::string general = buildDestinationFolder(target, values, pathPattern, settings_) + name;
        sorter.addFile(path, file.tag().getValue(ValueKey::Album), general, albumDestination);
    }
    std::vector<std::string> sources;
    std::vector<std::string> destinations;
    sorter.getSortList(sources, destinations);
    std::vector<PlannedMove> plan(sources.size());
    for (size_t k = 0; k < sources.size(); ++k) plan[k] = {sources[k], destinations[k]};
    return plan;
}

std::vector<RunStep> SortCommands::renameSteps(bool all, const std::string& inPattern, const std::string& outPattern,
                                               const SortInputs& boxes) {
    std::vector<RunStep> steps;
    AudioFile& file = lc_.filCurrent();
    for (int i = 1; i <= list_.count(); ++i) {
        if (!all && !list_.selected(i)) continue;
        if (!readRow(i)) {
            steps.push_back({list_.getFullPath(i), "", i});
            continue;
        }
        const FileValues values = getFileValues(file, inPatternFor(inPattern, boxes), i, settings_);
        std::string name = buildNewFileName(values, outPattern, settings_);
        if (name.empty()) name = file.name();
        steps.push_back({file.fullPath(), file.path() + name, i});
    }
    return steps;
}

std::vector<PlannedMove> SortCommands::planRename(bool all, const std::string& inPattern, const std::string& outPattern,
                                                  const SortInputs& boxes) {
    std::vector<PlannedMove> plan;
    for (const RunStep& step : renameSteps(all, inPattern, outPattern, boxes))
        plan.push_back({step.source, step.destination});
    return plan;
}

void SortCommands::runSteps(FileMethod method, const std::vector<RunStep>& steps) {
    const bool renaming = method == FileMethod::Rename;
    const bool moves = method != FileMethod::Copy;
    std::vector<bool> aside;
    const std::vector<size_t> order = runOrder(steps, moves, aside);

    // Where each file of the run is now, and which of them still stand at their listed place.
    std::vector<std::string> at(steps.size());
    std::unordered_map<std::string, size_t> standing;
    for (size_t k = 0; k < steps.size(); ++k) {
        at[k] = steps[k].source;
        standing.emplace(normalPath(steps[k].source), k);
    }
    // Every destination this run has written.
    std::unordered_set<std::string> produced;
    std::vector<bool> done(steps.size(), false);

    for (size_t k = 0; k < steps.size(); ++k) {
        if (!aside[k]) continue;
        std::string temp;
        if (moveAside(steps[k].source, temp) == 0) {
            at[k] = temp;
            standing.erase(normalPath(steps[k].source));
        }
    }
    // A file still under its temporary name goes back to its own name when that is free.
    auto putBack = [&](size_t k) {
        if (at[k] == steps[k].source || done[k]) return;
        if (!entryExists(steps[k].source) &&
            shellFileOperation(at[k], steps[k].source, FileOperation::Rename, settings_.recycleFiles) == 0) {
            at[k] = steps[k].source;
            return;
        }
        ++failed_;
        ui_.ask("The file " + quotedPath(steps[k].source) + " was kept as " + quotedPath(at[k]) +
                    " because its name was taken during the run.",
                MessageButtons::Ok, MessageIcon::Warning, "Vorda");
        done[k] = true;  // reported once
    };

    const long long maximum = static_cast<long long>(steps.size());
    ui_.setProgress(0, maximum);
    long value = 0;
    for (const size_t k : order) {
        const RunStep& step = steps[k];
        const std::string source = at[k];
        const std::string& destination = step.destination;
        const std::string key = normalPath(destination);
        if (!destination.empty() && !renaming) createFolderTree(getFolder(destination));

        // A rename to the same name, or to another name of the same file, needs no question.
        const bool same = sameFile(source, destination);
        const bool renameInPlace = renaming && (destination == source || same);
        const auto standingHere = standing.find(key);
        const bool ownFile = standingHere != standing.end() && standingHere->second != k;
        const bool ownResult = produced.count(key) > 0;

        int result = 0;
        bool perform = false;
        if (destination.empty()) {
            result = ENOENT;  // a file that could not be read
        } else if (renameInPlace || !(ownFile || ownResult || same || entryExists(destination))) {
            perform = true;
        } else if ((ownFile || ownResult) && settings_.fileExistAction == FileExistAction::Replace) {
            // "Always replace" is about files that were there before: a file of this run stays.
            ui_.ask(ownFileKeptText(destination, step.source, ownResult), MessageButtons::Ok, MessageIcon::Warning,
                    "Vorda");
        } else {
            const int answer = askFileExistAction(step.source, destination);
            if (answer == FileExistAction::Cancel) {
                cancelled_ = true;
                break;
            }
            perform = answer == FileExistAction::Replace;
            if (!perform && renaming) result = -1;  // declined: reported like a failed rename
        }
        if (perform) {
            if (renaming && destination == source)
                result = 0;
            else if (same && !renaming)
                result = kErrSameFile;
            else
                result = shellFileOperation(source, destination, fileOperationOf(method), settings_.recycleFiles);
            if (result == 0) {
                done[k] = true;
                produced.insert(key);
                if (moves) {
                    standing.erase(normalPath(step.source));
                    standing.erase(key);
                    at[k] = destination;
                }
                if (renaming && step.row > 0) {
                    AudioFile& file = lc_.filCurrent();
                    file.setOptions(tagOptions(settings_));
                    if (file.readFile(destination, settings_.useTags)) lc_.updateListItem(step.row, file);
                }
            }
        }
        putBack(k);
        if (result != 0) {
            ++failed_;
            if (ui_.ask("Error " + std::to_string(result) + " occured while " + (renaming ? "renaming " : "sorting ") +
                            quotedPath(step.source) + ".\n" + kContinueOrAbort,
                        MessageButtons::OkCancel, MessageIcon::Error, "Vorda") == MessageAnswer::Cancel) {
                cancelled_ = true;
                break;
            }
        }
        ++value;
        ui_.setProgress(value, maximum);
        status((renaming ? "Renaming file " : "Sorting file ") + std::to_string(value) + " of " +
               std::to_string(maximum) + ", please be patient...");
        ui_.repaint();
    }
    for (size_t k = 0; k < steps.size(); ++k)
        if (aside[k]) putBack(k);
    handled_ = value;
    status(std::to_string(value) + (renaming ? " files renamed." : " files sorted."));
    ui_.setProgress(0, maximum);
}

void SortCommands::runRenameOne(int row, const std::string& inPattern, const std::string& outPattern,
                                const SortInputs& boxes) {
    AudioFile& file = lc_.filCurrent();
    int result = ENOENT;
    if (readRow(row)) {
        const FileValues values = getFileValues(file, inPatternFor(inPattern, boxes), row, settings_);
        result = file.rename(buildNewFileName(values, outPattern, settings_));
    }
    handled_ = 1;
    if (result != 0) {
        ++failed_;
        ui_.ask("Error " + std::to_string(result) + " occured while renaming file. Make sure the file is not in use.",
                MessageButtons::Ok, MessageIcon::Error, "Vorda");
    } else {
        lc_.updateListItem(row, file);
    }
    ui_.setProgress(0, 0);
}

void SortCommands::sortFiles(bool all, FileMethod method, const std::string& target, const std::string& pathPattern,
                             const std::string& albumPattern, const std::string& inPattern,
                             const std::string& outPattern, const SortInputs& boxes) {
    handled_ = 0;
    failed_ = 0;
    cancelled_ = false;
    if (list_.count() == 0) return;
    if (!all && boxes.currentRow < 1) return;
    if (!isFileMethod(method)) return;

    try {
        std::string folder;
        if (method == FileMethod::Move || method == FileMethod::Copy) {
            // The folder is used as typed (a Linux name may end in a blank); only a blank text is empty.
            if (!trim(target).empty()) folder = addBackslash(expandHome(target));
            if (!targetDirReady(folder)) return;
        }

        if (all)
            ui_.setProgress(0, list_.count());
        else if (lc_.bMultiChange)
            ui_.setProgress(0, countSelectedFiles(list_));

        if (method == FileMethod::Rename) {
            if (all || lc_.bMultiChange) {
                if (boxes.fixFilenames) runSteps(FileMethod::Rename, renameSteps(all, inPattern, outPattern, boxes));
            } else
                runRenameOne(boxes.currentRow, inPattern, outPattern, boxes);
            return;
        }
        std::vector<RunStep> steps;
        for (PlannedMove& p : planSort(all, folder, pathPattern, albumPattern, inPattern, outPattern, boxes))
            steps.push_back({std::move(p.source), std::move(p.destination), 0});
        runSteps(method, steps);
    } catch (const std::exception& e) {
        // The run cannot go on: what is done stays done, the rest is left, and the user is told.
        cancelled_ = true;
        ui_.setProgress(0, 0);
        ui_.ask("The sort run stopped after an error:\n" + std::string(e.what()), MessageButtons::Ok,
                MessageIcon::Error, "Vorda");
    }
}

bool SortCommands::confirm(bool all, const std::string& target, const SortInputs& in) {
    const std::string how = in.method == FileMethod::Copy ? "(copy)" : "(move)";
    std::string text = "Are you sure you want to sort " + how + (all ? " all files" : " the selected files") +
                       " like this?\n\nGeneral files: \n" + target + in.pathPattern;
    if (in.useAlbumPattern) text += "\n\nAlbums: \n" + target + in.albumPattern;
    if (in.fixFilenames) text += "\n\nFixing and renaming all files as: \n" + in.outPattern;
    return ui_.ask(text, MessageButtons::YesNo, MessageIcon::Question, "Vorda") == MessageAnswer::Yes;
}

void SortCommands::afterMove() {
    lc_.removeNonexistentFiles();
    // The current row may have moved up with the removals: it is the selected row now.
    if (currentRow_ > list_.count()) currentRow_ = list_.count();
}

void SortCommands::runCommand(bool all, const SortInputs& in) {
    currentRow_ = in.currentRow;
    if (list_.count() == 0) {
        ui_.ask("There are no files in the list.", MessageButtons::Ok, MessageIcon::Information, "Vorda");
        return;
    }
    if (!isFileMethod(in.method)) return;
    const std::string target = trim(in.targetDir).empty() ? std::string() : addBackslash(in.targetDir);
    if ((in.method == FileMethod::Move || in.method == FileMethod::Copy) && !confirm(all, target, in)) return;
    status(sortRunningText(in.method));

    if (all) {
        sortFiles(true, in.method, target, in.pathPattern, in.albumPattern, in.inPattern, in.outPattern, in);
    } else {
        if (list_.selectedCount() > 1) lc_.bMultiChange = true;
        sortFiles(false, in.method, target, in.pathPattern, in.albumPattern, in.inPattern,
                  lc_.bMultiChange ? in.outPattern : in.newName, in);
        if (!lc_.bMultiChange && list_.count() > 0) {
            const int r = list_.count() == 1 ? 1 : in.currentRow;
            if (r >= 1 && r + 1 <= list_.count()) {
                list_.setSelected(r, false);
                list_.setSelected(r + 1, true);
                currentRow_ = r + 1;
                // After a move the row just handled goes, and the next one takes its place.
                if (in.method == FileMethod::Move && !pathExists(list_.getFullPath(r))) currentRow_ = r;
                lc_.showFile(r + 1);
            }
        }
    }
    if (in.method == FileMethod::Move) {
        afterMove();
        if (all) ui_.clearPanes();
    }
    status(sortDoneText(in.method));
}

void SortCommands::sortAllFiles(const SortInputs& in) { runCommand(true, in); }

void SortCommands::sortSelectedFiles(const SortInputs& in) { runCommand(false, in); }

void SortCommands::sortSelectedUsing(const SortInputs& in, size_t outPatternIndex) {
    currentRow_ = in.currentRow;
    if (outPatternIndex >= settings_.outPatterns.size() || settings_.outPatterns[outPatternIndex].empty()) return;
    if (list_.selectedCount() > 1) lc_.bMultiChange = true;
    sortFiles(false, in.method, in.targetDir, in.pathPattern, in.albumPattern, in.inPattern,
              settings_.outPatterns[outPatternIndex], in);
    if (in.method == FileMethod::Move) afterMove();
}

void SortCommands::sortSelectedAsAlbum(const SortInputs& in) {
    currentRow_ = in.currentRow;
    handled_ = 0;
    failed_ = 0;
    cancelled_ = false;
    if (in.method != FileMethod::Move && in.method != FileMethod::Copy) return;
    const std::string target = trim(in.targetDir).empty() ? std::string() : addBackslash(in.targetDir);
    AudioFile& file = lc_.filCurrent();
    // The files this command has put in place: never replaced by a later one.
    std::unordered_set<std::string> produced;
    for (int i = 1; i <= list_.count(); ++i) {
        if (!list_.selected(i) || !readRow(i)) continue;
        const FileValues values = getFileValues(file, in.inPattern, i, settings_);
        const std::string folder = buildDestinationFolder(target, values, in.albumPattern, settings_);
        // Without a target folder a relative album folder would land wherever the program runs.
        if (folder.empty() || folder.front() != '/') continue;
        createFolderTree(folder);
        std::string name = buildNewFileName(values, in.outPattern, settings_);
        if (name.empty()) name = file.name();
        ++handled_;
        const std::string destination = folder + name;
        const std::string key = normalPath(destination);
        if (produced.count(key) > 0 && settings_.fileExistAction == FileExistAction::Replace) {
            ui_.ask(ownFileKeptText(destination, file.fullPath(), true), MessageButtons::Ok, MessageIcon::Warning,
                    "Vorda");
            continue;
        }
        if (sortFile(file, destination, in.method) != 0)
            ++failed_;
        else
            produced.insert(key);
    }
    if (in.method == FileMethod::Move) afterMove();
}

}  // namespace vorda::naming
