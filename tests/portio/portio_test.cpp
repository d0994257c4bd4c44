// _inp/_outp and the status line over whatever backend is installed or chosen, and this
// machine's system calls. Each case runs in a fresh process, so "nothing chosen yet" is real.
#include "backend.h"
#include "portio.h"
#include "fake_system.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <sys/ioctl.h>
#include <unistd.h>

#include <linux/ppdev.h>

namespace {

TEST(LazyChoice, RunsOnceAtTheFirstAccessAndAChoiceWithoutBackendIsTheSimulatedPort) {
    int runs = 0;
    portio::setChooser([&] {
        runs++;
        return portio::Choice{nullptr, "Simulated port: why", ""};
    });
    EXPECT_EQ(runs, 0) << "nothing is chosen before the port is needed";
    EXPECT_EQ(_inp(889), 0x78);
    EXPECT_EQ(_outp(888, 0x15A), 0x5A) << "returns the byte written";
    EXPECT_EQ(_inp(888), 0x5A);
    EXPECT_STREQ(PortIO_Status(), "Simulated port: why");
    EXPECT_STREQ(PortIO_ShortName(), "Simulated port");
    EXPECT_EQ(runs, 1);
}

TEST(LazyChoice, FailedChoiceFallsBackToTheSimulatedPortAndSaysWhy) {
    portio::setChooser([]() -> portio::Choice { throw std::runtime_error("no /sys today"); });
    EXPECT_STREQ(PortIO_Status(), "Simulated port: looking for a parallel port failed (no /sys "
                                  "today)");
    EXPECT_STREQ(PortIO_ShortName(), "Simulated port");
    EXPECT_EQ(_inp(889), 0x78);
}

TEST(PortIODeathTest, ReleasesThePortAtExit) {
    EXPECT_EXIT(
        {
            static fake::System system; // outlives the installed backend
            system.ports["/dev/parport0"] = {};
            int fd = system.open("/dev/parport0");
            system.ioctl(fd, PPCLAIM, nullptr);
            // Registered before the port's static, so run after it is gone.
            std::atexit([] {
                bool released = system.calls.back().request == PPRELEASE && system.files.empty();
                std::fprintf(stderr, released ? "released and closed" : "kept");
            });
            portio::install({portio::makePpdevBackend(system, fd), "ppdev", "Port: parport0"});
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "^released and closed$");
}

TEST(LinuxSystem, ReportsFailuresAsNegativeErrno) {
    portio::System& sys = portio::linuxSystem();
    EXPECT_EQ(sys.open("/nonexistent/parport0"), -ENOENT);
    EXPECT_EQ(sys.access("/nonexistent/parport0"), -ENOENT);
    int fd = sys.open("/dev/null");
    ASSERT_GE(fd, 0);
    unsigned char byte = 0;
    EXPECT_EQ(sys.ioctl(fd, PPRSTATUS, &byte), -ENOTTY);
    EXPECT_EQ(sys.ioctl(fd, PPCLAIM, nullptr), -ENOTTY) << "the bounded claim keeps the error";
    EXPECT_EQ(sys.close(fd), 0);
    EXPECT_EQ(sys.close(fd), -EBADF);
}

int handled = 0;

TEST(TimeLimit, EndsAWaitThatWouldNotEndAndRestoresTheSignal) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    std::signal(SIGRTMIN, [](int) { handled++; });
    auto readPipe = [&] {
        char c;
        return read(pipeFds[0], &c, 1) < 0 ? -errno : 1;
    };
    EXPECT_EQ(portio::withTimeLimit(50, readPipe), -ETIMEDOUT); // nothing is ever written
    EXPECT_EQ(handled, 0) << "the time limit's own signals stay its own";
    ASSERT_EQ(write(pipeFds[1], "x", 1), 1);
    EXPECT_EQ(portio::withTimeLimit(50, readPipe), 1) << "a call that finishes keeps its result";
    raise(SIGRTMIN);
    EXPECT_EQ(handled, 1) << "the previous handler is back";
}

} // namespace
