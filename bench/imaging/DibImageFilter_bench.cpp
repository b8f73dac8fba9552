// The photo-measure window's picture commands on a 1280 x 1024 24-bit picture: the median of
// 3 x 3 and the average filter (nine ones, divisor 9), each on a fresh copy.
#include <benchmark/benchmark.h>

#include "imaging/DibImage.h"

namespace {

constexpr DWORD kWidth = 1280, kHeight = 1024;

const CDibImage& Picture() {
    static const CDibImage* image = [] {
        auto* p = new CDibImage(kWidth, kHeight, 24, 0);
        unsigned seed = 4711;
        for (DWORD y = 0; y < kHeight; ++y) {
            BYTE* row = p->GetBits(y);
            for (DWORD x = 0; x < kWidth; ++x) {
                seed = seed * 1103515245u + 12345u;
                BYTE noise = static_cast<BYTE>((seed >> 16) & 31);
                row[3 * x] = static_cast<BYTE>((x / 5 + noise) & 255);
                row[3 * x + 1] = static_cast<BYTE>((y / 3 + noise) & 255);
                row[3 * x + 2] = static_cast<BYTE>(((x + y) / 7 + noise) & 255);
            }
        }
        return p;
    }();
    return *image;
}

void Median3(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        CDibImage image(Picture());
        state.ResumeTiming();
        benchmark::DoNotOptimize(image.Median(3));
    }
}
BENCHMARK(Median3)->Unit(benchmark::kMillisecond);

void AverageFilter3(benchmark::State& state) {
    static const long kOnes[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    for (auto _ : state) {
        state.PauseTiming();
        CDibImage image(Picture());
        state.ResumeTiming();
        benchmark::DoNotOptimize(image.Filter(kOnes, 3, 9, 0));
    }
}
BENCHMARK(AverageFilter3)->Unit(benchmark::kMillisecond);

} // namespace
