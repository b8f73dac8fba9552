// Painting a window from another thread, as the live view paints camera frames: frames and
// their overlays reach the screen together, WM_PAINT and resizing on the UI thread never mix
// into a frame, and a window destroyed under a painting thread leaves its DCs failing cleanly.
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/TestSeams.h"
#include "platform/win/window/WinUser.h"
#include "tests/support/Pump.h"

#include <QImage>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using ms::test::Pump;
using ms::test::PumpUntil;

constexpr COLORREF kOverlay = RGB(255, 255, 0);
constexpr COLORREF kBackground = RGB(90, 90, 90);
constexpr RECT kOverlayRect{10, 10, 40, 24};

bool IsOverlay(QRgb p) {
    return qRed(p) == 255 && qGreen(p) == 255 && qBlue(p) == 0;
}

void Fill(HDC dc, const RECT& r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

// What every picture of the window has: a background, then the overlay at a fixed place.
void DrawOverlay(HDC dc) {
    Fill(dc, kOverlayRect, kOverlay);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOut(dc, 10, 40, u"12.5 mm", 7);
}

std::atomic<int> g_paints{0};

LRESULT LiveProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT rc;
        GetClientRect(h, &rc);
        Fill(dc, rc, kBackground);
        DrawOverlay(dc);
        EndPaint(h, &ps);
        ++g_paints;
        return 0;
    }
    return DefWindowProc(h, m, wp, lp);
}

class LivePaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        static bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = LiveProc;
            wc.lpszClassName = u"LivePaint";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        hwnd_ = CreateWindowEx(0, u"LivePaint", u"live", WS_POPUP | WS_VISIBLE, 40, 40, 200, 150,
                               nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr);
        Pump();
    }
    void TearDown() override {
        if (IsWindow(hwnd_))
            DestroyWindow(hwnd_);
        Pump();
    }
    HWND hwnd_ = nullptr;
};

// A worker paints 30 frames a second (the frame, then its overlay) while the UI thread resizes,
// repaints, copies the window to the screen and finally destroys it under the worker.
TEST_F(LivePaintTest, EveryPresentedFrameHasItsOverlay) {
    const HWND hwnd = hwnd_;
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    std::thread painter([&] {
        for (int k = 0; !stop; ++k) {
            HDC dc = GetDC(hwnd);
            if (!dc)
                break; // the window is gone
            RECT rc;
            if (GetClientRect(hwnd, &rc)) {
                // A frame colour never used by the overlay or the background.
                Fill(dc, rc, RGB(20 + k % 100, 0, 200));
                std::this_thread::sleep_for(std::chrono::milliseconds(2)); // a long stretch
                DrawOverlay(dc);
            }
            ReleaseDC(hwnd, dc);
            ++frames;
            std::this_thread::sleep_for(std::chrono::milliseconds(33));
        }
    });
    // Runs until enough frames were painted and enough pictures checked; the deadline only
    // guards against a hang on a slow machine (sanitizers).
    int checked = 0, torn = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (int i = 0; (frames < 30 || checked < 100) && std::chrono::steady_clock::now() < deadline;
         ++i) {
        if (i % 10 == 0) {
            const int cx = i % 20 == 0 ? 200 : 160, cy = i % 20 == 0 ? 150 : 120;
            SetWindowPos(hwnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
        }
        if (i % 7 == 0)
            InvalidateRect(hwnd, nullptr, FALSE);
        if (i % 5 == 0)
            ms::test::GrabWindow(hwnd); // the paint event: WM_PAINT, then the copy
        Pump(1);
        const QImage shown = ms::test::PresentedPicture(hwnd);
        if (!shown.isNull() && shown.width() > 20) {
            ++checked;
            torn += !IsOverlay(shown.pixel(20, 15));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    EXPECT_GE(frames.load(), 30);
    EXPECT_GT(g_paints.load(), 5);
    EXPECT_GE(checked, 100);
    EXPECT_EQ(torn, 0) << "of " << checked;
    // Destroyed while the worker still paints: its next GetDC fails and it stops by itself.
    const int before = frames;
    ASSERT_TRUE(PumpUntil([&] { return frames > before; }));
    DestroyWindow(hwnd);
    painter.join();
    stop = true;
}

TEST_F(LivePaintTest, ScreenShowsAFrameOnlyOnceItIsReleased) {
    Pump();
    HDC dc = GetDC(hwnd_);
    ASSERT_NE(dc, nullptr);
    Fill(dc, RECT{0, 0, 200, 150}, RGB(200, 0, 0));
    EXPECT_NE(ms::test::PresentedPicture(hwnd_).pixel(5, 5), qRgb(200, 0, 0));
    EXPECT_EQ(ms::test::SurfacePicture(hwnd_).pixel(5, 5), qRgb(200, 0, 0));
    EXPECT_EQ(ReleaseDC(hwnd_, dc), 1);
    EXPECT_EQ(ms::test::PresentedPicture(hwnd_).pixel(5, 5), qRgb(200, 0, 0));
}

// Another thread asks through the calls that serve any thread: the client size from the
// surface, and a repaint queued to the UI thread.
TEST_F(LivePaintTest, ClientSizeAndRepaintFromAnotherThread) {
    SetWindowPos(hwnd_, nullptr, 0, 0, 120, 90, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    const int before = g_paints;
    RECT rc{};
    BOOL got = FALSE, invalidated = FALSE;
    std::thread worker([&] {
        got = GetClientRect(hwnd_, &rc);
        invalidated = InvalidateRect(hwnd_, nullptr, TRUE);
    });
    worker.join();
    EXPECT_TRUE(got);
    EXPECT_EQ(rc.right, 120);
    EXPECT_EQ(rc.bottom, 90);
    EXPECT_TRUE(invalidated);
    ASSERT_TRUE(PumpUntil([&] {
        UpdateWindow(hwnd_);
        return g_paints > before;
    }));
}

// A DC kept across the window's end: every call on it fails and nothing is drawn anywhere.
TEST_F(LivePaintTest, DcOfADestroyedWindowFailsAndTouchesNothing) {
    HDC dc = nullptr;
    std::atomic<int> step{0};
    BOOL filled = TRUE;
    COLORREF pixel = 0;
    int released = 1;
    std::thread worker([&] {
        dc = GetDC(hwnd_);
        step = 1;
        while (step != 2)
            std::this_thread::yield();
        RECT r{0, 0, 50, 50};
        filled = FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        pixel = GetPixel(dc, 5, 5);
        released = ReleaseDC(hwnd_, dc);
    });
    while (step != 1)
        std::this_thread::yield();
    ASSERT_NE(dc, nullptr);
    EXPECT_TRUE(DestroyWindow(hwnd_));
    step = 2;
    worker.join();
    EXPECT_FALSE(filled);
    EXPECT_EQ(pixel, CLR_INVALID);
    EXPECT_EQ(released, 0);
    EXPECT_EQ(GetDC(hwnd_), nullptr);
    EXPECT_EQ(GetObjectType(dc), 0u);
}

} // namespace
