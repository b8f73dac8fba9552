// The scroll bar widget behind scroll-bar controls and windows' own bars (ScrollBars.cpp),
// and the "ScrollBar" control class.
#include "controls/ControlsInternal.h"

#include <QMouseEvent>
#include <algorithm>

namespace ms::ctl {

namespace {

LRESULT ScrollBarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowObject* w = FromHandle(hwnd);
    auto* s = w ? dynamic_cast<ScrollBarWidget*>(w->widget.data()) : nullptr;
    if (!s)
        return DefWindowProc(hwnd, msg, wp, lp);
    switch (msg) {
    case SBM_SETSCROLLINFO:
        return lp ? s->Set(*reinterpret_cast<const SCROLLINFO*>(lp), wp != 0) : 0;
    case SBM_GETSCROLLINFO:
        if (!lp)
            return FALSE;
        s->Get(*reinterpret_cast<SCROLLINFO*>(lp));
        return TRUE;
    case SBM_SETPOS: {
        const int old = s->Info().nPos;
        SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, static_cast<int>(wp), 0};
        s->Set(si, lp != 0);
        return old;
    }
    case SBM_GETPOS:
        return s->Info().nPos;
    case SBM_SETRANGE: {
        SCROLLINFO si{sizeof(si), SIF_RANGE, static_cast<int>(wp), static_cast<int>(lp), 0, 0, 0};
        s->Set(si, FALSE);
        return s->Info().nPos;
    }
    case SBM_GETRANGE:
        if (wp)
            *reinterpret_cast<int*>(wp) = s->Info().nMin;
        if (lp)
            *reinterpret_cast<int*>(lp) = s->Info().nMax;
        return 0;
    case SBM_ENABLE_ARROWS:
        s->EnableArrows(static_cast<UINT>(wp));
        return TRUE;
    default:
        return DefWindowProc(hwnd, msg, wp, lp);
    }
}

} // namespace

// ---- The scroll bar widget ----

bool& MakingWindowBar() {
    static bool making = false;
    return making;
}

ScrollBarWidget::ScrollBarWidget(HWND self, Qt::Orientation o, bool windowBar, QWidget* parent)
    : QScrollBar(o, parent), self_(self), windowBar_(windowBar) {
    setFocusPolicy(windowBar ? Qt::NoFocus : Qt::TabFocus);
    // Its menu would move the thumb without the program's consent.
    setContextMenuPolicy(Qt::NoContextMenu);
    Sync();
    connect(this, &QAbstractSlider::actionTriggered, [this](int action) {
        if (syncing_)
            return;
        switch (action) {
        case SliderSingleStepAdd:
            Notify(SB_LINEDOWN, 0);
            break;
        case SliderSingleStepSub:
            Notify(SB_LINEUP, 0);
            break;
        case SliderPageStepAdd:
            Notify(SB_PAGEDOWN, 0);
            break;
        case SliderPageStepSub:
            Notify(SB_PAGEUP, 0);
            break;
        case SliderToMinimum:
            Notify(SB_TOP, 0);
            break;
        case SliderToMaximum:
            Notify(SB_BOTTOM, 0);
            break;
        case SliderMove:
            if (!isSliderDown()) {
                // The wheel: a line step; the program moves the thumb.
                Notify(sliderPosition() > info_.nPos ? SB_LINEDOWN : SB_LINEUP, 0);
                break;
            }
            dragging_ = true;
            info_.nTrackPos = sliderPosition();
            Notify(SB_THUMBTRACK, info_.nTrackPos);
            return; // the thumb follows the mouse while it is dragged
        default:
            return;
        }
        // The program moves the thumb (SetScrollPos); until then it stays where it was.
        syncing_ = true;
        setSliderPosition(info_.nPos);
        syncing_ = false;
    });
    connect(this, &QAbstractSlider::sliderReleased, [this] {
        if (!dragging_)
            return;
        dragging_ = false;
        Notify(SB_THUMBPOSITION, info_.nTrackPos);
        Notify(SB_ENDSCROLL, 0);
        Sync();
    });
}

void ScrollBarWidget::Notify(int code, int pos) {
    WindowObject* w = FromHandle(self_);
    if (!w || !IsWindow(w->parent))
        return;
    const UINT msg = orientation() == Qt::Horizontal ? WM_HSCROLL : WM_VSCROLL;
    SendMessage(w->parent, msg, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos)),
                windowBar_ ? 0 : reinterpret_cast<LPARAM>(self_));
}

void ScrollBarWidget::mouseReleaseEvent(QMouseEvent* e) {
    const bool wasDragging = dragging_;
    QScrollBar::mouseReleaseEvent(e);
    if (!wasDragging && !dragging_)
        Notify(SB_ENDSCROLL, 0);
}

int ScrollBarWidget::Set(const SCROLLINFO& si, bool redraw) {
    (void)redraw;
    if (si.fMask & SIF_RANGE) {
        info_.nMin = si.nMin;
        info_.nMax = std::max(si.nMin, si.nMax);
    }
    if (si.fMask & SIF_PAGE)
        info_.nPage = std::min<UINT>(si.nPage, static_cast<UINT>(info_.nMax - info_.nMin + 1));
    if (si.fMask & SIF_POS)
        info_.nPos = si.nPos;
    // The position stays inside nMin .. nMax - max(nPage - 1, 0).
    const int top = info_.nMax - std::max(static_cast<int>(info_.nPage) - 1, 0);
    info_.nPos = std::clamp(info_.nPos, info_.nMin, std::max(info_.nMin, top));
    Sync();
    return info_.nPos;
}

void ScrollBarWidget::Get(SCROLLINFO& si) const {
    if (si.fMask & SIF_RANGE) {
        si.nMin = info_.nMin;
        si.nMax = info_.nMax;
    }
    if (si.fMask & SIF_PAGE)
        si.nPage = info_.nPage;
    if (si.fMask & SIF_POS)
        si.nPos = info_.nPos;
    if (si.fMask & SIF_TRACKPOS)
        si.nTrackPos = dragging_ ? info_.nTrackPos : info_.nPos;
}

void ScrollBarWidget::EnableArrows(UINT arrows) {
    disabledArrows_ = arrows == ESB_DISABLE_BOTH;
    setEnabled(!disabledArrows_ && IsWindowEnabled(self_));
}

void ScrollBarWidget::Sync() {
    syncing_ = true;
    const int top = info_.nMax - std::max(static_cast<int>(info_.nPage) - 1, 0);
    setRange(info_.nMin, std::max(info_.nMin, top));
    setPageStep(std::max<int>(1, static_cast<int>(info_.nPage)));
    setSingleStep(1);
    if (!dragging_)
        setSliderPosition(info_.nPos);
    syncing_ = false;
}

void RegisterScrollBarControls() {
    RegisterControlClass(u"ScrollBar", ScrollBarProc, [](WindowObject& w, QWidget* p) -> QWidget* {
        return new ScrollBarWidget(w.handle, (w.style & SBS_VERT) ? Qt::Vertical : Qt::Horizontal,
                                   MakingWindowBar(), p);
    });
}

} // namespace ms::ctl
