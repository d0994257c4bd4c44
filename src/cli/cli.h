// bytescope-cli: the port's registers from the command line, over the same port layer, masks
// and log formatting as the window program.
#pragma once

#include "backend.h"
#include "sample.h"

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

// Exit statuses. A command ended by a signal exits 128 + its number (130 for SIGINT, 143 for
// SIGTERM); when the reader of standard output has gone, 141, as if SIGPIPE had ended it.
inline constexpr int kDone = 0;
inline constexpr int kNoPort = 1;       // the port cannot be used
inline constexpr int kUsageError = 2;   // a usage error or a refused value: nothing opened
inline constexpr int kTimedOut = 3;     // a wait without the events it was asked for
inline constexpr int kOutputFailed = 4; // standard output or the trace file could not be written
inline constexpr int kReaderGone = 128 + SIGPIPE;

// What the commands run against: the machine's calls and where to look for its ports, and the
// number of the signal that asked the command to stop (0 while none has).
struct Context {
    portio::System* system;
    portio::Roots roots;
    const volatile std::sig_atomic_t* stop;
    // Standard output's file descriptor, watched while a command waits, so that a reader that
    // went away ends it at once; -1 to watch nothing.
    int outputFd = -1;
};

// Runs one command line (without the program name) and returns its exit status. When `out`
// fails, the status is kOutputFailed and the caller, who knows why, says so.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const Context& context);

// A pulse on the register `write` (WRITE_DATA or WRITE_CONTROL): `value`, held `widthNs`, then
// `rest`, through _outp. Returns the time from the one write to the other in nanoseconds. A stop
// request shortens the hold; the rest value is written all the same.
long long Pulse(int write, int value, int rest, long long widthNs, const Context& context);

} // namespace cli
