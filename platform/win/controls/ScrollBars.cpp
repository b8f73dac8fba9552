// The scroll-bar functions, for scroll-bar controls (SB_CTL) and for the bars of windows
// (SB_HORZ, SB_VERT). A window's bar is a scroll-bar child window of its own kind: it sits
// at the bottom or right edge outside the client area, which shrinks by its size, and it
// notifies the window itself with lParam 0. A bar shows when its range holds more than a
// page (or always, disabled, with SIF_DISABLENOSCROLL); ShowScrollBar overrides that.
#include "controls/ControlsInternal.h"

#include "window/WindowInternal.h"

#include <QEvent>
#include <QObject>
#include <map>

namespace ms::ctl {
namespace {

struct WindowBars {
    HWND bar[2] = {nullptr, nullptr}; // SB_HORZ, SB_VERT
    bool shown[2] = {false, false};
};

std::map<HWND, WindowBars>& Bars() {
    static std::map<HWND, WindowBars> m;
    return m;
}

ScrollBarWidget* WidgetOfBar(HWND bar) {
    WindowObject* w = FromHandle(bar);
    return w ? dynamic_cast<ScrollBarWidget*>(w->widget.data()) : nullptr;
}

// Keeps the bars of one window at its edges when it changes size.
class BarLayout : public QObject {
public:
    BarLayout(HWND owner, QObject* parent) : QObject(parent), owner_(owner) {}
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    HWND owner_;
};

void Layout(HWND hwnd) {
    WindowObject* w = FromHandle(hwnd);
    auto it = Bars().find(hwnd);
    if (!w || !w->widget || it == Bars().end())
        return;
    WindowBars& b = it->second;
    const int cx = GetSystemMetrics(SM_CXVSCROLL);
    const int cy = GetSystemMetrics(SM_CYHSCROLL);
    const bool h = b.shown[SB_HORZ] && IsWindow(b.bar[SB_HORZ]);
    const bool v = b.shown[SB_VERT] && IsWindow(b.bar[SB_VERT]);
    const QSize before = w->ClientSize();
    w->scrollBarBottom = h ? cy : 0;
    w->scrollBarRight = v ? cx : 0;
    const int inset = w->ClientInset();
    const QSize client = w->ClientSize();
    if (h)
        if (WindowObject* bw = FromHandle(b.bar[SB_HORZ]))
            bw->widget->setGeometry(inset, inset + client.height(), client.width(), cy);
    if (v)
        if (WindowObject* bw = FromHandle(b.bar[SB_VERT]))
            bw->widget->setGeometry(inset + client.width(), inset, cx, client.height());
    for (int i = 0; i < 2; ++i)
        if (IsWindow(b.bar[i]) && (IsWindowVisible(b.bar[i]) != 0) != b.shown[i])
            ShowWindow(b.bar[i], b.shown[i] ? SW_SHOWNA : SW_HIDE);
    if (client != before && !w->destroying) {
        wnd::NotifyGeometry(*w);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

bool BarLayout::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::Resize)
        Layout(owner_);
    return QObject::eventFilter(o, e);
}

LRESULT OwnBarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCDESTROY) {
        for (auto it = Bars().begin(); it != Bars().end(); ++it) {
            for (HWND& b : it->second.bar)
                if (b == hwnd)
                    b = nullptr;
            if (!it->second.bar[0] && !it->second.bar[1]) {
                Bars().erase(it);
                break;
            }
        }
    }
    return CallWindowProc(FindWindowClass(u"ScrollBar")->proc, hwnd, msg, wp, lp);
}

