// Menus as data: the items of an HMENU, for the code that shows them (MenuTrack.cpp: popup
// menus; MenuBar.cpp: menu bars). A window's system menu is a menu like any other; its commands
// reach the window as WM_SYSCOMMAND.
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
// The background brush given with SetMenuInfo (MIM_BACKGROUND), or null.
HBRUSH MenuBackground(HMENU menu);
// The menu whose item is being measured (WM_MEASUREITEM carries no menu handle), or null.
HMENU MenuBeingMeasured();
// True while a TrackPopupMenu loop runs.
bool PopupMenuTracking();
// Shows, refreshes or removes the menu bar strip of a top-level window after SetMenu (the
// window keeps its size; its client area shrinks or grows).
void UpdateMenuBar(HWND hwnd);
// Alt and a letter (WM_SYSCOMMAND SC_KEYMENU): opens the menu bar's popup whose mnemonic is
// `ch` (or sends the command of such a plain item). False when the bar has none.
bool OpenMenuBarByKey(HWND hwnd, WCHAR ch);

} // namespace ms
