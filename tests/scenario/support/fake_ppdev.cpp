// A parallel port behind the program's real ppdev backend, for the scenario: loaded with
// LD_PRELOAD, it shows the program one port, /dev/parport0 at base 888, and answers the ppdev
// ioctls on it as an SPP port would, writing down every register access.
//
// SCENARIO_PORT_DIR names a folder for the stand-in's files: dev/parport0 and
// proc/sys/dev/parport/parport0/base-addr, which the paths /dev and /proc/sys/dev/parport are
// turned to, and access.log, with one line an access in the InpOut32 stand-in's format
// ("in 0378 ff", "out 037a 0e") and "claim", "release", "dir N" for the other ioctls.
// As in the InpOut32 stand-in, data and status read 0xFF until written (status never is). As the
// kernel does, the first claim loads the fresh device state (control 0x0C), and control keeps and
// reads back its four output lines only.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <linux/ppdev.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int portFd = -1;
bool claimed = false;
unsigned char data = 0xFF, control = 0xFF;
const unsigned char status = 0xFF;

template <typename Fn> Fn real(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

void writeFile(const std::string& path, const char* text) {
    if (FILE* f = real<FILE* (*)(const char*, const char*)>("fopen")(path.c_str(), "w")) {
        std::fputs(text, f);
        std::fclose(f);
    }
}

// The stand-in's folder, made on first use (whatever runs first: the program's or a library's
// static initialisers may open files before this library's own are done); empty without one.
const std::string& folder() {
    static const std::string dir = [] {
        const char* d = std::getenv("SCENARIO_PORT_DIR");
        std::string root = d ? d : "";
        if (root.empty())
            return root;
        std::string info = root + "/proc/sys/dev/parport/parport0";
        for (const std::string& sub :
             {root + "/dev", root + "/proc", root + "/proc/sys", root + "/proc/sys/dev",
              root + "/proc/sys/dev/parport", info})
            mkdir(sub.c_str(), 0755);
        writeFile(root + "/dev/parport0", "");
        writeFile(info + "/base-addr", "888\t1912\n");
        return root;
    }();
    return dir;
}

void record(const char* format, ...) {
    if (FILE* f = real<FILE* (*)(const char*, const char*)>("fopen")(
            (folder() + "/access.log").c_str(), "a")) {
        va_list args;
        va_start(args, format);
        std::vfprintf(f, format, args);
        va_end(args);
        std::fputc('\n', f);
        std::fclose(f);
    }
}

bool startsWith(const char* path, const char* prefix) {
    size_t n = std::strlen(prefix);
    return !std::strncmp(path, prefix, n) && (path[n] == '\0' || path[n] == '/');
}

// The two places the port is looked for, in the stand-in's folder; every other path as it is.
std::string mapped(const char* path) {
    const std::string& dir = folder();
    if (dir.empty() || !path)
        return path ? path : "";
    if (!std::strcmp(path, "/dev") || !std::strncmp(path, "/dev/parport", 12) ||
        startsWith(path, "/proc/sys/dev/parport"))
        return dir + path;
    return path;
}

bool isPort(const char* path) {
    return !folder().empty() && path && !std::strcmp(path, "/dev/parport0");
}

int opened(const char* path, int fd) {
    if (isPort(path) && fd >= 0)
        portFd = fd;
    return fd;
}

int byteIoctl(unsigned long request, unsigned char* byte) {
    switch (request) {
    case PPRDATA:
        *byte = data;
        record("in 0378 %02x", data);
        return 0;
    case PPWDATA:
        data = *byte;
        record("out 0378 %02x", data);
        return 0;
    case PPRSTATUS:
        *byte = status;
        record("in 0379 %02x", status);
        return 0;
    case PPRCONTROL:
        *byte = control & 0x0F;
        record("in 037a %02x", control & 0x0F);
        return 0;
    case PPWCONTROL:
        control = *byte & 0x0F;
        record("out 037a %02x", *byte);
        return 0;
    default: errno = ENOTTY; return -1;
    }
}

int portIoctl(unsigned long request, void* arg) {
    switch (request) {
    case PPEXCL: return 0;
    case PPCLAIM:
        if (!claimed)
            control = 0x0C;
        claimed = true;
        record("claim");
        return 0;
    case PPRELEASE: record("release"); return 0;
    case PPDATADIR: record("dir %d", *static_cast<int*>(arg)); return 0;
    default: return byteIoctl(request, static_cast<unsigned char*>(arg));
    }
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = va_arg(args, mode_t);
    va_end(args);
    return opened(path,
                  real<int (*)(const char*, int, ...)>("open")(mapped(path).c_str(), flags, mode));
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = va_arg(args, mode_t);
    va_end(args);
    return opened(
        path, real<int (*)(const char*, int, ...)>("open64")(mapped(path).c_str(), flags, mode));
}

int openat(int at, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = va_arg(args, mode_t);
    va_end(args);
    return opened(path, real<int (*)(int, const char*, int, ...)>("openat")(
                            at, mapped(path).c_str(), flags, mode));
}

FILE* fopen(const char* path, const char* mode) {
    return real<FILE* (*)(const char*, const char*)>("fopen")(mapped(path).c_str(), mode);
}

FILE* fopen64(const char* path, const char* mode) {
    return real<FILE* (*)(const char*, const char*)>("fopen64")(mapped(path).c_str(), mode);
}

int ioctl(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    if (fd >= 0 && fd == portFd)
        return portIoctl(request, arg);
    return real<int (*)(int, unsigned long, ...)>("ioctl")(fd, request, arg);
}

int close(int fd) {
    if (fd >= 0 && fd == portFd)
        portFd = -1;
    return real<int (*)(int)>("close")(fd);
}
}
