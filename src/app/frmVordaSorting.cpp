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

#include "app/FileOps.h"
#include "app/IniFile.h"
#include "app/PatternListRules.h"
#include "app/QtFileListModel.h"
#include "app/Routines.h"
#include "app/Settings.h"
#include "app/frmID3Folder.h"
#include "app/frmPatterns.h"
#include "app/frmVorda.h"
#include "naming/FileValues.h"

namespace vorda {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(ToDisplayUtf8(text)); }
std::string FromQt(const QString& text) { return text.toStdString(); }
QString PathToQt(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string PathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }

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
template <typename Allowed> bool KeyPasses(const QKeyEvent* key, Allowed allowed) {
    for (const char32_t ch : key->text().toUcs4()) {
        if (!allowed(ch)) return false;
    }
    return true;
}

bool Ticked(const QCheckBox* box) { return box->checkState() != Qt::Unchecked; }

constexpr PatternKind kBoxKinds[] = {PatternKind::Input, PatternKind::Output, PatternKind::Path, PatternKind::Album};

}  // namespace

// ============================================================ set-up

void frmVorda::SetupNaming() {
    sort_ = std::make_unique<SortCommands>(cmds_, *this, settings());
    folders_ = std::make_unique<FolderTreeCommands>(cmds_, *this, settings());
    folders_->InputBox = [this](const std::string& prompt, const std::string& title, std::string& answer) {
        if (FolderInputBox) return FolderInputBox(prompt, title, answer);
        bool ok = false;
        const QString text =
            QInputDialog::getText(this, Text(title), Text(prompt), QLineEdit::Normal, PathToQt(answer), &ok);
        if (!ok) return false;
        answer = PathFromQt(text);
        return true;
    };
    folders_->Tree.Refresh = [this] { RefreshTree(); };
    folders_->Tree.SetPath = [this](const std::string& path) { SelectTreeFolder(path); };

    namingFilter_ = new NamingFilter(this, [this](QObject* w, QEvent* e) { return NamingEventFilter(w, e); });
    for (PatternKind kind : kBoxKinds) {
        QComboBox* box = PatternBox(kind);
        box->installEventFilter(namingFilter_);
        box->lineEdit()->installEventFilter(namingFilter_);
    }
    txtOldName->installEventFilter(namingFilter_);
    txtNewName->installEventFilter(namingFilter_);
    txtNewName->setReadOnly(false);
    connect(txtNewName, &QLineEdit::returnPressed, this, &frmVorda::SortSelected);

    const std::pair<QPushButton*, PatternKind> editButtons[] = {{cmdEditInPatterns, PatternKind::Input},
                                                                {cmdEditOutPatterns, PatternKind::Output},
                                                                {cmdEditPathPatterns, PatternKind::Path},
                                                                {cmdEditAlbumPatterns, PatternKind::Album}};
    for (const auto& [button, kind] : editButtons) {
        button->setEnabled(true);
        connect(button, &QPushButton::clicked, this, [this, kind = kind] { EditPatterns(kind); });
    }

    // The preview follows the output pattern (typed or chosen), the input pattern and "Fix filenames".
    connect(cmbOutPattern, &QComboBox::editTextChanged, this, [this] { UpdateNewNamePreview(); });
    connect(cmbInPattern, &QComboBox::editTextChanged, this, [this] { UpdateNewNamePreview(); });
    connect(chkFixFilenames, &QCheckBox::clicked, this, [this] { UpdateNewNamePreview(); });
    cmds_.NewNameBuilder = [this](clsFile& file) {
        return PreviewNewName(Ticked(chkFixFilenames), file, FromQt(cmbInPattern->currentText()), CurrentRow(),
                              FromQt(cmbOutPattern->currentText()), file.name(), settings());
    };
    // Showing a file detects its input pattern when asked; the window's own handling comes first.
    auto shown = cmds_.FileShown;
    cmds_.FileShown = [this, shown](clsFile& file) {
        if (shown) shown(file);
        if (!Ticked(chkDetectInPattern)) return;
        const std::string box = FromQt(cmbInPattern->currentText());
        const std::string detected = DetectInPattern(file.FullPath(), settings().InPatterns, box, settings());
        if (detected != box) {
            cmbInPattern->setEditText(Text(detected));
            cmbInPattern->lineEdit()->setCursorPosition(0);
        }
    };

    for (QPushButton* button : {cmdSort, cmdSortSelected}) button->setEnabled(true);
    for (QAction* item : {mnuSortAll, mnuSortSelected}) item->setEnabled(true);
    connect(cmdSort, &QPushButton::clicked, this, &frmVorda::SortAll);
    connect(mnuSortAll, &QAction::triggered, this, &frmVorda::SortAll);
    connect(cmdSortSelected, &QPushButton::clicked, this, &frmVorda::SortSelected);
    connect(mnuSortSelected, &QAction::triggered, this, &frmVorda::SortSelected);
    connect(mnuPopSortAlbum, &QAction::triggered, this, &frmVorda::SortSelectedAsAlbum);

    mnuFolderFromID3->setEnabled(true);
    connect(mnuFolderFromID3, &QAction::triggered, this, &frmVorda::ShowID3FolderDialog);
    connect(mnuTreePopup, &QMenu::aboutToShow, this, &frmVorda::PrepareTreePopup);
    connect(mnuRenNewFolder, &QAction::triggered, this, &frmVorda::NewTreeFolder);
    connect(mnuRenFolderCustom, &QAction::triggered, this, &frmVorda::RenameTreeFolderCustom);
    connect(mnuRenFolderPattern, &QAction::triggered, this, &frmVorda::RenameTreeFolderPattern);
    connect(mnuDelFolder, &QAction::triggered, this, &frmVorda::DeleteTreeFolderFromMenu);
    for (QAction* item : {mnuRenNewFolder, mnuRenFolderCustom, mnuDelFolder}) item->setEnabled(true);
    mnuRenFolderPattern->setText(QString::fromLatin1(kNoFileFromFolder));
}

