// Looks at the running program's windows from another process in the same Wine prefix, for the
// session runner (session_test.cpp). Prints its answer on standard output, or exits with 1 when
// there is no such window:
//   peek [TITLE]     the texts of the window titled TITLE (else of the one Windows takes as the
//                    active one), its own first, and of its visible controls (the main window's
//                    status bar: WM_GETTEXT gives its first part), one a line
//   peek -c TITLE    the screen point of that window's close box, as "X Y"
//   peek -m          the main window's thread and handle, in hex as Wine's traces print them
//   peek -d TITLE    the text of the push button that window frames as its default one
//   peek -e TITLE    "disabled" when that window takes no input, else "enabled"
//   peek -n TITLE, peek -r TITLE   minimises that window, restores it
// Every message waits at most a second.
#include <windows.h>

#include <cstdio>
#include <string>

static DWORD_PTR ask(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(hwnd, message, w, l, SMTO_ABORTIFHUNG, 1000, &answer);
    return answer;
}

static BOOL CALLBACK print(HWND hwnd, LPARAM) {
    char text[1024];
    if (IsWindowVisible(hwnd) && ask(hwnd, WM_GETTEXT, sizeof text, LPARAM(text)))
        std::printf("%s\n", text);
    return TRUE;
}

static BOOL CALLBACK printDefault(HWND hwnd, LPARAM) {
    char name[16] = "";
    GetClassNameA(hwnd, name, sizeof name);
    if (!lstrcmpiA(name, "Button") && (GetWindowLongA(hwnd, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON)
        print(hwnd, 0);
    return TRUE;
}

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    HWND main = FindWindowA("bytescopeWndClass", nullptr);
    HWND hwnd = what == "-m"     ? main
                : what[0] == '-' ? FindWindowA(nullptr, argc > 2 ? argv[2] : "")
                : argc > 1       ? FindWindowA(nullptr, argv[1])
                                 : GetForegroundWindow();
    if (!hwnd)
        return 1;
    if (what == "-m") {
        std::printf("%04lx %08lx\n", GetWindowThreadProcessId(hwnd, nullptr),
                    (unsigned long)(ULONG_PTR(hwnd) & 0xFFFFFFFF));
    } else if (what == "-d") {
        EnumChildWindows(hwnd, printDefault, 0);
    } else if (what == "-e") {
        std::printf(IsWindowEnabled(hwnd) ? "enabled\n" : "disabled\n");
    } else if (what == "-n" || what == "-r") {
        ShowWindowAsync(hwnd, what == "-n" ? SW_MINIMIZE : SW_RESTORE);
    } else if (what == "-c") { // the points answering WM_NCHITTEST with HTCLOSE: their middle
        RECT r;
        GetWindowRect(hwnd, &r);
        int y = r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
        int first = -1, last = -1;
        for (int x = r.right - 1; x > r.right - 100 && x > r.left; --x)
            if (ask(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE)
                first = x, last = last < 0 ? x : last;
        if (first < 0)
            return 1;
        std::printf("%d %d\n", (first + last) / 2, y);
    } else {
        print(hwnd, 0);
        EnumChildWindows(hwnd, print, 0);
    }
    return 0;
}
