// The Win32 functions the program calls, implemented on Qt 6 Widgets. Each behaves as its
// namesake for the arguments the program passes; deviations are noted at the declaration.
#pragma once

#include "wintypes.h"

// --- Program entry -----------------------------------------------------------------------------
// Defined by the program. main() builds the QApplication, cuts the program name and the blanks
// after it off the command line and returns WinMain's result as the exit code.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// --- Window classes and windows ----------------------------------------------------------------
// The predefined classes are "button", "edit", "static" and STATUSCLASSNAMEA. cbClsExtra,
// cbWndExtra, hIcon and hCursor are accepted and ignored (the desktop draws the arrow cursor).
ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass);
// Top-level windows: WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX map to
// the desktop's frame hints; WS_VSCROLL/WS_HSCROLL give the window its scroll bars; a class menu
// becomes the menu bar. CW_USEDEFAULT gives 800 x 600 at a place the desktop chooses.
// WM_CREATE and then WM_SIZE are sent before the call returns. Clip styles are accepted and
// ignored: every window clips its children.
HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam);
#define CreateWindowA(c, t, s, x, y, w, h, p, m, i, l)                                             \
    CreateWindowExA(0, c, t, s, x, y, w, h, p, m, i, l)
BOOL WINAPI DestroyWindow(HWND hWnd);
BOOL WINAPI IsWindow(HWND hWnd);
// nCmdShow: SW_HIDE hides; every other value shows the window as it is.
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
BOOL WINAPI UpdateWindow(HWND hWnd);
// WM_CLOSE destroys the window; WM_GETTEXT, WM_GETTEXTLENGTH and WM_SETTEXT work on the title
// or the control's text; everything else returns 0.
LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
// The whole client area is repainted (lpRect is ignored). Qt keeps no previous picture, so every
// paint starts from the class background whatever bErase says. The repaint comes from the event
// loop as in Win32: after the queue is empty, and several invalidations make one paint.
BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable);
BOOL WINAPI IsWindowEnabled(HWND hWnd);
HWND WINAPI SetFocus(HWND hWnd);
HWND WINAPI GetFocus();
HWND WINAPI GetParent(HWND hWnd);
int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount);
BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString);

// --- Messages ----------------------------------------------------------------------------------
// A direct call of the window (or dialog) procedure.
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Appends to the thread's queue, which GetMessageA takes from in order.
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Takes the next posted message; while the queue is empty it waits in Qt's event loop, which
// delivers input (as posted WM_KEYDOWN/WM_SYSKEYDOWN), paints, resizes and scroll-bar actions.
// Returns 0 for WM_QUIT. The filter arguments are ignored (the program passes 0, 0, 0).
BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
// Keystroke messages are translated to WM_CHAR by the controls themselves; this returns FALSE.
BOOL WINAPI TranslateMessage(const MSG* lpMsg);
LRESULT WINAPI DispatchMessageA(const MSG* lpMsg);
void WINAPI PostQuitMessage(int nExitCode);
// The modifier keys held when the message being handled was posted (VK_SHIFT, VK_CONTROL,
// VK_MENU; the high bit set means down); other keys read as up.
SHORT WINAPI GetKeyState(int nVirtKey);

// --- Menus and accelerators --------------------------------------------------------------------
// A window's menu bar reports highlighting with WM_MENUSELECT: an item with its command and
// MF_HILITE, a pop-up title with its position and MF_POPUP, the closing of the menu with 0xFFFF
// and a null menu. The window menu belongs to the desktop's window manager and is not reported.
HMENU WINAPI LoadMenuA(HINSTANCE hInstance, LPCSTR lpMenuName);
// A menu that no window uses; a window's own menu goes with the window.
BOOL WINAPI DestroyMenu(HMENU hMenu);
HACCEL WINAPI LoadAcceleratorsA(HINSTANCE hInstance, LPCSTR lpTableName);
// Translates WM_KEYDOWN/WM_SYSKEYDOWN that match a virtual-key entry (with exactly its Ctrl,
// Shift and Alt) into WM_COMMAND (HIWORD 1) sent to hWnd. ASCII entries are not supported.
int WINAPI TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg);

