// bytescope-cli start-up: Ctrl+C and friends end a command cleanly, so that the port is
// released; then the command line runs.
#include "cli.h"

#include <csignal>
#include <iostream>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

} // namespace

int main(int argc, char** argv) {
    // Without SA_RESTART, a sleep in progress ends at once.
    struct sigaction stop = {};
    stop.sa_handler = requestStop;
    sigemptyset(&stop.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &stop, nullptr);
    // A reader that goes away (| head) ends the output, not the program, which still releases
    // the port on its way out.
    std::signal(SIGPIPE, SIG_IGN);

    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    cli::Context context{&portio::linuxSystem(), portio::Roots{}, &stopRequested};
    int status = cli::Run(args, std::cout, std::cerr, context);
    std::cout.flush();
    return status;
}
