// The status bar along the bottom of the main window, with the menu help.
#pragma once

#include "windows.h"

extern HWND hWndStatusbar;
extern char szBuffer[256];

BOOL CreateSBar(HWND hwndParent, LPCSTR initialText, int nrOfParts);
void InitializeStatusBar(HWND hwndParent, int nrOfParts);
void UpdateStatusBar(LPCSTR lpszStatusString, WORD partNumber, WORD displayFlags);
LRESULT MsgMenuSelect(HWND hwnd, UINT uMessage, WPARAM wparam, LPARAM lparam);
// WM_SIZE of the main window: the bar follows the new size and says "Ready" again.
void StatusBar_OnSize(HWND hwnd, WPARAM wParam, LPARAM lParam);