QComboBox* frmVorda::PatternBox(PatternKind kind) const {
    switch (kind) {
    case PatternKind::Input: return cmbInPattern;
    case PatternKind::Output: return cmbOutPattern;
    case PatternKind::Path: return cmbPathPattern;
    case PatternKind::Album: return cmbAlbumPattern;
    default: return nullptr;
    }
}

// ============================================================ boxes

bool frmVorda::NamingEventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == txtNewName || watched == txtOldName) {
            const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
            if (plain && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
                StepWithNameBox(key->key() == Qt::Key_Up ? -1 : 1);
                return true;
            }
            if (watched == txtNewName) return !KeyPasses(key, NewNameKeyAllowed);
            return false;
        }
        for (PatternKind kind : kBoxKinds) {
            QComboBox* box = PatternBox(kind);
            if (watched != box && watched != box->lineEdit()) continue;
            return !KeyPasses(key, [kind](char32_t ch) { return PatternKeyAllowed(kind, ch); });
        }
        return false;
    }
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // The box's own drop-down and a window switch are no leaving of the box.
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return false;
        for (PatternKind kind : kBoxKinds) {
            if (watched == PatternBox(kind)) PatternBoxFocusLost(kind);
        }
    }
    return false;
}

void frmVorda::PatternBoxFocusLost(PatternKind kind) {
    if (checkingPattern_) return;
    QComboBox* box = PatternBox(kind);
    std::string text = FromQt(box->currentText());
    bool information = false;
    const std::string message = CheckPatternOnFocusLoss(kind, text, &information);
    if (Text(text) != box->currentText()) {
        box->setEditText(Text(text));
        box->lineEdit()->setCursorPosition(0);
    }
    if (message.empty()) return;
    checkingPattern_ = true;
    Ask(message, mbOK, information ? miInformation : miNone);
    checkingPattern_ = false;
}

void frmVorda::UpdateNewNamePreview() {
    clsFile& file = cmds_.filCurrent();
    if (file.FullPath().empty() || cmds_.bMultiChange) return;
    const std::string oldName = FromQt(txtOldName->text());
    std::string name = PreviewNewName(Ticked(chkFixFilenames), file, FromQt(cmbInPattern->currentText()), CurrentRow(),
                                      FromQt(cmbOutPattern->currentText()), oldName, settings());
    if (name.empty()) name = oldName;
    SetNewName(name);
}

void frmVorda::EditPatterns(PatternKind kind) {
    QComboBox* box = PatternBox(kind);
    if (!box) return;
    frmPatterns dialog(this);
    dialog.Reset();
    dialog.SetIllegalChars(PatternListRules::IllegalCharsFor(kind));
    for (const std::string& pattern : PatternList(settings(), kind)) {
        if (!pattern.empty()) dialog.AddPattern(pattern);
    }
    dialog.ShowInfo(PatternListRules::HelpText(kind));
    dialog.exec();
    const std::vector<std::string> patterns = dialog.Patterns();
    if (patterns.empty()) return;
    CreateFolderTree(GetFolder(settingsPath_));
    IniFile ini(settingsPath_);
    if (!ApplyPatternListEdit(settings(), ini, kind, patterns)) return;
    // The box keeps the text it had.
    FillPatternBox(box, FromQt(box->currentText()), PatternList(settings(), kind));
    if (kind == PatternKind::Output) FillPopSortItems(settings().OutPatterns);
}

// ============================================================ sorting

SortInputs frmVorda::PanelInputs() const {
    SortInputs in;
    in.method = panel_.Method();
    in.targetDir = panel_.Text();
    in.inPattern = FromQt(cmbInPattern->currentText());
    in.outPattern = FromQt(cmbOutPattern->currentText());
    in.pathPattern = FromQt(cmbPathPattern->currentText());
    in.albumPattern = FromQt(cmbAlbumPattern->currentText());
    in.newName = PathFromQt(txtNewName->text());
    in.fixFilenames = Ticked(chkFixFilenames);
    in.useAlbumPattern = Ticked(chkAlbumPattern);
    in.detectInPattern = Ticked(chkDetectInPattern);
    in.currentRow = CurrentRow();
    return in;
}

