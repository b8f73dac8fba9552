// Colour spaces and channel operations.
#include "imaging/DibImage.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

RGBQUAD Colour(BYTE r, BYTE g, BYTE b) {
    return RGBQUAD{b, g, r, 0};
}

int Distance(RGBQUAD a, RGBQUAD b) {
    return std::max({std::abs(a.rgbRed - b.rgbRed), std::abs(a.rgbGreen - b.rgbGreen),
                     std::abs(a.rgbBlue - b.rgbBlue)});
}

CDibImage Sample() {
    CDibImage image(4, 2, 24, 0);
    // Colours whose YIQ components stay inside a byte, so every space can take them back.
    const RGBQUAD colours[8] = {Colour(200, 40, 40), Colour(40, 200, 40), Colour(40, 40, 200),
                                Colour(128, 64, 32), Colour(20, 200, 90), Colour(255, 255, 255),
                                Colour(0, 0, 0),     Colour(90, 90, 90)};
    for (long i = 0; i < 8; ++i)
        image.SetPixelColor(i % 4, i / 4, colours[i]);
    return image;
}

} // namespace

TEST(DibImageColor, ConversionsRoundTripWithinTolerance) {
    // HSL carries the hue in 42 steps per sixth of the circle, so it comes back coarser; YIQ's
    // I and Q leave the byte range for saturated colours, so the grid stays inside 51..204.
    struct Space {
        RGBQUAD (*to)(RGBQUAD);
        RGBQUAD (*from)(RGBQUAD);
        int tolerance;
        const char* name;
    } spaces[] = {
        {CDibImage::RgbToHsl, CDibImage::HslToRgb, 10, "HSL"},
        {CDibImage::RgbToYuv, CDibImage::YuvToRgb, 4, "YUV"},
        {CDibImage::RgbToYiq, CDibImage::YiqToRgb, 4, "YIQ"},
        {CDibImage::RgbToXyz, CDibImage::XyzToRgb, 4, "XYZ"},
    };
    for (const Space& s : spaces)
        for (int r = 51; r < 256 - 51; r += 17)
            for (int g = 51; g < 256 - 51; g += 17)
                for (int b = 51; b < 256 - 51; b += 17) {
                    RGBQUAD c =
                        Colour(static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b));
                    EXPECT_LE(Distance(s.from(s.to(c)), c), s.tolerance)
                        << s.name << " " << r << "," << g << "," << b;
                }
}

TEST(DibImageColor, KnownValues) {
    RGBQUAD gray = CDibImage::RgbToHsl(Colour(77, 77, 77));
    EXPECT_EQ(gray.rgbGreen, 0); // S
    EXPECT_EQ(gray.rgbRed, 170); // H
    EXPECT_EQ(gray.rgbBlue, 77); // L
    RGBQUAD red = CDibImage::RgbToHsl(Colour(255, 0, 0));
    EXPECT_EQ(red.rgbRed, 0);
    EXPECT_EQ(red.rgbGreen, 255);
    EXPECT_EQ(red.rgbBlue, 128);
    RGBQUAD y = CDibImage::RgbToYuv(Colour(255, 255, 255));
    EXPECT_EQ(y.rgbRed, 255);
    EXPECT_EQ(y.rgbGreen, 128);
    EXPECT_EQ(y.rgbBlue, 128);
    EXPECT_EQ(CDibImage::HueToChannel(0.2f, 0.8f, 400), CDibImage::HueToChannel(0.2f, 0.8f, 40));
    EXPECT_LE(Distance(CDibImage::HslColorRefToRgb(RGB(0, 255, 128)), Colour(255, 0, 0)), 1);
}

