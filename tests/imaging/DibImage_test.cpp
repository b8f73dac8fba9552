#include "imaging/DibImage.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(DibImageCreate, StrideSizeAndPalette) {
    CDibImage a;
    ASSERT_NE(a.Create(5, 3, 24, 0), nullptr);
    EXPECT_EQ(a.GetRowStride(), 16u);
    EXPECT_EQ(a.GetHeader().biSizeImage, 48u);
    EXPECT_FALSE(a.HasPalette());
    EXPECT_EQ(a.GetSize(), 88u);

    CDibImage b(5, 3, 2, 0);
    EXPECT_EQ(b.GetBpp(), 4);
    EXPECT_EQ(b.GetNumColors(), 16u);
    EXPECT_EQ(b.GetRowStride(), 4u);
    // The header lies at the start of the block, the rows after the palette.
    EXPECT_EQ(std::memcmp(b.GetDibBlock(), &b.GetHeader(), 40), 0);
    EXPECT_EQ(b.GetBits(), static_cast<BYTE*>(b.GetDibBlock()) + 40 + 64);
}

TEST(DibImageCreate, RefusesWithItsTexts) {
    struct Case {
        DWORD w, h, bpp;
        const char* text;
    } cases[] = {
        {0, 10, 8, "CDibImage::Create : width and height must be greater than zero"},
        {10, 0, 24, "CDibImage::Create : width and height must be greater than zero"},
        {16384, 16384, 24, "DIBIMAGE_MAX_MEMORY exceeded"},
        // Sizes whose product wraps in 32 bits must not pass as small pictures.
        {0x80000000u, 1, 1, "DIBIMAGE_MAX_MEMORY exceeded"},
        {65536, 65537, 8, "DIBIMAGE_MAX_MEMORY exceeded"},
        {0xFFFFFFFFu, 0xFFFFFFFFu, 24, "DIBIMAGE_MAX_MEMORY exceeded"},
    };
    for (const Case& c : cases) {
        CDibImage image(4, 4, 8, 0);
        EXPECT_EQ(image.Create(c.w, c.h, c.bpp, 0), nullptr) << c.w << "x" << c.h;
        EXPECT_STREQ(image.GetLastErrorText(), c.text);
        EXPECT_FALSE(image.IsValid()); // the old picture is gone
    }
}

TEST(DibImageCreate, ExactLimitPassesAndRowsAreZero) {
    CDibImage big;
    ASSERT_NE(big.Create(65536, 4096, 8, 0), nullptr); // exactly 268435456 bytes of rows
    big.Destroy();

    CDibImage image(7, 5, 24, 0);
    std::memset(image.GetBits(), 0xAB, image.GetHeader().biSizeImage);
    ASSERT_NE(image.Create(7, 5, 24, 0), nullptr);
    for (DWORD i = 0; i < image.GetHeader().biSizeImage; ++i)
        ASSERT_EQ(image.GetBits()[i], 0) << i;
}

TEST(DibImageAttributes, Defaults) {
    CDibImage image;
    EXPECT_EQ(image.GetDpiX(), 96);
    EXPECT_EQ(image.GetDpiY(), 96);
    EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 3780);
    EXPECT_EQ(image.GetJpegLevel(), 90);
    EXPECT_EQ(image.GetKeyIndex(), -1);
    EXPECT_FALSE(image.HasKeyColor());
    EXPECT_TRUE(image.IsEnabled());
    EXPECT_EQ(image.GetAlphaMax(), 255);
    EXPECT_FALSE(image.IsValid());
}

TEST(DibImageAttributes, ResolutionAndQuality) {
    CDibImage image(2, 2, 24, 0);
    image.SetDpiX(0);
    EXPECT_EQ(image.GetDpiX(), 96);
    image.SetDpiX(300);
    EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 11811);
    EXPECT_EQ(static_cast<const BITMAPINFOHEADER*>(image.GetDibBlock())->biXPelsPerMeter, 11811);
    image.SetDpiY(2147483647L); // from a hostile file header: cut so that the header can hold it
    EXPECT_EQ(image.GetDpiY(), 54000000);
    EXPECT_GT(image.GetHeader().biYPelsPerMeter, 0);
    image.SetJpegLevelF(-3);
    EXPECT_EQ(image.GetJpegLevel(), 0);
    image.SetJpegLevelF(89.6f);
    EXPECT_EQ(image.GetJpegLevel(), 90);
    image.SetJpegLevelF(1.0e9f);
    EXPECT_EQ(image.GetJpegLevel(), 255);
    image.SetKeyIndex(5); // true colour: any index stores 0
    EXPECT_EQ(image.GetKeyIndex(), 0);
    EXPECT_TRUE(image.SetImageType(DIBIMAGE_TYPE_JPG));
    EXPECT_FALSE(image.SetImageType(2));
    EXPECT_EQ(image.GetType(), 0u);
    image.SetFlags(0x12345678);
    image.SetFlags(0xABCD, true);
    EXPECT_EQ(image.GetFlags(), 0x1234ABCDu);
}

