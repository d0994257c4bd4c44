// The Win32 layer on Qt: messages, windows, scroll bars, keys, menus, dialogs, GDI, help.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32_qt.h"
#include "windows.h"

namespace {

// --- A small program of the test's own --------------------------------------------------------

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> seen;
HWND created = nullptr; // the window being created, as WM_CREATE saw it
bool inSend = false;

std::vector<UINT> messagesOf(UINT msg) {
    std::vector<UINT> out;
    for (const Seen& s : seen)
        if (s.msg == msg)
            out.push_back(msg);
    return out;
}

bool validDuringDestroy = false;
extern HINSTANCE__ module;
INT_PTR CALLBACK EndAtOnce(HWND hwnd, UINT msg, WPARAM, LPARAM);

LRESULT CALLBACK TestWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    seen.push_back({hwnd, msg, wParam, lParam});
    switch (msg) {
    case WM_CREATE: created = hwnd; return 0;
    case WM_DESTROY:
        validDuringDestroy = IsWindow(hwnd) && DestroyWindow(hwnd) == FALSE;
        PostQuitMessage(7);
        return 0;
    case WM_USER + 10: return inSend ? 1234 : -1;
    case WM_USER + 40:
        for (int i = 0; i < 3; ++i)
            DialogBoxParamA(&module, MAKEINTRESOURCE(321), hwnd, EndAtOnce, 0);
        DestroyWindow(hwnd);
        return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

const MENUITEM_RES kMenu[] = {
    {MF_POPUP, 0, "&File"}, {MF_END, 300, "E&xit"}, {MF_POPUP | MF_END, 0, "&Read"},
    {0, 312, "&Port"},      {MF_SEPARATOR, 0, ""},  {MF_END, 313, "&Again"},
};
const MENU_RES kMenus[] = {{600, kMenu}};
const ACCEL kAccel[] = {
    {FVIRTKEY | FCONTROL, 'Q', 300},
    {FVIRTKEY, VK_F12, 312},
    {FVIRTKEY, VK_F1, 316},
    {FVIRTKEY, VK_F2, 301},
};
const ACCELTABLE_RES kAccels[] = {{100, kAccel, 4}};
const DLGITEM_RES kItems[] = {
    {318, "edit", "", 0x50810080, 0, 16, 10, 37, 12},
    {320, "button", "Send", 0x50010001, 0, 68, 10, 24, 12},
    {IDCANCEL, "button", "Cancel", 0x50010000, 0, 102, 10, 28, 12},
    {401, "static", "Centred", 0x50020001, 0, 10, 24, 60, 8},
};
const DLGTEMPLATE_RES kDialogs[] = {
    {321, "Test Dialog", 0x90C80046, 0x200, 8, 68, 139, 40, 8, 0, 0, 1, "MT Extra", kItems, 4}};
const STRING_RES kStrings[] = {{312, "Reads the port"}, {999, "A long string"}};
const RESOURCE_DIRECTORY kResources = {kMenus, 1, kAccels, 1, kDialogs, 1, kStrings, 2};
HINSTANCE__ module{&kResources};

HWND makeWindow(DWORD style = WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TestWndProc;
    wc.hInstance = &module;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCE(600);
    wc.lpszClassName = "TestClass";
    RegisterClassA(&wc); // a second registration fails harmlessly
    return CreateWindowExA(0, "TestClass", "Test", style, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300,
                           nullptr, nullptr, &module, nullptr);
}

// Runs the message loop as the program does, with the accelerator table, until WM_QUIT; `step`
// runs from the event loop once the window is active.
int runLoop(HWND hwnd, std::function<void()> step) {
    HACCEL accel = LoadAcceleratorsA(&module, MAKEINTRESOURCE(100));
    QTimer::singleShot(0, [hwnd, step] {
        QWidget* w = Win32_Widget(hwnd);
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        step();
    });
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        ADD_FAILURE() << "loop did not end";
        PostQuitMessage(99);
    });
    watchdog.start(5000);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        if (!TranslateAcceleratorA(msg.hwnd, accel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return int(msg.wParam);
}

std::vector<WORD> commands() {
    std::vector<WORD> ids;
    for (const Seen& s : seen)
        if (s.msg == WM_COMMAND)
            ids.push_back(LOWORD(s.wParam));
    return ids;
}

} // namespace

// --- Messages and the loop ---------------------------------------------------------------------

TEST(Win32Messages, SendMessageCallsTheProcedureDirectly) {
    HWND hwnd = makeWindow();
    ASSERT_NE(hwnd, nullptr);
    seen.clear();
    inSend = true;
    LRESULT r = SendMessageA(hwnd, WM_USER + 10, 5, 6);
    inSend = false;
    EXPECT_EQ(r, 1234);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].wParam, 5u);
    EXPECT_EQ(seen[0].lParam, 6);
}

