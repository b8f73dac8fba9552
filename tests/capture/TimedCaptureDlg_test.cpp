// The timed-capture dialog driven as an operator would, on the platform's test clock: the
// series' timing and its request messages for both programs' profiles, the start check, the
// field ranges, Stop and Cancel during the wait, and the size estimate.
#include "capture/TimedCaptureDlg.h"
#include "capture/TimedSnapshot.h"
#include "tests/support/Pump.h"

#include "capture/GrabberCallbacks.h"
#include "measure/Units.h"
#include "tests/support/TestEnvironment.h"

#include "platform/win/core/Time.h"
#include "platform/win/window/TestSeams.h"
#include "res/TessaryResource.h"

#include <QCoreApplication>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

[[maybe_unused]] const std::filesystem::path g_program =
    mstest::NewProgramDir(mstest::ProgramFiles::None);

constexpr UINT WM_APP_TAKE_PICTURE = 0x8001; // the other program's request

struct Request {
    UINT message;
    ULONGLONG tick;
};
std::vector<Request> g_requests;

LRESULT OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= WM_APP)
        g_requests.push_back({msg, GetTickCount64()});
    return DefWindowProc(hwnd, msg, wp, lp);
}

// Lets a running worker look at the clock a few more times, for checks that something does
// not happen; without a worker there is nothing to wait for.
void Settle(const CTimedCaptureDlg& dlg) {
    const unsigned long long seen = ms::TestClockReadsElsewhere();
    if (dlg.IsRunning()) {
        EXPECT_TRUE(ms::test::PumpUntil([&] { return ms::TestClockReadsElsewhere() >= seen + 3; }));
    }
    ms::test::Pump();
}

void Press(HWND dialog, int id) {
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::u16string Text(HWND dialog, int id) {
    WCHAR text[256];
    GetDlgItemText(dialog, id, text, 256);
    return text;
}

SYSTEMTIME At(int hour, int minute, int second) {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 3;
    t.wDay = 7;
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    return t;
}

TimedCaptureProfile OtherProgram() {
    TimedCaptureProfile p;
    p.intervalSeconds = 5;
    p.frameCount = 3;
    p.requestMessage = WM_APP_TAKE_PICTURE;
    p.estimateHundredths = [](int frames) { return 640LL * 480 * 3 * frames * 100 / 1048576; };
    return p;
}

class TimedCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        static bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = OwnerProc;
            wc.lpszClassName = u"TimedCaptureOwner";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        owner_ = CreateWindow(u"TimedCaptureOwner", u"owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
        g_requests.clear();
        ms::SetTestClock(At(9, 5, 0), 1000000);
    }
    void TearDown() override {
        ms::ClearTestClock();
        DestroyWindow(owner_);
    }
    ULONGLONG Since() const { return 1000000; }

    HWND owner_ = nullptr;
};

