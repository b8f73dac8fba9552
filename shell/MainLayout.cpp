// The main window's frame: painting from the skin, dragging by the title strip, the minimise,
// full-screen and close buttons, the full-screen layout and its way back, and the strip's
// picture and video modes.
#include "shell/MicroscopeDlg.h"
#include "shell/ThumbnailStrip.h"

#include "capture/CaptureWnd.h"
#include "measure/Units.h"

#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"
#include "res/TessaryResource.h"

int g_minimized = 0;
int g_listShowsPictures = 1;

namespace {

constexpr int kLayoutControls[] = {
    IDC_SCALE,      IDC_CALIBRATED,       IDC_FRAME_MEASURE, IDC_FRAME_CALIBRATION,
    IDC_FRAME_AUTO, IDC_FRAME_COMPARISON, IDC_SCALE_LABEL,   IDC_ZOOM_FIELD};

} // namespace

void CMicroscopeDlg::OnSysCommand(UINT id, LPARAM lp) {
    switch (id & 0xFFF0) {
    case ID_ABOUT_SYSMENU:
        OnAbout();
        return;
    case SC_MINIMIZE:
        // Minimising the full-screen window keeps the normal window's place for the way back.
        if (!FullScreen()) {
            g_minimized = 1;
            GetWindowRect(&m_restoreRect);
        }
        CDialog::OnSysCommand(id, lp);
        return;
    case SC_MAXIMIZE:
        if (FullScreen())
            return;
        g_minimized = 0;
        GetWindowRect(&m_restoreRect);
        SetFullScreenLayout();
        return;
    case SC_RESTORE:
        // A minimised window comes back in the layout it had; the normal layout returns only
        // when the full-screen layout is on, however often the window was minimised on the way.
        if (IsIconic()) {
            CDialog::OnSysCommand(id, lp);
            return;
        }
        if (FullScreen())
            SetNormalLayout();
        return;
    default:
        CDialog::OnSysCommand(id, lp);
        return;
    }
}

void CMicroscopeDlg::OnPaint() {
    CPaintDC dc(this);
    if (IsIconic()) {
        RECT rc;
        GetClientRect(&rc);
        const int x = (rc.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (rc.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc.m_hDC, x, y, m_hIcon);
        return;
    }
    const RECT& r = dc.m_ps.rcPaint;
    if (m_skinDC)
        BitBlt(dc.m_hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, m_skinDC, r.left, r.top,
               SRCCOPY);
}

HCURSOR CMicroscopeDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

LRESULT CMicroscopeDlg::OnNcHitTest(CPoint pt) {
    RECT strip{0, 0, 700, 46};
    ClientToScreen(&strip);
    const LRESULT hit = CDialog::OnNcHitTest(pt);
    if (!FullScreen() && hit == HTCLIENT && CRect(strip).PtInRect(pt))
        return HTCAPTION;
    return hit;
}

void CMicroscopeDlg::OnMinButton() {
    PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void CMicroscopeDlg::OnMaxButton() {
    PostMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
}

void CMicroscopeDlg::OnCloseButton() {
    PostMessage(WM_CLOSE, 0, 0);
}

HBRUSH CMicroscopeDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    const int id = wnd ? wnd->GetDlgCtrlID() : 0;
    if (id == IDC_PREVIEW) {
        dc->SetTextColor(RGB(0, 255, 0));
        dc->SetBkColor(RGB(22, 24, 27));
        return m_previewBrush;
    }
    if (ctlColor == CTLCOLOR_STATIC &&
        (id == IDC_FRAME_MEASURE || id == IDC_FRAME_CALIBRATION || id == IDC_FRAME_AUTO ||
         id == IDC_FRAME_COMPARISON || id == IDC_SCALE_LABEL)) {
        dc->SetBkColor(RGB(200, 200, 200));
        return m_grayBrush;
    }
    return CDialog::OnCtlColor(dc, wnd, ctlColor);
}

void CMicroscopeDlg::ShowOtherControls(int show) {
    for (int id : kLayoutControls)
        if (CWnd* c = GetDlgItem(id))
            c->ShowWindow(show);
    if (CWnd* strip = GetDlgItem(IDC_THUMBNAILS))
        strip->ShowWindow(show);
}

void CMicroscopeDlg::SetFullScreenLayout() {
    // No measuring in full screen: a shape in progress and its tool are dropped.
    OnCancelShape();
    m_skinButtons.HideAll();
    ShowOtherControls(SW_HIDE);

    // The extended style stays: the full-screen window does not become topmost, so that the
    // dialogs of the program and of the desktop can still come above it.
    SetWindowLong(m_hWnd, GWL_STYLE,
                  static_cast<LONG>(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_BORDER));
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                   GetSystemMetrics(SM_CYSCREEN), SWP_FRAMECHANGED);
    RECT client{};
    GetClientRect(&client);
    if (CWnd* preview = GetDlgItem(IDC_PREVIEW)) {
        preview->MoveWindow(0, 0, client.right, client.bottom);
        preview->ShowWindow(SW_SHOW);
    }
    FitVideoRenderer(FALSE);
    // Preview coordinates run over 640 x 480, or 640 x 512 for a 1280 x 1024 capture; the
    // live view scales the frame and the shapes over it alike to the preview's new size.
    const double previewRows = g_captureWidth == 1280 && g_captureHeight == 1024 ? 512.0 : 480.0;
    const double scaleX = client.right / 640.0;
    const double scaleY = client.bottom / previewRows;
    g_liveView.Change([&](LiveViewSnapshot& s) {
        s.fullScreen = 1;
        s.previewScaleX = scaleX;
        s.previewScaleY = scaleY;
    });
    // The live view's memory bitmap takes the preview's new size.
    if (g_captureWnd.m_hWnd)
        g_captureWnd.EnterFullScreen();
    ShowPreviewTexts();
    InitToolTips();
    Invalidate(TRUE);
}

