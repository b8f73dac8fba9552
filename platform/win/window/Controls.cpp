// What every control shares with the window layer: notifying the parent. The standard
// controls themselves (buttons, statics, edits and the rest) are the controls library's.
#include "window/WindowInternal.h"

namespace ms {

void NotifyParent(HWND control, UINT code) {
    WindowObject* w = FromHandle(control);
    if (!w || !w->IsChild() || !IsWindow(w->parent))
        return;
    SendMessage(w->parent, WM_COMMAND,
                MAKEWPARAM(static_cast<WORD>(w->id), static_cast<WORD>(code)),
                reinterpret_cast<LPARAM>(control));
}

} // namespace ms
