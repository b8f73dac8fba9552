// The photo-measure window's tool menus and commands: the menus as tables of entries, the tool
// commands as one table row each, the direct buttons, the exports and the picture operations.
#include "measure/PhotoMeasureDlg.h"

#include "measure/MeasureSettings.h"
#include "measure/PenSettingDlg.h"
#include "measure/TextDlg.h"
#include "measure/Units.h"
#include "kit/LangText.h"
#include "kit/SkinMenu.h"

#include "imaging/DibImage.h"
#include "platform/mfc/AfxDlgs.h"
#include "res/TessaryResource.h"

// One entry of a tool menu; command 0 is a separator.
struct PhotoMenuEntry {
    const WCHAR* key;
    const WCHAR* text;
    UINT icon;
    UINT command;
};

// What a tool command hands to the canvas and shows in the tool-name field.
struct PhotoToolCommand {
    UINT command;
    MeasureTool tool;
    ToolMode mode;
    bool needsMagnification;
    int flag;
    const WCHAR* key;
    const WCHAR* label;
};

namespace {

constexpr COLORREF kMenuBackColor = 0xD8E9EC;
constexpr COLORREF kMenuSelectColor = 0xC56A31;

// Commands of the menus besides the tool commands.
constexpr UINT kCmdLineCalibration = 396;
constexpr UINT kCmdAutoLineCalibration = 382;
constexpr UINT kCmdEdgeGlobal = 1270;
constexpr UINT kCmdMirror = 1264;
constexpr UINT kCmdFlip = 1265;
constexpr UINT kCmdNegative = 1267;
constexpr UINT kCmdBrighter = 1268;
constexpr UINT kCmdDarker = 1269;
constexpr UINT kCmdMedian = 1271;
constexpr UINT kCmdAverage = 1272;
constexpr UINT kCmdExportSpreadsheet = 1279;
constexpr UINT kCmdExportDxf = 1318;

constexpr PhotoMenuEntry kOperationMenu[] = {
    {u"Mirror", u"Horizontal Mirror", 322, kCmdMirror},
    {u"Flip", u"Vertical Mirror", 318, kCmdFlip},
    {nullptr, nullptr, 0, 0},
    {u"Negative", u"Negative", 317, kCmdNegative},
    {u"Light+", u"Brightness(+)", 320, kCmdBrighter},
    {u"Light-", u"Brightness(-)", 321, kCmdDarker},
    {nullptr, nullptr, 0, 0},
    {u"Median", u"Median value filter", 324, kCmdMedian},
    {u"Filter", u"Average value filter", 325, kCmdAverage},
    {nullptr, nullptr, 0, 0},
    {u"TipExceptexcel", u"Export to excel", 373, kCmdExportSpreadsheet},
    {u"TipExportCAD", u"Export to CAD", 1322, kCmdExportDxf},
};

constexpr PhotoMenuEntry kPaintMenu[] = {
    {u"straightline", u"Straight Line", 234, 1258},
    {u"Continuousline", u"Continuous Line", 235, 1259},
    {nullptr, nullptr, 0, 0},
    {u"Angle", u"Angle", 241, 1260},
    {u"Rectangle", u"Rectangle", 236, 1261},
    {nullptr, nullptr, 0, 0},
    {u"Threepointcircle", u"Three Points Circle", 240, 1263},
    {nullptr, nullptr, 0, 0},
    {u"TipCLabel", u"Circle Label", 375, 1310},
};

constexpr PhotoMenuEntry kEdgeMenu[] = {
    {u"EdgePortion", u"Edge Detect(Portion)", 370, 1266},
    {u"EdgeGlobal", u"Edge Detect(Global)", 370, kCmdEdgeGlobal},
};

constexpr PhotoMenuEntry kMeasureMenu[] = {
    {u"straightline", u"Straight Line", 234, 1249},
    {u"dotline", u"Dot Line", 408, 399},
    {u"Parallelline", u"Parallel line", 374, 1309},
    {u"Continuousline", u"Continuous Line", 235, 1250},
    {nullptr, nullptr, 0, 0},
    {u"Rectangle", u"Rectangle", 236, 1251},
    {u"TipArc", u"Arc Measurement", 433, 1231},
    {u"Threepointcircle", u"Three Points Circle", 240, 1255},
    {u"Twocircle", u"Two Circles", 1280, 1277},
    {nullptr, nullptr, 0, 0},
    {u"Angle", u"Angle", 241, 1256},
    {u"Fourpointangle", u"Four Points Angle", 242, 1334},
};

constexpr PhotoMenuEntry kAutoMeasureMenu[] = {
    {u"AutoLineSpace", u"Auto Line-spacing", 1345, 1312},
    {u"AutoLineLength2", u"Auto Line-Length2", 417, 1347},
    {u"TipArc", u"Auto Arc-Measurement", 434, 1341},
    {u"AutoCircleDetection", u"Auto Circle-Detection", 1342, 1317},
    {u"AutoAngleDetection", u"Auto Angle-Detection", 1343, 1316},
};

constexpr PhotoMenuEntry kCalibrationMenu[] = {
    {u"straightlineCalibration", u"Line Calibration", 234, kCmdLineCalibration},
    {u"AutoLineCalibration", u"Auto Line Calibration", 374, kCmdAutoLineCalibration},
};

constexpr ToolMode P = TOOL_MODE_PAINT;
constexpr ToolMode M = TOOL_MODE_MEASURE;

constexpr PhotoToolCommand kToolCommands[] = {
    {1258, TOOL_LINE, P, false, 0, u"straightline", u"Straight Line"},
    {1259, TOOL_CONTINUOUS_LINE, P, false, 0, u"TipContinualline", u"Continue Line"},
    {1260, TOOL_ANGLE, P, false, 0, u"Angle", u"Angle"},
    {1261, TOOL_RECTANGLE, P, false, 0, u"Rectangle", u"Rectangle"},
    {1263, TOOL_THREE_POINT_CIRCLE, P, false, 0, u"Threepointcircle", u"Three Points Circle"},
    {1310, TOOL_CIRCLE_LABEL, P, false, 0, u"TipCLabel", u"Circle Label"},
    {1266, TOOL_EDGE_PORTION, M, false, 0, u"EdgePortion", u"Check Edge(Portion)"},
    {1249, TOOL_LINE, M, true, 0, u"straightline", u"Straight Line"},
    {399, TOOL_DOT_LINE, M, true, 0, u"dotline", u"Dot Line"},
    {1309, TOOL_PARALLEL_LINE, M, true, 0, u"Parallelline", u"Parallel line"},
    {1250, TOOL_CONTINUOUS_LINE, M, true, 0, u"Continuousline", u"Continuous Line"},
    {1251, TOOL_RECTANGLE, M, true, 0, u"Rectangle", u"Rectangle"},
    {1231, TOOL_ARC, M, true, 0, u"TipArc", u"Arc Measurement"},
    {1255, TOOL_THREE_POINT_CIRCLE, M, true, 0, u"Threepointcircle", u"Three Points Circle"},
    {1277, TOOL_TWO_CIRCLES, M, true, 0, u"Twocircle", u"Two Circles"},
    {1256, TOOL_ANGLE, M, false, 0, u"Angle", u"Angle"},
    {1334, TOOL_FOUR_POINT_ANGLE, M, false, 1, u"Fourpointangle", u"Four points Angle"},
    {1312, TOOL_AUTO_LINE_SPACING, M, true, 0, u"AutoLineSpace", u"Auto Line-spacing"},
    {1347, TOOL_AUTO_LINE_LENGTH2, M, true, 0, u"AutoLineLength2", u"Auto Line-Length2"},
    {1341, TOOL_AUTO_ARC, M, true, 0, u"TipArc", u"Auto Arc-detection"},
    {1317, TOOL_AUTO_CIRCLE, M, true, 0, u"AutoCircleDetection", u"Auto circle-detection"},
    {1316, TOOL_AUTO_ANGLE, M, false, 0, u"AutoAngleDetection", u"Auto Angle-detection"},
};

const PhotoToolCommand* FindToolCommand(UINT id) {
    for (const PhotoToolCommand& c : kToolCommands)
        if (c.command == id)
            return &c;
    return nullptr;
}

} // namespace

