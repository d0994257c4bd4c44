// Which port _inp/_outp reach on Windows, and if none, why not and what the user can do.
#include "winport.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "startup.h"

namespace portio {

namespace {

#if defined(__i386__)
// Windows 9x lets every program execute the port instructions; that is how the program was
// written to reach the port.
class DirectBackend final : public Backend {
public:
    int read(unsigned short port) override {
        if (!isPortRegister(port))
            return 0xFF;
        unsigned char value;
        __asm__ __volatile__("inb %w1, %b0" : "=a"(value) : "Nd"(port));
        return value;
    }
    void write(unsigned short port, int value) override {
        if (isPortRegister(port))
            __asm__ __volatile__("outb %b0, %w1" : : "a"((unsigned char)value), "Nd"(port));
    }
};
#endif

// The Inp32/Out32 interface of InpOut32: the DLL reaches the port through its kernel driver.
using Inp32Fn = short(WINAPI*)(short);
using Out32Fn = void(WINAPI*)(short, short);
using IsOpenFn = BOOL(WINAPI*)();

template <typename Fn> Fn exported(HMODULE dll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

// 888..890 are the registers of the port at `base`, wherever Windows put it.
class InpOutBackend final : public Backend {
public:
    InpOutBackend(HMODULE dll, Inp32Fn inp, Out32Fn out, unsigned long base)
        : dll_(dll), inp_(inp), out_(out), base_(base) {}
    ~InpOutBackend() override { FreeLibrary(dll_); }

    int read(unsigned short port) override {
        return isPortRegister(port) ? inp_(address(port)) & 0xFF : 0xFF;
    }
    void write(unsigned short port, int value) override {
        if (isPortRegister(port))
            out_(address(port), short(value & 0xFF));
    }

private:
    // The interface takes the 16-bit address as a short; addresses above 0x7FFF wrap.
    short address(unsigned short port) const {
        return short((unsigned short)(base_ + (port - kDataAddr)));
    }

    HMODULE dll_;
    Inp32Fn inp_;
    Out32Fn out_;
    unsigned long base_;
};

std::string driverMissing(const WindowsMachine& machine) {
    return std::string("no port driver found: install the InpOut32 driver (") + inpoutDllName() +
           (sizeof(void*) == 8 ? " for 64" : " for 32") + "-bit Windows) beside " + machine.program;
}

// Windows' own text for an error about `subject` (its "%1"), and the error's number.
std::string windowsError(DWORD error, const std::string& subject) {
    char text[256] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, text, sizeof text, nullptr);
    while (n > 0 && std::strchr("\r\n .", text[n - 1]))
        text[--n] = '\0';
    std::string said = n ? text : "unknown error";
    if (size_t at = said.find("%1"); at != std::string::npos)
        said.replace(at, 2, subject);
    return said + " (error " + std::to_string(error) + ")";
}

} // namespace

const char* inpoutDllName() {
#if defined(_WIN64)
    return "inpoutx64.dll";
#else
    return "inpout32.dll";
#endif
}

Choice chooseOnWindows(const WindowsMachine& machine) {
#if defined(__i386__)
    if (machine.windows9x)
        return directChoice(std::make_unique<DirectBackend>());
#endif
    const std::string name = inpoutDllName();
    const std::string beside = machine.driverDir + "\\" + name;
    HMODULE dll = LoadLibraryA(beside.c_str());
    const DWORD loadError = dll ? 0 : GetLastError();
    if (!dll && GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // There, but not a DLL that Windows loads (another build's, or not a DLL at all): not a
        // missing driver.
        return simulatedChoice(name + " beside " + machine.program +
                               " cannot be loaded: " + windowsError(loadError, name) +
                               " - replace it with the InpOut32 driver's " + name);
    }
    if (!dll)
        dll = LoadLibraryA(name.c_str());
    if (!dll)
        return simulatedChoice(driverMissing(machine));

    auto inp = exported<Inp32Fn>(dll, "Inp32");
    auto out = exported<Out32Fn>(dll, "Out32");
    auto isOpen = exported<IsOpenFn>(dll, "IsInpOutDriverOpen");
    if (!inp || !out || !isOpen) {
        const std::string error = windowsError(GetLastError(), name);
        FreeLibrary(dll);
        return simulatedChoice(name + " has no Inp32/Out32 (" + error +
                               "): " + driverMissing(machine));
    }
    // The DLL installs and starts its kernel driver the first time it runs with administrator
    // rights; until then it cannot reach the port.
    if (!isOpen()) {
        FreeLibrary(dll);
        return simulatedChoice("the InpOut32 driver (" + name + ") is not running: start " +
                               machine.program +
                               " once as administrator so that it installs its driver");
    }

    std::vector<LptPort> ports = legacyFirst(machine.ports.lptPorts());
    if (ports.empty())
        return {std::make_unique<InpOutBackend>(dll, inp, out, kLegacyBase),
                "Port: " + hexAddress(kLegacyBase) + " (" + name + "; Windows lists no LPT port)"};
    const LptPort& port = ports.front();
    return {std::make_unique<InpOutBackend>(dll, inp, out, port.base),
            "Port: LPT" + std::to_string(port.number) + " at " + hexAddress(port.base) + " (" +
                name + ")"};
}

Choice chooseForThisMachine() {
    // GetVersion's high bit is set on Windows 95, 98 and Me.
    bool windows9x = (GetVersion() & 0x80000000u) != 0;
    return chooseOnWindows({systemPortEnumeration(), ProgramFolder(), ProgramFile(), windows9x});
}

} // namespace portio
