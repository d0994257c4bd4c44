// The backends behind _inp/_outp and the choice among them.
#pragma once

#include <memory>
#include <string>

namespace portio {

// The parallel port's three registers; other addresses read 0xFF and ignore writes.
inline constexpr unsigned short kDataAddr = 888;
inline constexpr unsigned short kStatusAddr = 889;
inline constexpr unsigned short kControlAddr = 890;
// The control register's lines (nSTROBE, nAUTOFD, nINIT, nSELECTIN); the bits above hold no pin.
inline constexpr int kControlLines = 0x0F;

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

// The backend in use with the lines that describe it.
struct Choice {
    std::unique_ptr<Backend> backend;
    std::string status;    // one line: which port, or why the simulated one and what fixes it
    std::string shortName; // "Port: parport0", "Simulated port"
};

// Makes `choice` the backend of _inp/_outp. Used once at start-up, and by tests that put a
// recording backend under the program.
void install(Choice choice);

// Picks the backend for this machine (ppdev, then direct I/O, then the simulated port).
Choice chooseForThisMachine();

// The operating-system calls behind the real backends and the choice among them, so that tests
// can stand in for the machine. Each returns what the call returns, or -errno when it fails.
class System {
public:
    virtual ~System() = default;
    virtual int open(const std::string& path) = 0; // read-write; returns a file descriptor
    virtual int close(int fd) = 0;
    virtual int ioctl(int fd, unsigned long request, void* arg) = 0;
    virtual int ioperm(unsigned long from, unsigned long count, bool on) = 0;
    virtual int inb(unsigned short port) = 0; // needs a successful ioperm for the port
    virtual void outb(unsigned short port, int value) = 0;
};

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

// Registers 888..890 of a claimed /dev/parportN through ppdev ioctls, whatever the port's real
// base. Takes over `fd`: releases the claim and closes it when destroyed.
std::unique_ptr<Backend> makePpdevBackend(System& system, int fd);

// Registers 888..890 with inb/outb after a successful ioperm on them.
std::unique_ptr<Backend> makeDirectBackend(System& system);

} // namespace portio
