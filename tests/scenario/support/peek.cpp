// Looks at the running program's windows from another process in the same Wine prefix, as the
// scenario's Windows back end needs it. Prints its answer on standard output:
//   peek status        the text of the main window's status bar (WM_GETTEXT: its first part)
//   peek texts TITLE   the texts of the window titled TITLE and of its controls, one a line
//   peek closebox TITLE   the screen point of that window's close box, as "X Y"
//   peek active        the title of the window Windows takes as the active one
//   peek main          the main window's thread and handle, in hex as Wine's traces print them
// Exits with 1 when the window is not there. Every message waits at most a second.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {

bool textOf(HWND hwnd, char* text, int size) {
    DWORD_PTR length = 0;
    text[0] = '\0';
    return SendMessageTimeoutA(hwnd, WM_GETTEXT, size, LPARAM(text), SMTO_ABORTIFHUNG, 1000,
                               &length) != 0;
}

BOOL CALLBACK printText(HWND hwnd, LPARAM) {
    char text[1024];
    if (IsWindowVisible(hwnd) && textOf(hwnd, text, sizeof text) && text[0])
        std::printf("%s\n", text);
    return TRUE;
}

// The close box answers WM_NCHITTEST with HTCLOSE: the middle of those points on the caption's
// middle line.
bool closeBox(HWND hwnd, POINT* at) {
    RECT r;
    GetWindowRect(hwnd, &r);
    int y = r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    int first = -1, last = -1;
    for (int x = r.right - 1; x > r.right - 100 && x > r.left; --x) {
        DWORD_PTR hit = 0;
        SendMessageTimeoutA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 1000, &hit);
        if (hit == HTCLOSE) {
            last = last < 0 ? x : last;
            first = x;
        }
    }
    *at = {(first + last) / 2, y};
    return first >= 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const char* what = argv[1];
    HWND main = FindWindowA("bytescopeWndClass", nullptr);
    if (!std::strcmp(what, "status")) {
        char text[256];
        HWND bar = main ? FindWindowExA(main, nullptr, STATUSCLASSNAMEA, nullptr) : nullptr;
        if (!bar || !textOf(bar, text, sizeof text))
            return 1;
        std::printf("%s\n", text);
    } else if (!std::strcmp(what, "active")) {
        char title[256];
        HWND active = GetForegroundWindow();
        if (!active || !textOf(active, title, sizeof title))
            return 1;
        std::printf("%s\n", title);
    } else if (!std::strcmp(what, "main")) {
        if (!main)
            return 1;
        std::printf("%04lx %08lx\n", GetWindowThreadProcessId(main, nullptr),
                    (unsigned long)(ULONG_PTR(main) & 0xFFFFFFFF));
    } else if (argc > 2) {
        HWND hwnd = FindWindowA(nullptr, argv[2]);
        if (!hwnd)
            return 1;
        POINT at;
        if (!std::strcmp(what, "texts")) {
            printText(hwnd, 0);
            EnumChildWindows(hwnd, printText, 0);
        } else if (!std::strcmp(what, "closebox") && closeBox(hwnd, &at)) {
            std::printf("%ld %ld\n", at.x, at.y);
        } else {
            return 1;
        }
    } else {
        return 2;
    }
    return 0;
}
