// The main window of Tessary: a modal dialog without a system caption, drawn as a skin (the
// background bitmap with its title strip), with the live preview in the middle, the thumbnail
// strip under it and 46 bitmap buttons left and right of the preview, each with a tooltip.
//
// One header; the code is in files by feature: MicroscopeDlg.cpp (construction and start-up:
// folders, settings, language, skin, tooltips, start-up timer, the calibration reminder,
// closing), MainLayout.cpp (the window frame and its two layouts, normal and full screen),
// MainCapture.cpp (capture commands, the capture window bound to the preview 1000, the
// snapshot switch, Preview, Camera, Clock and Setting), MainDevice.cpp (device start,
// reconnection, shut-down), MainInput.cpp (the input hook: hot keys, timers, mouse, popups,
// private messages; overlay and format commands), MainZoom.cpp (the magnification),
// MainSnapshot.cpp (the snapshot compositor and the still hand-over), MainRecord.cpp (the AVI
// recording), MainExport.cpp (the exports of the live measurements), MainHelp.cpp (About
// popup, help, support), MainFiles.cpp (the thumbnail strip on the list 1002 and its file
// commands), MainLiveTools.cpp (the live measuring commands and the mouse moving a shape in
// progress), MainLiveClicks.cpp (the measuring clicks on the live picture).
#pragma once

#include "kit/Language.h"
#include "kit/ProgramPaths.h"
#include "shell/LiveTools.h"
#include "capture/LiveViewState.h"
#include "shell/SkinButtons.h"
#include "shell/StillWriter.h"

#include "capture/GrabberCallbacks.h"
#include "measure/IniTextFile.h"
#include "measure/Units.h"
#include "media/DxfDrawing.h"

#include "platform/mfc/AfxCmn.h"
#include "platform/mfc/AfxWin.h"
#include "platform/win/core/Sync.h"
#include "kit/ToggleBitmapButton.h"

#include "imaging/DibImage.h"

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// Private window messages of the main window.
#define WM_APP_CALIB_PROMPT (WM_APP + 7)
#define WM_APP_OPEN_PICTURE (WM_APP + 10)
#define WM_APP_PLAY_VIDEO (WM_APP + 11)
// Posted by the still writer when written stills wait to be listed.
#define WM_APP_STILL_WRITTEN (WM_APP + 16)

// Timers of the main window.
#define TIMER_RECONNECT 1001
#define TIMER_RECORD 1002
#define TIMER_STARTUP_PROMPT 1006

// Posted to the main window after a calibration on the live picture (the live measuring); the
// photo-measure window posts its own, WM_APP_SYNC_CALIBRATION, after one on a saved picture.
#define WM_APP_LIVE_CALIBRATED (WM_APP + 13)

// The magnifier's level, 1 to 6 (3 at start); the zoom field's clicks change it.
extern int g_zoomLevel;
// The magnification text of the last still, for its file name: empty unless it was a number.
extern WCHAR g_zoomText[24];

class CSkinMenu;
struct ExportPictureJob;

extern WCHAR g_windowTitle[128]; // the window title, also the caption of the strip's messages
// 1 while the full-screen layout is on (kept in the live view's state, which the painter reads).
inline int FullScreen() {
    return g_liveView.Snapshot().fullScreen;
}
extern int g_minimized;         // 1 after the window was minimised from the normal layout

// 1 when every character is a digit or '.', also for an empty text.
int IsNumericText(CString text);

// The road of a still picture (MainSnapshot.cpp).
extern WCHAR g_lastSnapshotPath[MAX_PATH]; // the snapshot name built by the last composition
// 1 while live measuring waits for a frozen frame: the next still is kept, not saved.
extern std::atomic<int> g_freezeRequest;

class CMicroscopeDlg : public CDialog {
public:
    explicit CMicroscopeDlg(CWnd* parent = nullptr);
    ~CMicroscopeDlg() override;

    // One entry per skinned button, in table order; the tooltip keeps a pointer to `tip`.
    struct ButtonEntry {
        HWND hwnd = nullptr;
        int id = 0;
        RECT rect{}; // window rectangle in screen coordinates, taken by the skin layout
        WCHAR tip[128]{};
    };

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    int SetupSkin();
    static HFONT CreateStockBasedFont(int width, int height, int stockObject);

