// What the streaming thread spends per 640 x 480 frame while a recording runs: the frame turned
// encoded by the AVI writer, Motion-JPEG ("Compress") and raw, beside libjpeg-turbo's bare
// encode of the same frame (the Motion-JPEG frame's floor; compare the medians). At the
// camera's 30 frames per second a frame may take well under 33 ms, or the live view falls
// behind. The file goes to the temporary folder and is removed afterwards.
#include "capture/AviRecorder.h"
#include "capture/RecorderSettingDlg.h"

#include "platform/capture/Backend.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/WString.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int kRecorderQuality = 85; // the recorder's Motion-JPEG quality

std::vector<BYTE> Frame() {
    const long stride = ms::capture::Rgb24Stride(kAviWidth);
    std::vector<BYTE> f(static_cast<size_t>(stride) * kAviHeight);
    for (size_t i = 0; i < f.size(); ++i)
        f[i] = static_cast<BYTE>((i * 7 + i / 1920) & 0xff);
    return f;
}

void BM_WriteAviFrame640x480(benchmark::State& state) {
    g_recordCompress = static_cast<int>(state.range(0));
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "ms-avi-bench.avi";
    swprintf(g_aviPath, MAX_PATH, u"%s", ms::FromUtf8(path.string()).c_str());
    if (!OpenAviWriter()) {
        state.SkipWithError("no writer");
        return;
    }
    const auto frame = Frame();
    // Each frame in a slot of its own, so every one is encoded and written.
    double sampleTime = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(WriteAviFrame(static_cast<long>(frame.size()), frame.data(),
                                               kAviWidth, kAviHeight, sampleTime));
        sampleTime += 1.0 / kAviFramesPerSecond;
    }
    CloseAviWriter(nullptr);
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteAviFrame640x480)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("compress")
    ->Unit(benchmark::kMillisecond);

// The reference for the Motion-JPEG frame above: libjpeg-turbo alone encoding the same frame at
// the recorder's quality, as lean as its API allows (one compressor kept, one output buffer
// reused, the DIB's rows and colour order handed over as they are), nothing written.
void BM_LibjpegEncode640x480(benchmark::State& state) {
    const auto frame = Frame();
    const long stride = ms::capture::Rgb24Stride(kAviWidth);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned long capacity = 4u << 20;
    auto* buffer = static_cast<unsigned char*>(std::malloc(capacity));
    for (auto _ : state) {
        unsigned long size = capacity;
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = kAviWidth;
        cinfo.image_height = kAviHeight;
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, kRecorderQuality, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(
                frame.data() + static_cast<size_t>(kAviHeight - 1 - cinfo.next_scanline) *
                                   static_cast<size_t>(stride));
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
        benchmark::DoNotOptimize(size);
        capacity = std::max(capacity, size);
    }
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LibjpegEncode640x480)->Unit(benchmark::kMillisecond);

} // namespace
