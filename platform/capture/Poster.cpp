#include "platform/capture/Poster.h"

#include <QLoggingCategory>
#include <atomic>
#include <mutex>

namespace ms::capture {
namespace {
Q_LOGGING_CATEGORY(lcPoster, "ms.capture.poster")
std::atomic<bool> g_toldNoPoster{false};
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
    if (!fn) {
        // Events lost this way are a wiring fault of the program: say so once, not per frame.
        if (!g_toldNoPoster.exchange(true))
            qCWarning(lcPoster) << "capture-poster: no receiver set; message" << msg
                                << "and later ones are dropped";
        return false;
    }
    if (!hwnd)
        return false;
    return fn(hwnd, msg, wParam, lParam);
}

} // namespace ms::capture
