// Painting: update regions, WM_PAINT into the window's surface, DCs on surfaces.
// WM_PAINT runs from the widget's paint event (when Qt paints) or from UpdateWindow; either
// way it draws into the surface, and the widget copies the surface's last finished frame to
// the screen. GetDC, ReleaseDC and InvalidateRect also serve other threads (see WinUser.h):
// a DC holds its window's surface for the whole frame, and ReleaseDC queues one screen update
// to the UI thread.
#include "platform/win/window/TestSeams.h"
#include "window/WindowInternal.h"

#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/Surface.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPixmap>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace ms::wnd {

namespace {

// A DC handed out by GetDC or BeginPaint: its window and the surface it holds for a frame.
struct DcRec {
    HWND hwnd = nullptr;
    std::shared_ptr<Surface> surface;
    bool paint = false; // BeginPaint's
};

std::mutex& DcMutex() {
    static std::mutex m;
    return m;
}

std::unordered_map<HDC, DcRec>& Dcs() {
    static std::unordered_map<HDC, DcRec> m;
    return m;
}

QRect ToQRect(const RECT& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

void ScheduleScreenUpdate(HWND hwnd, const QRect& clientRect) {
    WindowObject* w = Lookup(hwnd);
    if (!w || !w->widget)
        return;
    const int inset = w->ClientInset();
    if (clientRect.isNull())
        w->widget->update();
    else
        w->widget->update(clientRect.translated(inset, inset + w->menuBar));
}

// DCs from GetDC this thread holds: another thread's frame ends when it reaches zero.
thread_local int t_openDcs = 0;

// The surface of a live custom window, read under the handle table's lock (any thread).
std::shared_ptr<Surface> SurfaceOf(HWND hwnd) {
    std::lock_guard table(TableMutex());
    WindowObject* w = Lookup(hwnd);
    if (!w || w->native)
        return nullptr;
    return w->surface;
}

void Remember(HDC dc, HWND hwnd, std::shared_ptr<Surface> surface, bool paint) {
    std::lock_guard lock(DcMutex());
    Dcs()[dc] = DcRec{hwnd, std::move(surface), paint};
}

std::optional<DcRec> Forget(HDC dc) {
    std::lock_guard lock(DcMutex());
    auto it = Dcs().find(dc);
    if (it == Dcs().end())
        return std::nullopt;
    DcRec rec = std::move(it->second);
    Dcs().erase(it);
    return rec;
}

} // namespace

void PaintPending(WindowObject& w) {
    if (w.update.isEmpty() || w.destroying)
        return;
    SendMessage(w.handle, WM_PAINT, 0, 0);
    // A window procedure that never validates would repaint forever; as Windows does for
    // DefWindowProc, the region counts as painted once WM_PAINT ran.
    if (WindowObject* again = FromHandle(w.handle)) {
        again->update = QRegion();
        again->eraseNeeded = false;
    }
}

} // namespace ms::wnd

namespace ms::test {

QImage PresentedPicture(HWND hwnd) {
    std::shared_ptr<Surface> s = wnd::SurfaceOf(hwnd);
    return s ? s->Presented() : QImage();
}

QImage SurfacePicture(HWND hwnd) {
    std::shared_ptr<Surface> s = wnd::SurfaceOf(hwnd);
    if (!s)
        return QImage();
    std::lock_guard lock(s->Mutex());
    return s->Image().copy();
}

QImage GrabWindow(HWND hwnd) {
    QWidget* w = WidgetOf(hwnd);
    return w ? w->grab().toImage() : QImage();
}

} // namespace ms::test

