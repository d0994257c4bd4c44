// The help hand-off: the manual is HTML, whatever its name, and the shell opens it as such.
#include "winhelp.h"

#include <shellapi.h>

#include <string>

#include "startup.h"

namespace {

bool isFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string helpPath(const std::string& name) {
    if (name.find_first_of("\\/:") != std::string::npos)
        return name;
    return ProgramFolder() + "\\" + name;
}

} // namespace

BOOL WINAPI Bytescope_WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR) {
    if (uCommand == HELP_QUIT)
        return TRUE;
    if (uCommand != HELP_FINDER && uCommand != HELP_CONTENTS)
        return FALSE;
    std::string path = helpPath(lpszHelp ? lpszHelp : "");
    if (!isFile(path)) {
        std::string text = "Cannot find the help file " + path + ".";
        MessageBoxA(hWndMain, text.c_str(), "Help", MB_ICONWARNING);
        return FALSE;
    }
    // The class ".html" makes the shell use the handler of HTML files (the user's browser) for
    // a file whose own extension names no handler.
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_CLASSNAME | SEE_MASK_NOASYNC;
    info.hwnd = hWndMain;
    info.lpVerb = "open";
    info.lpFile = path.c_str();
    info.lpClass = ".html";
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info);
}
