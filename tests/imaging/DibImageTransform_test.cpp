// Geometric and bit-depth transforms.
#include "imaging/DibImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

std::vector<BYTE> Block(const CDibImage& image) {
    const BYTE* p = static_cast<const BYTE*>(image.GetDibBlock());
    return std::vector<BYTE>(p, p + image.GetSize());
}

// A 24-bit picture whose every byte, padding included, differs.
CDibImage Numbered(DWORD w, DWORD h) {
    CDibImage image(w, h, 24, 0);
    BYTE* bits = image.GetBits();
    for (DWORD i = 0; i < image.GetHeader().biSizeImage; ++i)
        bits[i] = static_cast<BYTE>(i * 7 + 3);
    return image;
}

RGBQUAD Colour(BYTE r, BYTE g, BYTE b) {
    return RGBQUAD{b, g, r, 0};
}

bool Same(RGBQUAD a, RGBQUAD b) {
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

CDibImage Gray8(DWORD w, DWORD h, const std::vector<int>& values) {
    CDibImage image(w, h, 8, 0);
    image.SetGrayPalette();
    for (DWORD i = 0; i < values.size(); ++i)
        image.SetPixelIndex(static_cast<long>(i % w), static_cast<long>(i / w),
                            static_cast<BYTE>(values[i]));
    return image;
}

} // namespace

TEST(DibImageTransform, FlipMirrorNegativeTwiceAreIdentity) {
    CDibImage image = Numbered(3, 2);
    const std::vector<BYTE> before = Block(image);
    ASSERT_TRUE(image.Flip(false, true));
    EXPECT_EQ(std::memcmp(image.GetBits(0), before.data() + 40 + 12, 12), 0);
    ASSERT_TRUE(image.Flip(false, true));
    EXPECT_EQ(Block(image), before);

    // Mirror rebuilds the rows: the pixels come back, the padding bytes carry no meaning.
    ASSERT_TRUE(image.Mirror(false, true));
    EXPECT_TRUE(Same(image.GetPixelColor(0, 0), RGBQUAD{before[46], before[47], before[48], 0}));
    ASSERT_TRUE(image.Mirror(false, true));
    for (long y = 0; y < 2; ++y)
        EXPECT_EQ(std::memcmp(image.GetBits(static_cast<DWORD>(y)), before.data() + 40 + 12 * y, 9),
                  0);

    // Negative inverts every byte of the rows, the padding included.
    CDibImage neg = Numbered(3, 2);
    ASSERT_TRUE(neg.Negative());
    for (DWORD i = 0; i < 24; ++i)
        EXPECT_EQ(neg.GetBits()[i], 255 - before[40 + i]) << i;
    ASSERT_TRUE(neg.Negative());
    EXPECT_EQ(Block(neg), before);

    CDibImage empty;
    EXPECT_FALSE(empty.Flip(false, true));
    EXPECT_FALSE(empty.Mirror(false, true));
    EXPECT_FALSE(empty.Negative());
}

