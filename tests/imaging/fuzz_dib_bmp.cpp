// libFuzzer target: any bytes through the BMP decoder (files with a header and bare DIBs).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/DibImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BYTE* bytes = const_cast<BYTE*>(data);
    // Pictures of many megapixels decode correctly but slowly; the size checks themselves are
    // exercised by the size-only request, which allocates nothing.
    CDibImage probe;
    probe.SetEscape(-1);
    if (probe.Decode(bytes, static_cast<DWORD>(size), DIBIMAGE_TYPE_BMP) &&
        static_cast<unsigned long long>(probe.GetWidth()) * probe.GetHeight() > 4000000ull)
        return 0;

    CDibImage image(bytes, static_cast<DWORD>(size), DIBIMAGE_TYPE_BMP);
    if (!image.IsValid())
        return 0;
    long w = static_cast<long>(image.GetWidth()), h = static_cast<long>(image.GetHeight());
    volatile unsigned sum = 0;
    for (long i = 0; i < 64; ++i)
        sum = sum + image.GetPixelGray((i * 7919) % w, (i * 104729) % h);
    BYTE* out = nullptr;
    long outSize = 0;
    if (static_cast<long long>(w) * h <= 250000 && image.Encode(out, outSize, DIBIMAGE_TYPE_BMP)) {
        CDibImage again(out, static_cast<DWORD>(outSize), DIBIMAGE_TYPE_BMP);
        if (!again.IsValid() || again.GetWidth() != image.GetWidth())
            std::abort(); // what we write we must read back
        std::free(out);
    }
    return 0;
}
