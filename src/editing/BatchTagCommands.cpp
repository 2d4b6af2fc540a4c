#include "editing/BatchTagCommands.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "app/FileOps.h"
#include "app/Routines.h"
#include "naming/PatternEngine.h"
#include "naming/mdlFixFileName.h"
#include "tags/TagFileWriter.h"
#include "tags/clsFile.h"

namespace vorda {

namespace {

struct FieldSlot {
    int key;
    const char* placeholder;
};

// Simple mode: the combined keys (ID3v2 with ID3v1 fallback, written to every tag).
constexpr FieldSlot kSimpleFields[] = {
    {tvArtist, "<artist>"},       {tvTitle, "<title>"},         {tvAlbum, "<album>"},
    {tvComment, "<comment>"},     {tvGenre, "<genre>"},         {tvYear, "<year>"},
    {tvComposer, "<composer>"},   {tvEncodedBy, "<encodedby>"}, {tvCopyright, "<copyright>"},
    {tvOrgArtist, "<origartist>"}, {tvTrack, "<track>"}};

constexpr FieldSlot kV2Fields[] = {
    {tvV2Artist, "<artist>"},     {tvV2Title, "<title>"},       {tvV2Album, "<album>"},
    {tvV2Comment, "<comment>"},   {tvV2Genre, "<genre>"},       {tvV2Year, "<year>"},
    {tvComposer, "<composer>"},   {tvEncodedBy, "<encodedby>"}, {tvCopyright, "<copyright>"},
    {tvOrgArtist, "<origartist>"}, {tvV2Track, "<track>"}};

constexpr FieldSlot kV1Fields[] = {
    {tvV1Artist, "<artist>"}, {tvV1Title, "<title>"}, {tvV1Album, "<album>"}, {tvV1Comment, "<comment>"},
    {tvV1Genre, "<genre>"},   {tvV1Year, "<year>"},   {tvV1Track, "<track>"}};

bool IsFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool IsTrackKey(int key) { return key == tvTrack || key == tvV2Track || key == tvV1Track; }

// The leading number of text (sign, digits), as a whole number; 0 when there is none.
long long LeadingValue(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    bool any = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (value < 100000000000LL) value = value * 10 + (text[i] - '0');
        any = true;
        ++i;
    }
    if (!any) return 0;
    return negative ? -value : value;
}

// The selected rows of the list, top to bottom.
std::vector<int> SelectedRows(const FileList& list) {
    std::vector<int> rows;
    for (int row = 1; row <= list.Count(); ++row)
        if (list.Selected(row)) rows.push_back(row);
    return rows;
}

void ApplyAction(clsTag& tag, int kind, int action) {
    if (action == taAdd) tag.Add(kind);
    else if (action == taRemove) tag.Remove(kind);
}

}  // namespace

TagActions FixTagActions(const TagSwitches& sw, bool advancedMode) {
    TagActions a;
    if (advancedMode) {
        a.v1 = sw.chkID3v1Rem ? taRemove : (sw.chkID3v1 ? taAdd : taLeave);
        a.v2 = sw.chkID3v2Rem ? taRemove : (sw.chkID3v2 ? taAdd : taLeave);
    } else {
        a.v1 = a.v2 = sw.chkID3v2 ? taAdd : taRemove;
    }
    a.lyrics3 = sw.chkLyrics3Rem ? taRemove : (sw.chkLyrics3 ? taAdd : taLeave);
    return a;
}

std::string FixedTrack(const std::string& track, const std::string& fileName) {
    if (IsAllDigits(track) || LeadingValue(track) != 0) return track;
    const std::string bare = RemoveExtension(GetFileName(fileName));
    for (size_t i = 0; i + 1 < bare.size(); ++i)
        if (bare[i] >= '0' && bare[i] <= '9' && bare[i + 1] >= '0' && bare[i + 1] <= '9') return bare.substr(i, 2);
    for (char c : bare)
        if (c >= '0' && c <= '9') return std::string(1, c);
    return {};
}

void FixFileTags(clsFile& file, const TagActions& actions, bool advancedMode, const std::string& inPattern,
                 const Settings& s) {
    clsTag& tag = file.Tag();
    if (file.Audio().AudioType() == "MPEG") {
        // ID3v1 first: a Lyrics3 block can only be added behind an ID3v1 tag.
        ApplyAction(tag, tkID3v1, actions.v1);
        ApplyAction(tag, tkID3v2, actions.v2);
        ApplyAction(tag, tkLyrics3, actions.lyrics3);
    }
    const std::string path = file.FullPath();
    auto fixSlots = [&](const FieldSlot* begin, const FieldSlot* end) {
        for (const FieldSlot* slot = begin; slot != end; ++slot) {
            std::string value = FixedFieldValue(file, slot->key, slot->placeholder, path, inPattern, s);
            if (IsTrackKey(slot->key)) {
                value = FixedTrack(value, path);
                if (!value.empty() && s.bPadTrackNr && s.iTrackDigits >= 1)
                    value = PadTrackNumber(value, s.iTrackDigits);
            }
            tag.SetValue(slot->key, value);
        }
    };
    if (!advancedMode) {
        fixSlots(std::begin(kSimpleFields), std::end(kSimpleFields));
        return;
    }
    const bool v2 = actions.v2 == taAdd || (tag.hasTag(tkID3v2) && actions.v2 != taRemove);
    const bool v1 = actions.v1 == taAdd || (tag.hasTag(tkID3v1) && actions.v1 != taRemove);
    if (v2) fixSlots(std::begin(kV2Fields), std::end(kV2Fields));
    if (v1) fixSlots(std::begin(kV1Fields), std::end(kV1Fields));
}

