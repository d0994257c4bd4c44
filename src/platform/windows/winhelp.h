// Forced into every file of the program in the Windows build: WinHelp cannot show the HTML
// manual (and Windows 10 and 11 have no WinHelp viewer at all), so the program's Help Topics
// call goes to the hand-off below instead. The program's code stays the same on both platforms.
#pragma once

#include <windows.h>

// As WinHelpA. HELP_FINDER and HELP_CONTENTS open the help file, looked for beside the program
// (a path that names a folder is taken as it is), as HTML in the user's browser; a missing file
// is reported in a message box. HELP_QUIT does nothing: the browser is the user's.
BOOL WINAPI Bytescope_WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);

#undef WinHelp
#define WinHelpA Bytescope_WinHelpA
#define WinHelp Bytescope_WinHelpA
