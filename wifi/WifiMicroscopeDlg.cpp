// The main window: construction, start-up, the input hook with its hot keys, timers and
// private messages, the enable sets, the magnification and calibration edits, and closing.
// Layout, painting and resizing are in WifiMainLayout.cpp; menus, texts and tooltips in
// WifiMainMenus.cpp.
#include "wifi/WifiMicroscopeDlg.h"

#include "wifi/CameraRequest.h"
#include "wifi/FileListView.h"
#include "wifi/StreamInstance.h"
#include "wifi/StreamPlayer.h"
#include "wifi/WifiButtons.h"
#include "wifi/WifiGlobals.h"
#include "wifi/WifiLanguage.h"
#include "wifi/WifiSettings.h"

#include "wifi_measure/StillMeasureView.h"

#include "measure/IniTextFile.h"
#include "kit/LangText.h"

#include "platform/win/core/Format.h"
#include "platform/win/core/Locale.h"
#include "platform/win/core/WString.h"
#include "platform/win/window/UserWindows.h"
#include "res/WavenorResource.h"

#include <cmath>

BEGIN_MESSAGE_MAP(CWifiMicroscopeDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_SIZE()
ON_WM_CLOSE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_QUERYDRAGICON()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(IDC_PREVIEW, StartLiveView)
ON_COMMAND(IDC_CAMERA, TakeSnapshot)
ON_COMMAND(IDC_AVI, OnRecord)
ON_COMMAND(IDC_SETTING, OnDeviceSetting)
ON_COMMAND(IDC_CLOCK, OnTimedCapture)
ON_COMMAND(IDC_SAVE, OnSave)
ON_BN_CLICKED(IDC_MIRROR, OnMirror)
ON_BN_CLICKED(IDC_FLIP, OnFlip)
ON_BN_CLICKED(IDC_NEGATIVE, OnNegative)
ON_BN_CLICKED(IDC_BINARY, OnBinarize)
ON_BN_CLICKED(IDC_RED, OnRedChannel)
ON_BN_CLICKED(IDC_GREEN, OnGreenChannel)
ON_BN_CLICKED(IDC_BLUE, OnBlueChannel)
ON_COMMAND(ID_FILE_SAVE_AS, OnSave)
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_COMMAND(ID_FILE_DELETE, OnFileDelete)
ON_COMMAND(ID_FILE_DELETE_ALL, OnFileDeleteAll)
ON_MESSAGE(WM_APP_SHOW_PICTURE, OnShowPicture)
ON_MESSAGE(WM_APP_SHOW_VIDEO, OnShowVideo)
ON_COMMAND(ID_MEASURE_SETTING, OnMeasureSetting)
ON_BN_CLICKED(IDC_TOOL_LINE, OnToolLine)
ON_BN_CLICKED(IDC_TOOL_CONTINUOUS, OnToolFoldLine)
ON_BN_CLICKED(IDC_TOOL_POINT_LINE, OnToolDotLine)
ON_BN_CLICKED(IDC_TOOL_POLYGON, OnToolPolygon)
ON_BN_CLICKED(IDC_TOOL_RADIUS_CIRCLE, OnToolRadiusCircle)
ON_BN_CLICKED(IDC_TOOL_DIAMETER_CIRCLE, OnToolDiameterCircle)
ON_BN_CLICKED(IDC_TOOL_THREE_POINT_CIRCLE, OnToolThreePointCircle)
ON_BN_CLICKED(IDC_TOOL_ARC, OnToolArc)
ON_BN_CLICKED(IDC_TOOL_ANGLE, OnToolAngle)
ON_BN_CLICKED(IDC_TOOL_FOUR_POINT_ANGLE, OnToolFourPointAngle)
ON_BN_CLICKED(IDC_CALIBRATION, OnCalibrate)
ON_BN_CLICKED(IDC_OTHER, OnOtherMenu)
ON_COMMAND(ID_UNDO, OnUndo)
ON_COMMAND(ID_REDO, OnRedo)
ON_COMMAND(ID_DELETE_MEASUREMENTS, OnDeleteAllMeasurements)
ON_COMMAND(ID_RESOLUTION_640, OnResolution640x480)
ON_COMMAND(ID_RESOLUTION_1280, OnResolution1280x1024)
ON_BN_CLICKED(IDC_PICTURE_TAB, OnPictureTab)
ON_BN_CLICKED(IDC_VIDEO_TAB, OnVideoTab)
ON_EN_CHANGE(IDC_MAGNIFICATION, OnMagnificationChange)
ON_COMMAND_RANGE(ID_LANG_ENGLISH, ID_LANG_CHINESE_TRADITIONAL, OnLanguageCommand)
ON_COMMAND_RANGE(ID_LANG_PORTUGUESE, ID_LANG_TURKISH, OnLanguageCommand)
ON_COMMAND(IDC_EMAIL, OnEmail)
ON_COMMAND(ID_FILE_EMAIL, OnEmail)
ON_COMMAND(ID_FILE_FAVORITE, OnFavorite)
ON_COMMAND(ID_START_SNAPSHOT, OnStartSnapshotProgram)
ON_COMMAND(ID_HELP_ABOUT, OnAbout)
ON_COMMAND(ID_HELP_MANUAL, OnHelpPage)
ON_MESSAGE(WM_SNAPSHOT_TAKE_PICTURE, OnSnapshotProgramRequest)
END_MESSAGE_MAP()

CWifiMicroscopeDlg::CWifiMicroscopeDlg(CWnd* parent) : CDialog(IDD_WAVENOR_MAIN, parent) {
    m_hIcon = ::LoadIcon(g_hInstance, MAKEINTRESOURCE(IDI_WAVENOR));
    m_videoBrush = CreateSolidBrush(RGB(0, 0, 0));
    m_dialogBrush = CreateSolidBrush(0xCFCFCF);
}

CWifiMicroscopeDlg::~CWifiMicroscopeDlg() {
    ReleaseResources();
    DeleteObject(m_videoBrush);
    DeleteObject(m_dialogBrush);
}

void CWifiMicroscopeDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_MAGNIFICATION, m_magnification);
    DDV_MaxChars(dx, m_magnification, 5);
}