TEST(Win32Messages, PostedMessagesArriveInOrderThenQuit) {
    HWND hwnd = makeWindow();
    seen.clear();
    for (int i = 0; i < 5; ++i)
        PostMessageA(hwnd, WM_USER + 20, WPARAM(i), 0);
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    PostMessageA(hwnd, WM_USER + 21, 0, 0); // after the window is gone: dropped
    MSG msg;
    int got = 0;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        DispatchMessageA(&msg);
        ++got;
    }
    EXPECT_EQ(msg.message, UINT(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    std::vector<WPARAM> order;
    for (const Seen& s : seen)
        if (s.msg == WM_USER + 20)
            order.push_back(s.wParam);
    EXPECT_EQ(order, (std::vector<WPARAM>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(messagesOf(WM_USER + 21).empty());
    EXPECT_EQ(got, 7);
}

TEST(Win32Messages, CreateAndFirstSizeComeBeforeCreateWindowReturns) {
    seen.clear();
    created = nullptr;
    HWND hwnd = makeWindow();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(created, hwnd);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0].msg, UINT(WM_CREATE));
    EXPECT_EQ(seen[1].msg, UINT(WM_SIZE));
    RECT rc;
    ASSERT_TRUE(GetClientRect(hwnd, &rc));
    EXPECT_EQ(LOWORD(seen[1].lParam), rc.right);
    EXPECT_EQ(HIWORD(seen[1].lParam), rc.bottom);
    EXPECT_GT(rc.right, 0);
    EXPECT_GT(rc.bottom, 0);
}

TEST(Win32Messages, DestroyArrivesOnceWhateverEndsTheWindow) {
    HWND hwnd = makeWindow();
    seen.clear();
    QTimer::singleShot(0, [hwnd] { Win32_Widget(hwnd)->close(); }); // the close box
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0))
        DispatchMessageA(&msg);
    EXPECT_TRUE(validDuringDestroy) << "valid while WM_DESTROY runs, and destroyed only once";
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_EQ(messagesOf(WM_CLOSE).size(), 1u);
    EXPECT_EQ(messagesOf(WM_DESTROY).size(), 1u);
    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 10, 0, 0), 0); // a dead window gets nothing
}

namespace {
INT_PTR CALLBACK EndAtOnce(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG)
        EndDialog(hwnd, 5);
    return msg == WM_INITDIALOG;
}
} // namespace

TEST(Win32Messages, WidgetsOfDestroyedWindowsAreFreedWhenTheLoopWaits) {
    int before = int(QApplication::allWidgets().size());
    HWND hwnd = makeWindow();
    ASSERT_GT(int(QApplication::allWidgets().size()), before);
    PostMessageA(hwnd, WM_USER + 40, 0, 0); // dialogs, then the window goes
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0))
        DispatchMessageA(&msg);
    QTimer::singleShot(10, [] { PostMessageA(nullptr, WM_USER, 0, 0); });
    GetMessageA(&msg, nullptr, 0, 0); // waits once more
    EXPECT_EQ(int(QApplication::allWidgets().size()), before);
}

TEST(Win32Messages, CommandTailDropsTheProgramNameAndBlanks) {
    EXPECT_EQ(Win32_CommandTail("bytescope"), "");
    EXPECT_EQ(Win32_CommandTail("bytescope   -x  y"), "-x  y");
    EXPECT_EQ(Win32_CommandTail("\"/opt/my apps/bytescope\"  --help"), "--help");
    EXPECT_EQ(Win32_CommandTail("\"unterminated name"), "");
    char a0[] = "/opt/my apps/bytescope", a1[] = "one", a2[] = "two words";
    char* argv[] = {a0, a1, a2};
    EXPECT_EQ(Win32_CommandLine(3, argv), "\"/opt/my apps/bytescope\" one \"two words\"");
    EXPECT_EQ(Win32_CommandTail(Win32_CommandLine(3, argv)), "one \"two words\"");
}

