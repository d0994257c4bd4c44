// bytescope-cli's commands on a stand-in machine: what they print, write and exit with.
#include "cli.h"
#include "fake_system.h"
#include "recording_backend.h"

#include <gtest/gtest.h>

#include <iterator>
#include <regex>
#include <thread>

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
const std::string I = "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{6}[+-]\\d\\d:\\d\\d,\\d+";
const std::string S = "bytescope-cli: Port: {dev}/parport0 (ppdev, base 0x378)\n";
const std::string R = ",01000001,65,11011000,216,00000111,7\n"; // data 41, status 58: BUSY, nACK
const std::string J = "\\{\"time\":\"[^\"]+\",\"t_mono_ns\":\\d+,";
const std::string W = "\\d\\d:\\d\\d:\\d\\d\\.\\d{6} 01000001 65 "; // a wait's event
const auto usage = [](const char* args, std::string what) {
    return Case{"", args, 2, "",
                "bytescope-cli: " + what + "\nTry 'bytescope-cli --help' for more information.\n"};
};
const auto invalid = [](const char* args, const char* text, bool control = false) {
    return Case{"", args, 2, "",
                std::string("bytescope-cli: INVALID ENTRY: ") + text +
                    (control ? " (expected 0-15, the control lines: decimal digits, eight binary "
                               "digits 0000xxxx or 0x0-0xF)\n"
                             : " (expected 0-255: one to three decimal digits, eight binary "
                               "digits or 0x0-0xFF)\n")};
};
const char* kBusy = "status=58,58,D8,D8,58"; // BUSY high, high, low, low, then high