BOOL CWifiMicroscopeDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* sysMenu = GetSystemMenu(FALSE)) {
        CString about;
        about.LoadString(IDS_ABOUTBOX);
        if (!about.IsEmpty()) {
            sysMenu->AppendMenu(MF_SEPARATOR);
            sysMenu->AppendMenu(MF_STRING, ID_ABOUT_SYSMENU, about.GetString());
        }
    }

    g_mainWnd = m_hWnd;
    // The sibling snapshot program finds the window by its title and asks it for pictures.
    ms::PublishWindow(m_hWnd, u"Wavenor", {WM_SNAPSHOT_TAKE_PICTURE});
    InitWifiFolders();
    m_exeFolder = g_paths.dataDir;

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    CreateDefaultWifiSettings();
    LoadWifiSettings();
    ChooseWifiStartupLanguage();

    LayoutControls();
    m_videoWnd.SubclassDlgItem(IDC_VIDEO, this);
    SetDlgItemText(IDC_MAGNIFICATION, u"60.0");
    BuildMenus();
    RefreshToolTips();
    DisableCaptureButtons();
    DisableToolButtons();

    constexpr UINT kAccelTables[] = {IDR_ACCEL_F2, IDR_ACCEL_F3, IDR_ACCEL_F4, IDR_ACCEL_F11,
                                     IDR_ACCEL_F12};
    for (int i = 0; i < 5; ++i)
        m_accel[i] = LoadAccelerators(g_hInstance, MAKEINTRESOURCE(kAccelTables[i]));
    return TRUE;
}

// ---- Input hook ----

