// The WiFi program's form of the Text dialog: its own control ids and texts, and its colour
// kept with that program's other registry settings, read at opening and written after the
// font file when a font is chosen.
#include "measure/TextDlg.h"

#include "tests/measure/DialogFixture.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace mstest;

using WifiTextDialogTest = mstest::MeasureDialogTest;

constexpr int kEdit = 1164;
constexpr int kFontButton = 1163;
constexpr int kPrompt = 1166;

TEST_F(WifiTextDialogTest, UsesItsOwnIdsAndSettings) {
    std::vector<std::string> calls;
    const std::filesystem::path fontFile = program_ / "logfont.ini";
    const TextDlgVariant variant = WavenorTextDlg(
        [&] {
            calls.push_back("load");
            g_textColor = RGB(10, 20, 30);
        },
        [&] { calls.push_back(std::filesystem::exists(fontFile) ? "save after font" : "save"); });
    const LOGFONTW chosen = Font(-18, u"DejaVu Sans");
    ms::test::AnswerFontDialog(chosen, RGB(200, 0, 0));

    CTextDlg dlg(variant, nullptr);
    ms::test::AnswerDialog(246, [&](HWND h) {
        WCHAR caption[64]{};
        GetWindowText(h, caption, 64);
        EXPECT_EQ(std::u16string(caption), u"Text");
        EXPECT_EQ(Text(h, kFontButton), u"Font");
        EXPECT_EQ(Text(h, kPrompt), u"Please enter text:");
        EXPECT_EQ(dlg.m_color, RGB(10, 20, 30));
        Type(h, kEdit, u"Wafer edge");
        Press(h, kFontButton);
        Press(h, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(std::u16string(dlg.m_text.GetString()), u"Wafer edge");
    EXPECT_EQ(calls, (std::vector<std::string>{"load", "save after font"}));
    EXPECT_EQ(g_textColor, RGB(200, 0, 0));
    EXPECT_EQ(g_textFont.lfHeight, -18);
    // The Tessary registry value is not the WiFi program's.
    EXPECT_TRUE(Raw(kFontKey, u"fontcolor").empty());
}

} // namespace