const Case kCases[] = {
    {"", "read --help", 0, "", "", "usage: bytescope-cli \\[OPTIONS\\] COMMAND [^]*"},
    {"", "read --csv --count 2 --port {dev}/parport0 --interval 1", 0, "", S,
     "time,t_mono_ns,data_binary,data,status_binary,status,control_binary,control\n(" + I + R +
         "){2}"},
    {"", "--port={dev}/parport0 read --json", 0, "", S,
     J + "\"data_binary\":\"01000001\",\"data\":65,\"status_binary\":\"11011000\",\"status\":"
         "216,\"control_binary\":\"00000111\",\"control\":7\\}\n"},
    {"", "read --count 2 --interval 10s", 130, "", S, T + " .*\n"}, // one reading, then Ctrl+C
    {"root io=07,78,04", "--port direct write data 0x07", 0, " +io o888=7 -io",
     "bytescope-cli: Port: direct I/O at 0x378\n", T + " 00000111 7 .*\n"},
    // Ports that cannot be used: why, the fix, status 1, nothing claimed.
    {"", "--port {dev}/parport7 pins", 1, "",
     "bytescope-cli: {dev}/parport7 does not exist - load the port drivers (sudo modprobe "
     "parport_pc ppdev)\n"},
    {"eperm", "--port direct read", 1, " +io",
     "bytescope-cli: direct I/O at 0x378 needs root or CAP_SYS_RAWIO - run it as root (sudo)\n"},
    {"open=EACCES", "read -q --require-port", 1, "",
     "bytescope-cli: --require-port: no real port to use, nothing done (Simulated port: "
     "{dev}/parport0 permission denied - add your user to group lp (sudo usermod -aG lp $USER, "
     "then log in again))\n"},
    {"open=EACCES", "read -q", 0, "", "", T + " 00000000 0 11111000 248 00000111 7\n"},
    // A pulse, and one cut short by Ctrl+C, ends on the rest value.
    {"", "pulse data 255 --width 0 --json", 0, " d255 d0", S,
     J + "\"register\":\"data\",\"value\":255,\"rest\":0,\"width_ns\":0,\"held_ns\":\\d+\\}\n"},
    {"", "pulse data 255 --width 10s --json", 130, " d255 d0", S, J + ".*\\}\n"},
    {"", "pulse control 1 --width=2ms -q --json", 0, " c10 dir0 c12 dir0", "", J + ".*\\}\n"},
    {"", "pulse data 1 --rest=0x0C -q --json", 0, " d1 d12", "", J + ".*\\}\n"},
    // Waits on BUSY (pin 11, inverted): each event a reading; none within the time: status 3.
    {kBusy, "wait 11 falling --interval 0 -q", 0, "", "", W + "01011000 88 00000111 7\n"},
    {kBusy, "wait busy rising -q", 0, "", "", W + "11011000 216 00000111 7\n"},
    {kBusy, "wait BUSY either --count 2 --json -q", 0, "", "",
     J + ".*\"status\":88,.*\"pin\":11,\"signal\":\"BUSY\",\"event\":\"falling\"\\}\n" + J +
         ".*\"status\":216,.*\"event\":\"rising\"\\}\n"},
    {kBusy, "wait 11 low -q", 0, "", "", W + "01011000 88 00000111 7\n"},
    {kBusy, "wait 11 high -q --count 2", 0, "", "", "(" + W + "11011000 216 00000111 7\n){2}"},
    {kBusy, "wait 10 falling --timeout 20ms -q", 3, "",
     "bytescope-cli: wait: 0 of 1 falling edges on pin 10 (nACK) within 0.02 s\n"},
    // ports claims nothing (the kernel machines check the devices, the holder, lp).
    {"open=EACCES 1@632 nonode", "ports", 0, "", "",
     "[^]*\nparport1: base 0x278, [^\n]* not usable: no device file - load the ppdev module "
     "\\(sudo modprobe ppdev\\)\n{dev}/usb/lp0: USB printer adapter, no registers - cannot be used "
     "by Bytescope\nBytescope would use the simulated port: {dev}/parport0 permission denied[^]*"},
    // Values: exactly decimal, binary or 0x hex; refused ones are quoted, nothing claimed.
    invalid("write control 16", "\"16\"", true),
    invalid("pulse control 00010000", "\"00010000\"", true),
    invalid("write control 0x10", "\"0x10\"", true),
    invalid("pulse control 1 --rest 16", "\"16\"", true),
    invalid("write data 1.5", "\"1.5\""),
    invalid("write data 0x100", "\"0x100\""),
    invalid("write data \x1b[2J", "\"\\x1B[2J\""),
    // Misuse: what is wrong and where the help is.
    usage("", "no command given"),
    usage("frob", "unknown command \"frob\""),
    usage("read --frob", "unknown option \"--frob\""),
    usage("--port", "option --port needs a value"),
    usage("--port x read", "--port takes auto, /dev/parportN, direct or simulated, not \"x\""),
    usage("--port /\x1b[2J read", "--port takes auto, /dev/parportN, direct or simulated, not "
                                  "\"/\\x1B[2J\""),
    usage("write data", "write needs a register (data or control) and a value"),
    usage("write status 5", "\"status\" is not a register that can be written: data or control"),
    usage("pins x", "unexpected argument \"x\""),
    usage("read --csv --json", "--csv and --json exclude each other"),
    usage("read --width 5", "read does not take --width"),
    usage("read --json=1", "option --json takes no value"),
    usage("read --count 0", "--count takes a whole number from 1 to 1000000000, not \"0\""),
    usage("watch --interval 5m", "--interval takes a time such as 250us, 10ms or 1.5s (a "
                                 "bare number counts in us) up to 60s, not \"5m\""),
    usage("wait 9 rising", "\"9\" is not a status input: 10 nACK, 11 BUSY, 12 PAPER-OUT, 13 "
                           "SELECT or 15 nERROR"),
    usage("wait 11 up", "\"up\" is not an event: rising, falling, either, high or low"),
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
    static volatile std::sig_atomic_t stop;
    stop = 0;
    std::thread ctrlC;
    if (c.status == 130) { // Ctrl+C 50 ms in, to this thread, as the terminal would send it
        signal(SIGINT, [](int) { stop = SIGINT; });
        ctrlC = std::thread([self = pthread_self()] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            pthread_kill(self, SIGINT);
        });
    }
    int status = cli::Run({std::istream_iterator<std::string>(in), {}}, out, err,
                          {&m.system, m.roots, &stop});
    if (ctrlC.joinable())
        ctrlC.join();
    EXPECT_EQ(status, c.status);
    EXPECT_TRUE(std::regex_match(out.str(), std::regex(m.expand(c.out)))) << out.str();
    EXPECT_EQ(err.str(), m.expand(c.err));
    EXPECT_EQ(m.system.writes, c.writes);
    EXPECT_TRUE(m.system.files.empty()) << "the port is given back";
    EXPECT_TRUE(m.system.requests.empty() || m.system.requests.back() == PPRELEASE);
    bool claims = c.status != 1 && c.status != 2 && std::string(c.args) != "ports";
    EXPECT_TRUE(claims || m.system.requests.empty()) << "nothing claimed";
}

INSTANTIATE_TEST_SUITE_P(Commands, Cli, ::testing::ValuesIn(kCases));

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
