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
std::u16string RecordingOfThumbnail(std::u16string_view thumbnail) {
    return std::u16string(thumbnail.substr(0, thumbnail.size() > 4 ? thumbnail.size() - 4 : 0));
}

std::u16string FileNameOf(std::u16string_view path) {
    const size_t slash = path.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

bool FileExists(const std::u16string& path) {
    return GetFileAttributes(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

BEGIN_MESSAGE_MAP(CThumbnailView, CThumbnailListWnd)
ON_WM_VSCROLL()
ON_WM_HSCROLL()
END_MESSAGE_MAP()

CThumbnailView::CThumbnailView() : CThumbnailListWnd(g_listShowsPictures, SB_HORZ, 1) {
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

void CThumbnailView::MeasureSlots(const RECT& client) {
    m_geometry = StripGeometry::FromClient(client.right - client.left, client.bottom - client.top);
}

HBITMAP CThumbnailView::NewSurface(HDC, SIZE& extent) {
    HBITMAP surface = ::LoadBitmap(AfxGetInstanceHandle(), MAKEINTRESOURCE(kPicturesBackground));
    BITMAP bm{};
    GetObjectW(surface, sizeof bm, &bm);
    extent = {bm.bmWidth, bm.bmHeight};
    return surface;
}

HBITMAP CThumbnailView::NewBackdrop() {
    return ::LoadBitmap(
        AfxGetInstanceHandle(),
        MAKEINTRESOURCE(g_listShowsPictures ? kPicturesBackground : kVideosBackground));
}

std::u16string CThumbnailView::RecordingOf(std::u16string_view item) const {
    return RecordingOfThumbnail(item);
}

void CThumbnailView::OnVScroll(UINT, UINT, CScrollBar*) {
    Default();
}

void CThumbnailView::OnHScroll(UINT code, UINT pos, CScrollBar*) {
    Scroll(code, pos);
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

// ---- File actions

void CThumbnailView::DeleteSelected() {
    const std::u16string question = LangString(u"SureDelete", u"Are you sure to delete?");
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
        DeleteFile(RecordingOfThumbnail(path).c_str());
}

void CThumbnailView::DeleteAll() {
    const std::u16string question = LangString(u"SureDeleteAll", u"Are you sure to delete all?");
    if (MessageBox(question.c_str(), g_windowTitle, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    if (!FindItem(kThumbSelected))
        return;
    DeleteAndRedraw([](const ThumbnailItem&) { return true; });
}

void CThumbnailView::DeleteAndRedraw(const std::function<bool(const ThumbnailItem&)>& wanted) {
    DeleteListed(wanted);
    ThumbnailList& list = CurrentList();
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
        return CopyFile(RecordingOfThumbnail(source).c_str(), target, FALSE);
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
    const std::u16string question = LangString(u"SureDeleteAll", u"Are you sure to delete all?");
    if (MessageBox(question.c_str(), g_windowTitle, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    const bool videos = !g_listShowsPictures;
    DeleteAndRedraw([&](const ThumbnailItem& item) {
        const std::u16string file =
            videos ? RecordingOfThumbnail(item.path) : std::u16string(item.path);
        return copied.count(FileNameOf(file)) != 0;
    });
}