// ---- Menus ----

BOOL CPhotoMeasureDlg::OnCommand(WPARAM wp, LPARAM lp) {
    const UINT id = LOWORD(wp);
    // Menu commands come without a control window.
    if (lp == 0) {
        if (const PhotoToolCommand* tool = FindToolCommand(id)) {
            RunToolCommand(*tool);
            return TRUE;
        }
        switch (id) {
        case kCmdLineCalibration: OnLineCalibration(); return TRUE;
        case kCmdAutoLineCalibration: OnAutoLineCalibration(); return TRUE;
        case kCmdEdgeGlobal: OnEdgeGlobal(); return TRUE;
        case kCmdMirror: OnMirror(); return TRUE;
        case kCmdFlip: OnFlip(); return TRUE;
        case kCmdNegative: OnNegative(); return TRUE;
        case kCmdBrighter: OnBrightnessUp(); return TRUE;
        case kCmdDarker: OnBrightnessDown(); return TRUE;
        case kCmdMedian: OnMedianFilter(); return TRUE;
        case kCmdAverage: OnAverageFilter(); return TRUE;
        case kCmdExportSpreadsheet: ExportToExcel(); return TRUE;
        case kCmdExportDxf: OnExportDxf(); return TRUE;
        default: break;
        }
    }
    return CDialog::OnCommand(wp, lp);
}

