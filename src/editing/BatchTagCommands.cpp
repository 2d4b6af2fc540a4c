// SPDX-License-Identifier: GPL-2.0-or-later

#include "editing/BatchTagCommands.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "base/FileOps.h"
#include "base/Text.h"
#include "naming/FileNameFixer.h"
#include "naming/PatternEngine.h"
#include "tags/AudioFile.h"
#include "tags/TagFileWriter.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;
using namespace vorda::naming;

namespace vorda::editing {

namespace {

struct FieldSlot {
    int key;
    const char* placeholder;
};

// Simple mode: the combined keys (ID3v2 with ID3v1 fallback, written to every tag).
constexpr FieldSlot kSimpleFields[] = {
    {ValueKey::Artist, "<artist>"},        {ValueKey::Title, "<title>"},         {ValueKey::Album, "<album>"},
    {ValueKey::Comment, "<comment>"},      {ValueKey::Genre, "<genre>"},         {ValueKey::Year, "<year>"},
    {ValueKey::Composer, "<composer>"},    {ValueKey::EncodedBy, "<encodedby>"}, {ValueKey::Copyright, "<copyright>"},
    {ValueKey::OrgArtist, "<origartist>"}, {ValueKey::Track, "<track>"}};

constexpr FieldSlot kV2Fields[] = {
    {ValueKey::V2Artist, "<artist>"},      {ValueKey::V2Title, "<title>"},       {ValueKey::V2Album, "<album>"},
    {ValueKey::V2Comment, "<comment>"},    {ValueKey::V2Genre, "<genre>"},       {ValueKey::V2Year, "<year>"},
    {ValueKey::Composer, "<composer>"},    {ValueKey::EncodedBy, "<encodedby>"}, {ValueKey::Copyright, "<copyright>"},
    {ValueKey::OrgArtist, "<origartist>"}, {ValueKey::V2Track, "<track>"}};

constexpr FieldSlot kV1Fields[] = {{ValueKey::V1Artist, "<artist>"}, {ValueKey::V1Title, "<title>"},
                                   {ValueKey::V1Album, "<album>"},   {ValueKey::V1Comment, "<comment>"},
                                   {ValueKey::V1Genre, "<genre>"},   {ValueKey::V1Year, "<year>"},
                                   {ValueKey::V1Track, "<track>"}};

bool isFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool isTrackKey(int key) { return key == ValueKey::Track || key == ValueKey::V2Track || key == ValueKey::V1Track; }

// The leading number of text (sign, digits), as a whole number; 0 when there is none.
long long leadingValue(const std::string& text) {
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
std::vector<int> selectedRows(const FileList& list) {
    std::vector<int> rows;
    for (int row = 1; row <= list.count(); ++row)
        if (list.selected(row)) rows.push_back(row);
    return rows;
}

void applyAction(TagHandler& tag, int kind, TagAction action) {
    if (action == TagAction::Add)
        tag.add(kind);
    else if (action == TagAction::Remove)
        tag.remove(kind);
}

}  // namespace

TagActions fixTagActions(const TagSwitches& sw, bool advancedMode) {
    TagActions a;
    if (advancedMode) {
        a.v1 = sw.chkID3v1Rem ? TagAction::Remove : (sw.chkID3v1 ? TagAction::Add : TagAction::Leave);
        a.v2 = sw.chkID3v2Rem ? TagAction::Remove : (sw.chkID3v2 ? TagAction::Add : TagAction::Leave);
    } else {
        a.v1 = a.v2 = sw.chkID3v2 ? TagAction::Add : TagAction::Remove;
    }
    a.lyrics3 = sw.chkLyrics3Rem ? TagAction::Remove : (sw.chkLyrics3 ? TagAction::Add : TagAction::Leave);
    return a;
}

std::string fixedTrack(const std::string& track, const std::string& fileName) {
    if (isAllDigits(track) || leadingValue(track) != 0) return track;
    const std::string bare = removeExtension(getFileName(fileName));
    for (size_t i = 0; i + 1 < bare.size(); ++i)
        if (bare[i] >= '0' && bare[i] <= '9' && bare[i + 1] >= '0' && bare[i + 1] <= '9') return bare.substr(i, 2);
    for (char c : bare)
        if (c >= '0' && c <= '9') return std::string(1, c);
    return {};
}

void fixFileTags(AudioFile& file, const TagActions& actions, bool advancedMode, const std::string& inPattern,
                 const Settings& s) {
    TagHandler& tag = file.tag();
    if (file.audio().audioType() == "MPEG") {
        // ID3v1 first: a Lyrics3 block can only be added behind an ID3v1 tag.
        applyAction(tag, TagKind::Id3v1, actions.v1);
        applyAction(tag, TagKind::Id3v2, actions.v2);
        applyAction(tag, TagKind::Lyrics3, actions.lyrics3);
    }
    const std::string path = file.fullPath();
    auto fixSlots = [&](const FieldSlot* begin, const FieldSlot* end) {
        for (const FieldSlot* slot = begin; slot != end; ++slot) {
            std::string value = fixedFieldValue(file, slot->key, slot->placeholder, path, inPattern, s);
            if (isTrackKey(slot->key)) {
                value = fixedTrack(value, path);
                if (!value.empty() && s.padTrackNumber && s.trackDigits >= 1)
                    value = padTrackNumber(value, s.trackDigits);
            }
            tag.setValue(slot->key, value);
        }
    };
    if (!advancedMode) {
        fixSlots(std::begin(kSimpleFields), std::end(kSimpleFields));
        return;
    }
    const bool v2 = actions.v2 == TagAction::Add || (tag.hasTag(TagKind::Id3v2) && actions.v2 != TagAction::Remove);
    const bool v1 = actions.v1 == TagAction::Add || (tag.hasTag(TagKind::Id3v1) && actions.v1 != TagAction::Remove);
    if (v2) fixSlots(std::begin(kV2Fields), std::end(kV2Fields));
    if (v1) fixSlots(std::begin(kV1Fields), std::end(kV1Fields));
}

void BatchResult::addFailure(const std::string& path, int error) {
    failures.emplace_back(path, error);
    if (failed++ == 0) firstError = path + ": Error " + std::to_string(error) + " " + errorText(error);
}

std::string failureMessage(const BatchResult& result, const std::string& what) {
    if (result.failed == 0) return {};
    return what + " failed for " + std::to_string(result.failed) + (result.failed == 1 ? " file." : " files.") +
           "\r\n\r\nFirst error: " + result.firstError;
}

void showFileAgain(ListCommands& cmds, const std::string& path) {
    FileList& list = cmds.list();
    AudioFile file;
    file.setOptions(cmds.fileOptions());
    for (int row = 1; row <= list.count(); ++row)
        if (list.getFullPath(row) == path && file.readFile(path, true)) cmds.updateListItem(row, file);
}

namespace {

// Files whose rebuild could not be put in place when the batch was committed failed after all;
// their rows show again what the files hold.
void countBatchFailures(tags::DeferredRebuilds& batch, BatchResult& result, ListCommands& cmds) {
    for (const tags::DeferredRebuilds::Failure& f : batch.commit()) {
        if (result.processed > 0) --result.processed;
        result.addFailure(f.path, f.error);
        showFileAgain(cmds, f.path);
    }
}

}  // namespace

BatchTagCommands::BatchTagCommands(ListCommands& cmds, UserInterface& ui, Settings& s) : cmds_(cmds), ui_(ui), s_(s) {}

void BatchTagCommands::reportFailures(const BatchResult& result, const std::string& what) {
    const std::string text = failureMessage(result, what);
    if (!text.empty()) ui_.ask(text, MessageButtons::Ok, MessageIcon::Error);
}

BatchResult BatchTagCommands::forEachRow(const std::vector<int>& rows, const RowAction& action) {
    BatchResult result;
    FileList& list = cmds_.list();
    AudioFile& file = cmds_.filCurrent();
    file.setOptions(tagOptions(s_));
    const long long total = static_cast<long long>(rows.size());
    long long done = 0;
    ui_.setProgress(0, total);
    tags::DeferredRebuilds batch;
    for (size_t index = 0; index < rows.size(); ++index) {
        const int row = rows[index];
        const std::string path = list.getFullPath(row);
        if (path.empty() || !file.readFile(path, true)) {
            result.addFailure(path, ENOENT);
        } else {
            const int error = action(file, path, index);
            if (error != 0)
                result.addFailure(path, error);
            else
                ++result.processed;
            // The row shows what the file holds now, written or not.
            if (file.readFile(path, true)) cmds_.updateListItem(row, file);
        }
        ui_.setProgress(++done, total);
        ui_.repaint();
    }
    countBatchFailures(batch, result, cmds_);
    ui_.setProgress(0, 0);
    return result;
}

BatchResult BatchTagCommands::fixTags(const TagSwitches& switches, bool detect, const std::string& inPattern) {
    if (cmds_.bMultiChange) return fixSelectedFiles(switches, detect, inPattern);

    BatchResult result;
    ui_.setStatus(3, kFixing);
    AudioFile& file = cmds_.filCurrent();
    file.setOptions(tagOptions(s_));
    const std::string path = file.fullPath();
    if (!path.empty() && isFile(path)) {
        // The shown file: the values typed in the panes go into the working object, which is
        // then fixed in memory; "Save tags" writes it.
        if (takePaneValues) takePaneValues(file);
        std::string pattern = inPattern;
        if (detect) {
            pattern = detectInPattern(path, s_);
            if (inPatternDetected) inPatternDetected(pattern);
        }
        fixFileTags(file, fixTagActions(switches, s_.advancedMode), s_.advancedMode, pattern, s_);
        if (showFixedTags) showFixedTags(file);
        result.processed = 1;
    }
    ui_.setStatus(3, kFixed);
    return result;
}

BatchResult BatchTagCommands::fixSelectedFiles(const TagSwitches& switches, bool detect, const std::string& inPattern) {
    BatchResult result;
    ui_.setStatus(3, kFixing);
    const TagActions actions = fixTagActions(switches, s_.advancedMode);
    FileList& list = cmds_.list();

    // Rows whose file is gone are skipped and not counted for the progress bar.
    std::vector<std::pair<int, std::string>> work;
    for (int row : selectedRows(list)) {
        std::string path = list.getFullPath(row);
        if (!path.empty() && isFile(path)) work.emplace_back(row, std::move(path));
    }
    const long long total = static_cast<long long>(work.size());
    ui_.setProgress(0, total);

    AudioFile& file = cmds_.filCurrent();
    file.setOptions(tagOptions(s_));
    std::string pattern = inPattern;
    long long done = 0;
    tags::DeferredRebuilds batch;
    for (const auto& [row, path] : work) {
        if (!file.readFile(path, true)) {
            result.addFailure(path, EIO);
        } else {
            if (detect) {
                pattern = detectInPattern(path, s_);
                if (inPatternDetected) inPatternDetected(pattern);
            }
            fixFileTags(file, actions, s_.advancedMode, pattern, s_);
            const int error = file.putTags();
            if (error != 0)
                result.addFailure(path, error);
            else
                ++result.processed;
            // The row shows what the file holds now, written or not.
            if (file.readFile(path, true)) cmds_.updateListItem(row, file);
        }
        ui_.setProgress(++done, total);
        ui_.repaint();
    }
    countBatchFailures(batch, result, cmds_);
    file.reset();
    ui_.setProgress(0, 0);
    ui_.setStatus(3, kFixed);
    reportFailures(result, "Fixing tags");
    return result;
}

long BatchTagCommands::parseStartValue(const std::string& answer) {
    const std::string text = trim(answer);
    if (text.empty()) return 0;
    size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i >= text.size()) return 0;
    for (size_t j = i; j < text.size(); ++j)
        if (text[j] < '0' || text[j] > '9') return 0;
    const long long value = leadingValue(text);
    if (value > 100000) return 100000;
    if (value < -100000) return -100000;
    return static_cast<long>(value);
}

BatchResult BatchTagCommands::addTrackNumbers() {
    std::string answer;
    if (!inputBox || !inputBox(kStartPrompt, "1", answer)) return {};
    const long start = parseStartValue(answer);
    if (start == 0) return {};
    if (start < 0 || start >= 255) {
        ui_.ask(kInvalidStart, MessageButtons::Ok, MessageIcon::Information);
        return {};
    }
    return numberTracks(start);
}

BatchResult BatchTagCommands::numberTracks(long start, const std::vector<int>& addKinds) {
    FileList& list = cmds_.list();
    std::vector<std::string> unchanged;
    BatchResult result = forEachRow(selectedRows(list), [&](AudioFile& file, const std::string& path, size_t index) {
        for (const int kind : addKinds) file.tag().add(kind);
        if (!file.tag().setValue(ValueKey::Track, std::to_string(start + static_cast<long>(index)))) {
            unchanged.push_back(path);
            return 0;
        }
        return file.putTags();
    });
    result.processed -= static_cast<int>(unchanged.size());
    result.unchanged = std::move(unchanged);
    if (!result.unchanged.empty())
        ui_.ask(std::to_string(result.unchanged.size()) + (result.unchanged.size() == 1 ? " file " : " files ") +
                    kNoTagForTrack + "\r\n\r\nFirst file: " + result.unchanged.front(),
                MessageButtons::Ok, MessageIcon::Information);
    // The working object now holds the last numbered file; show the selected one again.
    const int first = list.firstSelected();
    if (!cmds_.bMultiChange && first > 0) cmds_.showFile(first);
    reportFailures(result, "Numbering tracks");
    return result;
}

BatchResult BatchTagCommands::removeTags() {
    BatchResult result;
    FileList& list = cmds_.list();
    const std::vector<int> rows = selectedRows(list);
    if (rows.empty()) return result;
    if (cmds_.bMultiChange &&
        ui_.ask(kRemoveQuestion, MessageButtons::YesNo, MessageIcon::Question) != MessageAnswer::Yes)
        return result;

    result = forEachRow(rows, [&](AudioFile& file, const std::string& path, size_t) {
        file.tag().remove(TagKind::All);
        int error = file.putTags();
        // The handler lets an explicit removal win over "Always"; the option still gives
        // the file a fresh, empty tag, written from the tagless file.
        if (error == 0 && (s_.useId3v1 == TagUse::Always || s_.useId3v2 == TagUse::Always) && file.readFile(path, true))
            error = file.putTags();
        return error;
    });
    AudioFile& file = cmds_.filCurrent();
    if (!cmds_.bMultiChange)
        cmds_.showFile(rows.front());
    else
        file.reset();
    reportFailures(result, "Removing tags");
    return result;
}

BatchResult BatchTagCommands::removeJunk() {
    const std::vector<int> rows = selectedRows(cmds_.list());
    BatchResult result =
        forEachRow(rows, [](AudioFile& file, const std::string&, size_t) { return file.tag().removeJunk(); });
    AudioFile& file = cmds_.filCurrent();
    if (!cmds_.bMultiChange && !rows.empty())
        cmds_.showFile(rows.front());
    else if (!rows.empty())
        file.reset();
    reportFailures(result, "Removing junk");
    return result;
}

void BatchTagCommands::extractTags() {
    if (cmds_.bMultiChange) return;
    const int row = cmds_.list().firstSelected();
    if (row > 0) cmds_.showFile(row);
}

}  // namespace vorda::editing