TEST(DibImageAttributes, CodecOptionsBySlot) {
    CDibImage image(DIBIMAGE_TYPE_JPG);
    EXPECT_TRUE(image.SetCodecOption(0x10));
    EXPECT_EQ(image.GetCodecOption(DIBIMAGE_TYPE_JPG), 0x10u);
    EXPECT_EQ(image.GetCodecOption(DIBIMAGE_TYPE_BMP), 0u);
    EXPECT_EQ(CDibImage::GetFormatCount(), 2u);
    EXPECT_EQ(CDibImage::GetIndexFromType(4), 0u);
    EXPECT_EQ(CDibImage::GetTypeFromIndex(2), DIBIMAGE_TYPE_JPG);
    EXPECT_EQ(CDibImage::GetTypeFromExtension(u"JPEG"), DIBIMAGE_TYPE_JPG);
    EXPECT_EQ(CDibImage::GetTypeFromExtension(u"Bmp"), DIBIMAGE_TYPE_BMP);
    EXPECT_EQ(CDibImage::GetTypeFromExtension(u"png"), DIBIMAGE_TYPE_UNKNOWN);
}

// Pixel access at every depth, with y counted in stored rows from the bottom.
TEST(DibImagePixels, IndexAtEachDepth) {
    struct Case {
        DWORD bpp;
        long x, y;
        BYTE index;
        size_t byte;   // offset of the touched byte from the start of the rows
        BYTE expected; // that byte afterwards, the rest being 0
    } cases[] = {
        {1, 0, 0, 1, 0, 0x80},       {1, 5, 0, 0xFF, 0, 0x04}, {1, 9, 1, 1, 4 + 1, 0x40},
        {4, 0, 0, 0xA, 0, 0xA0},     {4, 1, 0, 0x3, 0, 0x03},  {4, 2, 1, 0x1F, 8 + 1, 0xF0},
        {8, 3, 1, 200, 12 + 3, 200},
    };
    for (const Case& c : cases) {
        CDibImage image(10, 2, c.bpp, 0);
        image.SetPixelIndex(c.x, c.y, c.index);
        const BYTE* bits = image.GetBits();
        for (size_t i = 0; i < image.GetHeader().biSizeImage; ++i)
            ASSERT_EQ(bits[i], i == c.byte ? c.expected : 0) << "bpp " << c.bpp << " byte " << i;
        BYTE mask = c.bpp == 1 ? 1 : (c.bpp == 4 ? 15 : 255);
        EXPECT_EQ(image.GetPixelIndex(c.x, c.y), c.index & mask);
    }
    CDibImage four(2, 1, 4, 0);
    four.GetBits()[0] = 0x5C;
    EXPECT_EQ(four.GetPixelIndex(1, 0), 0xC);
    EXPECT_EQ(four.GetPixelIndex(0, 0), 0x5);
    // Outside: the first byte of the rows, or the key index when one is set.
    EXPECT_EQ(four.GetPixelIndex(-1, 0), 0x5C);
    four.SetKeyIndex(3);
    EXPECT_EQ(four.GetPixelIndex(9, 9), 3);
}

TEST(DibImagePixels, TrueColourRowsAndOutside) {
    CDibImage image(3, 2, 24, 0);
    image.SetPixelColor(1, 1, RGBQUAD{10, 20, 30, 0});
    const BYTE* row1 = image.GetBits(1);
    EXPECT_EQ(row1[3], 10);
    EXPECT_EQ(row1[4], 20);
    EXPECT_EQ(row1[5], 30);
    EXPECT_EQ(image.GetBits(2), nullptr);
    image.SetPixelColor(0, 0, RGB(1, 2, 3));
    RGBQUAD c = image.GetPixelColor(7, -1); // outside, no key: the colour of (0, 0)
    EXPECT_EQ(c.rgbRed, 1);
    EXPECT_EQ(c.rgbGreen, 2);
    EXPECT_EQ(c.rgbBlue, 3);
    EXPECT_EQ(image.GetPixelGray(1, 1), (117 * 10 + 601 * 20 + 306 * 30) >> 10);
    image.SetPixelColor(5, 5, RGB(9, 9, 9)); // ignored outside
    image.AlphaCreate();
    image.SetPixelColor(2, 0, RGBQUAD{1, 1, 1, 77}, true);
    EXPECT_EQ(image.GetPixelColor(2, 0).rgbReserved, 77);
    EXPECT_EQ(image.GetPixelKind(), 4);
}

