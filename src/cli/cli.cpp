#include "cli.h"

#include "entry.h"
#include "port.h"
#include "portio.h"
#include "readlog.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <optional>

namespace cli {

namespace {

const char kUsage[] = "usage: bytescope-cli [--port /dev/parportN|direct|simulated] "
                      "read|write|pulse|watch|pins|ports [ARGS] (--help for more)";

const char kHelp[] = R"(usage: bytescope-cli [--port PORT] COMMAND [ARGS]

  --port PORT   /dev/parportN, direct (I/O at 0x378, needs root) or simulated;
                without it, the port the window program would use

Commands:
  read [--count N] [--interval MS] [--csv | --json]
                N readings (default 1), MS milliseconds apart (default 0):
                time, then data, status and control in binary and in decimal
  write data|control VALUE
                write VALUE (decimal, or eight binary digits), then take a reading
  pulse data|control VALUE [--width MS] [--rest VALUE]
                write VALUE, hold it MS milliseconds (default 10), then write the
                rest value (default 0 for data, the value before the pulse for control)
  watch [--interval US] [--duration S]
                sample every US microseconds (default 1000, 0 = as fast as possible)
                and print each change, until Ctrl+C or S seconds have passed
  pins          every DB-25 pin: signal, direction, register bit, level now
  ports         the machine's parallel ports and USB printer adapters, and the port
                Bytescope would use; touches no port
)";

// Exit statuses.
constexpr int kDone = 0, kNoPort = 1, kUsageError = 2, kInterrupted = 130;

// A usage error: one line on standard error.
struct UsageError {
    std::string text = kUsage;
};

// The arguments after the command, taken off one by one.
class Args {
public:
    Args(const std::vector<std::string>& args, size_t from) : args_(args), next_(from) {}
    bool done() const { return next_ >= args_.size(); }
    const std::string& peek() const { return args_[next_]; }
    std::string take() {
        if (done())
            throw UsageError{};
        return args_[next_++];
    }
    // A whole number in [min, max] after the option `name`.
    long long number(const std::string& name, long long min, long long max) {
        std::string text = take();
        errno = 0;
        char* end = nullptr;
        long long value = std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
            errno != 0 || *end != '\0' || value < min || value > max)
            throw UsageError{"bytescope-cli: " + name + " takes a whole number from " +
                             std::to_string(min) + " to " + std::to_string(max) + ", not \"" +
                             text + "\""};
        return value;
    }
    void end() {
        if (!done())
            throw UsageError{};
    }

private:
    const std::vector<std::string>& args_;
    size_t next_;
};

int registerOf(const std::string& name) {
    if (name == "data")
        return WRITE_DATA;
    if (name == "control")
        return WRITE_CONTROL;
    throw UsageError{};
}

// The write dialog's rules for `text` on the register `write`, without writing.
std::optional<int> entryValue(int write, const std::string& text) {
    WRITE = write;
    SetInput(text.c_str());
    if (ParseInput() != 0)
        return std::nullopt;
    return Output;
}

struct timespec now(clockid_t clock) {
    struct timespec t;
    clock_gettime(clock, &t);
    return t;
}

struct timespec later(struct timespec t, long long nanoseconds) {
    nanoseconds += t.tv_nsec;
    t.tv_sec += nanoseconds / 1000000000;
    t.tv_nsec = nanoseconds % 1000000000;
    return t;
}

long long nanosBetween(const struct timespec& a, const struct timespec& b) {
    return (b.tv_sec - a.tv_sec) * 1000000000LL + (b.tv_nsec - a.tv_nsec);
}

// Sleeps until `deadline` on the monotonic clock; false when a stop request cut it short.
bool sleepUntil(const struct timespec& deadline, const Context& context) {
    while (!*context.stop) {
        int r = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
        if (r == 0)
            return true;
        if (r != EINTR)
            return false;
    }
    return false;
}

enum class Format { Plain, Csv, Json };

