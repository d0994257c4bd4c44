// The entry rules, text by text: what each does to the result and to the port.
#include "entry.h"
#include "port.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

namespace ts = testsupport;

namespace {

struct Case {
    std::string text;
    int value; // the register value written, or -1: rejected
};
const auto ok = [](std::string text, int value) { return Case{std::move(text), value}; };
const auto no = [](std::string text) { return Case{std::move(text), -1}; };

// Enters each text for the register `write` selects: ParseInput judges it and writes nothing,
// CheckInput writes the value (to `port`, with the bits of `mask` flipped) or nothing.
void expectEntries(int write, unsigned short port, int mask, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "WRITE " << write << ", \"" << c.text << '"');
        auto& log = ts::installRecording(std::make_unique<ts::ScriptedBackend>(0, 0x78, 0x0C));
        WRITE = write;
        SetInput(c.text.c_str());
        EXPECT_EQ(std::string(Input), c.text.substr(0, 1023)) << "long texts are cut";
        EXPECT_EQ(ParseInput(), c.value < 0 ? 1 : 0);
        EXPECT_TRUE(log.empty()) << "checking alone writes nothing";
        EXPECT_EQ(CheckInput(), c.value < 0 ? 1 : 0);
        EXPECT_EQ(ts::describe(log), c.value < 0 ? ""
                                                 : "out " + std::to_string(port) + " " +
                                                       std::to_string(c.value ^ mask));
    }
}

TEST(EntryRules, DataRegister) {
    expectEntries(
        WRITE_DATA, 888, 0x00,
        {// decimal, up to three characters
         ok("0", 0), ok("7", 7), ok("255", 255), ok("10", 10), ok(" 12", 12), ok("\t7", 7),
         ok("+5", 5), ok("2.9", 2), ok("1e2", 100), ok("12x", 12), no("256"), no("-1"), no("00"),
         no("0.5"), no("abc"), no("   "), no(""), no("3e2"),
         // binary, exactly eight digits, not nine
         ok("00000000", 0), ok("11111111", 255), ok("10000001", 129), no("00000255"),
         no("1111111x"), no(" 1111111"), no("000000001"),
         // any other length, up to the 1023 characters kept
         no("12.5"), no("1111111"), no(std::string(1023, '1')), no(std::string(2000, '1')),
         // numbers no int holds, and hexadecimal, which is not decimal
         no("9e9"), no("-9e9"), no("inf"), no("nan"), no("0x5"), no("0XF")});
}

TEST(EntryRules, ControlRegister) {
    expectEntries(WRITE_CONTROL, 890, 0x0B,
                  {ok("0", 0), ok("15", 15), ok("5", 5), ok("1e1", 10), no("16"),
                   ok("00001111", 15), ok("00000000", 0), ok("00000101", 5), no("00010000")});
}

} // namespace
