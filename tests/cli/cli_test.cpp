// bytescope-cli's commands on a stand-in machine: what they print, write and exit with.
#include "cli.h"
#include "fake_system.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <regex>
#include <sstream>

namespace {

const std::string kUsage = "usage: bytescope-cli [--port /dev/parportN|direct|simulated] "
                           "read|write|pulse|watch|pins|ports [ARGS] (--help for more)\n";
const std::string kTime = "\\d\\d:\\d\\d:\\d\\d\\.\\d{3}";

// "read --count 2" as the shell splits it.
std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

struct Result {
    int status;
    std::string out, err;
};

// A machine with parport0 at 0x378; the stand-in's port values as the tests set them.
struct Cli : ::testing::Test {
    fake::Machine m;
    fake::Port& port = m.addPort(0, 888);
    volatile std::sig_atomic_t stop = 0;
    std::string status = "bytescope-cli: Port: " + m.node(0) + " (ppdev, base 0x378)\n";

    Result run(const std::string& line) {
        std::ostringstream out, err;
        auto args = words(std::regex_replace(line, std::regex("\\{dev\\}"), m.roots.dev));
        int code = cli::Run(args, out, err, {&m.system, m.roots, &stop});
        EXPECT_TRUE(m.system.files.empty()) << "the port is given back";
        return {code, out.str(), err.str()};
    }
};

TEST_F(Cli, UsageErrorsSayOneLineAndChangeNothing) {
    for (const char* wrong :
         {"", "frob", "--bogus read", "read --frob", "--port", "--port x read", "write data",
          "write status 5", "pins x", "read --csv --json", "pulse data 1 --width"}) {
        Result r = run(wrong);
        EXPECT_EQ(r.status, 2) << wrong;
        EXPECT_EQ(r.err, kUsage) << wrong;
        EXPECT_EQ(r.out, "");
    }
    Result bad = run("read --count 0");
    EXPECT_EQ(bad.err, "bytescope-cli: --count takes a whole number from 1 to 1000000000, not "
                       "\"0\"\n");
    EXPECT_EQ(run("read --help").out.rfind("usage: bytescope-cli [--port PORT]", 0), 0u);
    EXPECT_TRUE(m.system.opened.empty());
}

TEST_F(Cli, ReadPrintsMaskedRegistersInTheLogsFormats) {
    port.data = 0x41;
    port.status = 0x58; // BUSY low and nACK low at the pins: bit 7 clear, bit 6 set
    const std::string fields = "01000001 65 11011000 216 00000111 7";
    const struct {
        const char* args;
        std::string pattern;
    } cases[] = {
        {"read", kTime + " " + fields + "\n"},
        {"--port {dev}/parport0 read --count 2 --interval 1",
         "(" + kTime + " " + fields + "\n){2}"},
        {"read --csv", "time,data_binary,data,status_binary,status,control_binary,control\n" +
                           kTime + ",01000001,65,11011000,216,00000111,7\n"},
        {"--port={dev}/parport0 read --json",
         "\\{\"time\":\"" + kTime +
             "\",\"data_binary\":\"01000001\",\"data\":65,\"status_binary\":"
             "\"11011000\",\"status\":216,\"control_binary\":\"00000111\",\"control\":7\\}\n"},
    };
    for (const auto& c : cases) {
        Result r = run(c.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(std::regex_match(r.out, std::regex(c.pattern))) << r.out;
        EXPECT_EQ(r.err, status);
    }
    stop = 1;
    EXPECT_EQ(run("read --count 2").status, 130) << "Ctrl+C ends a series of readings";
}

TEST_F(Cli, PortsThatCannotBeUsedSayWhyAndExitWithOne) {
    m.addPort(1, 53248, {EACCES});
    const std::string groupLp = " permission denied - add your user to group lp (sudo usermod "
                                "-aG lp $USER, then log in again)";
    const std::string usb = "/usb/lp0 is a USB printer adapter: it has no registers and cannot be "
                            "used by Bytescope - use a parallel port (/dev/parportN)";
    const struct {
        const char* args;
        int iopermError;
        std::string err;
    } cases[] = {
        {"--port {dev}/parport1 read", 0, m.node(1) + groupLp},
        {"--port {dev}/parport7 pins", 0,
         m.node(7) + " does not exist - load the port drivers (sudo modprobe parport_pc ppdev)"},
        {"--port {dev}/usb/lp0 read", 0, m.roots.dev + usb},
        {"--port direct read", EPERM,
         "direct I/O at 0x378 needs root or CAP_SYS_RAWIO - run it as root (sudo)"},
        {"--port direct read", ENOSYS, "direct I/O at 0x378 is not available on this machine"},
    };
    for (const auto& c : cases) {
        m.system.iopermError = c.iopermError;
        Result r = run(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "bytescope-cli: " + c.err + "\n");
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(m.system.calls, std::vector<fake::Call>{}) << "nothing claimed";
    m.system.iopermError = 0; // root, going past the kernel's port
    m.system.io = {{888, 0x01}, {889, 0x80}, {890, 0x2C}};
    Result direct = run("--port direct pins");
    EXPECT_EQ(direct.err, "bytescope-cli: Port: direct I/O at 0x378\n");
    // Levels at the pins from the raw bits: BUSY and nSTROBE, nAUTOFD, nSELECTIN are inverted.
    EXPECT_EQ(direct.out.substr(0, direct.out.find("12 ")),
              "1 nSTROBE out control 0 inverted high\n2 D0 in data 0 direct high\n"
              "3 D1 in data 1 direct low\n4 D2 in data 2 direct low\n5 D3 in data 3 direct low\n"
              "6 D4 in data 4 direct low\n7 D5 in data 5 direct low\n8 D6 in data 6 direct low\n"
              "9 D7 in data 7 direct low\n10 nACK in status 6 direct low\n"
              "11 BUSY in status 7 inverted low\n");
    EXPECT_NE(direct.out.find("\n14 nAUTOFD out control 1 inverted high\n15 nERROR in status 3 "
                              "direct low\n16 nINIT out control 2 direct high\n17 nSELECTIN out "
                              "control 3 inverted low\n18 GND - - - - ground\n"),
              std::string::npos);
    EXPECT_EQ(std::count(direct.out.begin(), direct.out.end(), '\n'), 25);
    EXPECT_EQ(run("--port simulated read").err,
              "bytescope-cli: Simulated port: chosen with --port simulated\n");
}

// The register writes a command made, as (request, byte) pairs.
std::vector<std::pair<unsigned long, int>> writesOf(const fake::System& system) {
    std::vector<std::pair<unsigned long, int>> writes;
    for (const fake::Call& c : system.calls)
        if (c.request == PPWDATA || c.request == PPWCONTROL)
            writes.push_back({c.request, c.value});
    return writes;
}

TEST_F(Cli, WriteAndPulseFollowTheEntryRules) {
    const auto data = [](int a, int b = -1) {
        std::vector<std::pair<unsigned long, int>> w{{PPWDATA, a}};
        if (b >= 0)
            w.push_back({PPWDATA, b});
        return w;
    };
    const auto control = [](int a, int b) {
        return std::vector<std::pair<unsigned long, int>>{{PPWCONTROL, a}, {PPWCONTROL, b}};
    };
    const std::string held = "held \\d+\\.\\d{3} ms\n";
    const struct {
        const char* args;
        std::vector<std::pair<unsigned long, int>> writes;
        std::string out; // a pattern; empty for a refused value
    } cases[] = {
        {"write data 01000001", data(65), kTime + " 01000001 65 .*\n"},
        {"write control 5", control(0x0E, 0x0E), ""},
        {"pulse data 255 --width 0", data(255, 0), held},
        {"pulse control 1 --width 2", control(0x0A, 0x0C), held}, // back to the value before
        {"pulse data 1 --rest 12x", data(1, 12), held},
        {"write control 16", {}, ""},
        {"pulse data 1 --rest 256", {}, ""},
        {"pulse control 00010000", {}, ""},
    };
    for (const auto& c : cases) {
        fake::Machine fresh;
        fresh.addPort(0, 888);
        std::ostringstream out, err;
        int code = cli::Run(words(c.args), out, err, {&fresh.system, fresh.roots, &stop});
        auto writes = writesOf(fresh.system);
        if (c.writes.empty()) { // refused: not even opened, since a claim moves the control lines
            EXPECT_EQ(code, 2);
            EXPECT_EQ(err.str(), "INVALID ENTRY: " + words(c.args).back() + "\n");
            EXPECT_TRUE(fresh.system.opened.empty());
        } else if (c.out.empty()) { // one write, then a reading of what it did
            EXPECT_EQ(writes, std::vector(c.writes.begin(), c.writes.begin() + 1)) << c.args;
            EXPECT_TRUE(std::regex_match(out.str(), std::regex(kTime + " .* 00000101 5\n")));
        } else {
            EXPECT_EQ(code, 0);
            EXPECT_EQ(writes, c.writes) << c.args;
            EXPECT_TRUE(std::regex_match(out.str(), std::regex(c.out))) << out.str();
        }
    }
}

TEST_F(Cli, WatchPrintsChangesOfTheMaskedValues) {
    auto backend = std::make_unique<testsupport::ScriptedBackend>(0x00, 0x78, 0x0C);
    auto* regs = backend.get();
    testsupport::installRecording(std::move(backend));
    cli::Sampler sampler;
    EXPECT_TRUE(cli::Sample(sampler)) << "the first sample";
    EXPECT_FALSE(cli::Sample(sampler));
    regs->set(889, 0x7F); // bits 0-2 are not shown
    regs->set(890, 0xFC); // nor control bits 4-7
    EXPECT_FALSE(cli::Sample(sampler));
    for (auto [address, value] : {std::pair{888, 0x01}, {889, 0x70}, {890, 0xFD}}) {
        regs->set(address, value);
        EXPECT_TRUE(cli::Sample(sampler)) << address;
    }
    Result r = run("watch --interval 0 --duration 0");
    EXPECT_TRUE(std::regex_match(r.out, std::regex(kTime + "\\d{3} 00000000 0 11111000 248 "
                                                           "00000111 7\nwatch: 1 samples, 0 "
                                                           "changes in .* s \\(.* samples/s\\)\n")))
        << r.out;
    stop = 1;
    EXPECT_EQ(run("watch").out.rfind("watch: 0 samples, 0 changes", 0), 0u);
}

TEST_F(Cli, PortsListsWithoutTouchingAnyAndSaysWhatWouldBeUsed) {
    std::ofstream(m.info(0) / "modes") << "PCSPP,TRISTATE\n";
    m.registerDevice(0, "lp0");
    m.addPort(1, 53248, {EACCES});
    m.addPort(2, 632, {}, false);
    std::filesystem::create_directories(m.roots.dev + "/usb");
    std::ofstream(m.roots.dev + "/usb/lp0") << "";
    Result r = run("ports");
    EXPECT_EQ(r.out, m.node(0) +
                         ": base 0x378, modes PCSPP,TRISTATE, devices lp0, claimed by "
                         "none, usable\n" +
                         m.node(1) +
                         ": base 0xd000, modes unknown, devices none, claimed by "
                         "none, not usable: " +
                         m.node(1) +
                         " permission denied - add your user to group lp (sudo "
                         "usermod -aG lp $USER, then log in again)\nparport2: base "
                         "0x278, modes unknown, devices none, claimed by none, not "
                         "usable: no device file - load the ppdev module (sudo "
                         "modprobe ppdev)\n" +
                         m.roots.dev +
                         "/usb/lp0: USB printer adapter, no registers - cannot be "
                         "used by Bytescope\nBytescope would use " +
                         m.node(0) + " (ppdev, base 0x378, shared with the lp printer driver)\n");
    EXPECT_EQ(r.err, "");
    m.setActive(0, "ppdev3");
    EXPECT_NE(run("ports").out.find("Bytescope would use the simulated port: " + m.node(0) +
                                    " is in use by another program (ppdev3)"),
              std::string::npos);
    fake::Machine none;
    none.system.iopermError = 0;
    std::ostringstream out, err;
    cli::Run({"ports"}, out, err, {&none.system, none.roots, &stop});
    EXPECT_EQ(out.str(), "Bytescope would use direct I/O at 0x378\n");
    EXPECT_EQ(none.system.ioperms, (std::vector<bool>{true, false})) << "asked and given back";
    EXPECT_TRUE(m.system.opened.empty() && m.system.calls.empty() && none.system.outs.empty());
}

} // namespace
