// What the program shows, for the scenario: loaded with LD_PRELOAD, it stands between the program
// and Qt's painting and writes down, to the file SCENARIO_DRAW_LOG, every text drawn and the text
// of every widget painted (a label's, a button's, an edit field's, as WM_GETTEXT reads a
// control's). One line each, fields separated by "|":
//   window title | widget class | depth below its window | paint, draw or text | x | y |
//   pen colour | text
// "paint" when a painter starts on a widget, "text" for its text, "draw" for a text drawn, at
// (x, y), the baseline's start or the corner of the rectangle it is laid out in.
#include <QPainter>
#include <QWidget>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

template <typename Fn> Fn real(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

void record(QPaintDevice* device, const QString& what) {
    static FILE* log = [] {
        const char* path = std::getenv("SCENARIO_DRAW_LOG");
        return path ? std::fopen(path, "a") : nullptr;
    }();
    if (!log || !device || device->devType() != QInternal::Widget)
        return;
    auto* w = static_cast<QWidget*>(device);
    int depth = 0;
    for (QWidget* p = w; !p->isWindow(); p = p->parentWidget())
        ++depth;
    QString line = QStringLiteral("%1|%2|%3|%4\n")
                       .arg(w->window()->windowTitle(), w->metaObject()->className())
                       .arg(depth)
                       .arg(what);
    std::fputs(line.toUtf8().constData(), log);
    std::fflush(log);
}

void recordText(QPainter* p, qreal x, qreal y, QString text) {
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    record(p->device(), QStringLiteral("draw|%1|%2|%3|%4")
                            .arg(qRound(x))
                            .arg(qRound(y))
                            .arg(p->pen().color().name(), text));
}

} // namespace

extern "C" {

void _ZN8QPainterC1EP12QPaintDevice(QPainter* self, QPaintDevice* device) {
    static auto original = real<void (*)(QPainter*, QPaintDevice*)>(__func__);
    original(self, device);
    record(device, QStringLiteral("paint||||"));
    if (device && device->devType() == QInternal::Widget)
        if (QVariant text = static_cast<QWidget*>(device)->property("text"); text.isValid())
            record(device, QStringLiteral("text||||") + text.toString().replace('\n', "\\n"));
}

void _ZN8QPainter8drawTextERK7QPointFRK7QString(QPainter* self, const QPointF& at,
                                                const QString& text) {
    static auto original = real<void (*)(QPainter*, const QPointF&, const QString&)>(__func__);
    recordText(self, at.x(), at.y(), text);
    original(self, at, text);
}

void _ZN8QPainter8drawTextERK5QRectiRK7QStringPS0_(QPainter* self, const QRect& r, int flags,
                                                   const QString& text, QRect* bounds) {
    static auto original =
        real<void (*)(QPainter*, const QRect&, int, const QString&, QRect*)>(__func__);
    recordText(self, r.x(), r.y(), text);
    original(self, r, flags, text, bounds);
}

void _ZN8QPainter8drawTextERK6QRectFiRK7QStringPS0_(QPainter* self, const QRectF& r, int flags,
                                                    const QString& text, QRectF* bounds) {
    static auto original =
        real<void (*)(QPainter*, const QRectF&, int, const QString&, QRectF*)>(__func__);
    recordText(self, r.x(), r.y(), text);
    original(self, r, flags, text, bounds);
}
}