using namespace ms;
using namespace ms::wnd;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    if (!OnUiThread()) {
        // The update region belongs to the UI thread: the request waits in its queue.
        if (!QCoreApplication::instance() || !IsWindow(hwnd))
            return FALSE;
        std::optional<RECT> r;
        if (rect)
            r = *rect;
        QMetaObject::invokeMethod(
            &Dispatcher::Instance(),
            [hwnd, r, erase] { InvalidateRect(hwnd, r ? &*r : nullptr, erase); },
            Qt::QueuedConnection);
        return TRUE;
    }
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return FALSE;
    const QRect client(QPoint(0, 0), w->ClientSize());
    const QRect r = rect ? ToQRect(*rect).intersected(client) : client;
    if (w->native) {
        if (w->widget)
            w->widget->update();
        return TRUE;
    }
    if (r.isEmpty())
        return TRUE;
    w->update += r;
    if (erase)
        w->eraseNeeded = true;
    ScheduleScreenUpdate(hwnd, r);
    return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
    if (!rgn)
        return InvalidateRect(hwnd, nullptr, erase);
    RECT box;
    if (!GetRgnBox(rgn, &box))
        return FALSE;
    return InvalidateRect(hwnd, &box, erase);
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return FALSE;
    if (rect)
        w->update -= ToQRect(*rect);
    else
        w->update = QRegion();
    if (w->update.isEmpty())
        w->eraseNeeded = false;
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return FALSE;
    if (!w->update.isEmpty()) {
        const QRect box = w->update.boundingRect();
        PaintPending(*w);
        ScheduleScreenUpdate(hwnd, box);
    }
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags) {
    if (flags & RDW_INVALIDATE) {
        if (rgn)
            InvalidateRgn(hwnd, rgn, (flags & RDW_ERASE) ? TRUE : FALSE);
        else
            InvalidateRect(hwnd, rect, (flags & RDW_ERASE) ? TRUE : FALSE);
        if (flags & RDW_ALLCHILDREN)
            for (HWND c : ChildrenOf(hwnd))
                RedrawWindow(c, nullptr, nullptr, flags & ~RDW_UPDATENOW);
    }
    if (flags & RDW_UPDATENOW)
        UpdateWindow(hwnd);
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return FALSE;
    const QRect b = w->update.boundingRect();
    if (rect)
        *rect = b.isEmpty() ? RECT{0, 0, 0, 0}
                            : RECT{b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
    return b.isEmpty() ? FALSE : TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !ps)
        return nullptr;
    *ps = PAINTSTRUCT{};
    if (w->native)
        return nullptr;
    w->EnsureSurface();
    std::shared_ptr<Surface> surface = w->surface;
    const QRegion region = w->update;
    const bool erase = w->eraseNeeded;
    w->update = QRegion();
    w->eraseNeeded = false;
    // Waits while another thread draws a frame into the window, so the two never mix.
    surface->BeginFrame();
    HDC dc = CreateSurfaceDC(surface);
    if (!dc) {
        surface->EndFrame();
        return nullptr;
    }
    Remember(dc, hwnd, surface, true);
    const QRect box = region.boundingRect();
    ps->hdc = dc;
    ps->rcPaint = RECT{box.left(), box.top(), box.left() + box.width(), box.top() + box.height()};
    if (!region.isEmpty()) {
        HRGN clip = nullptr;
        for (const QRect& r : region) {
            HRGN part =
                CreateRectRgn(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
            if (!clip) {
                clip = part;
            } else {
                CombineRgn(clip, clip, part, RGN_OR);
                DeleteObject(part);
            }
        }
        SelectClipRgn(dc, clip);
        DeleteObject(clip);
    }
    if (erase)
        ps->fErase =
            SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
    if (!ps || !ps->hdc)
        return TRUE;
    if (std::optional<DcRec> rec = Forget(ps->hdc)) {
        DeleteSurfaceDC(ps->hdc);
        rec->surface->EndFrame();
    }
    return TRUE;
}

HDC GetDC(HWND hwnd) {
    if (!hwnd)
        return CreateScreenDC();
    std::shared_ptr<Surface> surface = SurfaceOf(hwnd);
    if (!surface)
        return nullptr;
    surface->BeginFrame();
    HDC dc = CreateSurfaceDC(surface);
    if (!dc) {
        surface->EndFrame(); // the window died meanwhile
        return nullptr;
    }
    Remember(dc, hwnd, std::move(surface), false);
    ++t_openDcs;
    return dc;
}

HDC GetWindowDC(HWND hwnd) {
    return GetDC(hwnd);
}

int ReleaseDC(HWND hwnd, HDC dc) {
    if (!dc)
        return 0;
    std::optional<DcRec> rec = Forget(dc);
    if (!rec) {
        // The screen DC and DCs we never handed out.
        if (!hwnd)
            DeleteDC(dc);
        return hwnd ? 0 : 1;
    }
    // Fails harmlessly when the window died: closing its surface invalidated the DC.
    const BOOL released = DeleteDC(dc);
    std::shared_ptr<Surface> surface = std::move(rec->surface);
    surface->EndFrame();
    if (!rec->paint && --t_openDcs == 0 && !OnUiThread())
        RunIdleHandlers(); // the end of a frame another thread painted
    // The finished frame goes to the screen on the UI thread: one update queued at a time.
    auto* app = QCoreApplication::instance();
    if (released && app && surface->RequestRepaint()) {
        HWND target = rec->hwnd;
        std::weak_ptr<Surface> weak = surface;
        QMetaObject::invokeMethod(
            app,
            [target, weak] {
                if (auto s = weak.lock())
                    s->RepaintDone();
                if (IsWindow(target))
                    if (QWidget* w = WidgetOf(target))
                        w->update();
            },
            Qt::QueuedConnection);
    }
    return released ? 1 : 0;
}

HWND WindowFromDC(HDC dc) {
    std::lock_guard lock(DcMutex());
    auto it = Dcs().find(dc);
    return it == Dcs().end() ? nullptr : it->second.hwnd;
}
