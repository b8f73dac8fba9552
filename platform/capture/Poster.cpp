#include "platform/capture/Poster.h"

#include <mutex>

namespace ms::capture {
namespace {
std::mutex g_posterMutex;
PostFn& Poster() {
    static PostFn fn;
    return fn;
}
} // namespace

void SetPostMessage(PostFn fn) {
    std::lock_guard lock(g_posterMutex);
    Poster() = std::move(fn);
}

bool PostToWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    PostFn fn;
    {
        std::lock_guard lock(g_posterMutex);
        fn = Poster();
    }
    // Called outside the lock: a poster may itself take locks of the window layer.
    if (!fn || !hwnd)
        return false;
    return fn(hwnd, msg, wParam, lParam);
}

} // namespace ms::capture
