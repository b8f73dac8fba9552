// The labels of the live measurements are formatted for every frame.
#include "platform/win/core/Format.h"

#include <benchmark/benchmark.h>

static void BM_FormatLengthLabel(benchmark::State& state) {
    WCHAR buf[64];
    double value = 63.83;
    for (auto _ : state) {
        int n = swprintf(buf, 64, u"L:%.*f%s", 3, value, u"mm");
        benchmark::DoNotOptimize(n);
        value += 0.001;
    }
}
BENCHMARK(BM_FormatLengthLabel);

static void BM_FormatIntegers(benchmark::State& state) {
    WCHAR buf[64];
    int i = 0;
    for (auto _ : state) {
        int n =
            swprintf(buf, 64, u"%04d%02d%02d_%02d%02d%02d", 2024, 5, 17, i % 24, i % 60, i % 60);
        benchmark::DoNotOptimize(n);
        ++i;
    }
}
BENCHMARK(BM_FormatIntegers);
