#include "cli.h"

#include "args.h"
#include "connector.h"
#include "output.h"
#include "port.h"
#include "portio.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <pthread.h>
#include <sys/prctl.h>

namespace cli {

namespace {

const char kHelp[] = R"(usage: bytescope-cli [OPTIONS] COMMAND [ARGS] [OPTIONS]

Commands:
  read      [--count N] [--interval T]      N readings (default 1), T apart (bare: ms)
  write     data|control VALUE              write VALUE, then take a reading
  pulse     data|control VALUE [--width T] [--rest VALUE]
            write VALUE, hold it T (default 10ms; bare: ms), then the rest value
            (default 0 for data, the value before the pulse for control)
  watch     [--interval T] [--duration T] [--vcd FILE]
            sample every T (default 1000us; bare: us; 0: as fast as possible), print
            each change until a signal or the duration (bare: s); --vcd also writes
            the levels at pins 1-17 as a Value Change Dump
  wait      PIN|SIGNAL rising|falling|either|high|low [--count N] [--timeout T]
            [--interval T]   sample a status input (10 nACK, 11 BUSY, 12 PAPER-OUT,
            13 SELECT, 15 nERROR) as watch does until its Nth event (default 1);
            timeout bare: s
  pins      every DB-25 pin: signal, direction, register bit, level now
  ports     the machine's parallel ports and USB printer adapters, and the port
            Bytescope would use; touches no port

A reading: time, then data, status and control in binary and in decimal.
VALUE: one to three decimal digits, eight binary digits or 0x and one or two hex
digits; at most 255, and 15 for control. T: a number with us, ms or s.

Options:
  --port PORT      auto (the window program's choice, the default), /dev/parportN,
                   direct (I/O at 0x378, needs root) or simulated
  --require-port   refuse the simulated port when auto finds no real one (exit 1)
  -q, --quiet      no port line and no watch summary on standard error
  --json, --csv    JSON Lines or CSV with a header (read, write, watch, wait, pins,
                   ports; --json also pulse)
  --help, --version

Exit status: 0 done; 1 the port cannot be used; 2 usage error or refused value
(nothing opened or written); 3 a wait timed out; 4 the output could not be
written; 128+N ended by signal N (130 Ctrl+C, 143 SIGTERM; 141 reader gone).
)";

enum class Woke { OnTime, Stopped, ReaderGone };

// Nanoseconds as seconds with the digits they need: "0.02", "86400".
std::string seconds(long long ns) {
    char text[32];
    std::snprintf(text, sizeof text, "%.12g", ns / 1e9);
    return text;
}

long long monoNow() {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// Sleeps until `deadline` (monotonic nanoseconds). A stop signal ends the sleep at once: it is
// let through only inside ppoll, so that one arriving just before cannot be missed. Standard
// output is watched meanwhile: a reader that went away ends the sleep too.
Woke sleepUntil(long long deadline, const Context& context) {
    sigset_t stopSignals, others;
    sigemptyset(&stopSignals);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stopSignals, s);
    Woke woke = Woke::OnTime;
    pthread_sigmask(SIG_BLOCK, &stopSignals, &others);
    for (bool first = true; !*context.stop; first = false) {
        long long left = deadline - monoNow();
        if (left <= 0 && !first)
            break;
        left = std::max(left, 0LL);
        struct pollfd output = {context.outputFd, 0, 0};
        struct timespec timeout = {left / 1000000000, left % 1000000000};
        if (ppoll(&output, context.outputFd >= 0, &timeout, &others) > 0) {
            woke = Woke::ReaderGone;
            break;
        }
    }
    if (*context.stop)
        woke = Woke::Stopped;
    pthread_sigmask(SIG_SETMASK, &others, nullptr);
    return woke;
}

enum class End { Finished, TimeUp, Stopped, ReaderGone, OutputFailed };

// Samples every `intervalNs` from now, as watch and wait do, until `onSample` returns Finished or
// OutputFailed, `limitNs` has passed (when not negative), a stop or the reader gone. Behind
// time, the next sample comes at once, with no catching up in a burst.
template <typename OnSample>
End sampleEvery(long long intervalNs, long long limitNs, const Context& context,
                OnSample onSample) {
    const long long start = monoNow();
    long long next = start;
    for (long long n = 1;; n++) {
        if (*context.stop)
            return End::Stopped;
        if (End end = onSample(); end != End::TimeUp)
            return end;
        long long t = monoNow();
        if (limitNs >= 0 && t - start >= limitNs)
            return End::TimeUp;
        next = std::max(next + intervalNs, t);
        if (limitNs >= 0)
            next = std::min(next, start + limitNs);
        // Without an interval the reader is still looked after, every 4096 samples.
        if (intervalNs > 0 || n % 4096 == 0) {
            Woke woke = sleepUntil(next, context);
            if (woke != Woke::OnTime)
                return woke == Woke::Stopped ? End::Stopped : End::ReaderGone;
        }
    }
}
constexpr End kGoOn = End::TimeUp; // what onSample returns to be called again

Format formatOf(const CommandLine& line) {
    return line.has("--json") ? Format::Json : line.has("--csv") ? Format::Csv : Format::Plain;
}

const std::string& option(const CommandLine& line, const char* name) {
    return line.options.at(name);
}

int registerOf(const std::string& name) {
    if (name == "data")
        return WRITE_DATA;
    if (name == "control")
        return WRITE_CONTROL;
    throw UsageError{Quoted(name) + " is not a register that can be written: data or control"};
}

// Nothing is opened or written for a value the rule refuses.
struct Refused {
    std::string text;
    int write;
};
int valueOf(int write, const std::string& text) {
    std::optional<int> value = RegisterValue(write, text);
    if (!value)
        throw Refused{text, write};
    return *value;
}

class Command {
public:
    Command(const CommandLine& line, std::ostream& out, std::ostream& err, const Context& context)
        : line_(line), out_(out), err_(err), context_(context), printer_(out, formatOf(line)) {}

