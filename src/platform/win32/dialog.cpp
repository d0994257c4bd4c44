// Modal dialogs from templates, their controls, and message boxes.
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <qdrawutil.h>

#include <cstring>
#include <strings.h>

#include "internal.h"

namespace {

// The sunken edges of WS_EX_CLIENTEDGE (two pixels) and WS_EX_STATICEDGE (one), drawn around the
// window's client area as Win32 draws them in the non-client area.
int edgeWidth(DWORD exStyle) {
    return (exStyle & WS_EX_CLIENTEDGE) ? 2 : (exStyle & WS_EX_STATICEDGE) ? 1 : 0;
}

void drawEdge(QWidget* w, DWORD exStyle) {
    QPainter p(w);
    if (exStyle & WS_EX_CLIENTEDGE)
        qDrawWinPanel(&p, w->rect(), w->palette(), true);
    else if (exStyle & WS_EX_STATICEDGE)
        qDrawShadePanel(&p, w->rect(), w->palette(), true, 1);
}

// The frame of a control with an edge of its own around it.
class EdgeWidget : public QWidget {
public:
    EdgeWidget(DWORD exStyle, QWidget* parent) : QWidget(parent), exStyle_(exStyle) {}

protected:
    void paintEvent(QPaintEvent*) override { drawEdge(this, exStyle_); }

private:
    DWORD exStyle_;
};

// A static control draws its text as Win32's does: broken at blanks to its width as DrawTextA's
// DT_WORDBREAK breaks it, each line centred or at the left, and cut at the control's edges.
class StaticWidget : public QLabel {
public:
    StaticWidget(const QString& text, bool centred, QWidget* parent)
        : QLabel(text, parent), centred_(centred) {
        setTextFormat(Qt::PlainText); // what it holds, as it draws it
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        const QFontMetrics fm = fontMetrics();
        int y = 0;
        for (const QString& line : win32::textLines(text(), fm, width())) {
            int x = centred_ ? (width() - fm.horizontalAdvance(line)) / 2 : 0;
            p.drawText(QPoint(x, y + fm.ascent()), line);
            y += fm.height();
        }
    }

private:
    bool centred_;
};

int mulDiv(int a, int b, int c) {
    long long n = (long long)a * b;
    return int((n >= 0 ? n + c / 2 : n - c / 2) / c);
}

// Dialog base units of a font: the average width of the 52 Latin letters, and the height.
QSize baseUnits(const QFont& font) {
    QFontMetrics fm(font);
    int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((width / 26 + 1) / 2, fm.height());
}

// Dialog units to pixels, rounded as MulDiv rounds them.
QRect toPixels(QSize base, int x, int y, int cx, int cy) {
    return QRect(mulDiv(x, base.width(), 4), mulDiv(y, base.height(), 8),
                 mulDiv(cx, base.width(), 4), mulDiv(cy, base.height(), 8));
}

void command(HWND dlg, int id, HWND control) {
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(control));
}

void notifyParent(HWND control, WORD code) {
    if (win32::isLive(control) && win32::isLive(control->parent) && !control->parent->dialogEnded)
        SendMessageA(control->parent, WM_COMMAND, MAKEWPARAM(control->id, code), LPARAM(control));
}

std::vector<std::pair<HWND, QPushButton*>> pushButtons(HWND dlg) {
    std::vector<std::pair<HWND, QPushButton*>> buttons;
    for (QPushButton* b : dlg->client->findChildren<QPushButton*>())
        if (HWND h = win32::fromWidget(b); h && h->parent == dlg)
            buttons.emplace_back(h, b);
    return buttons;
}

// The dialog manager's key handling (Escape, Enter); true when the key was used.
bool dialogKey(HWND dlg, int vk) {
    if (!win32::isLive(dlg) || dlg->dialogEnded)
        return false;
    if (vk == VK_ESCAPE) {
        command(dlg, IDCANCEL, GetDlgItem(dlg, IDCANCEL));
        return true;
    }
    if (vk != VK_RETURN)
        return false;
    for (auto [h, b] : pushButtons(dlg)) {
        if (b->isDefault() && win32::isEnabled(h)) {
            command(dlg, int(h->id), h);
            return true;
        }
    }
    command(dlg, IDOK, nullptr);
    return true;
}

