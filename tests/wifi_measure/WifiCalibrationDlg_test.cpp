// Wavenor's Calibration dialog: the typed millimetres in each unit, the entries it refuses
// with "EnterDigital" while it stays open, the "C" numerics under a German locale, and the
// arithmetic of a calibration line.
#include "wifi_measure/WifiCalibrationDlg.h"

#include "tests/measure/DialogFixture.h"

#include "measure/Units.h"
#include "res/WavenorResource.h"

#include <clocale>
#include <string>

namespace {

using namespace mstest;

using WifiCalibrationTest = mstest::MeasureDialogTest;

const std::u16string kEnterDigital = u"Please enter digital!";

// Types `typed` into a fresh dialog and presses OK; the dialog's record tells how it ended.
void Enter(const char16_t* typed) {
    ms::test::ResetSeams();
    CWifiCalibrationDlg dlg;
    ms::test::AnswerDialog(IDD_WIFI_CALIBRATION, [&](HWND h) {
        Type(h, IDC_WC_DISTANCE, typed);
        Press(h, IDOK);
    });
    dlg.DoModal();
}

TEST_F(WifiCalibrationTest, TheTypedMillimetresAreLeftInTheCurrentUnit) {
    struct Case {
        const char16_t* unit;
        double expected;
    };
    const Case cases[] = {
        {u"inch", 1.0}, {u"mil", 1000.0}, {u"cm", 2.54}, {u"mm", 25.4}, {u"", 25.4}};
    for (const Case& c : cases) {
        ms::CopyBounded(g_unitName, 12, c.unit);
        Enter(u"25.4");
        ASSERT_NE(LastDialog(), nullptr);
        EXPECT_EQ(LastDialog()->result, IDOK) << ms::ToUtf8(c.unit);
        EXPECT_DOUBLE_EQ(g_actualDistance, c.expected) << ms::ToUtf8(c.unit);
        EXPECT_TRUE(MessageBoxes().empty());
    }
}

TEST_F(WifiCalibrationTest, NothingNumericZeroAndNegativeLengthsAreRefusedAndTheDialogStays) {
    for (const char16_t* typed : {u"abc", u"", u"0", u"-5"}) {
        Enter(typed);
        ASSERT_NE(LastDialog(), nullptr);
        EXPECT_TRUE(LastDialog()->leftOpen) << ms::ToUtf8(typed);
        EXPECT_EQ(MessageBoxes(), std::vector{kEnterDigital}) << ms::ToUtf8(typed);
    }
}

TEST_F(WifiCalibrationTest, ACommaEndsTheNumberUnderEveryLocale) {
    Enter(u"3,5");
    EXPECT_DOUBLE_EQ(g_actualDistance, 3.0);

    const std::string old = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    Enter(u"3,5");
    const double german = g_actualDistance;
    Enter(u"2.5");
    const double point = g_actualDistance;
    std::setlocale(LC_ALL, old.c_str());
    EXPECT_DOUBLE_EQ(german, 3.0);
    EXPECT_DOUBLE_EQ(point, 2.5);
}

TEST_F(WifiCalibrationTest, ShowsItsTextsFromTheLanguageFile) {
    CWifiCalibrationDlg dlg;
    ms::test::AnswerDialog(IDD_WIFI_CALIBRATION, [&](HWND h) {
        WCHAR caption[64]{};
        GetWindowText(h, caption, 64);
        EXPECT_EQ(std::u16string(caption), u"Calibration");
        EXPECT_EQ(Text(h, IDC_WC_PROMPT), u"Please enter actual distance (mm)");
        Press(h, IDCANCEL);
    });
    g_actualDistance = 7.0;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_DOUBLE_EQ(g_actualDistance, 7.0); // Cancel leaves it
}

TEST_F(WifiCalibrationTest, ALineCalibratesAndReadsTheTypedLength) {
    const double s = UnitPerMicron(u"mm") * 63.829787234;
    const double zoom = CalibratedZoomOf(300, s, 25.4);
    EXPECT_NEAR(zoom, 300 * s * 10 / 25.4, 1e-12);
    EXPECT_EQ(std::u16string(CalibrationLineLabel(300, s, zoom, 60.0).GetString()), u"L:25.400mm");
    // No calibration comes out of a line or a length of nothing.
    EXPECT_EQ(CalibratedZoomOf(0, s, 25.4), 0.0);
    EXPECT_EQ(CalibratedZoomOf(300, s, 0.0), 0.0);
}

TEST_F(WifiCalibrationTest, ALineCancelledBeforeAnyCalibrationReadsAtTheCurrentMagnification) {
    const double s = UnitPerMicron(u"mm") * 63.829787234;
    // 300 pixels at magnification 10: 300 x s x 10 / 10.
    EXPECT_EQ(std::u16string(CalibrationLineLabel(300, s, 0.0, 10.0).GetString()), u"L:19.149mm");
}

} // namespace
