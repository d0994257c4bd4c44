// The backends beyond what the command-line cases show: what they leave alone, and the ppdev
// requests of the control register's upper bits.
#include "backend.h"
#include "fake_system.h"

#include <gtest/gtest.h>

namespace {

struct Backends : ::testing::Test {
    fake::System sys;
    int fd = (sys.ports["/dev/parport0"] = {}, sys.open("/dev/parport0"));
    int claim = sys.ioctl(fd, PPCLAIM, nullptr);
};

TEST_F(Backends, OnlyTheThreeRegistersAreReached) {
    sys.io = {{887, 0}, {891, 0}, {0, 0}};
    std::unique_ptr<portio::Backend> backends[] = {std::make_unique<portio::SimulatedBackend>(),
                                                   portio::makeDirectBackend(sys),
                                                   portio::makePpdevBackend(sys, fd)};
    sys.calls.clear();
    for (auto& backend : backends) {
        for (unsigned short address : {887, 891, 0, 0x278, 0x3BC, 0xFFFF}) {
            EXPECT_EQ(backend->read(address), 0xFF) << address;
            backend->write(address, 0x00);
        }
    }
    backends[0]->write(889, 0x00);
    EXPECT_EQ(backends[0]->read(889), 0x78) << "the simulated status reads its pull-ups";
    backends[2]->write(889, 0x00); // the status register is read-only
    EXPECT_TRUE(sys.outs.empty() && sys.calls.empty());
}

TEST_F(Backends, PpdevControlGoesOutAsTheFourLinesAndTheDirection) {
    auto backend = portio::makePpdevBackend(sys, fd);
    sys.calls.clear();
    for (int control : {0x2B, 0xD4, 0x1A5})
        backend->write(control > 0xFF ? 888 : 890, control);
    EXPECT_EQ(sys.calls, (std::vector<fake::Call>{{fd, PPWCONTROL, 0x0B},
                                                  {fd, PPDATADIR, 1},
                                                  {fd, PPWCONTROL, 0x04},
                                                  {fd, PPDATADIR, 0},
                                                  {fd, PPWDATA, 0xA5}}));
    ASSERT_EQ(sys.ioctl(fd, PPRELEASE, nullptr), 0); // ppdev refuses register access now
    EXPECT_EQ(backend->read(888), 0xFF) << "a failed read looks like an empty bus";
}

} // namespace