    int run() {
        const std::string& c = line_.command;
        return c == "read"    ? read()
               : c == "write" ? write()
               : c == "pulse" ? pulse()
               : c == "watch" ? watch()
               : c == "wait"  ? wait()
               : c == "pins"  ? pins()
                              : ports();
    }

private:
    const CommandLine& line_;
    std::ostream& out_;
    std::ostream& err_;
    const Context& context_;
    Printer printer_;

    bool quiet() const { return line_.has("--quiet"); }
    bool plain() const { return formatOf(line_) == Format::Plain; }
    long long duration(const char* name, const char* bareUnit, long long maxS,
                       long long byDefault) {
        return line_.has(name) ? Duration(name, option(line_, name), bareUnit, maxS * 1000000000)
                               : byDefault;
    }

    // Puts the port asked for under _inp/_outp and says which it is: 0, or the exit status when
    // it cannot be used (with the reason and the fix said) or the output is already lost.
    int open(bool printsReadings = true) {
        if (printsReadings && !out_)
            return kOutputFailed;
        std::string port = line_.has("--port") ? option(line_, "--port") : "auto";
        portio::Choice choice;
        if (port == "auto")
            choice = portio::choose(*context_.system, context_.roots);
        else if (port == "direct")
            choice = portio::chooseDirect(*context_.system);
        else if (port == "simulated")
            choice = portio::simulatedChoice("chosen with --port simulated");
        else
            choice = portio::chooseNode(*context_.system, context_.roots, port);
        if (!choice.backend) {
            err_ << "bytescope-cli: " << choice.status << '\n';
            return kNoPort;
        }
        bool simulated = dynamic_cast<portio::SimulatedBackend*>(choice.backend.get());
        if (simulated && line_.has("--require-port")) {
            err_ << "bytescope-cli: --require-port: no real port to use, nothing done ("
                 << choice.status << ")\n";
            return kNoPort;
        }
        portio::install(std::move(choice));
        if (!quiet())
            err_ << "bytescope-cli: " << PortIO_Status()
                 << (simulated ? "; nothing reaches hardware" : "") << '\n';
        return 0;
    }

    // A reading of the registers last read, in the chosen format; false when output failed.
    bool print(const Reading& reading, int digits, Row extra = {}) {
        if (plain()) {
            PrintPlain(out_, reading, digits);
        } else {
            Row row = ReadingRow(reading);
            row.insert(row.end(), extra.begin(), extra.end());
            printer_.print(row);
        }
        return bool(out_.flush());
    }

