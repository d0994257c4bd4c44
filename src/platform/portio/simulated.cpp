// An SPP port with nothing plugged in, and the words shared by every platform's choice of port.
#include "backend.h"

#include <cstdio>

namespace portio {

namespace {
// Every status input floats high through its pull-up; bits 0-2 are not wired.
constexpr unsigned char kIdleStatus = 0x78;
// The four control outputs; the direction and IRQ-enable bits are not kept.
} // namespace

int SimulatedBackend::read(unsigned short port) {
    switch (port) {
    case kDataAddr: return data_;
    case kStatusAddr: return kIdleStatus;
    case kControlAddr: return control_;
    default: return 0xFF;
    }
}

void SimulatedBackend::write(unsigned short port, int value) {
    if (port == kDataAddr)
        data_ = static_cast<unsigned char>(value);
    else if (port == kControlAddr)
        control_ = static_cast<unsigned char>(value & kControlLines);
}

std::string hexAddress(unsigned long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%lx", value);
    return text;
}

Choice simulatedChoice(const std::string& reason) {
    return {std::make_unique<SimulatedBackend>(), "Simulated port: " + reason};
}

Choice directChoice(std::unique_ptr<Backend> backend) {
    return {std::move(backend), "Port: direct I/O at " + hexAddress(kLegacyBase)};
}

} // namespace portio
