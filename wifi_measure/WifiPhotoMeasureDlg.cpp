#include "wifi_measure/WifiPhotoMeasureDlg.h"

#include "wifi_measure/StillMessages.h"
#include "wifi_measure/StillViewSpace.h"

#include "kit/LangText.h"
#include "kit/SkinMenu.h"
#include "measure/InputDlgs.h"
#include "measure/MeasureSettings.h"
#include "measure/TextDlg.h"
#include "measure/Units.h"

#include "imaging/DibImage.h"
#include "platform/mfc/AfxDlgs.h"
#include "platform/win/dialogs/CommDlg.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/Printing.h"
#include "res/WavenorResource.h"

#include <cwchar>
#include <iterator>

// One entry of the Measure popup: its command, the canvas tool and mode it chooses, the name
// field 1142 then shows, and the popup's text and icon.
struct WifiPhotoTool {
    UINT command;
    MeasureTool tool;
    int mode;
    const WCHAR* name;
    const WCHAR* key;
    const WCHAR* text;
    UINT icon;
};

namespace {

constexpr int kToolbarHeight = 30;
constexpr const WCHAR* kPrintFailed = u"Print failed!";
constexpr COLORREF kMenuBackColor = 0xD8E9EC;
constexpr COLORREF kMenuSelectColor = 0xC56A31;

// The popup in its order; a command of 0 is a separator.
constexpr WifiPhotoTool kTools[] = {
    {ID_WPM_TOOL_LINE, TOOL_LINE, 0, u"Line", u"straightline", u"Line Measurement", IDI_WPM_LINE},
    {ID_WPM_TOOL_CONTINUOUS_LINE, TOOL_CONTINUOUS_LINE, 0, u"Continue Line", u"Continuousline",
     u"Broken-Line Measurement", IDI_WPM_CONTINUOUS_LINE},
    {0, TOOL_SELECT, 0, nullptr, nullptr, nullptr, 0},
    {ID_WPM_TOOL_RECTANGLE, TOOL_RECTANGLE, 0, u"Rectangle", u"Rectangle", u"Rectangle Measrement",
     IDI_WPM_RECTANGLE},
    {ID_WPM_TOOL_POLYGON, TOOL_POLYGON, 0, u"Ploygon", u"Ploygon", u"Polygon measrement",
     IDI_WPM_POLYGON},
    {0, TOOL_SELECT, 0, nullptr, nullptr, nullptr, 0},
    {ID_WPM_TOOL_RADIUS_CIRCLE, TOOL_RADIUS_CIRCLE, 0, u"Radius circle", u"RadialCircle",
     u"R-Circle Measurement", IDI_WPM_RADIUS_CIRCLE},
    {ID_WPM_TOOL_DIAMETER_CIRCLE, TOOL_DIAMETER_CIRCLE, 0, u"Diameter circle", u"Diametercircle",
     u"D-Circle Measurement", IDI_WPM_DIAMETER_CIRCLE},
    {ID_WPM_TOOL_THREE_POINT_CIRCLE, TOOL_THREE_POINT_CIRCLE, 0, u"Three Point Circle",
     u"Threepointcircle", u"T-Circle Measurement", IDI_WPM_THREE_POINT_CIRCLE},
    {0, TOOL_SELECT, 0, nullptr, nullptr, nullptr, 0},
    {ID_WPM_TOOL_ANGLE, TOOL_ANGLE, 0, u"Angle", u"Angle", u"T-Angle Measurement", IDI_WPM_ANGLE},
    {ID_WPM_TOOL_FOUR_POINT_ANGLE, TOOL_FOUR_POINT_ANGLE, 1, u"Four point Angle", u"Fourpointangle",
     u"F-Angle Measurement", IDI_WPM_FOUR_POINT_ANGLE},
};

// The tool bar in its order, which is also the order of the tooltips.
struct ToolbarButton {
    int id;
    UINT normal;
    UINT pressed;
    int x;
    const WCHAR* key;
    const WCHAR* text;
};
constexpr ToolbarButton kButtons[10] = {
    {IDC_WPM_OPEN, 262, 261, 12, u"TipOpen", u"Open"},
    {IDC_WPM_SAVE, 214, 215, 48, u"TipSave", u"Save"},
    {IDC_WPM_PRINT, 346, 345, 84, u"TipPrint", u"Print"},
    {IDC_WPM_SELECT, 227, 226, 120, u"TipSelect", u"Select"},
    {IDC_WPM_MEASURE, 224, 225, 156, u"TipMeasure", u"Measurement"},
    {IDC_WPM_SETTING, 220, 221, 192, u"TipSetPen", u"Setting"},
    {IDC_WPM_TEXT, 231, 230, 228, u"TipText", u"Text"},
    {IDC_WPM_DELETE, 233, 232, 264, u"TipDelete", u"Delete"},
    {IDC_WPM_MOVE, 344, 343, 300, u"TipMove", u"Move"},
    {IDC_WPM_CALIBRATION, 274, 273, 336, u"TipCalibration", u"Calibration"},
};

CString Lang(LPCWSTR key, LPCWSTR text) {
    return CString(LangString(key, text, 128).c_str());
}

double FieldNumber(HWND dialog, int id) {
    WCHAR text[64] = {};
    ::GetDlgItemText(dialog, id, text, 64);
    return LeadingNumber(CString(text));
}

CString Formatted(double value) {
    WCHAR text[64];
    swprintf(text, 64, u"%.1f", value);
    return CString(text);
}

} // namespace

