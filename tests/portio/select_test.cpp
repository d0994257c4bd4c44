// The choice of backend on a stand-in machine: which port, claimed how, and what the status
// line tells the user.
#include "backend.h"
#include "fake_system.h"

#include <gtest/gtest.h>

#include <regex>
#include <system_error>

namespace {

struct Scenario {
    const char* name;
    const char* machine; // as fake::Machine::build reads it
    std::string status;  // "{dev}" stands for the machine's /dev
};

void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

const std::string kPpdev0 = "Port: {dev}/parport0 (ppdev, base 0x378";
const std::string kSim0 = "Simulated port: {dev}/parport0";
const std::string kGroupLp = " permission denied - add your user to group lp (sudo usermod -aG lp "
                             "$USER, then log in again)";
const std::string kUnloadLp = " is held by the lp printer driver - unload it (sudo rmmod lp)";
const std::string kNoPortBehind =
    " has no port behind it - load the port driver (sudo modprobe parport_pc)";
const std::string kHeld = " is held by another program (no claim within 500 ms) - close that "
                          "program";
const std::string kNoPort = "Simulated port: no parallel port found";
const std::string kEio = " cannot be claimed (" + std::generic_category().message(EIO) +
                         ") - see the kernel log (sudo dmesg | grep parport)";

const Scenario kScenarios[] = {
    {"PortAt888", "0@888", kPpdev0 + ")"},
    {"PrefersThePortAt888", "0@53264 1@8880 2@888", "Port: {dev}/parport2 (ppdev, base 0x378)"},
    {"PcieCardWhenNothingIsAt888", "3@53264 1@53248", "Port: {dev}/parport1 (ppdev, base 0xd000)"},
    {"PortWithoutBaseAddress", "0@0", "Port: {dev}/parport0 (ppdev)"},
    {"PermissionDenied", "0@888 open=EACCES", kSim0 + kGroupLp},
    {"NoPortAtAll", "", kNoPort},
    {"NoProcAndNoDev", "noproc nodev", kNoPort},
    {"PpdevNotLoaded", "0@888 nonode",
     "Simulated port: parport0 has no device file - load the ppdev module (sudo modprobe ppdev)"},
    {"NodeWithoutPort", "0@888 open=ENXIO", kSim0 + kNoPortBehind},
    {"HeldByLpSharesIt", "0@888 excl=ENXIO +lp0", kPpdev0 + ", shared with the lp printer driver)"},
    {"HeldByLpRefusedWithEbusySharesIt", "0@888 excl=EBUSY +lp0",
     kPpdev0 + ", shared with the lp printer driver)"},
    {"RefusedWithoutProcDoesNotWaitForAClaim", "0@888 excl=ENXIO noproc",
     kSim0 + " is held by another driver (probably lp; /proc/sys/dev/parport cannot be read to "
             "tell) - unload it (sudo rmmod lp)"},
    {"HeldByLpAndSharingFails", "0@888 excl=ENXIO shared=ENXIO +lp0", kSim0 + kUnloadLp},
    {"HeldByAnotherDriverAndSharingFails", "0@888 excl=ENXIO shared=ENXIO +plip0",
     kSim0 + " is held by the plip driver - unload it (sudo rmmod plip)"},
    {"SharedWithAnotherProgram", "0@888 excl=ENXIO +ppdev1",
     kPpdev0 + ", shared with another program (ppdev1))"},
    {"ClaimedByAnotherProgram", "0@888 excl=ENXIO +ppdev1 *ppdev1",
     kSim0 + " is in use by another program (ppdev1) - close that program"},
    {"SharedClaimWaitsTooLong", "0@888 excl=ENXIO shared=ETIMEDOUT +ppdev1", kSim0 + kHeld},
    {"ExclusiveClaimWaitsTooLong", "0@888 excl=ETIMEDOUT", kSim0 + kHeld},
    {"RefusedWithNobodyRegistered", "0@888 excl=ENXIO", kSim0 + kNoPortBehind},
    {"OtherClaimFailuresAreNotRetriedShared", "0@888 excl=EIO +lp0", kSim0 + kEio},
    {"ClaimFailsSoTheNextPortIsUsed", "0@888 excl=EIO 1@53264",
     "Port: {dev}/parport1 (ppdev, base 0xd010)"},
    {"AllFailTheFirstPortExplains", "0@53264 excl=EIO 1@888 open=EACCES",
     "Simulated port: {dev}/parport1" + kGroupLp},
    {"DirectIoWhenPrivilegedAndNoPort", "root", "Port: direct I/O at 0x378"},
    {"NoDirectIoBehindAPortTheKernelRefused", "0@888 excl=ENXIO shared=ENXIO +lp0 root",
     kSim0 + kUnloadLp},
    {"PpdevEvenWhenPrivileged", "0@888 root", kPpdev0 + ")"},
    {"UnprivilegedMeansSimulated", "eperm", kNoPort},
};

class Choosing : public ::testing::TestWithParam<Scenario> {};

TEST_P(Choosing, PicksTheBackendAndSaysWhy) {
    fake::Machine m;
    m.build(GetParam().machine);
    portio::Choice choice = portio::choose(m.system, m.roots);
    const std::string status =
        std::regex_replace(GetParam().status, std::regex("\\{dev\\}"), m.roots.dev);
    EXPECT_EQ(choice.status, status);
    ASSERT_NE(choice.backend, nullptr);
    std::smatch ppdev;
    m.system.io[889] = 0x47;
    if (std::regex_search(status, ppdev, std::regex("^Port: .*/(parport\\d) \\(ppdev"))) {
        EXPECT_EQ(choice.shortName, "Port: " + ppdev[1].str());
        ASSERT_EQ(m.system.files.size(), 1u) << "exactly the chosen port stays open";
        int fd = m.system.files.begin()->first;
        bool exclusive = status.find("shared") == std::string::npos;
        EXPECT_EQ(m.system.files[fd],
                  (fake::File{m.roots.dev + "/" + ppdev[1].str(), exclusive, true}));
        m.system.ports[m.system.files[fd].path].status = 0x47;
        EXPECT_EQ(choice.backend->read(889), 0x47) << "the program's addresses reach the port";
        EXPECT_TRUE(m.system.ioperms.empty()) << "no direct I/O while ppdev works";
    } else {
        bool direct = status.find("direct") != std::string::npos;
        EXPECT_EQ(choice.shortName, direct ? "Direct 0x378" : "Simulated port");
        EXPECT_TRUE(m.system.files.empty()) << "every port tried is closed again";
        EXPECT_EQ(choice.backend->read(889), direct ? 0x47 : 0x78);
    }
}

INSTANTIATE_TEST_SUITE_P(Machines, Choosing, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
