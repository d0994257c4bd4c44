// The table view in the running program: which rows each paint shows on which line and from
// where, the colours on the screen, both scroll bars driven as a person does, and the full log.
#include <QContextMenuEvent>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>

#include <cstring>
#include <map>
#include <memory>

#include "gui.h"
#include "readlog.h"
#include "recording_backend.h"
#include "view.h"

namespace {

std::vector<Win32DrawOp> trace;
testsupport::ScriptedBackend* port = nullptr;

void install() {
    auto backend = std::make_unique<testsupport::ScriptedBackend>(0, 0x80, 0x0B);
    port = backend.get();
    portio::install({std::move(backend), "test port"});
    Win32_SetDrawTrace(&trace);
}

// Reading i shows data i % 256, control (i / 256) % 16 and status bits 3-7 from i / 4096, so that
// each of 32001 readings can be told apart.
void show(int i) {
    port->set(888, i & 0xFF);
    port->set(889, (((i >> 12) & 0x1F) << 3) ^ 0x80);
    port->set(890, ((i >> 8) & 0x0F) ^ 0x0B);
}
void read(int i) {
    show(i);
    READ_PORT();
}

QWidget* client() {
    return Win32_Client(hwndMain);
}
QScrollBar* vbar() {
    return Win32_ScrollBar(hwndMain, SB_VERT);
}
int paints() {
    return int(std::count_if(trace.begin(), trace.end(), [](const Win32DrawOp& op) {
        return op.kind == Win32DrawOp::BeginPaint && op.hwnd == hwndMain;
    }));
}

using Screen = std::map<int, std::string>; // y -> "x|text|text..."

// What the main window's last paint shows, line by line: where the line starts, then its texts
// left to right (a text drawn again over another's start leaves the longer one).
Screen screen() {
    std::map<int, std::map<int, std::string>> at;
    for (const auto& op : trace)
        if (op.hwnd == hwndMain && op.kind == Win32DrawOp::BeginPaint)
            at.clear();
        else if (op.hwnd == hwndMain && op.kind == Win32DrawOp::Text)
            if (std::string& t = at[op.y][op.x]; op.text.size() > t.size())
                t = op.text;
    Screen out;
    for (const auto& [y, line] : at) {
        out[y] = std::to_string(line.begin()->first);
        for (const auto& [x, text] : line)
            out[y] += "|" + text;
    }
    return out;
}

// The lines a paint must show, the table starting at x `left`: the header at position 0, and
// records on lines, {record, line}.
Screen expected(const std::vector<std::pair<int, int>>& rows, int left) {
    Screen out;
    if (nVscrollPos == 0)
        out[0] = std::to_string(left) +
                 "|     Time           Data Out        Dec.         Status In        Dec.        "
                 "Control Out      Dec.";
    for (auto [i, line] : rows) {
        const data& r = list[i];
        std::string& text = out[line * cyChar] = std::to_string(ColumnLeft(left, COL_TIME, cxChar));
        for (const char* field : {r.data_entry, r.DB, r.DD, r.SB, r.SD, r.CB, r.CD})
            text += std::string("|") + field;
    }
    return out;
}

// Resizes the main window until its client area is `width` x `height`, with the scroll bars
// that size calls for, and the program has been told. The window system answers a resize later:
// the size counts once it has lasted through that answer.
void resizeClient(int width, int height) {
    QWidget* frame = Win32_Widget(hwndMain);
    for (int lasted = 0, attempt = 0; lasted < 2 && attempt < 20; ++attempt) {
        if (client()->size() == QSize(width, height))
            ++lasted;
        else
            frame->resize(frame->size() + QSize(width, height) - client()->size()), lasted = 0;
        QTest::qWait(10);
        client()->repaint(); // the ranges decide which bars stand beside the client
    }
    ASSERT_EQ(QSize(cxClient, cyClient), QSize(width, height));
}

} // namespace

