// The three backends: what each register access becomes, and what they leave alone.
#include "backend.h"
#include "fake_system.h"

#include <gtest/gtest.h>

namespace {

const unsigned short kOtherAddresses[] = {887, 891, 0, 0x278, 0x3BC, 0xFFFF};

TEST(SimulatedPort, IsAnSppPortWithNothingAttached) {
    portio::SimulatedBackend port;
    EXPECT_EQ(port.read(888) + (port.read(889) << 8) + (port.read(890) << 16), 0x0C7800)
        << "data latch 0, pulled-up status inputs, nINIT | SELECTIN at reset";
    for (int value = 0; value <= 0x1FF; ++value) {
        port.write(888, value);
        port.write(890, value ^ 0x55);
        ASSERT_EQ(port.read(888), value & 0xFF);
        ASSERT_EQ(port.read(890), (value ^ 0x55) & 0x0F) << "control keeps the low nibble";
    }
    for (unsigned short address : kOtherAddresses) {
        port.write(address, 0x00);
        EXPECT_EQ(port.read(address), 0xFF) << address;
    }
    port.write(889, 0x00);
    EXPECT_EQ(port.read(888) + (port.read(889) << 8) + (port.read(890) << 16), 0x0A78FF);
}

TEST(DirectBackend, ReachesTheThreeRegistersOnlyAndGivesThePermissionBack) {
    fake::System sys;
    sys.io = {{888, 0x12}, {889, 0x87}, {890, 0xC4}, {887, 0}, {891, 0}, {0, 0}};
    auto backend = portio::makeDirectBackend(sys);
    EXPECT_EQ(backend->read(888) + (backend->read(889) << 8) + (backend->read(890) << 16),
              0xC48712);
    backend->write(888, 0x1A5);
    backend->write(890, 0x2B);
    for (unsigned short address : kOtherAddresses) {
        EXPECT_EQ(backend->read(address), 0xFF) << address;
        backend->write(address, 0x00);
    }
    EXPECT_EQ(sys.outs, (std::vector<std::pair<unsigned short, int>>{{888, 0xA5}, {890, 0x2B}}));
    EXPECT_TRUE(sys.ioperms.empty()) << "nothing asks for the privilege here";
    backend.reset();
    EXPECT_EQ(sys.ioperms, (std::vector<bool>{false}));
}

TEST(PpdevBackend, MapsEachRegisterToItsRequestsAndReleasesWhenDestroyed) {
    fake::System sys;
    sys.ports["/dev/parport0"] = {0, 0, 0, 0xA5, 0x5F}; // raw status: BUSY inverted as it is
    int fd = sys.open("/dev/parport0");
    ASSERT_EQ(sys.ioctl(fd, PPCLAIM, nullptr), 0);
    auto backend = portio::makePpdevBackend(sys, fd);
    sys.calls.clear();
    EXPECT_EQ(backend->read(888) + (backend->read(889) << 8) + (backend->read(890) << 16),
              0x0C5FA5);
    backend->write(888, 0x1A5);
    // Control: the four output lines through PPWCONTROL, bit 5 through PPDATADIR.
    for (int control : {0x0B, 0x2B, 0xD4})
        backend->write(890, control);
    backend->write(889, 0x00); // the status register is read-only
    for (unsigned short address : kOtherAddresses) {
        EXPECT_EQ(backend->read(address), 0xFF) << address;
        backend->write(address, 0x00);
    }
    EXPECT_EQ(sys.calls, (std::vector<fake::Call>{{fd, PPRDATA, 0xA5},
                                                  {fd, PPRSTATUS, 0x5F},
                                                  {fd, PPRCONTROL, 0x0C},
                                                  {fd, PPWDATA, 0xA5},
                                                  {fd, PPWCONTROL, 0x0B},
                                                  {fd, PPDATADIR, 0},
                                                  {fd, PPWCONTROL, 0x0B},
                                                  {fd, PPDATADIR, 1},
                                                  {fd, PPWCONTROL, 0x04},
                                                  {fd, PPDATADIR, 0}}));
    ASSERT_EQ(sys.ioctl(fd, PPRELEASE, nullptr), 0); // ppdev refuses register access now
    EXPECT_EQ(backend->read(888), 0xFF) << "a failed read looks like an empty bus";
    ASSERT_EQ(sys.ioctl(fd, PPCLAIM, nullptr), 0);
    sys.calls.clear();
    backend.reset();
    EXPECT_EQ(sys.calls, (std::vector<fake::Call>{{fd, PPRELEASE, -1}}));
    EXPECT_EQ(sys.closed, (std::vector<int>{fd}));
}

} // namespace
