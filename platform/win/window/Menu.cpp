// Menu handles and their items.
#include "platform/win/window/Menu.h"
#include "window/WindowInternal.h"

#include <map>
#include <memory>

namespace ms {

namespace {

struct MenuObject {
    std::vector<MenuItemData> items;
    bool popup = false;
    HWND systemOf = nullptr;
    MENUINFO info{}; // MIM_ fields set by SetMenuInfo
};

std::map<HMENU, std::unique_ptr<MenuObject>>& Menus() {
    static std::map<HMENU, std::unique_ptr<MenuObject>> m;
    return m;
}

MenuObject* Find(HMENU h) {
    auto it = Menus().find(h);
    return it == Menus().end() ? nullptr : it->second.get();
}

HMENU NewMenu(bool popup) {
    // Handles are never reused, so that a call with the handle of a destroyed menu (or an
    // object still attached to one) cannot reach a newer menu.
    static ULONG_PTR next = 0x4D000000;
    next += 0x10;
    auto obj = std::make_unique<MenuObject>();
    obj->popup = popup;
    HMENU h = reinterpret_cast<HMENU>(next);
    Menus()[h] = std::move(obj);
    return h;
}

// The index of an item by command (searching submenus too) or by position.
MenuItemData* Item(HMENU menu, UINT item, UINT flags, HMENU* owner = nullptr,
                   std::size_t* index = nullptr) {
    MenuObject* m = Find(menu);
    if (!m)
        return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= m->items.size())
            return nullptr;
        if (owner)
            *owner = menu;
        if (index)
            *index = item;
        return &m->items[item];
    }
    for (std::size_t i = 0; i < m->items.size(); ++i) {
        MenuItemData& d = m->items[i];
        if (!(d.flags & MF_POPUP) && d.id == item) {
            if (owner)
                *owner = menu;
            if (index)
                *index = i;
            return &d;
        }
        if (d.flags & MF_POPUP)
            if (MenuItemData* sub = Item(d.sub, item, flags, owner, index))
                return sub;
    }
    return nullptr;
}

MenuItemData MakeItem(UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
    MenuItemData d;
    d.flags = flags & ~(MF_BYPOSITION);
    if (flags & MF_POPUP) {
        d.sub = reinterpret_cast<HMENU>(idOrPopup);
        d.id = idOrPopup;
    } else {
        d.id = idOrPopup;
    }
    if (flags & MF_OWNERDRAW)
        d.data = reinterpret_cast<ULONG_PTR>(text);
    else if (!(flags & MF_SEPARATOR) && text && !(flags & MF_BITMAP))
        d.text = text;
    return d;
}

} // namespace

std::vector<MenuItemData>* MenuItemsOf(HMENU menu) {
    MenuObject* m = Find(menu);
    return m ? &m->items : nullptr;
}

HWND SystemMenuOwner(HMENU menu) {
    MenuObject* m = Find(menu);
    return m ? m->systemOf : nullptr;
}

HBRUSH MenuBackground(HMENU menu) {
    MenuObject* m = Find(menu);
    return m && (m->info.fMask & MIM_BACKGROUND) ? m->info.hbrBack : nullptr;
}

namespace wnd {
void DestroySystemMenu(WindowObject& w) {
    if (w.systemMenu)
        DestroyMenu(w.systemMenu);
    w.systemMenu = nullptr;
    if (w.menu && !w.IsChild() && Find(w.menu))
        DestroyMenu(w.menu);
    w.menu = nullptr;
}
} // namespace wnd

} // namespace ms

using namespace ms;

HMENU CreateMenu() {
    return NewMenu(false);
}
HMENU CreatePopupMenu() {
    return NewMenu(true);
}

BOOL DestroyMenu(HMENU menu) {
    auto it = Menus().find(menu);
    if (it == Menus().end())
        return FALSE;
    auto obj = std::move(it->second);
    Menus().erase(it);
    for (const auto& d : obj->items)
        if (d.flags & MF_POPUP)
            DestroyMenu(d.sub);
    return TRUE;
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
    MenuObject* m = Find(menu);
    if (!m)
        return FALSE;
    m->items.push_back(MakeItem(flags, idOrPopup, text));
    return TRUE;
}

BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
    MenuObject* m = Find(menu);
    if (!m)
        return FALSE;
    std::size_t at = m->items.size();
    if (flags & MF_BYPOSITION) {
        if (position < at)
            at = position;
    } else {
        HMENU owner = nullptr;
        std::size_t index = 0;
        if (Item(menu, position, 0, &owner, &index)) {
            Find(owner)->items.insert(Find(owner)->items.begin() + static_cast<long>(index),
                                      MakeItem(flags, idOrPopup, text));
            return TRUE;
        }
    }
    m->items.insert(m->items.begin() + static_cast<long>(at), MakeItem(flags, idOrPopup, text));
    return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
    HMENU owner = nullptr;
    std::size_t index = 0;
    if (!Item(menu, position, flags, &owner, &index))
        return FALSE;
    auto& items = Find(owner)->items;
    items.erase(items.begin() + static_cast<long>(index));
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
    HMENU owner = nullptr;
    std::size_t index = 0;
    MenuItemData* d = Item(menu, position, flags, &owner, &index);
    if (!d)
        return FALSE;
    HMENU sub = (d->flags & MF_POPUP) ? d->sub : nullptr;
    auto& items = Find(owner)->items;
    items.erase(items.begin() + static_cast<long>(index));
    if (sub)
        DestroyMenu(sub);
    return TRUE;
}

int GetMenuItemCount(HMENU menu) {
    MenuObject* m = Find(menu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int pos) {
    MenuObject* m = Find(menu);
    if (!m || pos < 0 || static_cast<std::size_t>(pos) >= m->items.size())
        return static_cast<UINT>(-1);
    const auto& d = m->items[static_cast<std::size_t>(pos)];
    if (d.flags & MF_POPUP)
        return static_cast<UINT>(-1);
    return static_cast<UINT>(d.id);
}

HMENU GetSubMenu(HMENU menu, int pos) {
    MenuObject* m = Find(menu);
    if (!m || pos < 0 || static_cast<std::size_t>(pos) >= m->items.size())
        return nullptr;
    const auto& d = m->items[static_cast<std::size_t>(pos)];
    return (d.flags & MF_POPUP) ? d.sub : nullptr;
}

int GetMenuString(HMENU menu, UINT item, LPWSTR buf, int max, UINT flags) {
    MenuItemData* d = Item(menu, item, flags);
    if (!d)
        return 0;
    if (!buf || max <= 0)
        return static_cast<int>(d->text.size());
    const int n = std::min<int>(static_cast<int>(d->text.size()), max - 1);
    std::copy_n(d->text.data(), n, buf);
    buf[n] = 0;
    return n;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    MenuItemData* d = Item(menu, item, flags);
    if (!d)
        return static_cast<UINT>(-1);
    return d->flags &
           (MF_CHECKED | MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP | MF_OWNERDRAW);
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
    MenuItemData* d = Item(menu, item, check);
    if (!d)
        return static_cast<DWORD>(-1);
    const DWORD old = d->flags & MF_CHECKED;
    d->flags = (d->flags & ~MF_CHECKED) | (check & MF_CHECKED);
    return old;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    MenuItemData* d = Item(menu, item, enable);
    if (!d)
        return -1;
    const BOOL old = static_cast<BOOL>(d->flags & (MF_GRAYED | MF_DISABLED));
    d->flags = (d->flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return old;
}

BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
    MenuItemData* d = Item(menu, position, flags);
    if (!d)
        return FALSE;
    *d = MakeItem(flags, idOrPopup, text);
    return TRUE;
}

BOOL IsMenu(HMENU menu) {
    return Find(menu) ? TRUE : FALSE;
}

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || w->IsChild() || !(w->style & WS_SYSMENU))
        return nullptr;
    if (revert) {
        if (w->systemMenu)
            DestroyMenu(w->systemMenu);
        w->systemMenu = nullptr;
        return nullptr;
    }
    if (!w->systemMenu) {
        HMENU m = CreatePopupMenu();
        Find(m)->systemOf = hwnd;
        AppendMenu(m, MF_STRING, SC_RESTORE, u"&Restore");
        AppendMenu(m, MF_STRING, SC_MOVE, u"&Move");
        AppendMenu(m, MF_STRING, SC_SIZE, u"&Size");
        AppendMenu(m, MF_STRING, SC_MINIMIZE, u"Mi&nimize");
        AppendMenu(m, MF_STRING, SC_MAXIMIZE, u"Ma&ximize");
        AppendMenu(m, MF_SEPARATOR, 0, nullptr);
        AppendMenu(m, MF_STRING, SC_CLOSE, u"&Close\tAlt+F4");
        w->systemMenu = m;
    }
    return w->systemMenu;
}

HMENU GetMenu(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    return w && !w->IsChild() ? w->menu : nullptr;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || w->IsChild())
        return FALSE;
    w->menu = menu;
    UpdateMenuBar(hwnd);
    return TRUE;
}

