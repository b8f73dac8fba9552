#include "measure/PenSettingDlg.h"

#include "measure/MeasureSettings.h"
#include "kit/LangText.h"

#include "platform/mfc/AfxDlgs.h"
#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

constexpr int kPenControls[] = {
    IDC_PEN_TYPE_FRAME, IDC_PEN_COLOR_LABEL, IDC_PEN_WIDTH_LABEL, IDC_PEN_PREVIEW, IDC_PEN_SOLID,
    IDC_PEN_DASH,       IDC_PEN_DOT,         IDC_PEN_RANGE_LABEL, IDC_PEN_FONT,    IDC_PEN_COLOR,
    IDC_PEN_WIDTH,      IDC_PEN_WIDTH_SPIN,  IDC_PEN_RANGE};
constexpr int kUnitControls[] = {IDC_UNIT_FRAME, IDC_DECIMAL_FRAME, IDC_UNIT_MM,   IDC_UNIT_CM,
                                 IDC_UNIT_INCH,  IDC_UNIT_MIL,      IDC_DECIMAL_2, IDC_DECIMAL_3,
                                 IDC_DECIMAL_4,  IDC_DECIMAL_5};

struct UnitRadio {
    int id;
    const WCHAR* unit;
};
constexpr UnitRadio kUnits[] = {
    {IDC_UNIT_MM, u"mm"}, {IDC_UNIT_CM, u"cm"}, {IDC_UNIT_MIL, u"mil"}, {IDC_UNIT_INCH, u"inch"}};
constexpr int kDecimalRadios[] = {IDC_DECIMAL_2, IDC_DECIMAL_3, IDC_DECIMAL_4, IDC_DECIMAL_5};

constexpr const WCHAR* kRanges[] = {u"10", u"12", u"14", u"16", u"18", u"20"};

// Texts of the dialog are cut to this many characters.
constexpr int kTextBuffer = 64;

bool SameUnit(const WCHAR* a, const WCHAR* b) {
    return std::u16string_view(a) == std::u16string_view(b);
}

} // namespace

int DetectRangeForIndex(int index) {
    return index >= 0 && index <= 4 ? 10 + 2 * index : 20;
}

CPenSettingDlg::CPenSettingDlg(CWnd* parent) : CDialog(IDD_PEN_SETTING, parent) {}

void CPenSettingDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PEN_TAB, m_tab);
    DDX_Control(dx, IDC_PEN_WIDTH_SPIN, m_widthSpin);
    DDX_Control(dx, IDC_PEN_RANGE, m_rangeCombo);
    DDX_Text(dx, IDC_PEN_WIDTH, m_widthEdit);
    DDV_MinMaxInt(dx, m_widthEdit, 1, 3);
}

