// Resources found through the module handle: menus, accelerator tables, dialogs and strings.
#include <cstring>
#include <memory>

#include "internal.h"

namespace {

// A resource of the module's tables by number (MAKEINTRESOURCE), as the program names them.
template <class Resource>
const Resource* find(HINSTANCE inst, const Resource* RESOURCE_DIRECTORY::*table,
                     int RESOURCE_DIRECTORY::*count, ULONG_PTR id) {
    if (!inst || !inst->resources || !IS_INTRESOURCE(id))
        return nullptr;
    const Resource* all = inst->resources->*table;
    for (int i = 0; i < inst->resources->*count; ++i)
        if (all[i].id == id)
            return &all[i];
    return nullptr;
}

ULONG_PTR number(LPCSTR name) {
    return name ? reinterpret_cast<ULONG_PTR>(name) : ULONG_PTR(-1);
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

const DLGTEMPLATE_RES* win32::findDialog(HINSTANCE inst, LPCSTR name) {
    return find(inst, &RESOURCE_DIRECTORY::dialogs, &RESOURCE_DIRECTORY::cDialogs, number(name));
}

HMENU win32::loadMenu(HINSTANCE inst, LPCSTR name) {
    const MENU_RES* res =
        find(inst, &RESOURCE_DIRECTORY::menus, &RESOURCE_DIRECTORY::cMenus, number(name));
    if (!res || !res->items)
        return nullptr;
    HMENU menu = new HMENU__;
    buildLevel(menu, res->items);
    return menu;
}

HACCEL WINAPI LoadAcceleratorsA(HINSTANCE hInstance, LPCSTR lpTableName) {
    const ACCELTABLE_RES* t = find(hInstance, &RESOURCE_DIRECTORY::accelerators,
                                   &RESOURCE_DIRECTORY::cAccelerators, number(lpTableName));
    if (!t)
        return nullptr;
    // A loaded table lasts as long as the program, which never destroys it.
    static std::vector<std::unique_ptr<HACCEL__>> loaded;
    loaded.push_back(std::make_unique<HACCEL__>(
        HACCEL__{std::vector<ACCEL>(t->entries, t->entries + t->count)}));
    return loaded.back().get();
}

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    if (!lpBuffer || cchBufferMax <= 0)
        return 0;
    const STRING_RES* res =
        find(hInstance, &RESOURCE_DIRECTORY::strings, &RESOURCE_DIRECTORY::cStrings, uID);
    int n = res ? std::min<int>(int(std::strlen(res->text)), cchBufferMax - 1) : 0;
    if (n)
        std::memcpy(lpBuffer, res->text, size_t(n));
    lpBuffer[n] = '\0';
    return n;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) {
    static HCURSOR__* arrow = reinterpret_cast<HCURSOR__*>(&arrow);
    return arrow;
}

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) {
    static HICON__* application = reinterpret_cast<HICON__*>(&application);
    return application;
}
