// The entry rules, case by case: what each text does to the result and to the port.
#include "entry.h"
#include "port.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using testsupport::installRecording;
using testsupport::PortAccess;
using testsupport::ScriptedBackend;

namespace {

constexpr int kRejected = -1;

struct Case {
    const char* text;
    int value; // the register value written, or kRejected
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

// Puts a text into Input as ReadInput's first step does with the entry field's text: blanks
// everywhere, then at most 1023 characters and a NUL.
int enter(const std::string& text) {
    memset(Input, ' ', sizeof Input);
    size_t n = std::min(text.size(), sizeof Input - 1);
    memcpy(Input, text.data(), n);
    Input[n] = '\0';
    return CheckInput();
}

std::string caseName(const testing::TestParamInfo<Case>& info) {
    std::string name = std::to_string(info.index) + "_";
    for (const char* p = info.param.text; *p; p++) {
        if (isalnum((unsigned char)*p)) {
            name += *p;
        } else {
            char hex[4];
            snprintf(hex, sizeof hex, "x%02X", (unsigned char)*p);
            name += hex;
        }
    }
    return name;
}

// Enters the case's text for the register `write` selects and checks the result, Output and
// the accesses that reached the port.
void expectEntry(int write, unsigned short port, int portMask, const Case& c) {
    auto& log = installRecording(std::make_unique<ScriptedBackend>(0x00, 0x78, 0x0C));
    WRITE = write;
    Output = -12345;
    int result = enter(c.text);
    if (c.value == kRejected) {
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(log.empty()) << "a rejected text reached the port";
    } else {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(Output, c.value);
        EXPECT_EQ(log, (std::vector<PortAccess>{{PortAccess::Out, port, c.value ^ portMask}}));
    }
}

class DataRegister : public testing::TestWithParam<Case> {};
class ControlRegister : public testing::TestWithParam<Case> {};

TEST_P(DataRegister, Entry) {
    expectEntry(1, 888, 0x00, GetParam());
}
TEST_P(ControlRegister, Entry) {
    expectEntry(3, 890, 0x0B, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DataRegister,
    testing::Values(
        // decimal, up to three characters
        Case{"0", 0}, Case{"7", 7}, Case{"42", 42}, Case{"255", 255}, Case{"10", 10}, Case{"1", 1},
        Case{" 12", 12}, Case{"\t7", 7}, Case{"+5", 5}, Case{"2.9", 2}, Case{"1e2", 100},
        Case{"12x", 12}, Case{"256", kRejected}, Case{"-1", kRejected}, Case{"00", kRejected},
        Case{"000", kRejected}, Case{"0.5", kRejected}, Case{"0 ", kRejected},
        Case{"abc", kRejected}, Case{"   ", kRejected}, Case{"", kRejected}, Case{"3e2", kRejected},
        // binary, exactly eight digits
        Case{"00000000", 0}, Case{"11111111", 255}, Case{"10000000", 128}, Case{"00000001", 1},
        Case{"10100101", 165}, Case{"00000255", kRejected}, Case{"1111111x", kRejected},
        Case{" 1111111", kRejected},
        // any other length
        Case{"1234", kRejected}, Case{"0000", kRejected}, Case{"1111111", kRejected},
        Case{"000000001", kRejected}, Case{"111111111", kRejected},
        // numbers no int holds, and hexadecimal, which is not decimal
        Case{"9e9", kRejected}, Case{"-9e9", kRejected}, Case{"1e9", kRejected},
        Case{"inf", kRejected}, Case{"INF", kRejected}, Case{"9E9", kRejected},
        Case{"nan", kRejected}, Case{"NaN", kRejected}, Case{"0x5", kRejected},
        Case{"0XF", kRejected}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Texts, ControlRegister,
    testing::Values(Case{"0", 0}, Case{"15", 15}, Case{"5", 5}, Case{"9", 9}, Case{"1e1", 10},
                    Case{"16", kRejected}, Case{"255", kRejected}, Case{"-1", kRejected},
                    Case{"00", kRejected}, Case{"", kRejected}, Case{"00001111", 15},
                    Case{"00000000", 0}, Case{"00000101", 5}, Case{"00010000", kRejected},
                    Case{"10000000", kRejected}, Case{"11111111", kRejected},
                    Case{"0000111x", kRejected}, Case{"01111", kRejected}, Case{"9e9", kRejected},
                    Case{"-9e9", kRejected}, Case{"inf", kRejected}, Case{"nan", kRejected},
                    Case{"0xF", kRejected}),
    caseName);

// The port byte for control value 5, straight from the register map: nSTROBE, nAUTOFD and
// nSELECTIN are inverted, so 0101 goes out as 1110.
TEST(ControlRegisterPort, FiveGoesOutAs0x0E) {
    auto& log = installRecording(std::make_unique<ScriptedBackend>(0x00, 0x78, 0x0C));
    WRITE = 3;
    EXPECT_EQ(enter("5"), 0);
    EXPECT_EQ(log, (std::vector<PortAccess>{{PortAccess::Out, 890, 0x0E}}));
}

TEST(LongText, IsCutTo1023CharactersAndRejectedByItsLength) {
    auto& log = installRecording(std::make_unique<ScriptedBackend>(0x00, 0x78, 0x0C));
    for (int write : {1, 3}) {
        for (size_t size : {1023u, 1024u, 2000u}) {
            SCOPED_TRACE(testing::Message() << "WRITE " << write << ", " << size << " characters");
            log.clear();
            WRITE = write;
            EXPECT_EQ(enter(std::string(size, '1')), 1);
            EXPECT_EQ(Input[1023], '\0');
            EXPECT_EQ(Length, 1023);
            EXPECT_TRUE(log.empty());
        }
    }
}

} // namespace
