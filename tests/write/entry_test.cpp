// The entry rules, text by text: what each does to the result and to the port.
#include "entry.h"
#include "port.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using testsupport::installRecording;
using testsupport::PortAccess;
using testsupport::ScriptedBackend;

namespace {

struct Case {
    const char* text;
    int value; // the register value written, or -1: rejected
};
const auto ok = [](const char* text, int value) { return Case{text, value}; };
const auto no = [](const char* text) { return Case{text, -1}; };

// Enters each text for the register `write` selects and checks the result, Output and the
// accesses that reached the port; ParseInput must agree and write nothing.
void expectEntries(int write, unsigned short port, int portMask, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "WRITE " << write << ", \"" << c.text << '"');
        auto& log = installRecording(std::make_unique<ScriptedBackend>(0x00, 0x78, 0x0C));
        WRITE = write;
        SetInput(c.text);
        EXPECT_EQ(ParseInput(), c.value < 0 ? 1 : 0);
        EXPECT_TRUE(log.empty()) << "checking alone writes nothing";
        Output = -12345;
        EXPECT_EQ(CheckInput(), c.value < 0 ? 1 : 0);
        if (c.value < 0)
            EXPECT_TRUE(log.empty()) << "a rejected text reached the port";
        else
            EXPECT_EQ(log, (std::vector<PortAccess>{{PortAccess::Out, port, c.value ^ portMask}}))
                << "Output " << Output;
        EXPECT_TRUE(c.value < 0 || Output == c.value);
    }
}

TEST(EntryRules, DataRegister) {
    expectEntries(WRITE_DATA, 888, 0x00,
                  {// decimal, up to three characters
                   ok("0", 0), ok("7", 7), ok("42", 42), ok("255", 255), ok("10", 10),
                   ok(" 12", 12), ok("\t7", 7), ok("+5", 5), ok("2.9", 2), ok("1e2", 100),
                   ok("12x", 12), no("256"), no("-1"), no("00"), no("000"), no("0.5"), no("0 "),
                   no("abc"), no("   "), no(""), no("3e2"),
                   // binary, exactly eight digits
                   ok("00000000", 0), ok("11111111", 255), ok("10000000", 128), ok("00000001", 1),
                   no("00000255"), no("1111111x"), no(" 1111111"),
                   // any other length
                   no("1234"), no("0000"), no("1111111"), no("000000001"),
                   // numbers no int holds, and hexadecimal, which is not decimal
                   no("9e9"), no("-9e9"), no("inf"), no("INF"), no("nan"), no("0x5"), no("0XF")});
}

TEST(EntryRules, ControlRegister) {
    expectEntries(WRITE_CONTROL, 890, 0x0B,
                  {ok("0", 0),     ok("15", 15),       ok("5", 5),        ok("1e1", 10),
                   no("16"),       no("255"),          no("-1"),          no("00"),
                   no(""),         ok("00001111", 15), ok("00000000", 0), ok("00000101", 5),
                   no("00010000"), no("10000000"),     no("0000111x"),    no("9e9"),
                   no("-9e9"),     no("inf"),          no("nan"),         no("0xF")});
}

TEST(EntryRules, LongTextIsCutTo1023CharactersAndRejectedByItsLength) {
    auto& log = installRecording(std::make_unique<ScriptedBackend>(0x00, 0x78, 0x0C));
    for (size_t size : {1023u, 1024u, 2000u}) {
        SetInput(std::string(size, '1').c_str());
        EXPECT_EQ(Input[1023], '\0');
        EXPECT_EQ(CheckInput(), 1);
        EXPECT_EQ(Length, 1023);
    }
    SetInput("7");
    EXPECT_EQ(std::string(Input + 2, 1021), std::string(1021, ' ')) << "blanks after the text";
    EXPECT_TRUE(log.empty());
}

} // namespace
