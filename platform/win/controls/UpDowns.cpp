// Up-down controls: two arrow buttons with a range, a position and a buddy window that can
// show the position as its text.
#include "controls/ControlsInternal.h"

#include "platform/win/core/Format.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ms::ctl {

namespace {

class UpDown : public QWidget, public ControlWidget {
public:
    UpDown(HWND h, DWORD style, QWidget* parent) : QWidget(parent), hwnd_(h), style_(style) {
        const bool horz = (style & UDS_HORZ) != 0;
        QBoxLayout* l = horz ? static_cast<QBoxLayout*>(new QHBoxLayout(this))
                             : static_cast<QBoxLayout*>(new QVBoxLayout(this));
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
        up_ = new QToolButton(this);
        down_ = new QToolButton(this);
        up_->setArrowType(horz ? Qt::RightArrow : Qt::UpArrow);
        down_->setArrowType(horz ? Qt::LeftArrow : Qt::DownArrow);
        for (QToolButton* b : {horz ? down_ : up_, horz ? up_ : down_}) {
            b->setAutoRepeat(true);
            b->setFocusPolicy(Qt::NoFocus);
            b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            l->addWidget(b);
        }
        // Held down, the arrow repeats; the last click comes with the release.
        connect(up_, &QToolButton::clicked, [this] {
            if (Step(true) && !up_->isDown())
                End();
        });
        connect(down_, &QToolButton::clicked, [this] {
            if (Step(false) && !down_->isDown())
                End();
        });
    }
    QToolButton* Up() const { return up_; }
    QToolButton* Down() const { return down_; }

    int lower = 100; // Windows' default range runs from 100 down to 0
    int upper = 0;
    int pos = 0;
    HWND buddy = nullptr;

