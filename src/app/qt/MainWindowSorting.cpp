// SPDX-License-Identifier: GPL-2.0-or-later

// The main window's naming and sorting: the pattern boxes with their key filters, focus-loss
// checks and list editors, the live new-name preview and input-pattern detection, the sort and
// rename commands, and the folder commands of the folder tree and the file list's pop-up.
#include <algorithm>
#include <functional>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>

#include "app/Settings.h"
#include "app/qt/FileListModel.h"
#include "app/qt/FileListView.h"
#include "app/qt/MainWindow.h"
#include "app/qt/PatternListDialog.h"
#include "app/qt/SortingPanel.h"
#include "base/FileOps.h"
#include "base/IniFile.h"
#include "base/Text.h"
#include "naming/FileValues.h"
#include "naming/PatternListRules.h"
#include "naming/qt/Id3FolderDialog.h"
#include "platform/QtText.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

namespace vorda::app {

namespace {

const char* const kNoFileFromFolder = "<No file selected from this folder>";

using Option = SortingPanel::Option;

}  // namespace

// ============================================================ set-up

void MainWindow::setupNaming() {
    sort_ = std::make_unique<SortCommands>(cmds_, *this, settings());
    folders_ = std::make_unique<FolderTreeCommands>(cmds_, *this, settings());
    folders_->inputBox = [this](const std::string& prompt, const std::string& title, std::string& answer) {
        if (folderInputBox) return folderInputBox(prompt, title, answer);
        bool ok = false;
        const QString text = QInputDialog::getText(this, displayText(title), displayText(prompt), QLineEdit::Normal,
                                                   pathToQt(answer), &ok);
        if (!ok) return false;
        answer = pathFromQt(text);
        return true;
    };
    folders_->tree.refresh = [this] { refreshTree(); };
    folders_->tree.setPath = [this](const std::string& path) { selectTreeFolder(path); };

    connect(sortingPanel_, &SortingPanel::nameStepRequested, this, &MainWindow::stepWithNameBox);
    connect(sortingPanel_, &SortingPanel::editPatternsClicked, this, &MainWindow::editPatterns);
    connect(sortingPanel_, &SortingPanel::patternBoxLeft, this, &MainWindow::patternBoxFocusLost);
    // The preview follows the output pattern (typed or chosen), the input pattern and "Fix filenames".
    connect(sortingPanel_, &SortingPanel::previewInputsChanged, this, &MainWindow::updateNewNamePreview);
    cmds_.newNameBuilder = [this](AudioFile& file) {
        return previewNewName(sortingPanel_->ticked(Option::FixFilenames), file,
                              fromQt(sortingPanel_->patternText(PatternKind::Input)), currentRow(),
                              fromQt(sortingPanel_->patternText(PatternKind::Output)), file.name(), settings());
    };
    // Showing a file detects its input pattern when asked; the window's own handling comes first.
    auto shown = cmds_.fileShown;
    cmds_.fileShown = [this, shown](AudioFile& file) {
        if (shown) shown(file);
        if (!sortingPanel_->ticked(Option::DetectInPattern)) return;
        const std::string box = fromQt(sortingPanel_->patternText(PatternKind::Input));
        const std::string detected = detectInPattern(file.fullPath(), settings().inPatterns, box, settings());
        if (detected != box) sortingPanel_->setPatternText(PatternKind::Input, displayText(detected));
    };

    for (QAction* item : {sortAllItem_, sortSelectedItem_}) item->setEnabled(true);
    connect(sortingPanel_, &SortingPanel::sortAllClicked, this, &MainWindow::sortAll);
    connect(sortAllItem_, &QAction::triggered, this, &MainWindow::sortAll);
    connect(sortingPanel_, &SortingPanel::sortSelectedClicked, this, &MainWindow::sortSelected);
    connect(sortSelectedItem_, &QAction::triggered, this, &MainWindow::sortSelected);
    connect(popSortAlbumItem_, &QAction::triggered, this, &MainWindow::sortSelectedAsAlbum);

    folderFromId3Item_->setEnabled(true);
    connect(folderFromId3Item_, &QAction::triggered, this, &MainWindow::showID3FolderDialog);
    connect(treePopup_, &QMenu::aboutToShow, this, &MainWindow::prepareTreePopup);
    connect(renNewFolderItem_, &QAction::triggered, this, &MainWindow::newTreeFolder);
    connect(renFolderCustomItem_, &QAction::triggered, this, &MainWindow::renameTreeFolderCustom);
    connect(renFolderPatternItem_, &QAction::triggered, this, &MainWindow::renameTreeFolderPattern);
    connect(delFolderItem_, &QAction::triggered, this, &MainWindow::deleteTreeFolderFromMenu);
    for (QAction* item : {renNewFolderItem_, renFolderCustomItem_, delFolderItem_}) item->setEnabled(true);
    renFolderPatternItem_->setText(QString::fromLatin1(kNoFileFromFolder));
}

void MainWindow::patternBoxFocusLost(PatternKind kind) {
    if (checkingPattern_) return;
    std::string text = fromQt(sortingPanel_->patternText(kind));
    bool information = false;
    const std::string message = checkPatternOnFocusLoss(kind, text, &information);
    if (displayText(text) != sortingPanel_->patternText(kind)) sortingPanel_->setPatternText(kind, displayText(text));
    if (message.empty()) return;
    checkingPattern_ = true;
    ask(message, MessageButtons::Ok, information ? MessageIcon::Information : MessageIcon::None);
    checkingPattern_ = false;
}

void MainWindow::updateNewNamePreview() {
    AudioFile& file = cmds_.filCurrent();
    if (file.fullPath().empty() || cmds_.bMultiChange) return;
    const std::string oldName = fromQt(sortingPanel_->oldName());
    std::string name = previewNewName(sortingPanel_->ticked(Option::FixFilenames), file,
                                      fromQt(sortingPanel_->patternText(PatternKind::Input)), currentRow(),
                                      fromQt(sortingPanel_->patternText(PatternKind::Output)), oldName, settings());
    if (name.empty()) name = oldName;
    setNewName(name);
}

void MainWindow::editPatterns(PatternKind kind) {
    PatternListDialog dialog(this);
    dialog.reset();
    dialog.setIllegalChars(PatternListRules::illegalCharsFor(kind));
    for (const std::string& pattern : patternList(settings(), kind)) {
        if (!pattern.empty()) dialog.addPattern(pattern);
    }
    dialog.showInfo(PatternListRules::helpText(kind));
    dialog.exec();
    const std::vector<std::string> patterns = dialog.patterns();
    if (patterns.empty()) return;
    createFolderTree(getFolder(settingsPath_));
    IniFile ini(settingsPath_);
    if (!applyPatternListEdit(settings(), ini, kind, patterns)) return;
    // The box keeps the text it had.
    sortingPanel_->fillPatternBox(kind, fromQt(sortingPanel_->patternText(kind)), patternList(settings(), kind));
    if (kind == PatternKind::Output) fillPopSortItems(settings().outPatterns);
}

// ============================================================ sorting

SortInputs MainWindow::panelInputs() const {
    SortInputs in;
    in.method = panel_.method();
    in.targetDir = panel_.text();
    in.inPattern = fromQt(sortingPanel_->patternText(PatternKind::Input));
    in.outPattern = fromQt(sortingPanel_->patternText(PatternKind::Output));
    in.pathPattern = fromQt(sortingPanel_->patternText(PatternKind::Path));
    in.albumPattern = fromQt(sortingPanel_->patternText(PatternKind::Album));
    in.newName = pathFromQt(sortingPanel_->newName());
    in.fixFilenames = sortingPanel_->ticked(Option::FixFilenames);
    in.useAlbumPattern = sortingPanel_->ticked(Option::AlbumPattern);
    in.detectInPattern = sortingPanel_->ticked(Option::DetectInPattern);
    in.currentRow = currentRow();
    return in;
}

int MainWindow::currentRow() const {
    const QModelIndex current = fileList_->currentIndex();
    if (current.isValid() && list_.selected(current.row() + 1)) return current.row() + 1;
    return list_.firstSelected();
}

void MainWindow::runNaming(const std::function<void()>& command) {
    if (busy_) return;
    // A target folder still being typed counts as accepted.
    if (sortingPanel_->targetHasFocus()) {
        panel_.focusLost();
        syncTargetBox();
    }
    busy_ = true;
    command();
    endCommand(false);
    listModel()->syncSelectionToView();
}

void MainWindow::sortAll() {
    runNaming([this] { sort_->sortAllFiles(panelInputs()); });
}

void MainWindow::sortSelected() {
    runNaming([this] { sort_->sortSelectedFiles(panelInputs()); });
    // The one-file stepping moved on: the list shows the row it moved to.
    const int row = sort_->currentRow();
    if (row >= 1 && row <= list_.count()) {
        fileList_->selectionModel()->setCurrentIndex(listModel()->index(row - 1, 0), QItemSelectionModel::NoUpdate);
        fileList_->scrollTo(listModel()->index(row - 1, 0));
    }
}

void MainWindow::sortSelectedUsing(size_t outPatternIndex) {
    runNaming([this, outPatternIndex] { sort_->sortSelectedUsing(panelInputs(), outPatternIndex); });
}

void MainWindow::sortSelectedAsAlbum() {
    runNaming([this] { sort_->sortSelectedAsAlbum(panelInputs()); });
}

void MainWindow::stepWithNameBox(int delta) {
    if (cmds_.bMultiChange || list_.count() == 0) return;
    const int row = currentRow();
    const int next = std::clamp(row + delta, 1, list_.count());
    if (row >= 1 && next == row) return;
    runNaming([this, row, next] {
        if (row >= 1) list_.setSelected(row, false);
        cmds_.bMultiChange = false;
        list_.setSelected(next, true);
        cmds_.showFile(next);
    });
    if (next <= list_.count())
        fileList_->selectionModel()->setCurrentIndex(listModel()->index(next - 1, 0), QItemSelectionModel::NoUpdate);
}

// ============================================================ folder commands

void MainWindow::prepareTreePopup() {
    const std::string tree = treePath();
    const bool folder = !tree.empty() && tree != "/";
    renNewFolderItem_->setEnabled(!tree.empty());
    renFolderMenu_->setEnabled(folder);
    delFolderItem_->setEnabled(folder);

    AudioFile& file = cmds_.filCurrent();
    std::string caption;
    if (folder && !file.fullPath().empty() && addBackslash(tree) == file.path()) {
        caption = FolderTreeCommands::patternCaption(file, fromQt(sortingPanel_->patternText(PatternKind::Input)),
                                                     settings());
    }
    renFolderPatternItem_->setData(displayText(caption));
    if (caption.empty()) {
        renFolderPatternItem_->setText(QString::fromLatin1(kNoFileFromFolder));
        renFolderPatternItem_->setEnabled(false);
    } else {
        // "&" would be taken for a mnemonic.
        renFolderPatternItem_->setText(displayText(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
        renFolderPatternItem_->setEnabled(true);
    }
}

void MainWindow::newTreeFolder() {
    const std::string tree = treePath();
    if (tree.empty()) return;
    runNaming([this, &tree] { folders_->newFolder(tree); });
}

void MainWindow::renameTreeFolderCustom() {
    const std::string tree = treePath();
    if (tree.empty() || tree == "/") return;
    runNaming([this, &tree] { folders_->renameCustom(tree); });
}

void MainWindow::renameTreeFolderPattern() {
    const std::string tree = treePath();
    const std::string caption = fromQt(renFolderPatternItem_->data().toString());
    if (tree.empty() || tree == "/" || caption.empty()) return;
    runNaming([this, &tree, &caption] { folders_->renamePattern(tree, caption); });
}

void MainWindow::deleteTreeFolderFromMenu() {
    const std::string tree = treePath();
    // The file-system root is never handed to a recursive deletion.
    if (tree.empty() || tree == "/") return;
    runNaming([this, &tree] { folders_->deleteFolder(tree); });
}

void MainWindow::showID3FolderDialog() {
    if (busy_ || list_.count() == 0) return;
    Id3FolderCommand command(cmds_, *this, settings());
    command.tree.refresh = [this] { refreshTree(); };
    command.tree.setPath = [this](const std::string& path) { selectTreeFolder(path); };
    command.savePattern = [this] {
        createFolderTree(getFolder(settingsPath_));
        IniFile ini(settingsPath_);
        writeSetting(ini, "General", "sFolderPattern", settings().folderPattern);
    };
    if (!command.open(fromQt(sortingPanel_->patternText(PatternKind::Input)), panel_.text())) return;
    Id3FolderDialog dialog(command, this);
    dialog.exec();
    listModel()->flushPendingRows();
}

}  // namespace vorda::app
