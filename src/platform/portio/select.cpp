// Which port _inp/_outp reach, and if none, why not and what the user can do about it.
#include "backend.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include <sys/ioctl.h>

#include <linux/ppdev.h>

namespace portio {

namespace {

namespace fs = std::filesystem;

struct Port {
    int number;
    std::string name; // parportN
    std::string node; // <dev>/parportN
    fs::path info;    // <proc>/sys/dev/parport/parportN
    std::optional<unsigned long> base;
};

// A claimed port (fd >= 0), or why it could not be claimed, with the fix.
struct Claim {
    int fd = -1;
    std::string sharedWith; // empty when the claim is exclusive
    std::string failure;
};

Claim claimed(int fd, std::string sharedWith = {}) {
    return {fd, std::move(sharedWith), {}};
}

Claim failed(std::string why) {
    return {-1, {}, std::move(why)};
}

fs::path parportInfo(const Roots& roots) {
    return fs::path(roots.proc) / "sys" / "dev" / "parport";
}

// The entries of a directory; nothing when it is missing or unreadable.
std::optional<std::vector<std::string>> namesIn(const fs::path& dir) {
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec)
        return std::nullopt;
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            return std::nullopt;
        names.push_back(it->path().filename().string());
    }
    return names;
}

// "parport3" -> 3; anything else -> -1.
int portNumber(std::string_view name) {
    constexpr std::string_view prefix = "parport";
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 3 ||
        name.substr(0, prefix.size()) != prefix)
        return -1;
    int number = 0;
    for (char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// base-addr holds the base and the ECP registers' base, e.g. "888\t1912\n".
std::optional<unsigned long> baseOf(const fs::path& info) {
    std::ifstream in(info / "base-addr");
    unsigned long base = 0;
    if (in >> base)
        return base;
    return std::nullopt;
}

// The /dev/parportN nodes, the one at base 888 first, then in number order.
std::vector<Port> findPorts(const Roots& roots) {
    std::vector<Port> ports;
    for (const std::string& name : namesIn(roots.dev).value_or(std::vector<std::string>{})) {
        int number = portNumber(name);
        if (number < 0)
            continue;
        fs::path info = parportInfo(roots) / name;
        ports.push_back({number, name, (fs::path(roots.dev) / name).string(), info, baseOf(info)});
    }
    return legacyFirst(std::move(ports));
}

std::string errorText(int err) {
    return std::generic_category().message(err);
}

// Registered devices are named after their driver and a number: lp0, ppdev1, plip0.
std::string driverOf(const std::string& device) {
    return device.substr(0, device.find_last_not_of("0123456789") + 1);
}

bool isLp(const std::string& device) {
    return driverOf(device) == "lp";
}

std::string describeDevice(const std::string& device) {
    std::string driver = driverOf(device);
    if (driver == "lp")
        return "the lp printer driver";
    if (driver == "ppdev")
        return "another program (" + device + ")";
    return "the " + driver + " driver";
}

std::string heldBy(const Port& port, const std::string& device) {
    std::string driver = driverOf(device);
    if (driver == "ppdev")
        return port.node + " is in use by " + describeDevice(device) + " - close that program";
    return port.node + " is held by " + describeDevice(device) + " - unload it (sudo rmmod " +
           driver + ")";
}

std::string noPortBehind(const Port& port) {
    return port.node + " has no port behind it - load the port driver (sudo modprobe parport_pc)";
}

std::string openFailure(const Port& port, int err) {
    switch (err) {
    case EACCES:
    case EPERM:
        return port.node + " permission denied - add your user to group lp (sudo usermod -aG lp "
                           "$USER, then log in again)";
    case ENOENT:
        return port.node + " does not exist - load the port drivers (sudo modprobe parport_pc " +
               "ppdev)";
    case ENXIO:
    case ENODEV: return noPortBehind(port);
    default:
        return port.node + " cannot be opened (" + errorText(err) +
               ") - see the kernel log (sudo dmesg | grep parport)";
    }
}

// Our claim waited for the bound: another program has the port claimed and keeps it.
std::string heldByAnotherProgram(const Port& port) {
    return port.node + " is held by another program (no claim within " +
           std::to_string(kClaimTimeLimitMs) + " ms) - close that program";
}

std::string claimFailure(const Port& port, int err) {
    if (err == ETIMEDOUT)
        return heldByAnotherProgram(port);
    // ppdev registers with the port at the first claim and answers ENXIO when the kernel has no
    // port of that number.
    if (err == ENXIO || err == ENODEV)
        return noPortBehind(port);
    return port.node + " cannot be claimed (" + errorText(err) +
           ") - see the kernel log (sudo dmesg | grep parport)";
}

// The devices registered on the port: one directory each under devices/, beside "active".
std::optional<std::vector<std::string>> devicesOn(const Port& port) {
    auto names = namesIn(port.info / "devices");
    if (names)
        std::erase(*names, "active");
    return names;
}

// The device that has the port claimed right now, or "" when none has (or nobody can tell).
std::string activeDevice(const Port& port) {
    std::string active = firstLine(port.info / "devices" / "active");
    return active == "none" ? "" : active;
}

Claim claimShared(System& system, const Port& port, int exclusiveError) {
    auto devices = devicesOn(port);
    if (devices && devices->empty()) // nobody to share with: the refusal has another cause
        return failed(claimFailure(port, exclusiveError));
    // Without /proc nobody can tell whether another program has the port claimed, and a shared
    // claim would then wait for as long as it does: start on the simulated port instead.
    if (!devices)
        return failed(port.node + " is held by another driver (probably lp; " +
                      "/proc/sys/dev/parport cannot be read to tell) - unload it (sudo rmmod lp)");
    auto lp = std::find_if(devices->begin(), devices->end(), isLp);
    std::string holder = lp != devices->end() ? *lp : devices->front();

    // A shared PPCLAIM waits for as long as another device has the port claimed; a program that
    // holds it would keep us from ever starting.
    if (std::string active = activeDevice(port); !active.empty())
        return failed(heldBy(port, active));

    // The refused PPEXCL stays with the open file, so sharing needs a fresh one.
    int fd = system.open(port.node);
    if (fd < 0)
        return failed(openFailure(port, -fd));
    int err = system.ioctl(fd, PPCLAIM, nullptr);
    if (err == 0)
        return claimed(fd, holder);
    system.close(fd);
    return failed(err == -ETIMEDOUT ? heldByAnotherProgram(port) : heldBy(port, holder));
}

Claim claim(System& system, const Port& port) {
    int fd = system.open(port.node);
    if (fd < 0)
        return failed(openFailure(port, -fd));
    // The first claim registers us with the port and loads our fresh device state into it,
    // which writes 0x0C to the control register (nINIT high, SELECTIN asserted): those lines
    // move at start-up, before the program has written anything.
    int err = system.ioctl(fd, PPEXCL, nullptr);
    if (err == 0)
        err = system.ioctl(fd, PPCLAIM, nullptr);
    if (err == 0)
        return claimed(fd);
    system.close(fd);
    // An exclusive registration is refused while another driver (usually lp, which registers
    // on every port it finds) is registered; the kernel says ENXIO, some versions EBUSY.
    if (err == -ENXIO || err == -EBUSY)
        return claimShared(system, port, -err);
    return failed(claimFailure(port, -err));
}

// "/dev/parport0 (ppdev, base 0x378, shared with the lp printer driver)"
std::string describePpdev(const Port& port, const std::string& sharedWith) {
    std::string text = port.node + " (ppdev";
    if (port.base)
        text += ", base " + hexAddress(*port.base);
    if (!sharedWith.empty())
        text += ", shared with " + describeDevice(sharedWith);
    return text + ")";
}

Choice ppdevChoice(System& system, const Port& port, const Claim& claim) {
    return {makePpdevBackend(system, claim.fd), "Port: " + describePpdev(port, claim.sharedWith)};
}

Port portAt(const Roots& roots, const std::string& node) {
    std::string name = fs::path(node).filename().string();
    fs::path info = parportInfo(roots) / name;
    return {portNumber(name), name, node, info, baseOf(info)};
}

// The kernel has found a port, whether or not ppdev gives it a device file: it is in a driver's
// hands, and there is no direct I/O behind its back.
bool kernelKnowsAPort(const Roots& roots) {
    for (const std::string& name :
         namesIn(parportInfo(roots)).value_or(std::vector<std::string>{})) {
        if (portNumber(name) >= 0)
            return true;
    }
    return false;
}

// Direct I/O at 888..890 on a port that is there: ioperm is granted whether or not anything
// answers at those addresses, and a bus with nothing on it reads 0xFF from all three registers.
// Asks for the permission and, when nothing answers, gives it back.
bool directPortAnswers(System& system, const Roots& roots) {
    if (kernelKnowsAPort(roots) || system.ioperm(kDataAddr, 3, true) != 0)
        return false;
    if ((system.inb(kDataAddr) & system.inb(kStatusAddr) & system.inb(kControlAddr)) != 0xFF)
        return true;
    system.ioperm(kDataAddr, 3, false);
    return false;
}

std::string noPortFound(const Roots& roots) {
    // Ports the kernel knows but with no /dev node: ppdev is not loaded.
    for (const std::string& name :
         namesIn(parportInfo(roots)).value_or(std::vector<std::string>{})) {
        if (portNumber(name) >= 0)
            return name + " has no device file - load the ppdev module (sudo modprobe ppdev)";
    }
    return "no parallel port found";
}

// What choose's claim of this port would meet, judged without opening it: the user's access,
// and a device holding the port now. Empty when the claim is expected to work.
std::string predictedFailure(System& system, const Port& port) {
    if (int err = system.access(port.node); err < 0)
        return openFailure(port, -err);
    if (std::string active = activeDevice(port); !active.empty())
        return heldBy(port, active);
    return {};
}

// The registered device a claim would share the port with, as claimShared picks it.
std::string sharingWith(const Port& port) {
    auto devices = devicesOn(port).value_or(std::vector<std::string>{});
    auto lp = std::find_if(devices.begin(), devices.end(), isLp);
    return lp != devices.end() ? *lp : devices.empty() ? "" : devices.front();
}

// What choose and predictChoice decide: the port `attempt` took, else whether direct I/O answers
// (its permission held), else why the simulated port.
struct Decision {
    std::optional<Port> port;
    Claim claim; // the port's; without one, its failure is the simulated port's reason
    bool direct = false;
};

// The first port in order that `attempt` takes (claims, or judges a claim would work). Direct
// I/O only where the kernel knows no port at all: a port the kernel refused is in some driver's
// hands, and a port it knows elsewhere (a PCIe card) means there is nothing at 0x378; ioperm only
// succeeds for a process that already has CAP_SYS_RAWIO.
Decision decide(System& system, const Roots& roots,
                const std::function<Claim(const Port&)>& attempt) {
    std::vector<Port> ports = findPorts(roots);
    Decision d;
    for (const Port& port : ports) {
        Claim c = attempt(port);
        if (c.fd >= 0)
            return {port, std::move(c), false};
        if (d.claim.failure.empty()) // the first port tried is the one the user expects
            d.claim.failure = c.failure;
    }
    if (ports.empty()) {
        d.claim.failure = noPortFound(roots);
        d.direct = directPortAnswers(system, roots);
    }
    return d;
}

} // namespace

