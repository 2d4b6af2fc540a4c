// The main window's batch tag commands ("Fix tags", "Add tracknumbers...", "Remove tags",
// "Remove Junk", "Extract tags") and the binding of the "ID3v2+" page with its copy buttons.
#include <QAction>
#include <QLineEdit>
#include <QComboBox>
#include <QCheckBox>
#include <QInputDialog>
#include <QPushButton>

#include "app/QtFileListModel.h"
#include "app/frmVorda.h"
#include "editing/BatchTagCommands.h"
#include "editing/FieldEdit.h"
#include "editing/FrameCommands.h"
#include "editing/QtFramesPage.h"
#include "editing/SaveTagsCommand.h"
#include "tags/clsFile.h"

namespace vorda {

void frmVorda::SetupBatchCommands() {
    batch_ = std::make_unique<BatchTagCommands>(cmds_, *this, settings());
    copies_ = std::make_unique<TagCopyCommands>(cmds_, *this);

    batch_->TakePaneValues = [this](clsFile& file) {
        if (!CollectTagPanes) return;
        TagPanes panes = CollectTagPanes();
        const bool advanced = settings().bAdvancedMode;
        if (advanced) {
            panes.txtField[fldV1Track] = FilterChars(panes.txtField[fldV1Track], "0123456789", true);
            WriteMarkedFields(file.Tag(), panes, true, true);
            WriteMarkedFields(file.Tag(), panes, true, false);
        } else {
            WriteMarkedFields(file.Tag(), panes, false, false);
        }
    };
    batch_->ShowFixedTags = [this](clsFile& file) {
        if (CollectTagPanes && ApplyTagPanes) {
            TagPanes panes = CollectTagPanes();
            ShowTagsInPanes(panes, file, settings().bAdvancedMode);
            ApplyTagPanes(panes);
        }
        if (framesPage_) framesPage_->ShowFile(file);
    };
    batch_->InPatternDetected = [this](const std::string& pattern) {
        if (cmbInPattern) cmbInPattern->setEditText(QString::fromStdString(pattern));
    };
    batch_->InputBox = [this](const std::string& prompt, const std::string& def, std::string& answer) {
        if (TrackInputBox) return TrackInputBox(prompt, def, answer);
        bool ok = false;
        const QString text = QInputDialog::getText(this, QStringLiteral("Vorda"), QString::fromStdString(prompt),
                                                   QLineEdit::Normal, QString::fromStdString(def), &ok);
        answer = text.toStdString();
        return ok;
    };

    auto bind = [this](QAction* item, void (frmVorda::*command)()) {
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, [this, command] { (this->*command)(); });
    };
    bind(mnuFixTags, &frmVorda::FixTags);
    bind(mnuAddTracks, &frmVorda::AddTrackNumbers);
    bind(mnuRemoveTags, &frmVorda::RemoveTags);
    bind(mnuExtractID3, &frmVorda::ExtractTags);
    cmdRemJunk->setEnabled(true);
    connect(cmdRemJunk, &QPushButton::clicked, this, [this] { RemoveJunkFromSelected(); });
}

void frmVorda::RunBatch(const std::function<void()>& command) {
    const bool wasBusy = busy_;
    busy_ = true;
    command();
    EndCommand(wasBusy);
}

TagSwitches frmVorda::CurrentTagSwitches() const {
    TagSwitches sw;
    if (!CollectTagPanes) return sw;  // "Use tags" checked
    const TagPanes panes = CollectTagPanes();
    sw.chkID3v1 = panes.enabled[swID3v1];
    sw.chkID3v1Rem = panes.remove[swID3v1];
    sw.chkID3v2 = panes.enabled[swID3v2];
    sw.chkID3v2Rem = panes.remove[swID3v2];
    sw.chkLyrics3 = panes.enabled[swLyrics3];
    sw.chkLyrics3Rem = panes.remove[swLyrics3];
    return sw;
}

void frmVorda::FixTags() {
    if (list_.SelectedCount() == 0 && cmds_.filCurrent().FullPath().empty()) return;
    const TagSwitches sw = CurrentTagSwitches();
    const bool detect = chkDetectInPattern && chkDetectInPattern->isChecked();
    const std::string inPattern = cmbInPattern ? cmbInPattern->currentText().toStdString() : settings().sCurrentInPattern;
    RunBatch([&] { batch_->FixTags(sw, detect, inPattern); });
}

void frmVorda::AddTrackNumbers() {
    if (list_.SelectedCount() == 0) return;
    RunBatch([this] { batch_->AddTrackNumbers(); });
}

void frmVorda::RemoveTags() {
    RunBatch([this] { batch_->RemoveTags(); });
}

void frmVorda::RemoveJunkFromSelected() {
    RunBatch([this] { batch_->RemoveJunk(); });
}

void frmVorda::ExtractTags() {
    RunBatch([this] { batch_->ExtractTags(); });
}

void frmVorda::CopyToV1() {
    if (cmds_.bMultiChange) {
        RunBatch([this] { copies_->CopyToV1Several(); });
        return;
    }
    if (!CollectTagPanes || !ApplyTagPanes) return;
    TagPanes panes = CollectTagPanes();
    panes.SetEnabled(swID3v1, true);
    const V1Texts t = CopyToV1Texts(panes.txtField[fldTitle], panes.txtField[fldArtist], panes.txtField[fldAlbum],
                                    panes.txtField[fldYear], panes.txtField[fldTrack], panes.txtField[fldComment]);
    panes.SetField(fldV1Title, t.title);
    panes.SetField(fldV1Artist, t.artist);
    panes.SetField(fldV1Album, t.album);
    panes.SetField(fldV1Comment, t.comment);
    panes.SetField(fldV1Year, t.year);
    panes.SetField(fldV1Track, t.track);
    // Both genre boxes hold the same genres in the same order.
    panes.SetGenre(true, panes.cmbGenre);
    ApplyTagPanes(panes);
}

void frmVorda::CopyToV2() {
    if (cmds_.bMultiChange) {
        RunBatch([this] { copies_->CopyToV2Several(); });
        return;
    }
    if (!CollectTagPanes || !ApplyTagPanes) return;
    TagPanes panes = CollectTagPanes();
    panes.SetEnabled(swID3v2, true);
    panes.SetField(fldTitle, panes.txtField[fldV1Title]);
    panes.SetField(fldArtist, panes.txtField[fldV1Artist]);
    panes.SetField(fldAlbum, panes.txtField[fldV1Album]);
    panes.SetField(fldYear, panes.txtField[fldV1Year]);
    panes.SetGenre(false, panes.cmbV1Genre);
    panes.SetField(fldTrack, panes.txtField[fldV1Track]);
    panes.SetField(fldComment, panes.txtField[fldV1Comment]);
    ApplyTagPanes(panes);
}

void frmVorda::ConnectFramesPage(QtFramesPage* page) {
    framesPage_ = page;
    if (!page) return;
    page->LastDir = [] { return settings().sLastDir; };
    page->Ask = [this](const std::string& text, MsgButtons buttons, MsgIcon icon) { return Ask(text, buttons, icon); };
    connect(page, &QtFramesPage::copyToV1Requested, this, [this] { CopyToV1(); });
    connect(page, &QtFramesPage::copyToV2Requested, this, [this] { CopyToV2(); });
}

}  // namespace vorda
