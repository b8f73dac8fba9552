// The thumbnail list window: surface and geometry, scrolling, drawing, selection and the
// removal of items.
#include "media/ThumbnailListWnd.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Files.h"
#include "platform/win/gdi/Gdi.h"

#include <algorithm>
#include <memory>

namespace {

constexpr COLORREF kFrameColor = RGB(0x0C, 0xBF, 0x00);

} // namespace

BEGIN_MESSAGE_MAP(CThumbnailListWnd, CListView)
ON_WM_CREATE()
ON_WM_PAINT()
END_MESSAGE_MAP()

CThumbnailListWnd::CThumbnailListWnd(const int& showsPictures, int bar, int itemsPerStep)
    : m_showsPictures(&showsPictures), m_bar(bar), m_itemsPerStep(itemsPerStep) {
    m_framePen = CreatePen(PS_DOT, 2, kFrameColor);
    LOGBRUSH hollow{BS_NULL, 0, 0};
    m_hollowBrush = CreateBrushIndirect(&hollow);
}

CThumbnailListWnd::~CThumbnailListWnd() {
    FreeGdi();
    if (m_framePen)
        DeleteObject(m_framePen);
    if (m_hollowBrush)
        DeleteObject(m_hollowBrush);
}

int CThumbnailListWnd::OnCreate(LPCREATESTRUCT cs) {
    return CListView::OnCreate(cs) == -1 ? -1 : 0;
}

BOOL CThumbnailListWnd::PreTranslateMessage(MSG* msg) {
    // The wheel never scrolls the list.
    if (msg->message == WM_MOUSEWHEEL)
        return TRUE;
    if (msg->message == WM_CLOSE || msg->message == WM_DESTROY || msg->message == WM_NCDESTROY)
        FreeGdi();
    return CListView::PreTranslateMessage(msg);
}

void CThumbnailListWnd::FreeGdi() {
    if (m_surfaceDC) {
        SelectObject(m_surfaceDC, m_surfaceOldBitmap);
        DeleteDC(m_surfaceDC);
    }
    if (m_surface)
        DeleteObject(m_surface);
    if (m_scratchDC)
        DeleteDC(m_scratchDC);
    m_surfaceDC = m_scratchDC = nullptr;
    m_surface = nullptr;
    m_surfaceOldBitmap = nullptr;
    m_haveGeometry = false;
}

void CThumbnailListWnd::FillBackdrop(HDC) {}

void CThumbnailListWnd::EnsureGeometry() {
    if (m_haveGeometry || !m_hWnd)
        return;
    GetClientRect(&m_client);
    MeasureSlots(m_client);
    m_haveGeometry = true;
}

void CThumbnailListWnd::OnPaint() {
    CPaintDC dc(this);
    if (!m_surfaceDC) {
        m_haveGeometry = false;
        EnsureGeometry();
        m_surfaceDC = CreateCompatibleDC(dc.m_hDC);
        m_scratchDC = CreateCompatibleDC(dc.m_hDC);
        m_extent = SIZE{};
        m_surface = NewSurface(dc.m_hDC, m_extent);
        m_surfaceOldBitmap = SelectObject(m_surfaceDC, m_surface);
        FillBackdrop(m_surfaceDC);
        DrawThumbnails();
    }
    const RECT& r = dc.m_ps.rcPaint;
    BitBlt(dc.m_hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, m_surfaceDC, r.left, r.top,
           SRCCOPY);
}

// ---- Scrolling

void CThumbnailListWnd::Scroll(UINT code, UINT pos) {
    ThumbnailList& list = CurrentList();
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(m_bar, &si);
    const int thumb = code == SB_THUMBTRACK ? si.nTrackPos : static_cast<int>(pos);
    const int step = ScrollTarget(static_cast<int>(code), list.firstVisible, thumb, si.nMax,
                                  SlotCount() / m_itemsPerStep);
    if (step < 0)
        return;
    SetScrollPos(m_bar, step, TRUE);
    list.firstVisible = step;
    DrawThumbnails();
}

