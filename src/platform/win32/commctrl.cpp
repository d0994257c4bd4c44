// The status window of the common controls.
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPainter>
#include <QSizeGrip>
#include <QStyleOption>

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
            p.setPen(palette().color(QPalette::Mid));
            p.drawLine(part.topLeft(), part.topRight());
            p.drawLine(part.topLeft(), part.bottomLeft());
            p.setPen(palette().color(QPalette::Light));
            p.drawLine(part.bottomLeft(), part.bottomRight());
            p.drawLine(part.topRight(), part.bottomRight());
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
    if (!w || !win32::isLive(hwnd->parent) || !hwnd->parent->client)
        return;
    QSize area = hwnd->parent->client->size();
    int h = QFontMetrics(w->font()).height() + 8;
    w->setGeometry(0, area.height() - h, area.width(), h);
    w->raise();
}

std::string* partText(HWND hwnd, int part) {
    if (part < 0 || part > 255)
        return nullptr;
    if (hwnd->partTexts.size() <= size_t(part))
        hwnd->partTexts.resize(size_t(part) + 1);
    return &hwnd->partTexts[size_t(part)];
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
        std::string* text = partText(hwnd, int(wParam & 0xFF)); // the high byte holds flags
        if (!text)
            return FALSE;
        *text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
        if (hwnd->widget)
            hwnd->widget->update();
        return TRUE;
    }
    case SB_GETTEXTLENGTHA:
    case SB_GETTEXTA: {
        std::string* text = partText(hwnd, int(wParam & 0xFF));
        if (!text)
            return 0;
        if (msg == SB_GETTEXTA && lParam)
            std::memcpy(reinterpret_cast<LPSTR>(lParam), text->c_str(), text->size() + 1);
        return MAKELONG(text->size(), 0);
    }
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

HWND WINAPI CreateStatusWindowA(LONG style, LPCSTR lpszText, HWND hwndParent, UINT wID) {
    return CreateWindowExA(0, STATUSCLASSNAMEA, lpszText, DWORD(style), 0, 0, 0, 0, hwndParent,
                           reinterpret_cast<HMENU>(UINT_PTR(wID)), nullptr, nullptr);
}
