// SPDX-License-Identifier: GPL-2.0-or-later

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/FileList.h"

using namespace vorda::app;

namespace {

struct RecordingObserver : FileListObserver {
    std::vector<std::string> events;
    void beginReset() override { events.push_back("BeginReset"); }
    void endReset() override { events.push_back("EndReset"); }
    void beginInsert(int first, int last) override {
        events.push_back("BeginInsert " + std::to_string(first) + "-" + std::to_string(last));
    }
    void endInsert() override { events.push_back("EndInsert"); }
    void beginRemove(int first, int last) override {
        events.push_back("BeginRemove " + std::to_string(first) + "-" + std::to_string(last));
    }
    void endRemove() override { events.push_back("EndRemove"); }
    void rowChanged(int row) override { events.push_back("RowChanged " + std::to_string(row)); }
    void selectionChanged() override { events.push_back("SelectionChanged"); }
};

std::vector<std::string> names(const FileList& list) {
    std::vector<std::string> names;
    for (int row = 1; row <= list.count(); ++row) names.push_back(list.getCellContent(row, ListColumn::Filename));
    return names;
}

}  // namespace

TEST(FileList, ColumnTitlesSplitTheLiteral) {
    EXPECT_EQ(columnTitle(1), "Filename");
    EXPECT_EQ(columnTitle(2), "Path");
    EXPECT_EQ(columnTitle(11), "Bitrate (kbps)");
    EXPECT_EQ(columnTitle(12), "Samplerate (kHz)");
    EXPECT_EQ(columnTitle(14), "Duration");
    EXPECT_EQ(columnTitle(0), "");
    EXPECT_EQ(columnTitle(15), "");
}

TEST(FileList, CellsAndFullPathAreOneBasedAndSafeOutsideTheList) {
    FileList list;
    EXPECT_EQ(list.addRow("a.mp3"), 1);
    EXPECT_EQ(list.addRow("b.mp3"), 2);
    list.setCellContent(1, ListColumn::Path, "/music/");
    list.setCellContent(1, ListColumn::Duration, "03:05");
    EXPECT_EQ(list.getCellContent(1, ListColumn::Filename), "a.mp3");
    EXPECT_EQ(list.getCellContent(1, ListColumn::Duration), "03:05");
    EXPECT_EQ(list.getCellContent(2, ListColumn::Artist), "");
    EXPECT_EQ(list.getFullPath(1), "/music/a.mp3");
    EXPECT_EQ(list.getFullPath(0), "");
    EXPECT_EQ(list.getFullPath(3), "");
    EXPECT_EQ(list.getCellContent(1, 0), "");
    EXPECT_EQ(list.getCellContent(1, 15), "");
    list.setCellContent(3, 1, "ignored");
    list.setCellContent(1, 15, "ignored");
    list.removeRow(0);
    list.removeRow(3);
    EXPECT_EQ(list.count(), 2);
}

TEST(FileList, ObserverHearsEveryChange) {
    FileList list;
    RecordingObserver observer;
    list.setObserver(&observer);
    list.addRow("a");
    list.addRow("b");
    list.addRow("c");
    list.setCellContent(2, ListColumn::Title, "x");
    list.setSelected(2, true);
    list.setSelected(2, true);  // no change, no notification
    list.removeRow(1);
    list.sort(ListColumn::Filename, false);
    list.clear();
    const std::vector<std::string> expected{"BeginInsert 1-1", "EndInsert", "BeginInsert 2-2", "EndInsert",
                                            "BeginInsert 3-3", "EndInsert", "RowChanged 2",    "SelectionChanged",
                                            "BeginRemove 1-1", "EndRemove", "BeginReset",      "EndReset",
                                            "BeginReset",      "EndReset"};
    EXPECT_EQ(observer.events, expected);
}

TEST(FileList, SortIsStableInBothDirections) {
    FileList list;
    const char* rows[][2] = {{"1", "b"}, {"2", "a"}, {"3", "b"}, {"4", "a"}, {"5", "c"}};
    for (auto& r : rows) list.setCellContent(list.addRow(r[0]), ListColumn::Artist, r[1]);
    list.setSelected(3, true);
    list.sort(ListColumn::Artist, true);
    EXPECT_EQ(names(list), (std::vector<std::string>{"2", "4", "1", "3", "5"}));
    EXPECT_TRUE(list.selected(4));  // the selection travels with its row
    list.sort(ListColumn::Artist, false);
    EXPECT_EQ(names(list), (std::vector<std::string>{"5", "1", "3", "2", "4"}));
}

TEST(FileList, SelectionOperations) {
    FileList list;
    for (int i = 0; i < 4; ++i) list.addRow(std::to_string(i));
    EXPECT_EQ(list.firstSelected(), 0);
    list.setSelected(3, true);
    EXPECT_EQ(list.firstSelected(), 3);
    list.invertSelection();
    EXPECT_EQ(list.selectedCount(), 3);
    EXPECT_FALSE(list.selected(3));
    EXPECT_EQ(list.firstSelected(), 1);
    list.selectAll();
    EXPECT_EQ(list.selectedCount(), 4);
    list.clearSelection();
    EXPECT_EQ(list.selectedCount(), 0);
    EXPECT_FALSE(list.selected(0));
    EXPECT_FALSE(list.selected(5));
}

TEST(FileList, RemoveRowsIfOnALargeListKeepsOrderWithOneReset) {
    FileList list;
    for (int i = 1; i <= 50000; ++i) {
        list.addRow(std::to_string(i));
        if (i % 2 == 0) list.setSelected(i, true);
    }
    RecordingObserver observer;
    list.setObserver(&observer);
    EXPECT_EQ(list.removeRowsIf([](int, const FileList::Row& r) { return r.selected; }), 25000);
    EXPECT_EQ(observer.events, (std::vector<std::string>{"BeginReset", "EndReset"}));
    ASSERT_EQ(list.count(), 25000);
    EXPECT_EQ(list.getCellContent(1, 1), "1");
    EXPECT_EQ(list.getCellContent(25000, 1), "49999");
    EXPECT_EQ(list.selectedCount(), 0);

    observer.events.clear();
    EXPECT_EQ(list.removeRowsIf([](int row, const FileList::Row&) { return row == 2; }), 1);
    EXPECT_EQ(observer.events, (std::vector<std::string>{"BeginRemove 2-2", "EndRemove"}));
    EXPECT_EQ(list.removeRowsIf([](int, const FileList::Row&) { return false; }), 0);
    EXPECT_EQ(observer.events.size(), 2u);
}