Choice choose(System& system, const Roots& roots) {
    Decision d = decide(system, roots, [&](const Port& port) { return claim(system, port); });
    if (d.port)
        return ppdevChoice(system, *d.port, d.claim);
    if (d.direct)
        return directChoice(makeDirectBackend(system));
    return simulatedChoice(d.claim.failure);
}

Choice chooseNode(System& system, const Roots& roots, const std::string& node) {
    Port port = portAt(roots, node);
    if (fs::path(node).parent_path().filename() == "usb")
        return {nullptr, node + " is a USB printer adapter: it has no registers to reach - use a "
                                "parallel port (/dev/parportN)"};
    Claim c = claim(system, port);
    if (c.fd < 0)
        return {nullptr, c.failure};
    return ppdevChoice(system, port, c);
}

Choice chooseDirect(System& system) {
    int err = system.ioperm(kDataAddr, 3, true);
    if (err == 0)
        return directChoice(makeDirectBackend(system));
    const std::string what = "direct I/O at " + hexAddress(kLegacyBase);
    switch (-err) {
    case EPERM:
    case EACCES: return {nullptr, what + " needs root or CAP_SYS_RAWIO - run it as root (sudo)"};
    case ENOSYS: return {nullptr, what + " is not available on this machine"};
    default: return {nullptr, what + " was refused (" + errorText(-err) + ")"};
    }
}