    int ended(End end) {
        switch (end) {
        case End::Stopped: return 128 + *context_.stop;
        case End::ReaderGone: return kReaderGone;
        case End::OutputFailed: return kOutputFailed;
        default: return kDone;
        }
    }

    int read() {
        long long count = line_.has("--count")
                              ? WholeNumber("--count", option(line_, "--count"), 1, 1000000000)
                              : 1;
        long long interval = duration("--interval", "ms", 86400, 0);
        if (int status = open())
            return status;
        long long n = 0;
        return ended(sampleEvery(interval, -1, context_, [&] {
            Read_Registers();
            if (!print(LastReading(), 3))
                return End::OutputFailed;
            return ++n < count ? kGoOn : End::Finished;
        }));
    }

    int write() {
        int write = registerOf(line_.words[0]);
        int value = valueOf(write, line_.words[1]);
        if (int status = open())
            return status;
        WRITE = write;
        Output = value;
        WritePort();
        Read_Registers();
        return print(LastReading(), 3) ? kDone : kOutputFailed;
    }

    int pulse() {
        int write = registerOf(line_.words[0]);
        int value = valueOf(write, line_.words[1]);
        int rest = line_.has("--rest")   ? valueOf(write, option(line_, "--rest"))
                   : write == WRITE_DATA ? 0
                                         : -1;
        long long width = duration("--width", "ms", 60, 10000000);
        if (int status = open(line_.has("--json")))
            return status;
        if (rest < 0) { // control: back to what it was
            Read_Registers();
            rest = control_reg;
        }
        if (*context_.stop) // nothing written yet: no pulse at all
            return 128 + *context_.stop;
        Stamp start = Now();
        long long held = Pulse(write, value, rest, width, context_);
        if (line_.has("--json")) {
            printer_.print({{"time", IsoTime(start.wall), true},
                            {"t_mono_ns", std::to_string(MonoNs(start))},
                            {"register", line_.words[0], true},
                            {"value", std::to_string(value)},
                            {"rest", std::to_string(rest)},
                            {"width_ns", std::to_string(width)},
                            {"held_ns", std::to_string(held)}});
            if (!out_.flush())
                return kOutputFailed;
        } else {
            char text[64];
            std::snprintf(text, sizeof text, "bytescope-cli: held %.3f ms\n", held / 1e6);
            err_ << text;
        }
        return *context_.stop ? 128 + *context_.stop : kDone;
    }

    int watch() {
        long long interval = duration("--interval", "us", 60, 1000000);
        long long limit = duration("--duration", "s", 31536000, -1);
        if (int status = open())
            return status;
        // The trace file is made at the first sample: a port that cannot be used, or a stop
        // before it, leaves a file of that name as it was.
        Vcd vcd;
        const bool tracing = line_.has("--vcd");
        const std::string& path = tracing ? option(line_, "--vcd") : "";
        int traceError = 0;
        Sampler sampler;
        long long samples = 0, changes = 0, first = 0;
        const long long started = monoNow(); // the duration counts from here, not the first sample
        End end = sampleEvery(interval, limit, context_, [&] {
            samples++;
            if (!Sample(sampler))
                return kGoOn;
            Reading reading = LastReading();
            int levels = PinLevels(sampler.data, sampler.status, sampler.control);
            if (samples == 1) {
                first = MonoNs(reading.stamp);
                if (tracing && !vcd.open(path)) {
                    traceError = errno;
                    return End::OutputFailed;
                }
                if (tracing)
                    vcd.begin(IsoTime(reading.stamp.wall), PortIO_Status(), levels);
            } else {
                changes++;
                if (tracing)
                    vcd.sample((MonoNs(reading.stamp) - first) / 1000, levels);
            }
            return !print(reading, 6) || vcd.failed() ? End::OutputFailed : kGoOn;
        });
        const long long stopped = monoNow(), elapsed = stopped - started;
        if (traceError || (tracing && samples > 0 && !vcd.finish((stopped - first) / 1000)))
            return cannotWrite(path, traceError ? traceError : errno);
        if (!quiet()) {
            char summary[128];
            std::snprintf(summary, sizeof summary,
                          "watch: %lld samples, %lld changes in %.3f s (%.0f samples/s)\n", samples,
                          changes, elapsed / 1e9, elapsed > 0 ? samples / (elapsed / 1e9) : 0.0);
            err_ << summary;
        }
        return ended(end);
    }

