// Drives the real program as a person would: steps run one at a time on later turns of the
// program's own message loop (its dialogs' too), and checks may run inside them. A case fails when
// the program ends before all its steps ran, when an awaited window never comes, or when the
// program does not end after its last step.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bytescope.h"
#include "statbar.h"
#include "win32_qt.h"
#include "windows.h"

namespace gui {

// The visible top-level window with this title, else null.
inline QWidget* window(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == title)
            return w;
    return nullptr;
}

// The message box with the focus, else null.
inline QMessageBox* box() {
    return qobject_cast<QMessageBox*>(QApplication::activeWindow());
}

inline QWindow* mainWindow() {
    return Win32_Widget(hwndMain) ? Win32_Widget(hwndMain)->windowHandle() : nullptr;
}

inline bool mainActive() {
    return Win32_Widget(hwndMain) && Win32_Widget(hwndMain)->isActiveWindow();
}

// Keys go to the active window through the window system, as a person's do: a window that takes
// no input does not see them.
inline void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier, QWindow* to = nullptr) {
    if (!to && QApplication::activePopupWidget())
        to = QApplication::activePopupWidget()->windowHandle();
    if (!to)
        to = QGuiApplication::focusWindow();
    if (!to) // the offscreen platform gives the focus to no window when a pop-up has closed
        to = mainWindow();
    QTest::keyClick(to, k, mods);
}

// Ctrl+Q: File > Exit.
inline void quit() {
    key(Qt::Key_Q, Qt::ControlModifier);
}

inline void type(const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, QGuiApplication::focusWindow(),
                            Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

// An item of a pop-up of the menu bar, by their texts ("&Help", "&About").
inline QAction* menu(const QString& popup, const QString& item) {
    for (QAction* p : Win32_MenuBar(hwndMain)->actions())
        for (QAction* a :
             p->text() == popup && p->menu() ? p->menu()->actions() : QList<QAction*>())
            if (a->text() == item)
                return a;
    ADD_FAILURE() << "no menu item " << popup.toStdString() << " " << item.toStdString();
    return nullptr;
}

inline std::string status() {
    return Win32_Text(hWndStatusbar);
}

class Script {
public:
    Script& then(std::function<void()> step) {
        steps_.push_back({std::move(step), nullptr, {}});
        return *this;
    }
    // The next step waits until `ready` holds; after `ms` without it the case fails.
    Script& waitFor(std::string what, std::function<bool()> ready, int ms = 3000) {
        steps_.push_back({nullptr, std::move(ready), std::move(what), ms});
        return *this;
    }
    Script& waitForWindow(const QString& title) {
        return waitFor(title.toStdString(),
                       [title] { return window(title) && window(title)->isActiveWindow(); });
    }

    // Runs WinMain over the program's resources, once its window is active; its exit code.
    int runProgram() {
        static HINSTANCE__ module{&g_ModuleResources};
        steps_.insert(steps_.begin(), Step{nullptr, mainActive, "the main window", 5000});
        size_t next = 0;
        bool aborted = false;
        QElapsedTimer since; // the current step's start, or the last step's end
        since.start();
        // The steps at work, each with the depth of loops it began in: the next step waits for
        // the last one, unless that one waits in a loop of the program's (a dialog, a box, a
        // menu) that the next step is to deal with.
        std::vector<int> atWork;
        auto depth = [] { return Win32_ModalDepth() + QThread::currentThread()->loopLevel(); };
        auto abort = [&](const std::string& why) {
            ADD_FAILURE() << why;
            aborted = true;
            PostQuitMessage(99); // ends nested dialog loops as well as the program's
        };
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (aborted)
                return;
            if (testing::Test::HasFatalFailure())
                return abort("a step failed");
            if (!atWork.empty() && depth() <= atWork.back())
                return;
            if (next == steps_.size()) {
                if (since.elapsed() > 5000)
                    abort("the program did not end after its last step");
                return;
            }
            Step& step = steps_[next];
            if (step.ready) {
                if (step.ready()) {
                    ++next;
                    since.restart();
                } else if (since.elapsed() > step.ms) {
                    abort("waited in vain for " + step.what);
                }
                return;
            }
            // A step's repaints come from a timer of Qt's: the next step waits for them.
            if (since.elapsed() < kSettle)
                return;
            ++next;
            // From a timer of its own: a step that opens a dialog or a box runs a nested loop,
            // in which this ticker must go on. Not from a posted event (a 0 ms timer), during
            // whose delivery the repaints a step asks for would wait for the next event.
            atWork.push_back(depth());
            QTimer::singleShot(1, [&, run = step.run] {
                run();
                atWork.pop_back();
                since.restart();
            });
        });
        ticker.start(5);
        int result = WinMain(&module, nullptr, (LPSTR) "", SW_SHOWNORMAL);
        ticker.stop();
        if (next < steps_.size() && !aborted)
            ADD_FAILURE() << "the program ended before step " << next + 1 << " of "
                          << steps_.size();
        return result;
    }

private:
    struct Step {
        std::function<void()> run;
        std::function<bool()> ready;
        std::string what;
        int ms = 0;
    };

    static constexpr int kSettle = 25;
    std::vector<Step> steps_;
};

} // namespace gui
