// SPDX-License-Identifier: GPL-2.0-or-later

// The main window's tag area: the tag editor's pages, showing and clearing the panes,
// the display mode, the Up/Down steps from the tag fields, and "Save tags".
#include <algorithm>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "app/OptionsRules.h"
#include "app/qt/FileListModel.h"
#include "app/qt/FileListView.h"
#include "app/qt/MainWindow.h"
#include "app/qt/SortingPanel.h"
#include "editing/SaveTagsCommand.h"
#include "editing/qt/FramesPage.h"
#include "editing/qt/TagArea.h"
#include "editing/qt/TagEditor.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

namespace vorda::app {

void MainWindow::createTagEditor() {
    TagEditor* editor = tagArea_->tagEditor();
    connectFramesPage(tagArea_->framesPage());

    collectTagPanes = [this] { return collectPanesWithPicture(); };
    applyTagPanes = [editor](const TagPanes& panes) { editor->apply(panes); };
    editor->navigate = [this](bool down, bool shift) { stepFromTagArea(down, shift); };

    connect(editor, &TagEditor::saveRequested, this, &MainWindow::saveTags);
    saveTagsItem_->setEnabled(true);
    connect(saveTagsItem_, &QAction::triggered, editor->cmdSaveTags, &QPushButton::click);
    advancedModeItem_->setEnabled(true);
    connect(advancedModeItem_, &QAction::toggled, this, &MainWindow::setAdvancedMode);
    setTagFieldMaxLength(lyricsFieldMaxLength(settings().useLyrics3));

    // Showing a file fills the panes after what the window already shows of it.
    auto shown = cmds_.fileShown;
    cmds_.fileShown = [this, shown](AudioFile& file) {
        if (shown) shown(file);
        showTagPanes(file);
    };
    editor->setAdvanced(settings().advancedMode);
    tagEditorReady_ = true;
    clearPanes();
}

TagEditor* MainWindow::tagEditor() const { return tagArea_->tagEditor(); }

void MainWindow::showTagPanes(AudioFile& file) {
    if (!settings().readTags) return;
    TagEditor* editor = tagEditor();
    const bool advanced = settings().advancedMode;
    TagPanes panes = editor->collect();
    if (!file.audio().audioType().empty()) panes.fileInfo = fileInfoTexts(file);
    showTagsInPanes(panes, file, advanced);
    editor->apply(panes);
    if (framesPage_ && (!advanced || file.tag().hasTag(TagKind::Id3v2))) framesPage_->showFile(file);
}

void MainWindow::clearPanes() {
    shownPath_.clear();
    shownMany_ = cmds_.bMultiChange;
    if (!tagEditorReady_) return;  // the window is still being built
    const bool advanced = settings().advancedMode;
    TagPanes panes;
    clearTagPanes(panes, advanced, cmds_.bMultiChange);
    tagEditor()->apply(panes);
    if (framesPage_) {
        framesPage_->clear();
        framesPage_->setMultiSelection(cmds_.bMultiChange);
        if (advanced) {
            framesPage_->cmdCopyToV1->setEnabled(true);
            framesPage_->cmdCopyFromV1->setEnabled(true);
        }
    }
    setStatus(2, "Filesize: 0 kB");
    sortingPanel_->clearNames();
}

void MainWindow::setAdvancedMode(bool advanced) {
    settings().advancedMode = advanced;
    if (advancedModeItem_->isChecked() != advanced) {
        const QSignalBlocker block(advancedModeItem_);
        advancedModeItem_->setChecked(advanced);
    }
    tagEditor()->setAdvanced(advanced);
    const int row = list_.firstSelected();
    const bool wasBusy = busy_;
    busy_ = true;
    if (!cmds_.bMultiChange && row > 0 && list_.selectedCount() == 1)
        cmds_.showFile(row);
    else
        clearPanes();
    endCommand(wasBusy);
}

void MainWindow::stepFromTagArea(bool down, bool shift) {
    if (busy_ || cmds_.bMultiChange || list_.count() == 0 || list_.selectedCount() != 1) return;
    const int row = list_.firstSelected();
    const int next = down ? std::min(row + 1, list_.count()) : std::max(row - 1, 1);
    // Without Shift the next row replaces the shown one; with Shift it joins the selection,
    // which makes two selected rows: multi-change mode.
    if (!shift) list_.setSelected(row, false);
    list_.setSelected(next, true);
    listModel()->syncSelectionToView();
    const QModelIndex index = listModel()->index(next - 1, 0);
    fileList_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    fileList_->scrollTo(index);
    settleSelection();
}

void MainWindow::setTagFieldMaxLength(int maxLength) { tagEditor()->setFieldMaxLength(maxLength); }

TagPanes MainWindow::collectPanesWithPicture() {
    TagPanes panes = tagEditor()->collect();
    // The picture for several files waits on the "ID3v2+" page; the save takes it from the panes.
    if (framesPage_ && cmds_.bMultiChange) {
        panes.pendingPicture = framesPage_->pendingPicture();
        panes.pendingPictureMime = framesPage_->pendingPictureMime();
    }
    return panes;
}

void MainWindow::saveTags() {
    if (busy_ || !tagEditorReady_) return;
    // The panes must show what is selected before anything is written: a selection change not
    // yet followed shows the selected file (or several) instead, and nothing is saved.
    if (settleSelection()) return;
    TagPanes panes = collectPanesWithPicture();
    SaveTagsCommand save(cmds_, *this, settings());
    busy_ = true;
    const SaveTagsCommand::Outcome outcome = save.run(panes);
    endCommand(false);
    // A single-file save that worked showed the file again; otherwise the fields show what the
    // save made of them (the number fields filtered).
    if (outcome != SaveTagsCommand::Outcome::Saved || cmds_.bMultiChange) tagEditor()->apply(panes);
}

}  // namespace vorda::app
