// The file list: listing, geometry, drawing, selection and scrolling, then the file actions
// (delete, delete all, save as).
#include "wifi/FileListView.h"

#include "wifi/NoticeDlgs.h"
#include "wifi/WifiGlobals.h"

#include "imaging/DibImage.h"
#include "kit/LangText.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"

#include <algorithm>
#include <memory>

namespace {

constexpr COLORREF kBackground = RGB(0xDF, 0xDF, 0xDF);
constexpr COLORREF kFrameColor = RGB(0x0C, 0xBF, 0x00);

bool EndsWithNoCase(std::u16string_view s, std::u16string_view tail) {
    return s.size() >= tail.size() && ms::SameNoCase(s.substr(s.size() - tail.size()), tail);
}

bool FileExists(LPCWSTR path) {
    return GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool Confirm(LPCWSTR key, LPCWSTR defaultText) {
    WCHAR text[256];
    GetLangText(key, text, 256, defaultText);
    CConfirmDlg dlg;
    dlg.m_message = text;
    return dlg.DoModal() == IDOK;
}

void Notice(LPCWSTR text) {
    CNoticeDlg dlg;
    dlg.m_message = text;
    dlg.DoModal();
}

} // namespace

int ListSlotCount(int height) {
    const int n = std::max(height, 0) / 30;
    return n % 2 ? n - 1 : n;
}

std::vector<RECT> ListSlotRects(int width, int height, int count) {
    std::vector<RECT> rects;
    if (count < 2)
        return rects;
    const int slotWidth = (width - 20) / 2;
    const int slotHeight = (height - 50) / (count / 2);
    for (int i = 0; i < count; ++i) {
        RECT r;
        r.left = 8 + (slotWidth + 7) * (i % 2);
        r.top = 4 + (slotHeight + 7) * (i / 2);
        r.right = r.left + slotWidth;
        r.bottom = r.top + slotHeight;
        rects.push_back(r);
    }
    return rects;
}

int ListScrollMax(int count, int slotCount) {
    const int rows = count / 2 + count % 2;
    const int page = slotCount / 2;
    return rows > page ? rows - 1 : page - 1;
}

int ListLastRow(int count, int slotCount) {
    if (count <= slotCount)
        return 0;
    return (count - slotCount) / 2 + count % 2;
}

std::u16string RecordingOfCompanion(std::u16string_view companion) {
    if (!EndsWithNoCase(companion, u".mp4.png"))
        return {};
    return std::u16string(companion.substr(0, companion.size() - 4));
}

BEGIN_MESSAGE_MAP(CFileListView, CListView)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_VSCROLL()
END_MESSAGE_MAP()

CFileListView::CFileListView() {
    m_framePen = CreatePen(PS_DOT, 2, kFrameColor);
    LOGBRUSH hollow{BS_NULL, 0, 0};
    m_hollowBrush = CreateBrushIndirect(&hollow);
    const int slotCount = SlotCount();
    // The first page of each list is its last full rows.
    for (const std::u16string& path : ScanFolderFiles(g_paths.pictureDir, {u".png", u".jpg"}, true))
        m_pictures.Append(path, kThumbListed);
    m_pictures.firstVisible =
        m_pictures.Count() > slotCount ? (m_pictures.Count() - slotCount) / 2 : 0;
    for (const std::u16string& path : ScanFolderFiles(g_paths.videoDir, {u".png"}, false))
        m_videos.Append(path, kThumbListed);
    m_videos.firstVisible = m_videos.Count() > slotCount ? (m_videos.Count() - slotCount) / 2 : 0;
}

CFileListView::~CFileListView() {
    FreeGdi();
    if (m_framePen)
        DeleteObject(m_framePen);
    if (m_hollowBrush)
        DeleteObject(m_hollowBrush);
}

int CFileListView::SlotCount() const {
    return std::max(g_listSlotCount, 0);
}

int CFileListView::OnCreate(LPCREATESTRUCT cs) {
    return CListView::OnCreate(cs) == -1 ? -1 : 0;
}

BOOL CFileListView::PreTranslateMessage(MSG* msg) {
    // The wheel never scrolls the list.
    if (msg->message == WM_MOUSEWHEEL)
        return TRUE;
    if (msg->message == WM_CLOSE || msg->message == WM_DESTROY || msg->message == WM_NCDESTROY)
        FreeGdi();
    return CListView::PreTranslateMessage(msg);
}

void CFileListView::FreeGdi() {
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

void CFileListView::EnsureGeometry() {
    if (m_haveGeometry || !m_hWnd)
        return;
    GetClientRect(&m_client);
    const int width = m_client.right - m_client.left, height = m_client.bottom - m_client.top;
    g_listSlotRects = ListSlotRects(width, height, SlotCount());
    m_slotWidth = (width - 20) / 2;
    m_slotHeight = SlotCount() >= 2 ? (height - 50) / (SlotCount() / 2) : 0;
    m_haveGeometry = true;
}

void CFileListView::OnPaint() {
    CPaintDC dc(this);
    if (!m_surfaceDC) {
        m_haveGeometry = false;
        EnsureGeometry();
        m_surfaceDC = CreateCompatibleDC(dc.m_hDC);
        m_scratchDC = CreateCompatibleDC(dc.m_hDC);
        m_surface = CreateCompatibleBitmap(dc.m_hDC, std::max<int>(m_client.right, 1),
                                           std::max<int>(m_client.bottom, 1));
        m_surfaceOldBitmap = SelectObject(m_surfaceDC, m_surface);
        HBRUSH grey = CreateSolidBrush(kBackground);
        FillRect(m_surfaceDC, &m_client, grey);
        DeleteObject(grey);
        DrawThumbnails();
    }
    const RECT& r = dc.m_ps.rcPaint;
    BitBlt(dc.m_hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, m_surfaceDC, r.left, r.top,
           SRCCOPY);
}

void CFileListView::OnVScroll(UINT code, UINT pos, CScrollBar*) {
    ThumbnailList& list = CurrentList();
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(SB_VERT, &si);
    const int thumb = code == SB_THUMBTRACK ? si.nTrackPos : static_cast<int>(pos);
    const int row =
        ScrollTarget(static_cast<int>(code), list.firstVisible, thumb, si.nMax, SlotCount() / 2);
    if (row < 0)
        return;
    SetScrollPos(SB_VERT, row, TRUE);
    list.firstVisible = row;
    DrawThumbnails();
}

void CFileListView::UpdateScrollBar() {
    ThumbnailList& list = CurrentList();
    const int count = list.Count();
    const int page = SlotCount() / 2;
    const int rows = count / 2 + count % 2;
    if (rows <= page && list.firstVisible > 0)
        list.firstVisible = 0;
    if (!m_hWnd)
        return;
    const int max = ListScrollMax(count, SlotCount());
    SCROLLINFO si{sizeof(SCROLLINFO),
                  SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                  0,
                  max,
                  static_cast<UINT>(page),
                  list.firstVisible,
                  0};
    SetScrollInfo(SB_VERT, &si, TRUE);
    ShowScrollBar(SB_VERT, TRUE);
    EnableScrollBar(SB_VERT, max < page ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
}

// ---- Drawing

void CFileListView::LayOut() {
    ThumbnailList& list = CurrentList();
    EnsureGeometry();
    const int slotCount = std::min<int>(SlotCount(), static_cast<int>(g_listSlotRects.size()));
    for (;;) {
        m_drawn.clear();
        const int first = std::max(list.firstVisible, 0) * 2;
        const int end = std::min(list.Count(), first + slotCount);
        int vanished = -1;
        for (int i = first; i < end; ++i) {
            ThumbStatus status = ThumbStatus::NotDrawable;
            m_cache.Get(list.items[static_cast<size_t>(i)]->path, m_slotWidth, m_slotHeight,
                        &status);
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

void CFileListView::Compose() {
    if (!m_surfaceDC) {
        // Not painted yet: the first paint composes.
        if (m_hWnd)
            Invalidate(TRUE);
        return;
    }
    const ThumbnailList& list = CurrentList();
    HDC screen = ::GetDC(m_hWnd);
    HBITMAP scratch = CreateCompatibleBitmap(screen, std::max<int>(m_client.right, 1),
                                             std::max<int>(m_client.bottom, 1));
    ::ReleaseDC(m_hWnd, screen);
    HGDIOBJ old = SelectObject(m_scratchDC, scratch);
    HBRUSH grey = CreateSolidBrush(kBackground);
    FillRect(m_scratchDC, &m_client, grey);
    DeleteObject(grey);
    SetStretchBltMode(m_scratchDC, COLORONCOLOR);
    int currentSlot = -1;
    for (size_t slot = 0; slot < m_drawn.size() && slot < g_listSlotRects.size(); ++slot) {
        const int index = m_drawn[slot];
        const ThumbPicture* picture =
            m_cache.Get(list.items[static_cast<size_t>(index)]->path, m_slotWidth, m_slotHeight);
        if (index == list.current)
            currentSlot = static_cast<int>(slot);
        if (!picture)
            continue;
        const RECT& r = g_listSlotRects[slot];
        StretchDIBits(m_scratchDC, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0,
                      picture->Width(), picture->Height(), picture->bits.data(), &picture->info,
                      DIB_RGB_COLORS, SRCCOPY);
    }
    BitBlt(m_surfaceDC, 0, 0, m_client.right, m_client.bottom, m_scratchDC, 0, 0, SRCCOPY);
    SelectObject(m_scratchDC, old);
    DeleteObject(scratch);
    if (currentSlot >= 0)
        DrawSelectionFrame(currentSlot);
    Invalidate(TRUE);
}

void CFileListView::DrawThumbnails() {
    LayOut();
    Compose();
}

void CFileListView::DrawSelectionFrame(int slot) {
    if (!m_surfaceDC || slot < 0 || slot >= static_cast<int>(g_listSlotRects.size()))
        return;
    RECT r = g_listSlotRects[static_cast<size_t>(slot)];
    HGDIOBJ oldPen = SelectObject(m_surfaceDC, m_framePen);
    HGDIOBJ oldBrush = SelectObject(m_surfaceDC, m_hollowBrush);
    const int oldRop = SetROP2(m_surfaceDC, R2_XORPEN);
    Rectangle(m_surfaceDC, r.left - 2, r.top - 2, r.right + 3, r.bottom + 3);
    SetROP2(m_surfaceDC, oldRop);
    SelectObject(m_surfaceDC, oldBrush);
    SelectObject(m_surfaceDC, oldPen);
}

// ---- Items and selection

void CFileListView::Append(ThumbnailList& list, LPCWSTR path, DWORD flags) {
    const int again = list.IndexOf(path);
    if (again >= 0)
        list.RemoveAt(again); // the same file written anew moves to the end
    list.ClearSelection();
    list.Append(path, flags);
    m_cache.Forget(path);
    const int count = list.Count();
    list.firstVisible = ListLastRow(count, SlotCount());
    list.current = count - 1;
    // The scroll bar and the window show the current list only.
    if (&list == &CurrentList()) {
        UpdateScrollBar();
        DrawThumbnails();
    }
}

void CFileListView::AddSnapshot(LPCWSTR path) {
    if (path && *path)
        Append(m_pictures, path, kThumbListed);
}

void CFileListView::AddVideo(LPCWSTR companionPath) {
    if (companionPath && *companionPath)
        Append(m_videos, companionPath, kThumbListed | kThumbSelectedBit);
}

int CFileListView::SelectAt(UINT screenX, UINT screenY) {
    ThumbnailList& list = CurrentList();
    list.ClearSelection();
    POINT p{static_cast<LONG>(screenX), static_cast<LONG>(screenY)};
    if (m_hWnd)
        ScreenToClient(&p);
    LayOut();
    int hit = -1;
    for (size_t slot = 0; slot < m_drawn.size() && slot < g_listSlotRects.size(); ++slot) {
        const RECT& r = g_listSlotRects[slot];
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
    Compose();
    return hit >= 0 ? 1 : 0;
}

DWORD CFileListView::GetSelectedPath(WCHAR out[MAX_PATH]) const {
    const ThumbnailItem* item = FindItem(kThumbSelected);
    if (!item)
        return 0;
    std::copy_n(item->path, MAX_PATH, out);
    out[MAX_PATH - 1] = 0;
    return item->flags;
}

ThumbnailItem* CFileListView::FindItem(DWORD mask) const {
    return CurrentList().Find(mask);
}

void CFileListView::ClearSelection(int pictures) {
    (pictures ? m_pictures : m_videos).ClearSelection();
}

void CFileListView::RemoveItem(LPCWSTR path) {
    ThumbnailList& list = CurrentList();
    const int index = list.IndexOf(path);
    if (index >= 0)
        list.RemoveAt(index);
    m_cache.Forget(path);
}

BOOL CFileListView::RemoveMissingFile(LPCWSTR path) {
    if (GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES ||
        GetLastError() != ERROR_FILE_NOT_FOUND)
        return FALSE;
    CurrentList().ClearSelection();
    RemoveItem(path);
    UpdateScrollBar();
    DrawThumbnails();
    return TRUE;
}

void CFileListView::ClearList(int pictures) {
    (pictures ? m_pictures : m_videos).Clear();
}

// ---- File actions

void CFileListView::DeleteSelected() {
    if (!Confirm(u"SureDelete", u"Are you sure to delete?"))
        return;
    WCHAR path[MAX_PATH];
    if (!GetSelectedPath(path))
        return;
    const bool videos = !g_listShowsPictures;
    // Only the listed file and, for a recording, its own MP4: a companion picture that names
    // no recording takes nothing else with it.
    const bool gone = DeleteFile(path) || !FileExists(path);
    if (videos) {
        const std::u16string recording = RecordingOfCompanion(path);
        if (!recording.empty())
            DeleteFile(recording.c_str());
    }
    CurrentList().ClearSelection();
    if (gone)
        RemoveItem(path);
    UpdateScrollBar();
    DrawThumbnails();
}

void CFileListView::DeleteAll() {
    if (!Confirm(u"SureDeleteAll", u"Are you sure to delete all?"))
        return;
    if (!FindItem(kThumbSelected))
        return;
    // The listed items of the list on screen, whatever the selected item's name says, and
    // nothing else of their folder.
    ThumbnailList& list = CurrentList();
    const bool videos = !g_listShowsPictures;
    list.ClearSelection();
    std::vector<std::unique_ptr<ThumbnailItem>> kept;
    for (auto& item : list.items) {
        const bool gone = DeleteFile(item->path) || !FileExists(item->path);
        if (videos) {
            const std::u16string recording = RecordingOfCompanion(item->path);
            if (!recording.empty())
                DeleteFile(recording.c_str());
        }
        if (gone)
            m_cache.Forget(item->path);
        else
            kept.push_back(std::move(item)); // could not be deleted: still there, still listed
    }
    list.items = std::move(kept);
    list.firstVisible = 0;
    UpdateScrollBar();
    DrawThumbnails();
}

BOOL CFileListView::SaveSelectedAs(LPCWSTR target) {
    const ThumbnailItem* item = FindItem(kThumbSelected);
    if (!item || !target || !*target)
        return FALSE;
    const std::u16string source = item->path;
    if (!g_listShowsPictures) {
        const std::u16string recording = RecordingOfCompanion(source);
        if (recording.empty() || !CopyFile(recording.c_str(), target, FALSE)) {
            Notice(u"Save failed");
            return FALSE;
        }
        return TRUE;
    }
    const bool toJpeg = EndsWithNoCase(target, u"jpg");
    const bool toPng = EndsWithNoCase(target, u"png");
    const bool fromJpeg = EndsWithNoCase(source, u"jpg");
    // The same format (or a name that asks for none): the file as it is.
    if ((!toJpeg && !toPng) || toJpeg == fromJpeg) {
        if (!CopyFile(source.c_str(), target, FALSE)) {
            Notice(u"Save failed");
            return FALSE;
        }
        return TRUE;
    }
    CDibImage image(source.c_str(), fromJpeg ? DIBIMAGE_TYPE_JPG : DIBIMAGE_TYPE_PNG);
    if (!image.IsValid()) {
        Notice(u"imageSave Create fail");
        return FALSE;
    }
    if (!image.SaveToFile(target, toJpeg ? DIBIMAGE_TYPE_JPG : DIBIMAGE_TYPE_PNG)) {
        Notice(u"Conpress fail");
        return FALSE;
    }
    return TRUE;
}
