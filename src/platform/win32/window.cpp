// Window classes, windows, their sizes, scroll bars and menus on Qt widgets.
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QSet>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <map>
#include <set>
#include <strings.h>

#include "internal.h"
#include "win32_qt.h"

// A key as if from the window system, through all of Qt's key handling (QtGui exports it for Qt's
// test library): the menu bar's Alt handling answers only to a key that comes that way.
Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* w, QEvent::Type t, int k, Qt::KeyboardModifiers mods,
                                    const QString& text = QString(), bool autorep = false,
                                    ushort count = 1);

namespace {

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};
std::map<std::string, WNDCLASSA, NoCase>& classes() {
    static std::map<std::string, WNDCLASSA, NoCase> c;
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

// The window that stands for a disabled `owner`: the one shown over it that takes input, through
// any disabled ones between (a message box over a dialog over the main window).
QWidget* enabledPopup(const QWidget* owner) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || !w->windowHandle() || !owner->windowHandle() ||
            w->windowHandle()->transientParent() != owner->windowHandle())
            continue;
        HWND h = win32::fromWidget(w);
        if (!win32::isLive(h) || !h->disabled)
            return w;
        if (QWidget* over = enabledPopup(w))
            return over;
    }
    return nullptr;
}

// Input to a top-level window that EnableWindow disabled goes nowhere. In Win32 such a window
// looks as before; only its input stops, so the widgets are not disabled. Nor is it ever the
// active window: when the window manager makes it so (a click on it), the window over it that
// takes input comes to the front with the keyboard instead.
class DisabledInputFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override {
        if (ev->type() == QEvent::WindowActivate) {
            auto* w = qobject_cast<QWidget*>(obj);
            HWND top = w && w->isWindow() ? win32::fromWidget(w) : nullptr;
            if (QWidget* over = win32::isLive(top) && top->disabled ? enabledPopup(w) : nullptr)
                QTimer::singleShot(0, over, [over] {
                    over->raise();
                    over->activateWindow();
                });
            return false;
        }
        static const QSet<QEvent::Type> input = {QEvent::KeyPress,
                                                 QEvent::KeyRelease,
                                                 QEvent::ShortcutOverride,
                                                 QEvent::Shortcut,
                                                 QEvent::MouseButtonPress,
                                                 QEvent::MouseButtonRelease,
                                                 QEvent::MouseButtonDblClick,
                                                 QEvent::Wheel,
                                                 QEvent::ContextMenu};
        auto* w = qobject_cast<QWidget*>(obj);
        HWND top = w && input.contains(ev->type()) ? win32::fromWidget(w->window()) : nullptr;
        return win32::isLive(top) && top->disabled;
    }
};

// The client area of a top-level window: paints, sizes and keys become messages.
class ClientWidget : public QWidget {
public:
    explicit ClientWidget(HWND hwnd) : hwnd_(hwnd) {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!win32::isLive(hwnd_) || window()->isMinimized()) // no WM_PAINT for an icon
            return;
        QPainter painter(this);
        hwnd_->painter = &painter;
        SendMessageA(hwnd_, WM_PAINT, 0, 0);
        hwnd_->painter = nullptr;
    }
    void resizeEvent(QResizeEvent*) override {
        if (win32::isLive(hwnd_) && !window()->isMinimized() && size() != hwnd_->clientSize)
            win32::sendSize(hwnd_, size());
    }
    void keyPressEvent(QKeyEvent* ev) override { win32::postKey(hwnd_, ev); }

private:
    HWND hwnd_;
};

// A top-level window's frame. Closing it asks the program (WM_CLOSE) instead of closing;
// minimising and restoring are sizes, as in Win32.
class FrameWidget : public QWidget {
public:
    explicit FrameWidget(HWND hwnd) : hwnd_(hwnd) {}

protected:
    void closeEvent(QCloseEvent* ev) override {
        ev->ignore();
        if (win32::isLive(hwnd_) && !hwnd_->disabled)
            SendMessageA(hwnd_, WM_CLOSE, 0, 0);
    }
    void changeEvent(QEvent* ev) override {
        if (ev->type() != QEvent::WindowStateChange || !win32::isLive(hwnd_) || !hwnd_->client)
            return;
        auto old = static_cast<QWindowStateChangeEvent*>(ev)->oldState();
        if (isMinimized())
            win32::sendSize(hwnd_, QSize(0, 0));
        else if (old & Qt::WindowMinimized)
            win32::sendSize(hwnd_, hwnd_->client->size());
    }
    // While the menu bar has the keyboard, keys are the menu loop's, and one it does not use does
    // nothing: no accelerator, as in Win32.
    void keyPressEvent(QKeyEvent* ev) override {
        if (win32::isLive(hwnd_) && !(hwnd_->menuBar && hwnd_->menuBar->hasFocus()))
            win32::postKey(hwnd_, ev);
    }

private:
    HWND hwnd_;
};

