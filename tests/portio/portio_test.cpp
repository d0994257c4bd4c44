// _inp/_outp and the status line over whatever backend is installed or chosen. Each case runs
// in a fresh process, so "nothing installed yet" is real.
#include "backend.h"
#include "portio.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/ioctl.h>

#include <linux/ppdev.h>

namespace {

using testsupport::PortAccess;

TEST(PortIO, InstalledBackendSeesEveryAccessInOrder) {
    auto& log = testsupport::installRecording(
        std::make_unique<testsupport::ScriptedBackend>(0x5A, 0x87, 0x04));
    EXPECT_EQ(_inp(888), 0x5A);
    EXPECT_EQ(_inp(889), 0x87);
    EXPECT_EQ(_outp(890, 0x1F3), 0xF3); // returns the byte written
    EXPECT_EQ(_inp(890), 0xF3);
    EXPECT_EQ(_outp(888, 0x00), 0x00);
    EXPECT_EQ(log, (std::vector<PortAccess>{{PortAccess::In, 888, 0x5A},
                                            {PortAccess::In, 889, 0x87},
                                            {PortAccess::Out, 890, 0xF3},
                                            {PortAccess::In, 890, 0xF3},
                                            {PortAccess::Out, 888, 0x00}}));
    EXPECT_STREQ(PortIO_Status(), "test port");
    EXPECT_STREQ(PortIO_ShortName(), "Test port");
}

// A backend that answers with bits beyond the byte, and says when it is gone.
class WideBackend final : public portio::Backend {
public:
    explicit WideBackend(bool* destroyed) : destroyed_(destroyed) {}
    ~WideBackend() override { *destroyed_ = true; }
    int read(unsigned short) override { return -1; }
    void write(unsigned short, int value) override { written = value; }
    int written = -1;

private:
    bool* destroyed_;
};

TEST(PortIO, PassesBytesOnly) {
    bool destroyed = false;
    auto backend = std::make_unique<WideBackend>(&destroyed);
    WideBackend* seen = backend.get();
    portio::install({std::move(backend), "wide", "Wide"});
    EXPECT_EQ(_inp(888), 0xFF);
    EXPECT_EQ(_outp(888, -2), 0xFE);
    EXPECT_EQ(seen->written, 0xFE);
}

TEST(PortIO, InstallingReplacesAndDestroysTheOldBackend) {
    bool firstGone = false, secondGone = false;
    portio::install({std::make_unique<WideBackend>(&firstGone), "first", "First"});
    EXPECT_STREQ(PortIO_Status(), "first");
    portio::install({std::make_unique<WideBackend>(&secondGone), "second", "Second"});
    EXPECT_TRUE(firstGone);
    EXPECT_FALSE(secondGone);
    EXPECT_STREQ(PortIO_Status(), "second");
    EXPECT_STREQ(PortIO_ShortName(), "Second");
}

// Stands in for ppdev and reports the release on stderr, where the exit test can see it.
class ReportingSystem final : public portio::System {
public:
    int open(const std::string&) override { return 7; }
    int close(int fd) override {
        std::fprintf(stderr, "close %d;", fd);
        return 0;
    }
    int ioctl(int fd, unsigned long request, void*) override {
        if (request == PPRELEASE)
            std::fprintf(stderr, "release %d;", fd);
        return 0;
    }
    int ioperm(unsigned long, unsigned long, bool) override { return -ENOSYS; }
    int inb(unsigned short) override { return 0xFF; }
    void outb(unsigned short, int) override {}
};

TEST(PortIODeathTest, ReleasesThePortAtExit) {
    EXPECT_EXIT(
        {
            static auto* system = new ReportingSystem; // outlives the installed backend
            portio::install({portio::makePpdevBackend(*system, 7), "ppdev", "Port: parport0"});
            _inp(888);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "release 7;close 7;");
}

} // namespace
