// bytescope-cli's commands on a stand-in machine: what they print, write and exit with.
#include "cli.h"
#include "fake_system.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

// GCC 12 warns inside std::regex's own code when built with the sanitizers.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <iterator>
#include <regex>
#include <sstream>

namespace {

struct Case {
    const char* machine; // fake::Machine::build's words, on a machine with parport0 at 0x378
    const char* args;    // split at blanks; {dev} stands for the machine's /dev, as below
    int status;
    std::string out;    // exact, or a pattern after "~"
    std::string err;    // exact
    const char* writes; // register writes: "d65" ppdev data 65, "c14" control byte 14, "o888=7"
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.machine << " | " << c.args;
}

const std::string T = "\\d\\d:\\d\\d:\\d\\d\\.\\d{3}"; // the time of a reading
const std::string U = "usage: bytescope-cli [--port /dev/parportN|direct|simulated] "
                      "read|write|pulse|watch|pins|ports [ARGS] (--help for more)\n";
const std::string S = "bytescope-cli: Port: {dev}/parport0 (ppdev, base 0x378)\n";
const std::string R = "01000001 65 11011000 216 00000111 7"; // data 41, status 58: BUSY, nACK low
const std::string E = "bytescope-cli: {dev}/parport";
const std::string H = "~held \\d+\\.\\d{3} ms\n";
const std::string kLp = " permission denied - add your user to group lp (sudo usermod -aG lp "
                        "$USER, then log in again)";

const Case kCases[] = {
    {"", "", 2, "", U, ""},
    {"", "frob", 2, "", U, ""},
    {"", "--bogus read", 2, "", U, ""},
    {"", "read --frob", 2, "", U, ""},
    {"", "--port", 2, "", U, ""},
    {"", "--port x read", 2, "", U, ""},
    {"", "write data", 2, "", U, ""},
    {"", "write status 5", 2, "", U, ""},
    {"", "pins x", 2, "", U, ""},
    {"", "read --csv --json", 2, "", U, ""},
    {"", "read --count 0", 2, "",
     "bytescope-cli: --count takes a whole number from 1 to 1000000000, not \"0\"\n", ""},
    {"", "read --help", 0, "~usage: bytescope-cli \\[--port PORT\\] COMMAND [^]*", "", ""},
    {"", "read", 0, "~" + T + " " + R + "\n", S, ""},
    {"", "--port {dev}/parport0 read --count 2 --interval 1", 0, "~(" + T + " " + R + "\n){2}", S,
     ""},
    {"", "read --csv", 0,
     "~time,data_binary,data,status_binary,status,control_binary,control\n" + T +
         ",01000001,65,11011000,216,00000111,7\n",
     S, ""},
    {"", "--port={dev}/parport0 read --json", 0,
     "~\\{\"time\":\"" + T +
         "\",\"data_binary\":\"01000001\",\"data\":65,\"status_binary\":\"11011000\",\"status\":"
         "216,\"control_binary\":\"00000111\",\"control\":7\\}\n",
     S, ""},
    {"", "--port simulated write control 5", 0, "~" + T + " 00000000 0 11111000 248 00000101 5\n",
     "bytescope-cli: Simulated port: chosen with --port simulated\n", ""},
    {"root io=07,78,04", "--port direct write data 7", 0, "~" + T + " 00000111 7 .*\n",
     "bytescope-cli: Port: direct I/O at 0x378\n", "o888=7"},
    // Ports that cannot be used: why, the fix, status 1, nothing claimed.
    {"1@53248 open=EACCES", "--port {dev}/parport1 read", 1, "", E + "1" + kLp + "\n", ""},
    {"", "--port {dev}/parport7 pins", 1, "",
     E + "7 does not exist - load the port drivers (sudo modprobe parport_pc ppdev)\n", ""},
    {"", "--port {dev}/usb/lp0 read", 1, "",
     "bytescope-cli: {dev}/usb/lp0 is a USB printer adapter: it has no registers and cannot be "
     "used by Bytescope - use a parallel port (/dev/parportN)\n",
     ""},
    {"eperm", "--port direct read", 1, "",
     "bytescope-cli: direct I/O at 0x378 needs root or CAP_SYS_RAWIO - run it as root (sudo)\n",
     ""},
    // Levels at the pins from the raw bits: BUSY and nSTROBE, nAUTOFD, nSELECTIN are inverted;
    // control bit 5 makes the data lines inputs.
    {"root io=01,80,2C", "--port direct pins", 0, // as below
     "1oc0h 2id0h 3id1l 4id2l 5id3l 6id4l 7id5l 8id6l 9id7l 10is6l 11is7l 12is5l 13is4l 14oc1h "
     "15is3l 16oc2h 17oc3l 18---g 19---g 20---g 21---g 22---g 23---g 24---g 25---g ",
     "bytescope-cli: Port: direct I/O at 0x378\n", ""},
    // The write dialog's rules; a refused value opens nothing, as a claim moves control lines.
    {"", "write data 01000001", 0, "~" + T + " 01000001 65 .*\n", S, "d65"},
    {"", "write control 5", 0, "~" + T + " .* 00000101 5\n", S, "c14"},
    {"", "pulse data 255 --width 0", 0, H, S, "d255 d0"},
    {"", "pulse control 1 --width 2", 0, H, S, "c10 c12"}, // back to the value before
    {"", "pulse data 1 --rest 12x", 0, H, S, "d1 d12"},
    {"", "write control 16", 2, "", "INVALID ENTRY: 16\n", ""},
    {"", "pulse control 00010000", 2, "", "INVALID ENTRY: 00010000\n", ""},
    {"", "pulse control 1 --rest 16", 2, "", "INVALID ENTRY: 16\n", ""},
    {"", "watch --interval 0 --duration 0", 0,
     "~" + T + "\\d{3} " + R +
         "\nwatch: 1 samples, 0 changes in .* s "
         "\\(.* samples/s\\)\n",
     S, ""},
    // ports opens and claims nothing (the kernel machines check the devices, the holder, lp).
    {"1@632 nonode", "ports", 0,
     "{dev}/parport0: base 0x378, modes unknown, devices none, claimed by none, usable\nparport1: "
     "base 0x278, modes unknown, devices none, claimed by none, not usable: no device file - load "
     "the ppdev module (sudo modprobe ppdev)\n{dev}/usb/lp0: USB printer adapter, no registers - "
     "cannot be used by Bytescope\nBytescope would use {dev}/parport0 (ppdev, base 0x378)\n",
     "", ""},
    {"open=EACCES", "ports", 0,
     "~[^]*\nBytescope would use the simulated port: {dev}/parport0 permission denied - add "
     "your user to group lp \\(sudo usermod -aG lp \\$USER, then log in again\\)\n",
     "", ""},
    // Root, but the kernel knows the port: no direct I/O behind its driver's back.
    {"nodev root io=aa,d9,cc", "ports", 0,
     "~[^]*\nBytescope would use the simulated port: parport0 has no device file - load the "
     "ppdev module \\(sudo modprobe ppdev\\)\n",
     "", ""},
};

class Cli : public ::testing::TestWithParam<Case> {};

TEST_P(Cli, PrintsWritesAndExitsAsDocumented) {
    const Case& c = GetParam();
    fake::Machine m;
    m.build(std::string("0@888 ") + c.machine);
    std::filesystem::create_directories(m.roots.dev + "/usb");
    std::ofstream(m.roots.dev + "/usb/lp0") << "";
    auto dev = [&](const std::string& text) {
        return std::regex_replace(text, std::regex("\\{dev\\}"), m.roots.dev);
    };
    std::istringstream in(dev(c.args));
    std::ostringstream out, err;
    volatile std::sig_atomic_t stop = 0;
    int status = cli::Run({std::istream_iterator<std::string>(in), {}}, out, err,
                          {&m.system, m.roots, &stop});

    EXPECT_EQ(status, c.status);
    std::string pins; // "1oc0h": pin 1, an output, control bit 0, high; "18---g": ground
    std::istringstream lines(out.str());
    for (std::string pin, name, dir, reg, bit, how, level;
         c.args == std::string("--port direct pins") &&
         lines >> pin >> name >> dir >> reg >> bit >> how >> level;)
        pins += pin + dir[0] + reg[0] + bit + level[0] + ' ';
    if (!pins.empty())
        EXPECT_EQ(pins, c.out);
    else if (c.out.rfind('~', 0) == 0)
        EXPECT_TRUE(std::regex_match(out.str(), std::regex(dev(c.out.substr(1))))) << out.str();
    else
        EXPECT_EQ(out.str(), dev(c.out));
    EXPECT_EQ(err.str(), dev(c.err));
    std::string writes;
    for (const fake::Call& call : m.system.calls)
        if (call.request == PPWDATA || call.request == PPWCONTROL)
            writes += (writes.empty() ? "" : " ") +
                      std::string(call.request == PPWDATA ? "d" : "c") + std::to_string(call.value);
    for (auto [port, value] : m.system.outs)
        writes += "o" + std::to_string(port) + "=" + std::to_string(value);
    EXPECT_EQ(writes, c.writes);
    EXPECT_TRUE(m.system.files.empty()) << "the port is given back";
    EXPECT_TRUE(m.system.calls.empty() || m.system.calls.back().request == PPRELEASE);
    EXPECT_TRUE(c.status == 0 || m.system.calls.empty()) << "nothing claimed";
    bool ports = std::string(c.args) == "ports";
    EXPECT_TRUE(!(c.status == 2 || ports) || !m.system.opens) << "nothing opened";
    EXPECT_TRUE(m.system.iopermError || m.system.ioperms.empty() ||
                m.system.ioperms == (std::vector<bool>{true, false}))
        << "the privilege asked for is given back";
}

INSTANTIATE_TEST_SUITE_P(Commands, Cli, ::testing::ValuesIn(kCases));

TEST(CliStop, CtrlCEndsReadAndWatch) {
    fake::Machine m;
    m.build("0@888");
    volatile std::sig_atomic_t stop = 1;
    std::ostringstream out, err;
    EXPECT_EQ(cli::Run({"read", "--count", "2"}, out, err, {&m.system, m.roots, &stop}), 130);
    EXPECT_EQ(cli::Run({"watch"}, out, err, {&m.system, m.roots, &stop}), 0);
    EXPECT_NE(out.str().find("\nwatch: 0 samples, 0 changes"), std::string::npos) << out.str();
}

TEST(WatchSample, ChangesOfTheMaskedValuesOnly) {
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
}

} // namespace