// --- Keys and accelerators ---------------------------------------------------------------------

TEST(Win32Keys, AcceleratorTableTurnsKeysIntoCommands) {
    HWND hwnd = makeWindow();
    seen.clear();
    int code = runLoop(hwnd, [hwnd] {
        QWidget* client = Win32_Client(hwnd);
        QTest::keyClick(client, Qt::Key_F12);
        QTest::keyClick(client, Qt::Key_F1);
        QTest::keyClick(client, Qt::Key_F2);
        QTest::keyClick(client, Qt::Key_Q);                      // without Ctrl: no command
        QTest::keyClick(client, Qt::Key_F12, Qt::ShiftModifier); // other modifiers: none
        QTest::keyClick(client, Qt::Key_Q, Qt::ControlModifier);
        QTimer::singleShot(50, [hwnd] { DestroyWindow(hwnd); });
    });
    EXPECT_EQ(code, 7);
    EXPECT_EQ(commands(), (std::vector<WORD>{312, 316, 301, 300}));
    for (const Seen& s : seen) {
        if (s.msg == WM_COMMAND) {
            EXPECT_EQ(HIWORD(s.wParam), 1) << "accelerator commands carry 1 in HIWORD";
        }
    }
    // Keys that no accelerator takes reach the window procedure as WM_KEYDOWN.
    int keydowns = 0;
    for (const Seen& s : seen)
        keydowns += s.msg == WM_KEYDOWN;
    EXPECT_EQ(keydowns, 2);
}

// --- Menus -------------------------------------------------------------------------------------

TEST(Win32Menus, ItemsPostCommandsAndHighlightingSendsMenuSelect) {
    HWND hwnd = makeWindow();
    QMenuBar* bar = Win32_MenuBar(hwnd);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[0]->text(), "&File");
    QMenu* read = bar->actions()[1]->menu();
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->actions().size(), 3);
    EXPECT_TRUE(read->actions()[1]->isSeparator());
    seen.clear();
    read->actions()[0]->hover();
    read->actions()[2]->trigger();
    EXPECT_TRUE(commands().empty()) << "menu commands are posted, not sent";
    ASSERT_EQ(messagesOf(WM_MENUSELECT).size(), 1u);
    const Seen* select = nullptr;
    for (const Seen& s : seen)
        if (s.msg == WM_MENUSELECT)
            select = &s;
    EXPECT_EQ(LOWORD(select->wParam), 312);
    EXPECT_FALSE(HIWORD(select->wParam) & MF_POPUP);
    EXPECT_NE(select->lParam, 0);
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0))
        DispatchMessageA(&msg);
    EXPECT_EQ(commands(), (std::vector<WORD>{313}));
}

TEST(Win32Menus, PopupTitleAndClosingAreReported) {
    HWND hwnd = makeWindow();
    seen.clear();
    runLoop(hwnd, [hwnd] {
        QMenuBar* bar = Win32_MenuBar(hwnd);
        QMenu* file = bar->actions()[0]->menu();
        emit bar->hovered(bar->actions()[0]);
        file->popup(QPoint(10, 10));
        QTimer::singleShot(50, [file, hwnd] {
            file->hide();
            QTimer::singleShot(50, [hwnd] { DestroyWindow(hwnd); });
        });
    });
    std::vector<std::pair<WORD, WORD>> selects;
    for (const Seen& s : seen)
        if (s.msg == WM_MENUSELECT)
            selects.push_back({LOWORD(s.wParam), HIWORD(s.wParam)});
    ASSERT_GE(selects.size(), 2u);
    EXPECT_EQ(selects.front().first, 0); // the first pop-up, by position
    EXPECT_TRUE(selects.front().second & MF_POPUP);
    EXPECT_EQ(selects.back(), (std::pair<WORD, WORD>{0, 0xFFFF}));
    for (const Seen& s : seen) {
        if (s.msg == WM_MENUSELECT && HIWORD(s.wParam) == 0xFFFF) {
            EXPECT_EQ(s.lParam, 0);
        }
    }
}

// --- Scroll bars -------------------------------------------------------------------------------

