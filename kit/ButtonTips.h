// The tooltips of the skinned windows' buttons, written once for every window that has them:
// one topmost tooltip control owned by the window (no prefix processing, shown also when the
// window is inactive, 100 ms automatic delay), each button a subclassing tool over its client
// rectangle with its text.
#pragma once

#include "platform/win/window/WinUser.h"

namespace ms::ui {

// The tooltip control of `owner`; null when it could not be made. It places and sizes itself
// when it shows, so it is created empty at the origin.
HWND CreateButtonTips(HWND owner);
// Adds `button` as tool `id` with `text`, which the control keeps a pointer to.
void AddButtonTip(HWND tips, HWND button, int id, LPCWSTR text);
// Removes tool `id` of `button`; nothing when the control is gone.
void RemoveButtonTip(HWND tips, HWND button, int id);

// One button's tooltip as a skinned window keeps it: the button (null: not on the window),
// its id, its rectangle on the screen when it was laid out, and its text.
struct ButtonTipEntry {
    HWND hwnd = nullptr;
    int id = 0;
    RECT rect{};
    WCHAR text[64]{};
};
// Removes and adds again the tool of every entry with a button.
void RefreshButtonTips(HWND tips, ButtonTipEntry* entries, int count);
// For the window's message pre-translation: hands the tooltip control the mouse position of a
// move, press or release that lies inside one of the entries' rectangles.
void TrackButtonTips(HWND tips, const ButtonTipEntry* entries, int count, const MSG& msg);

} // namespace ms::ui
