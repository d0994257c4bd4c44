// The log of readings: where readings land, when it is full, and the texts of a record.
// Every case starts with the log as a fresh program has it.
#include "port.h"
#include "readlog.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <time.h>

using testsupport::installRecording;
using testsupport::ScriptedBackend;

namespace {

static_assert(sizeof(data::data_entry) == 18);
static_assert(sizeof(data::DB) == 9 && sizeof(data::SB) == 9 && sizeof(data::CB) == 9);
static_assert(sizeof(data::DD) == 9 && sizeof(data::SD) == 9 && sizeof(data::CD) == 9);
static_assert(sizeof(list) / sizeof(list[0]) == 32008);

bool isZeroFilled(const data& record) {
    static const data empty{};
    return memcmp(&record, &empty, sizeof record) == 0;
}

// A reading as the read command takes it.
void takeReading() {
    Read_Port();
    Format_Data();
}

// The eight binary digits of v, read off its bits.
std::string bits(int v) {
    std::string text;
    for (int n = 7; n >= 0; n--)
        text += ((v >> n) & 1) ? '1' : '0';
    return text;
}

std::string timeText(const struct tm& t) {
    char text[64];
    snprintf(text, sizeof text, "  %02d:%02d:%02d       ", t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

void useTimeZone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
}

TEST(ReadingLog, FreshProgramHasAnEmptyLog) {
    EXPECT_EQ(e, 0);
    EXPECT_EQ(s, 0);
    EXPECT_FALSE(LogIsFull());
    for (const data& record : list)
        ASSERT_TRUE(isZeroFilled(record)) << "record " << (&record - list);
}

TEST(ReadingLog, FirstReadingLandsInRecordZeroAndTheNextInRecordOne) {
    installRecording(std::make_unique<ScriptedBackend>(0x2A, 0x78, 0x0C));
    takeReading();
    EXPECT_EQ(s, 1);
    EXPECT_EQ(e, 0);
    EXPECT_STREQ(list[0].DD, "42");
    EXPECT_TRUE(isZeroFilled(list[1]));

    installRecording(std::make_unique<ScriptedBackend>(0x07, 0x78, 0x0C));
    takeReading();
    EXPECT_EQ(s, 1);
    EXPECT_EQ(e, 1);
    EXPECT_STREQ(list[0].DD, "42") << "an older reading is kept";
    EXPECT_STREQ(list[1].DD, "7");
    EXPECT_TRUE(isZeroFilled(list[2]));
}

TEST(ReadingLog, IsFullAfter32001Readings) {
    installRecording(std::make_unique<ScriptedBackend>(0xFF, 0xFF, 0xFF));
    for (int n = 1; n <= 32000; n++) {
        ASSERT_FALSE(LogIsFull()) << "before reading " << n;
        takeReading();
    }
    EXPECT_EQ(e, 31999);
    EXPECT_FALSE(LogIsFull()) << "one more reading fits";
    takeReading();
    EXPECT_EQ(e, 32000);
    EXPECT_TRUE(LogIsFull());

    EXPECT_STREQ(list[0].DB, "11111111");
    EXPECT_STREQ(list[32000].DB, "11111111");
    for (int i = 32001; i < 32008; i++)
        EXPECT_TRUE(isZeroFilled(list[i])) << "record " << i;
}

TEST(Convert, WritesEightDigitsMostSignificantFirst) {
    const struct {
        int value;
        const char* digits;
    } cases[] = {{0, "00000000"},  {255, "11111111"}, {128, "10000000"},
                 {11, "00001011"}, {1, "00000001"},   {120, "01111000"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        memset(binary, 'x', sizeof binary);
        convert(c.value);
        EXPECT_STREQ(binary, c.digits);
        for (size_t i = 8; i < sizeof binary; i++)
            EXPECT_EQ(binary[i], '\0') << "byte " << i;
    }
    for (int v = 0; v < 256; v++) {
        convert(v);
        EXPECT_EQ(binary, bits(v));
    }
}

TEST(FormatData, WritesTheRegistersInBinaryAndDecimal) {
    struct Case {
        int rawData, rawStatus, rawControl;
        const char *DB, *SB, *CB, *DD, *SD, *CD;
    };
    const Case cases[] = {
        {0x00, 0x00, 0x00, "00000000", "10000000", "00001011", "0", "128", "11"},
        {0xFF, 0xFF, 0xFF, "11111111", "01111000", "00000100", "255", "120", "4"},
        {0x09, 0x78, 0xF4, "00001001", "11111000", "00001111", "9", "248", "15"},
    };
    installRecording(std::make_unique<ScriptedBackend>(0, 0, 0));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "raw " << c.rawData << ", " << c.rawStatus << ", " << c.rawControl);
        installRecording(std::make_unique<ScriptedBackend>(c.rawData, c.rawStatus, c.rawControl));
        takeReading();
        const data& r = list[e];
        EXPECT_STREQ(r.DB, c.DB);
        EXPECT_STREQ(r.SB, c.SB);
        EXPECT_STREQ(r.CB, c.CB);
        EXPECT_STREQ(r.DD, c.DD);
        EXPECT_STREQ(r.SD, c.SD);
        EXPECT_STREQ(r.CD, c.CD);
    }
}

TEST(FormatData, StampsTheLocalTimeOfTheReading) {
    useTimeZone("UTC-5:30"); // half-hour offset: a wrong zone or a UTC stamp shows
    installRecording(std::make_unique<ScriptedBackend>(0, 0x78, 0x0C));
    // Retry if the second changes during the reading, so that the expected text is exact.
    for (int attempt = 0; attempt < 5; attempt++) {
        time_t before = time(nullptr);
        takeReading();
        time_t after = time(nullptr);
        if (before != after)
            continue;
        struct tm t;
        ASSERT_NE(localtime_r(&before, &t), nullptr);
        EXPECT_EQ(list[e].data_entry, timeText(t));
        return;
    }
    FAIL() << "the clock kept changing its second during the reading";
}

TEST(FormatData, TimeTextHasItsFixedShape) {
    installRecording(std::make_unique<ScriptedBackend>(0, 0x78, 0x0C));
    takeReading();
    const char* t = list[e].data_entry;
    ASSERT_EQ(strlen(t), 17u);
    const char* shape = "  dd:dd:dd       ";
    for (int i = 0; i < 17; i++) {
        if (shape[i] == 'd')
            EXPECT_TRUE(isdigit((unsigned char)t[i])) << "position " << i << " of '" << t << "'";
        else
            EXPECT_EQ(t[i], shape[i]) << "position " << i << " of '" << t << "'";
    }
    EXPECT_LT(atoi(t + 2), 24);
    EXPECT_LT(atoi(t + 5), 60);
    EXPECT_LT(atoi(t + 8), 61); // a leap second shows as 60
}

TEST(FormatTime, TwoDigitFieldsWithLeadingZeros) {
    useTimeZone("UTC0");
    const struct {
        time_t when;
        const char* text;
    } cases[] = {
        {9 * 3600 + 5 * 60 + 3, "  09:05:03       "},
        {0, "  00:00:00       "},
        {23 * 3600 + 59 * 60 + 59, "  23:59:59       "},
        {1700000000, "  22:13:20       "}, // 2023-11-14 22:13:20 UTC
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        char entry[18];
        memset(entry, 'x', sizeof entry);
        Format_Time(entry, c.when);
        EXPECT_STREQ(entry, c.text);
    }
}

TEST(FormatTime, UnknownTimeStillGivesAWellFormedText) {
    const time_t unknown[] = {
        (time_t)-1,      // what time() returns when it fails
        (time_t)1 << 62, // beyond any year localtime can break down
    };
    for (time_t when : unknown) {
        SCOPED_TRACE(when);
        char entry[18];
        memset(entry, 'x', sizeof entry);
        Format_Time(entry, when);
        EXPECT_STREQ(entry, "  --:--:--       ");
    }
}

} // namespace
