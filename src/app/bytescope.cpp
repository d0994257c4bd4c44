// Start-up, the main window, its message routing and the commands.
#include "bytescope.h"

#include "about.h"
#include "port.h"
#include "readlog.h"
#include "resource.h"
#include "statbar.h"
#include "view.h"
#include "writedlg.h"

HINSTANCE hInst;
HWND hwndMain;

static const char szClassName[] = "bytescopeWndClass";

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    MSG msg;
    HACCEL hAccel;

    hInst = hInstance;
    if (!InitApplication())
        return 0;
    hAccel = LoadAcceleratorsA(hInst, MAKEINTRESOURCE(IDR_ACCELERATORS));
    hwndMain = CreatebytescopeWndClassWnd();
    if (!hwndMain)
        return 0;
    CreateSBar(hwndMain, "Ready", 1);
    ShowWindow(hwndMain, SW_SHOW);

    while (GetMessageA(&msg, NULL, 0, 0)) {
        if (!TranslateAcceleratorA(msg.hwnd, hAccel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return (int)msg.wParam;
}

BOOL InitApplication(void) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = hInst;
    wc.hIcon = LoadIconA(NULL, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCE(IDR_MAINMENU);
    wc.lpszClassName = szClassName;
    return RegisterClassA(&wc) != 0;
}

HWND CreatebytescopeWndClassWnd(void) {
    return CreateWindowExA(0, szClassName, "Bytescope", 0x16FF0000, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, hInst, NULL);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: View_OnCreate(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_SIZE:
        StatusBar_OnSize(hwnd, wParam, lParam);
        View_OnSize(hwnd, lParam);
        return 0;
    case WM_PAINT: View_OnPaint(hwnd); return 0;
    case WM_COMMAND:
        MainWndProc_OnCommand(hwnd, LOWORD(wParam), (HWND)lParam, HIWORD(wParam));
        return 0;
    case WM_HSCROLL: View_OnHScroll(hwnd, wParam); return 0;
    case WM_VSCROLL: View_OnVScroll(hwnd, wParam); return 0;
    case WM_MENUSELECT: return MsgMenuSelect(hwnd, msg, wParam, lParam);
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

static void ShowLogFull(void) {
    MessageBoxA(NULL, "RESTART PROGRAM TO CONTINUE", "OUT OF PROGRAM MEMORY", MB_ICONWARNING);
}

// Every write dialog, sent or cancelled, is followed by a reading that shows its effect.
static void RunWriteDialog(int target, int dialog) {
    if (LogIsFull()) {
        ShowLogFull();
        return;
    }
    WRITE = target;
    DialogBox(hInst, MAKEINTRESOURCE(dialog), hwndMain, WriteDlg);
    READ_PORT();
}

void MainWndProc_OnCommand(HWND hwnd, int id, HWND, UINT) {
    switch (id) {
    case IDM_EXIT: PostMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case IDM_RPORT: READ_PORT(); break;
    case IDM_WDATA: RunWriteDialog(WRITE_DATA, IDD_WRITEDATA); break;
    case IDM_WCONTROL: RunWriteDialog(WRITE_CONTROL, IDD_WRITECONTROL); break;
    case IDM_ABOUT: DialogBox(hInst, MAKEINTRESOURCE(IDD_ABOUT), hwndMain, AboutDlg); break;
    case IDM_HELPTOPICS: WinHelpA(hwnd, "BYTESCOPE.HLP", HELP_FINDER, 0); break;
    default: break;
    }
}

void READ_PORT(void) {
    if (LogIsFull()) {
        ShowLogFull();
        return;
    }
    Read_Port();
    Format_Data();
    // While the user looks at older rows, a new reading does not move the view.
    if (nVscrollPos == 0)
        InvalidateRect(hwndMain, NULL, TRUE);
}
