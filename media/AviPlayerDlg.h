// CAviPlayerDlg: Tessary's modal video player. A caption-less skinned dialog that plays one
// recording through a CPlaybackGraph inside its video static, with first, back 2 s, stop,
// play, forward 2 s, last and close buttons and a position slider (0..1000) that follows the
// position and seeks when dragged. The caller stops the live capture, builds the dialog on its
// stack without parent, sets m_filePath and the main window (SetMainWindow) and runs it
// modally; the close button asks the main window to restart the capture.
#pragma once

#include "media/PlaybackGraph.h"
#include "kit/ToggleBitmapButton.h"
#include "kit/ButtonTips.h"

#include "platform/mfc/AfxCmn.h"
#include "platform/mfc/AfxWin.h"

#include <memory>

// The main window's timer whose expiry restarts the capture; the player arms it on close.
inline constexpr UINT_PTR kRestartCaptureTimer = 1001;
inline constexpr UINT_PTR TIMER_PLAYER_POSITION = 100;
// The window class of the video area in the player's template.
inline constexpr LPCWSTR kPlayerVideoClass = u"TessaryPlayerVideo";

class CAviPlayerDlg : public CDialog {
public:
    CAviPlayerDlg();
    ~CAviPlayerDlg() override;

    void SetMainWindow(HWND mainWindow) { m_mainWindow = mainWindow; }

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL DestroyWindow() override;

    afx_msg void OnPlay();
    afx_msg void OnPause();
    afx_msg void OnStop();
    afx_msg void OnOpen();
    afx_msg void OnFirst();
    afx_msg void OnBack();
    afx_msg void OnForward();
    afx_msg void OnLast();
    afx_msg void OnCloseButton();
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg LRESULT OnPlaybackEvent(WPARAM code, LPARAM);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg LRESULT OnNcHitTest(CPoint pt);

    // The graph while one exists (tests look at its position and state).
    CPlaybackGraph* Graph() const { return m_graph.get(); }

    CSliderCtrl m_slider;
    CWnd m_video;
    WCHAR m_filePath[MAX_PATH]{};

protected:
    void DoDataExchange(CDataExchange* dx) override;
    DECLARE_MESSAGE_MAP()

private:
    void SetupToolbar();
    void CreateToolTipCtrl();
    void RefreshToolTips();
    void OpenFile();
    void CloseGraph();
    // Seeks to `seconds`, held within 0 and the duration.
    void SeekTo(double seconds);
    double Position() const;
    double Duration() const;
    void StartPositionTimer();

    std::unique_ptr<CPlaybackGraph> m_graph;
    UINT_PTR m_timer = 0;
    CToggleBitmapButton m_play, m_stop, m_pause, m_first, m_back, m_forward, m_last, m_close;
    ms::ui::ButtonTipEntry m_tips[8];
    HWND m_toolTip = nullptr;
    HWND m_mainWindow = nullptr;
    WCHAR m_title[30]{};
};