// A series from the current second: the first request at once, the next one interval later,
// and the dialog closes itself one interval after the last.
TEST_F(TimedCaptureTest, SeriesRequestsEachPictureOneIntervalApartAndClosesItself) {
    const struct {
        TimedCaptureProfile profile;
        const char16_t* frames; // null: the profile's default
        std::vector<ULONGLONG> due;
    } cases[] = {
        {TessaryTimedCapture(), u"2", {0, 3000}},
        {OtherProgram(), nullptr, {0, 5000, 10000}},
    };
    for (const auto& c : cases) {
        g_requests.clear();
        ms::SetTestClock(At(9, 5, 0), Since());
        CTimedCaptureDlg dlg(c.profile, owner_);
        bool closedByItself = false;
        ms::test::AnswerDialog(IDD_TIMED_CAPTURE, [&](HWND d) {
            if (c.frames)
                SetDlgItemText(d, IDC_TC_FRAMES, c.frames);
            Press(d, IDC_TC_START);
            ASSERT_EQ(Text(d, IDC_TC_START), u"Stop");
            ULONGLONG elapsed = 0;
            for (size_t i = 0; i < c.due.size(); ++i) {
                const ULONGLONG step = c.due[i] - elapsed;
                if (step > 0) {
                    ms::AdvanceTestClock(static_cast<DWORD>(step - 1));
                    Settle(dlg);
                    EXPECT_EQ(g_requests.size(), i) << "picture " << i + 1 << " came early";
                    ms::AdvanceTestClock(1);
                }
                elapsed = c.due[i];
                ASSERT_TRUE(ms::test::PumpUntil([&] { return g_requests.size() == i + 1; }));
                EXPECT_EQ(g_requests[i].message, c.profile.requestMessage);
                EXPECT_EQ(g_requests[i].tick - Since(), c.due[i]);
                ASSERT_TRUE(ms::test::PumpUntil(
                    [&] { return Text(d, IDC_TC_COMPLETED) == std::u16string(1, u'1' + i); }));
            }
            ms::AdvanceTestClock(static_cast<DWORD>(c.due[1] - c.due[0] - 1));
            Settle(dlg);
            EXPECT_EQ(dlg.IsRunning(), 1); // the last interval is waited too
            ms::AdvanceTestClock(1);
            closedByItself = ms::test::PumpUntil([&] { return dlg.IsRunning() == 0; });
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_TRUE(closedByItself);
        EXPECT_FALSE(ms::test::ShownLog().back().leftOpen);
        EXPECT_EQ(g_requests.size(), c.due.size());
    }
}

TEST_F(TimedCaptureTest, StartInThePastShowsTheMessageAndRequestsNothing) {
    CTimedCaptureDlg dlg(TessaryTimedCapture(), owner_);
    ms::test::AnswerDialog(IDD_TIMED_CAPTURE, [&](HWND d) {
        SetDlgItemText(d, IDC_TC_MINUTE, u"4");
        Press(d, IDC_TC_START);
        EXPECT_EQ(Text(d, IDC_TC_START), u"Start");
        EXPECT_EQ(dlg.IsRunning(), 0);
        ms::AdvanceTestClock(10000);
        Settle(dlg);
    });
    dlg.DoModal();
    const auto& shown = ms::test::ShownLog();
    ASSERT_EQ(shown.size(), 2u); // the dialog, then its message
    EXPECT_EQ(shown[1].kind, ms::test::Shown::MessageBox);
    EXPECT_EQ(shown[1].text, u"The time of your setting must be a future time!");
    EXPECT_TRUE(g_requests.empty());
}

// Hours run 0-23, minutes and seconds 0-59; a value out of range is refused by the exchange's
// message and the series never starts, even where the start would otherwise be in the future.
TEST_F(TimedCaptureTest, FieldOutOfRangeNeverStarts) {
    const struct {
        int id;
        const char16_t* value;
    } cases[] = {
        {IDC_TC_HOUR, u"24"},  {IDC_TC_MINUTE, u"60"},          {IDC_TC_SECOND, u"60"},
        {IDC_TC_FRAMES, u"0"}, {IDC_TC_INTERVAL_SECONDS, u"2"}, {IDC_TC_YEAR, u"2033"},
    };
    for (const auto& c : cases) {
        ms::test::ResetSeams();
        g_requests.clear();
        CTimedCaptureDlg dlg(TessaryTimedCapture(), owner_);
        ms::test::AnswerDialog(IDD_TIMED_CAPTURE, [&](HWND d) {
            SetDlgItemText(d, c.id, c.value);
            Press(d, IDC_TC_START);
            EXPECT_EQ(Text(d, IDC_TC_START), u"Start");
            EXPECT_EQ(dlg.IsRunning(), 0);
            ms::AdvanceTestClock(1000);
            Settle(dlg);
        });
        dlg.DoModal();
        const auto& shown = ms::test::ShownLog();
        ASSERT_EQ(shown.size(), 2u) << "field " << c.id;
        EXPECT_EQ(shown[1].kind, ms::test::Shown::MessageBox) << "field " << c.id;
        EXPECT_TRUE(g_requests.empty()) << "field " << c.id;
    }
}

// Stop while waiting for the start second ends the worker without a picture; Start again
// runs one worker only; Cancel (or Enter) during the wait ends the dialog after the worker.
TEST_F(TimedCaptureTest, StopAndCancelDuringTheWaitRequestNothing) {
    for (int leave : {IDCANCEL, IDOK}) {
        g_requests.clear();
        ms::SetTestClock(At(9, 5, 0), Since());
        CTimedCaptureDlg dlg(TessaryTimedCapture(), owner_);
        ms::test::AnswerDialog(IDD_TIMED_CAPTURE, [&](HWND d) {
            SetDlgItemText(d, IDC_TC_SECOND, u"10");
            Press(d, IDC_TC_START);
            EXPECT_EQ(dlg.IsRunning(), 1);
            Press(d, IDC_TC_START);
            EXPECT_EQ(Text(d, IDC_TC_START), u"Start");
            EXPECT_EQ(Text(d, IDC_TC_COMPLETED), u"0");
            EXPECT_EQ(dlg.IsRunning(), 0);
            ms::AdvanceTestClock(20000);
            Settle(dlg);
            EXPECT_TRUE(g_requests.empty());

            SetDlgItemText(d, IDC_TC_MINUTE, u"6");
            Press(d, IDC_TC_START);
            Press(d, leave);
            EXPECT_EQ(dlg.IsRunning(), 0);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_FALSE(ms::test::ShownLog().back().leftOpen);
        ms::AdvanceTestClock(120000);
        Settle(dlg);
        EXPECT_TRUE(g_requests.empty());
    }
}

// A start second that passes unseen (the machine slept, the clock was set forward) still
// starts the series at once instead of leaving it waiting for ever.
TEST_F(TimedCaptureTest, StartSecondSkippedOverStillStarts) {
    CTimedCaptureDlg dlg(TessaryTimedCapture(), owner_);
    ms::test::AnswerDialog(IDD_TIMED_CAPTURE, [&](HWND d) {
        SetDlgItemText(d, IDC_TC_SECOND, u"1");
        Press(d, IDC_TC_START);
        Settle(dlg);
        EXPECT_TRUE(g_requests.empty());
        ms::AdvanceTestClock(5000);
        EXPECT_TRUE(ms::test::PumpUntil([] { return g_requests.size() == 1; }));
        Press(d, IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_EQ(g_requests.size(), 1u);
    EXPECT_EQ(g_requests[0].message, static_cast<UINT>(WM_APP_TIMED_SNAPSHOT));
}

TEST_F(TimedCaptureTest, SizeEstimateShowsWholeMegabytesAndHundredths) {
    EXPECT_EQ(FormatSizeEstimate(384), u"   3.84");
    EXPECT_EQ(FormatSizeEstimate(5), u"   0.05");
    EXPECT_EQ(FormatSizeEstimate(123456), u"1234.56");

    {
        std::lock_guard lock(g_frameLock);
        g_frameInfo.biSizeImage = 640 * 480 * 3;
    }
    g_has1600x1200 = 1;
    CTimedCaptureDlg tessary(TessaryTimedCapture(), owner_);
    CTimedCaptureDlg other(OtherProgram(), owner_);
    std::u16string shown[2];
    ms::test::AnswerDialog(IDD_TIMED_CAPTURE, [&](HWND d) {
        shown[0] = Text(d, IDC_TC_FILE_SIZE); // 8 x 921,600 / 1,920,000
        EXPECT_EQ(Text(d, IDC_TC_YEAR), u"2026");
        EXPECT_EQ(Text(d, IDC_TC_HOUR), u"9");
        EXPECT_EQ(Text(d, IDC_TC_INTERVAL_SECONDS), u"3");
        EXPECT_EQ(Text(d, IDC_TC_FRAMES), u"8");
    });
    tessary.DoModal();
    ms::test::AnswerDialog(IDD_TIMED_CAPTURE, [&](HWND d) {
        shown[1] = Text(d, IDC_TC_FILE_SIZE); // 3 x 921,600 / 1,048,576
        SetDlgItemText(d, IDC_TC_FRAMES, u"200");
        SendMessage(d, WM_COMMAND, MAKEWPARAM(IDC_TC_FRAMES, EN_KILLFOCUS),
                    reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_TC_FRAMES)));
        EXPECT_EQ(Text(d, IDC_TC_FILE_SIZE), u" 175.78");
    });
    other.DoModal();
    EXPECT_EQ(shown[0], u"   3.84");
    EXPECT_EQ(shown[1], u"   2.63");
}

TEST(CompareSystemTimeTest, ComparesToTheSecondIgnoringWeekdayAndMilliseconds) {
    SYSTEMTIME a = At(9, 5, 0), b = At(9, 5, 0);
    b.wMilliseconds = 999;
    b.wDayOfWeek = 3;
    EXPECT_EQ(CompareSystemTime(a, b), 0);
    b = At(9, 5, 1);
    EXPECT_EQ(CompareSystemTime(a, b), -1);
    EXPECT_EQ(CompareSystemTime(b, a), 1);
    b = At(8, 59, 59);
    b.wYear = 2027;
    EXPECT_EQ(CompareSystemTime(a, b), -1);
}

} // namespace
