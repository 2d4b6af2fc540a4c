#include "app/FileList.h"

#include <algorithm>

namespace vorda {

const char* const kColumnTitles =
    "Filename|Path|Size|Artist|Album|Title|Track|Year|Genre|Comment|Bitrate (kbps)|Samplerate (kHz)|Tags|Duration";

std::string ColumnTitle(int col) {
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

int FileList::AddRow(const std::string& name) {
    const int index = Count() + 1;
    if (observer_) observer_->BeginInsert(index, index);
    Row row;
    row.cells[0] = name;
    rows_.push_back(std::move(row));
    if (observer_) observer_->EndInsert();
    return index;
}

void FileList::RemoveRow(int row) {
    if (!Valid(row)) return;
    if (observer_) observer_->BeginRemove(row, row);
    rows_.erase(rows_.begin() + (row - 1));
    if (observer_) observer_->EndRemove();
}

int FileList::RemoveRowsIf(const std::function<bool(int row, const Row& r)>& remove) {
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
        RemoveRow(static_cast<int>(it - doomed.begin()) + 1);
        return 1;
    }
    if (observer_) observer_->BeginReset();
    size_t out = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (doomed[i]) continue;
        if (out != i) rows_[out] = std::move(rows_[i]);
        ++out;
    }
    rows_.resize(out);
    if (observer_) observer_->EndReset();
    return count;
}

void FileList::Clear() {
    if (observer_) observer_->BeginReset();
    rows_.clear();
    if (observer_) observer_->EndReset();
}

std::string FileList::GetCellContent(int row, int col) const {
    if (!Valid(row) || col < 1 || col > kColumnCount) return {};
    return rows_[static_cast<size_t>(row - 1)].cells[static_cast<size_t>(col - 1)];
}

void FileList::SetCellContent(int row, int col, const std::string& text) {
    if (!Valid(row) || col < 1 || col > kColumnCount) return;
    rows_[static_cast<size_t>(row - 1)].cells[static_cast<size_t>(col - 1)] = text;
    if (observer_) observer_->RowChanged(row);
}

void FileList::SetCells(int row, const std::array<std::string, kColumnCount>& cells) {
    if (!Valid(row)) return;
    rows_[static_cast<size_t>(row - 1)].cells = cells;
    if (observer_) observer_->RowChanged(row);
}

std::string FileList::GetFullPath(int row) const {
    if (!Valid(row)) return {};
    const Row& r = rows_[static_cast<size_t>(row - 1)];
    return r.cells[colPath - 1] + r.cells[colFilename - 1];
}

bool FileList::Selected(int row) const {
    return Valid(row) && rows_[static_cast<size_t>(row - 1)].selected;
}

void FileList::SetSelected(int row, bool selected) {
    if (!Valid(row)) return;
    Row& r = rows_[static_cast<size_t>(row - 1)];
    if (r.selected == selected) return;
    r.selected = selected;
    if (observer_) observer_->SelectionChanged();
}

void FileList::SelectAll() {
    for (Row& r : rows_) r.selected = true;
    if (observer_) observer_->SelectionChanged();
}

void FileList::InvertSelection() {
    for (Row& r : rows_) r.selected = !r.selected;
    if (observer_) observer_->SelectionChanged();
}

void FileList::ClearSelection() {
    for (Row& r : rows_) r.selected = false;
    if (observer_) observer_->SelectionChanged();
}

int FileList::SelectedCount() const {
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.selected; }));
}

int FileList::FirstSelected() const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].selected) return static_cast<int>(i) + 1;
    return 0;
}

void FileList::Sort(int col, bool ascending) {
    if (col < 1 || col > kColumnCount) return;
    const size_t c = static_cast<size_t>(col - 1);
    if (observer_) observer_->BeginReset();
    if (ascending)
        std::stable_sort(rows_.begin(), rows_.end(), [c](const Row& a, const Row& b) { return a.cells[c] < b.cells[c]; });
    else
        std::stable_sort(rows_.begin(), rows_.end(), [c](const Row& a, const Row& b) { return b.cells[c] < a.cells[c]; });
    if (observer_) observer_->EndReset();
}

bool FileList::Reorder(const std::vector<int>& order) {
    if (order.size() != rows_.size()) return false;
    std::vector<char> seen(rows_.size(), 0);
    for (int index : order) {
        if (!Valid(index) || seen[static_cast<size_t>(index - 1)]) return false;
        seen[static_cast<size_t>(index - 1)] = 1;
    }
    if (observer_) observer_->BeginReset();
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (int index : order) sorted.push_back(std::move(rows_[static_cast<size_t>(index - 1)]));
    rows_ = std::move(sorted);
    if (observer_) observer_->EndReset();
    return true;
}

}  // namespace vorda
