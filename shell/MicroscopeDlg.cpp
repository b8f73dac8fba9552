// The main window: construction, start-up, skin layout, tooltips and texts. Its other
// features have their own files: the frame and layouts in MainLayout.cpp, the capture
// commands in MainCapture.cpp, the About popup, help and support commands in MainHelp.cpp, the
// device and shut-down in MainDevice.cpp, the input hook in MainInput.cpp.
#include "shell/MicroscopeDlg.h"

#include "kit/LangText.h"
#include "kit/LanguagePopup.h"
#include "kit/RegistrySettings.h"
#include "kit/SaveFolders.h"
#include "shell/CalibratePromptDlg.h"

#include "capture/CaptureWnd.h"
#include "capture/TimedSnapshot.h"
#include "shell/ThumbnailStrip.h"

#include "measure/MeasureSettings.h"
#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/Locale.h"
#include "platform/win/core/Registry.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"
#include "res/TessaryResource.h"

#include <cstddef>
#include <string>
#include <utility>

WCHAR g_windowTitle[128];

void CMicroscopeDlg::LoadStatusText() {
    std::u16string text =
        LangString(u"ConnectMsg", u"Please connect Dorvex Digital Microscope", 128);
    g_liveView.Change([&](LiveViewSnapshot& s) { s.statusText = std::move(text); });
}

void CMicroscopeDlg::LoadEscHintText() {
    std::u16string text = LangString(u"EscRestore", u"ESC Restore", 64);
    g_liveView.Change([&](LiveViewSnapshot& s) { s.escHintText = std::move(text); });
}

namespace {

// The tooltip structure without its trailing parameter, as the tooltip registrations pass it.

struct ControlPlace {
    int id, x, y, cx, cy;
};
constexpr ControlPlace kControlPlaces[] = {
    {IDC_FRAME_MEASURE, 744, 56, 111, 175},    {IDC_FRAME_AUTO, 744, 232, 111, 100},
    {IDC_FRAME_COMPARISON, 743, 333, 112, 60}, {IDC_FRAME_CALIBRATION, 743, 442, 112, 88},
    {IDC_SCALE_LABEL, 747, 465, 52, 20},       {IDC_SCALE, 800, 462, 52, 24},
    {IDC_CALIBRATED, 750, 495, 52, 24},        {IDC_ZOOM_FIELD, 738, 530, 120, 120},
};

} // namespace

