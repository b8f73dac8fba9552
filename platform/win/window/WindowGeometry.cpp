// Window geometry, show states, z-order and activation. Top-level windows are placed by
// their client area (the widget) and report a frame of fixed size by style, so that the
// numbers are the same with or without a window manager.
#include "platform/win/window/Framework.h"
#include "window/WindowInternal.h"

#include "platform/win/gdi/Surface.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace ms::wnd {

Qt::WindowFlags TopLevelFlags(DWORD style, DWORD exStyle, bool dialog) {
    Qt::WindowFlags f = dialog ? Qt::Dialog : Qt::Window;
    if ((style & WS_CAPTION) != WS_CAPTION) {
        f |= Qt::FramelessWindowHint;
    } else {
        f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (style & WS_SYSMENU)
            f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (style & WS_MINIMIZEBOX)
            f |= Qt::WindowMinimizeButtonHint;
        if (style & WS_MAXIMIZEBOX)
            f |= Qt::WindowMaximizeButtonHint;
    }
    if (exStyle & WS_EX_TOPMOST)
        f |= Qt::WindowStaysOnTopHint;
    if (exStyle & WS_EX_TOOLWINDOW)
        f = (f & ~Qt::WindowType_Mask) | Qt::Tool;
    return f;
}

void ApplyTopLevelFlags(WindowObject& w) {
    if (!w.widget || w.IsChild())
        return;
    const Qt::WindowFlags f = TopLevelFlags(w.style, w.exStyle, w.dialog);
    if (w.widget->windowFlags() == f)
        return;
    const QRect g = w.widget->geometry();
    const bool visible = w.widget->isVisible();
    w.widget->setWindowFlags(f);
    w.widget->setGeometry(g);
    if (visible)
        w.widget->show();
}

// Places the widget so that the window rectangle (parent client coordinates for children,
// screen for top-level windows) is `r`.
void PlaceWidget(WindowObject& w, QRect r) {
    if (!w.widget)
        return;
    if (w.IsChild()) {
        int pin = 0;
        int bar = 0;
        if (WindowObject* p = Lookup(w.parent)) {
            pin = p->ClientInset();
            bar = p->menuBar;
        }
        w.widget->setGeometry(r.translated(pin, pin + bar));
    } else {
        const QMargins m = FrameOf(w.style, w.exStyle, false);
        const QRect client = r.marginsRemoved(m);
        // Without a sizing border only the program sizes the window: a window manager then
        // offers neither resizing nor maximising it.
        if (w.style & WS_THICKFRAME) {
            w.widget->setMinimumSize(0, 0);
            w.widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        } else {
            w.widget->setFixedSize(client.size());
        }
        w.widget->setGeometry(client);
    }
}

QRect WindowRectOf(const WindowObject& w) {
    if (!w.widget)
        return {};
    if (w.IsChild())
        return QRect(w.widget->mapToGlobal(QPoint(0, 0)), w.widget->size());
    const QRect client(w.widget->mapToGlobal(QPoint(0, 0)), w.widget->size());
    return client.marginsAdded(FrameOf(w.style, w.exStyle, false));
}

} // namespace ms::wnd

using namespace ms;
using namespace ms::wnd;

