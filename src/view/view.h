// The table view: text metrics, scroll state and the drawing of the log.
#pragma once

#include "windows.h"

// Metrics of the window's default font and the client size (pixels).
extern short cxChar, cyChar, nMaxWidth;
extern short cxClient, cyClient;
// Scroll positions and range maxima: lines vertically, average character widths horizontally.
extern short nVscrollPos, nVscrollMax, nHscrollPos, nHscrollMax;
extern short nVscrollInc, nHscrollInc;
extern int NUMLINES;
extern RECT rectClient;
extern PAINTSTRUCT ps;
extern HDC hDC;

// Drawing state of Paint_Screen. The row origin is kept in 32 bits: with a full log, cyChar
// times the row number is far beyond what 16 bits hold.
extern int x, y;
extern int P; // record shown as the newest row; taken only while the view is at its top
extern int LINE, p;
extern HFONT hfFont; // the start-screen font while it exists

// The main window's handlers, called by MainWndProc for its messages.
void View_OnCreate(HWND hwnd);                 // WM_CREATE: measure the font
void View_OnSize(HWND hwnd, LPARAM lParam);    // WM_SIZE: keep the client size
void View_OnPaint(HWND hwnd);                  // WM_PAINT: ranges, then Paint_Screen
void View_OnVScroll(HWND hwnd, WPARAM wParam); // WM_VSCROLL
void View_OnHScroll(HWND hwnd, WPARAM wParam); // WM_HSCROLL

// Draws the start screen or the table into hDC; called only from the paint cycle.
void Paint_Screen(void);

// --- Scroll arithmetic ---------------------------------------------------------------------------
// Divisions truncate toward zero. A line height or character width below 1 counts as 1.

// Table width in pixels: 76 average character widths.
int TableWidth(int cxChar);
// Largest vertical position: the log's lines and two more, less the lines the client area holds.
int VscrollMaxFor(int numLines, int cyClient, int cyChar);
// Largest horizontal position, in average character widths.
int HscrollMaxFor(int nMaxWidth, int cxClient, int cxChar);
// Increment asked for by a WM_VSCROLL code; `thumb` is the thumb position of SB_THUMBTRACK.
int VscrollIncFor(int code, int thumb, int pos, int max, int cyClient, int cyChar);
// Increment asked for by a WM_HSCROLL code; SB_LEFT and SB_RIGHT ask for nothing.
int HscrollIncFor(int code, int thumb, int pos);
// The part of `inc` that keeps the position within 0 ... max.
int ClampScrollInc(int inc, int pos, int max);

// --- Row layout ----------------------------------------------------------------------------------

// The fields of a row, left to right.
enum TableColumn { COL_TIME, COL_DB, COL_DD, COL_SB, COL_SD, COL_CB, COL_CD, TABLE_COLUMNS };

// Left edge of the table: one character width in from the client's left edge at position 0.
int TableLeft(int cxChar, int nHscrollPos);
// Top of a row: line 0 is the newest row, older row number LINE is line LINE.
int RowTop(int cyChar, int nVscrollPos, int line);
// Left edge of a column of a row that starts at `left`.
int ColumnLeft(int left, TableColumn column, int cxChar);

// The older rows (numbered from 1) whose line lies within `top` ... `bottom` (pixels), out of
// `rows` of them.
struct RowSpan {
    int first, last; // empty when first > last
};
RowSpan VisibleOlderRows(int rows, int cyChar, int nVscrollPos, int top, int bottom);
