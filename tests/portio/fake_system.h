// A stand-in machine for the port layer: /proc and /dev trees in a temporary directory, and
// open/ioctl/ioperm/inb/outb answered the way the kernel would for the ports set up here.
#pragma once

#include "backend.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <sys/ioctl.h>

#include <linux/ppdev.h>

namespace fake {

namespace fs = std::filesystem;

// One /dev/parportN as ppdev would answer for it.
struct Port {
    int openError = 0;           // errno from open and access, 0 = it opens
    int exclusiveClaimError = 0; // errno from PPCLAIM after PPEXCL (ENXIO: another driver is on it)
    int sharedClaimError = 0;    // errno from PPCLAIM without PPEXCL (ETIMEDOUT: held, bound hit)
    unsigned char data = 0x00, status = 0x78;
    unsigned char control = 0x00; // the kernel's copy of the four output lines
};

// One ioctl the code under test made, with the byte or int it passed or got back (-1: none).
struct Call {
    int fd;
    unsigned long request;
    int value;
    bool operator==(const Call&) const = default;
};

class System final : public portio::System {
public:
    std::map<std::string, Port> ports; // by device path
    std::vector<Call> calls;
    std::vector<std::string> opened;
    std::vector<int> closed;
    int iopermError = ENOSYS; // 0: ioperm succeeds
    std::vector<bool> ioperms;
    std::map<unsigned short, int> io; // what inb returns, by address (default 0xFF)
    std::vector<std::pair<unsigned short, int>> outs;
    std::map<int, std::pair<std::string, bool>> files; // open fds: path, claimed

    int access(const std::string& path) override {
        return ports.count(path) ? -ports[path].openError : -ENOENT;
    }
    int open(const std::string& path) override {
        opened.push_back(path);
        if (int err = access(path))
            return err;
        files[nextFd_] = {path, false};
        return nextFd_++;
    }
    int close(int fd) override {
        closed.push_back(fd);
        exclusive_.erase(fd);
        return files.erase(fd) ? 0 : -EBADF;
    }
    int ioctl(int fd, unsigned long request, void* arg) override {
        auto* byte = static_cast<unsigned char*>(arg);
        bool writes = request == PPWDATA || request == PPWCONTROL;
        calls.push_back({fd, request,
                         writes                 ? *byte
                         : request == PPDATADIR ? *static_cast<int*>(arg)
                                                : -1});
        if (!files.count(fd))
            return -EBADF;
        auto& [path, claimed] = files[fd];
        Port& port = ports[path];
        if (request == PPEXCL)
            return exclusive_[fd] = true, 0;
        if (request == PPCLAIM) {
            int err = claimed                ? EINVAL
                      : exclusive_.count(fd) ? port.exclusiveClaimError
                                             : port.sharedClaimError;
            if (err == 0)
                claimed = true, port.control = 0x0C; // the new device's initial state
            return -err;
        }
        if (!claimed)
            return -EINVAL; // ppdev: claim the port first
        switch (request) {
        case PPRELEASE: claimed = false; return 0;
        case PPRDATA: *byte = port.data; break;
        case PPRSTATUS: *byte = port.status; break;
        case PPRCONTROL: *byte = port.control & 0x0F; break;
        case PPWDATA: port.data = *byte; return 0;
        case PPWCONTROL: port.control = *byte & 0x0F; return 0;
        case PPDATADIR: return 0;
        default: return -EINVAL;
        }
        calls.back().value = *byte;
        return 0;
    }
    int ioperm(unsigned long from, unsigned long count, bool on) override {
        ioperms.push_back(on);
        return from != portio::kDataAddr || count != 3 ? -EINVAL : -iopermError;
    }
    int inb(unsigned short port) override { return io.count(port) ? io[port] : 0xFF; }
    void outb(unsigned short port, int value) override { outs.push_back({port, value}); }

private:
    std::map<int, bool> exclusive_;
    int nextFd_ = 3;
};

// /proc and /dev trees under a fresh temporary directory, removed again at the end.
struct Machine {
    std::string root = fs::temp_directory_path() / "portio-XXXXXX";
    portio::Roots roots{mkdtemp(root.data()) + std::string("/proc"), root + "/dev"};
    System system;

    Machine() { fs::create_directories(roots.proc), fs::create_directories(roots.dev); }
    ~Machine() { fs::remove_all(root); }
    std::string node(int n) const { return roots.dev + "/parport" + std::to_string(n); }
    fs::path info(int n) const {
        return fs::path(roots.proc) / "sys/dev/parport" / ("parport" + std::to_string(n));
    }
    // A port the kernel knows, with its /dev node (or none: ppdev not loaded); base 0 leaves
    // base-addr out.
    Port& addPort(int n, unsigned long base, Port port = {}, bool node = true) {
        fs::create_directories(info(n) / "devices");
        if (base)
            std::ofstream(info(n) / "base-addr") << base << '\t' << base + 0x400 << '\n';
        setActive(n, "none");
        if (node)
            std::ofstream(this->node(n)).put('\0');
        return node ? (system.ports[this->node(n)] = port) : (unused_ = port);
    }
    void registerDevice(int n, const std::string& name) {
        fs::create_directories(info(n) / "devices" / name);
    }
    void setActive(int n, const std::string& name) {
        std::ofstream(info(n) / "devices" / "active") << name << '\n';
    }

private:
    Port unused_;
};

} // namespace fake
