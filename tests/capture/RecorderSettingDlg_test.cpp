// The Recorder Setting dialog over the synthetic camera: the capture size while it is open and
// after OK or Cancel, what it hands to the record command, the Compress switch, validation,
// and leaving it when the change to 640x480 failed.
#include "capture/RecorderSettingDlg.h"

#include "tests/support/TestEnvironment.h"

#include "platform/win/window/TestSeams.h"
#include "res/TessaryResource.h"

#include <gtest/gtest.h>

namespace {

[[maybe_unused]] const std::filesystem::path g_program =
    mstest::NewProgramDir(mstest::ProgramFiles::None);

using ms::capture::SyntheticCamera;
using ms::capture::SyntheticDevice;

SyntheticDevice Device(std::vector<SIZE> sizes) {
    SyntheticDevice d;
    d.id = "cam";
    d.sizes = std::move(sizes);
    d.framesPerSecond = 0;
    return d;
}

void Press(HWND dialog, int id) {
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Ticks or unticks a check box as a click would, with its notification.
void SetCheck(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
    Press(dialog, id);
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

class RecorderSettingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        ms::capture::UseSyntheticCamera(true);
        ms::capture::SetPostMessage([](HWND, UINT, WPARAM, LPARAM) { return true; });
        g_recordCompress = 0;
    }
    void TearDown() override {
        capture_.ReleaseGraph();
        ms::capture::SetPostMessage({});
        SyntheticCamera::Instance().ResetToDefault();
    }
    void Start(std::vector<SIZE> sizes, bool failSetFormat = false) {
        SyntheticDevice d = Device(std::move(sizes));
        d.failSetFormat = failSetFormat;
        SyntheticCamera::Instance().SetDevices({d});
        capture_.SetWindows(nullptr, nullptr);
        ASSERT_EQ(capture_.CreateDeviceEnumerator(), S_OK);
        ASSERT_TRUE(capture_.EnumerateDevices() && capture_.BuildGraph() &&
                    capture_.ConfigureFormat() && capture_.Run());
    }
    LONG Width() const { return capture_.CurrentFormat().bmiHeader.biWidth; }

    CCaptureWnd capture_;
};

TEST_F(RecorderSettingTest, OpenRunsAt640x480AndCancelReturnsToTheLargestSize) {
    const struct {
        std::vector<SIZE> sizes;
        int largestWidth;
        LRESULT selected;
    } cases[] = {
        {ms::capture::LargeSizeFamily(), 1600, 0},
        {ms::capture::SmallSizeFamily(), 1280, 1},
    };
    for (const auto& c : cases) {
        Start(c.sizes);
        CRecorderSettingDlg dlg(capture_);
        ms::test::AnswerDialog(IDD_RECORDER_SETTING, [&](HWND d) {
            EXPECT_EQ(Width(), 640);
            EXPECT_EQ(g_captureHeight, 480);
            EXPECT_EQ(capture_.IsRunning(), 1);
            EXPECT_EQ(SendDlgItemMessage(d, IDC_RS_RESOLUTION, CB_GETCURSEL, 0, 0), c.selected);
            for (int id : {IDOK, IDCANCEL, IDC_RS_HIDDEN})
                EXPECT_TRUE(Enabled(d, id)) << id;
            EXPECT_FALSE(Enabled(d, IDC_RS_FRAME_RATE));
            Press(d, IDCANCEL);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_FALSE(ms::test::ShownLog().back().leftOpen);
        EXPECT_EQ(Width(), c.largestWidth);
        EXPECT_EQ(g_captureWidth, c.largestWidth);
        EXPECT_EQ(capture_.IsRunning(), 1);
        capture_.ReleaseGraph();
    }
}

TEST_F(RecorderSettingTest, OkHandsTheTimeLimitOverAndKeeps640x480) {
    Start(ms::capture::LargeSizeFamily());
    const struct {
        bool limitOn;
        int limitOnOut;
    } cases[] = {{true, 1}, {false, 0}};
    for (const auto& c : cases) {
        CRecorderSettingDlg dlg(capture_);
        ms::test::AnswerDialog(IDD_RECORDER_SETTING, [&](HWND d) {
            SetDlgItemText(d, IDC_RS_TIME_LIMIT, u"2");
            SetCheck(d, IDC_RS_TIME_LIMIT_ON, c.limitOn);
            EXPECT_EQ(Enabled(d, IDC_RS_TIME_LIMIT), c.limitOn);
            Press(d, IDOK);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.m_timeLimitOn, c.limitOnOut);
        EXPECT_EQ(dlg.m_timeLimit, 2);
        EXPECT_EQ(dlg.m_frameRate, 20);
        EXPECT_EQ(Width(), 640);
        EXPECT_EQ(capture_.IsRunning(), 1);
    }
}

// A recording runs at 640x480 without storing it: killed before it switches back, the program
// starts again at the size the operator chose last.
TEST_F(RecorderSettingTest, TheRecordingSizeIsNotStoredForTheNextStart) {
    Start(ms::capture::LargeSizeFamily());
    ASSERT_EQ(capture_.SetResolution(1280, 960), 0);
    CRecorderSettingDlg dlg(capture_);
    ms::test::PressInDialog(IDD_RECORDER_SETTING, IDOK);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    ASSERT_EQ(Width(), 640);
    CCaptureWnd next;
    EXPECT_EQ(next.LoadFormatConfig(), 1);
    EXPECT_EQ(next.CurrentFormat().bmiHeader.biWidth, 1280);
    EXPECT_EQ(next.CurrentFormat().bmiHeader.biHeight, 960);
}

TEST_F(RecorderSettingTest, TimeLimitOutOfRangeKeepsTheDialogOpen) {
    Start(ms::capture::LargeSizeFamily());
    for (const char16_t* value : {u"0", u"100000"}) {
        ms::test::ResetSeams();
        CRecorderSettingDlg dlg(capture_);
        ms::test::AnswerDialog(IDD_RECORDER_SETTING, [&](HWND d) {
            SetDlgItemText(d, IDC_RS_TIME_LIMIT, value);
            Press(d, IDOK);
        });
        dlg.DoModal();
        const auto& shown = ms::test::ShownLog();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[1].kind, ms::test::Shown::MessageBox);
        EXPECT_TRUE(shown[0].leftOpen); // the test seam ended it, not OK
    }
}

TEST_F(RecorderSettingTest, CompressFollowsTheBoxAndTheNextOpeningShowsIt) {
    Start(ms::capture::LargeSizeFamily());
    for (bool tickTwice : {false, true}) {
        CRecorderSettingDlg dlg(capture_);
        ms::test::AnswerDialog(IDD_RECORDER_SETTING, [&](HWND d) {
            EXPECT_EQ(IsDlgButtonChecked(d, IDC_RS_COMPRESS), BST_UNCHECKED);
            SetCheck(d, IDC_RS_COMPRESS, true);
            EXPECT_EQ(g_recordCompress, 1);
            if (tickTwice)
                SetCheck(d, IDC_RS_COMPRESS, false);
            Press(d, IDCANCEL);
        });
        dlg.DoModal();
        if (!tickTwice) {
            CRecorderSettingDlg again(capture_);
            ms::test::AnswerDialog(IDD_RECORDER_SETTING, [&](HWND d) {
                EXPECT_EQ(IsDlgButtonChecked(d, IDC_RS_COMPRESS), BST_CHECKED);
                SetCheck(d, IDC_RS_COMPRESS, false);
                Press(d, IDCANCEL);
            });
            again.DoModal();
        }
        EXPECT_EQ(g_recordCompress, 0);
    }
}

// When the change to 640x480 fails, OK, Cancel and the hidden button stay disabled; the close
// box still leaves the dialog the Cancel way.
TEST_F(RecorderSettingTest, FailedChangeLeavesOkAndCancelDisabledButTheCloseBoxWorks) {
    Start(ms::capture::LargeSizeFamily(), true);
    CRecorderSettingDlg dlg(capture_);
    bool closed = false;
    ms::test::AnswerDialog(IDD_RECORDER_SETTING, [&](HWND d) {
        for (int id : {IDOK, IDCANCEL, IDC_RS_HIDDEN})
            EXPECT_FALSE(Enabled(d, id)) << id;
        SendMessage(d, WM_CLOSE, 0, 0);
        closed = true;
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(closed);
}

} // namespace