CWifiPhotoMeasureDlg::CWifiPhotoMeasureDlg(CWnd* parent)
    : CDialog(IDD_WIFI_PHOTO_MEASURE, parent) {}

CWifiPhotoMeasureDlg::~CWifiPhotoMeasureDlg() {
    DestroyCanvas();
}

BEGIN_MESSAGE_MAP(CWifiPhotoMeasureDlg, CDialog)
ON_WM_CLOSE()
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_SYSCOMMAND()
ON_WM_NCLBUTTONDBLCLK()
ON_WM_DESTROY()
ON_BN_CLICKED(IDC_WPM_OPEN, OnOpen)
ON_BN_CLICKED(IDC_WPM_SAVE, OnSave)
ON_BN_CLICKED(IDC_WPM_PRINT, OnPrint)
ON_BN_CLICKED(IDC_WPM_SELECT, OnSelect)
ON_BN_CLICKED(IDC_WPM_MEASURE, OnMeasureMenu)
ON_BN_CLICKED(IDC_WPM_SETTING, OnSetting)
ON_BN_CLICKED(IDC_WPM_TEXT, OnText)
ON_BN_CLICKED(IDC_WPM_DELETE, OnDelete)
ON_BN_CLICKED(IDC_WPM_MOVE, OnMove)
ON_BN_CLICKED(IDC_WPM_CALIBRATION, OnCalibration)
END_MESSAGE_MAP()

void CWifiPhotoMeasureDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_WPM_MAGNIFICATION, m_magnification);
    DDV_MaxChars(dx, m_magnification, 5);
}

BOOL CWifiPhotoMeasureDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SendMessage(::GetDlgItem(m_hWnd, IDC_WPM_MAGNIFICATION), EM_LIMITTEXT, 5, 0);
    // The picture's size decides the layout; the canvas loads the picture itself. A picture
    // that does not load leaves the template as it stands.
    if (const DWORD type = StillPictureType(m_picturePath)) {
        auto probe = std::make_unique<CDibImage>(m_picturePath.GetString(), type);
        if (probe->IsValid() && probe->GetWidth() > 0 && probe->GetHeight() > 0) {
            m_pictureWidth = static_cast<int>(probe->GetWidth());
            m_pictureHeight = static_cast<int>(probe->GetHeight());
            m_hasPicture = true;
        }
    }
    if (!m_hasPicture)
        return FALSE;
    const CRect frame(0, kToolbarHeight, 640, kToolbarHeight + (LargePicture() ? 512 : 480));
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_WPM_FRAME), nullptr, frame.left, frame.top,
                   frame.Width(), frame.Height(), SWP_NOZORDER);
    if (!m_canvas)
        BuildCanvas(frame);
    SetupToolbar();
    CenterWindow();
    return TRUE;
}

