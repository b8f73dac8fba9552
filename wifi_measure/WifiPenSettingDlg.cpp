#include "wifi_measure/WifiPenSettingDlg.h"

#include "measure/MeasureSettings.h"
#include "measure/Units.h"
#include "kit/LangText.h"

#include "platform/win/core/WString.h"
#include "res/WavenorResource.h"

#include <utility>

namespace {

enum class Setting { Unit, Decimals, LineType, Color, Width };

// One box: the setting it belongs to and the value it stands for (a number, or the unit text).
struct Choice {
    Setting setting;
    int id;
    DWORD value;
    const WCHAR* unit;
};

// Each set in the order of its boxes; the last box of a set is ticked for a value that none
// stands for.
constexpr Choice kChoices[] = {
    {Setting::Unit, IDC_WP_UNIT_MM, 0, u"mm"},
    {Setting::Unit, IDC_WP_UNIT_CM, 0, u"cm"},
    {Setting::Unit, IDC_WP_UNIT_MIL, 0, u"mil"},
    {Setting::Unit, IDC_WP_UNIT_INCH, 0, u"inch"},
    {Setting::Decimals, IDC_WP_DECIMAL_3, 3, nullptr},
    {Setting::Decimals, IDC_WP_DECIMAL_4, 4, nullptr},
    {Setting::Decimals, IDC_WP_DECIMAL_5, 5, nullptr},
    {Setting::Decimals, IDC_WP_DECIMAL_6, 6, nullptr},
    {Setting::LineType, IDC_WP_LINE_SOLID, 0, nullptr},
    {Setting::LineType, IDC_WP_LINE_DASH, 1, nullptr},
    {Setting::LineType, IDC_WP_LINE_DOT, 2, nullptr},
    {Setting::Color, IDC_WP_COLOR_RED, 0x0000FF, nullptr},
    {Setting::Color, IDC_WP_COLOR_GREEN, 0x00FF00, nullptr},
    {Setting::Color, IDC_WP_COLOR_BLUE, 0xFF0000, nullptr},
    {Setting::Width, IDC_WP_WIDTH_1, 1, nullptr},
    {Setting::Width, IDC_WP_WIDTH_2, 2, nullptr},
    {Setting::Width, IDC_WP_WIDTH_3, 3, nullptr},
};

const Choice* ChoiceOf(int id) {
    for (const Choice& c : kChoices)
        if (c.id == id)
            return &c;
    return nullptr;
}

bool IsCurrent(const Choice& c) {
    switch (c.setting) {
    case Setting::Unit:
        return wcscmp(g_unitName, c.unit) == 0;
    case Setting::Decimals:
        return g_decimalPlaces == static_cast<int>(c.value);
    case Setting::LineType:
        return g_lineType == static_cast<int>(c.value);
    case Setting::Color:
        return g_lineColor == c.value;
    case Setting::Width:
        return g_lineWidth == static_cast<int>(c.value);
    }
    return false;
}

void Apply(const Choice& c) {
    switch (c.setting) {
    case Setting::Unit:
        ms::CopyBounded(g_unitName, 12, c.unit);
        break;
    case Setting::Decimals:
        g_decimalPlaces = static_cast<int>(c.value);
        break;
    case Setting::LineType:
        g_lineType = static_cast<int>(c.value);
        break;
    case Setting::Color:
        g_lineColor = c.value;
        break;
    case Setting::Width:
        g_lineWidth = static_cast<int>(c.value);
        break;
    }
}

// Ticks `chosen` and clears the other boxes of its set.
void Tick(CWnd* dlg, const Choice& chosen) {
    for (const Choice& c : kChoices)
        if (c.setting == chosen.setting)
            dlg->CheckDlgButton(c.id, c.id == chosen.id ? BST_CHECKED : BST_UNCHECKED);
}

} // namespace

CWifiPenSettingDlg::CWifiPenSettingDlg(WifiSettingsStore store, CWnd* parent)
    : CDialog(IDD_WIFI_PEN_SETTING, parent), m_store(std::move(store)) {}

BOOL CWifiPenSettingDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_store.load)
        m_store.load();
    const Choice* ticked = nullptr;
    for (size_t i = 0; i < std::size(kChoices); ++i) {
        const Choice& c = kChoices[i];
        const bool lastOfSet = i + 1 == std::size(kChoices) || kChoices[i + 1].setting != c.setting;
        if (!ticked && (IsCurrent(c) || lastOfSet))
            ticked = &c;
        if (lastOfSet) {
            Tick(this, *ticked);
            ticked = nullptr;
        }
    }
    LoadLangTexts();
    return TRUE;
}

BOOL CWifiPenSettingDlg::OnCommand(WPARAM wp, LPARAM lp) {
    if (HIWORD(wp) == BN_CLICKED) {
        if (const Choice* c = ChoiceOf(LOWORD(wp))) {
            Tick(this, *c);
            Apply(*c);
            return TRUE;
        }
    }
    return CDialog::OnCommand(wp, lp);
}

void CWifiPenSettingDlg::OnOK() {
    if (m_store.save)
        m_store.save();
    EndDialog(IDOK);
}

void CWifiPenSettingDlg::LoadLangTexts() {
    struct Text {
        int id; // 0: the caption
        const WCHAR* key;
        const WCHAR* english;
    };
    static constexpr Text kTexts[] = {
        {0, u"PenSetting", u"Setting"},
        {IDC_WP_UNIT_BOX, u"Units", u"Unit"},
        {IDC_WP_DECIMAL_BOX, u"decimal", u"Decimal"},
        {IDC_WP_LINE_BOX, u"LineProperies", u"Line Properies"},
        {IDC_WP_LINE_SOLID, u"SolidLine", u"Solid-Line"},
        {IDC_WP_LINE_DASH, u"DashLine", u"Dashed-Line"},
        {IDC_WP_LINE_DOT, u"DotLine2", u"Dotted-Line"},
        {IDC_WP_COLOR_RED, u"ColorRed", u"Red"},
        {IDC_WP_COLOR_GREEN, u"ColorGreen", u"Green"},
        {IDC_WP_COLOR_BLUE, u"ColorBlue", u"Blue"},
        {IDC_WP_WIDTH_1, u"LineWidth1", u"1 Pixels"},
        {IDC_WP_WIDTH_2, u"LineWidth2", u"2 Pixels"},
        {IDC_WP_WIDTH_3, u"LineWidth3", u"3 Pixels"},
        {IDOK, u"Apply", u"Apply"},
    };
    WCHAR text[128];
    for (const Text& t : kTexts) {
        GetLangText(t.key, text, 128, t.english);
        if (t.id == 0)
            SetWindowText(text);
        else
            SetDlgItemText(t.id, text);
    }
}
