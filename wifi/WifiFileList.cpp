// The main window's file list: its creation and re-layout, the clicks, double click and menu
// over it, the new snapshots and recordings it lists, and the file commands on its selected
// item (open, save as, delete, delete all).
#include "wifi/FileListView.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"

#include "kit/LangText.h"

#include "platform/mfc/AfxDlgs.h"
#include "res/WavenorResource.h"

#include <string>

namespace {

std::u16string FileNameOf(std::u16string_view path) {
    const size_t slash = path.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

} // namespace

void CWifiMicroscopeDlg::CreateFileList() {
    m_fileList = std::make_unique<CFileListView>();
    m_fileList->SubclassDlgItem(IDC_FILE_LIST, this);
    g_fileListView = m_fileList.get();
    m_fileList->UpdateScrollBar();
}

void CWifiMicroscopeDlg::ReleaseFileList() {
    g_fileListView = nullptr;
    m_fileList.reset();
}

void CWifiMicroscopeDlg::FileListResized() {
    if (!g_fileListView)
        return;
    g_fileListView->FreeGdi();
    g_fileListView->UpdateScrollBar();
    g_fileListView->Invalidate(TRUE);
}

void CWifiMicroscopeDlg::ListPicture(LPCWSTR path) {
    if (g_fileListView)
        g_fileListView->AddSnapshot(path);
}

void CWifiMicroscopeDlg::ListVideo(LPCWSTR companionPath) {
    if (g_fileListView)
        g_fileListView->AddVideo(companionPath);
}

// A press anywhere on the list's window, its scroll bar included, selects what lies under it;
// a double click on an item opens it, a right click on one shows the list menu.
void CWifiMicroscopeDlg::OnFileListMouse(const MSG& msg) {
    if (msg.message != WM_LBUTTONDOWN && msg.message != WM_LBUTTONDBLCLK &&
        msg.message != WM_RBUTTONDOWN)
        return;
    if (!g_fileListView || !g_fileListView->m_hWnd)
        return;
    RECT r;
    ::GetWindowRect(g_fileListView->m_hWnd, &r);
    if (!CRect(r).PtInRect(msg.pt))
        return;
    if (!g_fileListView->SelectAt(static_cast<UINT>(msg.pt.x), static_cast<UINT>(msg.pt.y)))
        return;
    if (msg.message == WM_LBUTTONDBLCLK) {
        g_fileListView->GetSelectedPath(m_selectedPath);
        PostOpenMessage();
    } else if (msg.message == WM_RBUTTONDOWN && m_listMenu) {
        ::TrackPopupMenu(m_listMenu, TPM_LEFTALIGN | TPM_LEFTBUTTON, msg.pt.x, msg.pt.y, 0, m_hWnd,
                         nullptr);
    }
}

// The list the item came from decides what opens it: a picture named "mp4shot.png" is still a
// picture.
void CWifiMicroscopeDlg::PostOpenMessage() {
    PostMessage(g_listShowsPictures ? WM_APP_SHOW_PICTURE : WM_APP_SHOW_VIDEO, 0, 0);
}

int CWifiMicroscopeDlg::SelectedListItem(WCHAR* path) {
    if (!g_fileListView || !g_fileListView->GetSelectedPath(path))
        return 0;
    return g_listShowsPictures ? kPictureItem : kVideoItem;
}

bool CWifiMicroscopeDlg::SelectedOrTold(UINT boxType) {
    WCHAR path[MAX_PATH];
    if (SelectedListItem(path))
        return true;
    const std::u16string text = LangString(u"SelectFile", u"Please select an image or video");
    if (boxType)
        MessageBox(text.c_str(), u"Wavenor", boxType);
    else
        AfxMessageBox(text.c_str(), MB_ICONEXCLAMATION);
    return false;
}

void CWifiMicroscopeDlg::OnFileOpen() {
    if (!SelectedOrTold(MB_ICONWARNING))
        return;
    // The list the item came from decides what opens it, as for a double click.
    const int type = SelectedListItem(m_selectedPath);
    PostMessage(type == kVideoItem ? WM_APP_SHOW_VIDEO : WM_APP_SHOW_PICTURE, 0, 0);
}

void CWifiMicroscopeDlg::OnFileDelete() {
    if (SelectedOrTold(MB_ICONWARNING))
        g_fileListView->DeleteSelected();
}

void CWifiMicroscopeDlg::OnFileDeleteAll() {
    if (SelectedOrTold(MB_ICONWARNING))
        g_fileListView->DeleteAll();
}

void CWifiMicroscopeDlg::OnSave() {
    // While a frame is frozen, Save is about that frame, never the list's selection.
    if (g_previewState == 3 && StillView()) {
        SaveFrozenFrame();
        return;
    }
    if (!SelectedOrTold(0))
        return;
    WCHAR path[MAX_PATH];
    g_fileListView->GetSelectedPath(path);
    // "x.png" is offered as "x", a recording's "x.mp4.png" as "x.mp4".
    std::u16string proposed = FileNameOf(path);
    proposed.resize(proposed.size() > 4 ? proposed.size() - 4 : 0);
    const bool pictures = g_listShowsPictures != 0;
    CFileDialog dialog(FALSE, pictures ? u".png" : u".mp4", proposed.c_str(),
                       OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       pictures ? u"PNG Files(*.png)|*.png|JPG Files(*.JPG)|*.jpg||"
                                : u"MP4 Files(*.mp4)|*.mp4||",
                       this);
    if (dialog.DoModal() != IDOK)
        return;
    const std::u16string target = dialog.GetPathName().GetString();
    const size_t slash = target.rfind(u'/');
    const std::u16string folder = slash == std::u16string::npos ? u"" : target.substr(0, slash);
    // The list's own folder: a file saved there would be listed as another item, and a save
    // onto the item itself would copy the file onto itself.
    if (SameFolder(folder, pictures ? g_paths.pictureDir : g_paths.videoDir)) {
        MessageBox(u"Can't save file to temp directory!", u"Save file", MB_ICONEXCLAMATION);
        return;
    }
    g_fileListView->SaveSelectedAs(target.c_str());
}