namespace {

QRect WorkArea() {
    RECT r{};
    SystemParametersInfo(SPI_GETWORKAREA, 0, &r, 0);
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

QRect CurrentWindowRect(const WindowObject& w) {
    if (w.IsChild()) {
        QRect r = w.widget ? w.widget->geometry() : QRect();
        if (WindowObject* p = Lookup(w.parent))
            r.translate(-p->ClientInset(), -p->ClientInset() - p->menuBar);
        return r;
    }
    return WindowRectOf(w);
}

} // namespace

BOOL ShowWindow(HWND hwnd, int cmd) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !w->widget)
        return FALSE;
    const BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    QWidget* wid = w->widget;
    switch (cmd) {
    case SW_HIDE:
        if (wasVisible)
            SendMessage(hwnd, WM_SHOWWINDOW, FALSE, 0);
        w = FromHandle(hwnd);
        if (!w)
            return wasVisible;
        w->style &= ~WS_VISIBLE;
        wid->hide();
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        if (!wasVisible)
            SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
        w->style |= WS_VISIBLE | WS_MINIMIZE;
        if (!w->minimized) {
            w->minimized = true;
            if (!w->IsChild())
                wid->showMinimized();
            SendMessage(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
        }
        break;
    case SW_MAXIMIZE: {
        if (!wasVisible)
            SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
        w->style |= WS_VISIBLE;
        w->style &= ~WS_MINIMIZE;
        const bool wasMin = w->minimized;
        w->minimized = false;
        if (!w->maximized) {
            const QRect cur = CurrentWindowRect(*w);
            w->restoreRect = RECT{cur.left(), cur.top(), cur.right() + 1, cur.bottom() + 1};
            w->maximized = true;
            w->style |= WS_MAXIMIZE;
            QRect target = w->IsChild() ? QRect(QPoint(0, 0), FromHandle(w->parent)->ClientSize())
                                        : WorkArea();
            if (wasMin && !w->IsChild())
                wid->showNormal();
            PlaceWidget(*w, target);
        }
        wid->show();
        NotifyGeometry(*w);
        break;
    }
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
        if (!wasVisible)
            SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
        w->style |= WS_VISIBLE;
        if (w->minimized) {
            w->minimized = false;
            w->style &= ~WS_MINIMIZE;
            if (!w->IsChild())
                wid->showNormal();
            wid->show();
            if (!w->maximized) {
                const QSize s = w->ClientSize();
                SendMessage(
                    hwnd, WM_SIZE, SIZE_RESTORED,
                    MAKELPARAM(static_cast<WORD>(s.width()), static_cast<WORD>(s.height())));
            }
        } else if (w->maximized) {
            w->maximized = false;
            w->style &= ~WS_MAXIMIZE;
            const RECT& r = w->restoreRect;
            PlaceWidget(*w, QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)));
            wid->show();
            NotifyGeometry(*w);
        } else {
            wid->show();
        }
        if (!w->IsChild() && cmd != SW_SHOWNOACTIVATE && !Headless()) {
            wid->raise();
            wid->activateWindow();
        }
        break;
    default: // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE
        if (!wasVisible)
            SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
        w = FromHandle(hwnd);
        if (!w)
            return wasVisible;
        w->style |= WS_VISIBLE;
        wid->show();
        if (!w->IsChild() && cmd == SW_SHOW && !Headless()) {
            wid->raise();
            wid->activateWindow();
        }
        break;
    }
    return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    while (w) {
        if (!(w->style & WS_VISIBLE))
            return FALSE;
        if (!w->IsChild())
            return TRUE;
        w = FromHandle(w->parent);
    }
    return FALSE;
}

