#include "shell/StripFiles.h"

#include "kit/LangText.h"
#include "kit/ProgramPaths.h"
#include "kit/SaveFolders.h"
#include "shell/Popups.h"
#include "shell/ThumbnailStrip.h"

#include "imaging/DibImage.h"
#include "media/SendMailDlg.h"
#include "platform/mfc/AfxDlgs.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

#include <string>

extern WCHAR g_windowTitle[128];

namespace {

constexpr DWORD kSaveFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

std::u16string SelectFileText() {
    WCHAR text[64];
    GetLangText(u"SelectFile", text, 64, u"Please select one image or video");
    return text;
}

// The picture types the photo-measure window opens, by the name's ending; unknown for others.
DWORD PictureType(const std::u16string& name) {
    const size_t dot = name.rfind(u'.');
    const std::u16string ext = dot == std::u16string::npos ? u"" : name.substr(dot + 1);
    if (ext == u"bmp" || ext == u"BMP")
        return DIBIMAGE_TYPE_BMP;
    if (ext == u"jpg" || ext == u"JPG")
        return DIBIMAGE_TYPE_JPG;
    return DIBIMAGE_TYPE_UNKNOWN;
}

bool IsCaptureSize(DWORD w, DWORD h) {
    return (w == 1280 && h == 1024) || (w == 640 && h == 480) || (w == 320 && h == 240) ||
           (w == 1280 && h == 960) || (w == 1600 && h == 1200);
}

} // namespace

// ---- The strip

bool StripFiles::Bind() {
    if (g_thumbnailView)
        return false;
    auto* strip = new CThumbnailView;
    if (!strip->SubclassDlgItem(IDC_THUMBNAILS, &m_window)) {
        delete strip;
        return false;
    }
    g_thumbnailView = strip;
    // The strip's frame: a one-pixel border around the thumbnails and the scroll bar.
    strip->ModifyStyle(0, WS_BORDER, SWP_FRAMECHANGED);
    strip->MoveWindow(97, 530, 642, 115);
    strip->UpdateScrollBar();
    return true;
}

void StripFiles::Release() {
    delete g_thumbnailView;
    g_thumbnailView = nullptr;
}

void StripFiles::OnMouse(const MSG& msg) {
    if (msg.message != WM_LBUTTONDOWN && msg.message != WM_LBUTTONDBLCLK &&
        msg.message != WM_RBUTTONDOWN)
        return;
    if (!g_thumbnailView || !g_thumbnailView->m_hWnd)
        return;
    RECT r;
    ::GetWindowRect(g_thumbnailView->m_hWnd, &r);
    if (!CRect(r).PtInRect(msg.pt))
        return;
    if (!g_thumbnailView->SelectAt(static_cast<UINT>(msg.pt.x), static_cast<UINT>(msg.pt.y)))
        return;
    if (msg.message == WM_LBUTTONDBLCLK) {
        g_thumbnailView->GetSelectedPath(m_selectedPath);
        OpenItem(m_selectedPath);
    } else if (msg.message == WM_RBUTTONDOWN) {
        TrackAndDelete(BuildStripPopup(), msg.pt, &m_window);
    }
}

int StripFiles::OpenItem(const WCHAR* path) {
    if (!path)
        return 0;
    if (path != m_selectedPath)
        ms::CopyBounded(m_selectedPath, MAX_PATH, path);
    if (!g_listShowsPictures)
        return m_window.PostMessage(WM_APP_PLAY_VIDEO, 0, 0) ? 1 : 0;
    const DWORD type = PictureType(m_selectedPath);
    if (type == DIBIMAGE_TYPE_UNKNOWN)
        return 0;
    // The photo-measure window takes only pictures of the capture sizes.
    CDibImage picture;
    if (!picture.LoadFromFile(m_selectedPath, type))
        return 0;
    if (!IsCaptureSize(picture.GetWidth(), picture.GetHeight()))
        return 0;
    return m_window.PostMessage(WM_APP_OPEN_PICTURE, 0, 0) ? 1 : 0;
}

