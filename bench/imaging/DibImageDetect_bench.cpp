// The detection methods that run on the UI thread on every click of an automatic tool: the
// straight edge in a dragged section and the snap of a click to the nearest edge. The picture
// is a 1280 x 960 frame (a capture size of the microscope) with a slanted edge and noise.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "imaging/DibImage.h"

namespace {

constexpr int kWidth = 1280, kHeight = 960;

CDibImage& NoisyEdge() {
    static CDibImage* image = [] {
        auto* p = new CDibImage(kWidth, kHeight, 24, 0);
        unsigned seed = 4711;
        for (int stored = 0; stored < kHeight; ++stored) {
            const int y = kHeight - 1 - stored;
            BYTE* row = p->GetBits(static_cast<DWORD>(stored));
            for (int x = 0; x < kWidth; ++x) {
                seed = seed * 1103515245u + 12345u;
                const int noise = static_cast<int>((seed >> 16) % 41) - 20;
                // Dark left of a slightly slanted edge near x = 640, bright right of it.
                const int level = (x * 10 < 6400 + (y - 480)) ? 60 : 190;
                const BYTE v = static_cast<BYTE>(std::clamp(level + noise, 0, 255));
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
            }
        }
        return p;
    }();
    return *image;
}

void BM_DetectLineInSection400(benchmark::State& state) {
    CDibImage& img = NoisyEdge();
    POINT a{}, b{};
    for (auto _ : state) {
        if (!img.DetectLineInSection(440, 280, 839, 679, 3, &a, &b)) {
            state.SkipWithError("no edge found");
            break;
        }
    }
}
BENCHMARK(BM_DetectLineInSection400)->Unit(benchmark::kMillisecond);

void BM_FindEdgePointNearRadius20(benchmark::State& state) {
    CDibImage& img = NoisyEdge();
    POINT p{};
    for (auto _ : state) {
        if (!img.FindEdgePointNear(630, 480, 0, 0, &p, 20)) {
            state.SkipWithError("no edge found");
            break;
        }
    }
}
BENCHMARK(BM_FindEdgePointNearRadius20)->Unit(benchmark::kMicrosecond);

} // namespace