    // Tooltips of the 46 buttons.
    void CreateToolTipCtrl();
    void AddToolTip(HWND button, int id, LPCWSTR text);
    void RemoveToolTip(HWND button, int id);
    void RefreshToolTips();
    void InitToolTips() { RefreshToolTips(); }

    // Language: the tooltip texts and the captions of the frames, then the tooltips.
    void LoadLangTexts();
    void SetLanguage(WORD primary, WORD subLanguage) {
        m_language.SetLanguage(primary, subLanguage);
    }

    // Device start and its states (no capture subsystem yet: no device is found).
    int StartDevice();
    int ReconnectDevice();
    void StopCapture();
    void EnableDeviceButtons();
    void DisableDeviceButtons();
    int ReleaseResources();
    int IsReleased() const { return m_released ? 1 : 0; }

    // The two right-click popups, built for one tracking; the caller deletes them. The
    // preview's: cancel, the four overlays and the snapshot format; the strip's: the file
    // actions on its selected item.
    static CSkinMenu* BuildPreviewPopup();
    static CSkinMenu* BuildStripPopup();
    void ShowPreviewPopup(POINT at);
    void ShowStripPopup(POINT at);
    // A double click on the strip's item at `path`: the path becomes the selected one; a
    // picture ("bmp", "BMP", "jpg" or "JPG") of one of the capture sizes is opened, any other
    // picture nothing; in the videos mode the recording is played. 1 when something was asked
    // for (the message is posted).
    int OpenStripItem(const WCHAR* path);
    const WCHAR* SelectedPath() const { return m_selectedPath; }

    // The magnification: 1 and m_zoomRate set when one of the two fields holds a number above
    // 0 (the calibrated field first), else the operator is asked for one and 0.
    int ReadZoomScale();
    // The live length scale and magnification of the scale bar and circle template, from
    // m_zoomRate.
    void ApplyZoomScale();
    // The text of the magnification field when it is a number (digits and points, at most
    // capacity - 1 characters), else empty: only such a text names files and calibrations.
    CString MagnificationText(int capacity);
    double ZoomRate() const { return m_zoomRate; }

    // Composes the last copied frame with the live measurements and overlays into a picture:
    // mode 0 a snapshot in the picture folder, 1 the export picture, 2 a recording's
    // thumbnail beside its AVI file; any other mode composes and saves nothing. `bits` holds
    // the rows g_frameInfo describes (g_frameBuffer itself is read under g_frameLock). While
    // g_freezeRequest is 1 the frame becomes m_frozenImage instead and the result is 0.
    // 1 when the picture was written (or, for another mode, composed); 0 when there is no
    // frame or the file could not be written. UI thread.
    int SaveSnapshot(double sampleTime, BYTE* bits, DWORD byteSize, int mode);

    // Subclasses the preview 1000 with the capture window and places it.
    void BindCaptureWindow();

    // Window frame and layouts.
    void SetFullScreenLayout();
    void SetNormalLayout();
    void FitVideoRenderer(BOOL fit);
    void SetListMode(int mode);

    // For the commands that need a button's object.
    CToggleBitmapButton* ToggleButton(int id);
    const ButtonEntry* Buttons() const { return m_buttons; }
    HWND ToolTipWindow() const { return m_toolTip; }
    LPCWSTR HelpPath() const { return m_language.m_helpPath; }
    int IsConnected() const { return m_connected; }

    CString m_scaleText; // edit 1147, at most 5 characters

