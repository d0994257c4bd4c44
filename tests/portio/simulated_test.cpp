// The simulated port: an SPP port with nothing attached.
#include "backend.h"

#include <gtest/gtest.h>

namespace {

using portio::SimulatedBackend;

struct RegisterValue {
    unsigned short port;
    int value;
};

TEST(SimulatedPort, ReadsItsResetValues) {
    const RegisterValue cases[] = {
        {888, 0x00}, {889, 0x78}, {890, 0x0C}, // data latch, pulled-up status, nINIT | SELECTIN
        {887, 0xFF}, {891, 0xFF}, {0, 0xFF},   {0x278, 0xFF}, {0xFFFF, 0xFF},
    };
    SimulatedBackend port;
    for (const auto& c : cases)
        EXPECT_EQ(port.read(c.port), c.value) << "address " << c.port;
}

TEST(SimulatedPort, DataLatchesEveryByte) {
    SimulatedBackend port;
    for (int value = 0; value <= 0xFF; ++value) {
        port.write(888, value);
        ASSERT_EQ(port.read(888), value);
    }
    port.write(888, 0x1A5); // only the low 8 bits reach the latch
    EXPECT_EQ(port.read(888), 0xA5);
}

TEST(SimulatedPort, ControlKeepsTheWrittenLowNibble) {
    SimulatedBackend port;
    for (int value : {0x00, 0x0B, 0x0F, 0x07}) {
        port.write(890, value);
        EXPECT_EQ(port.read(890), value);
    }
    // Bits 4-7 (IRQ enable, direction, unused) are not kept.
    const struct {
        int written, readBack;
    } highBits[] = {{0xFF, 0x0F}, {0x2A, 0x0A}, {0xF0, 0x00}, {0x125, 0x05}};
    for (const auto& c : highBits) {
        port.write(890, c.written);
        EXPECT_EQ(port.read(890), c.readBack) << "wrote " << c.written;
    }
}

TEST(SimulatedPort, RegistersAreIndependent) {
    SimulatedBackend port;
    port.write(888, 0x5A);
    EXPECT_EQ(port.read(890), 0x0C);
    port.write(890, 0x03);
    EXPECT_EQ(port.read(888), 0x5A);
    EXPECT_EQ(port.read(889), 0x78);
}

TEST(SimulatedPort, IgnoresWritesToStatusAndOtherAddresses) {
    SimulatedBackend port;
    port.write(888, 0x33);
    port.write(890, 0x05);
    for (unsigned short address : {889, 887, 891, 0, 0x278, 0xFFFF})
        port.write(address, 0x00);
    EXPECT_EQ(port.read(888), 0x33);
    EXPECT_EQ(port.read(889), 0x78);
    EXPECT_EQ(port.read(890), 0x05);
    EXPECT_EQ(port.read(891), 0xFF);
}

} // namespace
