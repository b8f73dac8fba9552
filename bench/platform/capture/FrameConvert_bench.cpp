// What the V4L2 streaming thread spends per frame turning a 1600 x 1200 YUYV frame into the
// 24-bit bottom-up BGR rows the grabbers get, beside OpenCV's conversion plus a row flip on one
// thread (the yardstick: ours should take no longer) and the general path through libv4lconvert
// plus a row flip that other formats take. Run as it stands: the rounds take turns
// (bench/common).
#include "platform/capture/V4l2Mapping.h"

#include <benchmark/benchmark.h>
#include <cerrno>
#include <cstring>
#include <libv4l-plugin.h>
#include <libv4lconvert.h>
#include <linux/videodev2.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <vector>

namespace {

constexpr LONG kWidth = 1600, kHeight = 1200;

std::vector<BYTE> YuyvFrame() {
    std::vector<BYTE> f(static_cast<size_t>(kWidth) * kHeight * 2);
    for (size_t i = 0; i < f.size(); ++i)
        f[i] = static_cast<BYTE>((i * 7 + i / 3200) & 0xff);
    return f;
}

void BM_Yuyv1600x1200ToBgrBottomUp(benchmark::State& state) {
    auto src = YuyvFrame();
    std::vector<BYTE> dst(static_cast<size_t>(ms::capture::Rgb24Stride(kWidth)) * kHeight);
    for (auto _ : state) {
        ms::capture::ConvertPackedYuvToBgrBottomUp(src.data(), kWidth * 2, kWidth, kHeight, dst.data(),
                                                   ms::capture::Rgb24Stride(kWidth), false);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Yuyv1600x1200ToBgrBottomUp)->Unit(benchmark::kMillisecond);

void BM_Yuyv1600x1200ThroughOpenCvAndFlip(benchmark::State& state) {
    cv::setNumThreads(1);
    auto src = YuyvFrame();
    cv::Mat yuyv(kHeight, kWidth, CV_8UC2, src.data());
    cv::Mat topDown(kHeight, kWidth, CV_8UC3);
    std::vector<BYTE> dst(static_cast<size_t>(ms::capture::Rgb24Stride(kWidth)) * kHeight);
    cv::Mat bottomUp(kHeight, kWidth, CV_8UC3, dst.data(), ms::capture::Rgb24Stride(kWidth));
    for (auto _ : state) {
        cv::cvtColor(yuyv, topDown, cv::COLOR_YUV2BGR_YUYV);
        cv::flip(topDown, bottomUp, 0);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Yuyv1600x1200ThroughOpenCvAndFlip)->Unit(benchmark::kMillisecond);

// libv4lconvert asks its device what it is; without one it is told "a capture device".
int FakeIoctl(void*, int, unsigned long request, void* arg) {
    if (request == VIDIOC_QUERYCAP) {
        auto* cap = static_cast<v4l2_capability*>(arg);
        std::memset(cap, 0, sizeof *cap);
        std::strcpy(reinterpret_cast<char*>(cap->driver), "bench");
        cap->capabilities = cap->device_caps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
        return 0;
    }
    errno = ENOTTY;
    return -1;
}

void BM_Yuyv1600x1200ThroughLibv4lconvertAndFlip(benchmark::State& state) {
    static const libv4l_dev_ops ops{nullptr, nullptr, FakeIoctl, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr};
    v4lconvert_data* conv = v4lconvert_create_with_dev_ops(-1, nullptr, &ops);
    if (!conv) {
        state.SkipWithError("libv4lconvert refuses to work without a device");
        return;
    }
    auto src = YuyvFrame();
    v4l2_format in{}, out{};
    in.type = out.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    in.fmt.pix.width = out.fmt.pix.width = kWidth;
    in.fmt.pix.height = out.fmt.pix.height = kHeight;
    in.fmt.pix.pixelformat = V4L2_PIX_FMT_YUYV;
    in.fmt.pix.bytesperline = kWidth * 2;
    in.fmt.pix.sizeimage = static_cast<__u32>(src.size());
    in.fmt.pix.field = out.fmt.pix.field = V4L2_FIELD_NONE;
    out.fmt.pix.pixelformat = V4L2_PIX_FMT_BGR24;
    out.fmt.pix.bytesperline = kWidth * 3;
    out.fmt.pix.sizeimage = kWidth * 3 * kHeight;
    std::vector<BYTE> topDown(static_cast<size_t>(kWidth) * 3 * kHeight);
    std::vector<BYTE> dst(static_cast<size_t>(ms::capture::Rgb24Stride(kWidth)) * kHeight);
    for (auto _ : state) {
        int n = v4lconvert_convert(conv, &in, &out, src.data(), static_cast<int>(src.size()), topDown.data(),
                                   static_cast<int>(topDown.size()));
        if (n < 0) {
            state.SkipWithError(v4lconvert_get_error_message(conv));
            break;
        }
        ms::capture::FlipRows(topDown.data(), kWidth * 3, kHeight, kWidth * 3, dst.data(),
                              ms::capture::Rgb24Stride(kWidth));
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    v4lconvert_destroy(conv);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Yuyv1600x1200ThroughLibv4lconvertAndFlip)->Unit(benchmark::kMillisecond);

} // namespace
