// Mixing, Fourier transforms and flood fill.
#include "imaging/DibImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

RGBQUAD Colour(BYTE r, BYTE g, BYTE b) {
    return RGBQUAD{b, g, r, 0};
}

std::vector<BYTE> Pixels(const CDibImage& image) {
    const BYTE* p = image.GetBits();
    return std::vector<BYTE>(p, p + image.GetHeader().biSizeImage);
}

} // namespace

TEST(DibImageMix, IsPowerOfTwo) {
    EXPECT_TRUE(CDibImage::IsPowerOfTwo(1));
    EXPECT_TRUE(CDibImage::IsPowerOfTwo(64));
    EXPECT_FALSE(CDibImage::IsPowerOfTwo(0));
    EXPECT_FALSE(CDibImage::IsPowerOfTwo(6));
    EXPECT_FALSE(CDibImage::IsPowerOfTwo(-4));
}

TEST(DibImageMix, BlendModes) {
    CDibImage image(3, 2, 24, 0);
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 3; ++x)
            image.SetPixelColor(x, y, Colour(static_cast<BYTE>(50 * x), 100, 200));
    const std::vector<BYTE> before = Pixels(image);
    ASSERT_TRUE(image.Blend(image, 10));
    EXPECT_EQ(Pixels(image), before);
    ASSERT_TRUE(image.Blend(image, 11));
    EXPECT_EQ(Pixels(image), before);

    CDibImage other(3, 2, 24, 0);
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 3; ++x)
            other.SetPixelColor(x, y, Colour(100, 60, 100));
    CDibImage sum(image);
    ASSERT_TRUE(sum.Blend(other, 0));
    EXPECT_EQ(sum.GetPixelColor(2, 0).rgbRed, 200);
    EXPECT_EQ(sum.GetPixelColor(2, 0).rgbBlue, 255);
    CDibImage diff(image);
    ASSERT_TRUE(diff.Blend(other, 7));
    EXPECT_EQ(diff.GetPixelColor(0, 0).rgbRed, 0);
    EXPECT_EQ(diff.GetPixelColor(0, 0).rgbGreen, 40);
    CDibImage mean(image);
    ASSERT_TRUE(mean.Blend(other, 10, 1, 1));
    // Only (0..1, 0) have a source pixel at (x + 1, y + 1).
    EXPECT_EQ(mean.GetPixelColor(0, 0).rgbRed, 50);
    EXPECT_EQ(mean.GetPixelColor(0, 1).rgbRed, 0);
    EXPECT_EQ(mean.GetPixelColor(2, 0).rgbRed, 100);

    // Over by the source's alpha, with the alpha mixed in.
    CDibImage over(image);
    ASSERT_TRUE(other.AlphaCreate());
    other.AlphaSetAt(1, 0, 0);
    ASSERT_TRUE(over.Blend(other, 9, 0, 0, true));
    EXPECT_EQ(over.GetPixelColor(0, 0).rgbRed, 100);
    EXPECT_EQ(over.GetPixelColor(1, 0).rgbRed, 50);
    EXPECT_TRUE(over.AlphaIsValid());
}

TEST(DibImageMix, PasteSkipsTheKeyColour) {
    CDibImage target(4, 4, 24, 0);
    CDibImage stamp(2, 1, 24, 0);
    stamp.SetPixelColor(0, 0, Colour(255, 0, 255));
    stamp.SetPixelColor(1, 0, Colour(10, 20, 30));
    stamp.SetKeyIndex(0);
    stamp.SetKeyColor(Colour(255, 0, 255));
    ASSERT_TRUE(target.PasteImage(&stamp, 3, 3)); // partly outside
    EXPECT_EQ(target.GetPixelColor(3, 3).rgbRed, 0);
    ASSERT_TRUE(target.PasteImage(&stamp, 1, 2));
    EXPECT_EQ(target.GetPixelColor(1, 2).rgbRed, 0);
    EXPECT_EQ(target.GetPixelColor(2, 2).rgbRed, 10);
    EXPECT_FALSE(target.PasteImage(nullptr, 0, 0));
}

