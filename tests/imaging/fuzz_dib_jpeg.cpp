// libFuzzer target: any bytes through the JPEG decoder with its EXIF reader, and through the
// section reader and writer directly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/DibImageJPG.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BYTE* bytes = const_cast<BYTE*>(data);
    {
        CDibImageJPG::CDibExifInfo exif;
        CDibMemFile in(bytes, static_cast<DWORD>(size));
        if (exif.ReadSections(&in, CDibImageJPG::CDibExifInfo::READ_EXIF |
                                       CDibImageJPG::CDibExifInfo::READ_IMAGE)) {
            const CDibExifData* r = exif.GetRecord();
            if (r->thumbnail && r->thumbnailSize) {
                volatile BYTE last = r->thumbnail[r->thumbnailSize - 1];
                (void)last;
            }
            exif.DiscardNonExifSections();
            CDibMemFile out;
            out.Open();
            exif.WriteSections(&out);
        }
    }

    CDibImage probe;
    probe.SetEscape(-1);
    if (probe.Decode(bytes, static_cast<DWORD>(size), DIBIMAGE_TYPE_JPG) &&
        static_cast<unsigned long long>(probe.GetWidth()) * probe.GetHeight() > 4000000ull)
        return 0;

    CDibImage image(bytes, static_cast<DWORD>(size), DIBIMAGE_TYPE_JPG);
    if (!image.IsValid())
        return 0;
    volatile unsigned sum = 0;
    for (long i = 0; i < 16; ++i)
        sum = sum + image.GetPixelGray(i % static_cast<long>(image.GetWidth()),
                                       i % static_cast<long>(image.GetHeight()));
    if (image.GetWidth() * image.GetHeight() < 200000) {
        BYTE* out = nullptr;
        long outSize = 0;
        if (image.Encode(out, outSize, DIBIMAGE_TYPE_JPG))
            std::free(out);
    }
    return 0;
}
