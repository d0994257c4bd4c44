// The program's main module: start-up, the main window and its commands.
#pragma once

#include "windows.h"

extern HINSTANCE hInst;
extern HWND hwndMain;

BOOL InitApplication(void);
HWND CreatebytescopeWndClassWnd(void);
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void MainWndProc_OnCommand(HWND hwnd, int id, HWND hwndCtl, UINT codeNotify);
// The read command: one reading into the log, unless the log is full.
void READ_PORT(void);
