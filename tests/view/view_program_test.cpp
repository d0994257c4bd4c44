// The table view in the running program: what each paint draws (text, position, colour, order)
// and, for a few cases, the pixels that reach the screen. Keys and scroll-bar actions are real.
#include "backend.h"
#include "bytescope.h"
#include "portio.h"
#include "port.h"
#include "program_driver.h"
#include "readlog.h"
#include "recording_backend.h"
#include "statbar.h"
#include "view.h"
#include "win32_qt.h"

#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLayout>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::pressKey;
using testsupport::ProgramDriver;
using testsupport::ScriptedBackend;

const COLORREF kBlack = 0x000000;
const COLORREF kWhite = 0xFFFFFF;
const COLORREF kYellow = 0x00FFFF;
const COLORREF kDarkGreen = 32000;
const COLORREF kRed = 235;
const COLORREF kBlue = 0xFF0000;

// Column offsets in tenths of an average character width.
const int kTenths[7] = {0, 132, 266, 352, 486, 578, 714};

std::string Blanks(int n) {
    return std::string(size_t(n), ' ');
}
const std::string kTable = Blanks(5) + "Time" + Blanks(11) + "Data Out" + Blanks(8) + "Dec." +
                           Blanks(9) + "Status In" + Blanks(8) + "Dec." + Blanks(8) +
                           "Control Out" + Blanks(6) + "Dec.";

std::vector<Win32DrawOp> trace;
ScriptedBackend* port = nullptr;

// The program reads a port whose registers the test sets, and its drawing is recorded.
void InstallPort() {
    auto backend = std::make_unique<ScriptedBackend>(0, 0x80, 0x0B);
    port = backend.get();
    portio::install({std::move(backend), "test port", "Test port"});
    Win32_SetDrawTrace(&trace);
}

// Raw register bytes that the next reading shows as these values.
void SetShown(int data, int status, int control) {
    port->set(888, data);
    port->set(889, status ^ 0x80);
    port->set(890, control ^ 0x0B);
}

// Reading i of a test log shows data i % 256, control (i / 256) % 16 and status bits 3-7 from
// i / 4096, so that every one of 32001 readings can be told apart by its texts.
void SetShownIndex(int i) {
    SetShown(i & 0xFF, ((i >> 12) & 0x1F) << 3, (i >> 8) & 0x0F);
}
int IndexShownBy(const data& r) {
    return atoi(r.DD) + 256 * atoi(r.CD) + 4096 * (atoi(r.SD) >> 3);
}

// Steps that take `count` readings with F12, showing indices first, first + 1, ...
void TakeReadingsShowing(ProgramDriver& driver, int first, int count) {
    for (int i = first; i < first + count; ++i)
        driver.then([i] {
            SetShownIndex(i);
            pressKey(Qt::Key_F12);
        });
}

void Read(int i) {
    SetShownIndex(i);
    Read_Port();
    Format_Data();
}

int Paints() {
    int n = 0;
    for (const auto& op : trace)
        n += op.kind == Win32DrawOp::BeginPaint && op.hwnd == hwndMain;
    return n;
}

// What the main window's last paint drew, after its BeginPaint.
std::vector<Win32DrawOp> LastPaint() {
    std::vector<Win32DrawOp> ops;
    for (const auto& op : trace) {
        if (op.hwnd != hwndMain)
            continue;
        if (op.kind == Win32DrawOp::BeginPaint)
            ops.clear();
        else
            ops.push_back(op);
    }
    return ops;
}

struct Expected {
    int x, y;
    std::string text;
    COLORREF color;
};

int Column(int left, int column) {
    return (10 * left + kTenths[column] * cxChar) / 10;
}

// The row of list[i] in black with its top at `top`.
std::vector<Expected> OlderRow(int i, int left, int top) {
    const data& r = list[i];
    const char* fields[7] = {r.data_entry, r.DB, r.DD, r.SB, r.SD, r.CB, r.CD};
    std::vector<Expected> row;
    for (int c = 0; c < 7; ++c)
        row.push_back({Column(left, c), top, fields[c], kBlack});
    return row;
}

