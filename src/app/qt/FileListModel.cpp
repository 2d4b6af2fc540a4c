// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/qt/FileListModel.h"

#include <cmath>
#include <cstdlib>
#include <numeric>

#include <QCollator>
#include <QLocale>
#include <QMetaObject>

#include "base/Text.h"
#include "platform/QtText.h"

using namespace vorda::base;
using namespace vorda::platform;

namespace vorda::app {

FileListModel::FileListModel(FileList& list, FileIconCache& icons, QObject* parent)
    : QAbstractTableModel(parent), list_(list), icons_(icons), shownRows_(list.count()) {
    list_.setObserver(this);
}

FileListModel::~FileListModel() { list_.setObserver(nullptr); }

int FileListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

int FileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shownRows_ || index.row() >= list_.count() || index.column() < 0 ||
        index.column() >= kColumnCount) {
        return {};
    }
    const FileList::Row& row = list_.at(index.row() + 1);
    switch (role) {
    case Qt::DisplayRole: return displayText(row.cells[static_cast<size_t>(index.column())]);
    case Qt::DecorationRole:
        if (index.column() == 0) return icons_.iconFor(row.cells[0]);
        return {};
    default: return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= kColumnCount) return {};
    return QString::fromStdString(columnTitle(section + 1));
}

void FileListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumnCount) return;
    flushPendingRows();
    const std::vector<int> sorted = sortedOrder(list_, column + 1, order == Qt::AscendingOrder);
    ownReset_ = true;
    beginResetModel();
    // sortedOrder() gives every row exactly once, which is all reorder() refuses.
    const bool reordered = list_.reorder(sorted);
    Q_ASSERT(reordered);
    static_cast<void>(reordered);
    shownRows_ = list_.count();
    endResetModel();
    ownReset_ = false;
    syncSelectionToView();
}

std::vector<int> FileListModel::sortedOrder(const FileList& list, int col, bool ascending) {
    const int count = list.count();
    const size_t c = static_cast<size_t>(col - 1);
    const bool numeric = isNumericColumn(col);
    // Texts compare as the user's language orders them, whatever their case, with the numbers in
    // them as numbers ("Track 2" before "Track 10"); without a language, as English does.
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);

    std::vector<QCollatorSortKey> keys;
    std::vector<double> numbers;
    keys.reserve(static_cast<size_t>(count));
    numbers.reserve(numeric ? static_cast<size_t>(count) : 0);
    for (int row = 1; row <= count; ++row) {
        const std::string& cell = list.at(row).cells[c];
        keys.push_back(collator.sortKey(displayText(cell)));
        if (numeric) numbers.push_back(cellNumber(col, cell));
    }
    // Cells without a number come first, then the numbers in order, ties by their text.
    auto less = [&](int a, int b) {
        const size_t i = static_cast<size_t>(a - 1), j = static_cast<size_t>(b - 1);
        if (numeric) {
            const bool hasA = !std::isnan(numbers[i]), hasB = !std::isnan(numbers[j]);
            if (hasA != hasB) return hasB;
            if (hasA && numbers[i] != numbers[j]) return numbers[i] < numbers[j];
        }
        return keys[i].compare(keys[j]) < 0;
    };
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 1);
    if (ascending)
        std::stable_sort(order.begin(), order.end(), less);
    else
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(b, a); });
    return order;
}

bool FileListModel::isNumericColumn(int col) {
    switch (col) {
    case ListColumn::Size:
    case ListColumn::Track:
    case ListColumn::Year:
    case ListColumn::Bitrate:
    case ListColumn::Samplerate:
    case ListColumn::Duration: return true;
    default: return false;
    }
}

double FileListModel::cellNumber(int col, const std::string& cell) {
    // Size "1 234.50 MB" (groups split by spaces), Duration "mm:ss", Track "7/12": the leading
    // number of the text, NaN when there is none.
    std::string text;
    for (char ch : cell)
        if (ch != ' ') text += ch;
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(value)) return std::nan("");
    if (col == ListColumn::Duration && *end == ':') {
        char* secondsEnd = nullptr;
        const double seconds = std::strtod(end + 1, &secondsEnd);
        return value * 60 + (secondsEnd != end + 1 && std::isfinite(seconds) ? seconds : 0);
    }
    return value;
}

