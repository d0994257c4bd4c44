// Program start-up on Windows: the common controls, COM for the shell, the port, then the
// program's own WinMain with the command-line tail.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "portio.h"
#include "startup.h"

int main() {
    // The status bar is a common control: its window class must be registered first.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    // The help hand-off goes through the shell, which may need COM.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    std::fprintf(stderr, "bytescope: %s\n", PortIO_Status());
    std::fflush(stderr);

    std::string tail = CommandTail(GetCommandLineA());
    int code = WinMain(GetModuleHandleA(nullptr), nullptr, tail.data(), SW_SHOWNORMAL);
    CoUninitialize();
    return code;
}
