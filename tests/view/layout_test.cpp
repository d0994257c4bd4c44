// The view's arithmetic without a window: scroll ranges, increments, clamping, row and column
// positions, and which rows a paint has to draw.
#include "view.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct VMaxCase {
    int numLines, cyClient, cyChar, expected;
};

TEST(ViewScrollRange, VerticalMaximum) {
    const VMaxCase cases[] = {
        {1, 600, 16, 0},         // before the first reading
        {10, 128, 16, 4},        // 10 readings in 8 lines: 10 + 2 - 8
        {10, 143, 16, 4},        // 8.9 lines count as 8
        {10, 144, 16, 3},        // 9 lines
        {10, 192, 16, 0},        // exactly NUMLINES + 2 lines
        {10, 176, 16, 1},        // one line short of that
        {10, 600, 16, 0},        // far more room than lines: never below 0
        {10, 0, 16, 12},         // no room at all
        {32001, 600, 17, 31968}, // a full log: 32003 - 35
        {32001, 15, 16, 32003},  // a client area less than one line high
    };
    for (const auto& c : cases)
        EXPECT_EQ(VscrollMaxFor(c.numLines, c.cyClient, c.cyChar), c.expected)
            << c.numLines << " lines, client " << c.cyClient << ", line " << c.cyChar;
}

TEST(ViewScrollRange, HorizontalMaximumTruncatesTowardZero) {
    ASSERT_EQ(TableWidth(8), 608);
    const std::tuple<int, int> widths[] = {
        {600, 3}, // 2 + 8 / 8
        {610, 2}, // -2 / 8 truncates to 0
        {640, 0}, // 2 + (-4) is below 0
        {608, 2}, // as wide as the table
        {617, 1}, // -9 / 8 is -1 (rounding down would give -2 and so 0)
        {623, 1}, // -15 / 8 is -1
        {624, 0}, // -16 / 8 is -2
        {592, 4}, // 2 + 16 / 8
        {599, 3}, // 9 / 8 is 1
        {0, 78},  // 2 + 608 / 8
    };
    for (const auto& [cxClient, expected] : widths)
        EXPECT_EQ(HscrollMaxFor(TableWidth(8), cxClient, 8), expected) << "client " << cxClient;
    // Another font: 76 x 7 = 532 pixels.
    EXPECT_EQ(HscrollMaxFor(TableWidth(7), 500, 7), 2 + 32 / 7);
    EXPECT_EQ(HscrollMaxFor(TableWidth(7), 545, 7), 1);
}

struct IncCase {
    int code, thumb, expected;
};

