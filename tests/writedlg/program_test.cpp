// The write dialogs in the running program: opened with F1 and F2, used by typing and clicking,
// and the reading that every write command takes when its dialog has closed.
#include "entry.h"
#include "port.h"
#include "program_driver.h"
#include "readlog.h"
#include "recording_backend.h"
#include "write_dialog_access.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using testsupport::installRecording;
using testsupport::PortAccess;
using testsupport::pressKey;
using testsupport::ProgramDriver;
using writedlgtest::BoxWatcher;
using writedlgtest::describe;
using writedlgtest::openWriteDialog;
using writedlgtest::WriteDialog;

namespace {

// The accesses of one reading, in the order Read_Port makes them, on the simulated port (status
// reads 0x78 there). Before any write, data reads 0x00 and control 0x0C.
std::vector<PortAccess> readingOf(int data, int control) {
    return {
        {PortAccess::In, 888, data}, {PortAccess::In, 889, 0x78}, {PortAccess::In, 890, control}};
}

// The last steps of every script: close whatever a failed check left open, then Ctrl+Q.
void endProgram(ProgramDriver& driver, bool* leftOpen) {
    driver.then([leftOpen] { *leftOpen = writedlgtest::closeModal() || *leftOpen; })
        .then([leftOpen] { *leftOpen = writedlgtest::closeModal() || *leftOpen; })
        .then([] { pressKey(Qt::Key_Q, Qt::ControlModifier); });
}

struct Command {
    const char* name;
    Qt::Key key;
    const char* title;
    int write;
    const char* entry; // an entry the register accepts
};

void PrintTo(const Command& c, std::ostream* os) {
    *os << c.name;
}

const Command kCommands[] = {
    {"F1", Qt::Key_F1, "Write DATA Register", 1, "12"},
    {"F2", Qt::Key_F2, "Write CONTROL Register", 3, "5"},
};

auto commandName = [](const auto& info) { return std::string(info.param.name); };

// What the opened dialog looked like, and Send as the field is typed into and emptied.
struct Opening {
    bool found = false;
    std::string title;
    int write = 0;
    std::string field = "?";
    bool sendEnabled = true, cancelEnabled = false, fieldFocused = false;
    bool controlsInOrder = false;
    bool sendAfterOne = false;
    std::string inputAfterOne;
    bool sendAfterBackspace = true;
    std::string fieldAfterBackspace = "?";
    bool readingWhileOpen = true;
};

class WriteDialogCommand : public testing::TestWithParam<Command> {};

TEST_P(WriteDialogCommand, OpensItsDialogWithSendFollowingTheField) {
    const Command& c = GetParam();
    auto& log = installRecording(std::make_unique<portio::SimulatedBackend>());
    Opening o;
    bool leftOpen = false;
    ProgramDriver driver;
    driver.then([&] { pressKey(c.key); })
        .then([&] {
            WriteDialog d = openWriteDialog();
            if (!d.complete())
                return;
            o.found = true;
            o.title = d.window->windowTitle().toStdString();
            o.write = WRITE;
            o.field = d.edit->text().toStdString();
            o.sendEnabled = d.send->isEnabled();
            o.cancelEnabled = d.cancel->isEnabled();
            o.fieldFocused = d.window->focusWidget() == d.edit;
            QRect inside = d.window->rect();
            QRect field = d.edit->geometry(), send = d.send->geometry(),
                  cancel = d.cancel->geometry();
            o.controlsInOrder = inside.contains(field) && inside.contains(send) &&
                                inside.contains(cancel) && field.right() < send.left() &&
                                send.right() < cancel.left() && field.top() == send.top() &&
                                send.top() == cancel.top();
            o.readingWhileOpen = s != 0;
            QTest::keyClicks(d.edit, "1");
            o.sendAfterOne = d.send->isEnabled();
            o.inputAfterOne = Input;
            QTest::keyClick(d.edit, Qt::Key_Backspace);
            o.sendAfterBackspace = d.send->isEnabled();
            o.fieldAfterBackspace = d.edit->text().toStdString();
        })
        .then([&] {
            if (WriteDialog d = openWriteDialog(); d.complete())
                QTest::keyClick(d.edit, Qt::Key_Escape);
        });
    endProgram(driver, &leftOpen);
    EXPECT_EQ(driver.run(), 0);

    ASSERT_TRUE(o.found) << "no write dialog opened";
    EXPECT_EQ(o.title, c.title);
    EXPECT_EQ(o.write, c.write);
    EXPECT_EQ(o.field, "");
    EXPECT_FALSE(o.sendEnabled) << "Send is enabled on an empty field";
    EXPECT_TRUE(o.cancelEnabled);
    EXPECT_TRUE(o.fieldFocused);
    EXPECT_TRUE(o.controlsInOrder);
    EXPECT_FALSE(o.readingWhileOpen) << "a reading was taken before the dialog closed";
    EXPECT_TRUE(o.sendAfterOne);
    EXPECT_EQ(o.inputAfterOne, "1");
    EXPECT_FALSE(o.sendAfterBackspace);
    EXPECT_EQ(o.fieldAfterBackspace, "");
    EXPECT_FALSE(leftOpen) << "Escape did not close the dialog";
    EXPECT_EQ(describe(log), describe(readingOf(0x00, 0x0C)));
    EXPECT_EQ(s, 1);
    EXPECT_EQ(e, 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, WriteDialogCommand, testing::ValuesIn(kCommands), commandName);

// Closing without Send writes nothing, and the command still takes its reading.
enum class Quit { CancelClick, EscapeKey, CloseBox };

struct QuitCase {
    const char* name;
    Command command;
    Quit how;
};

void PrintTo(const QuitCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteDialogClosed : public testing::TestWithParam<QuitCase> {};

TEST_P(WriteDialogClosed, WritesNothingAndStillReads) {
    const QuitCase& c = GetParam();
    auto& log = installRecording(std::make_unique<portio::SimulatedBackend>());
    bool typed = false, closed = false, leftOpen = false;
    ProgramDriver driver;
    driver.then([&] { pressKey(c.command.key); })
        .then([&] {
            WriteDialog d = openWriteDialog();
            if (!d.complete())
                return;
            QTest::keyClicks(d.edit, c.command.entry);
            typed = d.send->isEnabled();
            switch (c.how) {
            case Quit::CancelClick: QTest::mouseClick(d.cancel, Qt::LeftButton); break;
            case Quit::EscapeKey: QTest::keyClick(d.edit, Qt::Key_Escape); break;
            case Quit::CloseBox: d.window->close(); break;
            }
        })
        .then([&] { closed = QApplication::activeModalWidget() == nullptr; });
    endProgram(driver, &leftOpen);
    EXPECT_EQ(driver.run(), 0);

    EXPECT_TRUE(typed) << "the entry was not typed into an open dialog";
    EXPECT_TRUE(closed);
    EXPECT_FALSE(leftOpen);
    EXPECT_EQ(describe(log), describe(readingOf(0x00, 0x0C)));
    EXPECT_EQ(s, 1);
    EXPECT_EQ(e, 0);
    EXPECT_STREQ(list[0].DD, "0");
    EXPECT_STREQ(list[0].CD, "7");
}

const QuitCase kQuitCases[] = {
    {"DataCancel", kCommands[0], Quit::CancelClick},
    {"DataEscape", kCommands[0], Quit::EscapeKey},
    {"DataCloseBox", kCommands[0], Quit::CloseBox},
    {"ControlCancel", kCommands[1], Quit::CancelClick},
    {"ControlEscape", kCommands[1], Quit::EscapeKey},
    {"ControlCloseBox", kCommands[1], Quit::CloseBox},
};

INSTANTIATE_TEST_SUITE_P(Ways, WriteDialogClosed, testing::ValuesIn(kQuitCases),
                         [](const auto& info) { return std::string(info.param.name); });

// An accepted entry is written when Send is clicked or Enter pressed; the dialog closes and the
// reading that follows shows the value on the simulated port.
enum class Send { Click, EnterKey };

struct SendCase {
    const char* name;
    Qt::Key key;
    const char* entry;
    Send how;
    PortAccess written;
    std::vector<PortAccess> reading;
    const char* dataColumn; // list[e].DD and DB
    const char* dataBits;
    const char* controlColumn; // list[e].CD and CB
    const char* controlBits;
};

void PrintTo(const SendCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteDialogAccepted : public testing::TestWithParam<SendCase> {};

TEST_P(WriteDialogAccepted, IsWrittenAndReadBack) {
    const SendCase& c = GetParam();
    auto& log = installRecording(std::make_unique<portio::SimulatedBackend>());
    bool typed = false, closed = false, leftOpen = false;
    ProgramDriver driver;
    driver.then([&] { pressKey(c.key); })
        .then([&] {
            WriteDialog d = openWriteDialog();
            if (!d.complete())
                return;
            QTest::keyClicks(d.edit, c.entry);
            typed = d.send->isEnabled();
            if (c.how == Send::Click)
                QTest::mouseClick(d.send, Qt::LeftButton);
            else
                QTest::keyClick(d.edit, Qt::Key_Return);
        })
        .then([&] { closed = QApplication::activeModalWidget() == nullptr; });
    endProgram(driver, &leftOpen);
    EXPECT_EQ(driver.run(), 0);

    EXPECT_TRUE(typed);
    EXPECT_TRUE(closed) << "the dialog stayed open after an accepted entry";
    EXPECT_FALSE(leftOpen);
    std::vector<PortAccess> expected{c.written};
    expected.insert(expected.end(), c.reading.begin(), c.reading.end());
    EXPECT_EQ(describe(log), describe(expected));
    EXPECT_EQ(s, 1);
    EXPECT_EQ(e, 0);
    EXPECT_STREQ(list[e].DD, c.dataColumn);
    EXPECT_STREQ(list[e].DB, c.dataBits);
    EXPECT_STREQ(list[e].CD, c.controlColumn);
    EXPECT_STREQ(list[e].CB, c.controlBits);
}

const SendCase kSendCases[] = {
    {"Data12Send",
     Qt::Key_F1,
     "12",
     Send::Click,
     {PortAccess::Out, 888, 12},
     readingOf(12, 0x0C),
     "12",
     "00001100",
     "7",
     "00000111"},
    {"Data12Enter",
     Qt::Key_F1,
     "12",
     Send::EnterKey,
     {PortAccess::Out, 888, 12},
     readingOf(12, 0x0C),
     "12",
     "00001100",
     "7",
     "00000111"},
    {"DataBinaryEnter",
     Qt::Key_F1,
     "10100101",
     Send::EnterKey,
     {PortAccess::Out, 888, 165},
     readingOf(165, 0x0C),
     "165",
     "10100101",
     "7",
     "00000111"},
    {"Control5Send",
     Qt::Key_F2,
     "5",
     Send::Click,
     {PortAccess::Out, 890, 14},
     readingOf(0, 0x0E),
     "0",
     "00000000",
     "5",
     "00000101"},
    {"Control0Enter",
     Qt::Key_F2,
     "0",
     Send::EnterKey,
     {PortAccess::Out, 890, 11},
     readingOf(0, 0x0B),
     "0",
     "00000000",
     "0",
     "00000000"},
};

INSTANTIATE_TEST_SUITE_P(Entries, WriteDialogAccepted, testing::ValuesIn(kSendCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A rejected entry is quoted in a warning box owned by the dialog; the dialog stays open with the
// entry as it was, and nothing is written or read until it closes.
struct RejectCase {
    const char* name;
    Qt::Key key;
    const char* entry;
    Send how;
};

void PrintTo(const RejectCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteDialogRejected : public testing::TestWithParam<RejectCase> {};

TEST_P(WriteDialogRejected, IsQuotedInAWarningAndKept) {
    const RejectCase& c = GetParam();
    auto& log = installRecording(std::make_unique<portio::SimulatedBackend>());
    BoxWatcher box;
    QWidget* dialogWindow = nullptr;
    bool stillOpen = false, sendEnabled = false, leftOpen = false;
    std::string fieldAfter = "?";
    size_t accessesWhileOpen = 99;
    ProgramDriver driver;
    driver.then([&] { pressKey(c.key); })
        .then([&] {
            WriteDialog d = openWriteDialog();
            if (!d.complete())
                return;
            dialogWindow = d.window;
            QTest::keyClicks(d.edit, c.entry);
            box.start();
            if (c.how == Send::Click)
                QTest::mouseClick(d.send, Qt::LeftButton);
            else
                QTest::keyClick(d.edit, Qt::Key_Return);
        })
        .then([&] {
            WriteDialog d = openWriteDialog();
            if (!d.complete())
                return;
            stillOpen = d.window == dialogWindow;
            fieldAfter = d.edit->text().toStdString();
            sendEnabled = d.send->isEnabled();
            accessesWhileOpen = log.size();
            QTest::mouseClick(d.cancel, Qt::LeftButton);
        });
    endProgram(driver, &leftOpen);
    EXPECT_EQ(driver.run(), 0);

    ASSERT_TRUE(dialogWindow) << "no write dialog opened";
    EXPECT_TRUE(box.seen.shown) << "no warning box";
    EXPECT_EQ(box.seen.text, c.entry);
    EXPECT_EQ(box.seen.caption, "INVALID ENTRY");
    EXPECT_EQ(box.seen.icon, QMessageBox::Warning);
    EXPECT_EQ(box.seen.owner, dialogWindow);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(fieldAfter, c.entry);
    EXPECT_TRUE(sendEnabled);
    EXPECT_EQ(accessesWhileOpen, 0u) << "the port was touched while the dialog was open";
    EXPECT_FALSE(leftOpen);
    EXPECT_EQ(describe(log), describe(readingOf(0x00, 0x0C)));
}

const RejectCase kRejectCases[] = {
    {"Data300Send", Qt::Key_F1, "300", Send::Click},
    {"Data300Enter", Qt::Key_F1, "300", Send::EnterKey},
    {"DataMarkup", Qt::Key_F1, "<b>", Send::Click},
    {"DataFourDigits", Qt::Key_F1, "1234", Send::Click},
    {"Control16Send", Qt::Key_F2, "16", Send::Click},
    {"ControlBinary16", Qt::Key_F2, "00010000", Send::EnterKey},
};

INSTANTIATE_TEST_SUITE_P(Entries, WriteDialogRejected, testing::ValuesIn(kRejectCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