TEST(View, ScrollingMovesTheRowsStopsAtTheEndsAndNewReadingsWaitForTheTop) {
    install();
    gui::Script script;
    script
        .then([] {
            for (int i = 0; i < 5; ++i)
                read(i);
            resizeClient(700, 4 * cyChar - 1); // three whole lines: range 5 + 2 - 3
            vbar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        })
        .then([] {
            EXPECT_EQ(screen(), expected({{3, 1}, {2, 2}, {1, 3}}, cxChar)) << "top line empty";
            trace.clear();
            show(99);
            gui::key(Qt::Key_F12);
        })
        .then([] {
            EXPECT_EQ(paints(), 0) << "scrolled down, a reading does not repaint";
            EXPECT_EQ(nVscrollMax, 4) << "the range grows only at the next paint";
            client()->repaint();
            EXPECT_EQ(nVscrollMax, 5);
            EXPECT_EQ(screen(), expected({{3, 1}, {2, 2}, {1, 3}}, cxChar));
            vbar()->triggerAction(QAbstractSlider::SliderToMaximum);
        })
        .then([] {
            // Record 0 on the top line, and below it nothing: the rows shown while scrolled are
            // those of the last paint at the top, and the reading since waits for it.
            EXPECT_EQ(screen(), expected({{0, 0}}, cxChar));
            trace.clear();
            vbar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        })
        .then([] {
            EXPECT_EQ(paints(), 0) << "line down at the bottom changes nothing";
            resizeClient(700, 6 * cyChar); // range 6 + 2 - 6: the position follows the maximum
            EXPECT_EQ(nVscrollPos, 2);
            vbar()->triggerAction(QAbstractSlider::SliderPageStepSub); // 6 asked, 2 given
        })
        .then([] {
            EXPECT_EQ(screen(), expected({{5, 1}, {4, 2}, {3, 3}, {2, 4}, {1, 5}}, cxChar));
            resizeClient(40 * cxChar, 12 * cyChar);
            trace.clear();
            Win32_ScrollBar(hwndMain, SB_HORZ)->triggerAction(QAbstractSlider::SliderSingleStepSub);
        })
        .then([] {
            EXPECT_EQ(paints(), 0) << "line left at the left edge changes nothing";
            Win32_ScrollBar(hwndMain, SB_HORZ)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        })
        .then([] {
            EXPECT_EQ(screen(), expected({{5, 1}, {4, 2}, {3, 3}, {2, 4}, {1, 5}, {0, 6}}, 0));
            gui::quit();
        });
    EXPECT_EQ(script.runProgram(), 0);
}

// Only Win32's actions move the view: the thumb dragged (tracked, the release adding nothing),
// trough clicks, and the bar's context menu; the wheel and middle clicks do nothing.
TEST(View, TheScrollBarsReportOnlyWhatWin32sDo) {
    install();
    static int tracked = -1;
    auto rect = [](QStyle::SubControl which) {
        QStyleOptionSlider opt;
        opt.initFrom(vbar());
        opt.orientation = Qt::Vertical;
        opt.maximum = vbar()->maximum();
        opt.sliderPosition = opt.sliderValue = vbar()->sliderPosition();
        opt.pageStep = vbar()->pageStep();
        opt.singleStep = 1;
        return vbar()->style()->subControlRect(QStyle::CC_ScrollBar, &opt, which, vbar());
    };
    auto part = [&](QStyle::SubControl which) { return rect(which).center(); };
    auto contextMenu = [] {
        QPoint at(vbar()->width() / 2, vbar()->height() / 2);
        QContextMenuEvent ev(QContextMenuEvent::Mouse, at, vbar()->mapToGlobal(at));
        QApplication::sendEvent(vbar(), &ev);
    };
    auto menuOpen = [] { return QApplication::activePopupWidget() != nullptr; };
    gui::Script script;
    script
        .then([&] {
            for (int i = 0; i < 40; ++i)
                read(i);
            // Without a page size, Win32's thumb has its least length at any range.
            resizeClient(600, 40 * cyChar); // range 40 + 2 - 40
            EXPECT_EQ(rect(QStyle::SC_ScrollBarSlider).height(), 16);
            resizeClient(600, 10 * cyChar); // range 40 + 2 - 10
            EXPECT_EQ(rect(QStyle::SC_ScrollBarSlider).height(), 16);
            QPoint trough = part(QStyle::SC_ScrollBarAddPage);
            QWheelEvent wheel(trough, vbar()->mapToGlobal(trough), {}, {0, -120}, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(vbar(), &wheel);
            QApplication::sendEvent(client(), &wheel);
            QTest::mouseClick(vbar(), Qt::MiddleButton, {}, trough);
            EXPECT_EQ(nVscrollPos, 0);
            EXPECT_EQ(vbar()->sliderPosition(), 0) << "the thumb moved by itself";
            QTest::mouseClick(vbar(), Qt::LeftButton, {}, trough);
            EXPECT_EQ(nVscrollPos, 10) << "a trough click is a page";
            QPoint from = part(QStyle::SC_ScrollBarSlider);
            QTest::mousePress(vbar(), Qt::LeftButton, {}, from);
            QTest::mouseMove(vbar(), from + QPoint(0, 5));
            QTest::mouseMove(vbar(), from + QPoint(0, 20));
            tracked = nVscrollPos;
            EXPECT_TRUE(tracked > 10 && tracked < 32) << tracked;
        })
        .then([&] {
            // The top line while tracking shows older row `tracked` - 1.
            EXPECT_EQ(screen()[0], expected({{40 - tracked, 0}}, cxChar)[0]) << "the view follows";
            QTest::mouseRelease(vbar(), Qt::LeftButton, {}, part(QStyle::SC_ScrollBarSlider));
            EXPECT_EQ(nVscrollPos, tracked) << "the release adds nothing";
            contextMenu();
        })
        .waitFor("the context menu", menuOpen)
        .then([] {
            gui::key(Qt::Key_Down); // Scroll Here: a position the program does not follow
            gui::key(Qt::Key_Return);
        })
        .then([&] {
            EXPECT_EQ(nVscrollPos, tracked);
            EXPECT_EQ(vbar()->sliderPosition(), tracked);
            contextMenu();
        })
        .waitFor("the context menu", menuOpen)
        .then([] {
            gui::key(Qt::Key_Down); // Scroll Here, then Top
            gui::key(Qt::Key_Down);
            gui::key(Qt::Key_Return);
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, 0);
            gui::quit();
        });
    EXPECT_EQ(script.runProgram(), 0);
}