BEGIN_MESSAGE_MAP(CPenSettingDlg, CDialog)
ON_NOTIFY(TCN_SELCHANGE, IDC_PEN_TAB, OnTabChange)
ON_CONTROL_RANGE(BN_CLICKED, IDC_PEN_SOLID, IDC_PEN_DOT, OnStyle)
ON_EN_CHANGE(IDC_PEN_WIDTH, OnWidthChange)
ON_BN_CLICKED(IDC_PEN_COLOR, OnColor)
ON_BN_CLICKED(IDC_PEN_FONT, OnFont)
ON_CONTROL_RANGE(BN_CLICKED, IDC_UNIT_MM, IDC_UNIT_MIL, OnUnit)
ON_CONTROL_RANGE(BN_CLICKED, IDC_DECIMAL_2, IDC_DECIMAL_5, OnDecimals)
ON_CBN_SELCHANGE(IDC_PEN_RANGE, OnRangeChange)
ON_WM_DESTROY()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CPenSettingDlg::CPreview, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CPenSettingDlg::OnInitDialog() {
    // The edit's first text raises a change that sets m_penWidth from it: start it at the
    // caller's width, so a dashed or dotted pen of width 1 opens as it was.
    m_widthEdit = m_penWidth;
    CDialog::OnInitDialog();
    m_fontAtOpening = g_measureFont;
    m_fontChosen = false;

    WCHAR text[kTextBuffer];
    GetLangText(u"PenSetting", text, kTextBuffer, u"Pen setting");
    SetWindowText(text);
    m_tab.InsertItem(0, text);
    GetLangText(u"UnitSetting", text, kTextBuffer, u"Unit setting");
    m_tab.InsertItem(1, text);
    m_tab.SetCurSel(0);
    struct Caption {
        int id;
        const WCHAR* key;
        const WCHAR* english;
    };
    static constexpr Caption kCaptions[] = {
        {IDC_PEN_TYPE_FRAME, u"PenType", u"Line Type"},
        {IDC_PEN_COLOR_LABEL, u"PenColorLine", u"Line Colour"},
        {IDC_PEN_WIDTH_LABEL, u"PenWidth", u"Line Width"},
        {IDC_PEN_PREVIEW, u"LinePriview", u"Preview"},
        {IDC_PEN_SOLID, u"SolidLine", u"Solid Line"},
        {IDC_PEN_DASH, u"DashLine", u"Dash Line"},
        {IDC_PEN_DOT, u"DotLine", u"Dot Line"},
        {IDC_PEN_RANGE_LABEL, u"DetectRange", u"Detection Range"},
        {IDC_PEN_COLOR, u"PenColor", u"Colour"},
        {IDC_PEN_FONT, u"Font", u"Font"},
        {IDC_UNIT_FRAME, u"Units", u"Units"},
        {IDC_DECIMAL_FRAME, u"decimal", u"decimal"},
        {IDOK, u"OK", u"OK"},
        {IDCANCEL, u"Cancel", u"Cancel"},
    };
    for (const Caption& c : kCaptions) {
        GetLangText(c.key, text, kTextBuffer, c.english);
        SetDlgItemText(c.id, text);
    }

    m_widthSpin.SetBuddy(GetDlgItem(IDC_PEN_WIDTH));
    m_widthSpin.SetRange(1, 3);
    SetDlgItemInt(IDC_PEN_WIDTH, static_cast<UINT>(m_penWidth));

    // A style other than solid only shows with width 1.
    int style = IDC_PEN_SOLID;
    if (m_penWidth == 1 && m_penStyle == 1)
        style = IDC_PEN_DASH;
    else if (m_penWidth == 1 && m_penStyle == 2)
        style = IDC_PEN_DOT;
    CheckDlgButton(style, BST_CHECKED);

    ReadUnitSettings();
    int unitRadio = IDC_UNIT_MM; // an unknown unit checks "mm" but stays as it is
    for (const UnitRadio& u : kUnits)
        if (SameUnit(g_unitName, u.unit))
            unitRadio = u.id;
    CheckDlgButton(unitRadio, BST_CHECKED);
    const int decimals = g_decimalPlaces >= 2 && g_decimalPlaces <= 5 ? g_decimalPlaces : 5;
    CheckDlgButton(kDecimalRadios[decimals - 2], BST_CHECKED);

    CreatePreview();
    ShowPage(0);

    // Every opening shows 20; the range itself changes only when the operator picks one.
    for (const WCHAR* r : kRanges)
        m_rangeCombo.AddString(r);
    m_rangeCombo.SetCurSel(static_cast<int>(std::size(kRanges)) - 1);
    return TRUE;
}

void CPenSettingDlg::ShowPage(int page) {
    for (int id : kPenControls)
        if (CWnd* w = GetDlgItem(id))
            w->ShowWindow(page == 0 ? SW_SHOW : SW_HIDE);
    for (int id : kUnitControls)
        if (CWnd* w = GetDlgItem(id))
            w->ShowWindow(page == 0 ? SW_HIDE : SW_SHOW);
    if (m_preview.m_hWnd)
        m_preview.ShowWindow(page == 0 ? SW_SHOW : SW_HIDE);
    m_penPageShown = page == 0 ? 1 : 0;
    Invalidate();
}

void CPenSettingDlg::CreatePreview() {
    // The inside of the frame, below its title; the line keeps its place in the frame.
    CRect frame;
    GetDlgItem(IDC_PEN_PREVIEW)->GetWindowRect(&frame);
    ScreenToClient(&frame);
    CRect inside(frame.left + 2, frame.top + 16, frame.right - 2, frame.bottom - 2);
    m_preview.m_owner = this;
    m_preview.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, inside, this, 0xFFFF);
}

void CPenSettingDlg::RepaintPreview() {
    if (m_preview.m_hWnd)
        m_preview.Invalidate();
}

void CPenSettingDlg::OnTabChange(NMHDR*, LRESULT* result) {
    ShowPage(m_tab.GetCurSel() == 0 ? 0 : 1);
    *result = 0;
}

void CPenSettingDlg::OnStyle(UINT id) {
    m_penStyle = static_cast<int>(id - IDC_PEN_SOLID);
    if (m_penStyle != 0) {
        // Windows draws dashes and dots with thin pens only.
        m_penWidth = 1;
        SetDlgItemInt(IDC_PEN_WIDTH, 1);
    }
    RepaintPreview();
}

void CPenSettingDlg::OnWidthChange() {
    m_penWidth = static_cast<int>(GetDlgItemInt(IDC_PEN_WIDTH, nullptr, TRUE));
    RepaintPreview();
}

