// The video player over a 40-second recording: the buttons and the slider seek where the
// operator expects, the end of the file leaves it paused at the start, only its close button
// closes it, and closing asks the main window to restart the capture.
#include "media/AviPlayerDlg.h"
#include "kit/LangText.h"

#include "platform/win/core/WString.h"
#include "platform/win/window/TestSeams.h"
#include "platform/win/window/WinUser.h"
#include "res/TessaryResource.h"
#include "tests/media/Recording.h"
#include "tests/support/Pump.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <opencv2/videoio.hpp>
#include <vector>

namespace {

std::vector<UINT_PTR> g_mainTimers;

LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        g_mainTimers.push_back(wp);
        KillTimer(hwnd, wp);
        return 0;
    }
    return DefWindowProc(hwnd, msg, wp, lp);
}

class AviPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ms::test::ResetSeams();
        g_langFilePath[0] = 0;
        static bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = MainProc;
            wc.lpszClassName = u"PlayerMainWindow";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        g_mainTimers.clear();
        main_ = CreateWindowEx(0, u"PlayerMainWindow", u"main", WS_POPUP, 0, 0, 64, 48, nullptr,
                               nullptr, nullptr, nullptr);
        ASSERT_TRUE(main_);
        path_ = dir_.filePath("rec.avi").toStdString();
        WriteRecording(path_);
    }
    void TearDown() override {
        DestroyWindow(main_);
        ms::test::ResetSeams();
    }

    // Runs the player modally on the recording; `inside` runs while it is open, then the
    // player is closed with its close button unless `inside` closed it.
    template <class F> void RunPlayer(F inside) {
        CAviPlayerDlg dlg;
        ms::CopyBounded(dlg.m_filePath, MAX_PATH, ms::FromUtf8(path_));
        dlg.SetMainWindow(main_);
        ms::test::AnswerDialog(IDD_AVI_PLAYER, [&](HWND h) {
            inside(dlg, h);
            if (IsWindow(h))
                SendMessage(h, WM_COMMAND, IDC_PLAYER_CLOSE, 0);
        });
        dlg.DoModal();
    }
    static double Position(CAviPlayerDlg& dlg) {
        double seconds = -1;
        dlg.Graph()->GetPosition(&seconds);
        return seconds;
    }
    static void Click(HWND h, int id) { SendMessage(h, WM_COMMAND, id, 0); }

    QTemporaryDir dir_;
    std::string path_;
    HWND main_ = nullptr;
    HWND player_ = nullptr;
};

TEST_F(AviPlayerTest, OpensPausedOnTheFirstFrameAndSeeksByButtonAndSlider) {
    RunPlayer([&](CAviPlayerDlg& dlg, HWND h) {
        ASSERT_NE(dlg.Graph(), nullptr);
        EXPECT_TRUE(dlg.Graph()->IsPaused());
        double duration = 0;
        ASSERT_TRUE(dlg.Graph()->GetDuration(&duration));
        EXPECT_DOUBLE_EQ(duration, 40.0);

        dlg.m_slider.SetPos(500);
        SendMessage(h, WM_HSCROLL, SB_THUMBPOSITION,
                    reinterpret_cast<LPARAM>(dlg.m_slider.GetSafeHwnd()));
        EXPECT_NEAR(Position(dlg), 20.0, 0.25);

        const struct {
            double at;
            int button;
            double expected;
        } steps[] = {
            {1.5, IDC_PLAYER_BACK, 0.0},      {20.0, IDC_PLAYER_BACK, 18.0},
            {38.5, IDC_PLAYER_FORWARD, 40.0}, {10.0, IDC_PLAYER_FORWARD, 12.0},
            {25.0, IDC_PLAYER_FIRST, 0.0},    {5.0, IDC_PLAYER_LAST, 40.0},
        };
        for (const auto& step : steps) {
            dlg.Graph()->SetPosition(step.at);
            Click(h, step.button);
            EXPECT_NEAR(Position(dlg), step.expected, 0.25)
                << "button " << step.button << " at " << step.at;
        }
    });
}

