// The live view's per-frame blit: a 1600 x 1200 bottom-up 24-bit frame stretched with
// COLORONCOLOR into the 640 x 480 memory bitmap of the capture window. Target: 3 ms or less
// per frame on one core.
#include "bench/platform/gdi/Overlays.h"
#include "platform/win/gdi/Gdi.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <iterator>
#include <vector>

namespace {

// The capture window's 640 x 480 memory bitmap, selected into a memory DC.
struct WindowBitmap {
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(mem, 640, 480);
    HGDIOBJ old = SelectObject(mem, bmp);
    WindowBitmap() = default;
    WindowBitmap(const WindowBitmap&) = delete;
    WindowBitmap& operator=(const WindowBitmap&) = delete;
    ~WindowBitmap() {
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
    }
};

// The header of a bottom-up 24-bit frame of w x h pixels held in size bytes.
BITMAPINFO FrameInfo(int w, int h, size_t size) {
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB,
                     static_cast<DWORD>(size), 0, 0, 0, 0};
    return bmi;
}

void StretchFrame(benchmark::State& state) {
    const int srcW = static_cast<int>(state.range(0)), srcH = static_cast<int>(state.range(1));
    std::vector<BYTE> frame(static_cast<size_t>(srcW) * srcH * 3);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<BYTE>(i * 7);
    const BITMAPINFO bmi = FrameInfo(srcW, srcH, frame.size());
    WindowBitmap window;
    const HDC mem = window.mem;
    SetStretchBltMode(mem, COLORONCOLOR);
    for (auto _ : state) {
        benchmark::DoNotOptimize(StretchDIBits(mem, 0, 0, 640, 480, 0, 0, srcW, srcH, frame.data(),
                                               &bmi, DIB_RGB_COLORS, SRCCOPY));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

// One frame of live drawing on top: a few shapes with their pens, as the frame painter does.
void StretchAndDrawShapes(benchmark::State& state) {
    std::vector<BYTE> frame(static_cast<size_t>(1600) * 1200 * 3, 0x55);
    const BITMAPINFO bmi = FrameInfo(1600, 1200, frame.size());
    WindowBitmap window;
    const HDC mem = window.mem;
    SetStretchBltMode(mem, COLORONCOLOR);
    for (auto _ : state) {
        StretchDIBits(mem, 0, 0, 640, 480, 0, 0, 1600, 1200, frame.data(), &bmi, DIB_RGB_COLORS,
                      SRCCOPY);
        HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
        DrawOverlayShapes(mem, pen, 10);
        DeleteObject(pen);
    }
}

} // namespace

BENCHMARK(StretchFrame)->Args({1600, 1200})->Args({640, 480})->Unit(benchmark::kMillisecond);
BENCHMARK(StretchAndDrawShapes)->Unit(benchmark::kMillisecond);

namespace {

// Labels as the live view draws them: a font made, selected, used and deleted per label.
void LabelsWithFreshFonts(benchmark::State& state) {
    if (!QGuiApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench";
        static char* argv[] = {name, nullptr};
        static QGuiApplication* app = new QGuiApplication(argc, argv);
        (void)app;
    }
    WindowBitmap window;
    const HDC mem = window.mem;
    SetBkMode(mem, TRANSPARENT);
    LOGFONTW lf{};
    lf.lfHeight = 14;
    lf.lfWeight = FW_NORMAL;
    const char16_t face[] = u"Arial";
    std::copy(std::begin(face), std::end(face), lf.lfFaceName);
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            HFONT f = CreateFontIndirect(&lf);
            HGDIOBJ of = SelectObject(mem, f);
            TextOut(mem, 20, 20 + i * 40, u"L:5.930mm", 9);
            SelectObject(mem, of);
            DeleteObject(f);
        }
    }
}

} // namespace

BENCHMARK(LabelsWithFreshFonts)->Unit(benchmark::kMillisecond);