BOOL CWifiMicroscopeDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_MOUSEMOVE || msg->message == WM_LBUTTONDOWN ||
        msg->message == WM_LBUTTONUP) {
        for (const ButtonTip& entry : m_buttons) {
            if (CRect(entry.rect).PtInRect(msg->pt)) {
                if (m_toolTip)
                    ::SendMessage(m_toolTip, TTM_TRACKPOSITION, 0,
                                  MAKELPARAM(msg->pt.x, msg->pt.y));
                break;
            }
        }
    }
    for (HACCEL accel : m_accel)
        if (accel && TranslateAccelerator(m_hWnd, accel, msg))
            return TRUE;

    switch (msg->message) {
    case WM_KEYDOWN:
        // The window closes only by its close command, never by Esc or Enter.
        if (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN)
            return TRUE;
        break;
    case WM_TIMER:
        if (msg->hwnd != m_hWnd)
            break;
        if (msg->wParam == TIMER_RECORD_TICK) {
            OnRecordTick();
        } else if (msg->wParam == TIMER_FIRST_FRAME) {
            // Polled until the player knows the video's size, which it learns with the first
            // frame (the library's own size query says 0 while it records).
            if (m_playing && ReadVideoSize()) {
                KillTimer(TIMER_FIRST_FRAME);
                UpdateStatusTexts();
            }
        } else if (msg->wParam == TIMER_STREAM_RESTART) {
            // A resolution change restarts the stream once one plays.
            if (m_playing && m_vlcPlayer) {
                ReadVideoSize();
                KillTimer(TIMER_STREAM_RESTART);
                StartLiveView();
            }
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        OnFileListMouse(*msg);
        break;
    case WM_APP_TAKE_PICTURE:
        // Posted by the timed capture's worker; taken like the Camera button's picture.
        if (msg->hwnd == m_hWnd)
            TakeSnapshot();
        break;
    case WM_APP_STORE_CALIBRATION:
        if (msg->hwnd == m_hWnd)
            StoreCalibration();
        break;
    default:
        break;
    }
    return CDialog::PreTranslateMessage(msg);
}

// The calibration just made: shown in edit 1205 and kept under its magnification in the
// calibration file, which is created when it does not exist yet.
void CWifiMicroscopeDlg::StoreCalibration() {
    if (!std::isfinite(g_calibrationZoom) || !std::isfinite(g_calibratedZoom))
        return;
    WCHAR magnification[64];
    swprintf(magnification, 64, u"%.1f", g_calibrationZoom);
    SetDlgItemText(IDC_CALIB_VALUE, m_calibratedField.Show(g_calibratedZoom).GetString());
    // A calibration the file did not take would be gone at the next start: the operator is
    // told while it is still in use.
    if (!::StoreCalibration(g_paths.calibIniPath, magnification, g_calibratedZoom)) {
        WCHAR text[128];
        GetLangText(u"CalibrationNotSaved", text, 128, u"The calibration could not be saved in");
        MessageBox(CString(text) + u"\n" + CString(g_paths.calibIniPath), u"",
                   MB_OK | MB_ICONEXCLAMATION);
    }
    ReadZoomScale();
}

// ---- Enable sets ----

namespace {

void EnableIds(HWND dialog, const int* ids, size_t count, BOOL enable) {
    for (size_t i = 0; i < count; ++i)
        if (HWND h = ::GetDlgItem(dialog, ids[i]))
            ::EnableWindow(h, enable);
}

template <size_t N> void EnableIds(HWND dialog, const int (&ids)[N], BOOL enable) {
    EnableIds(dialog, ids, N, enable);
}

constexpr int kOtherToolButtons[] = {IDC_CALIBRATION, IDC_OTHER};

} // namespace

void CWifiMicroscopeDlg::EnableCaptureButtons() {
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PREVIEW), TRUE);
    EnableIds(m_hWnd, kCaptureButtons, TRUE);
}

void CWifiMicroscopeDlg::DisableCaptureButtons() {
    EnableIds(m_hWnd, kCaptureButtons, FALSE);
}

void CWifiMicroscopeDlg::EnableToolButtons() {
    EnableIds(m_hWnd, kEffectButtons, TRUE);
    EnableIds(m_hWnd, kToolButtons, TRUE);
    EnableIds(m_hWnd, kOtherToolButtons, TRUE);
}

void CWifiMicroscopeDlg::DisableToolButtons() {
    EnableIds(m_hWnd, kEffectButtons, FALSE);
    EnableIds(m_hWnd, kToolButtons, FALSE);
    EnableIds(m_hWnd, kOtherToolButtons, FALSE);
}

void CWifiMicroscopeDlg::ResetEffectButtons() {
    for (int id : kResetEffectButtons)
        if (CToggleBitmapButton* b = ToggleButton(id); b && b->IsPressed())
            b->ClearPressed();
}

