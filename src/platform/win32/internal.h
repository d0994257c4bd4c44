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

class QKeyEvent;
class QMenuBar;
class QPainter;

struct ScrollState {
    int min = 0;
    int max = 100; // Win32's range for a window created with a scroll bar
    int pos = 0;
    bool shown = true;
};

// A window: the class and procedure the program gave it and the widgets that show it. A
// top-level window's `widget` is its frame (menu bar, client, scroll bars) and `client` is where
// the program paints; a dialog's `client` holds its controls; a control's `widget` and `client`
// are the control itself.
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
    QSize clientSize{-1, -1};    // what GetClientRect reports: the size of the last WM_SIZE
    QPainter* painter = nullptr; // the paint event's painter while WM_PAINT runs
    bool disabled = false;       // a top-level window disabled by EnableWindow
    bool destroying = false;     // WM_DESTROY is being sent; the window stays valid until it ends
    bool inMenuLoop = false;     // WM_MENUSELECT has reported a menu that has not closed yet
    int menuTitle = -1;          // the menu bar's title the menu loop last selected
    bool dialogEnded = false;
    HWND disabledOwner = nullptr; // the owner a dialog disabled, enabled again when it ends
    INT_PTR dialogResult = 0;
    HFONT font = nullptr;               // controls: the dialog's font, as WM_GETFONT gives it
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
// The program's 8-bit texts are Windows-1252.
QString fromAnsi(const char* s, int len = -1);
QByteArray toAnsi(const QString& s);
// A text's lines: one for each line break, and with width >= 0 broken at blanks, as DrawTextA's
// DT_WORDBREAK breaks them, so that no line is wider than width but a word wider than it.
std::vector<QString> textLines(const QString& text, const QFontMetrics& fm, int width);

HWND newWindow();
void registerWidget(HWND hwnd, QWidget* w);
// WM_DESTROY to the window, then to its children; the widgets go when the loop next waits.
void destroyWindow(HWND hwnd);
// Frees the records of destroyed windows; only where no window procedure is running.
void freeDestroyedWindows();
bool isEnabled(HWND hwnd);
// Tells the window its client size (WM_SIZE, with the frame's state) and keeps it for
// GetClientRect.
void sendSize(HWND hwnd, QSize size);
// A window's text: a control's, a status window's first part, or a title.
QString windowText(HWND hwnd);
void setWindowText(HWND hwnd, const QString& text);

// Queues a message; `mods` are the modifier keys held for a keystroke message.
void postMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                 Qt::KeyboardModifiers mods = Qt::NoModifier);
// Removes a destroyed window's posted messages from the queue, as DestroyWindow does.
void dropQueuedMessages(HWND hwnd);
// Dispatches posted messages and waits in Qt's event loop until `done` is true or WM_QUIT
// arrives (which stays queued for the outer loop).
void runModalLoop(const std::function<bool()>& done);
// The virtual-key code of a key; 0 when it has none the program could use.
int virtualKey(const QKeyEvent* ev);
// Posts a key as WM_KEYDOWN (WM_SYSKEYDOWN with Alt, and for F10), so that the accelerator
// table sees it.
void postKey(HWND hwnd, const QKeyEvent* ev);
// Windows that lie over `owner` (dialogs, message boxes) without being its Qt children, so that
// disabling the owner leaves them alone.
void placeOver(QWidget* w, HWND owner);

// Resources of a module.
HMENU loadMenu(HINSTANCE inst, LPCSTR name);
const DLGTEMPLATE_RES* findDialog(HINSTANCE inst, LPCSTR name);

// Builds the menu bar of a top-level window from its menu.
void buildMenuBar(HWND hwnd, QMenuBar* bar);
// Window procedures of the predefined classes.
LRESULT statusWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
QWidget* createStatusWidget(HWND hwnd, const QString& text, QWidget* parent);

} // namespace win32