TEST(DibImageMix, FourierRoundTrip) {
    // Line transforms: forward then inverse gives the line back, by FFT and by the direct sum.
    double r[8], i[8], r0[8], i0[8], wr[8], wi[8];
    for (int k = 0; k < 8; ++k) {
        r[k] = r0[k] = std::sin(k * 0.7) * 10;
        i[k] = i0[k] = k;
    }
    ASSERT_TRUE(CDibImage::FastFourierTransform(1, 3, r, i));
    ASSERT_TRUE(CDibImage::FastFourierTransform(-1, 3, r, i));
    ASSERT_TRUE(CDibImage::DiscreteFourierTransform(1, 6, r0 + 1, i0 + 1, wr, wi));
    ASSERT_TRUE(CDibImage::DiscreteFourierTransform(-1, 6, r0 + 1, i0 + 1, wr, wi));
    for (int k = 0; k < 8; ++k) {
        EXPECT_NEAR(r[k], std::sin(k * 0.7) * 10, 1e-9);
        EXPECT_NEAR(i[k], k, 1e-9);
        EXPECT_NEAR(r0[k], std::sin(k * 0.7) * 10, 1e-9);
    }

    // A picture whose spectrum fits the 8-bit parts exactly: 128 + 64 cos(pi x / 2). Forward,
    // its two frequencies hold 32 each; inverse, the picture comes back. Both the FFT (8 x 4)
    // and the direct transform (12 x 3, not forced to powers of two) take the same road.
    for (bool forceFft : {true, false}) {
        const DWORD w = forceFft ? 8 : 12, h = forceFft ? 4 : 3;
        CDibImage picture(w, h, 8, 0);
        picture.SetGrayPalette();
        const int wave[4] = {192, 128, 64, 128};
        for (long y = 0; y < static_cast<long>(h); ++y)
            for (long x = 0; x < static_cast<long>(w); ++x)
                picture.SetPixelIndex(x, y, static_cast<BYTE>(wave[x % 4]));
        CDibImage real, imag, backReal, backImag, worker;
        ASSERT_TRUE(worker.FourierTransform2D(&picture, nullptr, &real, &imag, 1, forceFft, false));
        ASSERT_EQ(real.GetWidth(), w);
        ASSERT_EQ(real.GetHeight(), h);
        for (long y = 0; y < static_cast<long>(h); ++y)
            for (long x = 0; x < static_cast<long>(w); ++x) {
                const bool peak =
                    y == 0 && (x == static_cast<long>(w / 4) || x == static_cast<long>(3 * w / 4));
                EXPECT_EQ(real.GetPixelIndex(x, y), peak ? 160 : 128) << forceFft << x << "," << y;
                EXPECT_EQ(imag.GetPixelIndex(x, y), 128);
            }
        ASSERT_TRUE(
            worker.FourierTransform2D(&real, &imag, &backReal, &backImag, -1, forceFft, false));
        for (long y = 0; y < static_cast<long>(h); ++y)
            for (long x = 0; x < static_cast<long>(w); ++x) {
                EXPECT_EQ(backReal.GetPixelIndex(x, y), picture.GetPixelIndex(x, y));
                EXPECT_EQ(backImag.GetPixelIndex(x, y), 128);
            }
    }

    // The forward transform's DC term is the mean value; a missing imaginary part adds nothing.
    CDibImage flat(4, 4, 8, 0);
    flat.SetGrayPalette();
    flat.Clear(150);
    CDibImage real, imag;
    ASSERT_TRUE(flat.FourierTransform2D(&flat, nullptr, &real, &imag, 1, true, false));
    EXPECT_EQ(real.GetPixelIndex(0, 0), 128 + 22);
    EXPECT_EQ(imag.GetPixelIndex(0, 0), 128);
    EXPECT_EQ(real.GetPixelIndex(1, 2), 128);

    CDibImage magnitude, phase;
    ASSERT_TRUE(flat.FourierTransform2D(&flat, nullptr, &magnitude, &phase, 1, true, true));
    EXPECT_EQ(magnitude.GetPixelIndex(0, 0), 255);
    EXPECT_EQ(magnitude.GetPixelIndex(1, 1), 0);
    EXPECT_FALSE(flat.FourierTransform2D(nullptr, nullptr, &real, &imag, 1, true, false));

    // FFT and DFT agree on one line.
    double r1[8], i1[8], r2[8], i2[8];
    for (int k = 0; k < 8; ++k) {
        r1[k] = r2[k] = std::sin(k * 0.7) * 10;
        i1[k] = i2[k] = k;
    }
    ASSERT_TRUE(CDibImage::FastFourierTransform(1, 3, r1, i1));
    ASSERT_TRUE(CDibImage::DiscreteFourierTransform(1, 8, r2, i2, wr, wi));
    for (int k = 0; k < 8; ++k) {
        EXPECT_NEAR(r1[k], r2[k], 1e-9);
        EXPECT_NEAR(i1[k], i2[k], 1e-9);
    }
}

