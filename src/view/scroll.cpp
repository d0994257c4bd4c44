// Text metrics, the client size, the paint cycle with its scroll ranges, and both scroll bars.
#include "view.h"

#include "readlog.h"

#include <algorithm>

short cxChar, cyChar, nMaxWidth;
short cxClient, cyClient;
short nVscrollPos, nVscrollMax, nHscrollPos, nHscrollMax;
short nVscrollInc, nHscrollInc;
int NUMLINES;
RECT rectClient;
PAINTSTRUCT ps;
HDC hDC;

// The table is 76 average character widths wide.
static const int TABLE_CHARS = 76;
// A page left or right is 8 character widths.
static const int HPAGE = 8;

// Metrics come from the font, which never measures 0; should it, a unit of 1 keeps the
// divisions below defined.
static int Unit(int size) {
    return std::max(1, size);
}

int TableWidth(int cxChar) {
    return TABLE_CHARS * cxChar;
}

int VscrollMaxFor(int numLines, int cyClient, int cyChar) {
    return std::max(0, numLines + 2 - cyClient / Unit(cyChar));
}

int HscrollMaxFor(int nMaxWidth, int cxClient, int cxChar) {
    return std::max(0, 2 + (nMaxWidth - cxClient) / Unit(cxChar));
}

int VscrollIncFor(int code, int thumb, int pos, int max, int cyClient, int cyChar) {
    switch (code) {
    case SB_LINEUP: return -1;
    case SB_LINEDOWN: return 1;
    case SB_PAGEUP: return std::min(-1, -cyClient / Unit(cyChar));
    case SB_PAGEDOWN: return std::max(1, cyClient / Unit(cyChar));
    case SB_THUMBTRACK: return thumb - pos;
    case SB_TOP: return -pos;
    case SB_BOTTOM: return max - pos;
    default: return 0; // SB_THUMBPOSITION: the thumb has been followed while it moved
    }
}

int HscrollIncFor(int code, int thumb, int pos) {
    switch (code) {
    case SB_LINELEFT: return -1;
    case SB_LINERIGHT: return 1;
    case SB_PAGELEFT: return -HPAGE;
    case SB_PAGERIGHT: return HPAGE;
    case SB_THUMBTRACK: return thumb - pos;
    default: return 0;
    }
}

int ClampScrollInc(int inc, int pos, int max) {
    return std::max(-pos, std::min(inc, max - pos));
}

void View_OnCreate(HWND hwnd) {
    TEXTMETRICA tm = {};
    HDC hdc = GetDC(hwnd);
    GetTextMetricsA(hdc, &tm);
    ReleaseDC(hwnd, hdc);
    cxChar = short(tm.tmAveCharWidth);
    cyChar = short(tm.tmHeight + tm.tmExternalLeading);
    nMaxWidth = short(TableWidth(cxChar));
}

void View_OnSize(HWND, LPARAM lParam) {
    cxClient = short(LOWORD(lParam));
    cyClient = short(HIWORD(lParam));
}

void View_OnPaint(HWND hwnd) {
    GetClientRect(hwnd, &rectClient);
    hDC = BeginPaint(hwnd, &ps);

    // A reading taken while the view was scrolled down enlarges the range only here.
    NUMLINES = e + 1;
    nVscrollMax = short(VscrollMaxFor(NUMLINES, cyClient, cyChar));
    nVscrollPos = std::min(nVscrollPos, nVscrollMax);
    SetScrollRange(hwnd, SB_VERT, 0, nVscrollMax, FALSE);
    SetScrollPos(hwnd, SB_VERT, nVscrollPos, TRUE);

    nHscrollMax = short(HscrollMaxFor(nMaxWidth, cxClient, cxChar));
    nHscrollPos = std::min(nHscrollPos, nHscrollMax);
    SetScrollRange(hwnd, SB_HORZ, 0, nHscrollMax, FALSE);
    SetScrollPos(hwnd, SB_HORZ, nHscrollPos, TRUE);

    Paint_Screen();
    EndPaint(hwnd, &ps);
}

void View_OnVScroll(HWND hwnd, WPARAM wParam) {
    nVscrollInc = short(
        VscrollIncFor(LOWORD(wParam), HIWORD(wParam), nVscrollPos, nVscrollMax, cyClient, cyChar));
    nVscrollInc = short(ClampScrollInc(nVscrollInc, nVscrollPos, nVscrollMax));
    if (nVscrollInc != 0) {
        nVscrollPos += nVscrollInc;
        SetScrollPos(hwnd, SB_VERT, nVscrollPos, TRUE);
        InvalidateRect(hwnd, NULL, TRUE);
    }
}

void View_OnHScroll(HWND hwnd, WPARAM wParam) {
    nHscrollInc = short(HscrollIncFor(LOWORD(wParam), HIWORD(wParam), nHscrollPos));
    nHscrollInc = short(ClampScrollInc(nHscrollInc, nHscrollPos, nHscrollMax));
    if (nHscrollInc != 0) {
        nHscrollPos += nHscrollInc;
        SetScrollPos(hwnd, SB_HORZ, nHscrollPos, TRUE);
        InvalidateRect(hwnd, NULL, TRUE);
    }
}
