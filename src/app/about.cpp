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

// The first credit line names the port in use, so that the readings can be told real or
// simulated from the About box; the version line is the project's version.
BOOL InitializeAbout(HWND hwnd, WPARAM, LPARAM) {
    SetDlgItemTextA(hwnd, IDC_ABOUT_CREDIT1, PortInUse());
    SetDlgItemTextA(hwnd, IDC_ABOUT_VERSION, BYTESCOPE_VERSION_TEXT);
    return 0;
}
