// The direct I/O backend: the three registers through inb/outb, nothing else.
#include "backend.h"
#include "fake_system.h"

#include <gtest/gtest.h>

namespace {

TEST(DirectBackend, ReadsTheThreeRegisters) {
    fake::System sys;
    sys.io = {{888, 0x12}, {889, 0x87}, {890, 0xC4}};
    auto backend = portio::makeDirectBackend(sys);
    EXPECT_EQ(backend->read(888), 0x12);
    EXPECT_EQ(backend->read(889), 0x87);
    EXPECT_EQ(backend->read(890), 0xC4);
    EXPECT_EQ(sys.ins, (std::vector<unsigned short>{888, 889, 890}));
}

TEST(DirectBackend, WritesTheThreeRegisters) {
    fake::System sys;
    auto backend = portio::makeDirectBackend(sys);
    backend->write(888, 0x1A5);
    backend->write(889, 0x00);
    backend->write(890, 0x2B);
    EXPECT_EQ(sys.outs,
              (std::vector<std::pair<unsigned short, int>>{{888, 0xA5}, {889, 0x00}, {890, 0x2B}}));
}

TEST(DirectBackend, StaysOffAddressesItHasNoPermissionFor) {
    fake::System sys;
    sys.io = {{887, 0x00}, {891, 0x00}};
    auto backend = portio::makeDirectBackend(sys);
    for (unsigned short address : {887, 891, 0, 0x278, 0xFFFF}) {
        EXPECT_EQ(backend->read(address), 0xFF) << "address " << address;
        backend->write(address, 0x00);
    }
    EXPECT_TRUE(sys.ins.empty());
    EXPECT_TRUE(sys.outs.empty());
}

TEST(DirectBackend, GivesUpThePermissionWhenDestroyed) {
    fake::System sys;
    auto backend = portio::makeDirectBackend(sys);
    EXPECT_TRUE(sys.ioperms.empty());
    backend.reset();
    EXPECT_EQ(sys.ioperms, (std::vector<bool>{false}));
}

} // namespace
