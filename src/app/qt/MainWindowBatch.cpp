// SPDX-License-Identifier: GPL-2.0-or-later

// The main window's batch tag commands ("Fix tags", "Add tracknumbers...", "Remove tags",
// "Remove Junk", "Extract tags") and the binding of the "ID3v2+" page with its copy buttons.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>

#include "app/qt/FileListModel.h"
#include "app/qt/MainWindow.h"
#include "app/qt/SortingPanel.h"
#include "editing/BatchTagCommands.h"
#include "editing/FieldEdit.h"
#include "editing/FrameCommands.h"
#include "editing/SaveTagsCommand.h"
#include "editing/qt/FramesPage.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

namespace vorda::app {

void MainWindow::setupBatchCommands() {
    batch_ = std::make_unique<BatchTagCommands>(cmds_, *this, settings());
    copies_ = std::make_unique<TagCopyCommands>(cmds_, *this);

    batch_->takePaneValues = [this](AudioFile& file) {
        if (!collectTagPanes) return;
        TagPanes panes = collectTagPanes();
        const bool advanced = settings().advancedMode;
        if (advanced) {
            panes.txtField[TagField::V1Track] = filterChars(panes.txtField[TagField::V1Track], "0123456789", true);
            writeMarkedFields(file.tag(), panes, true, true);
            writeMarkedFields(file.tag(), panes, true, false);
        } else {
            writeMarkedFields(file.tag(), panes, false, false);
        }
    };
    batch_->showFixedTags = [this](AudioFile& file) {
        if (collectTagPanes && applyTagPanes) {
            TagPanes panes = collectTagPanes();
            showTagsInPanes(panes, file, settings().advancedMode);
            applyTagPanes(panes);
        }
        if (framesPage_) framesPage_->showFile(file);
    };
    batch_->inPatternDetected = [this](const std::string& pattern) {
        sortingPanel_->setPatternText(PatternKind::Input, QString::fromStdString(pattern), false);
    };
    batch_->inputBox = [this](const std::string& prompt, const std::string& def, std::string& answer) {
        if (trackInputBox) return trackInputBox(prompt, def, answer);
        bool ok = false;
        const QString text = QInputDialog::getText(this, QStringLiteral("Vorda"), QString::fromStdString(prompt),
                                                   QLineEdit::Normal, QString::fromStdString(def), &ok);
        answer = text.toStdString();
        return ok;
    };

    auto bind = [this](QAction* item, void (MainWindow::*command)()) {
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, [this, command] { (this->*command)(); });
    };
    bind(fixTagsItem_, &MainWindow::fixTags);
    bind(addTracksItem_, &MainWindow::addTrackNumbers);
    bind(removeTagsItem_, &MainWindow::removeTags);
    bind(extractId3Item_, &MainWindow::extractTags);
    connect(sortingPanel_, &SortingPanel::removeJunkClicked, this, [this] { removeJunkFromSelected(); });
}

void MainWindow::runBatch(const std::function<void()>& command) {
    const bool wasBusy = busy_;
    busy_ = true;
    command();
    endCommand(wasBusy);
}

TagSwitches MainWindow::currentTagSwitches() const {
    TagSwitches sw;
    if (!collectTagPanes) return sw;  // "Use tags" checked
    const TagPanes panes = collectTagPanes();
    sw.chkID3v1 = panes.enabled[TagSwitch::Id3v1];
    sw.chkID3v1Rem = panes.remove[TagSwitch::Id3v1];
    sw.chkID3v2 = panes.enabled[TagSwitch::Id3v2];
    sw.chkID3v2Rem = panes.remove[TagSwitch::Id3v2];
    sw.chkLyrics3 = panes.enabled[TagSwitch::Lyrics3];
    sw.chkLyrics3Rem = panes.remove[TagSwitch::Lyrics3];
    return sw;
}

void MainWindow::fixTags() {
    if (list_.selectedCount() == 0 && cmds_.filCurrent().fullPath().empty()) return;
    const TagSwitches sw = currentTagSwitches();
    const bool detect = sortingPanel_->optionState(SortingPanel::Option::DetectInPattern) == Qt::Checked;
    const std::string inPattern = sortingPanel_->patternText(PatternKind::Input).toStdString();
    runBatch([&] { batch_->fixTags(sw, detect, inPattern); });
}

void MainWindow::addTrackNumbers() {
    if (list_.selectedCount() == 0) return;
    runBatch([this] { batch_->addTrackNumbers(); });
}

void MainWindow::removeTags() {
    runBatch([this] { batch_->removeTags(); });
}

void MainWindow::removeJunkFromSelected() {
    runBatch([this] { batch_->removeJunk(); });
}

void MainWindow::extractTags() {
    runBatch([this] { batch_->extractTags(); });
}

void MainWindow::copyToV1() {
    if (cmds_.bMultiChange) {
        runBatch([this] { copies_->copyToV1Several(); });
        return;
    }
    if (!collectTagPanes || !applyTagPanes) return;
    TagPanes panes = collectTagPanes();
    panes.setEnabled(TagSwitch::Id3v1, true);
    const V1Texts t = copyToV1Texts(panes.txtField[TagField::Title], panes.txtField[TagField::Artist],
                                    panes.txtField[TagField::Album], panes.txtField[TagField::Year],
                                    panes.txtField[TagField::Track], panes.txtField[TagField::Comment]);
    panes.setField(TagField::V1Title, t.title);
    panes.setField(TagField::V1Artist, t.artist);
    panes.setField(TagField::V1Album, t.album);
    panes.setField(TagField::V1Comment, t.comment);
    panes.setField(TagField::V1Year, t.year);
    panes.setField(TagField::V1Track, t.track);
    // Both genre boxes hold the same genres in the same order.
    panes.setGenre(true, panes.cmbGenre);
    applyTagPanes(panes);
}

void MainWindow::copyToV2() {
    if (cmds_.bMultiChange) {
        runBatch([this] { copies_->copyToV2Several(); });
        return;
    }
    if (!collectTagPanes || !applyTagPanes) return;
    TagPanes panes = collectTagPanes();
    panes.setEnabled(TagSwitch::Id3v2, true);
    panes.setField(TagField::Title, panes.txtField[TagField::V1Title]);
    panes.setField(TagField::Artist, panes.txtField[TagField::V1Artist]);
    panes.setField(TagField::Album, panes.txtField[TagField::V1Album]);
    panes.setField(TagField::Year, panes.txtField[TagField::V1Year]);
    panes.setGenre(false, panes.cmbV1Genre);
    panes.setField(TagField::Track, panes.txtField[TagField::V1Track]);
    panes.setField(TagField::Comment, panes.txtField[TagField::V1Comment]);
    applyTagPanes(panes);
}

void MainWindow::connectFramesPage(FramesPage* page) {
    framesPage_ = page;
    if (!page) return;
    page->lastDir = [] { return settings().lastDir; };
    page->ask = [this](const std::string& text, MessageButtons buttons, MessageIcon icon) {
        return ask(text, buttons, icon);
    };
    connect(page, &FramesPage::copyToV1Requested, this, [this] { copyToV1(); });
    connect(page, &FramesPage::copyToV2Requested, this, [this] { copyToV2(); });
}

}  // namespace vorda::app
