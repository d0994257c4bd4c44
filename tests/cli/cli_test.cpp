// bytescope-cli's commands on a stand-in machine: what they print, write and exit with.
#include "cli.h"
#include "fake_system.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

#include <iterator>
#include <regex>

namespace {

struct Case {
    const char* machine;  // fake::Machine::build's words, on a machine with parport0 at 0x378
    const char* args;     // split at blanks; {dev} stands for the machine's /dev, as below
    int status;           // 130: run with Ctrl+C pressed
    const char* writes;   // as fake::System::writes has them
    std::string err;      // exact
    std::string out = ""; // a pattern
};

const std::string T = "\\d\\d:\\d\\d:\\d\\d\\.\\d{3}"; // the time of a reading
const std::string U = "usage: bytescope-cli [--port /dev/parportN|direct|simulated] "
                      "read|write|pulse|watch|pins|ports [ARGS] (--help for more)\n";
const std::string S = "bytescope-cli: Port: {dev}/parport0 (ppdev, base 0x378)\n";
const std::string R = ",01000001,65,11011000,216,00000111,7\n"; // data 41, status 58: BUSY, nACK
const std::string H = "held \\d+\\.\\d{3} ms\n";
const auto usage = [](const char* args) { return Case{"", args, 2, "", U}; };

const Case kCases[] = {
    {"", "read --count 0", 2, "",
     "bytescope-cli: --count takes a whole number from 1 to 1000000000, not \"0\"\n"},
    {"", "read --help", 0, "", "", "usage: bytescope-cli \\[--port PORT\\] COMMAND [^]*"},
    {"", "--port {dev}/parport0 read --csv --count 2 --interval 1", 0, "", S,
     "time,data_binary,data,status_binary,status,control_binary,control\n(" + T + R + "){2}"},
    {"", "--port={dev}/parport0 read --json", 0, "", S,
     "\\{\"time\":\"" + T +
         "\",\"data_binary\":\"01000001\",\"data\":65,\"status_binary\":\"11011000\",\"status\":"
         "216,\"control_binary\":\"00000111\",\"control\":7\\}\n"},
    {"", "read --count 2", 130, "", S, T + " .*\n"}, // one reading, then Ctrl+C
    {"root io=07,78,04", "--port direct write data 7", 0, " +io o888=7 -io",
     "bytescope-cli: Port: direct I/O at 0x378\n", T + " 00000111 7 .*\n"},
    // Ports that cannot be used: why, the fix, status 1, nothing claimed.
    {"", "--port {dev}/parport7 pins", 1, "",
     "bytescope-cli: {dev}/parport7 does not exist - load the port drivers (sudo modprobe "
     "parport_pc ppdev)\n"},
    {"eperm", "--port direct read", 1, " +io",
     "bytescope-cli: direct I/O at 0x378 needs root or CAP_SYS_RAWIO - run it as root (sudo)\n"},
    // The write dialog's rules; a refused value claims nothing, as a claim moves control lines.
    {"", "pulse data 255 --width 0", 0, " d255 d0", S, H},
    {"", "pulse control 1 --width 2", 0, " c10 dir0 c12 dir0", S, H}, // back to the value before
    {"", "pulse data 1 --rest 12x", 0, " d1 d12", S, H},
    {"", "write control 16", 2, "", "INVALID ENTRY: 16\n"},
    {"", "pulse control 00010000", 2, "", "INVALID ENTRY: 00010000\n"},
    {"", "pulse control 1 --rest 16", 2, "", "INVALID ENTRY: 16\n"},
    // ports claims nothing (the kernel machines check the devices, the holder, lp).
    {"open=EACCES 1@632 nonode", "ports", 0, "", "",
     "[^]*\nparport1: base 0x278, [^\n]* not usable: no device file - load the ppdev module "
     "\\(sudo modprobe ppdev\\)\n{dev}/usb/lp0: USB printer adapter, no registers - cannot be used "
     "by Bytescope\nBytescope would use the simulated port: {dev}/parport0 permission denied[^]*"},
};

class Cli : public ::testing::TestWithParam<Case> {};

TEST_P(Cli, PrintsWritesAndExitsAsDocumented) {
    const Case& c = GetParam();
    SCOPED_TRACE(std::string(c.machine) + " | " + c.args);
    fake::Machine m;
    m.build(std::string("0@888 ") + c.machine);
    std::filesystem::create_directories(m.roots.dev + "/usb");
    std::ofstream(m.roots.dev + "/usb/lp0") << "";
    std::istringstream in(m.expand(c.args));
    std::ostringstream out, err;
    volatile std::sig_atomic_t stop = c.status == 130;
    int status = cli::Run({std::istream_iterator<std::string>(in), {}}, out, err,
                          {&m.system, m.roots, &stop});
    EXPECT_EQ(status, c.status);
    EXPECT_TRUE(std::regex_match(out.str(), std::regex(m.expand(c.out)))) << out.str();
    EXPECT_EQ(err.str(), m.expand(c.err));
    EXPECT_EQ(m.system.writes, c.writes);
    EXPECT_TRUE(m.system.files.empty()) << "the port is given back";
    EXPECT_TRUE(m.system.requests.empty() || m.system.requests.back() == PPRELEASE);
    bool claims = (c.status == 0 || c.status == 130) && std::string(c.args) != "ports";
    EXPECT_TRUE(claims || m.system.requests.empty()) << "nothing claimed";
}

INSTANTIATE_TEST_SUITE_P(Commands, Cli, ::testing::ValuesIn(kCases));
INSTANTIATE_TEST_SUITE_P(UsageErrors, Cli,
                         ::testing::Values(usage(""), usage("frob"), usage("read --frob"),
                                           usage("--port"), usage("--port x read"),
                                           usage("write data"), usage("write status 5"),
                                           usage("pins x"), usage("read --csv --json")));

TEST(WatchSample, ChangesOfTheMaskedValuesOnly) {
    auto* regs = new testsupport::ScriptedBackend(0x00, 0x78, 0x0C);
    testsupport::installRecording(std::unique_ptr<portio::Backend>(regs));
    cli::Sampler sampler;
    std::string seen; // status bits 0-2 and control bits 4-7 are not shown
    for (auto [address, value] :
         {std::pair{888, 0}, {889, 0x7F}, {890, 0xFC}, {888, 1}, {889, 0x70}, {890, 0xFD}}) {
        regs->set(address, value);
        seen += cli::Sample(sampler) ? 'y' : 'n';
    }
    EXPECT_EQ(seen, "ynnyyy");
}

} // namespace
