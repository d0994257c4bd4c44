// bytescope-cli's commands on a stand-in machine: what they print, write and exit with.
#include "cli.h"
#include "fake_system.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

// GCC 12 warns inside std::regex's own code when built with the sanitizers.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <iterator>
#include <regex>

namespace {

struct Case {
    const char* machine;  // fake::Machine::build's words, on a machine with parport0 at 0x378
    const char* args;     // split at blanks; {dev} stands for the machine's /dev, as below
    int status;           // 130: run with Ctrl+C pressed
    const char* writes;   // as fake::System::writes has them
    std::string err;      // exact
    std::string out = ""; // exact, or a pattern after "~"
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.machine << " | " << c.args;
}

const std::string T = "\\d\\d:\\d\\d:\\d\\d\\.\\d{3}"; // the time of a reading
const std::string U = "usage: bytescope-cli [--port /dev/parportN|direct|simulated] "
                      "read|write|pulse|watch|pins|ports [ARGS] (--help for more)\n";
const std::string S = "bytescope-cli: Port: {dev}/parport0 (ppdev, base 0x378)\n";
const std::string R = ",01000001,65,11011000,216,00000111,7\n"; // data 41, status 58: BUSY, nACK
const std::string H = "~held \\d+\\.\\d{3} ms\n";
const std::string kLp = "{dev}/parport0 permission denied - add your user to group lp (sudo "
                        "usermod -aG lp $USER, then log in again)\n";
const auto usage = [](const char* args) { return Case{"", args, 2, "", U}; };

const Case kCases[] = {
    {"", "read --count 0", 2, "",
     "bytescope-cli: --count takes a whole number from 1 to 1000000000, not \"0\"\n"},
    {"", "read --help", 0, "", "", "~usage: bytescope-cli \\[--port PORT\\] COMMAND [^]*"},
    {"", "--port {dev}/parport0 read --csv --count 2 --interval 1", 0, "", S,
     "~time,data_binary,data,status_binary,status,control_binary,control\n(" + T + R + "){2}"},
    {"", "--port={dev}/parport0 read --json", 0, "", S,
     "~\\{\"time\":\"" + T +
         "\",\"data_binary\":\"01000001\",\"data\":65,\"status_binary\":\"11011000\",\"status\":"
         "216,\"control_binary\":\"00000111\",\"control\":7\\}\n"},
    {"", "read --count 2", 130, "", S, "~" + T + " .*\n"}, // one reading, then Ctrl+C
    {"", "--port simulated write control 5", 0, "",
     "bytescope-cli: Simulated port: chosen with --port simulated\n",
     "~" + T + " 00000000 0 11111000 248 00000101 5\n"},
    {"root io=07,78,04", "--port direct write data 7", 0, " o888=7",
     "bytescope-cli: Port: direct I/O at 0x378\n", "~" + T + " 00000111 7 .*\n"},
    // Ports that cannot be used: why, the fix, status 1, nothing claimed.
    {"", "--port {dev}/parport7 pins", 1, "",
     "bytescope-cli: {dev}/parport7 does not exist - load the port drivers (sudo modprobe "
     "parport_pc ppdev)\n"},
    {"", "--port {dev}/usb/lp0 read", 1, "",
     "bytescope-cli: {dev}/usb/lp0 is a USB printer adapter: it has no registers and cannot be "
     "used by Bytescope - use a parallel port (/dev/parportN)\n"},
    {"eperm", "--port direct read", 1, "",
     "bytescope-cli: direct I/O at 0x378 needs root or CAP_SYS_RAWIO - run it as root (sudo)\n"},
    // Levels at the pins from the raw bits: BUSY and nSTROBE, nAUTOFD, nSELECTIN are inverted;
    // control bit 5 makes the data lines inputs. "1oc0h": pin 1, an output, control bit 0, high.
    {"root io=01,80,2C", "--port direct pins", 0, "", "bytescope-cli: Port: direct I/O at 0x378\n",
     "1oc0h 2id0h 3id1l 4id2l 5id3l 6id4l 7id5l 8id6l 9id7l 10is6l 11is7l 12is5l 13is4l 14oc1h "
     "15is3l 16oc2h 17oc3l 18---g 19---g 20---g 21---g 22---g 23---g 24---g 25---g "},
    // The write dialog's rules; a refused value opens nothing, as a claim moves control lines.
    {"", "write control 5", 0, " c14 dir0", S, "~" + T + " .* 00000101 5\n"},
    {"", "pulse data 255 --width 0", 0, " d255 d0", S, H},
    {"", "pulse control 1 --width 2", 0, " c10 dir0 c12 dir0", S, H}, // back to the value before
    {"", "pulse data 1 --rest 12x", 0, " d1 d12", S, H},
    {"", "write control 16", 2, "", "INVALID ENTRY: 16\n"},
    {"", "pulse control 00010000", 2, "", "INVALID ENTRY: 00010000\n"},
    {"", "pulse control 1 --rest 16", 2, "", "INVALID ENTRY: 16\n"},
    // ports opens and claims nothing (the kernel machines check the devices, the holder, lp).
    {"open=EACCES 1@632 nonode", "ports", 0, "", "",
     "{dev}/parport0: base 0x378, modes unknown, devices none, claimed by none, not usable: " +
         kLp +
         "parport1: base 0x278, modes unknown, devices none, claimed by none, not usable: no "
         "device file - load the ppdev module (sudo modprobe ppdev)\n{dev}/usb/lp0: USB printer "
         "adapter, no registers - cannot be used by Bytescope\nBytescope would use the simulated "
         "port: " +
         kLp},
    // Root, but the kernel knows the port: no direct I/O behind its driver's back.
    {"nodev root io=aa,d9,cc", "ports", 0, "", "",
     "~[^]*\nBytescope would use the simulated port: parport0 has no device file - load the "
     "ppdev module \\(sudo modprobe ppdev\\)\n"},
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
    volatile std::sig_atomic_t stop = c.status == 130;
    int status = cli::Run({std::istream_iterator<std::string>(in), {}}, out, err,
                          {&m.system, m.roots, &stop});
    std::string text = out.str(); // the pins in short: number, direction, register, bit, level
    if (std::string(c.args).ends_with(" pins") && status == 0)
        text = std::regex_replace(
            text, std::regex("(\\d+) \\S+ (.)\\S* (.)\\S* (.) \\S+ (.)\\S*\n"), "$1$2$3$4$5 ");
    EXPECT_EQ(status, c.status);
    if (c.out.starts_with('~'))
        EXPECT_TRUE(std::regex_match(text, std::regex(dev(c.out.substr(1))))) << text;
    else
        EXPECT_EQ(text, dev(c.out));
    EXPECT_EQ(err.str(), dev(c.err));
    EXPECT_EQ(m.system.writes, c.writes);
    EXPECT_TRUE(m.system.files.empty()) << "the port is given back";
    EXPECT_TRUE(m.system.requests.empty() || m.system.requests.back() == PPRELEASE);
    EXPECT_TRUE((c.status != 1 && c.status != 2) || m.system.requests.empty()) << "nothing claimed";
    EXPECT_TRUE((c.status != 2 && std::string(c.args) != "ports") || !m.system.opens)
        << "nothing opened";
    EXPECT_TRUE(m.system.iopermError || m.system.ioperms.empty() ||
                m.system.ioperms == (std::vector<bool>{true, false}))
        << "the privilege asked for is given back";
}

INSTANTIATE_TEST_SUITE_P(Commands, Cli, ::testing::ValuesIn(kCases));
INSTANTIATE_TEST_SUITE_P(UsageErrors, Cli,
                         ::testing::Values(usage(""), usage("frob"), usage("read --frob"),
                                           usage("--port"), usage("--port x read"),
                                           usage("write data"), usage("write status 5"),
                                           usage("pins x"), usage("read --csv --json")));

TEST(WatchSample, ChangesOfTheMaskedValuesOnly) {
    auto backend = std::make_unique<testsupport::ScriptedBackend>(0x00, 0x78, 0x0C);
    auto* regs = backend.get();
    testsupport::installRecording(std::move(backend));
    cli::Sampler sampler;
    EXPECT_TRUE(cli::Sample(sampler)) << "the first sample";
    // Status bits 0-2 and control bits 4-7 are not shown.
    // The address, the value, and whether a change is seen.
    const int steps[][3] = {
        {889, 0x7F, 0}, {890, 0xFC, 0}, {888, 0x01, 1}, {889, 0x70, 1}, {890, 0xFD, 1}};
    for (auto [address, value, changed] : steps) {
        regs->set(address, value);
        EXPECT_EQ(cli::Sample(sampler), changed != 0) << address;
    }
}

} // namespace
