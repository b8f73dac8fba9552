// Controls that are surfaces painted by the program: owner-drawn buttons (BS_OWNERDRAW, the
// parent paints them on WM_DRAWITEM), owner-drawn statics (SS_OWNERDRAW, likewise, unless a
// subclass paints them itself, as the live view does) and the list view, which the programs
// subclass and paint themselves (its scroll bars are the window's own, see ScrollBars.cpp).
#include "controls/ControlsInternal.h"

#include "platform/win/gdi/Gdi.h"

#include <map>

namespace ms::ctl {

namespace {

struct ButtonState {
    bool pressed = false; // shown pushed (mouse held over it, space held, BM_SETSTATE)
    bool tracking = false;
};

std::map<HWND, ButtonState>& States() {
    static std::map<HWND, ButtonState> m;
    return m;
}

void Redraw(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, FALSE);
}

void SetPressed(HWND hwnd, bool pressed) {
    ButtonState& s = States()[hwnd];
    if (s.pressed != pressed) {
        s.pressed = pressed;
        Redraw(hwnd);
    }
}

// Paints an owner-drawn control: its parent gets WM_DRAWITEM with the whole client area and
// `state`; the control itself draws nothing.
void PaintByOwner(HWND hwnd, const WindowObject& w, UINT type, UINT state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = type;
    dis.CtlID = static_cast<UINT>(w.id);
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    if (!IsWindowEnabled(hwnd))
        dis.itemState |= ODS_DISABLED;
    dis.hwndItem = hwnd;
    dis.hDC = dc;
    GetClientRect(hwnd, &dis.rcItem);
    if (IsWindow(w.parent))
        SendMessage(w.parent, WM_DRAWITEM, static_cast<WPARAM>(w.id),
                    reinterpret_cast<LPARAM>(&dis));
    EndPaint(hwnd, &ps);
}

} // namespace

LRESULT OwnerDrawButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return 0;
    switch (msg) {
    case WM_PAINT: {
        UINT state = 0;
        if (States()[hwnd].pressed)
            state |= ODS_SELECTED;
        if (GetFocus() == hwnd)
            state |= ODS_FOCUS;
        PaintByOwner(hwnd, *w, ODT_BUTTON, state);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // the owner paints every pixel
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetCapture(hwnd);
        States()[hwnd].tracking = true;
        if (GetFocus() != hwnd)
            SetFocus(hwnd);
        SetPressed(hwnd, true);
        return 0;
    case WM_MOUSEMOVE:
        if (States()[hwnd].tracking) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            SetPressed(hwnd, p.x >= 0 && p.y >= 0 && p.x < rc.right && p.y < rc.bottom);
        }
        return 0;
    case WM_LBUTTONUP: {
        ButtonState& s = States()[hwnd];
        if (!s.tracking)
            return 0;
        const bool click = s.pressed;
        s.tracking = false;
        SetPressed(hwnd, false);
        if (GetCapture() == hwnd)
            ReleaseCapture();
        if (click)
            NotifyParent(hwnd, BN_CLICKED);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (States()[hwnd].tracking) {
            States()[hwnd].tracking = false;
            SetPressed(hwnd, false);
        }
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_SPACE)
            SetPressed(hwnd, true);
        return 0;
    case WM_KEYUP:
        if (wp == VK_SPACE && States()[hwnd].pressed) {
            SetPressed(hwnd, false);
            NotifyParent(hwnd, BN_CLICKED);
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        Redraw(hwnd);
        return DefWindowProc(hwnd, msg, wp, lp);
    case BM_CLICK:
        if (IsWindowEnabled(hwnd))
            NotifyParent(hwnd, BN_CLICKED);
        return 0;
    case BM_GETSTATE:
        return (States()[hwnd].pressed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0);
    case BM_SETSTATE:
        SetPressed(hwnd, wp != 0);
        return 0;
    case BM_GETCHECK:
        return BST_UNCHECKED;
    case BM_SETCHECK:
        return 0;
    case BM_SETSTYLE:
        w->style = (w->style & ~0xFFFFu) | (static_cast<DWORD>(wp) & 0xFFFFu);
        if (lp)
            Redraw(hwnd);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case WM_NCDESTROY:
        States().erase(hwnd);
        return DefWindowProc(hwnd, msg, wp, lp);
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

LRESULT OwnerDrawStaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    if (!w)
        return 0;
    switch (msg) {
    case WM_PAINT:
        PaintByOwner(hwnd, *w, ODT_STATIC, 0);
        return 0;
    case WM_ERASEBKGND:
        return 1; // the owner paints every pixel
    case WM_NCHITTEST:
        // As every static: without SS_NOTIFY the mouse goes through to the parent.
        if (!(w->style & SS_NOTIFY))
            return HTTRANSPARENT;
        return DefWindowProc(hwnd, msg, wp, lp);
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

namespace {

LRESULT ListViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    case LVM_GETITEMCOUNT:
        return 0; // the programs that use it paint their own items
    case LVM_DELETEALLITEMS:
        return TRUE;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

} // namespace

void RegisterCustomControls() {
    RegisterControlClass(WC_LISTVIEW, ListViewProc,
                         [](WindowObject&, QWidget*) -> QWidget* { return nullptr; });
}

} // namespace ms::ctl
