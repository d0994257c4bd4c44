// The thread's message queue, the message loop, keys and accelerators.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDateTime>
#include <QKeyEvent>

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
    *msg = queue().front().msg;
    currentMods = queue().front().mods;
    queue().pop_front();
    return true;
}

// The letter and digit keys by their place on the keyboard (X11 key codes), for layouts whose
// keys carry no Latin character.
int latinKeyAt(quint32 keycode) {
    static const struct {
        quint32 first;
        const char* keys;
    } rows[] = {{10, "1234567890"}, {24, "QWERTYUIOP"}, {38, "ASDFGHJKL"}, {52, "ZXCVBNM"}};
    for (const auto& row : rows)
        if (keycode >= row.first && keycode < row.first + std::strlen(row.keys))
            return row.keys[keycode - row.first];
    return 0;
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

int modalDepth = 0;

void runModalLoop(const std::function<bool()>& done) {
    ++modalDepth;
    struct Leave {
        ~Leave() { --modalDepth; }
    } leave;
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

int virtualKey(const QKeyEvent* ev) {
    int key = ev->key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + (key - Qt::Key_F1);
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key; // Qt's codes for Latin letters and digits are their ASCII capitals, as VKs
    switch (key) {
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    default: return latinKeyAt(ev->nativeScanCode());
    }
}

void postKey(HWND hwnd, const QKeyEvent* ev) {
    int vk = virtualKey(ev);
    if (!vk || !isLive(hwnd))
        return;
    bool alt = ev->modifiers() & Qt::AltModifier;
    LPARAM lParam = 1 | (ev->isAutoRepeat() ? (1 << 30) : 0) | (alt ? (1 << 29) : 0);
    UINT msg = alt || vk == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN;
    postMessage(hwnd, msg, WPARAM(vk), lParam, ev->modifiers());
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
        // No event handler of any widget is running here, so the widgets and records of windows
        // destroyed since the last wait can go. Qt would not delete them by itself: the program
        // never enters Qt's own event loop, whose return is where deleteLater() takes effect.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        win32::freeDestroyedWindows();
        if (quitPosted) {
            quitPosted = false;
            *lpMsg = MSG{nullptr, WM_QUIT, WPARAM(quitCode), 0, 0, {0, 0}};
            return FALSE;
        }
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

int WINAPI TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg) {
    if (!hAccTable || !lpMsg || !win32::isLive(hWnd))
        return 0;
    if (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN)
        return 0;
    BYTE held = ((currentMods & Qt::ControlModifier) ? FCONTROL : 0) |
                ((currentMods & Qt::ShiftModifier) ? FSHIFT : 0) |
                ((currentMods & Qt::AltModifier) ? FALT : 0);
    for (const ACCEL& a : hAccTable->entries) {
        if (!(a.fVirt & FVIRTKEY) || a.key != lpMsg->wParam ||
            (a.fVirt & (FCONTROL | FSHIFT | FALT)) != held)
            continue;
        SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}

int Win32_ModalDepth() {
    return win32::modalDepth;
}

std::string Win32_CommandTail(int argc, char** argv) {
    std::string tail;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i] ? argv[i] : "";
        bool quote = arg.empty() || arg.find_first_of(" \t") != std::string::npos;
        if (i > 1)
            tail += ' ';
        tail += quote ? '"' + arg + '"' : arg;
    }
    return tail;
}
