// The photo-measure window's picture commands on a 1280 x 1024 24-bit picture: the median of
// 3 x 3 and the average filter (nine ones, divisor 9), each on the original pixels, beside OpenCV's
// cv::medianBlur and cv::filter2D on one thread over the same rows as the yardstick. OpenCV's
// median works per channel and its filter rounds where ours truncates, so the results differ;
// the work is comparable. Run as it stands: the rounds take turns (bench/common).
#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cstring>

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

// The picture's rows as an OpenCV matrix (no copy), and a target of the same shape.
cv::Mat PictureMat() {
    auto& image = const_cast<CDibImage&>(Picture());
    return cv::Mat(static_cast<int>(kHeight), static_cast<int>(kWidth), CV_8UC3, image.GetBits(),
                   image.GetRowStride());
}

// The picture to work on, its pixels set back to the original's between rounds, untimed.
class Work {
public:
    Work() : m_image(Picture()) {}
    CDibImage& Fresh() {
        std::memcpy(m_image.GetBits(), const_cast<CDibImage&>(Picture()).GetBits(),
                    static_cast<size_t>(m_image.GetRowStride()) * kHeight);
        return m_image;
    }

private:
    CDibImage m_image;
};

void Median3(benchmark::State& state) {
    Work work;
    for (auto _ : state) {
        state.PauseTiming();
        CDibImage& image = work.Fresh();
        state.ResumeTiming();
        benchmark::DoNotOptimize(image.Median(3));
    }
}
BENCHMARK(Median3)->Unit(benchmark::kMillisecond);

void AverageFilter3(benchmark::State& state) {
    static const long kOnes[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    Work work;
    for (auto _ : state) {
        state.PauseTiming();
        CDibImage& image = work.Fresh();
        state.ResumeTiming();
        benchmark::DoNotOptimize(image.Filter(kOnes, 3, 9, 0));
    }
}
BENCHMARK(AverageFilter3)->Unit(benchmark::kMillisecond);

void Median3OpenCv(benchmark::State& state) {
    cv::setNumThreads(1);
    cv::Mat src = PictureMat(), dst(src.size(), src.type());
    for (auto _ : state) {
        cv::medianBlur(src, dst, 3);
        benchmark::DoNotOptimize(dst.data);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Median3OpenCv)->Unit(benchmark::kMillisecond);

void AverageFilter3OpenCv(benchmark::State& state) {
    cv::setNumThreads(1);
    const cv::Mat kernel = cv::Mat::ones(3, 3, CV_32F) / 9.0f;
    cv::Mat src = PictureMat(), dst(src.size(), src.type());
    for (auto _ : state) {
        cv::filter2D(src, dst, -1, kernel);
        benchmark::DoNotOptimize(dst.data);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(AverageFilter3OpenCv)->Unit(benchmark::kMillisecond);

} // namespace