// When the vertical bar appears during a paint, the narrower client area reaches the program
// before the horizontal range is worked out, within the same paint.
TEST(View, ABarShownDuringAPaintResizesTheClientBeforeTheNextRange) {
    install();
    gui::Script script;
    script.then([] { read(0); }).then([] {
        // As wide as the table and all but one character more: no horizontal range.
        resizeClient(nMaxWidth + 3 * cxChar - 1, 12 * cyChar);
        ASSERT_EQ(nHscrollMax, 0);
        for (int i = 1; i < 12; ++i)
            read(i);
        const int wide = cxClient;
        client()->repaint(); // the paint in which the vertical bar appears
        EXPECT_EQ(cxClient, wide - vbar()->sizeHint().width());
        EXPECT_EQ(nHscrollMax, HscrollMaxFor(nMaxWidth, cxClient, cxChar));
        EXPECT_GT(nHscrollMax, 0);
        EXPECT_EQ(client()->width(), cxClient) << "the widgets followed at once";
        gui::quit();
    });
    EXPECT_EQ(script.runProgram(), 0);
}

// A full log: every line shows the row it should, at the top and at the bottom, and nothing is
// drawn outside the client area (the rows beyond it are skipped). Then F12, F1 and F2 are each
// refused with a box that has no owner and so disables no window, and the log stays as it is.
TEST(View, AFullLogShowsTheRightRowsEverywhereAndRefusesMore) {
    install();
    for (int i = 0; !LogIsFull(); ++i)
        read(i);
    const data last = list[LOG_LIMIT];
    // Line L shows older row L + position - 1, that is record LOG_LIMIT - (L + position - 1).
    auto check = [] {
        std::vector<std::pair<int, int>> rows;
        for (int line = 0; line * cyChar < cyClient; ++line)
            if (int older = line + nVscrollPos - 1; older >= 0 && older <= LOG_LIMIT)
                rows.push_back({LOG_LIMIT - older, line});
        EXPECT_EQ(screen(), expected(rows, cxChar)) << "at position " << nVscrollPos;
    };
    gui::Script script;
    script
        .then([&] {
            resizeClient(700, 30 * cyChar + 5);
            check();
            // The colours reach the screen as Win32 reads a COLORREF: red data (the first
            // coloured column after the green time), blue status.
            QImage img = client()->grab().toImage();
            int red = 0, blue = 0;
            char first = 0;
            for (int x = 0; x < img.width(); ++x)
                for (int y = cyChar; y < 2 * cyChar; ++y) {
                    QColor c = img.pixelColor(x, y);
                    bool r = c.red() > 150 && c.blue() < 90 && c.green() < 90;
                    bool b = c.blue() > 150 && c.red() < 90 && c.green() < 90;
                    red += r, blue += b, first = first ? first : r ? 'r' : b ? 'b' : 0;
                }
            EXPECT_GT(red, 20);
            EXPECT_GT(blue, 20);
            EXPECT_EQ(first, 'r') << "the data in red, the status in blue";
            vbar()->triggerAction(QAbstractSlider::SliderToMaximum);
        })
        .then([&] {
            check(); // the oldest reading on line 28, then a blank line
            EXPECT_EQ(screen().rbegin()->first, 28 * cyChar);
        });
    for (Qt::Key k : {Qt::Key_F12, Qt::Key_F1, Qt::Key_F2})
        script.then([k] { gui::key(k); })
            .waitFor("the full-log box", [] { return gui::box() != nullptr; })
            .then([] {
                QMessageBox* b = gui::box();
                EXPECT_EQ(b->windowTitle(), "OUT OF PROGRAM MEMORY");
                EXPECT_EQ(b->text(), "RESTART PROGRAM TO CONTINUE");
                EXPECT_EQ(b->icon(), QMessageBox::Warning);
                EXPECT_TRUE(Win32_IsEnabled(hwndMain)) << "a box without owner disables nothing";
                b->button(QMessageBox::Ok)->click();
            })
            .waitFor("the main window", gui::mainActive);
    script.then(gui::quit);
    EXPECT_EQ(script.runProgram(), 0);
    EXPECT_EQ(e, LOG_LIMIT);
    EXPECT_EQ(std::memcmp(&last, &list[LOG_LIMIT], sizeof last), 0);
}
