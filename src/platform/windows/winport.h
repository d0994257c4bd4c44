// Port access on Windows: the LPT ports that Windows lists, an Inp32/Out32 driver DLL, the port
// instructions themselves on Windows 9x, and the choice among them.
#pragma once

#include "backend.h"

#include <string>
#include <vector>

namespace portio {

// A parallel port as Windows lists it: LPTn and the first address of its I/O range.
struct LptPort {
    int number;
    unsigned long base;
};

// The parallel ports of the machine, so that tests can stand in for Windows' device list.
class PortEnumeration {
public:
    virtual ~PortEnumeration() = default;
    virtual std::vector<LptPort> lptPorts() = 0;
};

// Windows' own list: the Ports class of SetupAPI, each port's I/O range from CfgMgr32.
PortEnumeration& systemPortEnumeration();

struct WindowsMachine {
    PortEnumeration& ports;
    std::string driverDir; // the program's folder, searched for the driver DLL first
    std::string program;   // its file name, as the messages name it
    bool windows9x;        // user programs may execute the port instructions themselves
};

// Windows 9x: the instructions at 888..890 (32-bit builds only). Otherwise the InpOut32 driver
// DLL (beside the program, then on the search path) with 888..890 moved onto the listed port's
// base (the one at 888 first, else the lowest LPT number); else the simulated port, with what
// fixes it.
Choice chooseOnWindows(const WindowsMachine& machine);

// The driver DLL this build loads: inpoutx64.dll (64-bit) or inpout32.dll (32-bit).
const char* inpoutDllName();

} // namespace portio