TEST_F(AviPlayerTest, TheEndOfTheFileLeavesItPausedAtTheStartAndTheSliderFollows) {
    RunPlayer([&](CAviPlayerDlg& dlg, HWND h) {
        dlg.Graph()->SetPosition(38.0);
        Click(h, IDC_PLAYER_PLAY);
        EXPECT_TRUE(dlg.Graph()->IsRunning());
        // The slider follows the position while it plays.
        ASSERT_TRUE(ms::test::PumpUntil([&] { return dlg.m_slider.GetPos() >= 950; }));
        ASSERT_TRUE(ms::test::PumpUntil([&] { return dlg.Graph()->IsPaused(); }));
        EXPECT_NEAR(Position(dlg), 0.0, 0.01);
        ASSERT_TRUE(ms::test::PumpUntil([&] { return dlg.m_slider.GetPos() == 0; }));

        Click(h, IDC_PLAYER_PLAY);
        Click(h, IDC_PLAYER_STOP);
        EXPECT_TRUE(dlg.Graph()->IsStopped());
        EXPECT_NEAR(Position(dlg), 0.0, 0.01);
    });
}

TEST_F(AviPlayerTest, OnlyTheCloseButtonClosesItAndItAsksForTheCaptureAgain) {
    RunPlayer([&](CAviPlayerDlg&, HWND h) {
        for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
            PostMessage(h, WM_KEYDOWN, key, 0);
            ms::test::Pump();
            EXPECT_TRUE(IsWindow(h)) << "key " << key;
        }
        EXPECT_TRUE(g_mainTimers.empty());
        player_ = h;
        Click(h, IDC_PLAYER_CLOSE);
    });
    EXPECT_FALSE(IsWindow(player_));
    ASSERT_TRUE(ms::test::PumpUntil([] {
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&m);
        return !g_mainTimers.empty();
    }));
    EXPECT_EQ(g_mainTimers, std::vector<UINT_PTR>{kRestartCaptureTimer});
}

TEST_F(AviPlayerTest, AFileThatCannotBePlayedOpensAPlayerWhoseButtonsDoNothing) {
    path_ = dir_.filePath("missing.avi").toStdString();
    RunPlayer([&](CAviPlayerDlg& dlg, HWND h) {
        for (int id : {IDC_PLAYER_PLAY, IDC_PLAYER_FORWARD, IDC_PLAYER_LAST, IDC_PLAYER_BACK,
                       IDC_PLAYER_STOP})
            Click(h, id);
        SendMessage(h, WM_HSCROLL, SB_THUMBPOSITION,
                    reinterpret_cast<LPARAM>(dlg.m_slider.GetSafeHwnd()));
        ms::test::Pump();
        EXPECT_EQ(dlg.m_slider.GetPos(), 0);
        EXPECT_TRUE(IsWindow(h));
    });
}

// A file that cannot be played says so when the player opens, with its path: a recording
// killed before its first frame holds no frames, a file that is not there cannot be played.
TEST_F(AviPlayerTest, AFileWithoutFramesSaysSoWhenThePlayerOpens) {
    const struct {
        const char* name;
        const char16_t* says;
    } cases[] = {
        {"killed.avi", u"The video file holds no frames."},
        {"missing.avi", u"The video file cannot be played."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        path_ = dir_.filePath(c.name).toStdString();
        if (std::string(c.name) == "killed.avi")
            WriteKilledRecording(path_, 0, 0);
        ms::test::ResetSeams();
        std::u16string shown;
        RunPlayer([&](CAviPlayerDlg& dlg, HWND) {
            EXPECT_FALSE(dlg.Graph()->IsPaused()); // nothing to stand on
            for (const auto& s : ms::test::ShownLog())
                if (s.kind == ms::test::Shown::MessageBox)
                    shown = s.text;
        });
        EXPECT_EQ(shown, std::u16string(c.says) + u"\n" + ms::FromUtf8(path_));
    }
}

} // namespace
