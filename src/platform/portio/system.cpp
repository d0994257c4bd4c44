// The real system calls behind portio::System.
#include "backend.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif

#include <linux/ppdev.h>

#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

namespace portio {

namespace {

int result(int r) {
    return r < 0 ? -errno : r;
}

void interrupted(int) {}

long long nowMs() {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000LL + t.tv_nsec / 1000000;
}

class LinuxSystem final : public System {
public:
    int open(const std::string& path) override {
        return result(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    }
    int access(const std::string& path) override {
        return result(::faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS));
    }
    int close(int fd) override { return result(::close(fd)); }
    int ioctl(int fd, unsigned long request, void* arg) override {
        if (request == PPCLAIM)
            return withTimeLimit(kClaimTimeLimitMs,
                                 [&] { return result(::ioctl(fd, request, arg)); });
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

int withTimeLimit(int milliseconds, const std::function<int()>& call) {
    const int signal = SIGRTMIN;
    // No SA_RESTART: the blocked call must come back with EINTR.
    struct sigaction quiet = {}, previous;
    quiet.sa_handler = interrupted;
    sigemptyset(&quiet.sa_mask);
    if (sigaction(signal, &quiet, &previous) != 0)
        return -errno;
    sigset_t only, mask;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, &mask);

    // Aimed at this thread alone, and repeated every 20 ms after the first expiry, so that a
    // signal arriving just before the call starts to wait cannot leave it waiting.
    struct sigevent event = {};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = signal;
    event.sigev_notify_thread_id = gettid();
    timer_t timer;
    int r;
    if (timer_create(CLOCK_MONOTONIC, &event, &timer) != 0) {
        r = -errno; // without a bound the call is not made at all
    } else {
        struct itimerspec when = {};
        when.it_value.tv_sec = milliseconds / 1000;
        when.it_value.tv_nsec = (milliseconds % 1000) * 1000000L + 1;
        when.it_interval.tv_nsec = 20 * 1000000L;
        const long long deadline = nowMs() + milliseconds;
        timer_settime(timer, 0, &when, nullptr);
        do {
            r = call();
            // Another signal may interrupt it too: only the deadline ends the wait.
            if (r == -EINTR && nowMs() >= deadline)
                r = -ETIMEDOUT;
        } while (r == -EINTR);
        // Blocked, the timer gone and its queued signals taken, the old handler cannot see one.
        pthread_sigmask(SIG_BLOCK, &only, nullptr);
        timer_delete(timer);
        struct timespec zero = {};
        while (sigtimedwait(&only, nullptr, &zero) == signal) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    sigaction(signal, &previous, nullptr);
    return r;
}

System& linuxSystem() {
    static System* const system = new LinuxSystem;
    return *system;
}

} // namespace portio
