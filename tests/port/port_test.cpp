// The registers through a backend that records every access, and the log of readings: where
// readings land, when it is full, and the texts of a record. Each case runs in a fresh process,
// with the log as a fresh program has it.
#include "port.h"
#include "readlog.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

#include <bitset>
#include <cstdlib>
#include <cstring>

using testsupport::installRecording;
using testsupport::PortAccess;
using testsupport::ScriptedBackend;

namespace {

bool isZeroFilled(const data& record) {
    static const data empty{};
    return memcmp(&record, &empty, sizeof record) == 0;
}

void takeReading() {
    Read_Port();
    Format_Data();
}

TEST(ReadPort, MasksEachRegister) {
    const struct {
        int rawData, rawStatus, rawControl;
        int data, status, control;
    } cases[] = {{0x00, 0x00, 0x00, 0, 128, 11},  // every inverted bit reads back set
                 {0xFF, 0xFF, 0xFF, 255, 120, 4}, // and cleared; unused bits dropped
                 {0xA5, 0x78, 0xF4, 165, 248, 15},
                 {0x5A, 0x87, 0x0C, 90, 0, 7},
                 {0x01, 0x08, 0x04, 1, 136, 15}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rawData);
        installRecording(std::make_unique<ScriptedBackend>(c.rawData, c.rawStatus, c.rawControl));
        Read_Port();
        EXPECT_EQ(std::vector({data_reg, status_reg, control_reg}),
                  std::vector({c.data, c.status, c.control}));
    }
}

TEST(WritePort, PutsOutputOnTheChosenRegister) {
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
        ASSERT_EQ(log.size(), c.port ? 1u : 0u);
        EXPECT_TRUE(!c.port || log[0] == (PortAccess{PortAccess::Out, c.port, c.byte}));
    }
}

TEST(ReadingLog, FirstReadingInRecordZeroAndFullAfter32001) {
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

TEST(Formatting, EveryValueInBinary) {
    for (int v = 0; v < 256; v++) {
        memset(binary, 'x', sizeof binary);
        convert(v);
        ASSERT_EQ(binary, std::bitset<8>(v).to_string());
        for (size_t i = 8; i < sizeof binary; i++)
            ASSERT_EQ(binary[i], '\0');
    }
}

TEST(Formatting, TimeOfDayInLocalTime) {
    setenv("TZ", "UTC-5:30", 1); // half-hour offset: a UTC stamp shows
    tzset();
    const struct {
        time_t when;
        long nanos;
        const char *entry, *clock;
    } cases[] = {
        {9 * 3600 + 5 * 60 + 3 - 19800, 7000000, "  09:05:03       ", "09:05:03.007"},
        {23 * 3600 + 59 * 60 + 59 - 19800, 999999999, "  23:59:59       ", "23:59:59.999"},
        {(time_t)1 << 62, 5, "  --:--:--       ", "--:--:--.---"},
        {(time_t)-1, 0, "  --:--:--       ", "--:--:--.---"},
        {0, 1000000000, "  05:30:00       ", "--:--:--.---"},
    };
    char entry[18], clock[18];
    for (const auto& c : cases) {
        memset(entry, 'x', sizeof entry);
        Format_Time(entry, c.when);
        EXPECT_STREQ(entry, c.entry) << c.when;
        Format_Clock(clock, sizeof clock, c.when, c.nanos, 3);
        EXPECT_STREQ(clock, c.clock) << c.when;
    }
    Format_Clock(clock, sizeof clock, 0, 1250, 6);
    EXPECT_STREQ(clock, "05:30:00.000001");
    installRecording(std::make_unique<ScriptedBackend>(0, 0x78, 0x0C));
    char before[18], after[18];
    Format_Time(before, time(nullptr));
    takeReading();
    Format_Time(after, time(nullptr));
    EXPECT_TRUE(!strcmp(list[e].data_entry, before) || !strcmp(list[e].data_entry, after))
        << "a reading is stamped with the time it was taken: " << list[e].data_entry;
}

} // namespace
