// The program's resources: menu 600, accelerator table 100, dialogs 321, 331 and 501 and the
// string table.
#include "resource.h"
#include "windows.h"

namespace {

const MENUITEM_RES kMainMenu[] = {
    {MF_POPUP, 0, "&File"},
    {MF_END, IDM_EXIT, "&E&xit"},
    {MF_POPUP, 0, "&Read"},
    {MF_END, IDM_RPORT, "&Parallel Port"},
    {MF_POPUP, 0, "&Write"},
    {0, IDM_WDATA, "&Data Register"},
    {MF_END, IDM_WCONTROL, "&Control Register"},
    {MF_POPUP | MF_END, 0, "&Help"},
    {0, IDM_HELPTOPICS, "&Help Topics"},
    {MF_END, IDM_ABOUT, "&About"},
};

const MENU_RES kMenus[] = {{IDR_MAINMENU, kMainMenu}};

const ACCEL kAccelerators[] = {
    {FVIRTKEY | FCONTROL, 'Q', IDM_EXIT},
    {FVIRTKEY, VK_F12, IDM_RPORT},
    {FVIRTKEY, VK_F1, IDM_WDATA},
    {FVIRTKEY, VK_F2, IDM_WCONTROL},
};

const ACCELTABLE_RES kAcceleratorTables[] = {
    {IDR_ACCELERATORS, kAccelerators, sizeof kAccelerators / sizeof kAccelerators[0]}};

// Both write dialogs carry the same controls.
const DLGITEM_RES kWriteItems[] = {
    {ID_INPUT, "edit", "", 0x50810080, 0, 16, 10, 37, 12},
    {IDSEND, "button", "Send", 0x50010001, 0, 68, 10, 24, 12},
    {IDCANCEL, "button", "Cancel", 0x50010000, 0, 102, 10, 28, 12},
};

const DLGITEM_RES kAboutItems[] = {
    {IDOK, "button", "OK", 0x50010001, 0x20000, 16, 33, 33, 16},
    {IDC_ABOUT_NAME, "static", "Bytescope", 0x50020001, 0, 13, 8, 40, 7},
    {IDC_ABOUT_PLATFORM, "static", "For Windows 9x ", 0x50020001, 0, 69, 10, 59, 10},
    {IDC_ABOUT_CREDIT1, "static", "", 0x50020001, 0, 68, 22, 58, 10},
    {IDC_ABOUT_CREDIT2, "static", "(c) 2026", 0x50020001, 0, 78, 35, 41, 10},
    {IDC_ABOUT_VERSION, "static", "Version 3.0", 0x50020001, 0, 14, 19, 39, 8},
};

constexpr int count(const auto& a) {
    return int(sizeof a / sizeof a[0]);
}

const DLGTEMPLATE_RES kDialogs[] = {
    {IDD_WRITEDATA, "Write DATA Register", 0x90C80046, WS_EX_CLIENTEDGE, 8, 68, 139, 32, 8, 0, 0, 1,
     "MT Extra", kWriteItems, count(kWriteItems)},
    {IDD_WRITECONTROL, "Write CONTROL Register", 0x90C80046, WS_EX_CLIENTEDGE, 143, 68, 139, 32, 8,
     0, 0, 1, "MT Extra", kWriteItems, count(kWriteItems)},
    {IDD_ABOUT, "About Bytescope", 0x90C800C4, WS_EX_CLIENTEDGE, 72, 39, 146, 56, 9, 0, 0, 1,
     "Verdana", kAboutItems, count(kAboutItems)},
};

const STRING_RES kStrings[] = {
    {IDM_EXIT, "Quits this application"},
    {IDM_WCONTROL, "Writes Parallel Port Control Register"},
    {IDM_RPORT, "Reads Parallel Port Registers"},
    {IDM_WDATA, "Writes Parallel Port Data Register"},
    {IDM_ABOUT, "Displays information about this application"},
    {IDM_HELPTOPICS, "Displays Help topics"},
};

} // namespace

const RESOURCE_DIRECTORY g_ModuleResources = {
    kMenus,   count(kMenus),   kAcceleratorTables, count(kAcceleratorTables),
    kDialogs, count(kDialogs), kStrings,           count(kStrings),
};
