// The write dialog: one entry field, Send and Cancel.
#pragma once

#include "windows.h"

INT_PTR CALLBACK WriteDlg(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL InitializeWrite(HWND hwnd, WPARAM wParam, LPARAM lParam);
BOOL InputMessages(HWND hwnd, WPARAM wParam);
