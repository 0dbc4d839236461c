#include "files/text_grid.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace sk {
namespace {

TEST(TextGrid, GrowingKeepsCellsAndShrinkingDropsThem) {
    TextGrid g(3, 3, 1);
    g.SetCell(2, 2, "x");
    g.SetCell(0, 0, "title");
    g.SetRowCount(10);
    g.SetColCount(8);
    EXPECT_EQ("x", g.Cells(2, 2));
    EXPECT_EQ("title", g.Cells(0, 0));
    EXPECT_EQ("", g.Cells(7, 9));

    g.SetColCount(2);
    g.SetRowCount(2);
    g.SetColCount(3);
    g.SetRowCount(3);
    EXPECT_EQ("", g.Cells(2, 2)) << "a dropped cell must not come back when the grid grows again";
    EXPECT_EQ("title", g.Cells(0, 0));
}

TEST(TextGrid, OutsideReadsEmptyAndWritesRaise) {
    TextGrid g(2, 2);
    EXPECT_EQ("", g.Cells(2, 0));
    EXPECT_EQ("", g.Cells(-1, 0));
    EXPECT_EQ("", g.Cells(0, 5));
    EXPECT_THROW(g.SetCell(2, 0, "a"), std::out_of_range);
    EXPECT_THROW(g.SetCell(0, -1, "a"), std::out_of_range);
}

TEST(TextGrid, RowCountAtOrBelowFixedRowsLeavesOneOrdinaryRow) {
    TextGrid g(5, 3, 1);
    g.SetRowCount(1);
    EXPECT_EQ(1, g.RowCount());
    EXPECT_EQ(0, g.FixedRows());
    g.SetRowCount(0);
    EXPECT_EQ(1, g.RowCount());

    TextGrid h(1, 5, 3);
    h.SetRowCount(2);
    EXPECT_EQ(1, h.FixedRows());
    EXPECT_THROW(h.SetFixedRows(2), std::invalid_argument);
    EXPECT_THROW(h.SetFixedRows(-1), std::invalid_argument);
}

TEST(TextGrid, MergedRangeReadsAsTopLeftUntilCleared) {
    TextGrid g(4, 4);
    g.SetCell(1, 1, "top-left");
    g.SetCell(2, 2, "own");
    g.AddMergedRange({1, 1, 2, 3});
    EXPECT_EQ("top-left", g.Cells(2, 2));
    EXPECT_EQ("top-left", g.Cells(1, 3));
    EXPECT_EQ("", g.Cells(3, 2));
    EXPECT_EQ("", g.Cells(0, 1));
    g.ClearMergedRanges();
    EXPECT_EQ("own", g.Cells(2, 2));
    EXPECT_THROW(g.AddMergedRange({0, 0, 4, 0}), std::invalid_argument);
    EXPECT_THROW(g.AddMergedRange({2, 0, 1, 0}), std::invalid_argument);
}

TEST(TextGrid, ClearEmptiesCellsButKeepsShape) {
    TextGrid g(3, 4, 1);
    g.SetCell(0, 0, "a");
    g.SetCell(2, 3, "b");
    g.Clear();
    EXPECT_EQ("", g.Cells(0, 0));
    EXPECT_EQ("", g.Cells(2, 3));
    EXPECT_EQ(3, g.ColCount());
    EXPECT_EQ(4, g.RowCount());
    EXPECT_EQ(1, g.FixedRows());
}

TEST(TextGrid, HundredThousandRowsOfWideGridStayCheap) {
    // A huge column count must cost nothing until cells hold text.
    TextGrid g(1, 1);
    g.SetColCount(1'000'000);
    g.SetRowCount(100'000);
    for (int r = 0; r < 100'000; ++r) {
        g.SetCell(999'999, r, "");
        g.SetCell(0, r, "1");
    }
    EXPECT_EQ("1", g.Cells(0, 99'999));
    EXPECT_EQ("", g.Cells(999'999, 99'999));
}

}  // namespace
}  // namespace sk
