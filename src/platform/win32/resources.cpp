// Resources found through the module handle: menus, accelerator tables, dialogs and strings.
#include <cstring>
#include <memory>

#include "internal.h"

namespace {

const RESOURCE_DIRECTORY* directory(HINSTANCE inst) {
    return inst && inst->resources ? inst->resources : nullptr;
}

// Resources are named by number (MAKEINTRESOURCE), as the program names them.
bool resourceId(LPCSTR name, WORD* id) {
    if (!name || !IS_INTRESOURCE(name))
        return false;
    *id = WORD(reinterpret_cast<ULONG_PTR>(name));
    return true;
}

// Builds one level of a menu from its template items; returns the position after the level.
const MENUITEM_RES* buildLevel(HMENU menu, const MENUITEM_RES* item) {
    for (;;) {
        bool last = item->fItemFlags & MF_END;
        HMENU__::Item entry{WORD(item->fItemFlags & ~MF_END), item->wMenuID,
                            item->text ? item->text : "", nullptr};
        ++item;
        if (entry.flags & MF_POPUP) {
            entry.popup = new HMENU__;
            item = buildLevel(entry.popup, item);
        }
        menu->items.push_back(entry);
        if (last)
            return item;
    }
}

} // namespace

const MENU_RES* win32::findMenu(HINSTANCE inst, LPCSTR name) {
    WORD id;
    const RESOURCE_DIRECTORY* dir = directory(inst);
    if (!dir || !resourceId(name, &id))
        return nullptr;
    for (int i = 0; i < dir->cMenus; ++i)
        if (dir->menus[i].id == id)
            return &dir->menus[i];
    return nullptr;
}

const DLGTEMPLATE_RES* win32::findDialog(HINSTANCE inst, LPCSTR name) {
    WORD id;
    const RESOURCE_DIRECTORY* dir = directory(inst);
    if (!dir || !resourceId(name, &id))
        return nullptr;
    for (int i = 0; i < dir->cDialogs; ++i)
        if (dir->dialogs[i].id == id)
            return &dir->dialogs[i];
    return nullptr;
}

HMENU win32::loadMenu(HINSTANCE hInstance, LPCSTR lpMenuName) {
    const MENU_RES* res = win32::findMenu(hInstance, lpMenuName);
    if (!res || !res->items)
        return nullptr;
    HMENU menu = new HMENU__;
    buildLevel(menu, res->items);
    return menu;
}

HACCEL WINAPI LoadAcceleratorsA(HINSTANCE hInstance, LPCSTR lpTableName) {
    WORD id;
    const RESOURCE_DIRECTORY* dir = directory(hInstance);
    if (!dir || !resourceId(lpTableName, &id))
        return nullptr;
    for (int i = 0; i < dir->cAccelerators; ++i) {
        const ACCELTABLE_RES& t = dir->accelerators[i];
        if (t.id != id)
            continue;
        // A loaded table lasts as long as the program, which never destroys it.
        static std::vector<std::unique_ptr<HACCEL__>> loaded;
        loaded.push_back(std::make_unique<HACCEL__>(
            HACCEL__{std::vector<ACCEL>(t.entries, t.entries + t.count)}));
        return loaded.back().get();
    }
    return nullptr;
}

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    const RESOURCE_DIRECTORY* dir = directory(hInstance);
    if (!lpBuffer || cchBufferMax <= 0)
        return 0;
    lpBuffer[0] = '\0';
    if (!dir)
        return 0;
    for (int i = 0; i < dir->cStrings; ++i) {
        if (dir->strings[i].id != uID)
            continue;
        int n = std::min<int>(int(std::strlen(dir->strings[i].text)), cchBufferMax - 1);
        std::memcpy(lpBuffer, dir->strings[i].text, size_t(n));
        lpBuffer[n] = '\0';
        return n;
    }
    return 0;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) {
    static HCURSOR__* arrow = reinterpret_cast<HCURSOR__*>(&arrow);
    return arrow;
}

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) {
    static HICON__* application = reinterpret_cast<HICON__*>(&application);
    return application;
}