BOOL IsIconic(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    return w && w->minimized ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    return w && w->maximized ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return FALSE;
    const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (enable && wasDisabled) {
        w->style &= ~WS_DISABLED;
        if (w->IsChild() && w->widget)
            w->widget->setEnabled(true);
        SendMessage(hwnd, WM_ENABLE, TRUE, 0);
    } else if (!enable && !wasDisabled) {
        // Top-level windows stay enabled for Qt (disabling a Qt window would disable the
        // dialogs it owns); the input filter drops their input instead.
        if (GetFocus() == hwnd || IsChild(hwnd, GetFocus()))
            SetFocus(nullptr);
        w->style |= WS_DISABLED;
        if (w->IsChild() && w->widget)
            w->widget->setEnabled(false);
        if (GetCapture() == hwnd)
            ReleaseCapture();
        SendMessage(hwnd, WM_ENABLE, FALSE, 0);
    }
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int w, int h, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, w, h,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !w->widget)
        return FALSE;
    if (flags & SWP_FRAMECHANGED)
        ApplyTopLevelFlags(*w);
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
            const DWORD old = w->exStyle;
            if (insertAfter == HWND_TOPMOST)
                w->exStyle |= WS_EX_TOPMOST;
            else
                w->exStyle &= ~WS_EX_TOPMOST;
            if (old != w->exStyle)
                ApplyTopLevelFlags(*w);
            if (w->IsChild() || !Headless())
                w->widget->raise();
        } else if (insertAfter == HWND_TOP) {
            if (w->IsChild() || !Headless())
                w->widget->raise();
        } else if (insertAfter == HWND_BOTTOM) {
            if (w->IsChild() || !Headless())
                w->widget->lower();
        } else if (QWidget* other = WidgetOf(insertAfter)) {
            w->widget->stackUnder(other);
        }
    }
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
        QRect r = CurrentWindowRect(*w);
        if (!(flags & SWP_NOMOVE))
            r.moveTopLeft(QPoint(x, y));
        if (!(flags & SWP_NOSIZE))
            r.setSize(QSize(std::max(cx, 0), std::max(cy, 0)));
        w->maximized = false;
        w->style &= ~WS_MAXIMIZE;
        PlaceWidget(*w, r);
        NotifyGeometry(*w);
        w = FromHandle(hwnd);
        if (!w)
            return TRUE;
    }
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    if ((flags & SWP_FRAMECHANGED) && IsWindow(hwnd))
        InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !rect)
        return FALSE;
    const QRect r = WindowRectOf(*w);
    *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    if (!OnUiThread()) {
        // Another thread (the capture thread sizing its frame) reads the surface, which
        // follows the client size, instead of the widget.
        std::lock_guard table(TableMutex());
        WindowObject* w = Lookup(hwnd);
        if (!w || !rect || !w->surface)
            return FALSE;
        const QSize s = w->surface->Size();
        *rect = RECT{0, 0, s.width(), s.height()};
        return TRUE;
    }
    WindowObject* w = FromHandle(hwnd);
    if (!w || !rect)
        return FALSE;
    const QSize s = w->ClientSize();
    *rect = RECT{0, 0, s.width(), s.height()};
    return TRUE;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* wp) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !wp)
        return FALSE;
    wp->flags = 0;
    wp->showCmd = w->minimized ? SW_SHOWMINIMIZED : w->maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    if (w->maximized) {
        wp->rcNormalPosition = w->restoreRect;
    } else {
        const QRect r = CurrentWindowRect(*w);
        wp->rcNormalPosition = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT pt) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !pt)
        return FALSE;
    const QRect c = ClientScreenRect(*w);
    pt->x += c.left();
    pt->y += c.top();
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT pt) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || !pt)
        return FALSE;
    const QRect c = ClientScreenRect(*w);
    pt->x -= c.left();
    pt->y -= c.top();
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT pts, UINT count) {
    POINT origin{0, 0};
    if (from)
        ClientToScreen(from, &origin);
    POINT dest{0, 0};
    if (to)
        ClientToScreen(to, &dest);
    const int dx = origin.x - dest.x;
    const int dy = origin.y - dest.y;
    for (UINT i = 0; i < count; ++i) {
        pts[i].x += dx;
        pts[i].y += dy;
    }
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (!rect)
        return FALSE;
    const QMargins m = FrameOf(style, exStyle, (style & WS_CHILD) != 0);
    rect->left -= m.left();
    rect->top -= m.top() + (menu ? GetSystemMetrics(SM_CYMENU) : 0);
    rect->right += m.right();
    rect->bottom += m.bottom();
    return TRUE;
}

HWND WindowFromPoint(POINT pt) {
    QWidget* w = QApplication::widgetAt(pt.x, pt.y);
    HWND h = HandleOfWidget(w);
    return h;
}

HWND ChildWindowFromPoint(HWND parent, POINT pt) {
    WindowObject* p = FromHandle(parent);
    if (!p)
        return nullptr;
    RECT rc;
    GetClientRect(parent, &rc);
    if (pt.x < 0 || pt.y < 0 || pt.x >= rc.right || pt.y >= rc.bottom)
        return nullptr;
    for (HWND c : ChildrenOf(parent)) {
        WindowObject* cw = FromHandle(c);
        const QRect r = CurrentWindowRect(*cw);
        if (r.contains(QPoint(pt.x, pt.y)))
            return c;
    }
    return parent;
}

BOOL BringWindowToTop(HWND hwnd) {
    QWidget* w = WidgetOf(hwnd);
    if (!w)
        return FALSE;
    if (w->isWindow() && Headless())
        return TRUE;
    w->raise();
    return TRUE;
}

BOOL SetForegroundWindow(HWND hwnd) {
    QWidget* w = WidgetOf(hwnd);
    if (!w)
        return FALSE;
    if (!Headless()) {
        w->raise();
        w->activateWindow();
    }
    return TRUE;
}

HWND GetForegroundWindow() {
    return HandleOfWidget(QApplication::activeWindow());
}
HWND GetActiveWindow() {
    return GetForegroundWindow();
}

HWND SetActiveWindow(HWND hwnd) {
    HWND old = GetActiveWindow();
    if (QWidget* w = WidgetOf(hwnd); w && !Headless())
        w->activateWindow();
    return old;
}

BOOL FlashWindow(HWND hwnd, BOOL) {
    QWidget* w = WidgetOf(hwnd);
    if (!w)
        return FALSE;
    QApplication::alert(w);
    return TRUE;
}