TEST(DibImageColor, SplitAndCombine) {
    CDibImage image = Sample();
    CDibImage c, m, y, k;
    ASSERT_TRUE(image.SplitCmyk(&c, &m, &y, &k));
    EXPECT_EQ(c.GetPixelIndex(1, 1), 0); // white
    EXPECT_EQ(m.GetPixelIndex(1, 1), 0);
    EXPECT_EQ(y.GetPixelIndex(1, 1), 0);
    EXPECT_EQ(k.GetPixelIndex(1, 1), 255);
    EXPECT_EQ(c.GetPixelIndex(0, 0), 55); // red 200
    EXPECT_TRUE(k.IsGrayScale());

    EXPECT_FALSE(image.SplitRgb(nullptr, nullptr, nullptr));
    for (long space : {0L, 1L, 2L, 3L, 4L}) {
        CDibImage a, b, d;
        bool split = false;
        switch (space) {
        case 0:
            split = image.SplitRgb(&a, &b, &d);
            break;
        case 1:
            split = image.SplitHsl(&a, &b, &d);
            break;
        case 2:
            split = image.SplitYuv(&a, &b, &d);
            break;
        case 3:
            split = image.SplitYiq(&a, &b, &d);
            break;
        default:
            split = image.SplitXyz(&a, &b, &d);
            break;
        }
        ASSERT_TRUE(split) << space;
        CDibImage back;
        ASSERT_TRUE(back.CombineChannels(&a, &b, &d, nullptr, space)) << space;
        for (long py = 0; py < 2; ++py)
            for (long px = 0; px < 4; ++px)
                EXPECT_LE(Distance(back.GetPixelColor(px, py), image.GetPixelColor(px, py)), 6)
                    << space << " " << px << "," << py;
    }

    // Channels of another size are scaled to the first's; an alpha image becomes the channel.
    CDibImage r(2, 2, 8, 0), g(1, 1, 8, 0), b(2, 2, 8, 0), alpha(2, 2, 8, 0);
    r.SetGrayPalette();
    g.SetGrayPalette();
    g.SetPixelIndex(0, 0, 99);
    alpha.SetGrayPalette();
    alpha.SetPixelIndex(1, 1, 33);
    CDibImage out;
    ASSERT_TRUE(out.CombineChannels(&r, &g, &b, &alpha, 0));
    EXPECT_EQ(out.GetPixelColor(1, 1).rgbGreen, 99);
    EXPECT_EQ(out.AlphaGetAt(1, 1), 33);
    EXPECT_FALSE(out.CombineChannels(&r, nullptr, &b, nullptr, 0));
}

TEST(DibImageColor, ConvertSaturateColorize) {
    CDibImage image = Sample();
    const RGBQUAD before = image.GetPixelColor(3, 0);
    EXPECT_TRUE(image.ConvertColorSpace(2, 2));
    EXPECT_FALSE(image.ConvertColorSpace(5, 0));
    EXPECT_STREQ(image.GetLastErrorText(), "ConvertColorSpace: unknown destination colorspace");
    EXPECT_FALSE(image.ConvertColorSpace(0, 7));
    EXPECT_STREQ(image.GetLastErrorText(), "ConvertColorSpace: unknown source colorspace");
    ASSERT_TRUE(image.ConvertColorSpace(2, 0));
    EXPECT_EQ(Distance(image.GetPixelColor(3, 0), CDibImage::RgbToYuv(before)), 0);
    ASSERT_TRUE(image.ConvertColorSpace(0, 2));
    EXPECT_LE(Distance(image.GetPixelColor(3, 0), before), 3);

    EXPECT_FALSE(image.Saturate(10, 3));
    EXPECT_STREQ(image.GetLastErrorText(), "Saturate: wrong colorspace");
    CDibImage pale = Sample();
    ASSERT_TRUE(pale.Saturate(-255, 1));
    RGBQUAD p = pale.GetPixelColor(3, 0);
    EXPECT_EQ(p.rgbRed, p.rgbGreen);
    EXPECT_EQ(p.rgbGreen, p.rgbBlue);
    CDibImage flat = Sample();
    ASSERT_TRUE(flat.Saturate(-100, 2));
    RGBQUAD f = flat.GetPixelColor(0, 0);
    EXPECT_LE(std::abs(f.rgbRed - f.rgbBlue), 2);

    CDibImage tinted = Sample();
    ASSERT_TRUE(tinted.Colorize(0, 255, 1.0f));
    RGBQUAD t = tinted.GetPixelColor(1, 0); // green becomes red of the same lightness
    EXPECT_GT(t.rgbRed, 200);
    EXPECT_LT(t.rgbGreen, 10);
    CDibImage none = Sample();
    ASSERT_TRUE(none.Colorize(0, 255, 0.0f));
    EXPECT_EQ(Distance(none.GetPixelColor(3, 0), Sample().GetPixelColor(3, 0)), 0);

    CDibImage palette(2, 1, 4, 0);
    ASSERT_TRUE(palette.MakeHuePalette(1.0f));
    EXPECT_GT(palette.GetPaletteColor(0).rgbRed, 200); // hue 0 is red
    EXPECT_FALSE(image.MakeHuePalette(1.0f));
}

TEST(DibImageColor, SmoothChannels) {
    CDibImage image(5, 5, 24, 0);
    for (long y = 0; y < 5; ++y)
        for (long x = 0; x < 5; ++x)
            image.SetPixelColor(x, y, Colour(60, 60, 60));
    image.SetPixelColor(2, 2, Colour(200, 200, 200));
    ASSERT_TRUE(image.SmoothChannels(0.2f, 2, 0));
    EXPECT_LT(image.GetPixelColor(2, 2).rgbRed, 200);
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 60); // the border stays
    CDibImage empty;
    EXPECT_FALSE(empty.SmoothChannels(0.2f, 1, 0));
}
