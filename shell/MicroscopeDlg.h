// The main window of Tessary: a modal dialog without a system caption, drawn as a skin (the
// background bitmap with its title strip), with the live preview in the middle, the thumbnail
// strip under it and 46 bitmap buttons left and right of the preview, each with a tooltip.
//
// The window keeps the message map and the start-up, frame and device handling; what has a
// state of its own lives in its own class, which the handlers forward to: the buttons and
// their tips (SkinButtonBar), the magnification (Magnification), the road of a still picture
// (StillRoad), the recording (Recorder), the live measuring (LiveMeasuring), the strip and its
// file commands (StripFiles) and the exports (LiveExports).
//
// The code is in files by feature: MicroscopeDlg.cpp (construction and start-up: folders,
// settings, language, skin, tooltips, start-up timer, the calibration reminder),
// MainLayout.cpp (the window frame and its two layouts, normal and full screen),
// MainCapture.cpp (capture commands, the capture window bound to the preview 1000, the
// snapshot switch, Preview, Camera, Clock and Setting, the still hand-over), MainDevice.cpp
// (device start, reconnection, shut-down), MainInput.cpp (the input hook: hot keys, timers,
// mouse, popups, private messages; overlay and format commands), MainHelp.cpp (About popup,
// help, support), MainFiles.cpp (the strip's pictures and recordings opened).
#pragma once

#include "kit/Language.h"
#include "kit/ProgramPaths.h"
#include "shell/LiveExports.h"
#include "shell/LiveMeasuring.h"
#include "shell/Magnification.h"
#include "shell/Recorder.h"
#include "shell/SkinButtonBar.h"
#include "shell/StillRoad.h"
#include "shell/StripFiles.h"

#include "capture/LiveViewState.h"

#include "platform/mfc/AfxCmn.h"
#include "platform/mfc/AfxWin.h"
#include "platform/win/core/Sync.h"

// Private window messages of the main window.
#define WM_APP_CALIB_PROMPT (WM_APP + 7)

// Timers of the main window.
#define TIMER_RECONNECT 1001
#define TIMER_STARTUP_PROMPT 1006

// The magnifier's level, 1 to 6 (3 at start); the zoom field's clicks change it.
extern int g_zoomLevel;

extern WCHAR g_windowTitle[128]; // the window title, also the caption of the strip's messages
// 1 while the full-screen layout is on (kept in the live view's state, which the painter reads).
inline int FullScreen() {
    return g_liveView.Snapshot().fullScreen;
}
extern int g_minimized; // 1 after the window was minimised from the normal layout

class CMicroscopeDlg : public CDialog {
public:
    explicit CMicroscopeDlg(CWnd* parent = nullptr);
    ~CMicroscopeDlg() override;

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    static HFONT CreateStockBasedFont(int width, int height, int stockObject);
    void InitToolTips() { m_skinButtons.RefreshTips(FullScreen() != 0); }
    // Language: the tooltip texts and the captions of the frames, then the tooltips.
    void LoadLangTexts();
    void SetLanguage(WORD primary, WORD subLanguage) {
        m_language.SetLanguage(primary, subLanguage);
    }

    // Device start and its states.
    int StartDevice();
    int ReconnectDevice();
    void StopCapture();
    void EnableDeviceButtons() { m_skinButtons.EnableAfterStart(); }
    int ReleaseResources();
    int IsReleased() const { return m_released ? 1 : 0; }
    int IsConnected() const { return m_connected; }

    // The road of a still picture: the last copied frame composed with the live measurements
    // and overlays (StillRoad::Save; `bits` null: the frame buffer as it is now).
    int SaveSnapshot(double, BYTE* bits, DWORD byteSize, int mode) {
        return m_stills.Save(bits, byteSize, mode);
    }
    int SaveSnapshot(int mode) { return m_stills.Save(nullptr, 0, mode); }
    // The still hand-over (WM_APP_STILL_CAPTURED, wParam `source`): a snapshot of the last
    // copied frame with the magnification of edit 1147 in its name; a written picture is listed
    // and makes the shutter sound (while a Camera command asked for it), and the graph restarts
    // after a still of the device's button (source 1) or during a recording.
    void OnStillCaptured(WPARAM source);
    // The stills handed over are encoded and written off the UI thread; these list each
    // written one or report its failure. FinishStills first waits until every still handed
    // over is written.
    afx_msg LRESULT OnStillWritten(WPARAM, LPARAM) {
        m_stills.TakeWritten(m_released);
        return 0;
    }
    void FinishStills() { m_stills.Finish(m_released); }

