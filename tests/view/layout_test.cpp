// The view's arithmetic without a window: the scroll ranges' edges, row places beyond 16 bits,
// and which rows a paint has to draw.
#include "view.h"

#include <gtest/gtest.h>

TEST(ViewArithmetic, ScrollRangesTruncateTowardZeroAndNeverGoBelowZero) {
    EXPECT_EQ(VscrollMaxFor(1, 600, 16), 0);        // before the first reading
    EXPECT_EQ(VscrollMaxFor(10, 128, 16), 4);       // 10 readings in 8 lines
    EXPECT_EQ(VscrollMaxFor(10, 143, 16), 4);       // 8.9 lines count as 8
    EXPECT_EQ(VscrollMaxFor(10, 192, 16), 0);       // exactly NUMLINES + 2 lines
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

TEST(ViewArithmetic, TheRowsDrawnAreExactlyThoseThatMeetTheClientArea) {
    for (int cy : {1, 5, 16, 23})
        for (int pos : {0, 1, 2, 7, 40})
            for (int top : {-20, 0, 3, 16})
                for (int bottom : {0, 1, 15, 16, 17, 333}) {
                    RowSpan span = VisibleOlderRows(60, cy, pos, top, bottom);
                    for (int line = 1; line <= 60; ++line) {
                        int rowTop = cy * (1 - pos + line);
                        bool meets = rowTop + cy > top && rowTop < bottom;
                        ASSERT_EQ(line >= span.first && line <= span.last, meets)
                            << "line " << line << ", cyChar " << cy << ", at " << pos << ", " << top
                            << ".." << bottom;
                    }
                }
    RowSpan full = VisibleOlderRows(32000, 17, 31968, 0, 600);
    EXPECT_EQ(full.first, 31967);
    EXPECT_EQ(full.last, 32000);
}
