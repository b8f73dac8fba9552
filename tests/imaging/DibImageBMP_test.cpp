#include <gtest/gtest.h>

#include <cstring>

#include "imaging/DibImageBMP.h"
#include "tests/imaging/ImagingFixtures.h"

using namespace fixtures;

namespace {
// Decodes bytes as BMP through the dispatch (as a picture an operator opens).
bool DecodeBmp(CDibImage& image, Bytes bytes) {
    return image.Decode(bytes.data(), static_cast<DWORD>(bytes.size()), DIBIMAGE_TYPE_BMP);
}
} // namespace

TEST(DibImageBMP, WritesTheTwoByTwoFileByteForByte) {
    CDibImage image(2, 2, 24, 0);
    image.SetPixelColor(0, 0, RGB(255, 0, 0));
    image.SetPixelColor(1, 0, RGB(0, 255, 0));
    image.SetPixelColor(0, 1, RGB(0, 0, 255));
    image.SetPixelColor(1, 1, RGB(255, 255, 255));
    const Bytes expected =
        {
            0x42, 0x4D, 0x46, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
            0x36, 0x00, 0x00, 0x00, // file header
            0x28, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00,
            0x00, 0x00, 0x01, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x00,
            0x10, 0x00, 0x00, 0x00, 0xC4, 0x0E, 0x00, 0x00, 0xC4, 0x0E,
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // info header
            0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00,             // bottom row
            0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,             // top row
        };
    EXPECT_EQ(EncodeToBytes(image, DIBIMAGE_TYPE_BMP), expected);

    CDibImage back;
    ASSERT_TRUE(DecodeBmp(back, expected));
    EXPECT_EQ(back.GetSize(), image.GetSize());
    EXPECT_EQ(std::memcmp(back.GetDibBlock(), image.GetDibBlock(), image.GetSize()), 0);
}

TEST(DibImageBMP, PaletteImageHasNoGap) {
    CDibImage image(3, 1, 8, 0);
    image.SetGrayPalette();
    image.SetPixelIndex(2, 0, 77);
    Bytes file = EncodeToBytes(image, DIBIMAGE_TYPE_BMP);
    ASSERT_EQ(file.size(), 14u + 40 + 1024 + 4);
    EXPECT_EQ(file[10], (14 + 40 + 1024) & 0xFF); // pixel offset
    EXPECT_EQ(file[14 + 40 + 1024 + 2], 77);
}

