#include "wifi/LiveVideoWnd.h"

#include "wifi/StreamPlayer.h"

#include "platform/win/gdi/Gdi.h"

void CLiveVideoWnd::SetPlayer(const StreamPlayer* player) {
    m_player = player;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CLiveVideoWnd::ShowsFrame() const {
    return m_player && m_player->FrameCount() > 0;
}

LRESULT CLiveVideoWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_SETTEXT: {
        const LRESULT result = CWnd::WindowProc(msg, wp, lp);
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return result;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        if (!m_player || !m_player->PaintFrame(dc, client)) {
            // No picture yet: the area's text in the colours its parent gives it.
            HWND parent = ::GetParent(m_hWnd);
            HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(::SendMessage(
                                        parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                        reinterpret_cast<LPARAM>(m_hWnd)))
                                  : nullptr;
            ::FillRect(dc, &client,
                       brush ? brush : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            WCHAR text[256] = {};
            ::GetWindowText(m_hWnd, text, 256);
            ::SetBkMode(dc, TRANSPARENT);
            ::DrawText(dc, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    default:
        return CWnd::WindowProc(msg, wp, lp);
    }
}
