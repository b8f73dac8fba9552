// The pen and unit setting dialog, driven as the operator does through the test seams: what
// it stores at once, what only on OK, the width check, the range combo and the callers' font
// protocol.
#include "measure/PenSettingDlg.h"

#include "tests/measure/DialogFixture.h"

#include "platform/win/core/Files.h"
#include "res/TessaryResource.h"

#include <cstring>
#include <filesystem>

namespace {

using namespace mstest;

using PenSettingTest = MeasureDialogTest;

CPenSettingDlg& Dlg(HWND hwnd) {
    return *static_cast<CPenSettingDlg*>(CWnd::FromHandlePermanent(hwnd));
}

void SelectTab(HWND dlg, int page) {
    HWND tab = GetDlgItem(dlg, IDC_PEN_TAB);
    SendMessage(tab, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    NMHDR nm{tab, IDC_PEN_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessage(dlg, WM_NOTIFY, IDC_PEN_TAB, reinterpret_cast<LPARAM>(&nm));
}

// "unit" as Windows stores it: the text in UTF-16LE, its terminator, zeros up to 12 bytes.
std::vector<BYTE> UnitBytes(const char* unit) {
    std::vector<BYTE> bytes(12, 0);
    for (size_t i = 0; unit[i]; ++i)
        bytes[2 * i] = static_cast<BYTE>(unit[i]);
    return bytes;
}

TEST_F(PenSettingTest, UnitAndDecimalRadiosAreStoredAtOnceAndStayAfterCancel) {
    struct Unit {
        int radio;
        const char* text;
    };
    const Unit units[] = {{IDC_UNIT_CM, "cm"},
                          {IDC_UNIT_MIL, "mil"},
                          {IDC_UNIT_INCH, "inch"},
                          {IDC_UNIT_MM, "mm"},
                          {IDC_UNIT_CM, "cm"}};
    CPenSettingDlg dlg;
    ms::test::AnswerDialog(IDD_PEN_SETTING, [&](HWND h) {
        // The unit page shows its radios and hides the pen page's controls.
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, IDC_UNIT_MM)));
        SelectTab(h, 1);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_UNIT_MM)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, IDC_PEN_WIDTH)));
        EXPECT_EQ(dlg.m_penPageShown, 0);
        for (const Unit& u : units) {
            Press(h, u.radio);
            DWORD type = 0;
            EXPECT_EQ(Raw(kUnitsKey, u"unit", &type), UnitBytes(u.text)) << u.text;
            EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(ms::ToUtf8(g_unitName), u.text);
            for (const Unit& other : units)
                EXPECT_EQ(Checked(h, other.radio), other.radio == u.radio) << u.text;
        }
        const int decimalRadios[] = {IDC_DECIMAL_4, IDC_DECIMAL_2, IDC_DECIMAL_5, IDC_DECIMAL_3};
        for (int radio : decimalRadios) {
            Press(h, radio);
            const int places = radio - IDC_DECIMAL_2 + 2;
            EXPECT_EQ(g_decimalPlaces, places);
            EXPECT_EQ(Raw(kUnitsKey, u"decimal"), Dword(static_cast<DWORD>(places)));
        }
        SelectTab(h, 0);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_PEN_WIDTH)));
        Press(h, IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(Raw(kUnitsKey, u"unit"), UnitBytes("cm"));
    EXPECT_EQ(Raw(kUnitsKey, u"decimal"), Dword(3));
    EXPECT_TRUE(Raw(kFontKey, u"Linewidth").empty()); // Cancel stores no width or style
}

TEST_F(PenSettingTest, AnUnknownUnitOrDecimalChecksTheFallbackRadioAndStaysAsItIs) {
    ms::CopyBounded(g_unitName, 12, u"furlong");
    g_decimalPlaces = 9;
    CPenSettingDlg dlg;
    ms::test::AnswerDialog(IDD_PEN_SETTING, [&](HWND h) {
        EXPECT_TRUE(Checked(h, IDC_UNIT_MM));
        EXPECT_TRUE(Checked(h, IDC_DECIMAL_5));
        Press(h, IDCANCEL);
    });
    dlg.DoModal();
    EXPECT_EQ(ms::ToUtf8(g_unitName), "furlong");
    EXPECT_EQ(g_decimalPlaces, 9);
}

