// The live view's painter: frames stretched into the capture window through its memory
// bitmap, the 5:4 frame kept in shape, the status texts drawn from the main window's state,
// and frames painted from the streaming thread of a running graph.
#include "capture/CaptureWnd.h"

#include "kit/RegistrySettings.h"
#include "tests/support/TestEnvironment.h"

#include "platform/win/window/TestSeams.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <vector>

namespace {

[[maybe_unused]] const std::filesystem::path g_program =
    mstest::NewProgramDir(mstest::ProgramFiles::None);

// A 24-bit bottom-up frame whose upper half (as shown) is red and lower half blue.
std::vector<BYTE> TwoBands(int width, int height) {
    const long stride = ms::capture::Rgb24Stride(width);
    std::vector<BYTE> bits(static_cast<size_t>(stride) * height);
    for (int row = 0; row < height; ++row) { // row 0 is the bottom
        const bool upper = row >= height / 2;
        for (int x = 0; x < width; ++x) {
            BYTE* p = &bits[static_cast<size_t>(row) * stride + x * 3];
            p[0] = upper ? 0 : 255; // blue
            p[2] = upper ? 255 : 0; // red
        }
    }
    return bits;
}

int CountPixels(const QImage& picture, QRgb color) {
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            n += (picture.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF);
    return n;
}

class LiveViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ms::EnsureApplication();
        ASSERT_TRUE(parent_.CreateEx(0, CWnd::AfxWndClass(), u"Main", WS_OVERLAPPEDWINDOW, 0, 0,
                                     800, 600, nullptr, nullptr));
        ASSERT_TRUE(wnd_.CreateEx(0, CWnd::AfxWndClass(), u"", WS_CHILD | WS_VISIBLE, 10, 10, 640,
                                  480, parent_.m_hWnd, nullptr));
        wnd_.SetLiveView(&state_);
        g_recordSeconds = 0;
    }
    void TearDown() override {
        wnd_.ReleaseGraph();
        wnd_.DestroyWindow();
        parent_.DestroyWindow();
        ms::capture::SetPostMessage({});
        ms::capture::SyntheticCamera::Instance().ResetToDefault();
        g_recordSeconds = 0;
    }
    QImage Picture() { return ms::test::PresentedPicture(wnd_.m_hWnd); }

    CWnd parent_;
    CCaptureWnd wnd_;
    CLiveViewState state_;
};

TEST_F(LiveViewTest, FramesAreDroppedUntilTheMemoryBitmapExists) {
    const auto frame = TwoBands(640, 480);
    EXPECT_EQ(wnd_.PaintFrame(frame.data(), static_cast<long>(frame.size()), 640, 480), 0);
    ASSERT_EQ(wnd_.CreateMemoryDC(), 1);
    EXPECT_EQ(wnd_.PaintFrame(nullptr, 0, 640, 480), 0);
    // A buffer shorter than its size says is never read past its end.
    EXPECT_EQ(wnd_.PaintFrame(frame.data(), static_cast<long>(frame.size()) - 1, 640, 480), 0);
    EXPECT_EQ(wnd_.PaintFrame(frame.data(), static_cast<long>(frame.size()), 640, 480), 1);
    wnd_.DeleteMemoryDC();
    EXPECT_EQ(wnd_.PaintFrame(frame.data(), static_cast<long>(frame.size()), 640, 480), 0);
}

TEST_F(LiveViewTest, FramesFillThePreviewAndA1280x1024FrameKeepsItsShape) {
    ASSERT_EQ(wnd_.CreateMemoryDC(), 1);
    const struct {
        int width, height;
        int splitRow; // the first preview row of the lower (blue) half
    } cases[] = {{640, 480, 240}, {1280, 960, 240}, {1600, 1200, 240}, {1280, 1024, 256}};
    for (const auto& c : cases) {
        const auto frame = TwoBands(c.width, c.height);
        ASSERT_EQ(wnd_.PaintFrame(frame.data(), static_cast<long>(frame.size()), c.width, c.height),
                  1);
        const QImage picture = Picture();
        ASSERT_EQ(picture.width(), 640);
        ASSERT_EQ(picture.height(), 480);
        EXPECT_EQ(picture.pixel(5, 0) & 0xFFFFFF, 0xFF0000u) << c.width << "x" << c.height;
        EXPECT_EQ(picture.pixel(600, c.splitRow - 1) & 0xFFFFFF, 0xFF0000u) << c.width;
        EXPECT_EQ(picture.pixel(600, c.splitRow) & 0xFFFFFF, 0x0000FFu) << c.width;
        EXPECT_EQ(picture.pixel(639, 479) & 0xFFFFFF, 0x0000FFu) << c.width;
    }
}

