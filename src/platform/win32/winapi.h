// The Win32 functions the program calls, implemented on Qt 6 Widgets, with Win32's signatures.
// Each behaves as its namesake for the arguments the program passes; every deviation is noted at
// its declaration.
#pragma once

#include "wintypes.h"

// --- Program entry -----------------------------------------------------------------------------
// Defined by the program. main() builds the QApplication from the program name alone (the rest of
// the command line never reaches the toolkit), cuts the program name and the blanks after it off
// the command line and returns WinMain's result as the exit code.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// --- Window classes and windows ----------------------------------------------------------------
// cbClsExtra, cbWndExtra, hIcon and hCursor are ignored (the desktop draws the arrow cursor and
// the program's icon). Class styles: the whole client area is repainted after every resize, as
// CS_HREDRAW | CS_VREDRAW ask; CS_DBLCLKS changes nothing, since no mouse message reaches the
// program. The class menu is named by number.
ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass);
// Top-level windows of registered classes, and the status window (STATUSCLASSNAMEA) as a child.
// WS_CHILD windows of the program's own classes are refused (NULL): the program makes none.
// WS_CAPTION, WS_SYSMENU, WS_MINIMIZEBOX and WS_MAXIMIZEBOX become the desktop's frame hints;
// WS_VSCROLL/WS_HSCROLL give the window its scroll bars; the class menu becomes the menu bar,
// which stays inside the window even on desktops with a global menu. CW_USEDEFAULT gives 800 x 600
// at a place the desktop chooses. WM_CREATE and then WM_SIZE are sent before the call returns.
// Clip styles are accepted and ignored: every window clips its children.
HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam);
// Shows the window; it becomes the active window and its client area takes the keyboard focus,
// as an activated window without focused children has it in Win32. nCmdShow is not looked at:
// the program only ever shows.
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
// WM_CLOSE destroys the window (WM_DESTROY goes to it and then to its children); WM_PAINT
// validates; WM_GETFONT gives a control its dialog's font; everything else returns 0.
LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// The client size of the last WM_SIZE: 0 x 0 while minimised. A dialog's or a control's, as
// created or last moved.
BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
// Where a window stands on the screen: a control with its edge; a dialog without the frame the
// window manager adds, which is not known before it is shown.
BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect);
// Dialogs and their controls only: a control in its dialog's client area, a dialog on the screen
// as GetWindowRect has it, its client area following its size. bRepaint is not looked at.
BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
// From one window's client area to another's; a null window is the screen.
int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints);
// The whole client area is repainted (lpRect is ignored). Qt keeps no previous picture, so every
// paint starts from the class background whatever bErase says. The repaint comes from the event
// loop as in Win32: after the queue is empty, and several invalidations make one paint.
BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
// A disabled window takes no keys, clicks or close-box requests.
BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable);
HWND WINAPI SetFocus(HWND hWnd);

// --- Messages ----------------------------------------------------------------------------------
// A direct call of the window (or dialog) procedure.
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Appends to the thread's queue, which GetMessageA takes from in order.
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Takes the next posted message; while the queue is empty it waits in Qt's event loop, which
// delivers input (keys as posted WM_KEYDOWN/WM_SYSKEYDOWN), paints, resizes and scroll-bar
// actions. Returns 0 for WM_QUIT. The filter arguments are ignored (the program passes 0, 0, 0).
BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
// The controls turn keys into characters themselves; this returns FALSE.
BOOL WINAPI TranslateMessage(const MSG* lpMsg);
LRESULT WINAPI DispatchMessageA(const MSG* lpMsg);
void WINAPI PostQuitMessage(int nExitCode);

// --- Accelerators ------------------------------------------------------------------------------
HACCEL WINAPI LoadAcceleratorsA(HINSTANCE hInstance, LPCSTR lpTableName);
// Translates WM_KEYDOWN/WM_SYSKEYDOWN that match a virtual-key entry (with exactly its Ctrl,
// Shift and Alt) into WM_COMMAND (HIWORD 1) sent to hWnd. Virtual keys follow the key, not the
// character: a letter or digit key is its Latin character, or on a layout without one (Cyrillic,
// Greek) the US key at the same place, as Windows' virtual keys are. ASCII entries are not
// supported.
int WINAPI TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg);