TEST_F(PenSettingTest, DashSetsTheWidthToOneAndWidthAndStyleAreStoredOnOk) {
    CPenSettingDlg dlg;
    ms::test::AnswerDialog(IDD_PEN_SETTING, [&](HWND h) {
        EXPECT_EQ(Text(h, IDC_PEN_WIDTH), u"2");
        EXPECT_TRUE(Checked(h, IDC_PEN_SOLID));
        Press(h, IDC_PEN_DASH);
        EXPECT_EQ(Text(h, IDC_PEN_WIDTH), u"1");
        EXPECT_EQ(dlg.m_penWidth, 1);
        EXPECT_EQ(dlg.m_penStyle, 1);
        // Typing a wider width keeps the dash in the style.
        Type(h, IDC_PEN_WIDTH, u"2");
        EXPECT_EQ(dlg.m_penWidth, 2);
        EXPECT_EQ(dlg.m_penStyle, 1);
        Press(h, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(Raw(kFontKey, u"Linewidth"), Dword(2));
    EXPECT_EQ(Raw(kFontKey, u"Linetype"), Dword(1));

    // A dashed style shows only with width 1: the next opening at width 2 checks solid.
    CPenSettingDlg again;
    again.m_penWidth = 2;
    again.m_penStyle = 1;
    ms::test::AnswerDialog(IDD_PEN_SETTING, [&](HWND h) {
        EXPECT_TRUE(Checked(h, IDC_PEN_SOLID));
        EXPECT_FALSE(Checked(h, IDC_PEN_DASH));
        Press(h, IDCANCEL);
    });
    again.DoModal();
    // Width 1 with the dot style checks dot.
    CPenSettingDlg dotted;
    dotted.m_penWidth = 1;
    dotted.m_penStyle = 2;
    ms::test::AnswerDialog(IDD_PEN_SETTING, [&](HWND h) {
        EXPECT_TRUE(Checked(h, IDC_PEN_DOT));
        Press(h, IDCANCEL);
    });
    dotted.DoModal();
}

TEST_F(PenSettingTest, AWidthOutOfRangeShowsTheRangeMessageOnceAndKeepsTheDialogOpen) {
    CPenSettingDlg dlg;
    ms::test::AnswerDialog(IDD_PEN_SETTING, [&](HWND h) {
        Type(h, IDC_PEN_WIDTH, u"5");
        // Painting the preview never checks the width.
        RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        Pump();
        EXPECT_TRUE(MessageBoxes().empty());
        Press(h, IDOK);
        Pump();
        RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        Pump();
    });
    dlg.DoModal();
    ASSERT_NE(LastDialog(), nullptr);
    EXPECT_TRUE(LastDialog()->leftOpen);
    EXPECT_EQ(MessageBoxes(),
              std::vector<std::u16string>{u"Please enter an integer between 1 and 3."});
    EXPECT_TRUE(Raw(kFontKey, u"Linewidth").empty());
    EXPECT_TRUE(Raw(kFontKey, u"Linetype").empty());
}

TEST_F(PenSettingTest, TheRangeComboSetsTheDetectRangeAndEveryOpeningShowsTwenty) {
    const int expected[] = {10, 12, 14, 16, 18, 20};
    g_detectRange = 10;
    CPenSettingDlg dlg;
    ms::test::AnswerDialog(IDD_PEN_SETTING, [&](HWND h) {
        HWND combo = GetDlgItem(h, IDC_PEN_RANGE);
        EXPECT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 6);
        EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 5);
        EXPECT_EQ(g_detectRange, 10); // showing "20" changes nothing
        for (int index = 0; index < 6; ++index) {
            SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            SendMessage(h, WM_COMMAND, MAKEWPARAM(IDC_PEN_RANGE, CBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(combo));
            EXPECT_EQ(g_detectRange, expected[index]) << index;
        }
        Press(h, IDCANCEL);
    });
    dlg.DoModal();
    EXPECT_EQ(DetectRangeForIndex(-1), 20);
}

// The colour of the preview's middle row at `x` pixels from the frame's left edge.
COLORREF PreviewPixel(HWND dlg, int x) {
    HWND preview = GetDlgItem(dlg, 0xFFFF);
    UpdateWindow(preview);
    RECT frame, inside;
    GetWindowRect(GetDlgItem(dlg, IDC_PEN_PREVIEW), &frame);
    GetWindowRect(preview, &inside);
    HDC dc = GetDC(preview);
    const COLORREF c =
        GetPixel(dc, frame.left + x - inside.left, (frame.top + frame.bottom) / 2 - inside.top);
    ReleaseDC(preview, dc);
    return c;
}

TEST_F(PenSettingTest, ThePreviewDrawsTheLineInItsColour) {
    CPenSettingDlg dlg;
    ms::test::AnswerColorDialog(RGB(0, 128, 0));
    ms::test::AnswerDialog(IDD_PEN_SETTING, [&](HWND h) {
        EXPECT_EQ(PreviewPixel(h, 40), RGB(255, 0, 0));
        EXPECT_NE(PreviewPixel(h, 8), RGB(255, 0, 0)); // 10 pixels inside the frame
        Press(h, IDC_PEN_COLOR);
        EXPECT_EQ(PreviewPixel(h, 40), RGB(0, 128, 0));
        Press(h, IDCANCEL);
    });
    dlg.DoModal();
}

TEST_F(PenSettingTest, TheColourIsStoredAtOnceAndTheFontOnlyOnOk) {
    const std::filesystem::path fontFile = program_ / "Measurefont.ini";
    const LOGFONTW chosen = Font(-22, u"DejaVu Sans");
    g_measureFont = Font(-14, u"Arial");
    CPenSettingDlg dlg;
    ms::test::AnswerColorDialog(RGB(0, 128, 0));
    ms::test::AnswerFontDialog(chosen, RGB(0, 0, 255));
    ms::test::AnswerDialog(IDD_PEN_SETTING, [&](HWND h) {
        Press(h, IDC_PEN_COLOR);
        Press(h, IDC_PEN_FONT);
        Press(h, IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    const auto& shown = ms::test::ShownCommonDialogs();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].color, RGB(255, 0, 0)); // the chooser opens on the line colour
    EXPECT_EQ(std::u16string(shown[1].font.lfFaceName), u"Arial");
    EXPECT_EQ(shown[1].color, RGB(255, 0, 0)); // ... and on the label colour
    EXPECT_EQ(dlg.m_lineColor, RGB(0, 128, 0));
    EXPECT_EQ(dlg.m_labelColor, RGB(0, 0, 255));
    EXPECT_EQ(Raw(kFontKey, u"LineColor"), Dword(RGB(0, 128, 0)));
    EXPECT_EQ(Raw(kFontKey, u"MeasureTxtColor"), Dword(RGB(0, 0, 255)));
    // Cancel: neither the file nor the font in memory changes.
    EXPECT_FALSE(std::filesystem::exists(fontFile));
    EXPECT_EQ(std::u16string(g_measureFont.lfFaceName), u"Arial");

    CPenSettingDlg ok;
    ms::test::AnswerFontDialog(chosen, RGB(0, 0, 255));
    ms::test::AnswerDialog(IDD_PEN_SETTING, [&](HWND h) {
        Press(h, IDC_PEN_FONT);
        Press(h, IDOK);
    });
    EXPECT_EQ(ok.DoModal(), IDOK);
    EXPECT_EQ(std::u16string(ok.m_chosenFont.lfFaceName), u"DejaVu Sans");
    ASSERT_TRUE(std::filesystem::exists(fontFile));
    g_measureFont = LOGFONTW{};
    ASSERT_EQ(ReadMeasureFont(), 1);
    EXPECT_EQ(g_measureFont.lfHeight, -22);
    EXPECT_EQ(std::u16string(g_measureFont.lfFaceName), u"DejaVu Sans");
}

TEST_F(PenSettingTest, CallersWithoutAFontFileOpenOnTheDefaultsAndKeepTheFontSize) {
    g_lineWidth = 3;
    g_lineType = 0;
    g_fontSize = 16;
    PenSettingCaller caller{RGB(0, 255, 0), RGB(0, 255, 0), LOGFONTW{}};
    ms::test::AnswerDialog(IDD_PEN_SETTING, [&](HWND h) {
        EXPECT_EQ(Text(h, IDC_PEN_WIDTH), u"2");
        EXPECT_TRUE(Checked(h, IDC_PEN_SOLID));
        EXPECT_EQ(Dlg(h).m_lineColor, RGB(255, 0, 0));
        EXPECT_EQ(Dlg(h).m_labelColor, RGB(255, 0, 0));
        Press(h, IDOK);
    });
    EXPECT_EQ(RunPenSettingDialog(nullptr, caller), IDOK);
    EXPECT_EQ(caller.lineColor, RGB(255, 0, 0));
    EXPECT_EQ(caller.labelColor, RGB(255, 0, 0));
    EXPECT_EQ(g_lineWidth, 2);
    const LOGFONTW def = DefaultLabelFont();
    EXPECT_EQ(std::memcmp(&caller.labelFont, &def, sizeof def), 0);
    EXPECT_EQ(g_fontSize, 16);
    EXPECT_TRUE(Raw(kFontKey, u"fontsize").empty());
}

TEST_F(PenSettingTest, CallersWithAFontFileOpenOnTheirSettingsAndTakeTheFontSize) {
    g_measureFont = Font(-20, u"Liberation Sans");
    WriteMeasureFont();
    g_lineWidth = 1;
    g_lineType = 2;
    PenSettingCaller caller{RGB(0, 255, 0), RGB(0, 0, 255), LOGFONTW{}};
    ms::test::AnswerDialog(IDD_PEN_SETTING, [&](HWND h) {
        EXPECT_EQ(Text(h, IDC_PEN_WIDTH), u"1");
        EXPECT_TRUE(Checked(h, IDC_PEN_DOT));
        EXPECT_EQ(Dlg(h).m_lineColor, RGB(0, 255, 0));
        EXPECT_EQ(Dlg(h).m_labelColor, RGB(0, 0, 255));
        Press(h, IDC_PEN_SOLID);
        Type(h, IDC_PEN_WIDTH, u"3");
        Press(h, IDOK);
    });
    EXPECT_EQ(RunPenSettingDialog(nullptr, caller), IDOK);
    EXPECT_EQ(g_lineWidth, 3);
    EXPECT_EQ(g_lineType, 0);
    EXPECT_EQ(caller.labelFont.lfHeight, -20);
    EXPECT_EQ(g_fontSize, 20);
    EXPECT_EQ(Raw(kFontKey, u"fontsize"), Dword(20));
}

} // namespace