TEST(Win32Scroll, EmptyRangeHidesTheBarAndResizesTheClient) {
    HWND hwnd = makeWindow();
    QWidget* frame = Win32_Widget(hwnd);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    RECT before;
    GetClientRect(hwnd, &before);
    seen.clear();
    SetScrollRange(hwnd, SB_VERT, 0, 0, FALSE); // WM_SIZE is sent during the call
    RECT after;
    GetClientRect(hwnd, &after);
    EXPECT_GT(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);
    ASSERT_FALSE(messagesOf(WM_SIZE).empty());
    for (const Seen& s : seen) {
        if (s.msg == WM_SIZE) {
            EXPECT_EQ(LOWORD(s.lParam), after.right);
        }
    }
    EXPECT_FALSE(Win32_ScrollBar(hwnd, SB_VERT)->isVisible());
    SetScrollRange(hwnd, SB_VERT, 0, 5, FALSE);
    GetClientRect(hwnd, &after);
    EXPECT_EQ(after.right, before.right);
    EXPECT_TRUE(Win32_ScrollBar(hwnd, SB_VERT)->isVisible());
}

TEST(Win32Scroll, ActionsBecomeMessagesAndOnlyTheProgramMovesTheThumb) {
    HWND hwnd = makeWindow();
    SetScrollRange(hwnd, SB_VERT, 0, 10, FALSE);
    SetScrollPos(hwnd, SB_VERT, 3, TRUE);
    QScrollBar* bar = Win32_ScrollBar(hwnd, SB_VERT);
    seen.clear();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    std::vector<WORD> codes;
    for (const Seen& s : seen)
        if (s.msg == WM_VSCROLL)
            codes.push_back(LOWORD(s.wParam));
    EXPECT_EQ(codes, (std::vector<WORD>{SB_LINEDOWN, SB_PAGEUP, SB_BOTTOM, SB_TOP}));
    EXPECT_EQ(bar->value(), 3) << "the procedure did not move the thumb";
    EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 3);
    EXPECT_EQ(SetScrollPos(hwnd, SB_VERT, 42, TRUE), 3);
    EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 10) << "positions stay within the range";
    SetScrollRange(hwnd, SB_VERT, 0, 4, FALSE);
    EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 4) << "a smaller range pulls the position in";
    seen.clear();
    Win32_ScrollBar(hwnd, SB_HORZ)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    ASSERT_EQ(messagesOf(WM_HSCROLL).size(), 1u);
}

TEST(Win32Scroll, DraggingTheThumbTracksThenReportsItsPosition) {
    HWND hwnd = makeWindow();
    SetScrollRange(hwnd, SB_VERT, 0, 20, FALSE);
    QScrollBar* bar = Win32_ScrollBar(hwnd, SB_VERT);
    seen.clear();
    bar->setSliderDown(true);
    bar->setSliderPosition(7);
    bar->setSliderPosition(9);
    bar->setSliderDown(false);
    std::vector<std::pair<WORD, WORD>> got;
    for (const Seen& s : seen)
        if (s.msg == WM_VSCROLL)
            got.push_back({LOWORD(s.wParam), HIWORD(s.wParam)});
    std::vector<std::pair<WORD, WORD>> want = {
        {SB_THUMBTRACK, 7}, {SB_THUMBTRACK, 9}, {SB_THUMBPOSITION, 9}, {SB_ENDSCROLL, 0}};
    EXPECT_EQ(got, want);
    EXPECT_EQ(bar->sliderPosition(), 0) << "back where the program left it";
}

// --- Painting and GDI --------------------------------------------------------------------------

namespace {

LRESULT CALLBACK PaintWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT black = {0, 0, 40, 30};
    FillRect(dc, &black, (HBRUSH)GetStockObject(BLACK_BRUSH));
    SetTextColor(dc, RGB(235, 0, 0));
    TextOutA(dc, 50, 40, "0000", 4); // opaque: white cell behind red text
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 255));
    RECT area = {0, 100, 300, 300};
    DrawTextA(dc, "\n\nCentred line\nsecond", -1, &area, DT_CENTER | DT_WORDBREAK);
    EndPaint(hwnd, &ps);
    return 0;
}

} // namespace

