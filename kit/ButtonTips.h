// The tooltips of the skinned windows' buttons, written once for every window that has them:
// one topmost tooltip control owned by the window (no prefix processing, shown also when the
// window is inactive, 100 ms automatic delay), each button a subclassing tool over its client
// rectangle with its text.
#pragma once

#include "platform/win/WinTypes.h"

namespace ms::ui {

// The tooltip control of `owner`; null when it could not be made. It places and sizes itself
// when it shows, so it is created empty at the origin.
HWND CreateButtonTips(HWND owner);
// Adds `button` as tool `id` with `text`, which the control keeps a pointer to.
void AddButtonTip(HWND tips, HWND button, int id, LPCWSTR text);
// Removes tool `id` of `button`; nothing when the control is gone.
void RemoveButtonTip(HWND tips, HWND button, int id);

} // namespace ms::ui
