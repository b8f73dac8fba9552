#include "GdiTestEnv.h"
#include "platform/win/gdi/RecordingDC.h"
#include "platform/win/gdi/Surface.h"

#include <atomic>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace gdi_test;

namespace {

TEST(GdiSurface, ResizeKeepsWhatFits) {
    auto surface = std::make_shared<ms::Surface>(4, 4);
    ms::Surface& s = *surface;
    HDC dc = ms::CreateSurfaceDC(surface);
    RECT r{0, 0, 4, 4};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    s.Resize(6, 2);
    EXPECT_EQ(s.Image().size(), QSize(6, 2));
    EXPECT_EQ(GetPixel(dc, 3, 1), kWhite);
    EXPECT_EQ(GetPixel(dc, 5, 1), kBlack);
    RECT clip{};
    GetClipBox(dc, &clip);
    EXPECT_EQ(clip.right, 6);
    EXPECT_EQ(clip.bottom, 2);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    ms::DeleteSurfaceDC(dc);
}

TEST(GdiSurface, DcsOnARecordingSurfaceRecord) {
    auto surface = std::make_shared<ms::Surface>(10, 10);
    ms::Surface& s = *surface;
    ms::StartRecording(s);
    HDC dc = ms::CreateSurfaceDC(surface);
    Rectangle(dc, 1, 2, 3, 4);
    ms::DeleteSurfaceDC(dc);
    EXPECT_EQ(ms::ToString(ms::TakeRecordedCalls(s)), "Rectangle(1,2,3,4)\n");
}

// The live view: the capture thread stretches frames into a memory DC, draws over them and
// blits the result into the window's surface, while the UI thread paints the same window and
// copies its surface to the screen under the surface lock. Run under the sanitizers.
TEST(GdiSurface, CaptureThreadDrawsWhileTheUiThreadPaints) {
    auto shared = std::make_shared<ms::Surface>(64, 48);
    ms::Surface& surface = *shared;
    HDC screen = ms::CreateScreenDC();
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 64, 48);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    std::vector<BYTE> frame(static_cast<size_t>(160) * 120 * 3, 0x40);
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), 160, 120, 1, 24, BI_RGB, 160 * 120 * 3, 0, 0, 0, 0};
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    std::thread capture([&] {
        while (!stop) {
            SetStretchBltMode(mem, COLORONCOLOR);
            StretchDIBits(mem, 0, 0, 64, 48, 0, 0, 160, 120, frame.data(), &bmi, DIB_RGB_COLORS,
                          SRCCOPY);
            HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
            HGDIOBJ old = SelectObject(mem, pen);
            MoveToEx(mem, 0, 10, nullptr);
            LineTo(mem, 63, 10);
            SelectObject(mem, old);
            DeleteObject(pen);
            HDC wdc = ms::CreateSurfaceDC(shared);
            BitBlt(wdc, 0, 0, 64, 48, mem, 0, 0, SRCCOPY);
            SetBkMode(wdc, TRANSPARENT);
            TextOut(wdc, 2, 30, u"5Seconds", 8);
            ms::DeleteSurfaceDC(wdc);
            ++frames;
        }
    });
    for (int i = 0; i < 200 || frames < 20; ++i) {
        HDC pdc = ms::CreateSurfaceDC(shared);
        HRGN upd = CreateRectRgn(0, 0, 32, 48);
        SelectClipRgn(pdc, upd);
        DeleteObject(upd);
        Ellipse(pdc, 4, 4, 30, 30);
        ms::DeleteSurfaceDC(pdc);
        {
            std::lock_guard lock(surface.Mutex());
            QImage shown = surface.Image().copy(); // the widget's paint event
            EXPECT_EQ(shown.size(), QSize(64, 48));
        }
        if (i % 50 == 0) {
            // The UI thread recreates nothing here, but reads the memory DC the capture
            // thread draws into, as the paint handler does.
            HDC wdc = ms::CreateSurfaceDC(shared);
            BitBlt(wdc, 32, 0, 32, 48, mem, 32, 0, SRCCOPY);
            ms::DeleteSurfaceDC(wdc);
        }
    }
    stop = true;
    capture.join();
    HDC check = ms::CreateSurfaceDC(shared);
    EXPECT_EQ(GetPixel(check, 50, 10), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(check, 60, 25), RGB(0x40, 0x40, 0x40));
    ms::DeleteSurfaceDC(check);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    DeleteDC(screen);
}

} // namespace