// Win32's scroll bar: clicks in the trough page, they do not jump; and without a page size (the
// program sets a range alone) the thumb keeps its least length, 16 pixels, whatever the range.
class Win32ScrollStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* opt, const QWidget* w) const override {
        return metric == PM_ScrollBarSliderMin ? 16 : QProxyStyle::pixelMetric(metric, opt, w);
    }
    int styleHint(StyleHint hint, const QStyleOption* opt, const QWidget* w,
                  QStyleHintReturn* ret) const override {
        if (hint == SH_ScrollBar_LeftClickAbsolutePosition ||
            hint == SH_ScrollBar_MiddleClickAbsolutePosition)
            return 0;
        return QProxyStyle::styleHint(hint, opt, w, ret);
    }
};

// A window's scroll bar reports Win32's actions as WM_VSCROLL/WM_HSCROLL and otherwise shows the
// position the program set.
class ScrollBar : public QScrollBar {
public:
    ScrollBar(HWND hwnd, int bar)
        : QScrollBar(bar == SB_VERT ? Qt::Vertical : Qt::Horizontal), hwnd_(hwnd), bar_(bar) {
        static Win32ScrollStyle* style = new Win32ScrollStyle;
        setStyle(style);
        setFocusPolicy(Qt::NoFocus);
        setRange(hwnd->scroll[bar].min, hwnd->scroll[bar].max);
        setPageStep(0); // no page size: the thumb's length says nothing of the range
        connect(this, &QAbstractSlider::actionTriggered, this, &ScrollBar::action);
        connect(this, &QAbstractSlider::sliderReleased, this, [this] {
            report(SB_THUMBPOSITION, sliderPosition());
            report(SB_ENDSCROLL, 0);
            restore();
        });
    }
    // Puts the thumb where the program left it, without reporting that as a user action.
    void restore() {
        if (!win32::isLive(hwnd_))
            return;
        QSignalBlocker block(this);
        setSliderPosition(hwnd_->scroll[bar_].pos);
    }

protected:
    void wheelEvent(QWheelEvent* ev) override { ev->accept(); }
    void mousePressEvent(QMouseEvent* ev) override {
        if (ev->button() == Qt::LeftButton)
            QScrollBar::mousePressEvent(ev);
    }
    void mouseReleaseEvent(QMouseEvent* ev) override {
        bool tracking = isSliderDown();
        QScrollBar::mouseReleaseEvent(ev);
        if (ev->button() == Qt::LeftButton && !tracking)
            report(SB_ENDSCROLL, 0);
    }
    // Win32's menu of the bar; "Scroll Here" reports where it was opened.
    void contextMenuEvent(QContextMenuEvent* ev) override {
        static const int codes[] = {SB_THUMBPOSITION, -1,          SB_TOP, SB_BOTTOM, -1,
                                    SB_PAGEUP,        SB_PAGEDOWN, -1,     SB_LINEUP, SB_LINEDOWN};
        const QStringList texts =
            QString::fromLatin1(
                orientation() == Qt::Vertical
                    ? "Scroll Here||Top|Bottom||Page Up|Page Down||Scroll Up|Scroll Down"
                    : "Scroll Here||Left Edge|Right Edge||Page Left|Page Right||"
                      "Scroll Left|Scroll Right")
                .split(QLatin1Char('|'));
        QMenu menu;
        for (int i = 0; i < int(texts.size()); ++i) {
            if (codes[i] < 0)
                menu.addSeparator();
            else
                menu.addAction(texts[i])->setData(codes[i]);
        }
        QAction* chosen = menu.exec(ev->globalPos());
        if (!chosen)
            return;
        int code = chosen->data().toInt();
        report(code, code == SB_THUMBPOSITION ? valueAt(ev->pos()) : 0);
        report(SB_ENDSCROLL, 0);
        restore();
    }

private:
    void report(int code, int thumb) {
        if (win32::isLive(hwnd_))
            SendMessageA(hwnd_, bar_ == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, thumb),
                         0);
    }
    void action(int a) {
        int code = -1;
        switch (a) {
        case SliderSingleStepSub: code = SB_LINEUP; break;
        case SliderSingleStepAdd: code = SB_LINEDOWN; break;
        case SliderPageStepSub: code = SB_PAGEUP; break;
        case SliderPageStepAdd: code = SB_PAGEDOWN; break;
        case SliderToMinimum: code = SB_TOP; break;
        case SliderToMaximum: code = SB_BOTTOM; break;
        case SliderMove: code = isSliderDown() ? SB_THUMBTRACK : -1; break; // a dragged thumb only
        default: break;
        }
        if (code >= 0)
            report(code, code == SB_THUMBTRACK ? sliderPosition() : 0);
        if (code != SB_THUMBTRACK)
            restore(); // the position the action asked for is the program's to take
    }
    // The position a point of the trough stands for, as "Scroll Here" reports it.
    int valueAt(QPoint at) {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        QRect groove =
            style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarGroove, this);
        QRect thumb =
            style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, this);
        bool v = orientation() == Qt::Vertical;
        int length = v ? thumb.height() : thumb.width();
        int pos = (v ? at.y() - groove.top() : at.x() - groove.left()) - length / 2;
        return QStyle::sliderValueFromPosition(minimum(), maximum(), pos,
                                               (v ? groove.height() : groove.width()) - length);
    }

    HWND hwnd_;
    int bar_;
};