void CPhotoMeasureDlg::ReleaseToggles(CToggleBitmapButton* except) {
    for (CToggleBitmapButton* t : {&m_magnifierToggle, &m_selectToggle, &m_measureToggle,
                                   &m_paintToggle, &m_edgeToggle, &m_autoMeasureToggle}) {
        if (t != except && t->m_hWnd && t->IsPressed())
            t->ClearPressed();
    }
}

void CPhotoMeasureDlg::ResetForMenu(CToggleBitmapButton* own, bool releaseAll, bool clearLabel,
                                    bool resetFlag) {
    g_circleLabelCount = 0;
    g_squareLabelCount = 0;
    if (own && own->m_hWnd)
        own->SetPressed();
    ReleaseToggles(releaseAll ? nullptr : own);
    if (m_canvas)
        m_canvas->SetTool(TOOL_NONE, TOOL_MODE_IDLE);
    if (clearLabel)
        SetDlgItemText(IDC_PHOTO_TOOL_NAME, u"");
    if (resetFlag && m_canvas)
        m_canvas->SetToolFlag(0);
}

void CPhotoMeasureDlg::ShowMenu(UINT buttonId, const PhotoMenuEntry* entries, int count,
                                int textCut) {
    CRect button;
    if (HWND b = ::GetDlgItem(m_hWnd, static_cast<int>(buttonId)))
        ::GetWindowRect(b, &button);
    auto* menu = new CSkinMenu;
    menu->CreatePopupMenu();
    menu->m_backColor = kMenuBackColor;
    menu->m_selectColor = kMenuSelectColor;
    for (int i = 0; i < count; ++i) {
        const PhotoMenuEntry& e = entries[i];
        if (!e.command) {
            menu->AddSeparator();
            continue;
        }
        WCHAR text[64];
        GetLangText(e.key, text, textCut + 1, e.text);
        menu->AddItem(0, new CSkinMenuTextItem(e.command, text, LoadMenuIcon(e.icon)));
    }
    menu->TrackPopupMenu(TPM_LEFTALIGN, button.left, button.bottom - 2, this);
    delete menu;
}

void CPhotoMeasureDlg::OnOperationMenu() {
    ResetForMenu(nullptr, true, true, false);
    ShowMenu(IDC_PHOTO_OPERATION, kOperationMenu, std::size(kOperationMenu), 29);
}

void CPhotoMeasureDlg::OnPaintMenu() {
    ResetForMenu(&m_paintToggle, false, true, true);
    ShowMenu(IDC_PHOTO_PAINT, kPaintMenu, std::size(kPaintMenu), 29);
}

void CPhotoMeasureDlg::OnEdgeMenu() {
    ResetForMenu(&m_edgeToggle, false, true, true);
    ShowMenu(IDC_PHOTO_EDGE, kEdgeMenu, std::size(kEdgeMenu), 63);
}

void CPhotoMeasureDlg::OnMeasureMenu() {
    ResetForMenu(&m_measureToggle, false, true, true);
    ShowMenu(IDC_PHOTO_MEASURE, kMeasureMenu, std::size(kMeasureMenu), 63);
}

