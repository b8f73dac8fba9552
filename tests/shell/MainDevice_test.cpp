// The main window's device over the synthetic camera: the start (live picture, buttons, the
// stale "test.avi"), a format that fails at start, device-node changes debounced into one
// reconnection, unplugging and plugging, resume from standby, and a shut-down after which no
// notice starts anything.
#include "tests/shell/MainWindowHarness.h"

#include "capture/VideoSettingDlg.h"

#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/TestSeams.h"

#include <QImage>
#include <atomic>
#include <chrono>
#include <fstream>
#include <vector>

namespace {

using ms::capture::SyntheticCamera;
using mstest::SteppedCamera;
using Clock = std::chrono::steady_clock;

// Stands in for the open Video Setting dialog: every reconnection attempt posts it a notice,
// so it counts them and when they came.
class CReconnectCounter : public CWnd {
public:
    std::vector<Clock::time_point> seen;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_APP_DEVICE_CHANGED)
            seen.push_back(Clock::now());
        return CWnd::WindowProc(msg, wp, lp);
    }
};

class MainDeviceTest : public mstest::MainWindowHarness {
protected:
    void SetUp() override {
        MainWindowHarness::SetUp();
        ASSERT_TRUE(counter_.CreateEx(0, CWnd::AfxWndClass(), u"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                      nullptr));
        g_videoSettingWnd = counter_.m_hWnd;
    }
    void TearDown() override {
        g_videoSettingWnd = nullptr;
        counter_.DestroyWindow();
        MainWindowHarness::TearDown();
    }
    size_t Reconnects() {
        Pump();
        return counter_.seen.size();
    }
    // The buttons as a device start leaves them: the table's set, Preview pressed.
    void ExpectConnectedButtons() {
        EXPECT_EQ(dlg_->IsConnected(), 1);
        for (const SkinButtonRow& entry : kSkinButtons)
            EXPECT_EQ(IsWindowEnabled(Item(entry.id)) != 0, entry.enabledAfterStart) << entry.id;
        EXPECT_TRUE(dlg_->ToggleButton(1014)->IsPressed());
        EXPECT_TRUE(g_liveView.Snapshot().statusText.empty());
    }
    void ExpectUnconnected() {
        EXPECT_EQ(dlg_->IsConnected(), 0);
        for (const SkinButtonRow& entry : kSkinButtons)
            EXPECT_EQ(IsWindowEnabled(Item(entry.id)) != 0, entry.id == 1177) << entry.id;
        EXPECT_EQ(g_liveView.Snapshot().statusText, u"Please connect Dorvex Digital Microscope");
        EXPECT_EQ(mstest::WindowText(Item(IDC_PREVIEW)),
                  u"Please connect Dorvex Digital Microscope");
    }
    // Pushes frames until the preview shows one: the live picture is there.
    bool PreviewShowsFrames(const std::string& id = "cam") {
        return ms::test::PumpUntil([&] {
            SyntheticCamera::Instance().PushFrame(id);
            const QImage shown = ms::test::PresentedPicture(Item(IDC_PREVIEW));
            // The synthetic frame's square and digits are white on a dark pattern.
            for (int y = 0; y < shown.height(); y += 8)
                for (int x = 0; x < shown.width(); x += 8)
                    if (qGray(shown.pixel(x, y)) > 200)
                        return true;
            return false;
        });
    }
    void RunFor(int ms) { ms::test::RunIdleLoop(ms); }

    CReconnectCounter counter_;
};

TEST_F(MainDeviceTest, StartRunsTheDeviceAndRemovesAStaleRecording) {
    SyntheticCamera::Instance().SetDevices({SteppedCamera()});
    const auto video = home_ / "Documents" / "Tessary files" / "Video";
    std::filesystem::create_directories(video);
    std::ofstream(video / "test.avi") << "left by a crash";
    std::ofstream(video / "keep.avi") << "a recording";
    Open();
    EXPECT_FALSE(std::filesystem::exists(video / "test.avi"));
    EXPECT_TRUE(std::filesystem::exists(video / "keep.avi"));
    ExpectConnectedButtons();
    EXPECT_TRUE(SyntheticCamera::Instance().IsStreaming("cam"));
    EXPECT_TRUE(PreviewShowsFrames());
    EXPECT_EQ(counter_.seen.size(), 0u) << "a start is no reconnection";
}

// Without a device no frame repaints the preview: the prompt is repainted when its language
// changes.
TEST_F(MainDeviceTest, ThePromptOnThePreviewFollowsTheLanguage) {
    std::ofstream(program_ / "German1252.ini")
        << "\xEF\xBB\xBF[Rontage]\nConnectMsg=Bitte Mikroskop anschliessen\n";
    HWND hwnd = Open();
    ExpectUnconnected();
    auto shown = [&] {
        Pump();
        return ms::test::PresentedPicture(Item(IDC_PREVIEW));
    };
    const QImage english = shown();
    ASSERT_FALSE(english.isNull());
    SendMessage(hwnd, WM_COMMAND, 1305, 0);
    EXPECT_EQ(g_liveView.Snapshot().statusText, u"Bitte Mikroskop anschliessen");
    EXPECT_NE(shown(), english);
}

TEST_F(MainDeviceTest, AFormatRefusedAtStartIsTriedOnceMoreAfter100Ms) {
    auto cam = SteppedCamera();
    cam.failConnect = true;
    SyntheticCamera::Instance().SetDevices({cam});
    const auto start = Clock::now();
    Open();
    ExpectUnconnected();
    // One more try, by the timer alone: no notice came.
    ASSERT_TRUE(ms::test::PumpUntil([&] { return counter_.seen.size() == 1; }));
    EXPECT_GE(counter_.seen.front() - start, std::chrono::milliseconds(100));
    // A reconnection that fails schedules nothing further.
    RunFor(400);
    EXPECT_EQ(Reconnects(), 1u);
    ExpectUnconnected();
}

TEST_F(MainDeviceTest, NodeChangesInARowGiveOneReconnectionASecondAfterTheLast) {
    HWND hwnd = Open();
    ExpectUnconnected();
    Clock::time_point last;
    for (int i = 0; i < 3; ++i) {
        if (i == 2) // the device is present after the last change
            SyntheticCamera::Instance().SetDevices({SteppedCamera()});
        last = Clock::now();
        SendMessage(hwnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
        if (i < 2)
            RunFor(300);
    }
    ASSERT_TRUE(ms::test::PumpUntil([&] { return !counter_.seen.empty(); }));
    EXPECT_GE(counter_.seen.front() - last, std::chrono::milliseconds(950));
    RunFor(1300);
    EXPECT_EQ(Reconnects(), 1u);
    ExpectConnectedButtons();
    EXPECT_TRUE(PreviewShowsFrames());
}

TEST_F(MainDeviceTest, UnplugPlugAndResumeFollowTheDevice) {
    SyntheticCamera::Instance().SetDevices({SteppedCamera()});
    Open();
    ExpectConnectedButtons();

    SyntheticCamera::Instance().Unplug("cam");
    ASSERT_TRUE(ms::test::PumpUntil([&] { return dlg_->IsConnected() == 0; }));
    ExpectUnconnected();

    SyntheticCamera::Instance().Plug(SteppedCamera("back"));
    ASSERT_TRUE(ms::test::PumpUntil([&] { return dlg_->IsConnected() == 1; }));
    ExpectConnectedButtons();
    EXPECT_TRUE(PreviewShowsFrames("back"));

    // Resume from standby: the graph is rebuilt and the picture comes back.
    RunFor(1200); // the plug's node change has had its reconnection
    const size_t before = Reconnects();
    SyntheticCamera::Instance().SimulateResume();
    ASSERT_TRUE(ms::test::PumpUntil([&] { return counter_.seen.size() == before + 1; }));
    ExpectConnectedButtons();
    EXPECT_TRUE(PreviewShowsFrames("back"));
}

TEST_F(MainDeviceTest, ShutDownIsFinalAndHappensOnce) {
    SyntheticCamera::Instance().SetDevices({SteppedCamera()});
    HWND hwnd = Open();
    ASSERT_TRUE(SyntheticCamera::Instance().IsStreaming("cam"));
    // A reconnection is pending when the window closes.
    SendMessage(hwnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    SendMessage(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(SyntheticCamera::Instance().IsStreaming("cam"));
    EXPECT_EQ(dlg_->IsReleased(), 1);
    EXPECT_EQ(dlg_->ReleaseResources(), 1);

    // Nothing that arrives afterwards starts the device again.
    SendMessage(hwnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    SendMessage(hwnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    SendMessage(hwnd, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    PostMessage(hwnd, WM_APP_STILL_CAPTURED, 1, 0);
    PostMessage(hwnd, WM_APP_GRAPH_EVENT, 0, 0);
    RunFor(1300);
    EXPECT_EQ(Reconnects(), 0u);
    EXPECT_FALSE(SyntheticCamera::Instance().IsStreaming("cam"));
    SendMessage(hwnd, WM_CLOSE, 0, 0);
    Pump();
}

// The streaming thread delivers frames at full rate while the UI thread reconnects, changes
// the capture size and shuts down: no frame reaches a released graph or buffer.
TEST_F(MainDeviceTest, ReconnectionsWhileFramesArrive) {
    auto cam = SteppedCamera();
    cam.framesPerSecond = 60;
    SyntheticCamera::Instance().SetDevices({cam});
    HWND hwnd = Open();
    ASSERT_EQ(dlg_->IsConnected(), 1);
    for (int i = 0; i < 4; ++i) {
        SendMessage(hwnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
        PostMessage(hwnd, WM_KEYDOWN, i % 2 ? VK_F10 : VK_F12, 0);
        g_snapshotRequest = 1;
        RunFor(60);
    }
    EXPECT_EQ(dlg_->IsConnected(), 1);
    EXPECT_EQ(Reconnects(), 4u);
    SendMessage(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(SyntheticCamera::Instance().IsStreaming("cam"));
}

} // namespace
