// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/qt/FolderPane.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "base/Text.h"
#include "platform/QtText.h"

using namespace vorda::base;
using namespace vorda::platform;

namespace vorda::app {

FolderPane::FolderPane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picDirPane"));
    auto* pane = new QVBoxLayout(this);
    pane->setContentsMargins(0, 0, 0, 0);
    pane->setSpacing(2);
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    for (int i = 0; i < Bookmarks::kCount; ++i) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("cmdFavourite%1").arg(i));
        button->setText(QString::number(i + 1));
        button->setToolTip(QStringLiteral("Folder bookmark #%1").arg(i + 1));
        button->setIcon(QIcon::fromTheme(QStringLiteral("folder")));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumWidth(20);
        button->installEventFilter(this);
        connect(button, &QToolButton::clicked, this, [this, i] { emit bookmarkClicked(i); });
        row->addWidget(button);
        bookmarkButtons_[static_cast<size_t>(i)] = button;
    }
    pane->addLayout(row);

    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("DirTree"));
    tree_->setHeaderHidden(true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    pane->addWidget(tree_, 1);
    treeViewport_ = tree_->viewport();
    treeViewport_->installEventFilter(this);
    tree_->installEventFilter(this);
    connect(tree_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { emit contextMenuRequested(tree_->viewport()->mapToGlobal(pos)); });
    refresh();
}

FolderPane::~FolderPane() {
    // Events of the children being destroyed no longer reach the handlers.
    treeViewport_ = nullptr;
    tree_->removeEventFilter(this);
}

void FolderPane::refresh() {
    // A fresh model re-reads every folder.
    const std::string current = folder();
    QFileSystemModel* old = model_;
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setReadOnly(true);
    model_->setRootPath(QStringLiteral("/"));
    tree_->setModel(model_);
    for (int c = 1; c < model_->columnCount(); ++c) tree_->hideColumn(c);
    // The column is as wide as its names, so deep folders scroll sideways instead of being cut.
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { currentChanged(current); });
    // Folders load in the background: the tree's folder is kept in view as its parents fill in.
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this] {
        if (follow_) showCurrentFolder();
    });
    delete old;
    if (!current.empty()) {
        quiet_ = true;
        selectFolder(current);
        quiet_ = false;
    }
}

std::string FolderPane::folder() const {
    if (!model_ || !tree_->selectionModel()) return {};
    const QModelIndex current = tree_->currentIndex();
    if (!current.isValid()) return {};
    return removeBackslash(pathFromQt(model_->filePath(current)));
}

std::string FolderPane::parentFolder() const {
    if (!model_) return {};
    return pathFromQt(model_->filePath(tree_->currentIndex().parent()));
}

bool FolderPane::selectFolder(const std::string& folder) {
    if (folder.empty()) return false;
    const QModelIndex index = model_->index(pathToQt(removeBackslash(folder)));
    if (!index.isValid()) return false;
    tree_->setCurrentIndex(index);
    follow_ = true;
    showCurrentFolder();
    return true;
}

void FolderPane::showCurrentFolder() {
    const QModelIndex current = tree_->currentIndex();
    if (!current.isValid()) return;
    tree_->scrollTo(current, QAbstractItemView::PositionAtCenter);
    // A deep folder is indented past the tree's width: its name is scrolled into view too.
    const QRect item = tree_->visualRect(current);
    QScrollBar* across = tree_->horizontalScrollBar();
    if (item.left() < 0 || item.left() + 40 > tree_->viewport()->width())
        across->setValue(across->value() + item.left() - tree_->indentation());
}

void FolderPane::setBookmarkToolTip(int i, const QString& tip) {
    if (i >= 0 && i < Bookmarks::kCount) bookmarkButtons_[static_cast<size_t>(i)]->setToolTip(tip);
}

void FolderPane::currentChanged(const QModelIndex& current) {
    if (!current.isValid() || quiet_) return;
    const std::string path = pathFromQt(model_->filePath(current));
    if (path.empty()) return;
    if (mouseButton_ == Qt::RightButton || mouseButton_ == Qt::MiddleButton) return;
    emit folderChanged(path);
}

bool FolderPane::eventFilter(QObject* watched, QEvent* event) {
    // Only pointers are compared here: the filter also sees events while children are built.
    if (!watched) return false;
    if (watched == treeViewport_) {
        if (event->type() == QEvent::Wheel) follow_ = false;  // the user scrolls the tree now
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            follow_ = false;
            mouseButton_ = static_cast<QMouseEvent*>(event)->button();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            // After the tree has handled the release, keyboard moves report again.
            QTimer::singleShot(0, this, [this] { mouseButton_ = 0; });
        }
        return false;
    }
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Delete) return false;
        emit deleteRequested((static_cast<QKeyEvent*>(event)->modifiers() & Qt::ShiftModifier) != 0);
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        for (int i = 0; i < Bookmarks::kCount; ++i) {
            if (watched != bookmarkButtons_[static_cast<size_t>(i)]) continue;
            if (static_cast<QMouseEvent*>(event)->button() != Qt::RightButton) return false;
            emit bookmarkStoreRequested(i);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vorda::app