void CWifiPhotoMeasureDlg::SetupToolbar() {
    SetDlgItemText(IDC_WPM_MAGNIFICATION, m_magnificationText);
    if (!m_magnificationText.IsEmpty()) {
        // The stored calibration of this magnification, or the magnification itself.
        CString stored;
        double calibrated = 0.0;
        if (ReadCalibration(m_calibIniPath.GetString(), m_magnificationText.GetString(), stored) &&
            (calibrated = LeadingNumber(stored)) != 0.0)
            SetDlgItemText(IDC_WPM_CALIBRATED, m_calibratedField.Show(calibrated));
        else
            SetDlgItemText(IDC_WPM_CALIBRATED, m_magnificationText);
    }
    SetWindowText(Lang(u"PhotoMeasure", u"Photo Measure"));
    SetWindowPos(nullptr, GetSystemMetrics(SM_CXSCREEN) / 5, GetSystemMetrics(SM_CYSCREEN) / 8, 647,
                 LargePicture() ? 575 : 543, SWP_NOZORDER | SWP_NOREDRAW);

    CBitmapButton* plain[] = {&m_btnOpen,    &m_btnSave, &m_btnPrint,  nullptr,    nullptr,
                              &m_btnSetting, &m_btnText, &m_btnDelete, &m_btnMove, nullptr};
    CToggleBitmapButton* toggles[] = {nullptr, nullptr, nullptr, &m_btnSelect, &m_btnMeasure,
                                      nullptr, nullptr, nullptr, nullptr,      &m_btnCalibration};
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        const ToolbarButton& b = kButtons[i];
        CBitmapButton* button = plain[i];
        if (button) {
            if (!button->SubclassDlgItem(static_cast<UINT>(b.id), this))
                continue;
            button->LoadBitmaps(b.normal, b.pressed);
            button->SizeToContent();
        } else if (!toggles[i]->Attach(static_cast<UINT>(b.id), this, b.normal, b.pressed, 0)) {
            continue;
        }
        ::SetWindowPos(::GetDlgItem(m_hWnd, b.id), nullptr, b.x, 4, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
    }
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_WPM_TOOL_NAME), nullptr, 410, 2, 80, 26, SWP_NOZORDER);
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_WPM_CALIBRATED), nullptr, 500, 2, 80, 26, SWP_NOZORDER);
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_WPM_MAGNIFICATION), nullptr, 595, 3, 35, 22,
                   SWP_NOZORDER);

    for (size_t i = 0; i < std::size(kButtons); ++i) {
        ms::ui::ButtonTipEntry& tip = m_toolTips[i];
        tip.id = kButtons[i].id;
        GetLangText(kButtons[i].key, tip.text, static_cast<int>(std::size(tip.text)),
                    kButtons[i].text);
        tip.hwnd = ::GetDlgItem(m_hWnd, tip.id);
        if (tip.hwnd)
            ::GetWindowRect(tip.hwnd, &tip.rect);
    }
    m_hToolTip = ms::ui::CreateButtonTips(m_hWnd);
    ms::ui::RefreshButtonTips(m_hToolTip, m_toolTips, static_cast<int>(std::size(m_toolTips)));
}

void CWifiPhotoMeasureDlg::BuildCanvas(const CRect& frame) {
    DestroyCanvas();
    m_canvas = std::make_unique<CWifiMeasureCanvas>();
    m_canvas->SetTool(m_initialTool);
    m_canvas->m_picturePath = m_picturePath;
    m_canvas->m_zoom = m_zoom;
    if (!m_canvas->Create(IDD_WIFI_MEASURE_CANVAS, this) || !m_canvas->m_hWnd) {
        m_canvas.reset();
        return;
    }
    const int height =
        m_canvas->ImageWidth() == 1280 && m_canvas->ImageHeight() == 1024 ? 512 : 480;
    const bool actual = g_canvasViewMode == 2;
    m_canvas->SetWindowPos(nullptr, frame.left, frame.top, actual ? frame.Width() : 640,
                           actual ? frame.Height() : height, SWP_NOZORDER | SWP_NOREDRAW);
    if (actual)
        m_canvas->UpdateScrollBars();
    m_saved = 0;
    m_canvas->ShowWindow(SW_SHOW);
}

void CWifiPhotoMeasureDlg::DestroyCanvas() {
    if (!m_canvas)
        return;
    if (m_canvas->m_hWnd)
        m_canvas->DestroyWindow();
    m_canvas.reset();
}

void CWifiPhotoMeasureDlg::RebuildCanvas(bool scrollBars) {
    DestroyCanvas();
    CRect client;
    GetClientRect(&client);
    const CRect frame(0, kToolbarHeight, client.Width(), client.Height());
    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_WPM_FRAME), nullptr, frame.left, frame.top,
                   frame.Width(), frame.Height(), SWP_NOZORDER);
    BuildCanvas(frame);
    if (m_canvas && scrollBars)
        m_canvas->UpdateScrollBars();
}

BOOL CWifiPhotoMeasureDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_APP_CANVAS_CALIBRATED && msg->hwnd == m_hWnd)
        OnCanvasCalibrated();
    const bool key =
        msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR;
    if (key && msg->wParam == VK_ESCAPE)
        return TRUE;
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
        return TRUE;
    if (m_hToolTip)
        ms::ui::TrackButtonTips(m_hToolTip, m_toolTips, static_cast<int>(std::size(m_toolTips)),
                                *msg);
    return CDialog::PreTranslateMessage(msg);
}

void CWifiPhotoMeasureDlg::OnCanvasCalibrated() {
    SetDlgItemText(IDC_WPM_CALIBRATED, m_calibratedField.Show(g_calibratedZoom));
    const CString magnification = Formatted(*m_calibrationZoom);
    StoreCalibration(m_calibIniPath.GetString(), magnification.GetString(), g_calibratedZoom);
    ReadZoomScale();
    if (m_hMainWnd)
        ::PostMessage(m_hMainWnd, WM_APP_STORE_CALIBRATION, 0, 0);
}

int CWifiPhotoMeasureDlg::ReadZoomScale() {
    WCHAR shown[64] = {};
    ::GetDlgItemText(m_hWnd, IDC_WPM_CALIBRATED, shown, 64);
    double calibrated = 0.0;
    if (!m_calibratedField.Read(CString(shown), calibrated))
        calibrated = LeadingNumber(CString(shown));
    const double magnification = FieldNumber(m_hWnd, IDC_WPM_MAGNIFICATION);
    const double value = calibrated != 0.0 && g_canvasCalibrating != 1 ? calibrated : magnification;
    if (!(value > 0.0)) {
        const CString text = Lang(u"EnterRate", u"Please input the zoomIn scale!");
        MessageBox(text, u"", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    g_zoomScale = value;
    // A calibration belongs to the magnification typed, whatever the calibrated field shows.
    if (magnification > 0.0)
        *m_calibrationZoom = magnification;
    return 1;
}

void CWifiPhotoMeasureDlg::ReleaseToggles() {
    for (CToggleBitmapButton* t : {&m_btnSelect, &m_btnMeasure, &m_btnCalibration})
        if (t->m_hWnd && t->IsPressed())
            t->ClearPressed();
}

BOOL CWifiPhotoMeasureDlg::OnCommand(WPARAM wp, LPARAM lp) {
    const UINT id = LOWORD(wp);
    if (HIWORD(wp) == 0 && lp == 0)
        for (const WifiPhotoTool& tool : kTools)
            if (tool.command != 0 && tool.command == id) {
                RunTool(tool);
                return TRUE;
            }
    return CDialog::OnCommand(wp, lp);
}

void CWifiPhotoMeasureDlg::RunTool(const WifiPhotoTool& tool) {
    if (!m_canvas || !ReadZoomScale())
        return;
    m_canvas->SetTool(tool.tool, 1);
    m_canvas->SetToolMode(tool.mode);
    SetDlgItemText(IDC_WPM_TOOL_NAME, tool.name);
}

void CWifiPhotoMeasureDlg::OnMeasureMenu() {
    if (m_btnMeasure.m_hWnd)
        m_btnMeasure.SetPressed();
    for (CToggleBitmapButton* t : {&m_btnSelect, &m_btnCalibration})
        if (t->m_hWnd && t->IsPressed())
            t->ClearPressed();
    SetDlgItemText(IDC_WPM_TOOL_NAME, u"");
    if (m_canvas) {
        m_canvas->SetTool(TOOL_WIFI_NO_TOOL, 11);
        m_canvas->SetToolMode(0);
    }
    CRect button;
    if (HWND b = ::GetDlgItem(m_hWnd, IDC_WPM_MEASURE))
        ::GetWindowRect(b, &button);
    auto* menu = new CSkinMenu;
    menu->CreatePopupMenu();
    menu->m_backColor = kMenuBackColor;
    menu->m_selectColor = kMenuSelectColor;
    for (const WifiPhotoTool& t : kTools) {
        if (!t.command) {
            menu->AddSeparator();
            continue;
        }
        WCHAR text[64];
        GetLangText(t.key, text, 64, t.text);
        menu->AddItem(0, new CSkinMenuTextItem(t.command, text, LoadMenuIcon(t.icon)));
    }
    menu->TrackPopupMenu(TPM_LEFTALIGN, button.left, button.bottom - 2, this);
    delete menu;
}

void CWifiPhotoMeasureDlg::OnSelect() {
    SetDlgItemText(IDC_WPM_TOOL_NAME, u"");
    if (m_btnSelect.m_hWnd)
        m_btnSelect.SetPressed();
    if (m_canvas)
        m_canvas->SetTool(TOOL_SELECT, 11);
    for (CToggleBitmapButton* t : {&m_btnMeasure, &m_btnCalibration})
        if (t->m_hWnd && t->IsPressed())
            t->ClearPressed();
}

void CWifiPhotoMeasureDlg::OnDelete() {
    ReleaseToggles();
    if (m_canvas)
        m_canvas->DeleteSelected();
}

void CWifiPhotoMeasureDlg::OnMove() {
    ReleaseToggles();
    if (m_canvas)
        m_canvas->MoveSelected();
}

void CWifiPhotoMeasureDlg::OnText() {
    if (!m_canvas)
        return;
    ReadTextFont();
    CTextDlg dialog(WavenorTextDlg(m_settings.load, m_settings.save), nullptr);
    if (dialog.DoModal() == IDOK && m_canvas)
        m_canvas->AddText(dialog.m_text);
    if (m_canvas)
        m_canvas->SetTool(TOOL_TEXT, 1);
}

void CWifiPhotoMeasureDlg::OnSetting() {
    CWifiPenSettingDlg dialog(m_settings, nullptr);
    dialog.DoModal();
}

void CWifiPhotoMeasureDlg::OnCalibration() {
    // Without a picture there is nothing to calibrate on, and nothing to ask.
    if (!m_canvas)
        return;
    g_canvasCalibrating = 1;
    SetDlgItemText(IDC_WPM_TOOL_NAME, u"");
    ReleaseToggles();
    if (!ReadZoomScale())
        return;
    if (m_btnCalibration.m_hWnd)
        m_btnCalibration.SetPressed();
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_WPM_CALIBRATION), FALSE);
    m_canvas->SetTool(TOOL_LINE, 1);
    WCHAR name[128];
    GetLangText(u"Straightline", name, 128, u"Line");
    SetDlgItemText(IDC_WPM_TOOL_NAME, name);
}