void FileListModel::attachSelectionModel(QItemSelectionModel* selection) {
    if (selection_) disconnect(selection_, nullptr, this, nullptr);
    selection_ = selection;
    if (selection_) {
        connect(selection_, &QItemSelectionModel::selectionChanged, this, &FileListModel::onViewSelectionChanged);
        syncSelectionToView();
    }
}

void FileListModel::flushPendingRows() {
    flushQueued_ = false;
    const int count = list_.count();
    if (ownReset_ || directInsert_ || count <= shownRows_) return;
    beginInsertRows(QModelIndex(), shownRows_, count - 1);
    shownRows_ = count;
    endInsertRows();
}

void FileListModel::syncSelectionToView() {
    selectionSyncQueued_ = false;
    if (!selection_) return;
    flushPendingRows();
    QItemSelection wanted;
    const int rows = shownRows_;
    for (int r = 0; r < rows;) {
        if (!list_.at(r + 1).selected) {
            ++r;
            continue;
        }
        int end = r;
        while (end + 1 < rows && list_.at(end + 2).selected) ++end;
        wanted.select(index(r, 0), index(end, kColumnCount - 1));
        r = end + 1;
    }
    syncing_ = true;
    selection_->select(wanted, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    syncing_ = false;
}

void FileListModel::onViewSelectionChanged(const QItemSelection&, const QItemSelection&) {
    if (syncing_ || !selection_) return;
    // The rows take the view's whole selection: a change made in the view while a change of the
    // rows was still on its way to it (queued) must not leave rows of both selected.
    selectionSyncQueued_ = false;
    syncing_ = true;
    list_.clearSelection();
    for (const QItemSelectionRange& range : selection_->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) list_.setSelected(r + 1, true);
    }
    syncing_ = false;
}

void FileListModel::scheduleSelectionSync() {
    if (selectionSyncQueued_) return;
    selectionSyncQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (selectionSyncQueued_) syncSelectionToView();
        },
        Qt::QueuedConnection);
}

void FileListModel::scheduleFlush() {
    if (flushQueued_) return;
    flushQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (flushQueued_) flushPendingRows();
        },
        Qt::QueuedConnection);
}

void FileListModel::beginReset() {
    if (ownReset_) return;
    beginResetModel();
}

void FileListModel::endReset() {
    if (ownReset_) return;
    shownRows_ = list_.count();
    flushQueued_ = false;
    endResetModel();
    syncSelectionToView();
}

void FileListModel::beginInsert(int first, int last) {
    if (ownReset_) return;
    // Appends wait for the next publication; anything else is published at once.
    if (first - 1 >= list_.count()) return;
    flushPendingRows();
    beginInsertRows(QModelIndex(), first - 1, last - 1);
    directInsert_ = true;
}

void FileListModel::endInsert() {
    if (ownReset_) return;
    if (directInsert_) {
        directInsert_ = false;
        shownRows_ = list_.count();
        endInsertRows();
        return;
    }
    scheduleFlush();
}

void FileListModel::beginRemove(int first, int last) {
    if (ownReset_) return;
    flushPendingRows();
    beginRemoveRows(QModelIndex(), first - 1, last - 1);
}

void FileListModel::endRemove() {
    if (ownReset_) return;
    shownRows_ = list_.count();
    endRemoveRows();
}

void FileListModel::rowChanged(int row) {
    if (ownReset_ || row < 1 || row > shownRows_) return;
    emit dataChanged(index(row - 1, 0), index(row - 1, kColumnCount - 1));
}

void FileListModel::selectionChanged() {
    if (syncing_ || ownReset_) return;
    scheduleSelectionSync();
}

}  // namespace vorda::app
