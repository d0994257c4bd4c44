// The Win32 layer held to Win32's order of messages where the program cannot show it: the menu
// loop reports nothing for the pointer over the closed bar, and ends with one closing
// notification.
#include <QApplication>
#include <QLayout>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32_qt.h"
#include "windows.h"

namespace {

struct Seen {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> seen;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    seen.push_back({msg, wParam, lParam});
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND makeWindow() {
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
    return h;
}

} // namespace

TEST(Win32, TheMenuLoopEndsWithOneClosingNotification) {
    HWND h = makeWindow();
    QWidget* frame = Win32_Widget(h);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    QMenuBar* bar = Win32_MenuBar(h);
    seen.clear();
    QTest::mouseMove(bar, bar->actionGeometry(bar->actions()[1]).center()); // over the closed bar
    QTest::qWait(20);
    EXPECT_TRUE(std::none_of(seen.begin(), seen.end(), [](const Seen& s) {
        return s.msg == WM_MENUSELECT;
    })) << "the pointer over the closed bar is no menu loop";
    bar->setActiveAction(bar->actions()[1]); // opens the Read menu, as a click does
    QTest::qWait(20);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    if (QWidget* still = QApplication::activePopupWidget())
        QTest::keyClick(still, Qt::Key_Escape);
    QTest::keyClick(bar, Qt::Key_Escape);
    QTest::qWait(50);
    int closings = 0, highlights = 0;
    std::erase_if(seen, [](const Seen& s) { return s.msg != WM_MENUSELECT; });
    for (const Seen& s : seen) {
        closings += HIWORD(s.wParam) == 0xFFFF && s.lParam == 0;
        highlights += HIWORD(s.wParam) != 0xFFFF;
    }
    EXPECT_GE(highlights, 2) << "the Read title, then its item";
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(HIWORD(seen.back().wParam), 0xFFFF) << "the closing comes last";
}