TEST(DibImageBMP, DecodesVariants) {
    // 16-bit 5-5-5: 0x7FFF is (248, 248, 248); rows are 4 bytes for one pixel.
    {
        CDibImage image;
        ASSERT_TRUE(DecodeBmp(image, BmpFile(InfoHeader(1, 1, 16), {0xFF, 0x7F, 0, 0})));
        RGBQUAD c = image.GetPixelColor(0, 0);
        EXPECT_EQ(c.rgbBlue, 248);
        EXPECT_EQ(c.rgbGreen, 248);
        EXPECT_EQ(c.rgbRed, 248);
        EXPECT_EQ(image.GetBpp(), 24);
    }
    // Top-down rows decode to the same picture as the bottom-up twin.
    {
        const Bytes rowA{1, 2, 3, 0}, rowB{4, 5, 6, 0};
        CDibImage up, down;
        ASSERT_TRUE(DecodeBmp(up, BmpFile(InfoHeader(1, 2, 24), Concat(rowA, rowB))));
        ASSERT_TRUE(DecodeBmp(down, BmpFile(InfoHeader(1, -2, 24), Concat(rowB, rowA))));
        EXPECT_EQ(std::memcmp(up.GetBits(), down.GetBits(), 8), 0);
        EXPECT_EQ(up.GetBits()[0], 1);
    }
    // 32 bits with every fourth byte 0: opaque, not invisible.
    {
        CDibImage image;
        ASSERT_TRUE(
            DecodeBmp(image, BmpFile(InfoHeader(2, 1, 32), {10, 20, 30, 0, 40, 50, 60, 0})));
        ASSERT_TRUE(image.AlphaIsValid());
        EXPECT_EQ(image.AlphaGetAt(0, 0), 255);
        EXPECT_EQ(image.AlphaGetAt(1, 0), 255);
        EXPECT_EQ(image.GetPixelColor(1, 0, false).rgbRed, 60);
        CDibImage some;
        ASSERT_TRUE(DecodeBmp(some, BmpFile(InfoHeader(2, 1, 32), {10, 20, 30, 0, 40, 50, 60, 9})));
        EXPECT_EQ(some.AlphaGetAt(0, 0), 0);
        EXPECT_EQ(some.AlphaGetAt(1, 0), 9);
        // ...and a true-colour image with alpha is written as 32 bits again.
        Bytes again = EncodeToBytes(some, DIBIMAGE_TYPE_BMP);
        ASSERT_EQ(again.size(), 14u + 40 + 8);
        EXPECT_EQ(again[28], 32);
        EXPECT_EQ(again[14 + 40 + 7], 9);
    }
    // A bare DIB without file header.
    {
        CDibImage image;
        ASSERT_TRUE(DecodeBmp(image, Concat(InfoHeader(1, 1, 24), {7, 8, 9, 0})));
        EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 9);
    }
    // The OS/2 core header: 12 bytes, a palette of RGB triples.
    {
        Bytes core = {12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 8, 0};
        Bytes triples(256 * 3, 0);
        triples[3 * 5] = 200; // entry 5: red 200 (triples are blue, green, red)
        triples[3 * 5 + 2] = 10;
        CDibImage image;
        ASSERT_TRUE(DecodeBmp(image, BmpFile(Concat(core, triples), {5, 0, 0, 0})));
        EXPECT_EQ(image.GetPixelColor(0, 0).rgbBlue, 200);
        EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 10);
        EXPECT_EQ(image.GetPixelColor(1, 0).rgbRed, 0);
    }
    // A longer header (version 4, 108 bytes) with its masks inside: 5-6-5.
    {
        Bytes v4 = InfoHeader(1, 1, 16, BI_BITFIELDS, 0, 4);
        v4[0] = 108;
        v4 = Concat(v4, Concat(Concat(U32(false, 0xF800), U32(false, 0x7E0)), U32(false, 0x1F)));
        v4.resize(108, 0);
        CDibImage image;
        ASSERT_TRUE(DecodeBmp(image, BmpFile(v4, {0x00, 0xF8, 0, 0}))); // pure red
        EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 248);
        EXPECT_EQ(image.GetPixelColor(0, 0).rgbGreen, 0);
    }
    // The size-only request.
    {
        CDibImage image;
        image.SetEscape(-1);
        ASSERT_TRUE(DecodeBmp(image, BmpFile(InfoHeader(640, 480, 24), {})));
        EXPECT_FALSE(image.IsValid());
        EXPECT_EQ(image.GetWidth(), 640u);
        EXPECT_EQ(image.GetHeight(), 480u);
        EXPECT_EQ(image.GetType(), DIBIMAGE_TYPE_BMP);
        EXPECT_STREQ(image.GetLastErrorText(), "output dimensions returned");
    }
}