    int cannotWrite(const std::string& path, int error) {
        err_ << "bytescope-cli: cannot write " << Quoted(path) << ": " << std::strerror(error)
             << '\n';
        return kOutputFailed;
    }

    int wait() {
        const Pin* pin = FindInput(line_.words[0]);
        if (!pin)
            throw UsageError{Quoted(line_.words[0]) +
                             " is not a status input: 10 nACK, 11 BUSY, 12 PAPER-OUT, 13 SELECT "
                             "or 15 nERROR"};
        const std::string& kind = line_.words[1];
        const bool edge = kind == "rising" || kind == "falling" || kind == "either";
        if (!edge && kind != "high" && kind != "low")
            throw UsageError{Quoted(kind) +
                             " is not an event: rising, falling, either, high or low"};
        long long count = line_.has("--count")
                              ? WholeNumber("--count", option(line_, "--count"), 1, 1000000000)
                              : 1;
        long long timeout = duration("--timeout", "s", 31536000, -1);
        long long interval = duration("--interval", "us", 60, 1000000);
        if (int status = open())
            return status;
        int previous = -1;
        long long events = 0;
        End end = sampleEvery(interval, timeout, context_, [&] {
            Read_Registers();
            int level = (status_reg >> pin->bit) & 1;
            bool changed = previous >= 0 && level != previous;
            bool event = edge ? changed && (kind == "either" || (kind == "rising") == level)
                              : level == (kind == "high") && level != previous;
            previous = level;
            if (!event)
                return kGoOn;
            const char* what = edge ? (level ? "rising" : "falling") : (level ? "high" : "low");
            Row extra = {{"pin", std::to_string(pin->number)},
                         {"signal", pin->signal, true},
                         {"event", what, true}};
            if (!print(LastReading(), 6, extra))
                return End::OutputFailed;
            return ++events < count ? kGoOn : End::Finished;
        });
        if (end != End::TimeUp)
            return ended(end);
        err_ << "bytescope-cli: wait: " << events << " of " << count << " " << kind
             << (edge ? " edges" : " levels") << " on pin " << pin->number << " (" << pin->signal
             << ") within " << seconds(timeout) << " s\n";
        return kTimedOut;
    }

    int pins() {
        if (int status = open())
            return status;
        const int raw[3] = {_inp(DATA_PORT), _inp(STATUS_PORT), _inp(CONTROL_PORT)};
        const Stamp stamp = Now();
        constexpr int kDirectionBit = 0x20; // control bit 5: the data lines are inputs
        for (int number = 1; number <= 25; number++) {
            Row row = {{"time", IsoTime(stamp.wall), true},
                       {"t_mono_ns", std::to_string(MonoNs(stamp))},
                       {"pin", std::to_string(number)},
                       {"signal", "GND", true},
                       {"direction", ""},
                       {"register", ""},
                       {"bit", ""},
                       {"inverted", ""},
                       {"level", "ground", true}};
            if (number <= kSignalPins) {
                const Pin& pin = kPins[number - 1];
                int value = raw[pin.port - DATA_PORT];
                bool input =
                    pin.port == STATUS_PORT || (pin.port == DATA_PORT && (raw[2] & kDirectionBit));
                const char* reg = pin.port == DATA_PORT     ? "data"
                                  : pin.port == STATUS_PORT ? "status"
                                                            : "control";
                bool high = ((value >> pin.bit) & 1) != pin.inverted;
                row[3].value = pin.signal;
                row[4] = {"direction", input ? "in" : "out", true};
                row[5] = {"register", reg, true};
                row[6].value = std::to_string(pin.bit);
                row[7].value = pin.inverted ? "true" : "false";
                row[8].value = high ? "high" : "low";
            }
            if (plain()) {
                auto shown = [](const Field& f) { return f.value.empty() ? "-" : f.value; };
                out_ << number << ' ' << row[3].value << ' ' << shown(row[4]) << ' '
                     << shown(row[5]) << ' ' << shown(row[6]) << ' '
                     << (row[7].value.empty()     ? "-"
                         : row[7].value == "true" ? "inverted"
                                                  : "direct")
                     << ' ' << row[8].value << '\n';
            } else {
                printer_.print(row);
            }
        }
        return kDone;
    }

