// Device contexts, painting, fonts, brushes and text on QPainter.
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

#include <cstring>

#include "internal.h"
#include "win32_qt.h"

namespace {

std::vector<Win32DrawOp>* drawTrace = nullptr;

const QFont& fontOf(HDC dc) {
    if (!dc->qfont)
        dc->qfont = dc->font ? dc->font->font : QApplication::font();
    return *dc->qfont;
}

const QFontMetrics& metricsOf(HDC dc) {
    if (!dc->metrics)
        dc->metrics.emplace(fontOf(dc));
    return *dc->metrics;
}

// Draws one line of text with the top-left corner of its cell at (x, y), in the DC's colours.
void drawCell(HDC dc, int x, int y, const QString& text, const std::string& ansi) {
    const QFontMetrics& fm = metricsOf(dc);
    int w = fm.horizontalAdvance(text);
    if (drawTrace)
        drawTrace->push_back(
            {Win32DrawOp::Text, dc->hwnd, x, y, w, fm.height(), ansi, dc->textColor, dc->bkMode});
    QPainter* p = dc->painter;
    if (!p)
        return;
    if (dc->bkMode == OPAQUE)
        p->fillRect(QRect(x, y, w, fm.height()), Qt::white);
    if (!dc->painterHasFont) {
        p->setFont(fontOf(dc));
        dc->painterHasFont = true;
    }
    p->setPen(win32::toQColor(dc->textColor));
    p->drawText(QPoint(x, y + fm.ascent()), text);
}

COLORREF brushColor(HBRUSH hbr) {
    // A small number is a system colour (COLOR_x + 1).
    if (reinterpret_cast<UINT_PTR>(hbr) <= 31) {
        QColor c = QApplication::palette().color(reinterpret_cast<UINT_PTR>(hbr) == COLOR_WINDOW + 1
                                                     ? QPalette::Base
                                                     : QPalette::Window);
        return RGB(c.red(), c.green(), c.blue());
    }
    return hbr->color;
}

HFONT__ defaultFont{{GdiObject::Font, true}, {}};

} // namespace

// Breaks a paragraph into lines no wider than `width`, at blanks, as DT_WORDBREAK does; a word
// wider than the line stands alone on its line.
std::vector<QString> win32::textLines(const QString& text, const QFontMetrics& fm, int width) {
    std::vector<QString> lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        if (width < 0) {
            lines.push_back(paragraph);
            continue;
        }
        QString line;
        for (const QString& word : paragraph.split(QLatin1Char(' '))) {
            QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && fm.horizontalAdvance(candidate) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

QColor win32::toQColor(COLORREF c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); // 0x00BBGGRR
}

void Win32_SetDrawTrace(std::vector<Win32DrawOp>* t) {
    drawTrace = t;
}

HDC WINAPI BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint) {
    if (!win32::isLive(hWnd) || !lpPaint)
        return nullptr;
    HDC dc = new HDC__;
    dc->hwnd = hWnd;
    dc->painter = hWnd->painter;
    RECT rc{};
    GetClientRect(hWnd, &rc);
    *lpPaint = PAINTSTRUCT{dc, TRUE, rc, FALSE, FALSE, {}};
    COLORREF background = hWnd->background ? brushColor(hWnd->background) : 0xFFFFFF;
    if (drawTrace)
        drawTrace->push_back(
            {Win32DrawOp::BeginPaint, hWnd, 0, 0, rc.right, rc.bottom, {}, background, 0});
    // Qt does not keep the previous picture, so every paint starts from the erased background.
    if (dc->painter && hWnd->background)
        dc->painter->fillRect(QRect(0, 0, rc.right, rc.bottom), win32::toQColor(background));
    return dc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* lpPaint) {
    if (!lpPaint || !lpPaint->hdc)
        return FALSE;
    delete lpPaint->hdc;
    return TRUE;
}

HDC WINAPI GetDC(HWND hWnd) {
    if (hWnd && !win32::isLive(hWnd))
        return nullptr;
    HDC dc = new HDC__;
    dc->hwnd = hWnd;
    return dc;
}

int WINAPI ReleaseDC(HWND, HDC hDC) {
    if (!hDC || hDC->painter)
        return 0;
    delete hDC;
    return 1;
}

