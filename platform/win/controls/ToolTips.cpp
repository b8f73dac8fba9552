// Tooltips ("tooltips_class32"): a window that keeps a list of tools (a window, an id, a
// rectangle, a text) and shows the text of the tool under the resting mouse as a native Qt
// tooltip. The windows of TTF_SUBCLASS tools get a window procedure in front of theirs that
// shows the tooltips their mouse messages (installed once per window and kept for its life,
// so that later subclassing by others stays intact); other tools learn of the mouse through
// TTM_RELAYEVENT. While a tip is due or shown, a timer checks that the cursor is still over
// the tool. The tooltip window itself never shows.
#include "controls/ControlsInternal.h"

#include "platform/win/window/Resources.h"

#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <map>
#include <vector>

namespace ms::ctl {
namespace {

struct Tool {
    UINT flags = 0;
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    RECT rect{};
    std::u16string text;
    LPARAM param = 0;
};

// The window whose mouse a subclassing tool watches: the id names it with TTF_IDISHWND.
HWND Watched(const Tool& t) {
    return (t.flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(t.id) : t.hwnd;
}

class ToolTipWidget;
void Hook(HWND tool, HWND tip);
void Unhook(HWND tool, HWND tip);

class ToolTipWidget : public QWidget, public ControlWidget {
public:
    explicit ToolTipWidget(QWidget* parent) : QWidget(parent) {
        timer_.setSingleShot(true);
        connect(&timer_, &QTimer::timeout, [this] { ShowPending(); });
        poll_.setInterval(100);
        connect(&poll_, &QTimer::timeout, [this] { CheckCursor(); });
    }
    // The tooltip window stays hidden: the tips are Qt's own tooltip windows.
    void setVisible(bool) override { QWidget::setVisible(false); }

    std::vector<Tool> tools_;
    int initial_ = 500;
    int autopop_ = 5000;
    bool active_ = true;
    POINT track_{};

    // The mouse is at `pt` (client coordinates of `hwnd`).
    void Hover(HWND hwnd, POINT pt) {
        const Tool* hit = Hit(hwnd, pt);
        if (!hit || !active_) {
            Pop();
            return;
        }
        POINT screen = pt;
        ClientToScreen(hwnd, &screen);
        const bool same =
            pendingHwnd_ == hit->hwnd && pendingId_ == hit->id && (shown_ || timer_.isActive());
        pendingHwnd_ = hit->hwnd;
        pendingId_ = hit->id;
        pendingPos_ = QPoint(screen.x, screen.y);
        poll_.start();
        if (same)
            return;
        if (shown_)
            ShowPending(); // moving from tool to tool shows at once, as on Windows
        else
            timer_.start(initial_);
    }
    void Pop() {
        timer_.stop();
        poll_.stop();
        if (shown_ && QToolTip::text() == shownText_)
            QToolTip::hideText();
        shown_ = false;
        pendingHwnd_ = nullptr;
    }
    void Refresh(const Tool& t) {
        if (shown_ && pendingHwnd_ == t.hwnd && pendingId_ == t.id)
            ShowPending();
    }
    bool Uses(HWND hwnd) const {
        for (const Tool& t : tools_)
            if (Watched(t) == hwnd && (t.flags & TTF_SUBCLASS))
                return true;
        return false;
    }

private:
    const Tool* Hit(HWND hwnd, POINT pt) const {
        for (const Tool& t : tools_) {
            const bool byHwnd = (t.flags & TTF_IDISHWND) && reinterpret_cast<HWND>(t.id) == hwnd;
            if (t.hwnd != hwnd && !byHwnd)
                continue;
            RECT r = t.rect;
            if (byHwnd)
                GetClientRect(hwnd, &r);
            if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom)
                return &t;
        }
        return nullptr;
    }
    // Windows' tooltips watch the cursor with a timer; so does this one.
    void CheckCursor() {
        if (!IsWindow(pendingHwnd_)) {
            Pop();
            return;
        }
        POINT p;
        GetCursorPos(&p);
        if (WindowFromPoint(p) != pendingHwnd_) {
            Pop();
            return;
        }
        ScreenToClient(pendingHwnd_, &p);
        if (!Hit(pendingHwnd_, p))
            Pop();
    }
    void ShowPending() {
        for (const Tool& t : tools_) {
            if (t.hwnd != pendingHwnd_ || t.id != pendingId_)
                continue;
            if (t.text.empty()) {
                Pop();
                return;
            }
            shownText_ = Q(t.text);
            QToolTip::showText(pendingPos_ + QPoint(0, 20), shownText_, nullptr, QRect(), autopop_);
            shown_ = true;
            return;
        }
    }
    QTimer timer_;
    QTimer poll_;
    bool shown_ = false;
    QString shownText_;
    HWND pendingHwnd_ = nullptr;
    UINT_PTR pendingId_ = 0;
    QPoint pendingPos_;
};

ToolTipWidget* TipOf(HWND tip) {
    WindowObject* w = FromHandle(tip);
    return w ? dynamic_cast<ToolTipWidget*>(w->widget.data()) : nullptr;
}

// ---- The procedure in front of subclassed tools ----

struct Hooked {
    WNDPROC prev = nullptr;
    std::vector<HWND> tips;
};

std::map<HWND, Hooked>& HookedWindows() {
    static std::map<HWND, Hooked> m;
    return m;
}

LRESULT ToolHookProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto it = HookedWindows().find(h);
    if (it == HookedWindows().end())
        return DefWindowProc(h, msg, wp, lp);
    const WNDPROC prev = it->second.prev;
    if ((msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || msg == WM_MOUSELEAVE) {
        const std::vector<HWND> tips = it->second.tips;
        for (HWND tip : tips) {
            ToolTipWidget* t = TipOf(tip);
            if (!t)
                continue;
            if (msg == WM_MOUSEMOVE)
                t->Hover(h, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            else if (msg != WM_LBUTTONUP && msg != WM_RBUTTONUP && msg != WM_MBUTTONUP)
                t->Pop();
        }
    }
    const LRESULT r = CallWindowProc(prev, h, msg, wp, lp);
    if (msg == WM_NCDESTROY)
        HookedWindows().erase(h);
    return r;
}

void Hook(HWND tool, HWND tip) {
    if (!IsWindow(tool))
        return;
    auto it = HookedWindows().find(tool);
    if (it == HookedWindows().end()) {
        Hooked hk;
        hk.prev = reinterpret_cast<WNDPROC>(
            SetWindowLongPtr(tool, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ToolHookProc)));
        it = HookedWindows().emplace(tool, hk).first;
        // Standard controls report a mouse that moves without a button only when asked.
        if (QWidget* w = WidgetOf(tool))
            w->setMouseTracking(true);
    }
    auto& tips = it->second.tips;
    if (std::find(tips.begin(), tips.end(), tip) == tips.end())
        tips.push_back(tip);
}

void Unhook(HWND tool, HWND tip) {
    auto it = HookedWindows().find(tool);
    if (it == HookedWindows().end())
        return;
    auto& tips = it->second.tips;
    tips.erase(std::remove(tips.begin(), tips.end(), tip), tips.end());
}

std::u16string TextOf(const TOOLINFOW& ti) {
    if (!ti.lpszText || ti.lpszText == LPSTR_TEXTCALLBACKW)
        return {};
    if (IS_INTRESOURCE(ti.lpszText)) {
        WCHAR buf[1024]{};
        LoadString(ti.hinst, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(ti.lpszText)), buf,
                   1024);
        return buf;
    }
    return ti.lpszText;
}

// Programs pass the size of the old layout; every field up to the text is always there, the
// parameter only when the size covers it.
bool HasParam(const TOOLINFOW& ti) {
    return ti.cbSize >= sizeof(TOOLINFOW);
}

LRESULT ToolTipProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    auto* tt = w ? dynamic_cast<ToolTipWidget*>(w->widget.data()) : nullptr;
    if (!tt)
        return DefWindowProc(hwnd, msg, wp, lp);
    auto* ti = reinterpret_cast<TOOLINFOW*>(lp);
    auto find = [&](HWND h, UINT_PTR id) {
        for (auto it = tt->tools_.begin(); it != tt->tools_.end(); ++it)
            if (it->hwnd == h && it->id == id)
                return it;
        return tt->tools_.end();
    };
    switch (msg) {
    case TTM_ADDTOOLW: {
        if (!ti)
            return FALSE;
        if (find(ti->hwnd, ti->uId) != tt->tools_.end())
            return FALSE;
        Tool t;
        t.flags = ti->uFlags;
        t.hwnd = ti->hwnd;
        t.id = ti->uId;
        t.rect = ti->rect;
        t.text = TextOf(*ti);
        t.param = HasParam(*ti) ? ti->lParam : 0;
        tt->tools_.push_back(t);
        if (t.flags & TTF_SUBCLASS)
            Hook(Watched(t), hwnd);
        return TRUE;
    }
    case TTM_DELTOOLW: {
        if (!ti)
            return 0;
        auto it = find(ti->hwnd, ti->uId);
        if (it != tt->tools_.end()) {
            tt->Pop();
            const HWND tool = Watched(*it);
            tt->tools_.erase(it);
            if (!tt->Uses(tool))
                Unhook(tool, hwnd);
        }
        return 0;
    }
    case TTM_GETTOOLCOUNT:
        return static_cast<LRESULT>(tt->tools_.size());
    case TTM_UPDATETIPTEXTW: {
        if (!ti)
            return 0;
        auto it = find(ti->hwnd, ti->uId);
        if (it != tt->tools_.end()) {
            it->text = TextOf(*ti);
            tt->Refresh(*it);
        }
        return 0;
    }
    case TTM_NEWTOOLRECTW: {
        if (!ti)
            return 0;
        auto it = find(ti->hwnd, ti->uId);
        if (it != tt->tools_.end())
            it->rect = ti->rect;
        return 0;
    }
    case TTM_GETTOOLINFOW:
    case TTM_SETTOOLINFOW: {
        if (!ti)
            return FALSE;
        auto it = find(ti->hwnd, ti->uId);
        if (it == tt->tools_.end())
            return FALSE;
        if (msg == TTM_SETTOOLINFOW) {
            it->flags = ti->uFlags;
            it->rect = ti->rect;
            it->text = TextOf(*ti);
            if (HasParam(*ti))
                it->param = ti->lParam;
            return TRUE;
        }
        ti->uFlags = it->flags;
        ti->rect = it->rect;
        // The text pointer is left as the caller gave it: its buffer size is unknown.
        if (HasParam(*ti))
            ti->lParam = it->param;
        return TRUE;
    }
    case TTM_SETDELAYTIME: {
        const int ms = static_cast<int>(static_cast<LONG>(lp));
        switch (wp) {
        case TTDT_AUTOMATIC: // initial = t, autopop = 10 t, as on Windows
            tt->initial_ = ms < 0 ? 500 : ms;
            tt->autopop_ = ms < 0 ? 5000 : 10 * ms;
            break;
        case TTDT_INITIAL:
            tt->initial_ = ms < 0 ? 500 : ms;
            break;
        case TTDT_AUTOPOP:
            tt->autopop_ = ms < 0 ? 5000 : ms;
            break;
        default:
            break;
        }
        return 0;
    }
    case TTM_TRACKPOSITION:
        tt->track_ = POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        return 0;
    case TTM_TRACKACTIVATE:
        return 0;
    case TTM_RELAYEVENT: {
        const MSG* m = reinterpret_cast<const MSG*>(lp);
        if (!m)
            return 0;
        if (m->message == WM_MOUSEMOVE) {
            // Subclassed tools are already watched.
            bool subclassed = false;
            for (const Tool& t : tt->tools_)
                if (Watched(t) == m->hwnd && (t.flags & TTF_SUBCLASS))
                    subclassed = true;
            if (!subclassed)
                tt->Hover(m->hwnd, POINT{GET_X_LPARAM(m->lParam), GET_Y_LPARAM(m->lParam)});
        } else if (m->message == WM_LBUTTONDOWN || m->message == WM_RBUTTONDOWN ||
                   m->message == WM_MBUTTONDOWN) {
            tt->Pop();
        }
        return 0;
    }
    case TTM_ACTIVATE:
        tt->active_ = wp != 0;
        if (!tt->active_)
            tt->Pop();
        return 0;
    case TTM_POP:
        tt->Pop();
        return 0;
    case TTM_SETMAXTIPWIDTH:
        return -1;
    case WM_NCDESTROY:
        tt->Pop();
        for (const Tool& t : tt->tools_)
            Unhook(Watched(t), hwnd);
        return DefWindowProc(hwnd, msg, wp, lp);
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

} // namespace

void RegisterToolTips() {
    RegisterControlClass(TOOLTIPS_CLASS, ToolTipProc, [](WindowObject&, QWidget* p) -> QWidget* {
        return new ToolTipWidget(p);
    });
}

} // namespace ms::ctl