    // Thumbnail strip and its file commands (MainFiles.cpp). The strip is built over the list
    // 1002 once the save folders are known, and deleted at shut-down.
    void BindThumbnailStrip();
    void ReleaseThumbnailStrip();
    // The strip's part of the input hook: a left press inside the strip selects, a double
    // click selects and opens, a right press selects and shows the file popup.
    void OnStripMouse(const MSG& msg);
    // The road of a still picture (MainSnapshot.cpp) and the capture commands (MainCapture.cpp).
    // Composes the last copied frame, read under g_frameLock; as SaveSnapshot above.
    int SaveSnapshot(int mode);
    // The still hand-over (WM_APP_STILL_CAPTURED, wParam `source`): a snapshot of the last
    // copied frame with the magnification of edit 1147 in its name; a written picture is listed
    // and makes the shutter sound (while a Camera command asked for it), and the graph restarts
    // after a still of the device's button (source 1) or during a recording.
    void OnStillCaptured(WPARAM source);
    // The stills of OnStillCaptured are encoded and written off the UI thread; these list each
    // written one (and sound and restart as above) or report its failure. FinishStills first
    // waits until every still handed over is written.
    afx_msg LRESULT OnStillWritten(WPARAM, LPARAM);
    void FinishStills();
    // The cross line, scale bar and circle template whose switches are on, in picture pixels.
    void DrawScaleBar(CDC* dc);
    // The frozen still of live measuring, owned here; null when none.
    std::unique_ptr<CDibImage> m_frozenImage;
    // Lists g_lastSnapshotPath in the thumbnail strip; set when the strip is bound.
    std::function<void()> m_listSnapshot;

