// The write dialog on its own: how each way of ending it ends, what its procedure returns, and
// how the entry field's text reaches Input.
#include "dialog_script.h"
#include "recording_backend.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using testsupport::installRecording;
using testsupport::PortAccess;
using writedlgtest::BoxWatcher;
using writedlgtest::describe;
using writedlgtest::DialogScript;
using writedlgtest::WriteDialog;

namespace {

// An edit notification other than EN_CHANGE: the field got the focus.
constexpr WORD kEnSetFocus = 0x0100;

enum class End { SendClick, EnterKey, CancelClick, EscapeKey, CloseBox };

struct EndCase {
    const char* name;
    int templateId;
    int write;
    const char* text;
    End how;
    INT_PTR result;
    std::vector<PortAccess> written;
};

void PrintTo(const EndCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteDialogEnd : public testing::TestWithParam<EndCase> {};

TEST_P(WriteDialogEnd, EndsWithItsResult) {
    const EndCase& c = GetParam();
    auto& log = installRecording(std::make_unique<portio::SimulatedBackend>());
    DialogScript script;
    script.then([&](const WriteDialog& d) { QTest::keyClicks(d.edit, c.text); })
        .then([&](const WriteDialog& d) {
            switch (c.how) {
            case End::SendClick: QTest::mouseClick(d.send, Qt::LeftButton); break;
            case End::EnterKey: QTest::keyClick(d.edit, Qt::Key_Return); break;
            case End::CancelClick: QTest::mouseClick(d.cancel, Qt::LeftButton); break;
            case End::EscapeKey: QTest::keyClick(d.edit, Qt::Key_Escape); break;
            case End::CloseBox: d.window->close(); break;
            }
        });
    DialogScript::Outcome outcome = script.run(c.templateId, c.write);
    EXPECT_EQ(outcome.stepsRun, 2u);
    EXPECT_FALSE(outcome.leftOpen) << "the dialog did not end";
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(describe(log), describe(c.written));
}

const EndCase kEndCases[] = {
    {"SendData", IDD_WRITEDATA, 1, "12", End::SendClick, 1, {{PortAccess::Out, 888, 12}}},
    {"EnterData", IDD_WRITEDATA, 1, "200", End::EnterKey, 1, {{PortAccess::Out, 888, 200}}},
    {"SendControl", IDD_WRITECONTROL, 3, "5", End::SendClick, 1, {{PortAccess::Out, 890, 14}}},
    {"EnterControlBinary",
     IDD_WRITECONTROL,
     3,
     "00001111",
     End::EnterKey,
     1,
     {{PortAccess::Out, 890, 4}}},
    {"CancelData", IDD_WRITEDATA, 1, "12", End::CancelClick, 1, {}},
    {"EscapeData", IDD_WRITEDATA, 1, "12", End::EscapeKey, 1, {}},
    {"CloseBoxData", IDD_WRITEDATA, 1, "12", End::CloseBox, 0, {}},
    {"CancelControl", IDD_WRITECONTROL, 3, "5", End::CancelClick, 1, {}},
    {"CloseBoxControl", IDD_WRITECONTROL, 3, "5", End::CloseBox, 0, {}},
};

INSTANTIATE_TEST_SUITE_P(Ways, WriteDialogEnd, testing::ValuesIn(kEndCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The procedure's answers, message by message, with the dialog open; the last one ends it.
TEST(WriteDlgProcedure, ReturnsTrueOnlyForWhatItHandles) {
    auto& log = installRecording(std::make_unique<portio::SimulatedBackend>());
    struct Answers {
        INT_PTR idok = -1, unknownId = -1, unknownMsg = -1, editNote = -1, rejected = -1,
                accepted = -1;
        bool openAfterIdok = false, openAfterRejected = false;
        std::string fieldAfterRejected;
    } a;
    BoxWatcher box;
    DialogScript script;
    script
        .then([&](const WriteDialog& d) {
            QTest::keyClicks(d.edit, "256");
            a.idok = WriteDlg(d.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            a.unknownId = WriteDlg(d.hwnd, WM_COMMAND, MAKEWPARAM(999, BN_CLICKED), 0);
            a.unknownMsg = WriteDlg(d.hwnd, WM_USER, 0, 0);
            a.editNote = WriteDlg(d.hwnd, WM_COMMAND, MAKEWPARAM(ID_INPUT, EN_CHANGE),
                                  LPARAM(GetDlgItem(d.hwnd, ID_INPUT)));
        })
        .then([&](const WriteDialog& d) {
            a.openAfterIdok = true;
            box.start();
            a.rejected = WriteDlg(d.hwnd, WM_COMMAND, MAKEWPARAM(IDSEND, BN_CLICKED),
                                  LPARAM(GetDlgItem(d.hwnd, IDSEND)));
        })
        .then([&](const WriteDialog& d) {
            a.openAfterRejected = true;
            a.fieldAfterRejected = d.edit->text().toStdString();
            d.edit->clear();
            QTest::keyClicks(d.edit, "255");
            a.accepted = WriteDlg(d.hwnd, WM_COMMAND, MAKEWPARAM(IDSEND, BN_CLICKED),
                                  LPARAM(GetDlgItem(d.hwnd, IDSEND)));
        });
    DialogScript::Outcome outcome = script.run(IDD_WRITEDATA, 1);
    EXPECT_EQ(outcome.stepsRun, 3u);
    EXPECT_FALSE(outcome.leftOpen);
    EXPECT_EQ(a.idok, FALSE);
    EXPECT_EQ(a.unknownId, FALSE);
    EXPECT_EQ(a.unknownMsg, FALSE);
    EXPECT_EQ(a.editNote, TRUE);
    EXPECT_TRUE(a.openAfterIdok);
    EXPECT_EQ(a.rejected, FALSE);
    EXPECT_TRUE(box.seen.shown);
    EXPECT_EQ(box.seen.text, "256");
    EXPECT_TRUE(a.openAfterRejected);
    EXPECT_EQ(a.fieldAfterRejected, "256");
    EXPECT_EQ(a.accepted, TRUE);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(describe(log), "out 888 255");
}

// Enter while Send is disabled is IDOK, which the dialog ignores: still open, nothing written.
TEST(WriteDialogKeys, EnterOnAnEmptyFieldDoesNothing) {
    auto& log = installRecording(std::make_unique<portio::SimulatedBackend>());
    BoxWatcher box;
    bool openAfterEnter = false, sendDisabled = false, fieldFocused = false;
    DialogScript script;
    script
        .then([&](const WriteDialog& d) {
            box.start(200);
            QTest::keyClick(d.edit, Qt::Key_Return);
        })
        .then([&](const WriteDialog& d) {
            openAfterEnter = true;
            sendDisabled = !d.send->isEnabled();
            fieldFocused = d.window->focusWidget() == d.edit;
        })
        .then([&](const WriteDialog& d) { QTest::mouseClick(d.cancel, Qt::LeftButton); });
    DialogScript::Outcome outcome = script.run(IDD_WRITEDATA, 1);
    EXPECT_EQ(outcome.stepsRun, 3u);
    EXPECT_TRUE(openAfterEnter);
    EXPECT_TRUE(sendDisabled);
    EXPECT_TRUE(fieldFocused);
    EXPECT_FALSE(box.seen.shown) << "Enter on an empty field showed a box: " << box.seen.text;
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(describe(log), "");
}

// Only EN_CHANGE copies the field into Input and decides about Send.
TEST(WriteDialogEntry, OnlyTheChangeNotificationCopiesTheField) {
    std::string afterOther, afterChange;
    BOOL otherResult = -1, changeResult = -1;
    bool sendAfterOther = false, sendAfterChange = true;
    DialogScript script;
    script.then([&](const WriteDialog& d) { QTest::keyClicks(d.edit, "7"); })
        .then([&](const WriteDialog& d) {
            {
                QSignalBlocker quiet(d.edit); // the field empties without telling the dialog
                d.edit->clear();
            }
            otherResult = InputMessages(d.hwnd, MAKEWPARAM(ID_INPUT, kEnSetFocus));
            afterOther = Input;
            sendAfterOther = d.send->isEnabled();
            changeResult = InputMessages(d.hwnd, MAKEWPARAM(ID_INPUT, EN_CHANGE));
            afterChange = Input;
            sendAfterChange = d.send->isEnabled();
        })
        .then([&](const WriteDialog& d) { d.window->close(); });
    DialogScript::Outcome outcome = script.run(IDD_WRITEDATA, 1);
    EXPECT_EQ(outcome.stepsRun, 3u);
    EXPECT_EQ(otherResult, 1);
    EXPECT_EQ(afterOther, "7");
    EXPECT_TRUE(sendAfterOther);
    EXPECT_EQ(changeResult, 1);
    EXPECT_EQ(afterChange, "");
    EXPECT_FALSE(sendAfterChange);
    EXPECT_EQ(outcome.result, 0);
}

// The field takes more than Input holds; Input, and so the warning box, get its first 1023
// characters, and the field keeps them all.
TEST(WriteDialogEntry, KeepsTheFirst1023Characters) {
    auto& log = installRecording(std::make_unique<portio::SimulatedBackend>());
    std::string typed;
    for (int i = 0; i < 1030; i++)
        typed += char('0' + i % 10);
    size_t inputLength = 0;
    std::string inputText, fieldAfter;
    bool inputTerminated = false;
    BoxWatcher box;
    DialogScript script;
    script.then([&](const WriteDialog& d) { QTest::keyClicks(d.edit, typed.c_str()); })
        .then([&](const WriteDialog& d) {
            inputTerminated = memchr(Input, '\0', sizeof Input) != nullptr;
            inputLength = strnlen(Input, sizeof Input);
            inputText.assign(Input, inputLength);
            box.start();
            QTest::mouseClick(d.send, Qt::LeftButton);
        })
        .then([&](const WriteDialog& d) {
            fieldAfter = d.edit->text().toStdString();
            QTest::mouseClick(d.cancel, Qt::LeftButton);
        });
    DialogScript::Outcome outcome = script.run(IDD_WRITEDATA, 1);
    EXPECT_EQ(outcome.stepsRun, 3u);
    EXPECT_TRUE(inputTerminated);
    EXPECT_EQ(inputLength, 1023u);
    EXPECT_EQ(inputText, typed.substr(0, 1023));
    EXPECT_TRUE(box.seen.shown);
    EXPECT_EQ(box.seen.text, typed.substr(0, 1023));
    EXPECT_EQ(box.seen.caption, "INVALID ENTRY");
    EXPECT_EQ(fieldAfter, typed);
    EXPECT_EQ(describe(log), "");
}

} // namespace
