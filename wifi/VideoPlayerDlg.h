// CVideoPlayerDlg: Wavenor's modal "Video Player". It plays one recorded MP4 through the stream
// engine into its video area, with play/pause, stop, first, previous and next chapter and last
// buttons and a trackbar (0..1000) that follows the position every 100 ms and seeks where the
// operator drops it. The caller builds it on its stack without parent, sets m_itemPath to the
// file list's item (the recording's companion picture "<video>.mp4.png") and runs it modally;
// the player drops the item path's last four characters to get the MP4.
//
// States: playing (a player, not paused, position timer running, seek buttons enabled),
// paused (seek buttons disabled), stopped (no player, timer off, trackbar at 0). The end of the
// file stops; Play then starts the file again from the beginning.
#pragma once

#include "kit/ButtonTips.h"
#include "kit/ToggleBitmapButton.h"
#include "wifi/LiveVideoWnd.h"

#include "platform/mfc/AfxCmn.h"
#include "platform/mfc/AfxWin.h"

#include <memory>

class StreamInstance;
class StreamPlayer;

class CVideoPlayerDlg : public CDialog {
public:
    CVideoPlayerDlg();
    ~CVideoPlayerDlg() override;

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    afx_msg void OnFirst();
    afx_msg void OnPrevious();
    afx_msg void OnPlayPause();
    afx_msg void OnStop();
    afx_msg void OnNext();
    afx_msg void OnLast();
    afx_msg void OnPaint();
    afx_msg void OnDestroy();
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg LRESULT OnNcHitTest(CPoint pt);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);

    // For tests: the player while one exists, and the state flags.
    const StreamPlayer* Player() const { return m_player.get(); }
    bool Started() const { return m_started; }
    bool Paused() const { return m_paused; }

    CSliderCtrl m_trackbar; // 1115
    CLiveVideoWnd m_video;  // 1113
    CString m_itemPath;     // set by the caller
    CString m_videoPath;    // m_itemPath without its last four characters

protected:
    void DoDataExchange(CDataExchange* dx) override;
    DECLARE_MESSAGE_MAP()

private:
    void SetupToolbar();
    void CreateToolTipCtrl();
    void RefreshToolTips();
    void OpenAndPlay();
    void EnableSeekButtons(BOOL enable);
    void ReleasePlayer();

    CToggleBitmapButton m_playPause;
    CBitmapButton m_stop, m_first, m_previous, m_next, m_last;
    ms::ui::ButtonTipEntry m_tips[7];
    HWND m_toolTip = nullptr;
    HDC m_backgroundDC = nullptr;
    HBITMAP m_background = nullptr;
    HGDIOBJ m_replacedBitmap = nullptr;
    HBRUSH m_videoBrush = nullptr;

    std::unique_ptr<StreamInstance> m_vlc;
    std::unique_ptr<StreamPlayer> m_player;
    long long m_length = 1; // milliseconds, as last reported
    bool m_paused = false;
    bool m_started = false;
};