TEST(DibImageMix, FloodFill) {
    // A 6 x 4 picture split by a wall at x = 3.
    CDibImage image(6, 4, 24, 0);
    for (long y = 0; y < 4; ++y)
        image.SetPixelColor(3, y, Colour(255, 255, 255));
    CDibImage fill(image);
    ASSERT_TRUE(fill.FloodFill(0, 0, Colour(0, 0, 200)));
    EXPECT_EQ(fill.GetPixelColor(2, 3).rgbBlue, 200);
    EXPECT_EQ(fill.GetPixelColor(3, 3).rgbBlue, 255); // the wall
    EXPECT_EQ(fill.GetPixelColor(4, 0).rgbBlue, 0);   // beyond the wall

    // From a corner of the right part the fill reaches its border and stops there.
    ASSERT_TRUE(fill.FloodFill(5, 3, Colour(9, 0, 0)));
    EXPECT_EQ(fill.GetPixelColor(4, 0).rgbRed, 9);
    EXPECT_EQ(fill.GetPixelColor(2, 0).rgbRed, 0);

    // Outside the picture nothing happens.
    CDibImage outside(image);
    ASSERT_TRUE(outside.FloodFill(-1, 0, Colour(1, 2, 3)));
    ASSERT_TRUE(outside.FloodFill(6, 4, Colour(1, 2, 3)));
    EXPECT_EQ(Pixels(outside), Pixels(image));

    // Opacity 0 paints nothing, but the region still enters the selection.
    CDibImage none(image);
    ASSERT_TRUE(none.FloodFill(0, 0, Colour(1, 2, 3), 0, 0, true, 200));
    EXPECT_EQ(Pixels(none), Pixels(image));
    ASSERT_TRUE(none.SelectionIsValid());
    EXPECT_EQ(none.SelectionGetAt(2, 3), 200);
    EXPECT_EQ(none.SelectionGetAt(3, 3), 0);
    RECT box;
    none.SelectionGetBox(box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 3);
    EXPECT_EQ(box.top, 4);

    // Half opacity mixes; a tolerance takes in near colours.
    CDibImage mixed(image);
    mixed.SetPixelColor(1, 0, Colour(0, 0, 10));
    ASSERT_TRUE(mixed.FloodFill(0, 0, Colour(0, 0, 200), 10, 128));
    EXPECT_EQ(mixed.GetPixelColor(0, 0).rgbBlue, (200 * 128) >> 8);
    EXPECT_EQ(mixed.GetPixelColor(1, 0).rgbBlue, (10 * 127 + 200 * 128) >> 8);

    // A colour palette raised for a tolerant fill comes back to its palette.
    CDibImage palette(4, 1, 4, 0);
    palette.SetStandardPalette();
    palette.SetPixelIndex(3, 0, 15);
    ASSERT_TRUE(palette.FloodFill(0, 0, Colour(255, 0, 0), 5, 255));
    EXPECT_EQ(palette.GetBpp(), 4);
    EXPECT_EQ(palette.GetPixelIndex(0, 0), 9);
    EXPECT_EQ(palette.GetPixelIndex(3, 0), 15);

    CDibImage empty;
    EXPECT_FALSE(empty.FloodFill(0, 0, Colour(0, 0, 0)));
}