// The header and the newest row, list[i], with its colours and overdraws.
std::vector<Expected> HeaderAndNewest(int i, int left) {
    const data& r = list[i];
    const int top = cyChar;
    return {
        {left, 0, kTable, kBlack},
        {Column(left, 0), top, r.data_entry, kDarkGreen},
        {Column(left, 1), top, r.DB, kRed},
        {Column(left, 2), top, r.DD, kRed},
        {Column(left, 3), top, r.SB, kBlack},
        {Column(left, 3), top, std::string(r.SB, 5), kBlue},
        {Column(left, 4), top, r.SD, kBlue},
        {Column(left, 5), top, r.CB, kRed},
        {Column(left, 6), top, r.CD, kRed},
        {Column(left, 5), top, std::string(r.CB, 4), kBlack},
    };
}

std::vector<Expected> Join(std::vector<Expected> a, const std::vector<Expected>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Older rows in black, each given as {index in the log, line from the top}.
std::vector<Expected> OlderRows(const std::vector<std::pair<int, int>>& rows, int left = -1) {
    std::vector<Expected> all;
    for (auto [index, line] : rows)
        all = Join(all, OlderRow(index, left < 0 ? cxChar : left, line * cyChar));
    return all;
}

// The paint drew exactly `expected`, in order, as table text on the default opaque background.
void ExpectDrawn(const std::vector<Win32DrawOp>& ops, const std::vector<Expected>& expected) {
    ASSERT_EQ(ops.size(), expected.size());
    for (size_t k = 0; k < ops.size(); ++k) {
        SCOPED_TRACE("text " + std::to_string(k) + " \"" + expected[k].text + "\"");
        EXPECT_EQ(ops[k].kind, Win32DrawOp::Text);
        EXPECT_EQ(ops[k].text, expected[k].text);
        EXPECT_EQ(ops[k].x, expected[k].x);
        EXPECT_EQ(ops[k].y, expected[k].y);
        EXPECT_EQ(ops[k].textColor, expected[k].color);
        EXPECT_EQ(ops[k].bkMode, OPAQUE);
        EXPECT_EQ(ops[k].bkColor, kWhite);
    }
}

QWidget* Client() {
    return Win32_Client(hwndMain);
}
QScrollBar* VBar() {
    return Win32_ScrollBar(hwndMain, SB_VERT);
}
QScrollBar* HBar() {
    return Win32_ScrollBar(hwndMain, SB_HORZ);
}

// Resizes the main window until its client area is `width` x `height` with the scroll bars
// the new size calls for, and the view has been told (WM_SIZE) and has painted.
void SetClientSize(int width, int height) {
    QWidget* frame = Win32_Widget(hwndMain);
    for (int attempt = 0; attempt < 10; ++attempt) {
        frame->resize(frame->width() + width - Client()->width(),
                      frame->height() + height - Client()->height());
        frame->layout()->activate();
        Client()->repaint(); // the ranges decide which scroll bars stand beside the client
        frame->layout()->activate();
        QCoreApplication::processEvents();
        if (Client()->width() == width && Client()->height() == height)
            break;
    }
    Client()->repaint();
    ASSERT_EQ(Client()->width(), width);
    ASSERT_EQ(Client()->height(), height);
    ASSERT_EQ(cxClient, width);
    ASSERT_EQ(cyClient, height);
}

void Close() {
    PostMessageA(hwndMain, WM_CLOSE, 0, 0);
}

QImage Grab() {
    return Client()->grab().toImage();
}

struct Ink {
    int total = 0, dark = 0, red = 0, green = 0, blue = 0, yellow = 0, white = 0;
};
// Counts the pixels of a rectangle by colour. Text is antialiased: only clearly coloured pixels
// are counted as that colour.
Ink InkIn(const QImage& img, QRect r) {
    Ink ink;
    r = r.intersected(img.rect());
    for (int py = r.top(); py <= r.bottom(); ++py)
        for (int px = r.left(); px <= r.right(); ++px) {
            QColor c = img.pixelColor(px, py);
            int R = c.red(), G = c.green(), B = c.blue();
            ++ink.total;
            ink.dark += R < 90 && G < 90 && B < 90;
            ink.red += R > 150 && G < 90 && B < 90;
            ink.green += G > 70 && R < 60 && B < 60;
            ink.blue += B > 150 && R < 90 && G < 90;
            ink.yellow += R > 150 && G > 150 && B < 90;
            ink.white += R > 200 && G > 200 && B > 200;
        }
    return ink;
}
QRect CellOf(const Win32DrawOp& op) {
    return QRect(op.x, op.y, op.width, op.height);
}
// A text's cell up to where the next column starts (a field's trailing blanks reach into it).
QRect CellBefore(const Win32DrawOp& op, int nextX) {
    return QRect(op.x, op.y, std::min(op.width, nextX - op.x - 2), op.height);
}

// --- Start screen --------------------------------------------------------------------------------

TEST(ViewStartScreen, BlackWithThreeCentredTextsBeforeAnyReading) {
    InstallPort();
    ProgramDriver driver;
    driver
        .then([] {
            Client()->repaint();
            EXPECT_EQ(NUMLINES, 1);
            EXPECT_EQ(nVscrollMax, 0);
            EXPECT_EQ(s, 0);
            std::vector<Win32DrawOp> ops = LastPaint();
            ASSERT_EQ(ops.size(), 6u);
            EXPECT_EQ(ops[0].kind, Win32DrawOp::Fill);
            EXPECT_EQ(ops[0].bkColor, kBlack);
            EXPECT_EQ(QRect(ops[0].x, ops[0].y, ops[0].width, ops[0].height), Client()->rect());

            struct Line {
                const char* text;
                COLORREF color;
                int line; // counted from 0
            };
            const Line lines[] = {
                {"Read the Help file before operating this program", kWhite, 7},
                {"with hardware connected to the parallel port.", kWhite, 8},
                {"CAUTION!", kYellow, 5},
                {"Bytescope - A Parallel Port Application", kWhite, 2},
                {"for Windows 9x", kWhite, 3},
            };
            const int step = ops[4].y / 2; // the line height of the start-screen font
            ASSERT_GT(step, 0);
            for (int k = 0; k < 5; ++k) {
                const Win32DrawOp& op = ops[size_t(k) + 1];
                SCOPED_TRACE(lines[k].text);
                EXPECT_EQ(op.kind, Win32DrawOp::Text);
                EXPECT_EQ(op.text, lines[k].text);
                EXPECT_EQ(op.textColor, lines[k].color);
                EXPECT_EQ(op.bkMode, TRANSPARENT);
                EXPECT_EQ(op.face, "Modern");
                EXPECT_EQ(op.y, lines[k].line * step);
                EXPECT_LE(std::abs(2 * op.x + op.width - Client()->width()), 1); // centred
            }
            EXPECT_EQ(hfFont, nullptr); // deleted within the paint

            // What reaches the screen: black, the warning in yellow, the title in white.
            QImage img = Grab();
            EXPECT_EQ(img.pixelColor(2, 2), QColor(Qt::black));
            EXPECT_EQ(img.pixelColor(Client()->width() - 3, 5 * step + 2), QColor(Qt::black));
            Ink caution = InkIn(img, CellOf(ops[3]));
            EXPECT_GT(caution.yellow, 20);
            EXPECT_EQ(caution.white, 0);
            Ink title = InkIn(img, CellOf(ops[4]));
            EXPECT_GT(title.white, 50);
            EXPECT_EQ(title.yellow, 0);
            Ink between = InkIn(img, QRect(0, ops[5].y + step, Client()->width(), step));
            EXPECT_EQ(between.dark, between.total); // line 4 is empty and black
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

// --- The table at the top ------------------------------------------------------------------------

TEST(ViewTable, OneReadingAtTop) {
    InstallPort();
    ProgramDriver driver;
    driver
        .then([] {
            SetShown(0x5A, 0x78, 0x04);
            pressKey(Qt::Key_F12);
        })
        .then([] {
            ASSERT_EQ(e, 0);
            EXPECT_EQ(NUMLINES, 1);
            EXPECT_EQ(P, 0);
            ExpectDrawn(LastPaint(), HeaderAndNewest(0, cxChar));
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

TEST(ViewTable, ThreeReadingsAtTop) {
    InstallPort();
    ProgramDriver driver;
    TakeReadingsShowing(driver, 1, 3);
    driver
        .then([] {
            ASSERT_EQ(e, 2);
            for (int i = 0; i < 3; ++i)
                ASSERT_EQ(IndexShownBy(list[i]), i + 1);
            ExpectDrawn(LastPaint(),
                        Join(Join(HeaderAndNewest(2, cxChar), OlderRow(1, cxChar, 2 * cyChar)),
                             OlderRow(0, cxChar, 3 * cyChar)));
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

TEST(ViewTable, NewestRowColoursFieldByField) {
    InstallPort();
    ProgramDriver driver;
    driver
        .then([] {
            // Status 11111000 and control 00001111: every bit the masks keep is set.
            SetShown(0xFF, 0xF8, 0x0F);
            pressKey(Qt::Key_F12);
        })
        .then([] {
            ASSERT_STREQ(list[0].SB, "11111000");
            ASSERT_STREQ(list[0].CB, "00001111");
            std::vector<Win32DrawOp> ops = LastPaint();
            ExpectDrawn(ops, HeaderAndNewest(0, cxChar));
            ASSERT_EQ(ops.size(), 10u);

            QImage img = Grab();
            const int margin = 2; // antialiasing at the edges of a glyph
            auto left = [&](const Win32DrawOp& op, int w) {
                return QRect(op.x, op.y, w - margin, op.height);
            };
            auto right = [&](const Win32DrawOp& op, int w) {
                return QRect(op.x + w + margin, op.y, op.width - w - margin, op.height);
            };
            Ink header = InkIn(img, CellOf(ops[0]));
            EXPECT_GT(header.dark, 20);
            Ink time = InkIn(img, CellBefore(ops[1], ops[2].x));
            EXPECT_GT(time.green, 10);
            EXPECT_EQ(time.red + time.blue, 0);
            for (int k : {2, 3, 7, 8}) { // data register and control decimal: red
                Ink red = InkIn(img, CellOf(ops[size_t(k)]));
                EXPECT_GT(red.red, 5) << ops[size_t(k)].text;
                EXPECT_EQ(red.blue + red.green, 0) << ops[size_t(k)].text;
            }
            // Status: five blue bits over black, then three black ones.
            const int sb5 = ops[5].width;
            Ink statusShown = InkIn(img, left(ops[4], sb5));
            EXPECT_GT(statusShown.blue, 10);
            EXPECT_EQ(statusShown.dark, 0);
            Ink statusClear = InkIn(img, right(ops[4], sb5));
            EXPECT_GT(statusClear.dark, 5);
            EXPECT_EQ(statusClear.blue, 0);
            Ink sd = InkIn(img, CellOf(ops[6]));
            EXPECT_GT(sd.blue, 5);
            EXPECT_EQ(sd.dark + sd.red, 0);
            // Control: four black bits over red, then four red ones.
            const int cb4 = ops[9].width;
            Ink controlClear = InkIn(img, left(ops[7], cb4));
            EXPECT_GT(controlClear.dark, 5);
            EXPECT_EQ(controlClear.red, 0);
            Ink controlShown = InkIn(img, right(ops[7], cb4));
            EXPECT_GT(controlShown.red, 5);
            EXPECT_EQ(controlShown.dark, 0);
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

// --- Scrolled ------------------------------------------------------------------------------------

TEST(ViewTable, ThreeReadingsScrolledDownByOneAndByTwo) {
    InstallPort();
    ProgramDriver driver;
    TakeReadingsShowing(driver, 10, 3);
    driver
        .then([] {
            // Three whole lines of client area: the range is 3 + 2 - 3 = 2.
            SetClientSize(700, 4 * cyChar - 1);
            EXPECT_EQ(nVscrollMax, 2);
            ASSERT_TRUE(VBar()->isVisible());
            EXPECT_EQ(VBar()->maximum(), 2);
            VBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, 1);
            EXPECT_EQ(VBar()->value(), 1);
            // The top line empty, reading 1 on line 1 and reading 0 on line 2, all black.
            ExpectDrawn(LastPaint(),
                        Join(OlderRow(1, cxChar, cyChar), OlderRow(0, cxChar, 2 * cyChar)));
            VBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, 2);
            ExpectDrawn(LastPaint(), Join(OlderRow(1, cxChar, 0), OlderRow(0, cxChar, cyChar)));
            // Line down at the maximum changes nothing and paints nothing.
            trace.clear();
            VBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, 2);
            EXPECT_EQ(VBar()->value(), 2);
            EXPECT_EQ(Paints(), 0);
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

// Holding F12 down: auto-repeat presses that arrive together each take a reading, and the
// repaints they ask for merge, so that no backlog of paints builds up.
TEST(ViewTable, AutoRepeatF12ReadsOncePerPressAndMergesThePaints) {
    InstallPort();
    const int presses = 50;
    ProgramDriver driver;
    driver
        .then([] {
            trace.clear();
            for (int i = 0; i < presses; ++i)
                QCoreApplication::postEvent(
                    Client(),
                    new QKeyEvent(QEvent::KeyPress, Qt::Key_F12, Qt::NoModifier, QString(), true));
        })
        .then([] {
            EXPECT_EQ(e, presses - 1);
            EXPECT_GE(Paints(), 1);
            EXPECT_LE(Paints(), 2);
            EXPECT_EQ(P, presses - 1);
            std::vector<Win32DrawOp> ops = LastPaint();
            ASSERT_GE(ops.size(), 2u);
            EXPECT_EQ(ops[1].text, list[presses - 1].data_entry);
            EXPECT_EQ(ops[1].textColor, kDarkGreen);
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

TEST(ViewTable, ScrolledRightByOneStep) {
    InstallPort();
    static std::vector<Win32DrawOp> before;
    ProgramDriver driver;
    TakeReadingsShowing(driver, 200, 3);
    driver
        .then([] {
            SetClientSize(40 * cxChar, 12 * cyChar); // narrower than the table
            EXPECT_EQ(nHscrollMax, 2 + (76 * cxChar - 40 * cxChar) / cxChar);
            ASSERT_TRUE(HBar()->isVisible());
            before = LastPaint();
            ExpectDrawn(before,
                        Join(Join(HeaderAndNewest(2, cxChar), OlderRow(1, cxChar, 2 * cyChar)),
                             OlderRow(0, cxChar, 3 * cyChar)));
            HBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        })
        .then([] {
            EXPECT_EQ(nHscrollPos, 1);
            EXPECT_EQ(x, 0);
            std::vector<Win32DrawOp> after = LastPaint();
            ExpectDrawn(after, Join(Join(HeaderAndNewest(2, 0), OlderRow(1, 0, 2 * cyChar)),
                                    OlderRow(0, 0, 3 * cyChar)));
            ASSERT_EQ(after.size(), before.size());
            for (size_t k = 0; k < after.size(); ++k)
                EXPECT_EQ(after[k].x, before[k].x - cxChar) << after[k].text;
            // Line left twice: back at 0, then nothing more.
            HBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        })
        .then([] {
            EXPECT_EQ(nHscrollPos, 0);
            trace.clear();
            HBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        })
        .then([] {
            EXPECT_EQ(nHscrollPos, 0);
            EXPECT_EQ(Paints(), 0);
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

TEST(ViewTable, ReadingWhileScrolledDownShowsOnlyBackAtTheTop) {
    InstallPort();
    ProgramDriver driver;
    TakeReadingsShowing(driver, 0, 5);
    driver
        .then([] {
            SetClientSize(700, 4 * cyChar - 1); // range 5 + 2 - 3 = 4; line 3 shows in part
            EXPECT_EQ(nVscrollMax, 4);
            VBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        })
        .then([] {
            ASSERT_EQ(nVscrollPos, 1);
            ExpectDrawn(LastPaint(), OlderRows({{3, 1}, {2, 2}, {1, 3}}));
            trace.clear();
            SetShownIndex(99);
            pressKey(Qt::Key_F12);
        })
        .then([] {
            ASSERT_EQ(e, 5);
            ASSERT_EQ(IndexShownBy(list[5]), 99);
            EXPECT_EQ(Paints(), 0);    // scrolled down: the reading does not repaint
            EXPECT_EQ(nVscrollMax, 4); // and the range grows only at the next paint
            Client()->repaint();
            EXPECT_EQ(nVscrollMax, 5);
            EXPECT_EQ(P, 4);
            ExpectDrawn(LastPaint(), OlderRows({{3, 1}, {2, 2}, {1, 3}}));
            VBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        })
        .then([] {
            ASSERT_EQ(nVscrollPos, 2);
            Client()->repaint();
            ExpectDrawn(LastPaint(), OlderRows({{3, 0}, {2, 1}, {1, 2}, {0, 3}}));
            VBar()->triggerAction(QAbstractSlider::SliderToMinimum); // SB_TOP
        })
        .then([] {
            ASSERT_EQ(nVscrollPos, 0);
            EXPECT_EQ(P, 5);
            ExpectDrawn(LastPaint(), Join(HeaderAndNewest(5, cxChar), OlderRows({{4, 2}, {3, 3}})));
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

// --- Scroll state --------------------------------------------------------------------------------

TEST(ViewScrollState, TenReadingsInEightLines) {
    InstallPort();
    ProgramDriver driver;
    for (int i = 0; i < 10; ++i)
        driver.then([] { pressKey(Qt::Key_F12); });
    driver
        .then([] {
            ASSERT_EQ(e, 9);
            SetClientSize(600, 8 * cyChar + cyChar - 1);
            EXPECT_EQ(NUMLINES, 10);
            EXPECT_EQ(nVscrollMax, 4);
            EXPECT_EQ(VBar()->maximum(), 4);
            VBar()->triggerAction(QAbstractSlider::SliderToMaximum); // SB_BOTTOM
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, 4);
            // Page up: 8 lines asked for, 4 granted.
            VBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, 0);
            VBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, 4);
            EXPECT_EQ(VBar()->value(), 4);
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

TEST(ViewScrollState, LineUpAtTopChangesNothingAndDoesNotRepaint) {
    InstallPort();
    ProgramDriver driver;
    for (int i = 0; i < 6; ++i)
        driver.then([] { pressKey(Qt::Key_F12); });
    driver
        .then([] {
            SetClientSize(600, 4 * cyChar);
            ASSERT_EQ(nVscrollMax, 4);
            ASSERT_EQ(nVscrollPos, 0);
            trace.clear();
            VBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, 0);
            EXPECT_EQ(VBar()->value(), 0);
            EXPECT_EQ(nVscrollInc, 0);
            EXPECT_EQ(Paints(), 0);
            VBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
            VBar()->triggerAction(QAbstractSlider::SliderToMinimum);
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, 0);
            EXPECT_EQ(Paints(), 0);
            VBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, 1);
            EXPECT_EQ(Paints(), 1); // a change repaints
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

TEST(ViewScrollState, PageDownInAClientAreaShorterThanOneLine) {
    InstallPort();
    // A large desktop font, so that a line is taller than the shortest client area the window
    // can have beside its vertical scroll bar.
    QFont large = QApplication::font();
    large.setPixelSize(90);
    QApplication::setFont(large);
    ProgramDriver driver;
    for (int i = 0; i < 3; ++i)
        driver.then([] { pressKey(Qt::Key_F12); });
    driver
        .then([] {
            ASSERT_GT(cyChar, 90);
            // The status bar, one line of that font high, would cover all of such a client
            // area, and Qt does not paint a widget that its children hide.
            ShowWindow(hWndStatusbar, SW_HIDE);
            SetClientSize(600, cyChar - 3);
            EXPECT_EQ(nVscrollMax, 5); // no whole line: 3 + 2 - 0
            VBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, 1);
            VBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, 2);
            VBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
        })
        .then([] { EXPECT_EQ(nVscrollPos, 1); })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

// A taller window holds more lines, so the maximum falls: the position follows it down at the
// next paint.
TEST(ViewScrollState, MaximumBelowThePositionPullsItBackAtTheNextPaint) {
    InstallPort();
    ProgramDriver driver;
    TakeReadingsShowing(driver, 0, 10);
    driver
        .then([] {
            SetClientSize(600, 4 * cyChar); // range 10 + 2 - 4 = 8
            ASSERT_EQ(nVscrollMax, 8);
            VBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        })
        .then([] {
            ASSERT_EQ(nVscrollPos, 8);
            SetClientSize(600, 9 * cyChar); // range 3
        })
        .then([] {
            EXPECT_EQ(nVscrollMax, 3);
            EXPECT_EQ(nVscrollPos, 3);
            EXPECT_EQ(VBar()->value(), 3);
            EXPECT_EQ(VBar()->maximum(), 3);
            // Older row 3 + k - 1 on line k - 1... row LINE on line LINE - 2.
            std::vector<Expected> rows;
            for (int line = 2; line <= 9; ++line)
                rows = Join(rows, OlderRow(9 - line, cxChar, (line - 2) * cyChar));
            ExpectDrawn(LastPaint(), rows);
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

// The thumb dragged with the mouse on the real bar: the view follows while it moves, and the
// release adds nothing.
TEST(ViewScrollState, ThumbDraggedWithTheMouse) {
    InstallPort();
    static int trackedTo = -1;
    ProgramDriver driver;
    TakeReadingsShowing(driver, 0, 40);
    driver
        .then([] {
            SetClientSize(600, 10 * cyChar); // range 40 + 2 - 10 = 32
            ASSERT_EQ(nVscrollMax, 32);
            QScrollBar* bar = VBar();
            QStyleOptionSlider opt;
            opt.initFrom(bar);
            opt.orientation = bar->orientation();
            opt.minimum = bar->minimum();
            opt.maximum = bar->maximum();
            opt.sliderPosition = bar->sliderPosition();
            opt.sliderValue = bar->value();
            opt.singleStep = bar->singleStep();
            opt.pageStep = bar->pageStep();
            opt.upsideDown = bar->invertedAppearance();
            QRect handle = bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt,
                                                        QStyle::SC_ScrollBarSlider, bar);
            QPoint from = handle.center();
            QPoint to = from + QPoint(0, bar->height() / 2);
            trace.clear();
            QTest::mousePress(bar, Qt::LeftButton, {}, from);
            QTest::mouseMove(bar, from + QPoint(0, 5));
            QTest::mouseMove(bar, to);
            trackedTo = nVscrollPos;
            EXPECT_GT(trackedTo, 0);
            EXPECT_LT(trackedTo, 32);
            EXPECT_EQ(bar->sliderPosition(), trackedTo);
            QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
        })
        .then([] {
            EXPECT_EQ(nVscrollPos, trackedTo);
            EXPECT_EQ(VBar()->value(), trackedTo);
            EXPECT_GE(Paints(), 1);
            // Older row LINE on line LINE - trackedTo + 1: the top line shows row trackedTo - 1.
            std::vector<Win32DrawOp> ops = LastPaint();
            ASSERT_FALSE(ops.empty());
            EXPECT_EQ(ops[0].y, 0);
            EXPECT_EQ(ops[0].text, list[39 - (trackedTo - 1)].data_entry);
            EXPECT_EQ(ops[2].text, list[39 - (trackedTo - 1)].DD);
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

// --- A full log ----------------------------------------------------------------------------------

// Every text of the paint belongs to the row that its line should show, and every line of the
// client area that should show a row does, exactly once.
void ExpectFullLogLines(int pos) {
    std::vector<Win32DrawOp> ops = LastPaint();
    std::vector<Expected> expected;
    int line = 0;
    if (pos == 0) {
        expected = HeaderAndNewest(LOG_LIMIT, cxChar);
        line = 2;
    }
    for (; line * cyChar < cyClient; ++line) {
        int older = line + pos - 1; // LINE
        if (older < 1 || older > LOG_LIMIT)
            continue;
        expected = Join(expected, OlderRow(LOG_LIMIT - older, cxChar, line * cyChar));
    }
    ExpectDrawn(ops, expected);
    for (const auto& op : ops) {
        ASSERT_GE(op.y, 0);
        ASSERT_LT(op.y, cyClient);
    }
}

TEST(ViewFullLog, RightRowsAtTopMiddleAndBottomAndNoStrayOnes) {
    InstallPort();
    for (int i = 0; i <= LOG_LIMIT; ++i)
        Read(i);
    ASSERT_EQ(e, LOG_LIMIT);
    ASSERT_TRUE(LogIsFull());
    for (int i : {0, 1, 2047, 2048, 16000, 31999, 32000})
        ASSERT_EQ(IndexShownBy(list[i]), i);

    static int middle = 0;
    ProgramDriver driver;
    driver
        .then([] {
            SetClientSize(700, 30 * cyChar + 5);
            EXPECT_EQ(nVscrollMax, 32003 - 30);
            ExpectFullLogLines(0);
            // Drag the thumb to the middle of the range.
            middle = nVscrollMax / 2;
            VBar()->setSliderDown(true);
            VBar()->setSliderPosition(middle); // SB_THUMBTRACK
        })
        .then([] {
            ASSERT_EQ(nVscrollPos, middle);
            ExpectFullLogLines(middle);
            VBar()->setSliderDown(false); // SB_THUMBPOSITION, SB_ENDSCROLL
        })
        .then([] {
            ASSERT_EQ(nVscrollPos, middle);
            VBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        })
        .then([] {
            ASSERT_EQ(nVscrollPos, nVscrollMax);
            ExpectFullLogLines(nVscrollPos);
            // The oldest reading is on the last line that holds a row.
            std::vector<Win32DrawOp> ops = LastPaint();
            ASSERT_FALSE(ops.empty());
            EXPECT_EQ(ops.back().text, list[0].CD);
            EXPECT_EQ(ops.back().y, (30 - 2) * cyChar); // and one empty line below it
            // Page by page back to the top: every paint shows the right rows.
            for (int k = 0; k < 3; ++k) {
                VBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
                Client()->repaint();
                ExpectFullLogLines(nVscrollPos);
            }
            VBar()->triggerAction(QAbstractSlider::SliderToMinimum);
        })
        .then([] {
            ASSERT_EQ(nVscrollPos, 0);
            ExpectFullLogLines(0);
        })
        .then(Close);
    EXPECT_EQ(driver.run(), 0);
}

} // namespace
