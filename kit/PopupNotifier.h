// A small borderless, topmost window that slides out of the work area's edge next to the task
// bar, shows one text for a while, slides back and deletes itself: a tray-style notice.
// Each slide step grows or shrinks the window by one pixel; a slide therefore takes `height`
// steps of the step interval each way, with the display time between. Hovering changes
// nothing of the timing.
#pragma once

#include "platform/mfc/AfxWin.h"

class CPopupNotifier : public CFrameWnd {
public:
    // Where the task bar is, judged from the work area.
    enum EdgeState {
        kTaskBarBottom = 200,
        kTaskBarTop = 201,
        kTaskBarOther = 202, // right, hidden or absent: placed as at the bottom
        kTaskBarLeft = 203,
    };
    enum TimerId : UINT_PTR { kTimerRise = 100, kTimerFall = 101, kTimerShown = 102 };

    CPopupNotifier(LPCWSTR text, int width, int height, int displayTimeMs, int stepIntervalMs,
                   const RECT& textRect, CWnd* parent);
    // A notifier on the heap; it deletes itself once it has slid back.
    static CPopupNotifier* CreateNotifier(LPCWSTR text, int width, int height, int displayTimeMs,
                                          int stepIntervalMs, const RECT& textRect, CWnd* parent);

    // Chooses the edge, creates the window and starts the slide.
    void Show();

    // The edge for a work area on a screen of the given size: bottom, then top, then left are
    // tested; anything else is kTaskBarOther.
    static int ChooseEdge(const RECT& work, int screenWidth, int screenHeight);
    // The window rectangle at `currentHeight` for the edge, the work area and the full size.
    static RECT Placement(int edge, const RECT& work, int width, int height, int currentHeight);

    int EdgeStateNow() const { return m_edge; }
    int CurrentHeight() const { return m_currentHeight; }

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnMouseMove(UINT flags, CPoint pt);
    afx_msg void OnMouseHover(UINT flags, CPoint pt);
    afx_msg void OnMouseLeave();
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg void OnLButtonDown(UINT flags, CPoint pt);
    DECLARE_MESSAGE_MAP()

private:
    void DrawNotice(CDC* dc);
    void DrawNotice();
    void MoveToHeight(int height);

    int m_width;
    int m_height;
    int m_displayTime;
    int m_stepInterval;
    RECT m_work{};
    int m_currentHeight = 0;
    int m_edge = kTaskBarBottom;
    CString m_text;
    CWnd* m_parent; // borrowed: the owner given at creation
    CRect m_textRect;
    CFont m_hoverFont;
    CFont m_normalFont;
    int m_hovering = 0;
    HCURSOR m_cursor = nullptr;
};
