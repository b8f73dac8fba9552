// The main window of Wavenor: a modal dialog of 835 x 610 pixels with a menu bar, a strip of
// capture buttons, the effect and measuring-tool buttons, the magnification and calibration
// edits, the video area, the file list with its two tabs and three status lines.
//
// One header; the code is in files by feature: WifiMicroscopeDlg.cpp (construction,
// start-up, input hook, timers, enable sets, magnification and calibration, closing),
// WifiMainLayout.cpp (layout, resizing, painting, colours, list tabs), WifiMainMenus.cpp
// (menus, texts, tooltips, language commands). The live stream, the file list and the
// commands behind most buttons come with their own features.
#pragma once

#include "kit/ToggleBitmapButton.h"
#include "wifi/LiveVideoWnd.h"
#include "wifi_measure/StillMessages.h"

#include "measure/IniTextFile.h"

#include "platform/mfc/AfxCmn.h"
#include "platform/mfc/AfxWin.h"

#include <memory>
#include <string>

class CDibImage;
class CFileListView;
class CStillMeasureView;
class StreamInstance;
class StreamPlayer;

// Private window messages of Wavenor.
#define WM_APP_TAKE_PICTURE (WM_APP + 1)
#define WM_APP_SHOW_PICTURE (WM_APP + 3)
#define WM_APP_SHOW_VIDEO (WM_APP + 4)
// WM_APP + 5 and WM_APP + 6 are the still view's (wifi_measure/StillMessages.h).
#define WM_APP_CANVAS_CALIBRATED (WM_APP + 7)
// Messages of the sibling snapshot program.
#define WM_SNAPSHOT_TAKE_PICTURE 4004
#define WM_SNAPSHOT_CLOSE 4005

// Timers of Wavenor.
#define TIMER_RECORD_TICK 368
#define TIMER_MAIL_START 369
#define TIMER_STREAM_RESTART 370
#define TIMER_FIRST_FRAME 371
#define TIMER_VLC_POSITION 10000

class CWifiMicroscopeDlg : public CDialog {
public:
    explicit CWifiMicroscopeDlg(CWnd* parent = nullptr);
    ~CWifiMicroscopeDlg() override;

    // One record per button with a tooltip, in the tooltip table's order.
    struct ButtonTip {
        HWND hwnd = nullptr;
        int id = 0;
        RECT rect{}; // the button's window rectangle in screen coordinates, taken at start-up
        WCHAR tip[128]{};
    };
    static constexpr int kButtonTipCount = 25;

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // ---- Layout (WifiMainLayout.cpp) ----
    void LayoutControls();
    // The video size line and the tips line at the bottom of the client area.
    void UpdateStatusTexts();
    void SetListMode(int mode); // 1 pictures, 0 videos

    // ---- Enable sets ----
    void EnableCaptureButtons();
    void DisableCaptureButtons();
    void EnableToolButtons();
    void DisableToolButtons();
    void ResetEffectButtons();
    void ResetToolButtons();

    // ---- Menus, texts and tooltips (WifiMainMenus.cpp) ----
    void BuildMenus();
    void LoadLangTexts();
    void LoadFileMenuTexts();
    void RefreshToolTips();
    void CreateToolTipCtrl();
    void AddToolTip(HWND button, int id, LPCWSTR text);
    void RemoveToolTip(HWND button, int id);
    void SetLanguage(WORD language, WORD subLanguage);

    // The language commands, one per row of kWifiLanguageCommands.
    void OnLangEnglish() { OnLanguageCommand(1173); }
    void OnLangChineseSimplified() { OnLanguageCommand(1174); }
    void OnLangRussian() { OnLanguageCommand(1175); }
    void OnLangJapanese() { OnLanguageCommand(1176); }
    void OnLangKorean() { OnLanguageCommand(1177); }
    void OnLangGerman() { OnLanguageCommand(1178); }
    void OnLangChineseTraditional() { OnLanguageCommand(1179); }
    void OnLangPortuguese() { OnLanguageCommand(32826); }
    void OnLangTurkish() { OnLanguageCommand(32827); }

    // ---- Magnification and calibration ----
    // The magnification for the measuring tools from the calibration edit 1205, or from the
    // magnification edit 1112 (always while calibrating); into g_zoomScale and
    // g_calibrationZoom. FALSE when neither holds a number above 0.
    BOOL ReadZoomScale();

