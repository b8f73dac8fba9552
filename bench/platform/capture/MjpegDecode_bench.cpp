// What the V4L2 streaming thread spends on one 1600 x 1200 Motion-JPEG frame (4:2:2, as USB
// microscopes send it): decoded by libjpeg-turbo straight into the bottom-up BGR rows the
// grabbers get, beside the same frame decoded the way djpeg does it (default settings, RGB rows
// into a buffer). Compare also with djpeg itself on the frame that MS_MJPEG_BENCH_FRAME names:
// the benchmark writes the frame there.
#include "platform/capture/Backend.h"
#include "platform/capture/MjpegDecoder.h"
#include "tests/support/MjpegFrame.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include <vector>

namespace {

constexpr LONG kWidth = 1600, kHeight = 1200;

// A picture with detail (gradients and a fine texture), so that the entropy-coded data has a
// size like a camera's frame rather than a flat test card.
std::vector<unsigned char> Frame() {
    unsigned seed = 1;
    auto jpeg = ms_test::EncodeMjpegFrame(kWidth, kHeight, 85, [&](unsigned y, unsigned char* row) {
        for (unsigned x = 0; x < static_cast<unsigned>(kWidth); ++x) {
            seed = seed * 1103515245u + 12345u;
            int noise = static_cast<int>((seed >> 16) & 15);
            row[x * 3] = static_cast<unsigned char>((x * 255 / kWidth + noise) & 0xff);
            row[x * 3 + 1] = static_cast<unsigned char>((y * 255 / kHeight + noise) & 0xff);
            row[x * 3 + 2] = static_cast<unsigned char>(((x ^ y) & 0x3f) * 3 + noise);
        }
    });
    if (const char* path = std::getenv("MS_MJPEG_BENCH_FRAME")) {
        if (FILE* f = std::fopen(path, "wb")) {
            std::fwrite(jpeg.data(), 1, jpeg.size(), f);
            std::fclose(f);
        }
    }
    return jpeg;
}

void BM_Mjpeg1600x1200IntoBgrBottomUp(benchmark::State& state) {
    auto jpeg = Frame();
    const long stride = ms::capture::Rgb24Stride(kWidth);
    std::vector<BYTE> dst(static_cast<size_t>(stride) * kHeight);
    ms::capture::MjpegDecoder decoder;
    for (auto _ : state) {
        if (!decoder.DecodeBottomUp(jpeg.data(), jpeg.size(), kWidth, kHeight, dst.data(),
                                    stride)) {
            state.SkipWithError("the frame was refused");
            break;
        }
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.counters["jpeg_bytes"] = static_cast<double>(jpeg.size());
}
BENCHMARK(BM_Mjpeg1600x1200IntoBgrBottomUp)->Unit(benchmark::kMillisecond);

// djpeg's decode: a decompressor per picture, default settings, RGB rows into a buffer.
void BM_Mjpeg1600x1200AsDjpegDecodes(benchmark::State& state) {
    auto jpeg = Frame();
    std::vector<unsigned char> rgb(static_cast<size_t>(kWidth) * 3 * kHeight);
    for (auto _ : state) {
        jpeg_decompress_struct c{};
        jpeg_error_mgr err{};
        c.err = jpeg_std_error(&err);
        jpeg_create_decompress(&c);
        jpeg_mem_src(&c, jpeg.data(), jpeg.size());
        jpeg_read_header(&c, TRUE);
        jpeg_start_decompress(&c);
        while (c.output_scanline < c.output_height) {
            JSAMPROW r = rgb.data() + static_cast<size_t>(c.output_scanline) * kWidth * 3;
            jpeg_read_scanlines(&c, &r, 1);
        }
        jpeg_finish_decompress(&c);
        jpeg_destroy_decompress(&c);
        benchmark::DoNotOptimize(rgb.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Mjpeg1600x1200AsDjpegDecodes)->Unit(benchmark::kMillisecond);

} // namespace