void BatchResult::AddFailure(const std::string& path, int error) {
    failures.emplace_back(path, error);
    if (failed++ == 0) firstError = path + ": Error " + std::to_string(error) + " " + ErrorText(error);
}

std::string FailureMessage(const BatchResult& result, const std::string& what) {
    if (result.failed == 0) return {};
    return what + " failed for " + std::to_string(result.failed) + (result.failed == 1 ? " file." : " files.") +
           "\r\n\r\nFirst error: " + result.firstError;
}

void ShowFileAgain(ListCommands& cmds, const std::string& path) {
    FileList& list = cmds.List();
    clsFile file;
    for (int row = 1; row <= list.Count(); ++row)
        if (list.GetFullPath(row) == path && file.ReadFile(path, true)) cmds.UpdateListItem(row, file);
}

namespace {

// Files whose rebuild could not be put in place when the batch was committed failed after all;
// their rows show again what the files hold.
void CountBatchFailures(tagfile::DeferredRebuilds& batch, BatchResult& result, ListCommands& cmds) {
    for (const tagfile::DeferredRebuilds::Failure& f : batch.Commit()) {
        if (result.processed > 0) --result.processed;
        result.AddFailure(f.path, f.error);
        ShowFileAgain(cmds, f.path);
    }
}

}  // namespace

BatchTagCommands::BatchTagCommands(ListCommands& cmds, UserInterface& ui, Settings& s)
    : cmds_(cmds), ui_(ui), s_(s) {}

void BatchTagCommands::ReportFailures(const BatchResult& result, const std::string& what) {
    const std::string text = FailureMessage(result, what);
    if (!text.empty()) ui_.Ask(text, mbOK, miError);
}

BatchResult BatchTagCommands::ForEachRow(const std::vector<int>& rows, const RowAction& action) {
    BatchResult result;
    FileList& list = cmds_.List();
    clsFile& file = cmds_.filCurrent();
    const long long total = static_cast<long long>(rows.size());
    long long done = 0;
    ui_.SetProgress(0, total);
    tagfile::DeferredRebuilds batch;
    for (size_t index = 0; index < rows.size(); ++index) {
        const int row = rows[index];
        const std::string path = list.GetFullPath(row);
        if (path.empty() || !file.ReadFile(path, true)) {
            result.AddFailure(path, ENOENT);
        } else {
            const int error = action(file, path, index);
            if (error != 0) result.AddFailure(path, error);
            else ++result.processed;
            // The row shows what the file holds now, written or not.
            if (file.ReadFile(path, true)) cmds_.UpdateListItem(row, file);
        }
        ui_.SetProgress(++done, total);
        ui_.Repaint();
    }
    CountBatchFailures(batch, result, cmds_);
    ui_.SetProgress(0, 0);
    return result;
}

BatchResult BatchTagCommands::FixTags(const TagSwitches& switches, bool detect, const std::string& inPattern) {
    if (cmds_.bMultiChange) return FixSelectedFiles(switches, detect, inPattern);

    BatchResult result;
    ui_.SetStatus(3, kFixing);
    clsFile& file = cmds_.filCurrent();
    const std::string path = file.FullPath();
    if (!path.empty() && IsFile(path)) {
        // The shown file: the values typed in the panes go into the working object, which is
        // then fixed in memory; "Save tags" writes it.
        if (TakePaneValues) TakePaneValues(file);
        std::string pattern = inPattern;
        if (detect) {
            pattern = DetectInPattern(path, s_);
            if (InPatternDetected) InPatternDetected(pattern);
        }
        FixFileTags(file, FixTagActions(switches, s_.bAdvancedMode), s_.bAdvancedMode, pattern, s_);
        if (ShowFixedTags) ShowFixedTags(file);
        result.processed = 1;
    }
    ui_.SetStatus(3, kFixed);
    return result;
}

