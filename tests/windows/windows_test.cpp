// The Windows platform: which port the registers reach, and the command line WinMain gets.
#include "startup.h"
#include "winport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>

struct FakePorts final : portio::PortEnumeration {
    std::vector<portio::LptPort> ports;
    std::vector<portio::LptPort> lptPorts() override { return ports; }
};

// Where the driver DLL is: beside the program (its driver running or not), on the search path
// only, or nowhere.
enum Driver { Beside, NotRunning, OnPath, Absent };

struct PortCase {
    const char* name;
    std::vector<portio::LptPort> ports;
    Driver driver;
    std::string status;
    unsigned base; // where the driver sees 888..890 go; 0 for the simulated port
};

TEST(PortChoice, DriverAndListedPortsDecideWhere888To890Go) {
    const std::string dll = portio::inpoutDllName(), driverDir = ProgramFolder() + "\\driver";
    // clang-format off
    const PortCase cases[] = {
        {"the port at 888 first", {{1, 0xD010}, {2, 0x378}}, Beside,
         "Port: LPT2 at 0x378 (" + dll + ")", 0x378},
        {"else the lowest LPT; DLL on the path", {{4, 0xE000}, {3, 0xD010}}, OnPath,
         "Port: LPT3 at 0xd010 (" + dll + ")", 0xD010},
        {"no port listed", {}, Beside, "Port: 0x378 (" + dll + "; Windows lists no LPT port)",
         0x378},
        {"driver not running", {{1, 0x378}}, NotRunning, "Simulated port: the InpOut32 driver (" +
         dll + ") is not running: start bytescope.exe once as administrator so that it installs "
         "its driver", 0},
        {"no driver", {{1, 0x378}}, Absent, "Simulated port: no port driver found: install the "
         "InpOut32 driver (" + dll + (sizeof(void*) == 8 ? " for 64" : " for 32") +
         "-bit Windows) beside bytescope.exe", 0},
    };
    // clang-format on
    const std::string log = driverDir + "\\inpout-access.log";
    for (const PortCase& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(log.c_str());
        SetEnvironmentVariableA("BYTESCOPE_INPOUT_CLOSED", c.driver == NotRunning ? "1" : nullptr);
        SetDllDirectoryA(c.driver == OnPath ? driverDir.c_str() : nullptr);
        FakePorts ports;
        ports.ports = c.ports;
        std::string dir = c.driver < OnPath ? driverDir : ProgramFolder();
        portio::Choice choice = portio::chooseOnWindows({ports, dir, "bytescope.exe", false});
        EXPECT_EQ(choice.status, c.status);
        ASSERT_TRUE(choice.backend);
        choice.backend->write(888, 0x5A);
        EXPECT_EQ(choice.backend->read(888), 0x5A);
        EXPECT_EQ(choice.backend->read(889), c.base ? 0xFF : 0x78); // 0x78: simulated
        choice.backend->write(890, 0x0B);
        choice.backend->write(891, 0x22); // beyond the three registers: nothing, read or written
        EXPECT_EQ(choice.backend->read(891), 0xFF);
        char seen[128] = "", want[128] = "";
        std::ifstream(log).read(seen, sizeof seen - 1);
        if (c.base)
            std::snprintf(want, sizeof want, "out %d 90\nin %d 90\nin %d 255\nout %d 11\n", c.base,
                          c.base, c.base + 1, c.base + 2);
        EXPECT_STREQ(seen, want);
    }
}

TEST(CommandLine, WinMainGetsWhatFollowsTheProgramName) {
    const char* const cases[][2] = {{"bytescope.exe", ""},
                                    {"bytescope.exe  /x  y", "/x  y"},
                                    {"\"C:\\unclosed quote\0 -x", ""}, // nothing read past the end
                                    {"\"C:\\Program Files\\Bytescope\\bytescope.exe\"\t -v", "-v"},
                                    {"C:\\tools\\bytescope.exe\t\"a b\"", "\"a b\""}};
    for (const auto& c : cases)
        EXPECT_EQ(CommandTail(c[0]), c[1]) << c[0];
}

// A file of the driver's name beside the program that Windows cannot load is named, with
// Windows' reason, not taken for a missing driver.
TEST(PortChoice, AnUnloadableDriverIsNamedWithWindowsReason) {
    const std::string dll = portio::inpoutDllName(), dir = ProgramFolder() + "\\unloadable";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::ofstream(dir + "\\" + dll) << "not a DLL";
    FakePorts ports;
    portio::Choice choice = portio::chooseOnWindows({ports, dir, "bytescope.exe", false});
    EXPECT_TRUE(choice.status.starts_with("Simulated port: " + dll +
                                          " beside bytescope.exe cannot be loaded: "))
        << choice.status;
    EXPECT_NE(choice.status.find(" (error 193) - replace it"), std::string::npos) << choice.status;
}
