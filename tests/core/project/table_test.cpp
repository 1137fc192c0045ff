#include <gtest/gtest.h>

#include "project/table.h"

namespace varlen::project {
namespace {

Table ThreeColumns() {
    return Table({"", "#", "Text"});
}

TEST(Table, GrowingKeepsRowsAndAddsEmptyOnes) {
    Table t = ThreeColumns();
    t.SetRowCount(3);
    t.SetCell(1, 1, "a");
    t.SetCell(2, 2, "b");
    t.SetRowCount(4);
    EXPECT_EQ(t.RowCount(), 4);
    EXPECT_EQ(t.Cell(1, 1), "a");
    EXPECT_EQ(t.Cell(2, 2), "b");
    EXPECT_EQ(t.Cell(3, 1), "");
    t.SetRowCount(2);
    EXPECT_EQ(t.EntryCount(), 1);
    EXPECT_EQ(t.Cell(2, 2), "") << "a dropped row reads as empty";
    t.SetRowCount(4);
    EXPECT_EQ(t.Cell(2, 2), "") << "rows added again start empty";
}

TEST(Table, HeadingRowOnlyHasNoDataRow) {
    Table t = ThreeColumns();
    EXPECT_EQ(t.RowCount(), 1);
    EXPECT_EQ(t.EntryCount(), 0);
    EXPECT_EQ(t.Cell(0, 2), "Text");
    EXPECT_EQ(t.Cell(1, 1), "");
    t.SetRowCount(0);
    EXPECT_EQ(t.RowCount(), 1);
}

// Cells are stored length-prefixed; long texts and any byte must survive, neighbours untouched.
TEST(Table, CellsHoldAnyBytesAndLength) {
    Table t = ThreeColumns();
    t.SetRowCount(2);
    const std::string longText(70000, 'x');
    const std::string bytes("a\0b\xff,\"", 6);
    t.SetCell(1, 1, longText);
    t.SetCell(1, 2, bytes);
    EXPECT_EQ(t.Cell(1, 1), longText);
    EXPECT_EQ(t.Cell(1, 2), bytes);
    t.SetCell(1, 1, "short");
    EXPECT_EQ(t.Cell(1, 1), "short");
    EXPECT_EQ(t.Cell(1, 2), bytes);
    EXPECT_EQ(t.Cell(1, 0), "");
}

TEST(Table, InsertAndRemoveMoveTheRowsBelow) {
    Table t = ThreeColumns();
    t.SetRowCount(4);
    for (int r = 1; r <= 3; ++r)
        t.SetCell(r, 2, "row" + std::to_string(r));
    t.InsertRow(2);
    EXPECT_EQ(t.EntryCount(), 4);
    EXPECT_EQ(t.Cell(1, 2), "row1");
    EXPECT_EQ(t.Cell(2, 2), "");
    EXPECT_EQ(t.Cell(3, 2), "row2");
    EXPECT_EQ(t.Cell(4, 2), "row3");
    t.RemoveRow(1);
    EXPECT_EQ(t.Cell(1, 2), "");
    EXPECT_EQ(t.Cell(3, 2), "row3");
    t.InsertRow(t.RowCount());
    EXPECT_EQ(t.EntryCount(), 4);
}

} // namespace
} // namespace varlen::project
