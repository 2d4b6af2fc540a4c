// SPDX-License-Identifier: GPL-2.0-or-later

// The file list as a Qt table model: a thin adapter over FileList (no item per cell).
// Rows appended while a command runs are published to the views in batches; the
// selection is kept in step with the rows' selected flags in both directions.
#pragma once

#include <string>
#include <vector>

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QPointer>

#include "app/FileList.h"
#include "platform/PlatformServices.h"

namespace vorda::app {

class FileListModel : public QAbstractTableModel, public FileListObserver {
    Q_OBJECT
public:
    FileListModel(FileList& list, platform::FileIconCache& icons, QObject* parent = nullptr);
    ~FileListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Sorts the list by a column (0-based here): texts as the user's language orders them,
    // ignoring case; Size, Track, Year, Bitrate, Samplerate and Duration by their numbers.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // The order of the rows sorted by column col (1-based): order[i] is the row that comes i-th.
    static std::vector<int> sortedOrder(const FileList& list, int col, bool ascending);
    static bool isNumericColumn(int col);
    // The number a cell of col shows (seconds for a duration), NaN when it shows none.
    static double cellNumber(int col, const std::string& cell);

    // The view's selection model whose selection mirrors the rows' selected flags.
    void attachSelectionModel(QItemSelectionModel* selection);
    // Publishes rows appended since the last publication.
    void flushPendingRows();
    // Copies the rows' selected flags into the view's selection now.
    void syncSelectionToView();

    // FileListObserver
    void beginReset() override;
    void endReset() override;
    void beginInsert(int first, int last) override;
    void endInsert() override;
    void beginRemove(int first, int last) override;
    void endRemove() override;
    void rowChanged(int row) override;
    void selectionChanged() override;

private:
    void onViewSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void scheduleSelectionSync();
    void scheduleFlush();

    FileList& list_;
    platform::FileIconCache& icons_;
    QPointer<QItemSelectionModel> selection_;
    int shownRows_ = 0;          // rows the views know of
    bool directInsert_ = false;  // an insert in the middle, published at once
    bool ownReset_ = false;      // the model's own sort reset: list notifications are ignored
    bool syncing_ = false;       // selection being copied from one side to the other
    bool selectionSyncQueued_ = false;
    bool flushQueued_ = false;
};

}  // namespace vorda::app
