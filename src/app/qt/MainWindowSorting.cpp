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
#include "app/qt/MainWindow.h"
#include "app/qt/PatternListDialog.h"
#include "base/FileOps.h"
#include "base/IniFile.h"
#include "base/Text.h"
#include "naming/FileValues.h"
#include "naming/PatternListRules.h"
#include "naming/qt/Id3FolderDialog.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::naming;
using namespace vorda::editing;
using namespace vorda::platform;

namespace vorda::app {

namespace {

QString displayText(const std::string& text) { return QString::fromStdString(toDisplayUtf8(text)); }
std::string fromQt(const QString& text) { return text.toStdString(); }
QString pathToQt(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string pathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }

const char* const kNoFileFromFolder = "<No file selected from this folder>";

// Hands the events of the naming controls to the window without touching its own filter.
class NamingFilter : public QObject {
public:
    NamingFilter(QObject* parent, std::function<bool(QObject*, QEvent*)> filter)
        : QObject(parent), filter_(std::move(filter)) {}
    bool eventFilter(QObject* watched, QEvent* event) override { return filter_(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> filter_;
};

// True when every character typed with the key passes the filter.
template <typename Allowed>
bool keyPasses(const QKeyEvent* key, Allowed allowed) {
    for (const char32_t ch : key->text().toUcs4()) {
        if (!allowed(ch)) return false;
    }
    return true;
}

bool ticked(const QCheckBox* box) { return box->checkState() != Qt::Unchecked; }

constexpr PatternKind kBoxKinds[] = {PatternKind::Input, PatternKind::Output, PatternKind::Path, PatternKind::Album};

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

    namingFilter_ = new NamingFilter(this, [this](QObject* w, QEvent* e) { return namingEventFilter(w, e); });
    for (PatternKind kind : kBoxKinds) {
        QComboBox* box = patternBox(kind);
        box->installEventFilter(namingFilter_);
        box->lineEdit()->installEventFilter(namingFilter_);
    }
    txtOldName->installEventFilter(namingFilter_);
    txtNewName->installEventFilter(namingFilter_);
    txtNewName->setReadOnly(false);
    connect(txtNewName, &QLineEdit::returnPressed, this, &MainWindow::sortSelected);

    const std::pair<QPushButton*, PatternKind> editButtons[] = {{cmdEditInPatterns, PatternKind::Input},
                                                                {cmdEditOutPatterns, PatternKind::Output},
                                                                {cmdEditPathPatterns, PatternKind::Path},
                                                                {cmdEditAlbumPatterns, PatternKind::Album}};
    for (const auto& [button, kind] : editButtons) {
        button->setEnabled(true);
        connect(button, &QPushButton::clicked, this, [this, kind = kind] { editPatterns(kind); });
    }

    // The preview follows the output pattern (typed or chosen), the input pattern and "Fix filenames".
    connect(cmbOutPattern, &QComboBox::editTextChanged, this, [this] { updateNewNamePreview(); });
    connect(cmbInPattern, &QComboBox::editTextChanged, this, [this] { updateNewNamePreview(); });
    connect(chkFixFilenames, &QCheckBox::clicked, this, [this] { updateNewNamePreview(); });
    cmds_.newNameBuilder = [this](AudioFile& file) {
        return previewNewName(ticked(chkFixFilenames), file, fromQt(cmbInPattern->currentText()), currentRow(),
                              fromQt(cmbOutPattern->currentText()), file.name(), settings());
    };
    // Showing a file detects its input pattern when asked; the window's own handling comes first.
    auto shown = cmds_.fileShown;
    cmds_.fileShown = [this, shown](AudioFile& file) {
        if (shown) shown(file);
        if (!ticked(chkDetectInPattern)) return;
        const std::string box = fromQt(cmbInPattern->currentText());
        const std::string detected = detectInPattern(file.fullPath(), settings().inPatterns, box, settings());
        if (detected != box) {
            cmbInPattern->setEditText(displayText(detected));
            cmbInPattern->lineEdit()->setCursorPosition(0);
        }
    };

    for (QPushButton* button : {cmdSort, cmdSortSelected}) button->setEnabled(true);
    for (QAction* item : {mnuSortAll, mnuSortSelected}) item->setEnabled(true);
    connect(cmdSort, &QPushButton::clicked, this, &MainWindow::sortAll);
    connect(mnuSortAll, &QAction::triggered, this, &MainWindow::sortAll);
    connect(cmdSortSelected, &QPushButton::clicked, this, &MainWindow::sortSelected);
    connect(mnuSortSelected, &QAction::triggered, this, &MainWindow::sortSelected);
    connect(mnuPopSortAlbum, &QAction::triggered, this, &MainWindow::sortSelectedAsAlbum);

    mnuFolderFromID3->setEnabled(true);
    connect(mnuFolderFromID3, &QAction::triggered, this, &MainWindow::showID3FolderDialog);
    connect(mnuTreePopup, &QMenu::aboutToShow, this, &MainWindow::prepareTreePopup);
    connect(mnuRenNewFolder, &QAction::triggered, this, &MainWindow::newTreeFolder);
    connect(mnuRenFolderCustom, &QAction::triggered, this, &MainWindow::renameTreeFolderCustom);
    connect(mnuRenFolderPattern, &QAction::triggered, this, &MainWindow::renameTreeFolderPattern);
    connect(mnuDelFolder, &QAction::triggered, this, &MainWindow::deleteTreeFolderFromMenu);
    for (QAction* item : {mnuRenNewFolder, mnuRenFolderCustom, mnuDelFolder}) item->setEnabled(true);
    mnuRenFolderPattern->setText(QString::fromLatin1(kNoFileFromFolder));
}

QComboBox* MainWindow::patternBox(PatternKind kind) const {
    switch (kind) {
    case PatternKind::Input: return cmbInPattern;
    case PatternKind::Output: return cmbOutPattern;
    case PatternKind::Path: return cmbPathPattern;
    case PatternKind::Album: return cmbAlbumPattern;
    default: return nullptr;
    }
}

// ============================================================ boxes

bool MainWindow::namingEventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == txtNewName || watched == txtOldName) {
            const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
            if (plain && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
                stepWithNameBox(key->key() == Qt::Key_Up ? -1 : 1);
                return true;
            }
            if (watched == txtNewName) return !keyPasses(key, newNameKeyAllowed);
            return false;
        }
        for (PatternKind kind : kBoxKinds) {
            QComboBox* box = patternBox(kind);
            if (watched != box && watched != box->lineEdit()) continue;
            return !keyPasses(key, [kind](char32_t ch) { return patternKeyAllowed(kind, ch); });
        }
        return false;
    }
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // The box's own drop-down and a window switch are no leaving of the box.
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return false;
        for (PatternKind kind : kBoxKinds) {
            if (watched == patternBox(kind)) patternBoxFocusLost(kind);
        }
    }
    return false;
}

