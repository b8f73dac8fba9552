// Save and load of a 1600 x 1200 24-bit picture as JPEG (quality 90) and BMP, through the image
// library and, for JPEG, through libjpeg directly on the same buffer as the yardstick. Both JPEG
// encoders write into one output block that is reused on every pass: a block grown afresh each
// pass costs hundreds of page faults, which would measure the allocator instead of the encoder.
// Run as it stands: the rounds take turns (bench/common).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/DibFile.h"
#include "imaging/DibImage.h"

namespace {

constexpr DWORD kWidth = 1600, kHeight = 1200;

// A picture with smooth areas and detail, like a microscope frame.
CDibImage& Picture() {
    static CDibImage* image = [] {
        auto* p = new CDibImage(kWidth, kHeight, 24, 0);
        unsigned seed = 12345;
        for (DWORD y = 0; y < kHeight; ++y) {
            BYTE* row = p->GetBits(y);
            for (DWORD x = 0; x < kWidth; ++x) {
                seed = seed * 1103515245u + 12345u;
                BYTE noise = static_cast<BYTE>((seed >> 16) & 15);
                row[3 * x] = static_cast<BYTE>((x / 7 + noise) & 255);
                row[3 * x + 1] = static_cast<BYTE>((y / 5 + (x * y) / 4000 + noise) & 255);
                row[3 * x + 2] = static_cast<BYTE>(((x + y) / 9 + noise) & 255);
            }
        }
        return p;
    }();
    return *image;
}

std::vector<BYTE> Encoded(DWORD type) {
    BYTE* buffer = nullptr;
    long size = 0;
    Picture().Encode(buffer, size, type);
    std::vector<BYTE> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

const std::vector<BYTE>& JpegBytes() {
    static std::vector<BYTE> bytes = Encoded(DIBIMAGE_TYPE_JPG);
    return bytes;
}

std::u16string TempPath(const char* name) {
    std::string p = std::string("/tmp/imaging_bench_") + name;
    return std::u16string(p.begin(), p.end());
}

// The output block of both JPEG encoders: as large as the raw picture, every page touched once.
std::vector<BYTE>& OutputBlock() {
    static std::vector<BYTE> block(static_cast<size_t>(kWidth) * kHeight * 3, 0);
    return block;
}

void JpegEncodeLibrary(benchmark::State& state) {
    CDibImage& image = Picture();
    std::vector<BYTE>& block = OutputBlock();
    for (auto _ : state) {
        CDibMemFile file(block.data(), static_cast<DWORD>(block.size()));
        if (!image.Encode(&file, DIBIMAGE_TYPE_JPG) || file.GetBuffer(false) != block.data())
            state.SkipWithError("encode failed or outgrew the block");
        benchmark::DoNotOptimize(block.data());
        benchmark::ClobberMemory();
    }
}

// libjpeg straight onto the picture's rows (blue-green-red, bottom-up) into the same block.
void JpegEncodeDirect(benchmark::State& state) {
    CDibImage& image = Picture();
    std::vector<BYTE>& block = OutputBlock();
    for (auto _ : state) {
        jpeg_compress_struct cinfo;
        jpeg_error_mgr jerr;
        cinfo.err = jpeg_std_error(&jerr);
        jpeg_create_compress(&cinfo);
        unsigned char* out = block.data();
        unsigned long outSize = block.size();
        jpeg_mem_dest(&cinfo, &out, &outSize);
        cinfo.image_width = kWidth;
        cinfo.image_height = kHeight;
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, 90, FALSE);
        cinfo.density_unit = 1;
        cinfo.X_density = 96;
        cinfo.Y_density = 96;
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW row = image.GetBits(kHeight - 1 - cinfo.next_scanline);
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        if (out != block.data()) { // libjpeg took a block of its own
            state.SkipWithError("the encoded picture outgrew the block");
            std::free(out);
        }
        benchmark::DoNotOptimize(block.data());
        benchmark::ClobberMemory();
    }
}

void JpegDecodeLibrary(benchmark::State& state) {
    const std::vector<BYTE>& bytes = JpegBytes();
    for (auto _ : state) {
        CDibImage image(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                        DIBIMAGE_TYPE_JPG);
        if (!image.IsValid())
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(image.GetBits());
    }
}

// libjpeg straight from the memory block into bottom-up blue-green-red rows of a new block.
void JpegDecodeDirect(benchmark::State& state) {
    const std::vector<BYTE>& bytes = JpegBytes();
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr jerr;
        cinfo.err = jpeg_std_error(&jerr);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&cinfo);
        size_t stride = ((cinfo.output_width * 24 + 31) / 32) * 4;
        BYTE* pixels = static_cast<BYTE*>(std::malloc(stride * cinfo.output_height));
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels + stride * (cinfo.output_height - 1 - cinfo.output_scanline);
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels);
        std::free(pixels);
    }
}

void BmpEncodeMemory(benchmark::State& state) {
    CDibImage& image = Picture();
    for (auto _ : state) {
        BYTE* buffer = nullptr;
        long size = 0;
        image.Encode(buffer, size, DIBIMAGE_TYPE_BMP);
        benchmark::DoNotOptimize(buffer);
        std::free(buffer);
    }
}

void BmpDecodeMemory(benchmark::State& state) {
    static std::vector<BYTE> bytes = Encoded(DIBIMAGE_TYPE_BMP);
    for (auto _ : state) {
        CDibImage image(bytes.data(), static_cast<DWORD>(bytes.size()), DIBIMAGE_TYPE_BMP);
        benchmark::DoNotOptimize(image.GetBits());
    }
}

void SaveToFile(benchmark::State& state, DWORD type, const char* name) {
    std::u16string path = TempPath(name);
    for (auto _ : state) {
        if (!Picture().SaveToFile(path.c_str(), type))
            state.SkipWithError("save failed");
    }
    std::remove(std::string(path.begin(), path.end()).c_str());
}

void LoadFromFile(benchmark::State& state, DWORD type, const char* name) {
    std::u16string path = TempPath(name);
    Picture().SaveToFile(path.c_str(), type);
    for (auto _ : state) {
        CDibImage image(path.c_str(), type);
        if (!image.IsValid())
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image.GetBits());
    }
    std::remove(std::string(path.begin(), path.end()).c_str());
}

} // namespace

BENCHMARK(JpegEncodeLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(JpegEncodeDirect)->Unit(benchmark::kMillisecond);
BENCHMARK(JpegDecodeLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(JpegDecodeDirect)->Unit(benchmark::kMillisecond);
BENCHMARK(BmpEncodeMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BmpDecodeMemory)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SaveToFile, Jpeg, DIBIMAGE_TYPE_JPG, "save.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SaveToFile, Bmp, DIBIMAGE_TYPE_BMP, "save.bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFromFile, Jpeg, DIBIMAGE_TYPE_JPG, "load.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFromFile, Bmp, DIBIMAGE_TYPE_BMP, "load.bmp")->Unit(benchmark::kMillisecond);