QWidget* buildTopLevel(HWND hwnd, const QString& title) {
    auto* frame = new FrameWidget(hwnd);
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
        hwnd->menuBar = bar;
        win32::buildMenuBar(hwnd, bar);
        outer->setMenuBar(bar);
    }
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    auto* client = new ClientWidget(hwnd);
    grid->addWidget(client, 0, 0);
    if (hwnd->style & WS_VSCROLL)
        grid->addWidget(hwnd->bars[SB_VERT] = new ScrollBar(hwnd, SB_VERT), 0, 1);
    if (hwnd->style & WS_HSCROLL)
        grid->addWidget(hwnd->bars[SB_HORZ] = new ScrollBar(hwnd, SB_HORZ), 1, 0);
    outer->addLayout(grid, 1);
    hwnd->client = client;
    return frame;
}

// Windows-1252 between 0x80 and 0x9F; the rest of it is Latin-1. The five unused codes map to
// the control characters of the same number, as Windows maps them.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

namespace win32 {

bool isLive(HWND hwnd) {
    return hwnd && liveWindows().count(hwnd);
}

HWND newWindow() {
    static bool filtering = false;
    if (!filtering) {
        qApp->installEventFilter(new DisabledInputFilter(qApp));
        filtering = true;
    }
    HWND h = new HWND__;
    liveWindows().insert(h);
    return h;
}

void freeDestroyedWindows() {
    for (HWND h : destroyedWindows()) {
        delete h->widget.data(); // normally gone already, through deleteLater()
        destroyMenu(h->menu);    // as in Win32, a window's menu goes with it
        delete h->font;
        delete h;
    }
    destroyedWindows().clear();
}

void destroyWindow(HWND hWnd) {
    if (!isLive(hWnd) || hWnd->destroying)
        return;
    // WM_DESTROY goes to the window first, then to its children, each exactly once; the window
    // stays valid while they handle it.
    hWnd->destroying = true;
    SendMessageA(hWnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    for (HWND c : liveWindows())
        if (c->parent == hWnd && (c->style & WS_CHILD))
            children.push_back(c);
    for (HWND c : children)
        destroyWindow(c);
    // The widget may be in the middle of one of its own event handlers (the close box): it goes
    // when the message loop next waits.
    if (hWnd->widget) {
        hWnd->widget->hide();
        hWnd->widget->deleteLater();
    }
    liveWindows().erase(hWnd);
    dropQueuedMessages(hWnd);
    destroyedWindows().push_back(hWnd);
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

bool isEnabled(HWND hwnd) {
    return isLive(hwnd) && hwnd->widget && !hwnd->disabled && hwnd->widget->isEnabled();
}

void sendSize(HWND hwnd, QSize size) {
    hwnd->clientSize = size;
    QWidget* frame = hwnd->widget;
    WPARAM type = frame->isMinimized()   ? SIZE_MINIMIZED
                  : frame->isMaximized() ? SIZE_MAXIMIZED
                                         : SIZE_RESTORED;
    SendMessageA(hwnd, WM_SIZE, type, MAKELPARAM(size.width(), size.height()));
}

void placeOver(QWidget* w, HWND owner) {
    if (!isLive(owner) || !owner->widget)
        return;
    w->winId(); // makes the native window, which can then stand over the owner's
    if (QWindow* top = owner->widget->window()->windowHandle())
        w->windowHandle()->setTransientParent(top);
}

QString fromAnsi(const char* s, int len) {
    QString text;
    if (len < 0)
        len = int(std::strlen(s));
    text.reserve(len);
    for (int i = 0; i < len; ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        text.append(c >= 0x80 && c < 0xA0 ? QChar(kCp1252High[c - 0x80]) : QChar(c));
    }
    return text;
}

QByteArray toAnsi(const QString& s) {
    QByteArray bytes;
    bytes.reserve(s.size());
    for (QChar ch : s) {
        char16_t u = ch.unicode();
        const char16_t* hit = std::find(kCp1252High, kCp1252High + 32, u);
        if (hit != kCp1252High + 32)
            bytes.append(char(0x80 + (hit - kCp1252High)));
        else
            bytes.append(u < 0x100 && (u < 0x80 || u >= 0xA0) ? char(u) : '?');
    }
    return bytes;
}

QString windowText(HWND hwnd) {
    if (!isLive(hwnd) || !hwnd->widget)
        return {};
    if (auto* edit = qobject_cast<QLineEdit*>(hwnd->widget.data()))
        return edit->text();
    if (hwnd->className == STATUSCLASSNAMEA)
        return fromAnsi(hwnd->partTexts.empty() ? "" : hwnd->partTexts[0].c_str());
    if (QVariant v = hwnd->widget->property("text"); v.isValid() && !hwnd->widget->isWindow())
        return v.toString();
    return hwnd->widget->windowTitle();
}

void setWindowText(HWND hwnd, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(hwnd->widget.data()))
        edit->setText(text);
    else if (!hwnd->widget->isWindow())
        hwnd->widget->setProperty("text", text);
    else
        hwnd->widget->setWindowTitle(text);
}

} // namespace win32

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || IS_INTRESOURCE(wc->lpszClassName) ||
        classes().count(wc->lpszClassName))
        return 0;
    static ATOM next = 0xC000;
    classes()[wc->lpszClassName] = *wc;
    return next++;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID) {
    if (!lpClassName || IS_INTRESOURCE(lpClassName))
        return nullptr;
    QString title = win32::fromAnsi(lpWindowName ? lpWindowName : "");

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
        QWidget* w = win32::createStatusWidget(h, title, hWndParent->client);
        h->widget = h->client = w;
        win32::registerWidget(h, w);
        SendMessageA(h, WM_CREATE, 0, 0);
        SendMessageA(h, WM_SIZE, 0, 0);
        w->setVisible(dwStyle & WS_VISIBLE);
        return h;
    }

    auto it = classes().find(lpClassName);
    if (it == classes().end() || (dwStyle & WS_CHILD))
        return nullptr;
    const WNDCLASSA& cls = it->second;

    HWND h = win32::newWindow();
    h->className = it->first;
    h->proc = cls.lpfnWndProc;
    h->parent = hWndParent;
    h->style = dwStyle;
    h->exStyle = dwExStyle;
    h->background = cls.hbrBackground;
    h->menu = hMenu ? hMenu
                    : win32::loadMenu(cls.hInstance ? cls.hInstance : hInstance, cls.lpszMenuName);

    QWidget* frame = buildTopLevel(h, title);
    h->widget = frame;
    win32::registerWidget(h, frame);
    frame->resize(nWidth == CW_USEDEFAULT ? 800 : nWidth, nHeight == CW_USEDEFAULT ? 600 : nHeight);
    if (X != CW_USEDEFAULT)
        frame->move(X, Y);
    frame->layout()->activate();

    if (SendMessageA(h, WM_CREATE, 0, 0) == -1) {
        win32::destroyWindow(h);
        return nullptr;
    }
    if (win32::isLive(h))
        win32::sendSize(h, h->client->size());
    if (win32::isLive(h) && (dwStyle & WS_VISIBLE))
        ShowWindow(h, SW_SHOW);
    return win32::isLive(h) ? h : nullptr;
}

