#include "media/AviPlayerDlg.h"
#include "kit/ButtonTips.h"
#include "kit/WindowTitle.h"

#include "kit/LangText.h"

#include "platform/win/controls/CommCtrl.h"
#include "res/TessaryResource.h"

#include <algorithm>

namespace {

constexpr int kWidth = 607;
constexpr int kHeight = 538;
constexpr double kStepSeconds = 2.0;

// One skinned button of the tool bar: where it sits, its bitmaps and its tooltip.
struct PlayerButton {
    int id;
    int x, y;
    UINT normal, pressed;
    LPCWSTR tipKey, tipDefault;
};

// In the tooltips' order.
const PlayerButton kButtons[8] = {
    {IDC_PLAYER_FIRST, 204, 502, 361, 161, u"TipFirst", u"First"},
    {IDC_PLAYER_BACK, 236, 502, 363, 163, u"TipReward", u"Backward"},
    {IDC_PLAYER_STOP, 268, 502, 366, 166, u"TipStop", u"Stop"},
    {IDC_PLAYER_PLAY, 300, 502, 358, 359, u"TipPlay", u"Play"},
    {IDC_PLAYER_PAUSE, 250, 502, 367, 167, u"TipPause", u"Pause"},
    {IDC_PLAYER_FORWARD, 332, 502, 362, 162, u"TipForward", u"Forward"},
    {IDC_PLAYER_LAST, 364, 502, 364, 164, u"TipLast", u"Last"},
    {IDC_PLAYER_CLOSE, 557, 7, 268, 269, u"TipClose", u"Close"},
};

// The video area is a plain window whose surface keeps the last frame the graph painted: it
// erases and paints nothing itself, so a repaint while paused leaves the picture standing (a
// native static would cover the graph's frames with its own drawing).
LRESULT VideoAreaProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        ::BeginPaint(hwnd, &ps);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return ::DefWindowProc(hwnd, msg, wp, lp);
    }
}

void RegisterVideoArea() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = VideoAreaProc;
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kPlayerVideoClass;
        return ::RegisterClass(&wc) != 0;
    }();
    (void)registered;
}

} // namespace

BEGIN_MESSAGE_MAP(CAviPlayerDlg, CDialog)
ON_BN_CLICKED(IDC_PLAYER_PLAY, OnPlay)
ON_BN_CLICKED(IDC_PLAYER_PAUSE, OnPause)
ON_BN_CLICKED(IDC_PLAYER_STOP, OnStop)
ON_BN_CLICKED(IDC_PLAYER_OPEN, OnOpen)
ON_BN_CLICKED(IDC_PLAYER_FIRST, OnFirst)
ON_BN_CLICKED(IDC_PLAYER_BACK, OnBack)
ON_BN_CLICKED(IDC_PLAYER_FORWARD, OnForward)
ON_BN_CLICKED(IDC_PLAYER_LAST, OnLast)
ON_BN_CLICKED(IDC_PLAYER_CLOSE, OnCloseButton)
ON_WM_TIMER()
ON_WM_HSCROLL()
ON_MESSAGE(WM_USER_PLAYBACK_EVENT, OnPlaybackEvent)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_NCHITTEST()
END_MESSAGE_MAP()

CAviPlayerDlg::CAviPlayerDlg() : CDialog(IDD_AVI_PLAYER, nullptr) {
    RegisterVideoArea();
}

CAviPlayerDlg::~CAviPlayerDlg() {
    CloseGraph();
}

void CAviPlayerDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PLAYER_SLIDER, m_slider);
    DDX_Control(dx, IDC_PLAYER_VIDEO, m_video);
}

BOOL CAviPlayerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_video.ModifyStyle(0, WS_CLIPCHILDREN);
    m_slider.SetRange(0, 1000, TRUE);
    m_slider.SetPos(0);
    SetupToolbar();
    CenterWindow();
    RefreshToolTips();
    OpenFile();
    return TRUE;
}

void CAviPlayerDlg::SetupToolbar() {
    GetLangText(u"VideoPlayer", m_title, 30, u"Player");
    SetWindowText(m_title);
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, GetSystemMetrics(SM_CXSCREEN) / 4,
                   GetSystemMetrics(SM_CYSCREEN) / 6, kWidth, kHeight, SWP_NOREDRAW);
    m_video.SetWindowPos(nullptr, 4, 38, 597, 449, SWP_NOZORDER | SWP_FRAMECHANGED);
    CToggleBitmapButton* buttons[8] = {&m_first, &m_back,    &m_stop, &m_play,
                                       &m_pause, &m_forward, &m_last, &m_close};
    for (int i = 0; i < 8; ++i) {
        const PlayerButton& b = kButtons[i];
        buttons[i]->Attach(static_cast<UINT>(b.id), this, b.normal, b.pressed, 0);
        buttons[i]->SetWindowPos(nullptr, b.x, b.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ms::ui::ButtonTipEntry& tip = m_tips[i];
        GetLangText(b.tipKey, tip.text, 64, b.tipDefault);
        tip.id = b.id;
        tip.hwnd = buttons[i]->GetSafeHwnd();
        if (tip.hwnd)
            ::GetWindowRect(tip.hwnd, &tip.rect);
    }
    CreateToolTipCtrl();
}

void CAviPlayerDlg::CreateToolTipCtrl() {
    m_toolTip = ms::ui::CreateButtonTips(m_hWnd);
}

void CAviPlayerDlg::RefreshToolTips() {
    ms::ui::RefreshButtonTips(m_toolTip, m_tips, 8);
}