    int ports() {
        std::string choice = portio::predictChoice(*context_.system, context_.roots);
        for (const portio::PortReport& p : portio::listPorts(*context_.system, context_.roots)) {
            std::string base = p.base ? portio::hexAddress(*p.base) : "unknown", devices;
            for (const std::string& d : p.devices)
                devices += (devices.empty() ? "" : " ") + d;
            if (plain()) {
                out_ << (p.node.empty() ? p.name : p.node) << ": base " << base << ", modes "
                     << (p.modes.empty() ? "unknown" : p.modes) << ", devices "
                     << (devices.empty() ? "none" : devices) << ", claimed by "
                     << (p.active.empty() ? "none" : p.active) << ", "
                     << (p.problem.empty() ? "usable" : "not usable: " + p.problem) << '\n';
                continue;
            }
            bool chosen = !p.node.empty() && choice.rfind(p.node + " ", 0) == 0;
            printer_.print({{"name", p.name, true},
                            {"node", p.node, true},
                            {"base", p.base ? std::to_string(*p.base) : ""},
                            {"modes", p.modes, true},
                            {"devices", devices, true},
                            {"claimed_by", p.active, true},
                            {"usable", p.problem.empty() ? "true" : "false"},
                            {"problem", p.problem, true},
                            {"would_use", chosen ? "true" : "false"}});
        }
        const char* usb = "USB printer adapter, no registers - cannot be used by Bytescope";
        auto usbRow = [usb](const std::string& node) {
            return Row{{"name", node.substr(node.rfind('/') + 1), true},
                       {"node", node, true},
                       {"base", ""},
                       {"modes", "", true},
                       {"devices", "", true},
                       {"claimed_by", "", true},
                       {"usable", "false"},
                       {"problem", usb, true},
                       {"would_use", "false"}};
        };
        for (const std::string& node : portio::usbPrinters(context_.roots)) {
            if (plain())
                out_ << node << ": " << usb << '\n';
            else
                printer_.print(usbRow(node));
        }
        printer_.head(usbRow(""));
        if (plain())
            out_ << "Bytescope would use " << choice << '\n';
        else if (!quiet())
            err_ << "bytescope-cli: would use " << choice << '\n';
        return kDone;
    }
};

} // namespace

long long Pulse(int write, int value, int rest, long long widthNs, const Context& context) {
    // The kernel lets a sleep run up to 50 us late by default; a pulse asks for 1 ns.
    prctl(PR_SET_TIMERSLACK, 1UL);
    Context holding = context;
    holding.outputFd = -1; // a reader gone does not cut a pulse short
    WRITE = write;
    Output = value;
    WritePort();
    long long start = monoNow();
    sleepUntil(start + widthNs, holding);
    Output = rest;
    WritePort();
    return monoNow() - start;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const Context& context) {
    int status;
    try {
        CommandLine line = Parse(args);
        if (line.has("--help") || line.has("--version")) {
            out << (line.has("--help") ? kHelp : "bytescope-cli " BYTESCOPE_VERSION "\n");
            return out.flush() ? kDone : kOutputFailed;
        }
        if (line.has("--port")) {
            const std::string& port = option(line, "--port");
            // A path goes into messages as it stands: nothing unprintable reaches the terminal.
            bool printable = std::all_of(port.begin(), port.end(),
                                         [](unsigned char c) { return c >= 0x20 && c < 0x7F; });
            if (port != "auto" && port != "direct" && port != "simulated" &&
                (port.rfind('/', 0) || !printable))
                throw UsageError{"--port takes auto, /dev/parportN, direct or simulated, not " +
                                 Quoted(port)};
        }
        status = Command(line, out, err, context).run();
    } catch (const UsageError& e) {
        err << "bytescope-cli: " << e.what
            << "\nTry 'bytescope-cli --help' for more information.\n";
        status = kUsageError;
    } catch (const Refused& r) {
        err << "bytescope-cli: INVALID ENTRY: " << Quoted(r.text) << ' ' << ExpectedValue(r.write)
            << '\n';
        status = kUsageError;
    }
    portio::install({}); // gives a claimed port back before anything else ends
    if (*context.stop && status != kUsageError)
        return 128 + *context.stop;
    return status == kDone && !out.flush() ? kOutputFailed : status;
}

} // namespace cli