BOOL WINAPI ShowWindow(HWND hWnd, int) {
    if (!win32::isLive(hWnd) || !hWnd->widget)
        return FALSE;
    BOOL wasVisible = hWnd->widget->isVisible();
    hWnd->widget->show();
    hWnd->widget->activateWindow();
    if (hWnd->client && hWnd->client != hWnd->widget)
        hWnd->client->setFocus();
    return wasVisible;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM) {
    if (!win32::isLive(hWnd))
        return 0;
    switch (Msg) {
    case WM_CLOSE: win32::destroyWindow(hWnd); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_GETFONT:
        if (!(hWnd->style & WS_CHILD) || !hWnd->widget)
            return 0;
        if (!hWnd->font) // the dialog's, which the program does not delete
            hWnd->font = new HFONT__{{GdiObject::Font, true}, hWnd->widget->font()};
        return LRESULT(hWnd->font);
    case WM_SYSKEYDOWN:
        // F10 enters the menu bar from the keyboard, as Alt alone does: an Alt press and release.
        if (wParam == VK_F10 && hWnd->menuBar) {
            QWindow* w = hWnd->widget->window()->windowHandle();
            qt_handleKeyEvent(w, QEvent::KeyPress, Qt::Key_Alt, Qt::NoModifier);
            qt_handleKeyEvent(w, QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
        }
        return 0;
    default: return 0;
    }
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    if (!win32::isLive(hWnd) || !lpRect)
        return FALSE;
    *lpRect = RECT{0, 0, hWnd->clientSize.width(), hWnd->clientSize.height()};
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
    BOOL wasDisabled = !win32::isEnabled(hWnd);
    if (hWnd->widget->isWindow())
        hWnd->disabled = !bEnable;
    else
        hWnd->widget->setEnabled(bEnable != FALSE);
    return wasDisabled;
}

HWND WINAPI SetFocus(HWND hWnd) {
    HWND previous = win32::fromWidget(QApplication::focusWidget());
    if (win32::isLive(hWnd) && hWnd->client)
        hWnd->client->setFocus(Qt::OtherFocusReason);
    return previous;
}

// --- Scroll bars -------------------------------------------------------------------------------

int WINAPI SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL) {
    if (!win32::isLive(hWnd) || (nBar != SB_VERT && nBar != SB_HORZ) || !hWnd->bars[nBar])
        return FALSE;
    ScrollState& s = hWnd->scroll[nBar];
    auto* sb = static_cast<ScrollBar*>(hWnd->bars[nBar].data());
    s.min = nMinPos;
    s.max = nMaxPos;
    s.pos = std::clamp(s.pos, std::min(s.min, s.max), std::max(s.min, s.max));
    {
        QSignalBlocker block(sb);
        sb->setRange(nMinPos, nMaxPos);
    }
    sb->restore();
    // An empty range hides the bar and the client area grows: the window is laid out again at
    // once, during WM_PAINT too, so that WM_SIZE reaches the program before this returns.
    bool shown = nMinPos != nMaxPos;
    if (shown != s.shown) {
        s.shown = shown;
        sb->setVisible(shown);
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
    static_cast<ScrollBar*>(hWnd->bars[nBar].data())->restore();
    return previous;
}

// --- Menus: the menu bar and the menu loop -----------------------------------------------------

namespace {

// WM_MENUSELECT is sent only inside the menu loop: while a menu is open, or while the bar is
// navigated from the keyboard. The loop ends, and the closing is reported once, when neither is.
void menuSelect(HWND hwnd, WORD item, WORD flags, HMENU menu) {
    hwnd->inMenuLoop = true;
    if (menu == hwnd->menu)
        hwnd->menuTitle = item;
    SendMessageA(hwnd, WM_MENUSELECT, MAKEWPARAM(item, flags), LPARAM(menu));
}

void endMenuLoopLater(HWND hwnd) {
    // Qt hides one pop-up before it shows the next: the loop has ended only when none is open.
    QTimer::singleShot(0, [hwnd] {
        if (!win32::isLive(hwnd) || !hwnd->inMenuLoop || QApplication::activePopupWidget() ||
            (hwnd->menuBar && hwnd->menuBar->hasFocus()))
            return;
        hwnd->inMenuLoop = false;
        hwnd->menuTitle = -1;
        SendMessageA(hwnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    });
}

class MenuBarFocus : public QObject {
public:
    explicit MenuBarFocus(HWND hwnd, QObject* parent) : QObject(parent), hwnd_(hwnd) {}

protected:
    bool eventFilter(QObject*, QEvent* ev) override {
        if (ev->type() == QEvent::FocusOut)
            endMenuLoopLater(hwnd_);
        return false;
    }

private:
    HWND hwnd_;
};

} // namespace

// A label as Win32 draws it: every single '&' is a prefix and goes, and only the character after
// the last one is underlined ("&E&xit" shows Exit with the x underlined, though E chooses it);
// "&&" is one '&'. In Qt's terms: the last prefix kept, the others dropped.
QString lastPrefixOnly(const QString& label) {
    QString out;
    qsizetype last = -1;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] == QLatin1Char('&') && i + 1 < label.size()) {
            if (label[++i] != QLatin1Char('&')) {
                last = out.size();
                out += label[i];
                continue;
            }
            out += QLatin1Char('&');
        }
        out += label[i];
    }
    if (last >= 0)
        out.insert(last, QLatin1Char('&'));
    return out;
}