// The bar of a window; made on first use for windows that paint themselves (a standard
// control with a Qt widget has its own scrolling).
ScrollBarWidget* BarOf(HWND hwnd, int which, bool create) {
    WindowObject* w = FromHandle(hwnd);
    if (!w || w->native || !w->widget || (which != SB_HORZ && which != SB_VERT))
        return nullptr;
    if (!create) {
        auto it = Bars().find(hwnd);
        return it == Bars().end() ? nullptr : WidgetOfBar(it->second.bar[which]);
    }
    WindowBars& b = Bars()[hwnd];
    if (ScrollBarWidget* s = WidgetOfBar(b.bar[which]))
        return s;
    const bool first = !b.bar[0] && !b.bar[1];
    MakingWindowBar() = true;
    HWND bar = CreateWindowEx(0, u"ScrollBar", nullptr,
                              WS_CHILD | (which == SB_VERT ? SBS_VERT : SBS_HORZ), 0, 0, 0, 0, hwnd,
                              nullptr, nullptr, nullptr);
    MakingWindowBar() = false;
    WindowObject* bw = FromHandle(bar);
    auto* s = bw ? dynamic_cast<ScrollBarWidget*>(bw->widget.data()) : nullptr;
    if (!s)
        return nullptr;
    bw->proc = OwnBarProc;
    b.bar[which] = bar;
    if (first)
        w->widget->installEventFilter(new BarLayout(hwnd, w->widget));
    return s;
}

void Show(HWND hwnd, int which, bool show) {
    WindowObject* w = FromHandle(hwnd);
    auto it = Bars().find(hwnd);
    if (!w || it == Bars().end())
        return;
    it->second.shown[which] = show;
    const DWORD bit = which == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
    w->style = show ? (w->style | bit) : (w->style & ~bit);
    Layout(hwnd);
}

} // namespace
} // namespace ms::ctl

using namespace ms;
using namespace ms::ctl;

int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw) {
    if (!info)
        return 0;
    if (bar == SB_CTL)
        return static_cast<int>(
            SendMessage(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
    ScrollBarWidget* s = BarOf(hwnd, bar, true);
    if (!s)
        return 0;
    const int pos = s->Set(*info, redraw != 0);
    if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
        const bool range = s->HasRange();
        const bool keep = (info->fMask & SIF_DISABLENOSCROLL) != 0;
        Show(hwnd, bar, range || keep);
        s->setEnabled(range && IsWindowEnabled(hwnd));
    }
    return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
    if (!info)
        return FALSE;
    if (bar == SB_CTL)
        return static_cast<BOOL>(
            SendMessage(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
    ScrollBarWidget* s = BarOf(hwnd, bar, false);
    if (!s) {
        // A window whose bar never showed: Windows answers with an empty range.
        if (!FromHandle(hwnd))
            return FALSE;
        SCROLLINFO empty{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
        const UINT mask = info->fMask;
        *info = empty;
        info->fMask = mask;
        return TRUE;
    }
    s->Get(*info);
    return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
    SCROLLINFO old{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd, bar, &old);
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(hwnd, bar, &si, redraw);
    return old.nPos;
}

int GetScrollPos(HWND hwnd, int bar) {
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(hwnd, bar, &si) ? si.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE, minPos, maxPos, 0, 0, 0};
    SetScrollInfo(hwnd, bar, &si, redraw);
    return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(hwnd, bar, &si))
        return FALSE;
    if (minPos)
        *minPos = si.nMin;
    if (maxPos)
        *maxPos = si.nMax;
    return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
    if (bar == SB_CTL)
        return ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE), TRUE;
    for (int which : {SB_HORZ, SB_VERT}) {
        if (bar != which && bar != SB_BOTH)
            continue;
        if (!BarOf(hwnd, which, show != FALSE))
            continue;
        Show(hwnd, which, show != FALSE);
    }
    return FromHandle(hwnd) ? TRUE : FALSE;
}

BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows) {
    if (bar == SB_CTL)
        return static_cast<BOOL>(SendMessage(hwnd, SBM_ENABLE_ARROWS, arrows, 0));
    for (int which : {SB_HORZ, SB_VERT}) {
        if (static_cast<int>(bar) != which && bar != SB_BOTH)
            continue;
        if (ScrollBarWidget* s = BarOf(hwnd, which, false))
            s->EnableArrows(arrows);
    }
    return TRUE;
}
