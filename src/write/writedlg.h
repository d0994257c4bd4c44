// The write dialog: one entry field, Send and Cancel, around the entry rules.
#pragma once

#include "windows.h"

INT_PTR CALLBACK WriteDlg(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL InitializeWrite(HWND hwnd, WPARAM wParam, LPARAM lParam);
BOOL InputMessages(HWND hwnd, WPARAM wParam);
// Copies the text of the dialog's ID_INPUT field into Input and applies CheckInput.
// Returns 0 when the value was accepted and written to the port, 1 when it was rejected.
int ReadInput(HWND hwnd);