LRESULT dialogManagerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    INT_PTR handled = hwnd->dlgProc(hwnd, msg, wParam, lParam);
    if (handled || msg == WM_INITDIALOG)
        return handled;
    if (msg == WM_CLOSE) // as the dialog manager does: the close box means Cancel
        command(hwnd, IDCANCEL, GetDlgItem(hwnd, IDCANCEL));
    return 0;
}

// A dialog's window: the close box and the dialog keys go to the dialog procedure.
class DialogWidget : public QWidget {
public:
    explicit DialogWidget(HWND hwnd) : QWidget(nullptr, Qt::Dialog), hwnd_(hwnd) {}

protected:
    void closeEvent(QCloseEvent* ev) override {
        ev->ignore();
        if (win32::isLive(hwnd_) && !hwnd_->disabled)
            SendMessageA(hwnd_, WM_CLOSE, 0, 0);
    }
    void keyPressEvent(QKeyEvent* ev) override {
        if (!dialogKey(hwnd_, win32::virtualKey(ev)))
            QWidget::keyPressEvent(ev);
    }
    void paintEvent(QPaintEvent*) override { drawEdge(this, hwnd_->exStyle); }

private:
    HWND hwnd_;
};

// A push button that has the keyboard focus is the default button while it has it; elsewhere in
// the dialog the template's default push button is.
void followFocus(QWidget*, QWidget* now) {
    HWND focus = win32::fromWidget(now);
    if (!win32::isLive(focus) || !win32::isLive(focus->parent) || !focus->parent->dlgProc)
        return;
    bool onButton = qobject_cast<QPushButton*>(focus->widget.data());
    for (auto [h, b] : pushButtons(focus->parent))
        b->setDefault(onButton ? h == focus : (h->style & 0x0F) == BS_DEFPUSHBUTTON);
}

