// The program as a user drives it: keys, menus, the exit paths, the full log, the status bar,
// the About box and the help viewer.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include "message_box.h"
#include "portio.h"
#include "port.h"
#include "program_driver.h"
#include "readlog.h"
#include "statbar.h"
#include "view.h"

using testsupport::BoxSeen;
using testsupport::pressKey;
using testsupport::ProgramDriver;
using testsupport::recordAndDismissBox;

namespace {

QAction* menuItem(const QString& popup, const QString& item) {
    QMenuBar* bar = Win32_MenuBar(hwndMain);
    for (QAction* p : bar->actions())
        if (p->text() == popup && p->menu())
            for (QAction* a : p->menu()->actions())
                if (item.isEmpty() || a->text() == item)
                    return item.isEmpty() ? p : a;
    ADD_FAILURE() << "no menu item " << popup.toStdString() << " > " << item.toStdString();
    return nullptr;
}

std::string statusText() {
    char text[256] = "?";
    SendMessageA(hWndStatusbar, SB_GETTEXTA, 0, LPARAM(text));
    return text;
}

int paintsIn(const std::vector<Win32DrawOp>& trace) {
    int n = 0;
    for (const auto& op : trace)
        n += op.kind == Win32DrawOp::BeginPaint && op.hwnd == hwndMain;
    return n;
}

// Fills the log to its last record through the reading path.
void fillLog() {
    while (!LogIsFull()) {
        Read_Port();
        Format_Data();
    }
}

} // namespace

// --- Reading -----------------------------------------------------------------------------------

TEST(ProgramRead, F12AndTheReadMenuEachAddOneReading) {
    int afterKey = -1, afterMenu = -1, sAfterKey = -1;
    ProgramDriver driver;
    driver.then([] { EXPECT_EQ(s, 0); })
        .then([] { pressKey(Qt::Key_F12); })
        .then([&] {
            afterKey = e;
            sAfterKey = s;
            menuItem("&Read", "&Parallel Port")->trigger();
        })
        .then([&] {
            afterMenu = e;
            pressKey(Qt::Key_Q, Qt::ControlModifier);
        });
    EXPECT_EQ(driver.run(), 0);
    EXPECT_EQ(sAfterKey, 1);
    EXPECT_EQ(afterKey, 0) << "the first reading lands in record 0";
    EXPECT_EQ(afterMenu, 1);
    EXPECT_STREQ(list[0].SD, "248") << "the simulated port's status";
    EXPECT_STREQ(list[1].CD, "7") << "the simulated port's control";
}

TEST(ProgramRead, AReadingRepaintsAtTheTopButNotWhileScrolledDown) {
    std::vector<Win32DrawOp> trace;
    int paintsAtTop = -1, paintsScrolled = -1, readingsScrolled = -1;
    ProgramDriver driver;
    driver
        .then([] {
            for (int i = 0; i < 80; ++i)
                READ_PORT();
            UpdateWindow(hwndMain);
        })
        .then([&] {
            Win32_SetDrawTrace(&trace);
            pressKey(Qt::Key_F12);
        })
        .then([&] {
            QTest::qWait(30);
            paintsAtTop = paintsIn(trace);
            Win32_ScrollBar(hwndMain, SB_VERT)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            QTest::qWait(30);
            trace.clear();
            pressKey(Qt::Key_F12);
        })
        .then([&] {
            QTest::qWait(30);
            paintsScrolled = paintsIn(trace);
            readingsScrolled = e + 1;
            Win32_SetDrawTrace(nullptr);
            pressKey(Qt::Key_Q, Qt::ControlModifier);
        });
    EXPECT_EQ(driver.run(), 0);
    EXPECT_GE(paintsAtTop, 1);
    EXPECT_EQ(nVscrollPos, 1);
    EXPECT_EQ(paintsScrolled, 0);
    EXPECT_EQ(readingsScrolled, 82);
}

// --- Ending ------------------------------------------------------------------------------------

