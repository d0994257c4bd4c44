// The ppdev backend: which ioctl each register access becomes, and with which byte.
#include "backend.h"
#include "fake_system.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include <linux/ppdev.h>

namespace {

constexpr const char* kNode = "/dev/parport0";

// A claimed /dev/parport0 under the ppdev backend, with the claim's own calls cleared.
class PpdevBackend : public ::testing::Test {
protected:
    void SetUp() override {
        sys.ports[kNode] = {};
        fd = sys.open(kNode);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(sys.ioctl(fd, PPCLAIM, nullptr), 0);
        backend = portio::makePpdevBackend(sys, fd);
        sys.calls.clear();
    }
    fake::Port& port() { return sys.ports[kNode]; }

    fake::System sys;
    int fd = -1;
    std::unique_ptr<portio::Backend> backend;
};

TEST_F(PpdevBackend, ReadsEachRegisterWithItsRequest) {
    port().data = 0xA5;
    port().status = 0x5F; // raw: bits 0-2 and the inverted BUSY bit come through as they are
    port().control = 0x0B;
    const struct {
        unsigned short address;
        unsigned long request;
        int value;
    } cases[] = {{888, PPRDATA, 0xA5}, {889, PPRSTATUS, 0x5F}, {890, PPRCONTROL, 0x0B}};
    for (const auto& c : cases) {
        sys.calls.clear();
        EXPECT_EQ(backend->read(c.address), c.value) << "address " << c.address;
        EXPECT_EQ(sys.calls, (std::vector<fake::Call>{{fd, c.request, c.value}}))
            << "address " << c.address;
    }
}

TEST_F(PpdevBackend, WritesEachRegisterWithItsRequests) {
    const struct {
        unsigned short address;
        int value;
        std::vector<fake::Call> calls; // fd filled in below
    } cases[] = {
        {888, 0x5A, {{0, PPWDATA, 0x5A}}},
        {888, 0x1A5, {{0, PPWDATA, 0xA5}}},
        // Control: the four output lines through PPWCONTROL, bit 5 through PPDATADIR.
        {890, 0x0B, {{0, PPWCONTROL, 0x0B}, {0, PPDATADIR, 0}}},
        {890, 0x2B, {{0, PPWCONTROL, 0x0B}, {0, PPDATADIR, 1}}},
        {890, 0xD4, {{0, PPWCONTROL, 0x04}, {0, PPDATADIR, 0}}},
        {890, 0x3F, {{0, PPWCONTROL, 0x0F}, {0, PPDATADIR, 1}}},
    };
    for (const auto& c : cases) {
        sys.calls.clear();
        backend->write(c.address, c.value);
        std::vector<fake::Call> expected = c.calls;
        for (auto& call : expected)
            call.fd = fd;
        EXPECT_EQ(sys.calls, expected) << "address " << c.address << " value " << c.value;
    }
}

TEST_F(PpdevBackend, ControlWriteReachesThePort) {
    backend->write(890, 0x25);
    EXPECT_EQ(port().control, 0x05);
    EXPECT_EQ(port().reverse, 1);
    EXPECT_EQ(backend->read(890), 0x05);
    backend->write(890, 0x0A);
    EXPECT_EQ(port().reverse, 0);
}

TEST_F(PpdevBackend, LeavesOtherAddressesAndTheStatusWriteAlone) {
    for (unsigned short address : {887, 891, 0, 0x278, 0x3BC, 0xFFFF}) {
        EXPECT_EQ(backend->read(address), 0xFF) << "address " << address;
        backend->write(address, 0x00);
    }
    backend->write(889, 0x00); // the status register is read-only
    EXPECT_TRUE(sys.calls.empty());
}

TEST_F(PpdevBackend, FailedReadLooksLikeAnEmptyBus) {
    port().data = 0x00;
    ASSERT_EQ(sys.ioctl(fd, PPRELEASE, nullptr), 0); // ppdev refuses register access now
    EXPECT_EQ(backend->read(888), 0xFF);
}

TEST_F(PpdevBackend, ReleasesAndClosesWhenDestroyed) {
    backend.reset();
    EXPECT_EQ(sys.calls, (std::vector<fake::Call>{{fd, PPRELEASE, -1}}));
    EXPECT_EQ(sys.closed, (std::vector<int>{fd}));
    EXPECT_TRUE(sys.openFds().empty());
}

} // namespace
