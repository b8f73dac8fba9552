// Small pictures built byte by byte for the image library's tests.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
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

} // namespace fixtures
