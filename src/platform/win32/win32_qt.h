// The Qt side of the Win32 layer, for tests and tools that look at what the program shows.
#pragma once

#include <string>
#include <vector>

#include "windows.h"

class QWidget;
class QScrollBar;
class QMenuBar;

// The widgets that show a window: its frame (or the control), its client area, its scroll bars
// (SB_VERT, SB_HORZ) and its menu bar; null for a window that does not exist.
QWidget* Win32_Widget(HWND hwnd);
QWidget* Win32_Client(HWND hwnd);
QScrollBar* Win32_ScrollBar(HWND hwnd, int bar);
QMenuBar* Win32_MenuBar(HWND hwnd);
// The window that a widget belongs to.
HWND Win32_WindowOf(const QWidget* widget);
// A window's text as the program would read it: a control's, a status window's first part, or
// the title.
std::string Win32_Text(HWND hwnd);
// How many modal loops (dialogs, message boxes) are running.
int Win32_ModalDepth();
// Whether a window takes input (EnableWindow).
bool Win32_IsEnabled(HWND hwnd);

// What a DC drew, in order, as the program asked for it.
struct Win32DrawOp {
    enum Kind { BeginPaint, Text, Fill } kind;
    HWND hwnd;
    int x, y;          // Text: top-left corner of the text cell; Fill: rectangle's corner
    int width, height; // the cell or the rectangle
    std::string text;
    COLORREF color; // Text: the text colour; Fill: the brush's
    int bkMode;     // Text: OPAQUE cells are filled white first
};
// Starts (or, with null, stops) recording drawing into `trace`.
void Win32_SetDrawTrace(std::vector<Win32DrawOp>* trace);

// The folders WinHelpA looks for a help file in, in order (a file named by an absolute path is
// taken as it is).
void Win32_SetHelpPath(const std::vector<std::string>& dirs);

// The command line as WinMain receives it from a process's arguments: what follows the program
// name, each argument quoted as Windows would quote it when it holds blanks.
std::string Win32_CommandTail(int argc, char** argv);