std::vector<PortReport> listPorts(System& system, const Roots& roots) {
    std::vector<std::string> names;
    for (const fs::path& dir : {fs::path(roots.dev), parportInfo(roots)})
        for (const std::string& name : namesIn(dir).value_or(std::vector<std::string>{}))
            if (portNumber(name) >= 0 && std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return portNumber(a) < portNumber(b);
    });
    std::vector<PortReport> reports;
    for (const std::string& name : names) {
        Port port = portAt(roots, (fs::path(roots.dev) / name).string());
        PortReport r{name,
                     port.node,
                     port.base,
                     firstLine(port.info / "modes"),
                     devicesOn(port).value_or(std::vector<std::string>{}),
                     activeDevice(port),
                     {}};
        std::error_code ec;
        if (!fs::exists(port.node, ec)) {
            r.node.clear();
            r.problem = "no device file - load the ppdev module (sudo modprobe ppdev)";
        } else if (int err = system.access(port.node); err < 0) {
            r.problem = openFailure(port, -err);
        }
        reports.push_back(std::move(r));
    }
    return reports;
}

std::vector<std::string> usbPrinters(const Roots& roots) {
    std::vector<std::string> nodes;
    fs::path usb = fs::path(roots.dev) / "usb";
    for (const std::string& name : namesIn(usb).value_or(std::vector<std::string>{})) {
        if (name.size() > 2 && name.compare(0, 2, "lp") == 0 &&
            name.find_first_not_of("0123456789", 2) == std::string::npos)
            nodes.push_back((usb / name).string());
    }
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

std::string predictChoice(System& system, const Roots& roots) {
    Decision d = decide(system, roots, [&](const Port& port) {
        std::string failure = predictedFailure(system, port);
        return failure.empty() ? claimed(0, sharingWith(port)) : failed(failure); // nothing open
    });
    if (d.port)
        return describePpdev(*d.port, d.claim.sharedWith);
    if (d.direct) { // the permission is given back at once: the registers were only read
        system.ioperm(kDataAddr, 3, false);
        return "direct I/O at " + hexAddress(kLegacyBase);
    }
    return "the simulated port: " + d.claim.failure;
}

Choice chooseForThisMachine() {
    return choose(linuxSystem(), Roots{});
}

} // namespace portio