void CPhotoMeasureDlg::OnAutoMeasureMenu() {
    ResetForMenu(&m_autoMeasureToggle, false, true, true);
    ShowMenu(IDC_PHOTO_AUTO_MEASURE, kAutoMeasureMenu, std::size(kAutoMeasureMenu), 63);
}

void CPhotoMeasureDlg::OnCalibrationMenu() {
    ResetForMenu(nullptr, true, false, false);
    ShowMenu(IDC_PHOTO_CALIBRATION, kCalibrationMenu, std::size(kCalibrationMenu), 63);
}

// ---- Tool commands ----

void CPhotoMeasureDlg::ShowToolName(LPCWSTR key, LPCWSTR text) {
    WCHAR name[64];
    GetLangText(key, name, 64, text);
    SetDlgItemText(IDC_PHOTO_TOOL_NAME, name);
}

void CPhotoMeasureDlg::RunToolCommand(const PhotoToolCommand& command) {
    if (command.needsMagnification && !ReadZoomScale())
        return;
    if (!m_canvas)
        return;
    m_canvas->SetTool(command.tool, command.mode);
    m_canvas->SetToolFlag(command.flag);
    ShowToolName(command.key, command.label);
}

void CPhotoMeasureDlg::StartCalibration(MeasureTool tool, LPCWSTR key, LPCWSTR text) {
    m_calibrating = 1;
    SetDlgItemText(IDC_PHOTO_TOOL_NAME, u"");
    const BOOL haveZoom = ReadZoomScale();
    m_calibrating = 0;
    if (!haveZoom || !m_canvas)
        return;
    m_canvas->SetCalibrationMode(1);
    m_canvas->SetTool(tool, TOOL_MODE_MEASURE);
    ShowToolName(key, text);
}

void CPhotoMeasureDlg::OnLineCalibration() {
    StartCalibration(TOOL_PARALLEL_LINE, u"straightlineCalibration", u"Line Calibration");
}

void CPhotoMeasureDlg::OnAutoLineCalibration() {
    StartCalibration(TOOL_AUTO_LINE_SPACING, u"AutoLineCalibration", u"Auto Line Calibration");
}

void CPhotoMeasureDlg::OnEdgeGlobal() {
    if (!m_canvas)
        return;
    if (m_canvas->m_image)
        m_canvas->m_image->CheckEdgeGlobal();
    ShowToolName(u"EdgeGlobal", u"Check Edge(Global)");
    Invalidate(FALSE);
    m_canvas->Invalidate(FALSE);
}

// ---- Direct buttons ----

void CPhotoMeasureDlg::OnSelect() {
    g_circleLabelCount = 0;
    g_squareLabelCount = 0;
    SetDlgItemText(IDC_PHOTO_TOOL_NAME, u"");
    if (m_selectToggle.m_hWnd)
        m_selectToggle.SetPressed();
    ReleaseToggles(&m_selectToggle);
    if (m_canvas)
        m_canvas->SetTool(TOOL_SELECT, TOOL_MODE_IDLE);
}

void CPhotoMeasureDlg::OnDelete() {
    ReleaseToggles();
    if (m_canvas)
        m_canvas->DeleteSelected();
}

void CPhotoMeasureDlg::OnMove() {
    ReleaseToggles();
    if (m_canvas)
        m_canvas->BeginMoveSelected();
}

void CPhotoMeasureDlg::OnPenSetting() {
    g_circleLabelCount = 0;
    g_squareLabelCount = 0;
    if (m_canvas)
        m_canvas->SetTool(TOOL_NONE, TOOL_MODE_IDLE);
    SetDlgItemText(IDC_PHOTO_TOOL_NAME, u"");
    ReleaseToggles();
    if (!m_canvas)
        return;
    PenSettingCaller caller{m_canvas->m_lineColor, m_canvas->m_labelColor,
                            m_canvas->m_measureFont};
    if (RunPenSettingDialog(nullptr, caller) == IDOK && m_canvas) {
        m_canvas->m_lineColor = caller.lineColor;
        m_canvas->m_labelColor = caller.labelColor;
        m_canvas->m_measureFont = caller.labelFont;
    }
    // The unit page stores a new unit at once, whichever way the dialog closed.
    if (m_canvas)
        m_canvas->m_unitScale = UnitScale();
}

