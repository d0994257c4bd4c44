// The port layer on a stand-in machine: the choice of backend (which port, claimed how, and
// what the status line tells the user), what the backends leave alone, _inp/_outp over the
// lazy choice, and this machine's own system calls. Each case runs in a fresh process, so
// "nothing chosen yet" is real.
#include "fake_system.h"
#include "portio.h"

#include <gtest/gtest.h>

#include <csignal>

#include <unistd.h>

namespace {

// A machine, as fake::Machine::build reads it, and the status line, as fake::Machine::expand does.
struct Scenario {
    const char *name, *machine;
    std::string status;
};

const std::string kSim0 = "Simulated port: {dev}/parport0";
const std::string kHeld = " is held by another program (no claim within 500 ms) - close that "
                          "program";

const Scenario kScenarios[] = {
    {"ClaimFailsSoTheNextPortInNumberOrderIsUsed", "0@888 excl=EIO 10@53264 2@53248",
     "Port: {dev}/parport2 (ppdev, base 0xd000)"},
    {"AllFailTheFirstPortExplains", "0@53264 excl=EIO 1@888 open=EACCES",
     "Simulated port: {dev}/parport1 permission denied - add your user to group lp (sudo usermod "
     "-aG lp $USER, then log in again)"},
    {"PortWithoutBaseAddress", "0@0", "Port: {dev}/parport0 (ppdev)"},
    {"HeldByLpRefusedWithEbusySharesIt", "0@888 excl=EBUSY +lp0",
     "Port: {dev}/parport0 (ppdev, base 0x378, shared with the lp printer driver)"},
    {"RefusedWithoutProcDoesNotWaitForAClaim", "0@888 excl=ENXIO noproc root io=aa,d9,cc",
     kSim0 + " is held by another driver (probably lp; /proc/sys/dev/parport cannot be read to "
             "tell) - unload it (sudo rmmod lp)"},
    {"ClaimedByAnotherProgramDoesNotWaitForIt", "0@888 excl=ENXIO +ppdev1 *ppdev1",
     kSim0 + " is in use by another program (ppdev1) - close that program"},
    {"SharedClaimWaitsTooLong", "0@888 excl=ENXIO shared=ETIMEDOUT +ppdev1", kSim0 + kHeld},
    {"ExclusiveClaimWaitsTooLong", "0@888 excl=ETIMEDOUT", kSim0 + kHeld},
    {"RefusedWithNobodyRegistered", "0@888 excl=ENXIO",
     kSim0 + " has no port behind it - load the port driver (sudo modprobe parport_pc)"},
    {"OtherClaimFailuresAreNotRetriedShared", "0@888 excl=EIO +lp0",
     kSim0 + " cannot be claimed (Input/output error) - see the kernel log (sudo dmesg | grep "
             "parport)"},
    {"DirectIoWhenPrivilegedAndNoPort", "root io=aa,d9,cc", "Port: direct I/O at 0x378"},
    {"NoDirectIoOnAnEmptyBus", "root",
     "Simulated port: no parallel port found"}, // all three registers read 0xFF
    {"NoDirectIoBehindAKernelPortWithoutPpdev", "0@888 nonode root io=aa,d9,cc",
     "Simulated port: parport0 has no device file - load the ppdev module (sudo modprobe ppdev)"},
    {"NoDirectIoBehindAPortTheKernelRefused", "0@888 excl=ENXIO shared=ENXIO +lp0 root",
     kSim0 + " is held by the lp printer driver - unload it (sudo rmmod lp)"},
};

class Choosing : public ::testing::TestWithParam<Scenario> {};

TEST_P(Choosing, PicksTheBackendAndSaysWhy) {
    fake::Machine m;
    m.build(GetParam().machine);
    portio::Choice choice = portio::choose(m.system, m.roots);
    std::string status = m.expand(GetParam().status);
    EXPECT_EQ(choice.status, status);
    // The ports left open: only the one chosen, claimed, and exclusively unless it is shared.
    std::string kept,
        chosen = status.starts_with("Port: /") ? status.substr(0, status.find(" (")) : "";
    for (const auto& [fd, file] : m.system.files)
        kept += "Port: " + file.path + (file.exclusive ? "" : " shared") +
                (file.claimed ? "" : " unclaimed");
    EXPECT_EQ(kept, chosen + (status.find("shared") != std::string::npos ? " shared" : ""));
}

INSTANTIATE_TEST_SUITE_P(Machines, Choosing, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Backends, OnlyTheThreeRegistersAreReached) {
    fake::System sys;
    int fd = (sys.ports["/dev/parport0"] = {}, sys.open("/dev/parport0"));
    ASSERT_EQ(sys.ioctl(fd, PPCLAIM, nullptr), 0);
    sys.io = {{887, 0}, {891, 0}, {0, 0}};
    std::unique_ptr<portio::Backend> backends[] = {std::make_unique<portio::SimulatedBackend>(),
                                                   portio::makeDirectBackend(sys),
                                                   portio::makePpdevBackend(sys, fd)};
    sys.requests.clear();
    for (auto& backend : backends)
        for (unsigned short address : {887, 891, 0, 0x278, 0xFFFF}) {
            EXPECT_EQ(backend->read(address), 0xFF) << address;
            backend->write(address, 0x00);
        }
    backends[2]->write(889, 0x00); // the status register is read-only
    EXPECT_TRUE(sys.requests.empty() && sys.writes.empty());
}

TEST(LazyChoice, RunsOnceAtTheFirstAccessAndAChoiceWithoutBackendIsTheSimulatedPort) {
    int runs = 0;
    portio::setChooser([&] { return runs++, portio::Choice{nullptr, "Simulated port: why"}; });
    EXPECT_EQ(runs, 0) << "nothing is chosen before the port is needed";
    // _outp returns the byte written
    EXPECT_EQ(std::vector({_inp(889), _outp(888, 0x15A), _inp(888)}),
              std::vector({0x78, 0x5A, 0x5A}));
    EXPECT_STREQ(PortIO_Status(), "Simulated port: why");
    EXPECT_EQ(runs, 1);
}

TEST(LazyChoice, FailedChoiceFallsBackToTheSimulatedPortAndSaysWhy) {
    portio::setChooser([]() -> portio::Choice { throw std::runtime_error("no /sys today"); });
    EXPECT_STREQ(PortIO_Status(),
                 "Simulated port: looking for a parallel port failed (no /sys today)");
    EXPECT_EQ(_inp(889), 0x78);
}

TEST(LinuxSystem, ReportsFailuresAsNegativeErrno) {
    portio::System& sys = portio::linuxSystem();
    int fd = sys.open("/dev/null");
    unsigned char byte = 0;
    // In order: a missing path, an ioctl /dev/null does not know (the bounded claim keeps the
    // error), and a second close.
    EXPECT_EQ(std::vector({sys.open("/nonexistent/parport0"), sys.access("/nonexistent/parport0"),
                           sys.ioctl(fd, PPRSTATUS, &byte), sys.ioctl(fd, PPCLAIM, nullptr),
                           sys.close(fd), sys.close(fd)}),
              std::vector({-ENOENT, -ENOENT, -ENOTTY, -ENOTTY, 0, -EBADF}));
}

int handled = 0;

TEST(TimeLimit, EndsAWaitThatWouldNotEndAndRestoresTheSignal) {
    int pipeFds[2];
    char byte;
    ASSERT_EQ(pipe(pipeFds), 0);
    std::signal(SIGRTMIN, [](int) { handled++; });
    auto readPipe = [&] { return read(pipeFds[0], &byte, 1) < 0 ? -errno : 1; };
    EXPECT_EQ(portio::withTimeLimit(50, readPipe), -ETIMEDOUT); // nothing is ever written
    EXPECT_EQ(handled, 0) << "the time limit's own signals stay its own";
    ASSERT_EQ(write(pipeFds[1], "x", 1), 1);
    EXPECT_EQ(portio::withTimeLimit(50, readPipe), 1) << "a call that finishes keeps its result";
    int calls = 0; // another signal's EINTR does not end the wait
    EXPECT_EQ(portio::withTimeLimit(50, [&] { return calls++ ? 1 : -EINTR; }), 1);
    usleep(60000); // no signal of the time limit's comes after it has returned
    raise(SIGRTMIN);
    EXPECT_EQ(handled, 1) << "the previous handler is back, and sees only its own signal";
}

} // namespace
