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
#include "app/qt/MainWindow.h"
#include "editing/SaveTagsCommand.h"
#include "editing/qt/FramesPage.h"
#include "editing/qt/TagEditor.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

namespace vorda::app {

void MainWindow::createTagEditor() {
    // Pages: 0 "TAG", 1 "ID3v2+", 2 "Lyrics3", 3 "File info".
    tagEditor_ = new TagEditor(picTAG[0], picTAG[2], picTAG[3], this);
    auto* framesLayout = new QVBoxLayout(picTAG[1]);
    framesLayout->setContentsMargins(0, 0, 0, 0);
    auto* frames = new FramesPage(picTAG[1]);
    frames->setObjectName(QStringLiteral("picFrames"));
    framesLayout->addWidget(frames);
    connectFramesPage(frames);
    tagEditor_->cmdCopyFromV1 = frames->cmdCopyFromV1;
    tagEditor_->cmdCopyToV1 = frames->cmdCopyToV1;

    collectTagPanes = [this] { return collectPanesWithPicture(); };
    applyTagPanes = [this](const TagPanes& panes) { tagEditor_->apply(panes); };
    tagEditor_->navigate = [this](bool down, bool shift) { stepFromTagArea(down, shift); };
    tabTAGs->tabBar()->installEventFilter(tagEditor_);

    connect(tagEditor_, &TagEditor::saveRequested, this, &MainWindow::saveTags);
    mnuSaveTags->setEnabled(true);
    connect(mnuSaveTags, &QAction::triggered, tagEditor_->cmdSaveTags, &QPushButton::click);
    mnuAdvancedMode->setEnabled(true);
    connect(mnuAdvancedMode, &QAction::toggled, this, &MainWindow::setAdvancedMode);
    setTagFieldMaxLength(lyricsFieldMaxLength(settings().useLyrics3));

    // Showing a file fills the panes after what the window already shows of it.
    auto shown = cmds_.fileShown;
    cmds_.fileShown = [this, shown](AudioFile& file) {
        if (shown) shown(file);
        showTagPanes(file);
    };
    tagEditor_->setAdvanced(settings().advancedMode);
    clearPanes();
}

void MainWindow::showTagPanes(AudioFile& file) {
    if (!tagEditor_ || !settings().readTags) return;
    const bool advanced = settings().advancedMode;
    TagPanes panes = tagEditor_->collect();
    if (!file.audio().audioType().empty()) panes.fileInfo = fileInfoTexts(file);
    showTagsInPanes(panes, file, advanced);
    tagEditor_->apply(panes);
    if (framesPage_ && (!advanced || file.tag().hasTag(tkID3v2))) framesPage_->showFile(file);
}

void MainWindow::clearPanes() {
    shownPath_.clear();
    shownMany_ = cmds_.bMultiChange;
    if (!tagEditor_) return;  // the window is still being built
    const bool advanced = settings().advancedMode;
    TagPanes panes;
    clearTagPanes(panes, advanced, cmds_.bMultiChange);
    tagEditor_->apply(panes);
    if (framesPage_) {
        framesPage_->clear();
        framesPage_->setMultiSelection(cmds_.bMultiChange);
        if (advanced) {
            framesPage_->cmdCopyToV1->setEnabled(true);
            framesPage_->cmdCopyFromV1->setEnabled(true);
        }
    }
    setStatus(2, "Filesize: 0 kB");
    txtOldName->clear();
    txtNewName->clear();
}

void MainWindow::setAdvancedMode(bool advanced) {
    settings().advancedMode = advanced;
    if (mnuAdvancedMode->isChecked() != advanced) {
        const QSignalBlocker block(mnuAdvancedMode);
        mnuAdvancedMode->setChecked(advanced);
    }
    tagEditor_->setAdvanced(advanced);
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
    model_->syncSelectionToView();
    const QModelIndex index = model_->index(next - 1, 0);
    lstFiles2->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    lstFiles2->scrollTo(index);
    settleSelection();
}

void MainWindow::setTagFieldMaxLength(int maxLength) {
    if (tagEditor_) tagEditor_->setFieldMaxLength(maxLength);
}

TagPanes MainWindow::collectPanesWithPicture() {
    TagPanes panes = tagEditor_->collect();
    // The picture for several files waits on the "ID3v2+" page; the save takes it from the panes.
    if (framesPage_ && cmds_.bMultiChange) {
        panes.pendingPicture = framesPage_->pendingPicture();
        panes.pendingPictureMime = framesPage_->pendingPictureMime();
    }
    return panes;
}

void MainWindow::saveTags() {
    if (busy_ || !tagEditor_) return;
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
    if (outcome != SaveTagsCommand::Outcome::Saved || cmds_.bMultiChange) tagEditor_->apply(panes);
}

}  // namespace vorda::app