BatchResult BatchTagCommands::FixSelectedFiles(const TagSwitches& switches, bool detect,
                                               const std::string& inPattern) {
    BatchResult result;
    ui_.SetStatus(3, kFixing);
    const TagActions actions = FixTagActions(switches, s_.bAdvancedMode);
    FileList& list = cmds_.List();

    // Rows whose file is gone are skipped and not counted for the progress bar.
    std::vector<std::pair<int, std::string>> work;
    for (int row : SelectedRows(list)) {
        std::string path = list.GetFullPath(row);
        if (!path.empty() && IsFile(path)) work.emplace_back(row, std::move(path));
    }
    const long long total = static_cast<long long>(work.size());
    ui_.SetProgress(0, total);

    clsFile& file = cmds_.filCurrent();
    std::string pattern = inPattern;
    long long done = 0;
    tagfile::DeferredRebuilds batch;
    for (const auto& [row, path] : work) {
        if (!file.ReadFile(path, true)) {
            result.AddFailure(path, EIO);
        } else {
            if (detect) {
                pattern = DetectInPattern(path, s_);
                if (InPatternDetected) InPatternDetected(pattern);
            }
            FixFileTags(file, actions, s_.bAdvancedMode, pattern, s_);
            const int error = file.PutTags();
            if (error != 0) result.AddFailure(path, error);
            else ++result.processed;
            // The row shows what the file holds now, written or not.
            if (file.ReadFile(path, true)) cmds_.UpdateListItem(row, file);
        }
        ui_.SetProgress(++done, total);
        ui_.Repaint();
    }
    CountBatchFailures(batch, result, cmds_);
    file.Reset();
    ui_.SetProgress(0, 0);
    ui_.SetStatus(3, kFixed);
    ReportFailures(result, "Fixing tags");
    return result;
}

long BatchTagCommands::ParseStartValue(const std::string& answer) {
    const std::string text = Trim(answer);
    if (text.empty()) return 0;
    size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i >= text.size()) return 0;
    for (size_t j = i; j < text.size(); ++j)
        if (text[j] < '0' || text[j] > '9') return 0;
    const long long value = LeadingValue(text);
    if (value > 100000) return 100000;
    if (value < -100000) return -100000;
    return static_cast<long>(value);
}

BatchResult BatchTagCommands::AddTrackNumbers() {
    std::string answer;
    if (!InputBox || !InputBox(kStartPrompt, "1", answer)) return {};
    const long start = ParseStartValue(answer);
    if (start == 0) return {};
    if (start < 0 || start >= 255) {
        ui_.Ask(kInvalidStart, mbOK, miInformation);
        return {};
    }
    return NumberTracks(start);
}

BatchResult BatchTagCommands::NumberTracks(long start, const std::vector<int>& addKinds) {
    FileList& list = cmds_.List();
    std::vector<std::string> unchanged;
    BatchResult result = ForEachRow(SelectedRows(list), [&](clsFile& file, const std::string& path, size_t index) {
        for (const int kind : addKinds) file.Tag().Add(kind);
        if (!file.Tag().SetValue(tvTrack, std::to_string(start + static_cast<long>(index)))) {
            unchanged.push_back(path);
            return 0;
        }
        return file.PutTags();
    });
    result.processed -= static_cast<int>(unchanged.size());
    result.unchanged = std::move(unchanged);
    if (!result.unchanged.empty())
        ui_.Ask(std::to_string(result.unchanged.size()) + (result.unchanged.size() == 1 ? " file " : " files ") +
                    kNoTagForTrack + "\r\n\r\nFirst file: " + result.unchanged.front(),
                mbOK, miInformation);
    // The working object now holds the last numbered file; show the selected one again.
    const int first = list.FirstSelected();
    if (!cmds_.bMultiChange && first > 0) cmds_.ShowFile(first);
    ReportFailures(result, "Numbering tracks");
    return result;
}

BatchResult BatchTagCommands::RemoveTags() {
    BatchResult result;
    FileList& list = cmds_.List();
    const std::vector<int> rows = SelectedRows(list);
    if (rows.empty()) return result;
    if (cmds_.bMultiChange && ui_.Ask(kRemoveQuestion, mbYesNo, miQuestion) != anYes) return result;

    result = ForEachRow(rows, [&](clsFile& file, const std::string& path, size_t) {
        file.Tag().Remove(tkAll);
        int error = file.PutTags();
        // The handler lets an explicit removal win over "Always"; the option still gives
        // the file a fresh, empty tag, written from the tagless file.
        if (error == 0 && (s_.UseID3v1 == tuAlways || s_.UseID3v2 == tuAlways) && file.ReadFile(path, true))
            error = file.PutTags();
        return error;
    });
    clsFile& file = cmds_.filCurrent();
    if (!cmds_.bMultiChange) cmds_.ShowFile(rows.front());
    else file.Reset();
    ReportFailures(result, "Removing tags");
    return result;
}

BatchResult BatchTagCommands::RemoveJunk() {
    const std::vector<int> rows = SelectedRows(cmds_.List());
    BatchResult result = ForEachRow(rows, [](clsFile& file, const std::string&, size_t) {
        return file.Tag().RemoveJunk();
    });
    clsFile& file = cmds_.filCurrent();
    if (!cmds_.bMultiChange && !rows.empty()) cmds_.ShowFile(rows.front());
    else if (!rows.empty()) file.Reset();
    ReportFailures(result, "Removing junk");
    return result;
}

void BatchTagCommands::ExtractTags() {
    if (cmds_.bMultiChange) return;
    const int row = cmds_.List().FirstSelected();
    if (row > 0) cmds_.ShowFile(row);
}

}  // namespace vorda