BEGIN_MESSAGE_MAP(CMicroscopeDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_CLOSE()
ON_COMMAND(ID_ABOUT_BOX, OnAbout)
ON_COMMAND(ID_HELP_FILE, OnHelpFile)
ON_MESSAGE(WM_APP_CALIB_PROMPT, OnCalibratePrompt)
ON_COMMAND_RANGE(ID_LANG_ENGLISH, ID_LANG_ENGLISH, OnLanguageCommand)
ON_COMMAND_RANGE(ID_LANG_CHINESE_SIMPLIFIED, ID_LANG_CHINESE_SIMPLIFIED, OnLanguageCommand)
ON_COMMAND_RANGE(ID_LANG_JAPANESE, ID_LANG_JAPANESE, OnLanguageCommand)
ON_COMMAND_RANGE(ID_LANG_KOREAN, ID_LANG_KOREAN, OnLanguageCommand)
ON_COMMAND_RANGE(ID_LANG_THAI, ID_LANG_THAI, OnLanguageCommand)
ON_COMMAND_RANGE(ID_LANG_TURKISH, ID_LANG_TURKISH, OnLanguageCommand)
ON_COMMAND_RANGE(ID_LANG_GERMAN, ID_LANG_GERMAN, OnLanguageCommand)
ON_COMMAND_RANGE(ID_LANG_PORTUGUESE, ID_LANG_PORTUGUESE, OnLanguageCommand)
ON_COMMAND_RANGE(ID_LANG_BULGARIAN, ID_LANG_BULGARIAN, OnLanguageCommand)
ON_COMMAND_RANGE(ID_LANG_RUSSIAN, ID_LANG_RUSSIAN, OnLanguageCommand)
ON_COMMAND_RANGE(ID_LANG_CHINESE_TRADITIONAL, ID_LANG_CHINESE_TRADITIONAL, OnLanguageCommand)
ON_COMMAND_RANGE(ID_LANG_PERSIAN, ID_LANG_PERSIAN, OnLanguageCommand)
ON_WM_NCHITTEST()
ON_BN_CLICKED(IDC_BTN_MINIMIZE, OnMinButton)
ON_BN_CLICKED(IDC_BTN_CLOSE, OnCloseButton)
ON_BN_CLICKED(IDC_BTN_FULL_SCREEN, OnMaxButton)
ON_BN_CLICKED(IDC_BTN_LANGUAGE, OnLanguageMenu)
ON_BN_CLICKED(IDC_BTN_SNAPSHOT_SWITCH, OnSnapshotSwitch)
ON_BN_CLICKED(IDC_BTN_RECORD, OnRecord)
ON_BN_CLICKED(IDC_BTN_ABOUT, OnAboutMenu)
ON_WM_CTLCOLOR()
ON_COMMAND(ID_UPDATE_WEB, OnUpdateWeb)
ON_WM_HELPINFO()
ON_WM_DEVICECHANGE()
ON_WM_POWERBROADCAST()
// The preview popup's overlay and format commands, the capture graph's events.
ON_COMMAND(ID_OVERLAY_CROSS_LINE, OnCrossLine)
ON_COMMAND(ID_OVERLAY_SCALE_BAR, OnScaleBar)
ON_COMMAND(ID_OVERLAY_CIRCLE, OnCircleOverlay)
ON_COMMAND(ID_OVERLAY_TIME, OnTimeStamp)
ON_COMMAND(ID_FORMAT_BMP, OnFormatBmp)
ON_COMMAND(ID_FORMAT_JPG, OnFormatJpg)
ON_MESSAGE(WM_APP_GRAPH_EVENT, OnGraphNotify)
// Thumbnail strip: tabs, file commands and hand-overs (MainFiles.cpp).
ON_BN_CLICKED(IDC_BTN_SHOW_PICTURES, OnShowPictures)
ON_BN_CLICKED(IDC_BTN_SHOW_VIDEOS, OnShowVideos)
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
ON_COMMAND(ID_FILE_SAVE_ALL, OnFileSaveAll)
ON_COMMAND(ID_FILE_DELETE, OnFileDelete)
ON_COMMAND(ID_FILE_DELETE_ALL, OnFileDeleteAll)
ON_COMMAND(ID_FILE_SEND_MAIL, OnSendMail)
ON_MESSAGE(WM_APP_OPEN_PICTURE, OnOpenPicture)
ON_MESSAGE(WM_APP_PLAY_VIDEO, OnPlayVideo)
// Exports of the live measurements.
ON_BN_CLICKED(IDC_BTN_EXPORT_EXCEL, OnExportExcel)
ON_BN_CLICKED(IDC_BTN_EXPORT_WORD, OnExportWord)
ON_BN_CLICKED(IDC_BTN_EXPORT_DXF, OnExportDxf)
ON_BN_CLICKED(IDC_BTN_PREVIEW, OnPreview)
ON_BN_CLICKED(IDC_BTN_CAMERA, OnCamera)
ON_BN_CLICKED(IDC_BTN_TIMER, OnTimedCapture)
ON_BN_CLICKED(IDC_BTN_VIDEO_SETTING, OnVideoSetting)
ON_MESSAGE(WM_APP_TIMED_SNAPSHOT, OnTimedSnapshot)
ON_MESSAGE(WM_APP_FORMAT_NOT_STORED, OnFormatNotStored)
ON_MESSAGE(WM_APP_STILL_WRITTEN, OnStillWritten)
// Live measuring: the measurement bar's buttons, the calibrate popup, the typed magnification,
// the magnifier, the presses on the live picture, the preview's cursor and the popup's Cancel.
#define ON_MEASURE_BUTTON(id) ON_CONTROL_RANGE(BN_CLICKED, id, id, OnMeasureButton)
ON_MEASURE_BUTTON(IDC_BTN_LINE)
ON_MEASURE_BUTTON(IDC_BTN_DOT_LINE)
ON_MEASURE_BUTTON(IDC_BTN_PARALLEL_LINE)
ON_MEASURE_BUTTON(IDC_BTN_CONTINUAL_LINE)
ON_MEASURE_BUTTON(IDC_BTN_RECTANGLE)
ON_MEASURE_BUTTON(IDC_BTN_POLYGON)
ON_MEASURE_BUTTON(IDC_BTN_ELLIPSE)
ON_MEASURE_BUTTON(IDC_BTN_RADIUS_CIRCLE)
ON_MEASURE_BUTTON(IDC_BTN_DIAMETER_CIRCLE)
ON_MEASURE_BUTTON(IDC_BTN_THREE_POINT_CIRCLE)
ON_MEASURE_BUTTON(IDC_BTN_TWO_CIRCLES)
ON_MEASURE_BUTTON(IDC_BTN_ANGLE)
ON_MEASURE_BUTTON(IDC_BTN_FOUR_POINT_ANGLE)
ON_MEASURE_BUTTON(IDC_BTN_ARC)
ON_MEASURE_BUTTON(IDC_BTN_CIRCLE_LABEL)
ON_MEASURE_BUTTON(IDC_BTN_SQUARE_LABEL)
ON_MEASURE_BUTTON(IDC_BTN_TEXT)
ON_MEASURE_BUTTON(IDC_BTN_RULER)
ON_MEASURE_BUTTON(IDC_BTN_COORDINATE_ANGLE)
ON_MEASURE_BUTTON(IDC_BTN_TOLERANCE_CIRCLE)
ON_MEASURE_BUTTON(IDC_BTN_AUTO_CIRCLE)
ON_MEASURE_BUTTON(IDC_BTN_AUTO_LINE)
ON_MEASURE_BUTTON(IDC_BTN_AUTO_ARC)
ON_MEASURE_BUTTON(IDC_BTN_AUTO_DISTANCE)
ON_MEASURE_BUTTON(IDC_BTN_AUTO_ANGLE)
ON_MEASURE_BUTTON(IDC_BTN_UNDO)
ON_MEASURE_BUTTON(IDC_BTN_REDO)
ON_MEASURE_BUTTON(IDC_BTN_DELETE_ALL_SHAPES)
ON_MEASURE_BUTTON(IDC_BTN_CALIBRATE)
ON_MEASURE_BUTTON(IDC_BTN_MEASURE_SETTING)
ON_COMMAND(ID_LINE_CALIBRATION, OnLineCalibration)
ON_COMMAND(ID_AUTO_CALIBRATION, OnAutoCalibration)
ON_EN_CHANGE(IDC_SCALE, OnScaleChange)
ON_WM_DRAWITEM()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_LBUTTONUP()
ON_WM_RBUTTONDOWN()
ON_WM_SETCURSOR()
ON_COMMAND(ID_POPUP_CANCEL, OnCancelShape)
END_MESSAGE_MAP()

CMicroscopeDlg::CMicroscopeDlg(CWnd* parent)
    : CDialog(IDD_MAIN, parent),
      m_recorder(
          *this, m_stills, [this](int id) { return ToggleButton(id); }, [this] { InitToolTips(); }),
      m_measuring(
          *this, m_zoom, m_stillState, [this](int id) { return ToggleButton(id); },
          [this] { return m_connected != 0; }),
      m_strip(
          *this, [this](int id) { return ToggleButton(id); },
          [this](int mode) { SetListMode(mode); }),
      m_exports(*this, m_stills, m_zoom, [this](bool busy) { ShowExportBusy(busy); }) {
    m_hIcon = ::LoadIcon(g_hInstance, MAKEINTRESOURCE(IDI_TESSARY));
    InitializeCriticalSection(&m_deviceLock);
    HFONT overlay = CreateStockBasedFont(10, 20, ANSI_FIXED_FONT);
    HFONT counter = CreateStockBasedFont(8, 12, DEFAULT_GUI_FONT);
    g_liveView.Change([&](LiveViewSnapshot& s) {
        s.overlayFont = overlay;
        s.counterFont = counter;
    });
    m_grayBrush = CreateSolidBrush(RGB(200, 200, 200));
    m_previewBrush = CreateSolidBrush(RGB(22, 24, 27));
    m_language.onTextsChanged = [this] { LoadLangTexts(); };
}

CMicroscopeDlg::~CMicroscopeDlg() {
    ReleaseResources();
    if (m_grayBrush)
        DeleteObject(m_grayBrush);
    if (m_previewBrush)
        DeleteObject(m_previewBrush);
    DeleteCriticalSection(&m_deviceLock);
}

HFONT CMicroscopeDlg::CreateStockBasedFont(int width, int height, int stockObject) {
    LOGFONTW lf{};
    GetObjectW(GetStockObject(stockObject), sizeof lf, &lf);
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfWeight = 400;
    lf.lfItalic = 0;
    return CreateFontIndirectW(&lf);
}

void CMicroscopeDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_SCALE, m_scaleText);
    DDV_MaxChars(dx, m_scaleText, 5);
}

