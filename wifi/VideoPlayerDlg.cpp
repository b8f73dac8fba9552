#include "wifi/VideoPlayerDlg.h"

#include "wifi/CaptureName.h"
#include "wifi/StreamInstance.h"
#include "wifi/StreamMedia.h"
#include "wifi/StreamPlayer.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"

#include "kit/ButtonTips.h"
#include "kit/LangText.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"
#include "res/WavenorResource.h"

namespace {

constexpr int kBackgroundBitmap = 196;

// One button of the tool bar: where it sits, its bitmaps and its tooltip.
struct PlayerButton {
    int id;
    int x, y;
    UINT normal, pressed;
};

// In the tooltips' order; the hidden Pause button has a tip but no control.
struct PlayerTip {
    int id;
    LPCWSTR key, text;
};
constexpr PlayerTip kTips[7] = {
    {IDC_PLAYER_FIRST, u"TipFirst", u"First"}, {IDC_PLAYER_PREVIOUS, u"TipReward", u"Backward"},
    {IDC_PLAYER_PAUSE, u"TipPause", u"Pause"}, {IDC_PLAYER_PLAY, u"TipPlay", u"Play"},
    {IDC_PLAYER_STOP, u"TipStop", u"Stop"},    {IDC_PLAYER_NEXT, u"TipForward", u"Forward"},
    {IDC_PLAYER_LAST, u"TipLast", u"Last"},
};

constexpr int kSeekButtons[] = {IDC_PLAYER_FIRST, IDC_PLAYER_PREVIOUS, IDC_PLAYER_NEXT,
                                IDC_PLAYER_LAST};

} // namespace

BEGIN_MESSAGE_MAP(CVideoPlayerDlg, CDialog)
ON_BN_CLICKED(IDC_PLAYER_FIRST, OnFirst)
ON_BN_CLICKED(IDC_PLAYER_PREVIOUS, OnPrevious)
ON_BN_CLICKED(IDC_PLAYER_PLAY, OnPlayPause)
ON_BN_CLICKED(IDC_PLAYER_STOP, OnStop)
ON_BN_CLICKED(IDC_PLAYER_NEXT, OnNext)
ON_BN_CLICKED(IDC_PLAYER_LAST, OnLast)
ON_WM_PAINT()
ON_WM_DESTROY()
ON_WM_ACTIVATE()
ON_WM_TIMER()
ON_WM_HSCROLL()
ON_WM_ERASEBKGND()
ON_WM_NCHITTEST()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CVideoPlayerDlg::CVideoPlayerDlg() : CDialog(IDD_VIDEO_PLAYER, nullptr) {
    m_videoBrush = CreateSolidBrush(RGB(0, 0, 0));
}

CVideoPlayerDlg::~CVideoPlayerDlg() {
    ReleasePlayer();
    m_vlc.reset();
    DeleteObject(m_videoBrush);
}

void CVideoPlayerDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PLAYER_TRACKBAR, m_trackbar);
}

BOOL CVideoPlayerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_video.SubclassDlgItem(IDC_PLAYER_VIDEO, this);
    m_video.ModifyStyle(0, WS_CLIPCHILDREN);
    m_videoPath =
        m_itemPath.GetLength() > 4 ? m_itemPath.Left(m_itemPath.GetLength() - 4) : CString();
    SetupToolbar();
    RefreshToolTips();
    OpenAndPlay();
    return TRUE;
}

