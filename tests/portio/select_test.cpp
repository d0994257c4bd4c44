// The choice of backend on a stand-in machine: which port, claimed how, and what the status
// line tells the user.
#include "backend.h"
#include "fake_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <system_error>

namespace {

namespace fs = std::filesystem;

enum class Kind { Ppdev, Direct, Simulated };
enum class Trees { Both, NoProc, Neither };

// One port of a scenario's machine, described by chained calls: at(0, 888).claimFails(ENXIO).
struct PortSpec {
    int n;
    unsigned long base;         // 0: no base-addr
    fake::Port answers{};       // how open and the claims answer
    std::string device, active; // registered on the port; has it claimed
    bool node = true;           // false: ppdev not loaded
    PortSpec openFails(int err) { return answers.openError = err, *this; }
    PortSpec claimFails(int exclusive, int shared = 0) {
        answers.exclusiveClaimError = exclusive;
        answers.sharedClaimError = shared;
        return *this;
    }
    PortSpec with(const char* name) { return device = name, *this; }
    PortSpec claimedBy(const char* name) { return active = name, *this; }
    PortSpec noNode() { return node = false, *this; }
};
PortSpec at(int n, unsigned long base) {
    return {n, base, {}, "", ""};
}
template <typename... P> std::vector<PortSpec> ports(P... p) {
    return {p...};
}

struct Scenario {
    const char* name;
    std::vector<PortSpec> ports;
    Kind kind;
    int port;           // the parportN chosen, for Kind::Ppdev
    bool shared;        // claimed without PPEXCL
    std::string status; // "{dev}" stands for the machine's /dev
    int iopermError = ENOSYS;
    Trees trees = Trees::Both;
};
Scenario S(const char* name, std::vector<PortSpec> ports, Kind kind, int port, bool shared,
           std::string status, int iopermError = ENOSYS, Trees trees = Trees::Both) {
    return {name, std::move(ports), kind, port, shared, std::move(status), iopermError, trees};
}

void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

std::string expand(std::string text, const fake::Machine& m) {
    for (auto at = text.find("{dev}"); at != std::string::npos; at = text.find("{dev}"))
        text.replace(at, 5, m.roots.dev);
    return text;
}

void build(fake::Machine& m, const std::vector<PortSpec>& ports, Trees trees) {
    for (const PortSpec& p : ports) {
        m.addPort(p.n, p.base, p.answers, p.node);
        if (!p.device.empty())
            m.registerDevice(p.n, p.device);
        if (!p.active.empty())
            m.setActive(p.n, p.active);
    }
    if (trees != Trees::Both)
        fs::remove_all(m.roots.proc);
    if (trees == Trees::Neither)
        fs::remove_all(m.roots.dev);
}

const std::string kSim = "Simulated port: {dev}/parport";
const std::string kGroupLp = " permission denied - add your user to group lp (sudo usermod -aG lp "
                             "$USER, then log in again)";
const std::string kUnloadLp = " is held by the lp printer driver - unload it (sudo rmmod lp)";
const std::string kNoPortBehind =
    " has no port behind it - load the port driver (sudo modprobe parport_pc)";
const std::string kHeld =
    " is held by another program (no claim within 500 ms) - close that program";
const std::string kNoPort = "Simulated port: no parallel port found";
const std::string kEio = " cannot be claimed (" + std::generic_category().message(EIO) +
                         ") - see the kernel log (sudo dmesg | grep parport)";

const std::string kPpdev0 = "Port: {dev}/parport0 (ppdev, base 0x378";
const Scenario kScenarios[] = {
    S("PortAt888", ports(at(0, 888)), Kind::Ppdev, 0, false, kPpdev0 + ")"),
    S("PrefersThePortAt888", ports(at(0, 53264), at(1, 8880), at(2, 888)), Kind::Ppdev, 2, false,
      "Port: {dev}/parport2 (ppdev, base 0x378)"),
    S("PcieCardWhenNothingIsAt888", ports(at(3, 53264), at(1, 53248)), Kind::Ppdev, 1, false,
      "Port: {dev}/parport1 (ppdev, base 0xd000)"),
    S("PortWithoutBaseAddress", ports(at(0, 0)), Kind::Ppdev, 0, false,
      "Port: {dev}/parport0 (ppdev)"),
    S("PermissionDenied", ports(at(0, 888).openFails(EACCES)), Kind::Simulated, 0, false,
      kSim + "0" + kGroupLp),
    S("NoPortAtAll", ports(), Kind::Simulated, 0, false, kNoPort),
    S("NoProcAndNoDev", ports(), Kind::Simulated, 0, false, kNoPort, ENOSYS, Trees::Neither),
    S("PpdevNotLoaded", ports(at(0, 888).noNode()), Kind::Simulated, 0, false,
      "Simulated port: parport0 has no device file - load the ppdev module (sudo modprobe ppdev)"),
    S("NodeWithoutPort", ports(at(0, 888).openFails(ENXIO)), Kind::Simulated, 0, false,
      kSim + "0" + kNoPortBehind),
    S("HeldByLpSharesIt", ports(at(0, 888).claimFails(ENXIO).with("lp0")), Kind::Ppdev, 0, true,
      kPpdev0 + ", shared with the lp printer driver)"),
    S("HeldByLpRefusedWithEbusySharesIt", ports(at(0, 888).claimFails(EBUSY).with("lp0")),
      Kind::Ppdev, 0, true, kPpdev0 + ", shared with the lp printer driver)"),
    S("RefusedWithoutProcDoesNotWaitForAClaim", ports(at(0, 888).claimFails(ENXIO)),
      Kind::Simulated, 0, false,
      kSim + "0 is held by another driver (probably lp; /proc/sys/dev/parport cannot be read to "
             "tell) - unload it (sudo rmmod lp)",
      ENOSYS, Trees::NoProc),
    S("HeldByLpAndSharingFails", ports(at(0, 888).claimFails(ENXIO, ENXIO).with("lp0")),
      Kind::Simulated, 0, false, kSim + "0" + kUnloadLp),
    S("HeldByAnotherDriverAndSharingFails",
      ports(at(0, 888).claimFails(ENXIO, ENXIO).with("plip0")), Kind::Simulated, 0, false,
      kSim + "0 is held by the plip driver - unload it (sudo rmmod plip)"),
    S("SharedWithAnotherProgram", ports(at(0, 888).claimFails(ENXIO).with("ppdev1")), Kind::Ppdev,
      0, true, kPpdev0 + ", shared with another program (ppdev1))"),
    S("ClaimedByAnotherProgram",
      ports(at(0, 888).claimFails(ENXIO).with("ppdev1").claimedBy("ppdev1")), Kind::Simulated, 0,
      false, kSim + "0 is in use by another program (ppdev1) - close that program"),
    S("SharedClaimWaitsTooLong", ports(at(0, 888).claimFails(ENXIO, ETIMEDOUT).with("ppdev1")),
      Kind::Simulated, 0, false, kSim + "0" + kHeld),
    S("ExclusiveClaimWaitsTooLong", ports(at(0, 888).claimFails(ETIMEDOUT)), Kind::Simulated, 0,
      false, kSim + "0" + kHeld),
    S("RefusedWithNobodyRegistered", ports(at(0, 888).claimFails(ENXIO)), Kind::Simulated, 0, false,
      kSim + "0" + kNoPortBehind),
    S("OtherClaimFailuresAreNotRetriedShared", ports(at(0, 888).claimFails(EIO).with("lp0")),
      Kind::Simulated, 0, false, kSim + "0" + kEio),
    S("ClaimFailsSoTheNextPortIsUsed", ports(at(0, 888).claimFails(EIO), at(1, 53264)), Kind::Ppdev,
      1, false, "Port: {dev}/parport1 (ppdev, base 0xd010)"),
    S("AllFailTheFirstPortExplains",
      ports(at(0, 53264).claimFails(EIO), at(1, 888).openFails(EACCES)), Kind::Simulated, 0, false,
      kSim + "1" + kGroupLp),
    S("DirectIoWhenPrivilegedAndNoPort", ports(), Kind::Direct, 0, false,
      "Port: direct I/O at 0x378", 0),
    S("NoDirectIoBehindAPortTheKernelRefused",
      ports(at(0, 888).claimFails(ENXIO, ENXIO).with("lp0")), Kind::Simulated, 0, false,
      kSim + "0" + kUnloadLp, 0),
    S("PpdevEvenWhenPrivileged", ports(at(0, 888)), Kind::Ppdev, 0, false, kPpdev0 + ")", 0),
};

class Choosing : public ::testing::TestWithParam<Scenario> {};

TEST_P(Choosing, PicksTheBackendAndSaysWhy) {
    const Scenario& s = GetParam();
    fake::Machine m;
    build(m, s.ports, s.trees);
    m.system.iopermError = s.iopermError;
    portio::Choice choice = portio::choose(m.system, m.roots);

    EXPECT_EQ(choice.status, expand(s.status, m));
    const std::string shortNames[] = {"Port: parport" + std::to_string(s.port), "Direct 0x378",
                                      "Simulated port"};
    EXPECT_EQ(choice.shortName, shortNames[static_cast<int>(s.kind)]);
    ASSERT_NE(choice.backend, nullptr);
    if (s.kind == Kind::Ppdev) {
        ASSERT_EQ(m.system.files.size(), 1u) << "exactly the chosen port stays open";
        int fd = m.system.files.begin()->first;
        EXPECT_EQ(m.system.files[fd], std::pair(m.node(s.port), true)) << "claimed";
        bool exclusive = std::any_of(m.system.calls.begin(), m.system.calls.end(),
                                     [&](auto& c) { return c.fd == fd && c.request == PPEXCL; });
        EXPECT_EQ(exclusive, !s.shared);
        m.system.ports[m.node(s.port)].status = 0x47;
        EXPECT_EQ(choice.backend->read(889), 0x47) << "the program's addresses reach the port";
        EXPECT_TRUE(m.system.ioperms.empty()) << "no direct I/O while ppdev works";
    } else {
        EXPECT_TRUE(m.system.files.empty()) << "every port tried is closed again";
        m.system.io[889] = 0x47;
        EXPECT_EQ(choice.backend->read(889), s.kind == Kind::Direct ? 0x47 : 0x78);
    }
}

INSTANTIATE_TEST_SUITE_P(Machines, Choosing, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// The claim sequences themselves, where the order of the calls is the point.
TEST(ClaimSequence, ExclusiveFirstThenSharedOnAFreshFile) {
    fake::Machine m;
    m.addPort(0, 888);
    portio::Choice first = portio::choose(m.system, m.roots);
    ASSERT_EQ(m.system.files.size(), 1u);
    int fd = m.system.files.begin()->first;
    EXPECT_EQ(m.system.calls, (std::vector<fake::Call>{{fd, PPEXCL, -1}, {fd, PPCLAIM, -1}}));
    first = {};
    EXPECT_EQ(m.system.calls.back(), (fake::Call{fd, PPRELEASE, -1})) << "released with the choice";
    EXPECT_EQ(m.system.closed, (std::vector<int>{fd}));

    fake::Machine lp;
    lp.addPort(0, 888, {0, ENXIO});
    lp.registerDevice(0, "lp0");
    portio::Choice shared = portio::choose(lp.system, lp.roots);
    // PPEXCL sticks to the open file, so the shared claim needs a second open.
    ASSERT_EQ(lp.system.closed.size(), 1u);
    ASSERT_EQ(lp.system.files.size(), 1u);
    int refused = lp.system.closed[0], kept = lp.system.files.begin()->first;
    EXPECT_EQ(lp.system.calls,
              (std::vector<fake::Call>{
                  {refused, PPEXCL, -1}, {refused, PPCLAIM, -1}, {kept, PPCLAIM, -1}}));
}

} // namespace
