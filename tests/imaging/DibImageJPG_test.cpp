#include <gtest/gtest.h>

#include <cstring>

#include "imaging/DibImageJPG.h"
#include "tests/imaging/ImagingFixtures.h"

using namespace fixtures;

namespace {
Bytes RedJpeg(DWORD w = 16, DWORD h = 16) {
    CDibImage image(w, h, 24, 0);
    FillColour(image, 255, 0, 0);
    image.SetJpegLevel(90);
    return EncodeToBytes(image, DIBIMAGE_TYPE_JPG);
}
bool DecodeJpeg(CDibImage& image, Bytes bytes, DWORD type = DIBIMAGE_TYPE_JPG) {
    return image.Decode(bytes.data(), static_cast<DWORD>(bytes.size()), type);
}
// The JFIF header our encoder writes: unit at byte 13, densities at 14 and 16 (big-endian).
Bytes WithJfifDensity(Bytes jpeg, BYTE unit, WORD x, WORD y) {
    jpeg[13] = unit;
    jpeg[14] = static_cast<BYTE>(x >> 8);
    jpeg[15] = static_cast<BYTE>(x);
    jpeg[16] = static_cast<BYTE>(y >> 8);
    jpeg[17] = static_cast<BYTE>(y);
    return jpeg;
}
} // namespace

TEST(DibImageJPG, RedPictureAtQuality90) {
    Bytes jpeg = RedJpeg();
    const Bytes head = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46,
                        0x00, 0x01, 0x01, 0x01, 0x00, 0x60, 0x00, 0x60, 0x00, 0x00};
    ASSERT_GT(jpeg.size(), head.size());
    EXPECT_EQ(Bytes(jpeg.begin(), jpeg.begin() + 20), head);

    CDibImage image;
    ASSERT_TRUE(DecodeJpeg(image, jpeg));
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(image.GetType(), DIBIMAGE_TYPE_JPG);
    EXPECT_EQ(image.GetDpiX(), 96);
    const BYTE* first = image.GetBits();
    EXPECT_LE(first[0], 8);   // blue
    EXPECT_LE(first[1], 8);   // green
    EXPECT_GE(first[2], 245); // red
    RGBQUAD c = image.GetPixelColor(9, 12);
    EXPECT_GE(c.rgbRed, 245);
}

TEST(DibImageJPG, RowsKeepTheirOrientation) {
    CDibImage image(8, 16, 24, 0);
    for (long y = 0; y < 16; ++y)
        for (long x = 0; x < 8; ++x)
            image.SetPixelColor(
                x, y, y < 8 ? RGB(0, 0, 255) : RGB(255, 255, 0)); // blue bottom, yellow top
    CDibImage back;
    ASSERT_TRUE(DecodeJpeg(back, EncodeToBytes(image, DIBIMAGE_TYPE_JPG)));
    EXPECT_GE(back.GetPixelColor(4, 1).rgbBlue, 200);
    EXPECT_LE(back.GetPixelColor(4, 1).rgbRed, 40);
    EXPECT_GE(back.GetPixelColor(4, 14).rgbRed, 200);
    EXPECT_LE(back.GetPixelColor(4, 14).rgbBlue, 40);
}

TEST(DibImageJPG, GrayAndPaletteImages) {
    CDibImage gray(16, 8, 8, 0);
    gray.SetGrayPalette();
    for (long x = 0; x < 16; ++x)
        for (long y = 0; y < 8; ++y)
            gray.SetPixelIndex(x, y, static_cast<BYTE>(x * 16));
    Bytes jpeg = EncodeToBytes(gray, DIBIMAGE_TYPE_JPG);
    ASSERT_FALSE(jpeg.empty());
    CDibImage back;
    ASSERT_TRUE(DecodeJpeg(back, jpeg));
    EXPECT_EQ(back.GetBpp(), 8);
    EXPECT_TRUE(back.IsGrayScale());
    EXPECT_NEAR(back.GetPixelIndex(15, 3), 240, 6);

    for (DWORD bpp : {1u, 4u, 8u}) {
        CDibImage palette(4, 4, bpp, 0);
        palette.SetStandardPalette();
        BYTE* out = nullptr;
        long size = 0;
        EXPECT_FALSE(palette.Encode(out, size, DIBIMAGE_TYPE_JPG)) << bpp;
        EXPECT_STREQ(palette.GetLastErrorText(), "JPEG can save only RGB or GreyScale images");
        EXPECT_EQ(out, nullptr);
    }
    // A 4-bit picture whose palette happens to be 0..15 is packed, not gray samples.
    CDibImage packed(40, 4, 4, 0);
    for (BYTE i = 0; i < 16; ++i)
        packed.SetPaletteColor(i, i, i, i);
    ASSERT_TRUE(packed.IsGrayScale());
    BYTE* out = nullptr;
    long size = 0;
    EXPECT_FALSE(packed.Encode(out, size, DIBIMAGE_TYPE_JPG));
}

