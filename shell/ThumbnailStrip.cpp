// The thumbnail strip: listing, drawing, selection and scrolling, then the file actions
// (delete, delete all, save a copy, save all).
#include "shell/ThumbnailStrip.h"

#include "kit/LangText.h"
#include "kit/SaveFolders.h"

#include "imaging/DibImage.h"
#include "platform/mfc/AfxDlgs.h"
#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Files.h"
#include "platform/win/gdi/Gdi.h"

#include <algorithm>
#include <set>
#include <string>

extern WCHAR g_windowTitle[128];

CThumbnailView* g_thumbnailView = nullptr;

namespace {

// The strip's background under the thumbnails, 642 x 115 each.
constexpr UINT kPicturesBackground = 144;
constexpr UINT kVideosBackground = 148;
constexpr COLORREF kFrameColor = RGB(0x0C, 0xBF, 0x00);

bool EndsWithNoCase(std::u16string_view s, std::u16string_view tail) {
    if (s.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        char16_t a = s[s.size() - tail.size() + i], b = tail[i];
        if (a >= u'A' && a <= u'Z')
            a = static_cast<char16_t>(a - u'A' + u'a');
        if (b >= u'A' && b <= u'Z')
            b = static_cast<char16_t>(b - u'A' + u'a');
        if (a != b)
            return false;
    }
    return true;
}

// A recording's path from its first-frame picture's ("x.avi.bmp" -> "x.avi").
std::u16string RecordingOf(std::u16string_view thumbnail) {
    return std::u16string(thumbnail.substr(0, thumbnail.size() > 4 ? thumbnail.size() - 4 : 0));
}

std::u16string FileNameOf(std::u16string_view path) {
    const size_t slash = path.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

std::u16string Lang(LPCWSTR key, LPCWSTR defaultText) {
    WCHAR text[256];
    GetLangText(key, text, 256, defaultText);
    return text;
}

bool FileExists(const std::u16string& path) {
    return GetFileAttributes(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

BEGIN_MESSAGE_MAP(CThumbnailView, CListView)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_VSCROLL()
ON_WM_HSCROLL()
END_MESSAGE_MAP()

CThumbnailView::CThumbnailView() {
    m_framePen = CreatePen(PS_DOT, 2, kFrameColor);
    LOGBRUSH hollow{BS_NULL, 0, 0};
    m_hollowBrush = CreateBrushIndirect(&hollow);
    ScanFolders();
    m_geometry = StripGeometry::FromClient(640, 96);
}

void CThumbnailView::ScanFolders() {
    m_pictures.Clear();
    for (const std::u16string& path : ScanPictureFolder(g_paths.pictureDir))
        m_pictures.Append(path, kThumbListed);
    m_pictures.firstVisible = LastPageStart(m_pictures.Count());
    m_videos.Clear();
    for (const std::u16string& path : ScanVideoFolder(g_paths.videoDir))
        m_videos.Append(path, kThumbListed);
    m_videos.firstVisible = LastPageStart(m_videos.Count());
}

void CThumbnailView::ListFolders() {
    ScanFolders();
    m_cache.Clear();
    UpdateScrollBar();
    DrawThumbnails();
}

CThumbnailView::~CThumbnailView() {
    FreeGdi();
    if (m_framePen)
        DeleteObject(m_framePen);
    if (m_hollowBrush)
        DeleteObject(m_hollowBrush);
}

int CThumbnailView::OnCreate(LPCREATESTRUCT cs) {
    return CListView::OnCreate(cs) == -1 ? -1 : 0;
}

BOOL CThumbnailView::PreTranslateMessage(MSG* msg) {
    // The wheel never scrolls the strip.
    if (msg->message == WM_MOUSEWHEEL)
        return TRUE;
    if (msg->message == WM_CLOSE || msg->message == WM_DESTROY || msg->message == WM_NCDESTROY)
        FreeGdi();
    return CListView::PreTranslateMessage(msg);
}

void CThumbnailView::FreeGdi() {
    if (m_surfaceDC) {
        SelectObject(m_surfaceDC, m_surfaceOldBitmap);
        DeleteDC(m_surfaceDC);
    }
    if (m_background)
        DeleteObject(m_background);
    if (m_scratchDC)
        DeleteDC(m_scratchDC);
    m_surfaceDC = m_scratchDC = nullptr;
    m_background = nullptr;
    m_surfaceOldBitmap = nullptr;
    m_haveGeometry = false;
}

void CThumbnailView::EnsureGeometry() {
    if (m_haveGeometry || !m_hWnd)
        return;
    RECT client;
    GetClientRect(&client);
    m_geometry = StripGeometry::FromClient(client.right - client.left, client.bottom - client.top);
    m_haveGeometry = true;
}

void CThumbnailView::OnPaint() {
    CPaintDC dc(this);
    if (!m_surfaceDC) {
        m_surfaceDC = CreateCompatibleDC(dc.m_hDC);
        m_scratchDC = CreateCompatibleDC(dc.m_hDC);
        m_background = ::LoadBitmap(AfxGetInstanceHandle(), MAKEINTRESOURCE(kPicturesBackground));
        m_surfaceOldBitmap = SelectObject(m_surfaceDC, m_background);
        m_haveGeometry = false;
        EnsureGeometry();
        DrawThumbnails();
    }
    const RECT& r = dc.m_ps.rcPaint;
    BitBlt(dc.m_hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, m_surfaceDC, r.left, r.top,
           SRCCOPY);
}

void CThumbnailView::OnVScroll(UINT, UINT, CScrollBar*) {
    Default();
}

void CThumbnailView::OnHScroll(UINT code, UINT pos, CScrollBar*) {
    ThumbnailList& list = CurrentList();
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(SB_HORZ, &si);
    const int thumb = code == SB_THUMBTRACK ? si.nTrackPos : static_cast<int>(pos);
    const int v = ScrollTarget(static_cast<int>(code), list.firstVisible, thumb, si.nMax);
    if (v < 0)
        return;
    SetScrollPos(SB_HORZ, v, TRUE);
    list.firstVisible = v;
    DrawThumbnails();
}

void CThumbnailView::UpdateScrollBar() {
    ThumbnailList& list = CurrentList();
    const int count = list.Count();
    if (count <= kThumbSlots && list.firstVisible > 0)
        list.firstVisible = 0;
    if (!m_hWnd)
        return;
    const int max = ScrollMax(count);
    SCROLLINFO si{sizeof(SCROLLINFO),
                  SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                  0,
                  max,
                  kThumbSlots,
                  list.firstVisible,
                  0};
    SetScrollInfo(SB_HORZ, &si, TRUE);
    ShowScrollBar(SB_HORZ, TRUE);
    EnableScrollBar(SB_HORZ, max < kThumbSlots ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
}

// ---- Drawing

void CThumbnailView::LayOut() {
    ThumbnailList& list = CurrentList();
    EnsureGeometry();
    for (;;) {
        m_drawn.clear();
        const int end = std::min(list.Count(), list.firstVisible + kThumbSlots);
        int vanished = -1;
        for (int i = std::max(list.firstVisible, 0); i < end; ++i) {
            ThumbStatus status = ThumbStatus::NotDrawable;
            m_cache.Get(list.items[static_cast<size_t>(i)]->path, m_geometry.slotWidth,
                        m_geometry.slotHeight, &status);
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

void CThumbnailView::Compose(bool frameAllSelected) {
    if (!m_surfaceDC) {
        // Not painted yet: the first paint composes.
        if (m_hWnd)
            Invalidate(TRUE);
        return;
    }
    const ThumbnailList& list = CurrentList();
    HBITMAP background = ::LoadBitmap(
        AfxGetInstanceHandle(),
        MAKEINTRESOURCE(g_listShowsPictures ? kPicturesBackground : kVideosBackground));
    HGDIOBJ old = SelectObject(m_scratchDC, background);
    SetStretchBltMode(m_scratchDC, COLORONCOLOR);
    for (size_t slot = 0; slot < m_drawn.size(); ++slot) {
        const ThumbPicture* picture =
            m_cache.Get(list.items[static_cast<size_t>(m_drawn[slot])]->path, m_geometry.slotWidth,
                        m_geometry.slotHeight);
        if (!picture)
            continue;
        const RECT& r = m_geometry.slotRects[slot];
        StretchDIBits(m_scratchDC, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0,
                      picture->Width(), picture->Height(), picture->bits.data(), &picture->info,
                      DIB_RGB_COLORS, SRCCOPY);
    }
    BITMAP bm{};
    GetObjectW(m_background, sizeof bm, &bm);
    BitBlt(m_surfaceDC, 0, 0, bm.bmWidth, bm.bmHeight, m_scratchDC, 0, 0, SRCCOPY);
    SelectObject(m_scratchDC, old);
    if (background)
        DeleteObject(background);

    for (size_t slot = 0; slot < m_drawn.size(); ++slot)
        if (frameAllSelected ? true : m_drawn[slot] == list.current)
            DrawSelectionFrame(static_cast<int>(slot));
    Invalidate(TRUE);
}

void CThumbnailView::DrawThumbnails() {
    LayOut();
    Compose(false);
}

void CThumbnailView::DrawSelectionFrame(int slot) {
    if (!m_surfaceDC || slot < 0 || slot >= kThumbSlots)
        return;
    RECT r = m_geometry.slotRects[slot];
    r.left -= 2;
    r.top -= 2;
    r.right += 2;
    r.bottom += 2;
    HGDIOBJ oldPen = SelectObject(m_surfaceDC, m_framePen);
    HGDIOBJ oldBrush = SelectObject(m_surfaceDC, m_hollowBrush);
    const int oldRop = SetROP2(m_surfaceDC, R2_XORPEN);
    Rectangle(m_surfaceDC, r.left, r.top, r.right + 1, r.bottom + 1);
    SetROP2(m_surfaceDC, oldRop);
    SelectObject(m_surfaceDC, oldBrush);
    SelectObject(m_surfaceDC, oldPen);
}

// ---- Items and selection

void CThumbnailView::AddLastSnapshot(LPCWSTR path) {
    if (!path || !*path)
        return;
    m_pictures.ClearSelection();
    const int again = m_pictures.IndexOf(path);
    if (again >= 0)
        m_pictures.RemoveAt(again); // the same file saved anew moves to the end
    m_pictures.Append(path, kThumbListed);
    const int count = m_pictures.Count();
    m_pictures.firstVisible = count > kThumbSlots ? count - 5 : 0;
    m_cache.Forget(path);
    UpdateScrollBar();
    m_pictures.current = count - 1;
    DrawThumbnails();
}

int CThumbnailView::AddVideo(LPCWSTR thumbnailPath) {
    if (!thumbnailPath || !*thumbnailPath)
        return 0;
    m_videos.ClearSelection();
    const int again = m_videos.IndexOf(thumbnailPath);
    if (again >= 0)
        m_videos.RemoveAt(again);
    m_videos.Append(thumbnailPath, kThumbListed | kThumbSelectedBit);
    const int count = m_videos.Count();
    m_videos.firstVisible = count > kThumbSlots ? count - 5 : 0;
    m_cache.Forget(thumbnailPath);
    UpdateScrollBar();
    m_videos.current = count - 1;
    DrawThumbnails();
    return 1;
}

void CThumbnailView::AppendFile(LPCWSTR path) {
    if (!path)
        return;
    if (EndsWithNoCase(path, u".avi.bmp"))
        AddVideo(path);
    else
        AddLastSnapshot(path);
}

int CThumbnailView::SelectAt(UINT screenX, UINT screenY) {
    ThumbnailList& list = CurrentList();
    list.ClearSelection();
    POINT p{static_cast<LONG>(screenX), static_cast<LONG>(screenY)};
    if (m_hWnd)
        ScreenToClient(&p);
    LayOut();
    const int slot = m_geometry.HitTest(p, static_cast<int>(m_drawn.size()));
    if (slot >= 0) {
        const int index = m_drawn[static_cast<size_t>(slot)];
        list.current = index;
        list.items[static_cast<size_t>(index)]->flags |= kThumbSelectedBit;
    }
    // Drawn also on a miss: the frame of the cleared selection goes.
    Compose(false);
    return slot >= 0 ? 1 : 0;
}

DWORD CThumbnailView::GetSelectedPath(WCHAR out[MAX_PATH]) const {
    const ThumbnailItem* item = FindItem(kThumbSelected);
    if (!item)
        return 0;
    std::copy_n(item->path, MAX_PATH, out);
    out[MAX_PATH - 1] = 0;
    return item->flags;
}

ThumbnailItem* CThumbnailView::FindItem(DWORD mask) const {
    return CurrentList().Find(mask);
}

void CThumbnailView::ClearSelection(int pictures) {
    (pictures ? m_pictures : m_videos).ClearSelection();
}

int CThumbnailView::SelectAll() {
    ThumbnailList& list = CurrentList();
    for (int i = std::max(list.firstVisible, 0); i < list.Count(); ++i) {
        list.current = i;
        list.items[static_cast<size_t>(i)]->flags |= kThumbSelectedBit;
    }
    LayOut();
    Compose(true);
    return 1;
}

void CThumbnailView::RemoveItem(LPCWSTR path) {
    ThumbnailList& list = CurrentList();
    const int index = list.IndexOf(path);
    if (index >= 0)
        list.RemoveAt(index);
    m_cache.Forget(path);
}

BOOL CThumbnailView::RemoveMissingFile(LPCWSTR path) {
    if (GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES ||
        GetLastError() != ERROR_FILE_NOT_FOUND)
        return FALSE;
    CurrentList().ClearSelection();
    RemoveItem(path);
    UpdateScrollBar();
    DrawThumbnails();
    return TRUE;
}

void CThumbnailView::ClearList(int pictures) {
    (pictures ? m_pictures : m_videos).Clear();
}

// ---- File actions

void CThumbnailView::DeleteSelected() {
    const std::u16string question = Lang(u"SureDelete", u"Are you sure to delete?");
    if (MessageBox(question.c_str(), g_windowTitle, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    WCHAR path[MAX_PATH];
    if (!GetSelectedPath(path))
        return;
    const int pictures = g_listShowsPictures;
    if (DeleteFile(path)) {
        ClearSelection(pictures);
        RemoveItem(path);
        UpdateScrollBar();
        DrawThumbnails();
    }
    if (!pictures)
        DeleteFile(RecordingOf(path).c_str());
}

void CThumbnailView::DeleteAll() {
    const std::u16string question = Lang(u"SureDeleteAll", u"Are you sure to delete all?");
    if (MessageBox(question.c_str(), g_windowTitle, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    if (!FindItem(kThumbSelected))
        return;
    DeleteListed([](const ThumbnailItem&) { return true; });
}

void CThumbnailView::DeleteListed(const std::function<bool(const ThumbnailItem&)>& wanted) {
    ThumbnailList& list = CurrentList();
    const bool videos = !g_listShowsPictures;
    list.ClearSelection();
    std::vector<std::unique_ptr<ThumbnailItem>> kept;
    for (auto& item : list.items) {
        if (!wanted(*item)) {
            kept.push_back(std::move(item));
            continue;
        }
        const bool gone = DeleteFile(item->path) || !FileExists(item->path);
        if (videos)
            DeleteFile(RecordingOf(item->path).c_str());
        if (gone)
            m_cache.Forget(item->path);
        else
            kept.push_back(std::move(item)); // could not be deleted: still there, still listed
    }
    list.items = std::move(kept);
    list.firstVisible = std::min(list.firstVisible, LastPageStart(list.Count()));
    UpdateScrollBar();
    DrawThumbnails();
}

BOOL CThumbnailView::SaveCopyAs(LPCWSTR target) {
    const ThumbnailItem* item = FindItem(kThumbSelected);
    if (!item || !target)
        return FALSE;
    const std::u16string source = item->path;
    if (!g_listShowsPictures)
        return CopyFile(RecordingOf(source).c_str(), target, FALSE);
    const bool toJpeg = EndsWithNoCase(target, u"jpg");
    const bool fromJpeg = EndsWithNoCase(source, u"jpg");
    if (toJpeg == fromJpeg)
        return CopyFile(source.c_str(), target, FALSE);
    CDibImage image(source.c_str(), fromJpeg ? DIBIMAGE_TYPE_JPG : DIBIMAGE_TYPE_BMP);
    if (!image.IsValid()) {
        MessageBox(u"imageSave Create fail", u"Tessary", MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (!image.SaveToFile(target, toJpeg ? DIBIMAGE_TYPE_JPG : DIBIMAGE_TYPE_BMP)) {
        MessageBox(u"Conpress fail", u"Tessary", MB_ICONEXCLAMATION);
        return FALSE;
    }
    return TRUE;
}

void CThumbnailView::SaveVideosAs() {
    SaveFolderAs(g_paths.videoDir, u"*.avi", u"AVI Files(*.AVI)|*.AVI||");
}

void CThumbnailView::SavePicturesAs() {
    SaveFolderAs(g_paths.pictureDir, u"*.*", u" Files(*.*)|*.*||");
}

void CThumbnailView::SaveFolderAs(LPCWSTR dir, LPCWSTR mask, LPCWSTR filter) {
    WCHAR selected[MAX_PATH];
    if (!GetSelectedPath(selected))
        return;
    std::vector<std::u16string> names;
    {
        const std::u16string pattern = std::u16string(dir) + u"/" + mask;
        WIN32_FIND_DATA fd{};
        HANDLE find = FindFirstFile(pattern.c_str(), &fd);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    names.emplace_back(fd.cFileName);
            } while (FindNextFile(find, &fd));
            FindClose(find);
        }
    }
    std::u16string proposed;
    for (size_t i = 0; i < names.size() && i < 4; ++i)
        proposed += names[i] + u" ";

    CFileDialog dialog(FALSE, nullptr, proposed.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       filter, this);
    if (dialog.DoModal() != IDOK)
        return;
    const std::u16string chosen = dialog.GetPathName().GetString();
    const size_t slash = chosen.rfind(u'/');
    if (slash == std::u16string::npos)
        return;
    const std::u16string folder = chosen.substr(0, slash);
    // The files are already there: copying them onto themselves and then deleting the
    // "originals" would lose them all.
    if (SameFolder(folder, dir)) {
        MessageBox(u"Can't save file to temp directory!!", u"Save file", MB_ICONEXCLAMATION);
        return;
    }

    std::set<std::u16string> copied;
    for (const std::u16string& name : names) {
        const std::u16string from = std::u16string(dir) + u"/" + name;
        const std::u16string to = folder + u"/" + name;
        if (FileExists(to)) {
            const std::u16string question =
                name + u"\nThis file already exists\nReplace existing file?";
            if (MessageBox(question.c_str(), u"Tessary", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
                continue;
        }
        if (CopyFile(from.c_str(), to.c_str(), FALSE))
            copied.insert(name);
    }

    // A move: the listed files whose copy is now in the chosen folder are deleted, after the
    // question; a file kept back or not copied stays where it is.
    const std::u16string question = Lang(u"SureDeleteAll", u"Are you sure to delete all?");
    if (MessageBox(question.c_str(), g_windowTitle, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    const bool videos = !g_listShowsPictures;
    DeleteListed([&](const ThumbnailItem& item) {
        const std::u16string file = videos ? RecordingOf(item.path) : std::u16string(item.path);
        return copied.count(FileNameOf(file)) != 0;
    });
}
