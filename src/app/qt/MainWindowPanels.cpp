// SPDX-License-Identifier: GPL-2.0-or-later

// The main window's settings of the sorting panel, the commands of the method switch, the
// target folder and the bookmarks, the view toggles, help and about.
#include <algorithm>

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

#include "app/Settings.h"
#include "app/qt/FolderPane.h"
#include "app/qt/MainWindow.h"
#include "app/qt/OptionsDialog.h"
#include "app/qt/SortingPanel.h"
#include "base/Text.h"
#include "editing/qt/TagArea.h"
#include "platform/PlatformDialogs.h"
#include "platform/PlatformServices.h"
#include "platform/QtText.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

namespace vorda::app {

// ============================================================ settings

void MainWindow::fillPopSortItems(const std::vector<std::string>& outPatterns) {
    for (QAction* item : popSortPatternItems_) delete item;
    popSortPatternItems_.clear();
    // Item 0 always exists; each further output pattern adds one.
    const size_t count = std::max<size_t>(outPatterns.size(), 1);
    for (size_t i = 0; i < count; ++i) {
        const QString caption = i < outPatterns.size() ? displayText(outPatterns[i]) : QString();
        QAction* item = popSortMenu_->addAction(caption);
        item->setObjectName(QStringLiteral("mnuPopSortPatterns%1").arg(i));
        // An empty entry names no pattern: it is shown but cannot be chosen.
        item->setEnabled(i < outPatterns.size() && !outPatterns[i].empty());
        connect(item, &QAction::triggered, this, [this, i] { sortSelectedUsing(i); });
        popSortPatternItems_.push_back(item);
    }
}

void MainWindow::loadPanelSettings() {
    const Settings& s = settings();
    advancedModeItem_->setChecked(s.advancedMode);
    sortingPanel_->load(s);

    panel_.load(s.method, s.targetDir);
    setMethod(static_cast<FileMethod>(s.method));
    // The stored target shows in the box until a file is shown, whatever the method.
    panel_.load(s.method, s.targetDir);
    syncTargetBox();

    fillPopSortItems(s.outPatterns);

    bookmarks_.load(s.favouriteDir);
    for (int i = 0; i < Bookmarks::kCount; ++i) {
        folderPane_->setBookmarkToolTip(i, displayText(bookmarks_.toolTip(i)));
    }
}

void MainWindow::storePanelInSettings() {
    // A folder still being typed when the window closes counts as accepted.
    if (sortingPanel_->targetHasFocus()) {
        panel_.focusLost();
        syncTargetBox();
    }
    Settings& s = settings();
    s.advancedMode = advancedModeItem_->isChecked();
    sortingPanel_->store(s);
    s.method = panel_.storedMethod();
    s.targetDir = panel_.savedFolder();
    s.favouriteDir = bookmarks_.folders();
}

// ============================================================ method and target folder

void MainWindow::setMethod(FileMethod method) {
    const std::string fileFolder = cmds_.filCurrent().fullPath().empty() ? std::string() : cmds_.filCurrent().path();
    panel_.setMethod(method, fileFolder);
    const int button = SortPanel::buttonOfMethod(method);
    sortingPanel_->showMethodButton(button);
    applyMethodCaptions();
    syncTargetBox();
    if (panel_.locked()) {
        sortingPanel_->showPatternsPage();
    } else if (button >= 0) {
        sortingPanel_->selectTarget();
    }
}

void MainWindow::applyMethodCaptions() {
    const MethodCaptions c = SortPanel::captionsFor(panel_.method());
    sortingPanel_->setCaptions(displayText(c.sortAll), displayText(c.sortSelected), displayText(c.targetLabel),
                               c.browseEnabled);
    sortAllItem_->setText(displayText(c.menuSortAll));
    sortSelectedItem_->setText(displayText(c.menuSortSelected));
    popSortMenu_->setTitle(displayText(c.popSort));
    popSortAlbumItem_->setText(displayText(c.popSortAlbum));
    popSortAlbumItem_->setEnabled(c.popSortAlbumEnabled);
}

void MainWindow::syncTargetBox() { sortingPanel_->showTarget(pathToQt(panel_.text()), panel_.locked()); }

void MainWindow::targetFolderChosen(const std::string& folder) {
    panel_.browsed(folder);
    syncTargetBox();
}

void MainWindow::setTreeFolderAsTarget() {
    panel_.setAsTarget(treePath());
    syncTargetBox();
}

// ============================================================ bookmarks

void MainWindow::goToBookmark(int i) {
    const std::string folder = bookmarks_.folder(i);
    if (folder.empty()) return;
    if (folderPane_->isVisible()) {
        selectTreeFolder(folder);  // the tree's change scans it
        return;
    }
    // The hidden tree follows without scanning; the list is filled here.
    const bool blocked = cmds_.bBlockDirUpdate;
    cmds_.bBlockDirUpdate = true;
    selectTreeFolder(folder);
    cmds_.bBlockDirUpdate = blocked;
    clearAndScan(bookmarks_.scanFolder(i), scanSubfolders());
}

void MainWindow::storeBookmark(int i) {
    if (!bookmarks_.store(i, treePath())) return;
    folderPane_->setBookmarkToolTip(i, displayText(bookmarks_.toolTip(i)));
}

// ============================================================ view, help, about

void MainWindow::showTagInfo(bool visible) { tagArea_->setVisible(visible); }

void MainWindow::scanSubfoldersClicked(bool checked) {
    if (checked)
        ask("Scanning folders that contain many files could take very long time!", MessageButtons::Ok,
            MessageIcon::Information);
}

std::string MainWindow::helpFilePath() const { return programDataFolder() + "help/index.html"; }

void MainWindow::showHelp(const std::string& file) {
    if (!pathExists(file) || isDirectory(file)) {
        ask("The help file could not be found:\n" + file, MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(pathToQt(file)))) {
        ask("The help file could not be opened:\n" + file, MessageButtons::Ok, MessageIcon::Error);
    }
}

void MainWindow::showAbout() {
    QMessageBox::about(
        this, QStringLiteral("About Vorda"),
        QStringLiteral("<h3>Vorda %1</h3>"
                       "<p>A tag editor and file organiser for MP3 files: it edits ID3v1, ID3v2 and Lyrics3 tags, "
                       "names files from their tags and sorts them into folders.</p>"
                       "<p>Built with Qt %2.</p>")
            .arg(QStringLiteral(VORDA_VERSION), QString::fromLatin1(QT_VERSION_STR)));
}

void MainWindow::showOptions() {
    OptionsDialog dialog(this);
    connect(&dialog, &OptionsDialog::tagFieldMaxLengthChanged, this, &MainWindow::setTagFieldMaxLength);
    dialog.exec();
}

// ============================================================ name boxes

void MainWindow::setOldName(const std::string& name) { sortingPanel_->setOldName(displayText(name)); }

void MainWindow::setNewName(const std::string& name) { sortingPanel_->setNewName(displayText(name)); }

}  // namespace vorda::app