bool StripFiles::SelectedPictureOpens() const {
    HANDLE h = CreateFile(m_selectedPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        AfxMessageBox(u"the picture not open,please check the file exist!", MB_OK);
        return false;
    }
    CloseHandle(h);
    return true;
}

std::u16string StripFiles::SelectedVideo() const {
    std::u16string video = m_selectedPath;
    if (video.size() <= 4)
        return {};
    video.resize(video.size() - 4);
    const DWORD attributes = GetFileAttributes(video.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    return video;
}

// ---- Tabs

void StripFiles::ShowPictures() {
    if (CToggleBitmapButton* b = m_button(IDC_BTN_SHOW_PICTURES))
        b->ClearPressed();
    if (CToggleBitmapButton* b = m_button(IDC_BTN_SHOW_VIDEOS))
        b->SetPressed();
    m_setListMode(1);
    if (g_thumbnailView) {
        g_thumbnailView->UpdateScrollBar();
        g_thumbnailView->DrawThumbnails(); // from the first visible item the bar settled on
    }
}

void StripFiles::ShowVideos() {
    if (CToggleBitmapButton* b = m_button(IDC_BTN_SHOW_VIDEOS))
        b->ClearPressed();
    if (CToggleBitmapButton* b = m_button(IDC_BTN_SHOW_PICTURES))
        b->SetPressed();
    m_setListMode(0);
    if (g_thumbnailView) {
        g_thumbnailView->UpdateScrollBar();
        g_thumbnailView->DrawThumbnails(); // from the first visible item the bar settled on
    }
}

// ---- File commands

bool StripFiles::Selected(WCHAR* path, bool ownerBox, LPCWSTR caption) const {
    if (g_thumbnailView && g_thumbnailView->GetSelectedPath(path))
        return true;
    if (ownerBox)
        m_window.MessageBox(SelectFileText().c_str(), caption, MB_ICONEXCLAMATION);
    else
        AfxMessageBox(SelectFileText().c_str(), MB_ICONEXCLAMATION);
    return false;
}

void StripFiles::Open() {
    if (Selected(m_selectedPath, true))
        OpenItem(m_selectedPath);
}

void StripFiles::SaveAs() {
    WCHAR path[MAX_PATH];
    if (!Selected(path, false))
        return;
    std::u16string name = path;
    name = name.substr(name.rfind(u'/') + 1);
    name.resize(name.size() > 4 ? name.size() - 4 : 0);
    const bool pictures = g_listShowsPictures != 0;
    CFileDialog dialog(FALSE, pictures ? u"bmp" : u"avi", name.c_str(), kSaveFlags,
                       pictures ? u"Bitmap Files(*.bmp)|*.bmp|JPEG Files(*.jpg)|*.jpg||"
                                : u"AVI Files(*.avi)|*.avi||",
                       &m_window);
    if (dialog.DoModal() != IDOK)
        return;
    const std::u16string chosen = dialog.GetPathName().GetString();
    const size_t slash = chosen.rfind(u'/');
    const std::u16string folder = slash == std::u16string::npos ? u"" : chosen.substr(0, slash);
    if (SameFolder(folder, pictures ? g_paths.pictureDir : g_paths.videoDir)) {
        m_window.MessageBox(u"Can't save file to temp directory!!", u"Save file",
                            MB_ICONEXCLAMATION);
        return;
    }
    g_thumbnailView->SaveCopyAs(chosen.c_str());
}

void StripFiles::SaveAll() {
    WCHAR path[MAX_PATH];
    if (!Selected(path, true))
        return;
    g_thumbnailView->SelectAll();
    if (!g_listShowsPictures)
        g_thumbnailView->SaveVideosAs();
    else
        g_thumbnailView->SavePicturesAs();
}

void StripFiles::Delete() {
    WCHAR path[MAX_PATH];
    if (Selected(path, true, g_windowTitle))
        g_thumbnailView->DeleteSelected();
}

void StripFiles::DeleteAll() {
    WCHAR path[MAX_PATH];
    if (Selected(path, true, g_windowTitle))
        g_thumbnailView->DeleteAll();
}

void StripFiles::SendMail() {
    CSendMailDlg dialog;
    if (Selected(dialog.m_itemPath, false))
        dialog.DoModal();
}
