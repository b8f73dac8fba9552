// Wavenor's Setting dialog of the measurements, on the program's own settings store: a click
// takes effect at once, Apply stores every setting, Cancel leaves the store as it was and the
// next opening reads it again; stored values no box stands for tick the set's last box.
#include "wifi_measure/WifiPenSettingDlg.h"

#include "tests/measure/DialogFixture.h"

#include "wifi/WifiSettings.h"

#include "measure/MeasureSettings.h"
#include "measure/Units.h"
#include "res/WavenorResource.h"

#include <string>

namespace {

using namespace mstest;

class WifiPenSettingTest : public MeasureDialogTest {
protected:
    void SetUp() override {
        MeasureDialogTest::SetUp();
        RegDeleteKey(HKEY_CURRENT_USER, kWifiSettingsKey);
        RegDeleteKey(HKEY_CURRENT_USER, kWifiRootKey);
        CreateDefaultWifiSettings();
        ResetWifiSettings();
        LoadWifiSettings();
    }
    static WifiSettingsStore Store() { return {LoadWifiSettings, SaveWifiSettings}; }

    // The boxes ticked in the dialog, of every set.
    static std::vector<int> Ticked(HWND h) {
        std::vector<int> ids;
        for (int id :
             {IDC_WP_UNIT_MM, IDC_WP_UNIT_CM, IDC_WP_UNIT_MIL, IDC_WP_UNIT_INCH, IDC_WP_DECIMAL_3,
              IDC_WP_DECIMAL_4, IDC_WP_DECIMAL_5, IDC_WP_DECIMAL_6, IDC_WP_LINE_SOLID,
              IDC_WP_LINE_DASH, IDC_WP_LINE_DOT, IDC_WP_COLOR_RED, IDC_WP_COLOR_GREEN,
              IDC_WP_COLOR_BLUE, IDC_WP_WIDTH_1, IDC_WP_WIDTH_2, IDC_WP_WIDTH_3})
            if (Checked(h, id))
                ids.push_back(id);
        return ids;
    }
    static DWORD Stored(const WCHAR* name) {
        const std::vector<BYTE> b = Raw(kWifiSettingsKey, name);
        return b.size() == 4 ? DWORD(b[0] | b[1] << 8 | b[2] << 16 | DWORD(b[3]) << 24)
                             : 0xDEADBEEF;
    }
    static std::u16string StoredUnit() {
        const std::vector<BYTE> b = Raw(kWifiSettingsKey, u"units");
        std::u16string unit;
        for (size_t i = 0; i + 1 < b.size() && (b[i] | b[i + 1]); i += 2)
            unit.push_back(char16_t(b[i] | b[i + 1] << 8));
        return unit;
    }
    // Clicks one box of each set, as the operator does.
    static void ChooseInchFiveDashedGreenThree(HWND h) {
        for (int id : {IDC_WP_UNIT_INCH, IDC_WP_DECIMAL_5, IDC_WP_LINE_DASH, IDC_WP_COLOR_GREEN,
                       IDC_WP_WIDTH_3})
            Press(h, id);
    }
};

TEST_F(WifiPenSettingTest, OpensOnTheStoredValuesWithItsTexts) {
    CWifiPenSettingDlg dlg(Store());
    ms::test::AnswerDialog(IDD_WIFI_PEN_SETTING, [&](HWND h) {
        WCHAR caption[64]{};
        GetWindowText(h, caption, 64);
        EXPECT_EQ(std::u16string(caption), u"Setting");
        EXPECT_EQ(Text(h, IDOK), u"Apply");
        EXPECT_EQ(Text(h, IDC_WP_WIDTH_2), u"2 Pixels");
        EXPECT_EQ(Ticked(h), (std::vector<int>{IDC_WP_UNIT_MM, IDC_WP_DECIMAL_3, IDC_WP_LINE_SOLID,
                                               IDC_WP_COLOR_RED, IDC_WP_WIDTH_2}));
        Press(h, IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST_F(WifiPenSettingTest, ApplyStoresEverySettingAndTheBoxesStayExclusive) {
    CWifiPenSettingDlg dlg(Store());
    ms::test::AnswerDialog(IDD_WIFI_PEN_SETTING, [&](HWND h) {
        ChooseInchFiveDashedGreenThree(h);
        EXPECT_EQ(Ticked(h), (std::vector<int>{IDC_WP_UNIT_INCH, IDC_WP_DECIMAL_5, IDC_WP_LINE_DASH,
                                               IDC_WP_COLOR_GREEN, IDC_WP_WIDTH_3}));
        Press(h, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(std::u16string(g_unitName), u"inch");
    EXPECT_EQ(StoredUnit(), u"inch");
    EXPECT_EQ(Stored(u"m_decimalnum"), 5u);
    EXPECT_EQ(Stored(u"m_line_type"), 1u);
    EXPECT_EQ(Stored(u"m_line_color"), 0x00FF00u);
    EXPECT_EQ(Stored(u"m_line_width"), 3u);
}

TEST_F(WifiPenSettingTest, CancelKeepsTheStoreAndTheNextOpeningReadsItAgain) {
    CWifiPenSettingDlg first(Store());
    ms::test::AnswerDialog(IDD_WIFI_PEN_SETTING, [&](HWND h) {
        ChooseInchFiveDashedGreenThree(h);
        Press(h, IDCANCEL);
    });
    EXPECT_EQ(first.DoModal(), IDCANCEL);
    // The choices hold for the rest of the run, the store keeps the old values.
    EXPECT_EQ(std::u16string(g_unitName), u"inch");
    EXPECT_EQ(g_lineColor, 0x00FF00u);
    EXPECT_EQ(StoredUnit(), u"mm");
    EXPECT_EQ(Stored(u"m_decimalnum"), 3u);
    EXPECT_EQ(Stored(u"m_line_type"), 0u);
    EXPECT_EQ(Stored(u"m_line_color"), 255u);
    EXPECT_EQ(Stored(u"m_line_width"), 2u);

    CWifiPenSettingDlg second(Store());
    ms::test::AnswerDialog(IDD_WIFI_PEN_SETTING, [&](HWND h) {
        EXPECT_EQ(Ticked(h), (std::vector<int>{IDC_WP_UNIT_MM, IDC_WP_DECIMAL_3, IDC_WP_LINE_SOLID,
                                               IDC_WP_COLOR_RED, IDC_WP_WIDTH_2}));
        Press(h, IDCANCEL);
    });
    second.DoModal();
    EXPECT_EQ(std::u16string(g_unitName), u"mm");
}

TEST_F(WifiPenSettingTest, AValueNoBoxStandsForTicksTheLastBoxOfItsSet) {
    // Values the registry reader takes but no box stands for.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kWifiSettingsKey, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    const WCHAR unit[] = u"um";
    RegSetValueEx(key, u"units", 0, REG_SZ, reinterpret_cast<const BYTE*>(unit), sizeof unit);
    const DWORD color = 0x123456;
    RegSetValueEx(key, u"m_line_color", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&color),
                  sizeof color);
    RegCloseKey(key);

    CWifiPenSettingDlg dlg(Store());
    ms::test::AnswerDialog(IDD_WIFI_PEN_SETTING, [&](HWND h) {
        EXPECT_TRUE(Checked(h, IDC_WP_UNIT_INCH));
        EXPECT_TRUE(Checked(h, IDC_WP_COLOR_BLUE));
        Press(h, IDCANCEL);
    });
    dlg.DoModal();
    // Until a box is clicked the settings are the stored ones.
    EXPECT_EQ(std::u16string(g_unitName), u"um");
    EXPECT_EQ(g_lineColor, 0x123456u);
}

} // namespace
