// The real system calls behind portio::System.
#include "backend.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif

namespace portio {

namespace {

int result(int r) {
    return r < 0 ? -errno : r;
}

class LinuxSystem final : public System {
public:
    int open(const std::string& path) override {
        return result(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    }
    int close(int fd) override { return result(::close(fd)); }
    int ioctl(int fd, unsigned long request, void* arg) override {
        return result(::ioctl(fd, request, arg));
    }
#if defined(__x86_64__) || defined(__i386__)
    int ioperm(unsigned long from, unsigned long count, bool on) override {
        return result(::ioperm(from, count, on ? 1 : 0));
    }
    int inb(unsigned short port) override {
        return ::inb(port);
    }
    void outb(unsigned short port, int value) override {
        ::outb(static_cast<unsigned char>(value), port);
    }
#else
    int ioperm(unsigned long, unsigned long, bool) override {
        return -ENOSYS;
    }
    int inb(unsigned short) override {
        return 0xFF;
    }
    void outb(unsigned short, int) override {}
#endif
};

} // namespace

System& linuxSystem() {
    static System* const system = new LinuxSystem;
    return *system;
}

} // namespace portio
