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
    // The manual as .htm beside it (the package has both) is opened as any web page is, by the
    // user's browser. Without that copy, the class ".html" makes the shell use the handler of
    // HTML files for a name whose own extension names none.
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = hWndMain;
    info.lpVerb = "open";
    const size_t name = path.find_last_of("\\/") + 1, dot = path.rfind('.');
    const std::string page =
        path.substr(0, dot >= name && dot != std::string::npos ? dot : path.size()) + ".htm";
    info.lpFile = isFile(page) ? page.c_str() : path.c_str();
    if (info.lpFile == path.c_str()) {
        info.fMask |= SEE_MASK_CLASSNAME;
        info.lpClass = ".html";
    }
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExA(&info))
        return TRUE;
    // No program takes it: say where the manual is, so that the user can open it.
    std::string text = std::string("Windows has no program to open the help file ") + info.lpFile +
                       ". Open it in a web browser.";
    MessageBoxA(hWndMain, text.c_str(), "Help", MB_ICONWARNING);
    return FALSE;
}