TEST(ProgramExit, CtrlQEndsWithCodeZero) {
    ProgramDriver driver;
    driver.then([] { pressKey(Qt::Key_Q, Qt::ControlModifier); });
    EXPECT_EQ(driver.run(), 0);
    EXPECT_FALSE(IsWindow(hwndMain));
}

TEST(ProgramExit, FileExitEndsWithCodeZero) {
    ProgramDriver driver;
    driver.then([] { menuItem("&File", "&E&xit")->trigger(); });
    EXPECT_EQ(driver.run(), 0);
    EXPECT_FALSE(IsWindow(hwndMain));
}

TEST(ProgramExit, CloseBoxEndsWithCodeZero) {
    ProgramDriver driver;
    driver.then([] { Win32_Widget(hwndMain)->close(); });
    EXPECT_EQ(driver.run(), 0);
    EXPECT_FALSE(IsWindow(hwndMain));
}

TEST(ProgramExit, CommandLineArgumentsChangeNothing) {
    std::string title;
    int readings = -1;
    ProgramDriver driver;
    driver
        .then([&] {
            title = Win32_Widget(hwndMain)->windowTitle().toStdString();
            readings = s;
            pressKey(Qt::Key_F12);
        })
        .then([] { pressKey(Qt::Key_Q, Qt::ControlModifier); });
    EXPECT_EQ(driver.run("--help -x /dev/parport9 \"quoted arg\""), 0);
    EXPECT_EQ(title, "Bytescope");
    EXPECT_EQ(readings, 0) << "no reading at start-up";
    EXPECT_EQ(e, 0);
    EXPECT_EQ(s, 1);
}

// --- A full log --------------------------------------------------------------------------------

TEST(ProgramFullLog, F12F1AndF2ShowTheFullLogBoxAndAddNothing) {
    fillLog();
    ASSERT_EQ(e, 32000);
    data last = list[32000];
    BoxSeen boxes[3];
    bool dialogOpened = false;
    ProgramDriver driver;
    const Qt::Key keys[3] = {Qt::Key_F12, Qt::Key_F1, Qt::Key_F2};
    for (int i = 0; i < 3; ++i) {
        driver.then([&, i] { pressKey(keys[i]); });
        driver.then([&, i] {
            dialogOpened |= QApplication::activeModalWidget() &&
                            !qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            recordAndDismissBox(&boxes[i]);
        });
    }
    driver.then([] { pressKey(Qt::Key_Q, Qt::ControlModifier); });
    EXPECT_EQ(driver.run(), 0);
    for (const BoxSeen& box : boxes) {
        EXPECT_TRUE(box.shown);
        EXPECT_EQ(box.text, "RESTART PROGRAM TO CONTINUE");
        EXPECT_EQ(box.caption, "OUT OF PROGRAM MEMORY");
        EXPECT_EQ(box.icon, QMessageBox::Warning);
        EXPECT_EQ(box.owner, nullptr) << "the box has no owner";
    }
    EXPECT_FALSE(dialogOpened);
    EXPECT_EQ(e, 32000);
    EXPECT_EQ(0, std::memcmp(&last, &list[32000], sizeof last));
    static const data zeroRecord = {};
    for (int i = 32001; i < 32008; ++i)
        EXPECT_EQ(0, std::memcmp(&zeroRecord, &list[i], sizeof zeroRecord)) << "record " << i;
}

// --- Status bar --------------------------------------------------------------------------------

