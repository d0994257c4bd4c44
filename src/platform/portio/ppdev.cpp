// The port through the kernel's ppdev driver (/dev/parportN, ioctls from <linux/ppdev.h>).
#include "backend.h"

#include <sys/ioctl.h>

#include <linux/ppdev.h>

namespace portio {

namespace {

constexpr int kDirectionBit = 0x20; // 1 = data lines are inputs

class PpdevBackend final : public Backend {
public:
    PpdevBackend(System& system, int fd) : system_(system), fd_(fd) {}
    ~PpdevBackend() override {
        system_.ioctl(fd_, PPRELEASE, nullptr);
        system_.close(fd_);
    }

    int read(unsigned short port) override {
        switch (port) {
        case kDataAddr: return readByte(PPRDATA);
        // The raw byte: bit 7 (BUSY) is inverted by the hardware, and the masking is the
        // program's business.
        case kStatusAddr: return readByte(PPRSTATUS);
        // The kernel answers from its copy of the four output lines, so bits 4-7 (IRQ enable,
        // direction) read 0 even when set.
        case kControlAddr: return readByte(PPRCONTROL);
        default: return 0xFF;
        }
    }

    void write(unsigned short port, int value) override {
        if (port == kDataAddr) {
            writeByte(PPWDATA, value);
        } else if (port == kControlAddr) {
            // Only the four output lines go through PPWCONTROL: the kernel complains about and
            // drops the direction (bit 5) and IRQ-enable (bit 4) bits there.
            writeByte(PPWCONTROL, value & kControlLines);
            int reverse = (value & kDirectionBit) ? 1 : 0;
            system_.ioctl(fd_, PPDATADIR, &reverse);
        }
        // The status register is read-only on an SPP port.
    }

private:
    // A failed ioctl means the port went away under us; read it as a bus with nothing on it.
    int readByte(unsigned long request) {
        unsigned char byte = 0xFF;
        if (system_.ioctl(fd_, request, &byte) < 0)
            return 0xFF;
        return byte;
    }
    void writeByte(unsigned long request, int value) {
        auto byte = static_cast<unsigned char>(value);
        system_.ioctl(fd_, request, &byte);
    }

    System& system_;
    int fd_;
};

} // namespace

std::unique_ptr<Backend> makePpdevBackend(System& system, int fd) {
    return std::make_unique<PpdevBackend>(system, fd);
}

} // namespace portio
