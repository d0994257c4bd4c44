// Window classes, windows, scroll bars and menus on Qt widgets.
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <map>
#include <set>
#include <strings.h>

#include "internal.h"
#include "win32_qt.h"

namespace {

struct ClassInfo {
    WNDCLASSA wc;
    std::string menuName; // the class menu when it is named by text
};

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};
std::map<std::string, ClassInfo, NoCase>& classes() {
    static std::map<std::string, ClassInfo, NoCase> c;
    return c;
}

std::set<HWND>& liveWindows() {
    static std::set<HWND> w;
    return w;
}

// Destroyed windows whose records wait until no handler of theirs can be running.
std::vector<HWND>& destroyedWindows() {
    static std::vector<HWND> w;
    return w;
}

void destroyMenu(HMENU menu) {
    if (!menu)
        return;
    for (const auto& item : menu->items)
        destroyMenu(item.popup);
    delete menu;
}

// Keys reach the program as posted keystroke messages, so that the accelerator table sees them.
void postKey(HWND hwnd, QKeyEvent* ev) {
    int vk = win32::virtualKey(ev->key());
    if (!vk || !hwnd)
        return;
    bool alt = ev->modifiers() & Qt::AltModifier;
    LPARAM lParam = 1 | (ev->isAutoRepeat() ? (1 << 30) : 0) | (alt ? (1 << 29) : 0);
    win32::postMessage(hwnd, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, lParam, ev->modifiers());
}

// The client area of a top-level window: paints, sizes and keys become messages.
class ClientWidget : public QWidget {
public:
    explicit ClientWidget(HWND hwnd) : hwnd_(hwnd) {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!win32::isLive(hwnd_))
            return;
        QPainter painter(this);
        hwnd_->painter = &painter;
        SendMessageA(hwnd_, WM_PAINT, 0, 0);
        hwnd_->painter = nullptr;
    }
    void resizeEvent(QResizeEvent*) override {
        if (!win32::isLive(hwnd_) || size() == hwnd_->lastSize)
            return;
        hwnd_->lastSize = size();
        SendMessageA(hwnd_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width(), height()));
    }
    void keyPressEvent(QKeyEvent* ev) override { postKey(hwnd_, ev); }

private:
    HWND hwnd_;
};

// A top-level window's frame. Closing it asks the program (WM_CLOSE) instead of closing.
class FrameWidget : public QWidget {
public:
    explicit FrameWidget(HWND hwnd) : hwnd_(hwnd) {}

protected:
    void closeEvent(QCloseEvent* ev) override {
        ev->ignore();
        if (win32::isLive(hwnd_))
            SendMessageA(hwnd_, WM_CLOSE, 0, 0);
    }
    void keyPressEvent(QKeyEvent* ev) override { postKey(hwnd_, ev); }

private:
    HWND hwnd_;
};

int scrollCode(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return SB_LINEUP;
    case QAbstractSlider::SliderSingleStepAdd: return SB_LINEDOWN;
    case QAbstractSlider::SliderPageStepSub: return SB_PAGEUP;
    case QAbstractSlider::SliderPageStepAdd: return SB_PAGEDOWN;
    case QAbstractSlider::SliderToMinimum: return SB_TOP;
    case QAbstractSlider::SliderToMaximum: return SB_BOTTOM;
    case QAbstractSlider::SliderMove: return SB_THUMBTRACK;
    default: return -1;
    }
}

// Puts the thumb where the program left it, without reporting that as a user action.
void restoreThumb(QScrollBar* sb, int pos) {
    QSignalBlocker block(sb);
    sb->setSliderPosition(pos);
}

