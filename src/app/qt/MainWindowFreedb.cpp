// SPDX-License-Identifier: GPL-2.0-or-later

// The main window's freedb lookup: the selected files as an album, the conversation's status in
// the status bar and its messages, the match chooser, the review dialog, and the writing of the
// reviewed values into the files with the rows shown again.
#include <algorithm>

#include <QAction>
#include <QStringList>

#include "app/qt/FileListModel.h"
#include "app/qt/MainWindow.h"
#include "app/qt/SortingPanel.h"
#include "base/Text.h"
#include "freedb/AlbumLookup.h"
#include "freedb/qt/FreedbConnection.h"
#include "freedb/qt/MatchChooserDialog.h"
#include "freedb/qt/ReviewDialog.h"
#include "naming/PatternEngine.h"
#include "tags/GenreList.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::naming;
using namespace vorda::freedb;

namespace vorda::app {

namespace {

QString displayText(const std::string& text) { return QString::fromStdString(toDisplayUtf8(text)); }

QStringList genreNames() {
    const GenreTable table;
    QStringList names;
    for (int number = 0; number < GenreTable::kCount; ++number) names.append(displayText(table.genre(number)));
    names.sort(Qt::CaseInsensitive);
    return names;
}

}  // namespace

void MainWindow::setupFreedb() {
    lookup_ = std::make_unique<AlbumLookup>(*this, settings());
    freedb_ = new FreedbConnection(this);
    connect(freedb_, &FreedbConnection::statusChanged, this, [this](Status status) {
        setStatus(3, AlbumLookup::statusText(status, freedb_->settings(), freedb_->query()));
    });
    connect(freedb_, &FreedbConnection::multipleMatches, this, &MainWindow::freedbMatches);
    connect(freedb_, &FreedbConnection::receivedResult, this, &MainWindow::freedbResult);
    connect(freedb_, &FreedbConnection::noMatches, this, [this] { lookup_->tellNoMatches(); });
    connect(freedb_, &FreedbConnection::errorOccurred, this,
            [this](int code, const QString& description) { lookup_->tellError(code, description.toStdString()); });
    connect(freedb_, &FreedbConnection::connectionFailed, this, [this] { lookup_->tellConnectionFailed(); });

    for (QAction* item : {freeDbLookupItem_, popFreeDbLookupItem_}) {
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, &MainWindow::freedbLookup);
    }
    connect(sortingPanel_, &SortingPanel::freedbClicked, this, &MainWindow::freedbLookup);
}

void MainWindow::freedbLookup() {
    if (busy_) return;
    lookup_->reset();
    lookup_->addSelectedRows(list_);
    if (!lookup_->confirmAlbum()) return;
    freedb_->settings() = lookup_->clientSettings();
    freedb_->sendQuery(lookup_->album().queryCommand());
}

void MainWindow::freedbMatches(const std::vector<FreedbQuery>& matches) {
    if (matches.empty()) {
        freedb_->closeConnection();
        return;
    }
    if (matches.size() == 1) {
        freedb_->sendRead(matches.front());
        return;
    }
    MatchChooserDialog chooser(this);
    chooser.showEntries(matches);
    chooser.exec();
    // A cancelled choice leaves the connection as it is.
    if (chooser.wasCanceled()) return;
    if (const auto match = chooser.selected()) freedb_->sendRead(*match);
}

void MainWindow::freedbResult(const std::vector<DbValue>& values) {
    AlbumReview& review = lookup_->review();
    review.takeResult(values);

    ReviewDialog dialog(this);
    dialog.setGenres(genreNames());
    QStringList patterns;
    for (const std::string& pattern : settings().outPatterns)
        if (!pattern.empty()) patterns.append(displayText(pattern));
    dialog.setOutPatterns(patterns, sortingPanel_->patternText(PatternKind::Output));
    dialog.setPatternCheck([](QString& pattern) {
        std::string text = pattern.toStdString();
        const std::string message = checkPatternOnFocusLoss(PatternKind::Output, text);
        pattern = displayText(text);
        return displayText(message);
    });
    dialog.load(review);
    if (dialog.exec() != QDialog::Accepted) {
        lookup_->reset();
        return;
    }
    const AlbumReview edited = dialog.review();
    const std::string outPattern = dialog.outPattern().toStdString();
    const bool wasBusy = busy_;
    busy_ = true;
    lookup_->writeReview(edited, outPattern, [this, &edited](int k, AudioFile& file) {
        // The row is shown again only while it still shows the file the lookup took.
        const int row = lookup_->files()[static_cast<size_t>(k - 1)].row;
        if (row >= 1 && row <= list_.count() &&
            list_.getCellContent(row, ListColumn::Filename) == edited.rows[static_cast<size_t>(k - 1)].file)
            cmds_.updateListItem(row, file);
    });
    endCommand(wasBusy);
    lookup_->reset();
    // The tag editor shows what the files now hold.
    shownPath_.clear();
    queueSelectionSettle();
}

}  // namespace vorda::app