    // ---- Live view and snapshots (WifiLiveView.cpp) ----
    // (Re)starts the stream with a new instance, media and player; while recording, the
    // player also writes a new MP4 file.
    void StartLiveView();
    void StopLiveView();
    // A PNG of the current frame in the picture folder, listed with the shutter sound.
    void TakeSnapshot();

    // ---- Frozen frame and picture effects (WifiStillCommands.cpp) ----
    // FALSE freezes: the current frame into "tempImage.png" of the data folder, shown by a
    // still view over the video area while the stream plays on behind it (a view that exists
    // is kept). TRUE unfreezes: the still view goes and the video area shows again. Nothing
    // happens unless the stream plays.
    void FreezeLiveImage(BOOL unfreeze);
    void OnMirror();
    void OnFlip();
    void OnNegative();
    void OnBinarize();
    void OnRedChannel();
    void OnGreenChannel();
    void OnBlueChannel();
    // The frozen frame's view, or null while the live picture shows.
    CStillMeasureView* StillView() const { return m_stillView.get(); }

    // ---- Recording (WifiRecording.cpp) ----
    void OnRecord();
    void OnRecordTick();
    // The companion picture "<m_videoPath>.png" of the recording whose file just closed,
    // listed among the videos.
    void AddRecordingThumbnail();

    // ---- Camera settings (WifiCameraSettings.cpp) ----
    // One request to the camera; "set format error" over this window when it fails.
    void SendCameraRequest(const std::string& url);
    void OnDeviceSetting();
    void OnResolution640x480();
    void OnResolution1280x1024();

    // ---- File commands and outside links (WifiFileCommands.cpp) ----
    // The file list's selected item into `path` (MAX_PATH characters): kVideoItem when it comes
    // from the list of recordings, kPictureItem from the list of pictures, 0 (path untouched)
    // when nothing is selected.
    enum { kPictureItem = 1, kVideoItem = 2 };
    virtual int SelectedListItem(WCHAR* path);
    void OnEmail();
    void OnFavorite();
    void OnHelpPage();
    void OnStartSnapshotProgram();
    // The sibling snapshot program's request: a snapshot when the stream plays; always 1.
    LRESULT OnSnapshotProgramRequest(WPARAM, LPARAM);

    // Where a new snapshot and a new recording's companion picture are listed: appended to
    // the file list.
    virtual void ListPicture(LPCWSTR path);
    virtual void ListVideo(LPCWSTR companionPath);

    // ---- File list and its commands (WifiFileList.cpp) ----
    void OnSave();
    void OnFileOpen();
    void OnFileDelete();
    void OnFileDeleteAll();

    // ---- Timed capture (WifiTimedCapture.cpp) ----
    void OnTimedCapture();

    // The stream, for the features that work on its frames and for tests.
    const StreamPlayer* Player() const { return m_vlcPlayer.get(); }

    // For the features that work on the buttons and menus, and for tests.
    CToggleBitmapButton* ToggleButton(int id);
    CBitmapButton* BitmapButton(int id);
    const ButtonTip* ButtonTips() const { return m_buttons; }
    HWND ToolTipWindow() const { return m_toolTip; }
    HMENU MenuBar() const { return m_menuBar.m_hMenu; }
    HMENU ListMenu() const { return m_listMenu; }
    HBRUSH MenuBrush() const { return m_menuBrush; }

    CString m_magnification; // edit 1112, at most 5 characters
    WCHAR m_selectedPath[MAX_PATH]{};
    WCHAR m_videoPath[MAX_PATH]{};
    int m_recordLimit = 0; // seconds, or 0x7FFFFFFF without a limit
    int m_recordTicks = 0; // seconds counted in the running recording
    CString m_exeFolder;

protected:
    void DoDataExchange(CDataExchange* dx) override;

