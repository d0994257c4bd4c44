// The backends behind _inp/_outp and the choice among them.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace portio {

// The parallel port's three registers; other addresses read 0xFF and ignore writes.
inline constexpr unsigned short kDataAddr = 888;
inline constexpr unsigned short kStatusAddr = 889;
inline constexpr unsigned short kControlAddr = 890;
// The control register's lines (nSTROBE, nAUTOFD, nINIT, nSELECTIN); the bits above hold no pin.
inline constexpr int kControlLines = 0x0F;
// The base the program was written for, LPT1's: 0x378.
inline constexpr unsigned long kLegacyBase = kDataAddr;

inline bool isPortRegister(unsigned short port) {
    return port >= kDataAddr && port <= kControlAddr;
}

// "0x378"
std::string hexAddress(unsigned long value);

// The order ports are tried in: the one at 0x378 first, then by number.
template <typename Port> std::vector<Port> legacyFirst(std::vector<Port> ports) {
    std::sort(ports.begin(), ports.end(),
              [](const Port& a, const Port& b) { return a.number < b.number; });
    std::stable_partition(ports.begin(), ports.end(),
                          [](const Port& p) { return p.base == kLegacyBase; });
    return ports;
}

class Backend {
public:
    virtual ~Backend() = default;
    virtual int read(unsigned short port) = 0;              // 0..255
    virtual void write(unsigned short port, int value) = 0; // low 8 bits
};

// An SPP port with nothing attached: data is a latch (0x00 at reset), status reads 0x78,
// control keeps the written low nibble (0x0C at reset).
class SimulatedBackend final : public Backend {
public:
    int read(unsigned short port) override;
    void write(unsigned short port, int value) override;

private:
    unsigned char data_ = 0x00;
    unsigned char control_ = 0x0C;
};

// The backend in use with the line that describes it.
struct Choice {
    std::unique_ptr<Backend> backend;
    std::string status; // which port, or why the simulated one and what fixes it
};

// The simulated port, because of `reason` ("no parallel port found").
Choice simulatedChoice(const std::string& reason);
// Direct I/O at 888..890 through `backend`.
Choice directChoice(std::unique_ptr<Backend> backend);

// Makes `choice` the backend of _inp/_outp. Used once at start-up, and by tests that put a
// recording backend under the program.
void install(Choice choice);

// Picks the backend for this machine (ppdev, then direct I/O, then the simulated port).
Choice chooseForThisMachine();

// What the first port access (or status question) runs when nothing is installed yet:
// chooseForThisMachine unless replaced here, e.g. by a test standing in for the machine. When it
// throws or returns no backend, the simulated port is used and the status says why.
void setChooser(std::function<Choice()> chooser);

// The operating-system calls behind the real backends and the choice among them, so that tests
// can stand in for the machine. Each returns what the call returns, or -errno when it fails.
class System {
public:
    virtual ~System() = default;
    virtual int open(const std::string& path) = 0; // read-write; returns a file descriptor
    // 0 when this process may open `path` read-write (its effective user and groups); touches
    // nothing, unlike an open and claim, which move the control lines.
    virtual int access(const std::string& path) = 0;
    virtual int close(int fd) = 0;
    // A PPCLAIM waits for as long as another program holds the port (and makes that program's
    // own ioctls wait too): this machine's bounds it by kClaimTimeLimitMs and answers -ETIMEDOUT.
    virtual int ioctl(int fd, unsigned long request, void* arg) = 0;
    virtual int ioperm(unsigned long from, unsigned long count, bool on) = 0;
    virtual int inb(unsigned short port) = 0; // needs a successful ioperm for the port
    virtual void outb(unsigned short port, int value) = 0;
};

inline constexpr int kClaimTimeLimitMs = 500;

// Runs `call` (which returns a result or -errno), interrupting it with a signal to this thread
// once `milliseconds` have passed; returns -ETIMEDOUT when that ended it. The signal's previous
// handler and this thread's signal mask are restored before it returns.
int withTimeLimit(int milliseconds, const std::function<int()>& call);

// This machine's calls. Never destroyed, so backends may still release the port through it
// while the program's statics are torn down. Without x86 port instructions ioperm fails with
// ENOSYS and inb/outb do nothing.
System& linuxSystem();

// Where the choice looks: <proc>/sys/dev/parport/parportN/ and <dev>/parportN.
struct Roots {
    std::string proc = "/proc";
    std::string dev = "/dev";
};

// The choice itself: the /dev/parportN at base 888, else the first that can be claimed; then
// direct I/O if ioperm already works; else the simulated port with the reason and its fix.
// The backend it returns uses `system`, which must outlive it.
Choice choose(System& system, const Roots& roots);

// One port named by its device file, e.g. "/dev/parport1", claimed as the choice claims it.
// When it cannot be used, the backend is null and the status says why and what fixes it.
Choice chooseNode(System& system, const Roots& roots, const std::string& node);

// Direct I/O at 888..890, asked for explicitly: allowed even behind a port the kernel knows, for
// a privileged user bypassing the driver. Without the privilege the backend is null and the
// status says what is needed.
Choice chooseDirect(System& system);

// A parallel port as the kernel and /dev show it, looked at without opening it.
struct PortReport {
    std::string name; // parportN
    std::string node; // <dev>/parportN, empty when there is no device file
    std::optional<unsigned long> base;
    std::string modes;                // e.g. "PCSPP,TRISTATE"; empty when unknown
    std::vector<std::string> devices; // the drivers and programs registered on it
    std::string active;               // the one that has it claimed now, empty when none
    std::string problem;              // why this user cannot use it, with the fix; empty if none
};
std::vector<PortReport> listPorts(System& system, const Roots& roots);
// The USB printer adapters, <dev>/usb/lpN: they have no registers to reach.
std::vector<std::string> usbPrinters(const Roots& roots);
// What choose would pick, found without claiming anything: "/dev/parport0 (ppdev, base 0x378)",
// "direct I/O at 0x378" or "the simulated port: WHY".
std::string predictChoice(System& system, const Roots& roots);

// Registers 888..890 of a claimed /dev/parportN through ppdev ioctls, whatever the port's real
// base. Takes over `fd`: releases the claim and closes it when destroyed.
std::unique_ptr<Backend> makePpdevBackend(System& system, int fd);

// Registers 888..890 with inb/outb after a successful ioperm on them.
std::unique_ptr<Backend> makeDirectBackend(System& system);

} // namespace portio