QWidget* createControl(HWND hwnd, const char* cls, const QString& text, QWidget* parent) {
    QWidget* w = nullptr;
    if (!strcasecmp(cls, "button")) {
        auto* b = new QPushButton(text, parent);
        b->setAutoDefault(false);
        b->setDefault((hwnd->style & 0x0F) == BS_DEFPUSHBUTTON);
        QObject::connect(b, &QPushButton::clicked, b, [hwnd] { notifyParent(hwnd, BN_CLICKED); });
        w = b;
    } else if (!strcasecmp(cls, "edit")) {
        auto* e = new QLineEdit(text, parent);
        e->setFrame(hwnd->style & WS_BORDER);
        QObject::connect(e, &QLineEdit::textChanged, e, [hwnd] { notifyParent(hwnd, EN_CHANGE); });
        w = e;
    } else if (!strcasecmp(cls, "static")) {
        w = new StaticWidget(text, (hwnd->style & 0x03) == SS_CENTER, parent);
    } else {
        return nullptr;
    }
    if (qobject_cast<QPushButton*>(w) || qobject_cast<QLineEdit*>(w))
        w->setFocusPolicy((hwnd->style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
    w->setEnabled(!(hwnd->style & WS_DISABLED));
    return w;
}

// Where Win32 puts a dialog: its client area at the template's place in the owner's client area,
// moved onto the screen's work area when it would stand off it.
QPoint dialogPosition(HWND owner, QPoint clientAt, QSize windowSize) {
    QPoint at = clientAt;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (win32::isLive(owner) && owner->client) {
        at = owner->client->mapToGlobal(clientAt);
        screen = owner->widget->screen();
    }
    QRect work = screen->availableGeometry();
    at.setX(std::max(work.left(), std::min(at.x(), work.right() + 1 - windowSize.width())));
    at.setY(std::max(work.top(), std::min(at.y(), work.bottom() + 1 - windowSize.height())));
    return at;
}

} // namespace

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    const DLGTEMPLATE_RES* tpl = win32::findDialog(hInstance, lpTemplateName);
    if (!tpl || !lpDialogFunc)
        return -1;
    static bool following = false;
    if (!following)
        following = QObject::connect(qApp, &QApplication::focusChanged, followFocus);
    HWND owner = win32::isLive(hWndParent) ? hWndParent : nullptr;

    HWND dlg = win32::newWindow();
    dlg->className = "#32770";
    dlg->proc = dialogManagerProc;
    dlg->dlgProc = lpDialogFunc;
    dlg->parent = owner;
    dlg->style = tpl->style;
    dlg->exStyle = tpl->exStyle;

    QFont font = QApplication::font();
    if (tpl->style & DS_SETFONT) {
        font = QFont(win32::fromAnsi(tpl->typeface), tpl->pointsize);
        if (tpl->weight)
            font.setWeight(QFont::Weight(std::clamp(int(tpl->weight), 1, 1000)));
        font.setItalic(tpl->italic);
    }
    auto* w = new DialogWidget(dlg);
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tpl->style & DS_SYSMODAL)
        flags |= Qt::WindowStaysOnTopHint;
    w->setWindowFlags(flags);
    w->setWindowTitle(win32::fromAnsi(tpl->title ? tpl->title : ""));
    w->setFont(font);
    auto* client = new QWidget(w);
    dlg->widget = w;
    dlg->client = client;
    win32::registerWidget(dlg, w);

    QSize base = baseUnits(font);
    QRect area = toPixels(base, tpl->x, tpl->y, tpl->cx, tpl->cy);
    int edge = edgeWidth(tpl->exStyle);
    client->setGeometry(edge, edge, area.width(), area.height());
    dlg->clientSize = area.size();
    QSize size = area.size() + QSize(2 * edge, 2 * edge);
    w->setFixedSize(size);
    w->setGeometry(QRect(dialogPosition(owner, area.topLeft() - QPoint(edge, edge), size), size));
    win32::placeOver(w, owner);

    HWND firstTabStop = nullptr;
    for (int i = 0; i < tpl->cItems; ++i) {
        const DLGITEM_RES& item = tpl->items[i];
        HWND c = win32::newWindow();
        c->className = item.windowClass;
        c->proc = DefWindowProcA;
        c->parent = dlg;
        c->id = item.id;
        c->style = item.style | WS_CHILD;
        c->exStyle = item.exStyle;
        QRect r = toPixels(base, item.x, item.y, item.cx, item.cy);
        QWidget* parent = client;
        if (int e = edgeWidth(item.exStyle)) {
            parent = new EdgeWidget(item.exStyle, client);
            parent->setGeometry(r);
            r = QRect(e, e, r.width() - 2 * e, r.height() - 2 * e);
        }
        QWidget* cw = createControl(c, item.windowClass,
                                    win32::fromAnsi(item.title ? item.title : ""), parent);
        if (!cw) {
            win32::destroyWindow(c);
            continue;
        }
        c->widget = c->client = cw;
        win32::registerWidget(c, cw);
        cw->setGeometry(r);
        c->clientSize = r.size();
        parent->setVisible(item.style & WS_VISIBLE);
        cw->setVisible(item.style & WS_VISIBLE);
        if (!firstTabStop && (item.style & WS_TABSTOP))
            firstTabStop = c;
    }

    // Modal for its owner only: the owner takes no input until the dialog has ended.
    if (owner && win32::isEnabled(owner)) {
        EnableWindow(owner, FALSE);
        dlg->disabledOwner = owner;
    }
    if (SendMessageA(dlg, WM_INITDIALOG, WPARAM(firstTabStop), dwInitParam) && firstTabStop &&
        win32::isEnabled(firstTabStop))
        SetFocus(firstTabStop);
    if (win32::isLive(dlg) && !dlg->dialogEnded) {
        w->show();
        w->activateWindow();
        win32::runModalLoop([dlg] { return dlg->dialogEnded || !win32::isLive(dlg); });
    }
    INT_PTR result = dlg->dialogResult;
    if (win32::isLive(dlg->disabledOwner))
        EnableWindow(dlg->disabledOwner, TRUE);
    win32::destroyWindow(dlg);
    if (win32::isLive(owner))
        owner->widget->activateWindow();
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    if (!win32::isLive(hDlg) || !hDlg->dlgProc)
        return FALSE;
    if (!hDlg->dialogEnded) {
        hDlg->dialogEnded = true;
        hDlg->dialogResult = nResult;
    }
    if (win32::isLive(hDlg->disabledOwner))
        EnableWindow(hDlg->disabledOwner, TRUE);
    hDlg->disabledOwner = nullptr;
    // As in Win32 the dialog disappears at once: clicks and keys already on their way find it
    // hidden and ended.
    hDlg->widget->hide();
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    if (!win32::isLive(hDlg) || !hDlg->client)
        return nullptr;
    for (QWidget* w : hDlg->client->findChildren<QWidget*>()) {
        HWND h = win32::fromWidget(w);
        if (h && h->parent == hDlg && int(h->id) == nIDDlgItem)
            return h;
    }
    return nullptr;
}

