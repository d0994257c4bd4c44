// The write dialogs as a person uses them in the running program: F1 and F2 open them, typing,
// clicks and the dialog keys end them, and every access that reaches the port is recorded.
#include <QLineEdit>
#include <QPushButton>

#include <memory>

#include "entry.h"
#include "gui.h"
#include "recording_backend.h"
#include "resource.h"

namespace {

struct Dialog {
    HWND hwnd = nullptr;
    QLineEdit* edit = nullptr;
    QPushButton *send = nullptr, *cancel = nullptr;
};

Dialog dialog() {
    Dialog d{Win32_WindowOf(QApplication::activeWindow())};
    d.edit = qobject_cast<QLineEdit*>(Win32_Widget(GetDlgItem(d.hwnd, ID_INPUT)));
    d.send = qobject_cast<QPushButton*>(Win32_Widget(GetDlgItem(d.hwnd, IDSEND)));
    d.cancel = qobject_cast<QPushButton*>(Win32_Widget(GetDlgItem(d.hwnd, IDCANCEL)));
    EXPECT_TRUE(d.edit && d.send && d.cancel) << "no write dialog on top";
    return d;
}

const char* const kTitle[] = {"Write DATA Register", "Write CONTROL Register"};

class WriteDialogOpened : public testing::TestWithParam<int> {};

// Opened by F1 (0) or F2 (1): its place, its sunken edge, Send disabled again once the field is
// emptied, and Enter on the focused Cancel.
TEST_P(WriteDialogOpened, SitsInItsPlaceWithSendFollowingTheField) {
    const int which = GetParam();
    gui::Script script;
    script.then([which] { gui::key(which ? Qt::Key_F2 : Qt::Key_F1); })
        .waitForWindow(kTitle[which])
        .then([which] {
            Dialog d = dialog();
            // The client area at (8 or 143, 68) dialog units in the main window's, each rounded
            // to the nearest pixel: the field at x 16 is 4 base widths in, and the area, 32 units
            // high, is 4 base heights.
            QWidget* area = Win32_Client(d.hwnd);
            int bx = d.edit->x() / 4, by = area->height() / 4;
            EXPECT_EQ(area->mapToGlobal(QPoint()) - Win32_Client(hwndMain)->mapToGlobal(QPoint()),
                      QPoint(((which ? 143 : 8) * bx + 2) / 4, (17 * by + 1) / 2));
            // The sunken client edge: shadow at the top left, light at the bottom right, two
            // pixels wide, around the client area.
            QWidget* frame = Win32_Widget(d.hwnd);
            EXPECT_EQ(frame->size() - area->size(), QSize(4, 4));
            QImage edge = frame->grab().toImage();
            int face = edge.pixelColor(10, 10).lightness();
            EXPECT_LT(edge.pixelColor(1, 10).lightness(), face);
            EXPECT_GE(edge.pixelColor(frame->width() - 1, 10).lightness(), face);
            gui::type("1");
            gui::key(Qt::Key_Backspace);
            EXPECT_FALSE(d.send->isEnabled());
            gui::key(Qt::Key_Tab); // past the disabled Send; Enter presses the focused Cancel
            EXPECT_EQ(QApplication::focusWidget(), d.cancel);
            gui::key(Qt::Key_Return);
        })
        .waitFor("the main window", gui::mainActive)
        .then(gui::quit);
    EXPECT_EQ(script.runProgram(), 0);
}

INSTANTIATE_TEST_SUITE_P(F1AndF2, WriteDialogOpened, testing::Values(0, 1));

// A refused entry, sent by Enter on the focused Send: "€", one byte in the program's code page.
TEST(WriteDialogRejected, IsQuotedInAWarningOwnedByTheDialogAndKept) {
    const QString entry = QString::fromUtf8("\xe2\x82\xac");
    auto& port = testsupport::installRecording(std::make_unique<portio::SimulatedBackend>());
    gui::Script script;
    script.then([] { gui::key(Qt::Key_F1); })
        .waitForWindow(kTitle[0])
        .then([&] {
            gui::type(entry);
            gui::key(Qt::Key_Tab);
            gui::key(Qt::Key_Return);
        })
        .waitFor("the warning box", [] { return gui::box() != nullptr; })
        .then([&] {
            QMessageBox* b = gui::box();
            EXPECT_EQ(b->text(), entry) << "the entry, as typed, in the program's code page";
            EXPECT_STREQ(Input, "\x80");
            EXPECT_EQ(b->icon(), QMessageBox::Warning);
            b->button(QMessageBox::Ok)->click();
        })
        .waitForWindow(kTitle[0])
        .then([&] {
            Dialog d = dialog();
            EXPECT_EQ(QApplication::focusWidget(), d.send) << "the focus is where it was";
            QTest::mouseClick(d.cancel, Qt::LeftButton);
        })
        .waitFor("the main window", gui::mainActive)
        .then(gui::quit);
    EXPECT_EQ(script.runProgram(), 0);
    // Cancel wrote nothing, and one reading of the simulated port (status 0x78, control 0x0C)
    // followed.
    EXPECT_EQ(testsupport::describe(port), "in 888 0, in 889 120, in 890 12");
}

} // namespace
