// Small pictures built byte by byte for the image library's tests.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/DibImage.h"

namespace fixtures {

using Bytes = std::vector<BYTE>;

inline void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<BYTE>(v));
    b.push_back(static_cast<BYTE>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// BITMAPINFOHEADER of 40 bytes.
inline Bytes InfoHeader(int32_t width, int32_t height, unsigned bpp, uint32_t compression = 0,
                        uint32_t colours = 0, uint32_t sizeImage = 0, int32_t ppm = 3780) {
    Bytes b;
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(height));
    Put16(b, 1);
    Put16(b, bpp);
    Put32(b, compression);
    Put32(b, sizeImage);
    Put32(b, static_cast<uint32_t>(ppm));
    Put32(b, static_cast<uint32_t>(ppm));
    Put32(b, colours);
    Put32(b, 0);
    return b;
}

// File header + info (+ palette, masks) + data, with the pixel offset after everything but data.
inline Bytes BmpFile(const Bytes& infoAndPalette, const Bytes& data) {
    Bytes b;
    Put16(b, 0x4D42);
    Put32(b, static_cast<uint32_t>(14 + infoAndPalette.size() + data.size()));
    Put32(b, 0);
    Put32(b, static_cast<uint32_t>(14 + infoAndPalette.size()));
    b.insert(b.end(), infoAndPalette.begin(), infoAndPalette.end());
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

inline Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A temporary file path (UTF-16) removed with the object.
class TempPath {
public:
    explicit TempPath(const char* name) {
        char dir[] = "/tmp/imaging_testXXXXXX";
        m_dir = mkdtemp(dir);
        m_path8 = m_dir + "/" + name;
        for (char c : m_path8)
            m_path.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    }
    ~TempPath() {
        std::remove(m_path8.c_str());
        ::rmdir(m_dir.c_str());
    }
    const WCHAR* Path() const { return m_path.c_str(); }
    const char* Path8() const { return m_path8.c_str(); }
    void Write(const Bytes& bytes) const {
        FILE* f = std::fopen(m_path8.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    Bytes Read() const {
        Bytes b;
        FILE* f = std::fopen(m_path8.c_str(), "rb");
        if (!f)
            return b;
        int c;
        while ((c = std::fgetc(f)) != EOF)
            b.push_back(static_cast<BYTE>(c));
        std::fclose(f);
        return b;
    }
    bool Exists() const {
        FILE* f = std::fopen(m_path8.c_str(), "rb");
        if (f)
            std::fclose(f);
        return f != nullptr;
    }

private:
    std::string m_dir;
    std::string m_path8;
    std::u16string m_path;
};

// A 24-bit picture filled with one colour.
inline void FillColour(CDibImage& image, BYTE r, BYTE g, BYTE b) {
    for (long y = 0; y < static_cast<long>(image.GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(image.GetWidth()); ++x)
            image.SetPixelColor(x, y, RGBQUAD{b, g, r, 0});
}

inline Bytes EncodeToBytes(CDibImage& image, DWORD type) {
    BYTE* buffer = nullptr;
    long size = 0;
    if (!image.Encode(buffer, size, type))
        return {};
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// ---- EXIF blocks

struct ExifTag {
    WORD tag;
    WORD format;
    DWORD count;
    Bytes value; // in the block's byte order
};

inline Bytes U16(bool be, unsigned v) {
    return be ? Bytes{static_cast<BYTE>(v >> 8), static_cast<BYTE>(v)}
              : Bytes{static_cast<BYTE>(v), static_cast<BYTE>(v >> 8)};
}
inline Bytes U32(bool be, uint32_t v) {
    Bytes hi = U16(be, v >> 16), lo = U16(be, v & 0xFFFF);
    return be ? Concat(hi, lo) : Concat(lo, hi);
}
inline Bytes Rational(bool be, uint32_t num, uint32_t den) {
    return Concat(U32(be, num), U32(be, den));
}
inline ExifTag ShortTag(bool be, WORD tag, unsigned v) {
    return {tag, 3, 1, U16(be, v)};
}

// TIFF data: header, IFD0, then the EXIF sub-directory (linked from IFD0 by tag 0x8769 when
// exifIfd is not empty), then the values longer than 4 bytes.
inline Bytes TiffBlock(bool be, std::vector<ExifTag> ifd0,
                       const std::vector<ExifTag>& exifIfd = {}) {
    if (!exifIfd.empty())
        ifd0.push_back({0x8769, 4, 1, U32(be, 0)}); // patched below
    const uint32_t ifd0Size = 2 + 12 * static_cast<uint32_t>(ifd0.size()) + 4;
    const uint32_t exifOffset = 8 + ifd0Size;
    const uint32_t exifSize =
        exifIfd.empty() ? 0 : 2 + 12 * static_cast<uint32_t>(exifIfd.size()) + 4;
    uint32_t dataOffset = exifOffset + exifSize;
    if (!exifIfd.empty())
        ifd0.back().value = U32(be, exifOffset);
    Bytes data;
    auto directory = [&](const std::vector<ExifTag>& tags) {
        Bytes d = U16(be, static_cast<unsigned>(tags.size()));
        for (const ExifTag& t : tags) {
            d = Concat(d, U16(be, t.tag));
            d = Concat(d, U16(be, t.format));
            d = Concat(d, U32(be, t.count));
            if (t.value.size() <= 4) {
                Bytes v = t.value;
                v.resize(4, 0);
                d = Concat(d, v);
            } else {
                d = Concat(d, U32(be, dataOffset + static_cast<uint32_t>(data.size())));
                data = Concat(data, t.value);
            }
        }
        return Concat(d, U32(be, 0));
    };
    Bytes out = be ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
    out = Concat(out, U16(be, 42));
    out = Concat(out, U32(be, 8));
    out = Concat(out, directory(ifd0));
    if (!exifIfd.empty())
        out = Concat(out, directory(exifIfd));
    return Concat(out, data);
}

// An APP1 section "Exif" holding the TIFF data.
inline Bytes ExifSegment(const Bytes& tiff) {
    size_t length = 2 + 6 + tiff.size();
    Bytes s = {
        0xFF, 0xE1, static_cast<BYTE>(length >> 8), static_cast<BYTE>(length), 'E', 'x', 'i', 'f',
        0,    0};
    return Concat(s, tiff);
}

// Resolution tags as a camera writes them.
inline Bytes ResolutionExif(bool be, uint32_t num, uint32_t den, unsigned unit) {
    return ExifSegment(TiffBlock(be, {{0x011A, 5, 1, Rational(be, num, den)},
                                      {0x011B, 5, 1, Rational(be, num, den)},
                                      ShortTag(be, 0x0128, unit)}));
}

// Inserts sections right after the start-of-image marker.
inline Bytes InsertAfterSoi(const Bytes& jpeg, const Bytes& sections) {
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out = Concat(out, sections);
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

} // namespace fixtures
