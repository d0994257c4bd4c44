// A stand-in machine for the port layer: /proc and /dev trees in a temporary directory, and
// open/ioctl/ioperm/inb/outb answered the way the kernel would for the ports set up here.
#pragma once

#include "backend.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/ioctl.h>

#include <linux/ppdev.h>

namespace fake {

namespace fs = std::filesystem;

// One /dev/parportN as ppdev would answer for it.
struct Port {
    int openError = 0;           // errno from open, 0 = it opens
    int exclusiveClaimError = 0; // errno from PPCLAIM after PPEXCL (ENXIO: another driver is on it)
    int sharedClaimError = 0;    // errno from PPCLAIM without PPEXCL
    unsigned char data = 0x00;
    unsigned char status = 0x78;
    unsigned char control = 0x00; // the kernel's copy of the four output lines
    int reverse = 0;              // the last PPDATADIR
};

// One call the code under test made, with the byte or int it passed or got back.
struct Call {
    int fd;
    unsigned long request;
    int value; // -1 when the request carries no value
    bool operator==(const Call&) const = default;
};

class System final : public portio::System {
public:
    std::map<std::string, Port> ports; // by device path
    std::vector<Call> calls;           // every ioctl, in order
    std::vector<std::string> opened;   // every path passed to open, in order
    std::vector<int> closed;           // every fd passed to close, in order
    int iopermError = ENOSYS;          // 0: ioperm succeeds
    std::vector<bool> ioperms;         // the `on` of every ioperm call
    std::map<unsigned short, int> io;  // what inb returns, by address
    std::vector<unsigned short> ins;   // every address passed to inb
    std::vector<std::pair<unsigned short, int>> outs;

    int open(const std::string& path) override {
        opened.push_back(path);
        auto it = ports.find(path);
        if (it == ports.end())
            return -ENOENT;
        if (it->second.openError)
            return -it->second.openError;
        files_[nextFd_] = {path};
        return nextFd_++;
    }
    int close(int fd) override {
        closed.push_back(fd);
        return files_.erase(fd) ? 0 : -EBADF;
    }
    int ioctl(int fd, unsigned long request, void* arg) override {
        int value = -1;
        if (request == PPWDATA || request == PPWCONTROL)
            value = *static_cast<unsigned char*>(arg);
        else if (request == PPDATADIR)
            value = *static_cast<int*>(arg);
        calls.push_back({fd, request, value});
        auto it = files_.find(fd);
        if (it == files_.end())
            return -EBADF;
        File& file = it->second;
        Port& port = ports[file.path];
        if (request == PPEXCL) {
            file.exclusive = true;
            return 0;
        }
        if (request == PPCLAIM) {
            if (file.claimed)
                return -EINVAL;
            int err = file.exclusive ? port.exclusiveClaimError : port.sharedClaimError;
            if (err)
                return -err;
            file.claimed = true;
            port.control = 0x0C; // the new device's initial state
            return 0;
        }
        if (!file.claimed)
            return -EINVAL; // ppdev: claim the port first
        auto* byte = static_cast<unsigned char*>(arg);
        switch (request) {
        case PPRELEASE: file.claimed = false; return 0;
        case PPRDATA: *byte = port.data; break;
        case PPRSTATUS: *byte = port.status; break;
        case PPRCONTROL: *byte = port.control & 0x0F; break;
        case PPWDATA: port.data = *byte; return 0;
        case PPWCONTROL: port.control = *byte & 0x0F; return 0;
        case PPDATADIR: port.reverse = *static_cast<int*>(arg); return 0;
        default: return -EINVAL;
        }
        calls.back().value = *byte;
        return 0;
    }
    int ioperm(unsigned long from, unsigned long count, bool on) override {
        ioperms.push_back(on);
        if (from != portio::kDataAddr || count != 3)
            return -EINVAL;
        return iopermError ? -iopermError : 0;
    }
    int inb(unsigned short port) override {
        ins.push_back(port);
        auto it = io.find(port);
        return it == io.end() ? 0xFF : it->second;
    }
    void outb(unsigned short port, int value) override { outs.push_back({port, value}); }

    // The fds open now, i.e. opened and not yet closed.
    std::vector<int> openFds() const {
        std::vector<int> fds;
        for (const auto& [fd, file] : files_)
            fds.push_back(fd);
        return fds;
    }
    bool claimed(int fd) const {
        auto it = files_.find(fd);
        return it != files_.end() && it->second.claimed;
    }
    std::string pathOf(int fd) const {
        auto it = files_.find(fd);
        return it == files_.end() ? "" : it->second.path;
    }

private:
    struct File {
        std::string path;
        bool exclusive = false;
        bool claimed = false;
    };
    std::map<int, File> files_;
    int nextFd_ = 3;
};

// /proc and /dev trees under a fresh temporary directory, removed again at the end.
class Machine {
public:
    Machine() {
        std::string pattern = (fs::temp_directory_path() / "portio-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary directory");
        root_ = pattern;
        roots.proc = root_ + "/proc";
        roots.dev = root_ + "/dev";
        fs::create_directories(roots.proc);
        fs::create_directories(roots.dev);
    }
    ~Machine() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    portio::Roots roots;
    System system;

    std::string node(int n) const { return roots.dev + "/parport" + std::to_string(n); }
    fs::path info(int n) const {
        return fs::path(roots.proc) / "sys/dev/parport" / ("parport" + std::to_string(n));
    }

    // A port the kernel knows, with its /dev node; base 0 leaves base-addr out.
    Port& addPort(int n, unsigned long base, Port port = {}) {
        std::ofstream(node(n)).put('\0');
        addKernelPort(n, base);
        return system.ports[node(n)] = port;
    }
    // A port in /proc only (ppdev not loaded).
    void addKernelPort(int n, unsigned long base) {
        fs::create_directories(info(n) / "devices");
        if (base)
            std::ofstream(info(n) / "base-addr") << base << '\t' << base + 0x400 << '\n';
        setActive(n, "none");
    }
    void registerDevice(int n, const std::string& name) {
        fs::create_directories(info(n) / "devices" / name);
    }
    void setActive(int n, const std::string& name) {
        std::ofstream(info(n) / "devices" / "active") << name << '\n';
    }

private:
    std::string root_;
};

} // namespace fake