int frmVorda::CurrentRow() const {
    const QModelIndex current = lstFiles2->currentIndex();
    if (current.isValid() && list_.Selected(current.row() + 1)) return current.row() + 1;
    return list_.FirstSelected();
}

void frmVorda::RunNaming(const std::function<void()>& command) {
    if (busy_) return;
    // A target folder still being typed counts as accepted.
    if (txtTargetDir->hasFocus()) {
        panel_.FocusLost();
        SyncTargetBox();
    }
    busy_ = true;
    command();
    EndCommand(false);
    model_->SyncSelectionToView();
}

void frmVorda::SortAll() {
    RunNaming([this] { sort_->SortAllFiles(PanelInputs()); });
}

void frmVorda::SortSelected() {
    RunNaming([this] { sort_->SortSelectedFiles(PanelInputs()); });
    // The one-file stepping moved on: the list shows the row it moved to.
    const int row = sort_->CurrentRow();
    if (row >= 1 && row <= list_.Count()) {
        lstFiles2->selectionModel()->setCurrentIndex(model_->index(row - 1, 0), QItemSelectionModel::NoUpdate);
        lstFiles2->scrollTo(model_->index(row - 1, 0));
    }
}

void frmVorda::SortSelectedUsing(size_t outPatternIndex) {
    RunNaming([this, outPatternIndex] { sort_->SortSelectedUsing(PanelInputs(), outPatternIndex); });
}

void frmVorda::SortSelectedAsAlbum() {
    RunNaming([this] { sort_->SortSelectedAsAlbum(PanelInputs()); });
}

void frmVorda::StepWithNameBox(int delta) {
    if (cmds_.bMultiChange || list_.Count() == 0) return;
    const int row = CurrentRow();
    const int next = std::clamp(row + delta, 1, list_.Count());
    if (row >= 1 && next == row) return;
    RunNaming([this, row, next] {
        if (row >= 1) list_.SetSelected(row, false);
        cmds_.bMultiChange = false;
        list_.SetSelected(next, true);
        cmds_.ShowFile(next);
    });
    if (next <= list_.Count())
        lstFiles2->selectionModel()->setCurrentIndex(model_->index(next - 1, 0), QItemSelectionModel::NoUpdate);
}

// ============================================================ folder commands

void frmVorda::PrepareTreePopup() {
    const std::string tree = TreePath();
    const bool folder = !tree.empty() && tree != "/";
    mnuRenNewFolder->setEnabled(!tree.empty());
    mnuRenFolder->setEnabled(folder);
    mnuDelFolder->setEnabled(folder);

    clsFile& file = cmds_.filCurrent();
    std::string caption;
    if (folder && !file.FullPath().empty() && AddBackslash(tree) == file.Path()) {
        caption = FolderTreeCommands::PatternCaption(file, FromQt(cmbInPattern->currentText()), settings());
    }
    mnuRenFolderPattern->setData(Text(caption));
    if (caption.empty()) {
        mnuRenFolderPattern->setText(QString::fromLatin1(kNoFileFromFolder));
        mnuRenFolderPattern->setEnabled(false);
    } else {
        // "&" would be taken for a mnemonic.
        mnuRenFolderPattern->setText(Text(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
        mnuRenFolderPattern->setEnabled(true);
    }
}

void frmVorda::NewTreeFolder() {
    const std::string tree = TreePath();
    if (tree.empty()) return;
    RunNaming([this, &tree] { folders_->NewFolder(tree); });
}

void frmVorda::RenameTreeFolderCustom() {
    const std::string tree = TreePath();
    if (tree.empty() || tree == "/") return;
    RunNaming([this, &tree] { folders_->RenameCustom(tree); });
}

void frmVorda::RenameTreeFolderPattern() {
    const std::string tree = TreePath();
    const std::string caption = FromQt(mnuRenFolderPattern->data().toString());
    if (tree.empty() || tree == "/" || caption.empty()) return;
    RunNaming([this, &tree, &caption] { folders_->RenamePattern(tree, caption); });
}

void frmVorda::DeleteTreeFolderFromMenu() {
    const std::string tree = TreePath();
    // The file-system root is never handed to a recursive deletion.
    if (tree.empty() || tree == "/") return;
    RunNaming([this, &tree] { folders_->DeleteFolder(tree); });
}

void frmVorda::ShowID3FolderDialog() {
    if (busy_ || list_.Count() == 0) return;
    ID3FolderCommand command(cmds_, *this, settings());
    command.Tree.Refresh = [this] { RefreshTree(); };
    command.Tree.SetPath = [this](const std::string& path) { SelectTreeFolder(path); };
    command.SavePattern = [this] {
        CreateFolderTree(GetFolder(settingsPath_));
        IniFile ini(settingsPath_);
        WriteSetting(ini, "General", "sFolderPattern", settings().sFolderPattern);
    };
    if (!command.Open(FromQt(cmbInPattern->currentText()), panel_.Text())) return;
    frmID3Folder dialog(command, this);
    dialog.exec();
    model_->FlushPendingRows();
}

}  // namespace vorda