TEST(ProgramStatusBar, ShowsReadyThenDescribesTheHighlightedCommand) {
    std::vector<std::string> texts;
    ProgramDriver driver;
    driver.then([&] { texts.push_back(statusText()); })
        .then([&] {
            QMenuBar* bar = Win32_MenuBar(hwndMain);
            QAction* read = menuItem("&Read", "");
            bar->setActiveAction(read); // opens the Read menu as a click on its title does
        })
        .then([&] {
            texts.push_back(statusText()); // the pop-up title is highlighted
            QMenu* menu = menuItem("&Read", "")->menu();
            menu->setActiveAction(menuItem("&Read", "&Parallel Port"));
        })
        .then([&] {
            texts.push_back(statusText());
            QMenu* menu = menuItem("&Write", "")->menu();
            Win32_MenuBar(hwndMain)->setActiveAction(menuItem("&Write", ""));
            menu->setActiveAction(menuItem("&Write", "&Control Register"));
        })
        .then([&] {
            texts.push_back(statusText());
            for (auto [popup, item] : {std::pair{"&Write", "&Data Register"},
                                       {"&File", "&E&xit"},
                                       {"&Help", "&Help Topics"},
                                       {"&Help", "&About"}}) {
                emit menuItem(popup, item)->hovered();
                texts.push_back(statusText());
            }
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
            QTest::keyClick(QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                              : Win32_Client(hwndMain),
                            Qt::Key_Escape);
            Win32_MenuBar(hwndMain)->setActiveAction(nullptr);
        })
        .then([&] {
            QTest::qWait(30);
            texts.push_back(statusText()); // the menu has closed
            Win32_Widget(hwndMain)->resize(640, 480);
        })
        .then([&] {
            QTest::qWait(30);
            texts.push_back(statusText());
            pressKey(Qt::Key_Q, Qt::ControlModifier);
        });
    EXPECT_EQ(driver.run(), 0);
    std::vector<std::string> want = {"Ready",
                                     "",
                                     "Reads Parallel Port Registers",
                                     "Writes Parallel Port Control Register",
                                     "Writes Parallel Port Data Register",
                                     "Quits this application",
                                     "Displays Help topics",
                                     "Displays information about this application",
                                     "",
                                     "Ready"};
    EXPECT_EQ(texts, want);
}

TEST(ProgramStatusBar, CoversTheBottomStripOfTheClientArea) {
    QRect bar, client;
    short heightSeen = 0;
    ProgramDriver driver;
    driver.then([&] {
        bar = Win32_Widget(hWndStatusbar)->geometry();
        client = Win32_Client(hwndMain)->rect();
        heightSeen = cyClient;
        pressKey(Qt::Key_Q, Qt::ControlModifier);
    });
    EXPECT_EQ(driver.run(), 0);
    EXPECT_EQ(bar.bottom(), client.bottom());
    EXPECT_EQ(bar.width(), client.width());
    EXPECT_GT(bar.height(), 0);
    EXPECT_EQ(heightSeen, client.height()) << "the client height includes the status strip";
}

TEST(ProgramStatusBar, SizesBeforeTheBarExistsAreHarmlessAndItStartsWithReady) {
    static HINSTANCE__ module{&g_ModuleResources};
    hInst = &module;
    ASSERT_TRUE(InitApplication());
    hwndMain = CreatebytescopeWndClassWnd(); // sends WM_SIZE while there is no status bar
    ASSERT_NE(hwndMain, nullptr);
    EXPECT_EQ(hWndStatusbar, nullptr);
    SendMessageA(hwndMain, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    EXPECT_EQ(cxClient, 300);
    ASSERT_TRUE(CreateSBar(hwndMain, "Ready", 1));
    EXPECT_EQ(statusText(), "Ready");
    SendMessageA(hWndStatusbar, SB_SETTEXTA, 0, LPARAM("something else"));
    SendMessageA(hwndMain, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    EXPECT_EQ(statusText(), "Ready") << "a resize puts Ready back";
    DestroyWindow(hwndMain);
}

// --- About box and help ------------------------------------------------------------------------

TEST(ProgramAbout, OpensFromTheHelpMenuNamesThePortAndClosesWithOkOrTheCloseBox) {
    QString title, portLine, version;
    bool portLineFits = false;
    bool closedByOk = false, closedByBox = false;
    ProgramDriver driver;
    driver.then([] { menuItem("&Help", "&About")->trigger(); })
        .then([&] {
            QWidget* dlg = QApplication::activeModalWidget();
            if (!dlg)
                return;
            title = dlg->windowTitle();
            for (QLabel* l : dlg->findChildren<QLabel*>()) {
                HWND h = Win32_WindowOf(l);
                if (GetDlgItem(Win32_WindowOf(dlg), 403) == h) {
                    portLine = l->text();
                    portLineFits = l->fontMetrics().horizontalAdvance(l->text()) <= l->width();
                }
                if (l->text().startsWith("Version"))
                    version = l->text();
            }
            for (QPushButton* b : dlg->findChildren<QPushButton*>())
                if (b->text() == "OK")
                    QTest::mouseClick(b, Qt::LeftButton);
        })
        .then([&] {
            closedByOk = QApplication::activeModalWidget() == nullptr;
            menuItem("&Help", "&About")->trigger();
        })
        .then([] {
            if (QWidget* dlg = QApplication::activeModalWidget())
                dlg->close();
        })
        .then([&] {
            closedByBox = QApplication::activeModalWidget() == nullptr;
            pressKey(Qt::Key_Q, Qt::ControlModifier);
        });
    EXPECT_EQ(driver.run(), 0);
    EXPECT_EQ(title, "About Bytescope");
    EXPECT_EQ(portLine, QString::fromLatin1(PortIO_ShortName()));
    EXPECT_TRUE(portLineFits) << "the port line fits on one line of its control";
    EXPECT_EQ(version, "Version 3.0");
    EXPECT_TRUE(closedByOk);
    EXPECT_TRUE(closedByBox);
}

namespace {

QTextBrowser* helpViewer() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = qobject_cast<QTextBrowser*>(w); b && b->isVisible())
            return b;
    return nullptr;
}

} // namespace