TEST(DibImageBMP, DecodesRunLengths) {
    // RLE8: a run of 3, an absolute run of 3 (+1 fill), end of line, a delta, a run, end.
    {
        Bytes info = InfoHeader(8, 3, 8, BI_RLE8, 4);
        Bytes pal(16, 0);
        Bytes data = {3, 5, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 1, 1, 2, 6, 0, 1};
        CDibImage image;
        ASSERT_TRUE(DecodeBmp(image, BmpFile(Concat(info, pal), data)));
        const Bytes row0 = {5, 5, 5, 7, 8, 9, 0, 0};
        EXPECT_EQ(Bytes(image.GetBits(0), image.GetBits(0) + 8), row0);
        EXPECT_EQ(image.GetPixelIndex(1, 2), 6);
        EXPECT_EQ(image.GetPixelIndex(2, 2), 6);
        EXPECT_EQ(image.GetPixelIndex(0, 1), 0);
    }
    // RLE4: an absolute run of 5 pixels takes 3 data bytes and 1 fill byte.
    {
        Bytes info = InfoHeader(8, 2, 4, BI_RLE4, 16);
        Bytes pal(64, 0);
        Bytes data = {0, 5, 0x12, 0x34, 0x50, 0xEE, 2, 0x77, 0, 0, 4, 0xAB, 0, 1};
        CDibImage image;
        ASSERT_TRUE(DecodeBmp(image, BmpFile(Concat(info, pal), data)));
        const Bytes row0 = {0x12, 0x34, 0x57, 0x70};
        EXPECT_EQ(Bytes(image.GetBits(0), image.GetBits(0) + 4), row0);
        const Bytes row1 = {0xAB, 0xAB, 0, 0};
        EXPECT_EQ(Bytes(image.GetBits(1), image.GetBits(1) + 4), row1);
    }
    // Runs that point outside the picture are read and dropped.
    {
        Bytes info = InfoHeader(2, 1, 8, BI_RLE8, 2);
        Bytes data = {255, 1, 0, 2, 255, 255, 200, 3, 0, 0, 0, 0, 250, 0};
        CDibImage image;
        ASSERT_TRUE(DecodeBmp(image, BmpFile(Concat(info, Bytes(8, 0)), data)));
        EXPECT_EQ(image.GetBits()[0], 1);
    }
}

TEST(DibImageBMP, HostileHeaders) {
    struct Case {
        const char* name;
        Bytes bytes;
        bool ok;
        const char* text;
    } cases[] = {
        {"13-byte file", Bytes{'N', 'o', 't', ' ', 'a', ' ', 'B', 'M', 'P', ' ', 'x', 'y', 'z'},
         false, "Not a BMP"},
        {"header below 40", BmpFile(Bytes{20, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0}, {}),
         false, "Error reading BMP info"},
        {"bit count 7", BmpFile(InfoHeader(2, 2, 7), Bytes(8, 0)), false, "Error reading BMP info"},
        {"zero width", BmpFile(InfoHeader(0, 2, 24), Bytes(8, 0)), false, "Error reading BMP info"},
        {"huge", BmpFile(InfoHeader(0x7FFFFFFF, 0x7FFFFFFF, 24), {}), false,
         "DIBIMAGE_MAX_MEMORY exceeded"},
        {"24-bit RLE", BmpFile(InfoHeader(1, 1, 24, BI_RLE8), Bytes(4, 0)), false,
         "unknown compression"},
        {"8-bit JPEG", BmpFile(Concat(InfoHeader(1, 1, 8, 4, 1), Bytes(4, 0)), Bytes(4, 0)), false,
         "compression type not supported"},
        // More colours than the palette holds: the rest of the table is not stored.
        {"colour count",
         BmpFile(Concat(InfoHeader(1, 1, 1, 0, 0x40000000), Bytes(8, 0xCC)), Bytes(4, 0)), true,
         ""},
        // Rows missing at the end of the file stay black.
        {"short rows", BmpFile(InfoHeader(4, 4, 24), Bytes(20, 0x11)), true, ""},
    };
    for (const Case& c : cases) {
        CDibImage image;
        EXPECT_EQ(DecodeBmp(image, c.bytes), c.ok) << c.name;
        if (!c.ok) {
            EXPECT_STREQ(image.GetLastErrorText(), c.text) << c.name;
        }
    }
    CDibImage shortRows;
    ASSERT_TRUE(DecodeBmp(shortRows, BmpFile(InfoHeader(4, 4, 24), Bytes(20, 0x11))));
    EXPECT_EQ(shortRows.GetBits(1)[7], 0x11);
    EXPECT_EQ(shortRows.GetBits(1)[8], 0x00);
    EXPECT_EQ(shortRows.GetBits(3)[11], 0x00);
}

TEST(DibImageBMP, FailedWriteIsReported) {
    CDibImage image(4, 4, 24, 0);
    FILE* ro = std::fopen("/dev/null", "rb");
    ASSERT_NE(ro, nullptr);
    EXPECT_FALSE(image.Encode(ro, DIBIMAGE_TYPE_BMP));
    EXPECT_STREQ(image.GetLastErrorText(), "BMP write error");
    std::fclose(ro);
}
