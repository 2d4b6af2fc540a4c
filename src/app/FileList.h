// SPDX-License-Identifier: GPL-2.0-or-later

// The file list: rows of 14 text cells plus a selection flag. The row is Vorda's only
// record of a listed file: its full path is the Path cell followed by the Filename cell.
// Rows and columns are 1-based, as the commands address them.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace vorda::app {

namespace list_column {
enum ListColumn : int {
    Filename = 1,
    Path,
    Size,
    Artist,
    Album,
    Title,
    Track,
    Year,
    Genre,
    Comment,
    Bitrate,
    Samplerate,
    Tags,
    Duration
};
}  // namespace list_column
using list_column::ListColumn;
inline constexpr int kColumnCount = 14;
// "Filename|Path|Size|Artist|Album|Title|Track|Year|Genre|Comment|Bitrate (kbps)|Samplerate (kHz)|Tags|Duration"
extern const char* const kColumnTitles;
// The title of column col (1..14).
std::string columnTitle(int col);

// Listeners for views (the window's table adapter). Indexes are 1-based.
struct FileListObserver {
    virtual ~FileListObserver() = default;
    virtual void beginReset() {}
    virtual void endReset() {}
    virtual void beginInsert(int first, int last) {}
    virtual void endInsert() {}
    virtual void beginRemove(int first, int last) {}
    virtual void endRemove() {}
    virtual void rowChanged(int row) {}
    virtual void selectionChanged() {}
};

class FileList {
public:
    struct Row {
        std::array<std::string, kColumnCount> cells;
        bool selected = false;
    };

    int count() const { return static_cast<int>(rows_.size()); }
    // Appends a row whose Filename cell is name and whose other cells are empty; returns its index.
    int addRow(const std::string& name);
    void removeRow(int row);
    // Removes every row for which remove(index, row) is true, deciding on the indexes as they
    // were before any removal; one reset notification (one removal for a single row).
    // Returns the number of rows removed. Linear in the row count.
    int removeRowsIf(const std::function<bool(int row, const Row& r)>& remove);
    void clear();

    // Column 1 is the row text; "" for a bad row or column.
    std::string getCellContent(int row, int col) const;
    void setCellContent(int row, int col, const std::string& text);
    // Replaces all cells of a row at once (one change notification).
    void setCells(int row, const std::array<std::string, kColumnCount>& cells);
    // Path cell & Filename cell, "" for a bad index.
    std::string getFullPath(int row) const;

    bool selected(int row) const;
    void setSelected(int row, bool selected);
    void selectAll();
    void invertSelection();
    void clearSelection();
    int selectedCount() const;
    // The first selected row, 0 when none.
    int firstSelected() const;

    // Sorts by comparing the cell texts of col (stable), ascending or descending.
    void sort(int col, bool ascending);
    // Puts the rows in a new order: row i becomes old row order[i - 1] (1-based); one reset
    // notification. Anything but a permutation of 1..Count() is refused (false, nothing moved).
    [[nodiscard]] bool reorder(const std::vector<int>& order);

    const Row& at(int row) const { return rows_[static_cast<size_t>(row - 1)]; }

    void setObserver(FileListObserver* observer) { observer_ = observer; }

private:
    bool valid(int row) const { return row >= 1 && row <= count(); }
    std::vector<Row> rows_;
    FileListObserver* observer_ = nullptr;
};

}  // namespace vorda::app
