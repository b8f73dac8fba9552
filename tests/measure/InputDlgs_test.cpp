// The small input dialogs: what each accepts, what it refuses with "EnterDigital" while it
// stays open, and what the caller finds after OK.
#include "measure/InputDlgs.h"

#include "tests/measure/DialogFixture.h"

#include "res/TessaryResource.h"

namespace {

using namespace mstest;

using InputDialogTest = mstest::MeasureDialogTest;

const std::u16string kEnterDigital = u"Please enter digital!";

struct Entry {
    const char16_t* typed;
    bool accepted;
    double value;
};

// Types `typed` into the edit of a fresh dialog and presses OK.
template <class Dialog>
void Enter(UINT templateId, int editId, const char16_t* typed, Dialog& dlg) {
    ms::test::AnswerDialog(templateId, [&](HWND h) {
        EXPECT_EQ(Text(h, editId), u""); // empty at every opening
        Type(h, editId, typed);
        Press(h, IDOK);
    });
    dlg.DoModal();
}

TEST_F(InputDialogTest, CalibrationTakesAPositiveLengthAndRefusesTheRest) {
    const Entry entries[] = {
        {u"12.5", true, 12.5}, {u"  3abc", true, 3.0}, {u"0.001", true, 0.001},
        {u"", false, 0.0},     {u"0", false, 0.0},     {u"0.0", false, 0.0},
        {u"abc", false, 0.0},  {u"-2.5", false, -2.5},
    };
    for (const Entry& e : entries) {
        ms::test::ResetSeams();
        CCalibrationDlg dlg;
        Enter(IDD_CALIBRATION, IDC_CALIB_DISTANCE, e.typed, dlg);
        const std::string what = ms::ToUtf8(e.typed);
        ASSERT_NE(LastDialog(), nullptr);
        EXPECT_EQ(LastDialog()->result, e.accepted ? IDOK : IDCANCEL) << what;
        EXPECT_EQ(LastDialog()->leftOpen, !e.accepted) << what;
        EXPECT_DOUBLE_EQ(g_actualDistance, e.value) << what;
        EXPECT_EQ(MessageBoxes(),
                  e.accepted ? std::vector<std::u16string>{} : std::vector{kEnterDigital})
            << what;
    }
}

TEST_F(InputDialogTest, CalibrationShowsItsTextsAndTheUnit) {
    UseLanguage("German1252.ini");
    ms::CopyBounded(g_unitName, 12, u"inch");
    CCalibrationDlg dlg;
    ms::test::AnswerDialog(IDD_CALIBRATION, [&](HWND h) {
        WCHAR caption[64]{};
        GetWindowText(h, caption, 64);
        EXPECT_EQ(std::u16string(caption), u"Kalibrierung");
        EXPECT_EQ(Text(h, IDC_CALIB_PROMPT), u"Bitte geben Sie den tatsächlichen Abstand ein");
        EXPECT_EQ(Text(h, IDC_CALIB_UNIT), u"inch");
        Type(h, IDC_CALIB_DISTANCE, u"0");
        Press(h, IDOK);
        Press(h, IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(MessageBoxes(), std::vector<std::u16string>{u"Bitte geben Sie eine Zahl ein!"});
}

TEST_F(InputDialogTest, LengthLineTakesAPositiveLength) {
    const Entry entries[] = {{u"25.4", true, 25.4}, {u"-1", false, -1.0}, {u"x", false, 0.0}};
    for (const Entry& e : entries) {
        ms::test::ResetSeams();
        CLengthLineDlg dlg;
        Enter(IDD_LENGTH_LINE, IDC_LENGTH_VALUE, e.typed, dlg);
        ASSERT_NE(LastDialog(), nullptr);
        EXPECT_EQ(LastDialog()->result, e.accepted ? IDOK : IDCANCEL) << ms::ToUtf8(e.typed);
        EXPECT_DOUBLE_EQ(g_actualDistance, e.value);
    }
}

TEST_F(InputDialogTest, CircleRefusesAZeroFieldAndAcceptsItsOpeningValues) {
    CCircleToleranceDlg refused;
    ms::test::AnswerDialog(IDD_CIRCLE_TOLERANCE, [&](HWND h) {
        EXPECT_EQ(Text(h, IDC_CIRCLE_RADIUS), u"1.0");
        EXPECT_EQ(Text(h, IDC_CIRCLE_PLUS), u"0.05");
        EXPECT_EQ(Text(h, IDC_CIRCLE_MINUS), u"0.05");
        EXPECT_EQ(Text(h, IDC_CIRCLE_MINUS_UNIT), u"mm");
        EXPECT_EQ(Text(h, IDC_CIRCLE_PLUS_LABEL), u"Tolerance(R+):");
        Type(h, IDC_CIRCLE_MINUS, u"0");
        Press(h, IDOK);
    });
    refused.DoModal();
    EXPECT_TRUE(LastDialog()->leftOpen);
    EXPECT_EQ(MessageBoxes(), std::vector{kEnterDigital});

    ms::test::ResetSeams();
    CCircleToleranceDlg accepted;
    ms::test::PressInDialog(IDD_CIRCLE_TOLERANCE, IDOK);
    EXPECT_EQ(accepted.DoModal(), IDOK);
    EXPECT_DOUBLE_EQ(accepted.m_radius, 1.0);
    EXPECT_DOUBLE_EQ(accepted.m_plusTolerance, 0.05);
    EXPECT_DOUBLE_EQ(accepted.m_minusTolerance, 0.05);
}

TEST_F(InputDialogTest, CoordinateChecksZeroFirstAndThenTheRange) {
    struct Case {
        const char16_t* x;
        const char16_t* y;
        bool accepted;
        const char16_t* message; // nullptr: none
    };
    const Case cases[] = {
        {u"0", u"240", false, u"Please enter digital X[0--640],Y[0--480]!"},
        {u"abc", u"240", false, u"Please enter digital X[0--640],Y[0--480]!"},
        {u"640", u"240", false, u"Please enter an integer between 1 and 639."},
        {u"320", u"480", false, u"Please enter an integer between 1 and 479."},
        {u"639", u"479", true, nullptr},
    };
    for (const Case& c : cases) {
        ms::test::ResetSeams();
        CCoordinateDlg dlg;
        ms::test::AnswerDialog(IDD_COORDINATE, [&](HWND h) {
            EXPECT_EQ(Text(h, IDC_COORD_X), u"320");
            EXPECT_EQ(Text(h, IDC_COORD_Y), u"240");
            Type(h, IDC_COORD_X, c.x);
            Type(h, IDC_COORD_Y, c.y);
            Press(h, IDOK);
        });
        const INT_PTR result = dlg.DoModal();
        const std::string what = ms::ToUtf8(c.x) + "," + ms::ToUtf8(c.y);
        EXPECT_EQ(result, c.accepted ? IDOK : IDCANCEL) << what;
        EXPECT_EQ(MessageBoxes(), c.message ? std::vector<std::u16string>{c.message}
                                            : std::vector<std::u16string>{})
            << what;
        if (c.accepted) {
            EXPECT_EQ(dlg.m_x, 639);
            EXPECT_EQ(dlg.m_y, 479);
        }
    }
}

} // namespace
