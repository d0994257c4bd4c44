// The registers through a backend that records every access, and the log of readings: where
// readings land, when it is full, and the texts of a record. Each case runs in a fresh process,
// with the log as a fresh program has it.
#include "port.h"
#include "readlog.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using testsupport::installRecording;
using testsupport::PortAccess;
using testsupport::ScriptedBackend;

namespace {

static_assert(sizeof(data::data_entry) == 18 && sizeof(data::DB) == 9 && sizeof(data::CD) == 9);

bool bit(int value, int n) {
    return (value >> n) & 1;
}

bool isZeroFilled(const data& record) {
    static const data empty{};
    return memcmp(&record, &empty, sizeof record) == 0;
}

void takeReading() {
    Read_Port();
    Format_Data();
}

// Every raw byte, bit by bit against the register map; the reads in order, once each.
TEST(ReadPort, EveryRawByteFollowsTheRegisterMap) {
    for (int raw = 0; raw < 256; raw++) {
        SCOPED_TRACE(raw);
        auto& log = installRecording(std::make_unique<ScriptedBackend>(raw, raw ^ 1, raw ^ 2));
        Read_Port();
        EXPECT_EQ(log, (std::vector<PortAccess>{{PortAccess::In, 888, raw},
                                                {PortAccess::In, 889, raw ^ 1},
                                                {PortAccess::In, 890, raw ^ 2}}));
        EXPECT_EQ(data_reg, raw);
        EXPECT_EQ(bit(status_reg, 7), !bit(raw, 7)) << "BUSY is inverted";
        for (int n = 3; n <= 6; n++)
            EXPECT_EQ(bit(status_reg, n), bit(raw, n)) << "status bit " << n;
        EXPECT_EQ(status_reg & 0x07, 0) << "status bits 0-2 are unused";
        int control = raw ^ 2;
        EXPECT_EQ(control_reg, (control & 0x0F) ^ 0x0B) << "nSTROBE, nAUTOFD, nSELECTIN inverted";
        EXPECT_EQ(bit(control_reg, 2), bit(control, 2)) << "nINIT is not";
    }
}

TEST(WritePort, PutsOutputOnTheChosenRegisterAndReadsBackTheSame) {
    const struct {
        int write, output;
        unsigned short port; // 0: nothing written
        int byte;
    } cases[] = {{1, 0, 888, 0x00},  {1, 0xA5, 888, 0xA5}, {3, 0, 890, 0x0B},
                 {3, 15, 890, 0x04}, {3, 5, 890, 0x0E},    {0, 5, 0, 0},
                 {2, 5, 0, 0},       {4, 5, 0, 0},         {-1, 5, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "WRITE " << c.write << ", Output " << c.output);
        auto& log = installRecording(std::make_unique<ScriptedBackend>(0x00, 0x78, 0x0C));
        WRITE = c.write;
        Output = c.output;
        WritePort();
        std::vector<PortAccess> expected;
        if (c.port)
            expected.push_back({PortAccess::Out, c.port, c.byte});
        EXPECT_EQ(log, expected);
    }
    installRecording(std::make_unique<portio::SimulatedBackend>());
    for (int value = 0; value <= 15; value++) {
        WRITE = 3;
        Output = value;
        WritePort();
        Read_Registers();
        EXPECT_EQ(control_reg, value) << "a written control value shows as the same number";
    }
}

TEST(ReadingLog, FirstReadingInRecordZeroAndFullAfter32001) {
    for (const data& record : list)
        ASSERT_TRUE(isZeroFilled(record));
    installRecording(std::make_unique<ScriptedBackend>(0x2A, 0x78, 0x0C));
    takeReading();
    EXPECT_EQ(e, 0);
    EXPECT_STREQ(list[0].DD, "42");
    EXPECT_TRUE(isZeroFilled(list[1]));
    installRecording(std::make_unique<ScriptedBackend>(0xFF, 0xFF, 0xFF));
    for (int n = 2; n <= 32001; n++) {
        ASSERT_FALSE(LogIsFull()) << "before reading " << n;
        takeReading();
    }
    EXPECT_EQ(e, 32000);
    EXPECT_TRUE(LogIsFull());
    EXPECT_STREQ(list[0].DD, "42") << "an older reading is kept";
    EXPECT_STREQ(list[32000].DB, "11111111");
    for (int i = 32001; i < 32008; i++)
        EXPECT_TRUE(isZeroFilled(list[i])) << "record " << i;
    Read_Registers(); // a reading outside the log moves nothing
    EXPECT_EQ(e, 32000);
}

TEST(Formatting, EveryValueInBinaryAndDecimal) {
    for (int v = 0; v < 256; v++) {
        memset(binary, 'x', sizeof binary);
        convert(v);
        std::string digits;
        for (int n = 7; n >= 0; n--)
            digits += bit(v, n) ? '1' : '0';
        ASSERT_EQ(binary, digits);
        for (size_t i = 8; i < sizeof binary; i++)
            ASSERT_EQ(binary[i], '\0');
    }
    installRecording(std::make_unique<ScriptedBackend>(0x09, 0x00, 0xF4));
    takeReading();
    data record;
    memset(&record, 'x', sizeof record);
    Format_Registers(&record);
    for (const data& r : {list[e], record})
        EXPECT_EQ(std::string(r.DB) + " " + r.DD + " " + r.SB + " " + r.SD + " " + r.CB + " " +
                      r.CD,
                  "00001001 9 10000000 128 00001111 15");
}

TEST(Formatting, TimeOfDayInLocalTime) {
    setenv("TZ", "UTC-5:30", 1); // half-hour offset: a UTC stamp shows
    tzset();
    const struct {
        time_t when;
        long nanos;
        const char *entry, *millis, *micros;
    } cases[] = {
        {9 * 3600 + 5 * 60 + 3 - 19800, 7000000, "  09:05:03       ", "09:05:03.007",
         "09:05:03.007000"},
        {23 * 3600 + 59 * 60 + 59 - 19800, 999999999, "  23:59:59       ", "23:59:59.999",
         "23:59:59.999999"},
        {1700000000, 125000, "  03:43:20       ", "03:43:20.000", "03:43:20.000125"},
        {(time_t)-1, 0, "  --:--:--       ", "--:--:--.---", "--:--:--.------"},
        {(time_t)1 << 62, 0, "  --:--:--       ", "--:--:--.---", "--:--:--.------"},
        {0, 1000000000, "  05:30:00       ", "--:--:--.---", "--:--:--.------"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        char entry[18], clock[18];
        memset(entry, 'x', sizeof entry);
        Format_Time(entry, c.when);
        EXPECT_STREQ(entry, c.entry);
        Format_Clock(clock, sizeof clock, c.when, c.nanos, 3);
        EXPECT_STREQ(clock, c.millis);
        Format_Clock(clock, sizeof clock, c.when, c.nanos, 6);
        EXPECT_STREQ(clock, c.micros);
    }
    installRecording(std::make_unique<ScriptedBackend>(0, 0x78, 0x0C));
    for (int attempt = 0; attempt < 5; attempt++) { // until the second stays put
        time_t before = time(nullptr);
        takeReading();
        if (time(nullptr) != before)
            continue;
        char expected[18];
        Format_Time(expected, before);
        EXPECT_STREQ(list[e].data_entry, expected) << "a reading is stamped with the time now";
        return;
    }
    FAIL() << "the clock kept changing its second during the reading";
}

} // namespace