TEST(Win32Gdi, DrawingLandsWhereAndHowTheProgramAsked) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PaintWndProc;
    wc.hInstance = &module;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "PaintClass";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND hwnd = CreateWindowExA(0, "PaintClass", "Paint", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                300, 300, nullptr, nullptr, &module, nullptr);
    std::vector<Win32DrawOp> trace;
    Win32_SetDrawTrace(&trace);
    QImage img = Win32_Client(hwnd)->grab().toImage();
    Win32_SetDrawTrace(nullptr);

    ASSERT_EQ(trace.size(), 5u);
    EXPECT_EQ(trace[0].kind, Win32DrawOp::BeginPaint);
    EXPECT_EQ(trace[1].kind, Win32DrawOp::Fill);
    EXPECT_EQ(trace[1].bkColor, 0x000000u);
    EXPECT_EQ(trace[2].text, "0000");
    EXPECT_EQ(trace[2].textColor, 0x0000EBu) << "COLORREF is 0x00BBGGRR";
    EXPECT_EQ(trace[2].bkMode, OPAQUE);
    EXPECT_EQ(trace[3].text, "Centred line");
    EXPECT_EQ(trace[4].text, "second");
    EXPECT_EQ(trace[4].y - trace[3].y, trace[3].height);
    EXPECT_EQ(trace[3].y, 100 + 2 * trace[3].height) << "each line break starts a line";
    EXPECT_NEAR(trace[3].x + trace[3].width / 2, 150, 1) << "centred in the rectangle";

    auto px = [&](int x, int y) { return img.pixelColor(x, y); };
    EXPECT_EQ(px(5, 5), QColor(Qt::black));
    EXPECT_EQ(px(45, 5), QApplication::palette().color(QPalette::Base)) << "erased background";
    // The text cell's top-left corner is at (50, 40): red ink inside the cell, none above it.
    bool red = false;
    for (int y = 40; y < 40 + trace[2].height; ++y)
        for (int x = 50; x < 50 + trace[2].width; ++x)
            red |= px(x, y).red() > 150 && px(x, y).green() < 100;
    EXPECT_TRUE(red);
    for (int x = 50; x < 50 + trace[2].width; ++x)
        EXPECT_EQ(px(x, 39), QApplication::palette().color(QPalette::Base));
}