namespace {
constexpr UINT kTypeBits =
    MFT_BITMAP | MFT_MENUBARBREAK | MFT_MENUBREAK | MFT_OWNERDRAW | MFT_RADIOCHECK | MFT_SEPARATOR |
    MFT_RIGHTJUSTIFY;
constexpr UINT kStateBits = MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT;
} // namespace

BOOL GetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFO info) {
    MenuItemData* d = Item(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
    if (!d || !info)
        return FALSE;
    const UINT mask = info->fMask;
    if (mask & (MIIM_FTYPE | MIIM_TYPE))
        info->fType = d->flags & kTypeBits;
    if (mask & MIIM_STATE)
        info->fState = d->flags & kStateBits;
    if (mask & MIIM_ID)
        info->wID = static_cast<UINT>(d->id);
    if (mask & MIIM_SUBMENU)
        info->hSubMenu = (d->flags & MF_POPUP) ? d->sub : nullptr;
    if (mask & MIIM_DATA)
        info->dwItemData = d->data;
    const bool wantsText =
        (mask & MIIM_STRING) ||
        ((mask & MIIM_TYPE) && !(d->flags & (MF_OWNERDRAW | MF_SEPARATOR | MF_BITMAP)));
    if (wantsText) {
        const UINT len = static_cast<UINT>(d->text.size());
        if (info->dwTypeData && info->cch > 0) {
            const UINT n = std::min(len, info->cch - 1);
            std::copy_n(d->text.data(), n, info->dwTypeData);
            info->dwTypeData[n] = 0;
            info->cch = n;
        } else {
            info->cch = len;
        }
    }
    return TRUE;
}

BOOL SetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFO info) {
    MenuItemData* d = Item(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
    if (!d || !info)
        return FALSE;
    const UINT mask = info->fMask;
    if (mask & (MIIM_FTYPE | MIIM_TYPE))
        d->flags = (d->flags & ~kTypeBits) | (info->fType & kTypeBits);
    if (mask & MIIM_STATE)
        d->flags = (d->flags & ~kStateBits) | (info->fState & kStateBits);
    if (mask & MIIM_SUBMENU) {
        d->sub = info->hSubMenu;
        if (d->sub) {
            d->flags |= MF_POPUP;
            d->id = reinterpret_cast<UINT_PTR>(d->sub);
        } else {
            d->flags &= ~MF_POPUP;
        }
    }
    if (mask & MIIM_ID)
        d->id = info->wID;
    if (mask & MIIM_DATA)
        d->data = info->dwItemData;
    const bool setsText = (mask & MIIM_STRING) ||
                          ((mask & MIIM_TYPE) && !(info->fType & (MFT_OWNERDRAW | MFT_SEPARATOR |
                                                                   MFT_BITMAP)));
    if (setsText)
        d->text = info->dwTypeData ? std::u16string(info->dwTypeData) : std::u16string();
    return TRUE;
}

BOOL GetMenuInfo(HMENU menu, LPMENUINFO info) {
    MenuObject* m = Find(menu);
    if (!m || !info)
        return FALSE;
    const DWORD mask = info->fMask;
    if (mask & MIM_BACKGROUND)
        info->hbrBack = m->info.hbrBack;
    if (mask & MIM_STYLE)
        info->dwStyle = m->info.dwStyle;
    if (mask & MIM_MAXHEIGHT)
        info->cyMax = m->info.cyMax;
    if (mask & MIM_HELPID)
        info->dwContextHelpID = m->info.dwContextHelpID;
    if (mask & MIM_MENUDATA)
        info->dwMenuData = m->info.dwMenuData;
    return TRUE;
}

BOOL SetMenuInfo(HMENU menu, LPCMENUINFO info) {
    MenuObject* m = Find(menu);
    if (!m || !info)
        return FALSE;
    const DWORD mask = info->fMask;
    if (mask & MIM_BACKGROUND)
        m->info.hbrBack = info->hbrBack;
    if (mask & MIM_STYLE)
        m->info.dwStyle = info->dwStyle;
    if (mask & MIM_MAXHEIGHT)
        m->info.cyMax = info->cyMax;
    if (mask & MIM_HELPID)
        m->info.dwContextHelpID = info->dwContextHelpID;
    if (mask & MIM_MENUDATA)
        m->info.dwMenuData = info->dwMenuData;
    m->info.fMask |= mask & ~MIM_APPLYTOSUBMENUS;
    if (mask & MIM_APPLYTOSUBMENUS)
        for (const auto& d : m->items)
            if (d.flags & MF_POPUP)
                SetMenuInfo(d.sub, info);
    return TRUE;
}