QScrollBar* makeScrollBar(HWND hwnd, int bar) {
    auto* sb = new QScrollBar(bar == SB_VERT ? Qt::Vertical : Qt::Horizontal);
    sb->setRange(hwnd->scroll[bar].min, hwnd->scroll[bar].max);
    sb->setFocusPolicy(Qt::NoFocus);
    UINT msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    // Each action becomes a message; the thumb then goes back to where the program put it,
    // except while the user drags it.
    QObject::connect(sb, &QAbstractSlider::actionTriggered, sb, [hwnd, sb, bar, msg](int action) {
        int code = scrollCode(action);
        if (code < 0 || !win32::isLive(hwnd))
            return;
        int thumb = code == SB_THUMBTRACK ? sb->sliderPosition() : 0;
        SendMessageA(hwnd, msg, MAKEWPARAM(code, thumb), 0);
        if (code != SB_THUMBTRACK && win32::isLive(hwnd))
            restoreThumb(sb, hwnd->scroll[bar].pos);
    });
    QObject::connect(sb, &QAbstractSlider::sliderReleased, sb, [hwnd, sb, bar, msg] {
        if (!win32::isLive(hwnd))
            return;
        SendMessageA(hwnd, msg, MAKEWPARAM(SB_THUMBPOSITION, sb->sliderPosition()), 0);
        if (!win32::isLive(hwnd))
            return;
        SendMessageA(hwnd, msg, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
        if (win32::isLive(hwnd))
            restoreThumb(sb, hwnd->scroll[bar].pos);
    });
    return sb;
}

void closeMenuLater(HWND hwnd) {
    // Qt hides one pop-up before it shows the next; the menu has closed only when none is open.
    QTimer::singleShot(0, [hwnd] {
        if (win32::isLive(hwnd) && !QApplication::activePopupWidget())
            SendMessageA(hwnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    });
}

// Choosing a menu item posts its command, as Win32's menu loop does.
void postCommandOnTrigger(HWND hwnd, QAction* action, WORD id) {
    QObject::connect(action, &QAction::triggered, action,
                     [hwnd, id] { PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); });
}

void buildMenuBar(HWND hwnd, QMenuBar* bar, HMENU menu) {
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const auto& item = menu->items[i];
        if (!(item.flags & MF_POPUP)) {
            postCommandOnTrigger(hwnd, bar->addAction(win32::fromAnsi(item.text.c_str())), item.id);
            continue;
        }
        QMenu* popup = bar->addMenu(win32::fromAnsi(item.text.c_str()));
        HMENU sub = item.popup;
        WORD index = WORD(i);
        popup->menuAction()->setData(int(index));
        for (const auto& subItem : sub->items) {
            if (subItem.flags & MFT_SEPARATOR) {
                popup->addSeparator();
                continue;
            }
            QAction* a = popup->addAction(win32::fromAnsi(subItem.text.c_str()));
            WORD id = subItem.id;
            postCommandOnTrigger(hwnd, a, id);
            QObject::connect(a, &QAction::hovered, popup, [hwnd, id, sub] {
                SendMessageA(hwnd, WM_MENUSELECT, MAKEWPARAM(id, MF_HILITE), LPARAM(sub));
            });
        }
        QObject::connect(popup, &QMenu::aboutToHide, popup, [hwnd] { closeMenuLater(hwnd); });
    }
    // A highlighted pop-up title reports its position and MF_POPUP, as Win32 does.
    QObject::connect(bar, &QMenuBar::hovered, bar, [hwnd, menu](QAction* a) {
        if (!a->menu())
            return;
        SendMessageA(hwnd, WM_MENUSELECT, MAKEWPARAM(a->data().toInt(), MF_POPUP | MF_HILITE),
                     LPARAM(menu));
    });
}

