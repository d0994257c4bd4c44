// A stand-in for the InpOut32 driver DLL (inpoutx64.dll, inpout32.dll) with its exports. Every
// port byte is a latch (0xFF until written). Each access is appended to the file named by
// BYTESCOPE_INPOUT_LOG, else to inpout-access.log beside the DLL, as "in 0378 ff" or
// "out 037a 0b". With BYTESCOPE_INPOUT_CLOSED set the driver reports that it is not running.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

unsigned char latch[65536];
bool latched[65536];

std::string logPath() {
    char path[MAX_PATH] = {};
    if (GetEnvironmentVariableA("BYTESCOPE_INPOUT_LOG", path, sizeof path) > 0)
        return path;
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&latch), &self);
    GetModuleFileNameA(self, path, sizeof path);
    std::string dll = path;
    return dll.substr(0, dll.find_last_of('\\') + 1) + "inpout-access.log";
}

void record(const char* kind, unsigned short port, int value) {
    if (FILE* f = std::fopen(logPath().c_str(), "a")) {
        std::fprintf(f, "%s %04x %02x\n", kind, port, value & 0xFF);
        std::fclose(f);
    }
}

} // namespace

extern "C" __declspec(dllexport) short WINAPI Inp32(short address) {
    auto port = (unsigned short)address;
    int value = latched[port] ? latch[port] : 0xFF;
    record("in", port, value);
    return short(value);
}

extern "C" __declspec(dllexport) void WINAPI Out32(short address, short data) {
    auto port = (unsigned short)address;
    latch[port] = (unsigned char)data;
    latched[port] = true;
    record("out", port, data);
}

extern "C" __declspec(dllexport) BOOL WINAPI IsInpOutDriverOpen() {
    return GetEnvironmentVariableA("BYTESCOPE_INPOUT_CLOSED", nullptr, 0) == 0;
}
