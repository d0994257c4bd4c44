// The program as a person drives it: modality, keyboard layouts, the About box and the help
// viewer. (The full log's refusals are the view's full-log case.)
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBrowser>

#include "backend.h"
#include "gui.h"
#include "port.h"
#include "readlog.h"

static int readings() {
    return s ? e + 1 : 0;
}

TEST(Program, AnOpenWriteDialogKeepsAllInputFromTheMainWindow) {
    gui::Script script;
    script.then([] { gui::key(Qt::Key_F1); })
        .waitForWindow("Write DATA Register")
        .then([] {
            EXPECT_FALSE(Win32_MenuBar(hwndMain)->isNativeMenuBar()) << "a global menu";
            gui::key(Qt::Key_F12, Qt::NoModifier, gui::mainWindow());
            QMenuBar* bar = Win32_MenuBar(hwndMain);
            // a click on the Read title
            QTest::mouseClick(bar, Qt::LeftButton, {},
                              bar->actionGeometry(bar->actions()[1]).center());
            Win32_Widget(hwndMain)->close();
        })
        .then([] {
            EXPECT_EQ(readings(), 0);
            EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "a menu opened";
            EXPECT_NE(Win32_Widget(hwndMain), nullptr) << "the close box closed it";
            gui::key(Qt::Key_Escape);
        })
        .waitFor("the main window", gui::mainActive)
        .then([] {
            EXPECT_EQ(readings(), 1)
                << "the dialog's own reading, and none queued while it was open";
            gui::quit();
        });
    EXPECT_EQ(script.runProgram(), 0);
}

// On a Cyrillic or Greek layout the key at Q's place types no Latin letter; its accelerator
// works all the same, as Windows' virtual keys do. F keys are F keys on every layout.
class ProgramLayout : public testing::TestWithParam<int> {};

TEST_P(ProgramLayout, AcceleratorsFollowTheKeyNotItsCharacter) {
    // What X11 reports: the key code of the key's place, the layout's key and character.
    auto press = [](Qt::Key k, quint32 place, const char* text, Qt::KeyboardModifiers mods) {
        QKeyEvent ev(QEvent::KeyPress, k, mods, place, 0, 0, QString::fromUtf8(text));
        QApplication::sendEvent(QApplication::focusWidget(), &ev);
    };
    const bool cyrillic = GetParam() == 0;
    gui::Script script;
    script.then([&] { press(Qt::Key_F12, 96, "", Qt::NoModifier); }).then([&] {
        EXPECT_EQ(readings(), 1);
        press(cyrillic ? Qt::Key(0x0419) : Qt::Key_Semicolon, 24, cyrillic ? "\xd0\xb9" : ";",
              Qt::ControlModifier);
    });
    EXPECT_EQ(script.runProgram(), 0);
}

INSTANTIATE_TEST_SUITE_P(CyrillicAndGreek, ProgramLayout, testing::Values(0, 1));

// The help viewer: it says when the manual is missing, shows it once it is there (one viewer,
// raised again), and stays usable while the About box keeps the main window from input. The About
// box names the port, with a reason longer than its place shown whole below the OK button, sits
// over its owner with its OK button's static edge, and closes with its close box.
TEST(Program, HelpTopicsShowsTheManualInAViewerThatStaysUsableUnderTheAboutBox) {
    portio::install(portio::simulatedChoice("no port driver found: install the InpOut32 driver "
                                            "(inpoutx64.dll for 64-bit Windows) beside "
                                            "bytescope.exe"));
    QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("BYTESCOPE.HLP");
    QFile::remove(beside);
    auto viewer = [] {
        QWidget* w = gui::window("BYTESCOPE.HLP - Help");
        return qobject_cast<QTextBrowser*>(w ? w : gui::window("Help"));
    };
    gui::Script script;
    script.then([] { gui::menu("&Help", "&Help Topics")->trigger(); })
        .waitFor("the help viewer", [&] { return viewer() != nullptr; })
        .then([&] {
            EXPECT_TRUE(
                viewer()->toPlainText().contains("Cannot find the help file \"BYTESCOPE.HLP\""));
            ASSERT_TRUE(QFile::copy(BYTESCOPE_SOURCE_DIR "/docs/BYTESCOPE.HLP", beside));
            gui::menu("&Help", "&Help Topics")->trigger();
        })
        .waitFor("the manual", [] { return gui::window("BYTESCOPE.HLP - Help") != nullptr; })
        .then([&] {
            EXPECT_TRUE(viewer()->toPlainText().contains("CAUTION"));
            gui::menu("&Help", "&About")->trigger();
        })
        .waitForWindow("About Bytescope")
        .then([&] {
            HWND about = Win32_WindowOf(gui::window("About Bytescope"));
            EXPECT_EQ(Win32_Text(GetDlgItem(about, 403)), PortInUse());
            // The client area at (72, 39) dialog units of the owner's: the OK button at x 16
            // and height 16 gives the base units, 4 and 2 of them.
            QWidget* ok = Win32_Widget(GetDlgItem(about, IDOK));
            QWidget* edge = ok->parentWidget(); // the button's static edge
            int bx = edge->x() / 4, by = edge->height() / 2;
            EXPECT_EQ(Win32_Client(about)->mapToGlobal(QPoint()) -
                          Win32_Client(hwndMain)->mapToGlobal(QPoint()),
                      QPoint(18 * bx, (39 * by + 4) / 8));
            EXPECT_EQ(edge->size() - ok->size(), QSize(2, 2));
            QWidget* line = Win32_Widget(GetDlgItem(about, 403));
            QRect need = line->fontMetrics().boundingRect(QRect(0, 0, line->width(), 1000),
                                                          Qt::TextWordWrap, PortInUse());
            EXPECT_GE(line->height(), need.height()) << "the port line is cut";
            EXPECT_GT(line->y(), edge->geometry().bottom());
            EXPECT_TRUE(line->parentWidget()->rect().contains(line->geometry()) &&
                        Win32_Widget(about)->rect().contains(line->parentWidget()->geometry()));
            EXPECT_LT(edge->grab().toImage().pixelColor(0, edge->height() / 2).lightness(),
                      ok->grab().toImage().pixelColor(5, 5).lightness())
                << "the static edge is drawn";
            viewer()->activateWindow();
        })
        .waitFor("the viewer active", [&] { return viewer()->isActiveWindow(); })
        .then([&] {
            int before = viewer()->verticalScrollBar()->value();
            gui::key(Qt::Key_PageDown);
            EXPECT_GT(viewer()->verticalScrollBar()->value(), before) << "the viewer took no key";
            gui::window("About Bytescope")->close(); // its close box
        })
        .waitFor("the main window", gui::mainActive)
        .then(gui::quit); // the program goes on: its accelerators work again
    EXPECT_EQ(script.runProgram(), 0);
    QFile::remove(beside);
}
