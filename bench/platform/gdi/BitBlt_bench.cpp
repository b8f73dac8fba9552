// A 640 x 480 32-bit BitBlt between two memory bitmaps (the capture window's double buffer to
// its surface), next to a memcpy of the same bytes, so the ratio of the two is read off one
// run. Target: the blit within 2x the memcpy.
#include "platform/win/gdi/Gdi.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

namespace {

constexpr int kW = 640, kH = 480;

struct MemoryBitmap {
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(mem, kW, kH);
    HGDIOBJ old = SelectObject(mem, bmp);
    MemoryBitmap() = default;
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;
    ~MemoryBitmap() {
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
    }
};

void BitBlt32(benchmark::State& state) {
    MemoryBitmap src, dst;
    for (int y = 0; y < kH; y += 8)
        for (int x = 0; x < kW; x += 8)
            SetPixel(src.mem, x, y, RGB(x & 255, y & 255, (x + y) & 255));
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    for (auto _ : state) {
        benchmark::DoNotOptimize(BitBlt(dst.mem, 0, 0, w, h, src.mem, 0, 0, SRCCOPY));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * w * h * 4);
}

// The 32-bit top-down DIB section the live view draws into, blitted to a memory bitmap.
void BitBltFromDibSection32(benchmark::State& state) {
    MemoryBitmap dst;
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), kW, -kH, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dst.mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(dst.mem);
    HGDIOBJ old = SelectObject(mem, dib);
    for (auto _ : state) {
        benchmark::DoNotOptimize(BitBlt(dst.mem, 0, 0, kW, kH, mem, 0, 0, SRCCOPY));
        benchmark::ClobberMemory();
    }
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    state.SetBytesProcessed(state.iterations() * kW * kH * 4);
}

void Memcpy32(benchmark::State& state) {
    std::vector<unsigned char> a(static_cast<size_t>(kW) * kH * 4, 0x5A), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kW * kH * 4);
}

// A 640 x 480 frame of the camera as a 32-bit (or 24-bit) bottom-up DIB, unscaled.
void StretchDIBits1to1(benchmark::State& state) {
    const int bpp = static_cast<int>(state.range(0));
    const int stride = ((kW * bpp + 31) / 32) * 4;
    std::vector<BYTE> frame(static_cast<size_t>(stride) * kH);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<BYTE>(i * 7);
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER),
                     kW,
                     kH,
                     1,
                     static_cast<WORD>(bpp),
                     BI_RGB,
                     static_cast<DWORD>(frame.size()),
                     0,
                     0,
                     0,
                     0};
    MemoryBitmap dst;
    SetStretchBltMode(dst.mem, COLORONCOLOR);
    for (auto _ : state) {
        benchmark::DoNotOptimize(StretchDIBits(dst.mem, 0, 0, kW, kH, 0, 0, kW, kH, frame.data(),
                                               &bmi, DIB_RGB_COLORS, SRCCOPY));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kW * kH * 4);
}

} // namespace

BENCHMARK(Memcpy32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BitBlt32)->Args({kW, kH})->Args({1, 1})->Unit(benchmark::kMicrosecond);
BENCHMARK(BitBltFromDibSection32)->Unit(benchmark::kMicrosecond);
BENCHMARK(StretchDIBits1to1)->Arg(32)->Arg(24)->Unit(benchmark::kMicrosecond);