    // A click on an arrow: UDN_DELTAPOS (the parent may refuse), then the new position in the
    // buddy (UDS_SETBUDDYINT) and WM_VSCROLL/WM_HSCROLL SB_THUMBPOSITION to the parent.
    bool Step(bool towardUpper) {
        const int dir = upper >= lower ? 1 : -1;
        const int delta = towardUpper ? dir : -dir;
        NMUPDOWN nm{};
        nm.iPos = Pos();
        nm.iDelta = delta;
        if (SendNotify(hwnd_, UDN_DELTAPOS, &nm.hdr))
            return false;
        const int lo = std::min(lower, upper), hi = std::max(lower, upper);
        int next = nm.iPos + nm.iDelta;
        if (next < lo || next > hi) {
            if (!(style_ & UDS_WRAP))
                return false; // at the end of the range nothing moves and nothing is sent
            next = next < lo ? hi : lo;
        }
        SetPos(next);
        WindowObject* w = FromHandle(hwnd_);
        if (w && IsWindow(w->parent))
            SendMessage(w->parent, (style_ & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL,
                        MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(next)),
                        reinterpret_cast<LPARAM>(hwnd_));
        return true;
    }
    void End() {
        WindowObject* w = FromHandle(hwnd_);
        if (w && IsWindow(w->parent))
            SendMessage(w->parent, (style_ & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL,
                        MAKEWPARAM(SB_ENDSCROLL, static_cast<WORD>(pos)),
                        reinterpret_cast<LPARAM>(hwnd_));
    }
    // The position; with UDS_SETBUDDYINT the buddy's number is the truth, as on Windows.
    int Pos() {
        if ((style_ & UDS_SETBUDDYINT) && IsWindow(buddy)) {
            WCHAR buf[32]{};
            GetWindowText(buddy, buf, 32);
            std::u16string s(buf);
            s.erase(std::remove(s.begin(), s.end(), u','), s.end());
            if (!s.empty()) {
                bool ok = false;
                const int v = QString::fromUtf16(s.c_str()).trimmed().toInt(&ok);
                if (ok)
                    pos = std::clamp(v, std::min(lower, upper), std::max(lower, upper));
            }
        }
        return pos;
    }
    void SetPos(int p) {
        pos = std::clamp(p, std::min(lower, upper), std::max(lower, upper));
        if ((style_ & UDS_SETBUDDYINT) && IsWindow(buddy)) {
            WCHAR buf[32];
            swprintf(buf, 32, u"%d", pos);
            SetWindowText(buddy, buf);
        }
    }
    // UDS_ALIGNRIGHT/LEFT: the control sits beside its buddy, taking room from it.
    void Align() {
        if (!IsWindow(buddy) || !(style_ & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)))
            return;
        WindowObject* w = FromHandle(hwnd_);
        if (!w)
            return;
        RECT br;
        GetWindowRect(buddy, &br);
        MapWindowPoints(nullptr, w->parent, reinterpret_cast<POINT*>(&br), 2);
        const int width = std::max(12, static_cast<int>(w->widget->width()));
        const int bw = br.right - br.left - width;
        if (bw <= 0)
            return;
        if (style_ & UDS_ALIGNRIGHT) {
            MoveWindow(buddy, br.left, br.top, bw, br.bottom - br.top, TRUE);
            MoveWindow(hwnd_, br.left + bw, br.top, width, br.bottom - br.top, TRUE);
        } else {
            MoveWindow(buddy, br.left + width, br.top, bw, br.bottom - br.top, TRUE);
            MoveWindow(hwnd_, br.left, br.top, width, br.bottom - br.top, TRUE);
        }
    }

private:
    HWND hwnd_;
    DWORD style_;
    QToolButton* up_;
    QToolButton* down_;
};

LRESULT UpDownProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    auto* u = w ? dynamic_cast<UpDown*>(w->widget.data()) : nullptr;
    if (!u)
        return DefWindowProc(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        if (w->style & UDS_AUTOBUDDY) {
            // The buddy is the control before this one in the template.
            auto kids = InOrder(w->parent);
            auto it = std::find(kids.begin(), kids.end(), hwnd);
            if (it != kids.end() && it != kids.begin()) {
                u->buddy = *(it - 1);
                u->Align();
            }
        }
        return DefWindowProc(hwnd, msg, wp, lp);
    case UDM_SETRANGE:
        u->upper = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lp)));
        u->lower = static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lp)));
        u->pos = std::clamp(u->pos, std::min(u->lower, u->upper), std::max(u->lower, u->upper));
        return 0;
    case UDM_SETRANGE32:
        u->lower = static_cast<int>(static_cast<LONG>(wp));
        u->upper = static_cast<int>(static_cast<LONG>(lp));
        u->pos = std::clamp(u->pos, std::min(u->lower, u->upper), std::max(u->lower, u->upper));
        return 0;
    case UDM_GETRANGE:
        return MAKELONG(static_cast<WORD>(u->upper), static_cast<WORD>(u->lower));
    case UDM_GETRANGE32:
        if (wp)
            *reinterpret_cast<int*>(wp) = u->lower;
        if (lp)
            *reinterpret_cast<int*>(lp) = u->upper;
        return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        const int old = u->Pos();
        u->SetPos(msg == UDM_SETPOS ? static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lp)))
                                    : static_cast<int>(static_cast<LONG>(lp)));
        return old;
    }
    case UDM_GETPOS:
        return MAKELONG(static_cast<WORD>(u->Pos()), 0);
    case UDM_GETPOS32:
        if (lp)
            *reinterpret_cast<BOOL*>(lp) = FALSE;
        return u->Pos();
    case UDM_SETBUDDY: {
        HWND old = u->buddy;
        u->buddy = reinterpret_cast<HWND>(wp);
        u->Align();
        return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(u->buddy);
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

} // namespace

void RegisterUpDowns() {
    RegisterControlClass(UPDOWN_CLASS, UpDownProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        return new UpDown(w.handle, w.style, p);
    });
}

} // namespace ms::ctl
