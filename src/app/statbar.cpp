// The status bar: "Ready", and the description of the highlighted menu command.
#include "statbar.h"

#include "commctrl.h"

#include "bytescope.h"
#include "resource.h"

HWND hWndStatusbar;
char szBuffer[256];

BOOL CreateSBar(HWND hwndParent, LPCSTR initialText, int nrOfParts) {
    hWndStatusbar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | WS_BORDER | SBARS_SIZEGRIP,
                                        initialText, hwndParent, IDM_STATUSBAR);
    if (!hWndStatusbar)
        return 0;
    InitializeStatusBar(hwndParent, nrOfParts);
    return 1;
}

void InitializeStatusBar(HWND hwndParent, int nrOfParts) {
    RECT rect = {};
    int parts[256];

    if (nrOfParts < 1 || nrOfParts > 256)
        return;
    GetClientRect(hwndParent, &rect);
    for (int i = 0; i < nrOfParts; i++)
        parts[i] = rect.right * (i + 1) / nrOfParts;
    parts[nrOfParts - 1] = rect.right;
    SendMessageA(hWndStatusbar, SB_SETPARTS, nrOfParts, (LPARAM)parts);
    UpdateStatusBar("Ready", 0, 0);
}

void UpdateStatusBar(LPCSTR lpszStatusString, WORD partNumber, WORD displayFlags) {
    SendMessageA(hWndStatusbar, SB_SETTEXTA, partNumber | displayFlags, (LPARAM)lpszStatusString);
}

LRESULT MsgMenuSelect(HWND, UINT, WPARAM wparam, LPARAM lparam) {
    UINT fuFlags = HIWORD(wparam);
    UINT uCmd = LOWORD(wparam);
    HMENU hMenu = (HMENU)lparam;
    UINT nStringID;

    szBuffer[0] = '\0';
    if (fuFlags == 0xFFFF && hMenu == NULL)
        nStringID = 0; // the menu has been closed
    else if (fuFlags & MFT_SEPARATOR)
        nStringID = 0;
    else if (fuFlags & MF_POPUP)
        nStringID = (fuFlags & MF_SYSMENU) ? IDS_SYSMENU : 0;
    else
        nStringID = uCmd;

    if (nStringID != 0)
        LoadStringA(hInst, nStringID, szBuffer, sizeof szBuffer);
    UpdateStatusBar(szBuffer, 0, 0);
    return 0;
}

void StatusBar_OnSize(HWND, WPARAM wParam, LPARAM lParam) {
    // Before the bar exists (the window's first messages) there is nothing to resize.
    if (!hWndStatusbar)
        return;
    SendMessageA(hWndStatusbar, WM_SIZE, wParam, lParam);
    InitializeStatusBar(hWndStatusbar, 1);
}
