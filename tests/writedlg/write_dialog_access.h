// The open write dialog as the user sees it, and the warning box it may show.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

#include "recording_backend.h"
#include "win32_qt.h"
#include "windows.h"

namespace writedlgtest {

struct WriteDialog {
    QWidget* window = nullptr;
    HWND hwnd = nullptr;
    QLineEdit* edit = nullptr;
    QPushButton* send = nullptr;
    QPushButton* cancel = nullptr;
    bool complete() const { return window && hwnd && edit && send && cancel; }
};

// The modal window on top, when it is a dialog with the entry field and the two buttons.
inline WriteDialog openWriteDialog() {
    WriteDialog d;
    QWidget* top = QApplication::activeModalWidget();
    if (!top || qobject_cast<QMessageBox*>(top))
        return d;
    d.window = top;
    d.hwnd = Win32_WindowOf(top);
    d.edit = top->findChild<QLineEdit*>();
    for (QPushButton* b : top->findChildren<QPushButton*>()) {
        if (b->text() == QStringLiteral("Send"))
            d.send = b;
        else if (b->text() == QStringLiteral("Cancel"))
            d.cancel = b;
    }
    return d;
}

// What a warning box showed before it was dismissed.
struct BoxSeen {
    bool shown = false;
    std::string text;
    std::string caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* owner = nullptr;
};

// Watches for a message box on top (it runs a nested loop, so this polls from a timer), records
// what the first one shows and dismisses it with its OK button. Stops watching after `timeoutMs`
// or when destroyed.
class BoxWatcher {
public:
    BoxWatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    }
    void start(int timeoutMs = 1000) {
        pollsLeft_ = timeoutMs / 5;
        timer_.start(5);
    }
    BoxSeen seen;

private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            if (--pollsLeft_ <= 0)
                timer_.stop();
            return;
        }
        timer_.stop();
        seen.shown = true;
        seen.text = box->text().toStdString();
        seen.caption = box->windowTitle().toStdString();
        seen.icon = box->icon();
        seen.owner = box->parentWidget();
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->close();
    }
    QTimer timer_;
    int pollsLeft_ = 0;
};

// Closes whatever modal window is still open (after a failed check), box first, then dialog.
inline bool closeModal() {
    QWidget* top = QApplication::activeModalWidget();
    if (!top)
        return false;
    if (auto* box = qobject_cast<QMessageBox*>(top))
        box->done(QMessageBox::Ok);
    else
        top->close();
    return true;
}

// Port accesses as text ("out 888 12, in 889 120"), so that a failed comparison reads well.
inline std::string describe(const std::vector<testsupport::PortAccess>& log) {
    std::string text;
    for (const testsupport::PortAccess& a : log) {
        if (!text.empty())
            text += ", ";
        text += a.kind == testsupport::PortAccess::Out ? "out " : "in ";
        text += std::to_string(a.port) + " " + std::to_string(a.value);
    }
    return text;
}

} // namespace writedlgtest
