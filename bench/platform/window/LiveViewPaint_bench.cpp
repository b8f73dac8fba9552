// The live view's paint of one camera frame, as the streaming thread does it: a 1600 x 1200
// bottom-up 24-bit frame stretched into the 640 x 480 memory bitmap, the measuring overlays
// drawn over it, the bitmap copied into the capture window through GetDC and the status text
// written on top before ReleaseDC hands the frame to the screen.
#include "bench/platform/gdi/Overlays.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/WinUser.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

LRESULT PlainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProc(hwnd, msg, wp, lp);
}

HWND CaptureWindow() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = u"LiveViewBench";
    RegisterClass(&wc);
    return CreateWindowEx(0, u"LiveViewBench", u"", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                          nullptr, nullptr, nullptr);
}

void LiveViewFrame(benchmark::State& state) {
    static HWND window = CaptureWindow();
    std::vector<BYTE> frame(static_cast<size_t>(1600) * 1200 * 3);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<BYTE>(i * 7);
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER),         1600, 1200, 1, 24, BI_RGB,
                     static_cast<DWORD>(frame.size()), 0,    0,    0, 0};
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(mem, 640, 480);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    SetStretchBltMode(mem, COLORONCOLOR);
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
    HFONT font = CreateFont(20, 10, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, u"Courier");
    for (auto _ : state) {
        StretchDIBits(mem, 0, 0, 640, 480, 0, 0, 1600, 1200, frame.data(), &bmi, DIB_RGB_COLORS,
                      SRCCOPY);
        DrawOverlayShapes(mem, pen, 5);
        HDC dc = GetDC(window);
        BitBlt(dc, 0, 0, 640, 480, mem, 0, 0, SRCCOPY);
        HGDIOBJ oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 0));
        TextOut(dc, 10, 440, u"L:5.930mm  00:12", 16);
        SelectObject(dc, oldFont);
        ReleaseDC(window, dc);
        // The UI thread's side: the queued screen update runs.
        QCoreApplication::processEvents();
    }
    DeleteObject(font);
    DeleteObject(pen);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
}

} // namespace

BENCHMARK(LiveViewFrame)->Unit(benchmark::kMillisecond);