TEST(Win32Gdi, TextMetricsAndFonts) {
    HWND hwnd = makeWindow();
    HDC dc = GetDC(hwnd);
    TEXTMETRICA tm;
    ASSERT_TRUE(GetTextMetricsA(dc, &tm));
    EXPECT_GT(tm.tmAveCharWidth, 0);
    EXPECT_GT(tm.tmHeight, tm.tmAveCharWidth);
    EXPECT_GE(tm.tmExternalLeading, 0);
    HFONT big =
        CreateFontA(28, 11, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Modern");
    HGDIOBJ old = SelectObject(dc, big);
    ASSERT_NE(old, nullptr);
    TEXTMETRICA bigTm;
    GetTextMetricsA(dc, &bigTm);
    EXPECT_NEAR(bigTm.tmHeight, 28, 2) << "the cell height asked for";
    EXPECT_NEAR(bigTm.tmAveCharWidth, 11, 2) << "the average width asked for";
    EXPECT_EQ(SelectObject(dc, old), big);
    EXPECT_TRUE(DeleteObject(big));
    HFONT em = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Sans");
    SelectObject(dc, em);
    TEXTMETRICA emTm;
    GetTextMetricsA(dc, &emTm);
    EXPECT_GT(emTm.tmHeight, 20) << "a negative height asks for the character height, not the cell";
    SelectObject(dc, old);
    DeleteObject(em);
    ReleaseDC(hwnd, dc);
}

// --- Dialogs and message boxes -----------------------------------------------------------------

namespace {

std::vector<std::pair<WORD, WORD>> dialogCommands;
INT_PTR CALLBACK TestDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: EnableWindow(GetDlgItem(hwnd, 320), FALSE); return TRUE;
    case WM_COMMAND:
        dialogCommands.push_back({LOWORD(wParam), HIWORD(wParam)});
        if (LOWORD(wParam) == 318 && HIWORD(wParam) == EN_CHANGE) {
            char text[16];
            EnableWindow(GetDlgItem(hwnd, 320), GetDlgItemTextA(hwnd, 318, text, 16) > 0);
            return TRUE;
        }
        if (LOWORD(wParam) == 320 || LOWORD(wParam) == IDCANCEL) {
            EndDialog(hwnd, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

template <class T> T* child(QWidget* dlg, const QString& text = {}) {
    for (T* w : dlg->findChildren<T*>())
        if (text.isEmpty() || w->property("text").toString() == text)
            return w;
    return nullptr;
}

} // namespace

TEST(Win32Dialogs, TemplateControlsKeysAndResult) {
    HWND owner = makeWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Win32_Widget(owner)));
    dialogCommands.clear();
    QString failure;
    QTimer::singleShot(0, [&] {
        QWidget* dlg = QApplication::activeModalWidget();
        if (!dlg) {
            failure = "no modal dialog";
            return;
        }
        auto* edit = child<QLineEdit>(dlg);
        auto* send = child<QPushButton>(dlg, "Send");
        auto* label = child<QLabel>(dlg);
        if (dlg->windowTitle() != "Test Dialog" || !edit || !send || !label)
            failure = "controls missing";
        else if (dlg->focusWidget() != edit)
            failure = "focus is not in the first tab stop";
        else if (send->isEnabled())
            failure = "Send should start disabled";
        QTest::keyClick(edit, Qt::Key_Return); // Send disabled: IDOK
        QTest::keyClicks(edit, "12");
        if (!send->isEnabled())
            failure = "typing did not enable Send";
        QTest::keyClick(edit, Qt::Key_Return); // clicks Send
    });
    INT_PTR result = DialogBoxParamA(&module, MAKEINTRESOURCE(321), owner, TestDlgProc, 0);
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_EQ(result, 320);
    std::vector<std::pair<WORD, WORD>> want = {
        {IDOK, BN_CLICKED}, {318, EN_CHANGE}, {318, EN_CHANGE}, {320, BN_CLICKED}};
    EXPECT_EQ(dialogCommands, want);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(Win32Dialogs, AnEndedDialogIsHiddenAndTakesNoMoreInput) {
    HWND owner = makeWindow();
    dialogCommands.clear();
    bool hiddenAtOnce = false;
    QTimer::singleShot(0, [&] {
        QWidget* dlg = QApplication::activeModalWidget();
        if (!dlg)
            return;
        auto* edit = child<QLineEdit>(dlg);
        QTest::keyClicks(edit, "1");
        auto* send = child<QPushButton>(dlg, "Send");
        send->click(); // ends the dialog
        hiddenAtOnce = !dlg->isVisible();
        send->click(); // a second click already on its way: dropped
        QTest::keyClick(edit, Qt::Key_Escape);
    });
    EXPECT_EQ(DialogBoxParamA(&module, MAKEINTRESOURCE(321), owner, TestDlgProc, 0), 320);
    EXPECT_TRUE(hiddenAtOnce);
    std::vector<std::pair<WORD, WORD>> want = {{318, EN_CHANGE}, {320, BN_CLICKED}};
    EXPECT_EQ(dialogCommands, want);
}

TEST(Win32Dialogs, EscapeAndCloseBoxCancel) {
    HWND owner = makeWindow();
    dialogCommands.clear();
    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_EQ(DialogBoxParamA(&module, MAKEINTRESOURCE(321), owner, TestDlgProc, 0), IDCANCEL);
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(DialogBoxParamA(&module, MAKEINTRESOURCE(321), owner, TestDlgProc, 0), IDCANCEL);
    EXPECT_EQ(dialogCommands.size(), 2u);
    EXPECT_EQ(DialogBoxParamA(&module, MAKEINTRESOURCE(999), owner, TestDlgProc, 0), -1);
}

TEST(Win32Dialogs, DialogUnitsFollowTheDialogFont) {
    HWND owner = makeWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Win32_Widget(owner)));
    QRect edit, dialog;
    QPoint clientOrigin = Win32_Client(owner)->mapToGlobal(QPoint(0, 0));
    QPoint dialogPos;
    QFont font;
    QTimer::singleShot(0, [&] {
        QWidget* dlg = QApplication::activeModalWidget();
        edit = child<QLineEdit>(dlg)->geometry();
        dialog = dlg->geometry();
        dialogPos = dlg->pos();
        font = dlg->font();
        QTest::keyClick(dlg, Qt::Key_Escape);
    });
    DialogBoxParamA(&module, MAKEINTRESOURCE(321), owner, TestDlgProc, 0);
    QFontMetrics fm(font);
    int bx =
        (fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
    int by = fm.height();
    EXPECT_EQ(edit, QRect(16 * bx / 4, 10 * by / 8, 37 * bx / 4, 12 * by / 8));
    EXPECT_EQ(dialog.size(), QSize(139 * bx / 4, 40 * by / 8));
    EXPECT_EQ(dialogPos, clientOrigin + QPoint(8 * bx / 4, 68 * by / 8));
}

TEST(Win32Dialogs, MessageBoxShowsPlainTextWithItsIconAndDispatchesPostedMessages) {
    HWND hwnd = makeWindow();
    seen.clear();
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        text = box->text();
        caption = box->windowTitle();
        icon = box->icon();
        format = box->textFormat();
        PostMessageA(hwnd, WM_USER + 30, 0, 0);
        QTimer::singleShot(20, [box] { QTest::keyClick(box, Qt::Key_Return); });
    });
    EXPECT_EQ(MessageBoxA(nullptr, "<b>300</b>", "INVALID ENTRY", MB_ICONWARNING), IDOK);
    EXPECT_EQ(text, "<b>300</b>");
    EXPECT_EQ(caption, "INVALID ENTRY");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(messagesOf(WM_USER + 30).size(), 1u) << "the box's loop dispatches posted messages";
}

