// The About box.
#pragma once

#include "windows.h"

INT_PTR CALLBACK AboutDlg(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL InitializeAbout(HWND hwnd, WPARAM wParam, LPARAM lParam);
