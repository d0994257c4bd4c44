// The write dialogs as a person uses them in the running program: F1 and F2 open them, typing,
// clicks and the dialog keys end them, and every access that reaches the port is recorded.
#include <QLineEdit>
#include <QPushButton>

#include <memory>

#include "entry.h"
#include "gui.h"
#include "port.h"
#include "readlog.h"
#include "recording_backend.h"
#include "resource.h"

using gui::key;
using testsupport::describe;

namespace {

std::vector<testsupport::PortAccess>* port;

void usePort() {
    port = &testsupport::installRecording(std::make_unique<portio::SimulatedBackend>());
}

// The accesses of one reading of the simulated port, whose status reads 0x78.
std::string reading(int data, int control) {
    return "in 888 " + std::to_string(data) + ", in 889 120, in 890 " + std::to_string(control);
}

struct Dialog {
    HWND hwnd = nullptr;
    QLineEdit* edit = nullptr;
    QPushButton* send = nullptr;
    QPushButton* cancel = nullptr;
};

Dialog dialog() {
    Dialog d;
    QWidget* top = QApplication::activeWindow();
    d.hwnd = top ? Win32_WindowOf(top) : nullptr;
    d.edit = qobject_cast<QLineEdit*>(Win32_Widget(GetDlgItem(d.hwnd, ID_INPUT)));
    d.send = qobject_cast<QPushButton*>(Win32_Widget(GetDlgItem(d.hwnd, IDSEND)));
    d.cancel = qobject_cast<QPushButton*>(Win32_Widget(GetDlgItem(d.hwnd, IDCANCEL)));
    EXPECT_TRUE(d.edit && d.send && d.cancel) << "no write dialog on top";
    return d;
}

struct Opened {
    const char* name;
    Qt::Key key;
    const char* title;
    int write;
    int x; // the template's place, dialog units
};

const Opened kOpened[] = {{"Data", Qt::Key_F1, "Write DATA Register", WRITE_DATA, 8},
                          {"Control", Qt::Key_F2, "Write CONTROL Register", WRITE_CONTROL, 143}};

// Cases are named by their first field, in test names and in messages.
auto named = [](const auto& info) { return std::string(info.param.name); };
#define NAMED(Case)                                                                                \
    void PrintTo(const Case& c, std::ostream* os) {                                                \
        *os << c.name;                                                                             \
    }

// Step by step through a dialog and out of the program: `steps` run with the dialog on top.
int runWith(Qt::Key k, const char* title, const std::vector<std::function<void()>>& steps) {
    gui::Script script;
    script.then([k] { key(k); }).waitForWindow(title);
    for (const auto& step : steps)
        script.then(step);
    script.waitFor("the main window", [] { return Win32_Widget(hwndMain)->isActiveWindow(); })
        .then([] { key(Qt::Key_Q, Qt::ControlModifier); });
    return script.runProgram();
}

NAMED(Opened)

class WriteDialogOpened : public testing::TestWithParam<Opened> {};

TEST_P(WriteDialogOpened, SitsInItsPlaceEmptyWithSendFollowingTheField) {
    const Opened& c = GetParam();
    usePort();
    EXPECT_EQ(runWith(c.key, c.title, {[&] {
                          Dialog d = dialog();
                          EXPECT_EQ(WRITE, c.write);
                          EXPECT_EQ(d.edit->text(), "");
                          EXPECT_TRUE(d.edit->hasFocus());
                          EXPECT_FALSE(d.send->isEnabled());
                          EXPECT_TRUE(d.send->isDefault() && !d.cancel->isDefault());
                          // The client area at (x, 68) dialog units in the main window's, each
                          // rounded to the nearest pixel: the field at x 16 is 4 base widths
                          // in, and the area, 32 units high, is 4 base heights.
                          QWidget* area = Win32_Client(d.hwnd);
                          int bx = d.edit->x() / 4, by = area->height() / 4;
                          EXPECT_EQ(area->mapToGlobal(QPoint()) -
                                        Win32_Client(hwndMain)->mapToGlobal(QPoint()),
                                    QPoint((c.x * bx + 2) / 4, (17 * by + 1) / 2));
                          // The sunken client edge: shadow at the top left, light at the bottom
                          // right, two pixels wide, around the client area.
                          QWidget* frame = Win32_Widget(d.hwnd);
                          EXPECT_EQ(frame->size() - area->size(), QSize(4, 4));
                          QImage edge = frame->grab().toImage();
                          int face = edge.pixelColor(10, 10).lightness();
                          EXPECT_LT(edge.pixelColor(1, 10).lightness(), face);
                          EXPECT_GE(edge.pixelColor(frame->width() - 1, 10).lightness(), face);
                          gui::type("1");
                          EXPECT_TRUE(d.send->isEnabled());
                          EXPECT_STREQ(Input, "1");
                          key(Qt::Key_Backspace);
                          EXPECT_FALSE(d.send->isEnabled());
                          key(Qt::Key_Return); // Send disabled: IDOK, which the dialog ignores
                          EXPECT_TRUE(Win32_Widget(d.hwnd)->isVisible());
                          EXPECT_EQ(describe(*port), "") << "the port was touched";
                          key(Qt::Key_Escape);
                      }}),
              0);
    EXPECT_EQ(describe(*port), reading(0x00, 0x0C)) << "the reading after the dialog";
}

INSTANTIATE_TEST_SUITE_P(F1AndF2, WriteDialogOpened, testing::ValuesIn(kOpened), named);

struct Rejected {
    const char* name;
    Qt::Key key;
    const char* entry; // UTF-8, as typed
};

NAMED(Rejected)

class WriteDialogRejected : public testing::TestWithParam<Rejected> {};

TEST_P(WriteDialogRejected, IsQuotedInAWarningOwnedByTheDialogAndKept) {
    const Rejected& c = GetParam();
    usePort();
    const char* title = c.key == Qt::Key_F1 ? "Write DATA Register" : "Write CONTROL Register";
    const QString entry = QString::fromUtf8(c.entry);
    gui::Script script;
    script.then([&] { key(c.key); })
        .waitForWindow(title)
        .then([&] {
            gui::type(entry);
            QTest::mouseClick(dialog().send, Qt::LeftButton);
        })
        .waitFor("the warning box", [] { return gui::box() != nullptr; })
        .then([&] {
            QMessageBox* b = gui::box();
            EXPECT_EQ(b->windowTitle(), "INVALID ENTRY");
            EXPECT_EQ(b->text(), entry) << "the entry, as typed, in the program's code page";
            EXPECT_EQ(std::strlen(Input), size_t(entry.size())) << "one byte a character";
            EXPECT_EQ(b->icon(), QMessageBox::Warning);
            EXPECT_FALSE(Win32_IsEnabled(Win32_WindowOf(gui::window(title))));
            EXPECT_FALSE(Win32_IsEnabled(hwndMain));
            b->button(QMessageBox::Ok)->click();
        })
        .waitForWindow(title)
        .then([&] {
            Dialog d = dialog();
            EXPECT_EQ(d.edit->text(), entry);
            EXPECT_EQ(QApplication::focusWidget(), d.send) << "the focus is where it was";
            EXPECT_TRUE(d.send->isEnabled());
            EXPECT_EQ(describe(*port), "");
            QTest::mouseClick(d.cancel, Qt::LeftButton);
        })
        .waitFor("the main window", [] { return Win32_Widget(hwndMain)->isActiveWindow(); })
        .then([] { key(Qt::Key_Q, Qt::ControlModifier); });
    EXPECT_EQ(script.runProgram(), 0);
    EXPECT_EQ(describe(*port), reading(0x00, 0x0C));
}

INSTANTIATE_TEST_SUITE_P(Entries, WriteDialogRejected,
                         testing::Values(Rejected{"Data300", Qt::Key_F1, "300"},
                                         Rejected{"DataMarkup", Qt::Key_F1, "<b>"},
                                         Rejected{"DataEuro", Qt::Key_F1, "\xe2\x82\xac"},
                                         Rejected{"Control16", Qt::Key_F2, "16"}),
                         named);

// Cancelling writes nothing, and the command still takes its reading. A push button
// with the focus is the default button: Enter on Cancel cancels, whether Send is enabled or not.
class WriteDialogClosed : public testing::TestWithParam<int> {};

TEST_P(WriteDialogClosed, WritesNothingAndStillReads) {
    usePort();
    EXPECT_EQ(
        runWith(
            Qt::Key_F1, "Write DATA Register", {[] {
                Dialog d = dialog();
                switch (GetParam()) {
                case 0:
                    gui::type("42");
                    QTest::mouseClick(d.cancel, Qt::LeftButton);
                    break;
                case 1: // the focus on Cancel, then Enter
                    gui::type("42");
                    key(Qt::Key_Tab);
                    EXPECT_TRUE(d.send->hasFocus() && d.send->isDefault());
                    key(Qt::Key_Tab);
                    EXPECT_TRUE(d.cancel->hasFocus());
                    EXPECT_TRUE(d.cancel->isDefault() && !d.send->isDefault())
                        << "the default frame follows the focus";
                    key(Qt::Key_Backtab);
                    key(Qt::Key_Backtab);
                    EXPECT_TRUE(d.edit->hasFocus() && d.send->isDefault() && !d.cancel->isDefault())
                        << "back in the field, Send is the default again";
                    key(Qt::Key_Tab);
                    key(Qt::Key_Tab);
                    key(Qt::Key_Return);
                    break;
                default: // Send disabled: Tab goes straight to Cancel
                    key(Qt::Key_Tab);
                    EXPECT_TRUE(d.cancel->hasFocus());
                    key(Qt::Key_Return);
                }
            }}),
        0);
    EXPECT_EQ(describe(*port), reading(0x00, 0x0C));
}

INSTANTIATE_TEST_SUITE_P(CancelAndEnterOnCancel, WriteDialogClosed, testing::Values(0, 1, 2));

} // namespace
