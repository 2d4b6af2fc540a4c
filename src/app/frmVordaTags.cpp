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
#include "app/QtFileListModel.h"
#include "app/QtTagEditor.h"
#include "app/frmVorda.h"
#include "editing/QtFramesPage.h"
#include "editing/SaveTagsCommand.h"
#include "tags/clsFile.h"

namespace vorda {

void frmVorda::CreateTagEditor() {
    // Pages: 0 "TAG", 1 "ID3v2+", 2 "Lyrics3", 3 "File info".
    tagEditor_ = new QtTagEditor(picTAG[0], picTAG[2], picTAG[3], this);
    auto* framesLayout = new QVBoxLayout(picTAG[1]);
    framesLayout->setContentsMargins(0, 0, 0, 0);
    auto* frames = new QtFramesPage(picTAG[1]);
    frames->setObjectName(QStringLiteral("picFrames"));
    framesLayout->addWidget(frames);
    ConnectFramesPage(frames);
    tagEditor_->cmdCopyFromV1 = frames->cmdCopyFromV1;
    tagEditor_->cmdCopyToV1 = frames->cmdCopyToV1;

    CollectTagPanes = [this] { return CollectPanesWithPicture(); };
    ApplyTagPanes = [this](const TagPanes& panes) { tagEditor_->Apply(panes); };
    tagEditor_->Navigate = [this](bool down, bool shift) { StepFromTagArea(down, shift); };
    tabTAGs->tabBar()->installEventFilter(tagEditor_);

    connect(tagEditor_, &QtTagEditor::saveRequested, this, &frmVorda::SaveTags);
    mnuSaveTags->setEnabled(true);
    connect(mnuSaveTags, &QAction::triggered, tagEditor_->cmdSaveTags, &QPushButton::click);
    mnuAdvancedMode->setEnabled(true);
    connect(mnuAdvancedMode, &QAction::toggled, this, &frmVorda::SetAdvancedMode);
    SetTagFieldMaxLength(LyricsFieldMaxLength(settings().UseLyrics3));

    // Showing a file fills the panes after what the window already shows of it.
    auto shown = cmds_.FileShown;
    cmds_.FileShown = [this, shown](clsFile& file) {
        if (shown) shown(file);
        ShowTagPanes(file);
    };
    tagEditor_->SetAdvanced(settings().bAdvancedMode);
    ClearPanes();
}

void frmVorda::ShowTagPanes(clsFile& file) {
    if (!tagEditor_ || !settings().bReadTags) return;
    const bool advanced = settings().bAdvancedMode;
    TagPanes panes = tagEditor_->Collect();
    if (!file.Audio().AudioType().empty()) panes.fileInfo = FileInfoTexts(file);
    ShowTagsInPanes(panes, file, advanced);
    tagEditor_->Apply(panes);
    if (framesPage_ && (!advanced || file.Tag().hasTag(tkID3v2))) framesPage_->ShowFile(file);
}

void frmVorda::ClearPanes() {
    shownPath_.clear();
    shownMany_ = cmds_.bMultiChange;
    if (!tagEditor_) return;  // the window is still being built
    const bool advanced = settings().bAdvancedMode;
    TagPanes panes;
    ClearTagPanes(panes, advanced, cmds_.bMultiChange);
    tagEditor_->Apply(panes);
    if (framesPage_) {
        framesPage_->Clear();
        framesPage_->SetMultiSelection(cmds_.bMultiChange);
        if (advanced) {
            framesPage_->cmdCopyToV1->setEnabled(true);
            framesPage_->cmdCopyFromV1->setEnabled(true);
        }
    }
    SetStatus(2, "Filesize: 0 kB");
    txtOldName->clear();
    txtNewName->clear();
}

void frmVorda::SetAdvancedMode(bool advanced) {
    settings().bAdvancedMode = advanced;
    if (mnuAdvancedMode->isChecked() != advanced) {
        const QSignalBlocker block(mnuAdvancedMode);
        mnuAdvancedMode->setChecked(advanced);
    }
    tagEditor_->SetAdvanced(advanced);
    const int row = list_.FirstSelected();
    const bool wasBusy = busy_;
    busy_ = true;
    if (!cmds_.bMultiChange && row > 0 && list_.SelectedCount() == 1)
        cmds_.ShowFile(row);
    else
        ClearPanes();
    EndCommand(wasBusy);
}

void frmVorda::StepFromTagArea(bool down, bool shift) {
    if (busy_ || cmds_.bMultiChange || list_.Count() == 0 || list_.SelectedCount() != 1) return;
    const int row = list_.FirstSelected();
    const int next = down ? std::min(row + 1, list_.Count()) : std::max(row - 1, 1);
    // Without Shift the next row replaces the shown one; with Shift it joins the selection,
    // which makes two selected rows: multi-change mode.
    if (!shift) list_.SetSelected(row, false);
    list_.SetSelected(next, true);
    model_->SyncSelectionToView();
    const QModelIndex index = model_->index(next - 1, 0);
    lstFiles2->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    lstFiles2->scrollTo(index);
    SettleSelection();
}

void frmVorda::SetTagFieldMaxLength(int maxLength) {
    if (tagEditor_) tagEditor_->SetFieldMaxLength(maxLength);
}

TagPanes frmVorda::CollectPanesWithPicture() {
    TagPanes panes = tagEditor_->Collect();
    // The picture for several files waits on the "ID3v2+" page; the save takes it from the panes.
    if (framesPage_ && cmds_.bMultiChange) {
        panes.pendingPicture = framesPage_->PendingPicture();
        panes.pendingPictureMime = framesPage_->PendingPictureMime();
    }
    return panes;
}

void frmVorda::SaveTags() {
    if (busy_ || !tagEditor_) return;
    // The panes must show what is selected before anything is written: a selection change not
    // yet followed shows the selected file (or several) instead, and nothing is saved.
    if (SettleSelection()) return;
    TagPanes panes = CollectPanesWithPicture();
    SaveTagsCommand save(cmds_, *this, settings());
    busy_ = true;
    const SaveTagsCommand::Outcome outcome = save.Run(panes);
    EndCommand(false);
    // A single-file save that worked showed the file again; otherwise the fields show what the
    // save made of them (the number fields filtered).
    if (outcome != SaveTagsCommand::Outcome::Saved || cmds_.bMultiChange) tagEditor_->Apply(panes);
}

}  // namespace vorda
