// bytescope-cli start-up: standard output that reports its failures, signals that end a command
// cleanly (so that the port is released), then the command line.
#include "cli.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <streambuf>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void requestStop(int signal) {
    stopSignal = signal;
}

// Standard output on its file descriptor, keeping the first error: after it, nothing more is
// written and the stream fails.
class StandardOutput final : public std::streambuf {
public:
    explicit StandardOutput(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }
    int error() const { return error_; }
    void fail(int error) { error_ = error; }

protected:
    int overflow(int c) override {
        if (sync() != 0)
            return traits_type::eof();
        if (c != traits_type::eof())
            sputc(char(c));
        return traits_type::not_eof(c);
    }
    int sync() override {
        for (char* p = pbase(); !error_ && p < pptr();) {
            ssize_t n = ::write(fd_, p, pptr() - p);
            if (n > 0)
                p += n;
            else if (n < 0 && errno == EINTR && !stopSignal)
                continue;
            else
                error_ = n < 0 ? errno : EIO;
        }
        setp(buffer_, buffer_ + sizeof buffer_);
        return error_ ? -1 : 0;
    }

private:
    int fd_;
    int error_ = 0;
    char buffer_[4096];
};

} // namespace

int main(int argc, char** argv) {
    // A descriptor among 0-2 that was closed is taken by /dev/null, so that no port opened later
    // becomes standard output or error; a closed standard output still counts as failed.
    bool outputClosed = false;
    for (int fd = 0; fd <= 2; fd++) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            outputClosed |= fd == 1;
            open("/dev/null", O_RDWR);
        }
    }
    // Without SA_RESTART, a wait in progress ends at once. A signal ignored from the start stays
    // ignored, as it was meant to be (nohup, Ctrl+C and a script's background job).
    struct sigaction stop = {}, before;
    stop.sa_handler = requestStop;
    sigemptyset(&stop.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(signal, &stop, nullptr);
    // A reader that goes away (| head) ends the output, not the program, which still releases
    // the port on its way out.
    std::signal(SIGPIPE, SIG_IGN);

    StandardOutput output(1);
    std::ostream out(&output);
    if (outputClosed) {
        output.fail(EBADF);
        out.setstate(std::ios::badbit);
    }
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    cli::Context context{&portio::linuxSystem(), portio::Roots{}, &stopSignal, 1};
    int status = cli::Run(args, out, std::cerr, context);
    out.flush();
    if (output.error() && (status == cli::kDone || status == cli::kOutputFailed)) {
        if (output.error() == EPIPE) // the reader went away: end quietly, as coreutils do
            return cli::kReaderGone;
        std::cerr << "bytescope-cli: cannot write standard output: "
                  << std::strerror(output.error()) << '\n';
        return cli::kOutputFailed;
    }
    if (stopSignal && status == 128 + stopSignal) {
        // The port is released: now end by the signal itself, so that a shell sees it as such
        // and a script's loop stops at Ctrl+C too.
        std::signal(stopSignal, SIG_DFL);
        std::raise(stopSignal);
    }
    return status;
}
