// The sort and rename commands.
#include "naming/SortCommands.h"

#include <sys/stat.h>

#include <cerrno>
#include <exception>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "app/FileOps.h"
#include "app/Routines.h"
#include "naming/FileValues.h"
#include "naming/NamingText.h"
#include "naming/PatternEngine.h"
#include "naming/clsSorter.h"
#include "tags/clsFile.h"

namespace vorda {

namespace {

// True when something (a file, a folder, even a dangling link) stands at the path.
bool EntryExists(const std::string& path) {
    struct stat st{};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

// True when both paths name one file: the same text, or the same device and inode.
bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    if (a == b) return true;
    struct stat sa{};
    struct stat sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool IsFileMethod(int method) { return method == foMove || method == foCopy || method == foRename; }

// A path in a message: quoted, with control characters written out so it stays on one line.
std::string Quoted(const std::string& text) { return "\"" + naming::EscapeControlChars(text) + "\""; }

// Why "always replace" kept a destination: the run itself put a file there, or it is a listed file.
std::string OwnFileKeptText(const std::string& destination, const std::string& source, bool justWritten) {
    return "The file " + Quoted(destination) + " was not replaced with " + Quoted(source) +
           (justWritten ? ": another file of this run has just been given this name."
                        : ": it is one of the files of this run.");
}

// A path as the run compares it ("a//b" and "a/./b" are "a/b").
std::string NormalPath(const std::string& path) {
    return path.empty() ? path : std::filesystem::path(path).lexically_normal().string();
}

// The order in which a run handles its files. A file whose name another file of the run takes
// goes first, so that no file is replaced before it has moved away; a copy never moves a file,
// so it keeps the plan's order. Files whose names form a cycle cannot all go first: one file of
// each cycle is marked in aside and moves to a temporary name before the run starts.
std::vector<size_t> RunOrder(const std::vector<RunStep>& steps, bool moves, std::vector<bool>& aside) {
    const size_t n = steps.size();
    aside.assign(n, false);
    std::vector<size_t> order;
    order.reserve(n);
    if (!moves) {
        for (size_t k = 0; k < n; ++k) order.push_back(k);
        return order;
    }
    std::unordered_map<std::string, size_t> bySource;
    for (size_t k = 0; k < n; ++k) bySource.emplace(NormalPath(steps[k].source), k);
    // The step whose file stands where step k goes (n when none).
    auto occupant = [&](size_t k) {
        if (steps[k].destination.empty()) return n;
        const auto it = bySource.find(NormalPath(steps[k].destination));
        return it == bySource.end() || it->second == k ? n : it->second;
    };
    enum : char { fresh, onChain, placed };
    std::vector<char> state(n, fresh);
    std::vector<size_t> chain;
    for (size_t k = 0; k < n; ++k) {
        if (state[k] != fresh) continue;
        chain.clear();
        for (size_t cur = k;;) {
            state[cur] = onChain;
            chain.push_back(cur);
            const size_t next = occupant(cur);
            if (next == n || state[next] == placed) break;
            if (state[next] == onChain) {
                aside[next] = true;
                break;
            }
            cur = next;
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            order.push_back(*it);
            state[*it] = placed;
        }
    }
    return order;
}

const char* const kContinueOrAbort =
    "Make sure the file is not in use. Press OK to continue with next file or Cancel to abort.";

}  // namespace

SortInputs SortInputs::FromSettings(const Settings& s) {
    SortInputs in;
    in.method = s.Method;
    in.targetDir = s.sTargetDir;
    in.inPattern = s.sCurrentInPattern;
    in.outPattern = s.sCurrentOutPattern;
    in.pathPattern = s.sCurrentPathPattern;
    in.albumPattern = s.sCurrentAlbumPattern;
    in.fixFilenames = s.bFixFilenames == 1;
    in.useAlbumPattern = s.bUseAlbumPattern == 1;
    in.detectInPattern = s.bDetectInPattern == 1;
    return in;
}

std::vector<PlannedMove> InRunOrder(const std::vector<PlannedMove>& plan, int method) {
    std::vector<RunStep> steps;
    steps.reserve(plan.size());
    for (const PlannedMove& p : plan) steps.push_back({p.source, p.destination, 0});
    std::vector<bool> aside;
    std::vector<PlannedMove> ordered;
    ordered.reserve(plan.size());
    for (const size_t k : RunOrder(steps, method != foCopy, aside)) ordered.push_back(plan[k]);
    return ordered;
}

std::string SortRunningText(int method) {
    switch (method) {
    case foMove: return "Moving file(s)...";
    case foCopy: return "Copying file(s)...";
    case foRename: return "Renaming file(s)...";
    default: return {};
    }
}

std::string SortDoneText(int method) {
    switch (method) {
    case foMove: return "Moving done!";
    case foCopy: return "Copying done!";
    case foRename: return "Renaming done!";
    default: return {};
    }
}

SortCommands::SortCommands(ListCommands& list, UserInterface& ui, Settings& settings)
    : lc_(list), list_(list.List()), ui_(ui), settings_(settings) {
    // Renames and copies of the file object ask the same overwrite question as the sort run.
    lc_.filCurrent().SetOverwriteQuestion(
        [this](const std::string& source, const std::string& destination) {
            return AskFileExistAction(source, destination);
        });
}

void SortCommands::Status(const std::string& text) { ui_.SetStatus(3, text); }

bool SortCommands::ReadRow(int row) {
    const std::string path = list_.GetFullPath(row);
    return !path.empty() && lc_.filCurrent().ReadFile(path, settings_.bUseTags);
}

std::string SortCommands::InPatternFor(const std::string& inPattern, const SortInputs& boxes) {
    if (!boxes.detectInPattern) return inPattern;
    return DetectInPattern(lc_.filCurrent().FullPath(), settings_);
}

int SortCommands::AskFileExistAction(const std::string& source, const std::string& destination) {
    switch (settings_.feaFileExistAction) {
    case feaAsk: {
        const int answer = ui_.Ask("The file " + Quoted(destination) + " already exists!\nDo you want to replace it with: \n" +
                                       Quoted(source) + " ?",
                                   mbYesNoCancel, miQuestion, "Vorda");
        if (answer == anYes) return feaReplace;
        if (answer == anNo) return feaSkip;
        return feaCancel;
    }
    case feaReplace: return feaReplace;
    default: return feaSkip;
    }
}

int SortCommands::CheckTargetDir(const std::string& folder) {
    if (folder.empty()) {
        ui_.Ask("You must choose a target directory first!", mbOK, miInformation, "Vorda");
        return 10;
    }
    // Something that is not a folder cannot take files: it counts as missing (and creating
    // the folder then fails with a message instead of every file failing on its own).
    if (!IsDirectory(folder)) {
        if (ui_.Ask("The target directory " + Quoted(folder) + " does not exist!\nWould you like to create it?", mbYesNo,
                    miQuestion, "Vorda") != anYes)
            return 10;
        if (!CreateFolderTree(folder)) {
            ui_.Ask("Failed to create folder " + Quoted(folder) + ".", mbOK, miInformation, "Vorda");
            return 10;
        }
    }
    return 1;
}

int SortCommands::SortFile(clsFile& file, const std::string& destination, int method) {
    if (destination.empty() || !IsFileMethod(method)) return 0;
    if (settings_.bSetAttributes) {
        int attributes = 0;
        if (settings_.bReadOnly) attributes |= faReadOnly;
        if (settings_.bHidden) attributes |= faHidden;
        if (settings_.bArchive) attributes |= faArchive;
        file.SetAttributes(attributes);
    }
    switch (method) {
    case foMove: {
        const std::string source = file.FullPath();
        if (EntryExists(destination) || SameFile(source, destination)) {
            if (AskFileExistAction(source, destination) != feaReplace) return -1;
            // Moving a file onto itself would do nothing at best: it is refused, the file stays.
            if (SameFile(source, destination)) return kErrSameFile;
        }
        const int result = ShellFileOperation(source, destination, foMove, settings_.bRecycleFiles);
        if (result == 0) file.ReadFile(destination, settings_.bUseTags);
        return result;
    }
    case foCopy: return file.Copy(destination);
    default: return file.Rename(destination);
    }
}

std::vector<PlannedMove> SortCommands::PlanSort(bool all, const std::string& target, const std::string& pathPattern,
                                                const std::string& albumPattern, const std::string& inPattern,
                                                const std::string& outPattern, const SortInputs& boxes) {
    clsSorter sorter;
    sorter.AlbumSize(settings_.lAlbumSize);
    sorter.SortToExistingFolders(settings_.bSortToExistingFolders);
    clsFile& file = lc_.filCurrent();
    for (int i = 1; i <= list_.Count(); ++i) {
        if (!all && !list_.Selected(i)) continue;
        const std::string path = list_.GetFullPath(i);
        if (!ReadRow(i)) {
            // A file that is gone gets no destination; the run reports it like any failure.
            sorter.AddFile(path, "", "", "");
            continue;
        }
        const FileValues values = GetFileValues(file, InPatternFor(inPattern, boxes), i, settings_);
        std::string name = boxes.fixFilenames ? BuildNewFileName(values, outPattern, settings_) : file.name();
        if (name.empty()) name = file.name();
        // Folders come from the patterns only: a tag value never adds a folder level or climbs out.
        std::string albumDestination;
        if (boxes.useAlbumPattern)
            albumDestination = BuildDestinationFolder(target, values, albumPattern, settings_) + name;
        const std::string general = BuildDestinationFolder(target, values, pathPattern, settings_) + name;
        sorter.AddFile(path, file.Tag().GetValue(tvAlbum), general, albumDestination);
    }
    std::vector<std::string> sources;
    std::vector<std::string> destinations;
    sorter.GetSortList(sources, destinations);
    std::vector<PlannedMove> plan(sources.size());
    for (size_t k = 0; k < sources.size(); ++k) plan[k] = {sources[k], destinations[k]};
    return plan;
}

std::vector<RunStep> SortCommands::RenameSteps(bool all, const std::string& inPattern, const std::string& outPattern,
                                               const SortInputs& boxes) {
    std::vector<RunStep> steps;
    clsFile& file = lc_.filCurrent();
    for (int i = 1; i <= list_.Count(); ++i) {
        if (!all && !list_.Selected(i)) continue;
        if (!ReadRow(i)) {
            steps.push_back({list_.GetFullPath(i), "", i});
            continue;
        }
        const FileValues values = GetFileValues(file, InPatternFor(inPattern, boxes), i, settings_);
        std::string name = BuildNewFileName(values, outPattern, settings_);
        if (name.empty()) name = file.name();
        steps.push_back({file.FullPath(), file.Path() + name, i});
    }
    return steps;
}

std::vector<PlannedMove> SortCommands::PlanRename(bool all, const std::string& inPattern, const std::string& outPattern,
                                                  const SortInputs& boxes) {
    std::vector<PlannedMove> plan;
    for (const RunStep& step : RenameSteps(all, inPattern, outPattern, boxes))
        plan.push_back({step.source, step.destination});
    return plan;
}

void SortCommands::RunSteps(int method, const std::vector<RunStep>& steps) {
    const bool renaming = method == foRename;
    const bool moves = method != foCopy;
    std::vector<bool> aside;
    const std::vector<size_t> order = RunOrder(steps, moves, aside);

    // Where each file of the run is now, and which of them still stand at their listed place.
    std::vector<std::string> at(steps.size());
    std::unordered_map<std::string, size_t> standing;
    for (size_t k = 0; k < steps.size(); ++k) {
        at[k] = steps[k].source;
        standing.emplace(NormalPath(steps[k].source), k);
    }
    // Every destination this run has written.
    std::unordered_set<std::string> produced;
    std::vector<bool> done(steps.size(), false);

    for (size_t k = 0; k < steps.size(); ++k) {
        if (!aside[k]) continue;
        std::string temp;
        if (MoveAside(steps[k].source, temp) == 0) {
            at[k] = temp;
            standing.erase(NormalPath(steps[k].source));
        }
    }
    // A file still under its temporary name goes back to its own name when that is free.
    auto putBack = [&](size_t k) {
        if (at[k] == steps[k].source || done[k]) return;
        if (!EntryExists(steps[k].source) &&
            ShellFileOperation(at[k], steps[k].source, foRename, settings_.bRecycleFiles) == 0) {
            at[k] = steps[k].source;
            return;
        }
        ++failed_;
        ui_.Ask("The file " + Quoted(steps[k].source) + " was kept as " + Quoted(at[k]) +
                    " because its name was taken during the run.",
                mbOK, miWarning, "Vorda");
        done[k] = true;  // reported once
    };

    const long long maximum = static_cast<long long>(steps.size());
    ui_.SetProgress(0, maximum);
    long value = 0;
    for (const size_t k : order) {
        const RunStep& step = steps[k];
        const std::string source = at[k];
        const std::string& destination = step.destination;
        const std::string key = NormalPath(destination);
        if (!destination.empty() && !renaming) CreateFolderTree(GetFolder(destination));

        // A rename to the same name, or to another name of the same file, needs no question.
        const bool same = SameFile(source, destination);
        const bool renameInPlace = renaming && (destination == source || same);
        const auto standingHere = standing.find(key);
        const bool ownFile = standingHere != standing.end() && standingHere->second != k;
        const bool ownResult = produced.count(key) > 0;

        int result = 0;
        bool perform = false;
        if (destination.empty()) {
            result = ENOENT;  // a file that could not be read
        } else if (renameInPlace || !(ownFile || ownResult || same || EntryExists(destination))) {
            perform = true;
        } else if ((ownFile || ownResult) && settings_.feaFileExistAction == feaReplace) {
            // "Always replace" is about files that were there before: a file of this run stays.
            ui_.Ask(OwnFileKeptText(destination, step.source, ownResult), mbOK, miWarning, "Vorda");
        } else {
            const int answer = AskFileExistAction(step.source, destination);
            if (answer == feaCancel) {
                cancelled_ = true;
                break;
            }
            perform = answer == feaReplace;
            if (!perform && renaming) result = -1;  // declined: reported like a failed rename
        }
        if (perform) {
            if (renaming && destination == source)
                result = 0;
            else if (same && !renaming)
                result = kErrSameFile;
            else
                result = ShellFileOperation(source, destination, method, settings_.bRecycleFiles);
            if (result == 0) {
                done[k] = true;
                produced.insert(key);
                if (moves) {
                    standing.erase(NormalPath(step.source));
                    standing.erase(key);
                    at[k] = destination;
                }
                if (renaming && step.row > 0) {
                    clsFile& file = lc_.filCurrent();
                    if (file.ReadFile(destination, settings_.bUseTags)) lc_.UpdateListItem(step.row, file);
                }
            }
        }
        putBack(k);
        if (result != 0) {
            ++failed_;
            if (ui_.Ask("Error " + std::to_string(result) + " occured while " + (renaming ? "renaming " : "sorting ") +
                            Quoted(step.source) + ".\n" + kContinueOrAbort,
                        mbOKCancel, miError, "Vorda") == anCancel) {
                cancelled_ = true;
                break;
            }
        }
        ++value;
        ui_.SetProgress(value, maximum);
        Status((renaming ? "Renaming file " : "Sorting file ") + std::to_string(value) + " of " +
               std::to_string(maximum) + ", please be patient...");
        ui_.Repaint();
    }
    for (size_t k = 0; k < steps.size(); ++k)
        if (aside[k]) putBack(k);
    handled_ = value;
    Status(std::to_string(value) + (renaming ? " files renamed." : " files sorted."));
    ui_.SetProgress(0, maximum);
}

void SortCommands::RunRenameOne(int row, const std::string& inPattern, const std::string& outPattern,
                                const SortInputs& boxes) {
    clsFile& file = lc_.filCurrent();
    int result = ENOENT;
    if (ReadRow(row)) {
        const FileValues values = GetFileValues(file, InPatternFor(inPattern, boxes), row, settings_);
        result = file.Rename(BuildNewFileName(values, outPattern, settings_));
    }
    handled_ = 1;
    if (result != 0) {
        ++failed_;
        ui_.Ask("Error " + std::to_string(result) + " occured while renaming file. Make sure the file is not in use.", mbOK,
                miError, "Vorda");
    } else {
        lc_.UpdateListItem(row, file);
    }
    ui_.SetProgress(0, 0);
}

void SortCommands::SortFiles(bool all, int method, const std::string& target, const std::string& pathPattern,
                             const std::string& albumPattern, const std::string& inPattern,
                             const std::string& outPattern, const SortInputs& boxes) {
    handled_ = 0;
    failed_ = 0;
    cancelled_ = false;
    if (list_.Count() == 0) return;
    if (!all && boxes.currentRow < 1) return;
    if (!IsFileMethod(method)) return;

    try {
        std::string folder;
        if (method == foMove || method == foCopy) {
            // The folder is used as typed (a Linux name may end in a blank); only a blank text is empty.
            if (!Trim(target).empty()) folder = AddBackslash(ExpandHome(target));
            if (CheckTargetDir(folder) != 1) return;
        }

        if (all)
            ui_.SetProgress(0, list_.Count());
        else if (lc_.bMultiChange)
            ui_.SetProgress(0, CountSelectedFiles(list_));

        if (method == foRename) {
            if (all || lc_.bMultiChange) {
                if (boxes.fixFilenames) RunSteps(foRename, RenameSteps(all, inPattern, outPattern, boxes));
            } else
                RunRenameOne(boxes.currentRow, inPattern, outPattern, boxes);
            return;
        }
        std::vector<RunStep> steps;
        for (PlannedMove& p : PlanSort(all, folder, pathPattern, albumPattern, inPattern, outPattern, boxes))
            steps.push_back({std::move(p.source), std::move(p.destination), 0});
        RunSteps(method, steps);
    } catch (const std::exception&) {
        ui_.SetProgress(0, 0);
    }
}

bool SortCommands::Confirm(bool all, const std::string& target, const SortInputs& in) {
    const std::string how = in.method == foCopy ? "(copy)" : "(move)";
    std::string text = "Are you sure you want to sort " + how + (all ? " all files" : " the selected files") +
                       " like this?\n\nGeneral files: \n" + target + in.pathPattern;
    if (in.useAlbumPattern) text += "\n\nAlbums: \n" + target + in.albumPattern;
    if (in.fixFilenames) text += "\n\nFixing and renaming all files as: \n" + in.outPattern;
    return ui_.Ask(text, mbYesNo, miQuestion, "Vorda") == anYes;
}

void SortCommands::AfterMove() {
    lc_.RemoveNonexistentFiles();
    // The current row may have moved up with the removals: it is the selected row now.
    if (currentRow_ > list_.Count()) currentRow_ = list_.Count();
}

void SortCommands::RunCommand(bool all, const SortInputs& in) {
    currentRow_ = in.currentRow;
    if (list_.Count() == 0) {
        ui_.Ask("There are no files in the list.", mbOK, miInformation, "Vorda");
        return;
    }
    if (!IsFileMethod(in.method)) return;
    const std::string target = Trim(in.targetDir).empty() ? std::string() : AddBackslash(in.targetDir);
    if ((in.method == foMove || in.method == foCopy) && !Confirm(all, target, in)) return;
    Status(SortRunningText(in.method));

    if (all) {
        SortFiles(true, in.method, target, in.pathPattern, in.albumPattern, in.inPattern, in.outPattern, in);
    } else {
        if (list_.SelectedCount() > 1) lc_.bMultiChange = true;
        SortFiles(false, in.method, target, in.pathPattern, in.albumPattern, in.inPattern,
                  lc_.bMultiChange ? in.outPattern : in.newName, in);
        if (!lc_.bMultiChange && list_.Count() > 0) {
            const int r = list_.Count() == 1 ? 1 : in.currentRow;
            if (r >= 1 && r + 1 <= list_.Count()) {
                list_.SetSelected(r, false);
                list_.SetSelected(r + 1, true);
                currentRow_ = r + 1;
                // After a move the row just handled goes, and the next one takes its place.
                if (in.method == foMove && !PathExists(list_.GetFullPath(r))) currentRow_ = r;
                lc_.ShowFile(r + 1);
            }
        }
    }
    if (in.method == foMove) {
        AfterMove();
        if (all) ui_.ClearPanes();
    }
    Status(SortDoneText(in.method));
}

void SortCommands::SortAllFiles(const SortInputs& in) { RunCommand(true, in); }

void SortCommands::SortSelectedFiles(const SortInputs& in) { RunCommand(false, in); }

void SortCommands::SortSelectedUsing(const SortInputs& in, size_t outPatternIndex) {
    currentRow_ = in.currentRow;
    if (outPatternIndex >= settings_.OutPatterns.size() || settings_.OutPatterns[outPatternIndex].empty()) return;
    if (list_.SelectedCount() > 1) lc_.bMultiChange = true;
    SortFiles(false, in.method, in.targetDir, in.pathPattern, in.albumPattern, in.inPattern,
              settings_.OutPatterns[outPatternIndex], in);
    if (in.method == foMove) AfterMove();
}

void SortCommands::SortSelectedAsAlbum(const SortInputs& in) {
    currentRow_ = in.currentRow;
    handled_ = 0;
    failed_ = 0;
    cancelled_ = false;
    if (in.method != foMove && in.method != foCopy) return;
    const std::string target = Trim(in.targetDir).empty() ? std::string() : AddBackslash(in.targetDir);
    clsFile& file = lc_.filCurrent();
    // The files this command has put in place: never replaced by a later one.
    std::unordered_set<std::string> produced;
    for (int i = 1; i <= list_.Count(); ++i) {
        if (!list_.Selected(i) || !ReadRow(i)) continue;
        const FileValues values = GetFileValues(file, in.inPattern, i, settings_);
        const std::string folder = BuildDestinationFolder(target, values, in.albumPattern, settings_);
        // Without a target folder a relative album folder would land wherever the program runs.
        if (folder.empty() || folder.front() != '/') continue;
        CreateFolderTree(folder);
        std::string name = BuildNewFileName(values, in.outPattern, settings_);
        if (name.empty()) name = file.name();
        ++handled_;
        const std::string destination = folder + name;
        const std::string key = NormalPath(destination);
        if (produced.count(key) > 0 && settings_.feaFileExistAction == feaReplace) {
            ui_.Ask(OwnFileKeptText(destination, file.FullPath(), true), mbOK, miWarning, "Vorda");
            continue;
        }
        if (SortFile(file, destination, in.method) != 0)
            ++failed_;
        else
            produced.insert(key);
    }
    if (in.method == foMove) AfterMove();
}

}  // namespace vorda