TEST(DibImageJPG, ResolutionFromJfif) {
    struct Case {
        BYTE unit;
        WORD x, y;
        long dpiX, dpiY;
    } cases[] = {
        {1, 300, 300, 300, 300}, {2, 118, 118, 300, 300}, {0, 1, 1, 96, 96},
        {0, 1, 2, 96, 192},      {1, 0, 0, 96, 96},
    };
    for (const Case& c : cases) {
        CDibImage image;
        ASSERT_TRUE(DecodeJpeg(image, WithJfifDensity(RedJpeg(), c.unit, c.x, c.y)));
        EXPECT_EQ(image.GetDpiX(), c.dpiX) << int(c.unit) << " " << c.x;
        EXPECT_EQ(image.GetDpiY(), c.dpiY) << int(c.unit) << " " << c.y;
    }
    CDibImage saved(4, 4, 24, 0);
    saved.SetDpiX(200);
    saved.SetDpiY(150);
    Bytes jpeg = EncodeToBytes(saved, DIBIMAGE_TYPE_JPG);
    EXPECT_EQ(jpeg[13], 1);
    EXPECT_EQ((jpeg[14] << 8) | jpeg[15], 200);
    EXPECT_EQ((jpeg[16] << 8) | jpeg[17], 150);
}

TEST(DibImageJPG, ResolutionFromExifWins) {
    struct Case {
        bool bigEndian;
        uint32_t num, den;
        unsigned unit;
        long dpi;
    } cases[] = {
        {false, 72, 1, 2, 72},
        {true, 72, 1, 2, 72},
        {false, 11811, 100, 3, 299}, // 299.9994 truncated
        {true, 11811, 100, 3, 299},
    };
    for (const Case& c : cases) {
        Bytes jpeg = InsertAfterSoi(WithJfifDensity(RedJpeg(), 1, 300, 300),
                                    ResolutionExif(c.bigEndian, c.num, c.den, c.unit));
        CDibImage image;
        ASSERT_TRUE(DecodeJpeg(image, jpeg)) << image.GetLastErrorText();
        EXPECT_EQ(image.GetDpiX(), c.dpi) << (c.bigEndian ? "MM" : "II");
        EXPECT_EQ(image.GetDpiY(), c.dpi);
    }
    // An EXIF block without resolution still beats the JFIF density.
    Bytes noRes = InsertAfterSoi(WithJfifDensity(RedJpeg(), 1, 300, 300),
                                 ExifSegment(TiffBlock(false, {ShortTag(false, 0x0112, 1)})));
    CDibImage image;
    ASSERT_TRUE(DecodeJpeg(image, noRes));
    EXPECT_EQ(image.GetDpiX(), 96);
}

TEST(DibImageJPG, EdgeFiles) {
    CDibImage empty;
    EXPECT_FALSE(DecodeJpeg(empty, Bytes{}));
    EXPECT_STREQ(empty.GetLastErrorText(), "Empty input file");
    EXPECT_FALSE(empty.IsValid());

    CDibImage noisy(64, 64, 24, 0);
    for (long y = 0; y < 64; ++y)
        for (long x = 0; x < 64; ++x)
            noisy.SetPixelColor(
                x, y, y >= 48 ? RGB(255, 0, 0) : RGB((x * 73 + y * 31) & 255, (x * y) & 255, 90));
    Bytes jpeg = EncodeToBytes(noisy, DIBIMAGE_TYPE_JPG);
    Bytes truncated(jpeg.begin(), jpeg.begin() + static_cast<long>(jpeg.size() / 2));
    CDibImage partial;
    EXPECT_TRUE(DecodeJpeg(partial, truncated))
        << partial.GetLastErrorText(); // the rest filled by libjpeg
    EXPECT_EQ(partial.GetWidth(), 64u);
    EXPECT_GE(partial.GetPixelColor(1, 63).rgbRed, 240); // the top rows arrived

    CDibImage header(RedJpeg(32, 24).data(), 0, DIBIMAGE_TYPE_JPG);
    EXPECT_FALSE(header.IsValid());

    Bytes sized = RedJpeg(32, 24);
    CDibImage sizeOnly;
    sizeOnly.SetEscape(-1);
    EXPECT_TRUE(DecodeJpeg(sizeOnly, sized));
    EXPECT_FALSE(sizeOnly.IsValid());
    EXPECT_EQ(sizeOnly.GetWidth(), 32u);
    EXPECT_EQ(sizeOnly.GetHeight(), 24u);

    CDibImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(DecodeJpeg(cancelled, sized));
    EXPECT_FALSE(cancelled.IsValid());

    // Quality beyond 100 is clamped, not passed on.
    CDibImage image(8, 8, 24, 0);
    image.SetJpegLevelF(250);
    EXPECT_FALSE(EncodeToBytes(image, DIBIMAGE_TYPE_JPG).empty());
}

TEST(DibImageJPG, FailedWriteIsReported) {
    CDibImage image(64, 64, 24, 0);
    FILE* ro = std::fopen("/dev/null", "rb");
    ASSERT_NE(ro, nullptr);
    EXPECT_FALSE(image.Encode(ro, DIBIMAGE_TYPE_JPG));
    EXPECT_STRNE(image.GetLastErrorText(), "");
    std::fclose(ro);
}