void CPenSettingDlg::OnColor() {
    CColorDialog dlg(m_lineColor, 0, this);
    if (dlg.DoModal() != IDOK)
        return;
    m_lineColor = dlg.GetColor();
    WriteLineColor(m_lineColor);
    RepaintPreview();
}

void CPenSettingDlg::OnFont() {
    CFontDialog dlg(&g_measureFont, CF_SCREENFONTS | CF_EFFECTS, nullptr, this);
    dlg.m_cf.rgbColors = m_labelColor;
    if (dlg.DoModal() != IDOK)
        return;
    dlg.GetCurrentFont(&g_measureFont);
    g_measureFont.lfFaceName[LF_FACESIZE - 1] = 0;
    m_labelFontObject.DeleteObject();
    m_labelFontObject.CreateFontIndirect(&g_measureFont);
    m_chosenFont = g_measureFont;
    m_labelColor = dlg.GetColor();
    WriteMeasureTextColor(m_labelColor);
    // The font file is written by OK, so that Cancel leaves the stored font as it was.
    m_fontChosen = true;
}

void CPenSettingDlg::OnUnit(UINT id) {
    for (const UnitRadio& u : kUnits) {
        CheckDlgButton(u.id, u.id == static_cast<int>(id) ? BST_CHECKED : BST_UNCHECKED);
        if (u.id == static_cast<int>(id)) {
            std::memset(g_unitName, 0, sizeof g_unitName);
            ms::CopyBounded(g_unitName, 12, u.unit);
        }
    }
    WriteUnitSettings();
}

void CPenSettingDlg::OnDecimals(UINT id) {
    for (int radio : kDecimalRadios)
        CheckDlgButton(radio, radio == static_cast<int>(id) ? BST_CHECKED : BST_UNCHECKED);
    g_decimalPlaces = static_cast<int>(id - IDC_DECIMAL_2) + 2;
    WriteUnitSettings();
}

void CPenSettingDlg::OnRangeChange() {
    g_detectRange = DetectRangeForIndex(m_rangeCombo.GetCurSel());
}

void CPenSettingDlg::CPreview::OnPaint() {
    CPaintDC dc(this);
    CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, ::GetSysColor(COLOR_BTNFACE));
    if (!m_owner || !m_owner->m_penPageShown)
        return;
    // The width is checked on OK only: painting must never raise the range message. A line
    // through the middle of the frame, 10 pixels inside its left and right edges.
    CRect frame;
    m_owner->GetDlgItem(IDC_PEN_PREVIEW)->GetWindowRect(&frame);
    ScreenToClient(&frame);
    CPen pen(m_owner->m_penStyle, std::max(m_owner->m_penWidth, 0), m_owner->m_lineColor);
    CPen* old = dc.SelectObject(&pen);
    const int y = frame.top + (frame.bottom - frame.top) / 2;
    dc.MoveTo(frame.left + 10, y);
    dc.LineTo(frame.right - 10, y);
    dc.SelectObject(old);
}

void CPenSettingDlg::OnOK() {
    if (!UpdateData(TRUE))
        return; // the range message was shown and the width edit has the focus
    WriteLineWidth(m_penWidth);
    WriteLineType(m_penStyle);
    if (m_fontChosen)
        WriteMeasureFont();
    EndDialog(IDOK);
}

void CPenSettingDlg::OnCancel() {
    g_measureFont = m_fontAtOpening;
    CDialog::OnCancel();
}

void CPenSettingDlg::OnDestroy() {
    m_labelFontObject.DeleteObject();
    CDialog::OnDestroy();
}

INT_PTR RunPenSettingDialog(CWnd* parent, PenSettingCaller& caller) {
    CPenSettingDlg dlg(parent);
    const bool fontRead = ReadMeasureFont() != 0;
    if (fontRead) {
        dlg.m_lineColor = caller.lineColor;
        dlg.m_labelColor = caller.labelColor;
        dlg.m_penWidth = g_lineWidth;
        dlg.m_penStyle = g_lineType;
    } else {
        g_measureFont = DefaultLabelFont();
    }
    const INT_PTR result = dlg.DoModal();
    if (result != IDOK)
        return result;
    caller.lineColor = dlg.m_lineColor;
    caller.labelColor = dlg.m_labelColor;
    g_lineWidth = dlg.m_penWidth;
    g_lineType = dlg.m_penStyle;
    caller.labelFont = g_measureFont;
    if (fontRead) {
        g_fontSize = std::abs(static_cast<int>(g_measureFont.lfHeight));
        WriteFontSize();
    }
    return result;
}
