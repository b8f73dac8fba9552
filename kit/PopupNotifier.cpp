#include "kit/PopupNotifier.h"

BEGIN_MESSAGE_MAP(CPopupNotifier, CFrameWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_TIMER()
ON_WM_MOUSEMOVE()
ON_WM_MOUSEHOVER()
ON_WM_MOUSELEAVE()
ON_WM_SETCURSOR()
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CPopupNotifier::CPopupNotifier(LPCWSTR text, int width, int height, int displayTimeMs,
                               int stepIntervalMs, const RECT& textRect, CWnd* parent)
    : m_width(width), m_height(height), m_displayTime(displayTimeMs),
      m_stepInterval(stepIntervalMs), m_text(text), m_parent(parent), m_textRect(textRect) {}

CPopupNotifier* CPopupNotifier::CreateNotifier(LPCWSTR text, int width, int height,
                                               int displayTimeMs, int stepIntervalMs,
                                               const RECT& textRect, CWnd* parent) {
    return new CPopupNotifier(text, width, height, displayTimeMs, stepIntervalMs, textRect, parent);
}

int CPopupNotifier::ChooseEdge(const RECT& work, int screenWidth, int screenHeight) {
    if (work.right - work.left == screenWidth && work.bottom < screenHeight)
        return kTaskBarBottom;
    if (work.left == 0 && work.top != 0)
        return kTaskBarTop;
    if (work.left != 0 && work.top == 0)
        return kTaskBarLeft;
    return kTaskBarOther;
}

RECT CPopupNotifier::Placement(int edge, const RECT& work, int width, int height,
                               int currentHeight) {
    (void)height;
    switch (edge) {
    case kTaskBarTop:
        return RECT{work.right - width, work.top, work.right - 10, work.top + currentHeight};
    case kTaskBarLeft:
        return RECT{work.left + 10, work.bottom - 5 - currentHeight, work.left + 10 + width,
                    work.bottom - 5};
    default: // bottom, and every other case like it
        return RECT{work.right - width, work.bottom - 5 - currentHeight, work.right - 10,
                    work.bottom - 5};
    }
}

void CPopupNotifier::Show() {
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &m_work, 0);
    m_edge = ChooseEdge(m_work, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    m_currentHeight = 0;
    if (!m_hWnd &&
        !Create(nullptr, nullptr, WS_VISIBLE | WS_OVERLAPPEDWINDOW, CRect(0, 0, 0, 0), m_parent)) {
        // Never shown, so nothing would ever delete it.
        delete this;
        return;
    }
    SetTimer(kTimerRise, static_cast<UINT>(m_stepInterval));
}

int CPopupNotifier::OnCreate(LPCREATESTRUCT cs) {
    if (CFrameWnd::OnCreate(cs) == -1)
        return -1;
    // Borderless: without the caption and the sizing frame the window is all client area, so
    // it can slide from a height of one pixel.
    ModifyStyle(WS_CAPTION | WS_THICKFRAME, 0, SWP_FRAMECHANGED);
    // Both 10-point Arial, regular weight, not underlined.
    m_hoverFont.CreatePointFont(100, u"Arial");
    m_normalFont.CreatePointFont(100, u"Arial");
    m_cursor = ::LoadCursor(nullptr, IDC_ARROW);
    return 0;
}

void CPopupNotifier::MoveToHeight(int height) {
    const RECT r = Placement(m_edge, m_work, m_width, m_height, height);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_SHOWWINDOW);
}

void CPopupNotifier::OnTimer(UINT_PTR id) {
    switch (id) {
    case kTimerRise:
        ++m_currentHeight;
        if (m_currentHeight <= m_height) {
            MoveToHeight(m_currentHeight);
        } else {
            KillTimer(kTimerRise);
            SetTimer(kTimerShown, static_cast<UINT>(m_displayTime));
        }
        return;
    case kTimerShown:
        KillTimer(kTimerShown);
        SetTimer(kTimerFall, static_cast<UINT>(m_stepInterval));
        return;
    case kTimerFall: {
        const int before = m_currentHeight--;
        if (before != 1) {
            MoveToHeight(m_currentHeight);
            return;
        }
        KillTimer(kTimerFall);
        m_currentHeight = 0;
        DestroyWindow(); // PostNcDestroy deletes the object: touch nothing after this
        return;
    }
    default:
        CFrameWnd::OnTimer(id);
    }
}

void CPopupNotifier::DrawNotice(CDC* dc) {
    CFont* old = dc->SelectObject(m_hovering ? &m_hoverFont : &m_normalFont);
    CRect r = m_textRect;
    dc->DrawText(m_text, &r, DT_CENTER | DT_WORDBREAK);
    dc->SelectObject(old);
}

void CPopupNotifier::DrawNotice() {
    CClientDC dc(this);
    DrawNotice(&dc);
}

void CPopupNotifier::OnPaint() {
    CPaintDC dc(this);
    DrawNotice(&dc);
}

// A frame window's class paints the window colour behind it; the framework's plain window class
// has no brush, so the notice paints it itself.
BOOL CPopupNotifier::OnEraseBkgnd(CDC* dc) {
    CRect r;
    GetClientRect(&r);
    dc->FillSolidRect(&r, ::GetSysColor(COLOR_WINDOW));
    return TRUE;
}

void CPopupNotifier::OnSize(UINT type, int cx, int cy) {
    CFrameWnd::OnSize(type, cx, cy);
    DrawNotice();
}

void CPopupNotifier::OnMouseMove(UINT flags, CPoint pt) {
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = m_hWnd;
    tme.dwHoverTime = 1;
    ::TrackMouseEvent(&tme);
    CFrameWnd::OnMouseMove(flags, pt);
}

void CPopupNotifier::OnMouseHover(UINT, CPoint) {
    if (!m_hovering) {
        m_hovering = 1;
        DrawNotice();
    }
}

void CPopupNotifier::OnMouseLeave() {
    if (m_hovering) {
        m_hovering = 0;
        DrawNotice();
    }
}

BOOL CPopupNotifier::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
    if (hitTest == HTCLIENT) {
        ::SetCursor(m_cursor);
        return TRUE;
    }
    return CFrameWnd::OnSetCursor(wnd, hitTest, message);
}

void CPopupNotifier::OnLButtonDown(UINT, CPoint) {}