    afx_msg void OnSysCommand(UINT id, LPARAM lp);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnClose();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    afx_msg void OnPictureTab();
    afx_msg void OnVideoTab();
    afx_msg void OnMagnificationChange();
    afx_msg void OnLanguageCommand(UINT id);
    afx_msg void OnAbout();
    afx_msg LRESULT OnShowPicture(WPARAM, LPARAM);
    afx_msg LRESULT OnShowVideo(WPARAM, LPARAM);
    // The measurement Setting dialog (WifiMeasureCommands.cpp).
    afx_msg void OnMeasureSetting();
    // ---- Measuring on the frozen frame (WifiMeasureCommands.cpp) ----
    // A tool button: the magnification read (or "Please enter magnification!" and nothing
    // more), the live frame frozen, then the tool chosen, or none when its button was down.
    void OnToolButton(int buttonId);
    afx_msg void OnToolLine();
    afx_msg void OnToolFoldLine();
    afx_msg void OnToolDotLine();
    afx_msg void OnToolPolygon();
    afx_msg void OnToolRadiusCircle();
    afx_msg void OnToolDiameterCircle();
    afx_msg void OnToolThreePointCircle();
    afx_msg void OnToolArc();
    afx_msg void OnToolAngle();
    afx_msg void OnToolFourPointAngle();
    // The next line calibrates, measured under the magnification edit's value.
    afx_msg void OnCalibrate();
    // The Other popup: Undo, Redo, Delete All, Settings.
    afx_msg void OnOtherMenu();
    // The newest item to the redo list; with no item, the picture and its previous copy swap.
    afx_msg void OnUndo();
    // The newest taken-back item back; with none, the picture and its previous copy swap.
    afx_msg void OnRedo();
    // Both lists emptied; with both empty, the picture as loaded comes back.
    afx_msg void OnDeleteAllMeasurements();
    DECLARE_MESSAGE_MAP()

private:
    void AttachButtons();
    void RelayOut(bool maximized);
    void PlaceList(int height);
    void StoreCalibration();
    void CreateFileList();
    void ReleaseFileList();
    // After the list control changed size: its surfaces go and the next paint lays it out.
    void FileListResized();
    void OnFileListMouse(const MSG& msg);
    // Posts the request that opens m_selectedPath: the photo-measure window for a picture,
    // the player for a recording.
    void PostOpenMessage();
    // The effect commands' first step: a live stream is frozen (state 3 once a view shows).
    void FreezeWhenLive();
    // Builds the still view on "tempImage.png" over the placeholder's rectangle, in
    // g_stillViewMode; false when the window could not be made.
    bool CreateStillView();
    void DestroyStillView();
    // Mirror, flip, negative and binary segmentation: a second press of a pressed button only
    // releases it; otherwise the operation works on the current picture.
    void ApplyEffect(int buttonId, bool (*operation)(CDibImage&));
    // Red, green and blue: the frozen frame as loaded, shown through the chosen channels.
    void ToggleChannel(int buttonId, int bit);
    // The frozen frame with its measurements through the save dialog (PNG or JPEG).
    void SaveFrozenFrame();
    // The current frame as a PNG at `path`: the library's snapshot, or while it cannot take one
    // (recording) the last frame handed over; whether a non-empty file is there afterwards.
    bool WriteCurrentFrame(const std::u16string& path);
    // Whether the list has a selected item; if not, the "SelectFile" text is shown, in a box
    // of this type with the caption "Wavenor", or in the framework's box when 0.
    bool SelectedOrTold(UINT boxType);
    // The calibrated field (1205): shown to one decimal, read back in full.
    CalibratedZoomField m_calibratedField;
    void SetMenuTexts(HMENU bar, bool afterLanguageChange);
    void LoadToolTipTexts(bool afterLanguageChange);
    void ReleaseResources();
    // Stops and releases the player; a recording it wrote is complete then and gets its
    // companion picture.
    void ReleasePlayer();
    // The player's video size into g_captureWidth and g_captureHeight; false (nothing
    // changed) while it is not known.
    bool ReadVideoSize();

    HICON m_hIcon = nullptr;
    CBitmapButton m_bitmapButtons[8];
    CToggleBitmapButton m_toggleButtons[20];
    ButtonTip m_buttons[kButtonTipCount];
    HWND m_toolTip = nullptr;

    CMenu m_menuBar;
    HMENU m_fileMenu = nullptr, m_settingMenu = nullptr, m_captureMenu = nullptr,
          m_helpMenu = nullptr;
    CMenu m_listMenuOwner; // menu 357; m_listMenu is its popup 0
    HMENU m_listMenu = nullptr;
    HBRUSH m_menuBrush = nullptr;

    HACCEL m_accel[5] = {};
    std::unique_ptr<StreamInstance> m_vlcInstance;
    std::unique_ptr<StreamPlayer> m_vlcPlayer;
    bool m_playerRecords = false; // the player writes m_videoPath
    CLiveVideoWnd m_videoWnd;     // static 1000
    BYTE m_playing = 0;
    int m_sizeFrom = 1, m_sizeTo = 1;
    HBRUSH m_videoBrush = nullptr;
    HBRUSH m_dialogBrush = nullptr;
    bool m_released = false;
    std::unique_ptr<CFileListView> m_fileList; // g_fileListView while it lives
    std::unique_ptr<CStillMeasureView> m_stillView;
};
