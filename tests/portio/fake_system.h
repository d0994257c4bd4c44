// A stand-in machine for the port layer: /proc and /dev trees in a temporary directory, and
// open/ioctl/ioperm/inb/outb answered the way the kernel would for the ports set up here.
#pragma once

#include "backend.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
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

struct File {
    std::string path;
    bool exclusive = false, claimed = false;
    bool operator==(const File&) const = default;
};

class System final : public portio::System {
public:
    std::map<std::string, Port> ports; // by device path
    std::map<int, File> files;         // the open fds
    std::vector<Call> calls;
    std::vector<std::string> opened;
    std::vector<int> closed;
    int iopermError = ENOSYS; // 0: ioperm succeeds
    std::vector<bool> ioperms;
    std::map<unsigned short, int> io; // what inb returns, by address (default 0xFF)
    std::vector<std::pair<unsigned short, int>> outs;

    int access(const std::string& path) override {
        return ports.count(path) ? -ports[path].openError : -ENOENT;
    }
    int open(const std::string& path) override {
        opened.push_back(path);
        if (int err = access(path))
            return err;
        files[nextFd_] = {path};
        return nextFd_++;
    }
    int close(int fd) override {
        closed.push_back(fd);
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
        File& file = files[fd];
        Port& port = ports[file.path];
        int err = file.claimed     ? EINVAL
                  : file.exclusive ? port.exclusiveClaimError
                                   : port.sharedClaimError;
        if (request == PPEXCL || request == PPCLAIM) {
            file.exclusive |= request == PPEXCL;
            if (request == PPCLAIM && !err)
                file.claimed = true, port.control = 0x0C; // the new device's initial state
            return request == PPCLAIM ? -err : 0;
        }
        if (!file.claimed)
            return -EINVAL; // ppdev: claim the port first
        unsigned char* reg = request == PPRDATA || request == PPWDATA         ? &port.data
                             : request == PPRCONTROL || request == PPWCONTROL ? &port.control
                                                                              : &port.status;
        if (request == PPRELEASE)
            file.claimed = false;
        else if (writes)
            *reg = *byte & (request == PPWCONTROL ? 0x0F : 0xFF);
        else if (request != PPDATADIR)
            calls.back().value = *byte = *reg;
        return 0;
    }
    int ioperm(unsigned long from, unsigned long count, bool on) override {
        ioperms.push_back(on);
        return from != portio::kDataAddr || count != 3 ? -EINVAL : -iopermError;
    }
    int inb(unsigned short port) override { return io.count(port) ? io[port] : 0xFF; }
    void outb(unsigned short port, int value) override { outs.push_back({port, value}); }

private:
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

    // Sets the machine up from a description, one word at a time: "N@BASE" a port the kernel
    // knows (BASE 0: no base-addr) with its /dev node; after it "nonode" (ppdev not loaded),
    // "open=E", "excl=E", "shared=E" (errno names: how open and the claims fail), "+DEV" (a
    // registered device), "*DEV" (the one holding it), "modes=M", "data=HEX", "status=HEX";
    // and "root" (ioperm works), "eperm", "io=HEX,HEX,HEX" (what inb reads at 888..890),
    // "noproc" and "nodev" (/proc or /dev missing). Returns the last port named.
    Port& build(const std::string& description) {
        static const std::map<std::string, int> errors = {{"ENXIO", ENXIO},
                                                          {"EBUSY", EBUSY},
                                                          {"EACCES", EACCES},
                                                          {"EIO", EIO},
                                                          {"ETIMEDOUT", ETIMEDOUT}};
        std::istringstream words(description);
        for (std::string w; words >> w;) {
            std::string value = w.substr(w.find_first_of("=@+*") + 1);
            fs::path devices = info(n_) / "devices";
            if (w.find('@') != std::string::npos) { // base-addr: the base and the ECP base
                fs::create_directories(info(n_ = std::stoi(w)) / "devices");
                if (std::stoul(value))
                    std::ofstream(info(n_) / "base-addr") << value << "\t0\n";
                std::ofstream(info(n_) / "devices/active") << "none\n";
                std::ofstream(node(n_)).put('\0');
                system.ports[node(n_)] = {};
            } else if (w == "nonode") {
                fs::remove(node(n_)), system.ports.erase(node(n_));
            } else if (w[0] == '+' || w[0] == '*') {
                fs::create_directories(devices / value);
                if (w[0] == '*')
                    std::ofstream(devices / "active") << value << '\n';
            } else if (w == "root" || w == "eperm") {
                system.iopermError = w == "root" ? 0 : EPERM;
            } else if (w == "noproc" || w == "nodev") {
                fs::remove_all(w == "noproc" ? roots.proc : roots.dev);
            } else {
                std::string key = w.substr(0, w.find('='));
                Port& port = system.ports[node(n_)];
                if (key == "data" || key == "status")
                    (key == "data" ? port.data : port.status) = std::stoi(value, nullptr, 16);
                else if (key == "io") // the raw bytes at 888, 889, 890 for inb
                    for (int i = 0; i < 3; i++)
                        system.io[888 + i] = std::stoi(value.substr(i * 3, 2), nullptr, 16);
                else if (key == "modes")
                    std::ofstream(info(n_) / "modes") << value << '\n';
                else // open=, excl=, shared=
                    (key == "open"   ? port.openError
                     : key == "excl" ? port.exclusiveClaimError
                                     : port.sharedClaimError) = errors.at(value);
            }
        }
        return system.ports[node(n_)];
    }

private:
    int n_ = 0; // the port the words after N@BASE describe
};

} // namespace fake