// --- Resources, status window, help --------------------------------------------------------------

TEST(Win32Resources, StringsLoadByNumberAndAreCut) {
    char buf[8];
    EXPECT_EQ(LoadStringA(&module, 312, buf, sizeof buf), 7);
    EXPECT_STREQ(buf, "Reads t");
    EXPECT_EQ(LoadStringA(&module, 12345, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(LoadAcceleratorsA(&module, MAKEINTRESOURCE(101)), nullptr);
    EXPECT_EQ(LoadMenuA(&module, MAKEINTRESOURCE(601)), nullptr);
    EXPECT_EQ(LoadMenuA(&module, "#600"), nullptr); // resources are named by number only
    HMENU menu = LoadMenuA(&module, MAKEINTRESOURCE(600));
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(DestroyMenu(menu));
}

TEST(Win32StatusWindow, CoversTheBottomStripAndKeepsItsText) {
    HWND hwnd = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND bar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | WS_BORDER | SBARS_SIZEGRIP, "Ready",
                                   hwnd, 3000);
    ASSERT_NE(bar, nullptr);
    char text[64];
    EXPECT_EQ(LOWORD(SendMessageA(bar, SB_GETTEXTA, 0, LPARAM(text))), 5);
    EXPECT_STREQ(text, "Ready");
    EXPECT_TRUE(SendMessageA(bar, SB_SETTEXTA, 0, LPARAM("Reads the port")));
    EXPECT_EQ(LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, 0, 0)), 14);
    RECT client;
    GetClientRect(hwnd, &client);
    QRect strip = Win32_Widget(bar)->geometry();
    EXPECT_EQ(strip.bottom() + 1, client.bottom);
    EXPECT_EQ(strip.width(), client.right);
    Win32_Widget(hwnd)->resize(500, 420);
    Win32_Widget(hwnd)->layout()->activate(); // the client area takes its new size now
    SendMessageA(bar, WM_SIZE, 0, 0);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(Win32_Widget(bar)->geometry().bottom() + 1, client.bottom);
    EXPECT_EQ(Win32_Widget(bar)->width(), client.right);
}

TEST(Win32Help, ViewerShowsTheFileOrSaysItIsMissing) {
    HWND hwnd = makeWindow();
    EXPECT_TRUE(WinHelpA(hwnd, "NO-SUCH-FILE.HLP", HELP_FINDER, 0));
    auto browsers = [] {
        QList<QTextBrowser*> list;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QTextBrowser*>(w); b && b->isVisible())
                list << b;
        return list;
    };
    ASSERT_EQ(browsers().size(), 1);
    EXPECT_TRUE(
        browsers()[0]->toPlainText().contains("Cannot find the help file \"NO-SUCH-FILE.HLP\""));

    QString path = QDir(QCoreApplication::applicationDirPath()).filePath("WIN32TEST.HLP");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html><body><h1>Contents</h1><p><a href=\"#t\">Topic</a></p></body></html>");
    f.close();
    EXPECT_TRUE(WinHelpA(hwnd, "WIN32TEST.HLP", HELP_FINDER, 0));
    ASSERT_EQ(browsers().size(), 1) << "one viewer at a time";
    EXPECT_TRUE(browsers()[0]->toPlainText().startsWith("Contents"));
    QFile::remove(path);
    EXPECT_TRUE(WinHelpA(hwnd, "WIN32TEST.HLP", HELP_QUIT, 0));
    EXPECT_TRUE(browsers().isEmpty());
}
