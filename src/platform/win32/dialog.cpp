// Modal dialogs from templates, their controls, and message boxes.
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <cstring>
#include <strings.h>

#include "internal.h"

namespace {

// A dialog's window: the close box and the dialog keys go to the dialog procedure.
class DialogWidget : public QWidget {
public:
    DialogWidget(HWND hwnd, QWidget* owner) : QWidget(owner, Qt::Dialog), hwnd_(hwnd) {}

protected:
    void closeEvent(QCloseEvent* ev) override {
        ev->ignore();
        if (win32::isLive(hwnd_))
            SendMessageA(hwnd_, WM_CLOSE, 0, 0);
    }
    void keyPressEvent(QKeyEvent* ev) override {
        if (!win32::dialogKey(hwnd_, win32::virtualKey(ev->key())))
            QWidget::keyPressEvent(ev);
    }

private:
    HWND hwnd_;
};

// Dialog base units of a font: the average width of the 52 Latin letters, and the height.
QSize baseUnits(const QFont& font) {
    QFontMetrics fm(font);
    int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((width / 26 + 1) / 2, fm.height());
}

QRect toPixels(const QSize& base, int x, int y, int cx, int cy) {
    return QRect(x * base.width() / 4, y * base.height() / 8, cx * base.width() / 4,
                 cy * base.height() / 8);
}

void notifyParent(HWND control, WORD code) {
    if (win32::isLive(control) && win32::isLive(control->parent) && !control->parent->dialogEnded)
        SendMessageA(control->parent, WM_COMMAND, MAKEWPARAM(control->id, code), LPARAM(control));
}

HWND childWithId(HWND dlg, int id) {
    if (!win32::isLive(dlg) || !dlg->widget)
        return nullptr;
    for (QWidget* w : dlg->widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        HWND h = win32::fromWidget(w);
        if (h && h != dlg && win32::isLive(h) && int(h->id) == id)
            return h;
    }
    return nullptr;
}

HWND defaultButton(HWND dlg) {
    for (QWidget* w : dlg->widget->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        HWND h = win32::fromWidget(w);
        if (h && (h->style & 0x0F) == BS_DEFPUSHBUTTON)
            return h;
    }
    return nullptr;
}

} // namespace

QWidget* win32::createControl(HWND hwnd, const std::string& cls, const QString& text,
                              QWidget* parent, const QFont& font) {
    QWidget* w = nullptr;
    if (!strcasecmp(cls.c_str(), "button")) {
        auto* b = new QPushButton(text, parent);
        b->setAutoDefault(false);
        b->setDefault((hwnd->style & 0x0F) == BS_DEFPUSHBUTTON);
        QObject::connect(b, &QPushButton::clicked, b, [hwnd] { notifyParent(hwnd, BN_CLICKED); });
        w = b;
    } else if (!strcasecmp(cls.c_str(), "edit")) {
        auto* e = new QLineEdit(text, parent);
        e->setFrame(hwnd->style & WS_BORDER);
        QObject::connect(e, &QLineEdit::textChanged, e, [hwnd] { notifyParent(hwnd, EN_CHANGE); });
        w = e;
    } else if (!strcasecmp(cls.c_str(), "static")) {
        auto* l = new QLabel(text, parent);
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        Qt::Alignment h = (hwnd->style & 0x03) == SS_CENTER ? Qt::AlignHCenter
                          : (hwnd->style & 0x03) == 2       ? Qt::AlignRight
                                                            : Qt::AlignLeft;
        l->setAlignment(h | Qt::AlignTop);
        w = l;
    } else if (!strcasecmp(cls.c_str(), STATUSCLASSNAMEA)) {
        w = win32::createStatusWidget(hwnd, text, parent);
    }
    if (!w)
        return nullptr;
    if (!strcasecmp(cls.c_str(), "button") || !strcasecmp(cls.c_str(), "edit"))
        w->setFocusPolicy((hwnd->style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
    w->setFont(font);
    w->setEnabled(!(hwnd->style & WS_DISABLED));
    return w;
}

bool win32::dialogKey(HWND dlg, int vk) {
    if (!win32::isLive(dlg) || dlg->dialogEnded)
        return false;
    if (vk == VK_ESCAPE) {
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     LPARAM(childWithId(dlg, IDCANCEL)));
        return true;
    }
    if (vk == VK_RETURN) {
        HWND button = defaultButton(dlg);
        if (button && IsWindowEnabled(button))
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(button->id, BN_CLICKED), LPARAM(button));
        else
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    }
    return false;
}

