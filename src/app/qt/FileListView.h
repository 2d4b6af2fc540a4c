// SPDX-License-Identifier: GPL-2.0-or-later

// The file list of the main window: a table over the list's model, with movable columns,
// header clicks for sorting, Delete and Shift+Delete, and files dropped from outside.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QTableView>

#include "app/FileList.h"
#include "platform/PlatformServices.h"

namespace vorda::app {

class FileListModel;

class FileListView : public QTableView {
    Q_OBJECT
public:
    FileListView(FileList& list, platform::FileIconCache& icons, QWidget* parent = nullptr);
    ~FileListView() override;

    FileListModel* listModel() const { return model_; }
    // Whether dropped files are taken now (a running command refuses them).
    std::function<bool()> dropsAllowed;

signals:
    // A header click on a column (1-based).
    void columnClicked(int col);
    // Delete removes the selected files from the list, Shift+Delete deletes them.
    void deleteRequested(bool fromDisk);
    // Any other key was handled by the list (its selection may have moved).
    void keyHandled();
    void pathsDropped(const std::vector<std::string>& paths);

protected:
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Accepts a drag that brings local files while drops are allowed; a drop reports its paths.
    void takeDrag(QDropEvent* event, bool dropped);

    FileListModel* model_ = nullptr;
};

}  // namespace vorda::app