BOOL WINAPI GetTextMetricsA(HDC hdc, TEXTMETRICA* tm) {
    if (!hdc || !tm)
        return FALSE;
    const QFontMetrics& fm = metricsOf(hdc);
    *tm = TEXTMETRICA{};
    tm->tmHeight = fm.height();
    tm->tmAscent = fm.ascent();
    tm->tmExternalLeading = std::max(0, fm.leading());
    tm->tmAveCharWidth = fm.averageCharWidth();
    return TRUE;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    if (!hdc || !lpString || c < 0)
        return FALSE;
    drawCell(hdc, x, y, win32::fromAnsi(lpString, c), std::string(lpString, size_t(c)));
    return TRUE;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    if (!hdc)
        return 0xFFFFFFFF;
    COLORREF previous = hdc->textColor;
    hdc->textColor = color & 0xFFFFFF;
    return previous;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    if (!hdc || (mode != OPAQUE && mode != TRANSPARENT))
        return 0;
    int previous = hdc->bkMode;
    hdc->bkMode = mode;
    return previous;
}

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    if (!hDC || !lprc || !hbr)
        return 0;
    COLORREF color = brushColor(hbr);
    QRect r(lprc->left, lprc->top, lprc->right - lprc->left, lprc->bottom - lprc->top);
    if (drawTrace)
        drawTrace->push_back(
            {Win32DrawOp::Fill, hDC->hwnd, r.x(), r.y(), r.width(), r.height(), {}, color, 0});
    if (hDC->painter)
        hDC->painter->fillRect(r, win32::toQColor(color));
    return 1;
}

HGDIOBJ WINAPI GetStockObject(int i) {
    static HBRUSH__ black{{GdiObject::Brush, true}, 0x000000};
    return i == BLACK_BRUSH ? &black : nullptr;
}

HFONT WINAPI CreateFontA(int cHeight, int cWidth, int, int, int cWeight, DWORD bItalic,
                         DWORD bUnderline, DWORD bStrikeOut, DWORD, DWORD, DWORD, DWORD, DWORD,
                         LPCSTR pszFaceName) {
    QFont f(pszFaceName ? win32::fromAnsi(pszFaceName) : QApplication::font().family());
    f.setItalic(bItalic != 0);
    f.setUnderline(bUnderline != 0);
    f.setStrikeOut(bStrikeOut != 0);
    if (cWeight > 0)
        f.setWeight(QFont::Weight(std::clamp(cWeight, 1, 1000)));
    if (cHeight < 0) {
        f.setPixelSize(-cHeight); // the character height is Qt's em
    } else if (cHeight > 0) {
        // The cell height: a step or two from the estimate that the face's ratio gives.
        auto measure = [&f](int pixels) {
            f.setPixelSize(pixels);
            return QFontMetrics(f).height();
        };
        int pixels = cHeight;
        int measured = measure(pixels);
        if (measured > 0 && measured != cHeight) {
            pixels = std::max(1, (cHeight * pixels + measured / 2) / measured);
            measured = measure(pixels);
            for (int step = 0; step < 2 && measured != cHeight; ++step) {
                int next = std::max(1, pixels + (measured < cHeight ? 1 : -1));
                int m = measure(next);
                if (std::abs(m - cHeight) > std::abs(measured - cHeight))
                    break;
                pixels = next;
                measured = m;
            }
            f.setPixelSize(pixels);
        }
    }
    if (cWidth > 0) {
        int average = QFontMetrics(f).averageCharWidth();
        if (average > 0)
            f.setStretch(std::clamp(100 * cWidth / average, 1, 4000));
    }
    return new HFONT__{{GdiObject::Font, false}, f};
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    if (!hdc || !h || static_cast<GdiObject*>(h)->kind != GdiObject::Font)
        return nullptr;
    HGDIOBJ previous = hdc->font ? hdc->font : &defaultFont;
    hdc->font = h == &defaultFont ? nullptr : static_cast<HFONT>(h);
    hdc->qfont.reset();
    hdc->metrics.reset();
    hdc->painterHasFont = false;
    return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    auto* obj = static_cast<GdiObject*>(ho);
    if (!obj || obj->kind != GdiObject::Font) // the program creates fonts only
        return FALSE;
    if (!obj->stock)
        delete static_cast<HFONT>(ho);
    return TRUE;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    if (!hdc || !lpchText || !lprc)
        return 0;
    QString text = win32::fromAnsi(lpchText, cchText < 0 ? int(std::strlen(lpchText)) : cchText);
    const QFontMetrics& fm = metricsOf(hdc);
    int width = lprc->right - lprc->left;
    int step = fm.height() + ((format & DT_EXTERNALLEADING) ? std::max(0, fm.leading()) : 0);
    int y = lprc->top, widest = 0;
    for (const QString& line : win32::textLines(text, fm, (format & DT_WORDBREAK) ? width : -1)) {
        int w = fm.horizontalAdvance(line);
        widest = std::max(widest, w);
        if (!line.isEmpty() && !(format & DT_CALCRECT))
            drawCell(hdc, lprc->left + ((format & DT_CENTER) ? (width - w) / 2 : 0), y, line,
                     win32::toAnsi(line).toStdString());
        y += step;
    }
    if (format & DT_CALCRECT) {
        lprc->right = lprc->left + widest;
        lprc->bottom = y;
    }
    return y - lprc->top;
}