    // Window frame and layouts.
    void SetFullScreenLayout();
    void SetNormalLayout();
    void FitVideoRenderer(BOOL fit);
    void SetListMode(int mode);

    // The toggle button of a control id; null for another control.
    CToggleBitmapButton* ToggleButton(int id) { return m_skinButtons.Toggle(id); }
    LPCWSTR HelpPath() const { return m_language.m_helpPath; }
    // 1 while an export runs (the wait cursor), 2 while the cursor is over the preview.
    int CursorMode() const { return m_cursorMode; }
    int EndRecording() { return m_recorder.End(); }

    // The parts of the window.
    SkinButtonBar& SkinBar() { return m_skinButtons; }
    Magnification& Zoom() { return m_zoom; }
    StillRoad& Stills() { return m_stills; }
    Recorder& Recording() { return m_recorder; }
    LiveMeasuring& Measuring() { return m_measuring; }
    StripFiles& Strip() { return m_strip; }

protected:
    void DoDataExchange(CDataExchange* dx) override;

    afx_msg void OnSysCommand(UINT id, LPARAM lp);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg LRESULT OnNcHitTest(CPoint pt);
    afx_msg void OnClose();
    afx_msg void OnMinButton();
    afx_msg void OnMaxButton();
    afx_msg void OnCloseButton();
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    afx_msg BOOL OnDeviceChange(UINT event, DWORD_PTR data);
    afx_msg UINT OnPowerBroadcast(UINT event, LPARAM data);

    // About box, help and support page.
    afx_msg void OnAboutMenu();
    afx_msg void OnHelpFile();
    afx_msg BOOL OnHelpInfo(HELPINFO* info);
    afx_msg void OnUpdateWeb();
    afx_msg void OnAbout();
    afx_msg LRESULT OnCalibratePrompt(WPARAM wp, LPARAM lp);

    afx_msg void OnLanguageMenu();
    afx_msg void OnSnapshotSwitch();
    afx_msg void OnLanguageCommand(UINT id);

    // Overlay and snapshot format commands of the preview popup, and the graph's events.
    afx_msg void OnCrossLine();
    afx_msg void OnScaleBar();
    afx_msg void OnCircleOverlay();
    afx_msg void OnTimeStamp();
    afx_msg void OnFormatBmp();
    afx_msg void OnFormatJpg();
    afx_msg LRESULT OnGraphNotify(WPARAM wp, LPARAM lp);

    // Strip tabs, file commands and hand-overs.
    afx_msg void OnShowPictures() { m_strip.ShowPictures(); }
    afx_msg void OnShowVideos() { m_strip.ShowVideos(); }
    afx_msg void OnFileOpen() { m_strip.Open(); }
    afx_msg void OnFileSaveAs() { m_strip.SaveAs(); }
    afx_msg void OnFileSaveAll() { m_strip.SaveAll(); }
    afx_msg void OnFileDelete() { m_strip.Delete(); }
    afx_msg void OnFileDeleteAll() { m_strip.DeleteAll(); }
    afx_msg void OnSendMail() { m_strip.SendMail(); }
    afx_msg LRESULT OnOpenPicture(WPARAM wp, LPARAM lp);
    afx_msg LRESULT OnPlayVideo(WPARAM wp, LPARAM lp);
    // Where a picture goes to the photo-measure window and a recording to the video player.
    virtual void OpenPhotoMeasureWindow(LPCWSTR picturePath);
    virtual void RunVideoPlayer(LPCWSTR videoPath);

    // The capture bar: Preview 1014, Camera 1005 (F2), Clock 1007, Setting 1016, and the AVI
    // command 1006.
    afx_msg void OnPreview();
    afx_msg void OnCamera();
    afx_msg void OnTimedCapture();
    afx_msg void OnVideoSetting();
    afx_msg void OnRecord() { m_recorder.OnRecord(); }
    // A still asked for by the timed capture's worker.
    afx_msg LRESULT OnTimedSnapshot(WPARAM, LPARAM);
    // The capture window could not store the size the operator chose.
    afx_msg LRESULT OnFormatNotStored(WPARAM, LPARAM);

