// Menus as data: the items of an HMENU, for the code that shows them (popup menus and menu
// bars come with the controls). A window's system menu is a menu like any other; its
// commands reach the window as WM_SYSCOMMAND.
#pragma once

#include "platform/win/window/WinUser.h"

#include <string>
#include <vector>

namespace ms {

struct MenuItemData {
    UINT flags = 0;  // MF_STRING, MF_SEPARATOR, MF_POPUP, MF_CHECKED, MF_GRAYED, MF_OWNERDRAW...
    UINT_PTR id = 0; // command id, or the submenu's HMENU for MF_POPUP
    std::u16string text; // MF_OWNERDRAW: empty, see data
    ULONG_PTR data = 0;  // MF_OWNERDRAW: the item data given to AppendMenu
    HMENU sub = nullptr;
};

// The items of a live menu, or null.
std::vector<MenuItemData>* MenuItemsOf(HMENU menu);
// The window whose system menu this is, or null.
HWND SystemMenuOwner(HMENU menu);

} // namespace ms
