// A stand-in for the InpOut32 driver DLL (inpoutx64.dll, inpout32.dll) with its exports. Every
// port byte is a latch (0xFF until written). Each access is appended to inpout-access.log beside
// the DLL, as "in 888 255" or "out 890 11". With BYTESCOPE_INPOUT_CLOSED set the driver reports
// that it is not running.
#include <windows.h>

#include <cstdio>
#include <cstring>

static unsigned char complement[65536]; // each latch inverted, so that all start at 0xFF
static char logPath[MAX_PATH];

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH && GetModuleFileNameA(self, logPath, MAX_PATH - 20))
        std::strcpy(std::strrchr(logPath, '\\') + 1, "inpout-access.log");
    return TRUE;
}

static short record(const char* kind, short address, int value) {
    if (FILE* f = std::fopen(logPath, "ab")) {
        std::fprintf(f, "%s %u %u\n", kind, (unsigned short)address, value & 0xFF);
        std::fclose(f);
    }
    return (short)value;
}

extern "C" __declspec(dllexport) short WINAPI Inp32(short address) {
    return record("in", address, complement[(unsigned short)address] ^ 0xFF);
}

extern "C" __declspec(dllexport) void WINAPI Out32(short address, short data) {
    complement[(unsigned short)address] = (unsigned char)~data;
    record("out", address, data);
}

extern "C" __declspec(dllexport) BOOL WINAPI IsInpOutDriverOpen() {
    return GetEnvironmentVariableA("BYTESCOPE_INPOUT_CLOSED", nullptr, 0) == 0;
}
