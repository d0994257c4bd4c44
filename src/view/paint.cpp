// The start screen and the table of readings: header, newest row in colour, older rows in black.
#include "view.h"

#include "readlog.h"

#include <algorithm>
#include <cstring>

int x, y;
int P;
int LINE, p;
HFONT hfFont;

static const char HEADER1[] = "\n\nBytescope - A Parallel Port Application\nfor Windows 9x\n";
static const char HEADER2[] = "\n\n\n\n\nCAUTION!\n";
static const char HEADER3[] =
    "\n\n\n\n\n\n\nRead the Help file before operating this program\nwith "
    "hardware connected to the parallel port.";
static const char TABLE[] = "     Time           Data Out        Dec.         Status In        "
                            "Dec.        Control Out      Dec.";
static_assert(sizeof TABLE - 1 == 99, "the header spans the seven columns");

static const COLORREF BLACK = RGB(0, 0, 0);
static const COLORREF WHITE = RGB(255, 255, 255);
static const COLORREF YELLOW = RGB(255, 255, 0);
static const COLORREF TIME_COLOR = RGB(0, 125, 0);
static const COLORREF OUTPUT_COLOR = RGB(235, 0, 0); // data and control registers
static const COLORREF INPUT_COLOR = RGB(0, 0, 255);  // status register

// Status bits 0-2 and control bits 4-7 are always clear after masking: the newest row shows
// them in black and only the bits that carry a line in the register's colour.
static const int STATUS_BITS_SHOWN = 5;
static const int CONTROL_BITS_HIDDEN = 4;

static const UINT START_FORMAT = DT_CENTER | DT_WORDBREAK | DT_EXTERNALLEADING;

// Offsets of the columns from the row origin, in average character widths.
static const double COLUMN_OFFSET[TABLE_COLUMNS] = {0, 13.2, 26.6, 35.2, 48.6, 57.8, 71.4};

int TableLeft(int cxChar, int nHscrollPos) {
    return cxChar * (1 - nHscrollPos);
}

int RowTop(int cyChar, int nVscrollPos, int line) {
    return cyChar * (1 - nVscrollPos + line);
}

int ColumnLeft(int left, TableColumn column, int cxChar) {
    return int(left + COLUMN_OFFSET[column] * cxChar);
}

// Floor and ceiling of a / b for b > 0.
static int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
static int CeilDiv(int a, int b) {
    return -FloorDiv(-a, b);
}

RowSpan VisibleOlderRows(int rows, int cyChar, int nVscrollPos, int top, int bottom) {
    int unit = std::max(1, cyChar);
    // Row LINE covers lines k = 1 - nVscrollPos + LINE, pixels k * unit up to (k + 1) * unit.
    int firstLine = FloorDiv(top, unit);
    int lastLine = CeilDiv(bottom, unit) - 1;
    return {std::max(1, firstLine - 1 + nVscrollPos), std::min(rows, lastLine - 1 + nVscrollPos)};
}

static void Field(const char* text, TableColumn column) {
    TextOutA(hDC, ColumnLeft(x, column, cxChar), y, text, int(strlen(text)));
}

static void FieldPart(const char* text, int count, TableColumn column) {
    TextOutA(hDC, ColumnLeft(x, column, cxChar), y, text, count);
}

static void Start_Screen(void) {
    FillRect(hDC, &rectClient, (HBRUSH)GetStockObject(BLACK_BRUSH));
    SetBkMode(hDC, TRANSPARENT);
    SetTextColor(hDC, WHITE);
    hfFont =
        CreateFontA(28, 11, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Modern");
    HGDIOBJ hfOld = SelectObject(hDC, hfFont);
    DrawTextA(hDC, HEADER3, -1, &rectClient, START_FORMAT);
    SetTextColor(hDC, YELLOW);
    DrawTextA(hDC, HEADER2, -1, &rectClient, START_FORMAT);
    SetTextColor(hDC, WHITE);
    DrawTextA(hDC, HEADER1, -1, &rectClient, START_FORMAT);
    SelectObject(hDC, hfOld);
    DeleteObject(hfFont);
    hfFont = NULL;
}

static void Newest_Row(void) {
    const data& r = list[P];
    TextOutA(hDC, x, 0, TABLE, int(strlen(TABLE)));
    SetTextColor(hDC, TIME_COLOR);
    Field(r.data_entry, COL_TIME);
    SetTextColor(hDC, OUTPUT_COLOR);
    Field(r.DB, COL_DB);
    Field(r.DD, COL_DD);
    SetTextColor(hDC, BLACK);
    Field(r.SB, COL_SB);
    SetTextColor(hDC, INPUT_COLOR);
    FieldPart(r.SB, STATUS_BITS_SHOWN, COL_SB);
    Field(r.SD, COL_SD);
    SetTextColor(hDC, OUTPUT_COLOR);
    Field(r.CB, COL_CB);
    Field(r.CD, COL_CD);
    SetTextColor(hDC, BLACK);
    FieldPart(r.CB, CONTROL_BITS_HIDDEN, COL_CB);
}

static void Older_Row(const data& r) {
    Field(r.data_entry, COL_TIME);
    Field(r.DB, COL_DB);
    Field(r.DD, COL_DD);
    Field(r.SB, COL_SB);
    Field(r.SD, COL_SD);
    Field(r.CB, COL_CB);
    Field(r.CD, COL_CD);
}

void Paint_Screen(void) {
    x = TableLeft(cxChar, nHscrollPos);
    y = RowTop(cyChar, nVscrollPos, 0);
    if (s == 0) {
        Start_Screen();
    } else if (nVscrollPos == 0) {
        P = e;
        Newest_Row();
    }
    // Rows outside the client area are skipped, so a paint costs the same however long the
    // log is. Before the first reading P is 0 and there are none.
    RowSpan span = VisibleOlderRows(P, cyChar, nVscrollPos, rectClient.top, rectClient.bottom);
    for (LINE = span.first, p = P - LINE; LINE <= span.last; ++LINE, --p) {
        y = RowTop(cyChar, nVscrollPos, LINE);
        Older_Row(list[p]);
    }
}
