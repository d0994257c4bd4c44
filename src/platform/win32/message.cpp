// The thread's message queue, the message loop and keystroke translation.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDateTime>

#include <deque>

#include "internal.h"
#include "win32_qt.h"

namespace {

struct Queued {
    MSG msg;
    Qt::KeyboardModifiers mods;
};

std::deque<Queued>& queue() {
    static std::deque<Queued> q;
    return q;
}

bool quitPosted = false;
int quitCode = 0;
Qt::KeyboardModifiers currentMods; // the modifiers of the message being handled

void wake() {
    if (auto* d = QAbstractEventDispatcher::instance())
        d->wakeUp();
}

bool takeQueued(MSG* msg) {
    if (queue().empty())
        return false;
    Queued q = queue().front();
    queue().pop_front();
    *msg = q.msg;
    currentMods = q.mods;
    return true;
}

} // namespace

namespace win32 {

void postMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, Qt::KeyboardModifiers mods) {
    MSG m{hwnd, msg, wParam, lParam, DWORD(QDateTime::currentMSecsSinceEpoch()), {0, 0}};
    queue().push_back({m, mods});
    wake();
}

void dropQueuedMessages(HWND hwnd) {
    std::erase_if(queue(), [hwnd](const Queued& q) { return q.msg.hwnd == hwnd; });
}

void runModalLoop(const std::function<bool()>& done) {
    while (!done()) {
        MSG msg;
        if (takeQueued(&msg)) {
            DispatchMessageA(&msg);
            continue;
        }
        if (quitPosted)
            return; // the quit message stays for the loop that owns it
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    }
}

int virtualKey(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + (key - Qt::Key_F1);
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key; // Qt's codes for letters and digits are their ASCII capitals, as VK codes
    switch (key) {
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
    }
}

} // namespace win32

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!win32::isLive(hWnd) || !hWnd->proc)
        return 0;
    return hWnd->proc(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd && !win32::isLive(hWnd))
        return FALSE;
    win32::postMessage(hWnd, Msg, wParam, lParam);
    return TRUE;
}

void WINAPI PostQuitMessage(int nExitCode) {
    quitPosted = true;
    quitCode = nExitCode;
    wake();
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND, UINT, UINT) {
    for (;;) {
        if (takeQueued(lpMsg))
            return TRUE;
        if (quitPosted) {
            quitPosted = false;
            *lpMsg = MSG{nullptr, WM_QUIT, WPARAM(quitCode), 0, 0, {0, 0}};
            return FALSE;
        }
        // No event handler of any widget is running here, so the widgets and records of windows
        // destroyed since the last wait can go. Qt would not delete them by itself: the program
        // never enters Qt's own event loop, whose return is where deleteLater() takes effect.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        win32::freeDestroyedWindows();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    }
}

BOOL WINAPI TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    if (!lpMsg || !win32::isLive(lpMsg->hwnd))
        return 0;
    return SendMessageA(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

SHORT WINAPI GetKeyState(int nVirtKey) {
    Qt::KeyboardModifier m;
    switch (nVirtKey) {
    case VK_SHIFT: m = Qt::ShiftModifier; break;
    case VK_CONTROL: m = Qt::ControlModifier; break;
    case VK_MENU: m = Qt::AltModifier; break;
    default: return 0;
    }
    return (currentMods & m) ? SHORT(0x8000) : SHORT(0);
}

int WINAPI TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg) {
    if (!hAccTable || !lpMsg || !win32::isLive(hWnd))
        return 0;
    if (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN)
        return 0;
    BYTE held = ((GetKeyState(VK_CONTROL) & 0x8000) ? FCONTROL : 0) |
                ((GetKeyState(VK_SHIFT) & 0x8000) ? FSHIFT : 0) |
                ((GetKeyState(VK_MENU) & 0x8000) ? FALT : 0);
    for (const ACCEL& a : hAccTable->entries) {
        if (!(a.fVirt & FVIRTKEY) || a.key != lpMsg->wParam)
            continue;
        if ((a.fVirt & (FCONTROL | FSHIFT | FALT)) != held)
            continue;
        SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}

std::string Win32_CommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i] ? argv[i] : "";
        bool quote = arg.empty() || arg.find_first_of(" \t") != std::string::npos;
        if (i)
            line += ' ';
        line += quote ? '"' + arg + '"' : arg;
    }
    return line;
}

std::string Win32_CommandTail(const std::string& commandLine) {
    size_t i = 0;
    if (i < commandLine.size() && commandLine[i] == '"') {
        size_t close = commandLine.find('"', 1);
        i = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t')
            ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t'))
        ++i;
    return commandLine.substr(i);
}