// ---- Files ----

void CWifiPhotoMeasureDlg::OnSave() {
    ReleaseToggles();
    SetDlgItemText(IDC_WPM_TOOL_NAME, u"");
    if (!m_canvas)
        return;
    CFileDialog dialog(FALSE, u"PNG", u"*.png", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       u"PNG Files(*.PNG)|*.PNG|JPG Files(*.JPG)|*.JPG||", nullptr);
    if (dialog.DoModal() != IDOK || !m_canvas)
        return;
    if (m_canvas->SaveWithMeasurements(dialog.GetPathName())) {
        m_saved = 1;
        MessageBox(Lang(u"SaveSuccessfull", u"Save successfully!"), u"", MB_OK);
    } else {
        MessageBox(Lang(u"SaveFail", u"Save fail"), u"", MB_OK);
    }
}

bool CWifiPhotoMeasureDlg::MayDiscard() {
    if (!m_canvas || !m_canvas->HasItems() || m_saved)
        return true;
    if (MessageBox(Lang(u"SureOpen", u"Save changes to..."), u"", MB_YESNO | MB_ICONEXCLAMATION) !=
        IDYES)
        return true;
    OnSave();
    return false;
}

void CWifiPhotoMeasureDlg::OnOpen() {
    SetDlgItemText(IDC_WPM_TOOL_NAME, u"");
    ReleaseToggles();
    if (!m_canvas || !MayDiscard())
        return;
    CFileDialog dialog(TRUE, u"png", u"*.png", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       u"png Files(*.png)|*.png", nullptr);
    if (dialog.DoModal() != IDOK || !m_canvas)
        return;
    m_picturePath = dialog.GetPathName();
    RebuildCanvas(g_canvasViewMode == 2);
}

