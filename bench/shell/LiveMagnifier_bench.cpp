// The live magnifier's redraw, which runs on every mouse move over the main window: the
// binarised window of a 1600 x 1200 still around the cursor, stretched into the 120 x 120
// magnifier through its kept memory surface and copied to the window, for each zoom level.
#include "shell/LiveTools.h"

#include "imaging/DibImage.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/TestSeams.h"
#include "platform/win/window/WinUser.h"

#include <benchmark/benchmark.h>

namespace {

LRESULT PlainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProc(hwnd, msg, wp, lp);
}

void MagnifierRedraw(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ms::EnsureApplication();
    static WNDCLASSW wc = [] {
        WNDCLASSW c{};
        c.lpfnWndProc = PlainProc;
        c.lpszClassName = u"MagnifierBench";
        RegisterClass(&c);
        return c;
    }();
    HWND lens = CreateWindowEx(0, wc.lpszClassName, u"", WS_POPUP | WS_VISIBLE, 0, 0, 120, 120,
                               nullptr, nullptr, nullptr, nullptr);
    CDibImage still(1600, 1200, 24);
    for (DWORD y = 0; y < 1200; ++y) {
        BYTE* row = still.GetBits(y);
        for (DWORD x = 0; x < 1600; ++x)
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = static_cast<BYTE>((x ^ y) & 0xFF);
    }
    RECT client{};
    GetClientRect(lens, &client);
    CLiveMagnifierSurface surface;
    const int zoom = static_cast<int>(state.range(0));
    int move = 0;
    for (auto _ : state) {
        ++move;
        const POINT center{400 + move % 800, 300 + move % 600};
        HDC dc = GetDC(lens);
        PaintMagnifier(dc, client, still, center, zoom, surface);
        ReleaseDC(lens, dc);
    }
    DestroyWindow(lens);
}
BENCHMARK(MagnifierRedraw)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMicrosecond);

} // namespace