QWidget* buildTopLevel(HWND hwnd, const QString& title) {
    auto* frame = new FrameWidget(hwnd);
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    frame->setWindowTitle(title);
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
    if (hwnd->style & WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    if (hwnd->style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (hwnd->style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (hwnd->style & WS_MAXIMIZEBOX)
        flags |= Qt::WindowMaximizeButtonHint;
    frame->setWindowFlags(flags);

    auto* outer = new QVBoxLayout(frame);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    if (hwnd->menu) {
        auto* bar = new QMenuBar(frame);
        buildMenuBar(hwnd, bar, hwnd->menu);
        outer->setMenuBar(bar);
        hwnd->menuBar = bar;
    }
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    auto* client = new ClientWidget(hwnd);
    grid->addWidget(client, 0, 0);
    if (hwnd->style & WS_VSCROLL) {
        hwnd->bars[SB_VERT] = makeScrollBar(hwnd, SB_VERT);
        grid->addWidget(hwnd->bars[SB_VERT], 0, 1);
    }
    if (hwnd->style & WS_HSCROLL) {
        hwnd->bars[SB_HORZ] = makeScrollBar(hwnd, SB_HORZ);
        grid->addWidget(hwnd->bars[SB_HORZ], 1, 0);
    }
    outer->addLayout(grid, 1);
    hwnd->client = client;
    return frame;
}

} // namespace

namespace win32 {

bool isLive(HWND hwnd) {
    return hwnd && liveWindows().count(hwnd);
}

HWND newWindow() {
    HWND h = new HWND__;
    liveWindows().insert(h);
    return h;
}

void freeDestroyedWindows() {
    for (HWND h : destroyedWindows()) {
        delete h->widget.data(); // normally gone already, through deleteLater()
        dropQueuedMessages(h);
        destroyMenu(h->menu); // as in Win32, a window's menu goes with it
        delete h;
    }
    destroyedWindows().clear();
}

void registerWidget(HWND hwnd, QWidget* w) {
    w->setProperty("win32.hwnd", QVariant::fromValue<void*>(hwnd));
}

HWND fromWidget(const QWidget* w) {
    for (; w; w = w->parentWidget()) {
        QVariant v = w->property("win32.hwnd");
        if (v.isValid())
            return static_cast<HWND>(v.value<void*>());
    }
    return nullptr;
}

QString fromAnsi(const char* s, int len) {
    return QString::fromLatin1(s, len);
}

QByteArray toAnsi(const QString& s) {
    return s.toLatin1();
}

QFont defaultFont(HWND) {
    return QApplication::font();
}

} // namespace win32

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || IS_INTRESOURCE(wc->lpszClassName))
        return 0;
    auto& c = classes();
    if (c.count(wc->lpszClassName))
        return 0;
    static ATOM next = 0xC000;
    ClassInfo info{*wc, {}};
    if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) {
        info.menuName = wc->lpszMenuName;
        info.wc.lpszMenuName = nullptr;
    }
    c[wc->lpszClassName] = info;
    return next++;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID) {
    if (!lpClassName || IS_INTRESOURCE(lpClassName))
        return nullptr;
    QString title = lpWindowName ? win32::fromAnsi(lpWindowName) : QString();

    if (!strcasecmp(lpClassName, STATUSCLASSNAMEA)) {
        if (!win32::isLive(hWndParent))
            return nullptr;
        HWND h = win32::newWindow();
        h->className = STATUSCLASSNAMEA;
        h->proc = win32::statusWndProc;
        h->parent = hWndParent;
        h->id = UINT_PTR(hMenu);
        h->style = dwStyle | WS_CHILD; // a status window is always its parent's child
        h->exStyle = dwExStyle;
        QWidget* w = win32::createControl(h, h->className, title, hWndParent->client,
                                          win32::defaultFont(hWndParent));
        h->widget = h->client = w;
        win32::registerWidget(h, w);
        SendMessageA(h, WM_CREATE, 0, 0);
        SendMessageA(h, WM_SIZE, 0, 0);
        if (dwStyle & WS_VISIBLE)
            w->show();
        return h;
    }

    auto it = classes().find(lpClassName);
    if (it == classes().end() || (dwStyle & WS_CHILD))
        return nullptr; // child windows of the program's own classes are not needed
    const ClassInfo& cls = it->second;

    HWND h = win32::newWindow();
    h->className = it->first;
    h->proc = cls.wc.lpfnWndProc;
    h->parent = hWndParent;
    h->style = dwStyle;
    h->exStyle = dwExStyle;
    h->background = cls.wc.hbrBackground;
    h->menu = hMenu;
    if (!h->menu) {
        HINSTANCE inst = cls.wc.hInstance ? cls.wc.hInstance : hInstance;
        if (cls.wc.lpszMenuName)
            h->menu = LoadMenuA(inst, cls.wc.lpszMenuName);
        else if (!cls.menuName.empty())
            h->menu = LoadMenuA(inst, cls.menuName.c_str());
    }

    QWidget* frame = buildTopLevel(h, title);
    h->widget = frame;
    win32::registerWidget(h, frame);
    frame->resize(nWidth == CW_USEDEFAULT ? 800 : nWidth, nHeight == CW_USEDEFAULT ? 600 : nHeight);
    if (X != CW_USEDEFAULT)
        frame->move(X, Y);
    frame->layout()->activate();

    if (SendMessageA(h, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(h);
        return nullptr;
    }
    if (!win32::isLive(h))
        return nullptr;
    h->lastSize = h->client->size();
    SendMessageA(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(h->lastSize.width(), h->lastSize.height()));
    if (win32::isLive(h) && (dwStyle & WS_VISIBLE))
        ShowWindow(h, SW_SHOW);
    return win32::isLive(h) ? h : nullptr;
}

BOOL WINAPI DestroyMenu(HMENU hMenu) {
    if (!hMenu)
        return FALSE;
    destroyMenu(hMenu);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
    return win32::isLive(hWnd);
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    if (!win32::isLive(hWnd) || hWnd->destroying)
        return FALSE;
    // WM_DESTROY goes to the window first, then to its children, each exactly once; the window
    // stays valid while they handle it.
    hWnd->destroying = true;
    if (hWnd->proc)
        hWnd->proc(hWnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    for (HWND c : liveWindows())
        if (c->parent == hWnd && (c->style & WS_CHILD))
            children.push_back(c);
    for (HWND c : children)
        DestroyWindow(c);
    // The widget may be in the middle of one of its own event handlers (the close box): it goes
    // when the message loop next waits.
    if (hWnd->widget) {
        hWnd->widget->hide();
        hWnd->widget->deleteLater();
    }
    liveWindows().erase(hWnd);
    // A handler further up the stack may still hold the record: it goes with the widget.
    destroyedWindows().push_back(hWnd);
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    if (!win32::isLive(hWnd) || !hWnd->widget)
        return FALSE;
    BOOL wasVisible = hWnd->widget->isVisible();
    if (nCmdShow == SW_HIDE) {
        hWnd->widget->hide();
    } else {
        hWnd->widget->show();
        if (hWnd->client && hWnd->client != hWnd->widget)
            hWnd->client->setFocus();
    }
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    if (!win32::isLive(hWnd) || !hWnd->client)
        return FALSE;
    hWnd->client->repaint();
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!win32::isLive(hWnd))
        return 0;
    switch (Msg) {
    case WM_CLOSE: DestroyWindow(hWnd); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_GETTEXTLENGTH: {
        char buf[1];
        return GetWindowTextA(hWnd, buf, 0);
    }
    case WM_GETTEXT: return GetWindowTextA(hWnd, reinterpret_cast<LPSTR>(lParam), int(wParam));
    case WM_SETTEXT: return SetWindowTextA(hWnd, reinterpret_cast<LPCSTR>(lParam));
    default: return 0;
    }
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    if (!win32::isLive(hWnd) || !hWnd->client || !lpRect)
        return FALSE;
    *lpRect = RECT{0, 0, hWnd->client->width(), hWnd->client->height()};
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT*, BOOL) {
    if (!win32::isLive(hWnd) || !hWnd->client)
        return FALSE;
    hWnd->client->update();
    return TRUE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    if (!win32::isLive(hWnd) || !hWnd->widget)
        return FALSE;
    BOOL wasDisabled = !hWnd->widget->isEnabled();
    hWnd->widget->setEnabled(bEnable != FALSE);
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    return win32::isLive(hWnd) && hWnd->widget && hWnd->widget->isEnabled();
}

HWND WINAPI SetFocus(HWND hWnd) {
    HWND previous = GetFocus();
    if (win32::isLive(hWnd) && hWnd->client)
        hWnd->client->setFocus(Qt::OtherFocusReason);
    return previous;
}

HWND WINAPI GetFocus() {
    return win32::fromWidget(QApplication::focusWidget());
}

HWND WINAPI GetParent(HWND hWnd) {
    return win32::isLive(hWnd) ? hWnd->parent : nullptr;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (!win32::isLive(hWnd) || !hWnd->widget)
        return 0;
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(hWnd->widget.data()))
        text = edit->text();
    else if (hWnd->className == STATUSCLASSNAMEA)
        text = win32::fromAnsi(hWnd->partTexts.empty() ? "" : hWnd->partTexts[0].c_str());
    else if (QVariant v = hWnd->widget->property("text"); v.isValid() && !hWnd->widget->isWindow())
        text = v.toString();
    else
        text = hWnd->widget->windowTitle();
    QByteArray bytes = win32::toAnsi(text);
    if (nMaxCount <= 0 || !lpString)
        return int(bytes.size());
    int n = std::min<int>(int(bytes.size()), nMaxCount - 1);
    std::memcpy(lpString, bytes.constData(), size_t(n));
    lpString[n] = '\0';
    return n;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (!win32::isLive(hWnd) || !hWnd->widget)
        return FALSE;
    QString text = win32::fromAnsi(lpString ? lpString : "");
    if (auto* edit = qobject_cast<QLineEdit*>(hWnd->widget.data()))
        edit->setText(text);
    else if (!hWnd->widget->isWindow() && hWnd->widget->property("text").isValid())
        hWnd->widget->setProperty("text", text);
    else
        hWnd->widget->setWindowTitle(text);
    return TRUE;
}

