#include "measure/ViewScrolling.h"

#include "platform/win/controls/CommCtrl.h"

void SetViewScrollRanges(CWnd& wnd, const ScrollRanges& ranges) {
    for (int bar : {SB_HORZ, SB_VERT}) {
        const ScrollRange& r = bar == SB_HORZ ? ranges.horizontal : ranges.vertical;
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE;
        si.nMin = r.min;
        si.nMax = r.max;
        si.nPage = r.page;
        wnd.SetScrollInfo(bar, &si, TRUE);
    }
}

int ScrollViewBar(CWnd& wnd, int bar, UINT code, int pageSize) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    wnd.GetScrollInfo(bar, &si, SIF_ALL);
    const int lineStep = GetSystemMetrics(bar == SB_HORZ ? SM_CXVSCROLL : SM_CYHSCROLL);
    const int position =
        CanvasScrollPosition(wnd.GetScrollPos(bar), code, ScrollRange{si.nMin, si.nMax, si.nPage},
                             si.nTrackPos, lineStep, pageSize);
    wnd.SetScrollPos(bar, position, TRUE);
    return position;
}

void FillViewBackground(CDC& dc, COLORREF color) {
    CRect clip;
    dc.GetClipBox(&clip);
    CBrush brush(color);
    CBrush* old = dc.SelectObject(&brush);
    dc.PatBlt(clip.left, clip.top, clip.Width(), clip.Height(), PATCOPY);
    dc.SelectObject(old);
}