void CPhotoMeasureDlg::OnInputText() {
    g_circleLabelCount = 0;
    g_squareLabelCount = 0;
    SetDlgItemText(IDC_PHOTO_TOOL_NAME, u"");
    ReleaseToggles();
    if (!m_canvas)
        return;
    if (!ReadTextFont())
        g_textFont = DefaultLabelFont();
    CTextDlg dialog(nullptr);
    if (dialog.DoModal() == IDOK && m_canvas) {
        m_canvas->m_textColor = dialog.m_color;
        m_canvas->m_textFont = g_textFont;
        m_canvas->AddText(dialog.m_text);
        m_canvas->Invalidate(FALSE);
    }
    if (m_canvas)
        m_canvas->SetTool(TOOL_TEXT, TOOL_MODE_MEASURE);
}

void CPhotoMeasureDlg::OnMagnifier() {
    g_circleLabelCount = 0;
    g_squareLabelCount = 0;
    if (m_canvas)
        m_canvas->SetTool(TOOL_NONE, TOOL_MODE_IDLE);
    if (m_magnifierToggle.m_hWnd)
        m_magnifierToggle.SetPressed();
    ReleaseToggles(&m_magnifierToggle);
    if (!m_canvas)
        return;
    CMagnifierDlg dialog(nullptr);
    dialog.DoModal();
    if (!m_canvas)
        return;
    m_canvas->m_lensZoom = dialog.m_zoom;
    m_canvas->m_lensSize = dialog.m_lensSize;
    m_canvas->SetTool(TOOL_MAGNIFIER, TOOL_MODE_PAINT);
    m_canvas->SetToolFlag(0);
    ShowToolName(u"TipMagnifier", u"Magnifier");
}

// ---- Exports ----

void CPhotoMeasureDlg::OnExportDxf() {
    if (!m_canvas)
        return;
    CFileDialog dialog(FALSE, u"DXF", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       u"dxf Files(*.dxf)|*.dxf|DXF files(*.DXF)|*.DXF||", nullptr);
    if (dialog.DoModal() != IDOK || !m_canvas)
        return;
    CString path = dialog.GetPathName();
    if (dialog.GetFileExt().IsEmpty())
        path += u".dxf";
    m_canvas->ExportDxf(path);
}

void CPhotoMeasureDlg::ExportToExcel() {
    if (!m_canvas)
        return;
    CFileDialog dialog(FALSE, u"xls", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       u"xls Files(*.xls)|*.xls||", nullptr);
    if (dialog.DoModal() != IDOK || !m_canvas)
        return;
    // The export shows the busy cursor; the platform's one when "hourglas.ani" is missing.
    if (!m_canvas->m_waitCursor)
        m_canvas->m_waitCursor = m_waitCursor;
    m_canvas->ExportToSpreadsheet(dialog.GetPathName());
}

// ---- Picture operations ----

template <typename Operation> void CPhotoMeasureDlg::ChangePicture(Operation operation) {
    if (!m_canvas || !m_canvas->m_image)
        return;
    operation(*m_canvas->m_image);
    Invalidate(FALSE);
    m_canvas->Invalidate(FALSE);
}

void CPhotoMeasureDlg::OnMirror() {
    ChangePicture([](CDibImage& image) { image.Mirror(false, true); });
}

void CPhotoMeasureDlg::OnFlip() {
    ChangePicture([](CDibImage& image) { image.Flip(false, true); });
}

void CPhotoMeasureDlg::OnNegative() {
    ChangePicture([](CDibImage& image) { image.Negative(); });
}

void CPhotoMeasureDlg::OnBrightnessUp() {
    ChangePicture([](CDibImage& image) { image.Light(10, 0); });
}

void CPhotoMeasureDlg::OnBrightnessDown() {
    ChangePicture([](CDibImage& image) { image.Light(-10, 0); });
}

void CPhotoMeasureDlg::OnMedianFilter() {
    ChangePicture([](CDibImage& image) { image.Median(3); });
}

void CPhotoMeasureDlg::OnAverageFilter() {
    ChangePicture([](CDibImage& image) {
        const long kernel[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
        image.Filter(kernel, 3, 9, 0);
    });
}