// --- Scroll bars -------------------------------------------------------------------------------

int WINAPI SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL) {
    if (!win32::isLive(hWnd) || (nBar != SB_VERT && nBar != SB_HORZ) || !hWnd->bars[nBar])
        return FALSE;
    ScrollState& s = hWnd->scroll[nBar];
    s.min = nMinPos;
    s.max = nMaxPos;
    s.pos = std::clamp(s.pos, std::min(s.min, s.max), std::max(s.min, s.max));
    QScrollBar* sb = hWnd->bars[nBar];
    {
        QSignalBlocker block(sb);
        sb->setRange(nMinPos, nMaxPos);
        sb->setPageStep(1);
        sb->setSliderPosition(s.pos);
    }
    // An empty range hides the bar and the client area grows. WM_SIZE follows at once, except
    // during WM_PAINT, where the window cannot be laid out again: then it follows the paint.
    bool visible = nMinPos != nMaxPos;
    if (sb->isVisibleTo(hWnd->widget) != visible) {
        sb->setVisible(visible);
        if (!hWnd->painter && hWnd->widget && hWnd->widget->layout())
            hWnd->widget->layout()->activate();
    }
    return TRUE;
}

int WINAPI SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL) {
    if (!win32::isLive(hWnd) || (nBar != SB_VERT && nBar != SB_HORZ) || !hWnd->bars[nBar])
        return 0;
    ScrollState& s = hWnd->scroll[nBar];
    int previous = s.pos;
    s.pos = std::clamp(nPos, std::min(s.min, s.max), std::max(s.min, s.max));
    QSignalBlocker block(hWnd->bars[nBar]);
    hWnd->bars[nBar]->setSliderPosition(s.pos);
    return previous;
}

int WINAPI GetScrollPos(HWND hWnd, int nBar) {
    if (!win32::isLive(hWnd) || (nBar != SB_VERT && nBar != SB_HORZ))
        return 0;
    return hWnd->scroll[nBar].pos;
}

// --- The bridge for tests ----------------------------------------------------------------------

QWidget* Win32_Widget(HWND hwnd) {
    return win32::isLive(hwnd) ? hwnd->widget.data() : nullptr;
}
QWidget* Win32_Client(HWND hwnd) {
    return win32::isLive(hwnd) ? hwnd->client.data() : nullptr;
}
QScrollBar* Win32_ScrollBar(HWND hwnd, int bar) {
    return win32::isLive(hwnd) && (bar == SB_VERT || bar == SB_HORZ) ? hwnd->bars[bar].data()
                                                                     : nullptr;
}
QMenuBar* Win32_MenuBar(HWND hwnd) {
    return win32::isLive(hwnd) ? hwnd->menuBar.data() : nullptr;
}
HWND Win32_WindowOf(const QWidget* widget) {
    return win32::fromWidget(widget);
}