// --- Scroll bars -------------------------------------------------------------------------------
// SB_VERT and SB_HORZ only. An empty range (nMinPos == nMaxPos) hides the bar, which resizes the
// client area and so sends WM_SIZE: during the call, or, when called during WM_PAINT, right after
// the paint. The thumb moves only through SetScrollPos (while the user
// drags it, it follows the mouse, as in Win32).
int WINAPI SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw);
int WINAPI SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw);
int WINAPI GetScrollPos(HWND hWnd, int nBar);

// --- Painting and GDI --------------------------------------------------------------------------
// Only inside WM_PAINT: the DC draws on the window through the paint event's painter.
HDC WINAPI BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint);
BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
// A DC for measuring (text metrics) outside painting; drawing through it is not shown.
HDC WINAPI GetDC(HWND hWnd);
int WINAPI ReleaseDC(HWND hWnd, HDC hDC);
// tmHeight, tmAscent, tmDescent, tmExternalLeading, tmAveCharWidth, tmMaxCharWidth and tmWeight
// are filled from the selected font's metrics; the rest are 0.
BOOL WINAPI GetTextMetricsA(HDC hdc, TEXTMETRICA* lptm);
// (x, y) is the top-left corner of the text cell. In OPAQUE mode the cell is filled with the
// background colour first.
BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color);
int WINAPI SetBkMode(HDC hdc, int mode);
// Brushes are the stock ones and system-colour brushes (COLOR_x + 1).
int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
// WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH, DEFAULT_GUI_FONT.
HGDIOBJ WINAPI GetStockObject(int i);
// The face is looked up by name and falls back through fontconfig. cHeight > 0 asks for that
// cell height, < 0 for that character height; cWidth > 0 stretches the font to that average
// width. Escapement, orientation, precision, quality and pitch are ignored.
HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                         DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                         DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                         DWORD iPitchAndFamily, LPCSTR pszFaceName);
HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h);
BOOL WINAPI DeleteObject(HGDIOBJ ho);
// DT_CENTER, DT_RIGHT, DT_WORDBREAK, DT_EXTERNALLEADING, DT_SINGLELINE and DT_CALCRECT; line
// breaks in the text start new lines. Returns the height of the text drawn.
int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format);

// --- Resources ---------------------------------------------------------------------------------
int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);
// The system arrow cursor and application icon only; the desktop provides both.
HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);

// --- Dialogs -----------------------------------------------------------------------------------
// Runs the dialog from template lpTemplateName modally: input to the application's other windows
// is blocked (rather than the owner alone being disabled), WM_INITDIALOG is sent, and a nested
// message loop runs until EndDialog. Positions are in dialog units relative to
// the owner's client area (no DS_CENTER); the template's font falls back through fontconfig.
// Escape sends IDCANCEL; Enter clicks the default push button when it is enabled and otherwise
// sends IDOK. WM_CLOSE that the procedure does not handle sends IDCANCEL. DS_SYSMODAL is
// application modal (the desktop has no system-modal windows).
INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam);
#define DialogBoxA(i, t, p, f) DialogBoxParamA(i, t, p, f, 0)
#define DialogBox DialogBoxA
BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult);
HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem);
UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax);
BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);

// --- Message boxes and help --------------------------------------------------------------------
// MB_OK with one of the MB_ICON* icons. The box is application modal, placed over its owner when
// it has one; its text is shown as plain text. Posted messages are dispatched while it is open.
// Returns IDOK.
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
// HELP_FINDER and HELP_CONTENTS open the help viewer (not modal, one at a time, raised when
// already open) on the file's contents; the file is looked up beside the executable and in the
// data directory of the installation (../share/bytescope from the executable, then the configured
// one). HELP_QUIT closes the viewer. A missing file is shown in the viewer.
BOOL WINAPI WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);

// --- Common controls ---------------------------------------------------------------------------
// The status window sizes itself along the bottom of its parent's client area on WM_SIZE;
// SB_SETPARTS, SB_SETTEXTA, SB_GETTEXTA and SB_GETTEXTLENGTHA work for the parts it draws.
HWND WINAPI CreateStatusWindowA(LONG style, LPCSTR lpszText, HWND hwndParent, UINT wID);