void MainWindow::patternBoxFocusLost(PatternKind kind) {
    if (checkingPattern_) return;
    QComboBox* box = patternBox(kind);
    std::string text = fromQt(box->currentText());
    bool information = false;
    const std::string message = checkPatternOnFocusLoss(kind, text, &information);
    if (displayText(text) != box->currentText()) {
        box->setEditText(displayText(text));
        box->lineEdit()->setCursorPosition(0);
    }
    if (message.empty()) return;
    checkingPattern_ = true;
    ask(message, mbOK, information ? miInformation : miNone);
    checkingPattern_ = false;
}

void MainWindow::updateNewNamePreview() {
    AudioFile& file = cmds_.filCurrent();
    if (file.fullPath().empty() || cmds_.bMultiChange) return;
    const std::string oldName = fromQt(txtOldName->text());
    std::string name = previewNewName(ticked(chkFixFilenames), file, fromQt(cmbInPattern->currentText()), currentRow(),
                                      fromQt(cmbOutPattern->currentText()), oldName, settings());
    if (name.empty()) name = oldName;
    setNewName(name);
}

void MainWindow::editPatterns(PatternKind kind) {
    QComboBox* box = patternBox(kind);
    if (!box) return;
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
    fillPatternBox(box, fromQt(box->currentText()), patternList(settings(), kind));
    if (kind == PatternKind::Output) fillPopSortItems(settings().outPatterns);
}