TEST_F(LiveViewTest, StatusTextsComeFromTheMainWindowsState) {
    ASSERT_EQ(wnd_.CreateMemoryDC(), 1);
    const auto frame = TwoBands(640, 480);
    auto paint = [&] {
        EXPECT_EQ(wnd_.PaintFrame(frame.data(), static_cast<long>(frame.size()), 640, 480), 1);
        return Picture();
    };
    QImage plain = paint();
    EXPECT_EQ(CountPixels(plain, qRgb(0, 255, 0)), 0);
    EXPECT_EQ(CountPixels(plain, qRgb(255, 0, 0)), 640 * 240);

    state_.Change([](LiveViewSnapshot& s) { s.statusText = u"Please connect"; });
    QImage prompt = paint();
    EXPECT_GT(CountPixels(prompt, qRgb(0, 255, 0)), 20);
    // Centred: the green text lies around the middle of the preview.
    EXPECT_EQ(CountPixels(prompt.copy(0, 0, 640, 200), qRgb(0, 255, 0)), 0);
    EXPECT_EQ(CountPixels(prompt.copy(0, 280, 640, 200), qRgb(0, 255, 0)), 0);

    // The full-screen hint at the top right and the recording counter at the bottom right,
    // both red: over the blue lower half the counter's red shows.
    state_.Change([](LiveViewSnapshot& s) {
        s.statusText.clear();
        s.fullScreen = 1;
        s.escHintText = u"ESC Restore";
    });
    g_recordSeconds = 5;
    QImage hints = paint();
    EXPECT_GT(CountPixels(hints.copy(320, 460, 320, 20), qRgb(255, 0, 0)), 10);
    EXPECT_EQ(CountPixels(hints.copy(0, 460, 200, 20), qRgb(255, 0, 0)), 0);
    EXPECT_EQ(CountPixels(hints, qRgb(0, 255, 0)), 0);
}

TEST_F(LiveViewTest, LeavingFullScreenShowsBlackUntilTheNextFrame) {
    ASSERT_EQ(wnd_.CreateMemoryDC(), 1);
    const auto frame = TwoBands(640, 480);
    ASSERT_EQ(wnd_.PaintFrame(frame.data(), static_cast<long>(frame.size()), 640, 480), 1);
    wnd_.LeaveFullScreen();
    ::UpdateWindow(wnd_.m_hWnd);
    const QImage picture = ms::test::GrabWindow(wnd_.m_hWnd);
    EXPECT_EQ(CountPixels(picture, qRgb(0, 0, 0)), 640 * 480);
}

TEST_F(LiveViewTest, TheRunningGraphPaintsEveryFrameFromItsStreamingThread) {
    ms::capture::UseSyntheticCamera(true);
    ms::capture::SyntheticDevice d;
    d.framesPerSecond = 0;
    d.sizes = ms::capture::SmallSizeFamily();
    ms::capture::SyntheticCamera::Instance().SetDevices({d});
    g_snapEnable = 0;
    ASSERT_EQ(wnd_.CreateMemoryDC(), 1);
    wnd_.SetWindows(parent_.m_hWnd, nullptr);
    wnd_.CreateDeviceEnumerator();
    ASSERT_EQ(wnd_.EnumerateDevices(), 1);
    ASSERT_EQ(wnd_.BuildGraph(), 1);
    ASSERT_EQ(wnd_.ConfigureFormat(), 1);
    ASSERT_EQ(wnd_.Run(), 1);
    for (unsigned n = 0; n < 3; ++n) {
        ASSERT_TRUE(ms::capture::SyntheticCamera::Instance().PushFrame(d.id));
        // The preview shows the frame's pattern (its gradient, never black).
        const QImage picture = Picture();
        EXPECT_NE(picture.pixel(320, 120) & 0xFFFFFF, 0u) << n;
    }
    wnd_.Stop();
}

} // namespace
