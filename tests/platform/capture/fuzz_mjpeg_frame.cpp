// The Motion-JPEG frames of a V4L2 camera: any bytes as a frame of the size its own header
// names (else 16 x 8), decoded as the streaming thread does into a bottom-up frame of exactly
// that size, by one decoder kept for the whole run as for a stream. A refused frame must not
// spoil the decoder: a good frame decodes after every input.
#include "platform/capture/Backend.h"
#include "platform/capture/MjpegDecoder.h"
#include "tests/support/MjpegFrame.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// The size in the first start-of-frame marker, bounded so that one input stays quick.
void SizeOf(const uint8_t* data, size_t size, LONG& width, LONG& height) {
    width = 16;
    height = 8;
    for (size_t i = 0; i + 8 < size; ++i) {
        if (data[i] == 0xFF && data[i + 1] >= 0xC0 && data[i + 1] <= 0xC3) {
            const LONG h = data[i + 5] << 8 | data[i + 6];
            const LONG w = data[i + 7] << 8 | data[i + 8];
            if (w > 0 && h > 0 && static_cast<long long>(w) * h <= 1 << 20) {
                width = w;
                height = h;
            }
            return;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ms::capture::MjpegDecoder decoder;
    static const std::vector<unsigned char> good =
        ms_test::EncodeMjpegFrame(16, 8, 80, [](unsigned y, unsigned char* rgb) {
            for (unsigned x = 0; x < 16; ++x) {
                rgb[3 * x] = static_cast<unsigned char>(16 * x);
                rgb[3 * x + 1] = static_cast<unsigned char>(32 * y);
                rgb[3 * x + 2] = 128;
            }
        });
    LONG width, height;
    SizeOf(data, size, width, height);
    const long stride = ms::capture::Rgb24Stride(width);
    std::vector<BYTE> frame(static_cast<size_t>(stride) * height);
    decoder.DecodeBottomUp(data, size, width, height, frame.data(), stride);

    std::vector<BYTE> check(static_cast<size_t>(ms::capture::Rgb24Stride(16)) * 8);
    if (!decoder.DecodeBottomUp(good.data(), good.size(), 16, 8, check.data(),
                                ms::capture::Rgb24Stride(16)))
        std::abort();
    return 0;
}