LRESULT win32::controlWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT win32::dialogManagerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    INT_PTR handled = hwnd->dlgProc ? hwnd->dlgProc(hwnd, msg, wParam, lParam) : FALSE;
    if (handled || msg == WM_INITDIALOG)
        return handled;
    if (msg == WM_CLOSE) // as the dialog manager does: the close box means Cancel
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     LPARAM(childWithId(hwnd, IDCANCEL)));
    return 0;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    const DLGTEMPLATE_RES* tpl = win32::findDialog(hInstance, lpTemplateName);
    if (!tpl || !lpDialogFunc)
        return -1;
    bool hasOwner = win32::isLive(hWndParent);

    HWND dlg = win32::newWindow();
    dlg->className = "#32770";
    dlg->proc = win32::dialogManagerProc;
    dlg->dlgProc = lpDialogFunc;
    dlg->parent = hasOwner ? hWndParent : nullptr;
    dlg->style = tpl->style;
    dlg->exStyle = tpl->exStyle;

    QFont font = QApplication::font();
    if (tpl->style & DS_SETFONT) {
        font = QFont(win32::fromAnsi(tpl->typeface), tpl->pointsize);
        if (tpl->weight)
            font.setWeight(QFont::Weight(std::clamp(int(tpl->weight), 1, 1000)));
        font.setItalic(tpl->italic);
    }
    auto* w = new DialogWidget(dlg, hasOwner ? hWndParent->widget.data() : nullptr);
    w->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    w->setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
    w->setWindowTitle(win32::fromAnsi(tpl->title ? tpl->title : ""));
    w->setFont(font);
    dlg->widget = dlg->client = w;
    win32::registerWidget(dlg, w);

    QSize base = baseUnits(font);
    QRect frame = toPixels(base, tpl->x, tpl->y, tpl->cx, tpl->cy);
    w->setFixedSize(frame.size());
    QPoint origin = frame.topLeft();
    if (hasOwner && hWndParent->client)
        origin = hWndParent->client->mapToGlobal(origin);
    w->move(origin);

    HWND firstTabStop = nullptr;
    for (int i = 0; i < tpl->cItems; ++i) {
        const DLGITEM_RES& item = tpl->items[i];
        HWND c = win32::newWindow();
        c->className = item.windowClass;
        c->proc = win32::controlWndProc;
        c->parent = dlg;
        c->id = item.id;
        c->style = item.style | WS_CHILD;
        c->exStyle = item.exStyle;
        QWidget* cw = win32::createControl(c, c->className,
                                           win32::fromAnsi(item.title ? item.title : ""), w, font);
        if (!cw) {
            DestroyWindow(c);
            continue;
        }
        c->widget = c->client = cw;
        win32::registerWidget(c, cw);
        cw->setGeometry(toPixels(base, item.x, item.y, item.cx, item.cy));
        cw->setVisible(item.style & WS_VISIBLE);
        if (!firstTabStop && (item.style & WS_TABSTOP))
            firstTabStop = c;
    }

    w->setWindowModality(Qt::ApplicationModal);
    if (SendMessageA(dlg, WM_INITDIALOG, WPARAM(firstTabStop), dwInitParam) && firstTabStop &&
        IsWindowEnabled(firstTabStop))
        SetFocus(firstTabStop);
    if (win32::isLive(dlg) && !dlg->dialogEnded) {
        w->show();
        w->activateWindow();
        win32::runModalLoop(
            [dlg] { return dlg->dialogEnded || !win32::isLive(dlg) || !dlg->widget; });
    }
    INT_PTR result = dlg->dialogResult;
    DestroyWindow(dlg);
    if (hasOwner && win32::isLive(hWndParent) && hWndParent->widget)
        hWndParent->widget->activateWindow();
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    if (!win32::isLive(hDlg) || !hDlg->dlgProc)
        return FALSE;
    hDlg->dialogEnded = true;
    hDlg->dialogResult = nResult;
    // As in Win32 the dialog disappears at once: clicks and keys already on their way find it
    // hidden and ended.
    if (hDlg->widget)
        hDlg->widget->hide();
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    return childWithId(hDlg, nIDDlgItem);
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    if (lpString && cchMax > 0)
        lpString[0] = '\0';
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (!item || !lpString || cchMax <= 0)
        return 0;
    return UINT(GetWindowTextA(item, lpString, cchMax));
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SetWindowTextA(item, lpString) : FALSE;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (uType & 0xF0) {
    case MB_ICONHAND: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONEXCLAMATION: icon = QMessageBox::Warning; break;
    case MB_ICONASTERISK: icon = QMessageBox::Information; break;
    }
    QPointer<QWidget> owner = win32::isLive(hWnd) ? hWnd->widget.data() : nullptr;
    // The box is its owner's child, so that the desktop puts it over the owner; should the owner
    // go while the box is open, the box goes with it.
    QPointer<QMessageBox> box =
        new QMessageBox(icon, win32::fromAnsi(lpCaption ? lpCaption : "Error"),
                        win32::fromAnsi(lpText ? lpText : ""), QMessageBox::Ok, owner);
    box->setTextFormat(Qt::PlainText); // the text is shown as it is, never as markup
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    win32::runModalLoop([&box] { return !box || !box->isVisible(); });
    delete box;
    if (owner)
        owner->activateWindow();
    return IDOK;
}