BOOL CMicroscopeDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* sysMenu = GetSystemMenu(FALSE)) {
        CString about;
        about.LoadString(IDS_ABOUTBOX);
        if (!about.IsEmpty()) {
            sysMenu->AppendMenu(MF_SEPARATOR);
            sysMenu->AppendMenu(MF_STRING, ID_ABOUT_SYSMENU, about.GetString());
        }
    }

    InitProgramPaths();
    InitSaveFolders();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // Looked up before any language file is chosen: the title is always the built-in one.
    GetLangText(u"MsgTitle", g_windowTitle, 128, u"Tessary");
    SetWindowText(g_windowTitle);

    LoadImageFormat();
    // The first still then finds its number without looking through the folder meanwhile.
    m_stills.WarmNumbering();
    ReadFontSize();
    ReadMeasureFont();
    LoadSnapEnable();
    const LOGFONTW measureFont = g_measureFont; // the labels' font as stored, for new shapes

    {
        // The defaults of a first start and the language chosen at every start reach the
        // settings file in one write.
        ms::RegistryBatch settingsWrite;
        CreateDefaultSettings();
        m_language.LoadLanguageIds();
        m_language.ChooseStartupLanguage();
    }

    SetupSkin();
    CenterWindow();
    StartDevice();
    InitToolTips();

    ReadUnitSettings();
    // The live view's labels and scale bar in the unit just read.
    PublishLiveScale();
    ReadMeasureTextColor();
    ReadLineColor();
    // New live shapes start with the stored look.
    LiveToolState& live = m_measuring.State();
    live.m_liveLineColor = g_lineColor & 0xFFFFFF;
    live.m_liveLabelColor = g_measureTextColor & 0xFFFFFF;
    live.m_liveLabelFont = measureFont;
    ReadLineWidth();
    ReadLineType();

    if (!m_waitCursor) {
        WCHAR path[MAX_PATH];
        swprintf(path, MAX_PATH, u"%s/hourglas.ani", g_paths.programDir);
        m_waitCursor = LoadCursorFromFile(path);
    }
    m_previewCursor = ::LoadCursor(g_hInstance, MAKEINTRESOURCE(IDC_PREVIEW_CURSOR));

    SetDlgItemText(IDC_SCALE, u"100");
    SetTimer(TIMER_STARTUP_PROMPT, 100);
    return TRUE;
}

