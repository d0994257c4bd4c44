// The status window of the common controls.
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPainter>
#include <QSizeGrip>
#include <qdrawutil.h>

#include <cstring>

#include "internal.h"

namespace {

class StatusWidget : public QWidget {
public:
    // Not marked opaque: Qt would then skip painting a client area the bar covers entirely, and
    // the program would miss its WM_PAINT.
    explicit StatusWidget(HWND hwnd, QWidget* parent) : QWidget(parent), hwnd_(hwnd) {
        if (hwnd->style & SBARS_SIZEGRIP) {
            auto* layout = new QHBoxLayout(this);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->addStretch(1);
            layout->addWidget(new QSizeGrip(this), 0, Qt::AlignBottom | Qt::AlignRight);
        }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Window));
        const auto& texts = hwnd_->partTexts;
        const auto& edges = hwnd_->partEdges;
        int left = 0;
        for (size_t i = 0; i < std::max<size_t>(1, edges.size()); ++i) {
            int right = i < edges.size() && edges[i] >= 0 ? edges[i] : width();
            right = std::min(right, width());
            QRect part(left + 2, 2, std::max(0, right - left - 4), height() - 3);
            qDrawShadeRect(&p, part, palette(), true, 1); // each part sunken
            if (i < texts.size()) {
                p.setPen(palette().color(QPalette::WindowText));
                p.drawText(part.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                           win32::fromAnsi(texts[i].c_str()));
            }
            left = right;
        }
    }

private:
    HWND hwnd_;
};

// The bar stands along the bottom of its parent's client area, one text line and borders high.
void placeAtBottom(HWND hwnd) {
    QWidget* w = hwnd->widget;
    if (!w || !win32::isLive(hwnd->parent))
        return;
    QSize area = hwnd->parent->clientSize;
    int h = QFontMetrics(w->font()).height() + 8;
    hwnd->clientSize = QSize(area.width(), h);
    w->setGeometry(0, area.height() - h, area.width(), h);
    w->raise();
}

} // namespace

QWidget* win32::createStatusWidget(HWND hwnd, const QString& text, QWidget* parent) {
    hwnd->partTexts = {win32::toAnsi(text).toStdString()};
    return new StatusWidget(hwnd, parent);
}

LRESULT win32::statusWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE: placeAtBottom(hwnd); return 0;
    case SB_SETPARTS: {
        const int* edges = reinterpret_cast<const int*>(lParam);
        if (wParam > 256 || (wParam && !edges))
            return FALSE;
        hwnd->partEdges.assign(edges, edges + wParam);
        if (hwnd->widget)
            hwnd->widget->update();
        return TRUE;
    }
    case SB_SETTEXTA: {
        size_t part = wParam & 0xFF; // the high byte holds drawing flags
        if (hwnd->partTexts.size() <= part)
            hwnd->partTexts.resize(part + 1);
        hwnd->partTexts[part] = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
        if (hwnd->widget)
            hwnd->widget->update();
        return TRUE;
    }
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

HWND WINAPI CreateStatusWindowA(LONG style, LPCSTR lpszText, HWND hwndParent, UINT wID) {
    return CreateWindowExA(0, STATUSCLASSNAMEA, lpszText, DWORD(style), 0, 0, 0, 0, hwndParent,
                           reinterpret_cast<HMENU>(UINT_PTR(wID)), nullptr, nullptr);
}