// ============================================================ sorting

SortInputs MainWindow::panelInputs() const {
    SortInputs in;
    in.method = panel_.method();
    in.targetDir = panel_.text();
    in.inPattern = fromQt(cmbInPattern->currentText());
    in.outPattern = fromQt(cmbOutPattern->currentText());
    in.pathPattern = fromQt(cmbPathPattern->currentText());
    in.albumPattern = fromQt(cmbAlbumPattern->currentText());
    in.newName = pathFromQt(txtNewName->text());
    in.fixFilenames = ticked(chkFixFilenames);
    in.useAlbumPattern = ticked(chkAlbumPattern);
    in.detectInPattern = ticked(chkDetectInPattern);
    in.currentRow = currentRow();
    return in;
}

int MainWindow::currentRow() const {
    const QModelIndex current = lstFiles2->currentIndex();
    if (current.isValid() && list_.selected(current.row() + 1)) return current.row() + 1;
    return list_.firstSelected();
}

void MainWindow::runNaming(const std::function<void()>& command) {
    if (busy_) return;
    // A target folder still being typed counts as accepted.
    if (txtTargetDir->hasFocus()) {
        panel_.focusLost();
        syncTargetBox();
    }
    busy_ = true;
    command();
    endCommand(false);
    model_->syncSelectionToView();
}

void MainWindow::sortAll() {
    runNaming([this] { sort_->sortAllFiles(panelInputs()); });
}

void MainWindow::sortSelected() {
    runNaming([this] { sort_->sortSelectedFiles(panelInputs()); });
    // The one-file stepping moved on: the list shows the row it moved to.
    const int row = sort_->currentRow();
    if (row >= 1 && row <= list_.count()) {
        lstFiles2->selectionModel()->setCurrentIndex(model_->index(row - 1, 0), QItemSelectionModel::NoUpdate);
        lstFiles2->scrollTo(model_->index(row - 1, 0));
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
        lstFiles2->selectionModel()->setCurrentIndex(model_->index(next - 1, 0), QItemSelectionModel::NoUpdate);
}

// ============================================================ folder commands

void MainWindow::prepareTreePopup() {
    const std::string tree = treePath();
    const bool folder = !tree.empty() && tree != "/";
    mnuRenNewFolder->setEnabled(!tree.empty());
    mnuRenFolder->setEnabled(folder);
    mnuDelFolder->setEnabled(folder);

    AudioFile& file = cmds_.filCurrent();
    std::string caption;
    if (folder && !file.fullPath().empty() && addBackslash(tree) == file.path()) {
        caption = FolderTreeCommands::patternCaption(file, fromQt(cmbInPattern->currentText()), settings());
    }
    mnuRenFolderPattern->setData(displayText(caption));
    if (caption.empty()) {
        mnuRenFolderPattern->setText(QString::fromLatin1(kNoFileFromFolder));
        mnuRenFolderPattern->setEnabled(false);
    } else {
        // "&" would be taken for a mnemonic.
        mnuRenFolderPattern->setText(displayText(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
        mnuRenFolderPattern->setEnabled(true);
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
    const std::string caption = fromQt(mnuRenFolderPattern->data().toString());
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
    if (!command.open(fromQt(cmbInPattern->currentText()), panel_.text())) return;
    Id3FolderDialog dialog(command, this);
    dialog.exec();
    model_->flushPendingRows();
}

}  // namespace vorda::app