// The registers just read, formatted as the log formats them, stamped with the time of day.
data reading(int digits) {
    data record{};
    Format_Registers(&record);
    struct timespec t = now(CLOCK_REALTIME);
    Format_Clock(record.data_entry, sizeof record.data_entry, t.tv_sec, t.tv_nsec, digits);
    return record;
}

void printReading(std::ostream& out, const data& r, Format format) {
    switch (format) {
    case Format::Plain:
        out << r.data_entry << ' ' << r.DB << ' ' << r.DD << ' ' << r.SB << ' ' << r.SD << ' '
            << r.CB << ' ' << r.CD << '\n';
        break;
    case Format::Csv:
        out << r.data_entry << ',' << r.DB << ',' << r.DD << ',' << r.SB << ',' << r.SD << ','
            << r.CB << ',' << r.CD << '\n';
        break;
    case Format::Json:
        out << "{\"time\":\"" << r.data_entry << "\",\"data_binary\":\"" << r.DB
            << "\",\"data\":" << r.DD << ",\"status_binary\":\"" << r.SB << "\",\"status\":" << r.SD
            << ",\"control_binary\":\"" << r.CB << "\",\"control\":" << r.CD << "}\n";
        break;
    }
}

// Puts the port chosen by --port (or the window program's choice) under _inp/_outp and says
// which it is. False, with the reason and the fix said, when it cannot be used.
bool openPort(const std::string& port, const Context& context, std::ostream& err) {
    portio::Choice choice;
    if (port.empty())
        choice = portio::choose(*context.system, context.roots);
    else if (port == "direct")
        choice = portio::chooseDirect(*context.system);
    else if (port == "simulated")
        choice = {std::make_unique<portio::SimulatedBackend>(),
                  "Simulated port: chosen with --port simulated", "Simulated port"};
    else
        choice = portio::chooseNode(*context.system, context.roots, port);
    if (!choice.backend) {
        err << "bytescope-cli: " << choice.status << '\n';
        return false;
    }
    portio::install(std::move(choice));
    err << "bytescope-cli: " << PortIO_Status() << '\n';
    return true;
}

using Opener = std::function<bool()>;

int readCommand(Args& args, const Opener& open, std::ostream& out, const Context& context) {
    long long count = 1, intervalMs = 0;
    Format format = Format::Plain;
    while (!args.done()) {
        std::string option = args.take();
        if (option == "--count")
            count = args.number(option, 1, 1000000000);
        else if (option == "--interval")
            intervalMs = args.number(option, 0, 86400000);
        else if ((option == "--csv" || option == "--json") && format == Format::Plain)
            format = option == "--csv" ? Format::Csv : Format::Json;
        else
            throw UsageError{};
    }
    if (!open())
        return kNoPort;
    if (format == Format::Csv)
        out << "time,data_binary,data,status_binary,status,control_binary,control\n";
    struct timespec next = now(CLOCK_MONOTONIC);
    for (long long n = 0; n < count; n++) {
        if (n > 0 && !sleepUntil(next = later(next, intervalMs * 1000000), context))
            return kInterrupted;
        Read_Registers();
        printReading(out, reading(3), format);
        out.flush();
    }
    return kDone;
}

// A refused value is said as the write dialog says it, and nothing is opened or written.
int refused(const std::string& text, std::ostream& err) {
    err << "INVALID ENTRY: " << text << '\n';
    return kUsageError;
}

int writeCommand(Args& args, const Opener& open, std::ostream& out, std::ostream& err) {
    int write = registerOf(args.take());
    std::string text = args.take();
    args.end();
    std::optional<int> value = entryValue(write, text);
    if (!value)
        return refused(text, err);
    if (!open())
        return kNoPort;
    WRITE = write;
    Output = *value;
    WritePort();
    Read_Registers();
    printReading(out, reading(3), Format::Plain);
    return kDone;
}

