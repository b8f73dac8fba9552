// The main window's layout: the 835 x 610 window centred on the screen, its controls in
// client pixels, the re-layout after maximise and restore, painting, colours and the two
// tabs of the file list.
#include "wifi/FileListView.h"
#include "wifi/WifiButtons.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"

#include "measure/Units.h"
#include "kit/LangText.h"

#include "platform/win/core/Format.h"
#include "platform/win/gdi/Gdi.h"
#include "res/WavenorResource.h"

namespace {

constexpr int kWindowWidth = 835;
constexpr int kWindowHeight = 610;

void Place(HWND dialog, int id, int x, int y, int cx, int cy) {
    if (HWND h = ::GetDlgItem(dialog, id))
        ::SetWindowPos(h, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void CWifiMicroscopeDlg::LayoutControls() {
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2,
                   (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2, kWindowWidth, kWindowHeight,
                   SWP_NOREDRAW);
    RECT client;
    GetClientRect(&client);
    const int w = client.right, h = client.bottom;

    Place(m_hWnd, IDC_SEPARATOR, 0, 33, w, 2);
    Place(m_hWnd, IDC_CALIB_VALUE, 703, 6, 34, 25);
    Place(m_hWnd, IDC_MAGNIFICATION, 739, 6, 34, 25);
    Place(m_hWnd, IDC_VIDEO, 180, 40, 640, 480);
    Place(m_hWnd, IDC_STILL_PLACEHOLDER, 180, 40, 640, 480);
    Place(m_hWnd, IDC_RECORD_COUNTER, w - 90, h - 27, 120, 25);
    Place(m_hWnd, IDC_VIDEO_SIZE, 183, h - 27, 120, 25);
    Place(m_hWnd, IDC_TIPS, 320, h - 27, w - 430, 25);
    PlaceList(h * 83 / 100);
    CreateFileList();

    AttachButtons();
    // The tab of what the list shows is down.
    if (g_listShowsPictures)
        ToggleButton(IDC_PICTURE_TAB)->SetPressed();
    else
        ToggleButton(IDC_VIDEO_TAB)->SetPressed();
    if (CWnd* placeholder = GetDlgItem(IDC_STILL_PLACEHOLDER))
        placeholder->ShowWindow(SW_HIDE);
    if (CWnd* counter = GetDlgItem(IDC_RECORD_COUNTER))
        counter->ShowWindow(SW_HIDE);
}

// The file list at (5, 75), 170 wide, and its slots: one per 30 pixels, an even number.
void CWifiMicroscopeDlg::PlaceList(int height) {
    Place(m_hWnd, IDC_FILE_LIST, 5, 75, 170, height);
    HWND list = ::GetDlgItem(m_hWnd, IDC_FILE_LIST);
    if (list)
        ::GetClientRect(list, &g_listClientRect);
    g_listSlotCount = ListSlotCount(g_listClientRect.bottom - g_listClientRect.top);
    g_listSlotRects.assign(static_cast<size_t>(g_listSlotCount), RECT{});
    FileListResized();
}

void CWifiMicroscopeDlg::AttachButtons() {
    for (const WifiButtonRow& row : kWifiButtons) {
        CWnd* button = nullptr;
        if (row.toggle) {
            CToggleBitmapButton* b = ToggleButton(row.id);
            if (!b->m_hWnd)
                b->Attach(static_cast<UINT>(row.id), this, row.normalBitmap, row.pressedBitmap, 0);
            button = b;
        } else {
            CBitmapButton* b = BitmapButton(row.id);
            if (!b->m_hWnd && b->SubclassDlgItem(static_cast<UINT>(row.id), this)) {
                b->LoadBitmaps(row.normalBitmap, row.pressedBitmap);
                b->SizeToContent();
            }
            button = b;
        }
        if (button->m_hWnd)
            ::SetWindowPos(button->m_hWnd, nullptr, row.x, row.y, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CWifiMicroscopeDlg::OnSysCommand(UINT id, LPARAM lp) {
    switch (id & 0xFFF0) {
    case ID_ABOUT_SYSMENU:
        OnAbout();
        return;
    case SC_MINIMIZE:
        m_sizeFrom = 2, m_sizeTo = 2;
        break;
    case SC_MAXIMIZE:
        m_sizeFrom = 1, m_sizeTo = 2;
        break;
    case SC_RESTORE:
        m_sizeFrom = 2, m_sizeTo = 1;
        break;
    default:
        break;
    }
    CDialog::OnSysCommand(id, lp);
}

void CWifiMicroscopeDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (type == SIZE_MAXIMIZED && m_sizeFrom == 1 && m_sizeTo == 2)
        RelayOut(true);
    else if (type == SIZE_RESTORED && m_sizeFrom == 2 && m_sizeTo == 1)
        RelayOut(false);
    else
        UpdateStatusTexts();
}

// After a maximise the video area grows with the window and the frozen frame shows in actual
// size; after a restore it is fitted again.
void CWifiMicroscopeDlg::RelayOut(bool maximized) {
    RECT client;
    GetClientRect(&client);
    const int w = client.right, h = client.bottom;
    Place(m_hWnd, IDC_SEPARATOR, 0, 33, w, 2);
    Place(m_hWnd, IDC_VIDEO, 180, 40, w - 188, h - 75);
    Place(m_hWnd, IDC_STILL_PLACEHOLDER, 180, 40, w - 188, h - 75);
    g_stillViewMode = maximized ? 2 : 1;
    // The frozen frame is shown anew in the new area and mode, from its file: measurements and
    // effects made on it are gone.
    if (g_previewState == 3 && StillView()) {
        DestroyStillView();
        CreateStillView();
    }
    PlaceList(static_cast<int>((maximized ? 0.885 : 0.855) * h));
    UpdateStatusTexts();
    Invalidate(TRUE);
}

void CWifiMicroscopeDlg::UpdateStatusTexts() {
    if (!m_hWnd)
        return;
    RECT client;
    GetClientRect(&client);
    const int w = client.right, h = client.bottom;
    if (g_captureWidth != 0 && g_captureHeight != 0) {
        WCHAR size[64];
        swprintf(size, 64, u"%d%s%d", g_captureWidth, u"X", g_captureHeight);
        SetDlgItemText(IDC_VIDEO_SIZE, size);
    }
    Place(m_hWnd, IDC_VIDEO_SIZE, 183, h - 27, 120, 25);
    Place(m_hWnd, IDC_TIPS, 320, h - 27, w - 430, 25);
    Place(m_hWnd, IDC_RECORD_COUNTER, w - 90, h - 27, 120, 25);
    WCHAR tips[256];
    GetLangText(u"Tips", tips, 256,
                u"Tips: Click [Preview] again when slow live video or black screen.");
    SetDlgItemText(IDC_TIPS, tips);
}

void CWifiMicroscopeDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        RECT rc;
        GetClientRect(&rc);
        const int x = (rc.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (rc.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc.m_hDC, x, y, m_hIcon);
        return;
    }
    CDialog::OnPaint();
}

BOOL CWifiMicroscopeDlg::OnEraseBkgnd(CDC* dc) {
    RECT rc;
    GetClientRect(&rc);
    ::FillRect(dc->m_hDC, &rc, m_dialogBrush);
    return TRUE;
}

HCURSOR CWifiMicroscopeDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

HBRUSH CWifiMicroscopeDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    const int id = wnd ? wnd->GetDlgCtrlID() : 0;
    if (id == IDC_VIDEO) {
        dc->SetTextColor(RGB(255, 0, 0));
        dc->SetBkMode(TRANSPARENT);
        return m_videoBrush;
    }
    // The program's grey (0xCFCFCF, black text) behind every label, as behind the window.
    if (ctlColor == CTLCOLOR_STATIC || ctlColor == CTLCOLOR_DLG) {
        dc->SetTextColor(RGB(0, 0, 0));
        dc->SetBkColor(0xCFCFCF);
        return m_dialogBrush;
    }
    return CDialog::OnCtlColor(dc, wnd, ctlColor);
}

void CWifiMicroscopeDlg::OnPictureTab() {
    CToggleBitmapButton* pictures = ToggleButton(IDC_PICTURE_TAB);
    CToggleBitmapButton* videos = ToggleButton(IDC_VIDEO_TAB);
    if (pictures->IsPressed())
        return;
    pictures->SetPressed();
    videos->ClearPressed();
    SetListMode(1);
    if (g_fileListView)
        g_fileListView->UpdateScrollBar();
}

void CWifiMicroscopeDlg::OnVideoTab() {
    CToggleBitmapButton* pictures = ToggleButton(IDC_PICTURE_TAB);
    CToggleBitmapButton* videos = ToggleButton(IDC_VIDEO_TAB);
    if (videos->IsPressed())
        return;
    videos->SetPressed();
    pictures->ClearPressed();
    SetListMode(0);
    if (g_fileListView)
        g_fileListView->UpdateScrollBar();
}

void CWifiMicroscopeDlg::SetListMode(int mode) {
    if (g_listShowsPictures == mode)
        return;
    g_listShowsPictures = mode;
    if (g_fileListView)
        g_fileListView->DrawThumbnails();
    RefreshToolTips();
}
