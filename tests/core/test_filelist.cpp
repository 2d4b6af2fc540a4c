#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/FileList.h"

using namespace vorda;

namespace {

struct RecordingObserver : FileListObserver {
    std::vector<std::string> events;
    void BeginReset() override { events.push_back("BeginReset"); }
    void EndReset() override { events.push_back("EndReset"); }
    void BeginInsert(int first, int last) override {
        events.push_back("BeginInsert " + std::to_string(first) + "-" + std::to_string(last));
    }
    void EndInsert() override { events.push_back("EndInsert"); }
    void BeginRemove(int first, int last) override {
        events.push_back("BeginRemove " + std::to_string(first) + "-" + std::to_string(last));
    }
    void EndRemove() override { events.push_back("EndRemove"); }
    void RowChanged(int row) override { events.push_back("RowChanged " + std::to_string(row)); }
    void SelectionChanged() override { events.push_back("SelectionChanged"); }
};

std::vector<std::string> Names(const FileList& list) {
    std::vector<std::string> names;
    for (int row = 1; row <= list.Count(); ++row) names.push_back(list.GetCellContent(row, colFilename));
    return names;
}

}  // namespace

TEST(FileList, ColumnTitlesSplitTheLiteral) {
    EXPECT_EQ(ColumnTitle(1), "Filename");
    EXPECT_EQ(ColumnTitle(2), "Path");
    EXPECT_EQ(ColumnTitle(11), "Bitrate (kbps)");
    EXPECT_EQ(ColumnTitle(12), "Samplerate (kHz)");
    EXPECT_EQ(ColumnTitle(14), "Duration");
    EXPECT_EQ(ColumnTitle(0), "");
    EXPECT_EQ(ColumnTitle(15), "");
}

TEST(FileList, CellsAndFullPathAreOneBasedAndSafeOutsideTheList) {
    FileList list;
    EXPECT_EQ(list.AddRow("a.mp3"), 1);
    EXPECT_EQ(list.AddRow("b.mp3"), 2);
    list.SetCellContent(1, colPath, "/music/");
    list.SetCellContent(1, colDuration, "03:05");
    EXPECT_EQ(list.GetCellContent(1, colFilename), "a.mp3");
    EXPECT_EQ(list.GetCellContent(1, colDuration), "03:05");
    EXPECT_EQ(list.GetCellContent(2, colArtist), "");
    EXPECT_EQ(list.GetFullPath(1), "/music/a.mp3");
    EXPECT_EQ(list.GetFullPath(0), "");
    EXPECT_EQ(list.GetFullPath(3), "");
    EXPECT_EQ(list.GetCellContent(1, 0), "");
    EXPECT_EQ(list.GetCellContent(1, 15), "");
    list.SetCellContent(3, 1, "ignored");
    list.SetCellContent(1, 15, "ignored");
    list.RemoveRow(0);
    list.RemoveRow(3);
    EXPECT_EQ(list.Count(), 2);
}

TEST(FileList, ObserverHearsEveryChange) {
    FileList list;
    RecordingObserver observer;
    list.SetObserver(&observer);
    list.AddRow("a");
    list.AddRow("b");
    list.AddRow("c");
    list.SetCellContent(2, colTitle, "x");
    list.SetSelected(2, true);
    list.SetSelected(2, true);  // no change, no notification
    list.RemoveRow(1);
    list.Sort(colFilename, false);
    list.Clear();
    const std::vector<std::string> expected{
        "BeginInsert 1-1", "EndInsert", "BeginInsert 2-2", "EndInsert", "BeginInsert 3-3", "EndInsert",
        "RowChanged 2",    "SelectionChanged", "BeginRemove 1-1", "EndRemove", "BeginReset", "EndReset",
        "BeginReset",      "EndReset"};
    EXPECT_EQ(observer.events, expected);
}

TEST(FileList, SortIsStableInBothDirections) {
    FileList list;
    const char* rows[][2] = {{"1", "b"}, {"2", "a"}, {"3", "b"}, {"4", "a"}, {"5", "c"}};
    for (auto& r : rows) list.SetCellContent(list.AddRow(r[0]), colArtist, r[1]);
    list.SetSelected(3, true);
    list.Sort(colArtist, true);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"2", "4", "1", "3", "5"}));
    EXPECT_TRUE(list.Selected(4));  // the selection travels with its row
    list.Sort(colArtist, false);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"5", "1", "3", "2", "4"}));
}

TEST(FileList, SelectionOperations) {
    FileList list;
    for (int i = 0; i < 4; ++i) list.AddRow(std::to_string(i));
    EXPECT_EQ(list.FirstSelected(), 0);
    list.SetSelected(3, true);
    EXPECT_EQ(list.FirstSelected(), 3);
    list.InvertSelection();
    EXPECT_EQ(list.SelectedCount(), 3);
    EXPECT_FALSE(list.Selected(3));
    EXPECT_EQ(list.FirstSelected(), 1);
    list.SelectAll();
    EXPECT_EQ(list.SelectedCount(), 4);
    list.ClearSelection();
    EXPECT_EQ(list.SelectedCount(), 0);
    EXPECT_FALSE(list.Selected(0));
    EXPECT_FALSE(list.Selected(5));
}

TEST(FileList, RemoveRowsIfOnALargeListKeepsOrderWithOneReset) {
    FileList list;
    for (int i = 1; i <= 50000; ++i) {
        list.AddRow(std::to_string(i));
        if (i % 2 == 0) list.SetSelected(i, true);
    }
    RecordingObserver observer;
    list.SetObserver(&observer);
    EXPECT_EQ(list.RemoveRowsIf([](int, const FileList::Row& r) { return r.selected; }), 25000);
    EXPECT_EQ(observer.events, (std::vector<std::string>{"BeginReset", "EndReset"}));
    ASSERT_EQ(list.Count(), 25000);
    EXPECT_EQ(list.GetCellContent(1, 1), "1");
    EXPECT_EQ(list.GetCellContent(25000, 1), "49999");
    EXPECT_EQ(list.SelectedCount(), 0);

    observer.events.clear();
    EXPECT_EQ(list.RemoveRowsIf([](int row, const FileList::Row&) { return row == 2; }), 1);
    EXPECT_EQ(observer.events, (std::vector<std::string>{"BeginRemove 2-2", "EndRemove"}));
    EXPECT_EQ(list.RemoveRowsIf([](int, const FileList::Row&) { return false; }), 0);
    EXPECT_EQ(observer.events.size(), 2u);
}
