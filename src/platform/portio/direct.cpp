// Direct I/O: the port instructions themselves, for a process that already holds ioperm on
// 888..890. Nothing here asks for that privilege.
#include "backend.h"

namespace portio {

namespace {

class DirectBackend final : public Backend {
public:
    explicit DirectBackend(System& system) : system_(system) {}
    ~DirectBackend() override { system_.ioperm(kDataAddr, 3, false); }

    // Only the three registers are reachable: ioperm was granted for nothing else.
    int read(unsigned short port) override {
        return isPortRegister(port) ? system_.inb(port) & 0xFF : 0xFF;
    }
    void write(unsigned short port, int value) override {
        if (isPortRegister(port))
            system_.outb(port, value & 0xFF);
    }

private:
    System& system_;
};

} // namespace

std::unique_ptr<Backend> makeDirectBackend(System& system) {
    return std::make_unique<DirectBackend>(system);
}

} // namespace portio
