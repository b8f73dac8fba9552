// Tooltips ("tooltips_class32"): a window that keeps a list of tools (a window, an id, a
// rectangle, a text) and shows the text of the tool under the resting mouse as a native Qt
// tooltip. Tools with TTF_SUBCLASS are watched directly (the tooltip observes their mouse
// events without replacing their window procedures); other tools learn of the mouse through
// TTM_RELAYEVENT. The tooltip window itself never shows.
#include "platform/win/controls/ControlsInternal.h"

#include "platform/win/window/Resources.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QToolTip>
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
    QPointer<QWidget> watched;
};

class ToolTipWidget : public QWidget, public ControlWidget {
public:
    ToolTipWidget(HWND self, QWidget* parent) : QWidget(parent), self_(self) {
        timer_.setSingleShot(true);
        connect(&timer_, &QTimer::timeout, [this] { ShowPending(); });
    }
    ~ToolTipWidget() override {
        for (Tool& t : tools_)
            Unwatch(t);
    }
    // The tooltip window stays hidden: the tips are Qt's own tooltip windows.
    void setVisible(bool) override { QWidget::setVisible(false); }

    std::vector<Tool> tools_;
    int initial_ = 500;
    int autopop_ = 5000;
    bool active_ = true;
    POINT track_{};

    void Watch(Tool& t) {
        if (!(t.flags & TTF_SUBCLASS))
            return;
        t.watched = WidgetOf(t.hwnd);
        if (t.watched) {
            t.watched->setMouseTracking(true);
            t.watched->installEventFilter(this);
        }
    }
    void Unwatch(Tool& t) {
        if (!t.watched)
            return;
        bool other = false;
        for (const Tool& o : tools_)
            if (&o != &t && o.watched == t.watched)
                other = true;
        if (!other)
            t.watched->removeEventFilter(this);
        t.watched = nullptr;
    }
    // The mouse rests at `pt` (client coordinates of `hwnd`).
    void Hover(HWND hwnd, POINT pt) {
        const Tool* hit = nullptr;
        for (const Tool& t : tools_) {
            if (t.hwnd != hwnd && !((t.flags & TTF_IDISHWND) && reinterpret_cast<HWND>(t.id) == hwnd))
                continue;
            RECT r = t.rect;
            if (t.flags & TTF_IDISHWND)
                GetClientRect(hwnd, &r);
            if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom) {
                hit = &t;
                break;
            }
        }
        if (!hit || !active_) {
            Pop();
            return;
        }
        POINT screen = pt;
        ClientToScreen(hwnd, &screen);
        const bool same = shown_ && pendingHwnd_ == hit->hwnd && pendingId_ == hit->id;
        pendingHwnd_ = hit->hwnd;
        pendingId_ = hit->id;
        pendingPos_ = QPoint(screen.x, screen.y);
        if (same)
            return;
        if (QToolTip::isVisible() && shown_)
            ShowPending(); // moving from tool to tool shows at once, as on Windows
        else
            timer_.start(initial_);
    }
    void Pop() {
        timer_.stop();
        if (shown_)
            QToolTip::hideText();
        shown_ = false;
        pendingHwnd_ = nullptr;
    }
    void Refresh(const Tool& t) {
        if (shown_ && pendingHwnd_ == t.hwnd && pendingId_ == t.id)
            ShowPending();
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* w = qobject_cast<QWidget*>(o);
        const HWND h = w ? HandleOfWidget(w) : nullptr;
        switch (e->type()) {
        case QEvent::MouseMove: {
            const QPoint p = static_cast<QMouseEvent*>(e)->position().toPoint();
            Hover(h, POINT{p.x(), p.y()});
            break;
        }
        case QEvent::Enter: {
            const QPoint p = w->mapFromGlobal(QCursor::pos());
            Hover(h, POINT{p.x(), p.y()});
            break;
        }
        case QEvent::Leave:
        case QEvent::MouseButtonPress:
        case QEvent::Wheel:
            Pop();
            break;
        case QEvent::ToolTip:
            return true; // the widget's own tooltip would compete with ours
        default:
            break;
        }
        return QWidget::eventFilter(o, e);
    }

private:
    void ShowPending() {
        for (const Tool& t : tools_) {
            if (t.hwnd != pendingHwnd_ || t.id != pendingId_)
                continue;
            if (t.text.empty()) {
                Pop();
                return;
            }
            QToolTip::showText(pendingPos_ + QPoint(0, 20), Q(t.text), nullptr, QRect(),
                               autopop_);
            shown_ = true;
            return;
        }
    }
    HWND self_;
    QTimer timer_;
    bool shown_ = false;
    HWND pendingHwnd_ = nullptr;
    UINT_PTR pendingId_ = 0;
    QPoint pendingPos_;
};

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
        tt->Watch(tt->tools_.back());
        return TRUE;
    }
    case TTM_DELTOOLW: {
        if (!ti)
            return 0;
        auto it = find(ti->hwnd, ti->uId);
        if (it != tt->tools_.end()) {
            if (tt->tools_.size() == 1 || it->hwnd)
                tt->Pop();
            tt->Unwatch(*it);
            tt->tools_.erase(it);
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
                if (t.hwnd == m->hwnd && (t.flags & TTF_SUBCLASS))
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
        return DefWindowProc(hwnd, msg, wp, lp);
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

} // namespace

void RegisterToolTips() {
    RegisterControlClass(TOOLTIPS_CLASS, ToolTipProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        return new ToolTipWidget(w.handle, p);
    });
}

} // namespace ms::ctl