void CWifiPhotoMeasureDlg::OnPrint() {
    // The picture file as it is (a BMP), or its copy as "print.bmp"; the measurements are not
    // printed.
    CString printed = m_picturePath;
    const int dot = m_picturePath.ReverseFind(u'.');
    const CString extension = dot >= 0 ? m_picturePath.Mid(dot + 1, 3) : CString();
    if (extension.CompareNoCase(u"bmp") != 0) {
        CDibImage picture(m_picturePath.GetString(), DIBIMAGE_TYPE_JPG);
        printed = m_printFolder + u"/print.bmp";
        // A PNG's alpha channel would make it a 32-bit file; the printed copy is 24-bit.
        if (picture.IsValid())
            picture.AlphaDelete();
        if (!picture.IsValid() || !picture.SaveToFile(printed.GetString(), DIBIMAGE_TYPE_BMP)) {
            MessageBox(kPrintFailed, u"", MB_OK);
            return;
        }
    }
    // The job goes to the default printer, which is the same after printing as before.
    WCHAR defaultPrinter[MAX_PATH] = {};
    DWORD nameSize = MAX_PATH;
    const bool hadDefault = GetDefaultPrinter(defaultPrinter, &nameSize) != FALSE;
    struct RestoreDefault {
        const WCHAR* name;
        ~RestoreDefault() {
            if (name)
                SetDefaultPrinter(name);
        }
    } restore{hadDefault ? defaultPrinter : nullptr};
    CPrintDialog print(FALSE);
    if (!print.GetDefaults() || !print.GetPrinterDC()) {
        MessageBox(u"No printer found!", u"", MB_OK);
        return;
    }
    const HDC printer = print.GetPrinterDC();
    DOCINFO info{};
    info.cbSize = sizeof info;
    info.lpszDocName = printed.GetString();
    const bool started = StartDoc(printer, &info) > 0;
    StartPage(printer);
    const auto bitmap = static_cast<HBITMAP>(LoadImage(
        nullptr, printed.GetString(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap) {
        MessageBox(u"Error loading bitmap!", u"", MB_OK);
        // Nothing half printed is left queued.
        AbortDoc(printer);
        DeleteDC(printer);
        return;
    }
    BITMAP size{};
    GetObjectW(bitmap, sizeof size, &size);
    const HDC memory = CreateCompatibleDC(printer);
    SetMapMode(memory, GetMapMode(printer));
    const HGDIOBJ old = SelectObject(memory, bitmap);
    SetStretchBltMode(printer, HALFTONE);
    StretchBlt(printer, 0, 0, GetDeviceCaps(printer, HORZRES), GetDeviceCaps(printer, VERTRES),
               memory, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    const bool paged = EndPage(printer) > 0;
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    // A job the printer refused is said, not passed off as printed.
    const bool done = started && paged && EndDoc(printer) > 0;
    if (!done)
        AbortDoc(printer);
    DeleteDC(printer);
    if (!done)
        MessageBox(kPrintFailed, u"", MB_OK);
}

// ---- Window ----

void CWifiPhotoMeasureDlg::OnClose() {
    if (MessageBox(Lang(u"SureClose", u"Are you sure to close?"), u"", MB_YESNO) == IDYES)
        CDialog::OnClose();
}

void CWifiPhotoMeasureDlg::OnPaint() {
    CPaintDC dc(this); // the canvas paints itself
}

void CWifiPhotoMeasureDlg::OnNcLButtonDblClk(UINT, CPoint) {
    // A double click on the caption neither maximises nor restores.
}

void CWifiPhotoMeasureDlg::OnSysCommand(UINT id, LPARAM lp) {
    if (m_sizing.Command(*this, id, [this] { return MayDiscard(); }))
        CDialog::OnSysCommand(id, lp);
}

void CWifiPhotoMeasureDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    switch (m_sizing.Resized(type)) {
    case PhotoWindowSizing::Layout::Maximised:
        if (m_canvas) {
            ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_WPM_MAGNIFICATION), nullptr, cx - 51, 4, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER);
            g_canvasViewMode = 2;
            RebuildCanvas(true);
        }
        break;
    case PhotoWindowSizing::Layout::Normal:
        // Only the way back from a maximise builds the canvas again: any other size change
        // (the window placed at start, a restore by the window manager) keeps the measurements.
        if (m_canvas && m_sizing.MaximiseCommanded()) {
            ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_WPM_MAGNIFICATION), nullptr, 590, 4, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER);
            g_canvasViewMode = 1;
            RebuildCanvas(false);
            m_sizing.NormalLaidOut();
        }
        m_sizing.BackToNormal();
        break;
    case PhotoWindowSizing::Layout::None:
        break;
    }
    Invalidate(FALSE);
}

void CWifiPhotoMeasureDlg::OnDestroy() {
    CDialog::OnDestroy();
    DestroyCanvas();
    if (m_hToolTip && ::IsWindow(m_hToolTip))
        ::DestroyWindow(m_hToolTip);
    m_hToolTip = nullptr;
}
