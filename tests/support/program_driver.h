// Runs the real program (WinMain over the program's resources) on the offscreen platform and
// plays a script of steps against it, one step per turn of its message loop.
#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bytescope.h"
#include "win32_qt.h"
#include "windows.h"

namespace testsupport {

class ProgramDriver {
  public:
    // Adds a step. A step runs when the program's queue is empty and the step before it has
    // been handled: keys pressed in one step have been translated and dispatched by the next.
    ProgramDriver& then(std::function<void()> step) {
        steps_.push_back(std::move(step));
        return *this;
    }

    // Runs WinMain with `commandLine` and the steps; returns WinMain's result. When the steps
    // are done and the program has not ended within `timeoutMs`, the test fails and the program
    // is told to quit.
    int run(const std::string& commandLine = "", int timeoutMs = 10000) {
        next_ = 0;
        QTimer::singleShot(0, [this] { waitForWindow(); });
        static HINSTANCE__ module{&g_ModuleResources};
        std::string cmd = commandLine;
        return WinMain(&module, nullptr, cmd.data(), SW_SHOWNORMAL, timeoutMs);
    }

  private:
    static int WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmd, int show, int timeoutMs) {
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            ADD_FAILURE() << "the program did not end in time";
            PostQuitMessage(99);
        });
        watchdog.start(timeoutMs);
        return ::WinMain(inst, prev, cmd, show);
    }

    void waitForWindow() {
        QWidget* w = Win32_Widget(hwndMain);
        if (!w || !w->isVisible()) {
            QTimer::singleShot(5, [this] { waitForWindow(); });
            return;
        }
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w, 5000))
            ADD_FAILURE() << "the main window did not become active";
        QTimer::singleShot(0, [this] { runNext(); });
    }

    void runNext() {
        if (next_ >= steps_.size())
            return;
        auto step = steps_[next_++];
        step();
        QTimer::singleShot(10, [this] { runNext(); });
    }

    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
};

// Presses and releases a key on the widget that has the keyboard focus (else the main window).
inline void pressKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = Win32_Client(hwndMain);
    QTest::keyClick(target, key, mods);
}

} // namespace testsupport
