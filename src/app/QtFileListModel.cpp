#include "app/QtFileListModel.h"

#include <QMetaObject>

#include "app/Routines.h"

namespace vorda {

QtFileListModel::QtFileListModel(FileList& list, FileIconCache& icons, QObject* parent)
    : QAbstractTableModel(parent), list_(list), icons_(icons), shownRows_(list.Count()) {
    list_.SetObserver(this);
}

QtFileListModel::~QtFileListModel() { list_.SetObserver(nullptr); }

int QtFileListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

int QtFileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant QtFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shownRows_ || index.row() >= list_.Count() || index.column() < 0 ||
        index.column() >= kColumnCount) {
        return {};
    }
    const FileList::Row& row = list_.At(index.row() + 1);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(ToDisplayUtf8(row.cells[static_cast<size_t>(index.column())]));
    case Qt::DecorationRole:
        if (index.column() == 0) return icons_.IconFor(row.cells[0]);
        return {};
    default:
        return {};
    }
}

QVariant QtFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= kColumnCount) return {};
    return QString::fromStdString(ColumnTitle(section + 1));
}

void QtFileListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumnCount) return;
    FlushPendingRows();
    ownReset_ = true;
    beginResetModel();
    list_.Sort(column + 1, order == Qt::AscendingOrder);
    shownRows_ = list_.Count();
    endResetModel();
    ownReset_ = false;
    SyncSelectionToView();
}

void QtFileListModel::AttachSelectionModel(QItemSelectionModel* selection) {
    if (selection_) disconnect(selection_, nullptr, this, nullptr);
    selection_ = selection;
    if (selection_) {
        connect(selection_, &QItemSelectionModel::selectionChanged, this,
                &QtFileListModel::OnViewSelectionChanged);
        SyncSelectionToView();
    }
}

void QtFileListModel::FlushPendingRows() {
    flushQueued_ = false;
    const int count = list_.Count();
    if (ownReset_ || directInsert_ || count <= shownRows_) return;
    beginInsertRows(QModelIndex(), shownRows_, count - 1);
    shownRows_ = count;
    endInsertRows();
}

void QtFileListModel::SyncSelectionToView() {
    selectionSyncQueued_ = false;
    if (!selection_) return;
    FlushPendingRows();
    QItemSelection wanted;
    const int rows = shownRows_;
    for (int r = 0; r < rows;) {
        if (!list_.At(r + 1).selected) {
            ++r;
            continue;
        }
        int end = r;
        while (end + 1 < rows && list_.At(end + 2).selected) ++end;
        wanted.select(index(r, 0), index(end, kColumnCount - 1));
        r = end + 1;
    }
    syncing_ = true;
    selection_->select(wanted, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    syncing_ = false;
}

void QtFileListModel::OnViewSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    if (syncing_) return;
    syncing_ = true;
    for (const QItemSelectionRange& range : deselected) {
        for (int r = range.top(); r <= range.bottom(); ++r) list_.SetSelected(r + 1, false);
    }
    for (const QItemSelectionRange& range : selected) {
        for (int r = range.top(); r <= range.bottom(); ++r) list_.SetSelected(r + 1, true);
    }
    syncing_ = false;
}

void QtFileListModel::ScheduleSelectionSync() {
    if (selectionSyncQueued_) return;
    selectionSyncQueued_ = true;
    QMetaObject::invokeMethod(
        this, [this] { if (selectionSyncQueued_) SyncSelectionToView(); }, Qt::QueuedConnection);
}

void QtFileListModel::ScheduleFlush() {
    if (flushQueued_) return;
    flushQueued_ = true;
    QMetaObject::invokeMethod(
        this, [this] { if (flushQueued_) FlushPendingRows(); }, Qt::QueuedConnection);
}

void QtFileListModel::BeginReset() {
    if (ownReset_) return;
    beginResetModel();
}

void QtFileListModel::EndReset() {
    if (ownReset_) return;
    shownRows_ = list_.Count();
    flushQueued_ = false;
    endResetModel();
    SyncSelectionToView();
}

void QtFileListModel::BeginInsert(int first, int last) {
    if (ownReset_) return;
    // Appends wait for the next publication; anything else is published at once.
    if (first - 1 >= list_.Count()) return;
    FlushPendingRows();
    beginInsertRows(QModelIndex(), first - 1, last - 1);
    directInsert_ = true;
}

void QtFileListModel::EndInsert() {
    if (ownReset_) return;
    if (directInsert_) {
        directInsert_ = false;
        shownRows_ = list_.Count();
        endInsertRows();
        return;
    }
    ScheduleFlush();
}

void QtFileListModel::BeginRemove(int first, int last) {
    if (ownReset_) return;
    FlushPendingRows();
    beginRemoveRows(QModelIndex(), first - 1, last - 1);
}

void QtFileListModel::EndRemove() {
    if (ownReset_) return;
    shownRows_ = list_.Count();
    endRemoveRows();
}

void QtFileListModel::RowChanged(int row) {
    if (ownReset_ || row < 1 || row > shownRows_) return;
    emit dataChanged(index(row - 1, 0), index(row - 1, kColumnCount - 1));
}

void QtFileListModel::SelectionChanged() {
    if (syncing_ || ownReset_) return;
    ScheduleSelectionSync();
}

}  // namespace vorda