// Win32's menus: Alt alone, and F10, select the bar's first title for the keyboard; a selected
// title is drawn highlighted whether its pop-up is open or not; labels underline as Win32's do.
class Win32MenuBarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* opt, const QWidget* w,
                  QStyleHintReturn* ret) const override {
        return hint == SH_MenuBar_AltKeyNavigation ? 1 : QProxyStyle::styleHint(hint, opt, w, ret);
    }
    void drawControl(ControlElement element, const QStyleOption* opt, QPainter* p,
                     const QWidget* w) const override {
        const auto* menuItem = qstyleoption_cast<const QStyleOptionMenuItem*>(opt);
        if (!menuItem || (element != CE_MenuBarItem && element != CE_MenuItem))
            return QProxyStyle::drawControl(element, opt, p, w);
        QStyleOptionMenuItem item = *menuItem;
        item.text = lastPrefixOnly(item.text);
        if (element == CE_MenuBarItem && (opt->state & State_Selected))
            item.state |= State_Sunken;
        QProxyStyle::drawControl(element, &item, p, w);
    }
};

void win32::buildMenuBar(HWND hwnd, QMenuBar* bar) {
    static Win32MenuBarStyle* style = new Win32MenuBarStyle;
    bar->setStyle(style);
    bar->setNativeMenuBar(false);
    HMENU menu = hwnd->menu;
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const auto& title = menu->items[i];
        QMenu* popup = bar->addMenu(fromAnsi(title.text.c_str()));
        popup->setStyle(style);
        HMENU sub = title.popup;
        WORD position = WORD(i);
        popup->menuAction()->setData(int(position));
        QObject::connect(popup, &QMenu::aboutToShow, popup, [hwnd, position, menu] {
            menuSelect(hwnd, position, MF_POPUP | MF_HILITE, menu);
        });
        QObject::connect(popup, &QMenu::aboutToHide, popup, [hwnd] { endMenuLoopLater(hwnd); });
        for (const auto& item : sub ? sub->items : std::vector<HMENU__::Item>{}) {
            if (item.flags & MFT_SEPARATOR) {
                popup->addSeparator();
                continue;
            }
            QAction* a = popup->addAction(fromAnsi(item.text.c_str()));
            WORD id = item.id;
            // Choosing an item posts its command, as Win32's menu loop does.
            QObject::connect(a, &QAction::triggered, a,
                             [hwnd, id] { PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); });
            QObject::connect(a, &QAction::hovered, popup,
                             [hwnd, id, sub] { menuSelect(hwnd, id, MF_HILITE, sub); });
        }
    }
    // A title highlighted from the keyboard, without its pop-up open. The pointer passing over
    // the closed bar highlights titles too, but that is not the menu loop. The bar takes the
    // focus only after it has highlighted the first title, so this looks once it has. Escape in
    // a pop-up goes back to its title, which stays selected: as in Win32, nothing is reported,
    // and the bar keeps the description of the item last highlighted.
    QObject::connect(bar, &QMenuBar::hovered, bar, [hwnd, bar, menu](QAction* a) {
        QTimer::singleShot(0, bar, [hwnd, bar, menu, a = QPointer<QAction>(a)] {
            if (a && a->menu() && bar->activeAction() == a && bar->hasFocus() &&
                !QApplication::activePopupWidget() && a->data().toInt() != hwnd->menuTitle)
                menuSelect(hwnd, WORD(a->data().toInt()), MF_POPUP | MF_HILITE, menu);
        });
    });
    bar->installEventFilter(new MenuBarFocus(hwnd, bar));
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
std::string Win32_Text(HWND hwnd) {
    return win32::toAnsi(win32::windowText(hwnd)).toStdString();
}
bool Win32_IsEnabled(HWND hwnd) {
    return win32::isEnabled(hwnd);
}
