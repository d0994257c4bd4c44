// A stand-in for the InpOut32 driver DLL (inpoutx64.dll, inpout32.dll) with its exports. Every
// port byte is a latch (0xFF until written). Each access is appended to the file named by
// BYTESCOPE_INPOUT_LOG, else to inpout-access.log beside the DLL, as "in 0378 ff" or
// "out 037a 0b". With BYTESCOPE_INPOUT_CLOSED set the driver reports that it is not running.
#include <windows.h>

#include <cstdio>
#include <cstring>

static unsigned char* const latch = [] {
    static unsigned char bytes[65536];
    std::memset(bytes, 0xFF, sizeof bytes);
    return bytes;
}();

static void record(const char* kind, unsigned short port, int value) {
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("BYTESCOPE_INPOUT_LOG", path, sizeof path)) {
        HMODULE self = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&record), &self);
        GetModuleFileNameA(self, path, sizeof path);
        std::strcpy(std::strrchr(path, '\\') + 1, "inpout-access.log");
    }
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s %04x %02x\n", kind, port, value & 0xFF);
        std::fclose(f);
    }
}

extern "C" __declspec(dllexport) short WINAPI Inp32(short address) {
    record("in", (unsigned short)address, latch[(unsigned short)address]);
    return latch[(unsigned short)address];
}

extern "C" __declspec(dllexport) void WINAPI Out32(short address, short data) {
    latch[(unsigned short)address] = (unsigned char)data;
    record("out", (unsigned short)address, data);
}

extern "C" __declspec(dllexport) BOOL WINAPI IsInpOutDriverOpen() {
    return GetEnvironmentVariableA("BYTESCOPE_INPOUT_CLOSED", nullptr, 0) == 0;
}