void CMicroscopeDlg::SetNormalLayout() {
    ShowWindow(SW_HIDE);
    SetWindowLong(m_hWnd, GWL_STYLE, static_cast<LONG>(m_style));
    SetWindowLong(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(m_exStyle));
    SetWindowText(m_windowText);
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, m_restoreRect.left, m_restoreRect.top,
                   m_normalRect.right - m_normalRect.left, m_normalRect.bottom - m_normalRect.top,
                   SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    if (CWnd* preview = GetDlgItem(IDC_PREVIEW))
        preview->SetWindowPos(nullptr, 98, 49, 640, 480, SWP_NOZORDER | SWP_FRAMECHANGED);
    m_skinButtons.ShowForNormalLayout();
    ShowOtherControls(SW_SHOW);
    CToggleBitmapButton* previewButton = ToggleButton(IDC_BTN_PREVIEW);
    CToggleBitmapButton* recordButton = ToggleButton(IDC_BTN_RECORD);
    FitVideoRenderer((previewButton && previewButton->IsPressed()) ||
                     (recordButton && recordButton->IsPressed()) || !g_listShowsPictures);
    ::SetActiveWindow(m_hWnd);
    g_liveView.Change([](LiveViewSnapshot& s) {
        s.fullScreen = 0;
        s.previewScaleX = 1.0;
        s.previewScaleY = 1.0;
    });
    if (g_captureWnd.m_hWnd)
        g_captureWnd.LeaveFullScreen();
    ShowPreviewTexts();
    // Each button's screen rectangle follows the window back to its place.
    m_skinButtons.UpdateRects();
    InitToolTips();
    Invalidate(TRUE);
}

void CMicroscopeDlg::FitVideoRenderer(BOOL fit) {
    HWND preview = ::GetDlgItem(m_hWnd, IDC_PREVIEW);
    HWND renderer = FindWindowEx(preview, nullptr, u"VideoRenderer", u"ActiveMovie Window");
    if (!renderer)
        return;
    RECT rc;
    ::GetClientRect(preview, &rc);
    if (fit) {
        ::SetWindowPos(renderer, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                       SWP_NOZORDER | SWP_SHOWWINDOW);
    } else {
        ::SetWindowPos(renderer, nullptr, rc.left, rc.top, 0, 0, SWP_NOZORDER | SWP_HIDEWINDOW);
        ::InvalidateRect(preview, &rc, TRUE);
    }
}

void CMicroscopeDlg::SetListMode(int mode) {
    if (g_listShowsPictures == mode)
        return;
    g_listShowsPictures = mode;
    if (m_skinDC) {
        HBITMAP strip = ::LoadBitmap(g_hInstance,
                                     MAKEINTRESOURCE(mode ? IDB_STRIP_PICTURES : IDB_STRIP_VIDEOS));
        if (strip) {
            BITMAP bm{};
            GetObjectW(strip, sizeof bm, &bm);
            HDC temp = CreateCompatibleDC(m_skinDC);
            HGDIOBJ old = SelectObject(temp, strip);
            BitBlt(m_skinDC, 97, 530, bm.bmWidth, bm.bmHeight, temp, 0, 0, SRCCOPY);
            SelectObject(temp, old);
            DeleteDC(temp);
            DeleteObject(strip);
        }
    }
    RECT stripRect{97, 530, 97 + 642, 530 + 115};
    InvalidateRect(&stripRect, FALSE);
    if (g_thumbnailView)
        g_thumbnailView->DrawThumbnails();
    InitToolTips();
}