TEST(DibImagePalette, EntriesGrayAndNearest) {
    CDibImage image(4, 4, 8, 0);
    image.SetPaletteColor(3, 100, 100, 100);
    image.SetPaletteColor(4, 110, 100, 100);
    EXPECT_EQ(image.GetNearestIndex(RGBQUAD{100, 100, 105, 0}), 3); // a tie goes to the lower index
    image.SetPaletteColor(255, 1, 2, 3);
    EXPECT_EQ(image.GetPaletteColor(255).rgbBlue, 3);

    CDibImage two(8, 1, 1, 0);
    two.SetPaletteColor(2, 9, 9, 9); // index == entry count: nothing
    EXPECT_EQ(two.GetPaletteColor(2).rgbRed, 0);

    CDibImage four(2, 2, 4, 0);
    four.SetGrayPalette();
    for (BYTE i = 0; i < 16; ++i)
        EXPECT_EQ(four.GetPaletteColor(i).rgbGreen, 17 * i);
    EXPECT_FALSE(four.IsGrayScale());
    CDibImage gray(2, 2, 8, 0);
    gray.SetGrayPalette();
    EXPECT_TRUE(gray.IsGrayScale());

    two.SetStandardPalette();
    two.SetPixelIndex(0, 0, 1);
    two.SwapIndex(0, 1);
    EXPECT_EQ(two.GetPaletteColor(0).rgbRed, 255);
    EXPECT_EQ(two.GetBits()[0], 0x7F); // every bit inverted: the picture looks the same
    EXPECT_EQ(two.GetPixelColor(0, 0).rgbRed, 255); // still white

    two.SetClrImportant(300);
    EXPECT_EQ(two.GetClrImportant(), 0u);
    two.SetClrImportant(7);
    EXPECT_EQ(two.GetClrImportant(), 2u);
}

TEST(DibImageCopy, CopySharedViewAndTransfer) {
    CDibImage src(4, 3, 24, DIBIMAGE_TYPE_BMP);
    src.SetPixelColor(2, 1, RGB(5, 6, 7));
    src.SetDpiX(200);
    CDibImage copy(src);
    EXPECT_EQ(copy.GetPixelColor(2, 1).rgbRed, 5);
    EXPECT_EQ(copy.GetDpiX(), 200);
    EXPECT_NE(copy.GetBits(), src.GetBits());

    {
        CDibImage view;
        view.AttachShared(&src);
        EXPECT_TRUE(view.IsShared());
        EXPECT_EQ(view.GetBits(), src.GetBits());
        EXPECT_FALSE(view.Destroy());
        EXPECT_EQ(view.Create(2, 2, 8, 0), nullptr);
    }
    EXPECT_EQ(src.GetPixelColor(2, 1).rgbRed, 5); // the view freed nothing

    CDibImage target;
    EXPECT_TRUE(target.TransferFrom(copy));
    EXPECT_FALSE(copy.IsValid());
    EXPECT_EQ(target.GetPixelColor(2, 1).rgbRed, 5);
    EXPECT_EQ(target.GetType(), DIBIMAGE_TYPE_BMP);

    CDibImage assigned;
    assigned = src;
    EXPECT_EQ(assigned.GetPixelColor(2, 1).rgbRed, 5);
}

TEST(DibImagePixels, CreateFromBufferAndDrawLine) {
    const BYTE rgba[2 * 2 * 4] = {1, 2, 3, 40, 4, 5, 6, 50, 7, 8, 9, 60, 10, 11, 12, 70};
    CDibImage image;
    ASSERT_TRUE(image.CreateFromBuffer(rgba, 2, 2, 32, 8, true));
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(image.GetPixelColor(0, 1).rgbBlue, 1); // flipped: the first source row is the top
    EXPECT_EQ(image.AlphaGetAt(1, 0), 70);
    EXPECT_FALSE(image.CreateFromBuffer(rgba, 2, 2, 16, 8));

    CDibImage canvas(5, 5, 24, 0);
    canvas.DrawLine(0, 4, 0, 2, RGB(255, 0, 0));
    int lit = 0;
    for (long y = 0; y < 5; ++y)
        for (long x = 0; x < 5; ++x)
            lit += canvas.GetPixelColor(x, y).rgbRed == 255;
    EXPECT_EQ(lit, 5);
    EXPECT_EQ(canvas.GetPixelColor(4, 2).rgbRed, 255);
}
