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

namespace {

constexpr COLORREF kBackground = RGB(0xDF, 0xDF, 0xDF);

bool EndsWithNoCase(std::u16string_view s, std::u16string_view tail) {
    return s.size() >= tail.size() && ms::SameNoCase(s.substr(s.size() - tail.size()), tail);
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
    return ScrollRangeMax(count / 2 + count % 2, slotCount / 2);
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

BEGIN_MESSAGE_MAP(CFileListView, CThumbnailListWnd)
ON_WM_VSCROLL()
END_MESSAGE_MAP()

CFileListView::CFileListView() : CThumbnailListWnd(g_listShowsPictures, SB_VERT, 2) {
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

int CFileListView::SlotCount() const {
    return std::max(g_listSlotCount, 0);
}

void CFileListView::MeasureSlots(const RECT& client) {
    const int width = client.right - client.left, height = client.bottom - client.top;
    g_listSlotRects = ListSlotRects(width, height, SlotCount());
    m_slotWidth = (width - 20) / 2;
    m_slotHeight = SlotCount() >= 2 ? (height - 50) / (SlotCount() / 2) : 0;
}

HBITMAP CFileListView::NewSurface(HDC paintDC, SIZE& extent) {
    extent = {m_client.right, m_client.bottom};
    return CreateCompatibleBitmap(paintDC, std::max<int>(m_client.right, 1),
                                  std::max<int>(m_client.bottom, 1));
}

HBITMAP CFileListView::NewBackdrop() {
    HDC screen = ::GetDC(m_hWnd);
    HBITMAP backdrop = CreateCompatibleBitmap(screen, std::max<int>(m_client.right, 1),
                                              std::max<int>(m_client.bottom, 1));
    ::ReleaseDC(m_hWnd, screen);
    return backdrop;
}

void CFileListView::FillBackdrop(HDC dc) {
    HBRUSH grey = CreateSolidBrush(kBackground);
    FillRect(dc, &m_client, grey);
    DeleteObject(grey);
}

std::u16string CFileListView::RecordingOf(std::u16string_view item) const {
    return RecordingOfCompanion(item);
}

void CFileListView::OnVScroll(UINT code, UINT pos, CScrollBar*) {
    Scroll(code, pos);
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

// ---- File actions

void CFileListView::DeleteSelected() {
    if (!Confirm(u"SureDelete", u"Are you sure to delete?"))
        return;
    WCHAR path[MAX_PATH];
    if (!GetSelectedPath(path))
        return;
    // Only the listed file and, for a recording, its own MP4: a companion picture that names
    // no recording takes nothing else with it.
    const bool gone = DeleteItemFile(path);
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
    DeleteListed([](const ThumbnailItem&) { return true; });
    ThumbnailList& list = CurrentList();
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
