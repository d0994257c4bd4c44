#include "writedlg.h"

#include "entry.h"
#include "resource.h"

INT_PTR CALLBACK WriteDlg(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: return InitializeWrite(hwnd, wParam, lParam);
    case WM_CLOSE: EndDialog(hwnd, 0); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL: EndDialog(hwnd, 1); return TRUE;
        case ID_INPUT: InputMessages(hwnd, wParam); return TRUE;
        case IDSEND:
            if (ReadInput(hwnd) == 0) {
                EndDialog(hwnd, 1);
                return TRUE;
            }
            // The rejected entry is shown as it was typed; the field keeps it for correcting.
            MessageBoxA(hwnd, Input, "INVALID ENTRY", MB_ICONWARNING);
            return FALSE;
        default: return FALSE; // IDOK too: Enter while Send is disabled does nothing
        }
    default: return FALSE;
    }
}

BOOL InitializeWrite(HWND hwnd, WPARAM, LPARAM) {
    SetFocus(GetDlgItem(hwnd, ID_INPUT));
    EnableWindow(GetDlgItem(hwnd, IDSEND), FALSE);
    return 1;
}

BOOL InputMessages(HWND hwnd, WPARAM wParam) {
    if (HIWORD(wParam) == EN_CHANGE) {
        GetDlgItemTextA(hwnd, ID_INPUT, Input, sizeof Input);
        EnableWindow(GetDlgItem(hwnd, IDSEND), Input[0] != '\0');
    }
    return 1;
}