int CMicroscopeDlg::SetupSkin() {
    m_style = GetStyle();
    m_exStyle = GetExStyle();

    m_skinBitmap = ::LoadBitmap(g_hInstance, MAKEINTRESOURCE(IDB_SKIN));
    HDC windowDC = ::GetDC(m_hWnd);
    m_skinDC = CreateCompatibleDC(windowDC);
    ::ReleaseDC(m_hWnd, windowDC);
    m_skinOldBitmap = static_cast<HBITMAP>(SelectObject(m_skinDC, m_skinBitmap));

    BITMAP bm{};
    GetObjectW(m_skinBitmap, sizeof bm, &bm);
    RECT frame{0, 0, bm.bmWidth, bm.bmHeight};
    AdjustWindowRectEx(&frame, m_style, FALSE, m_exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOREDRAW);
    GetWindowRect(&m_normalRect);
    m_exStyle = GetExStyle();

    BindCaptureWindow();
    if (CWnd* strip = GetDlgItem(IDC_THUMBNAILS))
        strip->MoveWindow(97, 530, 642, 115);
    // Each written snapshot joins the strip as its newest, current picture.
    if (m_strip.Bind())
        m_stills.SetLister([this] {
            if (g_thumbnailView)
                g_thumbnailView->AddLastSnapshot(m_stillState.lastSnapshotPath);
        });

    m_skinButtons.Attach(*this);
    for (const ControlPlace& p : kControlPlaces)
        if (CWnd* c = GetDlgItem(p.id))
            c->MoveWindow(p.x, p.y, p.cx, p.cy);
    LoadLangTexts();
    m_skinButtons.TakeWindows(m_hWnd);
    return 1;
}

// ---- Texts ----

void CMicroscopeDlg::LoadLangTexts() {
    m_skinButtons.LoadTips();
    for (const LangTextItem& item : kFrameCaptions) {
        WCHAR text[32];
        GetLangText(item.key, text, 32, item.defaultText);
        SetDlgItemText(item.controlId, text);
    }
    // The texts on the preview follow a language change too, not only the next device start.
    const LiveViewSnapshot shown = g_liveView.Snapshot();
    if (!shown.escHintText.empty())
        LoadEscHintText();
    if (!shown.statusText.empty() && !m_connected) {
        LoadStatusText();
        ShowPreviewTexts();
    }
    InitToolTips();
}

void CMicroscopeDlg::OnStartupPromptTimer() {
    KillTimer(TIMER_STARTUP_PROMPT);
    LoadShowCalibPrompt();
    if (g_showCalibPrompt == 1)
        PostMessage(WM_APP_CALIB_PROMPT, 0, 0);
}

LRESULT CMicroscopeDlg::OnCalibratePrompt(WPARAM, LPARAM) {
    CCalibratePromptDlg dlg;
    dlg.DoModal();
    return 0;
}

void CMicroscopeDlg::OnLanguageCommand(UINT id) {
    m_language.OnLanguageCommand(id);
}

void CMicroscopeDlg::OnLanguageMenu() {
    ShowLanguagePopup(this, GetDlgItem(IDC_BTN_LANGUAGE), m_language);
}
