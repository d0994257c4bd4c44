// A port backend for tests: forwards to another backend and logs every access in order.
#pragma once

#include "backend.h"

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct PortAccess {
    enum Kind { In, Out } kind;
    unsigned short port;
    int value; // the byte read or written
};

class RecordingBackend final : public portio::Backend {
public:
    explicit RecordingBackend(std::unique_ptr<portio::Backend> inner, std::vector<PortAccess>* log)
        : inner_(std::move(inner)), log_(log) {}
    int read(unsigned short port) override {
        int v = inner_->read(port);
        log_->push_back({PortAccess::In, port, v});
        return v;
    }
    void write(unsigned short port, int value) override {
        log_->push_back({PortAccess::Out, port, value & 0xFF});
        inner_->write(port, value);
    }

private:
    std::unique_ptr<portio::Backend> inner_;
    std::vector<PortAccess>* log_;
};

// A backend whose registers read back fixed raw bytes; writes are latched per address.
class ScriptedBackend final : public portio::Backend {
public:
    ScriptedBackend(int data, int status, int control) : regs_{data, status, control} {}
    int read(unsigned short port) override {
        return (port >= 888 && port <= 890) ? regs_[port - 888] & 0xFF : 0xFF;
    }
    void write(unsigned short port, int value) override {
        if (port >= 888 && port <= 890)
            regs_[port - 888] = value & 0xFF;
    }
    void set(unsigned short port, int value) { regs_[port - 888] = value; }

private:
    int regs_[3];
};

// Installs a recording backend over `inner` and returns the log it fills.
inline std::vector<PortAccess>& installRecording(std::unique_ptr<portio::Backend> inner) {
    static std::vector<PortAccess> log;
    log.clear();
    portio::install({std::make_unique<RecordingBackend>(std::move(inner), &log), "test port"});
    return log;
}

// Port accesses as text ("out 888 12, in 889 120"), so that a failed comparison reads well.
inline std::string describe(const std::vector<PortAccess>& log) {
    std::string text;
    for (const PortAccess& a : log)
        text += std::string(text.empty() ? "" : ", ") +
                (a.kind == PortAccess::Out ? "out " : "in ") + std::to_string(a.port) + " " +
                std::to_string(a.value);
    return text;
}

} // namespace testsupport
