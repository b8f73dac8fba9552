// The main window's thumbnail strip and its file commands: the strip over the list 1002, its
// clicks, the file popup, the picture and video tabs, Open, Save as, Save All, Delete, Delete
// All, E-Mail, and the hand-over of a picture to the photo-measure window and of a recording
// to the video player.
#include "shell/MicroscopeDlg.h"
#include "measure/PhotoMeasureDlg.h"

#include "kit/LangText.h"
#include "kit/SaveFolders.h"
#include "kit/SkinMenu.h"
#include "shell/ThumbnailStrip.h"

#include "imaging/DibImage.h"
#include "media/AviPlayerDlg.h"
#include "media/SendMailDlg.h"
#include "platform/mfc/AfxDlgs.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

#include <string>

namespace {

constexpr DWORD kSaveFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

std::u16string SelectFileText() {
    WCHAR text[64];
    GetLangText(u"SelectFile", text, 64, u"Please select one image or video");
    return text;
}

} // namespace

// ---- The strip

void CMicroscopeDlg::BindThumbnailStrip() {
    if (g_thumbnailView)
        return;
    auto* strip = new CThumbnailView;
    if (!strip->SubclassDlgItem(IDC_THUMBNAILS, this)) {
        delete strip;
        return;
    }
    g_thumbnailView = strip;
    // The strip's frame: a one-pixel border around the thumbnails and the scroll bar.
    strip->ModifyStyle(0, WS_BORDER, SWP_FRAMECHANGED);
    strip->MoveWindow(97, 530, 642, 115);
    strip->UpdateScrollBar();
    // Each written snapshot joins the strip as its newest, current picture.
    m_listSnapshot = [] {
        if (g_thumbnailView)
            g_thumbnailView->AddLastSnapshot(g_lastSnapshotPath);
    };
}

void CMicroscopeDlg::ReleaseThumbnailStrip() {
    delete g_thumbnailView;
    g_thumbnailView = nullptr;
}

void CMicroscopeDlg::OnStripMouse(const MSG& msg) {
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
        OpenStripItem(m_selectedPath);
    } else if (msg.message == WM_RBUTTONDOWN) {
        ShowStripPopup(msg.pt);
    }
}

void CMicroscopeDlg::OnShowPictures() {
    if (CToggleBitmapButton* b = ToggleButton(IDC_BTN_SHOW_PICTURES))
        b->ClearPressed();
    if (CToggleBitmapButton* b = ToggleButton(IDC_BTN_SHOW_VIDEOS))
        b->SetPressed();
    SetListMode(1);
    if (g_thumbnailView) {
        g_thumbnailView->UpdateScrollBar();
        g_thumbnailView->DrawThumbnails(); // from the first visible item the bar settled on
    }
}

void CMicroscopeDlg::OnShowVideos() {
    if (CToggleBitmapButton* b = ToggleButton(IDC_BTN_SHOW_VIDEOS))
        b->ClearPressed();
    if (CToggleBitmapButton* b = ToggleButton(IDC_BTN_SHOW_PICTURES))
        b->SetPressed();
    SetListMode(0);
    if (g_thumbnailView) {
        g_thumbnailView->UpdateScrollBar();
        g_thumbnailView->DrawThumbnails(); // from the first visible item the bar settled on
    }
}

// ---- File commands

void CMicroscopeDlg::OnFileOpen() {
    if (!g_thumbnailView || !g_thumbnailView->GetSelectedPath(m_selectedPath)) {
        MessageBox(SelectFileText().c_str(), nullptr, MB_ICONEXCLAMATION);
        return;
    }
    OpenStripItem(m_selectedPath);
}

