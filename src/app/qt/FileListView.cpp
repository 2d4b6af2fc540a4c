// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/qt/FileListView.h"

#include <algorithm>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include "app/qt/FileListModel.h"

namespace vorda::app {

namespace {

// The local path of a dropped URL with its bytes as they are on disk.
std::string localPathOfUrl(const QUrl& url) {
    const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
    return QByteArray::fromPercentEncoding(encoded).toStdString();
}

}  // namespace

FileListView::FileListView(FileList& list, platform::FileIconCache& icons, QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("lstFiles2"));
    model_ = new FileListModel(list, icons);
    setModel(model_);
    model_->attachSelectionModel(selectionModel());

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    QHeaderView* header = horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(1);
    connect(header, &QHeaderView::sectionClicked, this, [this](int logical) { emit columnClicked(logical + 1); });

    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

FileListView::~FileListView() {
    // The model observes the list; it goes with the view, before the list does.
    setModel(nullptr);
    delete model_;
}

bool FileListView::event(QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QTableView::event(event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Delete) {
        emit deleteRequested(((key->modifiers() & ~Qt::KeypadModifier) & Qt::ShiftModifier) != 0);
        return true;
    }
    // Arrows, pages, type-ahead, Ctrl+A: the list moves its selection first, then the panes
    // follow it at once.
    QTableView::event(event);
    emit keyHandled();
    return true;
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) { takeDrag(event, false); }

void FileListView::dragMoveEvent(QDragMoveEvent* event) { takeDrag(event, false); }

void FileListView::dropEvent(QDropEvent* event) { takeDrag(event, true); }

void FileListView::takeDrag(QDropEvent* event, bool dropped) {
    const QMimeData* data = event->mimeData();
    const QList<QUrl> urls = data && data->hasUrls() ? data->urls() : QList<QUrl>();
    const bool hasFiles = std::any_of(urls.cbegin(), urls.cend(), [](const QUrl& url) { return url.isLocalFile(); });
    if (!hasFiles || (dropsAllowed && !dropsAllowed())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (!dropped) return;
    std::vector<std::string> paths;
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) paths.push_back(localPathOfUrl(url));
    }
    emit pathsDropped(paths);
}

}  // namespace vorda::app
