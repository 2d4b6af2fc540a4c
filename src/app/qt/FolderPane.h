// SPDX-License-Identifier: GPL-2.0-or-later

// The folder pane of the main window: the bookmark buttons over the folder tree.
// The tree follows its current folder into view while the folders load in the background.
#pragma once

#include <array>
#include <string>

#include <QWidget>

#include "app/Bookmarks.h"

class QFileSystemModel;
class QModelIndex;
class QToolButton;
class QTreeView;

namespace vorda::app {

class FolderPane : public QWidget {
    Q_OBJECT
public:
    explicit FolderPane(QWidget* parent = nullptr);
    ~FolderPane() override;

    // The tree's folder ("" when none), without a trailing "/".
    std::string folder() const;
    // The folder above the tree's folder ("" when none).
    std::string parentFolder() const;
    // Moves the tree to folder and keeps it in view; false when the tree has no such folder.
    bool selectFolder(const std::string& folder);
    // Re-reads every folder; the tree stays on its folder without reporting a change.
    void refresh();
    void setBookmarkToolTip(int i, const QString& tip);

signals:
    // The tree moved to another folder by keys or the left button (not by the right or middle one).
    void folderChanged(const std::string& path);
    void bookmarkClicked(int i);
    // The right button on a bookmark button.
    void bookmarkStoreRequested(int i);
    // The Delete key in the tree (permanently = Shift held).
    void deleteRequested(bool permanently);
    void contextMenuRequested(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void currentChanged(const QModelIndex& current);
    // Scrolls the tree so that its current folder is in view.
    void showCurrentFolder();

    std::array<QToolButton*, Bookmarks::kCount> bookmarkButtons_{};
    QTreeView* tree_ = nullptr;
    QFileSystemModel* model_ = nullptr;
    QObject* treeViewport_ = nullptr;  // the filtered widgets, compared by address only
    int mouseButton_ = 0;              // last mouse button pressed in the tree, 0 when none
    bool follow_ = false;              // the tree keeps its folder in view while folders load
    bool quiet_ = false;               // a refresh puts the tree back on its folder
};

}  // namespace vorda::app
