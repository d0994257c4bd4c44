// The layer's own records behind the Win32 handles, shared by its source files.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPointer>
#include <QScrollBar>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "windows.h"

class QMenuBar;
class QPainter;

struct ScrollState {
    int min = 0;
    int max = 100; // Win32's range for a window created with a scroll bar
    int pos = 0;
};

// A window: the class and procedure the program gave it and the widgets that show it. A
// top-level window's `widget` is its frame (menu bar, client, scroll bars); `client` is where the
// program paints. A control's `widget` and `client` are the control itself.
struct HWND__ {
    std::string className;
    WNDPROC proc = nullptr;
    DLGPROC dlgProc = nullptr; // set for dialogs: `proc` is then the dialog manager's
    HWND parent = nullptr;
    UINT_PTR id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    HBRUSH background = nullptr;
    HMENU menu = nullptr;
    QPointer<QWidget> widget;
    QPointer<QWidget> client;
    QPointer<QScrollBar> bars[2]; // SB_HORZ, SB_VERT
    QPointer<QMenuBar> menuBar;
    ScrollState scroll[2];
    QSize lastSize{-1, -1};      // the client size of the last WM_SIZE
    QPainter* painter = nullptr; // the paint event's painter while WM_PAINT runs
    bool destroying = false;     // WM_DESTROY is being sent; the window stays valid until it ends
    bool dialogEnded = false;
    INT_PTR dialogResult = 0;
    std::vector<std::string> partTexts; // status windows: the text of each part
    std::vector<int> partEdges;         // status windows: the right edge of each part
};

struct HMENU__ {
    struct Item {
        WORD flags;
        WORD id;
        std::string text;
        HMENU popup;
    };
    std::vector<Item> items;
};

struct HACCEL__ {
    std::vector<ACCEL> entries;
};

// GDI objects start with their kind, so that a HGDIOBJ tells what it is.
struct GdiObject {
    enum Kind { Font = 1, Brush = 2 } kind;
    bool stock;
};
struct HFONT__ : GdiObject {
    QFont font;
};
struct HBRUSH__ : GdiObject {
    COLORREF color;
};

struct HDC__ {
    HWND hwnd = nullptr;
    QPainter* painter = nullptr; // null: a DC for measuring only
    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    HFONT font = nullptr; // null: the window's default font
    // The selected font as Qt uses it, made once per selection: text is drawn cell by cell.
    std::optional<QFont> qfont;
    std::optional<QFontMetrics> metrics;
    bool painterHasFont = false;
};

namespace win32 {

bool isLive(HWND hwnd);
HWND fromWidget(const QWidget* w);
QColor toQColor(COLORREF c);
QString fromAnsi(const char* s, int len = -1);
QByteArray toAnsi(const QString& s);
// The font a window draws with when the program selected none: the desktop's UI font.
QFont defaultFont(HWND hwnd);

// Queues a message; `mods` are the modifier keys held for a keystroke message.
void postMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                 Qt::KeyboardModifiers mods = Qt::NoModifier);
// Dispatches posted messages and waits in Qt's event loop until `done` is true or WM_QUIT
// arrives (which stays queued for the outer loop).
void runModalLoop(const std::function<bool()>& done);
// The dialog manager's key handling (Escape, Enter); true when the key was used.
bool dialogKey(HWND dlg, int vk);

// Translates a Qt key to a virtual-key code; 0 when there is none.
int virtualKey(int qtKey);

// Resources of a module.
const MENU_RES* findMenu(HINSTANCE inst, LPCSTR name);
const DLGTEMPLATE_RES* findDialog(HINSTANCE inst, LPCSTR name);

// Creates the widget for a predefined control class; null when the class is not one.
QWidget* createControl(HWND hwnd, const std::string& cls, const QString& text, QWidget* parent,
                       const QFont& font);
QWidget* createStatusWidget(HWND hwnd, const QString& text, QWidget* parent);
// Window procedures of the predefined classes.
LRESULT statusWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT controlWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT dialogManagerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

HWND newWindow();
// Frees the records of destroyed windows; only where no window procedure is running.
void freeDestroyedWindows();
// Removes the posted messages of a window from the queue.
void dropQueuedMessages(HWND hwnd);
void registerWidget(HWND hwnd, QWidget* w);

} // namespace win32
