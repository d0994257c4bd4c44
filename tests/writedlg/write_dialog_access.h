// The open write dialog as the user sees it, and the warning box it may show.
#pragma once

#include "message_box.h"

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

using testsupport::BoxSeen;
using testsupport::BoxWatcher;

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