// --- Scroll bars -------------------------------------------------------------------------------
// SB_VERT and SB_HORZ only. An empty range (nMinPos == nMaxPos) hides the bar, which resizes the
// client area: WM_SIZE reaches the program before the call returns, during WM_PAINT too (the
// widgets follow when the paint has ended). The bars report only Win32's actions: arrows, trough
// clicks (pages), thumb tracking and release, and the bar's context menu; the wheel, middle
// clicks and a style's "jump to click" do nothing. The thumb shows the position the program set,
// except while the user drags it.
int WINAPI SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw);
int WINAPI SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw);

// --- Painting and GDI --------------------------------------------------------------------------
// Only inside WM_PAINT: the DC draws on the window through the paint event's painter.
HDC WINAPI BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint);
BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
// A DC for measuring (text metrics) outside painting; drawing through it is not shown.
HDC WINAPI GetDC(HWND hWnd);
int WINAPI ReleaseDC(HWND hWnd, HDC hDC);
// tmHeight, tmAscent, tmExternalLeading and tmAveCharWidth are filled from the selected font's
// metrics; the rest are 0.
BOOL WINAPI GetTextMetricsA(HDC hdc, TEXTMETRICA* lptm);
// (x, y) is the top-left corner of the text cell. In OPAQUE mode the cell is filled with the
// background colour (white) first.
BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
int WINAPI SetBkMode(HDC hdc, int mode);
// Stock brushes and system-colour brushes (COLOR_x + 1).
int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
// BLACK_BRUSH only.
HGDIOBJ WINAPI GetStockObject(int i);
// The face is looked up by name and falls back through fontconfig. cHeight > 0 asks for that
// cell height, < 0 for that character height; cWidth > 0 stretches the font to that average
// width. Escapement, orientation, character set, precision, quality and pitch are ignored.
HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                         DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                         DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                         DWORD iPitchAndFamily, LPCSTR pszFaceName);
// Fonts only (the program selects no other object).
HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h);
BOOL WINAPI DeleteObject(HGDIOBJ ho);
// DT_CENTER, DT_WORDBREAK and DT_EXTERNALLEADING; line breaks in the text start new lines.
// Returns the height of the text drawn. DT_CALCRECT draws nothing and sets the right and bottom
// of lprc to bound the text.
int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format);

// --- Resources ---------------------------------------------------------------------------------
int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);
// The system arrow cursor and application icon only; the desktop provides both.
HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);

// --- Dialogs -----------------------------------------------------------------------------------
// Runs the dialog from template lpTemplateName modally: the owner is disabled while it is open
// (other windows, such as the help viewer, stay usable), WM_INITDIALOG is sent, and a nested
// message loop runs until EndDialog. The template's x, y place the dialog's client area in the
// owner's client area (dialog units rounded as MulDiv does; kept on the screen), the frame lies
// outside it; the template's font falls back through fontconfig. DS_SYSMODAL keeps the dialog
// above other windows (WS_EX_TOPMOST, as in Win32); WS_EX_CLIENTEDGE and a control's
// WS_EX_STATICEDGE draw their sunken edges. Keys: Escape sends IDCANCEL; Enter presses the
// focused push button, else the default push button when it is enabled, else sends IDOK; the
// focused push button shows the default frame. WM_CLOSE that the procedure does not handle
// sends IDCANCEL. Controls: "button" (push buttons), "edit" (one line) and "static" (text).
INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam);
#define DialogBoxA(i, t, p, f) DialogBoxParamA(i, t, p, f, 0)
#define DialogBox DialogBoxA
BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult);
HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem);
// Texts are Windows-1252 in both directions; a character it lacks reads as '?'.
UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax);
BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);

// --- Message boxes and help --------------------------------------------------------------------
// One OK button, with the warning icon for MB_ICONWARNING, in the middle of the work area of the
// owner's screen. The owner is disabled while the box is open; with no owner no window is. The text
// is shown as plain text. Posted messages are dispatched while it is open. Returns IDOK.
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
// HELP_FINDER opens the help viewer (not modal, one at a time, raised when already open) on the
// file's contents; the file is looked for in the folders the start-up code named. A missing file
// is said so in the viewer.
BOOL WINAPI WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);

// --- Common controls ---------------------------------------------------------------------------
// The status window sizes itself along the bottom of its parent's client area on WM_SIZE;
// SB_SETPARTS and SB_SETTEXTA work for the parts it draws.
HWND WINAPI CreateStatusWindowA(LONG style, LPCSTR lpszText, HWND hwndParent, UINT wID);