TEST(ViewScrollIncrement, VerticalByCode) {
    // Position 5 of 20; 100 pixels of client area hold 6 lines of 16.
    const IncCase cases[] = {
        {SB_LINEUP, 0, -1},
        {SB_LINEDOWN, 0, 1},
        {SB_PAGEUP, 0, -6},
        {SB_PAGEDOWN, 0, 6},
        {SB_THUMBPOSITION, 12, 0},
        {SB_THUMBTRACK, 12, 7},
        {SB_THUMBTRACK, 0, -5},
        {SB_TOP, 0, -5},
        {SB_BOTTOM, 0, 15},
        {SB_ENDSCROLL, 0, 0},
        {9, 3, 0},
        {0xFFFF, 3, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VscrollIncFor(c.code, c.thumb, 5, 20, 100, 16), c.expected) << "code " << c.code;
}

TEST(ViewScrollIncrement, PageIsAtLeastOneLine) {
    const std::tuple<int, int, int> cases[] = {
        // cyClient, cyChar, page
        {100, 16, 6}, {15, 16, 1}, {0, 16, 1}, {16, 16, 1}, {31, 16, 1}, {32, 16, 2}, {600, 17, 35},
    };
    for (const auto& [cyClient, cyChar, page] : cases) {
        EXPECT_EQ(VscrollIncFor(SB_PAGEDOWN, 0, 3, 50, cyClient, cyChar), page) << cyClient;
        EXPECT_EQ(VscrollIncFor(SB_PAGEUP, 0, 3, 50, cyClient, cyChar), -page) << cyClient;
    }
}

TEST(ViewScrollIncrement, HorizontalByCode) {
    // Position 3; the maximum plays no part horizontally.
    const IncCase cases[] = {
        {SB_LINELEFT, 0, -1},
        {SB_LINERIGHT, 0, 1},
        {SB_PAGELEFT, 0, -8},
        {SB_PAGERIGHT, 0, 8},
        {SB_THUMBPOSITION, 9, 0},
        {SB_THUMBTRACK, 9, 6},
        {SB_THUMBTRACK, 1, -2},
        {SB_LEFT, 0, 0},
        {SB_RIGHT, 0, 0},
        {SB_ENDSCROLL, 0, 0},
        {42, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HscrollIncFor(c.code, c.thumb, 3), c.expected) << "code " << c.code;
}

TEST(ViewScrollIncrement, ClampKeepsThePositionInRange) {
    const std::tuple<int, int, int, int> cases[] = {
        // increment, position, maximum, clamped
        {-1, 0, 4, 0},                 // line up at the top
        {1, 4, 4, 0},                  // line down at the bottom
        {6, 2, 4, 2},                  // page down past the bottom
        {-6, 2, 4, -2},                // page up past the top
        {3, 1, 10, 3},                 // within range
        {-3, 5, 10, -3}, {8, 0, 0, 0}, // empty range
        {-8, 0, 0, 0},   {32003, 0, 32003, 32003},
    };
    for (const auto& [inc, pos, max, clamped] : cases)
        EXPECT_EQ(ClampScrollInc(inc, pos, max), clamped)
            << "inc " << inc << " at " << pos << " of " << max;
}

TEST(ViewRowLayout, TableLeftEdge) {
    EXPECT_EQ(TableLeft(8, 0), 8);
    EXPECT_EQ(TableLeft(8, 1), 0);
    EXPECT_EQ(TableLeft(8, 3), -16);
    EXPECT_EQ(TableLeft(7, 10), -63);
}

TEST(ViewRowLayout, RowTopIsComputedBeyondSixteenBits) {
    const std::tuple<int, int, int, int> cases[] = {
        // cyChar, position, line, top
        {16, 0, 0, 16}, // the newest row, one line below the header
        {16, 0, 1, 32},
        {16, 1, 1, 16}, // scrolled by 1: older row 1 on line 1, the top line empty
        {16, 2, 1, 0},  // scrolled by 2: older row 1 on the top line
        {16, 2, 2, 16},
        {16, 0, 32000, 512016},  // the oldest of a full log, at the top
        {17, 0, 2000, 34017},    // past 32767 after about two thousand rows
        {17, 31968, 32000, 561}, // the oldest row at the bottom of the range
        {17, 31968, 1, -543422}, // the newest rows far above
    };
    for (const auto& [cyChar, pos, line, top] : cases)
        EXPECT_EQ(RowTop(cyChar, pos, line), top) << cyChar << " " << pos << " " << line;
}

TEST(ViewRowLayout, ColumnsAtEightPixels) {
    // 8 + 13.2 x 8 = 113.6, 8 + 26.6 x 8 = 220.8, ... truncated.
    const int expected[TABLE_COLUMNS] = {8, 113, 220, 289, 396, 470, 579};
    for (int c = 0; c < TABLE_COLUMNS; ++c)
        EXPECT_EQ(ColumnLeft(8, TableColumn(c), 8), expected[c]) << "column " << c;
    // Scrolled right by one step: every column one character width further left.
    for (int c = 0; c < TABLE_COLUMNS; ++c)
        EXPECT_EQ(ColumnLeft(TableLeft(8, 1), TableColumn(c), 8), expected[c] - 8) << c;
}

TEST(ViewRowLayout, ColumnsTruncateTheWholeSumTowardZero) {
    // -200 + 105.6 = -94.4: toward zero is -94, where rounding down would give -95.
    EXPECT_EQ(ColumnLeft(-200, COL_DB, 8), -94);
    EXPECT_EQ(ColumnLeft(-200, COL_CD, 8), 371);
    EXPECT_EQ(ColumnLeft(-40, COL_TIME, 8), -40);
}

TEST(ViewRowLayout, ColumnsMatchExactTenthsForEveryVisiblePosition) {
    const int tenths[TABLE_COLUMNS] = {0, 132, 266, 352, 486, 578, 714};
    for (int cx = 1; cx <= 64; ++cx)
        for (int pos = 0; pos <= 90; ++pos)
            for (int c = 0; c < TABLE_COLUMNS; ++c) {
                int left = TableLeft(cx, pos);
                int exact10 = 10 * left + tenths[c] * cx;
                if (exact10 < 0)
                    continue; // off the left edge
                ASSERT_EQ(ColumnLeft(left, TableColumn(c), cx), exact10 / 10)
                    << "cxChar " << cx << ", position " << pos << ", column " << c;
            }
}

TEST(ViewVisibleRows, Examples) {
    struct Case {
        int rows, cyChar, pos, top, bottom, first, last;
    };
    const Case cases[] = {
        {2, 16, 0, 0, 600, 1, 2},      // three readings: both older rows
        {32000, 16, 0, 0, 600, 1, 36}, // row 36 at 592 shows its top 8 pixels
        {32000, 16, 0, 0, 592, 1, 35}, // row 36 would start at the bottom edge
        {32000, 16, 0, 0, 593, 1, 36},
        {2, 16, 1, 0, 600, 1, 2},          // scrolled by 1
        {32000, 16, 100, 0, 160, 99, 108}, // row 99 on the top line
        {32000, 16, 31968, 0, 600, 31967, 32000},
    };
    for (const auto& c : cases) {
        RowSpan span = VisibleOlderRows(c.rows, c.cyChar, c.pos, c.top, c.bottom);
        EXPECT_EQ(span.first, c.first) << c.rows << " rows at " << c.pos << ", " << c.bottom;
        EXPECT_EQ(span.last, c.last) << c.rows << " rows at " << c.pos << ", " << c.bottom;
    }
    // Nothing to draw: one reading, scrolled beyond the log, no client area.
    const Case none[] = {
        {0, 16, 0, 0, 600, 0, 0},
        {32000, 16, 40000, 0, 600, 0, 0},
        {32000, 16, 0, 0, 0, 0, 0},
        {32000, 16, 0, -50, -20, 0, 0},
    };
    for (const auto& c : none) {
        RowSpan span = VisibleOlderRows(c.rows, c.cyChar, c.pos, c.top, c.bottom);
        EXPECT_GT(span.first, span.last) << c.rows << " rows at " << c.pos << ", " << c.bottom;
    }
}

TEST(ViewVisibleRows, AreExactlyTheRowsThatMeetTheClientArea) {
    for (int cy : {1, 5, 16, 23})
        for (int pos : {0, 1, 2, 3, 7, 40})
            for (int top : {-20, 0, 3, 16})
                for (int bottom : {0, 1, 15, 16, 17, 100, 333}) {
                    const int rows = 60;
                    RowSpan span = VisibleOlderRows(rows, cy, pos, top, bottom);
                    for (int line = 1; line <= rows; ++line) {
                        int rowTop = cy * (1 - pos + line);
                        bool meets = rowTop + cy > top && rowTop < bottom;
                        bool drawn = line >= span.first && line <= span.last;
                        ASSERT_EQ(drawn, meets) << "line " << line << ", cyChar " << cy << ", at "
                                                << pos << ", " << top << ".." << bottom;
                    }
                }
}

} // namespace
