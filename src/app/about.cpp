// The About box.
#include "about.h"

#include "port.h"
#include "resource.h"

INT_PTR CALLBACK AboutDlg(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: InitializeAbout(hwnd, wParam, lParam); return TRUE;
    case WM_CLOSE: EndDialog(hwnd, 0); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(hwnd, 1);
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

// The first credit line names the port in use, and for the simulated port why the real one was
// not used and what fixes it, so that the readings can be told real or simulated from the About
// box; the version line is the project's version. A port line longer than its place is given the
// box's width below the OK button, broken into lines, and the box grows to show all of them.
BOOL InitializeAbout(HWND hwnd, WPARAM, LPARAM) {
    SetDlgItemTextA(hwnd, IDC_ABOUT_VERSION, BYTESCOPE_VERSION_TEXT);
    const char* port = PortInUse();
    SetDlgItemTextA(hwnd, IDC_ABOUT_CREDIT1, port);

    HWND line = GetDlgItem(hwnd, IDC_ABOUT_CREDIT1);
    RECT place, ok, box, frame, text = {0, 0, 0, 0};
    GetWindowRect(line, &place);
    GetWindowRect(GetDlgItem(hwnd, IDOK), &ok);
    MapWindowPoints(HWND_DESKTOP, hwnd, (LPPOINT)&ok, 2);
    GetClientRect(hwnd, &box);
    HDC dc = GetDC(line);
    HGDIOBJ font = SelectObject(dc, (HGDIOBJ)SendMessageA(line, WM_GETFONT, 0, 0));
    DrawTextA(dc, port, -1, &text, DT_CALCRECT);
    if (text.right > place.right - place.left) {
        int margin = box.bottom - ok.bottom, top = ok.bottom + margin / 2;
        text = {0, 0, box.right - 2 * ok.left, 0};
        DrawTextA(dc, port, -1, &text, DT_CALCRECT | DT_WORDBREAK);
        MoveWindow(line, ok.left, top, box.right - 2 * ok.left, text.bottom, TRUE);
        GetWindowRect(hwnd, &frame);
        MoveWindow(hwnd, frame.left, frame.top, frame.right - frame.left,
                   frame.bottom - frame.top + top + text.bottom + margin - box.bottom, TRUE);
    }
    SelectObject(dc, font);
    ReleaseDC(line, dc);
    return 0;
}