TEST(ProgramHelp, MissingHelpFileIsSaidAndTheProgramGoesOn) {
    QFile::remove(QDir(QCoreApplication::applicationDirPath()).filePath("BYTESCOPE.HLP"));
    QString shown;
    int readingsAfter = -1;
    ProgramDriver driver;
    driver.then([] { menuItem("&Help", "&Help Topics")->trigger(); })
        .then([&] {
            if (QTextBrowser* b = helpViewer())
                shown = b->toPlainText();
            Win32_Widget(hwndMain)->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(Win32_Widget(hwndMain)));
            Win32_Client(hwndMain)->setFocus();
            pressKey(Qt::Key_F12);
        })
        .then([&] {
            readingsAfter = s ? e + 1 : 0;
            pressKey(Qt::Key_Q, Qt::ControlModifier);
        });
    EXPECT_EQ(driver.run(), 0);
    EXPECT_TRUE(shown.contains("Cannot find the help file \"BYTESCOPE.HLP\""))
        << shown.toStdString();
    EXPECT_EQ(readingsAfter, 1);
}

TEST(ProgramHelp, HelpTopicsOpensTheManualOnItsContents) {
    QString manual = QStringLiteral(BYTESCOPE_SOURCE_DIR "/docs/BYTESCOPE.HLP");
    QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("BYTESCOPE.HLP");
    QFile::remove(beside);
    ASSERT_TRUE(QFile::copy(manual, beside));
    QString shown;
    bool f1OpenedHelp = true;
    ProgramDriver driver;
    driver.then([] { menuItem("&Help", "&Help Topics")->trigger(); })
        .then([&] {
            if (QTextBrowser* b = helpViewer()) {
                shown = b->toPlainText();
                b->close();
            }
        })
        .then([] { pressKey(Qt::Key_F1); })
        .then([&] {
            f1OpenedHelp = helpViewer() != nullptr;
            if (QWidget* dlg = QApplication::activeModalWidget())
                QTest::keyClick(dlg, Qt::Key_Escape);
        })
        .then([] { pressKey(Qt::Key_Q, Qt::ControlModifier); });
    EXPECT_EQ(driver.run(), 0);
    QFile::remove(beside);
    EXPECT_TRUE(shown.contains("Contents")) << shown.left(200).toStdString();
    EXPECT_TRUE(shown.contains("CAUTION"));
    EXPECT_FALSE(f1OpenedHelp) << "F1 writes the data register; it does not open help";
}
