// The Win32 layer held to Win32's messages where the program cannot show them: the size types on
// minimising, restoring and maximising, and the menu loop, which reports nothing for the pointer
// over the closed bar and ends with one closing notification.
#include <QApplication>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "win32_qt.h"
#include "windows.h"

static std::vector<MSG> seen;

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    seen.push_back({hwnd, msg, wParam, lParam, 0, {0, 0}});
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A window of the layer's with the program's menu, active.
static HWND makeWindow() {
    static HINSTANCE__ module{&g_ModuleResources};
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = &module;
    wc.lpszMenuName = MAKEINTRESOURCE(600);
    wc.lpszClassName = "Test";
    EXPECT_NE(RegisterClassA(&wc), 0);
    HWND h = CreateWindowExA(0, "Test", "Test", WS_CAPTION | WS_VSCROLL | WS_VISIBLE, CW_USEDEFAULT,
                             CW_USEDEFAULT, 400, 300, nullptr, nullptr, &module, nullptr);
    EXPECT_NE(h, nullptr);
    Win32_Widget(h)->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(Win32_Widget(h)));
    return h;
}

// The messages of kind `msg` seen since the last clear.
static std::vector<MSG> only(UINT msg) {
    std::vector<MSG> out;
    std::copy_if(seen.begin(), seen.end(), std::back_inserter(out),
                 [msg](const MSG& s) { return s.message == msg; });
    return out;
}

TEST(Win32, MinimisingRestoringAndMaximisingSendTheirSizes) {
    HWND h = makeWindow();
    const int width = Win32_Client(h)->width();
    seen.clear();
    for (auto show : {&QWidget::showMinimized, &QWidget::showNormal, &QWidget::showMaximized}) {
        (Win32_Widget(h)->*show)();
        QTest::qWait(20);
    }
    std::vector<MSG> s = only(WM_SIZE);
    ASSERT_GE(s.size(), 3u);
    EXPECT_EQ(s[0].wParam, WPARAM(SIZE_MINIMIZED));
    EXPECT_EQ(s[0].lParam, 0) << "0 x 0";
    EXPECT_EQ(s[1].wParam, WPARAM(SIZE_RESTORED)) << "even at the size it had before";
    EXPECT_EQ(LOWORD(s[1].lParam), width);
    EXPECT_EQ(s.back().wParam, WPARAM(SIZE_MAXIMIZED));
    EXPECT_EQ(LOWORD(s.back().lParam), Win32_Client(h)->width());
}

TEST(Win32, TheMenuLoopEndsWithOneClosingNotification) {
    HWND h = makeWindow();
    QMenuBar* bar = Win32_MenuBar(h);
    seen.clear();
    QTest::mouseMove(bar, bar->actionGeometry(bar->actions()[1]).center()); // over the closed bar
    QTest::qWait(20);
    EXPECT_TRUE(only(WM_MENUSELECT).empty()) << "the pointer over the closed bar is no menu loop";
    bar->setActiveAction(bar->actions()[1]); // opens the Read menu, as a click does
    QTest::qWait(20);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    if (QWidget* still = QApplication::activePopupWidget())
        QTest::keyClick(still, Qt::Key_Escape);
    QTest::keyClick(bar, Qt::Key_Escape);
    QTest::qWait(50);
    std::string kinds; // h a highlight, x the closing
    for (const MSG& s : only(WM_MENUSELECT))
        kinds += HIWORD(s.wParam) != 0xFFFF ? 'h' : s.lParam == 0 ? 'x' : '?';
    EXPECT_TRUE(std::regex_match(kinds, std::regex("hh+x")))
        << "the Read title, then its item, then one closing, last: " << kinds;
}

// F10 (DefWindowProc's Alt press and release) selects the first title for the keyboard, and
// Escape out of a pop-up leaves its title selected; Win32 draws both highlighted. Of "&E&xit" it
// underlines only the x.
TEST(Win32, TitlesSelectedFromTheKeyboardAreHighlighted) {
    HWND h = makeWindow();
    QMenuBar* bar = Win32_MenuBar(h);
    QWindow* window = Win32_Widget(h)->windowHandle();
    auto look = [bar](int i) {
        return bar->grab().toImage().pixel(bar->actionGeometry(bar->actions()[i]).topLeft() +
                                           QPoint(2, 2));
    };
    const QRgb plain = look(0);
    QTest::keyClick(window, Qt::Key_F10);
    PostQuitMessage(0); // the messages the key posted, then the end
    for (MSG m; GetMessageA(&m, nullptr, 0, 0);)
        DispatchMessageA(&m);
    EXPECT_TRUE(bar->activeAction() == bar->actions()[0] && look(0) != plain) << "File, after F10";
    QTest::keyClick(bar, Qt::Key_Escape);
    QTest::keyClick(window, Qt::Key_R, Qt::AltModifier);
    QTest::qWait(20);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTest::qWait(20);
    EXPECT_TRUE(bar->activeAction() == bar->actions()[1] && look(1) != plain)
        << "Read, after Alt+R and Escape";
    // "&E&xit": the line under the label's lowest row of ink starts past the E, under the x.
    QTest::keyClick(bar, Qt::Key_Escape);
    QTest::keyClick(window, Qt::Key_F, Qt::AltModifier);
    QTest::qWait(20);
    auto* file = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(file, nullptr);
    file->setActiveAction(nullptr);
    const QImage image = file->grab(file->actionGeometry(file->actions()[0])).toImage();
    const int paper = qGray(image.pixel(image.width() - 3, image.height() / 2)); // inside the frame
    int left = image.width(), lowest = -1, start = image.width();
    for (int y = 2; y < image.height() - 2; ++y)
        for (int x = 2; x < image.width() - 2; ++x)
            if (qGray(image.pixel(x, y)) != paper) {
                left = std::min(left, x);
                start = y == lowest ? start : x; // the first ink of the lowest row so far
                lowest = y;
            }
    EXPECT_GT(start, left + file->fontMetrics().horizontalAdvance('E') / 2) << "E is underlined";
}
