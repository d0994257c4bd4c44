// The program's resources as tables, found through the module handle as Win32 finds them in the
// module's resource section. The build converts res/bytescope.rc (the Windows build's resource
// script) into these tables and the directory `g_ModuleResources` (res/rc2tables.cpp).
// Resources are named by number only.
#pragma once

#include "wintypes.h"

// The extended style of a control that a dialog template gives it.
#define WS_EX_STATICEDGE 0x00020000L

// A menu in the order of a menu template: a pop-up item (MF_POPUP) is followed by its items;
// MF_END marks the last item of each level.
struct MENUITEM_RES {
    WORD fItemFlags;
    WORD wMenuID;
    LPCSTR text;
};
struct MENU_RES {
    WORD id;
    const MENUITEM_RES* items;
};

struct ACCELTABLE_RES {
    WORD id;
    const ACCEL* entries;
    int count;
};

// A control of a dialog template; positions and sizes in dialog units.
struct DLGITEM_RES {
    DWORD id;
    LPCSTR windowClass; // "button", "edit", "static"
    LPCSTR title;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
};

// An extended dialog template (DLGTEMPLATEEX) with its font and controls.
struct DLGTEMPLATE_RES {
    WORD id;
    LPCSTR title;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    WORD pointsize;
    WORD weight;
    BYTE italic;
    BYTE charset;
    LPCSTR typeface;
    const DLGITEM_RES* items;
    int cItems;
};

struct STRING_RES {
    UINT id;
    LPCSTR text;
};

struct RESOURCE_DIRECTORY {
    const MENU_RES* menus;
    int cMenus;
    const ACCELTABLE_RES* accelerators;
    int cAccelerators;
    const DLGTEMPLATE_RES* dialogs;
    int cDialogs;
    const STRING_RES* strings;
    int cStrings;
};

// The module: what an HINSTANCE points to.
struct HINSTANCE__ {
    const RESOURCE_DIRECTORY* resources;
};

// The program's resource directory (res/), linked into the program as its resource section.
extern const RESOURCE_DIRECTORY g_ModuleResources;
