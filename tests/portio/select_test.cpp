// The choice of backend on a stand-in machine: which port, claimed how, and what the status
// line tells the user.
#include "backend.h"
#include "fake_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <system_error>

#include <sys/ioctl.h>

#include <linux/ppdev.h>

namespace {

namespace fs = std::filesystem;

enum class Kind { Ppdev, Direct, Simulated };

struct Scenario {
    const char* name;
    std::function<void(fake::Machine&)> setUp;
    Kind kind;
    int port;           // the parportN chosen, for Kind::Ppdev
    bool shared;        // claimed without PPEXCL
    std::string status; // "{dev}" stands for the machine's /dev
    std::string shortName;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

std::string expand(std::string text, const fake::Machine& m) {
    for (auto at = text.find("{dev}"); at != std::string::npos; at = text.find("{dev}"))
        text.replace(at, 5, m.roots.dev);
    return text;
}

fake::Port openFails(int err) {
    fake::Port p;
    p.openError = err;
    return p;
}
fake::Port claimFails(int exclusiveErr, int sharedErr = 0) {
    fake::Port p;
    p.exclusiveClaimError = exclusiveErr;
    p.sharedClaimError = sharedErr;
    return p;
}

const std::string kGroupLp = " permission denied - add your user to group lp (sudo usermod -aG lp "
                             "$USER, then log in again)";
const std::string kUnloadLp = " is held by the lp printer driver - unload it (sudo rmmod lp)";
const std::string kDmesg = " - see the kernel log (sudo dmesg | grep parport)";
const std::string kNoPortBehind =
    " has no port behind it - load the port driver (sudo modprobe parport_pc)";
const std::string kIoError = std::generic_category().message(EIO);

const Scenario kScenarios[] = {
    {"PortAt888", [](fake::Machine& m) { m.addPort(0, 888); }, Kind::Ppdev, 0, false,
     "Port: {dev}/parport0 (ppdev, base 0x378)", "Port: parport0"},
    {"PrefersThePortAt888",
     [](fake::Machine& m) {
         m.addPort(0, 53264);
         m.addPort(1, 8880);
         m.addPort(2, 888);
     },
     Kind::Ppdev, 2, false, "Port: {dev}/parport2 (ppdev, base 0x378)", "Port: parport2"},
    {"PcieCardWhenNothingIsAt888",
     [](fake::Machine& m) {
         m.addPort(3, 53264);
         m.addPort(1, 53248);
     },
     Kind::Ppdev, 1, false, "Port: {dev}/parport1 (ppdev, base 0xd000)", "Port: parport1"},
    {"PortWithoutBaseAddress", [](fake::Machine& m) { m.addPort(0, 0); }, Kind::Ppdev, 0, false,
     "Port: {dev}/parport0 (ppdev)", "Port: parport0"},
    {"PermissionDenied", [](fake::Machine& m) { m.addPort(0, 888, openFails(EACCES)); },
     Kind::Simulated, 0, false, "Simulated port: {dev}/parport0" + kGroupLp, "Simulated port"},
    {"NoPortAtAll", [](fake::Machine&) {}, Kind::Simulated, 0, false,
     "Simulated port: no parallel port found", "Simulated port"},
    {"NoProcAndNoDev",
     [](fake::Machine& m) {
         fs::remove_all(m.roots.proc);
         fs::remove_all(m.roots.dev);
     },
     Kind::Simulated, 0, false, "Simulated port: no parallel port found", "Simulated port"},
    {"RootsAreFiles",
     [](fake::Machine& m) {
         fs::remove_all(m.roots.proc);
         fs::remove_all(m.roots.dev);
         std::ofstream(m.roots.proc) << "x";
         std::ofstream(m.roots.dev) << "x";
     },
     Kind::Simulated, 0, false, "Simulated port: no parallel port found", "Simulated port"},
    {"PpdevNotLoaded", [](fake::Machine& m) { m.addKernelPort(0, 888); }, Kind::Simulated, 0, false,
     "Simulated port: parport0 has no device file - load the ppdev module (sudo modprobe ppdev)",
     "Simulated port"},
    {"NodeWithoutPort", [](fake::Machine& m) { m.addPort(0, 888, openFails(ENXIO)); },
     Kind::Simulated, 0, false, "Simulated port: {dev}/parport0" + kNoPortBehind, "Simulated port"},
    {"HeldByLpSharesIt",
     [](fake::Machine& m) {
         m.addPort(0, 888, claimFails(ENXIO));
         m.registerDevice(0, "lp0");
     },
     Kind::Ppdev, 0, true,
     "Port: {dev}/parport0 (ppdev, base 0x378, shared with the lp printer driver)",
     "Port: parport0"},
    {"HeldByLpRefusedWithEbusySharesIt",
     [](fake::Machine& m) {
         m.addPort(0, 888, claimFails(EBUSY));
         m.registerDevice(0, "lp0");
     },
     Kind::Ppdev, 0, true,
     "Port: {dev}/parport0 (ppdev, base 0x378, shared with the lp printer driver)",
     "Port: parport0"},
    {"RefusedWithoutProcDoesNotWaitForAClaim",
     [](fake::Machine& m) {
         m.addPort(0, 888, claimFails(ENXIO));
         fs::remove_all(m.roots.proc);
     },
     Kind::Simulated, 0, false,
     "Simulated port: {dev}/parport0 is held by another driver (probably lp; "
     "/proc/sys/dev/parport cannot be read to tell) - unload it (sudo rmmod lp)",
     "Simulated port"},
    {"HeldByLpAndSharingFails",
     [](fake::Machine& m) {
         m.addPort(0, 888, claimFails(ENXIO, ENXIO));
         m.registerDevice(0, "lp0");
     },
     Kind::Simulated, 0, false, "Simulated port: {dev}/parport0" + kUnloadLp, "Simulated port"},
    {"HeldByAnotherDriverAndSharingFails",
     [](fake::Machine& m) {
         m.addPort(0, 888, claimFails(ENXIO, ENXIO));
         m.registerDevice(0, "plip0");
     },
     Kind::Simulated, 0, false,
     "Simulated port: {dev}/parport0 is held by the plip driver - unload it (sudo rmmod plip)",
     "Simulated port"},
    {"SharedWithAnotherProgram",
     [](fake::Machine& m) {
         m.addPort(0, 888, claimFails(ENXIO));
         m.registerDevice(0, "ppdev1");
     },
     Kind::Ppdev, 0, true,
     "Port: {dev}/parport0 (ppdev, base 0x378, shared with another program (ppdev1))",
     "Port: parport0"},
    {"ClaimedByAnotherProgram",
     [](fake::Machine& m) {
         m.addPort(0, 888, claimFails(ENXIO));
         m.registerDevice(0, "ppdev1");
         m.setActive(0, "ppdev1");
     },
     Kind::Simulated, 0, false,
     "Simulated port: {dev}/parport0 is in use by another program (ppdev1) - close that program",
     "Simulated port"},
    {"RefusedWithNobodyRegistered", [](fake::Machine& m) { m.addPort(0, 888, claimFails(ENXIO)); },
     Kind::Simulated, 0, false, "Simulated port: {dev}/parport0" + kNoPortBehind, "Simulated port"},
    {"ClaimFailsOnTheOnlyPort", [](fake::Machine& m) { m.addPort(0, 888, claimFails(EIO)); },
     Kind::Simulated, 0, false,
     "Simulated port: {dev}/parport0 cannot be claimed (" + kIoError + ")" + kDmesg,
     "Simulated port"},
    {"ClaimFailsSoTheNextPortIsUsed",
     [](fake::Machine& m) {
         m.addPort(0, 888, claimFails(EIO));
         m.addPort(1, 53264);
     },
     Kind::Ppdev, 1, false, "Port: {dev}/parport1 (ppdev, base 0xd010)", "Port: parport1"},
    {"PermissionDeniedSoTheNextPortIsUsed",
     [](fake::Machine& m) {
         m.addPort(0, 888, openFails(EACCES));
         m.addPort(1, 53264);
     },
     Kind::Ppdev, 1, false, "Port: {dev}/parport1 (ppdev, base 0xd010)", "Port: parport1"},
    {"AllFailTheFirstPortExplains",
     [](fake::Machine& m) {
         m.addPort(0, 53264, claimFails(EIO));
         m.addPort(1, 888, openFails(EACCES));
     },
     Kind::Simulated, 0, false, "Simulated port: {dev}/parport1" + kGroupLp, "Simulated port"},
    {"DirectIoWhenPrivilegedAndNoPort", [](fake::Machine& m) { m.system.iopermError = 0; },
     Kind::Direct, 0, false, "Port: direct I/O at 0x378", "Direct 0x378"},
    {"NoDirectIoBehindAPortTheKernelRefused",
     [](fake::Machine& m) {
         m.addPort(0, 888, claimFails(ENXIO, ENXIO));
         m.registerDevice(0, "lp0");
         m.system.iopermError = 0;
     },
     Kind::Simulated, 0, false, "Simulated port: {dev}/parport0" + kUnloadLp, "Simulated port"},
    {"NoDirectIoWhenThePortIsElsewhere",
     [](fake::Machine& m) {
         m.addPort(0, 53264, openFails(EACCES));
         m.system.iopermError = 0;
     },
     Kind::Simulated, 0, false, "Simulated port: {dev}/parport0" + kGroupLp, "Simulated port"},
    {"PpdevEvenWhenPrivileged",
     [](fake::Machine& m) {
         m.addPort(0, 888);
         m.system.iopermError = 0;
     },
     Kind::Ppdev, 0, false, "Port: {dev}/parport0 (ppdev, base 0x378)", "Port: parport0"},
    {"UnprivilegedMeansSimulated", [](fake::Machine& m) { m.system.iopermError = EPERM; },
     Kind::Simulated, 0, false, "Simulated port: no parallel port found", "Simulated port"},
};

class Choosing : public ::testing::TestWithParam<Scenario> {};

TEST_P(Choosing, PicksTheBackendAndSaysWhy) {
    const Scenario& s = GetParam();
    fake::Machine m;
    s.setUp(m);
    portio::Choice choice = portio::choose(m.system, m.roots);

    EXPECT_EQ(choice.status, expand(s.status, m));
    EXPECT_EQ(choice.shortName, s.shortName);
    EXPECT_LE(choice.shortName.size(), 20u);
    ASSERT_NE(choice.backend, nullptr);

    std::vector<int> fds = m.system.openFds();
    switch (s.kind) {
    case Kind::Ppdev: {
        ASSERT_EQ(fds.size(), 1u) << "exactly the chosen port stays open";
        int fd = fds[0];
        EXPECT_EQ(m.system.pathOf(fd), m.node(s.port));
        EXPECT_TRUE(m.system.claimed(fd));
        bool exclusive = std::any_of(m.system.calls.begin(), m.system.calls.end(),
                                     [&](auto& c) { return c.fd == fd && c.request == PPEXCL; });
        EXPECT_EQ(exclusive, !s.shared);
        // The program's addresses reach the chosen port.
        m.system.ports[m.node(s.port)].status = 0x47;
        m.system.calls.clear();
        EXPECT_EQ(choice.backend->read(889), 0x47);
        EXPECT_EQ(m.system.calls, (std::vector<fake::Call>{{fd, PPRSTATUS, 0x47}}));
        EXPECT_TRUE(m.system.ioperms.empty()) << "no direct I/O while ppdev works";
        break;
    }
    case Kind::Direct:
        EXPECT_TRUE(fds.empty());
        EXPECT_EQ(m.system.ioperms, (std::vector<bool>{true}));
        m.system.io[889] = 0x47;
        EXPECT_EQ(choice.backend->read(889), 0x47);
        break;
    case Kind::Simulated:
        EXPECT_TRUE(fds.empty()) << "every port tried is closed again";
        EXPECT_NE(dynamic_cast<portio::SimulatedBackend*>(choice.backend.get()), nullptr);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Machines, Choosing, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// The claim sequences themselves, where the order of the calls is the point.
TEST(ClaimSequence, ExclusiveFirst) {
    fake::Machine m;
    m.addPort(0, 888);
    portio::Choice choice = portio::choose(m.system, m.roots);
    EXPECT_EQ(m.system.opened, (std::vector<std::string>{m.node(0)}));
    ASSERT_EQ(m.system.openFds().size(), 1u);
    int fd = m.system.openFds()[0];
    EXPECT_EQ(m.system.calls, (std::vector<fake::Call>{{fd, PPEXCL, -1}, {fd, PPCLAIM, -1}}));
}

TEST(ClaimSequence, RefusedExclusiveClaimIsRetriedSharedOnAFreshFile) {
    fake::Machine m;
    m.addPort(0, 888, claimFails(ENXIO));
    m.registerDevice(0, "lp0");
    portio::Choice choice = portio::choose(m.system, m.roots);
    // PPEXCL sticks to the open file, so the shared claim needs a second open.
    EXPECT_EQ(m.system.opened, (std::vector<std::string>{m.node(0), m.node(0)}));
    ASSERT_EQ(m.system.closed.size(), 1u);
    ASSERT_EQ(m.system.openFds().size(), 1u);
    int refused = m.system.closed[0];
    int shared = m.system.openFds()[0];
    EXPECT_EQ(m.system.calls,
              (std::vector<fake::Call>{
                  {refused, PPEXCL, -1}, {refused, PPCLAIM, -1}, {shared, PPCLAIM, -1}}));
}

TEST(ClaimSequence, NoSharedClaimWhileAnotherDriverHoldsThePort) {
    fake::Machine m;
    m.addPort(0, 888, claimFails(ENXIO));
    m.registerDevice(0, "lp0");
    m.setActive(0, "lp0"); // a shared PPCLAIM would wait until lp lets go
    portio::Choice choice = portio::choose(m.system, m.roots);
    EXPECT_EQ(m.system.opened.size(), 1u);
    EXPECT_EQ(choice.status, "Simulated port: " + m.node(0) + kUnloadLp);
}

TEST(ClaimSequence, OtherClaimFailuresAreNotRetriedShared) {
    fake::Machine m;
    m.addPort(0, 888, claimFails(EIO));
    m.registerDevice(0, "lp0");
    portio::Choice choice = portio::choose(m.system, m.roots);
    EXPECT_EQ(m.system.opened.size(), 1u);
    EXPECT_NE(choice.status.find("cannot be claimed"), std::string::npos) << choice.status;
}

TEST(ClaimSequence, ChosenPortIsReleasedWithTheChoice) {
    fake::Machine m;
    m.addPort(0, 888);
    int fd = -1;
    {
        portio::Choice choice = portio::choose(m.system, m.roots);
        ASSERT_EQ(m.system.openFds().size(), 1u);
        fd = m.system.openFds()[0];
        m.system.calls.clear();
    }
    EXPECT_EQ(m.system.calls, (std::vector<fake::Call>{{fd, PPRELEASE, -1}}));
    EXPECT_EQ(m.system.closed.back(), fd);
    EXPECT_TRUE(m.system.openFds().empty());
}

} // namespace