void CVideoPlayerDlg::SetupToolbar() {
    WCHAR caption[64];
    GetLangText(u"VideoPlayer", caption, 64, u"Video Player");
    SetWindowText(caption);

    m_background = ::LoadBitmap(g_hInstance, MAKEINTRESOURCE(kBackgroundBitmap));
    HDC windowDC = ::GetDC(m_hWnd);
    m_backgroundDC = ::CreateCompatibleDC(windowDC);
    ::ReleaseDC(m_hWnd, windowDC);
    int width = 640, height = 480;
    if (m_background) {
        m_replacedBitmap = ::SelectObject(m_backgroundDC, m_background);
        BITMAP info{};
        if (::GetObject(m_background, sizeof info, &info)) {
            width = info.bmWidth;
            height = info.bmHeight;
        }
    }
    // A client area of the picture's size, centred on the screen.
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_EXSTYLE)));
    const int frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, (GetSystemMetrics(SM_CXSCREEN) - frameWidth) / 2,
                   (GetSystemMetrics(SM_CYSCREEN) - frameHeight) / 2, frameWidth, frameHeight,
                   SWP_NOREDRAW);

    m_video.SetWindowPos(nullptr, 6, 7, 628, 405, SWP_NOZORDER | SWP_FRAMECHANGED);
    const PlayerButton buttons[6] = {
        {IDC_PLAYER_PLAY, 274, 431, 198, 197},  {IDC_PLAYER_STOP, 431, 436, 200, 199},
        {IDC_PLAYER_FIRST, 173, 436, 204, 203}, {IDC_PLAYER_PREVIOUS, 228, 440, 206, 205},
        {IDC_PLAYER_NEXT, 313, 440, 208, 207},  {IDC_PLAYER_LAST, 382, 436, 210, 209},
    };
    CBitmapButton* plain[5] = {&m_stop, &m_first, &m_previous, &m_next, &m_last};
    for (int i = 0; i < 6; ++i) {
        const PlayerButton& b = buttons[i];
        CBitmapButton* button = i == 0 ? &m_playPause : plain[i - 1];
        if (i == 0) {
            m_playPause.Attach(static_cast<UINT>(b.id), this, b.normal, b.pressed, 0);
        } else if (button->SubclassDlgItem(static_cast<UINT>(b.id), this)) {
            button->LoadBitmaps(b.normal, b.pressed);
            button->SizeToContent();
        }
        button->SetWindowPos(nullptr, b.x, b.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    m_trackbar.SetWindowPos(nullptr, 74, 415, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m_trackbar.SetRange(0, 1000, TRUE);
    m_trackbar.SetPos(0);

    for (int i = 0; i < 7; ++i) {
        ms::ui::ButtonTipEntry& tip = m_tips[i];
        GetLangText(kTips[i].key, tip.text, 64, kTips[i].text);
        tip.id = kTips[i].id;
        tip.hwnd = ::GetDlgItem(m_hWnd, tip.id);
        if (tip.hwnd)
            ::GetWindowRect(tip.hwnd, &tip.rect);
    }
    CreateToolTipCtrl();
}

void CVideoPlayerDlg::CreateToolTipCtrl() {
    m_toolTip = ms::ui::CreateButtonTips(m_hWnd);
}

void CVideoPlayerDlg::RefreshToolTips() {
    ms::ui::RefreshButtonTips(m_toolTip, m_tips, 7);
}

BOOL CVideoPlayerDlg::PreTranslateMessage(MSG* msg) {
    ms::ui::TrackButtonTips(m_toolTip, m_tips, 7, *msg);
    // The player closes only through its caption's close box.
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

// ---- Playing ----

void CVideoPlayerDlg::OpenAndPlay() {
    ReleasePlayer();
    m_vlc.reset();
    // The library makes a media of any path and a player that ends at once: a recording that
    // is gone would leave an empty, silent player.
    if (!IsNonEmptyFile(m_videoPath.GetString())) {
        WCHAR text[128];
        GetLangText(u"VideoNotOpen", text, 128,
                    u"The video cannot be opened, please check that the file exists!");
        MessageBox(CString(text) + u"\n" + m_videoPath, nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_vlc = StreamInstance::Create();
    if (!m_vlc) {
        MessageBox(u"initial vlc fault", nullptr, MB_OK);
        return;
    }
    std::unique_ptr<StreamMedia> media =
        StreamMedia::FromPath(*m_vlc, ms::ToUtf8(m_videoPath.GetString()));
    if (!media) {
        MessageBox(u"open video fault", nullptr, MB_OK);
        return;
    }
    m_player = StreamPlayer::Create(*media);
    media.reset(); // the player holds its own reference
    if (!m_player) {
        MessageBox(u"open video fault", nullptr, MB_OK);
        return;
    }
    m_player->SetOutputWindow(m_video.m_hWnd);
    m_video.SetPlayer(m_player.get());
    m_player->Play();

    m_started = true;
    m_paused = false;
    m_playPause.SetPressed();
    EnableSeekButtons(TRUE);
    m_trackbar.SetPos(0);
    SetTimer(TIMER_VLC_POSITION, 100, nullptr);
}

void CVideoPlayerDlg::ReleasePlayer() {
    if (!m_player)
        return;
    m_video.SetPlayer(nullptr);
    m_player.reset();
}

void CVideoPlayerDlg::EnableSeekButtons(BOOL enable) {
    for (int id : kSeekButtons)
        if (HWND h = ::GetDlgItem(m_hWnd, id))
            ::EnableWindow(h, enable);
}

void CVideoPlayerDlg::OnPlayPause() {
    if (!m_paused && !m_player) {
        OpenAndPlay();
    } else if (!m_paused) {
        m_player->SetPause(true);
        m_paused = true;
        m_playPause.ClearPressed();
        EnableSeekButtons(FALSE);
    } else {
        if (m_player)
            m_player->SetPause(false);
        m_paused = false;
        m_playPause.SetPressed();
        EnableSeekButtons(TRUE);
    }
}

void CVideoPlayerDlg::OnStop() {
    if (!m_player)
        return;
    ReleasePlayer();
    m_started = m_paused = false;
    m_playPause.ClearPressed();
    KillTimer(TIMER_VLC_POSITION);
    m_trackbar.SetPos(0);
    EnableSeekButtons(FALSE);
}

void CVideoPlayerDlg::OnFirst() {
    if (m_player)
        m_player->SetTime(0);
}

void CVideoPlayerDlg::OnPrevious() {
    if (m_player)
        m_player->PreviousChapter();
}

void CVideoPlayerDlg::OnNext() {
    if (m_player)
        m_player->NextChapter();
}

void CVideoPlayerDlg::OnLast() {
    if (m_player)
        m_player->SetTime(m_length);
}

void CVideoPlayerDlg::OnTimer(UINT_PTR id) {
    if (id == TIMER_VLC_POSITION && m_player) {
        m_length = m_player->Length();
        if (m_length > 0) {
            const long long time = m_player->Time();
            // 64-bit milliseconds: a long video cannot overflow the product.
            const long long pos = std::clamp<long long>(time * 1000 / m_length, 0, 1000);
            m_trackbar.SetPos(static_cast<int>(pos));
        }
        if (m_player->Ended())
            OnStop();
    }
    CDialog::OnTimer(id);
}

void CVideoPlayerDlg::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
    // The trackbar seeks where the operator lets it go; while it is dragged the position
    // timer would pull it back, so only the end of a move counts.
    if (bar && bar->m_hWnd == m_trackbar.m_hWnd) {
        if (code != TB_THUMBTRACK && m_player && m_length > 0)
            m_player->SetTime(static_cast<long long>(m_trackbar.GetPos()) * m_length / 1000);
        return;
    }
    CDialog::OnHScroll(code, pos, bar);
}

// ---- Window ----

void CVideoPlayerDlg::OnPaint() {
    CPaintDC dc(this);
    const RECT& area = dc.m_ps.rcPaint;
    if (m_backgroundDC)
        ::BitBlt(dc.m_hDC, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 m_backgroundDC, area.left, area.top, SRCCOPY);
}

BOOL CVideoPlayerDlg::OnEraseBkgnd(CDC* dc) {
    return CDialog::OnEraseBkgnd(dc);
}

LRESULT CVideoPlayerDlg::OnNcHitTest(CPoint pt) {
    return CDialog::OnNcHitTest(pt);
}

HBRUSH CVideoPlayerDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    if (wnd && wnd->m_hWnd == m_video.m_hWnd)
        return m_videoBrush;
    return CDialog::OnCtlColor(dc, wnd, ctlColor);
}

void CVideoPlayerDlg::OnActivate(UINT state, CWnd* other, BOOL minimized) {
    CDialog::OnActivate(state, other, minimized);
    // The video area is drawn again over whatever covered it.
    if (m_video.m_hWnd) {
        m_video.ShowWindow(SW_HIDE);
        m_video.ShowWindow(SW_SHOW);
    }
}

void CVideoPlayerDlg::OnDestroy() {
    KillTimer(TIMER_VLC_POSITION);
    ReleasePlayer();
    m_vlc.reset();
    if (m_backgroundDC) {
        if (m_replacedBitmap)
            ::SelectObject(m_backgroundDC, m_replacedBitmap);
        ::DeleteDC(m_backgroundDC);
        m_backgroundDC = nullptr;
    }
    if (m_background) {
        ::DeleteObject(m_background);
        m_background = nullptr;
    }
    m_toolTip = nullptr;
    CDialog::OnDestroy();
}
