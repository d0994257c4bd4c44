// The registers through a backend that records every access, and the time texts of a record. Each
// case runs in a fresh process, with the log as a fresh program has it. (Where readings land and
// when the log is full, the program and view cases show with a full log.)
#include "port.h"
#include "readlog.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ts = testsupport;

TEST(ReadPort, MasksEachRegister) {
    // Raw 0x00: every inverted bit reads back set; raw 0xFF: cleared, and the unused bits dropped.
    const struct {
        int rawData, rawStatus, rawControl, data, status, control;
    } cases[] = {{0x00, 0x00, 0x00, 0, 128, 11},   {0xFF, 0xFF, 0xFF, 255, 120, 4},
                 {0xA5, 0x78, 0xF4, 165, 248, 15}, {0x5A, 0x87, 0x0C, 90, 0, 7},
                 {0x01, 0x08, 0x04, 1, 136, 15},   {0x80, 0x80, 0x01, 128, 0, 10}};
    for (const auto& c : cases) {
        ts::installRecording(
            std::make_unique<ts::ScriptedBackend>(c.rawData, c.rawStatus, c.rawControl));
        Read_Port();
        EXPECT_EQ(std::vector({data_reg, status_reg, control_reg}),
                  std::vector({c.data, c.status, c.control}));
    }
}

TEST(Formatting, TimeOfDayInLocalTime) {
    setenv("TZ", "UTC-5:30", 1); // half-hour offset: a UTC stamp shows
    tzset();
    const struct {
        time_t when;
        long nanos;
        int digits;
        const char *entry, *clock;
    } cases[] = {
        {9 * 3600 + 5 * 60 + 3 - 19800, 7000000, 3, "  09:05:03       ", "09:05:03.007"},
        {23 * 3600 + 59 * 60 + 59 - 19800, 999999999, 3, "  23:59:59       ", "23:59:59.999"},
        {0, 1250, 6, "  05:30:00       ", "05:30:00.000001"},
        {(time_t)1 << 62, 5, 3, "  --:--:--       ", "--:--:--.---"},
        {(time_t)-1, 0, 3, "  --:--:--       ", "--:--:--.---"},
        {0, 1000000000, 3, "  05:30:00       ", "--:--:--.---"},
    };
    char entry[18], clock[18];
    for (const auto& c : cases) {
        memset(entry, 'x', sizeof entry);
        Format_Time(entry, c.when);
        Format_Clock(clock, sizeof clock, c.when, c.nanos, c.digits);
        EXPECT_EQ(std::string(entry) + "|" + clock, std::string(c.entry) + "|" + c.clock);
    }
    time_t before = time(nullptr);
    Format_Data();
    Format_Time(entry, before);
    Format_Time(clock, time(nullptr));
    EXPECT_TRUE(!strcmp(list[e].data_entry, entry) || !strcmp(list[e].data_entry, clock))
        << "a reading is stamped with the time it was taken: " << list[e].data_entry;
}
