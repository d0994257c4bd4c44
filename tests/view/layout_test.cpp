// The view's arithmetic without a window: the scroll ranges' edges and row places beyond 16 bits.
#include "view.h"

#include <gtest/gtest.h>

TEST(ViewArithmetic, ScrollRangesTruncateTowardZeroAndNeverGoBelowZero) {
    EXPECT_EQ(VscrollMaxFor(1, 600, 16), 0);        // before the first reading
    EXPECT_EQ(VscrollMaxFor(10, 128, 16), 4);       // 10 readings in 8 lines
    EXPECT_EQ(VscrollMaxFor(32001, 15, 16), 32003); // less than one line
    EXPECT_EQ(TableWidth(8), 608);
    EXPECT_EQ(HscrollMaxFor(608, 600, 8), 3); // 2 + 8 / 8
    EXPECT_EQ(HscrollMaxFor(608, 610, 8), 2); // -2 / 8 truncates to 0
    EXPECT_EQ(HscrollMaxFor(608, 617, 8), 1); // -9 / 8 is -1, not -2
    EXPECT_EQ(HscrollMaxFor(608, 640, 8), 0); // 2 + (-4) is below 0
}

// Rows are placed in 32 bits: a full log's rows lie far beyond what 16 bits hold (the rows drawn
// are those on the screen, so only the arithmetic shows it).
TEST(ViewArithmetic, RowsArePlacedBeyondSixteenBitsAndColumnsTruncatedTowardZero) {
    EXPECT_EQ(RowTop(17, 0, 2000), 34017);
    EXPECT_EQ(RowTop(17, 31968, 1), -543422);
    EXPECT_EQ(ColumnLeft(-200, COL_DB, 8), -94); // -94.4 toward zero, not down to -95
}