namespace {

// What stands for a window on the screen: a control's edge when it has one, else its widget.
QWidget* outline(HWND hwnd) {
    QWidget* edge = hwnd->widget->parentWidget();
    return dynamic_cast<EdgeWidget*>(edge) ? edge : hwnd->widget.data();
}

} // namespace

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    if (!win32::isLive(hWnd) || !hWnd->widget || !lpRect)
        return FALSE;
    QWidget* w = outline(hWnd);
    QPoint at = w->isWindow() ? w->geometry().topLeft() : w->mapToGlobal(QPoint());
    *lpRect = RECT{at.x(), at.y(), at.x() + w->width(), at.y() + w->height()};
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL) {
    if (!win32::isLive(hWnd) || !hWnd->widget || nWidth < 0 || nHeight < 0)
        return FALSE;
    const bool dialog = hWnd->dlgProc != nullptr;
    if (!dialog && !(win32::isLive(hWnd->parent) && hWnd->parent->dlgProc))
        return FALSE;
    QWidget* w = outline(hWnd);
    // The client area keeps its edge: the control itself within its own, a dialog's controls
    // within the dialog's.
    QWidget* inner = dialog ? hWnd->client.data() : hWnd->widget.data();
    const int edge = inner == w ? 0 : inner->x();
    if (dialog)
        w->setFixedSize(nWidth, nHeight);
    w->setGeometry(X, Y, nWidth, nHeight);
    if (inner != w)
        inner->setGeometry(edge, edge, std::max(0, nWidth - 2 * edge),
                           std::max(0, nHeight - 2 * edge));
    hWnd->clientSize = inner->size();
    return TRUE;
}

int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
    auto origin = [](HWND h) {
        return win32::isLive(h) && h->client ? h->client->mapToGlobal(QPoint()) : QPoint();
    };
    const QPoint by = origin(hWndFrom) - origin(hWndTo);
    for (UINT i = 0; lpPoints && i < cPoints; ++i) {
        lpPoints[i].x += by.x();
        lpPoints[i].y += by.y();
    }
    return MAKELONG(by.x(), by.y());
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    if (!lpString || cchMax <= 0)
        return 0;
    QByteArray text = win32::toAnsi(win32::windowText(GetDlgItem(hDlg, nIDDlgItem)));
    int n = std::min<int>(int(text.size()), cchMax - 1);
    std::memcpy(lpString, text.constData(), size_t(n));
    lpString[n] = '\0';
    return UINT(n);
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (!item)
        return FALSE;
    win32::setWindowText(item, win32::fromAnsi(lpString ? lpString : ""));
    return TRUE;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    HWND owner = win32::isLive(hWnd) ? hWnd : nullptr;
    QPointer<QMessageBox> box = new QMessageBox(
        (uType & 0xF0) == MB_ICONWARNING ? QMessageBox::Warning : QMessageBox::NoIcon,
        win32::fromAnsi(lpCaption ? lpCaption : "Error"), win32::fromAnsi(lpText ? lpText : ""),
        QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText); // the text is shown as it is, never as markup
    box->setWindowModality(Qt::NonModal);
    win32::placeOver(box, owner);
    bool disabled = owner && win32::isEnabled(owner);
    if (disabled)
        EnableWindow(owner, FALSE);
    // Without an owner, the window that was active before becomes active again afterwards.
    QPointer<QWidget> active = owner ? owner->widget.data() : QApplication::activeWindow();
    // As in Win32, the box is at least as wide as its caption beside the title bar's icon and
    // buttons (each about as wide as the bar is high), so that no window manager cuts it.
    QFont caption = box->font();
    caption.setBold(true);
    const int bar = box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box);
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(
                          QFontMetrics(caption).horizontalAdvance(box->windowTitle()) + 5 * bar, 0),
                      grid->rowCount(), 0, 1, grid->columnCount());
    box->show();
    // As in Win32, the box stands in the middle of the work area of its owner's screen, not over
    // the owner. Placed once shown, when it has taken its size.
    QScreen* screen = owner ? owner->widget->screen() : QGuiApplication::primaryScreen();
    box->move(screen->availableGeometry().center() - box->rect().center());
    box->activateWindow();
    win32::runModalLoop([&box] { return !box || !box->isVisible(); });
    delete box;
    if (disabled && win32::isLive(owner))
        EnableWindow(owner, TRUE);
    if (active)
        active->activateWindow();
    return IDOK;
}