int pulseCommand(Args& args, const Opener& open, std::ostream& out, std::ostream& err,
                 const Context& context) {
    int write = registerOf(args.take());
    std::string text = args.take();
    std::optional<std::string> restText;
    long long widthMs = 10;
    while (!args.done()) {
        std::string option = args.take();
        if (option == "--width")
            widthMs = args.number(option, 0, 60000);
        else if (option == "--rest")
            restText = args.take();
        else
            throw UsageError{};
    }
    std::optional<int> value = entryValue(write, text);
    if (!value)
        return refused(text, err);
    std::optional<int> rest = write == WRITE_DATA ? 0 : -1;
    if (restText && !(rest = entryValue(write, *restText)))
        return refused(*restText, err);
    if (!open())
        return kNoPort;
    if (*rest < 0) { // control: back to what it was
        Read_Registers();
        rest = control_reg;
    }
    WRITE = write;
    Output = *value;
    WritePort();
    struct timespec start = now(CLOCK_MONOTONIC);
    // Ctrl+C shortens the pulse; the rest value is written all the same.
    sleepUntil(later(start, widthMs * 1000000), context);
    Output = *rest;
    WritePort();
    struct timespec end = now(CLOCK_MONOTONIC);
    char held[64];
    std::snprintf(held, sizeof held, "held %.3f ms\n", nanosBetween(start, end) / 1e6);
    out << held;
    return kDone;
}

int watchCommand(Args& args, const Opener& open, std::ostream& out, const Context& context) {
    long long intervalUs = 1000, durationS = -1;
    while (!args.done()) {
        std::string option = args.take();
        if (option == "--interval")
            intervalUs = args.number(option, 0, 60000000);
        else if (option == "--duration")
            durationS = args.number(option, 0, 31536000);
        else
            throw UsageError{};
    }
    if (!open())
        return kNoPort;
    Sampler sampler;
    long long samples = 0, changes = 0;
    const struct timespec start = now(CLOCK_MONOTONIC);
    const struct timespec end = later(start, durationS * 1000000000);
    struct timespec next = start, t = start;
    while (!*context.stop && out) {
        bool changed = Sample(sampler);
        samples++;
        if (changed) {
            changes += samples > 1;
            printReading(out, reading(6), Format::Plain);
            out.flush();
        }
        t = now(CLOCK_MONOTONIC);
        if (durationS >= 0 && nanosBetween(end, t) >= 0)
            break;
        next = later(next, intervalUs * 1000);
        if (nanosBetween(next, t) > 0) // behind: no catching up in a burst
            next = t;
        if (durationS >= 0 && nanosBetween(end, next) > 0)
            next = end;
        if (intervalUs > 0 && !sleepUntil(next, context))
            break;
    }
    double seconds = nanosBetween(start, now(CLOCK_MONOTONIC)) / 1e9;
    char summary[128];
    std::snprintf(summary, sizeof summary,
                  "watch: %lld samples, %lld changes in %.3f s (%.0f "
                  "samples/s)\n",
                  samples, changes, seconds, seconds > 0 ? samples / seconds : 0.0);
    out << summary;
    return kDone;
}

// The DB-25 connector, after the register map: raw register bits, and which the hardware
// inverts between the bit and the pin.
struct Pin {
    int number;
    const char* signal;
    unsigned short port; // 0 for ground
    int bit;
    bool inverted;
};
const Pin kPins[] = {
    {1, "nSTROBE", CONTROL_PORT, 0, true},    {2, "D0", DATA_PORT, 0, false},
    {3, "D1", DATA_PORT, 1, false},           {4, "D2", DATA_PORT, 2, false},
    {5, "D3", DATA_PORT, 3, false},           {6, "D4", DATA_PORT, 4, false},
    {7, "D5", DATA_PORT, 5, false},           {8, "D6", DATA_PORT, 6, false},
    {9, "D7", DATA_PORT, 7, false},           {10, "nACK", STATUS_PORT, 6, false},
    {11, "BUSY", STATUS_PORT, 7, true},       {12, "PAPER-OUT", STATUS_PORT, 5, false},
    {13, "SELECT", STATUS_PORT, 4, false},    {14, "nAUTOFD", CONTROL_PORT, 1, true},
    {15, "nERROR", STATUS_PORT, 3, false},    {16, "nINIT", CONTROL_PORT, 2, false},
    {17, "nSELECTIN", CONTROL_PORT, 3, true},
};
constexpr int kDirectionBit = 0x20; // control bit 5: the data lines are inputs

