// The parallel ports Windows lists: the Ports device class, each LPTn with its I/O range.
#include "winport.h"

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace portio {

namespace {

// GUID_DEVCLASS_PORTS: serial and parallel ports.
const GUID kPortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// The n of the device's "LPTn" name; -1 for a serial port or a device without a name.
int lptNumber(HDEVINFO set, SP_DEVINFO_DATA& device) {
    HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE)
        return -1;
    char name[32] = {};
    DWORD size = sizeof name - 1, type = 0;
    LONG err = RegQueryValueExA(key, "PortName", nullptr, &type, (BYTE*)name, &size);
    RegCloseKey(key);
    if (err != ERROR_SUCCESS || type != REG_SZ || _strnicmp(name, "LPT", 3) != 0)
        return -1;
    char* end = nullptr;
    long n = strtol(name + 3, &end, 10);
    return (end != name + 3 && *end == '\0' && n > 0 && n < 1000) ? int(n) : -1;
}

// The first I/O range of the configuration Windows gave the device: the SPP registers. (PCIe
// cards list the ECP registers as a second range.)
std::optional<unsigned long> firstIoAddress(DEVINST device) {
    LOG_CONF conf = 0;
    if (CM_Get_First_Log_Conf(&conf, device, ALLOC_LOG_CONF) != CR_SUCCESS &&
        CM_Get_First_Log_Conf(&conf, device, BOOT_LOG_CONF) != CR_SUCCESS)
        return std::nullopt;
    std::optional<unsigned long> base;
    RES_DES range = 0;
    if (CM_Get_Next_Res_Des(&range, conf, ResType_IO, nullptr, 0) == CR_SUCCESS) {
        ULONG size = 0;
        if (CM_Get_Res_Des_Data_Size(&size, range, 0) == CR_SUCCESS && size >= sizeof(IO_DES)) {
            std::vector<char> data(size);
            IO_DES header;
            if (CM_Get_Res_Des_Data(range, data.data(), size, 0) == CR_SUCCESS) {
                std::memcpy(&header, data.data(), sizeof header);
                base = (unsigned long)header.IOD_Alloc_Base;
            }
        }
        CM_Free_Res_Des_Handle(range);
    }
    CM_Free_Log_Conf_Handle(conf);
    return base;
}

class SystemPorts final : public PortEnumeration {
public:
    std::vector<LptPort> lptPorts() override {
        std::vector<LptPort> ports;
        HDEVINFO set = SetupDiGetClassDevsA(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
        if (set == INVALID_HANDLE_VALUE)
            return ports;
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof device;
        for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
            int number = lptNumber(set, device);
            if (number < 0)
                continue;
            if (auto base = firstIoAddress(device.DevInst))
                ports.push_back({number, *base});
        }
        SetupDiDestroyDeviceInfoList(set);
        return ports;
    }
};

} // namespace

PortEnumeration& systemPortEnumeration() {
    static SystemPorts ports;
    return ports;
}

} // namespace portio