    // Exports of the live measurements: Excel 1009, Word 1008 and CAD 1326.
    afx_msg void OnExportExcel() { m_exports.ToSpreadsheet(); }
    afx_msg void OnExportWord() { m_exports.ToWord(); }
    afx_msg void OnExportDxf() { m_exports.ToDxf(); }

    // The measurement bar's buttons and the calibrate popup's commands.
    afx_msg void OnMeasureButton(UINT id) { m_measuring.OnButton(static_cast<int>(id)); }
    afx_msg void OnLineCalibration() { m_measuring.LineCalibration(); }
    afx_msg void OnAutoCalibration() { m_measuring.AutoCalibration(); }
    // The typed magnification changed: the calibrated field from the calibration file.
    afx_msg void OnScaleChange() { m_zoom.OnTypedChanged(); }
    // The magnifier's repaint.
    afx_msg void OnDrawItem(int id, LPDRAWITEMSTRUCT dis);
    // Presses on the live picture go to the live measuring.
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    // The preview's cursor while the mouse is over the preview.
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    // Drops the shape in progress and the tool (the preview popup's "Cancel").
    afx_msg void OnCancelShape() { m_measuring.Cancel(); }

    DECLARE_MESSAGE_MAP()

private:
    int SetupSkin();
    void OnStartupPromptTimer();
    void ShowOtherControls(int show);
    // Subclasses the preview 1000 with the capture window and places it.
    void BindCaptureWindow();
    // The preview's texts (the connect prompt, in full screen with the way back) while the
    // preview is a plain control that no capture window draws on.
    void ShowPreviewTexts();
    // The connect prompt and the full-screen hint in the current language, into g_liveView.
    static void LoadStatusText();
    static void LoadEscHintText();

    // Device start: enumerate, build, configure and run; `formatFailed` tells whether the
    // format step was the one that failed.
    int RunStartChain(bool* formatFailed);
    void EnterUnconnectedState();

    // Pieces of the input hook.
    void TranslateHotKeys(MSG* msg);
    void OnHookOwnMessage(const MSG& msg);
    void OnHookMouse(const MSG& msg);
    void OnHookTimer(UINT_PTR id);
    void TrackPreviewCursor(const POINT& pt);
    void ShowPreviewPopup(POINT at);
    // Switches one overlay that needs the magnification (scale bar, circle template).
    void ToggleScaledOverlay(int LiveViewSnapshot::*flag);
    // The busy state of an export: the wait cursor and cursor mode 1 until the command ends.
    void ShowExportBusy(bool busy);

    HICON m_hIcon = nullptr;
    HDC m_skinDC = nullptr;
    HBITMAP m_skinBitmap = nullptr;
    HBITMAP m_skinOldBitmap = nullptr;
    RECT m_normalRect{};
    WCHAR m_windowText[128]{};
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    CRITICAL_SECTION m_deviceLock;
    int m_connected = 0;
    HACCEL m_accelF2 = nullptr, m_accelF3 = nullptr, m_accelF4 = nullptr;
    HACCEL m_accelF10 = nullptr, m_accelF11 = nullptr, m_accelF12 = nullptr;
    CLanguageChoice m_language; // m_langId, m_subLangId and the help path
    HBRUSH m_grayBrush = nullptr;
    HBRUSH m_previewBrush = nullptr;
    HCURSOR m_waitCursor = nullptr;
    HCURSOR m_previewCursor = nullptr;
    RECT m_restoreRect{};
    int m_cursorMode = 0, m_inPreview = 0, m_outPreview = 0;
    bool m_released = false;
    CString m_scaleText; // edit 1147, at most 5 characters

    SkinButtonBar m_skinButtons;
    Magnification m_zoom{*this};
    StillState m_stillState; // what the still road shares with the live measuring
    StillRoad m_stills{*this, m_stillState};
    Recorder m_recorder;
    LiveMeasuring m_measuring;
    StripFiles m_strip;
    LiveExports m_exports;
};