int pinsCommand(Args& args, const Opener& open, std::ostream& out) {
    args.end();
    if (!open())
        return kNoPort;
    const int raw[3] = {_inp(DATA_PORT), _inp(STATUS_PORT), _inp(CONTROL_PORT)};
    for (const Pin& pin : kPins) {
        int value = raw[pin.port - DATA_PORT];
        bool high = ((value >> pin.bit) & 1) != pin.inverted;
        const char* direction = pin.port == STATUS_PORT                             ? "in"
                                : pin.port == DATA_PORT && (raw[2] & kDirectionBit) ? "in"
                                                                                    : "out";
        const char* reg = pin.port == DATA_PORT     ? "data"
                          : pin.port == STATUS_PORT ? "status"
                                                    : "control";
        out << pin.number << ' ' << pin.signal << ' ' << direction << ' ' << reg << ' ' << pin.bit
            << ' ' << (pin.inverted ? "inverted" : "direct") << ' ' << (high ? "high" : "low")
            << '\n';
    }
    for (int number = 18; number <= 25; number++)
        out << number << " GND - - - - ground\n";
    return kDone;
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& w : words)
        text += (text.empty() ? "" : " ") + w;
    return text.empty() ? "none" : text;
}

int portsCommand(Args& args, std::ostream& out, const Context& context) {
    args.end();
    for (const portio::PortReport& p : portio::listPorts(*context.system, context.roots)) {
        char base[24] = "unknown";
        if (p.base)
            std::snprintf(base, sizeof base, "0x%lx", *p.base);
        out << (p.node.empty() ? p.name : p.node) << ": base " << base << ", modes "
            << (p.modes.empty() ? "unknown" : p.modes) << ", devices " << joined(p.devices)
            << ", claimed by " << (p.active.empty() ? "none" : p.active) << ", "
            << (p.problem.empty() ? "usable" : "not usable: " + p.problem) << '\n';
    }
    for (const std::string& node : portio::usbPrinters(context.roots))
        out << node << ": USB printer adapter, no registers - cannot be used by Bytescope\n";
    out << "Bytescope would use " << portio::predictChoice(*context.system, context.roots) << '\n';
    return kDone;
}

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const Context& context) {
    for (const std::string& arg : args) {
        if (arg == "--help") {
            out << kHelp;
            return kDone;
        }
    }
    std::string port;
    size_t next = 0;
    try {
        for (; next < args.size() && args[next].rfind("--port", 0) == 0; next++) {
            if (args[next] == "--port" && next + 1 < args.size())
                port = args[++next];
            else if (args[next].rfind("--port=", 0) == 0)
                port = args[next].substr(7);
            else
                throw UsageError{};
            if (port != "direct" && port != "simulated" && port.rfind('/', 0) != 0)
                throw UsageError{};
        }
        if (next >= args.size())
            throw UsageError{};
        const std::string& command = args[next];
        Args rest(args, next + 1);
        Opener open = [&] { return openPort(port, context, err); };
        int status;
        if (command == "read")
            status = readCommand(rest, open, out, context);
        else if (command == "write")
            status = writeCommand(rest, open, out, err);
        else if (command == "pulse")
            status = pulseCommand(rest, open, out, err, context);
        else if (command == "watch")
            status = watchCommand(rest, open, out, context);
        else if (command == "pins")
            status = pinsCommand(rest, open, out);
        else if (command == "ports")
            status = portsCommand(rest, out, context);
        else
            throw UsageError{};
        portio::install({}); // gives a claimed port back before anything else ends
        return status;
    } catch (const UsageError& e) {
        err << e.text << '\n';
        return kUsageError;
    }
}

} // namespace cli
