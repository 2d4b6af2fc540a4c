// SPDX-License-Identifier: GPL-2.0-or-later

// The main window's find and replace: the menu entry, the one find dialog over the listed files,
// the match shown with the focus on the tag editor's field that holds it, the matching rows
// selected, and the changed files shown again.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QItemSelectionModel>
#include <QLineEdit>

#include <optional>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "app/qt/FileListModel.h"
#include "app/qt/FileListView.h"
#include "app/qt/MainWindow.h"
#include "editing/TagPanes.h"
#include "editing/qt/TagArea.h"
#include "editing/qt/TagEditor.h"
#include "find/FileListSource.h"
#include "find/FindReplace.h"
#include "find/qt/FindDialog.h"
#include "tags/AudioFile.h"

using namespace vorda::tags;
using namespace vorda::editing;
using namespace vorda::find;

namespace vorda::app {

namespace {

// The tag editor's text field of a searched field: the general (ID3v2) pane's, and the ID3v1
// pane's where it has one. Lyrics3 fields are combo boxes of their own page.
struct EditorField {
    int general = -1;
    int v1 = -1;
};

EditorField editorField(SearchField field) {
    switch (field) {
    case SearchField::Artist: return {TagField::Artist, TagField::V1Artist};
    case SearchField::Album: return {TagField::Album, TagField::V1Album};
    case SearchField::Title: return {TagField::Title, TagField::V1Title};
    case SearchField::Year: return {TagField::Year, TagField::V1Year};
    case SearchField::Comment: return {TagField::Comment, TagField::V1Comment};
    case SearchField::Url: return {TagField::Url};
    case SearchField::Composer: return {TagField::Composer};
    case SearchField::OriginalArtist: return {TagField::OrgArtist};
    case SearchField::Copyright: return {TagField::Copyright};
    case SearchField::EncodedBy: return {TagField::EncodedBy};
    default: return {};
    }
}

MessageIcon messageIcon(QMessageBox::Icon icon) {
    switch (icon) {
    case QMessageBox::Critical: return MessageIcon::Error;
    case QMessageBox::Warning: return MessageIcon::Warning;
    case QMessageBox::Question: return MessageIcon::Question;
    case QMessageBox::Information: return MessageIcon::Information;
    default: return MessageIcon::None;
    }
}

}  // namespace

void MainWindow::setupFind() {
    findReplaceItem_->setEnabled(true);
    connect(findReplaceItem_, &QAction::triggered, this, &MainWindow::showFindDialog);
}

void MainWindow::showFindDialog() {
    if (busy_) return;
    if (findDialog_ == nullptr) {
        findSource_ = std::make_unique<FileListSource>(list_, settings());
        findEngine_ = std::make_unique<FindReplace>(*findSource_);
        findDialog_ = new FindDialog(*findEngine_, this);
        findDialog_->setMessageHandler([this](const QString& text, QMessageBox::Icon icon) {
            ask(text.toStdString(), MessageButtons::Ok, messageIcon(icon), findDialog_->windowTitle().toStdString());
        });
        connect(findDialog_, &FindDialog::matchFound, this, &MainWindow::showFindMatch);
        connect(findDialog_, &FindDialog::rowsMatched, this, &MainWindow::selectFoundRows);
        connect(findDialog_, &FindDialog::filesChanged, this, &MainWindow::showChangedRows);
    }
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
}

void MainWindow::showFindMatch(const Match& match) {
    const int row = match.row + 1;
    if (row < 1 || row > list_.count()) return;
    list_.clearSelection();
    list_.setSelected(row, true);
    listModel()->syncSelectionToView();
    const QModelIndex index = listModel()->index(row - 1, 0);
    fileList_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    fileList_->scrollTo(index);
    // The row is shown even when it was shown before: the field gets the focus on fresh values.
    settleSelection(true);
    focusMatchField(match);
}

void MainWindow::focusMatchField(const Match& match) {
    if (!tagEditorReady_ || shownPath_ != list_.getFullPath(match.row + 1)) return;
    TagEditor* editor = tagEditor();
    QWidget* target = nullptr;
    QLineEdit* line = nullptr;
    if (match.tag == SearchTag::Lyrics3) {
        switch (match.field) {
        case SearchField::Mood: target = editor->cmbLyrMood; break;
        case SearchField::Situation: target = editor->cmbLyrSituation; break;
        case SearchField::Quality: target = editor->cmbLyrQuality; break;
        default: break;
        }
        if (auto* box = qobject_cast<QComboBox*>(target); box && box->isEditable()) line = box->lineEdit();
    } else {
        const EditorField field = editorField(match.field);
        const bool advanced = editor->advanced();
        int index = field.general;
        // The ID3v1 pane exists in advanced mode only; the ID3v2 column of a file without the
        // ID3v2 value shows the ID3v1 value, which that pane holds.
        if (advanced && field.v1 >= 0 &&
            (match.tag == SearchTag::Id3v1 || editor->txtField[static_cast<size_t>(field.general)]->text().isEmpty()))
            index = field.v1;
        if (index >= 0) line = editor->txtField[static_cast<size_t>(index)];
        target = line;
    }
    if (target == nullptr) return;
    for (int page = 0; page < tagArea_->count(); ++page) {
        if (tagArea_->widget(page)->isAncestorOf(target)) tagArea_->setCurrentIndex(page);
    }
    target->setFocus(Qt::OtherFocusReason);
    // The matched text is selected when the field shows the value as it was searched.
    if (line != nullptr && line->text() == QString::fromStdString(match.value)) {
        const auto start = QString::fromUtf8(match.value.data(), static_cast<qsizetype>(match.span.start)).size();
        const auto length =
            QString::fromUtf8(match.value.data() + match.span.start, static_cast<qsizetype>(match.span.length)).size();
        line->setSelection(static_cast<int>(start), static_cast<int>(length));
    }
}

void MainWindow::selectFoundRows(const std::vector<int>& rows) {
    list_.clearSelection();
    for (const int row : rows) list_.setSelected(row + 1, true);
    listModel()->syncSelectionToView();
    if (!rows.empty()) {
        const QModelIndex index = listModel()->index(rows.front(), 0);
        fileList_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        fileList_->scrollTo(index);
    }
    settleSelection();
}

void MainWindow::showChangedRows(const std::vector<int>& rows) {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    bool shownChanged = false;
    AudioFile file;
    file.setOptions(tagOptions(settings()));
    for (const int index : rows) {
        const int row = index + 1;
        const std::string path = list_.getFullPath(row);
        if (path.empty()) continue;
        // The row shows what the file now holds (a failed write left it as it was).
        if (file.readFile(path, true)) cmds_.updateListItem(row, file);
        shownChanged = shownChanged || path == shownPath_;
    }
    listModel()->flushPendingRows();
    QApplication::restoreOverrideCursor();
    if (shownChanged) {
        shownPath_.clear();
        settleSelection();
    }
}

}  // namespace vorda::app