void CThumbnailListWnd::UpdateScrollBar() {
    ThumbnailList& list = CurrentList();
    const int count = list.Count();
    const int page = SlotCount() / m_itemsPerStep;
    const int steps = (count + m_itemsPerStep - 1) / m_itemsPerStep;
    if (steps <= page && list.firstVisible > 0)
        list.firstVisible = 0;
    if (!m_hWnd)
        return;
    const int max = ScrollRangeMax(steps, page);
    SCROLLINFO si{sizeof(SCROLLINFO),
                  SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                  0,
                  max,
                  static_cast<UINT>(page),
                  list.firstVisible,
                  0};
    SetScrollInfo(m_bar, &si, TRUE);
    ShowScrollBar(m_bar, TRUE);
    EnableScrollBar(m_bar, max < page ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
}

// ---- Drawing

void CThumbnailListWnd::LayOut() {
    ThumbnailList& list = CurrentList();
    EnsureGeometry();
    const int slotCount = std::min<int>(SlotCount(), static_cast<int>(SlotRects().size()));
    const SIZE slot = SlotSize();
    for (;;) {
        m_drawn.clear();
        const int first = std::max(list.firstVisible, 0) * m_itemsPerStep;
        const int end = std::min(list.Count(), first + slotCount);
        int vanished = -1;
        for (int i = first; i < end; ++i) {
            ThumbStatus status = ThumbStatus::NotDrawable;
            m_cache.Get(list.items[static_cast<size_t>(i)]->path, slot.cx, slot.cy, &status);
            if (status == ThumbStatus::Missing) {
                vanished = i;
                break;
            }
            if (status == ThumbStatus::Drawable)
                m_drawn.push_back(i);
        }
        if (vanished < 0)
            return;
        // Gone from disk: dropped, and the slots are filled again from the shorter list.
        list.ClearSelection();
        list.RemoveAt(vanished);
        UpdateScrollBar();
    }
}

void CThumbnailListWnd::Compose(bool frameAllDrawn) {
    if (!m_surfaceDC) {
        // Not painted yet: the first paint composes.
        if (m_hWnd)
            Invalidate(TRUE);
        return;
    }
    const ThumbnailList& list = CurrentList();
    const SIZE size = SlotSize();
    HBITMAP backdrop = NewBackdrop();
    HGDIOBJ old = SelectObject(m_scratchDC, backdrop);
    FillBackdrop(m_scratchDC);
    SetStretchBltMode(m_scratchDC, COLORONCOLOR);
    const size_t slots = std::min(m_drawn.size(), SlotRects().size());
    for (size_t slot = 0; slot < slots; ++slot) {
        const ThumbPicture* picture =
            m_cache.Get(list.items[static_cast<size_t>(m_drawn[slot])]->path, size.cx, size.cy);
        if (!picture)
            continue;
        const RECT& r = SlotRects()[slot];
        StretchDIBits(m_scratchDC, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0,
                      picture->Width(), picture->Height(), picture->bits.data(), &picture->info,
                      DIB_RGB_COLORS, SRCCOPY);
    }
    BitBlt(m_surfaceDC, 0, 0, m_extent.cx, m_extent.cy, m_scratchDC, 0, 0, SRCCOPY);
    SelectObject(m_scratchDC, old);
    if (backdrop)
        DeleteObject(backdrop);

    for (size_t slot = 0; slot < slots; ++slot)
        if (frameAllDrawn || m_drawn[slot] == list.current)
            DrawSelectionFrame(static_cast<int>(slot));
    Invalidate(TRUE);
}

void CThumbnailListWnd::DrawThumbnails() {
    LayOut();
    Compose(false);
}

void CThumbnailListWnd::DrawSelectionFrame(int slot) {
    const std::span<const RECT> rects = SlotRects();
    if (!m_surfaceDC || slot < 0 || slot >= static_cast<int>(rects.size()))
        return;
    const RECT& r = rects[static_cast<size_t>(slot)];
    HGDIOBJ oldPen = SelectObject(m_surfaceDC, m_framePen);
    HGDIOBJ oldBrush = SelectObject(m_surfaceDC, m_hollowBrush);
    const int oldRop = SetROP2(m_surfaceDC, R2_XORPEN);
    // Two pixels outside the slot on every side, the right and bottom edges inclusive.
    Rectangle(m_surfaceDC, r.left - 2, r.top - 2, r.right + 3, r.bottom + 3);
    SetROP2(m_surfaceDC, oldRop);
    SelectObject(m_surfaceDC, oldBrush);
    SelectObject(m_surfaceDC, oldPen);
}

// ---- Items and selection

int CThumbnailListWnd::SelectAt(UINT screenX, UINT screenY) {
    ThumbnailList& list = CurrentList();
    list.ClearSelection();
    POINT p{static_cast<LONG>(screenX), static_cast<LONG>(screenY)};
    if (m_hWnd)
        ScreenToClient(&p);
    LayOut();
    const std::span<const RECT> rects = SlotRects();
    int hit = -1;
    for (size_t slot = 0; slot < m_drawn.size() && slot < rects.size(); ++slot) {
        const RECT& r = rects[slot];
        if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) {
            hit = m_drawn[slot];
            break;
        }
    }
    if (hit >= 0) {
        list.current = hit;
        list.items[static_cast<size_t>(hit)]->flags |= kThumbSelectedBit;
    }
    // Drawn also on a miss: the frame of the cleared selection goes.
    Compose(false);
    return hit >= 0 ? 1 : 0;
}

