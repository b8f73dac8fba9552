// How the capture layer reaches windows without linking the window layer: the program sets
// the window layer's PostMessage once; tests set a recorder. Without a poster nothing is sent
// and PostToWindow answers false, as PostMessage does for a window that does not exist; the
// first message lost that way is logged ("ms.capture.poster"), as it is a wiring fault.
#pragma once

#include "platform/win/WinTypes.h"

#include <functional>

namespace ms::capture {

using PostFn = std::function<bool(HWND, UINT, WPARAM, LPARAM)>;

// Thread-safe; may be called again to replace the poster (an empty function removes it).
void SetPostMessage(PostFn fn);

// Posts through the poster; false without a poster or a window.
bool PostToWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

} // namespace ms::capture