BOOL CAviPlayerDlg::PreTranslateMessage(MSG* msg) {
    ms::ui::TrackButtonTips(m_toolTip, m_tips, 8, *msg);
    // The player closes only through its close button.
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

// ---- The graph ----

void CAviPlayerDlg::OpenFile() {
    CloseGraph();
    m_graph = std::make_unique<CPlaybackGraph>();
    if (!m_graph->Create())
        return; // the object stays; every handler finds nothing to play
    const bool playable = m_graph->RenderFile(m_filePath);
    m_graph->SetDisplayWindow(m_video.GetSafeHwnd());
    m_graph->SetNotifyWindow(m_hWnd);
    m_graph->Pause(); // the first frame shows and waits for Play
    if (!playable) {
        // The window stays, its buttons do nothing; the operator reads why it stays black.
        WCHAR text[128];
        if (m_graph->RenderError() == CPlaybackGraph::RenderFailure::NoFrames)
            GetLangText(u"PlayerNoFrames", text, 128, u"The video file holds no frames.");
        else
            GetLangText(u"PlayerCannotPlay", text, 128, u"The video file cannot be played.");
        CString message;
        message.Format(u"%s\n%s", text, m_filePath);
        MessageBox(message.GetString(), m_title, MB_ICONEXCLAMATION | MB_OK);
    }
}

void CAviPlayerDlg::CloseGraph() {
    if (!m_graph)
        return;
    m_graph->Stop();
    m_graph->SetNotifyWindow(nullptr);
    m_graph->Release();
    m_graph.reset();
}

double CAviPlayerDlg::Position() const {
    double seconds = 0.0;
    if (!m_graph || !m_graph->GetPosition(&seconds))
        return 0.0;
    return seconds;
}

double CAviPlayerDlg::Duration() const {
    double seconds = 0.0;
    if (!m_graph || !m_graph->GetDuration(&seconds) || seconds <= 0.0)
        return 1.0;
    return seconds;
}

void CAviPlayerDlg::SeekTo(double seconds) {
    if (!m_graph)
        return;
    m_graph->SetPosition(std::clamp(seconds, 0.0, Duration()));
}

void CAviPlayerDlg::StartPositionTimer() {
    if (!m_timer)
        m_timer = SetTimer(TIMER_PLAYER_POSITION, 100, nullptr);
}

// ---- Commands ----

void CAviPlayerDlg::OnPlay() {
    if (!m_graph)
        return;
    m_graph->Run();
    StartPositionTimer();
}

void CAviPlayerDlg::OnPause() {
    if (!m_graph)
        return;
    m_graph->Pause();
    StartPositionTimer();
}

void CAviPlayerDlg::OnStop() {
    if (!m_graph)
        return;
    m_graph->SetPosition(0.0);
    m_graph->Stop();
    if (m_timer) {
        KillTimer(m_timer);
        m_timer = 0;
    }
}

void CAviPlayerDlg::OnOpen() {
    OpenFile();
}

void CAviPlayerDlg::OnFirst() {
    SeekTo(0.0);
}

void CAviPlayerDlg::OnBack() {
    if (m_graph)
        SeekTo(Position() - kStepSeconds);
}

void CAviPlayerDlg::OnForward() {
    if (m_graph)
        SeekTo(Position() + kStepSeconds);
}

void CAviPlayerDlg::OnLast() {
    if (m_graph)
        SeekTo(Duration());
}

void CAviPlayerDlg::OnCloseButton() {
    if (m_mainWindow)
        ::SetTimer(m_mainWindow, kRestartCaptureTimer, 100, nullptr);
    PostMessage(WM_CLOSE);
}

BOOL CAviPlayerDlg::DestroyWindow() {
    CloseGraph();
    if (m_timer) {
        KillTimer(m_timer);
        m_timer = 0;
    }
    return CDialog::DestroyWindow();
}

// ---- Position ----

void CAviPlayerDlg::OnTimer(UINT_PTR id) {
    if (id == m_timer && m_timer && m_graph) {
        const int value = static_cast<int>(Position() * 1000.0 / Duration());
        if (m_slider.GetPos() != value) {
            m_slider.SetPos(value);
            m_slider.Invalidate(TRUE);
        }
    }
    CDialog::OnTimer(id);
}

void CAviPlayerDlg::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
    if (bar && bar->GetSafeHwnd() == m_slider.GetSafeHwnd()) {
        if (m_graph)
            m_graph->SetPosition(m_slider.GetPos() * Duration() * 0.001);
        return;
    }
    CDialog::OnHScroll(code, pos, bar);
}

LRESULT CAviPlayerDlg::OnPlaybackEvent(WPARAM code, LPARAM) {
    if (!m_graph)
        return 0;
    // Each event arrives as its own message, its code in wParam.
    switch (code) {
    case 1: // complete: stand paused at the beginning
        OnPause();
        m_graph->SetPosition(0.0);
        break;
    case 2: // user abort
    case 3: // error abort
        OnStop();
        break;
    default:
        break;
    }
    return 0;
}

// ---- Look ----

void CAviPlayerDlg::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    ms::ui::DrawWindowTitle(dc.GetSafeHdc(), client, m_title, 6);
}

BOOL CAviPlayerDlg::OnEraseBkgnd(CDC* dc) {
    CRect box;
    dc->GetClipBox(&box);
    CBrush grey(RGB(200, 200, 200));
    CBrush* old = dc->SelectObject(&grey);
    dc->PatBlt(box.left, box.top, box.Width(), box.Height(), PATCOPY);
    dc->SelectObject(old);
    return TRUE;
}

LRESULT CAviPlayerDlg::OnNcHitTest(CPoint pt) {
    const LRESULT hit = CDialog::OnNcHitTest(pt);
    CRect strip(0, 0, 518, 28);
    ClientToScreen(&strip);
    if (hit == HTCLIENT && strip.PtInRect(pt))
        return HTCAPTION;
    return hit;
}