DWORD CThumbnailListWnd::GetSelectedPath(WCHAR out[MAX_PATH]) const {
    const ThumbnailItem* item = FindItem(kThumbSelected);
    if (!item)
        return 0;
    std::copy_n(item->path, MAX_PATH, out);
    out[MAX_PATH - 1] = 0;
    return item->flags;
}

ThumbnailItem* CThumbnailListWnd::FindItem(DWORD mask) const {
    return CurrentList().Find(mask);
}

void CThumbnailListWnd::ClearSelection(int pictures) {
    (pictures ? m_pictures : m_videos).ClearSelection();
}

void CThumbnailListWnd::RemoveItem(LPCWSTR path) {
    ThumbnailList& list = CurrentList();
    const int index = list.IndexOf(path);
    if (index >= 0)
        list.RemoveAt(index);
    m_cache.Forget(path);
}

BOOL CThumbnailListWnd::RemoveMissingFile(LPCWSTR path) {
    if (GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES ||
        GetLastError() != ERROR_FILE_NOT_FOUND)
        return FALSE;
    CurrentList().ClearSelection();
    RemoveItem(path);
    UpdateScrollBar();
    DrawThumbnails();
    return TRUE;
}

void CThumbnailListWnd::ClearList(int pictures) {
    (pictures ? m_pictures : m_videos).Clear();
}

bool CThumbnailListWnd::DeleteItemFile(LPCWSTR path) {
    const bool gone = DeleteFile(path) || GetFileAttributes(path) == INVALID_FILE_ATTRIBUTES;
    if (!*m_showsPictures) {
        const std::u16string recording = RecordingOf(path);
        if (!recording.empty())
            DeleteFile(recording.c_str());
    }
    return gone;
}

void CThumbnailListWnd::DeleteListed(const std::function<bool(const ThumbnailItem&)>& wanted) {
    ThumbnailList& list = CurrentList();
    list.ClearSelection();
    std::vector<std::unique_ptr<ThumbnailItem>> kept;
    for (auto& item : list.items) {
        if (!wanted(*item))
            kept.push_back(std::move(item));
        else if (DeleteItemFile(item->path))
            m_cache.Forget(item->path);
        else
            kept.push_back(std::move(item)); // could not be deleted: still there, still listed
    }
    list.items = std::move(kept);
}
