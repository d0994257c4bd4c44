// Reading and writing the three registers through a backend that records every port access.
#include "port.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using testsupport::installRecording;
using testsupport::PortAccess;
using testsupport::ScriptedBackend;

namespace {

constexpr unsigned short kData = 888, kStatus = 889, kControl = 890;

PortAccess in(unsigned short port, int value) {
    return {PortAccess::In, port, value};
}
PortAccess out(unsigned short port, int value) {
    return {PortAccess::Out, port, value};
}

bool bit(int value, int n) {
    return (value >> n) & 1;
}

TEST(ReadPort, ReadsDataThenStatusThenControlOnce) {
    auto& log = installRecording(std::make_unique<ScriptedBackend>(0x12, 0x34, 0x56));
    Read_Port();
    EXPECT_EQ(log,
              (std::vector<PortAccess>{in(kData, 0x12), in(kStatus, 0x34), in(kControl, 0x56)}));
}

TEST(ReadPort, MasksRawBytes) {
    struct Case {
        int rawData, rawStatus, rawControl;
        int data, status, control;
    };
    const Case cases[] = {
        {0x00, 0x00, 0x00, 0, 128, 11},  // every inverted bit reads back set
        {0xFF, 0xFF, 0xFF, 255, 120, 4}, // and cleared; unused bits dropped
        {0xA5, 0x78, 0xF4, 165, 248, 15},
        {0x5A, 0x87, 0x0C, 90, 0, 7}, // status bits 0-2 and control bits 4-7 are not shown
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "raw " << c.rawData << ", " << c.rawStatus << ", " << c.rawControl);
        installRecording(std::make_unique<ScriptedBackend>(c.rawData, c.rawStatus, c.rawControl));
        Read_Port();
        EXPECT_EQ(data_reg, c.data);
        EXPECT_EQ(status_reg, c.status);
        EXPECT_EQ(control_reg, c.control);
    }
}

// Every raw byte, checked bit by bit against the register map.
TEST(ReadPort, EveryRawByteFollowsTheRegisterMap) {
    for (int raw = 0; raw < 256; raw++) {
        SCOPED_TRACE(raw);
        installRecording(std::make_unique<ScriptedBackend>(raw, raw, raw));
        Read_Port();
        EXPECT_EQ(data_reg, raw);

        EXPECT_EQ(bit(status_reg, 7), !bit(raw, 7)) << "BUSY is inverted";
        for (int n = 3; n <= 6; n++)
            EXPECT_EQ(bit(status_reg, n), bit(raw, n)) << "status bit " << n;
        EXPECT_EQ(status_reg & 0x07, 0) << "status bits 0-2 are unused";

        EXPECT_EQ(bit(control_reg, 0), !bit(raw, 0)) << "nSTROBE is inverted";
        EXPECT_EQ(bit(control_reg, 1), !bit(raw, 1)) << "nAUTOFD is inverted";
        EXPECT_EQ(bit(control_reg, 2), bit(raw, 2)) << "nINIT";
        EXPECT_EQ(bit(control_reg, 3), !bit(raw, 3)) << "nSELECTIN is inverted";
        EXPECT_EQ(control_reg & ~0x0F, 0) << "control bits 4-7 are not shown";
    }
}

TEST(WritePort, PutsOutputOnTheChosenRegister) {
    struct Case {
        int write, output;
        std::vector<PortAccess> expected;
    };
    const Case cases[] = {
        {1, 0, {out(kData, 0x00)}},
        {1, 255, {out(kData, 0xFF)}},
        {1, 0xA5, {out(kData, 0xA5)}}, // data goes out as it is
        {3, 0, {out(kControl, 0x0B)}},
        {3, 15, {out(kControl, 0x04)}},
        {3, 5, {out(kControl, 0x0E)}},
        {0, 5, {}}, // no register chosen
        {2, 5, {}}, // status is never written
        {4, 5, {}},
        {-1, 5, {}},
        {888, 5, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "WRITE " << c.write << ", Output " << c.output);
        auto& log = installRecording(std::make_unique<ScriptedBackend>(0x00, 0x78, 0x0C));
        WRITE = c.write;
        Output = c.output;
        WritePort();
        EXPECT_EQ(log, c.expected);
    }
}

// A port that keeps what is written shows the written number at the next reading.
TEST(WritePort, ValueWrittenReadsBackTheSame) {
    struct Port {
        const char* name;
        std::unique_ptr<portio::Backend> (*make)();
    };
    const Port ports[] = {
        {"simulated port",
         [] {
             return std::unique_ptr<portio::Backend>(std::make_unique<portio::SimulatedBackend>());
         }},
        {"latching port",
         [] {
             return std::unique_ptr<portio::Backend>(
                 std::make_unique<ScriptedBackend>(0x00, 0x78, 0x0C));
         }},
    };
    for (const Port& port : ports) {
        auto& log = installRecording(port.make());
        for (int value = 0; value <= 15; value++) {
            SCOPED_TRACE(testing::Message() << port.name << ", control " << value);
            log.clear();
            WRITE = 3;
            Output = value;
            WritePort();
            Read_Port();
            EXPECT_EQ(control_reg, value);
            ASSERT_EQ(log.size(), 4u);
            EXPECT_EQ(log[0].kind, PortAccess::Out);
            EXPECT_EQ(log[0].port, kControl);
            EXPECT_EQ(log[3], in(kControl, log[0].value)) << "the port kept the written byte";
        }
        for (int value : {0, 1, 0x5A, 0x80, 255}) {
            SCOPED_TRACE(testing::Message() << port.name << ", data " << value);
            WRITE = 1;
            Output = value;
            WritePort();
            Read_Port();
            EXPECT_EQ(data_reg, value);
        }
    }
}

} // namespace