void CWifiMicroscopeDlg::ResetToolButtons() {
    for (int id : kToolButtons)
        if (CToggleBitmapButton* b = ToggleButton(id); b && b->IsPressed())
            b->ClearPressed();
}

CToggleBitmapButton* CWifiMicroscopeDlg::ToggleButton(int id) {
    int toggle = 0;
    for (const WifiButtonRow& row : kWifiButtons) {
        if (!row.toggle)
            continue;
        if (row.id == id)
            return &m_toggleButtons[toggle];
        ++toggle;
    }
    return nullptr;
}

CBitmapButton* CWifiMicroscopeDlg::BitmapButton(int id) {
    int plain = 0;
    for (const WifiButtonRow& row : kWifiButtons) {
        if (row.toggle)
            continue;
        if (row.id == id)
            return &m_bitmapButtons[plain];
        ++plain;
    }
    return nullptr;
}

// ---- Magnification and calibration ----

namespace {

double EditNumber(HWND dialog, int id) {
    WCHAR text[64] = {};
    ::GetDlgItemText(dialog, id, text, 64);
    return wcstod(text, nullptr);
}

bool Usable(double v) {
    return std::isfinite(v) && v > 0.0;
}

} // namespace

BOOL CWifiMicroscopeDlg::ReadZoomScale() {
    // The field shows a calibration rounded; while it does, the calibration counts in full.
    WCHAR shown[64] = {};
    ::GetDlgItemText(m_hWnd, IDC_CALIB_VALUE, shown, 64);
    double calibrated = 0.0;
    if (!m_calibratedField.Read(CString(shown), calibrated))
        calibrated = wcstod(shown, nullptr);
    const double magnification = EditNumber(m_hWnd, IDC_MAGNIFICATION);
    double value = 0.0;
    if (calibrated != 0.0)
        value = g_stillCalibrating == 1 ? magnification : calibrated;
    else
        value = magnification;
    // A magnification of 0 or below would divide every length by nothing.
    if (!Usable(value))
        return FALSE;
    g_calibrationZoom = g_zoomScale = value;
    return TRUE;
}

void CWifiMicroscopeDlg::OnMagnificationChange() {
    WCHAR text[64] = {};
    GetDlgItemText(IDC_MAGNIFICATION, text, 64);
    if (!text[0])
        return;
    CString value;
    if (!ReadCalibration(g_paths.calibIniPath, text, value))
        value.Empty();
    const double stored = wcstod(value.GetString(), nullptr);
    if (Usable(stored))
        value = m_calibratedField.Show(stored);
    SetDlgItemText(IDC_CALIB_VALUE, value.GetString());
}

// ---- Closing ----

void CWifiMicroscopeDlg::OnClose() {
    // The sibling snapshot program, when it runs, closes with the window.
    ms::SendToUserWindow(u"SNAPSHOT", WM_SNAPSHOT_CLOSE, 0, 0);
    ReleaseResources();
    CDialog::OnClose();
}

void CWifiMicroscopeDlg::ReleaseResources() {
    if (m_released)
        return;
    m_released = true;
    if (m_hWnd) {
        ms::WithdrawWindow(m_hWnd);
        KillTimer(TIMER_STREAM_RESTART);
        KillTimer(TIMER_FIRST_FRAME);
        KillTimer(TIMER_RECORD_TICK);
    }
    DestroyStillView();
    StopLiveView();
    if (m_hWnd)
        EndCameraRequests();
    ReleaseFileList();
    g_listSlotRects.clear();
    if (m_hWnd && m_menuBar.m_hMenu)
        ::SetMenu(m_hWnd, nullptr);
    m_menuBar.DestroyMenu();
    m_listMenuOwner.DestroyMenu();
    m_listMenu = nullptr;
    m_fileMenu = m_settingMenu = m_captureMenu = m_helpMenu = nullptr;
    if (m_menuBrush) {
        DeleteObject(m_menuBrush);
        m_menuBrush = nullptr;
    }
    for (HACCEL& accel : m_accel) {
        if (accel)
            DestroyAcceleratorTable(accel);
        accel = nullptr;
    }
    if (g_mainWnd == m_hWnd)
        g_mainWnd = nullptr;
}
