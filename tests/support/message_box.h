// Message boxes in tests: what one showed, read before it is dismissed.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <string>

namespace testsupport {

// What a warning box showed before it was dismissed.
struct BoxSeen {
    bool shown = false;
    std::string text;
    std::string caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* owner = nullptr;
};

// Records what the message box on top shows and dismisses it with its OK button; false when no
// box is open.
inline bool recordAndDismissBox(BoxSeen* seen) {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return false;
    seen->shown = true;
    seen->text = box->text().toStdString();
    seen->caption = box->windowTitle().toStdString();
    seen->icon = box->icon();
    seen->owner = box->parentWidget();
    if (QAbstractButton* ok = box->button(QMessageBox::Ok))
        ok->click();
    else
        box->close();
    return true;
}

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
        if (recordAndDismissBox(&seen))
            timer_.stop();
        else if (--pollsLeft_ <= 0)
            timer_.stop();
    }
    QTimer timer_;
    int pollsLeft_ = 0;
};

} // namespace testsupport