    // ---- Recording (MainRecord.cpp) ----
    // The AVI command (button 1006): starts a recording after the Recorder Setting dialog or
    // stops the running one. Every press plays the record sound.
    afx_msg void OnRecord();
    // TIMER_RECORD's tick: a second counts only when at least 15 frames went into the video
    // since the last counted one.
    void OnRecordTimerTick();
    // One counted second; at the length limit the recording stops.
    void OnRecordTimer();
    // Ends a running recording where the capture is not run again at once (the Preview
    // command, shut-down): stops the graph, closes and lists the file, releases the record
    // button, stops the timer and clears the counter. 1 when a recording ran.
    int EndRecording();
    int RecordLimit() const { return m_recordLimit; }
    // The first-frame picture of the last recording handed to the strip's video list.
    LPCWSTR LastListedVideo() const { return m_listedVideo; }

private:
    void CloseRecording();
    void ListVideo(LPCWSTR thumbnail);
    // Shows why the AVI writer failed, with the file's path, when it did: `text` (the
    // language key `key`) over the path and the reason.
    void ShowRecordFailure(LPCWSTR key, LPCWSTR text);
    int m_recordLimit = 0; // counted seconds; 0 between recordings
    WCHAR m_listedVideo[MAX_PATH]{};

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
    // Strip tabs, file commands and hand-overs (MainFiles.cpp).
    afx_msg void OnShowPictures();
    afx_msg void OnShowVideos();
    afx_msg void OnFileOpen();
    afx_msg void OnFileSaveAs();
    afx_msg void OnFileSaveAll();
    afx_msg void OnFileDelete();
    afx_msg void OnFileDeleteAll();
    afx_msg void OnSendMail();
    afx_msg LRESULT OnOpenPicture(WPARAM wp, LPARAM lp);
    afx_msg LRESULT OnPlayVideo(WPARAM wp, LPARAM lp);
    // Where a picture goes to the photo-measure window and a recording to the video player.
    virtual void OpenPhotoMeasureWindow(LPCWSTR picturePath);
    virtual void RunVideoPlayer(LPCWSTR videoPath);
    // The capture bar: Preview 1014, Camera 1005 (F2), Clock 1007, Setting 1016.
    afx_msg void OnPreview();
    afx_msg void OnCamera();
    afx_msg void OnTimedCapture();
    afx_msg void OnVideoSetting();
    // A still asked for by the timed capture's worker.
    afx_msg LRESULT OnTimedSnapshot(WPARAM, LPARAM);
    // The capture window could not store the size the operator chose.
    afx_msg LRESULT OnFormatNotStored(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    void OnStartupPromptTimer();
    void ShowButtonsOfNormalLayout();
    void ShowOtherControls(int show);
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
    void OnHookTimer(UINT_PTR id);
    void TrackPreviewCursor(const POINT& pt);
    void OnSyncCalibration();
    void OnLiveCalibrated();
    // Switches one overlay that needs the magnification (scale bar, circle template).
    void ToggleScaledOverlay(int LiveViewSnapshot::*flag);

    HICON m_hIcon = nullptr;
    HDC m_skinDC = nullptr;
    HBITMAP m_skinBitmap = nullptr;
    HBITMAP m_skinOldBitmap = nullptr;
    CToggleBitmapButton m_toggleButtons[19];
    CBitmapButton m_bitmapButtons[27];
    CWnd* m_buttonObjects[kSkinButtonCount] = {}; // in table order, into the two arrays above
    RECT m_normalRect{};
    WCHAR m_windowText[128]{};
    WCHAR m_selectedPath[MAX_PATH]{};
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    ButtonEntry m_buttons[kSkinButtonCount];
    HWND m_toolTip = nullptr;
    CRITICAL_SECTION m_deviceLock;
    int m_connected = 0;
    HACCEL m_accelF2 = nullptr, m_accelF3 = nullptr, m_accelF4 = nullptr;
    HACCEL m_accelF10 = nullptr, m_accelF11 = nullptr, m_accelF12 = nullptr;
    CLanguageChoice m_language; // m_langId, m_subLangId and the help path
    COLORREF m_lineColor = 0;
    COLORREF m_measureTextColor = 0;
    LOGFONTW m_measureFont{};
    HBRUSH m_grayBrush = nullptr;
    HBRUSH m_previewBrush = nullptr;
    HCURSOR m_waitCursor = nullptr;
    HCURSOR m_previewCursor = nullptr;
    RECT m_restoreRect{};
    int m_cursorMode = 0, m_inPreview = 0, m_outPreview = 0;
    bool m_released = false;
    std::unique_ptr<StillWriter> m_stillWriter; // made with the first still
    double m_liveScale = 0.0;                   // the live length scale last applied
    // The calibrated field (1200): shown to one decimal, read back in full.
    CalibratedZoomField m_calibratedField;
    // Shows the calibrated magnification in its field; false, the field left alone, for a value
    // that is no number.
    bool ShowCalibratedZoom(double calibrated);

    // Exports of the live measurements (MainExport.cpp): buttons Excel 1009, Word 1008 and
    // CAD 1326.
public:
    int CursorMode() const { return m_cursorMode; }
    CDxfDrawing m_dxf;       // holds a drawing only during a DXF export
    double m_zoomRate = 1.0; // the magnification as last read from the magnification edits

protected:
    afx_msg void OnExportExcel();
    afx_msg void OnExportWord();
    afx_msg void OnExportDxf();

private:
    // The busy state of an export: the wait cursor and cursor mode 1 until the command ends.
    void BeginExportBusy();
    void EndExportBusy();
    // The picture of the live view with its measurements, through SaveSnapshot's export mode.
    bool RenderExportPicture(const CString& path);
    // The picture job of the spreadsheet and the report: "10000.bmp" in the program folder,
    // made by RenderExportPicture.
    ExportPictureJob ExportPicture();

    // ---- Live measuring tools (MainLiveTools.cpp) ----
public:
    LiveToolState m_live; // colours, fonts, guide dragging and the mouse of the live tools
    // The live measuring session: the tool, the shape in progress and the live view's records.
    MeasureSession m_session{LiveMeasureStore(), KindCodes::Live};
    // Releases every pressed measuring toggle button; no tool afterwards.
    void ResetToolButtons();
    // Ends the shape in progress, the rubber line and the tool, and releases the mouse capture
    // and the cursor confinement of a shape in progress. The draft and the lists stay.
    void ResetDrawingState();
    // Asks the capture side to turn the next frame into m_frozenImage.
    void RequestFreeze();
    // Destroys every live shape, undone shape and guide, empties the draft and drops the still.
    void DeleteAllShapes();
    // Adds a text shape at m_cursorPt, which the mouse then carries until the next click;
    // an empty text is refused with a message.
    void AddLiveText(CString text);
    // m_live's frame pixels per preview pixel, from the capture size.
    void UpdateImageScale();
    // The mouse at screen point `screen`, over the window or one of its children: the
    // magnifier, the point of the shape in progress that follows the mouse, a carried text, a
    // dragged guide. Called by the input hook for every mouse move.
    void OnLiveMouseMove(POINT screen);
    void PaintLiveMagnifier();
    bool FollowTextAndGuide(POINT p);
    // The magnifier's surface, made at its first update.
    CLiveMagnifierSurface m_magnifier;
    void FreeDrawingDC() { m_magnifier.Free(); }

protected:
    afx_msg void OnLineTool();
    afx_msg void OnDotLineTool();
    afx_msg void OnParallelLineTool();
    afx_msg void OnContinualLineTool();
    afx_msg void OnRectangleTool();
    afx_msg void OnPolygonTool();
    afx_msg void OnEllipseTool();
    afx_msg void OnRadiusCircleTool();
    afx_msg void OnDiameterCircleTool();
    afx_msg void OnThreePointCircleTool();
    afx_msg void OnTwoCirclesTool();
    afx_msg void OnAngleTool();
    afx_msg void OnFourPointAngleTool();
    afx_msg void OnArcTool();
    afx_msg void OnCircleLabelTool();
    afx_msg void OnSquareLabelTool();
    afx_msg void OnTextTool();
    afx_msg void OnRulerTool();
    afx_msg void OnCoordinateAngle();
    afx_msg void OnToleranceCircle();
    afx_msg void OnAutoCircleTool();
    afx_msg void OnAutoLineTool();
    afx_msg void OnAutoArcTool();
    afx_msg void OnAutoDistanceTool();
    afx_msg void OnAutoAngleTool();
    afx_msg void OnUndoShape();
    afx_msg void OnRedoShape();
    afx_msg void OnDeleteAllShapes();
    afx_msg void OnCalibrate();
    afx_msg void OnLineCalibration();
    afx_msg void OnAutoCalibration();
    afx_msg void OnMeasureSetting();
    // The typed magnification changed: the calibrated field from the calibration file.
    afx_msg void OnScaleChange();
    // The magnifier's repaint: its last picture, black before the first.
    afx_msg void OnDrawItem(int id, LPDRAWITEMSTRUCT dis);

    // ---- Live measuring clicks (MainLiveClicks.cpp) ----
public:
    // The right button's end of an automatic circle, arc or line whose edge points are
    // collected: the fitted shape and its labels go into the draft, and the next press places
    // the label. A fit that gives no shape leaves the points as they were.
    void FinishAutoShape();
    // 1 while an automatic circle, arc or line is in progress.
    int AutoShapeInProgress() const;
    // What the live tools measure with now: the unit and decimals of the settings, the
    // magnification, the preview's scale to the frame, the pen, the frozen still's edges.
    MeasureContext LiveContext() const;

protected:
    // Presses on the live picture start, continue and complete the shapes of the live tool.
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    // Completes the continual line and closes the polygon.
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    // Ends a guide's dragging.
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    // The preview's cursor while the mouse is over the preview.
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    // Drops the shape in progress and the tool (the preview popup's "Cancel").
    afx_msg void OnCancelShape();

private:
    void GrabGuideAt(POINT p);
    bool FirstPress(POINT p, CPoint point);
    void LaterPress(POINT p);
    // Acts on what the session answered a press at p: holds or frees the mouse, runs the
    // calibration or the ruler's dialog, ends a completed shape.
    void TakePress(const PressOutcome& outcome, POINT p);
    // The Length-Line dialog after the ruler's presses, the second at p.
    void RulerDialog(POINT p);
    // Asks for the real length of a measured distance V (unit scale x 10 x pixels) and
    // calibrates the magnification with it; the draft's label then reads V under the new
    // magnification. Cancelled, the shape in progress is dropped.
    void CalibrateLiveDistance(double V);
    // After a shape became a record: the rubber band erased, the mouse freed, a calibration
    // whose label this was ended with its tool.
    void ShapeCompleted();
    // Drops the shape in progress (its clicks, the draft, the mouse); the tool stays when asked.
    void DropShapeInProgress(bool keepTool);
    // The mouse captured and the cursor kept in the preview while a shape is drawn.
    void HoldMouse();
    void ReleaseMouse();
    // The frozen still's edges for the automatic tools; made at the first LiveContext.
    mutable std::unique_ptr<EdgeFinder> m_stillEdges;

    void ChooseToggleTool(int button, int tool);
    void ChooseOtherTool(int tool, bool checkZoom, bool freeze, bool emptyDraft);
    void StartCalibration(int button, int tool, bool resetCounters);
    // The draft takes the current pen, colours and the tool's kind.
    void SetDraft(int tool, bool withTextColor = true);
    void DrawRubberBand();
    void EraseRubberBand();
    std::vector<POINT> m_rubberDrawn; // what the UI thread drew into the preview, for erasing
};
