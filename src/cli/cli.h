// bytescope-cli: the port's registers from the command line, over the same port layer, masks,
// log formatting and entry rules as the window program.
#pragma once

#include "backend.h"
#include "sample.h"

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

// What the commands run against: the machine's calls and where to look for its ports, and a
// flag that Ctrl+C sets.
struct Context {
    portio::System* system;
    portio::Roots roots;
    const volatile std::sig_atomic_t* stop;
};

// Runs one command line (without the program name). Returns the exit status: 0 done, 1 the port
// cannot be used, 2 a usage error or a refused value, 130 a read cut short by Ctrl+C.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const Context& context);

} // namespace cli
