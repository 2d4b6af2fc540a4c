// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/FileList.h"

#include <algorithm>

namespace vorda::app {

const char* const kColumnTitles =
    "Filename|Path|Size|Artist|Album|Title|Track|Year|Genre|Comment|Bitrate (kbps)|Samplerate (kHz)|Tags|Duration";

std::string columnTitle(int col) {
    if (col < 1 || col > kColumnCount) return {};
    std::string_view titles(kColumnTitles);
    int current = 1;
    size_t start = 0;
    while (current < col) {
        start = titles.find('|', start) + 1;
        ++current;
    }
    size_t end = titles.find('|', start);
    if (end == std::string_view::npos) end = titles.size();
    return std::string(titles.substr(start, end - start));
}

int FileList::addRow(const std::string& name) {
    const int index = count() + 1;
    if (observer_) observer_->beginInsert(index, index);
    Row row;
    row.cells[0] = name;
    rows_.push_back(std::move(row));
    if (observer_) observer_->endInsert();
    return index;
}

void FileList::removeRow(int row) {
    if (!valid(row)) return;
    if (observer_) observer_->beginRemove(row, row);
    rows_.erase(rows_.begin() + (row - 1));
    if (observer_) observer_->endRemove();
}

int FileList::removeRowsIf(const std::function<bool(int row, const Row& r)>& remove) {
    // Decide first, with the indexes as they were, then compact in one pass.
    std::vector<char> doomed(rows_.size(), 0);
    int count = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (remove(static_cast<int>(i) + 1, rows_[i])) {
            doomed[i] = 1;
            ++count;
        }
    }
    if (count == 0) return 0;
    if (count == 1) {
        // A single row keeps the finer notification, so a view keeps its scroll position.
        auto it = std::find(doomed.begin(), doomed.end(), 1);
        removeRow(static_cast<int>(it - doomed.begin()) + 1);
        return 1;
    }
    if (observer_) observer_->beginReset();
    size_t out = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (doomed[i]) continue;
        if (out != i) rows_[out] = std::move(rows_[i]);
        ++out;
    }
    rows_.resize(out);
    if (observer_) observer_->endReset();
    return count;
}

void FileList::clear() {
    if (observer_) observer_->beginReset();
    rows_.clear();
    if (observer_) observer_->endReset();
}

std::string FileList::getCellContent(int row, int col) const {
    if (!valid(row) || col < 1 || col > kColumnCount) return {};
    return rows_[static_cast<size_t>(row - 1)].cells[static_cast<size_t>(col - 1)];
}

void FileList::setCellContent(int row, int col, const std::string& text) {
    if (!valid(row) || col < 1 || col > kColumnCount) return;
    rows_[static_cast<size_t>(row - 1)].cells[static_cast<size_t>(col - 1)] = text;
    if (observer_) observer_->rowChanged(row);
}

void FileList::setCells(int row, const std::array<std::string, kColumnCount>& cells) {
    if (!valid(row)) return;
    rows_[static_cast<size_t>(row - 1)].cells = cells;
    if (observer_) observer_->rowChanged(row);
}

std::string FileList::getFullPath(int row) const {
    if (!valid(row)) return {};
    const Row& r = rows_[static_cast<size_t>(row - 1)];
    return r.cells[ListColumn::Path - 1] + r.cells[ListColumn::Filename - 1];
}

bool FileList::selected(int row) const { return valid(row) && rows_[static_cast<size_t>(row - 1)].selected; }

void FileList::setSelected(int row, bool selected) {
    if (!valid(row)) return;
    Row& r = rows_[static_cast<size_t>(row - 1)];
    if (r.selected == selected) return;
    r.selected = selected;
    if (observer_) observer_->selectionChanged();
}

void FileList::selectAll() {
    for (Row& r : rows_) r.selected = true;
    if (observer_) observer_->selectionChanged();
}

void FileList::invertSelection() {
    for (Row& r : rows_) r.selected = !r.selected;
    if (observer_) observer_->selectionChanged();
}

void FileList::clearSelection() {
    for (Row& r : rows_) r.selected = false;
    if (observer_) observer_->selectionChanged();
}

int FileList::selectedCount() const {
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.selected; }));
}

int FileList::firstSelected() const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].selected) return static_cast<int>(i) + 1;
    return 0;
}

void FileList::sort(int col, bool ascending) {
    if (col < 1 || col > kColumnCount) return;
    const size_t c = static_cast<size_t>(col - 1);
    if (observer_) observer_->beginReset();
    if (ascending)
        std::stable_sort(rows_.begin(), rows_.end(),
                         [c](const Row& a, const Row& b) { return a.cells[c] < b.cells[c]; });
    else
        std::stable_sort(rows_.begin(), rows_.end(),
                         [c](const Row& a, const Row& b) { return b.cells[c] < a.cells[c]; });
    if (observer_) observer_->endReset();
}

bool FileList::reorder(const std::vector<int>& order) {
    if (order.size() != rows_.size()) return false;
    std::vector<char> seen(rows_.size(), 0);
    for (int index : order) {
        if (!valid(index) || seen[static_cast<size_t>(index - 1)]) return false;
        seen[static_cast<size_t>(index - 1)] = 1;
    }
    if (observer_) observer_->beginReset();
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (int index : order) sorted.push_back(std::move(rows_[static_cast<size_t>(index - 1)]));
    rows_ = std::move(sorted);
    if (observer_) observer_->endReset();
    return true;
}

}  // namespace vorda::app
