// The Windows platform: which port the registers reach, and the command line WinMain gets.
#include "startup.h"
#include "winport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

struct FakePorts final : portio::PortEnumeration {
    std::vector<portio::LptPort> ports;
    std::vector<portio::LptPort> lptPorts() override { return ports; }
};

std::vector<std::string> linesOf(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(0, line.find_last_not_of("\r ") + 1));
    return lines;
}

struct PortCase {
    const char* name;
    std::vector<portio::LptPort> ports;
    bool driver, running;
    std::string status, shortName;
    std::vector<std::string> accesses; // what the driver saw of the writes and reads below
};

TEST(PortChoice, DriverAndListedPortsDecideWhere888To890Go) {
    const std::string dll = portio::inpoutDllName();
    const std::vector<std::string> legacy = {"out 0378 5a", "in 0378 5a", "in 0379 ff",
                                             "out 037a 0b"};
    const std::string fix = "install the InpOut32 driver (" + dll +
                            (sizeof(void*) == 8 ? " for 64-bit" : " for 32-bit") +
                            " Windows) beside bytescope.exe";
    // clang-format off
    const PortCase cases[] = {
        {"the port at 888 first", {{1, 0xD010}, {2, 0x378}}, true, true,
         "Port: LPT2 at 0x378 (" + dll + ")", "Port: LPT2", legacy},
        {"a card elsewhere", {{3, 0xD010}}, true, true, "Port: LPT3 at 0xd010 (" + dll + ")",
         "Port: LPT3", {"out d010 5a", "in d010 5a", "in d011 ff", "out d012 0b"}},
        {"else the lowest LPT", {{4, 0xE000}, {2, 0xC000}}, true, true,
         "Port: LPT2 at 0xc000 (" + dll + ")", "Port: LPT2",
         {"out c000 5a", "in c000 5a", "in c001 ff", "out c002 0b"}},
        {"no port listed", {}, true, true, "Port: 0x378 (" + dll + "; Windows lists no LPT port)",
         "Port: 0x378", legacy},
        {"no driver", {{1, 0x378}}, false, true,
         "Simulated port: no port driver found: " + fix, "Simulated port", {}},
        {"driver not running", {{1, 0x378}}, true, false, "Simulated port: the InpOut32 driver (" +
         dll + ") is not running: start bytescope.exe once as administrator so that it installs "
         "its driver", "Simulated port", {}},
    };
    // clang-format on
    const std::string log = ProgramFolder() + "\\inpout-test.log";
    SetEnvironmentVariableA("BYTESCOPE_INPOUT_LOG", log.c_str());
    for (const PortCase& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(log.c_str());
        SetEnvironmentVariableA("BYTESCOPE_INPOUT_CLOSED", c.running ? nullptr : "1");
        FakePorts ports;
        ports.ports = c.ports;
        std::string dir = ProgramFolder() + (c.driver ? "\\driver" : "\\no-driver");
        portio::Choice choice = portio::chooseOnWindows({ports, dir, false});
        EXPECT_EQ(choice.status, c.status);
        EXPECT_EQ(choice.shortName, c.shortName);
        ASSERT_TRUE(choice.backend);
        choice.backend->write(888, 0x5A);
        EXPECT_EQ(choice.backend->read(888), 0x5A);
        EXPECT_EQ(choice.backend->read(889), c.accesses.empty() ? 0x78 : 0xFF); // 0x78: simulated
        choice.backend->write(890, 0x0B);
        EXPECT_EQ(choice.backend->read(891), 0xFF); // beyond the three registers: nothing
        EXPECT_EQ(linesOf(log), c.accesses);
    }
    SetEnvironmentVariableA("BYTESCOPE_INPOUT_LOG", nullptr);
    SetEnvironmentVariableA("BYTESCOPE_INPOUT_CLOSED", nullptr);
}

TEST(CommandLine, WinMainGetsWhatFollowsTheProgramName) {
    const char* const cases[][2] = {
        {"bytescope.exe", ""},
        {"bytescope.exe  /x  y", "/x  y"},
        {"\"C:\\Program Files\\Bytescope\\bytescope.exe\"\t -v", "-v"},
        {"\"C:\\unclosed quote", ""},
        {"C:\\tools\\bytescope.exe\t\"a b\"", "\"a b\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommandTail(c[0]), c[1]) << c[0];
}
