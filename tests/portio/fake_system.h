// A stand-in machine for the port layer: /proc and /dev trees in a temporary directory, and
// open/ioctl/ioperm/inb/outb answered the way the kernel would for the ports set up here.
#pragma once

// GCC 12 warns inside std::regex's own code when built with the sanitizers.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include "backend.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include <sys/ioctl.h>

#include <linux/ppdev.h>

namespace fake {

namespace fs = std::filesystem;

// One /dev/parportN: the errno of open, of PPCLAIM after PPEXCL and of PPCLAIM alone (0: works).
struct Port {
    int openError = 0, exclusiveError = 0, sharedError = 0;
    unsigned char data = 0x41, status = 0x58, control = 0x00; // BUSY and nACK low
    std::vector<unsigned char> statuses; // read in turn, the last one kept, when given
};

struct File {
    std::string path;
    bool exclusive = false, claimed = false;
};

class System final : public portio::System {
public:
    std::map<std::string, Port> ports;   // by device path
    std::map<int, File> files;           // the open fds
    std::vector<unsigned long> requests; // every ioctl made
    // What went out: " d65" PPWDATA 65, " c14" PPWCONTROL 14, " dir1" PPDATADIR 1, " o888=7" outb;
    // " +io" and " -io": ioperm asked for and given back.
    std::string writes;
    int iopermError = ENOSYS;         // 0: ioperm succeeds
    std::map<unsigned short, int> io; // what inb returns, by address (default 0xFF)

    int access(const std::string& path) override {
        return ports.count(path) ? -ports[path].openError : -ENOENT;
    }
    int open(const std::string& path) override {
        int err = access(path);
        return err ? err : (files[nextFd_] = {path}, nextFd_++);
    }
    int close(int fd) override { return files.erase(fd) ? 0 : -EBADF; }
    int ioctl(int fd, unsigned long request, void* arg) override {
        auto* byte = static_cast<unsigned char*>(arg);
        requests.push_back(request);
        if (!files.count(fd))
            return -EBADF;
        File& file = files[fd];
        Port& port = ports[file.path];
        if (request == PPEXCL)
            return file.exclusive = true, 0;
        if (request == PPCLAIM) {
            int err = file.exclusive ? port.exclusiveError : port.sharedError;
            if (!err)
                file.claimed = true, port.control = 0x0C; // the new device's initial state
            return -err;
        }
        if (!file.claimed)
            return -EINVAL; // ppdev: claim the port first
        switch (request) {
        case PPRELEASE: return file.claimed = false, 0;
        case PPDATADIR: return writes += " dir" + std::to_string(*static_cast<int*>(arg)), 0;
        case PPWDATA: return writes += " d" + std::to_string(port.data = *byte), 0;
        case PPWCONTROL:
            return writes += " c" + std::to_string(*byte), port.control = *byte & 15, 0;
        case PPRDATA: return *byte = port.data, 0;
        case PPRCONTROL: return *byte = port.control, 0;
        default:
            if (!port.statuses.empty())
                port.status = port.statuses.front();
            if (port.statuses.size() > 1)
                port.statuses.erase(port.statuses.begin());
            return *byte = port.status, 0;
        }
    }
    int ioperm(unsigned long from, unsigned long count, bool on) override {
        writes += on ? " +io" : " -io";
        return from != portio::kDataAddr || count != 3 ? -EINVAL : -iopermError;
    }
    int inb(unsigned short port) override { return io.count(port) ? io[port] : 0xFF; }
    void outb(unsigned short port, int value) override {
        writes += " o" + std::to_string(port) + "=" + std::to_string(value);
    }

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
    std::string expand(const std::string& text) const { // "{dev}" stands for roots.dev
        return std::regex_replace(text, std::regex("\\{dev\\}"), roots.dev);
    }

    // Sets the machine up, word by word: "N@BASE" a port the kernel knows (BASE 0: no base-addr)
    // with its /dev node; after it "nonode" (ppdev not loaded), "open=E", "excl=E", "shared=E"
    // (errno names: how open and the claims fail), "+DEV" (a registered device), "*DEV" (the one
    // holding it); and "root" (ioperm works), "eperm",
    // "io=HEX,HEX,HEX" (what inb reads at 888..890), "status=HEX,..." (the status bytes read in
    // turn), "noproc" and "nodev" (/proc or /dev missing).
    void build(const std::string& description) {
        std::istringstream words(description);
        std::string node;
        fs::path info;
        for (std::string w; words >> w;) {
            std::string key = w.substr(0, w.find_first_of("=@+*"));
            std::string value = w.substr(std::min(w.size(), key.size() + 1));
            if (w.find('@') != std::string::npos) { // base-addr: the base and the ECP base
                node = roots.dev + "/parport" + key;
                info = fs::path(roots.proc) / "sys/dev/parport" / ("parport" + key);
                fs::create_directories(info / "devices");
                if (std::stoul(value))
                    std::ofstream(info / "base-addr") << value << "\t0\n";
                std::ofstream(info / "devices/active") << "none\n";
                std::ofstream(node).put('\0');
                system.ports[node] = {};
            } else if (w == "nonode") {
                fs::remove(node), system.ports.erase(node);
            } else if (key.empty()) { // +DEV, *DEV
                fs::create_directories(info / "devices" / value);
                if (w[0] == '*')
                    std::ofstream(info / "devices/active") << value << '\n';
            } else if (w == "root" || w == "eperm") {
                system.iopermError = w == "root" ? 0 : EPERM;
            } else if (w == "noproc" || w == "nodev") {
                fs::remove_all(w == "noproc" ? roots.proc : roots.dev);
            } else if (key == "status") {
                for (size_t i = 0; i < value.size(); i += 3)
                    system.ports[node].statuses.push_back(
                        std::stoi(value.substr(i, 2), nullptr, 16));
            } else if (key == "io") {
                for (int i = 0; i < 3; i++)
                    system.io[888 + i] = std::stoi(value.substr(i * 3, 2), nullptr, 16);
            } else { // open=E, excl=E, shared=E
                Port& port = system.ports[node];
                int& err = key == "open"   ? port.openError
                           : key == "excl" ? port.exclusiveError
                                           : port.sharedError;
                for (err = 1;
                     err < 200 && value != (strerrorname_np(err) ? strerrorname_np(err) : "");)
                    err++;
            }
        }
    }
};

} // namespace fake
