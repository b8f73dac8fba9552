// libFuzzer target: any bytes through the PNG decoder, and what decodes is written and read
// back to the same picture.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/DibImage.h"

namespace {

// Mutated files almost never carry valid chunk checksums, and libpng refuses a bad one before
// it looks at the chunk: the checksums are made right so that the chunk parsers get exercised.
void FixChunkCrcs(std::vector<BYTE>& b) {
    size_t pos = 8;
    while (pos + 12 <= b.size()) {
        const unsigned long long length = (static_cast<unsigned long long>(b[pos]) << 24) |
                                          (b[pos + 1] << 16) | (b[pos + 2] << 8) | b[pos + 3];
        if (length > b.size() - pos - 12)
            return;
        const size_t n = static_cast<size_t>(length);
        uLong crc = crc32(0L, b.data() + pos + 4, static_cast<uInt>(n + 4));
        BYTE* out = b.data() + pos + 8 + n;
        out[0] = static_cast<BYTE>(crc >> 24);
        out[1] = static_cast<BYTE>(crc >> 16);
        out[2] = static_cast<BYTE>(crc >> 8);
        out[3] = static_cast<BYTE>(crc);
        pos += 12 + n;
    }
}

bool SamePixel(const CDibImage& a, const CDibImage& b, long x, long y) {
    RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
    return p.rgbRed == q.rgbRed && p.rgbGreen == q.rgbGreen && p.rgbBlue == q.rgbBlue &&
           a.AlphaGetAt(x, y) == b.AlphaGetAt(x, y);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<BYTE> bytes(data, data + size);
    if (size > 0 && (data[0] & 1))
        FixChunkCrcs(bytes); // half the inputs keep their checksums as they came
    const DWORD length = static_cast<DWORD>(bytes.size());

    // Pictures of many megapixels decode correctly but slowly; the size-only request
    // exercises the header checks without allocating.
    CDibImage probe;
    probe.SetEscape(-1);
    if (probe.Decode(bytes.data(), length, DIBIMAGE_TYPE_PNG) &&
        static_cast<unsigned long long>(probe.GetWidth()) * probe.GetHeight() > 4000000ull)
        return 0;

    CDibImage image(bytes.data(), length, DIBIMAGE_TYPE_PNG);
    if (!image.IsValid())
        return 0;
    const long w = static_cast<long>(image.GetWidth()), h = static_cast<long>(image.GetHeight());
    if (static_cast<long long>(w) * h > 250000)
        return 0;
    BYTE* out = nullptr;
    long outSize = 0;
    if (!image.Encode(out, outSize, DIBIMAGE_TYPE_PNG))
        std::abort(); // every decoded picture has a PNG form
    CDibImage again(out, static_cast<DWORD>(outSize), DIBIMAGE_TYPE_PNG);
    std::free(out);
    if (!again.IsValid() || again.GetWidth() != image.GetWidth() ||
        again.GetHeight() != image.GetHeight() || again.AlphaIsValid() != image.AlphaIsValid())
        std::abort(); // what we write we must read back
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            if (!SamePixel(image, again, x, y))
                std::abort();
    return 0;
}