void CMicroscopeDlg::OnFileSaveAs() {
    WCHAR path[MAX_PATH];
    if (!g_thumbnailView || !g_thumbnailView->GetSelectedPath(path)) {
        AfxMessageBox(SelectFileText().c_str(), MB_ICONEXCLAMATION);
        return;
    }
    std::u16string name = path;
    name = name.substr(name.rfind(u'/') + 1);
    name.resize(name.size() > 4 ? name.size() - 4 : 0);
    const bool pictures = g_listShowsPictures != 0;
    CFileDialog dialog(FALSE, pictures ? u"bmp" : u"avi", name.c_str(), kSaveFlags,
                       pictures ? u"Bitmap Files(*.bmp)|*.bmp|JPEG Files(*.jpg)|*.jpg||"
                                : u"AVI Files(*.avi)|*.avi||",
                       this);
    if (dialog.DoModal() != IDOK)
        return;
    const std::u16string chosen = dialog.GetPathName().GetString();
    const size_t slash = chosen.rfind(u'/');
    const std::u16string folder = slash == std::u16string::npos ? u"" : chosen.substr(0, slash);
    if (SameFolder(folder, pictures ? g_paths.pictureDir : g_paths.videoDir)) {
        MessageBox(u"Can't save file to temp directory!!", u"Save file", MB_ICONEXCLAMATION);
        return;
    }
    g_thumbnailView->SaveCopyAs(chosen.c_str());
}

void CMicroscopeDlg::OnFileSaveAll() {
    WCHAR path[MAX_PATH];
    if (!g_thumbnailView || !g_thumbnailView->GetSelectedPath(path)) {
        MessageBox(SelectFileText().c_str(), nullptr, MB_ICONEXCLAMATION);
        return;
    }
    g_thumbnailView->SelectAll();
    if (!g_listShowsPictures)
        g_thumbnailView->SaveVideosAs();
    else
        g_thumbnailView->SavePicturesAs();
}

void CMicroscopeDlg::OnFileDelete() {
    WCHAR path[MAX_PATH];
    if (!g_thumbnailView || !g_thumbnailView->GetSelectedPath(path)) {
        MessageBox(SelectFileText().c_str(), g_windowTitle, MB_ICONEXCLAMATION);
        return;
    }
    g_thumbnailView->DeleteSelected();
}

void CMicroscopeDlg::OnFileDeleteAll() {
    WCHAR path[MAX_PATH];
    if (!g_thumbnailView || !g_thumbnailView->GetSelectedPath(path)) {
        MessageBox(SelectFileText().c_str(), g_windowTitle, MB_ICONEXCLAMATION);
        return;
    }
    g_thumbnailView->DeleteAll();
}

void CMicroscopeDlg::OnSendMail() {
    CSendMailDlg dialog;
    if (!g_thumbnailView || !g_thumbnailView->GetSelectedPath(dialog.m_itemPath)) {
        AfxMessageBox(SelectFileText().c_str(), MB_ICONEXCLAMATION);
        return;
    }
    dialog.DoModal();
}

LRESULT CMicroscopeDlg::OnOpenPicture(WPARAM, LPARAM) {
    HANDLE h = CreateFile(m_selectedPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        AfxMessageBox(u"the picture not open,please check the file exist!", MB_OK);
        return 0;
    }
    CloseHandle(h);
    OpenPhotoMeasureWindow(m_selectedPath);
    return 0;
}

LRESULT CMicroscopeDlg::OnPlayVideo(WPARAM, LPARAM) {
    std::u16string video = m_selectedPath;
    if (video.size() <= 4)
        return 0;
    video.resize(video.size() - 4);
    const DWORD attributes = GetFileAttributes(video.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    StopCapture();
    RunVideoPlayer(video.c_str());
    return 0;
}

// One window per picture, beside the main window; it deletes itself when closed, so no pointer
// is kept.
void CMicroscopeDlg::OpenPhotoMeasureWindow(LPCWSTR picturePath) {
    CPhotoMeasureDlg::Open(CString(picturePath), this, m_hWnd);
}

// The player runs modally; its close button asks for the capture to be started again.
void CMicroscopeDlg::RunVideoPlayer(LPCWSTR videoPath) {
    CAviPlayerDlg player;
    ms::CopyBounded(player.m_filePath, MAX_PATH, videoPath);
    player.SetMainWindow(m_hWnd);
    player.DoModal();
}