TEST(DibImageTransform, FlipOddHeightAndAlpha) {
    CDibImage image = Gray8(1, 5, {0, 1, 2, 3, 4});
    ASSERT_TRUE(image.AlphaCreate());
    for (long y = 0; y < 5; ++y)
        image.AlphaSetAt(0, y, static_cast<BYTE>(10 * y));
    ASSERT_TRUE(image.Flip(false, true));
    for (long y = 0; y < 5; ++y) {
        EXPECT_EQ(image.GetPixelIndex(0, y), 4 - y);
        EXPECT_EQ(image.AlphaGetAt(0, y), 10 * (4 - y));
    }
    ASSERT_TRUE(image.Flip(false, false)); // the alpha rows stay
    EXPECT_EQ(image.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(image.AlphaGetAt(0, 0), 40);
}

TEST(DibImageTransform, MirrorAtEveryDepth) {
    for (DWORD bpp : {1u, 4u, 8u, 24u}) {
        CDibImage image(5, 2, bpp, 0);
        image.SetGrayPalette();
        for (long x = 0; x < 5; ++x)
            image.SetPixelIndex(x, 1, static_cast<BYTE>(x % 2));
        image.SetPixelColor(0, 0, Colour(255, 255, 255));
        ASSERT_TRUE(image.Mirror(false, true));
        EXPECT_EQ(image.GetPixelGray(4, 0), 255) << bpp;
        EXPECT_EQ(image.GetPixelGray(0, 0), 0) << bpp;
        if (bpp < 24) {
            for (long x = 0; x < 5; ++x)
                EXPECT_EQ(image.GetPixelIndex(x, 1), (4 - x) % 2) << bpp;
        }
    }
}

TEST(DibImageTransform, NegativeOfPalettesAndSelections) {
    // A colour palette: only the palette changes.
    CDibImage colour(2, 1, 8, 0);
    colour.SetPaletteColor(3, 10, 20, 30);
    colour.SetPixelIndex(0, 0, 3);
    ASSERT_TRUE(colour.Negative());
    EXPECT_EQ(colour.GetPixelIndex(0, 0), 3);
    EXPECT_TRUE(Same(colour.GetPaletteColor(3), Colour(245, 235, 225)));

    // A gray picture inverts its indices; with a selection only the selected ones.
    CDibImage gray = Gray8(2, 1, {10, 20});
    ASSERT_TRUE(gray.SelectionCreate());
    ASSERT_TRUE(gray.SelectionSetPixel(1, 0, 255));
    ASSERT_TRUE(gray.Negative());
    EXPECT_EQ(gray.GetPixelIndex(0, 0), 10);
    EXPECT_EQ(gray.GetPixelIndex(1, 0), 235);

    CDibImage rgb(2, 1, 24, 0);
    rgb.SetKeyColor(Colour(0, 10, 255));
    ASSERT_TRUE(rgb.SelectionCreate());
    ASSERT_TRUE(rgb.SelectionSetPixel(0, 0, 255));
    ASSERT_TRUE(rgb.Negative());
    EXPECT_TRUE(Same(rgb.GetPixelColor(0, 0), Colour(255, 255, 255)));
    EXPECT_TRUE(Same(rgb.GetPixelColor(1, 0), Colour(0, 0, 0)));
    EXPECT_TRUE(Same(rgb.GetKeyColor(), Colour(255, 245, 0)));
}

TEST(DibImageTransform, ConvertToGrayAtEveryDepth) {
    CDibImage rgb(2, 1, 24, 0);
    rgb.SetPixelColor(0, 0, Colour(0, 0, 255));
    rgb.SetPixelColor(1, 0, Colour(255, 255, 255));
    rgb.SetDpiX(200);
    ASSERT_TRUE(rgb.AlphaCreate());
    rgb.AlphaSetAt(1, 0, 7);
    ASSERT_TRUE(rgb.ConvertToGray());
    EXPECT_EQ(rgb.GetBpp(), 8);
    EXPECT_TRUE(rgb.IsGrayScale());
    EXPECT_EQ(rgb.GetPixelIndex(0, 0), 29);
    EXPECT_EQ(rgb.GetPixelIndex(1, 0), 255);
    EXPECT_EQ(rgb.AlphaGetAt(1, 0), 7);
    EXPECT_EQ(rgb.GetDpiX(), 200);

    CDibImage four(3, 1, 4, 0);
    four.SetPaletteColor(1, 255, 0, 0); // red: gray 76
    four.SetPaletteColor(2, 0, 255, 0); // green: gray 149
    four.SetPixelIndex(0, 0, 2);
    four.SetPixelIndex(1, 0, 1);
    four.SetKeyIndex(1);
    ASSERT_TRUE(four.ConvertToGray());
    EXPECT_EQ(four.GetBpp(), 8);
    EXPECT_EQ(four.GetPixelIndex(0, 0), 149);
    EXPECT_EQ(four.GetPixelIndex(1, 0), 76);
    EXPECT_EQ(four.GetPixelIndex(2, 0), 0);
    EXPECT_EQ(four.GetKeyIndex(), 76);

    CDibImage eight(2, 1, 8, 0);
    eight.SetPaletteColor(5, 255, 0, 0);
    eight.SetPixelIndex(1, 0, 5);
    ASSERT_TRUE(eight.ConvertToGray());
    EXPECT_TRUE(eight.IsGrayScale());
    EXPECT_EQ(eight.GetPixelIndex(1, 0), 76);

    CDibImage empty;
    EXPECT_FALSE(empty.ConvertToGray());
}

TEST(DibImageTransform, ScaleToModes) {
    // Bilinear: the new pixel (1, 0) lies halfway between 0 and 100.
    CDibImage pair = Gray8(2, 1, {0, 100});
    ASSERT_TRUE(pair.ScaleTo(4, 2, 0));
    ASSERT_EQ(pair.GetWidth(), 4u);
    EXPECT_EQ(pair.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(pair.GetPixelIndex(1, 0), 50);
    EXPECT_EQ(pair.GetPixelIndex(2, 1), 100);
    EXPECT_EQ(pair.GetPixelIndex(3, 1), 100);

    // Nearest, into an output image; the source stays.
    CDibImage source = Gray8(2, 1, {0, 100});
    CDibImage out;
    ASSERT_TRUE(source.ScaleTo(4, 1, 1, &out));
    EXPECT_EQ(source.GetWidth(), 2u);
    EXPECT_EQ(out.GetPixelIndex(1, 0), 0);
    EXPECT_EQ(out.GetPixelIndex(2, 0), 100);

    // Box filter of a shrinking true-colour picture: two halves stay two halves.
    CDibImage halves(4, 4, 24, 0);
    for (long y = 0; y < 4; ++y)
        for (long x = 0; x < 4; ++x)
            halves.SetPixelColor(x, y, x < 2 ? Colour(10, 20, 30) : Colour(200, 100, 0));
    ASSERT_TRUE(halves.AlphaCreate());
    halves.AlphaSetAt(3, 3, 9);
    ASSERT_TRUE(halves.ScaleTo(2, 2, 0));
    EXPECT_TRUE(Same(halves.GetPixelColor(0, 0), Colour(10, 20, 30)));
    EXPECT_TRUE(Same(halves.GetPixelColor(1, 1), Colour(200, 100, 0)));
    EXPECT_EQ(halves.AlphaGetAt(1, 1), 255); // nearest: source (2, 2)

    // A 3 -> 2 shrink averages its straddling column.
    CDibImage three(3, 1, 24, 0);
    three.SetPixelColor(0, 0, Colour(0, 0, 0));
    three.SetPixelColor(1, 0, Colour(90, 90, 90));
    three.SetPixelColor(2, 0, Colour(180, 180, 180));
    CDibImage shrunk;
    ASSERT_FALSE(three.ScaleTo(2, 0, 0, &shrunk));
    ASSERT_TRUE(three.ScaleTo(2, 1, 0, &shrunk)); // one row: not shrinking in both directions
    EXPECT_EQ(shrunk.GetWidth(), 2u);

    // Bicubic keeps a uniform picture uniform.
    CDibImage flat(3, 3, 24, 0);
    for (long y = 0; y < 3; ++y)
        for (long x = 0; x < 3; ++x)
            flat.SetPixelColor(x, y, Colour(100, 50, 200));
    ASSERT_TRUE(flat.ScaleTo(5, 4, 2));
    EXPECT_TRUE(Same(flat.GetPixelColor(4, 3), Colour(100, 50, 200)));
    EXPECT_TRUE(Same(flat.GetPixelColor(2, 1), Colour(100, 50, 200)));

    // The same size without an output image changes nothing.
    CDibImage same = Numbered(3, 2);
    const std::vector<BYTE> before = Block(same);
    ASSERT_TRUE(same.ScaleTo(3, 2, 0));
    EXPECT_EQ(Block(same), before);

    // Escape: the partly filled result is still handed over.
    CDibImage stop = Gray8(2, 2, {50, 50, 50, 50});
    stop.SetEscape(1);
    EXPECT_TRUE(stop.ScaleTo(4, 4, 1));
    EXPECT_EQ(stop.GetWidth(), 4u);
}

TEST(DibImageTransform, ExtractRect) {
    CDibImage image = Gray8(4, 3, {0, 1, 2, 3, 10, 11, 12, 13, 20, 21, 22, 23});
    CDibImage whole;
    ASSERT_TRUE(image.ExtractRect(0, 3, 4, 0, &whole));
    EXPECT_EQ(whole.GetWidth(), 4u);
    EXPECT_EQ(whole.GetHeight(), 3u);
    EXPECT_EQ(whole.GetPixelIndex(3, 2), 23);

    // y from the top: rows 0..1 as displayed are stored rows 2 and 1.
    CDibImage part;
    ASSERT_TRUE(image.ExtractRect(1, 0, 3, 2, &part));
    ASSERT_EQ(part.GetWidth(), 2u);
    ASSERT_EQ(part.GetHeight(), 2u);
    EXPECT_EQ(part.GetPixelIndex(0, 0), 11);
    EXPECT_EQ(part.GetPixelIndex(1, 1), 22);
    EXPECT_TRUE(part.IsGrayScale());

    EXPECT_FALSE(image.ExtractRect(10, 10, 10, 20));
    EXPECT_FALSE(image.ExtractRect(1, 1, 3, 1));

    // Four bits, with an alpha channel.
    CDibImage nibbles(3, 2, 4, 0);
    nibbles.SetPixelIndex(2, 0, 9);
    ASSERT_TRUE(nibbles.AlphaCreate());
    nibbles.AlphaSetAt(2, 0, 44);
    ASSERT_TRUE(nibbles.ExtractRect(2, 1, 3, 2));
    ASSERT_EQ(nibbles.GetWidth(), 1u);
    EXPECT_EQ(nibbles.GetPixelIndex(0, 0), 9);
    EXPECT_EQ(nibbles.AlphaGetAt(0, 0), 44);
}

TEST(DibImageTransform, Rotations) {
    CDibImage image(2, 1, 24, 0);
    image.SetPixelColor(0, 0, Colour(1, 0, 0));
    image.SetPixelColor(1, 0, Colour(2, 0, 0));
    CDibImage left;
    ASSERT_TRUE(image.RotateQuarterLeft(&left));
    ASSERT_EQ(left.GetWidth(), 1u);
    ASSERT_EQ(left.GetHeight(), 2u);
    EXPECT_EQ(left.GetPixelColor(0, 0).rgbRed, 1);
    EXPECT_EQ(left.GetPixelColor(0, 1).rgbRed, 2); // the right end goes up
    ASSERT_TRUE(left.RotateQuarterRight());
    EXPECT_EQ(left.GetPixelColor(1, 0).rgbRed, 2);

    CDibImage big = Numbered(70, 67);
    ASSERT_TRUE(big.AlphaCreate());
    big.AlphaSetAt(5, 6, 1);
    CDibImage turned;
    ASSERT_TRUE(big.RotateQuarterLeft(&turned));
    EXPECT_EQ(turned.AlphaGetAt(67 - 1 - 6, 5), 1);
    ASSERT_TRUE(turned.RotateQuarterRight());
    ASSERT_TRUE(big.Rotate180(nullptr));
    ASSERT_TRUE(big.Rotate180(nullptr));
    for (long y = 0; y < 67; y += 11)
        for (long x = 0; x < 70; x += 13)
            EXPECT_TRUE(Same(turned.GetPixelColor(x, y), big.GetPixelColor(x, y)));

    // A free rotation by 90 degrees agrees with the quarter turn.
    CDibImage square = Numbered(3, 3);
    CDibImage quarter, free;
    ASSERT_TRUE(square.RotateQuarterLeft(&quarter));
    ASSERT_TRUE(square.Rotate(90, &free));
    ASSERT_EQ(free.GetWidth(), 3u);
    for (long y = 0; y < 3; ++y)
        for (long x = 0; x < 3; ++x)
            EXPECT_TRUE(Same(free.GetPixelColor(x, y), quarter.GetPixelColor(x, y)));

    // With options: 0 degrees at exact centres is the picture itself.
    CDibImage kept;
    ASSERT_TRUE(square.RotateWithOptions(0, &kept, 2, 0, nullptr, false, true));
    for (long y = 0; y < 3; ++y)
        for (long x = 0; x < 3; ++x)
            EXPECT_TRUE(Same(kept.GetPixelColor(x, y), square.GetPixelColor(x, y)));
    ASSERT_TRUE(square.RotateWithOptions(270, &kept, 2, 0, nullptr, true, false));
    CDibImage right;
    ASSERT_TRUE(square.RotateQuarterRight(&right));
    EXPECT_EQ(Block(kept), Block(right));

    EXPECT_FALSE(square.Rotate(std::nanf(""), &kept));
    EXPECT_FALSE(square.RotateWithOptions(std::nanf(""), &kept));
    CDibImage crop;
    EXPECT_FALSE(square.CropRotatedRect(1, 1, 2, 2, std::nanf(""), &crop));
    ASSERT_TRUE(square.CropRotatedRect(1, 1, 2, 2, 0.0f, &crop));
    EXPECT_EQ(crop.GetWidth(), 2u);
    ASSERT_TRUE(Numbered(20, 20).CropRotatedRect(5, 5, 6, 4, 0.3f, &crop));
    EXPECT_EQ(crop.GetWidth(), 6u);
    EXPECT_EQ(crop.GetHeight(), 4u);
}

TEST(DibImageTransform, BitDepthRoundTrips) {
    // 1 bit up to 8 and 24 and back keeps every pixel.
    CDibImage bits(9, 2, 1, 0);
    bits.SetStandardPalette();
    for (long x = 0; x < 9; ++x)
        bits.SetPixelIndex(x, x % 2, 1);
    CDibImage original(bits);
    ASSERT_TRUE(bits.IncreaseBpp(8));
    EXPECT_EQ(bits.GetBpp(), 8);
    ASSERT_TRUE(bits.IncreaseBpp(24));
    EXPECT_FALSE(bits.IncreaseBpp(8));
    EXPECT_TRUE(bits.IncreaseBpp(24));
    ASSERT_TRUE(bits.DecreaseBpp(1, false, original.GetPalette(), 2));
    EXPECT_EQ(bits.GetBpp(), 1);
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 9; ++x)
            EXPECT_EQ(bits.GetPixelIndex(x, y), original.GetPixelIndex(x, y));

    // Colours of the standard 16-colour palette survive 24 -> 4 -> 24.
    CDibImage rgb(3, 1, 24, 0);
    rgb.SetPixelColor(0, 0, Colour(255, 0, 0));
    rgb.SetPixelColor(1, 0, Colour(0, 128, 128));
    rgb.SetPixelColor(2, 0, Colour(192, 192, 192));
    CDibImage copy(rgb);
    ASSERT_TRUE(rgb.DecreaseBpp(4, false));
    EXPECT_EQ(rgb.GetBpp(), 4);
    ASSERT_TRUE(rgb.IncreaseBpp(24));
    for (long x = 0; x < 3; ++x)
        EXPECT_TRUE(Same(rgb.GetPixelColor(x, 0), copy.GetPixelColor(x, 0))) << x;

    // Error diffusion to black and white keeps the mean level of a mid gray.
    CDibImage mid(16, 16, 24, 0);
    for (long y = 0; y < 16; ++y)
        for (long x = 0; x < 16; ++x)
            mid.SetPixelColor(x, y, Colour(128, 128, 128));
    ASSERT_TRUE(mid.DecreaseBpp(1, true));
    long white = 0;
    for (long y = 0; y < 16; ++y)
        for (long x = 0; x < 16; ++x)
            white += mid.GetPixelIndex(x, y);
    EXPECT_GT(white, 60);
    EXPECT_LT(white, 196);

    CDibImage eight(2, 2, 8, 0);
    EXPECT_FALSE(eight.DecreaseBpp(24, false));
    EXPECT_STREQ(eight.GetLastErrorText(), "DecreaseBpp: target BPP greater than source BPP");
    EXPECT_TRUE(eight.DecreaseBpp(8, false)); // same depth, no colour count: unchanged
}

TEST(DibImageTransform, OneBitConversions) {
    CDibImage ramp = Gray8(4, 1, {0, 100, 101, 255});
    CDibImage dithered(ramp);
    ASSERT_TRUE(ramp.BinarizeToOneBit(100));
    EXPECT_EQ(ramp.GetBpp(), 1);
    EXPECT_EQ(ramp.GetPixelIndex(1, 0), 0);
    EXPECT_EQ(ramp.GetPixelIndex(2, 0), 1);
    EXPECT_TRUE(ramp.BinarizeToOneBit(0)); // already one bit
    EXPECT_EQ(ramp.GetPixelIndex(1, 0), 0);
    for (long method : {0, 1}) {
        CDibImage d(dithered);
        ASSERT_TRUE(d.DitherToOneBit(method));
        EXPECT_EQ(d.GetBpp(), 1);
        EXPECT_EQ(d.GetPixelIndex(0, 0), 0);
        EXPECT_EQ(d.GetPixelIndex(3, 0), 1);
    }
}

TEST(DibImageTransform, PaddingAndShrinking) {
    CDibImage image = Gray8(2, 1, {10, 20});
    CDibImage padded;
    ASSERT_TRUE(image.PadByMargins(1, 2, 0, 1, Colour(255, 255, 255), &padded));
    ASSERT_EQ(padded.GetWidth(), 3u);
    ASSERT_EQ(padded.GetHeight(), 4u);
    EXPECT_EQ(padded.GetPixelIndex(0, 0), 255);
    EXPECT_EQ(padded.GetPixelIndex(1, 2), 10);
    EXPECT_EQ(padded.GetPixelIndex(2, 2), 20);
    EXPECT_FALSE(image.PadByMargins(-1, 0, 0, 0, Colour(0, 0, 0)));
    // Sizes that would wrap in the header's 32-bit fields are refused, not cut down.
    EXPECT_FALSE(image.PadByMargins(0x100000000L, 0, 0, 0, Colour(0, 0, 0)));
    EXPECT_FALSE(image.PadByMargins(0x7FFFFFFFL, 0, 0x7FFFFFFFL, 0, Colour(0, 0, 0)));
    EXPECT_STREQ(image.GetLastErrorText(), "DIBIMAGE_MAX_MEMORY exceeded");
    EXPECT_FALSE(image.ScaleTo(0x100000002L, 1, 0));
    EXPECT_FALSE(image.ResampleWithKernels(2, 0x100000001L, 2, 0));
    EXPECT_EQ(image.GetWidth(), 2u);
    EXPECT_FALSE(image.PadToSize(1, 1, Colour(0, 0, 0)));
    ASSERT_TRUE(image.PadToSize(4, 3, Colour(0, 0, 0), &padded));
    EXPECT_EQ(padded.GetPixelIndex(1, 1), 10);

    CDibImage wide = Numbered(40, 10);
    CDibImage boxed;
    ASSERT_TRUE(wide.FitIntoBox(20, 20, Colour(0, 0, 0), &boxed));
    EXPECT_EQ(boxed.GetWidth(), 20u);
    EXPECT_EQ(boxed.GetHeight(), 20u);

    CDibImage quad(4, 2, 24, 0);
    quad.SetPixelColor(0, 0, Colour(100, 0, 0));
    quad.SetPixelColor(1, 1, Colour(0, 0, 200));
    CDibImage small;
    ASSERT_TRUE(quad.QIShrink(2, 1, &small));
    EXPECT_TRUE(Same(small.GetPixelColor(0, 0), Colour(25, 0, 50)));
    EXPECT_FALSE(quad.QIShrink(5, 1));
    EXPECT_STREQ(quad.GetLastErrorText(), "QIShrink can't enlarge image");

    CDibImage resampled;
    CDibImage flat(6, 6, 24, 0);
    for (long y = 0; y < 6; ++y)
        for (long x = 0; x < 6; ++x)
            flat.SetPixelColor(x, y, Colour(40, 80, 120));
    for (long method : {1, 2, 3, 5, 6, 16}) {
        ASSERT_TRUE(flat.ResampleWithKernels(3, 2, method, 5, &resampled, false)) << method;
        EXPECT_EQ(resampled.GetWidth(), 3u);
        RGBQUAD c = resampled.GetPixelColor(1, 1);
        EXPECT_NEAR(c.rgbGreen, 80, 1) << method;
    }
}

TEST(DibImageTransform, WarpAndShear) {
    CDibImage image = Numbered(9, 9);
    CDibImage copy(image);
    // Points beyond the radius stay; the centre of a swirl stays.
    ASSERT_TRUE(image.WarpAroundCentre(2, 3, 1.0f));
    EXPECT_TRUE(Same(image.GetPixelColor(0, 0), copy.GetPixelColor(0, 0)));
    EXPECT_TRUE(Same(image.GetPixelColor(4, 4), copy.GetPixelColor(4, 4)));
    CDibImage sheared(copy);
    ASSERT_TRUE(sheared.ShearImage(1.0f, 0.0f, 0, 4, false));
    EXPECT_TRUE(Same(sheared.GetPixelColor(2, 5), copy.GetPixelColor(3, 5)));
    EXPECT_TRUE(Same(sheared.GetPixelColor(2, 4), copy.GetPixelColor(2, 4)));
}
